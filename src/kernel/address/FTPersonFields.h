#pragma once


#include "kernel/base/FTComponentTypes.h"
#include "kernel/base/FTTypes.h"
#include "platform/PWMultiValue.h"
#include "platform/PWPlist.h"

#include <QString>

#include <optional>

class PWPerson;

// The bridge between the text categories of a design and the properties of a person: which
// property and label stand behind a category, what text a person holds for a category and an
// address type, and how a typed text is written back. Null strings stand for "nothing". Every
// person field is read and written through these functions only. Main thread.

// The person property of a category; label, when given, is cleared and then receives the
// category's default label. Null for categories without one.
QString getABPropertyKeyFromTextCategory(textCategory category, QString *label = nullptr);
// "Custom<index>".
QString getABPropertyKeyForCustomIndex(unsigned int index);
// The multi-value label of a category on an address type; "other" for type 3, null where none.
QString getLabelForAddressType(textCategory category, addressType type);

// The entry of a multi-value for an address type: 0 the primary entry, 1 the first labelled
// work, 2 the first labelled home, any other the first labelled neither. When found and used is
// given, it receives 1, 2 or 3 by the entry's label. Null when there is none.
PWPlist valueForPersonProperty(const PWMultiValue &multiValue, addressType type, addressType *used,
                               const QString &workLabel, const QString &homeLabel);
// The value for a category from one multi-value: an exact label when given, else the work and
// home labels; with fallback the types 1, 2, 3 and 0 (the one asked for skipped); then the
// address key of the category, or the entry itself for phone-like categories.
PWPlist personValue(const std::optional<PWMultiValue> &multiValue, addressType type, textCategory category,
                    bool fallback, addressType *used, const QString &workLabel, const QString &homeLabel,
                    const QString &exactLabel = QString());
// The address dictionary for an address type (empty when there is none).
PWPlist::Dictionary extractDictFromAddressProperty(const PWMultiValue &multiValue, addressType type,
                                                   addressType *used);
// The multi-value with the value stored under the label: the last entry with that label gets
// it, else it is added (an empty text is never added). changed tells whether anything differs.
PWMultiValue personPropertyByAppendingValue(const std::optional<PWMultiValue> &multiValue, const PWPlist &value,
                                            const QString &label, bool *changed = nullptr);

// The person's text for a category; fallback allows other address types, used receives the
// type of the entry read. Null for a null person, a category without a value or above 127.
QString stringForPersonCategory(const PWPerson *person, addressType type, textCategory category, bool fallback,
                                addressType *used = nullptr);
// The sorting text: the category's work text, else the first of its fallback categories (17:
// 2, 18; 18: 2, 17; 2: 17, 18; others 18, 17, 2) that has one; used receives that category.
QString stringInfoForPersonCategory(const PWPerson *person, textCategory category, textCategory *used = nullptr);
// Writes the text into the person; true when the person changed.
bool setStringForPersonCategory(PWPerson *person, const QString &text, addressType type, textCategory category);

// Makes the first address entry with the label primary (nothing when there is none).
void setPrimaryAddressIndex(PWPerson *person, const QString &label);
// The label of the primary address entry; null without addresses.
QString getPrimaryAddressLabel(const PWPerson *person);

QString stringByRemovingNewLineCharacters(const QString &text);

// The interface language that name and city-line composition follow: "Japanese", "German" or
// the default order (any other text), from the bundle's preferred localization.
QString interfaceLanguage();
// First and last name joined by one blank, last name first for "Japanese"; a missing part is
// left out without a stray blank. Null when both are missing.
QString composeNameConsideringCountry(const QString &first, const QString &last,
                                      const QString &language = interfaceLanguage());
// City, state, ZIP and country in the order of the language ("Japanese": country, ZIP, state,
// city; "German": ZIP, city, state, country; otherwise city, state, ZIP, country), present
// parts joined by blanks.
QString composeAddressConsideringCountry(const QString &city, const QString &state, const QString &zip,
                                         const QString &country, const QString &language = interfaceLanguage());

// Whether address fields are shown on one line (the preference "FTConvertToLinearAddress",
// on unless set off).
bool isConvertToLinearAddress();

// Has the environment register the system's own person properties ("ABDepartment",
// "Custom1" to "Custom9") with the person type; the shell calls it once at start-up.
void installPersonPropertiesRegistration();
