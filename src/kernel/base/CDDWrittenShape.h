#pragma once

#include "platform/PWPlist.h"

#include <QString>

#include <functional>

class CDDArchive;

// What a file of this version holds for an object is what the object's writer writes: the keys of
// its dictionary, and of each dictionary within it, with the kind of value under each. A reading
// measures the stored dictionary by it, so that a key nobody listed is named as soon as the writer
// writes it: held as another kind of value, or as an empty list where the writer writes entries.
// A key the file leaves out is no damage: older writers and other programs leave out what holds
// its default, and the object keeps what a new one has. A value named is kept in the file's form
// for the next save (CDDArchiveKept).
namespace CDDWrittenShape {

// Names in archive's read report each key of stored that departs from the shape of the written
// dictionary, what the object wrote right after reading stored (the same places, entry for entry):
// another kind of value, or an empty list where the writer writes entries. Dictionaries within
// that stand for a class ("Class ID") are measured by every dictionary of that class the object
// wrote (a format part whose list was emptied by the parts that hold entries there); others by
// where they lie. ownReading tells the dictionaries within that are read as objects of their own
// and measured there (the components of a panel). A part some reader named already is not named
// again. place is how the report names the object ("a component of class ...").
void noteGaps(const CDDArchive &archive, const PWPlist::Dictionary &stored, const PWPlist::Dictionary &written,
              const std::function<bool(const PWPlist::Dictionary &)> &ownReading,
              const QString &place);

} // namespace CDDWrittenShape
