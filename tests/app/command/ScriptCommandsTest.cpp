// The commands a script sends to the running instance, carried out on real documents with their
// windows: imports into a design's own persons, prints into PDF files, the print sheet, blank
// designs, the assistant and the import progress.
#include "../shell/ShellTestSupport.h"

#include "app/command/CAInstanceDoor.h"
#include "app/command/CAScriptCommands.h"
#include "app/contacts/CAImportWorker.h"
#include "app/printsheet/CAPrintViewController.h"
#include "app/shell/CAPrintCommands.h"
#include "kernel/merge/CALabelPrintingView.h"
#include "kernel/printing/CALabelSheetLayout.h"
#include "platform/PWPersonProperties.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/printing/CAEnvironmentLayout.h"
#include "kernel/printing/CATemplateFormat.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QEventLoop>
#include <QJsonArray>
#include <QPrinter>
#include <QTimer>

#include <poppler-qt6.h>

#include <atomic>
#include <numeric>
#include <thread>

namespace {

QByteArray numberedVCards(int first, int count)
{
    QByteArray bytes;
    for (int i = first; i < first + count; ++i) {
        bytes += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Person" + QByteArray::number(i) + ";Alex;;;\r\nFN:Alex Person" +
                 QByteArray::number(i) + "\r\nADR;TYPE=WORK:;;" + QByteArray::number(100 + i) +
                 " Main St;Springfield;IL;62701;USA\r\nEND:VCARD\r\n";
    }
    return bytes;
}

// The last names "PersonN" of a PDF, in page and reading order, and its page count.
struct PdfNames
{
    int pages = -1;
    std::vector<int> names;
};

PdfNames namesIn(const QString &pdf)
{
    PdfNames result;
    const std::unique_ptr<Poppler::Document> document = Poppler::Document::load(pdf);
    if (!document)
        return result;
    result.pages = document->numPages();
    for (int page = 0; page < document->numPages(); ++page) {
        std::vector<std::pair<QPointF, int>> found;
        for (const std::unique_ptr<Poppler::TextBox> &box : document->page(page)->textList()) {
            if (box->text().startsWith(u"Person"_s))
                found.emplace_back(box->boundingBox().topLeft(), box->text().mid(6).toInt());
        }
        std::sort(found.begin(), found.end(), [](const auto &a, const auto &b) {
            return std::abs(a.first.y() - b.first.y()) > 2.0 ? a.first.y() < b.first.y() : a.first.x() < b.first.x();
        });
        for (const auto &item : found)
            result.names.push_back(item.second);
    }
    return result;
}

QString status(const QJsonObject &answer)
{
    return answer.value(u"status"_s).toString();
}

class ScriptCommandsTest : public shelltest::Test
{
public:
    void SetUp() override
    {
        shelltest::Test::SetUp();
        launch(1);
        commands = std::make_unique<CAScriptCommands>(*controller);
        installPrintCommands();
        setPrinterNamesSource([] { return QStringList(); });
        CAPrintViewController::setPrinterDestination([this](QPrinter &printer) {
            ++directPrints;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path(u"printed.pdf"_s));
        });
        CAPrintViewController::setPrinterSetup([this](QPrinter &printer, QWidget *) {
            ++dialogPrints;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path(u"dialog.pdf"_s));
            return true;
        });
    }

    void TearDown() override
    {
        CAPrintViewController::setPrinterDestination([](QPrinter &) {});
        CAPrintViewController::setPrinterSetup([](QPrinter &, QWidget *) { return false; });
        CAPrintViewController::setPdfPathChooser([](QWidget *, const QString &) { return QString(); });
        commands.reset();
        shelltest::Test::TearDown();
    }

    // A design of the kind on its default layout with an address panel that prints the names.
    QString writeDesign(const QString &name, documentType kind = dtLabel, bool dropGrid = false)
    {
        const std::shared_ptr<CATemplateFormat> layout = defaultLayout(kind);
        if (!layout)
            return QString();
        CATemplateFormat applied = *layout;
        if (dropGrid) {
            applied.setColumns(0);
            applied.setRows(0);
        }
        CADocument document;
        document.setLayoutArangeComponents(applied, false);
        const std::unique_ptr<CAddressFormat> format =
            CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
                u"Name+Company"_s, u"us"_s, true, CAddressFormatController::kBarcodeBelow);
        auto panel = std::make_unique<CFTAAddressPanel>(true, format.get(), nullptr, false);
        panel->SetOrigin(8.0, 6.0);
        document.ftDocument()->AddObject(panel.release(), 0, false);
        const QString file = path(name);
        return document.writeToFile(file) ? file : QString();
    }

    QJsonObject run(QJsonObject command) { return commands->execute(command, folder.path()); }

    std::shared_ptr<CAOpenDocument> opened(const QString &file)
    {
        for (const auto &record : manager().documents())
            if (record->filePath == file)
                return record;
        return nullptr;
    }

    std::unique_ptr<CAScriptCommands> commands;
    int directPrints = 0;
    int dialogPrints = 0;
};

