#include "platform/PWPlistCodec.h"

#include "platform/PWPlistBinaryChecker.h"
#include "platform/PWPlistXmlReader.h"
#include "platform/PWPlistXmlScanner.h"

#include <QDate>
#include <QRegularExpression>
#include <QTime>
#include <QtEndian>

#include <plist/plist.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// 2001-01-01T00:00:00Z, the epoch of property-list dates, in milliseconds since 1970.
constexpr qint64 kReferenceMSecs = Q_INT64_C(978307200000);

struct NodeDeleter
{
    void operator()(void *node) const { plist_free(static_cast<plist_t>(node)); }
};
using NodeHolder = std::unique_ptr<void, NodeDeleter>;

struct MallocDeleter
{
    void operator()(void *memory) const { std::free(memory); }
};

// --- Dates ----------------------------------------------------------------------------------

std::optional<QDateTime> dateFromSeconds(double seconds)
{
    // Beyond a few million years the value is corrupt rather than a date anybody meant.
    if (!std::isfinite(seconds) || std::fabs(seconds) > 1e14)
        return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(kReferenceMSecs + std::llround(seconds * 1000.0), Qt::UTC);
}

double secondsFromDate(const QDateTime &date)
{
    return static_cast<double>(date.toMSecsSinceEpoch() - kReferenceMSecs) / 1000.0;
}

// libplist 2.2 takes and gives dates as 32-bit seconds plus microseconds, which loses range
// (1933 to 2069 only), rounds microseconds down and drops the sign of dates less than a second
// before the epoch. Its binary form holds the exact double, so a date node is made from, and
// read through, a one-object binary property list.
plist_t newDateNode(double seconds)
{
    uchar bytes[50] = {};
    std::memcpy(bytes, "bplist00", 8);
    bytes[8] = 0x33; // date, 8 bytes
    quint64 bits = 0;
    std::memcpy(&bits, &seconds, sizeof bits);
    qToBigEndian(bits, bytes + 9);
    bytes[17] = 8; // offset table: the date lies at byte 8
    uchar *trailer = bytes + 18;
    trailer[6] = 1;  // offset size
    trailer[7] = 1;  // reference size
    trailer[15] = 1; // one object, the top object is object 0
    trailer[31] = 17; // offset table position
    plist_t node = nullptr;
    plist_from_bin(reinterpret_cast<const char *>(bytes), sizeof bytes, &node);
    if (!node)
        node = plist_new_date(static_cast<int32_t>(std::clamp(std::floor(seconds), -2147483648.0, 2147483647.0)), 0);
    return node;
}

double dateNodeSeconds(plist_t node)
{
    char *buffer = nullptr;
    uint32_t length = 0;
    plist_to_bin(node, &buffer, &length);
    if (buffer && length >= 17 && std::memcmp(buffer, "bplist00", 8) == 0
        && static_cast<uchar>(buffer[8]) == 0x33) {
        const quint64 bits = qFromBigEndian<quint64>(buffer + 9);
        plist_to_bin_free(buffer);
        double seconds = 0;
        std::memcpy(&seconds, &bits, sizeof seconds);
        return seconds;
    }
    if (buffer)
        plist_to_bin_free(buffer);
    int32_t seconds = 0;
    int32_t microseconds = 0;
    plist_get_date_val(node, &seconds, &microseconds);
    return seconds + (seconds < 0 ? -microseconds : microseconds) / 1e6;
}

QByteArray xmlTextFromDate(const QDateTime &date)
{
    // Whole seconds, rounded down, so a date never moves into the following second.
    const qint64 msecs = date.toMSecsSinceEpoch();
    const qint64 seconds = msecs / 1000 - (msecs % 1000 < 0 ? 1 : 0);
    const QDateTime whole = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
    const QDate day = whole.date();
    const QTime time = whole.time();
    // Four digits at least, the sign of a year before the common era in front of them.
    return QString::asprintf("%s%04d-%02d-%02dT%02d:%02d:%02dZ", day.year() < 0 ? "-" : "", std::abs(day.year()),
                             day.month(), day.day(), time.hour(), time.minute(), time.second())
        .toLatin1();
}

