// The canvas held in a scroll area as the document window holds it: an object dragged off the
// page to the left or top grows the canvas on that side, 20 screen pixels beyond the object at
// every zoom, and the visible area goes on showing what it showed when the drag began, also when
// the drag is undone.
#include "app/canvas/CADocView.h"
#include "kernel/base/CDDColor.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWUndoManager.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct ScrolledCanvas
{
    ScrolledCanvas(double zoom, const QSize &room)
    {
        box = new CFTBoxField(40.0, 40.0, 50.0, 30.0, nullptr);
        const CDDColor yellow(0.98f, 0.86f, 0.24f, 1.0f);
        box->SetFillColor(&yellow);
        box->SetFilled(true);
        document.ftDocument()->AddObject(box, 0, false);
        view = new CADocView;
        view->setScreenResolution(96.0);
        EXPECT_TRUE(view->setDocument(&document));
        view->setZoom(zoom);
        area.setWidgetResizable(false);
        area.setFrameShape(QFrame::NoFrame);
        area.setWidget(view);
        area.resize(room);
        area.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&area));
        QApplication::processEvents();
    }
    QWidget *target() const { return view->viewport(); }
    // Where a pixel of the scroll area's visible room shows the design.
    QPointF shownAt(const QPoint &roomPixel) const
    {
        return view->geometry().documentPoint(view->mapFrom(area.viewport(), roomPixel));
    }
    QPoint at(const QPointF &point) const { return view->geometry().widgetPoint(point).toPoint(); }
    // The pixel of the room shows the point of the design, a pixel off at most.
    void expectShows(const QPoint &roomPixel, const QPointF &point) const
    {
        const QPointF shown = shownAt(roomPixel);
        EXPECT_NEAR(shown.x(), point.x(), 1.0 / view->scale()) << roomPixel.x() << ", " << roomPixel.y();
        EXPECT_NEAR(shown.y(), point.y(), 1.0 / view->scale()) << roomPixel.x() << ", " << roomPixel.y();
    }
    // Press, steps, release, then what the release left queued; Ctrl keeps snapping out of it.
    void drag(const QPoint &from, const QPoint &to)
    {
        QTest::mousePress(target(), Qt::LeftButton, Qt::ControlModifier, from);
        for (int step = 1; step <= 4; ++step) {
            const QPoint p = from + (to - from) * step / 4;
            QMouseEvent move(QEvent::MouseMove, QPointF(p), target()->mapToGlobal(QPointF(p)), Qt::NoButton,
                             Qt::LeftButton, Qt::ControlModifier);
            QApplication::sendEvent(target(), &move);
        }
        QTest::mouseRelease(target(), Qt::LeftButton, Qt::ControlModifier, to);
        QApplication::processEvents();
        QApplication::processEvents();
    }

    CADocument document;
    QScrollArea area;
    CADocView *view = nullptr;
    CFTBoxField *box = nullptr;
};

struct OffPageCase
{
    const char *name;
    double zoom;
    // The box is let go this many screen pixels beyond the canvas's left or top edge.
    bool left;
    bool up;
};

class CADocViewScrollTest : public ::testing::TestWithParam<OffPageCase>
{
};

TEST_P(CADocViewScrollTest, DraggedOffThePageTheCanvasGrowsAndTheViewStays)
{
    const OffPageCase &row = GetParam();
    ScrolledCanvas c(row.zoom, QSize(700, 500));
    const double s = c.view->scale();
    const QRectF frameBefore = c.view->geometry().frame();
    const QPoint corner(30, 30);
    const QPoint far(c.area.viewport()->width() - 30, c.area.viewport()->height() - 30);
    const QPointF shownCorner = c.shownAt(corner);
    const QPointF shownFar = c.shownAt(far);
    // Grabbed by its middle and let go with its corner 60 screen pixels beyond the canvas.
    const QPointF middle(65.0, 55.0);
    const QPointF by(row.left ? frameBefore.left() - 60.0 / s - 40.0 : -20.0,
                     row.up ? frameBefore.top() - 60.0 / s - 40.0 : -20.0);
    const QPoint from = c.at(middle);
    ASSERT_TRUE(c.view->rect().contains(from));
    c.drag(from, from + (c.at(middle + by) - c.at(middle)));
    const QRectF drawn = c.box->GetNSDrawRect(false, 0.0);
    ASSERT_LT(row.left ? drawn.left() : drawn.top(), 0.0) << "the box left the page";

    const QRectF frame = c.view->geometry().frame();
    // A scroll bar that comes with the growth takes room from the other axis, which does not
    // move for it.
    const double pixel = 1.0 / s;
    if (row.left)
        EXPECT_NEAR((drawn.left() - frame.left()) * s, 20.0, 1.0) << "grown to 20 screen pixels beside the object";
    else
        EXPECT_NEAR(frame.left(), frameBefore.left(), pixel);
    if (row.up)
        EXPECT_NEAR((drawn.top() - frame.top()) * s, 20.0, 1.0) << "grown to 20 screen pixels above the object";
    else
        EXPECT_NEAR(frame.top(), frameBefore.top(), pixel);
    // The room shows what it showed, a pixel off at most.
    c.expectShows(corner, shownCorner);
    c.expectShows(far, shownFar);
}

