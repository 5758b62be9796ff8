// A batch print as a person runs it on a server: the release build of parcelwick started as a
// process of its own with --print, --contacts and --output, from the start of the process to its
// exit. Reports the wall time and the child's own peak resident set size, and fails when the
// program does not end with status 0 and a PDF file. BM_BatchPrintLargeDesign prints a few
// persons with a design of many small boxes besides its address panel: the memory of a job whose
// every label copy is large.
#include "BenchSupport.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/merge/CADocument.h"
#include "kernel/printing/CAEnvironmentLayout.h"
#include "kernel/printing/CATemplateFormat.h"
#include "platform/PWPerson.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <vector>

extern char **environ;

namespace {

QByteArray vCards(int count)
{
    QByteArray bytes;
    bytes.reserve(count * 160);
    for (int i = 0; i < count; ++i) {
        bytes += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Person" + QByteArray::number(i) + ";Alex;;;\r\nFN:Alex Person" +
                 QByteArray::number(i) + "\r\nADR;TYPE=WORK:;;" + QByteArray::number(100 + i) +
                 " Main St;Springfield;IL;62701;USA\r\nEND:VCARD\r\n";
    }
    return bytes;
}

// The design: the default 30-up sheet with a recipient address panel and boxes small boxes.
bool writeDesign(const QString &path, int boxes = 0)
{
    CAEnvironment::setDefaultCountry(QStringLiteral("us"));
    CADocument::setDefaultSenderSource([] { return std::shared_ptr<PWPerson>(); });
    const std::shared_ptr<CATemplateFormat> layout = defaultLayout(0);
    if (!layout)
        return false;
    CADocument document;
    document.setLayoutArangeComponents(*layout, false);
    const std::unique_ptr<CAddressFormat> format =
        CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
            QStringLiteral("Name+Company"), QStringLiteral("us"), true, CAddressFormatController::kBarcodeBelow);
    auto panel = std::make_unique<CFTAAddressPanel>(true, format.get(), nullptr, false);
    panel->SetOrigin(8.0, 6.0);
    document.ftDocument()->AddObject(panel.release(), 0, false);
    // Straight into the side's list, which owns them: AddObject looks through the whole list for
    // each one it adds, as an edit of a few components may.
    std::vector<CFTComponent *> *components = document.ftDocument()->GetComponentsPtr(0, false);
    components->reserve(components->size() + std::size_t(boxes));
    for (int i = 0; i < boxes; ++i)
        components->push_back(new CFTBoxField(1.0 + (i % 10) * 0.2, 1.0, 0.5, 0.5, nullptr));
    return document.writeToFile(path);
}

void BM_BatchPrintProcess(benchmark::State &state)
{
    const int persons = int(state.range(0));
    QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/pw-bench-batch-XXXXXX"));
    const QString design = folder.filePath(QStringLiteral("design.pwdc"));
    const QString contacts = folder.filePath(QStringLiteral("persons.vcf"));
    const QString output = folder.filePath(QStringLiteral("out.pdf"));
    QFile cards(contacts);
    if (!writeDesign(design) || !cards.open(QIODevice::WriteOnly) || cards.write(vCards(persons)) < 0) {
        state.SkipWithError("the design or the persons could not be written");
        return;
    }
    cards.close();
    // The child must not reach a parcelwick the person runs, whatever it does.
    qputenv("PW_INSTANCE_SOCKET", folder.filePath(QStringLiteral("instance")).toLocal8Bit());
    long peakKilobytes = 0;
    for (auto _ : state) {
        QFile::remove(output);
        rusage usage{};
        QElapsedTimer timer;
        timer.start();
        const int status = runApplication({QStringLiteral("--print"), design, QStringLiteral("--contacts"), contacts,
                                     QStringLiteral("--output"), output},
                                    &usage);
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        if (status != 0 || QFileInfo(output).size() == 0) {
            state.SkipWithError("the batch print failed");
            return;
        }
        peakKilobytes = std::max(peakKilobytes, long(usage.ru_maxrss));
    }
    state.counters["peak_rss_mb"] = double(peakKilobytes) / 1024.0;
    state.counters["persons"] = persons;
}
BENCHMARK(BM_BatchPrintProcess)
    ->Arg(1000)
    ->Arg(10000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// range(1) persons printed with a design of range(0) boxes. One person's peak is the design and
// one label's copy: as the job holds one copy at a time, twenty persons peak no higher.
void BM_BatchPrintLargeDesign(benchmark::State &state)
{
    const int boxes = int(state.range(0));
    const int persons = int(state.range(1));
    QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/pw-bench-batch-XXXXXX"));
    const QString design = folder.filePath(QStringLiteral("design.pwdc"));
    const QString contacts = folder.filePath(QStringLiteral("persons.vcf"));
    const QString output = folder.filePath(QStringLiteral("out.pdf"));
    QElapsedTimer built;
    built.start();
    QFile cards(contacts);
    if (!writeDesign(design, boxes) || !cards.open(QIODevice::WriteOnly) || cards.write(vCards(persons)) < 0) {
        state.SkipWithError("the design or the persons could not be written");
        return;
    }
    cards.close();
    const double builtSeconds = double(built.elapsed()) / 1000.0;
    // PW_BENCH_KEEP_DESIGN names a folder that keeps the design and the persons, to print them
    // with another build of the program.
    if (const QByteArray keep = qgetenv("PW_BENCH_KEEP_DESIGN"); !keep.isEmpty()) {
        const QDir kept(QString::fromLocal8Bit(keep));
        QFile::copy(design, kept.filePath(QStringLiteral("design-%1.pwdc").arg(boxes)));
        QFile::copy(contacts, kept.filePath(QStringLiteral("persons-%1.vcf").arg(persons)));
    }
    qputenv("PW_INSTANCE_SOCKET", folder.filePath(QStringLiteral("instance")).toLocal8Bit());
    long peakKilobytes = 0;
    for (auto _ : state) {
        QFile::remove(output);
        rusage usage{};
        QElapsedTimer timer;
        timer.start();
        const int status = runApplication({QStringLiteral("--print"), design, QStringLiteral("--contacts"), contacts,
                                     QStringLiteral("--output"), output},
                                    &usage);
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        if (status != 0 || QFileInfo(output).size() == 0) {
            state.SkipWithError("the batch print failed");
            return;
        }
        peakKilobytes = std::max(peakKilobytes, long(usage.ru_maxrss));
    }
    state.counters["peak_rss_mb"] = double(peakKilobytes) / 1024.0;
    state.counters["design_mb"] = double(QFileInfo(design).size()) / 1048576.0;
    state.counters["pdf_mb"] = double(QFileInfo(output).size()) / 1048576.0;
    state.counters["design_built_s"] = builtSeconds;
}
BENCHMARK(BM_BatchPrintLargeDesign)
    ->Args({100000, 1})
    ->Args({100000, 20})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
