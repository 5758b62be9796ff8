#include "app/printsheet/CACalibrationController.h"
#include "app/printsheet/CAPrintJob.h"
#include "app/printsheet/CAPrintViewController.h"

#include "PrintSheetTestSupport.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/CFTFileField.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"
#include "kernel/printing/CACalibrationSettings.h"
#include "kernel/printing/CAEnvironmentLayout.h"
#include "kernel/printing/CATemplateFormat.h"
#include "platform/PWPerson.h"
#include "platform/PWUserDefaults.h"
#include "platform/PWVCardReader.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPageRanges>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>
#include <poppler-qt6.h>

using namespace Qt::StringLiterals;

namespace {

using printsheettest::design;

// A click on the box's own mark: its middle may lie beyond a short caption.
void toggle(QCheckBox *box)
{
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

int pdfPages(const QString &path)
{
    const std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(path);
    return pdf ? pdf->numPages() : -1;
}

class PrintSheetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PWUserDefaults::standardUserDefaults().removeObject(CACalibrationSettings::kDefaultsKey);
        CAPrintViewController::setPdfPathChooser([this](QWidget *, const QString &) { return m_pdfPath; });
    }
    CAPrintViewController *openSheet(const std::shared_ptr<CADocument> &document, int persons)
    {
        m_sheet = printsheettest::shownSheet(document, printsheettest::personChoice(persons, true, false));
        return m_sheet.get();
    }
    template <typename T> T *child(const char *name) { return m_sheet->findChild<T *>(QLatin1String(name)); }

    QTemporaryDir m_folder;
    QString m_pdfPath = m_folder.filePath(u"labels.pdf"_s);
    std::unique_ptr<CAPrintViewController> m_sheet;
};

// A label sheet for three persons previews one page and exports a one-page PDF; copies and the
// start position move the page count as they do the printed job.
TEST_F(PrintSheetTest, LabelSheetPreviewsAndExportsThePagesTheCopiesFill)
{
    const std::shared_ptr<CADocument> document = design(dtLabel);
    CAPrintViewController *sheet = openSheet(document, 3);
    EXPECT_EQ(sheet->objectName(), u"PrintViewLabel"_s);
    ASSERT_TRUE(sheet->printView());
    EXPECT_EQ(child<QSpinBox>("_copiesEdit")->value(), 3);
    EXPECT_EQ(child<QLabel>("_pageCount")->text(), u"1"_s);
    EXPECT_TRUE(child<QTabWidget>("_viewTab")->isTabEnabled(1));

    // The file name offered is the design's, not the sheet's title with the layout and size.
    QString offered;
    CAPrintViewController::setPdfPathChooser([this, &offered](QWidget *, const QString &name) {
        offered = name;
        return m_pdfPath;
    });
    sheet->setWindowTitle(u"mailing[*] - Label 03112 - Size 1.500x1.500 in"_s);
    QTest::mouseClick(child<QPushButton>("_exportButton"), Qt::LeftButton);
    EXPECT_EQ(offered, u"Untitled.pdf"_s) << "a design nobody named";
    sheet->setDesignName(u"mailing"_s);
    sheet->setDesignFolder(QFileInfo(m_pdfPath).absolutePath());
    QTest::mouseClick(child<QPushButton>("_exportButton"), Qt::LeftButton);
    EXPECT_EQ(offered, QFileInfo(m_pdfPath).dir().filePath(u"mailing.pdf"_s));
    EXPECT_EQ(pdfPages(m_pdfPath), 1);

    // Ten labels from the fifth slot.
    const int perPage = sheet->printView()->itemsPerPage();
    QSpinBox *copies = child<QSpinBox>("_copiesEdit");
    copies->selectAll();
    QTest::keyClicks(copies, u"10"_s);
    QSpinBox *start = child<QSpinBox>("_startFromEdit");
    start->selectAll();
    QTest::keyClicks(start, u"5"_s);
    EXPECT_EQ(document->printSettings().copies, 10);
    EXPECT_EQ(document->printSettings().startFrom, 5);
    const int expected = (10 + 5 - 1 + perPage - 1) / perPage;
    EXPECT_EQ(sheet->pageCount(), expected);
    QTest::mouseClick(child<QPushButton>("_exportButton"), Qt::LeftButton);
    EXPECT_EQ(pdfPages(m_pdfPath), expected);
}

