// The lock every write of the settings file holds from reading the file to renaming the new one:
// a write that finds it held never waits on the window's thread, is made once the lock goes, and
// is never dropped, whether the holder lets go at once, after the timeout or only when the store
// ends; the lock's file is never renamed and holds nothing.
#include "platform/PWPathStatus.h"
#include "platform/PWSettingsLock.h"
#include "platform/PWUserDefaults.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

// Another process that takes the lock on path and holds it until it is killed; its end lets
// the lock go, however it ends.
class LockHolder
{
public:
    explicit LockHolder(const QString &path)
    {
        const QByteArray name = QFile::encodeName(path);
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            // Only calls a signal handler may make: the parent has threads.
            const int descriptor = ::open(name.constData(), O_RDWR | O_CREAT, 0600);
            const char held = descriptor >= 0 && ::flock(descriptor, LOCK_EX) == 0 ? 'y' : 'n';
            [[maybe_unused]] const ssize_t told = ::write(ready[1], &held, 1);
            for (;;)
                ::pause();
        }
        ::close(ready[1]);
        char held = 'n';
        m_held = m_pid > 0 && ::read(ready[0], &held, 1) == 1 && held == 'y';
        ::close(ready[0]);
    }
    ~LockHolder() { kill(); }
    bool holds() const { return m_held; }
    void kill()
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    bool m_held = false;
};

// What stands at the lock file's place, and who holds it, as a write of the settings begins.
struct LockPlace
{
    const char *name;
    // Makes the place in the folder; answers the holder, if another process holds the lock.
    std::function<std::unique_ptr<LockHolder>(const QString &lockPath, const QString &folder)> make;
    // The place's kind once the store is done with it: never replaced by the store.
    PWPathStatus::Kind kindAfter;
    bool link;
};

void PrintTo(const LockPlace &place, std::ostream *stream)
{
    *stream << place.name;
}

class SettingsLockPlaces : public testing::TestWithParam<LockPlace>
{
};

// Whatever stands at the lock's place, a write of the settings never waits on the window's
// thread and is never dropped: it is made, with the lock or without it where none can be had, or
// told as failed and made by the next write that can be; the place is left as it was.
TEST_P(SettingsLockPlaces, AWriteIsMadeOrToldAndThePlaceIsLeftAsItWas)
{
    const LockPlace &place = GetParam();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString store = folder.filePath(QStringLiteral("Parcelwick.plist"));
    const QString lockPath = PWSettingsLock::lockPathFor(store);
    {
        PWUserDefaults seed(store);
        seed.setString(QStringLiteral("seeded"), QStringLiteral("yes"));
    }
    ASSERT_TRUE(QFile::remove(lockPath));
    std::unique_ptr<LockHolder> holder = place.make(lockPath, folder.path());
    const bool folderWritable = ::access(QFile::encodeName(folder.path()).constData(), W_OK) == 0;
    const auto writable = qScopeGuard([&folder] {
        QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    });

    auto defaults = std::make_unique<PWUserDefaults>(store);
    QSignalSpy failed(defaults.get(), &PWUserDefaults::writeFailed);
    QSignalSpy recovered(defaults.get(), &PWUserDefaults::writeRecovered);
    defaults->setString(QStringLiteral("key"), QStringLiteral("value"));
    if (holder) {
        ASSERT_TRUE(holder->holds());
        EXPECT_TRUE(defaults->hasPendingWrite()) << "the setter waited for the lock on the window's thread";
        holder->kill();
    }
    ASSERT_TRUE(defaults->waitForPendingWrite(pwtest::kEventWaitMs));
    const auto inFile = [&store] { return PWUserDefaults(store).stringForKey(QStringLiteral("key")); };
    if (folderWritable) {
        EXPECT_EQ(failed.count(), 0) << (failed.isEmpty() ? std::string() : failed.last().at(1).toString().toStdString());
        EXPECT_TRUE(defaults->isSaved());
        EXPECT_EQ(inFile(), QStringLiteral("value"));
    } else {
        // Told, kept in memory, and written with the first write that can be made.
        ASSERT_GE(failed.count(), 1) << "a write that could not be made was not told";
        EXPECT_FALSE(defaults->isSaved());
        EXPECT_EQ(defaults->stringForKey(QStringLiteral("key")), QStringLiteral("value"));
        EXPECT_TRUE(inFile().isEmpty());
        QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        defaults->setString(QStringLiteral("later"), QStringLiteral("too"));
        ASSERT_TRUE(defaults->waitForPendingWrite(pwtest::kEventWaitMs));
        EXPECT_EQ(recovered.count(), 1);
        EXPECT_EQ(inFile(), QStringLiteral("value"));
    }
    EXPECT_EQ(PWUserDefaults(store).stringForKey(QStringLiteral("seeded")), QStringLiteral("yes"));
    defaults.reset();
    const PWPathStatus::Entry after = PWPathStatus::entryAt(QFile::encodeName(lockPath));
    // A folder this user may write whatever its modes (the superuser's) gets the lock file.
    const PWPathStatus::Kind kindAfter = place.kindAfter == PWPathStatus::Kind::Missing && folderWritable
                                             ? PWPathStatus::Kind::RegularFile
                                             : place.kindAfter;
    EXPECT_EQ(after.kind, kindAfter);
    EXPECT_EQ(after.isLink, place.link);
    // A link is never followed: nothing was made where it points.
    EXPECT_FALSE(QFileInfo::exists(folder.filePath(QStringLiteral("elsewhere/lock"))));
}

