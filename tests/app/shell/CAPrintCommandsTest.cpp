// File > Print… as a user prints: the design opened in its window, the print sheet's controls
// driven with the keyboard and the mouse, then Save as PDF or Print into a PDF file; the pages
// are rasterised and compared with the sheet's own preview.
#include "ShellTestSupport.h"

#include "app/canvas/CACanvasGeometry.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CAPrintMultipleDialog.h"
#include "app/canvas/CADocView.h"
#include "app/printing/CAPrinterChoice.h"
#include "app/printsheet/CAPrintPreview.h"
#include "app/printsheet/CAPrintViewController.h"
#include "app/shell/CAPrintCommands.h"
#include "app/shell/CModeCell.h"
#include "kernel/base/CDDColor.h"
#include "kernel/merge/CALabelPrintingView.h"
#include "kernel/printing/CALabelSheetLayout.h"
#include "kernel/printing/CACalibrationSettings.h"
#include "kernel/printing/CATemplateFormat.h"
#include "platform/PWBundle.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWPlist.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <poppler-qt6.h>

#include <cmath>
#include <functional>
#include <map>

namespace {

constexpr double kScale = 2.0;
constexpr double kMillimetre = 72.0 / 25.4;

enum class Output { SaveAsPdf, PrintToFile };

std::string outputName(Output output)
{
    return output == Output::SaveAsPdf ? "SaveAsPdf" : "PrintToFile";
}

// Red where the design's square shows, dark where only a mark can be.
bool isItem(const QColor &pixel)
{
    return pixel.red() > 150 && pixel.green() < 110 && pixel.blue() < 110;
}
bool isMark(const QColor &pixel)
{
    return pixel.lightness() < 160 && !isItem(pixel);
}

QImage renderPage(const QString &path, int page, int *pages = nullptr)
{
    const std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(path);
    if (pages)
        *pages = pdf ? pdf->numPages() : -1;
    if (!pdf || page >= pdf->numPages())
        return QImage();
    pdf->setPaperColor(Qt::white);
    return pdf->page(page)->renderToImage(72.0 * kScale, 72.0 * kScale).convertToFormat(QImage::Format_RGB32);
}

QSizeF pageSize(const QString &path)
{
    const std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(path);
    return pdf && pdf->numPages() > 0 ? pdf->page(0)->pageSizeF() : QSizeF();
}

// Where the design's red square shows on a page, in page points.
QRectF itemBox(const QImage &image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (isItem(image.pixelColor(x, y)))
                box |= QRect(x, y, 1, 1);
    return QRectF(box.x() / kScale, box.y() / kScale, box.width() / kScale, box.height() / kScale);
}

class PrintCommandsTest : public shelltest::Test
{
public:
    void SetUp() override
    {
        shelltest::Test::SetUp();
        PWUserDefaults::standardUserDefaults().removeObject(CACalibrationSettings::kDefaultsKey);
        PWUserDefaults::standardUserDefaults().removeObject(u"FTEnvelopePrintAlign"_s);
        launch(1);
        installPrintCommands();
        setPrinterNamesSource([] { return QStringList{u"Office"_s, u"Labels"_s, u"Tape"_s}; });
        CAPrinterChoice::setSystemPrintersSource([] {
            return QList<CAPrinterDescription>{{u"Office"_s, u"Acme OfficeJet 9000"_s, true},
                                               {u"Labels"_s, u"Acme LabelJet"_s, false},
                                               {u"Tape"_s, u"Brother QL-700 P-touch"_s, false}};
        });
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
        CAPrinterChoice::setSystemPrintersSource({});
        PWUserDefaults::standardUserDefaults().removeObject(CACalibrationSettings::kDefaultsKey);
        shelltest::Test::TearDown();
    }

