#include "kernel/address/FTStoredPerson.h"

#include "AddressTestSupport.h"
#include "platform/PWVCardReader.h"

namespace {

const QByteArray kPng =
    QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAIAAAACCAYAAABytg0kAAAAFUlEQVR42mM4ISf3H4QZ5ORO/"
                           "AdhAESMCA13gOdaAAAAAElFTkSuQmCC");

class FTStoredPersonTest : public testing::Test
{
protected:
    static std::shared_ptr<PWPerson> person(const QString &first = u"Ann"_s, const QString &last = u"Lee"_s)
    {
        std::shared_ptr<PWPerson> made = PWPerson::create();
        for (const auto &[property, value] : {std::pair {kPWFirstNameProperty, first}, {kPWLastNameProperty, last}})
            if (!value.isNull())
                made->setValueForProperty(property, PWPlist::fromString(value));
        return made;
    }
    static PWPlist::Array extras(const PWPerson &stored)
    {
        return FTStoredPerson::convertToStoringData(stored).value(u"additionalPersonData"_s).toArray();
    }
    static void addWorkPhone(PWPerson &target)
    {
        PWMultiValue phones;
        phones.addValue(PWPlist::fromString(u"+1 555 0100"_s), kPWPhoneWorkLabel);
        target.setMultiValueForProperty(kPWPhoneProperty, phones);
    }
    static void setText(PWPerson &target, const QString &property, const QString &value)
    {
        ASSERT_TRUE(target.setValueForProperty(property, PWPlist::fromString(value))) << property.toStdString();
    }
};

TEST_F(FTStoredPersonTest, ThePictureIsStoredAsTheBlankOneAndThePersonKeepsItsOwn)
{
    const std::shared_ptr<PWPerson> pictured = person();
    pictured->setImageData(kPng);
    const PWPlist::Dictionary stored = FTStoredPerson::convertToStoringData(*pictured);
    EXPECT_EQ(pictured->imageData(), kPng);
    const std::shared_ptr<PWPerson> back = FTStoredPerson::initWithStoredData(stored);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->imageData(), FTStoredPerson::blankPictureData());
    EXPECT_FALSE(FTStoredPerson::convertToStoringData(*person()).value(u"personData"_s).toData().contains("PHOTO"));
}

TEST_F(FTStoredPersonTest, CustomFieldsTravelBesideTheVCardInTheirOrder)
{
    EXPECT_TRUE(extras(*person()).isEmpty());
    const std::shared_ptr<PWPerson> all = person();
    QStringList values;
    for (int i = 1; i <= 9; ++i) {
        values.append(u"value %1"_s.arg(i));
        setText(*all, u"Custom%1"_s.arg(i), values.last());
    }
    QStringList custom;
    for (const PWPlist &value : extras(*all))
        custom.append(value.toString());
    EXPECT_EQ(custom, values);
    const std::shared_ptr<PWPerson> back =
        FTStoredPerson::initWithStoredData(FTStoredPerson::convertToStoringData(*all));
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->hasSameValues(*all));
    // Only the third one: two empty places before it, nothing after it.
    const std::shared_ptr<PWPerson> third = person();
    setText(*third, u"Custom3"_s, u"three"_s);
    const PWPlist::Array partial = extras(*third);
    EXPECT_EQ(partial.size(), 3);
    EXPECT_EQ(partial.at(2).toString(), u"three"_s);
}

TEST_F(FTStoredPersonTest, ReadingToleratesMissingExtrasAndRefusesAnUnreadableVCard)
{
    PWPlist::Dictionary stored = FTStoredPerson::convertToStoringData(*person());
    stored.remove(u"additionalPersonData"_s);
    const std::shared_ptr<PWPerson> back = FTStoredPerson::initWithStoredData(stored);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->stringForProperty(kPWLastNameProperty), u"Lee"_s);
    PWPlist::Array tooMany;
    for (int i = 0; i < 12; ++i)
        tooMany.append(PWPlist::fromString(u"extra %1"_s.arg(i)));
    tooMany[1] = PWPlist::fromInteger(5); // not a text: left out
    stored.insert(u"additionalPersonData"_s, PWPlist(tooMany));
    const std::shared_ptr<PWPerson> extended = FTStoredPerson::initWithStoredData(stored);
    ASSERT_TRUE(extended);
    EXPECT_EQ(extended->stringForProperty(u"Custom1"_s), u"extra 0"_s);
    EXPECT_FALSE(extended->hasValueForProperty(u"Custom2"_s));
    EXPECT_EQ(extended->stringForProperty(u"Custom9"_s), u"extra 8"_s);
    EXPECT_FALSE(FTStoredPerson::initWithStoredData({{u"personData"_s, PWPlist::fromData("not a vCard")}}));
    EXPECT_FALSE(FTStoredPerson::initWithStoredData({}));
}

