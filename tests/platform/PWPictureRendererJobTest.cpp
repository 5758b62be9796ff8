// Drawings that wait for their pictures (a print, an export, a batch job): they never queue behind
// the windows' renderings, a job's failed renderings take a bounded time in all, a failure at one
// size leaves smaller sizes to be tried again, and the job's report names each placeholder once.
#include "RendererTestSupport.h"
#include "TestSupport.h"

#include "platform/PWImage.h"
#include "platform/PWJobReport.h"
#include "platform/PWPictureRenderer.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <gtest/gtest.h>

namespace {

// PostScript that never ends; the number makes each a picture of its own.
QByteArray endlessEps(int number)
{
    return "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 40 40\n% " + QByteArray::number(number)
           + "\n{ } loop\nshowpage\n";
}

// Black, drawn at up to 150 device pixels an inch; finer than that it never ends.
const QByteArray kEndlessWhenLarge = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 40 40\n"
                                     "72 0 dtransform dup mul exch dup mul add sqrt 150 gt { { } loop } if\n"
                                     "0 0 0 setrgbcolor 0 0 40 40 rectfill\nshowpage\n";

// The image drawn at size square pixels: the colour half way across, a fifth down (off the
// placeholder's cross).
QColor drawnCentre(const PWImage &image, int size)
{
    QImage pixels(size, size, QImage::Format_ARGB32_Premultiplied);
    pixels.fill(Qt::transparent);
    QPainter painter(&pixels);
    EXPECT_TRUE(image.draw(painter, QRectF(0, 0, size, size), QRectF(), 1.0));
    painter.end();
    return pixels.pixelColor(size / 2, size / 5);
}

class PWPictureRendererJobTest : public renderertest::RendererFixture<1500>
{
};

// Six endless pictures queued by a window take three deadlines on its two workers; the picture a
// print then needs, queued after them, is rendered at once instead of after them.
TEST_F(PWPictureRendererJobTest, AJobsPictureIsNotQueuedBehindTheWindows)
{
    const QByteArray pdf = pwtest::blackPdf();
    {
        const PWPictureRenderer::Deferred deferred;
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(
                PWPictureRenderer::raster(renderertest::request(PWPictureRenderer::Kind::EPS, endlessEps(i))).state,
                PWPictureRenderer::State::Pending);
        EXPECT_EQ(PWPictureRenderer::raster(renderertest::request(PWPictureRenderer::Kind::PDF, pdf)).state,
                  PWPictureRenderer::State::Pending);
    }
    const PWPictureRenderer::Raster printed =
        PWPictureRenderer::raster(renderertest::request(PWPictureRenderer::Kind::PDF, pdf));
    ASSERT_EQ(printed.state, PWPictureRenderer::State::Ready) << qPrintable(printed.reason);
    EXPECT_EQ(printed.image.pixelColor(15, 15), QColor(Qt::black));
    // Behind the queue all six would have failed first.
    EXPECT_LT(PWPictureRenderer::takeFailures().size(), 6);
}

// Four endless pictures in a job that may lose two and a half seconds to failed renderings: the
// first takes its deadline (1.5 s, so two seconds of processor time), the second the time left,
// if the first left any on a loaded machine, and the others are placeholders at once.
// Each is named in the job's report, and only the one with its whole deadline is remembered.
TEST_F(PWPictureRendererJobTest, AJobLosesABoundedTimeToPicturesThatDoNotRender)
{
    const PWJobReport job(2500);
    const int before = PWPictureRenderer::renderCount();
    const auto drawn = [](int i) {
        const PWPictureRenderer::Raster raster =
            PWPictureRenderer::raster(renderertest::request(PWPictureRenderer::Kind::EPS, endlessEps(i)));
        EXPECT_EQ(raster.state, PWPictureRenderer::State::Failed);
        return raster.reason;
    };
    EXPECT_TRUE(drawn(0).contains(QStringLiteral("took more than 2 seconds of processor time")));
    EXPECT_EQ(PWPictureRenderer::renderCount() - before, 1);

    const QString second = drawn(1);
    const int renders = PWPictureRenderer::renderCount() - before;
    if (renders == 2)
        EXPECT_TRUE(second.contains(QStringLiteral("took more than 1 second of processor time"))) << qPrintable(second);
    else
        EXPECT_TRUE(second.contains(QStringLiteral("spent its time on pictures that did not render"))) << qPrintable(second);
    EXPECT_LE(renders, 2);

    for (int i = 2; i < 4; ++i) {
        SCOPED_TRACE(i);
        const QString reason = drawn(i);
        EXPECT_TRUE(reason.contains(QStringLiteral("spent its time on pictures that did not render"))) << qPrintable(reason);
        EXPECT_EQ(PWPictureRenderer::renderCount() - before, renders);
    }
    EXPECT_EQ(job.lines(PWJobReport::Kind::Placeholder).size(), 4);
    EXPECT_EQ(PWPictureRenderer::takeFailures().size(), 1);
}

// A picture that runs out of time at print resolution is drawn on screen at a smaller size, and
// is not tried again at the resolution that failed or a finer one.
TEST_F(PWPictureRendererJobTest, AFailureHoldsForItsSizeAndLarger)
{
    const std::shared_ptr<PWImage> image = PWImage::fromData(kEndlessWhenLarge);
    ASSERT_TRUE(image);
    const struct
    {
        int size;
        QColor centre;
        int renders;
    } steps[] = {
        {160, PWPictureRenderer::placeholderColor(), 1}, // 288 pixels an inch: times out
        {320, PWPictureRenderer::placeholderColor(), 1}, // finer still: failed at once
        {160, PWPictureRenderer::placeholderColor(), 1},
        {40, QColor(Qt::black), 2},                      // 72 pixels an inch: drawn
        {80, QColor(Qt::black), 3},                      // 144: drawn
    };
    const int before = PWPictureRenderer::renderCount();
    for (const auto &step : steps) {
        SCOPED_TRACE(step.size);
        EXPECT_EQ(drawnCentre(*image, step.size), step.centre);
        EXPECT_EQ(PWPictureRenderer::renderCount() - before, step.renders);
    }
}

// Each picture drawn as a placeholder is one line of every job open while it is drawn, also when
// the session knew it failed before the job began; a placeholder drawn without a failed rendering
// (a picture that could not be read) is told too.
TEST_F(PWPictureRendererJobTest, EveryJobNamesItsPlaceholdersOnce)
{
    const std::shared_ptr<PWImage> endless = PWImage::fromData(endlessEps(7));
    ASSERT_TRUE(endless);
    drawnCentre(*endless, 40);
    for (int job = 0; job < 2; ++job) {
        SCOPED_TRACE(job);
        const PWJobReport report;
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(drawnCentre(*endless, 40), PWPictureRenderer::placeholderColor());
        const QStringList lines = report.lines(PWJobReport::Kind::Placeholder);
        ASSERT_EQ(lines.size(), 1);
        EXPECT_TRUE(lines.first().startsWith(QLatin1String("EPS picture of"))) << qPrintable(lines.first());
        QImage pixels(10, 10, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&pixels);
        PWPictureRenderer::drawPlaceholder(painter, QRectF(0, 0, 10, 10));
        EXPECT_EQ(report.lines(PWJobReport::Kind::Placeholder).size(), 2);
    }
    // Outside a job nothing is collected, and a window's drawing notes nothing.
    const PWJobReport late;
    {
        const PWPictureRenderer::Deferred deferred;
        QImage pixels(40, 40, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&pixels);
        endless->draw(painter, QRectF(0, 0, 40, 40), QRectF(), 1.0);
    }
    EXPECT_TRUE(late.isEmpty());
}

} // namespace
