#pragma once

#include <QDate>
#include <QString>

#include <optional>

// Reads a date a person typed into a field, the way people write dates in English: ISO
// ("1970-03-04", "1970/03/04", "19700304"), American numeric ("3/4/1970", "3/4/70"), dotted
// European ("4.3.1970"), and with month names ("March 4, 1970", "4 March 1970", "Mar 4 1970"),
// each optionally after a weekday ("Wednesday, March 4, 1970", the form birthdays are shown
// in). Two-digit years below 50 are 20xx, the others 19xx. Nothing for anything else, including
// dates that do not exist ("2/30/1970").
std::optional<QDate> dateFromNaturalLanguageString(const QString &text);
