// The path questions and changes the kernel and the application make through the platform: what
// each answers for a plain file, a folder, links, a missing name and another user's folder, and the
// errors the callers turn into the reasons a user reads.
#include "platform/PWDescriptor.h"
#include "platform/PWFileSystem.h"
#include "platform/PWPathStatus.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <functional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using Kind = PWPathStatus::Kind;

// Another user, as a test run by root can make one; an ordinary user's run skips what needs one.
const uid_t kOtherUser = ::geteuid() + 4242;

struct Tree
{
    QTemporaryDir dir;
    QByteArray at(const char *name) const { return QFile::encodeName(dir.filePath(QString::fromUtf8(name))); }

    Tree()
    {
        QFile file(dir.filePath(QStringLiteral("file")));
        file.open(QIODevice::WriteOnly);
        file.write("twelve bytes");
        file.close();
        ::chmod(at("file").constData(), 0600);
        ::mkdir(at("private").constData(), 0700);
        ::mkdir(at("shared").constData(), 0755);
        ::chmod(at("shared").constData(), 0755);
        ::mkdir(at("foreign").constData(), 0700);
        ::symlink("private", at("link-to-folder").constData());
        ::symlink("file", at("link-to-file").constData());
        ::symlink("nowhere", at("dangling").constData());
        ::symlink("loop", at("loop").constData());
        ::mkfifo(at("fifo").constData(), 0600);
    }
};

struct StatusRow
{
    const char *name;
    bool needsOtherUser;
    Kind entryKind; // the name itself, a link not followed
    bool isLink;
    bool owned;
    bool openToOthers;
    Kind followedKind; // links followed
};

const StatusRow kStatusRows[] = {
    {"file", false, Kind::RegularFile, false, true, false, Kind::RegularFile},
    {"private", false, Kind::Folder, false, true, false, Kind::Folder},
    {"shared", false, Kind::Folder, false, true, true, Kind::Folder},
    {"foreign", true, Kind::Folder, false, false, false, Kind::Folder},
    {"link-to-folder", false, Kind::Other, true, true, true, Kind::Folder},
    {"link-to-file", false, Kind::Other, true, true, true, Kind::RegularFile},
    {"dangling", false, Kind::Other, true, true, true, Kind::Missing},
    {"fifo", false, Kind::Other, false, true, false, Kind::Other},
    {"missing", false, Kind::Missing, false, false, false, Kind::Missing},
};

class PWPathStatusEntryTest : public testing::TestWithParam<StatusRow>
{
};

TEST_P(PWPathStatusEntryTest, TellsTheNameItselfAndWhatItLeadsTo)
{
    const StatusRow &row = GetParam();
    Tree tree;
    ASSERT_TRUE(tree.dir.isValid());
    if (row.needsOtherUser && ::lchown(tree.at("foreign").constData(), kOtherUser, kOtherUser) != 0)
        GTEST_SKIP() << "another user's folder needs a run as root";
    const PWPathStatus::Entry entry = PWPathStatus::entryAt(tree.at(row.name));
    EXPECT_EQ(entry.kind, row.entryKind);
    EXPECT_EQ(entry.isLink, row.isLink);
    EXPECT_EQ(entry.ownedByThisUser, row.owned);
    EXPECT_EQ(entry.openToOthers, row.openToOthers);
    const PWPathStatus::Entry followed = PWPathStatus::statusAt(tree.at(row.name));
    EXPECT_EQ(followed.kind, row.followedKind);
    EXPECT_FALSE(followed.isLink);
    EXPECT_EQ(PWPathStatus::kindAt(tree.at(row.name)), row.followedKind);
    if (row.followedKind == Kind::RegularFile) {
        EXPECT_EQ(followed.size, 12);
    }
    // A name of one file has its identity, whichever name leads there.
    if (row.entryKind != Kind::Missing && !row.isLink) {
        EXPECT_EQ(entry.identity, followed.identity);
    }
}

INSTANTIATE_TEST_SUITE_P(Names, PWPathStatusEntryTest, testing::ValuesIn(kStatusRows),
                         [](const testing::TestParamInfo<StatusRow> &info) {
                             return QByteArray(info.param.name).replace('-', '_').toStdString();
                         });

TEST(PWPathStatusTest, KindAtTellsWhyNothingIsThere)
{
    Tree tree;
    const struct
    {
        QByteArray path;
        int error;
    } rows[] = {
        {tree.at("missing"), ENOENT},
        {tree.at("dangling"), ENOENT},
        {tree.at("file") + "/below", ENOTDIR},
        {tree.at("loop"), ELOOP},
        {QByteArray(), ENOENT},
    };
    for (const auto &row : rows) {
        int error = 0;
        EXPECT_EQ(PWPathStatus::kindAt(row.path, &error), Kind::Missing) << row.path.constData();
        EXPECT_EQ(error, row.error) << row.path.constData();
    }
}

