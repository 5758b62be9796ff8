// A shape dragged on the document window's canvas comes back with Edit > Undo, whose title names
// the step, and goes again with Edit > Redo.
#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CADocView.h"
#include "app/shell/CAChangeLayoutSheet.h"
#include "kernel/base/CDDColor.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/merge/CADocument.h"

#include "ShellTestSupport.h"

#include <QAction>
#include <QMouseEvent>

using namespace shelltest;

namespace {

class CACanvasUndoShellTest : public shelltest::Test
{
protected:
    void TearDown() override
    {
        CAMainWindowController::setChangeLayoutSheet(nullptr);
        CAMainWindowController::unregisterCommand(u"undo"_s);
        CAMainWindowController::unregisterCommand(u"redo"_s);
        shelltest::Test::TearDown();
    }
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
