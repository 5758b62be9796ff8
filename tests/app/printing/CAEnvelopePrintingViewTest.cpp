#include "app/printing/CAEnvelopePrintingView.h"

#include "PrintingTestSupport.h"

#include <QTemporaryDir>

using namespace printtest;

namespace {

constexpr double kMm = 72.0 / 25.4;
// A 6 × 4 inch envelope on upright Letter paper.
constexpr double kLx = 432.0;
constexpr double kLy = 288.0;
constexpr double kPaperWidth = 612.0;

CAPrintSettings letter(QPageLayout::Orientation orientation = QPageLayout::Portrait, const QString &printer = QString())
{
    CAPrintSettings settings;
    settings.paperSize = QSizeF(kPaperWidth, 792.0);
    settings.orientation = orientation;
    settings.printerName = printer;
    return settings;
}

// A 6 × 4 inch envelope, moved by the roll offsets given.
std::shared_ptr<CADocument> envelope(double offsetX = 0.0, double offsetY = 0.0)
{
    return makeDesign(
        {.type = dtEnvelope, .width = kLx, .height = kLy, .labelRoll = false, .offsetX = offsetX, .offsetY = offsetY});
}

class CAEnvelopePrintingViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        prepareProcess();
        ASSERT_TRUE(m_folder.isValid());
    }

    std::unique_ptr<CAEnvelopePrintingView> makeView(const CAPrintSettings &settings = letter())
    {
        auto view = std::make_unique<CAEnvelopePrintingView>(CAPrintingView::DocumentList {envelope()}, std::nullopt,
                                                             settings, true);
        // Images the view made with the system's renderer while it was built are cached: drop them.
        view->setItemRenderer(plainRenderer());
        view->clearDocMapPreviewCache();
        view->refreshDocumentMap();
        return view;
    }

    QImage printFirstPage(CAEnvelopePrintingView &view, int *pages = nullptr)
    {
        const PrintedPdf pdf = printed(view, m_folder.filePath(u"envelope.pdf"_s), 288);
        if (pages)
            *pages = pdf.pageCount();
        return pdf.pageCount() > 0 ? pdf.render(0) : QImage();
    }

    QTemporaryDir m_folder;
};

// Quarter turns and alignments (left, centre, right).
using PlacementCase = std::tuple<int, int>;

// The envelope lies against the top edge of the paper and against its left edge, its middle or
// its right edge, turned clockwise by the angle: its top-left corner (the marker) goes round the
// envelope's corners clockwise with each quarter turn.
class CAEnvelopePlacementTest : public CAEnvelopePrintingViewTest, public ::testing::WithParamInterface<PlacementCase>
{
};

TEST_P(CAEnvelopePlacementTest, PrintedEnvelopeIsTurnedAndAligned)
{
    const auto [degrees, alignment] = GetParam();
    std::unique_ptr<CAEnvelopePrintingView> view = makeView();
    view->setRotation(degrees);
    view->setAlignment(alignment);
    int pages = 0;
    const QImage image = printFirstPage(*view, &pages);
    ASSERT_EQ(pages, 1);

    const bool turned = degrees % 180 != 0;
    const double across = turned ? kLy : kLx;
    const QRectF expected(alignment * (kPaperWidth - across) / 2.0, 0.0, across, turned ? kLx : kLy);
    expectRectNear(boxOfColour(image, colourForName(QString())), expected);

    const QRectF marker = boxOfColour(image, kMarkerColour);
    ASSERT_FALSE(marker.isNull());
    EXPECT_NEAR(marker.width(), kMarkerSize, 1.0);
    const QPointF corner = degrees == 90 ? expected.topRight()
        : degrees == 180                 ? expected.bottomRight()
        : degrees == 270                 ? expected.bottomLeft()
                                         : expected.topLeft();
    EXPECT_LE(std::min(std::abs(marker.left() - corner.x()), std::abs(marker.right() - corner.x())), 1.0);
    EXPECT_LE(std::min(std::abs(marker.top() - corner.y()), std::abs(marker.bottom() - corner.y())), 1.0);
}

