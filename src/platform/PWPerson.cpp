#include "platform/PWPerson.h"

#include "platform/PWPersonPacking.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWUniqueIdentifier.h"

#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <atomic>
#include <limits>
#include <mutex>
#include <new>
#include <vector>

namespace {

struct Registry
{
    std::mutex mutex;
    QList<std::pair<QString, PWPropertyType>> ordered;
    // Name -> place in ordered.
    QHash<QString, qsizetype> places;
    qsizetype builtInCount = 0;

    Registry()
    {
        const QList<std::pair<QString, PWPropertyType>> builtIn = {
            {kPWFirstNameProperty, PWPropertyType::String},
            {kPWLastNameProperty, PWPropertyType::String},
            {kPWMiddleNameProperty, PWPropertyType::String},
            {kPWMaidenNameProperty, PWPropertyType::String},
            {kPWNicknameProperty, PWPropertyType::String},
            {kPWTitleProperty, PWPropertyType::String},
            {kPWSuffixProperty, PWPropertyType::String},
            {kPWOrganizationProperty, PWPropertyType::String},
            {kPWJobTitleProperty, PWPropertyType::String},
            {kPWHomePageProperty, PWPropertyType::String},
            {kPWNoteProperty, PWPropertyType::String},
            {kPWPersonFlagsProperty, PWPropertyType::String},
            {kPWBirthdayProperty, PWPropertyType::Date},
            {kPWAddressProperty, PWPropertyType::MultiDictionary},
            {kPWPhoneProperty, PWPropertyType::MultiString},
            {kPWEmailProperty, PWPropertyType::MultiString},
            {kPWAIMInstantProperty, PWPropertyType::MultiString},
            {kPWJabberInstantProperty, PWPropertyType::MultiString},
            {kPWMSNInstantProperty, PWPropertyType::MultiString},
            {kPWICQInstantProperty, PWPropertyType::MultiString},
            {kPWYahooInstantProperty, PWPropertyType::MultiString},
            {kPWURLsProperty, PWPropertyType::MultiString},
            {kPWOtherDatesProperty, PWPropertyType::MultiDate},
            {kPWRelatedNamesProperty, PWPropertyType::MultiString},
        };
        for (const auto &entry : builtIn) {
            places.insert(entry.first, ordered.size());
            ordered.append(entry);
        }
        builtInCount = ordered.size();
    }
};

Registry &registry()
{
    static Registry instance;
    return instance;
}

// A slot's key: the property's place in the registry, with the top bit set for a multi-value.
constexpr quint32 kMultiKey = 0x80000000u;

struct Place
{
    quint32 key;
    PWPropertyType type;
};

std::optional<Place> lookUp(const QString &property)
{
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    const auto found = r.places.constFind(property);
    if (found == r.places.constEnd())
        return std::nullopt;
    const PWPropertyType type = r.ordered.at(*found).second;
    return Place{quint32(*found) | (PWPerson::isMultiValueType(type) ? kMultiKey : 0u), type};
}

// Every read of a value finds its property's place: filtering a list of thousands of persons
// reads hundreds of thousands of values, and a lock and a string hash for each cost three times
// the rest of the work. A registered name keeps its place for good, so each thread remembers the
// places of the names it last asked for, each under a cheap mix of its length and characters
// and compared whole. A remembered name is a copy of its own, never the caller's characters.
std::optional<Place> placeOf(const QString &property)
{
    constexpr qsizetype kRemembered = 64;
    thread_local std::array<std::pair<QString, Place>, kRemembered> remembered;
    const qsizetype size = property.size();
    if (size == 0)
        return std::nullopt;
    const QChar *text = property.constData();
    const std::size_t mix = std::size_t(size) * 31 + text[0].unicode() * 7 + text[size / 2].unicode() * 3
                            + text[size - 1].unicode();
    std::pair<QString, Place> &slot = remembered[mix % kRemembered];
    if (slot.first == property)
        return slot.second;
    const std::optional<Place> place = lookUp(property);
    if (place)
        slot = {QString(text, size), *place};
    return place;
}

bool valueFits(const PWPlist &value, PWPropertyType type)
{
    switch (type) {
    case PWPropertyType::String:
    case PWPropertyType::MultiString:
        return value.isString();
    case PWPropertyType::Date:
    case PWPropertyType::MultiDate:
        return value.isDate();
    case PWPropertyType::Data:
        return value.isData();
    case PWPropertyType::MultiDictionary:
        return value.isDictionary();
    }
    return false;
}

} // namespace

