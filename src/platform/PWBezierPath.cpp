#include "platform/PWBezierPath.h"

PWBezierPath::PWBezierPath()
{
    m_path.setFillRule(Qt::WindingFill);
}

PWBezierPath::PWBezierPath(const QPainterPath &path, WindingRule rule)
    : m_path(path)
{
    setWindingRule(rule);
}

void PWBezierPath::setPath(const QPainterPath &path)
{
    const WindingRule rule = windingRule();
    m_path = path;
    setWindingRule(rule);
}

PWBezierPath::WindingRule PWBezierPath::windingRule() const
{
    return m_path.fillRule() == Qt::OddEvenFill ? WindingRule::EvenOdd : WindingRule::NonZero;
}

void PWBezierPath::setWindingRule(WindingRule rule)
{
    m_path.setFillRule(rule == WindingRule::EvenOdd ? Qt::OddEvenFill : Qt::WindingFill);
}

void PWBezierPath::setLineDash(const QList<float> &pattern, float phase)
{
    m_dashes = pattern;
    m_dashPhase = phase;
}

QPen PWBezierPath::pen(const QColor &color) const
{
    QPen pen(color);
    pen.setWidthF(m_lineWidth);
    switch (m_cap) {
    case LineCap::Butt:
        pen.setCapStyle(Qt::FlatCap);
        break;
    case LineCap::Round:
        pen.setCapStyle(Qt::RoundCap);
        break;
    case LineCap::Square:
        pen.setCapStyle(Qt::SquareCap);
        break;
    }
    switch (m_join) {
    case LineJoin::Miter:
        pen.setJoinStyle(Qt::MiterJoin);
        break;
    case LineJoin::Round:
        pen.setJoinStyle(Qt::RoundJoin);
        break;
    case LineJoin::Bevel:
        pen.setJoinStyle(Qt::BevelJoin);
        break;
    }
    if (!m_dashes.isEmpty()) {
        const qreal unit = m_lineWidth > 0.0f ? m_lineWidth : 1.0;
        QList<qreal> pattern;
        pattern.reserve(m_dashes.size() + 1);
        for (float length : m_dashes)
            pattern.append(length / unit);
        // Qt wants dash-gap pairs; an odd pattern repeats once more, as the stroke would.
        if (pattern.size() % 2 != 0)
            pattern.append(pattern);
        pen.setDashPattern(pattern);
        pen.setDashOffset(m_dashPhase / unit);
    }
    return pen;
}
