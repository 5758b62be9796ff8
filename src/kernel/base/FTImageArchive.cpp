#include "kernel/base/FTImageArchive.h"

#include "kernel/base/FTTiffMemoryFile.h"
#include "platform/PWBitmapFile.h"
#include "platform/PWImage.h"
#include "platform/PWPlist.h"

#include <QBuffer>
#include <QColorSpace>
#include <QImageReader>
#include <QLocale>
#include <QRegularExpression>

#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <new>

namespace {

constexpr qsizetype kMaxReps = 32;
constexpr qsizetype kMaxObjects = 4096;
// The most bytes a TIFF written in memory may hold.
constexpr qint64 kMaxWrittenBytes = qint64(1) << 30;

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

QString sizeText(const QSizeF &size)
{
    return QStringLiteral("{%1, %2}").arg(QLocale::c().toString(size.width(), 'g', 17),
                                         QLocale::c().toString(size.height(), 'g', 17));
}

// The format Qt's image readers take bytes for; empty when none does.
QByteArray bitmapFormat(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return QImageReader::imageFormat(&buffer);
}

QSizeF parseSize(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\{\\s*([-+0-9.eE]+)\\s*,\\s*([-+0-9.eE]+)\\s*\\}$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return QSizeF();
    bool okW = false, okH = false;
    const double w = QLocale::c().toDouble(m.captured(1), &okW);
    const double h = QLocale::c().toDouble(m.captured(2), &okH);
    if (!okW || !okH || !std::isfinite(w) || !std::isfinite(h) || w <= 0 || h <= 0)
        return QSizeF();
    return QSizeF(w, h);
}

PWPlist classEntry(const QString &name, const QStringList &chain)
{
    PWPlist::Array classes;
    for (const QString &c : chain)
        classes.append(PWPlist::fromString(c));
    return PWPlist::Dictionary{{QStringLiteral("$classes"), PWPlist(classes)},
                               {QStringLiteral("$classname"), PWPlist::fromString(name)}};
}

// Whether a one-bit bitmap is plain black ink on white paper (or white on black): the bitmaps
// that CCITT Group 3 holds without loss. One with colours or a transparent colour is not.
bool isBlackAndWhite(const QImage &bitmap)
{
    if (bitmap.format() != QImage::Format_Mono && bitmap.format() != QImage::Format_MonoLSB)
        return false;
    const QList<QRgb> table = bitmap.colorTable();
    if (table.size() != 2)
        return false;
    for (const QRgb colour : table) {
        if (qAlpha(colour) != 255 || qRed(colour) != qGreen(colour) || qGreen(colour) != qBlue(colour)
            || (qRed(colour) != 0 && qRed(colour) != 255))
            return false;
    }
    return table.at(0) != table.at(1);
}

bool isGrey(const QImage &bitmap)
{
    return bitmap.format() == QImage::Format_Grayscale8 || bitmap.format() == QImage::Format_Grayscale16;
}

bool isDeep(const QImage &bitmap)
{
    switch (bitmap.format()) {
    case QImage::Format_RGBX64:
    case QImage::Format_RGBA64:
    case QImage::Format_RGBA64_Premultiplied:
    case QImage::Format_Grayscale16:
        return true;
    default:
        return false;
    }
}

// Whether any pixel of an RGBA image (8 or 16 bits a sample) is not opaque.
bool anyTransparent(const QImage &rgba)
{
    const bool deep = rgba.format() == QImage::Format_RGBA64;
    for (int y = 0; y < rgba.height(); ++y) {
        if (deep) {
            const auto *row = reinterpret_cast<const quint16 *>(rgba.constScanLine(y));
            for (int x = 0; x < rgba.width(); ++x)
                if (row[x * 4 + 3] != 0xFFFF)
                    return true;
        } else {
            const uchar *row = rgba.constScanLine(y);
            for (int x = 0; x < rgba.width(); ++x)
                if (row[x * 4 + 3] != 0xFF)
                    return true;
        }
    }
    return false;
}

double usableResolution(double dotsPerInch)
{
    return std::isfinite(dotsPerInch) && dotsPerInch > 0.0 && dotsPerInch < 1.0e6 ? dotsPerInch : 72.0;
}

bool writeOneBit(TIFF *tiff, const QImage &bitmap)
{
    const uint32_t width = uint32_t(bitmap.width());
    const uint32_t height = uint32_t(bitmap.height());
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tiff, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
    TIFFSetField(tiff, TIFFTAG_GROUP3OPTIONS, 0);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, height);
    const QImage mono = bitmap.convertToFormat(QImage::Format_Mono);
    // Black ink is a set bit in a white-is-zero image.
    const bool inkIsOne = qGray(mono.colorTable().value(1)) < 128;
    QByteArray row((width + 7) / 8, '\0');
    for (uint32_t y = 0; y < height; ++y) {
        const uchar *source = mono.constScanLine(int(y));
        for (qsizetype i = 0; i < row.size(); ++i)
            row[i] = char(inkIsOne ? source[i] : uchar(~source[i]));
        if (TIFFWriteScanline(tiff, row.data(), y, 0) < 0)
            return false;
    }
    return true;
}

