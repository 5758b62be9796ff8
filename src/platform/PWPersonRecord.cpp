#include "platform/PWPersonRecord.h"

#include "platform/PWPerson.h"

#include <QDateTime>

#include <cstring>

namespace {

enum ValueType : quint8 {
    kNull = 0,
    kString = 1,
    kData = 2,
    kInteger = 3,
    kReal = 4,
    kFalse = 5,
    kTrue = 6,
    kDate = 7,
    kArray = 8,
    kDictionary = 9,
};

// Addresses are dictionaries inside a multi-value; nothing a person holds nests deeper than a few
// levels, and a damaged record must not recurse without end.
constexpr int kMaxDepth = 16;

class Writer
{
public:
    QByteArray bytes;

    void number(quint64 value)
    {
        do {
            char byte = char(value & 0x7F);
            value >>= 7;
            if (value)
                byte = char(byte | 0x80);
            bytes.append(byte);
        } while (value);
    }
    void signedNumber(qint64 value) { number((quint64(value) << 1) ^ quint64(value >> 63)); }
    void blob(QByteArrayView data)
    {
        number(quint64(data.size()));
        bytes.append(data);
    }
    void text(const QString &value) { blob(value.toUtf8()); }

    void value(const PWPlist &value)
    {
        switch (value.type()) {
        case PWPlist::Type::Null:
        case PWPlist::Type::Uid: // no person value is one; kept as nothing rather than guessed
            bytes.append(char(kNull));
            break;
        case PWPlist::Type::String:
            bytes.append(char(kString));
            text(value.toString());
            break;
        case PWPlist::Type::Data:
            bytes.append(char(kData));
            blob(value.toData());
            break;
        case PWPlist::Type::Integer:
            bytes.append(char(kInteger));
            signedNumber(value.toInteger());
            break;
        case PWPlist::Type::Real: {
            bytes.append(char(kReal));
            const double real = value.toReal();
            quint64 raw = 0;
            std::memcpy(&raw, &real, sizeof raw);
            for (int shift = 0; shift < 64; shift += 8)
                bytes.append(char((raw >> shift) & 0xFF));
            break;
        }
        case PWPlist::Type::Boolean:
            bytes.append(char(value.toBool() ? kTrue : kFalse));
            break;
        case PWPlist::Type::Date:
            bytes.append(char(kDate));
            signedNumber(value.toDate().toMSecsSinceEpoch());
            break;
        case PWPlist::Type::Array:
            bytes.append(char(kArray));
            number(quint64(value.toArray().size()));
            for (const PWPlist &item : value.toArray())
                this->value(item);
            break;
        case PWPlist::Type::Dictionary:
            bytes.append(char(kDictionary));
            number(quint64(value.toDictionary().size()));
            for (const auto &[key, item] : value.toDictionary()) {
                text(key);
                this->value(item);
            }
            break;
        }
    }
};

} // namespace

// Walks one record; every read checks what remains and, once anything is wrong, every later read
// fails too, so callers test once at the end of a step.
class PWPersonRecordCursor
{
public:
    PWPersonRecordCursor(QByteArrayView bytes, PWPersonRecord::Reader &reader)
        : m_bytes(bytes)
        , m_reader(reader)
    {
    }

    bool ok() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }
    bool atEnd() const { return m_position == m_bytes.size(); }

    void fail(const QString &reason)
    {
        if (m_error.isEmpty())
            m_error = reason;
    }

    quint8 byte()
    {
        if (!ok() || m_position >= m_bytes.size()) {
            fail(QStringLiteral("the record ends early"));
            return 0;
        }
        return quint8(m_bytes[m_position++]);
    }

    quint64 number()
    {
        quint64 value = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            const quint8 next = byte();
            if (!ok())
                return 0;
            value |= quint64(next & 0x7F) << shift;
            if (!(next & 0x80))
                return value;
        }
        fail(QStringLiteral("a number of the record is too long"));
        return 0;
    }
    qint64 signedNumber()
    {
        const quint64 raw = number();
        return qint64(raw >> 1) ^ -qint64(raw & 1);
    }
    // A count of items that each take at least one byte: never more than the bytes left.
    qsizetype count()
    {
        const quint64 value = number();
        if (ok() && value > quint64(m_bytes.size() - m_position))
            fail(QStringLiteral("a count of the record is larger than the record"));
        return ok() ? qsizetype(value) : 0;
    }
    QByteArrayView blob()
    {
        const qsizetype length = count();
        if (!ok())
            return {};
        const QByteArrayView view = m_bytes.sliced(m_position, length);
        m_position += length;
        return view;
    }
    QString text() { return QString::fromUtf8(blob()); }
    QString sharedText()
    {
        const QByteArrayView view = blob();
        return ok() ? m_reader.sharedText(view) : QString();
    }

    PWPlist value(int depth = 0)
    {
        if (depth > kMaxDepth) {
            fail(QStringLiteral("the record nests too deep"));
            return {};
        }
        switch (byte()) {
        case kNull:
            return {};
        case kString:
            return PWPlist::fromString(text());
        case kData:
            return PWPlist::fromData(blob().toByteArray());
        case kInteger:
            return PWPlist::fromInteger(signedNumber());
        case kReal: {
            quint64 raw = 0;
            for (int shift = 0; shift < 64; shift += 8)
                raw |= quint64(byte()) << shift;
            double real = 0;
            std::memcpy(&real, &raw, sizeof real);
            return PWPlist::fromReal(real);
        }
        case kFalse:
            return PWPlist::fromBool(false);
        case kTrue:
            return PWPlist::fromBool(true);
        case kDate:
            return PWPlist::fromDate(QDateTime::fromMSecsSinceEpoch(signedNumber(), Qt::UTC));
        case kArray: {
            const qsizetype items = count();
            PWPlist::Array array;
            array.reserve(items);
            for (qsizetype i = 0; i < items && ok(); ++i)
                array.append(value(depth + 1));
            return PWPlist(array);
        }
        case kDictionary: {
            const qsizetype items = count();
            PWPlist::Dictionary dictionary;
            for (qsizetype i = 0; i < items && ok(); ++i) {
                const QString key = sharedText();
                dictionary.insert(key, value(depth + 1));
            }
            return PWPlist(dictionary);
        }
        default:
            fail(QStringLiteral("the record holds a value of unknown type"));
            return {};
        }
    }

