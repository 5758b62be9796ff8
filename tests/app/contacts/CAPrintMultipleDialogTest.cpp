#include "ContactsWindowTestSupport.h"

#include "app/contacts/CAAddressBookSource.h"
#include "app/contacts/CAAddressWindow.h"
#include "app/contacts/CAContactEditor.h"
#include "app/contacts/CAContactImportDialogs.h"
#include "app/contacts/CAContactImportHooks.h"
#include "app/contacts/CAContactTableModel.h"
#include "app/contacts/CADataSourceContainer.h"
#include "app/contacts/CAImportWorker.h"
#include "app/contacts/CALocalContactBase.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CAPrintMultipleDialog.h"
#include "app/contacts/CASenderList.h"
#include "app/contacts/CAVCFSource.h"
#include "kernel/address/FTStoredPerson.h"
#include "platform/PWAddressBook.h"

#include "TestSupport.h"

#include <QDir>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QMenu>
#include <QToolButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using contactstest::lastNames;
using contactstest::person;

namespace {

// An address book card with what no person holds: phonetic names, categories, other programs'
// lines, vCard 4.0's kind, gender and language, an address's label and position, a PNG photo.
const QByteArray kBookCard =
    "BEGIN:VCARD\r\nVERSION:4.0\r\nKIND:individual\r\nN:Doe;Jane;;;\r\nFN:Jane Doe\r\n"
    "X-PHONETIC-LAST-NAME:Dou\r\nCATEGORIES:Clients,VIP\r\nGENDER:F\r\nLANG;PREF=1:en\r\n"
    "TEL;VALUE=uri;TYPE=\"cell,voice\":tel:+1-555-0100\r\n"
    "ADR;TYPE=home;LABEL=\"1 Main St, Portland\";GEO=\"geo:45.5,-122.6\":;;1 Main St;Portland;OR;"
    "97201;USA\r\nX-OTHER-APP;X-P=1:kept\r\nPHOTO:data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAAIAAAA"
    "CCAYAAABytg0kAAAAFUlEQVR42mM4ISf3H4QZ5ORO/AdhAESMCA13gOdaAAAAAElFTkSuQmCC\r\n"
    "UID:jane-1\r\nEND:VCARD\r\n";

class CAPrintMultipleDialogTest : public testing::Test, protected contactstest::WindowModels
{
protected:
    CAPrintMultipleDialogTest()
    {
        CAVCFSource::registerWith(container);
        localBase.personListDict().replacePersonList({person(u"Di"_s, u"Adams"_s), person(u"Ann"_s, u"Baker"_s)});
    }

    void storeList(const QString &name, const CAPersonList &persons, int sortingValue)
    {
        printLists.insertPrintListAt(printLists.count());
        printLists.renamePrintListAt(printLists.count() - 1, name);
        printLists.replacePrintListAt(printLists.count() - 1, persons);
        printLists.replacePrintListSortValueAt(printLists.count() - 1, sortingValue);
        printLists.setCurrentPrintListIndex(0);
        printLists.store();
    }

