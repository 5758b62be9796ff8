#include "app/canvas/CACanvasItem.h"

#include "app/canvas/CADocView.h"
#include "kernel/base/CDDColor.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"
#include "kernel/render/CDDDrawer.h"
#include "platform/PWPictureRenderer.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionGraphicsItem>
#include <QWidget>

CACanvasItem::CACanvasItem(CADocView &canvas)
    : m_canvas(canvas)
{
}

QColor CACanvasItem::deskColor()
{
    return QColor::fromRgbF(0.932f, 0.932f, 0.932f);
}

void CACanvasItem::setFrame(const QRectF &frame)
{
    if (frame == m_frame)
        return;
    prepareGeometryChange();
    m_frame = frame;
}

void CACanvasItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    const QRectF exposed = option->exposedRect.isEmpty() ? m_frame : option->exposedRect;
    painter->fillRect(exposed, deskColor());
    CADocument *document = m_canvas.document();
    CFTAView *view = m_canvas.ftView();
    CFTADocument *design = document ? document->ftDocument() : nullptr;
    if (!design || !view)
        return;
    const double s = m_canvas.scale();
    const double deviceRatio = widget ? widget->devicePixelRatioF() : 1.0;
    painter->setRenderHint(QPainter::Antialiasing);

    const QRectF page(0, 0, design->getDocumentSizeX(0), design->getDocumentSizeY(0));
    QPainterPath surface;
    surface.addRect(page);
    if (const std::optional<QPainterPath> path = document->documentSurfacePathForRect(page))
        surface = *path;
    painter->save();
    painter->fillPath(surface, design->getColor()->toQColor());
    painter->setPen(QPen(QColor::fromRgbF(0.6f, 0.6f, 0.6f), 1.0 / s));
    painter->drawPath(surface);
    painter->restore();

    // The window never waits for a picture to be rendered: it shows what is there and paints again
    // when the rest arrives.
    const PWPictureRenderer::Deferred deferred;
    view->SetResolution(s * deviceRatio);
    view->drawer()->SetPainter(painter);
    painter->save();
    view->DrawBack();
    painter->restore();
    view->Draw();

    if (view->isSelectBoxOper()) {
        const QRectF box = view->getNSSBRect();
        QColor fill = m_canvas.palette().color(QPalette::Highlight);
        fill.setAlphaF(0.2f);
        painter->fillRect(box, fill);
        painter->setPen(QPen(Qt::white, 1.0 / s));
        painter->drawRect(box);
    }
    if (design->HasWindow()) {
        if (const std::optional<QPainterPath> window = document->windowPath())
            painter->fillPath(*window, QColor::fromRgbF(230 / 255.0f, 240 / 255.0f, 1.0f, 0.6f));
    }
    // Objects hanging over the page's edge stay faintly visible.
    QPainterPath veil;
    veil.addRect(exposed);
    veil.addPath(surface);
    veil.setFillRule(Qt::OddEvenFill);
    QColor veilColor = deskColor();
    veilColor.setAlphaF(0.9f);
    painter->fillPath(veil, veilColor);

    view->DrawSelection();
    view->drawer()->SetPainter(nullptr);
}
