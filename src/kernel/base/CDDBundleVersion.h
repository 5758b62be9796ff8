#pragma once

#include "platform/PWPlist.h"

#include <optional>

// The "Bundle Version" a design or one of its panels was written by: which of them are read as
// old files (72 or below) and converted.
namespace CDDBundleVersion {

// A stored version: a whole number as text (how it is written) or as a number; nothing when the
// value is anything else, i.e. damaged.
std::optional<int> parse(const PWPlist &stored);

} // namespace CDDBundleVersion
