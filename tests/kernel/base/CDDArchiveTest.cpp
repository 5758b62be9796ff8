#include "kernel/base/CDDArchive.h"

#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/base/CDDPen.h"
#include "kernel/base/CDDReadReport.h"
#include "platform/PWAttributedString.h"
#include "platform/PWBundle.h"
#include "platform/PWFont.h"
#include "platform/PWKeyedArchiver.h"
#include "platform/PWTextAttributes.h"

#include <QTextDocument>

#include <gtest/gtest.h>

#include <limits>

using namespace Qt::StringLiterals;

namespace {

const QString kKey = QStringLiteral("Value");

// A loading archive over one stored value.
CDDArchive reading(const PWPlist &value)
{
    CDDArchive archive(false);
    archive.Attach(PWPlist::Dictionary {{kKey, value}});
    return archive;
}

CDDArchive reading(const QString &text) { return reading(PWPlist::fromString(text)); }

QString stored(const CDDArchive &archive, const QString &key = kKey) { return archive.getDict().value(key).toString(); }

bool written(const CDDArchive &archive, const QString &key = kKey) { return archive.getDict().toDictionary().contains(key); }

QRectF rectOf(const CDDArchive &archive, bool *ok = nullptr)
{
    double x = 9, y = 9, width = 9, height = 9;
    const bool read = archive.GetRectData(kKey, &x, &y, &width, &height);
    if (ok)
        *ok = read;
    return QRectF(x, y, width, height);
}

TEST(CDDArchiveTest, NumbersAreWrittenAsTextAndTextsReadOnlyWhenTheyAreOneNumber)
{
    CDDArchive archive(true);
    archive.SetData(kKey, 0.1);
    archive.SetData(QStringLiteral("float"), -1.23456f);
    CDDPen pen;
    pen.SetWidth(1.0 / 3.0);
    archive.SetData(QStringLiteral("pen"), pen);
    EXPECT_EQ(QStringList({stored(archive), stored(archive, QStringLiteral("float")), stored(archive, QStringLiteral("pen"))}),
              QStringList({QStringLiteral("0.100"), QStringLiteral("-1.235"), QStringLiteral("0.33")}));
    archive.setStoring(false);
    double value = 0.0;
    ASSERT_TRUE(archive.GetData(kKey, &value, CDDRanges::kFinite));
    EXPECT_EQ(value, 0.10000000149011612) << "read back in single precision";
    CDDPen read;
    ASSERT_TRUE(archive.GetData(QStringLiteral("pen"), read));
    EXPECT_EQ(read.GetWidth(), double(0.33f));
    // A text that starts with no number is no number: named, and the target keeps its value. One
    // that starts with a number and holds more is read as that number and named as damaged.
    const QString notANumber = QStringLiteral("\"Value\" of the design is not a number (%1); kept -99");
    const QString damaged = QStringLiteral("\"Value\" of the design is damaged: more than a number (%1); read %2");
    const struct { const char *text; int expected; QString problem; } cases[] = {
        {"12abc", 12, damaged.arg(u"12abc"_s, u"12"_s)}, {" -3 apples", -3, damaged.arg(u" -3 apples"_s, u"-3"_s)},
        {"1 2", 1, damaged.arg(u"1 2"_s, u"1"_s)},       {"7.9x", 7, damaged.arg(u"7.9x"_s, u"7"_s)},
        {"abc", -99, notANumber.arg(u"abc"_s)},          {"", -99, notANumber.arg(QString())},
        {"-x", -99, notANumber.arg(u"-x"_s)},            {"  -7", -7, QString()},
        {"3.0\t", 3, QString()}};
    for (const auto &c : cases) {
        auto report = std::make_shared<CDDReadReport>();
        CDDArchive archive = reading(QString::fromLatin1(c.text));
        archive.setReadReport(report);
        int value = -99;
        EXPECT_EQ(archive.GetData(kKey, &value, CDDRanges::kInt), c.expected != -99) << c.text;
        EXPECT_EQ(value, c.expected) << c.text;
        EXPECT_EQ(report->problems(), c.problem.isEmpty() ? QStringList() : QStringList(c.problem)) << c.text;
    }
    // A real takes the whole number it starts with, in single precision.
    const struct { const char *text; double expected; } reals[] = {{"2.5abc", 2.5}, {"-0.1 mm", double(-0.1f)}, {"1e2x", 100.0}};
    for (const auto &c : reals) {
        auto report = std::make_shared<CDDReadReport>();
        CDDArchive archive = reading(QString::fromLatin1(c.text));
        archive.setReadReport(report);
        double value = -99.0;
        EXPECT_TRUE(archive.GetData(kKey, &value, CDDRanges::kFinite)) << c.text;
        EXPECT_EQ(value, c.expected) << c.text;
        EXPECT_EQ(report->problems().size(), 1) << c.text;
    }
    // Damaged past its range, it is kept out as any number out of range.
    {
        auto report = std::make_shared<CDDReadReport>();
        CDDArchive archive = reading(u"5 apples"_s);
        archive.setReadReport(report);
        int value = -99;
        EXPECT_FALSE(archive.GetData(kKey, &value, CDDNumberRange {0.0, 3.0, true}));
        EXPECT_EQ(value, -99);
        EXPECT_EQ(report->problems(), QStringList(u"\"Value\" of the design is out of range (5 apples); kept -99"_s));
    }
    // The value kept is named as the reader holds it: a whole number in all its digits, and what
    // a reader puts in its place when it says so.
    {
        auto report = std::make_shared<CDDReadReport>();
        CDDArchive archive = reading(u"abc"_s);
        archive.setReadReport(report);
        int whole = 2147483647;
        float real = 0.5f;
        EXPECT_FALSE(archive.GetData(kKey, &whole, CDDRanges::kInt));
        EXPECT_FALSE(archive.GetData(kKey, &real, CDDRanges::kFinite, u"one is used instead"_s));
        EXPECT_EQ(report->problems(), QStringList({u"\"Value\" of the design is not a number (abc); kept 2147483647"_s,
                                                   u"\"Value\" of the design is not a number (abc); one is used instead"_s}));
    }
    CDDArchive longArchive(true);
    longArchive.SetData(kKey, 1099511627776L);
    EXPECT_EQ(stored(longArchive), QStringLiteral("1099511627776"));
    longArchive.SetData(kKey, std::numeric_limits<long>::min());
    EXPECT_EQ(stored(longArchive), QStringLiteral("-9223372036854775808"));
}

TEST(CDDArchiveTest, BooleansAreExactlyYesOrNoAndRectanglesThePlatformsRectangleText)
{
    CDDArchive archive(true);
    archive.SetData(kKey, true);
    archive.SetData(QStringLiteral("off"), false);
    EXPECT_EQ(stored(archive) + stored(archive, QStringLiteral("off")), QStringLiteral("YESNO"));
    bool value = true;
    EXPECT_TRUE(archive.GetData(QStringLiteral("off"), &value));
    EXPECT_FALSE(value);
    for (const PWPlist &text : {PWPlist::fromString(QStringLiteral("yes")), PWPlist::fromBool(false)}) {
        auto report = std::make_shared<CDDReadReport>();
        CDDArchive archive = reading(text);
        archive.setReadReport(report);
        value = true;
        EXPECT_FALSE(archive.GetData(kKey, &value)) << text.toString().toStdString();
        EXPECT_TRUE(value);
        EXPECT_EQ(report->problems().size(), 1) << "named";
    }
    const struct { QRectF rect; const char *text; } cases[] = {
        {{10.5, 20, 100, 50}, "{{10.5, 20}, {100, 50}}"},
        {{-1.0 / 3.0, 0, 1234567, 0.000125}, "{{-0.333333, 0}, {1.23457e+06, 0.000125}}"}};
    for (const auto &c : cases) {
        CDDArchive archive(true);
        archive.SetRectData(kKey, c.rect.x(), c.rect.y(), c.rect.width(), c.rect.height());
        EXPECT_EQ(stored(archive), QString::fromLatin1(c.text));
        bool ok = false;
        const QRectF read = rectOf(archive, &ok);
        EXPECT_TRUE(ok);
        // Six significant digits.
        for (const auto &[got, wanted] : {std::pair(read.x(), c.rect.x()), std::pair(read.width(), c.rect.width()),
                                          std::pair(read.height(), c.rect.height())})
            EXPECT_NEAR(got, wanted, std::abs(wanted) * 1e-5) << c.text;
        EXPECT_EQ(read.y(), c.rect.y()) << c.text;
    }
    bool ok = false;
    EXPECT_EQ(rectOf(reading(QStringLiteral("{{a, 2}, {nan, 4")), &ok), QRectF(9, 2, 9, 4))
        << "a part that is no number is kept out like one that is no finite number";
    EXPECT_TRUE(ok);
}

TEST(CDDArchiveTest, NumbersStoredAsNumbersAreReadAndThoseNotFiniteRefused)
{
    int integer = 0;
    double real = 0;
    ASSERT_TRUE(reading(PWPlist::fromInteger(12)).GetData(kKey, &integer, CDDRanges::kInt));
    ASSERT_TRUE(reading(PWPlist::fromReal(0.1)).GetData(kKey, &real, CDDRanges::kFinite));
    EXPECT_EQ(std::pair(integer, real), std::pair(12, double(0.1f)));
    for (const QString &text : {QStringLiteral("nan"), QStringLiteral("inf"), QStringLiteral("-1e50")}) {
        float value = 1.5f;
        EXPECT_FALSE(reading(text).GetData(kKey, &value, CDDRanges::kFinite)) << text.toStdString();
        EXPECT_EQ(value, 1.5f);
    }
}

// A number outside the range its reader gives is kept out and named, whichever side it lies on;
// the ends of the range are read.
TEST(CDDArchiveTest, NumbersOutsideTheirRangeAreKeptOutAndNamed)
{
    const CDDNumberRange range {-10.0, 20.0, true};
    const struct
    {
        const char *text;
        bool read;
    } cases[] = {{"nan", false},   {"inf", false}, {"-inf", false}, {"-1e30", false}, {"1e30", false},
                 {"-11", false},   {"21", false},  {"2.5", false},  {"-10", true},    {"20", true},
                 {"99999999999", false}, {"-99999999999", false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        auto report = std::make_shared<CDDReadReport>();
        CDDArchive archive = reading(QString::fromLatin1(c.text));
        archive.setReadReport(report);
        int whole = 7;
        double real = 7.0;
        double x = 7.0, y = 7.0, width = 7.0, height = 7.0;
        EXPECT_EQ(archive.GetData(kKey, &whole, range), c.read);
        EXPECT_EQ(archive.GetData(kKey, &real, CDDNumberRange {-10.0, 20.0}), c.read || QByteArray(c.text) == "2.5");
        archive.Attach(PWPlist::Dictionary {{kKey, PWPlist::fromString(QStringLiteral("{{1, 2}, {3, %1}}").arg(QLatin1String(c.text)))}});
        EXPECT_TRUE(archive.GetRectData(kKey, &x, &y, &width, &height, CDDNumberRange {-10.0, 20.0}));
        const QString asStored = QString::fromLatin1(c.text);
        // A fraction is a real number, if not a whole one.
        EXPECT_EQ(height, c.read || asStored == QLatin1String("2.5") ? asStored.toDouble() : 7.0);
        if (c.read) {
            EXPECT_EQ(whole, asStored.toInt());
            EXPECT_TRUE(report->problems().isEmpty()) << report->problems().join(QLatin1Char('\n')).toStdString();
        } else {
            EXPECT_EQ(whole, 7);
            const QStringList problems = report->problems();
            ASSERT_FALSE(problems.isEmpty());
            EXPECT_EQ(problems.first(), QStringLiteral("\"Value\" of the design is out of range (%1); kept 7").arg(asStored));
        }
        EXPECT_EQ(QRectF(x, y, width, 1), QRectF(1, 2, 3, 1)) << "the rest of the rectangle is read";
    }
}

TEST(CDDArchiveTest, MissingKeysLeaveTheTargetUntouchedAndTextValuesRoundTrip)
{
    const CDDArchive archive(false);
    int integer = 5;
    CDDColor color(0.1f, 0.2f, 0.3f, 1.0f);
    bool ok = true;
    EXPECT_FALSE(archive.GetData(kKey, &integer, CDDRanges::kInt) || archive.GetData(kKey, color));
    EXPECT_EQ(rectOf(archive, &ok), QRectF(9, 9, 9, 9));
    EXPECT_FALSE(ok);
    EXPECT_EQ(integer, 5);
    EXPECT_EQ(color, CDDColor(0.1f, 0.2f, 0.3f, 1.0f));
    CDDArchive child(false);
    EXPECT_FALSE(reading(QStringLiteral("text")).GetData(kKey, child));
    EXPECT_FALSE(child.getDict().isDictionary());
    CDDArchive stringArchive(true);
    CDDString null;
    null.setData(nullptr);
    stringArchive.SetData(kKey, null);
    EXPECT_FALSE(written(stringArchive)) << "a null value writes nothing";
    stringArchive.SetData(kKey, CDDString(QStringLiteral("Grüße")));
    CDDString read;
    ASSERT_TRUE(stringArchive.GetData(kKey, read));
    EXPECT_EQ(read.getData(), QStringLiteral("Grüße"));
    CDDString kept(QStringLiteral("kept"));
    EXPECT_FALSE(reading(PWPlist::fromInteger(4)).GetData(kKey, kept)) << "a stored non-string is refused";
    EXPECT_EQ(kept.getData(), QStringLiteral("kept"));
}

TEST(CDDArchiveTest, ClassIDsAndDocumentTypesByNameRefuseUnknownOnes)
{
    CDDArchive archive(true);
    ASSERT_TRUE(archive.SetClassID(7) && archive.SetDocumentType(dtPostcard));
    int classID = -1;
    documentType type = dtLabel;
    ASSERT_TRUE(archive.GetClassID(&classID) && archive.GetDocumentType(&type));
    EXPECT_EQ(std::pair(classID, type), std::pair(7, dtPostcard));
    CDDArchive invalid(true);
    EXPECT_FALSE(invalid.SetClassID(20) || invalid.SetClassID(-1) || invalid.SetDocumentType(dtUnknown));
    EXPECT_TRUE(invalid.getDict().toDictionary().isEmpty());
    // Names are matched exactly: another case is another name.
    CDDArchive unknown(false);
    unknown.Attach(PWPlist::Dictionary {{key_ClassID, PWPlist::fromString(stored(archive, key_ClassID).toLower())},
                                        {key_DocumentType, PWPlist::fromString(stored(archive, key_DocumentType).toLower())}});
    classID = 3;
    type = dtEnvelope;
    EXPECT_FALSE(unknown.GetClassID(&classID) || unknown.GetDocumentType(&type));
    EXPECT_EQ(std::pair(classID, type), std::pair(3, dtEnvelope));
}

class ColorDefaults : public CDDArchive::DefaultComponent
{
public:
    CDDColor GetFillColor() const override { return CDDColor(PWColor::calibratedWhite(1.0f)); }
    CDDColor GetStrokeColor() const override { return CDDColor(0.0f, 0.0f, 1.0f, 1.0f); }
};

TEST(CDDArchiveTest, ColoursRoundTripAsKeyedArchivesAndBadOnesLeaveTheColour)
{
    CDDArchive archive(true);
    const CDDColor cmyk(PWColor::deviceCMYK(0.1f, 0.2f, 0.3f, 0.4f, 0.5f));
    archive.SetData(kKey, cmyk);
    EXPECT_TRUE(archive.getDict().value(kKey).toData().startsWith("bplist00"));
    CDDColor read;
    ASSERT_TRUE(archive.GetData(kKey, read));
    EXPECT_EQ(read, cmyk);
    archive.SetData(kKey, CDDColor {std::shared_ptr<const PWColor>()});
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(archive.GetData(kKey, read));
        EXPECT_EQ(read.getData(), nullptr) << "no colour comes back as no colour, every time";
    }
    CDDColor color;
    ASSERT_TRUE(reading(QStringLiteral("\t0.5,0.25 ,0, 0.75, extra")).GetData(kKey, color));
    EXPECT_EQ(color, CDDColor(0.5f, 0.25f, 0.0f, 0.75f));
    const CDDColor kept(0.3f, 0.3f, 0.3f, 1.0f);
    color = kept;
    const PWPlist font = PWPlist::fromData(PWKeyedArchiver::archivedData(PWFont(QStringLiteral("Helvetica"), 12)));
    // A component past 0 to 1, old or keyed, and no number; the garbage and the keyed colour twice: a
    // failure is not remembered as a colour, nor a colour out of range taken when it is known.
    const PWPlist beyond = PWPlist::fromData(PWKeyedArchiver::archivedData(PWColor::deviceWhite(0.5f, 1.0001f)));
    for (const PWPlist &value : {PWPlist::fromString(QStringLiteral("1, 0, 0")), PWPlist::fromData("bplist00garbage"),
                                 font, PWPlist::fromData("bplist00garbage"), PWPlist::fromString(QStringLiteral("0.5, x, 0, 1")),
                                 PWPlist::fromString(QStringLiteral("0, 0, -0.0001, 1")), beyond, beyond,
                                 PWPlist::fromData(PWKeyedArchiver::archivedData(PWColor::calibratedRGB(0, 1.5f, 0)))}) {
        auto report = std::make_shared<CDDReadReport>();
        CDDArchive archive = reading(value);
        archive.setReadReport(report);
        EXPECT_FALSE(archive.GetData(kKey, color));
        EXPECT_EQ(color, kept);
        EXPECT_EQ(report->problems().size(), 1) << "named";
    }
}

TEST(CDDArchiveTest, ColoursEqualToTheDefaultComponentsAreLeftOutAndFontsRoundTrip)
{
    const ColorDefaults defaults;
    CDDArchive archive(true);
    archive.setDefComponent(&defaults);
    archive.SetData(key_Color, defaults.GetStrokeColor());
    archive.SetData(key_BackColor, defaults.GetFillColor());
    archive.SetData(key_TextColor, defaults.GetStrokeColor());
    EXPECT_EQ(archive.getDict().toDictionary().keys(), QStringList {key_TextColor});
    // Another colour, or the fill colour under "Color", is written.
    archive.SetData(key_Color, defaults.GetFillColor());
    archive.SetData(key_BackColor, CDDColor(1.0f, 1.0f, 1.0f, 1.0f));
    EXPECT_TRUE(written(archive, key_Color));
    EXPECT_TRUE(written(archive, key_BackColor)) << "RGB white is not the grey-scale white";
    CDDArchive fontArchive(true);
    fontArchive.SetData(kKey, static_cast<const PWFont *>(nullptr));
    EXPECT_FALSE(written(fontArchive)) << "no font writes nothing";
    const PWFont font(QStringLiteral("Helvetica-Oblique"), 10.5, 1040);
    fontArchive.SetData(kKey, &font);
    PWFont read;
    ASSERT_TRUE(fontArchive.GetData(kKey, &read));
    EXPECT_EQ(read, font);
    EXPECT_FALSE(reading(PWPlist::fromData("not an archive")).GetData(kKey, &read));
    EXPECT_EQ(read, font);
}

TEST(CDDArchiveTest, TextStoragesRoundTripWithTheirStyle)
{
    QTextDocument source, read, nothing;
    QTextCharFormat bold;
    PWFont(QStringLiteral("Helvetica-Bold"), 14.0).applyTo(&bold);
    bold.setProperty(PWTextAttributes::Kerning, 0.5);
    PWAttributedString(QStringLiteral("Hello\nworld"), bold).writeTo(&source);
    CDDArchive archive(true);
    ASSERT_TRUE(archive.SetData(kKey, source));
    read.setPlainText(QStringLiteral("old"));
    ASSERT_TRUE(archive.GetData(kKey, &read));
    EXPECT_EQ(PWAttributedString::fromDocument(&read), PWAttributedString::fromDocument(&source));
    CDDArchive empty(true);
    EXPECT_TRUE(empty.SetData(kKey, nothing));
    EXPECT_FALSE(written(empty)) << "a storage without characters writes nothing";
    EXPECT_FALSE(reading(PWPlist::fromData("junk")).GetData(kKey, &read));
    EXPECT_EQ(read.toPlainText(), QStringLiteral("Hello\nworld"));
}

TEST(CDDArchiveTest, ListsOfChildArchives)
{
    CDDArchive archive(true);
    archive.BeginArrayData();
    EXPECT_TRUE(archive.isArrayProcessing());
    for (int i = 0; i < 3; ++i) {
        CDDArchive child(true);
        child.SetClassID(i);
        archive.SetData(QStringLiteral("ignored in list mode"), child);
    }
    archive.EndArrayData(key_Components);
    EXPECT_FALSE(archive.isArrayProcessing());
    EXPECT_EQ(archive.getDict().toDictionary().keys(), QStringList {key_Components});
    archive.setStoring(false);
    CDDArchive list(false);
    ASSERT_TRUE(archive.GetData(key_Components, list));
    ASSERT_EQ(list.countObjectsInArray(), 3);
    for (int i = 0; i < 3; ++i) {
        CDDArchive entry = list.objectAtIndexInArray(i);
        int classID = -1;
        EXPECT_TRUE(entry.GetClassID(&classID));
        EXPECT_EQ(classID, i);
        entry.Dettach();
    }
    EXPECT_FALSE(list.objectAtIndexInArray(3).getDict().isDictionary() || list.objectAtIndexInArray(-1).getDict().isDictionary());
    EXPECT_EQ(list.DettachArray().toArray().size(), 3);
    EXPECT_EQ(list.countObjectsInArray(), 0);
    CDDArchive missing(false);
    EXPECT_FALSE(CDDArchive(false).GetData(key_Components, missing));
    EXPECT_FALSE(missing.isArrayProcessing());
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
    EXPECT_TRUE(!copy.isArrayProcessing() && copy.getDefComponent() == nullptr);
    EXPECT_EQ(copy.getBundleVersion(), 80) << "a copy holds what the same application wrote";
    EXPECT_EQ(copy.GetArchivePath().getData(), QStringLiteral("/tmp/x.pwdc"));
    copy.SetData(kKey, 1);
    EXPECT_TRUE(written(archive)) << "a write through the copy is seen by the original";
    CDDArchive loading(false, ptPackage);
    loading.setBundleVersion(90);
    loading.BeginArrayData();
    loading = archive;
    EXPECT_TRUE(loading.isStoring() && loading.GetPackageType() == ptInline && loading.getDefComponent() == nullptr);
    EXPECT_EQ(loading.getBundleVersion(), 90);
    EXPECT_TRUE(loading.isArrayProcessing()) << "an assigned archive keeps its own list";
}

TEST(CDDArchiveTest, InProcessArchivesAndTheirChildrenCarryTheRunningVersion)
{
    CDDArchive written(true);
    written.SetData(key_BundleVersion);
    int version = 0;
    ASSERT_TRUE(written.GetData(key_BundleVersion, &version, CDDRanges::kInt));
    EXPECT_EQ(version, PWBundle::mainBundle().bundleVersion());
    CDDArchive child(true);
    child.SetData(kKey, 1);
    written.BeginArrayData();
    written.SetData(kKey, child);
    written.EndArrayData(QStringLiteral("List"));
    written.SetData(QStringLiteral("Child"), child);
    written.setStoring(false);
    // A file's archive is told its own version; everything read below it follows.
    written.setBundleVersion(72);
    CDDArchive list(false), single(false);
    ASSERT_TRUE(written.GetData(QStringLiteral("List"), list));
    ASSERT_TRUE(written.GetData(QStringLiteral("Child"), single));
    EXPECT_EQ(QList<int>({list.getBundleVersion(), list.objectAtIndexInArray(0).getBundleVersion(), single.getBundleVersion()}), QList<int>(3, 72));
    ASSERT_TRUE(single.GetData(kKey, &version, CDDRanges::kInt));
    EXPECT_EQ(version, 1);
}

} // namespace
