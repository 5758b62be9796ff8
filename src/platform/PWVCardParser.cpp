#include "platform/PWVCardParser.h"

#include "platform/PWUtf8.h"

#include <QStringDecoder>
#include <QVarLengthArray>

#include <algorithm>
#include <utility>

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
    if (!text.contains(QLatin1Char('"')))
        return text.split(separator);
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

// A value in the character set a line names: any this system's converters know (Shift-JIS,
// the ISO and Windows sets of Greek, Cyrillic, ...); nothing when none is named, the name is not
// known or the bytes are no text in it.
std::optional<QString> decodeInCharset(QByteArrayView bytes, const QString &charset)
{
    const QString name = charset.trimmed();
    if (name.isEmpty() || name.size() > 64)
        return std::nullopt;
    // What calls itself Latin 1 is Windows Latin 1 in practice: its quotes and euro sign stand
    // where ISO Latin 1 has control characters no value holds.
    static const QStringList windowsLatin1 = {QStringLiteral("ISO-8859-1"), QStringLiteral("ISO8859-1"),
                                              QStringLiteral("LATIN1"), QStringLiteral("WINDOWS-1252"),
                                              QStringLiteral("CP1252")};
    if (windowsLatin1.contains(name, Qt::CaseInsensitive))
        return PWDecodeWindowsLatin1(bytes);
    QStringDecoder decoder(name.toLatin1().constData(), QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        return std::nullopt;
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

QString decodeCharset(const QByteArray &bytes, const QString &charset)
{
    if (std::optional<QString> text = decodeInCharset(bytes, charset))
        return *std::move(text);
    return PWDecodeUtf8OrWindowsLatin1(bytes);
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

bool isBase64(const PWVCardLine &line)
{
    for (const QString &value : line.parameterValues(QStringLiteral("ENCODING")))
        if (value.compare(QLatin1String("BASE64"), Qt::CaseInsensitive) == 0
            || value.compare(QLatin1String("B"), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// A line of the file as a message quotes it: its first few characters, controls left out.
QString quotedLine(const QString &text)
{
    QString line = text;
    line.removeIf([](QChar c) { return c.category() == QChar::Other_Control; });
    line = line.simplified();
    constexpr int kQuoted = 40;
    return line.size() > kQuoted ? line.left(kQuoted) + QStringLiteral("...") : line;
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
    if (name.contains(QChar(0)) || line.group.contains(QChar(0))) {
        *reason = QStringLiteral("a NUL byte in the property name");
        return false;
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
        const QString parameterName = parameter.left(equals).trimmed().toUpper();
        // A quoted TYPE list ("TYPE=\"voice,work\"", as vCard 4.0 writes it) is a list of types too.
        const bool list = parameterName == QLatin1String("TYPE");
        QStringList values;
        for (const QString &value : splitOutsideQuotes(parameter.mid(equals + 1), QLatin1Char(','))) {
            const QString bare = unquote(value);
            if (list && bare.contains(QLatin1Char(','))) {
                for (const QString &type : bare.split(QLatin1Char(',')))
                    values.append(type.trimmed());
            } else {
                values.append(bare);
            }
        }
        line.parameters.append({parameterName, values});
    }
    line.value = text.mid(colon + 1);
    return true;
}

// A line of bytes carried a byte a character (the file is no UTF-8 as a whole): the line with
// its value in the character set its CHARSET names, when it names one that reads the value and
// the value is no quoted-printable (whose ASCII is decoded once its soft breaks are undone);
// nothing otherwise, for the line to be read as UTF-8 or Windows Latin 1.
std::optional<QString> decodeByCharsetParameter(const QString &carried)
{
    const qsizetype colon = indexOutsideQuotes(carried, QLatin1Char(':'));
    if (colon < 0 || !QStringView(carried).first(colon).contains(QLatin1String("CHARSET"), Qt::CaseInsensitive))
        return std::nullopt;
    PWVCardLine head;
    QString reason;
    if (!parseLine(carried.first(colon + 1), head, &reason) || isQuotedPrintable(head))
        return std::nullopt;
    const QStringList charsets = head.parameterValues(QStringLiteral("CHARSET"));
    if (charsets.isEmpty())
        return std::nullopt;
    const std::optional<QString> value = decodeInCharset(carried.sliced(colon + 1).toLatin1(), charsets.constFirst());
    if (!value)
        return std::nullopt;
    return carried.first(colon + 1) + *value;
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

// The property name of a content line ("TEL" of "item1.TEL;TYPE=WORK:..."), without its group.
QStringView propertyNameOf(QStringView line)
{
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    QStringView name = line.first(colon < 0 ? line.size() : colon);
    if (const qsizetype semicolon = name.indexOf(QLatin1Char(';')); semicolon >= 0)
        name = name.first(semicolon);
    if (const qsizetype dot = name.lastIndexOf(QLatin1Char('.')); dot >= 0)
        name = name.sliced(dot + 1);
    return name.trimmed();
}

// Whether a line of text is "BEGIN:VCARD" (keyword "BEGIN") or "END:VCARD", perhaps with a group
// or parameters.
bool isBoundaryLine(QStringView line, QLatin1StringView keyword)
{
    if (line.isEmpty() || !isNameCharacter(line.at(0)))
        return false;
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    if (colon < 0 || line.sliced(colon + 1).trimmed().compare(QLatin1String("VCARD"), Qt::CaseInsensitive) != 0)
        return false;
    return propertyNameOf(line).compare(keyword, Qt::CaseInsensitive) == 0;
}

bool isBeginLine(QStringView line)
{
    return isBoundaryLine(line, QLatin1StringView("BEGIN"));
}

// Physical lines to logical ones, one at a time, so that no list of every line of a large file
// is ever held. A soft line break ("=" at the end of a quoted-printable value) joins the next
// line whole, whatever it starts with ("TEL: 555 1234 evenings" is the value's too), a leading
// blank there being part of the value; this comes before unfolding, which would take that blank
// for a fold. Otherwise a line starting with a blank or a tab continues the one before (the fold
// removes the line end and that character).
// The one line a soft line break never joins is the END or BEGIN of a card: exporters leave a
// stray "=" at the end of a card's last value, and joining its END would lose the card.
class LogicalLines
{
public:
    // Over decoded text, or over bytes known to be valid UTF-8, decoded a line at a time so
    // that a large file is never held twice.
    explicit LogicalLines(QStringView text)
        : m_text(text)
        , m_size(text.size())
    {
    }
    // With mixed, the bytes need not be UTF-8 as a whole: each logical line is decoded on its own,
    // as UTF-8 when it is that and else as Windows Latin 1, and the lines read so are counted.
    explicit LogicalLines(QByteArrayView utf8, bool mixed = false)
        : m_utf8(utf8)
        , m_size(utf8.size())
        , m_fromUtf8(true)
        , m_mixed(mixed)
    {
    }

    // The next logical line and the number of its first physical line; false after the last.
    // The line's source units (bytes or UTF-16 units) run from rawFrom to rawTo, line ends
    // included.
    bool next(QString &line, qsizetype &number, qsizetype *rawFrom = nullptr, qsizetype *rawTo = nullptr)
    {
        if (!m_hasLookahead && !readPhysical())
            return false;
        line = m_lookahead;
        number = m_lookaheadNumber;
        if (rawFrom)
            *rawFrom = m_lookaheadFrom;
        qsizetype end = m_lookaheadTo;
        m_hasLookahead = false;
        QuotedPrintableHead head;
        while (readPhysical()) {
            if (line.endsWith(QLatin1Char('=')) && head.quotedPrintable(line)) {
                line.chop(1); // the break is no part of the value, whether it joins or not
                if (!isBeginLine(m_lookahead) && !isBoundaryLine(m_lookahead, QLatin1StringView("END"))) {
                    line.append(m_lookahead);
                    end = m_lookaheadTo;
                    continue;
                }
                qCInfo(lcVCard).noquote() << QStringLiteral("vCard line %1: the quoted-printable value ends in a "
                                                            "soft line break before the card's boundary; it ends there")
                                                 .arg(m_lookaheadNumber - 1);
            } else if (!m_lookahead.isEmpty()
                       && (m_lookahead.at(0) == QLatin1Char(' ') || m_lookahead.at(0) == QLatin1Char('\t'))) {
                line.append(QStringView(m_lookahead).sliced(1));
                end = m_lookaheadTo;
                continue;
            }
            m_hasLookahead = true;
            break;
        }
        if (rawTo)
            *rawTo = end;
        if (m_mixed) {
            // The line was carried a byte a character; a fold may have split a UTF-8 sequence,
            // which the whole line then holds again. A line that names its character set is read
            // in it.
            if (std::optional<QString> named = decodeByCharsetParameter(line)) {
                line = *std::move(named);
            } else {
                bool other = false;
                line = PWDecodeUtf8OrWindowsLatin1(line.toLatin1(), &other);
                if (other)
                    m_otherLines.append(number);
            }
        }
        return true;
    }

    // The physical lines read so far that open a card, whatever became of them.
    int beginLines() const { return m_beginLines; }
    // The first physical lines of the logical lines that were no UTF-8.
    const QList<qsizetype> &otherLines() const { return m_otherLines; }

private:
    bool isLineEnd(qsizetype i) const
    {
        const char16_t c = m_fromUtf8 ? char16_t(m_utf8.at(i)) : m_text.at(i).unicode();
        return c == u'\n' || c == u'\r';
    }

    bool readPhysical()
    {
        if (m_start > m_size)
            return false;
        qsizetype end = m_start;
        while (end < m_size && !isLineEnd(end))
            ++end;
        if (m_mixed)
            m_lookahead = QString::fromLatin1(m_utf8.sliced(m_start, end - m_start));
        else if (m_fromUtf8)
            m_lookahead = QString::fromUtf8(m_utf8.sliced(m_start, end - m_start));
        else
            m_lookahead = m_text.sliced(m_start, end - m_start).toString();
        m_lookaheadNumber = ++m_physicalLines;
        if (isBeginLine(m_lookahead))
            ++m_beginLines;
        m_lookaheadFrom = m_start;
        m_start = end + 1;
        // CRLF is one line end; ASCII in both forms, so either is read as a character.
        if (end < m_size && m_start < m_size && isLineEnd(end) && isLineEnd(m_start)
            && (m_fromUtf8 ? m_utf8.at(end) == '\r' && m_utf8.at(m_start) == '\n'
                           : m_text.at(end) == QLatin1Char('\r') && m_text.at(m_start) == QLatin1Char('\n')))
            ++m_start;
        m_lookaheadTo = std::min(m_start, m_size);
        return true;
    }

    QStringView m_text;
    QByteArrayView m_utf8;
    qsizetype m_size = 0;
    bool m_fromUtf8 = false;
    bool m_mixed = false;
    QList<qsizetype> m_otherLines;
    qsizetype m_start = 0;
    qsizetype m_physicalLines = 0;
    int m_beginLines = 0;
    QString m_lookahead;
    qsizetype m_lookaheadNumber = 0;
    qsizetype m_lookaheadFrom = 0;
    qsizetype m_lookaheadTo = 0;
    bool m_hasLookahead = false;
};

// Bytes that are no UTF-8 as a whole, decoded a line at a time: a line of valid UTF-8 stays
// UTF-8 and any other is read as Windows Latin 1 alone, so that one stray byte garbles nothing
// else. Line ends are ASCII and never inside a UTF-8 sequence, so cutting there splits none.
QString decodeLineByLine(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = start;
        while (end < bytes.size() && bytes.at(end) != '\n' && bytes.at(end) != '\r')
            ++end;
        while (end < bytes.size() && (bytes.at(end) == '\n' || bytes.at(end) == '\r'))
            ++end;
        const QByteArrayView line = bytes.sliced(start, end - start);
        const std::optional<QString> named = decodeByCharsetParameter(QString::fromLatin1(line));
        text += named ? *named : PWDecodeUtf8OrWindowsLatin1(line);
        start = end;
    }
    return text;
}

// The bytes after any byte-order mark when they are no UTF-16; nothing for UTF-16.
std::optional<QByteArrayView> byteBody(const QByteArray &bytes)
{
    const auto at = [&](qsizetype i) { return i < bytes.size() ? quint8(bytes.at(i)) : 0x100; };
    if ((at(0) == 0xFF && at(1) == 0xFE) || (at(0) == 0xFE && at(1) == 0xFF) || (at(0) != 0 && at(0) < 0x80 && at(1) == 0)
        || (at(0) == 0 && at(1) != 0 && at(1) < 0x80))
        return std::nullopt;
    const qsizetype skip = (at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) ? 3 : 0;
    return QByteArrayView(bytes).sliced(skip);
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
    return decodeLineByLine(body);
}

std::optional<QList<PWVCard>> PWVCardParser::parse(const QByteArray &bytes, QString *error, int *beginLines,
                                                   QStringList *problems)
{
    QList<PWVCard> cards;
    if (!parseEach(bytes, [&cards](PWVCard &card) { cards.append(std::move(card)); }, error, beginLines, problems))
        return std::nullopt;
    return cards;
}

bool PWVCardParser::parseEach(const QByteArray &bytes, const std::function<void(PWVCard &)> &take, QString *error,
                              int *beginLines, QStringList *problems, QStringList *notes)
{
    return parseCards(bytes, take, nullptr, error, beginLines, problems, notes);
}

bool PWVCardParser::parseEachWithSource(const QByteArray &bytes,
                                        const std::function<void(PWVCard &, PWVCardSource &)> &take, QString *error,
                                        int *beginLines, QStringList *problems, QStringList *notes)
{
    return parseCards(bytes, nullptr, take, error, beginLines, problems, notes);
}

bool PWVCardParser::parseCards(const QByteArray &bytes, const std::function<void(PWVCard &)> &take,
                               const std::function<void(PWVCard &, PWVCardSource &)> &takeWithSource,
                               QString *error, int *beginLines, QStringList *problems, QStringList *notes)
{
    // The first few damaged cards are named, the rest counted.
    constexpr int kCardsNamed = 20;
    int damagedCards = 0;
    const auto tell = [problems](const QString &problem) {
        qCWarning(lcVCard).noquote() << "vCard:" << problem;
        if (problems)
            problems->append(problem);
    };
    const auto leftOut = [&tell, &damagedCards](const QString &problem) {
        if (++damagedCards <= kCardsNamed)
            tell(problem);
    };
    if (beginLines)
        *beginLines = 0;
    if (bytes.size() > kMaxBytes)
        return fail(error, QStringLiteral("more than %1 bytes").arg(kMaxBytes));
    // Bytes, UTF-8 as a whole or not, are read line by line; UTF-16 is decoded whole.
    const std::optional<QByteArrayView> utf8 = byteBody(bytes);
    std::optional<QString> text;
    if (!utf8 && !(text = decodeText(bytes, error)))
        return false;
    LogicalLines logical = utf8 ? LogicalLines(*utf8, !PWIsValidUtf8(*utf8)) : LogicalLines(QStringView(*text));
    // A file of broken lines would log each of them: the first few are named, the rest counted.
    constexpr int kLinesNamed = 20;
    int linesLeftOut = 0;
    int continuations = 0;
    int colonlessLeftOut = 0;
    // Whether the line before was a content line of the card being read, which a line without a
    // colon continues.
    bool afterContent = false;
    int cards = 0;
    PWVCard current;
    int depth = 0; // 1 inside a card; more inside cards embedded in it, whose lines are dropped
    qsizetype cardLine = 0; // where the card being read begins
    bool agentPending = false; // the card has an empty AGENT line, whose value is the card embedded next
    int cardsPastLimit = 0;
    // The characters of the card's text values so far; past the bound the card keeps no more.
    qsizetype cardCharacters = 0;
    const auto countText = [&cardCharacters](const PWVCardLine &line, qsizetype characters) {
        if (!isBase64(line) && !line.value.startsWith(QLatin1String("data:"), Qt::CaseInsensitive))
            cardCharacters += characters;
        return cardCharacters > kMaxCardCharacters;
    };
    QString lineText;
    qsizetype number = 0;
    // The card as written, kept only for a caller that asks for it.
    PWVCardSource source;
    qsizetype rawFrom = 0;
    qsizetype rawTo = 0;
    const auto keepWritten = [&](bool opensCard = false) {
        if (!takeWithSource)
            return;
        if (opensCard) {
            source.lines.clear();
            source.lineOfContent.clear();
        }
        source.lines.append(utf8 ? utf8->sliced(rawFrom, rawTo - rawFrom).toByteArray()
                                 : QStringView(*text).sliced(rawFrom, rawTo - rawFrom).toUtf8());
    };
    while (logical.next(lineText, number, &rawFrom, &rawTo)) {
        if (lineText.trimmed().isEmpty()) {
            afterContent = false;
            if (depth > 0)
                keepWritten();
            continue;
        }
        if (cards >= kMaxCards) {
            // Full: the rest is only counted, for the sentence that says what was left out.
            cardsPastLimit += isBeginLine(lineText) ? 1 : 0;
            continue;
        }
        PWVCardLine line;
        QString reason;
        if (!parseLine(lineText, line, &reason)) {
            if (depth > 0)
                keepWritten();
            const bool colonless = depth == 1 && indexOutsideQuotes(lineText, QLatin1Char(':')) < 0;
            if (colonless && cardCharacters > kMaxCardCharacters)
                continue; // a card already too long to be read takes its lines without a word
            if (colonless && afterContent) {
                // A line without a colon right after a content line of its card is that line's
                // continuation folded without its blank (an address's city and ZIP): read as such,
                // and said, since the file does not say so itself.
                current.last().value.append(lineText);
                if (countText(current.last(), lineText.size())) {
                    current.clear();
                    afterContent = false;
                    continue;
                }
                // Base64 data of vCard 2.1 runs on so, unindented, until a blank line: as written.
                if (isBase64(current.last()))
                    continue;
                if (++continuations <= kLinesNamed && notes)
                    notes->append(QStringLiteral("Line %1 has no colon; it was read as the continuation of the "
                                                 "%2 line before it (\"%3\").")
                                      .arg(number)
                                      .arg(current.last().name, quotedLine(lineText)));
                continue;
            }
            afterContent = false;
            // One with nothing before it to continue is lost to the card: named, the first few.
            if (colonless && ++colonlessLeftOut <= kLinesNamed && problems)
                problems->append(QStringLiteral("Line %1 of the card beginning on line %2 has no colon and was left "
                                                "out (\"%3\").")
                                     .arg(number)
                                     .arg(cardLine)
                                     .arg(quotedLine(lineText)));
            if (++linesLeftOut <= kLinesNamed)
                qCInfo(lcVCard).noquote() << QStringLiteral("vCard line %1 left out: %2").arg(number).arg(reason);
            continue;
        }
        if (isQuotedPrintable(line)) {
            const QStringList charsets = line.parameterValues(QStringLiteral("CHARSET"));
            line.value = decodeCharset(decodeQuotedPrintable(line.value.toLatin1()),
                                       charsets.isEmpty() ? QString() : charsets.constFirst());
            line.parameters.removeIf([](const auto &p) { return p.first == QLatin1String("ENCODING"); });
        }
        afterContent = false;
        const bool boundary = line.name == QLatin1String("BEGIN") || line.name == QLatin1String("END");
        if (boundary && line.value.trimmed().compare(QLatin1String("VCARD"), Qt::CaseInsensitive) == 0) {
            if (line.name == QLatin1String("BEGIN")) {
                if (depth > 0 && !agentPending) {
                    // No card is embedded here: the one being read lost its END.
                    leftOut(QStringLiteral("The card beginning on line %1 has no END:VCARD and was left out.")
                                .arg(cardLine));
                    depth = 0;
                }
                if (++depth > kMaxDepth)
                    return fail(error, QStringLiteral("cards nested more than %1 deep").arg(kMaxDepth));
                if (depth == 1) {
                    current.clear();
                    cardLine = number;
                    cardCharacters = 0;
                }
                keepWritten(depth == 1);
                agentPending = false;
            } else if (depth == 0) {
                qCInfo(lcVCard).noquote() << QStringLiteral("vCard line %1: END without BEGIN").arg(number);
            } else {
                keepWritten();
                if (--depth == 0 && cardCharacters > kMaxCardCharacters) {
                    leftOut(QStringLiteral("The card beginning on line %1 holds more than %2 characters and was left out.")
                                .arg(cardLine)
                                .arg(kMaxCardCharacters));
                    current.clear();
                } else if (depth == 0) {
                    ++cards;
                    if (takeWithSource)
                        takeWithSource(current, source);
                    else
                        take(current);
                    current.clear();
                }
            }
            continue;
        }
        if (line.name == QLatin1String("AGENT") && line.value.trimmed().isEmpty())
            agentPending = true;
        if (depth > 0)
            keepWritten();
        if (depth != 1)
            continue; // outside any card, or inside an embedded one
        if (cardCharacters > kMaxCardCharacters)
            continue;
        if (countText(line, line.value.size())) {
            current.clear();
            continue;
        }
        if (current.size() >= kMaxLinesPerCard)
            return fail(error, QStringLiteral("a card of more than %1 lines").arg(kMaxLinesPerCard));
        if (takeWithSource)
            source.lineOfContent.append(int(source.lines.size() - 1));
        current.append(std::move(line));
        afterContent = true;
    }
    if (linesLeftOut > kLinesNamed)
        qCInfo(lcVCard).noquote() << QStringLiteral("vCard: %1 more lines left out").arg(linesLeftOut - kLinesNamed);
    if (colonlessLeftOut > kLinesNamed && problems)
        problems->append(QStringLiteral("%1 more lines without a colon were left out.").arg(colonlessLeftOut - kLinesNamed));
    if (continuations > kLinesNamed && notes)
        notes->append(QStringLiteral("%1 more lines without a colon were read as continuations of the lines before them.")
                          .arg(continuations - kLinesNamed));
    if (damagedCards > kCardsNamed)
        tell(QStringLiteral("%1 more damaged cards were left out.").arg(damagedCards - kCardsNamed));
    if (cardsPastLimit > 0)
        tell(QStringLiteral("Only the first %1 cards were read; the %2 cards after them were left out.")
                 .arg(kMaxCards)
                 .arg(cardsPastLimit));
    else if (depth > 0)
        tell(QStringLiteral("The card beginning on line %1 has no END:VCARD and was left out.").arg(cardLine));
    if (!logical.otherLines().isEmpty())
        tell(PWOtherEncodingLinesMessage(logical.otherLines(), QStringLiteral("Western (Windows Latin 1)")));
    if (beginLines)
        *beginLines = logical.beginLines();
    if (cards == 0)
        return fail(error, QStringLiteral("no complete vCard"));
    return true;
}

QString PWVCardParser::unescapeText(const QString &value)
{
    if (!value.contains(QLatin1Char('\\')))
        return value;
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
    // Without escapes every component is already what it says.
    if (!value.contains(QLatin1Char('\\')))
        return value.split(separator);
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
