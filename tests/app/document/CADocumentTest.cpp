#include "app/document/CADocument.h"

#include "DocumentTestSupport.h"

#include "kernel/address/CFTCounterField.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/foundation/CDDString.h"
#include "kernel/foundation/CFTDefComponentText.h"
#include "kernel/foundation/FTGeometry.h"
#include "kernel/printing/CATemplateFormat.h"

#include <QPainterPath>

#include <gtest/gtest.h>

#include <cmath>

namespace {

CDDString us()
{
    return CDDString(u"us"_s);
}

void expectNear(const QRectF &actual, const QRectF &expected, double tolerance)
{
    EXPECT_NEAR(actual.left(), expected.left(), tolerance);
    EXPECT_NEAR(actual.top(), expected.top(), tolerance);
    EXPECT_NEAR(actual.right(), expected.right(), tolerance);
    EXPECT_NEAR(actual.bottom(), expected.bottom(), tolerance);
}

class CADocumentTest : public ::testing::Test
{
protected:
    void SetUp() override { doctest::prepareProcess(); }
};

CATemplateFormat envelopeTemplate()
{
    CATemplateFormat format;
    format.setDocumentType(dtEnvelope);
    format.setPageSize(u"Envelope #10"_s);
    format.setItemWidth(684.0f);
    format.setItemHeight(297.0f);
    format.setPrintableWidth(684.0f);
    format.setPrintableHeight(297.0f);
    format.setColumns(1);
    format.setRows(1);
    format.setHasWindow(true);
    format.setWinWidth(288.0f);
    format.setWinHeight(108.0f);
    format.setWinBottomOffset(36.0f);
    format.setWinLeftOffset(63.0f);
    format.setWinCornerRadius(4.5f);
    format.setPredef(true);
    format.setUnits(cuMillimeters);
    return format;
}

CATemplateFormat labelSheet(float width, float height, int columns, int rows)
{
    CATemplateFormat format;
    format.setID(u"05960"_s);
    format.setItemWidth(width);
    format.setItemHeight(height);
    format.setPrintableWidth(width);
    format.setPrintableHeight(height);
    format.setColumns(columns);
    format.setRows(rows);
    format.setPredef(false);
    return format;
}

TEST_F(CADocumentTest, PreparedDocumentIsTakenOnceAndGetsTheDefaultTemplateOfItsKind)
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
    EXPECT_EQ(first.countryCodeTo(), u"uk"_s);
    EXPECT_EQ(first.countryCodeFrom(), u"de"_s);
    EXPECT_FALSE(first.ftDocument()->HasWindow());
    // An envelope's new texts are 12 points.
    EXPECT_DOUBLE_EQ(first.ftDocument()->getDefText()->GetFont(nullptr)->pointSize(), 12.0);
    EXPECT_EQ(second.docType(), dtLabel);
    EXPECT_EQ(second.countryCodeTo(), u"us"_s);
}

TEST_F(CADocumentTest, TakingOverAKernelDocumentAppliesNoTemplateAndKeepsTheSenderOfTheSenderList)
{
    const std::shared_ptr<PWPerson> sender = doctest::personFromVCard(doctest::kUsPerson);
    CADocument::setDefaultSenderSource([sender] { return sender; });
    CADocument document(std::make_unique<CFTADocument>(dtPostcard, us(), us()));
    EXPECT_DOUBLE_EQ(document.ftDocument()->getCardSizeX(), 252.0);
    EXPECT_EQ(document.colCount(), 2);
    EXPECT_EQ(document.currentPerson(false), sender);
    EXPECT_EQ(document.currentPerson(true), nullptr);
}

