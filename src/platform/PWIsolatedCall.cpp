#include "platform/PWIsolatedCall.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QScopeGuard>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <new>
#include <poll.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

// The first argument that makes a start of the executable a child; what follows is the job's
// name, the memory limit in bytes and the processor limit in seconds.
constexpr char kChildOption[] = "--pw-isolated-child";

enum ChildExit { kAnswered = 0, kOutOfMemory = 4, kThrew = 5, kWriteFailed = 6, kUnknownJob = 7 };

struct Jobs
{
    std::mutex mutex;
    QHash<QByteArray, PWIsolatedCall::Job> byName;
    QByteArray program;
};

Jobs &jobs()
{
    static Jobs instance;
    return instance;
}

// What the process holds as data now (heap and anonymous mappings), which the limit is added to:
// even a fresh start has mapped its libraries' data (and, under a sanitizer, its shadow memory).
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

QByteArray readAll(int fd)
{
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return bytes;
        bytes.append(buffer, qsizetype(got));
    }
}

[[noreturn]] void serve(const QByteArray &name, qint64 memoryBytes, qint64 cpuSeconds)
{
    // Should the caller be gone, nobody waits for the answer.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const rlim_t data = dataInUse() + rlim_t(std::max<qint64>(memoryBytes, 0));
    const rlimit dataLimit {data, data};
    setrlimit(RLIMIT_DATA, &dataLimit);
    // The work's time is its processor time: SIGXCPU ends it there, SIGKILL a second later should
    // it catch that. The caller's clock only stops a child that waits without working.
    const rlim_t seconds = rlim_t(std::max<qint64>(cpuSeconds, 1));
    const rlimit cpu {seconds, seconds + 1};
    setrlimit(RLIMIT_CPU, &cpu);

    PWIsolatedCall::Job job = nullptr;
    {
        std::lock_guard lock(jobs().mutex);
        job = jobs().byName.value(name);
    }
    if (!job)
        _exit(kUnknownJob);
    QByteArray answer;
    try {
        const QByteArray request = readAll(STDIN_FILENO);
        answer = job(request);
    } catch (const std::bad_alloc &) {
        _exit(kOutOfMemory);
    } catch (...) {
        _exit(kThrew);
    }
    _exit(writeAll(STDOUT_FILENO, answer) ? kAnswered : kWriteFailed);
}

// The clock that backs the processor limit up. A child that waits without working is stopped
// once its time by the clock is out; one that keeps working, however little of the processor a
// loaded machine leaves it, is left to its processor limit, up to kMostStretch times that time.
class BackStop
{
public:
    BackStop(pid_t child, qint64 wallMs)
        : m_child(child)
        , m_end(wallMs)
        , m_last(std::max<qint64>(0, wallMs - kStepMs))
        , m_cap(kMostStretch * wallMs)
    {
    }

    // Milliseconds to wait before asking again; 0 when the child is to be stopped now.
    qint64 leftMs(const QElapsedTimer &timer)
    {
        for (;;) {
            const qint64 now = timer.elapsed();
            if (!m_sampled && now >= m_last) {
                // Looked at late (this process starved too): the step is measured from here.
                m_sampled = true;
                m_used = processorMs();
                m_last = now;
                m_end = std::max(m_end, now + kStepMs / 4);
            }
            if (now < m_end)
                return (m_sampled ? m_end : m_last) - now;
            if (!m_sampled)
                return 0;
            // Worked since the last look: given another step.
            const qint64 used = processorMs();
            const qint64 looked = std::max<qint64>(1, now - m_last);
            if (used < 0 || m_used < 0 || (used - m_used) * kWorkingShare < looked || m_end + kStepMs > m_cap)
                return 0;
            m_used = used;
            m_last = now;
            m_end = now + kStepMs;
        }
    }
    // How long the child had by the clock when it was stopped.
    qint64 endMs() const { return m_end; }

private:
    static constexpr qint64 kStepMs = 1000;
    static constexpr qint64 kWorkingShare = 20; // a twentieth of the processor at least
    static constexpr qint64 kMostStretch = 10;

