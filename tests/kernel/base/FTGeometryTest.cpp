#include "kernel/base/FTGeometry.h"

#include "platform/PWBezierPath.h"

#include <QRectF>
#include <QTransform>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

TEST(FTGeometryTest, RotatePointTurnsClockwiseOnAYDownPageAndIgnoresNullPointers)
{
    double x = 20.0, y = 10.0;
    rotatePoint(&x, &y, kPi / 2.0, 10.0, 10.0);
    // The point right of the centre ends below it: clockwise on the page.
    EXPECT_NEAR(QLineF(x, y, 10, 20).length(), 0, 1e-12);
    rotatePoint(&x, &y, -kPi / 2.0, 10.0, 10.0);
    EXPECT_NEAR(QLineF(x, y, 20, 10).length(), 0, 1e-12);
    rotatePoint(&x, nullptr, 1.0, 0.0, 0.0);
    rotatePoint(nullptr, &y, 1.0, 0.0, 0.0);
    EXPECT_NEAR(QLineF(x, y, 20, 10).length(), 0, 1e-12);
}

TEST(FTGeometryTest, IsPointInRectAnswersWhetherThePointIsNearTheSegment)
{
    // The fourth point is 0.9 points away from a one-point segment: a distance truncated to a
    // whole number would call it a hit. The last two meet a segment of no length.
    const struct { double px, py, x1, y1, x2, y2; bool hit; } cases[] = {{5, 0, 0, 0, 10, 0, true}, {5, 6, 0, 0, 10, 10, false},
        {20, 0, 0, 0, 10, 0, false}, {0.5, 0.9, 0, 0, 1, 0, false}, {10.3, 9.8, 10, 10, 10, 10, true}, {11, 11, 10, 10, 10, 10, false}};
    for (const auto &c : cases)
        EXPECT_EQ(IsPointInRect(c.px, c.py, c.x1, c.y1, c.x2, c.y2, 0.5), c.hit) << c.px << ", " << c.py;
}

TEST(FTGeometryTest, IsLinesIntersectedAnswersWhetherTheSegmentsMeetInAnyOrder)
{
    // Parallel vertical segments at different x never meet, whatever their y ranges.
    const struct { double x1, y1, x2, y2, x3, y3, x4, y4; bool meet; } cases[] = {
        {0, 0, 10, 10, 0, 10, 10, 0, true}, {0, 0, 10, 0, 5, 0, 5, 10, true}, {0, 0, 10, 0, 20, -5, 20, 5, false},  // crossing, touching, apart
        {5, -5, 5, 5, 0, 0, 10, 0, true}, {5, 1, 5, 5, 0, 0, 10, 0, false},                                           // vertical and horizontal
        {0, 0, 0, 10, 5, 5, 5, 15, false}, {3, 0, 3, 10, 3, 5, 3, 15, true}, {3, 0, 3, 10, 3, 10, 3, 20, true},       // vertical pairs
        {3, 0, 3, 10, 3, 11, 3, 20, false}, {0, 0, 10, 0, 10, 0, 20, 0, true}, {0, 0, 10, 0, 11, 0, 20, 0, false},    // on one line
        {0, 0, 10, 0, 0, 1, 10, 1, false}, {0, 0, 10, 10, 5, 5, 15, 15, true},                                         // parallel; overlapping
        {0, 0, 10, 0, 4, 0, 4, 0, true}, {0, 0, 10, 0, 4, 1, 4, 1, false}};                                            // a point on and off
    int row = 0;
    for (const auto &c : cases) {
        EXPECT_EQ(IsLinesIntersected(c.x1, c.y1, c.x2, c.y2, c.x3, c.y3, c.x4, c.y4), c.meet) << "row " << row;
        EXPECT_EQ(IsLinesIntersected(c.x3, c.y3, c.x4, c.y4, c.x1, c.y1, c.x2, c.y2), c.meet) << "row " << row;
        EXPECT_EQ(IsLinesIntersected(c.x2, c.y2, c.x1, c.y1, c.x4, c.y4, c.x3, c.y3), c.meet) << "row " << row++;
    }
}

