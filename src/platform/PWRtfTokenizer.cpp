#include "platform/PWRtfTokenizer.h"

namespace {

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::optional<QList<PWRtfToken>> PWRtfTokenizer::tokenize(const QByteArray &bytes, QString *error)
{
    const auto fail = [error](const QString &reason) -> std::optional<QList<PWRtfToken>> {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    if (bytes.size() > kMaxInputSize)
        return fail(QStringLiteral("%1 bytes are more than RTF text may have").arg(bytes.size()));

    QList<PWRtfToken> tokens;
    const char *const begin = bytes.constData();
    const qsizetype size = bytes.size();
    qsizetype i = 0;
    const auto appendText = [&tokens](char c) {
        if (tokens.isEmpty() || tokens.last().type != PWRtfToken::Type::Text)
            tokens.append(PWRtfToken{PWRtfToken::Type::Text, QByteArray(), false, 0});
        tokens.last().bytes.append(c);
    };
    while (i < size) {
        const char c = begin[i];
        if (c == '{') {
            tokens.append(PWRtfToken{PWRtfToken::Type::GroupStart, QByteArray(), false, 0});
            ++i;
        } else if (c == '}') {
            tokens.append(PWRtfToken{PWRtfToken::Type::GroupEnd, QByteArray(), false, 0});
            ++i;
        } else if (c == '\r' || c == '\n') {
            ++i;
        } else if (c != '\\') {
            appendText(c);
            ++i;
        } else if (i + 1 >= size) {
            return fail(QStringLiteral("a backslash ends the text"));
        } else if (isLetter(begin[i + 1])) {
            qsizetype j = i + 1;
            while (j < size && isLetter(begin[j]))
                ++j;
            if (j - (i + 1) > kMaxWordLength)
                return fail(QStringLiteral("a control word at byte %1 is too long").arg(i));
            PWRtfToken token{PWRtfToken::Type::ControlWord, QByteArray(begin + i + 1, j - (i + 1)), false, 0};
            const qsizetype numberStart = j;
            if (j < size && begin[j] == '-' && j + 1 < size && isDigit(begin[j + 1]))
                ++j;
            qint64 value = 0;
            while (j < size && isDigit(begin[j])) {
                value = value * 10 + (begin[j] - '0');
                if (value > qint64(2147483648LL))
                    return fail(QStringLiteral("the parameter of a control word at byte %1 is out of range").arg(i));
                ++j;
            }
            if (j > numberStart) {
                token.hasParameter = true;
                const bool negative = begin[numberStart] == '-';
                if (!negative && value > 2147483647LL)
                    return fail(QStringLiteral("the parameter of a control word at byte %1 is out of range").arg(i));
                token.parameter = int(negative ? -value : value);
            }
            // One space after a control word belongs to it.
            if (j < size && begin[j] == ' ')
                ++j;
            i = j;
            if (token.bytes == "bin") {
                const qint64 length = token.hasParameter ? token.parameter : 0;
                if (length < 0 || length > size - i)
                    return fail(QStringLiteral("\\bin at byte %1 runs past the end").arg(i));
                tokens.append(PWRtfToken{PWRtfToken::Type::Binary, QByteArray(begin + i, qsizetype(length)), false, 0});
                i += qsizetype(length);
            } else {
                tokens.append(token);
            }
        } else if (begin[i + 1] == '\'') {
            const int high = i + 2 < size ? hexValue(begin[i + 2]) : -1;
            const int low = i + 3 < size ? hexValue(begin[i + 3]) : -1;
            if (high < 0 || low < 0)
                return fail(QStringLiteral("a hexadecimal byte at byte %1 is malformed").arg(i));
            tokens.append(PWRtfToken{PWRtfToken::Type::HexByte, QByteArray(1, char(high * 16 + low)), false, 0});
            i += 4;
        } else if (begin[i + 1] == '\\' || begin[i + 1] == '{' || begin[i + 1] == '}') {
            appendText(begin[i + 1]);
            i += 2;
        } else {
            // A backslash before a line end is a paragraph mark, as the original platform writes it.
            const char symbol = begin[i + 1] == '\r' ? '\n' : begin[i + 1];
            tokens.append(PWRtfToken{PWRtfToken::Type::ControlSymbol, QByteArray(1, symbol), false, 0});
            i += 2;
            if (begin[i - 1] == '\r' && i < size && begin[i] == '\n')
                ++i;
        }
    }
    if (error)
        error->clear();
    return tokens;
}