TEST_F(ScriptCommandsTest, TypeCodesPickLayoutCategoryAndKind)
{
    const struct
    {
        QString code;
        QString layout;
        QString category;
        documentType kind;
    } cases[] = {
        {u"ral"_s, u"11"_s, u"Return Address Labels"_s, dtLabel},
        {u"adr"_s, u"11"_s, u"Address Labels"_s, dtLabel},
        {u"shp"_s, u"11"_s, u"Shipping Labels"_s, dtLabel},
        {u"enp"_s, u"12"_s, QString(), dtEnvelope},
        {u"mps"_s, u"13"_s, QString(), dtPostcard},
        {u"SHP"_s, QString(), QString(), dtLabel},
        {QString(), QString(), QString(), dtLabel},
    };
    for (const auto &c : cases) {
        const CAScriptCommands::TypeCode type = CAScriptCommands::typeCode(c.code);
        EXPECT_EQ(type.layout, c.layout) << qPrintable(c.code);
        EXPECT_EQ(type.category, c.category) << qPrintable(c.code);
        EXPECT_EQ(type.kind, c.kind) << qPrintable(c.code);
    }
}

TEST_F(ScriptCommandsTest, ImportReplacesOrAppendsAndReadsUpperCaseVcfAsVCard)
{
    CADocument document;
    ASSERT_TRUE(pwtest::writeFile(path(u"three.VCF"_s), numberedVCards(0, 3)));
    ASSERT_TRUE(pwtest::writeFile(path(u"two.vcf"_s), numberedVCards(10, 2)));
    ASSERT_TRUE(pwtest::writeFile(path(u"rows.txt"_s), "First Name\tLast Name\nAnna\tRow1\nBen\tRow2\n"));
    QString reason;
    ASSERT_TRUE(CAScriptCommands::importContacts(document, path(u"three.VCF"_s), false,
                                                 CAScriptCommands::ContactFormat::ByExtension, &reason))
        << qPrintable(reason);
    ASSERT_TRUE(document.personList());
    ASSERT_EQ(document.personList()->size(), 3u);
    EXPECT_EQ(document.personList()->at(2)->valueForProperty(kPWLastNameProperty).toString(), u"Person2"_s);

    ASSERT_TRUE(CAScriptCommands::importContacts(document, path(u"two.vcf"_s), true,
                                                 CAScriptCommands::ContactFormat::ByExtension, &reason));
    ASSERT_EQ(document.personList()->size(), 5u);
    EXPECT_EQ(document.personList()->at(3)->valueForProperty(kPWLastNameProperty).toString(), u"Person10"_s);

    ASSERT_TRUE(CAScriptCommands::importContacts(document, path(u"rows.txt"_s), false,
                                                 CAScriptCommands::ContactFormat::ByExtension, &reason))
        << qPrintable(reason);
    EXPECT_EQ(document.personList()->size(), 2u);
    EXPECT_EQ(document.personList()->at(1)->valueForProperty(kPWLastNameProperty).toString(), u"Row2"_s);

    // A file that cannot be read, holds nobody, or whose columns give no name (which the batch
    // refuses) leaves the persons as they were.
    ASSERT_TRUE(pwtest::writeFile(path(u"empty.vcf"_s), QByteArray()));
    ASSERT_TRUE(pwtest::writeFile(path(u"nameless.csv"_s), "Street,City\r\n1 Elm St,Austin\r\n"));
    for (const QString &bad : {path(u"missing.vcf"_s), path(u"empty.vcf"_s), folder.path(), path(u"nameless.csv"_s)}) {
        reason.clear();
        EXPECT_FALSE(CAScriptCommands::importContacts(document, bad, false,
                                                      CAScriptCommands::ContactFormat::ByExtension, &reason));
        EXPECT_FALSE(reason.isEmpty()) << qPrintable(bad);
        EXPECT_EQ(document.personList()->size(), 2u) << qPrintable(bad);
    }
}

