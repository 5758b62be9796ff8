#include "platform/PWPlist.h"

#include "PWPlistPrinter.h"

#include <QDate>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

enum class Form { Xml, Binary };

QByteArray serialize(const PWPlist &value, Form form)
{
    return form == Form::Xml ? value.toXml() : value.toBinary();
}

std::string formName(const testing::TestParamInfo<Form> &info)
{
    return info.param == Form::Xml ? "Xml" : "Binary";
}

QDateTime utc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int msec = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, msec), Qt::UTC);
}

PWPlist nestedArrays(int depth)
{
    PWPlist value = PWPlist::Array();
    for (int i = 1; i < depth; ++i)
        value = PWPlist::Array{value};
    return value;
}

// Every kind of value, with the awkward members of each; dates in whole seconds so that the XML
// form (which has no fractions) can carry them too.
PWPlist allTypes()
{
    PWPlist::Dictionary nested{{QStringLiteral("numbers"),
                                PWPlist::Array{PWPlist::fromInteger(-1), PWPlist::fromInteger(-2)}},
                               {QStringLiteral("empty dict"), PWPlist::Dictionary()},
                               {QStringLiteral("empty array"), PWPlist::Array()}};
    return PWPlist::Dictionary{
        {QStringLiteral("string"), PWPlist::fromString(QStringLiteral("Parcel <label> & \"co\""))},
        {QStringLiteral("unicode"), PWPlist::fromString(QStringLiteral("Grüße aus 東京 — 📦"))},
        {QStringLiteral("empty string"), PWPlist::fromString(QString())},
        {QStringLiteral("zero"), PWPlist::fromInteger(0)},
        {QStringLiteral("negative"), PWPlist::fromInteger(-42)},
        {QStringLiteral("int64 min"), PWPlist::fromInteger(std::numeric_limits<qint64>::min())},
        {QStringLiteral("int64 max"), PWPlist::fromInteger(std::numeric_limits<qint64>::max())},
        {QStringLiteral("real"), PWPlist::fromReal(0.1)},
        {QStringLiteral("negative real"), PWPlist::fromReal(-2.5e-300)},
        {QStringLiteral("infinity"), PWPlist::fromReal(std::numeric_limits<double>::infinity())},
        {QStringLiteral("true"), PWPlist::fromBool(true)},
        {QStringLiteral("false"), PWPlist::fromBool(false)},
        {QStringLiteral("date"), PWPlist::fromDate(utc(2024, 2, 29, 12, 30, 15))},
        {QStringLiteral("distant past"), PWPlist::fromDate(utc(1, 1, 1))},
        {QStringLiteral("distant future"), PWPlist::fromDate(utc(4001, 1, 1))},
        {QStringLiteral("data"), PWPlist::fromData(QByteArray("\0\1\xfe\xff label", 10))},
        {QStringLiteral("empty data"), PWPlist::fromData(QByteArray())},
        {QStringLiteral("uid"), PWPlist::fromUid(7)},
        {QStringLiteral("large uid"), PWPlist::fromUid(0xFFFFFFFFu)},
        {QStringLiteral("array"),
         PWPlist::Array{PWPlist::fromInteger(1), PWPlist::fromString(QStringLiteral("two")),
                        PWPlist::Array{PWPlist::fromReal(3.5), PWPlist::fromBool(false)}}},
        {QStringLiteral("nested"), PWPlist::Dictionary{{QStringLiteral("level 1"), nested}}},
    };
}

class PWPlistFormTest : public testing::TestWithParam<Form>
{
};

TEST_P(PWPlistFormTest, EveryTypeSurvivesARoundTrip)
{
    const PWPlist original = allTypes();
    QString error;
    const std::optional<PWPlist> read = PWPlist::parse(serialize(original, GetParam()), &error);
    ASSERT_TRUE(read) << error.toStdString();
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(*read, original);
    // Equality is order-insensitive; the order itself is checked here.
    EXPECT_EQ(read->toDictionary().keys(), original.toDictionary().keys());
    EXPECT_TRUE(read->value(QStringLiteral("uid")).isUid());
    EXPECT_TRUE(read->value(QStringLiteral("zero")).isInteger());
    EXPECT_TRUE(read->value(QStringLiteral("real")).isReal());
}

