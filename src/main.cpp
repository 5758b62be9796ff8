#include "app/shell/CAChangeLayoutSheet.h"
#include "app/shell/CADocumentController.h"

#include "kernel/address/CAddressFormatController.h"
#include "kernel/FTKernelStartup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication app(argc, argv);
    startKernel();
    QApplication::setQuitOnLastWindowClosed(false);

    CADocumentController controller;
    installChangeLayoutSheet();
    controller.applicationWillFinishLaunching();
    QStringList files = QApplication::arguments().mid(1);
    controller.openStartupDocuments(files);
    controller.applicationDidFinishLaunching();
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
