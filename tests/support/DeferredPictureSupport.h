#pragma once

// A widget showing a PDF or EPS picture never waits for its rendering: its first paint shows what
// is there (nothing yet), and it paints again by itself once the raster, or the failure, is there.
// These helpers give a widget such pictures under a short deadline and read what its window shows.

#include "PictureTestSupport.h"
#include "ShownPixels.h"
#include "TestSupport.h"

#include "platform/PWImage.h"
#include "platform/PWIsolatedCall.h"
#include "platform/PWPictureRenderer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
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
    // How long a widget may take to show what a rendering gave, on a machine as busy as can be.
    static constexpr int kShowsWithinMs = 40 * kDeadlineMs;

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

// While one lives, no rendering apart can end: each child waits to start until the holder goes
// (its script then lets it go on as the program itself). Whatever a widget shows meanwhile, it
// showed without any rendering, and a drawing that waited for one would still be waiting.
class HeldRenderings
{
public:
    HeldRenderings()
    {
        // The scripts stay until the test program ends: a child started just before its holder
        // went still reads its script.
        static QTemporaryDir folder;
        static int held = 0;
        const QString script = folder.filePath(QStringLiteral("held-%1").arg(++held));
        m_gate = script + QStringLiteral(".open");
        QFile file(script);
        const QByteArray text = "#!/bin/sh\nwhile [ ! -e '" + QFile::encodeName(m_gate) + "' ]; do sleep 0.02; done\n"
                                "exec '" + QFile::encodeName(QCoreApplication::applicationFilePath()) + "' \"$@\"\n";
        EXPECT_TRUE(folder.isValid() && file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        PWIsolatedCall::setProgram(script);
    }
    ~HeldRenderings()
    {
        PWIsolatedCall::setProgram(QString());
        QFile(m_gate).open(QIODevice::WriteOnly);
    }
    HeldRenderings(const HeldRenderings &) = delete;
    HeldRenderings &operator=(const HeldRenderings &) = delete;

private:
    QString m_gate;
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

// What the widget's window shows right after the action that puts the picture on screen, the
// renderings held meanwhile: what it shows without having waited for any.
struct FirstPaint
{
    QImage shown;
};

inline FirstPaint firstPaint(QWidget *widget, const std::function<void()> &action)
{
    const HeldRenderings held;
    action();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(widget->window()));
    // Layouts settle and the updates they ask for are painted.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    FirstPaint paint;
    paint.shown = shownpixels::shown(widget);
    return paint;
}

// Lets the event loop run until the widget's window shows the colour at the point, painted by the
// widget's own updates (nothing here paints it); false when it never does.
inline bool showsLater(QWidget *widget, const QPoint &at, const QColor &colour)
{
    const QDeadlineTimer bound(ShortDeadline::kShowsWithinMs);
    while (!bound.hasExpired()) {
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
