// The print list a design prints, chosen in the print sheet's list pop-up as a user does and kept
// when the sheet closes: the design saved from the File menu and read again names the same list
// and reads without a word, whatever the user named the list.
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CAPrintMultipleDialog.h"
#include "app/printing/CAPrinterChoice.h"
#include "app/printsheet/CAPrintViewController.h"
#include "app/shell/CAPrintCommands.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"

#include "ShellTestSupport.h"

#include <QAction>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>

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
