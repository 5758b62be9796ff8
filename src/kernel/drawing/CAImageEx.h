#pragma once

#include <QByteArray>
#include <QImage>
#include <QRectF>

#include <cstdint>
#include <memory>

class PWImage;
class QPainter;

// The rendering of one merged design as the printing views hold it (PDF or TIFF data). On the
// screen it renders its data once per on-screen pixel size into a bitmap and afterwards draws
// that bitmap; into a printer or PDF it draws its data directly, keeping vectors and resolution,
// and leaves the screen bitmap alone.
class CAImageEx
{
public:
    // Null for data no image can be read from.
    static std::unique_ptr<CAImageEx> initWithData(const QByteArray &data);

    // Draws the whole image into the destination; the source rectangle, operation and fraction
    // of the original signature do not apply, so they are not taken.
    void drawInRect(QPainter &painter, const QRectF &destination);

    const std::shared_ptr<PWImage> &image() const { return m_image; }
    // How often the screen bitmap has been rendered, and its pixel size.
    int cacheRenderCount() const { return m_renders; }
    QSize cachedSize() const { return QSize(_lastCachedWidth, _lastCachedHeight); }

private:
    explicit CAImageEx(std::shared_ptr<PWImage> image);

    std::shared_ptr<PWImage> m_image;
    QImage _bitmapImageRep;
    std::uint32_t _lastTimeInterval = 0;
    std::int32_t _lastCachedWidth = 0;
    std::int32_t _lastCachedHeight = 0;
    int m_renders = 0;
};
