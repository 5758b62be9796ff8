#include "kernel/base/CDDArchive.h"

#include "PictureTestSupport.h"
#include "kernel/drawing/CDDArchivePictures.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/base/CDDReadReport.h"
#include "kernel/base/FTImageArchive.h"
#include "platform/PWImage.h"
#include "platform/PWPlist.h"
#include "platform/PWUserDefaults.h"

#include <QBuffer>
#include <QColorSpace>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include <algorithm>

#include <tiffio.h>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString kSaveAsTemplate = QStringLiteral("FTSaveAsTemplate");
const QString kPictureKey = QStringLiteral("Picture");

// The bytes of the one representation of a stored image archive.
QByteArray storedRepresentation(const CDDArchive &archive, QString *repKey)
{
    const std::optional<PWPlist> top = PWPlist::parse(archive.getDict().value(kPictureKey).toData());
    if (!top)
        return QByteArray();
    const PWPlist::Array &objects = top->value(QStringLiteral("$objects")).toArray();
    for (const PWPlist &object : objects) {
        if (!object.isDictionary())
            continue;
        for (const char *k : {"NSPDFRepresentation", "NSEPSRepresentation", "NSTIFFRepresentation"}) {
            const PWPlist ref = object.value(QString::fromLatin1(k));
            if (ref.isUid() && ref.toUid() < quint64(objects.size())) {
                *repKey = QString::fromLatin1(k);
                return objects.at(qsizetype(ref.toUid())).toData();
            }
        }
    }
    return QByteArray();
}

uint16_t tiffCompression(const QByteArray &bytes, QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("probe.tif"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return 0;
    file.close();
    TIFF *tiff = TIFFOpen(QFile::encodeName(path).constData(), "r");
    if (!tiff)
        return 0;
    uint16_t compression = 0;
    TIFFGetField(tiff, TIFFTAG_COMPRESSION, &compression);
    TIFFClose(tiff);
    return compression;
}

class CDDArchivePicturesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PWUserDefaults::standardUserDefaults().removeObject(kSaveAsTemplate);
        ASSERT_TRUE(dir.isValid());
    }
    void TearDown() override { PWUserDefaults::standardUserDefaults().removeObject(kSaveAsTemplate); }
    CDDArchive storeAndReopen(CDDPicture &picture, bool *stored)
    {
        CDDArchive archive(true);
        *stored = archiveSetPicture(archive, kPictureKey, picture);
        archive.setStoring(false);
        return archive;
    }
    QTemporaryDir dir;
};

} // namespace

TEST_F(CDDArchivePicturesTest, PdfStaysPdf)
{
    const QByteArray pdf = pictest::quadrantPdf(60, 30);
    CDDPicture picture(PWImage::fromData(pdf)), restored;
    bool stored = false;
    CDDArchive archive = storeAndReopen(picture, &stored);
    QString repKey;
    EXPECT_TRUE(stored && storedRepresentation(archive, &repKey) == pdf);
    EXPECT_EQ(repKey, QStringLiteral("NSPDFRepresentation"));
    ASSERT_TRUE(archiveGetPicture(archive, kPictureKey, restored) && restored.getData());
    EXPECT_EQ(restored.getData()->bestRepresentation()->kind(), PWImageRep::Kind::PDF);
    EXPECT_EQ(restored.getData()->size(), QSizeF(60, 30));
}

TEST_F(CDDArchivePicturesTest, OneBitBitmapIsStoredAsCcittGroup3AtItsPixelSize)
{
    // A black-and-white checker of 64 x 32 pixels, claimed to be 32 x 16 points.
    QImage mono(64, 32, QImage::Format_Mono);
    mono.setColor(0, qRgb(255, 255, 255)); mono.setColor(1, qRgb(0, 0, 0));
    const auto black = [](int x, int y) { return ((x / 8) + (y / 8)) % 2; };
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x)
            mono.setPixel(x, y, black(x, y));
    CDDPicture picture(PWImage::create(PWImageRep::fromBitmap(mono, QSizeF(32, 16)))), restored;
    bool stored = false;
    CDDArchive archive = storeAndReopen(picture, &stored);
    QString repKey;
    EXPECT_EQ(tiffCompression(storedRepresentation(archive, &repKey), dir), COMPRESSION_CCITTFAX3);
    EXPECT_EQ(repKey, QStringLiteral("NSTIFFRepresentation"));
    ASSERT_TRUE(stored && archiveGetPicture(archive, kPictureKey, restored) && restored.getData());
    EXPECT_EQ(restored.getData()->size(), QSizeF(64, 32));
    const QImage pixels = restored.getData()->bestRepresentation()->bitmap();
    ASSERT_EQ(pixels.size(), QSize(64, 32));
    for (const QPoint p : {QPoint(0, 0), QPoint(9, 1), QPoint(63, 31), QPoint(20, 12)})
        EXPECT_EQ(qGray(pixels.pixel(p)) < 128, bool(black(p.x(), p.y()))) << p.x() << "," << p.y();
}

