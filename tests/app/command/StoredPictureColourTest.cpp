// Photos and pictures with profiles or unequal resolutions, saved in a design and exported as a
// user runs the program: each is drawn from what the design stored, in its colours, at its size.
#include "TestSupport.h"
#include "ProgramRunSupport.h"

#include "app/command/CACommandLine.h"

#include "kernel/base/CDDString.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTPicture.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWImage.h"

#include <QBuffer>
#include <QColorSpace>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <poppler-qt6.h>

using namespace Qt::StringLiterals;

namespace {

// Left half one colour, right half another, at 72 dots per inch across and dotsDown down.
QImage colourHalves(const QColor &left, const QColor &right, int dotsDown)
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(left);
    for (int y = 0; y < image.height(); ++y)
        for (int x = image.width() / 2; x < image.width(); ++x)
            image.setPixelColor(x, y, right);
    image.setDotsPerMeterX(2835);
    image.setDotsPerMeterY(qRound(dotsDown / 0.0254));
    return image;
}

} // namespace

TEST(StoredPictureColourTest, PicturesAreDrawnFromWhatTheDesignStored)
{
    QImage profiled = colourHalves(QColor(200, 40, 40), QColor(40, 40, 200), 72);
    profiled.setColorSpace(QColorSpace(QColorSpace::SRgb));
    const struct
    {
        const char *name;
        QByteArray bytes;
        QSizeF points;
    } cases[] = {
        {"rgb jpeg", pwtest::encodedImage(colourHalves(QColor(200, 40, 40), QColor(40, 40, 200), 72), "JPG"), {64, 48}},
        {"jpeg in srgb", pwtest::encodedImage(profiled, "JPG"), {64, 48}},
        {"png of 72 by 144 dpi",
         pwtest::encodedImage(colourHalves(QColor(200, 40, 40), QColor(40, 40, 200), 144), "PNG"),
         {64, 24}},
    };
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::shared_ptr<PWImage> image = PWImage::fromData(c.bytes);
        ASSERT_TRUE(image);
        EXPECT_NEAR(image->size().width(), c.points.width(), 0.05);
        EXPECT_NEAR(image->size().height(), c.points.height(), 0.05);
        const QString design = work.filePath(u"colour.pwdc"_s);
        {
            CADocument document(std::make_unique<CFTADocument>(dtPostcard, CDDString(u"us"_s), CDDString(u"us"_s)));
            auto *picture = new CFTPicture(CDDPicture(image));
            picture->SetOrigin(10.0, 10.0);
            picture->SetSize(100.0, 100.0);
            document.ftDocument()->AddObject(picture, 0, false);
            ASSERT_TRUE(document.writeToFile(design));
        }
        // What the design stored is what the program reads again.
        CADocument reopened;
        QString error;
        ASSERT_TRUE(reopened.readFromFile(design, &error)) << qPrintable(error);
        EXPECT_TRUE(reopened.readProblems().isEmpty());

        const QString out = work.filePath(u"colour.pdf"_s);
        const commandtest::ProgramRun run = commandtest::runProgram({u"--export"_s, design, out});
        ASSERT_EQ(run.status, CACommandLine::kSuccess) << qPrintable(run.err);
        const std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(out);
        ASSERT_TRUE(pdf && pdf->numPages() > 0);
        pdf->setPaperColor(Qt::white);
        const QImage page = pdf->page(0)->renderToImage(72.0, 72.0);
        for (const auto &[x, want] : {std::pair {35, QColor(200, 40, 40)}, std::pair {85, QColor(40, 40, 200)}}) {
            const QColor got = page.pixelColor(x, 60);
            EXPECT_LE(std::abs(got.red() - want.red()) + std::abs(got.green() - want.green())
                          + std::abs(got.blue() - want.blue()),
                      30)
                << x << ": " << qPrintable(got.name());
        }
    }
}
