// Lists of a flowing text: each item starts with a marker whose characters carry the list
// ("FTTextList"); making, changing and renumbering lists, and their upkeep while the user types.
#include "kernel/text/CDDTextBlock.h"

#include "kernel/text/CCTextView.h"
#include "platform/PWTextAttributes.h"

#include <QLoggingCategory>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <map>

Q_LOGGING_CATEGORY(lcTextBlock, "pw.kernel.text")

using CCTextStorage::Range;

namespace {

// A paragraph without tab stops of its own has one every 28 points.
constexpr double kDefaultTabInterval = 28.0;
// The line-break mode that truncates a line's tail.
constexpr int kTruncateTail = 4;

// The text of an item after its marker truncates its tail and hangs at the item's second tab
// (the text tab), so that wrapped lines stand under the item's text rather than its marker.
void giveItemTextStyle(QTextDocument *storage, int position)
{
    QTextBlock block = storage->findBlock(position);
    QTextBlockFormat format = block.blockFormat();
    const QList<QTextOption::Tab> tabs = format.tabPositions();
    const double second = tabs.size() >= 2 ? tabs.at(1).position : kDefaultTabInterval * 2.0;
    format.setProperty(PWTextAttributes::LineBreakMode, kTruncateTail);
    format.setLeftMargin(second);
    format.setTextIndent(-second);
    QTextCursor(block).setBlockFormat(format);
}

const QString kTextTag = QStringLiteral("FTTextTag");
const QString kAnchor = QStringLiteral("FTAnchorText");
const QString kDefaultAttributesKey = QStringLiteral("Default Attributes Key");

std::optional<CCTextList> listAt(const QTextDocument *storage, int index)
{
    if (index < 0 || index >= CCTextStorage::length(storage))
        return std::nullopt;
    return CCTextList::fromVariant(CCTextStorage::custom(CCTextStorage::formatAt(storage, index), CCTextList::kListAttribute));
}

void insertAt(QTextDocument *storage, int position, const QString &text, const QTextCharFormat &format)
{
    QTextCursor cursor(storage);
    cursor.setPosition(position);
    cursor.insertText(text, format);
}

// Sets every marker of the list (by identity) to the list's present type.
void retypeMarkers(QTextDocument *storage, const CCTextList &list)
{
    const int size = CCTextStorage::length(storage);
    int index = 0;
    while (index < size) {
        const Range run = CCTextStorage::customRun(storage, index, CCTextList::kListAttribute);
        const std::optional<CCTextList> found = listAt(storage, index);
        if (found && *found == list)
            CCTextStorage::modify(storage, run, [&](QTextCharFormat &format) {
                CCTextStorage::setCustom(format, CCTextList::kListAttribute, list.toVariant());
            });
        index = std::max(run.end(), index + 1);
    }
}

} // namespace

std::optional<CCTextList> CDDTextBlock::selectedTextList() const
{
    QTextDocument *storage = getContents();
    if (!storage || CCTextStorage::length(storage) == 0)
        return std::nullopt;
    const std::vector<Range> paragraphs = m_editing && m_editor ? paragraphsRangeForRange(m_editor->selectedRange())
                                                                : CCTextStorage::paragraphs(storage);
    for (const Range &paragraph : paragraphs) {
        if (std::optional<CCTextList> list = listAt(storage, paragraph.location))
            return list;
    }
    return std::nullopt;
}

int CDDTextBlock::GetListType() const
{
    const std::optional<CCTextList> list = selectedTextList();
    return list ? list->listType() : ltNone;
}

