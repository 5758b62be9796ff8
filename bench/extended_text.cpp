// Loading an old design's extended texts: 50 of them, 2,000 characters each, every one split
// over three linked blocks and turned into plain address texts.
#include "BenchSupport.h"

#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/component/CFTComponent.h"
#include "platform/PWKeyedArchiver.h"
#include "platform/PWPlist.h"

#include <benchmark/benchmark.h>

namespace {

using namespace Qt::StringLiterals;

PWPlist blockEntry(double x, double y)
{
    return PWPlist(PWPlist::Dictionary {{key_ClassID, PWPlist::fromString(u"Extended Text Block"_s)},
                                        {key_Bounds, PWPlist::fromString(u"{{%1, %2}, {200, 150}}"_s.arg(x).arg(y))}});
}

PWPlist extendedText(int index)
{
    QString text;
    for (int word = 0; text.size() < 2000; ++word)
        text += (word % 12 == 11) ? u"paragraph\n"_s : u"word%1 "_s.arg(word);
    text.truncate(2000);
    QTextCharFormat format;
    format.setFontFamilies({u"DejaVu Sans"_s});
    format.setFontPointSize(10.0);
    const QByteArray storage = PWKeyedArchiver::archivedData(PWAttributedString(text, format),
                                                             PWKeyedArchiver::StringClass::TextStorage);
    return PWPlist(PWPlist::Dictionary {
        {key_ClassID, PWPlist::fromString(u"Extended Text"_s)},
        {key_Bounds, PWPlist::fromString(u"{{%1, 10}, {400, 400}}"_s.arg(index))},
        {key_TextStorage2, PWPlist::fromData(storage)},
        {key_Blocks, PWPlist(PWPlist::Array {blockEntry(0, 0), blockEntry(0, 200), blockEntry(220, 0)})}});
}

void BM_ConvertExtendedTexts50(benchmark::State &state)
{
    std::vector<PWPlist> entries;
    for (int i = 0; i < 50; ++i)
        entries.push_back(extendedText(i));
    std::size_t made = 0;
    for (auto _ : state) {
        std::vector<CFTComponent *> list;
        for (const PWPlist &entry : entries) {
            CDDArchive archive(false);
            archive.Attach(entry);
            CFTComponent::SerializeFromArchive(archive, &list, nullptr);
        }
        made = list.size();
        for (CFTComponent *component : list)
            delete component;
    }
    state.counters["components"] = double(made);
}

BENCHMARK(BM_ConvertExtendedTexts50)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
