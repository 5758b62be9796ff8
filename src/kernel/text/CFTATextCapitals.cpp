#include "kernel/text/CFTAText.h"

#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/render/CDDArchiveText.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <vector>

namespace {

// The characters as typed beside the capitals a text shows, written only while it shows them.
const QString key_TypedText = QStringLiteral("Typed Text");

// The characters in capitals, each letter by its own capital so that none moves: a letter whose
// capitals are two ("ß") stays as it is.
QString inCapitals(const QString &text)
{
    QString upper = text;
    for (qsizetype i = 0; i < upper.size(); ++i) {
        if (upper.at(i).isSurrogate())
            continue;
        upper[i] = upper.at(i).toUpper();
    }
    return upper;
}

} // namespace

void CFTAText::setRepresentationType(objectRepType type, bool apply)
{
    // Known while the text still shows capitals.
    const bool typedShown = typedStillShown();
    CFTComponent::setRepresentationType(type, true);
    if (!apply)
        return;
    const QString current = mText.getString();
    if ((int(type) & orCapitals) != 0) {
        if (typedShown)
            return;
        // Letter for letter, each run in its style; what was typed stays beside the capitals,
        // also when it was typed in capitals.
        const QString shown = inCapitals(current);
        m_typedText.reset();
        m_bTypedStoredAsText = false;
        if (current.isEmpty())
            return;
        if (shown != current) {
            replaceLettersKeepingRuns(shown);
            NeedAutoExpand();
        }
        m_typedText = current;
        return;
    }
    if (typedShown) {
        const QString typed = *m_typedText;
        m_typedText.reset();
        replaceLettersKeepingRuns(typed);
        NeedAutoExpand();
        return;
    }
    // Nothing typed is known behind the capitals (a file that held only them): the first letter
    // stays a capital, the others become small ones.
    m_typedText.reset();
    const std::unique_ptr<CDDString> shown = CDDString::createStringWithCapitalize(CDDString(current), false);
    if (!shown || shown->isEmpty() || shown->getData() == current)
        return;
    if (shown->getData().size() == current.size())
        replaceLettersKeepingRuns(shown->getData());
    else
        SetString(*shown);
    NeedAutoExpand();
}

bool CFTAText::typedStillShown() const
{
    return m_typedText && (int(_representation) & orCapitals) != 0 && mText.getString() == inCapitals(*m_typedText);
}

QString CFTAText::typedString() const
{
    return typedStillShown() ? *m_typedText : mText.getString();
}

void CFTAText::restoreTypedCharacters(const TypedCharacters &kept)
{
    m_typedText = kept.typed;
    m_bTypedStoredAsText = kept.storedAsTyped;
}

void CFTAText::replaceLettersKeepingRuns(const QString &letters)
{
    QTextDocument *document = mText.getContents();
    if (!document || letters.size() != mText.getString().size())
        return;
    struct Run {
        int position;
        int length;
        QTextCharFormat format;
    };
    std::vector<Run> runs;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.isValid())
                runs.push_back({fragment.position(), fragment.length(), fragment.charFormat()});
        }
    }
    // A run's place in the document is its place in the text: each block ends in one separator.
    for (const Run &run : runs) {
        const QString wanted = letters.mid(run.position, run.length);
        QTextCursor cursor(document);
        cursor.setPosition(run.position);
        cursor.setPosition(run.position + run.length, QTextCursor::KeepAnchor);
        if (wanted.size() == run.length && wanted != cursor.selectedText())
            cursor.insertText(wanted, run.format);
    }
}

void CFTAText::showInCapitalsAsAsked()
{
    // Read with the characters typed beside the capitals.
    if (typedStillShown())
        return;
    m_typedText.reset();
    m_bTypedStoredAsText = false;
    if ((int(representationType()) & orCapitals) == 0 || !mText.getContents())
        return;
    const QString typed = mText.getString();
    const QString shown = inCapitals(typed);
    if (shown == typed)
        return;
    // Letter for letter, so that each keeps its place and its style, and the characters typed
    // can be put back in the same places at a save.
    replaceLettersKeepingRuns(shown);
    if (mText.getString() == shown) {
        m_typedText = typed;
        m_bTypedStoredAsText = true;
    }
    NeedAutoExpand();
}

void CFTAText::readTypedCharacters(const CDDArchive &archive)
{
    // Optional: only a text that shows capitals has it. One that is not what
    // the text shows in capitals (written by an older version that kept it unread while the
    // text changed) is left for the file, as a key unknown would be.
    const PWPlist stored = archive.value(key_TypedText);
    if (!stored.isString() || (int(representationType()) & orCapitals) == 0)
        return;
    const QString typed = stored.toString();
    if (!typed.isEmpty() && mText.getString() == inCapitals(typed)) {
        m_typedText = typed;
        m_bTypedStoredAsText = false;
    }
}

void CFTAText::storeText(const CDDArchive &archive)
{
    if (!typedStillShown()) {
        archiveSetText(archive, key_TextStorage2, mText);
        return;
    }
    if (!m_bTypedStoredAsText) {
        archiveSetText(archive, key_TextStorage2, mText);
        archive.SetData(key_TypedText, CDDString(*m_typedText));
        return;
    }
    const PWAttributedString shown = mText.getAttributedString();
    PWAttributedString typed;
    for (const PWAttributedString::Run &run : shown.runs())
        typed.append(m_typedText->mid(run.start, run.length), run.charFormat, run.blockFormat);
    CDDText stored;
    stored.copy(&mText);
    stored.setAttributedString(typed);
    archiveSetText(archive, key_TextStorage2, stored);
}
