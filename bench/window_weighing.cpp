// What a document window spends after each step weighing its design against its bounds.
//
// BM_WeighAfterStep: the full weighing, the bytes a save would write counted as a reader counts a
// file (CADocument::costAsSaved), of designs of short texts, of texts as long as a text is laid
// out, and of shapes, each at a tenth, a half and the whole of what a window keeps (range(1) in
// percent).
//
// BM_NudgeInWindow: one arrow key on the canvas of a document window, through the window's own
// command, until the step it recorded is weighed: on a blank postcard holding a pasted photo of
// 4000 by 3000 pixels (the picture selected), and on a letter page of 300 recipient address
// panels (one of them selected). Each iteration moves the selection one way, the next one back.
#include "BenchSupport.h"

#include "app/canvas/CADocView.h"
#include "app/shell/CACanvasCommands.h"
#include "app/shell/CADocumentController.h"
#include "app/shell/CADocumentManager.h"
#include "app/shell/CAMainWindowController.h"
#include "app/shell/CAOpenDocument.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/base/CDDColor.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTADocumentFileCheck.h"
#include "kernel/document/CFTAView.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/merge/CADesignWeigher.h"
#include "kernel/merge/CADocument.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWUndoManager.h"
#include "platform/PWUserDefaults.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>

#include <algorithm>
#include <memory>

