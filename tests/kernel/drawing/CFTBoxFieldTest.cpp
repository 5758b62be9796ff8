// The shape component: presets, picking, line handles and cursors, mirroring while dragging, Shift
// constraints, the rubber band, snapping and the archive.

#include "kernel/drawing/CFTBoxField.h"

#include "kernel/base/CDDArchive.h"
#include "platform/PWBezierPath.h"

#include <gtest/gtest.h>

#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

// A shape of a kind, presets applied, without a template.
class Shape : public CFTBoxField
{
public:
    explicit Shape(compType kind, double x = 100, double y = 100, double w = 80, double h = 40) : CFTBoxField(x, y, w, h, nullptr) { setType(kind); }
};

const CFTComponent *pick(CFTComponent &shape, double x, double y, double tolerance, bool selected, actionType &action)
{
    return shape.PickMe(x, y, selected, tolerance, action, 0);
}

TEST(CFTBoxFieldTest, LinesAreAlwaysStrokedAndNeverFilledAndUnknownKindsHaveNoPresets)
{
    for (const compType kind : {ctHorizontalLine, ctVerticalLine, ctLeftDiagonalLine, ctRightDiagonalLine}) {
        Shape line(kind);
        line.SetStroked(false); line.SetFilled(true);
        EXPECT_TRUE(line.IsStroked() && !line.canFill()) << kind;
    }
    EXPECT_TRUE(Shape(ctCloud).canFill());
    Shape unknown(compType(77));
    EXPECT_FALSE(unknown.canCurved() || unknown.canChangeSideCount());
    Shape polygon(ctPolygon, 0, 0, 100, 100);
    polygon.SetSideCount(5.9); // cut toward zero: a move, four lines and the closing line back
    EXPECT_EQ(polygon.GetPath(nullptr)->path().toSubpathPolygons().at(0).size(), 6);
}

TEST(CFTBoxFieldTest, PicksWhereTheShapeAnswers)
{
    const struct
    {
        const char *name;
        compType kind;
        QRectF frame;
        double lineWidth;
        bool filled, selected;
        QPointF point;
        double tolerance;
        bool hit;
        actionType action;
    } cases[] = {
        {"UnfilledRectangleInside", ctRect, {100, 100, 80, 40}, 0, false, false, {140, 120}, 3, false, actionUnset},
        {"UnfilledRectangleBorder", ctRect, {100, 100, 80, 40}, 0, false, false, {101, 120}, 3, true, actionNone},
        {"FilledRectangleInside", ctRect, {100, 100, 80, 40}, 0, true, false, {140, 120}, 3, true, actionNone},
        {"CircleInside", ctCircle, {0, 0, 100, 100}, 0, false, false, {50, 50}, 2, true, actionNone},
        // The rectangle's corner lies outside the ellipse: only a selected shape answers there.
        {"CircleCorner", ctCircle, {0, 0, 100, 100}, 0, false, false, {1, 1}, 2, false, actionUnset},
        {"SelectedCircleCorner", ctCircle, {0, 0, 100, 100}, 0, false, true, {1, 1}, 2, true, actionFrame},
        {"DonutHole", ctDonut, {0, 0, 100, 100}, 0, false, false, {50, 50}, 2, false, actionUnset},
        // A line leaves the action as it was handed in.
        {"ThinLineBeside", ctHorizontalLine, {0, 0, 100, 20}, 0.5, false, false, {50, 14}, 3, false, actionUnset},
        {"WideLineEdge", ctHorizontalLine, {0, 0, 100, 20}, 20, false, false, {50, 19.5}, 3, true, actionUnset}};
    for (const auto &c : cases) {
        Shape shape(c.kind, c.frame.x(), c.frame.y(), c.frame.width(), c.frame.height());
        if (c.lineWidth > 0)
            shape.SetLineWidth(c.lineWidth);
        shape.SetFilled(c.filled);
        actionType action = actionUnset;
        EXPECT_EQ(pick(shape, c.point.x(), c.point.y(), c.tolerance, c.selected, action), c.hit ? &shape : nullptr) << c.name;
        EXPECT_EQ(action, c.hit ? c.action : actionUnset) << c.name;
    }
}

