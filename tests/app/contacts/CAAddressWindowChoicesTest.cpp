#include "ContactsTestSupport.h"
#include "TestSupport.h"

#include "app/contacts/CAAddressWindow.h"
#include "app/contacts/CAContactTableModel.h"
#include "app/contacts/CADataSourceContainer.h"
#include "app/contacts/CALocalContactBase.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CASenderList.h"
#include "app/contacts/CAVCFSource.h"
#include "platform/PWAddressBook.h"
#include "platform/PWPersonProperties.h"

#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
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

} // namespace
