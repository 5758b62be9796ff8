#include "platform/PWVCardParser.h"

#include <QStringDecoder>

Q_LOGGING_CATEGORY(lcVCard, "pw.platform.vcard", QtInfoMsg)

namespace {

bool fail(QString *error, const QString &reason)
{
    qCWarning(lcVCard).noquote() << "vCard not read:" << reason;
    if (error)
        *error = reason;
    return false;
}

// Splits at the separator outside double quotes.
QStringList splitOutsideQuotes(const QString &text, QChar separator)
{
    QStringList parts;
    QString current;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            current.append(c);
        } else if (c == separator && !quoted) {
            parts.append(current);
            current.clear();
        } else {
            current.append(c);
        }
    }
    parts.append(current);
    return parts;
}

qsizetype indexOutsideQuotes(const QString &text, QChar wanted)
{
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (c == wanted && !quoted)
            return i;
    }
    return -1;
}

QString unquote(QString value)
{
    value = value.trimmed();
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        return value.mid(1, value.size() - 2);
    return value;
}

bool isNameCharacter(QChar c)
{
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
           || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-') || c == QLatin1Char('_');
}

bool isValidName(const QString &name)
{
    if (name.isEmpty())
        return false;
    for (const QChar c : name) {
        if (!isNameCharacter(c))
            return false;
    }
    return true;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

QByteArray decodeQuotedPrintable(const QByteArray &in)
{
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in.at(i);
        if (c == '=' && i + 2 < in.size()) {
            const int high = hexValue(in.at(i + 1));
            const int low = hexValue(in.at(i + 2));
            if (high >= 0 && low >= 0) {
                out.append(char(high * 16 + low));
                i += 2;
                continue;
            }
        }
        out.append(c);
    }
    return out;
}

