#include "app/shell/CAAssistantContactsController.h"

#include "AssistantTestSupport.h"

#include "app/contacts/CAContactImportHooks.h"
#include "app/contacts/CAContactTableModel.h"
#include "app/contacts/CADataSourceContainer.h"
#include "app/contacts/CALocalContactBase.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CASenderList.h"
#include "app/contacts/CATextFileSource.h"
#include "app/contacts/CAVCFSource.h"
#include "app/shell/CAAssistantController.h"
#include "kernel/address/FTStoredPerson.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWMultiValue.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWVCardReader.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>

#include <atomic>
#include <functional>

using namespace assistanttest;

namespace {

constexpr int kStepNotEnded = -99;

std::shared_ptr<PWPerson> named(const QString &first, const QString &last, const QString &street = QString())
{
    std::shared_ptr<PWPerson> person = PWPerson::create();
    person->setValueForProperty(kPWFirstNameProperty, PWPlist::fromString(first));
    person->setValueForProperty(kPWLastNameProperty, PWPlist::fromString(last));
    if (!street.isEmpty()) {
        PWPlist::Dictionary address;
        address.insert(kPWAddressStreetKey, PWPlist::fromString(street));
        address.insert(kPWAddressCityKey, PWPlist::fromString(u"Salem"_s));
        PWMultiValue addresses;
        addresses.addValue(PWPlist(address), kPWAddressWorkLabel);
        person->setMultiValueForProperty(kPWAddressProperty, addresses);
    }
    return person;
}

QStringList lastNames(const CAPersonList &persons)
{
    QStringList names;
    for (const std::shared_ptr<PWPerson> &person : persons)
        names << person->stringForProperty(kPWLastNameProperty);
    return names;
}

class AssistantContactsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        useContentLibrary(sampleLibrary());
        PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
        for (const QString &key : {CAAssistantController::kRecentLayoutViewKey, u"ContactDataSource"_s,
                                   u"Default Sender Index"_s, u"ContactSortingKey"_s})
            defaults.removeObject(key);
        CAEnvironment::setDefaultCountry(u"us"_s);
        models().senders.personListDict().replacePersonList({});
        models().localBase.personListDict().replacePersonList({});
        while (models().printLists.count() > 0)
            models().printLists.removePrintListAt(0);
        auto contacts = std::make_unique<CAAssistantContactsController>(models());
        step = contacts.get();
        wizard.setContactsStep(std::move(contacts));
        wizard.setRecentDocumentsSource([] { return QStringList(); });
    }
    void TearDown() override
    {
        models().senders.personListDict().replacePersonList({});
        models().localBase.personListDict().replacePersonList({});
        while (models().printLists.count() > 0)
            models().printLists.removePrintListAt(0);
        PWUserDefaults::standardUserDefaults().removeObject(u"FTSharedContentLibraryPath"_s);
    }
    static CAAddressWindow::Models models() { return CAAddressWindow::sharedModels(); }

    int runWith(const std::function<void()> &steps)
    {
        QTimer::singleShot(0, &wizard, [this, steps] {
            steps();
            if (wizard.isRunning() && wizard.window() && wizard.window()->isVisible())
                wizard.window()->done(kStepNotEnded);
        });
        return wizard.showDialog(false);
    }
    // Steps 1 and 2 with an envelope design that has both sides, ending on step 3.
    void walkToContacts()
    {
        click<QRadioButton>("_kindEnvelope");
        QTest::mouseClick(wizard.nextButton(), Qt::LeftButton);
        auto *popup = wizard.window()->findChild<QWidget *>(u"_designView"_s)->findChild<QComboBox *>(u"_categoryPopup"_s);
        ASSERT_TRUE(chooseItem(popup, u"Business"_s));
        auto *designs = wizard.window()->findChild<QTableWidget *>(u"_designTableView"_s);
        ASSERT_GT(designs->rowCount(), 0);
        clickRow(designs, 0);
        QTest::mouseClick(wizard.nextButton(), Qt::LeftButton);
        ASSERT_EQ(wizard.currentStepIdentifier(), u"3"_s);
    }
    template <typename T>
    void click(const char *name)
    {
        auto *widget = wizard.window()->findChild<T *>(QString::fromLatin1(name));
        ASSERT_NE(widget, nullptr) << name;
        ASSERT_TRUE(widget->isVisible()) << name;
        if constexpr (std::is_same_v<T, QRadioButton>)
            QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(8, widget->height() / 2));
        else
            QTest::mouseClick(widget, Qt::LeftButton);
    }
    void type(bool sender, const QString &key, const QString &text)
    {
        QLineEdit *field = step->formField(sender, key);
        ASSERT_NE(field, nullptr) << key.toStdString();
        ASSERT_TRUE(field->isVisible()) << key.toStdString();
        QTest::mouseClick(field, Qt::LeftButton);
        field->selectAll();
        QTest::keyClicks(field, text);
    }
    QString fieldText(bool sender, const QString &key) const { return step->formField(sender, key)->text(); }
    int selectedSenderRow() const
    {
        const QModelIndexList rows = step->senderTableView()->selectionModel()->selectedRows();
        return rows.isEmpty() ? -1 : rows.first().row();
    }

    CAAssistantController wizard;
    CAAssistantContactsController *step = nullptr;
};

