#include "kernel/address/FTPersonFields.h"

#include "AddressTestSupport.h"
#include "kernel/address/FTNaturalDate.h"

#include <gtest/gtest.h>

namespace {

class FTPersonFieldsWriteTest : public testing::Test
{
protected:
    void SetUp() override { m_person = PWPerson::create(); }

    bool write(const QString &text, textCategory category, addressType type = adWork)
    {
        return setStringForPersonCategory(m_person.get(), text, type, category);
    }
    PWMultiValue multi(const QString &property) const
    {
        return m_person->multiValueForProperty(property).value_or(PWMultiValue());
    }
    QString addressValue(qsizetype index, const QString &key) const
    {
        return multi(kPWAddressProperty).valueAtIndex(index).value(key).toString();
    }

    std::shared_ptr<PWPerson> m_person;
};

TEST_F(FTPersonFieldsWriteTest, TheMainAddressIsWrittenIntoThePrimaryOneNotIntoANewOne)
{
    // Without an address the main address becomes a work address, and the primary one.
    EXPECT_TRUE(write(QStringLiteral("Portland"), tcCity, adMain));
    ASSERT_EQ(multi(kPWAddressProperty).count(), 1);
    EXPECT_EQ(multi(kPWAddressProperty).labelAtIndex(0), kPWAddressWorkLabel);
    EXPECT_EQ(getPrimaryAddressLabel(m_person.get()), kPWAddressWorkLabel);
    // Every later write of the main address goes into that same entry.
    EXPECT_TRUE(write(QStringLiteral("1 Quay Street"), tcStreet, adMain));
    EXPECT_TRUE(write(QStringLiteral("97201"), tcZIP, adMain));
    ASSERT_EQ(multi(kPWAddressProperty).count(), 1);
    EXPECT_EQ(addressValue(0, kPWAddressCityKey), QStringLiteral("Portland"));
    EXPECT_EQ(addressValue(0, kPWAddressStreetKey), QStringLiteral("1 Quay Street"));
    // A home address made primary takes the next main write.
    EXPECT_TRUE(write(QStringLiteral("Homeville"), tcCity, adHome));
    setPrimaryAddressIndex(m_person.get(), kPWAddressHomeLabel);
    EXPECT_EQ(getPrimaryAddressLabel(m_person.get()), kPWAddressHomeLabel);
    EXPECT_TRUE(write(QStringLiteral("HS"), tcState, adMain));
    ASSERT_EQ(multi(kPWAddressProperty).count(), 2);
    EXPECT_EQ(addressValue(1, kPWAddressStateKey), QStringLiteral("HS"));
    EXPECT_EQ(addressValue(0, kPWAddressStateKey), QString());
}

TEST_F(FTPersonFieldsWriteTest, AddressEntriesByTypeAndNothingAddedForANoOp)
{
    EXPECT_FALSE(write(QString(), tcCity, adHome));
    EXPECT_FALSE(m_person->hasValueForProperty(kPWAddressProperty));
    EXPECT_TRUE(write(QStringLiteral("Bergen"), tcCity, adOther));
    EXPECT_TRUE(write(QStringLiteral("Norway"), tcCountry, adOther));
    const PWMultiValue addresses = multi(kPWAddressProperty);
    ASSERT_EQ(addresses.count(), 1);
    EXPECT_EQ(addresses.labelAtIndex(0), QStringLiteral("other"));
    // A new entry carries every address key, empty where nothing was written.
    EXPECT_EQ(addresses.valueAtIndex(0).toDictionary().keys(),
              (QStringList{kPWAddressStreetKey, kPWAddressCityKey, kPWAddressStateKey, kPWAddressZIPKey,
                           kPWAddressCountryKey, kPWAddressCountryCodeKey}));
    EXPECT_EQ(stringForPersonCategory(m_person.get(), adOther, tcCountry, false), QStringLiteral("Norway"));
    EXPECT_FALSE(write(QStringLiteral("Norway"), tcCountry, adOther));
}

TEST_F(FTPersonFieldsWriteTest, ACorrectionOfLetterCaseIsAChange)
{
    EXPECT_TRUE(write(QStringLiteral("mcdonald"), tcLastName));
    EXPECT_FALSE(write(QStringLiteral("mcdonald"), tcLastName));
    EXPECT_TRUE(write(QStringLiteral("McDonald"), tcLastName));
    EXPECT_EQ(m_person->stringForProperty(kPWLastNameProperty), QStringLiteral("McDonald"));
    EXPECT_TRUE(write(QStringLiteral("portland"), tcCity));
    EXPECT_TRUE(write(QStringLiteral("Portland"), tcCity));
    EXPECT_EQ(addressValue(0, kPWAddressCityKey), QStringLiteral("Portland"));
    // An emptied single value is removed.
    EXPECT_TRUE(write(QString(), tcLastName));
    EXPECT_FALSE(m_person->hasValueForProperty(kPWLastNameProperty));
}

TEST_F(FTPersonFieldsWriteTest, DatesThatCannotBeReadAreRefused)
{
    EXPECT_FALSE(write(QStringLiteral("next Tuesday-ish"), tcBirthday));
    EXPECT_FALSE(m_person->hasValueForProperty(kPWBirthdayProperty));
    EXPECT_FALSE(write(QStringLiteral("2/30/1970"), tcAnniversary));
    EXPECT_FALSE(m_person->hasValueForProperty(kPWOtherDatesProperty));
    EXPECT_TRUE(write(QStringLiteral("March 4, 1970"), tcBirthday));
    EXPECT_EQ(m_person->valueForProperty(kPWBirthdayProperty), pwtest::utcDate(1970, 3, 4));
    EXPECT_FALSE(write(QStringLiteral("1970-03-04"), tcBirthday));
    // What the read path shows can be written back unchanged.
    EXPECT_FALSE(write(stringForPersonCategory(m_person.get(), adWork, tcBirthday, false), tcBirthday));
    EXPECT_TRUE(write(QStringLiteral("15.6.2001"), tcAnniversary));
    EXPECT_TRUE(write(QStringLiteral("1999-12-31"), tcOtherDate));
    const PWMultiValue dates = multi(kPWOtherDatesProperty);
    ASSERT_EQ(dates.count(), 2);
    EXPECT_EQ(dates.labelAtIndex(0), kPWAnniversaryLabel);
    EXPECT_EQ(dates.valueAtIndex(0), pwtest::utcDate(2001, 6, 15));
    EXPECT_EQ(dates.labelAtIndex(1), kPWOtherLabel);
}

TEST_F(FTPersonFieldsWriteTest, MobileAndPagerAreStoredUnderTheirLabels)
{
    EXPECT_TRUE(write(QStringLiteral("+1 555 0101"), tcMobile, adHome));
    EXPECT_TRUE(write(QStringLiteral("+1 555 0104"), tcPager, adMain));
    EXPECT_FALSE(write(QStringLiteral("+1 555 0104"), tcPager, adMain));
    const PWMultiValue phones = multi(kPWPhoneProperty);
    ASSERT_EQ(phones.count(), 2);
    EXPECT_EQ(phones.labelAtIndex(0), kPWPhoneMobileLabel);
    EXPECT_EQ(phones.labelAtIndex(1), kPWPhonePagerLabel);
    EXPECT_EQ(stringForPersonCategory(m_person.get(), adWork, tcMobile, false), QStringLiteral("+1 555 0101"));
}

TEST_F(FTPersonFieldsWriteTest, PhonesEmailsMessagingAndRelatedNamesUseTheTypesLabel)
{
    EXPECT_TRUE(write(QStringLiteral("main"), tcPhone, adMain));
    EXPECT_TRUE(write(QStringLiteral("home"), tcPhone, adHome));
    EXPECT_TRUE(write(QStringLiteral("home 2"), tcPhone, adHome)); // replaces, never adds a second
    EXPECT_TRUE(write(QStringLiteral("o@x"), tcEmail, adOther));
    EXPECT_TRUE(write(QStringLiteral("aim.work"), tcAIM, adWork));
    EXPECT_TRUE(write(QStringLiteral("Margaret"), textCategory(110)));
    const PWMultiValue phones = multi(kPWPhoneProperty);
    ASSERT_EQ(phones.count(), 2);
    EXPECT_EQ(phones.labelAtIndex(0), kPWPhoneMainLabel);
    EXPECT_EQ(phones.valueAtIndex(1).toString(), QStringLiteral("home 2"));
    EXPECT_EQ(multi(kPWEmailProperty).labelAtIndex(0), QStringLiteral("other"));
    EXPECT_EQ(multi(kPWAIMInstantProperty).labelAtIndex(0), kPWAIMWorkLabel);
    EXPECT_EQ(multi(kPWRelatedNamesProperty).labelAtIndex(0), kPWMotherLabel);
    EXPECT_EQ(stringForPersonCategory(m_person.get(), adWork, textCategory(110), false), QStringLiteral("Margaret"));
}

TEST_F(FTPersonFieldsWriteTest, SingleValuesOwnPropertiesAndCategoriesWithoutAProperty)
{
    EXPECT_TRUE(write(QStringLiteral("Logistics"), tcDepartment));
    EXPECT_TRUE(write(QStringLiteral("seventh"), textCategory(30)));
    EXPECT_TRUE(write(QStringLiteral("https://x.example"), tcHomepage, adHome));
    EXPECT_EQ(m_person->stringForProperty(QStringLiteral("ABDepartment")), QStringLiteral("Logistics"));
    EXPECT_EQ(m_person->stringForProperty(QStringLiteral("Custom7")), QStringLiteral("seventh"));
    EXPECT_EQ(m_person->stringForProperty(kPWHomePageProperty), QStringLiteral("https://x.example"));
    EXPECT_FALSE(write(QStringLiteral("x"), tcFullName));
    EXPECT_FALSE(write(QStringLiteral("x"), tcCityLine));
    EXPECT_FALSE(write(QStringLiteral("x"), tcBarcode));
    EXPECT_FALSE(setStringForPersonCategory(nullptr, QStringLiteral("x"), adWork, tcFirstName));
}

TEST(FTPersonPropertyAppendTest, TheLastEntryWithTheLabelTakesTheValueAndEmptyTextsAreNotAdded)
{
    PWMultiValue multi;
    multi.addValue(PWPlist::fromString(QStringLiteral("first")), kPWHomeLabel);
    multi.addValue(PWPlist::fromString(QStringLiteral("second")), kPWHomeLabel);
    bool changed = false;
    PWMultiValue updated = personPropertyByAppendingValue(multi, PWPlist::fromString(QStringLiteral("new")), kPWHomeLabel, &changed);
    EXPECT_TRUE(changed);
    EXPECT_EQ(updated.valueAtIndex(0).toString(), QStringLiteral("first"));
    EXPECT_EQ(updated.valueAtIndex(1).toString(), QStringLiteral("new"));
    updated = personPropertyByAppendingValue(updated, PWPlist::fromString(QStringLiteral("new")), kPWHomeLabel, &changed);
    EXPECT_FALSE(changed);
    updated = personPropertyByAppendingValue(std::nullopt, PWPlist::fromString(QString()), kPWWorkLabel, &changed);
    EXPECT_FALSE(changed);
    EXPECT_TRUE(updated.isEmpty());
}

TEST(FTNaturalDateTest, ReadsTheUsualWaysOfWritingADate)
{
    const QDate march4(1970, 3, 4);
    for (const QString &text : {QStringLiteral("1970-03-04"), QStringLiteral("1970/3/4"), QStringLiteral("19700304"),
                                QStringLiteral("3/4/1970"), QStringLiteral("3/4/70"), QStringLiteral("4.3.1970"),
                                QStringLiteral("March 4, 1970"), QStringLiteral("4 March 1970"), QStringLiteral("Mar 4 1970"),
                                QStringLiteral("Wednesday, March 4, 1970"), QStringLiteral(" 4th mar. 1970 ")})
        EXPECT_EQ(dateFromNaturalLanguageString(text), march4) << text.toStdString();
    EXPECT_EQ(dateFromNaturalLanguageString(QStringLiteral("1/2/05")), QDate(2005, 1, 2));
    for (const QString &text : {QString(), QStringLiteral("soon"), QStringLiteral("2/30/1970"), QStringLiteral("13/1/1970"),
                                QStringLiteral("March 1970"), QStringLiteral("Ma 4 1970"), QStringLiteral("1970-03-04x"),
                                QString(200, QLatin1Char('1'))})
        EXPECT_FALSE(dateFromNaturalLanguageString(text)) << text.toStdString();
}

} // namespace
