// The frame the canvas shows: the page and the objects off it, grown to fill the visible room of
// the scroll area that holds the canvas, and the zoom that fits the page into a room.
#include "app/canvas/CADocView.h"

#include "app/canvas/CACanvasItem.h"
#include "kernel/base/FTClassID.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"
#include "kernel/render/CDDDrawer.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QGraphicsScene>
#include <QScrollBar>

#include <algorithm>

double CADocView::fitZoom(const QSizeF &room) const
{
    const CFTADocument *design = m_document ? m_document->ftDocument() : nullptr;
    if (!design)
        return 1.0;
    return CACanvasGeometry::fitZoom(QSizeF(design->getDocumentSizeX(0), design->getDocumentSizeY(0)),
                                     room / m_geometry.resolution());
}

QRectF CADocView::objectsBounds() const
{
    QRectF bounds;
    if (!m_view)
        return bounds;
    for (const CFTComponent *component : m_view->GetCurrentComponents()) {
        QRectF drawn = component->GetNSDrawRect(false, 0.0);
        // A selected panel shows its side and template tabs above its top edge; the frame keeps
        // room for them whether or not it is selected, so that selecting never shifts the page.
        if (component->getClassID() == ciAddressPanel)
            drawn.setTop(drawn.top() - CDDDrawer::kBoxLabelHeight);
        bounds |= drawn;
    }
    return bounds;
}

void CADocView::refitFrame()
{
    fitFrame(true);
}

void CADocView::fitFrame(bool keepShown)
{
    const CFTADocument *design = m_document ? m_document->ftDocument() : nullptr;
    const QRectF page = design ? QRectF(0, 0, design->getDocumentSizeX(0), design->getDocumentSizeY(0)) : QRectF();
    const QRectF before = m_geometry.frame();
    QAbstractScrollArea *area = enclosingScrollArea();
    QScrollBar *across = area ? area->horizontalScrollBar() : nullptr;
    QScrollBar *down = area ? area->verticalScrollBar() : nullptr;
    const double s = scale();
    const QSizeF room = area ? QSizeF(area->viewport()->size()) / s : QSizeF();
    // Both margins are the screen's: the same few pixels of desk at every zoom.
    const QRectF content = CACanvasGeometry::frameFor(page, objectsBounds(), CACanvasGeometry::kMargin / s);
    QRectF frame = CACanvasGeometry::frameInRoom(content, page, room, CACanvasGeometry::kDeskMargin / s);
    // What the room shows now, in points.
    const bool keep = keepShown && across && down && !before.isEmpty();
    const QSize whole = area ? area->maximumViewportSize() : QSize();
    if (keep && whole == m_wholeRoom) {
        // Only a scroll bar came or went (the canvas grew or shrank along the other axis): an axis
        // that scrolls neither before nor after keeps its edge where it was, rather than centring
        // the page again by half a bar, as long as the content stays in view.
        if (across->maximum() == 0 && frame.width() <= room.width() + 1e-9 && content.width() <= room.width())
            frame.moveLeft(std::clamp(before.left(), content.right() - room.width(), content.left()));
        if (down->maximum() == 0 && frame.height() <= room.height() + 1e-9 && content.height() <= room.height())
            frame.moveTop(std::clamp(before.top(), content.bottom() - room.height(), content.top()));
    }
    m_wholeRoom = whole;
    const QRectF shown = keep ? QRectF(before.topLeft() + QPointF(across->value(), down->value()) / s, room) : QRectF();
    m_geometry.setFrame(frame);
    applyGeometry();
    // Scrolled to what it showed: growing on the left or top moved everything right or down.
    const QRectF after = m_geometry.frame();
    if (keep && after != before) {
        across->setValue(qRound((shown.left() - after.left()) * s));
        down->setValue(qRound((shown.top() - after.top()) * s));
    }
}

QAbstractScrollArea *CADocView::enclosingScrollArea() const
{
    QWidget *port = parentWidget();
    auto *area = port ? qobject_cast<QAbstractScrollArea *>(port->parentWidget()) : nullptr;
    return area && area->viewport() == port ? area : nullptr;
}

void CADocView::watchRoom()
{
    QAbstractScrollArea *area = enclosingScrollArea();
    QWidget *room = area ? area->viewport() : nullptr;
    if (room == m_room)
        return;
    if (m_room)
        m_room->removeEventFilter(this);
    m_room = room;
    if (room)
        room->installEventFilter(this);
    refitFrame();
}

bool CADocView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_room && event->type() == QEvent::Resize)
        refitFrame();
    return QGraphicsView::eventFilter(watched, event);
}

void CADocView::applyGeometry()
{
    const QRectF frame = m_geometry.frame();
    m_item->setFrame(frame);
    m_scene->setSceneRect(frame);
    setTransform(QTransform::fromScale(scale(), scale()));
    resize(m_geometry.pixelSize());
    centerOn(frame.center());
    viewport()->update();
}
