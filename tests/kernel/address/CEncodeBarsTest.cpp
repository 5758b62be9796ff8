#include "kernel/address/CEncodeBars.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// GF(64) multiplication by shift and reduce with 1 + x + x^6, independent of the encoder's tables.
unsigned int gfMul(unsigned int a, unsigned int b)
{
    unsigned int r = 0;
    while (b) {
        if (b & 1)
            r ^= a;
        b >>= 1;
        a <<= 1;
        if (a & 0x40)
            a ^= 0x43;
    }
    return r;
}

// The code word as a polynomial, symbol 0 the highest power, evaluated at x.
unsigned int evaluate(const std::vector<unsigned char> &word, unsigned int x)
{
    unsigned int acc = 0;
    for (const unsigned char s : word)
        acc = gfMul(acc, x) ^ s;
    return acc;
}

struct Encoded
{
    long result = 0;
    std::vector<unsigned char> bars;
    std::vector<unsigned char> symbols; // read back from the bars, three per symbol
};

Encoded encode(const std::string &data, unsigned int n = 16, unsigned int k = 12)
{
    CEncodeBars encoder;
    Encoded out;
    EXPECT_EQ(encoder.InitEncoder(n, k, 6), 1);
    out.result = encoder.Encode4State(reinterpret_cast<const unsigned char *>(data.c_str()));
    out.bars.assign(std::max<short>(encoder.GetNumber4StateBars(), 1), 0xff);
    encoder.Get4StateBars(out.bars.data());
    if (out.result == 1) {
        for (unsigned int i = 0; i < n; ++i)
            out.symbols.push_back(static_cast<unsigned char>(out.bars[2 + 3 * i] << 4 | out.bars[3 + 3 * i] << 2 |
                                                             out.bars[4 + 3 * i]));
    }
    return out;
}

void expectCodeWord(const std::vector<unsigned char> &word, unsigned int parity)
{
    unsigned int alpha = 1;
    for (unsigned int j = 1; j <= parity; ++j) {
        alpha = gfMul(alpha, 2);
        EXPECT_EQ(evaluate(word, alpha), 0u) << "at alpha^" << j;
    }
}

