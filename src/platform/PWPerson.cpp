#include "platform/PWPerson.h"

#include "platform/PWPersonProperties.h"
#include "platform/PWUniqueIdentifier.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>
#include <new>
#include <type_traits>

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

union PWPerson::Slot
{
    Slot() {}
    ~Slot() {}
    PWPlist single;
    PWMultiValue multi;
};

namespace {

constexpr std::size_t kSlotAlignment = 8;

// Where the slots start in a block of count keys.
std::size_t slotsOffset(quint32 count)
{
    const std::size_t keys = count * sizeof(quint32);
    return (keys + kSlotAlignment - 1) / kSlotAlignment * kSlotAlignment;
}

} // namespace

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
    static_assert(alignof(Slot) <= kSlotAlignment && sizeof(Slot) == sizeof(PWPlist));
    const auto *keys = reinterpret_cast<const quint32 *>(m_block.get());
    auto *slots = reinterpret_cast<Slot *>(m_block.get() + slotsOffset(m_count));
    for (quint32 i = 0; i < m_count; ++i) {
        if (keys[i] & kMultiKey)
            slots[i].multi.~PWMultiValue();
        else
            slots[i].single.~PWPlist();
    }
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

qsizetype PWPerson::positionOf(quint32 key) const
{
    const auto *keys = reinterpret_cast<const quint32 *>(m_block.get());
    const quint32 *end = keys + m_count;
    const quint32 *found = std::lower_bound(keys, end, key & ~kMultiKey,
                                            [](quint32 held, quint32 place) { return (held & ~kMultiKey) < place; });
    return found - keys;
}

// The position of the property's value, when the person holds one; multi, when given, must match
// the kind of property too.
std::optional<qsizetype> PWPerson::heldPosition(const QString &property, std::optional<bool> multi) const
{
    if (m_count == 0)
        return std::nullopt;
    const std::optional<Place> place = placeOf(property);
    if (!place || (multi && bool(place->key & kMultiKey) != *multi))
        return std::nullopt;
    const qsizetype position = positionOf(place->key);
    const auto *keys = reinterpret_cast<const quint32 *>(m_block.get());
    if (position >= qsizetype(m_count) || keys[position] != place->key)
        return std::nullopt;
    return position;
}

const PWPerson::Slot *PWPerson::slotFor(const QString &property, bool multi) const
{
    const std::optional<qsizetype> position = heldPosition(property, multi);
    if (!position)
        return nullptr;
    return reinterpret_cast<const Slot *>(m_block.get() + slotsOffset(m_count)) + *position;
}

// Replaces the value of key, or makes the block anew with a slot for it in its place.
void PWPerson::put(quint32 key, const PWPlist *single, const PWMultiValue *multi)
{
    const qsizetype position = positionOf(key);
    auto *keys = reinterpret_cast<quint32 *>(m_block.get());
    auto *slots = reinterpret_cast<Slot *>(m_block.get() + slotsOffset(m_count));
    // Values are copied before anything changes and then only moved, and moves never throw: a
    // copy that fails leaves the person as it was.
    static_assert(std::is_nothrow_move_constructible_v<PWPlist> && std::is_nothrow_move_assignable_v<PWPlist>
                  && std::is_nothrow_move_constructible_v<PWMultiValue>
                  && std::is_nothrow_move_assignable_v<PWMultiValue>);
    if (position < qsizetype(m_count) && keys[position] == key) {
        if (multi)
            slots[position].multi = PWMultiValue(*multi);
        else
            slots[position].single = PWPlist(*single);
        return;
    }
    const quint32 count = m_count + 1;
    std::unique_ptr<std::byte[]> block(new std::byte[slotsOffset(count) + count * sizeof(Slot)]);
    auto *newKeys = reinterpret_cast<quint32 *>(block.get());
    auto *newSlots = reinterpret_cast<Slot *>(block.get() + slotsOffset(count));
    if (multi)
        new (&newSlots[position].multi) PWMultiValue(*multi);
    else
        new (&newSlots[position].single) PWPlist(*single);
    newKeys[position] = key;
    for (quint32 from = 0; from < m_count; ++from) {
        const quint32 to = from < quint32(position) ? from : from + 1;
        newKeys[to] = keys[from];
        if (keys[from] & kMultiKey) {
            new (&newSlots[to].multi) PWMultiValue(std::move(slots[from].multi));
            slots[from].multi.~PWMultiValue();
        } else {
            new (&newSlots[to].single) PWPlist(std::move(slots[from].single));
            slots[from].single.~PWPlist();
        }
    }
    m_block = std::move(block);
    m_count = count;
}

