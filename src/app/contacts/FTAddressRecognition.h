#pragma once

#include "app/contacts/CAAddressRecognitionTables.h"
#include "app/contacts/FTPersonDictionary.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class PWPerson;

// Free text holding one person's name and postal address (pasted, or handed over by another
// program) read into a person dictionary: the text is cut into lines, its words cleaned, lines
// that are no part of an address dropped, the postal line and the address layout found, every
// line given a part by the layout's table, and one parser run per part. Nothing is kept between
// calls, and every text gives a dictionary with all eleven keys.

// The whole reading.
CAPersonDictionary parseServiceText(const QString &text);

// A text may hold several addresses, set apart by blank lines (a list copied from a letter or a
// page). Each block of lines whose postal code is found is one address; a block without one (a
// name or a country set apart) is no address of its own.
struct CAAddressTexts
{
    // The text up to the end of its first address; the whole text when it holds one or none.
    QString first;
    // How many addresses the text holds.
    int count = 0;
};
CAAddressTexts firstAddressOfText(const QString &text);
// A new person: name, company and department from the dictionary, and one work address of its
// street, city, state, ZIP and country.
std::shared_ptr<PWPerson> initABPersonWithDictionary(const CAPersonDictionary &dictionary);

// The text without what an address never holds: terminal escape sequences, control characters
// other than line ends (a tab becomes a space), byte-order marks and direction marks.
QString withoutControlCharacters(const QString &text);
// The lines of the text, each trimmed; empty lines stay.
QStringList splitServiceTextLines(const QString &text);
// Empty words dropped, one trailing comma taken off each word, lines left empty dropped.
QStringList arrayByTrimmingCharacters(const QStringList &lines);
// Lines opened by a word of "Other Prefix Array", and lines holding an "@" or a run of ten or
// more digits (telephone and fax numbers, however punctuated), dropped.
QStringList deleteUnneededLine(const QStringList &lines);

// What the reading decides before it fills the dictionary.
struct CAAddressLayout
{
    QList<int> digitLines;
    // The last digit line when there are one to three of them, else -1.
    int postalLine = -1;
    QString layout = QStringLiteral("us");
    int postalWordIndex = -1;
    bool streetFlag = false;
};
CAAddressLayout findAddressLayout(const QStringList &lines);

void getAddressLinesIndex(CAAddressLineRoles &roles, int lineCount, const QList<int> &digitLines,
                          const QString &layout, int postalWordIndex, bool streetFlag);
void getAddressLinesIndexUSA(CAAddressLineRoles &roles, int lineCount, const QList<int> &digitLines,
                             int postalWordIndex, bool streetFlag);
void getAddressLinesIndexUK(CAAddressLineRoles &roles, int lineCount, const QList<int> &digitLines,
                            int postalWordIndex, bool streetFlag);
void getAddressLinesIndexGermany(CAAddressLineRoles &roles, int lineCount, const QList<int> &digitLines,
                                 int postalWordIndex, bool streetFlag);
void getAddressLinesIndexCanada(CAAddressLineRoles &roles, int lineCount, const QList<int> &digitLines,
                                int postalWordIndex, bool streetFlag);

CAPersonDictionary fillPersonDictionaryWithLines(const QStringList &lines, CAAddressLineRoles roles,
                                                 const QString &layout, int postalWordIndex);

// Each sets its key to the whole line.
void parseStreetLine(const QString &line, CAPersonDictionary &dictionary);
void parseCityLine(const QString &line, CAPersonDictionary &dictionary);
void parseStateLine(const QString &line, CAPersonDictionary &dictionary);
void parseCountryLine(const QString &line, CAPersonDictionary &dictionary);
