#pragma once

#include "platform/PWMultiValue.h"
#include "platform/PWPlist.h"

#include <QArrayData>
#include <QList>
#include <QString>
#include <QVarLengthArray>

#include <utility>

// How a person keeps its values: packed into one block of 16-bit units, allocated as texts are,
// so that the texts it answers share the block instead of each being a block of its own.
//
// The block: its length (two units), the number of properties (one), for each property its key
// and the unit where its value starts (two units each), then the values. A value starts with a
// tag unit: the kind in its low three bits and a number in the others (a length, a count, an
// index); a number too large for them is written as kLarge followed by two units. The kinds:
//   Text        the characters follow, then a zero unit, so that a text answered from the block
//               ends as every text does;
//   Known       a text of the table of known texts (the keys of addresses, the labels), by its
//               index: each is held once for the whole process;
//   NullText    a null text;
//   Dictionary  that many pairs of a key (a text) and a value follow;
//   Boxed       a value held whole beside the block, by its index in the boxed list;
//   Multi       a multi-value of that many entries: the primary entry's identifier (four
//               units), then for each entry its identifier (four units), its label and value;
//   Null        a null value.
namespace PWPersonPacking {

using Block = QTypedArrayData<char16_t>;
using Units = QVarLengthArray<char16_t, 512>;

enum Kind : char16_t { Text, Known, NullText, Dictionary, Boxed, Multi, Null };

constexpr qsizetype kHeaderUnits = 3;
constexpr qsizetype kIndexUnits = 4;

inline quint32 read32(const char16_t *at)
{
    return quint32(at[0]) | quint32(at[1]) << 16;
}

inline char16_t *unitsOf(Block *block)
{
    return Block::dataStart(block, alignof(Block::AlignmentDummy));
}

// One property's packed value, to be copied into a block.
struct Packed
{
    quint32 key;
    const char16_t *units;
    qsizetype size;
};
using PackedValues = QVarLengthArray<Packed, 32>;

// A block of the packed values, ascending by key; null for none. Throws std::bad_alloc when it
// cannot be had.
Block *makeBlock(const PackedValues &values);

} // namespace PWPersonPacking

// Packs values into units; values that are neither texts nor dictionaries go to boxed.
class PWPersonPacker
{
public:
    PWPersonPacker(PWPersonPacking::Units &units, QList<PWPlist> &boxed);

    void value(const PWPlist &value);
    void multi(const PWMultiValue &multi);

private:
    void tag(PWPersonPacking::Kind kind, quint32 number);
    void put32(quint32 number);
    void put64(quint64 number);
    void text(const QString &text, bool known);

    PWPersonPacking::Units &m_units;
    QList<PWPlist> &m_boxed;
};

// Reads values back from a block, from a value's first unit on. Texts share the block: each
// holds a reference to it.
class PWPersonUnpacker
{
public:
    PWPersonUnpacker(PWPersonPacking::Block *block, const char16_t *at, const QList<PWPlist> *boxed);

    PWPlist value();
    PWMultiValue multi();
    // The text of a text value, without making the value.
    QString string();

private:
    std::pair<PWPersonPacking::Kind, quint32> tag();
    QString text(PWPersonPacking::Kind kind, quint32 number);

    PWPersonPacking::Block *m_block;
    const char16_t *m_at;
    const QList<PWPlist> *m_boxed;
};
