// The attribute commands and queries of a block of flowing text. They work on the storage the
// linked blocks share; while a data field is highlighted the colour and font commands touch only
// that field's runs.
#include "kernel/text/CDDTextBlock.h"

#include "kernel/base/CAEnvironment.h"
#include "kernel/base/CDDColor.h"
#include "kernel/text/CCTextExtContainer.h"
#include "kernel/text/CCTextView.h"
#include "platform/PWTextAttributes.h"
#include "platform/PWUndoManager.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <set>

using CCTextStorage::Range;

namespace {

const QString kTextTag = QStringLiteral("FTTextTag");
const QString kAnchor = QStringLiteral("FTAnchorText");

// The runs of one data field, in text order.
std::vector<Range> fieldRuns(const QTextDocument *storage, int field)
{
    std::vector<Range> runs;
    const int size = CCTextStorage::length(storage);
    int index = 0;
    while (index < size) {
        const Range run = CCTextStorage::customRun(storage, index, kTextTag);
        if (CCTextStorage::textTag(CCTextStorage::formatAt(storage, index)) == field)
            runs.push_back({index, run.end() - index});
        index = std::max(run.end(), index + 1);
    }
    return runs;
}

Qt::Alignment qtAlignment(textAlignment alignment)
{
    switch (alignment) {
    case taLeft:
        return Qt::AlignLeft;
    case taCenter:
        return Qt::AlignHCenter;
    case taRight:
        return Qt::AlignRight;
    case taJustified:
        return Qt::AlignJustify;
    default:
        return Qt::AlignLeading;
    }
}

textAlignment fromQtAlignment(Qt::Alignment alignment)
{
    if (alignment & Qt::AlignRight)
        return taRight;
    if (alignment & Qt::AlignHCenter)
        return taCenter;
    if (alignment & Qt::AlignJustify)
        return taJustified;
    return taLeft;
}

// The paragraph style set at a character, if any was set.
std::optional<QTextBlockFormat> styleAt(const QTextDocument *storage, int index)
{
    const QTextBlock block = storage->findBlock(index);
    if (!block.isValid())
        return std::nullopt;
    const QTextBlockFormat format = block.blockFormat();
    if (format.properties().isEmpty())
        return std::nullopt;
    return format;
}

void setBlockFormat(QTextDocument *storage, Range paragraph, const QTextBlockFormat &format)
{
    QTextCursor cursor(storage);
    cursor.setPosition(paragraph.location);
    cursor.setPosition(std::max(paragraph.location, paragraph.end() - 1), QTextCursor::KeepAnchor);
    cursor.setBlockFormat(format);
}

CDDColor fromQColor(const QColor &color)
{
    return CDDColor(float(color.redF()), float(color.greenF()), float(color.blueF()), float(color.alphaF()));
}

} // namespace

Range CDDTextBlock::commandRange() const
{
    if (m_editing && m_editor)
        return m_editor->selectedRange();
    return {0, CCTextStorage::length(getContents())};
}

void CDDTextBlock::getBackColor(CDDColor &color) const
{
    QTextDocument *storage = getContents();
    if (!storage || isEmpty())
        return;
    int index = 0;
    if (IsHaveSelect()) {
        index = m_editor->selectedRange().location;
    } else if (const int field = GetHighlightedDataField()) {
        const std::vector<Range> runs = fieldRuns(storage, field);
        if (runs.empty())
            return;
        index = runs.front().location;
    }
    const QTextCharFormat format = CCTextStorage::formatAt(storage, index);
    if (format.hasProperty(QTextFormat::BackgroundBrush))
        color = fromQColor(format.background().color());
}

void CDDTextBlock::setBackColor(const CDDColor *color)
{
    QTextDocument *storage = getContents();
    if (!storage || !color || CCTextStorage::length(storage) == 0)
        return;
    const QColor qcolor = color->toQColor();
    const auto apply = [&](QTextCharFormat &format) { format.setBackground(qcolor); };
    if (const int field = GetHighlightedDataField()) {
        for (const Range &run : fieldRuns(storage, field))
            CCTextStorage::modify(storage, run, apply);
    } else {
        CCTextStorage::modify(storage, {0, CCTextStorage::length(storage)}, apply);
    }
}

