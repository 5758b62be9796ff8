#pragma once

#include "platform/PWMultiValue.h"
#include "platform/PWPlist.h"

#include <QByteArray>
#include <QHash>
#include <QMap>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <utility>

// The kind of value a person property holds.
enum class PWPropertyType { String, Date, Data, MultiString, MultiDate, MultiDictionary };

// One person of the address book or of a contact source: single values (texts, a birthday),
// multi-values (addresses, phones, e-mails, instant messaging, related names, URLs, dates) and
// a picture. A person has an identity (its unique id, one object held by shared pointers) that
// is distinct from what it holds: two persons with the same values are still two persons, and
// whether they count as "the same" is the caller's question (see hasSameValues()).
//
// Only registered properties hold values. The built-in properties of PWPersonProperties.h are
// always registered; the system adds its own text properties (department, custom fields) once
// at start-up through addPropertiesAndTypes(). The registry is process-wide and only grows.
class PWPerson
{
    struct Token
    {
        explicit Token() = default;
    };

public:
    explicit PWPerson(Token, QString uniqueId);
    PWPerson(const PWPerson &) = delete;
    PWPerson &operator=(const PWPerson &) = delete;

    // A new, empty person with a new unique id.
    static std::shared_ptr<PWPerson> create();
    // A person taking over an identity kept elsewhere (an address book file); a new id when empty.
    static std::shared_ptr<PWPerson> createWithUniqueId(const QString &uniqueId);

    QString uniqueId() const { return m_uniqueId; }

    // --- the property registry ----------------------------------------------------------------

    // Registers the properties not known yet; answers how many were added. A name already
    // registered keeps its first type.
    static int addPropertiesAndTypes(const QList<std::pair<QString, PWPropertyType>> &properties);
    // Every registered property, built-in ones first, then in registration order.
    static QStringList properties();
    static std::optional<PWPropertyType> typeOfProperty(const QString &property);
    static bool isBuiltInProperty(const QString &property);
    static bool isMultiValueType(PWPropertyType type);

    // --- values ---------------------------------------------------------------------------------

    // The single value of a property; null when it has none or the property is multi-valued.
    PWPlist valueForProperty(const QString &property) const;
    // Convenience: the text of a single-valued text property (empty when none).
    QString stringForProperty(const QString &property) const;
    // The multi-value of a property; nothing when it has none or the property is single-valued.
    std::optional<PWMultiValue> multiValueForProperty(const QString &property) const;

    // Sets a single value; a null value removes it. False when the property is not registered,
    // is multi-valued or the value is of the wrong kind.
    bool setValueForProperty(const QString &property, const PWPlist &value);
    // Sets a multi-value whose values all are of the property's kind; false otherwise.
    bool setMultiValueForProperty(const QString &property, const PWMultiValue &value);
    bool removeValueForProperty(const QString &property);
    bool hasValueForProperty(const QString &property) const;
    // Properties holding a value, in registry order.
    QStringList propertiesWithValues() const;

    // The picture's file bytes (any format images read), empty when there is none.
    QByteArray imageData() const { return m_imageData; }
    void setImageData(const QByteArray &data) { m_imageData = data; }

    // Equal values in every property and the same picture, multi-values compared without their
    // identifiers; identity plays no part.
    bool hasSameValues(const PWPerson &other) const;

private:
    QString m_uniqueId;
    // Maps, not hashes: a person holds a handful of properties, and a hash's least table costs
    // kilobytes, which an address book of a hundred thousand persons pays in full.
    QMap<QString, PWPlist> m_values;
    QMap<QString, PWMultiValue> m_multiValues;
    QByteArray m_imageData;
};
