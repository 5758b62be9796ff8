#include "platform/PWPlist.h"

#include "PWPlistPrinter.h"
#include "TestSupport.h"

#include <QDate>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

enum class Form { Xml, Binary };

constexpr qint64 kMin = std::numeric_limits<qint64>::min();
constexpr qint64 kMax = std::numeric_limits<qint64>::max();

QByteArray serialize(const PWPlist &value, Form form)
{
    return form == Form::Xml ? value.toXml() : value.toBinary();
}

QDateTime utc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int msec = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, msec), Qt::UTC);
}

PWPlist nestedArrays(int depth)
{
    PWPlist value = PWPlist::Array();
    for (int i = 1; i < depth; ++i)
        value = PWPlist::Array {value};
    return value;
}

// Every kind of value, with the awkward members of each; dates in whole seconds so that the XML
// form (which has no fractions) can carry them too. No level's keys are in sorted order.
PWPlist allTypes()
{
    PWPlist::Dictionary nested {
        {QStringLiteral("numbers"), PWPlist::Array {PWPlist::fromInteger(-1), PWPlist::fromInteger(-2)}},
        {QStringLiteral("empty dict"), PWPlist::Dictionary()},
        {QStringLiteral("empty array"), PWPlist::Array()}};
    return PWPlist::Dictionary {
        {QStringLiteral("string"), PWPlist::fromString(QStringLiteral("Parcel <label> & \"co\""))},
        {QStringLiteral("Échelle"), PWPlist::fromString(QStringLiteral("Grüße aus 東京 — 📦"))},
        {QStringLiteral("empty string"), PWPlist::fromString(QString())},
        {QStringLiteral("zero"), PWPlist::fromInteger(0)},
        {QStringLiteral("int64 min"), PWPlist::fromInteger(kMin)},
        {QStringLiteral("real"), PWPlist::fromReal(0.1)},
        {QStringLiteral("infinity"), PWPlist::fromReal(std::numeric_limits<double>::infinity())},
        {QStringLiteral("true"), PWPlist::fromBool(true)},
        {QStringLiteral("false"), PWPlist::fromBool(false)},
        {QStringLiteral("date"), PWPlist::fromDate(utc(2024, 2, 29, 12, 30, 15))},
        {QStringLiteral("data"), PWPlist::fromData(QByteArray("\0\1\xfe\xff label", 10))},
        {QStringLiteral("empty data"), PWPlist::fromData(QByteArray())},
        {QStringLiteral("uid"), PWPlist::fromUid(7)},
        {QStringLiteral("large uid"), PWPlist::fromUid(0xFFFFFFFFu)},
        {QStringLiteral("array"),
         PWPlist::Array {PWPlist::fromInteger(1), PWPlist::fromString(QStringLiteral("two")),
                         PWPlist::Array {PWPlist::fromReal(3.5), PWPlist(nested)}}},
        {QStringLiteral("nested"), PWPlist::Dictionary {{QStringLiteral("level 1"), nested}}},
    };
}

// Equality ignores the order of keys; this compares it at every level.
void expectSameKeyOrder(const PWPlist &read, const PWPlist &written)
{
    for (qsizetype i = 0; i < written.toArray().size(); ++i)
        expectSameKeyOrder(read.at(i), written.at(i));
    EXPECT_EQ(read.toDictionary().keys(), written.toDictionary().keys());
    for (const auto &[key, value] : written.toDictionary())
        expectSameKeyOrder(read.value(key), value);
}

class PWPlistFormTest : public testing::TestWithParam<Form>
{
protected:
    std::optional<PWPlist> roundTrip(const PWPlist &value, int maxDepth = 256) const
    {
        return PWPlist::parse(serialize(value, GetParam()), nullptr, maxDepth);
    }
};

TEST_P(PWPlistFormTest, EveryTypeSurvivesARoundTripInItsKeyOrder)
{
    const PWPlist original = allTypes();
    QString error;
    const std::optional<PWPlist> read = PWPlist::parse(serialize(original, GetParam()), &error);
    ASSERT_TRUE(read) << error.toStdString();
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(*read, original);
    expectSameKeyOrder(*read, original);
}

