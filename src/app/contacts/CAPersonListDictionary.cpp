#include "app/contacts/CAPersonListDictionary.h"

#include "app/contacts/CAContactsLog.h"
#include "app/contacts/CAStoredListMerge.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/address/FTStoredPerson.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWUserDefaults.h"
#include "platform/PWVCardMerge.h"
#include "platform/PWVCardReader.h"

#include <QHash>
#include <QMutex>
#include <QSet>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

// The stored forms of the persons kept unread, by the person standing for each. Lists are
// copied and shared freely, so the form goes with the person object, not with a list.
struct KeptUnread
{
    std::weak_ptr<PWPerson> person;
    PWPlist stored;
    QString reason;
};

QMutex s_keptGuard;
QHash<const PWPerson *, KeptUnread> s_kept;

// The stored form each person read from a list came from, by the card it keeps: copies share
// that card, so a person copied into another list, the local base or an editor carries the
// keys stored beside its card (other programs' and later versions') wherever it goes.
struct ReadEntry
{
    std::weak_ptr<const PWVCardOriginal> card;
    PWPlist::Dictionary stored;
};
QHash<const PWVCardOriginal *, ReadEntry> s_read;

void rememberReadEntry(const PWPerson &person, const PWPlist::Dictionary &stored)
{
    const std::shared_ptr<const PWVCardOriginal> &card = person.sourceCard();
    if (!card)
        return;
    const QMutexLocker locked(&s_keptGuard);
    s_read.insert(card.get(), ReadEntry{card, stored});
}

// The stored form to write for a person read from a list: as read while its values are those it
// was read with, else its new card and custom fields among the keys that were stored beside them.
std::optional<PWPlist> readEntryFor(const PWPerson &person)
{
    const std::shared_ptr<const PWVCardOriginal> &card = person.sourceCard();
    if (!card)
        return std::nullopt;
    PWPlist::Dictionary stored;
    {
        const QMutexLocker locked(&s_keptGuard);
        const auto found = s_read.constFind(card.get());
        if (found == s_read.constEnd() || found->card.lock() != card)
            return std::nullopt;
        stored = found->stored;
    }
    if (card->asRead && person.hasSameValues(*card->asRead))
        return PWPlist(stored);
    const PWPlist read(stored);
    for (const PWPlist::Dictionary::Entry &entry : FTStoredPerson::convertToStoringData(person))
        stored.insert(entry.first, entry.second);
    // A merge with another process's writes knows the edited person as the one it was read as.
    CAStoredListMerge::noteWrittenFrom(PWPlist(stored), read);
    return PWPlist(stored);
}

// The entry of a person still standing for its stored form: one the user gave values to is a
// person of its own again.
std::optional<KeptUnread> keptFor(const PWPerson &person)
{
    std::optional<KeptUnread> kept;
    {
        const QMutexLocker locked(&s_keptGuard);
        const auto found = s_kept.constFind(&person);
        // An address freed and taken by another person is not that person.
        if (found == s_kept.constEnd() || found->person.lock().get() != &person)
            return std::nullopt;
        kept = *found;
    }
    if (!person.propertiesWithValues().isEmpty() || !person.imageData().isEmpty())
        return std::nullopt;
    return kept;
}

// Why a stored person did not read, in words.
QString unreadReason(const PWPlist &entry)
{
    if (!entry.isDictionary())
        return QStringLiteral("it is stored as %1, not as a person").arg(PWUserDefaults::describe(entry));
    const PWPlist data = entry.value(QStringLiteral("personData"));
    if (!data.isData())
        return QStringLiteral("it holds no vCard");
    QString error;
    PWVCardReader::personFromData(data.toData(), &error);
    return error.isEmpty() ? QStringLiteral("its vCard does not read") : QStringLiteral("its vCard does not read: %1").arg(error);
}

// The FN line of a vCard, however damaged the rest.
QString vCardName(const PWPlist &entry)
{
    const QByteArray data = entry.value(QStringLiteral("personData")).toData();
    for (const QByteArray &line : data.split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.size() > 3 && trimmed.left(2).toUpper() == "FN" && (trimmed.at(2) == ':' || trimmed.at(2) == ';')) {
            const qsizetype colon = trimmed.indexOf(':');
            if (colon > 0)
                return QString::fromUtf8(trimmed.mid(colon + 1)).trimmed().left(60);
        }
    }
    return QString();
}

// What FTStoredPerson::isEqualToPerson compares: equal keys, equal persons.
QStringList equalityKey(const PWPerson &person)
{
    QStringList key;
    for (const QString &property : {kPWFirstNameProperty, kPWLastNameProperty, kPWOrganizationProperty,
                                    QStringLiteral("ABDepartment")}) {
        const QString value = person.stringForProperty(property);
        key.append(value.isEmpty() ? QString() : value);
    }
    return key;
}