    // Runs the dialog modally, acting in it once it shows; answers its return code.
    static int run(CAPrintMultipleDialog &dialog, std::function<void()> act)
    {
        QTimer::singleShot(0, &dialog, [&dialog, act] {
            if (!QTest::qWaitFor([&dialog] { return dialog.isVisible(); }, pwtest::kEventWaitMs))
                ADD_FAILURE() << "the window did not show";
            QCoreApplication::processEvents(); // the first showing's own work
            act();
            // A failed expectation must not leave the test waiting on an open window.
            if (dialog.isVisible())
                dialog.reject();
        });
        return dialog.exec();
    }
    // The source's one person added to My Recipients, its city typed in the editor, and OK: My
    // Recipients stores every line of the card as the source read it, its UID too, but the city
    // typed, and the address's label and position, which told of the old city, are gone.
    void addEditAndStore(const QString &sourceName)
    {
        localBase.personListDict().replacePersonList({});
        CAImportWorker worker;
        CAPrintMultipleDialog dialog(models());
        dialog.setImportWorker(worker);
        dialog.prepare(CAPrintListEditor::LocalBase, -1);
        const int code = run(dialog, [&] {
            // The source picked as the user picks it; one never read reads itself.
            auto *popup = dialog.findChild<QComboBox *>(u"_sourceButton"_s);
            const int item = popup->findText(sourceName);
            ASSERT_GE(item, 0);
            popup->setCurrentIndex(item);
            Q_EMIT popup->activated(item);
            QTableView *source = dialog.currentSourceTable();
            ASSERT_TRUE(QTest::qWaitFor([&] { return source->model()->rowCount() == 1; }, 20000));
            source->selectRow(0);
            QTest::mouseClick(dialog.findChild<QPushButton *>(u"_addPersonButton"_s), Qt::LeftButton);
            QLineEdit *city = dialog.contactEditor()->fieldOfCategory(tcCity);
            ASSERT_EQ(city->text(), u"Portland"_s) << "the added person is in the editor";
            city->setFocus();
            city->selectAll();
            QTest::keyClicks(city, u"Bangor"_s);
            QTest::keyClick(city, Qt::Key_Tab);
            press(dialog, QDialogButtonBox::Ok);
        });
        ASSERT_EQ(code, CAPrintMultipleDialog::kOK);
        const PWPlist::Array stored = scratch.defaults().arrayForKey(u"LocalContactBase"_s);
        ASSERT_EQ(stored.size(), 1);
        QList<QByteArray> expected = kBookCard.split('\n');
        expected[10] = "ADR;TYPE=home:;;1 Main St;Bangor;OR;97201;USA\r";
        EXPECT_EQ(stored.at(0).value(u"personData"_s).toData().replace("\r\n ", "").split('\n'), expected);
    }
    static void press(QDialog &dialog, QDialogButtonBox::StandardButton which)
    {
        QTest::mouseClick(dialog.findChild<QDialogButtonBox *>(u"buttonBox"_s)->button(which), Qt::LeftButton);
    }
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

};

TEST_F(CAPrintMultipleDialogTest, ListsWithNoneStoredStartWithPrintList1AndCancelKeepsNone)
{
    CAPrintMultipleDialog dialog(models());
    dialog.prepare(CAPrintListEditor::PrintLists, -1);
    auto *names = dialog.findChild<QListWidget *>(u"_printListNames"_s);
    const int code = run(dialog, [&] {
        ASSERT_TRUE(QTest::qWaitFor([&] { return names->count() == 1; }, pwtest::kEventWaitMs));
        EXPECT_EQ(names->item(0)->text(), u"Print List 1"_s);
        EXPECT_EQ(names->currentRow(), 0);
        auto *nameEditor = names->viewport()->findChild<QLineEdit *>();
        EXPECT_TRUE(nameEditor && nameEditor->isVisible()) << "its name is being edited";
        EXPECT_EQ(dialog.findChild<QLabel *>(u"_title"_s)->text(), u"Print List"_s);
        QTest::keyClick(names->focusWidget() ? names->focusWidget() : names, Qt::Key_Escape);
        press(dialog, QDialogButtonBox::Cancel);
    });
    EXPECT_EQ(code, CAPrintMultipleDialog::kCancel);
    EXPECT_EQ(printLists.count(), 0);
    EXPECT_EQ(dialog.listEditor().mode(), CAPrintListEditor::Closed);
}

TEST_F(CAPrintMultipleDialogTest, DoubleClickedSourceRowsJoinTheListOnceAndOkStoresIt)
{
    storeList(u"Club"_s, {person(u"Ann"_s, u"Baker"_s)}, 18);
    CAPrintMultipleDialog dialog(models());
    dialog.prepare(CAPrintListEditor::PrintLists, -1);
    dialog.changeSourceWithName(CALocalContactBase::kName);
    auto *persons = dialog.findChild<QTableView *>(u"_personTable"_s);
    const int code = run(dialog, [&] {
        QTableView *source = dialog.currentSourceTable();
        ASSERT_EQ(source->model()->rowCount(), 2);
        doubleClickRow(source, 1); // Baker: already in the list
        EXPECT_EQ(persons->model()->rowCount(), 1);
        doubleClickRow(source, 0); // Adams
        EXPECT_EQ(lastNames(dialog.listEditor().persons()->content()), (QStringList{u"Adams"_s, u"Baker"_s}));
        EXPECT_EQ(dialog.getSelectedPersonIndex(), 0) << "the added person is chosen";
        EXPECT_EQ(dialog.contactEditor()->fieldOfCategory(tcLastName)->text(), u"Adams"_s);
        EXPECT_FALSE(dialog.listEditor().persons()->activateRow(0)) << "a double click in the list opens nothing";
        press(dialog, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(code, CAPrintMultipleDialog::kOK);
    CAPrintListArray stored(scratch.restart());
    stored.load();
    EXPECT_EQ(lastNames(stored.getPrintListAt(0)), (QStringList{u"Adams"_s, u"Baker"_s}));
}

TEST_F(CAPrintMultipleDialogTest, PersonsAddedFromTheAddressBookKeepTheirCardsWithOnlyTheEditedField)
{
    ASSERT_TRUE(QDir().mkpath(folder.path() + u"/book"_s));
    ASSERT_TRUE(pwtest::writeFile(folder.path() + u"/book/jane.vcf"_s, kBookCard));
    ASSERT_TRUE(book.load());
    addEditAndStore(CAAddressBookSource::kName);
}

TEST_F(CAPrintMultipleDialogTest, PersonsAddedFromAVCardFileKeepTheirCardsWithOnlyTheEditedField)
{
    const QString cards = folder.path() + u"/jane.vcf"_s;
    ASSERT_TRUE(pwtest::writeFile(cards, kBookCard));
    const CAContactImportHooks saved = CAContactImportHooks::shared();
    CAContactImportHooks hooks;
    hooks.chooseFiles = [&](QWidget *, const QString &, const QStringList &) {
        return std::optional(CAContactImportHooks::ChosenFiles {{cards}, folder.path()});
    };
    CAContactImportHooks::shared() = CAContactImportDialogs::onMainThread(hooks);
    addEditAndStore(CAVCFSource::name());
    CAContactImportHooks::shared() = saved;
    // Read again from the source's cache, as the next start reads it, the card goes on as read.
    CADataSourceContainer again(folder.path() + u"/cache"_s);
    const std::optional<CAPersonList> cached = again.getCachedPersonListForSource(CAVCFSource::kCacheName);
    ASSERT_TRUE(cached && cached->size() == 1);
    localBase.personListDict().replacePersonList({FTStoredPerson::copyWithZone(*cached->constFirst())});
    ASSERT_TRUE(localBase.store());
    EXPECT_EQ(scratch.defaults().arrayForKey(u"LocalContactBase"_s).at(0).value(u"personData"_s).toData(), kBookCard);
}

TEST_F(CAPrintMultipleDialogTest, InlineEditorChangesTheListAtOnceAndSortsItIn)
{
    const std::shared_ptr<PWPerson> baker = person(u"Ann"_s, u"Baker"_s);
    const QString identity = baker->uniqueId();
    storeList(u"Club"_s, {baker, person(u"Eve"_s, u"Young"_s)}, 18);
    CAPrintMultipleDialog dialog(models());
    dialog.prepare(CAPrintListEditor::PrintLists, 0);
    const int code = run(dialog, [&] {
        EXPECT_EQ(dialog.getSelectedPersonIndex(), 0);
        QLineEdit *last = dialog.contactEditor()->fieldOfCategory(tcLastName);
        EXPECT_EQ(last->text(), u"Baker"_s);
        last->setFocus();
        last->selectAll();
        QTest::keyClicks(last, u"Zimmer"_s);
        QTest::keyClick(last, Qt::Key_Tab);
        EXPECT_EQ(lastNames(dialog.listEditor().persons()->content()), (QStringList{u"Young"_s, u"Zimmer"_s}));
        EXPECT_EQ(dialog.getSelectedPersonIndex(), 1) << "the edited person stays chosen where it moved";
        EXPECT_EQ(dialog.contactEditor()->editedRow(), 1);
        press(dialog, QDialogButtonBox::Ok);
    });
    ASSERT_EQ(code, CAPrintMultipleDialog::kOK);
    EXPECT_EQ(lastNames(printLists.getPrintListAt(0)), (QStringList{u"Young"_s, u"Zimmer"_s}));
    // The edited person is the same person: its UID stays.
    EXPECT_EQ(printLists.getPrintListAt(0).at(1)->uniqueId(), identity);
}

TEST_F(CAPrintMultipleDialogTest, ModesShowTheirListAndTheSourceMenuFollows)
{
    senders.personListDict().replacePersonList({person(u"Sam"_s, u"Sender"_s)});
    CAPrintMultipleDialog dialog(models());
    auto *names = dialog.findChild<QWidget *>(u"_viewOftableView"_s);
    auto *title = dialog.findChild<QLabel *>(u"_title"_s);

    dialog.prepare(CAPrintListEditor::LocalBase, 0);
    EXPECT_FALSE(dialog.sourceNames().contains(CALocalContactBase::kName));
    EXPECT_EQ(title->text(), u"My Recipients"_s);
    EXPECT_TRUE(names->isHidden());
    EXPECT_EQ(lastNames(dialog.listEditor().persons()->content()), (QStringList{u"Adams"_s, u"Baker"_s}));

    dialog.prepare(CAPrintListEditor::Senders, 5);
    EXPECT_EQ(title->text(), u"Sender"_s);
    EXPECT_EQ(dialog.getSelectedPersonIndex(), 0) << "an index past the end selects the last row";
    EXPECT_EQ(dialog.sourceNames().last(), CALocalContactBase::kName) << "back at the end";

    dialog.prepare(CAPrintListEditor::PrintLists, -1);
    EXPECT_FALSE(names->isHidden());
    EXPECT_EQ(title->text(), u"Print List"_s);

    auto *update = dialog.findChild<QPushButton *>(u"_updateButton"_s);
    dialog.changeSourceWithName(u"No such source"_s);
    EXPECT_EQ(dialog.currentSourceName(), CAAddressBookSource::kName);
    EXPECT_FALSE(update->isEnabled());
    dialog.changeSourceWithName(CALocalContactBase::kName);
    EXPECT_FALSE(update->isEnabled());
    dialog.changeSourceWithName(CAVCFSource::name());
    EXPECT_TRUE(update->isEnabled());
}

TEST_F(CAPrintMultipleDialogTest, SenderEditFromTheAddressWindowStoresAndSendsTheChosenSender)
{
    senders.personListDict().replacePersonList({person(u"Sam"_s, u"Sender"_s)});
    senders.personListDict().setSortingValue(CASenderList::kDefaultSortingValue);
    CAAddressWindow window(models());
    window.show();
    window.showSenders();
    QStringList chosen;
    window.setPersonChosen([&](const PWPerson &who, bool recipient, int) {
        if (!recipient)
            chosen << who.stringForProperty(kPWLastNameProperty);
    });
    QTimer::singleShot(0, qApp, [&] {
        auto *dialog = qobject_cast<CAPrintMultipleDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->listEditor().mode(), CAPrintListEditor::Senders);
        dialog->changeSourceWithName(CALocalContactBase::kName);
        doubleClickRow(dialog->currentSourceTable(), 0); // Adams
        press(*dialog, QDialogButtonBox::Ok);
    });
    QTest::mouseClick(window.findChild<QPushButton *>(u"editSendersButton"_s), Qt::LeftButton);
    EXPECT_EQ(lastNames(senders.personListDict().personList()), (QStringList{u"Adams"_s, u"Sender"_s}));
    EXPECT_EQ(chosen, QStringList{u"Adams"_s}) << "the person chosen in the window becomes the sender";
}

} // namespace

// The sort pop-up and the source's sort menu are titled from the string table: the custom
// fields read as words, not as the keys the sort is stored under.
TEST_F(CAPrintMultipleDialogTest, SortChoicesShowTheirLocalizedTitles)
{
    CAPrintMultipleDialog dialog(models());
    dialog.prepare(CAPrintListEditor::PrintLists, -1);
    auto *sort = dialog.findChild<QComboBox *>(u"_personSortPopUp"_s);
    ASSERT_NE(sort, nullptr);
    QStringList titles;
    for (int i = 0; i < sort->count(); ++i)
        titles.append(sort->itemText(i));
    for (int custom = 1; custom <= 9; ++custom) {
        EXPECT_TRUE(titles.contains(u"Custom %1"_s.arg(custom))) << custom;
        EXPECT_FALSE(titles.contains(u"Custom%1"_s.arg(custom))) << custom;
    }
    EXPECT_EQ(titles.value(0), u"None"_s);
    EXPECT_TRUE(titles.contains(u"First Name"_s));

    CAAddressWindow window(models());
    auto *button = window.findChild<QToolButton *>(u"sortPopUpButton"_s);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), u"Sort"_s);
    QStringList menu;
    for (const QAction *action : button->menu()->actions())
        menu.append(action->text());
    EXPECT_TRUE(menu.contains(u"Custom 9"_s));
    EXPECT_FALSE(menu.contains(u"Custom9"_s));
}

