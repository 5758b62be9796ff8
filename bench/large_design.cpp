// Designs as large as the reader takes, in the window and out of it. Of each kind the size bound
// weighs (short texts, texts of a page each, address panels, distinct shapes, a mix of every
// common component) the largest design the bound takes is written, read from its file, saved,
// exported by the program (`parcelwick --export`) and printed by it for one person (`--print
// --contacts`); and every short text of the largest such design is nudged at once on the canvas
// (select all, one arrow key) with its undo. Each reports the file's size and the peak resident
// size of the step (peak_mb); every step stays within a minute and 2 GB.
//
// Measured on an optimized build without sanitizers, 8 cores, on a quiet machine, with the weights
// in CFTADocumentFileCheck.h (seconds wall; peak MB; open and save in this process, the save's
// peak with the design read; the program's peak is its own, the benchmark's memory handed back
// before it starts). This machine is slower than the one of the earlier figures: steps no change
// touched (saving shapes, 9.1 s there) take some 1.3 to 1.7 times as long here.
//
//   kind               units  file MB  open s  save s  export s / MB  print s / MB  open+save MB
//   short texts       12,800     35.5     8.7     3.3     9.2 /   655  33.2 / 1,469           759
//   texts of a page    1,002      5.6    20.2     0.2    26.5 /   247  50.3 /   390           203
//   address panels       634     27.1     6.6     3.3     5.3 /   627  20.5 / 1,452           718
//   shapes            76,800    119.3    19.8    15.6    19.8 / 1,310  63.5 / 1,980         1,762
//   mix                  586     31.9     8.7     4.0     8.8 /   689  28.4 / 1,576           797
//
// The print for one person is the dearest step of every kind (every item printed for a person is
// a filled copy of the design). Set against it, the time weighed for the whole design is 0.56 to
// 0.89 of its measured time here (texts 0.56, texts of a page 0.89, panels 0.74, shapes 0.67, mix
// 0.57), and its memory 0.91 to 1.24 of its peak. A panel's own share, the print of the panels
// less that of their 13,314 components at the shapes' 0.83 ms each, is some 15 ms against the
// weight's 12.5 ms. (Reading a design of panels had become five times slower, and their print
// with it, while each reading went over every dictionary read so far to find its damaged keys.)
// What decoding the property list costs per value and per byte is measured by
// bench/design_decode.cpp: some 166 bytes a value and 4 a byte through libplist (72 and 3 through
// our own reader of the plain XML form), against the weights of 256 and 3.
#include "BenchSupport.h"

#include "app/canvas/CADocView.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/CFTCounterField.h"
#include "kernel/base/CDDColor.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/document/CFTADocumentFileCheck.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/drawing/CFTPicture.h"
#include "kernel/drawing/CFTSeparator.h"
#include "kernel/merge/CADocument.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWImage.h"
#include "platform/PWUndoManager.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

extern char **environ;

namespace {

// The kinds of design the bound weighs: short texts, texts of a page each (some 2,000 characters),
// recipient address panels (each a panel, its fields and its format), distinct shapes, and a mix
// of every common kind of component.
enum Kind : int { kTexts, kLongTexts, kPanels, kShapes, kMixed };

std::unique_ptr<CAddressFormat> panelFormat()
{
    return CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
        QStringLiteral("Name+Company"), QStringLiteral("us"), true, CAddressFormatController::kBarcodeBelow);
}

