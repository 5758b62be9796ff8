#include "platform/PWVCard21Syntax.h"

#include <QStringDecoder>
#include <QStringList>

#include <cctype>

namespace {

constexpr qsizetype kLineLimit = 76;

bool isAscii(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

// The head without the parameters this writing decides anew: charset and encoding.
QString bareHead(const QString &head)
{
    QStringList kept;
    const QStringList parts = head.split(QLatin1Char(';'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString name = parts.at(i).section(QLatin1Char('='), 0, 0).trimmed().toUpper();
        if (i > 0
            && (name == QLatin1String("CHARSET") || name == QLatin1String("ENCODING")
                || name == QLatin1String("QUOTED-PRINTABLE") || name == QLatin1String("8BIT")))
            continue;
        kept.append(parts.at(i));
    }
    return kept.join(QLatin1Char(';'));
}

} // namespace

QString PWVCard21Syntax::value(const QString &value30)
{
    QString out;
    out.reserve(value30.size());
    for (qsizetype i = 0; i < value30.size(); ++i) {
        const QChar c = value30.at(i);
        if (c != QLatin1Char('\\') || i + 1 >= value30.size()) {
            out.append(c);
            continue;
        }
        const QChar next = value30.at(++i);
        if (next == QLatin1Char('n') || next == QLatin1Char('N'))
            out.append(QLatin1Char('\n'));
        else if (next == QLatin1Char(',') || next == QLatin1Char(':'))
            out.append(next);
        else
            out.append(c).append(next);
    }
    return out;
}

QByteArray PWVCard21Syntax::quotedPrintable(const QByteArray &bytes, qsizetype firstLineUsed)
{
    QByteArray out;
    qsizetype column = firstLineUsed;
    const auto put = [&](QByteArray piece) {
        // Room for the piece and the "=" of a soft line break after it.
        if (column + piece.size() > kLineLimit - 1) {
            out += "=\r\n";
            column = 0;
        }
        // A blank opening a line would read as a fold to some readers.
        if (column == 0 && piece == " ")
            piece = "=20";
        out += piece;
        column += piece.size();
    };
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar c = uchar(bytes.at(i));
        if (c == '\n') {
            put("=0D=0A");
            continue;
        }
        if (c == '\r')
            continue;
        // A blank before a line end would be taken away by the line's readers.
        const bool last = i + 1 == bytes.size();
        if ((c >= 33 && c <= 126 && c != '=') || (c == ' ' && !last))
            put(QByteArray(1, char(c)));
        else
            put(QByteArray("=") + QByteArray::number(c, 16).toUpper().rightJustified(2, '0'));
    }
    return out;
}

QByteArray PWVCard21Syntax::line(const QString &line30, bool quotedPrintable, const QString &encoding)
{
    const qsizetype colon = PWVCard21Syntax::colonOutsideQuotes(line30);
    if (colon < 0)
        return line30.toUtf8() + "\r\n";
    // Data (a picture) stays as the writer made it, under the name 2.1 gives its encoding.
    QStringList parts = line30.left(colon).split(QLatin1Char(';'));
    bool data = false;
    for (QString &part : parts) {
        const QString upper = part.trimmed().toUpper();
        if (upper == QLatin1String("ENCODING=B") || upper == QLatin1String("ENCODING=BASE64")) {
            part = QStringLiteral("ENCODING=BASE64");
            data = true;
        }
    }
    if (data)
        return (parts.join(QLatin1Char(';')) + line30.mid(colon)).toUtf8() + "\r\n";
    QString head = bareHead(line30.left(colon));
    const QString text = value(line30.mid(colon + 1));
    const bool ascii = isAscii(text);
    if (!ascii)
        head += QStringLiteral(";CHARSET=UTF-8");
    if (text.contains(QLatin1Char('\n')) || (quotedPrintable && !ascii)) {
        head += QLatin1Char(';') + encoding + QLatin1Char(':');
        const QByteArray headBytes = head.toUtf8();
        return headBytes + PWVCard21Syntax::quotedPrintable(text.toUtf8(), headBytes.size()) + "\r\n";
    }
    return (head + QLatin1Char(':') + text).toUtf8() + "\r\n";
}

std::optional<QString> PWVCard21Syntax::decodedLine(const QByteArray &written)
{
    QByteArray bytes = written;
    while (bytes.endsWith('\n') || bytes.endsWith('\r'))
        bytes.chop(1);
    const qsizetype colon = bytes.indexOf(':');
    if (colon < 0)
        return std::nullopt;
    const QString head = QString::fromUtf8(bytes.left(colon));
    const QString upper = head.toUpper();
    if (!upper.contains(QLatin1String("QUOTED-PRINTABLE")) || upper.contains(QLatin1String("BASE64")))
        return std::nullopt;
    // Soft line breaks join the physical lines whole.
    QByteArray value = bytes.mid(colon + 1);
    value.replace("=\r\n", "").replace("=\n", "").replace("=\r", "");
    QByteArray decoded;
    for (qsizetype i = 0; i < value.size(); ++i) {
        // An "=" that starts no escape stays as it is, as readers take it.
        if (value.at(i) == '=' && i + 2 < value.size() && std::isxdigit(uchar(value.at(i + 1)))
            && std::isxdigit(uchar(value.at(i + 2)))) {
            decoded.append(char(value.mid(i + 1, 2).toInt(nullptr, 16)));
            i += 2;
            continue;
        }
        decoded.append(value.at(i));
    }
    QString charset = QStringLiteral("UTF-8");
    for (const QString &part : head.split(QLatin1Char(';'))) {
        if (part.section(QLatin1Char('='), 0, 0).trimmed().compare(QLatin1String("CHARSET"), Qt::CaseInsensitive) == 0)
            charset = part.section(QLatin1Char('='), 1).trimmed();
    }
    QStringDecoder decoder(charset.toLatin1().constData());
    if (!decoder.isValid())
        return std::nullopt;
    QString text = decoder.decode(decoded);
    if (decoder.hasError())
        return std::nullopt;
    return head + QLatin1Char(':') + text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

qsizetype PWVCard21Syntax::colonOutsideQuotes(const QString &text)
{
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('"'))
            quoted = !quoted;
        else if (text.at(i) == QLatin1Char(':') && !quoted)
            return i;
    }
    return -1;
}
