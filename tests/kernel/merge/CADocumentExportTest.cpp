#include "kernel/merge/CADocument.h"

#include "DocumentTestSupport.h"

#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/drawing/CFTPicture.h"
#include "kernel/text/CFTAText.h"
#include "TextTestSupport.h"
#include "kernel/base/CDDColor.h"
#include "platform/PWImage.h"

#include <QPainter>
#include <QPicture>

namespace {

class CADocumentExportTest : public doctest::Test
{
protected:
    static CFTBoxField *box(double x, double y, double width, double height, QColor color)
    {
        auto *shape = new CFTBoxField(x, y, width, height, nullptr);
        const CDDColor fill(float(color.redF()), float(color.greenF()), float(color.blueF()), 1.0f);
        shape->SetFilled(true);
        shape->SetFillColor(&fill);
        shape->SetStroked(false);
        return shape;
    }
    // A custom design of the size with a red marker in its top-left corner over a green box across
    // its middle.
    static std::unique_ptr<CADocument> design(double width, double height)
    {
        auto kernel = std::make_unique<CFTADocument>();
        kernel->SetPredefinedLayout(false);
        kernel->setDocumentSizeX(width);
        kernel->setDocumentSizeY(height);
        kernel->AddObject(box(width / 4, height / 4, width / 2, height / 2, Qt::green), 0, false);
        kernel->AddObject(box(0, 0, 24, 24, Qt::red), 0, false);
        return std::make_unique<CADocument>(std::move(kernel));
    }
    static QImage tiffImage(const QByteArray &tiff) { return QImage::fromData(tiff, "TIFF").convertToFormat(QImage::Format_ARGB32); }
    static QImage pdfImage(const QByteArray &pdf, QSizeF *points = nullptr)
    {
        const std::shared_ptr<PWImage> image = PWImage::fromData(pdf);
        if (points)
            *points = image ? image->size() : QSizeF();
        return image ? image->toImage(image->size().toSize(), Qt::white).convertToFormat(QImage::Format_ARGB32) : QImage();
    }
    static bool near(QRgb p, QColor c)
    {
        return std::max({std::abs(qRed(p) - c.red()), std::abs(qGreen(p) - c.green()), std::abs(qBlue(p) - c.blue())})
            < 40;
    }
    // The pixels of the image close to the colour; with a second image of the same size, the share
    // of pixels that differ from it instead.
    static double countOf(const QImage &image, QColor color, const QImage *other = nullptr)
    {
        if (other && (other->size() != image.size() || image.isNull()))
            return 1.0;
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                count += other ? !near(image.pixel(x, y), other->pixel(x, y)) : near(image.pixel(x, y), color);
        }
        return other ? count / (double(image.width()) * image.height()) : count;
    }
};

TEST_F(CADocumentExportTest, BleedGrowsThePdfPageAndTheTiffAt600DpiCarriesItsResolution)
{
    const std::unique_ptr<CADocument> document = design(288, 144);
    QSizeF points;
    const QImage page = pdfImage(document->PDFDataForComponents(nullptr, 18, false, false, false, true, 600), &points);
    EXPECT_EQ(points.toSize(), QSize(324, 180));
    // The design starts 18 points in; the bleed is left blank.
    EXPECT_TRUE(near(page.pixel(18 + 5, 18 + 5), Qt::red));
    EXPECT_TRUE(near(page.pixel(5, 5), Qt::white));
    const QImage image = tiffImage(document->TIFFDataForComponents(nullptr, 18, true, true, 600));
    EXPECT_EQ(std::pair(image.size(), std::lround(image.dotsPerMeterX() * 0.0254)), std::pair(QSize(2700, 1500), 600L));
}

TEST_F(CADocumentExportTest, VectorAndBitmapFormsLookTheSame)
{
    const std::unique_ptr<CADocument> document = design(288, 144);
    const QImage drawn = document->imageForComponents(nullptr, 9, true, true, 72);
    ASSERT_EQ(drawn.size(), QSize(306, 162));
    QImage bitmap(drawn.size(), QImage::Format_ARGB32);
    bitmap.fill(Qt::white);
    QImage pictured = bitmap.copy();
    QPainter(&bitmap).drawImage(0, 0, drawn);
    QPainter(&pictured).drawPicture(0, 0, document->pictureForComponents(nullptr, 9, false, false, true, true, 72));
    EXPECT_LT(countOf(bitmap, {}, &pictured), 0.01);
    const QImage pdf = pdfImage(document->PDFDataForComponents(nullptr, 9, false, false, true, true, 72));
    EXPECT_LT(countOf(bitmap, {}, &pdf), 0.01);
    EXPECT_TRUE(near(bitmap.pixel(9 + 144, 9 + 72), Qt::green));
}

