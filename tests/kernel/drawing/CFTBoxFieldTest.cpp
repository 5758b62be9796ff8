// The shape component: picking, line handles and cursors, mirroring while dragging, Shift
// constraints, the rubber band, snapping and the archive.

#include "kernel/drawing/CFTBoxField.h"

#include "kernel/foundation/CDDArchive.h"
#include "kernel/foundation/CDDDrawer.h"
#include "kernel/foundation/CFTACoreView.h"
#include "platform/PWBezierPath.h"

#include <gtest/gtest.h>

#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

// A shape of a kind, presets applied, without a template.
class Shape : public CFTBoxField
{
public:
    explicit Shape(compType kind, double x = 100, double y = 100, double w = 80, double h = 40)
        : CFTBoxField(x, y, w, h, nullptr)
    {
        setType(kind);
    }
};

TEST(CFTBoxFieldTest, LinesAreAlwaysStrokedAndNeverFilledAndUnknownKindsHaveNoPresets)
{
    for (const compType kind : {ctHorizontalLine, ctVerticalLine, ctLeftDiagonalLine, ctRightDiagonalLine}) {
        Shape line(kind);
        line.SetStroked(false);
        line.SetFilled(true);
        EXPECT_TRUE(line.IsStroked());
        EXPECT_FALSE(line.canFill());
    }
    EXPECT_TRUE(Shape(ctCloud).canFill());
    Shape unknown(compType(77));
    EXPECT_FALSE(unknown.canCurved());
    EXPECT_FALSE(unknown.canChangeSideCount());
}

TEST(CFTBoxFieldTest, SideCountIsCutTowardZero)
{
    Shape polygon(ctPolygon, 0, 0, 100, 100);
    polygon.SetSideCount(5.9);
    // A closed pentagon: a move, four lines and the closing line back.
    EXPECT_EQ(polygon.GetPath(nullptr)->path().toSubpathPolygons().at(0).size(), 6);
}

struct PickCase
{
    const char *name;
    compType kind;
    QRectF frame;
    double lineWidth; // 0: as made
    bool filled;
    bool selected;
    QPointF point;
    double tolerance;
    bool hit;
    actionType action; // when hit; a line leaves the action as it was handed in
};

class PickTest : public ::testing::TestWithParam<PickCase>
{
};

