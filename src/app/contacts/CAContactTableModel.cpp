#include "app/contacts/CAContactTableModel.h"

#include "app/contacts/CAPersonListDictionary.h"
#include "app/contacts/CAStoredListMerge.h"

#include "kernel/base/CAEnvironment.h"
#include "platform/PWBundle.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWPlist.h"
#include "platform/PWUserDefaults.h"
#include "platform/PWVCardReader.h"
#include "platform/PWVCardWriter.h"

#include <QMimeData>
#include <QSet>

#include <algorithm>

using namespace Qt::StringLiterals;

const QString CAContactTableModel::kPersonListMimeType = u"PersonListPBoardType"_s;

namespace {

const QString kSortingKeyDefault = u"ContactSortingKey"_s;

QString textOf(const PWPerson &person, const QString &property)
{
    return person.valueForProperty(property).toString();
}

} // namespace

CAContactTableModel::CAContactTableModel(const QString &name, PWUserDefaults *defaults, QObject *parent)
    : QAbstractTableModel(parent)
    , m_name(name)
    , m_defaults(defaults)
{
    m_sortingKey = storingSortingKey();
}

PWUserDefaults &CAContactTableModel::defaults() const
{
    return m_defaults ? *m_defaults : PWUserDefaults::standardUserDefaults();
}

void CAContactTableModel::setContent(const CAPersonList &persons)
{
    m_content = persons;
    rebuildRows();
}

std::shared_ptr<PWPerson> CAContactTableModel::personAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row) : nullptr;
}

int CAContactTableModel::rowOfPerson(const PWPerson *person) const
{
    if (!person)
        return -1;
    for (int row = 0; row < m_rows.size(); ++row) {
        if (m_rows.at(row).get() == person)
            return row;
    }
    return -1;
}

void CAContactTableModel::replacePersonAt(int row, const std::shared_ptr<PWPerson> &person)
{
    if (row < 0 || row >= m_rows.size() || !person)
        return;
    const qsizetype inContent = m_content.indexOf(m_rows.at(row));
    if (inContent >= 0)
        m_content[inContent] = person;
    m_rows[row] = person;
    Q_EMIT dataChanged(index(row, 0), index(row, 0));
}

void CAContactTableModel::setFilter(const QString &filter)
{
    if (filter == m_filter)
        return;
    m_filter = filter;
    rebuildRows();
}

void CAContactTableModel::setSortingKey(int key)
{
    m_sortingKey = key;
    rebuildRows();
}

bool CAContactTableModel::isStoringSortingKeyExist() const
{
    return !m_name.isEmpty() && !defaults().objectForKey(kSortingKeyDefault).value(m_name).isNull();
}

int CAContactTableModel::storingSortingKey() const
{
    if (!isStoringSortingKeyExist())
        return kSourceOrder;
    return int(defaults().objectForKey(kSortingKeyDefault).value(m_name).toInteger());
}

void CAContactTableModel::storeSortingKey() const
{
    if (m_name.isEmpty())
        return;
    PWPlist::Dictionary stored = defaults().objectForKey(kSortingKeyDefault).toDictionary();
    stored.insert(m_name, PWPlist::fromInteger(m_sortingKey));
    defaults().setObject(kSortingKeyDefault, PWPlist(stored));
}

bool CAContactTableModel::activateRow(int row)
{
    if (!m_owner.editPerson || !personAt(row))
        return false;
    m_owner.editPerson(row);
    return true;
}

QString CAContactTableModel::personTitle(const PWPerson &person)
{
    const QString first = textOf(person, kPWFirstNameProperty);
    const QString last = textOf(person, kPWLastNameProperty);
    if (!first.isEmpty() && !last.isEmpty())
        return CAEnvironment::orderFirstLast() ? first + u' ' + last : last + u' ' + first;
    if (!first.isEmpty())
        return first;
    if (!last.isEmpty())
        return last;
    const QString organization = textOf(person, kPWOrganizationProperty);
    return organization.isEmpty() ? PWLocalizedString(u"No Name"_s) : organization;
}

