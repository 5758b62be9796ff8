// PDF and EPS pictures are rendered apart and drawn from the rasters kept: a picture that loops or
// asks for too much becomes a placeholder, named once, and a window's drawing never waits.
#include "RendererTestSupport.h"
#include "TestSupport.h"

#include "platform/PWImage.h"
#include "platform/PWNotificationCenter.h"
#include "platform/PWPictureRenderer.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <gtest/gtest.h>

namespace {

const QByteArray kBlueSquareEps = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 40 40\n0 0 1 setrgbcolor\n"
                                  "0 0 40 40 rectfill\nshowpage\n";

struct Drawn
{
    bool drawn = false;
    QImage pixels;
};

Drawn draw(const PWImage &image, const QSize &size)
{
    Drawn result;
    result.pixels = QImage(size, QImage::Format_ARGB32_Premultiplied);
    result.pixels.fill(Qt::transparent);
    QPainter painter(&result.pixels);
    result.drawn = image.draw(painter, QRectF(QPointF(0, 0), QSizeF(size)), QRectF(), 1.0);
    return result;
}

class PWPictureRendererTest : public renderertest::RendererFixture<1500>
{
};

struct HostileCase
{
    const char *name;
    const char *file;
    const char *kind;
};

class PWPictureRendererHostileTest : public PWPictureRendererTest, public ::testing::WithParamInterface<HostileCase>
{
};

// Ghostscript looping for ever, poppler decoding an image of ten billion pixels: the drawing ends
// at the limit of processor time with a placeholder, and the picture is named once however often it is drawn.
TEST_P(PWPictureRendererHostileTest, IsAPlaceholderNamedOnce)
{
    const HostileCase &c = GetParam();
    QString error;
    const std::shared_ptr<PWImage> image = PWImage::fromFile(pwtest::dataPath(QStringLiteral("pictures/%1").arg(QLatin1String(c.file))), &error);
    ASSERT_TRUE(image) << qPrintable(error);
    const int before = PWPictureRenderer::renderCount();
    for (int i = 0; i < 3; ++i) {
        const Drawn drawn = draw(*image, QSize(100, 100));
        EXPECT_TRUE(drawn.drawn);
        EXPECT_EQ(drawn.pixels.pixelColor(50, 20), PWPictureRenderer::placeholderColor());
    }
    EXPECT_EQ(PWPictureRenderer::renderCount(), before + 1);
    const QStringList failures = PWPictureRenderer::takeFailures();
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures.first().contains(QLatin1String(c.kind))) << qPrintable(failures.first());
    EXPECT_TRUE(failures.first().contains(QStringLiteral("took more than 2 seconds of processor time"))) << qPrintable(failures.first());
    EXPECT_TRUE(PWPictureRenderer::takeFailures().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Pictures, PWPictureRendererHostileTest,
                         ::testing::Values(HostileCase {"EndlessPostScript", "eps-endless-loop.eps", "EPS"},
                                           HostileCase {"VastPdfImage", "pdf-vast-image.pdf", "PDF"}),
                         [](const auto &info) { return std::string(info.param.name); });

// A repaint at the same size draws the raster kept; another size is a rendering of its own, and a
// second picture of the same bytes shares the first one's rasters.
TEST_F(PWPictureRendererTest, KeepsOneRasterPerPictureAndSize)
{
    // The writer stamps the time into a PDF: one document's bytes make both pictures of it.
    const QByteArray pdfBytes = pwtest::blackPdf(40);
    const std::shared_ptr<PWImage> pdf = PWImage::fromData(pdfBytes);
    const std::shared_ptr<PWImage> eps = PWImage::fromData(kBlueSquareEps);
    ASSERT_TRUE(pdf && eps);
    const struct
    {
        const PWImage *image;
        QSize size;
        int renders;
        QColor colour;
    } steps[] = {
        {pdf.get(), QSize(40, 40), 1, Qt::black},
        {pdf.get(), QSize(40, 40), 1, Qt::black},
        {pdf.get(), QSize(80, 80), 2, Qt::black},
        {eps.get(), QSize(40, 40), 3, Qt::blue},
        {eps.get(), QSize(40, 40), 3, Qt::blue},
    };
    const int before = PWPictureRenderer::renderCount();
    for (const auto &step : steps) {
        const Drawn drawn = draw(*step.image, step.size);
        EXPECT_TRUE(drawn.drawn);
        EXPECT_EQ(drawn.pixels.pixelColor(step.size.width() / 2, step.size.height() / 2), step.colour);
        EXPECT_EQ(PWPictureRenderer::renderCount() - before, step.renders);
    }
    const std::shared_ptr<PWImage> again = PWImage::fromData(pdfBytes);
    EXPECT_TRUE(draw(*again, QSize(80, 80)).drawn);
    EXPECT_EQ(PWPictureRenderer::renderCount() - before, 3);
    EXPECT_TRUE(PWPictureRenderer::takeFailures().isEmpty());
}

// A window's drawing gets nothing at first and is told when the raster is there; then the same
// drawing shows it at once.
TEST_F(PWPictureRendererTest, AWindowsDrawingDoesNotWaitAndHearsOfTheRaster)
{
    const std::shared_ptr<PWImage> pdf = PWImage::fromData(pwtest::blackPdf(30));
    ASSERT_TRUE(pdf);
    int told = 0;
    QObject owner;
    PWNotificationCenter::defaultCenter().addObserver(PWPictureRenderer::kRenderedNotification, nullptr,
                                                      [&told](const PWNotification &) { ++told; }, &owner);
    {
        const PWPictureRenderer::Deferred deferred;
        const int pending = PWPictureRenderer::pendingCount();
        const Drawn first = draw(*pdf, QSize(30, 30));
        EXPECT_FALSE(first.drawn);
        EXPECT_EQ(qAlpha(first.pixels.pixel(15, 15)), 0);
        EXPECT_EQ(PWPictureRenderer::pendingCount(), pending + 1);
    }
    QElapsedTimer waited;
    waited.start();
    while (told == 0 && waited.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(told, 1);
    const PWPictureRenderer::Deferred deferred;
    const int pending = PWPictureRenderer::pendingCount();
    const Drawn second = draw(*pdf, QSize(30, 30));
    EXPECT_TRUE(second.drawn);
    EXPECT_EQ(second.pixels.pixelColor(15, 15), QColor(Qt::black));
    EXPECT_EQ(PWPictureRenderer::pendingCount(), pending);
}

} // namespace