TEST_P(PWPlistFormTest, NumbersAndDatesKeepTheirValueAtTheEdges)
{
    // Integers at each width the binary form chooses between; dates beyond 32-bit seconds from 2001
    // both ways, before the epoch and at calendar edges; reals to the last bit.
    PWPlist::Array values;
    for (qint64 value :
         std::initializer_list<qint64> {0, -1, -128, -129, -32768, -32769, -2147483648LL, -2147483649LL, -4294967297LL,
                                        kMin, kMin + 1, 127, 255, 256, 65535, 4294967296LL, kMax})
        values.append(PWPlist::fromInteger(value));
    for (const QDateTime &date : {utc(2001, 1, 1), utc(2000, 12, 31, 23, 59, 59), utc(1969, 12, 31, 23, 59, 59),
                                  utc(1, 1, 1), utc(1582, 10, 15), utc(2069, 1, 20), utc(9999, 12, 31, 23, 59, 59),
                                  utc(2024, 2, 29, 23, 59, 59), utc(-44, 3, 15)})
        values.append(PWPlist::fromDate(date));
    for (double value : {1.0 / 3.0, -2.5e-300, 1e300, 5e-324, 123456789.123456789, std::numeric_limits<double>::max(),
                         -std::numeric_limits<double>::infinity(), std::nan("")})
        values.append(PWPlist::fromReal(value));
    const std::optional<PWPlist> read = roundTrip(values);
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, PWPlist(values));
    for (const PWPlist &value : read->toArray()) {
        if (value.isDate()) {
            EXPECT_EQ(value.toDate().timeSpec(), Qt::UTC) << value.toDate().toString(Qt::ISODate).toStdString();
        }
    }
}

TEST_P(PWPlistFormTest, NullIsWrittenAsAnEmptyString)
{
    EXPECT_EQ(roundTrip(PWPlist::Array {PWPlist(), PWPlist::fromInteger(1)}),
              PWPlist(PWPlist::Array {PWPlist::fromString(QString()), PWPlist::fromInteger(1)}));
    EXPECT_EQ(roundTrip(PWPlist()), PWPlist::fromString(QString()));
}

TEST_P(PWPlistFormTest, NestingUpToTheLimitIsReadAndBeyondIsRefused)
{
    for (int limit : {1, 3, 256}) {
        QString error;
        EXPECT_TRUE(PWPlist::parse(serialize(nestedArrays(limit), GetParam()), &error, limit)) << limit;
        EXPECT_FALSE(PWPlist::parse(serialize(nestedArrays(limit + 1), GetParam()), &error, limit)) << limit;
        EXPECT_TRUE(error.contains(QStringLiteral("deeper"))) << error.toStdString();
    }
    EXPECT_FALSE(roundTrip(nestedArrays(1), 0));
    EXPECT_TRUE(roundTrip(PWPlist::fromInteger(1), 0));
    // Building and freeing a tree recurses: past a few thousand levels a worker's stack is at risk,
    // so no caller can lift the limit that far.
    EXPECT_TRUE(roundTrip(nestedArrays(1000), 100000));
    EXPECT_FALSE(roundTrip(nestedArrays(3000), 100000));
}

INSTANTIATE_TEST_SUITE_P(Forms, PWPlistFormTest, testing::Values(Form::Xml, Form::Binary),
                         [](const testing::TestParamInfo<Form> &info) {
                             return info.param == Form::Xml ? "Xml" : "Binary";
                         });

TEST(PWPlistFormsTest, RecordsSharingTheirKeysAndValuesReadBack)
{
    // The binary writer stores each distinct key and value once, so thousands of records refer
    // to the same few objects: some 650,000 values from about 8,000 objects, and no attack.
    PWPlist::Dictionary record;
    for (int field = 0; field < 40; ++field)
        record.insert(QStringLiteral("Field %1").arg(field), PWPlist::fromString(QString()));
    const PWPlist records = PWPlist::Array(8000, PWPlist(record));
    QString error;
    const std::optional<PWPlist> read = PWPlist::parse(records.toBinary(), &error);
    ASSERT_TRUE(read) << error.toStdString();
    EXPECT_EQ(*read, records);
}

TEST(PWPlistFormsTest, BinaryKeepsMillisecondsAndXmlRoundsDownToTheSecond)
{
    for (const QDateTime &date : {utc(2024, 2, 29, 12, 30, 15, 250), utc(1950, 6, 1, 0, 0, 0, 999)}) {
        const PWPlist value = PWPlist::fromDate(date);
        EXPECT_EQ(PWPlist::parse(value.toBinary()).value_or(PWPlist()).toDate(), date);
        EXPECT_EQ(PWPlist::parse(value.toXml()).value_or(PWPlist()).toDate(), date.addMSecs(-date.time().msec()));
    }
}

