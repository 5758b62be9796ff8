// The print list a design prints, chosen in the print sheet's list pop-up as a user does and kept
// when the sheet closes: the design saved from the File menu and read again names the same list
// and reads without a word, whatever the user named the list.
#include "app/contacts/CAAddressWindow.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CAPrintMultipleDialog.h"
#include "app/printing/CAPrinterChoice.h"
#include "app/printsheet/CAPrintViewController.h"
#include "app/shell/CAAddressWindowPanel.h"
#include "app/shell/CAPrintCommands.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"

#include "ShellTestSupport.h"

#include <QAction>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

namespace printlistroundtrip {

struct ListValue
{
    const char *name;
    QString list;
    // Chosen in the window of print lists (File > Print for Several People…), not in the sheet.
    bool inListsWindow = false;
};

void PrintTo(const ListValue &row, std::ostream *out)
{
    *out << row.name;
}

class PrintListRoundTrip : public shelltest::Test, public ::testing::WithParamInterface<ListValue>
{
protected:
    void SetUp() override
    {
        shelltest::Test::SetUp();
        setPrinterNamesSource([] { return QStringList {u"Office"_s}; });
        CAPrinterChoice::setSystemPrintersSource(
            [] { return QList<CAPrinterDescription> {{u"Office"_s, u"Acme OfficeJet 9000"_s, true}}; });
        forgetLists();
    }
    void TearDown() override
    {
        CAPrinterChoice::setSystemPrintersSource({});
        forgetLists();
        shelltest::Test::TearDown();
    }
    static void forgetLists()
    {
        CAPrintListArray &lists = CAPrintListArray::getShared();
        while (lists.count() > 0)
            lists.removePrintListAt(0);
    }
};

TEST_P(PrintListRoundTrip, TheListChosenIsSavedAndReadBackWithoutAWord)
{
    const ListValue &row = GetParam();
    // Two lists, the one chosen second, so that choosing it is a change.
    CAPrintListArray &lists = CAPrintListArray::getShared();
    for (const QString &name : {u"Family"_s, row.list}) {
        lists.insertPrintListAt(lists.count());
        lists.renamePrintListAt(lists.count() - 1, name);
        auto person = PWPerson::create();
        person->setValueForProperty(kPWLastNameProperty, PWPlist::fromString(u"Member"_s));
        lists.replacePrintListAt(lists.count() - 1, {person});
    }
    ASSERT_EQ(lists.getPrintListNameAt(1), row.list);
    lists.setCurrentPrintListIndex(0);
    launch(1);
    installPrintCommands();
    CAMainWindowController *w = window(0);
    ASSERT_TRUE(w);

    controller->mainMenu().validate();
    if (row.inListsWindow) {
        // File > Print for Several People…, the list clicked, OK; the print sheet follows.
        QAction *several = controller->mainMenu().itemForAction(u"openPrintMultipleDialog"_s);
        ASSERT_TRUE(several && several->isEnabled());
        several->trigger();
        auto *dialog = w->findChild<CAPrintMultipleDialog *>();
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
        auto *names = dialog->findChild<QAbstractItemView *>(u"_printListNames"_s);
        ASSERT_NE(names, nullptr);
        const QModelIndex at = names->model()->index(1, 0);
        ASSERT_EQ(at.data().toString(), row.list);
        QTest::mouseClick(names->viewport(), Qt::LeftButton, {}, names->visualRect(at).center());
        auto *buttons = dialog->findChild<QDialogButtonBox *>(u"buttonBox"_s);
        ASSERT_NE(buttons, nullptr);
        QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
    } else {
        // File > Print…, the list chosen with the keyboard.
        QAction *print = controller->mainMenu().itemForAction(u"printDocument"_s);
        ASSERT_TRUE(print && print->isEnabled());
        print->trigger();
    }
    auto *sheet = w->findChild<CAPrintViewController *>();
    ASSERT_NE(sheet, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet));
    auto *popup = sheet->findChild<QComboBox *>(u"_personListButton"_s);
    ASSERT_NE(popup, nullptr);
    const int wanted = popup->findText(row.list);
    ASSERT_GE(wanted, 0);
    if (!row.inListsWindow) {
        popup->setFocus();
        for (int step = 0; step <= popup->count() && popup->currentIndex() != wanted; ++step)
            QTest::keyClick(popup, popup->currentIndex() < wanted ? Qt::Key_Down : Qt::Key_Up);
    }
    ASSERT_EQ(popup->currentIndex(), wanted);
    // Close.
    QTest::mouseClick(sheet->findChild<QPushButton *>(u"_closeButton"_s), Qt::LeftButton);
    ASSERT_EQ(w->document()->getPrintListName(), std::optional<QString>(row.list)) << "as chosen";