    // The catalogue's label by maker and ID with a red square in the middle of the label,
    // written as a design file and opened in its window.
    CAMainWindowController *openLabel(const QString &maker, const QString &id)
    {
        const std::shared_ptr<CATemplateFormat> layout = CATemplateFormat::findPredefLayoutManufacturerID(dtLabel, maker, id);
        if (!layout)
            return nullptr;
        CADocument document;
        document.setLayoutArangeComponents(*layout, false);
        CFTADocument *kernel = document.ftDocument();
        const QSizeF size(kernel->getDocumentSizeX(0), kernel->getDocumentSizeY(0));
        auto *box = new CFTBoxField(size.width() / 2.0 - 15.0, size.height() / 2.0 - 15.0, 30.0, 30.0, nullptr);
        const CDDColor red(1.0f, 0.0f, 0.0f, 1.0f);
        box->SetFilled(true);
        box->SetFillColor(&red);
        kernel->AddObject(box, 0, false);
        const QString file = path(id + u".pwdc"_s);
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
        return sheet;
    }

    static void type(QSpinBox *box, int value)
    {
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, QString::number(value));
    }
    static void tick(QCheckBox *box)
    {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }
    // Picks a printer in the sheet's pop-up with the arrow keys, as the keyboard does.
    static void choosePrinter(CAPrintViewController *sheet, const QString &name)
    {
        auto *list = sheet->findChild<QComboBox *>(u"_printerList"_s);
        list->setFocus();
        for (int step = 0; step < list->count() + 1 && list->currentText() != name; ++step)
            QTest::keyClick(list, list->currentIndex() < list->findText(name) ? Qt::Key_Down : Qt::Key_Up);
    }

    // Saves the job as a PDF, or prints it into a PDF file through Print…; the file's path.
    QString output(CAPrintViewController *sheet, Output how)
    {
        if (how == Output::SaveAsPdf) {
            QTest::mouseClick(sheet->findChild<QPushButton *>(u"_exportButton"_s), Qt::LeftButton);
            return path(u"saved.pdf"_s);
        }
        QTest::mouseClick(sheet->findChild<QPushButton *>(u"_printButton"_s), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return path(u"printed.pdf"_s);
    }

    static std::vector<int> filledSlots(const QImage &image, const CALabelSheetLayout &sheet,
                                        const std::function<QPointF(QPointF)> &toImage)
    {
        std::vector<int> filled;
        for (int slot = 0; slot < sheet.itemsPerPage(); ++slot) {
            const QPointF centre = QPointF(sheet.originX(), sheet.originY()) + sheet.slotOrigin(slot)
                                   + QPointF(sheet.itemWidth() / 2.0, sheet.itemHeight() / 2.0);
            if (isItem(image.pixelColor(toImage(centre).toPoint())))
                filled.push_back(slot + 1);
        }
        return filled;
    }
    static std::vector<int> slots(int first, int last)
    {
        std::vector<int> numbers;
        for (int slot = first; slot <= last; ++slot)
            numbers.push_back(slot);
        return numbers;
    }
};

class PrintOutputTest : public PrintCommandsTest, public ::testing::WithParamInterface<Output>
{
};

// 25 labels from the 8th of a 20-label sheet: the preview and the printed pages both show slots 8
// to 20 on the first sheet and the remaining 12 from the first slot of the second.
TEST_P(PrintOutputTest, StartPositionReachesThePrintedPages)
{
    CAPrintViewController *sheet = openSheet(openLabel(u"Avery"_s, u"03112"_s));
    ASSERT_NE(sheet, nullptr);
    auto *view = dynamic_cast<CALabelPrintingView *>(sheet->printView());
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->sheet().itemsPerPage(), 20);
    type(sheet->findChild<QSpinBox *>(u"_copiesEdit"_s), 25);
    type(sheet->findChild<QSpinBox *>(u"_startFromEdit"_s), 8);
    ASSERT_EQ(sheet->findChild<QLabel *>(u"_pageCount"_s)->text(), u"2"_s);

