#include "ShellTestSupport.h"

#include "app/contacts/CAAddressWindow.h"
#include "app/contacts/CAContactTableModel.h"
#include "app/contacts/CALocalContactBase.h"
#include "app/contacts/CASenderList.h"
#include "app/shell/CAAddressWindowPanel.h"
#include "app/shell/CAFloatingPanels.h"
#include "platform/PWPersonProperties.h"

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
