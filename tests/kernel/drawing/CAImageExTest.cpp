#include "kernel/drawing/CAImageEx.h"

#include "PictureTestSupport.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>

#include <gtest/gtest.h>

TEST(CAImageExTest, ScreenRendersOncePerPixelSize)
{
    const std::unique_ptr<CAImageEx> image = CAImageEx::initWithData(pictest::quadrantPdf(40, 20));
    ASSERT_TRUE(image);
    QImage screen(400, 400, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&screen);
    image->drawInRect(painter, QRectF(0, 0, 80, 40));
    image->drawInRect(painter, QRectF(10, 10, 80, 40));
    EXPECT_EQ(image->cacheRenderCount(), 1);
    EXPECT_EQ(image->cachedSize(), QSize(80, 40));
    // A fraction of a pixel keeps the truncated size and the bitmap.
    image->drawInRect(painter, QRectF(0, 0, 80.4, 40.7));
    EXPECT_EQ(image->cacheRenderCount(), 1);
    painter.scale(2, 2);
    image->drawInRect(painter, QRectF(0, 0, 80, 40));
    EXPECT_EQ(image->cacheRenderCount(), 2);
    EXPECT_EQ(image->cachedSize(), QSize(160, 80));
    painter.end();
    EXPECT_TRUE(pictest::near(screen.pixelColor(20, 20), Qt::red));
}

TEST(CAImageExTest, PrintingDrawsTheDataAndLeavesTheCache)
{
    const std::unique_ptr<CAImageEx> image = CAImageEx::initWithData(pictest::quadrantPdf(40, 20));
    ASSERT_TRUE(image);
    QImage screen(100, 100, QImage::Format_ARGB32_Premultiplied);
    {
        QPainter painter(&screen);
        image->drawInRect(painter, QRectF(0, 0, 40, 20));
    }
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        QPainter painter(&writer);
        image->drawInRect(painter, QRectF(0, 0, 400, 200));
    }
    EXPECT_EQ(image->cacheRenderCount(), 1);
    EXPECT_EQ(image->cachedSize(), QSize(40, 20));
    EXPECT_GT(pdf.size(), 0);
    EXPECT_FALSE(CAImageEx::initWithData(QByteArray("no picture here")));
}
