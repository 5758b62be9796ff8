// Two instances of the program on one settings file, each with its address window on the print
// lists. A's user opens the contact editor on a person of the second list (a double click opens it
// as a sheet; the print-multiple window shows it beside the list), types a city and presses OK,
// while B removes, adds, moves and renames lists. The edit lands in the list it was opened on, as
// a plain model of the lists finds it (the same list, else one of its name, else it comes back
// where it stood); where B had removed what A edited, it comes back and B's window names who came
// back. A double click opens the sheet from the first moment, with one instance or two.
#include "ContactsWindowTestSupport.h"

#include "app/contacts/CAPrintMultipleDialog.h"

#include <QComboBox>
#include <QMessageBox>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace printlistsheettest {

using contactstest::personWithCities;
using contactstest::StoredInstance;

const QString kListsKey = u"PrintListArray"_s;

// One list as a plain model holds it: who it is (a number that stays with it through renames and
// moves), its name and its persons' last names.
struct PlainList
{
    int id;
    QString name;
    QStringList persons;
    QMap<QString, QString> cities = {}; // a person's city retyped, by last name
};
using PlainLists = QList<PlainList>;

PlainLists seededLists()
{
    return {{1, u"Club"_s, {u"Abe"_s, u"Bea"_s}},
            {2, u"Team"_s, {u"Cal"_s, u"Dee"_s}},
            {3, u"Crew"_s, {u"Eve"_s, u"Fay"_s}}};
}

// What the other instance does to the lists, given once for the program and the plain model alike.
struct ListChange
{
    enum Kind { RemoveList, AddList, MoveList, RenameList, RemovePerson, RetypeCity } kind;
    QString list = {};        // the list changed, by its name before the change
    int at = 0;               // where a list is added or moved to
    QString text = {};        // a new list's or the new name; the person removed or retyped
    QStringList persons = {}; // a new list's persons; the city retyped
};

int plainIndex(const PlainLists &lists, const QString &name)
{
    for (int i = 0; i < lists.size(); ++i)
        if (lists.at(i).name == name)
            return i;
    return -1;
}

void applyPlain(PlainLists &lists, const ListChange &change, int &nextId)
{
    const int index = plainIndex(lists, change.list);
    switch (change.kind) {
    case ListChange::RemoveList:
        lists.removeAt(index);
        break;
    case ListChange::AddList:
        lists.insert(change.at, PlainList {nextId++, change.text, change.persons});
        break;
    case ListChange::MoveList:
        lists.move(index, change.at);
        break;
    case ListChange::RenameList:
        lists[index].name = change.text;
        break;
    case ListChange::RemovePerson:
        lists[index].persons.removeAll(change.text);
        break;
    case ListChange::RetypeCity:
        lists[index].cities.insert(change.text, change.persons.value(0));
        break;
    }
}

int plainPositionOf(const PlainLists &lists, int id)
{
    for (int i = 0; i < lists.size(); ++i)
        if (lists.at(i).id == id)
            return i;
    return -1;
}

int programIndex(CAPrintListArray &lists, const QString &name)
{
    for (int i = 0; i < lists.count(); ++i)
        if (lists.getPrintListNameAt(i) == name)
            return i;
    ADD_FAILURE() << "no list " << name.toStdString();
    return -1;
}

