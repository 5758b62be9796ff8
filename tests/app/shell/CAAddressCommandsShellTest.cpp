// The address menus of a document window reach the canvas: a right press on a panel opens the
// address context menu, whose address-type items tick the panel's type and change it as one step.
#include "app/canvas/CADocView.h"
#include "app/shell/CAAddressCommands.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWUndoManager.h"

#include "ShellTestSupport.h"

#include <QAction>
#include <QMenu>

using namespace shelltest;

namespace {

const char *const kAddressActions[] = {"changeAddressTypeWithMenu", "changeToFromWithMenu", "changeCountryWithMenu",
                                       "changeTemplateWithMenu", "addressTo", "addressFrom", "group", "ungroup",
                                       "raiseBaseline", "lowerBaseline", "loosenKerning", "tightenKerning"};

class CAAddressCommandsShellTest : public shelltest::Test
{
protected:
    void TearDown() override
    {
        for (const char *action : kAddressActions)
            CAMainWindowController::unregisterCommand(QString::fromLatin1(action));
        shelltest::Test::TearDown();
    }
};

QAction *itemTitled(QMenu *menu, const QString &title)
{
    for (QAction *action : menu->actions()) {
        if (action->text() == title)
            return action;
        if (action->menu())
            if (QAction *found = itemTitled(action->menu(), title))
                return found;
    }
    return nullptr;
}

} // namespace

TEST_F(CAAddressCommandsShellTest, AddressTypeMenuChangesTheRightClickedPanelInOneStep)
{
    launch(1);
    installAddressCommands();
    CAMainWindowController *w = window(0);
    ASSERT_TRUE(w);
    CADocView *canvas = w->docView();
    ASSERT_TRUE(canvas && canvas->ftView());
    const std::unique_ptr<CAddressFormat> format =
        CAddressFormatController::sharedAddressFormatController().formatWithTemplate(u"Name+Company"_s, u"us"_s,
                                                                                     false, 1);
    std::unique_ptr<CFTComponent> made = canvas->ftView()->CreateAddressPanel(true, format.get());
    auto *panel = dynamic_cast<CFTAAddressPanel *>(made.get());
    ASSERT_TRUE(panel);
    made->SetOrigin(40.0, 40.0);
    made->SetSize(120.0, 60.0);
    canvas->ftView()->InsertComponent(made.release(), false);
    panel->SetAddressType(adWork);
    canvas->document()->undoManager()->setGroupsByEvent(false);

    // Nothing operated yet: the items are off.
    QAction *main = itemTitled(w->addressContextMenu(), u"Main"_s);
    ASSERT_TRUE(main);
    EXPECT_FALSE(controller->router().validate(u"changeAddressTypeWithMenu"_s, main));

    const QPoint at = canvas->geometry().widgetPoint(QPointF(60.0, 50.0)).toPoint();
    QTest::mousePress(canvas->viewport(), Qt::RightButton, {}, at);
    w->addressContextMenu()->hide();
    ASSERT_EQ(canvas->ftView()->getOperObject(), panel);
    QAction *work = itemTitled(w->addressContextMenu(), u"Work"_s);
    ASSERT_TRUE(controller->router().validate(u"changeAddressTypeWithMenu"_s, work));
    EXPECT_TRUE(work->isChecked());
    ASSERT_TRUE(controller->router().validate(u"changeAddressTypeWithMenu"_s, main));
    EXPECT_FALSE(main->isChecked());

    main->trigger();
    EXPECT_EQ(panel->GetAddressType(), adMain);
    EXPECT_EQ(canvas->document()->undoManager()->undoActionName(), PWLocalizedString(u"CHANGE_ADDRESS_TYPE"_s));

    QAction *sender = itemTitled(w->toFromMenu(), u"Sender"_s);
    ASSERT_TRUE(sender);
    sender->trigger();
    EXPECT_FALSE(panel->GetToFrom());
    canvas->document()->undoManager()->undo();
    EXPECT_TRUE(panel->GetToFrom());
    canvas->document()->undoManager()->undo();
    EXPECT_EQ(panel->GetAddressType(), adWork);
}
