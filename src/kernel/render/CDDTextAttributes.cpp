// The attribute and spacing commands of CDDText. Every style change applies to the contents run
// by run and to the default text, so that a text emptied later keeps the style it was given.
#include "kernel/render/CDDText.h"

#include "kernel/base/CAEnvironment.h"
#include "kernel/base/CDDColor.h"
#include "kernel/base/CDDNumberRange.h"
#include "platform/PWParagraphStyle.h"
#include "platform/PWTextAttributes.h"
#include "kernel/render/CDDTextRuns.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

namespace {

double pointSizeOf(const QTextCharFormat &format, const QTextDocument *document)
{
    const double size = textruns::fontOf(format, document).pointSizeF();
    return size > 0.0 ? size : PWFont::kDefaultPointSize;
}

// Steps are taken from the stored single-precision value and stored in single precision again.
double stepped(const QTextCharFormat &format, int property, double step)
{
    return double(float(double(float(format.doubleProperty(property))) + step));
}

void setFontSize(QTextCharFormat &format, double size, const QTextDocument *document)
{
    const QString postScriptName = format.stringProperty(PWTextAttributes::PostScriptFontName);
    QFont font = textruns::fontOf(format, document);
    font.setPointSizeF(size);
    PWFont::fromQFont(font, postScriptName).applyTo(&format);
}

std::optional<CDDColor> colorOf(const QBrush &brush)
{
    if (brush.style() == Qt::NoBrush)
        return std::nullopt;
    const QColor color = brush.color().toRgb();
    return CDDColor(float(color.redF()), float(color.greenF()), float(color.blueF()), float(color.alphaF()));
}

// The end of the line holding position, after its line end ("\r\n" being one).
int lineEnd(const QString &text, int position)
{
    const int length = int(text.size());
    for (int i = std::max(position, 0); i < length; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u'\r')
            return i + 1 < length && text.at(i + 1) == u'\n' ? i + 2 : i + 1;
        if (c == u'\n' || c == 0x0085 || c == 0x2028 || c == 0x2029)
            return i + 1;
    }
    return length;
}

std::vector<std::pair<int, int>> paragraphRanges(const QString &text, int location, int length)
{
    const int wanted = location + std::max(length, 1);
    std::vector<std::pair<int, int>> ranges;
    std::pair<int, int> last {0, 0};
    for (int end = 0; end < int(text.size());) {
        const int start = end;
        end = lineEnd(text, start);
        last = {start, end - start};
        if (std::max(start, location) < std::min(end, wanted))
            ranges.push_back(last);
    }
    if (ranges.empty())
        ranges.push_back(last);
    return ranges;
}

PWAttributedString substring(const PWAttributedString &whole, int start, int length)
{
    PWAttributedString part;
    for (const PWAttributedString::Run &run : whole.runs()) {
        const qsizetype from = std::max<qsizetype>(run.start, start);
        const qsizetype to = std::min<qsizetype>(run.start + run.length, qsizetype(start) + length);
        if (from < to)
            part.append(whole.string().mid(from, to - from), run.charFormat, run.blockFormat);
    }
    return part;
}

// While editing with nothing selected, kerning goes to the word at the location together with
// the blank before it.
std::pair<int, int> wordAround(const QString &text, int location)
{
    const int start = location > 0 ? std::max(int(text.lastIndexOf(u' ', location - 1)), 0) : 0;
    const int found = int(text.indexOf(u' ', location));
    const int end = found < 0 ? int(text.size()) : found;
    return {start, end - start};
}

} // namespace

namespace {

// A size a text takes: at least the smallest it draws at, and no larger than a design is read
// back with, so that neither growing a text nor setting its font writes a size the next open
// leaves out.
double takenSize(double size)
{
    return std::clamp(size, CDDText::kMinFontSize, CDDRanges::kFontSize.highest);
}

} // namespace

