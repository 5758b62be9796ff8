// Start-up of the application, from starting the process to its first window on the screen (at a
// first start, the start-up assistant): the release build of parcelwick itself, offscreen, in a
// fresh home each time.
#include "BenchSupport.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>

namespace {

void BM_StartupToFirstDocumentWindow(benchmark::State &state)
{
    double reported = 0;
    int runs = 0;
    for (auto _ : state) {
        QTemporaryDir home(QDir::tempPath() + QStringLiteral("/pw-bench-start-XXXXXX"));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("PW_EXIT_WHEN_SHOWN"), QStringLiteral("1"));
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/.config"));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/.local/share"));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), home.path() + QStringLiteral("/.cache"));
        // A door of its own: a parcelwick the person runs must neither take the start over nor see it.
        environment.insert(QStringLiteral("PW_INSTANCE_SOCKET"), home.path() + QStringLiteral("/instance"));
        QProcess process;
        process.setProcessEnvironment(environment);
        QElapsedTimer timer;
        timer.start();
        process.start(QStringLiteral(PW_APPLICATION_PATH), {});
        // The time is taken when the probe says the first window is up; what the process does
        // after it (finishing a first start's copies in the background) is not start-up.
        QByteArray out;
        qint64 shownAt = -1;
        while (shownAt < 0 && process.waitForReadyRead(30000)) {
            out += process.readAllStandardOutput();
            if (out.contains("first window shown after"))
                shownAt = timer.nsecsElapsed();
        }
        if (shownAt < 0 || !process.waitForFinished(60000) || process.exitCode() != 0) {
            state.SkipWithError("the application did not show its first window and leave");
            return;
        }
        state.SetIterationTime(shownAt / 1e9);
        // The application's own figure: from main to the first window painted.
        const qsizetype at = out.indexOf("after ");
        if (at >= 0) {
            reported += out.mid(at + 6).split(' ').value(0).toDouble();
            ++runs;
        }
    }
    if (runs > 0)
        state.counters["in_process_ms"] = reported / runs;
}
BENCHMARK(BM_StartupToFirstDocumentWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
