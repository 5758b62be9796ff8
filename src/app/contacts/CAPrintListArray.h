#pragma once

#include "app/contacts/CAPersonListDictionary.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class PWUserDefaults;

// The user's print lists: named lists of persons to print one item each for, in the user's
// order, with a current list. Kept in the user default "PrintListArray" and written only by
// store(). Whenever the current index is read it is -1 or a valid index: an index left past the
// end by a removal or a load is first brought back to the last list. Main thread.
class CAPrintListArray : public QObject
{
    Q_OBJECT
public:
    // The process-wide lists, loaded from the standard user defaults on first use.
    static CAPrintListArray &getShared();
    // Posted after a window changed the lists without telling them (the assistant, the
    // print-multiple window): every window showing the lists shows them again.
    static const QString kUpdatePrintListController;

    explicit CAPrintListArray(PWUserDefaults &defaults, QObject *parent = nullptr);

    // Replaces the lists with the stored ones. The current index stays on its list, found among
    // those read as the merge of the settings finds lists (another process added, removed or
    // moved lists before it); otherwise it is not touched. Stored lists and persons that do not
    // read are left out and named in loadProblems().
    void load();
    // Writes every list under "PrintListArray" and saves the user defaults at once; false when
    // they could not be saved. What another process stored since the lists were loaded is merged
    // in (CAStoredListMerge) and then shown.
    bool store();
    // The lists as store() would write them now.
    PWPlist storedValue() const;
    // Whether the lists hold changes not stored yet: another process's lists taken in meanwhile
    // are shown only at the next store, merged.
    bool hasUnstoredChanges() const { return storedValue() != m_loaded; }
    // Whether the lists as last stored are on disk: false after a store whose write failed,
    // until the settings file is written again (the lists kept in memory go with it then).
    bool isSaved() const { return m_saved; }
    QStringList loadProblems() const { return m_loadProblems; }

    int count() const { return int(m_lists.size()); }
    // A new list named "" with no persons and no sorting; an index out of 0...count appends.
    void insertPrintListAt(int index);
    // Index arguments below must be valid (0 to count - 1); an invalid one changes nothing and
    // reads as empty.
    void removePrintListAt(int index);
    CAPersonList getPrintListAt(int index) const;
    QString getPrintListNameAt(int index) const;
    int getPrintListSortValueAt(int index) const;
    void renamePrintListAt(int index, const QString &name);
    void replacePrintListAt(int index, const CAPersonList &persons);
    void replacePrintListSortValueAt(int index, int sortingValue);
    // The persons of the first list named exactly so (case and all); nothing when none is.
    std::optional<CAPersonList> getPrintListByName(const QString &name) const;
    const CAPersonListDictionary *printListDictAt(int index) const;

    int currentPrintListIndex();
    // A valid index is taken; any other makes the last list current (-1 when there are none).
    void setCurrentPrintListIndex(int index);
    std::optional<CAPersonList> currentPrintList();
    const CAPersonListDictionary *currentPrintListDict();
    // Only when there is a current list.
    void replaceCurrentPrintList(const CAPersonList &persons);

    // The list an editor opened on, the index-th of the lists shown (storedValue() then), found
    // among the lists now as the merge of the settings finds lists: by its stored record, by its
    // name, then by its persons, whatever another process removed, added, moved or renamed
    // meanwhile. -1 when the list is no longer there.
    int indexOfListShown(const PWPlist &shown, int index) const;
    // A list shown and edited that is no longer there comes back with the edit, as the merge
    // brings back what one side removed and the other changed: as it was shown with the persons
    // given, after the nearest list before it that is still there (first when none is). Answers
    // its index, -1 for an index that is not one of shown.
    int restoreListShown(const PWPlist &shown, int index, const CAPersonList &persons);

    // Sorts a person list by a sorting value (nothing for 0, negative values and 134).
    static void sortPrintList(CAPersonList &persons, int sortingValue);

Q_SIGNALS:
    // Any list, name, sorting value or the set of lists changed in memory.
    void printListsChanged();
    // Persons this process removed came back, with the changes another process made to them
    // before it saw the removal: their names, for the window to say.
    void personsRestored(const QStringList &names);
    // isSaved() changed.
    void savedChanged(bool saved);

private:
    bool isValidIndex(int index) const { return index >= 0 && index < count(); }
    void clampCurrentIndex();
    void setSaved(bool saved);

    PWUserDefaults &m_defaults;
    QList<CAPersonListDictionary> m_lists;
    int m_currentIndex = -1;
    QStringList m_loadProblems;
    // The stored lists when they did not read as a list.
    PWPlist m_keptLists;
    // The stored lists as last loaded or stored: what another process changed is told from it.
    PWPlist m_loaded;
    bool m_saved = true;
};
