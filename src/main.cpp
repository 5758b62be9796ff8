#include "app/shell/CAAddressWindowPanel.h"
#include "app/shell/CAChangeLayoutSheet.h"
#include "app/shell/CADocumentController.h"
#include "app/shell/CADocumentServices.h"

#include "kernel/address/CAddressFormatController.h"
#include "kernel/FTKernelStartup.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QIcon>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication app(argc, argv);
    startKernel();
    // The desktop entry's name lets the desktop match the windows to the entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("parcelwick"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/parcelwick.svg")));
    QApplication::setQuitOnLastWindowClosed(false);

    QCommandLineParser parser;
    parser.addOptions(CADocumentServices::commandLineOptions());
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Designs to open."));
    if (!parser.parse(QApplication::arguments())) {
        std::fprintf(stderr, "%s\n", qPrintable(parser.errorText()));
        return 2;
    }

    CADocumentController controller;
    installChangeLayoutSheet();
    installAddressWindow(controller);
    controller.applicationWillFinishLaunching();
    controller.openStartupDocuments(parser.positionalArguments());
    controller.applicationDidFinishLaunching();
    // Text handed over on the command line goes to the documents the start-up made, as text from
    // the File menu would.
    controller.services().performCommandLineOptions(parser);
    controller.setTerminateWhenLastDocumentCloses(true);

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
