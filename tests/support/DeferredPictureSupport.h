#pragma once

// A widget showing a PDF or EPS picture never waits for its rendering: its first paint shows what
// is there (nothing yet), and it paints again by itself once the raster, or the failure, is there.
// These helpers give a widget such pictures under a short deadline and read what its window shows.

#include "PictureTestSupport.h"
#include "ShownPixels.h"
#include "TestSupport.h"

#include "platform/PWImage.h"
#include "platform/PWPictureRenderer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

namespace deferredpicture {

// Renderings under a short deadline, none of them known before or after; failures are kept for
// the test instead of being logged.
class ShortDeadline
{
public:
    static constexpr int kDeadlineMs = 3000;
    // A first paint this quick did not wait for any rendering.
    static constexpr int kQuickMs = kDeadlineMs / 3;

    ShortDeadline()
    {
        PWPictureRenderer::forget();
        PWPictureRenderer::setDeadlineMs(kDeadlineMs);
        PWPictureRenderer::collectFailures(true);
    }
    ~ShortDeadline()
    {
        PWPictureRenderer::collectFailures(false);
        PWPictureRenderer::forget();
        PWPictureRenderer::setDeadlineMs(0);
    }
    ShortDeadline(const ShortDeadline &) = delete;
    ShortDeadline &operator=(const ShortDeadline &) = delete;
};

// A picture of 100 points square, and what a widget shows of it once its rendering has ended.
struct Picture
{
    const char *name;
    std::function<std::shared_ptr<PWImage>()> make;
    QColor rendered;
};

inline void PrintTo(const Picture &picture, std::ostream *out)
{
    *out << picture.name;
}

inline std::shared_ptr<PWImage> blackPdf()
{
    return PWImage::fromData(pictest::solidPdf(Qt::black, QSizeF(100, 100)));
}

// PostScript that loops for ever: its rendering ends at the deadline, as a placeholder.
inline std::shared_ptr<PWImage> endlessEps()
{
    return PWImage::fromFile(pwtest::dataPath(QStringLiteral("pictures/eps-endless-loop.eps")));
}

inline const Picture kPictures[] = {
    {"SoundPdf", &blackPdf, QColor(Qt::black)},
    {"EndlessEps", &endlessEps, PWPictureRenderer::placeholderColor()},
};

// What the widget's window shows right after the action that puts the picture on screen, and how
// long the action and the paints it caused took.
struct FirstPaint
{
    qint64 milliseconds = 0;
    QImage shown;
};

inline FirstPaint firstPaint(QWidget *widget, const std::function<void()> &action)
{
    QElapsedTimer timer;
    timer.start();
    action();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(widget->window()));
    // Layouts settle and the updates they ask for are painted.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    FirstPaint paint;
    paint.shown = shownpixels::shown(widget);
    paint.milliseconds = timer.elapsed();
    return paint;
}

// Lets the event loop run until the widget's window shows the colour at the point, painted by the
// widget's own updates (nothing here paints it); false when it never does.
inline bool showsLater(QWidget *widget, const QPoint &at, const QColor &colour)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 4 * ShortDeadline::kDeadlineMs) {
        const QImage image = shownpixels::shown(widget);
        if (image.valid(at) && pictest::near(image.pixelColor(at), colour, 8))
            return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return false;
}

// A point of the picture's target rectangle away from the placeholder's cross.
inline QPoint insidePicture(const QRectF &target)
{
    return QPointF(target.center().x(), target.top() + target.height() / 4.0).toPoint();
}

} // namespace deferredpicture
