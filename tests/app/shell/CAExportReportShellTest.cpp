// File > Export… of a card says what the export cannot show as designed: an address cut at the
// card's edge is named after the export, a card too large for a bitmap is refused with its size
// in pixels; and the message after a job names each thing once, the missing fonts and the items
// off the paper among them.
#include "ShellTestSupport.h"

#include "app/printsheet/CAJobReportMessages.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/base/CDDString.h"
#include "kernel/printing/CATemplateFormat.h"
#include "platform/PWJobReport.h"

#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>

namespace {

struct ExportCase
{
    const char *name;
    double side;        // the card's width and height in points; 0 for the 4 x 6 in card
    const char *street;
    const char *type;   // "pdf" or "tiff"
    bool written;
    const char *told;   // the message's details after the export; empty for no message
    const char *refusal; // the window's report when nothing is written
};

class ExportReportShellTest : public shelltest::Test, public ::testing::WithParamInterface<ExportCase>
{
public:
    void SetUp() override
    {
        shelltest::Test::SetUp();
        launch(1);
    }

    CAMainWindowController *openCard(double side, const QString &street)
    {
        const std::shared_ptr<CATemplateFormat> found =
            CATemplateFormat::findPredefLayoutManufacturerID(dtPostcard, QString(), u"4 x 6"_s);
        if (!found)
            return nullptr;
        CATemplateFormat layout = *found;
        if (side > 0.0) {
            layout.setItemWidth(float(side));
            layout.setItemHeight(float(side));
        }
        CADocument document(std::make_unique<CFTADocument>(dtPostcard, CDDString(u"us"_s), CDDString(u"us"_s)));
        document.setLayoutArangeComponents(layout, false);
        const std::unique_ptr<CAddressFormat> format =
            CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
                u"Name+Company"_s, u"us"_s, true, CAddressFormatController::kBarcodeBelow);
        auto panel = std::make_unique<CFTAAddressPanel>(true, format.get(), nullptr, false);
        panel->SetOrigin(200.0, 150.0);
        const auto fill = [&panel](textCategory category, const QString &text) {
            panel->SetString(true, category, panel->GetAddressType(), CDDString(text), tcNone, false);
        };
        fill(tcFirstName, u"Ann"_s);
        fill(tcLastName, u"Abbott"_s);
        fill(tcStreet, street);
        document.ftDocument()->AddObject(panel.release(), 0, false);
        const QString file = path(u"card.pwdc"_s);
        if (!document.writeToFile(file))
            return nullptr;
        const std::shared_ptr<CAOpenDocument> record = manager().openDocument(file);
        return record ? qobject_cast<CAMainWindowController *>(record->window.data()) : nullptr;
    }
};

TEST_P(ExportReportShellTest, TheExportSaysWhatItCannotShow)
{
    const ExportCase &c = GetParam();
    CAMainWindowController *window = openCard(c.side, QString::fromUtf8(c.street));
    ASSERT_NE(window, nullptr);
    const bool pdf = QByteArray(c.type) == "pdf";
    savePath = path(pdf ? u"card.pdf"_s : u"card.tiff"_s);
    exportType = pdf ? CADocument::kPDFType : CADocument::kTIFFType;
    window->performAction(u"saveDocumentTo"_s, nullptr);
    EXPECT_EQ(QFileInfo::exists(savePath), c.written);
    auto *box = window->findChild<QMessageBox *>(u"_jobReport"_s);
    if (*c.told) {
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->informativeText(), QString::fromUtf8(c.told));
        QTest::keyClick(box, Qt::Key_Return);
    } else {
        EXPECT_EQ(box, nullptr) << qPrintable(box ? box->informativeText() : QString());
    }
    if (*c.refusal) {
        ASSERT_EQ(reports.size(), 1);
        EXPECT_EQ(reports.front(), QString::fromUtf8(c.refusal));
    } else {
        EXPECT_TRUE(reports.isEmpty()) << qPrintable(reports.join(u'\n'));
    }
}

INSTANTIATE_TEST_SUITE_P(
    CAExportReportShellTest, ExportReportShellTest,
    ::testing::Values(ExportCase {"ShortStreetPdf", 0, "1 Elm St", "pdf", true, "", ""},
                      ExportCase {"LongStreetPdf", 0, "1234 Extraordinarily Long Street Name Boulevard", "pdf", true,
                                  "The address of Ann Abbott runs past the edge of its card.", ""},
                      ExportCase {"LongStreetTiff", 0, "1234 Extraordinarily Long Street Name Boulevard", "tiff", true,
                                  "The address of Ann Abbott runs past the edge of its card.", ""},
                      ExportCase {"HugeCardTiff", 40000, "1 Elm St", "tiff", false, "",
                                  "The design could not be exported. The design is 40,000 x 40,000 pt, which at 600 "
                                  "dpi is a picture of 333,334 x 333,334 pixels; a picture may have at most 32,000 "
                                  "pixels a side and 400 million pixels in all."}),
    [](const auto &info) { return std::string(info.param.name); });

// However often a job's drawings note the missing fonts or the items off the paper, the message
// after it names each once, first, in its own sentence.
TEST(JobReportMessagesTest, NamesEachThingOnceAfterTheJob)
{
    QWidget window;
    {
        const PWJobReport job;
        for (int text = 0; text < 3; ++text) {
            PWJobReport::note(PWJobReport::Kind::NoFonts, u"fonts"_s, u"no fonts are installed"_s);
            PWJobReport::note(PWJobReport::Kind::AddressPastEdge, u"Ann"_s, u"the address of Ann runs past"_s);
            PWJobReport::note(PWJobReport::Kind::OffPaper, u"layout"_s, u"the layout's grid runs off"_s);
        }
        CAJobReportMessages::tellAfterJob(&window, job);
    }
    auto *box = window.findChild<QMessageBox *>(u"_jobReport"_s);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), u"The job was done, but not everything came out as designed."_s);
    EXPECT_EQ(box->informativeText(),
              u"No fonts are installed.\nThe layout's grid runs off.\nThe address of Ann runs past."_s);
    box->close();
}

} // namespace
