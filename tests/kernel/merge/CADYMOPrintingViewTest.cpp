#include "kernel/merge/CADYMOPrintingView.h"

#include "PrintingTestSupport.h"

#include "kernel/text/CFTAText.h"

using P = printtest::Test;
using printtest::DesignGeometry;
using printtest::PrintedPdf;

namespace {

const QSizeF kPaper(300.0, 120.0);

class CADYMOPrintingViewTest : public P
{
protected:
    static std::unique_ptr<CADYMOPrintingView> makeView(const DesignGeometry &geometry, int count = 0)
    {
        return plainView<CADYMOPrintingView>(makeDesign(geometry), count > 0 ? std::optional(persons(count)) : std::nullopt,
                                             CAPrintSettings {.paperSize = kPaper, .printerName = {}});
    }
};

// On 300 x 120 paper with roll offsets (20, 10) the item stands on the bottom edge, the 50-point bleed
// of label-roll paper outside the design area; print centres the layout-size image on the printable
// area, preview squeezes it in; a printable size that truncates to 0 counts as none.
TEST_F(CADYMOPrintingViewTest, PlacesTheDesignAreaOnThePage)
{
    const QRectF onBottom(20.0, 31.0, 252.0, 79.0);
    for (const auto &[labelRoll, printableWidth, print, expected] :
         {std::tuple {true, 0.0, true, onBottom}, std::tuple {true, 0.0, false, onBottom},
          std::tuple {false, 240.0, true, QRectF(14.0, 35.5, 252.0, 79.0)},
          std::tuple {false, 240.0, false, QRectF(20.0, 40.0, 240.0, 70.0)}, std::tuple {false, 0.5, true, onBottom}}) {
        std::unique_ptr<CADYMOPrintingView> view = makeView({.printableWidth = printableWidth,
                                                             .printableHeight = labelRoll ? 0.0 : 70.0,
                                                             .labelRoll = labelRoll,
                                                             .offsetX = 20.0,
                                                             .offsetY = 10.0});
        const QImage image = print ? printed(*view, 288).render(0) : drawnPage(*view, 1, kPaper);
        EXPECT_TRUE(rectNear(boxOfColour(image, colourOf(QString())), expected)) << labelRoll << printableWidth << print;
    }
}

// Offsets larger than the room the paper leaves beside the item move it only up to the paper's
// edges: the whole item stays on the page, in print and in preview.
TEST_F(CADYMOPrintingViewTest, RollOffsetsNeverPushTheItemOffThePaper)
{
    for (const auto &[offsets, expected] :
         {std::pair {QPointF(60.0, 50.0), QRectF(48.0, 0.0, 252.0, 79.0)},
          std::pair {QPointF(-5.0, -5.0), QRectF(0.0, 41.0, 252.0, 79.0)}}) {
        for (const bool print : {true, false}) {
            std::unique_ptr<CADYMOPrintingView> view =
                makeView({.labelRoll = true, .offsetX = offsets.x(), .offsetY = offsets.y()});
            const QImage image = print ? printed(*view, 288).render(0) : drawnPage(*view, 1, kPaper);
            EXPECT_TRUE(rectNear(boxOfColour(image, colourOf(QString())), expected)) << offsets.x() << print;
        }
    }
}

TEST_F(CADYMOPrintingViewTest, CalibrationPageIsOnePageCentredOnTheLabelOrItsPrintableArea)
{
    for (const auto &[printable, centre] : {std::pair {QSizeF(0, 0), QPointF(126.0, 39.5)}, std::pair {QSizeF(200, 90), QPointF(100.0, 45.0)}}) {
        CATemplateFormat layout;
        layout.setPageSize(u"Label Roll"_s);
        layout.setItemWidth(79.0f);
        layout.setItemHeight(252.0f);
        layout.setPrintableWidth(float(printable.width()));
        layout.setPrintableHeight(float(printable.height()));
        CADYMOPrintingView view(layout, CAPrintSettings {.paperSize = kPaper, .printerName = {}});
        EXPECT_EQ(view.pageCount(), 1);
        const QImage image = drawnPage(view, 1, kPaper, 4.0, Qt::white);
        const QSizeF size = CADYMOPrintingView::calibrationDrawingSize();
        EXPECT_TRUE(rectNear(boxOfColour(image, QColor(Qt::black), 4.0),
                             QRectF(centre - QPointF(size.width(), size.height()) / 2, size)))
            << printable.width();
        EXPECT_EQ(QColor(image.pixel((centre * 4).toPoint())), QColor(Qt::black));
    }
}

TEST_F(CADYMOPrintingViewTest, ClicksOnTheDrawnItemOpenItsPageForEditing)
{
    std::unique_ptr<CADYMOPrintingView> view = makeView({.width = 200.0, .height = 60.0, .labelRoll = false, .offsetX = 30.0}, 4);
    QStringList opened;
    view->setEditingHandler([&opened](std::shared_ptr<CADocument> document) { opened << recipientName(*document); });
    view->setCurPage(2);
    drawnPage(*view, 2, kPaper);
    const CADYMOPrintingView::HitRecord hit = view->hitRecordForMapIndex(1).value_or(CADYMOPrintingView::HitRecord());
    EXPECT_TRUE(hit.page == 2 && rectNear(hit.rect, QRectF(30.0, 60.0, 200.0, 60.0), 1e-6));
    // In the normal mode only a double click on the item of the page opens it.
    const QPointF item(100.0, 90.0);
    EXPECT_EQ(QList<int>({view->clickAtPoint(item, 1, 2), view->clickAtPoint(QPointF(10.0, 90.0), 2, 2), view->clickAtPoint(item, 2, 3),
                          view->clickAtPoint(item, 2, 2)}), QList<int>({0, 0, 0, 2}));
    EXPECT_EQ(view->editingIndex(), 1);
    // Edit mode opens the current page at once, and then one click is enough.
    view->setCurPage(4);
    view->setGUIMode(1);
    EXPECT_EQ(view->editingIndex(), 3);
    drawnPage(*view, 4, kPaper);
    EXPECT_EQ(view->clickAtPoint(item, 1, 4), 4);
    view->startEditingPage(9);
    view->startEditingPage(0);
    EXPECT_EQ(opened, (QStringList {u"Person1"_s, u"Person3"_s, u"Person3"_s}));
}

// A catalogue roll names its label and paper standing (28 x 89 mm on 32 x 92 mm) while its design
// lies on the long side. The paper is turned to match and the printable area taken as the design
// lies: preview and print both hold the whole label, unsqueezed, the roll's offsets from the
// paper's bottom-left corner.
TEST_F(CADYMOPrintingViewTest, CatalogueRollLiesOnItsPaperAsTheDesignLies)
{
    constexpr double mm = 72.0 / 25.4;
    const QSizeF label(89.0 * mm, 28.0 * mm);
    std::shared_ptr<CADocument> design = makeDesign({.width = label.height(), .height = label.width(),
                                                     .printableWidth = label.height(), .printableHeight = label.width(),
                                                     .offsetX = 2.0 * mm, .offsetY = 1.5 * mm});
    CFTADocument *kernel = design->ftDocument();
    kernel->SetPredefinedLayout(true);
    kernel->SetManufacturer(CDDString(u"Dymo"_s));
    kernel->SetDYMOPaperWidth(32.0 * mm);
    kernel->SetDYMOPaperHeight(92.0 * mm);
    design->setupPrintInfo(false);
    EXPECT_EQ(design->printSettings().orientation, QPageLayout::Landscape);
    const QSizeF paper = design->printSettings().orientedPaperSize();
    EXPECT_TRUE(std::abs(paper.width() - 92.0 * mm) < 0.01 && std::abs(paper.height() - 32.0 * mm) < 0.01);

    const QRectF expected(2.0 * mm, paper.height() - 1.5 * mm - label.height(), label.width(), label.height());
    for (const bool print : {true, false}) {
        std::unique_ptr<CADYMOPrintingView> view = plainView<CADYMOPrintingView>(design, std::nullopt, design->printSettings());
        EXPECT_TRUE(rectNear(view->imageRectForDocument(*design, print ? CAPrintingView::kPrintMode : CAPrintingView::kPreviewMode),
                             QRectF(-50.0, -50.0, label.width() + 100.0, label.height() + 100.0), 0.01));
        const QImage image = print ? printed(*view, 288).render(0) : drawnPage(*view, 1, paper);
        EXPECT_TRUE(rectNear(boxOfColour(image, colourOf(QString())), expected)) << print;
        EXPECT_TRUE(rectNear(boxOfColour(image, Qt::black), QRectF(expected.topLeft(), QSizeF(kMarkerSize, kMarkerSize)))) << print;
    }
}

// A side turned by quarter turns is drawn turned into the item's image (a bitmap always lying);
// the live counters are laid over it where the design's own texts stand: a counter prints where a
// text of its style, string and place prints.
TEST_F(CADYMOPrintingViewTest, CountersStandWhereTheTurnedDesignPutsItsTexts)
{
    const auto printedBox = [](int orientation, bool vector, bool counter) {
        std::shared_ptr<CADocument> design = makeDesign({.width = 252.0, .height = 79.0});
        design->ftDocument()->getPage(0)->setPageOrientation(orientation);
        auto field = std::make_unique<CFTCounterField>(60.0, 20.0, nullptr);
        if (counter) {
            design->ftDocument()->AddObject(field.release(), 0, false);
        } else {
            // The counter's first value as a plain text of the same style and place.
            field->SetValue(1);
            auto text = std::make_unique<CFTAText>(60.0, 20.0, nullptr);
            const std::optional<QTextCharFormat> style = field->GetFontAttr(nullptr);
            text->GetText()->setString(field->GetTextData()->toPlainText(), style ? &*style : nullptr);
            text->ExpandByText();
            design->ftDocument()->AddObject(text.release(), 0, false);
        }
        CADYMOPrintingView view({design}, std::nullopt, CAPrintSettings {.paperSize = kPaper, .printerName = {}}, vector);
        const PrintedPdf pdf = printed(view, 288);
        if (pdf.pageCount() != 1)
            return QRectF();
        // The dark ink of the page, in points: a bitmap item has no words to find.
        const QImage page = pdf.render(0, 4.0).convertToFormat(QImage::Format_Grayscale8);
        QRect ink;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                if (page.constScanLine(y)[x] < 128)
                    ink |= QRect(x, y, 1, 1);
        return QRectF(ink.x() / 4.0, ink.y() / 4.0, ink.width() / 4.0, ink.height() / 4.0);
    };
    for (const int orientation : {0, 1, 2, 3}) {
        for (const bool vector : {true, false}) {
            const QRectF text = printedBox(orientation, vector, false);
            const QRectF counter = printedBox(orientation, vector, true);
            ASSERT_FALSE(text.isNull()) << orientation << vector;
            EXPECT_TRUE(rectNear(counter, text, 1.5)) << orientation << (vector ? " vector" : " bitmap") << ": counter at "
                                                      << counter.x() << "," << counter.y() << " text at " << text.x() << ","
                                                      << text.y();
        }
    }
}

} // namespace
