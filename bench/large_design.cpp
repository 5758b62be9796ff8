// A design as large as the reader takes, in the window and out of it: a design of many short
// texts read from its file, saved, and every text nudged at once on the canvas (select all, one
// arrow key) with its undo; and a design of as many distinct shapes as the reader takes,
// read and exported to PDF. The largest of each is the most its kind the reader takes. Each reports the bytes written per component where it writes, and the
// peak resident size the step took (peak_mb). Every step stays within a minute and 2 GB.
#include "BenchSupport.h"

#include "app/canvas/CADocView.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/document/CFTADocumentFileCheck.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/merge/CADocument.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWUndoManager.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// The most texts, and the most shapes, a design the reader takes may hold.
const int kMostTexts = int(CFTADocumentFileCheck::kMostMemory
                           / (CFTADocumentFileCheck::kMemoryPerComponent + CFTADocumentFileCheck::kMemoryPerText));
const int kMostShapes = int(CFTADocumentFileCheck::kMostMemory / CFTADocumentFileCheck::kMemoryPerComponent);

// Texts of a few letters each, or distinct shapes (each of its own size), over a letter page.
std::unique_ptr<CADocument> makeDesign(int components, bool texts)
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
            text->SetString(CDDString(QStringLiteral("T%1").arg(i)));
            kernel->AddObject(text, 0, false);
        } else {
            kernel->AddObject(new CFTBoxField(x + 1, y + 1, 1 + (i % 997) / 250.0, 1 + (i / 997) % 4, nullptr), 0,
                              false);
        }
    }
    return document;
}

QString writeDesign(const QTemporaryDir &folder, int components, bool texts)
{
    const QString path = folder.filePath(QStringLiteral("design-%1-%2.pwdc").arg(components).arg(texts));
    QString error;
    return makeDesign(components, texts)->writeToFile(path, &error) ? path : QString();
}

void reportPeak(benchmark::State &state)
{
    state.counters["peak_mb"] = double(statusKilobytes("VmHWM:")) / 1024.0;
}

void BM_OpenTexts(benchmark::State &state)
{
    QTemporaryDir folder;
    const QString path = writeDesign(folder, int(state.range(0)), true);
    if (path.isEmpty()) {
        state.SkipWithError("the design could not be written");
        return;
    }
    resetPeak();
    for (auto _ : state) {
        CADocument document;
        QString error;
        if (!document.readFromFile(path, &error)) {
            state.SkipWithError(qPrintable(error));
            return;
        }
    }
    reportPeak(state);
}
BENCHMARK(BM_OpenTexts)->Arg(4000)->Arg(15000)->Arg(kMostTexts)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_SaveTexts(benchmark::State &state)
{
    const int components = int(state.range(0));
    QTemporaryDir folder;
    const QString path = writeDesign(folder, components, true);
    CADocument document;
    QString error;
    if (path.isEmpty() || !document.readFromFile(path, &error)) {
        state.SkipWithError("the design could not be written or read");
        return;
    }
    resetPeak();
    QByteArray written;
    for (auto _ : state) {
        if (!document.writeToFile(folder.filePath(QStringLiteral("saved.pwdc")), &error, &written)) {
            state.SkipWithError(qPrintable(error));
            return;
        }
    }
    state.counters["bytes_per_component"] = double(written.size()) / components;
    reportPeak(state);
}
BENCHMARK(BM_SaveTexts)->Arg(4000)->Arg(15000)->Arg(kMostTexts)->Unit(benchmark::kMillisecond)->Iterations(1);

// Select all, one arrow key, then the undo of it, as one iteration.
void BM_NudgeAllTexts(benchmark::State &state)
{
    const int components = int(state.range(0));
    std::unique_ptr<CADocument> document = makeDesign(components, true);
    CADocView view;
    view.setScreenResolution(96.0);
    view.setDocument(document.get());
    view.resize(1200, 800);
    view.show();
    QCoreApplication::processEvents();
    resetPeak();
    for (auto _ : state) {
        view.ftView()->selectAll();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
        QApplication::sendEvent(&view, &press);
        QCoreApplication::processEvents();
        document->undoManager()->undo();
        QCoreApplication::processEvents();
    }
    if (view.ftView()->getSelComponents().size() != std::size_t(components))
        state.SkipWithError("not every text was selected");
    reportPeak(state);
}
BENCHMARK(BM_NudgeAllTexts)->Arg(4000)->Arg(15000)->Arg(kMostTexts)->Unit(benchmark::kMillisecond)->Iterations(1);

// The largest design the reader takes, of distinct shapes, read and exported; and one of as many
// components as the file's count allows, refused at read by its cost (refused 1).
void BM_ExportLargestShapes(benchmark::State &state)
{
    const int components = int(state.range(0));
    QTemporaryDir folder;
    const QString path = writeDesign(folder, components, false);
    if (path.isEmpty()) {
        state.SkipWithError("the design could not be written");
        return;
    }
    resetPeak();
    bool refused = false;
    for (auto _ : state) {
        CADocument document;
        QString error;
        if (!document.readFromFile(path, &error)) {
            refused = true;
            continue;
        }
        const QByteArray pdf = document.PDFDataForComponents(nullptr, 0.0, false, false, false, true, 72.0);
        benchmark::DoNotOptimize(pdf.size());
    }
    state.counters["refused"] = refused ? 1 : 0;
    reportPeak(state);
}
BENCHMARK(BM_ExportLargestShapes)
    ->Arg(kMostShapes)
    ->Arg(int(CFTADocumentFileCheck::kMostComponents))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks<QApplication>(argc, argv);
}