    // The child's processor time so far; -1 when it cannot be read.
    qint64 processorMs() const
    {
        clockid_t clock {};
        timespec used {};
        if (clock_getcpuclockid(m_child, &clock) != 0 || clock_gettime(clock, &used) != 0)
            return -1;
        return qint64(used.tv_sec) * 1000 + used.tv_nsec / 1000000;
    }

    pid_t m_child;
    qint64 m_end;
    qint64 m_last;
    qint64 m_cap;
    qint64 m_used = -1;
    bool m_sampled = false;
};

// Waits for the child's end until the back-stop ends it (at once without one); answers its status
// and the processor time it used.
int reap(pid_t child, const QElapsedTimer &timer, BackStop *backStop, bool *killed, double *cpuUsed)
{
    int status = 0;
    rusage usage {};
    const auto used = [&] {
        *cpuUsed = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
                   + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        return status;
    };
    for (;;) {
        const pid_t done = wait4(child, &status, WNOHANG, &usage);
        if (done == child)
            return used();
        if (done < 0 && errno != EINTR)
            return status;
        if (!backStop || backStop->leftMs(timer) == 0) {
            *killed = true;
            kill(child, SIGKILL);
            while (wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
            }
            return used();
        }
        const timespec step {0, 2 * 1000 * 1000};
        nanosleep(&step, nullptr);
    }
}

QString megabytes(qint64 bytes)
{
    return QString::number(bytes / (1024 * 1024));
}

QString systemError(const QString &what, int error)
{
    return QStringLiteral("it cannot be read apart: %1: %2").arg(what, QString::fromLocal8Bit(strerror(error)));
}

QString secondsText(qint64 milliseconds)
{
    const qint64 whole = (milliseconds + 999) / 1000;
    return whole == 1 ? QStringLiteral("1 second") : QStringLiteral("%1 seconds").arg(whole);
}

// The environment of the child: the caller's, with the temporary folder its own (a decoder that
// writes scratch files, and Ghostscript, which lets PostScript reach the temporary folder and
// nothing else, see only that folder) and without the options Ghostscript would take from it.
std::vector<QByteArray> childEnvironment(const QByteArray &tempFolder)
{
    std::vector<QByteArray> made;
    for (char **at = environ; at && *at; ++at) {
        const QByteArray entry(*at);
        if (entry.startsWith("TMPDIR=") || entry.startsWith("GS_OPTIONS="))
            continue;
        made.push_back(entry);
    }
    made.push_back("TMPDIR=" + tempFolder);
    return made;
}

// The caller's temporary folder; /tmp when $TMPDIR names none (Qt answers an empty path then).
QString callerTempFolder()
{
    const QString path = QDir::tempPath();
    return path.isEmpty() || !QDir::isAbsolutePath(path) ? QStringLiteral("/tmp") : path;
}

// A folder of the caller's temporary folder for one child alone, empty, readable by this user
// only; its name carries the caller's process number, so that what a killed caller left is
// recognized and taken away by a later one.
QByteArray makeChildFolder(int *error)
{
    // A temporary folder that is not writable falls back to /tmp.
    for (const QByteArray &parent : {QFile::encodeName(callerTempFolder()), QByteArray("/tmp")}) {
        QByteArray pattern = parent + "/parcelwick-child-" + QByteArray::number(qint64(getpid())) + "-XXXXXX";
        if (mkdtemp(pattern.data()))
            return pattern;
        *error = errno;
    }
    return QByteArray();
}

