#include "app/inspector/CADesignTabStrip.h"

#include "platform/PWBundle.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <cmath>

CADesignTabStrip::CADesignTabStrip(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("designTabStrip"));
    setMinimumHeight(static_cast<int>(kIconSize) + 12);
    setFocusPolicy(Qt::NoFocus);
}

QString CADesignTabStrip::toolTipForTab(int index)
{
    static const char *const keys[kTabCount] = {"Address Panels", "Address Fields", "Image Collection", "Handling"};
    if (index < 0 || index >= kTabCount)
        return {};
    return PWLocalizedString(QString::fromLatin1(keys[index]));
}

QSize CADesignTabStrip::sizeHint() const
{
    return QSize(static_cast<int>(tabRectByIndex(kTabCount - 1).right()) + 3, static_cast<int>(kIconSize) + 12);
}

QRectF CADesignTabStrip::tabRectByIndex(int index) const
{
    const double width = kIconSize + 11.0;
    return QRectF(index * width + 3.0, 0.0, width, height());
}

int CADesignTabStrip::tabAt(const QPointF &point) const
{
    for (int i = 0; i < kTabCount; ++i) {
        if (tabRectByIndex(i).contains(point))
            return i;
    }
    return -1;
}

void CADesignTabStrip::setCurrentTab(int index)
{
    if (index < 0 || index >= kTabCount)
        return;
    m_currentTabIndex = index;
    update();
    Q_EMIT tabActivated(index);
}

void CADesignTabStrip::selectTabAtIndex(int index)
{
    if (index < 0 || index >= kTabCount)
        return;
    m_currentTabIndex = index;
    update();
}

void CADesignTabStrip::mousePressEvent(QMouseEvent *event)
{
    const int tab = tabAt(event->position());
    if (tab >= 0 && event->button() == Qt::LeftButton)
        setCurrentTab(tab);
    QWidget::mousePressEvent(event);
}

bool CADesignTabStrip::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const int tab = tabAt(help->pos());
        if (tab >= 0)
            QToolTip::showText(help->globalPos(), toolTipForTab(tab), this, tabRectByIndex(tab).toRect());
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void CADesignTabStrip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), QColor(0, 0, 0, 18));
    painter.fillRect(QRectF(0, height() - 1, width(), 1), QColor(251, 251, 251));
    painter.fillRect(QRectF(0, height() - 2, width(), 1), QColor(195, 195, 195));
    for (int i = 0; i < kTabCount; ++i) {
        const QRectF tab = tabRectByIndex(i);
        if (i == m_currentTabIndex) {
            QPainterPath highlight;
            highlight.addRoundedRect(tab.adjusted(1, 3, -1, -2), 5, 5);
            painter.fillPath(highlight, QColor(255, 255, 255, 200));
            painter.setPen(QColor(150, 150, 150));
            painter.drawPath(highlight);
        }
        const QRectF box(std::floor(tab.left() + 5.5), (height() - kIconSize) / 2.0, kIconSize, kIconSize);
        drawIcon(painter, i, box);
    }
}

// Our own small pictures: a stack of address lines, one field, a framed picture, a caution sign.
void CADesignTabStrip::drawIcon(QPainter &painter, int index, const QRectF &box) const
{
    painter.save();
    painter.setPen(QPen(QColor(70, 70, 70), 1.2));
    switch (index) {
    case 0:
        painter.setBrush(QColor(250, 250, 245));
        painter.drawRoundedRect(box.adjusted(1, 4, -1, -4), 2, 2);
        for (int line = 0; line < 3; ++line) {
            const double y = box.top() + 8.5 + line * 3.5;
            painter.drawLine(QPointF(box.left() + 4, y), QPointF(box.right() - (line == 2 ? 9 : 5), y));
        }
        break;
    case 1:
        painter.setBrush(QColor(225, 225, 225));
        painter.drawRoundedRect(QRectF(box.left() + 1, box.center().y() - 5, box.width() - 2, 10), 5, 5);
        painter.drawLine(QPointF(box.left() + 6, box.center().y()), QPointF(box.right() - 6, box.center().y()));
        break;
    case 2:
        painter.setBrush(QColor(200, 225, 250));
        painter.drawRect(box.adjusted(2, 4, -2, -4));
        painter.setBrush(QColor(90, 150, 80));
        painter.drawPolygon(QPolygonF({QPointF(box.left() + 4, box.bottom() - 6), QPointF(box.center().x(), box.top() + 10),
                                       QPointF(box.right() - 4, box.bottom() - 6)}));
        painter.setBrush(QColor(240, 200, 40));
        painter.drawEllipse(QPointF(box.right() - 7, box.top() + 8), 2.2, 2.2);
        break;
    default:
        painter.setBrush(QColor(250, 200, 40));
        painter.drawPolygon(QPolygonF({QPointF(box.center().x(), box.top() + 2), QPointF(box.right() - 1, box.bottom() - 3),
                                       QPointF(box.left() + 1, box.bottom() - 3)}));
        painter.setPen(QPen(QColor(40, 40, 40), 2.0));
        painter.drawLine(QPointF(box.center().x(), box.top() + 9), QPointF(box.center().x(), box.bottom() - 9));
        painter.drawPoint(QPointF(box.center().x(), box.bottom() - 6));
        break;
    }
    painter.restore();
}