template <typename Change>
void CDDText::changeRuns(Change change)
{
    // A change of style is not drawn before the text is measured or drawn again; the editor
    // shows the document it edits, so that one is laid out as it changes.
    if (!m_isEditing)
        textruns::holdLayout(m_contents.get());
    textruns::changeEachRun(m_contents.get(), change);
    textruns::changeAsOneRun(m_defText.get(), change);
}

void CDDText::SetFont(const PWFont &requested)
{
    const PWFont font = requested.pointSize() > CDDRanges::kFontSize.highest
                            ? PWFont(requested.postScriptName(), CDDRanges::kFontSize.highest, requested.flags())
                            : requested;
    changeRuns([&font, this](QTextCharFormat &format) {
        font.applyTo(&format);
        textruns::applyLayoutExtras(&format, m_contents.get());
    });
}

void CDDText::SetFontAttr(const QTextCharFormat &attributes, bool keepColor)
{
    QTextCharFormat format = attributes;
    textruns::applyLayoutExtras(&format, m_contents.get());
    if (!m_isEditing)
        textruns::holdLayout(m_contents.get());
    if (!isEmpty()) {
        QTextCharFormat forContents = format;
        const std::optional<QTextCharFormat> first = textruns::firstFormat(m_contents.get());
        if (keepColor && forContents.hasProperty(QTextFormat::ForegroundBrush) && first
            && first->hasProperty(QTextFormat::ForegroundBrush))
            forContents.setForeground(first->foreground());
        textruns::setWhole(m_contents.get(), forContents);
    }
    textruns::setWhole(m_defText.get(), format);
}

void CDDText::MergeFontAttr(const QTextCharFormat &changed, bool keepColor)
{
    if (!m_isEditing)
        textruns::holdLayout(m_contents.get());
    textruns::changeEachRun(m_contents.get(), [&changed, keepColor, this](QTextCharFormat &format) {
        const bool hadColor = format.hasProperty(QTextFormat::ForegroundBrush);
        const QBrush color = format.foreground();
        format.merge(changed);
        if (keepColor && hadColor && changed.hasProperty(QTextFormat::ForegroundBrush))
            format.setForeground(color);
        textruns::applyLayoutExtras(&format, m_contents.get());
    });
    textruns::changeAsOneRun(m_defText.get(), [&changed, this](QTextCharFormat &format) {
        format.merge(changed);
        textruns::applyLayoutExtras(&format, m_contents.get());
    });
}

void CDDText::SetFontSize(double size)
{
    if (!std::isfinite(size))
        return;
    size = takenSize(size);
    changeRuns([size, this](QTextCharFormat &format) {
        setFontSize(format, size, m_contents.get());
        textruns::applyLayoutExtras(&format, m_contents.get());
    });
}

void CDDText::ChangeFontSize(double delta)
{
    if (!std::isfinite(delta))
        return;
    changeRuns([delta, this](QTextCharFormat &format) {
        setFontSize(format, takenSize(pointSizeOf(format, m_contents.get()) + delta), m_contents.get());
        textruns::applyLayoutExtras(&format, m_contents.get());
    });
}

void CDDText::IncreaseFontSize()
{
    const std::optional<PWFont> font = isEmpty() ? std::nullopt : GetFont();
    if (font)
        SetFont(PWFont(font->postScriptName(), font->pointSize() + 1.0, font->flags()));
}

void CDDText::DecreaseFontSize()
{
    const std::optional<PWFont> font = isEmpty() ? std::nullopt : GetFont();
    if (font)
        SetFont(PWFont(font->postScriptName(), std::max(font->pointSize() - 1.0, kMinFontSize), font->flags()));
}

void CDDText::SetDefaultFont()
{
    SetFont(CAEnvironment::defaultFont());
}

bool CDDText::IsEqualFont(const PWFont &font) const
{
    bool mixed = false;
    const std::optional<PWFont> own = GetFont(&mixed);
    return !mixed && own && own->postScriptName() == font.postScriptName() && own->pointSize() == font.pointSize();
}

