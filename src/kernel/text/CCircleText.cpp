#include "kernel/text/CCircleText.h"

#include "kernel/base/FTGeometry.h"
#include "kernel/text/CCTextStorage.h"

#include <QGlyphRun>
#include <QPainter>
#include <QPainterPath>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <cmath>
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
    return float(calculateEllipseLength(xRadius - y, yRadius - y));
}

void doDrawCircleText(QPainter *painter, const QTextDocument *text, double rx, double ry, double rotation,
                      QPointF centre, double baseAngle, bool inside, int alignment,
                      std::vector<FTAGlyphLocation> &glyphs)
{
    glyphs.clear();
    if (!text)
        return;
    const int mapped = (alignment & 2) ? 1 : ((alignment & 1) || (alignment & 4)) ? 2 : 0;
    double lineOffset = 0.0;
    bool firstLine = true;
    double baseline0 = 0.0;
    for (QTextBlock block = text->begin(); block.isValid(); block = block.next()) {
        QTextLayout layout(block.text(), text->defaultFont(), CCTextStorage::pointDevice());
        QList<QTextLayout::FormatRange> formats;
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            formats.append({fragment.position() - block.position(), fragment.length(), fragment.charFormat()});
        }
        layout.setFormats(formats);
        layout.beginLayout();
        for (;;) {
            QTextLine line = layout.createLine();
            if (!line.isValid())
                break;
            line.setLineWidth(std::max(1.0, lineWidthAt(rx, ry, lineOffset)));
            line.setPosition(QPointF(0.0, lineOffset));
            lineOffset += line.height();
        }
        layout.endLayout();
        for (int l = 0; l < layout.lineCount(); ++l) {
            const QTextLine line = layout.lineAt(l);
            if (firstLine) {
                baseline0 = line.ascent();
                firstLine = false;
            }
            // The first baseline lies on the ellipse (outside) or just inside it.
            const double offset = line.y() + line.ascent() - (inside ? 1.0 : baseline0);
            const double a = rx - offset;
            const double b = ry - offset;
            double t = calculateStartTextAngle(!inside, centre, a, b, baseAngle, line.naturalTextWidth(), mapped);
            const QList<QGlyphRun> runs = line.glyphRuns();
            for (const QGlyphRun &run : runs) {
                const QList<quint32> indexes = run.glyphIndexes();
                const QRawFont font = run.rawFont();
                const QList<QPointF> advances = font.advancesForGlyphIndexes(indexes);
                for (qsizetype g = 0; g < indexes.size(); ++g) {
                    const QRectF bounds = font.boundingRect(indexes.at(g));
                    const QSizeF size(std::max(advances.at(g).x(), bounds.width()), bounds.height());
                    double angle = 0.0;
                    QPointF location;
                    calcAngleAndLocation(angle, location, inside, centre, a, b, size, t);
                    double x = location.x();
                    double y = location.y();
                    rotatePoint(&x, &y, rotation, centre.x(), centre.y());
                    const double turned = angle + rotation + (inside ? std::numbers::pi : 0.0);
                    glyphs.emplace_back(x, y, -size.width(), size.height(), turned);
                    if (!painter)
                        continue;
                    painter->save();
                    painter->translate(x, y);
                    painter->rotate((angle + rotation + (inside ? 0.0 : float(std::numbers::pi))) * 180.0
                                    / std::numbers::pi);
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
