#pragma once

#include "platform/PWFont.h"
#include "platform/PWTextAttributes.h"

#include <QFontMetricsF>
#include <QImage>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

// Styles and texts the text tests build on: installed fonts only, so that metrics compare
// within one machine.
namespace texttest {

// The character format of a merge field: the tag in the text's custom attributes (none for 0).
inline QTextCharFormat fieldFormat(int tag, double size = 12.0)
{
    QTextCharFormat format;
    format.setFontPointSize(size);
    if (tag)
        format.setProperty(PWTextAttributes::CustomAttributes, QVariantMap {{QStringLiteral("FTTextTag"), tag}});
    return format;
}

inline QTextCharFormat style(const QString &postScriptName, double size, const QColor &color = QColor())
{
    QTextCharFormat format;
    PWFont(postScriptName, size).applyTo(&format);
    if (color.isValid())
        format.setForeground(color);
    return format;
}

inline QTextCharFormat sans(double size, const QColor &color = QColor())
{
    return style(QStringLiteral("DejaVuSans"), size, color);
}

// A font's own measures in points of the page, unrounded: measured on a device of 7,200 dots
// per inch, where a point is a hundred dots, and given back in points.
struct PointMetrics
{
    explicit PointMetrics(const QFont &font) : metrics(font, fine()) {}
    double ascent() const { return metrics.ascent() / 100.0; }
    double height() const { return metrics.height() / 100.0; }
    double lineSpacing() const { return metrics.lineSpacing() / 100.0; }
    double horizontalAdvance(const QString &text) const { return metrics.horizontalAdvance(text) / 100.0; }
    static const QImage *fine()
    {
        static const QImage page = [] {
            QImage image(1, 1, QImage::Format_RGB32);
            image.setDotsPerMeterX(283465);
            image.setDotsPerMeterY(283465);
            return image;
        }();
        return &page;
    }
    QFontMetricsF metrics;
};

inline PointMetrics pointMetrics(const QFont &font)
{
    return PointMetrics(font);
}

// Appends a run to the end of a document.
inline void appendRun(QTextDocument *document, const QString &text, const QTextCharFormat &format)
{
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text, format);
}

} // namespace texttest
