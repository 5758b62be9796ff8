#include "kernel/text/CCTextView.h"

#include "kernel/render/CCLayoutManager.h"
#include "kernel/text/CCTextList.h"
#include "platform/PWTextAttributes.h"
#include "platform/PWUndoManager.h"

#include <QTextCursor>
#include <QTextDocument>

using CCTextStorage::Range;

namespace {

const QString kTextTag = QStringLiteral("FTTextTag");
const QString kAnchor = QStringLiteral("FTAnchorText");

// The runs of one data field, in text order, in the storage as it is now.
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

} // namespace

CCTextView::CCTextView(QTextDocument *storage, CCLayoutManager *highlight)
    : m_storage(storage)
    , m_highlight(highlight)
{
}

int CCTextView::highlightedField() const
{
    return m_highlight ? m_highlight->getHighlightedDataField() : 0;
}

Range CCTextView::clamped(Range range) const
{
    const int size = CCTextStorage::length(m_storage);
    range.location = std::clamp(range.location, 0, size);
    range.length = std::clamp(range.length, 0, size - range.location);
    return range;
}

void CCTextView::setSelectedRange(Range range)
{
    if (!m_storage) {
        m_selection = range;
        return;
    }
    if (m_highlight)
        m_highlight->setHighlightedDataField(0);
    range = clamped(range);
    const int size = CCTextStorage::length(m_storage);
    Range result = range;
    // A selection reaching the end of the text is taken as it is.
    if (range.end() < size) {
        const auto widen = [&](const QString &name, int at) {
            if (!CCTextStorage::custom(CCTextStorage::formatAt(m_storage, at), name).isValid())
                return;
            const Range run = CCTextStorage::customRun(m_storage, at, name);
            result = {std::min(range.location, run.location), std::max(range.length, run.length)};
        };
        widen(CCTextList::kListAttribute, range.location);
        widen(kAnchor, result.location);
    }
    m_selection = clamped(result);
}

void CCTextView::insertText(const QString &text)
{
    if (!m_storage)
        return;
    QTextCursor cursor(m_storage);
    cursor.setPosition(m_selection.location);
    cursor.setPosition(m_selection.end(), QTextCursor::KeepAnchor);
    QTextCharFormat typing = CCTextStorage::formatAt(m_storage, std::max(0, m_selection.location - 1));
    CCTextStorage::removeCustom(typing, CCTextList::kListAttribute);
    CCTextStorage::removeCustom(typing, kAnchor);
    cursor.insertText(text, typing);
    m_selection = {m_selection.location + int(text.size()), 0};
}

