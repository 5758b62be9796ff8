#include "kernel/render/CCircleTextContainer.h"

#include "kernel/render/CCircleText.h"

void CCircleTextContainer::setRadiusXAndRadiusY(double xRadius, double yRadius)
{
    m_xRadius = xRadius;
    m_yRadius = yRadius;
    m_size = QSizeF(kUnlimited, kUnlimited);
}

QRectF CCircleTextContainer::lineFragmentRectForProposedRect(const QRectF &proposed, QRectF *remaining) const
{
    QRectF line = proposed;
    line.setWidth(CCircleText::lineWidthAt(m_xRadius, m_yRadius, proposed.y()));
    if (remaining) {
        *remaining = proposed;
        remaining->moveTop(proposed.y() + proposed.height());
        remaining->setHeight(kUnlimited);
    }
    return line;
}
