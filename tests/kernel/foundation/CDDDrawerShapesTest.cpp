#include "kernel/foundation/CDDDrawer.h"

#include "platform/PWBezierPath.h"

#include <QPolygonF>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace {

// The corners of a straight-edged outline in path order, without the closing repeat of the first.
QPolygonF corners(const PWBezierPath &outline)
{
    QPolygonF points;
    const QPainterPath &path = outline.path();
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        EXPECT_TRUE(e.isMoveTo() || e.isLineTo()) << "element " << i << " is a curve";
        points << QPointF(e.x, e.y);
    }
    if (points.size() > 1 && points.first() == points.last())
        points.removeLast();
    return points;
}

void expectCorners(const PWBezierPath &outline, const QPolygonF &expected)
{
    const QPolygonF actual = corners(outline);
    ASSERT_EQ(actual.size(), expected.size()) << "corner count";
    for (qsizetype i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(actual[i].x(), expected[i].x(), 1e-4) << "corner " << i;
        EXPECT_NEAR(actual[i].y(), expected[i].y(), 1e-4) << "corner " << i;
    }
}

bool isFinite(const PWBezierPath &outline)
{
    const QPainterPath &path = outline.path();
    for (int i = 0; i < path.elementCount(); ++i) {
        if (!std::isfinite(path.elementAt(i).x) || !std::isfinite(path.elementAt(i).y))
            return false;
    }
    return true;
}

void expectRectNear(const QRectF &actual, const QRectF &expected, double tolerance = 1e-3)
{
    EXPECT_NEAR(actual.left(), expected.left(), tolerance);
    EXPECT_NEAR(actual.top(), expected.top(), tolerance);
    EXPECT_NEAR(actual.right(), expected.right(), tolerance);
    EXPECT_NEAR(actual.bottom(), expected.bottom(), tolerance);
}

TEST(ShapeOutlineTest, RectangleAndLine)
{
    expectCorners(CDDDrawer::PathRect(10, 20, 30, 40), { { 10, 20 }, { 40, 20 }, { 40, 60 }, { 10, 60 } });
    const PWBezierPath line = CDDDrawer::PathLine(10, 20, 30, 40);
    // The line is open: filling it covers nothing.
    ASSERT_EQ(line.path().elementCount(), 2);
    EXPECT_EQ(line.path().elementAt(1).x, 40.0);
    EXPECT_EQ(line.path().elementAt(1).y, 60.0);
    EXPECT_FALSE(line.path().contains(QPointF(25, 40)));
}

TEST(ShapeOutlineTest, RegularPolygons)
{
    // A square rectangle: four sides make a diamond on the edge middles.
    expectCorners(CDDDrawer::PathPolygon(0, 0, 100, 100, 0.7, 4), { { 50, 0 }, { 100, 50 }, { 50, 100 }, { 0, 50 } });
    // A pentagon has a corner at the middle of the top edge.
    const QPolygonF pentagon = corners(CDDDrawer::PathPolygon(0, 0, 100, 100, 0, 5));
    ASSERT_EQ(pentagon.size(), 5);
    EXPECT_NEAR(pentagon[0].x(), 50, 1e-4);
    EXPECT_NEAR(pentagon[0].y(), 0, 1e-4);
    EXPECT_NEAR(pentagon[1].x(), 50 + 50 * std::sin(2 * M_PI / 5), 1e-4);
    // Six sides: a flat top edge from the first corner to the last.
    const QPolygonF hexagon = corners(CDDDrawer::PathPolygon(0, 0, 100, 100, 0, 6));
    ASSERT_EQ(hexagon.size(), 6);
    EXPECT_NEAR(hexagon[0].y(), hexagon[5].y(), 1e-4);
    EXPECT_NEAR(hexagon[0].x(), 75, 1e-4);
    EXPECT_NEAR(hexagon[5].x(), 25, 1e-4);
    // A wide rectangle stretches the corners along x only.
    expectCorners(CDDDrawer::PathPolygon(0, 0, 200, 100, 0, 4), { { 100, 0 }, { 200, 50 }, { 100, 100 }, { 0, 50 } });
    // A triangle: apex at the top middle, the base below the centre.
    const QPolygonF triangle = corners(CDDDrawer::PathPolygon(0, 0, 100, 100, 0, 3));
    EXPECT_NEAR(triangle[0].x(), 50, 1e-4);
    EXPECT_NEAR(triangle[1].y(), 75, 1e-4);
}

