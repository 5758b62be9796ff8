#include "ContactsWindowTestSupport.h"
#include "TestSupport.h"

#include "app/contacts/CAAddressWindow.h"
#include "app/contacts/CAContactImportDialogs.h"
#include "app/contacts/CAContactTableModel.h"
#include "app/contacts/CADataSourceContainer.h"
#include "app/contacts/CADelimitedText.h"
#include "app/contacts/CAExcelSource.h"
#include "app/contacts/CAFileMakerSource.h"
#include "app/contacts/CAImportProgressDialog.h"
#include "app/contacts/CAImportWorker.h"
#include "app/contacts/CALocalContactBase.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CAPrintMultipleDialog.h"
#include "app/contacts/CASenderList.h"
#include "app/contacts/CATextFileSource.h"
#include "app/contacts/CAVCFSource.h"
#include "platform/PWAddressBook.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

using namespace Qt::StringLiterals;
using contactstest::lastNames;

namespace {

class CAAddressWindowTest : public testing::Test, protected contactstest::WindowModels
{
protected:
    CAAddressWindowTest()
    {
        CAVCFSource::registerWith(container);
        m_savedHooks = CAContactImportHooks::shared();
    }
    ~CAAddressWindowTest() override { CAContactImportHooks::shared() = m_savedHooks; }

    QString writeVCards(const QString &name, const QStringList &lastNamesToWrite)
    {
        QByteArray bytes;
        for (const QString &last : lastNamesToWrite)
            bytes += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:" + last.toUtf8() + ";Pat;;;\r\nFN:Pat " + last.toUtf8()
                     + "\r\nADR;TYPE=WORK:;;1 Main St;Springfield;IL;62701;USA\r\nEND:VCARD\r\n";
        const QString path = folder.path() + u'/' + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    // The file chooser answers with paths (nothing: the user cancelled), asked on the main thread
    // as the real one is, and counted. With textDialog, the text import dialog answers it too.
    void chooserAnswers(std::optional<QStringList> paths, std::optional<bool> textDialog = std::nullopt)
    {
        CAContactImportHooks hooks;
        if (textDialog) {
            hooks.confirmTextImport = [this, accept = *textDialog](CADelimitedText &, const CATextImportOptions &,
                                                                   QWidget *) {
                ++textDialogs;
                return accept;
            };
        }
        hooks.chooseFiles = [this, paths](QWidget *, const QString &, const QStringList &)
            -> std::optional<CAContactImportHooks::ChosenFiles> {
            ++chooserCalls;
            chooserOnMainThread = QThread::currentThread() == qApp->thread();
            if (!paths)
                return std::nullopt;
            return CAContactImportHooks::ChosenFiles{*paths, folder.path()};
        };
        CAContactImportHooks::shared() = CAContactImportDialogs::onMainThread(hooks);
    }

    // Presses the update button and waits until the import, running on its worker, is done.
    void importThroughUpdateButton(CAAddressWindow &window)
    {
        QSignalSpy finished(&window, &CAAddressWindow::importFinished);
        auto *update = window.findChild<QPushButton *>(u"updateButton"_s);
        ASSERT_TRUE(update->isEnabled());
        QTest::mouseClick(update, Qt::LeftButton);
        EXPECT_TRUE(window.isImporting());
        EXPECT_FALSE(update->isEnabled()) << "no second import while one runs";
        ASSERT_TRUE(finished.wait(10000));
        QCoreApplication::processEvents(); // the queued cache notification
    }

    void registerHeldImport();

    // Shows a source that has read nothing yet: it reads itself at once, asking for its files.
    void importByChoosingSource(CAAddressWindow &window, const QString &name)
    {
        QSignalSpy finished(&window, &CAAddressWindow::importFinished);
        chooseSource(window, name);
        EXPECT_TRUE(window.isImporting()) << "a source with nothing read imports when shown";
        ASSERT_TRUE(finished.count() == 1 || finished.wait(10000));
        QCoreApplication::processEvents(); // the queued cache notification
    }

    void chooseSource(CAAddressWindow &window, const QString &name)
    {
        auto *popup = window.findChild<QComboBox *>(u"sourceButton"_s);
        const int index = popup->findText(name);
        ASSERT_GE(index, 0);
        popup->setCurrentIndex(index);
        Q_EMIT popup->activated(index);
    }

    static void clickRow(QTableView *table, int row)
    {
        const QRect rect = table->visualRect(table->model()->index(row, 0));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, rect.center());
    }

