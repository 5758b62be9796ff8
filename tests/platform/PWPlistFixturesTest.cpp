#include "platform/PWPlist.h"

#include "PWPlistPrinter.h"

#include "TestSupport.h"

#include <QDate>
#include <QFile>

#include <gtest/gtest.h>

#include <limits>

// Property lists written by another program (Python's plistlib) and a corpus of malformed ones,
// all made by tests/data/plist/make_fixtures.py.
namespace {

QByteArray fixture(const QString &name)
{
    QFile file(pwtest::dataPath(QStringLiteral("plist/") + name));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

QDateTime utc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int msec = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, msec), Qt::UTC);
}

class PWPlistWrittenByPythonTest : public testing::TestWithParam<const char *>
{
protected:
    QString form() const { return QString::fromLatin1(GetParam()); }
    bool binary() const { return form() == QLatin1String("binary"); }

    PWPlist read(const QString &name) const
    {
        const QByteArray bytes = fixture(name + QLatin1Char('.') + form() + QStringLiteral(".plist"));
        EXPECT_FALSE(bytes.isEmpty()) << "missing fixture " << name.toStdString();
        QString error;
        const std::optional<PWPlist> value = PWPlist::parse(bytes, &error);
        EXPECT_TRUE(value) << error.toStdString();
        return value.value_or(PWPlist());
    }
};

TEST_P(PWPlistWrittenByPythonTest, EveryTypeReadsAsWritten)
{
    const PWPlist value = read(QStringLiteral("all-types"));
    ASSERT_TRUE(value.isDictionary());
    EXPECT_EQ(value.toDictionary().keys(),
              (QStringList{QStringLiteral("string"), QStringLiteral("unicode"), QStringLiteral("empty string"),
                           QStringLiteral("zero"), QStringLiteral("negative"), QStringLiteral("large negative"),
                           QStringLiteral("int64 min"), QStringLiteral("int64 max"), QStringLiteral("real"),
                           QStringLiteral("negative real"), QStringLiteral("true"), QStringLiteral("false"),
                           QStringLiteral("date"), QStringLiteral("data"), QStringLiteral("uid"),
                           QStringLiteral("array"), QStringLiteral("nested"), QStringLiteral("empty array"),
                           QStringLiteral("empty dict")}));
    EXPECT_EQ(value.value(QStringLiteral("string")), PWPlist::fromString(QStringLiteral("Parcel label")));
    EXPECT_EQ(value.value(QStringLiteral("unicode")).toString(), QStringLiteral("Grüße aus 東京 — 📦"));
    EXPECT_EQ(value.value(QStringLiteral("empty string")), PWPlist::fromString(QString()));
    EXPECT_EQ(value.value(QStringLiteral("zero")), PWPlist::fromInteger(0));
    EXPECT_EQ(value.value(QStringLiteral("negative")), PWPlist::fromInteger(-42));
    EXPECT_EQ(value.value(QStringLiteral("large negative")), PWPlist::fromInteger(-4294967297LL));
    EXPECT_EQ(value.value(QStringLiteral("int64 min")), PWPlist::fromInteger(std::numeric_limits<qint64>::min()));
    EXPECT_EQ(value.value(QStringLiteral("int64 max")), PWPlist::fromInteger(std::numeric_limits<qint64>::max()));
    EXPECT_EQ(value.value(QStringLiteral("real")), PWPlist::fromReal(3.25));
    EXPECT_EQ(value.value(QStringLiteral("negative real")), PWPlist::fromReal(-0.1));
    EXPECT_EQ(value.value(QStringLiteral("true")), PWPlist::fromBool(true));
    EXPECT_EQ(value.value(QStringLiteral("false")), PWPlist::fromBool(false));
    // The binary form keeps the quarter second; the XML form has whole seconds only.
    EXPECT_EQ(value.value(QStringLiteral("date")), PWPlist::fromDate(utc(2024, 2, 29, 12, 30, 15, binary() ? 250 : 0)));
    EXPECT_EQ(value.value(QStringLiteral("data")), PWPlist::fromData(QByteArray("\0\1\xfe\xff label", 10)));
    EXPECT_EQ(value.value(QStringLiteral("uid")), PWPlist::fromUid(7));
    EXPECT_EQ(value.value(QStringLiteral("array")),
              PWPlist(PWPlist::Array{PWPlist::fromInteger(1), PWPlist::fromString(QStringLiteral("two")),
                                     PWPlist::Array{PWPlist::fromReal(3.5), PWPlist::fromBool(false)},
                                     PWPlist::Dictionary()}));
    const PWPlist deepest = value.value(QStringLiteral("nested"))
                                .value(QStringLiteral("level 1"))
                                .value(QStringLiteral("level 2"));
    EXPECT_EQ(deepest.value(QStringLiteral("numbers")),
              PWPlist(PWPlist::Array{PWPlist::fromInteger(-1), PWPlist::fromInteger(-2), PWPlist::fromInteger(-3)}));
    EXPECT_EQ(deepest.value(QStringLiteral("name")).toString(), QStringLiteral("deep"));
    EXPECT_EQ(value.value(QStringLiteral("empty array")), PWPlist(PWPlist::Array()));
    EXPECT_EQ(value.value(QStringLiteral("empty dict")), PWPlist(PWPlist::Dictionary()));
}

