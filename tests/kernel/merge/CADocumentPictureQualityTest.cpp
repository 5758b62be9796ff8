// Pictures exported at their own quality: an SVG as paths in the PDF and at the TIFF's 600 dots an
// inch, a lossless picture lossless in the PDF, a picture with a colour profile in its colours.
#include "kernel/merge/CADocument.h"

#include "DocumentTestSupport.h"
#include "PictureTestSupport.h"

#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTPicture.h"
#include "platform/PWImage.h"

#include <QColorSpace>

namespace {

// Black on the left half, white on the right: one sharp edge down the middle.
const QByteArray kEdgeSvg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"200\" height=\"120\">"
                            "<rect x=\"0\" y=\"0\" width=\"100\" height=\"120\" fill=\"#000\"/>"
                            "<rect x=\"100\" y=\"0\" width=\"100\" height=\"120\" fill=\"#fff\"/></svg>";

// The same half black, half white picture as pixels, 200 by 120.
QImage qualityEdgeBitmap()
{
    QImage image(200, 120, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < 100; ++x)
            image.setPixel(x, y, qRgb(0, 0, 0));
    return image;
}

// A design of the picture's size holding only the picture, filling it.
std::unique_ptr<CADocument> qualityDesign(const QByteArray &pictureBytes)
{
    const std::shared_ptr<PWImage> image = PWImage::fromData(pictureBytes);
    EXPECT_TRUE(image);
    if (!image)
        return nullptr;
    auto kernel = std::make_unique<CFTADocument>();
    kernel->SetPredefinedLayout(false);
    kernel->setDocumentSizeX(200);
    kernel->setDocumentSizeY(120);
    auto *picture = new CFTPicture(CDDPicture(image));
    picture->SetOrigin(0.0, 0.0);
    picture->SetSize(200.0, 120.0);
    kernel->AddObject(picture, 0, false);
    return std::make_unique<CADocument>(std::move(kernel));
}

// The first page of a PDF drawn at the given resolution, over white.
QImage qualityPdfPage(const QByteArray &pdf, double dotsPerInch)
{
    const std::shared_ptr<PWImage> page = PWImage::fromData(pdf);
    if (!page)
        return QImage();
    const QSize pixels = (page->size() * dotsPerInch / 72.0).toSize();
    return page->toImage(pixels, Qt::white).convertToFormat(QImage::Format_RGB32);
}

// Pixels across the middle row that are neither black nor white: the width of the edge.
int qualityEdgeWidth(const QImage &image)
{
    int grey = 0;
    const int y = image.height() / 2;
    for (int x = 0; x < image.width(); ++x)
        grey += qGray(image.pixel(x, y)) > 24 && qGray(image.pixel(x, y)) < 232;
    return grey;
}

class CADocumentPictureQualityTest : public doctest::Test
{
};

// At 400 dots an inch a picture drawn from 72 pixels an inch blurs its edge over five pixels and
// more; drawn from its paths it stays within two. The PDF holds no image for the SVG, the TIFF has
// the edge sharp at its own resolution.
TEST_F(CADocumentPictureQualityTest, AnSvgIsExportedAsPathsAndAtTheTiffsResolution)
{
    const std::unique_ptr<CADocument> document = qualityDesign(kEdgeSvg);
    ASSERT_TRUE(document);
    const QByteArray pdf = document->PDFDataForComponents(nullptr, 0, false, false, false, true, 600);
    EXPECT_FALSE(pdf.contains("/Subtype /Image"));
    const QImage page = qualityPdfPage(pdf, 400);
    ASSERT_FALSE(page.isNull());
    EXPECT_EQ(qGray(page.pixel(page.width() / 4, page.height() / 2)), 0);
    EXPECT_LE(qualityEdgeWidth(page), 2);

    const QImage tiff = QImage::fromData(document->TIFFDataForComponents(nullptr, 0, true, true, 600), "TIFF")
                            .convertToFormat(QImage::Format_RGB32);
    ASSERT_GE(tiff.width(), 200 * 600 / 72);
    EXPECT_EQ(qGray(tiff.pixel(tiff.width() / 4, tiff.height() / 2)), 0);
    EXPECT_LE(qualityEdgeWidth(tiff), 2);
}

// A PNG and a BMP stay lossless in the PDF; a JPEG may stay a JPEG.
TEST_F(CADocumentPictureQualityTest, ALosslessPictureStaysLosslessInThePdf)
{
    const struct
    {
        const char *format;
        bool jpeg;
    } cases[] = {{"PNG", false}, {"BMP", false}, {"JPG", true}};
    for (const auto &picture : cases) {
        SCOPED_TRACE(picture.format);
        const std::unique_ptr<CADocument> document =
            qualityDesign(pictest::encoded(qualityEdgeBitmap(), picture.format));
        ASSERT_TRUE(document);
        const QByteArray pdf = document->PDFDataForComponents(nullptr, 0, false, false, false, true, 600);
        EXPECT_TRUE(pdf.contains("/Subtype /Image"));
        EXPECT_EQ(pdf.contains("/DCTDecode"), picture.jpeg);
    }
}

// Greys stored in a wide-gamut space with its own tone curve (gamma 1.8) are lighter in sRGB: 64
// is 81, 128 is 146, 192 is 203. The PDF and the TIFF show the sRGB values; the raw ones would be
// the numbers stored.
TEST_F(CADocumentPictureQualityTest, APictureWithAColourProfileIsDrawnInItsColours)
{
    const struct
    {
        int stored;
        int shown;
    } greys[] = {{64, 81}, {128, 146}, {192, 203}};
    QImage image(200, 120, QImage::Format_RGB32);
    for (int band = 0; band < 3; ++band)
        for (int y = 0; y < image.height(); ++y)
            for (int x = band * 67; x < std::min(200, (band + 1) * 67); ++x)
                image.setPixel(x, y, qRgb(greys[band].stored, greys[band].stored, greys[band].stored));
    image.setColorSpace(QColorSpace::ProPhotoRgb);
    const std::unique_ptr<CADocument> document = qualityDesign(pictest::encoded(image, "PNG"));
    ASSERT_TRUE(document);
    const QImage page = qualityPdfPage(document->PDFDataForComponents(nullptr, 0, false, false, false, true, 600), 72);
    const QImage tiff = QImage::fromData(document->TIFFDataForComponents(nullptr, 0, true, true, 600), "TIFF")
                            .convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(page.isNull());
    ASSERT_FALSE(tiff.isNull());
    for (int band = 0; band < 3; ++band) {
        SCOPED_TRACE(greys[band].stored);
        const double across = (band * 67 + 33) / 200.0;
        EXPECT_NEAR(qGreen(page.pixel(int(page.width() * across), page.height() / 2)), greys[band].shown, 3);
        EXPECT_NEAR(qGreen(tiff.pixel(int(tiff.width() * across), tiff.height() / 2)), greys[band].shown, 3);
    }
}

} // namespace
