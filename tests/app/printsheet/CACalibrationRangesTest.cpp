// Each reading of the calibration sheet typed at the ends of what it takes and just past them:
// what OK stores is what the printing applies, with nothing named.
#include "app/printsheet/CACalibrationController.h"

#include "PrintSheetTestSupport.h"

#include "kernel/merge/CADocument.h"
#include "kernel/printing/CACalibrationSettings.h"
#include "platform/PWUserDefaults.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString edge(double value, double step = 0.0)
{
    return QString::number(value + step, 'f', 1);
}

TEST(CalibrationSheetRanges, WhatAReadingTakesIsAppliedAndNothingPastItIsStored)
{
    using Settings = CACalibrationSettings;
    const struct
    {
        const char *field;
        Settings::Reading reading;
        // Past the end when step is not 0: the field keeps to the end.
        double end;
        double step;
    } rows[] = {
        {"_horizontalEdit", Settings::Horizontal, Settings::kReadingRanges[Settings::Horizontal].millimetres.highest, 0.0},
        {"_horizontalEdit", Settings::Horizontal, Settings::kReadingRanges[Settings::Horizontal].millimetres.lowest, 0.0},
        {"_horizontalEdit", Settings::Horizontal, Settings::kReadingRanges[Settings::Horizontal].millimetres.highest, 0.1},
        {"_horizontalEdit", Settings::Horizontal, Settings::kReadingRanges[Settings::Horizontal].millimetres.lowest, -0.1},
        {"_verticalEdit", Settings::Vertical, Settings::kReadingRanges[Settings::Vertical].millimetres.highest, 0.1},
        {"_verticalEdit", Settings::Vertical, Settings::kReadingRanges[Settings::Vertical].millimetres.lowest, -0.1},
        {"_scaleEdit", Settings::Scale, Settings::kReadingRanges[Settings::Scale].millimetres.highest, 0.1},
        {"_scaleEdit", Settings::Scale, Settings::kReadingRanges[Settings::Scale].millimetres.lowest, -0.1},
    };
    const std::shared_ptr<CADocument> document = printsheettest::design(dtLabel);
    ASSERT_GT(document->ftDocument()->GetRowCount(), 2) << "the scale needs three rows";
    for (const auto &row : rows) {
        SCOPED_TRACE(::testing::Message() << row.field << " " << edge(row.end, row.step).toStdString());
        PWUserDefaults::standardUserDefaults().removeObject(Settings::kDefaultsKey);
        CACalibrationController sheet(*document, {u"Office"_s});
        sheet.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&sheet));
        auto *scaleCheck = sheet.findChild<QCheckBox *>(u"_scaleCheck"_s);
        ASSERT_TRUE(scaleCheck && scaleCheck->isEnabled());
        scaleCheck->setChecked(true);
        auto *box = sheet.findChild<QDoubleSpinBox *>(QString::fromLatin1(row.field));
        ASSERT_TRUE(box && box->isEnabled());
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, edge(row.end, row.step));
        QTest::mouseClick(sheet.findChild<QPushButton *>(u"_okButton"_s), Qt::LeftButton);
        ASSERT_EQ(sheet.result(), CACalibrationController::OK);

        const std::optional<Settings> stored =
            Settings::storedForPrinter(PWUserDefaults::standardUserDefaults(), u"Office"_s);
        ASSERT_TRUE(stored);
        EXPECT_EQ(stored->problems().join(u'\n'), QString());
        const float applied = row.reading == Settings::Horizontal ? stored->horizontal()
                              : row.reading == Settings::Vertical ? stored->vertical()
                                                                  : stored->scale();
        EXPECT_FLOAT_EQ(applied, float(row.end));
    }
    PWUserDefaults::standardUserDefaults().removeObject(Settings::kDefaultsKey);
}

} // namespace
