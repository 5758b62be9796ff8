#include "app/shell/CAAssistantContactsForm.h"

#include "platform/PWMultiValue.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWVCardReader.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
namespace form = CAAssistantContactsForm;

namespace {

form::Values sampleValues()
{
    return {{u"company"_s, u"Acme"_s},       {u"country"_s, u"USA"_s},    {u"department"_s, u"Shipping"_s},
            {u"job"_s, u"Clerk"_s},          {u"first"_s, u"Ann"_s},      {u"last"_s, u"Lee"_s},
            {u"middle"_s, u"Q"_s},           {u"prefix"_s, u"Dr."_s},     {u"city"_s, u"Salem"_s},
            {u"state"_s, u"OR"_s},           {u"street"_s, u"5 Elm St"_s}, {u"suffix"_s, u"Jr."_s},
            {u"zip"_s, u"97301"_s}};
}

struct TypeCase
{
    const char *name;
    int menuIndex;
    addressType type;
    QString label;
};

class AssistantFormAddressType : public ::testing::TestWithParam<TypeCase>
{
};

// The address a form builds for a person without one carries the label of the chosen type;
// "other" is labelled as such, never as a work address. (A person's own addresses keep theirs.)
TEST_P(AssistantFormAddressType, TheBuiltAddressCarriesTheChosenTypesLabel)
{
    const TypeCase c = GetParam();
    EXPECT_EQ(form::addrType(c.menuIndex), c.type);
    EXPECT_EQ(form::menuIndexOfAddressType(c.type), c.menuIndex);

    const std::shared_ptr<PWPerson> person = PWVCardReader::personFromData(
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Old;Name;;;\r\nFN:Name Old\r\nEND:VCARD\r\n");
    ASSERT_NE(person, nullptr);
    form::fillPerson(*person, sampleValues(), c.type);

    const std::optional<PWMultiValue> addresses = person->multiValueForProperty(kPWAddressProperty);
    ASSERT_TRUE(addresses);
    ASSERT_EQ(addresses->count(), 1);
    EXPECT_EQ(addresses->labelAtIndex(0), c.label);
    const PWPlist::Dictionary address = addresses->valueAtIndex(0).toDictionary();
    EXPECT_EQ(address.value(kPWAddressStreetKey).toString(), u"5 Elm St"_s);
    EXPECT_EQ(address.value(kPWAddressZIPKey).toString(), u"97301"_s);
    // What the form shows again for that type is what was typed.
    EXPECT_EQ(form::valuesOfPerson(person.get(), c.type), sampleValues());
    EXPECT_TRUE(form::firstDifference(sampleValues(), person.get(), c.type).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Assistant, AssistantFormAddressType,
                         ::testing::Values(TypeCase{"Work", 0, adWork, kPWAddressWorkLabel},
                                           TypeCase{"Home", 1, adHome, kPWAddressHomeLabel},
                                           TypeCase{"Other", 2, adOther, kPWOtherLabel}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(AssistantForm, EveryNameFieldIsWrittenEmptyTextsIncluded)
{
    const std::shared_ptr<PWPerson> person = PWPerson::create();
    form::fillPerson(*person, sampleValues(), adWork);
    EXPECT_EQ(person->stringForProperty(kPWOrganizationProperty), u"Acme"_s);
    EXPECT_EQ(person->stringForProperty(u"ABDepartment"_s), u"Shipping"_s);
    EXPECT_EQ(person->stringForProperty(kPWJobTitleProperty), u"Clerk"_s);
    EXPECT_EQ(person->stringForProperty(kPWTitleProperty), u"Dr."_s);
    EXPECT_EQ(person->stringForProperty(kPWSuffixProperty), u"Jr."_s);
    EXPECT_EQ(person->stringForProperty(kPWMiddleNameProperty), u"Q"_s);

    // Clearing a field clears the person's value, not keeps the earlier one.
    form::Values cleared = sampleValues();
    cleared[u"company"_s].clear();
    cleared[u"first"_s].clear();
    form::fillPerson(*person, cleared, adWork);
    EXPECT_TRUE(person->stringForProperty(kPWOrganizationProperty).isEmpty());
    EXPECT_TRUE(person->stringForProperty(kPWFirstNameProperty).isEmpty());
    EXPECT_EQ(person->stringForProperty(kPWLastNameProperty), u"Lee"_s);
}

TEST(AssistantForm, AFormShowsTheChosenAddressAndFallsBackToAnother)
{
    const std::shared_ptr<PWPerson> person = PWVCardReader::personFromData(
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann;;;\r\nFN:Ann Lee\r\n"
        "ADR;TYPE=HOME:;;1 Home Rd;Hometown;CA;90001;USA\r\nEND:VCARD\r\n");
    ASSERT_NE(person, nullptr);
    EXPECT_EQ(form::valuesOfPerson(person.get(), adHome).value(u"street"_s), u"1 Home Rd"_s);
    // No work address: the home one stands in.
    EXPECT_EQ(form::valuesOfPerson(person.get(), adWork).value(u"city"_s), u"Hometown"_s);
    const form::Values none = form::valuesOfPerson(nullptr, adWork);
    EXPECT_EQ(none.size(), 13);
    for (const QString &text : none)
        EXPECT_TRUE(text.isEmpty());
    form::Values typed = form::valuesOfPerson(person.get(), adHome);
    typed[u"zip"_s] = u"90009"_s;
    EXPECT_EQ(form::firstDifference(typed, person.get(), adHome), u"zip"_s);
}

} // namespace
