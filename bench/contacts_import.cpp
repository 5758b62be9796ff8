// Importing an address list of a hundred thousand persons: from a comma-separated export, from a
// vCard file, and back from the contact cache the import writes.
#include "BenchSupport.h"

#include "app/contacts/CADataSourceContainer.h"
#include "app/contacts/CADelimitedText.h"
#include "app/contacts/CATextFileImport.h"
#include "app/contacts/CAVCFSource.h"
#include "platform/PWPerson.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kPersons = 100000;

QByteArray csvExport()
{
    QByteArray bytes = "First Name,Last Name,Company,Home Street,Home City,Home Postal Code,Home Country,E-mail Address,"
                       "Business Phone\r\n";
    for (int i = 0; i < kPersons; ++i) {
        const QByteArray n = QByteArray::number(i);
        bytes += "Johanna " + n + ",Ashgrove,\"Harbour Freight, Ltd.\",\"" + n + " Elm Row\r\nFlat 3\",Edinburgh,"
                 "EH1 3AA,United Kingdom,jo" + n + "@home.example,+44 131 555 " + n + "\r\n";
    }
    return bytes;
}

QByteArray vCardExport()
{
    QByteArray bytes;
    for (int i = 0; i < kPersons; ++i) {
        const QByteArray n = QByteArray::number(i);
        bytes += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Ashgrove;Johanna " + n + ";;;\r\nFN:Johanna " + n
                 + " Ashgrove\r\nORG:Harbour Freight Lines;Logistics\r\nTEL;type=WORK;type=pref:+1 555 " + n
                 + "\r\nEMAIL;type=INTERNET;type=HOME:jo" + n + "@home.example\r\nADR;type=HOME:;;" + n
                 + " Elm Row;Edinburgh;;EH1 3AA;United Kingdom\r\nEND:VCARD\r\n";
    }
    return bytes;
}

void BM_ImportCsv(benchmark::State &state)
{
    const QByteArray bytes = csvExport();
    for (auto _ : state) {
        const std::optional<CAPersonList> persons =
            CATextFileImport::peopleFromData(bytes, CATextImportOptions(), nullptr);
        if (!persons || persons->size() != kPersons)
            state.SkipWithError("not every person was read");
        benchmark::DoNotOptimize(persons);
    }
    state.counters["persons"] = kPersons;
}
BENCHMARK(BM_ImportCsv)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ImportVCardFile(benchmark::State &state)
{
    QTemporaryDir folder;
    const QString path = folder.path() + QStringLiteral("/export.vcf");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(vCardExport()) < 0)
        state.SkipWithError("the file could not be written");
    file.close();
    for (auto _ : state) {
        const CAPersonList persons = CAVCFSource::personFromVCFFile(path);
        if (persons.size() != kPersons)
            state.SkipWithError("not every person was read");
        benchmark::DoNotOptimize(persons);
    }
    state.counters["persons"] = kPersons;
}
BENCHMARK(BM_ImportVCardFile)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_WriteCache(benchmark::State &state)
{
    QTemporaryDir folder;
    CADataSourceContainer container(folder.path());
    const CAPersonList persons = *CATextFileImport::peopleFromData(csvExport(), CATextImportOptions(), nullptr);
    for (auto _ : state) {
        if (!container.cachePersonList(persons, nullptr, QStringLiteral("TextFileSource")))
            state.SkipWithError("the cache was not written");
    }
}
BENCHMARK(BM_WriteCache)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LoadCache(benchmark::State &state)
{
    QTemporaryDir folder;
    CADataSourceContainer container(folder.path());
    const CAPersonList persons = *CATextFileImport::peopleFromData(csvExport(), CATextImportOptions(), nullptr);
    if (!container.cachePersonList(persons, nullptr, QStringLiteral("TextFileSource")))
        state.SkipWithError("the cache was not written");
    for (auto _ : state) {
        const std::optional<CAPersonList> read = container.getCachedPersonListForSource(QStringLiteral("TextFileSource"));
        if (!read || read->size() != kPersons)
            state.SkipWithError("not every person was read back");
        benchmark::DoNotOptimize(read);
    }
    state.counters["persons"] = kPersons;
}
BENCHMARK(BM_LoadCache)->Unit(benchmark::kMillisecond)->Iterations(3);

// The share of the first stage, bytes to rows, in importing the export.
void BM_CsvRows(benchmark::State &state)
{
    const QByteArray bytes = csvExport();
    for (auto _ : state) {
        CADelimitedText text(bytes);
        benchmark::DoNotOptimize(text.rows());
    }
}
BENCHMARK(BM_CsvRows)->Unit(benchmark::kMillisecond)->Iterations(3);

// The share of the property list alone in loading the cache.
void BM_ReadCachePropertyList(benchmark::State &state)
{
    QTemporaryDir folder;
    CADataSourceContainer container(folder.path());
    const CAPersonList persons = *CATextFileImport::peopleFromData(csvExport(), CATextImportOptions(), nullptr);
    container.cachePersonList(persons, nullptr, QStringLiteral("TextFileSource"));
    for (auto _ : state)
        benchmark::DoNotOptimize(container.getCachedDataForSource(QStringLiteral("TextFileSource")));
}
BENCHMARK(BM_ReadCachePropertyList)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