TEST_F(ScriptCommandsTest, ImportCommandTwiceDoublesTheListOfTheOpenedDesign)
{
    const QString design = writeDesign(u"design.pwdc"_s);
    ASSERT_FALSE(design.isEmpty());
    ASSERT_TRUE(pwtest::writeFile(path(u"cards.vcf"_s), numberedVCards(0, 4)));
    const QJsonObject import{{u"command"_s, u"importContacts"_s},
                             {u"file"_s, u"design.pwdc"_s},
                             {u"contacts"_s, u"cards.vcf"_s},
                             {u"append"_s, true}};
    EXPECT_EQ(status(run(import)), u"ok"_s);
    const QJsonObject second = run(import);
    EXPECT_EQ(second.value(u"persons"_s).toInt(), 8);
    const auto record = opened(design);
    ASSERT_TRUE(record);
    ASSERT_TRUE(record->window);
    EXPECT_EQ(record->document->personList()->size(), 8u);

    QJsonObject missing = import;
    missing.insert(u"contacts"_s, u"nowhere.vcf"_s);
    const QJsonObject failed = run(missing);
    EXPECT_EQ(status(failed), u"error"_s);
    EXPECT_TRUE(failed.value(u"message"_s).toString().contains(u"nowhere.vcf"_s));
    EXPECT_EQ(record->document->personList()->size(), 8u);
}

TEST_F(ScriptCommandsTest, PrintWithoutTheSheetPrintsEachPersonOrOneFullSheet)
{
    const QString design = writeDesign(u"design.pwdc"_s);
    ASSERT_FALSE(design.isEmpty());
    const std::shared_ptr<CATemplateFormat> layout = defaultLayout(dtLabel);
    const int perSheet = layout->Rows() * layout->Columns();
    ASSERT_GT(perSheet, 1);

    // No persons of its own: one full sheet of the design, from the first position.
    ASSERT_EQ(status(run({{u"command"_s, u"print"_s}, {u"file"_s, design}})), u"ok"_s);
    EXPECT_EQ(directPrints, 1);
    EXPECT_EQ(dialogPrints, 0);
    EXPECT_EQ(namesIn(path(u"printed.pdf"_s)).pages, 1);
    const auto record = opened(design);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->document->printSettings().copies, perSheet);
    EXPECT_EQ(record->document->printSettings().startFrom, 1);

    // Print-multiple without the sheet: the imported persons, in order, one each.
    const int persons = perSheet + 3;
    ASSERT_TRUE(pwtest::writeFile(path(u"cards.vcf"_s), numberedVCards(0, persons)));
    record->document->printSettings().startFrom = 5;
    const QJsonObject answer = run({{u"command"_s, u"printMultiple"_s},
                                    {u"file"_s, design},
                                    {u"contacts"_s, u"cards.vcf"_s},
                                    {u"showPreview"_s, false}});
    ASSERT_EQ(status(answer), u"ok"_s) << qPrintable(answer.value(u"message"_s).toString());
    const PdfNames printed = namesIn(path(u"printed.pdf"_s));
    EXPECT_EQ(printed.pages, 2);
    ASSERT_EQ(int(printed.names.size()), persons);
    for (int i = 0; i < persons; ++i)
        EXPECT_EQ(printed.names[i], i);
    EXPECT_EQ(record->document->printSettings().copies, persons);
}

TEST_F(ScriptCommandsTest, PostcardsAndEnvelopesPrintWithoutTheSheet)
{
    const struct
    {
        const char16_t *name;
        documentType kind;
        bool dropGrid;
    } cases[] = {
        {u"card-grid.pwdc", dtPostcard, false},
        {u"card-single.pwdc", dtPostcard, true},
        {u"envelope.pwdc", dtEnvelope, false},
    };
    for (const auto &c : cases) {
        const QString design = writeDesign(QString::fromUtf16(c.name), c.kind, c.dropGrid);
        ASSERT_FALSE(design.isEmpty());
        ASSERT_TRUE(pwtest::writeFile(path(u"two.vcf"_s), numberedVCards(0, 2)));
        QFile::remove(path(u"printed.pdf"_s));
        const QJsonObject answer = run({{u"command"_s, u"printMultiple"_s},
                                        {u"file"_s, design},
                                        {u"contacts"_s, u"two.vcf"_s}});
        ASSERT_EQ(status(answer), u"ok"_s) << qPrintable(answer.value(u"message"_s).toString());
        const PdfNames printed = namesIn(path(u"printed.pdf"_s));
        EXPECT_GE(printed.pages, 1) << qPrintable(design);
        EXPECT_EQ(printed.names, (std::vector<int>{0, 1})) << qPrintable(design);
    }
}

