#include "kernel/drawing/CDDPicture.h"

#include "PictureTestSupport.h"
#include "kernel/render/CDDDrawer.h"
#include "platform/PWBitmapDecodes.h"
#include "platform/PWImage.h"
#include "platform/PWJobReport.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int kWidth = 1600;
constexpr int kHeight = 1200;

// A photo without detail a resampling could alias: each channel a slow ramp.
QByteArray gradientJpeg(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = qRgb(40 + 180 * x / width, 30 + 200 * y / height, 220 - 150 * (x + y) / (width + height));
    }
    return pictest::encoded(image, "JPG");
}

const QByteArray &gradientPhoto()
{
    static const QByteArray bytes = gradientJpeg(kWidth, kHeight);
    return bytes;
}

// A view and an export to a bitmap draw on an image; a print and an export to PDF on a printer.
enum class Output { Screen, Printer };

struct Row
{
    placingMode mode;
    QRectF crop; // points of the picture, from its lower-left corner; empty for none
    Output output;
    double resolution; // device pixels a point
    float opacity = 1.0f; // below 1, a print draws the picture apart first
};

std::string rowName(const Row &row)
{
    const char *mode = row.mode == pmTiled ? "tiled" : row.mode == pmCover ? "cover" : "stretched";
    return std::string(mode) + (row.crop.isEmpty() ? " whole" : " crop ") + (row.output == Output::Screen ? " screen " : " printer ")
           + std::to_string(row.resolution) + (row.opacity < 1.0f ? " translucent" : "");
}

const QRectF kFrame(20, 15, 150, 60);
constexpr float kTileScale = 1600.0f;

// The output drawn the way a view or an export to a bitmap draws a picture (on an image of the
// resolution's pixels), or a print (on a PDF page, the drawer at the print's resolution); null
// for the print.
QImage drawRow(CDDPicture &picture, const Row &row)
{
    const QSizeF page(kFrame.right() + 20, kFrame.bottom() + 20);
    if (row.output == Output::Printer) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(72);
        writer.setPageSize(QPageSize(page, QPageSize::Point));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&writer);
        CDDDrawer drawer(false, &painter);
        drawer.SetResolution(row.resolution);
        picture.draw(kFrame.x(), kFrame.y(), kFrame.width(), kFrame.height(), false, nullptr, false, nullptr,
                     row.opacity, &drawer, row.mode, 0.0, false, false, false, kTileScale, nullptr, nullptr);
        return QImage();
    }
    QImage out(int(std::ceil(page.width() * row.resolution)), int(std::ceil(page.height() * row.resolution)),
               QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::white);
    QPainter painter(&out);
    painter.scale(row.resolution, row.resolution);
    CDDDrawer drawer(true, &painter);
    drawer.SetResolution(row.resolution);
    picture.draw(kFrame.x(), kFrame.y(), kFrame.width(), kFrame.height(), false, nullptr, false, nullptr, 1.0f, &drawer,
                 row.mode, 0.0, false, false, false, kTileScale, nullptr, nullptr);
    painter.end();
    return out;
}

// The device pixels one of the picture's own pixels covers, from the geometry of the placing:
// the part shown stretched over the frame, over the frame covered with the picture's proportions,
// or over a tile of kTileScale square points with the part's proportions.
double drawnScale(const Row &row, const QSizeF &points, const QRectF &partPixels)
{
    QSizeF drawn = kFrame.size();
    if (row.mode == pmCover) {
        const double cover = std::max(kFrame.width() / points.width(), kFrame.height() / points.height());
        drawn = points * cover;
    } else if (row.mode == pmTiled) {
        const double aspect = partPixels.width() / partPixels.height();
        drawn = QSizeF(std::sqrt(kTileScale * aspect), std::sqrt(kTileScale / aspect));
    }
    return std::max(drawn.width() * row.resolution / partPixels.width(),
                    drawn.height() * row.resolution / partPixels.height());
}

struct Difference
{
    double mean = 0;
    int most = 0;
};

