// Pictures of a design as a person exports and saves them with the program: PostScript that
// reaches for files of the temporary folder touches none and leaves nothing there, a bitmap that
// does not decode is drawn as a placeholder and saved with its bytes as they were, and a photo of
// many megapixels is drawn.
#include "TestSupport.h"
#include "ProgramRunSupport.h"

#include "app/command/CACommandLine.h"

#include "kernel/base/CDDString.h"
#include "kernel/base/FTImageArchive.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTPicture.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWImage.h"
#include "platform/PWPictureRenderer.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>
#include <poppler-qt6.h>

using namespace Qt::StringLiterals;

namespace {

// A card with the pictures side by side from (10, 10), each width points wide, in the proportions given.
bool writeCard(const QString &path, const QList<std::shared_ptr<PWImage>> &images, double width, double aspect)
{
    CADocument document(std::make_unique<CFTADocument>(dtPostcard, CDDString(u"us"_s), CDDString(u"us"_s)));
    double x = 10.0;
    for (const std::shared_ptr<PWImage> &image : images) {
        if (!image)
            return false;
        auto *picture = new CFTPicture(CDDPicture(image));
        picture->SetOrigin(x, 10.0);
        picture->SetSize(width, width / aspect);
        document.ftDocument()->AddObject(picture, 0, false);
        x += width + 5.0;
    }
    return document.writeToFile(path);
}

int placeholderPixels(const QImage &page)
{
    const QColor plate = PWPictureRenderer::placeholderColor();
    int count = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QColor pixel = page.pixelColor(x, y);
            if (std::abs(pixel.red() - plate.red()) < 6 && std::abs(pixel.green() - plate.green()) < 6
                && std::abs(pixel.blue() - plate.blue()) < 6)
                ++count;
        }
    return count;
}

using commandtest::ScopedEnvironment;

QByteArray eps(const QByteArray &operations)
{
    return "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 100 100\n" + operations
           + "\n0 0 1 setrgbcolor 0 0 100 100 rectfill\nshowpage\n";
}

// The number of a process that has ended: nobody answers to it.
qint64 endedProcessNumber()
{
    QProcess ended;
    ended.start(u"true"_s, {});
    if (!ended.waitForStarted())
        return 0;
    const qint64 number = ended.processId();
    ended.waitForFinished();
    return number;
}

quint32 crc32(QByteArrayView bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A grey picture, black on its left half and white on its right.
QImage halves(int width, int height)
{
    QImage image(width, height, QImage::Format_Grayscale8);
    image.fill(0);
    for (int y = 0; y < height; ++y)
        std::memset(image.scanLine(y) + width / 2, 255, size_t(width - width / 2));
    return image;
}

// Replaces bytes inside the data elements of a property list in XML; answers how many it changed.
int replaceInData(QByteArray &plist, const QByteArray &from, const QByteArray &to)
{
    int changed = 0;
    qsizetype at = 0;
    while ((at = plist.indexOf("<data>", at)) >= 0) {
        const qsizetype start = at + 6;
        const qsizetype end = plist.indexOf("</data>", start);
        if (end < 0)
            break;
        QByteArray bytes = QByteArray::fromBase64(plist.mid(start, end - start));
        if (bytes.contains(from)) {
            bytes.replace(from, to);
            plist.replace(start, end - start, bytes.toBase64());
            ++changed;
        }
        at = plist.indexOf("</data>", start) + 7;
    }
    return changed;
}

} // namespace