TEST_F(CDDArchivePicturesTest, ColourBitmapIsStoredAsPlainTiff)
{
    QImage colour(20, 10, QImage::Format_ARGB32);
    colour.fill(QColor(10, 200, 30, 128));
    CDDPicture picture(PWImage::create(PWImageRep::fromBitmap(colour, QSizeF(40, 20)))), restored;
    bool stored = false;
    CDDArchive archive = storeAndReopen(picture, &stored);
    QString repKey;
    const uint16_t compression = tiffCompression(storedRepresentation(archive, &repKey), dir);
    EXPECT_TRUE(stored && compression != 0 && compression != COMPRESSION_CCITTFAX3) << compression;
    ASSERT_TRUE(archiveGetPicture(archive, kPictureKey, restored));
    const QColor pixel = restored.getData()->bestRepresentation()->bitmap().pixelColor(5, 5);
    EXPECT_TRUE(std::abs(pixel.alpha() - 128) <= 2 && std::abs(pixel.green() - 200) <= 3) << pixel.name(QColor::HexArgb).toStdString();
}

TEST_F(CDDArchivePicturesTest, TemplateModeStoresLibraryPicturesByName)
{
    PWUserDefaults::standardUserDefaults().setBool(kSaveAsTemplate, true);
    std::shared_ptr<PWImage> clipArt = PWImage::fromQImage(QImage(4, 4, QImage::Format_ARGB32));
    clipArt->setName(QStringLiteral("FULLSIZE_Animals/cat.png"));
    CDDPicture byName(clipArt);
    bool stored = false;
    CDDArchive archive = storeAndReopen(byName, &stored);
    EXPECT_TRUE(stored);
    EXPECT_EQ(archive.getDict().value(kPictureKey).toString(), QStringLiteral("Animals/cat.png"));
    EXPECT_EQ(byName.getDataRef().getData(), QStringLiteral("Animals/cat.png"));
    // Restored through the registry while the thumbnail lives.
    CDDPicture restored;
    ASSERT_TRUE(archiveGetPicture(archive, kPictureKey, restored));
    EXPECT_EQ(restored.getData(), clipArt);
    std::shared_ptr<PWImage> fromFile = PWImage::fromQImage(QImage(4, 4, QImage::Format_ARGB32));
    fromFile->setName(QStringLiteral("PREFIX_FILE/home/someone/cat.png"));
    CDDPicture asData(fromFile);
    EXPECT_TRUE(storeAndReopen(asData, &stored).getDict().value(kPictureKey).isData());
}

TEST_F(CDDArchivePicturesTest, StoredNamesAreLookedUpInsideTheirFoldersOnly)
{
    const QString clipArt = CAEnvironment::clipArtPath();
    ASSERT_TRUE(QDir().mkpath(clipArt));
    QImage bitmap(6, 6, QImage::Format_ARGB32);
    bitmap.fill(Qt::red);
    ASSERT_TRUE(bitmap.save(clipArt + QStringLiteral("/lookup-star.png")));
    // A picture beside the clip-art folder, reachable only by climbing out of it.
    ASSERT_TRUE(bitmap.save(QDir(clipArt).absoluteFilePath(QStringLiteral("../outside-star.png"))));
    const auto restore = [](const QString &name, CDDPicture &picture) {
        CDDArchive archive(true);
        archive.Attach(PWPlist(PWPlist::Dictionary {{kPictureKey, PWPlist::fromString(name)}}));
        archive.setStoring(false);
        return archiveGetPicture(archive, kPictureKey, picture);
    };
    CDDPicture found;
    ASSERT_TRUE(restore(QStringLiteral("lookup-star.png"), found));
    EXPECT_EQ(found.getData()->name(), QStringLiteral("FULLSIZE_lookup-star.png"));
    for (const QString &name :
         {QStringLiteral("../outside-star.png"), QDir(clipArt).absoluteFilePath(QStringLiteral("../outside-star.png")),
          QStringLiteral("no-such-picture.png")}) {
        CDDPicture keep(PWImage::fromQImage(bitmap));
        const std::shared_ptr<PWImage> before = keep.getData();
        EXPECT_FALSE(restore(name, keep)) << name.toStdString();
        EXPECT_EQ(keep.getData(), before) << "the picture is unchanged";
    }
}

