// The memory of a print against its persons: a design of many recipient address panels (each of
// its own place, the format "Name+Company" with its barcode below, as the size bound weighs
// panels) printed by the program itself, `parcelwick --print DESIGN --contacts PERSONS.vcf
// --output OUT.pdf`, each run a child process of its own, from its start to its exit. Reports the
// child's peak resident size (peak_mb), that of the same design printed for one person
// (one_person_mb) and the difference (growth_mb), the wall time and the PDF's size: the memory a
// print takes beyond that of one person should be its output, whatever its persons. Fails when the
// program ends without a PDF or by a signal (a print may end with status 1 naming addresses that
// run past their item).
//
// Measured in the sanitized test tree (address sanitizer, its figures well above an optimized
// build's) on a loaded 8-core machine, the program with its copies held as the memory bound takes
// them, and with that bound taken away (each job then held a copy for every label it prepared
// ahead, some three sheets' worth):
//
//   panels  persons   peak MB  one person MB  growth MB   seconds   PDF MB
//      100       30     1,242            963        279        72     0.66
//      100       30     2,462            956      1,506       152     0.66   (no bound)
#include "BenchSupport.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWPerson.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <memory>

extern char **environ;

namespace {

QByteArray vCards(int count)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        bytes += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Person" + QByteArray::number(i) + ";Alex;;;\r\nFN:Alex Person" +
                 QByteArray::number(i) + "\r\nORG:Widgets " + QByteArray::number(i % 7) + ";\r\nADR;TYPE=WORK:;;" +
                 QByteArray::number(100 + i) + " Main St;Springfield;IL;62701;USA\r\nEND:VCARD\r\n";
    }
    return bytes;
}

// A letter-sized label design of panels recipient panels, each at a place of its own.
bool writeDesign(const QString &path, int panels)
{
    CADocument::setDefaultSenderSource([] { return std::shared_ptr<PWPerson>(); });
    auto document = std::make_unique<CADocument>(std::make_unique<CFTADocument>(
        dtLabel, CDDString(QStringLiteral("us")), CDDString(QStringLiteral("us"))));
    CFTADocument *kernel = document->ftDocument();
    kernel->setDocumentSizeX(612.0);
    kernel->setDocumentSizeY(792.0);
    const std::unique_ptr<CAddressFormat> format =
        CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
            QStringLiteral("Name+Company"), QStringLiteral("us"), true, CAddressFormatController::kBarcodeBelow);
    for (int i = 0; i < panels; ++i) {
        auto *panel = new CFTAAddressPanel(true, format.get(), nullptr, false);
        panel->SetOrigin((i % 100) * 6.0, double((i / 100) % 130) * 6.0);
        kernel->AddObject(panel, 0, false);
    }
    return document->writeToFile(path);
}

struct Run
{
    long peakKilobytes = 0;
    double seconds = 0.0;
    qint64 pdfBytes = 0;
    bool printed = false;
};

Run print(const QTemporaryDir &folder, const QString &design, int persons)
{
    const QString contacts = folder.filePath(QStringLiteral("persons-%1.vcf").arg(persons));
    const QString output = folder.filePath(QStringLiteral("out-%1.pdf").arg(persons));
    QFile cards(contacts);
    if (!cards.open(QIODevice::WriteOnly) || cards.write(vCards(persons)) < 0)
        return Run();
    cards.close();
    QFile::remove(output);
    rusage usage {};
    QElapsedTimer timer;
    timer.start();
    const int status = runApplication({QStringLiteral("--print"), design, QStringLiteral("--contacts"), contacts,
                                       QStringLiteral("--output"), output},
                                      &usage);
    Run run;
    run.seconds = double(timer.nsecsElapsed()) / 1e9;
    run.peakKilobytes = usage.ru_maxrss;
    run.pdfBytes = QFileInfo(output).size();
    run.printed = status >= 0 && status <= 1 && run.pdfBytes > 0;
    return run;
}

// range(0) panels, range(1) persons.
void BM_PrintMemoryAgainstPersons(benchmark::State &state)
{
    const int panels = int(state.range(0));
    const int persons = int(state.range(1));
    QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/pw-bench-persons-XXXXXX"));
    const QString design = folder.filePath(QStringLiteral("panels-%1.pwdc").arg(panels));
    if (!writeDesign(design, panels)) {
        state.SkipWithError("the design could not be written");
        return;
    }
    // The child must not reach a parcelwick the person runs.
    qputenv("PW_INSTANCE_SOCKET", folder.filePath(QStringLiteral("instance")).toLocal8Bit());
    const Run one = print(folder, design, 1);
    Run run;
    for (auto _ : state) {
        run = persons == 1 ? one : print(folder, design, persons);
        state.SetIterationTime(run.seconds);
    }
    if (!one.printed || !run.printed) {
        state.SkipWithError("the program printed no PDF");
        return;
    }
    state.counters["persons"] = persons;
    state.counters["peak_mb"] = double(run.peakKilobytes) / 1024.0;
    state.counters["one_person_mb"] = double(one.peakKilobytes) / 1024.0;
    state.counters["growth_mb"] = double(run.peakKilobytes - one.peakKilobytes) / 1024.0;
    state.counters["pdf_mb"] = double(run.pdfBytes) / (1024.0 * 1024.0);
}
BENCHMARK(BM_PrintMemoryAgainstPersons)
    ->Args({100, 1})
    ->Args({100, 30})
    ->Args({100, 600})
    ->Args({480, 1})
    ->Args({480, 30})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