void CCTextView::insertText(const PWAttributedString &text)
{
    if (!m_storage)
        return;
    QTextCursor cursor(m_storage);
    cursor.beginEditBlock();
    cursor.setPosition(m_selection.location);
    cursor.setPosition(m_selection.end(), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    for (const PWAttributedString::Run &run : text.runs())
        cursor.insertText(text.string().mid(run.start, run.length), run.charFormat);
    if (text.runs().isEmpty() && !text.isEmpty())
        cursor.insertText(text.string());
    cursor.endEditBlock();
    m_selection = {m_selection.location + int(text.length()), 0};
}

void CCTextView::setContents(const PWAttributedString &contents)
{
    if (!m_storage)
        return;
    if (m_undo) {
        const PWAttributedString before = PWAttributedString::fromDocument(m_storage);
        m_undo->registerUndo(this, [this, before] { setContents(before); });
    }
    contents.writeTo(m_storage);
    m_selection = clamped(m_selection);
}

void CCTextView::fieldCommand(const QString &actionKey, const std::function<void(Range)> &change)
{
    if (m_undo) {
        const PWAttributedString before = PWAttributedString::fromDocument(m_storage);
        m_undo->registerUndo(this, [this, before] { setContents(before); });
    }
    if (m_storage) {
        for (const Range &run : fieldRuns(m_storage, highlightedField()))
            change(run);
    }
    if (m_undo)
        m_undo->setActionName(actionKey);
}

void CCTextView::changeColor(const QColor &color)
{
    const auto apply = [&](Range range) {
        CCTextStorage::modify(m_storage, range, [&](QTextCharFormat &format) { format.setForeground(color); });
    };
    if (highlightedField() == 0)
        return apply(m_selection);
    fieldCommand(QStringLiteral("CHANGE_FIELD_COLOR"), apply);
}

void CCTextView::changeFont(const std::function<QFont(const QFont &)> &convert)
{
    if (!convert)
        return;
    const auto apply = [&](Range range) {
        const QFont font = convert(CCTextStorage::formatAt(m_storage, range.location).font());
        CCTextStorage::modify(m_storage, range, [&](QTextCharFormat &format) {
            format.setFont(font, QTextCharFormat::FontPropertiesSpecifiedOnly);
            format.setFontFamilies(QStringList {font.family()});
            format.setFontPointSize(font.pointSizeF());
            format.clearProperty(PWTextAttributes::PostScriptFontName);
        });
    };
    if (highlightedField() == 0)
        return apply(m_selection);
    fieldCommand(QStringLiteral("CHANGE_FIELD_FONT"), apply);
}

void CCTextView::changeAttributes(const std::function<QTextCharFormat(const QTextCharFormat &)> &convert)
{
    if (!convert)
        return;
    const auto apply = [&](Range range) {
        CCTextStorage::modify(m_storage, range, [&](QTextCharFormat &format) { format = convert(format); });
    };
    if (highlightedField() == 0)
        return apply(m_selection);
    fieldCommand(QStringLiteral("CHANGE_FIELD_ATTRS"), apply);
}

void CCTextView::kerningStep(double delta, const QString &actionKey)
{
    const auto apply = [&](Range range) {
        CCTextStorage::modify(m_storage, range, [&](QTextCharFormat &format) {
            const double old = format.hasProperty(PWTextAttributes::Kerning)
                                   ? format.doubleProperty(PWTextAttributes::Kerning)
                                   : 0.0;
            format.setProperty(PWTextAttributes::Kerning, double(float(old + delta)));
        });
    };
    if (highlightedField() == 0)
        return apply(m_selection);
    fieldCommand(actionKey, apply);
}

void CCTextView::tightenKerning()
{
    kerningStep(-0.1, QStringLiteral("TIGHTEN_FIELD_KERNING"));
}

void CCTextView::loosenKerning()
{
    kerningStep(0.1, QStringLiteral("LOOSEN_FIELD_KERNING"));
}

void CCTextView::turnOffKerning()
{
    const auto apply = [&](Range range) {
        CCTextStorage::modify(m_storage, range,
                              [](QTextCharFormat &format) { format.setProperty(PWTextAttributes::Kerning, 0.0); });
    };
    if (highlightedField() == 0)
        return apply(m_selection);
    fieldCommand(QStringLiteral("TURN_OFF_FIELD_KERNING"), apply);
}

void CCTextView::ligatures(int value, const QString &actionKey)
{
    // Ligatures ride among the custom attributes under their original name; Qt shapes its own.
    const auto apply = [&](Range range) {
        CCTextStorage::modify(m_storage, range, [value](QTextCharFormat &format) {
            CCTextStorage::setCustom(format, QStringLiteral("NSLigature"), value);
        });
    };
    if (highlightedField() == 0)
        return apply(m_selection);
    fieldCommand(actionKey, apply);
}

void CCTextView::turnOffLigatures()
{
    ligatures(0, QStringLiteral("TURN_OFF_FIELD_LIGATURES"));
}

void CCTextView::useAllLigatures()
{
    ligatures(2, QStringLiteral("USE_ALL_FIELD_LIGATURES"));
}

void CCTextView::useStandardLigatures()
{
    ligatures(1, QStringLiteral("USE_STANDARD_FIELD_LIGATURES"));
}

void CCTextView::deleteField(bool forward)
{
    if (!m_storage)
        return;
    const int field = highlightedField();
    if (field == 0) {
        Range range = m_selection;
        if (range.length == 0) {
            if (forward && range.location < CCTextStorage::length(m_storage))
                range.length = 1;
            else if (!forward && range.location > 0)
                range = {range.location - 1, 1};
        }
        QTextCursor cursor(m_storage);
        cursor.setPosition(range.location);
        cursor.setPosition(range.end(), QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        m_selection = {range.location, 0};
        return;
    }
    // Every occurrence of the field goes, wherever the selection is, as one undoable step.
    PWAttributedString copy = PWAttributedString::fromDocument(m_storage);
    PWAttributedString kept;
    for (const PWAttributedString::Run &run : copy.runs()) {
        if (CCTextStorage::textTag(run.charFormat) != field)
            kept.append(copy.string().mid(run.start, run.length), run.charFormat, run.blockFormat);
    }
    setContents(kept);
    if (m_undo)
        m_undo->setActionName(QStringLiteral("DELETE_FIELD"));
}

void CCTextView::deleteForward()
{
    deleteField(true);
}

void CCTextView::deleteBackward()
{
    deleteField(false);
}

PWAttributedString CCTextView::deleteTextTags(const PWAttributedString &text)
{
    PWAttributedString stripped;
    for (const PWAttributedString::Run &run : text.runs()) {
        QTextCharFormat format = run.charFormat;
        CCTextStorage::removeCustom(format, kTextTag);
        CCTextStorage::removeCustom(format, CCTextList::kListAttribute);
        stripped.append(text.string().mid(run.start, run.length), format, run.blockFormat);
    }
    if (text.runs().isEmpty() && !text.isEmpty())
        stripped = PWAttributedString(text.string());
    return stripped;
}

void CCTextView::paste(const PWAttributedString &incoming)
{
    insertText(deleteTextTags(incoming));
}

void CCTextView::pasteAsPlainText(const PWAttributedString &incoming)
{
    insertText(incoming.string());
}

std::optional<PWAttributedString> CCTextView::proposedTextStyle() const
{
    if (!m_storage || m_selection.location >= CCTextStorage::length(m_storage))
        return std::nullopt;
    return PWAttributedString(QStringLiteral("My Style"), CCTextStorage::formatAt(m_storage, m_selection.location));
}

bool CCTextView::acceptsDrag(const QStringList &mimeTypes)
{
    static const QStringList accepted = {
        QStringLiteral("text/vcard"), QStringLiteral("text/x-vcard"), QStringLiteral("application/x-color"),
        QStringLiteral("text/uri-list"), QStringLiteral("text/plain"), QStringLiteral("text/rtf"),
        QStringLiteral("application/rtf"), QStringLiteral("text/x-parcelwick-rtfd")};
    for (const QString &type : mimeTypes) {
        if (accepted.contains(type))
            return true;
    }
    return false;
}
