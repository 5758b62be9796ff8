#include "platform/PWPlistValueCount.h"

#include "platform/PWPlistBinaryChecker.h"
#include "platform/PWPlistCodec.h"

#include <QByteArrayView>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace {

using PWPlistValueCount::saturatedSum;

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

void appendUtf8(QByteArray *out, char32_t code)
{
    const QString text = QString::fromUcs4(&code, 1);
    out->append(text.toUtf8());
}

// The character a reference names (&lt; &#32; &#x20;), or nothing when it names none a reader
// knows: then its characters are read as they stand.
std::optional<char32_t> referenced(QByteArrayView name)
{
    if (name == "lt")
        return U'<';
    if (name == "gt")
        return U'>';
    if (name == "amp")
        return U'&';
    if (name == "quot")
        return U'"';
    if (name == "apos")
        return U'\'';
    if (name.size() < 2 || name[0] != '#')
        return std::nullopt;
    const bool hex = name[1] == 'x' || name[1] == 'X';
    const QByteArrayView digits = name.sliced(hex ? 2 : 1);
    if (digits.isEmpty() || digits.size() > 8)
        return std::nullopt;
    bool ok = false;
    const uint code = digits.toByteArray().toUInt(&ok, hex ? 16 : 10);
    if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return std::nullopt;
    return char32_t(code);
}

// One pass over the text of an XML property list, tag by tag: the text between tags is skipped
// whole unless it is a key, a class's name or data to be counted. A design of a million
// components is counted in a fraction of a second: the text is searched with memchr and compared
// in place, and only a text holding a reference or a CDATA section is decoded into a copy.
class XmlTally
{
public:
    // standIns: the sizes of the data values the text holds as PWPlistCodec::kDataStandIn, in order.
    XmlTally(const QByteArray &bytes, const PWPlistValueCount::Query &query, const QList<qsizetype> *standIns = nullptr)
        : m_begin(bytes.constData()), m_size(bytes.size()), m_query(query), m_classKey(query.classKey.toUtf8()),
          m_classValue(query.classValue.toUtf8()), m_standIns(standIns)
    {
        for (const QString &key : query.dataKeys)
            m_dataKeys.append(key.toUtf8());
        for (const QByteArray &key : std::as_const(m_dataKeys))
            m_longestKey = std::max(m_longestKey, key.size());
        m_longestKey = std::max({m_longestKey, m_classKey.size(), m_classValue.size()});
    }

    PWPlistValueCount::Tally run()
    {
        qsizetype at = 0;
        while (at < m_size) {
            const qsizetype open = find('<', at);
            addBytes(open - at);
            if (open == m_size)
                break;
            at = tag(open);
        }
        while (!m_dictionaries.empty())
            closeDictionary();
        return m_tally;
    }

private:
    enum class Role { None, Class, Data };
    struct Dictionary {
        bool holdsClass = false;
        bool holdsClassValue = false;
        bool holdsData = false;
    };

    void addBytes(qint64 count) { m_tally.valueBytes = saturatedSum(m_tally.valueBytes, count); }

    // Where c next stands from at, or the end.
    qsizetype find(char c, qsizetype at) const
    {
        const void *found = at < m_size ? std::memchr(m_begin + at, c, size_t(m_size - at)) : nullptr;
        return found ? static_cast<const char *>(found) - m_begin : m_size;
    }
    // Past the next text from at, or the end.
    qsizetype past(QByteArrayView text, qsizetype at) const
    {
        const qsizetype found = QByteArrayView(m_begin, m_size).indexOf(text, std::min(at, m_size));
        return found < 0 ? m_size : found + text.size();
    }
    bool startsWith(qsizetype at, QByteArrayView text) const
    {
        return m_size - at >= text.size() && std::memcmp(m_begin + at, text.data(), size_t(text.size())) == 0;
    }

    // Past a comment, a CDATA section (text), a processing instruction or a declaration.
    qsizetype markup(qsizetype open)
    {
        if (startsWith(open, "<!--"))
            return past("-->", open + 4);
        if (startsWith(open, "<![CDATA[")) {
            const qsizetype end = past("]]>", open + 9);
            addBytes(end - open);
            return end;
        }
        if (startsWith(open, "<?"))
            return past("?>", open + 2);
        // A declaration such as the DOCTYPE, its internal subset in brackets.
        const qsizetype bracket = find('[', open);
        const qsizetype close = find('>', open);
        return bracket < close ? past("]>", bracket) : std::min(close + 1, m_size);
    }

