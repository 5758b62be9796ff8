#include "app/document/CADocument.h"

#include "DocumentTestSupport.h"

#include "kernel/address/FTStoredPerson.h"
#include "kernel/printing/CATemplateFormat.h"

#include <QPainterPath>

namespace {

using CADocumentTest = doctest::Test;

std::unique_ptr<CADocument> document(documentType type = dtLabel)
{
    return std::make_unique<CADocument>(std::make_unique<CFTADocument>(type, CDDString(u"us"_s), CDDString(u"us"_s)));
}

TEST_F(CADocumentTest, DefaultSenderComesFromTheSourceOrElseTheStoredSenderList)
{
    const std::shared_ptr<PWPerson> jane = doctest::personFromVCard(doctest::kUsPerson);
    CADocument::setDefaultSenderSource([jane] { return jane; });
    EXPECT_EQ(document()->currentPerson(false), jane);
    CADocument::setDefaultSenderSource({});
    PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    const std::shared_ptr<PWPerson> luc = doctest::personFromVCard(doctest::kCaPerson);
    defaults.setObject(u"SenderList"_s, PWPlist(PWPlist::Array {PWPlist(FTStoredPerson::convertToStoringData(*jane)),
                                                                PWPlist(FTStoredPerson::convertToStoringData(*luc))}));
    // The index counts from 1; one past the list falls back to the first sender.
    QStringList senders;
    for (int index : {2, 7}) {
        defaults.setInteger(u"Default Sender Index"_s, index);
        senders << doctest::valueOf(CADocument::defaultSender(), tcLastName);
    }
    EXPECT_EQ(senders, (QStringList {u"Tremblay"_s, u"Doe"_s}));
    defaults.removeObject(u"SenderList"_s);
    defaults.removeObject(u"Default Sender Index"_s);
}

TEST_F(CADocumentTest, SurfaceOutlinesOfDiscsRoundedRectanglesAndWindows)
{
    const QRectF card(0, 0, 100, 60);
    // A disc of radius 60 about (50, 30), cut flat 30 above and below its centre, with a hole of
    // radius 7.5; turning the card does not change it.
    const QPainterPath disc = CADocument::documentSurfacePathForRect(card, 0.0, 120.0, 15.0, true);
    EXPECT_EQ(disc.boundingRect().toRect(), QRect(-10, 0, 120, 60));
    EXPECT_EQ(QList<bool>({disc.contains(QPointF(50, 30)), disc.contains(QPointF(59, 30)), disc.contains(QPointF(105, 5))}),
              QList<bool>({false, true, false}));
    EXPECT_EQ(CADocument::documentSurfacePathForRect(card, 0.0, 120.0, 15.0, false), disc);
    // A disc narrower than the card is widened to reach its short sides.
    EXPECT_NEAR(CADocument::documentSurfacePathForRect(card, 0.0, 20.0, 0.0, true).boundingRect().width(), 60.0, 0.05);
    // An envelope's window stands above its bottom offset, rounded by its own corner radius.
    const std::unique_ptr<CADocument> envelope = document(dtEnvelope);
    CATemplateFormat format;
    format.setDocumentType(dtEnvelope);
    format.setItemWidth(297.0f);
    format.setItemHeight(684.0f);
    format.setHasWindow(true);
    format.setWinWidth(288.0f);
    format.setWinHeight(108.0f);
    format.setWinBottomOffset(36.0f);
    format.setWinLeftOffset(63.0f);
    format.setWinCornerRadius(4.5f);
    envelope->setLayoutArangeComponents(format, false);
    const QPainterPath window = envelope->windowPath().value_or(QPainterPath());
    EXPECT_EQ(window.boundingRect().toRect(), QRect(63, 540, 288, 108));
    EXPECT_FALSE(window.contains(QPointF(63.5, 540.5)));
}

} // namespace