bool writeSamples(TIFF *tiff, const QImage &bitmap, const FTImageArchive::TiffOptions &options)
{
    const uint32_t width = uint32_t(bitmap.width());
    const uint32_t height = uint32_t(bitmap.height());
    const bool deep = isDeep(bitmap);
    const bool grey = isGrey(bitmap);
    QImage pixels;
    if (grey)
        pixels = bitmap.convertToFormat(deep ? QImage::Format_Grayscale16 : QImage::Format_Grayscale8);
    else
        pixels = bitmap.convertToFormat(deep ? QImage::Format_RGBA64 : QImage::Format_RGBA8888);
    if (pixels.isNull())
        return false;
    const bool alpha = !grey && bitmap.hasAlphaChannel() && anyTransparent(pixels);
    const int samples = grey ? 1 : alpha ? 4 : 3;
    const int bits = deep ? 16 : 8;
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples);
    if (alpha) {
        const uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, extra);
    }
    // A JPEG's own data is stored before it comes to this (PWBitmapFile); what is written here is
    // stored without loss.
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, grey ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
    // Strips of whole blocks of 16 rows, as stored pictures have always been written.
    const uint32_t strip = std::max<uint32_t>(16, (TIFFDefaultStripSize(tiff, 0) + 15) / 16 * 16);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, std::min(strip, std::max<uint32_t>(height, 16)));
    if (!options.iccProfile.isEmpty()) {
        TIFFSetField(tiff, TIFFTAG_ICCPROFILE, uint32_t(options.iccProfile.size()), options.iccProfile.constData());
    } else if (!grey) {
        const QByteArray icc = pixels.colorSpace().isValid() ? pixels.colorSpace().iccProfile() : QByteArray();
        if (!icc.isEmpty() && pixels.colorSpace() != QColorSpace(QColorSpace::SRgb))
            TIFFSetField(tiff, TIFFTAG_ICCPROFILE, uint32_t(icc.size()), icc.constData());
    }
    const qsizetype sampleBytes = bits / 8;
    QByteArray row(qsizetype(width) * samples * sampleBytes, Qt::Uninitialized);
    for (uint32_t y = 0; y < height; ++y) {
        const uchar *source = pixels.constScanLine(int(y));
        if (samples == 3) {
            // Four samples a pixel in the bitmap, three in the file.
            for (uint32_t x = 0; x < width; ++x)
                std::memcpy(row.data() + qsizetype(x) * 3 * sampleBytes, source + qsizetype(x) * 4 * sampleBytes,
                            size_t(3 * sampleBytes));
        } else {
            std::memcpy(row.data(), source, size_t(row.size()));
        }
        if (TIFFWriteScanline(tiff, row.data(), y, 0) < 0)
            return false;
    }
    return true;
}

