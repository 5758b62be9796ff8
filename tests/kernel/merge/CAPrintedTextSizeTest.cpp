// A text prints at the size its design gives it: 12 points are 12 points on paper, in a PDF (the
// font size its pages show text at) and in a bitmap of 600 dots per inch (the height of the
// capitals), for a free text on a label, an address panel on an envelope and an address panel
// filled by a merge and fitted to its label.
#include "PrintingTestSupport.h"
#include "PrintedTextSupport.h"

#include "kernel/merge/CALabelPrintingView.h"
#include "kernel/text/CFTAText.h"

namespace {

using printedtext::capitalHeight;
using printedtext::firstLineInkHeight;
using printedtext::shownTextSizes;

constexpr double kPrintResolution = 600.0;
// Only capitals that stand on the baseline and end flat at their top: their ink is as tall as the
// font's capitals, without the overshoot of round letters.
constexpr const char *kName = "HH HHH";

struct Printed
{
    QByteArray pdf;
    QImage bitmap;
};

enum class Holder { LabelText, EnvelopePanel, MergedPanel };

struct SizeCase
{
    const char *name;
    Holder holder;
    double size;
};

class CAPrintedTextSizeTest : public printtest::Test
{
protected:
    static PWFont font(double size) { return PWFont(u"Helvetica"_s, size); }
    static std::shared_ptr<PWPerson> addressee()
    {
        return PWVCardReader::personFromData("BEGIN:VCARD\r\nVERSION:3.0\r\nN:HHH;HH;;;\r\n"
                                             "ADR;TYPE=WORK:;;1 Main St;Springfield;IL;62701;USA\r\nEND:VCARD\r\n");
    }
    static std::unique_ptr<CFTAAddressPanel> panel(double size)
    {
        const std::unique_ptr<CAddressFormat> format = CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
            u"Name+Company"_s, u"us"_s, false, CAddressFormatController::kBarcodeBelow);
        auto made = std::make_unique<CFTAAddressPanel>(true, format.get(), nullptr, false);
        made->SetOrigin(10.0, 10.0);
        made->SetFont(font(size));
        return made;
    }
    // What File > Export writes: a PDF and a TIFF of the whole design at 600 dots per inch.
    static Printed exported(const CADocument &document)
    {
        const QByteArray tiff = document.TIFFDataForComponents(nullptr, 0.0, false, true, kPrintResolution);
        return {document.PDFDataForComponents(nullptr, 0.0, false, false, false, true, kPrintResolution),
                QImage::fromData(tiff, "TIFF")};
    }
    static Printed labelText(double size)
    {
        auto kernel = std::make_unique<CFTADocument>(dtLabel, CDDString(u"us"_s), CDDString(u"us"_s));
        kernel->setDocumentSizeX(252.0);
        kernel->setDocumentSizeY(79.0);
        auto *text = new CFTAText(10.0, 10.0, nullptr);
        text->GetText()->setString(QString::fromLatin1(kName), nullptr);
        text->SetFont(font(size));
        text->ExpandByText();
        kernel->AddObject(text, 0, false);
        return exported(CADocument(std::move(kernel)));
    }
    static Printed envelopePanel(double size)
    {
        auto kernel = std::make_unique<CFTADocument>(dtEnvelope, CDDString(u"us"_s), CDDString(u"us"_s));
        kernel->setDocumentSizeX(684.0);
        kernel->setDocumentSizeY(297.0);
        kernel->AddObject(panel(size).release(), 0, false);
        CADocument document(std::move(kernel));
        document.setCurrentPerson(addressee().get(), true, true, true);
        return exported(document);
    }
    // A label one address wide and high, with room to spare at the panel's own size: printed as a
    // merge with fitting on, nothing needs shrinking.
    static Printed mergedPanel(double size)
    {
        // Measured at 100 pixels for 100 points: the font's own proportions, whatever the screen.
        QFont hundred = font(100.0).toQFont();
        hundred.setPixelSize(100);
        const QFontMetricsF metrics(hundred);
        const double widest = metrics.horizontalAdvance(u"Springfield, IL 62701"_s) * size / 100.0;
        const double lines = metrics.lineSpacing() * size / 100.0 * 3.0;
        auto kernel = std::make_unique<CFTADocument>(dtLabel, CDDString(u"us"_s), CDDString(u"us"_s));
        kernel->SetPredefinedLayout(false);
        kernel->setDocumentSizeX(std::ceil(40.0 + widest * 1.2));
        kernel->setDocumentSizeY(std::ceil(40.0 + lines * 1.2));
        kernel->AddObject(panel(size).release(), 0, false);
        auto design = std::make_shared<CADocument>(std::move(kernel));
        CATemplateFormat sheet;
        sheet.setColumns(1);
        sheet.setRows(1);
        sheet.setItemWidth(float(design->ftDocument()->getDocumentSizeX(0)));
        sheet.setItemHeight(float(design->ftDocument()->getDocumentSizeY(0)));
        CALabelPrintingView view({design}, CAPrintingView::PersonList {addressee()}, CAPrintSettings(), sheet, true);
        view.setFitAddressPanel(true);
        view.setCopies(1);
        QTemporaryDir folder;
        QString error;
        EXPECT_TRUE(printPdf(view, folder.filePath(u"merge.pdf"_s), &error, int(kPrintResolution)))
            << error.toStdString();
        QFile file(folder.filePath(u"merge.pdf"_s));
        Printed printed;
        if (file.open(QIODevice::ReadOnly))
            printed.pdf = file.readAll();
        // The merge's filled and fitted copy of the label, exported as a TIFF of the same resolution.
        if (CADocument *filled = view.documentToDrawForMapIndex(0))
            printed.bitmap =
                QImage::fromData(filled->TIFFDataForComponents(nullptr, 0.0, true, true, kPrintResolution), "TIFF");
        return printed;
    }
};