// Takes away the folders of children whose caller is gone (it was killed before it could).
void removeAbandonedFolders()
{
    static std::once_flag once;
    std::call_once(once, [] {
        QDir temp(callerTempFolder());
        const QStringList names =
            temp.entryList({QStringLiteral("parcelwick-child-*")}, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
        for (const QString &name : names) {
            const QStringList parts = name.split(QLatin1Char('-'));
            bool ok = false;
            const qint64 pid = parts.size() == 4 ? parts.at(2).toLongLong(&ok) : 0;
            if (!ok || pid <= 0 || pid == getpid())
                continue;
            const QFileInfo info(temp.filePath(name));
            if (info.isSymLink() || info.ownerId() != getuid())
                continue;
            if (kill(pid_t(pid), 0) == 0 || errno != ESRCH)
                continue;
            QDir(info.filePath()).removeRecursively();
        }
    });
}

// Starts the child with its end of the socket as standard input and output, standard error
// silenced, no other descriptor, an empty signal mask and every signal at its default: handlers
// and ignored signals of the caller (a crash reporter, an ignored SIGPIPE) must not reach it.
pid_t spawnChild(const QByteArray &program, const QList<QByteArray> &arguments, const std::vector<QByteArray> &environment,
                 int childEnd, int *error)
{
    std::vector<char *> argv;
    for (const QByteArray &argument : arguments)
        argv.push_back(const_cast<char *>(argument.constData()));
    argv.push_back(nullptr);
    std::vector<char *> envp;
    for (const QByteArray &entry : environment)
        envp.push_back(const_cast<char *>(entry.constData()));
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, childEnd, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, childEnd, STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t all;
    sigfillset(&all);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    pid_t child = -1;
    *error = posix_spawn(&child, program.constData(), &actions, &attributes, argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return *error == 0 ? child : -1;
}

} // namespace

bool PWIsolatedCall::registerJob(const char *name, Job job)
{
    std::lock_guard lock(jobs().mutex);
    jobs().byName.insert(QByteArray(name), job);
    return true;
}

void PWIsolatedCall::setProgram(const QString &path)
{
    std::lock_guard lock(jobs().mutex);
    jobs().program = QFile::encodeName(path);
}

void PWIsolatedCall::serveIfChild()
{
    QFile file(QStringLiteral("/proc/self/cmdline"));
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QList<QByteArray> arguments = file.read(4096).split('\0');
    if (arguments.size() < 5 || arguments.at(1) != kChildOption)
        return;
    serve(arguments.at(2), arguments.at(3).toLongLong(), arguments.at(4).toLongLong());
}

PWIsolatedCall::Outcome PWIsolatedCall::run(const char *job, const QByteArray &request, const Limits &limits)
{
    Outcome outcome;
    QByteArray program;
    {
        std::lock_guard lock(jobs().mutex);
        program = jobs().program;
    }
    if (program.isEmpty())
        program = "/proc/self/exe";
    const qint64 cpuSeconds = std::max<qint64>(1, (qint64(limits.deadlineMs) + 999) / 1000);
    // The clock only backs the processor limit up (BackStop): a child starved of the processor by
    // other work is not stopped for it, one that waits without working is.
    const qint64 wallMs = std::max<qint64>(3 * qint64(limits.deadlineMs), cpuSeconds * 1000 + 2000);
    const QList<QByteArray> arguments {program, kChildOption, job, QByteArray::number(limits.memoryBytes),
                                       QByteArray::number(cpuSeconds)};

    removeAbandonedFolders();
    int folderError = 0;
    const QByteArray folder = makeChildFolder(&folderError);
    if (folder.isEmpty()) {
        outcome.reason = systemError(QStringLiteral("no temporary folder"), folderError);
        outcome.transient = true;
        return outcome;
    }
    // Whatever the child left in its folder goes with it, however the child ended.
    const auto removeFolder = qScopeGuard([&folder] { QDir(QFile::decodeName(folder)).removeRecursively(); });

    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        outcome.reason = systemError(QStringLiteral("no socket"), errno);
        outcome.transient = true;
        return outcome;
    }
    QElapsedTimer timer;
    timer.start();
    int spawnError = 0;
    const pid_t child = spawnChild(program, arguments, childEnvironment(folder), ends[1], &spawnError);
    ::close(ends[1]);
    if (child < 0) {
        ::close(ends[0]);
        outcome.reason = systemError(QStringLiteral("no child"), spawnError);
        outcome.transient = true;
        return outcome;
    }
    const int own = ends[0];
    BackStop backStop(child, wallMs);
    fcntl(own, F_SETFL, fcntl(own, F_GETFL) | O_NONBLOCK);

    bool late = false;
    bool tooLarge = false;
    qsizetype sent = 0;
    if (request.isEmpty())
        shutdown(own, SHUT_WR);
    QByteArray answer;
    char buffer[65536];
    for (;;) {
        const qint64 left = backStop.leftMs(timer);
        if (left <= 0) {
            late = true;
            break;
        }
        const bool sending = sent < request.size();
        pollfd ready {own, short(POLLIN | (sending ? POLLOUT : 0)), 0};
        const int polled = poll(&ready, 1, int(left));
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled == 0)
            continue;
        if (sending && (ready.revents & POLLOUT)) {
            const ssize_t written = ::send(own, request.constData() + sent, size_t(request.size() - sent), MSG_NOSIGNAL);
            if (written > 0) {
                sent += written;
                if (sent == request.size())
                    shutdown(own, SHUT_WR);
            } else if (written < 0 && errno != EINTR && errno != EAGAIN) {
                // The child went without reading it all; its status tells why.
                sent = request.size();
            }
        }
        if (!(ready.revents & (POLLIN | POLLHUP | POLLERR)))
            continue;
        const ssize_t got = ::read(own, buffer, sizeof buffer);
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
    ::close(own);
    if (late || tooLarge)
        kill(child, SIGKILL);
    bool killed = false;
    double cpuUsed = 0;
    const int status = reap(child, timer, late || tooLarge ? nullptr : &backStop, &killed, &cpuUsed);
    const int signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    // SIGKILL after the processor limit is the hard limit, for a child that caught SIGXCPU.
    const bool outOfTime = signal == SIGXCPU || (signal == SIGKILL && cpuUsed >= double(cpuSeconds));
    if (tooLarge) {
        outcome.reason = QStringLiteral("reading it gave more than %1 MB").arg(megabytes(limits.answerBytes));
    } else if (late || killed) {
        outcome.reason = QStringLiteral("reading it did not end within %1 and was stopped").arg(secondsText(backStop.endMs()));
        outcome.transient = true;
    } else if (outOfTime) {
        outcome.reason = QStringLiteral("reading it took more than %1 of processor time and was stopped")
                             .arg(secondsText(cpuSeconds * 1000));
    } else if (WIFEXITED(status) && WEXITSTATUS(status) == kAnswered) {
        outcome.ok = true;
        outcome.answer = std::move(answer);
    } else if (WIFEXITED(status) && WEXITSTATUS(status) == kOutOfMemory) {
        outcome.reason = QStringLiteral("reading it needs more than %1 MB of memory").arg(megabytes(limits.memoryBytes));
    } else if (WIFEXITED(status) && WEXITSTATUS(status) == kUnknownJob) {
        outcome.reason = QStringLiteral("it cannot be read apart: the program does not know \"%1\"").arg(QString::fromUtf8(job));
    } else if (signal == SIGKILL) {
        outcome.reason = QStringLiteral("reading it was killed from outside (signal %1), as the system does when "
                                        "memory runs out")
                             .arg(signal);
        outcome.transient = true;
    } else if (signal != 0) {
        outcome.reason = QStringLiteral("reading it failed (signal %1)").arg(signal);
    } else {
        outcome.reason = QStringLiteral("reading it failed (exit status %1)").arg(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    }
    return outcome;
}
