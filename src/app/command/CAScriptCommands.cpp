#include "app/command/CAScriptCommands.h"

#include "app/command/CAContactsFileRead.h"
#include "app/command/CAInstanceDoor.h"
#include "app/contacts/CAContactImportHooks.h"
#include "app/contacts/CADelimitedText.h"
#include "app/contacts/CAImportWorker.h"
#include "app/printsheet/CAJobReportMessages.h"
#include "app/printsheet/CAPrintViewController.h"
#include "app/shell/CAActionRouter.h"
#include "app/shell/CAAssistantController.h"
#include "app/shell/CADocumentController.h"
#include "app/shell/CADocumentManager.h"
#include "app/shell/CAMainWindowController.h"
#include "app/shell/CAOpenDocument.h"
#include "app/shell/CAPrintCommands.h"
#include "app/shell/CAShellLog.h"

#include "kernel/base/CAEnvironment.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"
#include "kernel/merge/CAPrintingView.h"
#include "kernel/merge/CAPrintingViewChoice.h"
#include "kernel/printing/CAEnvironmentLayout.h"
#include "platform/PWJobReport.h"
#include "platform/PWPathStatus.h"
#include "platform/PWUserDefaults.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <algorithm>

namespace {

const QString kCommand = QStringLiteral("command");
const QString kFile = QStringLiteral("file");
const QString kContacts = QStringLiteral("contacts");

QJsonObject error(const QString &message)
{
    return CAInstanceServer::errorAnswer(message);
}

QString absolutePath(const QString &path, const QString &workingDirectory)
{
    if (path.isEmpty())
        return path;
    const QDir base(workingDirectory.isEmpty() ? QDir::currentPath() : workingDirectory);
    return QDir::cleanPath(base.absoluteFilePath(path));
}

CAMainWindowController *windowOf(const std::shared_ptr<CAOpenDocument> &record)
{
    return record ? qobject_cast<CAMainWindowController *>(record->window.data()) : nullptr;
}

std::optional<CAScriptCommands::ContactFormat> formatNamed(const QString &name)
{
    if (name.isEmpty())
        return CAScriptCommands::ContactFormat::ByExtension;
    if (name == u"vcard")
        return CAScriptCommands::ContactFormat::VCard;
    if (name == u"text")
        return CAScriptCommands::ContactFormat::Text;
    return std::nullopt;
}

// A whole number argument of at least 0.
std::optional<quint32> count(const QJsonObject &command, const QString &key)
{
    const QJsonValue value = command.value(key);
    if (!value.isDouble() || value.toDouble() < 0 || value.toDouble() > double(UINT32_MAX))
        return std::nullopt;
    return quint32(value.toDouble());
}

// A window that holds the whole application until the user is done with it (the assistant, a
// question): nothing else can be shown in front of it.
QWidget *applicationModalWindow()
{
    QWidget *modal = QApplication::activeModalWidget();
    return modal && modal->isVisible() && modal->windowModality() == Qt::ApplicationModal ? modal : nullptr;
}

// Whether the print sheet can come up on the design's window at once; the reason when not.
bool sheetCanBeShown(CAMainWindowController *window, QString *reason, bool needsWindow = true)
{
    if (!window && needsWindow) {
        *reason = QStringLiteral("the design has no window");
        return false;
    }
    if (window && window->isSheetActive()) {
        *reason = QStringLiteral("the design's window already shows a sheet");
        return false;
    }
    if (QWidget *modal = applicationModalWindow()) {
        const QString title = modal->windowTitle().remove(QStringLiteral("[*]")).trimmed();
        *reason = QStringLiteral("the print sheet cannot be shown while %1 waits for the user")
                      .arg(title.isEmpty() ? QStringLiteral("another window") : QStringLiteral("“%1”").arg(title));
        return false;
    }
    return true;
}

// The print sheet with the design's own persons, on its window brought in front: true only once
// the sheet is shown.
bool showPrintSheet(CAMainWindowController &window, QString *reason)
{
    if (window.isMinimized())
        window.showNormal();
    else
        window.show();
    window.raise();
    window.activateWindow();
    // The design's own persons (imported or none): the sheet does not fall back to a print list.
    if (!openPrintSheet(window, false)) {
        if (!sheetCanBeShown(&window, reason))
            return false;
        *reason = QStringLiteral("designs of this kind cannot be printed");
        return false;
    }
    for (CAPrintViewController *sheet : window.findChildren<CAPrintViewController *>())
        if (sheet->isVisible() && window.isVisible() && !window.isMinimized())
            return true;
    for (CAPrintViewController *sheet : window.findChildren<CAPrintViewController *>())
        sheet->reject();
    *reason = QStringLiteral("the print sheet could not be shown");
    return false;
}

} // namespace

