#include "kernel/address/FTPersonFields.h"

#include "AddressTestSupport.h"
#include "kernel/address/FTNaturalDate.h"

namespace {

class FTPersonFieldsWriteTest : public testing::Test
{
protected:
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
    std::shared_ptr<PWPerson> m_person = PWPerson::create();
};

TEST_F(FTPersonFieldsWriteTest, TheMainAddressIsWrittenIntoThePrimaryOneNotIntoANewOne)
{
    // Without an address the main address becomes a work address, and the primary one.
    EXPECT_TRUE(write(u"Portland"_s, tcCity, adMain));
    EXPECT_EQ(multi(kPWAddressProperty).labelAtIndex(0), kPWAddressWorkLabel);
    EXPECT_EQ(getPrimaryAddressLabel(m_person.get()), kPWAddressWorkLabel);
    // Every later write of the main address goes into that same entry.
    EXPECT_TRUE(write(u"1 Quay Street"_s, tcStreet, adMain));
    EXPECT_TRUE(write(u"97201"_s, tcZIP, adMain));
    ASSERT_EQ(multi(kPWAddressProperty).count(), 1);
    EXPECT_EQ((QStringList {addressValue(0, kPWAddressCityKey), addressValue(0, kPWAddressStreetKey)}),
              (QStringList {u"Portland"_s, u"1 Quay Street"_s}));
    // A home address made primary takes the next main write.
    EXPECT_TRUE(write(u"Homeville"_s, tcCity, adHome));
    setPrimaryAddressIndex(m_person.get(), kPWAddressHomeLabel);
    EXPECT_EQ(getPrimaryAddressLabel(m_person.get()), kPWAddressHomeLabel);
    EXPECT_TRUE(write(u"HS"_s, tcState, adMain));
    ASSERT_EQ(multi(kPWAddressProperty).count(), 2);
    EXPECT_EQ((QStringList {addressValue(0, kPWAddressStateKey), addressValue(1, kPWAddressStateKey)}),
              (QStringList {QString(), u"HS"_s}));
}

TEST_F(FTPersonFieldsWriteTest, AddressEntriesByTypeAndNothingAddedForANoOp)
{
    EXPECT_FALSE(write(QString(), tcCity, adHome));
    EXPECT_FALSE(m_person->hasValueForProperty(kPWAddressProperty));
    EXPECT_TRUE(write(u"Bergen"_s, tcCity, adOther));
    EXPECT_TRUE(write(u"Norway"_s, tcCountry, adOther));
    const PWMultiValue addresses = multi(kPWAddressProperty);
    ASSERT_EQ(addresses.count(), 1);
    EXPECT_EQ(addresses.labelAtIndex(0), u"other"_s);
    // A new entry carries every address key, empty where nothing was written.
    EXPECT_EQ(addresses.valueAtIndex(0).toDictionary().keys(),
              (QStringList {kPWAddressStreetKey, kPWAddressCityKey, kPWAddressStateKey, kPWAddressZIPKey,
                            kPWAddressCountryKey, kPWAddressCountryCodeKey}));
    EXPECT_EQ(stringForPersonCategory(m_person.get(), adOther, tcCountry, false), u"Norway"_s);
    EXPECT_FALSE(write(u"Norway"_s, tcCountry, adOther));
}

TEST_F(FTPersonFieldsWriteTest, ACorrectionOfLetterCaseIsAChange)
{
    EXPECT_TRUE(write(u"mcdonald"_s, tcLastName));
    EXPECT_TRUE(write(u"McDonald"_s, tcLastName));
    EXPECT_EQ(m_person->stringForProperty(kPWLastNameProperty), u"McDonald"_s);
    EXPECT_TRUE(write(u"portland"_s, tcCity));
    EXPECT_TRUE(write(u"Portland"_s, tcCity));
    EXPECT_EQ(addressValue(0, kPWAddressCityKey), u"Portland"_s);
    // An emptied single value is removed.
    EXPECT_TRUE(write(QString(), tcLastName));
    EXPECT_FALSE(m_person->hasValueForProperty(kPWLastNameProperty));
}

TEST_F(FTPersonFieldsWriteTest, DatesThatCannotBeReadAreRefused)
{
    EXPECT_FALSE(write(u"next Tuesday-ish"_s, tcBirthday));
    EXPECT_FALSE(write(u"2/30/1970"_s, tcAnniversary));
    EXPECT_TRUE(m_person->propertiesWithValues().isEmpty());
    EXPECT_TRUE(write(u"March 4, 1970"_s, tcBirthday));
    EXPECT_EQ(m_person->valueForProperty(kPWBirthdayProperty), addrtest::utcDate(1970, 3, 4));
    // What the read path shows can be written back unchanged.
    EXPECT_FALSE(write(stringForPersonCategory(m_person.get(), adWork, tcBirthday, false), tcBirthday));
    EXPECT_TRUE(write(u"15.6.2001"_s, tcAnniversary));
    EXPECT_TRUE(write(u"1999-12-31"_s, tcOtherDate));
    const PWMultiValue dates = multi(kPWOtherDatesProperty);
    ASSERT_EQ(dates.count(), 2);
    EXPECT_EQ((QStringList {dates.labelAtIndex(0), dates.labelAtIndex(1)}),
              (QStringList {kPWAnniversaryLabel, kPWOtherLabel}));
    EXPECT_EQ(dates.valueAtIndex(0), addrtest::utcDate(2001, 6, 15));
}

TEST_F(FTPersonFieldsWriteTest, APhoneOfATypeIsReplacedNeverAddedBesideTheOthers)
{
    EXPECT_TRUE(write(u"main"_s, tcPhone, adMain));
    EXPECT_TRUE(write(u"home"_s, tcPhone, adHome));
    EXPECT_TRUE(write(u"home 2"_s, tcPhone, adHome));
    const PWMultiValue phones = multi(kPWPhoneProperty);
    ASSERT_EQ(phones.count(), 2);
    EXPECT_EQ(phones.labelAtIndex(0), kPWPhoneMainLabel);
    EXPECT_EQ(phones.valueAtIndex(1).toString(), u"home 2"_s);
}

TEST_F(FTPersonFieldsWriteTest, CategoriesWithoutAPropertyAndMissingPersonsAreRefused)
{
    for (textCategory category : {tcFullName, tcCityLine, tcBarcode})
        EXPECT_FALSE(write(u"x"_s, category)) << int(category);
    EXPECT_TRUE(m_person->propertiesWithValues().isEmpty());
    EXPECT_FALSE(setStringForPersonCategory(nullptr, u"x"_s, adWork, tcFirstName));
}

// The value goes into its property under the type's label (none for a single value), once, and is
// read back as written.
TEST_F(FTPersonFieldsWriteTest, StoresTheValueUnderItsPropertyAndLabel)
{
    const std::tuple<textCategory, addressType, QString, QString, QString> cases[] = {
        {tcMobile, adHome, u"+1 555 0101"_s, kPWPhoneProperty, kPWPhoneMobileLabel},
        {textCategory(110), adWork, u"Margaret"_s, kPWRelatedNamesProperty, kPWMotherLabel},
        {tcDepartment, adWork, u"Logistics"_s, u"ABDepartment"_s, QString()},
        {textCategory(30), adWork, u"seventh"_s, u"Custom7"_s, QString()}};
    for (const auto &[category, type, text, property, label] : cases) {
        SCOPED_TRACE(property.toStdString());
        EXPECT_TRUE(write(text, category, type));
        EXPECT_FALSE(write(text, category, type)) << "writing the same again changes nothing";
        if (label.isNull()) {
            EXPECT_EQ(m_person->stringForProperty(property), text);
        } else {
            ASSERT_EQ(multi(property).count(), 1);
            EXPECT_EQ(multi(property).labelAtIndex(0), label);
            EXPECT_EQ(multi(property).valueAtIndex(0).toString(), text);
        }
        EXPECT_EQ(stringForPersonCategory(m_person.get(), type, category, true), text);
    }
}

TEST(FTPersonPropertyAppendTest, TheLastEntryWithTheLabelTakesTheValueAndEmptyTextsAreNotAdded)
{
    PWMultiValue multi;
    multi.addValue(PWPlist::fromString(u"first"_s), kPWHomeLabel);
    multi.addValue(PWPlist::fromString(u"second"_s), kPWHomeLabel);
    bool changed = false;
    PWMultiValue updated = personPropertyByAppendingValue(multi, PWPlist::fromString(u"new"_s), kPWHomeLabel, &changed);
    EXPECT_TRUE(changed);
    EXPECT_EQ((QStringList {updated.valueAtIndex(0).toString(), updated.valueAtIndex(1).toString()}),
              (QStringList {u"first"_s, u"new"_s}));
    updated = personPropertyByAppendingValue(updated, PWPlist::fromString(u"new"_s), kPWHomeLabel, &changed);
    EXPECT_FALSE(changed);
    updated = personPropertyByAppendingValue(std::nullopt, PWPlist::fromString(QString()), kPWWorkLabel, &changed);
    EXPECT_FALSE(changed);
    EXPECT_TRUE(updated.isEmpty());
}

TEST(FTNaturalDateTest, ReadsTheUsualWaysOfWritingADate)
{
    const QDate march4(1970, 3, 4);
    for (const QString &text :
         {u"1970-03-04"_s, u"1970/3/4"_s, u"19700304"_s, u"3/4/1970"_s, u"3/4/70"_s, u"4.3.1970"_s, u"March 4, 1970"_s,
          u"4 March 1970"_s, u"Mar 4 1970"_s, u"Wednesday, March 4, 1970"_s, u" 4th mar. 1970 "_s})
        EXPECT_EQ(dateFromNaturalLanguageString(text), march4) << text.toStdString();
    EXPECT_EQ(dateFromNaturalLanguageString(u"1/2/05"_s), QDate(2005, 1, 2));
    for (const QString &text : {QString(), u"soon"_s, u"2/30/1970"_s, u"13/1/1970"_s, u"March 1970"_s, u"Ma 4 1970"_s,
                                u"1970-03-04x"_s, QString(200, QLatin1Char('1'))})
        EXPECT_FALSE(dateFromNaturalLanguageString(text)) << text.toStdString();
}

} // namespace
