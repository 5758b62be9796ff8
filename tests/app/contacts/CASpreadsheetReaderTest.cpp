// Workbooks made by tools/make_spreadsheet_fixtures.py: the first worksheet as rows, and the
// damaged ones refused with a reason.
#include "app/contacts/CASpreadsheetReader.h"
#include "app/contacts/CAXlsSheets.h"

#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using Rows = CASpreadsheetReader::Rows;

const Rows kContacts = {
    {u"First Name"_s, u"Last Name"_s, u"Company"_s, u"Home Street"_s, u"Home City"_s, u"Home Postal Code"_s,
     u"Home Country"_s, u"E-mail Address"_s},
    {u"Johanna"_s, u"Ashgrove"_s, u"Harbour Freight, Ltd."_s, u"22 Elm Row\nFlat 3"_s, u"Edinburgh"_s, u"EH1 3AA"_s,
     u"United Kingdom"_s, u"jo@home.example"_s},
    {u"Zo\u00eb"_s, u"O'Neil"_s, u"The \"Quay\" Works"_s, u"1 Quay Street"_s, u"Portland"_s, u"97201"_s, u"USA"_s,
     u"zoe@home.example"_s},
    {u"Kenji"_s, u"Tanaka"_s, u"\u6771\u4eac Trading"_s, u"3-1 Marunouchi"_s, u"Tokyo"_s, u"100-0005"_s, u"Japan"_s,
     u"kenji@home.example"_s},
};

class CASpreadsheetWorkbooks : public testing::TestWithParam<const char *>
{
};

} // namespace

// Both formats give the first worksheet, numbers without a decimal point, texts as written.
TEST_P(CASpreadsheetWorkbooks, FirstSheetComesAsRows)
{
    QString error;
    const std::optional<Rows> rows = CASpreadsheetReader::readFirstSheet(
        pwtest::dataPath(u"spreadsheets/"_s + QString::fromLatin1(GetParam())), &error);
    ASSERT_TRUE(rows) << error.toStdString();
    EXPECT_EQ(*rows, kContacts);
}

INSTANTIATE_TEST_SUITE_P(Formats, CASpreadsheetWorkbooks, testing::Values("contacts.xlsx", "contacts.xls"));

