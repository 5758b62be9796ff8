// Bitmap pictures as they come: a damaged, cut or vast file keeps its bytes and is drawn as a
// placeholder named once; a picture of more pixels than drawing needs is read reduced, apart.
#include "platform/PWBitmapReader.h"
#include "platform/PWImage.h"
#include "platform/PWPictureRenderer.h"

#include <QBuffer>
#include <QPainter>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage halves(int width, int height)
{
    QImage image(width, height, QImage::Format_Grayscale8);
    image.fill(0);
    for (int y = 0; y < height; ++y)
        std::memset(image.scanLine(y) + width / 2, 255, size_t(width - width / 2));
    return image;
}

// A TIFF whose first directory lies far beyond its end: two bytes of its header flipped.
QByteArray flippedTiff()
{
    QByteArray bytes = encoded(halves(40, 20), "tiff");
    bytes[6] = char(~bytes[6]);
    bytes[7] = char(~bytes[7]);
    return bytes;
}

quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A PNG whose sound header states 100000 x 100000 pixels, followed by a few bytes of data.
QByteArray vastPng()
{
    QByteArray ihdr("IHDR");
    char numbers[8];
    qToBigEndian<quint32>(100000, numbers);
    qToBigEndian<quint32>(100000, numbers + 4);
    ihdr.append(numbers, 8).append("\x08\x02\x00\x00\x00", 5);
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    char length[4];
    qToBigEndian<quint32>(13, length);
    char crc[4];
    qToBigEndian<quint32>(crc32(ihdr), crc);
    png.append(length, 4).append(ihdr).append(crc, 4);
    return png + QByteArray(64, '\0');
}

struct UnreadableCase
{
    const char *name;
    QByteArray bytes;
};

std::ostream &operator<<(std::ostream &out, const UnreadableCase &c)
{
    return out << c.name;
}

class PWBitmapReaderUnreadableTest : public testing::TestWithParam<UnreadableCase>
{
protected:
    void SetUp() override
    {
        PWPictureRenderer::forget();
        PWPictureRenderer::collectFailures(true);
    }
    void TearDown() override { PWPictureRenderer::collectFailures(false); }
};

} // namespace

TEST_P(PWBitmapReaderUnreadableTest, KeepsTheBytesAndIsAPlaceholderNamedOnce)
{
    const QByteArray &bytes = GetParam().bytes;
    const std::optional<PWImageRep> rep = PWBitmapReader::read(bytes);
    ASSERT_TRUE(rep);
    EXPECT_FALSE(rep->isReadable());
    EXPECT_FALSE(rep->failure().isEmpty());
    EXPECT_EQ(rep->data(), bytes);
    // Whoever asks for a picture to place gets none, with the reason.
    QString error;
    EXPECT_EQ(PWImage::fromData(bytes, &error), nullptr);
    EXPECT_EQ(error, rep->failure());

    for (int drawing = 0; drawing < 2; ++drawing) {
        QImage target(60, 30, QImage::Format_ARGB32_Premultiplied);
        target.fill(Qt::transparent);
        QPainter painter(&target);
        EXPECT_TRUE(rep->draw(painter, QRectF(0, 0, 60, 30)));
        painter.end();
        EXPECT_EQ(target.pixelColor(30, 5), PWPictureRenderer::placeholderColor());
    }
    const QStringList failures = PWPictureRenderer::takeFailures();
    ASSERT_EQ(failures.size(), 1) << failures.join(u'\n').toStdString();
    EXPECT_TRUE(failures.first().startsWith(QStringLiteral("Bitmap picture of %1 bytes is drawn as a placeholder: %2")
                                                .arg(bytes.size())
                                                .arg(rep->failure())))
        << failures.first().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Pictures, PWBitmapReaderUnreadableTest,
                         testing::Values(UnreadableCase {"FlippedTiff", flippedTiff()},
                                         UnreadableCase {"CutPng", encoded(halves(300, 200), "png").first(80)},
                                         UnreadableCase {"VastPng", vastPng()}),
                         [](const testing::TestParamInfo<UnreadableCase> &info) { return std::string(info.param.name); });

TEST(PWBitmapReaderTest, APictureOfMorePixelsThanDrawingNeedsIsReadReduced)
{
    const QImage whole = halves(12000, 8000);
    const QByteArray bytes = encoded(whole, "png");
    const std::shared_ptr<PWImage> image = PWImage::fromData(bytes);
    ASSERT_NE(image, nullptr);
    const PWImageRep &rep = *image->bestRepresentation();
    EXPECT_TRUE(rep.isReadable());
    EXPECT_EQ(rep.data(), bytes);
    EXPECT_EQ(rep.pixelSize(), QSize(12000, 8000));
    EXPECT_EQ(image->size(), QSizeF(12000, 8000));
    const QImage &pixels = rep.bitmap();
    EXPECT_LE(qint64(pixels.width()) * pixels.height(), PWBitmapReader::kMaxDrawnPixels);
    EXPECT_GE(pixels.width(), 4000);
    EXPECT_NEAR(double(pixels.width()) / pixels.height(), 1.5, 0.01);
    EXPECT_LT(qGray(pixels.pixel(pixels.width() / 4, pixels.height() / 2)), 10);
    EXPECT_GT(qGray(pixels.pixel(pixels.width() * 3 / 4, pixels.height() / 2)), 245);
}
