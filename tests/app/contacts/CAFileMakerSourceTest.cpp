// The database source: the rows a helper written here dumps, as comma-separated text through the
// text import dialog into persons; what a failed dump or a cancelled chooser leaves.
#include "app/contacts/CAFileMakerSource.h"

#include "app/contacts/CADelimitedText.h"

#include "ContactsTestSupport.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include <vector>

using namespace Qt::StringLiterals;
using namespace contactstest;

namespace {

QString homeCity(const PWPerson &person)
{
    const std::optional<PWMultiValue> addresses = person.multiValueForProperty(kPWAddressProperty);
    if (!addresses)
        return {};
    const qsizetype home = addresses->indexOfLabel(kPWAddressHomeLabel);
    return home < 0 ? QString() : addresses->valueAtIndex(home).toDictionary().value(kPWAddressCityKey).toString();
}

struct RowsCase
{
    const char *name;
    const char *json; // the value of "rows"
    QByteArray text;
};

class CAFileMakerRowsTest : public testing::TestWithParam<RowsCase>
{
};

TEST_P(CAFileMakerRowsTest, RowsBecomeCommaSeparatedLines)
{
    const QJsonDocument answer = QJsonDocument::fromJson(QByteArray("{\"rows\": ") + GetParam().json + "}");
    ASSERT_TRUE(answer.isObject());
    EXPECT_EQ(CAFileMakerSource::textOfRows(answer.object().value(u"rows"_s)), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Dumps, CAFileMakerRowsTest,
    testing::Values(
        RowsCase {"LastFieldEmpty", R"([["a", "b", ""]])", "a,b,"},
        RowsCase {"LinesWithoutATrailingLineFeed", R"([["Ada", "Byron"], ["Zo\u00eb", "Quay"]])", "Ada,Byron\nZo\xc3\xab,Quay"},
        RowsCase {"RowThatIsNoListIsItsOwnText", R"([["a", "b"], "one line", []])", "a,b\none line\n"},
        RowsCase {"SingleText", R"("Ada,Byron\nZoe,Quay")", "Ada,Byron\nZoe,Quay"},
        RowsCase {"NumbersAndTruthValues", R"([[1, 2.5, true, null]])", "1,2.5,true,"},
        RowsCase {"CommaQuoteAndLineBreakStayInTheirField", R"([["Harbour Freight, Ltd.", "The \"Quay\"", "1 Elm\nFlat 3"]])",
                  "\"Harbour Freight, Ltd.\",\"The \"\"Quay\"\"\",\"1 Elm\nFlat 3\""}),
    [](const auto &info) { return std::string(info.param.name); });

class CAFileMakerSourceTest : public testing::Test
{
protected:
    CAFileMakerSourceTest()
        : container(folder.path() + u"/cache"_s)
    {
        CAScriptedSource::setHelperFolder(folder.path() + u"/helpers"_s);
        QDir().mkpath(folder.path() + u"/helpers"_s);
        // The user names the columns: first name, last name, home city.
        hooks.confirmTextImport = [this](CADelimitedText &text, const CATextImportOptions &options, QWidget *) {
            ++dialogs;
            shownOptions = options;
            rowsSeen = text.rows();
            text.setRegistry({{u"firstname"_s, 0}, {u"lastname"_s, 1}, {u"homecity"_s, 2}});
            return dialogs != cancelDialog;
        };
        hooks.chooseFiles = [this](QWidget *, const QString &start,
                                   const QStringList &filters) -> std::optional<CAContactImportHooks::ChosenFiles> {
            chooserStart = start;
            chooserFilters = filters;
            if (!chosen)
                return std::nullopt;
            return CAContactImportHooks::ChosenFiles {*chosen, folder.path()};
        };
    }
    ~CAFileMakerSourceTest() override { CAScriptedSource::setHelperFolder(QString()); }