// Each version of the binary format in its own sheet-record layout: the sheet read is the first
// one shown, after a hidden one, and its name in the workbook's code page.
TEST(CASpreadsheetReader, TheFirstShownSheetOfEachXlsVersion)
{
    const struct
    {
        const char *file;
        QString sheet;
        Rows rows;
    } cases[] = {
        {"contacts.xls", u"Contacts"_s, kContacts},
        {"excel95-hidden-first-sheet.xls", u"\u00dcbersicht"_s,
         {{u"First Name"_s, u"Last Name"_s, u"Home City"_s},
          {u"Zo\u00eb"_s, u"Abbott"_s, u"K\u00f6ln"_s},
          {u"Bo"_s, u"Baker"_s, u"Leeds"_s}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = pwtest::dataPath(u"spreadsheets/"_s + QString::fromLatin1(c.file));
        EXPECT_EQ(CAXlsSheets::firstVisibleWorksheet(pwtest::readFixture(u"spreadsheets/"_s + QString::fromLatin1(c.file))),
                  c.sheet);
        QString error;
        const std::optional<Rows> rows = CASpreadsheetReader::readFirstSheet(path, &error);
        ASSERT_TRUE(rows) << error.toStdString();
        EXPECT_EQ(*rows, c.rows);
    }
}

// Shared strings with rich runs (phonetic readings left out), inline strings, a formula's text,
// a boolean, numbers in exponent form, cells without a reference and a gap between columns; the
// first sheet is the workbook's first, not the part named sheet1.
TEST(CASpreadsheetReader, XlsxCellKinds)
{
    QString error;
    const std::optional<Rows> rows =
        CASpreadsheetReader::readFirstSheet(pwtest::dataPath(u"spreadsheets/inline.xlsx"_s), &error);
    ASSERT_TRUE(rows) << error.toStdString();
    const Rows expected = {{u"First Name"_s, u"Last Name"_s, QString(), u"Home City"_s, u"Note"_s},
                           {u"Mari Ann"_s, u"Green"_s, QString(), u"LEEDS"_s, u"TRUE"_s},
                           {u"Bo"_s, u"White & Sons"_s, QString(), u"1500"_s, u"0.25"_s}};
    EXPECT_EQ(*rows, expected);
}

struct Refusal
{
    const char *file;
    const char *reason;
};

void PrintTo(const Refusal &refusal, std::ostream *stream)
{
    *stream << refusal.file;
}

class CASpreadsheetRefusals : public testing::TestWithParam<Refusal>
{
};

TEST_P(CASpreadsheetRefusals, DamagedWorkbookIsRefusedWithAReason)
{
    QString error;
    EXPECT_FALSE(CASpreadsheetReader::readFirstSheet(
        pwtest::dataPath(u"spreadsheets/"_s + QString::fromLatin1(GetParam().file)), &error));
    EXPECT_TRUE(error.contains(QString::fromLatin1(GetParam().reason))) << error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Workbooks, CASpreadsheetRefusals,
                         testing::Values(Refusal {"bad-shared-index.xlsx", "names a text the workbook does not hold"},
                                         Refusal {"bad-reference.xlsx", "no usable position"},
                                         Refusal {"broken-sheet.xlsx", "the worksheet is damaged"},
                                         Refusal {"no-workbook.xlsx", "no part xl/workbook.xml"}),
                         [](const testing::TestParamInfo<Refusal> &info) {
                             std::string name = info.param.file;
                             name = name.substr(0, name.find('.'));
                             std::erase(name, '-');
                             return name;
                         });

// Cut anywhere, a workbook is refused: the zip's directory sits at its end, the compound file's
// sectors run past the cut.
TEST(CASpreadsheetReader, TruncatedWorkbooksAreRefused)
{
    QTemporaryDir folder;
    for (const QString &name : {u"contacts.xlsx"_s, u"contacts.xls"_s}) {
        const QByteArray whole = pwtest::readFixture(u"spreadsheets/"_s + name);
        ASSERT_FALSE(whole.isEmpty());
        for (const qsizetype length :
             {qsizetype(0), qsizetype(4), qsizetype(8), qsizetype(512), whole.size() / 2, whole.size() - 1}) {
            const QString path = folder.filePath(u"cut-"_s + name);
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(whole.left(length));
            file.close();
            QString error;
            EXPECT_FALSE(CASpreadsheetReader::readFirstSheet(path, &error)) << name.toStdString() << " " << length;
            EXPECT_FALSE(error.isEmpty()) << name.toStdString() << " " << length;
        }
    }
    // Text named as a workbook is no workbook.
    const QString text = folder.filePath(u"list.xlsx"_s);
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("First Name,Last Name\nAnna,White\n");
    file.close();
    QString error;
    EXPECT_FALSE(CASpreadsheetReader::readFirstSheet(text, &error));
    EXPECT_EQ(error, u"the file is not an Excel workbook"_s);
}

TEST(CASpreadsheetReader, NumbersAndCsv)
{
    const std::vector<std::pair<double, QString>> numbers = {
        {97201, u"97201"_s}, {-3, u"-3"_s}, {0.25, u"0.25"_s}, {1e20, u"100000000000000000000"_s},
        {1234567890123456.0, u"1234567890123456"_s}, {2.0 / 3, u"0.6666666666666666"_s}, {1e25, u"1e+25"_s}};
    for (const auto &[value, text] : numbers)
        EXPECT_EQ(CASpreadsheetReader::numberText(value), text) << value;
    const QByteArray csv = CASpreadsheetReader::toCsv({{u"a,b"_s, u"say \"hi\""_s, u"two\nlines"_s, u"plain"_s}, {}});
    EXPECT_EQ(csv, QByteArray("\xEF\xBB\xBF\"a,b\",\"say \"\"hi\"\"\",\"two\nlines\",plain\r\n\r\n"));
}