// Puts our own text into every <date> element libplist wrote, in document order.
QByteArray replaceDateTexts(const QByteArray &xml, const QList<QDateTime> &dates)
{
    QByteArray out;
    out.reserve(xml.size() + dates.size() * 8);
    qsizetype position = 0;
    for (const QDateTime &date : dates) {
        const qsizetype open = xml.indexOf("<date", position);
        if (open < 0)
            break;
        qsizetype end = -1;
        if (xml.mid(open, 7) == "<date/>") {
            end = open + 7;
        } else if (xml.mid(open, 6) == "<date>") {
            const qsizetype close = xml.indexOf("</date>", open + 6);
            if (close < 0)
                break;
            end = close + 7;
        } else {
            break;
        }
        out.append(xml.constData() + position, open - position);
        out.append("<date>").append(xmlTextFromDate(date)).append("</date>");
        position = end;
    }
    out.append(xml.constData() + position, xml.size() - position);
    return out;
}

// Data of this size or more is not handed to libplist for the XML form: it would copy the bytes
// into its tree, then write their base64 text into a buffer that grows by copying, then be copied
// once more, so that a design of large pictures needed many times its size to be saved. Such data
// stands in the tree as a text no value can hold (the XML form leaves control characters out of
// every text and key) and is written in the same shape into the text afterwards.
constexpr qsizetype kSplicedDataFrom = 1024;
constexpr const char *kSplicedDataMark = PWPlistCodec::kDataStandIn;

// The tabs libplist puts before the lines of base64 text of data whose element is indented by
// depth tabs, and the characters of such a line: lines end at column 76, counting a tab as 8,
// and are never indented by more than 8 tabs.
int dataLineTabs(qsizetype depth)
{
    return int(std::min<qsizetype>(depth, 8));
}

qsizetype dataLineWidth(qsizetype depth)
{
    return 76 - 8 * dataLineTabs(depth);
}

// The size of a <data> element written as libplist writes it, from its first "<" to its last ">".
qsizetype dataElementSize(qsizetype bytes, qsizetype depth)
{
    const qsizetype encoded = (bytes + 2) / 3 * 4;
    const qsizetype width = dataLineWidth(depth);
    const qsizetype lines = (encoded + width - 1) / width;
    return 7 + encoded + lines * (dataLineTabs(depth) + 1) + depth + 7;
}

void appendDataElement(QByteArray &out, const QByteArray &data, qsizetype depth)
{
    const qsizetype width = dataLineWidth(depth);
    // Whole lines of text at a time, so that the text of the data is never held whole beside it.
    const qsizetype bytesPerLine = width / 4 * 3;
    const qsizetype bytesPerPiece = bytesPerLine * 1024;
    const QByteArray tabs(dataLineTabs(depth), '\t');
    out.append("<data>\n");
    for (qsizetype from = 0; from < data.size(); from += bytesPerPiece) {
        const QByteArray piece =
            QByteArray::fromRawData(data.constData() + from, std::min(bytesPerPiece, data.size() - from)).toBase64();
        for (qsizetype line = 0; line < piece.size(); line += width) {
            out.append(tabs);
            out.append(piece.constData() + line, std::min(width, piece.size() - line));
            out.append('\n');
        }
    }
    out.append(QByteArray(depth, '\t'));
    out.append("</data>");
}

// The XML libplist wrote with each stand-in text replaced by its data, in document order, written
// into a text made at its final size at once. Empty when the stand-ins are not one for each data
// (keys that were equal once their control characters were left out keep only the last value).
QByteArray spliceData(const QByteArray &xml, const QList<QByteArray> &spliced)
{
    const QByteArrayView mark(kSplicedDataMark);
    if (xml.count(mark) != spliced.size())
        return QByteArray();
    QList<std::pair<qsizetype, qsizetype>> places; // the mark's position and its depth
    places.reserve(spliced.size());
    qsizetype total = xml.size();
    qsizetype position = 0;
    for (const QByteArray &data : spliced) {
        const qsizetype at = xml.indexOf(mark, position);
        if (at < 0)
            return QByteArray();
        qsizetype depth = 0;
        while (at - depth > 0 && xml.at(at - depth - 1) == '\t')
            ++depth;
        places.append({at, depth});
        total += dataElementSize(data.size(), depth) - mark.size();
        position = at + mark.size();
    }
    QByteArray out;
    out.reserve(total);
    position = 0;
    for (qsizetype i = 0; i < spliced.size(); ++i) {
        out.append(xml.constData() + position, places.at(i).first - position);
        appendDataElement(out, spliced.at(i), places.at(i).second);
        position = places.at(i).first + mark.size();
    }
    out.append(xml.constData() + position, xml.size() - position);
    return out;
}

