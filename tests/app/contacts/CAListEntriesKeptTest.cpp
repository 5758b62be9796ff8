// Every operation of the print lists, the senders and the local contact base, stored: each stored
// person the operation did not touch is written back as it was read, byte for byte, keys stored
// beside its card (another program's, a later version's) and the form of its custom fields
// included; one the user edited keeps those keys beside its new card.
#include "ContactsWindowTestSupport.h"

#include "app/contacts/CAStoredListMerge.h"
#include "platform/PWMultiValue.h"

#include <QSet>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QStringList kLastNames = {u"Zed"_s, u"Abe"_s, u"Moe"_s, u"Kay"_s};

// A stored person as another program or a later version leaves it: a card with lines of its
// own, all nine custom fields written out, and keys of its own beside the card.
PWPlist storedEntry(int i)
{
    const QByteArray card = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:" + kLastNames.at(i).toUtf8() + ";Ann;;;\r\nFN:Ann "
                            + kLastNames.at(i).toUtf8() + "\r\nX-OTHER-PROGRAM;TYPE=pref:kept " + QByteArray::number(i)
                            + "\r\nUID:uid-" + QByteArray::number(i) + "\r\nEND:VCARD\r\n";
    PWPlist::Array custom;
    for (int field = 0; field < 9; ++field)
        custom.append(PWPlist::fromString(QString()));
    return PWPlist(PWPlist::Dictionary {{u"personData"_s, PWPlist::fromData(card)},
                                        {u"additionalPersonData"_s, PWPlist(custom)},
                                        {u"Beside"_s, PWPlist::fromString(u"note %1"_s.arg(i))},
                                        {u"Since"_s, PWPlist::fromInteger(2020 + i)}});
}

PWPlist::Array storedEntries()
{
    PWPlist::Array entries;
    for (int i = 0; i < kLastNames.size(); ++i)
        entries.append(storedEntry(i));
    return entries;
}

struct Models : contactstest::WindowModels
{
    Models()
    {
        const PWPlist::Array entries = storedEntries();
        const PWPlist::Dictionary club {{u"Name"_s, PWPlist::fromString(u"Club"_s)},
                                        {u"Persons"_s, PWPlist(entries)},
                                        {u"Sort"_s, PWPlist::fromInteger(CAPersonListDictionary::kNoSorting)},
                                        {u"Colour"_s, PWPlist::fromString(u"red"_s)}};
        const PWPlist::Dictionary pair {{u"Name"_s, PWPlist::fromString(u"Pair"_s)},
                                        {u"Persons"_s, PWPlist(entries.mid(0, 2))}};
        scratch.defaults().setObject(u"PrintListArray"_s, PWPlist(PWPlist::Array {PWPlist(club), PWPlist(pair)}));
        scratch.defaults().setObject(u"SenderList"_s, PWPlist(entries));
        scratch.defaults().setObject(u"LocalContactBase"_s, PWPlist(entries));
        printLists.load();
        printLists.setCurrentPrintListIndex(0);
        senders.load();
        localBase.load();
    }
    // A copy of the person, as the contact editor puts it back, with the city changed.
    static std::shared_ptr<PWPerson> edited(const std::shared_ptr<PWPerson> &person)
    {
        std::shared_ptr<PWPerson> copy = CAPersonListDictionary::copyPerson(*person);
        PWMultiValue addresses;
        addresses.addValue(PWPlist(PWPlist::Dictionary {{kPWAddressCityKey, PWPlist::fromString(u"Salem"_s)}}),
                           kPWAddressHomeLabel);
        copy->setMultiValueForProperty(kPWAddressProperty, addresses);
        return copy;
    }
    static int indexOf(const CAPersonList &persons, const QString &lastName)
    {
        for (int i = 0; i < persons.size(); ++i)
            if (persons.at(i)->stringForProperty(kPWLastNameProperty) == lastName)
                return i;
        return -1;
    }
};

struct Operation
{
    const char *name;
    // Changes the lists and stores them; answers the UIDs of the persons it edited.
    std::function<QSet<QString>(Models &)> run;
};

void PrintTo(const Operation &operation, std::ostream *stream)
{
    *stream << operation.name;
}

