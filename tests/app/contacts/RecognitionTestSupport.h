#pragma once

#include "app/contacts/FTAddressRecognition.h"

#include <QString>

#include <gtest/gtest.h>

#include <ostream>

using namespace Qt::StringLiterals;

inline void PrintTo(const QString &text, std::ostream *stream)
{
    *stream << '"' << text.toStdString() << '"';
}

namespace recognitiontest {

// The eleven values of a person dictionary; what a case leaves out is expected empty.
struct Fields
{
    QString prefix{};
    QString first{};
    QString last{};
    QString suffix{};
    QString company{};
    QString department{};
    QString street{};
    QString city{};
    QString state{};
    QString zip{};
    QString country{};

    CAPersonDictionary dictionary() const
    {
        return {{kPersonPrefixKey, prefix},   {kPersonFirstNameKey, first},   {kPersonLastNameKey, last},
                {kPersonSuffixKey, suffix},   {kPersonCompanyKey, company},   {kPersonDepartmentKey, department},
                {kPersonStreetKey, street},   {kPersonCityKey, city},         {kPersonStateKey, state},
                {kPersonZipKey, zip},         {kPersonCountryKey, country}};
    }
};

// Every one of the eleven keys is present in the answer and holds the expected text.
inline void expectFields(const CAPersonDictionary &actual, const Fields &expected)
{
    const CAPersonDictionary wanted = expected.dictionary();
    EXPECT_EQ(actual.size(), 11) << "keys: " << actual.keys().join(u", "_s).toStdString();
    for (auto it = wanted.cbegin(); it != wanted.cend(); ++it) {
        EXPECT_TRUE(actual.contains(it.key())) << it.key().toStdString() << " is missing";
        EXPECT_EQ(actual.value(it.key()), it.value()) << "key " << it.key().toStdString();
    }
}

// "a / b / c" written as the lines of a pasted text.
inline QString lines(const char *text)
{
    return QString::fromUtf8(text).replace(u" / "_s, u"\n"_s);
}

} // namespace recognitiontest
