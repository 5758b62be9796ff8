// What a save may replace, and what a save leaves behind: files the user made read-only and
// things that are no regular files are refused, and the part files of killed saves are taken
// away by the next save of the same target.
#include "platform/PWSaveFile.h"

#include "PWPersonSamples.h"
#include "platform/PWAddressBook.h"
#include "platform/PWPerson.h"
#include "platform/PWUserDefaults.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The user nobody, whom root becomes in a child to act as an ordinary user.
constexpr uid_t kOrdinaryUser = 65534;

// Runs act as an ordinary user in a child process and answers what it answered (at most 4 KiB).
// As root the child becomes nobody, and folder is given to nobody first, so that the test holds
// where it runs as root too. Empty when the child could not run.
QByteArray asOrdinaryUser(const QString &folder, const std::function<QByteArray()> &act)
{
    const bool root = ::geteuid() == 0;
    if (root && ::chown(QFile::encodeName(folder).constData(), kOrdinaryUser, kOrdinaryUser) != 0)
        return {};
    int channel[2];
    if (::pipe(channel) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        if (root && (::setgroups(0, nullptr) != 0 || ::setgid(kOrdinaryUser) != 0 || ::setuid(kOrdinaryUser) != 0))
            ::_exit(2);
        const QByteArray answer = act().left(4096);
        const bool sent = ::write(channel[1], answer.constData(), size_t(answer.size())) == answer.size();
        ::_exit(sent ? 0 : 3);
    }
    ::close(channel[1]);
    QByteArray answer;
    char buffer[4096];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        answer.append(buffer, got);
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? answer : QByteArray();
}

QString writeResult(const QString &path, const QByteArray &bytes)
{
    QString reason;
    return PWSaveFile::write(path, bytes, &reason) ? QStringLiteral("written") : reason;
}

QString streamedResult(const QString &path, const QByteArray &bytes)
{
    PWSaveFile::File file(path);
    QString reason;
    if (!PWSaveFile::open(file, &reason))
        return reason;
    file.write(bytes);
    return PWSaveFile::commit(file, &reason) ? QStringLiteral("written") : reason;
}

QStringList partFiles(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*.part")}, QDir::Files | QDir::Hidden);
}

struct ReadOnlyCase
{
    const char *name;
    std::function<QString(const QString &path, const QByteArray &bytes)> write;
};

class PWSaveFileReadOnlyTest : public ::testing::TestWithParam<ReadOnlyCase>
{
};

// A file the user made read-only in their own folder stays as it was, whichever way it is written.
TEST_P(PWSaveFileReadOnlyTest, AReadOnlyFileIsNotReplaced)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("out.pdf"));
    ASSERT_TRUE(pwtest::writeFile(path, "the user's own"));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), kOrdinaryUser, kOrdinaryUser), 0);
    }
    const QByteArray answer = asOrdinaryUser(folder.path(), [&] {
        return GetParam().write(path, "new bytes").toUtf8() + "|" + pwtest::readFile(path);
    });
    EXPECT_EQ(answer, "Existing file " + path.toUtf8() + " is not writable|the user's own");
    // The same file the user may write again is replaced.
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0644), 0);
    EXPECT_EQ(asOrdinaryUser(folder.path(), [&] { return GetParam().write(path, "new bytes").toUtf8(); }), "written");
    EXPECT_EQ(pwtest::readFile(path), "new bytes");
}

INSTANTIATE_TEST_SUITE_P(Writers, PWSaveFileReadOnlyTest,
                         ::testing::Values(ReadOnlyCase {"Whole", writeResult}, ReadOnlyCase {"Streamed", streamedResult}),
                         [](const auto &info) { return std::string(info.param.name); });

class PWSaveFileNotRegularTest : public ::testing::TestWithParam<ReadOnlyCase>
{
};

// A pipe given as the output, directly or through a link, is no file to replace; this holds for
// root too.
TEST_P(PWSaveFileNotRegularTest, APipeIsNotReplacedByAFile)
{
    QTemporaryDir folder;
    const QString fifo = folder.filePath(QStringLiteral("out.pdf"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    const QString link = folder.filePath(QStringLiteral("link.pdf"));
    ASSERT_TRUE(QFile::link(fifo, link));
    for (const QString &path : {fifo, link}) {
        EXPECT_EQ(GetParam().write(path, "new bytes"), path + QStringLiteral(" is not a regular file"));
        struct stat info {};
        ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &info), 0);
        EXPECT_TRUE(S_ISFIFO(info.st_mode)) << path.toStdString();
    }
    EXPECT_EQ(partFiles(folder.path()), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Writers, PWSaveFileNotRegularTest,
                         ::testing::Values(ReadOnlyCase {"Whole", writeResult}, ReadOnlyCase {"Streamed", streamedResult}),
                         [](const auto &info) { return std::string(info.param.name); });

// The writers of the user's settings and address book against their file made read-only and
// against a pipe in its place: each reports the failure and leaves the file or pipe as it was.
struct WriterCase
{
    const char *name;
    QString file; // relative to the test's folder
    std::function<bool(const QString &folder)> write;
};

std::ostream &operator<<(std::ostream &out, const WriterCase &c)
{
    return out << c.name;
}

bool writeSettings(const QString &folder)
{
    PWUserDefaults defaults(folder + QStringLiteral("/Parcelwick.plist"));
    defaults.setString(QStringLiteral("FTDebugMode"), QStringLiteral("YES"));
    return defaults.synchronize();
}

bool writeAddressBook(const QString &folder)
{
    PWAddressBook book(folder + QStringLiteral("/AddressBook"));
    if (!book.load())
        return false;
    const std::shared_ptr<PWPerson> me = PWPerson::create();
    book.addPerson(me);
    book.setMe(me);
    return book.save();
}

class PWSaveFileWriterTest : public ::testing::TestWithParam<WriterCase>
{
protected:
    void SetUp() override
    {
        pwtest::registerCustomPersonProperties();
        ASSERT_TRUE(QDir().mkpath(m_folder.filePath(QStringLiteral("AddressBook"))));
    }
    QString target() const { return m_folder.filePath(GetParam().file); }
    QTemporaryDir m_folder;
};

TEST_P(PWSaveFileWriterTest, AReadOnlyFileStays)
{
    ASSERT_TRUE(pwtest::writeFile(target(), "the user's own"));
    ASSERT_EQ(::chmod(QFile::encodeName(target()).constData(), 0444), 0);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(QFile::encodeName(m_folder.filePath(QStringLiteral("AddressBook"))).constData(), kOrdinaryUser,
                          kOrdinaryUser),
                  0);
        ASSERT_EQ(::chown(QFile::encodeName(target()).constData(), kOrdinaryUser, kOrdinaryUser), 0);
    }
    EXPECT_EQ(asOrdinaryUser(m_folder.path(), [&] { return QByteArray(GetParam().write(m_folder.path()) ? "written" : "refused"); }),
              "refused");
    EXPECT_EQ(pwtest::readFile(target()), "the user's own");
}

