#pragma once

#include "kernel/base/FTTypes.h"

#include <cstdint>

class PWBezierPath;
class QRectF;

// Plane geometry shared by the components, the core document and the editing views: rotation
// about a centre, the segment hit and intersection tests used to pick shapes, the size group of
// a paper item and the one-sided extension of a wrap outline. Lengths are points, angles radians.

// How text flows around a component's wrap outline. The numbers are stored in documents.
enum textWrap : std::int32_t {
    twTextOnLeft = 0,        // text only left of the object: limits a line's width
    twTextOnRight = 1,       // text only right of the object: pushes a line's start right
    twTextAboveAndBelow = 2, // a line crossed on its top and bottom edge gets no room
    twNoWrap = 3,            // the outline is ignored; the default of a new component
    twMostSpace = 4,         // the text container picks 0 or 1 line by line
    twAnyWrap = 5,           // only in a query for wrap outlines: outlines of every type
};

// Turns the point in place about (cx, cy), counter-clockwise in a y-up frame (so clockwise on a
// y-down page). Either pointer may be null, and then nothing changes.
void rotatePoint(double *x, double *y, double angle, double cx, double cy);
// Turns a displacement: rotatePoint about the origin.
inline void rotateVector(double *dx, double *dy, double angle) { rotatePoint(dx, dy, angle, 0.0, 0.0); }

// Whether (px, py) lies within tolerance of the segment (x1, y1)-(x2, y2). A segment of zero
// length is a point: the test is then the distance to it.
bool IsPointInRect(double px, double py, double x1, double y1, double x2, double y2, double tolerance);

// Whether segment 1-2 and segment 3-4 share at least one point. Collinear segments meet when
// their ranges overlap, end points included.
bool IsLinesIntersected(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                        double y4);

// The size-group ID of a paper item of width x height points (envelope and postcard types have
// their own tables). Single precision, as the group boundaries were tuned for.
int getSizeGroupType(float width, float height, documentType type);

// Adds to a wrap outline the area between the object and the left (wrap 1) or right (wrap 0)
// edge of rect, with the object turned by angle (-pi to pi) about rect's centre. Other wrap types
// and a null path change nothing.
void modifyPathForWrapType(PWBezierPath *path, textWrap wrap, const QRectF &rect, double angle);
