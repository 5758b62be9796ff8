#include "kernel/printing/CACalibrationSettings.h"

#include "platform/PWUserDefaults.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

constexpr double kPointsPerMillimetre = 72.0 / 25.4;

class CACalibrationSettingsTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }

    QString storePath() const { return m_folder.filePath(QStringLiteral("defaults.plist")); }

    QTemporaryDir m_folder;
};

} // namespace

TEST_F(CACalibrationSettingsTest, EntriesOfSeveralPrintersSurviveARestartAsTheSheetWroteThem)
{
    {
        PWUserDefaults defaults(storePath());
        CACalibrationSettings::storeForPrinter(defaults, QStringLiteral("Office"),
                                               CACalibrationSettings(QStringLiteral("1.5"), QStringLiteral("-0.75"),
                                                                     QStringLiteral("2"), true));
        CACalibrationSettings::storeForPrinter(defaults, QStringLiteral("Basement"),
                                               CACalibrationSettings(QStringLiteral("0"), QStringLiteral("3"),
                                                                     QString(), false));
        // Storing one printer again replaces only its own entry.
        CACalibrationSettings::storeForPrinter(defaults, QStringLiteral("Office"),
                                               CACalibrationSettings(QStringLiteral("1.25"), QStringLiteral("-0.75"),
                                                                     QStringLiteral("2"), true));
    }
    PWUserDefaults reread(storePath());
    const PWPlist stored = reread.objectForKey(QStringLiteral("FTCalibration"));
    ASSERT_TRUE(stored.isDictionary());
    EXPECT_EQ(stored.toDictionary().size(), 2);
    // Texts as typed, the switch as a boolean.
    EXPECT_EQ(stored.value(QStringLiteral("Office")).value(QStringLiteral("FTCalibrationHorizontal")),
              PWPlist::fromString(QStringLiteral("1.25")));

    const std::optional<CACalibrationSettings> read = CACalibrationSettings::storedForPrinter(reread, QStringLiteral("Office"));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, CACalibrationSettings(QStringLiteral("1.25"), QStringLiteral("-0.75"), QStringLiteral("2"), true));
    const std::optional<CACalibrationSettings> basement =
        CACalibrationSettings::storedForPrinter(reread, QStringLiteral("Basement"));
    ASSERT_TRUE(basement.has_value());
    EXPECT_EQ(basement->scaleText(), QString());
    EXPECT_FLOAT_EQ(basement->scale(), 0.0f);
}

TEST_F(CACalibrationSettingsTest, WorkingCopyIsWrittenBackWhole)
{
    PWUserDefaults defaults(storePath());
    EXPECT_TRUE(CACalibrationSettings::allSettings(defaults).empty());
    std::map<QString, CACalibrationSettings> all;
    all[QStringLiteral("A")] = CACalibrationSettings(QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), true);
    all[QStringLiteral("B")] = CACalibrationSettings(QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6"), false);
    CACalibrationSettings::setAllSettings(defaults, all);
    EXPECT_EQ(CACalibrationSettings::allSettings(PWUserDefaults(storePath())), all);
}

TEST_F(CACalibrationSettingsTest, UnknownPrintersAndForeignValuesReadSafely)
{
    PWUserDefaults defaults(storePath());
    EXPECT_FALSE(CACalibrationSettings::storedForPrinter(defaults, QStringLiteral("Nobody")).has_value());
    // A default of the wrong kind, entries that are not dictionaries, and numbers or booleans
    // written where texts belong.
    defaults.setObject(QStringLiteral("FTCalibration"), PWPlist::fromString(QStringLiteral("garbage")));
    EXPECT_FALSE(CACalibrationSettings::storedForPrinter(defaults, QStringLiteral("Nobody")).has_value());
    EXPECT_TRUE(CACalibrationSettings::allSettings(defaults).empty());
    defaults.setObject(QStringLiteral("FTCalibration"),
                       PWPlist(PWPlist::Dictionary{
                           {QStringLiteral("Broken"), PWPlist::fromInteger(3)},
                           {QStringLiteral("Numbers"),
                            PWPlist(PWPlist::Dictionary{
                                {QStringLiteral("FTCalibrationHorizontal"), PWPlist::fromReal(-2.5)},
                                {QStringLiteral("FTCalibrationVertical"), PWPlist::fromInteger(4)},
                                {QStringLiteral("FTCalibrationScale"), PWPlist::fromString(QStringLiteral(" 1.5mm"))},
                                {QStringLiteral("FTCalibrationScaleEnabled"), PWPlist::fromString(QStringLiteral("YES"))}})}}));
    EXPECT_FALSE(CACalibrationSettings::storedForPrinter(defaults, QStringLiteral("Broken")).has_value());
    EXPECT_EQ(CACalibrationSettings::allSettings(defaults).size(), 1u);
    const std::optional<CACalibrationSettings> numbers =
        CACalibrationSettings::storedForPrinter(defaults, QStringLiteral("Numbers"));
    ASSERT_TRUE(numbers.has_value());
    EXPECT_FLOAT_EQ(numbers->horizontal(), -2.5f);
    EXPECT_FLOAT_EQ(numbers->vertical(), 4.0f);
    EXPECT_FLOAT_EQ(numbers->scale(), 1.5f);
    EXPECT_TRUE(numbers->isScaleEnabled());
    EXPECT_EQ(CACalibrationSettings().toDictionary(), CACalibrationSettings::fromDictionary(PWPlist()).toDictionary());
}

