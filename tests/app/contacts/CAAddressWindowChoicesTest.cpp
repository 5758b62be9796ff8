#include "ContactsWindowTestSupport.h"
#include "TestSupport.h"

#include "app/contacts/CAAddressWindow.h"
#include "app/contacts/CAContactTableModel.h"
#include "app/contacts/CADataSourceContainer.h"
#include "app/contacts/CALocalContactBase.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CAPrintMultipleDialog.h"
#include "app/contacts/CAScriptedSource.h"
#include "app/contacts/CASenderList.h"
#include "app/contacts/CAVCFSource.h"
#include "platform/PWAddressBook.h"
#include "platform/PWPersonProperties.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <atomic>

using namespace Qt::StringLiterals;
using contactstest::clickMenuItem;
using contactstest::lastNames;
using contactstest::person;

namespace {

// Choices the address window remembers across a restart: a new window over the settings file
// read again, as the next run of the program has.
class CAAddressWindowChoicesTest : public testing::Test
{
protected:
    struct Session
    {
        Session(CAAddressWindowChoicesTest &test, PWUserDefaults &defaults)
            : senders(defaults, [] { return std::shared_ptr<PWPerson>(); })
            , localBase(defaults)
            , printLists(defaults)
        {
            senders.load();
            printLists.load();
            window = std::make_unique<CAAddressWindow>(
                CAAddressWindow::Models{test.container, defaults, test.book, senders, localBase, printLists});
            window->show();
        }
        QTableView *table(const QString &name) const { return window->findChild<QTableView *>(name); }
        QList<int> selectedRows(const QString &name) const
        {
            QList<int> rows;
            for (const QModelIndex &index : table(name)->selectionModel()->selectedRows())
                rows.append(index.row());
            return rows;
        }

        CASenderList senders;
        CALocalContactBase localBase;
        CAPrintListArray printLists;
        std::unique_ptr<CAAddressWindow> window;
    };

    CAAddressWindowChoicesTest()
        : container(folder.path() + u"/cache"_s)
        , book(folder.path() + u"/book"_s)
    {
        CAVCFSource::registerWith(container);
    }

    // Picks a source in the pop-up as the user does; a source with nothing read yet imports, and
    // the import is waited for.
    static void chooseSource(CAAddressWindow &window, const QString &name)
    {
        QSignalSpy finished(&window, &CAAddressWindow::importFinished);
        auto *popup = window.findChild<QComboBox *>(u"sourceButton"_s);
        const int index = popup->findText(name);
        ASSERT_GE(index, 0) << name.toStdString();
        popup->setCurrentIndex(index);
        Q_EMIT popup->activated(index);
        if (window.isImporting()) {
            ASSERT_TRUE(finished.wait(10000));
        }
        QCoreApplication::processEvents(); // the queued cache notification
    }
    static void pressUpdate(CAAddressWindow &window)
    {
        QSignalSpy finished(&window, &CAAddressWindow::importFinished);
        auto *update = window.findChild<QPushButton *>(u"updateButton"_s);
        ASSERT_TRUE(update->isEnabled());
        QTest::mouseClick(update, Qt::LeftButton);
        ASSERT_TRUE(finished.count() == 1 || finished.wait(10000));
        QCoreApplication::processEvents();
    }
    static QStringList items(const QComboBox *chooser)
    {
        QStringList texts;
        for (int i = 0; i < chooser->count(); ++i)
            texts.append(chooser->itemText(i));
        return texts;
    }

    static void clickRow(QTableView *table, int row)
    {
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                          table->visualRect(table->model()->index(row, 0)).center());
    }

    QTemporaryDir folder;
    contactstest::ScratchDefaults scratch;
    CADataSourceContainer container;
    PWAddressBook book;
};

