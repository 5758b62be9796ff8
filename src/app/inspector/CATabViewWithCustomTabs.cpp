#include "app/inspector/CATabViewWithCustomTabs.h"

#include <QPainter>
#include <QResizeEvent>
#include <QStackedWidget>

#include <cmath>

namespace {
// The content rectangle of a tab view without tabs, before the row is taken into account.
constexpr int kStandardTop = 8;
constexpr int kStandardBottom = 10;
} // namespace

CATabViewWithCustomTabs::CATabViewWithCustomTabs(QWidget *parent)
    : QWidget(parent)
    , m_pages(new QStackedWidget(this))
{
}

void CATabViewWithCustomTabs::setCustomTabs(QWidget *tabs)
{
    m_customTabs = tabs;
    if (!tabs)
        return;
    tabs->setParent(this);
    if (const QSize hint = tabs->sizeHint(); hint.isValid())
        tabs->resize(hint);
    tabs->show();
    // On waking the row is centred in whole points.
    placeTabs(QPointF((width() - tabs->width()) / 2, 2.0));
    m_pages->setGeometry(contentRect());
    update();
}

void CATabViewWithCustomTabs::placeTabs(const QPointF &origin)
{
    m_tabsOrigin = origin;
    if (m_customTabs)
        m_customTabs->move(static_cast<int>(std::floor(origin.x())), static_cast<int>(std::floor(origin.y())));
}

void CATabViewWithCustomTabs::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_customTabs)
        placeTabs(QPointF(std::ceil((width() - m_customTabs->width()) / 2.0) + 0.5, 2.0));
    m_pages->setGeometry(contentRect());
}

int CATabViewWithCustomTabs::bandHeight() const
{
    const int h = m_customTabs ? m_customTabs->height() : 0;
    return static_cast<int>(h / 2.0 + 2);
}

QRect CATabViewWithCustomTabs::contentRect() const
{
    const int h = m_customTabs ? m_customTabs->height() : 0;
    QRect content(0, kStandardTop, width(), height() - kStandardTop - kStandardBottom);
    content.translate(0, h + 2 - 5);
    content.setHeight(content.height() - (h - 12));
    return content;
}

QSize CATabViewWithCustomTabs::sizeHint() const
{
    const QSize tabs = m_customTabs ? m_customTabs->sizeHint() : QSize();
    const QSize page = m_pages->sizeHint();
    return QSize(qMax(tabs.width() + 8, page.width()), page.height() + tabs.height() + kStandardTop + kStandardBottom);
}

QSize CATabViewWithCustomTabs::minimumSizeHint() const
{
    const QSize tabs = m_customTabs ? m_customTabs->sizeHint() : QSize();
    const QSize page = m_pages->minimumSizeHint();
    return QSize(qMax(tabs.width() + 8, page.width()), page.height() + tabs.height() + kStandardTop + kStandardBottom);
}

void CATabViewWithCustomTabs::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int W = width();
    const double b = bandHeight();
    painter.fillRect(QRectF(0, 0, W, b + 0.5), QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.45f));
    painter.setPen(QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.4f));
    painter.drawLine(QPointF(0, b + 0.5), QPointF(W, b + 0.5));
    painter.setPen(QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.1f));
    painter.drawLine(QPointF(0, b + 1.5), QPointF(W, b + 1.5));
}
