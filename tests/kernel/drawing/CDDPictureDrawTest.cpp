#include "kernel/drawing/CDDPicture.h"

#include "PictureTestSupport.h"
#include "ReferenceImage.h"
#include "kernel/base/CDDColor.h"
#include "kernel/render/CDDDrawer.h"
#include "kernel/base/CDDPen.h"
#include "platform/PWImage.h"
#include "platform/PWPictureRenderer.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>

#include <gtest/gtest.h>

#include <cmath>

using pictest::near;

namespace {

struct DrawArgs
{
    QRectF frame;
    placingMode mode = pmStretched;
    bool masked = false;
    CDDPicture *mask = nullptr;
    CDDColor *tint = nullptr;
    float opacity = 1.0f;
    double angle = 0.0;
    bool flipX = false, flipY = false, fitRotated = false;
    float tileScale = 7621.0f;
    CDDPen *pen = nullptr;
    CDDColor *stroke = nullptr;
};

void drawPicture(CDDPicture &picture, CDDDrawer &drawer, const DrawArgs &a)
{
    picture.draw(a.frame.x(), a.frame.y(), a.frame.width(), a.frame.height(), a.masked, a.mask, a.tint != nullptr, a.tint, a.opacity,
                 &drawer, a.mode, a.angle, a.flipX, a.flipY, a.fitRotated, a.tileScale, a.stroke, a.pen);
}

// The printer path: the drawing goes into a PDF page of the design size, which poppler then
// rasterises at the given pixels per point.
QImage renderPrinted(const QSizeF &size, double scale, const std::function<void(CDDDrawer &)> &draw)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(72); writer.setPageSize(QPageSize(size, QPageSize::Point));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&writer);
        CDDDrawer drawer(false, &painter);
        drawer.SetResolution(1.0);
        draw(drawer);
    }
    const std::shared_ptr<PWImage> page = PWImage::fromData(bytes);
    return page ? page->toImage(QSize(int(size.width() * scale), int(size.height() * scale)), Qt::white) : QImage();
}

QColor at(const QImage &image, double x, double y, double scale = 1.0)
{
    return image.pixelColor(int(x * scale), int(y * scale));
}

// Every placing mode and the crop, flips and turn, one cell each: on screen and on paper it shows
// the tiles anchored at the lower-left corner and the stretched picture upright or mirrored.
void drawModeSheet(CDDDrawer &drawer)
{
    struct Cell
    {
        placingMode mode;
        bool crop, flipX, flipY;
        double angle;
        float tileScale;
    };
    const Cell cells[] = {{pmStretched, false, false, false, 0.0, 7621.0f},  {pmTiled, false, false, false, 0.0, 400.0f},
                          {pmStretched2, false, false, false, 0.0, 7621.0f}, {pmCover, false, false, false, 0.0, 7621.0f},
                          {pmStretched, true, false, false, 0.0, 7621.0f},   {pmStretched, false, true, false, 0.0, 7621.0f},
                          {pmStretched, false, false, true, 0.0, 7621.0f},   {pmTiled, false, false, false, 0.5, 900.0f}};
    int index = 0;
    for (const Cell &cell : cells) {
        CDDPicture picture(pictest::quadrantImage(40, 20));
        if (cell.crop)
            picture.setSrcRect(0.0f, 0.0f, 20.0f, 10.0f); // the lower-left quadrant: blue
        drawPicture(picture, drawer,
                    {.frame = QRectF(10 + (index % 4) * 90, 10 + (index / 4) * 70, 80, 50), .mode = cell.mode,
                     .angle = cell.angle, .flipX = cell.flipX, .flipY = cell.flipY, .tileScale = cell.tileScale});
        ++index;
    }
}

} // namespace

TEST(CDDPictureDrawTest, PlacingModesOnScreenAndPrinterMatchReference)
{
    EXPECT_TRUE(drawtest::matchesReference(drawtest::render(QSizeF(370, 150), 2.0, drawModeSheet), QStringLiteral("picture-placing-modes-screen")));
    const QImage printed = renderPrinted(QSizeF(370, 150), 2.0, drawModeSheet);
    ASSERT_FALSE(printed.isNull());
    EXPECT_TRUE(drawtest::matchesReference(printed, QStringLiteral("picture-placing-modes-printer")));
}