    // Past what starts at open: a tag, or markup.
    qsizetype tag(qsizetype open)
    {
        const char second = open + 1 < m_size ? m_begin[open + 1] : '\0';
        if (second == '!' || second == '?')
            return markup(open);
        const bool closing = second == '/';
        const qsizetype nameStart = open + (closing ? 2 : 1);
        qsizetype nameEnd = nameStart;
        while (nameEnd < m_size && !isSpace(m_begin[nameEnd]) && m_begin[nameEnd] != '>' && m_begin[nameEnd] != '/')
            ++nameEnd;
        const qsizetype close = find('>', nameEnd);
        if (close == m_size)
            return m_size;
        const QByteArrayView name(m_begin + nameStart, nameEnd - nameStart);
        if (closing) {
            if (name == "dict" && !m_dictionaries.empty())
                closeDictionary();
            return close + 1;
        }
        if (name == "plist")
            return close + 1;
        const bool empty = m_begin[close - 1] == '/';
        qsizetype at = close + 1;
        m_tally.values = saturatedSum(m_tally.values, 1);
        if (name == "key") {
            QByteArray copy;
            QByteArrayView key;
            if (!empty)
                at = text(at, &key, &copy);
            m_role = roleOf(key);
            if (!m_dictionaries.empty()) {
                Dictionary &holder = m_dictionaries.back();
                holder.holdsClass = holder.holdsClass || m_role == Role::Class;
                holder.holdsData = holder.holdsData || m_role == Role::Data;
            }
            return at;
        }
        const Role role = std::exchange(m_role, Role::None);
        if (name == "string" && isStandIn(open))
            return standIn(open, role);
        if (name == "dict") {
            if (!empty)
                m_dictionaries.push_back({});
        } else if (name == "string" && role == Role::Class && !empty && !m_dictionaries.empty()) {
            QByteArray copy;
            QByteArrayView value;
            at = text(at, &value, &copy);
            m_dictionaries.back().holdsClassValue = m_dictionaries.back().holdsClassValue || value == m_classValue;
        } else if (name == "data" && role == Role::Data && !empty) {
            at = data(at);
        }
        return at;
    }

    bool isStandIn(qsizetype open) const
    {
        return m_standIns && m_nextStandIn < m_standIns->size() && startsWith(open, PWPlistCodec::kDataStandIn);
    }

    // A data value written apart, counted as its element: past the stand-in's text.
    qsizetype standIn(qsizetype open, Role role)
    {
        const qint64 bytes = m_standIns->at(m_nextStandIn++);
        qsizetype depth = 0;
        while (open - depth > 0 && m_begin[open - depth - 1] == '\t')
            ++depth;
        addBytes(PWPlistCodec::dataElementTextSize(bytes, depth));
        if (role == Role::Data) {
            m_tally.dataBytes = saturatedSum(m_tally.dataBytes, bytes);
            m_tally.dataBytesEachUpTo = saturatedSum(m_tally.dataBytesEachUpTo, std::min(bytes, m_query.mostEach));
        }
        return open + qsizetype(sizeof("<string>\x01") - 1);
    }

    Role roleOf(QByteArrayView key) const
    {
        if (!m_query.classKey.isEmpty() && key == m_classKey)
            return Role::Class;
        for (const QByteArray &dataKey : m_dataKeys) {
            if (key == dataKey)
                return Role::Data;
        }
        return Role::None;
    }

    // The text of an element from at as a reader decodes it: in place when it is written plain,
    // else decoded into copy, kept up to a little past the longest text compared with it. Answers
    // where the text ends.
    qsizetype text(qsizetype at, QByteArrayView *text, QByteArray *copy)
    {
        const qsizetype end = find('<', at);
        const qsizetype reference = QByteArrayView(m_begin + at, end - at).indexOf('&');
        if (reference < 0 && !startsWith(end, "<![CDATA[") && !startsWith(end, "<!--")) {
            addBytes(end - at);
            *text = QByteArrayView(m_begin + at, end - at);
            return end;
        }
        const qsizetype start = at;
        const qsizetype keep = m_longestKey + 1;
        while (at < m_size) {
            const char c = m_begin[at];
            if (c == '<') {
                if (startsWith(at, "<![CDATA[")) {
                    const qsizetype stop = past("]]>", at + 9);
                    const qsizetype inner = std::max<qsizetype>(0, stop - 3 - (at + 9));
                    if (copy->size() < keep)
                        copy->append(m_begin + at + 9, std::min(inner, keep - copy->size()));
                    at = stop;
                    continue;
                }
                if (startsWith(at, "<!--")) {
                    at = past("-->", at + 4);
                    continue;
                }
                break;
            }
            if (c == '&') {
                const qsizetype semicolon = find(';', at);
                if (semicolon < m_size && semicolon - at <= 12) {
                    if (const std::optional<char32_t> code =
                            referenced(QByteArrayView(m_begin + at + 1, semicolon - at - 1))) {
                        if (copy->size() < keep)
                            appendUtf8(copy, *code);
                        at = semicolon + 1;
                        continue;
                    }
                }
            }
            if (copy->size() < keep)
                copy->append(c);
            ++at;
        }
        addBytes(at - start);
        *text = *copy;
        return at;
    }