void CDDTextBlock::getTextColor(CDDColor &color) const
{
    color = CDDColor(0.0f, 0.0f, 0.0f, 1.0f);
    QTextDocument *storage = getContents();
    if (!storage || CCTextStorage::length(storage) == 0)
        return;
    int index = IsHaveSelect() ? m_editor->selectedRange().location : 0;
    if (!IsHaveSelect()) {
        if (const int field = GetHighlightedDataField()) {
            const std::vector<Range> runs = fieldRuns(storage, field);
            if (!runs.empty())
                index = runs.back().location;
        }
    }
    const QTextCharFormat format = CCTextStorage::formatAt(storage, index);
    if (format.hasProperty(QTextFormat::ForegroundBrush))
        color = fromQColor(format.foreground().color());
}

void CDDTextBlock::setTextColor(const CDDColor &color)
{
    QTextDocument *storage = getContents();
    if (!storage || CCTextStorage::length(storage) == 0)
        return;
    const QColor qcolor = color.toQColor();
    const auto apply = [&](QTextCharFormat &format) { format.setForeground(qcolor); };
    if (const int field = GetHighlightedDataField()) {
        for (const Range &run : fieldRuns(storage, field))
            CCTextStorage::modify(storage, run, apply);
    } else {
        CCTextStorage::modify(storage, {0, CCTextStorage::length(storage)}, apply);
    }
}

void CDDTextBlock::raiseBaseline()
{
    if (QTextDocument *storage = getContents())
        CCTextStorage::modify(storage, {0, CCTextStorage::length(storage)}, [](QTextCharFormat &format) {
            format.setProperty(PWTextAttributes::BaselineOffset,
                               double(float(format.doubleProperty(PWTextAttributes::BaselineOffset) + 0.1)));
        });
}

void CDDTextBlock::lowerBaseline()
{
    if (QTextDocument *storage = getContents())
        CCTextStorage::modify(storage, {0, CCTextStorage::length(storage)}, [](QTextCharFormat &format) {
            format.setProperty(PWTextAttributes::BaselineOffset,
                               double(float(format.doubleProperty(PWTextAttributes::BaselineOffset) - 0.1)));
        });
}

void CDDTextBlock::underline()
{
    QTextDocument *storage = getContents();
    if (!storage || CCTextStorage::length(storage) == 0)
        return;
    const bool underlined = CCTextStorage::formatAt(storage, 0).underlineStyle() != QTextCharFormat::NoUnderline;
    CCTextStorage::modify(storage, {0, CCTextStorage::length(storage)}, [underlined](QTextCharFormat &format) {
        format.setUnderlineStyle(underlined ? QTextCharFormat::NoUnderline : QTextCharFormat::SingleUnderline);
    });
}

void CDDTextBlock::outline()
{
    // Outlined glyphs: a text outline of width 3 switched on, and off again.
    QTextDocument *storage = getContents();
    if (!storage || CCTextStorage::length(storage) == 0)
        return;
    const bool outlined = CCTextStorage::formatAt(storage, 0).textOutline().style() != Qt::NoPen;
    CCTextStorage::modify(storage, {0, CCTextStorage::length(storage)}, [outlined](QTextCharFormat &format) {
        if (outlined)
            format.clearProperty(QTextFormat::TextOutline);
        else
            format.setTextOutline(QPen(format.foreground().color(), 3.0 / 100.0 * format.fontPointSize()));
    });
}

void CDDTextBlock::AnchorText()
{
    QTextDocument *storage = getContents();
    if (!storage || CCTextStorage::length(storage) == 0 || !m_editor || m_editor->selectedRange().length == 0)
        return;
    const Range selection = m_editor->selectedRange();
    const bool anchored = CCTextStorage::custom(CCTextStorage::formatAt(storage, selection.location), kAnchor).toBool();
    CCTextStorage::modify(storage, selection, [anchored](QTextCharFormat &format) {
        if (anchored)
            CCTextStorage::removeCustom(format, kAnchor);
        else
            CCTextStorage::setCustom(format, kAnchor, true);
    });
}

void CDDTextBlock::SetAlignment(textAlignment alignment)
{
    QTextDocument *storage = getContents();
    if (!storage)
        return;
    if (m_editing && m_editor) {
        if (alignment == taJustified && CCTextStorage::length(storage) == 0)
            m_editor->insertText(QStringLiteral(" "));
        const Range selection = m_editor->selectedRange();
        for (const Range &paragraph : paragraphsRangeForRange(selection)) {
            QTextBlockFormat format = storage->findBlock(paragraph.location).blockFormat();
            format.setAlignment(qtAlignment(alignment));
            setBlockFormat(storage, paragraph, format);
        }
        return;
    }
    if (CCTextStorage::length(storage) == 0)
        return;
    for (const Range &paragraph : CCTextStorage::paragraphs(storage)) {
        QTextBlockFormat format = storage->findBlock(paragraph.location).blockFormat();
        format.setAlignment(qtAlignment(alignment));
        setBlockFormat(storage, paragraph, format);
    }
}

