#include "app/contacts/CASpreadsheetCells.h"

#include <QDate>
#include <QLocale>

#include <cmath>

namespace CASpreadsheetCells {

namespace {

// The largest serial number a workbook shows as a date: 31 December 9999.
constexpr double kLastSerial = 2958465.0;

const char *const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                               "July",    "August",   "September", "October", "November", "December"};
const char *const kWeekdays[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};

// A day as a workbook counts it: the 1900 system has a 29 February 1900 and a day 0.
struct Day
{
    int year = 1900;
    int month = 1;
    int day = 0;
    int weekday = 6; // 1 Monday ... 7 Sunday
};

Day dayOfSerial(qint64 days, bool epoch1904)
{
    if (!epoch1904 && days == 0)
        return Day {1900, 1, 0, 6};
    if (!epoch1904 && days == 60)
        return Day {1900, 2, 29, 3};
    QDate date;
    if (epoch1904)
        date = QDate(1904, 1, 1).addDays(days);
    else
        date = (days < 60 ? QDate(1899, 12, 31) : QDate(1899, 12, 30)).addDays(days);
    return Day {date.year(), date.month(), date.day(), date.dayOfWeek()};
}

QString padded(qint64 value, int width)
{
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

// A run of the same letter (any case) at a position of the code.
qsizetype runLength(const QString &code, qsizetype at)
{
    const QChar letter = code[at].toLower();
    qsizetype end = at;
    while (end < code.size() && code[end].toLower() == letter)
        ++end;
    return end - at;
}

// The part of a format code that shows positive numbers: up to the first ';' outside quotes.
QString firstSection(const QString &code)
{
    bool quoted = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        if (code[i] == u'"')
            quoted = !quoted;
        else if (!quoted && code[i] == u'\\')
            ++i;
        else if (!quoted && code[i] == u';')
            return code.left(i);
    }
    return code;
}

} // namespace

