#include "platform/PWPlistBinaryChecker.h"

#include "platform/PWPlistValueCount.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

namespace {

constexpr quint64 kHeaderSize = 8;
constexpr quint64 kTrailerSize = 32;

// Object markers: the high nibble is the kind, the low nibble a size or a length.
enum Kind : quint8 {
    kSimple = 0x0,
    kInteger = 0x1,
    kReal = 0x2,
    kDate = 0x3,
    kData = 0x4,
    kAsciiString = 0x5,
    kUtf16String = 0x6,
    kUid = 0x8,
    kArray = 0xA,
    kSet = 0xC,
    kDictionary = 0xD,
};

quint64 readBigEndian(const uchar *bytes, quint64 size)
{
    quint64 value = 0;
    for (quint64 i = 0; i < size; ++i)
        value = (value << 8) | bytes[i];
    return value;
}

// A located object: where its references start and how many there are (none for scalars).
struct ObjectInfo
{
    quint8 kind = 0;
    bool container = false;
    quint64 refsStart = 0;
    quint64 refCount = 0;
};

class Walker
{
public:
    Walker(const QByteArray &bytes, int maxDepth)
        : m_bytes(reinterpret_cast<const uchar *>(bytes.constData())),
          m_size(static_cast<quint64>(bytes.size())), m_maxDepth(maxDepth)
    {
    }

    QString run()
    {
        QString error = readTrailer();
        if (error.isEmpty())
            error = walk();
        return error;
    }

