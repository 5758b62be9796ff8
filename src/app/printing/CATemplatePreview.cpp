#include "app/printing/CATemplatePreview.h"

#include "kernel/merge/CADocument.h"
#include "platform/PWBundle.h"

#include <QPainter>

#include <cmath>

namespace {

// 3 mm in points: the address window's corners in every picture.
constexpr double kWindowCornerRadius = 8.503937;
const QColor kWindowFill = QColor::fromRgbF(0.9019608f, 0.9411765f, 1.0f, 1.0f);

// A white image of the logical size, truncated to whole units, at the pixel ratio.
QImage blankImage(double width, double height, qreal pixelRatio)
{
    const int w = int(width);
    const int h = int(height);
    if (w <= 0 || h <= 0)
        return QImage();
    QImage image(int(std::lround(w * pixelRatio)), int(std::lround(h * pixelRatio)), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::transparent);
    return image;
}

QSizeF logicalSize(const QImage &image)
{
    return image.deviceIndependentSize();
}

// The page of a sheet, filled white and framed in black inside its bounds.
void drawPage(QPainter &painter, const QSizeF &size)
{
    const QRectF bounds(0, 0, std::trunc(size.width()), std::trunc(size.height()));
    painter.fillRect(bounds, Qt::white);
    painter.setPen(QPen(Qt::black, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(bounds.adjusted(0.5, 0.5, -0.5, -0.5));
}

void drawWindow(QPainter &painter, const CATemplateFormat &format, double scale)
{
    const QRectF window(format.getWinLeftOffset() * scale,
                        (format.ItemHeight() - format.getWinHeight() - format.getWinBottomOffset()) * scale,
                        format.getWinWidth() * scale, format.getWinHeight() * scale);
    const QPainterPath outline = CADocument::documentSurfacePathForRect(window, kWindowCornerRadius, 0, 0, true);
    painter.fillPath(outline, kWindowFill);
    painter.strokePath(outline, QPen(Qt::lightGray, 0.5));
}

// A single item filling the image: outline filled white, optionally the window, stroked black.
QImage drawSingleItem(const CATemplateFormat &format, double w0, double h0, const QSizeF &room, bool showWindow,
                      qreal pixelRatio)
{
    if (w0 <= 0 || h0 <= 0)
        return QImage();
    const double scale = CATemplatePreview::fitScale(room, QSizeF(w0, h0));
    QImage image = blankImage(w0 * scale, h0 * scale, pixelRatio);
    if (image.isNull())
        return image;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath outline = CADocument::documentSurfacePathForRect(QRectF(QPointF(0, 0), logicalSize(image)),
                                                                        format.getCornerRadius(), 0, 0, true);
    painter.fillPath(outline, Qt::white);
    if (showWindow)
        drawWindow(painter, format, scale);
    painter.strokePath(outline, QPen(Qt::black, 1.0));
    return image;
}

} // namespace

bool CATemplatePreview::isLetterPageSize(const QString &pageSize, const QString &localizedLetter)
{
    return pageSize == QLatin1String("Letter") || (!localizedLetter.isEmpty() && pageSize == localizedLetter);
}

bool CATemplatePreview::isLetterPageSize(const QString &pageSize)
{
    return isLetterPageSize(pageSize, PWLocalizedString(QStringLiteral("Letter")));
}

double CATemplatePreview::fitScale(const QSizeF &room, const QSizeF &object)
{
    if (object.width() <= 0 || object.height() <= 0 || room.height() <= 0)
        return 0.0;
    return room.width() / room.height() < object.width() / object.height() ? room.width() / object.width()
                                                                            : room.height() / object.height();
}

QImage CATemplatePreview::drawLabel(const CATemplateFormat &format, const QSizeF &room, qreal pixelRatio)
{
    const bool letter = isLetterPageSize(format.PageSize());
    const QSizeF inches = letter ? QSizeF(8.5, 11.0) : QSizeF(8.25, 11.68);
    const double scale = fitScale(room, inches);
    QImage image = blankImage(inches.width() * scale, inches.height() * scale, pixelRatio);
    if (image.isNull())
        return image;
    QPainter painter(&image);
    const QSizeF size = logicalSize(image);
    drawPage(painter, size);
    painter.setRenderHint(QPainter::Antialiasing);
    const double f = size.height() / (letter ? kLetterHeight : kOtherHeight);
    painter.setPen(QPen(Qt::black, 1.0));
    for (int i = 0; i < format.Rows(); ++i) {
        for (int j = 0; j < format.Columns(); ++j) {
            const double x = format.getLeftMargin() + (format.ItemWidth() + format.getHSpace()) * j;
            const double y = format.getTopMargin() + (format.ItemHeight() + format.getVSpace()) * i;
            const QRectF rect(std::trunc(x * f) + 0.5, std::trunc(y * f) + 0.5, std::trunc(format.ItemWidth() * f),
                              std::trunc(format.ItemHeight() * f));
            painter.strokePath(CADocument::documentSurfacePathForRect(rect, std::trunc(format.getCornerRadius() * f), 0,
                                                                      0, rect.width() >= rect.height()),
                               QPen(Qt::black, 1.0));
        }
    }
    return image;
}

QImage CATemplatePreview::drawEnvelope(const CATemplateFormat &format, const QSizeF &room, bool showWindow,
                                       qreal pixelRatio)
{
    return drawSingleItem(format, format.ItemWidth(), format.ItemHeight(), room, showWindow, pixelRatio);
}

QImage CATemplatePreview::drawPostcard(const CATemplateFormat &format, const QSizeF &room, qreal pixelRatio)
{
    return drawSingleItem(format, format.ItemHeight(), format.ItemWidth(), room, false, pixelRatio);
}

QImage CATemplatePreview::drawForKind(int documentType, const CATemplateFormat &format, const QSizeF &room,
                                      bool showWindow, qreal pixelRatio)
{
    if (documentType == dtEnvelope || format.isLabelRoll())
        return drawEnvelope(format, room, showWindow, pixelRatio);
    if (documentType == dtPostcard && (format.Rows() == 0 || format.Columns() == 0))
        return drawPostcard(format, room, pixelRatio);
    return drawLabel(format, room, pixelRatio);
}

QSizeF CATemplatePreview::labelEditorImageSize(bool letter, double imageHeight)
{
    return QSizeF(imageHeight * (letter ? 0.7727273 : 0.7063356), imageHeight);
}

QImage CATemplatePreview::drawLabelEditorSheet(const CATemplateFormat &format, bool letter, double imageHeight,
                                               qreal pixelRatio)
{
    const QSizeF pageSize = labelEditorImageSize(letter, imageHeight);
    QImage image = blankImage(pageSize.width(), pageSize.height(), pixelRatio);
    if (image.isNull())
        return image;
    QPainter painter(&image);
    const QSizeF size = logicalSize(image);
    drawPage(painter, size);
    painter.setRenderHint(QPainter::Antialiasing);
    const double s = size.height() / (letter ? kLetterHeight : kOtherHeight);
    const int rows = std::max(format.Rows(), 1);
    const int columns = std::max(format.Columns(), 1);
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < columns; ++j) {
            const QRectF rect(
                std::trunc((format.getLeftMargin() + (format.ItemWidth() + format.getHSpace()) * j) * s),
                std::trunc((format.getTopMargin() + (format.ItemHeight() + format.getVSpace()) * i) * s),
                std::trunc(format.ItemWidth() * s), std::trunc(format.ItemHeight() * s));
            painter.strokePath(CADocument::documentSurfacePathForRect(rect, format.getCornerRadius() * s, 0, 0,
                                                                      rect.width() >= rect.height()),
                               QPen(Qt::black, 1.0));
        }
    }
    return image;
}

QImage CATemplatePreview::drawEnvelopeEditor(const CATemplateFormat &format, const QSizeF &room, qreal pixelRatio)
{
    const double w0 = format.ItemWidth();
    const double h0 = format.ItemHeight();
    if (w0 <= 0 || h0 <= 0)
        return QImage();
    const double scale = fitScale(room, QSizeF(w0, h0));
    QImage image = blankImage(w0 * scale, h0 * scale, pixelRatio);
    if (image.isNull())
        return image;
    QPainter painter(&image);
    const QSizeF size = logicalSize(image);
    painter.fillRect(QRectF(QPointF(0, 0), size), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    if (format.hasWindow())
        drawWindow(painter, format, scale);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::black, 1.0));
    painter.drawRect(QRectF(QPointF(0, 0), size).adjusted(0.5, 0.5, -0.5, -0.5));
    return image;
}