// The whole path: a sender typed into the form and added, a print list chosen; the document made
// has the list's first person as its recipient, the typed sender, and the list's name.
TEST_F(AssistantContactsTest, FinishingWithATypedSenderAndAPrintListGivesThosePersons)
{
    models().senders.personListDict().replacePersonList({named(u"Old"_s, u"Sender"_s, u"9 Oak St"_s)});
    models().printLists.insertPrintListAt(0);
    models().printLists.renamePrintListAt(0, u"Club"_s);
    models().printLists.replacePrintListAt(0, {named(u"Pat"_s, u"First"_s, u"1 Main St"_s), named(u"Sue"_s, u"Second"_s)});
    models().printLists.insertPrintListAt(1);
    models().printLists.renamePrintListAt(1, u"Empty"_s);
    models().printLists.setCurrentPrintListIndex(1);

    // An address window open beside the assistant.
    CAAddressWindow addressWindow(models());
    ASSERT_EQ(lastNames(addressWindow.senderModel()->content()), QStringList{u"Sender"_s});
    bool addWasEnabled = false;
    const int code = runWith([&] {
        walkToContacts();
        // Both sides: the step opens on the recipient tab, its cell checked.
        EXPECT_EQ(step->currentTabViewIndex(), 1);
        EXPECT_TRUE(wizard.window()->findChild<QRadioButton *>(u"_contactRecipient"_s)->isChecked());
        click<QRadioButton>("_contactSender");
        ASSERT_EQ(step->currentTabViewIndex(), 0);
        // The default sender is selected and shown.
        EXPECT_EQ(selectedSenderRow(), 0);
        EXPECT_EQ(fieldText(true, u"street"_s), u"9 Oak St"_s);
        click<QPushButton>("_btnClearSenderForm");
        type(true, u"first"_s, u"Ann"_s);
        EXPECT_EQ(selectedSenderRow(), -1);
        addWasEnabled = step->isAddEnabled();
        type(true, u"last"_s, u"Able"_s);
        type(true, u"street"_s, u"4 Pine Rd"_s);
        type(true, u"city"_s, u"Bend"_s);
        click<QPushButton>("_btnAdd");
        EXPECT_FALSE(step->isAddEnabled());
        // Sorted by last name, the new sender comes first and is selected there.
        EXPECT_EQ(lastNames(step->senderModel()->content()), (QStringList{u"Able"_s, u"Sender"_s}));
        EXPECT_EQ(selectedSenderRow(), 0);

        click<QRadioButton>("_contactPrintList");
        ASSERT_EQ(step->currentTabViewIndex(), 2);
        ASSERT_TRUE(step->hasPrintListEditor());
        QListWidget *names = step->printListNames();
        ASSERT_EQ(names->count(), 2);
        EXPECT_EQ(names->currentRow(), 1);
        clickRow(names, 0);
        EXPECT_EQ(lastNames(step->printListModel()->content()), (QStringList{u"First"_s, u"Second"_s}));
        QTest::mouseClick(wizard.nextButton(), Qt::LeftButton);
    });
    ASSERT_EQ(code, CAAssistantController::Finish);
    EXPECT_TRUE(addWasEnabled);
    EXPECT_EQ(wizard.currentContactsTabViewIndex(), 2);

    const std::unique_ptr<CADocument> document = wizard.createDocument();
    ASSERT_NE(document, nullptr);
    ASSERT_NE(document->currentPerson(true), nullptr);
    EXPECT_EQ(document->currentPerson(true)->stringForProperty(kPWLastNameProperty), u"First"_s);
    ASSERT_NE(document->currentPerson(false), nullptr);
    EXPECT_EQ(document->currentPerson(false)->stringForProperty(kPWFirstNameProperty), u"Ann"_s);
    EXPECT_EQ(document->currentPerson(false)->stringForProperty(kPWLastNameProperty), u"Able"_s);
    const std::optional<PWMultiValue> senderAddress =
        document->currentPerson(false)->multiValueForProperty(kPWAddressProperty);
    ASSERT_TRUE(senderAddress);
    EXPECT_EQ(senderAddress->valueAtIndex(0).toDictionary().value(kPWAddressCityKey).toString(), u"Bend"_s);
    EXPECT_EQ(document->getPrintListName(), std::optional<QString>(u"Club"_s));

    // The run stored the sender list with the new sender as the default.
    EXPECT_EQ(lastNames(models().senders.personListDict().personList()), (QStringList{u"Able"_s, u"Sender"_s}));
    EXPECT_EQ(models().senders.getDefaultPersonIndex(), 0);
    EXPECT_EQ(lastNames(addressWindow.senderModel()->content()), (QStringList{u"Able"_s, u"Sender"_s}));
}

