// A custom folder of 5,000 pictures (in 50 sub-folders, with some files that are no pictures)
// listed into the thumbnail catalogue the way the folder pane lists it: the walk, the picture
// filter and the fill, which tests only that each file exists. The counter "heap_kb" is the heap
// the filled catalogue holds (allocated bytes in use after the first fill, less before it);
// "pictures" what was listed.

#include "BenchSupport.h"
#include "app/pictures/CCPictCatalog.h"
#include "app/pictures/CCPictFolderListing.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <malloc.h>

namespace {

constexpr int kPictures = 5000;
constexpr int kFolders = 50;

double heapInUseKilobytes()
{
    return double(mallinfo2().uordblks) / 1024.0;
}

struct Folder
{
    Folder()
    {
        QImage picture(48, 48, QImage::Format_RGB32);
        picture.fill(Qt::darkYellow);
        QByteArray png;
        {
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            picture.save(&buffer, "PNG");
        }
        QDir root(dir.path());
        for (int i = 0; i < kPictures; ++i) {
            const QString sub = QStringLiteral("album%1").arg(i % kFolders);
            root.mkpath(sub);
            QFile file(root.filePath(sub + QStringLiteral("/Photo %1.%2").arg(i).arg(i % 3 == 0 ? QStringLiteral("JPG") : QStringLiteral("png"))));
            if (file.open(QIODevice::WriteOnly))
                file.write(png);
            if (i % 100 == 0) {
                QFile note(root.filePath(sub + QStringLiteral("/notes %1.txt").arg(i)));
                if (note.open(QIODevice::WriteOnly))
                    note.write("not a picture");
            }
        }
    }
    QTemporaryDir dir;
};

Folder &folder()
{
    static Folder shared;
    return shared;
}

void BM_ListFolderIntoCatalogue(benchmark::State &state)
{
    Folder &pictures = folder();
    CCPictCatalog catalog;
    catalog.fitMatrixWithSizeFromOldSizeLiveResize(QSizeF(330, 400), QSizeF(160, 400), false);
    const double before = heapInUseKilobytes();
    double held = -1;
    for (auto _ : state) {
        {
            const CCPictFolderListing::Listing listing = CCPictFolderListing::listFolder(pictures.dir.path(), true);
            catalog.changeBySearchInFolder(listing.entries, pictures.dir.path());
        }
        if (held < 0)
            held = heapInUseKilobytes() - before;
        benchmark::DoNotOptimize(catalog.countImages());
    }
    if (catalog.countImages() != kPictures)
        state.SkipWithError("the catalogue does not hold every picture");
    state.counters["pictures"] = catalog.countImages();
    state.counters["heap_kb"] = held;
}
BENCHMARK(BM_ListFolderIntoCatalogue)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks<QApplication>(argc, argv);
}
