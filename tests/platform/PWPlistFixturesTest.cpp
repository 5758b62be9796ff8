#include "platform/PWPlist.h"

#include "PWPlistPrinter.h"
#include "TestSupport.h"

#include <QDate>

#include <gtest/gtest.h>

#include <limits>

// Property lists written by another program (Python's plistlib) and a corpus of malformed ones,
// all made by tests/data/plist/make_fixtures.py.
namespace {

QByteArray plistFixture(const QString &name)
{
    return pwtest::readFixture(QStringLiteral("plist/") + name);
}

// What make_fixtures.py wrote, in its order; the binary form keeps the quarter second.
PWPlist allTypesOf(bool binary)
{
    const auto integer = &PWPlist::fromInteger;
    return PWPlist::Dictionary {
        {QStringLiteral("string"), PWPlist::fromString(QStringLiteral("Parcel label"))},
        {QStringLiteral("unicode"), PWPlist::fromString(QStringLiteral("Grüße aus 東京 — 📦"))},
        {QStringLiteral("empty string"), PWPlist::fromString(QString())},
        {QStringLiteral("zero"), integer(0)},
        {QStringLiteral("negative"), integer(-42)},
        {QStringLiteral("large negative"), integer(-4294967297LL)},
        {QStringLiteral("int64 min"), integer(std::numeric_limits<qint64>::min())},
        {QStringLiteral("int64 max"), integer(std::numeric_limits<qint64>::max())},
        {QStringLiteral("real"), PWPlist::fromReal(3.25)},
        {QStringLiteral("negative real"), PWPlist::fromReal(-0.1)},
        {QStringLiteral("true"), PWPlist::fromBool(true)},
        {QStringLiteral("false"), PWPlist::fromBool(false)},
        {QStringLiteral("date"), PWPlist::fromDate(pwtest::utc(2024, 2, 29, 12, 30, 15, binary ? 250 : 0))},
        {QStringLiteral("data"), PWPlist::fromData(QByteArray("\0\1\xfe\xff label", 10))},
        {QStringLiteral("uid"), PWPlist::fromUid(7)},
        {QStringLiteral("array"),
         PWPlist::Array {integer(1), PWPlist::fromString(QStringLiteral("two")),
                         PWPlist::Array {PWPlist::fromReal(3.5), PWPlist::fromBool(false)}, PWPlist::Dictionary()}},
        {QStringLiteral("nested"),
         PWPlist::Dictionary {
             {QStringLiteral("level 1"),
              PWPlist::Dictionary {
                  {QStringLiteral("level 2"),
                   PWPlist::Dictionary {
                       {QStringLiteral("numbers"), PWPlist::Array {integer(-1), integer(-2), integer(-3)}},
                       {QStringLiteral("name"), PWPlist::fromString(QStringLiteral("deep"))}}}}}}},
        {QStringLiteral("empty array"), PWPlist::Array()},
        {QStringLiteral("empty dict"), PWPlist::Dictionary()}};
}

class PWPlistWrittenByPythonTest : public testing::TestWithParam<const char *>
{
protected:
    bool binary() const { return QLatin1String(GetParam()) == QLatin1String("binary"); }
    PWPlist read(const char *name) const
    {
        const QByteArray bytes =
            plistFixture(QLatin1String(name) + QLatin1Char('.') + QLatin1String(GetParam()) + QStringLiteral(".plist"));
        EXPECT_FALSE(bytes.isEmpty()) << "missing fixture " << name;
        QString error;
        const std::optional<PWPlist> value = PWPlist::parse(bytes, &error);
        EXPECT_TRUE(value) << error.toStdString();
        return value.value_or(PWPlist());
    }
};

TEST_P(PWPlistWrittenByPythonTest, EveryTypeReadsAsWrittenInTheFileOrder)
{
    const PWPlist value = read("all-types");
    EXPECT_EQ(value, allTypesOf(binary()));
    EXPECT_EQ(value.toDictionary().keys(), allTypesOf(binary()).toDictionary().keys());
    EXPECT_EQ(read("key-order").toDictionary().keys(),
              (QStringList {QStringLiteral("zulu"), QStringLiteral("alpha"), QStringLiteral("mike"),
                            QStringLiteral("bravo"), QStringLiteral("Échelle")}));
}

TEST_P(PWPlistWrittenByPythonTest, DistantDatesUseTheGregorianCalendar)
{
    PWPlist::Array expected;
    for (const QDateTime &date :
         {pwtest::utc(1, 1, 1), pwtest::utc(1900, 1, 1), pwtest::utc(1969, 12, 31, 23, 59, 59),
          pwtest::utc(2069, 1, 20), pwtest::utc(4001, 1, 1), pwtest::utc(9999, 12, 31, 23, 59, 59)})
        expected.append(PWPlist::fromDate(date));
    EXPECT_EQ(read("distant-dates"), PWPlist(expected));
}

INSTANTIATE_TEST_SUITE_P(Forms, PWPlistWrittenByPythonTest, testing::Values("xml", "binary"),
                         [](const testing::TestParamInfo<const char *> &info) { return std::string(info.param); });

TEST(PWPlistSharingTest, SharedReferencesAndWideIntegersReadAsTheirValues)
{
    const std::optional<PWPlist> shared = PWPlist::parse(plistFixture(QStringLiteral("shared-refs.binary.plist")));
    EXPECT_EQ(shared, PWPlist(PWPlist::Array(100, PWPlist::fromString(QStringLiteral("same")))));
    EXPECT_EQ(PWPlist::parse(plistFixture(QStringLiteral("wide-integers.binary.plist"))),
              PWPlist(PWPlist::Array {PWPlist::fromInteger(-5), PWPlist::fromInteger(7)}));
}

// --- Malformed input ----------------------------------------------------------------------------

// A fixture and a word its reason must hold.
using PWPlistMalformedTest = testing::TestWithParam<std::pair<const char *, const char *>>;

TEST_P(PWPlistMalformedTest, IsRefusedWithAReason)
{
    const QByteArray bytes = plistFixture(QString::fromLatin1(GetParam().first));
    ASSERT_FALSE(bytes.isEmpty()) << "missing fixture " << GetParam().first;
    QString error;
    EXPECT_FALSE(PWPlist::parse(bytes, &error));
    EXPECT_TRUE(error.contains(QString::fromLatin1(GetParam().second), Qt::CaseInsensitive)) << error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, PWPlistMalformedTest,
    testing::Values(std::pair {"malformed-truncated.binary.plist", "binary"},
                    std::pair {"malformed-offset-out-of-range.binary.plist", "offset out of range"},
                    std::pair {"malformed-ref-out-of-range.binary.plist", "missing object"},
                    std::pair {"malformed-self-cycle.binary.plist", "cycle"},
                    std::pair {"malformed-indirect-cycle.binary.plist", "cycle"},
                    std::pair {"malformed-shared-ref-bomb.binary.plist", "expand"},
                    std::pair {"malformed-too-deep.binary.plist", "deeper than 256"},
                    std::pair {"malformed-non-string-key.binary.plist", "not a string"},
                    std::pair {"malformed-nul-in-key.binary.plist", "NUL"},
                    std::pair {"malformed-nul-in-utf16-key.binary.plist", "NUL"},
                    std::pair {"malformed-integer-too-large.binary.plist", "64-bit"},
                    std::pair {"malformed-integer-too-large.xml.plist", "64-bit"},
                    std::pair {"malformed-bad-trailer.binary.plist", "sizes"},
                    std::pair {"malformed-top-out-of-range.binary.plist", "top object"},
                    std::pair {"malformed-count-too-large.binary.plist", "count"},
                    std::pair {"malformed-length-overrun.binary.plist", "past the object area"},
                    std::pair {"malformed-unknown-marker.binary.plist", "marker"},
                    std::pair {"malformed-wrong-tags.xml.plist", "XML"},
                    std::pair {"malformed-mismatched-tags.xml.plist", "XML"},
                    std::pair {"malformed-unclosed.xml.plist", "XML"}, std::pair {"malformed-bad-date.xml.plist", "date"},
                    std::pair {"malformed-key-in-array.xml.plist", "key outside"},
                    std::pair {"malformed-too-deep.xml.plist", "deeper than 256"},
                    std::pair {"malformed-garbage.plist", "not a property list"}),
    [](const auto &info) {
        return QString::fromLatin1(info.param.first).section(QLatin1Char('.'), 0, -2).replace(QLatin1Char('-'), QLatin1Char('_')).replace(QLatin1Char('.'), QLatin1Char('_')).toStdString();
    });

// Input that ends before any value: nothing, the bare headers of either form, blanks, a byte-order
// mark alone, NUL bytes.
using PWPlistAlmostEmptyTest = testing::TestWithParam<std::pair<const char *, QByteArray>>;

TEST_P(PWPlistAlmostEmptyTest, IsRefusedWithAReason)
{
    QString error;
    EXPECT_FALSE(PWPlist::parse(GetParam().second, &error));
    EXPECT_FALSE(error.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Inputs, PWPlistAlmostEmptyTest,
                         testing::Values(std::pair {"Nothing", QByteArray()}, std::pair {"BinaryHeader", QByteArray("bplist00")},
                                         std::pair {"ShortBinaryHeader", QByteArray("bplist")}, std::pair {"OneAngle", QByteArray("<")},
                                         std::pair {"Blanks", QByteArray("   \n")}, std::pair {"ByteOrderMark", QByteArray("\xEF\xBB\xBF")},
                                         std::pair {"NulBytes", QByteArray("\0\0\0", 3)}),
                         [](const auto &info) { return std::string(info.param.first); });

TEST(PWPlistMalformedInputTest, XmlIntegersAtTheEdgesOfTheRange)
{
    const auto parse = [](const char *text) {
        return PWPlist::parse(QByteArray("<plist version=\"1.0\"><integer>") + text + "</integer></plist>");
    };
    EXPECT_EQ(parse("9223372036854775807"), PWPlist::fromInteger(std::numeric_limits<qint64>::max()));
    EXPECT_EQ(parse(" -9223372036854775808 "), PWPlist::fromInteger(std::numeric_limits<qint64>::min()));
    EXPECT_FALSE(parse("9223372036854775808"));
    EXPECT_FALSE(parse("-9223372036854775809"));
    EXPECT_FALSE(parse("99999999999999999999999"));
}

TEST(PWPlistMalformedInputTest, XmlWithANulByteIsRefused)
{
    // libplist would end the process on a key whose text stops short of its length.
    const QByteArray xml("<plist version=\"1.0\"><dict><key>a\0b</key><true/></dict></plist>", 63);
    ASSERT_EQ(xml.indexOf('\0'), 33);
    QString error;
    EXPECT_FALSE(PWPlist::parse(xml, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("NUL"))) << error.toStdString();
}

// Both forms of the list that holds every kind of value, damaged in every way below.
using PWPlistDamagedTest = testing::TestWithParam<const char *>;

TEST_P(PWPlistDamagedTest, EveryTruncationIsRefused)
{
    const QByteArray whole = plistFixture(QString::fromLatin1(GetParam()));
    ASSERT_FALSE(whole.isEmpty());
    ASSERT_TRUE(PWPlist::parse(whole));
    // An XML list counts as cut once the closing tag of its top dictionary is gone.
    const qsizetype end = whole.startsWith("bplist") ? whole.size() : whole.lastIndexOf("</dict>") + 1;
    for (qsizetype length = 0; length < end; ++length)
        EXPECT_FALSE(PWPlist::parse(whole.left(length))) << "length " << length;
}

// Whatever a damaged byte does, the reader answers, and what it accepts is a value that can be
// written and read again unchanged.
TEST_P(PWPlistDamagedTest, DamagedBytesNeverBreakTheReader)
{
    const QByteArray whole = plistFixture(QString::fromLatin1(GetParam()));
    ASSERT_FALSE(whole.isEmpty());
    int accepted = 0;
    for (qsizetype i = 0; i < whole.size(); ++i) {
        for (const uchar flip : {uchar(0x01), uchar(0x80), uchar(0xFF)}) {
            QByteArray damaged = whole;
            damaged[i] = static_cast<char>(damaged[i] ^ flip);
            const std::optional<PWPlist> value = PWPlist::parse(damaged);
            accepted += value.has_value();
            EXPECT_EQ(value ? PWPlist::parse(value->toBinary()) : value, value) << "byte " << i << " flip " << int(flip);
        }
    }
    // A damaged string or number byte still makes a list: the test sees real values.
    EXPECT_GT(accepted, 0);
}

INSTANTIATE_TEST_SUITE_P(Forms, PWPlistDamagedTest, testing::Values("all-types.binary.plist", "all-types.xml.plist"),
                         [](const auto &info) { return std::string(QLatin1String(info.param).contains(QLatin1String("xml")) ? "Xml" : "Binary"); });

TEST(PWPlistMalformedInputTest, XmlDatesThatTheParserDropsDoNotShiftTheOthers)
{
    // A repeated key keeps only its last value, so one <date> in the text has no node.
    const QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
                           "\t<key>a</key>\n\t<date>2001-01-01T00:00:10Z</date>\n"
                           "\t<key>a</key>\n\t<date>2001-01-01T00:00:20Z</date>\n"
                           "\t<key>b</key>\n\t<date>2001-01-01T00:00:30Z</date>\n</dict>\n</plist>\n";
    EXPECT_EQ(
        PWPlist::parse(xml),
        PWPlist(PWPlist::Dictionary {{QStringLiteral("a"), PWPlist::fromDate(pwtest::utc(2001, 1, 1, 0, 0, 20))},
                                     {QStringLiteral("b"), PWPlist::fromDate(pwtest::utc(2001, 1, 1, 0, 0, 30))}}));
}

TEST(PWPlistMalformedInputTest, MarkupInCommentsAndCdataDoesNotCountAsNesting)
{
    const QByteArray xml = "<?xml version=\"1.0\"?>\n<!-- <array><array><array> -->\n<plist version=\"1.0\">\n"
                           "<array><string><![CDATA[<dict><dict><dict>]]></string></array>\n</plist>\n";
    EXPECT_EQ(PWPlist::parse(xml, nullptr, 1),
              PWPlist(PWPlist::Array {PWPlist::fromString(QStringLiteral("<dict><dict><dict>"))}));
}

} // namespace
