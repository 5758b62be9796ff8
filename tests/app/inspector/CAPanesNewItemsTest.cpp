// The Inspector's panes in a design window: with nothing selected they show, and set, what new
// items get, never a selection gone; a text made a counter keeps its look and offers no person's
// field; a width typed for a shape whose line is off leaves the line off; and what is typed into
// a number field and is no number is refused, the field showing its value again.
#include "PanesWindowFixture.h"

#include "app/inspector/CAColorWell.h"
#include "kernel/address/CFTCounterField.h"
#include "kernel/address/CFTFileField.h"
#include "kernel/component/CFTDefComponentBox.h"
#include "kernel/component/CFTDefComponentText.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTBoxField.h"
#include "platform/PWImage.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QImage>
#include <QSlider>
#include <QToolButton>

#include <functional>
#include <map>
#include <string>

namespace {

CDDColor textColorOfText(CFTComponent *component)
{
    CDDColor color;
    if (CDDText *text = component->GetText())
        text->getTextColor(color);
    return color;
}

bool sameColor(const CDDColor &a, const QColor &b)
{
    const QColor shown = a.toQColor();
    return shown.red() == b.red() && shown.green() == b.green() && shown.blue() == b.blue();
}

struct NewItemsColorCase
{
    const char *name;
    const char *tool; // the View menu's tool in hand
    CAPropertiesController::Tab tab;
    const char *well;
    std::function<CDDColor(CFTAView &)> given; // the colour new items get
};

void PrintTo(const NewItemsColorCase &row, std::ostream *out)
{
    *out << row.name;
}

class CANewItemsColorTest : public paneswindow::Test, public ::testing::WithParamInterface<NewItemsColorCase>
{
};

TEST_P(CANewItemsColorTest, AColourPickedWithNothingSelectedIsWhatNewItemsGet)
{
    const NewItemsColorCase &row = GetParam();
    ASSERT_TRUE(start());
    ASSERT_TRUE(addRecipientPanel());
    click(nullptr);
    ASSERT_TRUE(choose(row.tool));
    ASSERT_TRUE(canvas->ftView()->getSelComponents().empty());
    ASSERT_EQ(inspector->tabView()->currentIndex(), int(row.tab));
    forgetHistory();
    const QByteArray before = bytes();

    auto *well = control<CAColorWell>(row.tab, row.well);
    ASSERT_TRUE(well && well->isEnabled()) << "what new items get can be picked";
    press(well);
    ASSERT_TRUE(well->isActive());
    const QColor picked = well->color() == QColor(200, 40, 30) ? QColor(30, 40, 200) : QColor(200, 40, 30);
    CAColorWell::colorPanel()->setCurrentColor(picked);
    QApplication::processEvents();
    well->deactivate();

    EXPECT_TRUE(sameColor(row.given(*canvas->ftView()), picked)) << "new items get the colour";
    EXPECT_FALSE(canvas->document()->undoManager()->canUndo()) << "no step for what no object has";
    // The design saves what new items get: it changed, and is marked so; never marked without it.
    const bool changed = bytes() != before;
    EXPECT_TRUE(changed);
    EXPECT_EQ(edited(), changed);
    // Shown again with nothing selected, the pane shows the colour picked.
    click(nullptr);
    EXPECT_EQ(well->color().rgb(), picked.rgb());
}

INSTANTIATE_TEST_SUITE_P(
    Table, CANewItemsColorTest,
    ::testing::Values(
        NewItemsColorCase {"AddressPaneText", "selectMode", CAPropertiesController::AddressTab, "_textColorWell",
                           [](CFTAView &view) { return textColorOfText(view.defText()); }},
        NewItemsColorCase {"AddressPaneBackground", "selectMode", CAPropertiesController::AddressTab, "_backColorWell",
                           [](CFTAView &view) { return *view.defText()->GetFillColor(); }},
        NewItemsColorCase {"TextPaneText", "textMode", CAPropertiesController::TextTab, "m_textColorWell",
                           [](CFTAView &view) { return textColorOfText(view.defText()); }},
        NewItemsColorCase {"TextPaneBackground", "textMode", CAPropertiesController::TextTab, "m_backColorWell",
                           [](CFTAView &view) { return *view.defText()->GetFillColor(); }}),
    [](const ::testing::TestParamInfo<NewItemsColorCase> &info) { return std::string(info.param.name); });

// A panel's own settings changed, then nothing selected: the Address pane shows what a new panel
// starts with, not the panel's.
class CAAddressPaneNothingSelectedTest : public paneswindow::Test
{
};

TEST_F(CAAddressPaneNothingSelectedTest, ShowsWhatANewPanelStartsWithNotTheLastPanelsSettings)
{
    ASSERT_TRUE(start());
    CFTAAddressPanel *panel = addRecipientPanel();
    ASSERT_TRUE(panel);
    click(panel);
    const auto tab = CAPropertiesController::AddressTab;
    auto *source = control<QComboBox>(tab, "_addressSourceButton");
    auto *preferred = control<QCheckBox>(tab, "_preferredButton");
    auto *showAll = control<QCheckBox>(tab, "_showAllFieldsButton");
    const QString fresh = source->currentText();
    const bool freshPreferred = preferred->isChecked();
    // Every panel setting of the pane moved away from what the new panel has.
    source->setFocus();
    const int other = source->currentIndex() == 2 ? 3 : 2;
    QTest::keyClick(source, other > source->currentIndex() ? Qt::Key_Down : Qt::Key_Up);
    while (source->currentIndex() != other)
        QTest::keyClick(source, other > source->currentIndex() ? Qt::Key_Down : Qt::Key_Up);
    press(preferred);
    if (!showAll->isChecked())
        press(showAll);
    click(panel);
    ASSERT_NE(source->currentText(), fresh);
    ASSERT_NE(preferred->isChecked(), freshPreferred);

    click(nullptr);
    const struct
    {
        const char *control;
        bool shown;
        bool wanted;
    } rows[] = {
        {"address source", source->currentText() == fresh, true},
        {"preferred", preferred->isChecked(), freshPreferred},
        {"show all", showAll->isChecked(), false},
        {"show barcode", control<QCheckBox>(tab, "_barcodeCheckbox")->isChecked(), false},
        {"fields listed", control<QToolButton>(tab, "_fieldsListButton")->menu()->actions().isEmpty(), true},
    };
    for (const auto &row : rows)
        EXPECT_EQ(row.shown, row.wanted) << row.control;
    for (const char *name : {"_addressSourceButton", "_preferredButton", "_showAllFieldsButton", "_fieldsListButton"})
        EXPECT_FALSE(control<QWidget>(tab, name)->isEnabled()) << name;
}

// A plain text made a counter or a file field from the Text pane's Shows menu keeps its size and
// colour, and the pane shows them; the field of a person is offered for person fields only.
struct KindChangeCase
{
    const char *name;
    int shows; // the data type chosen: 25 counter, 26 file data, 128 simple text, -1 person field
    bool personField;
};

void PrintTo(const KindChangeCase &row, std::ostream *out)
{
    *out << row.name;
}

class CAKindChangeTest : public paneswindow::Test, public ::testing::WithParamInterface<KindChangeCase>
{
};

TEST_P(CAKindChangeTest, AChangedKindKeepsItsLookAndOffersOnlyWhatItHas)
{
    const KindChangeCase &row = GetParam();
    ASSERT_TRUE(start(dtEnvelope));
    const CDDString label(u"Text"_s);
    auto *text = new CFTAAddressText(30.0, 30.0, tcSimpleText, &label, canvas->ftView()->defText());
    text->SetString(CDDString(u"Hello"_s));
    const CDDColor red(0.8f, 0.1f, 0.1f, 1.0f);
    text->SetTextColor(&red);
    text->SetFontSize(8.0);
    canvas->document()->ftDocument()->AddObject(text, 0, false);
    paint();
    forgetHistory();
    click(text);
    const auto tab = CAPropertiesController::TextTab;
    ASSERT_EQ(inspector->tabView()->currentIndex(), int(tab));
    auto *shows = control<QComboBox>(tab, "_dataTypePopup");
    auto *size = control<QLineEdit>(tab, "m_textSizeTextField");
    auto *well = control<CAColorWell>(tab, "m_textColorWell");
    ASSERT_EQ(size->text(), u"8"_s);

    shows->setFocus();
    const int index = shows->findData(row.shows);
    ASSERT_GE(index, 0);
    while (shows->currentIndex() != index)
        QTest::keyClick(shows, shows->currentIndex() < index ? Qt::Key_Down : Qt::Key_Up);
    paint();
    ASSERT_EQ(canvas->ftView()->getSelComponents().size(), 1u);
    CFTComponent *made = canvas->ftView()->getSelComponents().front();
    EXPECT_EQ(int(made->GetTextCategory()), row.shows == -1 ? int(tcFirstName) : row.shows);

    const std::optional<PWFont> font = made->GetFont(nullptr);
    ASSERT_TRUE(font);
    EXPECT_DOUBLE_EQ(font->pointSize(), 8.0) << "the size it had";
    EXPECT_TRUE(sameColor(textColorOfText(made), red.toQColor())) << "drawn in the colour it had";
    EXPECT_EQ(size->text(), u"8"_s) << "the pane's size";
    EXPECT_EQ(well->color().rgb(), red.toQColor().rgb()) << "the pane's text colour";
    auto *field = control<QToolButton>(tab, "_categoryPopup");
    EXPECT_EQ(field->isEnabled(), row.personField);
    EXPECT_EQ(!field->text().isEmpty(), row.personField) << field->text().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Table, CAKindChangeTest,
                         ::testing::Values(KindChangeCase {"Counter", 25, false}, KindChangeCase {"FileData", 26, false},
                                           KindChangeCase {"PersonField", -1, true}),
                         [](const ::testing::TestParamInfo<KindChangeCase> &info) {
                             return std::string(info.param.name);
                         });

// A line width typed or slid for shapes whose line is off leaves their line off, and new shapes'
// line as it was; it is the width they show once the line is turned on.
struct LineOffCase
{
    const char *name;
    const char *control;
    const char *typed; // empty: one step of the slider up
    double width;
};

void PrintTo(const LineOffCase &row, std::ostream *out)
{
    *out << row.name;
}

class CALineWidthLineOffTest : public paneswindow::Test, public ::testing::WithParamInterface<LineOffCase>
{
};

TEST_P(CALineWidthLineOffTest, AWidthNeverTurnsALineOn)
{
    const LineOffCase &row = GetParam();
    ASSERT_TRUE(start());
    auto *shape = new CFTBoxField(120.0, 20.0, 40.0, 30.0, nullptr);
    shape->SetFilled(true);
    shape->SetStroked(false);
    canvas->document()->ftDocument()->AddObject(shape, 0, false);
    CFTDefComponentBox *defaults = canvas->ftView()->defBox();
    defaults->SetStroked(false);
    paint();
    forgetHistory();
    click(shape);
    const auto tab = CAPropertiesController::FillTab;
    ASSERT_EQ(inspector->tabView()->currentIndex(), int(tab));
    ASSERT_FALSE(control<QCheckBox>(tab, "m_lineCheckbox")->isChecked());
    if (QString::fromLatin1(row.typed).isEmpty()) {
        auto *slider = control<QSlider>(tab, row.control);
        slider->setFocus();
        QTest::keyClick(slider, Qt::Key_Right);
    } else {
        type(control<QLineEdit>(tab, row.control), QString::fromLatin1(row.typed));
    }
    EXPECT_FALSE(shape->IsStroked()) << "the shape's line stays off";
    EXPECT_FALSE(control<QCheckBox>(tab, "m_lineCheckbox")->isChecked());
    EXPECT_FALSE(defaults->IsStroked()) << "new shapes' line stays off";
    EXPECT_DOUBLE_EQ(shape->GetStrokeWidth(), row.width);
    press(control<QCheckBox>(tab, "m_lineCheckbox"));
    EXPECT_TRUE(shape->IsStroked());
    EXPECT_DOUBLE_EQ(shape->GetStrokeWidth(), row.width) << "the width shown once the line is on";
    ASSERT_TRUE(choose("undo"));
    ASSERT_TRUE(choose("undo"));
    EXPECT_FALSE(shape->IsStroked());
    EXPECT_DOUBLE_EQ(shape->GetStrokeWidth(), 1.0);
}

INSTANTIATE_TEST_SUITE_P(Table, CALineWidthLineOffTest,
                         ::testing::Values(LineOffCase {"Typed", "m_lineWidthTextField", "3.5", 3.5},
                                           LineOffCase {"Slid", "m_lineWidthSlider", "", 2.0}),
                         [](const ::testing::TestParamInfo<LineOffCase> &info) { return std::string(info.param.name); });

// Every number field of the panes refuses what is no number: nothing reaches the design, and the
// field shows again what it showed.
struct JunkCase
{
    const char *name;
    CAPropertiesController::Tab tab;
    const char *field;
    const char *selected; // the kind of object the pane shows
    const char *typed;
};

void PrintTo(const JunkCase &row, std::ostream *out)
{
    *out << row.name;
}

class CAJunkNumberTest : public paneswindow::Test, public ::testing::WithParamInterface<JunkCase>
{
};

TEST_P(CAJunkNumberTest, WhatIsNoNumberIsRefusedAndTheFieldShowsItsValueAgain)
{
    const JunkCase &row = GetParam();
    ASSERT_TRUE(start(dtEnvelope));
    CFTADocument *design = canvas->document()->ftDocument();
    auto *shape = new CFTBoxField(460.0, 20.0, 40.0, 30.0, nullptr);
    shape->SetFilled(true);
    shape->SetAngle(0.5);
    shape->SetOpacity(0.6f);
    auto *counter = new CFTCounterField(460.0, 80.0, canvas->ftView()->defText());
    counter->SetStartNumber(7);
    counter->SetIncrement(3);
    counter->SetLeadingZeros(true);
    counter->SetZerosDigits(4);
    auto *file = new CFTFileField(560.0, 80.0, canvas->ftView()->defText());
    file->SetCountFields(fieldsCount(1));
    file->SetNumberField(5);
    QImage bitmap(40, 20, QImage::Format_ARGB32);
    bitmap.fill(0xff3366cc);
    CFTComponent *picture = CFTAView::CreatePicture(CDDPicture(PWImage::fromQImage(bitmap))).release();
    picture->SetOrigin(560.0, 20.0);
    picture->SetSize(40.0, 20.0);
    picture->SetAngle(0.5);
    for (CFTComponent *component : {static_cast<CFTComponent *>(shape), static_cast<CFTComponent *>(counter),
                                    static_cast<CFTComponent *>(file), picture})
        design->AddObject(component, 0, false);
    const std::map<std::string, CFTComponent *> objects = {
        {"shape", shape}, {"counter", counter}, {"file", file}, {"picture", picture}};
    paint();
    forgetHistory();
    click(objects.at(row.selected));
    ASSERT_EQ(inspector->tabView()->currentIndex(), int(row.tab));
    auto *field = control<QLineEdit>(row.tab, row.field);
    ASSERT_TRUE(field && field->isEnabled());
    const QString shown = field->text();
    ASSERT_FALSE(shown.isEmpty());
    const QByteArray before = bytes();

    type(field, QString::fromUtf8(row.typed));
    EXPECT_EQ(field->text(), shown) << "the field shows its value again";
    EXPECT_FALSE(canvas->document()->undoManager()->canUndo()) << "no step";
    EXPECT_TRUE(bytes() == before) << "the design is as it was";
    // Left by the focus as well as by Return.
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, QString::fromUtf8(row.typed).isEmpty() ? u" "_s : QString::fromUtf8(row.typed));
    click(objects.at(row.selected));
    EXPECT_TRUE(bytes() == before) << "nor when the field is left";
    EXPECT_EQ(field->text(), shown);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CAJunkNumberTest,
    ::testing::Values(JunkCase {"OpacityWord", CAPropertiesController::FillTab, "m_fillOpacityTextField", "shape", "abc"},
                      JunkCase {"OpacityEmpty", CAPropertiesController::FillTab, "m_fillOpacityTextField", "shape", ""},
                      JunkCase {"ShapeRotationWord", CAPropertiesController::FillTab, "m_rotateEdit", "shape", "abc"},
                      JunkCase {"ShapeRotationEmpty", CAPropertiesController::FillTab, "m_rotateEdit", "shape", ""},
                      JunkCase {"ShapeRotationNan", CAPropertiesController::FillTab, "m_rotateEdit", "shape", "nan"},
                      JunkCase {"LineWidthWord", CAPropertiesController::FillTab, "m_lineWidthTextField", "shape", "abc"},
                      JunkCase {"PictureRotationWord", CAPropertiesController::ImageTab, "m_imageRotateEdit", "picture", "abc"},
                      JunkCase {"CounterStartWord", CAPropertiesController::TextTab, "_startNumberEdit", "counter", "abc"},
                      JunkCase {"CounterStartEmpty", CAPropertiesController::TextTab, "_startNumberEdit", "counter", ""},
                      JunkCase {"CounterStepWord", CAPropertiesController::TextTab, "_incrementEdit", "counter", "abc"},
                      JunkCase {"CounterStepEmpty", CAPropertiesController::TextTab, "_incrementEdit", "counter", ""},
                      JunkCase {"CounterDigitsWord", CAPropertiesController::TextTab, "_numberOfDigitsEdit", "counter", "abc"},
                      JunkCase {"CounterDigitsEmpty", CAPropertiesController::TextTab, "_numberOfDigitsEdit", "counter", ""},
                      JunkCase {"TextRotationWord", CAPropertiesController::TextTab, "m_textRotateEdit", "counter", "abc"},
                      JunkCase {"TextSizeWord", CAPropertiesController::TextTab, "m_textSizeTextField", "counter", "abc"},
                      JunkCase {"FileColumnWord", CAPropertiesController::TextTab, "_numberFieldEdit", "file", "abc"},
                      JunkCase {"FileColumnEmpty", CAPropertiesController::TextTab, "_numberFieldEdit", "file", ""}),
    [](const ::testing::TestParamInfo<JunkCase> &info) { return std::string(info.param.name); });

} // namespace
