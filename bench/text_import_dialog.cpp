// The text import dialog stepping through the records of a wide file (a spreadsheet export with
// hundreds or a thousand columns): each step fills the table's rows, one per column, again. One
// iteration is one step; the steps go forward and back over the records.
#include "BenchSupport.h"

#include "app/contacts/CAContactImportHooks.h"
#include "app/contacts/CADelimitedText.h"
#include "app/contacts/CATextImportDialog.h"

#include <QApplication>
#include <QPushButton>

namespace {

constexpr int kRecords = 8;

QByteArray wideFile(int columns)
{
    QByteArray bytes;
    for (int column = 0; column < columns; ++column)
        bytes += (column == 0 ? "First Name" : column == 1 ? ",Last Name" : ",Column " + QByteArray::number(column));
    bytes += "\r\n";
    for (int record = 0; record < kRecords; ++record) {
        for (int column = 0; column < columns; ++column)
            bytes += (column > 0 ? "," : "") + QByteArray("value ") + QByteArray::number(record * columns + column);
        bytes += "\r\n";
    }
    return bytes;
}

void BM_StepThroughRecords(benchmark::State &state)
{
    const int columns = int(state.range(0));
    CADelimitedText text(wideFile(columns));
    CATextImportOptions options;
    options.showDialog = true;
    CATextImportDialog dialog;
    dialog.prepare(text, options);
    auto *next = dialog.findChild<QPushButton *>(QStringLiteral("_nextRecord"));
    auto *previous = dialog.findChild<QPushButton *>(QStringLiteral("_prevRecord"));
    if (!next || !previous || text.fieldsCount() != columns) {
        state.SkipWithError("the dialog shows no such file");
        return;
    }
    bool forward = true;
    for (auto _ : state) {
        if (forward && !next->isEnabled())
            forward = false;
        else if (!forward && !previous->isEnabled())
            forward = true;
        (forward ? next : previous)->click();
    }
    dialog.finish();
    state.counters["columns"] = columns;
}
BENCHMARK(BM_StepThroughRecords)->Arg(64)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks<QApplication>(argc, argv);
}
