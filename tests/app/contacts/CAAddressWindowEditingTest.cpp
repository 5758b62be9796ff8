#include "ContactsWindowTestSupport.h"
#include "TestSupport.h"

#include "app/contacts/CAAddressBookSource.h"
#include "app/contacts/CAAddressWindow.h"
#include "app/contacts/CAContactEditor.h"
#include "app/contacts/CAContactTableModel.h"
#include "app/contacts/CADataSourceContainer.h"
#include "app/contacts/CALocalContactBase.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CAPrintMultipleDialog.h"
#include "app/contacts/CASenderList.h"
#include "kernel/address/FTPersonFields.h"
#include "platform/PWAddressBook.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using contactstest::lastNames;
using contactstest::person;

namespace {

class CAAddressWindowEditingTest : public testing::Test, protected contactstest::WindowModels
{
protected:
    static void doubleClickRow(QTableView *table, int row)
    {
        // Layouts are laid out when events run: the row has its place only then.
        EXPECT_TRUE(QTest::qWaitFor([table] { return table->viewport()->height() > 0; }, pwtest::kEventWaitMs));
        QCoreApplication::processEvents();
        const QRect rect = table->visualRect(table->model()->index(row, 0));
        // A double click as a mouse makes it: press and release, then the second press.
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseRelease(table->viewport(), Qt::LeftButton, {}, rect.center());
    }

    // Acts in the editor sheet once it runs; records whether it ever did.
    // Polls, since the double click itself runs events before the sheet opens; gives up after a
    // while, so that a table that opens nothing leaves sheetOpened false.
    void inEditorSheet(std::function<void(CAContactEditorSheet &)> act)
    {
        auto *poll = new QTimer(qApp);
        auto tries = std::make_shared<int>(0);
        QObject::connect(poll, &QTimer::timeout, qApp, [this, act, poll, tries] {
            auto *sheet = qobject_cast<CAContactEditorSheet *>(QApplication::activeModalWidget());
            if (!sheet && ++*tries < 50)
                return;
            poll->stop();
            poll->deleteLater();
            sheetOpened = sheet != nullptr;
            if (sheet)
                act(*sheet);
        });
        poll->start(10);
    }

    static void retype(QLineEdit *field, const QString &text)
    {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
        Q_EMIT field->editingFinished();
    }

    static void press(CAContactEditorSheet &sheet, QDialogButtonBox::StandardButton which)
    {
        QTest::mouseClick(sheet.findChild<QDialogButtonBox *>()->button(which), Qt::LeftButton);
    }

