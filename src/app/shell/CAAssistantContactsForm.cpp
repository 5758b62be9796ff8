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

namespace {

// The person's address of the type, found as the form's reading finds it.
qsizetype indexOfAddressType(const PWMultiValue &addresses, addressType type)
{
    if (type == adWork)
        return addresses.indexOfLabel(kPWAddressWorkLabel);
    if (type == adHome)
        return addresses.indexOfLabel(kPWAddressHomeLabel);
    for (qsizetype i = 0; i < addresses.count(); ++i) {
        const QString label = addresses.labelAtIndex(i);
        if (label != kPWAddressWorkLabel && label != kPWAddressHomeLabel)
            return i;
    }
    return -1;
}

// The address the form shows for the type: the person's own of that type, else the one the
// reading falls back to.
qsizetype shownAddressIndex(const PWMultiValue &addresses, addressType type)
{
    for (const addressType candidate : {type, adWork, adHome, adOther}) {
        const qsizetype index = indexOfAddressType(addresses, candidate);
        if (index >= 0)
            return index;
    }
    return -1;
}

} // namespace

void fillPerson(PWPerson &person, const Values &values, addressType type)
{
    // Only what differs from what the form shows of the person is the user's change: the rest
    // of the person, its other addresses and the label of the address shown (a home address
    // shown for the work choice) stay as they were.
    const Values shown = valuesOfPerson(&person, type);
    PWPlist::Dictionary changedParts;
    for (const Field &field : fields()) {
        const QString text = values.value(field.key);
        if (text == shown.value(field.key))
            continue;
        if (field.isAddressKey)
            changedParts.insert(field.target, PWPlist::fromString(text));
        else
            person.setValueForProperty(field.target, PWPlist::fromString(text));
    }
    if (changedParts.isEmpty())
        return;
    PWMultiValue addresses = person.multiValueForProperty(kPWAddressProperty).value_or(PWMultiValue());
    const qsizetype index = shownAddressIndex(addresses, type);
    if (index >= 0) {
        PWPlist::Dictionary address = addresses.valueAtIndex(index).toDictionary();
        for (const auto &[key, value] : changedParts)
            address.insert(key, value);
        addresses.replaceValueAtIndex(index, PWPlist(address));
    } else {
        // A person without an address gets one of the chosen type.
        PWPlist::Dictionary address;
        for (const Field &field : fields())
            if (field.isAddressKey)
                address.insert(field.target, PWPlist::fromString(values.value(field.key)));
        addresses.addValue(PWPlist(address), addressLabel(type));
    }
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
