#pragma once

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>

#include <memory>
#include <optional>

class PWSvgPictureDrawing;
class QPainter;

// One representation of an image: a bitmap, the bytes of a one-page PDF drawn through poppler,
// or the bytes of an EPS file, kept (with the size of their bounding box) and drawn through
// Ghostscript. PDF and EPS are drawn from rasters that PWPictureRenderer makes apart and keeps.
// A bitmap read from a file keeps the file's bytes too, and the bytes of a picture that cannot
// be drawn (damaged, cut, too large) are kept all the same: they are the user's, stored again as
// they were read, and the picture is drawn as a placeholder.
// A representation is a value; copies share their bytes.
class PWImageRep
{
public:
    enum class Kind { Bitmap, PDF, EPS };

    // A bitmap whose size in points follows its resolution: pixel size * 72 / dots per inch,
    // with 72 dots per inch when the image does not state a resolution of its own.
    static PWImageRep fromBitmap(const QImage &image);
    static PWImageRep fromBitmap(const QImage &image, const QSizeF &pointSize);
    // The first page of a PDF document, whose size poppler reads apart (PWIsolatedCall, under the
    // renderer's deadline; a size once read is remembered by the bytes). Nothing, with a reason,
    // for bytes poppler cannot open in time, a locked document or one without pages.
    static std::optional<PWImageRep> fromPDF(const QByteArray &bytes, QString *error = nullptr);
    // EPS bytes, plain or with the binary DOS header; the size comes from the "%%BoundingBox"
    // comment. Nothing, with a reason, when there is no usable bounding box.
    static std::optional<PWImageRep> fromEPS(const QByteArray &bytes, QString *error = nullptr);
    // A bitmap decoded from bytes, kept with them. The pixels may be fewer than the picture has
    // (pixelSize, which with the pixels' resolution gives the size in points): a large picture is
    // decoded reduced, to the most pixels it is drawn with.
    static PWImageRep fromEncodedBitmap(const QByteArray &bytes, const QImage &pixels, const QSize &pixelSize);
    // A bitmap of pixelSize pixels kept as its bytes alone, decoded by each drawing at the scale it
    // is drawn (PWBitmapDecodes), apart where asked (PWBitmapReader::decodePart). trial, the
    // picture decoded reduced, gives the resolution the file states; format is its layout.
    static PWImageRep fromEncodedBytes(const QByteArray &bytes, const QSize &pixelSize, const QImage &trial,
                                       QImage::Format format, bool apart);
    // Bytes of the kind given that cannot be drawn, and why; size in points.
    static PWImageRep unreadable(Kind kind, const QByteArray &bytes, const QString &reason, const QSizeF &size);

    PWImageRep(const PWImageRep &) = default;
    PWImageRep &operator=(const PWImageRep &) = default;
    PWImageRep(PWImageRep &&) = default;
    PWImageRep &operator=(PWImageRep &&) = default;
    ~PWImageRep();

    Kind kind() const { return m_kind; }
    bool isBitmap() const { return m_kind == Kind::Bitmap; }
    // Size in points.
    QSizeF size() const { return m_size; }
    // Pixels of a bitmap (as many as the picture has, also when it was decoded reduced); for PDF
    // and EPS the point size rounded up, as the platform counted them.
    QSize pixelSize() const;

    // Whether it can be drawn; why not, otherwise.
    bool isReadable() const { return m_failure.isEmpty(); }
    const QString &failure() const { return m_failure; }

    // The pixels of a bitmap (null for the other kinds and for an unreadable bitmap). Those of a
    // bitmap kept as its bytes are decoded for each call, whole (a picture of more than
    // PWBitmapReader::kMaxDrawnPixels reduced to them); drawings decode only what they show.
    QImage bitmap() const;
    // Whether bitmap() gives fewer pixels than the picture has.
    bool isReduced() const;
    // The bytes as read: PDF, EPS, the file of a bitmap (empty for a bitmap made in memory).
    const QByteArray &data() const { return m_data; }
    // The EPS bounding box or the PDF page box, in points; empty for a bitmap.
    QRectF boundingBox() const { return m_box; }

    // Whether its bytes were compressed with loss (a JPEG): a PDF may compress its pixels so again;
    // those of every other picture stay as they are.
    bool isLossy() const;
    // The pixels in the colours every output of the program takes (sRGB), for pixels whose colour
    // space is another (a photo with a wide-gamut profile); the same pixels otherwise.
    static QImage inOutputColours(const QImage &image);

    // The paths of a picture drawn from them (an SVG), at any resolution; null for pixels alone.
    const std::shared_ptr<const PWSvgPictureDrawing> &vectorDrawing() const { return m_drawing; }
    void setVectorDrawing(std::shared_ptr<const PWSvgPictureDrawing> drawing) { m_drawing = std::move(drawing); }

    // Bitmap layout as the mask conversion asks for it.
    bool hasAlpha() const;
    int bitsPerSample() const;
    int samplesPerPixel() const;

    // Draws the part source (in points of this representation, y down; an empty rectangle for
    // the whole) into target, whose points are resolution device pixels each. A PDF or EPS is
    // drawn from a raster at the resolution that fills the target (a PDF renders only the part
    // shown); one that cannot be rendered is drawn as a placeholder, as is a picture that cannot be
    // read (an SVG among them is drawn apart again, as a PDF or EPS is). Answers whether anything was
    // drawn: nothing, while a window's drawing waits for the raster (PWPictureRenderer::Deferred).
    bool draw(QPainter &painter, const QRectF &target, const QRectF &source = QRectF(),
              double resolution = 1.0) const;
    // Pixel size of the PDF or EPS raster of the last drawing; empty before the first.
    QSize renderedPixelSize() const;

private:
    struct RenderState;

    explicit PWImageRep(Kind kind);
    bool drawUnreadable(QPainter &painter, const QRectF &target, const QRectF &source) const;
    bool drawRendered(QPainter &painter, const QRectF &target, const QRectF &source, double resolution) const;
    bool drawDecoded(QPainter &painter, const QRectF &target, const QRectF &source, double resolution) const;
    QImage::Format layoutFormat() const;

    Kind m_kind = Kind::Bitmap;
    QSizeF m_size;
    QImage m_bitmap;
    QImage m_shown; // the bitmap as drawn: in the output's colours
    QByteArray m_data;
    QRectF m_box;
    QByteArray m_digest;
    QSize m_pixelSize; // of a bitmap decoded from bytes
    // A bitmap kept as its bytes: decoded by its drawings, apart where m_apart.
    bool m_deferred = false;
    bool m_apart = false;
    QImage::Format m_format = QImage::Format_Invalid;
    QString m_failure;
    std::shared_ptr<RenderState> m_render;
    std::shared_ptr<const PWSvgPictureDrawing> m_drawing;
};
