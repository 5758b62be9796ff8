#pragma once

#include "platform/PWMultiValue.h"
#include "platform/PWPlist.h"
#include "platform/PWUniqueIdentifier.h"

#include <QArrayData>
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <memory>
#include <optional>
#include <utility>
#include <variant>

struct PWVCardOriginal;

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
    explicit PWPerson(Token, const PWUniqueIdentifierBits &uniqueId);
    ~PWPerson();
    PWPerson(const PWPerson &) = delete;
    PWPerson &operator=(const PWPerson &) = delete;

    // A new, empty person with a new unique id.
    static std::shared_ptr<PWPerson> create();
    // A person taking over an identity kept elsewhere (an address book file); a new id when empty.
    static std::shared_ptr<PWPerson> createWithUniqueId(const QString &uniqueId);

    QString uniqueId() const;
    // uniqueId() == uniqueId, without making the text of an id drawn here.
    bool hasUniqueId(const QString &uniqueId) const;

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
    QByteArray imageData() const { return m_imageData ? *m_imageData : QByteArray(); }
    void setImageData(const QByteArray &data);

    // Equal values in every property and the same picture, multi-values compared without their
    // identifiers; identity plays no part.
    bool hasSameValues(const PWPerson &other) const;

    // The card the person was read from, when it keeps one (a person of the address book, a
    // stored person): what writes the person again merges it into that card (PWVCardMerge), so
    // that every line its edits did not change stays as written. It plays no part in the values.
    const std::shared_ptr<const PWVCardOriginal> &sourceCard() const { return m_sourceCard; }
    void setSourceCard(std::shared_ptr<const PWVCardOriginal> card) { m_sourceCard = std::move(card); }

private:
    struct Loose;
    using Block = QTypedArrayData<char16_t>;

    qsizetype positionOf(quint32 key) const;
    std::optional<qsizetype> heldPosition(const QString &property, std::optional<bool> multi) const;
    // Where the value of the property starts in the block; null when the person holds none.
    const char16_t *valueFor(const QString &property, bool multi) const;
    void put(quint32 key, const PWPlist *single, const PWMultiValue *multi);
    void removeAt(qsizetype position);
    quint32 count() const;
    Loose loose() const;
    void adopt(Loose &&values);

    // An id drawn here is held as its bits, one taken over as its text.
    std::variant<PWUniqueIdentifierBits, QString> m_uniqueId;
    // Every value in one block of 16-bit units, allocated as texts are, so that the texts a person
    // answers share the block instead of each being a block of its own: an address book of a
    // hundred thousand persons pays each byte a person spends a hundred thousand times, and a
    // person held as objects (a value, a dictionary, a list per address) spends ten times the text
    // it was read from. The block holds its length, the number of properties, for each property
    // its key (the registry index, multi-values marked) and where its value starts, ascending by
    // key, then the values packed (see PWPerson.cpp). A block never changes once made: a change
    // makes a new one, and texts answered before keep the old one alive.
    Block *m_block = nullptr;
    // Values other than texts and dictionaries of them (dates, data, numbers, arrays), held as
    // they are; few persons have one.
    std::unique_ptr<QList<PWPlist>> m_boxed;
    // Held apart: few persons have a picture.
    std::unique_ptr<const QByteArray> m_imageData;
    std::shared_ptr<const PWVCardOriginal> m_sourceCard;
};
