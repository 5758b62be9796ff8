#include "kernel/text/CFTACapitalsTyping.h"

#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <vector>

namespace {

// The mark of the style an edit under capitals gives its characters, so that the end takes away
// that style and no other.
constexpr int kTypedUnderCapitals = QTextFormat::UserProperty + 60;

} // namespace

QTextCharFormat CFTACapitalsTyping::editStyle()
{
    QTextCharFormat format;
    format.setFontCapitalization(QFont::AllUppercase);
    format.setProperty(kTypedUnderCapitals, true);
    return format;
}

namespace {

struct Run {
    int position;
    int length;
    QTextCharFormat format;
};

std::vector<Run> runsOf(const QTextDocument *document)
{
    std::vector<Run> runs;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.isValid())
                runs.push_back({fragment.position(), fragment.length(), fragment.charFormat()});
        }
    }
    return runs;
}

// The document's history stays as it is: the edit's own changes are no step of the user's.
class OutsideHistory
{
public:
    explicit OutsideHistory(QTextDocument *document)
        : m_document(document)
        , m_wasRecording(document->isUndoRedoEnabled())
    {
        // Turning the history off forgets it: it is only off where it is empty anyway.
        if (m_wasRecording && document->availableUndoSteps() == 0 && document->availableRedoSteps() == 0)
            document->setUndoRedoEnabled(false);
    }
    ~OutsideHistory()
    {
        if (m_wasRecording && !m_document->isUndoRedoEnabled())
            m_document->setUndoRedoEnabled(true);
    }
    OutsideHistory(const OutsideHistory &) = delete;
    OutsideHistory &operator=(const OutsideHistory &) = delete;

private:
    QTextDocument *m_document;
    bool m_wasRecording;
};

} // namespace

CFTACapitalsTyping::CFTACapitalsTyping(QTextDocument *document, const QString &typed)
    : QObject(document)
    , m_document(document)
{
    const QString shown = textOf(document);
    m_typedAtStart = typed.size() == shown.size() ? typed : shown;
    {
        // Nobody hears of it as a change of the text: it shows the same.
        const QSignalBlocker quiet(document);
        const OutsideHistory outside(document);
        replaceLettersKeepingRuns(document, m_typedAtStart);
        QTextCursor whole(document);
        whole.select(QTextCursor::Document);
        whole.mergeCharFormat(editStyle());
        // An empty text types in its block's style.
        QTextCursor start(document);
        QTextCharFormat blockStyle = start.blockCharFormat();
        blockStyle.merge(editStyle());
        start.setBlockCharFormat(blockStyle);
        document->markContentsDirty(0, document->characterCount());
    }
    // Only what the user adds: what the editor's own Undo and Redo give back has the styles it had.
    connect(document, &QTextDocument::undoCommandAdded, this, &CFTACapitalsTyping::scheduleStyling);
}

CFTACapitalsTyping::~CFTACapitalsTyping() = default;

void CFTACapitalsTyping::scheduleStyling()
{
    if (m_styling || m_stylePending)
        return;
    m_stylePending = true;
    QMetaObject::invokeMethod(this, &CFTACapitalsTyping::showTypedInCapitals, Qt::QueuedConnection);
}

void CFTACapitalsTyping::showTypedInCapitals()
{
    if (!m_stylePending || !m_document || m_styling)
        return;
    m_stylePending = false;
    std::vector<Run> missing;
    for (const Run &run : runsOf(m_document)) {
        if (!run.format.boolProperty(kTypedUnderCapitals))
            missing.push_back(run);
    }
    if (missing.empty())
        return;
    m_styling = true;
    // Part of the user's last step in the editor's history: taken back and put again with it.
    QTextCursor cursor(m_document);
    cursor.joinPreviousEditBlock();
    for (const Run &run : missing) {
        cursor.setPosition(run.position);
        cursor.setPosition(run.position + run.length, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(editStyle());
    }
    cursor.endEditBlock();
    m_styling = false;
}

QString CFTACapitalsTyping::finish()
{
    if (!m_document)
        return QString();
    disconnect(m_document, nullptr, this, nullptr);
    const QString typed = textOf(m_document);
    m_styling = true;
    {
        const QSignalBlocker quiet(m_document.data());
        const OutsideHistory outside(m_document);
        settle(m_document);
    }
    m_styling = false;
    return typed;
}

void CFTACapitalsTyping::settle(QTextDocument *document)
{
    if (!document)
        return;
    // No text of a design shows capitals by its style: any such style is an edit's (copied within it
    // too, from where it had it).
    const auto styled = [](const QTextCharFormat &format) {
        return format.boolProperty(kTypedUnderCapitals) || format.hasProperty(QTextFormat::FontCapitalization);
    };
    bool marked = false;
    for (const Run &run : runsOf(document))
        marked = marked || styled(run.format);
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        marked = marked || styled(block.charFormat());
    if (!marked)
        return;
    // Letters first, each in the style it has; then the edit's style goes from every run.
    replaceLettersKeepingRuns(document, inCapitals(textOf(document)));
    for (const Run &run : runsOf(document)) {
        if (!styled(run.format))
            continue;
        QTextCharFormat own = run.format;
        removeEditStyle(own);
        QTextCursor cursor(document);
        cursor.setPosition(run.position);
        cursor.setPosition(run.position + run.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(own);
    }
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        QTextCharFormat blockStyle = block.charFormat();
        if (!styled(blockStyle))
            continue;
        removeEditStyle(blockStyle);
        QTextCursor cursor(block);
        cursor.setBlockCharFormat(blockStyle);
    }
    // Laid out anew: a block's style changed under its lines leaves them as they were.
    document->markContentsDirty(0, document->characterCount());
}

void CFTACapitalsTyping::removeEditStyle(QTextCharFormat &format)
{
    format.clearProperty(kTypedUnderCapitals);
    format.clearProperty(QTextFormat::FontCapitalization);
}

QString CFTACapitalsTyping::inCapitals(const QString &text)
{
    QString upper = text;
    for (qsizetype i = 0; i < upper.size(); ++i) {
        if (upper.at(i).isSurrogate())
            continue;
        upper[i] = upper.at(i).toUpper();
    }
    return upper;
}

QString CFTACapitalsTyping::textOf(const QTextDocument *document)
{
    if (!document)
        return QString();
    QString text = document->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

void CFTACapitalsTyping::replaceLettersKeepingRuns(QTextDocument *document, const QString &letters)
{
    if (!document || letters.size() != textOf(document).size())
        return;
    // A run's place in the document is its place in the text: each block ends in one separator.
    for (const Run &run : runsOf(document)) {
        const QString wanted = letters.mid(run.position, run.length);
        QTextCursor cursor(document);
        cursor.setPosition(run.position);
        cursor.setPosition(run.position + run.length, QTextCursor::KeepAnchor);
        if (wanted.size() == run.length && wanted != cursor.selectedText())
            cursor.insertText(wanted, run.format);
    }
}
