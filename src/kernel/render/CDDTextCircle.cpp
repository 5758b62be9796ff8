#include "kernel/render/CDDText.h"

#include "kernel/base/CDDColor.h"
#include "kernel/render/CCircleText.h"
#include "kernel/render/CCircleTextContainer.h"
#include "kernel/render/CDDDrawer.h"

#include <QPainter>
#include <QTextDocument>

#include <numbers>

CCircleTextContainer *CDDText::circleTextContainer() const
{
    if (!m_isCircleText)
        return nullptr;
    if (!m_circleContainer)
        m_circleContainer = std::make_shared<CCircleTextContainer>(QSizeF(kContainerSize, kContainerSize));
    return m_circleContainer.get();
}

void CDDText::drawCircleText(double x, double y, double width, double height, bool fill, const CDDColor *backColor,
                             CDDDrawer *drawer, double angle, double baseAngle, bool inside, bool outlineOnly,
                             textAlignment alignment, std::vector<FTAGlyphLocation> &glyphs)
{
    QPainter *painter = drawer ? drawer->GetPainter() : nullptr;
    const QPointF centre(x + width / 2.0, y + height / 2.0);
    if (painter && fill && backColor) {
        painter->save();
        painter->translate(centre);
        painter->rotate(angle * 180.0 / std::numbers::pi);
        painter->setPen(Qt::NoPen);
        painter->setBrush(backColor->toQColor());
        painter->drawEllipse(QRectF(-width / 2.0, -height / 2.0, width, height));
        painter->restore();
    }
    if (painter && !isEmpty())
        noteDrawnWithoutFonts();
    // Without a container of the text's own, the drawing lays out in one of its own.
    CCircleText::doDrawCircleText(painter, m_isEditing, getContents(), circleTextContainer(), width / 2.0,
                                  height / 2.0, angle, centre, baseAngle, inside, outlineOnly, int(alignment), glyphs);
}
