#include "platform/PWAttributedString.h"

#include "platform/PWParagraphStyle.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {

// Characters at which QTextCursor::insertText starts a new block or a frame on its own; text
// goes in between them, so that only the separators decide where blocks begin.
bool isParagraphBreak(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::ParagraphSeparator;
}

bool isFrameMarker(QChar c)
{
    return c.unicode() == 0xfdd0 || c.unicode() == 0xfdd1;
}

// Qt compares formats property by property in the order they were set, so that two formats with
// the same properties set in another order differ. Runs keep their properties in the order of
// their identifiers, so that equal attributes make equal runs whichever codec set them.
template <typename Format>
Format canonical(const Format &format)
{
    Format result;
    const QMap<int, QVariant> properties = format.properties();
    for (auto it = properties.cbegin(); it != properties.cend(); ++it)
        result.setProperty(it.key(), it.value());
    return result;
}

} // namespace

PWAttributedString::PWAttributedString(const QString &text, const QTextCharFormat &format,
                                       const QTextBlockFormat &block)
{
    append(text, format, block);
}

void PWAttributedString::append(const QString &text, const QTextCharFormat &format,
                                const QTextBlockFormat &block)
{
    if (text.isEmpty())
        return;
    const QTextCharFormat character = canonical(format);
    const QTextBlockFormat paragraph = canonical(block);
    if (!m_runs.isEmpty() && m_runs.last().charFormat == character && m_runs.last().blockFormat == paragraph)
        m_runs.last().length += text.size();
    else
        m_runs.append(Run{m_text.size(), text.size(), character, paragraph});
    m_text += text;
}

QTextCharFormat PWAttributedString::charFormatAt(qsizetype index) const
{
    if (m_runs.isEmpty())
        return QTextCharFormat();
    if (index < 0 || index >= m_text.size())
        return m_runs.first().charFormat;
    const auto run = std::upper_bound(m_runs.cbegin(), m_runs.cend(), index,
                                      [](qsizetype i, const Run &r) { return i < r.start; });
    return std::prev(run)->charFormat;
}

QTextBlockFormat PWAttributedString::blockFormatAt(qsizetype index) const
{
    if (m_runs.isEmpty())
        return QTextBlockFormat();
    if (index < 0 || index >= m_text.size())
        return m_runs.first().blockFormat;
    const auto run = std::upper_bound(m_runs.cbegin(), m_runs.cend(), index,
                                      [](qsizetype i, const Run &r) { return i < r.start; });
    return std::prev(run)->blockFormat;
}

void PWAttributedString::writeTo(QTextDocument *document) const
{
    if (!document)
        return;
    document->clear();
    if (m_runs.isEmpty())
        return;
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    cursor.setBlockFormat(m_runs.first().blockFormat);
    cursor.setBlockCharFormat(m_runs.first().charFormat);
    for (const Run &run : m_runs) {
        const qsizetype end = run.start + run.length;
        qsizetype segment = run.start;
        for (qsizetype i = run.start; i <= end; ++i) {
            const bool atEnd = i == end;
            if (!atEnd && !isParagraphBreak(m_text.at(i)))
                continue;
            if (i > segment) {
                QString text = m_text.mid(segment, i - segment);
                std::replace_if(text.begin(), text.end(), isFrameMarker, QChar::ReplacementCharacter);
                cursor.insertText(text, run.charFormat);
            }
            if (atEnd)
                break;
            // "\r\n" is one break.
            if (m_text.at(i) == QLatin1Char('\r') && i + 1 < end && m_text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            // The separator carries the run's character format into the new block; the block
            // takes the paragraph format of the run its first character belongs to.
            const QTextBlockFormat next = i + 1 < m_text.size() ? blockFormatAt(i + 1) : run.blockFormat;
            cursor.insertBlock(next, run.charFormat);
            segment = i + 1;
        }
    }
    cursor.endEditBlock();
}

PWAttributedString PWAttributedString::fromDocument(const QTextDocument *document)
{
    PWAttributedString result;
    if (!document)
        return result;
    QTextBlockFormat previous;
    // The paragraph lengths of a styled text are points, whatever units the document laid them
    // out in.
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat format = PWParagraphStyle::withLengthScale(block.blockFormat(), 1.0);
        if (block != document->begin())
            result.append(QStringLiteral("\n"), block.charFormat(), previous);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.isValid())
                result.append(fragment.text(), fragment.charFormat(), format);
        }
        previous = format;
    }
    return result;
}