QString numberText(double value)
{
    if (!std::isfinite(value))
        return QString::number(value);
    // A whole number is written out with the digits that read back to it; past 10^21 they are
    // followed by nothing but the exponent's zeros, which the short form says as well.
    if (value == std::trunc(value) && std::fabs(value) < 1e21)
        return value == 0.0 ? QStringLiteral("0") : QString::number(value, 'f', QLocale::FloatingPointShortest);
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

std::optional<QString> numberCellText(QStringView written)
{
    const QStringView text = written.trimmed();
    qsizetype digits = text.startsWith(u'-') || text.startsWith(u'+') ? 1 : 0;
    bool whole = text.size() > digits;
    for (qsizetype i = digits; i < text.size() && whole; ++i)
        whole = text[i] >= u'0' && text[i] <= u'9';
    if (whole) {
        QStringView number = text.sliced(digits);
        while (number.size() > 1 && number.front() == u'0')
            number = number.sliced(1);
        const bool negative = text.front() == u'-' && number != u"0";
        return (negative ? QStringLiteral("-") : QString()) + number.toString();
    }
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return numberText(value);
}

QString builtInDateFormat(int numberFormatId)
{
    switch (numberFormatId) {
    case 14:
        return QStringLiteral("m/d/yyyy");
    case 15:
        return QStringLiteral("d-mmm-yy");
    case 16:
        return QStringLiteral("d-mmm");
    case 17:
        return QStringLiteral("mmm-yy");
    case 18:
        return QStringLiteral("h:mm AM/PM");
    case 19:
        return QStringLiteral("h:mm:ss AM/PM");
    case 20:
        return QStringLiteral("h:mm");
    case 21:
        return QStringLiteral("h:mm:ss");
    case 22:
        return QStringLiteral("m/d/yyyy h:mm");
    case 45:
        return QStringLiteral("mm:ss");
    case 46:
        return QStringLiteral("[h]:mm:ss");
    case 47:
        return QStringLiteral("mm:ss.0");
    default:
        // The dates of the East Asian built-in formats, in the order those write them.
        if ((numberFormatId >= 27 && numberFormatId <= 36) || (numberFormatId >= 50 && numberFormatId <= 58))
            return QStringLiteral("yyyy/m/d");
        return QString();
    }
}

bool isDateFormat(const QString &code)
{
    const QString section = firstSection(code);
    for (qsizetype i = 0; i < section.size(); ++i) {
        const QChar c = section[i];
        if (c == u'"') {
            const qsizetype end = section.indexOf(u'"', i + 1);
            i = end < 0 ? section.size() : end;
        } else if (c == u'\\' || c == u'_' || c == u'*') {
            ++i;
        } else if (c == u'[') {
            const qsizetype end = section.indexOf(u']', i + 1);
            const QString inside = section.mid(i + 1, end < 0 ? -1 : end - i - 1).toLower();
            // [h], [mm], [ss]: elapsed time; colours, conditions and locales show no date.
            if (!inside.isEmpty() && (inside.count(inside[0]) == inside.size()) && QStringLiteral("hms").contains(inside[0]))
                return true;
            i = end < 0 ? section.size() : end;
        } else if (QStringLiteral("dmyhsDMYHS").contains(c)) {
            return true;
        }
    }
    return false;
}

QString dateText(double serial, const QString &code, bool epoch1904)
{
    if (!std::isfinite(serial) || serial < 0.0 || serial >= kLastSerial + 1.0)
        return numberText(serial);
    const QString section = firstSection(code);
    const bool twelveHours = section.contains(QStringLiteral("AM/PM"), Qt::CaseInsensitive)
                             || section.contains(QStringLiteral("A/P"), Qt::CaseInsensitive);
    // Tenths, hundredths or thousandths of a second when the seconds are followed by ".0".
    int fractionDigits = 0;
    if (const qsizetype dot = section.indexOf(QStringLiteral(".0")); dot > 0 && section[dot - 1].toLower() == u's')
        fractionDigits = int(std::min<qsizetype>(3, runLength(section, dot + 1)));
    qint64 unit = 1000;
    for (int digit = 0; digit < fractionDigits; ++digit)
        unit /= 10;
    qint64 days = qint64(std::floor(serial));
    qint64 milliseconds = std::llround((serial - double(days)) * 86400000.0 / double(unit)) * unit;
    if (milliseconds >= 86400000) {
        ++days;
        milliseconds -= 86400000;
    }
    const Day day = dayOfSerial(days, epoch1904);
    const qint64 seconds = milliseconds / 1000;
    const int hour = int(seconds / 3600), minute = int(seconds / 60 % 60), second = int(seconds % 60);

    QString text;
    // Whether the last time part was an hour: an "m" right after it stands for minutes.
    bool afterHour = false;
    for (qsizetype i = 0; i < section.size();) {
        const QChar c = section[i];
        const QChar lower = c.toLower();
        if (c == u'"') {
            const qsizetype end = section.indexOf(u'"', i + 1);
            text += section.mid(i + 1, end < 0 ? -1 : end - i - 1);
            i = end < 0 ? section.size() : end + 1;
        } else if (c == u'\\') {
            if (i + 1 < section.size())
                text += section[i + 1];
            i += 2;
        } else if (c == u'_') {
            text += u' ';
            i += 2;
        } else if (c == u'*') {
            i += 2;
        } else if (c == u'[') {
            const qsizetype end = section.indexOf(u']', i + 1);
            const QString inside = section.mid(i + 1, end < 0 ? -1 : end - i - 1).toLower();
            const int width = int(inside.size());
            if (inside.startsWith(u'h') && inside.count(u'h') == width) {
                text += padded(days * 24 + hour, width);
                afterHour = true;
            } else if (inside.startsWith(u'm') && inside.count(u'm') == width) {
                text += padded((days * 24 + hour) * 60 + minute, width);
            } else if (inside.startsWith(u's') && inside.count(u's') == width) {
                text += padded(((days * 24 + hour) * 60 + minute) * 60 + second, width);
            }
            i = end < 0 ? section.size() : end + 1;
        } else if (section.mid(i, 5).compare(QStringLiteral("AM/PM"), Qt::CaseInsensitive) == 0) {
            const QString mark = hour < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
            text += c.isLower() ? mark.toLower() : mark;
            i += 5;
        } else if (section.mid(i, 3).compare(QStringLiteral("A/P"), Qt::CaseInsensitive) == 0) {
            const QChar mark = hour < 12 ? QChar(u'A') : QChar(u'P');
            text += c.isLower() ? mark.toLower() : mark;
            i += 3;
        } else if (lower == u'y' || lower == u'e') {
            const qsizetype run = runLength(section, i);
            text += run <= 2 && lower == u'y' ? padded(day.year % 100, 2) : QString::number(day.year);
            afterHour = false;
            i += run;
        } else if (lower == u'd') {
            const qsizetype run = runLength(section, i);
            if (run <= 2)
                text += padded(day.day, int(run));
            else if (run == 3)
                text += QString::fromLatin1(kWeekdays[day.weekday - 1]).left(3);
            else
                text += QString::fromLatin1(kWeekdays[day.weekday - 1]);
            afterHour = false;
            i += run;
        } else if (lower == u'h') {
            const qsizetype run = runLength(section, i);
            const int shown = twelveHours ? (hour % 12 == 0 ? 12 : hour % 12) : hour;
            text += padded(shown, int(std::min<qsizetype>(run, 2)));
            afterHour = true;
            i += run;
        } else if (lower == u'm') {
            const qsizetype run = runLength(section, i);
            // Minutes right after an hour or right before seconds; a month anywhere else.
            qsizetype next = i + run;
            while (next < section.size() && !section[next].isLetter())
                ++next;
            const bool minutes = run <= 2 && (afterHour || (next < section.size() && section[next].toLower() == u's'));
            if (minutes)
                text += padded(minute, int(run));
            else if (run <= 2)
                text += padded(day.month, int(run));
            else if (run == 3)
                text += QString::fromLatin1(kMonths[day.month - 1]).left(3);
            else if (run == 4)
                text += QString::fromLatin1(kMonths[day.month - 1]);
            else
                text += QString::fromLatin1(kMonths[day.month - 1]).left(1);
            afterHour = false;
            i += run;
        } else if (lower == u's') {
            const qsizetype run = runLength(section, i);
            text += padded(second, int(std::min<qsizetype>(run, 2)));
            i += run;
            if (fractionDigits > 0 && section.mid(i, 2) == QStringLiteral(".0")) {
                text += u'.' + padded(milliseconds % 1000 / unit, fractionDigits);
                i += 1 + runLength(section, i + 1);
            }
            afterHour = false;
        } else if (lower == u'g' || lower == u'b') {
            i += runLength(section, i); // eras the workbook's locale would show
        } else {
            text += c;
            ++i;
        }
    }
    return text;
}

QString Styles::dateFormatOf(QStringView styleAttribute) const
{
    if (styleAttribute.isEmpty())
        return QString();
    bool ok = false;
    const qlonglong index = styleAttribute.toLongLong(&ok);
    return ok ? dateFormatOfStyle.value(index) : QString();
}

} // namespace CASpreadsheetCells
