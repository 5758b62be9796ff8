// Sources read through a helper program: the record mapping, the helper protocol driven by fake
// helpers written here as shell scripts, and what a failed import leaves.
#include "app/contacts/CAScriptedSource.h"

#include "app/contacts/CAImportWorker.h"
#include "kernel/address/FTPersonFields.h"
#include "platform/PWUserDefaults.h"

#include "ContactsTestSupport.h"
#include "TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QThread>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace contactstest;

namespace {

QJsonArray records(const char *json)
{
    return QJsonDocument::fromJson(json).array();
}

PWMultiValue addressesOf(const PWPerson &person)
{
    return person.multiValueForProperty(kPWAddressProperty).value_or(PWMultiValue());
}

class CAScriptedSourceTest : public testing::Test
{
protected:
    CAScriptedSourceTest()
        : container(folder.path() + u"/cache"_s)
    {
        CAScriptedSource::setHelperFolder(folder.path() + u"/helpers"_s);
        QDir().mkpath(folder.path() + u"/helpers"_s);
    }
    ~CAScriptedSourceTest() override { CAScriptedSource::setHelperFolder(QString()); }

    // A helper for the source that runs the shell script body.
    void installHelper(const QString &cacheName, const QByteArray &body)
    {
        const QString path = CAScriptedSource::helperFolder() + u'/' + cacheName;
        ASSERT_TRUE(pwtest::writeFile(path, "#!/bin/sh\n" + body));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QTemporaryDir folder;
    CADataSourceContainer container;
};

} // namespace

TEST(CAScriptedSourceRecords, NamesAddressesAndTheirParts)
{
    const CADataSourceContainer::ImportResult result = CAScriptedSource::personsFromRecords(records(R"([
        {"firstname": "Ada", "lastname": "Byron", "companyname": "Engines", "homecity": "", "workzip": "EC1",
         "nickname": "ignored"},
        {"lastname": "Home", "homestreet": "1 Elm Row", "homecity": "York", "workcity": "Leeds",
         "primaryaddress": "work"},
        {"lastname": "NoHome", "workcity": "Hull", "primaryaddress": "home"},
        {"lastname": "Both", "homecity": "Ely", "workcity": "Bath", "primaryaddress": "home"}
    ])"));
    ASSERT_EQ(result.persons.size(), 4);
    const PWPerson &ada = *result.persons.at(0);
    EXPECT_EQ(ada.stringForProperty(kPWFirstNameProperty), u"Ada"_s);
    EXPECT_EQ(ada.stringForProperty(kPWOrganizationProperty), u"Engines"_s);
    // An empty home city alone makes no home address; a ZIP alone makes a whole work address.
    const PWMultiValue adaAddresses = addressesOf(ada);
    ASSERT_EQ(adaAddresses.count(), 1);
    EXPECT_EQ(adaAddresses.labelAtIndex(0), kPWAddressWorkLabel);
    const PWPlist::Dictionary work = adaAddresses.valueAtIndex(0).toDictionary();
    EXPECT_EQ(work.size(), 6);
    EXPECT_EQ(work.value(kPWAddressZIPKey).toString(), u"EC1"_s);
    for (const QString &key :
         {kPWAddressStreetKey, kPWAddressCityKey, kPWAddressStateKey, kPWAddressCountryKey, kPWAddressCountryCodeKey})
        EXPECT_TRUE(work.value(key).isString() && work.value(key).toString().isEmpty()) << key.toStdString();

    // Home before work; the primary one is the one "primaryaddress" names, when there is one.
    const PWMultiValue home = addressesOf(*result.persons.at(1));
    ASSERT_EQ(home.count(), 2);
    EXPECT_EQ(home.labelAtIndex(0), kPWAddressHomeLabel);
    EXPECT_EQ(home.valueAtIndex(0).toDictionary().value(kPWAddressStreetKey).toString(), u"1 Elm Row"_s);
    EXPECT_EQ(getPrimaryAddressLabel(result.persons.at(1).get()), kPWAddressWorkLabel);
    EXPECT_EQ(getPrimaryAddressLabel(result.persons.at(2).get()), kPWAddressWorkLabel);
    EXPECT_EQ(getPrimaryAddressLabel(result.persons.at(3).get()), kPWAddressHomeLabel);
    // A record without addresses still gets its (empty) address list.
    const CADataSourceContainer::ImportResult bare =
        CAScriptedSource::personsFromRecords(records(R"([{"lastname": "Bare"}])"));
    ASSERT_TRUE(bare.persons.first()->multiValueForProperty(kPWAddressProperty));
    EXPECT_TRUE(addressesOf(*bare.persons.first()).isEmpty());
}

TEST(CAScriptedSourceRecords, GroupsHoldTheirMembers)
{
    const CADataSourceContainer::ImportResult result = CAScriptedSource::personsFromRecords(records(R"([
        {"lastname": "One", "_groups": ["Friends", "Work"]},
        {"lastname": "Two", "_groups": ["Work"]},
        {"lastname": "Three", "_groups": []}
    ])"));
    ASSERT_TRUE(result.groups);
    EXPECT_EQ(result.groups->keys(), (QStringList {u"Friends"_s, u"Work"_s}));
    EXPECT_EQ(lastNames(result.groups->value(u"Friends"_s)), QStringList {u"One"_s});
    EXPECT_EQ(lastNames(result.groups->value(u"Work"_s)), (QStringList {u"One"_s, u"Two"_s}));
    EXPECT_EQ(result.groups->value(u"Work"_s).first().get(), result.persons.first().get());
}

// Only sources whose helper is installed are offered.
TEST_F(CAScriptedSourceTest, SourcesWithoutHelperAreHidden)
{
    EXPECT_TRUE(CAScriptedSource::registerInstalled(container).isEmpty());
    EXPECT_TRUE(container.sourceNames().isEmpty());
    installHelper(u"Eudora"_s, "exit 0\n");
    const QString text = CAScriptedSource::helperFolder() + u"/NowContacts"_s;
    ASSERT_TRUE(pwtest::writeFile(text, "not executable")); // a file that cannot run is no helper
    const QStringList registered = CAScriptedSource::registerInstalled(container);
    ASSERT_EQ(registered.size(), 1);
    EXPECT_EQ(container.cacheNameOfSource(registered.first()), u"Eudora"_s);
}

TEST_F(CAScriptedSourceTest, HelperRecordsBecomeTheSourcesPersons)
{
    const QString requestCopy = folder.path() + u"/request"_s;
    installHelper(u"Eudora"_s,
                  "echo \"$1\" > '" + requestCopy.toUtf8() + "'\ncat >> '" + requestCopy.toUtf8()
                      + "'\n"
                        "echo '{\"count\": 2}'\necho '{\"index\": 1}'\n"
                        "echo '{\"records\": [{\"lastname\": \"Ashgrove\"}, {\"lastname\": \"Byron\"}]}'\n");
    const QStringList names = CAScriptedSource::registerInstalled(container);
    ASSERT_EQ(names.size(), 1);
    container.setErrorDuringImporting(true);
    const std::optional<CAPersonList> persons = container.contactsForSource(names.first(), nullptr, true);
    ASSERT_TRUE(persons);
    EXPECT_EQ(lastNames(*persons), (QStringList {u"Ashgrove"_s, u"Byron"_s}));
    EXPECT_FALSE(container.isErrorDuringImporting());
    EXPECT_TRUE(QFile::exists(container.getCachePathForSource(u"Eudora"_s)));
    EXPECT_EQ(pwtest::readFile(requestCopy), QByteArray("Eudora\n{\"request\":\"records\",\"source\":\"Eudora\"}\n"));
    // Eudora shows no groups, so it keeps none.
    EXPECT_FALSE(container.groupsForSource(names.first()).value_or(CADataSourceContainer::Groups()).size());
}

// A helper that reports an error, ends badly, or answers no records: the persons read before and
// their cache stay, and the error flag tells the windows not to reload.
TEST_F(CAScriptedSourceTest, AFailedImportKeepsTheCacheAndSetsTheErrorFlag)
{
    const std::vector<std::pair<QByteArray, QString>> failures = {
        {"echo '{\"error\": {\"number\": -1728, \"message\": \"no such object\"}}'\n", u"error #-1728"_s},
        {"echo '{\"records\": [{\"lastname\": \"Half\"}]}'\nexit 3\n", u"ended with status 3"_s},
        {"echo '{\"records\": []}'\n", u"answered no contacts"_s},
        {"echo 'this is not json'\n", u"answered no records"_s},
    };
    installHelper(
        u"Entourage"_s,
        "echo '{\"records\": [{\"lastname\": \"Kept\", \"_groups\": [\"Club\"]}, {\"lastname\": \"Also\"}]}'\n");
    const QString name = CAScriptedSource::registerInstalled(container).value(0);
    ASSERT_FALSE(name.isEmpty());
    ASSERT_TRUE(container.contactsForSource(name, nullptr, true));
    const QByteArray cacheBefore = pwtest::readFile(container.getCachePathForSource(u"Entourage"_s));
    ASSERT_FALSE(cacheBefore.isEmpty());
    for (const auto &[body, reason] : failures) {
        SCOPED_TRACE(reason.toStdString());
        installHelper(u"Entourage"_s, body);
        container.setErrorDuringImporting(false);
        const std::optional<CAPersonList> persons = container.contactsForSource(name, nullptr, true);
        ASSERT_TRUE(persons);
        EXPECT_EQ(lastNames(*persons), (QStringList {u"Kept"_s, u"Also"_s}));
        EXPECT_TRUE(container.isErrorDuringImporting());
        EXPECT_EQ(pwtest::readFile(container.getCachePathForSource(u"Entourage"_s)), cacheBefore);
        EXPECT_TRUE(container.lastImportProblems(name).join(u' ').contains(reason))
            << container.lastImportProblems(name).join(u' ').toStdString();
        EXPECT_EQ(lastNames(container.groupsForSource(name)->value(u"Club"_s)), QStringList {u"Kept"_s});
    }
}

// Stop ends a helper that is still working, at once, and gives nothing.
TEST_F(CAScriptedSourceTest, StopEndsAHelperThatIsStillWorking)
{
    installHelper(u"NowContacts"_s, "echo '{\"count\": 10}'\necho '{\"index\": 1}'\nexec sleep 60\n");
    CAImportProgress progress;
    QString error;
    std::optional<QJsonArray> answer;
    QThread *worker = QThread::create([&] {
        answer = CAScriptedSource::runHelper(CAScriptedSource::helperForSource(u"NowContacts"_s), u"NowContacts"_s,
                                             &progress, &error);
    });
    worker->start();
    QElapsedTimer clock;
    clock.start();
    while (progress.recordIndex.load() != 1 && clock.elapsed() < 10000)
        QThread::msleep(5);
    EXPECT_EQ(progress.recordCount.load(), 10u);
    progress.stopRequested = true;
    EXPECT_TRUE(worker->wait(30000)) << "the helper was ended, not waited for";
    delete worker;
    EXPECT_FALSE(answer);
    EXPECT_EQ(error, u"stopped"_s);
}

// The preferences' application path names the helper (or its folder) before the helper folder.
TEST_F(CAScriptedSourceTest, ThePreferencesPathComesBeforeTheHelperFolder)
{
    installHelper(u"Entourage"_s, "exit 0\n");
    const QString standard = QFileInfo(CAScriptedSource::helperFolder() + u"/Entourage"_s).absoluteFilePath();
    const QString elsewhere = folder.path() + u"/chosen/entourage-helper"_s;
    QDir().mkpath(folder.path() + u"/chosen"_s);
    QDir().mkpath(folder.path() + u"/holder"_s);
    for (const QString &path : {elsewhere, folder.path() + u"/holder/Entourage"_s}) {
        ASSERT_TRUE(pwtest::writeFile(path, "#!/bin/sh\nexit 0\n"));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    ASSERT_TRUE(pwtest::writeFile(folder.path() + u"/chosen/not-runnable"_s, "data"));
    const struct
    {
        const char *name;
        QString preference;
        QString expected;
    } cases[] = {
        {"no preference", QString(), standard},
        {"the helper itself", elsewhere, elsewhere},
        {"a folder holding it", folder.path() + u"/holder"_s, folder.path() + u"/holder/Entourage"_s},
        {"a path that is gone", folder.path() + u"/gone"_s, standard},
        {"a file that cannot run", folder.path() + u"/chosen/not-runnable"_s, standard},
    };
    PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.preference.isEmpty())
            defaults.removeObject(u"ApplicationPathEntourage"_s);
        else
            defaults.setString(u"ApplicationPathEntourage"_s, c.preference);
        EXPECT_EQ(CAScriptedSource::helperForSource(u"Entourage"_s), c.expected);
    }
    defaults.removeObject(u"ApplicationPathEntourage"_s);
}

