// The design canvas on a busy page: a whole redraw at fit zoom, and one object dragged in 100
// steps, each step followed by the redraw the user sees (frames per second). A redraw should stay
// under 16 ms, one frame of a 60 Hz screen.

#include "BenchSupport.h"
#include "app/canvas/CADocView.h"
#include "kernel/base/CDDColor.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/merge/CADocument.h"
#include "kernel/render/CDDText.h"
#include "kernel/text/CFTAText.h"

#include <QApplication>
#include <QMouseEvent>

#include <benchmark/benchmark.h>


namespace {

constexpr int kComponents = 200;
constexpr int kDragSteps = 100;

// 200 objects over the page in a grid: every third a text, the others filled shapes.
struct BusyCanvas
{
    BusyCanvas()
    {
        CFTADocument *design = document.ftDocument();
        const double width = design->getDocumentSizeX(0);
        const double height = design->getDocumentSizeY(0);
        const int columns = 20;
        const int rows = kComponents / columns;
        const double cellX = width / columns;
        const double cellY = height / rows;
        for (int i = 0; i < kComponents; ++i) {
            const double x = (i % columns) * cellX + 1.0;
            const double y = (i / columns) * cellY + 1.0;
            CFTComponent *component = nullptr;
            if (i % 3 == 0) {
                auto *text = new CFTAText(x, y, cellX - 2.0, cellY - 2.0, nullptr);
                text->GetText()->setString(QStringLiteral("T%1").arg(i), nullptr);
                component = text;
            } else {
                auto *box = new CFTBoxField(x, y, cellX - 2.0, cellY - 2.0, nullptr);
                const CDDColor fill(float(i % 7) / 7.0f, 0.5f, 0.8f, 1.0f);
                box->SetFillColor(&fill);
                box->SetFilled(true);
                component = box;
            }
            design->AddObject(component, 0, false);
            if (!first)
                first = component;
        }
        view.setScreenResolution(96.0);
        view.setDocument(&document);
        view.setZoom(view.fitZoom(QSizeF(1200, 800)));
        view.show();
        QCoreApplication::processEvents();
    }
    void send(QEvent::Type type, const QPoint &at, Qt::MouseButtons buttons)
    {
        QWidget *target = view.viewport();
        QMouseEvent event(type, QPointF(at), target->mapToGlobal(QPointF(at)),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::ControlModifier);
        QApplication::sendEvent(target, &event);
    }

    CADocument document;
    CADocView view;
    CFTComponent *first = nullptr;
};

void BM_CanvasRedrawAtFitZoom(benchmark::State &state)
{
    BusyCanvas canvas;
    for (auto _ : state)
        canvas.view.viewport()->repaint();
    state.counters["components"] = double(canvas.view.ftView()->GetCurrentComponents().size());
    state.counters["zoom"] = canvas.view.zoom();
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CanvasRedrawAtFitZoom)->Unit(benchmark::kMillisecond);

void BM_CanvasDragOneObject100Steps(benchmark::State &state)
{
    BusyCanvas canvas;
    const QRectF frame(canvas.first->GetOriginX(), canvas.first->GetOriginY(), canvas.first->GetSizeX(),
                       canvas.first->GetSizeY());
    const QPoint start = canvas.view.geometry().widgetPoint(frame.center()).toPoint();
    for (auto _ : state) {
        canvas.send(QEvent::MouseButtonPress, start, Qt::LeftButton);
        for (int step = 1; step <= kDragSteps; ++step) {
            canvas.send(QEvent::MouseMove, start + QPoint(step * 2, step), Qt::LeftButton);
            canvas.view.viewport()->repaint();
        }
        const QPoint end = start + QPoint(kDragSteps * 2, kDragSteps);
        canvas.send(QEvent::MouseButtonRelease, end, Qt::NoButton);
        // Back where it started for the next round, outside the measurement.
        state.PauseTiming();
        canvas.first->SetOrigin(frame.x(), frame.y());
        state.ResumeTiming();
    }
    state.counters["fps"] = benchmark::Counter(double(state.iterations()) * kDragSteps, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CanvasDragOneObject100Steps)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks<QApplication>(argc, argv);
}