// One unit of the kind, the i-th: of its own size, colour or text, so that no two units share
// what the file stores once.
void addUnit(CFTADocument &kernel, Kind kind, int i, const CAddressFormat &format)
{
    const double x = (i % 100) * 6.0;
    const double y = double((i / 100) % 130) * 6.0;
    const auto text = [&] {
        auto *text = new CFTAText(x, y, 6, 6, nullptr);
        text->SetString(CDDString(QStringLiteral("T%1").arg(i)));
        kernel.AddObject(text, 0, false);
    };
    const auto shape = [&] {
        auto *box = new CFTBoxField(x + 1, y + 1, 1 + (i % 997) / 250.0, 1 + (i / 997) % 4, nullptr);
        const CDDColor fill(float(i % 256) / 255.0f, float((i / 256) % 256) / 255.0f, 0.5f, 1.0f);
        box->SetFillColor(&fill);
        kernel.AddObject(box, 0, false);
    };
    const auto panel = [&] {
        auto *panel = new CFTAAddressPanel(true, &format, nullptr, false);
        panel->SetOrigin(x, y);
        kernel.AddObject(panel, 0, false);
    };
    switch (kind) {
    case kTexts:
        text();
        break;
    case kLongTexts: {
        auto *page = new CFTAText(x, y, 200, 200, nullptr);
        QString words;
        for (int k = 0; words.size() < 2000; ++k)
            words += QStringLiteral("word%1 ").arg(i + k);
        page->SetString(CDDString(words.left(2000)));
        kernel.AddObject(page, 0, false);
        break;
    }
    case kShapes:
        shape();
        break;
    case kPanels:
        panel();
        break;
    case kMixed: {
        text();
        shape();
        panel();
        kernel.AddObject(new CFTSeparator(x, y + 3, 5 + (i % 997) / 250.0, 0, nullptr), 0, false);
        auto *counter = new CFTCounterField(x, y, 30, 12, nullptr);
        counter->SetStartNumber(i);
        kernel.AddObject(counter, 0, false);
        QImage image(8, 8, QImage::Format_ARGB32);
        image.fill(QColor::fromRgb(QRgb(0xff000000u | unsigned(i))));
        auto *picture = new CFTPicture(CDDPicture(PWImage::fromQImage(image)));
        picture->SetOrigin(x, y);
        picture->SetSize(6, 6);
        kernel.AddObject(picture, 0, false);
        break;
    }
    }
}

// A letter page holding units of the kind, the first of them the first-th.
std::unique_ptr<CADocument> makeDesign(Kind kind, int units, int first = 0)
{
    auto document = std::make_unique<CADocument>(std::make_unique<CFTADocument>(
        dtLabel, CDDString(QStringLiteral("us")), CDDString(QStringLiteral("us"))));
    CFTADocument *kernel = document->ftDocument();
    kernel->setDocumentSizeX(612.0);
    kernel->setDocumentSizeY(792.0);
    const std::unique_ptr<CAddressFormat> format = panelFormat();
    for (int i = first; i < first + units; ++i)
        addUnit(*kernel, kind, i, *format);
    return document;
}

// The most units of the kind a design the reader takes holds, told by the weights of the bound
// from the bytes of a design of none and of one: the figures below are those of the largest
// design of each kind, whatever the weights become. The one is a late unit, whose numbers have
// the most digits a design holds, so that no unit weighs more.
int mostUnits(Kind kind)
{
    using namespace CFTADocumentFileCheck;
    const auto cost = [kind](int units) {
        return costOf(makeDesign(kind, units, int(kMostComponents) - 1)->documentDataForComponents(nullptr))
            .value_or(Cost());
    };
    const Cost none = cost(0);
    const Cost one = cost(1);
    const qint64 byMemory = (kMostMemory - none.memory()) / std::max<qint64>(1, one.memory() - none.memory());
    const qint64 byTime = (kMostSeconds * 1000000 - none.microseconds())
                          / std::max<qint64>(1, one.microseconds() - none.microseconds());
    const qint64 byCount = (kMostComponents - none.components) / std::max<qsizetype>(1, one.components - none.components);
    return int(std::min({byMemory, byTime, byCount}));
}

const char *nameOf(Kind kind)
{
    static const char *const names[] = {"texts", "long-texts", "panels", "shapes", "mixed"};
    return names[kind];
}

