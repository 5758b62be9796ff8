// The editing view over a design of 1,000 shapes (some turned): picking the object under the mouse,
// one snapping drag step of one object, and a whole gesture that moves 100 selected objects in
// 100 mouse steps with snapping on. The gesture checks that all 100 moved together.
#include "BenchSupport.h"

#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/component/CFTDocumentController.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int kComponents = 1000;
constexpr int kColumns = 40;
constexpr double kCell = 30.0;

// 1,000 filled 20-point shapes on a 40 x 25 grid of 30-point cells; every seventh one turned.
struct EditedDesign
{
    EditedDesign()
    {
        auto *document = new CFTADocument();
        document->setDocumentSizeX(kColumns * kCell + 20);
        document->setDocumentSizeY(kComponents / kColumns * kCell + 20);
        for (int i = 0; i < kComponents; ++i) {
            auto *shape = new CFTBoxField(10 + (i % kColumns) * kCell, 10 + (i / kColumns) * kCell, 20, 20, nullptr);
            shape->SetFilled(true);
            if (i % 7 == 0)
                shape->SetAngle(0.3);
            document->AddObject(shape, 0, false);
        }
        controller.AddDocument(std::unique_ptr<CFTACoreDoc>(document));
        view = std::make_unique<CFTAView>(&controller);
        view->SetResolution(2.0);
    }
    const std::vector<CFTComponent *> &list() const { return view->GetCurrentComponents(); }

    CFTDocumentController controller;
    std::unique_ptr<CFTAView> view;
};

// Points spread over the page, on shapes, between them and in their corners.
void BM_PickAmong1000(benchmark::State &state)
{
    EditedDesign design;
    int hits = 0, picks = 0;
    for (auto _ : state) {
        const double x = 10 + std::fmod(picks * 7.3, kColumns * kCell);
        const double y = 10 + std::fmod(picks * 3.1, kComponents / kColumns * kCell);
        bool selected = false;
        actionType action = actionNone;
        CFTComponent *hit = design.view->PickObject(x, y, selected, action, 0);
        hits += hit ? 1 : 0;
        ++picks;
        benchmark::DoNotOptimize(hit);
    }
    state.counters["hit rate"] = benchmark::Counter(double(hits) / std::max(picks, 1));
}

// One drag step of one shape: the snap tables refilled from 1,000 objects and searched.
void BM_SnapStepAmong1000(benchmark::State &state)
{
    EditedDesign design;
    CFTAView &view = *design.view;
    CFTComponent *moved = design.list()[kColumns * 12 + 20];
    const double startX = moved->GetOriginX() + 10, startY = moved->GetOriginY() + 10;
    view.MouseLDown(startX, startY, {});
    long steps = 0, snapped = 0;
    for (auto _ : state) {
        // Back and forth across the neighbouring cells so that some steps snap and some do not.
        const double offset = 4.0 * std::sin(double(steps) * 0.37) * kCell / 4.0;
        const int result = view.MouseMove(startX + offset, startY + offset / 3.0, {});
        snapped += (result & mouseRedrawSnapGuides) ? 1 : 0;
        ++steps;
    }
    view.MouseUp(startX, startY, {});
    state.counters["snapped"] = benchmark::Counter(double(snapped) / std::max(steps, 1L));
}

// Press on one of 100 selected shapes, 100 mouse steps, release; the drag alternates direction so
// that the shapes stay on the page.
void BM_Move100SelectedIn100Steps(benchmark::State &state)
{
    EditedDesign design;
    CFTAView &view = *design.view;
    std::vector<CFTComponent *> selection;
    for (int i = 0; i < 100; ++i)
        selection.push_back(design.list()[(i / 10 + 5) * kColumns + i % 10 + 10]);
    CFTComponent *pressed = selection[45];
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        view.deselectAll();
        for (CFTComponent *component : selection)
            view.select(component);
        std::vector<QPointF> before;
        for (const CFTComponent *component : selection)
            before.emplace_back(component->GetOriginX(), component->GetOriginY());
        const double direction = round % 2 == 0 ? 1.0 : -1.0;
        const double x = pressed->GetOriginX() + 10, y = pressed->GetOriginY() + 10;
        state.ResumeTiming();

        view.MouseLDown(x, y, {});
        for (int step = 1; step <= 100; ++step)
            view.MouseMove(x + direction * step * 0.93, y + direction * step * 0.41, {});
        view.MouseUp(x + direction * 93, y + direction * 41, {});

        state.PauseTiming();
        const QPointF shift(pressed->GetOriginX() - before[45].x(), pressed->GetOriginY() - before[45].y());
        bool together = view.getSelComponents().size() == selection.size() && std::abs(shift.x()) > 50;
        for (std::size_t i = 0; i < selection.size() && together; ++i) {
            const QPointF moved(selection[i]->GetOriginX() - before[i].x(), selection[i]->GetOriginY() - before[i].y());
            together = std::abs(moved.x() - shift.x()) < 1e-6 && std::abs(moved.y() - shift.y()) < 1e-6;
        }
        if (!together) {
            state.SkipWithError("the selection did not move as one");
            break;
        }
        ++round;
        state.ResumeTiming();
    }
}

BENCHMARK(BM_PickAmong1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SnapStepAmong1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Move100SelectedIn100Steps)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
