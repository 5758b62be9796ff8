#include "app/contacts/CAStoredListMerge.h"

#include "kernel/address/FTStoredPerson.h"
#include "platform/PWPerson.h"
#include "platform/PWUserDefaults.h"

#include <QHash>
#include <QMutex>
#include <QSet>

#include <functional>
#include <utility>

namespace {

enum class Kind { Person, PrintList };
using MergeBoth = PWPlist (*)(const PWPlist &base, const PWPlist &mine, const PWPlist &theirs);

QMutex s_guard;
// The entry this process wrote, by its bytes, to the bytes of the entry it was read as.
QHash<QByteArray, QByteArray> s_origins;
constexpr qsizetype kOriginsKept = 50000;
QHash<QString, PWPlist::Array> s_removed;
QHash<QString, PWPlist::Array> s_restored;
// The key whose merge runs on this thread: what it removed and brought back is noted under it.
thread_local QString t_key;

struct KeyScope
{
    explicit KeyScope(const QString &key)
        : previous(std::exchange(t_key, key))
    {
    }
    ~KeyScope() { t_key = previous; }
    QString previous;
};

QByteArray keyOf(const PWPlist &entry)
{
    return entry.toBinary();
}

// The record this process first read an entry as: the entries it wrote, followed back.
QByteArray rootOf(const QByteArray &key)
{
    const QMutexLocker locked(&s_guard);
    QByteArray root = key;
    for (int step = 0; step < 1000; ++step) {
        const auto found = s_origins.constFind(root);
        if (found == s_origins.constEnd() || *found == root)
            break;
        root = *found;
    }
    return root;
}

QByteArray cardLine(const PWPlist &stored, const QByteArray &wanted)
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
        if (name.compare(wanted, Qt::CaseInsensitive) == 0 && colon + 1 < line.size())
            return line.mid(colon + 1).trimmed();
    }
    return QByteArray();
}

QString listName(const PWPlist &list)
{
    const PWPlist name = list.value(QStringLiteral("Name"));
    return name.isString() ? name.toString() : QString();
}

// Matches the entries of side with those of base: side index to base index, -1 for an entry
// added. By the whole record first, then by the record this process read an entry as, then by an
// identity that only one unmatched entry of each side holds.
QList<qsizetype> match(const PWPlist::Array &base, const PWPlist::Array &side, Kind kind)
{
    QList<qsizetype> sideToBase(side.size(), -1);
    QList<bool> used(base.size(), false);
    QList<QByteArray> baseKeys;
    QHash<QByteArray, QList<qsizetype>> baseByKey;
    for (qsizetype b = 0; b < base.size(); ++b) {
        baseKeys.append(keyOf(base.at(b)));
        baseByKey[baseKeys.last()].append(b);
    }
    QList<QByteArray> sideKeys;
    for (qsizetype s = 0; s < side.size(); ++s) {
        sideKeys.append(keyOf(side.at(s)));
        for (qsizetype b : baseByKey.value(sideKeys.last())) {
            if (!used.at(b)) {
                used[b] = true;
                sideToBase[s] = b;
                break;
            }
        }
    }
    bool anyOrigin = false;
    {
        const QMutexLocker locked(&s_guard);
        anyOrigin = !s_origins.isEmpty();
    }
    if (anyOrigin) {
        QHash<QByteArray, QList<qsizetype>> baseByRoot;
        for (qsizetype b = 0; b < base.size(); ++b)
            if (!used.at(b))
                baseByRoot[rootOf(baseKeys.at(b))].append(b);
        for (qsizetype s = 0; s < side.size() && !baseByRoot.isEmpty(); ++s) {
            if (sideToBase.at(s) >= 0)
                continue;
            for (qsizetype b : baseByRoot.value(rootOf(sideKeys.at(s)))) {
                if (!used.at(b)) {
                    used[b] = true;
                    sideToBase[s] = b;
                    break;
                }
            }
        }
    }
    // An identity held by one unmatched entry on each side names the same entry.
    const auto byUniqueIdentity = [&](const std::function<QString(const PWPlist &)> &identify) {
        QHash<QString, QList<qsizetype>> baseById;
        QHash<QString, QList<qsizetype>> sideById;
        for (qsizetype b = 0; b < base.size(); ++b)
            if (!used.at(b))
                if (const QString id = identify(base.at(b)); !id.isEmpty())
                    baseById[id].append(b);
        for (qsizetype s = 0; s < side.size(); ++s)
            if (sideToBase.at(s) < 0)
                if (const QString id = identify(side.at(s)); !id.isEmpty())
                    sideById[id].append(s);
        for (auto it = sideById.cbegin(); it != sideById.cend(); ++it) {
            const QList<qsizetype> candidates = baseById.value(it.key());
            if (it->size() == 1 && candidates.size() == 1) {
                used[candidates.first()] = true;
                sideToBase[it->first()] = candidates.first();
            }
        }
    };
    if (kind == Kind::Person) {
        byUniqueIdentity(&CAStoredListMerge::uidOf);
        // A UID shared by several persons (a file numbered per file, a person of two sources),
        // or none: the name goes with it.
        byUniqueIdentity([](const PWPlist &entry) {
            const QByteArray name = cardLine(entry, "N");
            return name.isEmpty() ? QString() : CAStoredListMerge::uidOf(entry) + QLatin1Char('\n') + QString::fromUtf8(name);
        });
    } else {
        byUniqueIdentity(&listName);
        // A list renamed elsewhere keeps its persons.
        byUniqueIdentity([](const PWPlist &list) {
            const PWPlist persons = list.value(QStringLiteral("Persons"));
            return persons.isNull() ? QString() : QString::fromLatin1(keyOf(persons).toBase64());
        });
    }
    return sideToBase;
}