struct MisbehaviourCase
{
    const char *name;
    QByteArray body;
    CAScriptedSource::HelperLimits limits;
    const char *reason;
};

CAScriptedSource::HelperLimits helperLimits(int totalMs, qsizetype maxBytes, int silenceMs = 120000)
{
    CAScriptedSource::HelperLimits limits;
    limits.totalMs = totalMs;
    limits.answer.maxBytes = maxBytes;
    limits.silenceMs = silenceMs;
    return limits;
}

class CAScriptedSourceMisbehaviourTest : public CAScriptedSourceTest, public testing::WithParamInterface<MisbehaviourCase>
{
};

// A helper that talks without end, on either channel, or never finishes is ended with a reason,
// and what it says on its standard error is kept only in part.
TEST_P(CAScriptedSourceMisbehaviourTest, IsEndedWithAReason)
{
    installHelper(u"Eudora"_s, GetParam().body);
    QString error;
    const std::optional<QJsonArray> answer = CAScriptedSource::runHelper(
        CAScriptedSource::helperForSource(u"Eudora"_s), u"Eudora"_s, nullptr, &error, nullptr, GetParam().limits);
    EXPECT_FALSE(answer);
    EXPECT_TRUE(error.contains(QLatin1String(GetParam().reason))) << error.left(300).toStdString();
    EXPECT_LT(error.size(), GetParam().limits.maxErrorText + 400);
}

