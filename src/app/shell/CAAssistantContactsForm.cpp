#include "app/shell/CAAssistantContactsForm.h"

#include "kernel/address/FTPersonFields.h"
#include "platform/PWMultiValue.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"

using namespace Qt::StringLiterals;

namespace CAAssistantContactsForm {

const std::array<Field, 13> &fields()
{
    static const std::array<Field, 13> table = {{
        {u"company"_s, tcCompany, kPWOrganizationProperty, false},
        {u"country"_s, tcCountry, kPWAddressCountryKey, true},
        {u"department"_s, tcDepartment, u"ABDepartment"_s, false},
        {u"job"_s, tcJobTitle, kPWJobTitleProperty, false},
        {u"first"_s, tcFirstName, kPWFirstNameProperty, false},
        {u"last"_s, tcLastName, kPWLastNameProperty, false},
        {u"middle"_s, tcMiddleName, kPWMiddleNameProperty, false},
        {u"prefix"_s, tcPrefix, kPWTitleProperty, false},
        {u"city"_s, tcCity, kPWAddressCityKey, true},
        {u"state"_s, tcState, kPWAddressStateKey, true},
        {u"street"_s, tcStreet, kPWAddressStreetKey, true},
        {u"suffix"_s, tcSuffix, kPWSuffixProperty, false},
        {u"zip"_s, tcZIP, kPWAddressZIPKey, true},
    }};
    return table;
}

addressType addrType(int menuIndex)
{
    return menuIndex == 0 ? adWork : menuIndex == 1 ? adHome : adOther;
}

int menuIndexOfAddressType(addressType type)
{
    return type == adHome ? 1 : type == adOther ? 2 : 0;
}

QString addressLabel(addressType type)
{
    // An "other" address carries the other label: a work label would make a later reader take
    // it for the person's work address.
    switch (type) {
    case adHome:
        return kPWAddressHomeLabel;
    case adOther:
        return kPWOtherLabel;
    default:
        return kPWAddressWorkLabel;
    }
}

Values valuesOfPerson(const PWPerson *person, addressType type)
{
    Values values;
    for (const Field &field : fields()) {
        const QString text = person ? stringForPersonCategory(person, type, field.category, true) : QString();
        values.insert(field.key, text.isNull() ? QString(u""_s) : text);
    }
    return values;
}

void fillPerson(PWPerson &person, const Values &values, addressType type)
{
    PWPlist::Dictionary address;
    for (const Field &field : fields()) {
        const QString text = values.value(field.key);
        if (field.isAddressKey)
            address.insert(field.target, PWPlist::fromString(text));
        else
            person.setValueForProperty(field.target, PWPlist::fromString(text));
    }
    PWMultiValue addresses;
    addresses.addValue(PWPlist(address), addressLabel(type));
    person.setMultiValueForProperty(kPWAddressProperty, addresses);
}

QString firstDifference(const Values &values, const PWPerson *person, addressType type)
{
    const Values shown = valuesOfPerson(person, type);
    for (const Field &field : fields())
        if (values.value(field.key) != shown.value(field.key))
            return field.key;
    return QString();
}

} // namespace CAAssistantContactsForm