using namespace PWPersonPacking;

// Every value of a person as objects, ascending by key: what a change of a person holding boxed
// values works on.
struct PWPerson::Loose
{
    struct Value
    {
        quint32 key;
        PWPlist single;
        PWMultiValue multi;
    };
    std::vector<Value> values;
};

PWPerson::PWPerson(Token, QString uniqueId)
    : m_uniqueId(std::move(uniqueId))
{
}

PWPerson::PWPerson(Token, const PWUniqueIdentifierBits &uniqueId)
    : m_uniqueId(uniqueId)
{
}

QString PWPerson::uniqueId() const
{
    if (const QString *given = std::get_if<QString>(&m_uniqueId))
        return *given;
    return PWUniqueIdentifierText(std::get<PWUniqueIdentifierBits>(m_uniqueId));
}

bool PWPerson::hasUniqueId(const QString &uniqueId) const
{
    if (const QString *given = std::get_if<QString>(&m_uniqueId))
        return *given == uniqueId;
    return PWUniqueIdentifierMatches(std::get<PWUniqueIdentifierBits>(m_uniqueId), uniqueId);
}

PWPerson::~PWPerson()
{
    if (m_block && !m_block->deref())
        Block::deallocate(m_block);
}

std::shared_ptr<PWPerson> PWPerson::create()
{
    return std::make_shared<PWPerson>(Token(), PWNewUniqueIdentifierBits());
}

std::shared_ptr<PWPerson> PWPerson::createWithUniqueId(const QString &uniqueId)
{
    if (uniqueId.isEmpty())
        return create();
    return std::make_shared<PWPerson>(Token(), uniqueId);
}

int PWPerson::addPropertiesAndTypes(const QList<std::pair<QString, PWPropertyType>> &properties)
{
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    int added = 0;
    for (const auto &entry : properties) {
        // Past this many, a place would not fit a slot's key.
        if (entry.first.isEmpty() || r.places.contains(entry.first) || r.ordered.size() >= qsizetype(kMultiKey - 1))
            continue;
        r.places.insert(entry.first, r.ordered.size());
        r.ordered.append(entry);
        ++added;
    }
    return added;
}

QStringList PWPerson::properties()
{
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    QStringList names;
    names.reserve(r.ordered.size());
    for (const auto &entry : std::as_const(r.ordered))
        names.append(entry.first);
    return names;
}

std::optional<PWPropertyType> PWPerson::typeOfProperty(const QString &property)
{
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    const auto found = r.places.constFind(property);
    if (found == r.places.constEnd())
        return std::nullopt;
    return r.ordered.at(*found).second;
}

bool PWPerson::isBuiltInProperty(const QString &property)
{
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    for (qsizetype i = 0; i < r.builtInCount; ++i) {
        if (r.ordered.at(i).first == property)
            return true;
    }
    return false;
}

bool PWPerson::isMultiValueType(PWPropertyType type)
{
    return type == PWPropertyType::MultiString || type == PWPropertyType::MultiDate
           || type == PWPropertyType::MultiDictionary;
}

quint32 PWPerson::count() const
{
    return m_block ? unitsOf(m_block)[2] : 0;
}

