#include "kernel/address/FTTextCategories.h"

#include "AddressTestSupport.h"
#include "platform/PWBundle.h"

#include <gtest/gtest.h>

#include <map>

namespace {

struct Keyed
{
    const char *key;
    const char *label;
};

// The vocabulary: every category that has a key string, with its label key.
const std::map<int, Keyed> &keyedCategories()
{
    static const std::map<int, Keyed> table = {
        {2, {"Company", "CompanyLabel"}},        {4, {"Job Title", "TitleLabel"}},
        {5, {"Street", "StreetLabel"}},          {7, {"Phone", "PhoneLabel"}},
        {8, {"Fax", "FaxLabel"}},                {9, {"Mobile", "MobileLabel"}},
        {10, {"Email", "EmailLabel"}},           {11, {"Homepage", "URLLabel"}},
        {13, {"City", "CityLabel"}},             {14, {"State", "StateLabel"}},
        {15, {"ZIP", "ZIPLabel"}},               {16, {"Country", "CountryLabel"}},
        {17, {"First Name", "FirstNameLabel"}},  {18, {"Last Name", "LastNameLabel"}},
        {19, {"Prefix", "PrefixLabel"}},         {20, {"Department", "DepartmentLabel"}},
        {21, {"Custom1", "Custom1Label"}},       {22, {"Custom2", "Custom2Label"}},
        {23, {"Custom3", "Custom3Label"}},       {24, {"Suffix", "SuffixLabel"}},
        {25, {"Counter", "CounterLabel"}},       {26, {"File Data", "FileDataLabel"}},
        {27, {"Custom4", "Custom4Label"}},       {28, {"Custom5", "Custom5Label"}},
        {29, {"Custom6", "Custom6Label"}},       {30, {"Custom7", "Custom7Label"}},
        {31, {"Custom8", "Custom8Label"}},       {32, {"Custom9", "Custom9Label"}},
        {100, {"Anniversary", "AnniversaryLabel"}}, {101, {"Birthday", "BirthdayLabel"}},
        {102, {"Other Date", "OtherDateLabel"}}, {103, {"Pager", "PagerLabel"}},
        {106, {"Barcode", "Barcode"}},           {107, {"Nick Name", "NickNameLabel"}},
        {108, {"Middle Name", "MiddleNameLabel"}}, {109, {"Maiden Name", "MaidenNameLabel"}},
        {110, {"Mother Name", "MotherNameLabel"}}, {111, {"Father Name", "FatherNameLabel"}},
        {112, {"Parent Name", "ParentNameLabel"}}, {113, {"Sister Name", "SisterNameLabel"}},
        {114, {"Brother Name", "BrotherNameLabel"}}, {115, {"Child Name", "ChildNameLabel"}},
        {116, {"Friend Name", "FriendNameLabel"}}, {117, {"Spouse Name", "SpouseNameLabel"}},
        {118, {"Partner Name", "PartnerNameLabel"}}, {119, {"Assistant Name", "AssistantNameLabel"}},
        {120, {"Manager Name", "ManagerNameLabel"}}, {121, {"Other Name", "OtherNameLabel"}},
        {122, {"AIM", "IM_AIMLabel"}},           {123, {"Jabber", "IM_JabberLabel"}},
        {124, {"MSN", "IM_MSNLabel"}},           {125, {"ICQ", "IM_ICQLabel"}},
        {126, {"Yahoo", "IM_YahooLabel"}},       {127, {"Note", "NoteLabel"}},
        {128, {"Simple Text", "TextLabel"}},
    };
    return table;
}

QString localized(const char *key)
{
    return PWBundle::mainBundle().localizedString(QString::fromLatin1(key), QString());
}

class FTTextCategoriesTableTest : public testing::TestWithParam<int>
{
};

TEST_P(FTTextCategoriesTableTest, KeyLabelDisplayNameAndLocalizedName)
{
    const int number = GetParam();
    const textCategory category = textCategory(number);
    const auto found = keyedCategories().find(number);
    const bool keyed = found != keyedCategories().end();

    EXPECT_EQ(FTTextCategories::getKeyFromTextCategory(category), keyed ? QString::fromLatin1(found->second.key) : QString());
    EXPECT_EQ(FTTextCategories::getKeyFromTextCategory(category).isNull(), !keyed);
    EXPECT_EQ(FTTextCategories::getLabelFromTextCategory(category),
              QString::fromLatin1(keyed ? found->second.label : "NALabel"));

    QString display = keyed ? QString::fromLatin1(found->second.key) : QString();
    if (number == 14)
        display = localized("State/Province");
    if (number == 15)
        display = localized("ZIP/Postal Code");
    EXPECT_EQ(FTTextCategories::displayNameForTextCategory(category), display);

    QString fieldName;
    if (number == 1 || number == 3 || number == 7 || number == 8 || number == 10)
        fieldName = QString();
    else if (number < 0 || number > 24 || number == 0 || number == 4 || number == 6 || number == 9 || number == 11
             || number == 12)
        fieldName = localized("NALabel");
    else
        fieldName = localized(found->second.label);
    EXPECT_EQ(FTTextCategories::getLocalizedTextFromTextCategory(category), fieldName);
    EXPECT_EQ(FTTextCategories::getLocalizedTextFromTextCategory(category).isNull(), fieldName.isNull());

    // Every key string comes back to its category.
    if (keyed) {
        EXPECT_EQ(FTTextCategories::getTextCategoryFromKey(QString::fromLatin1(found->second.key)), category);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryCategory, FTTextCategoriesTableTest,
                         testing::Range(-2, 135),
                         [](const testing::TestParamInfo<int> &info) {
                             return info.param < 0 ? "Minus" + std::to_string(-info.param) : std::to_string(info.param);
                         });

TEST(FTTextCategoriesTest, ValuesFarOutOfRangeNameNothing)
{
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
    // The keys a first reading of the old lookup left out.
    EXPECT_EQ(FTTextCategories::getTextCategoryFromKey(QStringLiteral("Counter")), textCategory(25));
    EXPECT_EQ(FTTextCategories::getTextCategoryFromKey(QStringLiteral("File Data")), textCategory(26));
    EXPECT_EQ(FTTextCategories::getTextCategoryFromKey(QStringLiteral("Other Date")), textCategory(102));
    EXPECT_EQ(FTTextCategories::getTextCategoryFromKey(QStringLiteral("Other Name")), textCategory(121));
    EXPECT_EQ(FTTextCategories::getTextCategoryFromKey(QStringLiteral("Note")), textCategory(127));
    for (const QString &wrong : {QStringLiteral("city"), QStringLiteral("CITY"), QStringLiteral(" City"),
                                 QStringLiteral("FirstName"), QString(), QStringLiteral("")})
        EXPECT_EQ(FTTextCategories::getTextCategoryFromKey(wrong), tcNone) << wrong.toStdString();
}

struct CountryCase
{
    const char *name;
    QString text;
    QString code;
};

class FTCountryCodeTest : public testing::TestWithParam<CountryCase>
{
};

TEST_P(FTCountryCodeTest, FindsTheCountryOfATextOrNothing)
{
    const QString code = FTTextCategories::getCountryCodeFromString(GetParam().text);
    EXPECT_EQ(code, GetParam().code);
    EXPECT_EQ(code.isNull(), GetParam().code.isNull());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FTCountryCodeTest,
    testing::Values(CountryCase{"CityAndCountry", QStringLiteral("Berlin Germany"), QStringLiteral("de")},
                    CountryCase{"CapitalsBlanksAndLineEnd", QStringLiteral("   UNITED KINGDOM\n"), QStringLiteral("uk")},
                    CountryCase{"OneWordNameOfSeveral", QStringLiteral("Toronto Canada"), QStringLiteral("ca")},
                    CountryCase{"TwoWordNameOnlyWhole", QStringLiteral("Kingdom United"), QString()},
                    CountryCase{"NativeName", QStringLiteral("日本"), QStringLiteral("jp")},
                    // Codes are tried in the resource's order: Georgia's code comes before the
                    // United States', whichever word is last.
                    CountryCase{"EarlierCodeWins", QStringLiteral("Atlanta Georgia USA"), QStringLiteral("ge")},
                    // A country named in full wins over a one-word name inside it.
                    CountryCase{"WholeNameBeforeWords", QStringLiteral("South Sudan"), QStringLiteral("ss")},
                    CountryCase{"NoCountry", QStringLiteral("Springfield"), QString()},
                    CountryCase{"Empty", QStringLiteral(""), QString()},
                    CountryCase{"Null", QString(), QString()}),
    [](const testing::TestParamInfo<CountryCase> &info) { return std::string(info.param.name); });

} // namespace
