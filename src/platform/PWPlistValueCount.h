#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <limits>
#include <optional>

class PWPlist;

// What a property list's bytes (XML or binary) hold, counted before any tree is built, in one pass
// linear in the bytes, so that a file too costly for its use is refused before it is read. Keys
// and texts are compared as a reader decodes them (the XML form's CDATA sections, character and
// entity references), and the binary form's shared objects count at every use, as the tree built
// from it holds a copy at each: the counts are those of the tree the bytes decode to. Nothing when
// the bytes are no property list of either form, or a binary one whose references leave its table
// or run in a cycle (the decoder names those).
namespace PWPlistValueCount {

// What to count: dictionaries naming a class under classKey (and of them those naming classValue),
// and dictionaries holding any of dataKeys, with the bytes of the data under those keys.
struct Query {
    QString classKey;
    QString classValue;
    QStringList dataKeys;
    // Each data value counts up to this many bytes in dataBytesEachUpTo.
    qint64 mostEach = std::numeric_limits<qint64>::max();
};

// Every count saturates at the largest qint64.
struct Tally {
    // The values the decode makes, dictionary keys among them, and the bytes of their texts and
    // data (an upper bound for the XML form: the characters as written).
    qint64 values = 0;
    qint64 valueBytes = 0;
    qint64 holdingClass = 0;
    qint64 holdingClassValue = 0;
    // A dictionary holding several of dataKeys counts once here, its data under each of them.
    qint64 holdingData = 0;
    qint64 dataBytes = 0;
    qint64 dataBytesEachUpTo = 0;
    bool operator==(const Tally &other) const = default;
};

std::optional<Tally> tally(const QByteArray &bytes, const Query &query);
// The same counts for the XML form value.toXml() writes, taken without writing the text of its
// data values of many bytes (a picture's megabytes): each is counted as its element would be.
// Nothing when value writes no XML.
std::optional<Tally> tallyOfXmlForm(const PWPlist &value, const Query &query);

// The dictionaries whose key holds the text value (a class named under its key).
std::optional<qsizetype> dictionariesHolding(const QByteArray &bytes, const QString &key, const QString &value);
// How many bytes the data values held under key hold between them, decoded (the XML form's
// Base64 counted as the bytes it stands for), each counted up to mostEach.
std::optional<qint64> dataBytesUnder(const QByteArray &bytes, const QString &key,
                                     qint64 mostEach = std::numeric_limits<qint64>::max());

// a + b and a * b for counts that never pass the largest qint64.
qint64 saturatedSum(qint64 a, qint64 b);
qint64 saturatedProduct(qint64 a, qint64 b);

} // namespace PWPlistValueCount
