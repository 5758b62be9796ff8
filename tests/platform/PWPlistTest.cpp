#include "platform/PWPlist.h"

#include "PWPlistPrinter.h"
#include "TestSupport.h"

#include <QDate>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

namespace {

enum class Form { Xml, Binary };

constexpr qint64 kMin = std::numeric_limits<qint64>::min();
constexpr qint64 kMax = std::numeric_limits<qint64>::max();

QByteArray serialize(const PWPlist &value, Form form)
{
    return form == Form::Xml ? value.toXml() : value.toBinary();
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
        {QStringLiteral("date"), PWPlist::fromDate(pwtest::utc(2024, 2, 29, 12, 30, 15))},
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
    for (qint64 value : std::initializer_list<qint64> {-1, 255, 256, 65535, 65536, 4294967296LL, kMin, kMax})
        values.append(PWPlist::fromInteger(value));
    for (const QDateTime &date :
         {pwtest::utc(2000, 12, 31, 23, 59, 59), pwtest::utc(1969, 12, 31, 23, 59, 59), pwtest::utc(1, 1, 1),
          pwtest::utc(2069, 1, 20), pwtest::utc(9999, 12, 31, 23, 59, 59), pwtest::utc(-44, 3, 15)})
        values.append(PWPlist::fromDate(date));
    for (double value : {1.0 / 3.0, 5e-324, std::numeric_limits<double>::max(), std::nan("")})
        values.append(PWPlist::fromReal(value));
    const std::optional<PWPlist> read = roundTrip(values);
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, PWPlist(values));
    EXPECT_EQ(read->at(9).toDate().timeSpec(), Qt::UTC);
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
    for (const QDateTime &date : {pwtest::utc(2024, 2, 29, 12, 30, 15, 250), pwtest::utc(1950, 6, 1, 0, 0, 0, 999)}) {
        const PWPlist value = PWPlist::fromDate(date);
        EXPECT_EQ(PWPlist::parse(value.toBinary()).value_or(PWPlist()).toDate(), date);
        EXPECT_EQ(PWPlist::parse(value.toXml()).value_or(PWPlist()).toDate(), date.addMSecs(-date.time().msec()));
    }
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

// libplist's own XML of a tree, for comparing our writing with it byte for byte.
QByteArray libplistXml(plist_t root)
{
    char *buffer = nullptr;
    uint32_t length = 0;
    plist_to_xml(root, &buffer, &length);
    const QByteArray xml(buffer, qsizetype(length));
    plist_to_xml_free(buffer);
    plist_free(root);
    return xml;
}

QByteArray patternBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 131 + i / 7) & 0xFF);
    return bytes;
}

// Large data is written into the text apart from libplist; the file must not change by a byte,
// at any depth (lines are shorter the deeper they are indented) and any length of the last line.
TEST(PWPlistFormsTest, XmlOfDataIsByteForByteLibplistsAtEveryDepthAndLength)
{
    for (const qsizetype size : {qsizetype(1), qsizetype(1023), qsizetype(1024), qsizetype(1025), qsizetype(1026),
                                 qsizetype(4096), qsizetype(200001)}) {
        for (int depth = 0; depth <= 12; ++depth) {
            SCOPED_TRACE(QStringLiteral("%1 bytes at depth %2").arg(size).arg(depth).toStdString());
            const QByteArray bytes = patternBytes(size);
            PWPlist ours = PWPlist::fromData(bytes);
            plist_t theirs = plist_new_data(bytes.constData(), uint64_t(bytes.size()));
            for (int level = 0; level < depth; ++level) {
                // Dictionaries and arrays in turn, each with a neighbour before the data.
                if (level % 2 == 0) {
                    ours = PWPlist::Dictionary {{QStringLiteral("a&b"), PWPlist::fromString(QStringLiteral("<x>"))},
                                                {QStringLiteral("data"), ours}};
                    plist_t dict = plist_new_dict();
                    plist_dict_set_item(dict, "a&b", plist_new_string("<x>"));
                    plist_dict_set_item(dict, "data", theirs);
                    theirs = dict;
                } else {
                    ours = PWPlist::Array {PWPlist::fromInteger(level), ours, PWPlist::fromData(bytes)};
                    plist_t array = plist_new_array();
                    plist_array_append_item(array, plist_new_uint(uint64_t(level)));
                    plist_array_append_item(array, theirs);
                    plist_array_append_item(array, plist_new_data(bytes.constData(), uint64_t(bytes.size())));
                    theirs = array;
                }
            }
            EXPECT_EQ(ours.toXml(), libplistXml(theirs));
        }
    }
}

