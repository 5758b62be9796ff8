#include "app/document/CADocument.h"

#include "DocumentTestSupport.h"

#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/foundation/CDDColor.h"
#include "platform/PWImage.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

namespace {

CFTBoxField *box(double x, double y, double width, double height, QColor color)
{
    auto *shape = new CFTBoxField(x, y, width, height, nullptr);
    const CDDColor fill(float(color.redF()), float(color.greenF()), float(color.blueF()), 1.0f);
    shape->SetFilled(true);
    shape->SetFillColor(&fill);
    shape->SetStroked(false);
    return shape;
}

// A custom (not predefined) design of the size with the side's orientation and a red marker in
// its top-left corner over a green box across its middle.
std::unique_ptr<CADocument> design(double width, double height, int orientation = 0)
{
    auto kernel = std::make_unique<CFTADocument>();
    kernel->SetPredefinedLayout(false);
    kernel->setDocumentSizeX(width);
    kernel->setDocumentSizeY(height);
    kernel->getPage(0)->setPageOrientation(orientation);
    const double w = kernel->getDocumentSizeX(0);
    const double h = kernel->getDocumentSizeY(0);
    kernel->AddObject(box(w / 4, h / 4, w / 2, h / 2, Qt::green), 0, false);
    kernel->AddObject(box(0, 0, 24, 24, Qt::red), 0, false);
    return std::make_unique<CADocument>(std::move(kernel));
}

QImage tiffImage(const QByteArray &tiff)
{
    QBuffer buffer;
    buffer.setData(tiff);
    QImageReader reader(&buffer, "tiff");
    QImage image = reader.read();
    EXPECT_FALSE(image.isNull()) << reader.errorString().toStdString();
    return image.convertToFormat(QImage::Format_ARGB32);
}

// The PDF's only page rasterised through poppler at one pixel a point, over white.
QImage pdfImage(const QByteArray &pdf, QSizeF *points = nullptr)
{
    QString error;
    const std::shared_ptr<PWImage> image = PWImage::fromData(pdf, &error);
    EXPECT_NE(image, nullptr) << error.toStdString();
    if (!image)
        return QImage();
    if (points)
        *points = image->size();
    return image->toImage(image->size().toSize(), Qt::white).convertToFormat(QImage::Format_ARGB32);
}

// What the painting leaves on a white image of the size.
template <typename Paint>
QImage onWhite(const QSize &size, Paint paint)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paint(painter);
    painter.end();
    return image;
}

// The share of pixels whose channels differ by more than a small tolerance.
double differingShare(const QImage &a, const QImage &b)
{
    EXPECT_EQ(a.size(), b.size());
    if (a.size() != b.size() || a.isNull())
        return 1.0;
    qint64 differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > 40 || std::abs(qGreen(p) - qGreen(q)) > 40
                || std::abs(qBlue(p) - qBlue(q)) > 40)
                ++differing;
        }
    }
    return double(differing) / (double(a.width()) * a.height());
}

bool near(QRgb pixel, QColor color)
{
    return std::abs(qRed(pixel) - color.red()) < 40 && std::abs(qGreen(pixel) - color.green()) < 40
           && std::abs(qBlue(pixel) - color.blue()) < 40;
}

class CADocumentExportTest : public ::testing::Test
{
protected:
    void SetUp() override { doctest::prepareProcess(); }
};

} // namespace