    bool sheetOpened = false;
};

TEST_F(CAAddressWindowEditingTest, DoubleClickedSenderIsEditedStoredAndSentAgain)
{
    senders.personListDict().replacePersonList({person(u"Ann"_s, u"smith"_s), person(u"Bo"_s, u"Young"_s)});
    CAAddressWindow window(models());
    window.show();
    window.showSenders();
    QStringList chosen;
    bool chosenAsRecipient = true;
    window.setPersonChosen([&](const PWPerson &who, bool recipient, int) {
        chosen << who.stringForProperty(kPWLastNameProperty);
        chosenAsRecipient = recipient;
    });

    inEditorSheet([](CAContactEditorSheet &sheet) {
        retype(sheet.editor()->fieldOfCategory(tcLastName), u"Smith"_s);
        press(sheet, QDialogButtonBox::Ok);
    });
    auto *table = window.findChild<QTableView *>(u"senderTable"_s);
    doubleClickRow(table, 0);
    ASSERT_TRUE(sheetOpened);

    EXPECT_EQ(lastNames(senders.personListDict().personList()), (QStringList{u"Smith"_s, u"Young"_s}));
    ASSERT_FALSE(chosen.isEmpty());
    EXPECT_EQ(chosen.last(), u"Smith"_s) << "the edited person goes to the design again";
    EXPECT_FALSE(chosenAsRecipient);
    EXPECT_EQ(table->selectionModel()->selectedRows().value(0).row(), 0);

    CASenderList reread(scratch.restart(), [] { return std::shared_ptr<PWPerson>(); });
    reread.load();
    EXPECT_EQ(lastNames(reread.personListDict().personList()), (QStringList{u"Smith"_s, u"Young"_s}));
}

// Senders > Edit... shows the senders sorted; OK with nothing changed writes nothing (the stored
// order and the default sender stay), and a change of order moves the default with its person.
TEST_F(CAAddressWindowEditingTest, SenderEditorOkWritesOnlyAChangeAndTheDefaultStaysItsPerson)
{
    const struct
    {
        const char *name;
        // Up-arrow presses on the sort pop-up (from Last Name, one is First Name).
        int sortSteps;
        QStringList stored;
        qint64 defaultIndex;
    } rows[] = {{"nothing changed", 0, {u"Young"_s, u"Cole"_s, u"Adams"_s}, 1},
                {"sorted by first name", 1, {u"Cole"_s, u"Adams"_s, u"Young"_s}, 3}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        scratch.defaults().setObject(u"SenderList"_s, PWPlist(CAPersonListDictionary::storedPersons(
                                                          {person(u"Eve"_s, u"Young"_s), person(u"Cy"_s, u"Cole"_s),
                                                           person(u"Di"_s, u"Adams"_s)})));
        scratch.defaults().setInteger(u"SenderListSortingValue"_s, tcLastName);
        scratch.defaults().setInteger(u"Default Sender Index"_s, 1); // Young
        scratch.defaults().synchronize();
        senders.load();
        const PWPlist before = scratch.defaults().objectForKey(u"SenderList"_s);

        CAAddressWindow window(models());
        window.show();
        window.showSenders();
        QStringList sent;
        window.setPersonChosen([&sent](const PWPerson &who, bool, int) { sent << who.stringForProperty(kPWLastNameProperty); });
        QStringList shown;
        QTimer::singleShot(0, qApp, [&shown, steps = row.sortSteps] {
            auto *dialog = qobject_cast<CAPrintMultipleDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            auto *persons = dialog->findChild<QTableView *>(u"_personTable"_s);
            for (int r = 0; r < persons->model()->rowCount(); ++r)
                shown << persons->model()->index(r, 0).data().toString();
            auto *sort = dialog->findChild<QComboBox *>(u"_personSortPopUp"_s);
            sort->setFocus();
            for (int step = 0; step < steps; ++step)
                QTest::keyClick(sort, Qt::Key_Up);
            QTest::mouseClick(dialog->findChild<QDialogButtonBox *>(u"buttonBox"_s)->button(QDialogButtonBox::Ok),
                              Qt::LeftButton);
            if (dialog->isVisible())
                dialog->reject();
        });
        QTest::mouseClick(window.findChild<QPushButton *>(u"editSendersButton"_s), Qt::LeftButton);
        EXPECT_EQ(shown, (QStringList {u"Di Adams"_s, u"Cy Cole"_s, u"Eve Young"_s})) << "the editor shows them sorted";
        EXPECT_EQ(sent, QStringList {u"Young"_s}) << "the default sender goes to the design";

        PWUserDefaults stored(scratch.defaults().filePath());
        if (row.sortSteps == 0) {
            EXPECT_EQ(stored.objectForKey(u"SenderList"_s), before) << "nothing changed: nothing written";
        }
        CASenderList reread(stored, [] { return std::shared_ptr<PWPerson>(); });
        reread.load();
        EXPECT_EQ(lastNames(reread.personListDict().personList()), row.stored);
        EXPECT_EQ(stored.integerForKey(u"Default Sender Index"_s), row.defaultIndex);
        ASSERT_NE(reread.defaultPerson(), nullptr);
        EXPECT_EQ(reread.defaultPerson()->stringForProperty(kPWLastNameProperty), u"Young"_s);
    }
}

TEST_F(CAAddressWindowEditingTest, PrintListEditIsSortedAndStoredCancelChangesNothing)
{
    printLists.insertPrintListAt(0);
    printLists.renamePrintListAt(0, u"Club"_s);
    printLists.replacePrintListAt(0, {person(u"Ann"_s, u"Baker"_s), person(u"Bo"_s, u"Young"_s)});
    printLists.replacePrintListSortValueAt(0, 18);
    printLists.setCurrentPrintListIndex(0);
    printLists.store();
    CAAddressWindow window(models());
    window.show();
    window.showPrintLists();
    auto *table = window.findChild<QTableView *>(u"printListTable"_s);

    inEditorSheet([](CAContactEditorSheet &sheet) {
        retype(sheet.editor()->fieldOfCategory(tcLastName), u"Zimmer"_s);
        press(sheet, QDialogButtonBox::Cancel);
    });
    doubleClickRow(table, 0);
    ASSERT_TRUE(sheetOpened);
    EXPECT_EQ(lastNames(printLists.getPrintListAt(0)), (QStringList{u"Baker"_s, u"Young"_s}));

    sheetOpened = false;
    inEditorSheet([](CAContactEditorSheet &sheet) {
        retype(sheet.editor()->fieldOfCategory(tcLastName), u"Zimmer"_s);
        press(sheet, QDialogButtonBox::Ok);
    });
    doubleClickRow(table, 0);
    ASSERT_TRUE(sheetOpened);
    EXPECT_EQ(lastNames(printLists.getPrintListAt(0)), (QStringList{u"Young"_s, u"Zimmer"_s})) << "sorted by last name";
    CAPrintListArray reread(scratch.restart());
    reread.load();
    EXPECT_EQ(lastNames(reread.getPrintListAt(0)), (QStringList{u"Young"_s, u"Zimmer"_s}));
}

TEST_F(CAAddressWindowEditingTest, SourcesReadFromElsewhereOpenNoEditor)
{
    ASSERT_TRUE(book.addPerson(person(u"Ann"_s, u"Baker"_s)));
    CAAddressWindow window(models());
    window.show();
    window.showRecipients(false);
    window.changeSourceWithName(CAAddressBookSource::kName);
    ASSERT_EQ(window.currentModel()->rowCount(), 1);
    inEditorSheet([](CAContactEditorSheet &sheet) { press(sheet, QDialogButtonBox::Cancel); });
    doubleClickRow(window.currentTable(), 0);
    QTest::qWait(600); // the poll gives up: no sheet came
    EXPECT_FALSE(sheetOpened);
    EXPECT_FALSE(window.currentModel()->activateRow(0));
}

// "Edit..." on My Recipients: after OK the design gets the person chosen in the window, after
// Cancel nothing; either way the table shows again the row chosen before the window opened.
TEST_F(CAAddressWindowEditingTest, LocalBaseEditSelectsAgainTheRowChosenBefore)
{
    localBase.personListDict().replacePersonList(
        {person(u"Di"_s, u"Adams"_s), person(u"Ann"_s, u"Baker"_s), person(u"Cy"_s, u"Cole"_s)});
    struct Row
    {
        const char *name;
        QDialogButtonBox::StandardButton button;
        QStringList sent;
    };
    const Row rows[] = {{"cancel", QDialogButtonBox::Cancel, {}}, {"ok", QDialogButtonBox::Ok, {u"Cole"_s}}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        CAAddressWindow window(models());
        window.show();
        window.showRecipients(true);
        QStringList sent;
        window.setPersonChosen([&sent](const PWPerson &who, bool, int) { sent << who.stringForProperty(kPWLastNameProperty); });
        auto *table = window.findChild<QTableView *>(u"localBaseTable"_s);
        ASSERT_TRUE(QTest::qWaitFor([table] { return table->viewport()->height() > 0; }, pwtest::kEventWaitMs));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(table->model()->index(1, 0)).center());
        ASSERT_EQ(sent, QStringList{u"Baker"_s});
        sent.clear();

        bool dialogRan = false;
        QTimer::singleShot(0, qApp, [&dialogRan, which = row.button] {
            auto *dialog = qobject_cast<CAPrintMultipleDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            dialogRan = true;
            auto *persons = dialog->findChild<QTableView *>(u"_personTable"_s);
            if (QTest::qWaitFor([persons] { return persons->viewport()->height() > 0; }, pwtest::kEventWaitMs))
                QTest::mouseClick(persons->viewport(), Qt::LeftButton, {},
                                  persons->visualRect(persons->model()->index(2, 0)).center());
            QTest::mouseClick(dialog->findChild<QDialogButtonBox *>(u"buttonBox"_s)->button(which), Qt::LeftButton);
            if (dialog->isVisible())
                dialog->reject();
        });
        QTest::mouseClick(window.findChild<QPushButton *>(u"updateButton"_s), Qt::LeftButton);
        ASSERT_TRUE(dialogRan);
        EXPECT_EQ(sent, row.sent);
        const QModelIndexList selected = table->selectionModel()->selectedRows();
        ASSERT_EQ(selected.size(), 1);
        EXPECT_EQ(selected.first().row(), 1) << "the row chosen before the window";
    }
}

} // namespace
