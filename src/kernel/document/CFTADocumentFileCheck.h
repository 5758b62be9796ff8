#pragma once

#include "platform/PWPlist.h"

#include <QString>

#include <vector>

// What a design file's dictionary says before it is read.
namespace CFTADocumentFileCheck {

// The most components the lists of a design's front side hold between them. A design of a
// million components reads in seconds; one of more is refused with its count rather than read
// for minutes into gigabytes (a file of the largest size read holds some twenty million).
// Every component counts, the fields of address panels among them.
inline constexpr qsizetype kMostComponents = 1000000;
// The most fields one address panel holds: a panel shows one field per kind of address data,
// and the largest format has a few dozen. Each field is a text of its own, so a panel of
// hundreds of thousands would take gigabytes before it could be shown.
inline constexpr qsizetype kMostPanelFields = 1000;

// Why the bytes of a design file cannot be read, told before they are parsed: more components
// than a design holds. Empty when they may be read (bytes that are no property list among them:
// the parser names those).
QString refusalBeforeReading(const QByteArray &bytes);

// The bundle version the file was written by, which decides whether it is converted as an old
// file: 0 when the file names none. A version that is no whole number is damaged: problem (when
// given) says so, and the file is read as current unless it also lacks keys every current design
// holds, so that one damaged value never converts a design.
int versionOfFile(const PWPlist &file, QString *problem = nullptr);

// A part every design of a current version holds that the file lacks, or holds as another kind of
// value than a dictionary: the reading keeps the prepared design's value in its place and names
// what the file says (otherKind: a value kept as stored, like a refused one).
struct Gap {
    QString key;
    QString what;
    bool otherKind = false;
};
std::vector<Gap> gapsOfCurrentDesign(const PWPlist &file);

} // namespace CFTADocumentFileCheck
