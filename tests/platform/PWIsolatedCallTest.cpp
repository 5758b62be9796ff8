// Work that crashes, runs away, eats memory or answers too much, run apart: the test process
// goes on, and each failure comes back with its reason.
#include "platform/PWIsolatedCall.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
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

struct IsolatedCase
{
    const char *name;
    PWIsolatedCall::Work work;
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

constexpr qint64 kMB = 1024 * 1024;

using PWIsolatedCallTest = testing::TestWithParam<IsolatedCase>;

TEST_P(PWIsolatedCallTest, AnswersOrFailsWithAReason)
{
    const IsolatedCase &c = GetParam();
    const PWIsolatedCall::Outcome outcome = PWIsolatedCall::run(c.work, c.limits);
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
        IsolatedCase {"Answers", [] { return QByteArray("rows"); }, limits(10000, 256 * kMB, kMB), true, "rows", {}},
        IsolatedCase {"AnswersNothing", [] { return QByteArray(); }, limits(10000, 256 * kMB, kMB), true, {}, {}},
        IsolatedCase {"AnswersMoreThanAPipeHolds", [] { return QByteArray(600000, 'r'); },
                      limits(10000, 256 * kMB, kMB), true, QByteArray(600000, 'r'), {}},
        IsolatedCase {"Crashes",
                      []() -> QByteArray {
                          std::abort();
                      },
                      limits(10000, 256 * kMB, kMB), false, {}, QStringLiteral("reading it failed (signal 6)")},
        IsolatedCase {"Throws",
                      []() -> QByteArray {
                          throw std::runtime_error("damaged");
                      },
                      limits(10000, 256 * kMB, kMB), false, {}, QStringLiteral("reading it failed (exit status")},
        IsolatedCase {"NeverEnds",
                      []() -> QByteArray {
                          volatile int spin = 0;
                          for (;;) {
                              const int next = spin + 1;
                              spin = next;
                          }
                      },
                      limits(300, 256 * kMB, kMB), false, {}, QStringLiteral("did not end within 1 second")},
        IsolatedCase {"TakesTooMuchMemory",
                      [] {
                          const std::vector<char> huge(size_t(1024 * kMB), 'm');
                          return QByteArray(huge.data(), 1);
                      },
                      limits(10000, 64 * kMB, kMB), false, {}, QStringLiteral("needs more than 64 MB of memory"), false},
        IsolatedCase {"AnswersTooMuch", [] { return QByteArray(2 * kMB, 'r'); }, limits(10000, 256 * kMB, kMB), false,
                      {}, QStringLiteral("gave more than 1 MB")}),
    [](const testing::TestParamInfo<IsolatedCase> &info) { return std::string(info.param.name); });

} // namespace
