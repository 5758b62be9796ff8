// Marks drawn over a design while it is edited: handles, ports, selection and drop frames,
// rounded address-panel boxes and their label tab, snap and guide lines, address areas and the
// hint box. Line widths, handle sizes and dashes are in device pixels, so they look the same at
// every zoom.

#include "kernel/render/CDDDrawer.h"

#include "kernel/render/CDDDrawerSupport.h"
#include "kernel/base/CDDColor.h"
#include "kernel/base/CDDString.h"
#include "platform/PWBezierPath.h"
#include "platform/PWBundle.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kSpecialDotSize = 8.0;
constexpr double kTabHeight = CDDDrawer::kBoxLabelHeight;
constexpr double kTabMaxWidth = 85.0;
constexpr double kTabCaptionHitWidth = 21.0;

QColor rgb(double r, double g, double b, double a = 1.0)
{
    return QColor::fromRgbF(static_cast<float>(r), static_cast<float>(g), static_cast<float>(b),
                            static_cast<float>(a));
}

QColor grey(double white, double a)
{
    return rgb(white, white, white, a);
}

QColor handleFill()
{
    return rgb(0.75, 0.75, 0.83203125);
}
QColor guideColor()
{
    return rgb(145.0 / 255.0, 200.0 / 255.0, 215.0 / 255.0);
}
QColor panelFrameColor()
{
    return rgb(112.0 / 255.0, 151.0 / 255.0, 185.0 / 255.0, 0.8);
}
QColor lightShade()
{
    return grey(0.0, 10.0 / 255.0);
}
QColor tabEdgeColor()
{
    return grey(0.0, 20.0 / 255.0);
}
QColor arrowGrey()
{
    return grey(0.0, 0.4);
}
QColor labelGrey()
{
    return grey(100.0 / 255.0, 1.0);
}
QColor hintYellow()
{
    return rgb(1.0, 1.0, 0.88);
}

void turnAbout(QPainter *painter, double cx, double cy, double angle)
{
    if (angle == 0.0)
        return;
    painter->translate(cx, cy);
    painter->rotate(angle * 180.0 / std::numbers::pi);
    painter->translate(-cx, -cy);
}

void stroke(QPainter *painter, const QPainterPath &path, const QColor &color, double width,
            const QList<float> &dashes = {})
{
    PWBezierPath outline(path);
    outline.setLineWidth(static_cast<float>(width));
    if (!dashes.isEmpty())
        outline.setLineDash(dashes, 0.0f);
    painter->save();
    painter->setPen(outline.pen(color));
    painter->setBrush(Qt::NoBrush);
    painter->drawPath(outline.path());
    painter->restore();
}

QPainterPath rectPath(double x, double y, double w, double h)
{
    QPainterPath path;
    path.addRect(x, y, w, h);
    return path;
}

QPainterPath linePath(double x1, double y1, double x2, double y2)
{
    QPainterPath path;
    path.moveTo(x1, y1);
    path.lineTo(x2, y2);
    return path;
}

// The rectangle with its four corners rounded by tangent arcs, counter-clockwise from the top
// of the left edge.
QPainterPath roundedBox(double x, double y, double w, double h, double radius)
{
    QPainterPath path;
    path.moveTo(x, y + radius);
    drawsupport::appendTangentArc(path, QPointF(x, y + h), QPointF(x + w, y + h), radius);
    drawsupport::appendTangentArc(path, QPointF(x + w, y + h), QPointF(x + w, y), radius);
    drawsupport::appendTangentArc(path, QPointF(x + w, y), QPointF(x, y), radius);
    drawsupport::appendTangentArc(path, QPointF(x, y), QPointF(x, y + h), radius);
    path.closeSubpath();
    return path;
}

double tabWidth(double width, double radius)
{
    return std::min(kTabMaxWidth, width - radius);
}

