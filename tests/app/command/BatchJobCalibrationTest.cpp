// A label sheet printed by the batch with the printer calibration the settings hold: a reading the
// calibration sheet could take moves the print by it; one it could not take (past its range, not a
// number at all) is named, the page is printed as if it were 0, and the job fails after writing.
#include "TestSupport.h"
#include "ProgramRunSupport.h"

#include "kernel/merge/CADocument.h"
#include "kernel/printing/CACalibrationSettings.h"
#include "kernel/render/CDDText.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWUserDefaults.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <poppler-qt6.h>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

using commandtest::ProgramRun;
using commandtest::runProgram;

constexpr double kPointsPerMillimetre = 72.0 / 25.4;

// The horizontal extent of the words "Mark" on the PDF's first page; empty when it has none.
std::optional<std::pair<double, double>> markExtent(const QString &pdf)
{
    const std::unique_ptr<Poppler::Document> document = Poppler::Document::load(pdf);
    if (!document || document->numPages() < 1)
        return std::nullopt;
    std::optional<std::pair<double, double>> extent;
    for (const std::unique_ptr<Poppler::TextBox> &box : document->page(0)->textList()) {
        if (box->text() != u"Mark"_s)
            continue;
        const double x = box->boundingBox().left();
        extent = extent ? std::pair(std::min(extent->first, x), std::max(extent->second, x)) : std::pair(x, x);
    }
    return extent;
}

class BatchJobCalibrationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        QString error;
        ASSERT_TRUE(commandtest::writeBlankDesign(path(u"sheet.pwdc"_s), &error)) << qPrintable(error);
        CADocument document;
        ASSERT_TRUE(document.readFromFile(path(u"sheet.pwdc"_s), &error)) << qPrintable(error);
        auto *text = new CFTAText(20.0, 10.0, 80.0, 20.0, nullptr);
        text->GetText()->setString(u"Mark"_s, nullptr);
        document.ftDocument()->AddObject(text, 0, false);
        ASSERT_GT(document.ftDocument()->GetColCount(), 1);
        ASSERT_GT(document.ftDocument()->GetRowCount(), 2);
        ASSERT_TRUE(document.writeToFile(path(u"sheet.pwdc"_s), &error)) << qPrintable(error);
    }
    void TearDown() override
    {
        PWUserDefaults::standardUserDefaults().removeObject(CACalibrationSettings::kDefaultsKey);
        PWUserDefaults::standardUserDefaults().synchronize();
    }

    QString path(const QString &name) const { return m_folder.filePath(name); }

    ProgramRun print()
    {
        QFile::remove(path(u"out.pdf"_s));
        return runProgram({u"--print"_s, path(u"sheet.pwdc"_s), u"--output"_s, path(u"out.pdf"_s)});
    }

    QTemporaryDir m_folder;
};

