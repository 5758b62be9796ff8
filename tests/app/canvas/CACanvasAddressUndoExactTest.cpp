// Template changes, custom formats and ungrouping of address panels: each is undone to the very
// bytes the design saved before it, and redone to the bytes it saved after.
#include "app/canvas/CACanvasAddressCommands.h"
#include "app/canvas/CACanvasAddressEdits.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/CFTAAddressText.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWBundle.h"
#include "platform/PWPlist.h"
#include "platform/PWUndoManager.h"
#include "platform/PWUserDefaults.h"

#include <gtest/gtest.h>

#include <functional>

#include "AddressCanvasFixture.h"

using namespace Qt::StringLiterals;

namespace {

PWPlist cell(int row, int column)
{
    return PWPlist(PWPlist::Dictionary {{u"Row"_s, PWPlist::fromInteger(row)}, {u"Column"_s, PWPlist::fromInteger(column)}});
}

// Two custom formats in the user defaults: names only, and names with a barcode above them.
class CustomFormats : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const PWPlist::Dictionary plain = {{u"FormatName"_s, PWPlist::fromString(u"Names"_s)},
                                           {u"First Name"_s, cell(0, 0)},
                                           {u"Last Name"_s, cell(0, 1)},
                                           {u"City"_s, cell(1, 0)}};
        const PWPlist::Dictionary withBarcode = {{u"FormatName"_s, PWPlist::fromString(u"Coded"_s)},
                                                 {u"Barcode"_s, cell(0, 0)},
                                                 {u"First Name"_s, cell(1, 0)},
                                                 {u"City"_s, cell(2, 0)}};
        defaults().setObject(u"CustomAddressFormat"_s, PWPlist(PWPlist::Array {PWPlist(plain), PWPlist(withBarcode)}));
        CAddressFormatController::sharedAddressFormatController().reloadCustomFormats();
        ASSERT_EQ(CAddressFormatController::sharedAddressFormatController().customTemplates().size(), 2);
    }
    void TearDown() override
    {
        defaults().removeObject(u"CustomAddressFormat"_s);
        CAddressFormatController::sharedAddressFormatController().reloadCustomFormats();
    }
    static PWUserDefaults &defaults() { return PWUserDefaults::standardUserDefaults(); }
    static PWPlist marker(int index, const QString &title)
    {
        return PWPlist(PWPlist::Dictionary {{u"index"_s, PWPlist::fromInteger(index)}, {u"title"_s, PWPlist::fromString(title)}});
    }
};

struct CustomCase
{
    const char *name;
    int index;
    const char16_t *title;
    bool fromDesignPanel;
    // Only the menu's custom templates place the barcode their format names.
    bool barcode;
};

TEST_F(CustomFormats, CustomFormatFromMenuOrDesignPanelIsUndoneAndRedoneByteForByte)
{
    const CustomCase cases[] = {
        {"menu, names", 0, u"Names", false, false},
        {"menu, barcode above", 1, u"Coded", false, true},
        {"design panel, names", 0, u"Names", true, false},
        {"design panel, barcode above", 1, u"Coded", true, false},
    };
    for (const CustomCase &test : cases) {
        SCOPED_TRACE(test.name);
        AddressCanvas c;
        c.select(c.recipient);
        ASSERT_FALSE(c.recipient->IsBarcodeVisible());
        const QByteArray before = c.bytes();
        if (test.fromDesignPanel)
            c.commands().changeTemplateFromDesignPanel(2, QString(), test.index, QString::fromUtf16(test.title));
        else
            c.commands().changeTemplateWithMenu(CAddressFormatController::kCustomFormatTag + test.index,
                                                marker(test.index, QString::fromUtf16(test.title)));
        const CAddressFormat *format = c.recipient->getFormat();
        ASSERT_NE(format, nullptr);
        EXPECT_TRUE(format->isCustomFormat());
        EXPECT_EQ(format->name(tcRootFormat)->getData(), QString::fromUtf16(test.title));
        EXPECT_NE(format->getFormatWithKey(tcCity), nullptr);
        EXPECT_EQ(format->getFormatWithKey(tcCompany), nullptr) << "the template's company field is gone";
        EXPECT_EQ(c.recipient->IsBarcodeVisible(), test.barcode);
        EXPECT_EQ(c.undo()->undoActionName(), PWLocalizedString(u"CHANGE_TEMPLATE"_s));
        const QByteArray after = c.bytes();
        ASSERT_FALSE(after == before);

        c.undo()->undo();
        EXPECT_FALSE(c.undo()->canUndo()) << "the change is one step";
        EXPECT_FALSE(c.recipient->IsBarcodeVisible());
        EXPECT_SAME_BYTES(c.bytes(), before);
        c.undo()->redo();
        EXPECT_EQ(c.recipient->IsBarcodeVisible(), test.barcode);
        EXPECT_SAME_BYTES(c.bytes(), after);
        c.undo()->undo();
        EXPECT_SAME_BYTES(c.bytes(), before);
    }
}

