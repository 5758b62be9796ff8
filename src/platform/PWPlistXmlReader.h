#pragma once

#include "platform/PWPlist.h"

#include <QByteArray>

#include <optional>

// Reads the XML form straight into values, for the plain shape our own writer produces: the standard
// declaration and document type (or none), one <plist> element, the value elements with no attributes, the five
// predefined entities, decimal numbers, padded base64. Reading a design this way costs a fraction
// of building and converting a parser's tree. Whatever lies outside that shape (comments, CDATA,
// character references, control characters, repeated keys, hexadecimal or zero-led integers, bad
// dates, nesting beyond maxDepth, any malformed markup) answers nothing, and the caller takes the
// general path, which judges it and gives the reason. So every value answered here is the value
// the general path would answer.
class PWPlistXmlReader
{
public:
    static std::optional<PWPlist> read(const QByteArray &bytes, int maxDepth);
};
