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
// releaseLayout gives back the page it had (or fallbackWidth points, for one held from the start). A
// layout is shaped text, and a text changed several times before it is next measured or drawn
// (a merge's fill, fit and restore) would otherwise be laid out after every change.
void holdLayout(QTextDocument *document);
bool isLayoutHeld(const QTextDocument *document);
void releaseLayout(QTextDocument *document, double fallbackWidth);
// The width the document is laid out in, or will be once released (points, as fallbackWidth).
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
// A device of 72 dots per inch, for the layouts that work in whole points (circle text, text
// blocks): left to itself Qt turns points into pixels at the screen's resolution.
QPaintDevice *pointDevice();
// The styled texts of frames are laid out finer than in points: Qt rounds every line height up
// to a whole unit of its layout and every font's ascent and descent to whole units, which at 72
// dots per inch adds up to a quarter to an address's rows. Laid out in units of 1/kLayoutScale
// point, the rounding stays under a hundredth of a line; every position read from such a layout
// is divided by the scale, every width given to it multiplied. The scale keeps a frame of
// CDDText::kContainerSize points inside Qt's fixed-point range, and the largest type inside
// the font engine's pixel sizes (2,047 points).
inline constexpr double kLayoutScale = 32.0;
QPaintDevice *layoutDevice();
inline double toPoints(double units) { return units / kLayoutScale; }
inline double toUnits(double points) { return points * kLayoutScale; }
// A font's own measures in points, unrounded (measured on the fine layout's device).
class PointMetrics
{
public:
    explicit PointMetrics(const QFont &font);
    double ascent() const { return toPoints(m_metrics.ascent()); }
    double descent() const { return toPoints(m_metrics.descent()); }
    double leading() const { return toPoints(m_metrics.leading()); }
    double height() const { return toPoints(m_metrics.height()); }
    double lineSpacing() const { return toPoints(m_metrics.lineSpacing()); }
    double averageCharWidth() const { return toPoints(m_metrics.averageCharWidth()); }
    double horizontalAdvance(const QString &text) const { return toPoints(m_metrics.horizontalAdvance(text)); }

private:
    QFontMetricsF m_metrics;
};
PointMetrics pointMetrics(const QFont &font);
// Makes the document lay out in fine units (see layoutDevice), laying it out again when it was not.
void layOutInPoints(QTextDocument *document);
// The width, in points, a document is laid out in; and setting it. The document is given the
// tallest page Qt's fixed-point positions hold (kLayoutPageHeight units), never the open height
// that setTextWidth gives: Qt takes the open height for a page of 2^23 units (262,144 points at
// the fine scale), and past that first page its layout of each line turns so slow that a text of
// twenty thousand lines no longer finishes. No text breaks onto a second page of the tallest
// one: a line past it has no position Qt can hold.
inline constexpr double kLayoutPageHeight = 33554431.0;
double textWidthInPoints(const QTextDocument *document);
void setTextWidthInPoints(QTextDocument *document, double width);
// Once laid out, a text taller than that page has no lines past it: Qt's positions of the lines
// beyond would wrap around to above the text, or over its first lines, and its height with
// them. Those paragraphs are left out of the layout (their characters stay in the text).
void keepInLayoutRange(QTextDocument *document);
// The letter spacing Qt is to be given for a kerning of so many points after each character: Qt
// multiplies an absolute spacing by the whole number of its default resolution's dots that go
// into a dot of the layout's device, a factor measured once.
double letterSpacingForKerning(double kerning);
// Makes the font draw every letter as a glyph of its own, never two as one ligature, without
// moving any: so that a PDF's text reads as it was written. Kerning stays.
void spellOutLigatures(QFont *font);
// The font a format draws with, missing properties taken from the document's default font.
QFont fontOf(const QTextCharFormat &format, const QTextDocument *document);
// The share of Qt's default resolution the layout's device has: Qt multiplies the spacing around
// paragraphs, line heights and tab stops by it, and takes margins and indents as they are.
double layoutDeviceShare();
// A paragraph format in points (as the codecs give it) with its lengths in the fine layout's
// units, and its line spacing shown; one already so is given back as it is.
QTextBlockFormat inLayoutUnits(const QTextBlockFormat &format);
// Makes Qt's layout show the attributes kept as user properties (kerning, baseline offset, line
// spacing) and the paragraph lengths in the layout's units, after text arrived from a codec or a
// command changed them.
void applyLayoutExtras(QTextDocument *document);
void applyLayoutExtras(QTextCharFormat *format, const QTextDocument *document);

} // namespace textruns