// Keys that are the same once the characters XML cannot hold are left out keep the last value,
// large data or not, and the text holds every other value where it was.
TEST(PWPlistFormsTest, XmlOfKeysEqualWithoutTheirControlCharactersKeepsTheLastValue)
{
    const QByteArray first = patternBytes(5000);
    const QByteArray last = patternBytes(3000);
    const QByteArray after = patternBytes(2000);
    const PWPlist value = PWPlist::Dictionary {{QStringLiteral("pic"), PWPlist::fromData(first)},
                                               {QStringLiteral("pi") + QChar(0x01) + QStringLiteral("c"), PWPlist::fromData(last)},
                                               {QStringLiteral("next"), PWPlist::fromData(after)}};
    const std::optional<PWPlist> read = PWPlist::parse(value.toXml());
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->toDictionary().size(), 2);
    EXPECT_EQ(read->value(QStringLiteral("pic")).toData(), last);
    EXPECT_EQ(read->value(QStringLiteral("next")).toData(), after);
}

// Only the exact form is a UID: a second key beside "CF$UID" makes it an ordinary dictionary.
TEST(PWPlistFormsTest, ADictionaryWithMoreThanTheUidKeyStaysADictionary)
{
    const PWPlist notUid = PWPlist::Dictionary {{QStringLiteral("CF$UID"), PWPlist::fromInteger(1)},
                                                {QStringLiteral("other"), PWPlist::fromInteger(2)}};
    EXPECT_EQ(PWPlist::parse(notUid.toXml()), notUid);
}

// --- The value itself ---------------------------------------------------------------------------

TEST(PWPlistDictionaryTest, InsertReplacesInPlaceAndRemoveKeepsLookupsRight)
{
    const auto number = &PWPlist::fromInteger;
    PWPlist::Dictionary dictionary {{QStringLiteral("a"), number(1)}, {QStringLiteral("b"), number(2)},
                                    {QStringLiteral("c"), number(3)}, {QStringLiteral("b"), number(4)}};
    // A repeated key keeps its first place and its last value.
    EXPECT_EQ(PWPlist(dictionary), PWPlist(PWPlist::Dictionary {{QStringLiteral("a"), number(1)},
                                                                {QStringLiteral("b"), number(4)},
                                                                {QStringLiteral("c"), number(3)}}));
    EXPECT_TRUE(dictionary.remove(QStringLiteral("a")));
    EXPECT_FALSE(dictionary.remove(QStringLiteral("a")));
    // Entries after the removed one moved: their lookups must follow.
    EXPECT_EQ(dictionary.value(QStringLiteral("c")).toInteger(), 3);
    dictionary.insert(QStringLiteral("b"), number(5));
    dictionary.insert(QStringLiteral("d"), number(6));
    EXPECT_EQ(dictionary.keys(), (QStringList {QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}));
    EXPECT_EQ(dictionary.value(QStringLiteral("b")), number(5));
    EXPECT_EQ(dictionary.value(QStringLiteral("d")), number(6));
}

// Small dictionaries are searched and large ones indexed: lookups, removals and equality must
// come out the same on either side of the change and while crossing it.
TEST(PWPlistDictionaryTest, LookupsHoldAsTheDictionaryGrowsAndShrinksPastItsIndex)
{
    PWPlist::Dictionary dictionary;
    PWPlist::Dictionary reversed;
    const auto key = [](int i) { return QStringLiteral("key%1").arg(i); };
    for (int i = 0; i < 40; ++i) {
        dictionary.insert(key(i), PWPlist::fromInteger(i));
        reversed.insert(key(39 - i), PWPlist::fromInteger(39 - i));
        ASSERT_EQ(dictionary.size(), i + 1);
        for (int j = 0; j <= i; ++j)
            ASSERT_EQ(dictionary.value(key(j)).toInteger(), j) << "after " << i << " inserts";
        ASSERT_FALSE(dictionary.contains(key(i + 1)));
    }
    EXPECT_EQ(PWPlist(dictionary), PWPlist(reversed));
    for (int i = 0; i < 40; i += 2) {
        ASSERT_TRUE(dictionary.remove(key(i)));
        ASSERT_FALSE(dictionary.contains(key(i)));
        for (int j = i + 1; j < 40; ++j)
            ASSERT_EQ(dictionary.value(key(j)).toInteger(), j) << "after removing " << i;
    }
    dictionary.insert(key(3), PWPlist::fromInteger(-3)); // replaced in place, not added
    EXPECT_EQ(dictionary.size(), 20);
    EXPECT_EQ(dictionary.keys().indexOf(key(3)), 1);
    EXPECT_EQ(dictionary.value(key(3)).toInteger(), -3);
    EXPECT_NE(PWPlist(dictionary), PWPlist(reversed));
}

