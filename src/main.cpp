#include "app/command/CABatchJob.h"
#include "app/command/CACommandLine.h"
#include "app/command/CAInstanceCommands.h"
#include "app/command/CAInstanceDoor.h"
#include "app/command/CAScriptCommands.h"
#include "app/shell/CASampleDesignLibrary.h"
#include "app/shell/CAAddressCommands.h"
#include "app/shell/CAAddressWindowPanel.h"
#include "app/shell/CADesignWindowPanel.h"
#include "app/shell/CAPropertiesPanel.h"
#include "app/shell/CAAssistantController.h"
#include "app/shell/CACanvasCommands.h"
#include "app/shell/CACanvasFormatCommands.h"
#include "app/shell/CAChangeLayoutSheet.h"
#include "app/shell/CADocumentController.h"
#include "app/shell/CADocumentManager.h"
#include "app/shell/CADocumentServices.h"
#include "app/shell/CAPrintCommands.h"
#include "app/shell/CAShellLog.h"

#include "kernel/address/CAddressFormatController.h"
#include "kernel/FTKernelStartup.h"
#include "platform/PWIsolatedCall.h"
#include "platform/PWLog.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QIcon>
#include <QJsonArray>
#include <QMessageBox>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <optional>
#include <variant>

namespace {

void printLine(const QString &line)
{
    // Names in the line are written as the bytes they were given as.
    std::fprintf(stderr, "parcelwick: %s\n", CACommandLine::pathBytes(line).constData());
    std::fflush(stderr);
}

int runBatch(const CACommandRequest &request)
{
    CABatchJob job(request);
    job.setProgressReporter(printLine);
    QString reason;
    const int status = job.run(&reason);
    for (const QString &warning : job.warnings())
        printLine(warning);
    if (status != CACommandLine::kSuccess)
        printLine(reason);
    return status;
}

// A job without a window speaks through its own lines on standard error: its reason, warnings
// and progress. The log lines of the toolkit and the subsystems join them only in debug mode
// ("FTDebugMode"), so that a failed job says why in one line a script can show.
std::atomic<bool> g_quietLog{false};
QtMessageHandler g_logHandler = nullptr;

void batchLogHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (g_quietLog.load() && (type == QtDebugMsg || type == QtInfoMsg || type == QtWarningMsg))
        return;
    if (g_logHandler)
        g_logHandler(type, context, message);
}

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

// Options that cannot be understood are reported before any display is needed, so that a
// mistyped batch job on a server says why rather than failing for want of a screen. Qt's own
// options are read by the application object, so such a command line is read after it.
// The arguments keep their bytes: a batch job reads and writes the files its names name, whether
// or not they are UTF-8.
std::optional<int> refuseUnreadableOptions(const QStringList &byteArguments, bool toolkitOptions)
{
    if (toolkitOptions)
        return std::nullopt;
    QString error;
    if (CACommandLine::parse(byteArguments, CACommandLine::currentFolder(), &error))
        return std::nullopt;
    printLine(error);
    printLine(QStringLiteral("see parcelwick --help"));
    return CACommandLine::kUsage;
}

void setUpApplication()
{
    QApplication::setApplicationVersion(QStringLiteral(PW_VERSION));
    startKernel();
    CASampleDesignLibrary::useShippedContent();
    // The desktop entry's name lets the desktop match the windows to the entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("parcelwick"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/parcelwick.svg")));
    QApplication::setQuitOnLastWindowClosed(false);
}

// The request of this start; a status to leave with when it was help, the version or unreadable.
std::variant<CACommandRequest, int> readRequest(const QStringList &arguments)
{
    QString error;
    bool helpOrVersion = false;
    std::optional<CACommandRequest> request =
        CACommandLine::parse(arguments, QDir::currentPath(), &error, &helpOrVersion);
    if (helpOrVersion && request) {
        const bool version = arguments.contains(QStringLiteral("--version")) || arguments.contains(QStringLiteral("-v"));
        std::printf("%s", version ? qPrintable(QStringLiteral("parcelwick %1\n").arg(QApplication::applicationVersion()))
                                  : qPrintable(CACommandLine::helpText()));
        return CACommandLine::kSuccess;
    }
    if (!request) {
        printLine(error);
        printLine(QStringLiteral("see parcelwick --help"));
        return CACommandLine::kUsage;
    }
    return std::move(*request);
}

// The arguments as the system gave them: names that are no UTF-8 travel as bytes.
struct StartArguments
{
    QStringList texts;
    QList<QByteArray> raw;
    bool anyByteName = false;
};