QList<qsizetype> inverse(const QList<qsizetype> &sideToBase, qsizetype baseCount)
{
    QList<qsizetype> baseToSide(baseCount, -1);
    for (qsizetype s = 0; s < sideToBase.size(); ++s)
        if (sideToBase.at(s) >= 0)
            baseToSide[sideToBase.at(s)] = s;
    return baseToSide;
}

// Whether this process removed the person under the merge's key: what came back is told.
bool takeRemovedHere(const PWPlist &entry)
{
    if (t_key.isEmpty())
        return false;
    const QString uid = CAStoredListMerge::uidOf(entry);
    const QByteArray root = rootOf(keyOf(entry));
    QList<QByteArray> removedRoots;
    {
        const QMutexLocker locked(&s_guard);
        if (s_removed.value(t_key).isEmpty())
            return false;
        for (const PWPlist &removed : s_removed.value(t_key))
            removedRoots.append(keyOf(removed));
    }
    for (QByteArray &removed : removedRoots)
        removed = rootOf(removed);
    const QMutexLocker locked(&s_guard);
    PWPlist::Array &removed = s_removed[t_key];
    for (qsizetype i = 0; i < removed.size() && i < removedRoots.size(); ++i) {
        if (removedRoots.at(i) == root || (!uid.isEmpty() && CAStoredListMerge::uidOf(removed.at(i)) == uid)) {
            removed.removeAt(i);
            return true;
        }
    }
    return false;
}

void noteRestored(const PWPlist &entry)
{
    const QMutexLocker locked(&s_guard);
    s_restored[t_key].append(entry);
}

// A print list that comes back brings its persons back with it.
void noteListRestored(const PWPlist &list)
{
    for (const PWPlist &person : list.value(QStringLiteral("Persons")).toArray())
        noteRestored(person);
}

PWPlist threeWay(const PWPlist &base, const PWPlist &mine, const PWPlist &theirs)
{
    return mine == base ? theirs : mine;
}

// The three-way merge of one key of dictionaries put into result; a key that merges to nothing
// is taken away.
void mergeKeyInto(PWPlist::Dictionary &result, const QString &key, const PWPlist &base, const PWPlist &mine,
                  const PWPlist &theirs)
{
    const PWPlist kept = threeWay(base.value(key), mine.value(key), theirs.value(key));
    if (kept.isNull())
        result.remove(key);
    else
        result.insert(key, kept);
}