TEST_F(CAPrintedTextSizeTest, TextPrintsAtItsDesignedSize)
{
    const SizeCase cases[] = {
        {"LabelText6", Holder::LabelText, 6.0},         {"LabelText8", Holder::LabelText, 8.0},
        {"LabelText12", Holder::LabelText, 12.0},       {"LabelText24", Holder::LabelText, 24.0},
        {"EnvelopePanel6", Holder::EnvelopePanel, 6.0}, {"EnvelopePanel8", Holder::EnvelopePanel, 8.0},
        {"EnvelopePanel12", Holder::EnvelopePanel, 12.0}, {"EnvelopePanel24", Holder::EnvelopePanel, 24.0},
        {"MergedPanel6", Holder::MergedPanel, 6.0},     {"MergedPanel8", Holder::MergedPanel, 8.0},
        {"MergedPanel12", Holder::MergedPanel, 12.0},   {"MergedPanel24", Holder::MergedPanel, 24.0},
    };
    const double capital = capitalHeight(font(100.0).toQFont());
    ASSERT_GT(capital, 0.5);
    for (const SizeCase &row : cases) {
        SCOPED_TRACE(row.name);
        const Printed printed = row.holder == Holder::LabelText       ? labelText(row.size)
                                : row.holder == Holder::EnvelopePanel ? envelopePanel(row.size)
                                                                      : mergedPanel(row.size);
        const std::vector<double> sizes = shownTextSizes(printed.pdf);
        ASSERT_FALSE(sizes.empty());
        for (const double shown : sizes)
            EXPECT_NEAR(shown, row.size, row.size * 0.01);
        ASSERT_FALSE(printed.bitmap.isNull());
        const double expectedCap = capital * row.size * kPrintResolution / 72.0;
        EXPECT_NEAR(firstLineInkHeight(printed.bitmap), expectedCap, expectedCap * 0.01);
    }
}

} // namespace