TEST(CDDPictureDrawTest, TileSizeFollowsScaleAndCropAspect)
{
    CDDPicture picture(pictest::quadrantImage(40, 40));
    const float crop[4] = {0.0f, 0.0f, 20.0f, 10.0f}, flat[4] = {0.0f, 0.0f, 20.0f, 0.0f};
    EXPECT_EQ((picture.tileSize(7621.0f, nullptr) * 10).toSize(), QSize(873, 873));
    EXPECT_EQ((picture.tileSize(7621.0f, crop) * 10).toSize(), QSize(1235, 617));
    EXPECT_TRUE(picture.tileSize(7621.0f, flat).isEmpty() && picture.tileSize(0.0f, nullptr).isEmpty()
                && CDDPicture().tileSize(7621.0f, nullptr).isEmpty());
}

TEST(CDDPictureDrawTest, TintMaskAndOpacityCompositeOnScreenAndPrinter)
{
    CDDPicture picture(pictest::quadrantImage(40, 40));
    // The mask keeps the left half: opaque there, transparent on the right.
    QImage maskBitmap(40, 40, QImage::Format_ARGB32);
    maskBitmap.fill(Qt::transparent);
    QPainter(&maskBitmap).fillRect(0, 0, 20, 40, Qt::black);
    CDDPicture mask(PWImage::fromQImage(maskBitmap));
    CDDColor tint(1.0f, 0.0f, 1.0f, 1.0f);
    // Expected colours of the left and right halves of the (red/green top) picture.
    const struct { bool tinted, masked; float opacity; QColor left, right; } cases[] = {
        {true, false, 1.0f, Qt::magenta, Qt::magenta}, {false, true, 1.0f, Qt::red, Qt::white},
        {false, false, 0.5f, QColor(255, 128, 128), QColor(128, 255, 128)}};
    for (const bool printed : {false, true}) {
        for (const auto &c : cases) {
            const auto draw = [&](CDDDrawer &drawer) {
                drawPicture(picture, drawer,
                            {.frame = QRectF(0, 0, 80, 80),
                             .masked = c.masked,
                             .mask = &mask,
                             .tint = c.tinted ? &tint : nullptr,
                             .opacity = c.opacity});
            };
            const QImage image = printed ? renderPrinted(QSizeF(80, 80), 1.0, draw) : drawtest::render(QSizeF(80, 80), 1.0, draw);
            ASSERT_FALSE(image.isNull());
            EXPECT_TRUE(near(at(image, 10, 10), c.left) && near(at(image, 70, 10), c.right))
                << printed << c.tinted << c.masked << " " << at(image, 10, 10).name().toStdString() << " " << at(image, 70, 10).name().toStdString();
        }
    }
}

TEST(CDDPictureDrawTest, MaskWithoutImageKeepsWholePictureOnScreen)
{
    CDDPicture picture(pictest::quadrantImage(40, 40));
    CDDPicture emptyMask;
    const QImage image = drawtest::render(QSizeF(80, 80), 1.0, [&](CDDDrawer &drawer) {
        drawPicture(picture, drawer, {.frame = QRectF(0, 0, 80, 80), .masked = true, .mask = &emptyMask});
    });
    EXPECT_TRUE(near(at(image, 70, 10), Qt::green));
}

TEST(CDDPictureDrawTest, NoImageDrawsOnlyTheStroke)
{
    CDDPicture picture;
    CDDPen pen;
    pen.SetWidth(4.0);
    CDDColor black(0, 0, 0, 1);
    const QImage image = drawtest::render(QSizeF(60, 60), 1.0, [&](CDDDrawer &drawer) {
        drawPicture(picture, drawer, {.frame = QRectF(10, 10, 40, 40), .pen = &pen, .stroke = &black});
    });
    EXPECT_TRUE(drawtest::isDark(image, 10, 30));
    EXPECT_TRUE(near(at(image, 30, 30), Qt::white));
}

