// The country lookup of the text value, against the shipped "Countries" table.
#include "kernel/foundation/CDDString.h"

#include "platform/PWPlist.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

namespace {

struct LookupCase { const char *name; const char *text; const char *code; };

class CountryLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(CountryLookup, FindsTheCode)
{
    const CDDString code = CDDString::getCountryCodeFromString(CDDString(QString::fromUtf8(GetParam().text)));
    EXPECT_EQ(code.getData(), QString::fromUtf8(GetParam().code));
}

INSTANTIATE_TEST_SUITE_P(Cases, CountryLookup, ::testing::Values(LookupCase {"wholeName", "United States", "us"},
                                           LookupCase {"anyCapitalisation", "GERMANY", "de"},
                                           LookupCase {"alternativeName", "deutschland", "de"},
                                           LookupCase {"nonAsciiCapitals", "WIEN ÖSTERREICH", "at"},
                                           LookupCase {"lastWord", "Springfield USA", "us"},
                                           LookupCase {"earlierWord", "Germany Berlin", "de"},
                                           LookupCase {"multiWordOnlyWhole", "Auckland New Zealand", ""},
                                           LookupCase {"multiWordWhole", "new zealand", "nz"},
                                           LookupCase {"partOfMultiWordName", "Kingdom", ""},
                                           LookupCase {"unitedKingdomIsUk", "London UK", "uk"},
                                           LookupCase {"wholeNameBeatsAWordOfIt", "South Sudan", "ss"},
                                           LookupCase {"singleWordStillFound", "Sudan", "sd"},
                                           LookupCase {"doubleBlanks", "Paris  France", "fr"},
                                           LookupCase {"unknown", "Atlantis", ""}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(CountryLookupTest, NullTextGivesAnEmptyValue)
{
    CDDString null;
    null.setData(nullptr);
    const CDDString code = CDDString::getCountryCodeFromString(null);
    EXPECT_TRUE(code.isEmpty());
    EXPECT_FALSE(code.isNull());
}

TEST(CountryLookupTest, TwoCountriesOnOneLineAlwaysGiveTheSameCode)
{
    // Both words are names; the codes are searched in sorted order, so "de" wins every time.
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(CDDString::getCountryCodeFromString(CDDString(QStringLiteral("France Germany"))).getData(),
                  QStringLiteral("de"));
    }
}

class CountriesResource : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QFile file(QStringLiteral(":/bundle/Countries.xml"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QString error;
        const std::optional<PWPlist> plist = PWPlist::parse(file.readAll(), &error);
        ASSERT_TRUE(plist.has_value()) << error.toStdString();
        ASSERT_TRUE(plist->isDictionary());
        m_table = plist->toDictionary();
    }
    PWPlist::Dictionary m_table;
};

TEST_F(CountriesResource, EveryNameBelongsToOneCodeOnly)
{
    QHash<QString, QString> owner;
    for (const auto &[code, names] : m_table) {
        ASSERT_TRUE(names.isArray()) << code.toStdString();
        EXPECT_FALSE(names.toArray().isEmpty()) << code.toStdString();
        for (const PWPlist &name : names.toArray()) {
            ASSERT_TRUE(name.isString()) << code.toStdString();
            EXPECT_FALSE(name.toString().trimmed().isEmpty()) << code.toStdString();
            const QString key = name.toString().toLower();
            EXPECT_FALSE(owner.contains(key))
                << name.toString().toStdString() << " under " << owner.value(key).toStdString() << " and "
                << code.toStdString();
            owner.insert(key, code);
        }
    }
}

} // namespace