private:
    QByteArrayView m_bytes;
    qsizetype m_position = 0;
    PWPersonRecord::Reader &m_reader;
    QString m_error;
};

QByteArray PWPersonRecord::encode(const PWPerson &person, const QByteArray *picture)
{
    Writer out;
    out.bytes.reserve(256);
    out.bytes.append(kMagic);
    out.bytes.append(kForm);
    QList<std::pair<QString, PWPlist>> singles;
    QList<std::pair<QString, PWMultiValue>> multis;
    for (const QString &property : person.propertiesWithValues()) {
        if (std::optional<PWMultiValue> multi = person.multiValueForProperty(property))
            multis.append({property, *multi});
        else
            singles.append({property, person.valueForProperty(property)});
    }
    out.number(quint64(singles.size()));
    for (const auto &[property, value] : singles) {
        out.text(property);
        out.value(value);
    }
    out.number(quint64(multis.size()));
    for (const auto &[property, multi] : multis) {
        out.text(property);
        const qsizetype primary = multi.indexForIdentifier(multi.primaryIdentifier());
        out.number(quint64(primary + 1)); // -1 (none) becomes 0
        out.number(quint64(multi.count()));
        for (const PWMultiValue::Entry &entry : multi.entries()) {
            out.text(entry.label);
            out.value(entry.value);
        }
    }
    const QByteArray image = person.imageData();
    out.blob(picture && !image.isEmpty() ? *picture : image);
    return out.bytes;
}

QString PWPersonRecord::Reader::sharedText(QByteArrayView utf8)
{
    if (utf8.size() > kSharedTextLimit)
        return QString::fromUtf8(utf8);
    const QByteArray key = utf8.toByteArray();
    auto found = m_texts.constFind(key);
    if (found != m_texts.cend())
        return *found;
    const QString text = QString::fromUtf8(utf8);
    // A damaged or hostile cache could name endless distinct labels; beyond a bound they are
    // simply not shared.
    if (m_texts.size() < 4096)
        m_texts.insert(key, text);
    return text;
}

std::shared_ptr<PWPerson> PWPersonRecord::Reader::decode(QByteArrayView bytes, QString *error)
{
    PWPersonRecordCursor in(bytes, *this);
    if (in.byte() != quint8(kMagic) || in.byte() != quint8(kForm)) {
        if (error)
            *error = QStringLiteral("the bytes are no person record of a known form");
        return nullptr;
    }
    std::shared_ptr<PWPerson> person = PWPerson::create();
    const qsizetype singles = in.count();
    for (qsizetype i = 0; i < singles && in.ok(); ++i) {
        const QString property = in.sharedText();
        const PWPlist value = in.value();
        if (in.ok())
            person->setValueForProperty(property, value);
    }
    const qsizetype multis = in.count();
    for (qsizetype i = 0; i < multis && in.ok(); ++i) {
        const QString property = in.sharedText();
        const quint64 primary = in.number();
        const qsizetype entries = in.count();
        PWMultiValue multi;
        QString primaryIdentifier;
        for (qsizetype e = 0; e < entries && in.ok(); ++e) {
            const QString label = in.sharedText();
            const PWPlist value = in.value();
            const QString identifier = multi.addValue(value, label);
            if (quint64(e) + 1 == primary)
                primaryIdentifier = identifier;
        }
        if (!primaryIdentifier.isEmpty())
            multi.setPrimaryIdentifier(primaryIdentifier);
        if (in.ok())
            person->setMultiValueForProperty(property, multi);
    }
    const QByteArrayView picture = in.blob();
    if (in.ok() && !in.atEnd())
        in.fail(QStringLiteral("the record has bytes after its end"));
    if (!in.ok()) {
        if (error)
            *error = in.error();
        return nullptr;
    }
    if (!picture.isEmpty())
        person->setImageData(picture.toByteArray());
    return person;
}
