#include "platform/PWIsolatedCall.h"

#include <QElapsedTimer>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

// Present only in sanitizer builds: there the child's own end must not run the handlers the
// parent installed for its own faults (a fuzzer would keep a crashed child's input as a finding).
extern "C" void __sanitizer_set_death_callback(void (*callback)(void)) __attribute__((weak));

namespace {

enum ChildExit { kAnswered = 0, kOutOfMemory = 4, kThrew = 5, kWriteFailed = 6 };

// What the process holds as data now (heap and anonymous mappings), which the limit is added to:
// the child starts as a copy of a process that may already hold much.
rlim_t dataInUse()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().simplified().split(' ');
    if (fields.size() < 6)
        return 0;
    return rlim_t(fields.at(5).toULongLong()) * rlim_t(sysconf(_SC_PAGESIZE));
}

void limitChild(const PWIsolatedCall::Limits &limits, rlim_t dataBefore)
{
    const rlimit data {dataBefore + rlim_t(limits.memoryBytes), dataBefore + rlim_t(limits.memoryBytes)};
    setrlimit(RLIMIT_DATA, &data);
    // A work that loops without end is stopped by the parent's deadline; this is the backstop
    // should the parent itself be gone.
    const rlim_t seconds = rlim_t(limits.deadlineMs / 1000 + 2);
    const rlimit cpu {seconds, seconds};
    setrlimit(RLIMIT_CPU, &cpu);
}

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *at = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, at, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        at += written;
        left -= written;
    }
    return true;
}

[[noreturn]] void runChild(const PWIsolatedCall::Work &work, const PWIsolatedCall::Limits &limits, int answerFd,
                           rlim_t dataBefore)
{
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) {
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
    }
    // A fault of the work ends the child plainly; the parent reads the signal from its status.
    for (const int fault : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT})
        signal(fault, SIG_DFL);
    if (__sanitizer_set_death_callback)
        __sanitizer_set_death_callback(nullptr);
    limitChild(limits, dataBefore);
    QByteArray answer;
    try {
        answer = work();
    } catch (const std::bad_alloc &) {
        _exit(kOutOfMemory);
    } catch (...) {
        _exit(kThrew);
    }
    _exit(writeAll(answerFd, answer) ? kAnswered : kWriteFailed);
}

// Waits for the child's end until the deadline, then ends it; answers its status.
int reap(pid_t child, const QElapsedTimer &timer, int deadlineMs, bool *killed)
{
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child)
            return status;
        if (done < 0 && errno != EINTR)
            return status;
        if (timer.elapsed() >= deadlineMs) {
            *killed = true;
            kill(child, SIGKILL);
            while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
            return status;
        }
        const timespec step {0, 2 * 1000 * 1000};
        nanosleep(&step, nullptr);
    }
}

QString megabytes(qint64 bytes)
{
    return QString::number(bytes / (1024 * 1024));
}

} // namespace

PWIsolatedCall::Outcome PWIsolatedCall::run(const Work &work, const Limits &limits)
{
    Outcome outcome;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        outcome.reason = QStringLiteral("it cannot be read apart: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        return outcome;
    }
    const rlim_t dataBefore = dataInUse();
    QElapsedTimer timer;
    timer.start();
    const pid_t child = fork();
    if (child < 0) {
        outcome.reason = QStringLiteral("it cannot be read apart: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        ::close(fds[0]);
        ::close(fds[1]);
        return outcome;
    }
    if (child == 0) {
        ::close(fds[0]);
        runChild(work, limits, fds[1], dataBefore);
    }
    ::close(fds[1]);

    bool late = false;
    bool tooLarge = false;
    QByteArray answer;
    char buffer[65536];
    for (;;) {
        const qint64 left = limits.deadlineMs - timer.elapsed();
        if (left <= 0) {
            late = true;
            break;
        }
        pollfd ready {fds[0], POLLIN, 0};
        const int polled = poll(&ready, 1, int(left));
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled == 0) {
            late = true;
            break;
        }
        const ssize_t got = ::read(fds[0], buffer, sizeof buffer);
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (got <= 0)
            break;
        if (answer.size() + got > limits.answerBytes) {
            tooLarge = true;
            break;
        }
        answer.append(buffer, qsizetype(got));
    }
    ::close(fds[0]);
    if (late || tooLarge)
        kill(child, SIGKILL);
    bool killed = false;
    const int status = reap(child, timer, late || tooLarge ? 0 : limits.deadlineMs, &killed);
    const int wholeSeconds = (limits.deadlineMs + 999) / 1000;
    const QString seconds = wholeSeconds == 1 ? QStringLiteral("1 second") : QStringLiteral("%1 seconds").arg(wholeSeconds);
    if (tooLarge) {
        outcome.reason = QStringLiteral("reading it gave more than %1 MB").arg(megabytes(limits.answerBytes));
    } else if (late || killed) {
        outcome.reason = QStringLiteral("reading it did not end within %1").arg(seconds);
    } else if (WIFEXITED(status) && WEXITSTATUS(status) == kAnswered) {
        outcome.ok = true;
        outcome.answer = std::move(answer);
    } else if (WIFEXITED(status) && WEXITSTATUS(status) == kOutOfMemory) {
        outcome.reason = QStringLiteral("reading it needs more than %1 MB of memory").arg(megabytes(limits.memoryBytes));
    } else if (WIFSIGNALED(status) && (WTERMSIG(status) == SIGXCPU || WTERMSIG(status) == SIGKILL)) {
        outcome.reason = QStringLiteral("reading it did not end within %1").arg(seconds);
    } else if (WIFSIGNALED(status)) {
        outcome.reason = QStringLiteral("reading it failed (signal %1)").arg(WTERMSIG(status));
    } else {
        outcome.reason = QStringLiteral("reading it failed (exit status %1)").arg(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    }
    return outcome;
}
