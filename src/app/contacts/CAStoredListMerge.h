#pragma once

#include "app/contacts/CAPersonListDictionary.h"
#include "platform/PWPlist.h"

#include <QList>
#include <QString>
#include <QStringList>

class PWUserDefaults;

// The merge of person lists that two processes changed in one settings file: the print lists, the
// senders and the local contact base, given to the user defaults for their keys, and the merge a
// window makes at OK of what it edited with what its list holds by then.
//
// An entry is known by its stored record as last read (the merge's base): an entry stored as read
// is that record; one this process wrote from a person or list it read is the record it was read
// from; one another process changed is known by the UID of its card (a print list by its name, or
// by its persons when it was renamed) only where no other entry left unmatched holds it, and is
// otherwise an entry removed and another added. An entry one side added is added, one a side
// removed and the other left alone is removed; one removed by one side and changed by the other
// comes back with the change; one only the other side changed takes that change; where both
// changed one stored person, it is merged field by field (a value, an address's city or state, a
// custom field), this process's value winning only where both changed the same one; a print list
// both changed merges its name, sorting and persons alike. Entries keep this process's order, the
// other's additions after the entry they followed there. UIDs and stored forms stay as they are.
class CAStoredListMerge
{
public:
    // Registers the merges with the store for "PrintListArray", "SenderList" and
    // "LocalContactBase".
    static void install(PWUserDefaults &defaults);

    // Stored persons (arrays of {"personData", ...}).
    static PWPlist mergePersons(const PWPlist &base, const PWPlist &mine, const PWPlist &theirs);
    // Stored print lists (arrays of {"Name", "Persons", "Sort", ...}).
    static PWPlist mergePrintLists(const PWPlist &base, const PWPlist &mine, const PWPlist &theirs);
    // One stored person both sides changed, field by field.
    static PWPlist mergePerson(const PWPlist &base, const PWPlist &mine, const PWPlist &theirs);

    // The same merge on persons in memory: base the persons a window showed, mine what it holds
    // at OK, theirs the list's persons now. Persons kept are the objects given (mine first).
    static CAPersonList mergePersonLists(const CAPersonList &base, const CAPersonList &mine, const CAPersonList &theirs);

    // For each entry of before, the index of the entry of after that is it (as the merge knows
    // entries), -1 where none is.
    static QList<qsizetype> counterparts(const PWPlist::Array &before, const PWPlist::Array &after, bool printLists);

    // The identity of a stored person: "uid:" and the UID of its card, else its stored form.
    static QString personIdentity(const PWPlist &stored);
    // The UID of a stored person's card; empty when it has none.
    static QString uidOf(const PWPlist &stored);
    // The name a stored person's card gives (FN, else N), for a sentence.
    static QString nameOf(const PWPlist &stored);

    // What an owner of the list under key stores: mine, merged with what the store took in from
    // another process since the owner read loaded (now); the persons mine lost from loaded are
    // noted as removed here.
    static PWPlist valueToStore(const QString &key, const PWPlist &loaded, const PWPlist &mine, const PWPlist &now);
    // The owner of the list under key read it again as another process wrote it (after), without
    // a merge of its own: the persons in it that were not in what the owner read before and that
    // this process had removed came back (the other had changed them, or the list holding them,
    // before it learned of the removal), and are noted as restored.
    static void noteTakenIn(const QString &key, const PWPlist &before, const PWPlist &after);
    // The names of the persons takeRestored answers for key, for the window to say.
    static QStringList restoredNames(const QString &key);

    // This process wrote the entry written for the person or list read as read: the merge knows
    // the one as the other.
    static void noteWrittenFrom(const PWPlist &written, const PWPlist &read);
    // This process stored the list under key without these entries it had read.
    static void noteRemoved(const QString &key, const PWPlist::Array &removed);
    // The stored persons under key that this process removed and a merge since brought back
    // because another process had changed them; each is answered once.
    static PWPlist::Array takeRestored(const QString &key);
};
