#pragma once

// A test of windows on a screen of a given size and scale, which the offscreen platform of a
// suite's process cannot change once it started: the test runs again in a child, a start of this
// same suite whose one screen is the one asked for; its failures are this test's.
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTemporaryFile>

#include <gtest/gtest.h>

#include <sys/prctl.h>

#include <csignal>

namespace pwtest {

// A screen in logical pixels, as the user's desktop gives it, at a scale in percent.
struct TestScreen
{
    int width;
    int height;
    int scalePercent = 100;
    std::string name() const
    {
        return std::to_string(width) + "x" + std::to_string(height) + "@" + std::to_string(scalePercent);
    }
    // The same as a test's name takes it.
    std::string testName() const
    {
        return "s" + std::to_string(width) + "x" + std::to_string(height) + "at" + std::to_string(scalePercent);
    }
};

inline bool isOnScreen(const TestScreen &screen)
{
    const QScreen *primary = QGuiApplication::primaryScreen();
    return primary && primary->geometry().size() == QSize(screen.width, screen.height)
           && qRound(primary->devicePixelRatio() * 100) == screen.scalePercent;
}

// True where this process is on the screen: the test goes on. Otherwise runs the test in a child
// on that screen, reports what failed there, and answers false: the test ends here.
inline bool runsOnScreen(const TestScreen &screen)
{
    if (isOnScreen(screen))
        return true;
    if (qEnvironmentVariableIsSet("PW_TEST_SCREEN")) {
        ADD_FAILURE() << "the child asked for " << screen.name() << " got another screen";
        return false;
    }
    QTemporaryFile config(QDir::tempPath() + QStringLiteral("/screen-XXXXXX.json"));
    const int scale = screen.scalePercent;
    const QByteArray json = QStringLiteral(R"({"screens": [{"name": "test", "x": 0, "y": 0, "width": %1, "height": %2,)"
                                           R"( "logicalDpi": %3}]})")
                                .arg(screen.width * scale / 100)
                                .arg(screen.height * scale / 100)
                                .arg(96 * scale / 100)
                                .toUtf8();
    if (!config.open() || config.write(json) != json.size() || !config.flush()) {
        ADD_FAILURE() << "the screen's description could not be written";
        return false;
    }
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    const QString name = QString::fromUtf8(test->test_suite_name()) + u'.' + QString::fromUtf8(test->name());
    QProcess child;
    child.setProgram(QCoreApplication::applicationFilePath());
    // The platform named on the command line wins over the suite's own choice.
    child.setArguments({QStringLiteral("-platform"), QStringLiteral("offscreen:configfile=") + config.fileName(),
                        QStringLiteral("--gtest_filter=") + name, QStringLiteral("--gtest_brief=1")});
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PW_TEST_SCREEN"), QString::fromStdString(screen.name()));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    // A suite stopped at its deadline takes its child with it.
    child.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    child.start();
    if (!child.waitForStarted(kEventWaitMs)) {
        ADD_FAILURE() << "the suite could not be started again: " << child.errorString().toStdString();
        return false;
    }
    child.waitForFinished(-1);
    const QByteArray output = child.readAll();
    EXPECT_TRUE(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0)
        << "on a screen of " << screen.name() << ":\n" << output.toStdString();
    // A filter that matched nothing passes too: the test must have run there.
    EXPECT_TRUE(output.contains("1 test from") && !output.contains("0 tests from"))
        << "the test did not run on " << screen.name() << ":\n" << output.toStdString();
    return false;
}

} // namespace pwtest