QString sortText(const PWPerson &person, int textCategory)
{
    return stringInfoForPersonCategory(&person, static_cast<::textCategory>(textCategory));
}

} // namespace

void CAPersonListDictionary::setName(const QString &name)
{
    if (name.isNull()) {
        qCWarning(lcContacts) << "error (aName==nil)";
        return;
    }
    m_name = name;
}

PWPlist::Dictionary CAPersonListDictionary::storedForm() const
{
    PWPlist::Dictionary stored;
    stored.insert(QStringLiteral("Name"), PWPlist::fromString(m_name));
    stored.insert(QStringLiteral("Persons"), PWPlist(storedPersons(m_persons)));
    stored.insert(QStringLiteral("Sort"), PWPlist::fromInteger(m_sort));
    return stored;
}

PWPlist CAPersonListDictionary::storedValue() const
{
    if (m_stored.isNull())
        return PWPlist(storedForm());
    const bool named = m_name != m_readName;
    const bool sorted = m_sort != m_readSort;
    if (!m_stored.isDictionary()) {
        if (m_persons.isEmpty() && !named && !sorted)
            return m_stored;
        return PWPlist(storedForm());
    }
    PWPlist::Dictionary stored = m_stored.toDictionary();
    if (named)
        stored.insert(QStringLiteral("Name"), PWPlist::fromString(m_name));
    if (sorted)
        stored.insert(QStringLiteral("Sort"), PWPlist::fromInteger(m_sort));
    // Compared as written, so that a person edited where it stands counts as well as one added,
    // removed or moved.
    PWPlist::Array persons = storedPersons(m_persons);
    if (persons != m_readPersons)
        stored.insert(QStringLiteral("Persons"), PWPlist(std::move(persons)));
    if (!m_stored.isNull())
        CAStoredListMerge::noteWrittenFrom(PWPlist(stored), m_stored);
    return PWPlist(stored);
}

PWPlist::Array CAPersonListDictionary::storedPersons(const CAPersonList &persons)
{
    PWPlist::Array array;
    array.reserve(persons.size());
    for (const std::shared_ptr<PWPerson> &person : persons) {
        if (!person)
            continue;
        if (const std::optional<KeptUnread> kept = keptFor(*person))
            array.append(kept->stored);
        else if (std::optional<PWPlist> read = readEntryFor(*person))
            array.append(*std::move(read));
        else
            array.append(PWPlist(FTStoredPerson::convertToStoringData(*person)));
    }
    return array;
}

CAPersonList CAPersonListDictionary::personsFromStored(const PWPlist &stored, QStringList *problems,
                                                       const QString &where)
{
    CAPersonList persons;
    if (!stored.isArray())
        return persons;
    const PWPlist::Array &entries = stored.toArray();
    {
        const QMutexLocker locked(&s_keptGuard);
        s_read.removeIf([](const auto &entry) { return entry.value().card.expired(); });
    }
    // A list damaged throughout is named by its first few persons and a count.
    constexpr qsizetype kNamedPersons = 5;
    qsizetype unread = 0;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const PWPlist &entry = entries.at(i);
        std::shared_ptr<PWPerson> person;
        if (entry.isDictionary())
            person = FTStoredPerson::initWithStoredData(entry.toDictionary());
        if (person) {
            rememberReadEntry(*person, entry.toDictionary());
            persons.append(person);
            continue;
        }
        const QString reason = unreadReason(entry);
        persons.append(keepUnreadable(entry, reason));
        if (++unread > kNamedPersons)
            continue;
        const QString name = vCardName(entry);
        const QString problem =
            QStringLiteral("person %1%2 of %3 could not be read (%4); it is kept as it was stored")
                .arg(i + 1)
                .arg(name.isEmpty() ? QString() : QStringLiteral(" (\"%1\")").arg(name),
                     where.isEmpty() ? QStringLiteral("a stored list") : where, reason);
        qCWarning(lcContacts).noquote() << problem;
        if (problems)
            problems->append(problem);
    }
    if (unread > kNamedPersons) {
        const QString problem = QStringLiteral("%1 more persons of %2 could not be read; they are kept as they were stored")
                                    .arg(unread - kNamedPersons)
                                    .arg(where.isEmpty() ? QStringLiteral("a stored list") : where);
        qCWarning(lcContacts).noquote() << problem;
        if (problems)
            problems->append(problem);
    }
    return persons;
}