TEST_F(CDDArchivePicturesTest, PictureWithoutImageWritesNothing)
{
    CDDPicture empty, missing;
    missing.setDataRef(CDDString(QStringLiteral("/nowhere/gone.png")));
    for (CDDPicture *picture : {&empty, &missing}) {
        bool stored = true;
        EXPECT_FALSE(storeAndReopen(*picture, &stored).getDict().toDictionary().contains(kPictureKey) || stored);
    }
}

TEST_F(CDDArchivePicturesTest, MalformedImageDataIsRefused)
{
    const PWPlist danglingRoot(PWPlist::Dictionary {{QStringLiteral("$objects"), PWPlist(PWPlist::Array {})},
                                                    {QStringLiteral("$top"), PWPlist::Dictionary {{QStringLiteral("root"), PWPlist::fromUid(7)}}}});
    for (const QByteArray &bytes : {QByteArray("not a plist"), PWPlist(PWPlist::Dictionary {}).toBinary(), danglingRoot.toBinary()}) {
        QString error;
        EXPECT_EQ(FTImageArchive::unarchiveImage(bytes, &error), nullptr);
        EXPECT_FALSE(error.isEmpty());
        CDDArchive archive(true);
        archive.Attach(PWPlist(PWPlist::Dictionary {{kPictureKey, PWPlist::fromData(bytes)}}));
        archive.setStoring(false);
        CDDPicture picture;
        EXPECT_FALSE(archiveGetPicture(archive, kPictureKey, picture) || picture.getData());
    }
}

namespace {

QByteArray pngOf(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "png");
    return bytes;
}

// A TIFF whose first directory lies far beyond its end: two bytes of its header flipped.
QByteArray flippedTiff()
{
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes = FTImageArchive::tiffData(image);
    bytes[6] = char(~bytes[6]);
    bytes[7] = char(~bytes[7]);
    return bytes;
}

} // namespace

