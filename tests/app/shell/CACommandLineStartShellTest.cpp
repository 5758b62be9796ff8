// The start with windows that main() makes, run in this process as a first start (the assistant
// as the starting document, a content library not yet copied): a start that names a design, a
// new kind or a job opens exactly that; the assistant comes only when nothing was asked. Here
// with the shell's windows rather than with the command suite, whose processes started by fork
// would carry the memory these windows leave in the test process.
#include "FirstStartSupport.h"

#include "app/pictures/CCPictBrowserView.h"
#include "app/pictures/CCPictCatalog.h"
#include "app/printsheet/CAPrintViewController.h"
#include "app/shell/CAAssistantController.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/printing/CAEnvironmentLayout.h"
#include "kernel/printing/CATemplateFormat.h"

#include <QLabel>
#include <QMessageBox>
#include <QPrinter>
#include <QRadioButton>
#include <QTableWidget>

namespace {

// A design of the kind on its default layout with an address panel, saved as name in folder.
QString writeDesign(const QString &folder, const QString &name)
{
    const std::shared_ptr<CATemplateFormat> layout = defaultLayout(dtLabel);
    if (!layout)
        return QString();
    CADocument document;
    document.setLayoutArangeComponents(*layout, false);
    const std::unique_ptr<CAddressFormat> format =
        CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
            u"Name+Company"_s, u"us"_s, true, CAddressFormatController::kBarcodeBelow);
    auto panel = std::make_unique<CFTAAddressPanel>(true, format.get(), nullptr, false);
    panel->SetOrigin(8.0, 6.0);
    document.ftDocument()->AddObject(panel.release(), 0, false);
    const QString file = QDir(folder).filePath(name);
    return document.writeToFile(file) ? file : QString();
}

struct StartCase
{
    const char *name;
    QStringList arguments; // %f is the test's folder
    bool assistant;
    // The kind of the one document the start leaves open; -1 for none asked.
    int kind;
    bool fromFile;
    const char *sheetPeople; // the print sheet's people, or null for no sheet
    const char *told;        // what the design's window says of the job, or null for nothing
    const char *toldDetail = nullptr; // a line of what it says in detail
    const char *sheetNote = nullptr;  // a line of the sheet's note under its preview
    bool printsToFile = false;        // the print without the sheet goes into a file
};

class CommandLineStartFixture : public shelltest::FirstStartTest
{
protected:
    void SetUp() override
    {
        shelltest::FirstStartTest::SetUp();
        CAPrintViewController::setPrinterDestination([](QPrinter &) {});
        CAPrintViewController::setPrinterSetup([](QPrinter &, QWidget *) { return false; });
    }

    // Starts as main() does with the arguments; an assistant that shows is noted and cancelled, as
    // a user would.
    void startWith(const QStringList &arguments)
    {
        startAsMain(arguments, [this] {
            CAAssistantController &wizard = CAAssistantController::sharedWizard();
            if (wizard.isRunning() && wizard.window() && wizard.window()->isVisible()) {
                ++assistantsShown;
                if (inAssistant)
                    std::exchange(inAssistant, nullptr)();
                if (wizard.isRunning())
                    wizard.cancel();
            }
        });
    }

    int assistantsShown = 0;
    // Runs in the assistant's window once it is up, before it is cancelled.
    std::function<void()> inAssistant;
};

class CommandLineStartTest : public CommandLineStartFixture, public ::testing::WithParamInterface<StartCase>
{
};