void setResolution(TIFF *tiff, const FTImageArchive::TiffOptions &options)
{
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, float(usableResolution(options.dotsPerInchX)));
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, float(usableResolution(options.dotsPerInchY)));
}

// The TIFF that write gives its fields and data, in memory; empty, with failure in error, when
// libtiff refuses it or memory runs out.
QByteArray writtenTiff(const std::function<bool(TIFF *)> &write, const QString &failure, QString *error)
{
    FTTiffMemoryFile file(kMaxWrittenBytes);
    TIFF *tiff = file.openForWriting();
    if (!tiff) {
        setError(error, QStringLiteral("libtiff could not open a memory stream"));
        return QByteArray();
    }
    bool ok = false;
    try {
        ok = write(tiff) && TIFFWriteDirectory(tiff);
    } catch (const std::bad_alloc &) {
        ok = false;
    }
    TIFFClose(tiff);
    if (!ok) {
        setError(error, failure);
        return QByteArray();
    }
    return file.takeBytes();
}

} // namespace

QByteArray FTImageArchive::tiffData(const QImage &bitmap, double dotsPerInch, QString *error)
{
    TiffOptions options;
    options.dotsPerInchX = dotsPerInch;
    options.dotsPerInchY = dotsPerInch;
    return tiffData(bitmap, options, error);
}

QByteArray FTImageArchive::tiffData(const QImage &bitmap, const TiffOptions &options, QString *error)
{
    if (bitmap.isNull()) {
        setError(error, QStringLiteral("no bitmap"));
        return QByteArray();
    }
    return writtenTiff(
        [&bitmap, &options](TIFF *tiff) {
            TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(bitmap.width()));
            TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(bitmap.height()));
            TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
            setResolution(tiff, options);
            return isBlackAndWhite(bitmap) ? writeOneBit(tiff, bitmap) : writeSamples(tiff, bitmap, options);
        },
        QStringLiteral("libtiff could not write the bitmap"), error);
}

QByteArray FTImageArchive::jpegTiffData(const QByteArray &jpeg, const TiffOptions &options, QString *error)
{
    const std::optional<PWBitmapFile::BaselineJpeg> layout = PWBitmapFile::baselineJpeg(jpeg);
    if (!layout) {
        setError(error, QStringLiteral("the JPEG is of a kind a TIFF does not hold as it is"));
        return QByteArray();
    }
    return writtenTiff(
        [&layout, &options](TIFF *tiff) {
            const bool grey = layout->components == 1;
            TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(layout->width));
            TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(layout->height));
            TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
            TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, layout->components);
            TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
            TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_JPEG);
            TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, grey ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_YCBCR);
            if (!grey)
                TIFFSetField(tiff, TIFFTAG_YCBCRSUBSAMPLING, uint16_t(layout->horizontalSampling),
                             uint16_t(layout->verticalSampling));
            TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, uint32_t(layout->height));
            setResolution(tiff, options);
            // Set after the compression, which reserves a table field of its own for an encoder that
            // never runs here.
            TIFFSetField(tiff, TIFFTAG_JPEGTABLES, uint32_t(layout->tables.size()), layout->tables.constData());
            if (!options.iccProfile.isEmpty())
                TIFFSetField(tiff, TIFFTAG_ICCPROFILE, uint32_t(options.iccProfile.size()), options.iccProfile.constData());
            return TIFFWriteRawStrip(tiff, 0, const_cast<char *>(layout->stream.constData()), tmsize_t(layout->stream.size()))
                   == tmsize_t(layout->stream.size());
        },
        QStringLiteral("libtiff could not write the JPEG data"), error);
}

