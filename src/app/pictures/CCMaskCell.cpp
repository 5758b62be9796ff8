#include "app/pictures/CCMaskCell.h"

#include "platform/PWImage.h"

#include <QPainter>
#include <QPalette>

bool CCMaskCell::hasImage() const
{
    return m_image && m_image->isValid();
}

QRectF CCMaskCell::drawingRectForBounds(const QRectF &frame)
{
    return frame.adjusted(kBezel + 1, kBezel + 1, -kBezel - 1, -kBezel - 1);
}

bool CCMaskCell::releaseChooses(const QPointF &point, const QRectF &frame) const
{
    return hasImage() && frame.contains(point);
}

void CCMaskCell::drawInteriorWithFrame(QPainter &painter, const QRectF &frame, const QPalette &palette,
                                       bool focused) const
{
    painter.save();
    // The grey bezel: darker above and left, lighter below and right.
    painter.fillRect(frame, palette.color(QPalette::Base));
    painter.setPen(QPen(QColor(128, 128, 128), 1));
    painter.drawLine(frame.topLeft() + QPointF(0.5, 0.5), frame.topRight() + QPointF(-0.5, 0.5));
    painter.drawLine(frame.topLeft() + QPointF(0.5, 0.5), frame.bottomLeft() + QPointF(0.5, -0.5));
    painter.setPen(QPen(QColor(220, 220, 220), 1));
    painter.drawLine(frame.bottomLeft() + QPointF(0.5, -0.5), frame.bottomRight() + QPointF(-0.5, -0.5));
    painter.drawLine(frame.topRight() + QPointF(-0.5, 0.5), frame.bottomRight() + QPointF(-0.5, -0.5));
    const QRectF inner = drawingRectForBounds(frame);
    // Scaled to the cell whatever its proportions: masks are shapes, not photographs.
    if (hasImage())
        m_image->draw(painter, inner);
    if (m_state) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(palette.color(QPalette::Highlight), 3));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(inner.adjusted(-kRingOutset, -kRingOutset, kRingOutset, kRingOutset), 3, 3);
    }
    if (focused) {
        painter.setPen(QPen(palette.color(QPalette::Highlight), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(frame.adjusted(0.5, 0.5, -0.5, -0.5));
    }
    painter.restore();
}
