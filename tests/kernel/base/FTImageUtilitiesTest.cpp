#include "kernel/base/FTImageUtilities.h"

#include "TestSupport.h"
#include "platform/PWImage.h"
#include "platform/PWUserDefaults.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

namespace {

QImage filled(int width, int height, QImage::Format format, QColor colour)
{
    QImage image(width, height, format);
    image.fill(colour);
    return image;
}

QByteArray header(const QByteArray &signature, quint32 colourOffset, quint32 colourLength, quint32 maskOffset, quint32 maskLength)
{
    QByteArray bytes = signature + QByteArray(4, '\0');
    for (const quint32 value : {colourOffset, colourLength, maskOffset, maskLength})
        for (int i = 0; i < 4; ++i)
            bytes.append(char((value >> (8 * i)) & 0xFF));
    return bytes;
}

const QByteArray kSignature("\x89HPI\r\n\x1a\n", 8);

// The first representation's top row, as non-premultiplied RGBA, after converting it to a mask.
QList<QRgb> maskRow(const QImage &source)
{
    auto image = PWImage::fromQImage(source);
    convertMaskImage(image.get());
    const QImage bitmap = image->representations().first().bitmap();
    QList<QRgb> row;
    for (int x = 0; x < bitmap.width(); ++x)
        row.append(bitmap.pixel(x, 0));
    return row;
}

} // namespace

TEST(ConvertMaskImageTest, TheFirstSampleOrTheRedBecomesTheOpacityOfBlack)
{
    QImage grey(3, 1, QImage::Format_Grayscale8);
    grey.scanLine(0)[0] = 255;
    grey.scanLine(0)[1] = 0;
    grey.scanLine(0)[2] = 128;
    auto image = PWImage::create(PWImageRep::fromBitmap(grey, QSizeF(6, 2)));
    convertMaskImage(image.get());
    ASSERT_EQ(image->representations().size(), 1);
    const PWImageRep &mask = image->representations().first();
    EXPECT_EQ(mask.bitmap().format(), QImage::Format_RGBA8888);
    EXPECT_EQ(mask.size(), QSizeF(6, 2)) << "the picture keeps its size in points";
    EXPECT_EQ(maskRow(grey), (QList<QRgb> {qRgba(0, 0, 0, 255), qRgba(0, 0, 0, 0), qRgba(0, 0, 0, 128)}));
    QImage colour(2, 1, QImage::Format_RGB32);
    colour.setPixel(0, 0, qRgb(200, 10, 20));
    colour.setPixel(1, 0, qRgb(30, 250, 250));
    EXPECT_EQ(maskRow(colour), (QList<QRgb> {qRgba(0, 0, 0, 200), qRgba(0, 0, 0, 30)}));
    QImage palette(1, 1, QImage::Format_Indexed8);
    palette.setColorTable({qRgb(90, 0, 0)});
    palette.setPixel(0, 0, 0);
    EXPECT_EQ(maskRow(palette), QList<QRgb> {qRgba(0, 0, 0, 90)});
}

QByteArray onePagePdf()
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    QPainter painter(&writer);
    painter.drawLine(0, 0, 100, 100);
    painter.end();
    return bytes;
}

TEST(ConvertMaskImageTest, PicturesWithAlphaDeepOneBitVectorOrNothingAreLeftAsTheyAre)
{
    for (const auto &image : {PWImage::fromQImage(filled(2, 2, QImage::Format_ARGB32, Qt::red)),
                              PWImage::fromQImage(filled(2, 2, QImage::Format_Grayscale16, Qt::gray)),
                              PWImage::fromQImage(filled(2, 2, QImage::Format_Mono, Qt::white)), PWImage::fromData(onePagePdf())}) {
        ASSERT_NE(image, nullptr);
        const PWImageRep before = image->representations().first();
        convertMaskImage(image.get());
        ASSERT_EQ(image->representations().size(), 1);
        const PWImageRep &after = image->representations().first();
        EXPECT_EQ(after.kind(), before.kind());
        EXPECT_EQ(after.bitmap(), before.bitmap());
        EXPECT_EQ(after.bitmap().format(), before.bitmap().format());
    }
    convertMaskImage(nullptr);
    auto empty = PWImage::create();
    convertMaskImage(empty.get());
    EXPECT_TRUE(empty->representations().isEmpty());
}

