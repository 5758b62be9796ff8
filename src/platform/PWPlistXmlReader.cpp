#include "platform/PWPlistXmlReader.h"

#include "platform/PWPlistCodec.h"

#include <QByteArrayView>

#include <array>
#include <cstring>

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// One pass over the text; every method answers false when the text leaves the plain shape, and
// the whole reading is then given up (no partial value ever leaves this class).
class Reader
{
public:
    Reader(const QByteArray &bytes, int maxDepth)
        : m_at(bytes.constData()), m_end(bytes.constData() + bytes.size()), m_maxDepth(maxDepth)
    {
    }

    std::optional<PWPlist> document()
    {
        skipSpace();
        // The declarations our writer (and the common others) put first, exactly; any other
        // prolog is for the general path to judge.
        if (consume("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"))
            skipSpace();
        if (consume("<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">"))
            skipSpace();
        if (!consume("<plist version=\"1.0\">") && !consume("<plist>"))
            return std::nullopt;
        PWPlist value;
        skipSpace();
        if (!readValue(&value, 0))
            return std::nullopt;
        skipSpace();
        if (!consume("</plist>"))
            return std::nullopt;
        skipSpace();
        if (m_at != m_end)
            return std::nullopt;
        return value;
    }

private:
    bool startsWith(const char *text) const
    {
        const size_t length = std::strlen(text);
        return size_t(m_end - m_at) >= length && std::memcmp(m_at, text, length) == 0;
    }

    bool consume(const char *text)
    {
        if (!startsWith(text))
            return false;
        m_at += std::strlen(text);
        return true;
    }

    const char *find(const char *text) const
    {
        const qsizetype found = QByteArrayView(m_at, m_end - m_at).indexOf(QByteArrayView(text));
        return found < 0 ? nullptr : m_at + found;
    }

    void skipSpace()
    {
        while (m_at < m_end && isSpace(*m_at))
            ++m_at;
    }

    // A start tag: "<name>" (selfClosing false) or "<name/>". No attributes, no spaces.
    bool readStartTag(QByteArrayView *name, bool *selfClosing)
    {
        if (m_at >= m_end || *m_at != '<')
            return false;
        const char *start = ++m_at;
        while (m_at < m_end && *m_at >= 'a' && *m_at <= 'z')
            ++m_at;
        *name = QByteArrayView(start, m_at - start);
        if (consume(">")) {
            *selfClosing = false;
            return true;
        }
        if (consume("/>")) {
            *selfClosing = true;
            return true;
        }
        return false;
    }

    bool readEndTag(QByteArrayView name)
    {
        if (size_t(m_end - m_at) < size_t(name.size()) + 3 || m_at[0] != '<' || m_at[1] != '/'
            || std::memcmp(m_at + 2, name.data(), size_t(name.size())) != 0 || m_at[name.size() + 2] != '>')
            return false;
        m_at += name.size() + 3;
        return true;
    }

    // The raw text up to the next '<', which must start the end tag of name.
    bool readRawText(QByteArrayView name, QByteArrayView *text)
    {
        const char *close = static_cast<const char *>(std::memchr(m_at, '<', size_t(m_end - m_at)));
        if (!close)
            return false;
        *text = QByteArrayView(m_at, close - m_at);
        m_at = close;
        return readEndTag(name);
    }

    // Character data as UTF-8 bytes, with the predefined entities resolved. Tabs and line feeds
    // are the only control characters kept here; a carriage return (which XML would fold) and
    // everything else goes to the general path, as does a raw '>'.
    bool readText(QByteArrayView name, QByteArray *out)
    {
        const char *runStart = m_at;
        for (;;) {
            if (m_at >= m_end)
                return false;
            const char c = *m_at;
            if (c == '<') {
                out->append(runStart, m_at - runStart);
                return readEndTag(name);
            }
            if (c == '&') {
                out->append(runStart, m_at - runStart);
                if (consume("&amp;"))
                    out->append('&');
                else if (consume("&lt;"))
                    out->append('<');
                else if (consume("&gt;"))
                    out->append('>');
                else if (consume("&quot;"))
                    out->append('"');
                else if (consume("&apos;"))
                    out->append('\'');
                else
                    return false;
                runStart = m_at;
                continue;
            }
            if ((static_cast<uchar>(c) < 0x20 && c != '\t' && c != '\n') || c == '>')
                return false;
            ++m_at;
        }
    }

    bool readString(QByteArrayView name, bool selfClosing, QString *out)
    {
        if (selfClosing) {
            *out = QString();
            return true;
        }
        // Most texts hold no entity: they become a string straight from the input.
        const char *start = m_at;
        const char *stop = start;
        while (stop < m_end && *stop != '<' && *stop != '&' && *stop != '>'
               && (static_cast<uchar>(*stop) >= 0x20 || *stop == '\t' || *stop == '\n'))
            ++stop;
        if (stop < m_end && *stop == '<') {
            m_at = stop;
            if (!readEndTag(name))
                return false;
            *out = QString::fromUtf8(start, stop - start);
            return true;
        }
        QByteArray bytes;
        if (!readText(name, &bytes))
            return false;
        *out = QString::fromUtf8(bytes);
        return true;
    }

    static bool readInteger(QByteArrayView text, qint64 *value)
    {
        // Decimal without leading zeros: the general path reads "010" as octal.
        const qsizetype start = !text.isEmpty() && text[0] == '-' ? 1 : 0;
        if (text.size() <= start || (text[start] == '0' && text.size() > start + 1))
            return false;
        for (qsizetype i = start; i < text.size(); ++i) {
            if (!isDigit(text[i]))
                return false;
        }
        bool ok = false;
        *value = text.toLongLong(&ok, 10);
        return ok;
    }

    static bool readReal(QByteArrayView text, double *value)
    {
        qsizetype i = !text.isEmpty() && text[0] == '-' ? 1 : 0;
        const auto digits = [&] {
            const qsizetype first = i;
            while (i < text.size() && isDigit(text[i]))
                ++i;
            return i > first;
        };
        if (!digits())
            return false;
        if (i < text.size() && text[i] == '.') {
            ++i;
            if (!digits())
                return false;
        }
        if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
            ++i;
            if (i < text.size() && (text[i] == '+' || text[i] == '-'))
                ++i;
            if (!digits())
                return false;
        }
        if (i != text.size())
            return false;
        bool ok = false;
        *value = text.toDouble(&ok);
        return ok;
    }

    // Base64 in whole quanta, the padding only at the very end, spaces, tabs and line feeds
    // anywhere: the general path reads anything else its own way.
    static bool readData(QByteArrayView text, QByteArray *value)
    {
        static const auto table = [] {
            std::array<signed char, 256> codes{};
            codes.fill(-1);
            const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
            for (int i = 0; i < 64; ++i)
                codes[static_cast<uchar>(alphabet[i])] = static_cast<signed char>(i);
            return codes;
        }();
        QByteArray out(text.size() / 4 * 3 + 3, Qt::Uninitialized);
        char *write = out.data();
        quint32 group = 0;
        int count = 0;
        int padding = 0;
        for (const char c : text) {
            if (c == ' ' || c == '\t' || c == '\n')
                continue;
            if (c == '=') {
                ++padding;
                ++count;
            } else {
                const signed char code = table[static_cast<uchar>(c)];
                if (code < 0 || padding > 0)
                    return false;
                group = (group << 6) | quint32(code);
                ++count;
            }
            if (count < 4)
                continue;
            if (padding > 2 || (padding > 0 && count != 4))
                return false;
            if (padding > 0) {
                // A quantum that ends the data: its missing sextets count as zero bits.
                group <<= 6 * padding;
            }
            *write++ = char(group >> 16);
            if (padding < 2)
                *write++ = char(group >> 8);
            if (padding < 1)
                *write++ = char(group);
            group = 0;
            count = 0;
            if (padding > 0)
                padding = 3; // nothing may follow the padded quantum
        }
        if (count != 0)
            return false;
        out.truncate(write - out.constData());
        *value = std::move(out);
        return true;
    }

    // depth: the number of containers around the value.
    bool readValue(PWPlist *value, int depth)
    {
        QByteArrayView name;
        bool selfClosing = false;
        if (!readStartTag(&name, &selfClosing))
            return false;
        if (name == "dict")
            return depth + 1 <= m_maxDepth && readDictionary(selfClosing, value, depth + 1);
        if (name == "array")
            return depth + 1 <= m_maxDepth && readArray(selfClosing, value, depth + 1);
        if (name == "string") {
            QString text;
            if (!readString(name, selfClosing, &text))
                return false;
            *value = PWPlist::fromString(text);
            return true;
        }
        if (name == "true" || name == "false") {
            if (!selfClosing)
                return false;
            *value = PWPlist::fromBool(name == "true");
            return true;
        }
        if (name == "data" && selfClosing) {
            *value = PWPlist::fromData(QByteArray());
            return true;
        }
        if (selfClosing)
            return false;
        QByteArrayView text;
        if (!readRawText(name, &text))
            return false;
        if (name == "integer") {
            qint64 number = 0;
            if (!readInteger(text, &number))
                return false;
            *value = PWPlist::fromInteger(number);
            return true;
        }
        if (name == "real") {
            double number = 0;
            if (!readReal(text, &number))
                return false;
            *value = PWPlist::fromReal(number);
            return true;
        }
        if (name == "data") {
            QByteArray data;
            if (!readData(text, &data))
                return false;
            *value = PWPlist::fromData(data);
            return true;
        }
        if (name == "date") {
            const std::optional<QDateTime> date = PWPlistCodec::dateFromXmlText(text.toByteArray());
            if (!date)
                return false;
            *value = PWPlist::fromDate(*date);
            return true;
        }
        return false;
    }

    bool readArray(bool selfClosing, PWPlist *value, int depth)
    {
        PWPlist::Array array;
        if (!selfClosing) {
            for (;;) {
                skipSpace();
                if (readEndTag("array"))
                    break;
                PWPlist element;
                if (!readValue(&element, depth))
                    return false;
                array.append(std::move(element));
            }
        }
        *value = PWPlist(array);
        return true;
    }

    bool readDictionary(bool selfClosing, PWPlist *value, int depth)
    {
        PWPlist::Dictionary dictionary;
        if (!selfClosing) {
            for (;;) {
                skipSpace();
                if (readEndTag("dict"))
                    break;
                QByteArrayView name;
                bool keyClosed = false;
                QString key;
                // An empty <key/> is refused by the general path.
                if (!readStartTag(&name, &keyClosed) || name != "key" || keyClosed
                    || !readString(name, false, &key))
                    return false;
                skipSpace();
                PWPlist element;
                if (!readValue(&element, depth))
                    return false;
                // A repeated key keeps its last value in the general path, which also has to
                // line its dates up differently: it decides.
                const qsizetype before = dictionary.size();
                dictionary.insert(key, element);
                if (dictionary.size() == before)
                    return false;
            }
        }
        // The XML form writes a UID as a dictionary holding only "CF$UID".
        if (dictionary.size() == 1) {
            const PWPlist::Dictionary::Entry &entry = dictionary.entries().constFirst();
            if (entry.first == QLatin1String("CF$UID") && entry.second.isInteger()
                && static_cast<quint64>(entry.second.toInteger()) <= 0xFFFFFFFFu) {
                *value = PWPlist::fromUid(static_cast<quint64>(entry.second.toInteger()));
                return true;
            }
        }
        *value = PWPlist(dictionary);
        return true;
    }

    const char *m_at;
    const char *m_end;
    int m_maxDepth;
};

} // namespace

std::optional<PWPlist> PWPlistXmlReader::read(const QByteArray &bytes, int maxDepth)
{
    return Reader(bytes, maxDepth).document();
}
