// Capitals and the barcode location of address panels. The barcode location command reaches the recipient panel of a real design: the barcode moves
// between above and below the address, the saved design says so, and undo puts it back.
#include <gtest/gtest.h>

#include "AddressCanvasFixture.h"

#include "app/canvas/CACanvasClipboard.h"
#include "app/canvas/CACanvasEdits.h"
#include "kernel/render/CDDText.h"
#include "platform/PWBundle.h"
#include "kernel/address/CFTABarcode.h"

using namespace Qt::StringLiterals;

namespace {

TEST(CACanvasBarcodeLocationTest, MovingTheBarcodeChangesTheSavedDesignAndUndoRestoresIt)
{
    AddressCanvas c;
    c.step([&] { c.edits().showBarcode(true, 1, c.recipient); });
    CFTADocument *design = c.document.ftDocument();
    ASSERT_EQ(design->barcodeRecipientPanel(), c.recipient) << "found in the lists, never referenced";
    const CFTComponent *barcode = design->barcode();
    ASSERT_TRUE(barcode);
    EXPECT_EQ(barcode->GetTextCategory(), tcBarcode);
    const int before = design->getBarcodeLocation();
    ASSERT_TRUE(before == 0 || before == 1) << before;
    const int other = 1 - before;
    const QByteArray saved = c.bytes();

    c.step([&] { c.view.edits().setBarcodeLocation(other); });
    EXPECT_EQ(design->getBarcodeLocation(), other);
    EXPECT_EQ(c.recipient->GetBarcodeLocation(), other);
    const QByteArray moved = c.bytes();
    EXPECT_NE(moved, saved) << "the saved design keeps where the barcode stands";

    c.undo()->undo();
    EXPECT_EQ(design->getBarcodeLocation(), before);
    EXPECT_SAME_BYTES(c.bytes(), saved);
    c.undo()->redo();
    EXPECT_EQ(design->getBarcodeLocation(), other);
    EXPECT_SAME_BYTES(c.bytes(), moved);
}

TEST(CACanvasBarcodeLocationTest, TheSenderPanelIsNeverTheBarcodesPanel)
{
    AddressCanvas c;
    CFTADocument *design = c.document.ftDocument();
    EXPECT_EQ(design->barcodeRecipientPanel(), c.recipient) << "a recipient panel without a barcode";
    c.step([&] { c.view.edits().deleteObjectDeselect(c.recipient, true); });
    EXPECT_EQ(design->barcodeRecipientPanel(), nullptr) << "only a sender panel is left";
    EXPECT_EQ(design->getBarcodeLocation(), 0);
    EXPECT_EQ(design->barcode(), nullptr);
    const QByteArray before = c.bytes();
    c.view.edits().setBarcodeLocation(1);
    EXPECT_SAME_BYTES(c.bytes(), before);
}

} // namespace

namespace {

// Capitals: every filled field of a selected panel and a selected address text, one step each
// way, and the panel's capitals flag set for persons to come.
TEST(CACanvasCapitalizeTest, AddressPanelsAndTextsTakeCapitalsThatUndoTakesBack)
{
    AddressCanvas c;
    const QByteArray before = c.bytes();
    c.select(c.recipient);
    c.view.clipboard().capitalizeSelection();
    bool anyField = false;
    for (unsigned int i = 0; i < c.recipient->addressComponentCount(); ++i) {
        const CDDText *text = c.recipient->addressComponentAtIndex(i)->GetText();
        if (!text || text->isEmpty())
            continue;
        anyField = true;
        EXPECT_EQ(text->getString(), text->getString().toUpper());
    }
    EXPECT_TRUE(anyField) << "the panel is filled from a person";
    EXPECT_TRUE(c.document.isCapitalizedAddressPanel());
    EXPECT_EQ(c.undo()->undoActionName(), PWLocalizedString(u"SET_ADDRESS_UPPERCASE"_s));
    c.undo()->undo();
    EXPECT_FALSE(c.document.isCapitalizedAddressPanel());
    EXPECT_SAME_BYTES(c.bytes(), before);

    c.select(c.freeText);
    c.view.clipboard().capitalizeSelection();
    EXPECT_EQ(c.freeText->GetText()->getString().trimmed(), u"A FREE TEXT"_s);
    EXPECT_EQ(c.undo()->undoActionName(), PWLocalizedString(u"SET_TEXT_UPPERCASE"_s));
    c.undo()->undo();
    EXPECT_SAME_BYTES(c.bytes(), before);
}

} // namespace
