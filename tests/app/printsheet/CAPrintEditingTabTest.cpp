// The print sheet's editing tab driven as a user drives it: a double click on a printed item in
// the preview opens it on a canvas, typing changes a text, and the job printed afterwards carries
// the change (read back from the PDF with poppler).
#include "app/canvas/CADocView.h"
#include "app/printsheet/CAPrintEditingTab.h"
#include "app/printsheet/CAPrintJob.h"
#include "app/printsheet/CAPrintPreview.h"
#include "app/printsheet/CAPrintViewController.h"

#include "kernel/base/CAEnvironment.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADYMOPrintingView.h"
#include "kernel/merge/CADocument.h"
#include "kernel/merge/CAEnvelopePrintingView.h"
#include "kernel/merge/CALabelPrintingView.h"
#include "kernel/printing/CACalibrationSettings.h"
#include "kernel/printing/CAEnvironmentLayout.h"
#include "kernel/printing/CATemplateFormat.h"
#include "kernel/render/CDDText.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWUserDefaults.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>
#include <poppler-qt6.h>

#include <map>

using namespace Qt::StringLiterals;

namespace {

// The words of every page of a PDF, joined by spaces.
QString pdfText(const QString &path)
{
    const std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(path);
    if (!pdf)
        return QString();
    QStringList words;
    for (int page = 0; page < pdf->numPages(); ++page)
        for (const std::unique_ptr<Poppler::TextBox> &box : pdf->page(page)->textList())
            words.append(box->text());
    return words.join(u' ');
}

// The box round the dark pixels of the first page, at 72 dpi.
QRect inkBox(const QString &path)
{
    const std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(path);
    if (!pdf || pdf->numPages() < 1)
        return QRect();
    pdf->setPaperColor(Qt::white);
    const QImage image = pdf->page(0)->renderToImage(72.0, 72.0);
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                box |= QRect(x, y, 1, 1);
    return box;
}

// A design of the kind with one text "Parcel" near its top-left corner.
struct TextDesign
{
    explicit TextDesign(int type, bool roll = false, bool horizontal = true)
    {
        CAEnvironment::setDefaultCountry(u"us"_s);
        document = std::make_shared<CADocument>(
            std::make_unique<CFTADocument>(documentType(type), CDDString(u"us"_s), CDDString(u"us"_s)));
        std::shared_ptr<CATemplateFormat> layout = defaultLayout(type);
        if (const CATemplateFormat::TemplateList *labels = roll ? CATemplateFormat::predefLayouts(dtLabel) : nullptr) {
            for (const std::shared_ptr<CATemplateFormat> &candidate : *labels)
                if (candidate && candidate->isLabelRoll()) {
                    layout = candidate;
                    break;
                }
        }
        if (layout) {
            CATemplateFormat turned = *layout;
            turned.setHorizontal(horizontal);
            document->setLayoutArangeComponents(turned, false);
        }
        document->setupPrintInfo(false);
        text = new CFTAText(12.0, 8.0, 110.0, 26.0, nullptr);
        text->GetText()->setString(u"Parcel"_s, nullptr);
        document->ftDocument()->AddObject(text, 0, false);
    }
    std::shared_ptr<CADocument> document;
    CFTAText *text = nullptr;
};

class PrintEditingTabTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
        defaults.removeObject(CACalibrationSettings::kDefaultsKey);
        // Vector items keep their texts as text in the PDF.
        defaults.setBool(u"FTVectorPrinting"_s, true);
        CAPrintViewController::setPdfPathChooser([this](QWidget *, const QString &) { return m_pdfPath; });
    }
    CAPrintViewController *openSheet(const std::shared_ptr<CADocument> &document)
    {
        const auto kind = CAPrintJob::sheetKindForDocument(*document);
        EXPECT_TRUE(kind);
        m_sheet = std::make_unique<CAPrintViewController>(document, *kind, CAPrintJob::PersonChoice(), QStringList{u"Office"_s});
        m_sheet->resize(900, 640);
        m_sheet->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_sheet.get()));
        return m_sheet.get();
    }
    template <typename T> T *child(const char *name) { return m_sheet->findChild<T *>(QLatin1String(name)); }
    QString exportedText()
    {
        QFile::remove(m_pdfPath);
        QTest::mouseClick(child<QPushButton>("_exportButton"), Qt::LeftButton);
        return pdfText(m_pdfPath);
    }
    // Types after the text on the editing canvas, as a user does: a double click into it first.
    void typeIntoEditedText(const QString &typed)
    {
        CADocView *canvas = m_sheet->editingTab()->editingView();
        ASSERT_TRUE(canvas);
        // Inside the line of "Parcel" (12 points from 13 to about 49 across, 8 to 22 down).
        const QPoint at = canvas->geometry().widgetPoint(QPointF(30.0, 15.0)).toPoint();
        QTest::mouseDClick(canvas->viewport(), Qt::LeftButton, {}, at);
        ASSERT_TRUE(canvas->isEditingText());
        QTest::keyClick(canvas, Qt::Key_End);
        QTest::keyClicks(canvas, typed);
    }

    QTemporaryDir m_folder;
    QString m_pdfPath = m_folder.filePath(u"edited.pdf"_s);
    std::unique_ptr<CAPrintViewController> m_sheet;
};

