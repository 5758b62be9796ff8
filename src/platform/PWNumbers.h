#pragma once

#include <QByteArrayView>

#include <limits>

// The integer at the start of a text, as the original platform's intValue read it: leading white
// space, an optional sign, then digits; saturated at the type's range; 0 without digits. Stored
// numbers and version strings are read this way, whatever follows the digits.
template <typename Integer>
Integer PWLeadingInteger(QByteArrayView text)
{
    const auto isSpace = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    };
    const char *p = text.data();
    const char *const end = p + text.size();
    while (p < end && isSpace(*p))
        ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-'))
        negative = *p++ == '-';
    constexpr Integer low = std::numeric_limits<Integer>::min();
    constexpr Integer high = std::numeric_limits<Integer>::max();
    Integer value = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p) {
        const int digit = *p - '0';
        if (negative)
            value = value < (low + digit) / 10 ? low : Integer(value * 10 - digit);
        else
            value = value > (high - digit) / 10 ? high : Integer(value * 10 + digit);
    }
    return value;
}