// A tall design: the PDF keeps it upright unless forced, the TIFF always turns it; either way the
// output is exactly filled, the green box whole and the red marker shown.
TEST_F(CADocumentExportTest, OutputSizeAndTurnGoTogether)
{
    for (const auto &[width, height, forced, pdfSize] : {std::tuple {288.0, 144.0, false, QSize(288, 144)},
                                                         std::tuple {144.0, 288.0, false, QSize(144, 288)},
                                                         std::tuple {144.0, 288.0, true, QSize(288, 144)}}) {
        const std::unique_ptr<CADocument> document = design(width, height);
        QSizeF points;
        const QImage pdf = pdfImage(document->PDFDataForComponents(nullptr, 0, false, forced, false, true, 72), &points);
        const QImage tiff = tiffImage(document->TIFFDataForComponents(nullptr, 0, false, true, 72));
        EXPECT_EQ(std::pair(points.toSize(), tiff.size()), std::pair(pdfSize, QSize(288, 144))) << width << forced;
        for (const QImage &image : {pdf, tiff})
            EXPECT_TRUE(std::abs(countOf(image, Qt::green) / (width * height / 4) - 1) < 0.05 && std::abs(countOf(image, Qt::red) / 576 - 1) < 0.15);
    }
}

TEST_F(CADocumentExportTest, ComponentListKeepsItsOwnRectangleWithoutBleedOrBackground)
{
    const std::unique_ptr<CADocument> document = design(288, 144);
    auto *extra = box(100, 50, 40, 20, Qt::blue);
    auto *corner = box(200, 100, 10, 10, Qt::blue);
    document->ftDocument()->AddObject(extra, 0, false);
    document->ftDocument()->AddObject(corner, 0, false);
    const std::vector<CFTComponent *> list {extra};
    QSizeF points;
    const QImage pdf = pdfImage(document->PDFDataForComponents(&list, 18, false, true, false, true, 72), &points);
    EXPECT_EQ(points.toSize(), QSize(40, 20));
    EXPECT_TRUE(near(pdf.pixel(20, 10), Qt::blue));
    EXPECT_EQ(document->imageForComponents(&list, 18, false, true, 144).size(), QSize(80, 40));
    // Outside its components a list's bitmap stays clear.
    const std::vector<CFTComponent *> two {extra, corner};
    const QImage spread = document->imageForComponents(&two, 0, false, true, 72);
    EXPECT_EQ(std::pair(spread.size(), qAlpha(spread.pixel(70, 5))), std::pair(QSize(110, 60), 0));
}

// An envelope window is cut out of the output whatever its corner radius, so nothing prints on its
// film; a copied selection keeps the facing identification mark where the card has it.
TEST_F(CADocumentExportTest, WindowsAreCutOutAndSelectionsKeepTheMark)
{
    for (const double radius : {0.0, 8.5}) {
        const std::unique_ptr<CADocument> document = design(300, 150);
        CFTADocument &kernel = *document->ftDocument();
        kernel.SetHasWindow(true), kernel.SetWinLeftOffset(20), kernel.SetWinBottomOffset(20);
        kernel.SetWinWindth(100), kernel.SetWinHeight(40), kernel.SetWinCornerRadius(radius);
        const QImage image = document->imageForComponents(nullptr, 0.0, false, true, 72.0);
        EXPECT_TRUE(qAlpha(image.pixel(100, 100)) == 0 && near(image.pixel(150, 100), Qt::green)) << radius;
    }
    const std::unique_ptr<CADocument> document = design(300, 150);
    CFTADocument &kernel = *document->ftDocument();
    kernel.AddObject(makePanel(true, u"us"_s, true).release(), 0, false);
    auto *frame = new CFTBoxField(100, 0, 120, 100, nullptr);
    frame->SetFilled(false), frame->SetStroked(false);
    kernel.AddObject(frame, 0, false);
    const std::vector<CFTComponent *> selection {frame};
    const auto marks = [&] {
        const QImage image = document->imageForComponents(&selection, 0.0, false, true, 72.0);
        int drawn = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                drawn += qAlpha(image.pixel(x, y)) > 0;
        return drawn;
    };
    EXPECT_EQ(marks(), 0);
    kernel.setFIMBarcodeVisible(true);
    EXPECT_GT(marks(), 0);
}