TEST(CFTBoxFieldTest, LineHandlesAndCursorSquaresSitOnItsEnds)
{
    const struct
    {
        const char *name;
        compType kind;
        bool flipX;
        QPointF first;
        int firstHandle;
        QPointF second;
        int secondHandle;
    } ends[] = {{"Horizontal", ctHorizontalLine, false, {0, 25}, 6, {100, 25}, 14},
                {"Vertical", ctVerticalLine, false, {50, 0}, 9, {50, 50}, 11},
                {"LeftDiagonal", ctLeftDiagonalLine, false, {0, 0}, 5, {100, 50}, 15},
                {"RightDiagonal", ctRightDiagonalLine, false, {100, 0}, 13, {0, 50}, 7},
                {"FlippedLeftDiagonal", ctLeftDiagonalLine, true, {100, 0}, 13, {0, 50}, 7},
                {"FlippedRightDiagonal", ctRightDiagonalLine, true, {0, 0}, 5, {100, 50}, 15}};
    for (const auto &c : ends) {
        Shape line(c.kind, 0, 0, 100, 50);
        line.setFlipX(c.flipX);
        EXPECT_EQ(QList<int>({line.PickMyDot(c.first.x(), c.first.y(), 3), line.PickMyDot(c.second.x(), c.second.y(), 3),
                              line.PickMyDot(50, 25, 3)}),
                  QList<int>({c.firstHandle, c.secondHandle, 0}))
            << c.name;
    }
    // Both ends in reach of a very short line: the second one.
    EXPECT_EQ(Shape(ctHorizontalLine, 0, 0, 2, 0).PickMyDot(1, 0, 3), 14);
    // The handles are drawn where they are picked: a vertical line's at the middle of its width.
    Shape vertical(ctVerticalLine, 0, 0, 10, 100);
    double x = -1, y = -1;
    vertical.GetDotCoord(11, &x, &y);
    EXPECT_EQ(QPointF(x, y), QPointF(5, 100));
    x = -1;
    vertical.GetDotCoord(13, &x, nullptr);
    EXPECT_EQ(x, -1) << "no handle there";

    Shape line(ctRightDiagonalLine, 0, 0, 100, 50);
    SRect rects[2];
    EXPECT_EQ(line.getCursorRectsByType(cursorResizeDiagonalUp, rects, false, 3), 0);
    EXPECT_EQ(line.getCursorRectsByType(cursorResizeDiagonalDown, rects, true, 3), 0);
    ASSERT_EQ(line.getCursorRectsByType(cursorResizeDiagonalUp, rects, true, 3), 2);
    EXPECT_EQ(rects[0], (SRect {97, -3, 6, 6}));
    EXPECT_EQ(rects[1], (SRect {-3, 47, 6, 6}));
    line.setFlipY(true);
    EXPECT_EQ(line.getCursorRectsByType(cursorResizeDiagonalDown, rects, true, 3), 2);
    // Stood on its end, a horizontal line takes the up-and-down cursor at its turned ends.
    Shape turned(ctHorizontalLine, 0, 0, 100, 0);
    turned.SetAngle(kPi / 2.0);
    EXPECT_EQ(turned.getCursorRectsByType(cursorResizeHorizontal, rects, true, 3), 0);
    ASSERT_EQ(turned.getCursorRectsByType(cursorResizeVertical, rects, true, 3), 2);
    EXPECT_NEAR(rects[0].x + 3, 50, 1e-9);
    EXPECT_NEAR(rects[0].y + 3, -50, 1e-9);
    // Picked in its own frame: it now runs from (50, -50) to (50, 50).
    bool selected = false;
    actionType action = actionUnset;
    EXPECT_EQ(pick(turned, 50, 40, 2, selected, action), &turned);
    EXPECT_EQ(pick(turned, 90, 0, 2, selected, action), nullptr);
}

