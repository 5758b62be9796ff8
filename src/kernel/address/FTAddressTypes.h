#pragma once

#include "kernel/foundation/FTComponentTypes.h"
#include "kernel/foundation/FTTypes.h"

// Names for the address types and field modes the addressing code uses; the text categories are
// named by their enumeration. The enumerations themselves are the foundation's; every number,
// named or not, stays valid.

// Which of a person's entries a field shows: the primary one, or the one labelled work, home,
// or neither.
inline constexpr addressType adMain = addressType(0);
inline constexpr addressType adWork = addressType(1);
inline constexpr addressType adHome = addressType(2);
inline constexpr addressType adOther = addressType(3);

// How an address field is shown: never, always (its grey label stands in while it is empty),
// only while it has text or is edited; a format leaf that gives no mode holds fmUnset.
inline constexpr fieldMode fmNever = fieldMode(0);
inline constexpr fieldMode fmAlways = fieldMode(1);
inline constexpr fieldMode fmWhenFilled = fieldMode(2);
inline constexpr fieldMode fmUnset = fieldMode(-1);
