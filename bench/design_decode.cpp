// What decoding a design's property list costs before any component is made, per value and per
// byte of text: a design of one text whose front side also holds, under a key no reader knows, a
// list of many distinct integers (scalars) or of distinct texts of 64 KiB each (texts), written as
// plain XML (read by our own reader), or as XML with one key in a CDATA section or binary (both read
// through libplist, whose tree is converted into ours). Each is exported by the program (`parcelwick --export`, its whole run) at two sizes below
// the bound the decode weights set, and the slope of its peak resident size between them against
// the values and bytes the file check counts (CFTADocumentFileCheck::costOf) is the cost of one
// value (bytes_per_value) or of one byte (bytes_per_byte). The sizes are a quarter and a half of
// the bound for scalars, an eighth and a quarter for texts: a property list is decoded only up to
// 256 MB of input, less than half the bound's bytes.
//
// Measured on an optimized build without sanitizers, 8 cores (peak MB of the whole run; the
// weights are kMemoryPerValue = 256 and kMemoryPerValueByte = 3):
//
//   list     form             values            MB of text      file MB   peak MB        s          slope
//   scalars  plain XML        1,583,384 / 3,166,804   17 / 33      91     152 / 262  1.0 / 1.4    72 B a value
//   scalars  XML with CDATA   1,583,384 / 3,166,804   17 / 33      91     293 / 544  1.7 / 2.7   166 B a value
//   texts    plain XML            1,310 / 2,508       75 / 150    150     270 / 495  1.0 / 1.7   3.0 B a byte
//   texts    XML with CDATA       1,310 / 2,508       75 / 150    150     344 / 644  1.2 / 2.4   4.0 B a byte
//   texts    binary               1,310 / 2,508       75 / 150    150     344 / 645  1.1 / 2.2   4.0 B a byte
//
// A scalar's slope holds its digits too, which the count weighs as bytes of text (some 11 a value).
// Through libplist a value costs 0.65 of its weight and a byte 1.33 of its weight; the plain XML
// form read by our own reader, 0.28 and 1.0.
#include "BenchSupport.h"

#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTADocumentFileCheck.h"
#include "kernel/merge/CADocument.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWPlist.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <optional>

namespace {

enum List : int { kScalars, kTexts };
// Plain XML is read by our own reader; XML with a key in a CDATA section, and binary, through
// libplist.
enum Form : int { kXml, kXmlCdata, kBinary };

constexpr qsizetype kTextBytes = 64 * 1024;

// The design of one short text, as the program writes it.
std::optional<PWPlist> baseDesign()
{
    auto document = std::make_unique<CADocument>(std::make_unique<CFTADocument>(
        dtLabel, CDDString(QStringLiteral("us")), CDDString(QStringLiteral("us"))));
    CFTADocument *kernel = document->ftDocument();
    kernel->setDocumentSizeX(612.0);
    kernel->setDocumentSizeY(792.0);
    auto *text = new CFTAText(10, 10, 60, 20, nullptr);
    text->SetString(CDDString(QStringLiteral("Decode")));
    kernel->AddObject(text, 0, false);
    return PWPlist::parse(document->documentDataForComponents(nullptr));
}

// The design with count entries of the list under a key of its front side that no reader knows;
// every entry distinct, so that no writer shares one.
QByteArray withList(const PWPlist &design, List list, qsizetype count, Form form)
{
    PWPlist::Array entries;
    entries.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        if (list == kScalars) {
            entries.append(PWPlist::fromInteger(1000000 + i));
        } else {
            QByteArray text = QByteArray::number(i).rightJustified(12, '0');
            text.append(QByteArray(kTextBytes - text.size(), char('a' + i % 26)));
            entries.append(PWPlist::fromString(QString::fromLatin1(text)));
        }
    }
    PWPlist::Dictionary side = design.value(key_FrontSide).toDictionary();
    side.insert(QStringLiteral("Decode Measure"), PWPlist(entries));
    PWPlist::Dictionary whole = design.toDictionary();
    whole.insert(key_FrontSide, PWPlist(side));
    if (form == kBinary)
        return PWPlist(whole).toBinary();
    QByteArray xml = PWPlist(whole).toXml();
    const QByteArray key = "<key>" + key_BundleVersion.toUtf8() + "</key>";
    if (form == kXmlCdata)
        xml.replace(key, "<key><![CDATA[" + key_BundleVersion.toUtf8() + "]]></key>");
    return xml;
}

