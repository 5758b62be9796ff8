#pragma once

#include "app/contacts/FTPersonDictionary.h"

#include <QString>

// Postal codes in a line of a free-text address: which national layout the address follows
// ("us", "uk", "ger" -- the code leads its line, as in Germany and France -- or "can"), where the
// code stands (the index of its first word, -1 for none), whether the line also holds a house
// number (the street flag), and the parsers that split such a line into the address keys of a
// person dictionary. Words are the pieces between single blanks; the shapes of the codes come
// from the recognition tables.

// The layout of the address whose postal line is given (an empty line: none), where countryCode
// is that of the text's last line (empty: none). The postal word index is written only when a
// code is found; the street flag is that of the finder that found it.
QString countryWithZip(const QString &postalLine, bool *streetFlag, int *postalWordIndex, const QString &countryCode);

// Each answers the index of the code's first word or -1, and sets the street flag.
int findZipUSA(const QString &line, bool *streetFlag);
int findZipUK(const QString &line, bool *streetFlag);
int findZipGermany(const QString &line, bool *streetFlag);
int findZipCanada(const QString &line, bool *streetFlag);
int findZipOtherCountry(const QString &line, bool *streetFlag);

// A line with the postal code (or, with index -1, a line where one was expected). Any other
// layout changes nothing.
void parseZipLine(const QString &line, int postalWordIndex, const QString &layout, CAPersonDictionary &dictionary);
void parseZipLineUSA(const QString &line, int postalWordIndex, CAPersonDictionary &dictionary);
void parseZipLineUK(const QString &line, int postalWordIndex, CAPersonDictionary &dictionary);
void parseZipLineGermany(const QString &line, int postalWordIndex, CAPersonDictionary &dictionary);
void parseZipLineCanada(const QString &line, int postalWordIndex, CAPersonDictionary &dictionary);

// A line with the street and the postal code. Only the keys whose words exist are set: a code
// with fewer than two words before it leaves "City" or "State" alone.
void parseStreetZipLine(const QString &line, int postalWordIndex, const QString &layout,
                        CAPersonDictionary &dictionary);
void parseStreetZipLineUSA(const QString &line, int postalWordIndex, CAPersonDictionary &dictionary);
void parseStreetZipLineUK(const QString &line, int postalWordIndex, CAPersonDictionary &dictionary);
void parseStreetZipLineGermany(const QString &line, int postalWordIndex, CAPersonDictionary &dictionary);
void parseStreetZipLineCanada(const QString &line, int postalWordIndex, CAPersonDictionary &dictionary);