    // The tree the bytes decode to, counted over the object graph: every object is used as often
    // as the uses of the containers referring to it, summed over its references (a shared
    // object counts at every use), propagated in one pass from the top object down the graph's
    // order. Nothing at damage: a reference out of the table or a cycle.
    std::optional<PWPlistValueCount::Tally> tally(const PWPlistValueCount::Query &query)
    {
        using PWPlistValueCount::saturatedProduct;
        using PWPlistValueCount::saturatedSum;
        if (!readTrailer().isEmpty())
            return std::nullopt;
        const std::optional<std::vector<quint64>> order = reachableInOrder();
        if (!order)
            return std::nullopt;
        // What each text object names, compared only where its length matches.
        enum Role : quint8 { kNone = 0, kClassKey = 1, kDataKey = 2, kClassValue = 4 };
        std::vector<quint8> roles(m_objectCount, kNone);
        const auto is = [this](quint64 index, const QString &text) {
            if (text.isEmpty())
                return false;
            const std::optional<QString> stored = shortString(index, text.size());
            return stored && *stored == text;
        };
        for (const quint64 index : *order) {
            quint8 role = kNone;
            role |= is(index, query.classKey) ? kClassKey : kNone;
            role |= is(index, query.classValue) ? kClassValue : kNone;
            for (const QString &key : query.dataKeys)
                role |= is(index, key) ? kDataKey : kNone;
            roles[index] = role;
        }
        std::vector<qint64> uses(m_objectCount, 0);
        uses[m_topObject] = 1;
        PWPlistValueCount::Tally counted;
        // Reversed, the order puts every container before what it refers to.
        for (auto it = order->crbegin(); it != order->crend(); ++it) {
            const quint64 index = *it;
            const qint64 used = uses[index];
            counted.values = saturatedSum(counted.values, used);
            ObjectInfo info;
            describe(index, &info);
            if (!info.container) {
                counted.valueBytes = saturatedSum(counted.valueBytes, saturatedProduct(used, qint64(payloadBytes(index))));
                continue;
            }
            for (quint64 k = 0; k < info.refCount; ++k) {
                const quint64 child = readBigEndian(m_bytes + info.refsStart + k * m_refSize, m_refSize);
                uses[child] = saturatedSum(uses[child], used);
            }
            if (info.kind != kDictionary)
                continue;
            bool holdsClass = false;
            bool holdsClassValue = false;
            bool holdsData = false;
            const quint64 pairs = info.refCount / 2;
            for (quint64 k = 0; k < pairs; ++k) {
                const quint64 key = readBigEndian(m_bytes + info.refsStart + k * m_refSize, m_refSize);
                const quint64 value = readBigEndian(m_bytes + info.refsStart + (pairs + k) * m_refSize, m_refSize);
                if (roles[key] & kClassKey) {
                    holdsClass = true;
                    holdsClassValue = holdsClassValue || (roles[value] & kClassValue);
                }
                if (roles[key] & kDataKey) {
                    holdsData = true;
                    const qint64 bytes = qint64(dataBytes(value));
                    counted.dataBytes = saturatedSum(counted.dataBytes, saturatedProduct(used, bytes));
                    counted.dataBytesEachUpTo = saturatedSum(counted.dataBytesEachUpTo,
                                                             saturatedProduct(used, std::min(bytes, query.mostEach)));
                }
            }
            counted.holdingClass = saturatedSum(counted.holdingClass, holdsClass ? used : 0);
            counted.holdingClassValue = saturatedSum(counted.holdingClassValue, holdsClassValue ? used : 0);
            counted.holdingData = saturatedSum(counted.holdingData, holdsData ? used : 0);
        }
        return counted;
    }

private:
    // The objects reachable from the top, each after every object it refers to; nothing when a
    // reference leaves the table, runs in a cycle, or an object is malformed.
    std::optional<std::vector<quint64>> reachableInOrder() const
    {
        enum State : quint8 { kUnseen, kOpen, kDone };
        std::vector<quint8> state(m_objectCount, kUnseen);
        std::vector<quint64> order;
        struct Frame
        {
            quint64 index;
            ObjectInfo info;
            quint64 next;
        };
        std::vector<Frame> stack;
        ObjectInfo rootInfo;
        if (!describe(m_topObject, &rootInfo).isEmpty())
            return std::nullopt;
        state[m_topObject] = kOpen;
        stack.push_back({m_topObject, rootInfo, 0});
        while (!stack.empty()) {
            Frame &frame = stack.back();
            if (frame.next == frame.info.refCount) {
                state[frame.index] = kDone;
                order.push_back(frame.index);
                stack.pop_back();
                continue;
            }
            const quint64 child = readBigEndian(m_bytes + frame.info.refsStart + frame.next * m_refSize, m_refSize);
            ++frame.next;
            if (child >= m_objectCount || state[child] == kOpen)
                return std::nullopt;
            if (state[child] == kDone)
                continue;
            ObjectInfo info;
            if (!describe(child, &info).isEmpty())
                return std::nullopt;
            state[child] = kOpen;
            stack.push_back({child, info, 0}); // invalidates frame
        }
        return order;
    }

    // The text of the string object at index when it is length characters long.
    std::optional<QString> shortString(quint64 index, qsizetype length) const
    {
        quint64 offset = 0;
        if (!objectOffset(index, &offset).isEmpty())
            return std::nullopt;
        const quint8 kind = m_bytes[offset] >> 4;
        if (kind != kAsciiString && kind != kUtf16String)
            return std::nullopt;
        quint64 position = offset + 1;
        quint64 stored = 0;
        if (!readLength(m_bytes[offset] & 0xF, &position, &stored).isEmpty() || stored != quint64(length))
            return std::nullopt;
        const quint64 unit = kind == kUtf16String ? 2 : 1;
        if (stored > (m_tableOffset - position) / unit)
            return std::nullopt;
        QString text;
        for (quint64 i = 0; i < stored; ++i) {
            const uchar *character = m_bytes + position + i * unit;
            text.append(QChar(unit == 1 ? char16_t(character[0]) : char16_t((character[0] << 8) | character[1])));
        }
        return text;
    }

