#include "platform/PWImage.h"
#include "TestSupport.h"
#include "platform/PWIsolatedCall.h"

#include <QBuffer>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <gtest/gtest.h>

namespace {

QImage filled(int width, int height, QImage::Format format, QColor colour)
{
    QImage image(width, height, format);
    image.fill(colour);
    return image;
}

// A one-page PDF of 72 x 36 points, black on its left half and empty (transparent) on its right.
QByteArray halfBlackPdf()
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QSizeF(72, 36), QPageSize::Point));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(72);
    QPainter painter(&writer);
    painter.fillRect(QRectF(0, 0, 36, 36), Qt::black);
    painter.end();
    return bytes;
}

QImage drawnAt(const PWImage &image, double resolution)
{
    const QSize pixels(qRound(image.size().width() * resolution), qRound(image.size().height() * resolution));
    QImage target(pixels, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::transparent);
    QPainter painter(&target);
    painter.scale(resolution, resolution);
    EXPECT_TRUE(image.draw(painter, QRectF(QPointF(0, 0), image.size()), QRectF(), resolution));
    return target;
}

} // namespace

// --- the name registry ---------------------------------------------------------------------------

TEST(PWImageRegistryTest, FindsTheNewestLivingHolderOfANameWithoutOwningIt)
{
    const QString name = QStringLiteral("registry-test");
    auto first = PWImage::fromQImage(filled(6, 3, QImage::Format_RGB32, Qt::green));
    auto second = PWImage::create();
    first->setName(name);
    EXPECT_TRUE(first->copy()->name().isEmpty()) << "a copy does not take the name";
    second->setName(name);
    EXPECT_EQ(PWImage::imageNamed(name), second);
    // The first image going away must not take the second one's entry with it.
    first.reset();
    EXPECT_EQ(PWImage::imageNamed(name), second);
    second->setName(QStringLiteral("registry-renamed"));
    EXPECT_EQ(PWImage::imageNamed(name), nullptr);
    EXPECT_EQ(second.use_count(), 1) << "a lookup must not keep a reference behind";
    const std::weak_ptr<PWImage> watch = second;
    second.reset();
    EXPECT_TRUE(watch.expired()) << "the registry kept the image alive";
    EXPECT_EQ(PWImage::imageNamed(QStringLiteral("registry-renamed")), nullptr);
    EXPECT_EQ(PWImage::imageNamed(QString()), nullptr);
}

// --- reading picture data ------------------------------------------------------------------------

TEST(PWImageTest, ABitmapIsSizedByTheResolutionItStates)
{
    QImage dense = filled(40, 20, QImage::Format_RGB32, Qt::blue);
    dense.setDotsPerMeterX(qRound(144 / 0.0254));
    dense.setDotsPerMeterY(qRound(144 / 0.0254));
    const auto image = PWImage::fromData(pwtest::encodedImage(dense, "PNG"));
    ASSERT_NE(image, nullptr);
    EXPECT_NEAR(image->size().width(), 20.0, 0.01);
    EXPECT_NEAR(image->size().height(), 10.0, 0.01);
    EXPECT_EQ(image->pixelSize(), QSize(40, 20));
    // A format without resolution counts 72 dots to the inch: one point a pixel.
    const auto plain = PWImage::fromData(pwtest::encodedImage(filled(40, 20, QImage::Format_RGB32, Qt::blue), "PPM"));
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->size(), QSizeF(40, 20));
}

