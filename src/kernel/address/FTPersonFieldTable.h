#pragma once

#include "kernel/base/FTTypes.h"

#include <QString>

// The one table behind the person-field functions (FTPersonFields.h): per text category, where a
// person keeps its value and under which labels. Internal to the addressing kernel.

// How a person holds the value of a category, which decides how it is read and written.
enum class PersonValueKind {
    FullName, // first and last name composed; read only
    CityLine, // city, state, ZIP and country of one address composed; read only
    Text, // a single-valued text property
    Homepage, // the homepage property, else a URL entry chosen by the address type
    AddressPart, // one key of the work, home or other address entry
    TypedEntry, // the work, home or other entry of a multi-valued text property
    LabelledEntry, // the first entry with the category's own label
    LabelledDate, // the first date with the category's own label
    Date, // a single-valued date property
};

// The labels of the main, work and home entries of a multi-valued property; null where none.
struct EntryLabels
{
    const QString *main;
    const QString *work;
    const QString *home;
};

struct PersonField
{
    textCategory category;
    PersonValueKind kind;
    const QString *property; // null: the person has no property of its own for it
    // The category's own label: the key of an address part, the label of a labelled entry, the
    // label a typed entry is given by default. Null for the rest.
    const QString *label;
    const EntryLabels *entryLabels; // null: none (getLabelForAddressType)
    const QString *addressKey; // the key personValue reads from an entry; null: none
    bool entryIsValue; // personValue answers the entry itself when there is no address key
};

// The row of a category; null for a category that no person field stands behind (0, 3, 12, 25,
// 26, 33 to 99, 104 to 106 and everything outside 0 to 127).
const PersonField *personFieldFor(textCategory category);
