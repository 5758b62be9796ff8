// Work that crashes, runs away, eats memory or answers too much, run apart: the test process
// goes on, and each failure comes back with its reason. The child is a fresh start of this test
// program, which serves the jobs registered below.
#include "platform/PWIsolatedCall.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <stdexcept>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

constexpr qint64 kMB = 1024 * 1024;

// Set by the test process before it runs work apart; a child that were a copy of it would see it.
int g_marker = 0;

QByteArray spin(const QByteArray &)
{
    volatile unsigned spun = 0; // unsigned: it wraps, it does not overflow
    for (;;) {
        const unsigned next = spun + 1;
        spun = next;
    }
}

QByteArray eatMemory(const QByteArray &)
{
    const std::vector<char> huge(size_t(1024 * kMB), 'm');
    return QByteArray(huge.data(), 1);
}

// Works a fifth of the time and waits the rest, as work does that a busy machine holds back:
// its processor time grows far slower than the clock.
QByteArray spinSlowly(const QByteArray &)
{
    for (;;) {
        timespec began {};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &began);
        for (timespec now = began; (now.tv_sec - began.tv_sec) * 1000000000L + (now.tv_nsec - began.tv_nsec) < 10000000L;)
            clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
        const timespec rest {0, 40 * 1000 * 1000};
        nanosleep(&rest, nullptr);
    }
}

// Waits without using the processor.
QByteArray sleepForEver(const QByteArray &)
{
    for (;;) {
        const timespec step {1, 0};
        nanosleep(&step, nullptr);
    }
}

// Leaves a file in its temporary folder and answers the folder, or, asked to, never ends.
QByteArray leaveAFile(const QByteArray &request)
{
    const QString folder = QDir::tempPath();
    QFile file(folder + QStringLiteral("/left-behind"));
    if (!file.open(QIODevice::WriteOnly) || file.write("scratch") != 7 || !file.flush())
        return "no file";
    if (request == "spin")
        spin(request);
    return QFile::encodeName(folder);
}

// Raises the signal whose number is the request.
QByteArray raiseSignal(const QByteArray &request)
{
    std::raise(request.toInt());
    return "survived";
}

[[maybe_unused]] const bool kJobs = [] {
    PWIsolatedCall::registerJob("test-answer", [](const QByteArray &) { return QByteArray("rows"); });
    PWIsolatedCall::registerJob("test-nothing", [](const QByteArray &) { return QByteArray(); });
    PWIsolatedCall::registerJob("test-echo", [](const QByteArray &request) { return request; });
    PWIsolatedCall::registerJob("test-abort", [](const QByteArray &) -> QByteArray { std::abort(); });
    PWIsolatedCall::registerJob("test-throw",
                                [](const QByteArray &) -> QByteArray { throw std::runtime_error("damaged"); });
    PWIsolatedCall::registerJob("test-spin", &spin);
    PWIsolatedCall::registerJob("test-spin-slowly", &spinSlowly);
    PWIsolatedCall::registerJob("test-memory", &eatMemory);
    PWIsolatedCall::registerJob("test-flood", [](const QByteArray &) { return QByteArray(2 * kMB, 'r'); });
    PWIsolatedCall::registerJob("test-marker", [](const QByteArray &) { return QByteArray::number(g_marker); });
    PWIsolatedCall::registerJob("test-raise", &raiseSignal);
    PWIsolatedCall::registerJob("test-sleep", &sleepForEver);
    PWIsolatedCall::registerJob("test-leave", &leaveAFile);
    return true;
}();

struct IsolatedCase
{
    const char *name;
    const char *job;
    QByteArray request;
    PWIsolatedCall::Limits limits;
    bool ok;
    QByteArray answer;
    // A part of the reason; where the sanitizer's allocator ends the child itself, any reason.
    QString reason;
    bool reasonUnderSanitizer = true;
};

std::ostream &operator<<(std::ostream &out, const IsolatedCase &c)
{
    return out << c.name;
}

PWIsolatedCall::Limits limits(int deadlineMs, qint64 memoryBytes, qint64 answerBytes)
{
    PWIsolatedCall::Limits made;
    made.deadlineMs = deadlineMs;
    made.memoryBytes = memoryBytes;
    made.answerBytes = answerBytes;
    return made;
}

using PWIsolatedCallTest = testing::TestWithParam<IsolatedCase>;

