// How reading and exporting a design grows with the number of its components: designs of 10,000,
// 40,000 and 100,000 small shapes (and of 3,000, 12,000 and 30,000 texts, near the most a design
// the reader takes holds) are written once, then each is read from its file and exported
// to PDF, once in this process and once by the program itself (`parcelwick --export`, its whole run).
// The time per component (us_per_component) stays about the same from the smallest to the largest
// design: 100,000 components take ten to fifteen times what 10,000 do.
#include "BenchSupport.h"

#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/merge/CADocument.h"
#include "kernel/text/CFTAText.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>

namespace {

// Small shapes, or (texts true) short texts of a few letters each.
QString writeDesign(const QTemporaryDir &folder, int components, bool texts)
{
    auto document = std::make_unique<CADocument>(std::make_unique<CFTADocument>(
        dtLabel, CDDString(QStringLiteral("us")), CDDString(QStringLiteral("us"))));
    CFTADocument *kernel = document->ftDocument();
    kernel->setDocumentSizeX(612.0);
    kernel->setDocumentSizeY(792.0);
    for (int i = 0; i < components; ++i) {
        const double x = (i % 100) * 6.0;
        const double y = double((i / 100) % 130) * 6.0;
        if (texts) {
            auto *text = new CFTAText(x, y, 6, 6, nullptr);
            text->SetString(CDDString(QString::number(i % 1000)));
            kernel->AddObject(text, 0, false);
        } else {
            kernel->AddObject(new CFTBoxField(x + 1, y + 1, 4, 4, nullptr), 0, false);
        }
    }
    const QString path = folder.filePath(QStringLiteral("design-%1-%2.pwdc").arg(components).arg(texts));
    QString error;
    if (!document->writeToFile(path, &error))
        return {};
    return path;
}

// Runs one export of the design the state's arguments name (components, texts or shapes) per
// iteration and reports the time per component; false from an export skips the benchmark.
void measure(benchmark::State &state, const std::function<bool(const QString &design, const QTemporaryDir &folder)> &exportOnce)
{
    const int components = int(state.range(0));
    QTemporaryDir folder;
    const QString path = writeDesign(folder, components, state.range(1) != 0);
    if (path.isEmpty()) {
        state.SkipWithError("the design could not be written");
        return;
    }
    double seconds = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        if (!exportOnce(path, folder)) {
            state.SkipWithError("the design could not be read or exported");
            return;
        }
        seconds += clock.nsecsElapsed() / 1e9;
    }
    state.counters["us_per_component"] = 1e6 * seconds / double(state.iterations()) / components;
}

void BM_ReadAndExport(benchmark::State &state)
{
    measure(state, [](const QString &design, const QTemporaryDir &) {
        CADocument document;
        QString error;
        if (!document.readFromFile(design, &error))
            return false;
        const QByteArray pdf = document.PDFDataForComponents(nullptr, 0.0, false, false, false, true, 72.0);
        benchmark::DoNotOptimize(pdf.size());
        return !pdf.isEmpty();
    });
}
BENCHMARK(BM_ReadAndExport)->ArgsProduct({{10000, 40000, 100000}, {0}})->ArgsProduct({{3000, 12000, 30000}, {1}})->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ExportCommand(benchmark::State &state)
{
    measure(state, [](const QString &design, const QTemporaryDir &folder) {
        QProcess program;
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(PW_APPLICATION_PATH),
                      {QStringLiteral("--export"), design, folder.filePath(QStringLiteral("out.pdf"))});
        return program.waitForFinished(-1) && program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0;
    });
}
BENCHMARK(BM_ExportCommand)->ArgsProduct({{10000, 40000, 100000}, {0}})->ArgsProduct({{3000, 12000, 30000}, {1}})->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
