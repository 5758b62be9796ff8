#include "kernel/base/FTImageUtilities.h"

#include "platform/PWFileReader.h"
#include "platform/PWImage.h"
#include "platform/PWLog.h"

#include <QBuffer>
#include <QImageWriter>
#include <QLoggingCategory>
#include <QPainter>
#include <QtEndian>

#include <cmath>

Q_LOGGING_CATEGORY(lcImages, "pw.kernel.images")

namespace {

constexpr char kHpiSignature[8] = {char(0x89), 'H', 'P', 'I', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr qsizetype kHpiHeaderSize = 28;

// Export bitmaps beyond this are refused rather than allocated: a box of 4 billion points
// would otherwise ask for terabytes.
constexpr qint64 kMaxExportSide = 32768;
constexpr qint64 kMaxExportPixels = qint64(1) << 28;

void setError(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
}

quint32 headerWord(QByteArrayView bytes, qsizetype offset)
{
    return qFromLittleEndian<quint32>(bytes.data() + offset);
}

// The block at offset with length, when all of it lies inside the bytes.
std::optional<QByteArrayView> block(QByteArrayView bytes, quint32 offset, quint32 length)
{
    if (length == 0 || quint64(offset) + quint64(length) > quint64(bytes.size()))
        return std::nullopt;
    return bytes.sliced(qsizetype(offset), qsizetype(length));
}

// Decodes a picture straight from bytes it does not own; the decoders copy what they keep.
std::shared_ptr<PWImage> decode(QByteArrayView bytes, QString *error)
{
    return PWImage::fromData(QByteArray::fromRawData(bytes.data(), bytes.size()), error);
}

} // namespace

void convertMaskImage(PWImage *image)
{
    if (!image || image->representations().isEmpty())
        return;
    const PWImageRep source = image->representations().first();
    if (!source.isBitmap() || source.hasAlpha() || source.bitsPerSample() != 8)
        return;
    const QImage bitmap = source.bitmap();
    if (bitmap.isNull())
        return;

    // The first sample of every pixel: the grey level itself, or the red of a colour pixel
    // (palette pictures and packed colour formats alike, once spread to 32 bits).
    const bool grey = bitmap.format() == QImage::Format_Grayscale8;
    const QImage pixels = grey ? bitmap : bitmap.convertToFormat(QImage::Format_RGB32);

    QImage mask(bitmap.size(), QImage::Format_RGBA8888);
    if (mask.isNull())
        return;
    for (int y = 0; y < pixels.height(); ++y) {
        const uchar *in = pixels.constScanLine(y);
        uchar *out = mask.scanLine(y);
        for (int x = 0; x < pixels.width(); ++x) {
            const uchar sample = grey ? in[x] : uchar(qRed(reinterpret_cast<const QRgb *>(in)[x]));
            out[4 * x + 0] = 0;
            out[4 * x + 1] = 0;
            out[4 * x + 2] = 0;
            out[4 * x + 3] = sample;
        }
    }
    mask.setDotsPerMeterX(bitmap.dotsPerMeterX());
    mask.setDotsPerMeterY(bitmap.dotsPerMeterY());
    image->addRepresentation(PWImageRep::fromBitmap(mask, source.size()));
    image->removeRepresentation(0);
}

std::optional<FTHpiBlocks> parseHpiContainer(QByteArrayView bytes, QString *error)
{
    if (bytes.size() < qsizetype(sizeof kHpiSignature)
        || bytes.first(sizeof kHpiSignature) != QByteArrayView(kHpiSignature, sizeof kHpiSignature)) {
        setError(error, QStringLiteral("not an hpi container (wrong signature)"));
        return std::nullopt;
    }
    if (bytes.size() < kHpiHeaderSize) {
        setError(error, QStringLiteral("the hpi header is truncated"));
        return std::nullopt;
    }
    const std::optional<QByteArrayView> colour = block(bytes, headerWord(bytes, 12), headerWord(bytes, 16));
    if (!colour) {
        setError(error, QStringLiteral("the colour picture of the hpi container lies outside the file"));
        return std::nullopt;
    }
    FTHpiBlocks blocks;
    blocks.colour = *colour;
    blocks.mask = block(bytes, headerWord(bytes, 20), headerWord(bytes, 24)).value_or(QByteArrayView());
    return blocks;
}

std::shared_ptr<PWImage> loadHemeraImage(const QString &path)
{
    static const PWFileReader::Signature hpi{
        [](QByteArrayView head) { return head.startsWith(QByteArrayView(kHpiSignature, sizeof kHpiSignature)); },
        qsizetype(sizeof kHpiSignature), QStringLiteral("not an hpi container (wrong signature)")};
    const PWFileReader::Result file = PWFileReader::read(path, PWFileReader::kImageLimit, hpi);
    if (!file.ok()) {
        PWLog::debug(lcImages(), QStringLiteral("can't read the hpi file '%1': %2").arg(path, file.reason));
        return nullptr;
    }
    const QByteArray &bytes = file.bytes;
    QString error;
    const std::optional<FTHpiBlocks> blocks = parseHpiContainer(bytes, &error);
    if (!blocks) {
        PWLog::debug(lcImages(), QStringLiteral("'%1': %2").arg(path, error));
        return nullptr;
    }
    std::shared_ptr<PWImage> colour = decode(blocks->colour, &error);
    if (!colour) {
        PWLog::debug(lcImages(), QStringLiteral("'%1': the colour picture does not decode: %2").arg(path, error));
        return nullptr;
    }
    std::shared_ptr<PWImage> mask = blocks->mask.isEmpty() ? nullptr : decode(blocks->mask, &error);
    if (!mask || mask->size().isEmpty() || mask->pixelSize().isEmpty()) {
        PWLog::debug(lcImages(), QStringLiteral("'%1': no usable mask, the picture stays opaque").arg(path));
        return colour;
    }
    convertMaskImage(mask.get());

    // The result has the mask's size; a colour picture of another size is stretched to it.
    const QSize pixels = mask->pixelSize();
    QImage result(pixels, QImage::Format_ARGB32_Premultiplied);
    if (result.isNull())
        return colour;
    result.fill(Qt::transparent);
    {
        QPainter painter(&result);
        const QRectF whole(QPointF(0, 0), QSizeF(pixels));
        colour->draw(painter, whole);
        painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        mask->draw(painter, whole);
    }
    return PWImage::create(PWImageRep::fromBitmap(result, mask->size()));
}

QSize jpegTargetSize(double width, double height, std::uint32_t maxWidth, std::uint32_t maxHeight)
{
    if (!(width > 0) || !(height > 0) || !std::isfinite(width) || !std::isfinite(height))
        return QSize();
    // Single precision, as the sizes were.
    float w = float(width);
    float h = float(height);
    if (maxWidth != 0 && maxHeight != 0) {
        const float dw = float(width) - float(maxWidth);
        const float dh = float(height) - float(maxHeight);
        const float ratio = float(width) / float(height);
        if (dw > dh) {
            w = float(maxWidth);
            h = std::ceil(float(maxWidth) / ratio);
        } else {
            h = float(maxHeight);
            w = std::ceil(float(maxHeight) * ratio);
        }
    }
    const double sideW = std::ceil(double(w));
    const double sideH = std::ceil(double(h));
    if (sideW < 1 || sideH < 1 || sideW > kMaxExportSide || sideH > kMaxExportSide
        || sideW * sideH > double(kMaxExportPixels))
        return QSize();
    return QSize(int(sideW), int(sideH));
}

QByteArray convertImageToJPEGData(const PWImage *image, std::uint32_t maxWidth, std::uint32_t maxHeight)
{
    if (!image)
        return QByteArray();
    const QSize target = jpegTargetSize(image->size().width(), image->size().height(), maxWidth, maxHeight);
    if (target.isEmpty()) {
        PWLog::debug(lcImages(), QStringLiteral("no JPEG surface for a picture of %1 x %2 in %3 x %4")
                                     .arg(image->size().width()).arg(image->size().height())
                                     .arg(maxWidth).arg(maxHeight));
        return QByteArray();
    }
    // The surface has the target's size, so an enlargement is drawn whole.
    QImage surface(target, QImage::Format_RGB32);
    if (surface.isNull())
        return QByteArray();
    surface.fill(Qt::white);
    {
        QPainter painter(&surface);
        image->draw(painter, QRectF(QPointF(0, 0), QSizeF(target)));
    }
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(90);
    if (!writer.write(surface)) {
        PWLog::debug(lcImages(), QStringLiteral("JPEG encoding failed: %1").arg(writer.errorString()));
        return QByteArray();
    }
    return jpeg;
}
