#include "kernel/FTKernelStartup.h"

#include "kernel/address/FTAddressComponents.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/drawing/FTDrawingComponents.h"
#include "kernel/foundation/CAEnvironment.h"
#include "kernel/text/FTTextComponents.h"

#include <QCoreApplication>

void startKernel()
{
    static bool started = false;
    if (started)
        return;
    started = true;

    QCoreApplication::setApplicationName(QStringLiteral("Parcelwick"));
    QCoreApplication::setOrganizationName(QStringLiteral("Parcelwick"));

    registerDrawingComponents();
    registerTextComponents();
    registerAddressComponents();

    // The person type learns the custom properties before the environment registers them.
    installPersonPropertiesRegistration();
    CAEnvironment::sharedEnvironment();
    CAEnvironment::registerApplicationDefaults();
}