// --- Writing --------------------------------------------------------------------------------

// XML 1.0 cannot hold most control characters, not even as character references, and libplist
// writes them as they are: one stray control character in a text would make the whole file
// unreadable. They carry nothing visible, so the XML form leaves them out.
QString xmlSafeText(const QString &text)
{
    const auto isAllowed = [](char32_t c) {
        return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF)
            || (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
    };
    bool clean = true;
    for (const char32_t c : text.toUcs4()) {
        if (!isAllowed(c)) {
            clean = false;
            break;
        }
    }
    if (clean)
        return text;
    QString result;
    result.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        if (isAllowed(c))
            result.append(QString::fromUcs4(&c, 1));
    }
    return result;
}

plist_t buildNode(const PWPlist &value, QList<QDateTime> *dates, bool forXml, QList<QByteArray> *spliced = nullptr)
{
    const auto text = [forXml](const QString &string) {
        return (forXml ? xmlSafeText(string) : string).toUtf8();
    };
    switch (value.type()) {
    case PWPlist::Type::Null:
        return plist_new_string("");
    case PWPlist::Type::Dictionary: {
        plist_t node = plist_new_dict();
        for (const PWPlist::Dictionary::Entry &entry : value.toDictionary())
            plist_dict_set_item(node, text(entry.first).constData(), buildNode(entry.second, dates, forXml, spliced));
        return node;
    }
    case PWPlist::Type::Array: {
        plist_t node = plist_new_array();
        for (const PWPlist &element : value.toArray())
            plist_array_append_item(node, buildNode(element, dates, forXml, spliced));
        return node;
    }
    case PWPlist::Type::String:
        return plist_new_string(text(value.toString()).constData());
    case PWPlist::Type::Data: {
        const QByteArray data = value.toData();
        if (spliced && data.size() >= kSplicedDataFrom) {
            spliced->append(data);
            return plist_new_string("\x01");
        }
        return plist_new_data(data.constData(), static_cast<uint64_t>(data.size()));
    }
    case PWPlist::Type::Integer:
        // libplist keeps every integer as 64 bits and writes those with the top bit set as
        // negative numbers, in XML and binary alike.
        return plist_new_uint(static_cast<uint64_t>(value.toInteger()));
    case PWPlist::Type::Real:
        return plist_new_real(value.toReal());
    case PWPlist::Type::Boolean:
        return plist_new_bool(value.toBool() ? 1 : 0);
    case PWPlist::Type::Date:
        dates->append(value.toDate());
        return newDateNode(secondsFromDate(value.toDate()));
    case PWPlist::Type::Uid:
        return plist_new_uid(value.toUid());
    }
    return plist_new_string("");
}

// --- Reading --------------------------------------------------------------------------------

// The elements of an array in order. libplist keeps a parsed array as a linked list without an
// index, so asking for element i walks i elements: reading a design of a million components
// element by element took the square of its size.
class ArrayWalk
{
public:
    explicit ArrayWalk(plist_t array)
        : m_array(array)
    {
        plist_array_new_iter(array, &m_iterator);
    }
    ~ArrayWalk() { std::free(m_iterator); }
    ArrayWalk(const ArrayWalk &) = delete;
    ArrayWalk &operator=(const ArrayWalk &) = delete;

    // Null after the last element.
    plist_t next()
    {
        plist_t item = nullptr;
        if (m_iterator)
            plist_array_next_item(m_array, m_iterator, &item);
        return item;
    }

private:
    plist_t m_array;
    plist_array_iter m_iterator = nullptr;
};

