#include "kernel/render/CCircleText.h"

#include "kernel/base/FTGeometry.h"
#include "kernel/render/CCircleTextContainer.h"
#include "kernel/render/CDDDrawerSupport.h"
#include "kernel/render/CDDTextRuns.h"

#include <QGlyphRun>
#include <QPainter>
#include <QPainterPath>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

namespace CCircleText {

namespace {

double arcElement(double t, double a, double b)
{
    const double s = std::sin(t);
    return std::sqrt(b * b - (b * b - a * a) * s * s) * kWalkStep;
}

} // namespace

double calculateEllipseLength(double a, double b)
{
    if (a == b)
        return 2.0 * std::numbers::pi * a;
    double sum = 0.0;
    for (int i = 0; i * kWalkStep < std::numbers::pi; ++i)
        sum += arcElement(i * kWalkStep, a, b);
    return 2.0 * sum;
}

double calculateAngleForArcLength(double t0, bool forward, double a, double b, double length)
{
    if (a == b)
        return forward ? t0 + length / a : t0 - length / a;
    double t = t0;
    double walked = 0.0;
    // Bounded: a walk never needs more than a few turns of the ellipse.
    for (int steps = 0; walked < length && steps < 100000000; ++steps) {
        walked += arcElement(t, a, b);
        t += forward ? kWalkStep : -kWalkStep;
    }
    return t;
}

double calculateStartTextAngle(bool forward, QPointF, double a, double b, double t0, double length, int alignment)
{
    switch (alignment) {
    case 2:
        return calculateAngleForArcLength(t0, forward, a, b, length / 2.0);
    case 1:
        return calculateAngleForArcLength(t0, forward, a, b, length);
    default:
        return t0;
    }
}

void calcAngleAndLocation(double &angle, QPointF &location, bool forward, QPointF centre, double a, double b,
                          QSizeF glyph, double &t)
{
    double step = 0.0031415926535897933;
    const double dx = a * std::cos(t + step) - a * std::cos(t);
    const double dy = b * std::sin(t + step) - b * std::sin(t);
    const double d = std::sqrt(dx * dx + dy * dy);
    if (d > 0.0)
        step = step * glyph.width() / d;
    location = QPointF(float(centre.x() + a * std::cos(t)), float(centre.y() - b * std::sin(t)));
    angle = d > 0.0 ? std::acos(dx / d) : 0.0;
    if (dy > 0.0)
        angle = -angle;
    t = forward ? t + step : t - step;
}

double lineWidthAt(double xRadius, double yRadius, double y)
{
    const double a = xRadius - y;
    const double b = yRadius - y;
    if (!(a > 0.0 && b > 0.0))
        return 0.0;
    return float(calculateEllipseLength(a, b));
}

namespace {

// Lays the text out paragraph by paragraph, each line as long as the container allows at its
// top; the lines follow one another down without gaps. The layout is as fine as the text's own
// (see textruns::layoutDevice), so that lines stand the font's own height apart: its positions
// and sizes are in the layout's units, the container's in points.
std::vector<std::unique_ptr<QTextLayout>> layLines(const QTextDocument *text, const CCircleTextContainer &container)
{
    std::vector<std::unique_ptr<QTextLayout>> layouts;
    double top = 0.0;
    for (QTextBlock block = text->begin(); block.isValid(); block = block.next()) {
        auto layout = std::make_unique<QTextLayout>(block.text(), text->defaultFont(), textruns::layoutDevice());
        QList<QTextLayout::FormatRange> formats;
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            formats.append({fragment.position() - block.position(), fragment.length(), fragment.charFormat()});
        }
        layout->setFormats(formats);
        layout->beginLayout();
        for (;;) {
            QTextLine line = layout->createLine();
            if (!line.isValid())
                break;
            const QRectF fragment =
                container.lineFragmentRectForProposedRect(QRectF(0.0, top, CCircleTextContainer::kUnlimited, 0.0), nullptr);
            line.setLineWidth(textruns::toUnits(std::max(1.0, fragment.width())));
            line.setPosition(QPointF(0.0, textruns::toUnits(top)));
            top += textruns::toPoints(line.height());
        }
        layout->endLayout();
        layouts.push_back(std::move(layout));
    }
    return layouts;
}

// The first line's ascent: where glyph 0's baseline lies below the top of the text, in points.
double firstBaseline(const std::vector<std::unique_ptr<QTextLayout>> &layouts)
{
    for (const auto &layout : layouts)
        if (layout->lineCount() > 0)
            return textruns::toPoints(layout->lineAt(0).y() + layout->lineAt(0).ascent());
    return 0.0;
}

} // namespace

