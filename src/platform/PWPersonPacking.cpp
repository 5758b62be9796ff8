#include "platform/PWPersonPacking.h"

#include <QHash>

#include <algorithm>
#include <atomic>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <optional>

using namespace PWPersonPacking;

namespace {

constexpr int kKindBits = 3;
constexpr quint32 kLarge = 0xFFFF >> kKindBits;

quint64 read64(const char16_t *at)
{
    return quint64(read32(at)) | quint64(read32(at + 2)) << 32;
}

// The texts packed as Known: keys and labels, which a list of persons repeats in every one of
// them. The table only grows, up to kMostKnown short texts; others are packed as they are.
// Indices are handed out under the lock, and a text is in its place before its index is
// published, so reading a known text needs no lock.
class KnownTexts
{
public:
    static constexpr quint32 kMostKnown = 4096;
    static constexpr qsizetype kLongestKnown = 40;

    static KnownTexts &instance()
    {
        static KnownTexts known;
        return known;
    }

    std::optional<quint32> indexOf(const QString &text)
    {
        if (text.isEmpty() || text.size() > kLongestKnown)
            return std::nullopt;
        std::lock_guard lock(m_mutex);
        if (const auto found = m_indices.constFind(text); found != m_indices.constEnd())
            return *found;
        const quint32 index = m_count.load(std::memory_order_relaxed);
        if (index >= kMostKnown)
            return std::nullopt;
        // A copy of its own: the text may share a person's block, which it would keep for good.
        m_texts[index] = QString(text.constData(), text.size());
        m_indices.insert(m_texts[index], index);
        m_count.store(index + 1, std::memory_order_release);
        return index;
    }

    QString text(quint32 index) const
    {
        return index < m_count.load(std::memory_order_acquire) ? m_texts[index] : QString();
    }

private:
    KnownTexts()
        : m_texts(new QString[kMostKnown])
    {
    }

    std::mutex m_mutex;
    QHash<QString, quint32> m_indices;
    std::unique_ptr<QString[]> m_texts;
    std::atomic<quint32> m_count {0};
};

} // namespace

PWPersonPacking::Block *PWPersonPacking::makeBlock(const PackedValues &values)
{
    if (values.isEmpty())
        return nullptr;
    qsizetype total = kHeaderUnits + kIndexUnits * qsizetype(values.size());
    for (const Packed &value : values)
        total += value.size;
    if (total >= qsizetype(std::numeric_limits<quint32>::max()))
        throw std::bad_alloc();
    auto [block, units] = Block::allocate(total);
    if (!block)
        throw std::bad_alloc();
    const auto write32 = [](char16_t *at, quint32 number) {
        at[0] = char16_t(number);
        at[1] = char16_t(number >> 16);
    };
    write32(units, quint32(total));
    units[2] = char16_t(values.size());
    qsizetype at = kHeaderUnits + kIndexUnits * qsizetype(values.size());
    for (qsizetype i = 0; i < values.size(); ++i) {
        char16_t *index = units + kHeaderUnits + kIndexUnits * i;
        write32(index, values[i].key);
        write32(index + 2, quint32(at));
        std::copy(values[i].units, values[i].units + values[i].size, units + at);
        at += values[i].size;
    }
    return block;
}

PWPersonPacker::PWPersonPacker(PWPersonPacking::Units &units, QList<PWPlist> &boxed)
    : m_units(units)
    , m_boxed(boxed)
{
}

void PWPersonPacker::value(const PWPlist &value)
{
    switch (value.type()) {
    case PWPlist::Type::Null:
        tag(Null, 0);
        return;
    case PWPlist::Type::String:
        text(value.toString(), false);
        return;
    case PWPlist::Type::Dictionary: {
        const PWPlist::Dictionary &dictionary = value.toDictionary();
        tag(Dictionary, quint32(dictionary.size()));
        for (const auto &[key, member] : dictionary) {
            text(key, true);
            this->value(member);
        }
        return;
    }
    default:
        tag(Boxed, quint32(m_boxed.size()));
        m_boxed.append(value);
        return;
    }
}

void PWPersonPacker::multi(const PWMultiValue &multi)
{
    tag(Multi, quint32(multi.entries().size()));
    put64(multi.m_primary);
    for (const PWMultiValue::Entry &entry : multi.entries()) {
        put64(entry.identifier);
        text(entry.label, true);
        value(entry.value);
    }
}

