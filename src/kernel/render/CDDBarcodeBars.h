#pragma once

#include <array>
#include <cstdint>

class PWBezierPath;

// Bar geometry and symbol tables of the postal barcodes the drawer draws, after the public
// standards: POSTNET (USPS, two tall and three short bars per digit, modulo-10 check digit), the
// USPS facing identification marks A to D, and RM4SCC (Royal Mail 4-state customer code, four
// bars per character with a row/column check character). Lengths are points; a bar stands on the
// baseline y and grows towards smaller y.

inline constexpr double BARCODE_HIGHT_BIG = 9.0;
inline constexpr double BARCODE_HIGHT_SMALL = 3.6;
inline constexpr double BARCODE_SPACE = 3.2727273;
inline constexpr double BARCODE_WIDTH = 1.44;
inline constexpr double FIM_BARCODE_WIDTH = 2.25;
inline constexpr double FIM_BARCODE_SPACE = 2.25;
inline constexpr double FIM_BARCODE_HEIGHT = 45.0;
inline constexpr double BARCODE_RM4SCC_WIDTH = 1.41;
inline constexpr double BARCODE_RM4SCC_SPACE = 1.41;
inline constexpr double BARCODE_RM4SCC_DESCENDER = 5.33;
inline constexpr double BARCODE_RM4SCC_ASCENDER = 5.33;
inline constexpr double BARCODE_RM4SCC_TRACK = 3.6;
inline constexpr double BARCODE_RM4SCC_HEIGHT = 14.26;
inline constexpr double BARCODE_CPC_WIDTH = 1.41;
inline constexpr double BARCODE_CPC_SPACE = 1.13;
inline constexpr double BARCODE_CPC_DESCENDER = 4.46;
inline constexpr double BARCODE_CPC_ASCENDER = 4.46;
inline constexpr double BARCODE_CPC_TRACK = 1.7;
inline constexpr double BARCODE_CPC_HEIGHT = 10.62;

// RM4SCC bar kinds.
enum RM4SCCBar : char { rmTracker = 0, rmAscender = 1, rmDescender = 2, rmFull = 3 };
// 4-state bar kinds of the prepared bar arrays (numbered differently from RM4SCC's).
enum CPCBar : char { cpcFull = 0, cpcAscender = 1, cpcDescender = 2, cpcTracker = 3 };

// Five bars per digit 0-9, first bar in bit 4, a set bit a tall bar.
extern const std::array<std::uint32_t, 10> POSTNET_digitMap;
// Nine positions per mark A-D, first in bit 8, a set bit a bar.
extern const std::array<std::uint32_t, 4> FIM_patterns;
// Four bar kinds per character 0-9, A-Z (index 0-35), first bar in bits 7-6.
extern const std::array<std::uint32_t, 36> RM4SCC_charMap;
// Row and column (1-6, with 6 stored as 0) of each character in the RM4SCC 6 x 6 table.
extern const std::array<std::int8_t, 36> RM4SCC_checksum_row_index;
extern const std::array<std::int8_t, 36> RM4SCC_checksum_col_index;
// The character index at (row mod 6) * 6 + (column mod 6).
extern const std::array<std::uint32_t, 36> RM4SCC_checksum_table;

// Each adds vertical bar strokes to the path; a null path is left alone.
void addBarToPath(double x, double y, bool tall, PWBezierPath *path);
void addBar_RM4SCC_ToPath(double x, double y, char kind, PWBezierPath *path);
void addBar_CPC_ToPath(double x, double y, char kind, PWBezierPath *path);
// The four bars of character index (0-35) at x and the next three pitches; answers 4.
int addTypeCharacter_RM4SCC_ToPath(double x, double y, int index, PWBezierPath *path);
