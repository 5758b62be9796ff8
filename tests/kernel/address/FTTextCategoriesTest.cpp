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
        EXPECT_EQ(FTTextCategories::getLabelFromTextCategory(textCategory(number)), QStringLiteral("NALabel"));
    }
}

TEST(FTTextCategoriesTest, ReverseLookupIsExactAndKnowsTheAliases)
{
    EXPECT_EQ(FTTextCategories::getTextCategoryFromKey(QStringLiteral("Text")), textCategory(128));
    EXPECT_EQ(FTTextCategories::getTextCategoryFromKey(QStringLiteral("Simple Text")), textCategory(128));
    EXPECT_EQ(FTTextCategories::getTextCategoryFromKey(QStringLiteral("Address")), textCategory(104));
    for (const QString &wrong : {QStringLiteral("city"), QStringLiteral("CITY"), QStringLiteral(" City"),
                                 QStringLiteral("FirstName"), QString(), QStringLiteral("")})
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
        {"CityAndCountry", QStringLiteral("Berlin Germany"), QStringLiteral("de")},
        {"CapitalsBlanksAndLineEnd", QStringLiteral("   UNITED KINGDOM\n"), QStringLiteral("uk")},
        {"OneWordNameOfSeveral", QStringLiteral("Toronto Canada"), QStringLiteral("ca")},
        {"TwoWordNameOnlyWhole", QStringLiteral("Kingdom United"), QString()},
        {"NativeName", QStringLiteral("日本"), QStringLiteral("jp")},
        // Codes are tried in the resource's order: Georgia's code comes before the United
        // States', whichever word is last.
        {"EarlierCodeWins", QStringLiteral("Atlanta Georgia USA"), QStringLiteral("ge")},
        // A country named in full wins over a one-word name inside it.
        {"WholeNameBeforeWords", QStringLiteral("South Sudan"), QStringLiteral("ss")},
        {"NoCountry", QStringLiteral("Springfield"), QString()},
        {"Empty", QStringLiteral(""), QString()},
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
