#include "kernel/merge/CADesignWeigher.h"

#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/merge/CADocument.h"

#include <QHash>

#include <cstring>

namespace {

using Tally = PWPlistValueCount::Tally;

// Whether two values are written as the same XML text: equal as values, each real to its last
// bit (0 and -0 are written apart), each date to the second it is written with.
bool writtenAlike(const PWPlist &a, const PWPlist &b)
{
    if (a.type() != b.type())
        return false;
    switch (a.type()) {
    case PWPlist::Type::Dictionary: {
        const PWPlist::Dictionary &x = a.toDictionary();
        const PWPlist::Dictionary &y = b.toDictionary();
        if (&x == &y)
            return true;
        if (x.size() != y.size())
            return false;
        for (const PWPlist::Dictionary::Entry &entry : x) {
            if (!y.contains(entry.first) || !writtenAlike(entry.second, y.value(entry.first)))
                return false;
        }
        return true;
    }
    case PWPlist::Type::Array: {
        const PWPlist::Array &x = a.toArray();
        const PWPlist::Array &y = b.toArray();
        if (&x == &y)
            return true;
        if (x.size() != y.size())
            return false;
        for (qsizetype i = 0; i < x.size(); ++i) {
            if (!writtenAlike(x.at(i), y.at(i)))
                return false;
        }
        return true;
    }
    case PWPlist::Type::Data: {
        // A picture's stored form is one block shared by every writing of it.
        const QByteArray x = a.toData();
        const QByteArray y = b.toData();
        return x.size() == y.size() && (x.constData() == y.constData() || x == y);
    }
    case PWPlist::Type::Real: {
        const double x = a.toReal();
        const double y = b.toReal();
        return std::memcmp(&x, &y, sizeof x) == 0;
    }
    case PWPlist::Type::Date:
        return a.toDate().isValid() == b.toDate().isValid()
               && a.toDate().toMSecsSinceEpoch() / 1000 == b.toDate().toMSecsSinceEpoch() / 1000;
    default:
        return a == b;
    }
}

// A hash of what writtenAlike compares, cheap for large data: their size and a few of their bytes.
std::size_t hashOf(const PWPlist &value, std::size_t seed = 0)
{
    std::size_t hash = qHashMulti(seed, int(value.type()));
    switch (value.type()) {
    case PWPlist::Type::Dictionary: {
        // Alike whatever the order of their keys.
        std::size_t entries = 0;
        for (const PWPlist::Dictionary::Entry &entry : value.toDictionary())
            entries += hashOf(entry.second, qHash(entry.first));
        return qHashMulti(hash, entries);
    }
    case PWPlist::Type::Array:
        for (const PWPlist &element : value.toArray())
            hash = hashOf(element, hash);
        return hash;
    case PWPlist::Type::String:
        return qHashMulti(hash, value.toString());
    case PWPlist::Type::Data: {
        const QByteArray data = value.toData();
        constexpr qsizetype kEnds = 32;
        return qHashMulti(hash, data.size(), QByteArrayView(data).first(std::min(kEnds, data.size())),
                          QByteArrayView(data).last(std::min(kEnds, data.size())));
    }
    case PWPlist::Type::Integer:
    case PWPlist::Type::Uid:
        return qHashMulti(hash, value.toInteger(), value.toUid());
    case PWPlist::Type::Real: {
        const double real = value.toReal();
        quint64 bits = 0;
        std::memcpy(&bits, &real, sizeof bits);
        return qHashMulti(hash, bits);
    }
    case PWPlist::Type::Boolean:
        return qHashMulti(hash, value.toBool());
    case PWPlist::Type::Date:
        return qHashMulti(hash, value.toDate().toMSecsSinceEpoch() / 1000);
    case PWPlist::Type::Null:
        break;
    }
    return hash;
}

Tally plus(Tally a, const Tally &b)
{
    using PWPlistValueCount::saturatedSum;
    a.values = saturatedSum(a.values, b.values);
    a.valueBytes = saturatedSum(a.valueBytes, b.valueBytes);
    a.holdingClass = saturatedSum(a.holdingClass, b.holdingClass);
    a.holdingClassValue = saturatedSum(a.holdingClassValue, b.holdingClassValue);
    a.holdingData = saturatedSum(a.holdingData, b.holdingData);
    a.dataBytes = saturatedSum(a.dataBytes, b.dataBytes);
    a.dataBytesEachUpTo = saturatedSum(a.dataBytesEachUpTo, b.dataBytesEachUpTo);
    return a;
}

// a less b, where a counts all that b counts and more.
Tally minus(Tally a, const Tally &b)
{
    a.values -= b.values;
    a.valueBytes -= b.valueBytes;
    a.holdingClass -= b.holdingClass;
    a.holdingClassValue -= b.holdingClassValue;
    a.holdingData -= b.holdingData;
    a.dataBytes -= b.dataBytes;
    a.dataBytesEachUpTo -= b.dataBytesEachUpTo;
    return a;
}

std::optional<Tally> tallyOf(const PWPlist &value)
{
    return PWPlistValueCount::tallyOfXmlForm(value, CFTADocumentFileCheck::costQuery());
}

// What stands for a list's entries in the rest of the design: one value of a few characters.
const PWPlist &filler()
{
    static const PWPlist value = PWPlist::fromInteger(0);
    return value;
}

// The front side's list of a design of nothing but the given entries: the list is as deep in it as
// the front side's lists are in a design.
PWPlist listHolding(const PWPlist::Array &entries)
{
    return PWPlist(PWPlist::Dictionary {{key_FrontSide, PWPlist(PWPlist::Dictionary {{key_Components, PWPlist(entries)}})}});
}

// The count of the filler's list alone, and of the filler as one entry of it.
struct FillerCounts
{
    Tally list;
    Tally entry;
};

const std::optional<FillerCounts> &fillerCounts()
{
    static const std::optional<FillerCounts> counts = []() -> std::optional<FillerCounts> {
        const std::optional<Tally> one = tallyOf(listHolding({filler()}));
        const std::optional<Tally> two = tallyOf(listHolding({filler(), filler()}));
        if (!one || !two)
            return std::nullopt;
        return FillerCounts {*one, minus(*two, *one)};
    }();
    return counts;
}

} // namespace

