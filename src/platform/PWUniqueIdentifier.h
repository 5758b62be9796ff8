#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>

// Identifiers of persons and of multi-value entries: random (version 4) UUIDs in upper case
// without braces, the form the address book files keep. They only need to be unique, not secret,
// so each thread draws them from its own generator seeded once from the system's random source;
// asking the system per identifier made a large import spend most of its time there.
QString PWNewUniqueIdentifier();

// An identifier of that form as its 128 bits, for holders of many of them: the text of each would
// cost a block of its own.
struct PWUniqueIdentifierBits
{
    std::uint64_t high = 0;
    std::uint64_t low = 0;
};
PWUniqueIdentifierBits PWNewUniqueIdentifierBits();
QString PWUniqueIdentifierText(const PWUniqueIdentifierBits &bits);
// Whether text is exactly the text of bits, without making it.
bool PWUniqueIdentifierMatches(const PWUniqueIdentifierBits &bits, QStringView text);
