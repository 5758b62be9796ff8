// Text with a name and an address made into a document: the File menu's "... from Text" commands
// take the clipboard, choose or make the document that receives the address, show the
// confirmation sheet on its window and make the confirmed person its recipient. The command line
// does the same with the text it is given.
#include "ShellTestSupport.h"

#include "app/contacts/CAServiceDialogController.h"
#include "app/shell/CADocumentServices.h"
#include "app/shell/CACanvasCommands.h"
#include "app/shell/CAChangeLayoutSheet.h"
#include "platform/PWUndoManager.h"
#include "app/shell/CAMainMenu.h"
#include "kernel/render/CDDText.h"
#include "kernel/component/CFTComponent.h"
#include "platform/PWMultiValue.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWPlist.h"

#include <QClipboard>
#include <QCommandLineParser>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>

namespace {

const QString kAddress = u"Mary Ann Baker\nAcme Widgets\n1200 Harbor Boulevard\nSpringfield, IL 62704\nUSA"_s;

class CADocumentServicesTest : public shelltest::Test
{
public:
    void SetUp() override
    {
        shelltest::Test::SetUp();
        QGuiApplication::clipboard()->setText(kAddress);
    }

    // Sends the command the way the menu does.
    void trigger(const char *action)
    {
        QAction *item = controller->mainMenu().itemForAction(QString::fromLatin1(action));
        ASSERT_NE(item, nullptr) << action;
        controller->mainMenu().validate();
        ASSERT_TRUE(item->isEnabled()) << action;
        item->trigger();
    }

    // What the user does with the sheet once it is up: correct the street and press a button.
    void answerSheet(bool confirm, const QString &street = QString())
    {
        QTimer::singleShot(0, [this, confirm, street] {
            auto *sheet = qobject_cast<CAServiceDialogController *>(QApplication::activeModalWidget());
            ASSERT_NE(sheet, nullptr);
            ++sheetsShown;
            sheetParent = sheet->parentWidget();
            editedWhenShown = parentRecordEdited();
            shownLastName = sheet->field(kPersonLastNameKey)->text();
            if (!street.isEmpty()) {
                QLineEdit *field = sheet->field(kPersonStreetKey);
                field->selectAll();
                QTest::keyClicks(field, street);
            }
            QTest::mouseClick(sheet->findChild<QPushButton *>(confirm ? u"okButton"_s : u"cancelButton"_s),
                              Qt::LeftButton);
        });
    }

    bool parentRecordEdited()
    {
        const auto record = manager().recordForWindow(sheetParent);
        return record && record->isEdited();
    }

    std::shared_ptr<CAOpenDocument> last() { return manager().documents().last(); }
    documentType kindOf(const std::shared_ptr<CAOpenDocument> &record) { return record->document->docType(); }

    static QString recipientStreet(const CAOpenDocument &record)
    {
        const auto person = record.document->currentPerson(true);
        if (!person || !person->multiValueForProperty(kPWAddressProperty))
            return u"(none)"_s;
        return person->multiValueForProperty(kPWAddressProperty)->valueAtIndex(0).value(kPWAddressStreetKey).toString();
    }
    // The text of the design's recipient field of the category, where the design has one.
    static std::optional<QString> recipientField(const CAOpenDocument &record, textCategory category)
    {
        for (CFTComponent *component : record.document->ftDocument()->GetComponents(0, false)) {
            if (!component->GetToFrom())
                continue;
            if (CFTComponent *field = component->GetObjectForTextCategory(category); field && field->GetText())
                return field->GetText()->getString();
        }
        return std::nullopt;
    }

    // An assistant that counts its runs and ends with the code given, making an envelope for
    // the codes that make a document (unless told to make none).
    void installAssistant(int code, bool makesDocument = true)
    {
        controller->setAssistant([this, code, makesDocument](bool fromService) {
            ++assistantRuns;
            assistantFromService = fromService;
            CADocumentController::AssistantResult result;
            result.code = code;
            if (makesDocument && code != CADocumentController::OpenExisting) {
                CADocumentController::prepareDocument(dtEnvelope);
                result.document = std::make_unique<CADocument>();
            }
            return result;
        });
    }

