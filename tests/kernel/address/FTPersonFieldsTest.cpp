#include "kernel/address/FTPersonFields.h"

#include "AddressTestSupport.h"
#include "kernel/address/FTNaturalDate.h"
#include "platform/PWUserDefaults.h"
#include "platform/PWVCardReader.h"

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
    std::shared_ptr<PWPerson> person = addrtest::makePerson(u"Ann|Lee"_s);
    PWMultiValue addresses;
    addresses.addValue(addrtest::addressValue(u"1 Home Lane"_s, u"Homeville"_s, u"HS"_s, u"11111"_s, u"Homeland"_s),
                       kPWAddressHomeLabel);
    addresses.addValue(addrtest::addressValue(u"2 Work Road"_s, u"Worktown"_s, QString(), u"22222"_s, u"Workland"_s),
                       kPWAddressWorkLabel);
    person->setMultiValueForProperty(kPWAddressProperty, addresses);
    person->setMultiValueForProperty(kPWPhoneProperty,
                                     texts({{kPWOtherLabel, u"other"_s}, {kPWPhoneHomeLabel, u"home"_s}}));
    person->setMultiValueForProperty(
        kPWURLsProperty,
        texts({{u"blog"_s, u"first"_s}, {kPWHomeLabel, u"home"_s}, {kPWHomePageLabel, u"homepage"_s}}));
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

// Without the single homepage property the merge field takes the URL labelled for the address
// type (the main and home types the "homepage" label first), else the first URL.
TEST(FTPersonFieldsReadTest, HomepageIsTheUrlLabelledForTheAddressType)
{
    const auto person = [](std::initializer_list<std::pair<QString, QString>> urls, const QString &single = QString()) {
        std::shared_ptr<PWPerson> made = PWPerson::create();
        made->setMultiValueForProperty(kPWURLsProperty, texts(urls));
        if (!single.isEmpty())
            made->setValueForProperty(kPWHomePageProperty, PWPlist::fromString(single));
        return made;
    };
    const std::shared_ptr<PWPerson> withHomepage = person({{u"blog"_s, u"first"_s}, {kPWHomeLabel, u"home"_s}, {kPWHomePageLabel, u"homepage"_s}});
    const std::shared_ptr<PWPerson> byType =
        person({{u"blog"_s, u"first"_s}, {kPWWorkLabel, u"work"_s}, {kPWHomeLabel, u"home"_s}, {kPWOtherLabel, u"other"_s}});
    const std::shared_ptr<PWPerson> single = person({{kPWWorkLabel, u"work"_s}}, u"single"_s);
    // Person, address type, homepage read.
    const std::tuple<const PWPerson *, addressType, QString> cases[] = {
        {withHomepage.get(), adMain, u"homepage"_s}, {withHomepage.get(), adHome, u"homepage"_s},
        {withHomepage.get(), adWork, u"first"_s}, {withHomepage.get(), adOther, u"first"_s},
        {byType.get(), adMain, u"first"_s}, {byType.get(), adHome, u"home"_s},
        {byType.get(), adWork, u"work"_s}, {byType.get(), adOther, u"other"_s},
        {single.get(), adWork, u"single"_s}, {single.get(), adHome, u"single"_s}};
    for (const auto &[who, type, expected] : cases)
        EXPECT_EQ(stringForPersonCategory(who, type, tcHomepage, false), expected) << int(type);
    EXPECT_TRUE(stringForPersonCategory(PWPerson::create().get(), adWork, tcHomepage, false).isNull());
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
        EXPECT_EQ(composeAddressConsideringCountry(u"Berlin"_s, {}, u"10117"_s, u"Germany"_s, language), cityLine);
        EXPECT_EQ(composeAddressConsideringCountry(QString(), u"ST"_s, u"10117"_s, QString(), language), withoutCity);
    }
    EXPECT_EQ(composeNameConsideringCountry(u"Taro"_s, QString(), u"Japanese"_s), u"Taro"_s);
    EXPECT_TRUE(composeNameConsideringCountry(QString(), QString(), u"en"_s).isNull());
}

TEST_F(FTPersonFieldsTest, TheMainAddressIsWrittenIntoThePrimaryOneNotIntoANewOne)
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

TEST_F(FTPersonFieldsTest, AddressEntriesByTypeAndNothingAddedForANoOp)
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
}

TEST_F(FTPersonFieldsTest, ACorrectionOfLetterCaseIsAChange)
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

TEST_F(FTPersonFieldsTest, DatesThatCannotBeReadAreRefused)
{
    EXPECT_FALSE(write(u"next Tuesday-ish"_s, tcBirthday));
    EXPECT_FALSE(write(u"2/30/1970"_s, tcAnniversary));
    EXPECT_TRUE(m_person->propertiesWithValues().isEmpty());
    EXPECT_TRUE(write(u"March 4, 1970"_s, tcBirthday));
    EXPECT_EQ(m_person->valueForProperty(kPWBirthdayProperty), addrtest::utcDate(1970, 3, 4));
    // What the read path shows can be written back unchanged.
    EXPECT_FALSE(write(read(tcBirthday), tcBirthday));
    EXPECT_TRUE(write(u"15.6.2001"_s, tcAnniversary));
    EXPECT_TRUE(write(u"1999-12-31"_s, tcOtherDate));
    const PWMultiValue dates = multi(kPWOtherDatesProperty);
    ASSERT_EQ(dates.count(), 2);
    EXPECT_EQ((QStringList {dates.labelAtIndex(0), dates.labelAtIndex(1)}),
              (QStringList {kPWAnniversaryLabel, kPWOtherLabel}));
    EXPECT_EQ(dates.valueAtIndex(0), addrtest::utcDate(2001, 6, 15));
}

TEST_F(FTPersonFieldsTest, CategoriesWithoutAPropertyAndMissingPersonsAreRefused)
{
    for (textCategory category : {tcFullName, tcCityLine, tcBarcode})
        EXPECT_FALSE(write(u"x"_s, category)) << int(category);
    EXPECT_TRUE(m_person->propertiesWithValues().isEmpty());
    EXPECT_FALSE(setStringForPersonCategory(nullptr, u"x"_s, adWork, tcFirstName));
}

// The value goes into its property under the type's label (none for a single value), once, and is
// read back as written.
TEST_F(FTPersonFieldsTest, StoresTheValueUnderItsPropertyAndLabel)
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
        EXPECT_EQ(read(category, type, true), text);
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

namespace {

// A card's work address grouped with a label of its own ("Office") is the work address a design
// set to Work shows, and the card's other addresses stay what their types make them.
TEST(FTPersonFieldsCardTest, AWorkAddressUnderALabelOfItsGroupIsTheWorkAddress)
{
    const std::shared_ptr<PWPerson> person = PWVCardReader::personFromData(
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jane;;;\r\nitem1.ADR;TYPE=WORK,pref:;;1 Main St;Portland;OR;97201;USA\r\n"
        "item1.X-ABLabel:Office\r\nADR;TYPE=HOME:;;2 Elm Rd;Salem;OR;97301;USA\r\n"
        "item2.ADR:;;3 Oak Way;Bend;OR;97701;USA\r\nitem2.X-ABLabel:Cabin\r\nEND:VCARD\r\n");
    ASSERT_TRUE(person);
    EXPECT_EQ(stringForPersonCategory(person.get(), adWork, tcCity, false), u"Portland"_s);
    EXPECT_EQ(stringForPersonCategory(person.get(), adHome, tcCity, false), u"Salem"_s);
}

} // namespace
