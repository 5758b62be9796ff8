// Every number field of the inspector typed into at the ends of what it takes and just past them:
// the design saved and opened again holds what the field took, and its reading names nothing.
#include "app/inspector/CAInspectorPane.h"
#include "app/inspector/CAPropertiesController.h"
#include "app/canvas/CACanvasFormat.h"

#include "../canvas/CanvasEditsFixture.h"
#include "kernel/address/CFTCounterField.h"
#include "kernel/address/CFTFileField.h"
#include "kernel/base/CDDNumberRange.h"
#include "kernel/render/CDDText.h"

#include <QLineEdit>
#include <QLocale>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <numbers>

using namespace Qt::StringLiterals;

namespace {

enum class Target { Box, Text, Counter, FileField };

struct FieldCase
{
    const char *name;
    CAPropertiesController::Tab tab;
    Target target;
    const char *field;
    // Typed into a field, then Return; or a key pressed on a slider.
    QString typed;
    Qt::Key key;
    // What the field shows afterwards, and the number the design read back holds.
    QString shown;
    double readBack;
    std::function<double(CFTComponent *)> number;
};

double strokeWidth(CFTComponent *component)
{
    return component->GetStrokeWidth();
}

double opacity(CFTComponent *component)
{
    return component->GetOpacity();
}

// Whole degrees: a design keeps three decimals of the angle in radians.
double degrees(CFTComponent *component)
{
    return std::round(component->GetAngle() * 180.0 / std::numbers::pi);
}

double typeSize(CFTComponent *component)
{
    const std::optional<PWFont> font = component->GetFont(nullptr);
    return font ? font->pointSize() : -1.0;
}

double counterStart(CFTComponent *component)
{
    return static_cast<CFTCounterField *>(component)->GetStartNumber();
}

double counterStep(CFTComponent *component)
{
    return static_cast<CFTCounterField *>(component)->GetIncrement();
}

double counterDigits(CFTComponent *component)
{
    return static_cast<CFTCounterField *>(component)->GetZerosDigits();
}

double fileColumn(CFTComponent *component)
{
    return static_cast<CFTFileField *>(component)->GetNumberField();
}

QString shown(double value)
{
    return QLocale::c().toString(value, 'g', 6);
}

void PrintTo(const FieldCase &row, std::ostream *out)
{
    *out << row.name;
}

const QString kIntMax = QString::number(INT_MAX);
const QString kIntMin = QString::number(INT_MIN);
// The ends the design's reader sets.
const double kWidest = CDDRanges::kLength.highest;
const double kLargest = CDDRanges::kFontSize.highest;
const double kSmallest = std::max(CDDText::kMinFontSize, CDDRanges::kFontSize.lowest);
const int kDigits = CFTCounterField::kMaxDigitsCount;

class InspectorFieldRanges : public ::testing::TestWithParam<FieldCase>
{
};

TEST_P(InspectorFieldRanges, WhatAFieldTakesIsReadBackUnchanged)
{
    const FieldCase &row = GetParam();
    CanvasEditsFixture canvas;
    canvas.counter->SetLeadingZeros(true);
    canvas.fileField->SetCountFields(fieldsCount(1));
    CFTComponent *const targets[] = {canvas.box, canvas.text, canvas.counter, canvas.fileField};
    CFTComponent *target = targets[int(row.target)];
    CAPropertiesController *inspector = CAPropertiesController::sharedPropertiesController();
    inspector->showWindow();
    canvas.ftView().deselectAll();
    canvas.ftView().select(target);
    canvas.view.notifySelectionChanged();
    CAInspectorPane *pane = inspector->pane(row.tab);
    ASSERT_NE(pane, nullptr);

    if (auto *slider = pane->findChild<QSlider *>(QString::fromLatin1(row.field))) {
        ASSERT_TRUE(slider->isEnabled());
        slider->setFocus();
        QTest::keyClick(slider, row.key);
    } else {
        auto *edit = pane->findChild<QLineEdit *>(QString::fromLatin1(row.field));
        ASSERT_NE(edit, nullptr);
        ASSERT_TRUE(edit->isEnabled());
        edit->selectAll();
        QTest::keyClicks(edit, row.typed);
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_EQ(edit->text(), row.shown);
    }

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("field.pwdc"));
    QString error;
    ASSERT_TRUE(canvas.document.writeToFile(path, &error)) << qPrintable(error);
    CADocument reopened;
    ASSERT_TRUE(reopened.readFromFile(path, &error)) << qPrintable(error);
    EXPECT_EQ(reopened.readProblems().join(u'\n'), QString());
    const std::vector<CFTComponent *> &read = reopened.ftDocument()->GetComponents(0, false);
    const int index = canvas.indexOf(target);
    ASSERT_TRUE(index >= 0 && index < int(read.size()));
    EXPECT_NEAR(row.number(read[size_t(index)]), row.readBack, 1e-3);
}

