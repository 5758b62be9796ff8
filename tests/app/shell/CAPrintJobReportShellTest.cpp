// What a print or export from a window could not make as designed, told to the user: the print
// sheet notes the addresses of its preview that do not fit their labels, a print names the
// pictures it printed as placeholders and those addresses after the job, and an export that waits
// for a picture shows its progress and stops at Cancel.
#include "ShellTestSupport.h"
#include "../../kernel/merge/PrintingTestSupport.h"

#include "app/printsheet/CAPrintViewController.h"
#include "app/shell/CAPrintCommands.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/CFTFileField.h"
#include "kernel/address/CFTCounterField.h"
#include "platform/PWVCardReader.h"
#include "kernel/base/CDDString.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTPicture.h"
#include "kernel/printing/CAEnvironmentLayout.h"
#include "kernel/printing/CATemplateFormat.h"
#include "platform/PWImage.h"
#include "platform/PWPictureRenderer.h"

#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace {

const QByteArray kEndlessEps = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 40 40\n{ } loop\nshowpage\n";

// What a label of the default layout holds besides its frame.
enum class Content { EndlessPicture, LongAddress, Both };

class PrintJobReportTest : public shelltest::Test
{
public:
    void SetUp() override
    {
        shelltest::Test::SetUp();
        PWPictureRenderer::forget();
        PWPictureRenderer::setDeadlineMs(1500);
        launch(1);
        installPrintCommands();
        setPrinterNamesSource([] { return QStringList{u"Office"_s}; });
        CAPrintViewController::setPdfPathChooser([this](QWidget *, const QString &) { return path(u"saved.pdf"_s); });
        CAPrintViewController::setPrinterSetup([this](QPrinter &printer, QWidget *) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path(u"printed.pdf"_s));
            return true;
        });
    }
    void TearDown() override
    {
        CAPrintViewController::setPrinterSetup([](QPrinter &, QWidget *) { return false; });
        shelltest::Test::TearDown();
        PWPictureRenderer::forget();
        PWPictureRenderer::setDeadlineMs(0);
        QCoreApplication::sendPostedEvents();
    }

    CAMainWindowController *openDesign(Content content)
    {
        const std::shared_ptr<CATemplateFormat> layout = defaultLayout(0);
        if (!layout)
            return nullptr;
        CADocument document;
        document.setLayoutArangeComponents(*layout, false);
        CFTADocument *kernel = document.ftDocument();
        if (content != Content::LongAddress) {
            auto *picture = new CFTPicture(CDDPicture(PWImage::fromData(kEndlessEps)));
            picture->SetOrigin(120.0, 10.0);
            picture->SetSize(40.0, 40.0);
            kernel->AddObject(picture, 0, false);
        }
        if (content != Content::EndlessPicture) {
            const std::unique_ptr<CAddressFormat> format =
                CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
                    u"Name+Company"_s, u"us"_s, true, CAddressFormatController::kBarcodeBelow);
            auto panel = std::make_unique<CFTAAddressPanel>(true, format.get(), nullptr, false);
            panel->SetOrigin(8.0, 6.0);
            const auto fill = [&panel](textCategory category, const QString &text) {
                panel->SetString(true, category, panel->GetAddressType(), CDDString(text), tcNone, false);
            };
            fill(tcFirstName, u"Bob"_s);
            fill(tcLastName, u"Long"_s);
            fill(tcStreet, u"1 "_s + QString(u"Extraordinarily Long Avenue of the Many Gardens "_s).repeated(4));
            kernel->AddObject(panel.release(), 0, false);
        }
        const QString file = path(u"design.pwdc"_s);
        if (!document.writeToFile(file))
            return nullptr;
        const std::shared_ptr<CAOpenDocument> record = manager().openDocument(file);
        return record ? qobject_cast<CAMainWindowController *>(record->window.data()) : nullptr;
    }

    CAPrintViewController *openSheet(CAMainWindowController *window)
    {
        if (!window)
            return nullptr;
        window->performAction(u"printDocument"_s, nullptr);
        auto *sheet = window->findChild<CAPrintViewController *>();
        if (sheet && !QTest::qWaitForWindowExposed(sheet))
            return nullptr;
        QCoreApplication::processEvents();
        return sheet;
    }

    static QMessageBox *jobReport(QWidget *window) { return window->findChild<QMessageBox *>(u"_jobReport"_s); }
};