// A picture read from bytes is written back as those bytes, through any number of openings and
// savings, whether they decode (a TIFF stays as it is) or not (a damaged TIFF, a cut PNG, a PDF
// poppler cannot open, an EPS without a bounding box).
TEST_F(CDDArchivePicturesTest, PictureBytesAreStoredAsTheyWereRead)
{
    QImage sample(30, 20, QImage::Format_ARGB32);
    sample.fill(QColor(200, 20, 20, 100));
    // More pixels than a drawing is ever decoded with: only a reduced copy is held.
    QImage huge(6400, 4000, QImage::Format_RGB32);
    huge.fill(QColor(20, 120, 200));
    const struct
    {
        const char *name;
        QByteArray bytes;
        bool readable;
        PWImageRep::Kind kind;
        const char *key;
        QSizeF size = QSizeF(30, 20);
    } cases[] = {{"tiff", FTImageArchive::tiffData(sample), true, PWImageRep::Kind::Bitmap, "NSTIFFRepresentation"},
                 {"flipped tiff", flippedTiff(), false, PWImageRep::Kind::Bitmap, "NSTIFFRepresentation"},
                 {"cut png", pngOf(sample).first(60), false, PWImageRep::Kind::Bitmap, "NSTIFFRepresentation"},
                 {"png decoded reduced", pngOf(huge), true, PWImageRep::Kind::Bitmap, "NSTIFFRepresentation", QSizeF(6400, 4000)},
                 {"damaged pdf", "%PDF-1.4\n1 0 obj <<", false, PWImageRep::Kind::PDF, "NSPDFRepresentation"},
                 {"eps without box", "%!PS-Adobe-3.0 EPSF-3.0\nshowpage\n", false, PWImageRep::Kind::EPS,
                  "NSEPSRepresentation"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        // As a design holds it: the keyed archive of an image whose one representation is the bytes.
        std::shared_ptr<PWImage> held = PWImage::create(
            c.readable ? *PWImage::fromData(c.bytes)->bestRepresentation()
                       : PWImageRep::unreadable(c.kind, c.bytes, QStringLiteral("damaged"), QSizeF()));
        held->setSize(c.size);
        CDDArchive archive(true);
        archive.Attach(
            PWPlist(PWPlist::Dictionary {{kPictureKey, PWPlist::fromData(FTImageArchive::archivedData(*held))}}));
        archive.setStoring(false);
        for (int round = 0; round < 2; ++round) {
            CDDPicture picture;
            ASSERT_TRUE(archiveGetPicture(archive, kPictureKey, picture) && picture.getData());
            const PWImageRep *rep = picture.getData()->bestRepresentation();
            EXPECT_EQ(rep->isReadable(), c.readable);
            EXPECT_EQ(rep->kind(), c.kind);
            EXPECT_EQ(picture.getData()->size(), c.size);
            bool stored = false;
            archive = storeAndReopen(picture, &stored);
            QString repKey;
            EXPECT_TRUE(stored);
            EXPECT_EQ(storedRepresentation(archive, &repKey), c.bytes);
            EXPECT_EQ(repKey, QString::fromLatin1(c.key));
        }
    }
}

namespace {

struct TiffFields
{
    bool read = false;
    uint16_t compression = 0;
    uint16_t samples = 0;
    uint16_t bits = 0;
    uint16_t extraSamples = 0;
    bool icc = false;
    float xResolution = 0.0f;
    float yResolution = 0.0f;
};

// What libtiff reads of TIFF bytes, from a file of their own.
TiffFields tiffFields(const QByteArray &bytes, QTemporaryDir &dir)
{
    TiffFields fields;
    const QString path = dir.filePath(QStringLiteral("fields.tif"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return fields;
    file.close();
    TIFF *tiff = TIFFOpen(QFile::encodeName(path).constData(), "r");
    if (!tiff)
        return fields;
    fields.read = true;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &fields.compression);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &fields.samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &fields.bits);
    uint16_t *extra = nullptr;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_EXTRASAMPLES, &fields.extraSamples, &extra);
    uint32_t iccSize = 0;
    void *icc = nullptr;
    fields.icc = TIFFGetField(tiff, TIFFTAG_ICCPROFILE, &iccSize, &icc) && iccSize > 0;
    TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &fields.xResolution);
    TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &fields.yResolution);
    TIFFClose(tiff);
    return fields;
}

// A photo-like picture: smooth colour gradients with fine grain.
QImage photo(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    quint32 seed = 12345;
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int grain = int(seed >> 28) - 8;
            line[x] = qRgb(std::clamp(x * 255 / width + grain, 0, 255), std::clamp(y * 255 / height + grain, 0, 255),
                           std::clamp(128 + grain, 0, 255));
        }
    }
    return image;
}

QImage withResolution(QImage image, double dotsPerInch)
{
    image.setDotsPerMeterX(qRound(dotsPerInch / 0.0254));
    image.setDotsPerMeterY(qRound(dotsPerInch / 0.0254));
    return image;
}

QImage checker(QImage::Format format, int width, int height)
{
    QImage image(width, height, format);
    if (format == QImage::Format_Mono) {
        image.setColor(0, qRgb(0, 0, 0));
        image.setColor(1, qRgb(255, 255, 255));
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool white = ((x / 4) + (y / 4)) % 2;
            if (format == QImage::Format_Mono)
                image.setPixel(x, y, white ? 1 : 0);
            else
                image.setPixelColor(x, y, white ? Qt::white : Qt::black);
        }
    return image;
}

QImage deepColour()
{
    QImage image(24, 16, QImage::Format_RGBX64);
    image.fill(QColor::fromRgba64(0x1234, 0xABCD, 0x0F0F));
    return image;
}

QImage displayP3()
{
    QImage image(24, 16, QImage::Format_RGB32);
    image.fill(QColor(30, 160, 90));
    image.setColorSpace(QColorSpace(QColorSpace::DisplayP3));
    return image;
}

} // namespace