textAlignment CDDTextBlock::GetAlignment() const
{
    QTextDocument *storage = getContents();
    const int size = CCTextStorage::length(storage);
    if (size == 0)
        return taLeft;
    int index = 0;
    if (m_editing && m_editor) {
        index = m_editor->selectedRange().location;
        if (index >= size)
            return textAlignment(255);
    }
    const std::optional<QTextBlockFormat> style = styleAt(storage, index);
    if (!style || !style->hasProperty(QTextFormat::BlockAlignment))
        return textAlignment(255);
    return fromQtAlignment(style->alignment());
}

void CDDTextBlock::SetFont(const PWFont &font)
{
    SetFont([&font](const QFont &) {
        QTextCharFormat format;
        font.applyTo(&format);
        return format.font();
    });
}

void CDDTextBlock::SetFont(const std::function<QFont(const QFont &)> &convert)
{
    QTextDocument *storage = getContents();
    if (!storage || !convert)
        return;
    const int field = GetHighlightedDataField();
    const int size = CCTextStorage::length(storage);
    int index = 0;
    while (index < size) {
        const Range run = CCTextStorage::formatRun(storage, index);
        const QTextCharFormat at = CCTextStorage::formatAt(storage, index);
        // A run without a font of its own keeps taking the document's.
        const bool hasFont = at.hasProperty(QTextFormat::FontFamilies) || at.hasProperty(QTextFormat::FontFamily)
            || at.hasProperty(QTextFormat::FontPointSize);
        if (hasFont && (field == 0 || CCTextStorage::textTag(at) == field))
            CCTextStorage::modify(storage, run, [&](QTextCharFormat &format) {
                const QFont converted = convert(format.font());
                format.setFont(converted, QTextCharFormat::FontPropertiesSpecifiedOnly);
                format.setFontFamilies(QStringList {converted.family()});
                format.setFontPointSize(converted.pointSizeF());
                format.clearProperty(PWTextAttributes::PostScriptFontName);
            });
        index = std::max(run.end(), index + 1);
    }
}

std::optional<QFont> CDDTextBlock::GetFont(bool *mixed) const
{
    const Range range = getContainerRange();
    if (range.length == 0) {
        if (mixed)
            *mixed = false;
        return CAEnvironment::defaultFont().toQFont();
    }
    QTextDocument *storage = getContents();
    const QTextCharFormat format = CCTextStorage::formatAt(storage, range.location);
    if (mixed) {
        int end = range.location + 1;
        while (end < range.end() && CCTextStorage::formatAt(storage, end).font() == format.font())
            ++end;
        *mixed = end < range.end();
    }
    return format.font();
}

void CDDTextBlock::IncreaseFontSize()
{
    QTextDocument *storage = getContents();
    if (!storage || CCTextStorage::length(storage) == 0)
        return;
    QFont first = CCTextStorage::formatAt(storage, 0).font();
    first.setPointSizeF(first.pointSizeF() + 1.0);
    SetFont([first](const QFont &) { return first; });
}

void CDDTextBlock::DecreaseFontSize()
{
    QTextDocument *storage = getContents();
    if (!storage || CCTextStorage::length(storage) == 0)
        return;
    QFont first = CCTextStorage::formatAt(storage, 0).font();
    // A point size must stay positive for the font to exist at all, so the steps stop at 1 pt
    // where a font manager would answer no font.
    first.setPointSizeF(std::max(first.pointSizeF() - 1.0, 1.0));
    SetFont([first](const QFont &) { return first; });
}

void CDDTextBlock::SetFontAttr(const QTextCharFormat &attributes)
{
    QTextDocument *storage = getContents();
    if (!storage || CCTextStorage::length(storage) == 0)
        return;
    if (!(m_editing && m_editor)) {
        CCTextStorage::modify(storage, {0, CCTextStorage::length(storage)},
                              [&](QTextCharFormat &format) { format = attributes; });
        return;
    }
    // While editing, paragraph by paragraph of the selection, each undoable back to the
    // attributes it began with.
    const std::optional<std::vector<Range>> paragraphs = paragraphsRangeForSelection();
    if (!paragraphs)
        return;
    for (const Range &paragraph : *paragraphs)
        replaceAttributesUndoably(paragraph, attributes);
}

