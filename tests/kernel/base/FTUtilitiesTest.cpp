#include "kernel/base/FTUtilities.h"

#include "kernel/base/CDDVariant.h"
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

TEST(LengthParsingTest, GivesPointsAndUnitOrZeroForTextOutsideMacRomanOrTooLong)
{
    const struct { QString text; float points; cardUnits units; } cases[] = {{QStringLiteral("11"), 792.0f, cuInches},
        {QStringLiteral("210m"), 595.2756f, cuMillimeters}, {QStringLiteral("2.5 mm"), 7.0866142f, cuMillimeters},
        {QStringLiteral("2cm"), 5.6692914f, cuMillimeters} /* centimetres read as millimetres */, {QString(), 0.0f, cuInches},
        {QStringLiteral("-1"), 0.0f, cuInches} /* a sign ends the number */, {QStringLiteral("1.5x2"), 108.0f, cuInches},
        {QStringLiteral("1") + QString(254, QLatin1Char(' ')), 72.0f, cuInches} /* the longest Pascal string */};
    for (const auto &c : cases) {
        cardUnits units = cuPoints;
        const float points = GetFloatFromCFStringWithUnits(c.text, &units);
        EXPECT_NEAR(points, c.points, 1e-4f) << c.text.toStdString();
        EXPECT_EQ(units, c.units) << c.text.toStdString();
        EXPECT_EQ(GetFloatFromCFStringWithUnits(c.text), points);
    }
    for (const QString &text : {QStringLiteral("2\u2603"), QStringLiteral("1") + QString(255, QLatin1Char(' '))}) {
        cardUnits units = cuPoints;
        EXPECT_EQ(GetFloatFromCFStringWithUnits(text, &units), 0.0f);
        EXPECT_EQ(units, cuPoints);
    }
}

TEST(NumberParsingTest, ParsesLikeTheCLibrary)
{
    const struct { QString text; int integer; float real; } cases[] = {{QStringLiteral(" \t-17.5abc"), -17, -17.5f},
        {QStringLiteral("abc"), 0, 0.0f}, {QStringLiteral("--5"), 0, 0.0f}, {QStringLiteral("1e3"), 1, 1000.0f},
        {QStringLiteral("-.5"), 0, -0.5f}, {QStringLiteral("0.100"), 0, 0.1f}, {QStringLiteral("7\u00fc"), 7, 7.0f},
        {QStringLiteral("7\u2603"), 0, 0.0f}, {QStringLiteral("99999999999"), INT_MAX, 99999999999.0f},
        {QStringLiteral("7") + QString(255, QLatin1Char(' ')), 0, 0.0f}};
    for (const auto &c : cases) {
        EXPECT_EQ(GetIntFromCFString(c.text), c.integer) << c.text.toStdString();
        EXPECT_EQ(GetFloatFromCFString(c.text), c.real) << c.text.toStdString();
    }
}

TEST(UrlEncodeTest, EveryUtf8ByteIsEscapedInLowerCase)
{
    EXPECT_EQ(urlEncode(QStringLiteral("a b\u00e9")), QStringLiteral("%61%20%62%c3%a9"));
    EXPECT_EQ(urlEncode(QString::fromUtf16(u"a\0b", 3)), QStringLiteral("%61"));
}

TEST(HfsPathTest, ColonsAfterTheVolumeName)
{
    const struct { const char *path, *volume; std::optional<QString> expected; } cases[] = {
        {"/Users/ann/list.xls", "System Disk", QStringLiteral("System Disk:Users:ann:list.xls")},
        {"/", "Disk", QStringLiteral("Disk:")}, {"Users/ann", "Disk", std::nullopt}, {"/tmp", "", std::nullopt}};
    for (const auto &c : cases)
        EXPECT_EQ(ConvertPOSIXPath2HFS(QString::fromUtf8(c.path), QString::fromUtf8(c.volume)), c.expected) << c.path;
}

TEST(ResolveSymLinkTest, ResolvesLinksAndKeepsUnresolvablePaths)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("library"));
    ASSERT_TRUE(QDir().mkpath(target));
    const QString link = dir.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(target, link));
    EXPECT_EQ(resolveSymLink(link + QStringLiteral("/")), QFileInfo(target).canonicalFilePath());
    const QString missing = dir.filePath(QStringLiteral("missing/inner"));
    EXPECT_EQ(resolveSymLink(missing), missing);
}

TEST(ExtensionOrderTest, RanksHpiJpgPdfThenTheRestInAnyCase)
{
    const struct { const char *first, *second; FTComparisonResult expected; } cases[] = {{"pdf", "hpi", orderedDescending},
        {"JPG", "pdf", orderedAscending}, {"png", "gif", orderedSame}, {"", "pdf", orderedDescending}, {"Hpi", "jpg", orderedAscending}};
    for (const auto &c : cases) {
        const QString a = QString::fromLatin1(c.first), b = QString::fromLatin1(c.second);
        EXPECT_EQ(compareFileExtensions(a, b), c.expected) << c.first << " " << c.second;
        EXPECT_EQ(compareFileExtensions(b, a), static_cast<FTComparisonResult>(-c.expected)) << c.first << " " << c.second;
    }
}

