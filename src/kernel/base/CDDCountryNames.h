#pragma once

#include <QString>

// The name the countries table gives first for a country's two-letter code ("FR" or "fr":
// "France"); empty for anything else. The table is the one CDDString::getCountryCodeFromString
// reads names by.
QString CDDCountryNameFromCode(const QString &code);