PWPlist mergeEntries(const PWPlist &base, const PWPlist &mine, const PWPlist &theirs, Kind kind, MergeBoth both)
{
    // A side whose value is no list at all is not merged entry by entry: this process's value,
    // which it changed, stays.
    if (!mine.isArray() || !theirs.isArray())
        return mine;
    const PWPlist::Array baseEntries = base.isArray() ? base.toArray() : PWPlist::Array();
    const PWPlist::Array mineEntries = mine.toArray();
    const PWPlist::Array theirEntries = theirs.toArray();
    const QList<qsizetype> mineTo = match(baseEntries, mineEntries, kind);
    const QList<qsizetype> theirsTo = match(baseEntries, theirEntries, kind);
    const QList<qsizetype> mineOf = inverse(mineTo, baseEntries.size());
    const QList<qsizetype> theirsOf = inverse(theirsTo, baseEntries.size());

    struct Item
    {
        PWPlist value;
        qsizetype theirIndex;
    };
    QList<Item> merged;
    for (qsizetype m = 0; m < mineEntries.size(); ++m) {
        const PWPlist &my = mineEntries.at(m);
        const qsizetype b = mineTo.at(m);
        if (b < 0) {
            merged.append(Item{my, -1});
            continue;
        }
        const qsizetype t = theirsOf.at(b);
        const PWPlist &was = baseEntries.at(b);
        if (t < 0) {
            // The other removed it: gone, unless this process changed it since.
            if (my != was)
                merged.append(Item{my, -1});
            continue;
        }
        const PWPlist &their = theirEntries.at(t);
        const PWPlist value = my == was ? their : their == was || their == my ? my : both(was, my, their);
        merged.append(Item{value, t});
    }
    // What the other added, and what this process removed that the other changed, goes after
    // the entry it followed there.
    for (qsizetype t = 0; t < theirEntries.size(); ++t) {
        const qsizetype b = theirsTo.at(t);
        bool restored = false;
        if (b >= 0) {
            if (mineOf.at(b) >= 0 || theirEntries.at(t) == baseEntries.at(b))
                continue;
            restored = true;
        } else if (kind == Kind::Person) {
            restored = takeRemovedHere(theirEntries.at(t));
        } else {
            // A list the other made again holds persons this process removed: they came back.
            for (const PWPlist &person : theirEntries.at(t).value(QStringLiteral("Persons")).toArray())
                if (takeRemovedHere(person))
                    noteRestored(person);
        }
        qsizetype at = 0;
        for (qsizetype before = t - 1; before >= 0 && at == 0; --before) {
            for (qsizetype j = 0; j < merged.size(); ++j)
                if (merged.at(j).theirIndex == before)
                    at = j + 1;
        }
        merged.insert(at, Item{theirEntries.at(t), t});
        if (restored && kind == Kind::Person)
            noteRestored(theirEntries.at(t));
        else if (restored)
            noteListRestored(theirEntries.at(t));
    }
    PWPlist::Array values;
    values.reserve(merged.size());
    for (const Item &item : std::as_const(merged))
        values.append(item.value);
    return PWPlist(values);
}

bool sameMulti(const std::optional<PWMultiValue> &a, const std::optional<PWMultiValue> &b)
{
    if (!a || !b)
        return (!a || a->isEmpty()) && (!b || b->isEmpty());
    return a->hasSameValues(*b);
}

// A value of a multi-value, field by field when it is a dictionary (an address).
PWPlist mergeValue(const PWPlist &base, const PWPlist &mine, const PWPlist &theirs)
{
    if (!base.isDictionary() || !mine.isDictionary() || !theirs.isDictionary())
        return threeWay(base, mine, theirs);
    PWPlist::Dictionary result = theirs.toDictionary();
    QStringList keys = mine.toDictionary().keys() + base.toDictionary().keys();
    for (const QString &key : std::as_const(keys)) {
        mergeKeyInto(result, key, base, mine, theirs);
    }
    return PWPlist(result);
}

// The person theirs with what mine changed from base put into it.
void mergeInto(PWPerson &theirs, const PWPerson &base, const PWPerson &mine)
{
    QStringList properties = mine.propertiesWithValues();
    for (const QString &property : base.propertiesWithValues())
        if (!properties.contains(property))
            properties.append(property);
    for (const QString &property : std::as_const(properties)) {
        const std::optional<PWPropertyType> type = PWPerson::typeOfProperty(property);
        if (!type)
            continue;
        if (!PWPerson::isMultiValueType(*type)) {
            const PWPlist my = mine.valueForProperty(property);
            if (my != base.valueForProperty(property))
                theirs.setValueForProperty(property, my);
            continue;
        }
        const std::optional<PWMultiValue> was = base.multiValueForProperty(property);
        const std::optional<PWMultiValue> my = mine.multiValueForProperty(property);
        const std::optional<PWMultiValue> their = theirs.multiValueForProperty(property);
        if (sameMulti(my, was))
            continue;
        if (sameMulti(their, was) || !was || !my || !their || was->count() != my->count()
            || was->count() != their->count()) {
            if (my)
                theirs.setMultiValueForProperty(property, *my);
            else
                theirs.removeValueForProperty(property);
            continue;
        }
        PWMultiValue merged = *their;
        for (qsizetype i = 0; i < merged.count(); ++i) {
            merged.replaceValueAtIndex(i, mergeValue(was->valueAtIndex(i), my->valueAtIndex(i), their->valueAtIndex(i)));
            if (my->labelAtIndex(i) != was->labelAtIndex(i))
                merged.replaceLabelAtIndex(i, my->labelAtIndex(i));
        }
        theirs.setMultiValueForProperty(property, merged);
    }
    if (mine.imageData() != base.imageData())
        theirs.setImageData(mine.imageData());
}

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

} // namespace

