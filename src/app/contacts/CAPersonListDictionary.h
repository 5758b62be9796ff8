#pragma once

#include "platform/PWPlist.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class PWPerson;

using CAPersonList = QList<std::shared_ptr<PWPerson>>;

// One named list of persons with the text category it is sorted by: a print list, the sender
// list or the local contact base. A value; the persons are shared with whoever else holds them
// (a window showing them, a document printing them), so a person edited in one place is edited
// everywhere, as the windows expect of "the person in the list".
class CAPersonListDictionary
{
public:
    // The sorting value of a list that is not sorted.
    static constexpr int kNoSorting = 134;

    CAPersonListDictionary() = default;

    QString name() const { return m_name; }
    // A null name is refused (logged); the record keeps its name.
    void setName(const QString &name);
    const CAPersonList &personList() const { return m_persons; }
    void replacePersonList(const CAPersonList &persons) { m_persons = persons; }
    // 0 when none was set.
    int sortingValue() const { return m_sort; }
    void setSortingValue(int sortingValue) { m_sort = sortingValue; }

    // {"Name", "Persons": stored persons in list order, "Sort"}.
    PWPlist::Dictionary storedForm() const;
    // The list of a stored form. Persons that do not read, and a form that is no dictionary,
    // are left out and named in problems; nothing else fails.
    static CAPersonListDictionary fromStoredForm(const PWPlist &stored, QStringList *problems = nullptr);
    // Stored persons to persons, skipping (and naming) those that do not read.
    static CAPersonList personsFromStored(const PWPlist &stored, QStringList *problems = nullptr);
    static PWPlist::Array storedPersons(const CAPersonList &persons);

    // Whether a sorting value sorts at all: 0, negative values and 134 do not.
    static bool isSortingValue(int sortingValue) { return sortingValue > 0 && sortingValue != kNoSorting; }
    // Sorts in place by the persons' texts for the text category (with the name fallbacks of
    // the person fields), ignoring case; a person without any such text sorts as an empty
    // text, and persons that compare equal keep their order.
    static void sortPersons(CAPersonList &persons, int textCategory);
    // <0, 0 or >0 as a sorts before, with or after b by the text category.
    static int sortUsingTextCategory(const PWPerson &a, const PWPerson &b, int textCategory);

private:
    QString m_name;
    CAPersonList m_persons;
    int m_sort = 0;
};
