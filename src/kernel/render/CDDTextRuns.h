#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <optional>
#include <vector>

// Run walking over a QTextDocument, shared by the text model's files. A run is a fragment: the
// longest stretch of one character format inside one paragraph.
namespace textruns {

struct Run
{
    int position = 0;
    int length = 0;
    QTextCharFormat format;
};

std::vector<Run> runsOf(const QTextDocument *document);
// The first run's format; nothing for a document without characters.
std::optional<QTextCharFormat> firstFormat(const QTextDocument *document);
// Whether more than one style runs through the document (fontsOnly: only the font counts).
bool hasSeveralStyles(const QTextDocument *document, bool fontsOnly);
// Rewrites each run's format, and the format of each paragraph break alike (the codecs store
// the breaks as characters), or the whole document in the first run's changed format.
template <typename Change>
void changeEachRun(QTextDocument *document, Change change)
{
    const std::vector<Run> runs = runsOf(document);
    if (runs.empty())
        return;
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        QTextCharFormat format = block.charFormat();
        change(format);
        cursor.setPosition(block.position());
        cursor.setBlockCharFormat(format);
    }
    for (const Run &run : runs) {
        QTextCharFormat format = run.format;
        change(format);
        cursor.setPosition(run.position);
        cursor.setPosition(run.position + run.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(format);
    }
    cursor.endEditBlock();
}
// Lets every paragraph keep its shaped glyphs from one layout to the next, until its characters
// or formats change: shaping is the dearest part of a layout, and a text is laid out in the open
// width to be measured and again in its frame to be drawn.
void keepGlyphs(QTextDocument *document);
// Replaces the format of every character (and of the paragraph ends).
void setWhole(QTextDocument *document, const QTextCharFormat &format);
// A document whose layout is held is not laid out while it changes: its page is empty until
// releaseLayout gives back the page it had (or fallbackWidth, for one held from the start). A
// layout is shaped text, and a text changed several times before it is next measured or drawn
// (a merge's fill, fit and restore) would otherwise be laid out after every change.
void holdLayout(QTextDocument *document);
bool isLayoutHeld(const QTextDocument *document);
void releaseLayout(QTextDocument *document, double fallbackWidth);
// The width the document is laid out in, or will be once released.
double layoutWidth(const QTextDocument *document, double fallbackWidth);
template <typename Change>
void changeAsOneRun(QTextDocument *document, Change change)
{
    const std::optional<QTextCharFormat> first = firstFormat(document);
    if (!first)
        return;
    QTextCharFormat format = *first;
    change(format);
    setWhole(document, format);
}
// A device of 72 dots per inch. Texts are laid out and measured on it, so that a font of 12
// points spans 12 units of the drawing, which are points, at any zoom and on any printer; left to
// itself Qt turns points into pixels at the screen's resolution.
QPaintDevice *pointDevice();
// A font's measures in points.
QFontMetricsF pointMetrics(const QFont &font);
// Makes the document lay out in points (see pointDevice), laying it out again when it was not.
void layOutInPoints(QTextDocument *document);
// The font a format draws with, missing properties taken from the document's default font.
QFont fontOf(const QTextCharFormat &format, const QTextDocument *document);
// Makes Qt's layout show the attributes kept as user properties (kerning, baseline offset, line
// spacing), after text arrived from a codec or a command changed them.
void applyLayoutExtras(QTextDocument *document);
void applyLayoutExtras(QTextCharFormat *format, const QTextDocument *document);

} // namespace textruns
