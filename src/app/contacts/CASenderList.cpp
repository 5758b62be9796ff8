#include "app/contacts/CASenderList.h"

#include "app/contacts/CAContactsLog.h"
#include "app/contacts/CAStoredListMerge.h"
#include "platform/PWAddressBook.h"
#include "platform/PWNotificationCenter.h"
#include "platform/PWPerson.h"
#include "platform/PWUserDefaults.h"

namespace {

const QString kSenderListKey = QStringLiteral("SenderList");
const QString kSortingKey = QStringLiteral("SenderListSortingValue");
const QString kDefaultIndexKey = QStringLiteral("Default Sender Index");

} // namespace

const QString CASenderList::kUpdateSenderListController = QStringLiteral("Update Sender List Controller");

CASenderList &CASenderList::getShared()
{
    static CASenderList *shared = [] {
        auto *list = new CASenderList(PWUserDefaults::standardUserDefaults(),
                                      [] { return PWAddressBook::sharedAddressBook().me(); });
        list->load();
        return list;
    }();
    return *shared;
}

std::shared_ptr<PWPerson> CASenderList::getDefaultPerson()
{
    return getShared().defaultPerson();
}

CASenderList::CASenderList(PWUserDefaults &defaults, MeSource me, QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_me(std::move(me))
{
    CAStoredListMerge::install(defaults);
    connect(&defaults, &PWUserDefaults::takenFromFile, this, [this](const QStringList &keys) {
        if ((keys.contains(kSenderListKey) || keys.contains(kSortingKey)) && !hasUnstoredChanges())
            load();
    });
}

void CASenderList::load()
{
    m_list = CAPersonListDictionary();
    m_kept = PWPlist();
    const PWPlist stored = m_defaults.objectForKey(kSenderListKey);
    m_loaded = stored;
    CAPersonList persons;
    if (stored.isNull()) {
        if (std::shared_ptr<PWPerson> me = m_me ? m_me() : nullptr)
            persons.append(me);
    } else {
        QStringList problems;
        persons = CAPersonListDictionary::personsFromStored(stored, &problems, QStringLiteral("the senders"));
        if (!stored.isArray()) {
            m_kept = stored;
            problems.append(QStringLiteral("the senders in the settings are %1, not a list; none is shown, and they "
                                           "are kept as they were stored until a sender is added")
                                .arg(PWUserDefaults::describe(stored)));
        }
        for (const QString &problem : std::as_const(problems))
            m_defaults.noteProblem(problem);
    }
    m_list.replacePersonList(persons);
    m_loadedPersons = persons;
    const qint64 sorting = m_defaults.integerForKey(kSortingKey);
    m_list.setSortingValue(sorting == 0 ? kDefaultSortingValue : int(sorting));
    Q_EMIT senderListChanged();
    if (const QStringList restored = CAStoredListMerge::restoredNames(kSenderListKey); !restored.isEmpty())
        Q_EMIT personsRestored(restored);
}

bool CASenderList::hasUnstoredChanges() const
{
    // A list never stored is compared as it was made at loading.
    return m_loaded.isNull() ? m_list.personList() != m_loadedPersons : storedValue() != m_loaded;
}

PWPlist CASenderList::storedValue() const
{
    const bool kept = m_list.personList().isEmpty() && !m_kept.isNull();
    return kept ? m_kept : PWPlist(CAPersonListDictionary::storedPersons(m_list.personList()));
}

bool CASenderList::store()
{
    const bool kept = m_list.personList().isEmpty() && !m_kept.isNull();
    const PWPlist mine = kept ? m_kept : PWPlist(CAPersonListDictionary::storedPersons(m_list.personList()));
    const PWPlist value = CAStoredListMerge::valueToStore(kSenderListKey, m_loaded, mine, m_defaults.objectForKey(kSenderListKey));
    m_loaded = value;
    m_defaults.setObject(kSenderListKey, value);
    m_defaults.setInteger(kSortingKey, m_list.sortingValue());
    if (value != mine || m_defaults.objectForKey(kSenderListKey) != m_loaded)
        load();
    // Each setting above was written through; the file is written again only when a write failed.
    const bool saved = m_defaults.isSaved() || m_defaults.synchronize();
    if (!saved)
        qCWarning(lcContacts) << "The sender list could not be saved";
    return saved;
}

void CASenderList::storeDefaultPersonIndex(int index)
{
    m_defaults.setInteger(kDefaultIndexKey, qint64(index) + 1);
}

int CASenderList::getDefaultPersonIndex() const
{
    qint64 index = m_defaults.integerForKey(kDefaultIndexKey) - 1;
    const qsizetype count = m_list.personList().size();
    if (index < 0 || index >= count)
        index = count > 0 ? 0 : -1;
    return int(index);
}

std::shared_ptr<PWPerson> CASenderList::defaultPerson() const
{
    const int index = getDefaultPersonIndex();
    if (index >= 0) {
        const std::shared_ptr<PWPerson> &person = m_list.personList().at(index);
        // A default sender that could not be read gives a new document no sender rather than
        // an empty one or someone else.
        if (person && !CAPersonListDictionary::unreadableReason(*person).isEmpty())
            return nullptr;
        return person;
    }
    return m_me ? m_me() : nullptr;
}

void CASenderList::replacePersonsKeepingDefault(const CAPersonList &persons)
{
    const qint64 stored = m_defaults.integerForKey(kDefaultIndexKey) - 1;
    const CAPersonList &before = m_list.personList();
    const std::shared_ptr<PWPerson> chosen = stored >= 0 && stored < before.size() ? before.at(stored) : nullptr;
    m_list.replacePersonList(persons);
    const qsizetype now = chosen ? persons.indexOf(chosen) : -1;
    if (now >= 0 && now != stored)
        storeDefaultPersonIndex(int(now));
}

CAPersonList CASenderList::savePersonListChanges(const CAPersonList &persons)
{
    CAPersonList sorted = persons;
    CAPersonListDictionary::sortPersons(sorted, m_list.sortingValue());
    replacePersonsKeepingDefault(sorted);
    store();
    Q_EMIT senderListChanged();
    // What another process stored meanwhile was merged in and read again.
    return m_list.personList();
}

void CASenderList::postUpdate()
{
    PWNotificationCenter::defaultCenter().postNotification(kUpdateSenderListController);
}