// Draws text in one line from the top-left corner of a text container width wide, with one
// point of padding at either side, cut at its tail with an ellipsis when it does not fit.
// Answers the width of what was drawn.
double drawContainerText(QPainter *painter, const QFont &font, const QString &text, double left, double top,
                         double containerWidth, bool draw = true)
{
    constexpr double padding = 1.0;
    const QFontMetricsF metrics(font);
    const QString shown = metrics.elidedText(text, Qt::ElideRight, std::max(0.0, containerWidth - 2.0 * padding));
    if (draw && !shown.isEmpty())
        painter->drawText(QPointF(left + padding, top + metrics.ascent()), shown);
    return metrics.horizontalAdvance(shown);
}

} // namespace

void CDDDrawer::DrawDot(double x, double y, double, double)
{
    if (!mPainter)
        return;
    const double left = snap(x);
    const double top = snap(y);
    const double side = pixels(4.0);
    const double line = pixels(0.8);
    const QPainterPath shadow = rectPath(left + pixels(1.0), top + pixels(1.0), side, side);
    mPainter->fillPath(shadow, drawsupport::handleShadowColor());
    stroke(mPainter, shadow, drawsupport::handleShadowColor(), line);
    const QPainterPath handle = rectPath(left, top, side, side);
    mPainter->fillPath(handle, handleFill());
    stroke(mPainter, handle, drawsupport::knobColor(), line);
}

void CDDDrawer::DrawSpecialDot(double x, double y, double cx, double cy, double angle, int kind)
{
    if (!mPainter)
        return;
    mPainter->save();
    turnAbout(mPainter, cx, cy, angle);
    const double r = mdResolution;
    const double left = std::floor(x * r - 3.5) / r;
    const double top = std::floor(y * r - 3.5) / r;
    const double side = kSpecialDotSize / r;
    const double line = pixels(0.8);
    const QPainterPath box = rectPath(left, top, side, side);
    mPainter->fillPath(box, Qt::white);

    const double mx = left + side / 2.0;
    const double my = top + side / 2.0;
    const QColor color = kind == 1 ? drawsupport::kSystemRed : drawsupport::knobColor();
    if (kind == 1) {
        stroke(mPainter, linePath(left + pixels(1.5), my, left + side - pixels(1.5), my), color, line);
        stroke(mPainter, linePath(mx, top + pixels(1.5), mx, top + side - pixels(1.5)), color, line);
    } else if (kind == 2) {
        stroke(mPainter, linePath(mx - pixels(1), top + pixels(1.5), mx - pixels(1), top + side - pixels(1.5)),
               color, line);
        stroke(mPainter, linePath(mx, top + pixels(2.5), mx, top + side - pixels(2.5)), color, line);
        stroke(mPainter, linePath(mx - pixels(1), my, mx + pixels(1.5), my), color, line);
    }
    stroke(mPainter, box, color, line);
    mPainter->restore();
}

void CDDDrawer::DrawPlus(double x, double y, double width, double height)
{
    if (!mPainter)
        return;
    const double r = mdResolution;
    const double left = (std::floor(x * r) + 0.5) / r;
    const double top = (std::floor(y * r) + 0.5) / r;
    const double w = std::ceil(width * r) / r;
    const double h = std::ceil(height * r) / r;
    const double line = pixels(1.0);
    const QPainterPath box = rectPath(left, top, w, h);
    mPainter->fillPath(box, Qt::white);
    stroke(mPainter, box, Qt::black, line);
    stroke(mPainter, linePath(left + w / 2, top, left + w / 2, top + h), Qt::black, line);
    stroke(mPainter, linePath(left, top + h / 2, left + w, top + h / 2), Qt::black, line);
}

void CDDDrawer::DrawSelectTextRect(double x, double y, double width, double height, double angle)
{
    if (!mPainter)
        return;
    mPainter->save();
    turnAbout(mPainter, x + width / 2.0, y + height / 2.0, angle);
    stroke(mPainter, rectPath(x, y, width, height), Qt::black, pixels(1.0));
    drawsupport::drawFocusRing(mPainter, QRectF(x, y, width, height), pixels(1.0));
    mPainter->restore();
}

void CDDDrawer::FrameTextRect(double x, double y, double width, double height)
{
    if (mPainter)
        stroke(mPainter, rectPath(x - 1, y - 1, width + 2, height + 2), drawsupport::knobColor(), pixels(1.0));
}