qsizetype countDates(plist_t node)
{
    switch (plist_get_node_type(node)) {
    case PLIST_DATE:
        return 1;
    case PLIST_ARRAY: {
        qsizetype count = 0;
        ArrayWalk walk(node);
        while (plist_t child = walk.next())
            count += countDates(child);
        return count;
    }
    case PLIST_DICT: {
        qsizetype count = 0;
        plist_dict_iter iterator = nullptr;
        plist_dict_new_iter(node, &iterator);
        const std::unique_ptr<void, MallocDeleter> iteratorHolder(iterator);
        for (;;) {
            char *key = nullptr;
            plist_t child = nullptr;
            plist_dict_next_item(node, iterator, &key, &child);
            if (!key)
                break;
            std::free(key);
            if (child)
                count += countDates(child);
        }
        return count;
    }
    default:
        return 0;
    }
}

class Converter
{
public:
    Converter(int maxDepth, bool xml, const QList<QByteArray> *dateTexts)
        : m_maxDepth(maxDepth), m_xml(xml), m_dateTexts(dateTexts)
    {
    }

    QString error() const { return m_error; }

    // depth: the number of containers around node.
    std::optional<PWPlist> convert(plist_t node, int depth)
    {
        switch (plist_get_node_type(node)) {
        case PLIST_BOOLEAN: {
            uint8_t value = 0;
            plist_get_bool_val(node, &value);
            return PWPlist::fromBool(value != 0);
        }
        case PLIST_UINT: {
            uint64_t value = 0;
            plist_get_uint_val(node, &value);
            return PWPlist::fromInteger(static_cast<qint64>(value));
        }
        case PLIST_REAL: {
            double value = 0;
            plist_get_real_val(node, &value);
            return PWPlist::fromReal(value);
        }
        case PLIST_STRING: {
            uint64_t length = 0;
            const char *text = plist_get_string_ptr(node, &length);
            if (!text)
                return PWPlist::fromString(QString());
            // libplist keeps strings as C strings (its writer and its ASCII reader stop at the
            // first NUL, its UTF-16 reader does not): stopping there always keeps what reads
            // back the same.
            const qsizetype end = static_cast<qsizetype>(qstrnlen(text, static_cast<size_t>(length)));
            return PWPlist::fromString(QString::fromUtf8(text, end));
        }
        case PLIST_DATA: {
            uint64_t length = 0;
            const char *data = plist_get_data_ptr(node, &length);
            return PWPlist::fromData(data ? QByteArray(data, static_cast<qsizetype>(length)) : QByteArray());
        }
        case PLIST_DATE:
            return convertDate(node);
        case PLIST_UID: {
            uint64_t value = 0;
            plist_get_uid_val(node, &value);
            return PWPlist::fromUid(value);
        }
        case PLIST_ARRAY:
            return convertArray(node, depth);
        case PLIST_DICT:
            return convertDictionary(node, depth);
        case PLIST_KEY:
            return fail(QStringLiteral("a key outside a dictionary"));
        default:
            return fail(QStringLiteral("a value of unknown type"));
        }
    }

private:
    std::optional<PWPlist> fail(const QString &reason)
    {
        if (m_error.isEmpty())
            m_error = reason;
        return std::nullopt;
    }

    bool enterContainer(int depth)
    {
        if (depth + 1 <= m_maxDepth)
            return true;
        fail(QStringLiteral("containers nest deeper than %1 levels").arg(m_maxDepth));
        return false;
    }

    std::optional<PWPlist> convertDate(plist_t node)
    {
        std::optional<QDateTime> date;
        if (m_dateTexts) {
            const QByteArray text = m_dateTexts->value(m_nextDate++);
            date = PWPlistCodec::dateFromXmlText(text);
            if (!date)
                return fail(QStringLiteral("an invalid date \"%1\"").arg(QString::fromLatin1(text.left(40))));
        } else {
            date = dateFromSeconds(dateNodeSeconds(node));
            if (!date)
                return fail(QStringLiteral("a date out of range"));
        }
        return PWPlist::fromDate(*date);
    }