    int chooserCalls = 0;
    int textDialogs = 0;
    bool chooserOnMainThread = false;

private:
    CAContactImportHooks m_savedHooks;
};

TEST_F(CAAddressWindowTest, ImportedVCardsAreSearchedAndChosenAsRecipient)
{
    CAAddressWindow window(models());
    window.show();
    struct Chosen
    {
        QString lastName;
        bool recipient;
        int printList;
    };
    QList<Chosen> chosen;
    window.setPersonChosen([&](const PWPerson &person, bool recipient, int printList) {
        chosen.append({person.stringForProperty(kPWLastNameProperty), recipient, printList});
    });

    chooserAnswers(QStringList{writeVCards(u"people.vcf"_s, {u"Young"_s, u"Adams"_s, u"Miller"_s, u"Mills"_s})});
    importByChoosingSource(window, CAVCFSource::name());
    EXPECT_EQ(scratch.defaults().stringForKey(u"ContactDataSource"_s), CAVCFSource::name());
    EXPECT_EQ(chooserCalls, 1);
    EXPECT_TRUE(chooserOnMainThread) << "the chooser is a window: it runs on the main thread";

    QTableView *table = window.currentTable();
    ASSERT_EQ(table->objectName(), u"vcfSourceTable"_s);
    ASSERT_EQ(table->model()->rowCount(), 4);

    auto *search = window.findChild<QLineEdit *>(u"searchField"_s);
    QTest::keyClicks(search, u"mIL"_s);
    EXPECT_EQ(lastNames(window.currentModel()->content()), (QStringList{u"Miller"_s, u"Mills"_s}));

    clickRow(table, 1);
    ASSERT_EQ(chosen.size(), 1);
    EXPECT_EQ(chosen[0].lastName, u"Mills"_s);
    EXPECT_TRUE(chosen[0].recipient);
    EXPECT_EQ(chosen[0].printList, -1);

    // Keyboard: a row and Return choose too.
    table->setFocus();
    table->setCurrentIndex(table->model()->index(0, 0));
    QTest::keyClick(table, Qt::Key_Return);
    ASSERT_EQ(chosen.size(), 2);
    EXPECT_EQ(chosen[1].lastName, u"Miller"_s);

    // While the selection is held back nothing is sent.
    window.setPreventChangeSelection(true);
    clickRow(table, 0);
    EXPECT_EQ(chosen.size(), 2);
    window.setPreventChangeSelection(false);

    // The search text follows the user to another source; a sender row is no recipient.
    senders.personListDict().replacePersonList({contactstest::person(u"Sam"_s, u"Sender"_s)});
    Q_EMIT senders.senderListChanged();
    window.showSenders();
    clickRow(window.findChild<QTableView *>(u"senderTable"_s), 0);
    ASSERT_EQ(chosen.size(), 3);
    EXPECT_FALSE(chosen[2].recipient);
    EXPECT_EQ(scratch.defaults().integerForKey(u"AddressControllerMainTabViewIndex"_s), 0);
}

TEST_F(CAAddressWindowTest, CancelledOrFailedImportLosesNothing)
{
    CAAddressWindow window(models());
    chooserAnswers(QStringList{writeVCards(u"a.vcf"_s, {u"Kept"_s, u"Also"_s})});
    importByChoosingSource(window, CAVCFSource::name());
    ASSERT_EQ(window.currentModel()->rowCount(), 2);

    chooserAnswers(std::nullopt);
    importThroughUpdateButton(window);
    EXPECT_EQ(chooserCalls, 2);
    EXPECT_EQ(lastNames(window.currentModel()->content()), (QStringList{u"Kept"_s, u"Also"_s}));

    // A file that holds no card: the list stays and the window says why.
    QFile junk(folder.path() + u"/junk.vcf"_s);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a card\n");
    junk.close();
    chooserAnswers(QStringList{junk.fileName()});
    importThroughUpdateButton(window);
    EXPECT_EQ(window.currentModel()->rowCount(), 2);

    // A later window, as after a restart, reads the kept list from the cache without asking.
    chooserCalls = 0;
    CADataSourceContainer restarted(folder.path() + u"/cache"_s);
    CAVCFSource::registerWith(restarted);
    CAAddressWindow::Models again = models();
    CAAddressWindow second({restarted, again.defaults, again.book, again.senders, again.localBase, again.printLists});
    EXPECT_EQ(second.currentSourceName(), CAVCFSource::name()) << "the chosen source is remembered";
    EXPECT_EQ(lastNames(second.currentModel()->content()), (QStringList{u"Kept"_s, u"Also"_s}));
    EXPECT_EQ(chooserCalls, 0);
}

TEST_F(CAAddressWindowTest, PrintListsGetContactsOnceEach)
{
    CAAddressWindow window(models());
    window.show();
    chooserAnswers(QStringList{writeVCards(u"b.vcf"_s, {u"One"_s, u"Two"_s, u"Three"_s})});
    importByChoosingSource(window, CAVCFSource::name());

    // Choosing the tab while there is no list opens the list editor on a new first list; its OK
    // keeps it.
    auto *tabs = window.findChild<QTabWidget *>(u"mainTabView"_s);
    tabs->setCurrentIndex(CAAddressWindow::ContactsTab);
    window.currentTable()->selectAll();
    tabs->setCurrentIndex(CAAddressWindow::PrintListsTab);
    bool editorShown = false;
    QTimer::singleShot(0, &window, [&window, &editorShown] {
        CAPrintMultipleDialog *dialog = nullptr;
        editorShown = QTest::qWaitFor([&] {
            dialog = window.findChild<CAPrintMultipleDialog *>();
            return dialog && dialog->isVisible() && dialog->findChild<QListWidget *>(u"_printListNames"_s)->count() == 1;
        }, pwtest::kEventWaitMs);
        if (editorShown)
            QTest::mouseClick(dialog->findChild<QDialogButtonBox *>(u"buttonBox"_s)->button(QDialogButtonBox::Ok),
                              Qt::LeftButton);
    });
    ASSERT_TRUE(QTest::qWaitFor([&] {
        const auto *dialog = window.findChild<CAPrintMultipleDialog *>();
        return printLists.count() == 1 && dialog && !dialog->isVisible();
    }, pwtest::kEventWaitMs));
    EXPECT_TRUE(editorShown);
    EXPECT_EQ(tabs->currentIndex(), CAAddressWindow::PrintListsTab);
    ASSERT_EQ(printLists.count(), 1);
    EXPECT_EQ(printLists.getPrintListNameAt(0), u"Print List 1"_s);

    auto *add = window.findChild<QPushButton *>(u"addToPrintListButton"_s);
    QTest::mouseClick(add, Qt::LeftButton);
    QTest::mouseClick(add, Qt::LeftButton);
    EXPECT_EQ(printLists.getPrintListAt(0).size(), 3) << "duplicates are skipped";
    EXPECT_EQ(window.printListModel()->rowCount(), 3);

    // Dropped persons are copies of the same cards: still not added twice.
    window.currentModel()->setAllowDragAndDrop(true);
    std::unique_ptr<QMimeData> mime(window.currentModel()->mimeData({window.currentModel()->index(0, 0)}));
    EXPECT_TRUE(window.printListModel()->dropMimeData(mime.get(), Qt::CopyAction, 0, 0, {}));
    EXPECT_EQ(printLists.getPrintListAt(0).size(), 3);

    // A second list is numbered on; its name and contents are stored.
    QTest::mouseClick(window.findChild<QPushButton *>(u"newPrintListButton"_s), Qt::LeftButton);
    EXPECT_EQ(printLists.getPrintListNameAt(1), u"Print List 2"_s);
    EXPECT_EQ(window.selectedPrintListIndex(), 1);
    CAPrintListArray stored(scratch.defaults());
    stored.load();
    ASSERT_EQ(stored.count(), 2);
    EXPECT_EQ(stored.getPrintListAt(0).size(), 3);
    EXPECT_EQ(stored.getPrintListNameAt(1), u"Print List 2"_s);

    // A person chosen on the tab carries the list shown.
    int chosenList = -2;
    window.setPersonChosen([&](const PWPerson &, bool, int list) { chosenList = list; });
    {
        auto *popup = window.findChild<QComboBox *>(u"printListButton"_s);
        popup->setCurrentIndex(0);
        Q_EMIT popup->activated(0);
        auto *table = window.findChild<QTableView *>(u"printListTable"_s);
        clickRow(table, 0);
    }
    EXPECT_EQ(chosenList, 0);

    // Removing the selected person keeps the others.
    auto *table = window.findChild<QTableView *>(u"printListTable"_s);
    table->selectRow(0);
    QTest::mouseClick(window.findChild<QPushButton *>(u"removeFromPrintListButton"_s), Qt::LeftButton);
    EXPECT_EQ(printLists.getPrintListAt(0).size(), 2);
}

TEST_F(CAAddressWindowTest, SortMenuStoresTheKeyAndFromSourceUsesTheDefault)
{
    CAAddressWindow window(models());
    chooserAnswers(QStringList{writeVCards(u"c.vcf"_s, {u"Zed"_s, u"Abe"_s})});
    importByChoosingSource(window, CAVCFSource::name());
    EXPECT_EQ(lastNames(window.currentModel()->content()), (QStringList{u"Zed"_s, u"Abe"_s}));
    window.sortBy(18);
    EXPECT_EQ(lastNames(window.currentModel()->content()), (QStringList{u"Abe"_s, u"Zed"_s}));
    EXPECT_EQ(scratch.defaults().objectForKey(u"ContactSortingKey"_s).value(CAVCFSource::name()).toInteger(), 18);
    window.sortBy(CAContactTableModel::kSourceOrder);
    EXPECT_EQ(window.currentSortingKey(), -1) << "From Source gives the file's own order back";
    EXPECT_EQ(lastNames(window.currentModel()->content()), (QStringList{u"Zed"_s, u"Abe"_s}));
    EXPECT_EQ(scratch.defaults().objectForKey(u"ContactSortingKey"_s).value(CAVCFSource::name()).toInteger(), -1);
}

} // namespace

