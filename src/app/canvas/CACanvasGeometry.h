#pragma once

#include "kernel/base/FTComponentTypes.h"

#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QSizeF>

#include <Qt>

#include <functional>

// The arithmetic between the canvas widget and the design: the scale (screen pixels per point,
// the screen's resolution over 72 times the zoom), the frame of the design the widget shows, and
// the conversion of mouse positions and keys into what the editing view reads.
class CACanvasGeometry
{
public:
    // Objects outside the page keep this much room around them, in screen pixels.
    static constexpr double kMargin = 20.0;
    static constexpr double kMinFitZoom = 0.5;
    static constexpr double kMaxFitZoom = 3.0;

    // dpi / 72: a design point shown at its physical size on that screen; 1 for nonsense.
    static double resolutionFactor(double dotsPerInch);
    // Shift, Alt and Ctrl as the view's Shift, Option and Command. Linux keyboards have no
    // Command key and the window manager keeps the Meta key, so Ctrl stands in for it.
    static modifierKeys modifiers(Qt::KeyboardModifiers keys);
    // The keys of a drag step. Ctrl (the view's Command) switches snapping off for the step;
    // with snapping off in the preferences every step carries Command, whatever is held.
    static modifierKeys dragModifiers(Qt::KeyboardModifiers keys, bool snapOn);
    // Whether a drag step takes the selection out of the window as data: the view is moving the
    // selection and Alt is held. Window managers keep Alt-drags for moving windows, so Ctrl+Alt,
    // which they leave alone, is the way most users reach it.
    static bool isDragOut(Qt::KeyboardModifiers keys, bool viewIsMoving);
    // The page, grown to every object outside it with margin (points) beyond such an object.
    static QRectF frameFor(const QRectF &page, const QRectF &objects, double margin);
    // Room round a page larger than the visible area, in screen pixels.
    static constexpr double kDeskMargin = 20.0;
    // The frame a canvas shows in a visible area of room (points): on each axis the room with the
    // page in its middle, grown to the content where it reaches further; content larger than the
    // room keeps margin beside the page. Without room (not positive), the content frame.
    static QRectF frameInRoom(const QRectF &content, const QRectF &page, const QSizeF &room, double margin);
    // Where a duplicate of objects covering the rectangle goes on a card of the size (points):
    // on each axis step points right and down, as always, where the copy stays on the card;
    // else step back the other way where that keeps it whole; else the step while the copy
    // still touches the card (objects hanging over an edge, or larger than the card); else the
    // least move that brings it whole onto the card. Where that move would put the copy on an
    // object's place (taken answers for a move), the nearest whole steps either way that keep it
    // on the card and on no taken place, fewest steps first; where there is none, that move.
    static QPointF duplicateOffset(const QRectF &objects, const QSizeF &card, double step,
                                   const std::function<bool(const QPointF &move)> &taken = {});
    // The zoom that shows the page with 40 points round it in the room (in screen pixels at
    // zoom 1), clamped to 50 %..300 %.
    static double fitZoom(const QSizeF &page, const QSizeF &roomAtZoomOne);

    void setResolution(double factor) { m_factor = factor > 0 ? factor : 1.0; }
    double resolution() const { return m_factor; }
    // A zoom of 1 is 100 %; not positive is ignored.
    void setZoom(double zoom);
    double zoom() const { return m_zoom; }
    double scale() const { return m_factor * m_zoom; }

    void setFrame(const QRectF &frame) { m_frame = frame; }
    QRectF frame() const { return m_frame; }
    // The widget's size for the frame at the current scale.
    QSize pixelSize() const;

    // A mouse position in the widget as a design point, half a screen pixel back so that the
    // point is the centre of the pixel under the pointer's hot spot.
    QPointF documentPoint(const QPointF &widgetPosition) const;
    // Where a design point lies in the widget (no half-pixel shift).
    QPointF widgetPoint(const QPointF &documentPoint) const;
    QRectF widgetRect(const QRectF &documentRect) const;

private:
    double m_factor = 1.0;
    double m_zoom = 1.0;
    QRectF m_frame;
};
