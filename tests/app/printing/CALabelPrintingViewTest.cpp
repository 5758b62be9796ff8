#include "app/printing/CALabelPrintingView.h"

#include "PrintingTestSupport.h"

#include "kernel/printing/CATemplateFormat.h"

#include <QTemporaryDir>

#include <algorithm>
#include <map>

using namespace printtest;

namespace {

constexpr double kMillimetre = 72.0 / 25.4;
const QString kPrinter = u"Sheet Feeder 3000"_s;
// Room for the cut ticks left of the first column.
constexpr float kLeftMargin = 36.0f;

// Six landscape labels 180 x 100 points, 9 and 12 points apart, on US Letter.
CATemplateFormat sheetTemplate(int columns = 3, int rows = 2, float hSpace = 9.0f, float vSpace = 12.0f)
{
    CATemplateFormat format;
    format.setDocumentType(dtLabel);
    format.setManufacturer(u"Custom"_s);
    format.setDescription(u"Test sheet"_s);
    format.setPageSize(u"Letter"_s);
    format.setColumns(columns);
    format.setRows(rows);
    format.setItemWidth(180.0f);
    format.setItemHeight(100.0f);
    format.setPrintableWidth(180.0f);
    format.setPrintableHeight(100.0f);
    format.setHSpace(hSpace);
    format.setVSpace(vSpace);
    format.setLeftMargin(kLeftMargin);
    format.setTopMargin(36.0f);
    return format;
}

// A label design on the template with one counter near its top-left corner.
std::shared_ptr<CADocument> counterDesign(const CATemplateFormat &format)
{
    auto document = std::make_shared<CADocument>();
    document->setLayoutArangeComponents(format, false);
    document->ftDocument()->AddObject(new CFTCounterField(10.0, 10.0, nullptr), 0, false);
    return document;
}

// Item images in a flat colour, as large as the design with its bleed, so that slots with an
// item show up in a rasterised page; or no image at all while refuse is set.
struct FlatRenderer
{
    QColor colour = QColor(200, 30, 30);
    bool refuse = false;
    // When set, the left half of each image gets this colour instead.
    std::optional<QColor> leftHalf;