TEST(PWPlistValueTest, EqualityComparesKindAndValueDeeplyButNotKeyOrder)
{
    const auto dictionary = [](const char *first, const char *second, const char *data = "ab") {
        return PWPlist(PWPlist::Dictionary {{QLatin1String(first), PWPlist::fromInteger(1)},
                                            {QLatin1String(second), PWPlist::fromData(data)}});
    };
    EXPECT_EQ(dictionary("a", "b"), PWPlist(PWPlist::Dictionary {{QStringLiteral("b"), PWPlist::fromData("ab")},
                                                                 {QStringLiteral("a"), PWPlist::fromInteger(1)}}));
    EXPECT_NE(dictionary("a", "b"), dictionary("a", "c"));
    EXPECT_NE(dictionary("a", "b"), dictionary("a", "b", "ac"));
    EXPECT_NE(dictionary("a", "b"), PWPlist(PWPlist::Dictionary {{QStringLiteral("a"), PWPlist::fromInteger(1)}}));
    EXPECT_EQ(PWPlist(PWPlist::Array {dictionary("a", "b")}), PWPlist(PWPlist::Array {dictionary("a", "b")}));
    EXPECT_NE(PWPlist::fromInteger(1), PWPlist::fromReal(1.0));
    EXPECT_NE(PWPlist::fromUid(1), PWPlist::fromInteger(1));
    EXPECT_NE(PWPlist::fromString(QString()), PWPlist());
    EXPECT_EQ(PWPlist::fromReal(std::nan("")), PWPlist::fromReal(std::nan("")));
}

// Texts, data and numbers live in the value itself, dictionaries and arrays in a shared block:
// whichever way a kind is held, a copy is the same kind and value, equal to its original, and
// unequal to every other kind, and a copy given another value leaves its original as it was.
TEST(PWPlistValueTest, CopiesOfEveryKindKeepKindAndValueAndStayApart)
{
    struct Row
    {
        const char *name;
        PWPlist value;
        PWPlist::Type type;
        QString text;
    };
    const QString longText(300, QLatin1Char('x'));
    const std::vector<Row> rows = {
        {"null", PWPlist(), PWPlist::Type::Null, QString()},
        {"empty text", PWPlist::fromString(QString()), PWPlist::Type::String, QString()},
        {"text", PWPlist::fromString(QStringLiteral("Edinburgh")), PWPlist::Type::String, QStringLiteral("Edinburgh")},
        {"long text", PWPlist::fromString(longText), PWPlist::Type::String, longText},
        {"data", PWPlist::fromData(QByteArray("\x01raw")), PWPlist::Type::Data, QString()},
        {"integer", PWPlist::fromInteger(kMin), PWPlist::Type::Integer, QString()},
        {"real", PWPlist::fromReal(-0.5), PWPlist::Type::Real, QString()},
        {"boolean", PWPlist::fromBool(false), PWPlist::Type::Boolean, QString()},
        {"date", PWPlist::fromDate(pwtest::utc(1999, 12, 31, 23, 59, 59)), PWPlist::Type::Date, QString()},
        {"uid", PWPlist::fromUid(std::numeric_limits<quint64>::max()), PWPlist::Type::Uid, QString()},
        {"dictionary", PWPlist::Dictionary {{QStringLiteral("k"), PWPlist::fromString(QStringLiteral("v"))}},
         PWPlist::Type::Dictionary, QString()},
        {"array", PWPlist::Array {PWPlist::fromInteger(1), PWPlist()}, PWPlist::Type::Array, QString()},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        PWPlist copy = row.value;
        EXPECT_EQ(copy.type(), row.type);
        EXPECT_EQ(copy, row.value);
        EXPECT_EQ(copy.toString(), row.text);
        EXPECT_EQ(copy.toData(), row.value.toData());
        EXPECT_EQ(copy.toInteger(), row.value.toInteger());
        EXPECT_EQ(copy.toUid(), row.value.toUid());
        EXPECT_EQ(copy.toDate(), row.value.toDate());
        EXPECT_EQ(copy.toDictionary(), row.value.toDictionary());
        EXPECT_EQ(copy.toArray(), row.value.toArray());
        for (const Row &other : rows) {
            if (&other != &row) {
                EXPECT_NE(copy, other.value) << "against " << other.name;
            }
        }
        const PWPlist original = row.value;
        copy = PWPlist::fromString(QStringLiteral("changed"));
        EXPECT_EQ(row.value, original);
        EXPECT_EQ(row.value.type(), row.type);
        PWPlist moved = std::move(copy);
        EXPECT_EQ(moved.toString(), QStringLiteral("changed"));
    }
    // Equal values made apart are equal too, not only copies.
    EXPECT_EQ(PWPlist::fromString(QStringLiteral("Edinburgh")), PWPlist::fromString(QStringLiteral("Edin") + QStringLiteral("burgh")));
    EXPECT_EQ(PWPlist(PWPlist::Array {PWPlist::fromData("a")}), PWPlist(PWPlist::Array {PWPlist::fromData("a")}));
    EXPECT_NE(PWPlist::fromData("a"), PWPlist::fromData("b"));
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
    EXPECT_EQ(date.toDate(), pwtest::utc(2024, 6, 1, 12));
    EXPECT_EQ(date.toDate().timeSpec(), Qt::UTC);
    EXPECT_TRUE(PWPlist::fromDate(QDateTime()).isNull());
}