const LockPlace kLockPlaces[] = {
    {"Absent", [](const QString &, const QString &) { return nullptr; }, PWPathStatus::Kind::RegularFile, false},
    {"LeftByAnEarlierRun",
     [](const QString &lock, const QString &) {
         EXPECT_TRUE(pwtest::writeFile(lock, QByteArray()));
         return nullptr;
     },
     PWPathStatus::Kind::RegularFile, false},
    {"AFifo",
     [](const QString &lock, const QString &) {
         EXPECT_EQ(::mkfifo(QFile::encodeName(lock).constData(), 0600), 0);
         return nullptr;
     },
     PWPathStatus::Kind::Other, false},
    {"ASocket",
     [](const QString &lock, const QString &) {
         const QByteArray name = QFile::encodeName(lock);
         sockaddr_un address {};
         address.sun_family = AF_UNIX;
         EXPECT_LT(size_t(name.size()), sizeof(address.sun_path));
         std::memcpy(address.sun_path, name.constData(), std::min(size_t(name.size()), sizeof(address.sun_path) - 1));
         const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
         EXPECT_EQ(::bind(socket, reinterpret_cast<const sockaddr *>(&address), sizeof(address)), 0);
         ::close(socket);
         return nullptr;
     },
     PWPathStatus::Kind::Other, false},
    {"ADanglingLink",
     [](const QString &lock, const QString &folder) {
         EXPECT_TRUE(QFile::link(folder + QStringLiteral("/elsewhere/lock"), lock));
         return nullptr;
     },
     PWPathStatus::Kind::Other, true},
    {"AFolder",
     [](const QString &lock, const QString &) {
         EXPECT_TRUE(QDir().mkpath(lock));
         return nullptr;
     },
     PWPathStatus::Kind::Folder, false},
    {"HeldByAProcessKilledBefore",
     [](const QString &lock, const QString &) {
         LockHolder killed(lock);
         EXPECT_TRUE(killed.holds());
         killed.kill();
         return nullptr;
     },
     PWPathStatus::Kind::RegularFile, false},
    {"HeldByAProcessKilledWhileTheWriteWaits",
     [](const QString &lock, const QString &) { return std::make_unique<LockHolder>(lock); },
     PWPathStatus::Kind::RegularFile, false},
    {"InAReadOnlyFolder",
     [](const QString &, const QString &folder) {
         EXPECT_TRUE(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
         return nullptr;
     },
     PWPathStatus::Kind::Missing, false},
};

INSTANTIATE_TEST_SUITE_P(Places, SettingsLockPlaces, testing::ValuesIn(kLockPlaces),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
