#include "app/document/CAScrollView.h"

#include "kernel/base/CAEnvironment.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int kOpenHandCursor = 8;
constexpr int kClosedHandCursor = 9;

double checkedAxis(double origin, double pageLength, double boundsLength)
{
    if (pageLength < boundsLength)
        return (boundsLength - pageLength) / 2;
    if (origin > 0)
        return 0;
    if (origin + pageLength < boundsLength)
        return boundsLength - pageLength;
    return origin;
}

} // namespace

CAScrollView::CAScrollView(QWidget *parent)
    : QWidget(parent)
{
    resetCursorRects();
}

QPointF CAScrollView::checkedOrigin(const QRectF &page, const QRectF &bounds)
{
    return QPointF(checkedAxis(page.x(), page.width(), bounds.width()),
                   checkedAxis(page.y(), page.height(), bounds.height()));
}

void CAScrollView::setPage(QWidget *page)
{
    if (QWidget *old = this->page(); old && old != page)
        old->setProperty("viewTag", QVariant());
    if (!page)
        return;
    page->setParent(this);
    page->setProperty("viewTag", kPageTag);
    // A page that does not take a press passes it up to the container, so that a drag that starts
    // on it moves it; the canvas takes its own presses.
    page->show();
    checkBounds();
}

QWidget *CAScrollView::page() const
{
    for (QObject *child : children())
        if (auto *widget = qobject_cast<QWidget *>(child); widget && widget->property("viewTag").toInt() == kPageTag)
            return widget;
    return nullptr;
}

void CAScrollView::drawBackground(bool draw)
{
    _bDrawBackground = draw;
    update();
}

void CAScrollView::setGUIMode(int mode)
{
    _GUIMode = mode;
    resetCursorRects();
}

void CAScrollView::resetCursorRects()
{
    if (_GUIMode == 1)
        setCursor(Qt::CrossCursor);
    else
        setCursor(CAEnvironment::cursorFromType(kOpenHandCursor));
}

void CAScrollView::checkBounds()
{
    QWidget *page = this->page();
    if (!page)
        return;
    const QPointF origin = checkedOrigin(QRectF(page->geometry()), QRectF(rect()));
    page->move(qRound(origin.x()), qRound(origin.y()));
}

void CAScrollView::paintEvent(QPaintEvent *)
{
    if (!_bDrawBackground)
        return;
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
}

void CAScrollView::mousePressEvent(QMouseEvent *event)
{
    if (_GUIMode != 0 || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_dragging = true;
    m_lastPosition = event->position();
    setCursor(CAEnvironment::cursorFromType(kClosedHandCursor));
}

void CAScrollView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging)
        return;
    const QPointF delta = event->position() - m_lastPosition;
    if (QWidget *page = this->page()) {
        page->move(page->pos() + delta.toPoint());
        checkBounds();
        page->update();
    }
    m_lastPosition = event->position();
}

void CAScrollView::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_dragging) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_dragging = false;
    resetCursorRects();
}

void CAScrollView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    checkBounds();
}
