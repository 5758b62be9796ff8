#include "app/contacts/CAPersonListDictionary.h"

#include "app/contacts/CAContactsLog.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/address/FTStoredPerson.h"
#include "platform/PWPerson.h"

#include <algorithm>
#include <vector>

namespace {

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

PWPlist::Array CAPersonListDictionary::storedPersons(const CAPersonList &persons)
{
    PWPlist::Array array;
    array.reserve(persons.size());
    for (const std::shared_ptr<PWPerson> &person : persons) {
        if (person)
            array.append(PWPlist(FTStoredPerson::convertToStoringData(*person)));
    }
    return array;
}

CAPersonList CAPersonListDictionary::personsFromStored(const PWPlist &stored, QStringList *problems)
{
    CAPersonList persons;
    if (!stored.isArray())
        return persons;
    const PWPlist::Array &entries = stored.toArray();
    qsizetype unreadable = 0;
    for (const PWPlist &entry : entries) {
        std::shared_ptr<PWPerson> person;
        if (entry.isDictionary())
            person = FTStoredPerson::initWithStoredData(entry.toDictionary());
        if (person)
            persons.append(person);
        else
            ++unreadable;
    }
    if (unreadable > 0) {
        const QString problem = QStringLiteral("%1 of %2 stored persons could not be read and were left out.")
                                    .arg(unreadable)
                                    .arg(entries.size());
        qCWarning(lcContacts).noquote() << problem;
        if (problems)
            problems->append(problem);
    }
    return persons;
}

CAPersonListDictionary CAPersonListDictionary::fromStoredForm(const PWPlist &stored, QStringList *problems)
{
    CAPersonListDictionary list;
    if (!stored.isDictionary()) {
        const QString problem = QStringLiteral("A stored person list is no dictionary; it was read as an empty list.");
        qCWarning(lcContacts).noquote() << problem;
        if (problems)
            problems->append(problem);
        return list;
    }
    const PWPlist name = stored.value(QStringLiteral("Name"));
    list.m_name = name.isString() ? name.toString() : QString();
    const PWPlist sort = stored.value(QStringLiteral("Sort"));
    list.m_sort = sort.isNumber() ? int(sort.toInteger()) : 0;
    const PWPlist persons = stored.value(QStringLiteral("Persons"));
    if (!persons.isNull() && !persons.isArray()) {
        // Named with its list: a job asked for that list says why it has no persons.
        const QString problem = QStringLiteral("The stored persons of the print list \"%1\" are not a list; it was read "
                                               "without persons.")
                                    .arg(list.m_name);
        qCWarning(lcContacts).noquote() << problem;
        if (problems)
            problems->append(problem);
    }
    list.m_persons = personsFromStored(persons, problems);
    return list;
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