void CAStoredListMerge::install(PWUserDefaults &defaults)
{
    defaults.setMergeForKey(QStringLiteral("PrintListArray"), [](const PWPlist &b, const PWPlist &m, const PWPlist &t) {
        const KeyScope scope(QStringLiteral("PrintListArray"));
        return mergePrintLists(b, m, t);
    });
    for (const QString &key : {QStringLiteral("SenderList"), QStringLiteral("LocalContactBase")}) {
        defaults.setMergeForKey(key, [key](const PWPlist &b, const PWPlist &m, const PWPlist &t) {
            const KeyScope scope(key);
            return mergePersons(b, m, t);
        });
    }
}

PWPlist CAStoredListMerge::mergePersons(const PWPlist &base, const PWPlist &mine, const PWPlist &theirs)
{
    return mergeEntries(base, mine, theirs, Kind::Person, &mergePerson);
}

PWPlist CAStoredListMerge::mergePrintLists(const PWPlist &base, const PWPlist &mine, const PWPlist &theirs)
{
    return mergeEntries(base, mine, theirs, Kind::PrintList, &mergeList);
}

PWPlist CAStoredListMerge::mergePerson(const PWPlist &base, const PWPlist &mine, const PWPlist &theirs)
{
    if (!base.isDictionary() || !mine.isDictionary() || !theirs.isDictionary())
        return mine;
    const QString card = QStringLiteral("personData");
    const QString custom = QStringLiteral("additionalPersonData");
    PWPlist::Dictionary result = theirs.toDictionary();
    // Keys stored beside the card, each its own field.
    QStringList keys = mine.toDictionary().keys() + base.toDictionary().keys();
    for (const QString &key : std::as_const(keys)) {
        if (key == card || key == custom)
            continue;
        mergeKeyInto(result, key, base, mine, theirs);
    }
    const std::shared_ptr<PWPerson> was = FTStoredPerson::initWithStoredData(base.toDictionary());
    const std::shared_ptr<PWPerson> my = FTStoredPerson::initWithStoredData(mine.toDictionary());
    const std::shared_ptr<PWPerson> their = FTStoredPerson::initWithStoredData(theirs.toDictionary());
    if (!was || !my || !their) {
        // A card that does not read is one field: this process's change wins.
        for (const QString &key : {card, custom}) {
            mergeKeyInto(result, key, base, mine, theirs);
        }
        return PWPlist(result);
    }
    // Into the other's card, so that its lines stay as it wrote them.
    mergeInto(*their, *was, *my);
    const std::shared_ptr<PWPerson> asTheirs = FTStoredPerson::initWithStoredData(theirs.toDictionary());
    if (their->hasSameValues(*asTheirs))
        return PWPlist(result);
    const PWPlist::Dictionary source = their->hasSameValues(*my) ? mine.toDictionary()
                                                                 : FTStoredPerson::convertToStoringData(*their);
    for (const QString &key : {card, custom}) {
        if (source.contains(key))
            result.insert(key, source.value(key));
        else
            result.remove(key);
    }
    return PWPlist(result);
}

CAPersonList CAStoredListMerge::mergePersonLists(const CAPersonList &base, const CAPersonList &mine,
                                                 const CAPersonList &theirs)
{
    const PWPlist::Array mineStored = CAPersonListDictionary::storedPersons(mine);
    const PWPlist::Array theirStored = CAPersonListDictionary::storedPersons(theirs);
    const PWPlist merged = mergePersons(PWPlist(CAPersonListDictionary::storedPersons(base)), PWPlist(mineStored),
                                        PWPlist(theirStored));
    // Each entry is the person it was written from, where one was: selections and the default
    // sender follow their persons.
    QHash<QByteArray, CAPersonList> byEntry;
    const auto collect = [&byEntry](const CAPersonList &persons, const PWPlist::Array &stored) {
        CAPersonList present;
        for (const std::shared_ptr<PWPerson> &person : persons)
            if (person)
                present.append(person);
        for (qsizetype i = 0; i < present.size() && i < stored.size(); ++i)
            byEntry[keyOf(stored.at(i))].append(present.at(i));
    };
    collect(mine, mineStored);
    collect(theirs, theirStored);
    CAPersonList persons;
    QSet<const PWPerson *> taken;
    for (const PWPlist &entry : merged.toArray()) {
        std::shared_ptr<PWPerson> person;
        for (const std::shared_ptr<PWPerson> &candidate : byEntry.value(keyOf(entry))) {
            if (!taken.contains(candidate.get())) {
                person = candidate;
                break;
            }
        }
        if (!person) {
            const CAPersonList read = CAPersonListDictionary::personsFromStored(PWPlist(PWPlist::Array{entry}));
            person = read.isEmpty() ? nullptr : read.first();
        }
        if (person) {
            taken.insert(person.get());
            persons.append(person);
        }
    }
    return persons;
}

