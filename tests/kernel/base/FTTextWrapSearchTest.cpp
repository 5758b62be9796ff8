#include "kernel/base/FTTextWrapSearch.h"

#include "kernel/base/CDDWrappingPath.h"
#include "platform/PWBezierPath.h"

#include <QPolygonF>
#include <QTransform>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

TEST(FTTextWrapSearchTest, DistancesMeetingsCrossPointsAndPointsOnALine)
{
    EXPECT_DOUBLE_EQ(getDistance(QPointF(1, 1), QPointF(4, 5)), 5.0);
    EXPECT_DOUBLE_EQ(distBetweenPointAndLine(QPointF(3, 4), QPointF(0, 0), QPointF(10, 0)), 4.0);
    EXPECT_DOUBLE_EQ(distBetweenPointAndLine(QPointF(20, 4), QPointF(0, 0), QPointF(10, 0)), 4.0);
    // A line through one point only: the distance to that point.
    EXPECT_DOUBLE_EQ(distBetweenPointAndLine(QPointF(3, 4), QPointF(0, 0), QPointF(0, 0)), 5.0);
    EXPECT_TRUE(areLinesIntersected(QPointF(5, 0), QPointF(5, 10), QPointF(5, 5), QPointF(5, 20)));
    EXPECT_FALSE(areLinesIntersected(QPointF(5, 0), QPointF(5, 10), QPointF(6, 5), QPointF(6, 20)));
    EXPECT_FALSE(areLinesIntersected(QPointF(5, 0), QPointF(5, 10), QPointF(5, 10), QPointF(5, 20)));
    EXPECT_FALSE(areLinesIntersected(QPointF(5, 0), QPointF(5, 10), QPointF(5, 11), QPointF(5, 20)));
    // Other pairs follow the plain segment test.
    EXPECT_TRUE(areLinesIntersected(QPointF(0, 0), QPointF(10, 10), QPointF(0, 10), QPointF(10, 0)));
    EXPECT_FALSE(areLinesIntersected(QPointF(0, 0), QPointF(10, 0), QPointF(0, 1), QPointF(10, 1)));
    QPointF out(-1, -1);
    ASSERT_TRUE(getLinesCrossPoint(out, QPointF(0, 0), QPointF(10, 10), QPointF(0, 10), QPointF(10, 0)));
    EXPECT_NEAR(QLineF(out, QPointF(5, 5)).length(), 0, 1e-5) << "computed in single precision";
    ASSERT_TRUE(getLinesCrossPoint(out, QPointF(3, -5), QPointF(3, 5), QPointF(0, 1), QPointF(10, 2)));
    EXPECT_NEAR(QLineF(out, QPointF(3, 1.3)).length(), 0, 1e-5);
    ASSERT_TRUE(getLinesCrossPoint(out, QPointF(0, 1), QPointF(10, 2), QPointF(7, -5), QPointF(7, 5)));
    EXPECT_NEAR(QLineF(out, QPointF(7, 1.7)).length(), 0, 1e-5);
    out = QPointF(-1, -1);
    EXPECT_FALSE(getLinesCrossPoint(out, QPointF(0, 0), QPointF(0, 5), QPointF(3, 0), QPointF(3, 5)));
    // Slopes 0.5 and 0.5009 count as parallel.
    EXPECT_FALSE(getLinesCrossPoint(out, QPointF(0, 0), QPointF(10, 5), QPointF(0, 1), QPointF(10, 6.009)));
    EXPECT_EQ(out, QPointF(-1, -1));
    EXPECT_TRUE(isPointOnLine(QPointF(0, 0), QPointF(1, 1), QPointF(10, 10)));
    EXPECT_TRUE(isPointOnLine(QPointF(0, 0), QPointF(1, 2), QPointF(-3, -6)));
    EXPECT_FALSE(isPointOnLine(QPointF(0, 0), QPointF(1, 1), QPointF(10, 12)));
    // Far off the line the two ratios differ by a large negative amount: the difference counts
    // by its size, not its sign.
    EXPECT_FALSE(isPointOnLine(QPointF(0, 0), QPointF(1, 1), QPointF(10, 0)));
    // Lines along an axis through p are answered without dividing by zero.
    EXPECT_TRUE(isPointOnLine(QPointF(2, 0), QPointF(2, 5), QPointF(2, -7)));
    EXPECT_FALSE(isPointOnLine(QPointF(2, 0), QPointF(2, 5), QPointF(3, -7)));
    EXPECT_TRUE(isPointOnLine(QPointF(0, 4), QPointF(5, 4), QPointF(-9, 4)));
    EXPECT_FALSE(isPointOnLine(QPointF(0, 4), QPointF(5, 4), QPointF(-9, 5)));
    EXPECT_TRUE(isPointOnLine(QPointF(1, 1), QPointF(1, 1), QPointF(8, -3)));
}

