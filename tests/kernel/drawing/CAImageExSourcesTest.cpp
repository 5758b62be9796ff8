#include "kernel/drawing/CAImageEx.h"

#include <QImage>
#include <QPainter>
#include <QPicture>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A 40 x 20 point drawing: red on its left half, blue on its right.
QPicture halves()
{
    QPicture picture;
    QPainter painter(&picture);
    painter.fillRect(QRectF(0, 0, 20, 20), Qt::red);
    painter.fillRect(QRectF(20, 0, 20, 20), Qt::blue);
    painter.end();
    picture.setBoundingRect(QRect(0, 0, 40, 20));
    return picture;
}

TEST(CAImageExSourcesTest, PictureIsScaledIntoTheDestinationOnScreenAndOnPaper)
{
    const std::unique_ptr<CAImageEx> image = CAImageEx::initWithPicture(halves());
    ASSERT_TRUE(image);
    EXPECT_TRUE(image->isPicture());
    EXPECT_TRUE(image->isVector());
    EXPECT_EQ(image->size(), QSizeF(40, 20));

    QImage screen(200, 100, QImage::Format_RGB32);
    screen.fill(Qt::white);
    {
        QPainter painter(&screen);
        image->drawInRect(painter, QRectF(50, 25, 80, 40));
    }
    EXPECT_EQ(screen.pixelColor(60, 45), QColor(Qt::red));
    EXPECT_EQ(screen.pixelColor(120, 45), QColor(Qt::blue));
    EXPECT_EQ(screen.pixelColor(40, 45), QColor(Qt::white)) << "nothing outside the destination";
    EXPECT_EQ(screen.pixelColor(140, 45), QColor(Qt::white));
    EXPECT_EQ(image->cacheRenderCount(), 1) << "on screen it renders once into a bitmap";

    // Into a PDF it draws the recorded vectors and leaves the screen bitmap alone.
    QTemporaryDir folder;
    QPdfWriter writer(folder.filePath(QStringLiteral("picture.pdf")));
    QPainter paper(&writer);
    image->drawInRect(paper, QRectF(0, 0, 400, 200));
    paper.end();
    EXPECT_EQ(image->cacheRenderCount(), 1);
}

TEST(CAImageExSourcesTest, BitmapSizeFollowsItsResolutionAndEmptySourcesGiveNoImage)
{
    QImage bitmap(600, 300, QImage::Format_RGB32);
    bitmap.fill(Qt::green);
    bitmap.setDotsPerMeterX(qRound(600 / 0.0254));
    bitmap.setDotsPerMeterY(qRound(600 / 0.0254));
    const std::unique_ptr<CAImageEx> image = CAImageEx::initWithImage(bitmap);
    ASSERT_TRUE(image);
    EXPECT_FALSE(image->isVector());
    EXPECT_NEAR(image->size().width(), 72.0, 0.01);
    EXPECT_NEAR(image->size().height(), 36.0, 0.01);

    QImage screen(100, 100, QImage::Format_RGB32);
    screen.fill(Qt::white);
    {
        QPainter painter(&screen);
        image->drawInRect(painter, QRectF(10, 10, 20, 10));
    }
    EXPECT_EQ(screen.pixelColor(20, 15), QColor(Qt::green));
    EXPECT_EQ(screen.pixelColor(35, 15), QColor(Qt::white));

    EXPECT_FALSE(CAImageEx::initWithImage(QImage()));
    EXPECT_FALSE(CAImageEx::initWithPicture(QPicture()));
}

} // namespace