struct Run {
    CFTADocumentFileCheck::Cost cost;
    double peakMegabytes = 0;
    double seconds = 0;
    double fileMegabytes = 0;
};

// The design with the list grown until the decode's weighed memory is the fraction of the bound,
// exported once by the program; nothing when it is refused or fails.
std::optional<Run> exportAt(const QTemporaryDir &folder, const PWPlist &design, List list, Form form, double fraction)
{
    using namespace CFTADocumentFileCheck;
    const std::optional<Cost> none = costOf(withList(design, list, 0, form));
    const std::optional<Cost> one = costOf(withList(design, list, 1, form));
    if (!none || !one)
        return std::nullopt;
    const qint64 perEntry = std::max<qint64>(1, one->decodeMemory() - none->decodeMemory());
    const qsizetype count = qsizetype((double(kMostMemory) * fraction - double(none->decodeMemory())) / double(perEntry));
    const QString path = folder.filePath(QStringLiteral("decode.pwdc"));
    const QString output = folder.filePath(QStringLiteral("decode.pdf"));
    QFile::remove(output);
    Run run;
    {
        const QByteArray bytes = withList(design, list, count, form);
        const std::optional<Cost> cost = costOf(bytes);
        QFile file(path);
        if (!cost || !file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            return std::nullopt;
        run.cost = *cost;
        run.fileMegabytes = double(bytes.size()) / (1024.0 * 1024.0);
    }
    // The child starts from this process's memory, and its peak counts this process's high-water
    // mark: the file's bytes and the tree they were written from are handed back first.
    resetPeak();
    rusage usage {};
    QElapsedTimer timer;
    timer.start();
    const int status = runApplication({QStringLiteral("--export"), path, output}, &usage);
    run.seconds = double(timer.nsecsElapsed()) / 1e9;
    if (status != 0 || QFileInfo(output).size() == 0)
        return std::nullopt;
    run.peakMegabytes = double(usage.ru_maxrss) / 1024.0;
    return run;
}

// range(0) the list, range(1) the form: the two exports, their peaks and times, and the slope.
void BM_DecodeCost(benchmark::State &state)
{
    const List list = List(state.range(0));
    const Form form = Form(state.range(1));
    const std::optional<PWPlist> design = baseDesign();
    QTemporaryDir folder;
    if (!design || !folder.isValid()) {
        state.SkipWithError("the design could not be made");
        return;
    }
    static const char *const forms[] = {" xml", " xml with cdata", " binary"};
    state.SetLabel(std::string(list == kScalars ? "scalars" : "texts") + forms[form]);
    // The child must not reach a parcelwick the person runs.
    qputenv("PW_INSTANCE_SOCKET", folder.filePath(QStringLiteral("instance")).toLocal8Bit());
    const double small = list == kScalars ? 0.25 : 0.125;
    std::optional<Run> low;
    std::optional<Run> high;
    for (auto _ : state) {
        low = exportAt(folder, *design, list, form, small);
        high = low ? exportAt(folder, *design, list, form, 2 * small) : std::nullopt;
        if (!high) {
            state.SkipWithError("an export failed or was refused");
            return;
        }
        state.SetIterationTime(low->seconds + high->seconds);
    }
    const double grown = (high->peakMegabytes - low->peakMegabytes) * 1024.0 * 1024.0;
    state.counters["values_small"] = double(low->cost.values);
    state.counters["values_large"] = double(high->cost.values);
    state.counters["text_mb_small"] = double(low->cost.valueBytes) / (1024.0 * 1024.0);
    state.counters["text_mb_large"] = double(high->cost.valueBytes) / (1024.0 * 1024.0);
    state.counters["file_mb_large"] = high->fileMegabytes;
    state.counters["peak_mb_small"] = low->peakMegabytes;
    state.counters["peak_mb_large"] = high->peakMegabytes;
    state.counters["s_small"] = low->seconds;
    state.counters["s_large"] = high->seconds;
    if (list == kScalars)
        state.counters["bytes_per_value"] = grown / double(std::max<qint64>(1, high->cost.values - low->cost.values));
    else
        state.counters["bytes_per_byte"] = grown / double(std::max<qint64>(1, high->cost.valueBytes - low->cost.valueBytes));
}
// No binary list of scalars: libplist's writer takes minutes to share millions of them.
BENCHMARK(BM_DecodeCost)
    ->Args({kScalars, kXml})
    ->Args({kScalars, kXmlCdata})
    ->Args({kTexts, kXml})
    ->Args({kTexts, kXmlCdata})
    ->Args({kTexts, kBinary})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
