#include "kernel/base/CDDColor.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

TEST(CDDColorTest, CopiesAreIndependentOfLaterChangesAndOpacityChangesOnlyAlpha)
{
    CDDColor a;
    CDDColor b(0.2f, 0.4f, 0.6f, 1);
    a = b;
    const std::shared_ptr<const PWColor> held = b.getData();
    b.setOpacity(0.5f);
    EXPECT_EQ(QList<float>({a.getOpacity(), held->alpha()}), QList<float>({1.0f, 1.0f}));
    EXPECT_FALSE(a == b);
    CDDColor c(b);
    b.setRGBA(0, 0, 0, 1);
    EXPECT_EQ(QList<float>({c.getOpacity(), c.getData()->redComponent(), held->redComponent()}), QList<float>({0.5f, 0.2f, 0.2f}));
    CDDColor grey(PWColor::deviceWhite(0.3f, 1));
    grey.setOpacity(0.5f);
    EXPECT_EQ(grey, CDDColor(PWColor::deviceWhite(0.3f, 0.5f)));
}

TEST(CDDColorTest, SetMakesStrokeAndFillColourOfThePainterUnlessTheValueHasNoColour)
{
    CDDColor none {std::shared_ptr<const PWColor>()};
    EXPECT_EQ(none.getOpacity(), 0.0f);
    none.setOpacity(0.5f);
    EXPECT_FALSE(none.getData());
    EXPECT_TRUE(none == CDDColor(std::shared_ptr<const PWColor>()));
    EXPECT_FALSE(none == CDDColor() || CDDColor() == none);
    EXPECT_FALSE(none.toQColor().isValid());
    CDDColor target;
    target.copy(nullptr);
    EXPECT_TRUE(target == CDDColor()) << "copying from nothing changes nothing";
    QImage image(4, 4, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::black, 3.0, Qt::DashLine));
    CDDColor(0, 0, 1, 1).set(&painter);
    EXPECT_EQ(painter.pen(), QPen(Qt::blue, 3.0, Qt::DashLine));
    EXPECT_EQ(painter.brush().color(), QColor(Qt::blue));
    CDDColor(std::shared_ptr<const PWColor>()).set(&painter);
    EXPECT_EQ(painter.pen().color(), QColor(Qt::blue));
    CDDColor().set(nullptr);
    painter.fillRect(image.rect(), painter.brush());
    painter.end();
    EXPECT_EQ(image.pixelColor(1, 1), QColor(Qt::blue));
}

} // namespace
