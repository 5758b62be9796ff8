// A contact helper's answer arriving in pipe-sized chunks without a line feed: each byte is
// searched once, so the time grows with the answer's size, not with its square (searching the
// pending bytes from their start for every chunk took 40 s for 256 MB).
#include "BenchSupport.h"

#include "app/contacts/CAHelperAnswer.h"

#include <benchmark/benchmark.h>

namespace {

void BM_HelperAnswerWithoutLineFeed(benchmark::State &state)
{
    constexpr qsizetype kChunk = 64 * 1024;
    const qsizetype total = qsizetype(state.range(0)) * 1024 * 1024;
    const QByteArray chunk(kChunk, 'x');
    CAHelperAnswer::Limits limits;
    limits.maxBytes = total;
    for (auto _ : state) {
        CAHelperAnswer answer(limits);
        for (qsizetype fed = 0; fed < total; fed += kChunk)
            answer.feed(chunk);
        answer.finish();
        benchmark::DoNotOptimize(answer.unreadLines());
    }
    state.SetBytesProcessed(state.iterations() * total);
}

} // namespace

BENCHMARK(BM_HelperAnswerWithoutLineFeed)->Arg(8)->Arg(32)->Arg(64)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    BenchEnvironment<> environment(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
