// The shape component: presets, picking and the archive.

#include "kernel/drawing/CFTBoxField.h"

#include "kernel/foundation/CDDArchive.h"
#include "platform/PWBezierPath.h"

#include <gtest/gtest.h>

namespace {

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
        EXPECT_EQ(pick(shape, c.point.x(), c.point.y(), c.tolerance, c.selected, action), c.hit ? &shape : nullptr) << c.name;
        EXPECT_EQ(action, c.hit ? c.action : atNone) << c.name;
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