// Every box lands in the print settings; the vector box reaches the view inverted.
TEST_F(PrintSheetTest, BoxesLandInTheSettingsAndTheView)
{
    const std::shared_ptr<CADocument> document = design(dtLabel);
    CAPrintViewController *sheet = openSheet(document, 2);
    toggle(child<QCheckBox>("_cutLineCheck"));
    toggle(child<QCheckBox>("_dotMarkCheck"));
    EXPECT_TRUE(document->printSettings().cutLines);
    EXPECT_TRUE(document->printSettings().dottedMark);
    EXPECT_TRUE(sheet->printView()->drawCutMarkers());
    const bool vectorBox = child<QCheckBox>("_vectorCheck")->isChecked();
    toggle(child<QCheckBox>("_vectorCheck"));
    EXPECT_EQ(sheet->printView()->isVectorPrinting(), vectorBox);
    const bool commaBox = child<QCheckBox>("_commaDelimitedCheck")->isChecked();
    toggle(child<QCheckBox>("_commaDelimitedCheck"));
    EXPECT_EQ(sheet->printView()->commaDelimited(), !commaBox);
    toggle(child<QCheckBox>("_omitContactNameCheck"));
    EXPECT_TRUE(sheet->printView()->omitContactName());
    EXPECT_TRUE(sheet->printView()->currentDocumentFilter().value(u"OmitContactName"_s));
}

// The box that keeps commas starts as the preference says, and the sheet prints as it shows: the
// city has its comma before the state exactly while the box is ticked, as the canvas and the
// batch print show it with the preference on.
TEST_F(PrintSheetTest, TheCommaBoxStartsFromThePreferenceAndThePrintFollowsIt)
{
    const auto printedWords = [this] {
        QStringList words;
        const std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(m_pdfPath);
        for (int page = 0; pdf && page < pdf->numPages(); ++page)
            for (const std::unique_ptr<Poppler::TextBox> &box : pdf->page(page)->textList())
                words.append(box->text());
        return words;
    };
    PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    for (const bool keep : {true, false}) {
        SCOPED_TRACE(keep ? "commas kept" : "commas dropped");
        defaults.setBool(u"FTCommaDelimitedAddress"_s, keep);
        const std::shared_ptr<CADocument> document = design(dtLabel);
        const std::unique_ptr<CAddressFormat> format =
            CAddressFormatController::sharedAddressFormatController().formatWithTemplate(u"Name+Company"_s, u"us"_s, false, 0);
        ASSERT_TRUE(format);
        auto *panel = new CFTAAddressPanel(true, format.get(), nullptr, false);
        panel->SetOrigin(8.0, 6.0);
        document->ftDocument()->AddObject(panel, 0, false);
        openSheet(document, 2);
        QCheckBox *box = child<QCheckBox>("_commaDelimitedCheck");
        EXPECT_EQ(box->isChecked(), keep);
        for (const bool ticked : {keep, !keep}) {
            if (box->isChecked() != ticked)
                toggle(box);
            ASSERT_EQ(box->isChecked(), ticked);
            QFile::remove(m_pdfPath);
            QTest::mouseClick(child<QPushButton>("_exportButton"), Qt::LeftButton);
            const QStringList words = printedWords();
            EXPECT_EQ(words.count(u"Springfield,"_s), ticked ? 2 : 0) << qPrintable(words.join(u' '));
            EXPECT_EQ(words.count(u"Springfield"_s), ticked ? 0 : 2) << qPrintable(words.join(u' '));
        }
    }
    defaults.removeObject(u"FTCommaDelimitedAddress"_s);
}