// A double click on the first label of the sheet opens it; the typed word is printed on that
// label and the design itself keeps its text.
TEST_F(PrintEditingTabTest, EditingALabelInPlaceChangesWhatIsPrinted)
{
    TextDesign design(dtLabel);
    CAPrintViewController *sheet = openSheet(design.document);
    auto *view = dynamic_cast<CALabelPrintingView *>(sheet->printView());
    ASSERT_TRUE(view);
    EXPECT_TRUE(child<QTabWidget>("_viewTab")->isTabEnabled(1));
    EXPECT_TRUE(exportedText().contains(u"Parcel"_s));
    EXPECT_FALSE(exportedText().contains(u"Wick"_s));
    child<CAPrintPreview>("_imageView")->repaint();

    const std::optional<CALabelPrintingView::HitRecord> hit = view->hitRecord(0);
    ASSERT_TRUE(hit);
    auto *preview = child<CAPrintPreview>("_imageView");
    const QPoint inItem = preview->widgetPoint(hit->rect.center()).toPoint();
    // One click does not open an item unless edit-on-click is on.
    QTest::mouseClick(preview, Qt::LeftButton, {}, inItem);
    EXPECT_FALSE(sheet->editingTab()->isEditing());
    QTest::mouseDClick(preview, Qt::LeftButton, {}, inItem);
    ASSERT_TRUE(sheet->editingTab()->isEditing());
    EXPECT_EQ(child<QTabWidget>("_viewTab")->currentIndex(), 1);
    EXPECT_EQ(view->editingIndex(), 0);
    EXPECT_FALSE(child<QPushButton>("_printButton")->isEnabled());
    EXPECT_FALSE(child<QPushButton>("_closeButton")->isEnabled());

    typeIntoEditedText(u" Wick"_s);
    QTest::mouseClick(child<QPushButton>("_closeEditorButton"), Qt::LeftButton);
    EXPECT_FALSE(sheet->editingTab()->isEditing());
    EXPECT_EQ(child<QTabWidget>("_viewTab")->currentIndex(), 0);
    EXPECT_TRUE(child<QPushButton>("_printButton")->isEnabled());
    EXPECT_EQ(view->editingIndex(), -1);

    const QString printed = exportedText();
    EXPECT_TRUE(printed.contains(u"Wick"_s)) << printed.toStdString();
    EXPECT_EQ(design.text->GetText()->getContents()->toPlainText(), u"Parcel"_s) << "the design itself is not edited";
}

// On a roll, edit-on-click opens the page's label at once; going back to the preview tab keeps
// what was typed as the Done button does.
TEST_F(PrintEditingTabTest, RollLabelOpensOnEditOnClickAndTheTabSwitchKeepsTheEdit)
{
    TextDesign design(dtLabel, true);
    ASSERT_TRUE(design.document->ftDocument()->isLabelRoll());
    CAPrintViewController *sheet = openSheet(design.document);
    ASSERT_TRUE(dynamic_cast<CADYMOPrintingView *>(sheet->printView()));
    EXPECT_TRUE(exportedText().contains(u"Parcel"_s));
    const QRect before = inkBox(m_pdfPath);
    QTest::mouseClick(child<QPushButton>("_guiModeButton"), Qt::LeftButton);
    ASSERT_TRUE(sheet->editingTab()->isEditing());
    EXPECT_FALSE(child<QPushButton>("_guiModeButton")->isChecked()) << "editing turns the click mode off";

    typeIntoEditedText(u" Roll"_s);
    child<QTabWidget>("_viewTab")->setCurrentIndex(0);
    EXPECT_FALSE(sheet->editingTab()->isEditing());
    // The roll prints the edited label, its text still text: it runs further along.
    const QString printed = exportedText();
    EXPECT_TRUE(printed.contains(u"Roll"_s)) << printed.toStdString();
    const QRect after = inkBox(m_pdfPath);
    EXPECT_EQ(after.top(), before.top());
    EXPECT_GT(after.width(), before.width() + 10);
}

