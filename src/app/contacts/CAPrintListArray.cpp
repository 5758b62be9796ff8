#include "app/contacts/CAPrintListArray.h"

#include "app/contacts/CAContactsLog.h"
#include "app/contacts/CAStoredListMerge.h"
#include "platform/PWUserDefaults.h"

#include <algorithm>

namespace {

const QString kPrintListArrayKey = QStringLiteral("PrintListArray");

} // namespace

const QString CAPrintListArray::kUpdatePrintListController = QStringLiteral("Update PrintList Controller");

CAPrintListArray &CAPrintListArray::getShared()
{
    static CAPrintListArray *shared = [] {
        auto *lists = new CAPrintListArray(PWUserDefaults::standardUserDefaults());
        lists->load();
        return lists;
    }();
    return *shared;
}

CAPrintListArray::CAPrintListArray(PWUserDefaults &defaults, QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
{
    CAStoredListMerge::install(defaults);
    // Another process's change to the lists, taken in at a write, is shown and kept from then on.
    // Lists with changes of their own are merged with it when they are stored.
    connect(&defaults, &PWUserDefaults::takenFromFile, this, [this](const QStringList &keys) {
        if (!keys.contains(kPrintListArrayKey) || hasUnstoredChanges())
            return;
        // What this process removed and the other brought back with its change is said.
        CAStoredListMerge::noteTakenIn(kPrintListArrayKey, m_loaded, m_defaults.objectForKey(kPrintListArrayKey));
        load();
    });
    // Any later write of the settings file writes the lists set into it with the failed one.
    connect(&defaults, &PWUserDefaults::writeRecovered, this, [this] { setSaved(true); });
}

void CAPrintListArray::setSaved(bool saved)
{
    if (m_saved == saved)
        return;
    m_saved = saved;
    Q_EMIT savedChanged(saved);
}

void CAPrintListArray::load()
{
    // The current list stays the list it was, wherever the lists read put it: another process
    // may have added, removed, moved or renamed lists before it. It is found as the merge of the
    // settings finds lists; one no longer there leaves the index where it was.
    const int current = m_currentIndex;
    const PWPlist::Array shown = isValidIndex(current) ? storedValue().toArray() : PWPlist::Array();
    m_lists.clear();
    m_loadProblems.clear();
    m_keptLists = PWPlist();
    const PWPlist stored = m_defaults.objectForKey(kPrintListArrayKey);
    m_loaded = stored;
    if (stored.isArray()) {
        for (const PWPlist &entry : stored.toArray())
            m_lists.append(CAPersonListDictionary::fromStoredForm(entry, &m_loadProblems));
    } else if (!stored.isNull()) {
        m_keptLists = stored;
        m_loadProblems.append(QStringLiteral("The stored print lists are not a list (%1); there are no print lists, and "
                                             "they are kept as they were stored until a print list is made.")
                                  .arg(PWUserDefaults::describe(stored)));
        qCWarning(lcContacts).noquote() << m_loadProblems.last();
    }
    // Told with the other settings that could not be used: in the window once, by a job on its
    // standard error.
    for (const QString &problem : std::as_const(m_loadProblems))
        m_defaults.noteProblem(problem);
    if (!shown.isEmpty() && stored.isArray()) {
        const qsizetype found = CAStoredListMerge::counterparts(shown, stored.toArray(), true).value(current, -1);
        if (found >= 0 && found < count())
            m_currentIndex = int(found);
    }
    Q_EMIT printListsChanged();
    if (const QStringList restored = CAStoredListMerge::restoredNames(kPrintListArrayKey); !restored.isEmpty())
        Q_EMIT personsRestored(restored);
}

PWPlist CAPrintListArray::storedValue() const
{
    // Lists stored in a form that did not read stay as they were until the user makes one.
    if (m_lists.isEmpty() && !m_keptLists.isNull())
        return m_keptLists;
    PWPlist::Array array;
    array.reserve(m_lists.size());
    for (const CAPersonListDictionary &list : std::as_const(m_lists))
        array.append(list.storedValue());
    return PWPlist(array);
}

bool CAPrintListArray::store()
{
    const PWPlist mine = storedValue();
    const PWPlist value =
        CAStoredListMerge::valueToStore(kPrintListArrayKey, m_loaded, mine, m_defaults.objectForKey(kPrintListArrayKey));
    m_loaded = value;
    m_defaults.setObject(kPrintListArrayKey, value);
    // What was merged in, here or by the write, is shown.
    if (value != mine || m_defaults.objectForKey(kPrintListArrayKey) != m_loaded)
        load();
    // Each setting above was written through; the file is written again only when a write failed.
    const bool saved = m_defaults.isSaved() || m_defaults.synchronize();
    if (!saved)
        qCWarning(lcContacts) << "The print lists could not be saved";
    setSaved(saved);
    return saved;
}

void CAPrintListArray::insertPrintListAt(int index)
{
    CAPersonListDictionary list;
    list.setName(QStringLiteral(""));
    list.setSortingValue(CAPersonListDictionary::kNoSorting);
    if (index < 0 || index > count())
        m_lists.append(list);
    else
        m_lists.insert(index, list);
    Q_EMIT printListsChanged();
}

void CAPrintListArray::removePrintListAt(int index)
{
    if (!isValidIndex(index))
        return;
    m_lists.removeAt(index);
    Q_EMIT printListsChanged();
}

CAPersonList CAPrintListArray::getPrintListAt(int index) const
{
    return isValidIndex(index) ? m_lists.at(index).personList() : CAPersonList();
}

QString CAPrintListArray::getPrintListNameAt(int index) const
{
    return isValidIndex(index) ? m_lists.at(index).name() : QString();
}

int CAPrintListArray::getPrintListSortValueAt(int index) const
{
    return isValidIndex(index) ? m_lists.at(index).sortingValue() : 0;
}

const CAPersonListDictionary *CAPrintListArray::printListDictAt(int index) const
{
    return isValidIndex(index) ? &m_lists.at(index) : nullptr;
}

void CAPrintListArray::renamePrintListAt(int index, const QString &name)
{
    if (!isValidIndex(index))
        return;
    m_lists[index].setName(name);
    Q_EMIT printListsChanged();
}

void CAPrintListArray::replacePrintListAt(int index, const CAPersonList &persons)
{
    if (!isValidIndex(index))
        return;
    m_lists[index].replacePersonList(persons);
    Q_EMIT printListsChanged();
}

void CAPrintListArray::replacePrintListSortValueAt(int index, int sortingValue)
{
    if (!isValidIndex(index))
        return;
    m_lists[index].setSortingValue(sortingValue);
    Q_EMIT printListsChanged();
}

std::optional<CAPersonList> CAPrintListArray::getPrintListByName(const QString &name) const
{
    if (name.isNull())
        return std::nullopt;
    for (const CAPersonListDictionary &list : m_lists) {
        if (list.name() == name)
            return list.personList();
    }
    return std::nullopt;
}

void CAPrintListArray::clampCurrentIndex()
{
    if (m_currentIndex >= count())
        m_currentIndex = count() - 1;
}

int CAPrintListArray::currentPrintListIndex()
{
    clampCurrentIndex();
    return m_currentIndex;
}

void CAPrintListArray::setCurrentPrintListIndex(int index)
{
    m_currentIndex = isValidIndex(index) ? index : count() - 1;
}

std::optional<CAPersonList> CAPrintListArray::currentPrintList()
{
    const CAPersonListDictionary *list = currentPrintListDict();
    if (!list)
        return std::nullopt;
    return list->personList();
}

const CAPersonListDictionary *CAPrintListArray::currentPrintListDict()
{
    clampCurrentIndex();
    return m_currentIndex >= 0 ? &m_lists.at(m_currentIndex) : nullptr;
}

void CAPrintListArray::replaceCurrentPrintList(const CAPersonList &persons)
{
    if (!isValidIndex(m_currentIndex))
        return;
    m_lists[m_currentIndex].replacePersonList(persons);
    Q_EMIT printListsChanged();
}

int CAPrintListArray::indexOfListShown(const PWPlist &shown, int index) const
{
    const PWPlist::Array before = shown.toArray();
    if (index < 0 || index >= before.size())
        return -1;
    const QList<qsizetype> found = CAStoredListMerge::counterparts(before, storedValue().toArray(), true);
    const qsizetype at = found.value(index, -1);
    return at >= 0 && at < count() ? int(at) : -1;
}

int CAPrintListArray::restoreListShown(const PWPlist &shown, int index, const CAPersonList &persons)
{
    const PWPlist::Array before = shown.toArray();
    if (index < 0 || index >= before.size())
        return -1;
    const QList<qsizetype> found = CAStoredListMerge::counterparts(before, storedValue().toArray(), true);
    int at = 0;
    for (int earlier = index - 1; earlier >= 0; --earlier) {
        if (found.value(earlier, -1) >= 0) {
            at = int(found.at(earlier)) + 1;
            break;
        }
    }
    at = std::min(at, count());
    // The list's own keys (another program's among them) come back with it.
    CAPersonListDictionary list = CAPersonListDictionary::fromStoredForm(before.at(index));
    list.replacePersonList(persons);
    m_lists.insert(at, list);
    Q_EMIT printListsChanged();
    return at;
}

void CAPrintListArray::sortPrintList(CAPersonList &persons, int sortingValue)
{
    CAPersonListDictionary::sortPersons(persons, sortingValue);
}