namespace {

constexpr int kHeldCards = 4000;

} // namespace

// The vCard source now reads a large file and, at its middle card, waits for the stop, so that
// the stop falls midway whatever the machine's speed.
void CAAddressWindowTest::registerHeldImport()
{
    QStringList many;
    for (int i = 0; i < kHeldCards; ++i)
        many << u"Large%1"_s.arg(i);
    const QString large = writeVCards(u"large.vcf"_s, many);
    container.registerProgressSource(
        CAVCFSource::name(), CAVCFSource::kCacheName,
        CADataSourceContainer::ProgressImportFunction(
            [large](QWidget *, QStringList &problems,
                    CAImportProgress *progress) -> std::optional<CADataSourceContainer::ImportResult> {
                if (!progress)
                    return std::nullopt;
                QString error;
                const CAPersonList persons =
                    CAVCFSource::personFromVCFFile(large, &error, [progress](quint32 index, quint32 count) {
                        if (index == kHeldCards / 2) {
                            progress->report(index, count);
                            QElapsedTimer clock;
                            clock.start();
                            while (!progress->stopRequested && clock.elapsed() < 10000)
                                QThread::msleep(2);
                        }
                        return progress->report(index, count);
                    });
                if (!error.isEmpty())
                    problems << error;
                if (persons.isEmpty())
                    return std::nullopt;
                return CADataSourceContainer::ImportResult{persons, std::nullopt};
            }));
}

