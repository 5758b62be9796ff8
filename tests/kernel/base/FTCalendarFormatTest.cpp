#include "kernel/base/FTCalendarFormat.h"

#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

TEST(CalendarFormatTest, FormatsEachCode)
{
    // Tuesday, 5 March 2024 (day 65 of a leap year), 14:07:09.045, one hour ahead of UTC.
    const QDateTime moment(QDate(2024, 3, 5), QTime(14, 7, 9, 45), QTimeZone(3600));
    EXPECT_EQ(formatCalendarDate(
                  moment,
                  QStringLiteral(
                      "%d/%m/%Y|%e|%y|%a %A|%b %B|%H:%M:%S.%F|%I %p|%j|%w|%z|%x|%X|%c|100%%|%q stays|ends with %")),
              QStringLiteral("05/03/2024|5|24|Tue Tuesday|Mar March|14:07:09.045|02 "
                             "PM|065|2|+0100|03/05/24|14:07:09|14:07:09 03/05/24|100%|%q stays|ends with %"));
    EXPECT_EQ(formatCalendarDate(moment, QStringLiteral("no codes")), QStringLiteral("no codes"));
}

TEST(CalendarFormatTest, MidnightNoonSundayNegativeOffsetsAndTheDescription)
{
    const QDateTime midnight(QDate(2023, 1, 1), QTime(0, 5), QTimeZone(-(5 * 3600 + 30 * 60)));
    EXPECT_EQ(formatCalendarDate(midnight, QStringLiteral("%I:%M %p %w %z")), QStringLiteral("12:05 AM 0 -0530"));
    const QDateTime noon(QDate(2023, 1, 1), QTime(12, 0), QTimeZone::utc());
    EXPECT_EQ(formatCalendarDate(noon, QStringLiteral("%I %p %z")), QStringLiteral("12 PM +0000"));
    EXPECT_EQ(formatCalendarDate(QDateTime(), QStringLiteral("%Y")), QString());
    EXPECT_EQ(dateDescription(QDateTime(QDate(1999, 12, 31), QTime(23, 59, 58), QTimeZone(-3600 * 8))), QStringLiteral("1999-12-31 23:59:58 -0800"));
}

} // namespace
