#pragma once

#include "platform/PWGroup.h"
#include "platform/PWVCardLine.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

class PWPerson;

// The second stage of vCard reading: cards to persons and groups, in the dialect desktop
// address books write. Grouped lines ("item1.TEL" with "item1.X-ABLabel") take the group's
// label; TYPE parameters give the standard labels; the preferred entry (vCard 4.0's lowest
// PREF, else the first "pref" type or bare PREF) becomes the primary one; photos come
// as base64 or data URIs; instant messaging as X-AIM, X-JABBER, X-MSN, X-ICQ, X-YAHOO or IMPP;
// other dates and related names as X-ABDATE and X-ABRELATEDNAMES. Lines of no known meaning are
// left out. Group cards (X-ADDRESSBOOKSERVER-KIND or KIND "group") make groups, not persons.
class PWVCardReader
{
public:
    struct Options
    {
        explicit Options(bool keep = false)
            : keepUniqueIds(keep)
        {
        }
        // Take the card's UID as the person's unique id (the address book keeps identities
        // this way); otherwise every person read is a new one.
        bool keepUniqueIds;
    };

    // Every person card of the bytes. Nothing, with a reason, when the bytes hold no card.
    static std::optional<QList<std::shared_ptr<PWPerson>>> personsFromData(const QByteArray &bytes,
                                                                           QString *error = nullptr,
                                                                           const Options &options = Options());
    // The first person card of the bytes, or null with a reason.
    static std::shared_ptr<PWPerson> personFromData(const QByteArray &bytes, QString *error = nullptr,
                                                    const Options &options = Options());
    static std::shared_ptr<PWPerson> personFromCard(const PWVCard &card, const Options &options = Options());

    // What became of one content line of a card in the person read from it.
    struct LineUse
    {
        // Empty for a line of no meaning to the person; "ENTRY" for an entry of a multi-value;
        // else what a writer changes together: "N", "FN", "NICKNAME", "X-MAIDENNAME", "ORG",
        // "X-ABSHOWAS", "TITLE", "NOTE", "BDAY", "PHOTO", "HOMEPAGE", "PROP:<property>".
        QString unit;
        // The multi-value property and the entry's identifier in the person read.
        QString property;
        QString entry;
        // The entry's own line rather than one its group adds (a label, a country code).
        bool main = true;
    };
    // The same, with uses holding one LineUse per line of the card.
    static std::shared_ptr<PWPerson> personFromCard(const PWVCard &card, const Options &options, QList<LineUse> *uses);

    // The phone number of a tel: URI (RFC 3966), as vCard 4.0 writes phones with VALUE=uri
    // ("tel:+1-555-555-5555;ext=5555"): its number with percent escapes decoded, an extension as
    // " ext. 5555", other URI parameters left out. Nothing for a value that is no tel: URI.
    static std::optional<QString> numberOfTelUri(const QString &value);

    static bool isGroupCard(const PWVCard &card);
    // The group of a group card; nothing for a person card.
    static std::optional<PWGroup> groupFromCard(const PWVCard &card);
};
