// Photos of many megapixels on a design, exported by the program as a person runs it: each is
// drawn, and the program's memory follows the pixels the pictures are drawn with, not the
// pixels the photos hold.
#include "ProgramRunSupport.h"

#include "app/command/CACommandLine.h"

#include "kernel/base/CDDString.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTPicture.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWImage.h"
#include "platform/PWPictureRenderer.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int kSide = 4800;
constexpr int kPhotos = 40;
constexpr int kColumns = 10;
constexpr double kCell = 20.0; // points of each picture's frame, square
constexpr double kPitch = 22.0;

// A photo without detail: a slow ramp across and down.
QImage gradient(int side)
{
    QImage image(side, side, QImage::Format_RGB32);
    for (int y = 0; y < side; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < side; ++x)
            line[x] = qRgb(60 + 160 * x / side, 200 - 150 * y / side, 90);
    }
    return image;
}

QByteArray jpeg(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 60);
    return bytes;
}

// The same photo made another file: a comment segment after the start of image names it.
QByteArray numbered(const QByteArray &photo, int number)
{
    const QByteArray text = "photo " + QByteArray::number(number);
    QByteArray segment("\xFF\xFE", 2);
    segment += char((text.size() + 2) >> 8);
    segment += char((text.size() + 2) & 0xFF);
    segment += text;
    return photo.left(2) + segment + photo.mid(2);
}

QPointF cellOrigin(int index)
{
    return QPointF(10.0 + (index % kColumns) * kPitch, 10.0 + (index / kColumns) * kPitch);
}

// A card of the photos, whose bytes the design stores as they are: this process never decodes them.
bool writePhotoCard(const QString &path, const QByteArray &photo)
{
    CADocument document(std::make_unique<CFTADocument>(dtPostcard, CDDString(u"us"_s), CDDString(u"us"_s)));
    for (int i = 0; i < kPhotos; ++i) {
        const std::shared_ptr<PWImage> image = PWImage::create(
            PWImageRep::unreadable(PWImageRep::Kind::Bitmap, numbered(photo, i), u"not read here"_s, QSizeF(kSide, kSide)));
        auto *picture = new CFTPicture(CDDPicture(image));
        picture->SetOrigin(cellOrigin(i).x(), cellOrigin(i).y());
        picture->SetSize(kCell, kCell);
        document.ftDocument()->AddObject(picture, 0, false);
    }
    return document.writeToFile(path);
}

bool near(QColor a, QColor b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
           && std::abs(a.blue() - b.blue()) <= tolerance;
}

} // namespace

// Forty photos of 4800 x 4800 pixels, each drawn on a frame of 20 points: the export ends with
// every photo drawn where it stands, and the program never takes a fraction of what their
// pixels would hold decoded whole.
TEST(BatchJobLargePicturesTest, ManyLargePhotosAreDrawnWithinTheMemoryTheyAreDrawnWith)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    const QImage pixels = gradient(kSide);
    const QByteArray photo = jpeg(pixels);
    const QString design = work.filePath(u"photos.pwdc"_s);
    ASSERT_TRUE(writePhotoCard(design, photo));

    const QString out = work.filePath(u"photos.pdf"_s);
    const commandtest::ProgramRun run = commandtest::runProgram({u"--export"_s, design, out});
    rusage usage {};
    ASSERT_EQ(getrusage(RUSAGE_CHILDREN, &usage), 0);
    ASSERT_EQ(run.status, CACommandLine::kSuccess) << qPrintable(run.err);
    EXPECT_FALSE(run.err.contains(u"placeholder"_s)) << qPrintable(run.err);

    const QImage page = commandtest::exportedPage(out);
    ASSERT_FALSE(page.isNull());
    // Three points into each frame from its corners, and its middle: the photo's colours there.
    const struct
    {
        double x, y;
    } spots[] = {{3, 3}, {kCell - 3, 3}, {3, kCell - 3}, {kCell - 3, kCell - 3}, {kCell / 2, kCell / 2}};
    for (int i = 0; i < kPhotos; ++i) {
        SCOPED_TRACE(i);
        for (const auto &spot : spots) {
            const QPointF at = cellOrigin(i) + QPointF(spot.x, spot.y);
            const QColor expected = pixels.pixelColor(int(spot.x / kCell * kSide), int(spot.y / kCell * kSide));
            const QColor seen = page.pixelColor(at.toPoint());
            EXPECT_TRUE(near(seen, expected, 20)) << qPrintable(seen.name()) << " for " << qPrintable(expected.name());
            EXPECT_NE(seen, PWPictureRenderer::placeholderColor());
        }
    }
    // Their pixels whole would take 40 x 4800 x 4800 x 4 bytes, 3.7 GB: the job, sanitizers and
    // all, stays below a quarter of that.
    const qint64 whole = qint64(kPhotos) * kSide * kSide * 4;
    EXPECT_LT(qint64(usage.ru_maxrss) * 1024, whole / 4) << usage.ru_maxrss << " kilobytes";
    RecordProperty("peak_kilobytes", std::to_string(usage.ru_maxrss));
}
