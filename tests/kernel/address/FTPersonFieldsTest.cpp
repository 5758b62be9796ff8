#include "kernel/address/FTPersonFields.h"

#include "AddressTestSupport.h"
#include "platform/PWUserDefaults.h"

#include <gtest/gtest.h>

namespace {

PWPlist::Dictionary address(const QString &street, const QString &city, const QString &state, const QString &zip,
                            const QString &country)
{
    return PWPlist::Dictionary{{kPWAddressStreetKey, PWPlist::fromString(street)},
                               {kPWAddressCityKey, PWPlist::fromString(city)},
                               {kPWAddressStateKey, PWPlist::fromString(state)},
                               {kPWAddressZIPKey, PWPlist::fromString(zip)},
                               {kPWAddressCountryKey, PWPlist::fromString(country)}};
}

PWMultiValue texts(std::initializer_list<std::pair<QString, QString>> labelled)
{
    PWMultiValue multi;
    for (const auto &[label, value] : labelled)
        multi.addValue(PWPlist::fromString(value), label);
    return multi;
}

class FTPersonFieldsTest : public testing::Test
{
protected:

    void SetUp() override { m_person = PWPerson::create(); }
    void TearDown() override
    {
        PWUserDefaults::standardUserDefaults().removeObject(QStringLiteral("FTConvertToLinearAddress"));
        PWUserDefaults::standardUserDefaults().removeObject(QStringLiteral("NSDateFormatString"));
    }

    void setText(const QString &property, const QString &value)
    {
        ASSERT_TRUE(m_person->setValueForProperty(property, PWPlist::fromString(value))) << property.toStdString();
    }
    // Home (primary), then work.
    void giveTwoAddresses()
    {
        PWMultiValue addresses;
        addresses.addValue(PWPlist(address(QStringLiteral("1 Home Lane"), QStringLiteral("Homeville"), QStringLiteral("HS"),
                                           QStringLiteral("11111"), QStringLiteral("Homeland"))),
                           kPWAddressHomeLabel);
        addresses.addValue(PWPlist(address(QStringLiteral("2 Work Road"), QStringLiteral("Worktown"), QString(),
                                           QStringLiteral("22222"), QStringLiteral("Workland"))),
                           kPWAddressWorkLabel);
        m_person->setMultiValueForProperty(kPWAddressProperty, addresses);
    }
    QString read(textCategory category, addressType type = adWork, bool fallback = false, addressType *used = nullptr)
    {
        return stringForPersonCategory(m_person.get(), type, category, fallback, used);
    }

