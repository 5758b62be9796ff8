// Shapes put on the page under a component's rotation and mirror flips, the straight lines of
// the line shapes, the hit test of an outline, and single-page PDF renderings.

#include "kernel/render/CDDDrawer.h"

#include "kernel/render/CDDDrawerSupport.h"
#include "kernel/base/CDDColor.h"
#include "kernel/base/CDDPen.h"
#include "platform/PWBezierPath.h"

#include <QBuffer>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <cmath>

namespace {

// Sharp corners of thin spikes (stars, arrows) stay pointed up to a miter 25 line widths long,
// tip to inner corner. Qt measures its limit from the join point on the centre line, which is
// half that length.
constexpr double kFigureMiterLimit = 25.0 / 2.0;

bool finiteRect(const QRectF &rect)
{
    return std::isfinite(rect.x()) && std::isfinite(rect.y()) && std::isfinite(rect.width())
           && std::isfinite(rect.height());
}

// Page sizes of the PDF writer are whole points, so the page is made large enough and its media
// box then narrowed to the drawing's own size: the writer measures its content from the page's
// top edge, so the box keeps that edge and gives up the surplus at the bottom and right. The box
// is rewritten in place with the same byte length, which keeps every offset of the file valid;
// when it cannot be, the page simply stays a fraction of a point larger.
void narrowMediaBox(QByteArray &pdf, int wholeWidth, int wholeHeight, const QSizeF &size)
{
    const QByteArray written = QByteArray("/MediaBox [0 0 ") + QByteArray::number(wholeWidth, 'f', 6) + ' '
                               + QByteArray::number(wholeHeight, 'f', 6) + ']';
    const qsizetype at = pdf.indexOf(written);
    if (at < 0 || pdf.indexOf(written, at + 1) >= 0)
        return;
    QByteArray narrowed = QByteArray("/MediaBox [0 ") + QByteArray::number(wholeHeight - size.height(), 'g', 6) + ' '
                          + QByteArray::number(size.width(), 'g', 6) + ' ' + QByteArray::number(wholeHeight) + ']';
    if (narrowed.size() > written.size())
        return;
    narrowed.append(QByteArray(written.size() - narrowed.size(), ' '));
    pdf.replace(at, written.size(), narrowed);
}

} // namespace

QTransform CDDDrawer::figureTransform(double x, double y, double width, double height, double angle, bool flipX,
                                      bool flipY)
{
    // Each step acts on a point before the steps added earlier: mirror first, then turn.
    QTransform t;
    if (angle != 0.0) {
        const double cx = x + width / 2.0;
        const double cy = y + height / 2.0;
        t.translate(cx, cy);
        t.rotateRadians(static_cast<float>(angle));
        t.translate(-cx, -cy);
    }
    t.scale(flipX ? -1.0 : 1.0, flipY ? -1.0 : 1.0);
    if (flipY)
        t.translate(0.0, -(2.0 * y + height));
    if (flipX)
        t.translate(-(2.0 * x + width), 0.0);
    return t;
}

void CDDDrawer::StrokeAndFillFigure(PWBezierPath *path, double x, double y, double width, double height,
                                    double angle, const CDDColor *strokeColor, const CDDPen *strokePen,
                                    const CDDColor *fillColor, bool flipX, bool flipY)
{
    if (!mPainter || !path)
        return;
    mPainter->save();
    if (strokePen)
        strokePen->set(path);
    mPainter->setTransform(figureTransform(x, y, width, height, angle, flipX, flipY), true);
    if (fillColor)
        mPainter->fillPath(path->path(), fillColor->toQColor());
    if (strokeColor) {
        QPen pen = path->pen(strokeColor->toQColor());
        pen.setMiterLimit(kFigureMiterLimit);
        mPainter->strokePath(path->path(), pen);
    }
    mPainter->restore();
}

