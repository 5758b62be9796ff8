#include "ShellTestSupport.h"

#include "app/contacts/CAAddressWindow.h"
#include "app/contacts/CAContactTableModel.h"
#include "app/contacts/CALocalContactBase.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CAPrintMultipleDialog.h"
#include "app/pictures/CCSearchField.h"
#include "app/pictures/CCSearchFieldCell.h"
#include "app/contacts/CASenderList.h"
#include "app/shell/CAAddressWindowPanel.h"
#include "app/shell/CAFloatingPanels.h"
#include "app/shell/CAMainWindowController.h"
#include "app/canvas/CADocView.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/document/CFTAView.h"
#include "platform/PWPersonProperties.h"

#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class CAAddressWindowPanelTest : public shelltest::Test
{
protected:
    void TearDown() override
    {
        CALocalContactBase::getShared().personListDict().replacePersonList({});
        CASenderList::getShared().personListDict().replacePersonList({});
        shelltest::Test::TearDown();
    }
    static std::shared_ptr<PWPerson> named(const QString &first, const QString &last)
    {
        std::shared_ptr<PWPerson> person = PWPerson::create();
        person->setValueForProperty(kPWFirstNameProperty, PWPlist::fromString(first));
        person->setValueForProperty(kPWLastNameProperty, PWPlist::fromString(last));
        return person;
    }
    static void clickRow(QTableView *table, int row)
    {
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                          table->visualRect(table->model()->index(row, 0)).center());
    }
};

TEST_F(CAAddressWindowPanelTest, ChosenContactBecomesTheFrontDesignsRecipientAndSender)
{
    CALocalContactBase::getShared().personListDict().replacePersonList(
        {named(u"Ada"_s, u"Brook"_s), named(u"Carl"_s, u"Dunn"_s)});
    CASenderList::getShared().personListDict().replacePersonList({named(u"Sam"_s, u"Sender"_s)});
    CADocumentController &application = launch(2);
    installAddressWindow(application);
    ASSERT_TRUE(application.panels().isInstalled(CAFloatingPanels::AddressWindow));
    application.panels().show(CAFloatingPanels::AddressWindow);
    CAAddressWindow *window = sharedAddressWindow();
    ASSERT_TRUE(window && window->isVisible());
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::Tool));

    const auto record = manager().documents().at(0);
    EXPECT_FALSE(record->isEdited());
    window->showRecipients(true);
    window->currentModel()->setFilter(u"dunn"_s);
    clickRow(window->currentTable(), 0);
    const std::shared_ptr<PWPerson> recipient = record->document->currentPerson(true);
    ASSERT_TRUE(recipient);
    EXPECT_EQ(recipient->stringForProperty(kPWLastNameProperty), u"Dunn"_s);
    EXPECT_TRUE(record->isEdited());

    window->showSenders();
    clickRow(window->findChild<QTableView *>(u"senderTable"_s), 0);
    const std::shared_ptr<PWPerson> sender = record->document->currentPerson(false);
    ASSERT_TRUE(sender);
    EXPECT_EQ(sender->stringForProperty(kPWLastNameProperty), u"Sender"_s);
    EXPECT_EQ(record->document->currentPerson(true)->stringForProperty(kPWLastNameProperty), u"Dunn"_s);

    application.panels().close(CAFloatingPanels::AddressWindow);
    EXPECT_FALSE(window->isVisible());
}

} // namespace

