#pragma once

#include "kernel/base/FTGeometry.h"

#include <memory>

class PWBezierPath;

// The outline a component offers for text to flow around: a closed path in page coordinates
// with the component's wrap type, inset and angle. Copies share one path object, so an outline
// transformed through one copy is transformed for all of them; the wrap settings are per copy.
class CDDWrappingPath
{
public:
    // An empty outline that does not wrap.
    CDDWrappingPath();
    // Takes the component's unrotated, unflipped outline (shared, and changed in place) and
    // brings it into place on the page at once.
    CDDWrappingPath(std::shared_ptr<PWBezierPath> path, textWrap type, double inset, double angle,
                    bool flipX, bool flipY);

    CDDWrappingPath(const CDDWrappingPath &) = default;
    CDDWrappingPath &operator=(const CDDWrappingPath &) = default;

    PWBezierPath *getPath() const { return mPath.get(); }
    const std::shared_ptr<PWBezierPath> &getSharedPath() const { return mPath; }
    // A null path is replaced by an empty one, so getPath never answers null.
    void setPath(std::shared_ptr<PWBezierPath> path);
    textWrap getWrapType() const { return mWrapType; }
    void setWrapType(textWrap type) { mWrapType = type; }
    double getInset() const { return mInset; }
    void setInset(double inset) { mInset = inset; }
    double getAngle() const { return mAngle; }
    void setAngle(double angle) { mAngle = angle; }

    // Mirrors the outline about the centre lines of its bounds, grows it by the inset on every
    // side, then turns it by the angle about the centre of its bounds. An extent of zero cannot
    // grow by scaling, so that axis is left at its size.
    void transformPath(bool flipX, bool flipY);
    // Appends the other outline's path to this one; null changes nothing.
    void attachPath(const CDDWrappingPath *other);

private:
    std::shared_ptr<PWBezierPath> mPath;
    textWrap mWrapType = twNoWrap;
    double mInset = 0.0;
    double mAngle = 0.0;
};