std::shared_ptr<PWPerson> CAPersonListDictionary::keepUnreadable(const PWPlist &stored, const QString &reason)
{
    std::shared_ptr<PWPerson> person = PWPerson::create();
    const QMutexLocker locked(&s_keptGuard);
    s_kept.removeIf([](const auto &entry) { return entry.value().person.expired(); });
    s_kept.insert(person.get(), KeptUnread{person, stored, reason});
    return person;
}

std::shared_ptr<PWPerson> CAPersonListDictionary::copyPerson(const PWPerson &person)
{
    if (const std::optional<KeptUnread> kept = keptFor(person))
        return keepUnreadable(kept->stored, kept->reason);
    return FTStoredPerson::copyWithIdentity(person);
}

QString CAPersonListDictionary::unreadableReason(const PWPerson &person)
{
    const std::optional<KeptUnread> kept = keptFor(person);
    return kept ? kept->reason : QString();
}

QString CAPersonListDictionary::unreadInPrintList(qsizetype unread, qsizetype total, const QString &listName)
{
    if (unread <= 0)
        return QString();
    return QStringLiteral("%1 of the %2 persons of the print list \"%3\" could not be read").arg(unread).arg(total).arg(listName);
}

QString CAPersonListDictionary::unreadableName(const PWPerson &person)
{
    const std::optional<KeptUnread> kept = keptFor(person);
    return kept ? vCardName(kept->stored) : QString();
}

CAPersonListDictionary CAPersonListDictionary::fromStoredForm(const PWPlist &stored, QStringList *problems)
{
    CAPersonListDictionary list;
    const auto note = [problems](const QString &problem) {
        qCWarning(lcContacts).noquote() << problem;
        if (problems)
            problems->append(problem);
    };
    list.m_stored = stored;
    if (!stored.isDictionary()) {
        note(QStringLiteral("A stored print list is no dictionary (%1); it was read as an empty list and is kept as it "
                            "was stored.")
                 .arg(PWUserDefaults::describe(stored)));
        return list;
    }
    const PWPlist name = stored.value(QStringLiteral("Name"));
    list.m_name = name.isString() ? name.toString() : QString();
    const PWPlist sort = stored.value(QStringLiteral("Sort"));
    list.m_sort = sort.isNumber() ? int(sort.toInteger()) : 0;
    const PWPlist persons = stored.value(QStringLiteral("Persons"));
    const QString where = QStringLiteral("the print list \"%1\"").arg(list.m_name);
    if (!persons.isNull() && !persons.isArray()) {
        // Named with its list: a job asked for that list says why it has no persons.
        note(QStringLiteral("The stored persons of the print list \"%1\" are not a list (%2); it was read without "
                            "persons and is kept as it was stored.")
                 .arg(list.m_name, PWUserDefaults::describe(persons)));
    }
    list.m_persons = personsFromStored(persons, problems, where);
    list.m_readName = list.m_name;
    list.m_readSort = list.m_sort;
    list.m_readPersons = storedPersons(list.m_persons);
    return list;
}

CAPersonList CAPersonListDictionary::personsNotHeld(const CAPersonList &held, const CAPersonList &chosen)
{
    QSet<QStringList> keys;
    keys.reserve(held.size() + chosen.size());
    for (const std::shared_ptr<PWPerson> &person : held)
        if (person)
            keys.insert(equalityKey(*person));
    CAPersonList added;
    for (const std::shared_ptr<PWPerson> &person : chosen) {
        if (!person)
            continue;
        const QStringList key = equalityKey(*person);
        if (keys.contains(key))
            continue;
        keys.insert(key);
        added.append(person);
    }
    return added;
}

int CAPersonListDictionary::sortUsingTextCategory(const PWPerson &a, const PWPerson &b, int textCategory)
{
    return sortText(a, textCategory).compare(sortText(b, textCategory), Qt::CaseInsensitive);
}

void CAPersonListDictionary::sortPersons(CAPersonList &persons, int textCategory)
{
    if (!isSortingValue(textCategory) || persons.size() < 2)
        return;
    // Each person's text once, not once per comparison.
    struct Keyed
    {
        QString key;
        std::shared_ptr<PWPerson> person;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(size_t(persons.size()));
    for (const std::shared_ptr<PWPerson> &person : std::as_const(persons))
        keyed.push_back({person ? sortText(*person, textCategory) : QString(), person});
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed &a, const Keyed &b) {
        return a.key.compare(b.key, Qt::CaseInsensitive) < 0;
    });
    for (qsizetype i = 0; i < persons.size(); ++i)
        persons[i] = std::move(keyed[size_t(i)].person);
}
