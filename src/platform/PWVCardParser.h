#pragma once

#include "platform/PWVCardLine.h"

#include <QByteArray>
#include <QList>
#include <QLoggingCategory>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

Q_DECLARE_LOGGING_CATEGORY(lcVCard)

// A card as it stands in its text: its logical lines as written (folds, soft line breaks and line
// ends kept, the BEGIN and END lines and lines that could not be read included), in the bytes the
// file holds (UTF-16 text as UTF-8), and for each content line of the parsed card the index of
// the written line it came from.
struct PWVCardSource
{
    QList<QByteArray> lines;
    QList<int> lineOfContent;
};

// The first stage of vCard reading: bytes to content lines, after RFC 2425/2426 (vCard 3.0) and
// the vCard 2.1 forms desktop address books still write. Accepts UTF-8, UTF-16 with or without a
// byte-order mark (either byte order) and, line by line in a file that is no UTF-8 as a whole,
// the character set a line's CHARSET names (any the system's converters know: Shift-JIS, Greek,
// ...), else UTF-8 where its bytes are that and Windows Latin 1 elsewhere (each line read so
// named in problems); CRLF, LF or CR line ends; folded lines; quoted-printable values with soft
// line breaks, in their CHARSET.
// Input size, cards, lines per card and nesting of embedded cards are bounded.
class PWVCardParser
{
public:
    static constexpr qsizetype kMaxBytes = 64 * 1024 * 1024;
    static constexpr int kMaxCards = 100000;
    static constexpr int kMaxLinesPerCard = 20000;
    static constexpr int kMaxParameters = 64;
    static constexpr int kMaxDepth = 8;
    // The most characters the text values of one card hold (pictures and other data written as
    // base64 aside), as a record of delimited text: a name of megabytes would take a print
    // minutes and gigabytes to lay out.
    static constexpr qsizetype kMaxCardCharacters = 1024 * 1024;

    // The cards of the bytes, in order. Nothing, with a reason (also logged), when the bytes
    // are too large, cannot be decoded, nest cards too deeply or hold no complete card. Lines
    // that cannot be read and a last card cut off before its END are left out and logged.
    // A card whose END is missing ends where the next card begins (a card embedded in another
    // begins only after an empty AGENT line of that card) and is left out. Cards past kMaxCards are left
    // out, and so is a card whose text values hold more than kMaxCardCharacters. Each card left
    // out is one sentence in problems, logged as a warning.
    // beginLines, when given, counts the lines of the text that open a card, read or not: a
    // caller can tell from it that cards were lost.
    static std::optional<QList<PWVCard>> parse(const QByteArray &bytes, QString *error = nullptr,
                                               int *beginLines = nullptr, QStringList *problems = nullptr);
    // The same, each card handed to take as soon as it is complete (take may move it away), so
    // that a caller making persons never holds every card of a large file at once. False, with
    // a reason, where parse() answers nothing; the cards handed over by then are the caller's
    // to drop.
    // A line without a colon that follows a content line of its card is read as that line's
    // continuation (folded without its blank) and named in notes, when given; one at the start of
    // a card is left out and named in problems.
    static bool parseEach(const QByteArray &bytes, const std::function<void(PWVCard &)> &take,
                          QString *error = nullptr, int *beginLines = nullptr, QStringList *problems = nullptr,
                          QStringList *notes = nullptr);

    // The same, each card handed over with its source: a writer can then keep what it does not
    // change exactly as it was written.
    static bool parseEachWithSource(const QByteArray &bytes,
                                    const std::function<void(PWVCard &, PWVCardSource &)> &take,
                                    QString *error = nullptr, int *beginLines = nullptr,
                                    QStringList *problems = nullptr, QStringList *notes = nullptr);

    // The text of the bytes in the encodings above; nothing with a reason for broken UTF-16.
    static std::optional<QString> decodeText(const QByteArray &bytes, QString *error = nullptr);

    // Text value escapes: "\n" and "\N" a line feed, "\," "\;" "\:" and "\\" the character.
    static QString unescapeText(const QString &value);
    // The components of a structured value (N, ADR, ORG) split at unescaped separators, each
    // unescaped.
    static QStringList splitStructured(const QString &value, QChar separator = QLatin1Char(';'));

private:
    static bool parseCards(const QByteArray &bytes, const std::function<void(PWVCard &)> &take,
                           const std::function<void(PWVCard &, PWVCardSource &)> &takeWithSource, QString *error,
                           int *beginLines, QStringList *problems, QStringList *notes);
};
