#pragma once

#include "platform/PWPlist.h"

#include <QString>

#include <optional>
#include <vector>

// What a design file's dictionary says before it is read.
namespace CFTADocumentFileCheck {

// The most components the lists of a design's front side hold between them, counted in the
// parsed file too: one of more is refused with its count rather than read for minutes into
// gigabytes (a file of the largest size read holds some twenty million). The bytes of a file
// are also weighed by their cost below, which refuses far fewer components of most kinds.
// Every component counts, the fields of address panels among them.
inline constexpr qsizetype kMostComponents = 1000000;
// The most fields one address panel holds: a panel shows one field per kind of address data,
// and the largest format has a few dozen. Each field is a text of its own, so a panel of
// hundreds of thousands would take gigabytes before it could be shown.
inline constexpr qsizetype kMostPanelFields = 1000;

// What reading a design and printing or exporting it costs grows with its components, and a text
// costs far more than a shape (its layout, its stored string and styles). Reading the file's
// bytes tells both counts before any tree is built: every component names its class, and every
// text holds its stored text. The memory a design takes, in bytes, is estimated as so much per
// component and so much more per text (measured on a release build: a design of 200,000 shapes
// took 2.2 GB to export, one of 60,000 short texts 2.9 GB to open). A design whose estimate
// passes kMostMemory is refused at read with its reason: every design read is exported within
// some 2 GB and a minute.
inline constexpr qint64 kMemoryPerComponent = 11 * 1024;
inline constexpr qint64 kMemoryPerText = 40 * 1024;
inline constexpr qint64 kMostMemory = qint64(1600) * 1024 * 1024;

struct Cost {
    qsizetype components = 0;
    qsizetype texts = 0;
    qint64 memory() const { return qint64(components) * kMemoryPerComponent + qint64(texts) * kMemoryPerText; }
};
// The cost of the design the bytes hold, counted in them; nothing when they are no property list.
std::optional<Cost> costOf(const QByteArray &bytes);

// Why the bytes of a design file cannot be read, told before they are parsed: more components
// than a design holds, or a design that would cost more than kMostMemory. Empty when they may be
// read (bytes that are no property list among them: the parser names those).
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