    savePath = path(u"list.pwdc"_s);
    QAction *save = controller->mainMenu().itemForAction(u"saveDocument"_s);
    ASSERT_NE(save, nullptr);
    save->trigger();
    EXPECT_EQ(reports.join(u'\n'), QString());

    CADocument reopened;
    QString error;
    ASSERT_TRUE(reopened.readFromFile(savePath, &error)) << qPrintable(error);
    EXPECT_EQ(reopened.readProblems().join(u'\n'), QString());
    EXPECT_EQ(reopened.getPrintListName(), std::optional<QString>(row.list)) << "as read back";
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// File > Print for Several People… leaves its window open beside the address window. Edit... on
// the address window's print lists then brings that window forward rather than opening a second
// one on the same lists; a person the address window's own Remove takes out meanwhile stays out
// when that window's OK stores the person the user removed there.
class PrintListTwoWindows : public PrintListRoundTrip
{
protected:
    static QList<CAPrintMultipleDialog *> shownListWindows()
    {
        QList<CAPrintMultipleDialog *> shown;
        for (QWidget *widget : QApplication::allWidgets())
            if (auto *dialog = qobject_cast<CAPrintMultipleDialog *>(widget); dialog && dialog->isVisible())
                shown.append(dialog);
        return shown;
    }
    static void clickRow(QAbstractItemView *table, const QString &text)
    {
        const QModelIndexList found =
            table->model()->match(table->model()->index(0, 0), Qt::DisplayRole, text, 1, Qt::MatchContains);
        ASSERT_FALSE(found.isEmpty()) << qPrintable(text);
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(found.first()).center());
    }
};

