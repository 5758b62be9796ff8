// Workbooks the test makes with the spreadsheet libraries a user's programs write with: the sheet
// read is the first one shown, numbers keep their digits and dates read as the workbook shows
// them.
#include "app/contacts/CASpreadsheetCells.h"
#include "app/contacts/CASpreadsheetReader.h"
#include "app/contacts/CAXlsSheets.h"

#include "TestSupport.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using Rows = CASpreadsheetReader::Rows;

// A hidden first sheet, then the people: a 16-digit account, a 19-digit number, dates in several
// formats and a sum of fractions; the ".xls" holds what that format can.
const char kMakeWorkbooks[] = R"(
import datetime, sys, openpyxl, xlwt
from openpyxl.utils.datetime import CALENDAR_MAC_1904
day = datetime.date(2024, 2, 29)
stamp = datetime.datetime(2024, 2, 29, 13, 5, 9)
for name, epoch in (("book", None), ("mac", CALENDAR_MAC_1904)):
    book = openpyxl.Workbook()
    if epoch:
        book.epoch = epoch
    old = book.active
    old.title = "Old"
    old.append(["Not", "read"])
    old.sheet_state = "hidden"
    people = book.create_sheet("People")
    people.append(["Name", "Account", "Long", "Born", "Dotted", "Short", "Time", "Stamp", "Ratio", "Hour", "Second"])
    people.append(["Ada", 1234567890123456, 1234567890123456789, day, day, day, stamp, stamp, 0.1 + 0.2, stamp, stamp])
    people["E2"].number_format = "dd.mm.yyyy"
    people["F2"].number_format = "mm-dd-yy"
    people["G2"].number_format = "h:mm AM/PM"
    people["J2"].number_format = "hh"
    people["K2"].number_format = "ss.00"
    book.save(sys.argv[1] + "/" + name + ".xlsx")
book = xlwt.Workbook(encoding="utf-8")
old = book.add_sheet("Old")
old.write(0, 0, "Not read")
old.visibility = 1
people = book.add_sheet("People")
for column, text in enumerate(["Name", "Account", "Born", "Ratio"]):
    people.write(0, column, text)
people.write(1, 0, "Ada")
people.write(1, 1, 1234567890123456)
people.write(1, 2, day, xlwt.easyxf(num_format_str="YYYY-MM-DD"))
people.write(1, 3, 2.0 / 3)
book.save(sys.argv[1] + "/book.xls")
)";

class CASpreadsheetShown : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        folder = new QTemporaryDir;
        QProcess python;
        python.start(u"/usr/bin/python3"_s, {u"-c"_s, QString::fromLatin1(kMakeWorkbooks), folder->path()});
        made = python.waitForFinished(60000) && python.exitStatus() == QProcess::NormalExit && python.exitCode() == 0;
        if (!made)
            failure = QString::fromUtf8(python.readAllStandardError()) + python.errorString();
    }
    static void TearDownTestSuite()
    {
        delete folder;
        folder = nullptr;
    }
    // The workbook's rows; empty, with the failure recorded, when it cannot be read.
    static Rows read(const QString &name)
    {
        EXPECT_TRUE(made) << "python3 with openpyxl and xlwt made no workbooks: " << failure.toStdString();
        QString error;
        const std::optional<Rows> rows = CASpreadsheetReader::readFirstSheet(folder->filePath(name), &error);
        EXPECT_TRUE(rows) << name.toStdString() << ": " << error.toStdString();
        return rows.value_or(Rows());
    }
    // The cell under a header of the second row.
    static QString cell(const Rows &rows, const QString &header)
    {
        if (rows.size() < 2)
            return u"(no rows)"_s;
        const qsizetype column = rows[0].indexOf(header);
        return column >= 0 && column < rows[1].size() ? rows[1][column] : u"(no column)"_s;
    }

    static inline QTemporaryDir *folder = nullptr;
    static inline bool made = false;
    static inline QString failure;
};

TEST_F(CASpreadsheetShown, TheFirstShownSheetIsRead)
{
    for (const QString &name : {u"book.xlsx"_s, u"mac.xlsx"_s, u"book.xls"_s}) {
        const Rows rows = read(name);
        ASSERT_FALSE(rows.isEmpty()) << name.toStdString();
        EXPECT_EQ(rows[0].value(0), u"Name"_s) << name.toStdString();
    }
}