TEST_F(ScriptCommandsTest, PrintDialogOpensAfterTheAnswer)
{
    const QString design = writeDesign(u"design.pwdc"_s);
    ASSERT_EQ(status(run({{u"command"_s, u"printWithDialog"_s}, {u"file"_s, design}})), u"ok"_s);
    // The script has its answer before the dialog waits for the user.
    EXPECT_EQ(dialogPrints, 0);
    QTRY_COMPARE_WITH_TIMEOUT(dialogPrints, 1, pwtest::kEventWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(namesIn(path(u"dialog.pdf"_s)).pages, 1, pwtest::kEventWaitMs);
    EXPECT_EQ(directPrints, 0);
}

TEST_F(ScriptCommandsTest, PreviewShowsTheSheetWithTheDesignsOwnPersons)
{
    const QString design = writeDesign(u"design.pwdc"_s);
    ASSERT_TRUE(pwtest::writeFile(path(u"cards.vcf"_s), numberedVCards(0, 3)));
    ASSERT_EQ(status(run({{u"command"_s, u"preview"_s}, {u"file"_s, design}})), u"ok"_s);
    const auto record = opened(design);
    ASSERT_TRUE(record && record->window);
    auto *window = qobject_cast<CAMainWindowController *>(record->window.data());
    auto *sheet = window->findChild<CAPrintViewController *>();
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_FALSE(record->document->printSettings().personList);
    // One sheet at a time: a second preview is refused while the first is up.
    const QJsonObject again = run({{u"command"_s, u"preview"_s}, {u"file"_s, design}});
    EXPECT_EQ(status(again), u"error"_s);
    sheet->reject();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // Print-multiple with the sheet shows the imported persons on it.
    ASSERT_EQ(status(run({{u"command"_s, u"printMultiple"_s},
                          {u"contacts"_s, u"cards.vcf"_s},
                          {u"showPreview"_s, true}})),
              u"ok"_s);
    sheet = window->findChild<CAPrintViewController *>();
    ASSERT_NE(sheet, nullptr);
    ASSERT_TRUE(sheet->printView());
    ASSERT_TRUE(sheet->printView()->personList());
    EXPECT_EQ(sheet->printView()->personList()->size(), 3u);
    EXPECT_EQ(directPrints, 0);
    sheet->reject();
}

// The sheet a command shows prints the persons it lists: after print-multiple with the sheet, and
// after an import into the design followed by Ctrl+P in its window. Its Save as PDF holds one
// label for each of them.
TEST_F(ScriptCommandsTest, SheetOfImportedPersonsPrintsEachOfThem)
{
    const QString design = writeDesign(u"design.pwdc"_s);
    ASSERT_TRUE(pwtest::writeFile(path(u"five.vcf"_s), numberedVCards(0, 5)));
    ASSERT_TRUE(pwtest::writeFile(path(u"seven.vcf"_s), numberedVCards(10, 7)));
    // More persons than the copies field held before.
    ASSERT_TRUE(pwtest::writeFile(path(u"many.vcf"_s), numberedVCards(100, 10005)));
    CAPrintViewController::setPdfPathChooser([this](QWidget *, const QString &) { return path(u"saved.pdf"_s); });
    const auto savedNames = [this](CAPrintViewController *sheet) {
        QFile::remove(path(u"saved.pdf"_s));
        QTest::mouseClick(sheet->findChild<QPushButton *>(u"_exportButton"_s), Qt::LeftButton);
        return namesIn(path(u"saved.pdf"_s)).names;
    };
    const auto numbers = [](int first, int count) {
        std::vector<int> list(static_cast<std::size_t>(count));
        std::iota(list.begin(), list.end(), first);
        return list;
    };
    const struct
    {
        const char *name;
        std::function<void(CAMainWindowController *)> show;
        const char *people;
        std::vector<int> printed;
    } cases[] = {
        {"print-multiple with the sheet",
         [&](CAMainWindowController *) {
             EXPECT_EQ(status(run({{u"command"_s, u"printMultiple"_s}, {u"file"_s, design},
                                   {u"contacts"_s, u"five.vcf"_s}, {u"showPreview"_s, true}})),
                       u"ok"_s);
         },
         "5 people", numbers(0, 5)},
        {"an import, then Ctrl+P",
         [&](CAMainWindowController *window) {
             EXPECT_EQ(status(run({{u"command"_s, u"importContacts"_s}, {u"file"_s, design},
                                   {u"contacts"_s, u"seven.vcf"_s}})),
                       u"ok"_s);
             window->activateWindow();
             EXPECT_TRUE(QTest::qWaitForWindowActive(window));
             QTest::keyClick(window, Qt::Key_P, Qt::ControlModifier);
         },
         "7 people", numbers(10, 7)},
        {"print-multiple of a long list",
         [&](CAMainWindowController *) {
             EXPECT_EQ(status(run({{u"command"_s, u"printMultiple"_s}, {u"file"_s, design},
                                   {u"contacts"_s, u"many.vcf"_s}, {u"showPreview"_s, true}})),
                       u"ok"_s);
         },
         "10005 people", numbers(100, 10005)},
    };
    ASSERT_EQ(status(run({{u"command"_s, u"open"_s}, {u"file"_s, design}})), u"ok"_s);
    auto *window = qobject_cast<CAMainWindowController *>(opened(design)->window.data());
    ASSERT_NE(window, nullptr);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        c.show(window);
        CAPrintViewController *sheet = window->findChild<CAPrintViewController *>();
        ASSERT_NE(sheet, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet));
        EXPECT_EQ(sheet->findChild<QLabel *>(u"_peopleCountText"_s)->text(), QString::fromLatin1(c.people));
        EXPECT_EQ(sheet->findChild<QSpinBox *>(u"_copiesEdit"_s)->value(), int(c.printed.size()));
        const auto *layout = dynamic_cast<CALabelPrintingView *>(sheet->printView());
        ASSERT_NE(layout, nullptr);
        const int perPage = layout->sheet().itemsPerPage();
        EXPECT_EQ(sheet->findChild<QLabel *>(u"_pageCount"_s)->text().toInt(), (int(c.printed.size()) + perPage - 1) / perPage);
        // The long list's thousands of pages are not written out.
        if (c.printed.size() < 100) {
            EXPECT_EQ(savedNames(sheet), c.printed);
        }
        sheet->reject();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_EQ(directPrints, 0);
}

