#pragma once

// What a design's own writing holds of its parts, to tell a key left out that loses one (a
// component or format part without its class, a panel without the format that prints its persons)
// from a key that only takes its default: the first draws less than the file meant, and its reading
// must say so.

#include "platform/PWPlist.h"

#include <QString>

namespace pwtest {

// How many dictionaries below value hold key: the parts of a class ("Class ID"), the formats of
// the address panels ("Address Format").
inline int holdersOf(const PWPlist &value, const QString &key)
{
    int count = 0;
    if (value.isDictionary()) {
        count += value.toDictionary().contains(key) ? 1 : 0;
        for (const PWPlist::Dictionary::Entry &entry : value.toDictionary())
            count += holdersOf(entry.second, key);
    } else if (value.isArray()) {
        for (const PWPlist &entry : value.toArray())
            count += holdersOf(entry, key);
    }
    return count;
}

// Whether the design a reading made (read, as its objects write it) lost a part the whole design's
// reading has: parts the value left out held themselves do not count (a list left out is an empty
// one, which the writers never write).
inline bool lostAPart(const PWPlist &whole, const PWPlist &read, const PWPlist &leftOut)
{
    for (const QString &key : {QStringLiteral("Class ID"), QStringLiteral("Address Format")})
        if (holdersOf(read, key) < holdersOf(whole, key) - holdersOf(leftOut, key))
            return true;
    return false;
}

} // namespace pwtest
