#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

class QPainter;

// The millimetre scales of a label sheet's calibration page, from which the user reads how far
// the printer misplaces the print. Each scale's zero mark lies on the item edge it measures;
// the numbers grow in the direction a positive reading moves the print (right for the
// horizontal scale, up for the vertical ones), so a reading is the offset to store as it is.
class CACalibrationScale
{
public:
    enum Kind {
        // Ticks across the gap after the first column; zero at its centre.
        kHorizontal,
        // Ticks from its left edge; zero at its vertical centre.
        kVertical,
        // Ticks from its right edge; zero at its vertical centre.
        kVertical2,
    };

    // Readings run from -kRange to +kRange millimetres.
    static constexpr int kRange = 10;

    // The scale's extent in points.
    static QSizeF size(Kind kind);
    // The scale's rectangle when centred on centre.
    static QRectF rectCenteredOn(Kind kind, const QPointF &centre);
    // Draws the scale centred on centre, in black, upright.
    static void draw(QPainter &painter, Kind kind, const QPointF &centre);
};
