// Packing the checked record into six-bit symbols. Every field becomes one number in a wide little-endian
// accumulator, so no layout depends on the width of the machine's integers.
#include "kernel/address/CEncodeBars.h"

#include "kernel/address/CEncodeBarsTables.h"

#include <cstdint>

using namespace FourStateTables;

namespace {

// An unsigned number of up to 1440 bits, least significant byte first.
class WideNumber
{
public:
    // this = this * factor + addend
    void mulAdd(std::uint32_t factor, std::uint32_t addend)
    {
        std::uint64_t carry = addend;
        for (auto &byte : m_bytes) {
            const std::uint64_t v = std::uint64_t{byte} * factor + carry;
            byte = static_cast<std::uint8_t>(v & 0xff);
            carry = v >> 8;
        }
    }
    // Appends a field of `bits` bits below the number.
    void append(unsigned int bits, std::uint32_t value) { mulAdd(1u << bits, value & ((1u << bits) - 1)); }
    // this = this / divisor; answers the remainder.
    std::uint32_t divMod(std::uint32_t divisor)
    {
        std::uint64_t rest = 0;
        for (std::size_t i = m_bytes.size(); i-- > 0;) {
            const std::uint64_t v = (rest << 8) | m_bytes[i];
            m_bytes[i] = static_cast<std::uint8_t>(v / divisor);
            rest = v % divisor;
        }
        return static_cast<std::uint32_t>(rest);
    }
    // Writes `count` six-bit digits into symbols[last - count + 1 .. last], the lowest into `last`.
    void spell(unsigned char *symbols, unsigned int last, unsigned int count)
    {
        for (unsigned int i = 0; i < count; ++i)
            symbols[last - i] = static_cast<unsigned char>(divMod(64));
    }
    void addDecimal(std::string_view digits)
    {
        for (const char c : digits)
            mulAdd(10, static_cast<std::uint32_t>(c - '0'));
    }

private:
    std::array<std::uint8_t, 180> m_bytes{};
};

// A postal-code letter as a number below 25: letters from "J" on count one less.
std::uint32_t letterValue(char c)
{
    const int v = c - 'A';
    return static_cast<std::uint32_t>(c >= 'J' ? v - 1 : v);
}

std::uint32_t postalNumber(const std::string &pc)
{
    std::uint32_t value = 0;
    for (int pair = 0; pair < 3; ++pair)
        value = value * 256 + letterValue(pc[2 * pair]) * 10 + static_cast<std::uint32_t>(pc[2 * pair + 1] - '0');
    return value;
}

// Address-locator characters: positions 0 to 2 radix 11, positions 3 to 8 radix 38.
std::uint32_t locatorValue(char c, bool civicDigit)
{
    if (civicDigit)
        return isDigit(c) ? static_cast<std::uint32_t>(c - '0') : 10;
    if (isUpper(c))
        return static_cast<std::uint32_t>(c - 'A');
    if (isDigit(c))
        return static_cast<std::uint32_t>(26 + c - '0');
    return c == ' ' ? 36 : c == '#' ? 37 : 0;
}

// The widest number each DCI 40 variant can produce, in six-bit symbols.
unsigned int dci40Symbols(int variant)
{
    return variant == 1 ? 11 : 12;
}

} // namespace

unsigned int CEncodeBars::PackSymbols()
{
    m_symbols[0] = static_cast<unsigned char>(m_dci & 0xff);
    unsigned char *s = m_symbols.data();
    switch (m_dci) {
    case 1:
    case 11:
    case 2:
    case 12:
    case 41:
    case 42: {
        WideNumber pc;
        pc.mulAdd(1, postalNumber(m_record.postalCode));
        pc.spell(s, 4, 4);
        if (m_dci == 41 || m_dci == 42) {
            s[5] = m_record.letter41;
            m_extra = static_cast<unsigned char>(m_record.number41);
            return 6;
        }
        WideNumber al;
        const std::string &loc = m_record.addressLocator;
        for (std::size_t i = 0; i < 9; ++i) {
            // Most significant position first: position 8 carries the largest weight.
            const std::size_t p = 8 - i;
            al.mulAdd(p < 3 ? 11 : 38, locatorValue(loc[p], p < 3));
        }
        al.spell(s, 11, 7);
        if (m_dci == 1 || m_dci == 11)
            return 12;
        PackCustomer(12);
        return 22;
    }
    case 39:
        return PackDCI39();
    case 40:
        return PackDCI40();
    default:
        return PackCountry();
    }
}

void CEncodeBars::PackCustomer(unsigned int first)
{
    WideNumber customer;
    customer.addDecimal(m_record.numeric);
    unsigned char low[8];
    for (unsigned char &digit : low)
        digit = static_cast<unsigned char>(customer.divMod(64));
    const auto pt = static_cast<unsigned int>(m_record.productType5);
    m_symbols[first] = static_cast<unsigned char>(pt / 16);
    m_symbols[first + 1] = static_cast<unsigned char>((pt % 16) * 4 + customer.divMod(64) % 4);
    for (unsigned int i = 0; i < 8; ++i)
        m_symbols[first + 2 + i] = low[7 - i];
}

