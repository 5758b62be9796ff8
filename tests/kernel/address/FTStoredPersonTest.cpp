#include "kernel/address/FTStoredPerson.h"

#include "AddressTestSupport.h"
#include "platform/PWVCardReader.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

const QByteArray kPng = QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAIAAAACCAYAAABytg0kAAAAFUlEQVR42mM4ISf3H4QZ5ORO/"
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
    const std::shared_ptr<PWPerson> pictured = person(QStringLiteral("Petra"), QStringLiteral("Pictured"));
    pictured->setImageData(kPng);
    const PWPlist::Dictionary stored = FTStoredPerson::convertToStoringData(*pictured);
    EXPECT_EQ(stored.keys(), (QStringList{QStringLiteral("personData"), QStringLiteral("additionalPersonData")}));
    EXPECT_EQ(pictured->imageData(), kPng);

    const std::shared_ptr<PWPerson> back = FTStoredPerson::initWithStoredData(stored);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->imageData(), FTStoredPerson::blankPictureData());
    const QImage blank = QImage::fromData(FTStoredPerson::blankPictureData());
    EXPECT_EQ(blank.size(), QSize(1, 1));
    EXPECT_TRUE(FTStoredPerson::blankPictureData().startsWith("II*") || FTStoredPerson::blankPictureData().startsWith("MM"));

    const std::shared_ptr<PWPerson> plain = person(QStringLiteral("Nora"), QStringLiteral("Nopic"));
    const PWPlist::Dictionary plainStored = FTStoredPerson::convertToStoringData(*plain);
    EXPECT_FALSE(plainStored.value(QStringLiteral("personData")).toData().contains("PHOTO"));
}

TEST_F(FTStoredPersonTest, CustomFieldsTravelBesideTheVCardInTheirOrder)
{
    const std::shared_ptr<PWPerson> none = person(QStringLiteral("Ann"), QStringLiteral("Lee"));
    EXPECT_TRUE(FTStoredPerson::convertToStoringData(*none).value(QStringLiteral("additionalPersonData")).toArray().isEmpty());

    const std::shared_ptr<PWPerson> all = person(QStringLiteral("Ann"), QStringLiteral("Lee"));
    for (int i = 1; i <= 9; ++i)
        setText(*all, QStringLiteral("Custom%1").arg(i), QStringLiteral("value %1").arg(i));
    const PWPlist::Dictionary stored = FTStoredPerson::convertToStoringData(*all);
    const PWPlist::Array custom = stored.value(QStringLiteral("additionalPersonData")).toArray();
    ASSERT_EQ(custom.size(), 9);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(custom.at(i).toString(), QStringLiteral("value %1").arg(i + 1));
    const std::shared_ptr<PWPerson> back = FTStoredPerson::initWithStoredData(stored);
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->hasSameValues(*all));

    // Only the third one: two empty places before it, nothing after it.
    const std::shared_ptr<PWPerson> third = person(QStringLiteral("Ann"), QStringLiteral("Lee"));
    setText(*third, QStringLiteral("Custom3"), QStringLiteral("three"));
    const PWPlist::Array partial =
        FTStoredPerson::convertToStoringData(*third).value(QStringLiteral("additionalPersonData")).toArray();
    EXPECT_EQ(partial.size(), 3);
    EXPECT_EQ(partial.at(2).toString(), QStringLiteral("three"));
}

TEST_F(FTStoredPersonTest, ReadingToleratesMissingExtrasAndRefusesAnUnreadableVCard)
{
    const std::shared_ptr<PWPerson> ann = person(QStringLiteral("Ann"), QStringLiteral("Lee"));
    PWPlist::Dictionary stored = FTStoredPerson::convertToStoringData(*ann);
    stored.remove(QStringLiteral("additionalPersonData"));
    const std::shared_ptr<PWPerson> back = FTStoredPerson::initWithStoredData(stored);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->stringForProperty(kPWLastNameProperty), QStringLiteral("Lee"));

    PWPlist::Array tooMany;
    for (int i = 0; i < 12; ++i)
        tooMany.append(PWPlist::fromString(QStringLiteral("extra %1").arg(i)));
    tooMany[1] = PWPlist::fromInteger(5); // not a text: left out
    stored.insert(QStringLiteral("additionalPersonData"), PWPlist(tooMany));
    const std::shared_ptr<PWPerson> extras = FTStoredPerson::initWithStoredData(stored);
    ASSERT_TRUE(extras);
    EXPECT_EQ(extras->stringForProperty(QStringLiteral("Custom1")), QStringLiteral("extra 0"));
    EXPECT_FALSE(extras->hasValueForProperty(QStringLiteral("Custom2")));
    EXPECT_EQ(extras->stringForProperty(QStringLiteral("Custom9")), QStringLiteral("extra 8"));

    EXPECT_FALSE(FTStoredPerson::initWithStoredData({{QStringLiteral("personData"), PWPlist::fromData("not a vCard")}}));
    EXPECT_FALSE(FTStoredPerson::initWithStoredData({{QStringLiteral("personData"), PWPlist::fromString(QStringLiteral("x"))}}));
    EXPECT_FALSE(FTStoredPerson::initWithStoredData({}));
}

