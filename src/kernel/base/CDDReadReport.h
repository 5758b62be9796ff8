#pragma once

#include "platform/PWPlist.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>
#include <set>
#include <unordered_map>
#include <vector>

// What the reading of one file could not take from it. Readers note the parts they had to leave
// out; the archives of the reading note every key they look up, so that a key the readers asked
// for in vain, standing beside an unknown key one character away from it (one damaged byte), is
// reported as damaged rather than read as absent. A report is shared by all archives of a reading.
class CDDReadReport
{
public:
    // What became of a part the reading named, which says what a save does with it.
    enum class Kind {
        // Not taken into the design: a save over the file would lose it, and asks first.
        LeftOut,
        // Kept in the design as the file has it, though not shown as it says (each part tells
        // how it is shown): a save writes it back as it was.
        Kept,
    };
    static constexpr int kKindCount = int(Kind::Kept) + 1;
    // The words that follow each part of the kind wherever the problems are told.
    static QString fateOf(Kind kind);

    // A part left out or changed by the reading, in words a user can follow. key names the key
    // the part was read from, when there is one, so that a damaged key is reported once.
    void noteUnread(const PWPlist::Dictionary *dictionary, const QString &key, const QString &what);
    // A part that reads as nothing but stays in the design as it was, so that a save writes it
    // back (a picture by a name the content library lacks): one of the problems, though a save
    // loses nothing of it.
    void noteKept(const PWPlist::Dictionary *dictionary, const QString &key, const QString &what);
    // A lookup of key in a dictionary of the file; the dictionary is kept alive by the report.
    void noteLookup(const std::shared_ptr<PWPlist::Dictionary> &dictionary, const QString &key, bool found);
    // A dictionary of the file read as the value under path in parent: a key, or a key and the
    // entry "[i]" of the list under it.
    void noteChild(const PWPlist::Dictionary *child, const PWPlist::Dictionary *parent, const QStringList &path);
    // Where the parts left out lie (damaged keys among them; parts kept as they were are not):
    // for each dictionary of the file that holds some at any depth, their paths of keys and "[i]"
    // list entries from that dictionary down.
    using Paths = QList<QStringList>;
    std::unordered_map<const PWPlist::Dictionary *, Paths> unreadPaths() const;

    // Whether a part noted so far lies at path below dictionary (keys and "[i]" list entries), or
    // holds it: a reader that named it said what it did with the part.
    bool names(const PWPlist::Dictionary *dictionary, const QStringList &path) const;

    // Everything noted, in reading order, damaged keys last; each once.
    QStringList problems() const;
    // The same as the user is told them: each followed by its kind's fate (fateOf).
    QStringList problemsTold() const;
    // Whether a save would lose some part of them: any problem but the parts kept.
    bool losesParts() const;
    // Whether some of them are parts kept as they were.
    bool keepsParts() const;

    // The key of the dictionary that reads as key with one character changed, among keys not in
    // known; empty when there is none.
    static QString damagedFormOf(const PWPlist::Dictionary &dictionary, const QString &key, const QStringList &known);

    // Where a dictionary of the file belongs, for a report: the component whose archive it is
    // ("a component of class ..."), else the design.
    static QString placeOf(const PWPlist::Dictionary *dictionary);

private:
    struct Unread {
        const PWPlist::Dictionary *dictionary;
        QString key;
        QString what;
        bool kept = false;
        // The key the file has in the place of key, when that is one damaged byte away.
        QString damagedKey;
    };

    std::vector<Unread> withDamagedKeys() const;
    // The damaged keys of the dictionaries looked up since they were last asked for.
    void findDamagedKeys() const;
    struct Lookups {
        std::shared_ptr<PWPlist::Dictionary> dictionary;
        // Its place in m_order.
        size_t order = 0;
        QStringList missing;
        QSet<QString> found;
        QSet<QString> missingSet;
        // The keys missing with the key of the file one character away from each, as last found.
        std::vector<std::pair<QString, QString>> damaged;
        bool lookedUpSince = false;
    };

    std::vector<Unread> m_unread;
    struct Parent {
        const PWPlist::Dictionary *dictionary;
        QStringList path;
    };
    std::unordered_map<const PWPlist::Dictionary *, Parent> m_parents;
    std::unordered_map<const PWPlist::Dictionary *, std::vector<const PWPlist::Dictionary *>> m_children;
    // The places in m_unread of the parts noted in each dictionary.
    std::unordered_map<const PWPlist::Dictionary *, std::vector<size_t>> m_unreadAt;
    // Mutable: the damaged keys are found when the parts are asked for, for the dictionaries looked
    // up since, so that a reading that asks as it goes does not go over the whole file each time.
    mutable std::unordered_map<const PWPlist::Dictionary *, Lookups> m_lookups;
    // The dictionaries in the order they were first read from, for a stable report.
    std::vector<const PWPlist::Dictionary *> m_order;
    mutable std::vector<const PWPlist::Dictionary *> m_lookedUp;
    // The places in m_order of the dictionaries with damaged keys.
    mutable std::set<size_t> m_withDamage;
};