void CDDDrawer::DrawNamedRect(double x, double y, double width, double height)
{
    if (mPainter)
        stroke(mPainter, rectPath(x, y, width, height), drawsupport::knobColor(), pixels(1.0));
}

void CDDDrawer::DrawSelectionBox(double x, double y, double width, double height, double angle)
{
    if (!mPainter)
        return;
    mPainter->save();
    turnAbout(mPainter, x + width / 2.0, y + height / 2.0, angle);
    SnapRect(&x, &y, &width, &height);
    stroke(mPainter, rectPath(x, y, width, height), drawsupport::knobColor(), pixels(0.8));
    mPainter->restore();
}

void CDDDrawer::DrawSelectionBox2(double x, double y, double width, double height, double radius)
{
    if (mPainter)
        stroke(mPainter, roundedBox(x, y, width, height, radius), panelFrameColor(), pixels(1.5));
}

void CDDDrawer::DrawSelectionDropBox(double x, double y, double width, double height, double angle)
{
    if (!mPainter)
        return;
    mPainter->save();
    turnAbout(mPainter, x + width / 2.0, y + height / 2.0, angle);
    SnapRect(&x, &y, &width, &height);
    drawsupport::drawFocusRing(mPainter, QRectF(x, y, width, height), pixels(1.0));
    mPainter->restore();
}

void CDDDrawer::DrawHighlightBox(double x, double y, double width, double height, double radius)
{
    if (mPainter)
        mPainter->fillPath(roundedBox(x, y, width, height, radius), lightShade());
}

void CDDDrawer::DrawFilledBox(double x, double y, double width, double height, double radius, const CDDColor *color)
{
    if (mPainter && color)
        mPainter->fillPath(roundedBox(x, y, width, height, radius), color->toQColor());
}

void CDDDrawer::DrawSnapLine(double x1, double y1, double x2, double y2)
{
    if (!mPainter)
        return;
    SnapRect(&x1, &y1, nullptr, nullptr);
    SnapRect(&x2, &y2, nullptr, nullptr);
    const float unit = static_cast<float>(pixels(1.0));
    stroke(mPainter, linePath(x1, y1, x2, y2), drawsupport::kSystemBlue, unit, { 5 * unit, 2 * unit });
}

void CDDDrawer::DrawGuideLine(double x1, double y1, double x2, double y2)
{
    if (!mPainter)
        return;
    const float unit = static_cast<float>(pixels(1.0));
    stroke(mPainter, linePath(x1, y1, x2, y2), guideColor(), unit, { 6 * unit, 4 * unit });
}

void CDDDrawer::DrawGuidelineArea(double x, double y, double width, double height, bool recipient,
                                  bool drawCaption, bool)
{
    if (!mPainter)
        return;
    if (recipient) {
        const float unit = static_cast<float>(pixels(1.0));
        stroke(mPainter, rectPath(x, y, width, height), guideColor(), unit, { 6 * unit, 4 * unit });
    } else {
        // The sender area sits in the page's top-left corner, which draws its other two edges.
        DrawGuideLine(x, y + height, x + width, y + height);
        DrawGuideLine(x + width, y + height, x + width, y);
    }
    if (!drawCaption)
        return;
    // The caption is sized in design points, so it scales with the zoom.
    const QFont font = drawsupport::userFont(8);
    const QString caption = PWBundle::mainBundle().localizedString(
        recipient ? QStringLiteral("Recipient Address Area") : QStringLiteral("Sender Address Area"));
    const double left = x + width - (recipient ? 93.0 : 83.0);
    const double top = y + height - 10.0;
    mPainter->save();
    mPainter->setFont(font);
    mPainter->setPen(guideColor());
    mPainter->drawText(QPointF(left, top + QFontMetricsF(font).ascent()), caption);
    mPainter->restore();
}

