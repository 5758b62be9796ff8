#include "kernel/merge/CALabelPrintingView.h"

#include "PrintingTestSupport.h"

#include "kernel/printing/CATemplateFormat.h"

using P = printtest::Test;
using printtest::PrintedPdf;

namespace {

constexpr double kMillimetre = 72.0 / 25.4;
const QString kPrinter = u"Sheet Feeder 3000"_s;
const QColor kItem(200, 30, 30);

class CALabelPrintingViewTest : public P
{
protected:
    // Labels 180 x 100 points unless told, 9 and 12 points apart.
    static CATemplateFormat sheet(int columns = 3, int rows = 2, float width = 180.0f, float height = 100.0f)
    {
        CATemplateFormat format;
        format.setPageSize(u"Letter"_s);
        format.setColumns(columns);
        format.setRows(rows);
        format.setItemWidth(width);
        format.setItemHeight(height);
        format.setHSpace(9.0f);
        format.setVSpace(12.0f);
        format.setLeftMargin(36.0f);
        format.setTopMargin(36.0f);
        return format;
    }
    // A view on US Letter of a label design (on the template unless told) with one counter near its
    // top-left corner.
    static std::unique_ptr<CALabelPrintingView> makeView(const CATemplateFormat &format, int copies, int startFrom = 1,
                                                         const std::optional<CATemplateFormat> &design = std::nullopt)
    {
        const CAPrintSettings settings {.printerName = kPrinter, .startFrom = startFrom};
        auto document = std::make_shared<CADocument>();
        document->setLayoutArangeComponents(design.value_or(format), false);
        document->ftDocument()->AddObject(new CFTCounterField(10.0, 10.0, nullptr), 0, false);
        auto view = std::make_unique<CALabelPrintingView>(CAPrintingView::DocumentList {document}, std::nullopt, settings, format, true);
        view->setItemRenderer(plainRenderer(kItem));
        view->setCopies(copies);
        return view;
    }
    static PrintedPdf print(CAPrintingView &view) { return printed(view, 1200, true); }
    static QRectF slotRect(const CALabelSheetLayout &sheet, int slot)
    {
        return QRectF(QPointF(sheet.originX(), sheet.originY()) + sheet.slotOrigin(slot),
                      QSizeF(sheet.itemWidth(), sheet.itemHeight()));
    }
    static std::vector<int> filledSlots(const QImage &image, const CALabelSheetLayout &sheet, double scale)
    {
        std::vector<int> filled;
        for (int slot = 0; slot < sheet.itemsPerPage(); ++slot) {
            if (near(image.pixelColor((slotRect(sheet, slot).center() * scale).toPoint()), kItem))
                filled.push_back(slot);
        }
        return filled;
    }
};

TEST_F(CALabelPrintingViewTest, TenCopiesFromFifthSlotFillThreePagesWithRunningCounters)
{
    std::unique_ptr<CALabelPrintingView> view = makeView(sheet(), 10, 5);
    const PrintedPdf job = print(*view);
    ASSERT_EQ(job.pageCount(), 3);
    EXPECT_EQ(job.pageSize(0).toSize(), QSize(612, 792));
    QStringList counters;
    for (int page = 0; page < 3; ++page) {
        for (const auto &[word, box] : job.words(page))
            for (int slot = 0; slot < view->sheet().itemsPerPage(); ++slot)
                counters << (slotRect(view->sheet(), slot).contains(box.center()) ? u"%1:%2:%3"_s.arg(page).arg(slot).arg(word) : QString());
    }
    counters.removeAll(QString());
    EXPECT_EQ(counters.join(u' '), u"0:4:1 0:5:2 1:0:3 1:1:4 1:2:5 1:3:6 1:4:7 1:5:8 2:0:9 2:1:10"_s);
    EXPECT_EQ(filledSlots(job.render(0, 4.0), view->sheet(), 4.0), (std::vector<int> {4, 5}));
}

TEST_F(CALabelPrintingViewTest, StoredOffsetsOfThePrinterShiftOnlyThePrintedPage)
{
    std::unique_ptr<CALabelPrintingView> plain = makeView(sheet(), 1);
    const QRectF before = print(*plain).wordBox(0, u"1"_s);
    CACalibrationSettings::storeForPrinter(PWUserDefaults::standardUserDefaults(), kPrinter, CACalibrationSettings(u"5"_s, u"3"_s, u"0"_s, false));
    // Another printer's entry does not apply.
    CACalibrationSettings::storeForPrinter(PWUserDefaults::standardUserDefaults(), u"Other"_s,
                                           CACalibrationSettings(u"40"_s, u"40"_s, u"0"_s, false));
    std::unique_ptr<CALabelPrintingView> shifted = makeView(sheet(), 1);
    EXPECT_TRUE(shifted->calibrationTransform().isIdentity()) << "preview";
    const QRectF after = print(*shifted).wordBox(0, u"1"_s);
    // Right by the horizontal millimetres, up by the vertical ones.
    EXPECT_TRUE(rectNear(after, before.translated(5.0 * kMillimetre, -3.0 * kMillimetre), 0.05));
}

TEST_F(CALabelPrintingViewTest, PreviewDrawsThePageItsSheetShowsAndPrintModeSkipsScreens)
{
    std::unique_ptr<CALabelPrintingView> view = makeView(sheet(), 10);
    view->setStartFrom(3);
    view->setCurPage(1);
    EXPECT_EQ(view->pageCount(), 2);
    // Over a background no drawing uses: the paper itself is drawn white, and every slot is
    // outlined, the unused ones too.
    const QImage image = drawnPage(*view, 1, QSizeF(612.0, 792.0));
    const CALabelSheetLayout &sheet = view->sheet();
    const QRectF first = slotRect(sheet, 0);
    EXPECT_EQ(filledSlots(image, sheet, 2.0), (std::vector<int> {2, 3, 4, 5}));
    EXPECT_EQ(std::pair(image.pixelColor((first.center() * 2.0).toPoint()).name(),
                        image.pixelColor((QPointF(first.center().x(), first.top()) * 2.0).toPoint()).lightness() < 110),
              std::pair(u"#ffffff"_s, true));
    // The record of where an item landed finds it on its page only; a double click on it opens it.
    EXPECT_EQ(view->hitRecord(0).value_or(CALabelPrintingView::HitRecord()).rect.topLeft(), slotRect(sheet, 2).topLeft());
    EXPECT_EQ(view->itemIndexAtPoint(first.center()), -1);
    EXPECT_EQ(view->startEditingAtPoint(slotRect(sheet, 3).center(), 1), nullptr) << "a single click";
    EXPECT_NE(view->startEditingAtPoint(slotRect(sheet, 3).center(), 2), nullptr);
    EXPECT_EQ(view->editingIndex(), 1);
    EXPECT_EQ(view->startEditingAtPoint(QPointF(5.0, 5.0), 2), nullptr);
    EXPECT_EQ(view->editingIndex(), -1);
    view->setCurPage(2);
    EXPECT_EQ(view->itemIndexAtPoint(slotRect(sheet, 3).center()), -1);
    // A print-mode pass into a screen image draws nothing.
    view->setPrintViewMode(CAPrintingView::kPrintMode);
    const QColor background(255, 0, 255);
    EXPECT_EQ(drawnPage(*view, 1, QSizeF(612.0, 792.0), 1.0, background).pixelColor(slotRect(sheet, 4).center().toPoint()), background);
}

TEST_F(CALabelPrintingViewTest, LandscapeDesignOnPortraitLabelsTurnsClockwise)
{
    // Portrait labels 100 x 180; the design stays the landscape 180 x 100 it was made on.
    std::unique_ptr<CALabelPrintingView> view = makeView(sheet(3, 2, 100.0f, 180.0f), 1, 1, sheet());
    const PrintedPdf job = print(*view);
    const QRectF slot = slotRect(view->sheet(), 0);
    // The marker and the counter at the design's top-left corner turn with it, to the slot's top-right.
    const QRectF topRight(slot.center().x(), slot.top(), slot.width() / 2, slot.height() / 2);
    EXPECT_TRUE(topRight.contains(boxOfColour(job.render(0), Qt::black).center()));
    EXPECT_TRUE(topRight.contains(job.wordBox(0, u"1"_s).center()));
    EXPECT_GT(view->hitRecord(0).value_or(CALabelPrintingView::HitRecord()).rect.height(), 100.0);
}

} // namespace
