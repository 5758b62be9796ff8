#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSharedData>
#include <QString>
#include <QVariant>

#include <optional>
#include <utility>
#include <variant>

// A property-list value: dictionary (keys kept in insertion order), array, string, data, integer,
// real, boolean, date or UID, or null for "no value". Values are implicitly shared and cheap to copy.
// Texts, data, numbers and dates are held in the value itself, without a block of their own: an
// address book of a hundred thousand persons holds millions of them.
// Reading and writing of the XML and binary forms goes through libplist; malformed bytes answer
// an error with a reason and never crash.
class PWPlist
{
public:
    enum class Type { Null, Dictionary, Array, String, Data, Integer, Real, Boolean, Date, Uid };

    using Array = QList<PWPlist>;

    // A dictionary that keeps its keys in the order they were first inserted.
    class Dictionary
    {
    public:
        using Entry = std::pair<QString, PWPlist>;

        Dictionary() = default;
        Dictionary(std::initializer_list<Entry> entries);

        qsizetype size() const { return m_entries.size(); }
        bool isEmpty() const { return m_entries.isEmpty(); }
        bool contains(const QString &key) const { return indexOf(key) >= 0; }
        // The value under key, or a null value when absent.
        PWPlist value(const QString &key) const;
        // Replaces the value in place when the key exists, else appends it.
        void insert(const QString &key, const PWPlist &value);
        bool remove(const QString &key);
        void clear();
        QStringList keys() const;

        const QList<Entry> &entries() const { return m_entries; }
        QList<Entry>::const_iterator begin() const { return m_entries.cbegin(); }
        QList<Entry>::const_iterator end() const { return m_entries.cend(); }

        // Equal when both hold the same keys with equal values, whatever their order.
        bool operator==(const Dictionary &other) const;
        bool operator!=(const Dictionary &other) const { return !(*this == other); }

    private:
        // Dictionaries this large keep the index; smaller ones, which are most, are searched.
        static constexpr qsizetype kIndexedFrom = 16;
        qsizetype indexOf(const QString &key) const;
        void reindex();
        QList<Entry> m_entries;
        // Key -> position in m_entries, with kIndexedFrom entries or more; empty below, since a
        // hash's least table costs far more than the few entries of an address.
        QHash<QString, qsizetype> m_index;
    };

    PWPlist() = default;
    PWPlist(const Dictionary &dictionary);
    PWPlist(const Array &array);

    static PWPlist fromString(const QString &value);
    static PWPlist fromData(const QByteArray &value);
    static PWPlist fromInteger(qint64 value);
    static PWPlist fromReal(double value);
    static PWPlist fromBool(bool value);
    static PWPlist fromDate(const QDateTime &value);
    static PWPlist fromUid(quint64 value);

    Type type() const;
    bool isNull() const { return type() == Type::Null; }
    bool isDictionary() const { return type() == Type::Dictionary; }
    bool isArray() const { return type() == Type::Array; }
    bool isString() const { return type() == Type::String; }
    bool isData() const { return type() == Type::Data; }
    bool isInteger() const { return type() == Type::Integer; }
    bool isReal() const { return type() == Type::Real; }
    bool isNumber() const { return isInteger() || isReal(); }
    bool isBool() const { return type() == Type::Boolean; }
    bool isDate() const { return type() == Type::Date; }
    bool isUid() const { return type() == Type::Uid; }

    // Each accessor answers the held value when the type matches, else an empty value (0, false,
    // empty string, empty container). toInteger and toReal convert between the two number kinds.
    QString toString() const;
    QByteArray toData() const;
    qint64 toInteger() const;
    double toReal() const;
    bool toBool() const;
    QDateTime toDate() const;
    quint64 toUid() const;
    const Array &toArray() const;
    const Dictionary &toDictionary() const;

    // Dictionary lookup; a null value when this is no dictionary or the key is absent.
    PWPlist value(const QString &key) const;
    // Array element; a null value when out of range or this is no array.
    PWPlist at(qsizetype index) const;

    bool operator==(const PWPlist &other) const;
    bool operator!=(const PWPlist &other) const { return !(*this == other); }

    // Parses XML or binary property-list bytes (the form is told by the leading bytes).
    // Answers nothing and sets error to a reason when the bytes are not a property list, or
    // nest deeper than maxDepth.
    static std::optional<PWPlist> parse(const QByteArray &bytes, QString *error = nullptr,
                                        int maxDepth = 256);
    static std::optional<PWPlist> readFile(const QString &path, QString *error = nullptr);
    // How many dictionaries of the bytes (XML or binary) hold key, counted before any tree is
    // built, in time linear in the bytes, so that a file too large for its use is refused before
    // it is read; nothing when the bytes are no property list of either form. Keys are compared as
    // a reader decodes them, and a shared dictionary counts at every use (PWPlistValueCount).
    static std::optional<qsizetype> countDictionariesHolding(const QByteArray &bytes, const QString &key);

    // Serialized forms; a null value (nowhere representable) is written as an empty string.
    QByteArray toXml() const;
    QByteArray toBinary() const;

    // Conversion to and from Qt's variants: maps become dictionaries (sorted keys), lists arrays,
    // byte arrays data, date-times dates; a null value is an invalid QVariant.
    QVariant toVariant() const;
    static PWPlist fromVariant(const QVariant &value);

private:
    // Dictionaries and arrays are shared whole: a copy of a value never copies its members.
    struct DictionaryBox : QSharedData
    {
        Dictionary dictionary;
    };
    struct ArrayBox : QSharedData
    {
        Array array;
    };
    // One alternative per Type, in the order of Type.
    using Storage = std::variant<std::monostate, QExplicitlySharedDataPointer<const DictionaryBox>,
                                 QExplicitlySharedDataPointer<const ArrayBox>, QString, QByteArray, qint64, double,
                                 bool, QDateTime, quint64>;
    Storage m_value;
};

Q_DECLARE_METATYPE(PWPlist)
