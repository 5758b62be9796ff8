// The thumbnail catalogue with 5,000 clip-art entries: filling it (only file existence is tested,
// no picture is read) should stay under 50 ms; scrolling it from top to bottom resolves the
// thumbnails of the rows shown, and the pictures held stay bounded by what was drawn lately
// (the counter "held" is the most any step kept).

#include "BenchSupport.h"
#include "app/pictures/CCPictCatalog.h"
#include "app/pictures/CCPictCatalogView.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QScrollBar>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kEntries = 5000;
// Distinct pictures on disk: entries share them by folder, as a category of a library would.
constexpr int kPictures = 250;

struct Library
{
    Library()
    {
        QDir root(dir.path());
        root.mkpath(QStringLiteral("images"));
        root.mkpath(QStringLiteral("thumbs"));
        for (int i = 0; i < kEntries; ++i) {
            const QString name = QStringLiteral("c%1.png").arg(i);
            // Full files are stand-ins (existence is all a fill tests); thumbnails are real.
            QFile full(root.filePath(QStringLiteral("images/") + name));
            if (full.open(QIODevice::WriteOnly))
                full.write("x");
            entries.append({name, QStringLiteral("Picture %1").arg(i)});
        }
        for (int i = 0; i < kEntries; ++i) {
            QImage thumb(64, 64, QImage::Format_RGB32);
            thumb.fill(QColor::fromHsv((i % kPictures) * 360 / kPictures, 180, 230));
            thumb.save(root.filePath(QStringLiteral("thumbs/c%1.jpg").arg(i)), "JPEG", 80);
        }
    }
    QString images() const { return dir.filePath(QStringLiteral("images")); }
    QString thumbs() const { return dir.filePath(QStringLiteral("thumbs")); }

    QTemporaryDir dir;
    QList<CCPictCatalog::Entry> entries;
};

Library &library()
{
    static Library shared;
    return shared;
}

void BM_CatalogueFill5000(benchmark::State &state)
{
    Library &lib = library();
    CCPictCatalog catalog;
    catalog.resolver().setClipArtFolders(lib.images(), lib.thumbs());
    catalog.fitMatrixWithSizeFromOldSizeLiveResize(QSizeF(330, 400), QSizeF(160, 400), false);
    for (auto _ : state) {
        catalog.changeBySearchInFolder(lib.entries, lib.images());
        benchmark::DoNotOptimize(catalog.countImages());
    }
    if (catalog.countImages() != kEntries)
        state.SkipWithError("the catalogue lost entries");
}
BENCHMARK(BM_CatalogueFill5000)->Unit(benchmark::kMillisecond);

void BM_CatalogueScrollLazily(benchmark::State &state)
{
    Library &lib = library();
    CCPictCatalogView view;
    view.resize(330, 400);
    view.show();
    CCPictCatalog *catalog = view.catalog();
    catalog->resolver().setClipArtFolders(lib.images(), lib.thumbs());
    QImage target(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    int held = 0;
    int steps = 0;
    for (auto _ : state) {
        catalog->changeBySearchInFolder(lib.entries, lib.images());
        QScrollBar *bar = view.verticalScrollBar();
        for (int y = 0; y <= bar->maximum(); y += view.viewport()->height()) {
            bar->setValue(y);
            view.viewport()->render(&target);
            held = std::max(held, catalog->loadedCellCount());
            ++steps;
        }
    }
    state.counters["held"] = held;
    state.counters["pages"] = benchmark::Counter(steps, benchmark::Counter::kAvgIterations);
    state.counters["limit"] = catalog->maxLoadedCells();
}
BENCHMARK(BM_CatalogueScrollLazily)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks<QApplication>(argc, argv);
}
