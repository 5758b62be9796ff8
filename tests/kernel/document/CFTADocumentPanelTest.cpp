// The document's placement of real recipient and sender panels on the card.

#include "kernel/document/CFTADocument.h"

#include "DocumentTestSupport.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "platform/PWFont.h"

#include <gtest/gtest.h>

using doctest::cs;

namespace {

CFTAAddressPanel *addPanel(CFTADocument &document, bool toFrom)
{
    const std::unique_ptr<CAddressFormat> format = CAddressFormatController::sharedAddressFormatController()
        .formatWithTemplate(QStringLiteral("Name+Company"), QStringLiteral("us"), false, 1);
    auto *panel = new CFTAAddressPanel(toFrom, format.get(), document.getDefText(), false);
    document.AddObject(panel, 0, false);
    return panel;
}

} // namespace

TEST(CFTADocumentPanelTest, LabelPanelsSitInTheCornerAndTheMiddleAndPostcardOnesAtTheOrigin)
{
    CFTADocument document; // 252 x 144
    CFTAAddressPanel *sender = addPanel(document, false);
    CFTAAddressPanel *recipient = addPanel(document, true);
    document.setSenderPanel(sender); document.setRecipientPanel(recipient);
    document.arrangeAddressPanel();
    EXPECT_EQ(QPointF(sender->GetOriginX(), sender->GetOriginY()), QPointF(9.0 - sender->getXMargin(), 9.0 - sender->getYMargin()));
    const double w = recipient->GetSizeX(), h = recipient->GetSizeY();
    ASSERT_TRUE(w < 234.0 && h < 126.0);
    // Centred within the 9-point border.
    EXPECT_NEAR(recipient->GetOriginX() + w / 2.0, 126.0, 1e-4);
    EXPECT_NEAR(recipient->GetOriginY() + h / 2.0, 72.0, 1e-4);
    // On a card too small for it, the panel keeps to the border instead of leaving the card.
    document.setDocumentSizeX(w / 2.0); document.setDocumentSizeY(h / 2.0);
    document.arrangeAddressPanel();
    EXPECT_EQ(QPointF(recipient->GetOriginX(), recipient->GetOriginY()), QPointF(9.0 - recipient->getXMargin(), 9.0 - recipient->getYMargin()));
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
        document.setDocumentSizeX(width); document.setDocumentSizeY(height);
        CFTAAddressPanel *sender = addPanel(document, false);
        // Type tall enough that, centred on the smaller envelope, the panel would come nearer
        // than 9 points to the top edge.
        sender->SetFont(PWFont(QStringLiteral("Helvetica"), 16.0));
        CFTAAddressPanel *recipient = addPanel(document, true);
        document.setSenderPanel(sender); document.setRecipientPanel(recipient);
        document.arrangeAddressPanel();
        const double w = recipient->GetSizeX(), h = recipient->GetSizeY();
        // Across: centred between the half-inch edges, or in the 666 points left of 36 from the
        // right on wide envelopes. Down: centred between 0.3 H and 45 points above the bottom.
        const double left = width <= 756.0 ? 36.0 : width - 702.0;
        const double right = width <= 756.0 ? width - 36.0 : width - 36.0;
        EXPECT_NEAR(recipient->GetOriginX() + w / 2.0, (left + right) / 2.0, 1e-3) << width;
        EXPECT_NEAR(recipient->GetOriginY() + h / 2.0, (0.3 * height + height - 45) / 2.0, 1e-3) << width;
        // The sender sits centred in the top-left area of half the width and a third of the
        // height, but never closer than 9 points to the edge.
        EXPECT_NEAR(sender->GetOriginX() + sender->GetSizeX() / 2.0, width * 0.25, 1e-3) << width;
        ASSERT_TRUE(sender->GetSizeY() > 297 * 0.33 - 18 && sender->GetSizeY() < 500 * 0.33 - 18) << sender->GetSizeY();
        if (height < 300)
            EXPECT_FLOAT_EQ(float(sender->GetOriginY()), 9.0f - sender->getYMargin());
        else
            EXPECT_NEAR(sender->GetOriginY() + sender->GetSizeY() / 2.0, height * 0.33 / 2.0, 1e-3);
    }
}