TEST_P(PWIsolatedCallTest, AnswersOrFailsWithAReason)
{
    const IsolatedCase &c = GetParam();
    const PWIsolatedCall::Outcome outcome = PWIsolatedCall::run(c.job, c.request, c.limits);
    EXPECT_EQ(outcome.ok, c.ok) << outcome.reason.toStdString();
    EXPECT_EQ(outcome.answer, c.answer);
    EXPECT_EQ(outcome.reason.isEmpty(), c.ok);
    if (!kSanitized || c.reasonUnderSanitizer) {
        EXPECT_TRUE(outcome.reason.contains(c.reason)) << outcome.reason.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PWIsolatedCallTest,
    testing::Values(
        IsolatedCase {"Answers", "test-answer", {}, limits(10000, 256 * kMB, kMB), true, "rows", {}},
        IsolatedCase {"AnswersNothing", "test-nothing", "ignored", limits(10000, 256 * kMB, kMB), true, {}, {}},
        IsolatedCase {"HearsAndAnswersMoreThanAPipeHolds", "test-echo", QByteArray(600000, 'q'),
                      limits(10000, 256 * kMB, kMB), true, QByteArray(600000, 'q'), {}},
        IsolatedCase {"Crashes", "test-abort", {}, limits(10000, 256 * kMB, kMB), false, {},
                      QStringLiteral("reading it failed (signal 6)")},
        IsolatedCase {"Throws", "test-throw", {}, limits(10000, 256 * kMB, kMB), false, {},
                      QStringLiteral("reading it failed (exit status")},
        IsolatedCase {"NeverEnds", "test-spin", {}, limits(300, 256 * kMB, kMB), false, {},
                      QStringLiteral("took more than 1 second of processor time and was stopped")},
        // Held back by the clock's three seconds it would have had far less than its second.
        IsolatedCase {"WorksSlowly", "test-spin-slowly", {}, limits(300, 256 * kMB, kMB), false, {},
                      QStringLiteral("took more than 1 second of processor time and was stopped")},
        IsolatedCase {"WaitsForEver", "test-sleep", {}, limits(300, 256 * kMB, kMB), false, {},
                      QStringLiteral("did not end within 3 seconds and was stopped")},
        IsolatedCase {"IsKilled", "test-raise", QByteArray::number(SIGKILL), limits(10000, 256 * kMB, kMB), false, {},
                      QStringLiteral("reading it was killed from outside (signal 9)")},
        IsolatedCase {"TakesTooMuchMemory", "test-memory", {}, limits(10000, 64 * kMB, kMB), false, {},
                      QStringLiteral("needs more than 64 MB of memory"), false},
        IsolatedCase {"AnswersTooMuch", "test-flood", {}, limits(10000, 256 * kMB, kMB), false, {},
                      QStringLiteral("gave more than 1 MB")},
        IsolatedCase {"UnknownJob", "test-nobody-registered-this", {}, limits(10000, 256 * kMB, kMB), false, {},
                      QStringLiteral("does not know \"test-nobody-registered-this\"")}),
    [](const testing::TestParamInfo<IsolatedCase> &info) { return std::string(info.param.name); });

// A copy of this process would carry what it set (and whatever locks its other threads held);
// a fresh start of the program carries none of it.
TEST(PWIsolatedCallChildTest, IsAFreshStartOfTheProgram)
{
    g_marker = 42;
    const PWIsolatedCall::Outcome outcome = PWIsolatedCall::run("test-marker", {});
    g_marker = 0;
    ASSERT_TRUE(outcome.ok) << outcome.reason.toStdString();
    EXPECT_EQ(outcome.answer, "0");
}

// A signal this process ignores or handles is a fault again in the child: its crash ends it and
// is reported, whatever handlers the caller installed (the kernel's start-up ignores SIGXFSZ).
TEST(PWIsolatedCallChildTest, StartsWithEverySignalAtItsDefault)
{
    for (const int fault : {SIGILL, SIGXFSZ, SIGPIPE}) {
        SCOPED_TRACE(fault);
        const auto previous = std::signal(fault, SIG_IGN);
        const PWIsolatedCall::Outcome outcome = PWIsolatedCall::run("test-raise", QByteArray::number(fault));
        std::signal(fault, previous);
        EXPECT_FALSE(outcome.ok);
        EXPECT_TRUE(outcome.answer.isEmpty());
        EXPECT_TRUE(outcome.reason.contains(QStringLiteral("(signal %1)").arg(fault))) << outcome.reason.toStdString();
    }
}

// The folders of this process's children in the temporary folder.
QStringList childFolders()
{
    return QDir(QDir::tempPath())
        .entryList({QStringLiteral("parcelwick-child-%1-*").arg(getpid())}, QDir::Dirs | QDir::Hidden);
}

// Each child works in an empty temporary folder of its own, which goes when it ends, however.
TEST(PWIsolatedCallChildTest, WorksInATemporaryFolderOfItsOwnThatGoesWithIt)
{
    for (const QByteArray &request : {QByteArray("answer"), QByteArray("spin")}) {
        SCOPED_TRACE(request.constData());
        const PWIsolatedCall::Outcome outcome = PWIsolatedCall::run("test-leave", request, limits(300, 256 * kMB, kMB));
        EXPECT_EQ(outcome.ok, request == "answer") << outcome.reason.toStdString();
        if (outcome.ok) {
            const QString folder = QFile::decodeName(outcome.answer);
            EXPECT_TRUE(folder.startsWith(QDir::tempPath() + QStringLiteral("/parcelwick-child-"))) << folder.toStdString();
            EXPECT_FALSE(QFileInfo::exists(folder));
        }
        EXPECT_EQ(childFolders(), QStringList());
    }
}

// A temporary folder that is not there ($TMPDIR set astray) does not keep work from running apart.
TEST(PWIsolatedCallChildTest, RunsWhenTheTemporaryFolderIsGone)
{
    const QByteArray previous = qgetenv("TMPDIR");
    qputenv("TMPDIR", "/nonexistent/temporary");
    const PWIsolatedCall::Outcome outcome = PWIsolatedCall::run("test-leave", "answer", limits(10000, 256 * kMB, kMB));
    if (previous.isEmpty())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", previous);
    ASSERT_TRUE(outcome.ok) << outcome.reason.toStdString();
    EXPECT_TRUE(outcome.answer.startsWith("/tmp/parcelwick-child-")) << outcome.answer.constData();
    EXPECT_FALSE(QFileInfo::exists(QFile::decodeName(outcome.answer)));
}

TEST(PWIsolatedCallChildTest, AProgramThatCannotStartIsAReason)
{
    PWIsolatedCall::setProgram(QStringLiteral("/nonexistent/parcelwick"));
    const PWIsolatedCall::Outcome outcome = PWIsolatedCall::run("test-answer", {});
    PWIsolatedCall::setProgram(QString());
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.reason.startsWith(QStringLiteral("it cannot be read apart"))) << outcome.reason.toStdString();
}

} // namespace
