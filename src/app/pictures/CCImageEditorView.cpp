#include "app/pictures/CCImageEditorView.h"

#include "kernel/base/CAEnvironment.h"
#include "platform/PWImage.h"
#include "platform/PWNotificationCenter.h"
#include "platform/PWPictureRenderer.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

CCImageEditorView::CCImageEditorView(QWidget *parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setCursor(CAEnvironment::cursorFromType(CCImageEditorGeometry::CursorBox));
    m_geometry.setSelectionListener([this] {
        update();
        Q_EMIT selectionChanged();
    });
    // A PDF or EPS picture rendered in the background shows as soon as it is there.
    PWNotificationCenter::defaultCenter().addObserver(
        PWPictureRenderer::kRenderedNotification, nullptr, [this](const PWNotification &) { update(); }, this);
}

CCImageEditorView::~CCImageEditorView() = default;

void CCImageEditorView::setPicture(std::shared_ptr<PWImage> picture)
{
    m_picture = std::move(picture);
    m_geometry.setImageSize(m_picture ? m_picture->size() : QSizeF());
    update();
}

void CCImageEditorView::releasePicture()
{
    m_picture.reset();
    update();
}

void CCImageEditorView::updateSize()
{
    applyScale(true);
}

void CCImageEditorView::setScaleFactor(double scale)
{
    m_geometry.setScaleFactor(scale);
    applyScale(true);
}

QScrollArea *CCImageEditorView::scrollArea() const
{
    QWidget *viewport = parentWidget();
    return viewport ? qobject_cast<QScrollArea *>(viewport->parentWidget()) : nullptr;
}

QSizeF CCImageEditorView::viewportSize() const
{
    const QScrollArea *area = scrollArea();
    return area ? QSizeF(area->viewport()->size()) : QSizeF(size());
}

QSizeF CCImageEditorView::contentSize() const
{
    const QScrollArea *area = scrollArea();
    if (!area)
        return QSizeF(size());
    const int bar = area->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, area);
    const int frame = 2 * area->frameWidth();
    return QSizeF(std::max(1, area->width() - frame - bar), std::max(1, area->height() - frame - bar));
}

QPointF CCImageEditorView::imageOrigin() const
{
    const double s = m_geometry.getScaleFactor();
    const QSizeF image = m_geometry.imageSize() * s;
    return QPointF(std::max(0.0, (width() - image.width()) / 2.0), std::max(0.0, (height() - image.height()) / 2.0));
}

QPointF CCImageEditorView::imagePoint(const QPointF &widgetPoint) const
{
    const double s = m_geometry.getScaleFactor();
    const QPointF origin = imageOrigin();
    return QPointF((widgetPoint.x() - origin.x()) / s,
                   m_geometry.imageSize().height() - (widgetPoint.y() - origin.y()) / s);
}

QPointF CCImageEditorView::widgetPoint(const QPointF &imagePoint) const
{
    const double s = m_geometry.getScaleFactor();
    const QPointF origin = imageOrigin();
    return QPointF(origin.x() + imagePoint.x() * s, origin.y() + (m_geometry.imageSize().height() - imagePoint.y()) * s);
}

QRectF CCImageEditorView::widgetRect(const QRectF &imageRect) const
{
    const QRectF r = imageRect.normalized();
    const double s = m_geometry.getScaleFactor();
    const QPointF topLeft = widgetPoint(QPointF(r.left(), r.bottom()));
    return QRectF(topLeft, QSizeF(r.width() * s, r.height() * s));
}

QRectF CCImageEditorView::visibleImageRect() const
{
    QRectF shown = visibleRegion().boundingRect();
    if (shown.isEmpty())
        shown = rect();
    return QRectF(imagePoint(shown.bottomLeft()), imagePoint(shown.topRight())).normalized();
}

void CCImageEditorView::watchViewport()
{
    QScrollArea *area = scrollArea();
    QWidget *viewport = area ? area->viewport() : nullptr;
    if (viewport == m_watchedViewport)
        return;
    if (m_watchedViewport)
        m_watchedViewport->removeEventFilter(this);
    m_watchedViewport = viewport;
    if (viewport)
        viewport->installEventFilter(this);
}

