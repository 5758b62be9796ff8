// The block editor's ruler, spelling and Text Styles commands.
#include "kernel/text/CCTextView.h"

#include "kernel/render/CCLayoutManager.h"
#include "platform/PWSpellChecker.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

using CCTextStorage::Range;

namespace {

const QString kTextTag = QStringLiteral("FTTextTag");

// Gives every paragraph meeting the range the format that change makes of its own.
void changeParagraphs(QTextDocument *storage, Range range, const std::function<void(QTextBlockFormat &)> &change)
{
    const int last = std::max(range.location, range.end() - 1);
    for (QTextBlock block = storage->findBlock(range.location); block.isValid() && block.position() <= last;
         block = block.next()) {
        QTextBlockFormat format = block.blockFormat();
        change(format);
        QTextCursor(block).setBlockFormat(format);
    }
}

} // namespace

void CCTextView::popupTextStylesDialogWithSelection()
{
    if (!m_storage || CCTextStorage::length(m_storage) == 0 || !m_openTextStyles)
        return;
    if (const std::optional<PWAttributedString> style = proposedTextStyle())
        m_openTextStyles({*style});
}

void CCTextView::rulerViewDidMoveMarker(const std::function<void(QTextBlockFormat &)> &move)
{
    if (!m_storage || !move)
        return;
    if (highlightedField() == 0) {
        changeParagraphs(m_storage, m_selection, move);
        return;
    }
    if (m_selection.location >= CCTextStorage::length(m_storage)
        || CCTextStorage::textTag(CCTextStorage::formatAt(m_storage, m_selection.location)) == 0)
        return;
    const Range run = CCTextStorage::customRun(m_storage, m_selection.location, kTextTag);
    changeParagraphs(m_storage, m_selection, move);
    const QTextBlockFormat fieldStyle = m_storage->findBlock(run.location).blockFormat();
    QTextCursor all(m_storage);
    all.select(QTextCursor::Document);
    all.setBlockFormat(fieldStyle);
}

bool CCTextView::checkSpelling(const PWSpellChecker &checker)
{
    if (!m_storage)
        return false;
    const QString text = m_storage->toPlainText();
    const qsizetype end = m_selection.location + m_selection.length;
    const PWSpellChecker::Misspelling found = checker.checkSpellingOfString(text, end, true);
    if (found.location < 0)
        return false;
    if (found.wrapped && m_bSpellChecker) {
        if (m_finishedSpellChecking)
            m_finishedSpellChecking();
        return false;
    }
    selectRange({int(found.location), int(found.length)});
    return true;
}
