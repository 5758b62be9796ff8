#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A content line as vCard 2.1 writes it, from the line as the 3.0 writer made it: that version
// knows no "\n" or "\," escapes and its readers keep the blank after a fold, so a value with line
// breaks is written QUOTED-PRINTABLE with soft line breaks, as is a value beyond ASCII where the
// line it replaces was so written; other text beyond ASCII says its charset. A line is never
// folded otherwise: a blank put in for a fold would become part of the value.
class PWVCard21Syntax
{
public:
    // encoding: the parameter the card names quoted-printable with ("ENCODING=QUOTED-PRINTABLE"
    // or the bare "QUOTED-PRINTABLE"). The answer ends in CRLF.
    static QByteArray line(const QString &line30, bool quotedPrintable, const QString &encoding);
    // The 3.0-escaped value as 2.1 has it: line breaks as line breaks, commas and colons bare;
    // escaped semicolons (component separators) and backslashes stay escaped.
    static QString value(const QString &value30);
    // The bytes quoted-printable, soft line breaks keeping each physical line within 76
    // characters; firstLineUsed is what the line's head already takes of the first.
    static QByteArray quotedPrintable(const QByteArray &bytes, qsizetype firstLineUsed);
    // A written quoted-printable line as its head and its decoded value ("N;CHARSET=UTF-8;
    // ENCODING=QUOTED-PRINTABLE:Müller;Jürgen"), so that a value can be put into it; nothing for
    // another line, or one whose charset is unknown or whose bytes are not of it.
    static std::optional<QString> decodedLine(const QByteArray &written);

    // Where a logical line's head ends: its first colon outside a quoted parameter value; -1 when
    // it has none.
    static qsizetype colonOutsideQuotes(const QString &text);
};