TEST_F(CustomFormats, CustomFormatOutOfRangeChangesNothing)
{
    AddressCanvas c;
    c.select(c.recipient);
    const QByteArray before = c.bytes();
    c.commands().changeTemplateWithMenu(CAddressFormatController::kCustomFormatTag + 5, marker(5, u"None"_s));
    c.commands().changeTemplateFromDesignPanel(2, QString(), -1, u"None"_s);
    c.commands().changeTemplateFromDesignPanel(2, QString(), 2, u"None"_s);
    EXPECT_SAME_BYTES(c.bytes(), before);
    EXPECT_EQ(c.recipient->getFormat()->name(tcRootFormat)->getData(), u"Name+Company"_s);
}

// --- predefined templates and ungrouping -------------------------------------------------------

struct ExactCase
{
    const char *name;
    bool sender;
    // Drawn once first, as on screen: the panel's layout has put its punctuation into the texts.
    bool drawn;
    std::function<void(AddressCanvas &)> command;
};

void predefinedTemplate(AddressCanvas &c)
{
    c.commands().changeTemplateWithMenu(0, PWPlist::fromString(u"Name+Company+Phone"_s));
}

void designPanelTemplate(AddressCanvas &c)
{
    c.commands().changeTemplateFromDesignPanel(1, u"Company+Name"_s, -1, QString());
}

void ungroup(AddressCanvas &c)
{
    c.commands().ungroup();
}

TEST(CACanvasAddressUndoExactTest, PanelCommandsAreUndoneAndRedoneByteForByte)
{
    const ExactCase cases[] = {
        {"template on the sender", true, false, predefinedTemplate},
        {"template on the drawn sender", true, true, predefinedTemplate},
        {"template on the drawn recipient", false, true, predefinedTemplate},
        {"design panel template on the drawn sender", true, true, designPanelTemplate},
        {"ungroup the sender", true, false, ungroup},
        {"ungroup the recipient", false, false, ungroup},
        {"ungroup the drawn recipient", false, true, ungroup},
    };
    for (const ExactCase &test : cases) {
        SCOPED_TRACE(test.name);
        AddressCanvas c;
        CFTAAddressPanel *panel = test.sender ? c.sender : c.recipient;
        c.select(panel);
        if (test.drawn)
            (void)c.view.grab();
        const QByteArray before = c.bytes();
        test.command(c);
        const QByteArray after = c.bytes();
        ASSERT_FALSE(after == before);
        c.undo()->undo();
        EXPECT_FALSE(c.undo()->canUndo()) << "the command is one step";
        EXPECT_SAME_BYTES(c.bytes(), before);
        c.undo()->redo();
        EXPECT_SAME_BYTES(c.bytes(), after);
        c.undo()->undo();
        EXPECT_SAME_BYTES(c.bytes(), before);
    }
}

} // namespace