// With an empty print list chosen, the recipient comes from the form.
TEST_F(AssistantContactsTest, AnEmptyPrintListLeavesTheRecipientToTheForm)
{
    models().printLists.insertPrintListAt(0);
    models().printLists.renamePrintListAt(0, u"Nobody"_s);
    models().printLists.setCurrentPrintListIndex(0);
    const int code = runWith([&] {
        walkToContacts();
        click<QPushButton>("_btnClearForm");
        type(false, u"last"_s, u"Typed"_s);
        click<QRadioButton>("_contactPrintList");
        QTest::mouseClick(wizard.nextButton(), Qt::LeftButton);
    });
    ASSERT_EQ(code, CAAssistantController::Finish);
    const std::unique_ptr<CADocument> document = wizard.createDocument();
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->currentPerson(true)->stringForProperty(kPWLastNameProperty), u"Typed"_s);
    EXPECT_EQ(document->getPrintListName(), std::optional<QString>(u"Nobody"_s));
    // No default sender: no sender person.
    EXPECT_EQ(step->person(false), nullptr);
}

struct MenuCase
{
    const char *name;
    const char *item;
    addressType type;
};

class AssistantContactsAddressType : public AssistantContactsTest, public ::testing::WithParamInterface<MenuCase>
{
};

// The recipient built from the form: the contact chosen in the source, then edited by typing.
// Its one address, the work address, is the one the form shows whatever the address-type menu
// asks for, and it stays the work address: the menu never relabels a person's own address.
TEST_P(AssistantContactsAddressType, TheRecipientIsTheFormsPersonWithItsOwnAddressLabel)
{
    const MenuCase c = GetParam();
    models().localBase.personListDict().replacePersonList(
        {named(u"Zed"_s, u"Zulu"_s, u"7 Bay St"_s), named(u"Amy"_s, u"Alpha"_s, u"3 Hill Rd"_s)});
    PWUserDefaults::standardUserDefaults().setString(u"ContactDataSource"_s, CALocalContactBase::kName);
    const int code = runWith([&] {
        walkToContacts();
        ASSERT_EQ(step->sourcePopup()->currentText(), CALocalContactBase::kName);
        // The local base in its own order, as the contact windows show it.
        ASSERT_EQ(lastNames(step->sourceModel()->content()), (QStringList{u"Zulu"_s, u"Alpha"_s}));
        clickRow(step->sourceTableView(), 0);
        EXPECT_EQ(fieldText(false, u"street"_s), u"7 Bay St"_s);
        EXPECT_EQ(step->lastNameEditField(), u"Zulu"_s);
        ASSERT_TRUE(chooseItem(step->view()->findChild<QComboBox *>(u"_preferredAddressPopupButton"_s),
                               QString::fromLatin1(c.item)));
        type(false, u"first"_s, u"Zoe"_s);
        EXPECT_TRUE(step->sourceTableView()->selectionModel()->selectedRows().isEmpty());
        QTest::mouseClick(wizard.nextButton(), Qt::LeftButton);
    });
    ASSERT_EQ(code, CAAssistantController::Finish);
    EXPECT_EQ(step->recipientAddrType(), c.type);
    const std::shared_ptr<PWPerson> recipient = step->person(true);
    ASSERT_NE(recipient, nullptr);
    EXPECT_EQ(recipient->stringForProperty(kPWFirstNameProperty), u"Zoe"_s);
    EXPECT_EQ(recipient->stringForProperty(kPWLastNameProperty), u"Zulu"_s);
    const std::optional<PWMultiValue> addresses = recipient->multiValueForProperty(kPWAddressProperty);
    ASSERT_TRUE(addresses);
    ASSERT_EQ(addresses->count(), 1);
    EXPECT_EQ(addresses->labelAtIndex(0), kPWAddressWorkLabel);
    EXPECT_EQ(addresses->valueAtIndex(0).toDictionary().value(kPWAddressStreetKey).toString(), u"7 Bay St"_s);
    // The source's own person is untouched by the typing.
    EXPECT_EQ(models().localBase.personListDict().personList().at(0)->stringForProperty(kPWFirstNameProperty),
              u"Zed"_s);
    EXPECT_FALSE(step->selectedPrintListName().has_value());
}

INSTANTIATE_TEST_SUITE_P(Assistant, AssistantContactsAddressType,
                         ::testing::Values(MenuCase{"Work", "Work", adWork}, MenuCase{"Home", "Home", adHome},
                                           MenuCase{"Other", "Other", adOther}),
                         [](const auto &info) { return std::string(info.param.name); });

