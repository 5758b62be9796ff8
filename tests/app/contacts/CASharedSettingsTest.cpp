// Two instances on one settings file (one home shared by two logins or machines): what the other
// instance stored in the print lists, the senders and the local contact base since this one read
// the file is taken in when this one stores, person by person, not written over. Shown with two
// stores in one process and with a second process of this program.
#include "ContactsWindowTestSupport.h"

#include "app/contacts/CAStoredListMerge.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

constexpr char kSharedFileVariable[] = "PW_TEST_SHARED_SETTINGS_FILE";

// The lists of one instance on the file.
struct Instance
{
    explicit Instance(const QString &path)
        : defaults(path)
        , senders(defaults, [] { return std::shared_ptr<PWPerson>(); })
        , localBase(defaults)
        , printLists(defaults)
    {
        printLists.load();
        senders.load();
        localBase.load();
    }
    PWUserDefaults defaults;
    CASenderList senders;
    CALocalContactBase localBase;
    CAPrintListArray printLists;
};

// One of the three lists: its persons, and the way a window adds one and stores.
struct SharedList
{
    const char *name;
    std::function<CAPersonList(Instance &)> persons;
    std::function<void(Instance &, const std::shared_ptr<PWPerson> &)> add;
    std::function<void(Instance &, const QString &)> remove;
};

void replaceClub(Instance &instance, const CAPersonList &persons)
{
    for (int i = 0; i < instance.printLists.count(); ++i) {
        if (instance.printLists.getPrintListNameAt(i) == u"Club"_s) {
            instance.printLists.replacePrintListAt(i, persons);
            instance.printLists.store();
            return;
        }
    }
    instance.printLists.insertPrintListAt(-1);
    instance.printLists.renamePrintListAt(instance.printLists.count() - 1, u"Club"_s);
    instance.printLists.replacePrintListAt(instance.printLists.count() - 1, persons);
    instance.printLists.store();
}

CAPersonList without(CAPersonList persons, const QString &lastName)
{
    persons.removeIf([&](const auto &person) { return person->stringForProperty(kPWLastNameProperty) == lastName; });
    return persons;
}

const SharedList kLists[] = {
    {"PrintList", [](Instance &i) { return i.printLists.getPrintListByName(u"Club"_s).value_or(CAPersonList()); },
     [](Instance &i, const auto &person) {
         replaceClub(i, i.printLists.getPrintListByName(u"Club"_s).value_or(CAPersonList()) + CAPersonList {person});
     },
     [](Instance &i, const QString &last) {
         replaceClub(i, without(i.printLists.getPrintListByName(u"Club"_s).value_or(CAPersonList()), last));
     }},
    {"Senders", [](Instance &i) { return i.senders.personListDict().personList(); },
     [](Instance &i, const auto &person) {
         i.senders.savePersonListChanges(i.senders.personListDict().personList() + CAPersonList {person});
     },
     [](Instance &i, const QString &last) {
         i.senders.savePersonListChanges(without(i.senders.personListDict().personList(), last));
     }},
    {"MyRecipients", [](Instance &i) { return i.localBase.personListDict().personList(); },
     [](Instance &i, const auto &person) {
         i.localBase.personListDict().replacePersonList(i.localBase.personListDict().personList() + CAPersonList {person});
         i.localBase.savePersonListChanges();
     },
     [](Instance &i, const QString &last) {
         i.localBase.personListDict().replacePersonList(without(i.localBase.personListDict().personList(), last));
         i.localBase.savePersonListChanges();
     }},
};

QStringList sortedLastNames(const CAPersonList &persons)
{
    QStringList names = contactstest::lastNames(persons);
    names.sort();
    return names;
}

// A file holding "Old" and "Gone" in every list.
QString seededFile(const QTemporaryDir &folder)
{
    const QString path = folder.filePath(u"Parcelwick.plist"_s);
    Instance seed(path);
    for (const SharedList &list : kLists) {
        list.add(seed, contactstest::person(u"Ada"_s, u"Old"_s));
        list.add(seed, contactstest::person(u"Bo"_s, u"Gone"_s));
    }
    return path;
}

class SharedSettings : public ::testing::TestWithParam<SharedList>
{
};

// A, started earlier, stores after B: B's person and B's removal stay, with A's person.
TEST_P(SharedSettings, AStoreTakesInWhatTheOtherStoredSinceItRead)
{
    const SharedList &list = GetParam();
    QTemporaryDir folder;
    const QString path = seededFile(folder);
    Instance a(path);
    {
        Instance b(path);
        list.add(b, contactstest::person(u"Bea"_s, u"FromB"_s));
        list.remove(b, u"Gone"_s);
        b.defaults.setString(u"OnlyB"_s, u"b"_s);
    }
    ASSERT_EQ(sortedLastNames(list.persons(a)), (QStringList {u"Gone"_s, u"Old"_s})) << "A read before B stored";
    list.add(a, contactstest::person(u"Al"_s, u"FromA"_s));
    const QStringList expected {u"FromA"_s, u"FromB"_s, u"Old"_s};
    EXPECT_EQ(sortedLastNames(list.persons(a)), expected) << "A shows what it took in";
    Instance later(path);
    EXPECT_EQ(sortedLastNames(list.persons(later)), expected);
    EXPECT_EQ(later.defaults.stringForKey(u"OnlyB"_s), u"b"_s) << "a setting only B made stays";
}

INSTANTIATE_TEST_SUITE_P(Lists, SharedSettings, ::testing::ValuesIn(kLists),
                         [](const auto &info) { return std::string(info.param.name); });

// The other instance of the two-process test: adds "FromChild" to every list of the file it is
// given (a file of its own when run alone) and finds it stored.
TEST(SharedSettingsProcess, AddsItsPersonToEveryList)
{
    QTemporaryDir folder;
    const QString given = qEnvironmentVariable(kSharedFileVariable);
    const QString path = given.isEmpty() ? folder.filePath(u"Parcelwick.plist"_s) : given;
    {
        Instance child(path);
        for (const SharedList &list : kLists)
            list.add(child, contactstest::person(u"Cy"_s, u"FromChild"_s));
    }
    Instance reread(path);
    for (const SharedList &list : kLists)
        EXPECT_TRUE(contactstest::lastNames(list.persons(reread)).contains(u"FromChild"_s)) << list.name;
}

TEST(SharedSettingsProcess, TwoProcessesOnOneFileKeepEachOthersPersons)
{
    QTemporaryDir folder;
    const QString path = seededFile(folder);
    Instance parent(path);

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kSharedFileVariable), path);
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(),
                {u"--gtest_filter=SharedSettingsProcess.AddsItsPersonToEveryList"_s});
    ASSERT_TRUE(child.waitForFinished(120000));
    ASSERT_EQ(child.exitStatus(), QProcess::NormalExit);
    ASSERT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();

    for (const SharedList &list : kLists)
        list.add(parent, contactstest::person(u"Pia"_s, u"FromParent"_s));
    Instance reread(path);
    for (const SharedList &list : kLists) {
        EXPECT_EQ(sortedLastNames(list.persons(reread)),
                  (QStringList {u"FromChild"_s, u"FromParent"_s, u"Gone"_s, u"Old"_s}))
            << list.name;
    }
}

} // namespace
