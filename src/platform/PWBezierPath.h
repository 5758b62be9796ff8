#pragma once

#include <QList>
#include <QPainterPath>
#include <QPen>

// The outline object the kernel hands between its builders, its pens and the drawing back end:
// a path plus the stroke attributes that travel with it. The line width is single precision,
// as the outlines of documents were; dash lengths are in points, independent of the line width.
class PWBezierPath
{
public:
    enum class WindingRule { NonZero, EvenOdd };
    enum class LineCap { Butt, Round, Square };
    enum class LineJoin { Miter, Round, Bevel };

    // Outlines fill by the non-zero rule unless told otherwise (a QPainterPath on its own would
    // default to even-odd, which leaves holes in self-crossing shapes such as stars).
    PWBezierPath();
    explicit PWBezierPath(const QPainterPath &path, WindingRule rule = WindingRule::NonZero);

    const QPainterPath &path() const { return m_path; }
    QPainterPath &path() { return m_path; }
    // Replaces the geometry; the outline keeps its winding rule.
    void setPath(const QPainterPath &path);

    float lineWidth() const { return m_lineWidth; }
    void setLineWidth(float width) { m_lineWidth = width; }

    // The fill rule lives in the path itself, so it can never disagree with it.
    WindingRule windingRule() const;
    void setWindingRule(WindingRule rule);

    LineCap lineCapStyle() const { return m_cap; }
    void setLineCapStyle(LineCap cap) { m_cap = cap; }
    LineJoin lineJoinStyle() const { return m_join; }
    void setLineJoinStyle(LineJoin join) { m_join = join; }

    // Alternating dash and gap lengths in points, and the offset into that pattern at which the
    // stroke starts; an empty pattern draws a solid line.
    const QList<float> &dashPattern() const { return m_dashes; }
    float dashPhase() const { return m_dashPhase; }
    bool isDashed() const { return !m_dashes.isEmpty(); }
    void setLineDash(const QList<float> &pattern, float phase);

    // A pen of the given colour with this path's stroke attributes. Qt measures dashes in line
    // widths, so the pattern is converted; a zero width (a hairline) counts as one point.
    QPen pen(const QColor &color) const;

    bool operator==(const PWBezierPath &other) const = default;

private:
    QPainterPath m_path;
    float m_lineWidth = 1.0f;
    LineCap m_cap = LineCap::Butt;
    LineJoin m_join = LineJoin::Miter;
    QList<float> m_dashes;
    float m_dashPhase = 0.0f;
};
