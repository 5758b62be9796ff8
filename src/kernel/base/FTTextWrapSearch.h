#pragma once

#include <QPointF>

#include <vector>

class CDDWrappingPath;
class PWBezierPath;

// The searches with which the wrap-around text container places a line of text beside the wrap
// outlines of other components, and the plane geometry they use. Points are single precision
// (coordinates are rounded to float on the way in). A line is a band, possibly turned, given by
// its corners: p1 left and p3 right end of the top edge, p2 left and p4 right end of the bottom
// edge, plus the text frame's rotation centre and angle and the band as a closed path.

struct FTTextLineBand
{
    QPointF p1;
    QPointF p2;
    QPointF p3;
    QPointF p4;
    QPointF centre;
    double angle = 0.0;
    const PWBezierPath *band = nullptr;
};

// Answer of the origin search when the line has no room beside the outlines.
inline constexpr double kNoRoomOriginX = 1000000.0;

double getDistance(QPointF a, QPointF b);
// Distance of p from the infinite line through a and b; the distance to a when a and b coincide.
double distBetweenPointAndLine(QPointF p, QPointF a, QPointF b);
// The segment test of IsLinesIntersected, except that two parallel vertical segments meet only
// on the same x when an end of segment a lies strictly inside segment b's y range.
bool areLinesIntersected(QPointF a1, QPointF a2, QPointF b1, QPointF b2);
// Crossing point of the two infinite lines; false for two vertical lines or slopes within 0.001.
bool getLinesCrossPoint(QPointF &out, QPointF a1, QPointF a2, QPointF b1, QPointF b2);
// Whether p, a and b lie on one line: the parameters of b along p->a measured in x and in y
// differ by at most 0.02. Where p shares a's x (or y), b must share it too.
bool isPointOnLine(QPointF p, QPointF a, QPointF b);

// The x (in the text frame's unrotated coordinates) left of which the line must not start, from
// the outlines wrapping text to their right (1) or above and below (2); kNoRoomOriginX when the
// line has no room. Without outlines, p1's x.
double getLeftProposedOriginLimitX(const std::vector<CDDWrappingPath *> &paths, const FTTextLineBand &line);
// The width available from originX beside the outlines wrapping text to their left (0) or above
// and below (2): never negative, never more than maxWidth; 0 means no room.
double getProposedSizeLimitX(double originX, double maxWidth, const std::vector<CDDWrappingPath *> &paths,
                             const FTTextLineBand &line);
// Marks every outline of the list as wrapping on the side with more space.
void setMostSpaceWrapForPaths(const std::vector<CDDWrappingPath *> &paths);
