// The memory of a contact import from a file, as the application reads it: a comma-separated
// export of 200,000 rows (about 21 MB) and a vCard export of about 57 MB. Each reports the most
// the process held while reading, above what it held before, in megabytes and as a multiple of
// the file's size (peak_per_file_size): an import stays below ten times its file.
#include "BenchSupport.h"

#include "app/contacts/CATextFileSource.h"
#include "app/contacts/CAVCFSource.h"
#include "platform/PWPerson.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <malloc.h>

namespace {

constexpr int kRows = 200000;
constexpr int kCards = 100000;

QByteArray csvExport()
{
    QByteArray bytes = "First Name,Last Name,Company,Home Street,Home City,Home Postal Code,Home Country,E-mail Address,"
                       "Business Phone\r\n";
    for (int i = 0; i < kRows; ++i) {
        const QByteArray n = QByteArray::number(i);
        bytes += "Johanna " + n + ",Ashgrove,\"Harbour Freight, Ltd.\",\"" + n + " Elm Row\r\nFlat 3\",Edinburgh,"
                 "EH1 3AA,United Kingdom,jo" + n + "@home.example,+44 131 555 " + n + "\r\n";
    }
    return bytes;
}

QByteArray vCardExport()
{
    QByteArray bytes;
    for (int i = 0; i < kCards; ++i) {
        const QByteArray n = QByteArray::number(i);
        bytes += "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:6f1c2a0e-4b7d-4e0a-9c1f-" + n.rightJustified(12, '0')
                 + "\r\nN:Ashgrove;Johanna " + n + ";;;\r\nFN:Johanna " + n
                 + " Ashgrove\r\nORG:Harbour Freight Lines;Logistics\r\nTITLE:Dispatcher\r\nTEL;type=WORK;type=pref:+1 555 "
                 + n + "\r\nTEL;type=CELL:+1 555 9" + n + "\r\nEMAIL;type=INTERNET;type=HOME:jo" + n
                 + "@home.example\r\nitem1.ADR;type=HOME:;;" + n
                 + " Elm Row;Edinburgh;;EH1 3AA;United Kingdom\r\nitem1.X-ABADR:uk\r\nNOTE:Met at the harbour\\, "
                   "spring fair; prefers letters to calls and a card at the new year\r\nEND:VCARD\r\n";
    }
    return bytes;
}

qint64 statusKilobytes(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

// Starts the peak resident size afresh at what the process holds now.
void resetPeak()
{
    malloc_trim(0);
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
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

void BM_ImportVCardFileMemory(benchmark::State &state)
{
    importAndMeasure(state, vCardExport(), QStringLiteral("export.vcf"), kCards,
                     [](const QString &path) { return std::optional<CAPersonList>(CAVCFSource::personFromVCFFile(path)); });
}
BENCHMARK(BM_ImportVCardFileMemory)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
