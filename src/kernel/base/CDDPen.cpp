#include "kernel/base/CDDPen.h"

#include "platform/PWBezierPath.h"

void CDDPen::set(PWBezierPath *path) const
{
    if (path)
        path->setLineWidth(static_cast<float>(mWidth));
}
