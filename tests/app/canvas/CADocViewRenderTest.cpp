// The canvas of a sample label photographed at fit zoom and at 200 % and compared with reference
// pictures: the desk, the page with its outline, a filled shape, the selection handles,
// the veil over an object hanging off the page. The texts are painted over in the photograph and in
// the reference alike, so that a font's rasterization on another machine does not count; what
// remains must match but for antialiasing.
//
// To write the references again after a deliberate change of the drawing:
//   cd build && PW_REGENERATE_REFERENCES=1 QT_QPA_PLATFORM=offscreen ctest -R CADocViewRenderTest
#include "ReferenceImage.h"

#include "app/canvas/CADocView.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/base/CDDColor.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/merge/CADocument.h"
#include "kernel/printing/CATemplateFormat.h"
#include "platform/PWPerson.h"
#include "platform/PWVCardReader.h"

#include <QApplication>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kRenderedCard = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jane;;;\r\nFN:Jane Doe\r\nORG:Acme Widgets;\r\n"
                                 "ADR;TYPE=WORK:;;1 Main St;Springfield;IL;62701-1234;USA\r\nEND:VCARD\r\n";

// A shipping label with the recipient's address, a filled shape selected, and a shape
// hanging over the right edge of the page.
struct SampleLabel
{
    SampleLabel()
    {
        CATemplateFormat::predefLayouts(dtLabel);
        if (const auto shipping = CATemplateFormat::findPredefLayoutManufacturerID(dtLabel, u"Avery"_s, u"05163"_s))
            document.setLayoutArangeComponents(*shipping, false);
        CFTADocument *design = document.ftDocument();
        const std::unique_ptr<CAddressFormat> format =
            CAddressFormatController::sharedAddressFormatController().formatWithTemplate(u"Name+Company"_s, u"us"_s,
                                                                                         true, 1);
        CFTAView maker(document.ftDocumentController());
        std::unique_ptr<CFTComponent> made = maker.CreateAddressPanel(true, format.get());
        panel = made.get();
        made->SetOrigin(12.0, 10.0);
        maker.InsertComponent(made.release(), false);
        if (const std::shared_ptr<PWPerson> person = PWVCardReader::personFromData(kRenderedCard))
            document.setCurrentPerson(person.get(), true, true, true);
        design->arrangeAddressPanel();

        const double width = design->getDocumentSizeX(0);
        const double height = design->getDocumentSizeY(0);
        box = new CFTBoxField(width - 90.0, height - 60.0, 60.0, 40.0, nullptr);
        const CDDColor teal(0.1f, 0.55f, 0.6f, 1.0f);
        box->SetFillColor(&teal);
        box->SetFilled(true);
        design->AddObject(box, 0, false);
        auto *overhang = new CFTBoxField(width - 20.0, 20.0, 50.0, 30.0, nullptr);
        const CDDColor orange(0.95f, 0.55f, 0.1f, 1.0f);
        overhang->SetFillColor(&orange);
        overhang->SetFilled(true);
        design->AddObject(overhang, 0, false);

        view.setScreenResolution(72.0);
        EXPECT_TRUE(view.setDocument(&document));
        view.ftView()->select(box);
    }

    // The canvas as the screen shows it, with every text's area painted over.
    QImage photograph(double zoom)
    {
        view.setZoom(zoom);
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
        QApplication::processEvents();
        QImage image = view.viewport()->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        QPainter painter(&image);
        for (const CFTComponent *component : view.ftView()->GetCurrentComponents()) {
            if (component != panel)
                continue;
            const QRectF area = view.geometry().widgetRect(component->GetNSDrawRect(false, 0.0));
            painter.fillRect(area.adjusted(-2, -2, 2, 2), Qt::magenta);
        }
        return image;
    }

    CADocument document;
    CFTComponent *panel = nullptr;
    CFTBoxField *box = nullptr;
    CADocView view;
};

TEST(CADocViewRenderTest, SampleLabelAtFitZoomMatchesItsReference)
{
    SampleLabel label;
    const double zoom = label.view.fitZoom(QSizeF(500, 300));
    // The shipping label is wider than the room's proportions: the width decides, with 40 points
    // of room beside the page.
    EXPECT_NEAR(zoom, 500.0 / (label.document.ftDocument()->getDocumentSizeX(0) + 40.0), 1e-9);
    EXPECT_TRUE(drawtest::matchesReference(label.photograph(zoom), u"canvas/sample-label-fit"_s));
}

TEST(CADocViewRenderTest, SampleLabelAt200PercentMatchesItsReference)
{
    SampleLabel label;
    const QImage image = label.photograph(2.0);
    // The frame holds the page and the shape hanging over its edge, at two pixels a point.
    const CFTADocument *design = label.document.ftDocument();
    EXPECT_GE(image.width(), int(design->getDocumentSizeX(0) * 2.0));
    EXPECT_GE(image.height(), int(design->getDocumentSizeY(0) * 2.0));
    EXPECT_TRUE(drawtest::matchesReference(image, u"canvas/sample-label-200"_s));
}

} // namespace
