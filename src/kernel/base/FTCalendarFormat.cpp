#include "kernel/base/FTCalendarFormat.h"

#include <QLocale>

#include <cstdlib>

namespace {

QString twoDigits(int value)
{
    return QString::asprintf("%02d", value);
}

QString zoneOffset(const QDateTime &date)
{
    const int offset = date.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return QString::asprintf("%c%02d%02d", offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
}

QString formatCode(const QDateTime &date, QChar code)
{
    const QLocale c = QLocale::c();
    const QDate day = date.date();
    const QTime time = date.time();
    switch (code.unicode()) {
    case '%':
        return QStringLiteral("%");
    case 'a':
        return c.dayName(day.dayOfWeek(), QLocale::ShortFormat);
    case 'A':
        return c.dayName(day.dayOfWeek(), QLocale::LongFormat);
    case 'b':
        return c.monthName(day.month(), QLocale::ShortFormat);
    case 'B':
        return c.monthName(day.month(), QLocale::LongFormat);
    case 'c':
        return formatCalendarDate(date, QStringLiteral("%X %x"));
    case 'd':
        return twoDigits(day.day());
    case 'e':
        return QString::number(day.day());
    case 'F':
        return QString::asprintf("%03d", time.msec());
    case 'H':
        return twoDigits(time.hour());
    case 'I':
        return twoDigits(time.hour() % 12 == 0 ? 12 : time.hour() % 12);
    case 'j':
        return QString::asprintf("%03d", day.dayOfYear());
    case 'm':
        return twoDigits(day.month());
    case 'M':
        return twoDigits(time.minute());
    case 'p':
        return time.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
    case 'S':
        return twoDigits(time.second());
    case 'w':
        return QString::number(day.dayOfWeek() % 7);
    case 'x':
        return formatCalendarDate(date, QStringLiteral("%m/%d/%y"));
    case 'X':
        return formatCalendarDate(date, QStringLiteral("%H:%M:%S"));
    case 'y':
        return twoDigits(std::abs(day.year()) % 100);
    case 'Y':
        return QString::number(day.year());
    case 'Z':
        return date.timeZoneAbbreviation();
    case 'z':
        return zoneOffset(date);
    default:
        break;
    }
    return QLatin1Char('%') + code;
}

} // namespace

QString formatCalendarDate(const QDateTime &date, const QString &format)
{
    if (!date.isValid())
        return QString();
    QString result;
    result.reserve(format.size() * 2);
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar ch = format.at(i);
        if (ch != QLatin1Char('%') || i + 1 == format.size()) {
            result.append(ch);
            continue;
        }
        result.append(formatCode(date, format.at(++i)));
    }
    return result;
}

QString dateDescription(const QDateTime &date)
{
    return formatCalendarDate(date, QStringLiteral("%Y-%m-%d %H:%M:%S %z"));
}
