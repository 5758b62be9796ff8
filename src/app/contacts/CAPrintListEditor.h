#pragma once

#include "app/contacts/CAPersonListDictionary.h"
#include "platform/PWPlist.h"

#include <QHash>
#include <QObject>
#include <QStringList>

#include <functional>

class CAContactTableModel;
class CALocalContactBase;
class CAPrintListArray;
class CASenderList;
class PWUserDefaults;

// What the print-multiple window edits, without its widgets: in list mode the print lists (names
// added, renamed and removed, the current list's persons), in sender mode the sender list, in
// local-base mode the local contact base. The persons of the list shown are the rows of its own
// table model; the lists receive them when another list is chosen and on save. Cancel in list
// mode reads the stored lists back, so nothing unsaved survives it. Every change the window can
// make to a list is invocable (the names table's end in "List").
class CAPrintListEditor : public QObject
{
    Q_OBJECT
public:
    enum Mode { Closed = 0, PrintLists = 1, NewPrintList = 2, Senders = 3, LocalBase = 4 };

    CAPrintListEditor(CAPrintListArray &lists, CASenderList &senders, CALocalContactBase &localBase,
                      PWUserDefaults &defaults, QObject *parent = nullptr);
    ~CAPrintListEditor() override;

    // Readies a mode: the list it edits is shown in the persons table, as the settings file holds
    // it now (what another process wrote is taken in first).
    void prepare(Mode mode);
    Mode mode() const { return m_mode; }
    bool editsPrintLists() const { return m_mode == PrintLists || m_mode == NewPrintList; }
    // After the window first became key: mode 2 adds its new list and becomes mode 1; mode 1
    // with no list at all adds one. Answers the row of a list added (-1 when none was).
    int activate();
    // OK: the edited list is stored, merged with what the list came to hold meanwhile (another
    // process's writes taken in): person by person and field by field, so that an edit stores
    // only what the user changed. Cancel: list mode reads the stored lists back.
    void save();
    void cancel();

    // --- the table of list names (list modes) ---
    QStringList listNames() const;
    int currentListIndex() const;
    // The list at row becomes current and is shown; the list shown before keeps its rows.
    Q_INVOKABLE void selectList(int row);
    // A new list after the selected row (at the end without one), named "Print List N" with the
    // first free N, made current. Answers its row.
    Q_INVOKABLE int addList(int selectedRow);
    // Removes the list; the same row (or the one before, for the last) becomes current without
    // receiving the removed list's rows. Answers that row, -1 when no list is left.
    Q_INVOKABLE int removeList(int row);
    // The typed name made unique among the other lists ("Club", "Club(2)", ...). Answers it.
    Q_INVOKABLE QString renameList(int row, const QString &typed);
    QString uniqueDefaultName() const;
    QString uniquePrintListName(const QString &text, int exceptIndex) const;

    // --- the persons table ---
    CAContactTableModel *persons() const { return m_persons; }
    bool showsList() const { return m_showsList; }
    int sortingValue() const { return m_sortingValue; }
    // Sorts the rows by the value (134: as added) and remembers it for the list.
    Q_INVOKABLE void changeSorting(int sortingValue);
    // Adds the chosen persons the list does not hold yet (equal by name, organization and
    // department), sorted in. Answers the row of the first one added, -1 when none was.
    Q_INVOKABLE int addPersons(const CAPersonList &chosen);
    // A new empty person for the editor to fill. Answers its row.
    Q_INVOKABLE int addBlankPerson();
    // Removes the rows' persons; answers the row to select next (-1 on an empty list).
    Q_INVOKABLE int removePersons(const QList<int> &rows);

    // Whether the user changed the list shown since it was shown.
    bool changedShownList() const;
    // After the list shown was shown again with what another process wrote: the person now
    // shown for a person shown before (null when it is gone).
    std::shared_ptr<PWPerson> refreshedPerson(const PWPerson *before) const;
    // While set (a field is being typed in), the list shown is not shown again.
    void setHoldsShownList(std::function<bool()> holds) { m_holdsShownList = std::move(holds); }

Q_SIGNALS:
    // The names, the current list or the persons shown changed.
    void listsChanged();
    // The list shown is about to be shown again with what another process wrote, and was (see
    // refreshedPerson).
    void aboutToRefreshShownList();
    void shownListRefreshed();

private:
    void storeCurrentPrintList();
    // Shows the list again with what another process wrote, when the user has not changed it.
    void refreshShownList();
    CAPersonList listOfMode() const;
    void showPrintListDict(const CAPersonList &persons, int sortingValue);
    void showNothing();
    void setRows(CAPersonList rows);
    // Whether the rows are the list's persons, in any order.
    static bool holdsSamePersons(const CAPersonList &rows, const CAPersonList &list);

    PWUserDefaults &m_defaults;
    CAPrintListArray &m_lists;
    CASenderList &m_senders;
    CALocalContactBase &m_localBase;
    CAContactTableModel *m_persons;
    Mode m_mode = Closed;
    bool m_showsList = false;
    int m_sortingValue = CAPersonListDictionary::kNoSorting;
    // The list shown as it was when shown: rows or a sorting other than these are the user's.
    CAPersonList m_shownRows;
    int m_shownSortingValue = CAPersonListDictionary::kNoSorting;
    // In list modes, the lists when the list was shown and its index among them: the list the
    // rows go back to, found again whatever another process did to the lists meanwhile.
    PWPlist m_listsShown;
    int m_listShownIndex = -1;
    int m_oldPrintListIndex = -1;
    std::function<bool()> m_holdsShownList;
    // The persons shown before the last refresh, to the persons shown for them since.
    QHash<const PWPerson *, std::shared_ptr<PWPerson>> m_refreshed;
};
