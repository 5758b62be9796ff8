#include "kernel/base/CDDArchive.h"

#include "PictureTestSupport.h"
#include "kernel/drawing/CDDArchivePictures.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/base/FTImageArchive.h"
#include "platform/PWImage.h"
#include "platform/PWPlist.h"
#include "platform/PWUserDefaults.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>

#include <tiffio.h>

#include <gtest/gtest.h>

namespace {

const QString kSaveAsTemplate = QStringLiteral("FTSaveAsTemplate");
const QString kKey = QStringLiteral("Picture");

// The bytes of the one representation of a stored image archive.
QByteArray storedRepresentation(const CDDArchive &archive, QString *repKey)
{
    const std::optional<PWPlist> top = PWPlist::parse(archive.getDict().value(kKey).toData());
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
        *stored = archiveSetPicture(archive, kKey, picture);
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
    ASSERT_TRUE(archiveGetPicture(archive, kKey, restored) && restored.getData());
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
    ASSERT_TRUE(stored && archiveGetPicture(archive, kKey, restored) && restored.getData());
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
    ASSERT_TRUE(archiveGetPicture(archive, kKey, restored));
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
    EXPECT_EQ(archive.getDict().value(kKey).toString(), QStringLiteral("Animals/cat.png"));
    EXPECT_EQ(byName.getDataRef().getData(), QStringLiteral("Animals/cat.png"));
    // Restored through the registry while the thumbnail lives.
    CDDPicture restored;
    ASSERT_TRUE(archiveGetPicture(archive, kKey, restored));
    EXPECT_EQ(restored.getData(), clipArt);
    std::shared_ptr<PWImage> fromFile = PWImage::fromQImage(QImage(4, 4, QImage::Format_ARGB32));
    fromFile->setName(QStringLiteral("PREFIX_FILE/home/someone/cat.png"));
    CDDPicture asData(fromFile);
    EXPECT_TRUE(storeAndReopen(asData, &stored).getDict().value(kKey).isData());
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
        archive.Attach(PWPlist(PWPlist::Dictionary {{kKey, PWPlist::fromString(name)}}));
        archive.setStoring(false);
        return archiveGetPicture(archive, kKey, picture);
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
        EXPECT_FALSE(storeAndReopen(*picture, &stored).getDict().toDictionary().contains(kKey) || stored);
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
        archive.Attach(PWPlist(PWPlist::Dictionary {{kKey, PWPlist::fromData(bytes)}}));
        archive.setStoring(false);
        CDDPicture picture;
        EXPECT_FALSE(archiveGetPicture(archive, kKey, picture) || picture.getData());
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
// savings, whether they decode (a PNG stays PNG) or not (a damaged TIFF, a cut PNG, a PDF poppler
// cannot open, an EPS without a bounding box).
TEST_F(CDDArchivePicturesTest, PictureBytesAreStoredAsTheyWereRead)
{
    QImage sample(30, 20, QImage::Format_ARGB32);
    sample.fill(QColor(200, 20, 20, 100));
    const struct
    {
        const char *name;
        QByteArray bytes;
        bool readable;
        PWImageRep::Kind kind;
        const char *key;
    } cases[] = {{"png", pngOf(sample), true, PWImageRep::Kind::Bitmap, "NSTIFFRepresentation"},
                 {"flipped tiff", flippedTiff(), false, PWImageRep::Kind::Bitmap, "NSTIFFRepresentation"},
                 {"cut png", pngOf(sample).first(60), false, PWImageRep::Kind::Bitmap, "NSTIFFRepresentation"},
                 {"damaged pdf", "%PDF-1.4\n1 0 obj <<", false, PWImageRep::Kind::PDF, "NSPDFRepresentation"},
                 {"eps without box", "%!PS-Adobe-3.0 EPSF-3.0\nshowpage\n", false, PWImageRep::Kind::EPS,
                  "NSEPSRepresentation"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        // As a design holds it: the keyed archive of an image whose one representation is the bytes.
        std::shared_ptr<PWImage> held = PWImage::create(
            c.readable ? *PWImage::fromData(c.bytes)->bestRepresentation()
                       : PWImageRep::unreadable(c.kind, c.bytes, QStringLiteral("damaged"), QSizeF()));
        held->setSize(QSizeF(30, 20));
        CDDArchive archive(true);
        archive.Attach(PWPlist(PWPlist::Dictionary {{kKey, PWPlist::fromData(FTImageArchive::archivedData(*held))}}));
        archive.setStoring(false);
        for (int round = 0; round < 2; ++round) {
            CDDPicture picture;
            ASSERT_TRUE(archiveGetPicture(archive, kKey, picture) && picture.getData());
            const PWImageRep *rep = picture.getData()->bestRepresentation();
            EXPECT_EQ(rep->isReadable(), c.readable);
            EXPECT_EQ(rep->kind(), c.kind);
            EXPECT_EQ(picture.getData()->size(), QSizeF(30, 20));
            bool stored = false;
            archive = storeAndReopen(picture, &stored);
            QString repKey;
            EXPECT_TRUE(stored);
            EXPECT_EQ(storedRepresentation(archive, &repKey), c.bytes);
            EXPECT_EQ(repKey, QString::fromLatin1(c.key));
        }
    }
}
