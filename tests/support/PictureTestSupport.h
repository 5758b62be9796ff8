#pragma once

#include "platform/PWImage.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QBuffer>

#include <functional>
#include <memory>

class CDDDrawer;

namespace pictest {

// The image's file bytes in a format QImageWriter knows ("PNG", "JPG", "TIFF"...).
inline QByteArray encoded(const QImage &image, const char *format = "PNG")
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// PNG bytes of an opaque picture of one colour.
inline QByteArray solidPng(const QColor &colour, QSize size = QSize(8, 6))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return encoded(image, "PNG");
}

// A four-quadrant bitmap (red top-left, green top-right, blue bottom-left, yellow bottom-right)
// of the given pixel size, one point a pixel: orientation, crops and flips show in its colours.
inline QImage quadrantBitmap(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool right = x >= width / 2;
            const bool bottom = y >= height / 2;
            image.setPixelColor(x, y, !bottom ? (right ? Qt::green : Qt::red) : (right ? Qt::yellow : Qt::blue));
        }
    }
    image.setDotsPerMeterX(2835);
    image.setDotsPerMeterY(2835);
    return image;
}

inline std::shared_ptr<PWImage> quadrantImage(int width, int height)
{
    return PWImage::create(PWImageRep::fromBitmap(quadrantBitmap(width, height), QSizeF(width, height)));
}

// A one-page PDF of the given point size holding the same four quadrants as vectors.
inline QByteArray quadrantPdf(double width, double height)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(72);
    writer.setPageSize(QPageSize(QSizeF(width, height), QPageSize::Point));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter(&writer);
    painter.fillRect(QRectF(0, 0, width / 2, height / 2), Qt::red);
    painter.fillRect(QRectF(width / 2, 0, width / 2, height / 2), Qt::green);
    painter.fillRect(QRectF(0, height / 2, width / 2, height / 2), Qt::blue);
    painter.fillRect(QRectF(width / 2, height / 2, width / 2, height / 2), Qt::yellow);
    painter.end();
    return bytes;
}

// A one-page PDF of the given point size filled with one colour.
inline QByteArray solidPdf(const QColor &colour, const QSizeF &size)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(72);
    writer.setPageSize(QPageSize(size, QPageSize::Point));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter(&writer);
    painter.fillRect(QRectF(QPointF(0, 0), size), colour);
    painter.end();
    return bytes;
}

// Whether a pixel is close to a colour (each channel within tolerance).
inline bool near(const QColor &actual, const QColor &expected, int tolerance = 40)
{
    return std::abs(actual.red() - expected.red()) <= tolerance && std::abs(actual.green() - expected.green()) <= tolerance
           && std::abs(actual.blue() - expected.blue()) <= tolerance;
}

} // namespace pictest
