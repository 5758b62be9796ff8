#include "app/pictures/CCImageEditorGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>

namespace {

using G = CCImageEditorGeometry;

// A 400 x 300 image at scale 1 (grab distance 6), with a selection made by a drag.
struct Canvas
{
    Canvas()
    {
        geometry.setImageSize(QSizeF(400.0, 300.0));
        geometry.setSelectionListener([this] { ++told; });
    }
    void drag(QPointF from, QPointF to)
    {
        geometry.mouseDown(from);
        geometry.mouseDragged((from + to) / 2.0);
        geometry.mouseDragged(to);
        geometry.mouseUp();
    }
    G geometry;
    int told = 0;
};

void expectRect(const QRectF &actual, const QRectF &expected)
{
    EXPECT_NEAR(actual.x(), expected.x(), 1e-9);
    EXPECT_NEAR(actual.y(), expected.y(), 1e-9);
    EXPECT_NEAR(actual.width(), expected.width(), 1e-9);
    EXPECT_NEAR(actual.height(), expected.height(), 1e-9);
}

TEST(CCImageEditorGeometry, DrawingRightToLeftStoresATurnedOverRectangleAndReadsItUpright)
{
    Canvas c;
    c.drag(QPointF(200, 100), QPointF(120, 40));
    EXPECT_TRUE(c.geometry.isSelected());
    expectRect(c.geometry.storedSelection(), QRectF(200, 100, -80, -60));
    EXPECT_TRUE(c.geometry.isSelectionHFlipped());
    EXPECT_TRUE(c.geometry.isSelectionVFlipped());
    expectRect(c.geometry.getSelection(), QRectF(120, 40, 80, 60));

    // The visible left edge (stored as the edge at x + width) follows a press on it.
    c.geometry.mouseDown(QPointF(121, 70));
    EXPECT_EQ(c.geometry.sidesResizing(), G::EdgeMaxX);
    c.geometry.mouseDragged(QPointF(101, 70));
    c.geometry.mouseUp();
    expectRect(c.geometry.getSelection(), QRectF(100, 40, 100, 60));
    EXPECT_FALSE(c.geometry.isSelectionHFlipped()) << "a finished resize is stored upright";
}

TEST(CCImageEditorGeometry, DraggingAnEdgePastTheOppositeOneTurnsTheRectangleOver)
{
    Canvas c;
    c.geometry.setSelection(QRectF(200, 100, 100, 50));
    c.geometry.mouseDown(QPointF(300, 125));
    ASSERT_EQ(c.geometry.sidesResizing(), G::EdgeMaxX);
    c.geometry.mouseDragged(QPointF(150, 125));
    EXPECT_TRUE(c.geometry.isSelectionHFlipped()) << "turned over while the mouse is down";
    expectRect(c.geometry.getSelection(), QRectF(150, 100, 50, 50));
    c.geometry.mouseUp();
    expectRect(c.geometry.storedSelection(), QRectF(150, 100, 50, 50));

    // The top edge dragged below the bottom one, in y-up units.
    c.geometry.mouseDown(QPointF(175, 150));
    ASSERT_EQ(c.geometry.sidesResizing(), G::EdgeMaxY);
    c.geometry.mouseDragged(QPointF(175, 80));
    expectRect(c.geometry.getSelection(), QRectF(150, 80, 50, 20));
}

TEST(CCImageEditorGeometry, AMovedSelectionIsShiftedBackIntoTheImageWithItsSize)
{
    Canvas c;
    c.geometry.setSelection(QRectF(300, 200, 80, 60));
    c.geometry.mouseDown(QPointF(340, 230));
    EXPECT_EQ(c.geometry.sidesResizing(), 0) << "a press inside moves";
    c.geometry.mouseDragged(QPointF(400, 300)); // the mouse itself is clamped at the corner
    expectRect(c.geometry.storedSelection(), QRectF(360, 270, 80, 60));
    expectRect(c.geometry.getSelection(), QRectF(320, 240, 80, 60));
    c.geometry.mouseUp();
    expectRect(c.geometry.storedSelection(), QRectF(320, 240, 80, 60));
}

struct InsideCase
{
    const char *name;
    QRectF stored;
    QRectF expected;
};

class CCImageEditorGeometryInside : public ::testing::TestWithParam<InsideCase>
{
};

TEST_P(CCImageEditorGeometryInside, ReadSelectionNeverLeavesTheImage)
{
    Canvas c;
    c.geometry.setSelection(GetParam().stored);
    const QRectF read = c.geometry.getSelection();
    expectRect(read, GetParam().expected);
    EXPECT_TRUE(QRectF(0, 0, 400, 300).contains(read) || read.isNull());
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Rectangles, CCImageEditorGeometryInside,
    ::testing::Values(InsideCase{"Inside", QRectF(10, 20, 30, 40), QRectF(10, 20, 30, 40)},
                      InsideCase{"LeftOfTheImage", QRectF(-50, 20, 30, 40), QRectF(0, 20, 30, 40)},
                      InsideCase{"PastTheRightEdge", QRectF(390, 20, 30, 40), QRectF(370, 20, 30, 40)},
                      InsideCase{"BelowAndTurnedOver", QRectF(10, 5, 30, -40), QRectF(10, 0, 30, 40)},
                      InsideCase{"AboveTheTop", QRectF(10, 1000, 30, 40), QRectF(10, 260, 30, 40)},
                      InsideCase{"WiderThanTheImage", QRectF(-100, 0, 900, 40), QRectF(0, 0, 400, 40)},
                      InsideCase{"TallerAndTurnedOver", QRectF(0, 500, 10, -700), QRectF(0, 0, 10, 300)},
                      InsideCase{"NoNumber", QRectF(kNaN, 0, 10, 10), QRectF()}),
    [](const auto &info) { return std::string(info.param.name); });

struct GrabCase
{
    const char *name;
    double scale;
    QPointF press;
    int edges; // -1: outside the grown box, the selection is dropped
};

class CCImageEditorGeometryGrab : public ::testing::TestWithParam<GrabCase>
{
};

// Selection (100, 100, 100, 80): x 100..200, y 100..180.
TEST_P(CCImageEditorGeometryGrab, PressPicksTheEdgesWithinTheGrabDistanceOfTheScale)
{
    Canvas c;
    c.geometry.setScaleFactor(GetParam().scale);
    c.geometry.setSelection(QRectF(100, 100, 100, 80));
    c.geometry.mouseDown(GetParam().press);
    if (GetParam().edges < 0) {
        EXPECT_FALSE(c.geometry.isSelected());
        EXPECT_FALSE(c.geometry.isMoving());
    } else {
        EXPECT_TRUE(c.geometry.isMoving());
        EXPECT_EQ(c.geometry.sidesResizing(), GetParam().edges);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Zones, CCImageEditorGeometryGrab,
    ::testing::Values(GrabCase{"TopLeftCorner", 1.0, QPointF(97, 183), G::EdgeMinX | G::EdgeMaxY},
                      GrabCase{"BottomRightCorner", 1.0, QPointF(203, 97), G::EdgeMaxX | G::EdgeMinY},
                      GrabCase{"TopRightCorner", 1.0, QPointF(203, 183), G::EdgeMaxX | G::EdgeMaxY},
                      GrabCase{"BottomLeftCorner", 1.0, QPointF(97, 97), G::EdgeMinX | G::EdgeMinY},
                      GrabCase{"LeftBandInside", 1.0, QPointF(104, 140), G::EdgeMinX},
                      GrabCase{"RightBandOutside", 1.0, QPointF(205, 140), G::EdgeMaxX},
                      GrabCase{"TopBand", 1.0, QPointF(150, 178), G::EdgeMaxY},
                      GrabCase{"BottomBand", 1.0, QPointF(150, 95), G::EdgeMinY},
                      GrabCase{"InnerCornerLeftWins", 1.0, QPointF(103, 177), G::EdgeMinX},
                      GrabCase{"Middle", 1.0, QPointF(150, 140), 0},
                      GrabCase{"JustOutsideAtScale1", 1.0, QPointF(206.5, 140), -1},
                      GrabCase{"ScaleTwoHalvesTheDistance", 2.0, QPointF(204, 140), -1},
                      GrabCase{"ScaleTwoStillGrabsWithin3", 2.0, QPointF(202.5, 140), G::EdgeMaxX},
                      GrabCase{"ScaleHalfDoublesTheDistance", 0.5, QPointF(211, 140), G::EdgeMaxX},
                      GrabCase{"ScaleHalfCornerAt12", 0.5, QPointF(89, 191), G::EdgeMinX | G::EdgeMaxY},
                      GrabCase{"ScaleHalfOutsideAt12", 0.5, QPointF(212.5, 140), -1}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(CCImageEditorGeometry, GrabDistanceIsSixScreenPoints)
{
    G g;
    for (const auto &[scale, distance] :
         std::initializer_list<std::pair<double, double>>{{1.0, 6.0}, {2.0, 3.0}, {0.5, 12.0}, {80.0, 0.075}}) {
        g.setScaleFactor(scale);
        EXPECT_DOUBLE_EQ(g.grabDistance(), distance) << "scale " << scale;
    }
}

TEST(CCImageEditorGeometry, TheTurnOverStateExchangesTheEdgeBits)
{
    Canvas c;
    c.geometry.setSelection(QRectF(200, 180, -100, -80)); // shown as (100, 100, 100, 80)
    c.geometry.mouseDown(QPointF(97, 97));
    EXPECT_EQ(c.geometry.sidesResizing(), G::EdgeMaxX | G::EdgeMaxY);
    c.geometry.mouseUp();
    c.geometry.setSelection(QRectF(200, 180, -100, -80));
    c.geometry.mouseDown(QPointF(150, 178));
    EXPECT_EQ(c.geometry.sidesResizing(), G::EdgeMinY);
}

TEST(CCImageEditorGeometry, AClickOutsideDropsTheSelectionAndTellsTheListener)
{
    Canvas c;
    c.geometry.setSelection(QRectF(100, 100, 50, 50));
    const int before = c.told;
    c.geometry.mouseDown(QPointF(300, 250));
    c.geometry.mouseUp();
    EXPECT_FALSE(c.geometry.isSelected());
    EXPECT_FALSE(c.geometry.isTouched());
    EXPECT_EQ(c.geometry.storedSelection(), QRectF());
    EXPECT_GE(c.told, before + 1);
}

TEST(CCImageEditorGeometry, WithoutASelectionAPressNearTheOriginStartsANewRectangle)
{
    Canvas c;
    c.drag(QPointF(2, 3), QPointF(50, 40));
    expectRect(c.geometry.getSelection(), QRectF(2, 3, 48, 37));
}

TEST(CCImageEditorGeometry, PressAndDragPointsAreClampedIntoTheImage)
{
    Canvas c;
    c.drag(QPointF(-30, 500), QPointF(900, -20));
    EXPECT_EQ(c.geometry.pickPoint(), QPointF(0, 300));
    expectRect(c.geometry.getSelection(), QRectF(0, 0, 400, 300));
}

struct WheelCase
{
    double scale;
    double delta;
    double expected;
};

class CCImageEditorGeometryWheel : public ::testing::TestWithParam<WheelCase>
{
};

TEST_P(CCImageEditorGeometryWheel, StepIsFineUpToOneAndCoarseAbove)
{
    G g;
    g.setScaleFactor(GetParam().scale);
    EXPECT_NEAR(g.wheelScale(GetParam().delta), GetParam().expected, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Steps, CCImageEditorGeometryWheel,
                         ::testing::Values(WheelCase{1.0, 120, 1.025}, WheelCase{1.0, -120, 0.975},
                                           WheelCase{1.2, -120, 1.0}, WheelCase{1.2, 120, 1.4},
                                           WheelCase{0.5, 0, 0.475}, WheelCase{0.02, -120, 0.02},
                                           WheelCase{80.0, 120, 80.0}, WheelCase{79.9, 120, 80.0}));

TEST(CCImageEditorGeometry, ScaleStaysWithinItsBounds)
{
    G g;
    for (const auto &[asked, kept] : std::initializer_list<std::pair<double, double>>{
             {0.0, 0.02}, {-3.0, 0.02}, {0.01, 0.02}, {1.5, 1.5}, {81.0, 80.0}, {1e9, 80.0}}) {
        g.setScaleFactor(asked);
        EXPECT_DOUBLE_EQ(g.getScaleFactor(), kept) << "asked " << asked;
    }
    g.setScaleFactor(2.0);
    g.setScaleFactor(kNaN);
    EXPECT_DOUBLE_EQ(g.getScaleFactor(), 2.0);
}

TEST(CCImageEditorGeometry, RightClickFitsTheSelectionThenReturns)
{
    Canvas c;
    EXPECT_FALSE(c.geometry.rightMouseDown(QSizeF(600, 400))) << "nothing without a selection";
    EXPECT_DOUBLE_EQ(c.geometry.getScaleFactor(), 1.0);

    c.geometry.setScaleFactor(0.75);
    c.geometry.setSelection(QRectF(50, 50, 100, 50));
    EXPECT_TRUE(c.geometry.rightMouseDown(QSizeF(600, 400)));
    EXPECT_DOUBLE_EQ(c.geometry.getScaleFactor(), 5.0); // min(600/120, 400/60)
    EXPECT_TRUE(c.geometry.isFitSelectionScale());
    EXPECT_TRUE(c.geometry.rightMouseDown(QSizeF(600, 400)));
    EXPECT_DOUBLE_EQ(c.geometry.getScaleFactor(), 0.75);

    // A selection without height asks for an endless scale; it stops at the bound.
    c.geometry.setSelection(QRectF(50, 50, 100, 0));
    c.geometry.rightMouseDown(QSizeF(600, 400));
    EXPECT_DOUBLE_EQ(c.geometry.getScaleFactor(), 5.0);
    c.geometry.setSelection(QRectF(50, 50, 0, 0));
    c.geometry.setTouched(false);
    c.geometry.setSelection(QRectF(50, 50, 0, 0));
    c.geometry.rightMouseDown(QSizeF(600, 400));
    EXPECT_DOUBLE_EQ(c.geometry.getScaleFactor(), 80.0);
}

TEST(CCImageEditorGeometry, SliderMappingDoublesPerEightStepsAndInvertsExactly)
{
    EXPECT_DOUBLE_EQ(G::sliderToScale(0), 1.0);
    EXPECT_DOUBLE_EQ(G::sliderToScale(8), 2.0);
    EXPECT_DOUBLE_EQ(G::sliderToScale(-8), 0.5);
    EXPECT_DOUBLE_EQ(G::sliderToScale(-12), 0.4);
    EXPECT_DOUBLE_EQ(G::sliderToScale(4), 1.5);
    EXPECT_DOUBLE_EQ(G::scaleToSlider(0.4), -12.0);
    EXPECT_DOUBLE_EQ(G::scaleToSlider(2.0), 8.0);
    EXPECT_DOUBLE_EQ(G::scaleToSlider(1.0), 0.0);
    EXPECT_DOUBLE_EQ(G::scaleToSlider(0.0), 0.0) << "no scale, no slider position";
    for (double v = -392; v <= 632; v += 7.5)
        EXPECT_NEAR(G::scaleToSlider(G::sliderToScale(v)), v, 1e-9) << v;
    EXPECT_NEAR(G::sliderToScale(-392), G::kMinScale, 1e-12);
    EXPECT_NEAR(G::sliderToScale(632), G::kMaxScale, 1e-12);
}

TEST(CCImageEditorGeometry, CursorShowsWhatAPressWouldDo)
{
    Canvas c;
    const QRectF visible(0, 0, 400, 300);
    EXPECT_EQ(c.geometry.cursorTypeAt(QPointF(150, 140), visible), G::CursorBox) << "no selection";
    c.geometry.setSelection(QRectF(100, 100, 100, 80));
    const std::pair<QPointF, int> expected[] = {
        {QPointF(150, 140), G::CursorOpenHand},        {QPointF(102, 140), G::CursorResizeHorizontal},
        {QPointF(198, 140), G::CursorResizeHorizontal}, {QPointF(150, 178), G::CursorResizeVertical},
        {QPointF(150, 97), G::CursorResizeVertical},    {QPointF(97, 183), G::CursorResizeDiagonal},
        {QPointF(203, 97), G::CursorResizeDiagonal},    {QPointF(203, 183), G::CursorResizeAntiDiagonal},
        {QPointF(97, 97), G::CursorResizeAntiDiagonal}, {QPointF(300, 250), G::CursorBox},
        {QPointF(103, 177), G::CursorResizeHorizontal},
    };
    for (const auto &[point, type] : expected)
        EXPECT_EQ(c.geometry.cursorTypeAt(point, visible), type) << point.x() << "," << point.y();
    // Only the visible part of the selection has zones.
    EXPECT_EQ(c.geometry.cursorTypeAt(QPointF(102, 140), QRectF(150, 0, 250, 300)), G::CursorBox);
}

} // namespace
