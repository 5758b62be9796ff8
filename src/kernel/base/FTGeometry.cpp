#include "kernel/base/FTGeometry.h"

#include "platform/PWBezierPath.h"

#include <QPainterPath>
#include <QRectF>
#include <QTransform>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <span>

namespace {

struct SizeGroupRow
{
    int id;
    float minShortSide; // millimetres
    float ratio;        // long side / short side
};

// Ordered by short side, then by ratio: the search walks back from the first row that is large
// enough and relies on that order.
constexpr std::array<SizeGroupRow, 15> kEnvelopeGroups { {
    { 51, 78, 1.4f }, { 52, 78, 1.75f }, { 53, 78, 2.0f }, { 54, 78, 2.33f }, { 55, 99, 0.8f },
    { 55, 99, 1.0f }, { 56, 99, 1.28f }, { 57, 99, 1.5f }, { 58, 99, 2.0f }, { 59, 99, 2.3f },
    { 60, 152, 0.8f }, { 60, 152, 1.0f }, { 61, 152, 1.4f }, { 62, 152, 1.55f },
    { 62, 10000, 1.55f },
} };

constexpr std::array<SizeGroupRow, 2> kPostcardGroups { {
    { 81, 78, 1.4f },
    { 81, 10000, 1.55f },
} };

constexpr std::array<SizeGroupRow, 35> kLabelGroups { {
    { 1, 12, 3.0f },    { 2, 12, 3.5f },    { 3, 16.5f, 1.0f }, { 3, 16.5f, 1.5f }, { 4, 16.5f, 2.0f },
    { 5, 16.5f, 2.5f }, { 6, 16.5f, 3.0f }, { 7, 16.5f, 4.0f }, { 11, 25.4f, 1.0f }, { 11, 25.4f, 2.0f },
    { 12, 25.4f, 2.5f }, { 13, 25.4f, 3.0f }, { 14, 25.4f, 3.5f }, { 15, 25.4f, 4.0f }, { 16, 33, 1.2f },
    { 16, 33, 1.5f },   { 17, 33, 2.0f },   { 18, 33, 2.5f },   { 19, 33, 3.0f },   { 21, 50.8f, 1.0f },
    { 21, 50.8f, 1.75f }, { 22, 50.8f, 2.0f }, { 23, 50.8f, 3.0f }, { 24, 66, 0.7f }, { 24, 66, 1.0f },
    { 25, 66, 1.25f },  { 29, 88, 1.0f },   { 29, 88, 1.43f },  { 26, 120, 0.5f },  { 26, 120, 0.75f },
    { 27, 120, 1.6f },  { 28, 180, 0.6f },  { 28, 180, 0.77f }, { 30, 180, 1.3f },  { 30, 1000, 1.0f },
} };

std::span<const SizeGroupRow> sizeGroupTable(documentType type)
{
    if (type == dtEnvelope)
        return kEnvelopeGroups;
    if (type == dtPostcard)
        return kPostcardGroups;
    return kLabelGroups;
}

bool nearlyEqual(double a, double b)
{
    return std::abs(a - b) <= 1e-9;
}

// Whether v lies in the closed range spanned by a and b, in either order.
bool inClosedRange(double v, double a, double b)
{
    return v >= std::min(a, b) && v <= std::max(a, b);
}

QTransform turnAbout(const QPointF &centre, double angle)
{
    QTransform t;
    t.translate(centre.x(), centre.y());
    t.rotateRadians(angle);
    t.translate(-centre.x(), -centre.y());
    return t;
}

} // namespace

void rotatePoint(double *x, double *y, double angle, double cx, double cy)
{
    if (!x || !y)
        return;
    const double dx = *x - cx;
    const double dy = *y - cy;
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    *x = cx + c * dx - s * dy;
    *y = cy + s * dx + c * dy;
}

bool IsPointInRect(double px, double py, double x1, double y1, double x2, double y2, double tolerance)
{
    if (px < std::min(x1, x2) - tolerance || py < std::min(y1, y2) - tolerance
        || px > std::max(x1, x2) + tolerance || py > std::max(y1, y2) + tolerance)
        return false;
    const double length = std::hypot(x2 - x1, y2 - y1);
    if (length == 0.0)
        return std::hypot(px - x1, py - y1) <= tolerance;
    const double cross = (x2 - x1) * (y1 - py) - (x1 - px) * (y2 - y1);
    return std::abs(cross) / length <= tolerance;
}

