#pragma once

#include "platform/PWFont.h"
#include "platform/PWTextAttributes.h"

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

// Appends a run to the end of a document.
inline void appendRun(QTextDocument *document, const QString &text, const QTextCharFormat &format)
{
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text, format);
}

} // namespace texttest
