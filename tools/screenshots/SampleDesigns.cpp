#include "SampleDesigns.h"

#include "kernel/merge/CADocument.h"
#include "app/shell/CADocumentController.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/printing/CATemplateFormat.h"
#include "platform/PWPerson.h"
#include "platform/PWVCardReader.h"

using namespace Qt::StringLiterals;

namespace {

const QByteArray kRecipient = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jane;;;\r\nFN:Jane Doe\r\nORG:Acme Widgets;\r\n"
                              "ADR;TYPE=WORK:;;1 Main St;Springfield;IL;62701-1234;USA\r\nEND:VCARD\r\n";
const QByteArray kSender = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Rivers;Sam;;;\r\nFN:Sam Rivers\r\n"
                           "ADR;TYPE=WORK:;;742 Evergreen Terrace;Portland;OR;97201;USA\r\nEND:VCARD\r\n";

// A design of the kind, the way New makes it.
std::unique_ptr<CADocument> make(documentType kind)
{
    CADocumentController::prepareDocument(kind);
    auto document = std::make_unique<CADocument>();
    if (CFTADocument *design = document->ftDocument())
        design->arrangeAddressPanel();
    return document;
}

bool hasPanel(const CADocument &document, bool toFrom)
{
    for (CFTComponent *component : document.ftDocument()->GetComponents(0, false))
        if (auto *panel = dynamic_cast<CFTAAddressPanel *>(component); panel && panel->GetToFrom() == toFrom)
            return true;
    return false;
}

// The side's address panel (added where the kind has none), filled with the person.
void address(CADocument &document, bool toFrom, const QByteArray &card, double x, double y, bool barcode)
{
    if (!hasPanel(document, toFrom)) {
        const std::unique_ptr<CAddressFormat> format =
            CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
                u"Name+Company"_s, u"us"_s, barcode, CAddressFormatController::kBarcodeBelow);
        CFTAView view(document.ftDocumentController());
        // In the design's own text style, as the canvas makes them.
        std::unique_ptr<CFTComponent> panel = view.CreateAddressPanel(toFrom, format.get());
        panel->SetOrigin(x, y);
        // The document takes the panel.
        view.InsertComponent(panel.release(), false);
    }
    const std::shared_ptr<PWPerson> person = PWVCardReader::personFromData(card);
    if (person)
        document.setCurrentPerson(person.get(), toFrom, true, true);
    document.ftDocument()->arrangeAddressPanel();
}

} // namespace

namespace SampleDesigns {

std::unique_ptr<CADocument> label()
{
    auto document = make(dtLabel);
    // A shipping label, big enough for an address with its barcode.
    CATemplateFormat::predefLayouts(dtLabel);
    if (const auto shipping = CATemplateFormat::findPredefLayoutManufacturerID(dtLabel, u"Avery"_s, u"05163"_s)) {
        document->setLayoutArangeComponents(*shipping, false);
        document->setDefTextSize();
    }
    address(*document, true, kRecipient, 12, 10, true);
    return document;
}

std::unique_ptr<CADocument> envelope()
{
    auto document = make(dtEnvelope);
    address(*document, false, kSender, 20, 20, false);
    address(*document, true, kRecipient, 300, 150, true);
    return document;
}

std::unique_ptr<CADocument> postcard()
{
    auto document = make(dtPostcard);
    address(*document, false, kSender, 16, 16, false);
    address(*document, true, kRecipient, 170, 120, true);
    return document;
}

std::unique_ptr<CADocument> roll()
{
    auto document = make(dtLabel);
    // An address label of a label printer's roll.
    if (const CATemplateFormat::TemplateList *labels = CATemplateFormat::predefLayouts(dtLabel)) {
        for (const std::shared_ptr<CATemplateFormat> &layout : *labels) {
            if (layout && layout->isLabelRoll() && layout->ID() == u"30252"_s) {
                document->setLayoutArangeComponents(*layout, false);
                document->setDefTextSize();
                break;
            }
        }
    }
    address(*document, true, kRecipient, 8, 6, false);
    // The roll's own paper, as applying the template in the window gives it.
    document->setupPrintInfo(false);
    return document;
}

} // namespace SampleDesigns
