#include "app/contacts/CAPrintListEditor.h"

#include "app/contacts/CAAddressWindow.h"
#include "app/contacts/CAContactTableModel.h"
#include "app/contacts/CAContactsLog.h"
#include "app/contacts/CALocalContactBase.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CASenderList.h"
#include "app/contacts/CAStoredListMerge.h"
#include "kernel/address/FTStoredPerson.h"
#include "platform/PWBundle.h"
#include "platform/PWPerson.h"
#include "platform/PWUserDefaults.h"

#include <algorithm>

using namespace Qt::StringLiterals;

CAPrintListEditor::CAPrintListEditor(CAPrintListArray &lists, CASenderList &senders, CALocalContactBase &localBase,
                                     PWUserDefaults &defaults, QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_lists(lists)
    , m_senders(senders)
    , m_localBase(localBase)
    , m_persons(new CAContactTableModel(QString(), &defaults, this))
{
    // Connected after the lists' own owners, which read what was taken in first.
    connect(&defaults, &PWUserDefaults::takenFromFile, this, [this] {
        if (m_mode != Closed)
            refreshShownList();
    });
}

CAPrintListEditor::~CAPrintListEditor() = default;

void CAPrintListEditor::prepare(Mode mode)
{
    // The window shows what the file holds now, not what this process read last.
    m_mode = Closed;
    m_defaults.takeInFromFile();
    m_mode = mode;
    switch (mode) {
    case PrintLists:
    case NewPrintList: {
        m_oldPrintListIndex = m_lists.currentPrintListIndex();
        const int current = m_lists.currentPrintListIndex();
        if (current >= 0)
            showPrintListDict(m_lists.getPrintListAt(current), m_lists.getPrintListSortValueAt(current));
        else
            showNothing();
        break;
    }
    case Senders:
        showPrintListDict(m_senders.personListDict().personList(), m_senders.personListDict().sortingValue());
        break;
    case LocalBase:
        showPrintListDict(m_localBase.personListDict().personList(), m_localBase.personListDict().sortingValue());
        break;
    case Closed:
        qCWarning(lcContacts) << "invalid _mode (prepare:...)";
        showNothing();
        break;
    }
    Q_EMIT listsChanged();
}

int CAPrintListEditor::activate()
{
    if (m_mode == NewPrintList) {
        m_mode = PrintLists;
        return addList(-1);
    }
    if (m_mode == PrintLists && m_lists.count() == 0)
        return addList(-1);
    return -1;
}

void CAPrintListEditor::save()
{
    switch (m_mode) {
    case PrintLists:
    case NewPrintList:
        storeCurrentPrintList();
        m_lists.store();
        break;
    case Senders: {
        // Nothing changed writes nothing: the senders keep their stored order, and the default
        // sender stays the person it was.
        if (!changedShownList())
            break;
        CAPersonList merged =
            CAStoredListMerge::mergePersonLists(m_shownRows, m_persons->sourceContent(), m_senders.personListDict().personList());
        CAPrintListArray::sortPrintList(merged, m_sortingValue);
        m_senders.replacePersonsKeepingDefault(merged);
        m_senders.personListDict().setSortingValue(m_sortingValue);
        m_senders.store();
        Q_EMIT m_senders.senderListChanged();
        m_senders.postUpdate();
        if (const QStringList restored = CAStoredListMerge::restoredNames(QString()); !restored.isEmpty())
            Q_EMIT m_senders.personsRestored(restored);
        break;
    }
    case LocalBase: {
        if (!changedShownList())
            break;
        CAPersonList merged = CAStoredListMerge::mergePersonLists(m_shownRows, m_persons->sourceContent(),
                                                                  m_localBase.personListDict().personList());
        CAPrintListArray::sortPrintList(merged, m_sortingValue);
        m_localBase.personListDict().replacePersonList(merged);
        m_localBase.personListDict().setSortingValue(m_sortingValue);
        m_localBase.store();
        Q_EMIT m_localBase.localBaseChanged();
        m_localBase.postUpdate();
        if (const QStringList restored = CAStoredListMerge::restoredNames(QString()); !restored.isEmpty())
            Q_EMIT m_localBase.personsRestored(restored);
        break;
    }
    case Closed:
        qCWarning(lcContacts) << "invalid _mode";
        break;
    }
    m_mode = Closed;
}

void CAPrintListEditor::cancel()
{
    if (editsPrintLists()) {
        // Every unsaved change goes: the lists as stored, the list current when the window opened.
        m_lists.load();
        int index = m_oldPrintListIndex;
        if (index < 0 || index >= m_lists.count())
            index = m_lists.count() - 1;
        m_lists.setCurrentPrintListIndex(index);
    }
    m_mode = Closed;
    showNothing();
}

QStringList CAPrintListEditor::listNames() const
{
    QStringList names;
    for (int index = 0; index < m_lists.count(); ++index)
        names.append(m_lists.getPrintListNameAt(index));
    return names;
}

int CAPrintListEditor::currentListIndex() const
{
    return m_lists.currentPrintListIndex();
}

bool CAPrintListEditor::holdsSamePersons(const CAPersonList &rows, const CAPersonList &list)
{
    if (rows.size() != list.size())
        return false;
    return std::all_of(rows.cbegin(), rows.cend(), [&list](const std::shared_ptr<PWPerson> &row) {
        return list.contains(row);
    });
}

void CAPrintListEditor::storeCurrentPrintList()
{
    if (!m_showsList)
        return;
    // The list shown is found as the merge of the settings finds lists, wherever another process
    // moved it meanwhile; removed there, it comes back with what was changed here.
    int current = m_lists.indexOfListShown(m_listsShown, m_listShownIndex);
    if (current < 0) {
        if (changedShownList())
            current = m_lists.restoreListShown(m_listsShown, m_listShownIndex, m_shownRows);
        if (current < 0)
            return;
    }
    m_lists.setCurrentPrintListIndex(current);
    // The rows shown sorted are no change of their own: a list the user left alone keeps its
    // order and its sorting value as stored. Compared with what was shown, not with the list now,
    // so that a list this window left alone is not written over what another changed in it.
    const CAPersonList rows = m_persons->sourceContent();
    const bool sortingChanged = m_sortingValue != m_shownSortingValue;
    if (sortingChanged || !holdsSamePersons(rows, m_shownRows)) {
        const CAPersonList now = m_lists.getPrintListAt(current);
        if (holdsSamePersons(now, m_shownRows)) {
            m_lists.replacePrintListAt(current, rows);
        } else {
            // The list changed elsewhere meanwhile (the address window's buttons, another
            // process): what was added, removed and edited here goes into it, field by field,
            // and what the other change did stays.
            CAPersonList merged = CAStoredListMerge::mergePersonLists(m_shownRows, rows, now);
            CAPrintListArray::sortPrintList(merged, m_sortingValue);
            m_lists.replacePrintListAt(current, merged);
            if (const QStringList restored = CAStoredListMerge::restoredNames(QString()); !restored.isEmpty())
                Q_EMIT m_lists.personsRestored(restored);
        }
    }
    if (sortingChanged)
        m_lists.replacePrintListSortValueAt(current, m_sortingValue);
}

void CAPrintListEditor::selectList(int row)
{
    if (row < 0 || row >= m_lists.count()) {
        if (m_lists.count() == 0)
            showNothing();
        return;
    }
    if (row == m_lists.currentPrintListIndex() && m_showsList)
        return;
    // The list shown, brought back by its store, may move the one chosen.
    const PWPlist lists = m_lists.storedValue();
    storeCurrentPrintList();
    row = m_lists.indexOfListShown(lists, row);
    if (row < 0)
        return;
    m_lists.setCurrentPrintListIndex(row);
    showPrintListDict(m_lists.getPrintListAt(row), m_lists.getPrintListSortValueAt(row));
    Q_EMIT listsChanged();
}

QString CAPrintListEditor::uniqueDefaultName() const
{
    const QStringList names = listNames();
    int number = 1;
    while (names.contains(PWLocalizedString(u"Print List"_s) + u" %1"_s.arg(number)))
        ++number;
    return PWLocalizedString(u"Print List"_s) + u" %1"_s.arg(number);
}

QString CAPrintListEditor::uniquePrintListName(const QString &text, int exceptIndex) const
{
    const auto taken = [this, exceptIndex](const QString &candidate) {
        for (int index = 0; index < m_lists.count(); ++index) {
            if (index != exceptIndex && m_lists.getPrintListNameAt(index) == candidate)
                return true;
        }
        return false;
    };
    QString candidate = text;
    for (int number = 2; taken(candidate); ++number)
        candidate = text + u"(%1)"_s.arg(number);
    return candidate;
}

int CAPrintListEditor::addList(int selectedRow)
{
    const PWPlist lists = m_lists.storedValue();
    storeCurrentPrintList();
    selectedRow = m_lists.indexOfListShown(lists, selectedRow);
    const int index = selectedRow >= 0 && selectedRow < m_lists.count() ? selectedRow + 1 : m_lists.count();
    const QString name = uniqueDefaultName();
    m_lists.insertPrintListAt(index);
    m_lists.renamePrintListAt(index, name);
    m_lists.setCurrentPrintListIndex(index);
    showPrintListDict(CAPersonList(), m_lists.getPrintListSortValueAt(index));
    Q_EMIT listsChanged();
    return index;
}

int CAPrintListEditor::removeList(int row)
{
    if (row < 0 || row >= m_lists.count())
        return m_lists.currentPrintListIndex();
    m_lists.removePrintListAt(row);
    // The persons table lets go of the removed list's rows first, so that they are not written
    // into the list that takes its place.
    showNothing();
    const int next = m_lists.count() == 0 ? -1 : std::min(row, m_lists.count() - 1);
    m_lists.setCurrentPrintListIndex(next);
    if (next >= 0)
        showPrintListDict(m_lists.getPrintListAt(next), m_lists.getPrintListSortValueAt(next));
    Q_EMIT listsChanged();
    return next;
}

QString CAPrintListEditor::renameList(int row, const QString &typed)
{
    if (row < 0 || row >= m_lists.count())
        return QString();
    const QString name = uniquePrintListName(typed, row);
    m_lists.renamePrintListAt(row, name);
    Q_EMIT listsChanged();
    return name;
}

void CAPrintListEditor::showPrintListDict(const CAPersonList &persons, int sortingValue)
{
    m_showsList = true;
    // A value the sort menu does not offer leaves the list unsorted from now on.
    if (!CAAddressWindow::sortEntries().contains(sortingValue) || sortingValue == -1) {
        if (sortingValue != CAPersonListDictionary::kNoSorting)
            qCInfo(lcContacts) << "index==NSNotFound";
        sortingValue = CAPersonListDictionary::kNoSorting;
    }
    m_sortingValue = sortingValue;
    m_shownSortingValue = sortingValue;
    if (editsPrintLists()) {
        m_listsShown = m_lists.storedValue();
        m_listShownIndex = m_lists.currentPrintListIndex();
    }
    CAPersonList rows = persons;
    CAPrintListArray::sortPrintList(rows, m_sortingValue);
    m_shownRows = rows;
    m_persons->setContent(rows);
}

void CAPrintListEditor::showNothing()
{
    m_showsList = false;
    m_shownRows.clear();
    m_persons->setContent(CAPersonList());
}

void CAPrintListEditor::setRows(CAPersonList rows)
{
    CAPrintListArray::sortPrintList(rows, m_sortingValue);
    m_persons->setContent(rows);
}

void CAPrintListEditor::changeSorting(int sortingValue)
{
    m_sortingValue = sortingValue;
    setRows(m_persons->sourceContent());
}

int CAPrintListEditor::addPersons(const CAPersonList &chosen)
{
    if (editsPrintLists() && m_lists.count() == 0)
        addList(-1);
    if (!m_showsList)
        return -1;
    CAPersonList rows = m_persons->sourceContent();
    const CAPersonList added = CAPersonListDictionary::personsNotHeld(rows, chosen);
    rows.append(added);
    setRows(rows);
    return added.isEmpty() ? -1 : m_persons->rowOfPerson(added.first().get());
}

int CAPrintListEditor::addBlankPerson()
{
    if (editsPrintLists() && m_lists.count() == 0)
        addList(-1);
    if (!m_showsList)
        return -1;
    const std::shared_ptr<PWPerson> blank = PWPerson::create();
    CAPersonList rows = m_persons->sourceContent();
    rows.append(blank);
    setRows(rows);
    return m_persons->rowOfPerson(blank.get());
}

int CAPrintListEditor::removePersons(const QList<int> &rows)
{
    int first = -1;
    CAPersonList remaining = m_persons->sourceContent();
    for (int row : rows) {
        if (const std::shared_ptr<PWPerson> person = m_persons->personAt(row)) {
            remaining.removeOne(person);
            first = first < 0 ? row : std::min(first, row);
        }
    }
    setRows(remaining);
    const int count = m_persons->rowCount();
    if (count == 0)
        return -1;
    return first < 0 || first >= count ? count - 1 : first;
}

bool CAPrintListEditor::changedShownList() const
{
    return m_showsList && (m_sortingValue != m_shownSortingValue || m_persons->sourceContent() != m_shownRows);
}

CAPersonList CAPrintListEditor::listOfMode() const
{
    switch (m_mode) {
    case Senders:
        return m_senders.personListDict().personList();
    case LocalBase:
        return m_localBase.personListDict().personList();
    default: {
        const int current = m_lists.currentPrintListIndex();
        return current >= 0 ? m_lists.getPrintListAt(current) : CAPersonList();
    }
    }
}

void CAPrintListEditor::refreshShownList()
{
    // What the user changed here stays on screen and is merged at OK; a field being typed in
    // holds the list as it is.
    if (!m_showsList || changedShownList() || (m_holdsShownList && m_holdsShownList()))
        return;
    if (editsPrintLists() && m_lists.hasUnstoredChanges())
        return;
    const CAPersonList before = m_shownRows;
    const CAPersonList now = listOfMode();
    const int sorting = editsPrintLists() ? m_lists.getPrintListSortValueAt(m_lists.currentPrintListIndex())
                        : m_mode == Senders ? m_senders.personListDict().sortingValue()
                                            : m_localBase.personListDict().sortingValue();
    if (holdsSamePersons(now, before) && sorting == m_shownSortingValue)
        return;
    Q_EMIT aboutToRefreshShownList();
    showPrintListDict(now, sorting);
    const QList<qsizetype> found = CAStoredListMerge::counterparts(CAPersonListDictionary::storedPersons(before),
                                                                   CAPersonListDictionary::storedPersons(m_shownRows), false);
    m_refreshed.clear();
    for (qsizetype i = 0; i < before.size() && i < found.size(); ++i)
        m_refreshed.insert(before.at(i).get(), found.at(i) >= 0 ? m_shownRows.at(found.at(i)) : nullptr);
    Q_EMIT listsChanged();
    Q_EMIT shownListRefreshed();
}

std::shared_ptr<PWPerson> CAPrintListEditor::refreshedPerson(const PWPerson *before) const
{
    return m_refreshed.value(before);
}
