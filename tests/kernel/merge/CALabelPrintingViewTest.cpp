#include "kernel/merge/CALabelPrintingView.h"

#include "PrintingTestSupport.h"

#include "kernel/address/CFTFileField.h"

#include "kernel/printing/CALabelSheetLayout.h"
#include "kernel/printing/CATemplateFormat.h"

#include <QFile>
#include <QTemporaryDir>

#include <cmath>

using P = printtest::Test;
using printtest::PrintedPdf;

namespace {

constexpr double kPointsPerMillimetre = 72.0 / 25.4;
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
                                                         const std::optional<CATemplateFormat> &design = std::nullopt,
                                                         bool cutLines = false, bool dottedMark = false)
    {
        const CAPrintSettings settings {.printerName = kPrinter, .startFrom = startFrom, .cutLines = cutLines, .dottedMark = dottedMark};
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

// Persons with and without an address, printed after the preview showed them as the window does:
// every label's counter and file field stand where the design puts them, whatever the person,
// the printing (vector or not) and the fit.
TEST_F(CALabelPrintingViewTest, SeriesFieldsStandInTheirPlaceOnEveryPersonsLabel)
{
    QTemporaryDir folder;
    QFile lines(folder.filePath(u"lines.txt"_s));
    ASSERT_TRUE(lines.open(QIODevice::WriteOnly));
    lines.write("Alpha\nBravo\nCharlie\nDelta\n");
    lines.close();
    std::vector<std::shared_ptr<PWPerson>> list = {person(u"Abbott"_s),
                                                   PWVCardReader::personFromData("BEGIN:VCARD\r\nVERSION:3.0\r\n"
                                                                                 "N:Nowhere;Nell;;;\r\nEND:VCARD\r\n"),
                                                   person(u"Baker"_s),
                                                   PWVCardReader::personFromData("BEGIN:VCARD\r\nVERSION:3.0\r\n"
                                                                                 "N:Noplace;Ned;;;\r\nEND:VCARD\r\n")};
    for (const bool vector : {false, true})
        for (const bool fit : {false, true}) {
            SCOPED_TRACE(std::string(vector ? "vector" : "bitmap") + (fit ? ", fitted" : ""));
            PWUserDefaults::standardUserDefaults().setBool(u"FTAddressAutoResize"_s, fit);
            std::shared_ptr<CADocument> design = labelDesign();
            auto *counter = new CFTCounterField(120.0, 8.0, nullptr);
            design->ftDocument()->AddObject(counter, 0, false);
            auto *file = new CFTFileField(120.0, 70.0, nullptr);
            file->SetFile(CDDString(lines.fileName()));
            design->ftDocument()->AddObject(file, 0, false);
            CALabelPrintingView view(CAPrintingView::DocumentList {design}, CAPrintingView::PersonList(list.begin(), list.end()),
                                     CAPrintSettings {.printerName = kPrinter}, sheet(2, 2), vector);
            view.setCopies(-1);
            view.refreshDocumentMap();
            const PrintedPdf job = print(view);
            ASSERT_EQ(job.pageCount(), 1);
            QStringList placed;
            for (const auto &[word, box] : job.words(0))
                for (int slot = 0; slot < 4; ++slot) {
                    const QPointF at = box.topLeft() - slotRect(view.sheet(), slot).topLeft();
                    if (slotRect(view.sheet(), slot).contains(box.center()) && at.x() > 110.0)
                        placed << u"%1:%2@%3,%4"_s.arg(slot).arg(word).arg(std::round(at.x() / 10.0) * 10.0).arg(at.y() < 40.0 ? u"top"_s : u"low"_s);
                }
            placed.sort();
            EXPECT_EQ(placed.join(u' '), u"0:1@120,top 0:Alpha@120,low 1:2@120,top 1:Bravo@120,low 2:3@120,top 2:Charlie@120,low "
                                         "3:4@120,top 3:Delta@120,low"_s);
        }

    // A copy read from the design has its series fields where the design has them before any
    // reset: a number given or taken away leaves them there.
    std::shared_ptr<CADocument> design = labelDesign();
    design->ftDocument()->AddObject(new CFTCounterField(120.0, 8.0, nullptr), 0, false);
    auto *file = new CFTFileField(120.0, 70.0, nullptr);
    file->SetFile(CDDString(lines.fileName()));
    design->ftDocument()->AddObject(file, 0, false);
    CADocument copy;
    QString error;
    ASSERT_TRUE(copy.loadPropertyList(design->propertyListForComponents(nullptr), &error)) << error.toStdString();
    for (const bool clear : {false, true}) {
        if (clear)
            copy.clearObjects();
        else
            copy.setValueObjects(2);
        QStringList origins;
        for (const CFTComponent *component : copy.ftDocument()->GetComponents(0, false))
            if (component->getClassID() == ciCounter || component->getClassID() == ciFileField)
                origins << u"%1,%2"_s.arg(component->GetOriginX()).arg(component->GetOriginY());
        EXPECT_EQ(origins, (QStringList {u"120,8"_s, u"120,70"_s})) << (clear ? "cleared" : "numbered");
    }
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
    QImage screen(4, 4, QImage::Format_RGB32);
    QPainter screenPainter(&screen);
    EXPECT_TRUE(shifted->calibrationTransform(screenPainter).isIdentity()) << "preview";
    const QRectF after = print(*shifted).wordBox(0, u"1"_s);
    // Right by the horizontal millimetres, up by the vertical ones.
    EXPECT_TRUE(rectNear(after, before.translated(5.0 * kPointsPerMillimetre, -3.0 * kPointsPerMillimetre), 0.05));
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

// Ten items from the fifth slot leave two items in the first row of the third page. Cut ticks
// and dotted lines each come with their own setting alone, and frame the two used columns only.
TEST_F(CALabelPrintingViewTest, CutTicksAndDottedLinesFrameTheUsedSlotsEachOnItsOwnSetting)
{
    for (const auto &[cut, dots] : {std::pair {true, false}, std::pair {false, true}, std::pair {true, true}, std::pair {false, false}}) {
        SCOPED_TRACE(cut ? (dots ? "both" : "cut ticks") : (dots ? "dotted lines" : "neither"));
        std::unique_ptr<CALabelPrintingView> view = makeView(sheet(), 10, 5, std::nullopt, cut, dots);
        // White items without a marker, so that the thin dotted lines along their edges stand out.
        view->setItemRenderer([](CADocument &document, bool, bool, double, double bleed) -> std::shared_ptr<CAImageEx> {
            QImage image((QSizeF(document.ftDocument()->getDocumentSizeX(0), document.ftDocument()->getDocumentSizeY(0)) + QSizeF(2 * bleed, 2 * bleed)).toSize(),
                         QImage::Format_RGB32);
            image.fill(Qt::white);
            image.setDotsPerMeterX(2835);
            image.setDotsPerMeterY(2835);
            return std::shared_ptr<CAImageEx>(CAImageEx::initWithImage(image));
        });
        view->clearDocMapPreviewCache();
        const PrintedPdf job = print(*view);
        ASSERT_EQ(job.pageCount(), 3);
        const QImage page = job.render(2, 4.0);
        const CALabelSheetLayout &sheet = view->sheet();
        const double left = sheet.originX(), top = sheet.originY(), used = sheet.usedWidth(2), g = CALabelSheetLayout::kCutGap;
        const auto at = [&page](double x, double y) { return page.pixelColor(int(x * 4.0), int(y * 4.0)); };
        const auto dark = [&](double x, double y) { return at(x, y).lightness() < 110; };
        // Grey ink of a quarter-point line, in the pixel row of y or the one above.
        const auto inkAlong = [&](QPointF from, QPointF step, int count) {
            for (int i = 0; i < count; ++i, from += step)
                if (at(from.x(), from.y()).lightness() < 200 || at(from.x() - step.y(), from.y() - step.x()).lightness() < 200)
                    return true;
            return false;
        };
        // Ticks left and right of the top edge and above and below the left edge, beyond the gap.
        EXPECT_EQ(QList<bool>({dark(left - g - 10.0, top), dark(left + used + g + 10.0, top), dark(left, top - g - 10.0),
                               dark(left, top + sheet.usedHeight(2) + g + 10.0)}),
                  QList<bool>(4, cut));
        // Nothing in the gap between a tick and the item, nothing over the unused third column and
        // no second row of ticks on the page's only row.
        EXPECT_FALSE(inkAlong(QPointF(left - g + 0.25, top), QPointF(0.25, 0), int((g - 0.75) * 4)));
        EXPECT_FALSE(inkAlong(QPointF(left + used + g + 21.0, top), QPointF(0.25, 0), int((sheet.usedWidth(3) - used - g - 21.0) * 4)));
        EXPECT_FALSE(inkAlong(QPointF(left - g - 20.0, top + sheet.cardOffsetY() + sheet.itemHeight()), QPointF(0.25, 0), 80));
        // The dotted top line runs from the first item's corner across both used columns, and one
        // runs down the right edge of the second column.
        const double secondRight = left + sheet.cardOffsetX() + sheet.itemWidth();
        EXPECT_EQ(QList<bool>({inkAlong(QPointF(left + 0.5, top), QPointF(0.25, 0), 26), inkAlong(QPointF(left + used - 7.0, top), QPointF(0.25, 0), 26),
                               inkAlong(QPointF(secondRight, top + 0.5), QPointF(0, 0.25), 26)}),
                  QList<bool>(3, dots));
    }
}

// One scale per direction the template can be misplaced in: across the columns, down the rows,
// and the scale of the last row once there are three. Their zeros stand on the first item's right
// and bottom edges (the last row's scale: its top edge), and +5 lies 5 mm the way a positive
// reading moves the print.
TEST_F(CALabelPrintingViewTest, CalibrationPageDrawsTheScalesTheTemplateNeedsReadingTheRightWay)
{
    for (const auto &[columns, rows, across, down] : {std::tuple {3, 4, 1, 2}, {3, 2, 1, 1}, {1, 2, 0, 1}, {1, 1, 0, 0}}) {
        SCOPED_TRACE(u"%1 x %2"_s.arg(columns).arg(rows).toStdString());
        std::unique_ptr<CALabelPrintingView> view = CALabelPrintingView::initForCalibrateWithLayout(
            sheet(columns, rows), CAPrintSettings {.printerName = kPrinter});
        EXPECT_TRUE(view->calibrationMode());
        EXPECT_EQ(view->pageCount(), 1);
        const PrintedPdf job = print(*view);
        ASSERT_EQ(job.pageCount(), 1);
        const auto words = job.words(0);
        int horizontal = 0, vertical = 0;
        for (const auto &[zero, zeroBox] : words) {
            if (zero != u"0"_s)
                continue;
            // The scale's own +5 is the one nearest its zero.
            QPointF step(1e9, 1e9);
            for (const auto &[word, box] : words)
                if (word == u"+5"_s && QLineF(box.center(), zeroBox.center()).length() < QLineF(QPointF(), step).length())
                    step = box.center() - zeroBox.center();
            if (std::abs(step.y()) < 2.0) {
                ++horizontal;
                EXPECT_NEAR(step.x(), 5.0 * kPointsPerMillimetre, 2.0) << "rightwards";
                EXPECT_NEAR(zeroBox.center().x(), 36.0 + 180.0, 1.0) << "on the first column's right edge";
            } else {
                ++vertical;
                EXPECT_NEAR(step.y(), -5.0 * kPointsPerMillimetre, 2.0) << "upwards";
                EXPECT_LT(std::abs(step.x()), 4.0);
                // Level with the bottom edge of the first row, or with the top edge of the last.
                EXPECT_TRUE(std::abs(zeroBox.center().y() - 136.0) < 1.0 || std::abs(zeroBox.center().y() - (36.0 + (rows - 1) * 112.0)) < 1.0)
                    << zeroBox.center().y();
            }
        }
        EXPECT_EQ(std::pair(horizontal, vertical), std::pair(across, down));
    }
}

} // namespace
