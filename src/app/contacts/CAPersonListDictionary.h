#pragma once

#include "platform/PWPlist.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <iterator>
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
    // What is written for the list. A list read from a stored dictionary writes that dictionary
    // back, its other keys with it, with only the name, sorting or persons the user changed since
    // written anew: persons that did not read as a list stay as stored while the list is renamed
    // or sorted. A list read from a form that is no dictionary is written as stored until the user
    // names, sorts or fills it.
    PWPlist storedValue() const;
    // The list of a stored form. A form that is no dictionary is read as an empty list, and
    // persons that do not read are kept (see keepUnreadable), each named in problems.
    static CAPersonListDictionary fromStoredForm(const PWPlist &stored, QStringList *problems = nullptr);
    // Stored persons to persons; one that does not read is kept in its place and named, as
    // "person 2 of <where>" (where: "the print list "Club"", ...).
    static CAPersonList personsFromStored(const PWPlist &stored, QStringList *problems = nullptr,
                                          const QString &where = QString());
    // Persons to stored persons; one kept unread is written exactly as it was stored.
    static PWPlist::Array storedPersons(const CAPersonList &persons);

    // A stored person that does not read (a cut or garbled vCard, a value that is no person) is
    // not dropped: an empty person with an identity of its own holds its place in the list, is
    // shown as unreadable, and is written back exactly as stored, until the user gives it values
    // of its own. Its place keeps the positions after it (the default sender's among them).
    static std::shared_ptr<PWPerson> keepUnreadable(const PWPlist &stored, const QString &reason);
    // Why the person stands for a stored person that did not read ("its vCard ends before
    // END:VCARD"); empty for any other person, and for one the user has filled in since.
    static QString unreadableReason(const PWPerson &person);
    // A copy of the person with its identity (FTStoredPerson::copyWithIdentity) that, for one kept
    // unread, still stands for the same stored form: what an editor works on and puts back.
    static std::shared_ptr<PWPerson> copyPerson(const PWPerson &person);
    // What a print of a print list says of its persons kept unread, which would print as empty
    // items ("2 of the 40 persons of the print list "Club" could not be read"); empty when every
    // person read. The batch refuses such a list with it and the print sheet tells it first.
    template <typename Persons>
    static QString unreadInPrintList(const Persons &persons, const QString &listName)
    {
        const auto unread = std::count_if(std::begin(persons), std::end(persons), [](const auto &person) {
            return person && !unreadableReason(*person).isEmpty();
        });
        return unreadInPrintList(qsizetype(unread), qsizetype(std::size(persons)), listName);
    }
    static QString unreadInPrintList(qsizetype unread, qsizetype total, const QString &listName);
    // The name the unread vCard gives itself (its FN line), empty when it gives none.
    static QString unreadableName(const PWPerson &person);

    // The chosen persons that none of held equals (FTStoredPerson::isEqualToPerson), nor one
    // chosen before them, in their order: what adding them to a list adds. Each person is looked
    // up once, so that a choice of thousands adds at once.
    static CAPersonList personsNotHeld(const CAPersonList &held, const CAPersonList &chosen);

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
    // The stored form the list was read from (null for a list made here), with the name, sorting
    // and persons (as storedPersons writes them) it was read as: what differs from those now is
    // the user's change.
    PWPlist m_stored;
    QString m_readName;
    int m_readSort = 0;
    PWPlist::Array m_readPersons;
};
