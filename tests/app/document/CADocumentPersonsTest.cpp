#include "app/document/CADocument.h"

#include "DocumentTestSupport.h"

#include "kernel/address/CFTAAddressText.h"
#include "kernel/address/CFTABarcode.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/text/CFTAText.h"

#include <gtest/gtest.h>

namespace {

class CADocumentPersonsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        doctest::prepareProcess();
        m_document = std::make_unique<CADocument>(
            std::make_unique<CFTADocument>(dtLabel, CDDString(u"us"_s), CDDString(u"us"_s)));
    }

    CFTADocument &kernel() { return *m_document->ftDocument(); }
    template <typename T> T *add(std::unique_ptr<T> component)
    {
        T *raw = component.get();
        kernel().AddObject(component.release(), 0, false);
        return raw;
    }

    std::unique_ptr<CADocument> m_document;
};

TEST_F(CADocumentPersonsTest, StoredPersonIsACopyAndNoPersonStoresAnEmptyOne)
{
    const std::shared_ptr<PWPerson> jane = doctest::personFromVCard(doctest::kUsPerson);
    const std::shared_ptr<PWPerson> stored = m_document->setCurrentPerson(jane.get(), false, false, false);
    ASSERT_NE(stored, nullptr);
    EXPECT_NE(stored, jane);
    EXPECT_TRUE(stored->hasSameValues(*jane));
    setStringForPersonCategory(jane.get(), u"Changed"_s, adWork, tcLastName);
    EXPECT_EQ(stringForPersonCategory(stored.get(), adWork, tcLastName, true), u"Doe"_s);

    const std::shared_ptr<PWPerson> empty = m_document->setCurrentPerson(nullptr, true, true, true);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(m_document->currentPerson(true), empty);
    EXPECT_TRUE(empty->propertiesWithValues().isEmpty());
}

TEST_F(CADocumentPersonsTest, UsPersonFillsTheRecipientPanelAndItsBarcodeButNotTheSenderNorSimpleTexts)
{
    CFTAAddressPanel *recipient = add(doctest::makePanel(true, u"us"_s, true));
    CFTAAddressPanel *sender = add(doctest::makePanel(false, u"us"_s, false));
    auto text = std::make_unique<CFTAAddressText>(true, tcSimpleText, adWork, nullptr, nullptr);
    text->GetText()->setString(u"Handle with care"_s, nullptr);
    CFTAAddressText *simple = add(std::move(text));
    const std::shared_ptr<PWPerson> jane = doctest::personFromVCard(doctest::kUsPerson);
    m_document->setCurrentPerson(jane.get(), true, true, false);

    EXPECT_EQ(doctest::fieldText(*recipient, tcFirstName), u"Jane"_s);
    EXPECT_EQ(doctest::fieldText(*recipient, tcLastName), u"Doe"_s);
    EXPECT_EQ(doctest::fieldText(*recipient, tcCompany), u"Acme Widgets"_s);
    EXPECT_EQ(doctest::fieldText(*recipient, tcStreet), u"1 Main St"_s);
    EXPECT_EQ(doctest::fieldText(*recipient, tcZIP), u"62701-1234"_s);
    CFTComponent *barcode = recipient->GetObjectForTextCategory(textCategory(106));
    ASSERT_NE(barcode, nullptr);
    // The barcode encodes the ZIP it was given.
    EXPECT_TRUE(barcode->GetText()->getString().contains(u"62701"_s)) << barcode->GetText()->getString().toStdString();
    EXPECT_TRUE(doctest::fieldText(*sender, tcLastName).isEmpty());
    // A simple text keeps its own words.
    EXPECT_EQ(simple->GetText()->getString(), u"Handle with care"_s);
}