bool IsLinesIntersected(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                        double y4)
{
    const double dx1 = x2 - x1;
    const double dy1 = y2 - y1;
    const double dx2 = x4 - x3;
    const double dy2 = y4 - y3;

    if (dx1 * dy2 != dy1 * dx2) {
        const double t = ((y3 - y1) * dx1 - (x3 - x1) * dy1) / (dx2 * dy1 - dy2 * dx1);
        if (t < 0.0 || t > 1.0)
            return false;
        if (dx1 == 0.0)
            return inClosedRange(y4 * t + (1.0 - t) * y3, y1, y2);
        const double s = (t * dx2 + x3 - x1) / dx1;
        return s >= 0.0 && s <= 1.0;
    }

    // Parallel: they meet only on one line, where their ranges along it must overlap.
    if (dx2 == 0.0 && dx1 == 0.0) {
        if (x1 != x3)
            return false;
        return std::max(std::min(y1, y2), std::min(y3, y4)) <= std::min(std::max(y1, y2), std::max(y3, y4));
    }
    if (dx2 == 0.0) {
        // Segment 3-4 is a single point (segment 1-2 is not vertical, so not parallel to a
        // real vertical segment): it meets segment 1-2 when it lies on it.
        if (dy2 != 0.0)
            return false;
        return IsLinesIntersected(x3, y3, x4, y4, x1, y1, x2, y2);
    }
    // Segment 3-4 is not vertical: both end points of either segment must lie on its line, and
    // one segment must reach into the other's x range.
    const auto onLine34 = [&](double x, double y) {
        const double u = (x - x3) / dx2;
        return u * dy2 + y3 == y;
    };
    if (dx1 == 0.0 && dy1 == 0.0)
        return onLine34(x1, y1) && inClosedRange(x1, x3, x4);
    if (!onLine34(x1, y1))
        return false;
    return std::max(std::min(x1, x2), std::min(x3, x4)) <= std::min(std::max(x1, x2), std::max(x3, x4));
}

int getSizeGroupType(float width, float height, documentType type)
{
    const std::span<const SizeGroupRow> rows = sizeGroupTable(type);
    const float a = width / 72.0f * 25.4f;
    const float b = height / 72.0f * 25.4f + 0.1f;
    const float shortSide = b > a ? a : b;
    const float longSide = b > a ? b : a;
    const float ratio = longSide / shortSide;

    const int count = static_cast<int>(rows.size());
    int i = 0;
    while (i < count && shortSide > rows[i].minShortSide)
        ++i;
    if (i < count) {
        int j = i - 1;
        while (j >= 0 && ratio < rows[j].ratio)
            --j;
        if (j >= 0 && (rows[j + 1].ratio - ratio) < (ratio - rows[j].ratio) && rows[j + 1].ratio > ratio)
            ++j;
        if (j >= 0)
            return rows[j].id;
    }
    return rows[i > 0 ? i - 1 : 0].id;
}

void modifyPathForWrapType(PWBezierPath *path, textWrap wrap, const QRectF &rect, double angle)
{
    if (!path || (wrap != twTextOnLeft && wrap != twTextOnRight))
        return;
    const QPointF m = rect.center();
    const double pi = std::numbers::pi;
    const QRectF b = (angle != 0.0 ? turnAbout(m, 2.0 * pi - angle).map(path->path()) : path->path())
                         .boundingRect();

    QPointF a;
    QPointF bEnd;
    if (angle == 0.0) {
        a = QPointF(b.right(), b.top());
        bEnd = QPointF(b.right(), b.bottom());
    } else if (nearlyEqual(std::abs(angle), pi / 2.0)) {
        a = QPointF(b.left(), b.top());
        bEnd = QPointF(b.left(), b.bottom());
    } else if (nearlyEqual(std::abs(angle), pi)) {
        a = QPointF(b.left(), b.bottom());
        bEnd = QPointF(b.left(), b.top());
    } else if ((angle > -pi / 2.0 && angle < 0.0) || (angle > pi / 2.0 && angle < pi)) {
        a = QPointF(b.left(), b.top());
        bEnd = QPointF(b.right(), b.bottom());
    } else if ((angle > -pi && angle < -pi / 2.0) || (angle > 0.0 && angle < pi / 2.0)) {
        a = QPointF(b.left(), b.bottom());
        bEnd = QPointF(b.right(), b.top());
    } else {
        return;
    }

    const double e = wrap == twTextOnLeft ? rect.right() : rect.left();
    QPainterPath extension;
    extension.moveTo(a);
    extension.lineTo(e, a.y());
    extension.lineTo(e, bEnd.y());
    extension.lineTo(bEnd);
    extension.closeSubpath();
    if (angle != 0.0)
        extension = turnAbout(m, angle).map(extension);
    path->path().addPath(extension);
}