TEST_F(CAAddressWindowChoicesTest, ChosenSenderIsTheDefaultAfterARestart)
{
    {
        Session first(*this, scratch.defaults());
        first.senders.savePersonListChanges(
            {person(u"Ann"_s, u"Abel"_s), person(u"Bo"_s, u"Berg"_s), person(u"Cy"_s, u"Cole"_s)});
        EXPECT_EQ(first.selectedRows(u"senderTable"_s), QList<int>{0}) << "the first sender before any choice";
        const int bergRow = first.window->senderModel()->rowOfPerson(
            first.senders.personListDict().personList().at(1).get());
        clickRow(first.table(u"senderTable"_s), bergRow);
        EXPECT_EQ(scratch.defaults().integerForKey(u"Default Sender Index"_s), 2);
    }
    Session second(*this, scratch.restart());
    const std::shared_ptr<PWPerson> chosen = second.senders.defaultPerson();
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->stringForProperty(kPWLastNameProperty), u"Berg"_s) << "a new design starts with it";
    const QList<int> rows = second.selectedRows(u"senderTable"_s);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(second.window->senderModel()->personAt(rows.first()), chosen);
}

TEST_F(CAAddressWindowChoicesTest, CurrentPrintListComesBackAfterARestart)
{
    {
        Session first(*this, scratch.defaults());
        for (int index = 0; index < 3; ++index) {
            first.printLists.insertPrintListAt(index);
            first.printLists.renamePrintListAt(index, u"List %1"_s.arg(index + 1));
            first.printLists.replacePrintListAt(index, {person(u"P"_s, u"Member%1"_s.arg(index + 1))});
        }
        first.printLists.store();
        auto *popup = first.window->findChild<QComboBox *>(u"printListButton"_s);
        popup->setCurrentIndex(1);
        Q_EMIT popup->activated(1);
        EXPECT_EQ(scratch.defaults().integerForKey(u"CurrentPrintListIndex"_s), 1);
    }
    struct Row
    {
        const char *name;
        std::optional<qint64> stored;
        int shown;
    };
    // The list chosen last; an index past the lists leaves none current, as at a first start; a
    // negative index makes the last list current.
    const Row rows[] = {{"the list chosen", std::nullopt, 1}, {"past the lists", 7, -1}, {"negative", -1, 2}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        PWUserDefaults &defaults = scratch.restart();
        if (row.stored) {
            defaults.setInteger(u"CurrentPrintListIndex"_s, *row.stored);
            defaults.synchronize();
        }
        Session next(*this, defaults);
        auto *popup = next.window->findChild<QComboBox *>(u"printListButton"_s);
        EXPECT_EQ(popup->currentIndex(), row.shown);
        if (row.shown < 0) {
            EXPECT_EQ(next.window->printListModel()->rowCount(), 0);
            continue;
        }
        ASSERT_EQ(next.window->printListModel()->rowCount(), 1);
        EXPECT_EQ(next.window->printListModel()->personAt(0)->stringForProperty(kPWLastNameProperty),
                  u"Member%1"_s.arg(row.shown + 1));
    }
}

TEST_F(CAAddressWindowChoicesTest, SelectionSurvivesTheListBeingReloaded)
{
    Session session(*this, scratch.defaults());
    session.printLists.insertPrintListAt(0);
    session.printLists.replacePrintListAt(0, {person(u"Ann"_s, u"Abel"_s), person(u"Cy"_s, u"Cole"_s)});
    session.printLists.setCurrentPrintListIndex(0);
    Q_EMIT session.printLists.printListsChanged();
    auto *tabs = session.window->findChild<QTabWidget *>(u"mainTabView"_s);
    tabs->setCurrentIndex(CAAddressWindow::PrintListsTab);
    QTableView *table = session.table(u"printListTable"_s);
    const std::shared_ptr<PWPerson> cole = session.printLists.getPrintListAt(0).at(1);
    clickRow(table, session.window->printListModel()->rowOfPerson(cole.get()));

    // A person sorted in ahead of the selected one: the selection follows the person, not the row.
    CAPersonList grown = session.printLists.getPrintListAt(0);
    grown.prepend(person(u"Aa"_s, u"Aaron"_s));
    session.printLists.replacePrintListAt(0, grown);
    Q_EMIT session.printLists.printListsChanged();
    const QList<int> rows = session.selectedRows(u"printListTable"_s);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(session.window->printListModel()->personAt(rows.first()), cole);

    // The selected person removed: nothing stays selected.
    session.printLists.replacePrintListAt(0, {grown.at(0), grown.at(1)});
    Q_EMIT session.printLists.printListsChanged();
    EXPECT_TRUE(session.selectedRows(u"printListTable"_s).isEmpty());
}