struct ReportCase
{
    const char *name;
    Content content;
    const char *note;        // on the sheet; empty for none
    QStringList told;        // in the box after the job
};

class PrintJobReportCaseTest : public PrintJobReportTest, public ::testing::WithParamInterface<ReportCase>
{
};

TEST_P(PrintJobReportCaseTest, TheSheetAndTheMessageAfterThePrintSayWhatIsNotAsDesigned)
{
    const ReportCase &c = GetParam();
    CAMainWindowController *window = openDesign(c.content);
    ASSERT_NE(window, nullptr);
    CAPrintViewController *sheet = openSheet(window);
    ASSERT_NE(sheet, nullptr);
    auto *note = sheet->findChild<QLabel *>(u"_fitNote"_s);
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->isVisible(), *c.note != 0);
    EXPECT_EQ(note->text().contains(QLatin1String(c.note)), true) << qPrintable(note->text());
    EXPECT_EQ(note->textFormat(), Qt::PlainText);
    EXPECT_EQ(jobReport(window), nullptr);

    QTest::mouseClick(sheet->findChild<QPushButton *>(u"_printButton"_s), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(QFileInfo(path(u"printed.pdf"_s)).size() > 0);
    QMessageBox *box = jobReport(window);
    ASSERT_NE(box, nullptr);
    // Names and reasons from contacts files and pictures are never taken for markup.
    const auto *informative = box->findChild<QLabel *>(u"qt_msgbox_informativelabel"_s);
    ASSERT_NE(informative, nullptr);
    EXPECT_EQ(informative->textFormat(), Qt::PlainText);
    const QStringList lines = box->informativeText().split(u'\n');
    ASSERT_EQ(lines.size(), c.told.size()) << qPrintable(box->informativeText());
    for (int i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(lines[i].startsWith(c.told[i])) << qPrintable(lines[i]);
    QTest::keyClick(box, Qt::Key_Return);
}

INSTANTIATE_TEST_SUITE_P(
    PrintJobReportShellTest, PrintJobReportCaseTest,
    ::testing::Values(ReportCase {"Placeholder", Content::EndlessPicture, "", {u"EPS picture of 67 bytes is drawn as a placeholder"_s}},
                      ReportCase {"AddressTooLong", Content::LongAddress, "The address of Bob Long does not fit its label",
                                  {u"The address of Bob Long does not fit its label, even in the smallest type."_s}},
                      ReportCase {"Both", Content::Both, "The address of Bob Long",
                                  {u"EPS picture of 67 bytes is drawn as a placeholder"_s,
                                   u"The address of Bob Long does not fit its label"_s}}),
    [](const auto &info) { return std::string(info.param.name); });

// A window's print whose output lacks what was designed says so as a warning: an envelope's
// window over its address, a file field's text file missing, persons printed on a design with no
// recipient's address. Each as the batch's failures, from File > Print.
struct FailedJobRow
{
    const char *name;
    // Writes and opens the design, and opens its print sheet; the window.
    std::function<CAMainWindowController *(PrintJobReportTest &)> open;
    QString told; // the start of the box's line
};

void PrintTo(const FailedJobRow &row, std::ostream *out)
{
    *out << row.name;
}

class PrintJobFailedTest : public PrintJobReportTest, public ::testing::WithParamInterface<FailedJobRow>
{
public:
    // The design written to design.pwdc and opened, its sheet open with its persons when given.
    CAMainWindowController *openWith(CADocument &document, const std::vector<std::shared_ptr<PWPerson>> &persons = {})
    {
        if (!document.writeToFile(path(u"design.pwdc"_s)))
            return nullptr;
        const std::shared_ptr<CAOpenDocument> record = manager().openDocument(path(u"design.pwdc"_s));
        auto *window = record ? qobject_cast<CAMainWindowController *>(record->window.data()) : nullptr;
        if (!window)
            return nullptr;
        if (persons.empty())
            return openSheet(window) ? window : nullptr;
        window->document()->setPersonList(persons);
        return openPrintSheet(*window, true) ? window : nullptr;
    }
};

TEST_P(PrintJobFailedTest, TheWindowsPrintWarnsThatTheJobFailed)
{
    const FailedJobRow &row = GetParam();
    CAMainWindowController *window = row.open(*this);
    ASSERT_NE(window, nullptr);
    auto *sheet = window->findChild<CAPrintViewController *>();
    ASSERT_NE(sheet, nullptr);
    QCoreApplication::processEvents();
    QTest::mouseClick(sheet->findChild<QPushButton *>(u"_printButton"_s), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QMessageBox *box = jobReport(window);
    ASSERT_NE(box, nullptr) << "the job said nothing";
    EXPECT_EQ(box->icon(), QMessageBox::Warning) << "the job failed";
    EXPECT_TRUE(box->informativeText().startsWith(row.told)) << qPrintable(box->informativeText());
    QTest::keyClick(box, Qt::Key_Return);
}

INSTANTIATE_TEST_SUITE_P(
    PrintJobReportShellTest, PrintJobFailedTest,
    ::testing::Values(
        FailedJobRow {"CutByWindow",
                      [](PrintJobReportTest &t) {
                          const std::shared_ptr<CATemplateFormat> layout =
                              CATemplateFormat::findPredefLayoutManufacturerID(dtEnvelope, QString(), u"10 Window"_s);
                          if (!layout)
                              return static_cast<CAMainWindowController *>(nullptr);
                          CADocument document(std::make_unique<CFTADocument>(dtEnvelope, CDDString(u"us"_s), CDDString(u"us"_s)));
                          document.setLayoutArangeComponents(*layout, false);
                          const std::unique_ptr<CAddressFormat> format =
                              CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
                                  u"Name+Company"_s, u"us"_s, true, CAddressFormatController::kBarcodeBelow);
                          auto panel = std::make_unique<CFTAAddressPanel>(true, format.get(), nullptr, false);
                          panel->SetOrigin(70.0, 150.0);
                          const std::pair<textCategory, QString> fields[] = {
                              {tcFirstName, u"Ann"_s}, {tcLastName, u"Abbott"_s}, {tcStreet, u"1 Elm St"_s}, {tcCity, u"Springfield"_s}};
                          for (const auto &[category, text] : fields)
                              panel->SetString(true, category, panel->GetAddressType(), CDDString(text), tcNone, false);
                          document.ftDocument()->AddObject(panel.release(), 0, false);
                          return static_cast<PrintJobFailedTest &>(t).openWith(document);
                      },
                      u"The window of the envelope cuts away part of the address"_s},
        FailedJobRow {"FileFieldNotRead",
                      [](PrintJobReportTest &t) {
                          CADocument document;
                          document.setLayoutArangeComponents(*defaultLayout(0), false);
                          auto *field = new CFTFileField(8.0, 8.0, nullptr);
                          field->SetFile(CDDString(u"missing.txt"_s));
                          document.ftDocument()->AddObject(field, 0, false);
                          return static_cast<PrintJobFailedTest &>(t).openWith(document);
                      },
                      u"The text file \""_s},
        FailedJobRow {"NoRecipient",
                      [](PrintJobReportTest &t) {
                          CADocument document;
                          document.setLayoutArangeComponents(*defaultLayout(0), false);
                          const std::vector<std::shared_ptr<PWPerson>> persons = {
                              PWVCardReader::personFromData("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Abbott;Ann;;;\r\nEND:VCARD\r\n"),
                              PWVCardReader::personFromData("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Baker;Bob;;;\r\nEND:VCARD\r\n")};
                          return static_cast<PrintJobFailedTest &>(t).openWith(document, persons);
                      },
                      u"The design has no recipient's address"_s}),
    [](const auto &info) { return std::string(info.param.name); });

// File > Export… writes the design with its picture as a placeholder and says so afterwards.
TEST_F(PrintJobReportTest, TheWindowsExportTellsItsPlaceholders)
{
    CAMainWindowController *window = openDesign(Content::EndlessPicture);
    ASSERT_NE(window, nullptr);
    savePath = path(u"exported.pdf"_s);
    exportType = CADocument::kPDFType;
    window->performAction(u"saveDocumentTo"_s, nullptr);
    EXPECT_GT(QFileInfo(path(u"exported.pdf"_s)).size(), 0);
    QMessageBox *box = jobReport(window);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->informativeText(), u"EPS picture of 67 bytes is drawn as a placeholder: reading it took more than 2 seconds of processor time and was stopped."_s);
    EXPECT_TRUE(reports.isEmpty()) << qPrintable(reports.join(u'\n'));
}