    CAPrintingView::ItemRenderer function()
    {
        return [this](CADocument &document, bool, bool, double, double bleed) -> std::shared_ptr<CAImageEx> {
            if (refuse)
                return nullptr;
            const CFTADocument *kernel = document.ftDocument();
            QImage image(int(kernel->getLayoutSizeX() + 2.0 * bleed), int(kernel->getLayoutSizeY() + 2.0 * bleed),
                         QImage::Format_RGB32);
            image.fill(colour);
            if (leftHalf) {
                QPainter painter(&image);
                painter.fillRect(QRect(0, 0, image.width() / 2, image.height()), *leftHalf);
            }
            image.setDotsPerMeterX(int(72.0 / 0.0254 + 0.5));
            image.setDotsPerMeterY(int(72.0 / 0.0254 + 0.5));
            return std::shared_ptr<CAImageEx>(CAImageEx::initWithImage(image));
        };
    }
};

CAPrintSettings letterSettings(int startFrom, bool cut = false, bool dots = false)
{
    CAPrintSettings settings;
    settings.paperSize = QSizeF(612.0, 792.0);
    settings.printerName = kPrinter;
    settings.startFrom = startFrom;
    settings.cutLines = cut;
    settings.dottedMark = dots;
    return settings;
}

QColor pixelAt(const QImage &image, double x, double y)
{
    return image.pixelColor(int(x * 4.0), int(y * 4.0));
}

bool isItemColour(const QColor &colour)
{
    return colour.red() > 150 && colour.green() < 90 && colour.blue() < 90;
}

// Black ink, as the marks are drawn; the items' red is not.
bool isDark(const QColor &colour)
{
    return colour.red() < 110 && colour.green() < 110 && colour.blue() < 110;
}

// Whether any pixel of the horizontal stretch [x1, x2] at y is dark.
bool anyDarkAlong(const QImage &image, double x1, double x2, double y)
{
    for (double x = x1; x <= x2; x += 0.25) {
        if (isDark(pixelAt(image, x, y)))
            return true;
    }
    return false;
}

// Whether the stretch [x1, x2] at y (or the pixel row below it) carries any grey ink: a line of
// a quarter point covers a pixel only in part.
bool anyInkAlong(const QImage &image, double x1, double x2, double y)
{
    for (double x = x1; x <= x2; x += 0.25) {
        if (pixelAt(image, x, y).lightness() < 200 || pixelAt(image, x, y - 0.25).lightness() < 200)
            return true;
    }
    return false;
}

QRectF slotRect(const CALabelSheetLayout &sheet, int slot)
{
    return QRectF(QPointF(sheet.originX(), sheet.originY()) + sheet.slotOrigin(slot),
                  QSizeF(sheet.itemWidth(), sheet.itemHeight()));
}

// The slot (0-based) whose rectangle holds the point; -1 for none.
int slotOf(const CALabelSheetLayout &sheet, const QPointF &point)
{
    for (int slot = 0; slot < sheet.itemsPerPage(); ++slot) {
        if (slotRect(sheet, slot).contains(point))
            return slot;
    }
    return -1;
}

// The slots whose centre shows the items' colour, in an image of scale pixels a point.
std::vector<int> filledSlots(const QImage &image, const CALabelSheetLayout &sheet, double scale = 4.0)
{
    std::vector<int> filled;
    for (int slot = 0; slot < sheet.itemsPerPage(); ++slot) {
        if (isItemColour(image.pixelColor((slotRect(sheet, slot).center() * scale).toPoint())))
            filled.push_back(slot);
    }
    return filled;
}

class CALabelPrintingViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        prepareProcess();
        ASSERT_TRUE(m_folder.isValid());
    }

    std::unique_ptr<CALabelPrintingView> makeView(const CATemplateFormat &format, const CAPrintSettings &settings,
                                                  int copies)
    {
        auto view = std::make_unique<CALabelPrintingView>(CAPrintingView::DocumentList {counterDesign(format)},
                                                          std::nullopt, settings, format, true);
        view->setItemRenderer(m_renderer.function());
        view->setCopies(copies);
        return view;
    }

    // Prints the view into a PDF file on its own page layout and reads it back.
    PrintedPdf print(CAPrintingView &view, const char *name)
    {
        return printed(view, m_folder.filePath(QString::fromLatin1(name)), 1200, true);
    }

    // The counters' words of a page (from 0) by the slot they stand in.
    static std::map<int, QString> countersBySlot(const PrintedPdf &job, int page, const CALabelSheetLayout &sheet)
    {
        std::map<int, QString> found;
        for (const PrintedPdf::Word &word : job.words(page))
            found[slotOf(sheet, word.box.center())] += word.text;
        return found;
    }

    QTemporaryDir m_folder;
    FlatRenderer m_renderer;
};

TEST_F(CALabelPrintingViewTest, TenCopiesFromFifthSlotFillThreePagesWithRunningCounters)
{
    const CATemplateFormat format = sheetTemplate();
    std::unique_ptr<CALabelPrintingView> view = makeView(format, letterSettings(5), 10);
    const PrintedPdf job = print(*view, "ten.pdf");
    ASSERT_EQ(job.pageCount(), 3);
    EXPECT_EQ(job.pageSize(0).toSize(), QSize(612, 792));

    const CALabelSheetLayout &sheet = view->sheet();
    EXPECT_EQ(countersBySlot(job, 0, sheet), (std::map<int, QString> {{4, u"1"_s}, {5, u"2"_s}}));
    EXPECT_EQ(countersBySlot(job, 1, sheet),
              (std::map<int, QString> {{0, u"3"_s}, {1, u"4"_s}, {2, u"5"_s}, {3, u"6"_s}, {4, u"7"_s}, {5, u"8"_s}}));
    EXPECT_EQ(countersBySlot(job, 2, sheet), (std::map<int, QString> {{0, u"9"_s}, {1, u"10"_s}}));

    // Items only in the fifth and sixth slot of the first sheet; skipped slots stay blank.
    EXPECT_EQ(filledSlots(job.render(0, 4.0), sheet), (std::vector<int> {4, 5}));
    EXPECT_EQ(filledSlots(job.render(2, 4.0), sheet), (std::vector<int> {0, 1}));
    EXPECT_TRUE(view->printFailures().isEmpty());
}

