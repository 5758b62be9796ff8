#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// What the reader of free-text addresses answers and the confirmation sheet edits: eleven text
// values under fixed keys, every key present, an empty text where nothing was recognised.
using CAPersonDictionary = QMap<QString, QString>;

inline const QString kPersonPrefixKey = QStringLiteral("Prefix");
inline const QString kPersonFirstNameKey = QStringLiteral("First Name");
inline const QString kPersonLastNameKey = QStringLiteral("Last Name");
inline const QString kPersonSuffixKey = QStringLiteral("Suffix");
inline const QString kPersonCompanyKey = QStringLiteral("Company");
inline const QString kPersonDepartmentKey = QStringLiteral("Department");
inline const QString kPersonStreetKey = QStringLiteral("Street");
inline const QString kPersonCityKey = QStringLiteral("City");
inline const QString kPersonStateKey = QStringLiteral("State");
inline const QString kPersonZipKey = QStringLiteral("Zip");
inline const QString kPersonCountryKey = QStringLiteral("Country");

// The eleven keys in the order a form shows them.
const QStringList &personDictionaryKeys();
// Every key with an empty text.
CAPersonDictionary emptyPersonDictionary();
