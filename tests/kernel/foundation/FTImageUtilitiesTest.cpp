#include "kernel/foundation/FTImageUtilities.h"

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

QByteArray header(const QByteArray &signature, quint32 colourOffset, quint32 colourLength,
                  quint32 maskOffset, quint32 maskLength)
{
    QByteArray bytes = signature + QByteArray(4, '\0');
    for (const quint32 value : {colourOffset, colourLength, maskOffset, maskLength})
        for (int i = 0; i < 4; ++i)
            bytes.append(char((value >> (8 * i)) & 0xFF));
    return bytes;
}

const QByteArray kSignature("\x89HPI\r\n\x1a\n", 8);

// The first representation's pixel at (x, y), as non-premultiplied RGBA.
QRgb firstRepPixel(const PWImage &image, int x, int y)
{
    return image.representations().first().bitmap().pixel(x, y);
}

} // namespace

TEST(ConvertMaskImageTest, TheFirstSampleBecomesTheOpacityOfBlack)
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
    EXPECT_EQ(firstRepPixel(*image, 0, 0), qRgba(0, 0, 0, 255));
    EXPECT_EQ(firstRepPixel(*image, 1, 0), qRgba(0, 0, 0, 0));
    EXPECT_EQ(firstRepPixel(*image, 2, 0), qRgba(0, 0, 0, 128));
}

TEST(ConvertMaskImageTest, AColourPictureGivesItsRedAsOpacity)
{
    QImage colour(2, 1, QImage::Format_RGB32);
    colour.setPixel(0, 0, qRgb(200, 10, 20));
    colour.setPixel(1, 0, qRgb(30, 250, 250));
    auto image = PWImage::fromQImage(colour);
    convertMaskImage(image.get());
    EXPECT_EQ(firstRepPixel(*image, 0, 0), qRgba(0, 0, 0, 200));
    EXPECT_EQ(firstRepPixel(*image, 1, 0), qRgba(0, 0, 0, 30));
    QImage palette(1, 1, QImage::Format_Indexed8);
    palette.setColorTable({qRgb(90, 0, 0)});
    palette.setPixel(0, 0, 0);
    auto indexed = PWImage::fromQImage(palette);
    convertMaskImage(indexed.get());
    EXPECT_EQ(firstRepPixel(*indexed, 0, 0), qRgba(0, 0, 0, 90));
}

struct UnchangedCase
{
    const char *name;
    std::function<std::shared_ptr<PWImage>()> make;
};

class ConvertMaskImageUnchangedTest : public ::testing::TestWithParam<UnchangedCase> {};

