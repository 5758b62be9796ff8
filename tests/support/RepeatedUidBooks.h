#pragma once

// Address book folders whose cards share UIDs: several files of one UID, files holding several
// cards of one UID, cards without a UID, groups naming a shared UID and groups sharing one. Every
// person card and group has a name of its own, so that a test tells each card from the others
// by what its file says, and every person card has a note line of its own that an edit replaces.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

#include <algorithm>

namespace repeateduids {

struct CardSpec
{
    QString uid; // empty: the card has no UID line
    QString name; // a person's last name, or a group's name
    QStringList members; // a group's member UIDs; empty for a person
    bool group = false;
};

inline CardSpec personCard(const QString &uid, const QString &last)
{
    return CardSpec {uid, last, {}, false};
}

inline CardSpec groupCard(const QString &uid, const QString &name, const QStringList &members)
{
    return CardSpec {uid, name, members, true};
}

struct FileSpec
{
    QString name;
    QList<CardSpec> cards;
};

struct Layout
{
    const char *name;
    QList<FileSpec> files;
};

inline std::ostream &operator<<(std::ostream &out, const Layout &layout)
{
    return out << layout.name;
}

// The note line a person card carries, as written.
inline QByteArray noteLine(const CardSpec &card)
{
    return "NOTE:note of " + card.name.toUtf8();
}

// A card in one of three forms other programs write: vCard 3.0 with CRLF and another program's
// line; vCard 2.1 with a quoted-printable address; vCard 3.0 with LF ends and a grouped phone.
inline QByteArray cardBytes(const CardSpec &card, int form)
{
    const QByteArray uid = card.uid.isEmpty() ? QByteArray() : "UID:" + card.uid.toUtf8();
    const QByteArray name = card.name.toUtf8();
    QList<QByteArray> lines;
    if (card.group) {
        lines = {"BEGIN:VCARD", "VERSION:3.0", "FN:" + name, "N:" + name, "X-ADDRESSBOOKSERVER-KIND:group"};
        if (!uid.isEmpty())
            lines.append(uid);
        for (const QString &member : card.members)
            lines.append("X-ADDRESSBOOKSERVER-MEMBER:urn:uuid:" + member.toUtf8());
        lines.append("END:VCARD");
        return lines.join("\r\n") + "\r\n";
    }
    switch (form % 3) {
    case 0:
        lines = {"BEGIN:VCARD", "VERSION:3.0", "N:" + name + ";Pat;;;", "FN:Pat " + name, uid, noteLine(card),
                 "X-OTHER-APP;X-P=1:kept", "END:VCARD"};
        break;
    case 1:
        lines = {"BEGIN:VCARD", "VERSION:2.1", uid, "N:" + name + ";Lee",
                 "ADR;WORK;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:;;Stra=C3=9Fe 1;Town;;;", noteLine(card),
                 "END:VCARD"};
        break;
    default:
        lines = {"BEGIN:VCARD", "VERSION:3.0", "N:" + name + ";Sam;;;", "item1.TEL:+1 555 0100",
                 "item1.X-ABLabel:Boat", noteLine(card), uid, "END:VCARD"};
        lines.removeAll(QByteArray());
        return lines.join("\n") + "\n";
    }
    lines.removeAll(QByteArray());
    return lines.join("\r\n") + "\r\n";
}

// The files in the order a folder lists them by name.
inline QList<FileSpec> filesInOrder(const Layout &layout)
{
    QList<FileSpec> files = layout.files;
    std::sort(files.begin(), files.end(), [](const FileSpec &a, const FileSpec &b) { return a.name < b.name; });
    return files;
}

// Each card's bytes by file, in file order; the forms vary from card to card.
inline QList<QByteArray> cardsOfFile(const FileSpec &file)
{
    QList<QByteArray> cards;
    for (qsizetype i = 0; i < file.cards.size(); ++i)
        cards.append(cardBytes(file.cards.at(i), int(i + file.name.size())));
    return cards;
}

// Writes the layout into the folder; false when a file cannot be written.
inline bool writeLayout(const Layout &layout, const QString &folder)
{
    if (!QDir().mkpath(folder))
        return false;
    for (const FileSpec &file : layout.files) {
        QFile out(QDir(folder).filePath(file.name));
        if (!out.open(QIODevice::WriteOnly) || out.write(cardsOfFile(file).join()) < 0)
            return false;
    }
    return true;
}

// Every person card in reading order (files by name, cards in file order).
inline QList<CardSpec> personCards(const Layout &layout)
{
    QList<CardSpec> persons;
    for (const FileSpec &file : filesInOrder(layout)) {
        for (const CardSpec &card : file.cards) {
            if (!card.group)
                persons.append(card);
        }
    }
    return persons;
}

inline QStringList personNames(const Layout &layout)
{
    QStringList names;
    for (const CardSpec &card : personCards(layout))
        names.append(card.name);
    return names;
}

// For each UID, the name of the first card (person or group) in reading order that carries it.
// A file's first card without a UID carries its file's name.
inline QMap<QString, QString> firstOfUid(const Layout &layout)
{
    QMap<QString, QString> first;
    for (const FileSpec &file : filesInOrder(layout)) {
        for (qsizetype i = 0; i < file.cards.size(); ++i) {
            const CardSpec &card = file.cards.at(i);
            QString uid = card.uid;
            if (uid.isEmpty() && i == 0)
                uid = file.name.chopped(4);
            if (!uid.isEmpty() && !first.contains(uid))
                first.insert(uid, card.name);
        }
    }
    return first;
}

// The persons a group shows: for each member UID in the group's order, every person card that
// carries it, in reading order, each once.
inline QStringList groupMembers(const Layout &layout, const CardSpec &group)
{
    QStringList names;
    for (const QString &member : group.members) {
        for (const CardSpec &card : personCards(layout)) {
            if (card.uid == member && !names.contains(card.name))
                names.append(card.name);
        }
    }
    return names;
}

inline QList<CardSpec> groupCards(const Layout &layout)
{
    QList<CardSpec> groups;
    for (const FileSpec &file : layout.files)
        for (const CardSpec &card : file.cards)
            if (card.group)
                groups.append(card);
    return groups;
}

inline QList<Layout> layouts()
{
    using namespace Qt::StringLiterals;
    const auto p = personCard;
    const auto g = groupCard;
    const auto f = [](const QString &name, const QList<CardSpec> &cards) { return FileSpec {name, cards}; };
    return {
        {"SeveralFilesOfOneUid",
         {f(u"a.vcf"_s, {p(u"x"_s, u"Adams"_s)}), f(u"b.vcf"_s, {p(u"x"_s, u"Baker"_s)}),
          f(u"c.vcf"_s, {p(u"x"_s, u"Clark"_s)})}},
        {"OneFileRepeatsAUid",
         {f(u"people.vcf"_s,
            {p(u"x"_s, u"Adams"_s), p(u"y"_s, u"Baker"_s), p(u"x"_s, u"Clark"_s), p(u"x"_s, u"Dunn"_s)})}},
        {"FilesAndCardsRepeat",
         {f(u"b.vcf"_s, {p(u"y"_s, u"Clark"_s), p(u"x"_s, u"Dunn"_s)}),
          f(u"a.vcf"_s, {p(u"x"_s, u"Adams"_s), p(u"y"_s, u"Baker"_s)}), f(u"c.vcf"_s, {p(u"x"_s, u"Evans"_s)})}},
        {"CardsWithoutUids",
         {f(u"d.vcf"_s, {p(QString(), u"Adams"_s), p(QString(), u"Baker"_s), p(QString(), u"Clark"_s)}),
          f(u"e.vcf"_s, {p(u"d"_s, u"Dunn"_s), p(QString(), u"Evans"_s)})}},
        {"GroupOfARepeatedUid",
         {f(u"a.vcf"_s, {p(u"x"_s, u"Adams"_s)}), f(u"b.vcf"_s, {p(u"x"_s, u"Baker"_s), p(u"z"_s, u"Clark"_s)}),
          f(u"g.vcf"_s, {g(u"g1"_s, u"Friends"_s, {u"x"_s})}),
          f(u"h.vcf"_s, {g(u"g2"_s, u"Others"_s, {u"z"_s, u"x"_s})})}},
        {"GroupsOfOneUid",
         {f(u"a.vcf"_s, {p(u"x"_s, u"Adams"_s), p(u"y"_s, u"Baker"_s)}),
          f(u"g.vcf"_s, {g(u"t"_s, u"Team"_s, {u"x"_s})}),
          f(u"h.vcf"_s, {g(u"t"_s, u"Crew"_s, {u"y"_s}), p(u"t"_s, u"Clark"_s)})}},
        {"GroupAndPersonsInOneFile",
         {f(u"all.vcf"_s, {g(u"g1"_s, u"Club"_s, {u"x"_s, u"y"_s}), p(u"x"_s, u"Adams"_s), p(u"y"_s, u"Baker"_s),
                          p(u"x"_s, u"Clark"_s)}),
          f(u"more.vcf"_s, {p(u"y"_s, u"Dunn"_s)})}},
    };
}

} // namespace repeateduids
