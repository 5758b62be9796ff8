#include "kernel/foundation/CDDColor.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

TEST(CDDColorTest, SameComponentsCompareEqual)
{
    EXPECT_TRUE(CDDColor(1, 0, 0, 1) == CDDColor(1, 0, 0, 1));
    EXPECT_FALSE(CDDColor(1, 0, 0, 1) == CDDColor(1, 0, 0, 0.5f));
}

TEST(CDDColorTest, DefaultIsGreyScaleWhiteNotRgbWhite)
{
    const CDDColor white;
    ASSERT_TRUE(white.getData());
    EXPECT_EQ(white.getData()->colorSpace(), PWColor::ColorSpace::CalibratedWhite);
    EXPECT_EQ(white.getData()->whiteComponent(), 1.0f);
    EXPECT_EQ(white.getOpacity(), 1.0f);
    EXPECT_FALSE(white == CDDColor(1, 1, 1, 1));
    EXPECT_TRUE(white == CDDColor(PWColor::calibratedWhite(1, 1)));
    EXPECT_EQ(white.toQColor(), QColor(Qt::white));
}

TEST(CDDColorTest, AssignedValueIsIndependentOfTheSource)
{
    CDDColor a;
    CDDColor b(0.2f, 0.4f, 0.6f, 1);
    a = b;
    b.setOpacity(0.5f);
    EXPECT_EQ(a.getOpacity(), 1.0f);
    EXPECT_EQ(b.getOpacity(), 0.5f);
    EXPECT_FALSE(a == b);

    CDDColor c(b);
    b.setRGBA(0, 0, 0, 1);
    EXPECT_EQ(c.getOpacity(), 0.5f);
    EXPECT_EQ(c.getData()->redComponent(), 0.2f);
}

TEST(CDDColorTest, OpacityChangesOnlyAlpha)
{
    CDDColor grey(PWColor::deviceWhite(0.3f, 1));
    grey.setOpacity(0.5f);
    EXPECT_EQ(grey.getOpacity(), 0.5f);
    EXPECT_EQ(grey.getData()->colorSpace(), PWColor::ColorSpace::DeviceWhite);
    EXPECT_EQ(grey.getData()->whiteComponent(), 0.3f);
}

TEST(CDDColorTest, ColourHandedOutOutlivesLaterChanges)
{
    CDDColor colour(1, 0, 0, 1);
    const std::shared_ptr<const PWColor> held = colour.getData();
    colour.setRGBA(0, 1, 0, 1);
    colour.setOpacity(0.1f);
    EXPECT_EQ(held->redComponent(), 1.0f);
    EXPECT_EQ(held->alpha(), 1.0f);
}

TEST(CDDColorTest, ValueWithoutColour)
{
    CDDColor none {std::shared_ptr<const PWColor>()};
    EXPECT_FALSE(none.getData());
    EXPECT_EQ(none.getOpacity(), 0.0f);
    none.setOpacity(0.5f);
    EXPECT_FALSE(none.getData());
    EXPECT_TRUE(none == CDDColor(std::shared_ptr<const PWColor>()));
    EXPECT_FALSE(none == CDDColor());
    EXPECT_FALSE(CDDColor() == none);
    EXPECT_FALSE(none.toQColor().isValid());
}

TEST(CDDColorTest, CopyTakesTheOtherColourAndIgnoresNull)
{
    CDDColor target;
    const CDDColor red(1, 0, 0, 1);
    target.copy(nullptr);
    EXPECT_TRUE(target == CDDColor());
    target.copy(&red);
    EXPECT_TRUE(target == red);
}

TEST(CDDColorTest, SetMakesStrokeAndFillColourOfThePainter)
{
    QImage image(4, 4, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::black, 3.0, Qt::DashLine));

    CDDColor(0, 0, 1, 1).set(&painter);
    EXPECT_EQ(painter.pen().color(), QColor(Qt::blue));
    EXPECT_DOUBLE_EQ(painter.pen().widthF(), 3.0);
    EXPECT_EQ(painter.pen().style(), Qt::DashLine);
    EXPECT_EQ(painter.brush().color(), QColor(Qt::blue));
    EXPECT_EQ(painter.brush().style(), Qt::SolidPattern);

    CDDColor(std::shared_ptr<const PWColor>()).set(&painter);
    EXPECT_EQ(painter.pen().color(), QColor(Qt::blue));
    CDDColor().set(nullptr);

    painter.fillRect(image.rect(), painter.brush());
    painter.end();
    EXPECT_EQ(image.pixelColor(1, 1), QColor(Qt::blue));
}

} // namespace