void CDDTextBlock::replaceAttributesUndoably(Range range, const QTextCharFormat &attributes)
{
    QTextDocument *storage = getContents();
    if (!storage || range.length <= 0 || range.end() > CCTextStorage::length(storage))
        return;
    if (PWUndoManager *undo = m_editor ? m_editor->undoManager() : nullptr) {
        const QTextCharFormat present = CCTextStorage::formatAt(storage, range.location);
        undo->registerUndo(this, [this, range, present] { replaceAttributesUndoably(range, present); });
    }
    CCTextStorage::modify(storage, range, [&](QTextCharFormat &format) { format = attributes; });
}

void CDDTextBlock::SetFontAttr(const std::function<QTextCharFormat(const QTextCharFormat &)> &convert, bool keepColor)
{
    QTextDocument *storage = getContents();
    if (!storage || !convert || CCTextStorage::length(storage) == 0)
        return;
    CCTextStorage::modify(storage, {0, CCTextStorage::length(storage)}, [&](QTextCharFormat &format) {
        const QBrush colour = format.foreground();
        const bool hadColour = format.hasProperty(QTextFormat::ForegroundBrush);
        format = convert(format);
        if (keepColor && hadColour && format.hasProperty(QTextFormat::ForegroundBrush))
            format.setForeground(colour);
    });
}

std::optional<QTextCharFormat> CDDTextBlock::GetFontAttr(bool *mixed) const
{
    const Range range = getContainerRange();
    if (range.length == 0)
        return std::nullopt;
    const Range run = CCTextStorage::formatRun(getContents(), range.location);
    if (mixed)
        *mixed = run.end() < range.end();
    return CCTextStorage::formatAt(getContents(), range.location);
}

void CDDTextBlock::SetParagraphSpacing(paragraphSpacingType type, float value)
{
    QTextDocument *storage = getContents();
    if (!storage || CCTextStorage::length(storage) == 0)
        return;
    for (const Range &paragraph : paragraphsRangeForRange(commandRange())) {
        QTextBlockFormat format = storage->findBlock(paragraph.location).blockFormat();
        if (type == pstLine)
            format.setProperty(PWTextAttributes::LineSpacing, double(value));
        else if (type == pstBeforeParagraph)
            format.setTopMargin(value);
        else
            format.setBottomMargin(value);
        setBlockFormat(storage, paragraph, format);
    }
}

float CDDTextBlock::GetParagraphSpacing(paragraphSpacingType type) const
{
    QTextDocument *storage = getContents();
    const int size = CCTextStorage::length(storage);
    if (size == 0)
        return 0.0f;
    const int index = m_editing && m_editor ? m_editor->selectedRange().location : 0;
    if (index >= size)
        return 0.0f;
    const std::optional<QTextBlockFormat> style = styleAt(storage, index);
    if (!style)
        return 0.0f;
    // Each type answers the value its setter stores.
    if (type == pstLine)
        return float(style->doubleProperty(PWTextAttributes::LineSpacing));
    if (type == pstBeforeParagraph)
        return float(style->topMargin());
    return float(style->bottomMargin());
}

void CDDTextBlock::SetSpacingCharacter(float value)
{
    QTextDocument *storage = getContents();
    if (!storage)
        return;
    const QString text = storage->toPlainText();
    Range range {0, CCTextStorage::length(storage)};
    if (m_editing && m_editor) {
        const Range selection = m_editor->selectedRange();
        if (selection.length > 0) {
            range = selection;
        } else {
            const int caret = selection.location;
            const int before = caret > 0 ? text.lastIndexOf(u' ', caret - 1) : -1;
            const int after = text.indexOf(u' ', caret);
            const int start = before < 0 ? 0 : before;
            const int end = after < 0 ? int(text.size()) : after;
            range = {start, end - start};
        }
    }
    CCTextStorage::modify(storage, range,
                          [value](QTextCharFormat &format) { format.setProperty(PWTextAttributes::Kerning, double(value)); });
}

