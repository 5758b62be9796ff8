#pragma once

#include <QByteArray>
#include <QImage>
#include <QPicture>
#include <QRectF>

#include <cstdint>
#include <memory>
#include <optional>

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
    // A recorded drawing, kept as vectors. Its extent is the picture's bounding rectangle (set it
    // on the picture when the drawing does not cover the whole item); null for an empty picture.
    static std::unique_ptr<CAImageEx> initWithPicture(const QPicture &picture);
    // A bitmap; its size in points follows from its dots per metre (72 dpi when unset). Null for
    // a null image.
    static std::unique_ptr<CAImageEx> initWithImage(const QImage &image);

    // Draws the whole image into the destination; the source rectangle, operation and fraction
    // a drawing call usually takes do not apply here, so they are not taken.
    void drawInRect(QPainter &painter, const QRectF &destination);

    // The image of picture-file data; null for an image made from a picture or a bitmap.
    const std::shared_ptr<PWImage> &image() const { return m_image; }
    // Drawn as vectors into a printer or PDF: a picture, or PDF data.
    bool isVector() const;
    bool isPicture() const { return m_picture.has_value(); }
    // The extent in points.
    QSizeF size() const;
    // How often the screen bitmap has been rendered, and its pixel size.
    int cacheRenderCount() const { return m_renders; }
    QSize cachedSize() const { return QSize(_lastCachedWidth, _lastCachedHeight); }

private:
    explicit CAImageEx(std::shared_ptr<PWImage> image);
    CAImageEx() = default;
    // Draws the content itself, unscaled by any cache, into target.
    void drawContent(QPainter &painter, const QRectF &target, double resolution);

    std::shared_ptr<PWImage> m_image;
    std::optional<QPicture> m_picture;
    QRectF m_pictureBounds;
    QImage m_bitmap;
    QImage _bitmapImageRep;
    std::int32_t _lastCachedWidth = 0;
    std::int32_t _lastCachedHeight = 0;
    int m_renders = 0;
};