// The editor's own zoom: its buttons step the canvas by half again, and the canvas's zoom comes
// back to the slider snapped near 100 % and below 30 %.
TEST_F(PrintEditingTabTest, EditorZoomFollowsItsButtonsAndTheCanvas)
{
    TextDesign design(dtLabel);
    CAPrintViewController *sheet = openSheet(design.document);
    auto *view = dynamic_cast<CALabelPrintingView *>(sheet->printView());
    ASSERT_TRUE(view && view->hitRecord(0));
    auto *preview = child<CAPrintPreview>("_imageView");
    QTest::mouseDClick(preview, Qt::LeftButton, {}, preview->widgetPoint(view->hitRecord(0)->rect.center()).toPoint());
    ASSERT_TRUE(sheet->editingTab()->isEditing());
    CADocView *canvas = sheet->editingTab()->editingView();
    QSlider *zoom = child<QSlider>("_editorZoom");
    zoom->setValue(100);
    EXPECT_DOUBLE_EQ(canvas->zoom(), 1.0);
    QTest::mouseClick(child<QPushButton>("editingZoomIn"), Qt::LeftButton);
    EXPECT_EQ(zoom->value(), 150);
    EXPECT_DOUBLE_EQ(canvas->zoom(), 1.5);
    QTest::mouseClick(child<QPushButton>("editingZoomOut"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>("editingZoomOut"), Qt::LeftButton);
    EXPECT_EQ(zoom->value(), 66);
    canvas->setZoom(1.15);
    EXPECT_EQ(zoom->value(), 100);
}

struct CardCase
{
    bool lying;
    bool ownPaper;
};

class PostcardSheetTest : public PrintEditingTabTest, public ::testing::WithParamInterface<CardCase>
{
};

// A card without a sheet grid is fed like an envelope: on the default page, or on card paper of
// its own size when the printer's settings are used. The words near its opposite corners both land
// on the paper, and a standing card stands upright on either paper: its first word reads across,
// above and left of the other. A lying card stays unturned on its own paper and is turned a
// quarter clockwise on the default page, as an envelope is.
TEST_P(PostcardSheetTest, CardPrintsUnturnedOnItsOwnPaper)
{
    const CardCase c = GetParam();
    TextDesign design(dtPostcard, false, c.lying);
    CFTADocument *kernel = design.document->ftDocument();
    ASSERT_EQ(kernel->GetColCount(), 0);
    const QSizeF card(kernel->getDocumentSizeX(0), kernel->getDocumentSizeY(0));
    ASSERT_EQ(card.width() > card.height(), c.lying);
    auto *corner = new CFTAText(card.width() - 90.0, card.height() - 34.0, 80.0, 26.0, nullptr);
    corner->GetText()->setString(u"Stamp"_s, nullptr);
    kernel->AddObject(corner, 0, false);
    CAPrintViewController *sheet = openSheet(design.document);
    if (c.ownPaper)
        child<QCheckBox>("_printerSettings")->click();
    ASSERT_TRUE(dynamic_cast<CAEnvelopePrintingView *>(sheet->printView()));

    QTest::mouseClick(child<QPushButton>("_exportButton"), Qt::LeftButton);
    const std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(m_pdfPath);
    ASSERT_TRUE(pdf);
    ASSERT_EQ(pdf->numPages(), 1);
    const std::unique_ptr<Poppler::Page> page = pdf->page(0);
    const QRectF paper(QPointF(), page->pageSizeF());
    const QSizeF expectedPaper = c.ownPaper ? card : CAEnvironment::defaultPageSize();
    EXPECT_NEAR(paper.width(), expectedPaper.width(), 1.0);
    EXPECT_NEAR(paper.height(), expectedPaper.height(), 1.0);
    std::map<QString, QRectF> found;
    for (const std::unique_ptr<Poppler::TextBox> &box : page->textList()) {
        EXPECT_TRUE(paper.contains(box->boundingBox())) << box->text().toStdString();
        found[box->text()] = box->boundingBox();
    }
    ASSERT_TRUE(found.count(u"Parcel"_s) && found.count(u"Stamp"_s)) << found.size();
    const QRectF first = found[u"Parcel"_s];
    const QPointF toOther = found[u"Stamp"_s].center() - first.center();
    if (c.lying && !c.ownPaper) {
        EXPECT_GT(first.height(), first.width());
        EXPECT_LT(toOther.x(), 0.0);
        EXPECT_GT(toOther.y(), 0.0);
    } else {
        EXPECT_GT(first.width(), first.height());
        EXPECT_GT(toOther.x(), 0.0);
        EXPECT_GT(toOther.y(), 0.0);
    }
}

INSTANTIATE_TEST_SUITE_P(Orientations, PostcardSheetTest,
                         ::testing::Values(CardCase{true, true}, CardCase{false, true}, CardCase{true, false},
                                           CardCase{false, false}),
                         [](const ::testing::TestParamInfo<CardCase> &info) {
                             return std::string(info.param.lying ? "Lying" : "Standing")
                                    + (info.param.ownPaper ? "OnItsOwnPaper" : "OnTheDefaultPage");
                         });

struct ZoomCase
{
    double factor;
    int slider;
};

class EditorZoomSnapTest : public ::testing::TestWithParam<ZoomCase>
{
};

TEST_P(EditorZoomSnapTest, CanvasFactorGivesTheSliderValue)
{
    EXPECT_EQ(CAPrintEditingTab::sliderValueForZoom(GetParam().factor), GetParam().slider);
}

INSTANTIATE_TEST_SUITE_P(Factors, EditorZoomSnapTest,
                         ::testing::Values(ZoomCase{1.15, 100}, ZoomCase{0.85, 100}, ZoomCase{0.25, 0},
                                           ZoomCase{0.5, 50}, ZoomCase{1.5, 150}, ZoomCase{2.0, 200}));

} // namespace
