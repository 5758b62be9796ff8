#pragma once

#include "kernel/base/FTGeometry.h"

#include <QRectF>

#include <vector>

class CDDWrappingPath;

// What a flowing text asks of its surroundings while it lays out a line: the wrap outlines of
// the other components that the line crosses. The kernel document and the kernel view answer it.
class CFTComponentsInterface
{
public:
    virtual ~CFTComponentsInterface() = default;

    // The outlines crossing rect, moved by (originX, originY) and turned by angle about
    // (centerX, centerY), that have the wrap type wrap (5: any type). asker is the text
    // container asking: only objects in front of the extended text that owns it shape its
    // lines, so that a text never avoids itself. The outlines stay owned by their components.
    virtual std::vector<CDDWrappingPath *> GetIntersectPathForRect(const QRectF &rect, double originX, double originY,
                                                                   double centerX, double centerY, double angle,
                                                                   const void *asker, textWrap wrap) const = 0;

protected:
    CFTComponentsInterface() = default;
    CFTComponentsInterface(const CFTComponentsInterface &) = default;
    CFTComponentsInterface &operator=(const CFTComponentsInterface &) = default;
};
