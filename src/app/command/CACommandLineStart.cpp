#include "app/command/CACommandLineStart.h"

#include "app/command/CAInstanceCommands.h"
#include "app/command/CAInstanceDoor.h"
#include "app/command/CAScriptCommands.h"
#include "app/shell/CAActionRouter.h"
#include "app/shell/CAAddressCommands.h"
#include "app/shell/CAAddressWindowPanel.h"
#include "app/shell/CAAssistantController.h"
#include "app/shell/CACanvasCommands.h"
#include "app/shell/CACanvasFormatCommands.h"
#include "app/shell/CAChangeLayoutSheet.h"
#include "app/shell/CADesignWindowPanel.h"
#include "app/shell/CADocumentController.h"
#include "app/shell/CADocumentManager.h"
#include "app/shell/CADocumentServices.h"
#include "app/shell/CAOpenDocument.h"
#include "app/shell/CAPrintCommands.h"
#include "app/shell/CAPropertiesPanel.h"
#include "app/shell/CASampleDesignLibrary.h"
#include "app/shell/CAShellLog.h"
#include "kernel/address/CAddressFormatController.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QMessageBox>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace {

// Names of designs that are no UTF-8: the toolkit's text would lose their bytes, so they are taken
// out of the arguments and opened by their bytes, relative to the folder given as bytes.
QList<QByteArray> takeByteNames(QStringList *arguments, const QList<QByteArray> &raw, const QByteArray &folder)
{
    QList<QByteArray> names;
    if (raw.size() != arguments->size())
        return names;
    bool optionsEnded = false;
    QList<qsizetype> taken;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (!optionsEnded && raw.at(i) == "--") {
            optionsEnded = true;
            continue;
        }
        // Only a name of its own: not an option and not an option's value.
        const bool afterOption = !optionsEnded && i > 0 && raw.at(i - 1).startsWith('-') && raw.at(i - 1) != "--";
        if (CADocumentManager::isTextName(raw.at(i)) || afterOption || (!optionsEnded && raw.at(i).startsWith('-')))
            continue;
        names.append(raw.at(i).startsWith('/') ? raw.at(i) : folder + '/' + raw.at(i));
        taken.prepend(i);
    }
    for (const qsizetype i : std::as_const(taken))
        arguments->removeAt(i);
    return names;
}

// The windows and panels of the application, before any document is made.
void installApplicationParts(CADocumentController &controller)
{
    // The clip art, the masks, the shapes and the sample designs are seeded on a first start
    // while the first window is made: no window waits for them, a pane or step that shows them
    // shows what is there and fills in when they are.
    CASampleDesignLibrary::installAllForUserInBackground();
    installChangeLayoutSheet();
    installPrintCommands();
    installCanvasCommands();
    installCanvasFormatCommands(controller);
    installAddressCommands();
    installAddressWindow(controller);
    installDesignWindow(controller);
    installPropertiesPanel(controller);
    installAssistant(controller);
}

// A print this start asked for that printed nothing: a start from the desktop has no terminal to
// read the reason on, so the design's window says it too, without waiting on the user.
void tellUnprinted(CADocumentController &controller, const QJsonObject &command, const QString &reason)
{
    const QString name = command.value(QStringLiteral("command")).toString();
    if (name != u"print" && name != u"printMultiple")
        return;
    const QString file = command.value(QStringLiteral("file")).toString();
    const QString path = file.isEmpty() ? QString() : QFileInfo(QDir::current(), file).absoluteFilePath();
    QWidget *window = controller.router().activeWindow();
    for (const std::shared_ptr<CAOpenDocument> &record : controller.manager().documents())
        if (record->window && !path.isEmpty() && QFileInfo(record->filePath) == QFileInfo(path))
            window = record->window;
    auto *box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Parcelwick"),
                                QMessageBox::tr("Nothing was printed."), QMessageBox::Ok, window);
    box->setObjectName(QStringLiteral("_nothingPrinted"));
    box->setInformativeText(reason.isEmpty() ? QMessageBox::tr("The print was cancelled.") : reason);
    box->setAttribute(Qt::WA_DeleteOnClose);
    if (window) {
        box->setWindowModality(Qt::WindowModal);
        box->open();
    } else {
        box->show();
    }
}

} // namespace

CACommandLineStart::Arguments CACommandLineStart::arguments(const QStringList &texts, int argc, char *argv[])
{
    Arguments arguments;
    arguments.texts = texts;
    for (int i = 1; i < argc; ++i)
        arguments.raw.append(QByteArray(argv[i]));
    arguments.anyByteName = std::any_of(arguments.raw.cbegin(), arguments.raw.cend(),
                                        [](const QByteArray &raw) { return !CADocumentManager::isTextName(raw); });
    return arguments;
}