// The design's file, and a copy of it in the folder PW_BENCH_KEEP_DESIGN names (to open, save or
// export it with another build of the program).
QString writeDesign(const QTemporaryDir &folder, Kind kind, int units)
{
    const QString name = QStringLiteral("design-%1-%2.pwdc").arg(QString::fromLatin1(nameOf(kind))).arg(units);
    const QString path = folder.filePath(name);
    QString error;
    if (!makeDesign(kind, units)->writeToFile(path, &error))
        return QString();
    if (const QByteArray keep = qgetenv("PW_BENCH_KEEP_DESIGN"); !keep.isEmpty())
        QFile::copy(path, QDir(QString::fromLocal8Bit(keep)).filePath(name));
    return path;
}

void reportPeak(benchmark::State &state)
{
    state.counters["peak_mb"] = double(statusKilobytes("VmHWM:")) / 1024.0;
}

// The design's size, and what the file check counts in it and weighs it at (to set each weight
// against the step it stands for). Read after the step's peak is taken.
void reportDesign(benchmark::State &state, const QString &path, int units)
{
    state.counters["units"] = units;
    state.counters["file_mb"] = double(QFileInfo(path).size()) / (1024.0 * 1024.0);
    QFile file(path);
    const std::optional<CFTADocumentFileCheck::Cost> cost =
        file.open(QIODevice::ReadOnly) ? CFTADocumentFileCheck::costOf(file.readAll()) : std::nullopt;
    if (!cost)
        return;
    state.counters["components"] = double(cost->components);
    state.counters["texts"] = double(cost->texts);
    state.counters["panels"] = double(cost->panels);
    state.counters["long_text_mb"] = double(cost->longTextBytes()) / (1024.0 * 1024.0);
    state.counters["weighed_mb"] = double(cost->memory()) / (1024.0 * 1024.0);
    state.counters["weighed_s"] = double(cost->microseconds()) / 1e6;
}

// range(0) the kind; the largest design of it the reader takes, read from its file.
void BM_OpenLargest(benchmark::State &state)
{
    const Kind kind = Kind(state.range(0));
    const int units = mostUnits(kind);
    QTemporaryDir folder;
    const QString path = writeDesign(folder, kind, units);
    if (path.isEmpty()) {
        state.SkipWithError("the design could not be written");
        return;
    }
    state.SetLabel(nameOf(kind));
    resetPeak();
    for (auto _ : state) {
        CADocument document;
        QString error;
        if (!document.readFromFile(path, &error)) {
            state.SkipWithError(qPrintable(error));
            return;
        }
    }
    reportPeak(state);
    reportDesign(state, path, units);
}
BENCHMARK(BM_OpenLargest)->DenseRange(kTexts, kMixed)->Unit(benchmark::kMillisecond)->Iterations(1);

