#include "kernel/foundation/FTUtilities.h"

#include "kernel/foundation/CDDVariant.h"
#include "platform/PWGroup.h"
#include "platform/PWUserDefaults.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

namespace {

struct LengthCase { const char *name; QString text; float points; cardUnits units; };

class LengthParsing : public ::testing::TestWithParam<LengthCase> {};

TEST_P(LengthParsing, GivesPointsAndUnit)
{
    cardUnits units = cuPoints;
    const float points = GetFloatFromCFStringWithUnits(GetParam().text, &units);
    EXPECT_NEAR(points, GetParam().points, 1e-4f);
    EXPECT_EQ(units, GetParam().units);
    EXPECT_EQ(GetFloatFromCFStringWithUnits(GetParam().text), points);
}

INSTANTIATE_TEST_SUITE_P(Cases, LengthParsing,
    ::testing::Values(LengthCase {"inches", QStringLiteral("11"), 792.0f, cuInches},
                      LengthCase {"millimetres", QStringLiteral("210m"), 595.2756f, cuMillimeters},
                      LengthCase {"blankThenMm", QStringLiteral("2.5 mm"), 7.0866142f, cuMillimeters},
                      LengthCase {"centimetresReadAsMm", QStringLiteral("2cm"), 5.6692914f, cuMillimeters},
                      LengthCase {"empty", QString(), 0.0f, cuInches},
                      LengthCase {"signEndsNumber", QStringLiteral("-1"), 0.0f, cuInches},
                      LengthCase {"leadingBlankEndsNumber", QStringLiteral(" 1"), 0.0f, cuInches},
                      LengthCase {"onlyFirstRunCounts", QStringLiteral("1.5x2"), 108.0f, cuInches},
                      LengthCase {"longestPascalString", QStringLiteral("1") + QString(254, QLatin1Char(' ')), 72.0f,
                                  cuInches}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(LengthParsingTest, TextOutsideMacRomanOrTooLongGivesZeroAndLeavesTheUnit)
{
    for (const QString &text : {QStringLiteral("2\u2603"), QStringLiteral("1") + QString(255, QLatin1Char(' '))}) {
        cardUnits units = cuPoints;
        EXPECT_EQ(GetFloatFromCFStringWithUnits(text, &units), 0.0f);
        EXPECT_EQ(units, cuPoints);
    }
}

struct NumberCase { const char *name; QString text; int integer; float real; };

class NumberParsing : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberParsing, ParsesLikeTheCLibrary)
{
    EXPECT_EQ(GetIntFromCFString(GetParam().text), GetParam().integer);
    EXPECT_EQ(GetFloatFromCFString(GetParam().text), GetParam().real);
}

INSTANTIATE_TEST_SUITE_P(Cases, NumberParsing,
    ::testing::Values(NumberCase {"blanksSignAndTail", QStringLiteral(" \t-17.5abc"), -17, -17.5f},
                      NumberCase {"nothing", QStringLiteral("abc"), 0, 0.0f},
                      NumberCase {"twoSigns", QStringLiteral("--5"), 0, 0.0f},
                      NumberCase {"exponent", QStringLiteral("1e3"), 1, 1000.0f},
                      NumberCase {"leadingDot", QStringLiteral("-.5"), 0, -0.5f},
                      NumberCase {"singlePrecision", QStringLiteral("0.100"), 0, 0.1f},
                      NumberCase {"macRomanLetterStops", QStringLiteral("7\u00fc"), 7, 7.0f},
                      NumberCase {"notMacRoman", QStringLiteral("7\u2603"), 0, 0.0f},
                      NumberCase {"intSaturates", QStringLiteral("99999999999"), INT_MAX, 99999999999.0f},
                      NumberCase {"tooLong", QStringLiteral("7") + QString(255, QLatin1Char(' ')), 0, 0.0f}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(UrlEncodeTest, EveryUtf8ByteIsEscapedInLowerCase)
{
    EXPECT_EQ(urlEncode(QStringLiteral("a b")), QStringLiteral("%61%20%62"));
    EXPECT_EQ(urlEncode(QStringLiteral("\u00e9")), QStringLiteral("%c3%a9"));
    EXPECT_EQ(urlEncode(QString()), QString());
    EXPECT_EQ(urlEncode(QString::fromUtf16(u"a\0b", 3)), QStringLiteral("%61"));
}

struct HfsCase { const char *name; const char *path; const char *volume; std::optional<QString> expected; };

class HfsPath : public ::testing::TestWithParam<HfsCase> {};

TEST_P(HfsPath, ColonsAfterTheVolumeName)
{
    EXPECT_EQ(ConvertPOSIXPath2HFS(QString::fromUtf8(GetParam().path), QString::fromUtf8(GetParam().volume)),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, HfsPath, ::testing::Values(HfsCase {"absolute", "/Users/ann/list.xls", "System Disk",
                               QStringLiteral("System Disk:Users:ann:list.xls")},
                      HfsCase {"root", "/", "Disk", QStringLiteral("Disk:")},
                      HfsCase {"relative", "Users/ann", "Disk", std::nullopt},
                      HfsCase {"noVolumeName", "/tmp", "", std::nullopt}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ResolveSymLinkTest, ResolvesLinksAndKeepsUnresolvablePaths)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString target = dir.filePath(QStringLiteral("library"));
    ASSERT_TRUE(QDir().mkpath(target));
    const QString link = dir.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(target, link));
    EXPECT_EQ(resolveSymLink(link), QFileInfo(target).canonicalFilePath());
    EXPECT_EQ(resolveSymLink(link + QStringLiteral("/")), QFileInfo(target).canonicalFilePath());
    const QString missing = dir.filePath(QStringLiteral("missing/inner"));
    EXPECT_EQ(resolveSymLink(missing), missing);
}

struct ExtensionCase { const char *first; const char *second; FTComparisonResult expected; };

class ExtensionOrder : public ::testing::TestWithParam<ExtensionCase> {};

TEST_P(ExtensionOrder, RanksHpiJpgPdfThenTheRest)
{
    const QString a = QString::fromLatin1(GetParam().first);
    const QString b = QString::fromLatin1(GetParam().second);
    EXPECT_EQ(compareFileExtensions(a, b), GetParam().expected);
    EXPECT_EQ(compareFileExtensions(b, a), static_cast<FTComparisonResult>(-GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Cases, ExtensionOrder, ::testing::Values(ExtensionCase {"pdf", "hpi", orderedDescending},
                                           // Ranked in any case, unlike the exact comparison of old.
                                           ExtensionCase {"JPG", "pdf", orderedAscending},
                                           ExtensionCase {"png", "gif", orderedSame},
                                           ExtensionCase {"", "pdf", orderedDescending},
                                           ExtensionCase {"Hpi", "jpg", orderedAscending}));

QVariantMap descriptor(const char *name, const char *hint)
{
    return {{QStringLiteral("name"), QString::fromUtf8(name)}, {QStringLiteral("hint"), QString::fromUtf8(hint)}};
}

TEST(FileDescriptorOrderTest, ByExtensionThenCaptionIgnoringCaseAndStable)
{
    QList<QVariantMap> items = {descriptor("zebra.pdf", "Zebra"),  descriptor("b.png", "Tree"),
                                descriptor("apple.jpg", "apple"),  descriptor("a.gif", "tree"),
                                descriptor("Bird.JPG", "Bird"),    descriptor("cat.hpi", "Cat"),
                                descriptor("noextension", "Alpha")};
    sortFileDescriptors(items);
    QStringList names;
    for (const QVariantMap &item : items)
        names.append(item.value(QStringLiteral("name")).toString());
    // "b.png" and "a.gif" are equal (no rank, same caption ignoring case) and keep their order.
    EXPECT_EQ(names, (QStringList {QStringLiteral("cat.hpi"), QStringLiteral("apple.jpg"), QStringLiteral("Bird.JPG"),
                                   QStringLiteral("zebra.pdf"), QStringLiteral("noextension"), QStringLiteral("b.png"),
                                   QStringLiteral("a.gif")}));
    EXPECT_EQ(compareFileDescriptors(descriptor("x.png", "Tree"), descriptor("y.gif", "TREE")), orderedSame);
}

struct HashCase { std::int32_t key; std::int32_t hash; };

class IntHash : public ::testing::TestWithParam<HashCase> {};

// Reference values from a separate big-integer computation of the six steps with signed
// wrap-around and sign-filling shifts; logical shifts give other values, even for 0.
TEST_P(IntHash, MatchesTheSignedReference)
{
    EXPECT_EQ(inthash(GetParam().key), GetParam().hash);
}

INSTANTIATE_TEST_SUITE_P(Values, IntHash,
                         ::testing::Values(HashCase {0, 0}, HashCase {1, 594824081}, HashCase {2, 1189697323},
                                           HashCase {42, 263345866}, HashCase {-1, 594805658},
                                           HashCase {123456789, 1216876281}, HashCase {INT_MIN, 1558502628},
                                           HashCase {INT_MAX, 2141659318}, HashCase {7621, 1082066299}),
                         [](const auto &info) {
                             const std::int32_t key = info.param.key;
                             return (key < 0 ? std::string("minus") : std::string("key"))
                                 + std::to_string(key < 0 ? -static_cast<std::int64_t>(key) : key);
                         });

class MeasurementUnits : public ::testing::Test
{
protected:
    void TearDown() override { defaults().removeObject(key()); }
    static PWUserDefaults &defaults() { return PWUserDefaults::standardUserDefaults(); }
    static QString key() { return QStringLiteral("FTMeasurementUnits"); }
};

TEST_F(MeasurementUnits, ReadsTheUserSettingWithMillimetresWhenNeverSet)
{
    defaults().removeObject(key());
    EXPECT_EQ(getMeasurementUnits(), cuMillimeters);
    defaults().setInteger(key(), 1);
    EXPECT_EQ(getMeasurementUnits(), cuInches);
    defaults().setInteger(key(), 7);
    EXPECT_EQ(static_cast<int>(getMeasurementUnits()), 7);
    defaults().setInteger(key(), qint64(1) << 40);
    EXPECT_EQ(getMeasurementUnits(), cuPoints);
}

TEST(MeasurementUnitsTest, UnknownUnitsCountInPoints)
{
    EXPECT_DOUBLE_EQ(convertDotToMeasurementUnits(static_cast<cardUnits>(9)), 1.0);
    EXPECT_EQ(stringForMeasurementUnit(static_cast<cardUnits>(-3)).getData(), QStringLiteral("pt"));
}

CDDVariant pageVariant(int side, int sides)
{
    CDDVariant variant(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9, 45), QTimeZone(3600)));
    variant.SetIntValues(side, sides);
    return variant;
}

struct FormatCase { const char *name; const char *format; int side; const char *expected; };

class FormatValueCases : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatValueCases, Formats)
{
    const CDDString text = FormatValue(pageVariant(GetParam().side, 3), CDDString(QString::fromUtf8(GetParam().format)));
    EXPECT_EQ(text.getData(), QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Cases, FormatValueCases,
    ::testing::Values(FormatCase {"pages", "Page #p of #c", 2, "Page 2 of 3"},
                      FormatCase {"lettersBothCases", "#a#A", 3, "cC"}, FormatCase {"unknownPairVanishes", "#x", 1, ""},
                      FormatCase {"underscorePairVanishes", "a#_b", 1, "ab"},
                      FormatCase {"trailingHashDropped", "Page #", 1, "Page "},
                      FormatCase {"trailingHashAfterPair", "#p#", 2, "2"},
                      FormatCase {"dateUpper", "(#D)", 1, "(2024-03-05 14:07:09 +0100)"},
                      FormatCase {"hashNeverReachesCalendar", "#p %Y", 2, "2 %Y"},
                      FormatCase {"calendarWords", "%A, %B %e, %Y %I:%M %p", 1, "Tuesday, March 5, 2024 02:07 PM"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(FormatValueTest, EmptyFormatGivesTheVariantsText)
{
    EXPECT_EQ(FormatValue(pageVariant(2, 5), CDDString()).getData(), QStringLiteral("2"));
    CDDVariant date(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9), QTimeZone(-19800)));
    EXPECT_EQ(FormatValue(date, CDDString()).getData(), QString());
    date.SetDataType(variantObject);
    EXPECT_EQ(FormatValue(date, CDDString()).getData(), QStringLiteral("2024-03-05 14:07:09 -0530"));
}

TEST(AlignmentTest, KernelAlignmentsSurviveTheRoundTripExceptNatural)
{
    for (textAlignment a : {taLeft, taCenter, taRight, taJustified})
        EXPECT_EQ(getTextAlignment(getNSTextAlignment(a)), a);
    EXPECT_EQ(getNSTextAlignment(taNatural), PWTextAlignment::Natural);
    EXPECT_EQ(getTextAlignment(getNSTextAlignment(taNatural)), taLeft);
    EXPECT_EQ(getNSTextAlignment(static_cast<textAlignment>(17)), PWTextAlignment::Natural);
    EXPECT_EQ(getTextAlignment(static_cast<PWTextAlignment>(8)), taLeft);
}

TEST(ComponentTypeTest, BasicShapeFileNamesGiveTheirKind)
{
    EXPECT_EQ(componentTypeByFileName(QStringLiteral("/Library/BasicShapes/Cloud.pdf")), ctCloud);
    EXPECT_EQ(componentTypeByFileName(QStringLiteral("cloud.pdf")), ctRect);
    EXPECT_EQ(componentTypeByFileName(QStringLiteral("Rectangular Triangle Up")), ctRectTriangleUp);
    EXPECT_EQ(componentTypeByFileName(QString()), ctRect);
}

struct UniqueCase { const char *name; QStringList names; QString expected; };

class UniqueName : public ::testing::TestWithParam<UniqueCase> {};

TEST_P(UniqueName, FindsAFreeName)
{
    const std::optional<QString> name = uniqueName(QStringLiteral("Text"), &GetParam().names);
    ASSERT_TRUE(name.has_value());
    EXPECT_EQ(*name, GetParam().expected);
    EXPECT_FALSE(GetParam().names.contains(*name));
}

INSTANTIATE_TEST_SUITE_P(Cases, UniqueName, ::testing::Values(
        UniqueCase {"numbered", {QStringLiteral("Text"), QStringLiteral("Text2")}, QStringLiteral("Text3")},
        UniqueCase {"unrelated", {QStringLiteral("Other")}, QStringLiteral("Text")},
        UniqueCase {"suffixWithoutNumber", {QStringLiteral("Texts")}, QStringLiteral("Text1")},
        UniqueCase {"blankBeforeNumber", {QStringLiteral("Text 7")}, QStringLiteral("Text8")},
        UniqueCase {"saturatedNumbers", {QStringLiteral("Text2147483647"), QStringLiteral("Text2147483648")},
                    QStringLiteral("Text2147483649")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(UniqueNameTest, NoListGivesNothing)
{
    EXPECT_FALSE(uniqueName(QStringLiteral("Text"), nullptr).has_value());
}

TEST(GroupOrderTest, ByNameIgnoringCase)
{
    std::vector<PWGroup> groups = {PWGroup(QStringLiteral("zoo")), PWGroup(QStringLiteral("Friends")),
                                   PWGroup(QStringLiteral("apple")), PWGroup(QStringLiteral("Banana"))};
    std::sort(groups.begin(), groups.end(),
              [](const PWGroup &a, const PWGroup &b) { return compareABGroups(a, b) == orderedAscending; });
    QStringList names;
    for (const PWGroup &group : groups)
        names.append(group.name());
    EXPECT_EQ(names,
              (QStringList {QStringLiteral("apple"), QStringLiteral("Banana"), QStringLiteral("Friends"),
                            QStringLiteral("zoo")}));
    EXPECT_EQ(compareABGroups(PWGroup(QStringLiteral("WORK")), PWGroup(QStringLiteral("work"))), orderedSame);
}

} // namespace