TEST_P(PWPlistWrittenByPythonTest, KeysKeepTheFileOrder)
{
    const PWPlist value = read(QStringLiteral("key-order"));
    EXPECT_EQ(value.toDictionary().keys(), (QStringList{QStringLiteral("zulu"), QStringLiteral("alpha"),
                                                        QStringLiteral("mike"), QStringLiteral("bravo"),
                                                        QStringLiteral("Échelle")}));
    EXPECT_EQ(value.value(QStringLiteral("Échelle")).toInteger(), 5);
}

TEST_P(PWPlistWrittenByPythonTest, DistantDatesUseTheGregorianCalendar)
{
    const PWPlist value = read(QStringLiteral("distant-dates"));
    const QList<QDateTime> expected{utc(1, 1, 1),    utc(1900, 1, 1), utc(1969, 12, 31, 23, 59, 59),
                                    utc(2069, 1, 20), utc(4001, 1, 1), utc(9999, 12, 31, 23, 59, 59)};
    ASSERT_EQ(value.toArray().size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i)
        EXPECT_EQ(value.at(i).toDate(), expected.at(i)) << value.at(i).toDate().toString(Qt::ISODate).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Forms, PWPlistWrittenByPythonTest, testing::Values("xml", "binary"),
                         [](const testing::TestParamInfo<const char *> &info) {
                             return std::string(info.param) == "xml" ? "Xml" : "Binary";
                         });

TEST(PWPlistSharingTest, SharedReferencesAreAcceptedAndCopied)
{
    const std::optional<PWPlist> value = PWPlist::parse(fixture(QStringLiteral("shared-refs.binary.plist")));
    ASSERT_TRUE(value);
    ASSERT_EQ(value->toArray().size(), 100);
    for (const PWPlist &element : value->toArray())
        EXPECT_EQ(element.toString(), QStringLiteral("same"));
}

TEST(PWPlistSharingTest, WideIntegersInRangeReadAsTheirValue)
{
    const std::optional<PWPlist> value = PWPlist::parse(fixture(QStringLiteral("wide-integers.binary.plist")));
    ASSERT_TRUE(value);
    EXPECT_EQ(*value, PWPlist(PWPlist::Array{PWPlist::fromInteger(-5), PWPlist::fromInteger(7)}));
}

// --- Malformed input ----------------------------------------------------------------------------

struct MalformedCase
{
    const char *file;
    const char *reason; // a word the reason must hold
};

class PWPlistMalformedTest : public testing::TestWithParam<MalformedCase>
{
};

TEST_P(PWPlistMalformedTest, IsRefusedWithAReason)
{
    const QByteArray bytes = fixture(QString::fromLatin1(GetParam().file));
    ASSERT_FALSE(bytes.isEmpty()) << "missing fixture " << GetParam().file;
    QString error;
    EXPECT_FALSE(PWPlist::parse(bytes, &error));
    EXPECT_TRUE(error.contains(QString::fromLatin1(GetParam().reason), Qt::CaseInsensitive))
        << "reason: " << error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, PWPlistMalformedTest,
    testing::Values(MalformedCase{"malformed-truncated.binary.plist", "binary"},
                    MalformedCase{"malformed-offset-out-of-range.binary.plist", "offset out of range"},
                    MalformedCase{"malformed-ref-out-of-range.binary.plist", "missing object"},
                    MalformedCase{"malformed-self-cycle.binary.plist", "cycle"},
                    MalformedCase{"malformed-indirect-cycle.binary.plist", "cycle"},
                    MalformedCase{"malformed-shared-ref-bomb.binary.plist", "expand"},
                    MalformedCase{"malformed-too-deep.binary.plist", "deeper than 256"},
                    MalformedCase{"malformed-non-string-key.binary.plist", "not a string"},
                    MalformedCase{"malformed-nul-in-key.binary.plist", "NUL"},
                    MalformedCase{"malformed-nul-in-utf16-key.binary.plist", "NUL"},
                    MalformedCase{"malformed-integer-too-large.binary.plist", "64-bit"},
                    MalformedCase{"malformed-integer-too-large.xml.plist", "64-bit"},
                    MalformedCase{"malformed-bad-trailer.binary.plist", "sizes"},
                    MalformedCase{"malformed-top-out-of-range.binary.plist", "top object"},
                    MalformedCase{"malformed-count-too-large.binary.plist", "count"},
                    MalformedCase{"malformed-length-overrun.binary.plist", "past the object area"},
                    MalformedCase{"malformed-unknown-marker.binary.plist", "marker"},
                    MalformedCase{"malformed-wrong-tags.xml.plist", "XML"},
                    MalformedCase{"malformed-mismatched-tags.xml.plist", "XML"},
                    MalformedCase{"malformed-unclosed.xml.plist", "XML"},
                    MalformedCase{"malformed-bad-date.xml.plist", "date"},
                    MalformedCase{"malformed-key-in-array.xml.plist", "key outside"},
                    MalformedCase{"malformed-too-deep.xml.plist", "deeper than 256"},
                    MalformedCase{"malformed-garbage.plist", "not a property list"}),
    [](const testing::TestParamInfo<MalformedCase> &info) {
        std::string name = info.param.file;
        name = name.substr(0, name.find(".plist"));
        for (char &c : name) {
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        }
        return name;
    });

