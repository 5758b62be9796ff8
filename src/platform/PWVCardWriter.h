#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class PWGroup;
class PWPerson;

// Writes persons and groups as vCard 3.0 (RFC 2426) in the dialect desktop address books read:
// UTF-8, CRLF line ends, lines folded at 75 octets, standard labels as TYPE parameters with
// "pref" on the primary entry, any other label as a grouped X-ABLabel line. What PWVCardReader
// reads back from it is the same person: every built-in property and every registered text or
// date property of the system's own (X-PW-PROPERTY lines), with new entry identifiers.
class PWVCardWriter
{
public:
    struct Options
    {
        // Replaces the person's picture in what is written (an empty array leaves the photo
        // out); the person itself is not touched.
        std::optional<QByteArray> photo;
    };

    static QByteArray vCardRepresentation(const PWPerson &person, const Options &options = Options());
    static QByteArray vCardRepresentation(const QList<std::shared_ptr<PWPerson>> &persons);

    // The lines of vCardRepresentation() (unfolded), in the same order, each with what it writes:
    // key is a PWVCardReader::LineUse unit, or "ENTRY:<property>:<entry identifier>" for an entry
    // of a multi-value, or empty for the card's frame (BEGIN, VERSION, UID, END); group is the
    // group the unit's lines carry, if any.
    struct Unit
    {
        QString key;
        QStringList lines;
        QString group;
    };
    static QList<Unit> vCardUnits(const PWPerson &person);
    // A group card: name, UID and one member line per member id.
    static QByteArray groupRepresentation(const PWGroup &group);

    // One content line folded and ended with CRLF; name and parameters as given, value as is.
    static QByteArray foldedLine(const QString &line);
    // The tel: URI (RFC 3966) of a phone number as PWVCardReader::numberOfTelUri() reads it back:
    // blanks become the URI's visual separator "-", " ext. 12" its ";ext=12", what a URI cannot
    // hold is percent-escaped.
    static QString telUriOfNumber(const QString &number);
    // Escapes backslash, comma, semicolon and line ends of a text value or component.
    static QString escapeText(const QString &text);
};
