// Bitmap pictures that do not decode keep their bytes and are drawn as a placeholder named once.
// (A vast picture, and one read reduced, are exported through the program: PictureSafetyTest.)
#include "platform/PWBitmapReader.h"
#include "TestSupport.h"
#include "platform/PWImage.h"
#include "platform/PWPictureRenderer.h"

#include <QBuffer>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

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
    QByteArray bytes = pwtest::encodedImage(halves(40, 20), "tiff");
    bytes[6] = char(~bytes[6]);
    bytes[7] = char(~bytes[7]);
    return bytes;
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

INSTANTIATE_TEST_SUITE_P(
    Pictures, PWBitmapReaderUnreadableTest,
    testing::Values(UnreadableCase {"FlippedTiff", flippedTiff()},
                    UnreadableCase {"CutPng", pwtest::encodedImage(halves(300, 200), "png").first(80)}),
    [](const testing::TestParamInfo<UnreadableCase> &info) { return std::string(info.param.name); });