CAScriptCommands::TypeCode CAScriptCommands::typeCode(const QString &code)
{
    if (code == u"ral")
        return {QStringLiteral("11"), QStringLiteral("Return Address Labels"), dtLabel};
    if (code == u"adr")
        return {QStringLiteral("11"), QStringLiteral("Address Labels"), dtLabel};
    if (code == u"shp")
        return {QStringLiteral("11"), QStringLiteral("Shipping Labels"), dtLabel};
    if (code == u"enp")
        return {QStringLiteral("12"), QString(), dtEnvelope};
    if (code == u"mps")
        return {QStringLiteral("13"), QString(), dtPostcard};
    return {QString(), QString(), dtLabel};
}

CAScriptCommands::CAScriptCommands(CADocumentController &controller, QObject *parent)
    : QObject(parent)
    , m_controller(controller)
{
}

CAScriptCommands::~CAScriptCommands() = default;

std::shared_ptr<CAOpenDocument> CAScriptCommands::documentFor(const QJsonObject &command,
                                                              const QString &workingDirectory, QString *reason)
{
    const QString file = command.value(kFile).toString();
    if (!file.isEmpty()) {
        const QString path = absolutePath(file, workingDirectory);
        int error = 0;
        if (PWPathStatus::kindAt(QFile::encodeName(path), &error) != PWPathStatus::Kind::RegularFile) {
            const QString why = PWPathStatus::missingReason(error);
            *reason = why.isEmpty() ? QStringLiteral("the design does not exist: %1").arg(path)
                                    : QStringLiteral("the design cannot be reached (%1): %2").arg(why, path);
            return nullptr;
        }
        std::shared_ptr<CAOpenDocument> record =
            m_controller.manager().openDocument(path, m_controller.router().activeWindow());
        if (!record)
            *reason = QStringLiteral("the design cannot be opened: %1").arg(path);
        return record;
    }
    std::shared_ptr<CAOpenDocument> record = m_controller.manager().recordForWindow(m_controller.router().activeWindow());
    if (!record && !m_controller.manager().documents().isEmpty())
        record = m_controller.manager().documents().last();
    if (!record)
        *reason = QStringLiteral("no design is open");
    return record;
}

