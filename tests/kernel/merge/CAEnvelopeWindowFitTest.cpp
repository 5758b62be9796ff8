// An envelope with a window: the recipient's address is moved clear of it, and every other
// address (the sender's, which a second window may show) stays where the design put it.
#include "kernel/merge/CAEnvelopeWindowFit.h"

#include "DocumentTestSupport.h"

#include "kernel/printing/CATemplateFormat.h"

#include <QPainterPath>

#include <array>

namespace {

using CAEnvelopeWindowFitTest = doctest::Test;

QRectF frameOf(const CFTComponent &component)
{
    return QRectF(component.GetOriginX(), component.GetOriginY(), component.GetSizeX(), component.GetSizeY());
}

// Every envelope of the catalogue that has a window, both addresses laid over the window (each
// order of the two in the design): the recipient's leaves it where the envelope has room, the
// sender's keeps its frame.
TEST_F(CAEnvelopeWindowFitTest, OnEveryWindowEnvelopeOnlyTheRecipientMoves)
{
    const CATemplateFormat::TemplateList *envelopes = CATemplateFormat::predefLayouts(dtEnvelope);
    ASSERT_TRUE(envelopes);
    int windows = 0;
    int moved = 0;
    for (const std::shared_ptr<CATemplateFormat> &layout : *envelopes) {
        if (!layout || !layout->hasWindow())
            continue;
        ++windows;
        for (const bool senderFirst : {true, false}) {
            SCOPED_TRACE(layout->ID().toStdString() + (senderFirst ? " sender first" : " recipient first"));
            CADocument document(std::make_unique<CFTADocument>(dtEnvelope, CDDString(u"us"_s), CDDString(u"us"_s)));
            document.setLayoutArangeComponents(*layout, false);
            CFTADocument &kernel = *document.ftDocument();
            ASSERT_TRUE(kernel.HasWindow());
            const std::optional<QPainterPath> window = document.windowPath();
            ASSERT_TRUE(window && !window->isEmpty());
            const QRectF hole = window->boundingRect();
            std::unique_ptr<CFTAAddressPanel> panels[] = {makePanel(true, u"us"_s, false),
                                                          makePanel(false, u"us"_s, false)};
            for (const std::unique_ptr<CFTAAddressPanel> &panel : panels) {
                panel->SetOrigin(hole.x(), hole.y());
                panel->SetSize(hole.width(), hole.height());
            }
            CFTComponent *recipient = panels[0].get();
            CFTComponent *sender = panels[1].get();
            for (const int index : senderFirst ? std::array{1, 0} : std::array{0, 1})
                kernel.AddObject(panels[index].release(), 0, false);
            const QRectF senderWas = frameOf(*sender);
            const QRectF recipientWas = frameOf(*recipient);
            ASSERT_TRUE(window->intersects(recipientWas));

            const bool answered = CAEnvelopeWindowFit::placeRecipientClearOfWindow(document);
            EXPECT_EQ(frameOf(*sender), senderWas) << "the sender's address was moved";
            if (frameOf(*recipient) == recipientWas) {
                EXPECT_FALSE(answered) << "nothing moved, yet the answer says it did";
                continue;
            }
            ++moved;
            EXPECT_TRUE(answered);
            EXPECT_FALSE(window->intersects(frameOf(*recipient)));
            EXPECT_FALSE(frameOf(*recipient).intersects(frameOf(*sender)));
        }
    }
    EXPECT_GT(windows, 0) << "the catalogue offers no envelope with a window";
    EXPECT_GT(moved, 0) << "no envelope had room beside its window";
}

} // namespace