TEST(PWFileSystemTest, ChangesAnswerTheErrorOfTheCall)
{
    Tree tree;
    const struct
    {
        const char *what;
        std::function<int()> change;
        int error;
    } rows[] = {
        {"folder made", [&] { return PWFileSystem::makeFolder(tree.at("new"), 0700); }, 0},
        {"folder over a folder", [&] { return PWFileSystem::makeFolder(tree.at("private"), 0700); }, EEXIST},
        {"folder over a file", [&] { return PWFileSystem::makeFolder(tree.at("file"), 0700); }, EEXIST},
        {"folder over a dangling link", [&] { return PWFileSystem::makeFolder(tree.at("dangling"), 0700); }, EEXIST},
        {"folder without a parent", [&] { return PWFileSystem::makeFolder(tree.at("missing/new"), 0700); }, ENOENT},
        {"file removed is a link", [&] { return PWFileSystem::removeFile(tree.at("link-to-folder")); }, 0},
        {"file removed is a folder", [&] { return PWFileSystem::removeFile(tree.at("shared")); }, EISDIR},
        {"missing file removed", [&] { return PWFileSystem::removeFile(tree.at("missing")); }, ENOENT},
        {"empty folder removed", [&] { return PWFileSystem::removeEmptyFolder(tree.at("shared")); }, 0},
        {"folder with entries kept", [&] { return PWFileSystem::removeEmptyFolder(tree.dir.path().toUtf8()); },
         ENOTEMPTY},
        {"renamed over a file", [&] { return PWFileSystem::renamePath(tree.at("link-to-file"), tree.at("fifo")); }, 0},
        {"missing renamed", [&] { return PWFileSystem::renamePath(tree.at("missing"), tree.at("other")); }, ENOENT},
        {"permissions of a missing name", [&] { return PWFileSystem::setPermissions(tree.at("missing"), 0700); },
         ENOENT},
        {"touched through a dangling link", [&] { return PWFileSystem::touch(tree.at("dangling")); }, ENOENT},
        {"listing of a file", [&] { return PWFileSystem::list(tree.at("file"), nullptr); }, ENOTDIR},
    };
    for (const auto &row : rows)
        EXPECT_EQ(row.change(), row.error) << row.what;
    EXPECT_EQ(PWPathStatus::entryAt(tree.at("new")).kind, Kind::Folder);
    EXPECT_FALSE(PWPathStatus::entryAt(tree.at("new")).openToOthers);
    EXPECT_TRUE(PWPathStatus::entryAt(tree.at("fifo")).isLink);
    EXPECT_EQ(PWPathStatus::entryAt(tree.at("private")).kind, Kind::Folder);
}

TEST(PWFileSystemTest, PermissionsTimesAndListing)
{
    Tree tree;
    ASSERT_EQ(PWFileSystem::setPermissions(tree.at("shared"), 0700), 0);
    EXPECT_FALSE(PWPathStatus::entryAt(tree.at("shared")).openToOthers);
    const PWPathStatus::Timestamp accessed {1000000000, 123456789};
    const PWPathStatus::Timestamp modified {1200000000, 987654321};
    ASSERT_EQ(PWFileSystem::setTimes(tree.at("link-to-file"), accessed, modified), 0);
    const PWPathStatus::Entry file = PWPathStatus::entryAt(tree.at("file"));
    EXPECT_EQ(file.accessed, accessed);
    EXPECT_EQ(file.modified, modified);
    ASSERT_EQ(PWFileSystem::touch(tree.at("file")), 0);
    EXPECT_GT(PWPathStatus::entryAt(tree.at("file")).modified.seconds, modified.seconds);
    QList<QByteArray> names;
    ASSERT_EQ(PWFileSystem::list(tree.dir.path().toUtf8(), &names), 0);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (QList<QByteArray> {"dangling", "fifo", "file", "foreign", "link-to-file", "link-to-folder",
                                         "loop", "private", "shared"}));
}

