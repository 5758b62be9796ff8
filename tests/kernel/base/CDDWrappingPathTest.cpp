#include "kernel/base/CDDWrappingPath.h"

#include "platform/PWBezierPath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>

namespace {

std::shared_ptr<PWBezierPath> rectOutline(double x, double y, double w, double h)
{
    QPainterPath path;
    path.addRect(x, y, w, h);
    return std::make_shared<PWBezierPath>(path);
}

// A right triangle with its right angle at the bottom-left corner of (0, 0, 40, 20).
std::shared_ptr<PWBezierPath> triangleOutline()
{
    QPainterPath path;
    path.moveTo(0, 0);
    path.lineTo(0, 20);
    path.lineTo(40, 20);
    path.closeSubpath();
    return std::make_shared<PWBezierPath>(path);
}

void expectRectNear(const QRectF &actual, const QRectF &expected)
{
    EXPECT_NEAR(QLineF(actual.topLeft(), expected.topLeft()).length() + QLineF(actual.bottomRight(), expected.bottomRight()).length(), 0, 1e-9)
        << actual.x() << ", " << actual.y() << ", " << actual.width() << " x " << actual.height();
}

TEST(CDDWrappingPathTest, InsetGrowsEverySideByTheSameAmountAndNothingLeavesTheOutline)
{
    const auto outline = triangleOutline();
    const QPainterPath before = outline->path();
    const CDDWrappingPath wrapping(outline, twTextOnLeft, 0.0, 0.0, false, false);
    EXPECT_EQ(wrapping.getPath()->path(), before);
    EXPECT_EQ(wrapping.getWrapType(), twTextOnLeft);
    const CDDWrappingPath inset(rectOutline(10, 20, 100, 50), twTextAboveAndBelow, 5.0, 0.0, false, false);
    // 1.1 horizontally and 1.2 vertically about the centre.
    expectRectNear(inset.getPath()->path().boundingRect(), QRectF(5, 15, 110, 60));
}

TEST(CDDWrappingPathTest, FlipsMirrorAndAnglesTurnAboutTheCentre)
{
    // Mirrored in x the right angle moves from the bottom-left to the bottom-right corner; in y, to the top-left.
    for (const auto &[flipX, corner] : {std::pair {true, QPointF(40, 20)}, std::pair {false, QPointF(0, 0)}}) {
        const CDDWrappingPath flipped(triangleOutline(), twTextOnLeft, 0.0, 0.0, flipX, !flipX);
        const QPainterPath &path = flipped.getPath()->path();
        EXPECT_EQ(QPointF(path.elementAt(1)), corner) << flipX;
        expectRectNear(path.boundingRect(), QRectF(0, 0, 40, 20));
    }
    const CDDWrappingPath wrapping(rectOutline(0, 0, 100, 50), twTextOnLeft, 5.0, std::numbers::pi / 2.0, false, false);
    // 110 x 60 after the inset, then standing upright about the centre (50, 25).
    expectRectNear(wrapping.getPath()->path().boundingRect(), QRectF(20, -30, 60, 110));
}

TEST(CDDWrappingPathTest, CopiesShareTheOutlineAndZeroExtentsWithInsetStayFinite)
{
    CDDWrappingPath first(rectOutline(0, 0, 100, 50), twTextOnLeft, 0.0, 0.0, false, false);
    CDDWrappingPath copy = first;
    copy.setInset(10.0);
    copy.setWrapType(twTextOnRight);
    copy.transformPath(false, false);
    // The settings are the copy's own; the path is the same object for both.
    EXPECT_EQ(std::pair(first.getInset(), first.getWrapType()), std::pair(0.0, twTextOnLeft));
    EXPECT_EQ(first.getPath(), copy.getPath());
    expectRectNear(first.getPath()->path().boundingRect(), QRectF(-10, -10, 120, 70));
    QPainterPath line;
    line.moveTo(10, 10);
    line.lineTo(10, 60);
    const CDDWrappingPath wrapping(std::make_shared<PWBezierPath>(line), twTextOnLeft, 5.0, 0.3, false, false);
    const QPainterPath &path = wrapping.getPath()->path();
    for (int i = 0; i < path.elementCount(); ++i)
        EXPECT_TRUE(std::isfinite(path.elementAt(i).x) && std::isfinite(path.elementAt(i).y)) << "element " << i;
    // The height still grows by the inset at either end.
    EXPECT_NEAR(QLineF(path.elementAt(0), path.elementAt(1)).length(), 60.0, 1e-9);
}

TEST(CDDWrappingPathTest, SetPathNeverLeavesANullOutlineAndAttachPathAppends)
{
    CDDWrappingPath wrapping;
    wrapping.setPath(nullptr);
    ASSERT_NE(wrapping.getPath(), nullptr);
    const auto outline = rectOutline(0, 0, 1, 1);
    wrapping.setPath(outline);
    EXPECT_EQ(wrapping.getPath(), outline.get());
    CDDWrappingPath first(rectOutline(0, 0, 10, 10), twTextOnLeft, 0.0, 0.0, false, false);
    const CDDWrappingPath second(rectOutline(50, 50, 10, 10), twTextOnLeft, 0.0, 0.0, false, false);
    first.attachPath(&second);
    EXPECT_EQ(first.getPath()->path().boundingRect(), QRectF(0, 0, 60, 60));
    EXPECT_EQ(second.getPath()->path().boundingRect(), QRectF(50, 50, 10, 10));
    const int elements = first.getPath()->path().elementCount();
    first.attachPath(&first);
    first.attachPath(nullptr);
    EXPECT_EQ(first.getPath()->path().elementCount(), 2 * elements);
}

} // namespace