    int sheetsShown = 0;
    QPointer<QWidget> sheetParent;
    bool editedWhenShown = false;
    QString shownLastName;
    int assistantRuns = 0;
    bool assistantFromService = false;
};

TEST_F(CADocumentServicesTest, FileMenuCommandsNeedTextOnTheClipboard)
{
    launch(1);
    const struct
    {
        const char *action;
        QString title;
    } items[] = {
        {"newLabelWithText", u"New Label from Text"_s},
        {"newEnvelopeWithText", u"New Envelope from Text"_s},
        {"newFromAssistantWithText", u"New Assistant from Text"_s},
    };
    for (const auto &item : items) {
        QAction *action = controller->mainMenu().itemForAction(QString::fromLatin1(item.action));
        ASSERT_NE(action, nullptr) << item.action;
        EXPECT_EQ(action->text(), item.title);
        EXPECT_TRUE(controller->mainMenu().menu(u"File"_s)->actions().contains(action));
        QGuiApplication::clipboard()->clear();
        controller->mainMenu().validate();
        EXPECT_FALSE(action->isEnabled()) << item.action;
        // Text is offered, so the item is enabled; only choosing it reads it, and blank text
        // makes nothing.
        QGuiApplication::clipboard()->setText(u"  \n "_s);
        controller->mainMenu().validate();
        EXPECT_TRUE(action->isEnabled()) << item.action;
        const qsizetype open = manager().documents().size();
        action->trigger();
        EXPECT_EQ(manager().documents().size(), open) << item.action;
        QGuiApplication::clipboard()->setText(kAddress);
        controller->mainMenu().validate();
        EXPECT_TRUE(action->isEnabled()) << item.action;
    }
}

TEST_F(CADocumentServicesTest, LabelFromTextReusesTheUneditedUntitledLabel)
{
    launch(1);
    answerSheet(true, u"1201 Harbor Boulevard"_s);
    trigger("newLabelWithText");
    ASSERT_EQ(manager().documents().size(), 1);
    EXPECT_EQ(sheetsShown, 1);
    EXPECT_EQ(sheetParent, window(0));
    EXPECT_EQ(shownLastName, u"Baker"_s);
    // The confirmed address, corrected in the sheet, is the recipient and fills the design.
    EXPECT_EQ(recipientStreet(*last()), u"1201 Harbor Boulevard"_s);
    EXPECT_EQ(last()->document->currentPerson(true)->stringForProperty(kPWOrganizationProperty), u"Acme Widgets"_s);
    const std::optional<QString> street = recipientField(*last(), tcStreet);
    ASSERT_TRUE(street) << "the default label has a recipient panel";
    EXPECT_EQ(*street, u"1201 Harbor Boulevard"_s);
    EXPECT_EQ(recipientField(*last(), tcZIP).value_or(QString()), u"62704"_s);
    EXPECT_TRUE(last()->isEdited());
}

TEST_F(CADocumentServicesTest, SavedLabelIsReusedSavedEnvelopeIsNot)
{
    launch(1);
    savePath = path(u"label.pwdc"_s);
    ASSERT_TRUE(manager().saveDocumentAs(last()));
    answerSheet(true);
    trigger("newLabelWithText");
    EXPECT_EQ(manager().documents().size(), 1);
    EXPECT_EQ(recipientStreet(*last()), u"1200 Harbor Boulevard"_s);

    // A label asked for while a saved envelope is last: a new label, laid out and unedited until
    // the address arrives.
    controller->newDocument(1);
    savePath = path(u"envelope.pwdc"_s);
    ASSERT_TRUE(manager().saveDocumentAs(last()));
    answerSheet(true);
    trigger("newLabelWithText");
    ASSERT_EQ(manager().documents().size(), 3);
    EXPECT_EQ(kindOf(last()), dtLabel);
    EXPECT_EQ(sheetParent, last()->window.data());
    EXPECT_FALSE(editedWhenShown);
    EXPECT_EQ(recipientStreet(*last()), u"1200 Harbor Boulevard"_s);
    EXPECT_EQ(recipientStreet(*manager().documents()[1]), u"(none)"_s);
}

TEST_F(CADocumentServicesTest, EditedUntitledEnvelopeIsNeverReused)
{
    launch(2);
    manager().updateChangeCount(last(), 1);
    answerSheet(false);
    trigger("newEnvelopeWithText");
    ASSERT_EQ(manager().documents().size(), 2);
    EXPECT_EQ(kindOf(last()), dtEnvelope);
    EXPECT_FALSE(last()->isEdited());

    // The new envelope, untitled but unedited, is reused.
    answerSheet(true);
    QGuiApplication::clipboard()->setText(u"Tom Hartley\n14 Mill Lane\nOxford OX2 6QT\nUnited Kingdom"_s);
    trigger("newEnvelopeWithText");
    ASSERT_EQ(manager().documents().size(), 2);
    EXPECT_EQ(recipientStreet(*last()), u"14 Mill Lane"_s);
    EXPECT_EQ(recipientStreet(*manager().documents()[0]), u"(none)"_s);
    EXPECT_EQ(recipientField(*last(), tcZIP).value_or(QString()), u"OX2 6QT"_s);
}

TEST_F(CADocumentServicesTest, CancelledSheetLeavesTheDocumentAsItWasMade)
{
    launch(2);
    answerSheet(false);
    trigger("newLabelWithText");
    ASSERT_EQ(manager().documents().size(), 2);
    EXPECT_EQ(sheetsShown, 1);
    EXPECT_EQ(kindOf(last()), dtLabel);
    EXPECT_FALSE(last()->isEdited());
    EXPECT_EQ(recipientStreet(*last()), u"(none)"_s);
}

TEST_F(CADocumentServicesTest, StartUpAssistantDocumentReceivesTheFirstAssistantText)
{
    launch(1);
    installAssistant(CADocumentController::Finish);
    // The start-up as it runs when the assistant is the starting document.
    CADocumentController::resetLaunchState();
    PWUserDefaults::standardUserDefaults().setInteger(u"FTStartingDocument"_s, 0);
    controller->openUntitledDocument();
    ASSERT_EQ(assistantRuns, 1);
    ASSERT_EQ(manager().documents().size(), 2);
    EXPECT_FALSE(CADocumentController::runAssistantFlag());

    answerSheet(true);
    trigger("newFromAssistantWithText");
    EXPECT_EQ(assistantRuns, 1);
    ASSERT_EQ(manager().documents().size(), 2);
    EXPECT_EQ(recipientStreet(*last()), u"1200 Harbor Boulevard"_s);
    EXPECT_TRUE(CADocumentController::runAssistantFlag());

    // A second request runs the assistant again, from the service, and its document receives
    // the address.
    answerSheet(true);
    trigger("newFromAssistantWithText");
    EXPECT_EQ(assistantRuns, 2);
    EXPECT_TRUE(assistantFromService);
    ASSERT_EQ(manager().documents().size(), 3);
    EXPECT_EQ(kindOf(last()), dtEnvelope);
    EXPECT_EQ(sheetParent, last()->window.data());
    EXPECT_TRUE(editedWhenShown);
    EXPECT_EQ(recipientStreet(*last()), u"1200 Harbor Boulevard"_s);
}

// Whatever the assistant ends with, the address goes to a document: a cancelled assistant, an
// assistant that made nothing, and the codes that give no document all end in a default label
// with the sheet on its window.
TEST_F(CADocumentServicesTest, AssistantWithoutADocumentFallsBackToADefaultLabel)
{
    const struct
    {
        int code;
        bool makesDocument;
    } cases[] = {
        {CADocumentController::Cancelled, false},
        {CADocumentController::Finish, false},
        {CADocumentController::Blank, false},
        {CADocumentController::CreateAndPrint, true},
        {CADocumentController::Recent, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.code);
        SetUp();
        assistantRuns = 0;
        sheetParent = nullptr;
        launch(1);
        installAssistant(c.code, c.makesDocument);
        answerSheet(true);
        trigger("newFromAssistantWithText");
        EXPECT_EQ(assistantRuns, 1);
        ASSERT_EQ(manager().documents().size(), 2);
        EXPECT_EQ(kindOf(last()), dtLabel);
        ASSERT_NE(sheetParent, nullptr);
        EXPECT_EQ(sheetParent, last()->window.data());
        EXPECT_FALSE(editedWhenShown);
        EXPECT_EQ(recipientStreet(*last()), u"1200 Harbor Boulevard"_s);
        TearDown();
    }
}

TEST_F(CADocumentServicesTest, AssistantBlankDocumentIsLaidOutAndUnedited)
{
    launch(1);
    installAssistant(CADocumentController::Blank);
    answerSheet(true);
    trigger("newFromAssistantWithText");
    ASSERT_EQ(manager().documents().size(), 2);
    EXPECT_EQ(kindOf(last()), dtEnvelope);
    EXPECT_FALSE(editedWhenShown);
    EXPECT_EQ(recipientStreet(*last()), u"1200 Harbor Boulevard"_s);
}

TEST_F(CADocumentServicesTest, AssistantOpeningADesignSendsTheAddressThere)
{
    launch(2);
    savePath = path(u"opened.pwdc"_s);
    ASSERT_TRUE(manager().saveDocumentAs(last()));
    ASSERT_TRUE(manager().closeDocument(last()));
    controller->newDocument(0);
    openPath = path(u"opened.pwdc"_s);
    installAssistant(CADocumentController::OpenExisting);
    answerSheet(true);
    trigger("newFromAssistantWithText");
    ASSERT_EQ(manager().documents().size(), 2);
    EXPECT_EQ(last()->filePath, QFileInfo(path(u"opened.pwdc"_s)).absoluteFilePath());
    EXPECT_EQ(sheetParent, last()->window.data());
    EXPECT_EQ(recipientStreet(*last()), u"1200 Harbor Boulevard"_s);

    // Nothing opened: a default label instead.
    openPath.clear();
    answerSheet(true);
    manager().updateChangeCount(last(), 1);
    controller->newDocument(0);
    manager().updateChangeCount(last(), 1);
    trigger("newFromAssistantWithText");
    ASSERT_EQ(manager().documents().size(), 4);
    EXPECT_EQ(kindOf(last()), dtLabel);
    EXPECT_EQ(recipientStreet(*last()), u"1200 Harbor Boulevard"_s);
}

TEST_F(CADocumentServicesTest, CommandLineTextsGoToNewDocuments)
{
    launch(1);
    QCommandLineParser parser;
    parser.addOptions(CADocumentServices::commandLineOptions());
    ASSERT_TRUE(parser.parse({u"parcelwick"_s, u"--new-envelope-from-text"_s,
                              u"Anna Schmidt\nLindenweg 12\n10115 Berlin\nDeutschland"_s, u"design.pwdc"_s}));
    EXPECT_EQ(parser.positionalArguments(), QStringList{u"design.pwdc"_s});
    answerSheet(true);
    controller->services().performCommandLineOptions(parser);
    ASSERT_EQ(manager().documents().size(), 2);
    EXPECT_EQ(kindOf(last()), dtEnvelope);
    EXPECT_EQ(recipientStreet(*last()), u"Lindenweg 12"_s);
    EXPECT_EQ(shownLastName, u"Schmidt"_s);

    // Labels before envelopes before the assistant, each text once.
    QCommandLineParser both;
    both.addOptions(CADocumentServices::commandLineOptions());
    ASSERT_TRUE(both.parse({u"parcelwick"_s, u"--new-assistant-from-text=Tom Hartley"_s,
                            u"--new-label-from-text=Paul Tremblay"_s}));
    installAssistant(CADocumentController::Finish);
    answerSheet(true);
    QTimer::singleShot(50, [this] { answerSheet(true); });
    controller->services().performCommandLineOptions(both);
    EXPECT_EQ(sheetsShown, 3);
    EXPECT_EQ(assistantRuns, 1);
    EXPECT_EQ(shownLastName, u"Hartley"_s);
}

// A first start given text, with the assistant as the starting document: the text's document and
// its sheet come first and stand in for the first untitled document. A label or envelope text
// shows no assistant at all; an assistant text shows it once, from the service.
TEST_F(CADocumentServicesTest, TextGivenAtFirstStartComesBeforeAnyStartUpAssistant)
{
    const struct
    {
        const char *option;
        documentType kind;
        int assistantRuns;
    } cases[] = {
        {"--new-label-from-text", dtLabel, 0},
        {"--new-envelope-from-text", dtEnvelope, 0},
        {"--new-assistant-from-text", dtEnvelope, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.option);
        SetUp();
        PWUserDefaults::standardUserDefaults().setInteger(u"FTStartingDocument"_s, 0);
        controller = std::make_unique<CADocumentController>();
        installAssistant(CADocumentController::Finish);
        assistantRuns = 0;
        sheetsShown = 0;
        QCommandLineParser parser;
        parser.addOptions(CADocumentServices::commandLineOptions());
        ASSERT_TRUE(parser.parse({u"parcelwick"_s, QString::fromLatin1(c.option), kAddress}));
        answerSheet(true);
        controller->applicationWillFinishLaunching();
        controller->openStartupDocuments({}, &parser);
        EXPECT_EQ(assistantRuns, c.assistantRuns);
        if (c.assistantRuns > 0) {
            EXPECT_TRUE(assistantFromService);
        }
        ASSERT_EQ(manager().documents().size(), 1) << "an untitled document was made beside the text's";
        EXPECT_EQ(kindOf(last()), c.kind);
        EXPECT_EQ(sheetsShown, 1);
        EXPECT_EQ(sheetParent, last()->window.data());
        EXPECT_EQ(recipientStreet(*last()), u"1200 Harbor Boulevard"_s);
        TearDown();
    }
}

} // namespace

