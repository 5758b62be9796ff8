// Reading vCards into persons: exported address books whose cards hold as many addresses as a
// card may have lines (one card and sixty of them), and an address book of many small cards.
// Beside the time, each reports the peak memory of reading: the most the process held above
// what it held before (the bytes of the file included), in megabytes and as a multiple of the
// file's size.
#include "BenchSupport.h"

#include "platform/PWPerson.h"
#include "platform/PWVCardParser.h"
#include "platform/PWVCardReader.h"

#include <QFile>

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
    bytes.squeeze(); // as a file read whole holds it
    return bytes;
}

// Cards as a desktop address book exports them: a name, an organisation, a phone, a mail
// address, a postal address and a note each.
QByteArray smallCards(int cards)
{
    QByteArray bytes;
    for (int card = 0; card < cards; ++card) {
        const QByteArray n = QByteArray::number(card);
        bytes += "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:card-" + n + "\r\nN:Ashgrove;Johanna " + n + ";;;\r\nFN:Johanna "
            + n + " Ashgrove\r\nORG:Harbour Freight Lines;Logistics\r\nTEL;type=WORK;type=pref:+1 555 " + n
            + "\r\nEMAIL;type=INTERNET;type=HOME:jo" + n + "@home.example\r\nitem1.ADR;type=HOME:;;" + n
            + " Elm Row;Edinburgh;;EH1 3AA;United Kingdom\r\nitem1.X-ABADR:uk\r\nNOTE:Met at the harbour\\, "
              "spring fair\r\nEND:VCARD\r\n";
    }
    bytes.squeeze();
    return bytes;
}

void readAndMeasure(benchmark::State &state, const QByteArray &bytes, qsizetype expectedPersons)
{
    std::optional<QList<std::shared_ptr<PWPerson>>> persons;
    // The bytes count as part of reading's memory: they are what a file read in whole holds.
    resetPeak();
    const qint64 before = statusKilobytes("VmRSS:") * 1024 - bytes.size();
    for (auto _ : state) {
        persons.reset(); // the persons of the round before are no part of this round's peak
        persons = PWVCardReader::personsFromData(bytes);
        benchmark::DoNotOptimize(persons);
    }
    const qint64 peak = statusKilobytes("VmHWM:") * 1024 - before;
    if (!persons || persons->size() != expectedPersons)
        state.SkipWithError("the address book is not read");
    state.SetBytesProcessed(state.iterations() * bytes.size());
    state.counters["file_MB"] = double(bytes.size()) / (1024 * 1024);
    state.counters["peak_MB"] = double(peak) / (1024 * 1024);
    state.counters["peak_per_file_size"] = double(peak) / double(bytes.size());
}

void BM_VCardReadAddressBook(benchmark::State &state)
{
    const QByteArray bytes = addressBook(int(state.range(0)));
    readAndMeasure(state, bytes, state.range(0));
}

void BM_VCardReadSmallCards(benchmark::State &state)
{
    const QByteArray bytes = smallCards(int(state.range(0)));
    readAndMeasure(state, bytes, state.range(0));
}

// Reading sixty cards took minutes while each address was checked against all before it, and
// the sixty cards (54 MB) and the small ones peaked at many times their file's size while every
// line and card was kept until the last person was made: peak_per_file_size stays below 10.
BENCHMARK(BM_VCardReadAddressBook)->Arg(1)->Arg(60)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_VCardReadSmallCards)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
