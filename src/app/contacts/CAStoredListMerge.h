#pragma once

#include "platform/PWPlist.h"

#include <QString>

class PWUserDefaults;

// The merge of person lists that two processes changed in one settings file: the print lists, the
// senders and the local contact base, given to the user defaults for their keys. Each side's
// change to an entry is kept, the entry known by its identity: a stored person by the UID of its
// card (else by its whole stored form), a print list by its name. An entry one side added is
// added, one a side removed and the other left alone is removed, one only the other side changed
// takes that change; where both changed one entry, this process's change wins (a print list both
// changed merges its persons). Entries keep this process's order, the other's additions after the
// entry they followed there.
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

    // The identity of a stored person: "uid:" and the UID of its card, else its stored form.
    static QString personIdentity(const PWPlist &stored);
};