// With the fit turned off on the sheet the address prints as designed: it does not fit, but it is
// not shrunk; what runs past the label's edge is told after the job, as an export tells it.
TEST_F(PrintJobReportTest, AnAddressNotFittedIsNamedOnlyWherePastItsLabel)
{
    CAMainWindowController *window = openDesign(Content::LongAddress);
    CAPrintViewController *sheet = openSheet(window);
    ASSERT_NE(sheet, nullptr);
    auto *note = sheet->findChild<QLabel *>(u"_fitNote"_s);
    auto *fit = sheet->findChild<QCheckBox *>(u"_fitAddressPanelCheck"_s);
    ASSERT_TRUE(note && fit && fit->isChecked());
    ASSERT_TRUE(note->isVisible());
    QTest::mouseClick(fit, Qt::LeftButton, {}, QPoint(6, fit->height() / 2));
    ASSERT_FALSE(fit->isChecked());
    QCoreApplication::processEvents();
    EXPECT_FALSE(note->isVisible());
    QTest::mouseClick(sheet->findChild<QPushButton *>(u"_printButton"_s), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(QFileInfo(path(u"printed.pdf"_s)).size() > 0);
    QMessageBox *box = jobReport(window);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), u"Some addresses run past the edge of the design."_s);
    EXPECT_EQ(box->informativeText(), u"The address of Bob Long runs past the edge of its label."_s);
    QTest::keyClick(box, Qt::Key_Return);
}

