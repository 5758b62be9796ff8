#include "kernel/foundation/CDDArchive.h"

#include "kernel/foundation/CDDArchiveKeys.h"
#include "kernel/foundation/CDDPen.h"
#include "platform/PWAttributedString.h"
#include "platform/PWBundle.h"
#include "platform/PWFont.h"
#include "platform/PWKeyedArchiver.h"
#include "platform/PWTextAttributes.h"

#include <QTextDocument>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const QString kKey = QStringLiteral("Value");

// A loading archive over one stored value.
CDDArchive reading(const PWPlist &value)
{
    CDDArchive archive(false);
    archive.Attach(PWPlist::Dictionary{{kKey, value}});
    return archive;
}

CDDArchive reading(const QString &text)
{
    return reading(PWPlist::fromString(text));
}

QString stored(const CDDArchive &archive, const QString &key = kKey)
{
    return archive.getDict().value(key).toString();
}

// --- Numbers, booleans, rectangles, pens ----------------------------------------------------------

TEST(CDDArchiveTest, RealsKeepThreeDecimalsAndReadBackInSinglePrecision)
{
    CDDArchive archive(true);
    archive.SetData(kKey, 2.5);
    EXPECT_EQ(stored(archive), QStringLiteral("2.500"));
    archive.SetData(QStringLiteral("small"), 0.1);
    EXPECT_EQ(stored(archive, QStringLiteral("small")), QStringLiteral("0.100"));
    archive.SetData(QStringLiteral("float"), -1.23456f);
    EXPECT_EQ(stored(archive, QStringLiteral("float")), QStringLiteral("-1.235"));
    archive.setStoring(false);
    double value = 0.0;
    ASSERT_TRUE(archive.GetData(kKey, &value));
    EXPECT_EQ(value, 2.5);
    ASSERT_TRUE(archive.GetData(QStringLiteral("small"), &value));
    EXPECT_EQ(value, 0.10000000149011612);
}

TEST(CDDArchiveTest, PenWidthKeepsTwoDecimals)
{
    CDDArchive archive(true);
    CDDPen pen;
    pen.SetWidth(1.0 / 3.0);
    archive.SetData(kKey, pen);
    EXPECT_EQ(stored(archive), QStringLiteral("0.33"));
    CDDPen read;
    ASSERT_TRUE(archive.GetData(kKey, read));
    EXPECT_EQ(read.GetWidth(), double(0.33f));
}

struct IntegerCase
{
    const char *text;
    int expected;
};

class ArchiveIntegerTextTest : public testing::TestWithParam<IntegerCase>
{
};

