#include "kernel/address/CEncodeBars.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
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
    // Every layout of symbols past the twelfth: the customer fields, either kind of DCI 39 text.
    for (const char *data : {"53,CA,K1A0B1,12,1", "39,A,123", "39,3,K1A0B1 HELLO"})
        EXPECT_EQ(encode(data).result, CEncodeBars::kErrLayoutTooLong) << data;
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

// One row per reason the encoder refuses a data string, beside the strings of the same layout it
// takes; all on a 26/22 code, which holds every layout.
TEST(CEncodeBarsErrors, AnswersTheCode)
{
    using enum CEncodeBars::ErrorCode;
    // Name, data string, answer.
    const std::tuple<const char *, std::string, long> cases[] = {
        {"StreetOfOneWord", "1,K1A 0B1", kErrDCI1Fields},
        {"RuralRoute", "1,K1A 0B1,    ,R   5", 1},
        {"PostOfficeBox", "1,K1A 0B1,    ,B  77", kErrAddressLocator},
        {"HyphenedPostalCode", "1,k1a-0b1,1230,     ", 1},
        {"PostalCodeFromDigit", "1,1KA 0B1,1230,     ", kErrPostalCode},
        {"PostalCodeTooLong", "1,K1A 0B1 C2D,1230,     ", kErrPostalCode},
        {"FieldOver30", "1,K1A 0B1" + std::string(30, ' ') + ",1230,     ", kErrFieldLength},
        {"SuffixFiveBeforeSecond", "1,K1A0B1,1235,   12", kErrAddressLocator},
        {"SuffixZeroBeforeSecond", "1,K1A0B1,1230,   12", 1},
        {"CivicLetterInsideNumber", "1,K1A0B1,1A30,     ", kErrAddressLocator},
        {"CivicTooLong", "1,K1A0B1,12300,     ", kErrAddressLocator},
        {"RuralLowerCase", "1,K1A0B1,    ,Rab", kErrAddressLocator},
        {"ElevenFields", "1,a,b,c,d,e,f,g,h,i,j", kErrFieldCount},
        {"EmptyString", "", kErrDCI},
        {"DciOver63", "64,K1A0B1", kErrDCI},
        {"DciThreeDigits", "001,K1A0B1,1230,     ", kErrDCI},
        {"DciWithoutLayout", "3,K1A0B1", kErrNoLayout},
        {"Dci2Fields", "2,K1A0B1,1230,     ", kErrDCI2Fields},
        {"Dci2ProductType", "2,K1A0B1,1230,     ,1024,1", kErrProductType5},
        {"Dci2Numeric", "2,K1A0B1,1230,     ,12,1234567890123456", kErrNumeric},
        {"Dci39Fields", "39,A", kErrDCI39Fields},
        {"Dci39Type", "39,!,1", kErrDCI39Type},
        {"Dci39LetterTypeDigitsOnly", "39,A,12X", kErrCharacter},
        {"Dci39DigitTypeLength", "39,5,ABCDEFGHIJKLMNOPQRSTU", kErrDCI39Length},
        {"Dci39DigitTypeTable", "39,5,AB!", kErrCharacter},
        {"Dci39PostalType", "39,3,K1A0B1 hello", 1},
        {"Dci39PostalTypeBadCode", "39,3,1KA0B1", kErrPostalCode},
        {"Dci40TooFewFields", "40,1", kErrDCI40Fields},
        {"Dci40Variant", "40,17,1", kErrDCI40Variant},
        {"Dci40VariantFields", "40,1,X1A0B1,12", kErrDCI40VariantFields},
        {"Dci40NotX", "40,1,K1A0B1,12,1234567890", kErrPostalCode},
        {"Dci40ProductType", "40,1,X1A0B1,64,1", kErrProductType},
        {"Dci40Customer", "40,1,X1A0B1,12,12345678901", kErrCustomerInformation},
        {"Dci40Numeric", "40,2,K1A0B1,123456789012", kErrNumeric},
        {"Dci40Poci", "40,5,K1A0B!,1", kErrPOCI},
        {"Dci40Number", "40,5,K1A0B1,128", kErrDCI40Number},
        {"Dci40PociValid", "40,5,K1A0B1ab,127", 1},
        {"Dci40Base38Length", "40,11,ABCDEFGHIJKL", kErrDCI40Base38Length},
        {"Dci40Base38Table", "40,12,AB!", kErrCharacter},
        {"Dci40TextLength", "40,14,ABCDEFGHIJK", kErrDCI40TextLength},
        {"Dci40Text", "40,15,abc#XYZ", 1},
        {"Dci41Fields", "41,K1A0B1,a", kErrDCI41Fields},
        {"Dci41TwoLetters", "41,K1A0B1,ab,1", kErrDCI41Letter},
        {"Dci42Letter", "42,K1A0B1,a,1", kErrDCI41Letter},
        {"Dci42Number", "42,K1A0B1,W,256", kErrDCI41Number},
        {"Dci41Numeric", "41,K1A0B1,a,1234", kErrNumeric},
        {"Dci53Fields", "53,US,12345,1", kErrDCI53Fields},
        {"Dci53ProductType", "53,US,12345,1024,1", kErrProductType5},
        {"Dci54Fields", "54,US", kErrDCI54Fields},
        {"Dci54Country", "54,U$,12345", kErrCountryCode},
        {"Dci54USLetters", "54,US,1234A", kErrForeignPostalCode},
        {"Dci54US", "54,us,12345 6789", 1},
        {"Dci54Foreign", "54,GB,sw1a1aa", 1},
        {"Dci54ForeignTooLong", "54,GB,SW1A1AAXYZ", kErrForeignPostalCode}};
    for (const auto &[name, data, code] : cases)
        EXPECT_EQ(encode(data, 26, 22).result, code) << name << ": " << data;
}

