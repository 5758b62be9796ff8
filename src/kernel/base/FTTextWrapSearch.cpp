#include "kernel/base/FTTextWrapSearch.h"

#include "kernel/base/CDDWrappingPath.h"
#include "kernel/base/FTGeometry.h"
#include "platform/PWBezierPath.h"

#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

QPointF single(QPointF p)
{
    return QPointF(static_cast<float>(p.x()), static_cast<float>(p.y()));
}

enum class SearchKind { Origin, Width };

// The walk both searches share; they differ in the wrap types they heed, where their best points
// start, which candidate wins and which band ends must stay outside an outline.
double searchBesideOutlines(SearchKind kind, double originX, double maxWidth,
                            const std::vector<CDDWrappingPath *> &paths, const FTTextLineBand &line)
{
    const bool origin = kind == SearchKind::Origin;
    const QPointF p1 = single(line.p1);
    const QPointF p2 = single(line.p2);
    const QPointF p3 = single(line.p3);
    const QPointF p4 = single(line.p4);
    const double noRoom = origin ? kNoRoomOriginX : 0.0;

    QPointF bestTop = origin ? p1 : p3;
    QPointF bestBottom = origin ? p2 : p4;
    const auto offer = [origin](QPointF candidate, QPointF &best, QPointF leftEnd) {
        const double dc = getDistance(leftEnd, candidate);
        const double db = getDistance(leftEnd, best);
        if (origin ? dc >= db : dc <= db)
            best = candidate;
    };

    for (CDDWrappingPath *wrapping : paths) {
        if (!wrapping)
            continue;
        const textWrap wrap = wrapping->getWrapType();
        const bool heeded = origin ? (wrap == twTextOnRight || wrap == twTextAboveAndBelow)
                                   : (wrap == twTextOnLeft || wrap == twTextAboveAndBelow);
        if (!heeded)
            continue;
        const QPainterPath &outline = wrapping->getPath()->path();
        bool topTouched = false;
        bool bottomTouched = false;
        for (const QPolygonF &polygon : outline.toSubpathPolygons()) {
            for (qsizetype k = 1; k < polygon.size(); ++k) {
                const QPointF from = single(polygon[k - 1]);
                const QPointF to = single(polygon[k]);
                for (QPointF end : { from, to }) {
                    if (line.band && line.band->path().contains(end)) {
                        topTouched = bottomTouched = true;
                        offer(end, bestTop, p1);
                    }
                }
                QPointF cross;
                if (areLinesIntersected(from, to, p1, p3)) {
                    topTouched = getLinesCrossPoint(cross, from, to, p1, p3);
                    if (topTouched)
                        offer(cross, bestTop, p1);
                }
                if (areLinesIntersected(from, to, p2, p4)) {
                    bottomTouched = getLinesCrossPoint(cross, from, to, p2, p4);
                    if (bottomTouched)
                        offer(cross, bestBottom, p2);
                }
                if (wrap == twTextAboveAndBelow && topTouched && bottomTouched)
                    return noRoom;
            }
        }
        const QPointF guardA = origin ? p3 : p1;
        const QPointF guardB = origin ? p4 : p2;
        if (outline.contains(guardA) || outline.contains(guardB))
            return noRoom;
    }

    double topX = bestTop.x();
    double topY = bestTop.y();
    double bottomX = bestBottom.x();
    double bottomY = bestBottom.y();
    if (line.angle != 0.0) {
        const double back = 2.0 * std::numbers::pi - line.angle;
        rotatePoint(&topX, &topY, back, line.centre.x(), line.centre.y());
        rotatePoint(&bottomX, &bottomY, back, line.centre.x(), line.centre.y());
    }
    if (origin)
        return std::max(topX, bottomX);
    const double width = std::min(std::min(topX, bottomX) - originX, maxWidth);
    return std::max(width, 0.0);
}

} // namespace

double getDistance(QPointF a, QPointF b)
{
    const float dx = static_cast<float>(b.x() - a.x());
    const float dy = static_cast<float>(b.y() - a.y());
    return std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy);
}

double distBetweenPointAndLine(QPointF p, QPointF a, QPointF b)
{
    const double length = getDistance(a, b);
    if (length == 0.0)
        return getDistance(p, a);
    const double cross = (b.x() - a.x()) * (a.y() - p.y()) - (a.x() - p.x()) * (b.y() - a.y());
    return std::abs(cross) / length;
}

