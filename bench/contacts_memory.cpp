// The memory of a contact import from a file, as the application reads it: a comma-separated
// export of 200,000 rows (about 21 MB) with five of its eight columns the same in every row, one
// of 200,000 rows as a real export holds them (about 15 MB: names, streets and cities from pools,
// e-mail addresses each different), one whose every value is different, a vCard export of
// 178,897 cards (about 57 MB), of which the first 100,000 are read, and one of 55 cards holding
// 19,990 addresses each (about 58 MB). Each reports the most
// the process held while reading, above what it held before, in megabytes and as a multiple of
// the file's size (peak_per_file_size): an import stays below ten times its file.
#include "BenchSupport.h"

#include "app/contacts/CATextFileSource.h"
#include "app/contacts/CAVCFSource.h"
#include "platform/PWPerson.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>


namespace {

constexpr int kRows = 200000;
// As many cards as the file that once gave no persons at all; the first 100,000 are read.
constexpr int kCards = 178897;
constexpr int kCardsRead = 100000;

// About 105 bytes a row, 21 MB in all.
QByteArray csvExport()
{
    QByteArray bytes = "First Name,Last Name,Company,Home Street,Home City,Home Postal Code,Home Country,E-mail Address\r\n";
    for (int i = 0; i < kRows; ++i) {
        const QByteArray n = QByteArray::number(i);
        bytes += "Johanna " + n + ",Ashgrove,\"Harbour Freight, Ltd.\"," + n + " Elm Row,Edinburgh,EH1 3AA,United Kingdom,jo" + n
                 + "@home.example\r\n";
    }
    return bytes;
}

// About 320 bytes a card, 57 MB in all.
QByteArray vCardExport()
{
    QByteArray bytes;
    for (int i = 0; i < kCards; ++i) {
        const QByteArray n = QByteArray::number(i);
        bytes += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Ashgrove;Johanna " + n + ";;;\r\nFN:Johanna " + n
                 + " Ashgrove\r\nORG:Harbour Freight Lines;Logistics\r\nTEL;type=WORK;type=pref:+1 555 " + n
                 + "\r\nEMAIL;type=INTERNET;type=HOME:jo" + n + "@home.example\r\nADR;type=HOME:;;" + n
                 + " Elm Row;Edinburgh;;EH1 3AA;United Kingdom\r\nNOTE:Met at the harbour fair\r\nEND:VCARD\r\n";
    }
    return bytes;
}

// A deterministic pick from a pool, so that every run reads the same file.
quint32 nextRandom(quint32 &state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

// About 73 bytes a row, 14.7 MB in all: what an address book export holds, values repeated as
// names and places repeat among people, each e-mail address different.
QByteArray realisticCsvExport()
{
    static const char *first[] = {"Ada", "Ben", "Chloé", "Dmitri", "Eve", "Farid", "Grace", "Hugo", "Ines", "Jon",
                                  "Kai", "Lena", "Mo", "Nora", "Olu", "Pia", "Quinn", "Rosa", "Sam", "Tariq"};
    static const char *last[] = {"Smith", "Jones", "Nguyen", "García", "Okafor", "Müller", "Rossi", "Kowalski",
                                 "Dubois", "Andersen", "Silva", "Tanaka", "O'Brien", "Haddad", "Novak", "Ivanova"};
    static const char *streets[] = {"Elm Row", "High St", "Mill Lane", "Station Rd", "Church St", "Park Ave"};
    static const char *cities[] = {"Edinburgh", "Leeds", "York", "Bath", "Ely", "Hull", "Derby", "Bristol"};
    QByteArray bytes = "First Name,Last Name,Company,Home Street,Home City,Home Postal Code,Home Country,E-mail Address\r\n";
    quint32 state = 7;
    for (int i = 0; i < kRows; ++i) {
        const QByteArray n = QByteArray::number(i);
        bytes += QByteArray(first[nextRandom(state) % 20]) + "," + last[nextRandom(state) % 16] + ","
                 + (nextRandom(state) % 3 == 0 ? QByteArray("Harbour Ltd") : QByteArray()) + ","
                 + QByteArray::number(nextRandom(state) % 200 + 1) + " " + streets[nextRandom(state) % 6] + ","
                 + cities[nextRandom(state) % 8] + ",EH" + QByteArray::number(nextRandom(state) % 90) + ",UK,p" + n
                 + "@mail.example\r\n";
    }
    return bytes;
}

// The same columns, every value of every row different.
QByteArray allDifferentCsvExport()
{
    QByteArray bytes = "First Name,Last Name,Company,Home Street,Home City,Home Postal Code,Home Country,E-mail Address\r\n";
    for (int i = 0; i < kRows; ++i) {
        const QByteArray n = QByteArray::number(i);
        bytes += "F" + n + ",L" + n + ",C" + n + "," + n + " St," + "T" + n + ",Z" + n + ",K" + n + ",e" + n + "@x.example\r\n";
    }
    return bytes;
}

constexpr int kAddressCards = 55;
constexpr int kAddressesPerCard = 19990;

// 55 cards of 19,990 addresses each, about 58 MB.
QByteArray addressHeavyVCardExport()
{
    QByteArray bytes;
    for (int card = 0; card < kAddressCards; ++card) {
        const QByteArray c = QByteArray::number(card);
        bytes += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Depot;Card " + c + ";;;\r\nFN:Card " + c + " Depot\r\n";
        for (int a = 0; a < kAddressesPerCard; ++a)
            bytes += "ADR;type=WORK:;;" + QByteArray::number(a) + " Dock Rd;Leith;;EH6 " + c + ";UK\r\n";
        bytes += "END:VCARD\r\n";
    }
    return bytes;
}

template <typename Read>
void importAndMeasure(benchmark::State &state, const QByteArray &bytes, const QString &name, qsizetype expected,
                      Read read)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        state.SkipWithError("the file could not be written");
        return;
    }
    file.close();
    const qint64 fileSize = bytes.size();
    qint64 peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        resetPeak();
        const qint64 before = statusKilobytes("VmRSS:") * 1024;
        state.ResumeTiming();
        const std::optional<CAPersonList> persons = read(path);
        peak = std::max(peak, statusKilobytes("VmHWM:") * 1024 - before);
        if (!persons || persons->size() != expected)
            state.SkipWithError("not every person was read");
        benchmark::DoNotOptimize(persons);
    }
    state.counters["file_MB"] = double(fileSize) / (1024 * 1024);
    state.counters["peak_MB"] = double(peak) / (1024 * 1024);
    state.counters["peak_per_file_size"] = double(peak) / double(fileSize);
}

