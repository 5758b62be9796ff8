#include "platform/PWPlistValueCount.h"

#include "platform/PWPlistBinaryChecker.h"

#include <QByteArrayView>

#include <algorithm>

namespace {

// The XML element <tag>text</tag> as writers spell it, the text escaped.
QByteArray xmlElement(const char *tag, const QString &text)
{
    QByteArray escaped = text.toUtf8();
    escaped.replace('&', "&amp;").replace('<', "&lt;").replace('>', "&gt;");
    return '<' + QByteArray(tag) + '>' + escaped + "</" + QByteArray(tag) + '>';
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Calls visit with the rest of the bytes from the value that follows each <key>key</key>.
template <class Visit>
void forEachXmlValueUnder(const QByteArray &bytes, const QString &key, const Visit &visit)
{
    const QByteArray tag = xmlElement("key", key);
    const QByteArrayView all(bytes);
    for (qsizetype at = all.indexOf(QByteArrayView(tag)); at >= 0; at = all.indexOf(QByteArrayView(tag), at)) {
        at += tag.size();
        while (at < all.size() && isSpace(all[at]))
            ++at;
        visit(all.sliced(at));
    }
}

} // namespace

std::optional<qsizetype> PWPlistValueCount::dictionariesHolding(const QByteArray &bytes, const QString &key,
                                                                const QString &value)
{
    if (bytes.startsWith("bplist")) {
        const std::optional<quint64> count = PWPlistBinaryChecker::dictionariesHolding(bytes, key, value);
        return count ? std::optional<qsizetype>(qsizetype(*count)) : std::nullopt;
    }
    if (!bytes.contains("<plist"))
        return std::nullopt;
    const QByteArray text = xmlElement("string", value);
    qsizetype count = 0;
    forEachXmlValueUnder(bytes, key, [&](QByteArrayView element) { count += element.startsWith(text) ? 1 : 0; });
    return count;
}

std::optional<qint64> PWPlistValueCount::dataBytesUnder(const QByteArray &bytes, const QString &key, qint64 mostEach)
{
    if (bytes.startsWith("bplist")) {
        const std::optional<quint64> total = PWPlistBinaryChecker::dataBytesUnder(bytes, key, quint64(std::max<qint64>(0, mostEach)));
        return total ? std::optional<qint64>(qint64(*total)) : std::nullopt;
    }
    if (!bytes.contains("<plist"))
        return std::nullopt;
    qint64 total = 0;
    forEachXmlValueUnder(bytes, key, [&](QByteArrayView element) {
        if (!element.startsWith("<data>"))
            return;
        qsizetype end = element.indexOf(QByteArrayView("</data>"));
        if (end < 0)
            end = element.size();
        qint64 characters = 0;
        for (qsizetype i = 6; i < end; ++i)
            characters += isSpace(element[i]) || element[i] == '=' ? 0 : 1;
        // Each four characters stand for three bytes; the last few for what they hold whole.
        total += std::min(characters * 3 / 4, mostEach);
    });
    return total;
}