// Dragged off the page, scrolled along the canvas, and the drag
// undone: the canvas shrinks back on the other side and the room still shows what it showed.
TEST_P(CADocViewScrollTest, AnOffPageDragUndoneScrolledAlongLeavesTheViewStill)
{
    const OffPageCase &row = GetParam();
    // Scrolled to the far end, and to where the room's corner shows the canvas's corner before
    // the drag (what the undo takes away is then out of sight on both ways).
    for (const bool farEnd : {true, false}) {
        SCOPED_TRACE(farEnd ? "at the far end" : "at the corner before the drag");
        // Grown both ways, the undo takes both scroll bars at once and the page is placed in the
        // larger room anew: only the far end stays.
        if (!farEnd && row.left && row.up)
            continue;
        ScrolledCanvas c(row.zoom, QSize(700, 500));
        const double s = c.view->scale();
        const QRectF frameBefore = c.view->geometry().frame();
        const QPointF middle(65.0, 55.0);
        const QPointF by(row.left ? frameBefore.left() - 60.0 / s - 40.0 : -20.0,
                         row.up ? frameBefore.top() - 60.0 / s - 40.0 : -20.0);
        const QPoint from = c.at(middle);
        c.drag(from, from + (c.at(middle + by) - c.at(middle)));
        ASSERT_LT(row.left ? c.box->GetOriginX() : c.box->GetOriginY(), 0.0) << "the box left the page";
        QScrollBar *across = c.area.horizontalScrollBar();
        QScrollBar *down = c.area.verticalScrollBar();
        const QRectF grown = c.view->geometry().frame();
        across->setValue(farEnd ? across->maximum() : qRound((frameBefore.left() - grown.left()) * s));
        down->setValue(farEnd ? down->maximum() : qRound((frameBefore.top() - grown.top()) * s));
        QApplication::processEvents();
        const QPoint corner(30, 30);
        const QPoint far(c.area.viewport()->width() - 30, c.area.viewport()->height() - 30);
        const QPointF shownCorner = c.shownAt(corner);
        const QPointF shownFar = c.shownAt(far);

        c.document.undoManager()->undo();
        QApplication::processEvents();
        QApplication::processEvents();
        ASSERT_DOUBLE_EQ(c.box->GetOriginX(), 40.0) << "the drag was undone";
        ASSERT_DOUBLE_EQ(c.box->GetOriginY(), 40.0) << "the drag was undone";
        // The growth is gone again...
        const QRectF frame = c.view->geometry().frame();
        EXPECT_GT(row.left ? frame.left() : frame.top(), (row.left ? grown.left() : grown.top()) + 40.0 / s);
        // ... and the room shows what it showed.
        c.expectShows(corner, shownCorner);
        c.expectShows(far, shownFar);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Drags, CADocViewScrollTest,
    ::testing::Values(OffPageCase {"fitting_page_left", 0.5, true, false},
                      OffPageCase {"fitting_page_up", 0.5, false, true},
                      OffPageCase {"fitting_page_left_and_up", 0.5, true, true},
                      OffPageCase {"page_at_100_left", 1.0, true, false},
                      OffPageCase {"large_page_left", 1.5, true, false},
                      OffPageCase {"large_page_up", 1.5, false, true},
                      OffPageCase {"large_page_at_232_left_and_up", 2.32, true, true}),
    [](const ::testing::TestParamInfo<OffPageCase> &info) { return std::string(info.param.name); });

} // namespace
