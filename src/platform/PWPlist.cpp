#include "platform/PWPlist.h"

#include "platform/PWFileReader.h"
#include "platform/PWPlistBinaryChecker.h"
#include "platform/PWPlistCodec.h"
#include "platform/PWPlistValueCount.h"

#include <QDate>
#include <QLoggingCategory>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <type_traits>
#include <variant>

Q_LOGGING_CATEGORY(lcPlist, "pw.platform.plist")

namespace {

// Reals compare by value, except that NaN equals NaN so that any value equals itself.
bool sameReal(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

} // namespace

// --- Dictionary ---------------------------------------------------------------------------------

PWPlist::Dictionary::Dictionary(std::initializer_list<Entry> entries)
{
    for (const Entry &entry : entries)
        insert(entry.first, entry.second);
}

qsizetype PWPlist::Dictionary::indexOf(const QString &key) const
{
    if (m_entries.size() >= kIndexedFrom)
        return m_index.value(key, -1);
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).first == key)
            return i;
    }
    return -1;
}

PWPlist PWPlist::Dictionary::value(const QString &key) const
{
    const qsizetype found = indexOf(key);
    return found < 0 ? PWPlist() : m_entries.at(found).second;
}

void PWPlist::Dictionary::insert(const QString &key, const PWPlist &value)
{
    if (const qsizetype found = indexOf(key); found >= 0) {
        m_entries[found].second = value;
        return;
    }
    m_entries.append(Entry(key, value));
    if (m_entries.size() == kIndexedFrom)
        reindex();
    else if (m_entries.size() > kIndexedFrom)
        m_index.insert(key, m_entries.size() - 1);
}

bool PWPlist::Dictionary::remove(const QString &key)
{
    const qsizetype found = indexOf(key);
    if (found < 0)
        return false;
    m_entries.removeAt(found);
    reindex();
    return true;
}

void PWPlist::Dictionary::clear()
{
    m_entries.clear();
    m_index.clear();
}

QStringList PWPlist::Dictionary::keys() const
{
    QStringList result;
    result.reserve(m_entries.size());
    for (const Entry &entry : m_entries)
        result.append(entry.first);
    return result;
}

bool PWPlist::Dictionary::operator==(const Dictionary &other) const
{
    if (m_entries.size() != other.m_entries.size())
        return false;
    for (const Entry &entry : m_entries) {
        const qsizetype found = other.indexOf(entry.first);
        if (found < 0 || other.m_entries.at(found).second != entry.second)
            return false;
    }
    return true;
}

void PWPlist::Dictionary::reindex()
{
    m_index.clear();
    if (m_entries.size() < kIndexedFrom)
        return;
    m_index.reserve(m_entries.size());
    for (qsizetype i = 0; i < m_entries.size(); ++i)
        m_index.insert(m_entries.at(i).first, i);
}

// --- Construction and access --------------------------------------------------------------------

PWPlist::PWPlist(const Dictionary &dictionary)
{
    auto box = new DictionaryBox;
    box->dictionary = dictionary;
    m_value = QExplicitlySharedDataPointer<const DictionaryBox>(box);
}

PWPlist::PWPlist(const Array &array)
{
    auto box = new ArrayBox;
    box->array = array;
    m_value = QExplicitlySharedDataPointer<const ArrayBox>(box);
}

PWPlist PWPlist::fromString(const QString &value)
{
    PWPlist result;
    result.m_value.emplace<QString>(value);
    return result;
}

PWPlist PWPlist::fromData(const QByteArray &value)
{
    PWPlist result;
    result.m_value.emplace<QByteArray>(value);
    return result;
}

PWPlist PWPlist::fromInteger(qint64 value)
{
    PWPlist result;
    result.m_value.emplace<qint64>(value);
    return result;
}

PWPlist PWPlist::fromReal(double value)
{
    PWPlist result;
    result.m_value.emplace<double>(value);
    return result;
}

PWPlist PWPlist::fromBool(bool value)
{
    PWPlist result;
    result.m_value.emplace<bool>(value);
    return result;
}

// An invalid date-time is no value at all: it becomes null rather than a date that every
// serialized form would have to invent an instant for.
PWPlist PWPlist::fromDate(const QDateTime &value)
{
    PWPlist result;
    if (value.isValid())
        result.m_value.emplace<QDateTime>(value.toUTC());
    return result;
}

PWPlist PWPlist::fromUid(quint64 value)
{
    PWPlist result;
    result.m_value.emplace<quint64>(value);
    return result;
}

