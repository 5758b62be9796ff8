#include "ContactsWindowTestSupport.h"
#include "TestSupport.h"

#include "app/contacts/CAContactImportDialogs.h"
#include "app/contacts/CAContactImportHooks.h"
#include "app/contacts/CAContactTableModel.h"
#include "app/contacts/CADataSourceContainer.h"
#include "app/contacts/CAExcelSource.h"
#include "app/contacts/CAImportProgressDialog.h"
#include "app/contacts/CAImportWorker.h"
#include "app/contacts/CALocalContactBase.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CAPrintMultipleDialog.h"
#include "app/contacts/CAScriptedSource.h"
#include "app/contacts/CASenderList.h"
#include "app/contacts/CATextFileSource.h"
#include "app/contacts/CAVCFSource.h"
#include "platform/PWAddressBook.h"
#include "platform/PWGroup.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>

using namespace Qt::StringLiterals;
using contactstest::lastNames;
using contactstest::person;

namespace {

// The print-multiple window's source column: the same sources as the address window, read through
// the import worker with progress and Stop, and a window closed midway that never hangs.
class CAPrintMultipleSourcesTest : public testing::Test, protected contactstest::WindowModels
{
protected:
    CAPrintMultipleSourcesTest()
    {
        CAVCFSource::registerWith(container);
        m_savedHooks = CAContactImportHooks::shared();
        CAScriptedSource::setHelperFolder(folder.path() + u"/helpers"_s);
        QDir().mkpath(folder.path() + u"/helpers"_s);
    }
    ~CAPrintMultipleSourcesTest() override
    {
        CAContactImportHooks::shared() = m_savedHooks;
        CAScriptedSource::setHelperFolder(QString());
    }

    void chooserAnswers(const QStringList &paths)
    {
        CAContactImportHooks hooks;
        hooks.chooseFiles = [this, paths](QWidget *, const QString &, const QStringList &)
            -> std::optional<CAContactImportHooks::ChosenFiles> {
            ++chooserCalls;
            return CAContactImportHooks::ChosenFiles{paths, folder.path()};
        };
        CAContactImportHooks::shared() = CAContactImportDialogs::onMainThread(hooks);
    }

    static void choose(CAPrintMultipleDialog &dialog, const QString &source)
    {
        auto *popup = dialog.findChild<QComboBox *>(u"_sourceButton"_s);
        const int item = popup->findText(source);
        ASSERT_GE(item, 0) << source.toStdString();
        popup->setCurrentIndex(item);
        Q_EMIT popup->activated(item);
    }

