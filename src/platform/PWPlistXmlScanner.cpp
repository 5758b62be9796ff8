#include "platform/PWPlistXmlScanner.h"

#include <QByteArrayView>

#include <algorithm>

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'
        || c == '-' || c == '.' || c == ':';
}

} // namespace

PWPlistXmlScanner::Result PWPlistXmlScanner::scan(const QByteArray &bytes, int maxDepth)
{
    Result result;
    const QByteArrayView text(bytes);
    const qsizetype size = text.size();
    qsizetype i = text.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (i < size && isSpace(text[i]))
        ++i;
    if (i >= size || text[i] != '<') {
        result.error = QStringLiteral("not a property list (no XML markup)");
        return result;
    }

    // XML has no NUL characters, and libplist asserts on a key that holds one.
    if (text.contains('\0')) {
        result.error = QStringLiteral("XML text holds a NUL byte");
        return result;
    }

    // The open containers, innermost last: 'a' for an array, 'd' for a dictionary.
    QByteArray open;
    while ((i = text.indexOf('<', i)) >= 0) {
        const QByteArrayView rest = text.sliced(i);
        if (rest.startsWith("<!--")) {
            const qsizetype end = text.indexOf("-->", i + 4);
            if (end < 0) {
                result.error = QStringLiteral("unterminated XML comment");
                return result;
            }
            i = end + 3;
            continue;
        }
        if (rest.startsWith("<![CDATA[")) {
            const qsizetype end = text.indexOf("]]>", i + 9);
            if (end < 0) {
                result.error = QStringLiteral("unterminated CDATA section");
                return result;
            }
            i = end + 3;
            continue;
        }
        if (rest.startsWith("<?")) {
            const qsizetype end = text.indexOf("?>", i + 2);
            if (end < 0) {
                result.error = QStringLiteral("unterminated processing instruction");
                return result;
            }
            i = end + 2;
            continue;
        }
        if (rest.startsWith("<!")) {
            // A declaration such as the DOCTYPE, possibly with an internal subset in brackets.
            int brackets = 0;
            qsizetype j = i + 2;
            for (; j < size; ++j) {
                if (text[j] == '[')
                    ++brackets;
                else if (text[j] == ']')
                    brackets = qMax(0, brackets - 1);
                else if (text[j] == '>' && brackets == 0)
                    break;
            }
            if (j >= size) {
                result.error = QStringLiteral("unterminated XML declaration");
                return result;
            }
            i = j + 1;
            continue;
        }

        const bool closing = i + 1 < size && text[i + 1] == '/';
        const qsizetype nameStart = i + 1 + (closing ? 1 : 0);
        qsizetype nameEnd = nameStart;
        while (nameEnd < size && isNameChar(text[nameEnd]))
            ++nameEnd;
        const qsizetype tagEnd = text.indexOf('>', nameEnd);
        if (tagEnd < 0) {
            result.error = QStringLiteral("unterminated XML tag at byte %1").arg(i);
            return result;
        }
        const bool selfClosing = !closing && text[tagEnd - 1] == '/';
        const QByteArrayView name = text.sliced(nameStart, nameEnd - nameStart);
        if (name == "array" || name == "dict") {
            // Stray closing tags pop nothing, so they cannot hide deeper nesting further on.
            if (closing) {
                if (!open.isEmpty())
                    open.chop(1);
            } else if (!selfClosing) {
                if (open.size() >= maxDepth) {
                    result.error = QStringLiteral("containers nest deeper than %1 levels").arg(maxDepth);
                    return result;
                }
                open.append(name == "array" ? 'a' : 'd');
            }
        } else if (name == "key" && !closing && (open.isEmpty() || !open.endsWith('d'))) {
            // The parser would take it for a string; the format allows keys in dictionaries only.
            result.error = QStringLiteral("a key outside a dictionary");
            return result;
        } else if (name == "integer" && !closing && !selfClosing) {
            // libplist would keep only the low 64 bits of a larger number: another value.
            const qsizetype end = text.indexOf('<', tagEnd + 1);
            const QByteArray digits = text.sliced(tagEnd + 1, (end < 0 ? size : end) - tagEnd - 1).trimmed().toByteArray();
            const qsizetype start = digits.startsWith('-') || digits.startsWith('+') ? 1 : 0;
            const bool decimal = digits.size() > start
                && std::all_of(digits.cbegin() + start, digits.cend(), [](char c) { return c >= '0' && c <= '9'; });
            bool fits = false;
            digits.toLongLong(&fits, 10);
            if (decimal && !fits) {
                result.error = QStringLiteral("an integer beyond the signed 64-bit range");
                return result;
            }
        } else if (name == "date" && !closing) {
            if (selfClosing) {
                result.dateTexts.append(QByteArray());
            } else {
                const qsizetype end = text.indexOf('<', tagEnd + 1);
                if (end < 0) {
                    result.error = QStringLiteral("unterminated date element");
                    return result;
                }
                result.dateTexts.append(text.sliced(tagEnd + 1, end - tagEnd - 1).toByteArray());
            }
        }
        i = tagEnd + 1;
    }
    return result;
}
