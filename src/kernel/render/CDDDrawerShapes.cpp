// The outline of every shape kind, in the shape's own unrotated, unflipped frame.

#include "kernel/render/CDDDrawer.h"

#include "kernel/render/CDDDrawerSupport.h"
#include "kernel/base/FTGeometry.h"
#include "platform/PWBezierPath.h"

#include <QTransform>

#include <cmath>
#include <initializer_list>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

bool allFinite(std::initializer_list<double> values)
{
    for (double v : values) {
        if (!std::isfinite(v))
            return false;
    }
    return true;
}

// Outlines that scale by the height (or divide by it) need a real area to be drawn in.
bool hasArea(double width, double height)
{
    return width > 0.0 && height > 0.0;
}

PWBezierPath finished(QPainterPath path, PWBezierPath::WindingRule rule = PWBezierPath::WindingRule::NonZero)
{
    drawsupport::roundToSinglePrecision(path);
    return PWBezierPath(path, rule);
}

PWBezierPath polygon(std::initializer_list<QPointF> vertices)
{
    QPainterPath path;
    bool first = true;
    for (const QPointF &v : vertices) {
        if (first)
            path.moveTo(v);
        else
            path.lineTo(v);
        first = false;
    }
    path.lineTo(*vertices.begin());
    path.closeSubpath();
    return finished(path);
}

// Vertices on the ellipse of the rectangle: the point (cx, startY) turned about the centre by
// firstTurn and then step by step, each with its x distance from the centre scaled by
// width / height afresh (the turn itself happens on a circle of the height's size).
class EllipseWalk
{
public:
    EllipseWalk(double cx, double cy, double startY, double xScale, double firstTurn)
        : m_cx(cx)
        , m_cy(cy)
        , m_x(cx)
        , m_y(startY)
        , m_xScale(xScale)
    {
        rotatePoint(&m_x, &m_y, firstTurn, m_cx, m_cy);
    }

    QPointF vertex() const { return QPointF(m_cx + (m_x - m_cx) * m_xScale, m_y); }
    void turn(double angle) { rotatePoint(&m_x, &m_y, angle, m_cx, m_cy); }

private:
    double m_cx;
    double m_cy;
    double m_x;
    double m_y;
    double m_xScale;
};

// A frame built for the height alone, stretched to the width and moved onto the rectangle.
PWBezierPath mappedFromHeightFrame(QPainterPath frame, double x, double y, double xScale)
{
    drawsupport::roundToSinglePrecision(frame);
    QTransform map;
    map.translate(x, y);
    map.scale(xScale, 1.0);
    return finished(map.map(frame));
}

} // namespace

PWBezierPath CDDDrawer::PathRect(double x, double y, double width, double height)
{
    if (!allFinite({ x, y, width, height }))
        return PWBezierPath();
    QPainterPath path;
    path.addRect(x, y, width, height);
    return finished(path);
}

PWBezierPath CDDDrawer::PathLine(double x, double y, double width, double height)
{
    if (!allFinite({ x, y, width, height }))
        return PWBezierPath();
    QPainterPath path;
    path.moveTo(x, y);
    path.lineTo(x + width, y + height);
    return finished(path);
}

PWBezierPath CDDDrawer::PathPolygon(double x, double y, double width, double height, double, int sides)
{
    if (!allFinite({ x, y, width, height }) || sides < 1)
        return PWBezierPath();
    if (!hasArea(width, height))
        return PathRect(x, y, width, height);
    const double cx = x + width / 2.0;
    const double cy = y + height / 2.0;
    const double start = (sides % 2 == 0 && sides > 4) ? kPi / sides : 0.0;
    const double step = 2.0 * kPi / sides;
    EllipseWalk walk(cx, cy, y, width / height, start);
    QPainterPath path;
    path.moveTo(walk.vertex());
    for (int k = 1; k < sides; ++k) {
        walk.turn(step);
        path.lineTo(walk.vertex());
    }
    path.closeSubpath();
    return finished(path);
}

PWBezierPath CDDDrawer::PathCircle(double x, double y, double width, double height, double holeRatio)
{
    if (!allFinite({ x, y, width, height, holeRatio }))
        return PWBezierPath();
    QPainterPath path;
    path.addEllipse(QRectF(x, y, width, height));
    if (holeRatio == 0.0)
        return finished(path);
    // A hole as large as the oval would leave nothing to fill.
    const double q = holeRatio == 1.0 ? 0.995 : holeRatio;
    const double cx = x + width / 2.0;
    const double cy = y + height / 2.0;
    path.addEllipse(QRectF(cx - width * q / 2.0, cy - height * q / 2.0, width * q, height * q));
    return finished(path, PWBezierPath::WindingRule::EvenOdd);
}