void CDDTextBlock::applyItemStyle(Range range, int type)
{
    QTextDocument *storage = getContents();
    QTextBlockFormat format = storage->findBlock(range.location).blockFormat();
    QList<QTextOption::Tab> tabs = format.tabPositions();
    // Our two list tab stops are the first two; a paragraph that has them keeps them.
    const bool present = format.property(PWTextAttributes::ListTabStops).toBool() && tabs.size() >= 2;
    if (!present) {
        tabs.prepend(QTextOption::Tab(kListTextTab, QTextOption::LeftTab));
        tabs.prepend(QTextOption::Tab(kListMarkerTab, QTextOption::LeftTab));
        format.setProperty(PWTextAttributes::ListTabStops, true);
    }
    // The paragraph's own tabs move past the marker and the text tab, whether the list tabs
    // were there already or not.
    for (int i = 2; i < tabs.size(); ++i)
        tabs[i].position += kListMarkerTab + kListTextTab;
    format.setTabPositions(tabs);
    format.setLeftMargin(type != ltNone ? tabs.at(1).position : 0.0);
    format.setTextIndent(type != ltNone ? -tabs.at(1).position : 0.0);
    QTextCursor cursor(storage);
    cursor.setPosition(range.location);
    cursor.setPosition(std::max(range.location, range.end() - 1), QTextCursor::KeepAnchor);
    cursor.setBlockFormat(format);
}

