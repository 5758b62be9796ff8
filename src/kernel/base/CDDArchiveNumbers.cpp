// The typed number getters: each reads within the range its use allows and names what it refuses.

#include "kernel/base/CDDArchive.h"

namespace {

QString keptValue(int value)
{
    return QStringLiteral("kept ") + QString::number(value);
}

QString keptValue(double value)
{
    return QStringLiteral("kept ") + QString::number(value);
}

} // namespace

bool CDDArchive::GetData(const QString &key, int *value, CDDNumberRange range) const
{
    const std::optional<double> number = value ? numberWithin(key, range, false, keptValue(*value)) : std::nullopt;
    if (!number)
        return false;
    *value = int(*number);
    return true;
}

bool CDDArchive::GetData(const QString &key, float *value, CDDNumberRange range) const
{
    return GetData(key, value, range, value ? keptValue(*value) : QString());
}

bool CDDArchive::GetData(const QString &key, float *value, CDDNumberRange range, const QString &instead) const
{
    const std::optional<double> number = value ? numberWithin(key, range, true, instead) : std::nullopt;
    if (!number)
        return false;
    *value = float(*number);
    return true;
}

bool CDDArchive::GetData(const QString &key, double *value, CDDNumberRange range) const
{
    const std::optional<double> number = value ? numberWithin(key, range, true, keptValue(*value)) : std::nullopt;
    if (!number)
        return false;
    *value = *number;
    return true;
}