TEST(ShapeOutlineTest, OvalAndRing)
{
    const PWBezierPath oval = CDDDrawer::PathCircle(0, 0, 100, 60, 0.0);
    expectRectNear(oval.path().boundingRect(), QRectF(0, 0, 100, 60));
    EXPECT_EQ(oval.windingRule(), PWBezierPath::WindingRule::NonZero);
    EXPECT_TRUE(oval.path().contains(QPointF(50, 30)));

    const PWBezierPath ring = CDDDrawer::PathCircle(0, 0, 100, 60, 0.5);
    EXPECT_EQ(ring.windingRule(), PWBezierPath::WindingRule::EvenOdd);
    EXPECT_FALSE(ring.path().contains(QPointF(50, 30)));
    EXPECT_TRUE(ring.path().contains(QPointF(10, 30)));
    EXPECT_FALSE(ring.path().contains(QPointF(26, 30)));

    // A hole ratio of 1 keeps a ring 0.5 % of the size wide.
    const PWBezierPath thin = CDDDrawer::PathCircle(0, 0, 200, 200, 1.0);
    EXPECT_TRUE(thin.path().contains(QPointF(0.2, 100)));
    EXPECT_FALSE(thin.path().contains(QPointF(0.8, 100)));
}

TEST(ShapeOutlineTest, RoundedRectangle)
{
    // Roundness 0: a plain rectangle of four corners.
    expectCorners(CDDDrawer::PathRoundedRectangle(0, 0, 100, 40, 0.0), { { 0, 40 }, { 0, 0 }, { 100, 0 }, { 100, 40 } });

    const PWBezierPath round = CDDDrawer::PathRoundedRectangle(0, 0, 100, 40, 1.0);
    expectRectNear(round.path().boundingRect(), QRectF(0, 0, 100, 40));
    // Radius 20: the short sides are half circles, the long sides straight from 20 to 80.
    EXPECT_TRUE(round.path().contains(QPointF(50, 1)));
    EXPECT_TRUE(round.path().contains(QPointF(20, 20)));
    EXPECT_FALSE(round.path().contains(QPointF(2, 2)));
    EXPECT_FALSE(round.path().contains(QPointF(98, 38)));
    const double d = 20 - 20 / std::sqrt(2.0);
    EXPECT_TRUE(round.path().contains(QPointF(d + 0.2, d + 0.2)));
    EXPECT_FALSE(round.path().contains(QPointF(d - 0.2, d - 0.2)));
}

struct TriangleCase
{
    const char *name;
    int direction;
    int rightAngle;
    QPolygonF corners;
};

class TriangleTest : public ::testing::TestWithParam<TriangleCase>
{
};

TEST_P(TriangleTest, CornersFollowDirectionAndRightAngle)
{
    const TriangleCase &c = GetParam();
    expectCorners(CDDDrawer::PathTriangle(10, 20, 40, 60, c.direction, c.rightAngle), c.corners);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TriangleTest,
    ::testing::Values(TriangleCase { "ApexUp", 0, 0, { { 30, 20 }, { 10, 80 }, { 50, 80 } } },
                      TriangleCase { "ApexDown", 1, 0, { { 30, 80 }, { 50, 20 }, { 10, 20 } } },
                      TriangleCase { "ApexLeft", 2, 0, { { 10, 50 }, { 50, 80 }, { 50, 20 } } },
                      TriangleCase { "ApexRight", 3, 0, { { 50, 50 }, { 10, 20 }, { 10, 80 } } },
                      TriangleCase { "RightAngleBottomLeft", 0, 1, { { 10, 20 }, { 10, 80 }, { 50, 80 } } },
                      TriangleCase { "RightAngleBottomRight", 1, 7, { { 50, 20 }, { 50, 80 }, { 10, 80 } } },
                      TriangleCase { "RightAngleTopLeft", 2, 1, { { 50, 20 }, { 10, 80 }, { 10, 20 } } },
                      TriangleCase { "RightAngleTopRight", 3, 1, { { 10, 20 }, { 50, 20 }, { 50, 80 } } },
                      TriangleCase { "UnknownDirection", 4, 0, { { 0, 0 } } }),
    [](const ::testing::TestParamInfo<TriangleCase> &info) { return info.param.name; });

