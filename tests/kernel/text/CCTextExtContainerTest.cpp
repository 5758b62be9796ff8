// The wrap-around line layout: lines offered to the right edge, moved beside or below the
// outlines in front of the block, refused when 40 points or less remain.
#include "kernel/text/CCTextExtContainer.h"

#include "kernel/base/CDDWrappingPath.h"
#include "kernel/component/CFTComponentsInterface.h"
#include "platform/PWBezierPath.h"

#include <QPainterPath>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Answers every outline of a given wrap type (5: all) that meets the band, as the view does.
class Outlines : public CFTComponentsInterface
{
public:
    void add(const QPainterPath &path, textWrap wrap)
    {
        m_paths.push_back(std::make_unique<CDDWrappingPath>(std::make_shared<PWBezierPath>(path), wrap, 0.0, 0.0,
                                                            false, false));
    }
    std::vector<CDDWrappingPath *> GetIntersectPathForRect(const QRectF &rect, double originX, double originY,
                                                           double, double, double, const void *,
                                                           textWrap wrap) const override
    {
        const QRectF band = rect.translated(originX, originY);
        std::vector<CDDWrappingPath *> found;
        for (const auto &path : m_paths) {
            if ((int(wrap) == 5 || path->getWrapType() == wrap) && path->getPath()->path().intersects(band))
                found.push_back(path.get());
        }
        return found;
    }
    CDDWrappingPath *at(std::size_t i) const { return m_paths.at(i).get(); }

private:
    std::vector<std::unique_ptr<CDDWrappingPath>> m_paths;
};

QPainterPath rectangle(double x, double y, double w, double h)
{
    QPainterPath path;
    path.addRect(x, y, w, h);
    return path;
}

QPainterPath circle(double cx, double cy, double r)
{
    QPainterPath path;
    path.addEllipse(QPointF(cx, cy), r, r);
    return path;
}

TEST(CCTextExtContainerTest, WithoutOutlinesEveryLineRunsToTheRightEdge)
{
    CCTextExtContainer container(QSizeF(200, 100));
    EXPECT_EQ(container.lineFragmentRectForProposedRect(QRectF(20, 0, 50, 14)), QRectF(20, 0, 180, 14));
    // A band whose bottom lies on the height is used; one below it is not.
    EXPECT_EQ(container.lineFragmentRectForProposedRect(QRectF(0, 86, 50, 14)), QRectF(0, 86, 200, 14));
    EXPECT_TRUE(container.lineFragmentRectForProposedRect(QRectF(0, 87, 50, 14)).isEmpty());
    // With no interface a zero height is answered widened, with one it is refused.
    EXPECT_EQ(container.lineFragmentRectForProposedRect(QRectF(0, 0, 50, 0)), QRectF(0, 0, 200, 0));
    Outlines none;
    container.setFTComponentsInterface(&none);
    EXPECT_TRUE(container.lineFragmentRectForProposedRect(QRectF(0, 0, 50, 0)).isNull());
}

struct WrapCase
{
    const char *name;
    QPainterPath outline;
    textWrap wrap;
    QRectF proposed;
    QRectF expected;
};

class CCTextExtContainerWrapTest : public testing::TestWithParam<WrapCase>
{
};

TEST_P(CCTextExtContainerWrapTest, LineBesideTheOutline)
{
    Outlines outlines;
    outlines.add(GetParam().outline, GetParam().wrap);
    CCTextExtContainer container(QSizeF(300, 200), &outlines);
    container.setOriginX(100);
    container.setOriginY(50);
    const QRectF line = container.lineFragmentRectForProposedRect(GetParam().proposed);
    EXPECT_NEAR(line.x(), GetParam().expected.x(), 0.3);
    EXPECT_NEAR(line.y(), GetParam().expected.y(), 0.01);
    EXPECT_NEAR(line.width(), GetParam().expected.width(), 0.3);
    EXPECT_NEAR(line.height(), GetParam().expected.height(), 0.01);
}

// The container lies at (100, 50), 300 x 200; outlines are in page coordinates.
INSTANTIATE_TEST_SUITE_P(
    Cases, CCTextExtContainerWrapTest,
    testing::Values(
        // Text right of a rectangle from x 100 to 180: the line starts at its right side.
        WrapCase {"RectangleTextOnRight", rectangle(100, 40, 80, 60), twTextOnRight, {0, 0, 300, 14}, {80, 0, 220, 14}},
        // Text left of a rectangle from x 250 on: the line ends there.
        WrapCase {"RectangleTextOnLeft", rectangle(250, 40, 100, 60), twTextOnLeft, {0, 0, 300, 14}, {0, 0, 150, 14}},
        // Above and below: the band meeting the rectangle (to y 100) goes below it, line by line.
        WrapCase {"RectangleAboveAndBelow", rectangle(150, 40, 80, 60), twTextAboveAndBelow, {0, 0, 300, 14},
                  {0, 56, 300, 14}},
        // A circle of radius 40 about (140, 70): the band from y 50 to 64 is crossed up to x ~ 179.
        WrapCase {"CircleTextOnRight", circle(140, 70, 40), twTextOnRight, {0, 0, 300, 14},
                  {79.55, 0, 220.45, 14}},
        // Only 40 points remain left of a rectangle at x 140: refused until the band is below it.
        WrapCase {"FortyPointsAreNotEnough", rectangle(140, 50, 200, 30), twTextOnLeft, {0, 0, 300, 14},
                  {0, 42, 300, 14}}),
    [](const testing::TestParamInfo<WrapCase> &info) { return std::string(info.param.name); });

TEST(CCTextExtContainerTest, MostSpaceOutlinesTakeTheSideWithRoomAndAreSetBack)
{
    Outlines outlines;
    // Touching the left edge: the text goes right of it.
    outlines.add(rectangle(90, 50, 60, 40), twMostSpace);
    CCTextExtContainer container(QSizeF(300, 200), &outlines);
    container.setOriginX(100);
    container.setOriginY(50);
    const QRectF line = container.lineFragmentRectForProposedRect(QRectF(0, 0, 300, 14));
    EXPECT_NEAR(line.x(), 50.0, 0.01);
    EXPECT_EQ(outlines.at(0)->getWrapType(), twMostSpace);
}

TEST(CCTextExtContainerTest, TextOnLeftOfATextOnRightOutlineLeavesNoRoom)
{
    Outlines outlines;
    outlines.add(rectangle(120, 50, 20, 20), twTextOnLeft);
    outlines.add(rectangle(200, 50, 30, 20), twTextOnRight);
    CCTextExtContainer container(QSizeF(300, 200), &outlines);
    container.setOriginX(100);
    container.setOriginY(50);
    // The band from 0 to 14 has no room between them; the next band below both is used.
    const QRectF line = container.lineFragmentRectForProposedRect(QRectF(0, 0, 300, 14));
    EXPECT_NEAR(line.y(), 28.0, 0.01);
    EXPECT_NEAR(line.width(), 300.0, 0.01);
}

} // namespace
