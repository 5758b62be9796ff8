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

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QIcon>
#include <QJsonArray>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>

namespace {

void printLine(const QString &line)
{
    std::fprintf(stderr, "parcelwick: %s\n", qPrintable(line));
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

} // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    // A batch job, help and the version need no display: they must run on a server without one
    // and never show a window.
    // Options that cannot be understood are reported before any display is needed, so that a
    // mistyped batch job on a server says why rather than failing for want of a screen. Qt's own
    // options are read by the application object, so such a command line is read after it.
    if (!CACommandLine::mentionsToolkitOption(argc, argv)) {
        QStringList raw;
        for (int i = 0; i < argc; ++i)
            raw.append(QString::fromLocal8Bit(argv[i]));
        QString error;
        if (!CACommandLine::parse(raw, QDir::currentPath(), &error)) {
            printLine(error);
            printLine(QStringLiteral("see parcelwick --help"));
            return CACommandLine::kUsage;
        }
    }
    const bool headless = CACommandLine::isHeadless(argc, argv);
    if (headless && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(PW_VERSION));
    startKernel();
    // The desktop entry's name lets the desktop match the windows to the entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("parcelwick"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/parcelwick.svg")));
    QApplication::setQuitOnLastWindowClosed(false);

    const QStringList arguments = QApplication::arguments();
    QString error;
    bool helpOrVersion = false;
    const std::optional<CACommandRequest> request =
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
    if (request->mode != CACommandRequest::Mode::Interactive)
        return runBatch(*request);

    // One instance per user: a later start hands its files and commands to the running one.
    const QString doorName = CAInstanceServer::defaultServerName();
    switch (CAInstanceClient::hand(doorName, arguments.mid(1), QDir::currentPath(), 1000, &error)) {
    case CAInstanceClient::Outcome::Done:
        return CACommandLine::kSuccess;
    case CAInstanceClient::Outcome::Failed:
        printLine(error);
        return CACommandLine::kFailure;
    case CAInstanceClient::Outcome::NoInstance:
        break;
    }

    QCommandLineParser parser;
    parser.addOptions(CACommandLine::options());
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Designs to open."));
    parser.parse(arguments);

    // The clip-art collection and the masks are seeded on first start, before any pane looks for them.
    CASampleDesignLibrary::installContentForUser();

    CADocumentController controller;
    installChangeLayoutSheet();
    installPrintCommands();
    installCanvasCommands();
    installCanvasFormatCommands(controller);
    installAddressCommands();
    installAddressWindow(controller);
    installDesignWindow(controller);
    installPropertiesPanel(controller);
    installAssistant(controller);
    controller.applicationWillFinishLaunching();
    // The start-up probe measures the way to a document window: an assistant the start-up
    // shows first is cancelled as soon as it is up.
    if (qEnvironmentVariableIsSet("PW_EXIT_WHEN_SHOWN")) {
        QTimer::singleShot(0, &app, [] {
            if (CAAssistantController::sharedWizard().isRunning())
                CAAssistantController::sharedWizard().cancel();
        });
    }
    controller.openStartupDocuments(request->files);
    controller.applicationDidFinishLaunching();
    // Text handed over on the command line goes to the documents the start-up made, as text from
    // the File menu would.
    controller.services().performCommandLineOptions(parser);
    controller.setTerminateWhenLastDocumentCloses(true);

    // The commands of this start go to this instance, as a later start's would.
    CAScriptCommands scriptCommands(controller);
    scriptCommands.setAssistant(CAScriptCommands::sharedAssistant());
    for (const QJsonObject &command : request->commands) {
        const QJsonObject answer = scriptCommands.execute(command, QDir::currentPath());
        if (answer.value(QStringLiteral("status")).toString() != u"ok")
            printLine(answer.value(QStringLiteral("message")).toString());
    }

    CAInstanceServer door(doorName);
    const CAInstanceCommands commands({
        [&controller](const QString &path) { controller.manager().openDocument(path); },
        [&controller](const QCommandLineParser &handed) { controller.services().performCommandLineOptions(handed); },
        [&scriptCommands](const QJsonObject &command) { return scriptCommands.execute(command); },
    });
    door.setHandler([&commands, &scriptCommands](const QJsonObject &message, const CAInstanceServer::Reply &reply) {
        if (!message.contains(QStringLiteral("arguments"))) {
            reply(scriptCommands.execute(message));
            return;
        }
        QStringList handed;
        for (const QJsonValue &value : message.value(QStringLiteral("arguments")).toArray())
            handed.append(value.toString());
        QString reason;
        if (commands.perform(handed, message.value(QStringLiteral("cwd")).toString(), &reason)) {
            reply(CAInstanceServer::okAnswer());
            return;
        }
        qCWarning(lcShell) << "A request handed over by another start was refused:" << reason;
        reply(CAInstanceServer::errorAnswer(reason));
    });
    if (!door.listen(&error))
        qCWarning(lcShell) << "Later starts cannot hand over their files:" << error;

    // Without its address formats the application still opens, so that no work is lost, but it
    // says why address panels cannot be built.
    const QString formatError = CAddressFormatController::sharedAddressFormatController().loadError();
    if (!formatError.isEmpty())
        QMessageBox::critical(nullptr, QStringLiteral("Parcelwick"), formatError);

    // The start-up benchmark's probe: report when the first window is up, then leave.
    if (qEnvironmentVariableIsSet("PW_EXIT_WHEN_SHOWN")) {
        QTimer::singleShot(0, &app, [&sinceStart] {
            std::printf("first window shown after %lld ms\n", static_cast<long long>(sinceStart.elapsed()));
            std::fflush(stdout);
            QCoreApplication::exit(0);
        });
    }
    return QApplication::exec();
}