TEST(PictureSafetyTest, PostScriptReachingForTheTemporaryFolderTouchesNothingThereAndLeavesNothing)
{
    QTemporaryDir temp;
    QTemporaryDir work;
    ASSERT_TRUE(temp.isValid() && work.isValid());
    const QByteArray t = QFile::encodeName(temp.path());
    ASSERT_TRUE(pwtest::writeFile(temp.filePath(u"victim"_s), "secret words"));
    // What a child of a killed program left behind is taken away by the next one.
    const qint64 gone = endedProcessNumber();
    ASSERT_GT(gone, 0);
    const QString abandoned = temp.filePath(u"parcelwick-child-%1-AbCd12"_s.arg(gone));
    ASSERT_TRUE(QDir().mkpath(abandoned) && pwtest::writeFile(abandoned + u"/qt_temp.XyZ"_s, "%!PS"));

    const QByteArray operations[] = {
        "/f (" + t + "/written) (w) file def f (x) writestring f closefile",
        "(" + t + "/victim) deletefile",
        "(" + t + "/victim) (" + t + "/renamed) renamefile",
        "/f (" + t + "/victim) (r) file def /s 64 string def f s readstring pop\n"
        "/Helvetica findfont 12 scalefont setfont 10 50 moveto show",
        "{ } loop"};
    QList<std::shared_ptr<PWImage>> pictures;
    for (const QByteArray &operation : operations)
        pictures.append(PWImage::fromData(eps(operation)));
    const QString design = work.filePath(u"reaching.pwdc"_s);
    ASSERT_TRUE(writeCard(design, pictures, 40.0, 1.0));

    const QString out = work.filePath(u"reaching.pdf"_s);
    // The endless loop spends this processor time; the others need far less of it, unless the
    // machine is so loaded that starting a sanitized child alone takes that long.
    const ScopedEnvironment deadline("PW_PICTURE_RENDER_DEADLINE_MS", "3000");
    // Each picture fails for its own reason here, never for the job's bound on lost time, which a
    // loaded machine would reach first.
    const ScopedEnvironment jobBound("PW_PICTURE_JOB_BOUND_MS", "3600000");
    const ScopedEnvironment tmpdir("TMPDIR", t);
    const commandtest::ProgramRun run = commandtest::runProgram({u"--export"_s, design, out});
    // The export is written, and the job fails for its placeholders.
    ASSERT_EQ(run.status, CACommandLine::kFailure) << qPrintable(run.err);
    EXPECT_TRUE(run.err.trimmed().endsWith(u"pictures were drawn as placeholders"_s)) << qPrintable(run.err);
    // Each picture failed for want of its file, or of processor time, and is a placeholder.
    EXPECT_EQ(run.err.count(u"EPS picture of"_s), 5) << qPrintable(run.err);
    const qsizetype refused = run.err.count(u"Ghostscript cannot render the page"_s);
    const qsizetype stopped = run.err.count(u"of processor time and was stopped"_s);
    EXPECT_EQ(refused + stopped, 5) << qPrintable(run.err);
    EXPECT_GE(stopped, 1) << qPrintable(run.err);
    EXPECT_GT(placeholderPixels(commandtest::exportedPage(out)), 5 * 1200);

    EXPECT_EQ(QDir(temp.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList {u"victim"_s});
    EXPECT_EQ(pwtest::readFile(temp.filePath(u"victim"_s)), "secret words");
}

// Two flipped bytes of a TIFF, and a PNG stating 100000 x 100000 pixels: each is drawn as a
// placeholder and named, and opening and saving the design keeps the bytes as they are.
TEST(PictureSafetyTest, BitmapsThatDoNotDecodeArePlaceholdersAndKeepTheirBytes)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    QImage sample(60, 40, QImage::Format_RGB32);
    sample.fill(Qt::darkGreen);
    const QByteArray tiff = FTImageArchive::tiffData(sample);
    QByteArray png = pwtest::encodedImage(sample.convertToFormat(QImage::Format_RGB888), "png");
    // A PNG stating 100000 x 100000 pixels, as a design holds it: the bytes of an image that does
    // not decode (a PNG that does is stored as TIFF).
    QByteArray vastPng = png;
    qToBigEndian<quint32>(100000, vastPng.data() + 16);
    qToBigEndian<quint32>(100000, vastPng.data() + 20);
    qToBigEndian<quint32>(crc32(QByteArrayView(vastPng).sliced(12, 17)), vastPng.data() + 29);
    std::shared_ptr<PWImage> vast = PWImage::create(
        PWImageRep::unreadable(PWImageRep::Kind::Bitmap, vastPng, u"too large"_s, QSizeF(60, 40)));
    const QString design = work.filePath(u"damaged.pwdc"_s);
    ASSERT_TRUE(writeCard(design, {PWImage::fromData(tiff), vast}, 100.0, 1.5));

    // Damage the TIFF where the design file holds it.
    QByteArray damagedTiff = tiff;
    damagedTiff[6] = char(~damagedTiff[6]);
    damagedTiff[7] = char(~damagedTiff[7]);
    QByteArray file = pwtest::readFile(design);
    ASSERT_EQ(replaceInData(file, tiff, damagedTiff), 1);
    ASSERT_EQ(replaceInData(file, vastPng, vastPng), 1);
    ASSERT_TRUE(pwtest::writeFile(design, file));

    const QString out = work.filePath(u"damaged.pdf"_s);
    const commandtest::ProgramRun run = commandtest::runProgram({u"--export"_s, design, out});
    // The export is written, and the job fails for its placeholders.
    ASSERT_EQ(run.status, CACommandLine::kFailure) << qPrintable(run.err);
    EXPECT_TRUE(run.err.trimmed().endsWith(u"pictures were drawn as placeholders"_s)) << qPrintable(run.err);
    for (const QByteArray &bytes : {damagedTiff, vastPng})
        EXPECT_EQ(run.err.count(u"Bitmap picture of %1 bytes is drawn as a placeholder"_s.arg(bytes.size())), 1)
            << qPrintable(run.err);
    // Two plates of 100 x 67 points, less their crosses and edges.
    EXPECT_GT(placeholderPixels(commandtest::exportedPage(out)), 2 * 5500);

    QString saved = design;
    for (int round = 0; round < 2; ++round) {
        CADocument document;
        QString error;
        ASSERT_TRUE(document.readFromFile(saved, &error)) << qPrintable(error);
        saved = work.filePath(u"saved-%1.pwdc"_s.arg(round));
        ASSERT_TRUE(document.writeToFile(saved, &error)) << qPrintable(error);
        QByteArray written = pwtest::readFile(saved);
        EXPECT_EQ(replaceInData(written, damagedTiff, damagedTiff), 1) << round;
        EXPECT_EQ(replaceInData(written, vastPng, vastPng), 1) << round;
    }
}