TEST_F(FTStoredPersonTest, ACopyHoldsEverythingAndIsANewPerson)
{
    const std::shared_ptr<PWPerson> original = person(QStringLiteral("Ann"), QStringLiteral("Lee"));
    setText(*original, QStringLiteral("Custom3"), QStringLiteral("three"));
    setText(*original, QStringLiteral("ABDepartment"), QStringLiteral("Dispatch"));
    original->setImageData(kPng);
    PWMultiValue phones;
    phones.addValue(PWPlist::fromString(QStringLiteral("+1 555 0100")), kPWPhoneWorkLabel);
    original->setMultiValueForProperty(kPWPhoneProperty, phones);
    const std::shared_ptr<PWPerson> copy = FTStoredPerson::copyWithZone(*original);
    ASSERT_TRUE(copy);
    EXPECT_NE(copy->uniqueId(), original->uniqueId());
    EXPECT_TRUE(copy->hasSameValues(*original));
    EXPECT_EQ(copy->imageData(), kPng); // the whole picture, not the blank one
    copy->setValueForProperty(QStringLiteral("Custom3"), PWPlist::fromString(QStringLiteral("changed")));
    EXPECT_EQ(original->stringForProperty(QStringLiteral("Custom3")), QStringLiteral("three"));
}

TEST_F(FTStoredPersonTest, EqualityLooksAtNamesOrganizationAndDepartmentOnly)
{
    const std::shared_ptr<PWPerson> a = person(QStringLiteral("Ann"), QStringLiteral("Lee"));
    const std::shared_ptr<PWPerson> b = person(QStringLiteral("Ann"), QStringLiteral("Lee"));
    PWMultiValue phones;
    phones.addValue(PWPlist::fromString(QStringLiteral("+1 555 0100")), kPWPhoneWorkLabel);
    b->setMultiValueForProperty(kPWPhoneProperty, phones);
    EXPECT_TRUE(FTStoredPerson::isEqualToPerson(*a, b.get())); // addresses and phones play no part
    EXPECT_TRUE(FTStoredPerson::isEqualToPerson(*a, a.get()));
    EXPECT_FALSE(FTStoredPerson::isEqualToPerson(*a, nullptr));
    EXPECT_FALSE(FTStoredPerson::isEqualToPerson(*a, person(QString(), QStringLiteral("Lee")).get()));
    EXPECT_FALSE(FTStoredPerson::isEqualToPerson(*a, person(QStringLiteral("ann"), QStringLiteral("Lee")).get()));
    EXPECT_TRUE(FTStoredPerson::isEqualToPerson(*person(QString(), QString()), person(QString(), QString()).get()));
    setText(*b, QStringLiteral("ABDepartment"), QStringLiteral("Dispatch"));
    EXPECT_FALSE(FTStoredPerson::isEqualToPerson(*a, b.get()));
    setText(*a, QStringLiteral("ABDepartment"), QStringLiteral("Dispatch"));
    setText(*a, kPWOrganizationProperty, QStringLiteral("Acme"));
    EXPECT_FALSE(FTStoredPerson::isEqualToPerson(*a, b.get()));
    // A stored person read back is equal to the person stored.
    EXPECT_TRUE(FTStoredPerson::isEqualToPerson(*a, FTStoredPerson::initWithStoredData(FTStoredPerson::convertToStoringData(*a)).get()));
}

} // namespace