CACommandLineStart::Arguments CACommandLineStart::arguments(const QStringList &texts)
{
    Arguments arguments;
    arguments.texts = texts;
    for (qsizetype i = 1; i < texts.size(); ++i)
        arguments.raw.append(texts.at(i).toUtf8());
    return arguments;
}

CACommandLineStart::CACommandLineStart(CACommandRequest request, Arguments arguments, QString doorName)
    : m_request(std::move(request))
    , m_arguments(std::move(arguments))
    , m_doorName(std::move(doorName))
{
}

CACommandLineStart::~CACommandLineStart() = default;

std::optional<int> CACommandLineStart::handOver(int timeoutMs) const
{
    if (m_doorName.isEmpty())
        return std::nullopt;
    QString error;
    QString said;
    QStringList notes;
    const CAInstanceClient::Outcome outcome =
        CAInstanceClient::hand(m_doorName, m_arguments.texts.mid(1), QDir::currentPath(), timeoutMs, &error, &said,
                               m_arguments.anyByteName ? m_arguments.raw : QList<QByteArray>(), &notes);
    // What the instance noted of a contacts file is said as a batch job says it.
    for (const QString &note : std::as_const(notes))
        CACommandLine::printLine(note);
    switch (outcome) {
    case CAInstanceClient::Outcome::Done:
        if (!said.isEmpty())
            CACommandLine::printLine(said);
        return CACommandLine::kSuccess;
    case CAInstanceClient::Outcome::Failed:
        CACommandLine::printLine(error);
        return CACommandLine::kFailure;
    case CAInstanceClient::Outcome::NoInstance:
        break;
    }
    return std::nullopt;
}

std::optional<int> CACommandLineStart::handOverOrBecomeInstance()
{
    // One instance per user: a later start hands its files and commands to the running one.
    if (const std::optional<int> handed = handOver(1000))
        return handed;

    m_controller = std::make_unique<CADocumentController>();
    CADocumentController &controller = *m_controller;
    installApplicationParts(controller);
    controller.applicationWillFinishLaunching();
    m_scriptCommands = std::make_unique<CAScriptCommands>(controller);
    m_scriptCommands->setAssistant(CAScriptCommands::sharedAssistant());
    m_commands = std::make_unique<CAInstanceCommands>(CAInstanceCommands::Actions{
        [&controller](const QString &path, QString *reason) {
            if (controller.manager().openDocument(path, controller.router().activeWindow()))
                return true;
            *reason = QStringLiteral("%1 cannot be opened").arg(path);
            return false;
        },
        [&controller](const QCommandLineParser &handed) { controller.services().performCommandLineOptions(handed); },
        [this](const QJsonObject &command) { return m_scriptCommands->execute(command); },
    });
    // The door opens before any start-up document is read or the assistant shows, so that a later
    // start meanwhile reaches this instance instead of becoming a second one.
    m_door = std::make_unique<CAInstanceServer>(m_doorName);
    serveDoor();
    return openDoor();
}

// What a later start hands over: files (by their bytes where they are no UTF-8), text for the
// services and script commands. Every request is answered before anything waits on the user:
// failures are told after the answer.
void CACommandLineStart::serveDoor()
{
    m_door->setHandler([this](const QJsonObject &message, const CAInstanceServer::Reply &reply) {
        CADocumentController &controller = *m_controller;
        const CADocumentManager::ReportHold hold(controller.manager());
        if (!message.contains(QStringLiteral("arguments"))) {
            reply(m_scriptCommands->execute(message));
            return;
        }
        QStringList handed;
        for (const QJsonValue &value : message.value(QStringLiteral("arguments")).toArray())
            handed.append(value.toString());
        const QString cwd = message.value(QStringLiteral("cwd")).toString();
        const QList<QByteArray> byteNames =
            takeByteNames(&handed, CAInstanceClient::rawArguments(message), QFile::encodeName(cwd));
        QStringList unopened;
        for (const QByteArray &name : byteNames)
            if (!controller.manager().openDocumentAtBytes(name, controller.router().activeWindow()))
                unopened.append(QStringLiteral("%1 cannot be opened").arg(QFile::decodeName(name)));
        QJsonObject answer = m_commands->perform(handed, cwd);
        if (!unopened.isEmpty()) {
            const QString before = answer.value(QStringLiteral("message")).toString();
            answer = CAInstanceServer::errorAnswer(unopened.join(QStringLiteral("; ")) +
                                                   (before.isEmpty() ? QString() : QStringLiteral("; ") + before));
        }
        if (answer.value(QStringLiteral("status")).toString() != u"ok")
            qCWarning(lcShell) << "A request handed over by another start failed:"
                               << answer.value(QStringLiteral("message")).toString();
        reply(answer);
    });
}

