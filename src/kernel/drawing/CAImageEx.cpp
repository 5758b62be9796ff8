#include "CAImageEx.h"

#include "CDDDrawer.h"
#include "platform/PWImage.h"

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

} // namespace

std::unique_ptr<CAImageEx> CAImageEx::initWithData(const QByteArray &data)
{
    std::shared_ptr<PWImage> image = PWImage::fromData(data);
    if (!image || !image->isValid())
        return nullptr;
    return std::unique_ptr<CAImageEx>(new CAImageEx(std::move(image)));
}

CAImageEx::CAImageEx(std::shared_ptr<PWImage> image)
    : m_image(std::move(image))
{
}

void CAImageEx::drawInRect(QPainter &painter, const QRectF &destination)
{
    if (!destination.isValid() || !std::isfinite(destination.width()) || !std::isfinite(destination.height()))
        return;
    const QSizeF scale = deviceScale(painter);
    if (!CDDDrawer::isScreenDevice(painter.device())) {
        m_image->draw(painter, destination, QRectF(), std::max(scale.width(), scale.height()));
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
            m_image->draw(cache, QRectF(0, 0, width, height));
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
