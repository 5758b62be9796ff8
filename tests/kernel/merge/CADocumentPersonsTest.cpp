#include "kernel/merge/CADocument.h"

#include "DocumentTestSupport.h"

#include "kernel/address/CFTAAddressText.h"
#include "kernel/address/FTStoredPerson.h"
#include "kernel/drawing/CFTBoxField.h"

namespace {

class CADocumentPersonsTest : public doctest::Test
{
protected:
    template <typename T> T *add(std::unique_ptr<T> component)
    {
        T *raw = component.get();
        m_document->ftDocument()->AddObject(component.release(), 0, false);
        return raw;
    }
    CFTAAddressText *addField(bool toFrom, textCategory category, addressType type = adWork)
    {
        return add(std::make_unique<CFTAAddressText>(toFrom, category, type, nullptr, nullptr));
    }
    void setRecipient(const char *lines, bool strings, bool format)
    {
        const QByteArray card = QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Tremblay;Luc;;;\r\n") + lines + "\r\nEND:VCARD\r\n";
        m_document->setCurrentPerson(personFromVCard(card.constData()).get(), true, strings, format);
    }
    std::unique_ptr<CADocument> m_document =
        std::make_unique<CADocument>(std::make_unique<CFTADocument>(dtLabel, CDDString(u"us"_s), CDDString(u"us"_s)));
};

TEST_F(CADocumentPersonsTest, UsPersonFillsTheRecipientPanelAndItsBarcodeButNotTheSenderNorSimpleTexts)
{
    CFTAAddressPanel *recipient = add(makePanel(true, u"us"_s, true));
    CFTAAddressPanel *sender = add(makePanel(false, u"us"_s, false));
    CFTAAddressText *simple = addField(true, tcSimpleText);
    simple->GetText()->setString(u"Handle with care"_s, nullptr);
    m_document->setCurrentPerson(personFromVCard(doctest::kUsPerson).get(), true, true, false);
    QStringList texts;
    for (textCategory category : {tcFirstName, tcLastName, tcCompany, tcStreet, tcZIP})
        texts << fieldText(*recipient, category);
    // The barcode encodes the ZIP; the sender panel and the simple text keep their own words.
    texts << fieldText(*recipient, textCategory(106)).left(5) << fieldText(*sender, tcLastName) << simple->GetText()->getString();
    EXPECT_EQ(texts.join(u'|'), u"Jane|Doe|Acme Widgets|1 Main St|62701-1234|62701||Handle with care"_s);
}

TEST_F(CADocumentPersonsTest, PersonsCountryGivesTheRecipientPanelItsFormatOrTheDefault)
{
    CFTAAddressPanel *recipient = add(makePanel(true, u"us"_s, false));
    const auto country = [recipient] { return recipient->getFormat()->name(tcAddress)->getData(); };
    setRecipient("ADR;TYPE=WORK:;;100 Queen St W;Toronto;ON;M5H 2N2;Canada", true, true);
    EXPECT_EQ(country() + fieldText(*recipient, tcZIP), u"caM5H 2N2"_s);
    // A country the catalogue does not know falls back to the default country.
    setRecipient("ADR;TYPE=WORK:;;1 Road;Town;;123;Atlantis", false, true);
    EXPECT_EQ(country(), u"us"_s);
}

// Rows of the preference, the representation and whether capitals follow.
TEST_F(CADocumentPersonsTest, CapitalsFollowThePreferenceOrTheRepresentationBitButNeverTheBarcode)
{
    for (const auto &[preference, representation, capitals] :
         {std::tuple {false, orAsTyped, false}, std::tuple {true, orAsTyped, true}, std::tuple {false, orUpperCase, false},
          std::tuple {false, objectRepType(4), true}}) {
        PWUserDefaults::standardUserDefaults().setBool(u"FTConvertToUppercase"_s, preference);
        CFTAAddressText *city = addField(true, tcCity);
        city->setRepresentationType(representation, false);
        CFTAAddressPanel *panel = add(makePanel(true, u"ca"_s, true));
        panel->setRepresentationType(representation, false);
        // A postcode written in small letters shows whether the barcode was given capitals.
        setRecipient("ADR;TYPE=WORK:;;100 Queen St W;Toronto;ON;m5h 2n2;Canada", true, false);
        const QString toronto = capitals ? u"TORONTO"_s : u"Toronto"_s;
        EXPECT_EQ(city->GetText()->getString() + fieldText(*panel, tcCity), toronto + toronto) << preference << representation;
        EXPECT_TRUE(fieldText(*panel, textCategory(106)).contains(u"m5h 2n2"_s)) << fieldText(*panel, textCategory(106)).toStdString();
    }
}

// An edited free field changes the person and refills the side; an edited panel changes the
// person without refilling; the sender side has no person yet.
TEST_F(CADocumentPersonsTest, EditedComponentsChangeThePerson)
{
    CFTAAddressPanel *recipient = add(makePanel(true, u"us"_s, false));
    CFTAAddressText *lastName = addField(true, tcLastName);
    CFTAAddressText *city = addField(true, tcCity);
    m_document->setCurrentPerson(personFromVCard(doctest::kUsPerson).get(), true, true, false);
    lastName->GetText()->setString(u"Roe"_s, nullptr);
    m_document->updatePersonWithComponent(lastName);
    EXPECT_EQ(valueOf(m_document->currentPerson(true), tcLastName), u"Roe"_s);
    EXPECT_EQ(fieldText(*recipient, tcLastName), u"Roe"_s);
    recipient->GetObjectForTextCategory(tcCity)->GetText()->setString(u"Shelbyville"_s, nullptr);
    m_document->updatePersonWithComponent(recipient);
    EXPECT_EQ(valueOf(m_document->currentPerson(true), tcCity), u"Shelbyville"_s);
    EXPECT_EQ(city->GetText()->getString(), u"Springfield"_s);
    // A shape changes no person; a free field of a side without a person makes one.
    m_document->updatePersonWithComponent(add(std::make_unique<CFTBoxField>(1.0, 1.0, 5.0, 5.0, nullptr)));
    EXPECT_EQ(valueOf(m_document->currentPerson(true), tcCity), u"Shelbyville"_s);
    CFTAAddressText *leeds = addField(false, tcCity, adHome);
    leeds->SetPreferredAddress(false);
    leeds->GetText()->setString(u"Leeds"_s, nullptr);
    m_document->updatePersonWithComponent(leeds);
    EXPECT_EQ(valueOf(m_document->currentPerson(false), tcCity, adHome), u"Leeds"_s);
}

TEST_F(CADocumentPersonsTest, DefaultSenderComesFromTheSourceOrElseTheStoredSenderList)
{
    const std::shared_ptr<PWPerson> jane = personFromVCard(doctest::kUsPerson);
    CADocument::setDefaultSenderSource([jane] { return jane; });
    EXPECT_EQ(CADocument(std::make_unique<CFTADocument>()).currentPerson(false), jane);
    CADocument::setDefaultSenderSource({});
    PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    const std::shared_ptr<PWPerson> luc = personFromVCard(doctest::kCaPerson);
    defaults.setObject(u"SenderList"_s, PWPlist(PWPlist::Array {PWPlist(FTStoredPerson::convertToStoringData(*jane)),
                                                                PWPlist(FTStoredPerson::convertToStoringData(*luc))}));
    // The index counts from 1; one past the list falls back to the first sender.
    QStringList senders;
    for (int index : {2, 7})
        senders << (defaults.setInteger(u"Default Sender Index"_s, index), valueOf(CADocument::defaultSender(), tcLastName));
    EXPECT_EQ(senders, (QStringList {u"Tremblay"_s, u"Doe"_s}));
    defaults.removeObject(u"SenderList"_s);
    defaults.removeObject(u"Default Sender Index"_s);
}

} // namespace
