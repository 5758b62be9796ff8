// The shape component: kinds and presets, picking, line handles and cursors, mirroring while
// dragging, Shift constraints, the rubber band, snapping and the archive.

#include "kernel/drawing/CFTBoxField.h"

#include "kernel/foundation/CFTACoreView.h"
#include "kernel/foundation/CDDDrawer.h"
#include "kernel/foundation/CDDArchive.h"
#include "kernel/foundation/CDDArchiveKeys.h"
#include "kernel/foundation/CFTDefComponentBox.h"
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

TEST(CFTBoxFieldTest, WithoutTemplateItIsAnUnfilledBlackOutlinedRectangle)
{
    CFTBoxField box;
    EXPECT_EQ(box.getClassID(), 1);
    EXPECT_EQ(box.getType(), ctRect);
    EXPECT_FALSE(box.IsFilled());
    EXPECT_TRUE(box.IsStroked());
    EXPECT_EQ(*box.GetStrokeColor(), CDDColor(0, 0, 0, 1));
    EXPECT_DOUBLE_EQ(box.GetCurveRadius(), 0.5);
    EXPECT_DOUBLE_EQ(box.GetSideCount(), 5.0);
    EXPECT_TRUE(box.canSetShape());
}

TEST(CFTBoxFieldTest, TemplateGivesFillAndOutline)
{
    CFTDefComponentBox defaults;
    defaults.Init();
    defaults.SetLineWidth(3);
    CFTBoxField box(0, 0, 10, 10, &defaults);
    EXPECT_TRUE(box.IsFilled());
    EXPECT_TRUE(box.IsStroked());
    EXPECT_EQ(*box.GetFillColor(), CDDColor(0, 0, 0, 0.5f));
    EXPECT_FLOAT_EQ(box.GetStrokeWidth(), 3.0f);
}

struct PresetCase
{
    compType kind;
    double radius;
    double sides; // 0: kept as it was
    bool curved;
    bool sidesEditable;
};

class PresetTest : public ::testing::TestWithParam<PresetCase>
{
};

TEST_P(PresetTest, KindSetsItsPresets)
{
    CFTBoxField box;
    box.SetCurveRadius(0.9);
    box.SetSideCount(11);
    box.setType(GetParam().kind);
    EXPECT_EQ(box.getType(), GetParam().kind);
    EXPECT_DOUBLE_EQ(box.GetCurveRadius(), GetParam().radius);
    EXPECT_DOUBLE_EQ(box.GetSideCount(), GetParam().sides == 0 ? 11.0 : GetParam().sides);
    EXPECT_EQ(box.canCurved(), GetParam().curved);
    EXPECT_EQ(box.canChangeSideCount(), GetParam().sidesEditable);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, PresetTest,
    ::testing::Values(PresetCase{ctRect, 0.5, 5, false, false}, PresetCase{ctTriangleUp, 0.5, 5, false, false},
                      PresetCase{ctPolygon, 0.0, 6, false, true}, PresetCase{ctCircle, 0.0, 0, true, false},
                      PresetCase{ctDiamond, 0.0, 4, false, true}, PresetCase{ctPentagon, 0.0, 5, false, true},
                      PresetCase{ctRoundedRect, 0.5, 0, true, false}, PresetCase{ctSquashedRect, 1.0, 0, true, false},
                      PresetCase{ctDonut, 0.5, 0, true, false}, PresetCase{ctTrapezoid, 0.5, 0, true, false},
                      PresetCase{ctMoon, 0.5, 0, true, false}, PresetCase{ctStar5, 0.5, 5, true, true},
                      PresetCase{ctStar8, 0.5, 8, true, true}, PresetCase{ctStar32, 0.5, 32, true, true},
                      PresetCase{ctCloud, 0.5, 5, false, false}, PresetCase{ctRightDiagonalLine, 0.5, 5, false, false},
                      PresetCase{compType(77), 0.5, 5, false, false}));