// The same design read, then saved.
void BM_SaveLargest(benchmark::State &state)
{
    const Kind kind = Kind(state.range(0));
    const int units = mostUnits(kind);
    QTemporaryDir folder;
    const QString path = writeDesign(folder, kind, units);
    CADocument document;
    QString error;
    if (path.isEmpty() || !document.readFromFile(path, &error)) {
        state.SkipWithError("the design could not be written or read");
        return;
    }
    state.SetLabel(nameOf(kind));
    resetPeak();
    QByteArray written;
    for (auto _ : state) {
        if (!document.writeToFile(folder.filePath(QStringLiteral("saved.pwdc")), &error, &written)) {
            state.SkipWithError(qPrintable(error));
            return;
        }
    }
    reportPeak(state);
    reportDesign(state, path, units);
    state.counters["written_mb"] = double(written.size()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_SaveLargest)->DenseRange(kTexts, kMixed)->Unit(benchmark::kMillisecond)->Iterations(1);

// The program itself, as a person runs it, from its start to its exit, with its own peak
// (peak_mb), on the largest design of the kind range(0) names: `parcelwick --export DESIGN
// OUT.pdf`, or (forOnePerson) `parcelwick --print DESIGN --contacts ONE.vcf --output OUT.pdf`, the
// design filled for one person. Fails when it ends without a PDF or by a signal (a print may end
// with status 1 naming what does not fit on the item).
void runLargest(benchmark::State &state, bool forOnePerson)
{
    const Kind kind = Kind(state.range(0));
    const int units = mostUnits(kind);
    QTemporaryDir folder;
    const QString path = writeDesign(folder, kind, units);
    const QString contacts = folder.filePath(QStringLiteral("one.vcf"));
    QFile person(contacts);
    if (path.isEmpty() || !person.open(QIODevice::WriteOnly)
        || person.write("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Person;Alex;;;\r\nFN:Alex Person\r\n"
                        "ADR;TYPE=WORK:;;100 Main St;Springfield;IL;62701;USA\r\nEND:VCARD\r\n")
               < 0) {
        state.SkipWithError("the design or the person could not be written");
        return;
    }
    person.close();
    state.SetLabel(nameOf(kind));
    // The child must not reach a parcelwick the person runs.
    qputenv("PW_INSTANCE_SOCKET", folder.filePath(QStringLiteral("instance")).toLocal8Bit());
    const QString output = folder.filePath(QStringLiteral("out.pdf"));
    const QStringList arguments = forOnePerson ? QStringList {QStringLiteral("--print"), path, QStringLiteral("--contacts"),
                                                              contacts, QStringLiteral("--output"), output}
                                               : QStringList {QStringLiteral("--export"), path, output};
    long peakKilobytes = 0;
    for (auto _ : state) {
        QFile::remove(output);
        // The child's peak counts the high-water mark of the memory it starts from, this
        // process's: the design just made and written is handed back first.
        resetPeak();
        rusage usage {};
        QElapsedTimer timer;
        timer.start();
        const int status = runApplication(arguments, &usage);
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        if (status < 0 || (!forOnePerson && status != 0) || QFileInfo(output).size() == 0) {
            state.SkipWithError("the program failed");
            return;
        }
        peakKilobytes = std::max(peakKilobytes, long(usage.ru_maxrss));
    }
    reportDesign(state, path, units);
    state.counters["peak_mb"] = double(peakKilobytes) / 1024.0;
}

void BM_ExportCommandLargest(benchmark::State &state)
{
    runLargest(state, false);
}
BENCHMARK(BM_ExportCommandLargest)
    ->DenseRange(kTexts, kMixed)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

void BM_PrintCommandLargest(benchmark::State &state)
{
    runLargest(state, true);
}
BENCHMARK(BM_PrintCommandLargest)
    ->DenseRange(kTexts, kMixed)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// Select all, one arrow key, then the undo of it, as one iteration.
void BM_NudgeAllTexts(benchmark::State &state)
{
    const int components = state.range(0) > 0 ? int(state.range(0)) : mostUnits(kTexts);
    std::unique_ptr<CADocument> document = makeDesign(kTexts, components);
    CADocView view;
    view.setScreenResolution(96.0);
    view.setDocument(document.get());
    view.resize(1200, 800);
    view.show();
    QCoreApplication::processEvents();
    resetPeak();
    for (auto _ : state) {
        view.ftView()->selectAll();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
        QApplication::sendEvent(&view, &press);
        QCoreApplication::processEvents();
        document->undoManager()->undo();
        QCoreApplication::processEvents();
    }
    if (view.ftView()->getSelComponents().size() != std::size_t(components))
        state.SkipWithError("not every text was selected");
    reportPeak(state);
}
// Argument 0: the most texts a design the reader takes holds.
BENCHMARK(BM_NudgeAllTexts)->Arg(4000)->Arg(15000)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(1);

// A design of as many shapes as the file's count allows is refused at read by its cost
// (refused 1), before it takes the memory of its components.
void BM_RefuseMostComponents(benchmark::State &state)
{
    const int components = int(CFTADocumentFileCheck::kMostComponents);
    QTemporaryDir folder;
    const QString path = writeDesign(folder, kShapes, components);
    if (path.isEmpty()) {
        state.SkipWithError("the design could not be written");
        return;
    }
    resetPeak();
    bool refused = false;
    for (auto _ : state) {
        CADocument document;
        QString error;
        refused = !document.readFromFile(path, &error);
    }
    state.counters["refused"] = refused ? 1 : 0;
    reportPeak(state);
}
BENCHMARK(BM_RefuseMostComponents)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks<QApplication>(argc, argv);
}
