// The undoable address edits of the canvas: every one changes the saved design, undo brings
// back the very bytes of before and redo the bytes of after.
#include "app/canvas/CACanvasAddressEdits.h"
#include "app/canvas/CADocView.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CAddressFormatWrapper.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/CFTAAddressText.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"
#include "kernel/render/CDDText.h"
#include "platform/PWPerson.h"
#include "platform/PWUndoManager.h"
#include "platform/PWVCardReader.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "AddressCanvasFixture.h"

using namespace Qt::StringLiterals;

namespace {

struct EditCase
{
    const char *name;
    std::function<void(AddressCanvas &)> apply;
};

std::ostream &operator<<(std::ostream &out, const EditCase &c)
{
    return out << c.name;
}

CACanvasAddressEdits::Wrapper wrapperFor(const QString &templateName, const QString &country, bool barcode = false)
{
    const std::unique_ptr<CAddressFormat> format =
        CAddressFormatController::sharedAddressFormatController().formatWithTemplate(templateName, country, barcode, 0);
    return CAddressFormatWrapper::addressFormatWithAddressFormat(format.get());
}

const EditCase kEditCases[] = {
    {"country", [](AddressCanvas &c) { c.edits().changeAddressFormatWithCountry(wrapperFor({}, u"de"_s), c.recipient); }},
    {"template",
     [](AddressCanvas &c) {
         c.edits().changeAddressFormatWithTemplate(wrapperFor(u"Name+Company+Phone"_s, u"us"_s), c.recipient);
     }},
    {"format as it is",
     [](AddressCanvas &c) {
         c.edits().setAddressFormatWithTemplate(wrapperFor(u"Name+Title+Company"_s, u"fr"_s), c.recipient);
     }},
    {"person's country",
     [](AddressCanvas &c) { c.edits().updateAddressFormat({c.recipient}, c.otherPerson.get(), true); }},
    {"field string",
     [](AddressCanvas &c) { c.edits().setStringForAddressPanel(u"Smithers"_s, tcLastName, c.recipient, false); }},
    {"field mode", [](AddressCanvas &c) { c.edits().setModeForTextCategory(fmNever, tcCompany, c.recipient); }},
    {"text box string", [](AddressCanvas &c) { c.edits().setStringForTextBox(u"Hello there"_s, c.freeText); }},
    {"free field mode and category",
     [](AddressCanvas &c) { c.edits().setModeForAddressText(fmAlways, tcCity, c.freeText); }},
    {"recipient to sender", [](AddressCanvas &c) { c.edits().setToFrom(false, c.recipient); }},
    {"sender to recipient", [](AddressCanvas &c) { c.edits().setToFrom(true, c.sender); }},
    {"address type", [](AddressCanvas &c) { c.edits().setAddressType(adHome, c.recipient); }},
    {"preferred flag", [](AddressCanvas &c) { c.edits().setPreferredAddress(false, c.recipient); }},
    {"barcode below", [](AddressCanvas &c) { c.edits().showBarcode(true, 1, c.recipient); }},
    {"barcode above", [](AddressCanvas &c) { c.edits().showBarcode(true, 0, c.recipient); }},
    {"barcode of its own", [](AddressCanvas &c) { c.edits().showBarcode(true, 2, c.recipient); }},
    {"capitals", [](AddressCanvas &c) { c.edits().setRepresentationType(objectRepType(4), c.recipient); }},
    {"recipient person", [](AddressCanvas &c) { c.edits().setCurrentPerson(c.otherPerson, true); }},
    {"sender person", [](AddressCanvas &c) { c.edits().setCurrentPerson(c.otherPerson, false); }},
};


class CACanvasAddressEditTest : public ::testing::TestWithParam<EditCase>
{
};

TEST_P(CACanvasAddressEditTest, UndoAndRedoGiveBackTheSavedBytes)
{
    AddressCanvas c;
    const QByteArray before = c.bytes();
    ASSERT_FALSE(before.isEmpty());
    ASSERT_EQ(c.bytes(), before) << "saving twice must give the same bytes";
    c.step([&] { GetParam().apply(c); });
    const QByteArray after = c.bytes();
    EXPECT_FALSE(after == before) << "the edit changed nothing in the saved design";
    ASSERT_TRUE(c.undo()->canUndo());
    c.undo()->undo();
    EXPECT_SAME_BYTES(c.bytes(), before);
    ASSERT_TRUE(c.undo()->canRedo());
    c.undo()->redo();
    EXPECT_SAME_BYTES(c.bytes(), after);
    c.undo()->undo();
    EXPECT_SAME_BYTES(c.bytes(), before);
}

INSTANTIATE_TEST_SUITE_P(Primitives, CACanvasAddressEditTest, ::testing::ValuesIn(kEditCases),
                         [](const ::testing::TestParamInfo<EditCase> &info) {
                             std::string name;
                             for (const char *p = info.param.name; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

TEST(CACanvasAddressEditsTest, CountryChangeMovesTheSidesCountryCodeAndUndoBringsItBack)
{
    AddressCanvas c;
    ASSERT_EQ(c.document.countryCodeTo(), u"us"_s);
    c.step([&] { c.edits().changeAddressFormatWithCountry(wrapperFor({}, u"de"_s), c.recipient); });
    EXPECT_EQ(c.document.countryCodeTo(), u"de"_s);
    const CAddressFormat *part = c.recipient->getFormat()->getFormatWithKey(tcAddress);
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->name()->getData(), u"de"_s);
    c.undo()->undo();
    EXPECT_EQ(c.document.countryCodeTo(), u"us"_s);
    EXPECT_EQ(c.recipient->getFormat()->getFormatWithKey(tcAddress)->name()->getData(), u"us"_s);
}

TEST(CACanvasAddressEditsTest, NothingHappensWithoutAWrapperOrAFormat)
{
    AddressCanvas c;
    const QByteArray before = c.bytes();
    c.step([&] {
        c.edits().changeAddressFormatWithCountry(nullptr, c.recipient);
        c.edits().changeAddressFormatWithTemplate(nullptr, c.recipient);
        c.edits().setAddressFormatWithTemplate(nullptr, c.recipient);
        // A free text has no format to change the country of.
        c.edits().changeAddressFormatWithCountry(wrapperFor({}, u"de"_s), c.freeText);
    });
    EXPECT_EQ(c.bytes(), before);
    EXPECT_FALSE(c.undo()->canUndo());
}

TEST(CACanvasAddressEditsTest, BarcodeOfItsOwnStandsNearTheCornerAndGoesWithUndo)
{
    AddressCanvas c;
    const std::vector<CFTComponent *> before = c.document.ftDocument()->GetComponents(0, false);
    c.step([&] { c.edits().showBarcode(true, 2, c.recipient); });
    const std::vector<CFTComponent *> after = c.document.ftDocument()->GetComponents(0, false);
    ASSERT_EQ(after.size(), before.size() + 1);
    const CFTComponent *barcode = after.back();
    EXPECT_EQ(barcode->GetTextCategory(), tcBarcode);
    EXPECT_FALSE(c.recipient->getFormat()->containKey(tcBarcode)) << "the panel no longer holds the barcode";
    const CFTADocument *design = c.document.ftDocument();
    const QPointF at = CACanvasAddressEdits::separateBarcodeOrigin(design->getDocumentSizeX(0),
                                                                   design->getDocumentSizeY(0), barcode->GetSizeX(),
                                                                   barcode->GetSizeY());
    EXPECT_DOUBLE_EQ(barcode->GetOriginX(), at.x());
    EXPECT_DOUBLE_EQ(barcode->GetOriginY(), at.y());
    c.undo()->undo();
    EXPECT_EQ(c.document.ftDocument()->GetComponents(0, false), before);

    // Hiding makes no barcode of its own.
    c.step([&] { c.edits().showBarcode(false, 2, c.recipient); });
    EXPECT_EQ(c.document.ftDocument()->GetComponents(0, false).size(), before.size());
}

TEST(CACanvasAddressEditsTest, CapitalsFlagIsUndoneAndRedone)
{
    AddressCanvas c;
    ASSERT_FALSE(c.document.isCapitalizedAddressPanel());
    c.step([&] { c.edits().setCapitalizedAddressPanel(true); });
    EXPECT_TRUE(c.document.isCapitalizedAddressPanel());
    c.undo()->undo();
    EXPECT_FALSE(c.document.isCapitalizedAddressPanel());
    c.undo()->redo();
    EXPECT_TRUE(c.document.isCapitalizedAddressPanel());
}

TEST(CACanvasAddressEditsTest, SenderPanelDropsItsBarcode)
{
    AddressCanvas c;
    c.step([&] { c.edits().showBarcode(true, 1, c.recipient); });
    ASSERT_TRUE(c.recipient->getFormat()->containKey(tcBarcode));
    c.step([&] { c.edits().setToFrom(false, c.recipient); });
    EXPECT_FALSE(c.recipient->GetToFrom());
    EXPECT_FALSE(c.recipient->getFormat()->containKey(tcBarcode));
    c.undo()->undo();
    EXPECT_TRUE(c.recipient->GetToFrom());
    EXPECT_TRUE(c.recipient->getFormat()->containKey(tcBarcode));
}

TEST(CACanvasAddressEditsTest, RepresentationShowsCapitalsAndUndoTheTextAsTyped)
{
    AddressCanvas c;
    CFTAAddressText *last = c.recipient->getAddressComponentWithTextCategory(tcLastName);
    ASSERT_NE(last, nullptr);
    ASSERT_EQ(last->GetText()->getString(), u"Doe"_s);
    c.step([&] { c.edits().setRepresentationType(objectRepType(4), c.recipient); });
    EXPECT_EQ(last->GetText()->getString(), u"DOE"_s);
    c.undo()->undo();
    EXPECT_EQ(last->GetText()->getString(), u"Doe"_s);
}

TEST(CACanvasAddressEditsTest, SeparateBarcodeStandsNearTheLowerRightCorner)
{
    const struct
    {
        double pageWidth, pageHeight, width, height, x, y;
    } cases[] = {
        {612, 792, 100, 10, 391, 764.5},
        {684, 297, 40, 20, 493, 264.5},
        {400, 100, 0, 0, 229, 77.5},
    };
    for (const auto &c : cases) {
        const QPointF at = CACanvasAddressEdits::separateBarcodeOrigin(c.pageWidth, c.pageHeight, c.width, c.height);
        EXPECT_DOUBLE_EQ(at.x(), c.x);
        EXPECT_DOUBLE_EQ(at.y(), c.y);
    }
}

TEST(CACanvasAddressEditsTest, ChosenRecipientIsUndoneWithItsTexts)
{
    AddressCanvas c;
    CFTAAddressText *first = c.recipient->getAddressComponentWithTextCategory(tcFirstName);
    ASSERT_NE(first, nullptr);
    ASSERT_EQ(first->GetText()->getString(), u"Jane"_s);
    c.step([&] { c.edits().setCurrentPerson(c.otherPerson, true); });
    EXPECT_EQ(first->GetText()->getString(), u"Max"_s);
    EXPECT_EQ(stringForPersonCategory(c.document.currentPerson(true).get(), adWork, tcFirstName, true), u"Max"_s);
    // Filling the texts must not have written them back into the person being replaced.
    EXPECT_FALSE(c.view.isPersonUpdating());
    c.undo()->undo();
    EXPECT_EQ(first->GetText()->getString(), u"Jane"_s);
    EXPECT_EQ(stringForPersonCategory(c.document.currentPerson(true).get(), adWork, tcFirstName, true), u"Jane"_s);
}

} // namespace