PWPlist::Type PWPlist::type() const
{
    // The kind is the alternative's place; copies and moves of every alternative never throw, so
    // the storage is never left without one.
    static_assert(std::variant_size_v<Storage> == std::size_t(Type::Uid) + 1);
    static_assert(std::is_same_v<std::variant_alternative_t<std::size_t(Type::String), Storage>, QString>
                  && std::is_same_v<std::variant_alternative_t<std::size_t(Type::Date), Storage>, QDateTime>
                  && std::is_same_v<std::variant_alternative_t<std::size_t(Type::Uid), Storage>, quint64>);
    static_assert(std::is_nothrow_copy_constructible_v<QString> && std::is_nothrow_copy_constructible_v<QByteArray>
                  && std::is_nothrow_copy_constructible_v<QDateTime>
                  && std::is_nothrow_copy_constructible_v<QExplicitlySharedDataPointer<const DictionaryBox>>
                  && std::is_nothrow_copy_constructible_v<QExplicitlySharedDataPointer<const ArrayBox>>);
    return static_cast<Type>(m_value.index());
}

QString PWPlist::toString() const
{
    const QString *text = std::get_if<QString>(&m_value);
    return text ? *text : QString();
}

QByteArray PWPlist::toData() const
{
    const QByteArray *data = std::get_if<QByteArray>(&m_value);
    return data ? *data : QByteArray();
}

qint64 PWPlist::toInteger() const
{
    if (isInteger())
        return std::get<qint64>(m_value);
    if (!isReal())
        return 0;
    // Truncates toward zero like a C cast, but saturates instead of overflowing.
    const double real = std::get<double>(m_value);
    if (std::isnan(real))
        return 0;
    if (real >= 9223372036854775808.0)
        return std::numeric_limits<qint64>::max();
    if (real < -9223372036854775808.0)
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(real);
}

double PWPlist::toReal() const
{
    if (isReal())
        return std::get<double>(m_value);
    if (isInteger())
        return static_cast<double>(std::get<qint64>(m_value));
    return 0.0;
}

bool PWPlist::toBool() const
{
    return isBool() && std::get<bool>(m_value);
}

QDateTime PWPlist::toDate() const
{
    return isDate() ? std::get<QDateTime>(m_value) : QDateTime();
}

quint64 PWPlist::toUid() const
{
    return isUid() ? std::get<quint64>(m_value) : 0;
}

const PWPlist::Array &PWPlist::toArray() const
{
    static const Array empty;
    return isArray() ? std::get<QExplicitlySharedDataPointer<const ArrayBox>>(m_value)->array : empty;
}

const PWPlist::Dictionary &PWPlist::toDictionary() const
{
    static const Dictionary empty;
    return isDictionary() ? std::get<QExplicitlySharedDataPointer<const DictionaryBox>>(m_value)->dictionary : empty;
}

PWPlist PWPlist::value(const QString &key) const
{
    return isDictionary() ? toDictionary().value(key) : PWPlist();
}

PWPlist PWPlist::at(qsizetype index) const
{
    const Array &array = toArray();
    return index >= 0 && index < array.size() ? array.at(index) : PWPlist();
}

bool PWPlist::operator==(const PWPlist &other) const
{
    const Type kind = type();
    if (kind != other.type())
        return false;
    switch (kind) {
    case Type::Null:
        return true;
    case Type::Dictionary: {
        const auto &a = std::get<QExplicitlySharedDataPointer<const DictionaryBox>>(m_value);
        const auto &b = std::get<QExplicitlySharedDataPointer<const DictionaryBox>>(other.m_value);
        return a == b || a->dictionary == b->dictionary;
    }
    case Type::Array: {
        const auto &a = std::get<QExplicitlySharedDataPointer<const ArrayBox>>(m_value);
        const auto &b = std::get<QExplicitlySharedDataPointer<const ArrayBox>>(other.m_value);
        return a == b || a->array == b->array;
    }
    case Type::Real:
        return sameReal(toReal(), other.toReal());
    case Type::Date:
        // Instants, not representations: the same moment in two time specs is one date.
        return toDate() == other.toDate();
    default:
        return m_value == other.m_value;
    }
}

// --- Reading and writing ------------------------------------------------------------------------

std::optional<PWPlist> PWPlist::parse(const QByteArray &bytes, QString *error, int maxDepth)
{
    QString reason;
    std::optional<PWPlist> result = PWPlistCodec::decode(bytes, &reason, maxDepth);
    if (!result)
        qCWarning(lcPlist).noquote() << "property list not read:" << reason;
    if (error)
        *error = result ? QString() : reason;
    return result;
}

static_assert(sizeof(PWPlist) <= 32, "a value holds a text in place, beside its kind and no more");

static_assert(PWFileReader::kPropertyListLimit <= PWPlistCodec::kMaxInputSize,
              "a property list file the reader takes must be one the codec reads");