// A sheet command answers done only once its sheet is shown: not while a window holds the whole
// application (the assistant), where nothing is opened or imported; and a design's window that
// was minimised comes back with its sheet.
TEST_F(ScriptCommandsTest, SheetCommandsAnswerDoneOnlyWhenTheSheetIsShown)
{
    const QString design = writeDesign(u"design.pwdc"_s);
    ASSERT_TRUE(pwtest::writeFile(path(u"cards.vcf"_s), numberedVCards(0, 3)));
    const QJsonObject commandsToShow[] = {
        {{u"command"_s, u"preview"_s}, {u"file"_s, design}},
        {{u"command"_s, u"printMultiple"_s}, {u"file"_s, design}, {u"contacts"_s, u"cards.vcf"_s}, {u"showPreview"_s, true}},
    };
    for (const QJsonObject &command : commandsToShow) {
        SCOPED_TRACE(command.value(u"command"_s).toString().toStdString());
        QDialog assistant;
        assistant.setWindowTitle(u"Assistant"_s);
        QJsonObject answer;
        QTimer::singleShot(0, &assistant, [&] {
            answer = run(command);
            assistant.reject();
        });
        assistant.exec();
        EXPECT_EQ(status(answer), u"error"_s);
        EXPECT_TRUE(answer.value(u"message"_s).toString().contains(u"Assistant"_s)) << answer.value(u"message"_s).toString().toStdString();
        EXPECT_FALSE(opened(design)) << "the design was opened";
        const QWidgetList windows = QApplication::topLevelWidgets();
        EXPECT_TRUE(std::none_of(windows.begin(), windows.end(), [](QWidget *shown) {
            return qobject_cast<CAPrintViewController *>(shown) && shown->isVisible();
        }));
    }
    EXPECT_FALSE(opened(design));

    ASSERT_EQ(status(run({{u"command"_s, u"open"_s}, {u"file"_s, design}})), u"ok"_s);
    auto *window = qobject_cast<CAMainWindowController *>(opened(design)->window.data());
    ASSERT_NE(window, nullptr);
    window->showMinimized();
    ASSERT_EQ(status(run(commandsToShow[1])), u"ok"_s);
    EXPECT_FALSE(window->isMinimized());
    auto *sheet = window->findChild<CAPrintViewController *>();
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(sheet->isVisible());
    sheet->reject();
}

