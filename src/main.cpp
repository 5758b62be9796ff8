#include "app/command/CABatchJob.h"
#include "app/command/CACommandLine.h"
#include "app/command/CACommandLineStart.h"
#include "app/command/CAInstanceDoor.h"
#include "app/shell/CAAssistantController.h"
#include "app/shell/CASampleDesignLibrary.h"

#include "kernel/FTKernelStartup.h"
#include "platform/PWIsolatedCall.h"
#include "platform/PWLog.h"
#include "platform/PWUserDefaults.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QIcon>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <optional>
#include <variant>

namespace {

void printLine(const QString &line)
{
    CACommandLine::printLine(line);
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
        // A job reads the user's settings and leaves their file as it found it.
        PWUserDefaults::setLeavesFileAsFound(true);
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

    CACommandLineStart start(request, CACommandLineStart::arguments(QApplication::arguments(), argc, argv),
                             CAInstanceServer::defaultServerName());
    if (const std::optional<int> handed = start.handOverOrBecomeInstance())
        return *handed;
    armStartupProbe(app, sinceStart, false);
    start.openRequested();
    armStartupProbe(app, sinceStart, true);
    start.finishLaunching();
    return QApplication::exec();
}
