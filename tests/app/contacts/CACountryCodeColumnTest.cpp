// A column of a country's two-letter code under every prefix the header reader knows: a known
// code stands in for a country that is missing or empty, by the country's name; a country given
// stays; any other value is named and not used.
#include "app/contacts/CADelimitedText.h"
#include "app/contacts/CATextFileSource.h"

#include "TestSupport.h"
#include "kernel/base/CDDString.h"
#include "platform/PWMultiValue.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"

#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// The countries of a person's addresses, whatever their kind.
QStringList countriesOf(const PWPerson &person)
{
    QStringList countries;
    const PWMultiValue addresses = person.multiValueForProperty(kPWAddressProperty).value_or(PWMultiValue());
    for (qsizetype i = 0; i < addresses.count(); ++i)
        countries.append(addresses.valueAtIndex(i).toDictionary().value(kPWAddressCountryKey).toString());
    return countries;
}

// The English name of a territory by its code, as the toolkit's locale data gives it.
QString territoryName(const QString &code)
{
    return QLocale::territoryToString(QLocale::codeToTerritory(code.toUpper()));
}

TEST(CACountryCodeColumn, AKnownCodeStandsInForAMissingCountryUnderEveryPrefix)
{
    const QStringList prefixes = CADelimitedText::addressKindPrefixes();
    ASSERT_GE(prefixes.size(), 5);
    QTemporaryDir folder;
    const struct
    {
        const char *name;
        bool countryColumn;
        QString row; // first, last, street, city, [country,] code
        QString country; // empty: the code's territory
        QString named; // a value the notes name
    } cases[] = {
        {"a code without a country column", false, u"Anne,Bernard,1 rue Haute,Paris,FR"_s, {}, {}},
        {"a code in lower case beside an empty country", true, u"Urs,Keller,Bahnhofstrasse 1,Zürich,,ch"_s, {}, {}},
        {"the United Kingdom's code as exports write it", false, u"Ian,Hay,1 High Street,Leeds,GB"_s, {}, {}},
        {"a country given stays", true, u"Lea,Meier,Hauptstrasse 2,Wien,Österreich,AT"_s, u"Österreich"_s, {}},
        {"a dialling code is named and not used", true, u"Bo,Dial,1 High Street,Leeds,,+44"_s, u""_s, u"+44"_s},
        {"three letters are no two-letter code", false, u"Cy,Long,2 Low Road,Bath,GBR"_s, u""_s, u"GBR"_s},
    };
    for (const QString &prefix : prefixes) {
        for (const auto &c : cases) {
            SCOPED_TRACE(qPrintable(u"\""_s + prefix + u"\" "_s + QString::fromLatin1(c.name)));
            QStringList header = {u"First Name"_s, u"Last Name"_s, prefix + u"Street"_s, prefix + u"City"_s};
            if (c.countryColumn)
                header.append(prefix + u"Country"_s);
            header.append(prefix + u"Country Code"_s);
            const QString file = folder.filePath(u"people.csv"_s);
            ASSERT_TRUE(pwtest::writeFile(file, (header.join(u',') + u'\n' + c.row + u'\n').toUtf8()));
            QStringList problems;
            CATextFileSource::ColumnsRead read;
            const std::optional<CAPersonList> persons =
                CATextFileSource::personsFromTextFile(file, {}, &problems, nullptr, nullptr, &read);
            ASSERT_TRUE(persons && persons->size() == 1) << qPrintable(problems.join(u'\n'));
            const QString code = c.row.section(u',', -1);
            const QString expected = c.country.isNull() ? territoryName(code) : c.country;
            ASSERT_FALSE(expected.isNull());
            EXPECT_EQ(countriesOf(*persons->first()), QStringList{expected});
            // The column is read, not named as unread.
            EXPECT_FALSE(read.unread.join(u'|').contains(u"Country Code"_s)) << qPrintable(read.unread.join(u'|'));
            const QString notes = read.notes.join(u'\n');
            if (c.named.isEmpty()) {
                EXPECT_FALSE(notes.contains(u"Country Code"_s)) << qPrintable(notes);
            } else {
                EXPECT_TRUE(notes.contains(u"\"%1\""_s.arg(c.named)) && notes.contains(prefix + u"Country Code"_s))
                    << qPrintable(notes);
            }
            EXPECT_TRUE(problems.isEmpty()) << qPrintable(problems.join(u'\n'));
        }
    }
}

} // namespace

// Every two-letter code the toolkit's locale data knows, one person each: a code the countries
// table lays addresses out by reads as a country that names that territory again ("GB", which the
// table keys as "uk", among them); any other is named and not used.
TEST(CACountryCodeColumn, EveryTerritoryCodeReadsAsItsOwnCountryOrIsNamed)
{
    QTemporaryDir folder;
    QStringList codes;
    for (int t = 1; t <= int(QLocale::LastTerritory); ++t) {
        const QString code = QLocale::territoryToCode(QLocale::Territory(t));
        if (code.size() == 2 && !codes.contains(code))
            codes.append(code);
    }
    ASSERT_GT(codes.size(), 200);
    QString text = u"First Name,Last Name,Street,City,Country Code\n"_s;
    for (const QString &code : codes)
        text += u"Ann,%1,1 Main Street,Town,%1\n"_s.arg(code);
    const QString file = folder.filePath(u"people.csv"_s);
    ASSERT_TRUE(pwtest::writeFile(file, text.toUtf8()));
    QStringList problems;
    CATextFileSource::ColumnsRead read;
    const std::optional<CAPersonList> persons = CATextFileSource::personsFromTextFile(file, {}, &problems, nullptr, nullptr, &read);
    ASSERT_TRUE(persons && persons->size() == codes.size()) << qPrintable(problems.join(u'\n'));
    const QString notes = read.notes.join(u'\n');
    QStringList unread;
    for (qsizetype i = 0; i < codes.size(); ++i) {
        const QString &code = codes.at(i);
        SCOPED_TRACE(qPrintable(code));
        const QStringList countries = countriesOf(*persons->at(i));
        ASSERT_EQ(countries.size(), 1);
        if (countries.first().isEmpty()) {
            unread.append(code);
            continue;
        }
        // The country read names the territory the code does, as the toolkit knows it.
        const QString back = CDDString::getCountryCodeFromString(CDDString(countries.first())).getData().toUpper();
        EXPECT_EQ(QLocale::codeToTerritory(back == u"UK"_s ? u"GB"_s : back), QLocale::codeToTerritory(code))
            << qPrintable(countries.first() + u" -> "_s + back);
    }
    EXPECT_FALSE(unread.contains(u"GB"_s));
    // The note names the column and the codes not used: the first few by value, the rest counted.
    EXPECT_TRUE(notes.contains(u"\"Country Code\""_s)) << qPrintable(notes);
    for (qsizetype i = 0; i < std::min<qsizetype>(unread.size(), 3); ++i) {
        EXPECT_TRUE(notes.contains(u"\"%1\""_s.arg(unread.at(i)))) << qPrintable(notes);
    }
    if (unread.size() > 3) {
        EXPECT_TRUE(notes.contains(u"%1 more"_s.arg(unread.size() - 3))) << qPrintable(notes);
    }
    // Most codes are known; those that are not stay few.
    EXPECT_LT(unread.size(), codes.size() / 10) << qPrintable(unread.join(u' '));
}