unsigned int CEncodeBars::PackDCI39()
{
    const char type = m_record.type39;
    const std::string &text = m_record.freeField;
    m_symbols[1] = static_cast<unsigned char>(lookup(Z_Table, type));
    if (isUpper(type)) {
        // Thirty radix-11 characters, the first the most significant of the lowest group of three.
        WideNumber value;
        for (int group = 9; group >= 0; --group) {
            std::uint32_t t = 0;
            for (int j = 0; j < 3; ++j) {
                const char c = text[static_cast<std::size_t>(group * 3 + j)];
                t = t * 11 + (isDigit(c) ? static_cast<std::uint32_t>(c - '0') : 10);
            }
            value.mulAdd(1331, t);
        }
        for (unsigned int i = 0; i < 10; ++i) {
            const std::uint32_t digit = value.divMod(1444);
            m_symbols[2 + 2 * i] = static_cast<unsigned char>(digit / 38);
            m_symbols[3 + 2 * i] = static_cast<unsigned char>(digit % 38);
        }
        return 22;
    }
    const Table &table = type == '3' ? C_Table : Z_Table;
    for (unsigned int i = 0; i < 20; ++i)
        m_symbols[2 + i] = static_cast<unsigned char>(lookup(table, text[i]));
    return 22;
}

unsigned int CEncodeBars::PackDCI40()
{
    WideNumber value;
    const std::string &pc = m_record.postalCode;
    if (m_variant == 1) {
        value.addDecimal(std::string{pc[1], pc[3], pc[5]});
        value.addDecimal(m_record.customerInformation);
        value.append(5, static_cast<std::uint32_t>(pc[2] - 'A'));
        value.append(5, static_cast<std::uint32_t>(pc[4] - 'A'));
        value.append(6, static_cast<std::uint32_t>(m_record.productType));
        value.append(6, static_cast<std::uint32_t>(m_variant));
    } else {
        if (m_variant <= 4) {
            value.addDecimal(std::string{pc[1], pc[3], pc[5]});
            value.addDecimal(m_record.numeric);
            for (int i = 0; i < 3; ++i)
                value.append(5, static_cast<std::uint32_t>(pc[2 * i] - 'A'));
        } else if (m_variant <= 7) {
            const std::string &poci = m_record.poci;
            value.addDecimal(m_record.numeric);
            value.addDecimal(std::string{poci[1], poci[3], poci[5]});
            for (int i = 0; i < 3; ++i)
                value.append(5, static_cast<std::uint32_t>(poci[2 * i] - 'A'));
            for (std::size_t i = 6; i < 11; ++i)
                value.append(6, static_cast<std::uint32_t>(charXlate(poci[i])));
        } else if (m_variant <= 10) {
            value.addDecimal(m_record.numeric);
        } else if (m_variant <= 13) {
            for (const char c : m_record.freeField)
                value.mulAdd(38, static_cast<std::uint32_t>(lookup(Base38, c)));
        } else {
            for (const char c : m_record.freeField)
                value.append(6, static_cast<std::uint32_t>(lookup(C_Table, c)));
        }
        // The four-bit field is reserved and stays zero; the variant closes the number so that a reader
        // knows how to cut it.
        value.append(4, 0);
        value.append(6, static_cast<std::uint32_t>(m_variant));
    }
    const unsigned int count = dci40Symbols(m_variant);
    value.spell(m_symbols.data(), count, count);
    return count + 1;
}

unsigned int CEncodeBars::PackCountry()
{
    const std::string &cc = m_record.countryCode;
    const std::string &pc = m_record.postalCode;
    m_symbols[1] = static_cast<unsigned char>(lookup(Z_Table, cc[0]));
    m_symbols[2] = static_cast<unsigned char>(lookup(Z_Table, cc[1]));
    if (cc == "US") {
        auto d = [&pc](std::size_t i) { return static_cast<unsigned int>(lookup(D_Table, pc[i])); };
        unsigned int next = 3;
        for (std::size_t i = 0; i <= 9; i += 3) {
            m_symbols[next++] = static_cast<unsigned char>(d(i) * 4 + d(i + 1) / 4);
            if (i < 9)
                m_symbols[next++] = static_cast<unsigned char>((d(i + 1) % 4) * 16 + d(i + 2));
        }
        m_symbols[next++] = static_cast<unsigned char>((d(10) % 4) * 16 + 10);
        m_symbols[next] = 7;
    } else {
        for (std::size_t i = 0; i < 9; ++i)
            m_symbols[3 + i] = static_cast<unsigned char>(lookup(Z_Table, pc[i]));
    }
    if (m_dci == 54)
        return 12;
    PackCustomer(12);
    return 22;
}
