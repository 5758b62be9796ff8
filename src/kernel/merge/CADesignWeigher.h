#pragma once

#include "kernel/document/CFTADocumentFileCheck.h"
#include "platform/PWPlist.h"
#include "platform/PWPlistValueCount.h"

#include <cstddef>
#include <optional>
#include <unordered_map>

class CADocument;

// Weighs a design as a save would write it and the reader would weigh the file
// (CADocument::costAsSaved), again and again as the design is edited, at the cost of what changed
// since the last weighing. The design's property list is composed as a save composes it (the
// stored form of each picture is made once, PWImage::Kept), then taken apart: each entry of the
// front side's lists is one part, the rest of the design another. A part equal to one weighed the
// last time keeps its count; only the others are written out as XML and counted. The XML form
// writes every entry of a list on lines of its own at the list's depth, so an entry's count does
// not depend on what stands around it, and the parts' counts add up to the count of the whole
// file exactly.
class CADesignWeigher
{
public:
    // The cost costAsSaved answers for the design as it stands: nothing when it writes no
    // property list.
    std::optional<CFTADocumentFileCheck::Cost> weigh(const CADocument &document);
    // The same for a property list a save would write; every weighing keeps the parts of the
    // list it was given.
    std::optional<CFTADocumentFileCheck::Cost> weigh(const PWPlist &saved);
    // How many parts the last weighing wrote out and counted, and how many it took as counted.
    int partsCounted() const { return m_partsCounted; }
    int partsKept() const { return m_partsKept; }

private:
    struct Weighed
    {
        PWPlist part;
        PWPlistValueCount::Tally tally;
    };
    using Parts = std::unordered_multimap<std::size_t, Weighed>;
    // The count of part as an entry of a list of the front side; nothing when it writes no XML.
    std::optional<PWPlistValueCount::Tally> entryTally(const PWPlist &entry, const Parts &before, Parts &now);
    std::optional<PWPlistValueCount::Tally> restTally(const PWPlist &rest);

    Parts m_entries;
    std::optional<Weighed> m_rest;
    int m_partsCounted = 0;
    int m_partsKept = 0;
};
