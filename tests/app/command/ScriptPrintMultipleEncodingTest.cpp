// The window's print of short contacts files of real names in each weighed 8-bit code page, as a
// user gets it (print-multiple with the sheet): a file whose letters decide is on the sheet as
// written, the sheet saying what the batch says of it; a file whose letters read as words in
// several encodings opens the text import dialog, where the user picks a reading of the names
// and the sheet then lists the names as written, with nothing said of the encoding.
#include "../shell/ShellTestSupport.h"
#include "../contacts/EightBitNamesSupport.h"
#include "ProgramRunSupport.h"

#include "app/command/CAScriptCommands.h"
#include "app/contacts/CAContactImportHooks.h"
#include "app/contacts/CATextImportDialog.h"
#include "app/printsheet/CAPrintViewController.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/merge/CAPrintingView.h"
#include "kernel/printing/CAEnvironmentLayout.h"
#include "kernel/printing/CATemplateFormat.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QJsonArray>
#include <QStringEncoder>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

using namespace eightbittest;

class ScriptPrintMultipleEncodingTest : public shelltest::Test
{
public:
    void SetUp() override
    {
        shelltest::Test::SetUp();
        launch(1);
        commands = std::make_unique<CAScriptCommands>(*controller);
        savedConfirm = CAContactImportHooks::shared().confirmTextImport;
        CAContactImportHooks::shared().confirmTextImport = &CATextImportDialog::confirm;
    }

    void TearDown() override
    {
        CAContactImportHooks::shared().confirmTextImport = savedConfirm;
        commands.reset();
        shelltest::Test::TearDown();
    }

    // A label design on the default layout whose address panel prints the names.
    QString writeNamesDesign()
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
        const QString file = path(u"names.pwdc"_s);
        return document.writeToFile(file) ? file : QString();
    }

    CAMainWindowController *windowOfFile(const QString &file)
    {
        for (const auto &record : manager().documents())
            if (record->filePath == file)
                return qobject_cast<CAMainWindowController *>(record->window.data());
        return nullptr;
    }

    std::unique_ptr<CAScriptCommands> commands;
    std::function<bool(CADelimitedText &, const CATextImportOptions &, QWidget *)> savedConfirm;
};