// Per channel, over the frame's inside (its edges are blended with the page).
Difference difference(const QImage &a, const QImage &b, const QRect &inside)
{
    Difference d;
    qint64 sum = 0, count = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            for (const int delta : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)}) {
                sum += std::abs(delta);
                d.most = std::max(d.most, std::abs(delta));
                ++count;
            }
        }
    }
    d.mean = count ? double(sum) / double(count) : 0.0;
    return d;
}

std::vector<Row> rows()
{
    std::vector<Row> all;
    const QRectF crops[] = {QRectF(), QRectF(0, 0, 800, 600), QRectF(400, 500, 800, 120)};
    for (const placingMode mode : {pmStretched, pmCover, pmTiled})
        for (const QRectF &crop : crops)
            for (const Output output : {Output::Screen, Output::Printer})
                for (const double resolution : {0.5, 1.0, 300 / 72.0, 600 / 72.0}) {
                    // An image is drawn on stretched over its frame where a printer covers the frame.
                    if (mode == pmCover && output == Output::Screen)
                        continue;
                    all.push_back({mode, crop, output, resolution});
                    if (output == Output::Printer && mode != pmTiled)
                        all.push_back({mode, crop, output, resolution, 0.5f});
                }
    return all;
}

} // namespace

// Over placing modes, parts and resolutions: the picture is decoded with at least the pixels it
// is drawn with and no more than a quarter octave beyond (never beyond its own), the part alone
// when a small part is shown; and a stretched picture's pixels are those of the whole picture
// decoded and scaled down.
TEST(CDDPictureDecodeScaleTest, DecodedSizeFollowsTheDrawnSize)
{
    const QImage full = QImage::fromData(gradientPhoto());
    ASSERT_EQ(full.size(), QSize(kWidth, kHeight));
    for (const Row &row : rows()) {
        SCOPED_TRACE(rowName(row));
        const std::shared_ptr<PWImage> image = PWImage::fromData(gradientPhoto());
        ASSERT_TRUE(image);
        CDDPicture picture(image);
        const QSizeF points(picture.getImageSizeX(), picture.getImageSizeY());
        const double perPoint = kWidth / points.width();
        // The part in the picture's pixels, from its top.
        QRectF part(0, 0, kWidth, kHeight);
        if (!row.crop.isEmpty()) {
            picture.setSrcRect(float(row.crop.x()), float(row.crop.y()), float(row.crop.width()),
                               float(row.crop.height()));
            part = QRectF(row.crop.x() * perPoint, (points.height() - row.crop.bottom()) * perPoint,
                          row.crop.width() * perPoint, row.crop.height() * perPoint);
        }
        PWBitmapDecodes::forget();
        const QImage drawn = drawRow(picture, row);
        const PWBitmapDecodes::Counts counts = PWBitmapDecodes::counts();
        ASSERT_EQ(counts.decodings, 1);
        ASSERT_FALSE(counts.lastSize.isEmpty());
        EXPECT_TRUE(QRectF(counts.last.clip).contains(part.adjusted(0.5, 0.5, -0.5, -0.5)));
        const double kX = double(counts.lastSize.width()) / counts.last.clip.width();
        const double kY = double(counts.lastSize.height()) / counts.last.clip.height();
        const double wanted = std::min(1.0, drawnScale(row, points, part));
        EXPECT_GE(std::min(kX, kY), wanted * 0.99) << "decoded " << counts.last.scaled.width() << "x" << counts.last.scaled.height() << " of "
                                                    << counts.last.clip.width() << "x" << counts.last.clip.height();
        EXPECT_LE(std::max(kX, kY), std::min(1.0, wanted * 1.26) + 2.0 / counts.last.clip.height());
        // A part decoded alone: itself with a margin of a few pixels at the scale decoded.
        if (part.width() * part.height() < 0.5 * kWidth * kHeight) {
            const double margin = 4.0 / kX + 2.0;
            EXPECT_LE(counts.last.clip.width(), part.width() + 2 * margin);
            EXPECT_LE(counts.last.clip.height(), part.height() + 2 * margin);
        }

        if (row.mode != pmStretched || row.output != Output::Screen)
            continue;
        const QRect frame = QRectF(kFrame.topLeft() * row.resolution, kFrame.size() * row.resolution).toAlignedRect();
        QImage expected(drawn.size(), QImage::Format_ARGB32_Premultiplied);
        expected.fill(Qt::white);
        {
            QPainter painter(&expected);
            painter.drawImage(QRectF(kFrame.topLeft() * row.resolution, kFrame.size() * row.resolution),
                              full.copy(part.toAlignedRect())
                                  .scaled(frame.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        }
        const Difference d = difference(drawn, expected, frame.adjusted(2, 2, -2, -2));
        EXPECT_LT(d.mean, 2.0);
        EXPECT_LE(d.most, 24);
    }
}

// A sheet of one picture, the labels of a print for many persons: one decoding a resolution, and
// what a job decoded is let go when it ends; a view's drawings keep theirs.
TEST(CDDPictureDecodeScaleTest, OneDecodingPerResolutionKeptForTheJob)
{
    PWBitmapDecodes::forget();
    const std::shared_ptr<PWImage> image = PWImage::fromData(gradientPhoto());
    ASSERT_TRUE(image);
    {
        const PWJobReport job;
        for (const double resolution : {300 / 72.0, 600 / 72.0}) {
            for (int copy = 0; copy < 12; ++copy) {
                CDDPicture picture(copy % 2 ? image->copy() : image);
                drawRow(picture, {pmStretched, QRectF(), Output::Printer, resolution});
            }
        }
        EXPECT_EQ(PWBitmapDecodes::counts().decodings, 2);
        EXPECT_GT(PWBitmapDecodes::counts().heldBytes, 0);
    }
    EXPECT_EQ(PWBitmapDecodes::counts().heldBytes, 0);

    CDDPicture shown(image);
    drawRow(shown, {pmStretched, QRectF(), Output::Screen, 1.0});
    const qint64 held = PWBitmapDecodes::counts().heldBytes;
    EXPECT_GT(held, 0);
    { const PWJobReport job; }
    EXPECT_EQ(PWBitmapDecodes::counts().heldBytes, held);
    PWBitmapDecodes::forget();
}

// A photo of some detail (rings, soft edges, a ramp) drawn small and large for an export and in a
// view: the same pixels as the picture decoded whole draws, but for resampling.
TEST(CDDPictureDecodeScaleTest, APhotoDrawsAsItsWholeDecodingDoes)
{
    QImage scene(3000, 2000, QImage::Format_RGB32);
    {
        QPainter painter(&scene);
        QLinearGradient sky(0, 0, 0, 2000);
        sky.setColorAt(0, QColor(90, 140, 220));
        sky.setColorAt(1, QColor(240, 200, 150));
        painter.fillRect(scene.rect(), sky);
        painter.setRenderHint(QPainter::Antialiasing);
        for (int i = 0; i < 12; ++i) {
            painter.setPen(QPen(QColor(30 + 18 * i, 90, 200 - 12 * i), 40));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(QPointF(600 + 160 * i, 1000), 120.0 + 60 * i, 90.0 + 40 * i);
        }
    }
    const QByteArray bytes = pictest::encoded(scene, "JPG");
    const std::shared_ptr<PWImage> decodedAsDrawn = PWImage::fromData(bytes);
    ASSERT_TRUE(decodedAsDrawn);
    const QImage whole = QImage::fromData(bytes);
    const std::shared_ptr<PWImage> decodedWhole = PWImage::create(PWImageRep::fromEncodedBitmap(bytes, whole, whole.size()));
    ASSERT_EQ(decodedAsDrawn->size(), decodedWhole->size());

    const struct
    {
        QSizeF size;
        Output output;
        double resolution;
    } cases[] = {{QSizeF(60, 40), Output::Screen, 300 / 72.0}, {QSizeF(540, 360), Output::Screen, 300 / 72.0},
                 {QSizeF(60, 40), Output::Screen, 2.0},        {QSizeF(540, 360), Output::Screen, 1.0},
                 {QSizeF(150, 100), Output::Screen, 600 / 72.0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.size.width() << " points, " << c.resolution);
        QImage drawn[2];
        int i = 0;
        for (const std::shared_ptr<PWImage> &image : {decodedAsDrawn, decodedWhole}) {
            CDDPicture picture(image);
            const QSizeF page(c.size.width() + 20, c.size.height() + 20);
            drawn[i] = QImage(int(std::ceil(page.width() * c.resolution)), int(std::ceil(page.height() * c.resolution)),
                              QImage::Format_ARGB32_Premultiplied);
            drawn[i].fill(Qt::white);
            QPainter painter(&drawn[i]);
            painter.scale(c.resolution, c.resolution);
            CDDDrawer drawer(c.output == Output::Screen, &painter);
            drawer.SetResolution(c.resolution);
            picture.draw(10, 10, c.size.width(), c.size.height(), false, nullptr, false, nullptr, 1.0f, &drawer,
                         pmStretched, 0.0, false, false, false, kTileScale, nullptr, nullptr);
            ++i;
        }
        const Difference d = difference(drawn[0], drawn[1], drawn[0].rect());
        // Measured: at most 2.1 where the photo is drawn at a twelfth of its pixels, which the
        // whole decoding's drawing samples without averaging.
        EXPECT_LT(d.mean, 3.0);
        EXPECT_LE(d.most, 96);
    }
}

// A photo of more pixels than any drawing is decoded with is decoded apart, also at the scale
// its part is drawn: a small frame takes a small decoding, a part of it drawn large the part alone.
TEST(CDDPictureDecodeScaleTest, APhotoPastTheDrawnBoundIsDecodedApartAtTheDrawnScale)
{
    const int side = 5200; // 27 megapixels
    const QByteArray bytes = gradientJpeg(side, side);
    const std::shared_ptr<PWImage> image = PWImage::fromData(bytes);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->pixelSize(), QSize(side, side));
    const QSizeF points = image->size();
    const struct
    {
        QRectF crop; // points from the lower-left corner; empty for the whole
        double resolution;
    } cases[] = {{QRectF(), 1.0}, {QRectF(0, 0, points.width() / 10, points.height() / 10), 300 / 72.0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.crop.width());
        CDDPicture picture(image);
        const QRectF part = c.crop.isEmpty() ? QRectF(0, 0, side, side)
                                             : QRectF(0, side - c.crop.height() * side / points.height(),
                                                      c.crop.width() * side / points.width(),
                                                      c.crop.height() * side / points.height());
        if (!c.crop.isEmpty())
            picture.setSrcRect(float(c.crop.x()), float(c.crop.y()), float(c.crop.width()), float(c.crop.height()));
        PWBitmapDecodes::forget();
        const QImage drawn = drawRow(picture, {pmStretched, c.crop, Output::Screen, c.resolution});
        const PWBitmapDecodes::Counts counts = PWBitmapDecodes::counts();
        ASSERT_EQ(counts.decodings, 1);
        const double wanted = std::min(
            1.0, std::max(kFrame.width() * c.resolution / part.width(), kFrame.height() * c.resolution / part.height()));
        const double k = double(counts.lastSize.width()) / counts.last.clip.width();
        EXPECT_GE(k, wanted * 0.99);
        EXPECT_LE(k, std::min(1.0, wanted * 1.26));
        EXPECT_TRUE(QRectF(counts.last.clip).contains(part.adjusted(1, 1, -1, -1)));
        // The frame's middle shows the part's middle.
        const QImage whole = QImage::fromData(bytes).copy(part.toAlignedRect());
        const QColor expected = whole.pixelColor(whole.width() / 2, whole.height() / 2);
        const QColor seen = drawn.pixelColor((kFrame.center() * c.resolution).toPoint());
        EXPECT_LE(std::abs(seen.red() - expected.red()) + std::abs(seen.green() - expected.green())
                      + std::abs(seen.blue() - expected.blue()),
                  12)
            << qPrintable(seen.name()) << " for " << qPrintable(expected.name());
    }
    PWBitmapDecodes::forget();
}