TEST(PWPlistMalformedInputTest, EmptyAndAlmostEmptyInputIsRefused)
{
    for (const QByteArray &bytes : {QByteArray(), QByteArray("bplist00"), QByteArray("bplist"), QByteArray("<"),
                                    QByteArray("   \n"), QByteArray("\xEF\xBB\xBF"), QByteArray("\0\0\0", 3)}) {
        QString error;
        EXPECT_FALSE(PWPlist::parse(bytes, &error)) << bytes.toHex().toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
    QString error;
    PWPlist::parse(QByteArray(), &error);
    EXPECT_EQ(error, QStringLiteral("empty input"));
}

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

TEST(PWPlistMalformedInputTest, EveryTruncationOfABinaryListIsRefused)
{
    const QByteArray whole = fixture(QStringLiteral("all-types.binary.plist"));
    ASSERT_FALSE(whole.isEmpty());
    for (qsizetype length = 0; length < whole.size(); ++length)
        EXPECT_FALSE(PWPlist::parse(whole.left(length))) << "length " << length;
}

// Whatever a damaged byte does, the reader answers, and what it accepts is a value that can be
// written and read again unchanged.
TEST(PWPlistMalformedInputTest, DamagedBytesNeverBreakTheReader)
{
    for (const char *name : {"all-types.binary.plist", "all-types.xml.plist"}) {
        const QByteArray whole = fixture(QString::fromLatin1(name));
        ASSERT_FALSE(whole.isEmpty());
        int accepted = 0;
        for (qsizetype i = 0; i < whole.size(); ++i) {
            for (const uchar flip : {uchar(0x01), uchar(0x80), uchar(0xFF)}) {
                QByteArray damaged = whole;
                damaged[i] = static_cast<char>(damaged[i] ^ flip);
                const std::optional<PWPlist> value = PWPlist::parse(damaged);
                if (!value)
                    continue;
                ++accepted;
                EXPECT_EQ(PWPlist::parse(value->toBinary()), value) << name << " byte " << i;
            }
        }
        // A damaged string or number byte still makes a list: the test sees real values.
        EXPECT_GT(accepted, 0) << name;
    }
}

TEST(PWPlistMalformedInputTest, XmlDatesThatTheParserDropsDoNotShiftTheOthers)
{
    // A repeated key keeps only its last value, so one <date> in the text has no node.
    const QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
                           "\t<key>a</key>\n\t<date>2001-01-01T00:00:10Z</date>\n"
                           "\t<key>a</key>\n\t<date>2001-01-01T00:00:20Z</date>\n"
                           "\t<key>b</key>\n\t<date>2001-01-01T00:00:30Z</date>\n</dict>\n</plist>\n";
    const std::optional<PWPlist> value = PWPlist::parse(xml);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->value(QStringLiteral("a")).toDate(), utc(2001, 1, 1, 0, 0, 20));
    EXPECT_EQ(value->value(QStringLiteral("b")).toDate(), utc(2001, 1, 1, 0, 0, 30));
}

TEST(PWPlistMalformedInputTest, MarkupInCommentsAndCdataDoesNotCountAsNesting)
{
    const QByteArray xml = "<?xml version=\"1.0\"?>\n<!-- <array><array><array> -->\n<plist version=\"1.0\">\n"
                           "<array><string><![CDATA[<dict><dict><dict>]]></string></array>\n</plist>\n";
    const std::optional<PWPlist> value = PWPlist::parse(xml, nullptr, 1);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->at(0).toString(), QStringLiteral("<dict><dict><dict>"));
}

} // namespace
