// Items printed through the whole road -- a design filled with a person, its item image made by the
// document's own renderer, the page played into a PDF of the usual printer resolution -- keep their
// text at the size it was designed at.
#include "PrintingTestSupport.h"

#include "app/printing/CADYMOPrintingView.h"
#include "app/printing/CAEnvelopePrintingView.h"
#include "app/printing/CALabelPrintingView.h"

#include <QTemporaryDir>

#include <algorithm>

using namespace printtest;

namespace {

class CAPrintedItemTextTest : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        prepareProcess();
        ASSERT_TRUE(m_folder.isValid());
    }

    QTemporaryDir m_folder;
};

TEST_P(CAPrintedItemTextTest, TextKeepsItsSizeAtEveryPrinterResolution)
{
    const bool vector = GetParam();
    for (const int resolution : {72, 300, 1200}) {
        SCOPED_TRACE(resolution);
        CALabelPrintingView view({labelDesign()}, std::nullopt, CAPrintSettings(), grid(2, 2), vector);
        view.setCopies(1);
        const PrintedPdf job = printed(view, m_folder.filePath(u"item-%1.pdf"_s.arg(resolution)), resolution);
        ASSERT_TRUE(job.isValid());
        ASSERT_EQ(job.pageCount(), 1);

        // The item's first slot holds ink: the address is drawn, not clipped away.
        const QImage page = job.render(0, 1.0);
        int ink = 0;
        for (int y = 0; y < 100; ++y) {
            for (int x = 0; x < 180; ++x)
                ink += qGray(page.pixel(x, y)) < 128 ? 1 : 0;
        }
        EXPECT_GT(ink, 100);

        if (vector) {
            // The recipient's name, a line of an address panel, is a few points tall.
            const QRectF name = job.wordBox(0, u"Own"_s);
            ASSERT_FALSE(name.isNull());
            EXPECT_LT(name.height(), 30.0);
            EXPECT_LT(name.right(), 180.0);
        }
    }
}

// Rolls and envelopes play their item pictures through the same page loop.
TEST(CAPrintedItemTextOneItemTest, RollsAndEnvelopesKeepTheirTextSize)
{
    prepareProcess();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const auto filled = [](const DesignGeometry &geometry, double x, double y) {
        const std::shared_ptr<CADocument> design = makeDesign(geometry);
        design->ftDocument()->AddObject(panel(true, x, y).release(), 0, false);
        design->setCurrentPerson(person(u"Own"_s).get(), true, true, true);
        return design;
    };
    const auto expectNameSize = [&folder](CAPrintingView &view, const QString &name) {
        const QRectF box = printed(view, folder.filePath(name)).wordBox(0, u"Own"_s);
        ASSERT_FALSE(box.isNull()) << name.toStdString();
        EXPECT_GT(std::min(box.width(), box.height()), 3.0) << name.toStdString();
        EXPECT_LT(std::min(box.width(), box.height()), 30.0) << name.toStdString();
    };

    CAPrintSettings rollPaper;
    rollPaper.paperSize = QSizeF(252.0, 100.0);
    CADYMOPrintingView rollView({filled({.height = 100.0}, 10.0, 10.0)}, std::nullopt, rollPaper, true);
    expectNameSize(rollView, u"roll.pdf"_s);

    // A #10 envelope, turned a quarter on letter paper: the name's smaller side is its height.
    CAEnvelopePrintingView envelopeView(
        {filled({.type = dtEnvelope, .width = 684.0, .height = 297.0, .labelRoll = false}, 250.0, 120.0)}, std::nullopt,
        CAPrintSettings(), true);
    expectNameSize(envelopeView, u"envelope.pdf"_s);
}

INSTANTIATE_TEST_SUITE_P(VectorAndBitmap, CAPrintedItemTextTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return info.param ? std::string("Vector") : std::string("Bitmap");
                         });

} // namespace