// In the dialog, as a user does: the encoding pop-up stepped with the arrow keys to the first
// reading it offers that the toolkit's converter reads the names by as written, then Import.
void chooseInDialog(CATextImportDialog &dialog, const NamesFile &file, QString *chosen)
{
    auto *encodings = dialog.findChild<QComboBox *>(u"_encodingButton"_s);
    if (!encodings)
        return;
    int wanted = -1;
    for (int i = 0; i < encodings->count() && wanted < 0; ++i) {
        const std::optional<quint32> offered = CATextEncodings::fromName(encodings->itemText(i));
        if (offered && CATextEncodings::weighedEncodings().contains(*offered)
            && decodedIn(CATextEncodings::name(*offered), file.bytes).section(u'\n', 1) == file.text()) {
            wanted = i;
            *chosen = encodings->itemText(i);
        }
    }
    encodings->setFocus();
    for (int step = 0; wanted >= 0 && encodings->currentIndex() != wanted && step < encodings->count(); ++step)
        QTest::keyClick(encodings, encodings->currentIndex() < wanted ? Qt::Key_Down : Qt::Key_Up);
    auto *buttons = dialog.findChild<QDialogButtonBox *>(u"buttonBox"_s);
    QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

TEST_F(ScriptPrintMultipleEncodingTest, TheSheetListsTheNamesAsWrittenAskingWhenTheLettersDoNotDecide)
{
    const QString design = writeNamesDesign();
    ASSERT_FALSE(design.isEmpty());
    // Of each weighed code page, the file of one person of its first language.
    std::vector<NamesFile> files;
    for (const NamesFile &file : namesFiles()) {
        if (file.persons.size() == 1
            && std::none_of(files.cbegin(), files.cend(), [&](const NamesFile &other) { return other.codePage == file.codePage; }))
            files.push_back(file);
    }
    ASSERT_EQ(files.size(), std::size_t(CATextEncodings::weighedEncodings().size()));
    // And the first file of one person whose letters read as words in several encodings under
    // the C locale: the one the dialog is asked for.
    {
        const LocaleScope scope(u"C"_s);
        const std::vector<NamesFile> all = namesFiles();
        const auto undecided = std::find_if(all.cbegin(), all.cend(), [](const NamesFile &file) {
            return file.persons.size() == 1 && !CADelimitedText(file.bytes).decidedByLetters();
        });
        ASSERT_NE(undecided, all.cend());
        files.push_back(*undecided);
    }
    int asked = 0;
    for (const NamesFile &file : files) {
        SCOPED_TRACE(qPrintable(file.name()));
        const LocaleScope scope(u"C"_s);
        ASSERT_TRUE(pwtest::writeFile(path(file.name()), file.bytes));
        const CADelimitedText read(file.bytes);
        bool dialogShown = false;
        QString chosen;
        QTimer watch;
        watch.setInterval(5);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            for (QWidget *shown : QApplication::topLevelWidgets()) {
                auto *dialog = qobject_cast<CATextImportDialog *>(shown);
                if (dialog && dialog->isVisible() && !dialogShown) {
                    dialogShown = true;
                    watch.stop();
                    chooseInDialog(*dialog, file, &chosen);
                }
            }
        });
        watch.start();
        const QJsonObject answer = commands->execute({{u"command"_s, u"printMultiple"_s},
                                                      {u"file"_s, design},
                                                      {u"contacts"_s, file.name()},
                                                      {u"showPreview"_s, true}},
                                                     folder.path());
        ASSERT_EQ(answer.value(u"status"_s).toString(), u"ok"_s) << qPrintable(answer.value(u"message"_s).toString());
        CAPrintViewController *sheet = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((sheet = windowOfFile(design) ? windowOfFile(design)->findChild<CAPrintViewController *>() : nullptr)
                                     && sheet->isVisible(),
                                 pwtest::kEventWaitMs);
        // The dialog comes exactly when the letters read as words in more than one encoding,
        // and offers a reading of the names as written.
        EXPECT_EQ(dialogShown, !read.decidedByLetters());
        if (dialogShown) {
            ++asked;
            EXPECT_FALSE(chosen.isEmpty());
        }
        ASSERT_TRUE(sheet->printView() && sheet->printView()->personList());
        QStringList listed;
        for (const auto &person : *sheet->printView()->personList())
            listed.append(person->stringForProperty(kPWFirstNameProperty) + u',' + person->stringForProperty(kPWLastNameProperty));
        QStringList written;
        for (const QString &person : file.persons)
            written.append(person.section(u',', 0, 1));
        EXPECT_EQ(listed, written);
        // The sheet says what the batch says of a file read by its letters, the file's name as
        // given and each sentence ended once; of an encoding the user chose it says nothing.
        // The notes come with the preview's first drawing: the design shows fields no column gives.
        const QLabel *noteLabel = sheet->findChild<QLabel *>(u"_fitNote"_s);
        QTRY_VERIFY_WITH_TIMEOUT(!noteLabel->text().isEmpty(), pwtest::kEventWaitMs);
        const QString notes = noteLabel->text();
        if (dialogShown) {
            EXPECT_FALSE(notes.contains(u"not UTF-8"_s)) << qPrintable(notes);
        } else {
            EXPECT_TRUE(notes.contains(file.name() + u": "_s + read.notes().value(0))) << qPrintable(notes);
            EXPECT_FALSE(notes.contains(u".."_s)) << qPrintable(notes);
        }
        sheet->reject();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_GT(asked, 0);
}

// An import into a design says what a batch print of the same file says of its reading, line for
// line, for the start that asked to print it.
TEST_F(ScriptPrintMultipleEncodingTest, AnImportSaysTheNotesTheBatchSays)
{
    const QString design = writeNamesDesign();
    ASSERT_FALSE(design.isEmpty());
    const LocaleScope scope(u"C"_s);
    const QStringList files = {u"people.csv"_s, u"shops.csv"_s};
    ASSERT_TRUE(pwtest::writeFile(path(files[0]), "First Name,Last Name,City,Shoe Size\n"
                                                      + QStringEncoder("windows-1251").encode(u"Иван,Петров,Москва,42\n"_s)));
    ASSERT_TRUE(pwtest::writeFile(path(files[1]), "First Name,Last Name,City,Country Code\n"
                                                      + QStringEncoder("windows-1252").encode(u"Ana,€uro Markt,Köln,+49\n"_s)));
    for (const QString &file : files) {
        SCOPED_TRACE(qPrintable(file));
        const commandtest::ProgramRun batch = commandtest::runProgram(
            {u"--print"_s, design, u"--contacts"_s, path(file), u"--output"_s, path(u"out.pdf"_s)});
        ASSERT_EQ(batch.status, 0) << qPrintable(batch.err);
        QStringList said;
        for (const QString &line : batch.err.split(u'\n')) {
            if (line.startsWith(u"parcelwick: "_s + file))
                said.append(line.mid(int(qstrlen("parcelwick: "))));
        }
        ASSERT_GE(said.size(), 2) << qPrintable(batch.err);
        const QJsonObject answer =
            commands->execute({{u"command"_s, u"importContacts"_s}, {u"file"_s, design}, {u"contacts"_s, file}}, folder.path());
        ASSERT_EQ(answer.value(u"status"_s).toString(), u"ok"_s) << qPrintable(answer.value(u"message"_s).toString());
        QStringList notes;
        for (const QJsonValue &note : answer.value(u"notes"_s).toArray())
            notes.append(note.toString());
        EXPECT_EQ(notes, said);
    }
}

} // namespace
