// The memory of saving a large design: a label holding nine photographs of noise (pictures
// that do not compress), about 55 MB as a file. Reports the most the process held while saving,
// above what it held before, in megabytes and as a multiple of the file's size
// (peak_per_file_size): a save stays below ten times its file.
#include "BenchSupport.h"

#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTPicture.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWImage.h"

#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kPictures = 9;
constexpr int kSide = 1000;

std::unique_ptr<CADocument> largeDesign()
{
    auto document = std::make_unique<CADocument>(std::make_unique<CFTADocument>(
        dtLabel, CDDString(QStringLiteral("us")), CDDString(QStringLiteral("us"))));
    CFTADocument *kernel = document->ftDocument();
    kernel->setDocumentSizeX(612.0);
    kernel->setDocumentSizeY(792.0);
    quint32 state = 11;
    for (int i = 0; i < kPictures; ++i) {
        QImage noise(kSide, kSide, QImage::Format_RGB32);
        for (int y = 0; y < kSide; ++y) {
            auto *line = reinterpret_cast<quint32 *>(noise.scanLine(y));
            for (int x = 0; x < kSide; ++x) {
                state = state * 1664525u + 1013904223u;
                line[x] = 0xFF000000u | (state >> 8);
            }
        }
        auto *picture = new CFTPicture(CDDPicture(PWImage::fromQImage(noise)));
        picture->SetOrigin(10.0 + 40.0 * i, 10.0);
        picture->SetSize(36.0, 36.0);
        kernel->AddObject(picture, 0, false);
    }
    return document;
}

void BM_SaveLargeDesignMemory(benchmark::State &state)
{
    const std::unique_ptr<CADocument> design = largeDesign();
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("large.pwdc"));
    qint64 peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        resetPeak();
        const qint64 before = statusKilobytes("VmRSS:") * 1024;
        state.ResumeTiming();
        QString error;
        if (!design->writeToFile(path, &error))
            state.SkipWithError(qPrintable(error));
        peak = std::max(peak, statusKilobytes("VmHWM:") * 1024 - before);
    }
    const qint64 fileSize = QFileInfo(path).size();
    state.counters["file_MB"] = double(fileSize) / (1024 * 1024);
    state.counters["peak_MB"] = double(peak) / (1024 * 1024);
    state.counters["peak_per_file_size"] = fileSize > 0 ? double(peak) / double(fileSize) : 0.0;
}
BENCHMARK(BM_SaveLargeDesignMemory)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
