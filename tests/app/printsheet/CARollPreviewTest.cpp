// The print sheet of a roll label, seen as a user sees it: the preview shows the whole label on
// its roll paper, and the job printed from it holds the label whole on the page.
#include "app/printsheet/CAPrintJob.h"
#include "app/printsheet/CAPrintPreview.h"
#include "app/printsheet/CAPrintViewController.h"

#include "kernel/base/CAEnvironment.h"
#include "kernel/base/CDDColor.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/merge/CADYMOPrintingView.h"
#include "kernel/merge/CADocument.h"
#include "kernel/printing/CACalibrationSettings.h"
#include "kernel/printing/CATemplateFormat.h"
#include "platform/PWUserDefaults.h"

#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A roll label of the catalogue, lying or standing, with a red square in its top-left corner and a
// blue one in its bottom-right corner.
std::shared_ptr<CADocument> rollDesign(bool horizontal)
{
    CAEnvironment::setDefaultCountry(u"us"_s);
    auto document = std::make_shared<CADocument>(
        std::make_unique<CFTADocument>(dtLabel, CDDString(u"us"_s), CDDString(u"us"_s)));
    const CATemplateFormat::TemplateList *labels = CATemplateFormat::predefLayouts(dtLabel);
    if (!labels)
        return nullptr;
    for (const std::shared_ptr<CATemplateFormat> &candidate : *labels) {
        if (candidate && candidate->isLabelRoll()) {
            CATemplateFormat turned = *candidate;
            turned.setHorizontal(horizontal);
            document->setLayoutArangeComponents(turned, false);
            break;
        }
    }
    document->setupPrintInfo(false);
    CFTADocument *kernel = document->ftDocument();
    const QSizeF size(kernel->getDocumentSizeX(0), kernel->getDocumentSizeY(0));
    for (const auto &[corner, colour] : {std::pair{QPointF(4.0, 4.0), CDDColor(1.0f, 0.0f, 0.0f, 1.0f)},
                                         std::pair{QPointF(size.width() - 16.0, size.height() - 16.0),
                                                   CDDColor(0.0f, 0.0f, 1.0f, 1.0f)}}) {
        auto *box = new CFTBoxField(corner.x(), corner.y(), 12.0, 12.0, nullptr);
        box->SetFilled(true);
        box->SetFillColor(&colour);
        kernel->AddObject(box, 0, false);
    }
    return document;
}

// Where a colour shows in an image, in the image's pixels.
QRect boxOf(const QImage &image, QRgb colour)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel(image.pixel(x, y));
            const QColor wanted(colour);
            if (std::abs(pixel.red() - wanted.red()) < 60 && std::abs(pixel.green() - wanted.green()) < 60
                && std::abs(pixel.blue() - wanted.blue()) < 60)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}

class RollPreviewTest : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        PWUserDefaults::standardUserDefaults().removeObject(CACalibrationSettings::kDefaultsKey);
        PWUserDefaults::standardUserDefaults().setBool(u"FTVectorPrinting"_s, true);
    }
};

// Both corner squares show in the preview, inside the drawn paper, the red one above and left of
// the blue one as on the canvas.
TEST_P(RollPreviewTest, PreviewShowsTheWholeLabel)
{
    const std::shared_ptr<CADocument> document = rollDesign(GetParam());
    ASSERT_TRUE(document && document->ftDocument()->isLabelRoll());
    const auto kind = CAPrintJob::sheetKindForDocument(*document);
    ASSERT_TRUE(kind);
    CAPrintViewController sheet(document, *kind, CAPrintJob::PersonChoice(), QStringList{u"Office"_s});
    sheet.resize(900, 640);
    sheet.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&sheet));
    ASSERT_TRUE(dynamic_cast<CADYMOPrintingView *>(sheet.printView()));
    auto *preview = sheet.findChild<CAPrintPreview *>(u"_imageView"_s);
    ASSERT_TRUE(preview);
    const QImage shown = preview->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QSizeF paper = sheet.printView()->paperSize();
    const QRectF page(preview->widgetPoint(QPointF()), preview->widgetPoint(QPointF(paper.width(), paper.height())));
    const QRect red = boxOf(shown, qRgb(255, 0, 0));
    const QRect blue = boxOf(shown, qRgb(0, 0, 255));
    ASSERT_FALSE(red.isEmpty());
    ASSERT_FALSE(blue.isEmpty());
    EXPECT_TRUE(page.contains(QRectF(red)) && page.contains(QRectF(blue))) << page.width() << " x " << page.height();
    // Squares stay squares: the label is neither squeezed nor turned in the preview.
    EXPECT_NEAR(double(red.width()) / red.height(), 1.0, 0.2);
    EXPECT_NEAR(double(blue.width()) / blue.height(), 1.0, 0.2);
}

INSTANTIATE_TEST_SUITE_P(Orientations, RollPreviewTest, ::testing::Bool(),
                         [](const auto &info) { return info.param ? std::string("Lying") : std::string("Standing"); });

} // namespace
