#include "app/canvas/CACanvasGeometry.h"

#include <QList>

#include <algorithm>
#include <cmath>

double CACanvasGeometry::resolutionFactor(double dotsPerInch)
{
    return dotsPerInch > 0 && std::isfinite(dotsPerInch) ? dotsPerInch / 72.0 : 1.0;
}

modifierKeys CACanvasGeometry::modifiers(Qt::KeyboardModifiers keys)
{
    modifierKeys result;
    if (keys & Qt::ShiftModifier)
        result |= modifierShift;
    if (keys & Qt::AltModifier)
        result |= modifierOption;
    if (keys & Qt::ControlModifier)
        result |= modifierCommand;
    return result;
}

modifierKeys CACanvasGeometry::dragModifiers(Qt::KeyboardModifiers keys, bool snapOn)
{
    modifierKeys result = modifiers(keys);
    if (!snapOn)
        result |= modifierCommand;
    return result;
}

bool CACanvasGeometry::isDragOut(Qt::KeyboardModifiers keys, bool viewIsMoving)
{
    return viewIsMoving && (keys & Qt::AltModifier);
}

QRectF CACanvasGeometry::frameFor(const QRectF &page, const QRectF &objects, double margin)
{
    QRectF frame = page;
    if (objects.isNull())
        return frame;
    if (!(margin >= 0) || !std::isfinite(margin))
        margin = 0.0;
    if (objects.left() < page.left())
        frame.setLeft(objects.left() - margin);
    if (objects.top() < page.top())
        frame.setTop(objects.top() - margin);
    if (objects.right() > page.right())
        frame.setRight(objects.right() + margin);
    if (objects.bottom() > page.bottom())
        frame.setBottom(objects.bottom() + margin);
    return frame;
}

namespace {

double duplicateStep(double low, double high, double extent, double step)
{
    // The moves that keep [low, high] within [0, extent].
    const double least = -low;
    const double most = extent - high;
    const auto inside = [least, most](double move) { return move >= least && move <= most; };
    if (inside(step))
        return step;
    if (inside(-step))
        return -step;
    // Objects already hanging over an edge keep the step while the copy still touches the card.
    if (low + step < extent && high + step > 0.0)
        return step;
    return least <= most ? std::clamp(step, least, most) : step;
}

// Whole steps on one axis, either way, that keep [low, high] within [0, extent]: fewest first,
// forward before back.
QList<double> stepsOnCard(double low, double high, double extent, double step)
{
    QList<double> moves;
    constexpr int kMostSteps = 64;
    for (int count = 1; count <= kMostSteps && step > 0 && std::isfinite(step); ++count) {
        for (const double move : {count * step, -count * step})
            if (move >= -low && move <= extent - high)
                moves << move;
    }
    return moves;
}

} // namespace

QPointF CACanvasGeometry::duplicateOffset(const QRectF &objects, const QSizeF &card, double step,
                                          const std::function<bool(const QPointF &)> &taken)
{
    if (objects.isNull() || !card.isValid() || !std::isfinite(objects.width()) || !std::isfinite(objects.height()))
        return QPointF(step, step);
    const QPointF first(duplicateStep(objects.left(), objects.right(), card.width(), step),
                        duplicateStep(objects.top(), objects.bottom(), card.height(), step));
    if (!taken || !taken(first))
        return first;
    // A copy stepped back at an edge would come down on the object it was copied from, and the
    // next one on the copy before: the nearest place on the card that nothing stands on.
    QList<double> xs = stepsOnCard(objects.left(), objects.right(), card.width(), step);
    QList<double> ys = stepsOnCard(objects.top(), objects.bottom(), card.height(), step);
    if (xs.isEmpty())
        xs = {first.x()};
    if (ys.isEmpty())
        ys = {first.y()};
    QList<QPointF> moves;
    for (const double x : std::as_const(xs))
        for (const double y : std::as_const(ys))
            moves << QPointF(x, y);
    std::stable_sort(moves.begin(), moves.end(), [](const QPointF &a, const QPointF &b) {
        return std::max(std::abs(a.x()), std::abs(a.y())) < std::max(std::abs(b.x()), std::abs(b.y()));
    });
    for (const QPointF &move : std::as_const(moves))
        if (!taken(move))
            return move;
    return first;
}

namespace {

struct Span
{
    double low, high;
};

// One axis of frameInRoom.
Span spanInRoom(Span content, Span page, double room, double margin)
{
    if (!(room > 0) || !std::isfinite(room))
        return content;
    // The page stays in the middle of the room; content out of that window grows the frame on
    // its side, so that what the room showed is still there to be shown.
    const double centred = (page.low + page.high) / 2.0 - room / 2.0;
    Span span {std::min(centred, content.low), std::max(centred + room, content.high)};
    // Only what does not fit scrolls, and then with room beside the page; a page that just fits
    // does not scroll for its margin.
    if (content.high - content.low > room) {
        span.low = std::min(span.low, page.low - margin);
        span.high = std::max(span.high, page.high + margin);
    }
    return span;
}

} // namespace

QRectF CACanvasGeometry::frameInRoom(const QRectF &content, const QRectF &page, const QSizeF &room, double margin)
{
    const Span x = spanInRoom({content.left(), content.right()}, {page.left(), page.right()}, room.width(), margin);
    const Span y = spanInRoom({content.top(), content.bottom()}, {page.top(), page.bottom()}, room.height(), margin);
    return QRectF(QPointF(x.low, y.low), QPointF(x.high, y.high));
}

double CACanvasGeometry::fitZoom(const QSizeF &page, const QSizeF &room)
{
    const double w = page.width() + 40.0;
    const double h = page.height() + 40.0;
    if (!(room.width() > 0) || !(room.height() > 0))
        return 1.0;
    const double zoom = w / h > room.width() / room.height() ? room.width() / w : room.height() / h;
    return std::clamp(zoom, kMinFitZoom, kMaxFitZoom);
}

void CACanvasGeometry::setZoom(double zoom)
{
    if (zoom > 0 && std::isfinite(zoom))
        m_zoom = zoom;
}

QSize CACanvasGeometry::pixelSize() const
{
    // A frame that fills a room exactly must not come out a pixel larger (and scroll) by rounding.
    constexpr double kSlack = 1e-6;
    return QSize(static_cast<int>(std::ceil(m_frame.width() * scale() - kSlack)),
                 static_cast<int>(std::ceil(m_frame.height() * scale() - kSlack)));
}

QPointF CACanvasGeometry::documentPoint(const QPointF &widgetPosition) const
{
    const double s = scale();
    return m_frame.topLeft() + widgetPosition / s - QPointF(0.5 / s, 0.5 / s);
}

QPointF CACanvasGeometry::widgetPoint(const QPointF &documentPoint) const
{
    return (documentPoint - m_frame.topLeft()) * scale();
}

QRectF CACanvasGeometry::widgetRect(const QRectF &documentRect) const
{
    return QRectF(widgetPoint(documentRect.topLeft()), documentRect.size() * scale());
}