bool CDDText::IsEqualFontAttr(const QTextCharFormat &attributes) const
{
    bool mixed = false;
    const std::optional<QTextCharFormat> own = GetFontAttr(&mixed);
    return !mixed && own && *own == attributes;
}

void CDDText::setBaseline(float baseline)
{
    changeRuns([baseline, this](QTextCharFormat &format) {
        format.setProperty(PWTextAttributes::BaselineOffset, double(baseline));
        textruns::applyLayoutExtras(&format, m_contents.get());
    });
}

void CDDText::raiseBaseline()
{
    changeRuns([this](QTextCharFormat &format) {
        format.setProperty(PWTextAttributes::BaselineOffset, stepped(format, PWTextAttributes::BaselineOffset, 0.1));
        textruns::applyLayoutExtras(&format, m_contents.get());
    });
}

void CDDText::lowerBaseline()
{
    changeRuns([this](QTextCharFormat &format) {
        format.setProperty(PWTextAttributes::BaselineOffset, stepped(format, PWTextAttributes::BaselineOffset, -0.1));
        textruns::applyLayoutExtras(&format, m_contents.get());
    });
}

void CDDText::setKerning(float kerning)
{
    changeRuns([kerning, this](QTextCharFormat &format) {
        format.setProperty(PWTextAttributes::Kerning, double(kerning));
        textruns::applyLayoutExtras(&format, m_contents.get());
    });
}

void CDDText::loosenKerning()
{
    changeRuns([this](QTextCharFormat &format) {
        format.setProperty(PWTextAttributes::Kerning, stepped(format, PWTextAttributes::Kerning, 0.1));
        textruns::applyLayoutExtras(&format, m_contents.get());
    });
}

void CDDText::tightenKerning()
{
    changeRuns([this](QTextCharFormat &format) {
        format.setProperty(PWTextAttributes::Kerning, stepped(format, PWTextAttributes::Kerning, -0.1));
        textruns::applyLayoutExtras(&format, m_contents.get());
    });
}

void CDDText::setTextColor(const CDDColor &color)
{
    const QColor qcolor = color.toQColor();
    changeRuns([&qcolor](QTextCharFormat &format) { format.setForeground(qcolor); });
}

void CDDText::getTextColor(CDDColor &color) const
{
    const std::optional<QTextCharFormat> format = textruns::firstFormat(isEmpty() ? m_defText.get() : m_contents.get());
    const std::optional<CDDColor> found = format && format->hasProperty(QTextFormat::ForegroundBrush)
                                              ? colorOf(format->foreground())
                                              : std::nullopt;
    color = found ? *found : CDDColor(0.0f, 0.0f, 0.0f, 1.0f);
}

void CDDText::setBackColor(const CDDColor *color)
{
    if (!color)
        return;
    const QColor qcolor = color->toQColor();
    textruns::changeEachRun(m_contents.get(), [&qcolor](QTextCharFormat &format) { format.setBackground(qcolor); });
}

void CDDText::getBackColor(CDDColor &color) const
{
    const std::optional<QTextCharFormat> format = isEmpty() ? std::nullopt : textruns::firstFormat(m_contents.get());
    if (!format || !format->hasProperty(QTextFormat::BackgroundBrush))
        return;
    if (const std::optional<CDDColor> found = colorOf(format->background()))
        color = *found;
}

bool CDDText::SetAlignment(textAlignment alignment)
{
    Qt::Alignment qt = Qt::AlignLeft;
    if (alignment & taRight)
        qt = Qt::AlignRight;
    else if (alignment & (taCenter | taJustified))
        qt = Qt::AlignHCenter;
    // A change of alignment starts from a plain paragraph style: the other paragraph settings
    // go back to their defaults.
    QTextBlockFormat plain;
    plain.setAlignment(qt);
    if (m_defText->blockCount() != 1 || m_defText->begin().blockFormat() != plain) {
        QTextCursor defCursor(m_defText.get());
        defCursor.select(QTextCursor::Document);
        defCursor.setBlockFormat(plain);
    }
    if (!isEmpty()) {
        const QTextBlockFormat first = m_contents->begin().blockFormat();
        if (!first.hasProperty(QTextFormat::BlockAlignment) || first.alignment() != qt) {
            QTextCursor cursor(m_contents.get());
            cursor.select(QTextCursor::Document);
            cursor.setBlockFormat(plain);
        }
    }
    return true;
}