// Remove selects the row that now holds the removed index, or the new last one; a list removed
// down to nothing clears the form and stays empty once stored.
TEST_F(AssistantContactsTest, RemovingSendersSelectsTheNextAndAnEmptiedListStaysEmpty)
{
    models().senders.personListDict().replacePersonList(
        {named(u"A"_s, u"Ash"_s), named(u"B"_s, u"Birch"_s), named(u"C"_s, u"Cedar"_s)});
    models().senders.storeDefaultPersonIndex(1);
    QList<int> selected;
    QStringList shown;
    runWith([&] {
        walkToContacts();
        click<QRadioButton>("_contactSender");
        selected << selectedSenderRow();
        // A click below the rows leaves the default sender chosen.
        QWidget *rows = step->senderTableView()->viewport();
        QTest::mouseClick(rows, Qt::LeftButton, {}, QPoint(10, rows->height() - 4));
        selected << selectedSenderRow();
        click<QPushButton>("_btnRemove");
        selected << selectedSenderRow();
        shown << fieldText(true, u"last"_s);
        clickRow(step->senderTableView(), 1);
        click<QPushButton>("_btnRemove");
        selected << selectedSenderRow();
        shown << fieldText(true, u"last"_s);
        click<QPushButton>("_btnRemove");
        selected << selectedSenderRow();
        shown << fieldText(true, u"last"_s);
        wizard.cancel();
    });
    EXPECT_EQ(selected, (QList<int>{1, 1, 1, 0, -1}));
    EXPECT_EQ(shown, (QStringList{u"Cedar"_s, u"Ash"_s, QString()}));
    EXPECT_EQ(step->person(false), nullptr);
    EXPECT_TRUE(models().senders.personListDict().personList().isEmpty());
}

// A pasted address fills the form of the tab shown; text that is no address changes nothing.
TEST_F(AssistantContactsTest, PasteFillsTheShownFormAndEnablesAddForASender)
{
    QStringList recipientLast;
    bool addEnabled = false;
    runWith([&] {
        walkToContacts();
        QApplication::clipboard()->setText(u"Jane Miller\n12 River Road\nSpringfield, IL 62704"_s);
        click<QPushButton>("_btnPaste");
        recipientLast << step->lastNameEditField();
        QApplication::clipboard()->setText(u"   "_s);
        click<QPushButton>("_btnPaste");
        recipientLast << step->lastNameEditField();
        click<QRadioButton>("_contactSender");
        QApplication::clipboard()->setText(u"Jane Miller\n12 River Road\nSpringfield, IL 62704"_s);
        click<QPushButton>("_btnPasteSender");
        addEnabled = step->isAddEnabled();
        wizard.cancel();
    });
    EXPECT_EQ(recipientLast, (QStringList{u"Miller"_s, u"Miller"_s}));
    EXPECT_EQ(fieldText(false, u"zip"_s), u"62704"_s);
    EXPECT_EQ(fieldText(true, u"city"_s), u"Springfield"_s);
    EXPECT_TRUE(addEnabled);
    ASSERT_NE(step->person(false), nullptr);
    EXPECT_EQ(step->person(false)->stringForProperty(kPWFirstNameProperty), u"Jane"_s);
}

// The sources are made when the step is first shown, after the window's focus chain: Tab still
// walks them before the recipient form, and the print lists before the window's buttons.
TEST_F(AssistantContactsTest, TabWalksTheSourcesBeforeTheFormAndThePrintListsBeforeTheButtons)
{
    const auto walk = [](QWidget *start, const QString &last) {
        QStringList visited;
        start->setFocus();
        for (int i = 0; i < 40; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            const QString name = QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
            if (!name.isEmpty() && (visited.isEmpty() || visited.last() != name))
                visited << name;
            if (name == last)
                break;
        }
        return visited;
    };
    QStringList recipient;
    QStringList printList;
    runWith([&] {
        wizard.window()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(wizard.window()));
        walkToContacts();
        recipient = walk(wizard.window()->findChild<QWidget *>(u"_contactPrintList"_s), u"_prefixEditField"_s);
        click<QRadioButton>("_contactPrintList");
        printList = walk(wizard.window()->findChild<QWidget *>(u"_contactPrintList"_s), u"_openRecentButton"_s);
        wizard.cancel();
    });
    // The address book is read as it stands: its Update is off, and Tab passes it by.
    EXPECT_EQ(recipient, (QStringList{u"_sourcePopup"_s, u"_sourceSearch"_s, u"_sourceTable"_s,
                                      u"_preferredAddressPopupButton"_s, u"_prefixEditField"_s}));
    EXPECT_EQ(printList, (QStringList{u"_printListSourcePopup"_s, u"_printListSourceTable"_s, u"_addToPrintListButton"_s,
                                      u"_printListNames"_s, u"_newPrintListButton"_s, u"_deletePrintListButton"_s,
                                      u"_printListPersons"_s, u"_removePrintListPersonButton"_s, u"_openRecentButton"_s}));
}