TEST_F(CADocumentExportTest, BleedGrowsThePdfPageAndTheTiffAt600DpiCarriesItsResolution)
{
    const std::unique_ptr<CADocument> document = design(288, 144);
    const QByteArray pdf = document->PDFDataForComponents(nullptr, 18, false, false, false, true, 600);
    ASSERT_TRUE(pdf.startsWith("%PDF"));
    QSizeF points;
    const QImage page = pdfImage(pdf, &points);
    EXPECT_NEAR(points.width(), 324.0, 0.01);
    EXPECT_NEAR(points.height(), 180.0, 0.01);
    // The design starts 18 points in; the bleed is left blank.
    ASSERT_FALSE(page.isNull());
    EXPECT_TRUE(near(page.pixel(18 + 5, 18 + 5), Qt::red));
    EXPECT_TRUE(near(page.pixel(5, 5), Qt::white));
    EXPECT_TRUE(near(page.pixel(18 + 144, 18 + 72), Qt::green));

    const QImage image = tiffImage(document->TIFFDataForComponents(nullptr, 18, true, true, 600));
    EXPECT_EQ(image.size(), QSize(2700, 1500));
    EXPECT_NEAR(image.dotsPerMeterX() * 0.0254, 600.0, 0.5);
    EXPECT_NEAR(image.dotsPerMeterY() * 0.0254, 600.0, 0.5);
    // The whole output, bleed included, is white under the design.
    EXPECT_TRUE(near(image.pixel(10, 10), Qt::white));
    EXPECT_TRUE(near(image.pixel((18 + 5) * 600 / 72, (18 + 5) * 600 / 72), Qt::red));
}

TEST_F(CADocumentExportTest, VectorAndBitmapFormsLookTheSame)
{
    const std::unique_ptr<CADocument> document = design(288, 144);
    const QImage drawn = document->imageForComponents(nullptr, 9, true, true, 72);
    const QImage bitmap = onWhite(drawn.size(), [&drawn](QPainter &painter) { painter.drawImage(0, 0, drawn); });
    ASSERT_EQ(bitmap.size(), QSize(306, 162));
    const QPicture picture = document->pictureForComponents(nullptr, 9, false, false, true, true, 72);
    ASSERT_FALSE(picture.isNull());
    const QImage pictured =
        onWhite(bitmap.size(), [&picture](QPainter &painter) { painter.drawPicture(0, 0, picture); });
    EXPECT_LT(differingShare(bitmap, pictured), 0.01);
    EXPECT_LT(differingShare(bitmap, pdfImage(document->PDFDataForComponents(nullptr, 9, false, false, true, true, 72))),
              0.01);
    // And they are not trivially equal: the design shows.
    EXPECT_TRUE(near(bitmap.pixel(9 + 144, 9 + 72), Qt::green));
}

struct TurnCase
{
    const char *name;
    double width;
    double height;
    int orientation;
    bool forceHorizontal;
    QSize pdfSize;
    QSize tiffSize;
};

void PrintTo(const TurnCase &turn, std::ostream *stream)
{
    *stream << turn.name;
}

class CADocumentExportTurnTest : public CADocumentExportTest, public ::testing::WithParamInterface<TurnCase>
{
};

// Whatever the turn, the output is exactly filled: the green box is whole and the red marker
// shows in one corner, in the PDF as in the TIFF.
TEST_P(CADocumentExportTurnTest, OutputSizeAndTurnGoTogether)
{
    const TurnCase c = GetParam();
    const std::unique_ptr<CADocument> document = design(c.width, c.height, c.orientation);
    QSizeF points;
    const QImage pdf = pdfImage(document->PDFDataForComponents(nullptr, 0, false, c.forceHorizontal, false, true, 72),
                                &points);
    EXPECT_EQ(points.toSize(), c.pdfSize);
    const QImage tiff = tiffImage(document->TIFFDataForComponents(nullptr, 0, false, true, 72));
    EXPECT_EQ(tiff.size(), c.tiffSize);
    for (const QImage &image : {pdf, tiff}) {
        ASSERT_FALSE(image.isNull());
        int green = 0;
        int red = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                green += near(image.pixel(x, y), Qt::green);
                red += near(image.pixel(x, y), Qt::red);
            }
        }
        // The green box is a quarter of the design less the marker's overlap (none here).
        const double expectedGreen = c.width * c.height / 4;
        EXPECT_NEAR(green, expectedGreen, expectedGreen * 0.05) << c.name;
        EXPECT_NEAR(red, 24 * 24, 24 * 24 * 0.15) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CADocumentExportTurnTest,
    ::testing::Values(TurnCase { "Landscape", 288, 144, 0, false, QSize(288, 144), QSize(288, 144) },
                      TurnCase { "VerticalSide", 288, 144, 1, false, QSize(288, 144), QSize(288, 144) },
                      TurnCase { "UpsideDown", 288, 144, 2, false, QSize(288, 144), QSize(288, 144) },
                      // A tall design: PDF keeps it upright unless forced, TIFF always turns it.
                      TurnCase { "TallPortrait", 144, 288, 0, false, QSize(144, 288), QSize(288, 144) },
                      TurnCase { "TallForced", 144, 288, 0, true, QSize(288, 144), QSize(288, 144) },
                      TurnCase { "TallUpsideDown", 144, 288, 2, true, QSize(288, 144), QSize(288, 144) }),
    [](const ::testing::TestParamInfo<TurnCase> &info) { return std::string(info.param.name); });

