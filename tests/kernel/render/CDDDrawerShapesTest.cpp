#include "kernel/render/CDDDrawer.h"

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
    for (qsizetype i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(QLineF(actual[i], expected[i]).length(), 0, 1e-4) << "corner " << i;
}

bool isFinite(const PWBezierPath &outline)
{
    const QPainterPath &path = outline.path();
    for (int i = 0; i < path.elementCount(); ++i)
        if (!std::isfinite(path.elementAt(i).x) || !std::isfinite(path.elementAt(i).y))
            return false;
    return true;
}

// The geometry of every kind is held by the reference images; here are its limits.
TEST(ShapeOutlineTest, RingHolesAndMoonCrescents)
{
    const PWBezierPath ring = CDDDrawer::PathCircle(0, 0, 100, 60, 0.5);
    EXPECT_EQ(ring.windingRule(), PWBezierPath::WindingRule::EvenOdd);
    EXPECT_EQ(QList<bool>({ring.path().contains(QPointF(50, 30)), ring.path().contains(QPointF(10, 30)), ring.path().contains(QPointF(26, 30))}),
              QList<bool>({false, true, false}));
    // A hole ratio of 1 keeps a ring 0.5 % of the size wide.
    const PWBezierPath thin = CDDDrawer::PathCircle(0, 0, 200, 200, 1.0);
    EXPECT_TRUE(thin.path().contains(QPointF(0.2, 100)) && !thin.path().contains(QPointF(0.8, 100)));
    const PWBezierPath half = CDDDrawer::PathMoon(0, 0, 50, 100, 0.05);
    EXPECT_EQ(half.path().boundingRect(), QRectF(0, 0, 50, 100));
    EXPECT_TRUE(half.path().contains(QPointF(40, 50)));
    // Below 0.1 every thinness gives the same half ellipse.
    EXPECT_EQ(CDDDrawer::PathMoon(0, 0, 50, 100, 0.09).path(), half.path());
    const PWBezierPath zero = CDDDrawer::PathMoon(0, 0, 50, 100, 0.0);
    EXPECT_TRUE(zero.path().contains(QPointF(40, 50)));
    EXPECT_EQ(zero.path().boundingRect(), half.path().boundingRect());
    // From 0.1 on the inner arc cuts the crescent out of the half ellipse.
    const PWBezierPath crescent = CDDDrawer::PathMoon(0, 0, 50, 100, 0.1);
    EXPECT_TRUE(crescent.path().contains(QPointF(5, 50)) && !crescent.path().contains(QPointF(46, 50)));
    // A thinness of 1 leaves a hairline crescent, and beyond 1 the same.
    const PWBezierPath hairline = CDDDrawer::PathMoon(0, 0, 50, 100, 1.0);
    EXPECT_FALSE(hairline.path().contains(QPointF(5, 50)));
    EXPECT_TRUE(isFinite(CDDDrawer::PathMoon(0, 0, 50, 100, 1.7)));
    EXPECT_EQ(CDDDrawer::PathMoon(0, 0, 50, 100, 1.7).path(), hairline.path());
}

// Every builder with its extra arguments, for the degenerate-size checks.
struct NamedBuilder
{
    const char *name;
    std::function<PWBezierPath(double, double, double, double)> build;
};