// A bitmap inserted from a PNG or JPEG file is stored as TIFF under its TIFF key, keeping what the
// picture needs: its alpha, its resolution, its colour space and depth; a one-bit picture as CCITT
// Group 3, a photo near the size it came in. What was stored is TIFF, and stays those bytes
// through the next opening and saving.
TEST_F(CDDArchivePicturesTest, BitmapsFromOtherFormatsAreStoredAsTiffKeepingWhatTheyNeed)
{
    QImage translucent(30, 20, QImage::Format_ARGB32);
    translucent.fill(QColor(200, 20, 20, 100));
    QImage opaque(30, 20, QImage::Format_RGB32);
    opaque.fill(QColor(20, 120, 220));
    QImage grey(30, 20, QImage::Format_Grayscale8);
    grey.fill(QColor(90, 90, 90));
    const QByteArray jpeg = pictest::encoded(withResolution(photo(640, 480), 150.0), "JPG");
    const struct
    {
        const char *name;
        QByteArray bytes;
        uint16_t compression;
        uint16_t samples;
        uint16_t bits;
        bool alpha;
        bool icc;
        float dotsPerInch;
        QPoint at;
        int tolerance;
    } cases[] = {
        {"translucent png", pictest::encoded(translucent), COMPRESSION_LZW, 4, 8, true, false, 72.0f, {5, 5}, 1},
        {"png of 300 dpi", pictest::encoded(withResolution(opaque, 300.0)), COMPRESSION_LZW, 3, 8, false, false,
         300.0f, {29, 19}, 0},
        {"grey png", pictest::encoded(grey), COMPRESSION_LZW, 1, 8, false, false, 72.0f, {3, 3}, 0},
        {"one-bit png", pictest::encoded(checker(QImage::Format_Mono, 32, 16)), COMPRESSION_CCITTFAX3, 1, 1, false,
         false, 72.0f, {5, 1}, 0},
        {"16-bit png", pictest::encoded(deepColour()), COMPRESSION_LZW, 3, 16, false, false, 72.0f, {7, 7}, 0},
        {"display p3 png", pictest::encoded(displayP3()), COMPRESSION_LZW, 3, 8, false, true, 72.0f, {7, 7}, 0},
        {"jpeg photo", jpeg, COMPRESSION_JPEG, 3, 8, false, false, 150.0f, {320, 240}, 14},
        {"bmp", pictest::encoded(opaque, "BMP"), COMPRESSION_LZW, 3, 8, false, false, 72.0f, {2, 2}, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.bytes.isEmpty());
        const std::shared_ptr<PWImage> inserted = PWImage::fromData(c.bytes);
        ASSERT_TRUE(inserted && inserted->bestRepresentation()->isReadable());
        const QImage original = inserted->bestRepresentation()->bitmap();
        CDDPicture picture(inserted);
        bool stored = false;
        CDDArchive archive = storeAndReopen(picture, &stored);
        QString repKey;
        const QByteArray tiff = storedRepresentation(archive, &repKey);
        EXPECT_TRUE(stored);
        EXPECT_EQ(repKey, QStringLiteral("NSTIFFRepresentation"));
        const TiffFields fields = tiffFields(tiff, dir);
        ASSERT_TRUE(fields.read);
        EXPECT_EQ(fields.compression, c.compression);
        EXPECT_EQ(fields.samples, c.samples);
        EXPECT_EQ(fields.bits, c.bits);
        EXPECT_EQ(fields.extraSamples, c.alpha ? 1 : 0);
        EXPECT_EQ(fields.icc, c.icc);
        EXPECT_NEAR(fields.xResolution, c.dotsPerInch, 0.05);
        EXPECT_NEAR(fields.yResolution, c.dotsPerInch, 0.05);
        // Never many times the bytes it came in.
        EXPECT_LT(tiff.size(), 2 * c.bytes.size() + 4096) << tiff.size() << " from " << c.bytes.size();

        // A TIFF reader reads the pixels back.
        QBuffer buffer;
        buffer.setData(tiff);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, "tiff");
        const QImage back = reader.read();
        ASSERT_FALSE(back.isNull()) << reader.errorString().toStdString();
        EXPECT_EQ(back.size(), original.size());
        const QRgba64 want = original.pixelColor(c.at).rgba64();
        const QRgba64 got = back.pixelColor(c.at).rgba64();
        const int tolerance = c.bits == 16 ? 0 : c.tolerance * 257 + 128;
        for (const auto &[a, b] : {std::pair {want.red(), got.red()}, {want.green(), got.green()},
                                   {want.blue(), got.blue()}, {want.alpha(), got.alpha()}})
            EXPECT_LE(std::abs(int(a) - int(b)), tolerance) << a << " read back as " << b;
        if (c.icc) {
            EXPECT_EQ(back.colorSpace(), original.colorSpace());
        }

        // Opened and saved again, the TIFF stays as it was written.
        CDDPicture restored;
        ASSERT_TRUE(archiveGetPicture(archive, kPictureKey, restored) && restored.getData());
        CDDArchive again = storeAndReopen(restored, &stored);
        EXPECT_EQ(storedRepresentation(again, &repKey), tiff);
    }
}