std::optional<CFTADocumentFileCheck::Cost> CADesignWeigher::weigh(const CADocument &document)
{
    return weigh(document.propertyListForComponents(nullptr));
}

std::optional<CFTADocumentFileCheck::Cost> CADesignWeigher::weigh(const PWPlist &saved)
{
    m_partsCounted = 0;
    m_partsKept = 0;
    const std::optional<FillerCounts> &filled = fillerCounts();
    if (saved.isNull() || !filled) {
        m_entries.clear();
        m_rest.reset();
        return std::nullopt;
    }
    // The entries of the front side's lists, each list in the rest standing as one filler entry.
    PWPlist rest = saved;
    PWPlist::Array entries;
    int fillers = 0;
    if (saved.isDictionary() && saved.value(key_FrontSide).isDictionary()) {
        PWPlist::Dictionary top = saved.toDictionary();
        PWPlist::Dictionary front = top.value(key_FrontSide).toDictionary();
        for (const QString &key : {key_Components, key_BackComponents}) {
            const PWPlist list = front.value(key);
            if (!list.isArray() || list.toArray().isEmpty())
                continue;
            entries.append(list.toArray());
            front.insert(key, PWPlist(PWPlist::Array {filler()}));
            ++fillers;
        }
        top.insert(key_FrontSide, PWPlist(front));
        rest = PWPlist(top);
    }
    std::optional<Tally> total = restTally(rest);
    Parts before = std::move(m_entries);
    m_entries.clear();
    for (int i = 0; total && i < fillers; ++i)
        total = minus(*total, filled->entry);
    for (const PWPlist &entry : std::as_const(entries)) {
        if (!total)
            break;
        const std::optional<Tally> counted = entryTally(entry, before, m_entries);
        total = counted ? std::optional<Tally>(plus(*total, *counted)) : std::nullopt;
    }
    if (!total) {
        m_entries.clear();
        m_rest.reset();
        return std::nullopt;
    }
    return CFTADocumentFileCheck::costOfTally(*total);
}

std::optional<PWPlistValueCount::Tally> CADesignWeigher::entryTally(const PWPlist &entry, const Parts &before, Parts &now)
{
    const std::size_t hash = hashOf(entry);
    for (auto [at, end] = before.equal_range(hash); at != end; ++at) {
        if (writtenAlike(at->second.part, entry)) {
            ++m_partsKept;
            now.emplace(hash, at->second);
            return at->second.tally;
        }
    }
    for (auto [at, end] = now.equal_range(hash); at != end; ++at) {
        if (writtenAlike(at->second.part, entry)) {
            ++m_partsKept;
            return at->second.tally;
        }
    }
    ++m_partsCounted;
    const std::optional<Tally> withEntry = tallyOf(listHolding({filler(), entry}));
    if (!withEntry)
        return std::nullopt;
    const Tally counted = minus(*withEntry, fillerCounts()->list);
    now.emplace(hash, Weighed {entry, counted});
    return counted;
}

std::optional<PWPlistValueCount::Tally> CADesignWeigher::restTally(const PWPlist &rest)
{
    if (m_rest && writtenAlike(m_rest->part, rest)) {
        ++m_partsKept;
        return m_rest->tally;
    }
    ++m_partsCounted;
    const std::optional<Tally> counted = tallyOf(rest);
    if (counted)
        m_rest = Weighed {rest, *counted};
    else
        m_rest.reset();
    return counted;
}
