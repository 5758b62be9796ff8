#include "platform/PWVCardLine.h"

QStringList PWVCardLine::parameterValues(const QString &name) const
{
    QStringList values;
    for (const auto &parameter : parameters) {
        if (parameter.first == name)
            values += parameter.second;
    }
    return values;
}

bool PWVCardLine::hasParameter(const QString &name) const
{
    for (const auto &parameter : parameters) {
        if (parameter.first == name)
            return true;
    }
    return false;
}

QStringList PWVCardLine::types() const
{
    QStringList found;
    for (const auto &parameter : parameters) {
        if (parameter.first == QLatin1String("TYPE")) {
            for (const QString &value : parameter.second)
                found.append(value.trimmed().toLower());
        } else if (parameter.second.isEmpty()) {
            found.append(parameter.first.toLower());
        }
    }
    return found;
}

bool PWVCardLine::hasType(const QString &type) const
{
    // As types() would answer, without making its list: readers ask this of every line.
    for (const auto &parameter : parameters) {
        if (parameter.first == QLatin1String("TYPE")) {
            for (const QString &value : parameter.second) {
                if (QStringView(value).trimmed().compare(type, Qt::CaseInsensitive) == 0)
                    return true;
            }
        } else if (parameter.second.isEmpty() && parameter.first.compare(type, Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}