// The number a run of six-bit symbols spells, the first the most significant.
unsigned __int128 spelt(const std::vector<unsigned char> &symbols, std::size_t first, std::size_t last)
{
    unsigned __int128 value = 0;
    for (std::size_t i = first; i <= last; ++i)
        value = value * 64 + symbols[i];
    return value;
}

// Letters are packed with their own values (postal-code letters skip "J", locator letters count
// from "A", the tables of the published alphabets, base 38 from 12), never as zero.
TEST(CEncodeBarsBars, LettersArePackedWithTheirValues)
{
    using U = unsigned __int128;
    // Civic number "12X" and second part "Q7", right-aligned in four and five places: radix 11 for
    // the civic digits (a blank 10), radix 38 from the suffix on (letters from 0, digits from 26,
    // a blank 36).
    const std::uint64_t weights[] = {1, 11, 121, 1331, 1331 * 38, 1331 * 38 * 38, 1331 * 38 * 38 * 38,
                                     1331ULL * 38 * 38 * 38 * 38, 1331ULL * 38 * 38 * 38 * 38 * 38};
    const std::uint64_t civic[] = {10, 1, 2, 'X' - 'A', 36, 36, 36, 'Q' - 'A', 26 + 7};
    U locator = 0;
    for (int i = 0; i < 9; ++i)
        locator += U(weights[i]) * civic[i];
    // Base 38 text of variant 11 (blank-padded to 11 characters, a blank 10) and six-bit text of
    // variant 15 (padded to 10, a blank 3), each closed by the reserved four bits and the variant.
    U base38 = 0;
    for (const int v : {12 + 'H' - 'A', 12 + 'E' - 'A', 12 + 'L' - 'A', 12 + 'L' - 'A', 12 + 'O' - 'A', 10, 10, 10, 10, 10, 10})
        base38 = base38 * 38 + v;
    U text = 0;
    for (const int v : {11, 12, 13, 7, 38, 40, 41, 3, 3, 3}) // a b c # X Y Z
        text = text * 64 + v;
    // Variant 1: the postal code's digits and the customer number, its letters "Z" and "Z" in five
    // bits each, the product type and the variant; variant 2 the digits of "K1A0B1" and the number
    // zero-padded to 11 digits, then all three letters from "A" ("K" counts 10).
    const U variant1 = (((U(9999999999999ULL) * 32 + 25) * 32 + 25) * 64 + 63) * 64 + 1;
    const U variant2 = ((((U(10100000000123ULL) * 32 + 10) * 32 + 0) * 32 + 1) * 16) * 64 + 2;
    // Name, data string, code length, first and last symbol compared, the number they spell.
    const std::tuple<const char *, const char *, unsigned int, std::size_t, std::size_t, U> cases[] = {
        {"CivicSuffixAndSecondPart", "1,K1A0B1,12X,  Q7", 16, 5, 11, locator},
        {"Dci40Base38", "40,11,HELLO", 26, 1, 12, (base38 * 16) * 64 + 11},
        {"Dci40Text", "40,15,abc#XYZ", 26, 1, 12, (text * 16) * 64 + 15},
        {"Dci40Variant1", "40,1,X9Z9Z9,63,9999999999", 16, 1, 11, variant1},
        {"Dci40Variant2", "40,2,K1A0B1,123", 26, 1, 12, variant2},
        // The country code and the foreign postal code in the published alphabet: G 8, B 1, S 32,
        // W 37, 1 48.
        {"Dci54Foreign", "54,GB,SW1W", 16, 1, 6, U(8) << 30 | U(1) << 24 | U(32) << 18 | U(37) << 12 | U(48) << 6 | U(37)},
        // Type 3 of DCI 39 (the digit 50) spells its text in the mixed-case alphabet: K 17, 1 48,
        // A 0, 0 42, B 1, blank 3, H 9, e 15, l 31.
        {"Dci39Postal", "39,3,K1A0B1 Hel", 26, 1, 6, U(50) << 30 | U(17) << 24 | U(48) << 18 | U(0) << 12 | U(42) << 6 | U(1)},
        {"Dci39PostalText", "39,3,K1A0B1 Hel", 26, 7, 11, U(48) << 24 | U(3) << 18 | U(9) << 12 | U(15) << 6 | U(31)}};
    for (const auto &[name, data, n, first, last, expected] : cases) {
        const Encoded e = encode(data, n, n - 4);
        ASSERT_EQ(e.result, 1) << name;
        EXPECT_TRUE(spelt(e.symbols, first, last) == expected) << name;
        expectCodeWord(e.symbols, 4);
    }
}

