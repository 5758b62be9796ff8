// Internet search results in the clip-art catalogue: a hundred thumbnails of a size the service
// chooses, each kept reduced to the cell. Reports the picture bytes the catalogue keeps, which
// stays at a hundred cells' worth however large the thumbnails sent are (5600 pixels square kept
// whole came to about 12 GB for a hundred).
#include "BenchSupport.h"

#include "app/pictures/CCPictCatalog.h"
#include "platform/PWImage.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QUrl>

#include <benchmark/benchmark.h>

namespace {

QByteArray jpeg(int side)
{
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(QColor(40, 120, 200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 60);
    return bytes;
}

void BM_SearchThumbnailsKept(benchmark::State &state)
{
    constexpr int kResults = 100;
    const int side = int(state.range(0));
    const QByteArray thumbnail = jpeg(side);
    qint64 kept = 0;
    for (auto _ : state) {
        CCPictCatalog catalog;
        catalog.prepareMatrixWithSender({kResults, 0});
        kept = 0;
        for (int i = 0; i < kResults; ++i) {
            // A name of its own per round, so that no round finds the last one's pictures.
            const QUrl address(QStringLiteral("http://example.org/%1/%2.jpg").arg(state.iterations()).arg(i));
            catalog.dynamicAddImageWithGoogleSearchItem({kResults, i}, {address, QStringLiteral("http://example.org/"), thumbnail});
            const CCPictCell *cell = catalog.cellAtRowColumn(i / catalog.numberOfColumns(), i % catalog.numberOfColumns());
            if (cell && cell->image())
                kept += qint64(cell->image()->pixelSize().width()) * cell->image()->pixelSize().height() * 4;
        }
        benchmark::DoNotOptimize(kept);
    }
    state.counters["sent_side_px"] = side;
    state.counters["kept_MB"] = double(kept) / (1024 * 1024);
    state.counters["full_size_MB"] = double(qint64(side) * side * 4 * kResults) / (1024 * 1024);
}

} // namespace

BENCHMARK(BM_SearchThumbnailsKept)->Arg(200)->Arg(2800)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char **argv)
{
    BenchEnvironment<QApplication> environment(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
