#pragma once

#include "platform/PWPlistValueCount.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Walks the object graph of a binary property list ("bplist00": trailer, offset table, objects
// with their markers, as the format is publicly described) before any parser builds a tree from
// it. It answers why the bytes are unsafe or malformed: offsets or lengths outside the file,
// references to missing objects, dictionary keys that are no strings, reference cycles, nesting
// deeper than the limit, or shared references that would expand into an enormous tree.
// Iterative and bounded by the size of the input.
class PWPlistBinaryChecker
{
public:
    // An empty string when the bytes are a well-formed binary property list whose containers
    // nest at most maxDepth deep, else the reason.
    static QString check(const QByteArray &bytes, int maxDepth);
    // What the tree the bytes decode to holds (PWPlistValueCount), counted over the object graph
    // without building anything: a shared object at every use, in time linear in the references.
    // Nothing when the bytes are no binary property list or hold damage that check names.
    static std::optional<PWPlistValueCount::Tally> tally(const QByteArray &bytes, const PWPlistValueCount::Query &query);
};
