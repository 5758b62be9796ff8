// What a save does with names it should not trust: another user's link in a shared folder is not
// followed, a target changed while the new bytes were written is left as it is, and only the
// save's own part files are ever taken away.
#include "platform/PWSaveFile.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Another user, as a test run by root can make one; an ordinary user's run skips what needs one.
const uid_t kOtherOwner = ::geteuid() + 4242;

// One way a save reaches a file; change, when given, runs between the check and the replace, as
// another process could.
struct Writer
{
    const char *name;
    std::function<bool(const QString &path, const QByteArray &bytes, const std::function<void()> &change,
                       QString *reason)>
        write;
};

const Writer kWriters[] = {
    {"whole",
     [](const QString &path, const QByteArray &bytes, const std::function<void()> &change, QString *reason) {
         PWSaveFile::setBeforeReplaceHook(change);
         const bool written = PWSaveFile::write(path, bytes, reason);
         PWSaveFile::setBeforeReplaceHook(nullptr);
         return written;
     }},
    {"streamed",
     [](const QString &path, const QByteArray &bytes, const std::function<void()> &change, QString *reason) {
         PWSaveFile::File file(path);
         if (!PWSaveFile::open(file, reason))
             return false;
         file.write(bytes);
         if (change)
             change();
         return PWSaveFile::commit(file, reason);
     }},
};

QStringList partFilesOf(const QString &folder)
{
    return QDir(folder).entryList({u"*.part"_s}, QDir::Files | QDir::Hidden | QDir::System);
}

struct LinkCase
{
    const char *name;
    mode_t folderMode;
    bool folderOfOther; // the shared folder belongs to the other user
    bool linkOfOther;   // the link belongs to the other user
    bool linkedFolder;  // the link leads to the folder of the file, not to the file
    bool followed;
};

class PWSaveFileSharedLinkTest : public ::testing::TestWithParam<LinkCase>
{
};

// A link in a shared folder is followed only when this user or the folder's owner made it, as the
// system's protection of links has it, on every road to the file and for the check before a job.
TEST_P(PWSaveFileSharedLinkTest, AnotherUsersLinkInASharedFolderIsNotFollowed)
{
    const LinkCase &c = GetParam();
    for (const Writer &writer : kWriters) {
        SCOPED_TRACE(writer.name);
        QTemporaryDir folder;
        ASSERT_TRUE(folder.isValid());
        const QString shared = folder.filePath(u"shared"_s);
        const QString mine = folder.filePath(u"mine"_s);
        ASSERT_TRUE(QDir().mkpath(shared));
        ASSERT_TRUE(QDir().mkpath(mine));
        ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), c.folderMode), 0);
        ASSERT_TRUE(pwtest::writeFile(mine + u"/design.pwdc"_s, "the user's design"));
        const QByteArray link = QFile::encodeName(shared + (c.linkedFolder ? u"/in"_s : u"/design.pwdc"_s));
        ASSERT_EQ(::symlink(QFile::encodeName(c.linkedFolder ? mine : mine + u"/design.pwdc"_s).constData(), link.constData()), 0);
        if ((c.folderOfOther && ::chown(QFile::encodeName(shared).constData(), kOtherOwner, ::getegid()) != 0)
            || (c.linkOfOther && ::lchown(link.constData(), kOtherOwner, ::getegid()) != 0))
            GTEST_SKIP() << "files cannot be given to another user here";
        const QString target = shared + (c.linkedFolder ? u"/in/design.pwdc"_s : u"/design.pwdc"_s);

        QString checkReason;
        EXPECT_EQ(PWSaveFile::checkTarget(target, &checkReason), c.followed) << qPrintable(checkReason);
        QString reason;
        EXPECT_EQ(writer.write(target, "written", nullptr, &reason), c.followed) << qPrintable(reason);
        EXPECT_EQ(pwtest::readFile(mine + u"/design.pwdc"_s), c.followed ? "written" : "the user's design");
        EXPECT_TRUE(QFileInfo(QFile::decodeName(link)).isSymLink());
        if (!c.followed) {
            EXPECT_TRUE(reason.contains(u"is a link another user made in a shared folder"_s)) << qPrintable(reason);
            EXPECT_TRUE(checkReason.contains(QFile::decodeName(link))) << qPrintable(checkReason);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Links, PWSaveFileSharedLinkTest,
    ::testing::Values(LinkCase {"OtherUsersLinkInSharedFolder", 01777, false, true, false, false},
                      LinkCase {"OtherUsersFolderLinkOnTheWay", 01777, false, true, true, false},
                      LinkCase {"OwnLinkInSharedFolder", 01777, false, false, false, true},
                      LinkCase {"FolderOwnersLinkInSharedFolder", 01777, true, true, false, true},
                      LinkCase {"OtherUsersLinkWithoutStickyBit", 0777, false, true, false, true},
                      LinkCase {"OtherUsersLinkInFolderOthersCannotWrite", 01755, false, true, false, true}),
    [](const auto &info) { return std::string(info.param.name); });

struct ChangeCase
{
    const char *name;
    bool existed; // the target was there when checked
    // What another process puts at the target while the save writes; victim is another file of
    // the user's.
    std::function<bool(const QString &target, const QString &victim)> change;
    const char *left; // what the target holds afterwards
};

class PWSaveFileChangedTargetTest : public ::testing::TestWithParam<ChangeCase>
{
protected:
    void TearDown() override { PWSaveFile::setUnnamedTemporaryAllowed(true); }
};

