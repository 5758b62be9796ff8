#include "kernel/address/FTTextCategories.h"

#include "AddressTestSupport.h"

#include <gtest/gtest.h>

namespace {

// Every key names its category back; values outside the vocabulary name nothing.
TEST(FTTextCategoriesTest, KeysRoundTripAndUnknownValuesNameNothing)
{
    int keyed = 0;
    for (int number = -2; number < 135; ++number) {
        const QString key = FTTextCategories::getKeyFromTextCategory(textCategory(number));
        if (key.isNull())
            continue;
        ++keyed;
        EXPECT_EQ(FTTextCategories::getTextCategoryFromKey(key), textCategory(number)) << key.toStdString();
    }
    EXPECT_GT(keyed, 50);
    for (const int number : {-1000, 200, 129, 133, 104, 105}) {
        EXPECT_TRUE(FTTextCategories::getKeyFromTextCategory(textCategory(number)).isNull()) << number;
        EXPECT_EQ(FTTextCategories::getLabelFromTextCategory(textCategory(number)), u"NALabel"_s);
    }
}

TEST(FTTextCategoriesTest, ReverseLookupIsExactAndKnowsTheAliases)
{
    EXPECT_EQ(FTTextCategories::getTextCategoryFromKey(u"Text"_s), textCategory(128));
    EXPECT_EQ(FTTextCategories::getTextCategoryFromKey(u"Simple Text"_s), textCategory(128));
    EXPECT_EQ(FTTextCategories::getTextCategoryFromKey(u"Address"_s), textCategory(104));
    for (const QString &wrong : {u"city"_s, u"CITY"_s, u" City"_s, u"FirstName"_s, QString(), u""_s})
        EXPECT_EQ(FTTextCategories::getTextCategoryFromKey(wrong), tcNone) << wrong.toStdString();
}

TEST(FTTextCategoriesTest, CountryCodeOfATextOrNothing)
{
    const struct
    {
        const char *name;
        QString text;
        QString code;
    } cases[] = {
        {"CityAndCountry", u"Berlin Germany"_s, u"de"_s},
        {"CapitalsBlanksAndLineEnd", u"   UNITED KINGDOM\n"_s, u"uk"_s},
        {"OneWordNameOfSeveral", u"Toronto Canada"_s, u"ca"_s},
        {"TwoWordNameOnlyWhole", u"Kingdom United"_s, QString()},
        {"NativeName", u"日本"_s, u"jp"_s},
        // Codes are tried in the resource's order: Georgia's code comes before the United
        // States', whichever word is last.
        {"EarlierCodeWins", u"Atlanta Georgia USA"_s, u"ge"_s},
        // A country named in full wins over a one-word name inside it.
        {"WholeNameBeforeWords", u"South Sudan"_s, u"ss"_s},
        {"NoCountry", u"Springfield"_s, QString()},
        {"Empty", u""_s, QString()},
        {"Null", QString(), QString()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString code = FTTextCategories::getCountryCodeFromString(c.text);
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(code.isNull(), c.code.isNull());
    }
}

} // namespace