std::optional<qsizetype> PWPlist::countDictionariesHolding(const QByteArray &bytes, const QString &key)
{
    const std::optional<PWPlistValueCount::Tally> counted = PWPlistValueCount::tally(bytes, {key, QString(), {}});
    return counted ? std::optional<qsizetype>(counted->holdingClass) : std::nullopt;
}

std::optional<PWPlist> PWPlist::readFile(const QString &path, QString *error)
{
    const auto refuse = [&](const QString &reason) -> std::optional<PWPlist> {
        qCWarning(lcPlist).noquote() << "property list not read:" << reason;
        if (error)
            *error = reason;
        return std::nullopt;
    };
    const PWFileReader::Result file =
        PWFileReader::read(path, PWFileReader::kPropertyListLimit, PWFileReader::propertyListSignature());
    if (!file.ok())
        return refuse(QStringLiteral("%1: %2").arg(path, file.reason));
    QString reason;
    std::optional<PWPlist> result;
    try {
        result = parse(file.bytes, &reason);
    } catch (const std::bad_alloc &) {
        return refuse(QStringLiteral("%1: there is not enough memory to read it").arg(path));
    }
    if (error)
        *error = result ? QString() : QStringLiteral("%1: %2").arg(path, reason);
    return result;
}

QByteArray PWPlist::toXml() const
{
    return PWPlistCodec::encodeXml(*this);
}

QByteArray PWPlist::toBinary() const
{
    return PWPlistCodec::encodeBinary(*this);
}

// --- Qt variants --------------------------------------------------------------------------------

QVariant PWPlist::toVariant() const
{
    switch (type()) {
    case Type::Null:
        return QVariant();
    case Type::Dictionary: {
        QVariantMap map;
        for (const Dictionary::Entry &entry : toDictionary())
            map.insert(entry.first, entry.second.toVariant());
        return map;
    }
    case Type::Array: {
        QVariantList list;
        list.reserve(toArray().size());
        for (const PWPlist &element : toArray())
            list.append(element.toVariant());
        return list;
    }
    case Type::String:
        return toString();
    case Type::Data:
        return toData();
    case Type::Integer:
        return QVariant::fromValue<qlonglong>(toInteger());
    case Type::Real:
        return toReal();
    case Type::Boolean:
        return toBool();
    case Type::Date:
        return toDate();
    case Type::Uid:
        // Qt has no UID kind; the value itself rides in the variant so fromVariant restores it.
        return QVariant::fromValue(*this);
    }
    return QVariant();
}

PWPlist PWPlist::fromVariant(const QVariant &value)
{
    if (!value.isValid())
        return PWPlist();
    const int typeId = value.metaType().id();
    if (typeId == qMetaTypeId<PWPlist>())
        return value.value<PWPlist>();
    switch (typeId) {
    case QMetaType::QVariantMap: {
        Dictionary dictionary;
        const QVariantMap map = value.toMap();
        for (auto it = map.constBegin(); it != map.constEnd(); ++it)
            dictionary.insert(it.key(), fromVariant(it.value()));
        return dictionary;
    }
    case QMetaType::QVariantHash: {
        const QVariantHash hash = value.toHash();
        QStringList keys = hash.keys();
        std::sort(keys.begin(), keys.end());
        Dictionary dictionary;
        for (const QString &key : std::as_const(keys))
            dictionary.insert(key, fromVariant(hash.value(key)));
        return dictionary;
    }
    case QMetaType::QVariantList: {
        Array array;
        const QVariantList list = value.toList();
        array.reserve(list.size());
        for (const QVariant &element : list)
            array.append(fromVariant(element));
        return array;
    }
    case QMetaType::QStringList: {
        Array array;
        for (const QString &element : value.toStringList())
            array.append(fromString(element));
        return array;
    }
    case QMetaType::QString:
        return fromString(value.toString());
    case QMetaType::QByteArray:
        return fromData(value.toByteArray());
    case QMetaType::Bool:
        return fromBool(value.toBool());
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::SChar:
    case QMetaType::Char:
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::UChar:
        return fromInteger(value.toLongLong());
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const qulonglong unsignedValue = value.toULongLong();
        if (unsignedValue > static_cast<qulonglong>(std::numeric_limits<qint64>::max()))
            return fromReal(static_cast<double>(unsignedValue));
        return fromInteger(static_cast<qint64>(unsignedValue));
    }
    case QMetaType::Double:
    case QMetaType::Float:
        return fromReal(value.toDouble());
    case QMetaType::QDateTime:
        return fromDate(value.toDateTime());
    case QMetaType::QDate:
        return fromDate(value.toDate().startOfDay(Qt::UTC));
    default:
        return PWPlist();
    }
}