QJsonObject CAScriptCommands::execute(const QJsonObject &command, const QString &workingDirectory)
{
    const QString name = command.value(kCommand).toString();
    const QString cwd = command.contains(QStringLiteral("cwd")) ? command.value(QStringLiteral("cwd")).toString()
                                                                : workingDirectory;
    CAImportWorker &worker = CAImportWorker::shared();
    if (name == u"setNumberOfImportingRecords") {
        const std::optional<quint32> records = count(command, QStringLiteral("count"));
        if (!records)
            return error(QStringLiteral("\"count\" must be a whole number of at least 0"));
        // Only a running import takes the figures; without one nothing changes.
        if (worker.isRunning()) {
            CAEnvironment::sharedEnvironment().setImportRecordCount(*records);
            worker.setRecordCount(*records);
        }
        return CAInstanceServer::okAnswer();
    }
    if (name == u"setCurrentImportingRecordIndex") {
        const std::optional<quint32> index = count(command, QStringLiteral("index"));
        if (!index)
            return error(QStringLiteral("\"index\" must be a whole number of at least 0"));
        CAEnvironment &environment = CAEnvironment::sharedEnvironment();
        if (worker.isRunning())
            environment.setCurrentImportRecordIndex(*index);
        const bool stop = worker.setRecordIndex(*index) || environment.isTerminateScriptExecutionFlag();
        QJsonObject answer = CAInstanceServer::okAnswer();
        answer.insert(QStringLiteral("stop"), stop);
        return answer;
    }
    if (name == u"terminateScriptExecution") {
        CAEnvironment::sharedEnvironment().setTerminateScriptExecutionFlag(true);
        worker.requestStop();
        return CAInstanceServer::okAnswer();
    }
    if (name == u"assistant")
        return runAssistant(command.value(QStringLiteral("withType")).toString());
    if (name == u"blankDocument")
        return blankDocument(command.value(QStringLiteral("withType")).toString());

    static const QStringList kDocumentCommands = {QStringLiteral("open"),           QStringLiteral("print"),
                                                  QStringLiteral("printWithDialog"), QStringLiteral("preview"),
                                                  QStringLiteral("printMultiple"),   QStringLiteral("importContacts")};
    if (!kDocumentCommands.contains(name)) {
        return CAInstanceServer::refusedAnswer(name.isEmpty() ? QStringLiteral("the message names no command")
                                                              : QStringLiteral("unknown command \"%1\"").arg(name));
    }
    if (name == u"open" && command.value(kFile).toString().isEmpty())
        return error(QStringLiteral("\"open\" needs a \"file\""));
    const bool needsContacts = name == u"printMultiple" || name == u"importContacts";
    const QString contacts = absolutePath(command.value(kContacts).toString(), cwd);
    if (needsContacts && contacts.isEmpty())
        return error(QStringLiteral("\"%1\" needs a \"contacts\" file").arg(name));
    const std::optional<ContactFormat> format = formatNamed(command.value(QStringLiteral("format")).toString());
    if (!format)
        return error(QStringLiteral("\"format\" is \"vcard\" or \"text\""));

    QString reason;
    const bool showSheet =
        name == u"preview" || (name == u"printMultiple" && command.value(QStringLiteral("showPreview")).toBool());
    // A sheet that cannot come up is said before anything opens or changes: the assistant, shown
    // or about to be shown again, would stand in front of it.
    if (showSheet && (assistantPending() || (m_assistant.isRunning && m_assistant.isRunning())))
        return error(QStringLiteral("the print sheet cannot be shown while the assistant waits for the user"));
    if (showSheet && applicationModalWindow() && !sheetCanBeShown(nullptr, &reason, false))
        return error(reason);
    const std::shared_ptr<CAOpenDocument> record = documentFor(command, cwd, &reason);
    if (!record)
        return error(reason);
    if (name == u"open")
        return CAInstanceServer::okAnswer();
    const std::shared_ptr<CADocument> document(record, record->document.get());
    CAMainWindowController *window = windowOf(record);

    if (name == u"importContacts") {
        QStringList noted;
        if (!importContacts(*document, contacts, command.value(QStringLiteral("append")).toBool(), *format, &reason,
                            {}, &noted))
            return error(reason);
        QJsonObject answer = CAInstanceServer::okAnswer();
        answer.insert(QStringLiteral("persons"), qint64(document->personList() ? document->personList()->size() : 0));
        // Said by the start that asked, as a batch job says them.
        if (!noted.isEmpty())
            answer.insert(QStringLiteral("notes"), QJsonArray::fromStringList(noted));
        return answer;
    }
    if (showSheet && !sheetCanBeShown(window, &reason))
        return error(reason);
    if (name == u"printMultiple") {
        // The imported persons replace the design's own; a file that cannot be read leaves them.
        bool undecided = false;
        const auto probe = [&undecided](CADelimitedText &) {
            undecided = true;
            return false;
        };
        if (!importContacts(*document, contacts, false, *format, &reason, probe)) {
            if (!undecided)
                return error(reason);
            // The user decides the encoding in the import dialog, which waits: after the answer.
            QTimer::singleShot(0, this, [this, record, contacts, format = *format, showSheet] {
                printMultipleAfterAsking(record, contacts, format, showSheet);
            });
            return CAInstanceServer::okAnswer();
        }
        if (!showSheet) {
            if (!printWithDefaults(window, document, false, &reason))
                return error(reason.isEmpty() ? QStringLiteral("the print was cancelled") : reason);
            return CAInstanceServer::okAnswer();
        }
    }
    if (showSheet) {
        if (!showPrintSheet(*window, &reason))
            return error(reason);
        return CAInstanceServer::okAnswer();
    }
    if (name == u"print") {
        if (!printWithDefaults(window, document, false, &reason))
            return error(reason.isEmpty() ? QStringLiteral("the print was cancelled") : reason);
        return CAInstanceServer::okAnswer();
    }
    // The print dialog waits for the user: it opens once the script has its answer.
    if (!CAPrintJob::sheetKindForDocument(*document))
        return error(QStringLiteral("designs of this kind cannot be printed"));
    QPointer<CAMainWindowController> target = window;
    QTimer::singleShot(0, this, [target, document] {
        QString failure;
        if (!printWithDefaults(target, document, true, &failure) && !failure.isEmpty())
            qCWarning(lcShell) << "The design could not be printed:" << failure;
    });
    return CAInstanceServer::okAnswer();
}