// --- Spacing ------------------------------------------------------------------------------------------

void CDDText::SetParagraphSpacing(paragraphSpacingType type, float value)
{
    QTextCursor cursor(m_contents.get());
    cursor.beginEditBlock();
    for (QTextBlock block = m_contents->begin(); block.isValid(); block = block.next()) {
        // The spacing is given in points; the layout keeps it in its own units.
        QTextBlockFormat format = PWParagraphStyle::withLengthScale(block.blockFormat(), 1.0);
        switch (type) {
        case pstLine:
            format.setProperty(PWTextAttributes::LineSpacing, double(value));
            break;
        case pstBeforeParagraph:
            format.setTopMargin(double(value));
            break;
        case pstAfterParagraph:
            format.setBottomMargin(double(value));
            break;
        }
        cursor.setPosition(block.position());
        cursor.setBlockFormat(textruns::inLayoutUnits(format));
    }
    cursor.endEditBlock();
}

float CDDText::GetParagraphSpacing(paragraphSpacingType type) const
{
    if (isEmpty())
        return 0.0f;
    const PWParagraphStyle style = PWParagraphStyle::fromBlockFormat(m_contents->begin().blockFormat());
    switch (type) {
    case pstLine:
        return float(style.lineSpacing);
    case pstBeforeParagraph:
        return float(style.paragraphSpacingBefore);
    case pstAfterParagraph:
        return float(style.paragraphSpacing);
    }
    return 0.0f;
}

void CDDText::SetSpacingCharacter(float value)
{
    const QString text = getString();
    std::pair<int, int> range {0, int(text.size())};
    if (m_isEditing) {
        range = getEditorSelectedRange();
        if (range.second == 0)
            range = wordAround(text, range.first);
    }
    if (range.second <= 0)
        return;
    QTextCharFormat kerning;
    kerning.setProperty(PWTextAttributes::Kerning, double(value));
    textruns::applyLayoutExtras(&kerning, m_contents.get());
    QTextCursor cursor(m_contents.get());
    cursor.beginEditBlock();
    cursor.setPosition(range.first);
    cursor.setPosition(range.first + range.second, QTextCursor::KeepAnchor);
    cursor.mergeCharFormat(kerning);
    // The paragraph breaks are characters to the codecs: they keep the kerning too.
    cursor.mergeBlockCharFormat(kerning);
    cursor.endEditBlock();
}

float CDDText::GetSpacingCharacter() const
{
    const std::optional<QTextCharFormat> format = isEmpty() ? std::nullopt : textruns::firstFormat(m_contents.get());
    return format ? float(format->doubleProperty(PWTextAttributes::Kerning)) : 0.0f;
}

std::vector<std::pair<int, int>> CDDText::paragraphsRangeForRange(int location, int length) const
{
    return paragraphRanges(getString(), location, length);
}

std::vector<std::pair<int, int>> CDDText::paragraphsRangeForSelection() const
{
    const std::pair<int, int> edited = getEditorSelectedRange();
    return paragraphsRangeForRange(edited.first, edited.second);
}

std::vector<PWAttributedString> CDDText::paragraphsForRange(int location, int length) const
{
    const PWAttributedString whole = getAttributedString();
    std::vector<PWAttributedString> paragraphs;
    for (const auto &[start, size] : paragraphRanges(whole.string(), location, length))
        paragraphs.push_back(substring(whole, start, size));
    return paragraphs;
}

std::pair<int, int> CDDText::getEditorSelectedRange() const
{
    // A container kContainerSize wide and high holds every glyph of a design's text; the
    // contents is not laid out again for the question, since the editor shows that very layout.
    return {0, int(getString().size())};
}
