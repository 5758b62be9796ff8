#include "platform/PWMultiValue.h"

#include "platform/PWUniqueIdentifier.h"

#include <algorithm>
#include <atomic>

namespace {

// Identifier texts have the unique-identifier form: the first half is drawn once per process, the
// second holds the entry's number (after the form's two variant bits).
constexpr qsizetype kPrefixLength = 19; // "XXXXXXXX-XXXX-4XXX-"
constexpr qsizetype kTextLength = 36;
constexpr quint64 kVariantBits = quint64(0x2) << 62;
constexpr quint64 kNumberMask = ~(quint64(0x3) << 62);

const QString &processPrefix()
{
    static const QString prefix = PWNewUniqueIdentifier().left(kPrefixLength);
    return prefix;
}

quint64 nextIdentifierNumber()
{
    // 0 stands for "no entry"; numbers start at 1 and never come round again (2^62 of them).
    static std::atomic<quint64> next{1};
    return next.fetch_add(1, std::memory_order_relaxed) & kNumberMask;
}

QString identifierText(quint64 number)
{
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    const quint64 bits = kVariantBits | number;
    QString text = processPrefix();
    text.resize(kTextLength);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    qsizetype at = kPrefixLength;
    for (int shift = 60; shift >= 0; shift -= 4) {
        if (at == 23)
            out[at++] = u'-';
        out[at++] = kHex[(bits >> shift) & 0xF];
    }
    return text;
}

// The number behind an identifier text; 0 for a text no entry of this process was given.
quint64 identifierNumber(const QString &text)
{
    if (text.size() != kTextLength || !text.startsWith(processPrefix()) || text.at(23) != u'-')
        return 0;
    quint64 bits = 0;
    for (qsizetype at = kPrefixLength; at < kTextLength; ++at) {
        if (at == 23)
            continue;
        const char16_t c = text.at(at).unicode();
        int digit = -1;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        if (digit < 0)
            return 0;
        bits = (bits << 4) | quint64(digit);
    }
    return (bits & ~kNumberMask) == kVariantBits ? bits & kNumberMask : 0;
}

} // namespace

PWPlist PWMultiValue::valueAtIndex(qsizetype index) const
{
    return index >= 0 && index < m_entries.size() ? m_entries.at(index).value : PWPlist();
}

QString PWMultiValue::labelAtIndex(qsizetype index) const
{
    return index >= 0 && index < m_entries.size() ? m_entries.at(index).label : QString();
}

QString PWMultiValue::identifierAtIndex(qsizetype index) const
{
    return index >= 0 && index < m_entries.size() ? identifierText(m_entries.at(index).identifier) : QString();
}

qsizetype PWMultiValue::indexForIdentifier(const QString &identifier) const
{
    return indexOfNumber(identifierNumber(identifier));
}

qsizetype PWMultiValue::indexOfLabel(const QString &label) const
{
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).label == label)
            return i;
    }
    return -1;
}

QString PWMultiValue::primaryIdentifier() const
{
    return m_primary == 0 ? QString() : identifierText(m_primary);
}

bool PWMultiValue::setPrimaryIdentifier(const QString &identifier)
{
    const qsizetype index = indexForIdentifier(identifier);
    if (index < 0)
        return false;
    m_primary = m_entries.at(index).identifier;
    return true;
}

QString PWMultiValue::addValue(const PWPlist &value, const QString &label)
{
    return insertValue(value, label, m_entries.size());
}

QString PWMultiValue::insertValue(const PWPlist &value, const QString &label, qsizetype index)
{
    const quint64 identifier = nextIdentifierNumber();
    m_entries.insert(std::clamp<qsizetype>(index, 0, m_entries.size()), Entry{identifier, label, value});
    if (m_primary == 0)
        m_primary = identifier;
    return identifierText(identifier);
}

bool PWMultiValue::replaceValueAtIndex(qsizetype index, const PWPlist &value)
{
    if (index < 0 || index >= m_entries.size())
        return false;
    m_entries[index].value = value;
    return true;
}

bool PWMultiValue::replaceLabelAtIndex(qsizetype index, const QString &label)
{
    if (index < 0 || index >= m_entries.size())
        return false;
    m_entries[index].label = label;
    return true;
}

bool PWMultiValue::removeValueAndLabelAtIndex(qsizetype index)
{
    if (index < 0 || index >= m_entries.size())
        return false;
    const bool wasPrimary = m_entries.at(index).identifier == m_primary;
    m_entries.removeAt(index);
    if (wasPrimary)
        m_primary = m_entries.isEmpty() ? 0 : m_entries.constFirst().identifier;
    return true;
}

bool PWMultiValue::hasSameValues(const PWMultiValue &other) const
{
    if (m_entries.size() != other.m_entries.size())
        return false;
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        const Entry &a = m_entries.at(i);
        const Entry &b = other.m_entries.at(i);
        if (a.label != b.label || a.value != b.value)
            return false;
    }
    return indexOfNumber(m_primary) == other.indexOfNumber(other.m_primary);
}

qsizetype PWMultiValue::indexOfNumber(quint64 identifier) const
{
    if (identifier == 0)
        return -1;
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).identifier == identifier)
            return i;
    }
    return -1;
}
