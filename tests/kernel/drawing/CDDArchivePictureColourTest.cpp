// Pictures stored in a design keep what their files say of their colour and size: a JPEG's own
// compressed data (no second generation of loss), its colour model, the ICC profile of a JPEG or
// PNG, and different resolutions across and down.
#include "kernel/base/CDDArchive.h"

#include "PictureTestSupport.h"
#include "kernel/drawing/CDDArchivePictures.h"
#include "kernel/drawing/CDDPicture.h"
#include "platform/PWImage.h"
#include "platform/PWPlist.h"

#include <QColorSpace>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <tiffio.h>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString kKey = u"Picture"_s;

QByteArray storedBitmap(const CDDArchive &archive)
{
    const std::optional<PWPlist> top = PWPlist::parse(archive.getDict().value(kKey).toData());
    const PWPlist::Array objects = top ? top->value(u"$objects"_s).toArray() : PWPlist::Array();
    for (const PWPlist &object : objects) {
        const PWPlist ref = object.value(u"NSTIFFRepresentation"_s);
        if (ref.isUid() && ref.toUid() < quint64(objects.size()))
            return objects.at(qsizetype(ref.toUid())).toData();
    }
    return QByteArray();
}

// The entropy-coded data of a JPEG stream's one scan: after the scan header, up to EOI.
QByteArray scanData(const QByteArray &jpeg)
{
    const qsizetype sos = jpeg.indexOf("\xFF\xDA");
    if (sos < 0 || sos + 4 > jpeg.size())
        return QByteArray();
    const qsizetype start = sos + 2 + qFromBigEndian<quint16>(jpeg.constData() + sos + 2);
    const qsizetype end = jpeg.lastIndexOf("\xFF\xD9");
    return end > start ? jpeg.mid(start, end - start) : QByteArray();
}

struct Stored
{
    bool tiff = false;
    uint16_t compression = 0;
    uint16_t photometric = 0;
    uint16_t inkSet = 0;
    QByteArray profile;
    float xResolution = 0.0f;
    float yResolution = 0.0f;
    QByteArray strip;
};

Stored readByLibtiff(const QByteArray &bytes, const QString &path)
{
    Stored stored;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return stored;
    file.close();
    TIFFSetErrorHandler(nullptr);
    TIFF *tiff = bytes.startsWith("II") || bytes.startsWith("MM") ? TIFFOpen(QFile::encodeName(path).constData(), "r")
                                                                  : nullptr;
    if (!tiff)
        return stored;
    stored.tiff = true;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &stored.compression);
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &stored.photometric);
    TIFFGetField(tiff, TIFFTAG_INKSET, &stored.inkSet);
    uint32_t size = 0;
    void *icc = nullptr;
    if (TIFFGetField(tiff, TIFFTAG_ICCPROFILE, &size, &icc))
        stored.profile = QByteArray(static_cast<const char *>(icc), qsizetype(size));
    TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &stored.xResolution);
    TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &stored.yResolution);
    if (TIFFNumberOfStrips(tiff) == 1) {
        stored.strip.resize(qsizetype(TIFFRawStripSize(tiff, 0)));
        TIFFReadRawStrip(tiff, 0, stored.strip.data(), tmsize_t(stored.strip.size()));
    }
    TIFFClose(tiff);
    return stored;
}

// A photo-like picture of 72 dots per inch: colour gradients.
QImage gradient(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.setDotsPerMeterX(2835);
    image.setDotsPerMeterY(2835);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, (x + y) * 127 / (width + height)));
    return image;
}

// A JPEG with an APP segment of its own just after SOI.
QByteArray withSegment(const QByteArray &jpeg, quint8 marker, const QByteArray &payload)
{
    QByteArray segment("\xFF", 1);
    segment += char(marker);
    segment += char((payload.size() + 2) >> 8);
    segment += char((payload.size() + 2) & 0xFF);
    return jpeg.left(2) + segment + payload + jpeg.mid(2);
}

// A PNG with an iCCP chunk of profile after its header.
QByteArray withIccp(const QByteArray &png, const QByteArray &profile)
{
    const QByteArray data = "test profile" + QByteArray(2, '\0') + qCompress(profile).mid(4);
    QByteArray chunk(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), chunk.data());
    const QByteArray typed = "iCCP" + data;
    quint32 sum = 0xFFFFFFFFu;
    for (const char byte : typed) {
        sum ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            sum = (sum >> 1) ^ (0xEDB88320u & (0u - (sum & 1u)));
    }
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(~sum, crc.data());
    const qsizetype afterHeader = 8 + 25;
    return png.left(afterHeader) + chunk + typed + crc + png.mid(afterHeader);
}

// A CMYK JPEG as print work flows write them: made by libtiff's encoder, with the Adobe marker.
QByteArray cmykJpeg(const QString &path, int width, int height)
{
    TIFF *tiff = TIFFOpen(QFile::encodeName(path).constData(), "w");
    if (!tiff)
        return QByteArray();
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(height));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 4);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_SEPARATED);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_JPEG);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, uint32_t(height));
    QByteArray row(width * 4, '\0');
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            row[x * 4] = char(x * 255 / width);
            row[x * 4 + 1] = char(y * 255 / height);
            row[x * 4 + 2] = char(40);
            row[x * 4 + 3] = char(20);
        }
        TIFFWriteScanline(tiff, row.data(), uint32_t(y), 0);
    }
    TIFFClose(tiff);
    tiff = TIFFOpen(QFile::encodeName(path).constData(), "r");
    if (!tiff)
        return QByteArray();
    uint32_t size = 0;
    void *tables = nullptr;
    QByteArray jpeg;
    if (TIFFGetField(tiff, TIFFTAG_JPEGTABLES, &size, &tables)) {
        const QByteArray t(static_cast<const char *>(tables), qsizetype(size));
        QByteArray strip(qsizetype(TIFFRawStripSize(tiff, 0)), '\0');
        TIFFReadRawStrip(tiff, 0, strip.data(), tmsize_t(strip.size()));
        jpeg = t.chopped(2) + strip.mid(2);
    }
    TIFFClose(tiff);
    // Adobe, version 100, no flags, transform 0.
    return jpeg.isEmpty() ? jpeg : withSegment(jpeg, 0xEE, QByteArray("Adobe\x00\x64\x00\x00\x00\x00\x00", 12));
}

} // namespace