// A large import runs on the import worker under the window's modal progress dialog; Stop pressed
// midway keeps the list shown, the memory list and the cache as they were.
TEST_F(CAAddressWindowTest, StopPressedMidwayKeepsListAndCache)
{
    CAAddressWindow window(models());
    window.show();
    chooserAnswers(QStringList{writeVCards(u"a.vcf"_s, {u"Kept"_s, u"Also"_s})});
    importByChoosingSource(window, CAVCFSource::name());
    ASSERT_EQ(window.currentModel()->rowCount(), 2);

    registerHeldImport();
    QSignalSpy finished(&window, &CAAddressWindow::importFinished);
    QTest::mouseClick(window.findChild<QPushButton *>(u"updateButton"_s), Qt::LeftButton);
    CAImportProgressDialog *dialog = nullptr;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000 && !(dialog && dialog->value() == kHeldCards / 2)) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        dialog = window.findChild<CAImportProgressDialog *>();
    }
    ASSERT_TRUE(dialog) << "the import shows its progress dialog";
    ASSERT_EQ(dialog->value(), kHeldCards / 2);
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    EXPECT_FALSE(container.isAllowUpdateCacheForSource(CAVCFSource::name())) << "no update while one runs";
    QAbstractButton *stop = nullptr;
    for (QAbstractButton *button : dialog->findChildren<QAbstractButton *>()) {
        if (button->text() == u"Stop"_s)
            stop = button;
    }
    ASSERT_TRUE(stop);
    QTest::mouseClick(stop, Qt::LeftButton);
    ASSERT_TRUE(finished.count() == 1 || finished.wait(10000));
    QCoreApplication::processEvents();

    EXPECT_EQ(lastNames(window.currentModel()->content()), (QStringList{u"Kept"_s, u"Also"_s}));
    EXPECT_EQ(container.memoryListForSource(CAVCFSource::name())->size(), 2);
    const std::optional<CAPersonList> cached = container.getCachedPersonListForSource(CAVCFSource::kCacheName);
    ASSERT_TRUE(cached);
    EXPECT_EQ(lastNames(*cached), (QStringList{u"Kept"_s, u"Also"_s}));
    EXPECT_TRUE(container.isAllowUpdateCacheForSource(CAVCFSource::name()));
    EXPECT_TRUE(window.findChild<QPushButton *>(u"updateButton"_s)->isEnabled());
    EXPECT_TRUE(window.findChild<QLabel *>(u"importMessage"_s)->text().contains(u"stopped"_s));
}