TEST(ShapeOutlineTest, StraightEdgedKinds)
{
    expectCorners(CDDDrawer::PathOctagon(0, 0, 80, 40),
                  { { 20, 0 }, { 60, 0 }, { 80, 10 }, { 80, 30 }, { 60, 40 }, { 20, 40 }, { 0, 30 }, { 0, 10 } });
    expectCorners(CDDDrawer::PathHexagon(0, 0, 80, 40),
                  { { 20, 0 }, { 60, 0 }, { 80, 20 }, { 60, 40 }, { 20, 40 }, { 0, 20 } });
    expectCorners(CDDDrawer::PathCross(0, 0, 80, 40), { { 20, 0 }, { 60, 0 }, { 60, 10 }, { 80, 10 }, { 80, 30 },
                                                         { 60, 30 }, { 60, 40 }, { 20, 40 }, { 20, 30 }, { 0, 30 },
                                                         { 0, 10 }, { 20, 10 } });
    expectCorners(CDDDrawer::PathArrow(0, 0, 80, 40),
                  { { 0, 10 }, { 60, 10 }, { 60, 0 }, { 80, 20 }, { 60, 40 }, { 60, 30 }, { 0, 30 } });
    expectCorners(CDDDrawer::PathTwoWayArrow(0, 0, 80, 40), { { 0, 20 }, { 20, 0 }, { 20, 10 }, { 60, 10 }, { 60, 0 },
                                                               { 80, 20 }, { 60, 40 }, { 60, 30 }, { 20, 30 }, { 20, 40 } });
    expectCorners(CDDDrawer::PathTrapezoid(0, 0, 80, 40, 0.5), { { 0, 0 }, { 80, 0 }, { 60, 40 }, { 20, 40 } });
}

TEST(ShapeOutlineTest, Star)
{
    const QPolygonF star = corners(CDDDrawer::PathStar(0, 0, 100, 100, 0.4, 5));
    ASSERT_EQ(star.size(), 10);
    EXPECT_NEAR(star[0].x(), 50, 1e-4);
    EXPECT_NEAR(star[0].y(), 0, 1e-4);
    // The first inner corner lies pi/5 on, at 0.4 of the radius.
    EXPECT_NEAR(star[1].x(), 50 + 20 * std::sin(M_PI / 5), 1e-4);
    EXPECT_NEAR(star[1].y(), 50 - 20 * std::cos(M_PI / 5), 1e-4);
    EXPECT_NEAR(star[2].x(), 50 + 50 * std::sin(2 * M_PI / 5), 1e-4);

    // An inner ratio of 0 puts the inner corners just off the centre.
    const QPolygonF spiky = corners(CDDDrawer::PathStar(0, 0, 100, 100, 0.0, 8));
    ASSERT_EQ(spiky.size(), 16);
    EXPECT_NEAR(std::hypot(spiky[1].x() - 50, spiky[1].y() - 50), 0.25, 1e-4);
}