TEST_F(ScriptCommandsTest, BlankDocumentByTypeCode)
{
    const struct
    {
        QString code;
        documentType kind;
    } cases[] = {{u"enp"_s, dtEnvelope}, {u"mps"_s, dtPostcard}, {u"shp"_s, dtLabel}, {u"zzz"_s, dtLabel}};
    for (const auto &c : cases) {
        const qsizetype before = manager().documents().size();
        ASSERT_EQ(status(run({{u"command"_s, u"blankDocument"_s}, {u"withType"_s, c.code}})), u"ok"_s);
        ASSERT_EQ(manager().documents().size(), before + 1);
        const auto made = manager().documents().last();
        EXPECT_EQ(made->document->ftDocument()->getDocumentType(), c.kind) << qPrintable(c.code);
        EXPECT_TRUE(made->window && made->window->isVisible());
        EXPECT_FALSE(made->isEdited());
        // The kind's default paper without a window, the components where a new design has them:
        // not laid out again.
        CADocument expected(std::make_unique<CFTADocument>(c.kind, CDDString(u"us"_s), CDDString(u"us"_s)));
        CATemplateFormat layout = *defaultLayout(c.kind);
        layout.setHasWindow(false);
        expected.setLayoutArangeComponents(layout, false);
        expected.setDefTextSize();
        EXPECT_FALSE(CATemplateFormat::initFromDocument(*made->document->ftDocument()).hasWindow());
        const auto places = [](CADocument &document) {
            QList<QRectF> rects;
            for (CFTComponent *component : document.ftDocument()->GetComponents(0, false))
                if (component->getType() == ctAddressPanel)
                    rects.append(component->GetNSBoundRect());
            return rects;
        };
        EXPECT_EQ(places(*made->document), places(expected)) << qPrintable(c.code);
    }
}

TEST_F(ScriptCommandsTest, RefusesUnknownCommandsAndMissingArguments)
{
    const struct
    {
        QJsonObject command;
        const char16_t *status;
        const char16_t *message;
    } cases[] = {
        {{{u"command"_s, u"fly"_s}}, u"refused", u"fly"},
        {{{u"nothing"_s, 1}}, u"refused", u"no command"},
        {{{u"command"_s, u"open"_s}}, u"error", u"file"},
        {{{u"command"_s, u"open"_s}, {u"file"_s, u"absent.pwdc"_s}}, u"error", u"absent.pwdc"},
        {{{u"command"_s, u"importContacts"_s}}, u"error", u"contacts"},
        {{{u"command"_s, u"importContacts"_s}, {u"contacts"_s, u"a.vcf"_s}, {u"format"_s, u"xls"_s}}, u"error",
         u"format"},
        {{{u"command"_s, u"setCurrentImportingRecordIndex"_s}, {u"index"_s, -3}}, u"error", u"index"},
        {{{u"command"_s, u"assistant"_s}, {u"withType"_s, u"adr"_s}}, u"error", u"assistant"},
    };
    for (const auto &c : cases) {
        const QJsonObject answer = run(c.command);
        EXPECT_EQ(status(answer), QString::fromUtf16(c.status)) << qPrintable(QString::fromUtf16(c.message));
        EXPECT_TRUE(answer.value(u"message"_s).toString().contains(QString::fromUtf16(c.message)))
            << qPrintable(answer.value(u"message"_s).toString());
    }
}

// An import on the worker that reports until it is told to stop or released.
struct HeldImport
{
    std::atomic<bool> release{false};
    std::atomic<bool> stopped{false};
    bool finished = false;

    void launch(CAImportWorker &worker)
    {
        finished = false;
        release = false;
        stopped = false;
        QObject::connect(&worker, &CAImportWorker::finished, &worker, [this] { finished = true; },
                         Qt::SingleShotConnection);
        ASSERT_TRUE(worker.launch(u"Held"_s, [this](CAImportProgress &progress, QString *) -> std::optional<CAPersonList> {
            // A stop asked for before the release wins.
            for (;;) {
                if (progress.stopRequested.load()) {
                    stopped = true;
                    return std::nullopt;
                }
                if (release.load())
                    return CAPersonList();
                std::this_thread::yield();
            }
        }, [](const CAPersonList &) {}));
    }

