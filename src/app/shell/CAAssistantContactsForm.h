#pragma once

#include "kernel/base/FTComponentTypes.h"
#include "kernel/base/FTTypes.h"

#include <QHash>
#include <QString>

#include <array>

class PWPerson;

// The thirteen fields of the assistant's recipient and sender forms: what each shows of a
// person and where it is written back. Plain functions, so that the step's widgets only move
// texts in and out.
namespace CAAssistantContactsForm {

struct Field
{
    // The field's key, also the "field" property of its line edit in the form.
    QString key;
    textCategory category;
    // The person property written, or the key of the address entry when isAddressKey.
    QString target;
    bool isAddressKey;
};

// Field texts by key.
using Values = QHash<QString, QString>;

// In the order every pass over a form takes them.
const std::array<Field, 13> &fields();

// The address type of an item of an address-type menu: 0 work, 1 home, anything else other.
addressType addrType(int menuIndex);
// The menu item showing an address type (work for any type the menu has no item for).
int menuIndexOfAddressType(addressType type);
// The label of the address a form builds for a person without one.
QString addressLabel(addressType type);

// What the form shows of a person for the address type: each field's text, with the other
// address types as fallbacks; empty texts where the person has none, and for no person.
Values valuesOfPerson(const PWPerson *person, addressType type);
// Writes into the person what the form changed of what it shows for the type: each name field
// changed (emptied ones included), and the changed address fields into the address shown, which
// keeps its label; a person without an address gets one labelled by the type. Everything else
// of the person, its other addresses included, stays as it was.
void fillPerson(PWPerson &person, const Values &values, addressType type);
// The first field whose text differs from the person's; an empty key when none does.
QString firstDifference(const Values &values, const PWPerson *person, addressType type);

} // namespace CAAssistantContactsForm