TEST_F(CADocumentExportTest, VerticalSideTurnsTheMarkerToTheBottomLeft)
{
    // On a vertical side the 144 x 288 design is turned a quarter onto the 288 x 144 output.
    const std::unique_ptr<CADocument> document = design(288, 144, 1);
    const QImage tiff = tiffImage(document->TIFFDataForComponents(nullptr, 0, false, true, 72));
    ASSERT_EQ(tiff.size(), QSize(288, 144));
    EXPECT_TRUE(near(tiff.pixel(5, 144 - 5), Qt::red));
    EXPECT_FALSE(near(tiff.pixel(5, 5), Qt::red));
    const QImage pdf = pdfImage(document->PDFDataForComponents(nullptr, 0, false, false, false, true, 72));
    EXPECT_LT(differingShare(tiff, pdf), 0.01);
}

TEST_F(CADocumentExportTest, ComponentListKeepsItsOwnRectangleWithoutBleedOrBackground)
{
    const std::unique_ptr<CADocument> document = design(288, 144);
    auto *extra = box(100, 50, 40, 20, Qt::blue);
    document->ftDocument()->AddObject(extra, 0, false);
    const std::vector<CFTComponent *> list { extra };
    QSizeF points;
    const QImage pdf = pdfImage(document->PDFDataForComponents(&list, 18, false, true, false, true, 72), &points);
    EXPECT_NEAR(points.width(), 40, 0.01);
    EXPECT_NEAR(points.height(), 20, 0.01);
    EXPECT_TRUE(near(pdf.pixel(20, 10), Qt::blue));

    const QImage bitmap = document->imageForComponents(&list, 18, false, true, 144);
    EXPECT_EQ(bitmap.size(), QSize(80, 40));
    EXPECT_TRUE(near(bitmap.pixel(40, 20), Qt::blue));

    // Outside its components a list's bitmap stays clear.
    auto *corner = box(200, 100, 10, 10, Qt::blue);
    document->ftDocument()->AddObject(corner, 0, false);
    const std::vector<CFTComponent *> two { extra, corner };
    const QImage spread = document->imageForComponents(&two, 0, false, true, 72);
    EXPECT_EQ(spread.size(), QSize(110, 60));
    EXPECT_EQ(qAlpha(spread.pixel(70, 5)), 0);
}

TEST_F(CADocumentExportTest, NothingToDrawGivesNoData)
{
    const std::unique_ptr<CADocument> document = design(288, 144);
    const std::vector<CFTComponent *> none;
    EXPECT_TRUE(document->PDFDataForComponents(&none, 0, false, false, false, true, 600).isEmpty());
    EXPECT_TRUE(document->TIFFDataForComponents(&none, 0, false, true, 600).isEmpty());
    EXPECT_TRUE(document->pictureForComponents(&none, 0, false, false, false, true, 600).isNull());
    EXPECT_TRUE(document->TIFFDataForComponents(nullptr, 0, false, true, 0).isEmpty());
    EXPECT_TRUE(document->TIFFDataForComponents(nullptr, 0, false, true, std::nan("")).isEmpty());
    // A bitmap far too large to allocate is refused, not attempted.
    EXPECT_TRUE(document->imageForComponents(nullptr, 0, false, true, 1.0e6).isNull());

    const std::unique_ptr<CADocument> empty = design(0, 144);
    EXPECT_TRUE(empty->PDFDataForComponents(nullptr, 0, false, false, false, true, 600).isEmpty());
    EXPECT_TRUE(empty->imageForComponents(nullptr, 0, false, true, 600).isNull());
}