    auto *preview = sheet->findChild<CAPrintPreview *>(u"_imageView"_s);
    const QImage shown = preview->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const auto inPreview = [preview](QPointF point) { return preview->widgetPoint(point); };
    EXPECT_EQ(filledSlots(shown, view->sheet(), inPreview), slots(8, 20)) << "preview";
    const CALabelSheetLayout layout = view->sheet();

    int pages = 0;
    const QString file = output(sheet, GetParam());
    const QImage first = renderPage(file, 0, &pages);
    ASSERT_EQ(pages, 2);
    const auto inPage = [](QPointF point) { return point * kScale; };
    EXPECT_EQ(filledSlots(first, layout, inPage), slots(8, 20));
    EXPECT_EQ(filledSlots(renderPage(file, 1), layout, inPage), slots(1, 12));
}

// Cut lines and dotted marks show on the printed page exactly when their boxes are ticked, and
// each box draws something of its own.
TEST_P(PrintOutputTest, MarksArePrintedExactlyWhenTicked)
{
    const struct
    {
        const char *name;
        bool cut, dots;
    } rows[] = {{"none", false, false}, {"cut", true, false}, {"dots", false, true}, {"both", true, true}};
    std::map<std::string, QImage> printed;
    CAMainWindowController *design = openLabel(u"Avery"_s, u"03112"_s);
    for (const auto &row : rows) {
        CAPrintViewController *sheet = openSheet(design);
        ASSERT_NE(sheet, nullptr) << row.name;
        auto *cut = sheet->findChild<QCheckBox *>(u"_cutLineCheck"_s);
        auto *dots = sheet->findChild<QCheckBox *>(u"_dotMarkCheck"_s);
        if (cut->isChecked() != row.cut)
            tick(cut);
        if (dots->isChecked() != row.dots)
            tick(dots);
        ASSERT_EQ(cut->isChecked(), row.cut);
        ASSERT_EQ(dots->isChecked(), row.dots);
        const QString file = output(sheet, GetParam());
        printed[row.name] = renderPage(file, 0);
        if (GetParam() == Output::SaveAsPdf)
            sheet->reject();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        int marks = 0;
        const QImage &page = printed[row.name];
        ASSERT_FALSE(page.isNull()) << row.name;
        // The design's square has an outline of its own: only what lies beyond it counts.
        const QRectF item = itemBox(page);
        const QRect square = QRectF(item.topLeft() * kScale, item.size() * kScale).toAlignedRect().adjusted(-4, -4, 4, 4);
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                marks += !square.contains(x, y) && isMark(page.pixelColor(x, y)) ? 1 : 0;
        EXPECT_EQ(marks > 0, row.cut || row.dots) << row.name << ": " << marks << " mark pixels";
    }
    EXPECT_NE(printed["cut"], printed["dots"]);
    EXPECT_NE(printed["both"], printed["cut"]);
    EXPECT_NE(printed["both"], printed["dots"]);
}

// The offsets stored for the printer chosen on the sheet move the printed page, on a label sheet
// and on a roll alike; those of another printer do not.
TEST_P(PrintOutputTest, CalibrationOfThePrinterChosenOnTheSheetApplies)
{
    CACalibrationSettings::storeForPrinter(PWUserDefaults::standardUserDefaults(), u"Labels"_s,
                                           CACalibrationSettings(u"5"_s, u"0"_s, u"0"_s, false));
    const std::pair<QString, QString> labels[] = {{u"Avery"_s, u"03112"_s}, {u"Brother"_s, u"DK-11201"_s}};
    for (const auto &[maker, id] : labels) {
        std::map<QString, QRectF> boxes;
        CAMainWindowController *design = openLabel(maker, id);
        for (const QString &printer : {u"Office"_s, u"Labels"_s}) {
            CAPrintViewController *sheet = openSheet(design);
            ASSERT_NE(sheet, nullptr) << qPrintable(id);
            choosePrinter(sheet, printer);
            ASSERT_EQ(sheet->findChild<QComboBox *>(u"_printerList"_s)->currentText(), printer);
            const QString file = output(sheet, GetParam());
            boxes[printer] = itemBox(renderPage(file, 0));
            if (GetParam() == Output::SaveAsPdf)
                sheet->reject();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            ASSERT_FALSE(boxes[printer].isEmpty()) << qPrintable(id + u' ' + printer);
        }
        // A roll's page may be turned: the square moves by the offset along one side of it.
        const QPointF moved = boxes[u"Labels"_s].topLeft() - boxes[u"Office"_s].topLeft();
        EXPECT_NEAR(std::hypot(moved.x(), moved.y()), 5.0 * kMillimetre, 1.0) << qPrintable(id);
        EXPECT_NEAR(std::min(std::abs(moved.x()), std::abs(moved.y())), 0.0, 1.0) << qPrintable(id);
    }
}