void doDrawCircleText(QPainter *painter, bool showOutline, const QTextDocument *text,
                      CCircleTextContainer *container, double rx, double ry, double rotation, QPointF centre,
                      double baseAngle, bool inside, bool outlineOnly, int alignment,
                      std::vector<FTAGlyphLocation> &glyphs)
{
    if (!outlineOnly) {
        glyphs.clear();
        CCircleTextContainer own;
        CCircleTextContainer &area = container ? *container : own;
        const QSizeF keptSize = area.containerSize();
        area.setRadiusXAndRadiusY(rx, ry);
        std::vector<std::unique_ptr<QTextLayout>> layouts;
        double shrink = 0.0;
        if (text) {
            const double y0 = firstBaseline(layLines(text, area));
            shrink = inside ? y0 - 1.0 : 0.0;
            if (inside)
                area.setRadiusXAndRadiusY(rx - 1.0, ry - 1.0);
            else
                area.setRadiusXAndRadiusY(rx - y0, ry - y0);
            layouts = layLines(text, area);
        }
        const int mapped = (alignment & 2) ? 1 : (alignment & 1) ? 2 : 0;
        for (const auto &layout : layouts) {
            for (int l = 0; l < layout->lineCount(); ++l) {
                const QTextLine line = layout->lineAt(l);
                const double offset = textruns::toPoints(line.y() + line.ascent());
                const double a = rx - (offset - shrink);
                const double b = ry - (offset - shrink);
                if (!(a > 0.0 && b > 0.0))
                    continue;
                double t = calculateStartTextAngle(!inside, centre, a, b, baseAngle,
                                                   textruns::toPoints(line.naturalTextWidth()), mapped);
                const QList<QGlyphRun> runs = line.glyphRuns();
                for (const QGlyphRun &run : runs) {
                    const QList<quint32> indexes = run.glyphIndexes();
                    const QRawFont font = run.rawFont();
                    const QList<QPointF> advances = font.advancesForGlyphIndexes(indexes);
                    for (qsizetype g = 0; g < indexes.size(); ++g) {
                        const QRectF bounds = font.boundingRect(indexes.at(g));
                        const QSizeF size(textruns::toPoints(std::max(advances.at(g).x(), bounds.width())),
                                          textruns::toPoints(bounds.height()));
                        double angle = 0.0;
                        QPointF location;
                        calcAngleAndLocation(angle, location, inside, centre, a, b, size, t);
                        double x = location.x();
                        double y = location.y();
                        rotatePoint(&x, &y, rotation, centre.x(), centre.y());
                        glyphs.emplace_back(x, y, -size.width(), size.height(),
                                            angle + rotation + (inside ? std::numbers::pi : 0.0));
                        if (!painter)
                            continue;
                        painter->save();
                        painter->translate(x, y);
                        painter->rotate((angle + rotation + (inside ? 0.0 : float(std::numbers::pi))) * 180.0
                                        / std::numbers::pi);
                        painter->scale(1.0 / textruns::kLayoutScale, 1.0 / textruns::kLayoutScale);
                        QGlyphRun single;
                        single.setRawFont(font);
                        single.setGlyphIndexes({indexes.at(g)});
                        single.setPositions({QPointF(0.0, 0.0)});
                        painter->drawGlyphRun(QPointF(0.0, 0.0), single);
                        painter->restore();
                    }
                }
            }
        }
        area.setContainerSize(keptSize);
    }
    if (showOutline || outlineOnly) {
        const double grow = inside ? 1.0 : -1.0;
        drawOval(painter, drawsupport::knobColor(), rotation, centre.x(), centre.y(), rx + grow, ry + grow);
    }
}

void drawOval(QPainter *painter, const QColor &colour, double angle, double cx, double cy, double rx, double ry)
{
    if (!painter)
        return;
    painter->save();
    painter->translate(cx, cy);
    painter->rotate(angle * 180.0 / std::numbers::pi);
    QPen pen(colour, 1.0);
    pen.setDashPattern({4.0, 3.0});
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    painter->drawEllipse(QRectF(-rx, -ry, 2.0 * rx, 2.0 * ry));
    painter->restore();
}

} // namespace CCircleText
