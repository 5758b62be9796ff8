#include "kernel/merge/CABandedTiff.h"

#include "kernel/base/CDDFileProgress.h"
#include "kernel/base/FTTiffMemoryFile.h"

#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <optional>

namespace {

constexpr qint64 kBandBytes = qint64(32) * 1024 * 1024;
// A byte array holds no more than this; a larger file fails rather than throws inside libtiff.
constexpr qint64 kMaxWrittenBytes = qint64(2000) * 1024 * 1024;

double usableResolution(double dotsPerInch)
{
    return std::isfinite(dotsPerInch) && dotsPerInch > 0.0 && dotsPerInch < 1.0e6 ? dotsPerInch : 72.0;
}

bool anyTransparent(const QImage &rgba)
{
    for (int y = 0; y < rgba.height(); ++y) {
        const uchar *row = rgba.constScanLine(y);
        for (int x = 0; x < rgba.width(); ++x)
            if (row[x * 4 + 3] != 0xFF)
                return true;
    }
    return false;
}

enum class Pass { Written, WrongLayout, Failed };

struct Attempt
{
    Pass pass = Pass::Failed;
    QByteArray bytes;
    QString reason;
};

// One writing of the whole bitmap, with or without alpha. Without it, a band with a transparent
// pixel stops the pass (the layout was wrong); with it, a bitmap without one is written all the
// same and reported so.
Attempt writeOnce(int width, int height, double dotsPerInch, int bandRows, bool alpha,
                  const CABandedTiff::PaintBand &paint)
{
    Attempt attempt;
    FTTiffMemoryFile file(kMaxWrittenBytes);
    TIFF *tiff = file.openForWriting();
    if (!tiff) {
        attempt.reason = QStringLiteral("libtiff could not open a memory stream");
        return attempt;
    }
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(height));
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, float(usableResolution(dotsPerInch)));
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, float(usableResolution(dotsPerInch)));
    const int samples = alpha ? 4 : 3;
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples);
    if (alpha) {
        const uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, extra);
    }
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    const uint32_t strip = std::max<uint32_t>(16, (TIFFDefaultStripSize(tiff, 0) + 15) / 16 * 16);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, std::min(strip, std::max<uint32_t>(uint32_t(height), 16)));

    bool ok = true;
    bool transparent = false;
    // A stop heard while a band is painted or compressed leaves through here: the stream is
    // closed on the way, and nothing of it is kept.
    struct Closer
    {
        TIFF *&tiff;
        ~Closer()
        {
            if (tiff)
                TIFFClose(tiff);
        }
    } closer{tiff};
    try {
        QImage band(width, std::min(bandRows, height), QImage::Format_ARGB32_Premultiplied);
        QByteArray row(qsizetype(width) * samples, Qt::Uninitialized);
        if (band.isNull())
            throw std::bad_alloc();
        for (int top = 0; ok && top < height; top += band.height()) {
            if (height - top < band.height())
                band = QImage(width, height - top, QImage::Format_ARGB32_Premultiplied);
            if (band.isNull())
                throw std::bad_alloc();
            band.fill(Qt::transparent);
            if (!paint(band, top)) {
                ok = false;
                attempt.reason = QStringLiteral("the drawing was stopped");
                break;
            }
            const QImage pixels = band.convertToFormat(QImage::Format_RGBA8888);
            if (pixels.isNull())
                throw std::bad_alloc();
            const bool clear = anyTransparent(pixels);
            transparent = transparent || clear;
            if (clear && !alpha) {
                attempt.pass = Pass::WrongLayout;
                return attempt;
            }
            for (int y = 0; y < pixels.height(); ++y) {
                // A band's compression takes long enough for a watched export to give the
                // windows their turn between its rows.
                CDDFileProgress::checkpoint();
                const uchar *source = pixels.constScanLine(y);
                if (samples == 3) {
                    for (int x = 0; x < width; ++x)
                        std::memcpy(row.data() + qsizetype(x) * 3, source + qsizetype(x) * 4, 3);
                } else {
                    std::memcpy(row.data(), source, size_t(row.size()));
                }
                if (TIFFWriteScanline(tiff, row.data(), uint32_t(top + y), 0) < 0) {
                    ok = false;
                    break;
                }
            }
        }
        ok = ok && TIFFWriteDirectory(tiff);
    } catch (const std::bad_alloc &) {
        ok = false;
        attempt.reason = QStringLiteral("there is not enough memory for a band of %1 pixels").arg(width);
    }
    TIFFClose(tiff);
    tiff = nullptr;
    if (!ok) {
        if (attempt.reason.isEmpty())
            attempt.reason = QStringLiteral("libtiff could not write the bitmap");
        return attempt;
    }
    attempt.bytes = file.takeBytes();
    attempt.pass = alpha && !transparent ? Pass::WrongLayout : Pass::Written;
    return attempt;
}

} // namespace

int CABandedTiff::defaultBandRows(int width)
{
    return int(std::max<qint64>(1, kBandBytes / (qint64(std::max(width, 1)) * 4)));
}

QByteArray CABandedTiff::write(int width, int height, double dotsPerInch, int bandRows, bool opaqueLikely,
                               const PaintBand &paint, QString *error)
{
    const auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return QByteArray();
    };
    if (width <= 0 || height <= 0)
        return fail(QStringLiteral("no bitmap"));
    const int rows = bandRows > 0 ? bandRows : defaultBandRows(width);
    Attempt first = writeOnce(width, height, dotsPerInch, rows, !opaqueLikely, paint);
    if (first.pass == Pass::Written)
        return first.bytes;
    if (first.pass == Pass::Failed)
        return fail(first.reason);
    Attempt second = writeOnce(width, height, dotsPerInch, rows, opaqueLikely, paint);
    if (second.pass == Pass::Failed)
        return fail(second.reason);
    if (second.pass == Pass::Written)
        return second.bytes;
    // Told wrong twice (a drawing that changes between passes): whichever file has alpha holds
    // the pixels.
    return second.bytes.isEmpty() ? first.bytes : second.bytes;
}