INSTANTIATE_TEST_SUITE_P(
    Helpers, CAScriptedSourceMisbehaviourTest,
    testing::Values(
        MisbehaviourCase {"ProgressForever", "while :; do echo '{\"index\": 1}'; sleep 0.05; done\n", helperLimits(400, 1 << 20),
                          "did not finish within"},
        MisbehaviourCase {"LineWithoutEnd", "head -c 3000000 /dev/zero | tr '\\000' x\n", helperLimits(600000, 1 << 20),
                          "more than 1 MB"},
        MisbehaviourCase {"ComplaintOnStandardError", "echo 'cannot reach the address book' >&2\nexit 4\n", helperLimits(600000, 1 << 20),
                          "ended with status 4 (it said: cannot reach the address book)"},
        MisbehaviourCase {"FloodOnStandardError", "head -c 20000000 /dev/zero | tr '\\000' e >&2\nexit 5\n",
                          helperLimits(600000, 1 << 20), "ended with status 5 (it said: eeee"},
        // Complaints without end are no answer: the silence limit ends the helper, not the
        // whole import's deadline, and what it said is kept only in part.
        MisbehaviourCase {"OnlyStandardErrorWithoutEnd", "while :; do echo 'still looking' >&2; done\n",
                          helperLimits(600000, 1 << 20, 300), "stopped answering (it said: still looking"},
        MisbehaviourCase {"FloodOnStandardErrorWithoutEnd", "yes eeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeee >&2\n",
                          helperLimits(600000, 1 << 20, 300), "stopped answering (it said: eeee"}),
    [](const auto &info) { return std::string(info.param.name); });