// Every public operation that changes the lists.
const Operation kOperations[] = {
    {"InsertPrintList", [](Models &m) { m.printLists.insertPrintListAt(0); m.printLists.store(); return QSet<QString>(); }},
    {"RemovePrintList", [](Models &m) { m.printLists.removePrintListAt(1); m.printLists.store(); return QSet<QString>(); }},
    {"RenamePrintList", [](Models &m) { m.printLists.renamePrintListAt(0, u"Team"_s); m.printLists.store(); return QSet<QString>(); }},
    {"AddPersonToPrintList",
     [](Models &m) {
         CAPersonList persons = m.printLists.getPrintListAt(0);
         persons.append(contactstest::person(u"New"_s, u"Comer"_s));
         m.printLists.replacePrintListAt(0, persons);
         m.printLists.store();
         return QSet<QString>();
     }},
    {"RemovePersonFromPrintList",
     [](Models &m) {
         CAPersonList persons = m.printLists.getPrintListAt(0);
         persons.removeAt(2);
         m.printLists.replacePrintListAt(0, persons);
         m.printLists.store();
         return QSet<QString>();
     }},
    {"SortPrintList",
     [](Models &m) {
         CAPersonList persons = m.printLists.getPrintListAt(0);
         CAPrintListArray::sortPrintList(persons, CALocalContactBase::kDefaultSortingValue);
         m.printLists.replacePrintListAt(0, persons);
         m.printLists.replacePrintListSortValueAt(0, CALocalContactBase::kDefaultSortingValue);
         m.printLists.store();
         return QSet<QString>();
     }},
    {"EditOnePersonOfTheCurrentList",
     [](Models &m) {
         CAPersonList persons = *m.printLists.currentPrintList();
         persons[1] = Models::edited(persons.at(1));
         m.printLists.replaceCurrentPrintList(persons);
         m.printLists.store();
         return QSet<QString> {u"uid:uid-1"_s};
     }},
    {"ReorderSendersKeepingTheDefault",
     [](Models &m) {
         m.senders.storeDefaultPersonIndex(2);
         CAPersonList persons = m.senders.personListDict().personList();
         std::reverse(persons.begin(), persons.end());
         m.senders.replacePersonsKeepingDefault(persons);
         m.senders.store();
         return QSet<QString>();
     }},
    {"EditOneSender",
     [](Models &m) {
         CAPersonList persons = m.senders.personListDict().personList();
         const int moe = Models::indexOf(persons, u"Moe"_s);
         persons[moe] = Models::edited(persons.at(moe));
         m.senders.savePersonListChanges(persons);
         return QSet<QString> {u"uid:uid-2"_s};
     }},
    {"AddToMyRecipients",
     [](Models &m) {
         CAPersonList persons = m.localBase.personListDict().personList();
         persons.append(m.printLists.getPrintListAt(1).at(0));
         persons.append(contactstest::person(u"New"_s, u"Comer"_s));
         m.localBase.personListDict().replacePersonList(persons);
         m.localBase.savePersonListChanges();
         return QSet<QString>();
     }},
    {"RemoveFromMyRecipientsAndSort",
     [](Models &m) {
         CAPersonList persons = m.localBase.personListDict().personList();
         persons.removeAt(0);
         m.localBase.personListDict().replacePersonList(persons);
         m.localBase.personListDict().setSortingValue(CAPersonListDictionary::kNoSorting);
         m.localBase.savePersonListChanges();
         return QSet<QString>();
     }},
};

class ListEntriesKept : public ::testing::TestWithParam<Operation>
{
};

TEST_P(ListEntriesKept, EveryEntryNotEditedIsWrittenBackAsRead)
{
    Models models;
    const QSet<QString> edited = GetParam().run(models);
    const PWUserDefaults reread(models.scratch.defaults().filePath());
    QList<PWPlist> written;
    for (const PWPlist &list : reread.objectForKey(u"PrintListArray"_s).toArray())
        written.append(list.value(u"Persons"_s).toArray());
    written.append(reread.objectForKey(u"SenderList"_s).toArray());
    written.append(reread.objectForKey(u"LocalContactBase"_s).toArray());

    QHash<QString, PWPlist> asRead;
    for (const PWPlist &entry : storedEntries())
        asRead.insert(CAStoredListMerge::personIdentity(entry), entry);
    int kept = 0;
    int editsStored = 0;
    for (const PWPlist &entry : std::as_const(written)) {
        const QString identity = CAStoredListMerge::personIdentity(entry);
        if (!asRead.contains(identity))
            continue;
        SCOPED_TRACE(identity.toStdString());
        const PWPlist read = asRead.value(identity);
        EXPECT_EQ(entry.value(u"Beside"_s), read.value(u"Beside"_s)) << "the keys beside the card stay";
        EXPECT_EQ(entry.value(u"Since"_s), read.value(u"Since"_s));
        // The person edited in one list stands untouched in the others.
        if (edited.contains(identity) && entry.value(u"personData"_s) != read.value(u"personData"_s)) {
            ++editsStored;
            continue;
        }
        EXPECT_EQ(entry.value(u"personData"_s).toData(), read.value(u"personData"_s).toData());
        EXPECT_EQ(entry, read);
        ++kept;
    }
    EXPECT_EQ(editsStored, edited.size()) << "each edit is stored in its one place";
    EXPECT_GT(kept, 4) << "the untouched persons are all still stored";
}

INSTANTIATE_TEST_SUITE_P(ListOperations, ListEntriesKept, ::testing::ValuesIn(kOperations),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
