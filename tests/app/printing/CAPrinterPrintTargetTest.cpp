#include "app/printing/CAPrinterPrintTarget.h"

#include "kernel/merge/CALabelPrintingView.h"
#include "kernel/merge/CADocument.h"
#include "kernel/printing/CAEnvironmentLayout.h"
#include "kernel/printing/CATemplateFormat.h"
#include "kernel/base/CAEnvironment.h"

#include <QPrinter>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <poppler-qt6.h>

using namespace Qt::StringLiterals;

namespace {

// A printer handed to the merge prints the job's pages at the resolution the merge asks for.
TEST(CAPrinterPrintTargetTest, PrintsTheMergeIntoAPrinter)
{
    CAEnvironment::setDefaultCountry(u"us"_s);
    const std::shared_ptr<CATemplateFormat> layout = defaultLayout(0);
    ASSERT_TRUE(layout);
    auto design = std::make_shared<CADocument>();
    design->setLayoutArangeComponents(*layout, false);
    CAPrintSettings settings;
    settings.paperSize = QSizeF(612.0, 792.0);
    CALabelPrintingView view({design}, std::nullopt, settings, *layout, true);
    view.setCopies(layout->Columns() * layout->Rows() + 1);

    QTemporaryDir folder;
    const QString path = folder.filePath(u"job.pdf"_s);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    CAPrinterPrintTarget target(printer);
    EXPECT_EQ(&target.device(), &printer);
    EXPECT_TRUE(target.printerName().isEmpty());
    QString error;
    ASSERT_TRUE(view.printPages(target, &error)) << error.toStdString();
    EXPECT_NE(printer.resolution(), QPrinter(QPrinter::HighResolution).resolution());
    // Two sheets: one copy more than a full sheet.
    const std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(path);
    ASSERT_TRUE(pdf);
    EXPECT_EQ(pdf->numPages(), 2);
}

} // namespace