TEST_P(PWPlistFormTest, KeysKeepTheirInsertionOrderAtEveryLevel)
{
    const QStringList order{QStringLiteral("zulu"), QStringLiteral("alpha"), QStringLiteral("mike"),
                            QStringLiteral("Échelle"), QStringLiteral("bravo")};
    PWPlist::Dictionary inner;
    PWPlist::Dictionary outer;
    for (const QString &key : order) {
        inner.insert(key, PWPlist::fromString(key));
        outer.insert(key, PWPlist::Array{inner});
    }
    const std::optional<PWPlist> read = PWPlist::parse(serialize(outer, GetParam()));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->toDictionary().keys(), order);
    EXPECT_EQ(read->value(QStringLiteral("bravo")).at(0).toDictionary().keys(), order);
}

TEST_P(PWPlistFormTest, SignedIntegersKeepTheirValue)
{
    const QList<qint64> values{0,
                               -1,
                               -2,
                               -128,
                               -129,
                               -32768,
                               -32769,
                               -2147483648LL,
                               -2147483649LL,
                               -4294967297LL,
                               std::numeric_limits<qint64>::min(),
                               std::numeric_limits<qint64>::min() + 1,
                               127,
                               255,
                               256,
                               65535,
                               4294967296LL,
                               std::numeric_limits<qint64>::max()};
    PWPlist::Array array;
    for (qint64 value : values)
        array.append(PWPlist::fromInteger(value));
    const std::optional<PWPlist> read = PWPlist::parse(serialize(array, GetParam()));
    ASSERT_TRUE(read);
    ASSERT_EQ(read->toArray().size(), values.size());
    for (qsizetype i = 0; i < values.size(); ++i) {
        EXPECT_TRUE(read->at(i).isInteger());
        EXPECT_EQ(read->at(i).toInteger(), values.at(i)) << "element " << i;
    }
}

TEST_P(PWPlistFormTest, DatesKeepTheirInstantAcrossTheWholeRange)
{
    // Beyond 32-bit seconds from 2001 both ways, just before the epoch, and calendar edges.
    const QList<QDateTime> dates{utc(2001, 1, 1),       utc(2000, 12, 31, 23, 59, 59), utc(1969, 12, 31, 23, 59, 59),
                                 utc(1900, 1, 1),       utc(1, 1, 1),                  utc(1582, 10, 15),
                                 utc(2069, 1, 20),      utc(4001, 1, 1),               utc(9999, 12, 31, 23, 59, 59),
                                 utc(2024, 2, 29, 23, 59, 59), utc(-44, 3, 15)};
    PWPlist::Array array;
    for (const QDateTime &date : dates)
        array.append(PWPlist::fromDate(date));
    const std::optional<PWPlist> read = PWPlist::parse(serialize(array, GetParam()));
    ASSERT_TRUE(read);
    ASSERT_EQ(read->toArray().size(), dates.size());
    for (qsizetype i = 0; i < dates.size(); ++i) {
        EXPECT_EQ(read->at(i).toDate(), dates.at(i)) << read->at(i).toDate().toString(Qt::ISODate).toStdString();
        EXPECT_EQ(read->at(i).toDate().timeSpec(), Qt::UTC);
    }
}

TEST_P(PWPlistFormTest, NullIsWrittenAsAnEmptyString)
{
    const PWPlist value = PWPlist::Array{PWPlist(), PWPlist::fromInteger(1)};
    const std::optional<PWPlist> read = PWPlist::parse(serialize(value, GetParam()));
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, (PWPlist::Array{PWPlist::fromString(QString()), PWPlist::fromInteger(1)}));
    const std::optional<PWPlist> root = PWPlist::parse(serialize(PWPlist(), GetParam()));
    ASSERT_TRUE(root);
    EXPECT_TRUE(root->isString());
}

TEST_P(PWPlistFormTest, ScalarsStandAtTheTopToo)
{
    for (const PWPlist &value : {PWPlist::fromInteger(-7), PWPlist::fromString(QStringLiteral("x")),
                                 PWPlist::fromBool(true), PWPlist::fromUid(3),
                                 PWPlist::fromDate(utc(2010, 5, 6, 7, 8, 9))}) {
        const std::optional<PWPlist> read = PWPlist::parse(serialize(value, GetParam()));
        ASSERT_TRUE(read);
        EXPECT_EQ(*read, value);
    }
}