TEST_F(CADocumentTest, DefaultSenderComesFromTheStoredSenderListWithoutASource)
{
    CADocument::setDefaultSenderSource({});
    PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    const std::shared_ptr<PWPerson> jane = doctest::personFromVCard(doctest::kUsPerson);
    const std::shared_ptr<PWPerson> luc = doctest::personFromVCard(doctest::kCaPerson);
    defaults.setObject(u"SenderList"_s,
                       PWPlist(PWPlist::Array {PWPlist(FTStoredPerson::convertToStoringData(*jane)),
                                               PWPlist(FTStoredPerson::convertToStoringData(*luc))}));
    defaults.setInteger(u"Default Sender Index"_s, 2);
    std::shared_ptr<PWPerson> sender = CADocument::defaultSender();
    ASSERT_NE(sender, nullptr);
    EXPECT_EQ(stringForPersonCategory(sender.get(), adWork, tcLastName, true), u"Tremblay"_s);

    // An index past the list falls back to the first sender.
    defaults.setInteger(u"Default Sender Index"_s, 7);
    sender = CADocument::defaultSender();
    ASSERT_NE(sender, nullptr);
    EXPECT_EQ(stringForPersonCategory(sender.get(), adWork, tcLastName, true), u"Doe"_s);
    defaults.removeObject(u"SenderList"_s);
    defaults.removeObject(u"Default Sender Index"_s);
}

TEST_F(CADocumentTest, SetLayoutCopiesTheTemplateAndRescalesOnlyWhenAsked)
{
    CADocument document(std::make_unique<CFTADocument>(dtLabel, us(), us()));
    CFTADocument *kernel = document.ftDocument();
    auto *box = new CFTBoxField(100.0, 50.0, 40.0, 20.0, nullptr);
    kernel->AddObject(box, 0, false);

    // 252 x 144 to 189 x 72: the long sides scale by 0.75, the short ones by 0.5.
    document.setLayoutArangeComponents(labelSheet(189.0f, 72.0f, 3, 10), false);
    EXPECT_DOUBLE_EQ(box->GetOriginX(), 100.0);
    EXPECT_DOUBLE_EQ(kernel->getCardSizeX(), 189.0);
    EXPECT_DOUBLE_EQ(kernel->getCardSizeY(), 72.0);

    document.setLayoutArangeComponents(labelSheet(378.0f, 144.0f, 2, 5), true);
    EXPECT_DOUBLE_EQ(box->GetOriginX(), 200.0);
    EXPECT_DOUBLE_EQ(box->GetOriginY(), 100.0);
    EXPECT_DOUBLE_EQ(kernel->getCardSizeX(), 378.0);

    document.setLayoutArangeComponents(envelopeTemplate(), false);
    EXPECT_TRUE(kernel->HasWindow());
    EXPECT_DOUBLE_EQ(kernel->GetWinHeight(), 108.0);
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
        CADocument document(std::make_unique<CFTADocument>(dtLabel, us(), us()));
        document.ftDocument()->setDocumentSizeX(width);
        document.ftDocument()->setDocumentSizeY(height);
        document.setDefTextSize();
        const std::optional<PWFont> font = document.ftDocument()->getDefText()->GetFont(nullptr);
        ASSERT_TRUE(font.has_value());
        EXPECT_DOUBLE_EQ(font->pointSize(), points);
    }
}

TEST_F(CADocumentTest, OneCardOnePageForEnvelopesAndLabelRollsOnly)
{
    const auto make = [](documentType type, const QString &pageSize) {
        auto kernel = std::make_unique<CFTADocument>(type, us(), us());
        kernel->SetPageSize(CDDString(pageSize));
        return std::make_unique<CADocument>(std::move(kernel));
    };
    EXPECT_TRUE(make(dtEnvelope, u"Envelope #10"_s)->oneCardOnePage());
    EXPECT_TRUE(make(dtLabel, u"Label Roll"_s)->oneCardOnePage());
    EXPECT_FALSE(make(dtLabel, u"US Letter"_s)->oneCardOnePage());
    EXPECT_FALSE(make(dtPostcard, u"Label Roll"_s)->oneCardOnePage());
}

