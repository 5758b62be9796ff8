#include "kernel/render/CDDTextRuns.h"

#include "platform/PWParagraphStyle.h"
#include "platform/PWTextAttributes.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QVariant>

#include <algorithm>
#include <cmath>

namespace textruns {

std::vector<Run> runsOf(const QTextDocument *document)
{
    std::vector<Run> runs;
    if (!document)
        return runs;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.isValid() && fragment.length() > 0)
                runs.push_back({fragment.position(), fragment.length(), fragment.charFormat()});
        }
    }
    return runs;
}

std::optional<QTextCharFormat> firstFormat(const QTextDocument *document)
{
    if (!document)
        return std::nullopt;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().isValid() && it.fragment().length() > 0)
                return it.fragment().charFormat();
        }
        // A text starting with an empty paragraph: its break carries the paragraph's style.
        if (block.next().isValid())
            return block.charFormat();
    }
    return std::nullopt;
}

namespace {

// What makes a font another font; spacing and other rendering settings do not.
bool sameFont(const QTextCharFormat &one, const QTextCharFormat &other)
{
    return one.fontFamilies() == other.fontFamilies() && one.fontPointSize() == other.fontPointSize()
        && one.fontWeight() == other.fontWeight() && one.fontItalic() == other.fontItalic()
        && one.stringProperty(PWTextAttributes::PostScriptFontName)
               == other.stringProperty(PWTextAttributes::PostScriptFontName);
}

} // namespace

bool hasSeveralStyles(const QTextDocument *document, bool fontsOnly)
{
    const std::vector<Run> runs = runsOf(document);
    for (size_t i = 1; i < runs.size(); ++i) {
        if (fontsOnly ? !sameFont(runs[i].format, runs[0].format) : runs[i].format != runs[0].format)
            return true;
    }
    return false;
}

void keepGlyphs(QTextDocument *document)
{
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        if (QTextLayout *layout = block.layout())
            layout->setCacheEnabled(true);
}

void setWhole(QTextDocument *document, const QTextCharFormat &format)
{
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.setCharFormat(format);
    cursor.setBlockCharFormat(format);
    cursor.endEditBlock();
}

namespace {
constexpr const char *kHeldPage = "pwHeldPage";
} // namespace

void holdLayout(QTextDocument *document)
{
    if (isLayoutHeld(document))
        return;
    // Kept on the document itself: texts that share their contents share its hold.
    document->setProperty(kHeldPage, document->pageSize());
    document->setPageSize(QSizeF(0.0, 0.0));
}

bool isLayoutHeld(const QTextDocument *document)
{
    return document->pageSize().isNull();
}

void releaseLayout(QTextDocument *document, double fallbackWidth)
{
    if (!isLayoutHeld(document))
        return;
    const QVariant page = document->property(kHeldPage);
    if (page.isValid() && !page.toSizeF().isNull())
        document->setPageSize(page.toSizeF());
    else
        setTextWidthInPoints(document, fallbackWidth);
}

double layoutWidth(const QTextDocument *document, double fallbackWidth)
{
    if (!isLayoutHeld(document))
        return textWidthInPoints(document);
    const QVariant page = document->property(kHeldPage);
    return page.isValid() && !page.toSizeF().isNull() ? toPoints(page.toSizeF().width()) : fallbackWidth;
}

namespace {

QImage deviceOfResolution(double dotsPerInch)
{
    QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
    const int dotsPerMetre = qRound(dotsPerInch / 0.0254);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    return image;
}

} // namespace

QPaintDevice *pointDevice()
{
    // Only its metrics are ever read, from any thread.
    static QImage device = deviceOfResolution(72.0);
    return &device;
}

QPaintDevice *layoutDevice()
{
    // Only its metrics are ever read, from any thread.
    static QImage device = deviceOfResolution(72.0 * kLayoutScale);
    return &device;
}

PointMetrics::PointMetrics(const QFont &font)
    : m_metrics(font, layoutDevice())
{
}

PointMetrics pointMetrics(const QFont &font)
{
    return PointMetrics(font);
}

void layOutInPoints(QTextDocument *document)
{
    QAbstractTextDocumentLayout *layout = document->documentLayout();
    if (layout->paintDevice() == layoutDevice())
        return;
    // A text editor lets go of a document by taking its device away: what it laid out since, or
    // lays out next, would be in pixels of the screen.
    layout->setPaintDevice(layoutDevice());
    document->markContentsDirty(0, document->characterCount());
}

double textWidthInPoints(const QTextDocument *document)
{
    return toPoints(document->textWidth());
}

void setTextWidthInPoints(QTextDocument *document, double width)
{
    document->setPageSize(QSizeF(toUnits(width), kLayoutPageHeight));
}

