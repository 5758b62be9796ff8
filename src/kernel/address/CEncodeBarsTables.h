#pragma once

#include <array>

// Character tables of the four-state code. Every table maps a 7-bit character to its value; characters
// outside a table map to kInvalid. The tables are spelt out from the code's published alphabets.
namespace FourStateTables {

constexpr int kInvalid = 128;
using Table = std::array<int, 128>;

constexpr Table makeZTable()
{
    Table t{};
    t.fill(kInvalid);
    constexpr int letters[26] = {0,  1,  2,  4,  5,  6,  8,  9,  10, 16, 17, 18, 20,
                                 21, 22, 24, 25, 26, 32, 33, 34, 36, 37, 38, 40, 41};
    constexpr int digits[10] = {42, 48, 49, 50, 52, 53, 54, 56, 57, 58};
    for (int i = 0; i < 26; ++i)
        t['A' + i] = letters[i];
    for (int i = 0; i < 10; ++i)
        t['0' + i] = digits[i];
    t[' '] = 3;
    t['#'] = 7;
    return t;
}

constexpr Table makeCTable()
{
    Table t = makeZTable();
    constexpr int lower[26] = {11, 12, 13, 14, 15, 19, 23, 27, 28, 29, 30, 31, 35,
                               39, 43, 44, 45, 46, 47, 51, 55, 59, 60, 61, 62, 63};
    for (int i = 0; i < 26; ++i)
        t['a' + i] = lower[i];
    return t;
}

constexpr Table makeDTable()
{
    Table t{};
    t.fill(kInvalid);
    constexpr int digits[10] = {0, 1, 2, 4, 5, 6, 8, 9, 10, 12};
    for (int i = 0; i < 10; ++i)
        t['0' + i] = digits[i];
    t[' '] = 3;
    return t;
}

constexpr Table makeBase38()
{
    Table t{};
    t.fill(kInvalid);
    for (int i = 0; i < 10; ++i)
        t['0' + i] = i;
    t[' '] = 10;
    t['#'] = 11;
    for (int i = 0; i < 26; ++i) {
        t['A' + i] = 12 + i;
        t['a' + i] = 12 + i;
    }
    return t;
}

inline constexpr Table Z_Table = makeZTable();
inline constexpr Table C_Table = makeCTable();
inline constexpr Table D_Table = makeDTable();
inline constexpr Table Base38 = makeBase38();

// The value of `c` in `table`, kInvalid for characters outside it (bytes above 127 included).
constexpr int lookup(const Table &table, char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u < 128 ? table[u] : kInvalid;
}

constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }
constexpr bool isLower(char c) { return c >= 'a' && c <= 'z'; }
constexpr bool isLetter(char c) { return isUpper(c) || isLower(c); }
constexpr char toUpper(char c) { return isLower(c) ? static_cast<char>(c - 'a' + 'A') : c; }

// Digits 0 to 9, letters of either case 10 to 35, blank 36, anything else 63.
constexpr int charXlate(char c)
{
    if (isDigit(c))
        return c - '0';
    if (isLetter(c))
        return toUpper(c) - 'A' + 10;
    return c == ' ' ? 36 : 63;
}

} // namespace FourStateTables