TEST(PWPlistFormsTest, XmlIsTheStandardDocumentWithTabs)
{
    const QByteArray xml =
        PWPlist(PWPlist::Dictionary {{QStringLiteral("a"), PWPlist::Array {PWPlist::fromInteger(-3)}},
                                     {QStringLiteral("when"), PWPlist::fromDate(utc(1, 1, 1))}})
            .toXml();
    EXPECT_TRUE(xml.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC "
                               "\"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                               "<plist version=\"1.0\">\n<dict>\n"));
    EXPECT_TRUE(xml.contains("\t<key>a</key>\n\t<array>\n\t\t<integer>-3</integer>\n\t</array>\n"));
    EXPECT_TRUE(xml.contains("\t<date>0001-01-01T00:00:00Z</date>\n")) << xml.toStdString();
    EXPECT_TRUE(xml.endsWith("</dict>\n</plist>\n"));
    EXPECT_TRUE(PWPlist::fromInteger(1).toBinary().startsWith("bplist00"));
}

TEST(PWPlistFormsTest, XmlLeavesOutCharactersXmlCannotHoldSoTheFileStaysReadable)
{
    const QString dirty = QStringLiteral("Line\x01one\x0b\ttab\nnew") + QChar(0xFFFF) + QStringLiteral("\U0001F600");
    const QString dirtyKey = QStringLiteral("k") + QChar(0x02) + QStringLiteral("ey");
    const PWPlist value(PWPlist::Dictionary {{dirtyKey, PWPlist::fromString(dirty)}});

    const std::optional<PWPlist> fromXml = PWPlist::parse(value.toXml());
    ASSERT_TRUE(fromXml.has_value());
    EXPECT_EQ(fromXml->value(QStringLiteral("key")).toString(), QStringLiteral("Lineone\ttab\nnew\U0001F600"));
    // The binary form holds any character and keeps them all.
    EXPECT_EQ(PWPlist::parse(value.toBinary()), value);
}

TEST(PWPlistFormsTest, AUidIsACfUidDictionaryInXmlAndReadsBackAsAUid)
{
    const QByteArray xml = PWPlist(PWPlist::Array {PWPlist::fromUid(12)}).toXml();
    EXPECT_TRUE(xml.contains("<key>CF$UID</key>")) << xml.toStdString();
    EXPECT_EQ(PWPlist::parse(xml), PWPlist(PWPlist::Array {PWPlist::fromUid(12)}));
    // Only the exact form is a UID: a second key makes it an ordinary dictionary again.
    const PWPlist notUid = PWPlist::Dictionary {{QStringLiteral("CF$UID"), PWPlist::fromInteger(1)},
                                                {QStringLiteral("other"), PWPlist::fromInteger(2)}};
    EXPECT_EQ(PWPlist::parse(notUid.toXml()), notUid);
}

// --- The value itself ---------------------------------------------------------------------------