void keepInLayoutRange(QTextDocument *document)
{
    if (isLayoutHeld(document))
        return;
    const QAbstractTextDocumentLayout *layout = document->documentLayout();
    double previousTop = 0.0;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        // Only the end of a text is ever left out.
        if (!block.isVisible())
            return;
        const QRectF bounds = layout->blockBoundingRect(block);
        if (bounds.top() >= previousTop && bounds.bottom() <= kLayoutPageHeight) {
            previousTop = bounds.top();
            continue;
        }
        const int from = block.position();
        for (; block.isValid(); block = block.next())
            block.setVisible(false);
        document->markContentsDirty(from, document->characterCount() - from);
        return;
    }
}

double letterSpacingForKerning(double kerning)
{
    // What one unit of absolute spacing adds after a character, in points: a layout of two
    // letters with and without it tells.
    static const double perUnit = [] {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSizeF(12.0);
        auto width = [&font](double spacing) {
            QFont spaced = font;
            spaced.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
            QTextLayout layout(QStringLiteral("ii"), spaced, layoutDevice());
            layout.beginLayout();
            QTextLine line = layout.createLine();
            layout.endLayout();
            return line.isValid() ? line.naturalTextWidth() : 0.0;
        };
        constexpr double kProbe = 100.0;
        return toPoints(width(kProbe) - width(0.0)) / (2.0 * kProbe);
    }();
    // Qt keeps the spacing in 64ths and cuts off what is finer: the nearest 64th is given.
    return perUnit > 0.0 ? std::round(kerning / perUnit * 64.0) / 64.0 : 0.0;
}

QFont fontOf(const QTextCharFormat &format, const QTextDocument *document)
{
    QFont font = format.font();
    if (document)
        font = font.resolve(document->defaultFont());
    return font;
}

void spellOutLigatures(QFont *font)
{
    font->setLetterSpacing(QFont::PercentageSpacing, 100.0);
}

void applyLayoutExtras(QTextCharFormat *format, const QTextDocument *document)
{
    const double spacing = format->hasProperty(PWTextAttributes::Kerning)
                               ? letterSpacingForKerning(format->doubleProperty(PWTextAttributes::Kerning))
                               : 0.0;
    if (spacing != 0.0) {
        // Kerning is so many points after each character, whatever the character.
        format->setFontLetterSpacingType(QFont::AbsoluteSpacing);
        format->setFontLetterSpacing(spacing);
    } else {
        // Every letter printed as a glyph of its own: a PDF reader finds a word by the letters
        // its glyphs stand for, and a ligature's glyph stands for a character of its own
        // ("ﬁ"). Qt composes no ligatures once letter spacing is set, and 100 % of the
        // natural spacing moves no glyph: the pairs the font kerns stay kerned.
        format->setFontLetterSpacingType(QFont::PercentageSpacing);
        format->setFontLetterSpacing(100.0);
    }
    if (format->hasProperty(PWTextAttributes::BaselineOffset)) {
        // Qt moves the baseline by a percentage of the font's height; the text keeps points.
        const double height = pointMetrics(fontOf(*format, document)).height();
        const double points = format->doubleProperty(PWTextAttributes::BaselineOffset);
        if (height > 0.0)
            format->setBaselineOffset(points / height * 100.0);
    }
}

double layoutDeviceShare()
{
    // Where a tab stop lands on the layout's device tells: the screen's resolution, which Qt
    // takes for its default, is the machine's.
    static const double share = [] {
        constexpr double kProbe = 1000.0;
        QTextDocument probe;
        probe.documentLayout()->setPaintDevice(layoutDevice());
        probe.setDocumentMargin(0.0);
        QTextBlockFormat format;
        format.setTabPositions({QTextOption::Tab(kProbe, QTextOption::LeftTab)});
        QTextCursor cursor(&probe);
        cursor.setBlockFormat(format);
        cursor.insertText(QStringLiteral("\tx"));
        probe.size();
        const QTextLayout *lines = probe.begin().layout();
        const double measured = lines && lines->lineCount() > 0 ? lines->lineAt(0).cursorToX(1) / kProbe : 0.0;
        return measured > 0.0 && std::isfinite(measured) ? measured : layoutDevice()->logicalDpiY() / 96.0;
    }();
    return share;
}

QTextBlockFormat inLayoutUnits(const QTextBlockFormat &format)
{
    QTextBlockFormat result = PWParagraphStyle::withLengthScale(format, kLayoutScale, layoutDeviceShare());
    if (result.hasProperty(PWTextAttributes::LineSpacing))
        result.setLineHeight(result.doubleProperty(PWTextAttributes::LineSpacing) * kLayoutScale / layoutDeviceShare(),
                             QTextBlockFormat::LineDistanceHeight);
    return result;
}

void applyLayoutExtras(QTextDocument *document)
{
    // One edit for all runs and paragraphs: a document laid out after each paragraph would take
    // time growing with the square of its length.
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    changeEachRun(document, [document](QTextCharFormat &format) { applyLayoutExtras(&format, document); });
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat present = block.blockFormat();
        const QTextBlockFormat format = inLayoutUnits(present);
        if (format == present)
            continue;
        cursor.setPosition(block.position());
        cursor.setBlockFormat(format);
    }
    cursor.endEditBlock();
}

} // namespace textruns