// The change made by the other instance's lists, and stored.
void applyProgram(CAPrintListArray &lists, const ListChange &change)
{
    const int index = change.kind == ListChange::AddList ? -1 : programIndex(lists, change.list);
    switch (change.kind) {
    case ListChange::RemoveList:
        lists.removePrintListAt(index);
        break;
    case ListChange::AddList: {
        CAPersonList persons;
        for (const QString &last : change.persons)
            persons.append(personWithCities(last));
        lists.insertPrintListAt(change.at);
        lists.renamePrintListAt(change.at, change.text);
        lists.replacePrintListAt(change.at, persons);
        break;
    }
    case ListChange::MoveList: {
        const QString name = lists.getPrintListNameAt(index);
        const CAPersonList persons = lists.getPrintListAt(index);
        const int sorting = lists.getPrintListSortValueAt(index);
        lists.removePrintListAt(index);
        lists.insertPrintListAt(change.at);
        lists.renamePrintListAt(change.at, name);
        lists.replacePrintListAt(change.at, persons);
        lists.replacePrintListSortValueAt(change.at, sorting);
        break;
    }
    case ListChange::RenameList:
        lists.renamePrintListAt(index, change.text);
        break;
    case ListChange::RemovePerson: {
        CAPersonList persons = lists.getPrintListAt(index);
        persons.removeIf([&](const std::shared_ptr<PWPerson> &person) {
            return person->stringForProperty(kPWLastNameProperty) == change.text;
        });
        lists.replacePrintListAt(index, persons);
        break;
    }
    case ListChange::RetypeCity: {
        CAPersonList persons = lists.getPrintListAt(index);
        for (std::shared_ptr<PWPerson> &person : persons) {
            if (person->stringForProperty(kPWLastNameProperty) != change.text)
                continue;
            person = CAPersonListDictionary::copyPerson(*person);
            for (addressType type : CAContactEditor::kTabTypes)
                setStringForPersonCategory(person.get(), change.persons.value(0), type, tcCity);
        }
        lists.replacePrintListAt(index, persons);
        break;
    }
    }
    ASSERT_TRUE(lists.store());
}

// Where the plain model puts an edit made on the list `edited` of the lists as they were (before)
// after the other's changes gave now: into the same list, else into one of its name; else the list
// comes back, with its persons as the editor knew them, after the nearest list before it that is
// still there. The edited person comes back into a list that lost it. Answers the landing index
// and who came back.
struct Landing
{
    int index;
    QStringList cameBack;
};

Landing landPlain(PlainLists &now, const PlainLists &before, int edited, const QString &person)
{
    const PlainList &was = before.at(edited);
    int index = -1;
    for (int i = 0; i < now.size() && index < 0; ++i)
        if (now.at(i).id == was.id)
            index = i;
    for (int i = 0; i < now.size() && index < 0; ++i)
        if (now.at(i).name == was.name)
            index = i;
    if (index >= 0) {
        if (now.at(index).persons.contains(person))
            return {index, {}};
        now[index].persons.append(person);
        return {index, {person}};
    }
    int at = 0;
    for (int b = edited - 1; b >= 0 && at == 0; --b)
        for (int i = 0; i < now.size(); ++i)
            if (now.at(i).id == before.at(b).id)
                at = i + 1;
    now.insert(at, was);
    return {at, was.persons};
}

// The lists in the order of the one who wrote last without having read the other's order: its own
// (before), the other's additions after the list they followed there.
PlainLists writersOrder(const PlainLists &lists, const PlainLists &before)
{
    const auto position = &plainPositionOf;
    PlainLists ordered;
    for (const PlainList &was : before)
        if (const int at = position(lists, was.id); at >= 0)
            ordered.append(lists.at(at));
    for (int i = 0; i < lists.size(); ++i) {
        if (position(before, lists.at(i).id) >= 0)
            continue;
        int at = 0;
        for (int earlier = i - 1; earlier >= 0 && at == 0; --earlier)
            at = position(ordered, lists.at(earlier).id) + 1;
        ordered.insert(at, lists.at(i));
    }
    return ordered;
}

QString seedListsFile(QTemporaryDir &folder)
{
    const QString file = folder.filePath(u"Parcelwick.plist"_s);
    StoredInstance seed(file, folder.filePath(u"seed"_s), false);
    const PlainLists lists = seededLists();
    for (int i = 0; i < lists.size(); ++i) {
        CAPersonList persons;
        for (const QString &last : lists.at(i).persons)
            persons.append(personWithCities(last));
        seed.printLists.insertPrintListAt(i);
        seed.printLists.renamePrintListAt(i, lists.at(i).name);
        seed.printLists.replacePrintListAt(i, persons);
    }
    EXPECT_TRUE(seed.printLists.store());
    // The windows open on the print lists, the second one shown.
    seed.defaults.setInteger(u"CurrentPrintListIndex"_s, 1);
    seed.defaults.setInteger(u"AddressControllerMainTabViewIndex"_s, CAAddressWindow::PrintListsTab);
    return file;
}