// What the save replaces is what it checked: a target swapped for a link (or for another file)
// between the check and the replace is left as it is, the file the link leads to too.
TEST_P(PWSaveFileChangedTargetTest, ATargetChangedWhileWritingIsLeftAsItIs)
{
    const ChangeCase &c = GetParam();
    for (const bool unnamed : {true, false}) {
        PWSaveFile::setUnnamedTemporaryAllowed(unnamed);
        for (const Writer &writer : kWriters) {
            SCOPED_TRACE(std::string(writer.name) + (unnamed ? " unnamed" : " named"));
            QTemporaryDir folder;
            ASSERT_TRUE(folder.isValid());
            const QString target = folder.filePath(u"out.pdf"_s);
            const QString victim = folder.filePath(u"design.pwdc"_s);
            ASSERT_TRUE(pwtest::writeFile(victim, "the user's design"));
            if (c.existed) {
                ASSERT_TRUE(pwtest::writeFile(target, "old output"));
            }
            bool changed = false;
            QString reason;
            EXPECT_FALSE(writer.write(target, "new output", [&] { changed = c.change(target, victim); }, &reason));
            ASSERT_TRUE(changed);
            EXPECT_TRUE(reason.contains(u"was changed by someone else while it was being saved"_s)) << qPrintable(reason);
            EXPECT_EQ(pwtest::readFile(victim), "the user's design");
            EXPECT_EQ(pwtest::readFile(target), c.left);
            EXPECT_EQ(partFilesOf(folder.path()), QStringList());
        }
    }
}

bool swapForLink(const QString &target, const QString &victim)
{
    const QByteArray name = QFile::encodeName(target);
    return (::unlink(name.constData()) == 0 || errno == ENOENT)
           && ::symlink(QFile::encodeName(victim).constData(), name.constData()) == 0;
}

INSTANTIATE_TEST_SUITE_P(
    Changes, PWSaveFileChangedTargetTest,
    ::testing::Values(ChangeCase {"FileSwappedForALink", true, swapForLink, "the user's design"},
                      ChangeCase {"LinkWhereNothingWas", false, swapForLink, "the user's design"},
                      ChangeCase {"FileSwappedForAnother", true,
                                  [](const QString &target, const QString &) {
                                      return QFile::remove(target) && pwtest::writeFile(target, "another file");
                                  },
                                  "another file"}),
    [](const auto &info) { return std::string(info.param.name); });

struct SystemLinkCase
{
    const char *name;
    // The name the save is given for the file x.pdf of the folder, open as `folder`.
    std::function<QString(int folder)> name_of;
};

class PWSaveFileSystemLinkTest : public ::testing::TestWithParam<std::tuple<SystemLinkCase, Writer>>
{
};

// The links the system keeps report no size: the whole of their target is read all the same, and
// the save lands where the link leads, a new file or one replaced.
TEST_P(PWSaveFileSystemLinkTest, ASaveThroughALinkOfTheSystemLandsWhereItLeads)
{
    const auto &[link, writer] = GetParam();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder.path()));
    const auto back = qScopeGuard([&previous] { QDir::setCurrent(previous); });
    const int open = ::open(QFile::encodeName(folder.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(open, 0);
    const auto closed = qScopeGuard([open] { ::close(open); });
    const QString name = link.name_of(open);
    for (const QByteArray &bytes : {QByteArray("first"), QByteArray("second")}) {
        QString reason;
        EXPECT_TRUE(writer.write(name, bytes, nullptr, &reason)) << qPrintable(name) << ": " << qPrintable(reason);
        EXPECT_EQ(pwtest::readFile(folder.filePath(u"x.pdf"_s)), bytes);
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList {u"x.pdf"_s});
}

INSTANTIATE_TEST_SUITE_P(
    Links, PWSaveFileSystemLinkTest,
    ::testing::Combine(::testing::Values(SystemLinkCase {"WorkingFolder", [](int) { return u"/proc/self/cwd/x.pdf"_s; }},
                                         SystemLinkCase {"OpenFolder",
                                                         [](int folder) { return u"/dev/fd/%1/x.pdf"_s.arg(folder); }},
                                         SystemLinkCase {"ProcessRoot",
                                                         [](int) {
                                                             return u"/proc/self/root"_s + QDir::currentPath()
                                                                    + u"/x.pdf"_s;
                                                         }}),
                       ::testing::ValuesIn(kWriters)),
    [](const auto &info) {
        return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
    });

// Only the part files a save names are taken away as leftovers: files of the user's own whose
// names merely look alike stay.
TEST(PWSaveFilePartNameTest, OnlyTheSavesOwnPartFilesAreTakenAway)
{
    const struct
    {
        const char *name;
        bool removed;
    } cases[] = {
        {".x.abc.part", false},
        {".x.old.part", false},
        {".x.pwsave-abc.part", false},
        {".x.pwsave-0000000000ABC.part", false},
        {".x.pwsave-0000000000abcd.part", false},
        // The tag and length of a part file, but the user's own marker.
        {".x.backup-0000000000abc.part", false},
        {".x.pwsaveX0000000000abc.part", false},
        {".x.pwsave-0000000000abc.bart", false},
        {".y.pwsave-0000000000abc.part", false},
        {".x.pwsave-0000000000abc.part", true},
    };
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (const auto &c : cases)
        ASSERT_TRUE(pwtest::writeFile(folder.filePath(QString::fromLatin1(c.name)), "kept by the user"));
    ASSERT_TRUE(PWSaveFile::write(folder.filePath(u"x"_s), "saved", nullptr));
    for (const auto &c : cases)
        EXPECT_NE(QFileInfo::exists(folder.filePath(QString::fromLatin1(c.name))), c.removed) << c.name;
    EXPECT_EQ(pwtest::readFile(folder.filePath(u"x"_s)), "saved");
}

} // namespace