TEST(CFTBoxFieldTest, LinesAreAlwaysStrokedAndNeverFilled)
{
    for (const compType kind : {ctHorizontalLine, ctVerticalLine, ctLeftDiagonalLine, ctRightDiagonalLine}) {
        Shape line(kind);
        line.SetStroked(false);
        line.SetFilled(true);
        EXPECT_TRUE(line.IsStroked());
        EXPECT_FALSE(line.canFill());
    }
    EXPECT_TRUE(Shape(ctCloud).canFill());
}

TEST(CFTBoxFieldTest, SideCountIsCutTowardZero)
{
    Shape polygon(ctPolygon, 0, 0, 100, 100);
    polygon.SetSideCount(5.9);
    const QPainterPath path = polygon.GetPath(nullptr)->path();
    // A closed pentagon: a move, four lines and the closing line back.
    EXPECT_EQ(path.toSubpathPolygons().at(0).size(), 6);
}

TEST(CFTBoxFieldTest, FillColourAndTextColourFillTheShape)
{
    CFTBoxField box;
    const CDDColor green(0, 1, 0, 1);
    box.SetTextColor(&green);
    EXPECT_TRUE(box.IsFilled());
    EXPECT_EQ(*box.GetFillColor(), green);
}

TEST(CFTBoxFieldTest, UnfilledRectangleIsPickedOnlyOnItsBorder)
{
    Shape box(ctRect);
    bool notSelected = false;
    actionType action = atNone;
    EXPECT_EQ(box.PickMe(140, 120, notSelected, 3, action, 0), nullptr);
    EXPECT_EQ(action, atNone);
    EXPECT_EQ(box.PickMe(101, 120, notSelected, 3, action, 0), &box);
    EXPECT_EQ(action, atNothing);
    box.SetFilled(true);
    action = atNone;
    EXPECT_EQ(box.PickMe(140, 120, notSelected, 3, action, 0), &box);
    EXPECT_EQ(action, atNothing);
}

TEST(CFTBoxFieldTest, OutlineShapesArePickedInsideAndSelectedOnesOnTheirFrame)
{
    Shape circle(ctCircle, 0, 0, 100, 100);
    bool selected = false;
    actionType action = atNone;
    EXPECT_EQ(circle.PickMe(50, 50, selected, 2, action, 0), &circle);
    EXPECT_EQ(action, atNothing);
    // The rectangle's corner lies outside the ellipse: only a selected shape answers there.
    EXPECT_EQ(circle.PickMe(1, 1, selected, 2, action, 0), nullptr);
    selected = true;
    EXPECT_EQ(circle.PickMe(1, 1, selected, 2, action, 0), &circle);
    EXPECT_EQ(action, atBorder);

    Shape donut(ctDonut, 0, 0, 100, 100);
    selected = false;
    EXPECT_EQ(donut.PickMe(50, 50, selected, 2, action, 0), nullptr);
}

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

TEST(CFTBoxFieldTest, LinesArePickedAlongTheirStroke)
{
    Shape thin(ctHorizontalLine, 0, 0, 100, 20);
    thin.SetLineWidth(0.5);
    bool selected = false;
    actionType action = atBorder;
    EXPECT_EQ(thin.PickMe(50, 12, selected, 3, action, 0), &thin);
    EXPECT_EQ(action, atBorder);
    EXPECT_EQ(thin.PickMe(50, 14, selected, 3, action, 0), nullptr);

    Shape wide(ctHorizontalLine, 0, 0, 100, 20);
    wide.SetLineWidth(20);
    EXPECT_EQ(wide.PickMe(50, 19.5, selected, 3, action, 0), &wide);
    EXPECT_EQ(wide.PickMe(50, 20.5, selected, 3, action, 0), nullptr);
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
    ::testing::Values(LineHandleCase{"Horizontal", ctHorizontalLine, false, {0, 25}, 6, {100, 25}, 14},
                      LineHandleCase{"Vertical", ctVerticalLine, false, {50, 0}, 9, {50, 50}, 11},
                      LineHandleCase{"LeftDiagonal", ctLeftDiagonalLine, false, {0, 0}, 5, {100, 50}, 15},
                      LineHandleCase{"RightDiagonal", ctRightDiagonalLine, false, {100, 0}, 13, {0, 50}, 7},
                      LineHandleCase{"FlippedLeftDiagonal", ctLeftDiagonalLine, true, {100, 0}, 13, {0, 50}, 7},
                      LineHandleCase{"FlippedRightDiagonal", ctRightDiagonalLine, true, {0, 0}, 5, {100, 50}, 15}),
    [](const ::testing::TestParamInfo<LineHandleCase> &info) { return info.param.name; });

