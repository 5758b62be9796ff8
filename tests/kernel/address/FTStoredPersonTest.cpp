#include "kernel/address/FTStoredPerson.h"

#include "AddressTestSupport.h"
#include "platform/PWVCardReader.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

const QByteArray kPng =
    QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAIAAAACCAYAAABytg0kAAAAFUlEQVR42mM4ISf3H4QZ5ORO/"
                           "AdhAESMCA13gOdaAAAAAElFTkSuQmCC");

class FTStoredPersonTest : public testing::Test
{
protected:
    static std::shared_ptr<PWPerson> person(const QString &first, const QString &last)
    {
        std::shared_ptr<PWPerson> made = PWPerson::create();
        if (!first.isNull())
            made->setValueForProperty(kPWFirstNameProperty, PWPlist::fromString(first));
        if (!last.isNull())
            made->setValueForProperty(kPWLastNameProperty, PWPlist::fromString(last));
        return made;
    }
    static void setText(PWPerson &target, const QString &property, const QString &value)
    {
        ASSERT_TRUE(target.setValueForProperty(property, PWPlist::fromString(value))) << property.toStdString();
    }
};

TEST_F(FTStoredPersonTest, ThePictureIsStoredAsTheBlankOneAndThePersonKeepsItsOwn)
{
    const std::shared_ptr<PWPerson> pictured = person(u"Petra"_s, u"Pictured"_s);
    pictured->setImageData(kPng);
    const PWPlist::Dictionary stored = FTStoredPerson::convertToStoringData(*pictured);
    EXPECT_EQ(pictured->imageData(), kPng);

    const std::shared_ptr<PWPerson> back = FTStoredPerson::initWithStoredData(stored);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->imageData(), FTStoredPerson::blankPictureData());

    const std::shared_ptr<PWPerson> plain = person(u"Nora"_s, u"Nopic"_s);
    const PWPlist::Dictionary plainStored = FTStoredPerson::convertToStoringData(*plain);
    EXPECT_FALSE(plainStored.value(u"personData"_s).toData().contains("PHOTO"));
}

TEST_F(FTStoredPersonTest, CustomFieldsTravelBesideTheVCardInTheirOrder)
{
    const std::shared_ptr<PWPerson> none = person(u"Ann"_s, u"Lee"_s);
    EXPECT_TRUE(FTStoredPerson::convertToStoringData(*none).value(u"additionalPersonData"_s).toArray().isEmpty());

    const std::shared_ptr<PWPerson> all = person(u"Ann"_s, u"Lee"_s);
    for (int i = 1; i <= 9; ++i)
        setText(*all, u"Custom%1"_s.arg(i), u"value %1"_s.arg(i));
    const PWPlist::Dictionary stored = FTStoredPerson::convertToStoringData(*all);
    const PWPlist::Array custom = stored.value(u"additionalPersonData"_s).toArray();
    ASSERT_EQ(custom.size(), 9);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(custom.at(i).toString(), u"value %1"_s.arg(i + 1));
    const std::shared_ptr<PWPerson> back = FTStoredPerson::initWithStoredData(stored);
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->hasSameValues(*all));

    // Only the third one: two empty places before it, nothing after it.
    const std::shared_ptr<PWPerson> third = person(u"Ann"_s, u"Lee"_s);
    setText(*third, u"Custom3"_s, u"three"_s);
    const PWPlist::Array partial =
        FTStoredPerson::convertToStoringData(*third).value(u"additionalPersonData"_s).toArray();
    EXPECT_EQ(partial.size(), 3);
    EXPECT_EQ(partial.at(2).toString(), u"three"_s);
}