TEST(CDDPictureDrawTest, FitRotatedFillsTheFrameWithTheTurnedPicture)
{
    // A 400 x 200 frame turned a quarter: the picture is stretched into the 200 x 400 box about
    // the same centre and turned with it, so it covers the frame itself, turned a quarter.
    CDDPicture picture(pictest::quadrantImage(40, 40));
    const QImage image = drawtest::render(QSizeF(400, 400), 0.5, [&](CDDDrawer &drawer) {
        drawPicture(picture, drawer, {.frame = QRectF(0, 100, 400, 200), .angle = M_PI / 2, .fitRotated = true});
    });
    EXPECT_TRUE(near(at(image, 200, 40, 0.5), Qt::white)) << "nothing above the frame";
    EXPECT_TRUE(near(at(image, 380, 120, 0.5), Qt::red)) << "the top-left quadrant turned to the top right";
    EXPECT_TRUE(near(at(image, 20, 280, 0.5), Qt::yellow)) << "the bottom-right quadrant turned to the bottom left";
}

// A window's drawing does not wait for a PDF picture's raster: the screen cache it builds without
// it stays stale, and the drawing after the raster arrived shows the picture, once rebuilt.
TEST(CDDPictureDrawTest, AScreenCacheBuiltWhileThePictureRendersIsBuiltAgain)
{
    PWPictureRenderer::forget();
    CDDPicture picture(PWImage::fromData(pictest::quadrantPdf(40, 40)));
    ASSERT_TRUE(picture.getData());
    QImage screen(60, 60, QImage::Format_ARGB32_Premultiplied);
    const auto drawOnScreen = [&] {
        screen.fill(Qt::white);
        QPainter painter(&screen);
        CDDDrawer drawer(false, &painter);
        drawer.SetResolution(1.0);
        const PWPictureRenderer::Deferred deferred;
        drawPicture(picture, drawer, {.frame = QRectF(10, 10, 40, 40)});
    };
    drawOnScreen();
    EXPECT_EQ(picture.cacheBuildCount(), 1);
    EXPECT_EQ(screen.pixelColor(20, 20), QColor(Qt::white));
    PWPictureRenderer::waitForBackground();
    drawOnScreen();
    EXPECT_EQ(picture.cacheBuildCount(), 2);
    EXPECT_TRUE(near(screen.pixelColor(20, 20), Qt::red)) << qPrintable(screen.pixelColor(20, 20).name());
    drawOnScreen();
    EXPECT_EQ(picture.cacheBuildCount(), 2);
    PWPictureRenderer::forget();
}

// A crop as large as single precision holds, or wholly off the picture, draws nothing outside
// the frame, on screen and on paper.
TEST(CDDPictureDrawTest, ACropFarPastThePictureStaysInsideTheFrame)
{
    const float most = 3.4e38f;
    const float crops[][4] = {{0, 0, most, most}, {-most, -most, most, most}, {1e30f, 1e30f, 1, 1}};
    for (const auto &crop : crops) {
        SCOPED_TRACE(::testing::Message() << crop[0] << " " << crop[2]);
        CDDPicture picture(pictest::quadrantImage(40, 20));
        picture.setSrcRect(crop[0], crop[1], crop[2], crop[3]);
        const auto draw = [&](CDDDrawer &drawer) { drawPicture(picture, drawer, {.frame = QRectF(20, 20, 40, 20)}); };
        for (const QImage &image : {drawtest::render(QSizeF(80, 60), 1.0, draw), renderPrinted(QSizeF(80, 60), 1.0, draw)}) {
            ASSERT_FALSE(image.isNull());
            for (const QPointF &outside : {QPointF(5, 5), QPointF(75, 55), QPointF(10, 30), QPointF(70, 30)})
                EXPECT_TRUE(near(at(image, outside.x(), outside.y()), Qt::white)) << outside.x() << "," << outside.y();
        }
    }
}