TEST(HpiHeaderTest, ChecksTheSignatureAndEveryBlockAgainstTheFileSize)
{
    const QByteArray payload("CCCCMMMMMM");
    const struct { const char *name; QByteArray bytes; bool accepted; qsizetype maskSize; } cases[] = {
        {"wellFormed", header(kSignature, 28, 4, 32, 6) + payload, true, 6},
        {"pngSignature", header(QByteArray("\x89PNG\r\n\x1a\n", 8), 28, 4, 32, 6) + payload, false, 0},
        {"headerCutShort", header(kSignature, 28, 4, 32, 6).left(20), false, 0},
        {"colourPastTheEnd", header(kSignature, 28, 40, 32, 6) + payload, false, 0},
        {"colourEmpty", header(kSignature, 28, 0, 32, 6) + payload, false, 0},
        {"colourOffsetWrapsIn32Bits", header(kSignature, 0xFFFFFFF0u, 0x20, 32, 6) + payload, false, 0},
        {"maskPastTheEnd", header(kSignature, 28, 4, 32, 7) + payload, true, 0},
        {"maskOffsetWrapsIn32Bits", header(kSignature, 28, 4, 0xFFFFFFFFu, 2) + payload, true, 0},
        {"maskEmpty", header(kSignature, 28, 4, 32, 0) + payload, true, 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QString error;
        const std::optional<FTHpiBlocks> blocks = parseHpiContainer(c.bytes, &error);
        ASSERT_EQ(blocks.has_value(), c.accepted) << error.toStdString();
        EXPECT_EQ(error.isEmpty(), c.accepted);
        if (!blocks)
            continue;
        EXPECT_EQ(blocks->colour.size(), 4);
        EXPECT_EQ(blocks->colour.data(), c.bytes.constData() + 28) << "blocks are views, not copies";
        EXPECT_EQ(blocks->mask.size(), c.maskSize);
    }
}

TEST(LoadHemeraImageTest, ReadsTheFixtures)
{
    // An empty size: no picture. Not transparent: the mask was not applied.
    const struct { const char *file; QSize size; bool transparent; } cases[] = {{"valid.hpi", QSize(10, 5), true},
        {"empty-mask.hpi", QSize(20, 10), false}, {"undecodable-mask.hpi", QSize(20, 10), false}, {"no-such-file.hpi", QSize(), false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        const auto image = loadHemeraImage(pwtest::dataPath(QStringLiteral("hpi/") + QLatin1String(c.file)));
        ASSERT_EQ(image == nullptr, c.size.isEmpty());
        if (!image)
            continue;
        EXPECT_EQ(image->pixelSize(), c.size);
        EXPECT_EQ(image->size(), QSizeF(c.size));
        const QImage pixels = image->representations().first().bitmap().convertToFormat(QImage::Format_ARGB32);
        if (!c.transparent) {
            EXPECT_EQ(QList<QRgb>({pixels.pixel(2, 2), pixels.pixel(c.size.width() - 2, 2)}), QList<QRgb>({qRgb(255, 0, 0), qRgb(0, 0, 255)}));
            continue;
        }
        // Columns 0-2 opaque red, 3-5 transparent, 6-9 blue at about half opacity; the 20 x 10
        // colour picture is squeezed into the 10 x 5 mask.
        EXPECT_EQ(pixels.pixel(1, 2), qRgba(255, 0, 0, 255));
        EXPECT_EQ(qAlpha(pixels.pixel(4, 2)), 0);
        const QRgb half = pixels.pixel(8, 2);
        EXPECT_NEAR(qAlpha(half), 128, 2);
        EXPECT_EQ(qRed(half), 0);
        EXPECT_NEAR(qBlue(half), 255, 2);
    }
}

TEST(LoadHemeraImageLogTest, RefusedFilesAreLoggedInDebugMode)
{
    PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    const QString path = pwtest::dataPath(QStringLiteral("hpi/wrong-signature.hpi"));
    pwtest::LogCapture log;
    defaults.removeObject(QStringLiteral("FTDebugMode"));
    EXPECT_EQ(loadHemeraImage(path), nullptr);
    EXPECT_TRUE(log.lines().filter(QStringLiteral("wrong-signature.hpi")).isEmpty());
    defaults.setBool(QStringLiteral("FTDebugMode"), true);
    EXPECT_EQ(loadHemeraImage(path), nullptr);
    defaults.removeObject(QStringLiteral("FTDebugMode"));
    const QStringList lines = log.lines().filter(QStringLiteral("wrong-signature.hpi"));
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines.first().contains(QStringLiteral("signature")));
}

TEST(LoadHemeraImageTest, CorruptedContainersNeverCrash)
{
    // Header words and picture bytes changed at random (fixed seed): every outcome is either
    // nothing or a picture of a sane size.
    const QByteArray valid = pwtest::readFixture(QStringLiteral("hpi/valid.hpi"));
    ASSERT_FALSE(valid.isEmpty());
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("corrupt.hpi"));
    std::mt19937 random(20240229);
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes = valid;
        const int changes = 1 + int(random() % 4);
        for (int i = 0; i < changes; ++i) {
            // Half the changes hit the header, where offsets and lengths live.
            const qsizetype at = (random() % 2) ? 8 + qsizetype(random() % 20) : qsizetype(random() % bytes.size());
            bytes[at] = char(random() & 0xFF);
        }
        if (random() % 5 == 0)
            bytes.truncate(qsizetype(random() % bytes.size()));
        ASSERT_TRUE(pwtest::writeFile(path, bytes));
        if (const auto image = loadHemeraImage(path)) {
            EXPECT_FALSE(image->pixelSize().isEmpty()) << "round " << round;
            EXPECT_LE(image->pixelSize().width(), 20) << "round " << round;
        }
    }
}

