// Typing into the template chooser's search field over the whole label catalogue: every keystroke
// filters the list again, refills the table and selects the first ID the text starts.

#include "BenchSupport.h"
#include "kernel/merge/CADocument.h"
#include "app/printing/CASheetController.h"
#include "kernel/printing/CATemplateFormat.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>

#include <benchmark/benchmark.h>


namespace {

void typeSixCharacters(benchmark::State &state, const QString &text)
{
    CADocument document;
    CASheetController *sheet = CASheetController::create(dtLabel, nullptr);
    sheet->setupFromDocument(&document);
    // Every category, so that the whole catalogue is searched.
    sheet->selectCategory(QStringLiteral("All"));
    sheet->window()->show();
    QLineEdit *search = sheet->window()->findChild<QLineEdit *>(QStringLiteral("_search"));
    const qsizetype catalogue = CATemplateFormat::predefLayouts(dtLabel)->size();
    for (auto _ : state) {
        state.PauseTiming();
        search->clear();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        for (qsizetype i = 1; i <= text.size(); ++i) {
            search->setText(text.left(i));
            // What the user sees: the table laid out and painted again.
            QCoreApplication::processEvents();
        }
    }
    // Seconds per keystroke.
    state.counters["per_keystroke"] = benchmark::Counter(
        double(text.size()), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["catalogue"] = double(catalogue);
    state.counters["listed"] = double(sheet->filteredLayouts().size());
    delete sheet->window();
}

void BM_TypeIntoChooserWideMatch(benchmark::State &state)
{
    typeSixCharacters(state, QStringLiteral("Labels"));
}
BENCHMARK(BM_TypeIntoChooserWideMatch)->Unit(benchmark::kMillisecond);

void BM_TypeIntoChooserIdSearch(benchmark::State &state)
{
    typeSixCharacters(state, QStringLiteral("05960x"));
}
BENCHMARK(BM_TypeIntoChooserIdSearch)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks<QApplication>(argc, argv);
}