TEST(PWImageTest, BytesThatAreNoPictureGiveNothingWithAReason)
{
    for (const QByteArray &bytes :
         {QByteArray(), QByteArray("not a picture at all"), QByteArray("%PDF-1.4\nno objects here\n%%EOF\n"),
          pwtest::encodedImage(filled(8, 8, QImage::Format_RGB32, Qt::red), "PNG").left(40)}) {
        QString error;
        EXPECT_EQ(PWImage::fromData(bytes, &error), nullptr) << bytes.left(20).toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
    QString error;
    EXPECT_EQ(PWImage::fromFile(QStringLiteral("/nonexistent/picture.png"), &error), nullptr);
    EXPECT_TRUE(error.contains(QStringLiteral("/nonexistent/picture.png")));
}

struct EpsCase { const char *name; QByteArray bytes; QSizeF size; }; // an empty size: refused

QByteArray dosEps(const QByteArray &postscript, quint32 offset, quint32 length)
{
    QByteArray header("\xC5\xD0\xD3\xC6", 4);
    const auto word = [&header](quint32 value) {
        for (int i = 0; i < 4; ++i)
            header.append(char((value >> (8 * i)) & 0xFF));
    };
    word(offset);
    word(length);
    header.append(QByteArray(30 - header.size(), '\0'));
    return header + postscript;
}

using PWImageEpsTest = ::testing::TestWithParam<EpsCase>;

TEST_P(PWImageEpsTest, KeepsTheBytesAndTheBoundingBox)
{
    const EpsCase &c = GetParam();
    QString error;
    const auto image = PWImage::fromData(c.bytes, &error);
    if (c.size.isEmpty()) {
        EXPECT_EQ(image, nullptr);
        EXPECT_FALSE(error.isEmpty());
        return;
    }
    ASSERT_NE(image, nullptr) << error.toStdString();
    ASSERT_EQ(image->representations().size(), 1);
    const PWImageRep &rep = image->representations().first();
    EXPECT_EQ(rep.kind(), PWImageRep::Kind::EPS);
    EXPECT_EQ(rep.data(), c.bytes);
    EXPECT_EQ(image->size(), c.size);
}

const QByteArray kEpsBody("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 10 20 110 70\nnewpath\n%%EOF\n");

INSTANTIATE_TEST_SUITE_P(
    Cases, PWImageEpsTest,
    ::testing::Values(EpsCase {"plain", kEpsBody, QSizeF(100, 50)},
                      EpsCase {"crlf", "%!PS-Adobe-3.0 EPSF-3.0\r\n%%BoundingBox: 0 0 30.5 12\r\n", QSizeF(30.5, 12)},
                      EpsCase {"atend",
                               "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: (atend)\nshowpage\n%%Trailer\n"
                               "%%BoundingBox: 5 5 45 25\n%%EOF\n",
                               QSizeF(40, 20)},
                      EpsCase {"dosHeader", dosEps(kEpsBody, 30, quint32(kEpsBody.size())), QSizeF(100, 50)},
                      EpsCase {"dosSectionPastTheEnd", dosEps(kEpsBody, 30, 0xFFFFFFF0u), QSizeF()},
                      EpsCase {"noBoundingBox", "%!PS-Adobe-3.0 EPSF-3.0\nshowpage\n", QSizeF()},
                      EpsCase {"emptyBoundingBox", "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 10 10 10 40\n", QSizeF()},
                      EpsCase {"malformedBoundingBox", "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 1 2 three 4\n",
                               QSizeF()}),
    [](const auto &info) { return std::string(info.param.name); });

// --- drawing -------------------------------------------------------------------------------------

TEST(PWImageTest, APdfIsRenderedByPopplerAtTheResolutionOfEachDrawing)
{
    const auto image = PWImage::fromData(halfBlackPdf());
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->representations().size(), 1);
    const PWImageRep &rep = image->representations().first();
    ASSERT_EQ(rep.kind(), PWImageRep::Kind::PDF);
    EXPECT_EQ(image->size(), QSizeF(72, 36));
    const QImage once = drawnAt(*image, 1.0);
    EXPECT_EQ(rep.renderedPixelSize(), QSize(72, 36));
    EXPECT_EQ(once.pixel(34, 18), qRgb(0, 0, 0));
    EXPECT_EQ(qAlpha(once.pixel(38, 18)), 0);
    // Twice the resolution is a rendering of its own, sharp at the edge, not a stretched copy.
    const QImage twice = drawnAt(*image, 2.0);
    EXPECT_EQ(rep.renderedPixelSize(), QSize(144, 72));
    EXPECT_EQ(twice.pixel(71, 36), qRgb(0, 0, 0));
    EXPECT_EQ(qAlpha(twice.pixel(73, 36)), 0);
    // A part of the page, drawn larger, renders only that part.
    QImage part(40, 40, QImage::Format_ARGB32_Premultiplied);
    part.fill(Qt::transparent);
    {
        QPainter painter(&part);
        EXPECT_TRUE(image->draw(painter, QRectF(0, 0, 40, 40), QRectF(26, 0, 20, 20), 1.0));
    }
    EXPECT_EQ(rep.renderedPixelSize(), QSize(40, 40));
    EXPECT_EQ(part.pixel(10, 20), qRgb(0, 0, 0));
    EXPECT_EQ(qAlpha(part.pixel(30, 20)), 0);
}

