#pragma once

#include "platform/PWPlist.h"
#include "platform/PWPlistValueCount.h"

#include <QString>

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <utility>
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

// What reading a design, printing or exporting it and saving it cost grows with its components,
// and a text costs far more than a shape (its layout, its stored string and styles, and the copy
// an item printed for a person fills), an address panel more again (its format and its fields,
// filled and laid out for each person), and every byte of a text's stored string past those of a
// short one costs its reading and layout. Reading the file's bytes tells these before any tree is
// built: every component names its class, every text holds its stored text. The memory and time
// a design takes are estimated from them; the weights were measured on an optimized build
// (bench/large_design.cpp) as the most of its export, its print for one person, and its reading
// and saving. A design whose estimate passes kMostMemory or kMostSeconds is refused at read with
// its reason, so that every design read is exported or printed, and saved, within 2 GB and a
// minute.
inline constexpr qint64 kMemoryPerComponent = 24 * 1024;
inline constexpr qint64 kMemoryPerText = 120 * 1024;
inline constexpr qint64 kMemoryPerPanel = 2400 * 1024;
inline constexpr qint64 kMemoryPerTextByte = 128;
inline constexpr qint64 kMostMemory = qint64(1800) * 1024 * 1024;
inline constexpr qint64 kMicrosecondsPerComponent = 550;
inline constexpr qint64 kMicrosecondsPerText = 900;
inline constexpr qint64 kMicrosecondsPerPanel = 12500;
inline constexpr qint64 kNanosecondsPerTextByte = 23000;
inline constexpr qint64 kMostSeconds = 45;
// The stored form of a text of a few letters takes some 400 bytes of archive whatever it says:
// only the bytes a text stores past this many are weighed as its string.
inline constexpr qint64 kBytesOfAShortText = 512;
// A text is laid out as far as its frame shows, never to the end of a string of many pages: the
// time of a text is weighed for this many of its stored bytes at most (its memory for them all).
inline constexpr qint64 kMostBytesLaidOut = 16 * 1024;

// What decoding the property list itself takes before any component is made: per value (a
// dictionary's key among them) its node in the parser's tree and its copy in ours, per byte of
// text or data the parser's copy and ours in UTF-16. A file that decodes to far more than its
// components (a list of scalars, one long text shared a thousand times) is refused by it.
inline constexpr qint64 kMemoryPerValue = 256;
inline constexpr qint64 kMemoryPerValueByte = 3;

// What a design may take: the reader refuses a file past its bounds, and the window takes back a
// command that carries its design past its own, which lie below the reader's. The window weighs
// the bytes a save would write as the reader weighs a file, so every design it keeps is saved and
// opened again with room to spare.
struct Bounds {
    qint64 memory;
    qint64 seconds;
};
inline constexpr Bounds kReaderBounds {kMostMemory, kMostSeconds};
inline constexpr Bounds kWindowBounds {qint64(1600) * 1024 * 1024, 40};

// The sum of each count times its weight, saturating.
inline qint64 weighed(std::initializer_list<std::pair<qint64, qint64>> terms)
{
    qint64 total = 0;
    for (const auto &[count, weight] : terms)
        total = PWPlistValueCount::saturatedSum(total, PWPlistValueCount::saturatedProduct(count, weight));
    return total;
}

struct Cost {
    qsizetype components = 0;
    qsizetype texts = 0;
    qsizetype panels = 0;
    // The bytes of the texts' stored strings and styles, as stored; and as laid out, each text's
    // up to kMostBytesLaidOut.
    qint64 textBytes = 0;
    qint64 textBytesLaidOut = 0;
    // The values and the bytes of texts and data the property list decodes to.
    qint64 values = 0;
    qint64 valueBytes = 0;
    // Counts shared in a file can be of any size: every sum and product saturates.
    qint64 decodeMemory() const { return weighed({{values, kMemoryPerValue}, {valueBytes, kMemoryPerValueByte}}); }
    qint64 longTextBytes() const { return std::max<qint64>(0, textBytes - weighed({{texts, kBytesOfAShortText}})); }
    qint64 longTextBytesLaidOut() const
    {
        return std::max<qint64>(0, textBytesLaidOut - weighed({{texts, kBytesOfAShortText}}));
    }
    qint64 memory() const
    {
        return weighed({{components, kMemoryPerComponent},
                        {texts, kMemoryPerText},
                        {panels, kMemoryPerPanel},
                        {longTextBytes(), kMemoryPerTextByte}});
    }
    qint64 microseconds() const
    {
        const qint64 laidOut = PWPlistValueCount::saturatedProduct(longTextBytesLaidOut(), kNanosecondsPerTextByte) / 1000;
        return PWPlistValueCount::saturatedSum(weighed({{components, kMicrosecondsPerComponent},
                                                        {texts, kMicrosecondsPerText},
                                                        {panels, kMicrosecondsPerPanel}}),
                                               laidOut);
    }
    bool withinBounds(const Bounds &bounds = kReaderBounds) const
    {
        return memory() <= bounds.memory && microseconds() <= bounds.seconds * 1000000;
    }
    bool operator==(const Cost &other) const = default;
};

// The cost of the design the bytes hold, counted in them; nothing when they are no property list.
std::optional<Cost> costOf(const QByteArray &bytes);
// What costOf counts in the bytes, and the cost those counts give: counts taken part by part
// (PWPlistValueCount::tallyOfXmlForm) add up to the cost of the whole.
PWPlistValueCount::Query costQuery();
Cost costOfTally(const PWPlistValueCount::Tally &tally);

// Whether a step that made before into after takes a design past what the window keeps: it ends past
// the bounds, and either began within them or added to a measure that passes them. A design read
// past them (a file between the window's bounds and the reader's) may still be edited and made
// smaller.
bool stepPastBounds(const Cost &before, const Cost &after, const Bounds &bounds);

// Why the bytes of a design file cannot be read, told before they are parsed: more components
// than a design holds, or a design that would cost more than kMostMemory or kMostSeconds. Empty when they may be
// read (bytes that are no property list among them: the parser names those).
QString refusalBeforeReading(const QByteArray &bytes);
// The same, told from the cost counted in them, against bounds.
QString refusalOfCost(const Cost &cost, const Bounds &bounds = kReaderBounds);

// The bundle version the file was written by, which decides whether it is converted as an old
// file: 0 when the file names none. A version that is no whole number is damaged: problem (when
// given) says so, and the file is read as current when it holds every key a current design
// writes, so that one damaged value never converts a design.
int versionOfFile(const PWPlist &file, QString *problem = nullptr);

// A part of a current design's top level that the file holds as another kind of value than the
// dictionary it is: the reading keeps the prepared design's value in its place, names what the
// file says and keeps the value for the next save. A part the file leaves out is no damage (older
// writers and other programs leave keys out): it keeps the prepared design's value without a word.
struct Gap {
    QString key;
    QString what;
};
std::vector<Gap> partsOfAnotherKind(const PWPlist &file);

} // namespace CFTADocumentFileCheck
