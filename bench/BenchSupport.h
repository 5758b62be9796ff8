#pragma once

#include "kernel/FTKernelStartup.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <clocale>

#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <QStringList>
#include <vector>

// What every benchmark runs in: the offscreen platform, the C locale, private HOME and XDG
// folders (so that no one's own settings change a figure), a GUI application and the kernel's
// one start-up. Keep it alive for the whole run. Benchmarks of windows pass QApplication.
template <class Application = QGuiApplication>
class BenchEnvironment
{
public:
    BenchEnvironment(int &argc, char **argv)
        : m_home(prepareHome())
        , m_app(argc, argv)
    {
        startKernel();
    }

private:
    static QTemporaryDir prepareHome()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("LC_ALL", "C");
        std::setlocale(LC_ALL, "C");
        QTemporaryDir home(QDir::tempPath() + QStringLiteral("/pw-bench-home-XXXXXX"));
        const QByteArray path = home.path().toLocal8Bit();
        qputenv("HOME", path);
        qputenv("XDG_CONFIG_HOME", path + "/.config");
        qputenv("XDG_DATA_HOME", path + "/.local/share");
        qputenv("XDG_CACHE_HOME", path + "/.cache");
        QDir().mkpath(home.path() + QStringLiteral("/.config"));
        QDir().mkpath(home.path() + QStringLiteral("/.local/share"));
        // Temporary files of the bench and of the code it runs go inside the private home, and
        // are gone with it.
        QDir().mkpath(home.path() + QStringLiteral("/tmp"));
        qputenv("TMPDIR", path + "/tmp");
        return home;
    }

    QTemporaryDir m_home;
    Application m_app;
};

// The main of a Google Benchmark program, in the environment above.
template <class Application = QGuiApplication>
int runBenchmarks(int argc, char **argv)
{
    BenchEnvironment<Application> environment(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Kilobytes of one "Vm..." line of /proc/self/status; 0 where there is none.
inline qint64 statusKilobytes(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

// Starts the process's peak resident size afresh at what it holds now (Linux 4.0 and later),
// after handing back what the benchmarks before left free: a later one would otherwise reuse
// it unseen.
inline void resetPeak()
{
    malloc_trim(0);
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

#ifdef PW_APPLICATION_PATH
// Runs the program with arguments and waits for it: its exit status (-1 when it could not run or
// did not exit) and its own rusage.
inline int runApplication(const QStringList &arguments, rusage *usage)
{
    std::vector<QByteArray> storage {QByteArray(PW_APPLICATION_PATH)};
    for (const QString &argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, PW_APPLICATION_PATH, nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    if (wait4(pid, &status, 0, usage) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
#endif