StartArguments startArguments(int argc, char *argv[])
{
    StartArguments arguments;
    arguments.texts = QApplication::arguments();
    for (int i = 1; i < argc; ++i)
        arguments.raw.append(QByteArray(argv[i]));
    arguments.anyByteName = std::any_of(arguments.raw.cbegin(), arguments.raw.cend(),
                                        [](const QByteArray &raw) { return !CADocumentManager::isTextName(raw); });
    return arguments;
}

// Hands this start's request to the running instance; the status to leave with, or nothing when
// no instance answered.
std::optional<int> handOver(const QString &door, const StartArguments &arguments, int timeoutMs)
{
    QString error;
    QString said;
    switch (CAInstanceClient::hand(door, arguments.texts.mid(1), QDir::currentPath(), timeoutMs, &error, &said,
                                   arguments.anyByteName ? arguments.raw : QList<QByteArray>())) {
    case CAInstanceClient::Outcome::Done:
        if (!said.isEmpty())
            printLine(said);
        return CACommandLine::kSuccess;
    case CAInstanceClient::Outcome::Failed:
        printLine(error);
        return CACommandLine::kFailure;
    case CAInstanceClient::Outcome::NoInstance:
        break;
    }
    return std::nullopt;
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

// What a later start hands over: files (by their bytes where they are no UTF-8), text for the
// services and script commands. Every request is answered before anything waits on the user:
// failures are told after the answer.
void serveDoor(CAInstanceServer &door, CADocumentController &controller, const CAInstanceCommands &commands,
               CAScriptCommands &scriptCommands)
{
    door.setHandler([&controller, &commands, &scriptCommands](const QJsonObject &message,
                                                              const CAInstanceServer::Reply &reply) {
        const CADocumentManager::ReportHold hold(controller.manager());
        if (!message.contains(QStringLiteral("arguments"))) {
            reply(scriptCommands.execute(message));
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
            if (!controller.manager().openDocumentAtBytes(name))
                unopened.append(QStringLiteral("%1 cannot be opened").arg(QFile::decodeName(name)));
        QJsonObject answer = commands.perform(handed, cwd);
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

// Opens the door, or hands this start over to the instance that holds it. The lock held while
// listening makes one of two starts at the same moment the instance; the other waits until
// that one listens and hands its request over. A status to leave with when it was handed over.
std::optional<int> openDoor(CAInstanceServer &door, const QString &doorName, const StartArguments &arguments)
{
    if (doorName.isEmpty()) {
        qCWarning(lcShell) << "Later starts cannot hand over their files: no folder only this user can enter";
        return std::nullopt;
    }
    constexpr int kPatienceMs = 10000;
    QElapsedTimer waited;
    waited.start();
    QString error;
    while (!door.listen(&error)) {
        if (const std::optional<int> handed = handOver(doorName, arguments, 200))
            return handed;
        if (waited.elapsed() > kPatienceMs) {
            qCWarning(lcShell) << "Later starts cannot hand over their files:" << error;
            return std::nullopt;
        }
        // The holder of the lock is between its look and its listen.
        QThread::msleep(20);
    }
    if (!door.lockWarning().isEmpty())
        printLine(door.lockWarning());
    return std::nullopt;
}

// Files, text and commands of this start, in the order the user asked for them.
void openStartupRequests(CADocumentController &controller, CAScriptCommands &scriptCommands,
                         const CACommandRequest &request, const StartArguments &arguments)
{
    QCommandLineParser parser;
    parser.addOptions(CACommandLine::options());
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Designs to open."));
    parser.parse(arguments.texts);

    // Names that are no UTF-8 open by their bytes; the rest as the request read them.
    QStringList startupFiles = request.files;
    if (arguments.anyByteName) {
        QStringList texts;
        for (const QByteArray &raw : std::as_const(arguments.raw))
            texts.append(QFile::decodeName(raw));
        for (const QByteArray &name : takeByteNames(&texts, arguments.raw, QFile::encodeName(QDir::currentPath()))) {
            startupFiles.removeAll(QDir::cleanPath(QFile::decodeName(name)));
            controller.manager().openDocumentAtBytes(name);
        }
    }
    controller.openStartupDocuments(startupFiles, &parser);
    controller.setTerminateWhenLastDocumentCloses(true);

    // The commands of this start go to this instance, as a later start's would.
    for (const QJsonObject &command : request.commands) {
        const QJsonObject answer = scriptCommands.execute(command, QDir::currentPath());
        if (answer.value(QStringLiteral("status")).toString() != u"ok")
            printLine(answer.value(QStringLiteral("message")).toString());
    }
}

// The start-up benchmark's probe: an assistant the start-up shows first is cancelled as soon as
// it is up; once the first document window is, the time is reported and the application leaves.
void armStartupProbe(QApplication &app, const QElapsedTimer &sinceStart, bool documentsShown)
{
    if (!qEnvironmentVariableIsSet("PW_EXIT_WHEN_SHOWN"))
        return;
    if (!documentsShown) {
        QTimer::singleShot(0, &app, [] {
            if (CAAssistantController::sharedWizard().isRunning())
                CAAssistantController::sharedWizard().cancel();
        });
        return;
    }
    QTimer::singleShot(0, &app, [&sinceStart] {
        std::printf("first window shown after %lld ms\n", static_cast<long long>(sinceStart.elapsed()));
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
}

} // namespace

int main(int argc, char *argv[])
{
    // Pictures and workbooks are read apart by a fresh start of this program: such a start serves
    // its one request and ends here, before any window or setting is touched.
    PWIsolatedCall::serveIfChild();
    QElapsedTimer sinceStart;
    sinceStart.start();
    const bool toolkitOptions = CACommandLine::mentionsToolkitOption(argc, argv);
    QStringList byteArguments;
    for (int i = 0; i < argc; ++i)
        byteArguments.append(CACommandLine::argumentText(argv[i]));
    if (const std::optional<int> refused = refuseUnreadableOptions(byteArguments, toolkitOptions))
        return *refused;
    // A batch job, help and the version need no display: they must run on a server without one
    // and never show a window.
    const bool headless = CACommandLine::isHeadless(argc, argv);
    if (headless && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (headless) {
        g_quietLog = true;
        g_logHandler = qInstallMessageHandler(batchLogHandler);
    }
    QApplication app(argc, argv);
    setUpApplication();
    if (headless && PWLog::debugMode())
        g_quietLog = false;

    const std::variant<CACommandRequest, int> read = readRequest(QApplication::arguments());
    if (const int *status = std::get_if<int>(&read))
        return *status;
    const CACommandRequest &request = std::get<CACommandRequest>(read);
    if (request.mode != CACommandRequest::Mode::Interactive) {
        // Read again from the bytes, unless the toolkit took options of its own out first.
        if (toolkitOptions)
            return runBatch(request);
        QString error;
        const std::optional<CACommandRequest> batch =
            CACommandLine::parse(byteArguments, CACommandLine::currentFolder(), &error);
        return runBatch(batch ? *batch : request);
    }

    // One instance per user: a later start hands its files and commands to the running one.
    const StartArguments arguments = startArguments(argc, argv);
    const QString doorName = CAInstanceServer::defaultServerName();
    if (const std::optional<int> handed = handOver(doorName, arguments, 1000))
        return *handed;

    CADocumentController controller;
    installApplicationParts(controller);
    controller.applicationWillFinishLaunching();
    CAScriptCommands scriptCommands(controller);
    scriptCommands.setAssistant(CAScriptCommands::sharedAssistant());
    const CAInstanceCommands commands({
        [&controller](const QString &path, QString *reason) {
            if (controller.manager().openDocument(path))
                return true;
            *reason = QStringLiteral("%1 cannot be opened").arg(path);
            return false;
        },
        [&controller](const QCommandLineParser &handed) { controller.services().performCommandLineOptions(handed); },
        [&scriptCommands](const QJsonObject &command) { return scriptCommands.execute(command); },
    });
    // The door opens before any start-up document is read or the assistant shows, so that a later
    // start meanwhile reaches this instance instead of becoming a second one. Made after what its
    // handler calls, so that it closes before they go.
    CAInstanceServer door(doorName);
    serveDoor(door, controller, commands, scriptCommands);
    if (const std::optional<int> handed = openDoor(door, doorName, arguments))
        return *handed;

    armStartupProbe(app, sinceStart, false);
    openStartupRequests(controller, scriptCommands, request, arguments);

    // Without its address formats the application still opens, so that no work is lost, but it
    // says why address panels cannot be built.
    const QString formatError = CAddressFormatController::sharedAddressFormatController().loadError();
    if (!formatError.isEmpty())
        QMessageBox::critical(nullptr, QStringLiteral("Parcelwick"), formatError);

    armStartupProbe(app, sinceStart, true);
    // The floating panels come once the first window is up: the design window's picture panes
    // wait for a content library still being seeded, and the document must not wait with them.
    QTimer::singleShot(0, &controller, [&controller] { controller.applicationDidFinishLaunching(); });
    return QApplication::exec();
}
