// What a document window spends after each step weighing its design: the bytes a save would write,
// counted as a reader counts a file (CADocument::costAsSaved). Designs of short texts, of texts as
// long as a text is laid out, and of shapes, each at a tenth, a half and the whole of what a window
// keeps (range(1) in percent); the step waits this long before the next one is taken.
#include "BenchSupport.h"

#include "kernel/base/CDDColor.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTADocumentFileCheck.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/merge/CADocument.h"
#include "kernel/text/CFTAText.h"

#include <algorithm>
#include <memory>

namespace {

enum Kind : int { kTexts, kLongTexts, kShapes };

void addUnit(CFTADocument &kernel, Kind kind, int i)
{
    const double x = (i % 100) * 6.0;
    const double y = double((i / 100) % 130) * 6.0;
    switch (kind) {
    case kTexts:
    case kLongTexts: {
        auto *text = new CFTAText(x, y, 6, 6, nullptr);
        text->SetString(kind == kTexts ? CDDString(QStringLiteral("T%1").arg(i))
                                       : CDDString(QString(int(CFTADocumentFileCheck::kMostBytesLaidOut),
                                                           QLatin1Char('a' + i % 26))));
        kernel.AddObject(text, 0, false);
        break;
    }
    case kShapes: {
        auto *box = new CFTBoxField(x + 1, y + 1, 1 + (i % 997) / 250.0, 1 + (i / 997) % 4, nullptr);
        const CDDColor fill(float(i % 256) / 255.0f, float((i / 256) % 256) / 255.0f, 0.5f, 1.0f);
        box->SetFillColor(&fill);
        kernel.AddObject(box, 0, false);
        break;
    }
    }
}

std::unique_ptr<CADocument> makeDesign(Kind kind, int units)
{
    auto document = std::make_unique<CADocument>();
    for (int i = 0; i < units; ++i)
        addUnit(*document->ftDocument(), kind, i);
    return document;
}

// The most units of the kind a window keeps, told by the weights from designs of none and of one.
int mostUnits(Kind kind)
{
    using namespace CFTADocumentFileCheck;
    const auto cost = [kind](int units) { return makeDesign(kind, units)->costAsSaved().value_or(Cost()); };
    const Cost none = cost(0);
    const Cost one = cost(1);
    const qint64 byMemory =
        (kWindowBounds.memory - none.memory()) / std::max<qint64>(1, one.memory() - none.memory());
    const qint64 byTime = (kWindowBounds.seconds * 1000000 - none.microseconds())
                          / std::max<qint64>(1, one.microseconds() - none.microseconds());
    return int(std::min(byMemory, byTime));
}

void BM_WeighAfterStep(benchmark::State &state)
{
    const Kind kind = Kind(state.range(0));
    const int units = std::max(1, int(qint64(mostUnits(kind)) * state.range(1) / 100));
    const std::unique_ptr<CADocument> design = makeDesign(kind, units);
    for (auto _ : state) {
        const auto cost = design->costAsSaved();
        if (!cost) {
            state.SkipWithError("the design wrote no property list");
            return;
        }
        benchmark::DoNotOptimize(cost->memory());
    }
    static const char *const names[] = {"short texts", "long texts", "shapes"};
    state.SetLabel(names[kind]);
    state.counters["units"] = units;
}
BENCHMARK(BM_WeighAfterStep)
    ->ArgsProduct({{kTexts, kLongTexts, kShapes}, {10, 50, 100}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
