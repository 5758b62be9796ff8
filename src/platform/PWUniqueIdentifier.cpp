#include "platform/PWUniqueIdentifier.h"

#include <QRandomGenerator>

#include <array>
#include <cstdint>
#include <random>

namespace {

std::mt19937_64 seededGenerator()
{
    // The whole state comes from the system source: 256 bits of seed, so that two processes
    // (or threads) starting together draw different sequences.
    std::array<std::uint32_t, 8> seed;
    QRandomGenerator::system()->fillRange(seed.data(), seed.size());
    std::seed_seq sequence(seed.begin(), seed.end());
    return std::mt19937_64(sequence);
}

} // namespace

namespace {

constexpr qsizetype kTextLength = 36;

// The character at a place of the text of bits: 8-4-4-4-12 hexadecimal digits.
char16_t characterAt(const PWUniqueIdentifierBits &bits, qsizetype at)
{
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    if (at == 8 || at == 13 || at == 18 || at == 23)
        return u'-';
    // Digits before this place: the dashes before it are no digits.
    const int digit = int(at) - (at > 8) - (at > 13) - (at > 18) - (at > 23);
    const std::uint64_t half = digit < 16 ? bits.high : bits.low;
    const int shift = (15 - digit % 16) * 4;
    return kHex[(half >> shift) & 0xF];
}

} // namespace

PWUniqueIdentifierBits PWNewUniqueIdentifierBits()
{
    thread_local std::mt19937_64 generator = seededGenerator();
    PWUniqueIdentifierBits bits;
    bits.high = generator();
    bits.low = generator();
    // Version 4, variant 10xx, as RFC 4122 lays them out.
    bits.high = (bits.high & ~std::uint64_t(0xF000)) | std::uint64_t(0x4000);
    bits.low = (bits.low & ~(std::uint64_t(0xC) << 60)) | (std::uint64_t(0x8) << 60);
    return bits;
}

QString PWUniqueIdentifierText(const PWUniqueIdentifierBits &bits)
{
    QString text(kTextLength, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (qsizetype at = 0; at < kTextLength; ++at)
        out[at] = characterAt(bits, at);
    return text;
}

bool PWUniqueIdentifierMatches(const PWUniqueIdentifierBits &bits, QStringView text)
{
    if (text.size() != kTextLength)
        return false;
    for (qsizetype at = 0; at < kTextLength; ++at) {
        if (text.at(at).unicode() != characterAt(bits, at))
            return false;
    }
    return true;
}

QString PWNewUniqueIdentifier()
{
    return PWUniqueIdentifierText(PWNewUniqueIdentifierBits());
}