TEST_F(CALabelPrintingViewTest, CutTicksAndDottedLinesFrameTheUsedSlots)
{
    const CATemplateFormat format = sheetTemplate();
    // White items, so that the thin dotted lines along their edges stand out.
    m_renderer.colour = Qt::white;
    std::unique_ptr<CALabelPrintingView> view = makeView(format, letterSettings(5, true, true), 10);
    const PrintedPdf job = print(*view, "marks.pdf");
    ASSERT_EQ(job.pageCount(), 3);

    // Page 3 holds two items in one row: the marks span those two columns only.
    const CALabelSheetLayout &sheet = view->sheet();
    const QImage page = job.render(2, 4.0);
    const double left = sheet.originX();
    const double top = sheet.originY();
    const double usedWidth = sheet.usedWidth(2);
    const double usedHeight = sheet.usedHeight(2);
    const double g = CALabelSheetLayout::kCutGap;
    // Ticks left and right of the top edge, beyond the 2 mm gap.
    EXPECT_TRUE(isDark(pixelAt(page, left - g - 10.0, top)));
    EXPECT_TRUE(isDark(pixelAt(page, left + usedWidth + g + 10.0, top)));
    EXPECT_FALSE(anyDarkAlong(page, left - g + 0.5, left - sheet.bleed() - 0.5, top));
    // Ticks above and below the left edge.
    EXPECT_TRUE(isDark(pixelAt(page, left, top - g - 10.0)));
    EXPECT_TRUE(isDark(pixelAt(page, left, top + usedHeight + g + 10.0)));
    // Neither tick nor dotted line over the unused third column.
    EXPECT_FALSE(anyDarkAlong(page, left + usedWidth + g + 21.0, left + sheet.usedWidth(3), top));
    // The dotted top line runs from the first item's corner across the two used columns.
    EXPECT_TRUE(anyInkAlong(page, left + usedWidth - 7.0, left + usedWidth - 0.5, top));
    EXPECT_TRUE(anyInkAlong(page, left + 0.5, left + 7.0, top));
    // And a dotted line runs down the right edge of the second column.
    const double secondRight = left + sheet.cardOffsetX() + sheet.itemWidth();
    bool down = false;
    for (double y = top + 0.5; y < top + 7.0; y += 0.25)
        down = down || pixelAt(page, secondRight, y).lightness() < 200
            || pixelAt(page, secondRight - 0.25, y).lightness() < 200;
    EXPECT_TRUE(down);
    // The page's only row has no second row of marks.
    EXPECT_FALSE(anyDarkAlong(page, left - g - 20.0, left - g, top + sheet.cardOffsetY() + sheet.itemHeight()));

    // Without the print settings' flags nothing is drawn around the items.
    std::unique_ptr<CALabelPrintingView> plain = makeView(format, letterSettings(5), 10);
    const PrintedPdf plainJob = print(*plain, "plain.pdf");
    const QImage plainPage = plainJob.render(2, 4.0);
    EXPECT_FALSE(isDark(pixelAt(plainPage, left - g - 10.0, top)));
    EXPECT_FALSE(isDark(pixelAt(plainPage, left, top - g - 10.0)));
}

class CalibrationShiftTest : public CALabelPrintingViewTest, public ::testing::WithParamInterface<std::tuple<int, int>>
{
};

TEST_P(CalibrationShiftTest, StoredOffsetsShiftThePrintedPage)
{
    const auto [columns, rows] = GetParam();
    const CATemplateFormat format = sheetTemplate(columns, rows);
    std::unique_ptr<CALabelPrintingView> plain = makeView(format, letterSettings(1), 1);
    const PrintedPdf plainJob = print(*plain, "uncalibrated.pdf");

    CACalibrationSettings::storeForPrinter(PWUserDefaults::standardUserDefaults(), kPrinter,
                                           CACalibrationSettings(u"5"_s, u"3"_s, u"0"_s, false));
    // Another printer's entry does not apply.
    CACalibrationSettings::storeForPrinter(PWUserDefaults::standardUserDefaults(), u"Other"_s,
                                           CACalibrationSettings(u"40"_s, u"40"_s, u"0"_s, false));
    std::unique_ptr<CALabelPrintingView> shifted = makeView(format, letterSettings(1), 1);
    const PrintedPdf shiftedJob = print(*shifted, "calibrated.pdf");

    const std::vector<PrintedPdf::Word> before = plainJob.words(0);
    const std::vector<PrintedPdf::Word> after = shiftedJob.words(0);
    ASSERT_EQ(before.size(), 1u);
    ASSERT_EQ(after.size(), 1u);
    // Right by the horizontal millimetres with more than one column, up by the vertical ones
    // with more than one row.
    const double dx = columns > 1 ? 5.0 * kMillimetre : 0.0;
    const double dy = rows > 1 ? -3.0 * kMillimetre : 0.0;
    EXPECT_NEAR(after[0].box.left() - before[0].box.left(), dx, 0.05);
    EXPECT_NEAR(after[0].box.top() - before[0].box.top(), dy, 0.05);
}

