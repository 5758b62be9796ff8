#include "platform/PWBezierPath.h"

#include <gtest/gtest.h>

namespace {

TEST(PWBezierPathTest, WindingRuleIsTheFillRuleOfThePathAndSurvivesNewGeometry)
{
    QPainterPath ring;
    ring.addEllipse(0, 0, 100, 100);
    ring.addEllipse(25, 25, 50, 50);
    PWBezierPath path(ring);
    EXPECT_EQ(path.windingRule(), PWBezierPath::WindingRule::NonZero);
    EXPECT_TRUE(path.path().contains(QPointF(50, 50)));
    path.setWindingRule(PWBezierPath::WindingRule::EvenOdd);
    EXPECT_EQ(path.path().fillRule(), Qt::OddEvenFill);
    EXPECT_FALSE(path.path().contains(QPointF(50, 50)));
    path.setPath(ring);
    EXPECT_EQ(path.windingRule(), PWBezierPath::WindingRule::EvenOdd);
    EXPECT_FALSE(path.path().contains(QPointF(50, 50)));
    EXPECT_EQ(PWBezierPath(ring, PWBezierPath::WindingRule::EvenOdd).path().fillRule(), Qt::OddEvenFill);
}

TEST(PWBezierPathTest, PenCarriesWidthCapJoinAndDashesInPoints)
{
    PWBezierPath path;
    path.setLineWidth(2.0f);
    path.setLineCapStyle(PWBezierPath::LineCap::Round);
    path.setLineJoinStyle(PWBezierPath::LineJoin::Bevel);
    path.setLineDash({6.0f, 4.0f}, 2.0f);
    QPen expected(QBrush(Qt::red), 2.0, Qt::CustomDashLine, Qt::RoundCap, Qt::BevelJoin);
    expected.setDashPattern({3.0, 2.0}); // Qt counts dashes in line widths
    expected.setDashOffset(1.0);
    EXPECT_EQ(path.pen(Qt::red), expected);
}

TEST(PWBezierPathTest, OddDashPatternRepeatsAndHairlineDashesStayInPoints)
{
    PWBezierPath path;
    path.setLineWidth(0.0f);
    path.setLineDash({5.0f}, 0.0f);
    const QPen pen = path.pen(Qt::black);
    EXPECT_EQ(pen.dashPattern(), (QList<qreal> {5.0, 5.0}));
    path.setLineDash({}, 0.0f);
    EXPECT_EQ(path.pen(Qt::black).style(), Qt::SolidLine);
}

} // namespace