TEST(PWPlistDictionaryTest, InsertReplacesInPlaceAndRemoveKeepsLookupsRight)
{
    PWPlist::Dictionary dictionary {{QStringLiteral("a"), PWPlist::fromInteger(1)},
                                    {QStringLiteral("b"), PWPlist::fromInteger(2)},
                                    {QStringLiteral("c"), PWPlist::fromInteger(3)}};
    dictionary.insert(QStringLiteral("a"), PWPlist::fromInteger(10));
    EXPECT_EQ(dictionary.keys(), (QStringList {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    EXPECT_EQ(dictionary.value(QStringLiteral("a")).toInteger(), 10);

    EXPECT_TRUE(dictionary.remove(QStringLiteral("a")));
    EXPECT_FALSE(dictionary.remove(QStringLiteral("a")));
    EXPECT_TRUE(dictionary.value(QStringLiteral("a")).isNull());
    // Entries after the removed one moved: their lookups must follow.
    EXPECT_EQ(dictionary.value(QStringLiteral("c")).toInteger(), 3);
    dictionary.insert(QStringLiteral("d"), PWPlist::fromInteger(4));
    EXPECT_EQ(dictionary.keys(), (QStringList {QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}));
    EXPECT_EQ(dictionary.value(QStringLiteral("d")).toInteger(), 4);

    // A repeated key in a list keeps its first place and its last value.
    const PWPlist::Dictionary repeated {{QStringLiteral("k"), PWPlist::fromInteger(1)},
                                        {QStringLiteral("j"), PWPlist::fromInteger(2)},
                                        {QStringLiteral("k"), PWPlist::fromInteger(3)}};
    EXPECT_EQ(repeated.keys(), (QStringList {QStringLiteral("k"), QStringLiteral("j")}));
    EXPECT_EQ(repeated.value(QStringLiteral("k")).toInteger(), 3);
}

TEST(PWPlistValueTest, EqualityComparesKindAndValueDeeplyButNotKeyOrder)
{
    const PWPlist::Dictionary ab {{QStringLiteral("a"), PWPlist::fromInteger(1)},
                                  {QStringLiteral("b"), PWPlist::fromInteger(2)}};
    const PWPlist::Dictionary ba {{QStringLiteral("b"), PWPlist::fromInteger(2)},
                                  {QStringLiteral("a"), PWPlist::fromInteger(1)}};
    const PWPlist::Dictionary other {{QStringLiteral("a"), PWPlist::fromInteger(1)},
                                     {QStringLiteral("c"), PWPlist::fromInteger(2)}};
    const PWPlist::Dictionary shorter {{QStringLiteral("a"), PWPlist::fromInteger(1)}};
    EXPECT_EQ(PWPlist(ab), PWPlist(ba));
    EXPECT_NE(ab, other);
    EXPECT_NE(ab, shorter);
    EXPECT_NE(shorter, ab);
    EXPECT_NE(PWPlist::fromInteger(1), PWPlist::fromReal(1.0));
    EXPECT_NE(PWPlist::fromInteger(1), PWPlist::fromBool(true));
    EXPECT_NE(PWPlist::fromUid(1), PWPlist::fromInteger(1));
    EXPECT_NE(PWPlist::fromString(QString()), PWPlist());
    EXPECT_EQ(PWPlist::fromReal(std::nan("")), PWPlist::fromReal(std::nan("")));
    const auto deep = [](const char *data) {
        return PWPlist(PWPlist::Array {PWPlist::Dictionary {{QStringLiteral("x"), PWPlist::fromData(data)}}});
    };
    EXPECT_EQ(deep("ab"), deep("ab"));
    EXPECT_NE(deep("ab"), deep("ac"));
    EXPECT_NE(PWPlist(PWPlist::Array {PWPlist::fromInteger(1)}),
              PWPlist(PWPlist::Array {PWPlist::fromInteger(1), PWPlist::fromInteger(1)}));
}

TEST(PWPlistValueTest, AccessorsAnswerEmptyValuesForOtherKindsAndOutOfRange)
{
    const PWPlist text = PWPlist::fromString(QStringLiteral("12"));
    EXPECT_EQ(text.toInteger(), 0);
    EXPECT_EQ(text.toReal(), 0.0);
    EXPECT_FALSE(text.toBool());
    EXPECT_TRUE(text.toData().isEmpty());
    EXPECT_FALSE(text.toDate().isValid());
    EXPECT_EQ(text.toUid(), 0u);
    EXPECT_TRUE(text.toArray().isEmpty());
    EXPECT_TRUE(text.value(QStringLiteral("x")).isNull());
    EXPECT_TRUE(text.at(0).isNull());
    EXPECT_TRUE(PWPlist::fromInteger(5).toString().isEmpty());
    const PWPlist array = PWPlist::Array {PWPlist::fromInteger(5)};
    EXPECT_TRUE(array.at(1).isNull());
    EXPECT_TRUE(array.at(-1).isNull());
}

TEST(PWPlistValueTest, NumbersConvertBetweenKindsWithoutOverflow)
{
    EXPECT_EQ(PWPlist::fromReal(-3.9).toInteger(), -3);
    EXPECT_EQ(PWPlist::fromReal(1e300).toInteger(), kMax);
    EXPECT_EQ(PWPlist::fromReal(-1e300).toInteger(), kMin);
    EXPECT_EQ(PWPlist::fromReal(std::nan("")).toInteger(), 0);
    EXPECT_EQ(PWPlist::fromInteger(-7).toReal(), -7.0);
    EXPECT_FALSE(PWPlist::fromBool(true).isNumber());
}

TEST(PWPlistValueTest, DatesAreKeptInUtcAndInvalidDatesAreNoValue)
{
    const PWPlist date = PWPlist::fromDate(QDateTime(QDate(2024, 6, 1), QTime(14, 0), QTimeZone(2 * 3600)));
    EXPECT_EQ(date.toDate().timeSpec(), Qt::UTC);
    EXPECT_EQ(date.toDate().time().hour(), 12);
    EXPECT_TRUE(PWPlist::fromDate(QDateTime()).isNull());
}

TEST(PWPlistVariantTest, ValuesBecomeQtVariantsAndBack)
{
    const PWPlist value = PWPlist::Dictionary {
        {QStringLiteral("b"), PWPlist::Array {PWPlist::fromInteger(-4), PWPlist::fromString(QStringLiteral("s"))}},
        {QStringLiteral("a"), PWPlist::fromData("raw")},
        {QStringLiteral("c"), PWPlist::fromDate(utc(2020, 1, 2))},
        {QStringLiteral("d"), PWPlist::fromReal(1.5)},
        {QStringLiteral("e"), PWPlist::fromBool(true)}};
    const QVariant variant = value.toVariant();
    ASSERT_EQ(variant.metaType().id(), QMetaType::QVariantMap);
    const QVariantMap map = variant.toMap();
    EXPECT_EQ(map.value(QStringLiteral("a")).metaType().id(), QMetaType::QByteArray);
    EXPECT_EQ(map.value(QStringLiteral("b")).toList().at(0).metaType().id(), QMetaType::LongLong);
    EXPECT_EQ(map.value(QStringLiteral("c")).toDateTime(), utc(2020, 1, 2));
    EXPECT_EQ(map.value(QStringLiteral("d")).metaType().id(), QMetaType::Double);
    EXPECT_EQ(map.value(QStringLiteral("e")).metaType().id(), QMetaType::Bool);
    EXPECT_FALSE(PWPlist().toVariant().isValid());
    // Back again: the same values, keys now sorted.
    const PWPlist back = PWPlist::fromVariant(variant);
    EXPECT_EQ(back, value);
    EXPECT_EQ(back.toDictionary().keys(), map.keys());

    QVariantHash hash {{QStringLiteral("z"), 1},
                       {QStringLiteral("m"), QStringList {QStringLiteral("x")}},
                       {QStringLiteral("a"), QVariant::fromValue<quint64>(std::numeric_limits<quint64>::max())}};
    const PWPlist fromHash = PWPlist::fromVariant(hash);
    EXPECT_EQ(fromHash.toDictionary().keys(),
              (QStringList {QStringLiteral("a"), QStringLiteral("m"), QStringLiteral("z")}));
    EXPECT_EQ(fromHash.value(QStringLiteral("m")), PWPlist(PWPlist::Array {PWPlist::fromString(QStringLiteral("x"))}));
    EXPECT_TRUE(fromHash.value(QStringLiteral("a")).isReal()) << "too large for an integer";
    EXPECT_EQ(PWPlist::fromVariant(QVariant(2.5f)), PWPlist::fromReal(2.5));
    EXPECT_EQ(PWPlist::fromVariant(QVariant(QDate(2001, 1, 1))), PWPlist::fromDate(utc(2001, 1, 1)));
    EXPECT_TRUE(PWPlist::fromVariant(QVariant()).isNull());
    // A UID has no Qt counterpart and rides through a variant unchanged.
    EXPECT_EQ(PWPlist::fromVariant(PWPlist::fromUid(9).toVariant()), PWPlist::fromUid(9));
}

// --- Files --------------------------------------------------------------------------------------

TEST(PWPlistFileTest, ReadsFilesOfEitherFormAndRefusesMissingAndOversizedOnes)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("value.plist"));
    for (const QByteArray &bytes : {allTypes().toXml(), allTypes().toBinary()}) {
        ASSERT_TRUE(pwtest::writeFile(path, bytes));
        QString error;
        const std::optional<PWPlist> read = PWPlist::readFile(path, &error);
        ASSERT_TRUE(read) << error.toStdString();
        EXPECT_EQ(*read, allTypes());
    }

    QString error;
    EXPECT_FALSE(PWPlist::readFile(folder.filePath(QStringLiteral("absent.plist")), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("absent.plist"))) << error.toStdString();
    // A sparse file: large on paper, refused before a byte is read.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("bplist00");
    ASSERT_TRUE(file.resize(qint64(257) * 1024 * 1024));
    file.close();
    error.clear();
    EXPECT_FALSE(PWPlist::readFile(path, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("larger"))) << error.toStdString();
}

} // namespace
