#include "app/contacts/CAStoredListMerge.h"

#include "platform/PWUserDefaults.h"

#include <QHash>
#include <QList>
#include <QSet>

#include <functional>

namespace {

using Identify = std::function<QString(const PWPlist &)>;
using MergeBoth = std::function<PWPlist(const PWPlist &base, const PWPlist &mine, const PWPlist &theirs)>;

struct Keyed
{
    QString key;
    PWPlist value;
};

// The entries with keys unique in their list: the identity, and how often it came before.
QList<Keyed> keyedEntries(const PWPlist &list, const Identify &identify)
{
    QList<Keyed> keyed;
    QHash<QString, int> seen;
    for (const PWPlist &entry : list.toArray()) {
        const QString identity = identify(entry);
        keyed.append(Keyed{identity + QLatin1Char('#') + QString::number(seen[identity]++), entry});
    }
    return keyed;
}

QHash<QString, PWPlist> byKey(const QList<Keyed> &entries)
{
    QHash<QString, PWPlist> found;
    for (const Keyed &entry : entries)
        found.insert(entry.key, entry.value);
    return found;
}

PWPlist mergeEntries(const PWPlist &base, const PWPlist &mine, const PWPlist &theirs, const Identify &identify,
                     const MergeBoth &both)
{
    // A side whose value is no list at all is not merged entry by entry: this process's value,
    // which it changed, stays.
    if (!mine.isArray() || !theirs.isArray())
        return mine;
    const QList<Keyed> mineKeyed = keyedEntries(mine, identify);
    const QList<Keyed> theirsKeyed = keyedEntries(theirs, identify);
    const QHash<QString, PWPlist> inBase = byKey(keyedEntries(base.isArray() ? base : PWPlist(PWPlist::Array()), identify));
    const QHash<QString, PWPlist> inTheirs = byKey(theirsKeyed);
    QSet<QString> inMine;
    QList<Keyed> merged;
    for (const Keyed &entry : mineKeyed) {
        inMine.insert(entry.key);
        const auto read = inBase.constFind(entry.key);
        const auto their = inTheirs.constFind(entry.key);
        if (read != inBase.constEnd() && their == inTheirs.constEnd()) {
            // The other removed it: gone, unless this process changed it since.
            if (entry.value != *read)
                merged.append(entry);
            continue;
        }
        if (their == inTheirs.constEnd() || *their == entry.value) {
            merged.append(entry);
            continue;
        }
        const PWPlist was = read != inBase.constEnd() ? *read : PWPlist();
        const PWPlist value = entry.value == was ? *their : *their == was ? entry.value : both(was, entry.value, *their);
        merged.append(Keyed{entry.key, value});
    }
    // What the other added goes after the entry it followed there.
    for (qsizetype i = 0; i < theirsKeyed.size(); ++i) {
        const Keyed &entry = theirsKeyed.at(i);
        if (inBase.contains(entry.key) || inMine.contains(entry.key))
            continue;
        qsizetype at = 0;
        for (qsizetype before = i - 1; before >= 0 && at == 0; --before) {
            const QString &key = theirsKeyed.at(before).key;
            for (qsizetype j = 0; j < merged.size(); ++j)
                if (merged.at(j).key == key)
                    at = j + 1;
        }
        merged.insert(at, entry);
    }
    PWPlist::Array values;
    values.reserve(merged.size());
    for (const Keyed &entry : std::as_const(merged))
        values.append(entry.value);
    return PWPlist(values);
}

PWPlist keepMine(const PWPlist &, const PWPlist &mine, const PWPlist &)
{
    return mine;
}

// One print list both processes changed: each of its keys merged, its persons entry by entry.
PWPlist mergeList(const PWPlist &base, const PWPlist &mine, const PWPlist &theirs)
{
    if (!mine.isDictionary() || !theirs.isDictionary())
        return mine;
    const PWPlist::Dictionary mineList = mine.toDictionary();
    const PWPlist::Dictionary theirList = theirs.toDictionary();
    QStringList keys = mineList.keys();
    for (const QString &key : theirList.keys())
        if (!keys.contains(key))
            keys.append(key);
    PWPlist::Dictionary merged;
    for (const QString &key : std::as_const(keys)) {
        const PWPlist was = base.value(key);
        const PWPlist my = mineList.value(key);
        const PWPlist their = theirList.value(key);
        const PWPlist kept = my == was                            ? their
                             : their == was || their == my         ? my
                             : key == QLatin1String("Persons") ? CAStoredListMerge::mergePersons(was, my, their)
                                                                   : my;
        if (!kept.isNull())
            merged.insert(key, kept);
    }
    return PWPlist(merged);
}

QString listIdentity(const PWPlist &list)
{
    const PWPlist name = list.value(QStringLiteral("Name"));
    return name.isString() ? QStringLiteral("name:") + name.toString() : QString::fromUtf8(list.toXml());
}

} // namespace

void CAStoredListMerge::install(PWUserDefaults &defaults)
{
    defaults.setMergeForKey(QStringLiteral("PrintListArray"), &CAStoredListMerge::mergePrintLists);
    defaults.setMergeForKey(QStringLiteral("SenderList"), &CAStoredListMerge::mergePersons);
    defaults.setMergeForKey(QStringLiteral("LocalContactBase"), &CAStoredListMerge::mergePersons);
}

PWPlist CAStoredListMerge::mergePersons(const PWPlist &base, const PWPlist &mine, const PWPlist &theirs)
{
    return mergeEntries(base, mine, theirs, &CAStoredListMerge::personIdentity, &keepMine);
}

PWPlist CAStoredListMerge::mergePrintLists(const PWPlist &base, const PWPlist &mine, const PWPlist &theirs)
{
    return mergeEntries(base, mine, theirs, &listIdentity, &mergeList);
}

QString CAStoredListMerge::personIdentity(const PWPlist &stored)
{
    const QByteArray card = stored.value(QStringLiteral("personData")).toData();
    for (QByteArray line : card.split('\n')) {
        line = line.trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        QByteArray name = line.left(colon);
        name = name.left(name.indexOf(';') >= 0 ? name.indexOf(';') : name.size());
        name = name.mid(name.lastIndexOf('.') + 1);
        if (name.compare("UID", Qt::CaseInsensitive) == 0 && colon + 1 < line.size())
            return QStringLiteral("uid:") + QString::fromUtf8(line.mid(colon + 1).trimmed());
    }
    return QStringLiteral("form:") + QString::fromUtf8(stored.toXml().toBase64());
}
