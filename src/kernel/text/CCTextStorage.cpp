#include "kernel/text/CCTextStorage.h"

#include "kernel/render/CDDTextRuns.h"
#include "platform/PWTextAttributes.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace CCTextStorage {

int length(const QTextDocument *storage)
{
    return storage ? std::max(0, storage->characterCount() - 1) : 0;
}

QVariant custom(const QTextCharFormat &format, const QString &name)
{
    return format.property(PWTextAttributes::CustomAttributes).toMap().value(name);
}

void setCustom(QTextCharFormat &format, const QString &name, const QVariant &value)
{
    QVariantMap map = format.property(PWTextAttributes::CustomAttributes).toMap();
    map.insert(name, value);
    format.setProperty(PWTextAttributes::CustomAttributes, map);
}

void removeCustom(QTextCharFormat &format, const QString &name)
{
    QVariantMap map = format.property(PWTextAttributes::CustomAttributes).toMap();
    if (!map.contains(name))
        return;
    map.remove(name);
    if (map.isEmpty())
        format.clearProperty(PWTextAttributes::CustomAttributes);
    else
        format.setProperty(PWTextAttributes::CustomAttributes, map);
}

int textTag(const QTextCharFormat &format)
{
    bool ok = false;
    const int tag = custom(format, QStringLiteral("FTTextTag")).toInt(&ok);
    return ok ? tag : 0;
}

QTextCharFormat formatAt(const QTextDocument *storage, int index)
{
    const int size = length(storage);
    if (!storage || size == 0)
        return {};
    index = std::clamp(index, 0, size - 1);
    QTextCursor cursor(const_cast<QTextDocument *>(storage));
    const QTextBlock block = storage->findBlock(index);
    // A paragraph end keeps its own format, which Qt files as the next paragraph's block format.
    if (index == block.position() + block.length() - 1 && block.next().isValid())
        return block.next().charFormat();
    cursor.setPosition(index + 1);
    return cursor.charFormat();
}

Range customRun(const QTextDocument *storage, int index, const QString &name)
{
    const int size = length(storage);
    if (size == 0 || index < 0 || index >= size)
        return {index, 0};
    const QVariant value = custom(formatAt(storage, index), name);
    int start = index;
    while (start > 0 && custom(formatAt(storage, start - 1), name) == value)
        --start;
    int end = index + 1;
    while (end < size && custom(formatAt(storage, end), name) == value)
        ++end;
    return {start, end - start};
}

Range formatRun(const QTextDocument *storage, int index)
{
    const int size = length(storage);
    if (size == 0 || index < 0 || index >= size)
        return {index, 0};
    const QTextCharFormat format = formatAt(storage, index);
    int end = index + 1;
    while (end < size && formatAt(storage, end) == format)
        ++end;
    return {index, end - index};
}

void modify(QTextDocument *storage, Range range, const std::function<void(QTextCharFormat &)> &change)
{
    const int size = length(storage);
    const int end = std::min(range.end(), size);
    int index = std::max(0, range.location);
    QTextCursor cursor(storage);
    cursor.beginEditBlock();
    while (index < end) {
        const Range run = formatRun(storage, index);
        const int runEnd = std::min(run.end(), end);
        QTextCharFormat format = formatAt(storage, index);
        change(format);
        cursor.setPosition(index);
        cursor.setPosition(runEnd, QTextCursor::KeepAnchor);
        cursor.setCharFormat(format);
        index = runEnd;
    }
    cursor.endEditBlock();
}

QPaintDevice *pointDevice()
{
    // The same device as the text model's, so that flowing text and plain text measure alike.
    return textruns::pointDevice();
}

std::vector<Range> paragraphs(const QTextDocument *storage)
{
    std::vector<Range> ranges;
    const int size = length(storage);
    if (!storage || size == 0)
        return {Range {}};
    for (QTextBlock block = storage->begin(); block.isValid(); block = block.next()) {
        const int start = block.position();
        const int end = std::min(start + block.length(), size);
        if (end > start)
            ranges.push_back({start, end - start});
    }
    if (ranges.empty())
        ranges.push_back({});
    return ranges;
}

} // namespace CCTextStorage