INSTANTIATE_TEST_SUITE_P(Grids, CalibrationShiftTest,
                         ::testing::Values(std::make_tuple(3, 2), std::make_tuple(1, 2), std::make_tuple(3, 1)));

TEST_F(CALabelPrintingViewTest, CalibrationAppliesOnlyToPrintedPages)
{
    const CATemplateFormat format = sheetTemplate(3, 4);
    CACalibrationSettings::storeForPrinter(PWUserDefaults::standardUserDefaults(), kPrinter,
                                           CACalibrationSettings(u"2"_s, u"1"_s, u"3"_s, true));
    std::unique_ptr<CALabelPrintingView> view = makeView(format, letterSettings(1), 1);
    EXPECT_TRUE(view->calibrationTransform().isIdentity()) << "preview";
    view->setPrintViewMode(CAPrintingView::kPrintMode);
    const QTransform print = view->calibrationTransform();
    const double span = 3 * 112.0 - 100.0;
    EXPECT_NEAR(print.dx(), 2.0 * kMillimetre, 1e-4);
    EXPECT_NEAR(print.dy(), -1.0 * kMillimetre, 1e-4);
    EXPECT_NEAR(print.m22(), 1.0 - 2.0 * kMillimetre / span, 1e-5);
    EXPECT_DOUBLE_EQ(print.m11(), 1.0);

    // A reading that would fold the page over is not applied; the offsets still are.
    CACalibrationSettings::storeForPrinter(PWUserDefaults::standardUserDefaults(), kPrinter,
                                           CACalibrationSettings(u"2"_s, u"0"_s, u"500"_s, true));
    const QTransform folded = view->calibrationTransform();
    EXPECT_DOUBLE_EQ(folded.m22(), 1.0);
    EXPECT_NEAR(folded.dx(), 2.0 * kMillimetre, 1e-4);
}

TEST_F(CALabelPrintingViewTest, CalibrationPageDrawsTheScalesTheTemplateNeeds)
{
    struct Case
    {
        int columns;
        int rows;
        int zeroMarks;
    };
    for (const Case c : {Case {3, 4, 3}, Case {3, 2, 2}, Case {1, 2, 1}, Case {1, 1, 0}}) {
        const CATemplateFormat format = sheetTemplate(c.columns, c.rows);
        std::unique_ptr<CALabelPrintingView> view =
            CALabelPrintingView::initForCalibrateWithLayout(format, letterSettings(1));
        EXPECT_TRUE(view->calibrationMode());
        EXPECT_EQ(view->pageCount(), 1);
        const PrintedPdf job = print(*view, "calibration.pdf");
        ASSERT_EQ(job.pageCount(), 1);
        std::vector<QRectF> zeros;
        for (const PrintedPdf::Word &word : job.words(0)) {
            if (word.text == u"0"_s)
                zeros.push_back(word.box);
        }
        ASSERT_EQ(int(zeros.size()), c.zeroMarks) << c.columns << "x" << c.rows;
        if (c.columns > 1) {
            // The horizontal scale's zero stands on the right edge of the first column.
            const bool onEdge = std::any_of(zeros.begin(), zeros.end(), [&](const QRectF &box) {
                return std::abs(box.center().x() - (kLeftMargin + 180.0)) < 1.0;
            });
            EXPECT_TRUE(onEdge);
        }
        if (c.rows > 1) {
            // The vertical scale's zero is level with the bottom edge of the first row.
            const bool level = std::any_of(zeros.begin(), zeros.end(), [&](const QRectF &box) {
                return std::abs(box.center().y() - (36.0 + 100.0)) < 1.0 && box.left() > kLeftMargin + 90.0;
            });
            EXPECT_TRUE(level);
        }
    }
}