    // The bytes a text or data object holds (a UTF-16 text two per character); none for others.
    quint64 payloadBytes(quint64 index) const
    {
        quint64 offset = 0;
        if (!objectOffset(index, &offset).isEmpty())
            return 0;
        const quint8 kind = m_bytes[offset] >> 4;
        if (kind != kData && kind != kAsciiString && kind != kUtf16String)
            return 0;
        quint64 position = offset + 1;
        quint64 length = 0;
        if (!readLength(m_bytes[offset] & 0xF, &position, &length).isEmpty())
            return 0;
        const quint64 unit = kind == kUtf16String ? 2 : 1;
        return std::min(length, (m_tableOffset - position) / unit) * unit;
    }

    quint64 dataBytes(quint64 index) const
    {
        quint64 offset = 0;
        if (!objectOffset(index, &offset).isEmpty() || (m_bytes[offset] >> 4) != kData)
            return 0;
        return payloadBytes(index);
    }

    QString readTrailer()
    {
        if (m_size < kHeaderSize + 1 + 1 + kTrailerSize)
            return QStringLiteral("binary property list truncated (%1 bytes)").arg(m_size);
        if (QByteArray::fromRawData(reinterpret_cast<const char *>(m_bytes), 8) != "bplist00")
            return QStringLiteral("unsupported binary property list version");
        const uchar *trailer = m_bytes + m_size - kTrailerSize;
        m_offsetSize = trailer[6];
        m_refSize = trailer[7];
        m_objectCount = readBigEndian(trailer + 8, 8);
        m_topObject = readBigEndian(trailer + 16, 8);
        m_tableOffset = readBigEndian(trailer + 24, 8);
        if (m_offsetSize < 1 || m_offsetSize > 8 || m_refSize < 1 || m_refSize > 8)
            return QStringLiteral("binary property list has invalid offset or reference sizes (%1, %2)")
                .arg(m_offsetSize)
                .arg(m_refSize);
        const quint64 tableEnd = m_size - kTrailerSize;
        if (m_tableOffset < kHeaderSize + 1 || m_tableOffset >= tableEnd)
            return QStringLiteral("binary property list offset table lies outside the file");
        // Every object takes at least one byte of the object area, so more objects than bytes
        // there is a forged count.
        if (m_objectCount == 0 || m_objectCount > m_tableOffset - kHeaderSize
            || m_objectCount > (tableEnd - m_tableOffset) / m_offsetSize)
            return QStringLiteral("binary property list object count %1 does not fit the file")
                .arg(m_objectCount);
        if (m_topObject >= m_objectCount)
            return QStringLiteral("binary property list top object %1 does not exist").arg(m_topObject);
        return QString();
    }

    QString objectOffset(quint64 index, quint64 *offset) const
    {
        *offset = readBigEndian(m_bytes + m_tableOffset + index * m_offsetSize, m_offsetSize);
        if (*offset < kHeaderSize || *offset >= m_tableOffset)
            return QStringLiteral("object %1 has an offset out of range (%2)").arg(index).arg(*offset);
        return QString();
    }

    QString readLength(quint8 info, quint64 *position, quint64 *length) const
    {
        if (info != 0xF) {
            *length = info;
            return QString();
        }
        if (*position >= m_tableOffset)
            return QStringLiteral("object length runs past the object area");
        const uchar marker = m_bytes[*position];
        if ((marker >> 4) != kInteger || (marker & 0xF) > 3)
            return QStringLiteral("object length has an invalid marker 0x%1").arg(uint(marker), 2, 16, QLatin1Char('0'));
        const quint64 size = quint64(1) << (marker & 0xF);
        if (m_tableOffset - *position - 1 < size)
            return QStringLiteral("object length runs past the object area");
        *length = readBigEndian(m_bytes + *position + 1, size);
        *position += 1 + size;
        return QString();
    }

