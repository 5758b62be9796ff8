#include "app/shell/CAMainWindow.h"

#include "kernel/address/CAddressFormatController.h"
#include "kernel/FTKernelStartup.h"

#include <QApplication>
#include <QMessageBox>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    startKernel();

    CAMainWindow window;
    window.show();

    // Without its address formats the application still opens, so that no work is lost, but it
    // says why address panels cannot be built.
    const QString formatError = CAddressFormatController::sharedAddressFormatController().loadError();
    if (!formatError.isEmpty())
        QMessageBox::critical(&window, QStringLiteral("Parcelwick"), formatError);

    return QApplication::exec();
}
