// The shape component: picking, mirroring while dragging, the Shift constraint and the archive.

#include "kernel/drawing/CFTBoxField.h"

#include "kernel/foundation/CDDArchive.h"
#include "platform/PWBezierPath.h"

#include <gtest/gtest.h>

#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

// A shape of a kind, presets applied, without a template.
class Shape : public CFTBoxField
{
public:
    explicit Shape(compType kind, double x = 100, double y = 100, double w = 80, double h = 40, double angle = 0)
        : CFTBoxField(x, y, w, h, nullptr)
    {
        setType(kind);
        SetAngle(angle);
    }
};

const CFTComponent *pick(CFTComponent &shape, double x, double y, double tolerance, bool selected = false,
                         actionType *action = nullptr)
{
    actionType ignored = atNone;
    return shape.PickMe(x, y, selected, tolerance, action ? *action : ignored, 0);
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
    const struct { const char *name; compType kind; QRectF frame; double lineWidth; bool filled, selected; QPointF point; double tolerance; bool hit; actionType action; } cases[] = {
        {"UnfilledRectangleInside", ctRect, {100, 100, 80, 40}, 0, false, false, {140, 120}, 3, false, atNone},
        {"UnfilledRectangleBorder", ctRect, {100, 100, 80, 40}, 0, false, false, {101, 120}, 3, true, atNothing},
        {"FilledRectangleInside", ctRect, {100, 100, 80, 40}, 0, true, false, {140, 120}, 3, true, atNothing},
        {"CircleInside", ctCircle, {0, 0, 100, 100}, 0, false, false, {50, 50}, 2, true, atNothing},
        // The rectangle's corner lies outside the ellipse: only a selected shape answers there.
        {"CircleCorner", ctCircle, {0, 0, 100, 100}, 0, false, false, {1, 1}, 2, false, atNone},
        {"SelectedCircleCorner", ctCircle, {0, 0, 100, 100}, 0, false, true, {1, 1}, 2, true, atBorder},
        {"DonutHole", ctDonut, {0, 0, 100, 100}, 0, false, false, {50, 50}, 2, false, atNone},
        // A line leaves the action as it was handed in.
        {"ThinLineBeside", ctHorizontalLine, {0, 0, 100, 20}, 0.5, false, false, {50, 14}, 3, false, atNone},
        {"WideLineEdge", ctHorizontalLine, {0, 0, 100, 20}, 20, false, false, {50, 19.5}, 3, true, atNone}};
    for (const auto &c : cases) {
        Shape shape(c.kind, c.frame.x(), c.frame.y(), c.frame.width(), c.frame.height());
        if (c.lineWidth > 0)
            shape.SetLineWidth(c.lineWidth);
        shape.SetFilled(c.filled);
        actionType action = atNone;
        EXPECT_EQ(pick(shape, c.point.x(), c.point.y(), c.tolerance, c.selected, &action), c.hit ? &shape : nullptr) << c.name;
        EXPECT_EQ(action, c.hit ? c.action : atNone) << c.name;
    }
}

TEST(CFTBoxFieldTest, DraggingASideAcrossItsOppositeMirrorsTheShape)
{
    Shape box(ctRectTriangleLeft, 0, 0, 100, 50);
    int handle = 6;
    box.MoveDot(handle, 150, 0, nullptr);
    EXPECT_EQ(QList<int>({handle, box.IsFlipX(), box.IsFlipY()}), QList<int>({14, 1, 0}));
    handle = 5;
    box.MoveDot(handle, 200, 200, nullptr);
    EXPECT_EQ(QList<int>({handle, box.IsFlipX(), box.IsFlipY()}), QList<int>({15, 0, 1}));
}

TEST(CFTBoxFieldTest, DraggingATurnedShapeKeepsTheFixedCornerInPlace)
{
    Shape box(ctRect, 0, 0, 100, 50, kPi / 2.0);
    double fixedX, fixedY, x, y;
    box.GetDotCoord(5, &fixedX, &fixedY);
    int handle = 15;
    // In the page's frame the bottom-right corner of a quarter-turned box points left and down.
    box.MoveDot(handle, -10, 20, nullptr);
    box.GetDotCoord(5, &x, &y);
    EXPECT_NEAR(std::abs(box.GetSizeX() - 120) + std::abs(box.GetSizeY() - 60) + std::abs(x - fixedX) + std::abs(y - fixedY), 0, 1e-9);
}

TEST(CFTBoxFieldTest, ShiftSnapsTheDiagonal)
{
    // A left diagonal from (0, 0) to (60, 60), its bottom-right end dragged with Shift.
    for (const auto &[dx0, dy0, result] : {std::tuple {120.0, 0.0, QRectF(0, 0, 180, 0)}, {0.0, 120.0, QRectF(0, 0, 0, 180)},
                                           {30.0, 0.0, QRectF(0, 0, 90, 90)}, {0.0, 30.0, QRectF(0, 0, 90, 90)}}) {
        Shape line(ctLeftDiagonalLine, 0, 0, 60, 60);
        line.StartOperation(omResize, nullptr, 0, 15);
        double dx = dx0, dy = dy0;
        line.ModifyVectorForConstrain(15, &dx, &dy, CFTBoxField::kShiftKeyMask);
        int handle = 15;
        line.MoveDot(handle, dx, dy, nullptr);
        EXPECT_EQ(line.GetNSBoundRect(), result) << dx0 << "," << dy0;
    }
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