// An envelope's address past its edge is shrunk to fit when printed from the sheet, and the
// message after the job names it, as the export does; one across the envelope's window prints
// with the holes the window cuts, and the message names that.
TEST_F(PrintJobReportTest, AnEnvelopesAddressPastItsEdgeIsNamedWhenPrinted)
{
    const struct
    {
        const char *name;
        const char *layout; // empty for the first envelope
        QPointF at;
        QString told;
    } cases[] = {
        {"past its edge", "", QPointF(500.0, 150.0), u"The address of Ann Abbott runs past the edge of its envelope."_s},
        {"across its window", "10 Window", QPointF(70.0, 165.0),
         u"The window of the envelope cuts away part of the address of Ann Abbott: nothing prints over the window."_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::shared_ptr<CATemplateFormat> layout =
            *c.layout ? CATemplateFormat::findPredefLayoutManufacturerID(dtEnvelope, QString(), QLatin1String(c.layout))
                      : CATemplateFormat::predefLayouts(dtEnvelope)->front();
        ASSERT_TRUE(layout);
        CADocument document(std::make_unique<CFTADocument>(dtEnvelope, CDDString(u"us"_s), CDDString(u"us"_s)));
        document.setLayoutArangeComponents(*layout, false);
        const std::unique_ptr<CAddressFormat> format = CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
            u"Name+Company"_s, u"us"_s, true, CAddressFormatController::kBarcodeBelow);
        auto panel = std::make_unique<CFTAAddressPanel>(true, format.get(), nullptr, false);
        panel->SetOrigin(c.at.x(), c.at.y());
        panel->SetString(true, tcFirstName, panel->GetAddressType(), CDDString(u"Ann"_s), tcNone, false);
        panel->SetString(true, tcLastName, panel->GetAddressType(), CDDString(u"Abbott"_s), tcNone, false);
        panel->SetString(true, tcStreet, panel->GetAddressType(),
                         CDDString(u"1234 Extraordinarily Long Street Name Boulevard"_s), tcNone, false);
        document.ftDocument()->AddObject(panel.release(), 0, false);
        const QString file = path(QLatin1String(c.name) + u".pwdc"_s);
        ASSERT_TRUE(document.writeToFile(file));
        const std::shared_ptr<CAOpenDocument> record = manager().openDocument(file);
        auto *window = record ? qobject_cast<CAMainWindowController *>(record->window.data()) : nullptr;
        CAPrintViewController *sheet = openSheet(window);
        ASSERT_NE(sheet, nullptr);
        // The preview shows the holes the window cuts, and the sheet says so before the print.
        if (*c.layout) {
            auto *note = sheet->findChild<QLabel *>(u"_fitNote"_s);
            ASSERT_NE(note, nullptr);
            EXPECT_TRUE(note->isVisible());
            EXPECT_EQ(note->text(), c.told);
        }
        QFile::remove(path(u"printed.pdf"_s));
        QTest::mouseClick(sheet->findChild<QPushButton *>(u"_printButton"_s), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(QFileInfo(path(u"printed.pdf"_s)).size() > 0);
        QMessageBox *box = jobReport(window);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->informativeText(), c.told);
        QTest::keyClick(box, Qt::Key_Return);
    }
}

