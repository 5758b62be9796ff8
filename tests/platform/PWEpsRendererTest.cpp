#include "platform/PWEpsRenderer.h"

#include "platform/PWImage.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace {

// A 100 x 50 point EPS whose left half is filled red, its bounding box away from the origin.
const QByteArray kRedLeftHalf("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 10 20 110 70\n"
                              "1 0 0 setrgbcolor newpath 10 20 moveto 60 20 lineto 60 70 lineto 10 70 lineto closepath fill\n"
                              "%%EOF\n");

} // namespace

TEST(PWEpsRendererTest, RendersTheBoundingBoxAtTheScale)
{
    QString error;
    const QImage image = PWEpsRenderer::render(kRedLeftHalf, 2.0, 2.0, &error);
    ASSERT_FALSE(image.isNull()) << error.toStdString();
    EXPECT_EQ(image.size(), QSize(200, 100));
    EXPECT_EQ(image.pixelColor(40, 50), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(160, 50), QColor(Qt::white));
}

TEST(PWEpsRendererTest, EpsPictureDrawsUprightIntoItsTarget)
{
    const auto picture = PWImage::fromData(kRedLeftHalf);
    ASSERT_NE(picture, nullptr);
    QImage target(100, 50, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::transparent);
    QPainter painter(&target);
    ASSERT_TRUE(picture->draw(painter, QRectF(0, 0, 100, 50)));
    painter.end();
    EXPECT_EQ(target.pixelColor(20, 25), QColor(Qt::red));
    EXPECT_EQ(target.pixelColor(80, 25), QColor(Qt::white));
}

TEST(PWEpsRendererTest, RefusesWhatItCannotRender)
{
    for (const auto &[bytes, scale] : {std::pair{QByteArray("not postscript"), 1.0}, std::pair{kRedLeftHalf, 0.0},
                                       std::pair{kRedLeftHalf, -1.0},
                                       std::pair{QByteArray("\xC5\xD0\xD3\xC6\xFF\xFF\xFF\x00\x10\x00\x00\x00", 12), 1.0}}) {
        QString error;
        EXPECT_TRUE(PWEpsRenderer::render(bytes, scale, scale, &error).isNull());
        EXPECT_FALSE(error.isEmpty());
    }
}
