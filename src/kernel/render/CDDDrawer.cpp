#include "kernel/render/CDDDrawer.h"

#include "kernel/render/CDDDrawerSupport.h"
#include "kernel/base/CDDColor.h"
#include "kernel/base/CDDPen.h"
#include "platform/PWBezierPath.h"
#include "platform/PWBundle.h"
#include "platform/PWColor.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPagedPaintDevice>
#include <QPaintEngine>
#include <QPainter>

#include <cmath>
#include <mutex>
#include <limits>
#include <memory>

CDDDrawer::CDDDrawer(bool overrideDrawScreen, QPainter *painter)
    : mPainter(painter)
    , mbOverrideDrawScreen(overrideDrawScreen)
{
}

CDDDrawer::~CDDDrawer() = default;

bool CDDDrawer::isScreenDevice(const QPaintDevice *device)
{
    if (!device)
        return false;
    switch (device->devType()) {
    case QInternal::Printer:
    case QInternal::Picture:
        return false;
    default:
        break;
    }
    // QPdfWriter and QPrinter are both paged devices; nothing that shows on a screen is.
    return dynamic_cast<const QPagedPaintDevice *>(device) == nullptr;
}

bool CDDDrawer::IsDrawingToScreen() const
{
    if (!mPainter || !mPainter->isActive())
        return false;
    if (const QPaintEngine *engine = mPainter->paintEngine()) {
        if (engine->type() == QPaintEngine::Pdf || engine->type() == QPaintEngine::Picture)
            return false;
    }
    return isScreenDevice(mPainter->device());
}

double CDDDrawer::snap(double v) const
{
    return std::floor((v + 0.5) * mdResolution) / mdResolution;
}

void CDDDrawer::SnapRect(double *x, double *y, double *width, double *height) const
{
    if (x)
        *x = snap(*x);
    if (y)
        *y = snap(*y);
    if (width && x)
        *width = snap(*x + *width) - *x;
    if (height && y)
        *height = snap(*y + *height) - *y;
}

void CDDDrawer::StrokeLine(double x1, double y1, double x2, double y2, const CDDColor *color, const CDDPen *pen)
{
    if (!mPainter)
        return;
    SnapRect(&x1, &y1, nullptr, nullptr);
    SnapRect(&x2, &y2, nullptr, nullptr);
    PWBezierPath path;
    path.path().moveTo(x1, y1);
    path.path().lineTo(x2, y2);
    if (pen)
        pen->set(&path);
    if (color)
        color->set(mPainter);
    drawsupport::strokePath(mPainter, path);
}

void CDDDrawer::StrokeRect(double x, double y, double width, double height, const CDDColor *color,
                           const CDDPen *pen)
{
    if (!mPainter)
        return;
    SnapRect(&x, &y, &width, &height);
    PWBezierPath path;
    path.path().addRect(x, y, width, height);
    if (pen)
        pen->set(&path);
    if (color)
        color->set(mPainter);
    drawsupport::strokePath(mPainter, path);
}

void CDDDrawer::StrokeVerticalLine(double x, double y1, double y2, const CDDColor *color, const CDDPen *pen)
{
    if (!mPainter || !pen)
        return;
    const double xs = (std::floor((x + 0.5) * mdResolution) - 0.5) / mdResolution;
    if (color)
        color->set(mPainter);
    mPainter->fillRect(QRectF(xs, std::min(y1, y2), pen->GetWidth() / 2.0, std::abs(y2 - y1)),
                       mPainter->brush());
}

void CDDDrawer::StrokeHorizontalLine(double x1, double x2, double y, const CDDColor *color, const CDDPen *pen)
{
    if (!mPainter || !pen)
        return;
    const double ys = (std::floor((y + 0.5) * mdResolution) - 0.5) / mdResolution;
    if (color)
        color->set(mPainter);
    mPainter->fillRect(QRectF(std::min(x1, x2), ys, std::abs(x2 - x1), pen->GetWidth() / 2.0),
                       mPainter->brush());
}

const QImage *CDDDrawer::loadingImage()
{
    // Made on first use and kept for the life of the process. The workers of a print job draw
    // too: the first use is made under a lock, and the image is never changed after.
    static std::mutex mutex;
    static std::unique_ptr<QImage> image;
    static bool attempted = false;
    const std::lock_guard lock(mutex);
    if (attempted)
        return image.get();
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return nullptr; // fonts need a GUI application; try again once there is one
    attempted = true;

    const QFont font = drawsupport::userFont(15); // 15 points at one pixel per point
    const QString text = PWBundle::mainBundle().localizedString(QStringLiteral("Loading")) + QStringLiteral("...");
    const QFontMetricsF metrics(font);
    const QSize size(static_cast<int>(std::ceil(metrics.horizontalAdvance(text))),
                     static_cast<int>(std::ceil(metrics.height())));
    if (size.isEmpty())
        return nullptr;
    auto made = std::make_unique<QImage>(size, QImage::Format_ARGB32_Premultiplied);
    if (made->isNull())
        return nullptr;
    made->fill(Qt::transparent);
    QPainter painter(made.get());
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(drawsupport::kSystemBlue);
    painter.drawText(QPointF(0.0, metrics.ascent()), text);
    painter.end();
    image = std::move(made);
    return image.get();
}

QSizeF CDDDrawer::loadingImageSize()
{
    const QImage *image = loadingImage();
    return image ? QSizeF(image->size()) : QSizeF(0.0, 0.0);
}

void CDDDrawer::DrawLoadingText(double x, double y, double width, double height)
{
    if (!mPainter)
        return;
    const double band = pixels(20.0);
    mPainter->fillRect(QRectF(x, y + height - band, width, band),
                       PWColor::calibratedWhite(1.0f, 0.5f).toQColor());
    const QImage *image = loadingImage();
    if (!image)
        return;
    const double imageWidth = pixels(image->width());
    if (imageWidth >= width)
        return;
    mPainter->save();
    mPainter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    mPainter->setRenderHint(QPainter::SmoothPixmapTransform);
    mPainter->drawImage(QRectF(x + width / 2.0 - imageWidth / 2.0, y + height - band, imageWidth, band), *image);
    mPainter->restore();
}

QImage CDDDrawer::dragComponentImage(const QSizeF &size, double scale, const std::function<void(CDDDrawer *)> &draw)
{
    if (!draw || scale == 0.0 || !std::isfinite(scale))
        return QImage();
    // One point of margin on every side, so that outlines centred on the frame's edge show whole.
    const double width = std::ceil((size.width() + 2.0) * scale);
    const double height = std::ceil((size.height() + 2.0) * scale);
    // Beyond what a painter can draw on, or no pixels at all: no image rather than a huge allocation.
    constexpr double kLargest = std::numeric_limits<qint16>::max();
    if (!(width >= 1.0 && height >= 1.0 && width <= kLargest && height <= kLargest))
        return QImage();
    QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return QImage();
    image.fill(Qt::transparent);
    QPainter painter;
    if (!painter.begin(&image))
        return QImage();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    painter.translate(1.0, 1.0);
    CDDDrawer drawer(false, &painter);
    drawer.SetResolution(scale);
    draw(&drawer);
    painter.end();
    return image;
}
