#include "kernel/base/CDDWrappingPath.h"

#include "platform/PWBezierPath.h"

#include <QTransform>

#include <utility>

CDDWrappingPath::CDDWrappingPath()
    : mPath(std::make_shared<PWBezierPath>())
{
}

CDDWrappingPath::CDDWrappingPath(std::shared_ptr<PWBezierPath> path, textWrap type, double inset,
                                 double angle, bool flipX, bool flipY)
    : mPath(path ? std::move(path) : std::make_shared<PWBezierPath>())
    , mWrapType(type)
    , mInset(inset)
    , mAngle(angle)
{
    transformPath(flipX, flipY);
}

void CDDWrappingPath::setPath(std::shared_ptr<PWBezierPath> path)
{
    mPath = path ? std::move(path) : std::make_shared<PWBezierPath>();
}

void CDDWrappingPath::transformPath(bool flipX, bool flipY)
{
    const QRectF b = mPath->path().boundingRect();
    const QPointF m = b.center();
    const double growX = b.width() != 0.0 ? 1.0 + 2.0 * mInset / b.width() : 1.0;
    const double growY = b.height() != 0.0 ? 1.0 + 2.0 * mInset / b.height() : 1.0;

    // Each step acts on a point before the steps added earlier: mirror, grow, then turn.
    QTransform t;
    t.translate(m.x(), m.y());
    if (mAngle != 0.0)
        t.rotateRadians(mAngle);
    t.scale(growX, growY);
    t.translate(-m.x(), -m.y());
    t.scale(flipX ? -1.0 : 1.0, flipY ? -1.0 : 1.0);
    if (flipY)
        t.translate(0.0, -(2.0 * b.top() + b.height()));
    if (flipX)
        t.translate(-(2.0 * b.left() + b.width()), 0.0);
    mPath->setPath(t.map(mPath->path()));
}

void CDDWrappingPath::attachPath(const CDDWrappingPath *other)
{
    if (!other)
        return;
    // A copy first: attaching an outline to itself must not read what it is writing.
    const QPainterPath appended = other->mPath->path();
    mPath->path().addPath(appended);
}
