#include "app/document/CADocument.h"

#include "DocumentTestSupport.h"

#include "kernel/address/CFTCounterField.h"
#include "kernel/address/FTStoredPerson.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/foundation/CFTDefComponentText.h"
#include "kernel/foundation/FTGeometry.h"
#include "kernel/printing/CATemplateFormat.h"

#include <QPainterPath>

#include <gtest/gtest.h>

namespace {

using doctest::valueOf;

std::unique_ptr<CADocument> document(documentType type = dtLabel)
{
    return std::make_unique<CADocument>(std::make_unique<CFTADocument>(type, CDDString(u"us"_s), CDDString(u"us"_s)));
}

// A custom template of one item size; an envelope one has a window.
CATemplateFormat sheet(float width, float height, int columns, int rows, bool envelope = false)
{
    CATemplateFormat format;
    format.setDocumentType(envelope ? dtEnvelope : dtLabel);
    format.setItemWidth(width);
    format.setItemHeight(height);
    format.setPrintableWidth(width);
    format.setPrintableHeight(height);
    format.setColumns(columns);
    format.setRows(rows);
    format.setHasWindow(envelope);
    format.setWinWidth(288.0f);
    format.setWinHeight(108.0f);
    format.setWinBottomOffset(36.0f);
    format.setWinLeftOffset(63.0f);
    format.setWinCornerRadius(4.5f);
    return format;
}

class CADocumentTest : public ::testing::Test
{
protected:
    void SetUp() override { doctest::prepareProcess(); }
};

TEST_F(CADocumentTest, PreparedDocumentIsTakenOnce)
{
    int handedOut = 0;
    CADocument::setPreparedDocumentSource([&handedOut]() -> std::unique_ptr<CFTADocument> {
        if (handedOut++ > 0)
            return nullptr;
        return std::make_unique<CFTADocument>(dtEnvelope, CDDString(u"uk"_s), CDDString(u"de"_s));
    });
    CADocument first;
    CADocument second;
    EXPECT_EQ(first.docType(), dtEnvelope);
    EXPECT_EQ(first.countryCodeTo() + first.countryCodeFrom(), u"ukde"_s);
    EXPECT_EQ(second.docType(), dtLabel);
}

TEST_F(CADocumentTest, DefaultSenderComesFromTheSourceOrElseTheStoredSenderList)
{
    const std::shared_ptr<PWPerson> jane = doctest::personFromVCard(doctest::kUsPerson);
    CADocument::setDefaultSenderSource([jane] { return jane; });
    EXPECT_EQ(document()->currentPerson(false), jane);
    EXPECT_EQ(document()->currentPerson(true), nullptr);

    CADocument::setDefaultSenderSource({});
    PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    const std::shared_ptr<PWPerson> luc = doctest::personFromVCard(doctest::kCaPerson);
    defaults.setObject(u"SenderList"_s, PWPlist(PWPlist::Array {PWPlist(FTStoredPerson::convertToStoringData(*jane)),
                                                                PWPlist(FTStoredPerson::convertToStoringData(*luc))}));
    defaults.setInteger(u"Default Sender Index"_s, 2);
    EXPECT_EQ(valueOf(CADocument::defaultSender(), tcLastName), u"Tremblay"_s);
    // An index past the list falls back to the first sender.
    defaults.setInteger(u"Default Sender Index"_s, 7);
    EXPECT_EQ(valueOf(CADocument::defaultSender(), tcLastName), u"Doe"_s);
    defaults.removeObject(u"SenderList"_s);
    defaults.removeObject(u"Default Sender Index"_s);
}

TEST_F(CADocumentTest, SetLayoutCopiesTheTemplateAndRescalesOnlyWhenAsked)
{
    const std::unique_ptr<CADocument> label = document();
    CFTADocument *kernel = label->ftDocument();
    auto *box = new CFTBoxField(100.0, 50.0, 40.0, 20.0, nullptr);
    kernel->AddObject(box, 0, false);
    label->setLayoutArangeComponents(sheet(189.0f, 72.0f, 3, 10), false);
    EXPECT_EQ(QPointF(box->GetOriginX(), box->GetOriginY()), QPointF(100.0, 50.0));
    EXPECT_EQ(QSizeF(kernel->getCardSizeX(), kernel->getCardSizeY()), QSizeF(189.0, 72.0));
    // 189 x 72 to 378 x 144: both sides double.
    label->setLayoutArangeComponents(sheet(378.0f, 144.0f, 2, 5), true);
    EXPECT_EQ(QPointF(box->GetOriginX(), box->GetOriginY()), QPointF(200.0, 100.0));
    label->setLayoutArangeComponents(sheet(684.0f, 297.0f, 1, 1, true), false);
    EXPECT_TRUE(kernel->HasWindow());
}

// A label size, found by walking widths and shapes, whose size group passes the test.
template <typename Pred> std::pair<float, float> labelSizeWhere(Pred wanted)
{
    for (float ratio = 1.0f; ratio < 6.0f; ratio += 0.25f) {
        for (float width = 40.0f; width < 1200.0f; width += 2.0f) {
            if (wanted(getSizeGroupType(width, width / ratio, dtLabel)))
                return {width, width / ratio};
        }
    }
    return {0.0f, 0.0f};
}

TEST_F(CADocumentTest, LabelTextSizeFollowsTheSizeGroup)
{
    // Groups lowest to highest, and the text size on either side of each step.
    for (const auto &[lowest, highest, points] :
         {std::tuple {7, 10, 5.0}, std::tuple {11, 11, 8.0}, std::tuple {19, 20, 8.0}, std::tuple {21, 21, 10.0}}) {
        SCOPED_TRACE(lowest);
        const auto [width, height] = labelSizeWhere([&](int group) { return group >= lowest && group <= highest; });
        ASSERT_GT(width, 0.0f) << "no label size in groups " << lowest << " to " << highest;
        const std::unique_ptr<CADocument> label = document();
        label->ftDocument()->setDocumentSizeX(width);
        label->ftDocument()->setDocumentSizeY(height);
        label->setDefTextSize();
        EXPECT_DOUBLE_EQ(label->ftDocument()->getDefText()->GetFont(nullptr).value_or(PWFont()).pointSize(), points);
    }
}

TEST_F(CADocumentTest, OneCardOnePageForEnvelopesAndLabelRollsOnly)
{
    const auto onePage = [](documentType type, const QString &pageSize) {
        const std::unique_ptr<CADocument> made = document(type);
        made->ftDocument()->SetPageSize(CDDString(pageSize));
        return made->oneCardOnePage();
    };
    EXPECT_TRUE(onePage(dtEnvelope, u"Envelope #10"_s));
    EXPECT_TRUE(onePage(dtLabel, u"Label Roll"_s));
    EXPECT_FALSE(onePage(dtLabel, u"US Letter"_s));
    EXPECT_FALSE(onePage(dtPostcard, u"Label Roll"_s));
}

TEST_F(CADocumentTest, SurfaceOutlineOfACutDiscWithAHole)
{
    const QPainterPath path = CADocument::documentSurfacePathForRect(QRectF(0, 0, 100, 60), 0.0, 120.0, 15.0, true);
    // A disc of radius 60 about (50, 30), cut flat 30 above and below its centre, with a hole of
    // radius 7.5.
    EXPECT_EQ(path.boundingRect().toRect(), QRect(-10, 0, 120, 60));
    EXPECT_FALSE(path.contains(QPointF(50.0, 30.0)));
    EXPECT_TRUE(path.contains(QPointF(59.0, 30.0)));
    EXPECT_FALSE(path.contains(QPointF(105.0, 5.0)));
    // Turning the card does not change the outline.
    EXPECT_EQ(CADocument::documentSurfacePathForRect(QRectF(0, 0, 100, 60), 0.0, 120.0, 15.0, false), path);
    // A disc narrower than the card is widened to reach its short sides.
    const QPainterPath disc = CADocument::documentSurfacePathForRect(QRectF(0, 0, 100, 60), 0.0, 20.0, 0.0, true);
    EXPECT_NEAR(disc.boundingRect().width(), 60.0, 0.05);
}

TEST_F(CADocumentTest, SurfaceOutlineOfRoundedAndPlainRectangles)
{
    const QPainterPath rounded = CADocument::documentSurfacePathForRect(QRectF(10, 20, 100, 50), 10.0, 0.0, 0.0, true);
    EXPECT_FALSE(rounded.contains(QPointF(11.0, 21.0)));
    EXPECT_TRUE(rounded.contains(QPointF(14.0, 45.0)));
    const QPainterPath plain = CADocument::documentSurfacePathForRect(QRectF(10, 20, 100, 50), 0.0, 0.0, 0.0, true);
    EXPECT_TRUE(plain.contains(QPointF(11.0, 21.0)));
    // A design's own outline takes its corner radius.
    CADocument design(std::make_unique<CFTADocument>());
    design.ftDocument()->SetCornerRadius(10.0);
    EXPECT_EQ(design.documentSurfacePathForRect(QRectF(10, 20, 100, 50)).value_or(QPainterPath()), rounded);
}

TEST_F(CADocumentTest, EnvelopeWindowStandsAboveItsBottomOffset)
{
    const std::unique_ptr<CADocument> envelope = document(dtEnvelope);
    envelope->setLayoutArangeComponents(sheet(297.0f, 684.0f, 1, 1, true), false);
    const QPainterPath window = envelope->windowPath().value_or(QPainterPath());
    EXPECT_EQ(window.boundingRect().toRect(), QRect(63, 540, 288, 108));
    // Rounded by the window's own corner radius.
    EXPECT_FALSE(window.contains(QPointF(63.5, 540.5)));
}

TEST_F(CADocumentTest, SeriesPrintingStepsReachTheCounters)
{
    CADocument series(std::make_unique<CFTADocument>());
    auto *counter = new CFTCounterField(10.0, 10.0, nullptr);
    series.ftDocument()->AddObject(counter, 0, false);
    QStringList texts;
    for (bool reset : {true, false, true}) {
        if (reset)
            series.resetObjects();
        series.nextStepObjects();
        texts << counter->GetText()->getString();
    }
    EXPECT_FALSE(texts[0].isEmpty());
    EXPECT_NE(texts[0], texts[1]);
    EXPECT_EQ(texts[2], texts[0]);
}

} // namespace
