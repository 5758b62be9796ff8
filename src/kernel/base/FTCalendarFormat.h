#pragma once

#include <QDateTime>
#include <QString>

// Dates written with the percent codes of the original platform's calendar formats, in the C
// locale and in the date's own time zone: %a %A weekday, %b %B month, %c time and date,
// %d %e day, %F milliseconds, %H %I hour, %j day of year, %m month, %M minute, %p AM/PM,
// %S second, %w weekday number (Sunday 0), %x date, %X time, %y %Y year, %Z zone name,
// %z zone offset (+hhmm), %% percent. Unknown codes stay as written; an invalid date is empty.
QString formatCalendarDate(const QDateTime &date, const QString &format);

// A date's standard text: "yyyy-MM-dd HH:mm:ss +hhmm".
QString dateDescription(const QDateTime &date);
