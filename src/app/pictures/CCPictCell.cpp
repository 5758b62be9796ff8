#include "app/pictures/CCPictCell.h"

#include "app/pictures/CCPictImageResolver.h"
#include "platform/PWImage.h"

#include <QApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

void CCPictCell::setImageReference(const QString &reference)
{
    m_imageRef = reference;
    if (reference.isEmpty())
        m_image.reset();
    m_isImageLoaded = false;
}

void CCPictCell::unloadImage()
{
    if (m_imageRef.isEmpty())
        return;
    m_image.reset();
    m_isImageLoaded = false;
}

void CCPictCell::clear()
{
    m_imageRef.clear();
    m_imageHint.clear();
    m_toolTip.clear();
    m_image.reset();
    m_isImageLoaded = false;
}

QRectF CCPictCell::imageArea(const QRectF &r)
{
    return QRectF(std::ceil(r.x() + kImageInset), r.y() + kImageInset, r.width() - 2 * kImageInset,
                  r.height() - 2 * kImageInset - kCaptionHeight);
}

QRectF CCPictCell::captionRect(const QRectF &r, double textWidth)
{
    const double x = textWidth < r.width() ? r.x() + (r.width() - textWidth) / 2.0 : r.x() + kCaptionIndent;
    return QRectF(x, r.y() + r.height() - kCaptionHeight, r.width() - (x - r.x()), kCaptionHeight);
}

QFont CCPictCell::captionFont()
{
    QFont font = QApplication::font();
    font.setPointSizeF(kCaptionFontSize);
    return font;
}

bool CCPictCell::drawInteriorWithFrame(QPainter &painter, const QRectF &r, CCPictImageResolver &resolver)
{
    if (isEmpty())
        return false;
    bool resolved = false;
    const QRectF area = imageArea(r);
    if (!m_isImageLoaded && !m_imageRef.isEmpty()) {
        // A miss leaves the cell unloaded: a thumbnail that appears later is found at the next
        // drawing. The resolver logs the miss only once.
        if (auto image = resolver.resolve(m_imageRef, area.size())) {
            m_image = std::move(image);
            m_isImageLoaded = true;
            resolved = true;
        }
    }

    const QImage plate = CCPictImageResolver::bundleImage(QStringLiteral("clipart_plashka"));
    if (!plate.isNull())
        painter.drawImage(QPointF(std::ceil(r.x()), std::ceil(r.y())), plate);

    if (m_image && m_image->isValid()) {
        // Centred, shrunk in proportion when larger than the area, never enlarged.
        QSizeF size = m_image->size();
        if (size.isEmpty())
            size = QSizeF(m_image->pixelSize());
        if (!size.isEmpty()) {
            if (size.width() > area.width() || size.height() > area.height())
                size = size.scaled(area.size(), Qt::KeepAspectRatio);
            const QRectF target(area.center().x() - size.width() / 2.0, area.center().y() - size.height() / 2.0,
                                size.width(), size.height());
            m_image->draw(painter, target);
        }
    }

    if (!m_imageHint.isEmpty()) {
        const QFont font = captionFont();
        const QFontMetricsF metrics(font);
        const QRectF band = captionRect(r, metrics.horizontalAdvance(m_imageHint));
        painter.setFont(font);
        painter.setPen(QColor(0x20, 0x20, 0x20));
        painter.drawText(band, Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(m_imageHint, Qt::ElideRight, band.width()));
    }
    return resolved;
}