QVariantMap descriptor(const char *name, const char *hint)
{
    return {{QStringLiteral("name"), QString::fromUtf8(name)}, {QStringLiteral("hint"), QString::fromUtf8(hint)}};
}

TEST(FileDescriptorOrderTest, ByExtensionThenCaptionIgnoringCaseAndStable)
{
    QList<QVariantMap> items = {descriptor("zebra.pdf", "Zebra"), descriptor("b.png", "Tree"), descriptor("apple.jpg", "apple"),
        descriptor("a.gif", "tree"), descriptor("Bird.JPG", "Bird"), descriptor("cat.hpi", "Cat"), descriptor("noextension", "Alpha")};
    sortFileDescriptors(items);
    QStringList names;
    for (const QVariantMap &item : items)
        names.append(item.value(QStringLiteral("name")).toString());
    // "b.png" and "a.gif" are equal (no rank, same caption ignoring case) and keep their order.
    EXPECT_EQ(names.join(u' '), QStringLiteral("cat.hpi apple.jpg Bird.JPG zebra.pdf noextension b.png a.gif"));
    EXPECT_EQ(compareFileDescriptors(descriptor("x.png", "Tree"), descriptor("y.gif", "TREE")), orderedSame);
}

// Reference values from a separate big-integer computation of the six steps with signed
// wrap-around and sign-filling shifts; logical shifts give other values, even for 0.
TEST(IntHashTest, MatchesTheSignedReference)
{
    const std::pair<std::int32_t, std::int32_t> cases[] = {{0, 0}, {1, 594824081}, {-1, 594805658}, {INT_MIN, 1558502628},
        {INT_MAX, 2141659318}};
    for (const auto &[key, hash] : cases)
        EXPECT_EQ(inthash(key), hash) << key;
}

class MeasurementUnits : public ::testing::Test
{
protected:
    void TearDown() override { defaults().removeObject(key()); }
    static PWUserDefaults &defaults() { return PWUserDefaults::standardUserDefaults(); }
    static QString key() { return QStringLiteral("FTMeasurementUnits"); }
};

TEST_F(MeasurementUnits, ReadsTheUserSettingAndCountsUnknownUnitsInPoints)
{
    defaults().setInteger(key(), 1);
    EXPECT_EQ(getMeasurementUnits(), cuInches);
    defaults().setInteger(key(), 7);
    EXPECT_EQ(static_cast<int>(getMeasurementUnits()), 7);
    defaults().setInteger(key(), qint64(1) << 40);
    EXPECT_EQ(getMeasurementUnits(), cuPoints);
    EXPECT_DOUBLE_EQ(convertDotToMeasurementUnits(static_cast<cardUnits>(9)), 1.0);
    EXPECT_EQ(stringForMeasurementUnit(static_cast<cardUnits>(-3)).getData(), QStringLiteral("pt"));
}

CDDVariant pageVariant(int side, int sides)
{
    CDDVariant variant(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9, 45), QTimeZone(3600)));
    variant.SetIntValues(side, sides);
    return variant;
}

TEST(FormatValueTest, Formats)
{
    const struct { const char *format; int side; const char *expected; } cases[] = {{"Page #p of #c", 2, "Page 2 of 3"},
        {"#a#A", 3, "cC"}, {"#x", 1, ""} /* unknown pairs vanish */, {"a#_b", 1, "ab"}, {"Page #", 1, "Page "} /* trailing hash */,
        {"#p#", 2, "2"}, {"(#D)", 1, "(2024-03-05 14:07:09 +0100)"}, {"#p %Y", 2, "2 %Y"} /* never reaches the calendar */,
        {"%A, %B %e, %Y %I:%M %p", 1, "Tuesday, March 5, 2024 02:07 PM"}};
    for (const auto &c : cases)
        EXPECT_EQ(FormatValue(pageVariant(c.side, 3), CDDString(QString::fromUtf8(c.format))).getData(), QString::fromUtf8(c.expected)) << c.format;
    // An empty format gives the variant's text.
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

TEST(UniqueNameTest, FindsAFreeName)
{
    const struct { QStringList names; QString expected; } cases[] = {
        {{QStringLiteral("Text"), QStringLiteral("Text2")}, QStringLiteral("Text3")}, {{QStringLiteral("Other")}, QStringLiteral("Text")},
        {{QStringLiteral("Texts")}, QStringLiteral("Text1")}, {{QStringLiteral("Text 7")}, QStringLiteral("Text8")},
        {{QStringLiteral("Text2147483647"), QStringLiteral("Text2147483648")}, QStringLiteral("Text2147483649")}};
    for (const auto &c : cases)
        EXPECT_EQ(uniqueName(QStringLiteral("Text"), &c.names), std::optional<QString>(c.expected)) << c.names.join(u',').toStdString();
    EXPECT_FALSE(uniqueName(QStringLiteral("Text"), nullptr).has_value()) << "no list gives nothing";
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
