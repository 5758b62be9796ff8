// Every control of the inspector that stores a value, set by the user to each value it offers
// (each item, radio and check box, both ends of each field): the design saved and opened again
// reads without a word and holds that value. The values are written out here as numbers, never
// taken from the ranges the reader or the fields use.
#include "app/inspector/CAPropertiesController.h"
#include "app/inspector/CAInspectorPane.h"

#include "../canvas/CanvasEditsFixture.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/document/CFTAView.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>

using namespace Qt::StringLiterals;

namespace roundtrip {

enum class Target { Box, Bare, Text, Picture, Counter, FileField, Street, Panel };

// How the user sets the control: a click, Return after typing into a field, a key on a slider,
// or the item at an index of a pop-up chosen with the keyboard.
enum class Act { Click, Type, Key, Choose };

struct ControlValue
{
    const char *name;
    CAPropertiesController::Tab tab;
    Target target;
    // A control clicked first, to enable the one set (null for none).
    const char *first;
    const char *control;
    Act act;
    QString input;
    Qt::Key key;
    // The value the opened design holds, as read by value.
    QString expected;
    std::function<QString(CFTComponent *)> value;
};

void PrintTo(const ControlValue &row, std::ostream *out)
{
    *out << row.name;
}

QString number(double value)
{
    return QString::number(value, 'g', 10);
}

QString representation(CFTComponent *c) { return number(int(c->representationType())); }
QString alignment(CFTComponent *c) { return number(int(c->GetAlignment())); }
QString filled(CFTComponent *c) { return number(c->IsFilled()); }
QString stroked(CFTComponent *c) { return number(c->IsStroked()); }
QString flippedX(CFTComponent *c) { return number(c->IsFlipX()); }
QString flippedY(CFTComponent *c) { return number(c->IsFlipY()); }
QString lineWidth(CFTComponent *c) { return number(std::round(c->GetStrokeWidth() * 100.0) / 100.0); }
QString opacityPercent(CFTComponent *c) { return number(std::round(c->GetOpacity() * 100.0)); }
QString degrees(CFTComponent *c) { return number(std::round(c->GetAngle() * 180.0 / std::numbers::pi)); }
QString backColor(CFTComponent *c) { return number(c->GetHaveBackColor()); }
QString placing(CFTComponent *c) { return number(int(c->GetDataPlacing())); }
QString tileScale(CFTComponent *c) { return number(std::round(c->GetTileScale())); }
QString addressSource(CFTComponent *c) { return number(int(c->GetAddressType())); }
QString preferred(CFTComponent *c) { return number(c->IsPreferredAddress()); }
QString typeSize(CFTComponent *c)
{
    const std::optional<PWFont> font = c->GetFont(nullptr);
    return font ? number(font->pointSize()) : u"none"_s;
}
QString start(CFTComponent *c) { return number(static_cast<CFTCounterField *>(c)->GetStartNumber()); }
QString step(CFTComponent *c) { return number(static_cast<CFTCounterField *>(c)->GetIncrement()); }
QString digits(CFTComponent *c) { return number(static_cast<CFTCounterField *>(c)->GetZerosDigits()); }
QString leadingZeros(CFTComponent *c) { return number(static_cast<CFTCounterField *>(c)->IsLeadingZeros()); }
QString fieldsOfLine(CFTComponent *c) { return number(int(static_cast<CFTFileField *>(c)->GetCountFields())); }
QString column(CFTComponent *c) { return number(static_cast<CFTFileField *>(c)->GetNumberField()); }
QString barcode(CFTComponent *c)
{
    const auto *panel = static_cast<CFTAAddressPanel *>(c);
    return number(panel->IsBarcodeVisible()) + u' ' + number(panel->GetBarcodeLocation());
}

// A check box or radio is pressed as a user does with the keyboard, wherever its label ends; any
// other button is clicked.
void press(QAbstractButton *button)
{
    if (button->inherits("QCheckBox") || button->inherits("QRadioButton")) {
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Space);
    } else {
        QTest::mouseClick(button, Qt::LeftButton);
    }
}

class ValueRoundTripTest : public ::testing::TestWithParam<ControlValue>
{
};