float CDDTextBlock::GetSpacingCharacter() const
{
    QTextDocument *storage = getContents();
    const int size = CCTextStorage::length(storage);
    if (size == 0)
        return 0.0f;
    int index = 0;
    if (m_editing && m_editor) {
        index = m_editor->selectedRange().location;
        if (index >= size)
            index = size - 1;
    }
    return float(CCTextStorage::formatAt(storage, index).doubleProperty(PWTextAttributes::Kerning));
}

void CDDTextBlock::SetHyphenation(bool on)
{
    // The argument says what to set; hyphenation is stored for the file, Qt has none to apply.
    if (m_manager)
        m_manager->setHyphenationFactor(on ? 1.0 : 0.0);
}

bool CDDTextBlock::IsHyphenation() const
{
    return m_manager && m_manager->hyphenationFactor() >= kMinHyphenationFactor;
}

void CDDTextBlock::SetInsetOffset(double inset)
{
    if (m_container)
        m_container->setLineFragmentPadding(inset);
    if (m_editing) {
        const double change = inset - m_inset;
        m_editorFrame.moveTop(m_editorFrame.y() + change);
        m_editorFrame.setHeight(m_editorFrame.height() - 2.0 * change);
        if (m_container) {
            const QSizeF size = m_container->containerSize();
            m_container->setContainerSize({size.width(), size.height() - 2.0 * change});
        }
        if (m_editor)
            m_editor->setFrame(m_editorFrame);
    }
    m_inset = inset;
    if (m_manager && m_container)
        m_manager->textContainerChangedGeometry(m_container.get());
}

double CDDTextBlock::GetInsetOffset() const
{
    return m_container ? m_container->lineFragmentPadding() : 0.0;
}

void CDDTextBlock::SetHighlightedDataField(int field)
{
    if (m_manager)
        m_manager->highlight().setHighlightedDataField(field);
}

int CDDTextBlock::GetHighlightedDataField() const
{
    return m_manager ? m_manager->highlight().getHighlightedDataField() : 0;
}

std::optional<QStringList> CDDTextBlock::containDataFields() const
{
    QTextDocument *storage = getContents();
    const int size = CCTextStorage::length(storage);
    if (size == 0)
        return std::nullopt;
    QStringList fields;
    int index = 0;
    while (index < size) {
        const Range run = CCTextStorage::customRun(storage, index, kTextTag);
        const QVariant tag = CCTextStorage::custom(CCTextStorage::formatAt(storage, index), kTextTag);
        if (tag.isValid()) {
            const QString number = QString::number(tag.toInt());
            if (!fields.contains(number))
                fields.append(number);
        }
        index = std::max(run.end(), index + 1);
    }
    return fields;
}

int CDDTextBlock::numberOfDataFields() const
{
    const std::optional<QStringList> fields = containDataFields();
    return fields ? int(fields->size()) : 0;
}

std::vector<Range> CDDTextBlock::paragraphsRangeForRange(Range range) const
{
    QTextDocument *storage = getContents();
    if (!storage)
        return {};
    if (range.length == 0)
        range.length = 1;
    std::vector<Range> found;
    const std::vector<Range> all = CCTextStorage::paragraphs(storage);
    for (const Range &paragraph : all) {
        const int start = std::max(paragraph.location, range.location);
        const int end = std::min(paragraph.end(), range.end());
        if (end > start)
            found.push_back(paragraph);
    }
    if (found.empty())
        found.push_back(all.back());
    return found;
}

std::vector<PWAttributedString> CDDTextBlock::paragraphsForRange(Range range) const
{
    std::vector<PWAttributedString> texts;
    const std::optional<PWAttributedString> whole = getAttributedString();
    if (!whole)
        return texts;
    for (const Range &paragraph : paragraphsRangeForRange(range)) {
        PWAttributedString part;
        for (const PWAttributedString::Run &run : whole->runs()) {
            const qsizetype start = std::max<qsizetype>(run.start, paragraph.location);
            const qsizetype end = std::min<qsizetype>(run.start + run.length, paragraph.end());
            if (end > start)
                part.append(whole->string().mid(start, end - start), run.charFormat, run.blockFormat);
        }
        texts.push_back(part);
    }
    return texts;
}

std::optional<std::vector<Range>> CDDTextBlock::paragraphsRangeForSelection() const
{
    const Range selection = m_editor ? m_editor->selectedRange() : Range {};
    std::vector<Range> ranges = paragraphsRangeForRange(selection);
    if (ranges.empty())
        return std::nullopt;
    return ranges;
}
