#include "kernel/printing/CACalibrationSettings.h"

#include "platform/PWUserDefaults.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

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

static CACalibrationSettings settings(const char *h, const char *v, const char *scale, bool enabled)
{
    return CACalibrationSettings(QString::fromLatin1(h), QString::fromLatin1(v), QString::fromLatin1(scale), enabled);
}

TEST_F(CACalibrationSettingsTest, EntriesOfSeveralPrintersSurviveARestartAsTheSheetWroteThem)
{
    {
        PWUserDefaults defaults(storePath());
        CACalibrationSettings::storeForPrinter(defaults, QStringLiteral("Office"), settings("1.5", "-0.75", "2", true));
        CACalibrationSettings::storeForPrinter(defaults, QStringLiteral("Basement"), settings("0", "3", "", false));
        // Storing one printer again replaces only its own entry.
        CACalibrationSettings::storeForPrinter(defaults, QStringLiteral("Office"), settings("1.25", "-0.75", "2", true));
    }
    PWUserDefaults reread(storePath());
    const PWPlist stored = reread.objectForKey(QStringLiteral("FTCalibration"));
    EXPECT_EQ(stored.toDictionary().size(), 2);
    // Texts as typed.
    EXPECT_EQ(stored.value(QStringLiteral("Office")).value(QStringLiteral("FTCalibrationHorizontal")), PWPlist::fromString(QStringLiteral("1.25")));
    EXPECT_EQ(CACalibrationSettings::storedForPrinter(reread, QStringLiteral("Office")), settings("1.25", "-0.75", "2", true));
    const std::optional<CACalibrationSettings> basement = CACalibrationSettings::storedForPrinter(reread, QStringLiteral("Basement"));
    ASSERT_TRUE(basement.has_value());
    EXPECT_EQ(basement->scaleText(), QString());
    EXPECT_FLOAT_EQ(basement->scale(), 0.0f);
    // The working copy is written back whole.
    std::map<QString, CACalibrationSettings> all {{QStringLiteral("A"), settings("1", "2", "3", true)},
                                                  {QStringLiteral("B"), settings("4", "5", "6", false)}};
    CACalibrationSettings::setAllSettings(reread, all);
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
    const PWPlist::Dictionary numbers {
        {QStringLiteral("FTCalibrationHorizontal"), PWPlist::fromReal(-2.5)},
        {QStringLiteral("FTCalibrationVertical"), PWPlist::fromInteger(4)},
        {QStringLiteral("FTCalibrationScale"), PWPlist::fromString(QStringLiteral(" 1.5mm"))},
        {QStringLiteral("FTCalibrationScaleEnabled"), PWPlist::fromString(QStringLiteral("YES"))}};
    defaults.setObject(QStringLiteral("FTCalibration"),
                       PWPlist(PWPlist::Dictionary {{QStringLiteral("Broken"), PWPlist::fromInteger(3)},
                                                    {QStringLiteral("Numbers"), PWPlist(numbers)}}));
    EXPECT_FALSE(CACalibrationSettings::storedForPrinter(defaults, QStringLiteral("Broken")).has_value());
    EXPECT_EQ(CACalibrationSettings::allSettings(defaults).size(), 1u);
    const std::optional<CACalibrationSettings> read = CACalibrationSettings::storedForPrinter(defaults, QStringLiteral("Numbers"));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(QList<float>({read->horizontal(), read->vertical(), read->scale(), float(read->isScaleEnabled())}),
              QList<float>({-2.5f, 4.0f, 1.5f, 1.0f}));
    EXPECT_EQ(CACalibrationSettings().toDictionary(), CACalibrationSettings::fromDictionary(PWPlist()).toDictionary());
}

TEST(CACalibrationSettingsOffsetTest, OffsetsAreMillimetresAppliedOnlyAcrossSeveralColumnsOrRows)
{
    const CACalibrationSettings offsets = settings("10", "5", "0", false);
    // Upward on paper is toward smaller y on the page.
    EXPECT_EQ(QList<QPointF>({offsets.pageTranslation(3, 10) / kPointsPerMillimetre, offsets.pageTranslation(1, 10) / kPointsPerMillimetre,
                              offsets.pageTranslation(3, 1), offsets.pageTranslation(1, 1)}),
              QList<QPointF>({QPointF(10, -5), QPointF(0, -5), QPointF(10 * kPointsPerMillimetre, 0), QPointF(0, 0)}));
}

