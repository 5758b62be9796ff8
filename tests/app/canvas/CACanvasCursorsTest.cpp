// The canvas's cursor from its tool and the handle areas of the objects, as a plain function of
// the point and the areas, and as the mouse shows it.
#include "app/canvas/CACanvasCursors.h"
#include "app/canvas/CACanvasFormat.h"

#include "CanvasEditsFixture.h"

#include "kernel/base/CAEnvironment.h"

#include <QApplication>
#include <QMouseEvent>

namespace {

using CACanvasCursors::Area;

TEST(CACanvasCursorsPlainTest, ToolCursors)
{
    struct Case
    {
        toolMode mode;
        cursorType cursor;
    };
    for (const Case &c : {Case{toolSelect, cursorArrow}, Case{toolText, cursorText}, Case{toolField, cursorField},
                          Case{toolSeparator, cursorSeparator}, Case{toolBackground, cursorArrow}})
        EXPECT_EQ(CACanvasCursors::toolCursor(c.mode), c.cursor) << int(c.mode);
}

TEST(CACanvasCursorsPlainTest, TheLastAreaHoldingThePointDecides)
{
    const std::vector<Area> areas = {{QRectF(0, 0, 100, 100), cursorText},
                                     {QRectF(10, 10, 20, 20), cursorResizeHorizontal},
                                     {QRectF(20, 20, 20, 20), cursorResizeDiagonalDown}};
    struct Case
    {
        QPointF point;
        cursorType cursor;
    };
    for (const Case &c : {Case{{5, 5}, cursorText}, Case{{15, 15}, cursorResizeHorizontal},
                          Case{{25, 25}, cursorResizeDiagonalDown}, Case{{35, 35}, cursorResizeDiagonalDown},
                          // Right and bottom edges lie outside, as with cursor rectangles.
                          Case{{40, 25}, cursorText}, Case{{30, 15}, cursorText}, Case{{100, 50}, cursorArrow},
                          Case{{-1, 50}, cursorArrow}})
        EXPECT_EQ(CACanvasCursors::cursorAt(c.point, areas), c.cursor) << c.point.x() << "," << c.point.y();
    EXPECT_EQ(CACanvasCursors::cursorAt(QPointF(5, 5), {}), cursorArrow);
}

class CACanvasCursorsTest : public ::testing::Test, public CanvasEditsFixture
{
protected:
    const QRectF visible {0.0, 0.0, 400.0, 300.0};
};

TEST_F(CACanvasCursorsTest, SelectedObjectsOfferResizeAreasOnlyUnderTheSelectTools)
{
    view.ftView()->select(box);
    const std::vector<Area> areas = CACanvasCursors::cursorAreas(*view.ftView(), visible);
    ASSERT_FALSE(areas.empty());
    EXPECT_EQ(areas.front(), (Area{visible, cursorArrow}));
    const QRectF frame = CACanvasEdits::frameOf(box);
    // The four resize pairs of the selected shape, around its handles.
    const QPointF corner = frame.topLeft();
    EXPECT_EQ(CACanvasCursors::cursorAt(corner, areas), cursorResizeDiagonalDown);
    EXPECT_EQ(CACanvasCursors::cursorAt(frame.bottomLeft(), areas), cursorResizeDiagonalUp);
    EXPECT_EQ(CACanvasCursors::cursorAt(QPointF(frame.left(), frame.center().y()), areas), cursorResizeHorizontal);
    EXPECT_EQ(CACanvasCursors::cursorAt(QPointF(frame.center().x(), frame.bottom()), areas), cursorResizeVertical);
    EXPECT_EQ(CACanvasCursors::cursorAt(frame.center(), areas), cursorArrow);
    for (const Area &area : areas)
        EXPECT_TRUE(visible.contains(area.rect)) << "every area is cut to the visible part";

    const QPointF unselectedCorner = CACanvasEdits::frameOf(bare).topLeft();
    EXPECT_EQ(CACanvasCursors::cursorAt(unselectedCorner, areas), cursorArrow) << "no handles without a selection";

    view.format().setToolMode(toolText);
    const std::vector<Area> typing = CACanvasCursors::cursorAreas(*view.ftView(), visible);
    ASSERT_EQ(typing.size(), 1u) << "the text tool installs no handle areas";
    EXPECT_EQ(CACanvasCursors::cursorAt(corner, typing), cursorText);
}

TEST_F(CACanvasCursorsTest, AreasOutsideTheVisibleRectangleAreDropped)
{
    view.ftView()->select(box);
    const QRectF frame = CACanvasEdits::frameOf(box);
    // Only the left half of the shape is visible.
    const QRectF part(0.0, 0.0, frame.center().x(), 300.0);
    const std::vector<Area> areas = CACanvasCursors::cursorAreas(*view.ftView(), part);
    for (const Area &area : areas)
        EXPECT_LE(area.rect.right(), part.right());
    EXPECT_EQ(CACanvasCursors::cursorAt(frame.topRight(), areas), cursorArrow);
    EXPECT_EQ(CACanvasCursors::cursorAt(frame.topLeft(), areas), cursorResizeDiagonalDown);
}

TEST_F(CACanvasCursorsTest, TheMouseShowsTheCursorOfThePoint)
{
    view.resize(600, 400);
    view.ftView()->select(box);
    const QPointF corner = view.geometry().widgetPoint(CACanvasEdits::frameOf(box).topLeft());
    QMouseEvent move(QEvent::MouseMove, corner, view.viewport()->mapToGlobal(corner), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &move);
    EXPECT_EQ(view.viewport()->cursor().shape(), CAEnvironment::cursorFromType(cursorResizeDiagonalDown).shape());
    EXPECT_EQ(view.viewport()->cursor().pixmap().toImage(),
              CAEnvironment::cursorFromType(cursorResizeDiagonalDown).pixmap().toImage());
    EXPECT_NE(view.viewport()->cursor().pixmap().toImage(),
              CAEnvironment::cursorFromType(cursorResizeHorizontal).pixmap().toImage());

    view.format().setToolMode(toolText);
    QApplication::sendEvent(view.viewport(), &move);
    EXPECT_EQ(view.viewport()->cursor().shape(), Qt::IBeamCursor);
}

} // namespace
