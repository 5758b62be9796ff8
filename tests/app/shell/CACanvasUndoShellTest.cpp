// The canvas's edits through the document window's menus: a dragged shape comes back with
// Edit > Undo, whose title names the step; the Arrange and Delete commands undo exactly.
#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CADocView.h"
#include "app/shell/CACanvasCommands.h"
#include "app/shell/CAChangeLayoutSheet.h"
#include "app/shell/CAMainMenu.h"
#include "kernel/base/CDDColor.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/merge/CADocument.h"

#include "ShellTestSupport.h"

#include <QAction>
#include <QMouseEvent>

using namespace shelltest;

namespace {

class CACanvasUndoShellTest : public shelltest::Test
{
};

} // namespace

TEST_F(CACanvasUndoShellTest, EditUndoPutsADraggedShapeBack)
{
    launch(1);
    installChangeLayoutSheet();
    CAMainWindowController *w = window(0);
    ASSERT_TRUE(w);
    CADocView *canvas = w->docView();
    ASSERT_TRUE(canvas);
    auto *box = new CFTBoxField(40.0, 40.0, 50.0, 30.0, nullptr);
    const CDDColor yellow(0.98f, 0.86f, 0.24f, 1.0f);
    box->SetFillColor(&yellow);
    box->SetFilled(true);
    canvas->document()->ftDocument()->AddObject(box, 0, false);
    const QRectF before = CACanvasEdits::frameOf(box);

    QWidget *target = canvas->viewport();
    const QPoint from = canvas->geometry().widgetPoint(QPointF(60, 50)).toPoint();
    QTest::mousePress(target, Qt::LeftButton, {}, from);
    for (int step = 1; step <= 3; ++step) {
        const QPointF p = from + QPoint(10, 6) * step;
        QMouseEvent event(QEvent::MouseMove, p, target->mapToGlobal(p), Qt::NoButton, Qt::LeftButton,
                          Qt::ControlModifier);
        QApplication::sendEvent(target, &event);
    }
    QTest::mouseRelease(target, Qt::LeftButton, Qt::ControlModifier, from + QPoint(30, 18));
    const QRectF moved = CACanvasEdits::frameOf(box);
    ASSERT_NE(moved, before);

    QAction item(u"Undo"_s);
    ASSERT_TRUE(controller->router().validate(u"undo"_s, &item));
    EXPECT_EQ(item.text(), u"Undo Move Object"_s);
    EXPECT_TRUE(controller->router().perform(u"undo"_s));
    EXPECT_EQ(CACanvasEdits::frameOf(box), before);
    ASSERT_TRUE(controller->router().validate(u"redo"_s, &item));
    EXPECT_EQ(item.text(), u"Redo Move Object"_s);
    EXPECT_TRUE(controller->router().perform(u"redo"_s));
    EXPECT_EQ(CACanvasEdits::frameOf(box), moved);
}

TEST_F(CACanvasUndoShellTest, ArrangeAndDeleteCommandsAreOneStepEachAndUndoExactly)
{
    launch(1);
    installChangeLayoutSheet();
    installCanvasCommands();
    CAMainWindowController *w = window(0);
    ASSERT_TRUE(w);
    CADocView *canvas = w->docView();
    CFTADocument *design = canvas->document()->ftDocument();
    std::vector<CFTBoxField *> boxes;
    for (int i = 0; i < 3; ++i) {
        boxes.push_back(new CFTBoxField(20.0 + 30 * i, 20.0, 20.0, 20.0, nullptr));
        design->AddObject(boxes.back(), 0, false);
    }
    const std::vector<CFTComponent *> before = design->GetComponents(0, false);
    EXPECT_FALSE(controller->router().validate(u"orderBack"_s, nullptr)) << "nothing selected";
    EXPECT_FALSE(controller->router().validate(u"delete"_s, nullptr));

    canvas->ftView()->select(boxes[1]);
    ASSERT_TRUE(controller->router().validate(u"orderBack"_s, nullptr));
    EXPECT_TRUE(controller->router().perform(u"orderBack"_s));
    EXPECT_EQ(design->GetComponents(0, false).front(), boxes[1]);
    QAction item(u"Undo"_s);
    ASSERT_TRUE(controller->router().validate(u"undo"_s, &item));
    EXPECT_EQ(item.text(), u"Undo Send to Back"_s);
    EXPECT_TRUE(controller->router().perform(u"undo"_s));
    EXPECT_EQ(design->GetComponents(0, false), before) << "back in its own place, not at the front";

    EXPECT_TRUE(controller->router().perform(u"delete"_s));
    EXPECT_EQ(design->GetComponents(0, false).size(), before.size() - 1);
    ASSERT_TRUE(controller->router().validate(u"undo"_s, &item));
    EXPECT_EQ(item.text(), u"Undo Delete Object"_s);
    EXPECT_TRUE(controller->router().perform(u"undo"_s));
    EXPECT_EQ(design->GetComponents(0, false), before);
}

// The menu was last validated with nothing to undo; a drag made since must not leave Ctrl+Z
// disabled until someone opens the Edit menu.
TEST_F(CACanvasUndoShellTest, CtrlZUndoesADragMadeAfterTheMenuWasLastValidated)
{
    launch(1);
    installChangeLayoutSheet();
    CAMainWindowController *w = window(0);
    ASSERT_TRUE(w);
    CADocView *canvas = w->docView();
    auto *box = new CFTBoxField(40.0, 40.0, 50.0, 30.0, nullptr);
    const CDDColor yellow(0.98f, 0.86f, 0.24f, 1.0f);
    box->SetFillColor(&yellow);
    box->SetFilled(true); // an empty box is picked by its outline only
    canvas->document()->ftDocument()->AddObject(box, 0, false);
    const QRectF before = CACanvasEdits::frameOf(box);
    controller->mainMenu().validate();
    QAction *undo = controller->mainMenu().itemForAction(u"undo"_s);
    ASSERT_TRUE(undo);
    ASSERT_FALSE(undo->isEnabled());

    QWidget *target = canvas->viewport();
    const QPoint from = canvas->geometry().widgetPoint(QPointF(60, 50)).toPoint();
    QTest::mousePress(target, Qt::LeftButton, {}, from);
    for (int step = 1; step <= 3; ++step) {
        const QPointF p = from + QPoint(10, 6) * step;
        QMouseEvent event(QEvent::MouseMove, p, target->mapToGlobal(p), Qt::NoButton, Qt::LeftButton,
                          Qt::ControlModifier);
        QApplication::sendEvent(target, &event);
    }
    QTest::mouseRelease(target, Qt::LeftButton, Qt::ControlModifier, from + QPoint(30, 18));
    ASSERT_NE(CACanvasEdits::frameOf(box), before);

    w->show();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    canvas->setFocus();
    QTest::keyClick(canvas, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(CACanvasEdits::frameOf(box), before);
}