QTableView *printListTable(CAAddressWindow &window)
{
    window.showPrintLists();
    return window.findChild<QTableView *>(u"printListTable"_s);
}

// Chooses the list of that name in the window's list pop-up with the arrow keys, as a user does.
void choosePrintList(CAAddressWindow &window, const QString &name)
{
    window.showPrintLists();
    auto *button = window.findChild<QComboBox *>(u"printListButton"_s);
    const int wanted = button->findText(name);
    ASSERT_GE(wanted, 0) << name.toStdString();
    for (int step = 0; step < button->count() && button->currentIndex() != wanted; ++step)
        QTest::keyClick(button, button->currentIndex() < wanted ? Qt::Key_Down : Qt::Key_Up);
    ASSERT_EQ(button->currentIndex(), wanted);
}

// The lists of the file as a third instance reads them: names in order, persons' last names sorted,
// and each person's city of the address type given.
struct ReadLists
{
    QStringList names;
    QList<QStringList> persons;
    QMap<QString, QString> cities; // "list/person" to the city
};

ReadLists readLists(const QString &file, const QString &folder, addressType type)
{
    StoredInstance later(file, folder, false);
    ReadLists read;
    for (int i = 0; i < later.printLists.count(); ++i) {
        read.names.append(later.printLists.getPrintListNameAt(i));
        QStringList persons;
        for (const std::shared_ptr<PWPerson> &person : later.printLists.getPrintListAt(i)) {
            const QString last = person->stringForProperty(kPWLastNameProperty);
            persons.append(last);
            read.cities.insert(read.names.last() + u'/' + last,
                               stringForPersonCategory(person.get(), type, tcCity, false));
        }
        persons.sort();
        read.persons.append(persons);
    }
    return read;
}

std::string joined(const QStringList &texts)
{
    return texts.join(u", "_s).toStdString();
}

// A typed "Salem" as the city of Dee: the file holds the lists the plain model holds, Dee's city
// typed in the list it landed in and every other city as seeded or retyped; A's window shows that
// list (with Dee chosen, after the sheet); B, where it runs, names who came back in its box, and A
// names nobody.
void expectLanded(const QString &file, const QString &folder, const PlainLists &plain, const Landing &landing,
                  addressType type, CAAddressWindow &aWindow, StoredInstance &a, CAAddressWindow *bWindow,
                  bool deeChosen = true)
{
    const ReadLists read = readLists(file, folder, type);
    QStringList names;
    for (const PlainList &list : plain)
        names.append(list.name);
    EXPECT_EQ(joined(read.names), joined(names));
    for (int i = 0; i < plain.size() && i < read.persons.size(); ++i) {
        QStringList persons = plain.at(i).persons;
        persons.sort();
        EXPECT_EQ(joined(read.persons.at(i)), joined(persons)) << plain.at(i).name.toStdString();
        for (const QString &last : std::as_const(persons)) {
            const bool edited = i == landing.index && last == u"Dee"_s;
            const QString city = edited ? u"Salem"_s : plain.at(i).cities.value(last, last + u" City"_s);
            EXPECT_EQ(read.cities.value(plain.at(i).name + u'/' + last).toStdString(), city.toStdString())
                << plain.at(i).name.toStdString() << "/" << last.toStdString();
        }
    }

    EXPECT_EQ(a.printLists.getPrintListNameAt(a.printLists.currentPrintListIndex()).toStdString(),
              plain.value(landing.index).name.toStdString());
    QTableView *aTable = aWindow.findChild<QTableView *>(u"printListTable"_s);
    const QModelIndexList chosen = aTable->selectionModel()->selectedRows();
    if (deeChosen) {
        ASSERT_EQ(chosen.size(), 1);
        EXPECT_EQ(static_cast<CAContactTableModel *>(aTable->model())
                      ->personAt(chosen.first().row())
                      ->stringForProperty(kPWLastNameProperty),
                  u"Dee"_s);
    }

    QCoreApplication::processEvents();
    if (bWindow) {
        auto *box = bWindow->findChild<QMessageBox *>(u"restoredPersonsMessage"_s);
        EXPECT_EQ(box && box->isVisible(), !landing.cameBack.isEmpty());
        for (const QString &last : landing.cameBack)
            EXPECT_TRUE(box && box->text().contains(u"Ann "_s + last)) << last.toStdString();
    }
    EXPECT_EQ(aWindow.findChild<QMessageBox *>(u"restoredPersonsMessage"_s), nullptr);
}