std::vector<NamedBuilder> allBuilders()
{
    using D = CDDDrawer;
    return {{"Rect", [](double x, double y, double w, double h) { return D::PathRect(x, y, w, h); }},
        {"Line", [](double x, double y, double w, double h) { return D::PathLine(x, y, w, h); }},
        {"Polygon", [](double x, double y, double w, double h) { return D::PathPolygon(x, y, w, h, 0, 6); }},
        {"Circle", [](double x, double y, double w, double h) { return D::PathCircle(x, y, w, h, 0.5); }},
        {"Rounded", [](double x, double y, double w, double h) { return D::PathRoundedRectangle(x, y, w, h, 0.5); }},
        {"Triangle", [](double x, double y, double w, double h) { return D::PathTriangle(x, y, w, h, 1, 1); }},
        {"Octagon", [](double x, double y, double w, double h) { return D::PathOctagon(x, y, w, h); }},
        {"Hexagon", [](double x, double y, double w, double h) { return D::PathHexagon(x, y, w, h); }},
        {"Cross", [](double x, double y, double w, double h) { return D::PathCross(x, y, w, h); }},
        {"Arrow", [](double x, double y, double w, double h) { return D::PathArrow(x, y, w, h); }},
        {"TwoWayArrow", [](double x, double y, double w, double h) { return D::PathTwoWayArrow(x, y, w, h); }},
        {"Trapezoid", [](double x, double y, double w, double h) { return D::PathTrapezoid(x, y, w, h, 0.3); }},
        {"Moon", [](double x, double y, double w, double h) { return D::PathMoon(x, y, w, h, 0.5); }},
        {"Star", [](double x, double y, double w, double h) { return D::PathStar(x, y, w, h, 0.4, 5); }},
        {"Cloud", [](double x, double y, double w, double h) { return D::PathCloud(x, y, w, h); }},
        {"Callout", [](double x, double y, double w, double h) { return D::PathCallout(x, y, w, h); }},
        {"Wave", [](double x, double y, double w, double h) { return D::PathWave(x, y, w, h); }}};
}

TEST(ShapeOutlineTest, DegenerateSizesNeverGiveNonFiniteCoordinates)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const QList<QRectF> sizes {{5, 5, 0, 0}, {5, 5, 40, 0}, {5, 5, 0, 40}, {5, 5, -40, 30}, {5, 5, 40, -30}, {5, 5, -40, -30}};
    for (const NamedBuilder &builder : allBuilders()) {
        for (const QRectF &r : sizes) {
            const PWBezierPath outline = builder.build(r.x(), r.y(), r.width(), r.height());
            EXPECT_TRUE(isFinite(outline)) << builder.name << " " << r.width() << " x " << r.height();
        }
        // Non-finite arguments give an empty outline.
        EXPECT_TRUE(builder.build(nan, 0, 10, 10).path().isEmpty()) << builder.name;
        EXPECT_TRUE(builder.build(0, 0, inf, 10).path().isEmpty()) << builder.name;
    }
}

TEST(ShapeOutlineTest, OutlinesScaledByTheHeightFallBackToTheRectangleAndCountsBelowOneToNothing)
{
    const QStringList scaled = {QStringLiteral("Polygon"), QStringLiteral("Moon"), QStringLiteral("Star"),
                                QStringLiteral("Cloud"), QStringLiteral("Callout")};
    for (const NamedBuilder &builder : allBuilders()) {
        if (!scaled.contains(QLatin1String(builder.name)))
            continue;
        EXPECT_EQ(builder.build(5, 5, 40, 0).path(), CDDDrawer::PathRect(5, 5, 40, 0).path()) << builder.name;
        EXPECT_EQ(builder.build(5, 5, -40, 30).path(), CDDDrawer::PathRect(5, 5, -40, 30).path()) << builder.name;
    }
    EXPECT_TRUE(CDDDrawer::PathPolygon(0, 0, 10, 10, 0, 0).path().isEmpty() && CDDDrawer::PathPolygon(0, 0, 10, 10, 0, -3).path().isEmpty());
    EXPECT_TRUE(CDDDrawer::PathStar(0, 0, 10, 10, 0.5, 0).path().isEmpty() && CDDDrawer::PathStar(0, 0, 10, 10, 0.5, -1).path().isEmpty());
    // One side is a single point, two sides a line: finite, and drawn as such.
    EXPECT_EQ(corners(CDDDrawer::PathPolygon(0, 0, 10, 10, 0, 1)).size(), 1);
    expectCorners(CDDDrawer::PathPolygon(0, 0, 10, 10, 0, 2), { { 5, 0 }, { 5, 10 } });
    // An unknown triangle direction gives a single point.
    expectCorners(CDDDrawer::PathTriangle(10, 20, 40, 60, 4, 0), {{0, 0}});
}

} // namespace