    // Base64 from at: each four characters stand for three bytes, the last few for what they hold whole.
    qsizetype data(qsizetype at)
    {
        const qsizetype end = find('<', at);
        qint64 characters = 0;
        for (const char *c = m_begin + at, *stop = m_begin + end; c < stop; ++c)
            characters += isSpace(*c) || *c == '=' ? 0 : 1;
        const qint64 bytes = characters * 3 / 4;
        addBytes(end - at);
        m_tally.dataBytes = saturatedSum(m_tally.dataBytes, bytes);
        m_tally.dataBytesEachUpTo = saturatedSum(m_tally.dataBytesEachUpTo, std::min(bytes, m_query.mostEach));
        return end;
    }

    void closeDictionary()
    {
        const Dictionary closed = m_dictionaries.back();
        m_dictionaries.pop_back();
        m_tally.holdingClass += closed.holdsClass ? 1 : 0;
        m_tally.holdingClassValue += closed.holdsClassValue ? 1 : 0;
        m_tally.holdingData += closed.holdsData ? 1 : 0;
    }

    const char *const m_begin;
    const qsizetype m_size;
    const PWPlistValueCount::Query &m_query;
    const QByteArray m_classKey;
    const QByteArray m_classValue;
    QList<QByteArray> m_dataKeys;
    qsizetype m_longestKey = 0;
    std::vector<Dictionary> m_dictionaries;
    // What the key just read names: its value is the next element.
    Role m_role = Role::None;
    PWPlistValueCount::Tally m_tally;
    const QList<qsizetype> *m_standIns;
    qsizetype m_nextStandIn = 0;
};

} // namespace

qint64 PWPlistValueCount::saturatedSum(qint64 a, qint64 b)
{
    constexpr qint64 most = std::numeric_limits<qint64>::max();
    return a > most - b ? most : a + b;
}

qint64 PWPlistValueCount::saturatedProduct(qint64 a, qint64 b)
{
    constexpr qint64 most = std::numeric_limits<qint64>::max();
    if (a == 0 || b == 0)
        return 0;
    return a > most / b ? most : a * b;
}

std::optional<PWPlistValueCount::Tally> PWPlistValueCount::tally(const QByteArray &bytes, const Query &query)
{
    if (bytes.startsWith("bplist"))
        return PWPlistBinaryChecker::tally(bytes, query);
    if (!bytes.contains("<plist"))
        return std::nullopt;
    return XmlTally(bytes, query).run();
}

std::optional<PWPlistValueCount::Tally> PWPlistValueCount::tallyOfXmlForm(const PWPlist &value, const Query &query)
{
    QList<qsizetype> standIns;
    const QByteArray xml = PWPlistCodec::encodeXmlStandingIn(value, &standIns);
    if (!xml.contains("<plist"))
        return std::nullopt;
    return XmlTally(xml, query, &standIns).run();
}

std::optional<qsizetype> PWPlistValueCount::dictionariesHolding(const QByteArray &bytes, const QString &key,
                                                                const QString &value)
{
    const std::optional<Tally> counted = tally(bytes, Query {key, value, {}});
    return counted ? std::optional<qsizetype>(counted->holdingClassValue) : std::nullopt;
}

std::optional<qint64> PWPlistValueCount::dataBytesUnder(const QByteArray &bytes, const QString &key, qint64 mostEach)
{
    const std::optional<Tally> counted = tally(bytes, Query {QString(), QString(), {key}, std::max<qint64>(0, mostEach)});
    return counted ? std::optional<qint64>(counted->dataBytesEachUpTo) : std::nullopt;
}