    QString describe(quint64 index, ObjectInfo *info) const
    {
        quint64 offset = 0;
        QString error = objectOffset(index, &offset);
        if (!error.isEmpty())
            return error;
        const uchar marker = m_bytes[offset];
        const quint8 kind = marker >> 4;
        const quint8 low = marker & 0xF;
        quint64 position = offset + 1;
        const quint64 room = m_tableOffset - position;
        auto overrun = [index] { return QStringLiteral("object %1 runs past the object area").arg(index); };
        info->kind = kind;
        switch (kind) {
        case kSimple:
            if (low != 0x8 && low != 0x9)
                return QStringLiteral("object %1 has an unsupported marker 0x%2")
                    .arg(index)
                    .arg(uint(marker), 2, 16, QLatin1Char('0'));
            return QString();
        case kInteger:
            if (low > 4)
                return QStringLiteral("object %1 is an integer of invalid size").arg(index);
            if ((quint64(1) << low) > room)
                return overrun();
            // Sixteen bytes carry integers beyond 64 bits too; libplist keeps only the low eight
            // bytes, so a value that needs more would silently read as another number.
            if (low == 4) {
                const uchar fill = (m_bytes[position + 8] & 0x80) ? 0xFF : 0x00;
                for (int i = 0; i < 8; ++i) {
                    if (m_bytes[position + i] != fill)
                        return QStringLiteral("object %1 is an integer beyond the signed 64-bit range").arg(index);
                }
            }
            return QString();
        case kReal:
            if (low != 2 && low != 3)
                return QStringLiteral("object %1 is a real of invalid size").arg(index);
            return (quint64(1) << low) <= room ? QString() : overrun();
        case kDate:
            if (low != 3)
                return QStringLiteral("object %1 is a date of invalid size").arg(index);
            return 8 <= room ? QString() : overrun();
        case kUid:
            return quint64(low) + 1 <= room ? QString() : overrun();
        case kData:
        case kAsciiString:
        case kUtf16String:
        case kArray:
        case kSet:
        case kDictionary:
            break;
        default:
            return QStringLiteral("object %1 has an unknown marker 0x%2")
                .arg(index)
                .arg(uint(marker), 2, 16, QLatin1Char('0'));
        }

        quint64 length = 0;
        error = readLength(low, &position, &length);
        if (!error.isEmpty())
            return QStringLiteral("object %1: %2").arg(index).arg(error);
        const quint64 left = m_tableOffset - position;
        switch (kind) {
        case kData:
        case kAsciiString:
            return length <= left ? QString() : overrun();
        case kUtf16String:
            return length <= left / 2 ? QString() : overrun();
        case kArray:
        case kSet:
            if (length > left / m_refSize)
                return overrun();
            *info = {kind, true, position, length};
            return QString();
        default: // dictionary: all keys, then all values
            if (length > left / (2 * m_refSize))
                return overrun();
            *info = {kind, true, position, 2 * length};
            return QString();
        }
    }

    // Keys must be strings, and strings without NUL characters: libplist asserts (and so ends
    // the process) when a key's length differs from its C string length.
    QString checkKey(quint64 keyIndex) const
    {
        quint64 offset = 0;
        QString error = objectOffset(keyIndex, &offset);
        if (!error.isEmpty())
            return error;
        const quint8 kind = m_bytes[offset] >> 4;
        if (kind != kAsciiString && kind != kUtf16String)
            return QStringLiteral("dictionary key object %1 is not a string").arg(keyIndex);
        quint64 position = offset + 1;
        quint64 length = 0;
        error = readLength(m_bytes[offset] & 0xF, &position, &length);
        if (!error.isEmpty())
            return QStringLiteral("object %1: %2").arg(keyIndex).arg(error);
        const quint64 unit = kind == kUtf16String ? 2 : 1;
        if (length > (m_tableOffset - position) / unit)
            return QStringLiteral("object %1 runs past the object area").arg(keyIndex);
        for (quint64 i = 0; i < length; ++i) {
            const uchar *character = m_bytes + position + i * unit;
            if (character[0] == 0 && (unit == 1 || character[1] == 0))
                return QStringLiteral("dictionary key object %1 holds a NUL character").arg(keyIndex);
        }
        return QString();
    }

