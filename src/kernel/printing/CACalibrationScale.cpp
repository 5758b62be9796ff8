#include "kernel/printing/CACalibrationScale.h"

#include <QFont>
#include <QPainter>
#include <QPen>
#include <QString>

namespace {

constexpr double kPointsPerMillimetre = 72.0 / 25.4;
// Room beyond the outermost ticks, and the depth across the ticks.
constexpr double kEndMargin = 8.0;
constexpr double kDepth = 28.0;
constexpr double kLength = 2.0 * CACalibrationScale::kRange * kPointsPerMillimetre + 2.0 * kEndMargin;

double tickLength(int millimetre)
{
    if (millimetre == 0)
        return 14.0;
    return millimetre % 5 == 0 ? 9.0 : 5.0;
}

QString reading(int millimetre)
{
    return millimetre > 0 ? QStringLiteral("+%1").arg(millimetre) : QString::number(millimetre);
}

} // namespace

QSizeF CACalibrationScale::size(Kind kind)
{
    return kind == kHorizontal ? QSizeF(kLength, kDepth) : QSizeF(kDepth, kLength);
}

QRectF CACalibrationScale::rectCenteredOn(Kind kind, const QPointF &centre)
{
    const QSizeF extent = size(kind);
    return QRectF(centre.x() - extent.width() / 2.0, centre.y() - extent.height() / 2.0, extent.width(),
                  extent.height());
}

void CACalibrationScale::draw(QPainter &painter, Kind kind, const QPointF &centre)
{
    const QRectF rect = rectCenteredOn(kind, centre);
    painter.save();
    QPen pen(Qt::black, 0.35);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    QFont font(QStringLiteral("DejaVu Sans"));
    // Pixel sizes are in the painter's own units, so the numbers are 6 points high on any device.
    font.setPixelSize(6);
    painter.setFont(font);

    const double half = kRange * kPointsPerMillimetre;
    if (kind == kHorizontal) {
        const double top = rect.top();
        painter.drawLine(QPointF(centre.x() - half, top), QPointF(centre.x() + half, top));
        for (int mm = -kRange; mm <= kRange; ++mm) {
            const double x = centre.x() + mm * kPointsPerMillimetre;
            painter.drawLine(QPointF(x, top), QPointF(x, top + tickLength(mm)));
            if (mm % 5 == 0)
                painter.drawText(QRectF(x - 8.0, top + 15.0, 16.0, 8.0), Qt::AlignCenter, reading(mm));
        }
    } else {
        // Up is the positive direction of a vertical reading.
        const bool fromLeft = kind == kVertical;
        const double edge = fromLeft ? rect.left() : rect.right();
        const double inward = fromLeft ? 1.0 : -1.0;
        painter.drawLine(QPointF(edge, centre.y() - half), QPointF(edge, centre.y() + half));
        for (int mm = -kRange; mm <= kRange; ++mm) {
            const double y = centre.y() - mm * kPointsPerMillimetre;
            painter.drawLine(QPointF(edge, y), QPointF(edge + inward * tickLength(mm), y));
            if (mm % 5 == 0) {
                const double textX = fromLeft ? edge + 15.0 : edge - 15.0 - 12.0;
                painter.drawText(QRectF(textX, y - 4.0, 12.0, 8.0),
                                 (fromLeft ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter, reading(mm));
            }
        }
    }
    painter.restore();
}
