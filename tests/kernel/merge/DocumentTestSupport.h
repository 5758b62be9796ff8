#pragma once

#include "kernel/merge/CADocument.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/render/CDDText.h"
#include "platform/PWPerson.h"
#include "platform/PWUserDefaults.h"
#include "platform/PWVCardReader.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

inline void PrintTo(const QString &text, std::ostream *stream)
{
    *stream << '"' << text.toStdString() << '"';
}

namespace doctest {

inline const char *const kUsPerson = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jane;;;\r\nFN:Jane Doe\r\nORG:Acme Widgets;\r\n"
                                     "ADR;TYPE=WORK:;;1 Main St;Springfield;IL;62701-1234;USA\r\nEND:VCARD\r\n";
inline const char *const kCaPerson = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Tremblay;Luc;;;\r\nFN:Luc Tremblay\r\n"
                                     "ADR;TYPE=WORK:;;100 Queen St W;Toronto;ON;M5H 2N2;Canada\r\nEND:VCARD\r\n";

class Test : public ::testing::Test
{
public:
    // What the shell does at start-up for documents: a fixed default country, no capitals, no sender.
    void SetUp() override
    {
        CAEnvironment::setDefaultCountry(u"us"_s);
        PWUserDefaults::standardUserDefaults().setBool(u"FTConvertToUppercase"_s, false);
        CADocument::setDefaultSenderSource([] { return std::shared_ptr<PWPerson>(); });
        CADocument::setPreparedDocumentSource({});
    }
    static std::shared_ptr<PWPerson> personFromVCard(const char *card) { return PWVCardReader::personFromData(QByteArray(card)); }
    static QString valueOf(const std::shared_ptr<PWPerson> &person, textCategory category, addressType type = adWork)
    {
        return person ? stringForPersonCategory(person.get(), type, category, true) : u"(no person)"_s;
    }
    // A recipient or sender panel of the "Name+Company" template for a country, optionally with its
    // postal barcode below the address.
    static std::unique_ptr<CFTAAddressPanel> makePanel(bool toFrom, const QString &country, bool barcode)
    {
        const std::unique_ptr<CAddressFormat> format = CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
            u"Name+Company"_s, country, barcode, CAddressFormatController::kBarcodeBelow);
        auto panel = std::make_unique<CFTAAddressPanel>(toFrom, format.get(), nullptr, false);
        panel->SetOrigin(20.0, 20.0);
        return panel;
    }
    static QString fieldText(CFTComponent &component, textCategory category)
    {
        CFTComponent *field = component.GetObjectForTextCategory(category);
        return field && field->GetText() ? field->GetText()->getString() : QString();
    }
};

} // namespace doctest
