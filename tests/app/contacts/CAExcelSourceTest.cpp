// The spreadsheet source: workbooks through a temporary comma-separated file and the text import
// dialog into persons; what cancelling the chooser or the dialog leaves.
#include "app/contacts/CAExcelSource.h"

#include "app/contacts/CADelimitedText.h"
#include "kernel/base/CAEnvironment.h"

#include "ContactsTestSupport.h"
#include "TestSupport.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace contactstest;

namespace {

QString workbook(const char *name)
{
    return pwtest::dataPath(u"spreadsheets/"_s + QString::fromLatin1(name));
}

QString homeAddressPart(const PWPerson &person, const QString &key)
{
    const std::optional<PWMultiValue> addresses = person.multiValueForProperty(kPWAddressProperty);
    if (!addresses)
        return {};
    const qsizetype home = addresses->indexOfLabel(kPWAddressHomeLabel);
    return home < 0 ? QString() : addresses->valueAtIndex(home).toDictionary().value(key).toString();
}

QStringList spooledFiles()
{
    return QDir(CAEnvironment::tempPath()).entryList({u"tmp*.csv"_s}, QDir::Files);
}

class CAExcelSourceTest : public testing::Test
{
protected:
    CAExcelSourceTest()
        : container(folder.path() + u"/cache"_s)
    {
        hooks.confirmTextImport = [this](CADelimitedText &text, const CATextImportOptions &options, QWidget *) {
            ++dialogs;
            shownOptions = options;
            spooledWhileShown = spooledFiles().size();
            headerSeen = text.hasHeader();
            return dialogs != cancelDialog;
        };
        hooks.chooseFiles = [this](QWidget *, const QString &,
                                   const QStringList &filters) -> std::optional<CAContactImportHooks::ChosenFiles> {
            chooserFilters = filters;
            if (!chosen)
                return std::nullopt;
            return CAContactImportHooks::ChosenFiles {*chosen, folder.path()};
        };
    }

    QTemporaryDir folder;
    ScratchDefaults scratch;
    CADataSourceContainer container;
    CAContactImportHooks hooks;
    std::optional<QStringList> chosen;
    int dialogs = 0;
    int cancelDialog = -1;
    CATextImportOptions shownOptions;
    qsizetype spooledWhileShown = -1;
    bool headerSeen = false;
    QStringList chooserFilters;
};

} // namespace

// Each format's first sheet becomes persons through the dialog, which may change the encoding but
// not the delimiter; the temporary file is gone once read, before the dialog shows.
TEST_F(CAExcelSourceTest, WorkbooksBecomePersonsThroughTheImportDialog)
{
    for (const char *name : {"contacts.xlsx", "contacts.xls"}) {
        SCOPED_TRACE(name);
        dialogs = 0;
        QStringList problems;
        const std::optional<CAPersonList> persons =
            CAExcelSource::personsFromWorkbook(workbook(name), nullptr, problems, hooks);
        ASSERT_TRUE(persons);
        EXPECT_TRUE(problems.isEmpty()) << problems.join(u'|').toStdString();
        EXPECT_EQ(dialogs, 1);
        EXPECT_TRUE(shownOptions.showDialog && shownOptions.encodingChoice);
        EXPECT_FALSE(shownOptions.delimiterChoice || shownOptions.headerForced);
        EXPECT_TRUE(headerSeen) << "the header row is told by its keywords";
        EXPECT_EQ(spooledWhileShown, 0);
        EXPECT_TRUE(spooledFiles().isEmpty());
        EXPECT_EQ(lastNames(*persons), (QStringList {u"Ashgrove"_s, u"O'Neil"_s, u"Tanaka"_s}));
        const PWPerson &zoe = *persons->at(1);
        EXPECT_EQ(zoe.stringForProperty(kPWFirstNameProperty), u"Zo\u00eb"_s);
        EXPECT_EQ(zoe.stringForProperty(kPWOrganizationProperty), u"The \"Quay\" Works"_s);
        EXPECT_EQ(homeAddressPart(zoe, kPWAddressZIPKey), u"97201"_s);
        EXPECT_EQ(homeAddressPart(*persons->at(0), kPWAddressStreetKey), u"22 Elm Row\nFlat 3"_s);
        EXPECT_EQ(persons->at(0)->stringForProperty(kPWOrganizationProperty), u"Harbour Freight, Ltd."_s);
        EXPECT_EQ(homeAddressPart(*persons->at(2), kPWAddressCityKey), u"Tokyo"_s);
    }
}

TEST_F(CAExcelSourceTest, ImportReadsEveryChosenWorkbookAndRemembersTheFolder)
{
    chosen = QStringList {workbook("contacts.xlsx"), workbook("broken-sheet.xlsx"), workbook("contacts.xls")};
    QStringList problems;
    const std::optional<CADataSourceContainer::ImportResult> result =
        CAExcelSource::importDataFromExcel(nullptr, problems, scratch.defaults(), container, hooks);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->persons.size(), 6);
    EXPECT_EQ(chooserFilters, QStringList {u"*.xls *.xlsx"_s});
    // The damaged workbook is named and skipped; the others are read.
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems.first().startsWith(u"broken-sheet.xlsx could not be read"_s))
        << problems.first().toStdString();
    EXPECT_EQ(scratch.defaults().stringForKey(u"excelFileOpenDialogDirectory"_s), folder.path());
    EXPECT_FALSE(container.isErrorDuringImporting());
}

// Cancelling the chooser sets the import error flag; cancelling the dialog of the second of three
// workbooks drops the persons of all of them; nothing readable gives nothing.
TEST_F(CAExcelSourceTest, CancelledOrEmptyImportsGiveNothing)
{
    QStringList problems;
    EXPECT_FALSE(CAExcelSource::importDataFromExcel(nullptr, problems, scratch.defaults(), container, hooks));
    EXPECT_TRUE(container.isErrorDuringImporting());

    container.setErrorDuringImporting(false);
    chosen = QStringList {workbook("contacts.xlsx"), workbook("contacts.xls"), workbook("inline.xlsx")};
    cancelDialog = 2;
    EXPECT_FALSE(CAExcelSource::importDataFromExcel(nullptr, problems, scratch.defaults(), container, hooks));
    EXPECT_EQ(dialogs, 2) << "the third workbook is not asked about";
    EXPECT_FALSE(container.isErrorDuringImporting());
    EXPECT_TRUE(spooledFiles().isEmpty());

    chosen = QStringList {workbook("no-workbook.xlsx")};
    problems.clear();
    EXPECT_FALSE(CAExcelSource::importDataFromExcel(nullptr, problems, scratch.defaults(), container, hooks));
    EXPECT_EQ(problems.size(), 1);
}