QString decodeCharset(const QByteArray &bytes, const QString &charset)
{
    const QString name = charset.trimmed();
    if (!name.isEmpty()) {
        if (const std::optional<QStringConverter::Encoding> encoding =
                QStringConverter::encodingForName(name.toLatin1().constData())) {
            QStringDecoder decoder(*encoding);
            const QString text = decoder.decode(bytes);
            if (!decoder.hasError())
                return text;
        }
    }
    QStringDecoder utf8(QStringConverter::Utf8);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

// Encodings that vCard 2.1 wrote as bare parameters.
bool isBareEncoding(const QString &upper)
{
    return upper == QLatin1String("QUOTED-PRINTABLE") || upper == QLatin1String("BASE64")
           || upper == QLatin1String("8BIT") || upper == QLatin1String("7BIT");
}

bool isQuotedPrintable(const PWVCardLine &line)
{
    for (const QString &value : line.parameterValues(QStringLiteral("ENCODING"))) {
        if (value.compare(QLatin1String("QUOTED-PRINTABLE"), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// One logical line to a content line; false for a line without a name and a colon.
bool parseLine(const QString &text, PWVCardLine &line, QString *reason)
{
    const qsizetype colon = indexOutsideQuotes(text, QLatin1Char(':'));
    if (colon < 0) {
        *reason = QStringLiteral("no colon");
        return false;
    }
    const QStringList head = splitOutsideQuotes(text.left(colon), QLatin1Char(';'));
    if (head.size() - 1 > PWVCardParser::kMaxParameters) {
        *reason = QStringLiteral("too many parameters");
        return false;
    }
    QString name = head.constFirst().trimmed();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0) {
        line.group = name.left(dot);
        name = name.mid(dot + 1);
    }
    if (!isValidName(name) || (dot >= 0 && !isValidName(line.group))) {
        *reason = QStringLiteral("bad property name");
        return false;
    }
    line.name = name.toUpper();
    for (qsizetype i = 1; i < head.size(); ++i) {
        const QString parameter = head.at(i).trimmed();
        if (parameter.isEmpty())
            continue;
        const qsizetype equals = indexOutsideQuotes(parameter, QLatin1Char('='));
        if (equals < 0) {
            const QString upper = parameter.toUpper();
            if (isBareEncoding(upper))
                line.parameters.append({QStringLiteral("ENCODING"), {upper}});
            else
                line.parameters.append({upper, {}});
            continue;
        }
        QStringList values;
        for (const QString &value : splitOutsideQuotes(parameter.mid(equals + 1), QLatin1Char(',')))
            values.append(unquote(value));
        line.parameters.append({parameter.left(equals).trimmed().toUpper(), values});
    }
    line.value = text.mid(colon + 1);
    return true;
}

// Whether a logical line being built is a quoted-printable property, known once the colon that
// ends its name and parameters has come; the part before it is scanned only once.
class QuotedPrintableHead
{
public:
    bool quotedPrintable(const QString &line)
    {
        if (m_known)
            return *m_known;
        for (; m_scanned < line.size(); ++m_scanned) {
            const QChar c = line.at(m_scanned);
            if (c == QLatin1Char('"')) {
                m_quoted = !m_quoted;
            } else if (c == QLatin1Char(':') && !m_quoted) {
                PWVCardLine head;
                QString reason;
                m_known = parseLine(line.left(m_scanned + 1), head, &reason) && isQuotedPrintable(head);
                return *m_known;
            }
        }
        return false;
    }

private:
    qsizetype m_scanned = 0;
    bool m_quoted = false;
    std::optional<bool> m_known;
};

// Physical lines to logical ones. A soft line break ("=" at the end of a quoted-printable
// value) joins the next line whole, a leading blank there being part of the value; this comes
// before unfolding, which would take that blank for a fold. Otherwise a line starting with a
// blank or a tab continues the one before (the fold removes the line end and that character).
QStringList unfold(const QString &text)
{
    QStringList logical;
    QuotedPrintableHead head;
    qsizetype start = 0;
    const qsizetype size = text.size();
    while (start <= size) {
        qsizetype end = start;
        while (end < size && text.at(end) != QLatin1Char('\n') && text.at(end) != QLatin1Char('\r'))
            ++end;
        const QStringView physical = QStringView(text).mid(start, end - start);
        if (!logical.isEmpty() && logical.last().endsWith(QLatin1Char('=')) && head.quotedPrintable(logical.last())) {
            logical.last().chop(1);
            logical.last().append(physical);
        } else if (!physical.isEmpty() && (physical.at(0) == QLatin1Char(' ') || physical.at(0) == QLatin1Char('\t'))
                   && !logical.isEmpty()) {
            logical.last().append(physical.mid(1));
        } else {
            logical.append(physical.toString());
            head = QuotedPrintableHead();
        }
        if (end >= size)
            break;
        start = end + 1;
        if (text.at(end) == QLatin1Char('\r') && start < size && text.at(start) == QLatin1Char('\n'))
            ++start;
    }
    return logical;
}

// Whether a line of bytes is the BEGIN or END (keyword) line of a card.
bool isCardBoundary(QByteArrayView line, QByteArrayView keyword)
{
    const qsizetype colon = line.indexOf(':');
    if (colon < 0 || line.sliced(colon + 1).trimmed().compare("VCARD", Qt::CaseInsensitive) != 0)
        return false;
    QByteArrayView name = line.first(colon);
    if (const qsizetype semicolon = name.indexOf(';'); semicolon >= 0)
        name = name.first(semicolon);
    if (const qsizetype dot = name.lastIndexOf('.'); dot >= 0)
        name = name.sliced(dot + 1);
    return name.trimmed().compare(keyword, Qt::CaseInsensitive) == 0;
}

// Bytes that are no UTF-8 as a whole, decoded card by card: a card of valid UTF-8 stays UTF-8
// and any other is read as Latin-1 alone, so that one stray byte garbles no other card. Cards
// are found by their BEGIN and END lines, embedded cards being part of theirs; line ends are
// ASCII and never inside a UTF-8 sequence, so cutting there splits none.
QString decodeCardByCard(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    int card = 0;
    int depth = 0;
    qsizetype pieceStart = 0;
    const auto decodePiece = [&](qsizetype end, bool isCard) {
        const QByteArrayView piece = bytes.sliced(pieceStart, end - pieceStart);
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QString decoded = utf8.decode(piece);
        if (!utf8.hasError()) {
            text += decoded;
        } else {
            if (isCard)
                qCInfo(lcVCard).noquote()
                    << QStringLiteral("vCard card at index %1 is no UTF-8; read as Latin-1").arg(card);
            text += QString::fromLatin1(piece);
        }
        pieceStart = end;
    };
    const qsizetype size = bytes.size();
    qsizetype start = 0;
    while (start < size) {
        qsizetype end = start;
        while (end < size && bytes.at(end) != '\n' && bytes.at(end) != '\r')
            ++end;
        qsizetype next = end < size ? end + 1 : end;
        if (end < size && bytes.at(end) == '\r' && next < size && bytes.at(next) == '\n')
            ++next;
        const QByteArrayView line = bytes.sliced(start, end - start);
        if (depth == 0 && isCardBoundary(line, "BEGIN")) {
            decodePiece(start, false);
            depth = 1;
        } else if (depth > 0 && isCardBoundary(line, "BEGIN")) {
            ++depth;
        } else if (depth > 0 && isCardBoundary(line, "END") && --depth == 0) {
            decodePiece(next, true);
            ++card;
        }
        start = next;
    }
    decodePiece(size, depth > 0); // a last card cut off before its END, or bytes after the cards
    return text;
}

} // namespace

std::optional<QString> PWVCardParser::decodeText(const QByteArray &bytes, QString *error)
{
    const auto decodeUtf16 = [&](QStringConverter::Encoding encoding, qsizetype skip) -> std::optional<QString> {
        QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
        const QString text = decoder.decode(bytes.mid(skip));
        if (decoder.hasError() || (bytes.size() - skip) % 2 != 0) {
            fail(error, QStringLiteral("broken UTF-16 text"));
            return std::nullopt;
        }
        return text;
    };
    const auto at = [&](qsizetype i) { return i < bytes.size() ? quint8(bytes.at(i)) : 0x100; };
    if (at(0) == 0xFF && at(1) == 0xFE)
        return decodeUtf16(QStringConverter::Utf16LE, 2);
    if (at(0) == 0xFE && at(1) == 0xFF)
        return decodeUtf16(QStringConverter::Utf16BE, 2);
    if (at(0) != 0 && at(0) < 0x80 && at(1) == 0)
        return decodeUtf16(QStringConverter::Utf16LE, 0);
    if (at(0) == 0 && at(1) != 0 && at(1) < 0x80)
        return decodeUtf16(QStringConverter::Utf16BE, 0);
    const qsizetype skip = (at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) ? 3 : 0;
    const QByteArrayView body = QByteArrayView(bytes).sliced(skip);
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8.decode(body);
    if (!utf8.hasError())
        return text;
    return decodeCardByCard(body);
}

std::optional<QList<PWVCard>> PWVCardParser::parse(const QByteArray &bytes, QString *error)
{
    if (bytes.size() > kMaxBytes) {
        fail(error, QStringLiteral("more than %1 bytes").arg(kMaxBytes));
        return std::nullopt;
    }
    const std::optional<QString> text = decodeText(bytes, error);
    if (!text)
        return std::nullopt;
    const QStringList logical = unfold(*text);

    QList<PWVCard> cards;
    PWVCard current;
    int depth = 0; // 1 inside a card; more inside cards embedded in it, whose lines are dropped
    for (qsizetype i = 0; i < logical.size(); ++i) {
        QString lineText = logical.at(i);
        if (lineText.trimmed().isEmpty())
            continue;
        PWVCardLine line;
        QString reason;
        if (!parseLine(lineText, line, &reason)) {
            qCDebug(lcVCard).noquote() << "vCard line" << i + 1 << "left out:" << reason;
            continue;
        }
        if (isQuotedPrintable(line)) {
            const QStringList charsets = line.parameterValues(QStringLiteral("CHARSET"));
            line.value = decodeCharset(decodeQuotedPrintable(line.value.toLatin1()),
                                       charsets.isEmpty() ? QString() : charsets.constFirst());
            line.parameters.removeIf([](const auto &p) { return p.first == QLatin1String("ENCODING"); });
        }
        const QString value = line.value.trimmed().toUpper();
        if (line.name == QLatin1String("BEGIN") && value == QLatin1String("VCARD")) {
            if (++depth > kMaxDepth) {
                fail(error, QStringLiteral("cards nested more than %1 deep").arg(kMaxDepth));
                return std::nullopt;
            }
            if (depth == 1)
                current.clear();
            continue;
        }
        if (line.name == QLatin1String("END") && value == QLatin1String("VCARD")) {
            if (depth == 0) {
                qCDebug(lcVCard) << "vCard END without BEGIN at line" << i + 1;
                continue;
            }
            if (--depth == 0) {
                if (cards.size() >= kMaxCards) {
                    fail(error, QStringLiteral("more than %1 cards").arg(kMaxCards));
                    return std::nullopt;
                }
                cards.append(current);
                current.clear();
            }
            continue;
        }
        if (depth != 1)
            continue; // outside any card, or inside an embedded one
        if (current.size() >= kMaxLinesPerCard) {
            fail(error, QStringLiteral("a card of more than %1 lines").arg(kMaxLinesPerCard));
            return std::nullopt;
        }
        current.append(line);
    }
    if (depth > 0)
        qCInfo(lcVCard) << "last vCard has no END and is left out";
    if (cards.isEmpty()) {
        fail(error, QStringLiteral("no complete vCard"));
        return std::nullopt;
    }
    return cards;
}

QString PWVCardParser::unescapeText(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 >= value.size()) {
            out.append(c);
            continue;
        }
        const QChar next = value.at(++i);
        if (next == QLatin1Char('n') || next == QLatin1Char('N'))
            out.append(QLatin1Char('\n'));
        else
            out.append(next);
    }
    return out;
}

QStringList PWVCardParser::splitStructured(const QString &value, QChar separator)
{
    QStringList parts;
    QString current;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\\') && i + 1 < value.size()) {
            current.append(c);
            current.append(value.at(++i));
        } else if (c == separator) {
            parts.append(unescapeText(current));
            current.clear();
        } else {
            current.append(c);
        }
    }
    parts.append(unescapeText(current));
    return parts;
}