namespace {

// A panel of the side given on the first document's canvas, at the page point given.
CFTAAddressPanel *insertPanel(CADocView *canvas, bool isRecipient, QPointF origin)
{
    const std::unique_ptr<CAddressFormat> format =
        CAddressFormatController::sharedAddressFormatController().formatWithTemplate(u"Name+Company"_s, u"us"_s,
                                                                                     false, 1);
    std::unique_ptr<CFTComponent> made = canvas->ftView()->CreateAddressPanel(isRecipient, format.get());
    auto *panel = dynamic_cast<CFTAAddressPanel *>(made.get());
    made->SetOrigin(origin.x(), origin.y());
    made->SetSize(120.0, 50.0);
    canvas->ftView()->InsertComponent(made.release(), false);
    return panel;
}

TEST_F(CAAddressWindowPanelTest, SelectingAnAddressPanelOnTheDesignShowsItsSidesTab)
{
    CADocumentController &application = launch(1);
    installAddressWindow(application);
    application.panels().show(CAFloatingPanels::AddressWindow);
    CAAddressWindow *addresses = sharedAddressWindow();
    auto *tabs = addresses->findChild<QTabWidget *>(u"mainTabView"_s);
    CADocView *canvas = window(0)->docView();
    ASSERT_TRUE(canvas && canvas->ftView() && tabs);
    ASSERT_TRUE(insertPanel(canvas, true, QPointF(40.0, 40.0)));
    ASSERT_TRUE(insertPanel(canvas, false, QPointF(40.0, 140.0)));
    CAPrintListArray &lists = CAPrintListArray::getShared();

    struct Step
    {
        const char *name;
        QList<int> tabsVisited;
        bool printListExists;
        QPointF click;
        int shown;
    };
    // The recipient tab used last comes back; the print lists only while there are lists.
    const Step steps[] = {
        {"sender panel", {CAAddressWindow::ContactsTab}, true, {60.0, 150.0}, CAAddressWindow::SendersTab},
        {"recipient panel after contacts", {CAAddressWindow::ContactsTab, CAAddressWindow::SendersTab}, true,
         {60.0, 50.0}, CAAddressWindow::ContactsTab},
        {"recipient panel after print lists", {CAAddressWindow::PrintListsTab, CAAddressWindow::SendersTab}, true,
         {60.0, 50.0}, CAAddressWindow::PrintListsTab},
        {"recipient panel, print lists gone", {CAAddressWindow::PrintListsTab, CAAddressWindow::SendersTab}, false,
         {60.0, 50.0}, CAAddressWindow::ContactsTab},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.name);
        if (step.printListExists && lists.count() == 0)
            lists.insertPrintListAt(0);
        for (const int tab : step.tabsVisited)
            tabs->setCurrentIndex(tab);
        while (!step.printListExists && lists.count() > 0)
            lists.removePrintListAt(0);
        const QPoint blank = canvas->geometry().widgetPoint(QPointF(300.0, 300.0)).toPoint();
        QTest::mouseClick(canvas->viewport(), Qt::LeftButton, {}, blank);
        QTest::mouseClick(canvas->viewport(), Qt::LeftButton, {}, canvas->geometry().widgetPoint(step.click).toPoint());
        ASSERT_EQ(canvas->ftView()->getSelComponents().size(), 1u);
        EXPECT_EQ(tabs->currentIndex(), step.shown);
    }
    while (lists.count() > 0)
        lists.removePrintListAt(0);
}

} // namespace

namespace {

// Both contact windows search with the simple search field: no menu, a search at every keystroke.
TEST_F(CAAddressWindowPanelTest, ContactWindowsSearchWithTheSimpleSearchField)
{
    CALocalContactBase::getShared().personListDict().replacePersonList(
        {named(u"Ada"_s, u"Brook"_s), named(u"Carl"_s, u"Dunn"_s)});
    CADocumentController &application = launch(1);
    installAddressWindow(application);
    application.panels().show(CAFloatingPanels::AddressWindow);
    CAAddressWindow *addresses = sharedAddressWindow();
    addresses->showRecipients(true);
    CAPrintMultipleDialog *dialog = addresses->printMultipleDialog();
    const struct
    {
        const char *name;
        QWidget *window;
        const char *field;
    } rows[] = {{"address window", addresses, "searchField"}, {"list editor", dialog, "_seachButton"}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        auto *field = row.window->findChild<CCSearchField *>(QString::fromLatin1(row.field));
        ASSERT_TRUE(field);
        EXPECT_TRUE(field->searchCell()->hasSimpleMode());
        EXPECT_TRUE(field->placeholderText().isEmpty());
    }
    auto *field = addresses->findChild<CCSearchField *>(u"searchField"_s);
    field->setFocus();
    QTest::keyClicks(field, u"du"_s);
    ASSERT_EQ(addresses->currentModel()->rowCount(), 1);
    EXPECT_EQ(addresses->currentModel()->personAt(0)->stringForProperty(kPWLastNameProperty), u"Dunn"_s);
}

} // namespace
