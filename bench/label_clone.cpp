// The inner loop of mail-merge printing: a label design (a recipient address panel with its postal
// barcode, a picture and three shapes) is cloned through its file bytes, filled with one person
// and laid out, once per printed label.
#include "BenchSupport.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/merge/CADocument.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/drawing/CFTPicture.h"
#include "kernel/base/CAEnvironment.h"
#include "platform/PWImage.h"
#include "platform/PWPerson.h"
#include "platform/PWPlist.h"
#include "platform/PWVCardReader.h"

#include <QImage>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

std::unique_ptr<CADocument> labelDesign()
{
    auto document = std::make_unique<CADocument>(std::make_unique<CFTADocument>(
        dtLabel, CDDString(QStringLiteral("us")), CDDString(QStringLiteral("us"))));
    CFTADocument *kernel = document->ftDocument();
    kernel->setDocumentSizeX(252.0);
    kernel->setDocumentSizeY(144.0);
    const std::unique_ptr<CAddressFormat> format =
        CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
            QStringLiteral("Name+Company"), QStringLiteral("us"), true, CAddressFormatController::kBarcodeBelow);
    auto panel = std::make_unique<CFTAAddressPanel>(true, format.get(), nullptr, false);
    panel->SetOrigin(20.0, 40.0);
    kernel->AddObject(panel.release(), 0, false);
    QImage bitmap(32, 32, QImage::Format_RGB32);
    bitmap.fill(Qt::darkCyan);
    auto picture = new CFTPicture(CDDPicture(PWImage::fromQImage(bitmap)));
    picture->SetOrigin(190.0, 10.0);
    picture->SetSize(48.0, 48.0);
    kernel->AddObject(picture, 0, false);
    kernel->AddObject(new CFTBoxField(5.0, 5.0, 242.0, 134.0, nullptr), 0, false);
    kernel->AddObject(new CFTBoxField(10.0, 10.0, 30.0, 20.0, nullptr), 0, false);
    kernel->AddObject(new CFTBoxField(200.0, 100.0, 40.0, 30.0, nullptr), 0, false);
    return document;
}

void BM_CloneFillLayOutLabel(benchmark::State &state)
{
    const std::unique_ptr<CADocument> design = labelDesign();
    const QByteArray bytes = design->documentDataForComponents(nullptr);
    const std::shared_ptr<PWPerson> person = PWVCardReader::personFromData(
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jane;;;\r\nFN:Jane Doe\r\nORG:Acme Widgets;\r\n"
        "ADR;TYPE=WORK:;;1 Main St;Springfield;IL;62701-1234;USA\r\nEND:VCARD\r\n");
    int fields = 0;
    for (auto _ : state) {
        CADocument copy(std::make_unique<CFTADocument>());
        if (!copy.loadDataRepresentation(bytes, CADocument::kAddressDocumentType)) {
            state.SkipWithError("the design could not be read back");
            return;
        }
        copy.setCurrentPerson(person.get(), true, true, false);
        for (CFTComponent *component : copy.ftDocument()->GetComponents(0, false)) {
            if (component->getClassID() == ciAddressPanel) {
                auto *panel = static_cast<CFTAAddressPanel *>(component);
                panel->updateFormat();
                fields = int(panel->addressComponentCount());
            }
        }
        benchmark::DoNotOptimize(copy.ftDocument());
    }
    state.counters["panel fields"] = fields;
    state.counters["bytes"] = double(bytes.size());
}

// The stages of the loop above, one at a time.
void BM_ParseLabelBytes(benchmark::State &state)
{
    const QByteArray bytes = labelDesign()->documentDataForComponents(nullptr);
    for (auto _ : state)
        benchmark::DoNotOptimize(PWPlist::parse(bytes));
}

void BM_ReadLabelBytes(benchmark::State &state)
{
    const QByteArray bytes = labelDesign()->documentDataForComponents(nullptr);
    for (auto _ : state) {
        CADocument copy(std::make_unique<CFTADocument>());
        benchmark::DoNotOptimize(copy.loadDataRepresentation(bytes, CADocument::kAddressDocumentType));
    }
}

void BM_FillLabel(benchmark::State &state)
{
    const std::unique_ptr<CADocument> design = labelDesign();
    const std::shared_ptr<PWPerson> person = PWVCardReader::personFromData(
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jane;;;\r\nADR;TYPE=WORK:;;1 Main St;Springfield;IL;62701;USA\r\n"
        "END:VCARD\r\n");
    for (auto _ : state)
        benchmark::DoNotOptimize(design->setCurrentPerson(person.get(), true, true, false));
}

BENCHMARK(BM_CloneFillLayOutLabel)->Iterations(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ParseLabelBytes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadLabelBytes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FillLabel)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    // Set before the environment starts: nothing reads it until a design is made.
    CADocument::setDefaultSenderSource([] { return std::shared_ptr<PWPerson>(); });
    return runBenchmarks(argc, argv);
}