// A stored name is looked for in the user's content library, then in the one installed with the
// program. A name found in neither is kept for the next save and named as a problem of the
// reading that a save does not make worse.
TEST_F(CDDArchivePicturesTest, StoredNamesFallBackToTheInstalledLibraryAndMissingOnesAreKept)
{
    QTemporaryDir installed;
    ASSERT_TRUE(installed.isValid());
    CAEnvironment::setInstalledContentLibraryPath(installed.path());
    struct Restore
    {
        ~Restore() { CAEnvironment::setInstalledContentLibraryPath(QString()); }
    } restore;
    const auto place = [](const QString &folder, const QString &name, const QColor &colour) {
        QImage bitmap(6, 6, QImage::Format_RGB32);
        bitmap.fill(colour);
        return QDir().mkpath(folder) && bitmap.save(QDir(folder).filePath(name));
    };
    ASSERT_TRUE(place(CAEnvironment::clipArtPath(), u"user-owl.png"_s, Qt::red));
    ASSERT_TRUE(place(installed.filePath(u"ClipArt/Images"_s), u"user-owl.png"_s, Qt::blue));
    ASSERT_TRUE(place(installed.filePath(u"ClipArt/Images"_s), u"installed-fox.png"_s, Qt::green));
    ASSERT_TRUE(place(installed.filePath(u"Masks/Images"_s), u"installed-oval.png"_s, Qt::white));
    const struct
    {
        const char *name;
        QString key;
        QString stored;
        QColor found; // invalid: found nowhere
    } cases[] = {{"the user's copy first", kPictureKey, u"user-owl.png"_s, Qt::red},
                 {"the installed clip art", kPictureKey, u"Animals/installed-fox.png"_s, Qt::green},
                 {"an installed mask", u"Picture Mask"_s, u"installed-oval.png"_s, Qt::black},
                 {"a picture found nowhere", kPictureKey, u"Flowers/lost-rose.png"_s, QColor()},
                 {"a mask found nowhere", u"Picture Mask"_s, u"lost-heart.png"_s, QColor()}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto report = std::make_shared<CDDReadReport>();
        CDDArchive archive(true);
        archive.Attach(PWPlist(PWPlist::Dictionary {{c.key, PWPlist::fromString(c.stored)}}));
        archive.setStoring(false);
        archive.setReadReport(report);
        CDDPicture picture;
        EXPECT_EQ(archiveGetPicture(archive, c.key, picture), c.found.isValid());
        if (c.found.isValid()) {
            ASSERT_TRUE(picture.getData());
            EXPECT_EQ(picture.getData()->toImage(QSize(1, 1)).pixelColor(0, 0).rgb(), c.found.rgb());
            EXPECT_TRUE(picture.missingName().isEmpty());
            EXPECT_TRUE(report->problems().isEmpty()) << report->problems().join(u'\n').toStdString();
            continue;
        }
        EXPECT_EQ(picture.getData(), nullptr);
        EXPECT_EQ(picture.missingName(), c.stored);
        ASSERT_EQ(report->problems().size(), 1);
        EXPECT_TRUE(report->problems().first().contains(u"\"%1\" is not in the content library"_s.arg(c.stored)))
            << report->problems().first().toStdString();
        EXPECT_FALSE(report->losesParts());
        // Saved, the name is written back as it was read.
        CDDArchive saved(true);
        EXPECT_TRUE(archiveSetPicture(saved, c.key, picture));
        EXPECT_EQ(saved.getDict().value(c.key).toString(), c.stored);
        // Given an image, it is a missing picture no more.
        picture.setData(PWImage::fromQImage(QImage(2, 2, QImage::Format_RGB32)));
        EXPECT_TRUE(picture.missingName().isEmpty());
    }
}
