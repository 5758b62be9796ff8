// The print sheet's two ways into a PDF file, Save as PDF and a print to a file chosen in the print
// dialog, when the file runs out of room in the middle of its stream: the job fails with the
// reason and the file the user had stays as it was, byte for byte.
#include "app/printsheet/CAPrintJob.h"
#include "app/printsheet/CAPrintViewController.h"

#include "FileSizeLimit.h"
#include "PrintSheetTestSupport.h"
#include "TestSupport.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

constexpr rlim_t kRoom = 1500;

struct CutCase
{
    const char *name;
    // Runs the job into path; answers the reason the user is told.
    std::function<QString(CAPrintViewController &sheet, const QString &path)> run;
};

// The warning the sheet shows over itself: its informative text.
QString shownWarning(CAPrintViewController &sheet)
{
    QMessageBox *box = nullptr;
    const bool shown = QTest::qWaitFor([&] { return (box = sheet.findChild<QMessageBox *>()) && box->isVisible(); }, 60000);
    if (!shown)
        return QString();
    const QString told = box->text() + u' ' + box->informativeText();
    box->close();
    return told;
}

class PrintSheetCutOutputTest : public ::testing::TestWithParam<CutCase>
{
protected:
    void TearDown() override
    {
        CAPrintViewController::setPdfPathChooser([](QWidget *, const QString &) { return QString(); });
        CAPrintViewController::setPrinterSetup([](QPrinter &, QWidget *) { return false; });
    }
};

TEST_P(PrintSheetCutOutputTest, ACutStreamIsAFailureAndTheOldFileStays)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(u"labels.pdf"_s);
    QByteArray old = "%PDF-1.4\n% the labels printed last week\n";
    old += QByteArray(1000, 'w') + "\n%%EOF\n";
    ASSERT_TRUE(pwtest::writeFile(path, old));
    const std::shared_ptr<CADocument> document = printsheettest::design(dtLabel);
    const std::unique_ptr<CAPrintViewController> sheet =
        printsheettest::shownSheet(document, printsheettest::personChoice(40, true, true));
    ASSERT_TRUE(sheet && sheet->printView());

    QString told;
    {
        const pwtest::FileSizeLimit limit(kRoom);
        ASSERT_TRUE(limit.isActive());
        told = GetParam().run(*sheet, path);
    }
    EXPECT_TRUE(told.contains(u"the file is larger than this system allows"_s)) << qPrintable(told);
    EXPECT_EQ(pwtest::readFile(path), old);
    // Written whole, the job is larger than the room: the cut fell in its stream.
    const QString whole = folder.filePath(u"whole.pdf"_s);
    EXPECT_TRUE(GetParam().run(*sheet, whole).isEmpty());
    EXPECT_GT(QFileInfo(whole).size(), qint64(kRoom));
}

INSTANTIATE_TEST_SUITE_P(
    Jobs, PrintSheetCutOutputTest,
    ::testing::Values(CutCase {"SaveAsPdf",
                               [](CAPrintViewController &sheet, const QString &path) {
                                   CAPrintViewController::setPdfPathChooser(
                                       [path](QWidget *, const QString &) { return path; });
                                   QTest::mouseClick(sheet.findChild<QPushButton *>(u"_exportButton"_s), Qt::LeftButton);
                                   return QFileInfo(path).fileName() == u"whole.pdf"_s ? QString() : shownWarning(sheet);
                               }},
                      CutCase {"PrintToFile",
                               [](CAPrintViewController &sheet, const QString &path) {
                                   CAPrintViewController::setPrinterSetup([path](QPrinter &printer, QWidget *) {
                                       printer.setOutputFormat(QPrinter::PdfFormat);
                                       printer.setOutputFileName(path);
                                       return true;
                                   });
                                   QString error;
                                   const bool printed =
                                       CAPrintViewController::printWithPrinter(&sheet, *sheet.printView(), &error);
                                   return printed ? QString() : (error.isEmpty() ? u"failed"_s : error);
                               }}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
