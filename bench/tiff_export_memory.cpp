// The memory of exporting the largest card the bitmap bound allows to TIFF: a card of 2,400 points
// square, 20,000 x 20,000 pixels at the export's 600 dots per inch, with boxes, a turned text and
// a picture across it. Reports the process's peak resident memory (getrusage) after the export,
// in megabytes (peak_MB), and the size of the file (file_MB): the card is drawn and written in
// bands, so the peak stays far below the 1.6 GB its pixels would take whole.
#include "BenchSupport.h"

#include "kernel/base/CDDColor.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/drawing/CFTPicture.h"
#include "kernel/merge/CADocument.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWImage.h"

#include <QImage>
#include <QTextCharFormat>

#include <benchmark/benchmark.h>

#include <memory>
#include <sys/resource.h>

namespace {

constexpr double kSide = 2400.0;
constexpr double kResolution = 600.0;

std::unique_ptr<CADocument> largeCard()
{
    auto kernel = std::make_unique<CFTADocument>();
    kernel->SetPredefinedLayout(false);
    kernel->setDocumentSizeX(kSide);
    kernel->setDocumentSizeY(kSide);
    for (int i = 0; i < 6; ++i) {
        auto *box = new CFTBoxField(100.0 + 350.0 * i, 80.0 + 300.0 * i, 500.0, 260.0, nullptr);
        const CDDColor fill(float(i) / 6.0f, 0.4f, 1.0f - float(i) / 6.0f, 1.0f);
        box->SetFilled(true);
        box->SetFillColor(&fill);
        box->SetAngle(0.2 * i);
        kernel->AddObject(box, 0, false);
    }
    QImage photo(600, 400, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) % 256));
    auto *picture = new CFTPicture(CDDPicture(PWImage::fromQImage(photo)));
    picture->SetOrigin(300.0, 1300.0);
    picture->SetSize(1500.0, 1000.0);
    kernel->AddObject(picture, 0, false);
    auto *text = new CFTAText(400.0, 600.0, nullptr);
    QTextCharFormat font;
    font.setFontFamilies({QStringLiteral("DejaVu Sans")});
    font.setFontPointSize(160.0);
    text->SetFontAttr(font);
    text->SetString(CDDString(QStringLiteral("Greetings")));
    text->ExpandByText();
    text->SetAngle(0.3);
    kernel->AddObject(text, 0, false);
    return std::make_unique<CADocument>(std::move(kernel));
}

void BM_ExportLargestCardToTiff(benchmark::State &state)
{
    const std::unique_ptr<CADocument> card = largeCard();
    qint64 fileBytes = 0;
    for (auto _ : state) {
        QString error;
        const QByteArray tiff = card->TIFFDataForComponents(nullptr, 0.0, true, true, kResolution, &error);
        if (tiff.isEmpty())
            state.SkipWithError(qPrintable(error));
        fileBytes = tiff.size();
    }
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = double(usage.ru_maxrss) / 1024.0;
    state.counters["file_MB"] = double(fileBytes) / (1024 * 1024);
}
BENCHMARK(BM_ExportLargestCardToTiff)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