// What a job would fail for that the design and its persons show before a page is printed, the
// sheet says under its preview, as it does for an address the window of an envelope cuts.
TEST_F(PrintSheetTest, TheSheetSaysBeforeThePrintWhatTheJobWouldFailFor)
{
    const struct
    {
        const char *name;
        int persons;
        bool fileField; // a file field naming a file that is not there
        QString note;   // the start of the note; empty for none
    } cases[] = {
        {"a design without a recipient's address given persons", 2, false,
         u"The design has no recipient's address: the job's 2 persons are printed nowhere"_s},
        {"a file field without its file", 0, true, u"The text file \""_s + m_folder.filePath(u"missing.txt"_s)},
        {"the design's own address", 0, false, QString()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::shared_ptr<CADocument> document = design(dtLabel);
        if (c.fileField) {
            auto *field = new CFTFileField(8.0, 8.0, nullptr);
            field->SetFile(CDDString(m_folder.filePath(u"missing.txt"_s)));
            document->ftDocument()->AddObject(field, 0, false);
        }
        openSheet(document, c.persons);
        auto *note = child<QLabel>("_fitNote");
        ASSERT_NE(note, nullptr);
        QCoreApplication::processEvents();
        EXPECT_EQ(note->isVisible(), !c.note.isEmpty()) << qPrintable(note->text());
        EXPECT_TRUE(note->text().startsWith(c.note)) << qPrintable(note->text());
    }
}

// Without persons the sheet prints the design's own address at least once.
TEST_F(PrintSheetTest, EnvelopeWithoutPersonsPrintsOneCopy)
{
    const std::shared_ptr<CADocument> document = design(dtEnvelope);
    CAPrintViewController *sheet = openSheet(document, 0);
    EXPECT_EQ(sheet->objectName(), u"PrintViewEnvelope"_s);
    EXPECT_EQ(document->printSettings().copies, 1);
    EXPECT_FALSE(document->printSettings().personList);
    QTest::mouseClick(child<QPushButton>("_exportButton"), Qt::LeftButton);
    EXPECT_EQ(pdfPages(m_pdfPath), 1);
}

// A cancelled export leaves the file that was there untouched.
TEST_F(PrintSheetTest, CancelledExportLosesNothing)
{
    const std::shared_ptr<CADocument> document = design(dtLabel);
    CAPrintViewController *sheet = openSheet(document, 3);
    sheet->printView()->setCopies(sheet->printView()->itemsPerPage() * 2);
    QFile old(m_pdfPath);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("earlier work");
    old.close();
    int pagesSeen = 0;
    const auto result = CAPrintJob::exportPdf(*sheet->printView(), m_pdfPath,
                                              [&](int page, int) { pagesSeen = page; return false; }, nullptr);
    EXPECT_EQ(result, CAPrintJob::ExportResult::Cancelled);
    EXPECT_EQ(pagesSeen, 1);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("earlier work"));
}

// The sheet's print holds no more copies of the design at once than its memory bound takes,
// however many persons it prints, as a print without the sheet does: weighed by a first job, a
// bound of a few copies holds as few for ninety persons as for ten.
TEST_F(PrintSheetTest, ThePrintHoldsNoMoreCopiesForManyPersonsThanItsBoundTakes)
{
    const std::shared_ptr<CADocument> document = printsheettest::withRecipient(design(dtLabel));
    qint64 bound = 0;
    for (const int persons : {10, 10, 90}) {
        SCOPED_TRACE(testing::Message() << persons << " persons, bound " << bound);
        CAPrintViewController *sheet = openSheet(document, persons);
        CAPrintingView *view = sheet->printView();
        ASSERT_TRUE(view);
        if (bound > 0)
            view->setPreparedMemoryBound(bound);
        const int before = CADocument::aliveCount();
        CADocument::resetMostAlive();
        QTest::mouseClick(child<QPushButton>("_exportButton"), Qt::LeftButton);
        EXPECT_EQ(pdfPages(m_pdfPath), (persons + view->itemsPerPage() - 1) / view->itemsPerPage());
        const int held = view->lastJobHeldCopies();
        ASSERT_GE(held, 1) << "the sheet's job prepared no copies";
        ASSERT_GT(view->lastJobCopyBytes(), 0) << "the job weighed nothing";
        if (bound == 0) {
            bound = view->lastJobCopyBytes() * 7 / 2;
            continue;
        }
        EXPECT_LE(qint64(held - 1) * view->lastJobCopyBytes(), bound) << "more copies than the bound takes";
        EXPECT_LE(CADocument::mostAlive() - before, held) << "more copies alive than the job held";
    }
}

