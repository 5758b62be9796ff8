#include "kernel/text/CCTextExtContainer.h"

#include "kernel/base/CDDWrappingPath.h"
#include "kernel/component/CFTComponentsInterface.h"
#include "kernel/base/FTTextWrapSearch.h"
#include "platform/PWBezierPath.h"

#include <QPainterPath>

#include <array>

namespace {

QPointF turned(QPointF point, double angle, QPointF centre)
{
    if (angle == 0.0)
        return point;
    double x = point.x();
    double y = point.y();
    rotatePoint(&x, &y, angle, centre.x(), centre.y());
    return {x, y};
}

// Restores the most-space outlines of a request on every way out of it: the outlines are the
// components' own, shared with everything else that reads them.
struct MostSpaceRestore
{
    std::vector<CDDWrappingPath *> paths;
    ~MostSpaceRestore() { setMostSpaceWrapForPaths(paths); }
};

} // namespace

CCTextExtContainer::CCTextExtContainer(QSizeF size, const CFTComponentsInterface *components)
    : m_components(components)
    , m_size(size)
{
}

void CCTextExtContainer::resolveMostSpace(const std::vector<CDDWrappingPath *> &paths) const
{
    const double width = m_size.width();
    const double height = m_size.height();
    const QPointF centre(m_originX + width / 2.0, m_originY + height / 2.0);
    const QPointF e1 = turned({m_originX, m_originY}, m_angle, centre);
    const QPointF e2 = turned({m_originX + width, m_originY}, m_angle, centre);
    const QPointF e3 = turned({m_originX + width, m_originY + height}, m_angle, centre);
    const QPointF e4 = turned({m_originX, m_originY + height}, m_angle, centre);
    for (CDDWrappingPath *path : paths) {
        if (!path || !path->getPath())
            continue;
        const QRectF r = path->getPath()->path().boundingRect();
        const double toLeft = distBetweenPointAndLine(r.topLeft(), e1, e4);
        const double toRight = distBetweenPointAndLine(r.bottomRight(), e2, e3);
        const std::array<std::pair<QPointF, QPointF>, 4> edges = {{{r.topLeft(), r.topRight()},
                                                                  {r.topRight(), r.bottomRight()},
                                                                  {r.bottomRight(), r.bottomLeft()},
                                                                  {r.bottomLeft(), r.topLeft()}}};
        bool crossLeft = false;
        bool crossRight = false;
        for (const auto &[a, b] : edges) {
            crossLeft = crossLeft || areLinesIntersected(a, b, e1, e4);
            crossRight = crossRight || areLinesIntersected(a, b, e2, e3);
        }
        textWrap side = twTextOnLeft;
        if (crossLeft)
            side = twTextOnRight;
        else if (crossRight)
            side = twTextOnLeft;
        else if (toLeft < toRight)
            side = twTextOnRight;
        path->setWrapType(side);
    }
}

QRectF CCTextExtContainer::lineFragmentRectForProposedRect(const QRectF &proposed) const
{
    const double width = m_size.width();
    const double height = m_size.height();
    double x = proposed.x();
    double y = proposed.y();
    const double h = proposed.height();
    const double w = width - x;
    if (y + h > height)
        return {};
    if (!m_components)
        return {x, y, w, h};

    const QPointF centre(m_originX + width / 2.0, m_originY + height / 2.0);
    MostSpaceRestore restore;
    for (;;) {
        if (h == 0.0)
            return {};
        const QRectF band(x, y, w, h);
        const std::vector<CDDWrappingPath *> paths = m_components->GetIntersectPathForRect(
            band, m_originX, m_originY, centre.x(), centre.y(), m_angle, this, textWrap(5));
        if (paths.empty())
            return band;

        const QPointF topLeft = turned({x + m_originX, y + m_originY}, m_angle, centre);
        const QPointF topRight = turned({x + w + m_originX, y + m_originY}, m_angle, centre);
        const QPointF bottomRight = turned({x + w + m_originX, y + h + m_originY}, m_angle, centre);
        const QPointF bottomLeft = turned({x + m_originX, y + h + m_originY}, m_angle, centre);
        QPainterPath bandOutline;
        bandOutline.moveTo(topLeft);
        bandOutline.lineTo(topRight);
        bandOutline.lineTo(bottomRight);
        bandOutline.lineTo(bottomLeft);
        bandOutline.closeSubpath();
        const PWBezierPath bandPath(bandOutline);

        restore.paths = m_components->GetIntersectPathForRect(QRectF(m_originX, m_originY, width, height), 0.0,
                                                              0.0, centre.x(), centre.y(), m_angle, this,
                                                              twMostSpace);
        resolveMostSpace(restore.paths);

        FTTextLineBand line;
        line.p1 = topLeft;
        line.p2 = bottomLeft;
        line.p3 = topRight;
        line.p4 = bottomRight;
        line.centre = centre;
        line.angle = m_angle;
        line.band = &bandPath;
        const double left = getLeftProposedOriginLimitX(paths, line);
        double room = width - (left - m_originX);
        if (room > kMinLineWidth)
            room = getProposedSizeLimitX(left, room, paths, line);
        if (room > kMinLineWidth && left < m_originX + width && left + room - m_originX <= width)
            return {left - m_originX, y, room, h};

        y += h;
        setMostSpaceWrapForPaths(restore.paths);
        restore.paths.clear();
        if (y + h > height)
            return {};
    }
}
