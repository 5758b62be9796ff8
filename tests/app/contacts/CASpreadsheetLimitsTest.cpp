// Workbooks the test damages or inflates itself: an Excel 97-2003 workbook with a damaged header
// or record is read apart from the application and refused with a reason, and an Office Open XML
// workbook whose cells all name one long shared text is refused before its text is multiplied.
#include "app/contacts/CASpreadsheetReader.h"

#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

#include <zip.h>

using namespace Qt::StringLiterals;

namespace {

struct DamagedXls
{
    const char *name;
    std::function<bool(QByteArray &)> damage; // false when the workbook has no place to damage
    // Refused, or (where the library reads past the damage as it pleases) rows or a refusal,
    // but never a crash.
    bool mayRead;
    const char *reason;
};

std::ostream &operator<<(std::ostream &out, const DamagedXls &c)
{
    return out << c.name;
}

// The first record of a kind in the workbook stream: its type and its stated length.
qsizetype recordAt(const QByteArray &bytes, quint8 type, quint8 length)
{
    QByteArray header(4, '\0');
    header[0] = char(type);
    header[2] = char(length);
    return bytes.indexOf(header);
}

using CASpreadsheetDamagedXlsTest = testing::TestWithParam<DamagedXls>;

TEST_P(CASpreadsheetDamagedXlsTest, IsReadApartAndRefusedWithAReason)
{
    const DamagedXls &c = GetParam();
    QByteArray bytes = pwtest::readFixture(u"spreadsheets/contacts.xls"_s);
    ASSERT_FALSE(bytes.isEmpty());
    ASSERT_TRUE(c.damage(bytes));
    QTemporaryDir folder;
    const QString path = folder.filePath(u"damaged.xls"_s);
    ASSERT_TRUE(pwtest::writeFile(path, bytes));
    QString error;
    const std::optional<CASpreadsheetReader::Rows> rows = CASpreadsheetReader::readFirstSheet(path, &error);
    if (!rows || !c.mayRead) {
        EXPECT_FALSE(rows.has_value());
        EXPECT_TRUE(error.startsWith(QString::fromLatin1(c.reason))) << error.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CASpreadsheetDamagedXlsTest,
    testing::Values(
        DamagedXls {"DirectoryStartsNowhere",
                    [](QByteArray &bytes) {
                        bytes.replace(0x30, 4, QByteArray(4, '\xFF'));
                        return true;
                    },
                    false, "the workbook is damaged"},
        DamagedXls {"TopMarginRecordLength",
                    [](QByteArray &bytes) {
                        const qsizetype at = recordAt(bytes, 0x28, 8);
                        if (at < 0)
                            return false;
                        bytes[at + 2] = char(0xF8);
                        return true;
                    },
                    true, "the workbook is damaged"},
        DamagedXls {"SectorSizeOutOfRange",
                    [](QByteArray &bytes) {
                        bytes[0x1E] = char(0x30);
                        return true;
                    },
                    false, "the workbook is damaged"}),
    [](const testing::TestParamInfo<DamagedXls> &info) { return std::string(info.param.name); });

// A workbook of one shared text named by `cells` cells of one row, written with libzip.
bool writeSharedTextWorkbook(const QString &path, qsizetype textLength, int cells)
{
    const QByteArray workbook = "<?xml version=\"1.0\"?><workbook xmlns=\"http://schemas.openxmlformats.org/"
                                "spreadsheetml/2006/main\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/"
                                "2006/relationships\"><sheets><sheet name=\"A\" sheetId=\"1\" r:id=\"rId1\"/></sheets>"
                                "</workbook>";
    const QByteArray relations = "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/"
                                 "package/2006/relationships\"><Relationship Id=\"rId1\" Type=\"worksheet\" "
                                 "Target=\"worksheets/sheet1.xml\"/></Relationships>";
    const QByteArray shared = "<?xml version=\"1.0\"?><sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/"
                              "2006/main\"><si><t>" + QByteArray(textLength, 'x') + "</t></si></sst>";
    QByteArray sheet = "<?xml version=\"1.0\"?><worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/"
                       "2006/main\"><sheetData><row r=\"1\">";
    for (int i = 0; i < cells; ++i)
        sheet += "<c t=\"s\"><v>0</v></c>";
    sheet += "</row></sheetData></worksheet>";
    int failure = 0;
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &failure);
    if (!zip)
        return false;
    const std::pair<const char *, const QByteArray *> parts[] = {{"xl/workbook.xml", &workbook},
                                                                 {"xl/_rels/workbook.xml.rels", &relations},
                                                                 {"xl/sharedStrings.xml", &shared},
                                                                 {"xl/worksheets/sheet1.xml", &sheet}};
    for (const auto &[name, bytes] : parts) {
        zip_source_t *source = zip_source_buffer(zip, bytes->constData(), zip_uint64_t(bytes->size()), 0);
        if (!source || zip_file_add(zip, name, source, ZIP_FL_OVERWRITE) < 0) {
            zip_source_free(source);
            zip_discard(zip);
            return false;
        }
    }
    return zip_close(zip) == 0;
}

struct SharedTextCase
{
    const char *name;
    qsizetype textLength;
    int cells;
    bool read;
};

std::ostream &operator<<(std::ostream &out, const SharedTextCase &c)
{
    return out << c.name;
}

using CASpreadsheetSharedTextTest = testing::TestWithParam<SharedTextCase>;

TEST_P(CASpreadsheetSharedTextTest, TheCellsTextIsBoundedNotTheirNumber)
{
    const SharedTextCase &c = GetParam();
    QTemporaryDir folder;
    const QString path = folder.filePath(u"shared.xlsx"_s);
    ASSERT_TRUE(writeSharedTextWorkbook(path, c.textLength, c.cells));
    QString error;
    const std::optional<CASpreadsheetReader::Rows> rows = CASpreadsheetReader::readFirstSheet(path, &error);
    ASSERT_EQ(rows.has_value(), c.read) << error.toStdString();
    if (rows) {
        ASSERT_EQ(rows->size(), 1);
        EXPECT_EQ(rows->first().size(), c.cells);
        EXPECT_EQ(rows->first().last().size(), c.textLength);
    } else {
        EXPECT_EQ(error, u"the texts of the worksheet's cells come to more than %1 characters"_s.arg(
                             CASpreadsheetReader::kMaxTextCharacters));
    }
}

constexpr qsizetype kLongText = 4 * 1024 * 1024;

INSTANTIATE_TEST_SUITE_P(
    Cases, CASpreadsheetSharedTextTest,
    testing::Values(SharedTextCase {"LongTextInFewCells", kLongText, 7, true},
                    SharedTextCase {"LongTextInManyCells", kLongText, 40, false},
                    SharedTextCase {"JustAboveTheBound", CASpreadsheetReader::kMaxTextCharacters / 4 + 1, 4, false},
                    SharedTextCase {"ShortTextInManyCells", 10, 16384, true}),
    [](const testing::TestParamInfo<SharedTextCase> &info) { return std::string(info.param.name); });

// What the child process sends back is checked like any bytes from outside.
TEST(CASpreadsheetChildAnswer, DamagedAnswersAreRefused)
{
    const QByteArray row = QByteArray("\x02\0\0\0", 4) + QByteArray("\x01\0\0\0a", 5) + QByteArray("\x02\0\0\0bc", 6);
    const std::vector<std::pair<QByteArray, bool>> answers = {
        {"R" + row, true},
        {"R" + row + row, true},
        {"R", true},
        {"R" + row.left(row.size() - 1), false},
        {"R" + QByteArray("\xFF\xFF\xFF\xFF", 4), false},
        {"R" + QByteArray("\x01\0\0\0\xFF\xFF\xFF\x7F", 8), false},
        {"X", false},
        {QByteArray(), false},
    };
    for (const auto &[answer, read] : answers) {
        QString error;
        const std::optional<CASpreadsheetReader::Rows> rows = CASpreadsheetReader::rowsFromChildAnswer(answer, &error);
        EXPECT_EQ(rows.has_value(), read) << answer.toHex().toStdString();
        EXPECT_EQ(error.isEmpty(), read) << answer.toHex().toStdString();
        if (rows && !rows->isEmpty()) {
            EXPECT_EQ(rows->first(), (QStringList{u"a"_s, u"bc"_s}));
        }
    }
    QString error;
    EXPECT_FALSE(CASpreadsheetReader::rowsFromChildAnswer("Ethe worksheet is too large", &error));
    EXPECT_EQ(error, u"the worksheet is too large"_s);
}

} // namespace
