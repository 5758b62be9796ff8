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
        ASSERT_TRUE(QTest::qWaitFor([&] { return reached.load(); }, 10000));
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

} // namespace