TEST(CFTBoxFieldTest, ShortLineGivesTheSecondHandleWhenBothAreInReach)
{
    Shape line(ctHorizontalLine, 0, 0, 2, 0);
    EXPECT_EQ(line.PickMyDot(1, 0, 3), 14);
}

TEST(CFTBoxFieldTest, LineCursorSquaresOnlyForItsDirection)
{
    Shape line(ctRightDiagonalLine, 0, 0, 100, 50);
    SRect rects[2];
    EXPECT_EQ(line.getCursorRectsByType(crTopRightBottomLeft, rects, false, 3), 0);
    EXPECT_EQ(line.getCursorRectsByType(crTopLeftBottomRight, rects, true, 3), 0);
    ASSERT_EQ(line.getCursorRectsByType(crTopRightBottomLeft, rects, true, 3), 2);
    EXPECT_EQ(rects[0], (SRect{97, -3, 6, 6}));
    EXPECT_EQ(rects[1], (SRect{-3, 47, 6, 6}));
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
    EXPECT_TRUE(box.IsFlipX());
    EXPECT_FALSE(box.IsFlipY());
    handle = 5;
    box.MoveDot(handle, 200, 200, nullptr);
    EXPECT_EQ(handle, 15);
    EXPECT_FALSE(box.IsFlipX());
    EXPECT_TRUE(box.IsFlipY());
}

TEST(CFTBoxFieldTest, DraggingATurnedShapeKeepsTheFixedCornerInPlace)
{
    Shape box(ctRect, 0, 0, 100, 50);
    box.SetAngle(kPi / 2.0);
    double fixedX, fixedY;
    box.GetDotCoord(5, &fixedX, &fixedY);
    int handle = 15;
    // In the page's frame the bottom-right corner of a quarter-turned box points left and down.
    box.MoveDot(handle, -10, 20, nullptr);
    EXPECT_NEAR(box.GetSizeX(), 120, 1e-9);
    EXPECT_NEAR(box.GetSizeY(), 60, 1e-9);
    double x, y;
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
    ::testing::Values(ConstrainCase{"WideBecomesHorizontal", 120, 0, QRectF(0, 0, 180, 0)},
                      ConstrainCase{"TallBecomesVertical", 0, 120, QRectF(0, 0, 0, 180)},
                      ConstrainCase{"ThreeToTwoBecomesFortyFiveDegrees", 30, 0, QRectF(0, 0, 90, 90)},
                      ConstrainCase{"TwoToThreeBecomesFortyFiveDegrees", 0, 30, QRectF(0, 0, 90, 90)}),
    [](const ::testing::TestParamInfo<ConstrainCase> &info) { return info.param.name; });