TEST(CFTBoxFieldTest, ASideDraggedPastItsOppositeMirrorsAndATurnedShapeKeepsItsFixedCorner)
{
    Shape box(ctRectTriangleLeft, 0, 0, 100, 50);
    int handle = 6;
    box.MoveDot(handle, 150, 0, nullptr);
    EXPECT_EQ(QList<int>({handle, box.IsFlipX(), box.IsFlipY()}), QList<int>({14, 1, 0}));
    handle = 5;
    box.MoveDot(handle, 200, 200, nullptr);
    EXPECT_EQ(QList<int>({handle, box.IsFlipX(), box.IsFlipY()}), QList<int>({15, 0, 1}));

    Shape turned(ctRect, 0, 0, 100, 50);
    turned.SetAngle(kPi / 2.0);
    double fixedX, fixedY;
    turned.GetDotCoord(5, &fixedX, &fixedY);
    handle = 15;
    // On the page the bottom-right corner of a quarter-turned box points left and down.
    turned.MoveDot(handle, -10, 20, nullptr);
    EXPECT_NEAR(turned.GetSizeX(), 120, 1e-9);
    EXPECT_NEAR(turned.GetSizeY(), 60, 1e-9);
    double x, y;
    turned.GetDotCoord(5, &x, &y);
    EXPECT_NEAR(x, fixedX, 1e-9);
    EXPECT_NEAR(y, fixedY, 1e-9);
}

TEST(CFTBoxFieldTest, ShiftSnapsADiagonalLineAndKeepsTheProportionsOfCornerDrags)
{
    // A left diagonal from (0, 0) to (60, 60), its bottom-right end dragged with Shift.
    const struct
    {
        const char *name;
        double dx, dy;
        QRectF result;
    } drags[] = {{"WideBecomesHorizontal", 120, 0, QRectF(0, 0, 180, 0)},
                 {"TallBecomesVertical", 0, 120, QRectF(0, 0, 0, 180)},
                 {"ThreeToTwoBecomesFortyFiveDegrees", 30, 0, QRectF(0, 0, 90, 90)},
                 {"TwoToThreeBecomesFortyFiveDegrees", 0, 30, QRectF(0, 0, 90, 90)}};
    for (const auto &c : drags) {
        Shape line(ctLeftDiagonalLine, 0, 0, 60, 60);
        line.StartOperation(operResize, nullptr, 0, 15);
        double dx = c.dx, dy = c.dy;
        line.ModifyVectorForConstrain(15, &dx, &dy, modifierShift);
        int handle = 15;
        line.MoveDot(handle, dx, dy, nullptr);
        EXPECT_EQ(line.GetNSBoundRect(), c.result) << c.name;
    }

    // A 2:1 shape: each corner keeps the ratio in its own direction; sides and plain drags are free.
    const struct
    {
        int handle;
        double dx, dy;
        int modifiers;
        double constrainedDy;
    } corners[] = {{15, 40, 0, modifierShift, 20}, {13, 40, 0, modifierShift, -20},
                   {7, 40, 0, modifierShift, -20}, {5, -40, 0, modifierShift, -20},
                   {14, 40, 7, modifierShift, 7},  {15, 40, 7, 0, 7}};
    for (const auto &c : corners) {
        Shape box(ctCloud, 0, 0, 100, 50);
        box.StartOperation(operResize, nullptr, 0, c.handle);
        double dx = c.dx, dy = c.dy;
        box.ModifyVectorForConstrain(c.handle, &dx, &dy, c.modifiers);
        EXPECT_EQ(QPointF(dx, dy), QPointF(c.dx, c.constrainedDy)) << c.handle << " with " << c.modifiers;
    }
    Shape horizontal(ctHorizontalLine, 0, 0, 100, 50);
    horizontal.StartOperation(operResize, nullptr, 0, 14);
    double dx = 40, dy = 9;
    horizontal.ModifyVectorForConstrain(14, &dx, &dy, modifierShift);
    EXPECT_EQ(dy, 9) << "a straight line has no corner to keep";
}