void PWPerson::removeAt(qsizetype position)
{
    auto *keys = reinterpret_cast<quint32 *>(m_block.get());
    auto *slots = reinterpret_cast<Slot *>(m_block.get() + slotsOffset(m_count));
    const quint32 count = m_count - 1;
    std::unique_ptr<std::byte[]> block;
    if (count > 0)
        block.reset(new std::byte[slotsOffset(count) + count * sizeof(Slot)]);
    auto *newKeys = reinterpret_cast<quint32 *>(block.get());
    auto *newSlots = reinterpret_cast<Slot *>(block.get() + slotsOffset(count));
    for (quint32 from = 0; from < m_count; ++from) {
        const bool isMulti = keys[from] & kMultiKey;
        if (from != quint32(position)) {
            const quint32 to = from < quint32(position) ? from : from - 1;
            newKeys[to] = keys[from];
            if (isMulti)
                new (&newSlots[to].multi) PWMultiValue(std::move(slots[from].multi));
            else
                new (&newSlots[to].single) PWPlist(std::move(slots[from].single));
        }
        if (isMulti)
            slots[from].multi.~PWMultiValue();
        else
            slots[from].single.~PWPlist();
    }
    m_block = std::move(block);
    m_count = count;
}

PWPlist PWPerson::valueForProperty(const QString &property) const
{
    const Slot *slot = slotFor(property, false);
    return slot ? slot->single : PWPlist();
}

QString PWPerson::stringForProperty(const QString &property) const
{
    const Slot *slot = slotFor(property, false);
    return slot ? slot->single.toString() : QString();
}

std::optional<PWMultiValue> PWPerson::multiValueForProperty(const QString &property) const
{
    const Slot *slot = slotFor(property, true);
    if (!slot)
        return std::nullopt;
    return slot->multi;
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
    QStringList names;
    names.reserve(m_count);
    const auto *keys = reinterpret_cast<const quint32 *>(m_block.get());
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    for (quint32 i = 0; i < m_count; ++i)
        names.append(r.ordered.at(keys[i] & ~kMultiKey).first);
    return names;
}

void PWPerson::setImageData(const QByteArray &data)
{
    m_imageData = data.isEmpty() ? nullptr : std::make_unique<const QByteArray>(data);
}

bool PWPerson::hasSameValues(const PWPerson &other) const
{
    if (m_count != other.m_count || imageData() != other.imageData())
        return false;
    const auto *keys = reinterpret_cast<const quint32 *>(m_block.get());
    const auto *otherKeys = reinterpret_cast<const quint32 *>(other.m_block.get());
    const auto *slots = reinterpret_cast<const Slot *>(m_block.get() + slotsOffset(m_count));
    const auto *otherSlots = reinterpret_cast<const Slot *>(other.m_block.get() + slotsOffset(m_count));
    for (quint32 i = 0; i < m_count; ++i) {
        if (keys[i] != otherKeys[i])
            return false;
        const bool same = (keys[i] & kMultiKey) ? slots[i].multi.hasSameValues(otherSlots[i].multi)
                                                : slots[i].single == otherSlots[i].single;
        if (!same)
            return false;
    }
    return true;
}