// A photo and a scan of 12000 x 8000 pixels are drawn, from the pixels their size on the card needs.
TEST(PictureSafetyTest, PicturesOfManyMegapixelsAreDrawn)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    const QString design = work.filePath(u"photo.pwdc"_s);
    const QImage picture = halves(12000, 8000);
    ASSERT_TRUE(writeCard(design,
                          {PWImage::fromData(pwtest::encodedImage(picture, "jpeg")),
                           PWImage::fromData(pwtest::encodedImage(picture, "png"))},
                          100.0, 1.5));
    const QString out = work.filePath(u"photo.pdf"_s);
    const commandtest::ProgramRun run = commandtest::runProgram({u"--export"_s, design, out});
    ASSERT_EQ(run.status, CACommandLine::kSuccess) << qPrintable(run.err);
    EXPECT_FALSE(run.err.contains(u"picture"_s)) << qPrintable(run.err);
    const QImage page = commandtest::exportedPage(out);
    ASSERT_FALSE(page.isNull());
    // The pictures lie at (10, 10) and (115, 10), 100 x 66.7 points: black on the left, white on the right.
    const auto grey = [&](int x, int y) { return qGray(page.pixel(x, y)); };
    for (const int left : {10, 115}) {
        EXPECT_LT(grey(left + 25, 43), 40) << left;
        EXPECT_GT(grey(left + 75, 43), 215) << left;
    }
    EXPECT_EQ(placeholderPixels(page), 0);
}