TEST_F(CALabelPrintingViewTest, PreviewDrawsThePageItsSheetShowsAndPrintModeSkipsScreens)
{
    const CATemplateFormat format = sheetTemplate();
    std::unique_ptr<CALabelPrintingView> view = makeView(format, letterSettings(1), 10);
    view->setStartFrom(3);
    view->setCurPage(1);
    EXPECT_EQ(view->pageCount(), 2);

    // Over a background no drawing uses: the paper itself is drawn white.
    const QImage image = drawnPage(*view, 1, QSizeF(612.0, 792.0));
    const CALabelSheetLayout &sheet = view->sheet();
    EXPECT_EQ(filledSlots(image, sheet, 2.0), (std::vector<int> {2, 3, 4, 5}));
    for (int slot : {0, 1})
        EXPECT_EQ(image.pixelColor((slotRect(sheet, slot).center() * 2.0).toPoint()), QColor(Qt::white)) << slot;
    // Every slot is outlined in the preview, the unused ones too.
    const QRectF firstSlot = slotRect(sheet, 0);
    EXPECT_TRUE(isDark(image.pixelColor(QPointF(firstSlot.center().x() * 2.0, firstSlot.top() * 2.0).toPoint())));

    // The record of where an item landed finds it on its page only.
    const std::optional<CALabelPrintingView::HitRecord> record = view->hitRecord(0);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->page, 1);
    EXPECT_EQ(record->rect.topLeft(), slotRect(sheet, 2).topLeft());
    EXPECT_EQ(view->itemIndexAtPoint(slotRect(sheet, 3).center()), 1);
    EXPECT_EQ(view->itemIndexAtPoint(slotRect(sheet, 0).center()), -1);
    EXPECT_EQ(view->startEditingAtPoint(slotRect(sheet, 3).center(), 1), nullptr) << "a single click";
    std::shared_ptr<CADocument> editing = view->startEditingAtPoint(slotRect(sheet, 3).center(), 2);
    ASSERT_NE(editing, nullptr);
    EXPECT_EQ(view->editingIndex(), 1);
    EXPECT_EQ(view->startEditingAtPoint(QPointF(5.0, 5.0), 2), nullptr);
    EXPECT_EQ(view->editingIndex(), -1);
    view->setCurPage(2);
    EXPECT_EQ(view->itemIndexAtPoint(slotRect(sheet, 3).center()), -1);

    // A print-mode pass into a screen image draws nothing.
    view->setPrintViewMode(CAPrintingView::kPrintMode);
    const QColor background(255, 0, 255);
    EXPECT_EQ(
        drawnPage(*view, 1, QSizeF(612.0, 792.0), 1.0, background).pixelColor(slotRect(sheet, 4).center().toPoint()),
        background);
}

TEST_F(CALabelPrintingViewTest, LandscapeDesignOnPortraitLabelsTurnsClockwise)
{
    // Portrait labels 100 x 180; the design stays the landscape 180 x 100 it was made on.
    CATemplateFormat portrait = sheetTemplate(3, 2);
    portrait.setItemWidth(100.0f);
    portrait.setItemHeight(180.0f);
    portrait.setPrintableWidth(100.0f);
    portrait.setPrintableHeight(180.0f);
    auto view = std::make_unique<CALabelPrintingView>(CAPrintingView::DocumentList {counterDesign(sheetTemplate())},
                                                      std::nullopt, letterSettings(1), portrait, true);
    m_renderer.leftHalf = QColor(30, 30, 200);
    view->setItemRenderer(m_renderer.function());
    view->setCopies(1);
    const PrintedPdf job = print(*view, "turned.pdf");
    const QRectF slot = slotRect(view->sheet(), 0);
    const QImage page = job.render(0, 4.0);
    // The image's left half lies along the top of the slot, its right half along the bottom.
    const QColor top = pixelAt(page, slot.center().x(), slot.top() + 20.0);
    const QColor bottom = pixelAt(page, slot.center().x(), slot.bottom() - 20.0);
    EXPECT_TRUE(top.blue() > 150 && top.red() < 90) << top.name().toStdString();
    EXPECT_TRUE(isItemColour(bottom)) << bottom.name().toStdString();
    // The counter at the design's top-left corner turns with it, to the slot's top-right.
    const std::vector<PrintedPdf::Word> words = job.words(0);
    ASSERT_EQ(words.size(), 1u);
    EXPECT_GT(words[0].box.center().x(), slot.center().x());
    EXPECT_LT(words[0].box.center().y(), slot.center().y());
    EXPECT_TRUE(slot.contains(words[0].box.center()));
    // The hit record covers the item as it lies on the page.
    ASSERT_TRUE(view->hitRecord(0).has_value());
    EXPECT_GT(view->hitRecord(0)->rect.height(), view->hitRecord(0)->rect.width());
}

} // namespace
