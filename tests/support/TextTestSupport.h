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

// A font's measures in points of the page: on a device of 72 dots per inch, where a point is a dot.
inline QFontMetricsF pointMetrics(const QFont &font)
{
    static const QImage page = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        image.setDotsPerMeterX(2835);
        image.setDotsPerMeterY(2835);
        return image;
    }();
    return QFontMetricsF(font, &page);
}

// The letter spacing a layout in points shows a kerning with: the kerning as a share of the font's
// mean character width, in percent of the plain advance.
inline double kerningSpacing(const QFont &font, double kerning)
{
    return 100.0 * (1.0 + kerning / pointMetrics(font).averageCharWidth());
}

// Appends a run to the end of a document.
inline void appendRun(QTextDocument *document, const QString &text, const QTextCharFormat &format)
{
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text, format);
}

} // namespace texttest