INSTANTIATE_TEST_SUITE_P(Outputs, PrintOutputTest, ::testing::Values(Output::SaveAsPdf, Output::PrintToFile),
                         [](const auto &info) { return outputName(info.param); });

// A window opening on a roll label of a known maker picks that maker's printer and prints on the
// paper the maker's labels take: the Brother roll on its printable 29 × 90 mm.
TEST_F(PrintCommandsTest, RollLabelWindowPicksItsPrinterAndPrintsOnItsPaper)
{
    CAMainWindowController *window = openLabel(u"Brother"_s, u"DK-11201"_s);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->document()->printSettings().printerName, u"Tape"_s);
    CAPrintViewController *sheet = openSheet(window);
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->findChild<QComboBox *>(u"_printerList"_s)->currentText(), u"Tape"_s);
    const QSizeF page = pageSize(output(sheet, Output::SaveAsPdf));
    const QSizeF standing(std::min(page.width(), page.height()), std::max(page.width(), page.height()));
    EXPECT_NEAR(standing.width(), 29.0 * kMillimetre, 1.0);
    EXPECT_NEAR(standing.height(), 90.0 * kMillimetre, 1.0);
    sheet->reject();
}

// Text typed in place is part of what prints: opening the sheet ends the typing first.
TEST_F(PrintCommandsTest, TypingInPlaceEndsAndPrintsWhenTheSheetOpens)
{
    CAMainWindowController *window = openLabel(u"Avery"_s, u"03112"_s);
    ASSERT_NE(window, nullptr);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QTest::mouseClick(window->findChild<CModeCell *>(u"textModeCell"_s), Qt::LeftButton);
    CADocView *canvas = window->docView();
    QTest::mouseClick(canvas->viewport(), Qt::LeftButton, {}, canvas->geometry().widgetPoint(QPointF(12, 40)).toPoint());
    ASSERT_TRUE(canvas->isEditingText());
    QTest::keyClicks(canvas->viewport(), u"Hello"_s);

    CAPrintViewController *sheet = openSheet(window);
    ASSERT_NE(sheet, nullptr);
    EXPECT_FALSE(canvas->isEditingText());
    const std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(output(sheet, Output::SaveAsPdf));
    ASSERT_TRUE(pdf && pdf->numPages() == 1);
    QStringList words;
    for (const std::unique_ptr<Poppler::TextBox> &box : pdf->page(0)->textList())
        words << box->text();
    EXPECT_TRUE(words.contains(u"Hello"_s)) << qPrintable(words.join(u' '));
    sheet->reject();
}

