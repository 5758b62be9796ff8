#include "kernel/text/CFTAText.h"

#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/render/CDDArchiveText.h"
#include "kernel/text/CFTACapitalsTyping.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <vector>

namespace {

// The characters as typed beside the capitals a text shows, written only while it shows them.
const QString key_TypedText = QStringLiteral("Typed Text");

QString inCapitals(const QString &text)
{
    return CFTACapitalsTyping::inCapitals(text);
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
    CFTACapitalsTyping::replaceLettersKeepingRuns(mText.getContents(), letters);
}

QString CFTAText::lettersBeneathCapitals() const
{
    if (typedStillShown())
        return *m_typedText;
    // Nothing typed is known behind the capitals: what unticking would give them.
    const QString shown = mText.getString();
    const std::unique_ptr<CDDString> unticked = CDDString::createStringWithCapitalize(CDDString(shown), false);
    if (unticked && unticked->getData().size() == shown.size() && inCapitals(unticked->getData()) == shown)
        return unticked->getData();
    return shown;
}

void CFTAText::beginCapitalsTyping()
{
    delete m_capitalsTyping.data();
    if ((int(representationType()) & orCapitals) == 0 || !mText.getContents())
        return;
    m_typedBeforeEdit = typedCharacters();
    m_capitalsTyping = new CFTACapitalsTyping(mText.getContents(), lettersBeneathCapitals());
}

void CFTAText::finishCapitalsTyping()
{
    CFTACapitalsTyping *const typing = m_capitalsTyping.data();
    m_capitalsTyping.clear();
    if (!typing)
        return;
    const QString before = typing->typedAtStart();
    const QString typed = typing->finish();
    delete typing;
    if (typed == before) {
        // Nothing typed: the text keeps what it knew.
        restoreTypedCharacters(m_typedBeforeEdit);
    } else if (typed.isEmpty()) {
        m_typedText.reset();
        m_bTypedStoredAsText = false;
    } else {
        m_typedText = typed;
        m_bTypedStoredAsText = m_typedBeforeEdit.typed && m_typedBeforeEdit.storedAsTyped;
    }
    NeedAutoExpand();
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
    if (m_capitalsTyping) {
        // Saved while typed into: as the edit would leave it.
        CDDText shown;
        shown.copy(&mText);
        const QString typed = CFTACapitalsTyping::textOf(shown.getContents());
        CFTACapitalsTyping::settle(shown.getContents());
        archiveSetText(archive, key_TextStorage2, shown);
        if (!typed.isEmpty() && typed != shown.getString())
            archive.SetData(key_TypedText, CDDString(typed));
        return;
    }
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
