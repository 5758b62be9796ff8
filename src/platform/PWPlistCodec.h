#pragma once

#include "PWPlist.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Bytes to PWPlist and back through libplist 2.2. What libplist leaves unchecked is checked here
// first (binary object graphs, XML nesting, input size), and what it gets wrong is done here:
// dates keep their exact seconds and use the proleptic Gregorian calendar in XML, and a
// dictionary holding only "CF$UID" in XML reads as a UID, as the XML form writes UIDs.
class PWPlistCodec
{
public:
    static constexpr qint64 kMaxInputSize = qint64(256) * 1024 * 1024;
    // Whatever depth a caller asks for, trees deeper than this are refused: building, freeing
    // and converting them recurses, and the stack of a worker thread is not unbounded.
    static constexpr int kDepthCeiling = 2048;

    static std::optional<PWPlist> decode(const QByteArray &bytes, QString *error, int maxDepth);
    static QByteArray encodeXml(const PWPlist &value);
    static QByteArray encodeBinary(const PWPlist &value);
};