void typeSalem(CAContactEditorSheet &sheet, addressType &type)
{
    type = sheet.editor()->currentAddressType();
    contactstest::typeIntoSheet(sheet.editor()->fieldOfCategory(tcCity), u"Salem"_s);
    contactstest::pressSheetOk(sheet);
}

struct EditRow
{
    const char *name;
    QList<ListChange> changes;
};

void PrintTo(const EditRow &row, std::ostream *stream)
{
    *stream << row.name;
}

class PrintListSheetInstances : public ::testing::TestWithParam<EditRow>
{
};

// In the print-multiple window (the address window's Edit... on its print lists), chooses the
// person's row and runs act with the contact editor beside the list; answers whether the window
// opened. OK ends the window.
bool inListsWindowOn(CAAddressWindow &window, const QString &last, const std::function<void(CAContactEditor &)> &act)
{
    bool acted = false;
    QTimer::singleShot(0, &window, [&] {
        auto *dialog = qobject_cast<CAPrintMultipleDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        auto *table = dialog->findChild<QTableView *>(u"_personTable"_s);
        const QPoint at = contactstest::placeOfLastName(table, last);
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
        auto *editor = dialog->findChild<CAContactEditor *>();
        acted = editor && editor->fieldOfCategory(tcLastName)->text() == last;
        if (acted)
            act(*editor);
        QTest::mouseClick(dialog->findChild<QDialogButtonBox *>(u"buttonBox"_s)->button(QDialogButtonBox::Ok),
                          Qt::LeftButton);
    });
    window.showPrintLists();
    QTest::mouseClick(window.findChild<QPushButton *>(u"editPrintListsButton"_s), Qt::LeftButton);
    return acted;
}

// A edits Dee of Team in the contact editor, as a sheet over the address window's print list or
// beside the list in the print-multiple window; B changes the lists while the editor is open.
// Whether A takes in B's write while the editor is open or only at its OK, the edit lands where
// the plain model says.
TEST_P(PrintListSheetInstances, AnEditLandsInTheListItWasOpenedOn)
{
    const EditRow &row = GetParam();
    for (const bool sheet : {true, false}) {
        for (const bool aWatches : {true, false}) {
            SCOPED_TRACE(sheet ? "in the sheet" : "in the print-multiple window");
            SCOPED_TRACE(aWatches ? "A takes in B's write under its editor" : "A meets B's write at its OK");
            QTemporaryDir folder;
            const QString file = seedListsFile(folder);
            StoredInstance a(file, folder.filePath(u"a"_s), aWatches);
            StoredInstance b(file, folder.filePath(u"b"_s), true);
            CAAddressWindow aWindow(a.models());
            CAAddressWindow bWindow(b.models());
            aWindow.show();
            bWindow.show();

            PlainLists plain = seededLists();
            const PlainLists before = plain;
            int nextId = 10;
            addressType type = CAContactEditor::kTabTypes[0];
            // A types the city, then B changes the lists, then A presses OK.
            const auto edit = [&](CAContactEditor &editor, const std::function<void()> &ok) {
                type = editor.currentAddressType();
                contactstest::typeIntoSheet(editor.fieldOfCategory(tcCity), u"Salem"_s);
                for (const ListChange &change : row.changes) {
                    applyProgram(b.printLists, change);
                    applyPlain(plain, change, nextId);
                }
                ASSERT_TRUE(b.defaults.waitForPendingWrite(pwtest::kEventWaitMs));
                if (aWatches) {
                    EXPECT_TRUE(QTest::qWaitFor(
                        [&] { return a.defaults.objectForKey(kListsKey) == b.defaults.objectForKey(kListsKey); },
                        pwtest::kEventWaitMs));
                }
                ok();
            };
            const bool opened = sheet
                ? contactstest::inSheetOn(
                    aWindow, printListTable(aWindow), u"Dee"_s,
                    [&](CAContactEditorSheet &on) { edit(*on.editor(), [&] { contactstest::pressSheetOk(on); }); })
                : inListsWindowOn(aWindow, u"Dee"_s, [&](CAContactEditor &editor) { edit(editor, [] {}); });
            ASSERT_TRUE(opened) << "no editor opened on Dee";
            ASSERT_TRUE(a.defaults.waitForPendingWrite(pwtest::kEventWaitMs));
            // B shows what A stored once it took it in.
            ASSERT_TRUE(QTest::qWaitFor(
                [&] { return b.defaults.objectForKey(kListsKey) == a.defaults.objectForKey(kListsKey); },
                pwtest::kEventWaitMs));

            Landing landing = landPlain(plain, before, 1, u"Dee"_s);
            // A that stores without having read B's write writes its own order of the lists.
            if (!aWatches) {
                const int landed = plain.at(landing.index).id;
                plain = writersOrder(plain, before);
                landing.index = plainPositionOf(plain, landed);
            }
            expectLanded(file, folder.filePath(u"later"_s), plain, landing, type, aWindow, a, &bWindow, sheet);
        }
    }
}