    void end()
    {
        release = true;
        QElapsedTimer clock;
        clock.start();
        while (!finished && clock.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ASSERT_TRUE(finished);
    }
};

TEST_F(ScriptCommandsTest, ProgressCommandsChangeNothingWithoutAnImport)
{
    CAEnvironment &environment = CAEnvironment::sharedEnvironment();
    ASSERT_FALSE(CAImportWorker::shared().isRunning());
    environment.setImportRecordCount(3);
    environment.setCurrentImportRecordIndex(2);
    const struct
    {
        const char16_t *name;
        QJsonObject command;
    } cases[] = {
        {u"count", {{u"command"_s, u"setNumberOfImportingRecords"_s}, {u"count"_s, 40}}},
        {u"index", {{u"command"_s, u"setCurrentImportingRecordIndex"_s}, {u"index"_s, 7}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.name).toStdString());
        EXPECT_EQ(status(run(c.command)), u"ok"_s);
        EXPECT_EQ(environment.importRecordCount(), 3u);
        EXPECT_EQ(environment.currentImportRecordIndex(), 2u);
    }
}

// A terminate stops the import it was sent for; the next import starts afresh.
TEST_F(ScriptCommandsTest, TerminateStopsOneImportAndTheNextRunsOn)
{
    CAEnvironment &environment = CAEnvironment::sharedEnvironment();
    CAImportWorker &worker = CAImportWorker::shared();
    HeldImport import;
    import.launch(worker);
    ASSERT_EQ(status(run({{u"command"_s, u"setNumberOfImportingRecords"_s}, {u"count"_s, 40}})), u"ok"_s);
    EXPECT_EQ(environment.importRecordCount(), 40u);
    QJsonObject answer = run({{u"command"_s, u"setCurrentImportingRecordIndex"_s}, {u"index"_s, 7}});
    EXPECT_EQ(environment.currentImportRecordIndex(), 7u);
    ASSERT_TRUE(answer.contains(u"stop"_s));
    EXPECT_FALSE(answer.value(u"stop"_s).toBool());
    ASSERT_EQ(status(run({{u"command"_s, u"terminateScriptExecution"_s}})), u"ok"_s);
    answer = run({{u"command"_s, u"setCurrentImportingRecordIndex"_s}, {u"index"_s, 8}});
    EXPECT_TRUE(answer.value(u"stop"_s).toBool());
    import.end();
    EXPECT_TRUE(import.stopped.load());

    // Two more imports, neither stopped by the terminate sent for the first.
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        import.launch(worker);
        EXPECT_FALSE(environment.isTerminateScriptExecutionFlag());
        answer = run({{u"command"_s, u"setCurrentImportingRecordIndex"_s}, {u"index"_s, 1}});
        EXPECT_FALSE(answer.value(u"stop"_s).toBool());
        import.end();
        EXPECT_FALSE(import.stopped.load());
        EXPECT_FALSE(worker.lastImportFailed());
    }
}