TEST(FTGeometryTest, FindsTheSizeGroupOfThePaperSize)
{
    // DL: short side 110 mm, ratio 220.1 / 110 just above 2.0. A 14 mm short side with a ratio
    // below 3.0 takes the row before the first large enough row; between the ratios 3.0 and 3.5 the
    // nearer one wins. A square label: the 0.1 mm added to the height makes it the long side.
    const struct { float widthMm, heightMm; documentType type; int group; } cases[] = {{90, 140, dtPostcard, 81},
        {20000, 11000, dtEnvelope, 62}, {110, 220, dtEnvelope, 58}, {10, 90, dtLabel, 1}, {14, 28, dtLabel, 2}, {14, 43, dtLabel, 1},
        {14, 48, dtLabel, 2}, {25.4f, 25.4f, dtLabel, 3}, {1200, 1500, dtLabel, 30}, {10, 90, dtUnknown, 1}};
    for (const auto &c : cases)
        EXPECT_EQ(getSizeGroupType(c.widthMm / 25.4f * 72.0f, c.heightMm / 25.4f * 72.0f, c.type), c.group) << c.widthMm << " x " << c.heightMm;
    EXPECT_EQ(getSizeGroupType(0.0f, 0.0f, dtLabel), 1) << "a degenerate size is in the first row";
    EXPECT_EQ(getSizeGroupType(-50.0f, 100.0f, dtEnvelope), 51);
}

PWBezierPath squareOutline(double x, double y, double side)
{
    QPainterPath path;
    path.addRect(x, y, side, side);
    return PWBezierPath(path);
}

TEST(FTGeometryTest, WrapExtensionsFillTheSideWithoutTextForLeftAndRightWrapTurnedWithTheObject)
{
    const QRectF frame(0, 0, 100, 50);
    PWBezierPath right = squareOutline(10, 10, 20);
    modifyPathForWrapType(&right, twTextOnLeft, frame, 0.0);
    EXPECT_EQ(right.path().boundingRect(), QRectF(10, 10, 90, 20));
    EXPECT_TRUE(right.path().contains(QPointF(90, 20)));
    EXPECT_FALSE(right.path().contains(QPointF(5, 20)));
    PWBezierPath left = squareOutline(40, 10, 20);
    modifyPathForWrapType(&left, twTextOnRight, frame, 0.0);
    // The extension runs from the object's right side to the frame's left edge.
    EXPECT_EQ(left.path().boundingRect(), QRectF(0, 10, 60, 20));
    EXPECT_TRUE(left.path().contains(QPointF(5, 20)));
    for (textWrap wrap : { twTextAboveAndBelow, twNoWrap, twMostSpace }) {
        PWBezierPath outline = squareOutline(10, 10, 20);
        const PWBezierPath before = outline;
        modifyPathForWrapType(&outline, wrap, QRectF(0, 0, 100, 50), 0.0);
        EXPECT_EQ(outline, before) << "wrap " << wrap;
    }
    modifyPathForWrapType(nullptr, twTextOnLeft, QRectF(0, 0, 100, 50), 0.0);
    const QRectF ownFrame(0, 0, 100, 50);
    const double angle = kPi / 2.0;
    QTransform turn;
    turn.translate(50, 25);
    turn.rotateRadians(angle);
    turn.translate(-50, -25);
    // The object stands turned on the page; measured in its own frame it is the square again.
    PWBezierPath outline(turn.map(squareOutline(60, 15, 20).path()));
    modifyPathForWrapType(&outline, twTextOnLeft, ownFrame, angle);
    const QRectF own = turn.inverted().map(outline.path()).boundingRect();
    // At a quarter turn the extension starts on the object's left side and reaches the frame's
    // right edge, both measured unturned.
    EXPECT_EQ(own, QRectF(60, 15, 40, 20));
}

} // namespace