QList<qsizetype> CAStoredListMerge::counterparts(const PWPlist::Array &before, const PWPlist::Array &after,
                                                 bool printLists)
{
    return inverse(match(before, after, printLists ? Kind::PrintList : Kind::Person), before.size());
}

QString CAStoredListMerge::personIdentity(const PWPlist &stored)
{
    const QString uid = uidOf(stored);
    if (!uid.isEmpty())
        return QStringLiteral("uid:") + uid;
    return QStringLiteral("form:") + QString::fromUtf8(stored.toXml().toBase64());
}

QString CAStoredListMerge::uidOf(const PWPlist &stored)
{
    return QString::fromUtf8(cardLine(stored, "UID"));
}

QString CAStoredListMerge::nameOf(const PWPlist &stored)
{
    QString name = QString::fromUtf8(cardLine(stored, "FN"));
    if (name.isEmpty())
        name = QString::fromUtf8(cardLine(stored, "N")).split(QLatin1Char(';')).join(QLatin1Char(' ')).simplified();
    return name.left(60);
}

void CAStoredListMerge::noteWrittenFrom(const PWPlist &written, const PWPlist &read)
{
    if (written == read)
        return;
    const QByteArray writtenKey = keyOf(written);
    const QByteArray readKey = keyOf(read);
    const QMutexLocker locked(&s_guard);
    // Bounded: a process that ran long forgets the oldest edits' records, and an entry it no
    // longer knows is matched by its UID.
    if (s_origins.size() >= kOriginsKept)
        s_origins.clear();
    s_origins.insert(writtenKey, readKey);
}

void CAStoredListMerge::noteRemoved(const QString &key, const PWPlist::Array &removed)
{
    if (removed.isEmpty())
        return;
    const QMutexLocker locked(&s_guard);
    PWPlist::Array &kept = s_removed[key];
    kept.append(removed);
    if (kept.size() > 1000)
        kept.remove(0, kept.size() - 1000);
}

namespace {

PWPlist::Array personsOf(const QString &key, const PWPlist &value)
{
    if (key != QLatin1String("PrintListArray"))
        return value.toArray();
    PWPlist::Array persons;
    for (const PWPlist &list : value.toArray())
        persons.append(list.value(QStringLiteral("Persons")).toArray());
    return persons;
}

} // namespace

PWPlist CAStoredListMerge::valueToStore(const QString &key, const PWPlist &loaded, const PWPlist &mine, const PWPlist &now)
{
    const PWPlist::Array before = personsOf(key, loaded);
    const QList<qsizetype> kept = counterparts(before, personsOf(key, mine), false);
    PWPlist::Array removed;
    for (qsizetype i = 0; i < before.size(); ++i)
        if (kept.at(i) < 0)
            removed.append(before.at(i));
    noteRemoved(key, removed);
    if (now == loaded || now.isNull())
        return mine;
    const KeyScope scope(key);
    return key == QLatin1String("PrintListArray") ? mergePrintLists(loaded, mine, now) : mergePersons(loaded, mine, now);
}

void CAStoredListMerge::noteTakenIn(const QString &key, const PWPlist &before, const PWPlist &after)
{
    const PWPlist::Array now = personsOf(key, after);
    const QList<qsizetype> known = match(personsOf(key, before), now, Kind::Person);
    const KeyScope scope(key);
    for (qsizetype i = 0; i < now.size(); ++i)
        if (known.at(i) < 0 && takeRemovedHere(now.at(i)))
            noteRestored(now.at(i));
}

QStringList CAStoredListMerge::restoredNames(const QString &key)
{
    QStringList names;
    for (const PWPlist &entry : takeRestored(key)) {
        const QString name = nameOf(entry);
        names.append(name.isEmpty() ? QStringLiteral("a person without a name") : name);
    }
    return names;
}

PWPlist::Array CAStoredListMerge::takeRestored(const QString &key)
{
    const QMutexLocker locked(&s_guard);
    return s_restored.take(key);
}