TEST(PWImageTest, BestRepresentationPrefersPdfThenTheLargestBitmap)
{
    auto image = PWImage::fromQImage(filled(4, 4, QImage::Format_RGB32, Qt::red));
    image->addRepresentation(PWImageRep::fromBitmap(filled(16, 16, QImage::Format_RGB32, Qt::blue)));
    image->addRepresentation(PWImageRep::fromBitmap(filled(8, 8, QImage::Format_RGB32, Qt::green)));
    EXPECT_EQ(image->size(), QSizeF(4, 4)) << "the size comes from the first representation";
    // Drawn at its own size, the image shows its best (largest) bitmap scaled down.
    EXPECT_EQ(image->toImage(QSize(4, 4)).pixel(1, 1), qRgb(0, 0, 255));
    image->addRepresentation(*PWImageRep::fromPDF(halfBlackPdf()));
    EXPECT_EQ(image->bestRepresentation()->kind(), PWImageRep::Kind::PDF);
    EXPECT_EQ(PWImage::create()->bestRepresentation(), nullptr);
}

TEST(PWImageTest, DrawingTakesTheSourceInPointsOfTheImage)
{
    // 8 x 4 pixels shown as 4 x 2 points: the source rectangle is in points, not pixels.
    QImage pixels = filled(8, 4, QImage::Format_RGB32, Qt::red);
    for (int y = 0; y < 4; ++y)
        for (int x = 4; x < 8; ++x)
            pixels.setPixel(x, y, qRgb(0, 0, 255));
    auto image = PWImage::create(PWImageRep::fromBitmap(pixels, QSizeF(4, 2)));
    QImage target(10, 10, QImage::Format_RGB32);
    target.fill(Qt::white);
    QPainter painter(&target);
    EXPECT_TRUE(image->draw(painter, QRectF(0, 0, 10, 10), QRectF(2, 0, 2, 2)));
    painter.end();
    EXPECT_EQ(target.pixel(5, 5), qRgb(0, 0, 255));
    EXPECT_TRUE(image->toImage(QSize()).isNull());
    EXPECT_FALSE(PWImage::create()->draw(painter, QRectF(0, 0, 10, 10)));
}

// Poppler reads even the page size of a PDF apart, where a damaged document cannot hold up or
// harm this process: with no program to run apart there is no new PDF, and the reason says so;
// one whose size was read before is known without it.
TEST(PWImageTest, APdfPageSizeIsReadApartOnce)
{
    const QByteArray known = halfBlackPdf();
    ASSERT_NE(PWImage::fromData(known), nullptr);
    const QByteArray unknown = known + "\n% another document\n";
    PWIsolatedCall::setProgram(QStringLiteral("/nonexistent/parcelwick"));
    QString error;
    const auto fresh = PWImage::fromData(unknown, &error);
    const auto again = PWImage::fromData(known);
    PWIsolatedCall::setProgram(QString());
    EXPECT_EQ(fresh, nullptr);
    EXPECT_TRUE(error.startsWith(QStringLiteral("it cannot be read apart"))) << error.toStdString();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->size(), QSizeF(72, 36));
    EXPECT_NE(PWImage::fromData(unknown), nullptr);
}