// The source shown last comes back at start only when it can show itself without asking: from its
// cache. Nothing is asked at start either way.
TEST_F(CAAddressWindowChoicesTest, SourceShownLastComesBackFromItsCacheOnly)
{
    struct Row
    {
        const char *name;
        bool cached;
        QString shown;
        int rows;
    };
    const Row rows[] = {{"cached", true, CAVCFSource::name(), 2}, {"nothing read yet", false, u"Address Book"_s, 0}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        QFile::remove(container.getCachePathForSource(CAVCFSource::kCacheName));
        if (row.cached) {
            ASSERT_TRUE(container.cachePersonList({person(u"A"_s, u"Cached"_s), person(u"B"_s, u"Stored"_s)}, nullptr,
                                                  CAVCFSource::kCacheName));
        }
        scratch.defaults().setString(u"ContactDataSource"_s, CAVCFSource::name());
        Session session(*this, scratch.defaults());
        EXPECT_EQ(session.window->currentSourceName(), row.shown);
        EXPECT_FALSE(session.window->isImporting()) << "nothing is asked at start";
        EXPECT_EQ(session.window->currentModel()->rowCount(), row.rows);
    }
}

// A source that reads groups with its persons gets a group chooser: "All" first, then its groups;
// a group gone after the next import is forgotten.
TEST_F(CAAddressWindowChoicesTest, ASourceWithGroupsShowsTheChosenGroup)
{
    const std::shared_ptr<PWPerson> ann = person(u"Ann"_s, u"Abel"_s), bo = person(u"Bo"_s, u"Berg"_s);
    bool clubExists = true;
    container.registerSource(
        u"Groupware"_s, u"Groupware"_s,
        [&](QWidget *, QStringList &) -> std::optional<CADataSourceContainer::ImportResult> {
            CADataSourceContainer::Groups groups{{u"Family"_s, {ann}}};
            if (clubExists)
                groups.insert(u"Club"_s, {bo});
            return CADataSourceContainer::ImportResult{{ann, bo}, groups};
        },
        true);
    ASSERT_TRUE(container.contactsForSource(u"Groupware"_s, nullptr, true));
    Session session(*this, scratch.defaults());
    session.window->showRecipients(false);
    session.window->changeSourceWithName(u"Groupware"_s);
    auto *chooser = session.window->findChild<QComboBox *>(u"groupButton"_s);
    ASSERT_TRUE(chooser && chooser->isVisible());
    QStringList items;
    for (int i = 0; i < chooser->count(); ++i)
        items.append(chooser->itemText(i));
    EXPECT_EQ(items, (QStringList{u"All"_s, u"Club"_s, u"Family"_s}));
    EXPECT_EQ(chooser->itemData(0).toInt(), 117);

    const auto pick = [chooser](int item) {
        chooser->setCurrentIndex(item);
        Q_EMIT chooser->activated(item);
    };
    struct Row
    {
        const char *name;
        int item;
        QStringList shown;
    };
    const Row rows[] = {{"club", 1, {u"Berg"_s}}, {"family", 2, {u"Abel"_s}}, {"all", 0, {u"Abel"_s, u"Berg"_s}},
                        {"club again", 1, {u"Berg"_s}}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        pick(row.item);
        EXPECT_EQ(contactstest::lastNames(session.window->currentModel()->content()), row.shown);
    }
    // The club is gone from the next import: the chooser forgets it and everyone shows.
    clubExists = false;
    ASSERT_TRUE(container.contactsForSource(u"Groupware"_s, nullptr, true));
    session.window->changeSourceWithName(u"Groupware"_s);
    EXPECT_EQ(chooser->currentText(), u"All"_s);
    EXPECT_EQ(session.window->currentModel()->content().size(), 2);
}