namespace {

enum Kind : int { kTexts, kLongTexts, kShapes };

void addUnit(CFTADocument &kernel, Kind kind, int i)
{
    const double x = (i % 100) * 6.0;
    const double y = double((i / 100) % 130) * 6.0;
    switch (kind) {
    case kTexts:
    case kLongTexts: {
        auto *text = new CFTAText(x, y, 6, 6, nullptr);
        text->SetString(kind == kTexts ? CDDString(QStringLiteral("T%1").arg(i))
                                       : CDDString(QString(int(CFTADocumentFileCheck::kMostBytesLaidOut),
                                                           QLatin1Char('a' + i % 26))));
        kernel.AddObject(text, 0, false);
        break;
    }
    case kShapes: {
        auto *box = new CFTBoxField(x + 1, y + 1, 1 + (i % 997) / 250.0, 1 + (i / 997) % 4, nullptr);
        const CDDColor fill(float(i % 256) / 255.0f, float((i / 256) % 256) / 255.0f, 0.5f, 1.0f);
        box->SetFillColor(&fill);
        kernel.AddObject(box, 0, false);
        break;
    }
    }
}

std::unique_ptr<CADocument> makeDesign(Kind kind, int units)
{
    auto document = std::make_unique<CADocument>();
    for (int i = 0; i < units; ++i)
        addUnit(*document->ftDocument(), kind, i);
    return document;
}

// The most units of the kind a window keeps, told by the weights from designs of none and of one.
int mostUnits(Kind kind)
{
    using namespace CFTADocumentFileCheck;
    const auto cost = [kind](int units) { return makeDesign(kind, units)->costAsSaved().value_or(Cost()); };
    const Cost none = cost(0);
    const Cost one = cost(1);
    const qint64 byMemory =
        (kWindowBounds.memory - none.memory()) / std::max<qint64>(1, one.memory() - none.memory());
    const qint64 byTime = (kWindowBounds.seconds * 1000000 - none.microseconds())
                          / std::max<qint64>(1, one.microseconds() - none.microseconds());
    return int(std::min(byMemory, byTime));
}

void BM_WeighAfterStep(benchmark::State &state)
{
    const Kind kind = Kind(state.range(0));
    const int units = std::max(1, int(qint64(mostUnits(kind)) * state.range(1) / 100));
    const std::unique_ptr<CADocument> design = makeDesign(kind, units);
    for (auto _ : state) {
        const auto cost = design->costAsSaved();
        if (!cost) {
            state.SkipWithError("the design wrote no property list");
            return;
        }
        benchmark::DoNotOptimize(cost->memory());
    }
    static const char *const names[] = {"short texts", "long texts", "shapes"};
    state.SetLabel(names[kind]);
    state.counters["units"] = units;
}
BENCHMARK(BM_WeighAfterStep)
    ->ArgsProduct({{kTexts, kLongTexts, kShapes}, {10, 50, 100}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// --- A nudge in a document window ------------------------------------------------------------

enum Design : int { kPastedPhoto, kAddressPanels };

// A photo-like PNG: smooth colours with a fine grain, which no encoder makes small.
QByteArray photoPng(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    quint32 grain = 12345;
    for (int y = 0; y < height; ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            grain = grain * 1103515245u + 12345u;
            const int noise = int((grain >> 16) & 15);
            row[x] = qRgb((x * 255 / width + noise) & 255, (y * 255 / height + noise) & 255, ((x + y) / 32 + noise) & 255);
        }
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

std::unique_ptr<CADocument> panelsDesign(int panels)
{
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
        panel->SetOrigin((i % 15) * 40.0, (i / 15) * 38.0);
        kernel->AddObject(panel, 0, false);
    }
    return document;
}

// The application as main starts it, without a first document of its own.
class Shell
{
public:
    Shell()
    {
        PWUserDefaults::standardUserDefaults().setInteger(QStringLiteral("FTStartingDocument"), 1);
        m_controller = std::make_unique<CADocumentController>();
        m_controller->manager().questions().report = [this](QWidget *, const QString &line) { m_reports.append(line); };
        m_controller->router().setReporter([this](QWidget *, const QString &line) { m_reports.append(line); });
        m_controller->applicationWillFinishLaunching();
        m_controller->openStartupDocuments({});
        m_controller->applicationDidFinishLaunching();
        installCanvasCommands();
    }
    ~Shell()
    {
        for (const std::shared_ptr<CAOpenDocument> &record : m_controller->manager().documents())
            record->changeCount = 0;
        m_controller.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    CADocumentController &controller() { return *m_controller; }
    const QStringList &reports() const { return m_reports; }

    static CAMainWindowController *windowOf(const std::shared_ptr<CAOpenDocument> &record)
    {
        return record ? qobject_cast<CAMainWindowController *>(record->window.data()) : nullptr;
    }

private:
    std::unique_ptr<CADocumentController> m_controller;
    QStringList m_reports;
};

// The end of the command's loop turn, where its step closes, then the turn the window weighs in.
void settle()
{
    for (int turn = 0; turn < 3; ++turn)
        QCoreApplication::processEvents();
}

void key(QWidget *canvas, int which)
{
    QKeyEvent press(QEvent::KeyPress, which, Qt::NoModifier);
    QApplication::sendEvent(canvas, &press);
    QKeyEvent release(QEvent::KeyRelease, which, Qt::NoModifier);
    QApplication::sendEvent(canvas, &release);
}

// The window of the design, its one component of interest selected.
CAMainWindowController *openDesign(Shell &shell, Design design)
{
    CAMainWindowController *window = nullptr;
    if (design == kPastedPhoto) {
        window = Shell::windowOf(shell.controller().newDocument(2));
        if (!window)
            return nullptr;
        window->show();
        auto *data = new QMimeData;
        data->setData(QStringLiteral("image/png"), photoPng(4000, 3000));
        QGuiApplication::clipboard()->setMimeData(data);
        window->performAction(QStringLiteral("paste"), nullptr);
        settle();
        if (window->document()->ftDocument()->GetComponents(0, false).size() != 1)
            return nullptr;
    } else {
        window = Shell::windowOf(shell.controller().manager().addDocument(panelsDesign(300)));
        if (!window)
            return nullptr;
        window->show();
        settle();
    }
    CFTAView *view = window->docView()->ftView();
    const std::vector<CFTComponent *> &components = window->document()->ftDocument()->GetComponents(0, false);
    if (components.empty())
        return nullptr;
    view->deselectAll();
    view->select(components.front());
    window->docView()->setFocus();
    return window;
}

void BM_NudgeInWindow(benchmark::State &state)
{
    const Design design = Design(state.range(0));
    Shell shell;
    CAMainWindowController *window = openDesign(shell, design);
    if (!window) {
        state.SkipWithError("the design could not be opened in a window");
        return;
    }
    PWUndoManager &undo = *window->document()->undoManager();
    int weighed = 0;
    QObject::connect(&undo, &PWUndoManager::stepRecorded, window, [&weighed] { ++weighed; });
    const QRectF before = window->document()->ftDocument()->GetComponents(0, false).front()->GetNSBoundRect();
    bool right = true;
    for (auto _ : state) {
        key(window->docView(), right ? Qt::Key_Right : Qt::Key_Left);
        settle();
        right = !right;
    }
    if (weighed != int(state.iterations()))
        state.SkipWithError("not every nudge recorded a step");
    else if (!shell.reports().isEmpty())
        state.SkipWithError(qPrintable(shell.reports().join(QLatin1Char('\n'))));
    else if (state.iterations() % 2 == 1
             && window->document()->ftDocument()->GetComponents(0, false).front()->GetNSBoundRect() == before)
        state.SkipWithError("the nudge did not move the selection");
    static const char *const names[] = {"pasted 4000x3000 photo", "300 address panels"};
    state.SetLabel(names[design]);
}
// The window's weighing alone, of a design no step changed since it was weighed last: range(0)
// the design, 0 the 300 panels, 1 to 3 the largest of short texts, long texts and shapes.
void BM_WeighAgain(benchmark::State &state)
{
    const std::unique_ptr<CADocument> design =
        state.range(0) == 0 ? panelsDesign(300) : makeDesign(Kind(state.range(0) - 1), mostUnits(Kind(state.range(0) - 1)));
    CADesignWeigher weigher;
    const std::optional<CFTADocumentFileCheck::Cost> first = weigher.weigh(*design);
    if (!first || first != design->costAsSaved()) {
        state.SkipWithError("the weighing differs from the design's cost as saved");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(weigher.weigh(*design));
    state.counters["parts_counted"] = weigher.partsCounted();
    state.counters["parts_kept"] = weigher.partsKept();
}
BENCHMARK(BM_WeighAgain)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->MinTime(1.0);

BENCHMARK(BM_NudgeInWindow)->DenseRange(kPastedPhoto, kAddressPanels)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks<QApplication>(argc, argv);
}
