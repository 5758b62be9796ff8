// Reading free-text addresses: 10,000 texts of the kinds people paste -- US, British, German and
// Canadian addresses, some with telephone, e-mail and web lines, titles and suffixes -- each read
// into its fields. "per_address" is the time one text takes.
#include "BenchSupport.h"

#include "app/contacts/FTAddressRecognition.h"

#include <QStringList>

#include <benchmark/benchmark.h>

namespace {

QStringList addressTexts(int count)
{
    const QStringList shapes = {
        QStringLiteral("Mary Ann Baker\nAcme Widgets\n%1 Harbor Boulevard Suite 400\nSpringfield, IL 62704-1234\nUSA"),
        QStringLiteral("Dr. Tom Hartley\nFlat 3\n%1 Mill Lane\nOxford OX2 6QT\nUnited Kingdom"),
        QStringLiteral("Anna Schmidt\nLindenweg %1\n10115 Berlin\nDeutschland"),
        QStringLiteral("Paul Tremblay\n%1 Rue Principale\nMontreal QC H2X 1Y4\nCanada"),
        QStringLiteral("John Smith Jr.\nTel: (555) 123-4567\njohn@example.com\n%1 Oak Street\nPortland OR 97201"),
        QStringLiteral("Northwind Traders. Sales\n%1 Commerce Way Denver CO 80202\nWeb: northwind.example"),
    };
    QStringList texts;
    texts.reserve(count);
    for (int i = 0; i < count; ++i)
        texts.append(shapes[i % shapes.size()].arg(i % 900 + 1));
    return texts;
}

void BM_ParseServiceText(benchmark::State &state)
{
    const QStringList texts = addressTexts(int(state.range(0)));
    // The tables and word lists are read once, as in the application.
    benchmark::DoNotOptimize(parseServiceText(texts.first()));
    for (auto _ : state) {
        for (const QString &text : texts)
            benchmark::DoNotOptimize(parseServiceText(text));
    }
    state.SetItemsProcessed(state.iterations() * texts.size());
    state.counters["per_address"] =
        benchmark::Counter(double(state.iterations() * texts.size()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_ParseServiceText)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