TEST_F(FTStoredPersonTest, ACopyHoldsEverythingAndIsANewPerson)
{
    const std::shared_ptr<PWPerson> original = person();
    setText(*original, u"Custom3"_s, u"three"_s);
    setText(*original, u"ABDepartment"_s, u"Dispatch"_s);
    original->setImageData(kPng);
    addWorkPhone(*original);
    const std::shared_ptr<PWPerson> copy = FTStoredPerson::copyWithZone(*original);
    ASSERT_TRUE(copy);
    EXPECT_TRUE(copy->hasSameValues(*original));
    EXPECT_EQ(copy->imageData(), kPng); // the whole picture, not the blank one
    copy->setValueForProperty(u"Custom3"_s, PWPlist::fromString(u"changed"_s));
    EXPECT_EQ(original->stringForProperty(u"Custom3"_s), u"three"_s);
}

// A card from another program, with lines no person holds.
const QByteArray kForeignCard = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jane;;;\r\nFN:Jane Doe\r\n"
                                "X-PHONETIC-LAST-NAME:Dou\r\nCATEGORIES:Clients,VIP\r\nTEL;TYPE=CELL:555 0100\r\n"
                                "ADR;TYPE=WORK;LABEL=\"1 Main St, Portland\";GEO=\"geo:45.5,-122.6\":;;1 Main St;"
                                "Portland;OR;97201;USA\r\nBDAY:1970-01-31\r\nX-CUSTOM:kept as written\r\n"
                                "PHOTO;ENCODING=b;TYPE=PNG:iVBORw0KGgoAAAANSUhEUgAAAAIAAAACCAYAAABytg0kAAAAFUlEQVR42mM4ISf3H4QZ5ORO/"
                                "AdhAESMCA13gOdaAAAAAElFTkSuQmCC\r\nUID:jane-1\r\nEND:VCARD\r\n";

QList<QByteArray> storedLines(const PWPerson &stored)
{
    // Unfolded: a line written anew is folded at 75 octets.
    return FTStoredPerson::convertToStoringData(stored).value(u"personData"_s).toData().replace("\r\n ", "").split('\n');
}

TEST_F(FTStoredPersonTest, AStoredCardKeepsEveryLineButTheEditedOneInItsCopiesToo)
{
    const PWPlist::Dictionary stored = {{u"personData"_s, PWPlist::fromData(kForeignCard)},
                                        {u"additionalPersonData"_s, PWPlist(PWPlist::Array {PWPlist::fromString(u"one"_s)})}};
    const std::shared_ptr<PWPerson> read = FTStoredPerson::initWithStoredData(stored);
    ASSERT_TRUE(read);
    const QList<QByteArray> lines = kForeignCard.split('\n');
    EXPECT_EQ(FTStoredPerson::convertToStoringData(*read), stored) << "stored again as it was";
    const std::shared_ptr<PWPerson> copy = FTStoredPerson::copyWithZone(*read);
    EXPECT_NE(copy->uniqueId(), read->uniqueId());
    EXPECT_EQ(FTStoredPerson::copyWithIdentity(*read)->uniqueId(), read->uniqueId());
    EXPECT_EQ(storedLines(*copy), lines) << "a copy is stored into the same card";

    // The city typed anew changes the address line alone, which loses the label and position
    // that told of the old city.
    std::optional<PWMultiValue> addresses = copy->multiValueForProperty(kPWAddressProperty);
    ASSERT_TRUE(addresses);
    PWPlist::Dictionary address = addresses->valueAtIndex(0).toDictionary();
    address.insert(kPWAddressCityKey, PWPlist::fromString(u"Bangor"_s));
    addresses->replaceValueAtIndex(0, PWPlist(address));
    copy->setMultiValueForProperty(kPWAddressProperty, *addresses);
    QList<QByteArray> expected = lines;
    expected[7] = "ADR;TYPE=WORK:;;1 Main St;Bangor;OR;97201;USA\r";
    EXPECT_EQ(storedLines(*copy), expected);

    // A picture the card did not hold is stored as the blank one; the rest stays.
    copy->setImageData(FTStoredPerson::blankPictureData() + "another");
    const QList<QByteArray> pictured = storedLines(*copy);
    EXPECT_EQ(pictured.mid(0, 10), expected.mid(0, 10));
    EXPECT_TRUE(pictured.at(10).startsWith("PHOTO;ENCODING=b;TYPE=TIFF:")) << pictured.at(10).toStdString();
    const std::shared_ptr<PWPerson> back = FTStoredPerson::initWithStoredData(FTStoredPerson::convertToStoringData(*copy));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->imageData(), FTStoredPerson::blankPictureData());
    EXPECT_EQ(back->stringForProperty(u"Custom1"_s), u"one"_s);
}

TEST_F(FTStoredPersonTest, EqualityLooksAtNamesOrganizationAndDepartmentOnly)
{
    const std::shared_ptr<PWPerson> a = person();
    const std::shared_ptr<PWPerson> b = person();
    addWorkPhone(*b);
    EXPECT_TRUE(FTStoredPerson::isEqualToPerson(*a, b.get())); // addresses and phones play no part
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