void CDDDrawer::DrawHintBox(double x, double y, const CDDString &text) const
{
    if (!mPainter)
        return;
    const double margin = pixels(3.0);
    const QFont font = drawsupport::userFont(12);
    const QFontMetricsF metrics(font);
    const QString string = text.getData();
    const double sw = metrics.horizontalAdvance(string);
    const double sh = metrics.height();

    // The text keeps about its size in device pixels: it is rendered once and scaled by
    // 1 / (r + 0.1), not 1 / r.
    const double shownWidth = sw / (mdResolution + 0.1);
    const double shownHeight = sh / (mdResolution + 0.1);
    const QPainterPath box = rectPath(x, y, shownWidth + 2 * margin, shownHeight + 2 * margin);
    mPainter->fillPath(box, hintYellow());
    stroke(mPainter, box, Qt::black, pixels(1.0));

    const QSize imageSize(static_cast<int>(std::ceil(sw)), static_cast<int>(std::ceil(sh)));
    if (imageSize.isEmpty())
        return;
    QImage image(imageSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter textPainter(&image);
        textPainter.setFont(font);
        textPainter.setPen(Qt::black);
        textPainter.drawText(QPointF(0.0, metrics.ascent()), string);
    }
    mPainter->save();
    mPainter->setRenderHint(QPainter::SmoothPixmapTransform);
    mPainter->drawImage(QRectF(x + margin, y + margin, shownWidth, shownHeight), image);
    mPainter->restore();
}

void CDDDrawer::DrawBoxLabel(double x, double y, double width, double, double radius, bool recipient,
                             const CDDString &label)
{
    if (!mPainter)
        return;
    const double t = tabWidth(width, radius);
    const double q = recipient ? 15.0 : 21.0;
    const double v = t - q;

    QPainterPath tab;
    tab.moveTo(x, y + radius);
    drawsupport::appendTangentArc(tab, QPointF(x, y - kTabHeight), QPointF(x + t, y - kTabHeight), radius);
    drawsupport::appendTangentArc(tab, QPointF(x + t, y - kTabHeight), QPointF(x + t, y), radius);
    tab.lineTo(x + t, y);
    drawsupport::appendTangentArc(tab, QPointF(x, y), QPointF(x, y + radius), radius);
    tab.closeSubpath();
    mPainter->fillPath(tab, lightShade());
    stroke(mPainter, tab, tabEdgeColor(), pixels(1.0));

    const QFont font = drawsupport::userFont(5);
    mPainter->save();
    mPainter->setFont(font);
    mPainter->setPen(labelGrey());
    const QPointF captionOrigin(x + radius / 2.0 + 1.0, y - kTabHeight + radius / 4.0 - 1.0);
    const QString caption = PWBundle::mainBundle().localizedString(recipient ? QStringLiteral("TO")
                                                                             : QStringLiteral("FROM"));
    drawContainerText(mPainter, font, caption, captionOrigin.x(), captionOrigin.y(), q);

    // Two small arrows pointing down: one after the caption, one at the tab's right end.
    const QPointF arrowAt(x + q, y - kTabHeight + radius / 2.0 - 1.0);
    QPainterPath arrow;
    arrow.moveTo(0, 0);
    arrow.lineTo(3, 0);
    arrow.lineTo(1.5, 3);
    arrow.closeSubpath();
    mPainter->fillPath(arrow.translated(arrowAt.x() - 3.5, arrowAt.y() + 1.0), arrowGrey());
    mPainter->fillPath(arrow.translated(x + t - radius / 2.0 - 3.5, arrowAt.y() + 1.0), arrowGrey());

    const double container = v - radius / 2.0 - 3.5;
    const double textWidth = drawContainerText(mPainter, font, label.getData(), 0, 0, container, false);
    drawContainerText(mPainter, font, label.getData(), x + q + v - radius - 3.5 - textWidth, captionOrigin.y(),
                      container);
    mPainter->restore();
}

int CDDDrawer::regionIndexForBoxLabel(double px, double py, double x, double y, double width, double,
                                      double radius, bool, const CDDString &)
{
    const double t = tabWidth(width, radius);
    if (!(py > y - kTabHeight && py < y && px > x && px < x + t))
        return -1;
    return px < x + kTabCaptionHitWidth ? 0 : 1;
}