struct PageCase
{
    CAPrintSheetKind kind;
    int copies, start, perPage, pages;
};
class PageCountTest : public ::testing::TestWithParam<PageCase>
{
};
TEST_P(PageCountTest, FollowsCopiesAndStart)
{
    const PageCase c = GetParam();
    EXPECT_EQ(CAPrintJob::pageCount(c.kind, c.copies, c.start, c.perPage), c.pages);
}
INSTANTIATE_TEST_SUITE_P(Sheets, PageCountTest,
                         ::testing::Values(PageCase{CAPrintSheetKind::LabelSheet, 25, 8, 30, 2},
                                           PageCase{CAPrintSheetKind::LabelSheet, 30, 1, 30, 1},
                                           PageCase{CAPrintSheetKind::LabelSheet, 1, 30, 30, 1},
                                           PageCase{CAPrintSheetKind::LabelSheet, 31, 1, 30, 2},
                                           PageCase{CAPrintSheetKind::Roll, 7, 1, 1, 7},
                                           PageCase{CAPrintSheetKind::Envelope, 3, 1, 1, 3}));

// The pages a file holds for what the print dialog asked of a job of three pages.
TEST(PrintJobRules, AFileHoldsThePagesAndCopiesTheDialogAsked)
{
    const auto ranges = [](std::initializer_list<std::pair<int, int>> spans) {
        QPageRanges made;
        for (const auto &[from, to] : spans)
            made.addRange(from, to);
        return made;
    };
    const struct
    {
        const char *name;
        int copies;
        bool collate;
        QPageRanges ranges;
        std::vector<int> pages;
        bool lastFirst = false;
    } cases[] = {
        {"every page once", 1, true, {}, {1, 2, 3}},
        {"two collated copies", 2, true, {}, {1, 2, 3, 1, 2, 3}},
        {"two copies one page after the other", 2, false, {}, {1, 1, 2, 2, 3, 3}},
        {"pages from 2 to 2", 1, true, ranges({{2, 2}}), {2}},
        {"pages 1 and 3, twice collated", 2, true, ranges({{3, 3}, {1, 1}}), {1, 3, 1, 3}},
        {"a range past the last page", 1, true, ranges({{2, 9}}), {2, 3}},
        {"a range wholly past the job", 1, true, ranges({{5, 9}}), {}},
        {"no copies at all asked is one", 0, true, {}, {1, 2, 3}},
        {"reversed", 1, true, {}, {3, 2, 1}, true},
        {"two collated copies reversed", 2, true, {}, {3, 2, 1, 3, 2, 1}, true},
        {"two copies one page after the other reversed", 2, false, {}, {3, 3, 2, 2, 1, 1}, true},
        {"pages 1 and 3 reversed", 1, true, ranges({{1, 1}, {3, 3}}), {3, 1}, true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CAPrintJob::pageOrder(3, c.copies, c.collate, c.ranges, c.lastFirst), c.pages) << c.name;
}

TEST(PrintJobRules, RotationAndStepper)
{
    int rotation = 0;
    for (int i = 0; i < 3; ++i)
        rotation = CAPrintJob::rotate(rotation, 2, false);
    EXPECT_EQ(rotation, 270);
    EXPECT_EQ(CAPrintJob::rotate(0, 1, false), 270);
    EXPECT_EQ(CAPrintJob::rotate(0, 1, true), 180);
    EXPECT_EQ(CAPrintJob::rotate(180, 2, true), 0);
    EXPECT_EQ(CAPrintJob::copiesFromStepper(9999, 9999, 30), 30);
    EXPECT_EQ(CAPrintJob::copiesFromStepper(12, 9999, 30), 12);
}

class CalibrationSheetTest : public ::testing::Test
{
protected:
    void SetUp() override { PWUserDefaults::standardUserDefaults().removeObject(CACalibrationSettings::kDefaultsKey); }
};

// An offset typed for one printer is stored for it alone on OK, with a point for the decimals.
TEST_F(CalibrationSheetTest, OffsetIsStoredPerPrinterOnOk)
{
    const std::shared_ptr<CADocument> document = design(dtLabel);
    CACalibrationController sheet(*document, {u"Office"_s, u"Labels"_s});
    sheet.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&sheet));
    auto *horizontal = sheet.findChild<QDoubleSpinBox *>(u"_horizontalEdit"_s);
    horizontal->selectAll();
    QTest::keyClicks(horizontal, u"1.5"_s);
    QTest::mouseClick(sheet.findChild<QPushButton *>(u"_okButton"_s), Qt::LeftButton);
    EXPECT_EQ(sheet.result(), CACalibrationController::OK);
    const auto office = CACalibrationSettings::storedForPrinter(PWUserDefaults::standardUserDefaults(), u"Office"_s);
    ASSERT_TRUE(office);
    EXPECT_EQ(office->horizontalText(), u"1.5"_s);
    EXPECT_FALSE(CACalibrationSettings::storedForPrinter(PWUserDefaults::standardUserDefaults(), u"Labels"_s));
}

