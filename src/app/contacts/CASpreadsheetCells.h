#pragma once

#include <QHash>
#include <QString>
#include <QStringView>

#include <optional>

// How a workbook shows the value of a number cell: numbers with every digit they hold, dates and
// times through the cell's number format, as the spreadsheet program shows them.
namespace CASpreadsheetCells {

// The shortest text that reads back to the number: integral values written out without a
// decimal point or an exponent (below 10^21), so that no digit is lost.
QString numberText(double value);
// The text of a number cell as the workbook writes it ("97201", "1.5E+3"): a whole number written
// out keeps every digit, even past what a double holds; any other goes through numberText().
// Nothing when it is no number.
std::optional<QString> numberCellText(QStringView written);

// The format code of a built-in number format that shows a date or a time; empty for any other.
QString builtInDateFormat(int numberFormatId);
// Whether a format code shows a date or a time (it has day, month, year, hour or second parts
// outside quoted text and brackets).
bool isDateFormat(const QString &code);
// A date serial number (days since the workbook's epoch, the fraction the time of day) shown
// through a date format code; the plain number when it lies outside the days a date can show.
QString dateText(double serial, const QString &code, bool epoch1904);

// A workbook's cell styles: the number format each style index shows its number with.
struct Styles
{
    QHash<qint64, QString> dateFormatOfStyle; // by the cell's "s", for the styles that show dates
    bool epoch1904 = false;
    // The date format code of a cell's style attribute; empty for none.
    QString dateFormatOf(QStringView styleAttribute) const;
};

} // namespace CASpreadsheetCells