TEST(CFTBoxFieldTest, TheRubberBandMeetsALineOnlyAlongItsStroke)
{
    Shape line(ctLeftDiagonalLine, 0, 0, 100, 100);
    line.SetLineWidth(2);
    const QRectF overStroke(40, 40, 20, 20), besideStroke(70, 10, 20, 20);
    const auto meets = [](CFTComponent &component, const QRectF &band) {
        // Both corner orders of the band.
        return QList<bool>({component.isIntersectRect(band.left(), band.top(), band.right(), band.bottom()),
                            component.isIntersectRect(band.right(), band.top(), band.left(), band.bottom())});
    };
    EXPECT_EQ(meets(line, overStroke), QList<bool>({true, true}));
    // A band that holds the whole line crosses none of its edges.
    EXPECT_EQ(meets(line, QRectF(-10, -10, 120, 120)), QList<bool>({true, true}));
    // Inside the line's rectangle, away from the stroke.
    EXPECT_EQ(meets(line, besideStroke), QList<bool>({false, false}));
    line.setFlipX(true);
    EXPECT_EQ(meets(line, besideStroke), QList<bool>({true, true}));

    Shape wide(ctHorizontalLine, 0, 0, 100, 0);
    wide.SetLineWidth(40);
    EXPECT_EQ(meets(wide, QRectF(40, -5, 20, 10)), QList<bool>({false, false}));
    EXPECT_EQ(meets(wide, QRectF(40, -5, 20, 30)), QList<bool>({true, true}));
    EXPECT_EQ(meets(wide, QRectF(200, 200, 100, 100)), QList<bool>({false, false}));
    // A shape that is no line meets the band anywhere in its rectangle.
    Shape cloud(ctCloud, 0, 0, 100, 100);
    EXPECT_EQ(meets(cloud, besideStroke), QList<bool>({true, true}));
}

TEST(CFTBoxFieldTest, ALineOffersItsTwoEndsAsSnapCoordinates)
{
    Shape line(ctRightDiagonalLine, 0, 0, 100, 50);
    float values[2] = {-1, -1};
    ASSERT_EQ(line.getYSnapArrayFrom(values), 2);
    EXPECT_EQ(QList<float>({values[0], values[1]}), QList<float>({0, 50}));
    ASSERT_EQ(line.getXSnapArrayTo(values), 2);
    EXPECT_EQ(QList<float>({values[0], values[1]}), QList<float>({100, 0}));
    EXPECT_EQ(line.getXSnapArrayFrom({}), 2) << "no room: only counted";
    // A straight line snaps along its length only: a horizontal one by its middle height.
    Shape horizontal(ctHorizontalLine, 0, 0, 100, 40);
    ASSERT_EQ(horizontal.getXSnapArrayFrom(values), 2);
    EXPECT_EQ(QList<float>({values[0], values[1]}), QList<float>({0, 100}));
    EXPECT_EQ(QList<float>({horizontal.getMinSnapYFrom(), horizontal.getMaxSnapYTo()}), QList<float>({20, 20}));
    horizontal.SetAngle(kPi / 2.0);
    EXPECT_NEAR(horizontal.getMinSnapYFrom(), -30, 1e-4);
    EXPECT_NEAR(horizontal.getMaxSnapYFrom(), 70, 1e-4);

    Shape rectangle(ctRect, 0, 0, 100, 40);
    ASSERT_EQ(rectangle.getYSnapArrayTo(values), 2);
    EXPECT_EQ(values[1], 40);
}

TEST(CFTBoxFieldTest, LoadingTakesStoredValuesWithoutPresets)
{
    Shape original(ctCircle, 5, 6, 70, 80);
    original.SetCurveRadius(0.3); original.setFlipY(true); original.SetFilled(true);
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
