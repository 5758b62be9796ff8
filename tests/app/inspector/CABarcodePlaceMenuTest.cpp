// The place of a recipient panel's postal barcode chosen from Format > Barcode Location is the
// place the panel draws it, the Inspector's places show and Show Barcode brings it back to; a
// label offers no place apart, in the menu or the pane. Format > Postal Barcode is ticked while
// the barcode is drawn and never makes a second one.
#include "PanesWindowFixture.h"

#include "app/canvas/CACanvasAddressEdits.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/address/CFTAAddressText.h"
#include "platform/PWImage.h"

#include <QCheckBox>
#include <QImage>

#include <map>
#include <string>

namespace {

struct BarcodePlaceCase
{
    const char *name;
    documentType kind;
    int place;    // the item of Format > Barcode Location chosen: 0 above, 1 below, 2 apart
    bool offered; // whether the menu lets it be chosen and the pane shows it
};

void PrintTo(const BarcodePlaceCase &row, std::ostream *out)
{
    *out << row.name;
}

class BarcodeWindow : public paneswindow::Test
{
protected:
    QAbstractButton *place(int at) const
    {
        const char *names[] = {"_barcodeAbove", "_barcodeBelow", "_barcodeApart"};
        return control<QAbstractButton>(CAPropertiesController::AddressTab, names[at]);
    }
    QCheckBox *showBarcode() const { return control<QCheckBox>(CAPropertiesController::AddressTab, "_barcodeCheckbox"); }
    int barcodesApart() const
    {
        int count = 0;
        for (const CFTComponent *component : canvas->ftView()->GetCurrentComponents())
            count += component->getClassID() == ciBarcode ? 1 : 0;
        return count;
    }
    // What the user sees of the barcode's place: the canvas, the pane and the menu agree on it.
    void expectPlace(CFTAAddressPanel *panel, int at, bool shown)
    {
        EXPECT_EQ(canvas->addressEdits().shownBarcodeLocation(panel), shown ? at : -1) << "where it is drawn";
        EXPECT_EQ(barcodesApart(), shown && at == 2 ? 1 : 0) << "one barcode at most, apart only when placed so";
        EXPECT_EQ(showBarcode()->isChecked(), shown) << "the pane's Show barcode";
        for (int other = 0; other < 3; ++other) {
            EXPECT_EQ(place(other)->isChecked(), other == at) << "the pane's place " << other;
            QAction *item = menuItem("barcodeLocationRadio", other);
            ASSERT_TRUE(item);
            EXPECT_EQ(item->isChecked(), other == at) << "the menu's place " << other;
        }
    }
};

class CABarcodePlaceMenuTest : public BarcodeWindow, public ::testing::WithParamInterface<BarcodePlaceCase>
{
};

TEST_P(CABarcodePlaceMenuTest, ThePlaceChosenInTheMenuIsDrawnShownInThePaneAndKept)
{
    const BarcodePlaceCase &row = GetParam();
    ASSERT_TRUE(start(row.kind));
    CFTAAddressPanel *panel = addRecipientPanel();
    ASSERT_TRUE(panel);
    forgetHistory();
    click(panel);
    ASSERT_EQ(inspector->tabView()->currentIndex(), int(CAPropertiesController::AddressTab));
    ASSERT_TRUE(showBarcode()->isEnabled());
    press(showBarcode());
    expectPlace(panel, 0, true);
    EXPECT_EQ(place(2)->isVisibleTo(pane(CAPropertiesController::AddressTab)), row.kind != dtLabel)
        << "the pane offers a place apart";

    const QByteArray before = bytes();
    const bool chosen = choose("barcodeLocationRadio", row.place);
    EXPECT_EQ(chosen, row.offered) << "the menu offers the place";
    const int at = row.offered ? row.place : 0;
    expectPlace(panel, at, true);
    EXPECT_EQ(bytes() != before, row.offered && row.place != 0) << "the design changed";

    // Shown off and on again from the pane, and from the menu: it comes back where it was.
    press(showBarcode());
    expectPlace(panel, at, false);
    press(showBarcode());
    expectPlace(panel, at, true);
    ASSERT_TRUE(choose("showBarcode"));
    expectPlace(panel, at, false);
    ASSERT_TRUE(choose("showBarcode"));
    expectPlace(panel, at, true);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CABarcodePlaceMenuTest,
    ::testing::Values(BarcodePlaceCase {"LabelApart", dtLabel, 2, false},
                      BarcodePlaceCase {"LabelBelow", dtLabel, 1, true},
                      BarcodePlaceCase {"LabelAbove", dtLabel, 0, true},
                      BarcodePlaceCase {"EnvelopeApart", dtEnvelope, 2, true},
                      BarcodePlaceCase {"EnvelopeBelow", dtEnvelope, 1, true},
                      BarcodePlaceCase {"PostcardApart", dtPostcard, 2, true}),
    [](const ::testing::TestParamInfo<BarcodePlaceCase> &info) { return std::string(info.param.name); });

// Format > Postal Barcode is the design's postal barcode: ticked while the recipient panel draws
// one, in the panel or apart; chosen, it hides or shows that one and never adds a second.
struct PostalBarcodeCase
{
    const char *name;
    int place;     // where the panel's barcode is put first (from the pane)
    bool selected; // the panel selected, or nothing
};

void PrintTo(const PostalBarcodeCase &row, std::ostream *out)
{
    *out << row.name;
}

class CAPostalBarcodeMenuTest : public BarcodeWindow, public ::testing::WithParamInterface<PostalBarcodeCase>
{
};

TEST_P(CAPostalBarcodeMenuTest, IsTickedWhileThePanelDrawsItsBarcodeAndSwitchesThatOne)
{
    const PostalBarcodeCase &row = GetParam();
    ASSERT_TRUE(start(dtEnvelope));
    CFTAAddressPanel *panel = addRecipientPanel();
    ASSERT_TRUE(panel);
    click(panel);
    press(showBarcode());
    press(place(row.place));
    forgetHistory();
    click(row.selected ? panel : nullptr);
    EXPECT_EQ(canvas->ftView()->getSelComponents().size(), row.selected ? 1u : 0u);

    QAction *postal = menuItem("barcode");
    ASSERT_TRUE(postal && postal->isEnabled());
    EXPECT_TRUE(postal->isChecked()) << "the panel draws its barcode";
    ASSERT_TRUE(choose("barcode"));
    EXPECT_EQ(canvas->addressEdits().shownBarcodeLocation(panel), -1) << "hidden";
    EXPECT_EQ(barcodesApart(), 0);
    EXPECT_FALSE(menuItem("barcode")->isChecked());
    ASSERT_TRUE(choose("barcode"));
    EXPECT_EQ(canvas->addressEdits().shownBarcodeLocation(panel), row.place) << "back where it stood";
    EXPECT_EQ(barcodesApart(), row.place == 2 ? 1 : 0) << "never a second barcode";
    EXPECT_TRUE(menuItem("barcode")->isChecked());
    ASSERT_TRUE(choose("undo"));
    EXPECT_EQ(canvas->addressEdits().shownBarcodeLocation(panel), -1) << "one step each";
}

INSTANTIATE_TEST_SUITE_P(Table, CAPostalBarcodeMenuTest,
                         ::testing::Values(PostalBarcodeCase {"AbovePanelSelected", 0, true},
                                           PostalBarcodeCase {"BelowNothingSelected", 1, false},
                                           PostalBarcodeCase {"ApartPanelSelected", 2, true},
                                           PostalBarcodeCase {"ApartNothingSelected", 2, false}),
                         [](const ::testing::TestParamInfo<PostalBarcodeCase> &info) {
                             return std::string(info.param.name);
                         });

// Each item of the Format and Arrange menus that goes by the selection, as the menu shows it with
// nothing, a picture, a text or a panel drawing its barcode selected.
struct MenuStateCase
{
    const char *name;
    const char *selected; // "", "picture", "text" or "panel"
    const char *action;
    int tag;
    bool enabled;
    int checked; // -1: no check mark looked at
};

void PrintTo(const MenuStateCase &row, std::ostream *out)
{
    *out << row.name;
}

class CAMenuStateTest : public BarcodeWindow, public ::testing::WithParamInterface<MenuStateCase>
{
};

TEST_P(CAMenuStateTest, ItemsAreEnabledAndTickedAsTheSelectionIs)
{
    const MenuStateCase &row = GetParam();
    ASSERT_TRUE(start(dtEnvelope));
    CFTAAddressPanel *panel = addRecipientPanel();
    ASSERT_TRUE(panel);
    click(panel);
    press(showBarcode());
    ASSERT_EQ(canvas->addressEdits().shownBarcodeLocation(panel), 0);
    QImage bitmap(40, 20, QImage::Format_ARGB32);
    bitmap.fill(0xff3366cc);
    CFTComponent *picture = CFTAView::CreatePicture(CDDPicture(PWImage::fromQImage(bitmap))).release();
    picture->SetOrigin(520.0, 20.0);
    picture->SetSize(40.0, 20.0);
    picture->setFlipX(true);
    picture->SetShadow(true);
    const CDDString label(u"Text"_s);
    auto *text = new CFTAAddressText(520.0, 60.0, tcSimpleText, &label, canvas->ftView()->defText());
    text->SetString(CDDString(u"Hello"_s));
    canvas->document()->ftDocument()->AddObject(picture, 0, false);
    canvas->document()->ftDocument()->AddObject(text, 0, false);
    const std::map<std::string, CFTComponent *> objects = {{"", nullptr}, {"picture", picture}, {"text", text},
                                                           {"panel", panel}};
    paint();
    click(nullptr);
    click(objects.at(row.selected));
    ASSERT_EQ(canvas->ftView()->getSelComponents().size(), std::string(row.selected).empty() ? 0u : 1u);

    QAction *item = menuItem(row.action, row.tag);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->isEnabled(), row.enabled);
    if (row.checked >= 0) {
        EXPECT_EQ(item->isCheckable() && item->isChecked(), row.checked == 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, CAMenuStateTest,
    ::testing::Values(
        MenuStateCase {"ReplacePictureNothingSelected", "", "replaceImage", 0, false, -1},
        MenuStateCase {"ReplacePicturePictureSelected", "picture", "replaceImage", 0, true, -1},
        MenuStateCase {"ReplacePictureTextSelected", "text", "replaceImage", 0, true, -1},
        MenuStateCase {"PostalBarcodePanelSelected", "panel", "barcode", 0, true, 1},
        MenuStateCase {"PostalBarcodeNothingSelected", "", "barcode", 0, true, 1},
        MenuStateCase {"ShowBarcodePanelSelected", "panel", "showBarcode", 0, true, 1},
        MenuStateCase {"ShowBarcodeNothingSelected", "", "showBarcode", 0, false, -1},
        MenuStateCase {"AbovePanelSelected", "panel", "barcodeLocationRadio", 0, true, 1},
        MenuStateCase {"BelowPanelSelected", "panel", "barcodeLocationRadio", 1, true, 0},
        MenuStateCase {"ApartPanelSelected", "panel", "barcodeLocationRadio", 2, true, 0},
        MenuStateCase {"AboveNothingSelected", "", "barcodeLocationRadio", 0, false, -1},
        MenuStateCase {"TilePictureTextSelected", "text", "tileImage", 0, false, -1},
        MenuStateCase {"TilePicturePictureSelected", "picture", "tileImage", 0, true, 0},
        MenuStateCase {"FlipHorizontallyPictureSelected", "picture", "flipX", 0, true, 1},
        MenuStateCase {"FlipVerticallyPictureSelected", "picture", "flipY", 0, true, 0},
        MenuStateCase {"FlipHorizontallyTextSelected", "text", "flipX", 0, false, -1},
        MenuStateCase {"ShadowPictureSelected", "picture", "setShadow", 0, true, 1},
        MenuStateCase {"ShadowTextSelected", "text", "setShadow", 0, true, 0},
        MenuStateCase {"ShadowNothingSelected", "", "setShadow", 0, false, -1},
        MenuStateCase {"EditPicturePictureSelected", "picture", "openImageEditorDialog", 0, true, -1}),
    [](const ::testing::TestParamInfo<MenuStateCase> &info) { return std::string(info.param.name); });

} // namespace