// Entries that are no records give no person, and are named; a list of nothing else fails the
// import and keeps what was read before.
TEST_F(CAScriptedSourceTest, EntriesThatAreNoRecordsAreLeftOutAndNamed)
{
    QStringList problems;
    const CADataSourceContainer::ImportResult result =
        CAScriptedSource::personsFromRecords(records(R"([1, "x", null, [], {"lastname": "Real"}, true])"), &problems);
    EXPECT_EQ(lastNames(result.persons), QStringList {u"Real"_s});
    EXPECT_EQ(problems.size(), 5) << problems.join(u'\n').toStdString();
    EXPECT_TRUE(problems.value(0).contains(u"Record 1 "_s));
    EXPECT_TRUE(problems.value(4).contains(u"Record 6 "_s));

    installHelper(u"Eudora"_s, "echo '{\"records\": [{\"lastname\": \"Kept\"}]}'\n");
    const QString name = CAScriptedSource::registerInstalled(container).value(0);
    ASSERT_TRUE(container.contactsForSource(name, nullptr, true));
    installHelper(u"Eudora"_s, "echo '{\"records\": [1, \"x\", null, []]}'\n");
    const std::optional<CAPersonList> persons = container.contactsForSource(name, nullptr, true);
    ASSERT_TRUE(persons);
    EXPECT_EQ(lastNames(*persons), QStringList {u"Kept"_s});
    EXPECT_TRUE(container.isErrorDuringImporting());
    EXPECT_TRUE(container.lastImportProblems(name).join(u' ').contains(u"answered no contacts"_s));
}