const EditRow kEditRows[] = {
    {"NothingChanged", {}},
    {"TheEditedListRemoved", {{ListChange::RemoveList, u"Team"_s}}},
    {"AnEarlierListRemoved", {{ListChange::RemoveList, u"Club"_s}}},
    {"AListAddedBeforeIt", {{ListChange::AddList, {}, 0, u"Band"_s, {u"Gus"_s}}}},
    {"TheEditedListMovedLast", {{ListChange::MoveList, u"Team"_s, 2}}},
    {"TheFirstListMovedLast", {{ListChange::MoveList, u"Club"_s, 2}}},
    {"TheEditedListRenamed", {{ListChange::RenameList, u"Team"_s, 0, u"Squad"_s}}},
    {"TheEditedListRemovedAndOneOfItsNameAdded",
     {{ListChange::RemoveList, u"Team"_s}, {ListChange::AddList, {}, 1, u"Team"_s, {u"Gus"_s}}}},
    {"TheEditedListAndTheOneBeforeRemoved", {{ListChange::RemoveList, u"Club"_s}, {ListChange::RemoveList, u"Team"_s}}},
    {"TheEditedPersonRemovedFromItsList", {{ListChange::RemovePerson, u"Team"_s, 0, u"Dee"_s}}},
    {"AnotherPersonOfItsListRetyped", {{ListChange::RetypeCity, u"Team"_s, 0, u"Cal"_s, {u"Bangor"_s}}}},
    {"AListAddedAndTheEditedOneRenamedAndMoved",
     {{ListChange::AddList, {}, 3, u"Band"_s, {u"Gus"_s}},
      {ListChange::RenameList, u"Team"_s, 0, u"Squad"_s},
      {ListChange::MoveList, u"Squad"_s, 0}}},
};

INSTANTIATE_TEST_SUITE_P(OtherChanges, PrintListSheetInstances, ::testing::ValuesIn(kEditRows),
                         [](const auto &info) { return std::string(info.param.name); });

