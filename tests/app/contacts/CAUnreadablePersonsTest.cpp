// A print-list person or a sender stored in a form that does not read, met in the print-multiple
// window: shown in its place as unreadable, and written back exactly as stored when the user
// changes the lists or presses OK; the default sender stays the person the user chose.
#include "ContactsWindowTestSupport.h"
#include "TestSupport.h"

#include "app/contacts/CAContactTableModel.h"
#include "app/contacts/CALocalContactBase.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CAPrintMultipleDialog.h"
#include "app/contacts/CASenderList.h"
#include "platform/PWPersonProperties.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

using namespace Qt::StringLiterals;
using contactstest::lastNames;
using contactstest::person;

namespace {

// Stored persons that do not read, with what their row names.
struct UnreadableEntry
{
    const char *name;
    PWPlist stored;
    QString shown;
    QString why;
};

QList<UnreadableEntry> unreadableEntries()
{
    const QByteArray garbled = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ada Byron\r\n\x01\x02 garbage\r\n";
    return {
        {"garbage for a vCard", PWPlist(PWPlist::Dictionary {{u"personData"_s, PWPlist::fromData("garbage")}}),
         u"Unreadable person"_s, u"its vCard does not read"_s},
        {"a garbled vCard", PWPlist(PWPlist::Dictionary {{u"personData"_s, PWPlist::fromData(garbled)}}),
         u"Unreadable person (Ada Byron)"_s, u"its vCard does not read"_s},
        {"no vCard", PWPlist(PWPlist::Dictionary {{u"Name"_s, PWPlist::fromString(u"Ada"_s)}}), u"Unreadable person"_s,
         u"it holds no vCard"_s},
        {"a text", PWPlist::fromString(u"Ada Byron"_s), u"Unreadable person"_s, u"it is stored as a text"_s},
        {"a number", PWPlist::fromReal(1.5), u"Unreadable person"_s, u"it is stored as a number"_s},
        {"data", PWPlist::fromData(QByteArray("\x00\x01", 2)), u"Unreadable person"_s, u"it is stored as data"_s},
    };
}

class UnreadablePersonsWindowTest : public testing::Test, protected contactstest::WindowModels
{
protected:
    // Runs the dialog modally, acting in it once it shows; answers its return code.
    static int runShown(CAPrintMultipleDialog &dialog, std::function<void()> act)
    {
        QTimer::singleShot(0, &dialog, [&dialog, act] {
            if (!QTest::qWaitFor([&dialog] { return dialog.isVisible(); }, pwtest::kEventWaitMs))
                ADD_FAILURE() << "the window did not show";
            QCoreApplication::processEvents();
            act();
            if (dialog.isVisible())
                dialog.reject();
        });
        return dialog.exec();
    }
    static void pressOk(QDialog &dialog)
    {
        QTest::mouseClick(dialog.findChild<QDialogButtonBox *>(u"buttonBox"_s)->button(QDialogButtonBox::Ok),
                          Qt::LeftButton);
    }
    // The rows of the persons table as the user reads them, and their tool tips.
    static QStringList shownRows(CAPrintMultipleDialog &dialog, int role = Qt::DisplayRole)
    {
        QStringList rows;
        const QAbstractItemModel *model = dialog.findChild<QTableView *>(u"_personTable"_s)->model();
        for (int row = 0; row < model->rowCount(); ++row)
            rows.append(model->data(model->index(row, 0), role).toString());
        return rows;
    }
};

TEST_F(UnreadablePersonsWindowTest, APrintListPersonIsShownAndKeptWhenTheListsChange)
{
    const PWPlist::Array good = CAPersonListDictionary::storedPersons({person(u"Ann"_s, u"Baker"_s), person(u"Eve"_s, u"Young"_s)});
    for (const UnreadableEntry &entry : unreadableEntries()) {
        SCOPED_TRACE(entry.name);
        const PWPlist::Array persons {good.at(0), entry.stored, good.at(1)};
        const PWPlist::Dictionary club {{u"Name"_s, PWPlist::fromString(u"Club"_s)},
                                        {u"Persons"_s, PWPlist(persons)},
                                        {u"Sort"_s, PWPlist::fromInteger(CAPersonListDictionary::kNoSorting)}};
        scratch.defaults().setObject(u"PrintListArray"_s, PWPlist(PWPlist::Array {PWPlist(club)}));
        printLists.load();
        printLists.setCurrentPrintListIndex(0);
        ASSERT_EQ(printLists.loadProblems().size(), 1);
        EXPECT_TRUE(printLists.loadProblems().first().startsWith(u"person 2"_s)) << qPrintable(printLists.loadProblems().first());

        CAPrintMultipleDialog dialog(models());
        dialog.prepare(CAPrintListEditor::PrintLists, 0);
        const int code = runShown(dialog, [&] {
            EXPECT_EQ(shownRows(dialog), (QStringList {u"Ann Baker"_s, entry.shown, u"Eve Young"_s}));
            EXPECT_TRUE(shownRows(dialog, Qt::ToolTipRole).value(1).contains(entry.why))
                << qPrintable(shownRows(dialog, Qt::ToolTipRole).value(1));
            // A change to the lists: a new one, then OK.
            auto *names = dialog.findChild<QListWidget *>(u"_printListNames"_s);
            QTest::mouseClick(dialog.findChild<QPushButton *>(u"_btnAdd"_s), Qt::LeftButton);
            EXPECT_EQ(names->count(), 2);
            if (QWidget *editor = names->viewport()->findChild<QLineEdit *>())
                QTest::keyClick(editor, Qt::Key_Escape);
            pressOk(dialog);
        });
        ASSERT_EQ(code, CAPrintMultipleDialog::kOK);
        PWUserDefaults reread(scratch.defaults().filePath());
        const PWPlist::Array stored = reread.objectForKey(u"PrintListArray"_s).toArray();
        ASSERT_EQ(stored.size(), 2);
        const PWPlist::Array written = stored.at(0).value(u"Persons"_s).toArray();
        ASSERT_EQ(written.size(), 3);
        EXPECT_EQ(written.at(1), entry.stored) << "the person is written back as stored, in its place";
        CAPrintListArray again(reread);
        again.load();
        EXPECT_EQ(lastNames(again.getPrintListAt(0)).join(u','), u"Baker,,Young"_s);
    }
}

TEST_F(UnreadablePersonsWindowTest, ASenderIsShownAndKeptAndTheDefaultSenderStaysWhoItWas)
{
    const PWPlist::Array good = CAPersonListDictionary::storedPersons({person(u"Di"_s, u"Adams"_s), person(u"Sam"_s, u"Sender"_s)});
    for (const UnreadableEntry &entry : unreadableEntries()) {
        SCOPED_TRACE(entry.name);
        // The editor sorts by last name: the one that does not read moves to the top.
        const PWPlist::Array stored {good.at(0), good.at(1), entry.stored};
        scratch.defaults().setObject(u"SenderList"_s, PWPlist(stored));
        scratch.defaults().setInteger(u"SenderListSortingValue"_s, CASenderList::kDefaultSortingValue);
        scratch.defaults().setInteger(u"Default Sender Index"_s, 2); // Sender
        senders.load();
        ASSERT_EQ(senders.personListDict().personList().size(), 3);
        ASSERT_NE(senders.defaultPerson(), nullptr);
        EXPECT_EQ(senders.defaultPerson()->stringForProperty(kPWLastNameProperty), u"Sender"_s);

        CAPrintMultipleDialog dialog(models());
        dialog.prepare(CAPrintListEditor::Senders, 0);
        const int code = runShown(dialog, [&] {
            EXPECT_TRUE(shownRows(dialog).contains(entry.shown)) << qPrintable(shownRows(dialog).join(u", "_s));
            pressOk(dialog);
        });
        ASSERT_EQ(code, CAPrintMultipleDialog::kOK);
        PWUserDefaults reread(scratch.defaults().filePath());
        const PWPlist::Array written = reread.objectForKey(u"SenderList"_s).toArray();
        ASSERT_EQ(written.size(), 3);
        EXPECT_TRUE(written.contains(entry.stored)) << "the sender is written back as stored";
        CASenderList again(reread, [] { return std::shared_ptr<PWPerson>(); });
        again.load();
        ASSERT_NE(again.defaultPerson(), nullptr);
        EXPECT_EQ(again.defaultPerson()->stringForProperty(kPWLastNameProperty), u"Sender"_s);
        // A default sender that does not read gives no sender rather than another one.
        reread.setInteger(u"Default Sender Index"_s, written.indexOf(entry.stored) + 1);
        EXPECT_EQ(again.defaultPerson(), nullptr);
    }
}

// Lists whose container does not read (the lists, one list, its persons, the senders) are shown
// empty, named, and written back as they were stored when another list changes.
TEST_F(UnreadablePersonsWindowTest, ContainersThatDoNotReadAreKeptAsStored)
{
    const PWPlist::Dictionary club {{u"Name"_s, PWPlist::fromString(u"Club"_s)},
                                    {u"Persons"_s, CAPersonListDictionary::storedPersons({person(u"Ann"_s, u"Baker"_s)})},
                                    {u"Sort"_s, PWPlist::fromInteger(CAPersonListDictionary::kNoSorting)}};
    const auto withPersons = [&club](const PWPlist &persons) {
        PWPlist::Dictionary list = club;
        list.insert(u"Name"_s, PWPlist::fromString(u"Odd"_s));
        list.insert(u"Persons"_s, persons);
        return PWPlist(list);
    };
    const struct
    {
        const char *name;
        PWPlist lists;   // under "PrintListArray"
        PWPlist senders; // under "SenderList"
        QString named;
    } rows[] = {
        {"the lists a text", PWPlist::fromString(u"lists"_s), PWPlist(), u"The stored print lists are not a list (a text)"_s},
        {"the lists a dictionary", PWPlist(club), PWPlist(), u"The stored print lists are not a list (a dictionary)"_s},
        {"a list a text", PWPlist(PWPlist::Array {PWPlist(club), PWPlist::fromString(u"Odd"_s)}), PWPlist(),
         u"A stored print list is no dictionary (a text)"_s},
        {"a list's persons a text", PWPlist(PWPlist::Array {PWPlist(club), withPersons(PWPlist::fromString(u"Ada"_s))}),
         PWPlist(), u"The stored persons of the print list \"Odd\" are not a list (a text)"_s},
        {"a list's persons a dictionary",
         PWPlist(PWPlist::Array {PWPlist(club), withPersons(PWPlist(PWPlist::Dictionary {{u"a"_s, PWPlist::fromInteger(1)}}))}),
         PWPlist(), u"The stored persons of the print list \"Odd\" are not a list (a dictionary)"_s},
        {"the senders a text", PWPlist(), PWPlist::fromString(u"Sam"_s), u"the senders in the settings are a text"_s},
        {"the senders data", PWPlist(), PWPlist::fromData("Sam"), u"the senders in the settings are data"_s},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        scratch.defaults().setObject(u"PrintListArray"_s, row.lists);
        scratch.defaults().setObject(u"SenderList"_s, row.senders);
        printLists.load();
        senders.load();
        const QStringList problems = scratch.defaults().problems();
        EXPECT_TRUE(std::any_of(problems.begin(), problems.end(), [&row](const QString &p) { return p.startsWith(row.named); }))
            << qPrintable(problems.join(u'\n'));
        // Another list changes (the first one's name), and the senders are saved as they are.
        if (printLists.count() > 0 && printLists.getPrintListNameAt(0) == u"Club"_s)
            printLists.renamePrintListAt(0, u"Club 2"_s);
        printLists.store();
        senders.store();
        const PWUserDefaults reread(scratch.defaults().filePath());
        if (row.lists.isArray()) {
            EXPECT_EQ(reread.objectForKey(u"PrintListArray"_s).toArray().value(1), row.lists.toArray().value(1));
        } else if (!row.lists.isNull()) {
            EXPECT_EQ(reread.objectForKey(u"PrintListArray"_s), row.lists);
        }
        if (!row.senders.isNull()) {
            EXPECT_EQ(reread.objectForKey(u"SenderList"_s), row.senders);
        }
    }
}

// A list damaged throughout is named by a few of its persons and a count, and kept whole.
TEST_F(UnreadablePersonsWindowTest, AListDamagedThroughoutIsNamedBrieflyAndKeptWhole)
{
    for (const int unread : {5, 6, 40}) {
        SCOPED_TRACE(unread);
        PWPlist::Array persons;
        for (int i = 0; i < unread; ++i)
            persons.append(PWPlist::fromString(u"person %1"_s.arg(i)));
        const PWPlist::Dictionary club {{u"Name"_s, PWPlist::fromString(u"Club"_s)}, {u"Persons"_s, PWPlist(persons)}};
        scratch.defaults().setObject(u"PrintListArray"_s, PWPlist(PWPlist::Array {PWPlist(club)}));
        printLists.load();
        const QStringList problems = printLists.loadProblems();
        ASSERT_EQ(problems.size(), std::min(unread, 6));
        EXPECT_TRUE(problems.at(4).startsWith(u"person 5 of the print list \"Club\""_s)) << qPrintable(problems.at(4));
        if (unread > 5) {
            EXPECT_EQ(problems.last(), u"%1 more persons of the print list \"Club\" could not be read; they are kept as "
                                       u"they were stored"_s.arg(unread - 5));
        }
        ASSERT_EQ(printLists.getPrintListAt(0).size(), unread);
        printLists.store();
        EXPECT_EQ(PWUserDefaults(scratch.defaults().filePath()).objectForKey(u"PrintListArray"_s).toArray().value(0).value(u"Persons"_s),
                  PWPlist(persons));
    }
}

// A click on an unreadable row of Addresses > Print lists or Senders sends nobody to the design
// (it would empty the design's address and be saved as an empty card) and says why; the rows
// beside it are sent as before.
TEST_F(UnreadablePersonsWindowTest, AnUnreadableRowClickedInTheAddressWindowIsNoDesignsPerson)
{
    const PWPlist::Array good = CAPersonListDictionary::storedPersons({person(u"Ann"_s, u"Baker"_s)});
    for (const UnreadableEntry &entry : unreadableEntries()) {
        SCOPED_TRACE(entry.name);
        const PWPlist::Dictionary club {{u"Name"_s, PWPlist::fromString(u"Club"_s)},
                                        {u"Persons"_s, PWPlist(PWPlist::Array {good.at(0), entry.stored})},
                                        {u"Sort"_s, PWPlist::fromInteger(CAPersonListDictionary::kNoSorting)}};
        scratch.defaults().setObject(u"PrintListArray"_s, PWPlist(PWPlist::Array {PWPlist(club)}));
        scratch.defaults().setObject(u"SenderList"_s, PWPlist(PWPlist::Array {good.at(0), entry.stored}));
        printLists.load();
        printLists.setCurrentPrintListIndex(0);
        senders.load();
        for (const auto &[tab, tableName] : {std::pair {CAAddressWindow::PrintListsTab, u"printListTable"_s},
                                             std::pair {CAAddressWindow::SendersTab, u"senderTable"_s}}) {
            SCOPED_TRACE(tableName.toStdString());
            CAAddressWindow window(models());
            QStringList sent;
            window.setPersonChosen([&sent](const PWPerson &who, bool, int) {
                sent << who.stringForProperty(kPWLastNameProperty);
            });
            window.show();
            tab == CAAddressWindow::SendersTab ? window.showSenders() : window.showPrintLists();
            auto *table = window.findChild<QTableView *>(tableName);
            ASSERT_NE(table, nullptr);
            ASSERT_EQ(table->model()->rowCount(), 2);
            const int unreadRow = table->model()->data(table->model()->index(0, 0)).toString() == u"Ann Baker"_s ? 1 : 0;
            const auto click = [table](int row) {
                QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                                  table->visualRect(table->model()->index(row, 0)).center());
            };
            click(unreadRow);
            EXPECT_TRUE(sent.isEmpty()) << qPrintable(sent.join(u','));
            auto *box = window.findChild<QMessageBox *>(u"unreadablePerson"_s);
            ASSERT_NE(box, nullptr) << "the click says why nothing happened";
            EXPECT_TRUE(box->text().contains(entry.why)) << qPrintable(box->text());
            box->close();
            click(1 - unreadRow);
            EXPECT_EQ(sent, QStringList {u"Baker"_s});
        }
    }
}

} // namespace