TEST_F(CADocumentPersonsTest, CanadianPersonGivesTheRecipientPanelTheCanadianFormat)
{
    CFTAAddressPanel *recipient = add(doctest::makePanel(true, u"us"_s, false));
    const std::shared_ptr<PWPerson> luc = doctest::personFromVCard(doctest::kCaPerson);
    m_document->setCurrentPerson(luc.get(), true, true, true);

    const CAddressFormat *format = recipient->getFormat();
    ASSERT_NE(format, nullptr);
    const CDDString *country = format->name(tcAddress);
    ASSERT_NE(country, nullptr);
    EXPECT_EQ(country->getData(), u"ca"_s);
    EXPECT_EQ(doctest::fieldText(*recipient, tcZIP), u"M5H 2N2"_s);
    EXPECT_EQ(doctest::fieldText(*recipient, tcCity), u"Toronto"_s);

    // A country the catalogue does not know falls back to the default country.
    const std::shared_ptr<PWPerson> nowhere = doctest::personFromVCard(
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Nobody;Ned;;;\r\nADR;TYPE=WORK:;;1 Road;Town;;123;Atlantis\r\nEND:VCARD\r\n");
    m_document->setCurrentPerson(nowhere.get(), true, false, true);
    ASSERT_NE(recipient->getFormat()->name(tcAddress), nullptr);
    EXPECT_EQ(recipient->getFormat()->name(tcAddress)->getData(), u"us"_s);
}

struct CapitalsCase
{
    const char *name;
    bool preference;
    objectRepType representation;
    bool capitals;
};

class CapitalsTest : public CADocumentPersonsTest, public ::testing::WithParamInterface<CapitalsCase>
{
};

TEST_P(CapitalsTest, CapitalsFollowThePreferenceOrTheRepresentationBitButNeverTheBarcode)
{
    PWUserDefaults::standardUserDefaults().setBool(u"FTConvertToUppercase"_s, GetParam().preference);
    auto cityField = std::make_unique<CFTAAddressText>(true, tcCity, adWork, nullptr, nullptr);
    cityField->setRepresentationType(GetParam().representation, false);
    CFTAAddressText *city = add(std::move(cityField));
    std::unique_ptr<CFTAAddressPanel> panelMade = doctest::makePanel(true, u"ca"_s, true);
    panelMade->setRepresentationType(GetParam().representation, false);
    CFTAAddressPanel *panel = add(std::move(panelMade));
    // A postcode written in small letters shows whether the barcode was given capitals.
    const std::shared_ptr<PWPerson> luc =
        doctest::personFromVCard("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Tremblay;Luc;;;\r\n"
                                 "ADR;TYPE=WORK:;;100 Queen St W;Toronto;ON;m5h 2n2;Canada\r\nEND:VCARD\r\n");
    m_document->setCurrentPerson(luc.get(), true, true, false);
    const QString toronto = GetParam().capitals ? u"TORONTO"_s : u"Toronto"_s;
    EXPECT_EQ(city->GetText()->getString(), toronto);
    EXPECT_EQ(doctest::fieldText(*panel, tcCity), toronto);
    CFTComponent *barcode = panel->GetObjectForTextCategory(textCategory(106));
    ASSERT_NE(barcode, nullptr);
    EXPECT_TRUE(barcode->GetText()->getString().contains(u"m5h 2n2"_s))
        << barcode->GetText()->getString().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Capitals, CapitalsTest,
                         ::testing::Values(CapitalsCase {"Plain", false, orAsTyped, false},
                                           CapitalsCase {"PreferenceOn", true, orAsTyped, true},
                                           CapitalsCase {"UpperCaseRepresentationWithoutTheBit", false, orUpperCase,
                                                         false},
                                           CapitalsCase {"RepresentationBitFour", false, objectRepType(4), true}),
                         [](const auto &info) { return std::string(info.param.name); });

// An edited free field changes the person and refills the side; an edited panel changes the
// person without refilling.
TEST_F(CADocumentPersonsTest, EditedComponentsChangeThePerson)
{
    CFTAAddressPanel *recipient = add(doctest::makePanel(true, u"us"_s, false));
    CFTAAddressText *lastName = add(std::make_unique<CFTAAddressText>(true, tcLastName, adWork, nullptr, nullptr));
    CFTAAddressText *city = add(std::make_unique<CFTAAddressText>(true, tcCity, adWork, nullptr, nullptr));
    const std::shared_ptr<PWPerson> jane = doctest::personFromVCard(doctest::kUsPerson);
    m_document->setCurrentPerson(jane.get(), true, true, false);
    ASSERT_EQ(lastName->GetText()->getString(), u"Doe"_s);
    const auto personsText = [this](textCategory category) {
        return stringForPersonCategory(m_document->currentPerson(true).get(), adWork, category, true);
    };

    lastName->GetText()->setString(u"Roe"_s, nullptr);
    m_document->updatePersonWithComponent(lastName);
    EXPECT_EQ(personsText(tcLastName), u"Roe"_s);
    EXPECT_EQ(doctest::fieldText(*recipient, tcLastName), u"Roe"_s);

    CFTComponent *panelCity = recipient->GetObjectForTextCategory(tcCity);
    ASSERT_NE(panelCity, nullptr);
    panelCity->GetText()->setString(u"Shelbyville"_s, nullptr);
    m_document->updatePersonWithComponent(recipient);
    EXPECT_EQ(personsText(tcCity), u"Shelbyville"_s);
    EXPECT_EQ(city->GetText()->getString(), u"Springfield"_s);
}

TEST_F(CADocumentPersonsTest, AddressTextWithoutAPersonMakesOneAndShapesAreNoAddressControls)
{
    EXPECT_FALSE(m_document->hasAddressControls(true));
    CFTBoxField *box = add(std::make_unique<CFTBoxField>(1.0, 1.0, 5.0, 5.0, nullptr));
    EXPECT_FALSE(m_document->hasAddressControls(false));
    m_document->updatePersonWithComponent(box);
    EXPECT_EQ(m_document->currentPerson(true), nullptr);

    auto free = std::make_unique<CFTAAddressText>(false, tcCity, adHome, nullptr, nullptr);
    free->SetPreferredAddress(false);
    CFTAAddressText *city = add(std::move(free));
    EXPECT_TRUE(m_document->hasAddressControls(false));
    EXPECT_FALSE(m_document->hasAddressControls(true));
    city->GetText()->setString(u"Leeds"_s, nullptr);
    ASSERT_EQ(m_document->currentPerson(false), nullptr);
    m_document->updatePersonWithComponent(city);
    ASSERT_NE(m_document->currentPerson(false), nullptr);
    EXPECT_EQ(stringForPersonCategory(m_document->currentPerson(false).get(), adHome, tcCity, false), u"Leeds"_s);
}

} // namespace