TEST(CDDArchivePictureColourTest, PhotosAndProfilesKeepTheirColourAndResolution)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray profile = QColorSpace(QColorSpace::AdobeRgb).iccProfile();
    ASSERT_FALSE(profile.isEmpty());
    const QByteArray rgbJpeg = pictest::encoded(gradient(64, 48), "JPG");
    QByteArray iccChunk("ICC_PROFILE\0\x01\x01", 14);
    QImage grey(40, 30, QImage::Format_Grayscale8);
    grey.fill(90);
    grey.setDotsPerMeterX(2835);
    grey.setDotsPerMeterY(2835);
    QImage tall = gradient(30, 20);
    tall.setDotsPerMeterX(qRound(72 / 0.0254));
    tall.setDotsPerMeterY(qRound(144 / 0.0254));
    const struct
    {
        const char *name;
        QByteArray bytes;
        bool keptAsItIs; // the file itself, where no TIFF holds its data as they are
        uint16_t compression;
        uint16_t photometric;
        QByteArray profile;
        float xResolution;
        float yResolution;
    } cases[] = {
        {"cmyk jpeg", cmykJpeg(dir.filePath(u"cmyk.tif"_s), 32, 24), true, 0, 0, {}, 0, 0},
        {"jpeg with profile", withSegment(rgbJpeg, 0xE2, iccChunk + profile), false, COMPRESSION_JPEG,
         PHOTOMETRIC_YCBCR, profile, 72, 72},
        {"rgb jpeg", rgbJpeg, false, COMPRESSION_JPEG, PHOTOMETRIC_YCBCR, {}, 72, 72},
        {"jpeg cut short", rgbJpeg.chopped(100), true, 0, 0, {}, 0, 0},
        {"jpeg with the first of two profile chunks missing",
         withSegment(rgbJpeg, 0xE2, QByteArray("ICC_PROFILE\0\x02\x02", 14) + profile), false, COMPRESSION_JPEG,
         PHOTOMETRIC_YCBCR, {}, 72, 72},
        {"grey png with profile", withIccp(pictest::encoded(grey), profile), false, COMPRESSION_LZW,
         PHOTOMETRIC_MINISBLACK, profile, 72, 72},
        {"png of 72 by 144 dpi", pictest::encoded(tall), false, COMPRESSION_LZW, PHOTOMETRIC_RGB, {}, 72, 144},
        {"bitmap of 72 by 144 dpi made here", {}, false, COMPRESSION_LZW, PHOTOMETRIC_RGB, {}, 72, 144},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(!c.keptAsItIs || c.bytes.size() > 100);
        const std::shared_ptr<PWImage> inserted = c.bytes.isEmpty() ? PWImage::fromQImage(tall) : PWImage::fromData(c.bytes);
        ASSERT_TRUE(inserted && inserted->bestRepresentation()->isReadable());
        CDDPicture picture(inserted);
        CDDArchive archive(true);
        ASSERT_TRUE(archiveSetPicture(archive, kKey, picture));
        const QByteArray bytes = storedBitmap(archive);
        const Stored stored = readByLibtiff(bytes, dir.filePath(u"stored.tif"_s));
        if (c.keptAsItIs) {
            EXPECT_EQ(bytes, c.bytes);
        } else {
            ASSERT_TRUE(stored.tiff);
            EXPECT_EQ(stored.compression, c.compression);
            EXPECT_EQ(stored.photometric, c.photometric);
            EXPECT_EQ(stored.profile, c.profile);
            EXPECT_NEAR(stored.xResolution, c.xResolution, 0.05);
            EXPECT_NEAR(stored.yResolution, c.yResolution, 0.05);
        }
        if (c.compression == COMPRESSION_JPEG) {
            ASSERT_GT(c.bytes.size(), 100);
            EXPECT_FALSE(scanData(c.bytes).isEmpty());
            EXPECT_EQ(scanData(stored.strip), scanData(c.bytes));
        }

        // The program reads back what was inserted.
        archive.setStoring(false);
        CDDPicture restored;
        ASSERT_TRUE(archiveGetPicture(archive, kKey, restored) && restored.getData());
        const PWImageRep *back = restored.getData()->bestRepresentation();
        const PWImageRep *front = inserted->bestRepresentation();
        ASSERT_TRUE(back->isReadable()) << back->failure().toStdString();
        EXPECT_EQ(back->pixelSize(), front->pixelSize());
        EXPECT_NEAR(back->size().width(), front->size().width(), 0.01);
        EXPECT_NEAR(back->size().height(), front->size().height(), 0.01);
        for (const QPoint at : {QPoint(1, 1), QPoint(front->pixelSize().width() / 2, front->pixelSize().height() / 2)})
            EXPECT_TRUE(pictest::near(back->bitmap().pixelColor(at), front->bitmap().pixelColor(at), 6))
                << at.x() << "," << at.y();
    }
}
