#pragma once

// What a window really shows: the pixels its paints left in the window's backing store (the
// offscreen platform keeps one image per window), not a fresh rendering as QWidget::grab makes.
// A widget whose updates missed a changed area shows different pixels there than the same widget
// painted again whole.

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

namespace shownpixels {

// The widget's area of its window as last painted, once every pending update has been painted.
inline QImage shown(QWidget *widget)
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QWidget *top = widget->window();
    const QPoint at = widget->mapTo(top, QPoint(0, 0));
    QScreen *screen = top->screen();
    if (!screen)
        return QImage();
    return screen->grabWindow(top->winId(), at.x(), at.y(), widget->width(), widget->height())
        .toImage()
        .convertToFormat(QImage::Format_ARGB32);
}

// How many pixels a full repaint of the widget changes; -1 when nothing could be read.
inline int stalePixels(QWidget *widget)
{
    const QImage before = shown(widget);
    widget->repaint();
    const QImage after = shown(widget);
    if (before.isNull() || before.size() != after.size())
        return -1;
    int differing = 0;
    for (int y = 0; y < before.height(); ++y) {
        const auto *a = reinterpret_cast<const QRgb *>(before.constScanLine(y));
        const auto *b = reinterpret_cast<const QRgb *>(after.constScanLine(y));
        for (int x = 0; x < before.width(); ++x)
            differing += a[x] != b[x] ? 1 : 0;
    }
    return differing;
}

} // namespace shownpixels
