#pragma once

#include "app/document/CADocument.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/CFTAAddressText.h"
#include "kernel/address/CFTABarcode.h"
#include "kernel/address/CFTCounterField.h"
#include "kernel/address/CFTFileField.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/address/FTStoredPerson.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/drawing/CFTPicture.h"
#include "kernel/drawing/CFTSeparator.h"
#include "kernel/foundation/CAEnvironment.h"
#include "kernel/foundation/CDDText.h"
#include "kernel/text/CFTAText.h"
#include "kernel/text/CFTSmartField.h"
#include "platform/PWImage.h"
#include "platform/PWPerson.h"
#include "platform/PWUserDefaults.h"
#include "platform/PWVCardReader.h"

#include <QImage>
#include <QString>

#include <memory>
#include <ostream>
#include <vector>

using namespace Qt::StringLiterals;

inline void PrintTo(const QString &text, std::ostream *stream)
{
    *stream << '"' << text.toStdString() << '"';
}

namespace doctest {

// What the shell does at start-up for documents: the person properties, a fixed default country,
// and no sender unless a test gives one.
inline void prepareProcess()
{
    CAEnvironment::setDefaultCountry(u"us"_s);
    PWUserDefaults::standardUserDefaults().setBool(u"FTConvertToUppercase"_s, false);
    CADocument::setDefaultSenderSource([] { return std::shared_ptr<PWPerson>(); });
    CADocument::setPreparedDocumentSource({});
}

inline std::shared_ptr<PWPerson> personFromVCard(const char *card)
{
    return PWVCardReader::personFromData(QByteArray(card));
}

inline const char *const kUsPerson = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jane;;;\r\nFN:Jane Doe\r\n"
                                     "ORG:Acme Widgets;\r\n"
                                     "ADR;TYPE=WORK:;;1 Main St;Springfield;IL;62701-1234;USA\r\nEND:VCARD\r\n";
inline const char *const kCaPerson = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Tremblay;Luc;;;\r\nFN:Luc Tremblay\r\n"
                                     "ADR;TYPE=WORK:;;100 Queen St W;Toronto;ON;M5H 2N2;Canada\r\nEND:VCARD\r\n";

// A recipient or sender panel of the "Name+Company" template for a country, optionally with its
// postal barcode below the address.
inline std::unique_ptr<CFTAAddressPanel> makePanel(bool toFrom, const QString &country, bool barcode)
{
    const std::unique_ptr<CAddressFormat> format =
        CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
            u"Name+Company"_s, country, barcode, CAddressFormatController::kBarcodeBelow);
    auto panel = std::make_unique<CFTAAddressPanel>(toFrom, format.get(), nullptr, false);
    panel->SetOrigin(20.0, 20.0);
    return panel;
}

// The text of the panel's field of a category, null when it has none.
inline QString fieldText(CFTComponent &component, textCategory category)
{
    CFTComponent *field = component.GetObjectForTextCategory(category);
    if (!field || !field->GetText())
        return QString();
    return field->GetText()->getString();
}

// A small two-colour bitmap, so that a picture has pixels to store.
inline std::shared_ptr<PWImage> smallImage()
{
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setPixel(1, 1, qRgb(200, 30, 30));
    return PWImage::fromQImage(image);
}

// A design holding one component of every kind a file keeps on its front side: a shape, a
// separator, a text, a smart field, a picture, a free address field, a free postal barcode, a
// counter, a file field, and a recipient and a sender panel.
inline void addEveryKindOfComponent(CFTADocument &document)
{
    document.AddObject(new CFTBoxField(10.0, 10.0, 50.0, 30.0, nullptr), 0, false);
    document.AddObject(new CFTSeparator(10.0, 50.0, 120.0, 2.0, nullptr), 0, false);
    auto *text = new CFTAText(70.0, 10.0, 90.0, 20.0, nullptr);
    text->GetText()->setString(u"Season's greetings"_s, nullptr);
    document.AddObject(text, 0, false);
    document.AddObject(new CFTSmartField(70.0, 40.0, nullptr, textCategory(131)), 0, false);
    auto *picture = new CFTPicture(CDDPicture(smallImage()));
    picture->SetOrigin(180.0, 10.0);
    picture->SetSize(40.0, 30.0);
    document.AddObject(picture, 0, false);
    auto *field = new CFTAAddressText(true, tcCity, adWork, nullptr, nullptr);
    field->SetOrigin(10.0, 100.0);
    document.AddObject(field, 0, false);
    auto *barcode = new CFTABarcode(120.0, 120.0);
    barcode->SetToFrom(true);
    document.AddObject(barcode, 0, false);
    document.AddObject(new CFTCounterField(10.0, 120.0, nullptr), 0, false);
    document.AddObject(new CFTFileField(60.0, 120.0, nullptr), 0, false);
    document.AddObject(makePanel(true, u"us"_s, true).release(), 0, false);
    std::unique_ptr<CFTAAddressPanel> sender = makePanel(false, u"us"_s, false);
    sender->SetOrigin(150.0, 60.0);
    document.AddObject(sender.release(), 0, false);
}

// The class IDs of the front side's components, in order.
inline std::vector<int> classIDs(const CFTADocument &document)
{
    std::vector<int> ids;
    for (const CFTComponent *component : document.GetComponents(0, false))
        ids.push_back(component->getClassID());
    return ids;
}

} // namespace doctest
