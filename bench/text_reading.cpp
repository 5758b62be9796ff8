// The reading of a long styled text: a text of many short lines in alternating styles, decoded
// from its keyed archive and put into a component's text, as opening a design does, and laid
// out once. Reading is linear in the text's size, so the time per line stays the same from a
// thousand lines on, past the 262,144 points (about nineteen thousand lines of 10-point type)
// where a document without a page height would turn slow in Qt's layout.
#include "BenchSupport.h"

#include "kernel/render/CDDText.h"
#include "platform/PWAttributedString.h"
#include "platform/PWFont.h"
#include "platform/PWKeyedArchiver.h"
#include "platform/PWKeyedUnarchiver.h"

#include <QTextDocument>

#include <benchmark/benchmark.h>

namespace {

PWAttributedString manyLines(int lines)
{
    QTextCharFormat plain;
    PWFont(QStringLiteral("Helvetica"), 10.0).applyTo(&plain);
    QTextCharFormat bold;
    PWFont(QStringLiteral("Helvetica-Bold"), 12.0).applyTo(&bold);
    QTextBlockFormat left;
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    PWAttributedString text;
    for (int line = 0; line < lines; ++line) {
        const bool odd = line % 2 != 0;
        text.append(QStringLiteral("Line %1 of the text\n").arg(line), odd ? bold : plain, odd ? centred : left);
    }
    return text;
}

void BM_WriteLinesToDocument(benchmark::State &state)
{
    const PWAttributedString text = manyLines(int(state.range(0)));
    for (auto _ : state) {
        QTextDocument document;
        text.writeTo(&document);
        benchmark::DoNotOptimize(document.blockCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ReadLinesIntoText(benchmark::State &state)
{
    const QByteArray archived =
        PWKeyedArchiver::archivedData(manyLines(int(state.range(0))), PWKeyedArchiver::StringClass::TextStorage);
    for (auto _ : state) {
        const std::optional<PWAttributedString> decoded = PWKeyedUnarchiver::unarchiveAttributedString(archived);
        CDDText text;
        text.setAttributedString(*decoded);
        // The text laid out whole, as its first measure or drawing lays it out.
        benchmark::DoNotOptimize(text.getContents()->size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_WriteLinesToDocument)->Arg(1000)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadLinesIntoText)->Arg(1000)->Arg(5000)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