// The commands arrive through the door as a script sends them, each answered on its line.
TEST_F(ScriptCommandsTest, CommandsThroughTheDoorAreAnsweredWithTheirStatus)
{
    const QString name = folder.filePath(u"door"_s);
    CAInstanceServer server(name);
    ASSERT_TRUE(server.listen());
    server.setHandler([this](const QJsonObject &message, const CAInstanceServer::Reply &reply) {
        reply(commands->execute(message));
    });
    const auto send = [&](const QJsonObject &message) {
        std::optional<QJsonObject> answer;
        std::atomic<bool> done{false};
        std::thread client([&] {
            answer = CAInstanceClient::send(name, message, 5000);
            done = true;
        });
        QElapsedTimer clock;
        clock.start();
        while (!done && clock.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        client.join();
        return answer.value_or(QJsonObject());
    };
    const QString design = writeDesign(u"design.pwdc"_s);
    EXPECT_EQ(status(send({{u"command"_s, u"open"_s}, {u"file"_s, u"design.pwdc"_s}, {u"cwd"_s, folder.path()}})),
              u"ok"_s);
    EXPECT_TRUE(opened(design));
    const QJsonObject refused = send({{u"command"_s, u"explode"_s}});
    EXPECT_EQ(status(refused), u"refused"_s);
}

// A stand-in for the assistant's modal run: a nested event loop that the stop ends, recording
// how deeply runs were nested.
struct FakeAssistant
{
    QEventLoop *loop = nullptr;
    int depth = 0;
    int deepest = 0;
    QStringList shown;
    // What a run answers once the user is done with it; nothing keeps it up until it is stopped.
    std::function<std::optional<CAScriptCommands::AssistantRun>(int run)> finish;

    CAScriptCommands::Assistant hook()
    {
        return {[this](const QString &layout, const QString &category) {
                    shown.append(layout + u'/' + category);
                    const int run = int(shown.size());
                    ++depth;
                    deepest = std::max(deepest, depth);
                    std::optional<CAScriptCommands::AssistantRun> finished;
                    QEventLoop modal;
                    loop = &modal;
                    QTimer::singleShot(50, &modal, [&] {
                        finished = finish ? finish(run) : std::nullopt;
                        if (finished)
                            modal.exit(finished->code);
                    });
                    const int code = modal.exec();
                    loop = nullptr;
                    --depth;
                    if (finished)
                        return std::move(*finished);
                    CAScriptCommands::AssistantRun ended;
                    ended.code = code;
                    return ended;
                },
                [this] { return loop != nullptr; },
                [this](int code) {
                    if (loop)
                        loop->exit(code);
                }};
    }
};

TEST_F(ScriptCommandsTest, AssistantWhileRunningEndsTheRunThenShowsAgainUnnested)
{
    FakeAssistant assistant;
    // The first run waits for the user; the second finishes with a new design.
    assistant.finish = [](int run) -> std::optional<CAScriptCommands::AssistantRun> {
        if (run == 1)
            return std::nullopt;
        CAScriptCommands::AssistantRun result;
        result.code = CADocumentController::Finish;
        CADocumentController::prepareDocument(dtEnvelope);
        result.document = std::make_unique<CADocument>();
        return result;
    };
    commands->setAssistant(assistant.hook());
    const qsizetype before = manager().documents().size();
    // A second request arrives while the first run is up, as a script's would through the door.
    QJsonObject second;
    bool firstWasUp = false;
    QTimer::singleShot(300, commands.get(), [&] {
        firstWasUp = assistant.loop != nullptr;
        second = run({{u"command"_s, u"assistant"_s}, {u"withType"_s, u"enp"_s}});
    });
    ASSERT_EQ(status(run({{u"command"_s, u"assistant"_s}, {u"withType"_s, u"shp"_s}})), u"ok"_s);
    QTRY_COMPARE_WITH_TIMEOUT(assistant.shown.size(), 2, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(!commands->assistantPending(), pwtest::kEventWaitMs);
    EXPECT_TRUE(firstWasUp);
    EXPECT_EQ(status(second), u"ok"_s);
    EXPECT_EQ(assistant.deepest, 1) << "the assistant ran inside its own run";
    EXPECT_EQ(assistant.shown, (QStringList{u"11/Shipping Labels"_s, u"12/"_s}));
    // The ended run made nothing; the second one's design is there, edited.
    ASSERT_EQ(manager().documents().size(), before + 1);
    EXPECT_TRUE(manager().documents().last()->isEdited());
    EXPECT_EQ(manager().documents().last()->document->ftDocument()->getDocumentType(), dtEnvelope);
}

TEST_F(ScriptCommandsTest, AssistantRecentDocumentOpensThatFile)
{
    const QString design = writeDesign(u"recent.pwdc"_s);
    FakeAssistant assistant;
    assistant.finish = [design](int) -> std::optional<CAScriptCommands::AssistantRun> {
        CAScriptCommands::AssistantRun result;
        result.code = CADocumentController::Recent;
        result.recentDocumentPath = design;
        return result;
    };
    commands->setAssistant(assistant.hook());
    ASSERT_EQ(status(run({{u"command"_s, u"assistant"_s}})), u"ok"_s);
    QTRY_VERIFY_WITH_TIMEOUT(opened(design) != nullptr, pwtest::kEventWaitMs);
    EXPECT_EQ(assistant.shown, QStringList{u"/"_s});
    EXPECT_TRUE(opened(design)->window);
    EXPECT_FALSE(opened(design)->isEdited());
}

} // namespace
