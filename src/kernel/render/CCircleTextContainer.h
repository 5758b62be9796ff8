#pragma once

#include <QRectF>
#include <QSizeF>

// The layout area of a circle text: every line is as long as the ellipse it lies on, an
// ellipse of the container's radii shrunk by the line's distance from the top.
class CCircleTextContainer
{
public:
    static constexpr double kDefaultRadius = 200.0;
    // The size the container takes once radii are set: nothing else limits a line.
    static constexpr double kUnlimited = 1000000.0;

    explicit CCircleTextContainer(QSizeF size = QSizeF(kUnlimited, kUnlimited))
        : m_size(size)
    {
    }

    void setRadiusXAndRadiusY(double xRadius, double yRadius);
    double radiusX() const { return m_xRadius; }
    double radiusY() const { return m_yRadius; }
    QSizeF containerSize() const { return m_size; }
    void setContainerSize(QSizeF size) { m_size = size; }

    // The line for the proposed rectangle: as wide as the ellipse at its top; remaining, when
    // given, becomes everything below it.
    QRectF lineFragmentRectForProposedRect(const QRectF &proposed, QRectF *remaining) const;

private:
    double m_xRadius = kDefaultRadius;
    double m_yRadius = kDefaultRadius;
    QSizeF m_size;
};