// The lock held while listening makes one of two starts at the same moment the instance; the
// other waits until that one listens and hands its request over.
std::optional<int> CACommandLineStart::openDoor()
{
    if (m_doorName.isEmpty()) {
        qCWarning(lcShell) << "Later starts cannot hand over their files: no folder only this user can enter";
        return std::nullopt;
    }
    constexpr int kPatienceMs = 10000;
    QElapsedTimer waited;
    waited.start();
    QString error;
    while (!m_door->listen(&error)) {
        if (const std::optional<int> handed = handOver(200)) {
            // This start leaves without the event loop that would end the first-start copies it
            // began: they end here, before what they report to is gone.
            CASampleDesignLibrary::finishBeforeQuit();
            return handed;
        }
        if (waited.elapsed() > kPatienceMs) {
            qCWarning(lcShell) << "Later starts cannot hand over their files:" << error;
            return std::nullopt;
        }
        // The holder of the lock is between its look and its listen.
        QThread::msleep(20);
    }
    if (!m_door->lockWarning().isEmpty())
        CACommandLine::printLine(m_door->lockWarning());
    return std::nullopt;
}

void CACommandLineStart::openRequested()
{
    CADocumentController &controller = *m_controller;
    QCommandLineParser parser;
    parser.addOptions(CACommandLine::options());
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Designs to open."));
    parser.parse(m_arguments.texts);

    // Names that are no UTF-8 open by their bytes; the rest as the request read them.
    QStringList startupFiles = m_request.files;
    if (m_arguments.anyByteName) {
        QStringList texts;
        for (const QByteArray &raw : std::as_const(m_arguments.raw))
            texts.append(QFile::decodeName(raw));
        for (const QByteArray &name :
             takeByteNames(&texts, m_arguments.raw, QFile::encodeName(QDir::currentPath()))) {
            startupFiles.removeAll(QDir::cleanPath(QFile::decodeName(name)));
            controller.manager().openDocumentAtBytes(name);
        }
    }
    // The commands of this start go to this instance, as a later start's would, and come before
    // the start-up's own document: a start that asks for a postcard or a print sheet gets that,
    // not the assistant in front of it.
    controller.openStartupDocuments(startupFiles, &parser, [this, &controller] {
        for (const QJsonObject &command : std::as_const(m_request.commands)) {
            const QJsonObject answer = m_scriptCommands->execute(command, QDir::currentPath());
            if (answer.value(QStringLiteral("status")).toString() != u"ok") {
                const QString reason = answer.value(QStringLiteral("message")).toString();
                CACommandLine::printLine(reason);
                tellUnprinted(controller, command, reason);
            }
        }
        // An assistant asked for comes from the event loop: it is the start's first window.
        return m_scriptCommands->assistantPending();
    });
    if (m_scriptCommands->assistantPending()) {
        // An assistant cancelled, or one whose open panel was, leaves the label a start with no
        // request opens: the application is never left with no window to quit from.
        QObject::connect(m_scriptCommands.get(), &CAScriptCommands::assistantRunEnded, &controller, [&controller] {
            if (controller.manager().documents().isEmpty())
                controller.openUntitledDocument();
        }, Qt::SingleShotConnection);
    }
    controller.setTerminateWhenLastDocumentCloses(true);

    // Without its address formats the application still opens, so that no work is lost, but it
    // says why address panels cannot be built.
    const QString formatError = CAddressFormatController::sharedAddressFormatController().loadError();
    if (!formatError.isEmpty())
        QMessageBox::critical(controller.router().activeWindow(), QStringLiteral("Parcelwick"), formatError);
}

void CACommandLineStart::finishLaunching()
{
    CADocumentController &controller = *m_controller;
    // The floating panels come once the first window is up: the design window's picture panes
    // wait for a content library still being seeded, and the document must not wait with them.
    // Nor do they come over the start's assistant, whose buttons they would cover: they follow it.
    if (m_scriptCommands->assistantPending()) {
        QObject::connect(m_scriptCommands.get(), &CAScriptCommands::assistantRunEnded, &controller,
                [&controller] { controller.applicationDidFinishLaunching(); }, Qt::SingleShotConnection);
        return;
    }
    QTimer::singleShot(0, &controller, [&controller] { controller.applicationDidFinishLaunching(); });
}
