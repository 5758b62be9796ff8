#include "kernel/render/CDDShadow.h"

#include "kernel/render/CDDDrawer.h"
#include "kernel/component/CFTComponent.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <numbers>

namespace {

// Fills its rectangle black and counts how often it was drawn, and how often for a shadow.
class SolidComponent : public CFTComponent
{
public:
    SolidComponent(double x, double y, double w, double h) : CFTComponent(x, y, w, h) { mbHasShadow = true; }
    void Draw(CDDDrawer *drawer, bool, const CFTComponentsInterface *components, bool, bool) override
    {
        if (mbHasShadow && !drawer->IsDrawingToShadow())
            drawShadow(drawer, components);
        ++draws;
        shadowDraws += drawer->IsDrawingToShadow() ? 1 : 0;
        sawAngle = GetAngle();
        drawer->GetPainter()->fillRect(QRectF(mdOriginX, mdOriginY, mdSizeX, mdSizeY), Qt::black);
    }
    CDDShadow &shadow() { return mShadow; }
    int draws = 0, shadowDraws = 0;
    double sawAngle = -1;
};

QImage renderAt(SolidComponent &component, double resolution, QSize size = QSize(100, 100))
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(resolution, resolution);
    CDDDrawer drawer(true, &painter);
    drawer.SetResolution(resolution);
    component.Draw(&drawer, false, nullptr, false, true);
    return image;
}

TEST(CDDShadowTest, CopiesCarryNoRenderingAndCacheParametersCompareResolutionToAHundredth)
{
    SolidComponent component(10, 10, 30, 30);
    component.shadow().setShadowOffset(4, -4);
    renderAt(component, 1);
    ASSERT_TRUE(component.shadow().isCacheValid());
    CDDShadow copy = component.shadow();
    EXPECT_EQ(copy, component.shadow());
    EXPECT_TRUE(!copy.isCacheValid() && copy.cachedImage().isNull());
    CDDShadow::cacheParams params;
    const PWColor fill, other;
    params.saveParams(1.0, 10, 20, &fill, nullptr, 1.0);
    EXPECT_TRUE(params.isParamsValid(1.004, 10, 20, &fill, nullptr, 1.0));
    // Colours count by identity: an equal colour that is another object is a change.
    EXPECT_FALSE(params.isParamsValid(1.01, 10, 20, &fill, nullptr, 1.0) || params.isParamsValid(1.0, 10, 21, &fill, nullptr, 1.0)
                 || params.isParamsValid(1.0, 10, 20, &other, nullptr, 1.0) || params.isParamsValid(1.0, 10, 20, &fill, nullptr, 2.0));
}

TEST(CDDShadowTest, RenderingIsRedoneOnlyWhenItsParametersChange)
{
    SolidComponent component(20, 20, 30, 30);
    component.shadow().setShadowBlurRadius(3);
    QList<int> counts;
    const auto draw = [&](double resolution) { renderAt(component, resolution); counts.append(component.shadowDraws); };
    draw(1.0);
    draw(1.004);
    component.Move(10, 5, nullptr);
    component.shadow().setShadowOffset(8, 8);
    draw(1.0);
    draw(1.01);
    component.SetSize(40, 30);
    draw(1.01);
    component.shadow().setShadowBlurRadius(4);
    draw(1.01);
    component.InvalidateShadow();
    draw(1.01);
    EXPECT_EQ(counts, QList<int>({1, 1, 1, 2, 3, 4, 5}));
}

TEST(CDDShadowTest, ComponentIsRenderedLevelForItsShadowAndGetsItsAngleBack)
{
    SolidComponent component(20, 20, 30, 30);
    component.SetAngle(0.5);
    renderAt(component, 1.0);
    EXPECT_DOUBLE_EQ(component.GetAngle(), 0.5);
    EXPECT_EQ(component.draws, 2);
}

TEST(CDDShadowTest, ShadowFallsAtItsOffsetWithYPointingUp)
{
    SolidComponent component(20, 20, 30, 30);
    component.shadow().setShadowOffset(20, -20);
    const CDDColor red(1, 0, 0, 1);
    component.shadow().setShadowColor(&red);
    const QImage image = renderAt(component, 1.0);
    // Below and right of the component: the shadow's colour; above and left of it: nothing.
    EXPECT_EQ(QList<QColor>({image.pixelColor(60, 60), image.pixelColor(15, 15), image.pixelColor(30, 30)}),
              QList<QColor>({Qt::red, Qt::white, Qt::black}));
}

TEST(CDDShadowTest, BlurKeepsTheCoverageInPlaceAndNothingIsDrawnWithoutComponentOrPainter)
{
    QImage mask(41, 41, QImage::Format_Alpha8);
    mask.fill(0);
    mask.setPixel(20, 20, 255);
    for (int y = 15; y <= 25; ++y)
        for (int x = 15; x <= 25; ++x)
            mask.scanLine(y)[x] = 255;
    CDDShadow::blurAlpha(mask, 6);
    // Symmetric about the square's centre, lower towards the outside.
    EXPECT_EQ(mask.constScanLine(20)[10], mask.constScanLine(20)[30]);
    EXPECT_EQ(mask.constScanLine(10)[20], mask.constScanLine(30)[20]);
    EXPECT_TRUE(mask.constScanLine(20)[20] > mask.constScanLine(20)[12] && mask.constScanLine(20)[12] > 0);
    EXPECT_EQ(mask.constScanLine(0)[0], 0);
    CDDShadow shadow;
    CDDDrawer drawer(true);
    SolidComponent component(0, 0, 10, 10);
    CDDShadow::Caster caster;
    caster.width = caster.height = 10.0;
    shadow.draw(caster, &drawer);
    caster.drawLevel = [&component](CDDDrawer *into) { component.Draw(into, false, nullptr, false, false); };
    shadow.draw(caster, nullptr);
    shadow.draw(caster, &drawer);
    EXPECT_EQ(component.draws, 0);
    EXPECT_FALSE(shadow.isCacheValid());
}

} // namespace
