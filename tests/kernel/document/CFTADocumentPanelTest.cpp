// The document's dealings with real address panels: the automatic flag, the referenced recipient
// and sender panels, their barcode and their placement on the card.

#include "kernel/document/CFTADocument.h"

#include "DocumentTestSupport.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"

#include <gtest/gtest.h>

using doctest::cs;

namespace {

CFTAAddressPanel *addPanel(CFTADocument &document, bool toFrom, int side = 0, bool back = false, bool barcode = false)
{
    const std::unique_ptr<CAddressFormat> format = CAddressFormatController::sharedAddressFormatController()
        .formatWithTemplate(QStringLiteral("Name+Company"), QStringLiteral("us"), barcode, 1);
    auto *panel = new CFTAAddressPanel(toFrom, format.get(), document.getDefText(), false);
    document.AddObject(panel, side, back);
    return panel;
}

} // namespace

TEST(CFTADocumentPanelTest, TheBarcodeLocationIsTheRecipients)
{
    CFTADocument document;
    CFTAAddressPanel *recipient = addPanel(document, true, 0, false, true);
    ASSERT_NE(recipient->getAddressComponentWithTextCategory(tcBarcode), nullptr);
    recipient->SetBarcodeLocation(blPanelRoomAbove);
    EXPECT_EQ(document.getBarcodeLocation(), 0);
    document.setRecipientPanel(recipient);
    EXPECT_EQ(document.getBarcodeLocation(), 1);
    document.setBarcodeLocation(2);
    EXPECT_EQ(recipient->GetBarcodeLocation(), 2);
}

TEST(CFTADocumentPanelTest, LabelPanelsSitInTheCornerAndTheMiddleAndPostcardOnesAtTheOrigin)
{
    CFTADocument document; // 252 x 144
    CFTAAddressPanel *sender = addPanel(document, false);
    CFTAAddressPanel *recipient = addPanel(document, true);
    document.setSenderPanel(sender);
    document.setRecipientPanel(recipient);
    document.arrangeAddressPanel();
    EXPECT_EQ(QPointF(sender->GetOriginX(), sender->GetOriginY()), QPointF(9.0 - sender->getXMargin(), 9.0 - sender->getYMargin()));
    const double w = recipient->GetSizeX();
    const double h = recipient->GetSizeY();
    ASSERT_LT(w, 234.0);
    ASSERT_LT(h, 126.0);
    // Centred within the 9-point border.
    EXPECT_NEAR(recipient->GetOriginX() + w / 2.0, 126.0, 1e-4);
    EXPECT_NEAR(recipient->GetOriginY() + h / 2.0, 72.0, 1e-4);
    // On a card too small for it, the panel keeps to the border instead of leaving the card.
    document.setDocumentSizeX(w / 2.0);
    document.setDocumentSizeY(h / 2.0);
    document.arrangeAddressPanel();
    EXPECT_EQ(QPointF(recipient->GetOriginX(), recipient->GetOriginY()),
              QPointF(9.0 - recipient->getXMargin(), 9.0 - recipient->getYMargin()));
    // Postcard panels go to the origin.
    CFTADocument postcard(dtPostcard, cs("us"), cs("us"));
    CFTAAddressPanel *card = addPanel(postcard, true);
    card->SetOrigin(50, 60);
    postcard.setRecipientPanel(card);
    postcard.arrangeAddressPanel();
    EXPECT_EQ(QPointF(card->GetOriginX(), card->GetOriginY()), QPointF(0, 0));
}

TEST(CFTADocumentPanelTest, EnvelopeRecipientPanelKeepsToTheReadingArea)
{
    for (const auto &[width, height] : {std::pair {684.0, 297.0}, std::pair {900.0, 500.0}}) {
        CFTADocument document(dtEnvelope, cs("us"), cs("us"));
        document.setDocumentSizeX(width);
        document.setDocumentSizeY(height);
        CFTAAddressPanel *sender = addPanel(document, false);
        CFTAAddressPanel *recipient = addPanel(document, true);
        document.setSenderPanel(sender);
        document.setRecipientPanel(recipient);
        document.arrangeAddressPanel();
        const double w = recipient->GetSizeX();
        const double h = recipient->GetSizeY();
        // Across: centred between the half-inch edges, or in the 666 points left of 36 from the
        // right on wide envelopes. Down: centred between 0.3 H and 45 points above the bottom.
        const double left = width <= 756.0 ? 36.0 : width - 702.0;
        const double right = width <= 756.0 ? width - 36.0 : width - 36.0;
        EXPECT_NEAR(recipient->GetOriginX() + w / 2.0, (left + right) / 2.0, 1e-3) << width;
        EXPECT_NEAR(recipient->GetOriginY() + h / 2.0, (0.3 * height + height - 45) / 2.0, 1e-3) << width;
        // The sender sits centred in the top-left area of half the width and a third of the
        // height, but never closer than 9 points to the edge.
        EXPECT_NEAR(sender->GetOriginX() + sender->GetSizeX() / 2.0, width * 0.25, 1e-3) << width;
        ASSERT_GT(sender->GetSizeY(), 297 * 0.33 - 18);
        ASSERT_LT(sender->GetSizeY(), 500 * 0.33 - 18);
        if (height < 300) {
            EXPECT_FLOAT_EQ(float(sender->GetOriginY()), 9.0f - sender->getYMargin());
        } else {
            EXPECT_NEAR(sender->GetOriginY() + sender->GetSizeY() / 2.0, height * 0.33 / 2.0, 1e-3);
        }
    }
}
