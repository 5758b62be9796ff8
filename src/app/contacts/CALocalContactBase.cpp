#include "app/contacts/CALocalContactBase.h"

#include "app/contacts/CAContactsLog.h"
#include "app/contacts/CAStoredListMerge.h"
#include "platform/PWNotificationCenter.h"
#include "platform/PWUserDefaults.h"

namespace {

const QString kBaseKey = QStringLiteral("LocalContactBase");
const QString kSortingKey = QStringLiteral("LocalContactBaseSortingValue");

} // namespace

const QString CALocalContactBase::kName = QStringLiteral("My Recipients");
const QString CALocalContactBase::kUpdateLocalBaseController = QStringLiteral("Update Local Base Controller");

CALocalContactBase &CALocalContactBase::getShared()
{
    static CALocalContactBase *shared = [] {
        auto *base = new CALocalContactBase(PWUserDefaults::standardUserDefaults());
        base->load();
        return base;
    }();
    return *shared;
}

CALocalContactBase::CALocalContactBase(PWUserDefaults &defaults, QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
{
    CAStoredListMerge::install(defaults);
    connect(&defaults, &PWUserDefaults::takenFromFile, this, [this](const QStringList &keys) {
        if ((keys.contains(kBaseKey) || keys.contains(kSortingKey)) && !hasUnstoredChanges())
            load();
    });
}

void CALocalContactBase::load()
{
    m_list = CAPersonListDictionary();
    m_loadProblems.clear();
    m_loaded = m_defaults.objectForKey(kBaseKey);
    m_list.replacePersonList(CAPersonListDictionary::personsFromStored(m_loaded, &m_loadProblems,
                                                                       QStringLiteral("My Recipients")));
    m_loadedPersons = m_list.personList();
    const qint64 sorting = m_defaults.integerForKey(kSortingKey);
    m_list.setSortingValue(sorting == 0 ? kDefaultSortingValue : int(sorting));
    Q_EMIT localBaseChanged();
    if (const QStringList restored = CAStoredListMerge::restoredNames(kBaseKey); !restored.isEmpty())
        Q_EMIT personsRestored(restored);
}

bool CALocalContactBase::hasUnstoredChanges() const
{
    // A list never stored is compared as it was made at loading.
    return m_loaded.isNull() ? m_list.personList() != m_loadedPersons : storedValue() != m_loaded;
}

PWPlist CALocalContactBase::storedValue() const
{
    return PWPlist(CAPersonListDictionary::storedPersons(m_list.personList()));
}

bool CALocalContactBase::store()
{
    const PWPlist mine(CAPersonListDictionary::storedPersons(m_list.personList()));
    const PWPlist value = CAStoredListMerge::valueToStore(kBaseKey, m_loaded, mine, m_defaults.objectForKey(kBaseKey));
    m_loaded = value;
    m_defaults.setObject(kBaseKey, value);
    m_defaults.setInteger(kSortingKey, m_list.sortingValue());
    if (value != mine || m_defaults.objectForKey(kBaseKey) != m_loaded)
        load();
    // Each setting above was written through; the file is written again only when a write failed.
    const bool saved = m_defaults.isSaved() || m_defaults.synchronize();
    if (!saved)
        qCWarning(lcContacts) << "My Recipients could not be saved";
    return saved;
}

CAPersonList CALocalContactBase::savePersonListChanges()
{
    CAPersonList persons = m_list.personList();
    CAPersonListDictionary::sortPersons(persons, m_list.sortingValue());
    m_list.replacePersonList(persons);
    store();
    Q_EMIT localBaseChanged();
    // What another process stored meanwhile was merged in and read again.
    return m_list.personList();
}

void CALocalContactBase::postUpdate()
{
    PWNotificationCenter::defaultCenter().postNotification(kUpdateLocalBaseController);
}
