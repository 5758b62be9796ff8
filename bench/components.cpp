// A design of 500 components (every shape kind, separators, some turned, mirrored and shadowed):
// saved as a component list to an XML property list and loaded back; and picking the topmost
// component under a point among the 500, as the editing view does on every click.
#include "BenchSupport.h"

#include "kernel/drawing/CFTBoxField.h"
#include "kernel/drawing/CFTSeparator.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/component/CFTACoreDoc.h"


#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kComponents = 500;

class BenchDoc : public CFTACoreDoc
{
public:
    int getXSnapArrayFrom(std::span<float>) const override { return 0; }
    int getYSnapArrayFrom(std::span<float>) const override { return 0; }
    int getXSnapArrayTo(std::span<float>) const override { return 0; }
    int getYSnapArrayTo(std::span<float>) const override { return 0; }
    float getMinSnapYTo() const override { return 0; }
    float getMaxSnapYTo() const override { return 0; }
    float getMinSnapXTo() const override { return 0; }
    float getMaxSnapXTo() const override { return 0; }
    float getMinSnapYFrom() const override { return 0; }
    float getMaxSnapYFrom() const override { return 0; }
    float getMinSnapXFrom() const override { return 0; }
    float getMaxSnapXFrom() const override { return 0; }
    std::vector<CDDWrappingPath *> GetIntersectPathForRect(const QRectF &, double, double, double, double, double,
                                                           const void *, textWrap) const override
    {
        return {};
    }
};

// 500 components on a 25 x 20 grid of 24-point cells over a 600 x 480 point page.
void fill(CFTACoreDoc &doc)
{
    doc.getDefBox()->Init();
    for (int i = 0; i < kComponents; ++i) {
        const double x = (i % 25) * 24.0;
        const double y = (i / 25) * 24.0;
        if (i % 10 == 9) {
            doc.AddObject(new CFTSeparator(x + 2, y + 10, 20, 0, doc.getDefBox()), 0, false);
            continue;
        }
        auto *shape = new CFTBoxField(x + 2, y + 2, 20, 20, doc.getDefBox());
        shape->setType(i % 33 == 0 ? ctRect : compType(ctRectTriangleLeft + i % 32));
        shape->SetAngle((i % 7) * 0.2);
        shape->setFlipX(i % 3 == 0);
        if (i % 5 == 0)
            shape->SetDefaultShadow(true);
        doc.AddObject(shape, 0, false);
    }
}

QByteArray save(CFTACoreDoc &doc)
{
    CDDArchive archive(true);
    archive.SetData(key_BundleVersion);
    CFTACoreDoc::SerializeComponents(archive, doc.GetComponentsPtr(0, false), false);
    return archive.getDict().toXml();
}

void BM_SaveDesign500(benchmark::State &state)
{
    BenchDoc doc;
    fill(doc);
    qint64 bytes = 0;
    for (auto _ : state) {
        const QByteArray xml = save(doc);
        bytes = xml.size();
        benchmark::DoNotOptimize(xml.data());
    }
    state.counters["bytes"] = double(bytes);
}

void BM_LoadDesign500(benchmark::State &state)
{
    BenchDoc original;
    fill(original);
    const QByteArray xml = save(original);
    for (auto _ : state) {
        BenchDoc doc;
        CDDArchive archive(false);
        archive.Attach(*PWPlist::parse(xml));
        int version = 0;
        archive.GetData(key_BundleVersion, &version, CDDRanges::kInt);
        archive.setBundleVersion(version);
        CFTACoreDoc::SerializeComponents(archive, doc.GetComponentsPtr(0, false), false);
        if (doc.GetComponents(0, false).size() != size_t(kComponents))
            state.SkipWithError("not every component was loaded");
    }
}

// The view asks the components front to back and takes the first that answers.
void BM_Pick500(benchmark::State &state)
{
    BenchDoc doc;
    fill(doc);
    const std::vector<CFTComponent *> &list = doc.GetComponents(0, false);
    int point = 0;
    int hits = 0;
    for (auto _ : state) {
        const double x = (point * 37) % 600 + 0.5;
        const double y = (point * 53) % 480 + 0.5;
        ++point;
        CFTComponent *found = nullptr;
        for (auto it = list.rbegin(); it != list.rend() && !found; ++it) {
            bool selected = false;
            actionType action = actionNone;
            found = (*it)->PickMe(x, y, selected, 3.0, action, 0);
        }
        hits += found ? 1 : 0;
        benchmark::DoNotOptimize(found);
    }
    state.counters["hit rate"] = benchmark::Counter(double(hits), benchmark::Counter::kAvgIterations);
}

BENCHMARK(BM_SaveDesign500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadDesign500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pick500)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