namespace {

TEST_F(CADocumentServicesTest, PasteAddressMakesTheConfirmedPersonTheRecipientAsOneStep)
{
    launch(1);
    installChangeLayoutSheet();
    const auto record = last();
    QCoreApplication::processEvents();
    record->document->undoManager()->removeAllActions();
    record->changeCount = 0;
    const std::shared_ptr<PWPerson> before = record->document->currentPerson(true);
    answerSheet(true);
    trigger("pasteAddress");
    EXPECT_EQ(sheetsShown, 1);
    EXPECT_EQ(sheetParent, window(0));
    EXPECT_EQ(recipientStreet(*record), u"1200 Harbor Boulevard"_s);
    EXPECT_TRUE(record->isEdited());
    ASSERT_TRUE(controller->router().perform(u"undo"_s));
    EXPECT_EQ(record->document->currentPerson(true), before);
    EXPECT_FALSE(record->isEdited());

    CAMainWindowController::unregisterCommand(u"undo"_s);
    CAMainWindowController::unregisterCommand(u"redo"_s);
}

// A text of several addresses, one after the other as a list copied from a page: the first is
// read, confirmed and made the recipient, and a line says the others were passed over.
TEST_F(CADocumentServicesTest, PasteAddressOfSeveralAddressesTakesTheFirstAndSaysSo)
{
    launch(1);
    installChangeLayoutSheet();
    const auto record = last();
    const QString others[] = {u"Tom Hartley\n14 Mill Lane\nOxford OX2 6QT\nUnited Kingdom"_s,
                              u"Jane Roe\n5 Oak Street\nSalem, OR 97301"_s};
    QStringList text{kAddress};
    for (int count = 1; count <= 3; ++count) {
        SCOPED_TRACE(count);
        QGuiApplication::clipboard()->setText(text.join(u"\n\n"_s));
        answerSheet(true);
        trigger("pasteAddress");
        EXPECT_EQ(sheetsShown, count);
        EXPECT_EQ(shownLastName, u"Baker"_s);
        EXPECT_EQ(recipientStreet(*record), u"1200 Harbor Boulevard"_s);
        const QString said = window(0)->notice();
        if (count == 1) {
            EXPECT_EQ(said, QString()) << "one address needs no word";
        } else {
            EXPECT_TRUE(said.contains(QString::number(count))) << qPrintable(said);
        }
        if (count < 3)
            text.append(others[count - 1]);
    }
    CAMainWindowController::unregisterCommand(u"undo"_s);
    CAMainWindowController::unregisterCommand(u"redo"_s);
}

// The File menu's items that clipboard text enables, found by what enables them: with the
// clipboard empty, they take the primary selection's text where the platform has one.
TEST_F(CADocumentServicesTest, ItemsThatTakeTextReadTheSelectionWhenTheClipboardHasNone)
{
    launch(1);
    installAssistant(CADocumentController::Finish);
    auto clipboard = std::make_shared<QMimeData>();
    auto selection = std::make_shared<QMimeData>();
    auto platformHasSelection = std::make_shared<bool>(true);
    controller->services().setClipboardData(
        [clipboard, selection, platformHasSelection](QClipboard::Mode mode) -> const QMimeData * {
            if (mode == QClipboard::Clipboard)
                return clipboard.get();
            return mode == QClipboard::Selection && *platformHasSelection ? selection.get() : nullptr;
        });
    const auto enabled = [this](QAction *item) {
        controller->mainMenu().validate();
        return item->isEnabled();
    };
    QList<QAction *> takers;
    for (QAction *item : controller->mainMenu().menu(u"File"_s)->actions()) {
        if (item->isSeparator() || item->menu())
            continue;
        clipboard->setText(kAddress);
        selection->clear();
        const bool withText = enabled(item);
        clipboard->clear();
        if (withText && !enabled(item))
            takers.append(item);
    }
    ASSERT_FALSE(takers.isEmpty()) << "no File menu item takes text";
    const QString selected = u"Tom Hartley\n14 Mill Lane\nOxford OX2 6QT\nUnited Kingdom"_s;
    for (QAction *item : std::as_const(takers)) {
        SCOPED_TRACE(item->text().toStdString());
        // Text selected elsewhere, nothing copied.
        clipboard->clear();
        selection->setText(selected);
        *platformHasSelection = true;
        ASSERT_TRUE(enabled(item));
        int shown = sheetsShown;
        answerSheet(false);
        item->trigger();
        EXPECT_EQ(sheetsShown, shown + 1);
        EXPECT_EQ(shownLastName, u"Hartley"_s);
        // Text copied comes before text selected.
        clipboard->setText(kAddress);
        shown = sheetsShown;
        answerSheet(false);
        item->trigger();
        EXPECT_EQ(sheetsShown, shown + 1);
        EXPECT_EQ(shownLastName, u"Baker"_s);
        // A platform without a selection offers nothing once the clipboard is empty.
        clipboard->clear();
        *platformHasSelection = false;
        EXPECT_FALSE(enabled(item));
    }
    controller->services().setClipboardData({});
}

// Clipboard data that counts how often its bytes are fetched, as each fetch of another program's
// clipboard brings all of its text across.
class CountingMimeData : public QMimeData
{
public:
    explicit CountingMimeData(int *fetched)
        : m_fetched(fetched)
    {
    }

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override
    {
        ++*m_fetched;
        return QMimeData::retrieveData(mimeType, type);
    }

private:
    int *m_fetched;
};

// Five megabytes of text held on the clipboard from before the start: the first window and its
// menus, opened with the mouse, look at what is offered and never fetch the text, yet enable
// the items that take text.
TEST_F(CADocumentServicesTest, MenusAskTheClipboardWhatItOffersWithoutReadingIt)
{
    int fetched = 0;
    auto *held = new CountingMimeData(&fetched);
    held->setText(QString(5 * 1024 * 1024, u'x'));
    QGuiApplication::clipboard()->setMimeData(held);
    launch(1);
    installCanvasCommands();
    CAMainWindowController *w = window(0);
    ASSERT_NE(w, nullptr);
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    QMenuBar *bar = w->menuBar();
    for (const QString &title : {u"File"_s, u"Edit"_s}) {
        QMenu *menu = controller->mainMenu().menu(title);
        ASSERT_NE(menu, nullptr);
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu)) << title.toStdString();
        QTest::keyClick(menu, Qt::Key_Escape);
    }
    EXPECT_EQ(fetched, 0) << "the clipboard's text was fetched to check the menus";
    for (const char *action : {"paste", "pasteAddress", "newLabelWithText", "newEnvelopeWithText"}) {
        QAction *item = controller->mainMenu().itemForAction(QString::fromLatin1(action));
        ASSERT_NE(item, nullptr) << action;
        EXPECT_TRUE(item->isEnabled()) << action;
    }
    // With nothing offered the same items are disabled.
    QGuiApplication::clipboard()->clear();
    QMenu *edit = controller->mainMenu().menu(u"Edit"_s);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(edit->menuAction()).center());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(edit));
    EXPECT_FALSE(controller->mainMenu().itemForAction(u"paste"_s)->isEnabled());
    EXPECT_FALSE(controller->mainMenu().itemForAction(u"pasteAddress"_s)->isEnabled());
    QTest::keyClick(edit, Qt::Key_Escape);
}

} // namespace
