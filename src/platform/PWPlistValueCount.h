#pragma once

#include <QByteArray>
#include <QString>

#include <limits>
#include <optional>

// What the values under a key of a property list's bytes (XML or binary) hold, counted before any
// tree is built, in time linear in the bytes, as PWPlist::countDictionariesHolding counts the
// keys: so that a file too costly for its use is refused before it is read. Nothing when the
// bytes are no property list of either form.
namespace PWPlistValueCount {

// The dictionaries whose key holds the text value (a class named under its key).
std::optional<qsizetype> dictionariesHolding(const QByteArray &bytes, const QString &key, const QString &value);
// How many bytes the data values held under key hold between them, decoded (the XML form's
// Base64 counted as the bytes it stands for), each counted up to mostEach.
std::optional<qint64> dataBytesUnder(const QByteArray &bytes, const QString &key,
                                     qint64 mostEach = std::numeric_limits<qint64>::max());

} // namespace PWPlistValueCount
