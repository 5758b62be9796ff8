#include "kernel/drawing/CAImageEx.h"

#include "kernel/render/CDDDrawer.h"
#include "platform/PWImage.h"
#include "platform/PWImageRep.h"

#include <QPainter>

#include <cmath>

namespace {

// Device pixels per unit of the painter along each axis.
QSizeF deviceScale(const QPainter &painter)
{
    const QTransform t = painter.deviceTransform();
    return QSizeF(std::hypot(t.m11(), t.m12()), std::hypot(t.m21(), t.m22()));
}

// No cached rendering grows beyond this many pixels a side.
constexpr double kMaxSide = 16384.0;

constexpr double kPointsPerMetre = 72.0 / 0.0254;

} // namespace

std::unique_ptr<CAImageEx> CAImageEx::initWithData(const QByteArray &data)
{
    std::shared_ptr<PWImage> image = PWImage::fromData(data);
    if (!image || !image->isValid())
        return nullptr;
    return std::unique_ptr<CAImageEx>(new CAImageEx(std::move(image)));
}

std::unique_ptr<CAImageEx> CAImageEx::initWithPicture(const QPicture &picture)
{
    const QRectF bounds = picture.boundingRect();
    if (picture.isNull() || !bounds.isValid())
        return nullptr;
    std::unique_ptr<CAImageEx> result(new CAImageEx());
    result->m_picture = picture;
    result->m_pictureBounds = bounds;
    return result;
}

std::unique_ptr<CAImageEx> CAImageEx::initWithImage(const QImage &image)
{
    if (image.isNull())
        return nullptr;
    std::unique_ptr<CAImageEx> result(new CAImageEx());
    result->m_bitmap = image;
    return result;
}

CAImageEx::CAImageEx(std::shared_ptr<PWImage> image)
    : m_image(std::move(image))
{
}

bool CAImageEx::isVector() const
{
    if (m_picture)
        return true;
    if (!m_image)
        return false;
    const PWImageRep *rep = m_image->bestRepresentation();
    return rep && rep->kind() == PWImageRep::Kind::PDF;
}

QSizeF CAImageEx::size() const
{
    if (m_picture)
        return m_pictureBounds.size();
    if (!m_bitmap.isNull()) {
        const double dpmX = m_bitmap.dotsPerMeterX() > 0 ? m_bitmap.dotsPerMeterX() : kPointsPerMetre;
        const double dpmY = m_bitmap.dotsPerMeterY() > 0 ? m_bitmap.dotsPerMeterY() : kPointsPerMetre;
        return QSizeF(m_bitmap.width() * kPointsPerMetre / dpmX, m_bitmap.height() * kPointsPerMetre / dpmY);
    }
    return m_image ? m_image->size() : QSizeF();
}

void CAImageEx::drawContent(QPainter &painter, const QRectF &target, double resolution)
{
    if (m_picture) {
        painter.save();
        painter.translate(target.topLeft());
        painter.scale(target.width() / m_pictureBounds.width(), target.height() / m_pictureBounds.height());
        painter.translate(-m_pictureBounds.topLeft());
        painter.drawPicture(0, 0, *m_picture);
        painter.restore();
        return;
    }
    if (!m_bitmap.isNull()) {
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, m_bitmap);
        painter.restore();
        return;
    }
    if (m_image)
        m_image->draw(painter, target, QRectF(), resolution);
}

void CAImageEx::drawInRect(QPainter &painter, const QRectF &destination)
{
    if (!destination.isValid() || !std::isfinite(destination.width()) || !std::isfinite(destination.height()))
        return;
    const QSizeF scale = deviceScale(painter);
    // A bitmap is already pixels: drawing it directly is as cheap as a cached copy.
    if (!CDDDrawer::isScreenDevice(painter.device()) || !m_bitmap.isNull()) {
        drawContent(painter, destination, std::max(scale.width(), scale.height()));
        return;
    }
    const double kw = std::min(destination.width() * scale.width(), kMaxSide);
    const double kh = std::min(destination.height() * scale.height(), kMaxSide);
    const int width = int(kw);
    const int height = int(kh);
    if (width != _lastCachedWidth || height != _lastCachedHeight) {
        _lastCachedWidth = width;
        _lastCachedHeight = height;
        _bitmapImageRep = QImage();
        if (width > 0 && height > 0) {
            _bitmapImageRep = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
            _bitmapImageRep.fill(Qt::transparent);
            QPainter cache(&_bitmapImageRep);
            cache.setRenderHint(QPainter::SmoothPixmapTransform);
            cache.setRenderHint(QPainter::Antialiasing);
            drawContent(cache, QRectF(0, 0, width, height), 1.0);
            ++m_renders;
        }
    }
    if (!_bitmapImageRep.isNull()) {
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(destination, _bitmapImageRep);
        painter.restore();
    }
}
