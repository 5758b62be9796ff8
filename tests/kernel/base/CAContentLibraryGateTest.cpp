#include "kernel/base/CAContentLibraryGate.h"
#include "kernel/base/CAEnvironment.h"

#include "TestSupport.h"

#include <QDir>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

namespace {

// A gate held shut until the test opens it, counting who came to it.
struct HeldGate
{
    std::promise<void> open;
    std::shared_future<void> opened = open.get_future().share();
    std::atomic<int> callers {0};

    HeldGate()
    {
        CAContentLibraryGate::set([this] {
            ++callers;
            opened.wait();
        });
    }
    ~HeldGate() { CAContentLibraryGate::set(nullptr); }
};

// While the library is being seeded a reader on another thread waits for it; the main thread,
// whose windows would freeze, never does: it gets the path at once.
TEST(ContentLibraryGateTest, AReaderOffTheMainThreadWaitsAndTheMainThreadNever)
{
    const struct
    {
        const char *name;
        bool offMainThread;
    } cases[] = {{"the main thread", false}, {"another thread", true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString expected = CAEnvironment::sharedContentLibraryPath();
        HeldGate gate;
        if (!c.offMainThread) {
            // Should the main thread come to the gate, it is let through, and counted.
            std::atomic<bool> answered {false};
            std::thread opener([&] {
                while (!answered && gate.callers.load() == 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                gate.open.set_value();
            });
            EXPECT_EQ(CAEnvironment::sharedContentLibraryPath(), expected);
            answered = true;
            opener.join();
            EXPECT_EQ(gate.callers.load(), 0);
            continue;
        }
        std::future<QString> reader = std::async(std::launch::async, [] { return CAEnvironment::clipArtPath(); });
        while (gate.callers.load() == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_EQ(reader.wait_for(std::chrono::milliseconds(20)), std::future_status::timeout);
        gate.open.set_value();
        EXPECT_EQ(reader.get(), QDir(expected).filePath(QStringLiteral("ClipArt/Images")));
        EXPECT_EQ(gate.callers.load(), 1);
    }
}

} // namespace