TEST(CACalibrationSettingsOffsetTest, OffsetsAreMillimetresAppliedOnlyAcrossSeveralColumnsOrRows)
{
    const CACalibrationSettings settings(QStringLiteral("10"), QStringLiteral("5"), QStringLiteral("0"), false);
    const QPointF both = settings.pageTranslation(3, 10);
    EXPECT_NEAR(both.x(), 10 * kPointsPerMillimetre, 1e-4);
    // Upward on paper is toward smaller y on the page.
    EXPECT_NEAR(both.y(), -5 * kPointsPerMillimetre, 1e-4);
    EXPECT_EQ(settings.pageTranslation(1, 10).x(), 0.0);
    EXPECT_NEAR(settings.pageTranslation(1, 10).y(), -5 * kPointsPerMillimetre, 1e-4);
    EXPECT_EQ(settings.pageTranslation(3, 1).y(), 0.0);
    EXPECT_EQ(settings.pageTranslation(1, 1), QPointF(0, 0));
}

struct ScaleCase
{
    std::string name;
    bool enabled;
    int rows;
    double rowPitch;
    double itemHeight;
    const char *vertical;
    const char *scale;
    std::optional<double> expected;
};

class CACalibrationScaleTest : public ::testing::TestWithParam<ScaleCase>
{
};

TEST_P(CACalibrationScaleTest, FactorOnlyWhenItIsSound)
{
    const ScaleCase c = GetParam();
    const CACalibrationSettings settings(QStringLiteral("0"), QString::fromLatin1(c.vertical),
                                         QString::fromLatin1(c.scale), c.enabled);
    const std::optional<double> factor = settings.verticalScaleFactor(c.rows, c.rowPitch, c.itemHeight);
    ASSERT_EQ(factor.has_value(), c.expected.has_value());
    if (factor) {
        EXPECT_NEAR(*factor, *c.expected, 1e-6);
    }
}

// Ten rows of one-inch labels: the span from the first row's bottom to the last row's top is
// 9 x 72 - 72 = 576 points. Readings of 2 mm and 1 mm differ by 1 mm = 2.8346 points.
INSTANTIATE_TEST_SUITE_P(
    Cases, CACalibrationScaleTest,
    ::testing::Values(
        ScaleCase { "MillimetresOverTheSpan", true, 10, 72, 72, "1", "2", 1.0 - kPointsPerMillimetre / 576.0 },
        ScaleCase { "ThreeRowsAreEnough", true, 3, 72, 72, "0", "1", 1.0 - kPointsPerMillimetre / 72.0 },
        ScaleCase { "SwitchedOff", false, 10, 72, 72, "1", "2", std::nullopt },
        ScaleCase { "TwoRows", true, 2, 72, 72, "1", "2", std::nullopt },
        ScaleCase { "SpanZero", true, 3, 36, 72, "1", "2", std::nullopt },
        ScaleCase { "FactorZero", true, 3, 216, 72, "0", "127", std::nullopt },
        ScaleCase { "NoReadingsMeansNoChange", true, 10, 72, 72, "", "", 1.0 }),
    [](const ::testing::TestParamInfo<ScaleCase> &info) { return info.param.name; });
