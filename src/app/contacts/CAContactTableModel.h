#pragma once

#include "app/contacts/CAPersonListDictionary.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QString>

#include <functional>
#include <optional>

class PWUserDefaults;
class QMimeData;

// The rows of one list of persons: a contact source, the sender list, a print list. The persons
// of the source stay as given; the rows are those whose last name, first name or organization
// contain the search text (ignoring case), sorted by a text category or left in source order
// (-1). One column, the person's title. Rows drag out as the person-list type: a property-list
// array of vCard data, one item per person.
class CAContactTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static const QString kPersonListMimeType; // "PersonListPBoardType"
    static constexpr int kSourceOrder = -1;

    // What the owner of a table takes. Without acceptDrop, drops are refused; without
    // editPerson, a double click is ignored: an owner declares what it can do.
    struct Owner
    {
        std::function<void(const CAPersonList &dropped)> acceptDrop;
        std::function<void(int row)> editPerson;
    };

    // name keys the stored sorting key ("ContactSortingKey"); an empty name stores nothing.
    explicit CAContactTableModel(const QString &name = QString(), PWUserDefaults *defaults = nullptr,
                                 QObject *parent = nullptr);

    QString name() const { return m_name; }
    void setContent(const CAPersonList &persons);
    // How a list read again finds its persons among those it showed: the same object, else a
    // person of its own identifier where only one on each side holds it (a source read from
    // elsewhere), or by the stored record as the merge of the settings knows it (the lists the
    // settings file stores: senders, the local base, print lists).
    enum class Matching { Identifier, StoredPerson };
    // The list read again. A row whose person is still shown stays, now showing that person as
    // read; the rows of persons gone are removed and those of persons new inserted where they
    // show, so that the view keeps its current row, its selection and the row a press went to
    // (a double click under way still opens the person pressed) on the same persons.
    void setContentKeepingRows(const CAPersonList &persons, Matching matching = Matching::Identifier);
    const CAPersonList &sourceContent() const { return m_content; }
    // The rows, in display order.
    const CAPersonList &content() const { return m_rows; }
    std::shared_ptr<PWPerson> personAt(int row) const;
    // The row of the person (the same object), or -1 when the filter hides it.
    int rowOfPerson(const PWPerson *person) const;
    // Puts the person in place of the row's person, in the rows and in the source's persons;
    // the row keeps its place until the next filter or sort.
    void replacePersonAt(int row, const std::shared_ptr<PWPerson> &person);

    QString filter() const { return m_filter; }
    void setFilter(const QString &filter);
    int sortingKey() const { return m_sortingKey; }
    // Sorts the rows at once.
    void setSortingKey(int key);
    // The stored key for this name; -1 when none is stored.
    int storingSortingKey() const;
    bool isStoringSortingKeyExist() const;
    void storeSortingKey() const;

    void setAllowDragAndDrop(bool allow) { m_allowDrag = allow; }
    void setOwner(Owner owner) { m_owner = std::move(owner); }
    const Owner &owner() const { return m_owner; }
    bool acceptsDrops() const { return bool(m_owner.acceptDrop); }
    // The double click of a row: false (and nothing done) when the owner edits nothing.
    bool activateRow(int row);

    // "First Last" (or "Last First" by the user's order), the one name present, the
    // organization, else the localized "No Name".
    static QString personTitle(const PWPerson &person);
    static bool matchesFilter(const PWPerson &person, const QString &filter);
    // The person-list data of persons, and the persons read back from it (unreadable items skipped).
    static QByteArray personListData(const CAPersonList &persons);
    static CAPersonList personsFromListData(const QByteArray &data);
    // The person's card without its identifier: equal for a person and its dragged copy, which
    // is read back with an identifier of its own.
    static QByteArray cardKey(const PWPerson &person);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }
    Qt::DropActions supportedDropActions() const override { return Qt::CopyAction; }
    bool canDropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                         const QModelIndex &parent) const override;
    bool dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                      const QModelIndex &parent) override;

private:
    void rebuildRows();
    // For each person of the content shown, the person of persons that is it; one answers for
    // one at most.
    QHash<const PWPerson *, std::shared_ptr<PWPerson>> counterpartsIn(const CAPersonList &persons, Matching matching) const;
    CAPersonList rowsOf(const CAPersonList &content) const;
    PWUserDefaults &defaults() const;

    QString m_name;
    PWUserDefaults *m_defaults;
    CAPersonList m_content;
    CAPersonList m_rows;
    QString m_filter;
    int m_sortingKey = kSourceOrder;
    bool m_allowDrag = false;
    Owner m_owner;
};