// Right after start, with one instance and with two: A read the file as it started, and B
// changed the lists before A's address window came up. A's first double click on a person of its
// print list opens the sheet on that person as the file holds it then, whether A's window took the
// change in as it came up or the double click is the first to read the file, and the city typed
// lands where the plain model says; B's double click opens the sheet too. A person or list B
// removed still shows in a window that has not read the file since: the sheet opens on the person
// as shown, and OK brings it back.
TEST(PrintListSheetAtStart, ADoubleClickOpensTheSheetFromTheFirstMoment)
{
    const struct
    {
        const char *name;
        QList<ListChange> changes;
        QString city; // Dee's city as the file holds it at the double click
        bool deeGone;
    } rows[] = {
        {"one instance", {}, u"Dee City"_s, false},
        {"two instances, nothing changed", {}, u"Dee City"_s, false},
        {"a list added before it", {{ListChange::AddList, {}, 0, u"Band"_s, {u"Gus"_s}}}, u"Dee City"_s, false},
        {"an earlier list removed", {{ListChange::RemoveList, u"Club"_s}}, u"Dee City"_s, false},
        {"its list renamed and moved first",
         {{ListChange::RenameList, u"Team"_s, 0, u"Squad"_s}, {ListChange::MoveList, u"Squad"_s, 0}},
         u"Dee City"_s,
         false},
        {"the person retyped", {{ListChange::RetypeCity, u"Team"_s, 0, u"Dee"_s, {u"Bangor"_s}}}, u"Bangor"_s, false},
        {"the person removed", {{ListChange::RemovePerson, u"Team"_s, 0, u"Dee"_s}}, u"Dee City"_s, true},
        {"its list removed", {{ListChange::RemoveList, u"Team"_s}}, u"Dee City"_s, true},
    };
    for (const auto &row : rows) {
        for (const bool aWatches : {true, false}) {
            // A window that took the removal in shows no Dee to double-click.
            if (aWatches && row.deeGone)
                continue;
            SCOPED_TRACE(row.name);
            SCOPED_TRACE(aWatches ? "A's window takes in the file as it comes up"
                                  : "A's double click reads the file first");
            const bool two = row.name != std::string("one instance");
            QTemporaryDir folder;
            const QString file = seedListsFile(folder);
            StoredInstance a(file, folder.filePath(u"a"_s), false);
            std::unique_ptr<StoredInstance> b;
            std::unique_ptr<CAAddressWindow> bWindow;
            PlainLists plain = seededLists();
            int nextId = 10;
            if (two) {
                b = std::make_unique<StoredInstance>(file, folder.filePath(u"b"_s), true);
                bWindow = std::make_unique<CAAddressWindow>(b->models());
                bWindow->show();
                for (const ListChange &change : row.changes) {
                    applyProgram(b->printLists, change);
                    applyPlain(plain, change, nextId);
                }
                ASSERT_TRUE(b->defaults.waitForPendingWrite(pwtest::kEventWaitMs));
                // B's own double click opens its sheet on Dee, where its list holds him.
                if (!row.deeGone) {
                    SCOPED_TRACE("B");
                    choosePrintList(*bWindow, plain.at(plainPositionOf(plain, 2)).name);
                    QString shown;
                    EXPECT_TRUE(contactstest::inSheetOn(*bWindow, printListTable(*bWindow), u"Dee"_s,
                                                        [&](CAContactEditorSheet &sheet) {
                                                            shown = sheet.editor()->fieldOfCategory(tcLastName)->text();
                                                            sheet.reject();
                                                        }));
                    EXPECT_EQ(shown.toStdString(), "Dee");
                }
            }
            // A's window comes up, as the application's does, watching the file from then on.
            if (aWatches)
                a.defaults.watchOtherWrites();
            CAAddressWindow aWindow(a.models());
            aWindow.show();
            QString last;
            QString city;
            addressType type = CAContactEditor::kTabTypes[0];
            const bool opened =
                contactstest::inSheetOn(aWindow, printListTable(aWindow), u"Dee"_s, [&](CAContactEditorSheet &sheet) {
                    last = sheet.editor()->fieldOfCategory(tcLastName)->text();
                    city = sheet.editor()->fieldOfCategory(tcCity)->text();
                    typeSalem(sheet, type);
                });
            ASSERT_TRUE(opened);
            EXPECT_EQ(last.toStdString(), "Dee");
            EXPECT_EQ(city.toStdString(), row.city.toStdString());
            ASSERT_TRUE(a.defaults.waitForPendingWrite(pwtest::kEventWaitMs));
            if (two) {
                ASSERT_TRUE(QTest::qWaitFor(
                    [&] { return b->defaults.objectForKey(kListsKey) == a.defaults.objectForKey(kListsKey); },
                    pwtest::kEventWaitMs));
            }
            const Landing landing = landPlain(plain, seededLists(), 1, u"Dee"_s);
            expectLanded(file, folder.filePath(u"later"_s), plain, landing, type, aWindow, a, bWindow.get());
        }
    }
}

} // namespace printlistsheettest