TEST_P(CommandLineStartTest, AFirstStartOpensExactlyWhatItAskedFor)
{
    const StartCase &c = GetParam();
    const QString design = writeDesign(folder.path(), u"design.pwdc"_s);
    ASSERT_FALSE(design.isEmpty());
    ASSERT_TRUE(pwtest::writeFile(folder.filePath(u"two.vcf"_s),
                                  "BEGIN:VCARD\r\nVERSION:3.0\r\nN:One;Ann;;;\r\nFN:Ann One\r\nEND:VCARD\r\n"
                                  "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Two;Bob;;;\r\nFN:Bob Two\r\nEND:VCARD\r\n"));
    // A column no field takes beside every field the design shows, and a file whose columns give
    // no name: the batch notes the one and refuses the other.
    ASSERT_TRUE(pwtest::writeFile(folder.filePath(u"two.csv"_s),
                                  "First Name,Last Name,Company,Street,City,State,ZIP,Shoe Size\r\n"
                                  "Ann,One,Acme,1 Elm St,Austin,TX,78701,7\r\nBob,Two,Acme,2 Oak St,Reno,NV,89501,9\r\n"));
    ASSERT_TRUE(pwtest::writeFile(folder.filePath(u"nameless.csv"_s),
                                  "Street,City,Shoe Size\r\n1 Elm St,Austin,7\r\n2 Oak St,Reno,9\r\n"));
    if (c.printsToFile) {
        const QString file = folder.filePath(u"printed.pdf"_s);
        CAPrintViewController::setPrinterDestination([file](QPrinter &printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(file);
        });
    }
    QStringList arguments;
    for (QString argument : c.arguments)
        arguments.append(argument.replace(u"%f"_s, folder.path()));
    startWith(arguments);
    ASSERT_NE(start->controller(), nullptr);

    EXPECT_EQ(assistantsShown, c.assistant ? 1 : 0);
    const QList<std::shared_ptr<CAOpenDocument>> documents = start->controller()->manager().documents();
    if (c.kind < 0)
        return;
    ASSERT_EQ(documents.size(), 1) << "a blank label came with what was asked";
    const std::shared_ptr<CAOpenDocument> &record = documents.first();
    ASSERT_TRUE(record->document);
    EXPECT_EQ(int(record->document->docType()), c.kind);
    EXPECT_EQ(record->filePath, c.fromFile ? design : QString());
    ASSERT_TRUE(record->window);
    EXPECT_TRUE(record->window->isVisible());
    EXPECT_FALSE(record->window->windowTitle().contains(u"  "_s)) << qPrintable(record->window->windowTitle());

    // A job that printed nothing says why in the design's window, not only on standard error.
    QMessageBox *told = nullptr;
    for (QMessageBox *box : record->window->findChildren<QMessageBox *>())
        if (box->isVisible())
            told = box;
    if (c.told) {
        ASSERT_NE(told, nullptr) << "the window says nothing";
        EXPECT_EQ(told->text(), QString::fromLatin1(c.told));
        EXPECT_FALSE(told->informativeText().isEmpty());
        if (c.toldDetail) {
            EXPECT_TRUE(told->informativeText().contains(QString::fromUtf8(c.toldDetail)))
                << qPrintable(told->informativeText());
        }
        QTest::keyClick(told, Qt::Key_Return);
        EXPECT_FALSE(told->isVisible());
    } else {
        EXPECT_EQ(told, nullptr) << qPrintable(told->text() + u' ' + told->informativeText());
    }

    CAPrintViewController *sheet = record->window->findChild<CAPrintViewController *>();
    if (!c.sheetPeople) {
        EXPECT_TRUE(!sheet || !sheet->isVisible());
        return;
    }
    ASSERT_NE(sheet, nullptr) << "no print sheet";
    EXPECT_TRUE(QTest::qWaitForWindowExposed(sheet));
    EXPECT_EQ(sheet->findChild<QLabel *>(u"_peopleCountText"_s)->text(), QString::fromLatin1(c.sheetPeople));
    ASSERT_TRUE(record->document->personList());
    EXPECT_EQ(record->document->personList()->size(), 2u) << "the contacts were not loaded";
    auto *note = sheet->findChild<QLabel *>(u"_fitNote"_s);
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->isVisible(), c.sheetNote != nullptr) << qPrintable(note->text());
    if (c.sheetNote) {
        EXPECT_TRUE(note->text().contains(QString::fromUtf8(c.sheetNote))) << qPrintable(note->text());
    }
    sheet->reject();
}

INSTANTIATE_TEST_SUITE_P(
    Starts, CommandLineStartTest,
    ::testing::Values(StartCase{"NothingAsked", {}, true, -1, false, nullptr, nullptr},
                      StartCase{"NewPostcard", {u"--new"_s, u"mps"_s}, false, dtPostcard, false, nullptr, nullptr},
                      StartCase{"NewEnvelope", {u"--new"_s, u"enp"_s}, false, dtEnvelope, false, nullptr, nullptr},
                      StartCase{"DesignFile", {u"%f/design.pwdc"_s}, false, dtLabel, true, nullptr, nullptr},
                      StartCase{"PrintMultipleWithTheSheet",
                                {u"--print-multiple"_s, u"%f/design.pwdc"_s, u"--contacts"_s, u"%f/two.vcf"_s,
                                 u"--show-sheet"_s},
                                false, dtLabel, true, "2 people", nullptr},
                      // The test's printer prints nothing: the print cannot start.
                      StartCase{"PrintMultipleWithoutAPrinter",
                                {u"--print-multiple"_s, u"%f/design.pwdc"_s, u"--contacts"_s, u"%f/two.vcf"_s},
                                false, dtLabel, true, nullptr, "Nothing was printed."},
                      // What the batch says of a contacts file the sheet and the print say, and what
                      // the batch refuses is refused.
                      StartCase{"PrintMultipleWithTheSheetNotesAColumnNotRead",
                                {u"--print-multiple"_s, u"%f/design.pwdc"_s, u"--contacts"_s, u"%f/two.csv"_s,
                                 u"--show-sheet"_s},
                                false, dtLabel, true, "2 people", nullptr, nullptr,
                                "two.csv: the column \"Shoe Size\" holds no field the program knows and is not read."},
                      StartCase{"PrintMultipleTellsAColumnNotRead",
                                {u"--print-multiple"_s, u"%f/design.pwdc"_s, u"--contacts"_s, u"%f/two.csv"_s},
                                false, dtLabel, true, nullptr,
                                "Some columns of the contacts file hold no field and were not read.",
                                "two.csv: the column \"Shoe Size\" holds no field the program knows and is not read.",
                                nullptr, true},
                      StartCase{"PrintMultipleRefusesAFileWithoutNames",
                                {u"--print-multiple"_s, u"%f/design.pwdc"_s, u"--contacts"_s, u"%f/nameless.csv"_s,
                                 u"--show-sheet"_s},
                                false, dtLabel, true, nullptr, "Nothing was printed.",
                                "holds a name (first, last or company name); the columns \"Shoe Size\" are not read"}),
    [](const auto &info) { return std::string(info.param.name); });