// A text line 200 points long and 20 high at the top-left of the frame, optionally turned about
// centre by angle; outlines are given unturned and turned the same way.
class LineSearch : public ::testing::Test
{
protected:
    void turnScene(double angle, QPointF centre)
    {
        m_turn = QTransform();
        m_turn.translate(centre.x(), centre.y());
        m_turn.rotateRadians(angle);
        m_turn.translate(-centre.x(), -centre.y());
        m_line.angle = angle;
        m_line.centre = centre;
    }
    FTTextLineBand band()
    {
        QPainterPath bandPath;
        bandPath.addRect(0, 0, 200, 20);
        m_band = std::make_unique<PWBezierPath>(m_turn.map(bandPath));
        m_line.p1 = m_turn.map(QPointF(0, 0));
        m_line.p2 = m_turn.map(QPointF(0, 20));
        m_line.p3 = m_turn.map(QPointF(200, 0));
        m_line.p4 = m_turn.map(QPointF(200, 20));
        m_line.band = m_band.get();
        return m_line;
    }
    CDDWrappingPath *outline(const QPolygonF &polygon, textWrap wrap)
    {
        QPainterPath path;
        path.addPolygon(polygon);
        path.closeSubpath();
        m_outlines.push_back(std::make_unique<CDDWrappingPath>(std::make_shared<PWBezierPath>(m_turn.map(path)), wrap, 0.0, 0.0, false, false));
        return m_outlines.back().get();
    }
    static QPolygonF rect(double x, double y, double w, double h) { return QPolygonF(QRectF(x, y, w, h)); }
    QTransform m_turn;
    FTTextLineBand m_line;
    std::unique_ptr<PWBezierPath> m_band;
    std::vector<std::unique_ptr<CDDWrappingPath>> m_outlines;
};

TEST_F(LineSearch, OnlyWrappingOutlinesLimitTheLineFromTheirTextSideButNeverBelowNoWidth)
{
    EXPECT_EQ(getLeftProposedOriginLimitX({}, band()), 0.0);
    EXPECT_EQ(getProposedSizeLimitX(0.0, 150.0, {}, band()), 150.0);
    std::vector<CDDWrappingPath *> paths {outline(rect(50, -10, 30, 40), twNoWrap), outline(rect(120, -10, 30, 40), twMostSpace)};
    EXPECT_EQ(getLeftProposedOriginLimitX(paths, band()), 0.0);
    EXPECT_EQ(getProposedSizeLimitX(0.0, 500.0, paths, band()), 200.0);
    // Each search heeds only the objects with text on its side.
    std::vector<CDDWrappingPath *> right {outline(rect(50, -10, 30, 40), twTextOnRight)};
    EXPECT_EQ(getLeftProposedOriginLimitX(right, band()), 80.0);
    EXPECT_EQ(getProposedSizeLimitX(0.0, 500.0, right, band()), 200.0);
    std::vector<CDDWrappingPath *> left {outline(rect(120, -10, 30, 40), twTextOnLeft)};
    EXPECT_EQ(QList<double>({getProposedSizeLimitX(10.0, 500.0, left, band()), getProposedSizeLimitX(10.0, 50.0, left, band()),
                             getLeftProposedOriginLimitX(left, band())}), QList<double>({110, 50, 0}));
    // The nearest crossing lies left of the line's origin.
    std::vector<CDDWrappingPath *> behind {outline(rect(20, -10, 10, 40), twTextOnLeft)};
    EXPECT_EQ(getProposedSizeLimitX(50.0, 500.0, behind, band()), 0.0);
}