TEST_P(ValueRoundTripTest, TheValueSetIsSavedAndReadBackWithoutAWord)
{
    const ControlValue &row = GetParam();
    CanvasEditsFixture canvas;
    canvas.counter->SetLeadingZeros(true);
    const std::unique_ptr<CAddressFormat> format =
        CAddressFormatController::sharedAddressFormatController().formatWithTemplate(u"Name+Company"_s, u"us"_s, false, 1);
    std::unique_ptr<CFTComponent> made = canvas.ftView().CreateAddressPanel(true, format.get());
    CFTComponent *panel = made.get();
    made->SetOrigin(20.0, 180.0);
    canvas.ftView().InsertComponent(made.release(), false);
    CFTComponent *const targets[] = {canvas.box,       canvas.bare,   canvas.text, canvas.picture,
                                     canvas.counter, canvas.fileField, canvas.street, panel};
    CFTComponent *target = targets[int(row.target)];

    CAPropertiesController *inspector = CAPropertiesController::sharedPropertiesController();
    inspector->showWindow();
    canvas.selectOnly(target);
    canvas.view.notifySelectionChanged();
    CAInspectorPane *pane = inspector->pane(row.tab);
    ASSERT_NE(pane, nullptr);
    if (row.first) {
        auto *button = pane->findChild<QAbstractButton *>(QString::fromLatin1(row.first));
        ASSERT_NE(button, nullptr);
        press(button);
    }
    QWidget *control = pane->findChild<QWidget *>(QString::fromLatin1(row.control));
    ASSERT_NE(control, nullptr) << row.control;
    ASSERT_TRUE(control->isEnabled()) << row.control;
    switch (row.act) {
    case Act::Click:
        press(static_cast<QAbstractButton *>(control));
        break;
    case Act::Type: {
        auto *edit = static_cast<QLineEdit *>(control);
        edit->selectAll();
        QTest::keyClicks(edit, row.input);
        QTest::keyClick(edit, Qt::Key_Return);
        break;
    }
    case Act::Key:
        control->setFocus();
        QTest::keyClick(control, row.key);
        break;
    case Act::Choose: {
        auto *popup = static_cast<QComboBox *>(control);
        popup->setFocus();
        QTest::keyClick(popup, Qt::Key_Home);
        // From the first item down to the one wanted; the last step is always a change.
        for (int i = 0; i < row.input.toInt(); ++i)
            QTest::keyClick(popup, Qt::Key_Down);
        if (row.input.toInt() == 0) {
            QTest::keyClick(popup, Qt::Key_Down);
            QTest::keyClick(popup, Qt::Key_Up);
        }
        break;
    }
    }

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(u"control.pwdc"_s);
    QString error;
    ASSERT_TRUE(canvas.document.writeToFile(path, &error)) << qPrintable(error);
    const int index = canvas.indexOf(target);
    ASSERT_GE(index, 0);
    EXPECT_EQ(row.value(target), row.expected) << "as set";
    CADocument reopened;
    ASSERT_TRUE(reopened.readFromFile(path, &error)) << qPrintable(error);
    EXPECT_EQ(reopened.readProblems().join(u'\n'), QString());
    const std::vector<CFTComponent *> &read = reopened.ftDocument()->GetComponents(0, false);
    ASSERT_LT(index, int(read.size()));
    EXPECT_EQ(row.value(read[size_t(index)]), row.expected) << "as read back";
    if (row.act != Act::Type)
        return;
    // The field of the opened design shows the number as it was taken, not one cut short by the
    // decimals the file keeps.
    CADocView shown;
    shown.setScreenResolution(72.0);
    shown.setDocument(&reopened);
    shown.ftView()->deselectAll();
    shown.ftView()->select(read[size_t(index)]);
    shown.notifySelectionChanged();
    EXPECT_EQ(static_cast<QLineEdit *>(control)->text(), row.expected) << "as shown again";
}

constexpr auto kFill = CAPropertiesController::FillTab;
constexpr auto kImage = CAPropertiesController::ImageTab;
constexpr auto kText = CAPropertiesController::TextTab;
constexpr auto kAddress = CAPropertiesController::AddressTab;
constexpr Qt::Key kNoKey = Qt::Key_unknown;

ControlValue click(const char *name, CAPropertiesController::Tab tab, Target target, const char *control, const char *expected,
                   std::function<QString(CFTComponent *)> value, const char *first = nullptr)
{
    return {name, tab, target, first, control, Act::Click, QString(), kNoKey, QString::fromLatin1(expected), std::move(value)};
}

ControlValue type(const char *name, CAPropertiesController::Tab tab, Target target, const char *control, const char *input,
                  const char *expected, std::function<QString(CFTComponent *)> value)
{
    return {name,          tab, target, nullptr, control, Act::Type, QString::fromLatin1(input), kNoKey,
            QString::fromLatin1(expected), std::move(value)};
}