    std::optional<PWPlist> convertArray(plist_t node, int depth)
    {
        if (!enterContainer(depth))
            return std::nullopt;
        const uint32_t size = plist_array_get_size(node);
        PWPlist::Array array;
        array.reserve(size);
        ArrayWalk walk(node);
        for (uint32_t i = 0; i < size; ++i) {
            plist_t child = walk.next();
            std::optional<PWPlist> element = child ? convert(child, depth + 1) : fail(QStringLiteral("a missing array element"));
            if (!element)
                return std::nullopt;
            array.append(*element);
        }
        return PWPlist(array);
    }

    std::optional<PWPlist> convertDictionary(plist_t node, int depth)
    {
        // The XML form writes a UID as a dictionary holding only "CF$UID".
        if (m_xml && plist_dict_get_size(node) == 1) {
            plist_t uid = plist_dict_get_item(node, "CF$UID");
            if (uid && plist_get_node_type(uid) == PLIST_UINT) {
                uint64_t value = 0;
                plist_get_uint_val(uid, &value);
                if (value <= 0xFFFFFFFFu)
                    return PWPlist::fromUid(value);
            }
        }
        if (!enterContainer(depth))
            return std::nullopt;
        PWPlist::Dictionary dictionary;
        plist_dict_iter iterator = nullptr;
        plist_dict_new_iter(node, &iterator);
        const std::unique_ptr<void, MallocDeleter> iteratorHolder(iterator);
        for (;;) {
            char *rawKey = nullptr;
            plist_t child = nullptr;
            plist_dict_next_item(node, iterator, &rawKey, &child);
            if (!rawKey)
                break;
            const QString key = QString::fromUtf8(rawKey);
            std::free(rawKey);
            if (!child)
                return fail(QStringLiteral("the key \"%1\" without a value").arg(key));
            std::optional<PWPlist> value = convert(child, depth + 1);
            if (!value)
                return std::nullopt;
            dictionary.insert(key, *value);
        }
        return PWPlist(dictionary);
    }

    int m_maxDepth;
    bool m_xml;
    const QList<QByteArray> *m_dateTexts;
    qsizetype m_nextDate = 0;
    QString m_error;
};

} // namespace

// libplist's own reading of XML dates is off by days for early years.
std::optional<QDateTime> PWPlistCodec::dateFromXmlText(const QByteArray &text)
{
    static const QRegularExpression pattern(QStringLiteral(
        "^\\s*(-?\\d{4,})-(\\d\\d)-(\\d\\d)T(\\d\\d):(\\d\\d):(\\d\\d)(?:\\.(\\d+))?Z\\s*$"));
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(text));
    if (!match.hasMatch())
        return std::nullopt;
    const QDate date(match.capturedView(1).toInt(), match.capturedView(2).toInt(), match.capturedView(3).toInt());
    const QTime time(match.capturedView(4).toInt(), match.capturedView(5).toInt(), match.capturedView(6).toInt());
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    const QString fraction = (match.captured(7) + QStringLiteral("000")).left(3);
    return QDateTime(date, time, Qt::UTC).addMSecs(fraction.toInt());
}

std::optional<PWPlist> PWPlistCodec::decode(const QByteArray &bytes, QString *error, int maxDepth)
{
    if (!bytes.isEmpty() && bytes.size() <= kMaxInputSize && !bytes.startsWith("bplist")) {
        std::optional<PWPlist> value = PWPlistXmlReader::read(bytes, std::clamp(maxDepth, 0, kDepthCeiling));
        if (value) {
            if (error)
                error->clear();
            return value;
        }
    }
    return decodeThroughLibplist(bytes, error, maxDepth);
}

