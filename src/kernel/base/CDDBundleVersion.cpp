#include "kernel/base/CDDBundleVersion.h"

#include <limits>

namespace CDDBundleVersion {

std::optional<int> parse(const PWPlist &stored)
{
    if (stored.isInteger()) {
        const qint64 number = stored.toInteger();
        if (number >= 0 && number <= std::numeric_limits<int>::max())
            return int(number);
        return std::nullopt;
    }
    if (!stored.isString())
        return std::nullopt;
    const QString text = stored.toString().trimmed();
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    bool ok = false;
    const int number = text.toInt(&ok);
    return ok ? std::optional<int>(number) : std::nullopt;
}

} // namespace CDDBundleVersion