const auto T = CAPropertiesController::TextTab;
const auto F = CAPropertiesController::FillTab;
constexpr Qt::Key kNone = Qt::Key_unknown;

INSTANTIATE_TEST_SUITE_P(
    Table, InspectorFieldRanges,
    ::testing::Values(
        FieldCase {"WidestLine", F, Target::Box, "m_lineWidthTextField", shown(kWidest), kNone, shown(kWidest), kWidest, strokeWidth},
        FieldCase {"NoLine", F, Target::Box, "m_lineWidthTextField", u"0"_s, kNone, u"0"_s, 0.0, strokeWidth},
        FieldCase {"PastWidestLine", F, Target::Box, "m_lineWidthTextField", shown(kWidest + 0.5), kNone, shown(kWidest), kWidest, strokeWidth},
        FieldCase {"BelowNoLine", F, Target::Box, "m_lineWidthTextField", u"-0.01"_s, kNone, u"1"_s, 1.0, strokeWidth},
        FieldCase {"Opaque", F, Target::Box, "m_fillOpacityTextField", u"100"_s, kNone, u"100"_s, 1.0, opacity},
        FieldCase {"Clear", F, Target::Box, "m_fillOpacityTextField", u"0"_s, kNone, u"0"_s, 0.0, opacity},
        FieldCase {"PastOpaque", F, Target::Box, "m_fillOpacityTextField", u"101"_s, kNone, u"100"_s, 1.0, opacity},
        FieldCase {"PastClear", F, Target::Box, "m_fillOpacityTextField", u"-1"_s, kNone, u"0"_s, 0.0, opacity},
        FieldCase {"HalfTurn", F, Target::Box, "m_rotateEdit", u"180"_s, kNone, u"180"_s, 180.0, degrees},
        FieldCase {"HalfTurnBack", F, Target::Box, "m_rotateEdit", u"-180"_s, kNone, u"-180"_s, -180.0, degrees},
        FieldCase {"PastHalfTurn", F, Target::Box, "m_rotateEdit", u"181"_s, kNone, u"-179"_s, -179.0, degrees},
        FieldCase {"TextHalfTurn", T, Target::Text, "m_textRotateEdit", u"180"_s, kNone, u"180"_s, 180.0, degrees},
        FieldCase {"TextPastHalfTurnBack", T, Target::Text, "m_textRotateEdit", u"-181"_s, kNone, u"179"_s, 179.0, degrees},
        FieldCase {"LargestType", T, Target::Text, "m_textSizeTextField", shown(kLargest), kNone, shown(kLargest), kLargest, typeSize},
        FieldCase {"SmallestType", T, Target::Text, "m_textSizeTextField", shown(kSmallest), kNone, shown(kSmallest), kSmallest, typeSize},
        FieldCase {"PastLargestType", T, Target::Text, "m_textSizeTextField", shown(kLargest + 0.5), kNone, shown(kLargest), kLargest, typeSize},
        FieldCase {"PastSmallestType", T, Target::Text, "m_textSizeTextField", shown(kSmallest - 0.1), kNone, shown(kSmallest), kSmallest, typeSize},
        FieldCase {"SizeSliderTop", T, Target::Text, "m_textSizeSlider", u""_s, Qt::Key_End, u""_s, 144.0, typeSize},
        FieldCase {"SizeSliderBottom", T, Target::Text, "m_textSizeSlider", u""_s, Qt::Key_Home, u""_s, 4.0, typeSize},
        FieldCase {"LargestStart", T, Target::Counter, "_startNumberEdit", kIntMax, kNone, kIntMax, INT_MAX, counterStart},
        FieldCase {"SmallestStart", T, Target::Counter, "_startNumberEdit", kIntMin, kNone, kIntMin, INT_MIN, counterStart},
        FieldCase {"PastLargestStart", T, Target::Counter, "_startNumberEdit", u"2147483648"_s, kNone, kIntMax, INT_MAX,
                   counterStart},
        FieldCase {"PastSmallestStart", T, Target::Counter, "_startNumberEdit", u"-2147483649"_s, kNone, kIntMin, INT_MIN,
                   counterStart},
        FieldCase {"LargestStep", T, Target::Counter, "_incrementEdit", kIntMax, kNone, kIntMax, INT_MAX, counterStep},
        FieldCase {"SmallestStep", T, Target::Counter, "_incrementEdit", kIntMin, kNone, kIntMin, INT_MIN, counterStep},
        FieldCase {"PastLargestStep", T, Target::Counter, "_incrementEdit", u"3e9"_s, kNone, kIntMax, INT_MAX, counterStep},
        FieldCase {"MostDigits", T, Target::Counter, "_numberOfDigitsEdit", shown(kDigits), kNone, shown(kDigits), kDigits, counterDigits},
        FieldCase {"NoDigits", T, Target::Counter, "_numberOfDigitsEdit", u"0"_s, kNone, u"0"_s, 0.0, counterDigits},
        FieldCase {"PastMostDigits", T, Target::Counter, "_numberOfDigitsEdit", shown(kDigits + 1), kNone, shown(kDigits), kDigits, counterDigits},
        FieldCase {"PastNoDigits", T, Target::Counter, "_numberOfDigitsEdit", u"-1"_s, kNone, u"0"_s, 0.0, counterDigits},
        FieldCase {"LastColumn", T, Target::FileField, "_numberFieldEdit", kIntMax, kNone, kIntMax, INT_MAX, fileColumn},
        FieldCase {"PastLastColumn", T, Target::FileField, "_numberFieldEdit", u"1e12"_s, kNone, kIntMax, INT_MAX,
                   fileColumn}),
    [](const ::testing::TestParamInfo<FieldCase> &info) { return std::string(info.param.name); });