ControlValue typeAfter(const char *name, CAPropertiesController::Tab tab, Target target, const char *first,
                       const char *control, const char *input, const char *expected,
                       std::function<QString(CFTComponent *)> value)
{
    return {name,          tab, target, first, control, Act::Type, QString::fromLatin1(input), kNoKey,
            QString::fromLatin1(expected), std::move(value)};
}

ControlValue key(const char *name, CAPropertiesController::Tab tab, Target target, const char *control, Qt::Key key,
                 const char *expected, std::function<QString(CFTComponent *)> value, const char *first = nullptr)
{
    return {name, tab, target, first, control, Act::Key, QString(), key, QString::fromLatin1(expected), std::move(value)};
}

ControlValue choose(const char *name, CAPropertiesController::Tab tab, Target target, const char *control, int item,
                    const char *expected, std::function<QString(CFTComponent *)> value)
{
    return {name,          tab, target, nullptr, control, Act::Choose, QString::number(item), kNoKey,
            QString::fromLatin1(expected), std::move(value)};
}

INSTANTIATE_TEST_SUITE_P(
    FillPane, ValueRoundTripTest,
    ::testing::Values(click("FillOff", kFill, Target::Box, "m_fillCheckbox", "0", filled),
                      click("FillOn", kFill, Target::Bare, "m_fillCheckbox", "1", filled),
                      click("LineOff", kFill, Target::Box, "m_lineCheckbox", "0", stroked),
                      click("LineOn", kFill, Target::Bare, "m_lineCheckbox", "1", stroked),
                      click("FlipX", kFill, Target::Box, "m_FlipXButton", "1", flippedX),
                      click("FlipY", kFill, Target::Box, "m_FlipYButton", "1", flippedY),
                      type("NoLine", kFill, Target::Box, "m_lineWidthTextField", "0", "0", lineWidth),
                      type("WidestLine", kFill, Target::Box, "m_lineWidthTextField", "40000", "40000", lineWidth),
                      type("Clear", kFill, Target::Box, "m_fillOpacityTextField", "0", "0", opacityPercent),
                      type("Opaque", kFill, Target::Box, "m_fillOpacityTextField", "100", "100", opacityPercent),
                      type("TurnedBack", kFill, Target::Box, "m_rotateEdit", "-180", "-180", degrees),
                      type("TurnedAnEighth", kFill, Target::Box, "m_rotateEdit", "45", "45", degrees),
                      type("HalfClear", kFill, Target::Box, "m_fillOpacityTextField", "57", "57", opacityPercent),
                      type("Turned", kFill, Target::Box, "m_rotateEdit", "180", "180", degrees),
                      key("SliderClear", kFill, Target::Box, "m_fillOpacitySlider", Qt::Key_Home, "0", opacityPercent),
                      key("SliderTurnedBack", kFill, Target::Box, "m_rotateSlider", Qt::Key_Home, "-180", degrees)),
    [](const auto &info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    ImagePane, ValueRoundTripTest,
    ::testing::Values(click("Tiled", kImage, Target::Picture, "m_TileCheckbox", "1", placing),
                      key("SmallestTiles", kImage, Target::Picture, "m_tileScaleSlider", Qt::Key_End, "61", tileScale,
                          "m_TileCheckbox"),
                      key("LargestTiles", kImage, Target::Picture, "m_tileScaleSlider", Qt::Key_Home, "487764", tileScale,
                          "m_TileCheckbox"),
                      key("PictureClear", kImage, Target::Picture, "m_imageOpacitySlider", Qt::Key_Home, "0", opacityPercent),
                      type("PictureTurned", kImage, Target::Picture, "m_imageRotateEdit", "-180", "-180", degrees),
                      type("PictureTurnedAnEighth", kImage, Target::Picture, "m_imageRotateEdit", "45", "45", degrees),
                      type("PictureTurnedBackward", kImage, Target::Picture, "m_imageRotateEdit", "-80", "-80", degrees),
                      click("PictureFlipX", kImage, Target::Picture, "m_imageFlipXButton", "1", flippedX),
                      click("PictureFlipY", kImage, Target::Picture, "m_imageFlipYButton", "1", flippedY)),
    [](const auto &info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    TextPane, ValueRoundTripTest,
    ::testing::Values(click("AlignLeft", kText, Target::Text, "m_alignLeft", "0", alignment, "m_alignRight"),
                      click("AlignCentre", kText, Target::Text, "m_alignCenter", "1", alignment),
                      click("AlignRight", kText, Target::Text, "m_alignRight", "2", alignment),
                      click("Capitals", kText, Target::Text, "m_capitalizeButton", "4", representation),
                      click("FieldCapitals", kText, Target::Street, "m_capitalizeButton", "4", representation),
                      click("Background", kText, Target::Text, "m_backColorCheckbox", "1", backColor),
                      type("SmallestType", kText, Target::Text, "m_textSizeTextField", "3", "3", typeSize),
                      type("LargestType", kText, Target::Text, "m_textSizeTextField", "1000", "1000", typeSize),
                      type("PastLargestType", kText, Target::Text, "m_textSizeTextField", "1001", "1000", typeSize),
                      key("SizeSliderTop", kText, Target::Text, "m_textSizeSlider", Qt::Key_End, "144", typeSize),
                      type("TextTurned", kText, Target::Text, "m_textRotateEdit", "180", "180", degrees),
                      type("TextTurnedBackward", kText, Target::Text, "m_textRotateEdit", "-80", "-80", degrees),
                      type("SmallestStart", kText, Target::Counter, "_startNumberEdit", "-2147483648", "-2147483648", start),
                      type("LargestStart", kText, Target::Counter, "_startNumberEdit", "2147483647", "2147483647", start),
                      type("SmallestStep", kText, Target::Counter, "_incrementEdit", "-2147483648", "-2147483648", step),
                      type("LargestStep", kText, Target::Counter, "_incrementEdit", "2147483647", "2147483647", step),
                      type("NoDigits", kText, Target::Counter, "_numberOfDigitsEdit", "0", "0", digits),
                      type("MostDigits", kText, Target::Counter, "_numberOfDigitsEdit", "64", "64", digits),
                      click("NoLeadingZeros", kText, Target::Counter, "_leadingZerosCheckbox", "0", leadingZeros),
                      click("OneField", kText, Target::FileField, "_oneFieldRadio", "1", fieldsOfLine),
                      click("WholeLine", kText, Target::FileField, "_wholeLineRadio", "0", fieldsOfLine, "_oneFieldRadio"),
                      typeAfter("FirstColumn", kText, Target::FileField, "_oneFieldRadio", "_numberFieldEdit", "1", "1", column),
                      typeAfter("LastColumn", kText, Target::FileField, "_oneFieldRadio", "_numberFieldEdit", "2147483647",
                                "2147483647", column),
                      choose("FieldMain", kText, Target::Street, "_textAddressSourceButton", 0, "0", addressSource),
                      choose("FieldWork", kText, Target::Street, "_textAddressSourceButton", 1, "1", addressSource),
                      choose("FieldHome", kText, Target::Street, "_textAddressSourceButton", 2, "2", addressSource),
                      choose("FieldOther", kText, Target::Street, "_textAddressSourceButton", 3, "3", addressSource)),
    [](const auto &info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    AddressPane, ValueRoundTripTest,
    ::testing::Values(click("PanelAlignLeft", kAddress, Target::Panel, "_alignLeft", "0", alignment, "_alignRight"),
                      click("PanelAlignCentre", kAddress, Target::Panel, "_alignCenter", "1", alignment),
                      click("PanelAlignRight", kAddress, Target::Panel, "_alignRight", "2", alignment),
                      click("PanelCapitals", kAddress, Target::Panel, "_capitalizeButton", "4", representation),
                      click("PanelBackground", kAddress, Target::Panel, "_backColorCheckbox", "1", backColor),
                      type("PanelSmallestType", kAddress, Target::Panel, "_textSizeTextField", "3", "3", typeSize),
                      type("PanelLargestType", kAddress, Target::Panel, "_textSizeTextField", "1000", "1000", typeSize),
                      choose("PanelMain", kAddress, Target::Panel, "_addressSourceButton", 0, "0", addressSource),
                      choose("PanelWork", kAddress, Target::Panel, "_addressSourceButton", 1, "1", addressSource),
                      choose("PanelHome", kAddress, Target::Panel, "_addressSourceButton", 2, "2", addressSource),
                      choose("PanelOther", kAddress, Target::Panel, "_addressSourceButton", 3, "3", addressSource),
                      click("PanelPreferred", kAddress, Target::Panel, "_preferredButton", "0", preferred),
                      click("BarcodeShown", kAddress, Target::Panel, "_barcodeCheckbox", "1 0", barcode),
                      click("BarcodeAbove", kAddress, Target::Panel, "_barcodeAbove", "1 0", barcode, "_barcodeCheckbox"),
                      click("BarcodeBelow", kAddress, Target::Panel, "_barcodeBelow", "1 1", barcode, "_barcodeCheckbox")),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace roundtrip