bool CAContactTableModel::matchesFilter(const PWPerson &person, const QString &filter)
{
    if (filter.isEmpty())
        return true;
    for (const QString &property : {kPWLastNameProperty, kPWFirstNameProperty, kPWOrganizationProperty}) {
        if (textOf(person, property).contains(filter, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

CAPersonList CAContactTableModel::rowsOf(const CAPersonList &content) const
{
    CAPersonList rows;
    rows.reserve(content.size());
    for (const std::shared_ptr<PWPerson> &person : content) {
        if (person && matchesFilter(*person, m_filter))
            rows.append(person);
    }
    if (m_sortingKey != kSourceOrder && CAPersonListDictionary::isSortingValue(m_sortingKey))
        CAPersonListDictionary::sortPersons(rows, m_sortingKey);
    return rows;
}

void CAContactTableModel::rebuildRows()
{
    beginResetModel();
    m_rows = rowsOf(m_content);
    endResetModel();
}

QHash<const PWPerson *, std::shared_ptr<PWPerson>> CAContactTableModel::counterpartsIn(const CAPersonList &persons,
                                                                                     Matching matching) const
{
    QHash<const PWPerson *, std::shared_ptr<PWPerson>> found;
    QSet<const PWPerson *> given;
    for (const std::shared_ptr<PWPerson> &person : persons)
        if (person)
            given.insert(person.get());
    CAPersonList before;
    CAPersonList after;
    for (const std::shared_ptr<PWPerson> &person : m_content) {
        if (!person)
            continue;
        if (given.contains(person.get()))
            found.insert(person.get(), person);
        else
            before.append(person);
    }
    if (before.isEmpty())
        return found;
    for (const std::shared_ptr<PWPerson> &person : persons)
        if (person)
            after.append(person);
    QSet<const PWPerson *> taken;
    for (const std::shared_ptr<PWPerson> &person : std::as_const(found))
        taken.insert(person.get());
    const auto take = [&](const std::shared_ptr<PWPerson> &was, const std::shared_ptr<PWPerson> &now) {
        if (now && !taken.contains(now.get())) {
            taken.insert(now.get());
            found.insert(was.get(), now);
        }
    };
    if (matching == Matching::StoredPerson) {
        // The stored forms of the whole lists: an identifier counts only where it is unique.
        CAPersonList all;
        for (const std::shared_ptr<PWPerson> &person : m_content)
            if (person)
                all.append(person);
        const QList<qsizetype> at = CAStoredListMerge::counterparts(CAPersonListDictionary::storedPersons(all),
                                                                    CAPersonListDictionary::storedPersons(after), false);
        for (qsizetype i = 0; i < all.size() && i < at.size(); ++i)
            if (!found.contains(all.at(i).get()) && at.at(i) >= 0)
                take(all.at(i), after.at(at.at(i)));
        return found;
    }
    QHash<QString, int> countBefore;
    QHash<QString, int> countAfter;
    QHash<QString, std::shared_ptr<PWPerson>> byIdentifier;
    for (const std::shared_ptr<PWPerson> &person : m_content)
        if (person && !person->uniqueId().isEmpty())
            ++countBefore[person->uniqueId()];
    for (const std::shared_ptr<PWPerson> &person : std::as_const(after)) {
        if (person->uniqueId().isEmpty())
            continue;
        ++countAfter[person->uniqueId()];
        byIdentifier.insert(person->uniqueId(), person);
    }
    for (const std::shared_ptr<PWPerson> &person : std::as_const(before)) {
        const QString id = person->uniqueId();
        if (!id.isEmpty() && countBefore.value(id) == 1 && countAfter.value(id) == 1)
            take(person, byIdentifier.value(id));
    }
    return found;
}

void CAContactTableModel::setContentKeepingRows(const CAPersonList &persons, Matching matching)
{
    const QHash<const PWPerson *, std::shared_ptr<PWPerson>> found = counterpartsIn(persons, matching);
    const CAPersonList rows = rowsOf(persons);
    QSet<const PWPerson *> shown;
    for (const std::shared_ptr<PWPerson> &person : rows)
        shown.insert(person.get());
    m_content = persons;

    // The rows of persons gone, or now hidden by the filter, go, a run of rows at a time.
    for (int row = int(m_rows.size()) - 1; row >= 0;) {
        const std::shared_ptr<PWPerson> now = found.value(m_rows.at(row).get());
        if (now && shown.contains(now.get())) {
            --row;
            continue;
        }
        int first = row;
        while (first > 0) {
            const std::shared_ptr<PWPerson> before = found.value(m_rows.at(first - 1).get());
            if (before && shown.contains(before.get()))
                break;
            --first;
        }
        beginRemoveRows(QModelIndex(), first, row);
        m_rows.remove(first, row - first + 1);
        endRemoveRows();
        row = first - 1;
    }
    // The rows kept show their persons as read now, in the order the rows now take.
    QSet<const PWPerson *> kept;
    for (std::shared_ptr<PWPerson> &person : m_rows) {
        person = found.value(person.get());
        kept.insert(person.get());
    }
    CAPersonList keptOrder;
    for (const std::shared_ptr<PWPerson> &person : rows)
        if (kept.contains(person.get()))
            keptOrder.append(person);
    for (int row = 0; row < keptOrder.size() && row < m_rows.size(); ++row) {
        if (m_rows.at(row) == keptOrder.at(row))
            continue;
        const int from = int(m_rows.indexOf(keptOrder.at(row), row + 1));
        // One person shown twice now where it was once: the rows are shown anew below.
        if (from < 0)
            break;
        beginMoveRows(QModelIndex(), from, from, QModelIndex(), row);
        m_rows.move(from, row);
        endMoveRows();
    }
    // The persons new come in where they show, a run of rows at a time.
    for (int row = 0; row < rows.size();) {
        if (row < m_rows.size() && m_rows.at(row) == rows.at(row)) {
            ++row;
            continue;
        }
        int last = row;
        while (last + 1 < rows.size() && !kept.contains(rows.at(last + 1).get()))
            ++last;
        beginInsertRows(QModelIndex(), row, last);
        for (int at = row; at <= last; ++at)
            m_rows.insert(at, rows.at(at));
        endInsertRows();
        row = last + 1;
    }
    // A list holding one person twice may not be reached by the steps above: it is shown anew.
    if (m_rows != rows) {
        beginResetModel();
        m_rows = rows;
        endResetModel();
        return;
    }
    if (!m_rows.isEmpty())
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

QByteArray CAContactTableModel::personListData(const CAPersonList &persons)
{
    PWPlist::Array items;
    for (const std::shared_ptr<PWPerson> &person : persons) {
        if (person)
            items.append(PWPlist::fromData(PWVCardWriter::vCardRepresentation(*person)));
    }
    return PWPlist(items).toXml();
}

QByteArray CAContactTableModel::cardKey(const PWPerson &person)
{
    QByteArray key;
    for (const QByteArray &line : PWVCardWriter::vCardRepresentation(person).split('\n')) {
        if (!line.startsWith("UID:") && !line.startsWith("UID;"))
            key += line + '\n';
    }
    return key;
}

CAPersonList CAContactTableModel::personsFromListData(const QByteArray &data)
{
    CAPersonList persons;
    const std::optional<PWPlist> list = PWPlist::parse(data);
    if (!list || !list->isArray())
        return persons;
    for (const PWPlist &item : list->toArray()) {
        if (!item.isData())
            continue;
        if (std::shared_ptr<PWPerson> person = PWVCardReader::personFromData(item.toData()))
            persons.append(person);
    }
    return persons;
}

int CAContactTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int CAContactTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 1;
}

QVariant CAContactTableModel::data(const QModelIndex &index, int role) const
{
    const std::shared_ptr<PWPerson> person = personAt(index.row());
    if (!person || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    // A stored person that did not read holds its place, named as such: it is kept as stored.
    const QString unread = CAPersonListDictionary::unreadableReason(*person);
    if (!unread.isEmpty()) {
        const QString name = CAPersonListDictionary::unreadableName(*person);
        const QString title = name.isEmpty() ? PWLocalizedString(u"Unreadable person"_s)
                                             : PWLocalizedString(u"Unreadable person (%1)"_s).arg(name);
        return role == Qt::ToolTipRole ? PWLocalizedString(u"%1: %2. It is kept as it was stored."_s).arg(title, unread)
                                       : title;
    }
    return personTitle(*person);
}

Qt::ItemFlags CAContactTableModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && m_allowDrag)
        flags |= Qt::ItemIsDragEnabled;
    if (acceptsDrops())
        flags |= Qt::ItemIsDropEnabled;
    return flags;
}

QStringList CAContactTableModel::mimeTypes() const
{
    return {kPersonListMimeType};
}

QMimeData *CAContactTableModel::mimeData(const QModelIndexList &indexes) const
{
    if (!m_allowDrag || indexes.isEmpty())
        return nullptr;
    QList<int> rows;
    for (const QModelIndex &index : indexes) {
        if (index.isValid() && !rows.contains(index.row()))
            rows.append(index.row());
    }
    CAPersonList persons;
    for (int row : std::as_const(rows)) {
        if (std::shared_ptr<PWPerson> person = personAt(row))
            persons.append(person);
    }
    if (persons.isEmpty())
        return nullptr;
    auto *mime = new QMimeData;
    mime->setData(kPersonListMimeType, personListData(persons));
    return mime;
}

bool CAContactTableModel::canDropMimeData(const QMimeData *data, Qt::DropAction, int, int, const QModelIndex &) const
{
    return acceptsDrops() && data && data->hasFormat(kPersonListMimeType);
}

bool CAContactTableModel::dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                                       const QModelIndex &parent)
{
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    const CAPersonList persons = personsFromListData(data->data(kPersonListMimeType));
    if (persons.isEmpty())
        return false;
    m_owner.acceptDrop(persons);
    return true;
}
