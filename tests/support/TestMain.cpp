#include "TestSupport.h"
#include "platform/PWIsolatedCall.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
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

#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr auto kRunPrefix = "pw-test-run-";

// A suite ended by a signal or its deadline cannot take its folder away: the next start of any
// suite takes away the folders of runs whose process is gone (named by process, so that a
// running suite's folder is never touched).
void removeFoldersOfEndedRuns()
{
    const QDir temp(QDir::tempPath());
    const QString prefix = QString::fromLatin1(kRunPrefix);
    for (const QString &name : temp.entryList({prefix + QStringLiteral("*")}, QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        const qint64 process = name.mid(prefix.size()).section(QLatin1Char('-'), 0, 0).toLongLong(&number);
        if (number && process > 0 && !QFileInfo::exists(QStringLiteral("/proc/%1").arg(process)))
            QDir(temp.filePath(name)).removeRecursively();
    }
}

// A test that ends the process (exit() in the code under test) would otherwise pass with whatever
// it had not yet checked, and leave the run's folder behind.
pid_t g_runner = 0;
bool g_suiteEnded = false;
std::string g_runFolder;

void failAnEndBeforeTheSuite()
{
    if (::getpid() != g_runner || g_suiteEnded)
        return;
    if (pwtest::runEndedOnPurpose()) {
        QDir(QString::fromStdString(g_runFolder)).removeRecursively();
        return;
    }
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::fprintf(stderr, "The process ended inside %s.%s, before the suite had run to its end.\n",
                 test ? test->test_suite_name() : "(no test)", test ? test->name() : "");
    QDir(QString::fromStdString(g_runFolder)).removeRecursively();
    ::_exit(1);
}

} // namespace

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

    removeFoldersOfEndedRuns();
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/%1%2-XXXXXX")
                                              .arg(QString::fromLatin1(kRunPrefix))
                                              .arg(QCoreApplication::applicationPid()));
    if (!home.isValid())
        return 2;
    const QByteArray homePath = home.path().toLocal8Bit();
    // Whatever the tests and the programs they start make in the temporary folder lies in the
    // run's own, and goes with it. Like the system's, it is open to all with the sticky bit, for the
    // tests that run a program as another user; the run's folder lets them pass, not list.
    QDir().mkpath(home.path() + QStringLiteral("/tmp"));
    ::chmod(homePath.constData(), 0711);
    ::chmod(homePath + "/tmp", 01777);
    qputenv("TMPDIR", homePath + "/tmp");
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
    g_runner = ::getpid();
    g_runFolder = home.path().toStdString();
    std::atexit(failAnEndBeforeTheSuite);
    const int result = RUN_ALL_TESTS();
    g_suiteEnded = true;
    return result;
}