void PWPersonPacker::tag(Kind kind, quint32 number)
{
    if (number < kLarge) {
        m_units.push_back(char16_t(kind | number << kKindBits));
        return;
    }
    m_units.push_back(char16_t(kind | kLarge << kKindBits));
    put32(number);
}

void PWPersonPacker::put32(quint32 number)
{
    m_units.push_back(char16_t(number));
    m_units.push_back(char16_t(number >> 16));
}

void PWPersonPacker::put64(quint64 number)
{
    put32(quint32(number));
    put32(quint32(number >> 32));
}

void PWPersonPacker::text(const QString &text, bool known)
{
    if (text.isNull()) {
        tag(NullText, 0);
        return;
    }
    if (known) {
        if (const std::optional<quint32> index = KnownTexts::instance().indexOf(text)) {
            tag(Known, *index);
            return;
        }
    }
    // A text longer than a length can tell is held whole.
    if (text.size() >= qsizetype(std::numeric_limits<quint32>::max())) {
        tag(Boxed, quint32(m_boxed.size()));
        m_boxed.append(PWPlist::fromString(text));
        return;
    }
    tag(Text, quint32(text.size()));
    const auto *characters = reinterpret_cast<const char16_t *>(text.constData());
    m_units.append(characters, text.size());
    m_units.push_back(0);
}

PWPersonUnpacker::PWPersonUnpacker(PWPersonPacking::Block *block, const char16_t *at, const QList<PWPlist> *boxed)
    : m_block(block)
    , m_at(at)
    , m_boxed(boxed)
{
}

PWPlist PWPersonUnpacker::value()
{
    const auto [kind, number] = tag();
    switch (kind) {
    case Text:
    case Known:
    case NullText:
        return PWPlist::fromString(text(kind, number));
    case Dictionary: {
        PWPlist::Dictionary dictionary;
        for (quint32 i = 0; i < number; ++i) {
            const auto [keyKind, keyNumber] = tag();
            const QString key = text(keyKind, keyNumber);
            dictionary.insert(key, value());
        }
        return PWPlist(dictionary);
    }
    case Boxed:
        return m_boxed && number < quint32(m_boxed->size()) ? m_boxed->at(number) : PWPlist();
    default:
        return PWPlist();
    }
}

PWMultiValue PWPersonUnpacker::multi()
{
    PWMultiValue multi;
    const auto [kind, count] = tag();
    if (kind != Multi)
        return multi;
    multi.m_primary = read64(m_at);
    m_at += 4;
    multi.m_entries.reserve(count);
    for (quint32 i = 0; i < count; ++i) {
        PWMultiValue::Entry entry;
        entry.identifier = read64(m_at);
        m_at += 4;
        const auto [labelKind, labelNumber] = tag();
        entry.label = text(labelKind, labelNumber);
        entry.value = value();
        multi.m_entries.append(std::move(entry));
    }
    return multi;
}

// The text of a String value here, without making the value.
QString PWPersonUnpacker::string()
{
    const auto [kind, number] = tag();
    if (kind == Boxed)
        return m_boxed && number < quint32(m_boxed->size()) ? m_boxed->at(number).toString() : QString();
    return kind == Text || kind == Known || kind == NullText ? text(kind, number) : QString();
}

std::pair<PWPersonPacking::Kind, quint32> PWPersonUnpacker::tag()
{
    const char16_t unit = *m_at++;
    const auto kind = Kind(unit & ((1 << kKindBits) - 1));
    quint32 number = unit >> kKindBits;
    if (number == kLarge) {
        number = read32(m_at);
        m_at += 2;
    }
    return {kind, number};
}

QString PWPersonUnpacker::text(Kind kind, quint32 number)
{
    if (kind == NullText)
        return QString();
    if (kind == Known)
        return KnownTexts::instance().text(number);
    if (kind == Boxed)
        return m_boxed && number < quint32(m_boxed->size()) ? m_boxed->at(number).toString() : QString();
    auto *characters = const_cast<char16_t *>(m_at);
    m_at += number + 1;
    m_block->ref();
    return QString(QString::DataPointer(m_block, characters, number));
}
