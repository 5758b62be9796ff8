#include "app/printing/CAPrinterPrintTarget.h"

#include "kernel/merge/CALabelPrintingView.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/document/CFTADocument.h"
#include "platform/PWVCardReader.h"
#include "kernel/merge/CADocument.h"
#include "kernel/printing/CAEnvironmentLayout.h"
#include "kernel/printing/CATemplateFormat.h"
#include "kernel/base/CAEnvironment.h"

#include <QPrinter>
#include <QTemporaryDir>

#include "../../kernel/merge/PrintingTestSupport.h"

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

// A merge of list persons prints through a printer too, its labels prepared on worker threads:
// every person once, in order, their fonts embedded when the printer ends the job.
TEST(CAPrinterPrintTargetTest, PrintsAMergeOfListPersonsIntoAPrinter)
{
    CAEnvironment::setDefaultCountry(u"us"_s);
    const std::shared_ptr<CATemplateFormat> layout = defaultLayout(0);
    ASSERT_TRUE(layout);
    const std::shared_ptr<CADocument> design = printtest::newLabelDesign(*layout);
    QByteArray cards;
    for (int i = 0; i < 75; ++i)
        cards += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Person" + QByteArray::number(i) + ";Alex;;;\r\nADR;TYPE=WORK:;;" +
                 QByteArray::number(100 + i) + " Main St;Madison;WI;53703;USA\r\nEND:VCARD\r\n";
    QString error;
    const auto read = PWVCardReader::personsFromData(cards, &error);
    ASSERT_TRUE(read) << error.toStdString();
    CAPrintSettings settings;
    settings.paperSize = QSizeF(612.0, 792.0);
    CALabelPrintingView view({design}, CAPrintingView::PersonList(read->begin(), read->end()), settings, *layout, true);
    view.setPreparationThreads(2);
    ASSERT_TRUE(view.preparesItemsOnWorkers());

    QTemporaryDir folder;
    const QString path = folder.filePath(u"merge.pdf"_s);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    CAPrinterPrintTarget target(printer);
    ASSERT_TRUE(view.printPages(target, &error)) << error.toStdString();
    const std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(path);
    ASSERT_TRUE(pdf);
    ASSERT_EQ(pdf->numPages(), 3);
    QStringList names;
    for (int page = 0; page < pdf->numPages(); ++page)
        for (const std::unique_ptr<Poppler::TextBox> &box : pdf->page(page)->textList())
            if (box->text().startsWith(u"Person"_s))
                names << box->text();
    ASSERT_EQ(names.size(), 75);
    for (int i = 0; i < 75; ++i)
        EXPECT_EQ(names[i], u"Person%1"_s.arg(i));
}

} // namespace