    std::shared_ptr<PWPerson> m_person;
};

TEST_F(FTPersonFieldsTest, FullNameHasNoStrayBlankAndNothingWithoutNames)
{
    EXPECT_TRUE(read(tcFullName).isNull());
    setText(kPWLastNameProperty, QStringLiteral("Lee"));
    EXPECT_EQ(read(tcFullName), QStringLiteral("Lee"));
    setText(kPWFirstNameProperty, QStringLiteral("Ann"));
    EXPECT_EQ(read(tcFullName), QStringLiteral("Ann Lee"));
    EXPECT_TRUE(stringForPersonCategory(nullptr, adWork, tcFirstName, true).isNull());
    EXPECT_TRUE(read(textCategory(128)).isNull());
    EXPECT_TRUE(read(textCategory(200)).isNull());
}

TEST_F(FTPersonFieldsTest, AddressFieldsFollowTheTypeAndFallBackInOrder)
{
    giveTwoAddresses();
    addressType used = adNone;
    EXPECT_EQ(read(tcCity, adHome, false, &used), QStringLiteral("Homeville"));
    EXPECT_EQ(used, adHome);
    EXPECT_EQ(read(tcCity, adWork, false, &used), QStringLiteral("Worktown"));
    EXPECT_EQ(used, adWork);
    EXPECT_EQ(read(tcCity, adMain, false, &used), QStringLiteral("Homeville")); // the primary entry
    EXPECT_EQ(used, adHome);
    EXPECT_TRUE(read(tcCity, adOther, false).isNull());
    // Fallback order: work, home, other, main.
    EXPECT_EQ(read(tcCity, adOther, true, &used), QStringLiteral("Worktown"));
    EXPECT_EQ(used, adWork);
    // The city line takes the work address whatever the type asked for.
    EXPECT_EQ(read(tcCityLine, adHome), QStringLiteral("Worktown 22222 Workland"));
    m_person->removeValueForProperty(kPWAddressProperty);
    EXPECT_TRUE(read(tcStreet, adWork, true).isNull());
    EXPECT_TRUE(read(tcCityLine).isNull());
}

TEST_F(FTPersonFieldsTest, LineFeedsFollowTheLinearAddressPreference)
{
    PWMultiValue addresses;
    addresses.addValue(PWPlist(address(QStringLiteral("Line one\nLine two\n"), QStringLiteral("City\n"), QString(),
                                       QString(), QString())),
                       kPWAddressWorkLabel);
    m_person->setMultiValueForProperty(kPWAddressProperty, addresses);
    EXPECT_TRUE(isConvertToLinearAddress()); // on unless set off
    EXPECT_EQ(read(tcStreet), QStringLiteral("Line one Line two "));
    EXPECT_EQ(read(tcCity), QStringLiteral("City "));
    PWUserDefaults::standardUserDefaults().setBool(QStringLiteral("FTConvertToLinearAddress"), false);
    EXPECT_EQ(read(tcStreet), QStringLiteral("Line one\nLine two"));
    EXPECT_EQ(read(tcCity), QStringLiteral("City"));
}

TEST_F(FTPersonFieldsTest, PhonesMobilesPagersAndEmails)
{
    m_person->setMultiValueForProperty(kPWPhoneProperty,
                                       texts({{kPWOtherLabel, QStringLiteral("other")},
                                              {kPWPhoneHomeLabel, QStringLiteral("home")},
                                              {kPWPhoneMobileLabel, QStringLiteral("mobile")},
                                              {kPWPhonePagerLabel, QStringLiteral("pager")},
                                              {kPWPhoneHomeFAXLabel, QStringLiteral("home fax")}}));
    // The main phone: the entry labelled main, else (with fallback) home before any other.
    EXPECT_TRUE(read(tcPhone, adMain, false).isNull());
    EXPECT_EQ(read(tcPhone, adMain, true), QStringLiteral("home"));
    EXPECT_EQ(read(tcPhone, adOther), QStringLiteral("other"));
    EXPECT_EQ(read(tcFax, adHome), QStringLiteral("home fax"));
    EXPECT_TRUE(read(tcFax, adWork).isNull());
    EXPECT_EQ(read(tcMobile, adHome), QStringLiteral("mobile"));
    EXPECT_EQ(read(tcPager, adMain), QStringLiteral("pager"));
    m_person->setMultiValueForProperty(kPWEmailProperty, texts({{kPWEmailHomeLabel, QStringLiteral("h@x")}}));
    EXPECT_TRUE(read(tcEmail, adWork).isNull());
    EXPECT_EQ(read(tcEmail, adWork, true), QStringLiteral("h@x"));
    m_person->setMultiValueForProperty(kPWJabberInstantProperty, texts({{kPWJabberHomeLabel, QStringLiteral("jab")}}));
    EXPECT_EQ(read(tcJabber, adHome), QStringLiteral("jab"));
}

TEST_F(FTPersonFieldsTest, HomepageComesFromItsPropertyElseFromTheUrls)
{
    m_person->setMultiValueForProperty(kPWURLsProperty, texts({{QStringLiteral("blog"), QStringLiteral("first")},
                                                               {kPWHomeLabel, QStringLiteral("home")},
                                                               {kPWHomePageLabel, QStringLiteral("homepage")}}));
    EXPECT_EQ(read(tcHomepage, adMain), QStringLiteral("homepage"));
    EXPECT_EQ(read(tcHomepage, adHome), QStringLiteral("homepage"));
    EXPECT_EQ(read(tcHomepage, adWork), QStringLiteral("first")); // no work URL: the first one
    setText(kPWHomePageProperty, QStringLiteral("single"));
    EXPECT_EQ(read(tcHomepage, adWork), QStringLiteral("single"));
}

TEST_F(FTPersonFieldsTest, DatesRelatedNamesAndOwnProperties)
{
    m_person->setValueForProperty(kPWBirthdayProperty, pwtest::utcDate(1970, 3, 4));
    PWMultiValue dates;
    dates.addValue(pwtest::utcDate(2001, 6, 15), kPWAnniversaryLabel);
    m_person->setMultiValueForProperty(kPWOtherDatesProperty, dates);
    EXPECT_EQ(read(tcBirthday), QStringLiteral("Wednesday, March 4, 1970"));
    EXPECT_EQ(read(tcAnniversary), QStringLiteral("Friday, June 15, 2001"));
    EXPECT_TRUE(read(tcOtherDate).isNull());
    PWUserDefaults::standardUserDefaults().setString(QStringLiteral("NSDateFormatString"), QStringLiteral("%d.%m.%Y"));
    EXPECT_EQ(read(tcBirthday), QStringLiteral("04.03.1970"));

    m_person->setMultiValueForProperty(kPWRelatedNamesProperty, texts({{kPWSpouseLabel, QStringLiteral("Sam")}}));
    EXPECT_EQ(read(textCategory(117)), QStringLiteral("Sam"));
    EXPECT_TRUE(read(textCategory(110)).isNull());
    setText(QStringLiteral("ABDepartment"), QStringLiteral("Dispatch"));
    setText(QStringLiteral("Custom5"), QStringLiteral("five"));
    EXPECT_EQ(read(tcDepartment), QStringLiteral("Dispatch"));
    EXPECT_EQ(read(textCategory(28)), QStringLiteral("five"));
}

TEST_F(FTPersonFieldsTest, SortingTextFallsBackByCategory)
{
    textCategory used = tcNone;
    EXPECT_TRUE(stringInfoForPersonCategory(m_person.get(), tcFirstName, &used).isNull());
    setText(kPWLastNameProperty, QStringLiteral("Lee"));
    setText(kPWOrganizationProperty, QStringLiteral("Acme"));
    EXPECT_EQ(stringInfoForPersonCategory(m_person.get(), tcFirstName, &used), QStringLiteral("Acme"));
    EXPECT_EQ(used, tcCompany);
    EXPECT_EQ(stringInfoForPersonCategory(m_person.get(), tcCity, &used), QStringLiteral("Lee"));
    EXPECT_EQ(used, tcLastName);
    EXPECT_EQ(stringInfoForPersonCategory(m_person.get(), tcLastName, &used), QStringLiteral("Lee"));
    EXPECT_EQ(used, tcLastName);
}

struct Composition
{
    const char *language;
    QString name;
    QString cityLine;
    QString cityLineWithoutCity;
};

class FTCompositionTest : public testing::TestWithParam<Composition>
{
};

TEST_P(FTCompositionTest, NamesAndCityLinesFollowTheInterfaceLanguage)
{
    const QString language = QString::fromLatin1(GetParam().language);
    EXPECT_EQ(composeNameConsideringCountry(QStringLiteral("Taro"), QStringLiteral("Yamada"), language), GetParam().name);
    EXPECT_EQ(composeNameConsideringCountry(QString(), QStringLiteral("Yamada"), language), QStringLiteral("Yamada"));
    EXPECT_EQ(composeNameConsideringCountry(QStringLiteral("Taro"), QString(), language), QStringLiteral("Taro"));
    EXPECT_TRUE(composeNameConsideringCountry(QString(), QString(), language).isNull());
    EXPECT_EQ(composeAddressConsideringCountry(QStringLiteral("Berlin"), QString(), QStringLiteral("10117"),
                                               QStringLiteral("Germany"), language),
              GetParam().cityLine);
    EXPECT_EQ(composeAddressConsideringCountry(QString(), QStringLiteral("ST"), QStringLiteral("10117"), QString(), language),
              GetParam().cityLineWithoutCity);
}

INSTANTIATE_TEST_SUITE_P(
    Languages, FTCompositionTest,
    testing::Values(Composition{"German", QStringLiteral("Taro Yamada"), QStringLiteral("10117 Berlin Germany"),
                                QStringLiteral("10117 ST")},
                    Composition{"Japanese", QStringLiteral("Yamada Taro"), QStringLiteral("Germany 10117 Berlin"),
                                QStringLiteral("10117 ST")},
                    Composition{"en", QStringLiteral("Taro Yamada"), QStringLiteral("Berlin 10117 Germany"),
                                QStringLiteral("ST 10117")}),
    [](const testing::TestParamInfo<Composition> &info) { return std::string(info.param.language); });

} // namespace