void CCImageEditorView::applyScale(bool centre)
{
    watchViewport();
    const double s = m_geometry.getScaleFactor();
    const QSizeF image = m_geometry.imageSize() * s;
    const QSizeF shown = viewportSize();
    // The canvas is never smaller than the visible area, so that a small image sits in its middle.
    const QSize wanted(int(std::ceil(std::max(image.width(), shown.width()))),
                       int(std::ceil(std::max(image.height(), shown.height()))));
    if (size() != wanted)
        resize(wanted);
    update();
    QScrollArea *area = scrollArea();
    if (!centre || !area)
        return;
    QPointF target;
    if (m_geometry.isSelected()) {
        const QRectF selection = m_geometry.getSelection();
        target = widgetPoint(selection.center()) - QPointF(shown.width() / 2.0, shown.height() / 2.0);
    } else {
        target = QPointF(std::abs(wanted.width() - shown.width()) / 2.0, std::abs(wanted.height() - shown.height()) / 2.0);
    }
    area->horizontalScrollBar()->setValue(int(std::lround(target.x())));
    area->verticalScrollBar()->setValue(int(std::lround(target.y())));
}

bool CCImageEditorView::eventFilter(QObject *watched, QEvent *event)
{
    // The visible area changed (window resized, a scroll bar came or went): the same scale again.
    if (event->type() == QEvent::Resize && watched == m_watchedViewport)
        applyScale(true);
    return QWidget::eventFilter(watched, event);
}

void CCImageEditorView::paintEvent(QPaintEvent *event)
{
    // The window never waits for a PDF or EPS picture to be rendered: it shows what is there and
    // paints again when the raster arrives, so that a picture that never finishes holds up nothing.
    const PWPictureRenderer::Deferred deferred;
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Mid));
    const double s = m_geometry.getScaleFactor();
    const QRectF imageArea = widgetRect(QRectF(QPointF(0, 0), m_geometry.imageSize()));
    if (m_picture && !imageArea.isEmpty()) {
        // Only the visible part is drawn: at a large scale the whole image would be far larger
        // than the screen. A paint of a strip a scroll exposes asks for the whole visible part,
        // so that the repaint when its raster arrives asks for the same one.
        const QRect visible = visibleRegion().boundingRect().united(event->rect());
        const QRectF shown = imageArea.intersected(QRectF(visible));
        const QRectF exposed = shown.intersected(QRectF(event->rect()));
        if (!exposed.isEmpty()) {
            const QRectF source((shown.x() - imageArea.x()) / s, (shown.y() - imageArea.y()) / s, shown.width() / s,
                                shown.height() / s);
            painter.save();
            painter.setClipRect(exposed);
            m_picture->draw(painter, shown, source, devicePixelRatioF());
            painter.restore();
        }
    }
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (m_geometry.isTouched()) {
        const QRectF selection = widgetRect(m_geometry.getSelection());
        QPainterPath dimmed;
        dimmed.setFillRule(Qt::OddEvenFill);
        dimmed.addRect(QRectF(rect()));
        dimmed.addRect(selection);
        painter.fillPath(dimmed, QColor::fromRgbF(0.3f, 0.3f, 0.3f, 0.5f));
        // The frame lies inside the selection.
        const double lw = CCImageEditorGeometry::kSelectionLinePoints;
        painter.setPen(QPen(QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.9f), lw));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(selection.adjusted(lw / 2, lw / 2, -lw / 2, -lw / 2));
    }
    const double lw1 = CCImageEditorGeometry::kImageLinePoints;
    painter.setPen(QPen(Qt::black, lw1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(imageArea.adjusted(-lw1 / 2, -lw1 / 2, lw1 / 2, lw1 / 2));
}

void CCImageEditorView::updateCursor(const QPointF &widgetPoint)
{
    const int type = m_geometry.cursorTypeAt(imagePoint(widgetPoint), visibleImageRect());
    setCursor(CAEnvironment::cursorFromType(type));
}

void CCImageEditorView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        if (m_geometry.rightMouseDown(contentSize()))
            applyScale(true);
        event->accept();
        return;
    }
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_dragging = true;
    m_geometry.mouseDown(imagePoint(event->position()));
    update();
    event->accept();
}

void CCImageEditorView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging && (event->buttons() & Qt::LeftButton)) {
        m_geometry.mouseDragged(imagePoint(event->position()));
        update();
    } else {
        updateCursor(event->position());
    }
    event->accept();
}

void CCImageEditorView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_dragging) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_dragging = false;
    m_geometry.mouseUp();
    update();
    updateCursor(event->position());
    event->accept();
}

void CCImageEditorView::wheelEvent(QWheelEvent *event)
{
    const QPoint delta = event->angleDelta().isNull() ? event->pixelDelta() : event->angleDelta();
    if (delta.isNull()) {
        event->accept();
        return;
    }
    m_geometry.setScaleFactor(m_geometry.wheelScale(delta.y()));
    applyScale(true);
    Q_EMIT scrollWheelChanged();
    event->accept();
}