    int chooserCalls = 0;

private:
    CAContactImportHooks m_savedHooks;
};

TEST_F(CAPrintMultipleSourcesTest, WorkbookAndHelperSourcesImportThroughTheUpdateButton)
{
    CAExcelSource::registerWith(container);
    const QString helper = CAScriptedSource::helperFolder() + u"/Eudora"_s;
    ASSERT_TRUE(pwtest::writeFile(helper, "#!/bin/sh\necho '{\"count\": 2}'\n"
                                          "echo '{\"records\": [{\"lastname\": \"Ashby\"}, {\"lastname\": \"Byrne\"}]}'\n"));
    QFile::setPermissions(helper, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QStringList helperSources = CAScriptedSource::registerInstalled(container);
    ASSERT_EQ(helperSources.size(), 1);
    chooserAnswers({pwtest::dataPath(u"spreadsheets/contacts.xlsx"_s)});

    CAImportWorker worker;
    CAPrintMultipleDialog dialog(models());
    dialog.setImportWorker(worker);
    dialog.prepare(CAPrintListEditor::PrintLists, -1);
    dialog.show();
    struct Row
    {
        QString source;
        QStringList lastNames;
    };
    const Row rows[] = {{CAExcelSource::name(), {u"Ashgrove"_s, u"O'Neil"_s, u"Tanaka"_s}},
                        {helperSources.first(), {u"Ashby"_s, u"Byrne"_s}}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.source.toStdString());
        // Picked with nothing read yet, the source reads itself; Update reads it again.
        auto *update = dialog.findChild<QPushButton *>(u"_updateButton"_s);
        for (const bool byUpdate : {false, true}) {
            QSignalSpy finished(&dialog, &CAPrintMultipleDialog::importFinished);
            if (byUpdate) {
                ASSERT_TRUE(update->isEnabled());
                QTest::mouseClick(update, Qt::LeftButton);
            } else {
                choose(dialog, row.source);
            }
            EXPECT_TRUE(dialog.isImporting());
            EXPECT_FALSE(update->isEnabled()) << "no second import while one runs";
            ASSERT_TRUE(finished.count() == 1 || finished.wait(10000));
            QCoreApplication::processEvents();
            EXPECT_EQ(lastNames(dialog.currentSourceModel()->content()), row.lastNames);
            EXPECT_TRUE(update->isEnabled());
        }
    }
    EXPECT_EQ(chooserCalls, 2) << "the workbook's files are asked for at each reading";
}

// The import asks for the next file on the main thread just as the window goes: the question is
// given up, the window closes, and the persons read before stay.
TEST_F(CAPrintMultipleSourcesTest, ClosingTheWindowWhileTheImportAsksNeverHangs)
{
    chooserAnswers({});
    container.registerProgressSource(
        CAVCFSource::name(), CAVCFSource::kCacheName,
        CADataSourceContainer::ProgressImportFunction(
            [](QWidget *, QStringList &, CAImportProgress *) -> std::optional<CADataSourceContainer::ImportResult> {
                return CADataSourceContainer::ImportResult{{person(u"Early"_s, u"Kept"_s)}, std::nullopt};
            }));
    ASSERT_TRUE(container.contactsForSource(CAVCFSource::name(), nullptr, true));
    std::atomic<bool> closing{false};
    std::atomic<bool> reached{false};
    container.registerProgressSource(
        CAVCFSource::name(), CAVCFSource::kCacheName,
        CADataSourceContainer::ProgressImportFunction(
            [&](QWidget *window, QStringList &, CAImportProgress *progress)
                -> std::optional<CADataSourceContainer::ImportResult> {
                reached = true;
                QElapsedTimer clock;
                clock.start();
                while (!closing && clock.elapsed() < 10000)
                    QThread::msleep(2);
                // The next file's question, asked the way the readers ask it.
                if (CAContactImportHooks::shared().chooseFiles(window, QString(), {}))
                    return CADataSourceContainer::ImportResult{{person(u"Late"_s, u"Reader"_s)}, std::nullopt};
                progress->report(0, 0);
                return std::nullopt;
            }));

    CAImportWorker worker;
    {
        CAPrintMultipleDialog dialog(models());
        dialog.setImportWorker(worker);
        dialog.prepare(CAPrintListEditor::PrintLists, -1);
        dialog.show();
        choose(dialog, CAVCFSource::name());
        QTest::mouseClick(dialog.findChild<QPushButton *>(u"_updateButton"_s), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return reached.load(); }, 60000));
        ASSERT_TRUE(worker.isRunning());
        closing = true;
    }
    EXPECT_FALSE(worker.isRunning());
    EXPECT_EQ(chooserCalls, 0) << "no file chooser opens for a window that is gone";
    EXPECT_EQ(lastNames(*container.memoryListForSource(CAVCFSource::name())), QStringList{u"Kept"_s});
    EXPECT_TRUE(container.isAllowUpdateCacheForSource(CAVCFSource::name())) << "Update stays off in the other windows";
}

