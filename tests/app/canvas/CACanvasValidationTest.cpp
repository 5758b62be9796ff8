// The canvas's menu rules as one function of the canvas's state: every rule with the cases that
// tell it apart from its neighbours, and the order in which they are tried.
#include "app/canvas/CACanvasValidation.h"

#include "platform/PWBundle.h"

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

struct RuleCase
{
    const char *name;
    const char *action;
    int tag;
    const char *title;
    std::function<void(CACanvasMenuState &)> setUp;
    bool enabled;
    std::optional<bool> checked;
    const char *titleKey; // null: the title is left alone
};

CACanvasMenuState withOperated()
{
    CACanvasMenuState state;
    state.hasOperated = true;
    state.operatedCountry = u"us"_s;
    state.operatedTemplate = u"Name+Company"_s;
    state.operatedAddressType = 1;
    state.operatedToFrom = true;
    return state;
}

const auto none = [](CACanvasMenuState &) {};
const auto select = [](int n) { return [n](CACanvasMenuState &s) { s.selected = n; }; };
const auto scale = [](double v) { return [v](CACanvasMenuState &s) { s.scale = v; }; };

class CACanvasValidationTest : public ::testing::TestWithParam<RuleCase>
{
};

TEST_P(CACanvasValidationTest, RuleDecides)
{
    const RuleCase &c = GetParam();
    CACanvasMenuState state;
    if (QString::fromLatin1(c.name).startsWith(u"Operated"))
        state = withOperated();
    c.setUp(state);
    CACanvasMenuItem item;
    item.action = QString::fromLatin1(c.action);
    item.tag = c.tag;
    item.title = QString::fromLatin1(c.title);
    item.represented = u"us"_s;
    EXPECT_TRUE(isCanvasMenuItem(item) || item.action == u"somethingElse");
    const CACanvasMenuAnswer answer = validateCanvasMenuItem(item, state);
    EXPECT_EQ(answer.enabled, c.enabled);
    EXPECT_EQ(answer.checked, c.checked);
    if (c.titleKey)
        EXPECT_EQ(answer.title, PWLocalizedString(QString::fromLatin1(c.titleKey)));
    else
        EXPECT_FALSE(answer.title.has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Rules, CACanvasValidationTest,
    ::testing::Values(
        // 1: the zoom entry of the truncated percentage is ticked, no other.
        RuleCase{"ZoomTickedAt100", "setZoom", 100, "100%", scale(1.0), true, true, nullptr},
        RuleCase{"ZoomNotTickedElsewhere", "setZoom", 150, "150%", scale(1.0), true, false, nullptr},
        RuleCase{"ZoomTruncated", "setZoom", 0, "141%", scale(1.4142135), true, true, nullptr},
        RuleCase{"ZoomStepMatchesNoEntry", "setZoom", 0, "150%", scale(1.4142135), true, false, nullptr},
        // 2, 3: the zoom steps stop at 6 and 0.5.
        RuleCase{"ZoomInBelowLimit", "zoomIn", 0, "", scale(5.99), true, {}, nullptr},
        RuleCase{"ZoomInAtLimit", "zoomIn", 0, "", scale(6.0), false, {}, nullptr},
        RuleCase{"ZoomOutAboveLimit", "zoomOut", 0, "", scale(0.51), true, {}, nullptr},
        RuleCase{"ZoomOutAtLimit", "zoomOut", 0, "", scale(0.5), false, {}, nullptr},
        // 4
        RuleCase{"PasteAddressWithString", "pasteAddress", 0, "",
                 [](CACanvasMenuState &s) { s.clipboardHasString = true; }, true, {}, nullptr},
        RuleCase{"PasteAddressWithoutString", "pasteAddress", 0, "", none, false, {}, nullptr},
        // 5: one object, or an item of tag 123.
        RuleCase{"CopyNothingSelected", "copy", 0, "", none, false, {}, nullptr},
        RuleCase{"CopyOneSelected", "copy", 0, "", select(1), true, {}, nullptr},
        RuleCase{"OrderBackOneSelected", "orderBack", 0, "", select(1), true, {}, nullptr},
        RuleCase{"Tag123NothingSelected", "somethingElse", 123, "", none, false, {}, nullptr},
        // 6: two to align.
        RuleCase{"AlignOne", "alignComponentsLeft", 0, "", select(1), false, {}, nullptr},
        RuleCase{"AlignTwo", "alignComponentsCenterVertically", 0, "", select(2), true, {}, nullptr},
        // 7: three to distribute.
        RuleCase{"DistributeTwo", "distributeComponentsSpacingHorizontally", 0, "", select(2), false, {}, nullptr},
        RuleCase{"DistributeThree", "distributeComponentsCenterVertically", 0, "", select(3), true, {}, nullptr},
        // 8: one object centres on the page.
        RuleCase{"PageCentreOne", "alignComponentsToDocumentCenter", 0, "", select(1), true, {}, nullptr},
        RuleCase{"PageCentreNone", "alignComponentsToDocumentCenter", 0, "", none, false, {}, nullptr},
        // 9: tag 200 goes by the operated object alone, whatever its action.
        RuleCase{"Tag200WithoutOperated", "changeCountryWithMenu", 200, "", none, false, {}, nullptr},
        RuleCase{"OperatedTag200", "changeCountryWithMenu", 200, "", none, true, {}, nullptr},
        // 10: the country named by the format is ticked.
        RuleCase{"OperatedCountryTicked", "changeCountryWithMenu", 0, "", none, true, true, nullptr},
        RuleCase{"OperatedOtherCountry", "changeCountryWithMenu", 0, "", [](CACanvasMenuState &s) { s.operatedCountry = u"de"_s; },
                 true, false, nullptr},
        RuleCase{"OperatedWithoutFormat", "changeCountryWithMenu", 0, "",
                 [](CACanvasMenuState &s) { s.operatedCountry.reset(); }, false, {}, nullptr},
        RuleCase{"CountryWithoutOperated", "changeCountryWithMenu", 0, "", none, false, {}, nullptr},
        // 11: the template by the item's title.
        RuleCase{"OperatedTemplateTicked", "changeTemplateWithMenu", 0, "Name+Company", none, true, true, nullptr},
        RuleCase{"OperatedTemplateOther", "changeTemplateWithMenu", 0, "Name", none, true, false, nullptr},
        // 12: address types 0 to 3 ticked by the object's.
        RuleCase{"OperatedAddressTypeTicked", "changeAddressTypeWithMenu", 1, "", none, true, true, nullptr},
        RuleCase{"OperatedAddressTypeOther", "changeAddressTypeWithMenu", 2, "", none, true, false, nullptr},
        RuleCase{"OperatedAddressTypeNoTick", "changeAddressTypeWithMenu", 7, "", none, true, {}, nullptr},
        RuleCase{"AddressTypeWithoutOperated", "changeAddressTypeWithMenu", 1, "", none, false, false, nullptr},
        // 13: tag 1 is the recipient side.
        RuleCase{"OperatedRecipientTicked", "changeToFromWithMenu", 1, "", none, true, true, nullptr},
        RuleCase{"OperatedSenderNotTicked", "changeToFromWithMenu", 0, "", none, true, false, nullptr},
        RuleCase{"OperatedSenderTicked", "changeToFromWithMenu", 0, "",
                 [](CACanvasMenuState &s) { s.operatedToFrom = false; }, true, true, nullptr},
        // 14
        RuleCase{"GuidelinesShown", "showGuidelineAreas", 0, "",
                 [](CACanvasMenuState &s) { s.drawsGuidelines = true; }, true, {}, "Hide Postal Guidelines"},
        RuleCase{"GuidelinesHidden", "showGuidelineAreas", 0, "", none, true, {}, "Show Postal Guidelines"},
        // 15: no FIM on labels.
        RuleCase{"FimOnLabel", "showFIMBarcode", 0, "", none, false, {}, "Show FIM-A"},
        RuleCase{"FimOnEnvelopeShown", "showFIMBarcode", 0, "",
                 [](CACanvasMenuState &s) {
                     s.isLabel = false;
                     s.fimVisible = true;
                 },
                 true, {}, "Hide FIM-A"},
        // 16: exactly one picture.
        RuleCase{"ImageEditorOnePicture", "openImageEditorDialog", 0, "",
                 [](CACanvasMenuState &s) { s.selected = s.selectedPictures = 1; }, true, {}, nullptr},
        RuleCase{"ImageEditorPictureAndMore", "openImageEditorDialog", 0, "",
                 [](CACanvasMenuState &s) {
                     s.selected = 2;
                     s.selectedPictures = 1;
                 },
                 false, {}, nullptr},
        // 17
        RuleCase{"TileWithAPicture", "tileImage", 0, "",
                 [](CACanvasMenuState &s) {
                     s.selected = 3;
                     s.selectedPictures = 1;
                 },
                 true, false, nullptr},
        // Ticked as the first selected object is tiled: the switch goes from it.
        RuleCase{"TileWithATiledPicture", "tileImage", 0, "",
                 [](CACanvasMenuState &s) {
                     s.selected = 1;
                     s.selectedPictures = 1;
                     s.firstTiled = true;
                 },
                 true, true, nullptr},
        RuleCase{"TileWithoutPicture", "tileImage", 0, "", select(2), false, false, nullptr},
        // 18
        RuleCase{"BiggerWithStyledText", "increaseFontSize", 0, "", [](CACanvasMenuState &s) { s.selectedStyled = 1; },
                 true, {}, nullptr},
        RuleCase{"KerningWithoutText", "tightenKerning", 0, "", select(2), false, {}, nullptr},
        // 19, 20
        RuleCase{"GroupOneGroupable", "group", 0, "", [](CACanvasMenuState &s) { s.selectedGroupable = 1; }, false, {},
                 nullptr},
        RuleCase{"GroupTwoGroupable", "group", 0, "", [](CACanvasMenuState &s) { s.selectedGroupable = 2; }, true, {},
                 nullptr},
        RuleCase{"UngroupNone", "ungroup", 0, "", select(2), false, {}, nullptr},
        RuleCase{"UngroupOne", "ungroup", 0, "", [](CACanvasMenuState &s) { s.selectedUngroupable = 1; }, true, {},
                 nullptr},
        // 21: ticked by panel and pad only while the design window shows.
        RuleCase{"DesignPanelHidden", "displayDesignPanel", 101, "", none, true, {}, nullptr},
        RuleCase{"DesignPanelTicked", "displayDesignPanel", 302, "",
                 [](CACanvasMenuState &s) {
                     s.designPanelVisible = true;
                     s.designPanelIndex = 2;
                     s.designPadIndex = 1;
                 },
                 true, true, nullptr},
        RuleCase{"DesignPanelOther", "displayDesignPanel", 301, "",
                 [](CACanvasMenuState &s) {
                     s.designPanelVisible = true;
                     s.designPanelIndex = 2;
                     s.designPadIndex = 1;
                 },
                 true, false, nullptr},
        // No rule: enabled.
        RuleCase{"NoRule", "somethingElse", 0, "", none, true, {}, nullptr}),
    [](const ::testing::TestParamInfo<RuleCase> &info) { return std::string(info.param.name); });

TEST(CACanvasValidationOrderTest, EarlierRulesWin)
{
    // Tag 123 on an align item: rule 5 answers before rule 6 would ask for two objects.
    CACanvasMenuState state;
    state.selected = 1;
    CACanvasMenuItem item{u"alignComponentsLeft"_s, 123, QString(), QVariant()};
    EXPECT_TRUE(validateCanvasMenuItem(item, state).enabled);
    // Tag 200 on a zoom item: rule 1 answers first.
    item = CACanvasMenuItem{u"zoomIn"_s, 200, QString(), QVariant()};
    state.scale = 1.0;
    EXPECT_TRUE(validateCanvasMenuItem(item, state).enabled);
    // Tag 200 on a selection action: rule 5, not rule 9.
    state = withOperated();
    item = CACanvasMenuItem{u"copy"_s, 200, QString(), QVariant()};
    EXPECT_FALSE(validateCanvasMenuItem(item, state).enabled);
}

} // namespace
