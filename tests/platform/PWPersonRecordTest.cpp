#include "platform/PWPersonRecord.h"

#include "PWPersonSamples.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

std::shared_ptr<PWPerson> decoded(const QByteArray &bytes, QString *error = nullptr)
{
    PWPersonRecord::Reader reader;
    return reader.decode(bytes, error);
}

} // namespace

TEST(PWPersonRecord, EveryKindOfValueComesBackEqual)
{
    const std::shared_ptr<PWPerson> person = pwtest::everyKindPerson();
    const std::shared_ptr<PWPerson> read = decoded(PWPersonRecord::encode(*person));
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->hasSameValues(*person));
    EXPECT_NE(read->uniqueId(), person->uniqueId());
    // The primary entries are not the first ones: the index travels, not the identifier.
    const PWMultiValue addresses = *read->multiValueForProperty(kPWAddressProperty);
    EXPECT_EQ(addresses.indexForIdentifier(addresses.primaryIdentifier()), 1);
    const PWMultiValue phones = *read->multiValueForProperty(kPWPhoneProperty);
    EXPECT_EQ(phones.indexForIdentifier(phones.primaryIdentifier()), 2);
    EXPECT_EQ(read->valueForProperty(kPWBirthdayProperty), pwtest::utcDate(1970, 3, 4));
}

TEST(PWPersonRecord, APictureGivenStandsInOnlyForAPersonThatHasOne)
{
    const QByteArray blank = "blank picture bytes";
    std::shared_ptr<PWPerson> withPicture = pwtest::everyKindPerson();
    const QByteArray own = withPicture->imageData();
    const std::shared_ptr<PWPerson> read = decoded(PWPersonRecord::encode(*withPicture, &blank));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->imageData(), blank);
    EXPECT_EQ(withPicture->imageData(), own);

    std::shared_ptr<PWPerson> without = PWPerson::create();
    without->setValueForProperty(kPWLastNameProperty, PWPlist::fromString(u"Ashgrove"_s));
    const std::shared_ptr<PWPerson> readWithout = decoded(PWPersonRecord::encode(*without, &blank));
    ASSERT_TRUE(readWithout);
    EXPECT_TRUE(readWithout->imageData().isEmpty());
    EXPECT_EQ(readWithout->stringForProperty(kPWLastNameProperty), u"Ashgrove"_s);
}

// One reader shares the texts of names and labels between the persons it reads.
TEST(PWPersonRecord, OneReaderSharesLabelTexts)
{
    const std::shared_ptr<PWPerson> person = pwtest::everyKindPerson();
    const QByteArray bytes = PWPersonRecord::encode(*person);
    PWPersonRecord::Reader reader;
    const std::shared_ptr<PWPerson> first = reader.decode(bytes);
    const std::shared_ptr<PWPerson> second = reader.decode(bytes);
    ASSERT_TRUE(first && second);
    const QString a = first->multiValueForProperty(kPWPhoneProperty)->labelAtIndex(0);
    const QString b = second->multiValueForProperty(kPWPhoneProperty)->labelAtIndex(0);
    EXPECT_EQ(a, kPWPhoneWorkLabel);
    EXPECT_EQ(a.constData(), b.constData());
}

// Every cut of a whole record is refused, never read past its end.
TEST(PWPersonRecord, EveryTruncationIsRefused)
{
    const QByteArray bytes = PWPersonRecord::encode(*pwtest::everyKindPerson());
    for (qsizetype length = 0; length < bytes.size(); ++length) {
        QString error;
        EXPECT_FALSE(decoded(bytes.left(length), &error)) << length;
        EXPECT_FALSE(error.isEmpty()) << length;
    }
}

struct DamagedRecord
{
    const char *name;
    QByteArray bytes;
};

void PrintTo(const DamagedRecord &record, std::ostream *stream)
{
    *stream << record.name;
}

class PWPersonRecordDamage : public testing::TestWithParam<DamagedRecord>
{
};

TEST_P(PWPersonRecordDamage, IsRefusedWithAReason)
{
    QString error;
    EXPECT_FALSE(decoded(GetParam().bytes, &error));
    EXPECT_FALSE(error.isEmpty());
}

namespace {

QByteArray header()
{
    return QByteArray() + PWPersonRecord::kMagic + PWPersonRecord::kForm;
}

QByteArray nested(int depth)
{
    // One single value, "Note", holding arrays inside arrays.
    QByteArray bytes = header() + '\x01' + '\x04' + "Note";
    for (int i = 0; i < depth; ++i)
        bytes += QByteArray("\x08\x01", 2);
    bytes += QByteArray("\x00\x00\x00", 3);
    return bytes;
}

} // namespace

INSTANTIATE_TEST_SUITE_P(
    Records, PWPersonRecordDamage,
    testing::Values(
        DamagedRecord {"empty", QByteArray()}, DamagedRecord {"vcard", QByteArray("BEGIN:VCARD\r\n")},
        DamagedRecord {"laterForm",
                       QByteArray() + PWPersonRecord::kMagic + char(PWPersonRecord::kForm + 1) + QByteArray(3, '\0')},
        // A count of values far beyond the bytes that follow.
        DamagedRecord {"hugeCount", header() + QByteArray("\xff\xff\xff\xff\x0f", 5)},
        // A number that never ends.
        DamagedRecord {"endlessNumber", header() + QByteArray(12, '\xff')},
        // A text longer than the record.
        DamagedRecord {"longText", header() + QByteArray("\x01\x7f", 2) + "First"},
        DamagedRecord {"unknownType", header() + QByteArray("\x01\x05", 2) + "First" + '\x63' + QByteArray(2, '\0')},
        DamagedRecord {"tooDeep", nested(40)},
        DamagedRecord {"trailingBytes", header() + QByteArray(3, '\0') + "extra"}),
    [](const testing::TestParamInfo<DamagedRecord> &info) { return std::string(info.param.name); });

// A value the person type does not take is left out; the rest of the person is read.
TEST(PWPersonRecord, AValueOfAnotherKindIsLeftOut)
{
    std::shared_ptr<PWPerson> person = PWPerson::create();
    person->setValueForProperty(kPWFirstNameProperty, PWPlist::fromString(u"Johanna"_s));
    QByteArray bytes = PWPersonRecord::encode(*person);
    // Two single values: a birthday that is a text, then the first name.
    QByteArray edited = header() + '\x02' + char(kPWBirthdayProperty.toUtf8().size()) + kPWBirthdayProperty.toUtf8()
        + '\x01' + '\x05' + "March";
    edited += bytes.mid(3);
    const std::shared_ptr<PWPerson> read = decoded(edited);
    ASSERT_TRUE(read);
    EXPECT_FALSE(read->hasValueForProperty(kPWBirthdayProperty));
    EXPECT_EQ(read->stringForProperty(kPWFirstNameProperty), u"Johanna"_s);
}
