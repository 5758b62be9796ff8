#include "kernel/FTKernelStartup.h"

#include "kernel/address/FTAddressComponents.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/drawing/FTDrawingComponents.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/text/FTTextComponents.h"
#include "platform/PWIsolatedCall.h"

#include <QCoreApplication>

#include <csignal>

void startKernel()
{
    static bool started = false;
    if (started)
        return;
    started = true;
    // A program whose main forgot to ask still serves work run apart, rather than starting over as
    // itself in a child.
    PWIsolatedCall::serveIfChild();

    // A write past the file-size limit then fails with its own error, which a save reports,
    // instead of ending the process with the user's work.
    std::signal(SIGXFSZ, SIG_IGN);

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