TEST_F(BatchJobCalibrationTest, AReadingTheSheetCouldNotTakeIsNamedAndNotApplied)
{
    // A PDF has no printer: the job reads the entry of the design's printer, which has no name.
    const ProgramRun plain = print();
    ASSERT_EQ(plain.status, 0) << qPrintable(plain.err);
    const std::optional<std::pair<double, double>> unmoved = markExtent(path(u"out.pdf"_s));
    ASSERT_TRUE(unmoved.has_value());

    const CDDNumberRange range = CACalibrationSettings::kReadingRanges[CACalibrationSettings::Horizontal].millimetres;
    const QString top = QString::number(range.highest);
    const QString bottom = QString::number(range.lowest);
    const struct
    {
        const char *name;
        CACalibrationSettings settings;
        // Millimetres the print moves right; what the job names (nothing: it succeeds).
        double moved;
        QString named;
    } rows[] = {
        {"right edge", {top, u"0"_s, u"0"_s, false}, range.highest, {}},
        {"left edge", {bottom, u"0"_s, u"0"_s, false}, range.lowest, {}},
        {"past the right edge", {QString::number(range.highest + 0.1), u"0"_s, u"0"_s, false}, 0.0, u"horizontal offset"_s},
        {"past the left edge", {QString::number(range.lowest - 0.1), u"0"_s, u"0"_s, false}, 0.0, u"horizontal offset"_s},
        {"off the page", {u"1e7"_s, u"0"_s, u"0"_s, false}, 0.0, u"horizontal offset"_s},
        {"no float holds it", {u"1e30"_s, u"0"_s, u"0"_s, false}, 0.0, u"horizontal offset"_s},
        {"not a number", {u"nan"_s, u"0"_s, u"0"_s, false}, 0.0, u"horizontal offset"_s},
        {"infinite", {u"-inf"_s, u"0"_s, u"0"_s, false}, 0.0, u"horizontal offset"_s},
        {"words", {u"left a bit"_s, u"0"_s, u"0"_s, false}, 0.0, u"horizontal offset"_s},
        {"vertical edge", {u"0"_s, top, u"0"_s, false}, 0.0, {}},
        {"past the vertical edge", {u"0"_s, QString::number(range.highest + 0.1), u"0"_s, false}, 0.0, u"vertical offset"_s},
        {"scale past its edge", {u"0"_s, u"0"_s, u"1e30"_s, true}, 0.0, u"scale reading"_s},
        // A scale that does not apply is never read.
        {"scale off", {u"0"_s, u"0"_s, u"1e30"_s, false}, 0.0, {}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        CACalibrationSettings::storeForPrinter(PWUserDefaults::standardUserDefaults(), QString(), row.settings);
        const ProgramRun run = print();
        EXPECT_EQ(run.status, row.named.isEmpty() ? 0 : 1) << qPrintable(run.err);
        EXPECT_EQ(run.err.contains(u"calibration"_s), !row.named.isEmpty()) << qPrintable(run.err);
        EXPECT_TRUE(run.err.contains(row.named)) << qPrintable(run.err);
        const std::optional<std::pair<double, double>> extent = markExtent(path(u"out.pdf"_s));
        ASSERT_TRUE(extent.has_value());
        // The column on the side the print moves away from stays on the page.
        const double shift = row.moved * kPointsPerMillimetre;
        const double moved = shift >= 0.0 ? extent->first - unmoved->first : extent->second - unmoved->second;
        EXPECT_NEAR(moved, shift, 0.5);
    }
}

// A calibration stored in a form no sheet writes (a reading that is a list, an entry or the whole
// set that is no dictionary) moves nothing; the job names it and fails after writing, as it does
// for a reading out of its range.
TEST_F(BatchJobCalibrationTest, ACalibrationOfTheWrongFormIsNamedAndNotApplied)
{
    const PWPlist list(PWPlist::Array {PWPlist::fromString(u"12"_s)});
    const PWPlist dictionary(PWPlist::Dictionary {{u"mm"_s, PWPlist::fromString(u"12"_s)}});
    const PWPlist data = PWPlist::fromData("12");
    const PWPlist date = PWPlist::fromDate(QDateTime(QDate(2012, 12, 12), QTime(12, 0), Qt::UTC));
    const auto entry = [](const QString &key, const PWPlist &value) {
        PWPlist::Dictionary readings {{CACalibrationSettings::kHorizontalKey, PWPlist::fromString(u"0"_s)},
                                      {CACalibrationSettings::kVerticalKey, PWPlist::fromString(u"0"_s)},
                                      {CACalibrationSettings::kScaleKey, PWPlist::fromString(u"0"_s)},
                                      {CACalibrationSettings::kScaleEnabledKey, PWPlist::fromBool(true)}};
        readings.insert(key, value);
        return PWPlist(PWPlist::Dictionary {{QString(), PWPlist(readings)}});
    };
    const struct
    {
        const char *name;
        PWPlist stored; // under "FTCalibration"; null: nothing
        QString named;  // empty: the job succeeds
    } rows[] = {
        {"none", PWPlist(), {}},
        {"a sound entry", entry(CACalibrationSettings::kHorizontalKey, PWPlist::fromString(u"0"_s)), {}},
        {"horizontal a list", entry(CACalibrationSettings::kHorizontalKey, list), u"horizontal offset is stored as a list"_s},
        {"horizontal a dictionary", entry(CACalibrationSettings::kHorizontalKey, dictionary),
         u"horizontal offset is stored as a dictionary"_s},
        {"vertical data", entry(CACalibrationSettings::kVerticalKey, data), u"vertical offset is stored as data"_s},
        {"scale a date", entry(CACalibrationSettings::kScaleKey, date), u"scale reading is stored as a date"_s},
        {"the entry a list", PWPlist(PWPlist::Dictionary {{QString(), list}}), u"it is stored as a list, not as a dictionary"_s},
        {"the entry a text", PWPlist(PWPlist::Dictionary {{QString(), PWPlist::fromString(u"12"_s)}}),
         u"it is stored as a text, not as a dictionary"_s},
        {"the entry a number", PWPlist(PWPlist::Dictionary {{QString(), PWPlist::fromInteger(12)}}),
         u"it is stored as a number, not as a dictionary"_s},
        {"every entry a list", list, u"the printer calibrations are stored as a list"_s},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        if (row.stored.isNull())
            PWUserDefaults::standardUserDefaults().removeObject(CACalibrationSettings::kDefaultsKey);
        else
            PWUserDefaults::standardUserDefaults().setObject(CACalibrationSettings::kDefaultsKey, row.stored);
        const ProgramRun run = print();
        EXPECT_EQ(run.status, row.named.isEmpty() ? 0 : 1) << qPrintable(run.err);
        EXPECT_EQ(run.err.contains(u"calibration"_s), !row.named.isEmpty()) << qPrintable(run.err);
        EXPECT_TRUE(run.err.contains(row.named)) << qPrintable(run.err);
        EXPECT_TRUE(markExtent(path(u"out.pdf"_s)).has_value()) << "the job is written all the same";
    }
}

} // namespace