TEST(CFTBoxFieldTest, ShiftKeepsTheProportionsOfCornerDrags)
{
    Shape box(ctCloud, 0, 0, 100, 50);
    box.StartOperation(omResize, nullptr, 0, 15);
    double dx = 40, dy = 0;
    box.ModifyVectorForConstrain(15, &dx, &dy, CFTBoxField::kShiftKeyMask);
    EXPECT_DOUBLE_EQ(dx, 40);
    EXPECT_DOUBLE_EQ(dy, 20);
    dx = 40, dy = 0;
    box.ModifyVectorForConstrain(13, &dx, &dy, CFTBoxField::kShiftKeyMask);
    EXPECT_DOUBLE_EQ(dy, -20);
    dx = 40, dy = 7;
    box.ModifyVectorForConstrain(14, &dx, &dy, CFTBoxField::kShiftKeyMask);
    EXPECT_DOUBLE_EQ(dy, 7);
    dx = 40, dy = 7;
    box.ModifyVectorForConstrain(15, &dx, &dy, 0);
    EXPECT_DOUBLE_EQ(dy, 7);

    Shape horizontal(ctHorizontalLine, 0, 0, 100, 50);
    horizontal.StartOperation(omResize, nullptr, 0, 14);
    dx = 40, dy = 9;
    horizontal.ModifyVectorForConstrain(14, &dx, &dy, CFTBoxField::kShiftKeyMask);
    EXPECT_DOUBLE_EQ(dy, 9);
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
    float values[2];
    ASSERT_EQ(line.getYSnapArrayFrom(values), 2);
    EXPECT_FLOAT_EQ(values[0], 0);
    EXPECT_FLOAT_EQ(values[1], 50);
    ASSERT_EQ(line.getXSnapArrayTo(values), 2);
    EXPECT_FLOAT_EQ(values[0], 100);
    EXPECT_FLOAT_EQ(values[1], 0);
    EXPECT_EQ(line.getXSnapArrayFrom(nullptr), 0);

    Shape horizontal(ctHorizontalLine, 0, 0, 100, 40);
    EXPECT_FLOAT_EQ(horizontal.getMinSnapYFrom(), 20);
    EXPECT_FLOAT_EQ(horizontal.getMaxSnapYTo(), 20);
    horizontal.SetAngle(kPi / 2.0);
    EXPECT_NEAR(horizontal.getMinSnapYFrom(), -30, 1e-4);
    EXPECT_NEAR(horizontal.getMaxSnapYFrom(), 70, 1e-4);

    Shape rectangle(ctRect, 0, 0, 100, 40);
    EXPECT_EQ(rectangle.getYSnapArrayTo(values), 2);
    EXPECT_FLOAT_EQ(values[1], 40);
}

TEST(CFTBoxFieldTest, LoadingTakesStoredValuesWithoutPresets)
{
    Shape original(ctCircle, 5, 6, 70, 80);
    original.SetCurveRadius(0.3);
    original.setFlipY(true);
    original.SetFilled(true);
    CDDArchive archive(true);
    original.Serialize(archive, nullptr);
    const QStringList keys = archive.getDict().toDictionary().keys();
    EXPECT_EQ(keys.mid(keys.size() - 6), (QStringList {key_FillBackground, key_ComponentType, key_SideCount,
                                                        key_CurveRadius, key_FlipX, key_FlipY}));
    EXPECT_EQ(archive.getDict().value(key_ClassID).toString(), QStringLiteral("Square Field"));

    archive.setStoring(false);
    CFTBoxField loaded;
    loaded.Serialize(archive, nullptr);
    EXPECT_EQ(loaded.getType(), ctCircle);
    EXPECT_NEAR(loaded.GetCurveRadius(), 0.3, 1e-6);
    EXPECT_TRUE(loaded.IsFlipY());
    EXPECT_TRUE(loaded.IsFilled());
    EXPECT_EQ(loaded.GetNSBoundRect(), QRectF(5, 6, 70, 80));
}

TEST(CFTBoxFieldTest, LineHandlesAreDrawnOnItsEnds)
{
    Shape line(ctVerticalLine, 0, 0, 10, 100);
    double x = -1, y = -1;
    line.GetDotCoord(11, &x, &y);
    EXPECT_DOUBLE_EQ(x, 5);
    EXPECT_DOUBLE_EQ(y, 100);
    x = -1;
    line.GetDotCoord(13, &x, nullptr);
    EXPECT_DOUBLE_EQ(x, -1);
}

} // namespace