// A home the user cannot write, for root as well: the settings folder and the place of the
// content library lie below a regular file, so that every folder made there fails.
class UnwritableHomeStartTest : public CommandLineStartFixture
{
protected:
    void SetUp() override
    {
        CommandLineStartFixture::SetUp();
        settingsFolder = QFileInfo(PWUserDefaults::standardUserDefaults().filePath()).absolutePath();
        ASSERT_TRUE(pwtest::writeFile(folder.filePath(u"home"_s), "a file, not a folder"));
        PWUserDefaults::standardUserDefaults().setObject(
            u"FTSharedContentLibraryPath"_s,
            PWPlist::fromString(folder.filePath(u"home/.local/share/Parcelwick/Library"_s)));
        movedAside = QFileInfo::exists(settingsFolder) && QDir().rename(settingsFolder, settingsFolder + u".kept"_s);
        ASSERT_TRUE(pwtest::writeFile(settingsFolder, "a file, not a folder"));
    }
    void TearDown() override
    {
        CASampleDesignLibrary::waitForContent();
        QFile::remove(settingsFolder);
        if (movedAside)
            QDir().rename(settingsFolder + u".kept"_s, settingsFolder);
        for (QWidget *box : notKeptBoxes())
            box->close();
        for (const QString &folder : {u"ClipArt"_s, u"BasicShapes"_s, u"Masks"_s, u"Parcelwick/Templates/en.lproj"_s})
            CAEnvironment::setInstalledStandIn(folder, QString());
        CommandLineStartFixture::TearDown();
        PWUserDefaults::standardUserDefaults().synchronize();
    }
    static QList<QMessageBox *> notKeptBoxes()
    {
        QList<QMessageBox *> boxes;
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (auto *box = qobject_cast<QMessageBox *>(widget);
                box && box->objectName() == u"_settingsNotSaved"_s && box->isVisible())
                boxes.append(box);
        return boxes;
    }

    QString settingsFolder;
    bool movedAside = false;
};

TEST_F(UnwritableHomeStartTest, TheInstalledLibraryIsOfferedAndOneWindowSaysWhatWasNotKept)
{
    int designRows = -1;
    inAssistant = [&designRows] {
        // The copy has failed by now; its word reaches the windows through the event loop.
        CASampleDesignLibrary::waitForContent();
        QCoreApplication::processEvents();
        CAAssistantController &wizard = CAAssistantController::sharedWizard();
        auto *kind = wizard.window()->findChild<QRadioButton *>(u"_kindEnvelope"_s);
        ASSERT_NE(kind, nullptr);
        QTest::mouseClick(kind, Qt::LeftButton, {}, QPoint(8, kind->height() / 2));
        QTest::mouseClick(wizard.nextButton(), Qt::LeftButton);
        designRows = wizard.window()->findChild<QTableWidget *>(u"_designTableView"_s)->rowCount();
    };
    startWith({});
    ASSERT_EQ(assistantsShown, 1);
    EXPECT_GT(designRows, 0) << "the assistant lists no designs";

    start->controller()->panels().show(CAFloatingPanels::DesignWindow);
    QCoreApplication::processEvents();
    CCPictBrowserView *clipArt = nullptr;
    for (QWidget *widget : QApplication::allWidgets())
        if (auto *pane = qobject_cast<CCPictBrowserView *>(widget))
            clipArt = pane;
    ASSERT_NE(clipArt, nullptr);
    EXPECT_GT(clipArt->popupTitles().size(), 1);
    EXPECT_GT(clipArt->catalog()->countImages(), 0) << "the clip-art pane is empty";

    const QList<QMessageBox *> boxes = notKeptBoxes();
    ASSERT_EQ(boxes.size(), 1);
    const QString told = boxes.first()->text();
    EXPECT_TRUE(told.contains(u"could not save"_s)) << qPrintable(told);
    EXPECT_TRUE(told.contains(u"the sample designs"_s)) << qPrintable(told);
    EXPECT_TRUE(told.contains(u"the clip art"_s)) << qPrintable(told);
    EXPECT_TRUE(boxes.first()->informativeText().contains(u"installed with Parcelwick"_s));
}

} // namespace
