#pragma once

#include <QColor>
#include <QFont>
#include <QPainterPath>
#include <QPointF>

class PWBezierPath;
class QPainter;

// Helpers the drawer's operations share: the fixed colours of the editing marks, stroking and
// filling with the painter's current colour, and the two arc forms the outlines are built from.
namespace drawsupport {

// Fixed stand-ins for the desktop's system colours, so that editing marks look the same
// everywhere and reference images stay stable.
QColor knobColor();          // frames of handles, selections and ports
QColor handleShadowColor();  // the shadow square behind a handle
QColor focusRingColor();     // the ring around drop targets and the edited text
inline constexpr QColor kSystemBlue { 0, 0, 255 };
inline constexpr QColor kSystemRed { 255, 0, 0 };

// The sans-serif face of the texts the drawer lays out itself (captions, tab labels, the hint
// box, the loading mark), sized in the painter's units. Helvetica metrics, so that captions fit
// the room the marks leave for them.
QFont userFont(int size);

// Strokes with the painter's current pen colour and the path's own stroke attributes.
void strokePath(QPainter *painter, const PWBezierPath &path);
// Fills by the path's winding rule with the painter's current brush.
void fillPath(QPainter *painter, const QPainterPath &path);
// A focus ring, 3 px wide outside the rectangle (width of one device pixel given in points).
void drawFocusRing(QPainter *painter, const QRectF &rect, double onePixel);

// A circular arc about centre from startDegrees to endDegrees. Angles run from +x towards +y, so
// on a y-down page growing angles turn clockwise; increasing arcs run through growing angles,
// the others through shrinking ones. Equal angles give no arc. A path with a current point gets
// a straight segment to the arc's start; an empty path starts with a move to it.
void appendArc(QPainterPath &path, QPointF centre, double radius, double startDegrees, double endDegrees,
               bool increasing);
// From the current point towards corner, then the arc of radius that touches both the line into
// the corner and the line from the corner to towards, ending on the latter. A zero radius or
// lines that do not turn give a plain line to the corner. An empty path only moves to the corner.
void appendTangentArc(QPainterPath &path, QPointF corner, QPointF towards, double radius);
// Every point of the path rounded to single precision, as outline points always were.
void roundToSinglePrecision(QPainterPath &path);
// Whether every coordinate of the path is finite.
bool isFinitePath(const QPainterPath &path);

} // namespace drawsupport
