// The lock every write of the settings file holds from reading the file to renaming the new one:
// a write that finds it held never waits on the window's thread, is made once the lock goes, and
// is never dropped, whether the holder lets go at once, after the timeout or only when the store
// ends; the lock's file is never renamed and holds nothing.
#include "platform/PWPathStatus.h"
#include "platform/PWSettingsLock.h"
#include "platform/PWUserDefaults.h"

#include "TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

enum class LetGo { AtOnce, AfterTheTimeout, WhenTheStoreEnds };

struct Holding
{
    const char *name;
    LetGo letGo;
};

void PrintTo(const Holding &holding, std::ostream *stream)
{
    *stream << holding.name;
}

class SettingsLockHeld : public testing::TestWithParam<Holding>
{
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }
    QString storePath() const { return m_folder.filePath(QStringLiteral("Parcelwick.plist")); }
    // What another reader finds in the file now.
    QString inFile(const QString &key) const { return PWUserDefaults(storePath()).stringForKey(key); }
    QTemporaryDir m_folder;
};

TEST_P(SettingsLockHeld, AWriteWaitsOffTheThreadAndIsMadeWhenTheLockGoes)
{
    const LetGo letGo = GetParam().letGo;
    const int timeout = PWUserDefaults::lockTimeout();
    const auto restore = qScopeGuard([timeout] { PWUserDefaults::setLockTimeout(timeout); });
    if (letGo == LetGo::AfterTheTimeout)
        PWUserDefaults::setLockTimeout(200);
    auto store = std::make_unique<PWUserDefaults>(storePath());
    store->setString(QStringLiteral("before"), QStringLiteral("written"));
    const QString lockPath = PWSettingsLock::lockPathFor(storePath());
    const PWPathStatus::Entry lockBefore = PWPathStatus::statusAt(QFile::encodeName(lockPath));
    ASSERT_EQ(lockBefore.kind, PWPathStatus::Kind::RegularFile) << "the first write made the lock's file";

    // Another process's write holds the lock (an open file of its own, as in another process).
    PWSettingsLock other(storePath());
    ASSERT_TRUE(other.tryTake());
    QSignalSpy failed(store.get(), &PWUserDefaults::writeFailed);
    QSignalSpy recovered(store.get(), &PWUserDefaults::writeRecovered);
    store->setString(QStringLiteral("first"), QStringLiteral("1"));
    EXPECT_TRUE(store->hasPendingWrite()) << "the setter came back without the lock";
    store->setString(QStringLiteral("second"), QStringLiteral("2"));
    EXPECT_EQ(store->stringForKey(QStringLiteral("second")), QStringLiteral("2")) << "the store holds it meanwhile";
    EXPECT_TRUE(inFile(QStringLiteral("first")).isEmpty()) << "nothing was written past the lock";

    if (letGo == LetGo::AfterTheTimeout) {
        ASSERT_TRUE(failed.wait(pwtest::kEventWaitMs)) << "a wait past the timeout is told";
        EXPECT_TRUE(store->hasPendingWrite()) << "and goes on";
    }
    if (letGo == LetGo::WhenTheStoreEnds) {
        other.release();
        store.reset();
    } else {
        other.release();
        EXPECT_TRUE(store->waitForPendingWrite(pwtest::kEventWaitMs));
    }
    EXPECT_EQ(inFile(QStringLiteral("first")), QStringLiteral("1"));
    EXPECT_EQ(inFile(QStringLiteral("second")), QStringLiteral("2"));
    EXPECT_EQ(inFile(QStringLiteral("before")), QStringLiteral("written"));
    if (letGo == LetGo::AfterTheTimeout)
        EXPECT_EQ(recovered.count(), 1) << "the write that was told late is told made";
    else
        EXPECT_EQ(failed.count(), 0);

    const PWPathStatus::Entry lockAfter = PWPathStatus::statusAt(QFile::encodeName(lockPath));
    EXPECT_EQ(lockAfter.size, 0) << "the lock's file holds nothing";
    EXPECT_TRUE(lockAfter.identity.device == lockBefore.identity.device && lockAfter.identity.inode == lockBefore.identity.inode)
        << "the same file throughout, never renamed or made anew";
}

INSTANTIATE_TEST_SUITE_P(Holders, SettingsLockHeld,
                         testing::Values(Holding {"LetsGoAtOnce", LetGo::AtOnce},
                                         Holding {"LetsGoAfterTheTimeout", LetGo::AfterTheTimeout},
                                         Holding {"LetsGoWhenTheStoreEnds", LetGo::WhenTheStoreEnds}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