TEST(PWDescriptorTest, OpensTheWayEachCallerNeeds)
{
    Tree tree;
    const struct
    {
        const char *what;
        std::function<PWDescriptor()> open;
        int error; // 0: opened
    } rows[] = {
        {"read a file", [&] { return PWDescriptor::openToRead(tree.at("file")); }, 0},
        {"read a FIFO without a writer", [&] { return PWDescriptor::openToRead(tree.at("fifo")); }, 0},
        {"read a missing name", [&] { return PWDescriptor::openToRead(tree.at("missing")); }, ENOENT},
        {"new file", [&] { return PWDescriptor::createNew(tree.at("made")); }, 0},
        {"new over a file", [&] { return PWDescriptor::createNew(tree.at("file")); }, EEXIST},
        {"new through a dangling link", [&] { return PWDescriptor::createNew(tree.at("dangling")); }, EEXIST},
        {"lock made", [&] { return PWDescriptor::openLock(tree.at("made.lock")); }, 0},
        {"lock through a link", [&] { return PWDescriptor::openLock(tree.at("link-to-file")); }, ELOOP},
        {"lock in a folder's place", [&] { return PWDescriptor::openLock(tree.at("private")); }, EISDIR},
    };
    for (const auto &row : rows) {
        errno = 0;
        const PWDescriptor opened = row.open();
        EXPECT_EQ(opened.isValid(), row.error == 0) << row.what;
        if (row.error != 0) {
            EXPECT_EQ(errno, row.error) << row.what;
        }
    }
    EXPECT_TRUE(PWDescriptor::openToRead(tree.at("file")).isRegularFile());
    EXPECT_FALSE(PWDescriptor::openToRead(tree.at("fifo")).isRegularFile());
    EXPECT_EQ(PWPathStatus::entryAt(tree.at("made.lock")).kind, Kind::RegularFile);
    EXPECT_FALSE(PWPathStatus::entryAt(tree.at("made.lock")).openToOthers);
    EXPECT_FALSE(PWPathStatus::entryAt(tree.at("dangling")).kind == Kind::RegularFile);
}

TEST(PWDescriptorTest, ALockExcludesEveryOtherOpenOfItsFile)
{
    Tree tree;
    const PWDescriptor first = PWDescriptor::openLock(tree.at("door.lock"));
    const PWDescriptor second = PWDescriptor::openLock(tree.at("door.lock"));
    ASSERT_TRUE(first.isValid() && second.isValid());
    ASSERT_TRUE(first.tryLockExclusive());
    errno = 0;
    EXPECT_FALSE(second.tryLockExclusive());
    EXPECT_EQ(errno, EWOULDBLOCK);
    EXPECT_EQ(first.identity(), PWPathStatus::entryAt(tree.at("door.lock")).identity);
    EXPECT_NE(first.identity(), PWPathStatus::entryAt(tree.at("file")).identity);
}

TEST(PWDescriptorTest, ReadsAndWritesEveryByte)
{
    Tree tree;
    {
        const PWDescriptor out = PWDescriptor::openToReplace(tree.at("file"), 0600);
        ASSERT_TRUE(out.writeAll(QByteArray("first")));
    }
    {
        const PWDescriptor out = PWDescriptor::openToAppend(tree.at("file"), 0600);
        ASSERT_TRUE(out.writeAll(QByteArray(" second")));
    }
    const PWDescriptor in = PWDescriptor::openToRead(tree.at("file"));
    char buffer[64] = {};
    EXPECT_EQ(in.readSome(buffer, sizeof buffer), 12);
    EXPECT_EQ(QByteArray(buffer), QByteArray("first second"));
    EXPECT_EQ(in.readSome(buffer, sizeof buffer), 0);
    // A write call that takes two bytes at a time, then reports a full disk.
    static int calls = 0;
    calls = 0;
    const PWDescriptor::WriteCall stingy = [](int descriptor, const void *data, size_t size) -> ssize_t {
        if (++calls > 2) {
            errno = ENOSPC;
            return -1;
        }
        return PWDescriptor::systemWrite(descriptor, data, std::min<size_t>(size, 2));
    };
    const PWDescriptor out = PWDescriptor::openToReplace(tree.at("file"), 0600);
    errno = 0;
    EXPECT_FALSE(out.writeAll("abcdef", 6, stingy));
    EXPECT_EQ(errno, ENOSPC);
    EXPECT_EQ(PWPathStatus::entryAt(tree.at("file")).size, 4);
    QByteArray pattern = tree.at("probe-XXXXXX");
    const PWDescriptor unique = PWDescriptor::createUnique(&pattern);
    ASSERT_TRUE(unique.isValid());
    EXPECT_FALSE(pattern.endsWith("XXXXXX"));
    EXPECT_EQ(PWPathStatus::entryAt(pattern).kind, Kind::RegularFile);
}

} // namespace
