#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The first worksheet of a spreadsheet workbook as rows of cell texts: Excel 5.0-2003 workbooks
// (".xls", a compound file, read by libfreexl) and Office Open XML workbooks (".xlsx", a zip of
// XML parts, read by libzip and Qt's XML reader: shared strings, inline strings, numbers,
// booleans and the cached results of formulas). The first sheet is the first the workbook shows:
// hidden sheets are passed over. Whole numbers keep every digit, other numbers are written as the
// shortest text that reads back to them, and dates and times read as the workbook shows them
// (through their cells' number formats). Which reader applies is told by the file's first
// bytes, not its name.
// Damaged, truncated or over-large workbooks give no rows and a reason, never a crash: libfreexl
// does not survive every damaged file, so ".xls" workbooks are read in a child process of their
// own, which hands the rows back.
class CASpreadsheetReader
{
public:
    using Rows = QList<QStringList>;

    // Limits against workbooks that unpack to far more than they weigh.
    static constexpr qint64 kMaxPartBytes = 64 * 1024 * 1024;
    static constexpr qint64 kMaxCells = 4 * 1024 * 1024;
    static constexpr int kMaxColumns = 16384;
    // The text all cells together may hold: one long shared text named by many cells counts once
    // per cell, which is what converting them costs.
    static constexpr qint64 kMaxTextCharacters = 32 * 1024 * 1024;

    static std::optional<Rows> readFirstSheet(const QString &path, QString *error = nullptr);
    // The ".xlsx" reader over the workbook's bytes.
    static std::optional<Rows> readXlsx(const QByteArray &bytes, QString *error = nullptr);
    // The ".xls" reader, in a child process under a deadline and a memory limit.
    static std::optional<Rows> readXls(const QString &path, QString *error = nullptr);
    // The rows from the bytes that child sends back; a damaged child may send anything, so they
    // are checked like any bytes from outside.
    static std::optional<Rows> rowsFromChildAnswer(QByteArrayView answer, QString *error = nullptr);

    // Rows as comma-separated text, UTF-8 with its byte-order mark; fields holding a comma, a
    // quote or a line break are quoted, quotes doubled.
    static QByteArray toCsv(const Rows &rows);
    // One field as toCsv() writes it: quoted, quotes doubled, where it holds a comma, a quote or a
    // line break; as it is otherwise.
    static QString csvField(const QString &field);
    // The text of a number cell: integral values without a decimal point, others the shortest form.
    static QString numberText(double value);
};
