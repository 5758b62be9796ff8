#include "kernel/address/FTPersonFieldTable.h"

#include "platform/PWPersonProperties.h"

namespace {

using enum PersonValueKind;

// The system's own person properties, registered at start-up (installPersonPropertiesRegistration).
const QString kDepartmentProperty = QStringLiteral("ABDepartment");
const QString kCustomProperties[] = {
    QStringLiteral("Custom1"), QStringLiteral("Custom2"), QStringLiteral("Custom3"),
    QStringLiteral("Custom4"), QStringLiteral("Custom5"), QStringLiteral("Custom6"),
    QStringLiteral("Custom7"), QStringLiteral("Custom8"), QStringLiteral("Custom9"),
};
// The keys under which personValue looks for the first three custom fields in an entry.
const QString kCustomAddressKeys[] = {
    QStringLiteral("keyCustom1"),
    QStringLiteral("keyCustom2"),
    QStringLiteral("keyCustom3"),
};

constexpr EntryLabels kAddressLabels {nullptr, &kPWAddressWorkLabel, &kPWAddressHomeLabel};
constexpr EntryLabels kPhoneLabels {&kPWPhoneMainLabel, &kPWPhoneWorkLabel, &kPWPhoneHomeLabel};
constexpr EntryLabels kFaxLabels {nullptr, &kPWPhoneWorkFAXLabel, &kPWPhoneHomeFAXLabel};
constexpr EntryLabels kEmailLabels {nullptr, &kPWEmailWorkLabel, &kPWEmailHomeLabel};
constexpr EntryLabels kWorkHomeLabels {nullptr, &kPWWorkLabel, &kPWHomeLabel};

// category, kind, property, label, entry labels, address key, entry is the value
constexpr PersonField kPersonFields[] = {
    {tcFullName, FullName, nullptr, nullptr, nullptr, nullptr, false},
    {tcCompany, Text, &kPWOrganizationProperty, nullptr, nullptr, nullptr, false},
    {tcJobTitle, Text, &kPWJobTitleProperty, nullptr, nullptr, nullptr, false},
    {tcStreet, AddressPart, &kPWAddressProperty, &kPWAddressStreetKey, &kAddressLabels, &kPWAddressStreetKey, false},
    {tcCityLine, CityLine, nullptr, nullptr, nullptr, nullptr, false},
    {tcPhone, TypedEntry, &kPWPhoneProperty, &kPWPhoneWorkLabel, &kPhoneLabels, nullptr, true},
    {tcFax, TypedEntry, &kPWPhoneProperty, &kPWPhoneWorkFAXLabel, &kFaxLabels, nullptr, true},
    {tcMobile, LabelledEntry, &kPWPhoneProperty, &kPWPhoneMobileLabel, nullptr, nullptr, false},
    {tcEmail, TypedEntry, &kPWEmailProperty, &kPWEmailWorkLabel, &kEmailLabels, nullptr, true},
    {tcHomepage, Homepage, &kPWHomePageProperty, nullptr, &kWorkHomeLabels, nullptr, true},
    {tcCity, AddressPart, &kPWAddressProperty, &kPWAddressCityKey, &kAddressLabels, &kPWAddressCityKey, false},
    {tcState, AddressPart, &kPWAddressProperty, &kPWAddressStateKey, &kAddressLabels, &kPWAddressStateKey, false},
    {tcZIP, AddressPart, &kPWAddressProperty, &kPWAddressZIPKey, &kAddressLabels, &kPWAddressZIPKey, false},
    {tcCountry, AddressPart, &kPWAddressProperty, &kPWAddressCountryKey, &kAddressLabels, &kPWAddressCountryKey, false},
    {tcFirstName, Text, &kPWFirstNameProperty, nullptr, nullptr, nullptr, false},
    {tcLastName, Text, &kPWLastNameProperty, nullptr, nullptr, nullptr, false},
    {tcPrefix, Text, &kPWTitleProperty, nullptr, nullptr, nullptr, false},
    {tcDepartment, Text, &kDepartmentProperty, nullptr, nullptr, nullptr, false},
    {tcCustom1, Text, &kCustomProperties[0], nullptr, nullptr, &kCustomAddressKeys[0], false},
    {tcCustom2, Text, &kCustomProperties[1], nullptr, nullptr, &kCustomAddressKeys[1], false},
    {tcCustom3, Text, &kCustomProperties[2], nullptr, nullptr, &kCustomAddressKeys[2], false},
    {tcSuffix, Text, &kPWSuffixProperty, nullptr, nullptr, nullptr, false},
    {tcCustom4, Text, &kCustomProperties[3], nullptr, nullptr, nullptr, false},
    {tcCustom5, Text, &kCustomProperties[4], nullptr, nullptr, nullptr, false},
    {tcCustom6, Text, &kCustomProperties[5], nullptr, nullptr, nullptr, false},
    {tcCustom7, Text, &kCustomProperties[6], nullptr, nullptr, nullptr, false},
    {tcCustom8, Text, &kCustomProperties[7], nullptr, nullptr, nullptr, false},
    {tcCustom9, Text, &kCustomProperties[8], nullptr, nullptr, nullptr, false},
    {tcAnniversary, LabelledDate, &kPWOtherDatesProperty, &kPWAnniversaryLabel, nullptr, nullptr, false},
    {tcBirthday, Date, &kPWBirthdayProperty, &kPWBirthdayProperty, nullptr, nullptr, false},
    {tcOtherDate, LabelledDate, &kPWOtherDatesProperty, &kPWOtherLabel, nullptr, nullptr, false},
    {tcPager, LabelledEntry, &kPWPhoneProperty, &kPWPhonePagerLabel, nullptr, nullptr, true},
    {tcNickName, Text, &kPWNicknameProperty, nullptr, nullptr, nullptr, false},
    {tcMiddleName, Text, &kPWMiddleNameProperty, nullptr, nullptr, nullptr, false},
    {tcMaidenName, Text, &kPWMaidenNameProperty, nullptr, nullptr, nullptr, false},
    {tcMotherName, LabelledEntry, &kPWRelatedNamesProperty, &kPWMotherLabel, nullptr, nullptr, false},
    {tcFatherName, LabelledEntry, &kPWRelatedNamesProperty, &kPWFatherLabel, nullptr, nullptr, false},
    {tcParentName, LabelledEntry, &kPWRelatedNamesProperty, &kPWParentLabel, nullptr, nullptr, false},
    {tcSisterName, LabelledEntry, &kPWRelatedNamesProperty, &kPWSisterLabel, nullptr, nullptr, false},
    {tcBrotherName, LabelledEntry, &kPWRelatedNamesProperty, &kPWBrotherLabel, nullptr, nullptr, false},
    {tcChildName, LabelledEntry, &kPWRelatedNamesProperty, &kPWChildLabel, nullptr, nullptr, false},
    {tcFriendName, LabelledEntry, &kPWRelatedNamesProperty, &kPWFriendLabel, nullptr, nullptr, false},
    {tcSpouseName, LabelledEntry, &kPWRelatedNamesProperty, &kPWSpouseLabel, nullptr, nullptr, false},
    {tcPartnerName, LabelledEntry, &kPWRelatedNamesProperty, &kPWPartnerLabel, nullptr, nullptr, false},
    {tcAssistantName, LabelledEntry, &kPWRelatedNamesProperty, &kPWAssistantLabel, nullptr, nullptr, false},
    {tcManagerName, LabelledEntry, &kPWRelatedNamesProperty, &kPWManagerLabel, nullptr, nullptr, false},
    {tcOtherName, LabelledEntry, &kPWRelatedNamesProperty, &kPWOtherLabel, nullptr, nullptr, false},
    {tcAIM, TypedEntry, &kPWAIMInstantProperty, &kPWAIMWorkLabel, &kWorkHomeLabels, nullptr, true},
    {tcJabber, TypedEntry, &kPWJabberInstantProperty, &kPWJabberWorkLabel, &kWorkHomeLabels, nullptr, true},
    {tcMSN, TypedEntry, &kPWMSNInstantProperty, &kPWMSNWorkLabel, &kWorkHomeLabels, nullptr, true},
    {tcICQ, TypedEntry, &kPWICQInstantProperty, &kPWICQWorkLabel, &kWorkHomeLabels, nullptr, true},
    {tcYahoo, TypedEntry, &kPWYahooInstantProperty, &kPWYahooWorkLabel, &kWorkHomeLabels, nullptr, true},
    {tcNote, Text, &kPWNoteProperty, nullptr, nullptr, nullptr, false},
};

} // namespace

const PersonField *personFieldFor(textCategory category)
{
    for (const PersonField &field : kPersonFields) {
        if (field.category == category)
            return &field;
    }
    return nullptr;
}