TEST_P(PWSaveFileWriterTest, APipeStays)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(target()).constData(), 0644), 0);
    EXPECT_FALSE(GetParam().write(m_folder.path()));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(target()).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

INSTANTIATE_TEST_SUITE_P(Writers, PWSaveFileWriterTest,
                         ::testing::Values(WriterCase {"Settings", QStringLiteral("Parcelwick.plist"), writeSettings},
                                           WriterCase {"AddressBook", QStringLiteral("AddressBook/AddressBook.plist"),
                                                       writeAddressBook}),
                         [](const auto &info) { return std::string(info.param.name); });

class PWSaveFileKilledTest : public ::testing::TestWithParam<bool>
{
protected:
    void TearDown() override { PWSaveFile::setUnnamedTemporaryAllowed(true); }
};

// A save killed once its new file is complete, just before the rename, keeps the old file; the
// next save of the same file leaves no part file behind, on either road to the new file.
TEST_P(PWSaveFileKilledTest, TheNextSaveTakesAKilledSavesPartFileAway)
{
    PWSaveFile::setUnnamedTemporaryAllowed(GetParam());
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("design.pwdc"));
    ASSERT_TRUE(PWSaveFile::write(path, "old design", nullptr));
    const QByteArray big(4 * 1024 * 1024, 'n');
    const pid_t child = ::fork();
    if (child == 0) {
        PWSaveFile::setBeforeReplaceHook([] { ::raise(SIGKILL); });
        PWSaveFile::write(path, big, nullptr);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_EQ(pwtest::readFile(path), "old design");
    const QStringList left = partFiles(folder.path());
    ASSERT_EQ(left.size(), 1);
    EXPECT_EQ(QFileInfo(folder.filePath(left.constFirst())).size(), big.size());

    ASSERT_TRUE(PWSaveFile::write(path, "new design", nullptr));
    EXPECT_EQ(pwtest::readFile(path), "new design");
    EXPECT_EQ(partFiles(folder.path()), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Roads, PWSaveFileKilledTest, ::testing::Values(true, false),
                         [](const auto &info) { return std::string(info.param ? "Unnamed" : "Named"); });

// A part file whose writer still lives (it holds its lock) is no leftover; part files of other
// targets are no business of this save.
TEST(PWSaveFileLeftoverTest, APartFileStillBeingWrittenStays)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("design.pwdc"));
    const QString busy = folder.filePath(QStringLiteral(".design.pwdc.pwsave-000000000k3x9.part"));
    const QString other = folder.filePath(QStringLiteral(".design.pwdc.old.pwsave-00000000000a1.part"));
    ASSERT_TRUE(pwtest::writeFile(busy, "being written"));
    ASSERT_TRUE(pwtest::writeFile(other, "another target's"));
    const int held = ::open(QFile::encodeName(busy).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    ASSERT_TRUE(PWSaveFile::write(path, "one", nullptr));
    EXPECT_TRUE(QFileInfo::exists(busy));
    ::close(held);
    ASSERT_TRUE(PWSaveFile::write(path, "two", nullptr));
    EXPECT_FALSE(QFileInfo::exists(busy));
    EXPECT_TRUE(QFileInfo::exists(other));
    EXPECT_EQ(pwtest::readFile(path), "two");
}

// Saves of other files in between do not hide a stale part file from the next save of its own
// target.
TEST(PWSaveFileLeftoverTest, AStalePartFileWaitsForItsOwnTarget)
{
    QTemporaryDir folder;
    const QString stale = folder.filePath(QStringLiteral(".a.pwdc.pwsave-00000000000q7.part"));
    ASSERT_TRUE(pwtest::writeFile(stale, "killed save of a"));
    for (const char *text : {"one", "two", "three"})
        ASSERT_TRUE(PWSaveFile::write(folder.filePath(QStringLiteral("b.pwdc")), text, nullptr));
    EXPECT_TRUE(QFileInfo::exists(stale));
    ASSERT_TRUE(PWSaveFile::write(folder.filePath(QStringLiteral("a.pwdc")), "a", nullptr));
    EXPECT_FALSE(QFileInfo::exists(stale));
}

} // namespace
