// Reading vCards into persons: exported address books whose cards hold as many addresses as a
// card may have lines, one card and sixty of them.
#include "BenchSupport.h"

#include "platform/PWPerson.h"
#include "platform/PWVCardParser.h"
#include "platform/PWVCardReader.h"

#include <benchmark/benchmark.h>

namespace {

QByteArray addressBook(int cards)
{
    // VERSION, N and FN take three of the lines a card may have; the rest are addresses, short
    // enough for sixty cards to stay below the parser's limit of bytes.
    const int addresses = PWVCardParser::kMaxLinesPerCard - 3;
    QByteArray bytes;
    for (int card = 0; card < cards; ++card) {
        bytes += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Ashgrove;Card " + QByteArray::number(card) + ";;;\r\nFN:Card "
            + QByteArray::number(card) + "\r\n";
        for (int i = 0; i < addresses; ++i)
            bytes += "ADR;TYPE=" + QByteArray(i % 2 ? "WORK" : "HOME") + ":;;" + QByteArray::number(i)
                + " Elm Row;Leith;;EH6;UK\r\n";
        bytes += "END:VCARD\r\n";
    }
    return bytes;
}

void BM_VCardReadAddressBook(benchmark::State &state)
{
    const QByteArray bytes = addressBook(int(state.range(0)));
    std::optional<QList<std::shared_ptr<PWPerson>>> persons;
    for (auto _ : state) {
        persons = PWVCardReader::personsFromData(bytes);
        benchmark::DoNotOptimize(persons);
    }
    if (!persons || persons->size() != state.range(0))
        state.SkipWithError("the address book is not read");
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

// Reading sixty cards took minutes while each address was checked against all before it.
BENCHMARK(BM_VCardReadAddressBook)->Arg(1)->Arg(60)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