TEST_F(CASpreadsheetShown, NumbersKeepTheirDigitsAndDatesReadAsShown)
{
    const struct
    {
        const char *workbook;
        const char *header;
        const char *text;
    } cases[] = {
        {"book.xlsx", "Account", "1234567890123456"},
        // Stored as the double nearest to it: the digits that read back to that, written out.
        {"book.xlsx", "Long", "1234567890123457000"},
        {"book.xlsx", "Born", "2024-02-29"},
        {"book.xlsx", "Dotted", "29.02.2024"},
        // The built-in short date, as the spreadsheet program shows it.
        {"book.xlsx", "Short", "2/29/2024"},
        {"book.xlsx", "Time", "1:05 PM"},
        {"book.xlsx", "Stamp", "2024-02-29 13:05:09"},
        {"book.xlsx", "Ratio", "0.3"},
        // Formats of an hour or a second alone are times too.
        {"book.xlsx", "Hour", "13"},
        {"book.xlsx", "Second", "09.00"},
        // Days counted from 1904.
        {"mac.xlsx", "Born", "2024-02-29"},
        {"mac.xlsx", "Stamp", "2024-02-29 13:05:09"},
        {"book.xls", "Account", "1234567890123456"},
        {"book.xls", "Born", "2024-02-29"},
        // The shortest text that reads back to the double the workbook holds.
        {"book.xls", "Ratio", "0.6666666666666666"},
    };
    for (const auto &c : cases) {
        const Rows rows = read(QString::fromLatin1(c.workbook));
        EXPECT_EQ(cell(rows, QString::fromLatin1(c.header)), QString::fromLatin1(c.text)) << c.workbook << " " << c.header;
    }
}

// The sheets of a damaged ".xls" are read in this process: whatever bytes are changed, the
// reading ends with a name or without one, never past the file. Both layouts of the sheet list.
TEST_F(CASpreadsheetShown, DamagedXlsSheetListsAreReadWithinTheFile)
{
    QFile file(folder->filePath(u"book.xls"_s));
    ASSERT_TRUE(made && file.open(QIODevice::ReadOnly));
    const struct
    {
        const char *name;
        QByteArray whole;
        QString sheet;
    } cases[] = {
        {"Excel 97", file.readAll(), u"People"_s},
        {"Excel 95", pwtest::readFixture(u"spreadsheets/excel95-hidden-first-sheet.xls"_s), u"\u00dcbersicht"_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CAXlsSheets::firstVisibleWorksheet(c.whole), c.sheet);
        QRandomGenerator random(20240229);
        for (int round = 0; round < 3000; ++round) {
            QByteArray damaged = c.whole;
            for (int change = 0; change < 1 + round % 8; ++change)
                damaged[random.bounded(damaged.size())] = char(random.bounded(256));
            if (round % 5 == 0)
                damaged.truncate(random.bounded(damaged.size()));
            const std::optional<QString> name = CAXlsSheets::firstVisibleWorksheet(damaged);
            EXPECT_TRUE(!name || name->size() <= 255);
        }
    }
}

// Date formats beyond the ones the libraries write: text, elapsed hours, fractions of a second,
// names of days and months, and the 1900 system's own 29 February and day 0.
TEST(CASpreadsheetCells, DateFormatsShowTheirParts)
{
    const struct
    {
        double serial;
        const char *code;
        const char *text;
    } cases[] = {
        {45351.5, "dddd d mmmm yyyy", "Thursday 29 February 2024"},
        {45351.5, "ddd, mmm d \"at\" hh\\h", "Thu, Feb 29 at 12h"},
        {45351.5, "[$-409]m/d/yy;@", "2/29/24"},
        {1.5, "[h]:mm", "36:00"},
        {0.000011574, "mm:ss.0", "00:01.0"},
        {0.25, "h:mm a/p", "6:00 a"},
        {60.0, "yyyy-mm-dd", "1900-02-29"},
        {61.0, "yyyy-mm-dd", "1900-03-01"},
        {0.0, "m/d/yyyy", "1/0/1900"},
        {-1.0, "yyyy-mm-dd", "-1"},
        {3e6, "yyyy-mm-dd", "3000000"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CASpreadsheetCells::dateText(c.serial, QString::fromLatin1(c.code), false), QString::fromLatin1(c.text))
            << c.code << " " << c.serial;
    const struct
    {
        const char *code;
        bool date;
    } formats[] = {{"yyyy-mm-dd", true}, {"General", false}, {"0.00", false}, {"[Red]#,##0", false},
                   {"\"day\" 0", false}, {"[h]:mm", true}, {"0.00E+00", false}, {"hh:mm", true}};
    for (const auto &f : formats)
        EXPECT_EQ(CASpreadsheetCells::isDateFormat(QString::fromLatin1(f.code)), f.date) << f.code;
}

} // namespace