bool areLinesIntersected(QPointF a1, QPointF a2, QPointF b1, QPointF b2)
{
    a1 = single(a1);
    a2 = single(a2);
    b1 = single(b1);
    b2 = single(b2);
    const double dx1 = a2.x() - a1.x();
    const double dy1 = a2.y() - a1.y();
    const double dx2 = b2.x() - b1.x();
    const double dy2 = b2.y() - b1.y();

    if (dx1 * dy2 != dy1 * dx2) {
        const double t = ((b1.y() - a1.y()) * dx1 - (b1.x() - a1.x()) * dy1) / (dx2 * dy1 - dy2 * dx1);
        if (t < 0.0 || t > 1.0)
            return false;
        if (dx1 == 0.0) {
            const double y = b2.y() * t + (1.0 - t) * b1.y();
            return y >= std::min(a1.y(), a2.y()) && y <= std::max(a1.y(), a2.y());
        }
        const double s = (t * dx2 + b1.x() - a1.x()) / dx1;
        return s >= 0.0 && s <= 1.0;
    }
    if (dx2 == 0.0) {
        if (a1.x() != b1.x())
            return false;
        const double low = std::min(b1.y(), b2.y());
        const double high = std::max(b1.y(), b2.y());
        const auto strictlyInside = [low, high](double v) { return v > low && v < high; };
        return strictlyInside(std::min(a1.y(), a2.y())) || strictlyInside(std::max(a1.y(), a2.y()));
    }
    double u = (a1.x() - b1.x()) / dx2;
    if (u >= 0.0 && u <= 1.0)
        return u * dy2 + b1.y() == a1.y();
    u = (a2.x() - b1.x()) / dx2;
    if (u >= 0.0 && u <= 1.0)
        return u * dy2 + b1.y() == a2.y();
    return false;
}

bool getLinesCrossPoint(QPointF &out, QPointF a1, QPointF a2, QPointF b1, QPointF b2)
{
    a1 = single(a1);
    a2 = single(a2);
    b1 = single(b1);
    b2 = single(b2);
    const bool aVertical = a2.x() == a1.x();
    const bool bVertical = b2.x() == b1.x();
    if (aVertical && bVertical)
        return false;
    double kA = 0.0;
    double cA = 0.0;
    double kB = 0.0;
    double cB = 0.0;
    if (!bVertical) {
        kB = (b2.y() - b1.y()) / (b2.x() - b1.x());
        cB = b1.y() - b1.x() * kB;
    }
    if (!aVertical) {
        kA = (a2.y() - a1.y()) / (a2.x() - a1.x());
        cA = a1.y() - a1.x() * kA;
    }
    if (aVertical) {
        out = single(QPointF(a2.x(), a2.x() * kB + cB));
        return true;
    }
    if (bVertical) {
        out = single(QPointF(b2.x(), b2.x() * kA + cA));
        return true;
    }
    if (std::abs(kB - kA) <= 0.001)
        return false;
    const double x = (cA - cB) / (kB - kA);
    out = single(QPointF(x, x * kA + cA));
    return true;
}

bool isPointOnLine(QPointF p, QPointF a, QPointF b)
{
    p = single(p);
    a = single(a);
    b = single(b);
    const float ax = static_cast<float>(a.x() - p.x());
    const float ay = static_cast<float>(a.y() - p.y());
    if (ax == 0.0f && ay == 0.0f)
        return true; // a and p coincide: every b lies on a line through them
    if (ax == 0.0f)
        return b.x() == p.x();
    if (ay == 0.0f)
        return b.y() == p.y();
    const float ry = static_cast<float>(b.y() - p.y()) / ay;
    const float rx = static_cast<float>(b.x() - p.x()) / ax;
    return std::abs(ry - rx) <= 0.02f;
}

double getLeftProposedOriginLimitX(const std::vector<CDDWrappingPath *> &paths, const FTTextLineBand &line)
{
    if (paths.empty())
        return line.p1.x();
    return searchBesideOutlines(SearchKind::Origin, 0.0, 0.0, paths, line);
}

double getProposedSizeLimitX(double originX, double maxWidth, const std::vector<CDDWrappingPath *> &paths,
                             const FTTextLineBand &line)
{
    if (paths.empty())
        return std::max(maxWidth, 0.0);
    return searchBesideOutlines(SearchKind::Width, originX, maxWidth, paths, line);
}

void setMostSpaceWrapForPaths(const std::vector<CDDWrappingPath *> &paths)
{
    for (CDDWrappingPath *path : paths) {
        if (path)
            path->setWrapType(twMostSpace);
    }
}