TEST_P(PickTest, PicksWhereTheShapeAnswers)
{
    const PickCase &c = GetParam();
    Shape shape(c.kind, c.frame.x(), c.frame.y(), c.frame.width(), c.frame.height());
    if (c.lineWidth > 0)
        shape.SetLineWidth(c.lineWidth);
    if (c.filled)
        shape.SetFilled(true);
    bool selected = c.selected;
    actionType action = atNone;
    EXPECT_EQ(shape.PickMe(c.point.x(), c.point.y(), selected, c.tolerance, action, 0), c.hit ? &shape : nullptr);
    if (c.hit) {
        EXPECT_EQ(action, c.action);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, PickTest,
    ::testing::Values(
        PickCase {"UnfilledRectangleInside", ctRect, {100, 100, 80, 40}, 0, false, false, {140, 120}, 3, false, atNone},
        PickCase {"UnfilledRectangleBorder", ctRect, {100, 100, 80, 40}, 0, false, false, {101, 120}, 3, true, atNothing},
        PickCase {"FilledRectangleInside", ctRect, {100, 100, 80, 40}, 0, true, false, {140, 120}, 3, true, atNothing},
        PickCase {"CircleInside", ctCircle, {0, 0, 100, 100}, 0, false, false, {50, 50}, 2, true, atNothing},
        // The rectangle's corner lies outside the ellipse: only a selected shape answers there.
        PickCase {"CircleCorner", ctCircle, {0, 0, 100, 100}, 0, false, false, {1, 1}, 2, false, atNone},
        PickCase {"SelectedCircleCorner", ctCircle, {0, 0, 100, 100}, 0, false, true, {1, 1}, 2, true, atBorder},
        PickCase {"DonutHole", ctDonut, {0, 0, 100, 100}, 0, false, false, {50, 50}, 2, false, atNone},
        PickCase {"ThinLineOnStroke", ctHorizontalLine, {0, 0, 100, 20}, 0.5, false, false, {50, 12}, 3, true, atNone},
        PickCase {"ThinLineBeside", ctHorizontalLine, {0, 0, 100, 20}, 0.5, false, false, {50, 14}, 3, false, atNone},
        PickCase {"WideLineEdge", ctHorizontalLine, {0, 0, 100, 20}, 20, false, false, {50, 19.5}, 3, true, atNone},
        PickCase {"WideLineBeyond", ctHorizontalLine, {0, 0, 100, 20}, 20, false, false, {50, 20.5}, 3, false, atNone}),
    [](const ::testing::TestParamInfo<PickCase> &info) { return info.param.name; });

TEST(CFTBoxFieldTest, ThinMoonIsPickedAnywhereInItsRectangle)
{
    Shape thin(ctMoon, 0, 0, 100, 100);
    thin.SetCurveRadius(0.8);
    Shape thick(ctMoon, 0, 0, 100, 100);
    thick.SetCurveRadius(0.7);
    // A point of the rectangle that even the thicker crescent leaves out.
    const std::shared_ptr<PWBezierPath> outline = thick.GetPath(nullptr);
    QPointF outside(-1, -1);
    for (int x = 5; x < 100 && outside.x() < 0; x += 5)
        for (int y = 5; y < 100 && outside.x() < 0; y += 5)
            if (!CDDDrawer::IsPointInPath(outline.get(), x, y, 0, 0, 100, 100, false, false))
                outside = QPointF(x, y);
    ASSERT_GE(outside.x(), 0);
    bool selected = false;
    actionType action = atNone;
    EXPECT_EQ(thin.PickMe(outside.x(), outside.y(), selected, 1, action, 0), &thin);
    EXPECT_EQ(action, atNothing);
    EXPECT_EQ(thick.PickMe(outside.x(), outside.y(), selected, 1, action, 0), nullptr);
}

TEST(CFTBoxFieldTest, TurnedShapeIsPickedInItsOwnFrame)
{
    Shape line(ctHorizontalLine, 0, 0, 100, 0);
    line.SetAngle(kPi / 2.0);
    bool selected = false;
    actionType action = atNone;
    // Stood on its end about (50, 0): it now runs from (50, -50) to (50, 50).
    EXPECT_EQ(line.PickMe(50, 40, selected, 2, action, 0), &line);
    EXPECT_EQ(line.PickMe(90, 0, selected, 2, action, 0), nullptr);
}

struct LineHandleCase
{
    const char *name;
    compType kind;
    bool flipX;
    QPointF first;
    int firstHandle;
    QPointF second;
    int secondHandle;
};

class LineHandleTest : public ::testing::TestWithParam<LineHandleCase>
{
};

TEST_P(LineHandleTest, HandlesSitOnTheEnds)
{
    const LineHandleCase &c = GetParam();
    Shape line(c.kind, 0, 0, 100, 50);
    line.setFlipX(c.flipX);
    EXPECT_EQ(line.PickMyDot(c.first.x(), c.first.y(), 3), c.firstHandle);
    EXPECT_EQ(line.PickMyDot(c.second.x(), c.second.y(), 3), c.secondHandle);
    EXPECT_EQ(line.PickMyDot(50, 25, 3), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LineHandleTest,
    ::testing::Values(LineHandleCase {"Horizontal", ctHorizontalLine, false, {0, 25}, 6, {100, 25}, 14},
                      LineHandleCase {"Vertical", ctVerticalLine, false, {50, 0}, 9, {50, 50}, 11},
                      LineHandleCase {"LeftDiagonal", ctLeftDiagonalLine, false, {0, 0}, 5, {100, 50}, 15},
                      LineHandleCase {"RightDiagonal", ctRightDiagonalLine, false, {100, 0}, 13, {0, 50}, 7},
                      LineHandleCase {"FlippedLeftDiagonal", ctLeftDiagonalLine, true, {100, 0}, 13, {0, 50}, 7},
                      LineHandleCase {"FlippedRightDiagonal", ctRightDiagonalLine, true, {0, 0}, 5, {100, 50}, 15}),
    [](const ::testing::TestParamInfo<LineHandleCase> &info) { return info.param.name; });

TEST(CFTBoxFieldTest, ShortLineGivesTheSecondHandleAndAbsentHandlesLeaveTheCoordinates)
{
    Shape shortLine(ctHorizontalLine, 0, 0, 2, 0);
    EXPECT_EQ(shortLine.PickMyDot(1, 0, 3), 14);
    Shape line(ctVerticalLine, 0, 0, 10, 100);
    double x = -1;
    line.GetDotCoord(13, &x, nullptr);
    EXPECT_DOUBLE_EQ(x, -1);
}

TEST(CFTBoxFieldTest, LineCursorSquaresOnlyForItsDirection)
{
    Shape line(ctRightDiagonalLine, 0, 0, 100, 50);
    SRect rects[2];
    EXPECT_EQ(line.getCursorRectsByType(crTopRightBottomLeft, rects, false, 3), 0);
    EXPECT_EQ(line.getCursorRectsByType(crTopLeftBottomRight, rects, true, 3), 0);
    ASSERT_EQ(line.getCursorRectsByType(crTopRightBottomLeft, rects, true, 3), 2);
    EXPECT_EQ(rects[0], (SRect {97, -3, 6, 6}));
    EXPECT_EQ(rects[1], (SRect {-3, 47, 6, 6}));
    line.setFlipY(true);
    EXPECT_EQ(line.getCursorRectsByType(crTopLeftBottomRight, rects, true, 3), 2);

    Shape turned(ctHorizontalLine, 0, 0, 100, 0);
    turned.SetAngle(kPi / 2.0);
    EXPECT_EQ(turned.getCursorRectsByType(crLeftRight, rects, true, 3), 0);
    ASSERT_EQ(turned.getCursorRectsByType(crTopBottom, rects, true, 3), 2);
    EXPECT_NEAR(rects[0].x + 3, 50, 1e-9);
    EXPECT_NEAR(rects[0].y + 3, -50, 1e-9);
}

TEST(CFTBoxFieldTest, DraggingASideAcrossItsOppositeMirrorsTheShape)
{
    Shape box(ctRectTriangleLeft, 0, 0, 100, 50);
    int handle = 6;
    box.MoveDot(handle, 150, 0, nullptr);
    EXPECT_EQ(handle, 14);
    EXPECT_EQ(QList<bool>({box.IsFlipX(), box.IsFlipY()}), QList<bool>({true, false}));
    handle = 5;
    box.MoveDot(handle, 200, 200, nullptr);
    EXPECT_EQ(handle, 15);
    EXPECT_EQ(QList<bool>({box.IsFlipX(), box.IsFlipY()}), QList<bool>({false, true}));
}

TEST(CFTBoxFieldTest, DraggingATurnedShapeKeepsTheFixedCornerInPlace)
{
    Shape box(ctRect, 0, 0, 100, 50);
    box.SetAngle(kPi / 2.0);
    double fixedX, fixedY, x, y;
    box.GetDotCoord(5, &fixedX, &fixedY);
    int handle = 15;
    // In the page's frame the bottom-right corner of a quarter-turned box points left and down.
    box.MoveDot(handle, -10, 20, nullptr);
    EXPECT_NEAR(box.GetSizeX(), 120, 1e-9);
    EXPECT_NEAR(box.GetSizeY(), 60, 1e-9);
    box.GetDotCoord(5, &x, &y);
    EXPECT_NEAR(x, fixedX, 1e-9);
    EXPECT_NEAR(y, fixedY, 1e-9);
}

struct ConstrainCase
{
    const char *name;
    double dx;
    double dy;
    QRectF result;
};

class DiagonalConstrainTest : public ::testing::TestWithParam<ConstrainCase>
{
};

TEST_P(DiagonalConstrainTest, ShiftSnapsTheDiagonal)
{
    // A left diagonal from (0, 0) to (60, 60), its bottom-right end dragged with Shift.
    Shape line(ctLeftDiagonalLine, 0, 0, 60, 60);
    line.StartOperation(omResize, nullptr, 0, 15);
    double dx = GetParam().dx;
    double dy = GetParam().dy;
    line.ModifyVectorForConstrain(15, &dx, &dy, CFTBoxField::kShiftKeyMask);
    int handle = 15;
    line.MoveDot(handle, dx, dy, nullptr);
    EXPECT_EQ(line.GetNSBoundRect(), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(
    Drags, DiagonalConstrainTest,
    ::testing::Values(ConstrainCase {"WideBecomesHorizontal", 120, 0, QRectF(0, 0, 180, 0)},
                      ConstrainCase {"TallBecomesVertical", 0, 120, QRectF(0, 0, 0, 180)},
                      ConstrainCase {"ThreeToTwoBecomesFortyFiveDegrees", 30, 0, QRectF(0, 0, 90, 90)},
                      ConstrainCase {"TwoToThreeBecomesFortyFiveDegrees", 0, 30, QRectF(0, 0, 90, 90)}),
    [](const ::testing::TestParamInfo<ConstrainCase> &info) { return info.param.name; });

TEST(CFTBoxFieldTest, ShiftKeepsTheProportionsOfCornerDragsOnly)
{
    Shape box(ctCloud, 0, 0, 100, 50);
    box.StartOperation(omResize, nullptr, 0, 15);
    Shape horizontal(ctHorizontalLine, 0, 0, 100, 50);
    horizontal.StartOperation(omResize, nullptr, 0, 14);
    const struct
    {
        Shape *shape;
        int handle;
        double dy;
        int modifiers;
        double expected;
    } cases[] = {{&box, 15, 0, CFTBoxField::kShiftKeyMask, 20},
                 {&box, 13, 0, CFTBoxField::kShiftKeyMask, -20},
                 {&box, 14, 7, CFTBoxField::kShiftKeyMask, 7},
                 {&box, 15, 7, 0, 7},
                 {&horizontal, 14, 9, CFTBoxField::kShiftKeyMask, 9}};
    for (const auto &c : cases) {
        double dx = 40, dy = c.dy;
        c.shape->ModifyVectorForConstrain(c.handle, &dx, &dy, c.modifiers);
        EXPECT_DOUBLE_EQ(dy, c.expected) << c.handle;
    }
}

TEST(CFTBoxFieldTest, RubberBandFollowsTheStroke)
{
    Shape line(ctLeftDiagonalLine, 0, 0, 100, 100);
    line.SetLineWidth(2);
    EXPECT_TRUE(line.isIntersectRect(40, 40, 60, 60));
    EXPECT_TRUE(line.isIntersectRect(60, 40, 40, 60));
    // Inside the line's rectangle, away from the stroke.
    EXPECT_FALSE(line.isIntersectRect(70, 10, 90, 30));
    line.setFlipX(true);
    EXPECT_TRUE(line.isIntersectRect(70, 10, 90, 30));

    Shape wide(ctHorizontalLine, 0, 0, 100, 0);
    wide.SetLineWidth(40);
    EXPECT_FALSE(wide.isIntersectRect(40, -5, 60, 5));
    EXPECT_TRUE(wide.isIntersectRect(40, -5, 60, 25));
    EXPECT_FALSE(wide.isIntersectRect(200, 200, 300, 300));
}

TEST(CFTBoxFieldTest, LineSnapsToItsEnds)
{
    Shape line(ctRightDiagonalLine, 0, 0, 100, 50);
    float y[2], x[2];
    ASSERT_EQ(line.getYSnapArrayFrom(y) + line.getXSnapArrayTo(x), 4);
    EXPECT_EQ(QList<float>({y[0], y[1], x[0], x[1]}), QList<float>({0, 50, 100, 0}));
    EXPECT_EQ(line.getXSnapArrayFrom(nullptr), 0);

    Shape horizontal(ctHorizontalLine, 0, 0, 100, 40);
    EXPECT_EQ(QList<float>({horizontal.getMinSnapYFrom(), horizontal.getMaxSnapYTo()}), QList<float>({20, 20}));
    horizontal.SetAngle(kPi / 2.0);
    EXPECT_NEAR(horizontal.getMinSnapYFrom(), -30, 1e-4);
    EXPECT_NEAR(horizontal.getMaxSnapYFrom(), 70, 1e-4);
}

TEST(CFTBoxFieldTest, LoadingTakesStoredValuesWithoutPresets)
{
    Shape original(ctCircle, 5, 6, 70, 80);
    original.SetCurveRadius(0.3);
    original.setFlipY(true);
    original.SetFilled(true);
    CDDArchive archive(true);
    original.Serialize(archive, nullptr);
    archive.setStoring(false);
    CFTBoxField loaded;
    loaded.Serialize(archive, nullptr);
    EXPECT_EQ(QList<int>({loaded.getType(), qRound(loaded.GetCurveRadius() * 10), loaded.IsFlipY(), loaded.IsFilled()}),
              QList<int>({ctCircle, 3, 1, 1}));
    EXPECT_EQ(loaded.GetNSBoundRect(), QRectF(5, 6, 70, 80));
}

} // namespace