    // The helper: keeps its arguments and request, then runs the shell script body.
    void installHelper(const QByteArray &body)
    {
        const QString path = CAScriptedSource::helperFolder() + u"/FileMaker"_s;
        ASSERT_TRUE(pwtest::writeFile(path, "#!/bin/sh\necho \"$1\" >> '" + requests().toUtf8() + "'\ncat >> '"
                                                + requests().toUtf8() + "'\n" + body));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString requests() const { return folder.path() + u"/requests"_s; }

    QTemporaryDir folder;
    ScratchDefaults scratch;
    CADataSourceContainer container;
    CAContactImportHooks hooks;
    std::optional<QStringList> chosen;
    int dialogs = 0;
    int cancelDialog = -1;
    CATextImportOptions shownOptions;
    QList<QStringList> rowsSeen;
    QString chooserStart;
    QStringList chooserFilters;
};

// Each chosen database is dumped by the helper, asked by path and name, and its rows are read in
// the import dialog, which lets the user name the columns but not change delimiter or encoding.
TEST_F(CAFileMakerSourceTest, DumpedRowsBecomePersonsThroughTheImportDialog)
{
    struct Case
    {
        const char *name;
        QByteArray body;
        QList<QStringList> rows;
        QStringList lastNames;
        QStringList cities;
    };
    const std::vector<Case> cases = {
        {"Rows", R"(echo '{"count": 2}'
echo '{"rows": [["Ada", "Byron", "York"], ["Zo\u00eb", "Quay, Jr.", ""]]}'
)",
         {{u"Ada"_s, u"Byron"_s, u"York"_s}, {u"Zo\u00eb"_s, u"Quay, Jr."_s, u""_s}},
         {u"Byron"_s, u"Quay, Jr."_s},
         {u"York"_s, QString()}},
        {"SingleText", R"(printf '%s\n' '{"rows": "Ada,Byron,York\nIvo,Cole,Hull"}')",
         {{u"Ada"_s, u"Byron"_s, u"York"_s}, {u"Ivo"_s, u"Cole"_s, u"Hull"_s}},
         {u"Byron"_s, u"Cole"_s},
         {u"York"_s, u"Hull"_s}},
    };
    const QString database = folder.path() + u"/club.fp7"_s;
    for (const Case &each : cases) {
        SCOPED_TRACE(each.name);
        QFile::remove(requests());
        installHelper(each.body);
        chosen = QStringList {database};
        dialogs = 0;
        container.setErrorDuringImporting(true);
        QStringList problems;
        const std::optional<CADataSourceContainer::ImportResult> result =
            CAFileMakerSource::importDataFromFileMaker(nullptr, problems, scratch.defaults(), container, hooks);
        ASSERT_TRUE(result) << problems.join(u'|').toStdString();
        EXPECT_TRUE(problems.isEmpty()) << problems.join(u'|').toStdString();
        EXPECT_EQ(pwtest::readFile(requests()),
                  "FileMaker\n{\"name\":\"club.fp7\",\"path\":\"" + database.toUtf8()
                      + "\",\"request\":\"dump\",\"source\":\"FileMaker\"}\n");
        EXPECT_EQ(dialogs, 1);
        EXPECT_TRUE(shownOptions.showDialog);
        EXPECT_FALSE(shownOptions.delimiterChoice || shownOptions.encodingChoice || shownOptions.headerForced);
        EXPECT_EQ(rowsSeen, each.rows);
        EXPECT_EQ(lastNames(result->persons), each.lastNames);
        QStringList cities;
        for (const auto &person : result->persons)
            cities.append(homeCity(*person));
        EXPECT_EQ(cities, each.cities);
        EXPECT_FALSE(container.isErrorDuringImporting());
        EXPECT_EQ(chooserFilters, QStringList {u"*.fp7 *.fp5"_s});
        EXPECT_EQ(scratch.defaults().stringForKey(u"fileMakerFileOpenDialogDirectory"_s), folder.path());
    }
    // The next chooser opens where the last one ended.
    chosen.reset();
    QStringList problems;
    EXPECT_FALSE(CAFileMakerSource::importDataFromFileMaker(nullptr, problems, scratch.defaults(), container, hooks));
    EXPECT_EQ(chooserStart, folder.path());
}