TEST_F(FTStoredPersonTest, ReadingToleratesMissingExtrasAndRefusesAnUnreadableVCard)
{
    const std::shared_ptr<PWPerson> ann = person(u"Ann"_s, u"Lee"_s);
    PWPlist::Dictionary stored = FTStoredPerson::convertToStoringData(*ann);
    stored.remove(u"additionalPersonData"_s);
    const std::shared_ptr<PWPerson> back = FTStoredPerson::initWithStoredData(stored);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->stringForProperty(kPWLastNameProperty), u"Lee"_s);

    PWPlist::Array tooMany;
    for (int i = 0; i < 12; ++i)
        tooMany.append(PWPlist::fromString(u"extra %1"_s.arg(i)));
    tooMany[1] = PWPlist::fromInteger(5); // not a text: left out
    stored.insert(u"additionalPersonData"_s, PWPlist(tooMany));
    const std::shared_ptr<PWPerson> extras = FTStoredPerson::initWithStoredData(stored);
    ASSERT_TRUE(extras);
    EXPECT_EQ(extras->stringForProperty(u"Custom1"_s), u"extra 0"_s);
    EXPECT_FALSE(extras->hasValueForProperty(u"Custom2"_s));
    EXPECT_EQ(extras->stringForProperty(u"Custom9"_s), u"extra 8"_s);

    EXPECT_FALSE(FTStoredPerson::initWithStoredData({{u"personData"_s, PWPlist::fromData("not a vCard")}}));
    EXPECT_FALSE(FTStoredPerson::initWithStoredData({{u"personData"_s, PWPlist::fromString(u"x"_s)}}));
    EXPECT_FALSE(FTStoredPerson::initWithStoredData({}));
}

TEST_F(FTStoredPersonTest, ACopyHoldsEverythingAndIsANewPerson)
{
    const std::shared_ptr<PWPerson> original = person(u"Ann"_s, u"Lee"_s);
    setText(*original, u"Custom3"_s, u"three"_s);
    setText(*original, u"ABDepartment"_s, u"Dispatch"_s);
    original->setImageData(kPng);
    PWMultiValue phones;
    phones.addValue(PWPlist::fromString(u"+1 555 0100"_s), kPWPhoneWorkLabel);
    original->setMultiValueForProperty(kPWPhoneProperty, phones);
    const std::shared_ptr<PWPerson> copy = FTStoredPerson::copyWithZone(*original);
    ASSERT_TRUE(copy);
    EXPECT_NE(copy->uniqueId(), original->uniqueId());
    EXPECT_TRUE(copy->hasSameValues(*original));
    EXPECT_EQ(copy->imageData(), kPng); // the whole picture, not the blank one
    copy->setValueForProperty(u"Custom3"_s, PWPlist::fromString(u"changed"_s));
    EXPECT_EQ(original->stringForProperty(u"Custom3"_s), u"three"_s);
}

TEST_F(FTStoredPersonTest, EqualityLooksAtNamesOrganizationAndDepartmentOnly)
{
    const std::shared_ptr<PWPerson> a = person(u"Ann"_s, u"Lee"_s);
    const std::shared_ptr<PWPerson> b = person(u"Ann"_s, u"Lee"_s);
    PWMultiValue phones;
    phones.addValue(PWPlist::fromString(u"+1 555 0100"_s), kPWPhoneWorkLabel);
    b->setMultiValueForProperty(kPWPhoneProperty, phones);
    EXPECT_TRUE(FTStoredPerson::isEqualToPerson(*a, b.get())); // addresses and phones play no part
    EXPECT_TRUE(FTStoredPerson::isEqualToPerson(*a, a.get()));
    EXPECT_FALSE(FTStoredPerson::isEqualToPerson(*a, nullptr));
    EXPECT_FALSE(FTStoredPerson::isEqualToPerson(*a, person(QString(), u"Lee"_s).get()));
    EXPECT_FALSE(FTStoredPerson::isEqualToPerson(*a, person(u"ann"_s, u"Lee"_s).get()));
    EXPECT_TRUE(FTStoredPerson::isEqualToPerson(*person(QString(), QString()), person(QString(), QString()).get()));
    setText(*b, u"ABDepartment"_s, u"Dispatch"_s);
    EXPECT_FALSE(FTStoredPerson::isEqualToPerson(*a, b.get()));
    setText(*a, u"ABDepartment"_s, u"Dispatch"_s);
    setText(*a, kPWOrganizationProperty, u"Acme"_s);
    EXPECT_FALSE(FTStoredPerson::isEqualToPerson(*a, b.get()));
    // A stored person read back is equal to the person stored.
    EXPECT_TRUE(FTStoredPerson::isEqualToPerson(
        *a, FTStoredPerson::initWithStoredData(FTStoredPerson::convertToStoringData(*a)).get()));
}

} // namespace