void CDDDrawer::DrawSeparator(double x, double y, double width, double height, double angle, int direction,
                              const CDDColor *color, const CDDPen *pen, bool flipX, bool flipY)
{
    if (!mPainter)
        return;
    const double cx = x + width / 2.0;
    const double cy = y + height / 2.0;
    QPointF from;
    QPointF to;
    switch (direction) {
    case 0:
        from = QPointF(x, cy);
        to = QPointF(x + width, cy);
        break;
    case 1:
        from = QPointF(cx, y);
        to = QPointF(cx, y + height);
        break;
    case 2:
        from = QPointF(x, y);
        to = QPointF(x + width, y + height);
        break;
    case 3:
        from = QPointF(x + width, y);
        to = QPointF(x, y + height);
        break;
    default:
        return;
    }
    if (color)
        color->set(mPainter);
    PWBezierPath line;
    line.path().moveTo(from);
    line.path().lineTo(to);
    line.setLineWidth(pen ? static_cast<float>(pen->GetWidth()) : 1.0f);
    mPainter->save();
    mPainter->setTransform(figureTransform(x, y, width, height, angle, flipX, flipY), true);
    drawsupport::strokePath(mPainter, line);
    mPainter->restore();
}

bool CDDDrawer::IsPointInPath(PWBezierPath *path, double px, double py, double x, double y, double width,
                              double height, bool flipX, bool flipY)
{
    if (!path)
        return false;
    if (flipX || flipY)
        path->setPath(figureTransform(x, y, width, height, 0.0, flipX, flipY).map(path->path()));
    return path->path().contains(QPointF(px, py));
}

void CDDDrawer::DrawFigure(PWBezierPath *path, double x, double y, double width, double height, double angle,
                           const CDDColor *color, const CDDPen *pen, bool flipX, bool flipY)
{
    if (!mPainter || !path)
        return;
    if (pen)
        pen->set(path);
    if (color)
        color->set(mPainter);
    mPainter->save();
    mPainter->setTransform(figureTransform(x, y, width, height, angle, flipX, flipY), true);
    if (pen) {
        QPen stroke = path->pen(mPainter->pen().color());
        stroke.setMiterLimit(kFigureMiterLimit);
        mPainter->strokePath(path->path(), stroke);
    } else {
        drawsupport::fillPath(mPainter, path->path());
    }
    mPainter->restore();
}

QByteArray CDDDrawer::PDFDataForDrawing(const QRectF &pageRect, double imageResolution,
                                        const std::function<void(CDDDrawer &)> &draw)
{
    if (!finiteRect(pageRect) || pageRect.width() <= 0.0 || pageRect.height() <= 0.0
        || !std::isfinite(imageResolution) || imageResolution < 1.0 || !draw)
        return QByteArray();

    const int wholeWidth = static_cast<int>(std::ceil(pageRect.width()));
    const int wholeHeight = static_cast<int>(std::ceil(pageRect.height()));
    QBuffer buffer;
    if (!buffer.open(QIODevice::WriteOnly))
        return QByteArray();
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(static_cast<int>(std::lround(imageResolution)));
        if (!writer.setPageSize(QPageSize(QSize(wholeWidth, wholeHeight), QString(), QPageSize::ExactMatch))
            || !writer.setPageMargins(QMarginsF(0, 0, 0, 0)))
            return QByteArray();
        QPainter painter;
        if (!painter.begin(&writer))
            return QByteArray();
        const double pixelsPerPoint = writer.resolution() / 72.0;
        painter.scale(pixelsPerPoint, pixelsPerPoint);
        painter.translate(-pageRect.topLeft());
        painter.setRenderHint(QPainter::Antialiasing);
        CDDDrawer drawer(false, &painter);
        drawer.SetResolution(pixelsPerPoint);
        draw(drawer);
        if (!painter.end())
            return QByteArray();
    }
    QByteArray pdf = buffer.data();
    narrowMediaBox(pdf, wholeWidth, wholeHeight, pageRect.size());
    return pdf;
}