// A file field's relative file name is read beside the design, whichever folder the program was
// started from; a file that is not there prints the field empty, and the message after the job
// names it.
TEST_F(PrintJobReportTest, AFileFieldReadsItsFileBesideTheDesignOrNamesIt)
{
    ASSERT_TRUE(pwtest::writeFile(path(u"lines.txt"_s), "Alpha\n"));
    ASSERT_NE(QDir::currentPath(), QFileInfo(path(u"lines.txt"_s)).absolutePath());
    for (const QString &name : {u"lines.txt"_s, u"missing.txt"_s}) {
        SCOPED_TRACE(qPrintable(name));
        CADocument document;
        document.setLayoutArangeComponents(*defaultLayout(0), false);
        auto *field = new CFTFileField(8.0, 8.0, nullptr);
        field->SetFile(CDDString(name));
        document.ftDocument()->AddObject(field, 0, false);
        const QString file = path(name + u".pwdc"_s);
        ASSERT_TRUE(document.writeToFile(file));
        const std::shared_ptr<CAOpenDocument> record = manager().openDocument(file);
        auto *window = record ? qobject_cast<CAMainWindowController *>(record->window.data()) : nullptr;
        CAPrintViewController *sheet = openSheet(window);
        ASSERT_NE(sheet, nullptr);
        QFile::remove(path(u"printed.pdf"_s));
        QTest::mouseClick(sheet->findChild<QPushButton *>(u"_printButton"_s), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const printtest::PrintedPdf printed(path(u"printed.pdf"_s));
        ASSERT_GT(printed.pageCount(), 0);
        QStringList words;
        for (const auto &[word, box] : printed.words(0))
            words.append(word);
        QMessageBox *box = jobReport(window);
        if (name == u"lines.txt"_s) {
            EXPECT_TRUE(words.contains(u"Alpha"_s)) << qPrintable(words.join(u' '));
            EXPECT_EQ(box, nullptr);
            continue;
        }
        EXPECT_TRUE(words.isEmpty()) << qPrintable(words.join(u' '));
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->informativeText(), u"The text file \""_s + path(name)
                                              + u"\" of a file field could not be read (No such file or directory): "
                                                "the field prints nothing on any item."_s);
        QTest::keyClick(box, Qt::Key_Return);
    }
}