TEST_F(CADocumentTest, SurfaceOutlineOfACutDiscWithAHole)
{
    const QPainterPath path = CADocument::documentSurfacePathForRect(QRectF(0, 0, 100, 60), 0.0, 120.0, 15.0, true);
    // A disc of radius 60 about (50, 30), cut flat 30 above and below its centre.
    expectNear(path.boundingRect(), QRectF(50.0 - 60.0, 0.0, 120.0, 60.0), 0.05);
    EXPECT_FALSE(path.contains(QPointF(50.0, -0.5)));
    EXPECT_TRUE(path.contains(QPointF(50.0, 0.5)));
    EXPECT_TRUE(path.contains(QPointF(105.0, 30.0)));
    // The hole of radius 7.5 and what lies outside the chords are not surface.
    EXPECT_FALSE(path.contains(QPointF(50.0, 30.0)));
    EXPECT_TRUE(path.contains(QPointF(59.0, 30.0)));
    EXPECT_FALSE(path.contains(QPointF(105.0, 5.0)));
    // Turning the card does not change the outline.
    EXPECT_EQ(CADocument::documentSurfacePathForRect(QRectF(0, 0, 100, 60), 0.0, 120.0, 15.0, false), path);
}

TEST_F(CADocumentTest, SurfaceOutlineOfRoundedAndPlainRectangles)
{
    const QPainterPath rounded = CADocument::documentSurfacePathForRect(QRectF(10, 20, 100, 50), 10.0, 0.0, 0.0, true);
    EXPECT_NEAR(rounded.boundingRect().left(), 10.0, 1e-3);
    EXPECT_NEAR(rounded.boundingRect().bottom(), 70.0, 1e-3);
    EXPECT_FALSE(rounded.contains(QPointF(11.0, 21.0)));
    EXPECT_TRUE(rounded.contains(QPointF(14.0, 45.0)));
    const QPainterPath plain = CADocument::documentSurfacePathForRect(QRectF(10, 20, 100, 50), 0.0, 0.0, 0.0, true);
    EXPECT_TRUE(plain.contains(QPointF(11.0, 21.0)));
    EXPECT_EQ(plain.boundingRect(), QRectF(10, 20, 100, 50));
    // A disc narrower than the card is widened to reach its short sides.
    const QPainterPath disc = CADocument::documentSurfacePathForRect(QRectF(0, 0, 100, 60), 0.0, 20.0, 0.0, true);
    EXPECT_NEAR(disc.boundingRect().width(), 60.0, 0.05);

    CADocument document(std::make_unique<CFTADocument>());
    document.ftDocument()->SetCornerRadius(10.0);
    ASSERT_TRUE(document.documentSurfacePathForRect(QRectF(10, 20, 100, 50)).has_value());
    EXPECT_EQ(*document.documentSurfacePathForRect(QRectF(10, 20, 100, 50)), rounded);
}

TEST_F(CADocumentTest, EnvelopeWindowStandsAboveItsBottomOffset)
{
    CADocument document(std::make_unique<CFTADocument>(dtEnvelope, us(), us()));
    CATemplateFormat format = envelopeTemplate();
    format.setPredef(false);
    format.setItemWidth(297.0f);
    format.setItemHeight(684.0f);
    document.setLayoutArangeComponents(format, false);
    const std::optional<QPainterPath> window = document.windowPath();
    ASSERT_TRUE(window.has_value());
    expectNear(window->boundingRect(), QRectF(63.0, 540.0, 288.0, 108.0), 1e-3);
    // Rounded by the window's own corner radius.
    EXPECT_FALSE(window->contains(QPointF(63.5, 540.5)));
}

TEST_F(CADocumentTest, SeriesPrintingStepsReachTheCounters)
{
    CADocument document(std::make_unique<CFTADocument>());
    auto *counter = new CFTCounterField(10.0, 10.0, nullptr);
    document.ftDocument()->AddObject(counter, 0, false);
    document.resetObjects();
    document.nextStepObjects();
    const QString first = counter->GetText()->getString();
    document.nextStepObjects();
    const QString second = counter->GetText()->getString();
    EXPECT_FALSE(first.isEmpty());
    EXPECT_NE(first, second);
    document.resetObjects();
    document.nextStepObjects();
    EXPECT_EQ(counter->GetText()->getString(), first);
}

} // namespace
