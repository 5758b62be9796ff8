#pragma once

#include "app/contacts/FTPersonDictionary.h"

#include <QString>
#include <QStringList>
#include <QStringView>

// Name and company lines of a free-text address, and the word lists they are recognised by:
// the localized strings "Prefix Array" (titles before a name), "Suffix Array" (after a name) and
// "Other Prefix Array" (words that open a line that is not part of an address), each a list of
// words separated by blanks. A list whose entry is missing is empty.

inline const QString kPrefixArrayKey = QStringLiteral("Prefix Array");
inline const QString kSuffixArrayKey = QStringLiteral("Suffix Array");
inline const QString kOtherPrefixArrayKey = QStringLiteral("Other Prefix Array");

// The word without one trailing "," "." ":" or "-".
QString stripWordMark(const QString &word);
// Whether the word, stripped of its mark, equals a word of the list ignoring case; canonically
// equivalent spellings are equal. An empty word matches nothing.
bool wordMatchesList(const QString &word, const QString &listKey);

// The first line that begins with a name prefix or ends with a name suffix; -1 when none does.
int searchPrefixSuffix(const QStringList &lines);
// Sets "Prefix", "First Name", "Last Name" and "Suffix" as far as the line provides them.
void parseNameLine(const QString &line, CAPersonDictionary &dictionary);
// Sets "Company" and, when the text is split by points or commas, "Department".
void parseCompanyLine(const QString &text, CAPersonDictionary &dictionary);