// A dump that fails ends the whole import with nothing, the persons of earlier databases too, and
// sets the import error flag; so does cancelling the chooser or the dialog of any database.
TEST_F(CAFileMakerSourceTest, AFailedDumpOrACancelGivesNothing)
{
    struct Case
    {
        const char *name;
        QByteArray body;
        int files;
        int cancelDialog;
        bool chooserCancelled;
        int dialogs;
        bool errorFlag;
        const char *problem;
    };
    const QByteArray secondFails = "n=$(grep -c FileMaker '" + requests().toUtf8()
        + "')\nif [ \"$n\" -ge 4 ]; then echo '{\"error\": {\"number\": -1708, \"message\": \"file is locked\"}}'; "
          "else echo '{\"rows\": [[\"Ada\", \"Byron\", \"York\"]]}'; fi\n";
    const std::vector<Case> cases = {
        {"ReportedError", "echo '{\"error\": {\"number\": -1728, \"message\": \"no such database\"}}'\n", 1, -1, false, 0,
         true, "club1.fp7 could not be exported: error #-1728 - \"no such database\"."},
        {"EndedBadly", "echo '{\"rows\": [[\"Ada\"]]}'\nexit 2\n", 1, -1, false, 0, true, "ended with status 2"},
        {"NoRows", "echo '{\"records\": []}'\n", 1, -1, false, 0, true, "answered no rows"},
        {"SecondOfTwoFails", secondFails, 2, -1, false, 1, true, "club2.fp7 could not be exported: error #-1708"},
        {"DialogCancelled", "echo '{\"rows\": [[\"Ada\", \"Byron\", \"York\"]]}'\n", 2, 2, false, 2, false, ""},
        {"ChooserCancelled", "echo '{\"rows\": [[\"Ada\", \"Byron\", \"York\"]]}'\n", 1, -1, true, 0, true, ""},
    };
    for (const Case &each : cases) {
        SCOPED_TRACE(each.name);
        QFile::remove(requests());
        installHelper(each.body);
        chosen = QStringList {folder.path() + u"/club1.fp7"_s};
        if (each.files == 2)
            chosen->append(folder.path() + u"/club2.fp7"_s);
        if (each.chooserCancelled)
            chosen.reset();
        dialogs = 0;
        cancelDialog = each.cancelDialog;
        container.setErrorDuringImporting(false);
        QStringList problems;
        EXPECT_FALSE(CAFileMakerSource::importDataFromFileMaker(nullptr, problems, scratch.defaults(), container, hooks));
        EXPECT_EQ(dialogs, each.dialogs);
        EXPECT_EQ(container.isErrorDuringImporting(), each.errorFlag);
        if (*each.problem)
            EXPECT_TRUE(problems.join(u'|').contains(QString::fromUtf8(each.problem))) << problems.join(u'|').toStdString();
        else
            EXPECT_TRUE(problems.isEmpty()) << problems.join(u'|').toStdString();
    }
}

// The source is offered only while its helper is installed, under its display name; the
// container then imports it and keeps it in its cache.
TEST_F(CAFileMakerSourceTest, OfferedOnlyWithItsHelper)
{
    EXPECT_FALSE(CAFileMakerSource::registerInstalled(container));
    EXPECT_TRUE(container.sourceNames().isEmpty());
    installHelper("echo '{\"rows\": [[\"Ada\", \"Byron\", \"York\"]]}'\n");
    ASSERT_TRUE(CAFileMakerSource::registerInstalled(container));
    ASSERT_EQ(container.sourceNames(), QStringList {CAFileMakerSource::name()});
    EXPECT_EQ(container.cacheNameOfSource(CAFileMakerSource::name()), u"FileMaker"_s);

    CAContactImportHooks &shared = CAContactImportHooks::shared();
    const CAContactImportHooks saved = shared;
    shared = hooks;
    chosen = QStringList {folder.path() + u"/club.fp5"_s};
    const std::optional<CAPersonList> persons = container.contactsForSource(CAFileMakerSource::name(), nullptr, true);
    shared = saved;
    ASSERT_TRUE(persons);
    EXPECT_EQ(lastNames(*persons), QStringList {u"Byron"_s});
    EXPECT_TRUE(QFile::exists(container.getCachePathForSource(u"FileMaker"_s)));
}

} // namespace