TEST_F(CalibrationSheetTest, CancelStoresNothingAndEnvelopesCannotPrintAPage)
{
    const std::shared_ptr<CADocument> document = design(dtLabel);
    CACalibrationController sheet(*document, {u"Office"_s});
    sheet.show();
    auto *vertical = sheet.findChild<QDoubleSpinBox *>(u"_verticalEdit"_s);
    vertical->setValue(2.0);
    EXPECT_EQ(sheet.workingCopy().at(u"Office"_s).verticalText(), u"2.0"_s);
    QTest::mouseClick(sheet.findChild<QPushButton *>(u"_cancelButton"_s), Qt::LeftButton);
    EXPECT_EQ(sheet.result(), CACalibrationController::Cancel);
    EXPECT_TRUE(PWUserDefaults::standardUserDefaults().objectForKey(CACalibrationSettings::kDefaultsKey).isNull());

    const std::shared_ptr<CADocument> envelope = design(dtEnvelope);
    CACalibrationController envelopeSheet(*envelope, {u"Office"_s});
    EXPECT_FALSE(envelopeSheet.findChild<QPushButton *>(u"_printButton"_s)->isEnabled());
    EXPECT_FALSE(CACalibrationController::calibrationView(*envelope));
    EXPECT_TRUE(CACalibrationController::calibrationView(*document));
}

// A calibration page is one page.
TEST_F(CalibrationSheetTest, CalibrationPagePrintsOnePage)
{
    const std::shared_ptr<CADocument> document = design(dtLabel);
    std::unique_ptr<CAPrintingView> view = CACalibrationController::calibrationView(*document);
    ASSERT_TRUE(view);
    QTemporaryDir folder;
    const QString path = folder.filePath(u"calibration.pdf"_s);
    EXPECT_EQ(CAPrintJob::exportPdf(*view, path, {}, nullptr), CAPrintJob::ExportResult::Written);
    EXPECT_EQ(pdfPages(path), 1);
}

// Readings stored with a decimal comma read as the number they show.
TEST(CalibrationNumbers, ReadPointAndComma)
{
    EXPECT_FLOAT_EQ(CACalibrationSettings(u"1,5"_s, u"-0.5"_s, u"2"_s, false).horizontal(), 1.5f);
    EXPECT_FLOAT_EQ(CACalibrationSettings(u"1,5"_s, u"-0.5"_s, u"2"_s, false).vertical(), -0.5f);
    EXPECT_EQ(CACalibrationController::numberText(1.5), u"1.5"_s);
    EXPECT_EQ(CACalibrationController::numberText(-2.0), u"-2.0"_s);
}

} // namespace