// Bigger and Smaller step a text's size from the ends the size field takes: the design keeps to them.
TEST(InspectorFieldRanges, BiggerAndSmallerKeepATextWithinTheSizesItIsReadBackWith)
{
    const struct
    {
        double start;
        float step;
        double after;
    } rows[] = {{kLargest, 1.0f, kLargest}, {kLargest - 0.5, 1.0f, kLargest}, {kSmallest, -1.0f, kSmallest},
                {kLargest, 30.0f, kLargest}};
    for (const auto &row : rows) {
        SCOPED_TRACE(::testing::Message() << row.start << " by " << row.step);
        CanvasEditsFixture canvas;
        CAPropertiesController *inspector = CAPropertiesController::sharedPropertiesController();
        inspector->showWindow();
        canvas.selectOnly(canvas.text);
        canvas.view.notifySelectionChanged();
        auto *field = inspector->pane(T)->findChild<QLineEdit *>(u"m_textSizeTextField"_s);
        field->selectAll();
        QTest::keyClicks(field, shown(row.start));
        QTest::keyClick(field, Qt::Key_Return);
        ASSERT_NEAR(typeSize(canvas.text), row.start, 1e-3);
        CACanvasFormat::FontChange change;
        change.convertSize = true;
        change.size = row.step;
        canvas.view.format().changeFont(change);

        QTemporaryDir folder;
        ASSERT_TRUE(folder.isValid());
        const QString path = folder.filePath(u"sized.pwdc"_s);
        QString error;
        ASSERT_TRUE(canvas.document.writeToFile(path, &error)) << qPrintable(error);
        CADocument reopened;
        ASSERT_TRUE(reopened.readFromFile(path, &error)) << qPrintable(error);
        EXPECT_EQ(reopened.readProblems().join(u'\n'), QString());
        EXPECT_NEAR(typeSize(reopened.ftDocument()->GetComponents(0, false)[size_t(canvas.indexOf(canvas.text))]),
                    row.after, 1e-3);
    }
}

} // namespace
