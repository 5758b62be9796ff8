// A keyword search of the clip-art pane over a collection of 10,000 pictures: the exact query,
// the near (prefix) query, the sorting of both and the merge, as the pane runs them. The
// index is built by the swish-e program before the first measurement. Target: under 20 ms.

#include "BenchSupport.h"

#include "app/pictures/CCPictBrowserView.h"
#include "app/pictures/CCSwishIndexer.h"

#include "../tools/clipart/SwishIndexBuilder.h"

#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

constexpr int kDocuments = 10000;

struct Collection
{
    QTemporaryDir folder;
    std::unique_ptr<CCSwishIndexer> indexer;
};

Collection *collection()
{
    static Collection *made = [] {
        auto *result = new Collection;
        static const char *const nouns[] = {"cat", "car", "cart", "carrot", "card", "tree", "star", "gift", "apple", "boat",
                                            "bell", "bird", "fish", "moon", "sun", "leaf", "frame", "border", "cake", "cup",
                                            "train", "plane", "globe", "map", "clock", "lamp", "pencil", "folder", "trophy", "medal"};
        static const char *const colours[] = {"red", "blue", "green", "orange", "purple", "yellow", "black", "white"};
        static const char *const formats[] = {"png", "jpg", "pdf", "hpi"};
        std::vector<SwishDocument> documents;
        documents.reserve(kDocuments);
        for (int i = 0; i < kDocuments; ++i) {
            const QByteArray noun = nouns[i % std::size(nouns)];
            const QByteArray colour = colours[(i / std::size(nouns)) % std::size(colours)];
            const QByteArray caption = colour + ' ' + noun + ' ' + QByteArray::number(i);
            documents.push_back({noun + '-' + QByteArray::number(i) + '.' + formats[i % 4] + ',' + caption,
                                 caption + " picture item" + QByteArray::number(i % 97) + " group" + QByteArray::number(i % 13)});
        }
        const QString path = result->folder.filePath(QStringLiteral("clipart.idx"));
        QString error;
        if (!buildSwishIndex(QStringLiteral(PW_SWISHE_PROGRAM), path, documents, &error))
            std::fprintf(stderr, "clipart_query: no index: %s\n", qPrintable(error));
        else
            result->indexer = CCSwishIndexer::open(path);
        return result;
    }();
    return made;
}

void search(benchmark::State &state, const QString &keywords)
{
    CCSwishIndexer *indexer = collection()->indexer.get();
    if (!indexer) {
        state.SkipWithError("the index could not be built");
        return;
    }
    qsizetype found = 0;
    for (auto _ : state) {
        QList<CCPictCatalog::Entry> hits = CCPictBrowserView::pathsForKeywords(indexer, keywords);
        found = hits.size();
        benchmark::DoNotOptimize(hits);
    }
    state.counters["hits"] = double(found);
}

// A word with about 330 exact hits and three times as many near ones (car, cart, carrot, card).
void BM_ClipArtKeywordSearch(benchmark::State &state)
{
    search(state, QStringLiteral("car"));
}
BENCHMARK(BM_ClipArtKeywordSearch)->Unit(benchmark::kMillisecond);

// Two words, both required.
void BM_ClipArtTwoWordSearch(benchmark::State &state)
{
    search(state, QStringLiteral("red star"));
}
BENCHMARK(BM_ClipArtTwoWordSearch)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