void CDDTextBlock::SetListType(int type)
{
    QTextDocument *storage = getContents();
    if (!storage || CCTextStorage::length(storage) == 0)
        return;
    // Our own edits below must not run the typing upkeep.
    const bool wasActive = m_delegateActive;
    m_delegateActive = false;
    struct Restore
    {
        bool &flag;
        bool value;
        ~Restore() { flag = value; }
    } restore {m_delegateActive, wasActive};

    std::optional<CCTextList> selected = selectedTextList();
    if (!selected && type == ltNone)
        return;
    if (!selected) {
        const CCTextList list(type);
        const std::vector<Range> paragraphs = m_editing && m_editor ? paragraphsRangeForRange(m_editor->selectedRange())
                                                                    : CCTextStorage::paragraphs(storage);
        int offset = 0;
        int number = 0;
        Range last {};
        for (const Range &paragraph : paragraphs) {
            const int start = paragraph.location + offset;
            const bool empty = paragraph.length <= 1 && storage->findBlock(start).length() <= 1;
            if (m_editing && empty)
                continue;
            QTextCharFormat format = CCTextStorage::formatAt(storage, start);
            CCTextStorage::setCustom(format, CCTextList::kListAttribute, list.toVariant());
            CCTextStorage::removeCustom(format, kTextTag);
            const QString marker = list.bulletMarkerForLineNumber(number++);
            insertAt(storage, start, marker, format);
            offset += int(marker.size());
            applyItemStyle({start, paragraph.length + int(marker.size())}, type);
            last = {start, paragraph.length + int(marker.size())};
        }
        if (m_editing && m_editor)
            m_editor->selectRange({last.end(), 0});
        return;
    }
    if (type == ltNone && m_editing && m_editor) {
        const Range paragraph = paragraphsRangeForRange(m_editor->selectedRange()).front();
        const Range marker = CCTextStorage::customRun(storage, paragraph.location, CCTextList::kListAttribute);
        const Range withoutEnd {paragraph.location, paragraph.length - (paragraph.end() < CCTextStorage::length(storage) ? 1 : 0)};
        if (marker.location == withoutEnd.location && marker.length == withoutEnd.length) {
            QTextCursor cursor(storage);
            cursor.setPosition(marker.location);
            cursor.setPosition(marker.end(), QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
            return;
        }
    }
    selected->setListType(type);
    retypeMarkers(storage, *selected);
    if (m_editing && m_editor) {
        // A touched paragraph outside the list joins it: it gets a (placeholder) marker that the
        // renumbering below turns into its item's marker, and loses none of its text.
        int offset = 0;
        for (const Range &paragraph : paragraphsRangeForRange(m_editor->selectedRange())) {
            const int start = paragraph.location + offset;
            QTextCharFormat format = CCTextStorage::formatAt(storage, start);
            const std::optional<CCTextList> own = listAt(storage, start);
            CCTextStorage::setCustom(format, CCTextList::kListAttribute, selected->toVariant());
            CCTextStorage::removeCustom(format, kTextTag);
            insertAt(storage, start, QStringLiteral(" "), format);
            offset += 1;
            if (!own)
                applyItemStyle({start, paragraph.length + 1}, type);
        }
    }
    updateTextList(*selected);
}

void CDDTextBlock::updateTextList(const CCTextList &list)
{
    QTextDocument *storage = getContents();
    if (!storage || CCTextStorage::length(storage) == 0)
        return;
    int number = 0;
    bool started = false;
    QTextBlock block = storage->begin();
    while (block.isValid()) {
        const int start = block.position();
        const std::optional<CCTextList> own = listAt(storage, start);
        if (own && *own == list && block.length() > 1) {
            started = true;
            const Range old = CCTextStorage::customRun(storage, start, CCTextList::kListAttribute);
            const int oldEnd = std::min(old.end(), block.position() + block.length() - 1);
            QTextCharFormat format = CCTextStorage::formatAt(storage, start);
            CCTextStorage::setCustom(format, CCTextList::kListAttribute, list.toVariant());
            CCTextStorage::removeCustom(format, kTextTag);
            QTextCursor cursor(storage);
            cursor.setPosition(start);
            cursor.setPosition(oldEnd, QTextCursor::KeepAnchor);
            cursor.insertText(list.bulletMarkerForLineNumber(number++), format);
            giveItemTextStyle(storage, start);
        } else if (started) {
            // A paragraph between items of the list becomes an item itself.
            bool inside = false;
            for (QTextBlock later = block.next(); later.isValid() && !inside; later = later.next()) {
                const std::optional<CCTextList> laterList = listAt(storage, later.position());
                inside = laterList && *laterList == list;
            }
            if (inside) {
                QTextCharFormat format = CCTextStorage::formatAt(storage, start);
                CCTextStorage::setCustom(format, CCTextList::kListAttribute, list.toVariant());
                insertAt(storage, start, list.bulletMarkerForLineNumber(number++), format);
                giveItemTextStyle(storage, start);
            }
        }
        block = storage->findBlock(start).next();
    }
    // The empty line after a last item becomes the next item.
    const QString text = storage->toPlainText();
    if (text.endsWith(u'\n')) {
        const QTextBlock last = storage->lastBlock();
        const QTextBlock before = last.previous();
        const std::optional<CCTextList> previous = before.isValid() ? listAt(storage, before.position()) : std::nullopt;
        if (last.length() <= 1 && previous && *previous == list) {
            QTextCharFormat format = CCTextStorage::formatAt(storage, before.position());
            CCTextStorage::setCustom(format, CCTextList::kListAttribute, list.toVariant());
            CCTextStorage::removeCustom(format, kTextTag);
            const int position = last.position();
            insertAt(storage, position, list.bulletMarkerForLineNumber(number), format);
            giveItemTextStyle(storage, position);
        }
    }
}

void CDDTextBlock::textDidProcessEditing(int position, int removed, int added)
{
    QTextDocument *storage = getContents();
    if (!storage || CCTextStorage::length(storage) == 0 || added == removed)
        return;
    const bool wasActive = m_delegateActive;
    m_delegateActive = false;
    const QString text = storage->toPlainText();
    if (added == 1 && position < text.size() && text.at(position) == u'\n') {
        const std::optional<CCTextList> list = selectedTextList();
        CCTextStorage::modify(storage, {position, 1}, [&](QTextCharFormat &format) {
            if (list)
                CCTextStorage::setCustom(format, CCTextList::kEndListItemAttribute, list->toVariant());
            CCTextStorage::removeCustom(format, CCTextList::kListAttribute);
            CCTextStorage::removeCustom(format, kAnchor);
        });
        const QTextBlock before = storage->findBlock(position);
        const Range paragraph {before.position(), position - before.position()};
        const Range marker = CCTextStorage::customRun(storage, paragraph.location, CCTextList::kListAttribute);
        if (paragraph.length > 0 && listAt(storage, paragraph.location) && marker.location == paragraph.location
            && marker.length == paragraph.length) {
            CCTextStorage::modify(storage, {position, 1}, [](QTextCharFormat &format) {
                CCTextStorage::removeCustom(format, CCTextList::kEndListItemAttribute);
            });
            CCTextStorage::modify(storage, paragraph, [](QTextCharFormat &format) {
                CCTextStorage::setCustom(format, CCTextList::kRemoveLineAttribute, true);
            });
        }
    } else if (added > 0) {
        // Typed text never becomes marker or anchor text.
        CCTextStorage::modify(storage, {position, added}, [](QTextCharFormat &format) {
            CCTextStorage::removeCustom(format, CCTextList::kListAttribute);
            CCTextStorage::removeCustom(format, kAnchor);
        });
    }
    m_delegateActive = wasActive;
}

void CDDTextBlock::textDidChange()
{
    QTextDocument *storage = getContents();
    if (!storage || CCTextStorage::length(storage) == 0 || !m_editor)
        return;
    const bool wasActive = m_delegateActive;
    m_delegateActive = false;
    const int caret = m_editor->selectedRange().location;
    const int index = caret > 0 ? caret - 1 : 0;
    const QVariant ended = CCTextStorage::custom(CCTextStorage::formatAt(storage, index), CCTextList::kEndListItemAttribute);
    if (const std::optional<CCTextList> list = CCTextList::fromVariant(ended)) {
        CCTextStorage::modify(storage, {index, 1}, [](QTextCharFormat &format) {
            CCTextStorage::removeCustom(format, CCTextList::kEndListItemAttribute);
        });
        updateTextList(*list);
        const QTextBlock next = storage->findBlock(index).next();
        if (next.isValid()) {
            const Range marker = CCTextStorage::customRun(storage, next.position(), CCTextList::kListAttribute);
            m_editor->selectRange({listAt(storage, next.position()) ? marker.end() : next.position(), 0});
        }
    }
    const QTextBlock block = storage->findBlock(index);
    if (block.isValid()
        && CCTextStorage::custom(CCTextStorage::formatAt(storage, block.position()), CCTextList::kRemoveLineAttribute).toBool()) {
        QTextCursor cursor(storage);
        cursor.setPosition(block.position());
        cursor.setPosition(std::min(block.position() + block.length(), CCTextStorage::length(storage)), QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        m_editor->selectRange({block.position(), 0});
    }
    m_delegateActive = wasActive;
}

bool CDDTextBlock::copyAttributesToString(PWAttributedString *target) const
{
    if (!target) {
        qCWarning(lcTextBlock) << "Attempt to set attribs to not mutable string!";
        return false;
    }
    const std::optional<PWAttributedString> text = getAttributedString();
    if (!text || text->isEmpty())
        return true;
    std::map<QString, QTextCharFormat> table;
    std::vector<QString> order;
    for (const PWAttributedString::Run &run : text->runs()) {
        if (CCTextStorage::custom(run.charFormat, CCTextList::kListAttribute).isValid())
            continue;
        const QVariant tag = CCTextStorage::custom(run.charFormat, kTextTag);
        const QString key = tag.isValid() ? QString::number(tag.toInt()) : kDefaultAttributesKey;
        if (table.emplace(key, run.charFormat).second)
            order.push_back(key);
    }
    if (!table.count(kDefaultAttributesKey) && !order.empty()) {
        QTextCharFormat fallback = table.at(order.front());
        CCTextStorage::removeCustom(fallback, kTextTag);
        table.emplace(kDefaultAttributesKey, fallback);
    }
    PWAttributedString styled;
    for (const PWAttributedString::Run &run : target->runs()) {
        QTextCharFormat format = run.charFormat;
        const QVariant tag = CCTextStorage::custom(format, kTextTag);
        const auto found = tag.isValid() ? table.find(QString::number(tag.toInt())) : table.end();
        const auto style = found != table.end() ? found : table.find(kDefaultAttributesKey);
        if (style != table.end())
            format.merge(style->second);
        styled.append(target->string().mid(run.start, run.length), format, QTextBlockFormat());
    }
    if (target->runs().isEmpty() && !target->isEmpty())
        styled = PWAttributedString(target->string(), table.count(kDefaultAttributesKey) ? table.at(kDefaultAttributesKey) : QTextCharFormat());
    *target = styled;
    return true;
}
