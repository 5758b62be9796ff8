#include "kernel/base/CDDReadReport.h"

#include "kernel/base/CDDArchiveKeys.h"

#include <algorithm>

namespace {

bool oneCharacterApart(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return false;
    int differences = 0;
    for (qsizetype i = 0; i < a.size() && differences < 2; ++i)
        differences += a.at(i) != b.at(i) ? 1 : 0;
    return differences == 1;
}

} // namespace

QString CDDReadReport::placeOf(const PWPlist::Dictionary *dictionary)
{
    const PWPlist classID = dictionary ? dictionary->value(key_ClassID) : PWPlist();
    if (classID.isString())
        return QStringLiteral("a component of class \"%1\"").arg(classID.toString());
    return QStringLiteral("the design");
}

void CDDReadReport::noteUnread(const PWPlist::Dictionary *dictionary, const QString &key, const QString &what)
{
    m_unread.push_back({dictionary, key, what, false, QString()});
}

void CDDReadReport::noteKept(const PWPlist::Dictionary *dictionary, const QString &key, const QString &what)
{
    m_unread.push_back({dictionary, key, what, true, QString()});
}

void CDDReadReport::noteLookup(const std::shared_ptr<PWPlist::Dictionary> &dictionary, const QString &key, bool found)
{
    if (!dictionary)
        return;
    auto [entry, inserted] = m_lookups.try_emplace(dictionary.get());
    if (inserted) {
        entry->second.dictionary = dictionary;
        m_order.push_back(dictionary.get());
    }
    QStringList &list = found ? entry->second.found : entry->second.missing;
    if (!list.contains(key))
        list.append(key);
}

QString CDDReadReport::damagedFormOf(const PWPlist::Dictionary &dictionary, const QString &key, const QStringList &known)
{
    if (dictionary.contains(key))
        return QString();
    for (const PWPlist::Dictionary::Entry &entry : dictionary) {
        if (!known.contains(entry.first) && oneCharacterApart(entry.first, key))
            return entry.first;
    }
    return QString();
}

std::vector<CDDReadReport::Unread> CDDReadReport::withDamagedKeys() const
{
    std::vector<Unread> unread = m_unread;
    for (const PWPlist::Dictionary *dictionary : m_order) {
        const Lookups &lookups = m_lookups.at(dictionary);
        const QStringList asked = lookups.found + lookups.missing;
        for (const QString &key : lookups.missing) {
            const QString damaged = damagedFormOf(*lookups.dictionary, key, asked);
            if (damaged.isEmpty())
                continue;
            const QString detail = QStringLiteral("the file has \"%1\" in its place").arg(damaged);
            bool told = false;
            for (Unread &part : unread) {
                if (part.dictionary == dictionary && part.key == key) {
                    part.what += QStringLiteral(" (%1)").arg(detail);
                    part.kept = false;
                    part.damagedKey = damaged;
                    told = true;
                }
            }
            if (!told)
                unread.push_back({dictionary, key,
                                  QStringLiteral("\"%1\" of %2 could not be read: %3")
                                      .arg(key, placeOf(lookups.dictionary.get()), detail),
                                  false, damaged});
        }
    }
    return unread;
}

void CDDReadReport::noteChild(const PWPlist::Dictionary *child, const PWPlist::Dictionary *parent, const QStringList &path)
{
    if (child && parent)
        m_parents[child] = {parent, path};
}

std::unordered_map<const PWPlist::Dictionary *, CDDReadReport::Paths> CDDReadReport::unreadPaths() const
{
    std::unordered_map<const PWPlist::Dictionary *, Paths> paths;
    for (const Unread &part : withDamagedKeys()) {
        if (part.kept)
            continue;
        // The value under the damaged key goes with the value it stands for.
        for (const QString &key : {part.key, part.damagedKey}) {
            if (key.isEmpty())
                continue;
            QStringList path {key};
            const PWPlist::Dictionary *at = part.dictionary;
            // Up to the file's top, each dictionary on the way taking the path from it down (and
            // no more steps than there are children, whatever the links say).
            for (size_t steps = 0; at && steps <= m_parents.size(); ++steps) {
                Paths &below = paths[at];
                if (!below.contains(path))
                    below.append(path);
                const auto parent = m_parents.find(at);
                if (parent == m_parents.end())
                    break;
                path = parent->second.path + path;
                at = parent->second.dictionary;
            }
        }
    }
    return paths;
}

bool CDDReadReport::names(const PWPlist::Dictionary *dictionary, const QStringList &path) const
{
    for (const Unread &part : withDamagedKeys()) {
        QStringList at;
        if (!part.key.isEmpty())
            at.append(part.key);
        const PWPlist::Dictionary *place = part.dictionary;
        for (size_t steps = 0; place && place != dictionary && steps <= m_parents.size(); ++steps) {
            const auto parent = m_parents.find(place);
            place = parent == m_parents.end() ? nullptr : parent->second.dictionary;
            if (place)
                at = parent->second.path + at;
        }
        // A part of the whole dictionary, without a key, says nothing of any one key.
        if (place != dictionary || at.isEmpty())
            continue;
        const qsizetype common = std::min(at.size(), path.size());
        if (at.mid(0, common) == path.mid(0, common))
            return true;
    }
    return false;
}

bool CDDReadReport::losesParts() const
{
    const std::vector<Unread> unread = withDamagedKeys();
    return std::any_of(unread.begin(), unread.end(), [](const Unread &part) { return !part.kept; });
}

bool CDDReadReport::keepsParts() const
{
    const std::vector<Unread> unread = withDamagedKeys();
    return std::any_of(unread.begin(), unread.end(), [](const Unread &part) { return part.kept; });
}

QString CDDReadReport::fateOf(Kind kind)
{
    switch (kind) {
    case Kind::LeftOut:
        return QStringLiteral("Left out of the design: a save over the file asks first, as the file would lose it.");
    case Kind::Kept:
        break;
    }
    return QStringLiteral("Kept as the file has it: a save writes it back.");
}

QStringList CDDReadReport::problems() const
{
    QStringList texts;
    for (const Unread &part : withDamagedKeys()) {
        if (!texts.contains(part.what))
            texts.append(part.what);
    }
    return texts;
}

QStringList CDDReadReport::problemsTold() const
{
    QStringList texts;
    for (const Unread &part : withDamagedKeys()) {
        QString told = part.what;
        if (!told.endsWith(u'.'))
            told += u'.';
        told += u' ' + fateOf(part.kept ? Kind::Kept : Kind::LeftOut);
        if (!texts.contains(told))
            texts.append(told);
    }
    return texts;
}
