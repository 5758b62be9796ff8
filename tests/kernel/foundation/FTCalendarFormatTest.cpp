#include "kernel/foundation/FTCalendarFormat.h"

#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

struct CalendarCase { const char *format; const char *expected; };

class CalendarFormat : public ::testing::TestWithParam<CalendarCase>
{
protected:
    // Tuesday, 5 March 2024 (day 65 of a leap year), 14:07:09.045, one hour ahead of UTC.
    static QDateTime moment() { return QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9, 45), QTimeZone(3600)); }
};

TEST_P(CalendarFormat, FormatsEachCode)
{
    EXPECT_EQ(formatCalendarDate(moment(), QString::fromUtf8(GetParam().format)), QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Codes, CalendarFormat,
    ::testing::Values(CalendarCase {"%d/%m/%Y", "05/03/2024"}, CalendarCase {"%e", "5"}, CalendarCase {"%y", "24"},
                      CalendarCase {"%a %A", "Tue Tuesday"}, CalendarCase {"%b %B", "Mar March"},
                      CalendarCase {"%H:%M:%S.%F", "14:07:09.045"}, CalendarCase {"%I %p", "02 PM"},
                      CalendarCase {"%j", "065"}, CalendarCase {"%w", "2"}, CalendarCase {"%z", "+0100"},
                      CalendarCase {"%x", "03/05/24"}, CalendarCase {"%X", "14:07:09"},
                      CalendarCase {"%c", "14:07:09 03/05/24"}, CalendarCase {"100%%", "100%"},
                      CalendarCase {"%q stays", "%q stays"}, CalendarCase {"ends with %", "ends with %"},
                      CalendarCase {"no codes", "no codes"}));

TEST(CalendarFormatTest, MidnightNoonSundayAndNegativeOffsets)
{
    const QDateTime midnight(QDate(2023, 1, 1), QTime(0, 5), QTimeZone(-(5 * 3600 + 30 * 60)));
    EXPECT_EQ(formatCalendarDate(midnight, QStringLiteral("%I:%M %p %w %z")), QStringLiteral("12:05 AM 0 -0530"));
    const QDateTime noon(QDate(2023, 1, 1), QTime(12, 0), QTimeZone::utc());
    EXPECT_EQ(formatCalendarDate(noon, QStringLiteral("%I %p %z")), QStringLiteral("12 PM +0000"));
    EXPECT_EQ(formatCalendarDate(QDateTime(), QStringLiteral("%Y")), QString());
}

TEST(CalendarFormatTest, DescriptionIsDateTimeAndOffset)
{
    EXPECT_EQ(dateDescription(QDateTime(QDate(1999, 12, 31), QTime(23, 59, 58), QTimeZone(-3600 * 8))),
              QStringLiteral("1999-12-31 23:59:58 -0800"));
}

} // namespace
