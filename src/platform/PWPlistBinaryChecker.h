#pragma once

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
    // How many dictionary objects of a binary property list hold key, read from the object table
    // without building anything; nothing when the bytes are no binary property list.
    static std::optional<quint64> dictionariesHolding(const QByteArray &bytes, const QString &key);
    // Those whose key holds the text value.
    static std::optional<quint64> dictionariesHolding(const QByteArray &bytes, const QString &key, const QString &value);
    // The bytes of the data values held under key, between them, each counted up to mostEach.
    static std::optional<quint64> dataBytesUnder(const QByteArray &bytes, const QString &key, quint64 mostEach);
};
