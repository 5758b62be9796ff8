#include "ContactsTestSupport.h"

#include "app/contacts/CAContactTableModel.h"
#include "app/contacts/CALocalContactBase.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CAPrintListEditor.h"
#include "app/contacts/CASenderList.h"

#include <gtest/gtest.h>

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

INSTANTIATE_TEST_SUITE_P(Modes, CAPrintListEditorModeTest,
                         testing::Values(int(CAPrintListEditor::PrintLists), int(CAPrintListEditor::Senders),
                                         int(CAPrintListEditor::LocalBase)));

} // namespace
