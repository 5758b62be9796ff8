// The sheets the catalogues ship land on their paper: every label sheet and card sheet laid out
// by the sheet printing view as a print job gets it, and the four-card postcard sheets printed.
#include "kernel/merge/CALabelPrintingView.h"

#include "PrintingTestSupport.h"

#include "kernel/printing/CALabelSheetLayout.h"
#include "kernel/printing/CATemplateFormat.h"
#include "platform/PWJobReport.h"

using printtest::PrintedPdf;

namespace {

// What the program itself lets an item reach past the paper: the rounding of catalogue lengths.
constexpr double kTolerance = 1.0;

// A design on the layout as the program makes one, its print information set up for the layout.
std::shared_ptr<CADocument> designOn(const CATemplateFormat &layout)
{
    auto document = std::make_shared<CADocument>(std::make_unique<CFTADocument>(
        documentType(layout.getDocumentType()), CDDString(u"us"_s), CDDString(u"us"_s)));
    document->setLayoutArangeComponents(layout, false);
    document->setupPrintInfo(false);
    return document;
}

// The sheet view of a print job of the design: its own template, made from the design.
std::unique_ptr<CALabelPrintingView> sheetView(const std::shared_ptr<CADocument> &design,
                                               std::optional<CAPrintingView::PersonList> persons = std::nullopt)
{
    return std::make_unique<CALabelPrintingView>(CAPrintingView::DocumentList {design}, std::move(persons),
                                                 design->printSettings(),
                                                 CATemplateFormat::initFromDocument(*design->ftDocument()), true);
}

QRectF slotRect(const CALabelSheetLayout &sheet, int slot)
{
    return QRectF(QPointF(sheet.originX(), sheet.originY()) + sheet.slotOrigin(slot),
                  QSizeF(sheet.itemWidth(), sheet.itemHeight()));
}

struct CatalogueCase
{
    const char *name;
    documentType type;
};

class CACatalogueSheetsOnPaperTest : public printtest::Test, public ::testing::WithParamInterface<CatalogueCase>
{
};

TEST_P(CACatalogueSheetsOnPaperTest, EverySlotOfEverySheetLiesOnItsPaper)
{
    const CatalogueCase &c = GetParam();
    const CATemplateFormat::TemplateList *list = CATemplateFormat::predefLayouts(c.type);
    ASSERT_TRUE(list);
    int sheets = 0;
    QStringList off;
    for (const std::shared_ptr<CATemplateFormat> &layout : *list) {
        // Rolls print one label a page and single cards are fed one at a time: no sheet.
        if (!layout || layout->isLabelRoll() || layout->Columns() <= 0 || layout->Rows() <= 0)
            continue;
        ++sheets;
        const std::unique_ptr<CALabelPrintingView> view = sheetView(designOn(*layout));
        const QRectF paper = QRectF(QPointF(0.0, 0.0), view->paperSize())
                                 .adjusted(-kTolerance, -kTolerance, kTolerance, kTolerance);
        ASSERT_EQ(view->sheet().itemsPerPage(), layout->Columns() * layout->Rows()) << qPrintable(layout->ID());
        for (int slot = 0; slot < view->sheet().itemsPerPage(); ++slot) {
            const QRectF item = slotRect(view->sheet(), slot);
            if (!paper.contains(item)) {
                off << u"%1 %2 on %3: slot %4 at %5, %6 size %7 x %8 on paper %9 x %10"_s.arg(
                           layout->Manufacturer(), layout->ID(), layout->PageSize())
                           .arg(slot)
                           .arg(item.x())
                           .arg(item.y())
                           .arg(item.width())
                           .arg(item.height())
                           .arg(view->paperSize().width())
                           .arg(view->paperSize().height());
                break;
            }
        }
    }
    EXPECT_GT(sheets, 0);
    EXPECT_TRUE(off.isEmpty()) << off.size() << " sheets:\n" << qPrintable(off.join(u'\n'));
}

INSTANTIATE_TEST_SUITE_P(Catalogues, CACatalogueSheetsOnPaperTest,
                         ::testing::Values(CatalogueCase {"LabelSheets", dtLabel},
                                           CatalogueCase {"PostcardSheets", dtPostcard}),
                         [](const auto &info) { return std::string(info.param.name); });

// --- the four-card sheets, printed -------------------------------------------------------------

struct CardSheetCase
{
    const char *maker;
    const char *id;
};

class CAFourCardSheetTest : public printtest::Test, public ::testing::WithParamInterface<CardSheetCase>
{
};

// Four lying cards fill a standing Letter sheet, one a quarter, each turned a quarter clockwise
// (its top-left corner at its quarter's top-right), and the job loses none of them.
TEST_P(CAFourCardSheetTest, FourLyingCardsFillTheLetterSheet)
{
    const CardSheetCase &c = GetParam();
    const std::shared_ptr<CATemplateFormat> layout =
        CATemplateFormat::findPredefLayoutManufacturerID(dtPostcard, QLatin1String(c.maker), QLatin1String(c.id));
    ASSERT_TRUE(layout);
    const std::shared_ptr<CADocument> design = designOn(*layout);
    // The card is designed lying, as the stock's cards are printed to be read.
    EXPECT_DOUBLE_EQ(design->ftDocument()->getDocumentSizeX(0), 5.5 * 72.0);
    EXPECT_DOUBLE_EQ(design->ftDocument()->getDocumentSizeY(0), 4.25 * 72.0);

    const std::unique_ptr<CALabelPrintingView> view = sheetView(design, persons(4));
    view->setItemRenderer(plainRenderer());
    view->setCopies(4);
    PWJobReport report;
    const PrintedPdf job = printed(*view, 300, true);
    EXPECT_TRUE(report.lines(PWJobReport::Kind::OffPaper).isEmpty())
        << qPrintable(report.lines(PWJobReport::Kind::OffPaper).join(u'\n'));
    ASSERT_EQ(job.pageCount(), 1);
    EXPECT_EQ(job.pageSize(0).toSize(), QSize(612, 792));

    const QImage page = job.render(0);
    for (int card = 0; card < 4; ++card) {
        SCOPED_TRACE(card);
        const QRectF quarter((card % 2) * 306.0, (card / 2) * 396.0, 306.0, 396.0);
        EXPECT_TRUE(rectNear(boxOfColour(page, colourOf(u"Person%1"_s.arg(card))), quarter, 1.5));
        const QRectF corner(quarter.right() - kMarkerSize, quarter.top(), kMarkerSize, kMarkerSize);
        EXPECT_NEAR(QColor(page.pixel((corner.center() * 2.0).toPoint())).lightness(), 0, 40);
    }
}

INSTANTIATE_TEST_SUITE_P(Catalogues, CAFourCardSheetTest,
                         ::testing::Values(CardSheetCase {"Avery", "08387"}, CardSheetCase {"Avery", "03380"}),
                         [](const auto &info) { return std::string(info.param.id); });

} // namespace