namespace {

// The persons' sort pop-up shows the sorting of the list the user picks, list by list.
TEST_F(CAPrintMultipleDialogTest, SortPopUpShowsTheSortingOfTheListShown)
{
    storeList(u"By last name"_s, {person(u"Ann"_s, u"Baker"_s), person(u"Di"_s, u"Adams"_s)}, 18);
    storeList(u"Unsorted"_s, {person(u"Cy"_s, u"Cole"_s)}, CAPersonListDictionary::kNoSorting);
    storeList(u"By first name"_s, {person(u"Bo"_s, u"Berg"_s)}, 19);
    CAPrintMultipleDialog dialog(models());
    dialog.prepare(CAPrintListEditor::PrintLists, 0);
    auto *names = dialog.findChild<QListWidget *>(u"_printListNames"_s);
    auto *sort = dialog.findChild<QComboBox *>(u"_personSortPopUp"_s);
    run(dialog, [&] {
        const struct
        {
            int row;
            int sorting;
        } rows[] = {{0, 18}, {1, CAPersonListDictionary::kNoSorting}, {2, 19}, {0, 18}};
        for (const auto &row : rows) {
            SCOPED_TRACE(row.row);
            QTest::mouseClick(names->viewport(), Qt::LeftButton, {}, names->visualItemRect(names->item(row.row)).center());
            EXPECT_EQ(names->currentRow(), row.row);
            EXPECT_EQ(sort->currentData().toInt(), row.sorting) << sort->currentText().toStdString();
        }
        press(dialog, QDialogButtonBox::Cancel);
    });
}

} // namespace