TEST_F(PrintListTwoWindows, OneListIsEditedInOneWindowAndEachChangeStays)
{
    CAPrintListArray &lists = CAPrintListArray::getShared();
    lists.insertPrintListAt(0);
    lists.renamePrintListAt(0, u"Club"_s);
    CAPersonList members;
    for (const QString &name : {u"Baker"_s, u"Cole"_s, u"Young"_s}) {
        auto member = PWPerson::create();
        member->setValueForProperty(kPWLastNameProperty, PWPlist::fromString(name));
        members.append(member);
    }
    lists.replacePrintListAt(0, members);
    lists.replacePrintListSortValueAt(0, CAPersonListDictionary::kNoSorting);
    lists.setCurrentPrintListIndex(0);
    ASSERT_TRUE(lists.store());
    launch(1);
    installPrintCommands();
    installAddressWindow(*controller);
    CAMainWindowController *w = window(0);
    ASSERT_TRUE(w);

    controller->mainMenu().validate();
    controller->mainMenu().itemForAction(u"openPrintMultipleDialog"_s)->trigger();
    auto *first = w->findChild<CAPrintMultipleDialog *>();
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(first));

    // Window > Print Lists, Edit... there: no second window on the lists.
    controller->mainMenu().validate();
    controller->mainMenu().itemForAction(u"addressWindowPrintLists"_s)->trigger();
    CAAddressWindow *addresses = sharedAddressWindow();
    ASSERT_NE(addresses, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(addresses));
    bool secondRan = false;
    QTimer::singleShot(0, qApp, [&secondRan, first] {
        for (CAPrintMultipleDialog *shown : shownListWindows()) {
            if (shown != first) {
                secondRan = true;
                shown->reject();
            }
        }
    });
    QTest::mouseClick(addresses->findChild<QPushButton *>(u"editPrintListsButton"_s), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_FALSE(secondRan) << "a second window opened on the lists the first one edits";
    EXPECT_EQ(shownListWindows(), QList<CAPrintMultipleDialog *> {first});

    // The address window's own Remove takes Cole out; the first window, which still shows Cole,
    // then takes Young out and stores with OK.
    auto *listTable = addresses->findChild<QAbstractItemView *>(u"printListTable"_s);
    ASSERT_TRUE(QTest::qWaitFor([listTable] { return listTable->viewport()->height() > 0; }, pwtest::kEventWaitMs));
    clickRow(listTable, u"Cole"_s);
    QTest::mouseClick(addresses->findChild<QPushButton *>(u"removeFromPrintListButton"_s), Qt::LeftButton);
    ASSERT_EQ(lists.getPrintListAt(0).size(), 2);

    first->raise();
    first->activateWindow();
    auto *persons = first->findChild<QAbstractItemView *>(u"_personTable"_s);
    ASSERT_TRUE(QTest::qWaitFor([persons] { return persons->viewport()->height() > 0; }, pwtest::kEventWaitMs));
    clickRow(persons, u"Young"_s);
    QTest::mouseClick(first->findChild<QPushButton *>(u"_btnRemovePerson"_s), Qt::LeftButton);
    QTest::mouseClick(first->findChild<QDialogButtonBox *>(u"buttonBox"_s)->button(QDialogButtonBox::Ok),
                      Qt::LeftButton);
    if (auto *sheet = w->findChild<CAPrintViewController *>()) {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet));
        QTest::mouseClick(sheet->findChild<QPushButton *>(u"_closeButton"_s), Qt::LeftButton);
    }

    CAPrintListArray reread(PWUserDefaults::standardUserDefaults());
    reread.load();
    ASSERT_EQ(reread.count(), 1);
    QStringList kept;
    for (const auto &member : reread.getPrintListAt(0))
        kept << member->stringForProperty(kPWLastNameProperty);
    EXPECT_EQ(kept, QStringList {u"Baker"_s}) << "each window's removal stays";
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The window File > Print for Several People… opened edits the lists, and the user removes the
// last one there; the Print lists tab of the address panel, clicked meanwhile, asks for a window
// on a new list. That request is for the lists the open window edits: it comes forward instead.
TEST_F(PrintListTwoWindows, ANewListAskedForWhileTheListsAreEditedOpensNoSecondWindow)
{
    CAPrintListArray &lists = CAPrintListArray::getShared();
    lists.insertPrintListAt(0);
    lists.renamePrintListAt(0, u"Club"_s);
    lists.setCurrentPrintListIndex(0);
    ASSERT_TRUE(lists.store());
    launch(1);
    installPrintCommands();
    installAddressWindow(*controller);
    CAMainWindowController *w = window(0);
    ASSERT_TRUE(w);
    controller->mainMenu().validate();
    controller->mainMenu().itemForAction(u"addressWindowRecipients"_s)->trigger();
    CAAddressWindow *addresses = sharedAddressWindow();
    ASSERT_NE(addresses, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(addresses));

    controller->mainMenu().validate();
    controller->mainMenu().itemForAction(u"openPrintMultipleDialog"_s)->trigger();
    auto *first = w->findChild<CAPrintMultipleDialog *>();
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(first));
    auto *names = first->findChild<QListWidget *>(u"_printListNames"_s);
    ASSERT_NE(names, nullptr);
    ASSERT_EQ(names->count(), 1);
    QTest::mouseClick(names->viewport(), Qt::LeftButton, {}, names->visualItemRect(names->item(0)).center());
    QTest::mouseClick(first->findChild<QPushButton *>(u"_btnRemove"_s), Qt::LeftButton);
    ASSERT_EQ(lists.count(), 0) << "the last list is gone";

    // Any other window on the lists is counted as it shows, and sent away.
    struct SecondWindows : QObject
    {
        CAPrintMultipleDialog *first = nullptr;
        int shown = 0;
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            auto *dialog = qobject_cast<CAPrintMultipleDialog *>(watched);
            if (event->type() == QEvent::Show && dialog && dialog != first) {
                ++shown;
                QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
            }
            return false;
        }
    } second;
    second.first = first;
    qApp->installEventFilter(&second);
    auto *tabs = addresses->findChild<QTabWidget *>(u"mainTabView"_s);
    ASSERT_NE(tabs, nullptr);
    const int listsTab = int(tabs->count()) - 1;
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(listsTab).center());
    ASSERT_EQ(tabs->currentIndex(), listsTab);
    // The request is queued behind the click; once it ran, a window it opened has come and gone.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    qApp->removeEventFilter(&second);
    EXPECT_EQ(second.shown, 0) << "a second window opened on the lists the first one edits";
    EXPECT_EQ(shownListWindows(), QList<CAPrintMultipleDialog *> {first});

    // The first window still edits the lists: Cancel there brings the removed list back.
    QTest::mouseClick(first->findChild<QDialogButtonBox *>(u"buttonBox"_s)->button(QDialogButtonBox::Cancel),
                      Qt::LeftButton);
    if (auto *sheet = w->findChild<CAPrintViewController *>()) {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet));
        QTest::mouseClick(sheet->findChild<QPushButton *>(u"_closeButton"_s), Qt::LeftButton);
    }
    ASSERT_EQ(lists.count(), 1);
    EXPECT_EQ(lists.getPrintListNameAt(0), u"Club"_s);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

INSTANTIATE_TEST_SUITE_P(
    ListPopUp, PrintListRoundTrip,
    ::testing::Values(ListValue {"Plain", u"Club"_s},
                      ListValue {"MarkupCharacters", u"Friends & <Neighbours> \"Ltd\""_s},
                      ListValue {"OtherScripts", u"Fam\u00edlia \u5bb6\u65cf \U0001F48C"_s},
                      ListValue {"Spaces", u"  spaced   out  "_s},
                      ListValue {"Tab", u"Before\tAfter"_s},
                      ListValue {"Long", QString(300, u'x')},
                      ListValue {"MarkupInTheListsWindow", u"Friends & <Neighbours>"_s, true},
                      ListValue {"OtherScriptsInTheListsWindow", u"Fam\u00edlia \u5bb6\u65cf"_s, true}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace printlistroundtrip