TEST(PWPlistVariantTest, ValuesBecomeQtVariantsAndBack)
{
    const PWPlist value = PWPlist::Dictionary {
        {QStringLiteral("b"), PWPlist::Array {PWPlist::fromInteger(-4), PWPlist::fromString(QStringLiteral("s"))}},
        {QStringLiteral("a"), PWPlist::fromData("raw")},
        {QStringLiteral("c"), PWPlist::fromDate(pwtest::utc(2020, 1, 2))},
        {QStringLiteral("d"), PWPlist::fromReal(1.5)},
        {QStringLiteral("e"), PWPlist::fromBool(true)},
        {QStringLiteral("f"), PWPlist::fromUid(9)}};
    const QVariantMap map = value.toVariant().toMap();
    QStringList types;
    for (const QVariant &variant : map)
        types.append(QString::fromLatin1(variant.metaType().name()));
    EXPECT_EQ(types.join(QLatin1Char(' ')), QStringLiteral("QByteArray QVariantList QDateTime double bool PWPlist"));
    EXPECT_EQ(map.value(QStringLiteral("b")).toList().at(0).metaType().id(), QMetaType::LongLong);
    EXPECT_FALSE(PWPlist().toVariant().isValid());
    // Back again: the same values, keys now sorted; a UID has no Qt counterpart and rides through.
    EXPECT_EQ(PWPlist::fromVariant(map), value);
    const QVariantHash hash {{QStringLiteral("m"), QStringList {QStringLiteral("x")}},
                             {QStringLiteral("a"), QVariant::fromValue<quint64>(std::numeric_limits<quint64>::max())},
                             {QStringLiteral("f"), QVariant(2.5f)},
                             {QStringLiteral("d"), QVariant(QDate(2001, 1, 1))}};
    EXPECT_EQ(PWPlist::fromVariant(hash),
              PWPlist(PWPlist::Dictionary {
                  {QStringLiteral("a"), PWPlist::fromReal(18446744073709551615.0)},
                  {QStringLiteral("d"), PWPlist::fromDate(pwtest::utc(2001, 1, 1))},
                  {QStringLiteral("f"), PWPlist::fromReal(2.5)},
                  {QStringLiteral("m"), PWPlist::Array {PWPlist::fromString(QStringLiteral("x"))}}}));
    EXPECT_EQ(PWPlist::fromVariant(hash).toDictionary().keys(),
              (QStringList {QStringLiteral("a"), QStringLiteral("d"), QStringLiteral("f"), QStringLiteral("m")}));
    EXPECT_TRUE(PWPlist::fromVariant(QVariant()).isNull());
}

// --- Files --------------------------------------------------------------------------------------

TEST(PWPlistFileTest, ReadsAFileAndRefusesMissingAndOversizedOnes)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("value.plist"));
    ASSERT_TRUE(pwtest::writeFile(path, allTypes().toBinary()));
    EXPECT_EQ(PWPlist::readFile(path), allTypes());
    QString error;
    EXPECT_FALSE(PWPlist::readFile(folder.filePath(QStringLiteral("absent.plist")), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("absent.plist"))) << error.toStdString();
    // A sparse file: large on paper, refused before a byte is read.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(qint64(257) * 1024 * 1024));
    file.close();
    EXPECT_FALSE(PWPlist::readFile(path, &error));
    EXPECT_TRUE(error.endsWith(QStringLiteral("the file is too large"))) << error.toStdString();
}

} // namespace
