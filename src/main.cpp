#include "shell/CAMainWindow.h"

#include "address/CAddressFormatController.h"
#include "address/FTPersonFields.h"
#include "foundation/CAEnvironment.h"

#include <QApplication>
#include <QMessageBox>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Parcelwick"));
    QApplication::setOrganizationName(QStringLiteral("Parcelwick"));

    // The person type learns the custom properties before the environment registers them.
    installPersonPropertiesRegistration();
    CAEnvironment::sharedEnvironment();

    CAMainWindow window;
    window.show();

    // Without its address formats the application still opens, so that no work is lost, but it
    // says why address panels cannot be built.
    const QString formatError = CAddressFormatController::sharedAddressFormatController().loadError();
    if (!formatError.isEmpty())
        QMessageBox::critical(&window, QStringLiteral("Parcelwick"), formatError);

    return QApplication::exec();
}
