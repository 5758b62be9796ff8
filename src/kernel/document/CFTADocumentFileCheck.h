#pragma once

#include "platform/PWPlist.h"

#include <QString>

// What a design file's dictionary says before it is read.
namespace CFTADocumentFileCheck {

// The most components the lists of a design's front side hold between them. A design of a
// million components reads in seconds; one of more is refused with its count rather than read
// for minutes into gigabytes (a file of the largest size read holds some twenty million).
inline constexpr qsizetype kMostComponents = 1000000;

// The bundle version the file was written by, which decides whether it is converted as an old
// file: 0 when the file names none. A version that is no whole number is damaged: problem (when
// given) says so, and the file is read as current unless it also lacks keys every current design
// holds, so that one damaged value never converts a design.
int versionOfFile(const PWPlist &file, QString *problem = nullptr);

} // namespace CFTADocumentFileCheck