// However the print sheet ends (Cancel, Print, or Edit List), a design shown with a print list
// takes that list's name as its own; shown with its own address it keeps the name it had.
TEST_F(PrintCommandsTest, SheetEndKeepsTheListItShowedForEveryEnd)
{
    enum class Start { Own, PickClub, MenuWithList };
    enum class End { Cancel, Print, EditList, OwnThenCancel };
    const struct
    {
        const char *name;
        Start start;
        End end;
        std::optional<QString> before;
        std::optional<QString> after;
    } cases[] = {
        {"list from the menu, Cancel", Start::MenuWithList, End::Cancel, std::nullopt, u"Club"_s},
        {"list from the menu, Print", Start::MenuWithList, End::Print, std::nullopt, u"Club"_s},
        {"list picked, Cancel", Start::PickClub, End::Cancel, u"Family"_s, u"Club"_s},
        {"list picked, Print", Start::PickClub, End::Print, u"Family"_s, u"Club"_s},
        {"list picked, Edit List", Start::PickClub, End::EditList, u"Family"_s, u"Club"_s},
        {"own address, Cancel", Start::Own, End::Cancel, u"Family"_s, u"Family"_s},
        {"own address, Print", Start::Own, End::Print, u"Family"_s, u"Family"_s},
        {"own address, Edit List", Start::Own, End::EditList, std::nullopt, std::nullopt},
        {"list picked, then own address, Cancel", Start::PickClub, End::OwnThenCancel, u"Family"_s, u"Family"_s},
    };
    CAPrintListArray &lists = CAPrintListArray::getShared();
    while (lists.count() > 0)
        lists.removePrintListAt(0);
    for (const QString &name : {u"Family"_s, u"Club"_s}) {
        lists.insertPrintListAt(lists.count());
        lists.renamePrintListAt(lists.count() - 1, name);
        auto person = PWPerson::create();
        person->setValueForProperty(kPWLastNameProperty, PWPlist::fromString(name + u"Member"_s));
        lists.replacePrintListAt(lists.count() - 1, {person});
    }
    lists.setCurrentPrintListIndex(1);
    CAMainWindowController *window = openLabel(u"Avery"_s, u"03112"_s);
    ASSERT_NE(window, nullptr);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        window->document()->setPrintListName(c.before);
        QAction tagged;
        tagged.setData(1);
        window->performAction(u"printDocument"_s, c.start == Start::MenuWithList ? &tagged : nullptr);
        auto *sheet = window->findChild<CAPrintViewController *>();
        ASSERT_NE(sheet, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet));
        auto *popup = sheet->findChild<QComboBox *>(u"_personListButton"_s);
        const auto pick = [popup](const QString &title) {
            popup->setFocus();
            const int wanted = popup->findText(title);
            for (int step = 0; step < popup->count() + 1 && popup->currentIndex() != wanted; ++step)
                QTest::keyClick(popup, popup->currentIndex() < wanted ? Qt::Key_Down : Qt::Key_Up);
        };
        if (c.start == Start::PickClub)
            pick(u"Club"_s);
        if (c.end == End::OwnThenCancel)
            QTest::mouseClick(sheet->findChild<QRadioButton *>(u"_personSourceOwn"_s), Qt::LeftButton, {}, QPoint(6, 6));
        switch (c.end) {
        case End::Cancel:
        case End::OwnThenCancel:
            QTest::mouseClick(sheet->findChild<QPushButton *>(u"_closeButton"_s), Qt::LeftButton);
            break;
        case End::Print:
            QTest::mouseClick(sheet->findChild<QPushButton *>(u"_printButton"_s), Qt::LeftButton);
            break;
        case End::EditList:
            pick(PWLocalizedString(u"Edit List"_s));
            break;
        }
        EXPECT_FALSE(sheet->isVisible());
        EXPECT_EQ(window->document()->getPrintListName(), c.after);
        // Editing the lists opens their window, whose Cancel brings the sheet back.
        if (auto *edit = window->findChild<CAPrintMultipleDialog *>(); edit && edit->isVisible()) {
            EXPECT_EQ(c.end, End::EditList);
            edit->reject();
            QCoreApplication::processEvents();
        }
        for (CAPrintViewController *open : window->findChildren<CAPrintViewController *>())
            if (open->isVisible())
                open->reject();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

} // namespace

