#include "kernel/merge/CAEnvelopePrintingView.h"

#include "PrintingTestSupport.h"

#include "kernel/merge/CAPrintTarget.h"
#include "platform/PWJobReport.h"

using P = printtest::Test;
using printtest::PrintedPdf;

namespace {

constexpr double kMm = 72.0 / 25.4;
constexpr double kLx = 432.0;
constexpr double kLy = 288.0;

class CAEnvelopePrintingViewTest : public P
{
protected:
    static std::unique_ptr<CAEnvelopePrintingView> makeView(QPageLayout::Orientation orientation, const QString &printer = {}, double offset = 0.0)
    {
        return plainView<CAEnvelopePrintingView>(
            makeDesign({.type = dtEnvelope, .width = kLx, .height = kLy, .labelRoll = false, .offsetX = offset, .offsetY = offset}), std::nullopt,
            CAPrintSettings {.orientation = orientation, .printerName = printer});
    }
    static QImage printFirstPage(CAEnvelopePrintingView &view)
    {
        const PrintedPdf pdf = printed(view, 288);
        EXPECT_EQ(pdf.pageCount(), 1);
        return pdf.render(0);
    }
};

// The envelope lies against the top edge of the paper and against its left edge, its middle or
// its right edge, turned clockwise by the angle: its top-left corner (the marker) goes round the
// envelope's corners clockwise with each quarter turn.
TEST_F(CAEnvelopePrintingViewTest, PrintedEnvelopeIsTurnedAndAligned)
{
    for (const auto &[degrees, alignment] : {std::pair {0, 0}, std::pair {90, 1}, std::pair {180, 2}, std::pair {270, 0}}) {
        SCOPED_TRACE(degrees);
        std::unique_ptr<CAEnvelopePrintingView> view = makeView(QPageLayout::Portrait);
        view->setRotation(degrees);
        view->setAlignment(alignment);
        const QImage image = printFirstPage(*view);
        const bool turned = degrees % 180 != 0;
        const QRectF expected(alignment * (612.0 - (turned ? kLy : kLx)) / 2.0, 0.0, turned ? kLy : kLx, turned ? kLx : kLy);
        EXPECT_TRUE(rectNear(boxOfColour(image, colourOf(QString())), expected));
        const QPointF corner = degrees == 90 ? expected.topRight() : degrees == 180 ? expected.bottomRight()
                             : degrees == 270 ? expected.bottomLeft() : expected.topLeft();
        const QPointF inward(corner.x() > expected.center().x() ? kMarkerSize : 0.0, corner.y() > expected.center().y() ? kMarkerSize : 0.0);
        const QRectF marker(corner - inward, QSizeF(kMarkerSize, kMarkerSize));
        EXPECT_TRUE(rectNear(boxOfColour(image, Qt::black), marker));
    }
}

// Every feed angle with every alignment: the envelope lies against the top edge of the paper and
// against its left edge, its middle or its right edge, and its own top-left corner goes round
// clockwise with each quarter turn.
TEST(CAEnvelopePlacementTest, EachFeedAngleTurnsAndAlignsTheEnvelope)
{
    const double paper = 612.0;
    for (const int degrees : {0, 90, 180, 270}) {
        for (const int alignment : {0, 1, 2}) {
            SCOPED_TRACE(u"%1 degrees, alignment %2"_s.arg(degrees).arg(alignment).toStdString());
            const QTransform placement = CAEnvelopePrintingView::placementTransform(degrees, alignment, paper, kLx, kLy);
            const bool turned = degrees % 180 != 0;
            const double across = turned ? kLy : kLx;
            const QRectF expected(alignment * (paper - across) / 2.0, 0.0, across, turned ? kLx : kLy);
            EXPECT_TRUE(P::rectNear(placement.mapRect(QRectF(0, 0, kLx, kLy)), expected, 1e-6));
            const QPointF corner = degrees == 90 ? expected.topRight() : degrees == 180 ? expected.bottomRight()
                                 : degrees == 270 ? expected.bottomLeft() : expected.topLeft();
            EXPECT_LT(QLineF(placement.map(QPointF(0, 0)), corner).length(), 1e-6);
        }
    }
    // Other angles and alignments turn about the paper's corner without a shift.
    for (const auto &[degrees, alignment] : {std::pair {45, 0}, std::pair {90, 3}, std::pair {0, -1}}) {
        QTransform expected;
        expected.rotate(degrees);
        EXPECT_EQ(CAEnvelopePrintingView::placementTransform(degrees, alignment, paper, kLx, kLy), expected) << degrees << " " << alignment;
    }
}

TEST_F(CAEnvelopePrintingViewTest, PortraitPaperTurnsTheEnvelopeAQuarterTurnAndRotationWrapsAround)
{
    std::unique_ptr<CAEnvelopePrintingView> portrait = makeView(QPageLayout::Portrait);
    std::unique_ptr<CAEnvelopePrintingView> landscape = makeView(QPageLayout::Landscape);
    EXPECT_EQ(std::pair(portrait->rotation(), landscape->rotation()), std::pair(90, 0));
    for (int turn = 0; turn < 4; ++turn)
        portrait->rotateClockwise(true);
    landscape->rotateClockwise(false);
    EXPECT_EQ(std::pair(portrait->rotation(), landscape->rotation()), std::pair(90, 270));
    landscape->setRotation(-90);
    landscape->rotateClockwise(true);
    EXPECT_EQ(landscape->rotation(), 0);
}

TEST_F(CAEnvelopePrintingViewTest, CalibrationActsAlongTheTurnedEnvelopeAndRollOffsetsDoNot)
{
    CACalibrationSettings::storeForPrinter(PWUserDefaults::standardUserDefaults(), u"Feeder"_s, CACalibrationSettings(u"2"_s, u"3"_s, u"0"_s, false));
    // Portrait paper turns the envelope a quarter: its x axis runs down the page and its up
    // direction to the right.
    std::unique_ptr<CAEnvelopePrintingView> view = makeView(QPageLayout::Portrait, u"Feeder"_s, 40.0);
    EXPECT_EQ(view->rotation(), 90);
    EXPECT_TRUE(rectNear(boxOfColour(printFirstPage(*view), colourOf(QString())), QRectF(3.0 * kMm, 2.0 * kMm, kLy, kLx)));
}

// A PDF file that a named printer stands behind, as the application's printers are handed in.
class NamedPrinterTarget : public CAPdfPrintTarget
{
public:
    NamedPrinterTarget(QPdfWriter &writer, QString name) : CAPdfPrintTarget(writer), m_name(std::move(name)) {}
    QString printerName() const override { return m_name; }

private:
    QString m_name;
};

// The printer behind the job's target decides the calibration; a target without a name (a file)
// falls back on the printer of the settings.
TEST_F(CAEnvelopePrintingViewTest, CalibrationFollowsThePrinterOfTheJobsTarget)
{
    PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    CACalibrationSettings::storeForPrinter(defaults, u"Feeder"_s, CACalibrationSettings(u"2"_s, u"3"_s, u"0"_s, false));
    CACalibrationSettings::storeForPrinter(defaults, u"Tray"_s, CACalibrationSettings(u"-4"_s, u"5"_s, u"0"_s, false));
    for (const auto &[targetPrinter, expected] : {std::pair {u"Tray"_s, QPointF(-4.0, 5.0)}, std::pair {QString(), QPointF(2.0, 3.0)},
                                                   std::pair {u"Unknown"_s, QPointF()}}) {
        SCOPED_TRACE(targetPrinter.toStdString());
        std::unique_ptr<CAEnvelopePrintingView> view = makeView(QPageLayout::Landscape, u"Feeder"_s);
        QTemporaryDir folder;
        QPdfWriter writer(folder.filePath(u"job.pdf"_s));
        NamedPrinterTarget target(writer, targetPrinter);
        QString error;
        ASSERT_TRUE(view->printPages(target, &error)) << error.toStdString();
        EXPECT_EQ(view->lastCalibrationOffsets(), expected * kMm);
        EXPECT_EQ(view->printTarget(), nullptr);
    }
}

TEST_F(CAEnvelopePrintingViewTest, PreviewMarksThePaperEdgeAndAnyDoubleClickOpensTheEnvelope)
{
    std::unique_ptr<CAEnvelopePrintingView> view = makeView(QPageLayout::Landscape);
    const QImage image = drawnPage(*view, 1, QSizeF(792.0, 612.0), 1.0);
    EXPECT_TRUE(rectNear(boxOfColour(image, QColor::fromRgbF(0.3, 0.3, 0.3), 1.0), QRectF(0, 0, 792, 612)));
    // Between the envelope and the edge the paper is white.
    EXPECT_EQ(QColor(image.pixel(700, 500)), QColor(Qt::white));
    int opened = 0;
    view->setEditingHandler([&opened](std::shared_ptr<CADocument>) { ++opened; });
    EXPECT_EQ(QList<int>({view->clickAtPoint(QPointF(700.0, 500.0), 1, 1),
                          view->clickAtPoint(QPointF(700.0, 500.0), 2, 1), opened, view->editingIndex()}),
              QList<int>({0, 1, 1, 0}));
}

} // namespace