// The embedded print-list editor: new lists take the first free "Print List N", persons dropped
// on a list skip those it holds, Remove takes the chosen one out; the lists are saved when the
// run ends after the print-list tab was picked.
TEST_F(AssistantContactsTest, ThePrintListEditorNamesListsSkipsDuplicatesAndSavesTheLists)
{
    models().printLists.insertPrintListAt(0);
    models().printLists.renamePrintListAt(0, u"Print List 1"_s);
    models().printLists.replacePrintListAt(0, {named(u"Ann"_s, u"Held"_s)});
    models().printLists.setCurrentPrintListIndex(0);
    QStringList names;
    QStringList afterDrop;
    QStringList afterRemove;
    runWith([&] {
        walkToContacts();
        click<QRadioButton>("_contactPrintList");
        click<QPushButton>("_newPrintListButton");
        click<QPushButton>("_newPrintListButton");
        for (int row = 0; row < step->printListNames()->count(); ++row)
            names << step->printListNames()->item(row)->text();
        clickRow(step->printListNames(), 0);
        // What the table does with persons dragged from the address window.
        QMimeData data;
        data.setData(CAContactTableModel::kPersonListMimeType,
                     CAContactTableModel::personListData({named(u"Ann"_s, u"Held"_s), named(u"Bo"_s, u"New"_s)}));
        QAbstractItemModel *model = step->printListPersonsTable()->model();
        ASSERT_TRUE(model->canDropMimeData(&data, Qt::CopyAction, -1, -1, QModelIndex()));
        ASSERT_TRUE(model->dropMimeData(&data, Qt::CopyAction, -1, -1, QModelIndex()));
        afterDrop = lastNames(step->printListModel()->content());
        clickRow(step->printListPersonsTable(), 0);
        click<QPushButton>("_removePrintListPersonButton");
        afterRemove = lastNames(step->printListModel()->content());
        wizard.cancel();
    });
    EXPECT_EQ(names, (QStringList{u"Print List 1"_s, u"Print List 2"_s, u"Print List 3"_s}));
    EXPECT_EQ(afterDrop, (QStringList{u"Held"_s, u"New"_s}));
    EXPECT_EQ(afterRemove, QStringList{u"New"_s});

    // Read back from the user defaults, as the next start would.
    CAPrintListArray stored(PWUserDefaults::standardUserDefaults());
    stored.load();
    ASSERT_EQ(stored.count(), 3);
    EXPECT_EQ(lastNames(stored.getPrintListAt(0)), QStringList{u"New"_s});
    EXPECT_EQ(stored.getPrintListNameAt(2), u"Print List 3"_s);
}