// A helper program's source whose answer is in its own order: the sort menu's "Last Name" sorts
// it, "From Source" gives the helper's order back and stores -1, and so it stays after a restart,
// in the address window and in the print-multiple window alike.
TEST_F(CAAddressWindowChoicesTest, FromSourceShowsTheHelpersOwnOrderAgainAfterARestart)
{
    struct HelperFolder
    {
        explicit HelperFolder(const QString &path)
        {
            QDir().mkpath(path);
            CAScriptedSource::setHelperFolder(path);
        }
        ~HelperFolder() { CAScriptedSource::setHelperFolder(QString()); }
    } helpers(folder.path() + u"/helpers"_s);
    const QString helper = CAScriptedSource::helperFolder() + u"/Eudora"_s;
    ASSERT_TRUE(pwtest::writeFile(helper, "#!/bin/sh\necho '{\"count\": 3}'\n"
                                          "echo '{\"records\": [{\"lastname\": \"Zed\"}, {\"lastname\": \"Abe\"}, "
                                          "{\"lastname\": \"Moe\"}]}'\n"));
    QFile::setPermissions(helper, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QStringList helperSources = CAScriptedSource::registerInstalled(container);
    ASSERT_EQ(helperSources.size(), 1);
    const QString source = helperSources.first();
    const QStringList helperOrder{u"Zed"_s, u"Abe"_s, u"Moe"_s};
    const auto storedKey = [this, source] {
        const PWPlist key = scratch.defaults().objectForKey(u"ContactSortingKey"_s).value(source);
        return key.isNumber() ? int(key.toInteger()) : -100;
    };
    {
        Session first(*this, scratch.defaults());
        first.window->showRecipients(false);
        chooseSource(*first.window, source);
        EXPECT_EQ(lastNames(first.window->currentModel()->content()), helperOrder) << "unsorted at first";
        auto *sort = first.window->findChild<QToolButton *>(u"sortPopUpButton"_s);
        ASSERT_TRUE(clickMenuItem(sort, u"Last Name"_s));
        EXPECT_EQ(lastNames(first.window->currentModel()->content()), (QStringList{u"Abe"_s, u"Moe"_s, u"Zed"_s}));
        EXPECT_EQ(storedKey(), 18);
        ASSERT_TRUE(clickMenuItem(sort, u"From Source"_s));
        EXPECT_EQ(lastNames(first.window->currentModel()->content()), helperOrder);
        EXPECT_EQ(storedKey(), -1);
        EXPECT_EQ(contactstest::checkedMenuItem(sort), u"From Source"_s);
    }
    Session second(*this, scratch.restart());
    EXPECT_EQ(second.window->currentSourceName(), source) << "shown again from its cache";
    EXPECT_EQ(second.window->currentSortingKey(), -1);
    EXPECT_EQ(lastNames(second.window->currentModel()->content()), helperOrder);

    CAPrintMultipleDialog dialog(
        CAAddressWindow::Models{container, scratch.defaults(), book, second.senders, second.localBase, second.printLists});
    dialog.prepare(CAPrintListEditor::PrintLists, -1);
    dialog.show();
    dialog.changeSourceWithName(source);
    EXPECT_EQ(lastNames(dialog.currentSourceModel()->content()), helperOrder);
    auto *sort = dialog.findChild<QToolButton *>(u"_sortPopUpButton"_s);
    ASSERT_TRUE(clickMenuItem(sort, u"Last Name"_s));
    EXPECT_EQ(lastNames(dialog.currentSourceModel()->content()), (QStringList{u"Abe"_s, u"Moe"_s, u"Zed"_s}));
    ASSERT_TRUE(clickMenuItem(sort, u"From Source"_s));
    EXPECT_EQ(lastNames(dialog.currentSourceModel()->content()), helperOrder);
    EXPECT_EQ(storedKey(), -1);
}

// A source whose import brings groups shows its chooser as soon as the first import it starts is
// read, and an Update that brings another group lists it at once, without switching sources.
TEST_F(CAAddressWindowChoicesTest, GroupChooserShowsRightAfterTheFirstImportAndAfterUpdate)
{
    const std::shared_ptr<PWPerson> ann = person(u"Ann"_s, u"Abel"_s), bo = person(u"Bo"_s, u"Berg"_s);
    std::atomic<int> imports = 0;
    container.registerSource(
        u"Groupware"_s, u"Groupware"_s,
        [&](QWidget *, QStringList &) -> std::optional<CADataSourceContainer::ImportResult> {
            CADataSourceContainer::Groups groups{{u"Family"_s, {ann}}};
            if (++imports > 1)
                groups.insert(u"Club"_s, {bo});
            return CADataSourceContainer::ImportResult{{ann, bo}, groups};
        },
        true);
    Session session(*this, scratch.defaults());
    session.window->showRecipients(false);
    auto *chooser = session.window->findChild<QComboBox *>(u"groupButton"_s);
    chooseSource(*session.window, u"Groupware"_s);
    ASSERT_EQ(imports, 1) << "a source with nothing read imports when picked";
    EXPECT_TRUE(chooser->isVisible());
    EXPECT_EQ(items(chooser), (QStringList{u"All"_s, u"Family"_s}));
    EXPECT_EQ(chooser->itemData(0).toInt(), 117);

    pressUpdate(*session.window);
    ASSERT_EQ(imports, 2);
    EXPECT_TRUE(chooser->isVisible());
    EXPECT_EQ(items(chooser), (QStringList{u"All"_s, u"Club"_s, u"Family"_s}));
    chooser->setCurrentIndex(1);
    Q_EMIT chooser->activated(1);
    EXPECT_EQ(lastNames(session.window->currentModel()->content()), QStringList{u"Berg"_s});
}

// The window's place and size come back at the next start, whether it was closed before the quit
// or still open; a damaged setting is ignored, one beyond the screen is brought back onto it.
TEST_F(CAAddressWindowChoicesTest, WindowFrameComesBackAfterARestart)
{
    const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect frame(room.left() + 70, room.top() + 40, 420, 500);
    for (const bool closed : {true, false}) {
        SCOPED_TRACE(closed ? "closed before the quit" : "open at the quit");
        scratch.defaults().removeObject(CAAddressWindow::kFrameDefault);
        {
            Session first(*this, scratch.defaults());
            first.window->move(frame.topLeft());
            first.window->resize(frame.size());
            QCoreApplication::processEvents();
            if (closed)
                first.window->close();
        }
        Session second(*this, scratch.restart());
        EXPECT_EQ(second.window->pos(), frame.topLeft());
        EXPECT_EQ(second.window->size(), frame.size());
    }
    struct Row
    {
        const char *name;
        QString stored;
    };
    const Row rows[] = {{"damaged", u"12 x 5"_s},
                        {"no size", u"10 10 0 0 0 0 1024 746 "_s},
                        {"beyond the screen", u"90000 90000 340 480 0 0 1024 746 "_s}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        scratch.defaults().setString(CAAddressWindow::kFrameDefault, row.stored);
        Session session(*this, scratch.restart());
        const QRect shown(session.window->pos(), session.window->size());
        EXPECT_TRUE(room.contains(shown)) << "within reach";
        EXPECT_GT(shown.width(), 0);
    }
}

} // namespace
