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

QString PWNewUniqueIdentifier()
{
    thread_local std::mt19937_64 generator = seededGenerator();
    std::uint64_t high = generator();
    std::uint64_t low = generator();
    // Version 4, variant 10xx, as RFC 4122 lays them out.
    high = (high & ~std::uint64_t(0xF000)) | std::uint64_t(0x4000);
    low = (low & ~(std::uint64_t(0xC) << 60)) | (std::uint64_t(0x8) << 60);

    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    QString text(36, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    qsizetype at = 0;
    const auto put = [&](std::uint64_t bits, int digits) {
        for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
            out[at++] = kHex[(bits >> shift) & 0xF];
    };
    put(high >> 32, 8);
    out[at++] = u'-';
    put(high >> 16, 4);
    out[at++] = u'-';
    put(high, 4);
    out[at++] = u'-';
    put(low >> 48, 4);
    out[at++] = u'-';
    put(low, 12);
    return text;
}
