// Encoding 10,000 Canadian postal codes with street lines into four-state bars, one encoder per address as
// the barcode field makes it: the cost of a merge of 10,000 envelopes in the encoder alone.
#include "kernel/address/CEncodeBars.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kAddresses = 10000;

struct Address
{
    std::string postalCode;
    std::string street;
};

// Postal codes of the letter-digit pattern (letters the code uses in its first position) with a mix of
// civic, unit and rural-route streets, from a fixed seed.
std::vector<Address> makeAddresses()
{
    static const char first[] = "ABCEGHJKLMNPRSTVXY";
    static const char letters[] = "ABCEGHJKLMNPRSTVWXYZ";
    std::mt19937 random(20261206);
    auto pick = [&random](const char *set, std::size_t size) { return set[random() % size]; };
    auto digit = [&random]() { return static_cast<char>('0' + random() % 10); };
    std::vector<Address> out;
    out.reserve(kAddresses);
    for (int i = 0; i < kAddresses; ++i) {
        Address a;
        a.postalCode = {pick(first, sizeof first - 1), digit(), pick(letters, sizeof letters - 1), ' ',
                        digit(), pick(letters, sizeof letters - 1), digit()};
        switch (i % 3) {
        case 0:
            a.street = std::to_string(1 + random() % 999) + " Main Street";
            break;
        case 1:
            a.street = std::to_string(1 + random() % 999) + " King St W " + std::to_string(1 + random() % 9999);
            break;
        default:
            a.street = "RR " + std::to_string(1 + random() % 99);
            break;
        }
        out.push_back(std::move(a));
    }
    return out;
}

void BM_EncodeCanadianPostcodes(benchmark::State &state)
{
    const std::vector<Address> addresses = makeAddresses();
    std::vector<unsigned char> bars(64);
    long encoded = 0;
    for (auto _ : state) {
        encoded = 0;
        for (const Address &a : addresses) {
            const std::string data = recognizeAddressInfo(1, a.postalCode, a.street);
            CEncodeBars encoder;
            encoder.InitEncoder(16, 12, 6);
            if (encoder.Encode4State(data) == 1) {
                encoder.Get4StateBars(bars.data());
                ++encoded;
            }
            benchmark::DoNotOptimize(bars.data());
        }
    }
    if (encoded != kAddresses)
        state.SkipWithError("not every address encoded");
    state.counters["addresses"] = static_cast<double>(encoded);
}
BENCHMARK(BM_EncodeCanadianPostcodes)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
