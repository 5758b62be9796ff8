#include "kernel/address/FTNaturalDate.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

int monthFromName(const QString &word)
{
    static const QStringList months = {
        QStringLiteral("january"), QStringLiteral("february"), QStringLiteral("march"),
        QStringLiteral("april"),   QStringLiteral("may"),      QStringLiteral("june"),
        QStringLiteral("july"),    QStringLiteral("august"),   QStringLiteral("september"),
        QStringLiteral("october"), QStringLiteral("november"), QStringLiteral("december"),
    };
    const QString lower = word.toLower();
    if (lower.size() < 3)
        return 0;
    for (int i = 0; i < months.size(); ++i) {
        if (months.at(i).startsWith(lower) || (lower == QLatin1String("sept") && i == 8))
            return i + 1;
    }
    return 0;
}

bool isWeekday(const QString &word)
{
    static const QStringList days = {
        QStringLiteral("monday"), QStringLiteral("tuesday"),  QStringLiteral("wednesday"), QStringLiteral("thursday"),
        QStringLiteral("friday"), QStringLiteral("saturday"), QStringLiteral("sunday"),
    };
    const QString lower = word.toLower();
    if (lower.size() < 3)
        return false;
    for (const QString &day : days) {
        if (day.startsWith(lower))
            return true;
    }
    return false;
}

int fullYear(const QString &digits)
{
    const int year = digits.toInt();
    if (digits.size() <= 2)
        return year < 50 ? 2000 + year : 1900 + year;
    return year;
}

std::optional<QDate> makeDate(int year, int month, int day)
{
    const QDate date(year, month, day);
    if (!date.isValid() || year < 1 || year > 9999)
        return std::nullopt;
    return date;
}

} // namespace

std::optional<QDate> dateFromNaturalLanguageString(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > 64)
        return std::nullopt;

    static const QRegularExpression iso(QStringLiteral("^(\\d{4})[-/](\\d{1,2})[-/](\\d{1,2})$"));
    static const QRegularExpression compact(QStringLiteral("^(\\d{4})(\\d{2})(\\d{2})$"));
    static const QRegularExpression american(QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{2}|\\d{4})$"));
    static const QRegularExpression dotted(QStringLiteral("^(\\d{1,2})\\.(\\d{1,2})\\.(\\d{2}|\\d{4})$"));
    QRegularExpressionMatch m;
    if ((m = iso.match(trimmed)).hasMatch() || (m = compact.match(trimmed)).hasMatch())
        return makeDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if ((m = american.match(trimmed)).hasMatch())
        return makeDate(fullYear(m.captured(3)), m.captured(1).toInt(), m.captured(2).toInt());
    if ((m = dotted.match(trimmed)).hasMatch())
        return makeDate(fullYear(m.captured(3)), m.captured(2).toInt(), m.captured(1).toInt());

    // Words: an optional weekday, then a month name with a day either side, then the year.
    static const QRegularExpression separators(QStringLiteral("[\\s,]+"));
    QStringList words = trimmed.split(separators, Qt::SkipEmptyParts);
    if (!words.isEmpty() && isWeekday(words.constFirst()) && !monthFromName(words.constFirst()))
        words.removeFirst();
    if (words.size() != 3)
        return std::nullopt;
    static const QRegularExpression dayPattern(QStringLiteral("^(\\d{1,2})(st|nd|rd|th)?\\.?$"));
    static const QRegularExpression yearPattern(QStringLiteral("^\\d{2}$|^\\d{4}$"));
    QString monthWord = words.at(0);
    QString dayWord = words.at(1);
    if (!monthFromName(monthWord)) {
        std::swap(monthWord, dayWord);
    }
    monthWord.remove(QLatin1Char('.'));
    const int month = monthFromName(monthWord);
    const QRegularExpressionMatch day = dayPattern.match(dayWord);
    if (!month || !day.hasMatch() || !yearPattern.match(words.at(2)).hasMatch())
        return std::nullopt;
    return makeDate(fullYear(words.at(2)), month, day.captured(1).toInt());
}