TEST_F(CADocumentExportTest, NothingToDrawGivesNoData)
{
    const std::unique_ptr<CADocument> document = design(288, 144);
    const std::unique_ptr<CADocument> empty = design(0, 144);
    const std::vector<CFTComponent *> none;
    // An empty list, no resolution, no area, and a bitmap far too large to allocate (refused, not attempted).
    EXPECT_EQ(QList<bool>({document->PDFDataForComponents(&none, 0, false, false, false, true, 600).isEmpty(),
                           document->TIFFDataForComponents(&none, 0, false, true, 600).isEmpty(),
                           document->pictureForComponents(&none, 0, false, false, false, true, 600).isNull(),
                           document->TIFFDataForComponents(nullptr, 0, false, true, 0).isEmpty(),
                           document->imageForComponents(nullptr, 0, false, true, 1.0e6).isNull(),
                           empty->PDFDataForComponents(nullptr, 0, false, false, false, true, 600).isEmpty(),
                           empty->imageForComponents(nullptr, 0, false, true, 600).isNull()}),
              QList<bool>({true, true, true, true, true, true, true}));
}

// The TIFF is drawn and written a band of rows at a time; whatever the band's height, it holds
// the pixels of the bitmap drawn whole: a picture smoothly scaled, a turned text and a turned
// frame whose antialiased edges cross the bands' edges, opaque on white or clear where a window
// is cut out or around a copied selection.
TEST_F(CADocumentExportTest, TiffWrittenInBandsHoldsThePixelsOfTheWholeBitmap)
{
    enum class Output { Card, Window, Selection };
    const struct
    {
        const char *name;
        Output output;
        int bandRows;
    } cases[] = {
        {"card, a row a band", Output::Card, 1},
        {"card, seven rows a band", Output::Card, 7},
        {"card, one band", Output::Card, 0},
        {"window, five rows a band", Output::Window, 5},
        {"selection, three rows a band", Output::Selection, 3},
    };
    for (const auto &c : cases) {
        // 450 x 250 pixels, covered whole by the card's white.
        const std::unique_ptr<CADocument> document = design(216, 120);
        CFTADocument &kernel = *document->ftDocument();
        QImage gradient(37, 23, QImage::Format_ARGB32);
        for (int y = 0; y < gradient.height(); ++y)
            for (int x = 0; x < gradient.width(); ++x)
                gradient.setPixel(x, y, qRgba(x * 7, y * 11, (x * y) % 256, 128 + x * 3));
        auto *picture = new CFTPicture(CDDPicture(PWImage::fromQImage(gradient)));
        picture->SetOrigin(13.3, 17.7);
        picture->SetSize(91.1, 57.9);
        kernel.AddObject(picture, 0, false);
        auto *text = new CFTAText(60.2, 40.6, nullptr);
        text->SetFontAttr(texttest::sans(17, Qt::blue));
        text->SetString(CDDString(u"Banded"_s));
        text->ExpandByText();
        text->SetAngle(0.7);
        kernel.AddObject(text, 0, false);
        auto *frame = new CFTBoxField(30.4, 20.1, 130.7, 70.3, nullptr);
        const CDDColor ink(0.5f, 0.1f, 0.6f, 1.0f);
        frame->SetFilled(false), frame->SetStroked(true), frame->SetStrokeColor(&ink), frame->SetAngle(0.35);
        kernel.AddObject(frame, 0, false);
        if (c.output == Output::Window) {
            kernel.SetHasWindow(true), kernel.SetWinLeftOffset(20.5), kernel.SetWinBottomOffset(10.25);
            kernel.SetWinWindth(90), kernel.SetWinHeight(33.3), kernel.SetWinCornerRadius(7);
        }
        const std::vector<CFTComponent *> selection {picture, text, frame};
        const std::vector<CFTComponent *> *list = c.output == Output::Selection ? &selection : nullptr;

        const QImage whole = document->imageForComponents(list, 0, false, true, 150).convertToFormat(QImage::Format_ARGB32);
        const QImage banded = tiffImage(document->TIFFDataForComponents(list, 0, false, true, 150, nullptr, c.bandRows));
        ASSERT_FALSE(whole.isNull()) << c.name;
        ASSERT_EQ(banded.size(), whole.size()) << c.name;
        int differing = 0;
        bool clear = false;
        for (int y = 0; y < whole.height(); ++y)
            for (int x = 0; x < whole.width(); ++x) {
                differing += banded.pixel(x, y) != whole.pixel(x, y);
                clear = clear || qAlpha(whole.pixel(x, y)) < 255;
            }
        EXPECT_EQ(differing, 0) << c.name;
        EXPECT_EQ(clear, c.output != Output::Card) << c.name;
    }
}

} // namespace