// Every other importing source the container was given gets its own page; a workbook chosen for
// the spreadsheet source is read through the import worker into its table.
TEST_F(CAAddressWindowTest, SpreadsheetSourceHasItsPageAndImportsAWorkbook)
{
    CAExcelSource::registerWith(container);
    CAAddressWindow window(models());
    EXPECT_TRUE(window.sourceNames().contains(CAExcelSource::name()));
    ASSERT_TRUE(window.findChild<QTableView *>(u"ExcelSourceTable"_s));
    chooserAnswers(QStringList{pwtest::dataPath(u"spreadsheets/contacts.xlsx"_s)});
    importByChoosingSource(window, CAExcelSource::name());
    EXPECT_EQ(chooserCalls, 1);
    EXPECT_TRUE(chooserOnMainThread);
    EXPECT_EQ(lastNames(window.currentModel()->content()), (QStringList{u"Ashgrove"_s, u"O'Neil"_s, u"Tanaka"_s}));
    EXPECT_TRUE(QFile::exists(container.getCachePathForSource(CAExcelSource::kCacheName)));
}

// A window closed while its import waits midway stops the import and waits for it: nothing of the
// import is kept, and the worker is free for the next one.
TEST_F(CAAddressWindowTest, ClosingTheWindowMidwayStopsItsImport)
{
    CAImportWorker worker;
    {
        CAAddressWindow window(models());
        window.setImportWorker(worker);
        window.show();
        chooserAnswers(QStringList{writeVCards(u"a.vcf"_s, {u"Kept"_s})});
        importByChoosingSource(window, CAVCFSource::name());
        registerHeldImport();
        QTest::mouseClick(window.findChild<QPushButton *>(u"updateButton"_s), Qt::LeftButton);
        QElapsedTimer clock;
        clock.start();
        while (worker.progress().recordIndex.load() != kHeldCards / 2 && clock.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ASSERT_TRUE(worker.isRunning());
    }
    EXPECT_FALSE(worker.isRunning());
    EXPECT_EQ(lastNames(*container.memoryListForSource(CAVCFSource::name())), QStringList{u"Kept"_s});
    EXPECT_EQ(lastNames(*container.getCachedPersonListForSource(CAVCFSource::kCacheName)), QStringList{u"Kept"_s});
}

namespace {

// A source that asks for its files, as the window offers it.
struct CancelCase
{
    const char *name;
    // Registers the source with the window's container and answers its name.
    std::function<QString(CADataSourceContainer &container, PWUserDefaults &defaults)> source;
    // The source read a file before and the user updates it; else the user chooses it in the
    // pop-up while the local base is shown, and it has read nothing yet.
    bool readBefore;
};

void PrintTo(const CancelCase &row, std::ostream *stream)
{
    *stream << row.name;
}

class CancelledChooser : public CAAddressWindowTest, public ::testing::WithParamInterface<CancelCase>
{
};

TEST_P(CancelledChooser, LeavesTheListAndTheSourceAsTheyWereAndReportsNoFailure)
{
    const CancelCase &row = GetParam();
    const QString name = row.source(container, scratch.defaults());
    localBase.personListDict().replacePersonList({contactstest::person(u"Lou"_s, u"Local"_s)});
    CAImportWorker worker;
    CAAddressWindow window(models());
    window.setImportWorker(worker);
    if (row.readBefore) {
        chooserAnswers(QStringList {writeVCards(u"a.vcf"_s, {u"Kept"_s})});
        importByChoosingSource(window, name);
    } else {
        window.showRecipients(true);
    }
    const QString shown = window.currentSourceName();
    const QStringList list = lastNames(window.currentModel()->content());
    ASSERT_FALSE(list.isEmpty());
    const QString stored = scratch.defaults().stringForKey(u"ContactDataSource"_s);

    chooserAnswers(std::nullopt);
    chooserCalls = 0;
    pwtest::LogCapture log;
    if (row.readBefore)
        importThroughUpdateButton(window);
    else
        importByChoosingSource(window, name);

    EXPECT_EQ(chooserCalls, 1);
    EXPECT_EQ(window.currentSourceName(), shown);
    EXPECT_EQ(window.findChild<QComboBox *>(u"sourceButton"_s)->currentText(), shown);
    EXPECT_EQ(lastNames(window.currentModel()->content()), list);
    EXPECT_EQ(scratch.defaults().stringForKey(u"ContactDataSource"_s), stored);
    EXPECT_FALSE(worker.lastImportFailed());
    EXPECT_TRUE(window.findChild<QLabel *>(u"importMessage"_s)->isHidden()) << "no message for the user";
    EXPECT_EQ(pwtest::LogCapture::lines().filter(u"failed"_s), QStringList());
}

// Cancel in the text import dialog of every file chosen ends the import as quietly as a cancelled
// chooser; a file that cannot be read beside a cancelled one is still a failure with its reason.
TEST_F(CAAddressWindowTest, CancelInEveryTextImportDialogIsNoFailure)
{
    CATextFileSource::registerWith(container);
    const auto writeText = [this](const QString &name, const QByteArray &bytes) {
        const QString path = folder.path() + u'/' + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    };
    const QString list = writeText(u"list.csv"_s, "First Name,Last Name\nAda,Brook\n");
    const QString missing = folder.path() + u"/missing.csv"_s;
    const struct
    {
        const char *name;
        QStringList files;
        bool failed;
    } cases[] = {
        {"one file", {list}, false},
        {"two files", {list, list}, false},
        {"one cancelled beside one that cannot be read", {list, missing}, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        localBase.personListDict().replacePersonList({contactstest::person(u"Lou"_s, u"Local"_s)});
        CAImportWorker worker;
        CAAddressWindow window(models());
        window.setImportWorker(worker);
        window.showRecipients(true);
        const QString shown = window.currentSourceName();
        const QStringList names = lastNames(window.currentModel()->content());
        textDialogs = 0;
        chooserAnswers(c.files, false);
        pwtest::LogCapture log;
        importByChoosingSource(window, CATextFileSource::name());

        EXPECT_EQ(textDialogs, std::count(c.files.cbegin(), c.files.cend(), list));
        EXPECT_EQ(worker.lastImportFailed(), c.failed);
        EXPECT_EQ(pwtest::LogCapture::lines().filter(u"failed"_s).isEmpty(), !c.failed);
        if (!c.failed) {
            EXPECT_EQ(window.currentSourceName(), shown);
            EXPECT_EQ(lastNames(window.currentModel()->content()), names);
            EXPECT_TRUE(window.findChild<QLabel *>(u"importMessage"_s)->isHidden()) << "no message for the user";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    AddressWindow, CancelledChooser,
    ::testing::Values(CancelCase {"vcards_chosen",
                                  [](CADataSourceContainer &, PWUserDefaults &) { return CAVCFSource::name(); }, false},
                      CancelCase {"text_file_chosen",
                                  [](CADataSourceContainer &container, PWUserDefaults &) {
                                      CATextFileSource::registerWith(container);
                                      return CATextFileSource::name();
                                  },
                                  false},
                      CancelCase {"workbook_chosen",
                                  [](CADataSourceContainer &container, PWUserDefaults &) {
                                      CAExcelSource::registerWith(container);
                                      return CAExcelSource::name();
                                  },
                                  false},
                      // Registered as the installed helper would register it; the chooser comes first.
                      CancelCase {"database_chosen",
                                  [](CADataSourceContainer &container, PWUserDefaults &defaults) {
                                      container.registerProgressSource(
                                          CAFileMakerSource::name(), CAFileMakerSource::kCacheName,
                                          [&container, &defaults](QWidget *window, QStringList &problems,
                                                                  CAImportProgress *progress) {
                                              return CAFileMakerSource::importDataFromFileMaker(
                                                  window, problems, defaults, container, CAContactImportHooks::shared(),
                                                  progress);
                                          });
                                      return CAFileMakerSource::name();
                                  },
                                  false},
                      CancelCase {"vcards_updated",
                                  [](CADataSourceContainer &, PWUserDefaults &) { return CAVCFSource::name(); }, true}),
    [](const ::testing::TestParamInfo<CancelCase> &info) { return std::string(info.param.name); });

} // namespace
