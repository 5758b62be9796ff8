#pragma once

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <vector>

class CCircleTextContainer;
class QPainter;
class QTextDocument;

// One placed glyph of a circle text: its origin on the page, its size (the width stored negated,
// as the drawing kept it) and its angle in radians.
struct FTAGlyphLocation
{
    FTAGlyphLocation(double x_, double y_, double width_, double height_, double angle_)
        : x(x_), y(y_), width(width_), height(height_), angle(angle_)
    {
    }
    double x;
    double y;
    double width;
    double height;
    double angle;
};

// Text laid along concentric ellipses, each glyph turned to the ellipse's tangent. Each line lies
// on an ellipse shrunk by its distance from the first, and is as long as that ellipse.
namespace CCircleText {

inline constexpr double kDefaultRadius = 200.0;
inline constexpr double kWalkStep = 0.001;

// The perimeter of an ellipse with radii a and b.
double calculateEllipseLength(double a, double b);
// The parameter angle reached after walking an arc length from t0, forwards or backwards.
double calculateAngleForArcLength(double t0, bool forward, double a, double b, double length);
// The start angle of a line of the given length: left (0) at t0, centre (2) half its length
// before, right (1) its whole length before.
double calculateStartTextAngle(bool forward, QPointF centre, double a, double b, double t0, double length,
                               int alignment);
// Places one glyph of the given size at parameter t; t moves on by the glyph's chord.
void calcAngleAndLocation(double &angle, QPointF &location, bool forward, QPointF centre, double a, double b,
                          QSizeF glyph, double &t);
// The width of a line on the ellipse at the line's vertical offset y (as the container answers
// it); nothing where the shrunk ellipse has no size left.
double lineWidthAt(double xRadius, double yRadius, double y);

// Lays out and (with a painter) draws the text's glyphs along the ellipses about centre,
// recording where each drawn glyph went; line breaks place nothing. The container's radii
// give the line lengths while the text is laid out; its size is put back afterwards.
//
// Outside, the glyphs stand on the ellipse with their tops towards it: the first baseline lies
// on the radii less the first line's ascent. Inside (inside set) they run the other way round,
// hanging inwards from a first baseline one point within the radii. Each further line lies on
// an ellipse shrunk by its distance from the first; a line with no radius left is not placed.
// alignment is the text model's (bit 2 right, bit 1 centre).
//
// With showOutline or outlineOnly the dashed ellipse is drawn in the handle colour, just
// beyond the glyphs' ellipse inside and just within it outside; outlineOnly places no glyph.
void doDrawCircleText(QPainter *painter, bool showOutline, const QTextDocument *text,
                      CCircleTextContainer *container, double rx, double ry, double rotation, QPointF centre,
                      double baseAngle, bool inside, bool outlineOnly, int alignment,
                      std::vector<FTAGlyphLocation> &glyphs);
// The dashed outline of a turned ellipse: one unit wide, dashes of four and gaps of three.
void drawOval(QPainter *painter, const QColor &colour, double angle, double cx, double cy, double rx, double ry);

} // namespace CCircleText
