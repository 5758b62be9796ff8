// The person and address-format commands and the grouping of fields into a panel, driven as the
// menus drive them: each is one undo step that gives back the saved design byte for byte.
#include "app/canvas/CACanvasAddressCommands.h"
#include "app/canvas/CACanvasAddressEdits.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatWrapper.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/CFTAAddressText.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/component/CFTACoreDoc.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"
#include "kernel/render/CDDText.h"
#include "platform/PWBundle.h"
#include "platform/PWUndoManager.h"
#include "platform/PWUserDefaults.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "AddressCanvasFixture.h"

using namespace Qt::StringLiterals;

namespace {

QString countryOf(const CFTComponent *component)
{
    const CAddressFormat *part = component->getFormat() ? component->getFormat()->getFormatWithKey(tcAddress) : nullptr;
    return part && part->name() ? part->name()->getData() : QString();
}

std::vector<CFTComponent *> sideList(const AddressCanvas &c)
{
    return c.document.ftDocument()->GetComponents(0, false);
}

bool onSide(const AddressCanvas &c, const CFTComponent *component)
{
    const std::vector<CFTComponent *> list = sideList(c);
    return std::find(list.begin(), list.end(), component) != list.end();
}

TEST(CACanvasAddressCommandsTest, AddressTypeMenuTagZeroIsMain)
{
    const struct
    {
        int tag;
        addressType type;
    } cases[] = {{0, adMain}, {1, adWork}, {2, adHome}, {3, adOther}, {4, adOther}, {-1, adOther}};
    for (const auto &c : cases)
        EXPECT_EQ(CACanvasAddressCommands::addressTypeForTag(c.tag), c.type) << "tag " << c.tag;

    AddressCanvas c;
    c.step([&] { c.edits().setAddressType(adHome, c.recipient); });
    c.select(c.recipient);
    const QByteArray before = c.bytes();
    c.commands().changeAddressTypeWithMenu(0);
    EXPECT_EQ(c.recipient->GetAddressType(), adMain);
    EXPECT_EQ(c.undo()->undoActionName(), PWLocalizedString(u"CHANGE_ADDRESS_TYPE"_s));
    c.undo()->undo();
    EXPECT_EQ(c.recipient->GetAddressType(), adHome);
    EXPECT_SAME_BYTES(c.bytes(), before);
}

TEST(CACanvasAddressCommandsTest, PredefinedTemplateKeepsTheCountryOfTheSenderPanel)
{
    AddressCanvas c;
    c.document.setCountryCode(false, u"de"_s);
    // A sender panel whose format has no country part of its own: the template is built for the
    // sender's country, not the recipient's.
    std::unique_ptr<CAddressFormat> bare = CAddressFormat::createRoot(tcRootFormat, CDDString(u"Bare"_s));
    bare->addKey(tcLastName, 0, 0, CDDString(), CDDString(), CDDString(), CDDString(), fmAlways, tcNone, tcNone);
    c.step([&] {
        c.edits().setAddressFormatWithTemplate(CAddressFormatWrapper::addressFormatWithAddressFormat(bare.get()),
                                               c.sender);
    });
    ASSERT_TRUE(countryOf(c.sender).isEmpty());
    c.view.ftView()->deselectAll();
    c.view.ftView()->select(c.sender);
    c.view.ftView()->select(c.recipient);
    c.commands().changeTemplateWithMenu(0, PWPlist::fromString(u"Name+Company+Phone"_s));
    EXPECT_EQ(countryOf(c.sender), u"de"_s);
    EXPECT_EQ(countryOf(c.recipient), u"us"_s);
    EXPECT_EQ(c.sender->getFormat()->name(tcRootFormat)->getData(), u"Name+Company+Phone"_s);
    EXPECT_EQ(c.undo()->undoActionName(), PWLocalizedString(u"CHANGE_TEMPLATE"_s));
    c.undo()->undo();
    EXPECT_TRUE(countryOf(c.sender).isEmpty());
    EXPECT_EQ(c.sender->getFormat()->name(tcRootFormat)->getData(), u"Bare"_s);
    EXPECT_EQ(countryOf(c.recipient), u"us"_s);
    EXPECT_EQ(c.recipient->getFormat()->name(tcRootFormat)->getData(), u"Name+Company"_s);
}

TEST(CACanvasAddressCommandsTest, PersonChosenAsRecipientIsUndoneInOneStep)
{
    AddressCanvas c;
    PWUserDefaults::standardUserDefaults().setBool(u"FTChangeCountry"_s, true);
    CFTAAddressText *first = c.recipient->getAddressComponentWithTextCategory(tcFirstName);
    ASSERT_NE(first, nullptr);
    const QByteArray before = c.bytes();
    c.commands().changePersonWithABPerson(c.otherPerson, true);
    EXPECT_EQ(first->GetText()->getString(), u"Max"_s);
    EXPECT_EQ(countryOf(c.recipient), u"de"_s) << "the recipient panel takes the person's country";
    EXPECT_EQ(countryOf(c.sender), u"us"_s) << "the sender panel is not the person's";
    EXPECT_EQ(c.undo()->undoActionName(), PWLocalizedString(u"CHANGE_PERSON"_s));
    c.undo()->undo();
    EXPECT_FALSE(c.undo()->canUndo()) << "choosing a person is one step";
    EXPECT_EQ(first->GetText()->getString(), u"Jane"_s);
    EXPECT_EQ(countryOf(c.recipient), u"us"_s);
    EXPECT_SAME_BYTES(c.bytes(), before);
    c.undo()->redo();
    EXPECT_EQ(first->GetText()->getString(), u"Max"_s);
}

TEST(CACanvasAddressCommandsTest, PersonChangesNoFormatWhenThePreferenceIsOff)
{
    AddressCanvas c;
    PWUserDefaults::standardUserDefaults().setBool(u"FTChangeCountry"_s, false);
    c.commands().changePersonWithABPerson(c.otherPerson, true);
    EXPECT_EQ(countryOf(c.recipient), u"us"_s);
    EXPECT_EQ(c.recipient->getAddressComponentWithTextCategory(tcFirstName)->GetText()->getString(), u"Max"_s);
    PWUserDefaults::standardUserDefaults().setBool(u"FTChangeCountry"_s, true);
}

TEST(CACanvasAddressCommandsTest, SideMenuMakesASenderAndUndoTheRecipient)
{
    AddressCanvas c;
    c.select(c.recipient);
    const QByteArray before = c.bytes();
    c.commands().changeToFromWithMenu(0);
    EXPECT_FALSE(c.recipient->GetToFrom());
    c.undo()->undo();
    EXPECT_TRUE(c.recipient->GetToFrom());
    EXPECT_SAME_BYTES(c.bytes(), before);
}

TEST(CACanvasAddressCommandsTest, CountryMenuChangesEverySelectedPanelInOneStep)
{
    AddressCanvas c;
    c.view.ftView()->deselectAll();
    c.view.ftView()->select(c.recipient);
    c.view.ftView()->select(c.sender);
    c.view.ftView()->select(c.freeText);
    const QByteArray before = c.bytes();
    c.commands().changeCountryWithMenu(u"fr"_s);
    EXPECT_EQ(countryOf(c.recipient), u"fr"_s);
    EXPECT_EQ(countryOf(c.sender), u"fr"_s);
    EXPECT_EQ(c.document.countryCodeTo(), u"fr"_s);
    EXPECT_EQ(c.document.countryCodeFrom(), u"fr"_s);
    EXPECT_EQ(c.undo()->undoActionName(), PWLocalizedString(u"CHANGE_COUNTRY"_s));
    c.undo()->undo();
    EXPECT_FALSE(c.undo()->canUndo());
    EXPECT_SAME_BYTES(c.bytes(), before);
}

TEST(CACanvasAddressCommandsTest, DesignPanelCategoryReachesOnlyFreeAddressTexts)
{
    AddressCanvas c;
    c.view.ftView()->deselectAll();
    c.view.ftView()->select(c.freeText);
    c.view.ftView()->select(c.recipient);
    const QByteArray before = c.bytes();
    c.commands().changeTextCategoryFromDesignPanel(tcCity);
    const std::vector<CFTComponent *> list = sideList(c);
    const auto city = std::find_if(list.begin(), list.end(),
                                   [](const CFTComponent *component) { return component->GetTextCategory() == tcCity; });
    EXPECT_NE(city, list.end()) << "the free text became a city field";
    EXPECT_NE(c.recipient->GetTextCategory(), tcCity) << "a panel is no address text";
    EXPECT_EQ(c.undo()->undoActionName(), PWLocalizedString(u"CHANGE_CATEGORY"_s));
    c.undo()->undo();
    EXPECT_SAME_BYTES(c.bytes(), before);
}

// --- rows of a group -------------------------------------------------------------------------------

struct Box
{
    double x, y, height;
};

std::vector<std::vector<int>> rowsOf(const std::vector<Box> &boxes)
{
    std::vector<std::unique_ptr<CFTComponent>> owned;
    std::vector<CFTComponent *> components;
    for (const Box &box : boxes) {
        owned.push_back(std::make_unique<CFTComponent>());
        owned.back()->SetOrigin(box.x, box.y);
        owned.back()->SetSize(40.0, box.height);
        components.push_back(owned.back().get());
    }
    std::vector<std::vector<int>> rows;
    for (const std::vector<CFTComponent *> &row : CACanvasAddressCommands::groupRows(components)) {
        rows.emplace_back();
        for (const CFTComponent *component : row)
            rows.back().push_back(int(std::find(components.begin(), components.end(), component) - components.begin()));
    }
    return rows;
}

TEST(CACanvasAddressCommandsTest, GroupRowsFollowTheBands)
{
    const struct
    {
        const char *name;
        std::vector<Box> boxes;
        std::vector<std::vector<int>> rows;
    } cases[] = {
        {"two close, one below", {{50, 100, 20}, {10, 104, 20}, {10, 140, 20}}, {{1, 0}, {2}}},
        {"one row by x", {{90, 10, 20}, {10, 12, 20}, {50, 8, 20}}, {{1, 2, 0}}},
        {"stacked", {{0, 0, 10}, {0, 30, 10}, {0, 60, 10}}, {{0}, {1}, {2}}},
        // Under two points high: the band is empty after the cut, yet each lands in a row.
        {"flat ones end", {{0, 10, 1}, {20, 10, 1}, {0, 50, 0.5}}, {{0}, {1}, {2}}},
        {"flat beside a tall one", {{0, 10, 20}, {30, 15, 1}}, {{0, 1}}},
        {"nothing", {}, {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(rowsOf(c.boxes), c.rows) << c.name;
}

// --- grouping -------------------------------------------------------------------------------------

CFTAAddressText *addField(AddressCanvas &c, textCategory category, double x, double y, const QString &text)
{
    auto field = std::make_unique<CFTAAddressText>(x, y, category, nullptr, nullptr);
    field->SetString(CDDString(text));
    field->SetSize(60.0, 20.0);
    CFTAAddressText *made = field.get();
    c.view.ftView()->InsertComponent(field.release(), false);
    return made;
}

TEST(CACanvasAddressCommandsTest, ThreeRowsOfFieldsGroupIntoACustomPanelAndBack)
{
    AddressCanvas c;
    CFTAAddressText *last = addField(c, tcLastName, 120, 300, u"Doe"_s);
    CFTAAddressText *first = addField(c, tcFirstName, 40, 302, u"Jane"_s);
    CFTAAddressText *city = addField(c, tcCity, 40, 340, u"Springfield"_s);
    CFTAAddressText *note = addField(c, tcSimpleText, 40, 380, u"Fragile"_s);
    note->SetAngle(0.5);
    c.view.ftView()->deselectAll();
    for (CFTComponent *field : {static_cast<CFTComponent *>(last), static_cast<CFTComponent *>(first),
                                static_cast<CFTComponent *>(city), static_cast<CFTComponent *>(note)})
        c.view.ftView()->select(field);
    const size_t count = sideList(c).size();
    double left = 0, top = 0, right = 0, bottom = 0;
    CFTACoreDoc::GetBoundForComponents(&left, &top, &right, &bottom, {last, first, city, note});
    const QByteArray before = c.bytes();

    c.commands().group();
    EXPECT_EQ(c.undo()->undoActionName(), PWLocalizedString(u"GROUP"_s));
    ASSERT_EQ(sideList(c).size(), count - 3);
    auto *panel = dynamic_cast<CFTAAddressPanel *>(sideList(c).back());
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->GetToFrom());
    for (const CFTComponent *field : {static_cast<CFTComponent *>(last), static_cast<CFTComponent *>(first),
                                      static_cast<CFTComponent *>(city), static_cast<CFTComponent *>(note)})
        EXPECT_FALSE(onSide(c, field));
    const CAddressFormat *format = panel->getFormat();
    ASSERT_NE(format, nullptr);
    EXPECT_TRUE(format->isCustomFormat());
    const struct
    {
        textCategory category;
        int row, column;
    } cells[] = {{tcFirstName, 0, 0}, {tcLastName, 0, 1}, {tcCity, 1, 0}, {tcSimpleText, 2, 0}};
    for (const auto &cell : cells) {
        const CAddressFormat *leaf = format->getFormatWithKey(cell.category);
        ASSERT_NE(leaf, nullptr) << cell.category;
        EXPECT_EQ(leaf->getRow(), cell.row) << cell.category;
        EXPECT_EQ(leaf->getColumn(), cell.column) << cell.category;
    }
    // A free text keeps its words as the literal text of its field; a city only its category.
    ASSERT_NE(format->getFormatWithKey(tcSimpleText)->getText(), nullptr);
    EXPECT_EQ(format->getFormatWithKey(tcSimpleText)->getText()->getData(), u"Fragile"_s);
    EXPECT_TRUE(!format->getFormatWithKey(tcCity)->getText() || format->getFormatWithKey(tcCity)->getText()->isEmpty());
    EXPECT_EQ(panel->getAddressComponentWithTextCategory(tcCity), city) << "the field itself joins the panel";
    EXPECT_DOUBLE_EQ(note->GetAngle(), 0.0) << "fields come into the panel unrotated";
    EXPECT_DOUBLE_EQ(panel->GetOriginX(), left - 5.0);
    EXPECT_DOUBLE_EQ(panel->GetOriginY(), top - 5.0);
    const QByteArray grouped = c.bytes();

    c.undo()->undo();
    EXPECT_FALSE(onSide(c, panel));
    EXPECT_TRUE(onSide(c, city));
    EXPECT_DOUBLE_EQ(note->GetAngle(), 0.5);
    EXPECT_SAME_BYTES(c.bytes(), before) << "undo puts every field back where it stood";
    c.undo()->redo();
    EXPECT_SAME_BYTES(c.bytes(), grouped);

    c.select(panel);
    c.commands().ungroup();
    EXPECT_EQ(c.undo()->undoActionName(), PWLocalizedString(u"UNGROUP"_s));
    EXPECT_FALSE(onSide(c, panel));
    EXPECT_TRUE(onSide(c, first));
    EXPECT_TRUE(onSide(c, city));
    EXPECT_EQ(panel->addressComponentCount(), 0u);
    c.undo()->undo();
    EXPECT_TRUE(onSide(c, panel));
    EXPECT_FALSE(onSide(c, city));
    EXPECT_SAME_BYTES(c.bytes(), grouped) << "undoing the ungroup gives the panel back as it was";
}

TEST(CACanvasAddressCommandsTest, GroupWithoutFieldsDoesNothing)
{
    AddressCanvas c;
    // Panels cannot join a group.
    c.view.ftView()->deselectAll();
    c.view.ftView()->select(c.recipient);
    c.view.ftView()->select(c.sender);
    const QByteArray before = c.bytes();
    c.commands().group();
    EXPECT_FALSE(c.undo()->canUndo());
    EXPECT_SAME_BYTES(c.bytes(), before);
}

TEST(CACanvasAddressCommandsTest, UngroupingATemplatePanelGivesItBackWithItsHiddenFields)
{
    AddressCanvas c;
    c.select(c.recipient);
    std::vector<CFTAAddressText *> fields;
    for (unsigned int i = 0; i < c.recipient->addressComponentCount(); ++i)
        fields.push_back(c.recipient->addressComponentAtIndex(i));
    const size_t count = sideList(c).size();
    c.commands().ungroup();
    EXPECT_FALSE(onSide(c, c.recipient));
    EXPECT_GT(sideList(c).size(), count) << "the shown fields stand on the side";
    c.undo()->undo();
    EXPECT_TRUE(onSide(c, c.recipient));
    EXPECT_EQ(sideList(c).size(), count);
    // Every field, the hidden ones too, is the panel's again in its old place.
    ASSERT_EQ(c.recipient->addressComponentCount(), fields.size());
    for (unsigned int i = 0; i < fields.size(); ++i)
        EXPECT_EQ(c.recipient->addressComponentAtIndex(i), fields[i]) << i;
}

TEST(CACanvasAddressCommandsTest, NewPanelsStandBelowAndRightOfTheLastOne)
{
    AddressCanvas c;
    // The fixture's recipient panel at (20, 20) is of the default template; its sender panel is
    // not a recipient's.
    ASSERT_EQ(c.recipient->getFormat()->name(tcRootFormat)->getData(), CAEnvironment::defaultTemplate());
    c.commands().addressPanel(true);
    const CFTComponent *firstPanel = sideList(c).back();
    EXPECT_DOUBLE_EQ(firstPanel->GetOriginX(), 30.0);
    EXPECT_DOUBLE_EQ(firstPanel->GetOriginY(), 30.0);
    EXPECT_TRUE(firstPanel->GetToFrom());
    EXPECT_EQ(c.undo()->undoActionName(), PWLocalizedString(u"CREATE_OBJECT"_s));
    c.commands().addressPanel(true);
    const CFTComponent *secondPanel = sideList(c).back();
    EXPECT_NE(secondPanel, firstPanel);
    EXPECT_DOUBLE_EQ(secondPanel->GetOriginX(), 40.0);
    EXPECT_DOUBLE_EQ(secondPanel->GetOriginY(), 40.0);
    c.undo()->undo();
    EXPECT_FALSE(onSide(c, secondPanel));
    EXPECT_TRUE(onSide(c, firstPanel));
}

TEST(CACanvasAddressCommandsTest, BaselineAndKerningStepsAreUndoneByName)
{
    const struct
    {
        void (CACanvasAddressCommands::*command)();
        const char16_t *key;
    } cases[] = {
        {&CACanvasAddressCommands::raiseBaseline, u"RAISE_BASELINE"},
        {&CACanvasAddressCommands::lowerBaseline, u"LOWER_BASELINE"},
        {&CACanvasAddressCommands::loosenKerning, u"LOOSEN_KERNING"},
        {&CACanvasAddressCommands::tightenKerning, u"TIGHTEN_KERNING"},
    };
    for (const auto &step : cases) {
        AddressCanvas c;
        c.select(c.freeText);
        const QByteArray before = c.bytes();
        (c.commands().*step.command)();
        EXPECT_FALSE(c.bytes() == before) << QString::fromUtf16(step.key).toStdString();
        EXPECT_EQ(c.undo()->undoActionName(), PWLocalizedString(QString::fromUtf16(step.key)));
        c.undo()->undo();
        EXPECT_SAME_BYTES(c.bytes(), before) << QString::fromUtf16(step.key).toStdString();
    }
}

} // namespace
