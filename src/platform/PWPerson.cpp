#include "platform/PWPerson.h"

#include "platform/PWPersonProperties.h"
#include "platform/PWUniqueIdentifier.h"

#include <mutex>

namespace {

struct Registry
{
    std::mutex mutex;
    QList<std::pair<QString, PWPropertyType>> ordered;
    QHash<QString, PWPropertyType> types;
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
            ordered.append(entry);
            types.insert(entry.first, entry.second);
        }
        builtInCount = ordered.size();
    }
};

Registry &registry()
{
    static Registry instance;
    return instance;
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

PWPerson::PWPerson(Token, QString uniqueId)
    : m_uniqueId(std::move(uniqueId))
{
}

std::shared_ptr<PWPerson> PWPerson::create()
{
    return createWithUniqueId(QString());
}

std::shared_ptr<PWPerson> PWPerson::createWithUniqueId(const QString &uniqueId)
{
    const QString id =
        uniqueId.isEmpty() ? PWNewUniqueIdentifier() : uniqueId;
    return std::make_shared<PWPerson>(Token(), id);
}

int PWPerson::addPropertiesAndTypes(const QList<std::pair<QString, PWPropertyType>> &properties)
{
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    int added = 0;
    for (const auto &entry : properties) {
        if (entry.first.isEmpty() || r.types.contains(entry.first))
            continue;
        r.ordered.append(entry);
        r.types.insert(entry.first, entry.second);
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
    const auto found = r.types.constFind(property);
    if (found == r.types.constEnd())
        return std::nullopt;
    return *found;
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

PWPlist PWPerson::valueForProperty(const QString &property) const
{
    return m_values.value(property);
}

QString PWPerson::stringForProperty(const QString &property) const
{
    return m_values.value(property).toString();
}

std::optional<PWMultiValue> PWPerson::multiValueForProperty(const QString &property) const
{
    const auto found = m_multiValues.constFind(property);
    if (found == m_multiValues.constEnd())
        return std::nullopt;
    return *found;
}

bool PWPerson::setValueForProperty(const QString &property, const PWPlist &value)
{
    const std::optional<PWPropertyType> type = typeOfProperty(property);
    if (!type || isMultiValueType(*type))
        return false;
    if (value.isNull()) {
        m_values.remove(property);
        return true;
    }
    if (!valueFits(value, *type))
        return false;
    m_values.insert(property, value);
    return true;
}

bool PWPerson::setMultiValueForProperty(const QString &property, const PWMultiValue &value)
{
    const std::optional<PWPropertyType> type = typeOfProperty(property);
    if (!type || !isMultiValueType(*type))
        return false;
    for (const PWMultiValue::Entry &entry : value.entries()) {
        if (!valueFits(entry.value, *type))
            return false;
    }
    m_multiValues.insert(property, value);
    return true;
}

bool PWPerson::removeValueForProperty(const QString &property)
{
    return m_values.remove(property) > 0 || m_multiValues.remove(property) > 0;
}

bool PWPerson::hasValueForProperty(const QString &property) const
{
    return m_values.contains(property) || m_multiValues.contains(property);
}

QStringList PWPerson::propertiesWithValues() const
{
    QStringList names;
    for (const QString &property : properties()) {
        if (hasValueForProperty(property))
            names.append(property);
    }
    return names;
}

bool PWPerson::hasSameValues(const PWPerson &other) const
{
    if (m_values != other.m_values || m_imageData != other.m_imageData
        || m_multiValues.size() != other.m_multiValues.size())
        return false;
    for (auto it = m_multiValues.cbegin(); it != m_multiValues.cend(); ++it) {
        const auto found = other.m_multiValues.constFind(it.key());
        if (found == other.m_multiValues.constEnd() || !it.value().hasSameValues(*found))
            return false;
    }
    return true;
}
