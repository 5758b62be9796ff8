#include "kernel/base/FTImageArchive.h"

#include "platform/PWImage.h"
#include "platform/PWPlist.h"

#include <QLocale>
#include <QRegularExpression>

#include <tiffio.h>

#include <cmath>
#include <cstring>

namespace {

constexpr qsizetype kMaxReps = 32;
constexpr qsizetype kMaxObjects = 4096;

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// libtiff reads and writes through these on a growable byte buffer.
struct MemoryFile
{
    QByteArray bytes;
    toff_t pos = 0;
};

tsize_t memRead(thandle_t h, tdata_t data, tsize_t size)
{
    auto *f = static_cast<MemoryFile *>(h);
    if (f->pos >= toff_t(f->bytes.size()))
        return 0;
    const tsize_t n = std::min<tsize_t>(size, tsize_t(f->bytes.size() - f->pos));
    std::memcpy(data, f->bytes.constData() + f->pos, size_t(n));
    f->pos += toff_t(n);
    return n;
}

tsize_t memWrite(thandle_t h, tdata_t data, tsize_t size)
{
    auto *f = static_cast<MemoryFile *>(h);
    const toff_t end = f->pos + toff_t(size);
    if (end > toff_t(f->bytes.size()))
        f->bytes.resize(qsizetype(end));
    std::memcpy(f->bytes.data() + f->pos, data, size_t(size));
    f->pos = end;
    return size;
}

toff_t memSeek(thandle_t h, toff_t offset, int whence)
{
    auto *f = static_cast<MemoryFile *>(h);
    toff_t base = 0;
    if (whence == SEEK_CUR)
        base = f->pos;
    else if (whence == SEEK_END)
        base = toff_t(f->bytes.size());
    f->pos = base + offset;
    return f->pos;
}

int memClose(thandle_t)
{
    return 0;
}

toff_t memSize(thandle_t h)
{
    return toff_t(static_cast<MemoryFile *>(h)->bytes.size());
}

int memMap(thandle_t, tdata_t *, toff_t *)
{
    return 0;
}

void memUnmap(thandle_t, tdata_t, toff_t)
{
}

QString sizeText(const QSizeF &size)
{
    return QStringLiteral("{%1, %2}").arg(QLocale::c().toString(size.width(), 'g', 17),
                                         QLocale::c().toString(size.height(), 'g', 17));
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

} // namespace

QByteArray FTImageArchive::tiffData(const QImage &bitmap, double dotsPerInch, QString *error)
{
    if (bitmap.isNull()) {
        setError(error, QStringLiteral("no bitmap"));
        return QByteArray();
    }
    MemoryFile file;
    TIFF *tiff = TIFFClientOpen("memory", "w", &file, memRead, memWrite, memSeek, memClose, memSize, memMap, memUnmap);
    if (!tiff) {
        setError(error, QStringLiteral("libtiff could not open a memory stream"));
        return QByteArray();
    }
    const bool oneBit = bitmap.format() == QImage::Format_Mono || bitmap.format() == QImage::Format_MonoLSB;
    const uint32_t width = uint32_t(bitmap.width());
    const uint32_t height = uint32_t(bitmap.height());
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, float(dotsPerInch));
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, float(dotsPerInch));
    bool ok = true;
    if (oneBit) {
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3);
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(tiff, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
        TIFFSetField(tiff, TIFFTAG_GROUP3OPTIONS, 0);
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, height);
        const QImage mono = bitmap.convertToFormat(QImage::Format_Mono);
        QByteArray row((width + 7) / 8, '\0');
        for (uint32_t y = 0; ok && y < height; ++y) {
            row.fill('\0');
            for (uint32_t x = 0; x < width; ++x) {
                // Black ink is a set bit in a white-is-zero image.
                if (qGray(mono.pixel(int(x), int(y))) < 128)
                    row[x / 8] = char(uchar(row[x / 8]) | (0x80 >> (x % 8)));
            }
            ok = TIFFWriteScanline(tiff, row.data(), y, 0) >= 0;
        }
    } else {
        const QImage rgba = bitmap.convertToFormat(QImage::Format_RGBA8888);
        const uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 4);
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, extra);
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0));
        for (uint32_t y = 0; ok && y < height; ++y) {
            QByteArray row(reinterpret_cast<const char *>(rgba.constScanLine(int(y))), qsizetype(width) * 4);
            ok = TIFFWriteScanline(tiff, row.data(), y, 0) >= 0;
        }
    }
    ok = ok && TIFFWriteDirectory(tiff);
    TIFFClose(tiff);
    if (!ok) {
        setError(error, QStringLiteral("libtiff could not write the bitmap"));
        return QByteArray();
    }
    return file.bytes;
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
            // A bitmap read from bytes is stored as those bytes, whether they decode or not.
            if (!rep.data().isEmpty()) {
                bytes = rep.data();
                break;
            }
            const double dpi = rep.size().width() > 0 ? 72.0 * rep.bitmap().width() / rep.size().width() : 72.0;
            bytes = tiffData(rep.bitmap(), dpi, error);
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
