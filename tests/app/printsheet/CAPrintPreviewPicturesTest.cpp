// The print sheet's preview never waits for a PDF or EPS picture of the design: its first paint
// shows the page without it, and the preview paints the picture (or the placeholder of one that
// never finishes) by itself once the rendering has ended. A job printed meanwhile still holds it.
#include "DeferredPictureSupport.h"
#include "PrintSheetTestSupport.h"

#include "app/printsheet/CAPrintPreview.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTPicture.h"
#include "kernel/merge/CALabelPrintingView.h"

#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <poppler-qt6.h>

using namespace Qt::StringLiterals;

namespace {

using namespace deferredpicture;

// A label design whose one picture is a square as high as the label, in its middle.
std::shared_ptr<CADocument> labelWithPicture(std::shared_ptr<PWImage> image)
{
    std::shared_ptr<CADocument> document = printsheettest::design(dtLabel);
    CFTADocument *kernel = document->ftDocument();
    const QSizeF label(kernel->getLayoutSizeX(), kernel->getLayoutSizeY());
    const double side = std::min(label.width(), label.height());
    auto *picture = new CFTPicture(CDDPicture(std::move(image)));
    picture->SetOrigin((label.width() - side) / 2.0, (label.height() - side) / 2.0);
    picture->SetSize(side, side);
    kernel->AddObject(picture, 0, false);
    return document;
}

// A page point inside the first label's picture, away from a placeholder's cross; the label must
// have been drawn.
QPointF pointInFirstPicture(CAPrintViewController &sheet)
{
    const auto *view = dynamic_cast<const CALabelPrintingView *>(sheet.printView());
    const auto record = view ? view->hitRecord(0) : std::nullopt;
    if (!record)
        return QPointF(-1.0, -1.0);
    const CFTADocument *kernel = sheet.document().ftDocument();
    const QSizeF label(kernel->getLayoutSizeX(), kernel->getLayoutSizeY());
    const double side = std::min(label.width(), label.height());
    return record->rect.topLeft() + QPointF(label.width() / 2.0, label.height() / 2.0 - side / 4.0);
}

struct Sheet
{
    explicit Sheet(const std::shared_ptr<CADocument> &document)
        : controller(document, CAPrintSheetKind::LabelSheet, printsheettest::personChoice(0, false, false),
                     {u"Office"_s})
    {
    }
    CAPrintPreview *preview() { return controller.findChild<CAPrintPreview *>(u"_imageView"_s); }
    // Shows the sheet: what its preview shows first, and where the first label's picture is in it.
    std::pair<FirstPaint, QPoint> open()
    {
        const FirstPaint first = firstPaint(preview(), [this] { controller.show(); });
        return {first, preview()->widgetPoint(pointInFirstPicture(controller)).toPoint()};
    }
    CAPrintViewController controller;
};

class PreviewPicturesTest : public ::testing::TestWithParam<Picture>
{
};

TEST_P(PreviewPicturesTest, FirstPaintWaitsForNothingAndThePictureShowsLater)
{
    const ShortDeadline deadline;
    Sheet sheet(labelWithPicture(GetParam().make()));
    const auto [first, at] = sheet.open();
    ASSERT_TRUE(first.shown.valid(at));
    EXPECT_TRUE(pictest::near(first.shown.pixelColor(at), Qt::white, 8)) << qPrintable(first.shown.pixelColor(at).name());
    EXPECT_TRUE(showsLater(sheet.preview(), at, GetParam().rendered));
}

INSTANTIATE_TEST_SUITE_P(Pictures, PreviewPicturesTest, ::testing::ValuesIn(kPictures),
                         [](const auto &info) { return std::string(info.param.name); });

// A job of the sheet that writes a PDF file.
struct Job
{
    const char *name;
    void (*run)(CAPrintViewController &sheet, const QString &path);
};

void PrintTo(const Job &job, std::ostream *out)
{
    *out << job.name;
}

const Job kJobs[] = {
    {"Export",
     [](CAPrintViewController &sheet, const QString &path) {
         CAPrintViewController::setPdfPathChooser([path](QWidget *, const QString &) { return path; });
         QTest::mouseClick(sheet.findChild<QPushButton *>(u"_exportButton"_s), Qt::LeftButton);
     }},
    {"Print",
     [](CAPrintViewController &sheet, const QString &path) {
         CAPrintViewController::setPrinterDestination([path](QPrinter &printer) {
             printer.setOutputFormat(QPrinter::PdfFormat);
             printer.setOutputFileName(path);
         });
         QString error;
         EXPECT_TRUE(CAPrintViewController::printWithPrinter(&sheet, *sheet.printView(), &error, false))
             << qPrintable(error);
         CAPrintViewController::setPrinterDestination({});
     }},
};

class PreviewThenJobTest : public ::testing::TestWithParam<Job>
{
};

TEST_P(PreviewThenJobTest, AJobAfterAPreviewWithoutThePictureHoldsThePicture)
{
    const ShortDeadline deadline;
    Sheet sheet(labelWithPicture(blackPdf()));
    const auto [first, at] = sheet.open();
    ASSERT_TRUE(first.shown.valid(at));
    ASSERT_TRUE(pictest::near(first.shown.pixelColor(at), Qt::white, 8)) << "the preview showed the picture at once";
    const QPointF onPage = pointInFirstPicture(sheet.controller);

    QTemporaryDir folder;
    const QString path = folder.filePath(u"job.pdf"_s);
    GetParam().run(sheet.controller, path);
    const std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(path);
    ASSERT_TRUE(pdf && pdf->numPages() == 1);
    pdf->setPaperColor(Qt::white);
    const QImage page = pdf->page(0)->renderToImage(72.0, 72.0);
    EXPECT_TRUE(pictest::near(page.pixelColor(onPage.toPoint()), Qt::black, 8))
        << qPrintable(page.pixelColor(onPage.toPoint()).name());
    PWPictureRenderer::waitForBackground();
}

INSTANTIATE_TEST_SUITE_P(Jobs, PreviewThenJobTest, ::testing::ValuesIn(kJobs),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
