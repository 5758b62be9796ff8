#pragma once

#include "kernel/base/FTTypes.h"

#include <QString>

// The vocabulary of text categories: the key string that names a category in format resources,
// custom formats and documents, the key of its localizable label, its display name and its
// localized field name, the way back from a key string, and the country code of a country name.
// Stateless; callable from any thread that may read the bundle.
class FTTextCategories
{
public:
    // The key string ("Company", "ZIP", "Simple Text", ...), or a null string for a category
    // without one (0, 1, 3, 6, 12, 33 to 99, 104, 105 and everything below 0 or above 128).
    static QString getKeyFromTextCategory(textCategory category);
    // The label key ("CompanyLabel", ..., "Barcode" for 106), "NALabel" where there is none.
    static QString getLabelFromTextCategory(textCategory category);
    // The key string, except the localized "State/Province" for 14 and "ZIP/Postal Code" for 15.
    static QString displayNameForTextCategory(textCategory category);
    // The localized field name of the address-layout grid: a null string for 1, 3, 7, 8 and 10,
    // the localized "NALabel" for 0, 4, 6, 9, 11, 12 and every value above 24 or below 0, else
    // the localized label key.
    static QString getLocalizedTextFromTextCategory(textCategory category);
    // The category of a key string (case-sensitive), also 128 for "Text" and 104 for
    // "Address"; -1 for anything else. Every key string getKeyFromTextCategory answers comes back.
    static textCategory getTextCategoryFromKey(const QString &key);

    // The code of the country one of whose names (resource "Countries") equals the trimmed
    // text, or else one word of it, tried from the last word to the first, ignoring case;
    // codes in the resource's order, names in theirs. Null for a null text, no match or a
    // missing resource.
    static QString getCountryCodeFromString(const QString &text);
};