// The address book's group chooser, in both windows: "All" first, the groups sorted, a choice
// showing its members and remembered for the next window.
TEST_F(CAPrintMultipleSourcesTest, AddressBookGroupChooserInBothWindows)
{
    CAPersonList people;
    for (const QString &last : {u"Adams"_s, u"Brown"_s, u"Clark"_s}) {
        people.append(person(u"P"_s, last));
        book.addPerson(people.last());
    }
    PWGroup friends(u"friends"_s);
    friends.addMember(people.at(2)->uniqueId());
    PWGroup club(u"Club"_s);
    club.addMember(people.at(0)->uniqueId());
    book.setGroup(friends);
    book.setGroup(club);

    const auto pick = [](QComboBox *chooser, const QString &name) {
        const int item = chooser->findText(name);
        chooser->setCurrentIndex(item);
        Q_EMIT chooser->activated(item);
    };
    {
        CAAddressWindow window(models());
        window.show();
        window.showRecipients(false);
        window.changeSourceWithName(u"Address Book"_s);
        auto *chooser = window.findChild<QComboBox *>(u"groupButton"_s);
        ASSERT_TRUE(chooser && chooser->isVisible());
        QStringList items;
        for (int i = 0; i < chooser->count(); ++i)
            items.append(chooser->itemText(i));
        EXPECT_EQ(items, (QStringList{u"All"_s, u"Club"_s, u"friends"_s}));
        EXPECT_EQ(window.currentModel()->sortingKey(), 18) << "the address book starts by last name";
        pick(chooser, u"friends"_s);
        EXPECT_EQ(lastNames(window.currentModel()->content()), QStringList{u"Clark"_s});
        EXPECT_EQ(scratch.defaults().stringForKey(u"ContactAddressBookGroup"_s), u"friends"_s);
        window.changeSourceWithName(CALocalContactBase::kName);
        EXPECT_FALSE(chooser->isVisible()) << "only the address book has groups";
    }
    CAPrintMultipleDialog dialog(models());
    dialog.prepare(CAPrintListEditor::PrintLists, -1);
    dialog.show();
    choose(dialog, u"Address Book"_s);
    auto *chooser = dialog.findChild<QComboBox *>(u"groupButton"_s);
    ASSERT_TRUE(chooser && chooser->isVisible());
    EXPECT_EQ(dialog.currentSourceModel()->sortingKey(), 18) << "the address book starts by last name";
    EXPECT_EQ(chooser->currentText(), u"friends"_s);
    EXPECT_EQ(lastNames(dialog.currentSourceModel()->content()), QStringList{u"Clark"_s});
    pick(chooser, u"All"_s);
    EXPECT_EQ(dialog.currentSourceModel()->content().size(), 3);
}

// An import of the source the print-multiple window shows, finished in the address window: the
// window's table shows the new persons at once, without the source being picked again.
TEST_F(CAPrintMultipleSourcesTest, TheWindowFollowsAnImportFinishedInTheAddressWindow)
{
    ASSERT_TRUE(container.cachePersonList({person(u"Ole"_s, u"Cached"_s)}, nullptr, CAVCFSource::kCacheName));
    const QString cards = folder.path() + u"/fresh.vcf"_s;
    ASSERT_TRUE(pwtest::writeFile(cards, "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Young;Bob;;;\r\nFN:Bob Young\r\nEND:VCARD\r\n"
                                         "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Ames;Amy;;;\r\nFN:Amy Ames\r\nEND:VCARD\r\n"));
    chooserAnswers({cards});
    CAImportWorker worker;
    CAPrintMultipleDialog dialog(models());
    dialog.setImportWorker(worker);
    dialog.prepare(CAPrintListEditor::PrintLists, -1);
    dialog.show();
    choose(dialog, CAVCFSource::name());
    ASSERT_FALSE(dialog.isImporting()) << "read from its cache";
    EXPECT_EQ(lastNames(dialog.currentSourceModel()->content()), QStringList{u"Cached"_s});

    CAAddressWindow window(models());
    window.setImportWorker(worker);
    window.show();
    window.showRecipients(false);
    window.changeSourceWithName(CAVCFSource::name());
    QSignalSpy finished(&window, &CAAddressWindow::importFinished);
    auto *update = window.findChild<QPushButton *>(u"updateButton"_s);
    ASSERT_TRUE(update->isEnabled());
    QTest::mouseClick(update, Qt::LeftButton);
    ASSERT_TRUE(finished.count() == 1 || finished.wait(10000));
    QCoreApplication::processEvents(); // the queued cache notification
    EXPECT_EQ(lastNames(dialog.currentSourceModel()->content()), (QStringList{u"Young"_s, u"Ames"_s}));
    EXPECT_TRUE(dialog.findChild<QPushButton *>(u"_updateButton"_s)->isEnabled()) << "updates allowed again";
}