TEST(JpegTargetSizeTest, FitsTheSideWithTheLargerExcess)
{
    const struct { double width, height; std::uint32_t maxWidth, maxHeight; QSize expected; } cases[] = {
        {1000, 500, 800, 100, QSize(200, 100)}, {1000, 500, 100, 400, QSize(100, 50)}, // the larger excess wins
        {1000, 500, 0, 100, QSize(1000, 500)}, {30.2, 10, 50, 0, QSize(31, 10)},       // no limit keeps the size
        {100, 50, 400, 400, QSize(400, 200)}, {300, 200, 100, 100, QSize(100, 67)},     // enlarges; rounds up
        {0, 50, 100, 100, QSize()}, {10, 10, 4000000000u, 4000000000u, QSize()}};       // no size; absurd box
    for (const auto &c : cases)
        EXPECT_EQ(jpegTargetSize(c.width, c.height, c.maxWidth, c.maxHeight), c.expected) << c.width << " " << c.maxWidth;
}

TEST(ConvertImageToJPEGDataTest, AnEnlargementFillsTheWholeTargetOverWhite)
{
    // Red on the left, transparent on the right; enlarged four times.
    QImage source(10, 5, QImage::Format_ARGB32);
    source.fill(Qt::transparent);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            source.setPixel(x, y, qRgba(255, 0, 0, 255));
    const QByteArray jpeg = convertImageToJPEGData(PWImage::fromQImage(source).get(), 40, 40);
    QBuffer buffer;
    buffer.setData(jpeg);
    const QImage decoded = QImageReader(&buffer, "jpeg").read();
    ASSERT_EQ(decoded.size(), QSize(40, 20));
    // JPEG is lossy: compare with a tolerance, away from the red-white edge. The far corners lie
    // outside the picture's own size: drawn, white, not garbage.
    const auto near = [&](int x, int y, QRgb wanted) {
        const QRgb actual = decoded.pixel(x, y);
        return std::abs(qRed(actual) - qRed(wanted)) < 24 && std::abs(qGreen(actual) - qGreen(wanted)) < 24
               && std::abs(qBlue(actual) - qBlue(wanted)) < 24;
    };
    EXPECT_TRUE(near(2, 2, qRgb(255, 0, 0)) && near(12, 18, qRgb(255, 0, 0)));
    EXPECT_TRUE(near(39, 19, qRgb(255, 255, 255)) && near(30, 10, qRgb(255, 255, 255)));
    EXPECT_TRUE(convertImageToJPEGData(nullptr, 10, 10).isEmpty());
    EXPECT_TRUE(convertImageToJPEGData(PWImage::create().get(), 10, 10).isEmpty());
}