std::optional<PWPlist> PWPlistCodec::decodeThroughLibplist(const QByteArray &bytes, QString *error, int maxDepth)
{
    auto fail = [error](const QString &reason) -> std::optional<PWPlist> {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    const int depthLimit = std::clamp(maxDepth, 0, kDepthCeiling);
    if (bytes.isEmpty())
        return fail(QStringLiteral("empty input"));
    if (bytes.size() > kMaxInputSize)
        return fail(QStringLiteral("input of %1 bytes is larger than %2").arg(bytes.size()).arg(kMaxInputSize));

    const bool binary = bytes.startsWith("bplist");
    QList<QByteArray> dateTexts;
    plist_t root = nullptr;
    if (binary) {
        const QString problem = PWPlistBinaryChecker::check(bytes, depthLimit);
        if (!problem.isEmpty())
            return fail(problem);
        plist_from_bin(bytes.constData(), static_cast<uint32_t>(bytes.size()), &root);
    } else {
        PWPlistXmlScanner::Result scan = PWPlistXmlScanner::scan(bytes, depthLimit);
        if (!scan.error.isEmpty())
            return fail(scan.error);
        dateTexts = std::move(scan.dateTexts);
        plist_from_xml(bytes.constData(), static_cast<uint32_t>(bytes.size()), &root);
    }
    const NodeHolder holder(root);
    if (!root)
        return fail(binary ? QStringLiteral("malformed binary property list")
                           : QStringLiteral("malformed XML property list"));

    // Date texts line up with the tree's dates unless the parser dropped a value (a repeated
    // dictionary key keeps only its last value); then libplist's own reading has to do.
    const bool useTexts = !binary && countDates(root) == dateTexts.size();
    Converter converter(depthLimit, !binary, useTexts ? &dateTexts : nullptr);
    std::optional<PWPlist> result = converter.convert(root, 0);
    if (!result)
        return fail(converter.error());
    return result;
}

namespace {

// libplist's text, with our dates and, when spliced is given, stand-ins for large data.
QByteArray libplistXml(const PWPlist &value, QList<QByteArray> *spliced)
{
    QList<QDateTime> dates;
    QByteArray xml;
    {
        const NodeHolder root(buildNode(value, &dates, true, spliced));
        char *buffer = nullptr;
        uint32_t length = 0;
        plist_to_xml(static_cast<plist_t>(root.get()), &buffer, &length);
        if (!buffer)
            return QByteArray();
        xml = QByteArray(buffer, static_cast<qsizetype>(length));
        plist_to_xml_free(buffer);
    }
    return dates.isEmpty() ? xml : replaceDateTexts(xml, dates);
}

} // namespace

QByteArray PWPlistCodec::encodeXml(const PWPlist &value)
{
    QList<QByteArray> spliced;
    const QByteArray xml = libplistXml(value, &spliced);
    if (spliced.isEmpty() || xml.isEmpty())
        return xml;
    const QByteArray whole = spliceData(xml, spliced);
    return whole.isEmpty() ? libplistXml(value, nullptr) : whole;
}

QByteArray PWPlistCodec::encodeXmlStandingIn(const PWPlist &value, QList<qsizetype> *dataSizes)
{
    dataSizes->clear();
    QList<QByteArray> spliced;
    const QByteArray xml = libplistXml(value, &spliced);
    if (spliced.isEmpty() || xml.isEmpty())
        return xml;
    // As spliceData finds them: one stand-in for each value, else the whole form.
    if (xml.count(QByteArrayView(kSplicedDataMark)) != spliced.size())
        return libplistXml(value, nullptr);
    dataSizes->reserve(spliced.size());
    for (const QByteArray &data : std::as_const(spliced))
        dataSizes->append(data.size());
    return xml;
}

qsizetype PWPlistCodec::dataElementTextSize(qsizetype bytes, qsizetype depth)
{
    return dataElementSize(bytes, depth) - qsizetype(sizeof("<data>") - 1) - qsizetype(sizeof("</data>") - 1);
}

QByteArray PWPlistCodec::encodeBinary(const PWPlist &value)
{
    QList<QDateTime> dates;
    const NodeHolder root(buildNode(value, &dates, false));
    char *buffer = nullptr;
    uint32_t length = 0;
    plist_to_bin(static_cast<plist_t>(root.get()), &buffer, &length);
    if (!buffer)
        return QByteArray();
    QByteArray binary(buffer, static_cast<qsizetype>(length));
    plist_to_bin_free(buffer);
    return binary;
}
