// Items printed through the whole road -- a design filled with a person, its item image made by the
// document's own renderer, the page played into a PDF of the usual printer resolution -- keep their
// text at the size it was designed at.
#include "CADYMOPrintingViewTestSupport.h"
#include "CAPrintingViewTestSupport.h"

#include "app/printing/CADYMOPrintingView.h"
#include "app/printing/CAEnvelopePrintingView.h"
#include "app/printing/CALabelPrintingView.h"

#include <QPdfWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class CAPrintedItemTextTest : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        basetest::prepareProcess();
        ASSERT_TRUE(m_folder.isValid());
    }

    rolltest::PrintedPdf print(bool vector, int resolution)
    {
        const CATemplateFormat format = basetest::grid(2, 2);
        CAPrintSettings settings;
        CALabelPrintingView view({basetest::labelDesign()}, std::nullopt, settings, format, vector);
        view.setCopies(1);
        const QString path = m_folder.filePath(QStringLiteral("item-%1.pdf").arg(resolution));
        {
            QPdfWriter writer(path);
            writer.setResolution(resolution);
            QString error;
            EXPECT_TRUE(view.printPages(writer, &error)) << error.toStdString();
        }
        return rolltest::PrintedPdf(path);
    }

    QTemporaryDir m_folder;
};

TEST_P(CAPrintedItemTextTest, TextKeepsItsSizeAtEveryPrinterResolution)
{
    const bool vector = GetParam();
    for (const int resolution : {72, 300, 1200}) {
        SCOPED_TRACE(resolution);
        const rolltest::PrintedPdf job = print(vector, resolution);
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
            bool found = false;
            for (const rolltest::PrintedPdf::Word &word : job.words(0)) {
                if (word.text != QLatin1String("Own"))
                    continue;
                found = true;
                EXPECT_LT(word.box.height(), 30.0);
                EXPECT_LT(word.box.right(), 180.0);
            }
            EXPECT_TRUE(found);
        }
    }
}

// Rolls and envelopes play their item pictures through the same page loop.
TEST(CAPrintedItemTextOneItemTest, RollsAndEnvelopesKeepTheirTextSize)
{
    basetest::prepareProcess();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const auto filled = [](std::shared_ptr<CADocument> design, double x, double y) {
        design->ftDocument()->AddObject(basetest::panel(true, x, y).release(), 0, false);
        const std::shared_ptr<PWPerson> recipient = basetest::person(QStringLiteral("Own"), QStringLiteral("USA"));
        design->setCurrentPerson(recipient.get(), true, true, true);
        return design;
    };
    const auto nameHeight = [&folder](CAPrintingView &view, const QString &name) {
        const QString path = folder.filePath(name);
        {
            QPdfWriter writer(path);
            writer.setResolution(1200);
            QString error;
            EXPECT_TRUE(view.printPages(writer, &error)) << error.toStdString();
        }
        const rolltest::PrintedPdf job(path);
        for (const rolltest::PrintedPdf::Word &word : job.words(0)) {
            if (word.text == QLatin1String("Own"))
                return std::min(word.box.width(), word.box.height());
        }
        return -1.0;
    };

    rolltest::DesignGeometry roll;
    roll.height = 100.0;
    CAPrintSettings rollPaper;
    rollPaper.paperSize = QSizeF(252.0, 100.0);
    CADYMOPrintingView rollView({filled(rolltest::makeDesign(roll), 10.0, 10.0)}, std::nullopt, rollPaper, true);
    const double rollName = nameHeight(rollView, QStringLiteral("roll.pdf"));
    EXPECT_GT(rollName, 3.0);
    EXPECT_LT(rollName, 30.0);

    // A #10 envelope, turned a quarter on letter paper: the name's smaller side is its height.
    rolltest::DesignGeometry envelope;
    envelope.type = dtEnvelope;
    envelope.width = 684.0;
    envelope.height = 297.0;
    envelope.labelRoll = false;
    CAEnvelopePrintingView envelopeView({filled(rolltest::makeDesign(envelope), 250.0, 120.0)}, std::nullopt,
                                        CAPrintSettings(), true);
    const double envelopeName = nameHeight(envelopeView, QStringLiteral("envelope.pdf"));
    EXPECT_GT(envelopeName, 3.0);
    EXPECT_LT(envelopeName, 30.0);
}

INSTANTIATE_TEST_SUITE_P(VectorAndBitmap, CAPrintedItemTextTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return info.param ? std::string("Vector") : std::string("Bitmap");
                         });

} // namespace