TEST_F(LineSearch, AboveAndBelowRemovesTheLineItCrossesWhollyAndNarrowsItAtOneEdge)
{
    std::vector<CDDWrappingPath *> paths { outline(rect(50, -10, 30, 40), twTextAboveAndBelow) };
    EXPECT_EQ(getLeftProposedOriginLimitX(paths, band()), kNoRoomOriginX);
    EXPECT_EQ(getProposedSizeLimitX(0.0, 500.0, paths, band()), 0.0);
    // A triangle over the band's top-left corner, crossing its top edge at x = 16 and its left
    // end, with no corner inside the band.
    const QPolygonF triangle({ QPointF(-50, -10), QPointF(60, -10), QPointF(-50, 15) });
    std::vector<CDDWrappingPath *> aboveBelow { outline(triangle, twTextAboveAndBelow) };
    std::vector<CDDWrappingPath *> right { outline(triangle, twTextOnRight) };
    EXPECT_NEAR(getLeftProposedOriginLimitX(aboveBelow, band()), 16.0, 1e-4);
    EXPECT_NEAR(getLeftProposedOriginLimitX(right, band()), 16.0, 1e-4);
}

TEST_F(LineSearch, OutlinesOverTheEndLeaveNoRoomAndSeveralTakeTheTightestLimit)
{
    std::vector<CDDWrappingPath *> overRightEnd { outline(rect(199, -5, 50, 30), twTextOnRight) };
    EXPECT_EQ(getLeftProposedOriginLimitX(overRightEnd, band()), kNoRoomOriginX);
    std::vector<CDDWrappingPath *> overLeftEnd { outline(rect(-10, -5, 20, 30), twTextOnLeft) };
    EXPECT_EQ(getProposedSizeLimitX(0.0, 500.0, overLeftEnd, band()), 0.0);
    std::vector<CDDWrappingPath *> paths {outline(rect(30, -10, 10, 40), twTextOnRight), outline(rect(60, -10, 10, 40), twTextOnRight),
                                          outline(rect(150, -10, 10, 40), twTextOnLeft), outline(rect(120, -10, 10, 40), twTextOnLeft)};
    EXPECT_FLOAT_EQ(getLeftProposedOriginLimitX(paths, band()), 70.0f);
    EXPECT_FLOAT_EQ(getProposedSizeLimitX(70.0, 500.0, paths, band()), 50.0f);
}

TEST_F(LineSearch, ATurnedFrameAnswersInItsOwnCoordinates)
{
    turnScene(0.3, QPointF(100, 60));
    std::vector<CDDWrappingPath *> right { outline(rect(50, -10, 30, 40), twTextOnRight) };
    std::vector<CDDWrappingPath *> left { outline(rect(120, -10, 30, 40), twTextOnLeft) };
    EXPECT_NEAR(getLeftProposedOriginLimitX(right, band()), 80.0, 1e-3);
    EXPECT_NEAR(getProposedSizeLimitX(10.0, 500.0, left, band()), 110.0, 1e-3);
}

TEST(FTTextWrapSearchTest, MostSpaceWrapIsSetOnEveryOutline)
{
    CDDWrappingPath a, b;
    b.setWrapType(twTextOnLeft);
    setMostSpaceWrapForPaths({&a, nullptr, &b});
    EXPECT_EQ(QList<int>({a.getWrapType(), b.getWrapType()}), QList<int>({twMostSpace, twMostSpace}));
}

} // namespace
