#include "kernel/merge/CAEnvelopeWindowFit.h"

#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"

#include <QPainterPath>
#include <QRectF>

#include <algorithm>
#include <optional>

namespace CAEnvelopeWindowFit {

namespace {

// The least room an address of a few short lines needs: a name and a street in 10 pt type.
constexpr double kLeastWidth = 108.0;
constexpr double kLeastHeight = 36.0;
// Between the address and the window's edge, as an eighth of an inch.
constexpr double kGap = 9.0;

QRectF frameOf(const CFTComponent &component)
{
    return QRectF(component.GetOriginX(), component.GetOriginY(), component.GetSizeX(), component.GetSizeY());
}

// The place in side nearest to frame, of frame's size where the side allows it.
QRectF placedIn(const QRectF &side, const QRectF &frame)
{
    QRectF placed(frame.topLeft(), frame.size().boundedTo(side.size()));
    placed.moveLeft(std::clamp(placed.left(), side.left(), side.right() - placed.width()));
    placed.moveTop(std::clamp(placed.top(), side.top(), side.bottom() - placed.height()));
    return placed;
}

} // namespace

bool placeRecipientClearOfWindow(CADocument &document)
{
    CFTADocument *kernel = document.ftDocument();
    if (!kernel || !kernel->HasWindow())
        return false;
    const std::optional<QPainterPath> path = document.windowPath();
    if (!path || path->isEmpty())
        return false;
    const QRectF window = path->boundingRect();
    const QRectF envelope(0.0, 0.0, kernel->getDocumentSizeX(0), kernel->getDocumentSizeY(0));
    // What printers leave unprinted at the edge.
    const double margin = std::clamp(std::min(envelope.width(), envelope.height()) * 0.05, 9.0, 18.0);
    const QRectF usable = envelope.adjusted(margin, margin, -margin, -margin);
    const QRectF sides[] = {
        QRectF(QPointF(window.right() + kGap, usable.top()), usable.bottomRight()),
        QRectF(usable.topLeft(), QPointF(window.left() - kGap, usable.bottom())),
        QRectF(QPointF(usable.left(), window.bottom() + kGap), usable.bottomRight()),
        QRectF(usable.topLeft(), QPointF(usable.right(), window.top() - kGap)),
    };
    std::vector<CFTComponent *> panels;
    for (const bool back : {true, false})
        for (CFTComponent *component : kernel->GetComponents(0, back))
            if (component && component->getClassID() == ciAddressPanel && !component->IsHidden())
                panels.push_back(component);
    bool moved = false;
    for (CFTComponent *panel : panels) {
        const QRectF frame = frameOf(*panel);
        if (!panel->GetToFrom() || !path->intersects(frame))
            continue;
        // The side with the most room for the address that covers no other address (the sender's).
        std::optional<QRectF> best;
        for (const QRectF &side : sides) {
            if (side.width() < kLeastWidth || side.height() < std::min(kLeastHeight, frame.height()))
                continue;
            const QRectF placed = placedIn(side, frame);
            const bool coversAnother = std::any_of(panels.cbegin(), panels.cend(), [&](const CFTComponent *other) {
                return other != panel && frameOf(*other).intersects(placed);
            });
            const auto area = [](const QRectF &r) { return r.width() * r.height(); };
            if (!coversAnother && (!best || area(placed) > area(*best)))
                best = placed;
        }
        if (!best)
            continue;
        panel->SetOrigin(best->x(), best->y());
        panel->SetSize(best->width(), best->height());
        panel->InvalidateShadow();
        moved = true;
    }
    return moved;
}

} // namespace CAEnvelopeWindowFit