PWBezierPath CDDDrawer::PathRoundedRectangle(double x, double y, double width, double height, double roundness)
{
    if (!allFinite({ x, y, width, height, roundness }))
        return PWBezierPath();
    const double r = std::min(width, height) / 2.0 * roundness;
    QPainterPath path;
    path.moveTo(x, y + height - r);
    drawsupport::appendTangentArc(path, QPointF(x, y), QPointF(x + r, y), r);
    drawsupport::appendTangentArc(path, QPointF(x + width, y), QPointF(x + width, y + r), r);
    drawsupport::appendTangentArc(path, QPointF(x + width, y + height), QPointF(x + width - r, y + height), r);
    drawsupport::appendTangentArc(path, QPointF(x, y + height), QPointF(x, y + height - r), r);
    path.closeSubpath();
    return finished(path);
}

PWBezierPath CDDDrawer::PathTriangle(double x, double y, double width, double height, int direction,
                                     int rightAngle)
{
    if (!allFinite({ x, y, width, height }))
        return PWBezierPath();
    const double cx = x + width / 2.0;
    const double cy = y + height / 2.0;
    const double r = x + width;
    const double b = y + height;
    if (rightAngle == 0) {
        switch (direction) {
        case 0:
            return polygon({ { cx, y }, { x, b }, { r, b } });
        case 1:
            return polygon({ { cx, b }, { r, y }, { x, y } });
        case 2:
            return polygon({ { x, cy }, { r, b }, { r, y } });
        case 3:
            return polygon({ { r, cy }, { x, y }, { x, b } });
        default:
            break;
        }
    } else {
        switch (direction) {
        case 0:
            return polygon({ { x, y }, { x, b }, { r, b } });
        case 1:
            return polygon({ { r, y }, { r, b }, { x, b } });
        case 2:
            return polygon({ { r, y }, { x, b }, { x, y } });
        case 3:
            return polygon({ { x, y }, { r, y }, { r, b } });
        default:
            break;
        }
    }
    return polygon({ { 0, 0 }, { 0, 0 }, { 0, 0 } });
}

PWBezierPath CDDDrawer::PathOctagon(double x, double y, double width, double height)
{
    if (!allFinite({ x, y, width, height }))
        return PWBezierPath();
    const double w = width;
    const double h = height;
    return polygon({ { x + w / 4, y }, { x + 3 * w / 4, y }, { x + w, y + h / 4 }, { x + w, y + 3 * h / 4 },
                     { x + 3 * w / 4, y + h }, { x + w / 4, y + h }, { x, y + 3 * h / 4 }, { x, y + h / 4 } });
}

PWBezierPath CDDDrawer::PathHexagon(double x, double y, double width, double height)
{
    if (!allFinite({ x, y, width, height }))
        return PWBezierPath();
    const double w = width;
    const double h = height;
    const double cy = y + h / 2;
    return polygon({ { x + w / 4, y }, { x + 3 * w / 4, y }, { x + w, cy }, { x + 3 * w / 4, y + h },
                     { x + w / 4, y + h }, { x, cy } });
}

PWBezierPath CDDDrawer::PathCross(double x, double y, double width, double height)
{
    if (!allFinite({ x, y, width, height }))
        return PWBezierPath();
    const double w = width;
    const double h = height;
    return polygon({ { x + w / 4, y }, { x + 3 * w / 4, y }, { x + 3 * w / 4, y + h / 4 }, { x + w, y + h / 4 },
                     { x + w, y + 3 * h / 4 }, { x + 3 * w / 4, y + 3 * h / 4 }, { x + 3 * w / 4, y + h },
                     { x + w / 4, y + h }, { x + w / 4, y + 3 * h / 4 }, { x, y + 3 * h / 4 }, { x, y + h / 4 },
                     { x + w / 4, y + h / 4 } });
}

PWBezierPath CDDDrawer::PathArrow(double x, double y, double width, double height)
{
    if (!allFinite({ x, y, width, height }))
        return PWBezierPath();
    const double w = width;
    const double h = height;
    return polygon({ { x, y + h / 4 }, { x + 3 * w / 4, y + h / 4 }, { x + 3 * w / 4, y }, { x + w, y + h / 2 },
                     { x + 3 * w / 4, y + h }, { x + 3 * w / 4, y + 3 * h / 4 }, { x, y + 3 * h / 4 } });
}

PWBezierPath CDDDrawer::PathTwoWayArrow(double x, double y, double width, double height)
{
    if (!allFinite({ x, y, width, height }))
        return PWBezierPath();
    const double w = width;
    const double h = height;
    const double cy = y + h / 2;
    return polygon({ { x, cy }, { x + w / 4, y }, { x + w / 4, y + h / 4 }, { x + 3 * w / 4, y + h / 4 },
                     { x + 3 * w / 4, y }, { x + w, cy }, { x + 3 * w / 4, y + h }, { x + 3 * w / 4, y + 3 * h / 4 },
                     { x + w / 4, y + 3 * h / 4 }, { x + w / 4, y + h } });
}

PWBezierPath CDDDrawer::PathTrapezoid(double x, double y, double width, double height, double inset)
{
    if (!allFinite({ x, y, width, height, inset }))
        return PWBezierPath();
    const double cut = inset * width / 2.0;
    return polygon({ { x, y }, { x + width, y }, { x + width - cut, y + height }, { x + cut, y + height } });
}