namespace {

struct StartingTurnCase
{
    const char *name;
    QPageLayout::Orientation orientation;
    QSizeF paper;
    QSizeF item;
    int degrees;
};

class CAEnvelopeStartingTurnTest : public ::testing::TestWithParam<StartingTurnCase>
{
};

// An item that fits the paper only one way starts that way, whatever the orientation says: a
// card printed on paper of its own size is never turned off it.
TEST_P(CAEnvelopeStartingTurnTest, ItemStartsTheWayItFitsThePaper)
{
    const StartingTurnCase &c = GetParam();
    EXPECT_EQ(CAEnvelopePrintingView::defaultRotation(c.orientation, c.paper, c.item), c.degrees) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Papers, CAEnvelopeStartingTurnTest,
    ::testing::Values(StartingTurnCase{"envelope on a portrait sheet", QPageLayout::Portrait, {612, 792}, {432, 288}, 90},
                      StartingTurnCase{"envelope on a landscape sheet", QPageLayout::Landscape, {792, 612}, {432, 288}, 0},
                      StartingTurnCase{"wide envelope across a portrait sheet", QPageLayout::Portrait, {612, 792}, {684, 297}, 90},
                      StartingTurnCase{"wide envelope on a landscape sheet", QPageLayout::Landscape, {792, 612}, {684, 297}, 0},
                      StartingTurnCase{"card on its own wide paper", QPageLayout::Portrait, {432, 288}, {432, 288}, 0},
                      StartingTurnCase{"tall card on its own paper", QPageLayout::Portrait, {288, 432}, {288, 432}, 0},
                      StartingTurnCase{"wide card on tall paper", QPageLayout::Landscape, {288, 432}, {432, 288}, 90},
                      StartingTurnCase{"card sizes rounded through millimetres", QPageLayout::Portrait, {431.8, 288}, {432.1, 288.1}, 0},
                      StartingTurnCase{"no design", QPageLayout::Portrait, {612, 792}, {}, 90}),
    [](const ::testing::TestParamInfo<StartingTurnCase> &info) { return std::to_string(info.index); });

// A print job tells of an envelope that its turn and feed put partly off the paper (a failure),
// and of one printed on paper of its own size because the default page could not hold it (a
// note); an envelope lying whole on the paper it was set up with is told of neither way.
TEST_F(CAEnvelopePrintingViewTest, AnEnvelopeOffItsPaperOrOnPaperOfItsOwnSizeIsTold)
{
    const struct
    {
        const char *name;
        QSizeF envelope;
        QSizeF paper;
        bool printerSettings;
        int degrees;
        int alignment;
        bool off;
        bool own;
    } cases[] = {
        {"lying on Letter", {kLx, kLy}, {612.0, 792.0}, false, 0, 0, false, false},
        {"turned and centred on Letter", {kLx, kLy}, {612.0, 792.0}, false, 90, 1, false, false},
        {"turned by an odd angle", {kLx, kLy}, {612.0, 792.0}, false, 45, 0, true, false},
        {"turned with a feed it does not know", {kLx, kLy}, {612.0, 792.0}, false, 90, 3, true, false},
        {"fed from the right on paper too narrow", {kLx, kLy}, {400.0, 792.0}, false, 0, 2, true, false},
        {"larger than any page, on its own paper", {1200.0, 900.0}, {1200.0, 900.0}, false, 0, 0, false, true},
        {"on its own paper by the printer's settings", {1200.0, 900.0}, {1200.0, 900.0}, true, 0, 0, false, false},
        {"larger than its Letter paper", {1200.0, 900.0}, {612.0, 792.0}, false, 90, 0, true, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const PWJobReport report;
        CAPrintSettings settings;
        settings.paperSize = c.paper;
        settings.usePrinterSettings = c.printerSettings;
        std::unique_ptr<CAEnvelopePrintingView> view = plainView<CAEnvelopePrintingView>(
            makeDesign({.type = dtEnvelope, .width = c.envelope.width(), .height = c.envelope.height(), .labelRoll = false}),
            std::nullopt, settings);
        view->setRotation(c.degrees);
        view->setAlignment(c.alignment);
        EXPECT_EQ(printed(*view, 72).pageCount(), 1);
        EXPECT_EQ(report.lines(PWJobReport::Kind::OffPaper).size(), c.off ? 1 : 0);
        EXPECT_EQ(report.lines(PWJobReport::Kind::OwnPaper).size(), c.own ? 1 : 0);
        EXPECT_EQ(report.failsJob(), c.off);
    }
}

} // namespace
