#include "kernel/base/CDDReadReport.h"

#include "kernel/base/CDDArchiveKeys.h"

#include <algorithm>
#include <unordered_set>

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
    m_unreadAt[dictionary].push_back(m_unread.size());
    m_unread.push_back({dictionary, key, what, false, QString()});
}

void CDDReadReport::noteKept(const PWPlist::Dictionary *dictionary, const QString &key, const QString &what)
{
    m_unreadAt[dictionary].push_back(m_unread.size());
    m_unread.push_back({dictionary, key, what, true, QString()});
}

void CDDReadReport::noteLookup(const std::shared_ptr<PWPlist::Dictionary> &dictionary, const QString &key, bool found)
{
    if (!dictionary)
        return;
    auto [entry, inserted] = m_lookups.try_emplace(dictionary.get());
    Lookups &lookups = entry->second;
    if (inserted) {
        lookups.dictionary = dictionary;
        lookups.order = m_order.size();
        m_order.push_back(dictionary.get());
    }
    QSet<QString> &keys = found ? lookups.found : lookups.missingSet;
    if (keys.contains(key))
        return;
    keys.insert(key);
    if (!found)
        lookups.missing.append(key);
    if (!lookups.lookedUpSince) {
        lookups.lookedUpSince = true;
        m_lookedUp.push_back(dictionary.get());
    }
}

namespace {

template<typename Known>
QString damagedFormAmong(const PWPlist::Dictionary &dictionary, const QString &key, const Known &known)
{
    if (dictionary.contains(key))
        return QString();
    for (const PWPlist::Dictionary::Entry &entry : dictionary) {
        if (oneCharacterApart(entry.first, key) && !known(entry.first))
            return entry.first;
    }
    return QString();
}

} // namespace

QString CDDReadReport::damagedFormOf(const PWPlist::Dictionary &dictionary, const QString &key, const QStringList &known)
{
    return damagedFormAmong(dictionary, key, [&known](const QString &entry) { return known.contains(entry); });
}

void CDDReadReport::findDamagedKeys() const
{
    // Once a reading is over, its report is only read, from any thread.
    if (m_lookedUp.empty())
        return;
    for (const PWPlist::Dictionary *dictionary : m_lookedUp) {
        Lookups &lookups = m_lookups.at(dictionary);
        lookups.lookedUpSince = false;
        lookups.damaged.clear();
        const auto asked = [&lookups](const QString &entry) {
            return lookups.found.contains(entry) || lookups.missingSet.contains(entry);
        };
        for (const QString &key : lookups.missing) {
            const QString damaged = damagedFormAmong(*lookups.dictionary, key, asked);
            if (!damaged.isEmpty())
                lookups.damaged.emplace_back(key, damaged);
        }
        if (lookups.damaged.empty())
            m_withDamage.erase(lookups.order);
        else
            m_withDamage.insert(lookups.order);
    }
    m_lookedUp.clear();
}

std::vector<CDDReadReport::Unread> CDDReadReport::withDamagedKeys() const
{
    findDamagedKeys();
    std::vector<Unread> unread = m_unread;
    for (const size_t order : m_withDamage) {
        const PWPlist::Dictionary *dictionary = m_order.at(order);
        const Lookups &lookups = m_lookups.at(dictionary);
        for (const auto &[key, damaged] : lookups.damaged) {
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
    if (!child || !parent)
        return;
    const auto [entry, inserted] = m_parents.try_emplace(child, Parent {parent, path});
    if (!inserted && entry->second.dictionary == parent) {
        entry->second.path = path;
        return;
    }
    entry->second = {parent, path};
    // names() follows a child only from the parent it has now.
    m_children[parent].push_back(child);
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
    findDamagedKeys();
    // Whether two paths agree as far as the shorter goes.
    const auto agree = [&path](const QStringList &at) {
        const qsizetype common = std::min(at.size(), path.size());
        return at.mid(0, common) == path.mid(0, common);
    };
    // Down from dictionary, only into the children that lie on path or below it, each once. A
    // reading asks this as it goes, so it never goes over the parts of the whole file.
    std::vector<std::pair<const PWPlist::Dictionary *, QStringList>> open {{dictionary, QStringList()}};
    std::unordered_set<const PWPlist::Dictionary *> seen {dictionary};
    while (!open.empty()) {
        const auto [at, from] = std::move(open.back());
        open.pop_back();
        const auto partAt = [&](const QString &key) {
            // A part of the whole dictionary, without a key, says nothing of any one key.
            const QStringList partPath = key.isEmpty() ? from : from + QStringList {key};
            return !partPath.isEmpty() && agree(partPath);
        };
        if (const auto parts = m_unreadAt.find(at); parts != m_unreadAt.end()) {
            for (const size_t part : parts->second) {
                if (partAt(m_unread.at(part).key))
                    return true;
            }
        }
        if (const auto lookups = m_lookups.find(at); lookups != m_lookups.end()) {
            for (const auto &damaged : lookups->second.damaged) {
                if (partAt(damaged.first))
                    return true;
            }
        }
        const auto children = m_children.find(at);
        if (children == m_children.end())
            continue;
        for (const PWPlist::Dictionary *child : children->second) {
            const auto parent = m_parents.find(child);
            if (parent == m_parents.end() || parent->second.dictionary != at || seen.contains(child))
                continue;
            QStringList childPath = from + parent->second.path;
            if (!agree(childPath))
                continue;
            seen.insert(child);
            open.emplace_back(child, std::move(childPath));
        }
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
