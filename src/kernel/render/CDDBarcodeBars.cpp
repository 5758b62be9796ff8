#include "kernel/render/CDDBarcodeBars.h"

#include "platform/PWBezierPath.h"

namespace {

constexpr double kRM4SCCPitch = BARCODE_RM4SCC_WIDTH + BARCODE_RM4SCC_SPACE;

// RM4SCC places the 36 characters in a 6 x 6 table, "0" to "5" in row 1 and "U" to "Z" in row 6.
// Of a character's four bars, the two marked by its row pattern carry an ascender and the two
// marked by its column pattern a descender; patterns 1-6 are these pairs, first bar in bit 3.
constexpr std::array<std::uint32_t, 6> kPairPatterns { 0b0011, 0b0101, 0b0110, 0b1001, 0b1010, 0b1100 };

constexpr std::uint32_t rm4sccCharacter(int index)
{
    const std::uint32_t ascenders = kPairPatterns[index / 6];
    const std::uint32_t descenders = kPairPatterns[index % 6];
    std::uint32_t word = 0;
    for (int bar = 0; bar < 4; ++bar) {
        const bool up = (ascenders >> (3 - bar)) & 1U;
        const bool down = (descenders >> (3 - bar)) & 1U;
        const std::uint32_t kind = up && down ? rmFull : up ? rmAscender : down ? rmDescender : rmTracker;
        word = (word << 2) | kind;
    }
    return word;
}

constexpr std::array<std::uint32_t, 36> makeCharMap()
{
    std::array<std::uint32_t, 36> map {};
    for (int i = 0; i < 36; ++i)
        map[i] = rm4sccCharacter(i);
    return map;
}

constexpr std::array<std::int8_t, 36> makeIndex(bool rows)
{
    std::array<std::int8_t, 36> values {};
    for (int i = 0; i < 36; ++i)
        values[i] = static_cast<std::int8_t>(((rows ? i / 6 : i % 6) + 1) % 6);
    return values;
}

constexpr std::array<std::uint32_t, 36> makeChecksumTable()
{
    // Rows and columns 1-5 sit at remainders 1-5; row and column 6 at remainder 0.
    std::array<std::uint32_t, 36> table {};
    for (int i = 0; i < 36; ++i) {
        const int row = (i / 6 + 1) % 6;
        const int column = (i % 6 + 1) % 6;
        table[row * 6 + column] = static_cast<std::uint32_t>(i);
    }
    return table;
}

void addStroke(PWBezierPath *path, double x, double bottom, double top)
{
    path->path().moveTo(x, bottom);
    path->path().lineTo(x, top);
}

} // namespace

const std::array<std::uint32_t, 10> POSTNET_digitMap { 0b11000, 0b00011, 0b00101, 0b00110, 0b01001,
                                                        0b01010, 0b01100, 0b10001, 0b10010, 0b10100 };

const std::array<std::uint32_t, 4> FIM_patterns { 0b110010011, 0b101101101, 0b110101011, 0b111010111 };

const std::array<std::uint32_t, 36> RM4SCC_charMap = makeCharMap();
const std::array<std::int8_t, 36> RM4SCC_checksum_row_index = makeIndex(true);
const std::array<std::int8_t, 36> RM4SCC_checksum_col_index = makeIndex(false);
const std::array<std::uint32_t, 36> RM4SCC_checksum_table = makeChecksumTable();

void addBarToPath(double x, double y, bool tall, PWBezierPath *path)
{
    if (path)
        addStroke(path, x, y, y - (tall ? BARCODE_HIGHT_BIG : BARCODE_HIGHT_SMALL));
}

void addBar_RM4SCC_ToPath(double x, double y, char kind, PWBezierPath *path)
{
    if (!path)
        return;
    const double low = BARCODE_RM4SCC_DESCENDER;
    const double high = BARCODE_RM4SCC_DESCENDER + BARCODE_RM4SCC_TRACK;
    switch (kind) {
    case rmTracker:
        addStroke(path, x, y - low, y - high);
        break;
    case rmAscender:
        addStroke(path, x, y - low, y - BARCODE_RM4SCC_HEIGHT);
        break;
    case rmDescender:
        addStroke(path, x, y, y - high);
        break;
    case rmFull:
        addStroke(path, x, y, y - BARCODE_RM4SCC_HEIGHT);
        break;
    default:
        break;
    }
}

void addBar_CPC_ToPath(double x, double y, char kind, PWBezierPath *path)
{
    if (!path)
        return;
    const double low = BARCODE_CPC_DESCENDER;
    const double high = BARCODE_CPC_DESCENDER + BARCODE_CPC_TRACK;
    switch (kind) {
    case cpcFull:
        addStroke(path, x, y, y - BARCODE_CPC_HEIGHT);
        break;
    case cpcAscender:
        addStroke(path, x, y - low, y - BARCODE_CPC_HEIGHT);
        break;
    case cpcDescender:
        addStroke(path, x, y, y - high);
        break;
    case cpcTracker:
        addStroke(path, x, y - low, y - high);
        break;
    default:
        break;
    }
}

int addTypeCharacter_RM4SCC_ToPath(double x, double y, int index, PWBezierPath *path)
{
    if (index < 0 || index >= static_cast<int>(RM4SCC_charMap.size()))
        return 4;
    const std::uint32_t word = RM4SCC_charMap[index];
    for (int bar = 0; bar < 4; ++bar) {
        const char kind = static_cast<char>((word >> (6 - 2 * bar)) & 3U);
        addBar_RM4SCC_ToPath(x + bar * kRM4SCCPitch, y, kind, path);
    }
    return 4;
}