// The free field of a lettered DCI 39 type holds thirty radix-11 characters, blank-padded: each
// group of three (the first character the most significant) is a digit of base 1331, the lowest
// group first, and the number is spelt as base-1444 digits of two symbols (38 x 38) from symbol 2 on,
// the lowest first. A blank counts 10, a digit its value.
TEST(CEncodeBarsBars, Dci39RadixElevenFieldCountsABlankAsTen)
{
    using U = unsigned __int128;
    const std::pair<const char *, const char *> cases[] = {
        {"39,A,12 3", "12 3"}, {"39,Q,9 0 9 0", "9 0 9 0"}, {"39,Z,", ""},
        {"39,B,000000000000000000000000000 00", "000000000000000000000000000 00"}};
    for (const auto &[data, field] : cases) {
        std::string padded = field;
        padded.resize(30, ' ');
        U expected = 0;
        for (int group = 9; group >= 0; --group) {
            U three = 0;
            for (int j = 0; j < 3; ++j) {
                const char c = padded[static_cast<std::size_t>(group * 3 + j)];
                three = three * 11 + (c == ' ' ? 10 : static_cast<unsigned>(c - '0'));
            }
            expected = expected * 1331 + three;
        }
        const Encoded e = encode(data, 26, 22);
        ASSERT_EQ(e.result, 1) << data;
        U spelt = 0;
        for (int i = 9; i >= 0; --i)
            spelt = spelt * 1444 + e.symbols[static_cast<std::size_t>(2 + 2 * i)] * 38
                    + e.symbols[static_cast<std::size_t>(3 + 2 * i)];
        EXPECT_TRUE(spelt == expected) << data;
        expectCodeWord(e.symbols, 4);
    }
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