QByteArray FTImageArchive::archivedData(const PWImage &image, QString *error)
{
    PWPlist::Array objects;
    objects.append(PWPlist::fromString(QStringLiteral("$null")));
    objects.append(PWPlist()); // the image, filled below
    objects.append(PWPlist()); // the representation array
    PWPlist::Array repRefs;
    QList<PWPlist> repObjects;
    for (const PWImageRep &rep : image.representations()) {
        QString key;
        QByteArray bytes;
        switch (rep.kind()) {
        case PWImageRep::Kind::PDF:
            key = QStringLiteral("NSPDFRepresentation");
            bytes = rep.data();
            break;
        case PWImageRep::Kind::EPS:
            key = QStringLiteral("NSEPSRepresentation");
            bytes = rep.data();
            break;
        case PWImageRep::Kind::Bitmap: {
            key = QStringLiteral("NSTIFFRepresentation");
            // Bytes that do not decode are the user's and stay as they are; so do those decoded
            // only reduced (a photo of more pixels than any drawing needs, whose own pixels are
            // never held whole), TIFF bytes that decode, and a drawing's (SVG), which pixels would
            // not hold. Every other bitmap is written as TIFF, at the resolution that keeps its
            // size in points.
            const QByteArray format = rep.data().isEmpty() ? QByteArray() : bitmapFormat(rep.data());
            const bool reduced = rep.isReduced();
            if (!rep.data().isEmpty()
                && (!rep.isReadable() || reduced || format == "tiff" || format.startsWith("svg"))) {
                bytes = rep.data();
                break;
            }
            TiffOptions options;
            if (rep.size().width() > 0 && rep.size().height() > 0) {
                options.dotsPerInchX = 72.0 * rep.pixelSize().width() / rep.size().width();
                options.dotsPerInchY = 72.0 * rep.pixelSize().height() / rep.size().height();
            }
            options.iccProfile = PWBitmapFile::iccProfile(rep.data());
            if (format == "jpeg") {
                // The photo's own compressed data, never a second generation of loss: in a TIFF
                // where one holds them as they are, else the JPEG file itself.
                bytes = jpegTiffData(rep.data(), options);
                if (bytes.isEmpty())
                    bytes = rep.data();
                break;
            }
            bytes = tiffData(rep.bitmap(), options, error);
            break;
        }
        }
        if (bytes.isEmpty())
            continue;
        repObjects.append(PWPlist::fromString(key));
        repObjects.append(PWPlist::fromData(bytes));
    }
    if (repObjects.isEmpty()) {
        setError(error, QStringLiteral("the image has no representation that can be archived"));
        return QByteArray();
    }
    // Layout: 3.. representation dictionaries, each followed by its bytes, then the classes.
    const quint64 firstRep = 3;
    const qsizetype repCount = repObjects.size() / 2;
    const quint64 classImage = firstRep + quint64(repCount) * 2;
    const quint64 classArray = classImage + 1;
    const quint64 classRep = classImage + 2;
    for (qsizetype i = 0; i < repCount; ++i) {
        const quint64 dictIndex = firstRep + quint64(i) * 2;
        repRefs.append(PWPlist::fromUid(dictIndex));
        objects.append(PWPlist::Dictionary{{QStringLiteral("$class"), PWPlist::fromUid(classRep)},
                                           {repObjects.at(i * 2).toString(), PWPlist::fromUid(dictIndex + 1)}});
        objects.append(repObjects.at(i * 2 + 1));
    }
    objects[1] = PWPlist::Dictionary{{QStringLiteral("$class"), PWPlist::fromUid(classImage)},
                                     {QStringLiteral("NSSize"), PWPlist::fromString(sizeText(image.size()))},
                                     {QStringLiteral("NSReps"), PWPlist::fromUid(2)}};
    objects[2] = PWPlist::Dictionary{{QStringLiteral("$class"), PWPlist::fromUid(classArray)},
                                     {QStringLiteral("NS.objects"), PWPlist(repRefs)}};
    objects.append(classEntry(QStringLiteral("NSImage"), {QStringLiteral("NSImage"), QStringLiteral("NSObject")}));
    objects.append(classEntry(QStringLiteral("NSArray"), {QStringLiteral("NSArray"), QStringLiteral("NSObject")}));
    objects.append(classEntry(QStringLiteral("NSImageRep"), {QStringLiteral("NSImageRep"), QStringLiteral("NSObject")}));
    const PWPlist archive = PWPlist::Dictionary{
        {QStringLiteral("$archiver"), PWPlist::fromString(QStringLiteral("NSKeyedArchiver"))},
        {QStringLiteral("$objects"), PWPlist(objects)},
        {QStringLiteral("$top"), PWPlist::Dictionary{{QStringLiteral("root"), PWPlist::fromUid(1)}}},
        {QStringLiteral("$version"), PWPlist::fromInteger(100000)}};
    return archive.toBinary();
}