TEST(ShapeOutlineTest, MoonHalfEllipseAndCrescents)
{
    const PWBezierPath half = CDDDrawer::PathMoon(0, 0, 50, 100, 0.05);
    expectRectNear(half.path().boundingRect(), QRectF(0, 0, 50, 100));
    EXPECT_TRUE(half.path().contains(QPointF(40, 50)));
    // Below 0.1 every thinness gives the same half ellipse.
    EXPECT_EQ(CDDDrawer::PathMoon(0, 0, 50, 100, 0.09).path(), half.path());
    const PWBezierPath zero = CDDDrawer::PathMoon(0, 0, 50, 100, 0.0);
    EXPECT_TRUE(zero.path().contains(QPointF(40, 50)));
    EXPECT_EQ(zero.path().boundingRect(), half.path().boundingRect());

    // From 0.1 on the inner arc cuts the crescent out of the half ellipse.
    const PWBezierPath crescent = CDDDrawer::PathMoon(0, 0, 50, 100, 0.1);
    EXPECT_TRUE(crescent.path().contains(QPointF(5, 50)));
    EXPECT_FALSE(crescent.path().contains(QPointF(46, 50)));
    // m' = 0.271: the inner arc bulges to x = 2w/h * (h/2 + d - R) at mid height.
    const double thin = 1 - std::pow(0.9, 3);
    const double radius = 100 / thin / 2;
    const double inner = (50 + radius * std::cos(std::asin(thin)) - radius);
    EXPECT_FALSE(crescent.path().contains(QPointF(inner + 0.3, 50)));
    EXPECT_TRUE(crescent.path().contains(QPointF(inner - 0.3, 50)));

    // A thinness of 1 leaves a hairline crescent, and beyond 1 the same.
    const PWBezierPath hairline = CDDDrawer::PathMoon(0, 0, 50, 100, 1.0);
    EXPECT_FALSE(hairline.path().contains(QPointF(5, 50)));
    EXPECT_TRUE(isFinite(CDDDrawer::PathMoon(0, 0, 50, 100, 1.7)));
    EXPECT_EQ(CDDDrawer::PathMoon(0, 0, 50, 100, 1.7).path(), hairline.path());
}

TEST(ShapeOutlineTest, CloudCalloutAndWave)
{
    expectRectNear(CDDDrawer::PathCloud(0, 0, 100, 100).path().boundingRect(), QRectF(28.35, 0, 71.65, 37.5), 0.01);
    expectRectNear(CDDDrawer::PathCloud(10, 10, 200, 100).path().boundingRect(), QRectF(66.7, 10, 143.3, 37.5), 0.01);

    const PWBezierPath callout = CDDDrawer::PathCallout(0, 0, 200, 100);
    expectRectNear(callout.path().boundingRect(), QRectF(0, 0, 200, 100));
    // The tail reaches the bottom-left corner.
    EXPECT_TRUE(callout.path().contains(QPointF(3, 97)));
    EXPECT_TRUE(callout.path().contains(QPointF(100, 50)));
    EXPECT_FALSE(callout.path().contains(QPointF(180, 95)));

    const PWBezierPath wave = CDDDrawer::PathWave(0, 0, 100, 100);
    const QRectF controls = wave.path().controlPointRect();
    // Control points reach b * h / 2 outside the rectangle.
    EXPECT_NEAR(controls.top(), -24.5, 1e-4);
    EXPECT_NEAR(controls.bottom(), 124.5, 1e-4);
    EXPECT_NEAR(wave.path().elementAt(0).y, 9.9, 1e-4);
    EXPECT_TRUE(wave.path().contains(QPointF(50, 50)));
}

// Every builder with its extra arguments, for the degenerate-size checks.
struct Builder
{
    const char *name;
    std::function<PWBezierPath(double, double, double, double)> build;
};

std::vector<Builder> allBuilders()
{
    using D = CDDDrawer;
    return {
        { "Rect", [](double x, double y, double w, double h) { return D::PathRect(x, y, w, h); } },
        { "Line", [](double x, double y, double w, double h) { return D::PathLine(x, y, w, h); } },
        { "Polygon", [](double x, double y, double w, double h) { return D::PathPolygon(x, y, w, h, 0, 6); } },
        { "Circle", [](double x, double y, double w, double h) { return D::PathCircle(x, y, w, h, 0.5); } },
        { "Rounded", [](double x, double y, double w, double h) { return D::PathRoundedRectangle(x, y, w, h, 0.5); } },
        { "Triangle", [](double x, double y, double w, double h) { return D::PathTriangle(x, y, w, h, 1, 1); } },
        { "Octagon", [](double x, double y, double w, double h) { return D::PathOctagon(x, y, w, h); } },
        { "Hexagon", [](double x, double y, double w, double h) { return D::PathHexagon(x, y, w, h); } },
        { "Cross", [](double x, double y, double w, double h) { return D::PathCross(x, y, w, h); } },
        { "Arrow", [](double x, double y, double w, double h) { return D::PathArrow(x, y, w, h); } },
        { "TwoWayArrow", [](double x, double y, double w, double h) { return D::PathTwoWayArrow(x, y, w, h); } },
        { "Trapezoid", [](double x, double y, double w, double h) { return D::PathTrapezoid(x, y, w, h, 0.3); } },
        { "Moon", [](double x, double y, double w, double h) { return D::PathMoon(x, y, w, h, 0.5); } },
        { "Star", [](double x, double y, double w, double h) { return D::PathStar(x, y, w, h, 0.4, 5); } },
        { "Cloud", [](double x, double y, double w, double h) { return D::PathCloud(x, y, w, h); } },
        { "Callout", [](double x, double y, double w, double h) { return D::PathCallout(x, y, w, h); } },
        { "Wave", [](double x, double y, double w, double h) { return D::PathWave(x, y, w, h); } },
    };
}