// The sheet's own print list: persons with and without an address each get the label's counter
// and file field where the design has them, as the batch print gives them.
TEST_F(PrintJobReportTest, SeriesFieldsStandInPlaceForEveryPersonOfThePrintList)
{
    ASSERT_TRUE(pwtest::writeFile(path(u"lines.txt"_s), "Alpha\nBravo\nCharlie\n"));
    CADocument document;
    document.setLayoutArangeComponents(*defaultLayout(0), false);
    const std::unique_ptr<CAddressFormat> format = CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
        u"Name+Company"_s, u"us"_s, false, CAddressFormatController::kBarcodeBelow);
    auto panel = std::make_unique<CFTAAddressPanel>(true, format.get(), nullptr, false);
    panel->SetOrigin(8.0, 6.0);
    document.ftDocument()->AddObject(panel.release(), 0, false);
    document.ftDocument()->AddObject(new CFTCounterField(150.0, 8.0, nullptr), 0, false);
    auto *field = new CFTFileField(150.0, 40.0, nullptr);
    field->SetFile(CDDString(u"lines.txt"_s));
    document.ftDocument()->AddObject(field, 0, false);
    std::vector<std::shared_ptr<PWPerson>> persons = {
        PWVCardReader::personFromData("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Abbott;Ann;;;\r\nADR;TYPE=WORK:;;1 Elm St;Springfield;IL;62701;USA\r\nEND:VCARD\r\n"),
        PWVCardReader::personFromData("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Nowhere;Nell;;;\r\nEND:VCARD\r\n"),
        PWVCardReader::personFromData("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Baker;Bob;;;\r\nADR;TYPE=WORK:;;2 Oak St;Madison;WI;53703;USA\r\nEND:VCARD\r\n")};
    document.setPersonList(persons);
    ASSERT_TRUE(document.writeToFile(path(u"list.pwdc"_s)));
    const std::shared_ptr<CAOpenDocument> record = manager().openDocument(path(u"list.pwdc"_s));
    auto *window = record ? qobject_cast<CAMainWindowController *>(record->window.data()) : nullptr;
    ASSERT_NE(window, nullptr);
    window->document()->setPersonList(persons);
    ASSERT_TRUE(openPrintSheet(*window, true));
    auto *sheet = window->findChild<CAPrintViewController *>();
    ASSERT_NE(sheet, nullptr);
    QCoreApplication::processEvents();
    QTest::mouseClick(sheet->findChild<QPushButton *>(u"_printButton"_s), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const printtest::PrintedPdf printed(path(u"printed.pdf"_s));
    ASSERT_GT(printed.pageCount(), 0);
    // Each label's counter and line, by where they stand in it (labels 189 + 9 points apart from 13.5).
    QStringList placed;
    for (const auto &[word, box] : printed.words(0)) {
        const int label = int((box.x() - 13.5) / 198.0);
        const double x = box.x() - 13.5 - 198.0 * label;
        if (x > 140.0)
            placed << u"%1:%2@%3,%4"_s.arg(label).arg(word).arg(std::lround(x) / 10 * 10).arg(std::lround(box.y()) / 10 * 10);
    }
    placed.sort();
    EXPECT_EQ(placed.join(u' '), u"0:1@150,40 0:Alpha@150,70 1:2@150,40 1:Bravo@150,70 2:3@150,40 2:Charlie@150,70"_s);
}

// The export waits for a picture that never renders: its progress window shows meanwhile, and its
// Cancel ends the export at once, leaving no file and no message.
TEST_F(PrintJobReportTest, AnExportWaitingForAPictureShowsProgressAndCancels)
{
    PWPictureRenderer::setDeadlineMs(4000);
    CAMainWindowController *window = openDesign(Content::EndlessPicture);
    CAPrintViewController *sheet = openSheet(window);
    ASSERT_NE(sheet, nullptr);
    bool cancelled = false;
    QTimer watcher;
    watcher.setInterval(20);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        for (QProgressDialog *progress : sheet->findChildren<QProgressDialog *>())
            if (progress->isVisible() && !cancelled) {
                cancelled = true;
                QTest::mouseClick(progress->findChild<QPushButton *>(), Qt::LeftButton);
            }
    });
    watcher.start();
    QTest::mouseClick(sheet->findChild<QPushButton *>(u"_exportButton"_s), Qt::LeftButton);
    watcher.stop();
    EXPECT_TRUE(cancelled);
    EXPECT_FALSE(QFileInfo::exists(path(u"saved.pdf"_s)));
    EXPECT_EQ(jobReport(sheet), nullptr);
    sheet->reject();
}

} // namespace