TEST(CEncodeBarsParity, MatchesKnownCodeWords)
{
    // Data symbols, parity symbols.
    const std::pair<std::vector<unsigned char>, std::vector<unsigned char>> cases[] = {
        {std::vector<unsigned char>(12, 0), {0, 0, 0, 0}},
        {{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {24, 16, 42, 57}},
        {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, {30, 29, 17, 48}},
        {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, {18, 16, 1, 56}}};
    CEncodeBars encoder;
    ASSERT_EQ(encoder.InitEncoder(16, 12, 6), 1);
    for (const auto &[data, expected] : cases) {
        std::vector<unsigned char> word = data;
        const std::vector<unsigned char> parity = encoder.EncodeData(data);
        EXPECT_EQ(parity, expected);
        word.insert(word.end(), parity.begin(), parity.end());
        expectCodeWord(word, 4);
    }
}

TEST(CEncodeBarsInit, SizesOutsideTheCodeAreRejected)
{
    CEncodeBars encoder;
    EXPECT_EQ(encoder.Encode4State(reinterpret_cast<const unsigned char *>("1,K1A0B1,1230,     ")),
              CEncodeBars::kErrNotInitialised);
    EXPECT_EQ(encoder.InitEncoder(16, 16, 6), CEncodeBars::kErrDataLength);
    EXPECT_EQ(encoder.InitEncoder(16, 12, 9), CEncodeBars::kErrSymbolBits);
    EXPECT_EQ(encoder.InitEncoder(16, 12, 0), CEncodeBars::kErrSymbolBits);
    EXPECT_EQ(encoder.InitEncoder(257, 12, 6), CEncodeBars::kErrCodeLength);
    EXPECT_EQ(encoder.InitEncoder(256, 241, 8), CEncodeBars::kErrDataLength);
    EXPECT_EQ(encoder.Encode4State(static_cast<const unsigned char *>(nullptr)), CEncodeBars::kErrNotInitialised);
    // A released encoder has no field left and must not encode with it.
    ASSERT_EQ(encoder.InitEncoder(16, 12, 6), 1);
    encoder.FinalRelease();
    EXPECT_EQ(encoder.Encode4State(std::string_view("1,K1A0B1,1230,     ")), CEncodeBars::kErrNotInitialised);
}

TEST(CEncodeBarsBars, ValidDCI1StringGivesFiftyTwoBars)
{
    const Encoded e = encode("1,K1A 0B1,1230,     ");
    ASSERT_EQ(e.result, 1);
    ASSERT_EQ(e.bars.size(), 52u);
    // Start and stop pairs, and the DCI 1 in the first symbol.
    EXPECT_EQ(
        (std::vector<unsigned char> {e.bars[0], e.bars[1], e.bars[2], e.bars[3], e.bars[4], e.bars[50], e.bars[51]}),
        (std::vector<unsigned char> {1, 3, 0, 0, 1, 1, 3}));
    // K1 A0 B1: the letter-digit pairs 91, 0 and 11 ("J" is skipped, so K counts 9) in base 64.
    const std::uint32_t postal = 91u * 65536 + 0u * 256 + 11u;
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(e.symbols[static_cast<std::size_t>(4 - i)], (postal >> (6 * i)) & 63) << i;
    // Locator "1230" + five blanks: digits weigh 1, 11, 121, then the suffix and second part radix 38.
    std::uint64_t locator = 1 + 11 * 2 + 121 * 3;
    std::uint64_t weight = 1331;
    for (const std::uint64_t v : {26, 36, 36, 36, 36, 36}) {
        locator += weight * v;
        weight *= 38;
    }
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(e.symbols[static_cast<std::size_t>(11 - i)], (locator >> (6 * i)) & 63) << i;
}

TEST(CEncodeBarsBars, FailureKeepsThePreviousBars)
{
    CEncodeBars encoder;
    ASSERT_EQ(encoder.InitEncoder(16, 12, 6), 1);
    unsigned char none = 9;
    encoder.Get4StateBars(&none);
    EXPECT_EQ(none, 0);
    ASSERT_EQ(encoder.Encode4State(std::string_view("1,K1A0B1,1230,     ")), 1);
    EXPECT_EQ(encoder.Encode4State(std::string_view("1,K1A0B1")), CEncodeBars::kErrDCI1Fields);
    short count = 0;
    EXPECT_EQ(encoder.get_Number4StateBars(&count), 1);
    EXPECT_EQ(count, 52);
    EXPECT_EQ(encoder.error(), CEncodeBars::kErrDCI1Fields);
}

TEST(CEncodeBarsBars, DCI41SpellsItsNumberAfterTheSymbols)
{
    const Encoded e = encode("41,K1A0B1,a,201");
    ASSERT_EQ(e.result, 1);
    ASSERT_EQ(e.bars.size(), 56u);
    // 201 = 0b11001001, two bits a bar, just before the stop pair.
    EXPECT_EQ((std::vector<unsigned char>(e.bars.begin() + 50, e.bars.end())),
              (std::vector<unsigned char>{3, 0, 2, 1, 1, 3}));
    EXPECT_EQ(e.symbols[5], 11); // "a" in the mixed-case table
}

TEST(CEncodeBarsBars, LongerLayoutsNeedALongerCodeWordAndKeepEveryBit)
{
    // The product type and customer number run to symbol 21: a 16/12 code cannot hold them.
    const std::string dci2 = "2,K1A0B1,1230,     ,1023,999999999999999";
    EXPECT_EQ(encode(dci2).result, CEncodeBars::kErrLayoutTooLong);
    const Encoded e = encode(dci2, 26, 22);
    ASSERT_EQ(e.result, 1);
    EXPECT_EQ(e.bars.size(), 26u * 3 + 4);
    EXPECT_EQ(e.symbols[12], 1023 / 16);
    const std::uint64_t customer = 999999999999999ULL;
    EXPECT_EQ(e.symbols[13], (1023 % 16) * 4 + ((customer >> 48) & 3));
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(e.symbols[static_cast<std::size_t>(21 - i)], (customer >> (6 * i)) & 63) << i;
    EXPECT_EQ(encode("53,CA,K1A0B1,12,1").result, CEncodeBars::kErrLayoutTooLong);
    // Eighteen nines need 60 bits; with the reserved field and the variant the number has 70.
    const Encoded wide = encode("40,8,999999999999999999", 26, 22);
    ASSERT_EQ(wide.result, 1);
    unsigned __int128 value = 0;
    for (std::size_t i = 1; i <= 12; ++i)
        value = value * 64 + wide.symbols[i];
    EXPECT_TRUE(value == static_cast<unsigned __int128>(999999999999999999ULL) * 16 * 64 + 8);
    EXPECT_EQ(encode("40,8,999999999999999999").result, CEncodeBars::kErrLayoutTooLong);
    // Variant 1 fits the 16/12 code whatever its digits.
    EXPECT_EQ(encode("40,1,X9Z9Z9,63,9999999999").result, 1);
}

TEST(CEncodeBarsBars, SymbolWidthDecidesWhatFits)
{
    CEncodeBars encoder;
    ASSERT_EQ(encoder.InitEncoder(16, 12, 4), 1);
    EXPECT_EQ(encoder.Encode4State(std::string_view("1,K1A0B1,1230,     ")), CEncodeBars::kErrSymbolValue);
    // Eight-bit parity symbols would lose their top bits in three bars: they take four.
    ASSERT_EQ(encoder.InitEncoder(16, 12, 8), 1);
    ASSERT_EQ(encoder.Encode4State(std::string_view("1,K1A0B1,1230,     ")), 1);
    EXPECT_EQ(encoder.GetNumber4StateBars(), 16 * 4 + 4);
}

TEST(CEncodeBarsErrors, AnswersTheCode)
{
    using enum CEncodeBars::ErrorCode;
    // Data string, answer.
    const std::pair<std::string, long> cases[] = {
        {"1,K1A 0B1", kErrDCI1Fields}, {"1,K1A 0B1,    ,R   5", 1}, {"1,K1A 0B1,    ,B  77", kErrAddressLocator},
        {"1,k1a-0b1,1230,     ", 1}, {"1,1KA 0B1,1230,     ", kErrPostalCode},
        {"1,K1A 0B1" + std::string(30, ' ') + ",1230,     ", kErrFieldLength},
        {"1,K1A0B1,1235,   12", kErrAddressLocator}, {"1,K1A0B1,    ,Rab", kErrAddressLocator},
        {"1,a,b,c,d,e,f,g,h,i,j", kErrFieldCount}, {"", kErrDCI}, {"64,K1A0B1", kErrDCI}, {"3,K1A0B1", kErrNoLayout},
        {"2,K1A0B1,1230,     ", kErrDCI2Fields}, {"2,K1A0B1,1230,     ,1024,1", kErrProductType5},
        {"2,K1A0B1,1230,     ,12,1234567890123456", kErrNumeric}, {"39,A", kErrDCI39Fields}, {"39,!,1", kErrDCI39Type},
        {"39,A,12X", kErrCharacter}, {"39,5,ABCDEFGHIJKLMNOPQRSTU", kErrDCI39Length}, {"39,3,K1A0B1 hello", 1},
        {"39,3,1KA0B1", kErrPostalCode}, {"40,1", kErrDCI40Fields}, {"40,17,1", kErrDCI40Variant},
        {"40,1,X1A0B1,12", kErrDCI40VariantFields}, {"40,1,K1A0B1,12,1234567890", kErrPostalCode},
        {"40,1,X1A0B1,64,1", kErrProductType}, {"40,1,X1A0B1,12,12345678901", kErrCustomerInformation},
        {"40,5,K1A0B!,1", kErrPOCI}, {"40,5,K1A0B1,128", kErrDCI40Number}, {"40,5,K1A0B1ab,127", 1},
        {"40,11,ABCDEFGHIJKL", kErrDCI40Base38Length}, {"40,14,ABCDEFGHIJK", kErrDCI40TextLength}, {"40,15,abc#XYZ", 1},
        {"41,K1A0B1,a", kErrDCI41Fields}, {"41,K1A0B1,ab,1", kErrDCI41Letter}, {"42,K1A0B1,a,1", kErrDCI41Letter},
        {"42,K1A0B1,W,256", kErrDCI41Number}, {"53,US,12345,1", kErrDCI53Fields}, {"54,US", kErrDCI54Fields},
        {"54,U$,12345", kErrCountryCode}, {"54,US,1234A", kErrForeignPostalCode}, {"54,us,12345 6789", 1},
        {"54,GB,sw1a1aa", 1}, {"54,GB,SW1A1AAXYZ", kErrForeignPostalCode}};
    for (const auto &[data, code] : cases)
        EXPECT_EQ(encode(data, 26, 22).result, code) << data;
}

TEST(CEncodeBarsAddress, BuildsTheDataString)
{
    // Street, data string.
    const std::pair<const char *, const char *> cases[] = {
        {"123 Main Street", "1,K1A 0B1,1230,     "}, {"12 Main St 4", "1,K1A 0B1, 120,    4"},
        {"RR 5", "1,K1A 0B1,    ,R   5"}, {"PO BOX 77", "1,K1A 0B1,    ,B  77"}, {"PO BOX", "1,K1A 0B1"},
        {"Main", "1,K1A 0B1"}, {"  123   Main  ", "1,K1A 0B1,1230,     "},
        // Cutting these would encode another address: they are left out instead.
        {"1234 Main Street", "1,K1A 0B1"}, {"BOX 12345", "1,K1A 0B1"}};
    for (const auto &[street, expected] : cases)
        EXPECT_EQ(recognizeAddressInfo(1, "K1A 0B1", street), expected) << street;
}

TEST(CEncodeBarsAddress, LongPostalCodeFailsCleanly)
{
    const std::string postal(1000, 'K');
    const std::string data = recognizeAddressInfo(1, postal, "123 Main Street");
    EXPECT_EQ(data.size(), 2 + postal.size() + 11);
    EXPECT_EQ(encode(data).result, CEncodeBars::kErrFieldLength);
}

} // namespace
