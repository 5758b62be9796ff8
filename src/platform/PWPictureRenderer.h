#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QRect>
#include <QRectF>
#include <QString>
#include <QStringList>

class QPainter;

// Turns the PDF and EPS pictures of designs into rasters. Poppler and Ghostscript run apart
// (PWIsolatedCall) under a deadline and a memory limit, because a few bytes of PostScript or PDF
// can loop for ever or ask for gigabytes; what they give is kept per picture and resolution, so
// that a repaint or the next label of a merge draws a raster it already has.
//
// A picture whose rendering fails (damaged, too slow, too large) fails at that resolution: its
// reason is logged once (or, while failures are collected, offered to takeFailures() once), and
// every later drawing of it at that resolution or a finer one gets the failure at once, drawn as a
// placeholder; a coarser drawing tries again. A failure of the moment (the clock ran out on a
// loaded machine, no child could be started) is tried again: at once by a drawing that waits, by
// a window's drawing once it is half a minute old; after three such failures in a row, at whatever
// sizes, only once the last is ten minutes old. Each failed drawing is noted in the open job
// reports (PWJobReport), so that a job says which pictures it printed as placeholders.
//
// Drawing waits for a rendering unless a Deferred scope is open on the calling thread (a window
// painting): then the rendering is queued in the background, the drawing gets what is there, and
// kRenderedNotification is posted when the raster is ready. A drawing that waits never waits
// behind the windows' queue: it takes over a queued rendering of its picture, renders it itself,
// or waits for one under way, which ends within the limits of its own; a job waits for one under
// way no longer than the time its report still has for pictures, and draws the picture as a
// placeholder when that is spent. Within a job the renderings that fail (and the waits for them)
// take no more than the report's time in all; the others after it are placeholders.
class PWPictureRenderer
{
public:
    // Bitmaps are never rendered here; they are named for their failures (noteFailure). An SVG is
    // read into a bitmap; it is rendered here, at its own size whatever the scale asked, only where
    // that reading failed (PWImageRep), so that a failure of the moment is tried again.
    enum class Kind { PDF, EPS, Bitmap, SVG };

    // One raster wanted: the picture's bytes, the resolution (device pixels per point, one for
    // each axis) and, for a PDF, the part of the page in pixels at that resolution (empty for
    // the whole). An EPS is always rendered whole.
    struct Request
    {
        Kind kind = Kind::PDF;
        QByteArray data;
        QByteArray digest; // identifies the bytes; made from them when empty
        double xScale = 1.0;
        double yScale = 1.0;
        QRect region;
    };

    enum class State { Ready, Pending, Failed };

    struct Raster
    {
        State state = State::Failed;
        // The pixels, with the resolution and region they were rendered at; for a pending
        // rendering, the nearest raster of the picture there is, if any.
        QImage image;
        double xScale = 0.0;
        double yScale = 0.0;
        QRect region;
        QString reason; // why a failed picture is not drawn
    };

    // Most pixels one rendering gives; a larger request is rendered coarser.
    static constexpr double kMaxPixels = 32.0 * 1024 * 1024;

    static const QString kRenderedNotification;

    static Raster raster(const Request &request);
    // A picture that cannot be drawn at all, found without rendering (its bytes do not decode):
    // it fails as a failed rendering does, logged or collected once.
    static void noteFailure(const Request &request, const QString &reason);

    // While one lives on a thread, drawings on that thread never wait for a rendering.
    class Deferred
    {
    public:
        Deferred();
        ~Deferred();
        Deferred(const Deferred &) = delete;
        Deferred &operator=(const Deferred &) = delete;
    };
    // How many drawings on this thread got no raster yet; a cache built meanwhile is incomplete.
    static int pendingCount();

    // While collected (a batch job, which reports them itself), failures are kept for
    // takeFailures() instead of being logged.
    static void collectFailures(bool collect);
    // Reasons of failed pictures not taken before, each picture once.
    static QStringList takeFailures();

    // The deadline of one rendering. PW_PICTURE_RENDER_DEADLINE_MS sets it for a process.
    static int deadlineMs();
    static void setDeadlineMs(int milliseconds);
    // Renderings made apart so far, and forgetting what was rendered and failed (tests).
    static int renderCount();
    static void forget();

    // Waits until no rendering runs in the background (tests, and the end of a batch job).
    static void waitForBackground();

    // The placeholder of a picture that cannot be drawn: a grey plate with a cross.
    static void drawPlaceholder(QPainter &painter, const QRectF &target);
    static QColor placeholderColor();
};