// Every source of the address window is offered, a source is read again by Update, and the
// print-list tab fills a list from the sources and renames it in place.
TEST_F(AssistantContactsTest, SourcesImportAndFillAndRenameAPrintList)
{
    QTemporaryDir files;
    ASSERT_TRUE(files.isValid());
    const QString cards = files.filePath(u"friends.vcf"_s);
    ASSERT_TRUE(pwtest::writeFile(cards, "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Zed;Amy;;;\r\nFN:Amy Zed\r\nEND:VCARD\r\n"
                                         "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Young;Bob;;;\r\nFN:Bob Young\r\nEND:VCARD\r\n"));
    CAContactImportHooks &hooks = CAContactImportHooks::shared();
    const CAContactImportHooks saved = hooks;
    std::atomic<int> asked = 0;
    hooks.chooseFiles = [&](QWidget *, const QString &, const QStringList &) {
        ++asked;
        return std::optional<CAContactImportHooks::ChosenFiles>({{cards}, files.path()});
    };
    QFile::remove(models().container.getCachePathForSource(CAVCFSource::kCacheName));
    models().printLists.insertPrintListAt(0);
    models().printLists.renamePrintListAt(0, u"Print List 1"_s);
    models().printLists.setCurrentPrintListIndex(0);
    const CAAddressWindow addressWindow(models());

    QStringList offered;
    bool updateOffered = false;
    QStringList imported;
    QStringList listed;
    runWith([&] {
        walkToContacts();
        for (int row = 0; row < step->sourcePopup()->count(); ++row)
            offered << step->sourcePopup()->itemText(row);
        // Picked with nothing read yet, the source reads its file at once; Update reads it again.
        ASSERT_TRUE(chooseItem(step->sourcePopup(), CAVCFSource::name()));
        const auto waitForImport = [this] {
            QElapsedTimer clock;
            clock.start();
            while ((step->isImporting() || step->sourceModel()->rowCount() < 2) && clock.elapsed() < 30000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        };
        waitForImport();
        updateOffered = step->updateSourceButton()->isEnabled();
        click<QPushButton>("_updateSourceButton");
        waitForImport();
        imported = lastNames(step->sourceModel()->content());

        click<QRadioButton>("_contactPrintList");
        clickRow(step->printListSourceTable(), 0);
        click<QPushButton>("_addToPrintListButton");
        listed = lastNames(step->printListModel()->content());

        // The list chosen, F2 opens its name for editing.
        QListWidget *names = step->printListNames();
        clickRow(names, 0);
        QTest::keyClick(names, Qt::Key_F2);
        auto *editor = names->viewport()->findChild<QLineEdit *>();
        ASSERT_NE(editor, nullptr) << "no editor on F2";
        editor->selectAll();
        QTest::keyClicks(editor, u"Friends"_s);
        QTest::keyClick(editor, Qt::Key_Return);
        // The delegate commits what was typed from the event loop.
        QCoreApplication::processEvents();
        wizard.cancel();
    });
    hooks = saved;
    EXPECT_EQ(offered, addressWindow.sourceNames());
    EXPECT_TRUE(updateOffered);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(imported, (QStringList{u"Zed"_s, u"Young"_s})) << "the file's own order, as the windows show it";
    EXPECT_EQ(listed, QStringList{u"Zed"_s});
    EXPECT_EQ(models().printLists.getPrintListNameAt(0), u"Friends"_s);
    EXPECT_EQ(lastNames(models().printLists.getPrintListAt(0)), QStringList{u"Zed"_s});
}

// Add to List with no print list at all makes one, as the print-list editor does, and the chosen
// contact goes into it.
TEST_F(AssistantContactsTest, AddToListWithoutAnyListMakesOne)
{
    QTemporaryDir files;
    ASSERT_TRUE(files.isValid());
    const QString cards = files.filePath(u"friends.vcf"_s);
    ASSERT_TRUE(pwtest::writeFile(cards, "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Zed;Amy;;;\r\nFN:Amy Zed\r\nEND:VCARD\r\n"));
    CAContactImportHooks &hooks = CAContactImportHooks::shared();
    const CAContactImportHooks saved = hooks;
    hooks.chooseFiles = [&](QWidget *, const QString &, const QStringList &) {
        return std::optional<CAContactImportHooks::ChosenFiles>({{cards}, files.path()});
    };
    QFile::remove(models().container.getCachePathForSource(CAVCFSource::kCacheName));
    ASSERT_EQ(models().printLists.count(), 0);
    const CAAddressWindow addressWindow(models());

    QStringList listed;
    QStringList names;
    runWith([&] {
        walkToContacts();
        ASSERT_TRUE(chooseItem(step->sourcePopup(), CAVCFSource::name()));
        QElapsedTimer clock;
        clock.start();
        while ((step->isImporting() || step->sourceModel()->rowCount() < 1) && clock.elapsed() < 30000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        click<QRadioButton>("_contactPrintList");
        clickRow(step->printListSourceTable(), 0);
        click<QPushButton>("_addToPrintListButton");
        listed = lastNames(step->printListModel()->content());
        for (int row = 0; row < step->printListNames()->count(); ++row)
            names << step->printListNames()->item(row)->text();
        wizard.cancel();
    });
    hooks = saved;
    EXPECT_EQ(names, QStringList{u"Print List 1"_s});
    EXPECT_EQ(listed, QStringList{u"Zed"_s});
    ASSERT_EQ(models().printLists.count(), 1);
    EXPECT_EQ(lastNames(models().printLists.getPrintListAt(0)), QStringList{u"Zed"_s});
}

// The print-list pane picks its sources as the recipient pane does: a text file source with
// nothing read asks for its files and reads them at once, and the pane has its own Update.
TEST_F(AssistantContactsTest, APrintListPaneSourceWithNothingReadAsksForItsFiles)
{
    QTemporaryDir files;
    ASSERT_TRUE(files.isValid());
    const QString text = files.filePath(u"club.txt"_s);
    ASSERT_TRUE(pwtest::writeFile(text, "First Name,Last Name\nUma,Zorn\nIda,Berg\n"));
    CAContactImportHooks &hooks = CAContactImportHooks::shared();
    const CAContactImportHooks saved = hooks;
    std::atomic<int> asked = 0;
    hooks.chooseFiles = [&](QWidget *, const QString &, const QStringList &) {
        ++asked;
        return std::optional<CAContactImportHooks::ChosenFiles>({{text}, files.path()});
    };
    hooks.confirmTextImport = {};
    QFile::remove(models().container.getCachePathForSource(CATextFileSource::kCacheName));
    models().printLists.insertPrintListAt(0);
    models().printLists.renamePrintListAt(0, u"Club"_s);
    models().printLists.setCurrentPrintListIndex(0);

    int askedWhenPicked = 0;
    bool updateOffered = false;
    QStringList shown;
    runWith([&] {
        walkToContacts();
        click<QRadioButton>("_contactPrintList");
        ASSERT_NE(step->updatePrintListSourceButton(), nullptr);
        auto *popup = wizard.window()->findChild<QComboBox *>(u"_printListSourcePopup"_s);
        // Picked at once, as a click in the open list does (arrow keys would pass the others).
        const int item = popup->findText(CATextFileSource::name());
        ASSERT_GE(item, 0);
        popup->setCurrentIndex(item);
        Q_EMIT popup->activated(item);
        QElapsedTimer clock;
        clock.start();
        while ((step->isImporting() || step->sourceModel()->rowCount() < 2) && clock.elapsed() < 30000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        askedWhenPicked = asked;
        shown = lastNames(step->sourceModel()->content());
        updateOffered = step->updatePrintListSourceButton()->isEnabled();
        click<QPushButton>("_updatePrintListSourceButton");
        clock.restart();
        while (step->isImporting() && clock.elapsed() < 30000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        wizard.cancel();
    });
    hooks = saved;
    EXPECT_EQ(askedWhenPicked, 1) << "picking the source asked for its files";
    EXPECT_EQ(shown, (QStringList{u"Zorn"_s, u"Berg"_s}));
    EXPECT_TRUE(updateOffered);
    EXPECT_EQ(asked, 2) << "Update asked again";
}

struct StoredCardCase
{
    const char *name;
    const char *card;
    const char *menuItem;
    std::vector<std::pair<QString, QString>> typed; // form field key, text
    QString address;                                // the ADR line of the design's stored card
};

class AssistantContactsStoredCard : public AssistantContactsTest, public ::testing::WithParamInterface<StoredCardCase>
{
protected:
    // A stored card's lines, those of its addresses or the others, without the identifier a
    // copy of a contact is given anew.
    static QStringList cardLines(const QByteArray &card, bool addresses)
    {
        QStringList lines = QString::fromUtf8(card).split(u"\r\n"_s, Qt::SkipEmptyParts);
        lines.removeIf([addresses](const QString &line) {
            return line.startsWith(u"UID:"_s) || line.contains(u"ADR"_s) != addresses;
        });
        return lines;
    }
};

// A contact chosen in step 3 becomes the design's recipient as the contact is, with what the
// user typed into the form: the design saved holds its card with the home address still home,
// and every other line as the contact's own card has it, in its order. A contact without an
// address gets one labelled as the address-type menu says.
TEST_P(AssistantContactsStoredCard, TheDesignStoresTheContactsCardWithOnlyWhatWasTyped)
{
    const StoredCardCase &c = GetParam();
    const std::shared_ptr<PWPerson> contact = PWVCardReader::personFromData(QByteArray(c.card));
    ASSERT_NE(contact, nullptr);
    models().localBase.personListDict().replacePersonList({contact});
    PWUserDefaults::standardUserDefaults().setString(u"ContactDataSource"_s, CALocalContactBase::kName);
    const int code = runWith([&] {
        walkToContacts();
        ASSERT_EQ(step->sourcePopup()->currentText(), CALocalContactBase::kName);
        clickRow(step->sourceTableView(), 0);
        ASSERT_TRUE(chooseItem(step->view()->findChild<QComboBox *>(u"_preferredAddressPopupButton"_s),
                               QString::fromLatin1(c.menuItem)));
        for (const auto &[key, text] : c.typed)
            type(false, key, text);
        QTest::mouseClick(wizard.nextButton(), Qt::LeftButton);
    });
    ASSERT_EQ(code, CAAssistantController::Finish);
    const std::unique_ptr<CADocument> document = wizard.createDocument();
    ASSERT_NE(document, nullptr);
    const std::optional<PWPlist> saved =
        PWPlist::parse(document->dataRepresentationOfType(CADocument::kAddressDocumentType));
    ASSERT_TRUE(saved);
    const QByteArray stored = saved->value(u"Person To"_s).value(u"personData"_s).toData();
    const QByteArray own = FTStoredPerson::convertToStoringData(*contact).value(u"personData"_s).toData();
    EXPECT_EQ(cardLines(stored, true), QStringList {c.address}) << stored.toStdString();
    EXPECT_EQ(cardLines(stored, false), cardLines(own, false)) << "every other line as the contact's own, in its order";
}

const char *const kHomeCard = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann;;;\r\nFN:Ann Lee\r\nORG:Acme;\r\n"
                              "EMAIL;TYPE=INTERNET;TYPE=HOME:ann@example.org\r\nTEL;TYPE=CELL:555 0100\r\n"
                              "ADR;TYPE=HOME:;;1 Home Rd;Hometown;CA;90001;USA\r\nNOTE:Back door\r\nEND:VCARD\r\n";
const char *const kNoAddressCard = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Roe;Bo;;;\r\nFN:Bo Roe\r\n"
                                   "TEL;TYPE=WORK:555 0199\r\nEND:VCARD\r\n";

INSTANTIATE_TEST_SUITE_P(
    Assistant, AssistantContactsStoredCard,
    ::testing::Values(
        StoredCardCase {"HomeCityTypedForTheWorkChoice", kHomeCard, "Work", {{u"city"_s, u"Salem"_s}},
                        u"ADR;type=HOME:;;1 Home Rd;Salem;CA;90001;USA"_s},
        StoredCardCase {"HomeLeftAsShown", kHomeCard, "Work", {}, u"ADR;type=HOME:;;1 Home Rd;Hometown;CA;90001;USA"_s},
        StoredCardCase {"HomeZipTypedForTheOtherChoice", kHomeCard, "Other", {{u"zip"_s, u"90002"_s}},
                        u"ADR;type=HOME:;;1 Home Rd;Hometown;CA;90002;USA"_s},
        StoredCardCase {"NoAddressTypedForTheHomeChoice", kNoAddressCard, "Home",
                        {{u"street"_s, u"4 Pine Rd"_s}, {u"city"_s, u"Bend"_s}}, u"ADR;type=HOME:;;4 Pine Rd;Bend;;;"_s},
        StoredCardCase {"NoAddressTypedForTheWorkChoice", kNoAddressCard, "Work",
                        {{u"street"_s, u"4 Pine Rd"_s}, {u"city"_s, u"Bend"_s}}, u"ADR;type=WORK:;;4 Pine Rd;Bend;;;"_s}),
    [](const auto &info) { return std::string(info.param.name); });

// A recipient with a two-line street taken in step 3 from a print list, or from My Recipients on
// the contacts tab, becomes the design's person as its card stands: the design saved holds that
// card line for line, its UID and the street's line break with it.
const char *const kTwoLineStreetCard = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann;;;\r\nFN:Ann Lee\r\n"
                                       "ADR;TYPE=WORK:;;1 Main St\\nSuite 5;Salem;OR;97301;USA\r\n"
                                       "UID:club-ann-lee\r\nEND:VCARD\r\n";

enum class Door { PrintList, PrintListOpenedByAnUnreadPerson, MyRecipients };

class AssistantContactsDoor : public AssistantContactsTest, public ::testing::WithParamInterface<Door>
{
};

// A person of the list kept as stored because it did not read is passed over: it would give the
// design an empty address.
TEST_P(AssistantContactsDoor, TheDesignStoresTheListedCardWithItsUidAndLineBreak)
{
    const bool fromPrintList = GetParam() != Door::MyRecipients;
    PWPlist::Array stored {PWPlist(PWPlist::Dictionary {{u"personData"_s, PWPlist::fromData(kTwoLineStreetCard)}})};
    if (GetParam() == Door::PrintListOpenedByAnUnreadPerson)
        stored.prepend(PWPlist::fromString(u"Ada"_s));
    const CAPersonList listed = CAPersonListDictionary::personsFromStored(PWPlist(stored));
    ASSERT_EQ(listed.size(), stored.size());
    if (fromPrintList) {
        models().printLists.insertPrintListAt(0);
        models().printLists.renamePrintListAt(0, u"Club"_s);
        models().printLists.replacePrintListAt(0, listed);
        models().printLists.setCurrentPrintListIndex(0);
    } else {
        models().localBase.personListDict().replacePersonList(listed);
        PWUserDefaults::standardUserDefaults().setString(u"ContactDataSource"_s, CALocalContactBase::kName);
    }
    const int code = runWith([&] {
        walkToContacts();
        if (fromPrintList) {
            click<QRadioButton>("_contactPrintList");
            clickRow(step->printListNames(), 0);
        } else {
            clickRow(step->sourceTableView(), 0);
        }
        QTest::mouseClick(wizard.nextButton(), Qt::LeftButton);
    });
    ASSERT_EQ(code, CAAssistantController::Finish);
    const std::unique_ptr<CADocument> document = wizard.createDocument();
    ASSERT_NE(document, nullptr);
    const std::optional<PWPlist> saved =
        PWPlist::parse(document->dataRepresentationOfType(CADocument::kAddressDocumentType));
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->value(u"Person To"_s).value(u"personData"_s).toData(), QByteArray(kTwoLineStreetCard));
}

INSTANTIATE_TEST_SUITE_P(Assistant, AssistantContactsDoor,
                         ::testing::Values(Door::PrintList, Door::PrintListOpenedByAnUnreadPerson, Door::MyRecipients),
                         [](const auto &info) {
                             return std::string(info.param == Door::PrintList ? "PrintList"
                                                : info.param == Door::MyRecipients ? "MyRecipients"
                                                                                    : "PrintListOpenedByAnUnreadPerson");
                         });

} // namespace
