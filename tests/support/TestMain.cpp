#include "platform/PWIsolatedCall.h"

#include <QDir>
#include <QTemporaryDir>

#if defined(PW_TEST_WIDGETS)
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif

#if defined(PW_TEST_KERNEL)
#include "kernel/FTKernelStartup.h"
#endif

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

// Every suite runs headless, in the C locale, with a private home so that settings and content
// folders never touch the developer's own. Platform and kernel suites run on a GUI application
// without widgets, which shows that those layers need none.
int main(int argc, char **argv)
{
    // Work a test runs apart is served by a fresh start of the suite's own executable.
    PWIsolatedCall::serveIfChild();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("LC_ALL", "C");
    std::setlocale(LC_ALL, "C");

    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/pw-test-home-XXXXXX"));
    if (!home.isValid())
        return 2;
    const QByteArray homePath = home.path().toLocal8Bit();
    qputenv("HOME", homePath);
    qputenv("XDG_CONFIG_HOME", homePath + "/.config");
    qputenv("XDG_DATA_HOME", homePath + "/.local/share");
    qputenv("XDG_CACHE_HOME", homePath + "/.cache");
    qputenv("XDG_RUNTIME_DIR", homePath + "/.runtime");
    QDir().mkpath(home.path() + QStringLiteral("/.config"));
    QDir().mkpath(home.path() + QStringLiteral("/.local/share"));
    QDir().mkpath(home.path() + QStringLiteral("/.runtime"));
    QFile::setPermissions(home.path() + QStringLiteral("/.runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    TestApplication app(argc, argv);
    TestApplication::setApplicationName(QStringLiteral("Parcelwick"));
    TestApplication::setOrganizationName(QStringLiteral("Parcelwick"));
    QLocale::setDefault(QLocale::c());
#if defined(PW_TEST_KERNEL)
    startKernel();
#endif

    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