TEST_P(PWPlistFormTest, NestingUpToTheLimitIsReadAndBeyondIsRefused)
{
    for (int limit : {1, 3, 256}) {
        QString error;
        EXPECT_TRUE(PWPlist::parse(serialize(nestedArrays(limit), GetParam()), &error, limit)) << limit;
        EXPECT_FALSE(PWPlist::parse(serialize(nestedArrays(limit + 1), GetParam()), &error, limit)) << limit;
        EXPECT_TRUE(error.contains(QStringLiteral("deeper"))) << error.toStdString();
    }
    EXPECT_FALSE(PWPlist::parse(serialize(nestedArrays(1), GetParam()), nullptr, 0));
    EXPECT_TRUE(PWPlist::parse(serialize(PWPlist::fromInteger(1), GetParam()), nullptr, 0));
}

TEST_P(PWPlistFormTest, NoCallerCanLiftTheDepthPastTheCeiling)
{
    // Building and freeing a tree recurses: past a few thousand levels a worker's stack is at risk.
    EXPECT_TRUE(PWPlist::parse(serialize(nestedArrays(1000), GetParam()), nullptr, 100000));
    EXPECT_FALSE(PWPlist::parse(serialize(nestedArrays(3000), GetParam()), nullptr, 100000));
}

INSTANTIATE_TEST_SUITE_P(Forms, PWPlistFormTest, testing::Values(Form::Xml, Form::Binary), formName);

TEST(PWPlistFormsTest, RecordsSharingTheirKeysAndValuesReadBack)
{
    // The binary writer stores each distinct key and value once, so thousands of records refer
    // to the same few objects: some 650,000 values from about 8,000 objects, and no attack.
    PWPlist::Dictionary record;
    for (int field = 0; field < 40; ++field)
        record.insert(QStringLiteral("Field %1").arg(field), PWPlist::fromString(QString()));
    const PWPlist records = PWPlist::Array(8000, PWPlist(record));
    const QByteArray bytes = records.toBinary();
    QString error;
    const std::optional<PWPlist> read = PWPlist::parse(bytes, &error);
    ASSERT_TRUE(read) << error.toStdString();
    EXPECT_EQ(*read, records);
}

TEST(PWPlistFormsTest, BinaryKeepsMillisecondsAndXmlRoundsDownToTheSecond)
{
    const QList<QDateTime> dates{utc(2024, 2, 29, 12, 30, 15, 250), utc(2000, 12, 31, 23, 59, 59, 250),
                                 utc(1950, 6, 1, 0, 0, 0, 999)};
    PWPlist::Array array;
    for (const QDateTime &date : dates)
        array.append(PWPlist::fromDate(date));
    const std::optional<PWPlist> binary = PWPlist::parse(PWPlist(array).toBinary());
    const std::optional<PWPlist> xml = PWPlist::parse(PWPlist(array).toXml());
    ASSERT_TRUE(binary && xml);
    for (qsizetype i = 0; i < dates.size(); ++i) {
        EXPECT_EQ(binary->at(i).toDate(), dates.at(i));
        const QDateTime whole = dates.at(i).addMSecs(-dates.at(i).time().msec());
        EXPECT_EQ(xml->at(i).toDate(), whole);
    }
}