void BM_ImportCsvFileMemory(benchmark::State &state)
{
    importAndMeasure(state, csvExport(), QStringLiteral("export.csv"), kRows,
                     [](const QString &path) { return CATextFileSource::personsFromTextFile(path); });
}
BENCHMARK(BM_ImportCsvFileMemory)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_ImportRealisticCsvFileMemory(benchmark::State &state)
{
    importAndMeasure(state, realisticCsvExport(), QStringLiteral("realistic.csv"), kRows,
                     [](const QString &path) { return CATextFileSource::personsFromTextFile(path); });
}
BENCHMARK(BM_ImportRealisticCsvFileMemory)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_ImportAllDifferentCsvFileMemory(benchmark::State &state)
{
    importAndMeasure(state, allDifferentCsvExport(), QStringLiteral("different.csv"), kRows,
                     [](const QString &path) { return CATextFileSource::personsFromTextFile(path); });
}
BENCHMARK(BM_ImportAllDifferentCsvFileMemory)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_ImportVCardFileMemory(benchmark::State &state)
{
    importAndMeasure(state, vCardExport(), QStringLiteral("export.vcf"), kCardsRead,
                     [](const QString &path) { return std::optional<CAPersonList>(CAVCFSource::personFromVCFFile(path)); });
}
BENCHMARK(BM_ImportVCardFileMemory)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_ImportAddressHeavyVCardFileMemory(benchmark::State &state)
{
    importAndMeasure(state, addressHeavyVCardExport(), QStringLiteral("addresses.vcf"), kAddressCards,
                     [](const QString &path) { return std::optional<CAPersonList>(CAVCFSource::personFromVCFFile(path)); });
}
BENCHMARK(BM_ImportAddressHeavyVCardFileMemory)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