// A source whose import brings groups has its chooser in the print-multiple window too, from the
// end of its first import: "All" (tag 117) and its groups, each showing its members.
TEST_F(CAPrintMultipleSourcesTest, ASourceWithGroupsHasItsChooserInTheWindow)
{
    const std::shared_ptr<PWPerson> ann = person(u"Ann"_s, u"Abel"_s), bo = person(u"Bo"_s, u"Berg"_s);
    container.registerSource(
        u"Groupware"_s, u"Groupware"_s,
        [&](QWidget *, QStringList &) -> std::optional<CADataSourceContainer::ImportResult> {
            return CADataSourceContainer::ImportResult{{ann, bo}, CADataSourceContainer::Groups{{u"Family"_s, {ann}},
                                                                                                  {u"Club"_s, {bo}}}};
        },
        true);
    CAImportWorker worker;
    CAPrintMultipleDialog dialog(models());
    dialog.setImportWorker(worker);
    dialog.prepare(CAPrintListEditor::PrintLists, -1);
    dialog.show();
    QSignalSpy finished(&dialog, &CAPrintMultipleDialog::importFinished);
    choose(dialog, u"Groupware"_s);
    ASSERT_TRUE(finished.count() == 1 || finished.wait(10000));
    QCoreApplication::processEvents();
    auto *chooser = dialog.findChild<QComboBox *>(u"groupButton"_s);
    ASSERT_TRUE(chooser->isVisible());
    QStringList items;
    for (int i = 0; i < chooser->count(); ++i)
        items.append(chooser->itemText(i));
    EXPECT_EQ(items, (QStringList{u"All"_s, u"Club"_s, u"Family"_s}));
    EXPECT_EQ(chooser->itemData(0).toInt(), 117);
    struct Row
    {
        const char *name;
        QString group;
        QStringList shown;
    };
    const Row rows[] = {{"club", u"Club"_s, {u"Berg"_s}}, {"family", u"Family"_s, {u"Abel"_s}},
                        {"all", u"All"_s, {u"Abel"_s, u"Berg"_s}}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const int item = chooser->findText(row.group);
        chooser->setCurrentIndex(item);
        Q_EMIT chooser->activated(item);
        EXPECT_EQ(lastNames(dialog.currentSourceModel()->content()), row.shown);
    }
    choose(dialog, CALocalContactBase::kName);
    EXPECT_FALSE(chooser->isVisible()) << "the local base has no groups";
}

// The source pop-ups of both windows list the sources in one order: the address book, the other
// programs, the two kinds of files, the workbooks, then "My Recipients" after a separator.
TEST_F(CAPrintMultipleSourcesTest, SourcePopUpsListTheSourcesInOneOrder)
{
    const QString helper = CAScriptedSource::helperFolder() + u"/Eudora"_s;
    ASSERT_TRUE(pwtest::writeFile(helper, "#!/bin/sh\necho '{\"records\": []}'\n"));
    QFile::setPermissions(helper, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    CAExcelSource::registerWith(container); // registered before the helper's source
    const QStringList helperSources = CAScriptedSource::registerInstalled(container);
    ASSERT_EQ(helperSources.size(), 1);
    const QStringList expected{u"Address Book"_s, helperSources.first(), CAVCFSource::name(),
                               CATextFileSource::name(), CAExcelSource::name(), CALocalContactBase::kName};
    CAAddressWindow window(models());
    EXPECT_EQ(window.sourceNames(), expected);
    auto *popup = window.findChild<QComboBox *>(u"sourceButton"_s);
    EXPECT_TRUE(popup->itemText(popup->count() - 2).isEmpty()) << "a separator before the local base";
    CAPrintMultipleDialog dialog(models());
    dialog.prepare(CAPrintListEditor::PrintLists, -1);
    EXPECT_EQ(dialog.sourceNames(), expected);
}

} // namespace