PWBezierPath CDDDrawer::PathMoon(double x, double y, double width, double height, double thinness)
{
    if (!allFinite({ x, y, width, height, thinness }))
        return PWBezierPath();
    if (!hasArea(width, height))
        return PathRect(x, y, width, height);
    const double h = height;
    // Thinness beyond 1 would put the inner arc's sine out of range; it means the thinnest moon.
    const double m = thinness >= 1.0 ? 0.995 : thinness;

    QPainterPath frame;
    drawsupport::appendArc(frame, QPointF(h / 2, h / 2), h / 2, 90.0, 270.0, true);
    if (m >= 0.1) {
        const double thin = 1.0 - std::pow(1.0 - m, 3.0);
        const float radius = static_cast<float>((h / thin) / 2.0);
        const float alpha = static_cast<float>(std::asin(thin));
        const float offset = static_cast<float>(radius * std::cos(alpha));
        const double alphaDegrees = alpha * 180.0 / kPi;
        drawsupport::appendArc(frame, QPointF(h / 2 + offset, h / 2), radius, 180.0 + alphaDegrees,
                               180.0 - alphaDegrees, false);
    }
    frame.closeSubpath();
    PWBezierPath path = mappedFromHeightFrame(frame, x, y, 2.0 * width / h);
    if (m == 0.0) {
        path.path().lineTo(static_cast<float>(x + width), static_cast<float>(y));
    }
    return path;
}

PWBezierPath CDDDrawer::PathStar(double x, double y, double width, double height, double innerRatio, int points)
{
    if (!allFinite({ x, y, width, height, innerRatio }) || points < 1)
        return PWBezierPath();
    if (!hasArea(width, height))
        return PathRect(x, y, width, height);
    const double q = innerRatio == 0.0 ? 0.005 : innerRatio;
    const double cx = x + width / 2.0;
    const double cy = y + height / 2.0;
    const double step = 2.0 * kPi / points;
    EllipseWalk outer(cx, cy, y, width / height, 0.0);
    EllipseWalk inner(cx, cy, cy - height / 2.0 * q, width / height, kPi / points);
    QPainterPath path;
    path.moveTo(outer.vertex());
    path.lineTo(inner.vertex());
    for (int k = 1; k < points; ++k) {
        outer.turn(step);
        inner.turn(step);
        path.lineTo(outer.vertex());
        path.lineTo(inner.vertex());
    }
    path.closeSubpath();
    return finished(path);
}

PWBezierPath CDDDrawer::PathCloud(double x, double y, double width, double height)
{
    if (!allFinite({ x, y, width, height }))
        return PWBezierPath();
    if (!hasArea(width, height))
        return PathRect(x, y, width, height);
    const double h = height;
    const double lean = std::sqrt(3.0) / 8.0 * h;
    QPainterPath frame;
    frame.moveTo(h / 2 - lean, h / 8);
    drawsupport::appendArc(frame, QPointF(h / 2, h / 4), h / 4, 210.0, 330.0, true);
    // The second bump starts 1.6647 degrees short of its top: an arccosine in radians subtracted
    // from degrees. Designs were laid out with this outline, so it stays.
    drawsupport::appendArc(frame, QPointF(3 * h / 4, h / 4), h / 4, 270.0 - 1.6647, 30.0, true);
    frame.closeSubpath();
    return mappedFromHeightFrame(frame, x, y, width / h);
}

PWBezierPath CDDDrawer::PathCallout(double x, double y, double width, double height)
{
    if (!allFinite({ x, y, width, height }))
        return PWBezierPath();
    if (!hasArea(width, height))
        return PathRect(x, y, width, height);
    const double h = height;
    QPainterPath frame;
    drawsupport::appendArc(frame, QPointF(h / 2, h / 2), h / 2, 146.0, 125.0, true);
    const QPointF first(frame.elementAt(0).x, frame.elementAt(0).y);
    frame.lineTo(0.0, h);
    frame.lineTo(first);
    frame.closeSubpath();
    return mappedFromHeightFrame(frame, x, y, width / h);
}

PWBezierPath CDDDrawer::PathWave(double x, double y, double width, double height)
{
    if (!allFinite({ x, y, width, height }))
        return PWBezierPath();
    constexpr double a = 0.198;
    constexpr double b = 0.49;
    constexpr double c = 0.88;
    constexpr double s = 0.3;
    const double w = width;
    const double h = height;
    const double cx = x + w / 2.0;
    QPainterPath path;
    path.moveTo(x, y + a * h / 2);
    path.cubicTo(cx - s * w / 2, y - b * h / 2, cx + s * w / 2, y + c * h / 2, x + w, y + a * h / 2);
    path.lineTo(x + w, y + h - a * h / 2);
    path.cubicTo(cx + s * w / 2, y + h + b * h / 2, cx - s * w / 2, y + h - c * h / 2, x, y + h - a * h / 2);
    path.lineTo(x, y + a * h / 2);
    path.closeSubpath();
    return finished(path);
}