TEST_P(ConvertMaskImageUnchangedTest, LeavesThePictureAsItIs)
{
    const std::shared_ptr<PWImage> image = GetParam().make();
    ASSERT_NE(image, nullptr);
    const QImage before = image->representations().first().bitmap();
    const PWImageRep::Kind kind = image->representations().first().kind();
    convertMaskImage(image.get());
    ASSERT_EQ(image->representations().size(), 1);
    EXPECT_EQ(image->representations().first().kind(), kind);
    EXPECT_EQ(image->representations().first().bitmap(), before);
    EXPECT_EQ(image->representations().first().bitmap().format(), before.format());
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

INSTANTIATE_TEST_SUITE_P(Cases, ConvertMaskImageUnchangedTest, ::testing::Values(
        UnchangedCase {"withAlpha", [] { return PWImage::fromQImage(filled(2, 2, QImage::Format_ARGB32, Qt::red)); }},
        UnchangedCase {"sixteenBit", [] { return PWImage::fromQImage(filled(2, 2, QImage::Format_Grayscale16, Qt::gray)); }},
        UnchangedCase {"oneBit", [] { return PWImage::fromQImage(filled(2, 2, QImage::Format_Mono, Qt::white)); }},
        UnchangedCase {"pdf", [] { return PWImage::fromData(onePagePdf()); }},
        UnchangedCase {"eps", [] {
                           return PWImage::fromData("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n");
                       }}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ConvertMaskImageTest, NothingToConvertIsHarmless)
{
    convertMaskImage(nullptr);
    auto empty = PWImage::create();
    convertMaskImage(empty.get());
    EXPECT_TRUE(empty->representations().isEmpty());
}

struct HeaderCase { const char *name; QByteArray bytes; bool accepted; qsizetype maskSize; };

class HpiHeaderTest : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(HpiHeaderTest, ChecksTheSignatureAndEveryBlockAgainstTheFileSize)
{
    const HeaderCase &c = GetParam();
    QString error;
    const std::optional<FTHpiBlocks> blocks = parseHpiContainer(c.bytes, &error);
    ASSERT_EQ(blocks.has_value(), c.accepted) << error.toStdString();
    if (!blocks) {
        EXPECT_FALSE(error.isEmpty());
        return;
    }
    EXPECT_EQ(blocks->colour.size(), 4);
    EXPECT_EQ(blocks->colour.data(), c.bytes.constData() + 28) << "blocks are views, not copies";
    EXPECT_EQ(blocks->mask.size(), c.maskSize);
}

const QByteArray kPayload("CCCCMMMMMM");

INSTANTIATE_TEST_SUITE_P(Cases, HpiHeaderTest, ::testing::Values(
        HeaderCase {"wellFormed", header(kSignature, 28, 4, 32, 6) + kPayload, true, 6},
        HeaderCase {"pngSignature", header(QByteArray("\x89PNG\r\n\x1a\n", 8), 28, 4, 32, 6) + kPayload, false, 0},
        HeaderCase {"headerCutShort", header(kSignature, 28, 4, 32, 6).left(20), false, 0},
        HeaderCase {"colourPastTheEnd", header(kSignature, 28, 40, 32, 6) + kPayload, false, 0},
        HeaderCase {"colourEmpty", header(kSignature, 28, 0, 32, 6) + kPayload, false, 0},
        HeaderCase {"colourOffsetWrapsIn32Bits", header(kSignature, 0xFFFFFFF0u, 0x20, 32, 6) + kPayload, false, 0},
        HeaderCase {"maskPastTheEnd", header(kSignature, 28, 4, 32, 7) + kPayload, true, 0},
        HeaderCase {"maskOffsetWrapsIn32Bits", header(kSignature, 28, 4, 0xFFFFFFFFu, 2) + kPayload, true, 0},
        HeaderCase {"maskEmpty", header(kSignature, 28, 4, 32, 0) + kPayload, true, 0}),
    [](const auto &info) { return std::string(info.param.name); });

struct FixtureCase
{
    const char *file;
    QSize size;      // empty: no picture
    bool transparent; // the mask was applied
};

class LoadHemeraImageTest : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(LoadHemeraImageTest, ReadsTheFixture)
{
    const FixtureCase &c = GetParam();
    const auto image = loadHemeraImage(pwtest::dataPath(QStringLiteral("hpi/") + QLatin1String(c.file)));
    if (c.size.isEmpty()) {
        EXPECT_EQ(image, nullptr);
        return;
    }
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->pixelSize(), c.size);
    EXPECT_EQ(image->size(), QSizeF(c.size));
    const QImage pixels = image->representations().first().bitmap().convertToFormat(QImage::Format_ARGB32);
    if (!c.transparent) {
        EXPECT_EQ(pixels.pixel(2, 2), qRgb(255, 0, 0));
        EXPECT_EQ(pixels.pixel(c.size.width() - 2, 2), qRgb(0, 0, 255));
        return;
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

INSTANTIATE_TEST_SUITE_P(Fixtures, LoadHemeraImageTest, ::testing::Values(FixtureCase {"valid.hpi", QSize(10, 5), true},
                                           FixtureCase {"empty-mask.hpi", QSize(20, 10), false},
                                           FixtureCase {"undecodable-mask.hpi", QSize(20, 10), false},
                                           FixtureCase {"no-such-file.hpi", QSize(), false}),
                         [](const auto &info) {
                             std::string name = info.param.file;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name.substr(0, name.find('.'));
                         });

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
    ASSERT_EQ(log.lines().filter(QStringLiteral("wrong-signature.hpi")).size(), 1);
    EXPECT_TRUE(log.lines().filter(QStringLiteral("wrong-signature.hpi")).first().contains(QStringLiteral("signature")));
}

TEST(LoadHemeraImageTest, CorruptedContainersNeverCrash)
{
    // Header words and picture bytes changed at random (fixed seed): every outcome is either
    // nothing or a picture of a sane size.
    const QByteArray valid = pwtest::readFixture(QStringLiteral("hpi/valid.hpi"));
    ASSERT_FALSE(valid.isEmpty());
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
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
        const auto image = loadHemeraImage(path);
        if (image) {
            EXPECT_FALSE(image->pixelSize().isEmpty()) << "round " << round;
            EXPECT_LE(image->pixelSize().width(), 20) << "round " << round;
        }
    }
}

struct FitCase { const char *name; double width, height; std::uint32_t maxWidth, maxHeight; QSize expected; };

class JpegTargetSizeTest : public ::testing::TestWithParam<FitCase> {};

TEST_P(JpegTargetSizeTest, FitsTheSideWithTheLargerExcess)
{
    const FitCase &c = GetParam();
    EXPECT_EQ(jpegTargetSize(c.width, c.height, c.maxWidth, c.maxHeight), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, JpegTargetSizeTest,
    ::testing::Values(FitCase {"heightExceedsMore", 1000, 500, 800, 100, QSize(200, 100)},
                      FitCase {"widthExceedsMore", 1000, 500, 100, 400, QSize(100, 50)},
                      FitCase {"noWidthLimitKeepsTheSize", 1000, 500, 0, 100, QSize(1000, 500)},
                      FitCase {"noHeightLimitKeepsTheSize", 30.2, 10, 50, 0, QSize(31, 10)},
                      FitCase {"enlarges", 100, 50, 400, 400, QSize(400, 200)},
                      FitCase {"roundsTheFollowingSideUp", 300, 200, 100, 100, QSize(100, 67)},
                      FitCase {"noSize", 0, 50, 100, 100, QSize()},
                      FitCase {"absurdBox", 10, 10, 4000000000u, 4000000000u, QSize()}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ConvertImageToJPEGDataTest, AnEnlargementFillsTheWholeTargetOverWhite)
{
    // Red on the left, transparent on the right; enlarged four times.
    QImage source(10, 5, QImage::Format_ARGB32);
    source.fill(Qt::transparent);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            source.setPixel(x, y, qRgba(255, 0, 0, 255));
    const auto image = PWImage::fromQImage(source);
    const QByteArray jpeg = convertImageToJPEGData(image.get(), 40, 40);
    ASSERT_FALSE(jpeg.isEmpty());
    QBuffer buffer;
    buffer.setData(jpeg);
    QImageReader reader(&buffer, "jpeg");
    const QImage decoded = reader.read();
    ASSERT_EQ(decoded.size(), QSize(40, 20));
    // JPEG is lossy: compare with a tolerance, away from the red-white edge.
    const auto near = [](QRgb actual, QRgb wanted) {
        return std::abs(qRed(actual) - qRed(wanted)) < 24 && std::abs(qGreen(actual) - qGreen(wanted)) < 24
               && std::abs(qBlue(actual) - qBlue(wanted)) < 24;
    };
    EXPECT_TRUE(near(decoded.pixel(2, 2), qRgb(255, 0, 0)));
    EXPECT_TRUE(near(decoded.pixel(12, 18), qRgb(255, 0, 0)));
    // The far corner lies outside the picture's own size: drawn, white, not garbage.
    EXPECT_TRUE(near(decoded.pixel(39, 19), qRgb(255, 255, 255)));
    EXPECT_TRUE(near(decoded.pixel(30, 10), qRgb(255, 255, 255)));
    EXPECT_TRUE(convertImageToJPEGData(nullptr, 10, 10).isEmpty());
    EXPECT_TRUE(convertImageToJPEGData(PWImage::create().get(), 10, 10).isEmpty());
}