TEST(PWPlistFormsTest, XmlIsTheStandardDocumentWithTabs)
{
    const QByteArray xml =
        PWPlist(PWPlist::Dictionary{{QStringLiteral("a"), PWPlist::Array{PWPlist::fromInteger(-3)}},
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
    const PWPlist value(PWPlist::Dictionary{{dirtyKey, PWPlist::fromString(dirty)}});

    const std::optional<PWPlist> fromXml = PWPlist::parse(value.toXml());
    ASSERT_TRUE(fromXml.has_value());
    EXPECT_EQ(fromXml->value(QStringLiteral("key")).toString(),
              QStringLiteral("Lineone\ttab\nnew\U0001F600"));

    // The binary form holds any character and keeps them all.
    const std::optional<PWPlist> fromBinary = PWPlist::parse(value.toBinary());
    ASSERT_TRUE(fromBinary.has_value());
    EXPECT_EQ(*fromBinary, value);
}

TEST(PWPlistFormsTest, AUidIsACfUidDictionaryInXmlAndReadsBackAsAUid)
{
    const QByteArray xml = PWPlist(PWPlist::Array{PWPlist::fromUid(12)}).toXml();
    EXPECT_TRUE(xml.contains("<key>CF$UID</key>")) << xml.toStdString();
    const std::optional<PWPlist> read = PWPlist::parse(xml);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->at(0), PWPlist::fromUid(12));
    // Only the exact form is a UID: a second key makes it an ordinary dictionary again.
    const PWPlist notUid = PWPlist::Dictionary{{QStringLiteral("CF$UID"), PWPlist::fromInteger(1)},
                                               {QStringLiteral("other"), PWPlist::fromInteger(2)}};
    EXPECT_EQ(PWPlist::parse(notUid.toXml()), notUid);
}

TEST(PWPlistFormsTest, RealsKeepEveryBit)
{
    const QList<double> values{0.1, 1.0 / 3.0, -2.5, 1e300, 5e-324, 123456789.123456789,
                               std::numeric_limits<double>::max(), -std::numeric_limits<double>::infinity()};
    PWPlist::Array array;
    for (double value : values)
        array.append(PWPlist::fromReal(value));
    array.append(PWPlist::fromReal(std::nan("")));
    for (const QByteArray &bytes : {PWPlist(array).toXml(), PWPlist(array).toBinary()}) {
        const std::optional<PWPlist> read = PWPlist::parse(bytes);
        ASSERT_TRUE(read);
        for (qsizetype i = 0; i < values.size(); ++i)
            EXPECT_EQ(read->at(i).toReal(), values.at(i));
        EXPECT_TRUE(std::isnan(read->at(values.size()).toReal()));
    }
}

// --- The value itself ---------------------------------------------------------------------------

TEST(PWPlistDictionaryTest, InsertReplacesInPlaceAndRemoveKeepsLookupsRight)
{
    PWPlist::Dictionary dictionary{{QStringLiteral("a"), PWPlist::fromInteger(1)},
                                   {QStringLiteral("b"), PWPlist::fromInteger(2)},
                                   {QStringLiteral("c"), PWPlist::fromInteger(3)}};
    dictionary.insert(QStringLiteral("a"), PWPlist::fromInteger(10));
    EXPECT_EQ(dictionary.keys(), (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    EXPECT_EQ(dictionary.value(QStringLiteral("a")).toInteger(), 10);

    EXPECT_TRUE(dictionary.remove(QStringLiteral("a")));
    EXPECT_FALSE(dictionary.remove(QStringLiteral("a")));
    EXPECT_FALSE(dictionary.contains(QStringLiteral("a")));
    EXPECT_TRUE(dictionary.value(QStringLiteral("a")).isNull());
    // Entries after the removed one moved: their lookups must follow.
    EXPECT_EQ(dictionary.value(QStringLiteral("b")).toInteger(), 2);
    EXPECT_EQ(dictionary.value(QStringLiteral("c")).toInteger(), 3);
    dictionary.insert(QStringLiteral("d"), PWPlist::fromInteger(4));
    EXPECT_EQ(dictionary.keys(), (QStringList{QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}));
    EXPECT_EQ(dictionary.value(QStringLiteral("d")).toInteger(), 4);

    dictionary.clear();
    EXPECT_TRUE(dictionary.isEmpty());
    EXPECT_FALSE(dictionary.contains(QStringLiteral("b")));
}

TEST(PWPlistDictionaryTest, InitializerListKeepsTheLastOfARepeatedKey)
{
    const PWPlist::Dictionary dictionary{{QStringLiteral("k"), PWPlist::fromInteger(1)},
                                         {QStringLiteral("j"), PWPlist::fromInteger(2)},
                                         {QStringLiteral("k"), PWPlist::fromInteger(3)}};
    EXPECT_EQ(dictionary.size(), 2);
    EXPECT_EQ(dictionary.value(QStringLiteral("k")).toInteger(), 3);
    EXPECT_EQ(dictionary.keys().first(), QStringLiteral("k"));
}

TEST(PWPlistDictionaryTest, EqualityIgnoresOrderButNotContent)
{
    const PWPlist::Dictionary ab{{QStringLiteral("a"), PWPlist::fromInteger(1)},
                                 {QStringLiteral("b"), PWPlist::fromInteger(2)}};
    const PWPlist::Dictionary ba{{QStringLiteral("b"), PWPlist::fromInteger(2)},
                                 {QStringLiteral("a"), PWPlist::fromInteger(1)}};
    const PWPlist::Dictionary other{{QStringLiteral("a"), PWPlist::fromInteger(1)},
                                    {QStringLiteral("c"), PWPlist::fromInteger(2)}};
    const PWPlist::Dictionary shorter{{QStringLiteral("a"), PWPlist::fromInteger(1)}};
    EXPECT_EQ(ab, ba);
    EXPECT_NE(ab, other);
    EXPECT_NE(ab, shorter);
    EXPECT_NE(shorter, ab);
    EXPECT_EQ(PWPlist(ab), PWPlist(ba));
}

TEST(PWPlistValueTest, EqualityComparesKindAndValueDeeply)
{
    EXPECT_NE(PWPlist::fromInteger(1), PWPlist::fromReal(1.0));
    EXPECT_NE(PWPlist::fromInteger(1), PWPlist::fromBool(true));
    EXPECT_NE(PWPlist::fromUid(1), PWPlist::fromInteger(1));
    EXPECT_NE(PWPlist::fromString(QString()), PWPlist());
    EXPECT_EQ(PWPlist(), PWPlist());
    EXPECT_EQ(PWPlist::fromReal(std::nan("")), PWPlist::fromReal(std::nan("")));
    const PWPlist deep = PWPlist::Array{PWPlist::Dictionary{{QStringLiteral("x"), PWPlist::fromData("ab")}}};
    const PWPlist changed = PWPlist::Array{PWPlist::Dictionary{{QStringLiteral("x"), PWPlist::fromData("ac")}}};
    EXPECT_EQ(deep, PWPlist(PWPlist::Array{PWPlist::Dictionary{{QStringLiteral("x"), PWPlist::fromData("ab")}}}));
    EXPECT_NE(deep, changed);
    EXPECT_NE(PWPlist(PWPlist::Array{PWPlist::fromInteger(1)}),
              PWPlist(PWPlist::Array{PWPlist::fromInteger(1), PWPlist::fromInteger(1)}));
}

TEST(PWPlistValueTest, AccessorsAnswerEmptyValuesForOtherKinds)
{
    const PWPlist text = PWPlist::fromString(QStringLiteral("12"));
    EXPECT_EQ(text.toInteger(), 0);
    EXPECT_EQ(text.toReal(), 0.0);
    EXPECT_FALSE(text.toBool());
    EXPECT_TRUE(text.toData().isEmpty());
    EXPECT_FALSE(text.toDate().isValid());
    EXPECT_EQ(text.toUid(), 0u);
    EXPECT_TRUE(text.toArray().isEmpty());
    EXPECT_TRUE(text.toDictionary().isEmpty());
    EXPECT_TRUE(text.value(QStringLiteral("x")).isNull());
    EXPECT_TRUE(text.at(0).isNull());
    EXPECT_TRUE(PWPlist::fromInteger(5).toString().isEmpty());

    const PWPlist array = PWPlist::Array{PWPlist::fromInteger(5)};
    EXPECT_EQ(array.at(0).toInteger(), 5);
    EXPECT_TRUE(array.at(1).isNull());
    EXPECT_TRUE(array.at(-1).isNull());
}

TEST(PWPlistValueTest, NumbersConvertBetweenKindsWithoutOverflow)
{
    EXPECT_EQ(PWPlist::fromReal(-3.9).toInteger(), -3);
    EXPECT_EQ(PWPlist::fromReal(1e300).toInteger(), std::numeric_limits<qint64>::max());
    EXPECT_EQ(PWPlist::fromReal(-1e300).toInteger(), std::numeric_limits<qint64>::min());
    EXPECT_EQ(PWPlist::fromReal(std::nan("")).toInteger(), 0);
    EXPECT_EQ(PWPlist::fromInteger(-7).toReal(), -7.0);
    EXPECT_TRUE(PWPlist::fromInteger(1).isNumber());
    EXPECT_TRUE(PWPlist::fromReal(1).isNumber());
    EXPECT_FALSE(PWPlist::fromBool(true).isNumber());
}

TEST(PWPlistValueTest, DatesAreKeptInUtcAndInvalidDatesAreNoValue)
{
    const QDateTime zoned(QDate(2024, 6, 1), QTime(14, 0), QTimeZone(2 * 3600));
    const PWPlist date = PWPlist::fromDate(zoned);
    EXPECT_EQ(date.toDate().timeSpec(), Qt::UTC);
    EXPECT_EQ(date.toDate(), utc(2024, 6, 1, 12));
    EXPECT_EQ(date.toDate().time().hour(), 12);
    EXPECT_TRUE(PWPlist::fromDate(QDateTime()).isNull());
}

TEST(PWPlistValueTest, CopiesAreIndependentValues)
{
    PWPlist::Dictionary dictionary{{QStringLiteral("a"), PWPlist::fromInteger(1)}};
    const PWPlist before(dictionary);
    dictionary.insert(QStringLiteral("a"), PWPlist::fromInteger(2));
    EXPECT_EQ(before.value(QStringLiteral("a")).toInteger(), 1);
    PWPlist copy = before;
    copy = PWPlist::fromString(QStringLiteral("replaced"));
    EXPECT_TRUE(before.isDictionary());
}

TEST(PWPlistVariantTest, ValuesBecomeQtVariants)
{
    const PWPlist value = PWPlist::Dictionary{
        {QStringLiteral("b"), PWPlist::Array{PWPlist::fromInteger(-4), PWPlist::fromString(QStringLiteral("s"))}},
        {QStringLiteral("a"), PWPlist::fromData("raw")},
        {QStringLiteral("c"), PWPlist::fromDate(utc(2020, 1, 2))},
        {QStringLiteral("d"), PWPlist::fromReal(1.5)},
        {QStringLiteral("e"), PWPlist::fromBool(true)}};
    const QVariant variant = value.toVariant();
    ASSERT_EQ(variant.metaType().id(), QMetaType::QVariantMap);
    const QVariantMap map = variant.toMap();
    EXPECT_EQ(map.keys(), (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                                       QStringLiteral("d"), QStringLiteral("e")}));
    EXPECT_EQ(map.value(QStringLiteral("a")).metaType().id(), QMetaType::QByteArray);
    EXPECT_EQ(map.value(QStringLiteral("b")).toList().at(0).metaType().id(), QMetaType::LongLong);
    EXPECT_EQ(map.value(QStringLiteral("b")).toList().at(0).toLongLong(), -4);
    EXPECT_EQ(map.value(QStringLiteral("c")).toDateTime(), utc(2020, 1, 2));
    EXPECT_EQ(map.value(QStringLiteral("d")).metaType().id(), QMetaType::Double);
    EXPECT_EQ(map.value(QStringLiteral("e")).metaType().id(), QMetaType::Bool);
    EXPECT_FALSE(PWPlist().toVariant().isValid());

    // Back again: the same values, keys now sorted.
    const PWPlist back = PWPlist::fromVariant(variant);
    EXPECT_EQ(back, value);
    EXPECT_EQ(back.toDictionary().keys(), map.keys());
}

TEST(PWPlistVariantTest, QtVariantsBecomeValues)
{
    QVariantHash hash;
    hash.insert(QStringLiteral("z"), 1);
    hash.insert(QStringLiteral("m"), QStringList{QStringLiteral("x")});
    hash.insert(QStringLiteral("a"), QVariant::fromValue<quint64>(std::numeric_limits<quint64>::max()));
    const PWPlist value = PWPlist::fromVariant(hash);
    EXPECT_EQ(value.toDictionary().keys(), (QStringList{QStringLiteral("a"), QStringLiteral("m"), QStringLiteral("z")}));
    EXPECT_EQ(value.value(QStringLiteral("z")), PWPlist::fromInteger(1));
    EXPECT_EQ(value.value(QStringLiteral("m")), PWPlist(PWPlist::Array{PWPlist::fromString(QStringLiteral("x"))}));
    EXPECT_TRUE(value.value(QStringLiteral("a")).isReal());
    EXPECT_EQ(PWPlist::fromVariant(QVariant(2.5f)), PWPlist::fromReal(2.5));
    EXPECT_EQ(PWPlist::fromVariant(QVariant(true)), PWPlist::fromBool(true));
    EXPECT_EQ(PWPlist::fromVariant(QVariant(QDate(2001, 1, 1))), PWPlist::fromDate(utc(2001, 1, 1)));
    EXPECT_TRUE(PWPlist::fromVariant(QVariant()).isNull());
    // A UID has no Qt counterpart and rides through a variant unchanged.
    EXPECT_EQ(PWPlist::fromVariant(PWPlist::fromUid(9).toVariant()), PWPlist::fromUid(9));
}

// --- Files --------------------------------------------------------------------------------------

TEST(PWPlistFileTest, ReadsFilesOfEitherForm)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (const QByteArray &bytes : {allTypes().toXml(), allTypes().toBinary()}) {
        const QString path = folder.filePath(QStringLiteral("value.plist"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        QString error;
        const std::optional<PWPlist> read = PWPlist::readFile(path, &error);
        ASSERT_TRUE(read) << error.toStdString();
        EXPECT_EQ(*read, allTypes());
    }
}

TEST(PWPlistFileTest, MissingAndOversizedFilesAreRefusedWithAReason)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QString error;
    EXPECT_FALSE(PWPlist::readFile(folder.filePath(QStringLiteral("absent.plist")), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("absent.plist"))) << error.toStdString();

    // A sparse file: large on paper, refused before a byte is read.
    const QString path = folder.filePath(QStringLiteral("huge.plist"));
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