void CAScriptCommands::printMultipleAfterAsking(const std::shared_ptr<CAOpenDocument> &record,
                                                const QString &contacts, ContactFormat format, bool showSheet)
{
    CAMainWindowController *window = windowOf(record);
    if (!window || !record->document)
        return;
    const std::shared_ptr<CADocument> document(record, record->document.get());
    const QPointer<CAMainWindowController> target = window;
    bool cancelled = false;
    const auto ask = [target, &cancelled](CADelimitedText &text) {
        CATextImportOptions options;
        options.showDialog = true;
        options.encodingChoice = true;
        const CAContactImportHooks &hooks = CAContactImportHooks::shared();
        if (hooks.confirmTextImport && !hooks.confirmTextImport(text, options, target)) {
            cancelled = true;
            return false;
        }
        // Confirmed in the dialog, the reading is the user's.
        text.takeEncodingAsChosen();
        return true;
    };
    QString reason;
    bool done = importContacts(*document, contacts, false, format, &reason, ask) && target;
    if (done)
        done = showSheet ? showPrintSheet(*target, &reason) : printWithDefaults(target, document, false, &reason);
    // A cancelled dialog is the user's answer; anything else that stopped the print is told.
    if (!done && !cancelled && !reason.isEmpty() && target)
        QMessageBox::warning(target, QStringLiteral("Parcelwick"), reason);
}

bool CAScriptCommands::importContacts(CADocument &document, const QString &path, bool append, ContactFormat format,
                                      QString *reason, const std::function<bool(CADelimitedText &)> &askEncoding,
                                      QStringList *noted)
{
    // Read as the batch reads it: the same refusals, and the same notes for the print to come.
    const CAContactsFileRead::Format as = format == ContactFormat::VCard  ? CAContactsFileRead::Format::VCard
                                          : format == ContactFormat::Text ? CAContactsFileRead::Format::Text
                                                                          : CAContactsFileRead::Format::ByExtension;
    std::optional<CAContactsFileRead::Result> read =
        CAContactsFileRead::read(path, {}, as, &document, reason, CATextFileSource::EncodingChoice{{}, askEncoding});
    if (!read)
        return false;
    std::vector<std::shared_ptr<PWPerson>> list;
    std::vector<CADocument::PersonsNote> notes;
    if (append && document.personList()) {
        list = *document.personList();
        notes = document.personListNotes();
    }
    if (noted) {
        const PWJobReport report;
        CAContactsFileRead::noteAll(read->notes);
        *noted = report.allLines();
    }
    list.insert(list.end(), read->persons.cbegin(), read->persons.cend());
    notes.insert(notes.end(), read->notes.cbegin(), read->notes.cend());
    document.setPersonList(std::move(list));
    document.setPersonListNotes(std::move(notes));
    return true;
}

bool CAScriptCommands::printWithDefaults(QWidget *parent, const std::shared_ptr<CADocument> &document,
                                         bool showPanels, QString *reason)
{
    CAPrintSettings &settings = document->printSettings();
    settings.startFrom = 1;
    const std::optional<std::vector<std::shared_ptr<PWPerson>>> &own = document->personList();
    std::optional<CAPrintingView::PersonList> persons;
    if (own && !own->empty())
        persons = CAPrintingView::PersonList(own->cbegin(), own->cend());
    settings.personList = false;
    const bool vector = PWUserDefaults::standardUserDefaults().boolForKey(QStringLiteral("FTVectorPrinting"));
    // Labels and postcards on a sheet print through the label sheet, rolls through the roll view,
    // envelopes and single cards through the envelope view: the views the print sheet uses.
    std::unique_ptr<CAPrintingView> view = makePrintingViewForDocument(document, persons, settings, vector, reason);
    if (!view)
        return false;
    // One item per person; without persons one full sheet of the design.
    settings.copies = persons ? int(persons->size()) : std::max(1, view->fullSheetCopies());
    view->setStartFrom(1);
    view->setCopies(settings.copies);
    // Told after the job, as after a print from the sheet: what the contacts file did not give,
    // the pictures printed as placeholders, the addresses past their labels.
    const PWJobReport job;
    if (!CAPrintViewController::printWithPrinter(parent, *view, reason, showPanels))
        return false;
    CAJobReportMessages::tellAfterJob(parent, job);
    return true;
}

QJsonObject CAScriptCommands::blankDocument(const QString &code)
{
    // The kind's default paper, without an envelope window, goes on a new design as it stands:
    // the blank page is neither laid out again nor counted as edited.
    const documentType kind = typeCode(code).kind;
    const QString country = CAEnvironment::defaultCountry();
    auto document =
        std::make_unique<CADocument>(std::make_unique<CFTADocument>(kind, CDDString(country), CDDString(country)));
    if (const std::shared_ptr<CATemplateFormat> layout = defaultLayout(kind)) {
        CATemplateFormat copy = *layout;
        copy.setHasWindow(false);
        document->setLayoutArangeComponents(copy, false);
    }
    document->setDefTextSize();
    const std::shared_ptr<CAOpenDocument> record = m_controller.manager().addDocument(std::move(document));
    if (!record) {
        qCWarning(lcShell) << "Document is not created";
        return error(QStringLiteral("Document is not created"));
    }
    return CAInstanceServer::okAnswer();
}

