#include "kernel/render/CDDDrawerSupport.h"

#include "platform/PWBezierPath.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace drawsupport {

namespace {

double degrees(double radians)
{
    return radians * 180.0 / std::numbers::pi;
}

double radians(double degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

// Qt measures arc angles counter-clockwise on a y-down page, the opposite of ours.
void arcFrom(QPainterPath &path, QPointF centre, double radius, double startDegrees, double sweepDegrees)
{
    const QRectF box(centre.x() - radius, centre.y() - radius, 2.0 * radius, 2.0 * radius);
    path.arcTo(box, -startDegrees, -sweepDegrees);
}

void moveOrLineTo(QPainterPath &path, QPointF point)
{
    if (path.elementCount() == 0)
        path.moveTo(point);
    else if (path.currentPosition() != point)
        path.lineTo(point);
}

} // namespace

QColor knobColor()
{
    return QColor::fromRgbF(0.30f, 0.38f, 0.56f);
}

QColor handleShadowColor()
{
    return QColor::fromRgbF(0.20f, 0.20f, 0.20f);
}

QColor focusRingColor()
{
    return QColor::fromRgbF(0.23f, 0.60f, 0.99f, 0.6f);
}

QFont userFont(int size)
{
    QFont font;
    font.setFamilies({ QStringLiteral("Helvetica"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial") });
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(size);
    return font;
}

void strokePath(QPainter *painter, const PWBezierPath &path)
{
    if (!painter)
        return;
    painter->save();
    painter->setPen(path.pen(painter->pen().color()));
    painter->setBrush(Qt::NoBrush);
    painter->drawPath(path.path());
    painter->restore();
}

void fillPath(QPainter *painter, const QPainterPath &path)
{
    if (painter)
        painter->fillPath(path, painter->brush());
}

void drawFocusRing(QPainter *painter, const QRectF &rect, double onePixel)
{
    if (!painter)
        return;
    const double ring = 3.0 * onePixel;
    QPen pen(focusRingColor(), ring, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin);
    painter->save();
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(rect.adjusted(-ring / 2.0, -ring / 2.0, ring / 2.0, ring / 2.0));
    painter->restore();
}

void appendArc(QPainterPath &path, QPointF centre, double radius, double startDegrees, double endDegrees,
               bool increasing)
{
    const double difference = endDegrees - startDegrees;
    double sweep = std::fmod(difference, 360.0);
    if (increasing && sweep < 0.0)
        sweep += 360.0;
    if (!increasing && sweep > 0.0)
        sweep -= 360.0;
    if (sweep == 0.0 && difference != 0.0)
        sweep = increasing ? 360.0 : -360.0;

    const double a = radians(startDegrees);
    moveOrLineTo(path, QPointF(centre.x() + radius * std::cos(a), centre.y() + radius * std::sin(a)));
    if (sweep != 0.0 && radius > 0.0)
        arcFrom(path, centre, radius, startDegrees, sweep);
}

void appendTangentArc(QPainterPath &path, QPointF corner, QPointF towards, double radius)
{
    if (path.elementCount() == 0) {
        path.moveTo(corner);
        return;
    }
    const QPointF start = path.currentPosition();
    QPointF u = start - corner;
    QPointF v = towards - corner;
    const double lu = std::hypot(u.x(), u.y());
    const double lv = std::hypot(v.x(), v.y());
    const double cross = u.x() * v.y() - u.y() * v.x();
    if (radius <= 0.0 || lu == 0.0 || lv == 0.0 || cross == 0.0) {
        moveOrLineTo(path, corner);
        return;
    }
    u /= lu;
    v /= lv;
    const double cosTurn = std::clamp(u.x() * v.x() + u.y() * v.y(), -1.0, 1.0);
    const double half = std::acos(cosTurn) / 2.0; // half the angle between the two lines
    const double reach = radius / std::tan(half);
    const QPointF t1 = corner + u * reach;
    const QPointF t2 = corner + v * reach;
    QPointF bisector = u + v;
    bisector /= std::hypot(bisector.x(), bisector.y());
    const QPointF centre = corner + bisector * (radius / std::sin(half));

    moveOrLineTo(path, t1);
    const double a1 = degrees(std::atan2(t1.y() - centre.y(), t1.x() - centre.x()));
    const double a2 = degrees(std::atan2(t2.y() - centre.y(), t2.x() - centre.x()));
    double sweep = std::fmod(a2 - a1, 360.0);
    if (sweep > 180.0)
        sweep -= 360.0;
    else if (sweep < -180.0)
        sweep += 360.0;
    arcFrom(path, centre, radius, a1, sweep);
}

void roundToSinglePrecision(QPainterPath &path)
{
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        path.setElementPositionAt(i, static_cast<float>(e.x), static_cast<float>(e.y));
    }
}

bool isFinitePath(const QPainterPath &path)
{
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (!std::isfinite(e.x) || !std::isfinite(e.y))
            return false;
    }
    return true;
}

} // namespace drawsupport