TEST(ShapeOutlineTest, DegenerateSizesNeverGiveNonFiniteCoordinates)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const QList<QRectF> sizes { QRectF(5, 5, 0, 0), QRectF(5, 5, 40, 0), QRectF(5, 5, 0, 40),
                                QRectF(5, 5, -40, 30), QRectF(5, 5, 40, -30), QRectF(5, 5, -40, -30) };
    for (const Builder &builder : allBuilders()) {
        for (const QRectF &r : sizes) {
            const PWBezierPath outline = builder.build(r.x(), r.y(), r.width(), r.height());
            EXPECT_TRUE(isFinite(outline)) << builder.name << " " << r.width() << " x " << r.height();
        }
        // Non-finite arguments give an empty outline.
        EXPECT_TRUE(builder.build(nan, 0, 10, 10).path().isEmpty()) << builder.name;
        EXPECT_TRUE(builder.build(0, 0, inf, 10).path().isEmpty()) << builder.name;
    }
}

TEST(ShapeOutlineTest, OutlinesScaledByTheHeightFallBackToTheRectangle)
{
    for (const char *name : { "Polygon", "Moon", "Star", "Cloud", "Callout" }) {
        for (const Builder &builder : allBuilders()) {
            if (std::string(builder.name) != name)
                continue;
            EXPECT_EQ(builder.build(5, 5, 40, 0).path(), CDDDrawer::PathRect(5, 5, 40, 0).path()) << name;
            EXPECT_EQ(builder.build(5, 5, -40, 30).path(), CDDDrawer::PathRect(5, 5, -40, 30).path()) << name;
        }
    }
}

TEST(ShapeOutlineTest, CountsBelowOneGiveNoOutline)
{
    EXPECT_TRUE(CDDDrawer::PathPolygon(0, 0, 10, 10, 0, 0).path().isEmpty());
    EXPECT_TRUE(CDDDrawer::PathPolygon(0, 0, 10, 10, 0, -3).path().isEmpty());
    EXPECT_TRUE(CDDDrawer::PathStar(0, 0, 10, 10, 0.5, 0).path().isEmpty());
    EXPECT_TRUE(CDDDrawer::PathStar(0, 0, 10, 10, 0.5, -1).path().isEmpty());
    // One side is a single point, two sides a line: finite, and drawn as such.
    EXPECT_EQ(corners(CDDDrawer::PathPolygon(0, 0, 10, 10, 0, 1)).size(), 1);
    expectCorners(CDDDrawer::PathPolygon(0, 0, 10, 10, 0, 2), { { 5, 0 }, { 5, 10 } });
}

TEST(ShapeOutlineTest, PointsAreSinglePrecision)
{
    const PWBezierPath polygon = CDDDrawer::PathPolygon(0.1, 0.1, 100.3, 70.7, 0, 7);
    const QPainterPath &path = polygon.path();
    for (int i = 0; i < path.elementCount(); ++i) {
        EXPECT_EQ(path.elementAt(i).x, static_cast<double>(static_cast<float>(path.elementAt(i).x)));
        EXPECT_EQ(path.elementAt(i).y, static_cast<double>(static_cast<float>(path.elementAt(i).y)));
    }
}

} // namespace