CAScriptCommands::Assistant CAScriptCommands::sharedAssistant()
{
    Assistant assistant;
    assistant.show = [](const QString &layout, const QString &category) {
        CAAssistantController &wizard = CAAssistantController::sharedWizard();
        // A command is no text service: the run goes on to the contacts step.
        CADocumentController::AssistantResult result = wizard.run(false, layout, category);
        AssistantRun run;
        run.code = result.code;
        run.document = std::move(result.document);
        run.contactsTabIndex = result.contactsTabIndex;
        run.recentDocumentPath = result.recentDocumentPath;
        return run;
    };
    assistant.isRunning = [] { return CAAssistantController::sharedWizard().isRunning(); };
    assistant.stop = [](int code) {
        if (QDialog *window = CAAssistantController::sharedWizard().window())
            window->done(code);
    };
    return assistant;
}

QJsonObject CAScriptCommands::runAssistant(const QString &code)
{
    if (!m_assistant.show)
        return error(QStringLiteral("the assistant is not available in this build"));
    m_queuedAssistant = typeCode(code);
    // A running assistant is ended first and shown again once its run has returned, never a
    // second modal run inside the first.
    const bool running = m_assistantShowing || (m_assistant.isRunning && m_assistant.isRunning());
    if (running && m_assistant.stop)
        m_assistant.stop(CADocumentController::Cancelled);
    if (!m_assistantQueued) {
        m_assistantQueued = true;
        QTimer::singleShot(0, this, &CAScriptCommands::showQueuedAssistant);
    }
    return CAInstanceServer::okAnswer();
}

void CAScriptCommands::showQueuedAssistant()
{
    if (m_assistantShowing || (m_assistant.isRunning && m_assistant.isRunning())) {
        // The ended run has not returned yet: its modal loop leaves once this event is done.
        QTimer::singleShot(10, this, &CAScriptCommands::showQueuedAssistant);
        return;
    }
    m_assistantQueued = false;
    if (!m_queuedAssistant || !m_assistant.show)
        return;
    const TypeCode type = *m_queuedAssistant;
    m_queuedAssistant.reset();
    m_assistantShowing = true;
    AssistantRun run = m_assistant.show(type.layout, type.category);
    m_assistantShowing = false;
    // A run ended for a later request makes nothing; the later request shows the assistant again.
    if (m_assistantQueued)
        return;
    acceptAssistantRun(std::move(run));
    Q_EMIT assistantRunEnded();
}

void CAScriptCommands::acceptAssistantRun(AssistantRun run)
{
    CADocumentManager &manager = m_controller.manager();
    switch (run.code) {
    case CADocumentController::OpenExisting:
        m_controller.router().perform(QStringLiteral("openDocument"));
        return;
    case CADocumentController::Recent:
        // The chosen recent document opens as the file it is, so that saving goes back to it.
        if (!run.recentDocumentPath.isEmpty()) {
            if (!manager.openDocument(run.recentDocumentPath))
                qCWarning(lcShell) << "Document is not created";
        } else if (run.document) {
            manager.addDocument(std::move(run.document));
        } else {
            qCWarning(lcShell) << "Document is not created";
        }
        return;
    case CADocumentController::Finish:
    case CADocumentController::CreateAndPrint:
    case CADocumentController::Blank:
        break;
    default:
        return;
    }
    if (!run.document) {
        qCWarning(lcShell) << "Document is not created";
        return;
    }
    CADocument *document = run.document.get();
    if ((run.contactsTabIndex == 1 || run.contactsTabIndex == 2) && document->ftDocument()) {
        document->ftDocument()->updateComponentsType(true);
        if (const auto person = document->currentPerson(true))
            document->updateObjectsTextWithPerson(*person, true);
    }
    const std::shared_ptr<CAOpenDocument> record = manager.addDocument(std::move(run.document));
    if (!record)
        return;
    if (run.code != CADocumentController::Blank)
        manager.updateChangeCount(record, 1);
    if (run.code == CADocumentController::CreateAndPrint)
        m_controller.router().perform(QStringLiteral("printDocument"));
    if (run.code == CADocumentController::Blank && record->document->ftDocument()) {
        record->document->ftDocument()->arrangeAddressPanel();
        if (CAMainWindowController *window = windowOf(record))
            window->updateDocView();
    }
}
