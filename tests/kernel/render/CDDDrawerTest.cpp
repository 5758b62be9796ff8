#include "kernel/render/CDDDrawer.h"

#include "ReferenceImage.h"
#include "kernel/base/CDDColor.h"
#include "kernel/base/CDDPen.h"
#include "kernel/base/CDDString.h"
#include "kernel/component/CFTComponent.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QPicture>

#include <gtest/gtest.h>

namespace {

TEST(CDDDrawerTest, SnapRectSnapsToDevicePixelBoundaries)
{
    const struct { double resolution; QRectF rect, snapped; } cases[] = {{1.0, {0.4, 0.6, 10.2, 9.7}, {0, 1, 10, 10}},
        {1.0, {-2.6, -0.5, 3.0, 1.0}, {-3, 0, 3, 1}}, {300.0 / 72.0, {1.0, 2.0, 3.0, 4.0}, {1.44, 2.4, 3.36, 4.32}}};
    for (const auto &c : cases) {
        CDDDrawer drawer(false);
        drawer.SetResolution(c.resolution);
        double x = c.rect.x(), y = c.rect.y(), w = c.rect.width(), h = c.rect.height();
        drawer.SnapRect(&x, &y, &w, &h);
        EXPECT_EQ(QRectF(x, y, w, h), c.snapped) << c.rect.x() << ", " << c.rect.y();
    }
    // Without an origin the size is left alone.
    CDDDrawer drawer(false);
    double w = 10.2, h = 9.7, y = 0.6;
    drawer.SnapRect(nullptr, nullptr, &w, &h);
    drawer.SnapRect(nullptr, &y, nullptr, nullptr);
    EXPECT_EQ(QList<double>({w, h, y}), QList<double>({10.2, 9.7, 1.0}));
}

TEST(CDDDrawerTest, ScreenIsAnyDeviceButPrintersAndOperationsWithoutAPainterDrawNothing)
{
    CDDDrawer drawer(false);
    EXPECT_FALSE(drawer.IsDrawingToScreen());
    QImage image(4, 4, QImage::Format_ARGB32);
    {
        QPainter painter(&image);
        drawer.SetPainter(&painter);
        EXPECT_TRUE(drawer.IsDrawingToScreen());
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    {
        QPainter painter(&pdf);
        drawer.SetPainter(&painter);
        EXPECT_FALSE(drawer.IsDrawingToScreen());
    }
    QPicture picture;
    {
        QPainter painter(&picture);
        drawer.SetPainter(&painter);
        EXPECT_FALSE(drawer.IsDrawingToScreen());
    }
    EXPECT_EQ(QList<bool>({CDDDrawer::isScreenDevice(&image), CDDDrawer::isScreenDevice(&pdf), CDDDrawer::isScreenDevice(&picture),
                           CDDDrawer::isScreenDevice(nullptr)}), QList<bool>({true, false, false, false}));
    CDDDrawer withoutPainter(false);
    CDDColor color;
    CDDPen pen;
    withoutPainter.StrokeLine(0, 0, 10, 10, &color, &pen);
    withoutPainter.StrokeRect(0, 0, 10, 10, &color, &pen);
    withoutPainter.StrokeVerticalLine(0, 0, 10, &color, &pen);
    withoutPainter.StrokeHorizontalLine(0, 10, 0, &color, &pen);
    withoutPainter.DrawLoadingText(0, 0, 100, 100);
    withoutPainter.DrawDot(0, 0, 4, 4);
    EXPECT_EQ(withoutPainter.DrawBarcode(0, 0, CDDString(QStringLiteral("12345"))), 32);
    EXPECT_EQ(withoutPainter.DrawFIMBarcode(0, 0, fimA), 9);
}

TEST(CDDDrawerTest, GuidelineStrokesAreHalfThePenWideAndStrokesKeepTheirColour)
{
    CDDColor black(0, 0, 0, 1);
    CDDPen pen;
    pen.SetWidth(4.0);
    const QImage image = drawtest::render(QSizeF(60, 60), 1.0, [&](CDDDrawer &d) {
        d.StrokeHorizontalLine(50, 10, 20.2, &black, &pen);
        d.StrokeVerticalLine(30.2, 55, 35, &black, nullptr); // no pen: nothing
    });
    // Filled from x = 10 to 50, from y = 19.5 for 2 points.
    const auto dark = [&](int x, int y) { return drawtest::isDark(image, x, y); };
    EXPECT_EQ(QList<bool>({dark(10, 20), dark(49, 20), dark(9, 20), dark(50, 20), dark(30, 18), dark(30, 22)}),
              QList<bool>({true, true, false, false, false, false}));
    for (int y = 30; y < 60; ++y)
        EXPECT_FALSE(drawtest::isDark(image, 30, y));
    CDDColor red(1, 0, 0, 1);
    QImage redLines(20, 20, QImage::Format_ARGB32);
    redLines.fill(Qt::white);
    QPainter painter(&redLines);
    CDDDrawer drawer(false, &painter);
    drawer.StrokeLine(2, 5, 18, 5, &red, nullptr);
    // A null colour strokes in the colour the painter has.
    drawer.StrokeLine(2, 12, 18, 12, nullptr, nullptr);
    painter.end();
    EXPECT_EQ(QList<QColor>({redLines.pixelColor(10, 5), redLines.pixelColor(10, 12)}), QList<QColor>(2, QColor(Qt::red)));
}

bool hasBluePixel(const QImage &image, const QRect &area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (const QColor c = image.pixelColor(x, y); c.blue() > 150 && c.red() < 120 && c.green() < 120)
                return true;
    return false;
}

TEST(CDDDrawerTest, LoadingMarkIsATranslucentBandWithTheWordWhenItFits)
{
    const double wordWidth = CDDDrawer::loadingImageSize().width();
    ASSERT_GT(wordWidth, 0.0);
    const auto draw = [](double width) {
        return drawtest::render(QSizeF(width, 60), 1.0, [width](CDDDrawer &d) {
            d.GetPainter()->fillRect(QRectF(0, 0, width, 60), Qt::black);
            d.DrawLoadingText(0, 0, width, 60);
        });
    };
    const QImage wide = draw(wordWidth + 40);
    // The bottom 20 pixels are half white over black; above them the frame is untouched.
    EXPECT_NEAR(wide.pixelColor(2, 45).red(), 128, 2);
    EXPECT_EQ(wide.pixelColor(2, 39), QColor(Qt::black));
    EXPECT_TRUE(hasBluePixel(wide, QRect(0, 40, wide.width(), 20)));
    const QImage narrow = draw(wordWidth - 1);
    EXPECT_NEAR(narrow.pixelColor(2, 45).red(), 128, 2);
    EXPECT_FALSE(hasBluePixel(narrow, narrow.rect()));
}

// Fills its own frame black, at the origin where drag images want it.
class FilledComponent : public CFTComponent
{
public:
    FilledComponent(double width, double height)
        : CFTComponent(0, 0, width, height)
    {
    }
    void Draw(CDDDrawer *drawer, bool, const CFTComponentsInterface *, bool, bool) override
    {
        drawer->GetPainter()->fillRect(QRectF(0, 0, GetSizeX(), GetSizeY()), Qt::black);
    }
};

TEST(CDDDrawerTest, DragImageHasAOnePointMarginAtItsScale)
{
    FilledComponent component(100, 50);
    const auto draw = [&component](CDDDrawer *drawer) { component.Draw(drawer, false, nullptr, false, false); };
    const QSizeF size(component.GetSizeX(), component.GetSizeY());
    const QImage image = CDDDrawer::dragComponentImage(size, 2.0, draw);
    ASSERT_EQ(image.size(), QSize(204, 104));
    EXPECT_EQ(image.pixelColor(1, 1).alpha(), 0);
    EXPECT_EQ(image.pixelColor(2, 2), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(201, 101), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(202, 102).alpha(), 0);
    EXPECT_EQ(CDDDrawer::dragComponentImage(size, 0.5, draw).size(), QSize(51, 26));
    EXPECT_TRUE(CDDDrawer::dragComponentImage(size, 1.0, nullptr).isNull());
    for (const double none : {0.0, -1.0, 1e9})
        EXPECT_TRUE(CDDDrawer::dragComponentImage(size, none, draw).isNull()) << none;
}

} // namespace