    // Depth-first over the reachable objects, keeping per object how many values it expands
    // to once every shared reference is copied (0: not seen yet, kOpen: on the current path).
    QString walk()
    {
        static constexpr quint32 kOpen = std::numeric_limits<quint32>::max();
        // Sharing is normal: writers unique equal keys, strings and numbers, so a list of records
        // refers to the same few objects over and over. Such sharing never expands the tree beyond
        // the number of references, which the file size bounds. Only shared containers multiply,
        // and a few hundred bytes that expand into millions of values are an attack on the memory
        // of whoever builds the tree. The bound stays below kOpen, as the counts are 32-bit.
        const quint64 limit = qMin(2 * m_size + (quint64(1) << 18), quint64(0xFFFFFFF0u));
        std::vector<quint32> expanded(m_objectCount, 0);

        struct Frame
        {
            quint64 index;
            ObjectInfo info;
            quint64 next;
            quint64 total;
        };
        std::vector<Frame> stack;
        const QString tooDeep = QStringLiteral("containers nest deeper than %1 levels").arg(m_maxDepth);
        const QString tooLarge = QStringLiteral("shared references expand to more than %1 values").arg(limit);

        ObjectInfo rootInfo;
        QString error = describe(m_topObject, &rootInfo);
        if (!error.isEmpty() || !rootInfo.container)
            return error;
        if (m_maxDepth < 1)
            return tooDeep;
        expanded[m_topObject] = kOpen;
        stack.push_back({m_topObject, rootInfo, 0, 1});

        while (!stack.empty()) {
            Frame &frame = stack.back();
            if (frame.next == frame.info.refCount) {
                const quint64 total = frame.total;
                expanded[frame.index] = static_cast<quint32>(total);
                stack.pop_back();
                if (!stack.empty() && (stack.back().total += total) > limit)
                    return tooLarge;
                continue;
            }
            const quint64 position = frame.info.refsStart + frame.next * m_refSize;
            const quint64 child = readBigEndian(m_bytes + position, m_refSize);
            const bool isKey = frame.info.kind == kDictionary && frame.next < frame.info.refCount / 2;
            ++frame.next;
            if (child >= m_objectCount)
                return QStringLiteral("object %1 refers to missing object %2").arg(frame.index).arg(child);
            if (isKey && !(error = checkKey(child)).isEmpty())
                return error;
            const quint32 seen = expanded[child];
            if (seen == kOpen)
                return QStringLiteral("object %1 refers back to object %2 (reference cycle)")
                    .arg(frame.index)
                    .arg(child);
            if (seen != 0) {
                if ((frame.total += seen) > limit)
                    return tooLarge;
                continue;
            }
            ObjectInfo info;
            if (!(error = describe(child, &info)).isEmpty())
                return error;
            if (!info.container) {
                expanded[child] = 1;
                if ((frame.total += 1) > limit)
                    return tooLarge;
                continue;
            }
            if (stack.size() >= static_cast<size_t>(m_maxDepth))
                return tooDeep;
            expanded[child] = kOpen;
            stack.push_back({child, info, 0, 1}); // invalidates frame
        }
        return QString();
    }

    const uchar *m_bytes;
    quint64 m_size;
    int m_maxDepth;
    quint64 m_offsetSize = 0;
    quint64 m_refSize = 0;
    quint64 m_objectCount = 0;
    quint64 m_topObject = 0;
    quint64 m_tableOffset = 0;
};

} // namespace

QString PWPlistBinaryChecker::check(const QByteArray &bytes, int maxDepth)
{
    return Walker(bytes, qMax(0, maxDepth)).run();
}

std::optional<PWPlistValueCount::Tally> PWPlistBinaryChecker::tally(const QByteArray &bytes,
                                                                   const PWPlistValueCount::Query &query)
{
    return Walker(bytes, 0).tally(query);
}