// Records that are objects but hold no name, company or address part give no person and are
// named like entries that are no records.
TEST(CAScriptedSourceRecords, RecordsHoldingNothingUsableAreLeftOutAndNamed)
{
    QStringList problems;
    const CADataSourceContainer::ImportResult result = CAScriptedSource::personsFromRecords(
        records(R"([{"_groups": "notalist"}, {"primaryaddress": {"a": 1}}, {"lastname": "Real", "_groups": ["Club"]},
                    {}, {"firstname": "", "homecity": ""}, {"_groups": ["Club"], "primaryaddress": "home"},
                    {"workzip": "EC1"}])"),
        &problems);
    EXPECT_EQ(result.persons.size(), 2);
    EXPECT_EQ(lastNames(result.persons), (QStringList {u"Real"_s, QString()}));
    ASSERT_TRUE(result.groups);
    EXPECT_EQ(lastNames(result.groups->value(u"Club"_s)), QStringList {u"Real"_s});
    QStringList named;
    for (const QString &problem : problems)
        named.append(problem.section(u' ', 0, 1));
    EXPECT_EQ(named, (QStringList {u"Record 1"_s, u"Record 2"_s, u"Record 4"_s, u"Record 5"_s, u"Record 6"_s}))
        << problems.join(u'\n').toStdString();
    EXPECT_TRUE(problems.value(0).contains(u"holds no name, company or address; it was left out"_s));
}

// Records past the cap are left out, and the user is told how many were read.
TEST_F(CAScriptedSourceTest, RecordsPastTheCapAreLeftOutWithAProblem)
{
    installHelper(u"Eudora"_s, "echo '{\"records\": [{\"lastname\": \"A\"}, {\"lastname\": \"B\"}, {\"lastname\": \"C\"}]}'\n");
    CAScriptedSource::HelperLimits limits;
    limits.answer.maxRecords = 2;
    QString error;
    QStringList problems;
    const std::optional<QJsonArray> answer = CAScriptedSource::runHelper(
        CAScriptedSource::helperForSource(u"Eudora"_s), u"Eudora"_s, nullptr, &error, &problems, limits);
    ASSERT_TRUE(answer) << error.toStdString();
    EXPECT_EQ(answer->size(), 2);
    EXPECT_EQ(problems, QStringList {u"The helper for Eudora sent 3 records; the first 2 were read and the rest left out."_s});
}