TEST_P(ArchiveIntegerTextTest, ReadsTheLeadingNumber)
{
    int value = -99;
    ASSERT_TRUE(reading(QString::fromLatin1(GetParam().text)).GetData(kKey, &value));
    EXPECT_EQ(value, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, ArchiveIntegerTextTest,
                         testing::Values(IntegerCase{"12abc", 12}, IntegerCase{"abc", 0}, IntegerCase{"  -7", -7},
                                         IntegerCase{"+42", 42}, IntegerCase{"3.9", 3}, IntegerCase{"", 0},
                                         IntegerCase{"99999999999", std::numeric_limits<int>::max()},
                                         IntegerCase{"-99999999999", std::numeric_limits<int>::min()}));

TEST(CDDArchiveTest, LongIntegersAreWrittenInFull)
{
    CDDArchive archive(true);
    const long big = 1099511627776L;
    archive.SetData(kKey, big);
    EXPECT_EQ(stored(archive), QStringLiteral("1099511627776"));
    long read = 0;
    ASSERT_TRUE(archive.GetData(kKey, &read));
    EXPECT_EQ(read, big);
    archive.SetData(kKey, std::numeric_limits<long>::min());
    ASSERT_TRUE(archive.GetData(kKey, &read));
    EXPECT_EQ(read, std::numeric_limits<long>::min());
}

TEST(CDDArchiveTest, BooleansAreExactlyYesOrNo)
{
    CDDArchive archive(true);
    archive.SetData(kKey, true);
    archive.SetData(QStringLiteral("off"), false);
    EXPECT_EQ(stored(archive), QStringLiteral("YES"));
    EXPECT_EQ(stored(archive, QStringLiteral("off")), QStringLiteral("NO"));
    bool value = false;
    EXPECT_TRUE(archive.GetData(kKey, &value));
    EXPECT_TRUE(value);
    EXPECT_TRUE(archive.GetData(QStringLiteral("off"), &value));
    EXPECT_FALSE(value);
    for (const QString &text : {QStringLiteral("yes"), QStringLiteral("1"), QStringLiteral("YES ")}) {
        value = true;
        EXPECT_FALSE(reading(text).GetData(kKey, &value)) << text.toStdString();
        EXPECT_TRUE(value);
    }
    EXPECT_FALSE(reading(PWPlist::fromBool(false)).GetData(kKey, &value));
    EXPECT_TRUE(value);
}

struct RectCase
{
    double x, y, width, height;
    const char *text;
};

class ArchiveRectTest : public testing::TestWithParam<RectCase>
{
};

TEST_P(ArchiveRectTest, IsThePlatformsRectangleText)
{
    const RectCase &c = GetParam();
    CDDArchive archive(true);
    archive.SetRectData(kKey, c.x, c.y, c.width, c.height);
    EXPECT_EQ(stored(archive), QString::fromLatin1(c.text));
    double x = 0, y = 0, width = 0, height = 0;
    ASSERT_TRUE(archive.GetRectData(kKey, &x, &y, &width, &height));
    EXPECT_NEAR(x, c.x, std::fabs(c.x) * 1e-5);
    EXPECT_NEAR(y, c.y, std::fabs(c.y) * 1e-5);
    EXPECT_NEAR(width, c.width, std::fabs(c.width) * 1e-5);
    EXPECT_NEAR(height, c.height, std::fabs(c.height) * 1e-5);
}

INSTANTIATE_TEST_SUITE_P(Rects, ArchiveRectTest,
                         testing::Values(RectCase{10.5, 20, 100, 50, "{{10.5, 20}, {100, 50}}"},
                                         RectCase{-1.0 / 3.0, 0, 1234567, 0.000125, "{{-0.333333, 0}, {1.23457e+06, 0.000125}}"},
                                         RectCase{72.25, 1e-7, 595.276, 841.89, "{{72.25, 1e-07}, {595.276, 841.89}}"}));

TEST(CDDArchiveTest, UnreadableRectangleNumbersAreZero)
{
    double x = 9, y = 9, width = 9, height = 9;
    ASSERT_TRUE(reading(QStringLiteral("{{a, 2}, {nan, 4")).GetRectData(kKey, &x, &y, &width, &height));
    EXPECT_EQ(x, 2.0);
    EXPECT_EQ(y, 4.0);
    EXPECT_EQ(width, 0.0);
    EXPECT_EQ(height, 0.0);
}

TEST(CDDArchiveTest, NumbersThatAreNotFiniteAreRefused)
{
    for (const QString &text : {QStringLiteral("nan"), QStringLiteral("inf"), QStringLiteral("-1e50")}) {
        float value = 1.5f;
        EXPECT_FALSE(reading(text).GetData(kKey, &value)) << text.toStdString();
        EXPECT_EQ(value, 1.5f);
    }
}

TEST(CDDArchiveTest, WrongValueKindsLeaveTheTargetUntouched)
{
    const CDDArchive archive = reading(PWPlist::Dictionary{{QStringLiteral("x"), PWPlist::fromInteger(1)}});
    int integer = 5;
    double real = 5.0;
    bool flag = true;
    CDDString text(QStringLiteral("kept"));
    CDDColor color(0.1f, 0.2f, 0.3f, 1.0f);
    PWFont font(QStringLiteral("Kept"), 9.0);
    CDDArchive child(false);
    EXPECT_FALSE(archive.GetData(kKey, &integer));
    EXPECT_FALSE(archive.GetData(kKey, &real));
    EXPECT_FALSE(archive.GetData(kKey, &flag));
    EXPECT_FALSE(archive.GetData(kKey, text));
    EXPECT_FALSE(archive.GetData(kKey, color));
    EXPECT_FALSE(archive.GetData(kKey, &font));
    EXPECT_EQ(integer, 5);
    EXPECT_EQ(real, 5.0);
    EXPECT_TRUE(flag);
    EXPECT_EQ(text.getData(), QStringLiteral("kept"));
    EXPECT_EQ(color, CDDColor(0.1f, 0.2f, 0.3f, 1.0f));
    EXPECT_EQ(font, PWFont(QStringLiteral("Kept"), 9.0));
    EXPECT_FALSE(reading(QStringLiteral("text")).GetData(kKey, child));
    EXPECT_FALSE(child.getDict().isDictionary());
}

TEST(CDDArchiveTest, NumbersStoredAsNumbersAreRead)
{
    int integer = 0;
    ASSERT_TRUE(reading(PWPlist::fromInteger(12)).GetData(kKey, &integer));
    EXPECT_EQ(integer, 12);
    double real = 0;
    ASSERT_TRUE(reading(PWPlist::fromReal(0.1)).GetData(kKey, &real));
    EXPECT_EQ(real, double(0.1f));
}

TEST(CDDArchiveTest, MissingKeysAnswerFalseAndChangeNothing)
{
    const CDDArchive archive(false);
    int integer = 3;
    double x = 1, y = 2, width = 3, height = 4;
    EXPECT_FALSE(archive.GetData(kKey, &integer));
    EXPECT_FALSE(archive.GetRectData(kKey, &x, &y, &width, &height));
    EXPECT_EQ(integer, 3);
    EXPECT_EQ(x + y + width + height, 10.0);
}

// --- Texts, bundle version, class IDs, document types ---------------------------------------------

TEST(CDDArchiveTest, TextValues)
{
    CDDArchive archive(true);
    CDDString null;
    null.setData(nullptr);
    archive.SetData(kKey, null);
    EXPECT_FALSE(archive.getDict().toDictionary().contains(kKey)) << "a null value writes nothing";
    archive.SetData(kKey, CDDString(QStringLiteral("Grüße")));
    CDDString read;
    ASSERT_TRUE(archive.GetData(kKey, read));
    EXPECT_EQ(read.getData(), QStringLiteral("Grüße"));

    CDDString kept(QStringLiteral("kept"));
    EXPECT_FALSE(reading(PWPlist::fromInteger(4)).GetData(kKey, kept)) << "a stored non-string is refused";
    EXPECT_EQ(kept.getData(), QStringLiteral("kept"));
}

TEST(CDDArchiveTest, BundleVersionIsTheRunningApplications)
{
    CDDArchive archive(true);
    archive.SetData(key_BundleVersion);
    int version = 0;
    ASSERT_TRUE(archive.GetData(key_BundleVersion, &version));
    EXPECT_EQ(version, PWBundle::mainBundle().bundleVersion());
    EXPECT_GT(version, 72);
}

TEST(CDDArchiveTest, ClassIDsByName)
{
    CDDArchive archive(true);
    ASSERT_TRUE(archive.SetClassID(7));
    EXPECT_EQ(stored(archive, key_ClassID), QStringLiteral("Background Picture"));
    int classID = -1;
    ASSERT_TRUE(archive.GetClassID(&classID));
    EXPECT_EQ(classID, 7);

    CDDArchive invalid(true);
    EXPECT_FALSE(invalid.SetClassID(20));
    EXPECT_FALSE(invalid.SetClassID(-1));
    EXPECT_TRUE(invalid.getDict().toDictionary().isEmpty());

    CDDArchive unknown(false);
    unknown.Attach(PWPlist::Dictionary{{key_ClassID, PWPlist::fromString(QStringLiteral("background picture"))}});
    classID = 3;
    EXPECT_FALSE(unknown.GetClassID(&classID));
    EXPECT_EQ(classID, 3);
}

TEST(CDDArchiveTest, DocumentTypesByName)
{
    CDDArchive archive(true);
    ASSERT_TRUE(archive.SetDocumentType(dtPostcard));
    EXPECT_EQ(stored(archive, key_DocumentType), QStringLiteral("Postcard"));
    documentType type = dtLabel;
    ASSERT_TRUE(archive.GetDocumentType(&type));
    EXPECT_EQ(type, dtPostcard);
    ASSERT_TRUE(archive.SetDocumentType(dtCustomElement));
    EXPECT_EQ(stored(archive, key_DocumentType), QStringLiteral("CustomElement"));

    EXPECT_FALSE(archive.SetDocumentType(dtUnknown));
    CDDArchive lower(false);
    lower.Attach(PWPlist::Dictionary{{key_DocumentType, PWPlist::fromString(QStringLiteral("postcard"))}});
    type = dtEnvelope;
    EXPECT_FALSE(lower.GetDocumentType(&type));
    EXPECT_EQ(type, dtEnvelope);
}

// --- Colours ----------------------------------------------------------------------------------------

class ColorDefaults : public CDDArchive::DefaultComponent
{
public:
    CDDColor GetFillColor() const override { return CDDColor(PWColor::calibratedWhite(1.0f)); }
    CDDColor GetStrokeColor() const override { return CDDColor(0.0f, 0.0f, 1.0f, 1.0f); }
};

TEST(CDDArchiveTest, ColoursRoundTripAsKeyedArchives)
{
    CDDArchive archive(true);
    const CDDColor cmyk(PWColor::deviceCMYK(0.1f, 0.2f, 0.3f, 0.4f, 0.5f));
    archive.SetData(kKey, cmyk);
    EXPECT_TRUE(archive.getDict().value(kKey).toData().startsWith("bplist00"));
    CDDColor read;
    ASSERT_TRUE(archive.GetData(kKey, read));
    EXPECT_EQ(read, cmyk);

    const CDDColor none{std::shared_ptr<const PWColor>()};
    archive.SetData(kKey, none);
    ASSERT_TRUE(archive.GetData(kKey, read));
    EXPECT_EQ(read, none) << "no colour comes back as no colour";
}

TEST(CDDArchiveTest, ColoursReadAgainShareOneDecodedColour)
{
    CDDArchive archive(true);
    archive.SetData(kKey, CDDColor(PWColor::deviceRGB(0.25f, 0.5f, 0.75f, 1.0f)));
    archive.SetData(key_TextColor, CDDColor(PWColor::calibratedWhite(0.125f, 0.5f)));
    archive.SetData(key_BackColor, CDDColor(std::shared_ptr<const PWColor>()));
    CDDColor first;
    CDDColor second;
    CDDColor grey;
    ASSERT_TRUE(archive.GetData(kKey, first));
    ASSERT_TRUE(archive.GetData(kKey, second));
    ASSERT_TRUE(archive.GetData(key_TextColor, grey));
    EXPECT_EQ(first, CDDColor(PWColor::deviceRGB(0.25f, 0.5f, 0.75f, 1.0f)));
    EXPECT_EQ(first.getData(), second.getData()) << "the same bytes are decoded once";
    EXPECT_EQ(grey, CDDColor(PWColor::calibratedWhite(0.125f, 0.5f)));
    EXPECT_NE(grey.getData(), first.getData());

    // A shared colour stays each value's own: changing one leaves the other as read.
    first.setOpacity(0.25f);
    EXPECT_FLOAT_EQ(second.getOpacity(), 1.0f);
    CDDColor third;
    ASSERT_TRUE(archive.GetData(kKey, third));
    EXPECT_FLOAT_EQ(third.getOpacity(), 1.0f);

    // No colour read twice is no colour twice.
    for (int i = 0; i < 2; ++i) {
        CDDColor none(0.1f, 0.1f, 0.1f, 1.0f);
        ASSERT_TRUE(archive.GetData(key_BackColor, none));
        EXPECT_EQ(none.getData(), nullptr);
    }
}

TEST(CDDArchiveTest, OldColourText)
{
    CDDColor color;
    ASSERT_TRUE(reading(QStringLiteral("1, 0, 0, 1")).GetData(kKey, color));
    EXPECT_EQ(color, CDDColor(1.0f, 0.0f, 0.0f, 1.0f));
    ASSERT_TRUE(reading(QStringLiteral("\t0.5,0.25 ,x, 0.75, extra")).GetData(kKey, color));
    EXPECT_EQ(color, CDDColor(0.5f, 0.25f, 0.0f, 0.75f));

    const CDDColor kept(0.3f, 0.3f, 0.3f, 1.0f);
    color = kept;
    EXPECT_FALSE(reading(QStringLiteral("1, 0, 0")).GetData(kKey, color));
    EXPECT_EQ(color, kept);
}

TEST(CDDArchiveTest, UndecodableColourDataLeavesTheColour)
{
    const CDDColor kept(0.3f, 0.3f, 0.3f, 1.0f);
    CDDColor color = kept;
    EXPECT_FALSE(reading(PWPlist::fromData("bplist00garbage")).GetData(kKey, color));
    EXPECT_FALSE(reading(PWPlist::fromData(PWKeyedArchiver::archivedData(PWFont(QStringLiteral("Helvetica"), 12))))
                     .GetData(kKey, color));
    EXPECT_EQ(color, kept);
    // A failure is not remembered as a colour.
    EXPECT_FALSE(reading(PWPlist::fromData("bplist00garbage")).GetData(kKey, color));
    EXPECT_EQ(color, kept);
}

TEST(CDDArchiveTest, ColoursEqualToTheDefaultComponentsAreLeftOut)
{
    const ColorDefaults defaults;
    CDDArchive archive(true);
    archive.setDefComponent(&defaults);
    archive.SetData(key_Color, defaults.GetStrokeColor());
    archive.SetData(key_BackColor, defaults.GetFillColor());
    archive.SetData(key_TextColor, defaults.GetStrokeColor());
    archive.SetData(QStringLiteral("Shadow Color"), defaults.GetFillColor());
    const PWPlist::Dictionary written = archive.getDict().toDictionary();
    EXPECT_FALSE(written.contains(key_Color));
    EXPECT_FALSE(written.contains(key_BackColor));
    EXPECT_TRUE(written.contains(key_TextColor));
    EXPECT_TRUE(written.contains(QStringLiteral("Shadow Color")));

    // Another colour, or the fill colour under "Color", is written.
    archive.SetData(key_Color, defaults.GetFillColor());
    archive.SetData(key_BackColor, CDDColor(1.0f, 1.0f, 1.0f, 1.0f));
    EXPECT_TRUE(archive.getDict().toDictionary().contains(key_Color));
    EXPECT_TRUE(archive.getDict().toDictionary().contains(key_BackColor)) << "RGB white is not the grey-scale white";
}

// --- Fonts and text storages ------------------------------------------------------------------------

TEST(CDDArchiveTest, Fonts)
{
    CDDArchive archive(true);
    archive.SetData(kKey, static_cast<const PWFont *>(nullptr));
    EXPECT_TRUE(archive.getDict().toDictionary().isEmpty());
    const PWFont font(QStringLiteral("Helvetica-Oblique"), 10.5, 1040);
    archive.SetData(kKey, &font);
    PWFont read;
    ASSERT_TRUE(archive.GetData(kKey, &read));
    EXPECT_EQ(read, font);
    EXPECT_FALSE(reading(PWPlist::fromData("not an archive")).GetData(kKey, &read));
    EXPECT_EQ(read, font);
}

TEST(CDDArchiveTest, TextStoragesRoundTripWithTheirStyle)
{
    QTextDocument source;
    QTextCharFormat bold;
    PWFont(QStringLiteral("Helvetica-Bold"), 14.0).applyTo(&bold);
    bold.setProperty(PWTextAttributes::Kerning, 0.5);
    PWAttributedString text(QStringLiteral("Hello\nworld"), bold);
    text.writeTo(&source);
    CDDArchive archive(true);
    ASSERT_TRUE(archive.SetData(kKey, source));
    QTextDocument read;
    read.setPlainText(QStringLiteral("old"));
    ASSERT_TRUE(archive.GetData(kKey, &read));
    EXPECT_EQ(PWAttributedString::fromDocument(&read), PWAttributedString::fromDocument(&source));

    CDDArchive empty(true);
    QTextDocument nothing;
    EXPECT_TRUE(empty.SetData(kKey, nothing));
    EXPECT_TRUE(empty.getDict().toDictionary().isEmpty()) << "a storage without characters writes nothing";
    EXPECT_FALSE(reading(PWPlist::fromData("junk")).GetData(kKey, &read));
    EXPECT_EQ(read.toPlainText(), QStringLiteral("Hello\nworld"));
}

// --- Lists, child archives, modes ----------------------------------------------------------------

TEST(CDDArchiveTest, ListsOfChildArchives)
{
    CDDArchive archive(true);
    archive.BeginArrayData();
    EXPECT_TRUE(archive.isArrayProcessing());
    for (int i = 0; i < 3; ++i) {
        CDDArchive child(true);
        child.SetClassID(i);
        child.SetData(QStringLiteral("Index"), i);
        archive.SetData(QStringLiteral("ignored in list mode"), child);
    }
    archive.EndArrayData(key_Components);
    EXPECT_FALSE(archive.isArrayProcessing());
    EXPECT_EQ(archive.getDict().toDictionary().keys(), QStringList{key_Components});

    archive.setStoring(false);
    CDDArchive list(false);
    ASSERT_TRUE(archive.GetData(key_Components, list));
    ASSERT_EQ(list.countObjectsInArray(), 3);
    for (int i = 0; i < 3; ++i) {
        CDDArchive entry = list.objectAtIndexInArray(i);
        int index = -1;
        int classID = -1;
        EXPECT_TRUE(entry.GetData(QStringLiteral("Index"), &index));
        EXPECT_TRUE(entry.GetClassID(&classID));
        EXPECT_EQ(index, i);
        EXPECT_EQ(classID, i);
        entry.Dettach();
    }
    EXPECT_FALSE(list.objectAtIndexInArray(3).getDict().isDictionary());
    EXPECT_FALSE(list.objectAtIndexInArray(-1).getDict().isDictionary());
    EXPECT_EQ(list.DettachArray().toArray().size(), 3);
    EXPECT_EQ(list.countObjectsInArray(), 0);
}

TEST(CDDArchiveTest, ChildArchiveUnderAKey)
{
    CDDArchive archive(true);
    CDDArchive child(true);
    child.SetData(QStringLiteral("Inner"), 5);
    ASSERT_TRUE(archive.SetData(key_DefaultSettings, child));
    CDDArchive read(false);
    ASSERT_TRUE(archive.GetData(key_DefaultSettings, read));
    EXPECT_FALSE(read.isArrayProcessing());
    int inner = 0;
    ASSERT_TRUE(read.GetData(QStringLiteral("Inner"), &inner));
    EXPECT_EQ(inner, 5);
    EXPECT_FALSE(archive.GetData(QStringLiteral("missing"), read));
}

TEST(CDDArchiveTest, CopiesShareTheDictionaryButNotTheList)
{
    const ColorDefaults defaults;
    CDDArchive archive(true);
    archive.setBundleVersion(80);
    archive.setDefComponent(&defaults);
    archive.SetArchivePath(CDDString(QStringLiteral("/tmp/x.pwdc")));
    archive.BeginArrayData();
    CDDArchive copy(archive);
    EXPECT_FALSE(copy.isArrayProcessing());
    EXPECT_EQ(copy.getDefComponent(), nullptr);
    EXPECT_EQ(copy.getBundleVersion(), 80) << "a copy holds what the same application wrote";
    EXPECT_EQ(copy.GetArchivePath().getData(), QStringLiteral("/tmp/x.pwdc"));
    copy.SetData(kKey, 1);
    EXPECT_TRUE(archive.getDict().toDictionary().contains(kKey)) << "a write through the copy is seen by the original";

    CDDArchive loading(false, ptPackage);
    loading.setBundleVersion(90);
    loading.BeginArrayData();
    loading = archive;
    EXPECT_TRUE(loading.isStoring());
    EXPECT_EQ(loading.GetPackageType(), ptInline);
    EXPECT_EQ(loading.getBundleVersion(), 90);
    EXPECT_TRUE(loading.isArrayProcessing()) << "an assigned archive keeps its own list";
    EXPECT_EQ(loading.getDefComponent(), nullptr);
}

TEST(CDDArchiveTest, InProcessArchivesAndTheirChildrenCarryTheRunningVersion)
{
    const int running = PWBundle::mainBundle().bundleVersion();
    ASSERT_GT(running, 72);
    EXPECT_EQ(CDDArchive(true).getBundleVersion(), running);
    EXPECT_EQ(CDDArchive(false).getBundleVersion(), running);

    CDDArchive written(true);
    CDDArchive child(true);
    child.SetData(kKey, 1);
    written.BeginArrayData();
    written.SetData(kKey, child);
    written.EndArrayData(QStringLiteral("List"));
    written.SetData(QStringLiteral("Child"), child);
    written.setStoring(false);

    // A file's archive is told its own version; everything read below it follows.
    written.setBundleVersion(72);
    CDDArchive list(false);
    ASSERT_TRUE(written.GetData(QStringLiteral("List"), list));
    EXPECT_EQ(list.getBundleVersion(), 72);
    EXPECT_EQ(list.objectAtIndexInArray(0).getBundleVersion(), 72);
    CDDArchive single(false);
    ASSERT_TRUE(written.GetData(QStringLiteral("Child"), single));
    EXPECT_EQ(single.getBundleVersion(), 72);
}

TEST(CDDArchiveTest, OnlyPackageArchivesHaveAPackageContent)
{
    EXPECT_TRUE(CDDArchive(true, ptPackage).getPackageContent().isArray());
    EXPECT_TRUE(CDDArchive(true).getPackageContent().isNull());
    EXPECT_TRUE(CDDArchive(false, ptPackage).getPackageContent().isNull());
}

TEST(CDDArchiveTest, AMissingListReadsAsNoEntries)
{
    const CDDArchive loading(false);
    CDDArchive list(false);
    EXPECT_FALSE(loading.GetData(key_Components, list));
    EXPECT_FALSE(list.isArrayProcessing());
    EXPECT_EQ(list.countObjectsInArray(), 0);
}

} // namespace
