// Items printed through the whole road -- a design filled with a person, its item image made by the
// document's own renderer, the page played into a PDF of the usual printer resolution -- keep their
// text at the size it was designed at.
#include "PrintingTestSupport.h"

#include "kernel/merge/CALabelPrintingView.h"

using printtest::PrintedPdf;

namespace {

class CAPrintedItemTextTest : public printtest::Test, public ::testing::WithParamInterface<bool>
{
};

TEST_P(CAPrintedItemTextTest, TextKeepsItsSizeAtEveryPrinterResolution)
{
    const bool vector = GetParam();
    for (const int resolution : {72, 300, 1200}) {
        SCOPED_TRACE(resolution);
        CALabelPrintingView view({labelDesign()}, std::nullopt, CAPrintSettings(), grid(2, 2), vector);
        view.setCopies(1);
        const PrintedPdf job = printed(view, resolution);
        ASSERT_EQ(job.pageCount(), 1);
        // The item's first slot holds ink: the address is drawn, not clipped away.
        const QImage page = job.render(0, 1.0);
        int ink = 0;
        for (int i = 0; i < 180 * 100; ++i)
            ink += qGray(page.pixel(i % 180, i / 180)) < 128 ? 1 : 0;
        EXPECT_GT(ink, 100);
        // The recipient's name, a line of an address panel, is a few points tall.
        const QRectF name = job.wordBox(0, u"Own"_s);
        EXPECT_TRUE(!vector || (!name.isNull() && name.height() < 30.0 && name.right() < 180.0)) << name.height() << " " << name.right();
    }
}

INSTANTIATE_TEST_SUITE_P(VectorAndBitmap, CAPrintedItemTextTest, ::testing::Bool(),
                         [](const auto &info) { return info.param ? std::string("Vector") : std::string("Bitmap"); });

} // namespace