std::shared_ptr<PWImage> FTImageArchive::unarchiveImage(const QByteArray &bytes, QString *error)
{
    QString reason;
    const std::optional<PWPlist> parsed = PWPlist::parse(bytes, &reason);
    if (!parsed || !parsed->isDictionary()) {
        setError(error, QStringLiteral("not a keyed archive: %1").arg(reason));
        return nullptr;
    }
    const PWPlist objectsValue = parsed->value(QStringLiteral("$objects"));
    if (!objectsValue.isArray() || objectsValue.toArray().size() > kMaxObjects) {
        setError(error, QStringLiteral("the archive has no usable object table"));
        return nullptr;
    }
    const PWPlist::Array &objects = objectsValue.toArray();
    auto deref = [&objects](const PWPlist &ref) -> PWPlist {
        if (!ref.isUid() || ref.toUid() == 0 || ref.toUid() >= quint64(objects.size()))
            return PWPlist();
        return objects.at(qsizetype(ref.toUid()));
    };
    const PWPlist root = deref(parsed->value(QStringLiteral("$top")).value(QStringLiteral("root")));
    if (!root.isDictionary()) {
        setError(error, QStringLiteral("the archive's root is no object"));
        return nullptr;
    }
    const PWPlist reps = deref(root.value(QStringLiteral("NSReps")));
    const PWPlist list = reps.value(QStringLiteral("NS.objects"));
    if (!list.isArray() || list.toArray().isEmpty() || list.toArray().size() > kMaxReps) {
        setError(error, QStringLiteral("the image has no representations"));
        return nullptr;
    }
    std::shared_ptr<PWImage> image = PWImage::create();
    for (const PWPlist &ref : list.toArray()) {
        const PWPlist rep = deref(ref);
        if (!rep.isDictionary())
            continue;
        const std::pair<const char *, PWImageRep::Kind> keys[] = {{"NSPDFRepresentation", PWImageRep::Kind::PDF},
                                                                  {"NSEPSRepresentation", PWImageRep::Kind::EPS},
                                                                  {"NSTIFFRepresentation", PWImageRep::Kind::Bitmap}};
        for (const auto &[key, kind] : keys) {
            const PWPlist data = deref(rep.value(QString::fromLatin1(key)));
            if (!data.isData() || data.toData().isEmpty())
                continue;
            if (std::shared_ptr<PWImage> decoded = PWImage::fromData(data.toData(), &reason)) {
                for (const PWImageRep &r : decoded->representations())
                    image->addRepresentation(r);
            } else {
                // The bytes stay the document's, as they are, and are drawn as a placeholder.
                image->addRepresentation(PWImageRep::unreadable(kind, data.toData(), reason, QSizeF()));
            }
        }
    }
    if (!image->isValid()) {
        setError(error, QStringLiteral("no representation of the image decodes: %1").arg(reason));
        return nullptr;
    }
    const QSizeF size = parseSize(root.value(QStringLiteral("NSSize")).toString());
    if (!size.isEmpty())
        image->setSize(size);
    return image;
}