INSTANTIATE_TEST_SUITE_P(QuarterTurns, CAEnvelopePlacementTest,
                         ::testing::Combine(::testing::Values(0, 90, 180, 270), ::testing::Values(0, 1, 2)));

TEST_F(CAEnvelopePrintingViewTest, PortraitPaperTurnsTheEnvelopeAQuarterTurnAndRotationWrapsAround)
{
    std::unique_ptr<CAEnvelopePrintingView> portrait = makeView(letter(QPageLayout::Portrait));
    EXPECT_EQ(portrait->rotation(), 90);
    std::unique_ptr<CAEnvelopePrintingView> landscape = makeView(letter(QPageLayout::Landscape));
    EXPECT_EQ(landscape->rotation(), 0);
    landscape->rotateClockwise(false);
    EXPECT_EQ(landscape->rotation(), 270);
    landscape->setRotation(-90);
    landscape->rotateClockwise(true);
    EXPECT_EQ(landscape->rotation(), 0);
}

TEST_F(CAEnvelopePrintingViewTest, CalibrationActsAlongTheTurnedEnvelope)
{
    CACalibrationSettings::storeForPrinter(PWUserDefaults::standardUserDefaults(), u"Feeder"_s,
                                           CACalibrationSettings(u"2"_s, u"3"_s, u"0"_s, false));
    std::unique_ptr<CAEnvelopePrintingView> view = makeView(letter(QPageLayout::Portrait, u"Feeder"_s));
    ASSERT_EQ(view->rotation(), 90);
    // The envelope's x axis runs down the page and its up direction to the right.
    expectRectNear(boxOfColour(printFirstPage(*view), colourForName(QString())),
                   QRectF(3.0 * kMm, 2.0 * kMm, kLy, kLx));
}

TEST_F(CAEnvelopePrintingViewTest, RollOffsetsDoNotMoveEnvelopes)
{
    CAEnvelopePrintingView view(CAPrintingView::DocumentList {envelope(40.0, 30.0)}, std::nullopt,
                                letter(QPageLayout::Landscape), true);
    view.setItemRenderer(plainRenderer());
    const QRectF design = boxOfColour(printFirstPage(view), colourForName(QString()));
    EXPECT_NEAR(design.left(), 0.0, 1.0);
    EXPECT_NEAR(design.top(), 0.0, 1.0);
}

TEST_F(CAEnvelopePrintingViewTest, PreviewMarksThePaperEdgeAndAnyDoubleClickOpensTheEnvelope)
{
    std::unique_ptr<CAEnvelopePrintingView> view = makeView(letter(QPageLayout::Landscape));
    const QImage image = drawnPage(*view, 1, QSizeF(792.0, 612.0), 1.0);
    const QRectF edge = boxOfColour(image, QColor::fromRgbF(0.3, 0.3, 0.3), 1.0);
    EXPECT_NEAR(edge.left(), 0.0, 1.0);
    EXPECT_NEAR(edge.right(), 792.0, 1.0);
    EXPECT_NEAR(edge.bottom(), 612.0, 1.0);
    // Between the envelope and the edge the paper is white.
    EXPECT_EQ(QColor(image.pixel(700, 500)), QColor(Qt::white));

    int opened = 0;
    view->setEditingHandler([&opened](std::shared_ptr<CADocument>) { ++opened; });
    EXPECT_EQ(view->clickAtPoint(QPointF(700.0, 500.0), 1, 1), 0);
    EXPECT_EQ(view->clickAtPoint(QPointF(700.0, 500.0), 2, 1), 1);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(view->editingIndex(), 0);
}

TEST_F(CAEnvelopePrintingViewTest, AJobWithoutAGridPrintsOneEnvelope)
{
    std::unique_ptr<CAEnvelopePrintingView> view = makeView();
    view->setCopies(0);
    EXPECT_EQ(view->pageCount(), 0);
    view->setCopies(view->fullSheetCopies());
    int pages = 0;
    const QImage image = printFirstPage(*view, &pages);
    EXPECT_EQ(pages, 1);
    EXPECT_FALSE(boxOfColour(image, colourForName(QString())).isNull());
}

} // namespace
