#include "kernel/drawing/CAImageEx.h"

#include "PictureTestSupport.h"

#include <QPainter>
#include <QPicture>

#include <gtest/gtest.h>

namespace {

TEST(CAImageExTest, RecordedPictureIsScaledIntoTheDestination)
{
    // 40 x 20 points: red on its left half, blue on its right.
    QPicture recorded;
    QPainter recorder(&recorded);
    recorder.fillRect(QRectF(0, 0, 20, 20), Qt::red);
    recorder.fillRect(QRectF(20, 0, 20, 20), Qt::blue);
    recorder.end();
    recorded.setBoundingRect(QRect(0, 0, 40, 20));
    const std::unique_ptr<CAImageEx> image = CAImageEx::initWithPicture(recorded);
    ASSERT_TRUE(image && image->isVector());
    EXPECT_EQ(image->size(), QSizeF(40, 20));
    QImage screen(200, 100, QImage::Format_RGB32);
    screen.fill(Qt::white);
    QPainter painter(&screen);
    image->drawInRect(painter, QRectF(50, 25, 80, 40));
    painter.end();
    // Nothing outside the destination.
    EXPECT_EQ(QList<QColor>({screen.pixelColor(60, 45), screen.pixelColor(120, 45), screen.pixelColor(40, 45), screen.pixelColor(140, 45)}),
              QList<QColor>({QColor(Qt::red), QColor(Qt::blue), QColor(Qt::white), QColor(Qt::white)}));
}

TEST(CAImageExTest, BitmapSizeFollowsItsResolutionAndEmptySourcesGiveNoImage)
{
    QImage bitmap(600, 300, QImage::Format_RGB32);
    bitmap.fill(Qt::green); bitmap.setDotsPerMeterX(qRound(600 / 0.0254)); bitmap.setDotsPerMeterY(qRound(600 / 0.0254));
    const std::unique_ptr<CAImageEx> image = CAImageEx::initWithImage(bitmap);
    ASSERT_TRUE(image);
    EXPECT_FALSE(image->isVector());
    EXPECT_EQ((image->size() * 100).toSize(), QSize(7200, 3600));
    EXPECT_FALSE(CAImageEx::initWithImage(QImage()) || CAImageEx::initWithPicture(QPicture())
                 || CAImageEx::initWithData(QByteArray("no picture here")));
}

} // namespace