qsizetype PWPerson::positionOf(quint32 key) const
{
    const char16_t *index = m_block ? unitsOf(m_block) + kHeaderUnits : nullptr;
    qsizetype low = 0;
    qsizetype high = count();
    while (low < high) {
        const qsizetype middle = (low + high) / 2;
        if ((read32(index + kIndexUnits * middle) & ~kMultiKey) < (key & ~kMultiKey))
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

// The position of the property's value, when the person holds one; multi, when given, must match
// the kind of property too.
std::optional<qsizetype> PWPerson::heldPosition(const QString &property, std::optional<bool> multi) const
{
    if (!m_block)
        return std::nullopt;
    const std::optional<Place> place = placeOf(property);
    if (!place || (multi && bool(place->key & kMultiKey) != *multi))
        return std::nullopt;
    const qsizetype position = positionOf(place->key);
    if (position >= qsizetype(count()) || read32(unitsOf(m_block) + kHeaderUnits + kIndexUnits * position) != place->key)
        return std::nullopt;
    return position;
}

const char16_t *PWPerson::valueFor(const QString &property, bool multi) const
{
    const std::optional<qsizetype> position = heldPosition(property, multi);
    if (!position)
        return nullptr;
    const char16_t *units = unitsOf(m_block);
    return units + read32(units + kHeaderUnits + kIndexUnits * *position + 2);
}

PWPerson::Loose PWPerson::loose() const
{
    Loose loose;
    const quint32 held = count();
    loose.values.reserve(held);
    const char16_t *units = m_block ? unitsOf(m_block) : nullptr;
    for (quint32 i = 0; i < held; ++i) {
        const quint32 key = read32(units + kHeaderUnits + kIndexUnits * i);
        PWPersonUnpacker unpacker(m_block, units + read32(units + kHeaderUnits + kIndexUnits * i + 2), m_boxed.get());
        if (key & kMultiKey)
            loose.values.push_back({key, PWPlist(), unpacker.multi()});
        else
            loose.values.push_back({key, unpacker.value(), PWMultiValue()});
    }
    return loose;
}

// Packs the values anew: the boxed values are those of the new block only.
void PWPerson::adopt(Loose &&values)
{
    Units units;
    QList<PWPlist> boxed;
    std::vector<std::pair<quint32, qsizetype>> starts;
    PWPersonPacker packer(units, boxed);
    for (const Loose::Value &value : values.values) {
        starts.emplace_back(value.key, qsizetype(units.size()));
        if (value.key & kMultiKey)
            packer.multi(value.multi);
        else
            packer.value(value.single);
    }
    PackedValues packed;
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const qsizetype end = i + 1 < starts.size() ? starts[i + 1].second : qsizetype(units.size());
        packed.push_back({starts[i].first, units.data() + starts[i].second, end - starts[i].second});
    }
    Block *block = makeBlock(packed);
    if (m_block && !m_block->deref())
        Block::deallocate(m_block);
    m_block = block;
    m_boxed = boxed.isEmpty() ? nullptr : std::make_unique<QList<PWPlist>>(std::move(boxed));
}

// Replaces the value of key, or adds it in its place. A person without boxed values (most) has its
// other values copied over as they are packed; one with boxed values is packed anew, so that no
// boxed value outlives its property.
void PWPerson::put(quint32 key, const PWPlist *single, const PWMultiValue *multi)
{
    const qsizetype position = positionOf(key);
    const quint32 held = count();
    const char16_t *units = m_block ? unitsOf(m_block) : nullptr;
    const bool replaces = position < qsizetype(held) && read32(units + kHeaderUnits + kIndexUnits * position) == key;
    if (m_boxed) {
        Loose values = loose();
        Loose::Value value{key, single ? *single : PWPlist(), multi ? *multi : PWMultiValue()};
        if (replaces)
            values.values[std::size_t(position)] = std::move(value);
        else
            values.values.insert(values.values.begin() + position, std::move(value));
        adopt(std::move(values));
        return;
    }
    Units fresh;
    QList<PWPlist> boxed;
    PWPersonPacker packer(fresh, boxed);
    if (multi)
        packer.multi(*multi);
    else
        packer.value(*single);
    PackedValues packed;
    const qsizetype total = units ? qsizetype(read32(units)) : 0;
    for (quint32 i = 0; i < held; ++i) {
        const char16_t *index = units + kHeaderUnits + kIndexUnits * i;
        const qsizetype start = read32(index + 2);
        const qsizetype end = i + 1 < held ? qsizetype(read32(index + kIndexUnits + 2)) : total;
        if (qsizetype(i) == position) {
            packed.push_back({key, fresh.data(), qsizetype(fresh.size())});
            if (replaces)
                continue;
        }
        packed.push_back({read32(index), units + start, end - start});
    }
    if (position == qsizetype(held))
        packed.push_back({key, fresh.data(), qsizetype(fresh.size())});
    Block *block = makeBlock(packed);
    if (m_block && !m_block->deref())
        Block::deallocate(m_block);
    m_block = block;
    if (!boxed.isEmpty())
        m_boxed = std::make_unique<QList<PWPlist>>(std::move(boxed));
}

void PWPerson::removeAt(qsizetype position)
{
    Loose values = loose();
    values.values.erase(values.values.begin() + position);
    adopt(std::move(values));
}

PWPlist PWPerson::valueForProperty(const QString &property) const
{
    const char16_t *at = valueFor(property, false);
    return at ? PWPersonUnpacker(m_block, at, m_boxed.get()).value() : PWPlist();
}

QString PWPerson::stringForProperty(const QString &property) const
{
    const char16_t *at = valueFor(property, false);
    return at ? PWPersonUnpacker(m_block, at, m_boxed.get()).string() : QString();
}

std::optional<PWMultiValue> PWPerson::multiValueForProperty(const QString &property) const
{
    const char16_t *at = valueFor(property, true);
    if (!at)
        return std::nullopt;
    return PWPersonUnpacker(m_block, at, m_boxed.get()).multi();
}

bool PWPerson::setValueForProperty(const QString &property, const PWPlist &value)
{
    const std::optional<Place> place = placeOf(property);
    if (!place || (place->key & kMultiKey))
        return false;
    if (value.isNull()) {
        removeValueForProperty(property);
        return true;
    }
    if (!valueFits(value, place->type))
        return false;
    put(place->key, &value, nullptr);
    return true;
}

bool PWPerson::setMultiValueForProperty(const QString &property, const PWMultiValue &value)
{
    const std::optional<Place> place = placeOf(property);
    if (!place || !(place->key & kMultiKey))
        return false;
    for (const PWMultiValue::Entry &entry : value.entries()) {
        if (!valueFits(entry.value, place->type))
            return false;
    }
    put(place->key, nullptr, &value);
    return true;
}

bool PWPerson::removeValueForProperty(const QString &property)
{
    const std::optional<qsizetype> position = heldPosition(property, std::nullopt);
    if (!position)
        return false;
    removeAt(*position);
    return true;
}

bool PWPerson::hasValueForProperty(const QString &property) const
{
    return heldPosition(property, std::nullopt).has_value();
}

QStringList PWPerson::propertiesWithValues() const
{
    const quint32 held = count();
    QStringList names;
    names.reserve(held);
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    for (quint32 i = 0; i < held; ++i)
        names.append(r.ordered.at(read32(unitsOf(m_block) + kHeaderUnits + kIndexUnits * i) & ~kMultiKey).first);
    return names;
}

void PWPerson::setImageData(const QByteArray &data)
{
    m_imageData = data.isEmpty() ? nullptr : std::make_unique<const QByteArray>(data);
}

bool PWPerson::hasSameValues(const PWPerson &other) const
{
    if (count() != other.count() || imageData() != other.imageData())
        return false;
    const Loose mine = loose();
    const Loose theirs = other.loose();
    for (std::size_t i = 0; i < mine.values.size(); ++i) {
        const Loose::Value &a = mine.values[i];
        const Loose::Value &b = theirs.values[i];
        if (a.key != b.key)
            return false;
        const bool same = (a.key & kMultiKey) ? a.multi.hasSameValues(b.multi) : a.single == b.single;
        if (!same)
            return false;
    }
    return true;
}
