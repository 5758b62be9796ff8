#include "ContactsTestSupport.h"

#include "app/contacts/CAContactTableModel.h"
#include "app/contacts/CALocalContactBase.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CAPrintListEditor.h"
#include "app/contacts/CASenderList.h"

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;
using contactstest::lastNames;
using contactstest::person;

namespace {

class CAPrintListEditorTest : public testing::Test
{
protected:
    CAPrintListEditorTest()
        : senders(scratch.defaults(), [] { return std::shared_ptr<PWPerson>(); })
        , localBase(scratch.defaults())
        , lists(scratch.defaults())
        , editor(lists, senders, localBase, scratch.defaults())
    {
    }

    void storeLists(const QStringList &names)
    {
        for (const QString &name : names) {
            lists.insertPrintListAt(lists.count());
            lists.renamePrintListAt(lists.count() - 1, name);
        }
        lists.setCurrentPrintListIndex(0);
        lists.store();
    }

    CAPersonList rows() const { return editor.persons()->content(); }

    contactstest::ScratchDefaults scratch;
    CASenderList senders;
    CALocalContactBase localBase;
    CAPrintListArray lists;
    CAPrintListEditor editor;
};

TEST_F(CAPrintListEditorTest, NewListsTakeTheFirstFreeDefaultNameAfterTheSelectedRow)
{
    editor.prepare(CAPrintListEditor::PrintLists);
    EXPECT_EQ(editor.addList(-1), 0);
    EXPECT_EQ(editor.listNames(), QStringList{u"Print List 1"_s});

    lists.renamePrintListAt(0, u"Print List 3"_s);
    lists.insertPrintListAt(0);
    lists.renamePrintListAt(0, u"Print List 1"_s);
    const int added = editor.addList(0);
    EXPECT_EQ(added, 1) << "inserted after the selected row";
    EXPECT_EQ(editor.listNames(), (QStringList{u"Print List 1"_s, u"Print List 2"_s, u"Print List 3"_s}));
    EXPECT_EQ(editor.currentListIndex(), 1);
    EXPECT_TRUE(editor.showsList());
}

struct RenameCase
{
    QStringList names;
    int row;
    QString typed;
    QString expected;
};

class CAPrintListEditorRenameTest : public CAPrintListEditorTest, public testing::WithParamInterface<RenameCase>
{
};

TEST_P(CAPrintListEditorRenameTest, NamesStayUnique)
{
    storeLists(GetParam().names);
    editor.prepare(CAPrintListEditor::PrintLists);
    EXPECT_EQ(editor.renameList(GetParam().row, GetParam().typed), GetParam().expected);
    EXPECT_EQ(lists.getPrintListNameAt(GetParam().row), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, CAPrintListEditorRenameTest,
    testing::Values(RenameCase{{u"Club"_s, u"Work"_s}, 1, u"Club"_s, u"Club(2)"_s},
                    RenameCase{{u"Club"_s, u"Club(2)"_s, u"Work"_s}, 2, u"Club"_s, u"Club(3)"_s},
                    RenameCase{{u"Club"_s, u"Work"_s}, 0, u"Club"_s, u"Club"_s},
                    RenameCase{{u"club"_s, u"Work"_s}, 1, u"Club"_s, u"Club"_s},
                    RenameCase{{QString(u""_s), u"Work"_s}, 1, QString(u""_s), u"(2)"_s}));

TEST_F(CAPrintListEditorTest, RemovingListsChoosesTheNeighbourAndWritesNothingIntoIt)
{
    storeLists({u"One"_s, u"Two"_s, u"Three"_s});
    lists.replacePrintListAt(1, {person(u"Ann"_s, u"Two"_s)});
    lists.setCurrentPrintListIndex(2);
    editor.prepare(CAPrintListEditor::PrintLists);
    editor.addPersons({person(u"Bo"_s, u"Three"_s)});

    EXPECT_EQ(editor.removeList(2), 1) << "the last list removed: the one before it";
    EXPECT_EQ(editor.currentListIndex(), 1);
    EXPECT_EQ(lastNames(rows()), QStringList{u"Two"_s});
    EXPECT_EQ(lastNames(lists.getPrintListAt(1)), QStringList{u"Two"_s});

    EXPECT_EQ(editor.removeList(0), 0);
    EXPECT_EQ(editor.removeList(0), -1);
    EXPECT_EQ(lists.count(), 0);
    EXPECT_EQ(editor.currentListIndex(), -1);
    EXPECT_FALSE(editor.showsList());
    EXPECT_EQ(editor.persons()->rowCount(), 0);
}

TEST_F(CAPrintListEditorTest, AddingSkipsPersonsAlreadyInTheListAndSortsThemIn)
{
    storeLists({u"Club"_s});
    lists.replacePrintListAt(0, {person(u"Ann"_s, u"Baker"_s), person(u"Eve"_s, u"Young"_s)});
    lists.replacePrintListSortValueAt(0, 18);
    editor.prepare(CAPrintListEditor::PrintLists);

    EXPECT_EQ(editor.addPersons({person(u"Ann"_s, u"Baker"_s)}), -1) << "an equal person is not added again";
    EXPECT_EQ(rows().size(), 2);

    const int first = editor.addPersons(
        {person(u"Cy"_s, u"Miller"_s), person(u"Eve"_s, u"Young"_s), person(u"Di"_s, u"Adams"_s)});
    EXPECT_EQ(lastNames(rows()), (QStringList{u"Adams"_s, u"Baker"_s, u"Miller"_s, u"Young"_s}));
    EXPECT_EQ(first, 2) << "the row of the first added person (Miller), sorted in";

    editor.changeSorting(CAPersonListDictionary::kNoSorting);
    editor.addPersons({person(u"Al"_s, u"Aaron"_s)});
    EXPECT_EQ(lastNames(rows()).last(), u"Aaron"_s) << "unsorted: the order of addition";
}

TEST_F(CAPrintListEditorTest, BlankPersonAndRemovalChooseTheNextRow)
{
    storeLists({u"Club"_s});
    lists.replacePrintListAt(0, {person(u"Ann"_s, u"Baker"_s), person(u"Bo"_s, u"Cole"_s), person(u"Cy"_s, u"Dunn"_s)});
    lists.replacePrintListSortValueAt(0, CAPersonListDictionary::kNoSorting);
    editor.prepare(CAPrintListEditor::PrintLists);
    const int blank = editor.addBlankPerson();
    EXPECT_EQ(blank, 3);
    EXPECT_TRUE(editor.persons()->personAt(blank)->propertiesWithValues().isEmpty());

    EXPECT_EQ(editor.removePersons({0, 1}), 0);
    EXPECT_EQ(lastNames(rows()), (QStringList{u"Dunn"_s, QString()}));
    EXPECT_EQ(editor.removePersons({1}), 0) << "the last row removed: the new last";
    EXPECT_EQ(editor.removePersons({0}), -1);
}

TEST_F(CAPrintListEditorTest, CancelGivesBackTheStoredListsAndCurrentIndex)
{
    storeLists({u"One"_s, u"Two"_s});
    lists.setCurrentPrintListIndex(1);
    editor.prepare(CAPrintListEditor::PrintLists);
    editor.addList(1);
    editor.renameList(0, u"Renamed"_s);
    editor.removeList(1);
    editor.addPersons({person(u"Ann"_s, u"Baker"_s)});
    editor.cancel();

    EXPECT_EQ(editor.listNames(), (QStringList{u"One"_s, u"Two"_s}));
    EXPECT_EQ(lists.currentPrintListIndex(), 1);
    EXPECT_TRUE(lists.getPrintListAt(0).isEmpty());
    EXPECT_EQ(editor.mode(), CAPrintListEditor::Closed);
}

TEST_F(CAPrintListEditorTest, FirstActivationAddsAListWhenNeeded)
{
    editor.prepare(CAPrintListEditor::PrintLists);
    EXPECT_EQ(editor.activate(), 0) << "no list at all: one is made";
    EXPECT_EQ(editor.listNames(), QStringList{u"Print List 1"_s});
    editor.cancel();
    EXPECT_EQ(lists.count(), 0) << "Cancel reads the stored lists back: none was stored";

    storeLists({u"Club"_s});
    CAPrintListEditor again(lists, senders, localBase, scratch.defaults());
    again.prepare(CAPrintListEditor::PrintLists);
    EXPECT_EQ(again.activate(), -1) << "mode 1 with a list adds nothing";
    again.prepare(CAPrintListEditor::NewPrintList);
    EXPECT_EQ(again.activate(), 1) << "mode 2 always adds one";
    EXPECT_EQ(again.mode(), CAPrintListEditor::PrintLists);
}

// Each mode stores its own list on OK and nothing else; Cancel in the sender and local-base
// modes writes nothing.
class CAPrintListEditorModeTest : public CAPrintListEditorTest, public testing::WithParamInterface<int>
{
};

TEST_P(CAPrintListEditorModeTest, OkStoresWhatTheModeEdits)
{
    const auto mode = CAPrintListEditor::Mode(GetParam());
    storeLists({u"Club"_s});
    senders.personListDict().replacePersonList({person(u"Sam"_s, u"Sender"_s)});
    senders.personListDict().setSortingValue(CASenderList::kDefaultSortingValue);
    senders.store();
    localBase.personListDict().replacePersonList({person(u"Lou"_s, u"Local"_s)});
    localBase.personListDict().setSortingValue(CALocalContactBase::kDefaultSortingValue);
    localBase.store();

    editor.prepare(mode);
    editor.addPersons({person(u"Nia"_s, u"Added"_s)});
    editor.save();

    PWUserDefaults &stored = scratch.restart();
    CAPrintListArray listsAfter(stored);
    listsAfter.load();
    CASenderList sendersAfter(stored, [] { return std::shared_ptr<PWPerson>(); });
    sendersAfter.load();
    CALocalContactBase localAfter(stored);
    localAfter.load();
    const bool listMode = mode == CAPrintListEditor::PrintLists;
    EXPECT_EQ(lastNames(listsAfter.getPrintListAt(0)), listMode ? QStringList{u"Added"_s} : QStringList());
    EXPECT_EQ(lastNames(sendersAfter.personListDict().personList()),
              mode == CAPrintListEditor::Senders ? (QStringList{u"Added"_s, u"Sender"_s}) : QStringList{u"Sender"_s});
    EXPECT_EQ(lastNames(localAfter.personListDict().personList()),
              mode == CAPrintListEditor::LocalBase ? (QStringList{u"Added"_s, u"Local"_s}) : QStringList{u"Local"_s});
}

TEST_P(CAPrintListEditorModeTest, CancelStoresNothing)
{
    const auto mode = CAPrintListEditor::Mode(GetParam());
    storeLists({u"Club"_s});
    senders.personListDict().replacePersonList({person(u"Sam"_s, u"Sender"_s)});
    senders.store();
    editor.prepare(mode);
    editor.addPersons({person(u"Nia"_s, u"Added"_s)});
    editor.cancel();
    PWUserDefaults &stored = scratch.restart();
    CAPrintListArray listsAfter(stored);
    listsAfter.load();
    CASenderList sendersAfter(stored, [] { return std::shared_ptr<PWPerson>(); });
    sendersAfter.load();
    EXPECT_TRUE(listsAfter.getPrintListAt(0).isEmpty());
    EXPECT_EQ(lastNames(sendersAfter.personListDict().personList()), QStringList{u"Sender"_s});
}

// Lists from elsewhere (keys this version does not know, persons that do not read, persons that
// are no list, a sorting that is no number) go through each edit the window offers: the stored
// form afterwards differs from the one read only at what the edit changed.
struct KeptListEdit
{
    const char *name;
    std::function<void(CAPrintListEditor &)> edit;
    // (list, key) pairs the edit writes anew; every other key of every list stays as stored.
    QList<QPair<int, QString>> changed;
    // The list the edit removes, -1 for none.
    int removed = -1;
};

void PrintTo(const KeptListEdit &row, std::ostream *out)
{
    *out << row.name;
}

class CAPrintListKeptTest : public CAPrintListEditorTest, public testing::WithParamInterface<KeptListEdit>
{
protected:
    static PWPlist::Array storedLists()
    {
        const PWPlist::Array good = CAPersonListDictionary::storedPersons(
            {person(u"Eve"_s, u"Young"_s), person(u"Ann"_s, u"Baker"_s), person(u"Cy"_s, u"Cole"_s)});
        const PWPlist unreadable(PWPlist::Dictionary {{u"personData"_s, PWPlist::fromData("garbage")}});
        const PWPlist::Dictionary club {
            {u"Name"_s, PWPlist::fromString(u"Club"_s)},
            {u"Colour"_s, PWPlist::fromString(u"blue"_s)},
            {u"Persons"_s, PWPlist(PWPlist::Array {good.at(0), unreadable, good.at(1)})},
            {u"Sort"_s, PWPlist::fromInteger(CAPersonListDictionary::kNoSorting)},
            {u"Notes"_s, PWPlist(PWPlist::Dictionary {{u"Kept"_s, PWPlist::fromInteger(1)}})}};
        const PWPlist::Dictionary odd {{u"Name"_s, PWPlist::fromString(u"Odd"_s)},
                                       {u"Persons"_s, PWPlist::fromString(u"Ada Byron"_s)},
                                       {u"Sort"_s, PWPlist::fromInteger(18)},
                                       {u"Extra"_s, PWPlist::fromData("\x01\x02")}};
        const PWPlist::Dictionary other {{u"Persons"_s, PWPlist(PWPlist::Array {good.at(2)})},
                                         {u"Sort"_s, PWPlist::fromString(u"by town"_s)},
                                         {u"Name"_s, PWPlist::fromString(u"Other"_s)}};
        return {PWPlist(club), PWPlist(odd), PWPlist(other)};
    }
};

TEST_P(CAPrintListKeptTest, WhatTheEditDidNotChangeIsWrittenAsStored)
{
    const KeptListEdit &row = GetParam();
    const PWPlist::Array before = storedLists();
    scratch.defaults().setObject(u"PrintListArray"_s, PWPlist(before));
    lists.load();
    lists.setCurrentPrintListIndex(0);
    editor.prepare(CAPrintListEditor::PrintLists);
    row.edit(editor);
    editor.save();

    const PWPlist::Array after = scratch.restart().objectForKey(u"PrintListArray"_s).toArray();
    PWPlist::Array kept = before;
    if (row.removed >= 0)
        kept.removeAt(row.removed);
    ASSERT_EQ(after.size(), kept.size());
    for (int list = 0; list < kept.size(); ++list) {
        SCOPED_TRACE(list);
        const PWPlist::Dictionary &was = kept.at(list).toDictionary();
        const PWPlist::Dictionary &now = after.at(list).toDictionary();
        QStringList keys = was.keys();
        for (const QString &key : now.keys())
            if (!keys.contains(key))
                keys.append(key);
        for (const QString &key : std::as_const(keys)) {
            const bool edited = row.changed.contains(qMakePair(list, key));
            EXPECT_EQ(now.value(key) != was.value(key), edited) << qPrintable(key);
        }
        EXPECT_EQ(now.keys(), was.keys()) << "every key stays, in its place";
    }
    // A person that did not read goes back as stored, also where its list's persons were written.
    const PWPlist::Array club = after.at(0).value(u"Persons"_s).toArray();
    EXPECT_TRUE(club.contains(before.at(0).value(u"Persons"_s).toArray().at(1)));
}

INSTANTIATE_TEST_SUITE_P(
    Edits, CAPrintListKeptTest,
    testing::Values(
        KeptListEdit {"Nothing", [](CAPrintListEditor &) {}, {}},
        KeptListEdit {"LookedAtEveryList",
                      [](CAPrintListEditor &e) {
                          e.selectList(1);
                          e.selectList(2);
                          e.selectList(0);
                      },
                      {}},
        KeptListEdit {"RenameWithPersons", [](CAPrintListEditor &e) { e.renameList(0, u"Friends"_s); }, {{0, u"Name"_s}}},
        KeptListEdit {"RenameWithPersonsThatAreNoList", [](CAPrintListEditor &e) { e.renameList(1, u"Even"_s); },
                      {{1, u"Name"_s}}},
        KeptListEdit {"SortWithPersons", [](CAPrintListEditor &e) { e.changeSorting(18); },
                      {{0, u"Sort"_s}, {0, u"Persons"_s}}},
        KeptListEdit {"SortWithPersonsThatAreNoList",
                      [](CAPrintListEditor &e) {
                          e.selectList(1);
                          e.changeSorting(17);
                      },
                      {{1, u"Sort"_s}}},
        KeptListEdit {"SortOfASortingThatIsNoNumber",
                      [](CAPrintListEditor &e) {
                          e.selectList(2);
                          e.changeSorting(19);
                      },
                      {{2, u"Sort"_s}}},
        KeptListEdit {"Add", [](CAPrintListEditor &e) { e.addPersons({person(u"Di"_s, u"Adams"_s)}); },
                      {{0, u"Persons"_s}}},
        KeptListEdit {"AddToPersonsThatAreNoList",
                      [](CAPrintListEditor &e) {
                          e.selectList(1);
                          e.addPersons({person(u"Di"_s, u"Adams"_s)});
                      },
                      {{1, u"Persons"_s}}},
        KeptListEdit {"RemoveAPersonThatReads", [](CAPrintListEditor &e) { e.removePersons({0}); },
                      {{0, u"Persons"_s}}},
        KeptListEdit {"RemoveAnotherList", [](CAPrintListEditor &e) { e.removeList(1); }, {}, 1}),
    [](const testing::TestParamInfo<KeptListEdit> &info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(Modes, CAPrintListEditorModeTest,
                         testing::Values(int(CAPrintListEditor::PrintLists), int(CAPrintListEditor::Senders),
                                         int(CAPrintListEditor::LocalBase)));

} // namespace
