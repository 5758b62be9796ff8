// The print-list name of a design whose persons a script imported: the print sheet shows those
// persons, no shared list, and the design keeps no list's name when the sheet ends; a design
// without imported persons keeps the name it had.
#include "../shell/ShellTestSupport.h"
#include "ProgramRunSupport.h"

#include "app/command/CAScriptCommands.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/printsheet/CAPrintViewController.h"
#include "app/shell/CAPrintCommands.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWPlist.h"

#include <QAction>
#include <QPrinter>
#include <QPushButton>

#include <optional>

namespace {

class ScriptImportListNameTest : public shelltest::Test
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
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path(u"printed.pdf"_s));
        });
        CAPrintViewController::setPrinterSetup([this](QPrinter &printer, QWidget *) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path(u"printed.pdf"_s));
            return true;
        });
    }

    void TearDown() override
    {
        CAPrintViewController::setPrinterDestination([](QPrinter &) {});
        CAPrintViewController::setPrinterSetup([](QPrinter &, QWidget *) { return false; });
        commands.reset();
        shelltest::Test::TearDown();
    }

    std::unique_ptr<CAScriptCommands> commands;
};

TEST_F(ScriptImportListNameTest, TheSheetsEndClearsTheNameOfADesignWithImportedPersonsOnly)
{
    enum class End { Cancel, Print };
    const struct
    {
        const char *name;
        bool imported;
        bool fromListMenu; // the print command asks for the print list
        End end;
        std::optional<QString> after;
    } cases[] = {
        {"imported, Cancel", true, false, End::Cancel, std::nullopt},
        {"imported, list asked for, Print", true, true, End::Print, std::nullopt},
        {"not imported, own address, Cancel", false, false, End::Cancel, u"Family"_s},
        {"not imported, own address, Print", false, false, End::Print, u"Family"_s},
        {"not imported, list asked for, Print", false, true, End::Print, u"Family"_s},
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
    ASSERT_TRUE(pwtest::writeFile(path(u"cards.vcf"_s), "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Person;Alex;;;\r\n"
                                                        "FN:Alex Person\r\nADR;TYPE=WORK:;;1 Main St;Springfield;"
                                                        "IL;62701;USA\r\nEND:VCARD\r\n"));
    int row = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString design = u"design%1.pwdc"_s.arg(++row);
        QString error;
        ASSERT_TRUE(commandtest::writeAddressDesign(path(design), &error)) << qPrintable(error);
        std::shared_ptr<CAOpenDocument> record;
        if (c.imported) {
            const QJsonObject answer = commands->execute(
                {{u"command"_s, u"importContacts"_s}, {u"file"_s, design}, {u"contacts"_s, u"cards.vcf"_s}},
                folder.path());
            ASSERT_EQ(answer.value(u"status"_s).toString(), u"ok"_s);
            for (const auto &open : manager().documents())
                if (open->filePath == path(design))
                    record = open;
        } else {
            record = manager().openDocument(path(design));
        }
        ASSERT_TRUE(record && record->window);
        auto *window = qobject_cast<CAMainWindowController *>(record->window.data());
        ASSERT_NE(window, nullptr);
        ASSERT_EQ(window->document()->personList().has_value(), c.imported);
        window->document()->setPrintListName(u"Family"_s);

        QAction tagged;
        tagged.setData(1);
        window->performAction(u"printDocument"_s, c.fromListMenu ? &tagged : nullptr);
        auto *sheet = window->findChild<CAPrintViewController *>();
        ASSERT_NE(sheet, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet));
        QCoreApplication::processEvents();
        QTest::mouseClick(sheet->findChild<QPushButton *>(c.end == End::Print ? u"_printButton"_s : u"_closeButton"_s),
                          Qt::LeftButton);
        EXPECT_FALSE(sheet->isVisible());
        EXPECT_EQ(window->document()->getPrintListName(), c.after);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

} // namespace