// Ten rows of one-inch labels: the span from the first row's bottom to the last row's top is
// 9 x 72 - 72 = 576 points. Readings of 2 mm and 1 mm differ by 1 mm = 2.8346 points.
TEST(CACalibrationScaleTest, FactorOnlyWhenItIsSound)
{
    const struct
    {
        const char *name;
        bool enabled;
        int rows;
        double rowPitch;
        const char *vertical, *scale;
        std::optional<double> expected;
    } cases[] = {{"MillimetresOverTheSpan", true, 10, 72, "1", "2", 1.0 - kPointsPerMillimetre / 576.0},
                 {"ThreeRowsAreEnough", true, 3, 72, "0", "1", 1.0 - kPointsPerMillimetre / 72.0},
                 {"SwitchedOff", false, 10, 72, "1", "2", std::nullopt},
                 {"TwoRows", true, 2, 72, "1", "2", std::nullopt},
                 {"SpanZero", true, 3, 36, "1", "2", std::nullopt},
                 {"FactorZero", true, 3, 216, "0", "127", std::nullopt},
                 {"NoReadingsMeansNoChange", true, 10, 72, "", "", 1.0}};
    for (const auto &c : cases) {
        const std::optional<double> factor = settings("0", c.vertical, c.scale, c.enabled).verticalScaleFactor(c.rows, c.rowPitch, 72);
        ASSERT_EQ(factor.has_value(), c.expected.has_value()) << c.name;
        EXPECT_NEAR(factor.value_or(0), c.expected.value_or(0), 1e-6) << c.name;
    }
}

// The sheet's working copy holds what it can show; writing it back keeps, as they were stored,
// entries that are no dictionaries and the entries of printers the user did not change, readings
// of the wrong form among them. A changed entry is written as the sheet has it.
TEST_F(CACalibrationSettingsTest, WritingTheWorkingCopyBackKeepsWhatItCouldNotHold)
{
    const PWPlist wrongForms[] = {
        PWPlist(PWPlist::Array {PWPlist::fromString(QStringLiteral("1"))}),
        PWPlist(PWPlist::Dictionary {{QStringLiteral("mm"), PWPlist::fromInteger(1)}}),
        PWPlist::fromData("1"),
        PWPlist::fromDate(QDateTime(QDate(2011, 1, 1), QTime(0, 0), Qt::UTC)),
    };
    for (const PWPlist &wrong : wrongForms) {
        SCOPED_TRACE(wrong.toXml().toStdString());
        PWUserDefaults defaults(storePath());
        const PWPlist odd(PWPlist::Dictionary {{QStringLiteral("FTCalibrationHorizontal"), wrong},
                                               {QStringLiteral("FTCalibrationVertical"), PWPlist::fromString(QStringLiteral("2"))}});
        const PWPlist::Dictionary stored {{QStringLiteral("Odd"), odd},
                                          {QStringLiteral("NoEntry"), wrong.isDictionary() ? PWPlist::fromInteger(3) : wrong},
                                          {QStringLiteral("Sound"), PWPlist(settings("1", "2", "3", true).toDictionary())}};
        defaults.setObject(QStringLiteral("FTCalibration"), PWPlist(stored));
        std::map<QString, CACalibrationSettings> all = CACalibrationSettings::allSettings(defaults);
        ASSERT_EQ(all.size(), 2u);
        // Read, the wrong form is no number and is named.
        const QStringList problems = all.at(QStringLiteral("Odd")).problems();
        ASSERT_EQ(problems.size(), 1);
        EXPECT_TRUE(problems.first().startsWith(QStringLiteral("the horizontal offset is stored as "))) << qPrintable(problems.first());
        EXPECT_FLOAT_EQ(all.at(QStringLiteral("Odd")).horizontal(), 0.0f);

        CACalibrationSettings::setAllSettings(defaults, all);
        EXPECT_EQ(PWUserDefaults(storePath()).objectForKey(QStringLiteral("FTCalibration")), PWPlist(stored));
        all[QStringLiteral("Odd")] = settings("4", "2", "0", false);
        CACalibrationSettings::setAllSettings(defaults, all);
        const PWPlist written = PWUserDefaults(storePath()).objectForKey(QStringLiteral("FTCalibration"));
        EXPECT_EQ(written.value(QStringLiteral("Odd")), PWPlist(settings("4", "2", "0", false).toDictionary()));
        EXPECT_EQ(written.value(QStringLiteral("NoEntry")), stored.value(QStringLiteral("NoEntry")));
    }
}