namespace {

// Print… into a file holds what the print dialog asked: its copies, collated or one page after
// the other, its page range and its page order. 25 labels of a 20-label sheet: a full page and a page of five.
TEST_F(PrintCommandsTest, PrintToFileHoldsTheCopiesAndPagesTheDialogAsked)
{
    const struct
    {
        const char *name;
        int copies;
        bool collate;
        int from, to; // 0 for every page
        std::vector<int> labelsPerPage;
        bool reverse = false; // the dialog's Reverse
    } cases[] = {
        {"one copy", 1, true, 0, 0, {20, 5}},
        {"reversed", 1, true, 0, 0, {5, 20}, true},
        {"two collated copies reversed", 2, true, 0, 0, {5, 20, 5, 20}, true},
        {"two collated copies", 2, true, 0, 0, {20, 5, 20, 5}},
        {"two copies, each page twice", 2, false, 0, 0, {20, 20, 5, 5}},
        {"pages from 2 to 2", 1, true, 2, 2, {5}},
        {"pages from 2 to 2, three copies", 3, true, 2, 2, {5, 5, 5}},
    };
    CAMainWindowController *design = openLabel(u"Avery"_s, u"03112"_s);
    ASSERT_NE(design, nullptr);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        CAPrintViewController::setPrinterSetup([this, &c](QPrinter &printer, QWidget *) {
            // As the dialog leaves the printer when the user picks the PDF file printer.
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path(u"printed.pdf"_s));
            printer.setCopyCount(c.copies);
            printer.setCollateCopies(c.collate);
            printer.setPrintRange(c.from ? QPrinter::PageRange : QPrinter::AllPages);
            printer.setFromTo(c.from, c.to);
            printer.setPageOrder(c.reverse ? QPrinter::LastPageFirst : QPrinter::FirstPageFirst);
            return true;
        });
        CAPrintViewController *sheet = openSheet(design);
        ASSERT_NE(sheet, nullptr);
        auto *view = dynamic_cast<CALabelPrintingView *>(sheet->printView());
        ASSERT_NE(view, nullptr);
        type(sheet->findChild<QSpinBox *>(u"_copiesEdit"_s), 25);
        ASSERT_EQ(sheet->findChild<QLabel *>(u"_pageCount"_s)->text(), u"2"_s);
        const CALabelSheetLayout layout = view->sheet();
        const QString file = output(sheet, Output::PrintToFile);
        int pages = 0;
        renderPage(file, 0, &pages);
        ASSERT_EQ(pages, int(c.labelsPerPage.size()));
        const auto inPage = [](QPointF point) { return point * kScale; };
        for (int page = 0; page < pages; ++page)
            EXPECT_EQ(int(filledSlots(renderPage(file, page), layout, inPage).size()), c.labelsPerPage[std::size_t(page)])
                << "page " << page + 1;
    }
}

// Save as PDF offers the design's own name, not the window's title with the layout and size, in
// the design's own folder, not the one the program was started in.
TEST_F(PrintCommandsTest, SaveAsPdfOffersTheDesignsName)
{
    CAMainWindowController *window = openLabel(u"Avery"_s, u"03112"_s);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(window->windowTitle().contains(u" - Size "_s)) << qPrintable(window->windowTitle());
    QString offered;
    CAPrintViewController::setPdfPathChooser([this, &offered](QWidget *, const QString &name) {
        offered = name;
        return path(u"saved.pdf"_s);
    });
    CAPrintViewController *sheet = openSheet(window);
    ASSERT_NE(sheet, nullptr);
    output(sheet, Output::SaveAsPdf);
    ASSERT_NE(QDir::current(), QFileInfo(path(u"03112.pwdc"_s)).dir());
    EXPECT_EQ(offered, path(u"03112.pdf"_s));
    sheet->reject();
}

} // namespace
