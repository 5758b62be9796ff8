#include "kernel/address/FTPersonFields.h"

#include "AddressTestSupport.h"
#include "platform/PWUserDefaults.h"

namespace {

PWMultiValue texts(std::initializer_list<std::pair<QString, QString>> labelled)
{
    PWMultiValue multi;
    for (const auto &[label, value] : labelled)
        multi.addValue(PWPlist::fromString(value), label);
    return multi;
}

// Ann Lee with a home address (the primary one) and a work address, phones, web pages, a
// birthday, a spouse and a department.
std::shared_ptr<PWPerson> fullPerson()
{
    std::shared_ptr<PWPerson> person = addrtest::makePerson(addrtest::addressFrom(u"Ann|Lee"_s));
    PWMultiValue addresses;
    addresses.addValue(addrtest::addressValue(u"1 Home Lane"_s, u"Homeville"_s, u"HS"_s, u"11111"_s, u"Homeland"_s),
                       kPWAddressHomeLabel);
    addresses.addValue(addrtest::addressValue(u"2 Work Road"_s, u"Worktown"_s, QString(), u"22222"_s, u"Workland"_s),
                       kPWAddressWorkLabel);
    person->setMultiValueForProperty(kPWAddressProperty, addresses);
    person->setMultiValueForProperty(kPWPhoneProperty, texts({{kPWOtherLabel, u"other"_s}, {kPWPhoneHomeLabel, u"home"_s}}));
    person->setMultiValueForProperty(
        kPWURLsProperty, texts({{u"blog"_s, u"first"_s}, {kPWHomeLabel, u"home"_s}, {kPWHomePageLabel, u"homepage"_s}}));
    person->setValueForProperty(kPWBirthdayProperty, addrtest::utcDate(1970, 3, 4));
    person->setMultiValueForProperty(kPWRelatedNamesProperty, texts({{kPWSpouseLabel, u"Sam"_s}}));
    return person;
}

TEST(FTPersonFieldsReadTest, ReadsTheCategoryOfTheType)
{
    // Name, category, type, fallback, text read (null: nothing), type read from (adNone: not told).
    const std::tuple<const char *, textCategory, addressType, bool, QString, addressType> cases[] = {
        {"FullName", tcFullName, adWork, false, u"Ann Lee"_s, adNone},
        {"UnknownCategory", textCategory(128), adWork, false, QString(), adNone},
        {"CategoryPastTheTable", textCategory(200), adWork, false, QString(), adNone},
        {"MainCityIsThePrimaryOne", tcCity, adMain, false, u"Homeville"_s, adHome},
        {"OtherCityWithoutFallback", tcCity, adOther, false, QString(), adNone},
        // Fallback order: work, home, other, main.
        {"OtherCityFallsBackToWork", tcCity, adOther, true, u"Worktown"_s, adWork},
        // The city line takes the work address whatever the type asked for.
        {"CityLineIsAlwaysWork", tcCityLine, adHome, false, u"Worktown 22222 Workland"_s, adNone},
        // The main phone: the entry labelled main, else (with fallback) home before any other.
        {"MainPhoneFallsBackToHome", tcPhone, adMain, true, u"home"_s, adNone},
        {"WorkHomepageIsTheFirstUrl", tcHomepage, adWork, false, u"first"_s, adNone}, // no work URL
        {"Birthday", tcBirthday, adWork, false, u"Wednesday, March 4, 1970"_s, adNone},
        {"Spouse", textCategory(117), adWork, false, u"Sam"_s, adNone}};
    const std::shared_ptr<PWPerson> person = fullPerson();
    for (const auto &[name, category, type, fallback, expected, from] : cases) {
        addressType used = adNone;
        const QString read = stringForPersonCategory(person.get(), type, category, fallback, &used);
        EXPECT_EQ(read, expected) << name;
        EXPECT_EQ(read.isNull(), expected.isNull()) << name;
        if (from != adNone) {
            EXPECT_EQ(used, from) << name;
        }
    }
}

class FTPersonFieldsTest : public testing::Test
{
protected:
    void TearDown() override
    {
        PWUserDefaults::standardUserDefaults().removeObject(u"FTConvertToLinearAddress"_s);
        PWUserDefaults::standardUserDefaults().removeObject(u"NSDateFormatString"_s);
    }
    void setText(const QString &property, const QString &value)
    {
        ASSERT_TRUE(m_person->setValueForProperty(property, PWPlist::fromString(value))) << property.toStdString();
    }
    QString read(textCategory category, addressType type = adWork, bool fallback = false)
    {
        return stringForPersonCategory(m_person.get(), type, category, fallback);
    }
    std::shared_ptr<PWPerson> m_person = PWPerson::create();
};

TEST_F(FTPersonFieldsTest, FullNameHasNoStrayBlankAndNothingWithoutNamesOrAPerson)
{
    EXPECT_TRUE(read(tcFullName).isNull());
    setText(kPWLastNameProperty, u"Lee"_s);
    EXPECT_EQ(read(tcFullName), u"Lee"_s);
    EXPECT_TRUE(stringForPersonCategory(nullptr, adWork, tcFirstName, true).isNull());
}

TEST_F(FTPersonFieldsTest, WithoutAddressesNothingIsReadAndLineFeedsFollowTheLinearAddressPreference)
{
    EXPECT_TRUE(read(tcStreet, adWork, true).isNull());
    EXPECT_TRUE(read(tcCityLine).isNull());
    PWMultiValue addresses;
    addresses.addValue(addrtest::addressValue(u"Line one\nLine two\n"_s, u"City\n"_s, QString(), QString(), QString()),
                       kPWAddressWorkLabel);
    m_person->setMultiValueForProperty(kPWAddressProperty, addresses);
    EXPECT_EQ((QStringList {read(tcStreet), read(tcCity)}), (QStringList {u"Line one Line two "_s, u"City "_s}));
    PWUserDefaults::standardUserDefaults().setBool(u"FTConvertToLinearAddress"_s, false);
    EXPECT_EQ((QStringList {read(tcStreet), read(tcCity)}), (QStringList {u"Line one\nLine two"_s, u"City"_s}));
}

TEST_F(FTPersonFieldsTest, HomepagePropertyGoesBeforeTheUrlsAndDatesFollowTheFormatPreference)
{
    m_person = fullPerson();
    setText(kPWHomePageProperty, u"single"_s);
    EXPECT_EQ(read(tcHomepage, adWork), u"single"_s);
    PWUserDefaults::standardUserDefaults().setString(u"NSDateFormatString"_s, u"%d.%m.%Y"_s);
    EXPECT_EQ(read(tcBirthday), u"04.03.1970"_s);
}

TEST_F(FTPersonFieldsTest, SortingTextFallsBackByCategory)
{
    textCategory used = tcNone;
    EXPECT_TRUE(stringInfoForPersonCategory(m_person.get(), tcFirstName, &used).isNull());
    setText(kPWLastNameProperty, u"Lee"_s);
    setText(kPWOrganizationProperty, u"Acme"_s);
    // Category asked for, text and category found.
    for (const auto &[asked, text, found] :
         {std::tuple {tcFirstName, u"Acme"_s, tcCompany}, std::tuple {tcCity, u"Lee"_s, tcLastName},
          std::tuple {tcLastName, u"Lee"_s, tcLastName}}) {
        EXPECT_EQ(stringInfoForPersonCategory(m_person.get(), asked, &used), text) << int(asked);
        EXPECT_EQ(used, found) << int(asked);
    }
}

TEST(FTCompositionTest, NamesAndCityLinesFollowTheInterfaceLanguage)
{
    // Language, name, city line, city line without a city.
    const std::tuple<QString, QString, QString, QString> cases[] = {
        {u"German"_s, u"Taro Yamada"_s, u"10117 Berlin Germany"_s, u"10117 ST"_s},
        {u"Japanese"_s, u"Yamada Taro"_s, u"Germany 10117 Berlin"_s, u"10117 ST"_s},
        {u"en"_s, u"Taro Yamada"_s, u"Berlin 10117 Germany"_s, u"ST 10117"_s}};
    for (const auto &[language, name, cityLine, withoutCity] : cases) {
        EXPECT_EQ(composeNameConsideringCountry(u"Taro"_s, u"Yamada"_s, language), name);
        EXPECT_EQ(composeAddressConsideringCountry(u"Berlin"_s, QString(), u"10117"_s, u"Germany"_s, language), cityLine);
        EXPECT_EQ(composeAddressConsideringCountry(QString(), u"ST"_s, u"10117"_s, QString(), language), withoutCity);
    }
    EXPECT_EQ(composeNameConsideringCountry(QString(), u"Yamada"_s, u"Japanese"_s), u"Yamada"_s);
    EXPECT_EQ(composeNameConsideringCountry(u"Taro"_s, QString(), u"Japanese"_s), u"Taro"_s);
    EXPECT_TRUE(composeNameConsideringCountry(QString(), QString(), u"en"_s).isNull());
}

} // namespace
