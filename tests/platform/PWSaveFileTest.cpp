#include "platform/PWSaveFile.h"

#include "FileSizeLimit.h"
#include "TestSupport.h"

#include <QDir>
#include <QSaveFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <functional>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

TEST(PWSaveFileTest, NamesLackOfRoomInsteadOfAnUnknownError)
{
    const QString unknown = QStringLiteral("Unknown error");
    EXPECT_EQ(PWSaveFile::failureReason(ENOSPC, unknown), QStringLiteral("the disk is full"));
    EXPECT_EQ(PWSaveFile::failureReason(EFBIG, unknown), QStringLiteral("the file is larger than this system allows"));
    EXPECT_NE(PWSaveFile::failureReason(EACCES, unknown), unknown);
    EXPECT_EQ(PWSaveFile::failureReason(EACCES, QStringLiteral("Permission denied")), QStringLiteral("Permission denied"));
}

// A write over the process's file-size limit fails with a reason and leaves the old file whole.
TEST(PWSaveFileTest, WriteOverTheSizeLimitKeepsTheOldFile)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("design.pwdc"));
    ASSERT_TRUE(PWSaveFile::write(path, QByteArrayLiteral("old design"), nullptr));

    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit small = previous;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString reason;
    const bool written = PWSaveFile::write(path, QByteArray(65536, 'x'), &reason);
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(reason, QStringLiteral("the file is larger than this system allows"));
    EXPECT_EQ(pwtest::readFile(path), QByteArrayLiteral("old design"));
}

struct RoomCase
{
    const char *name;
    qsizetype size;
    rlim_t room;
};

class PWSaveFileRoomTest : public ::testing::TestWithParam<RoomCase>
{
};

// A file that runs out of room is a failure whatever its size: one smaller than the write buffer
// fails only when the buffer is flushed, and must never replace the old file with a short one.
TEST_P(PWSaveFileRoomTest, NoRoomKeepsTheOldFileAndSaysWhy)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("p1.vcf"));
    const QByteArray old(300, 'o');
    ASSERT_TRUE(PWSaveFile::write(path, old, nullptr));
    QString reason;
    bool written = true;
    {
        const pwtest::FileSizeLimit limit(GetParam().room);
        ASSERT_TRUE(limit.isActive());
        written = PWSaveFile::write(path, QByteArray(GetParam().size, 'n'), &reason);
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(reason, QStringLiteral("the file is larger than this system allows"));
    EXPECT_EQ(pwtest::readFile(path), old);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList {QStringLiteral("p1.vcf")});
}

INSTANTIATE_TEST_SUITE_P(Sizes, PWSaveFileRoomTest,
                         ::testing::Values(RoomCase {"SmallCard", 200, 100}, RoomCase {"DesignUnderTheBuffer", 12800, 1024},
                                           RoomCase {"NoRoomAtAll", 10, 0}, RoomCase {"OverTheBuffer", 65536, 4096}),
                         [](const auto &info) { return std::string(info.param.name); });

// A file streamed by its caller (a PDF) is checked the same way when it is committed.
TEST(PWSaveFileTest, CommitOfAStreamedFileChecksItsLastBytes)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("labels.pdf"));
    ASSERT_TRUE(PWSaveFile::write(path, QByteArrayLiteral("old labels"), nullptr));
    const pwtest::FileSizeLimit limit(512);
    ASSERT_TRUE(limit.isActive());
    PWSaveFile::File file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    for (int page = 0; page < 10; ++page)
        file.write(QByteArray(300, 'p'));
    QString reason;
    EXPECT_FALSE(PWSaveFile::commit(file, &reason));
    EXPECT_EQ(reason, QStringLiteral("the file is larger than this system allows"));
    EXPECT_EQ(pwtest::readFile(path), QByteArrayLiteral("old labels"));
}

struct StreamCase
{
    const char *name;
    QList<qsizetype> writes; // the sizes of the writes, in order
    rlim_t room;
};

class PWSaveFileStreamTest : public ::testing::TestWithParam<StreamCase>
{
};

// A stream cut short anywhere fails its commit with the reason, however its writes fall: the file
// device answers a write that the limit cuts in the middle with the bytes that went and no error,
// and a writer that looks at no answer goes on.
TEST_P(PWSaveFileStreamTest, AStreamCutShortAnywhereKeepsTheOldFile)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("labels.pdf"));
    const QByteArray old = QByteArrayLiteral("old labels");
    ASSERT_TRUE(PWSaveFile::write(path, old, nullptr));
    PWSaveFile::File file(path);
    QString reason;
    ASSERT_TRUE(PWSaveFile::open(file, &reason)) << qPrintable(reason);
    bool committed = true;
    {
        const pwtest::FileSizeLimit limit(GetParam().room);
        ASSERT_TRUE(limit.isActive());
        char fill = 'a';
        for (const qsizetype size : GetParam().writes)
            file.write(QByteArray(size, fill++));
        committed = PWSaveFile::commit(file, &reason);
    }
    EXPECT_FALSE(committed);
    EXPECT_EQ(reason, QStringLiteral("the file is larger than this system allows"));
    EXPECT_EQ(pwtest::readFile(path), old);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList {QStringLiteral("labels.pdf")});
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, PWSaveFileStreamTest,
    ::testing::Values(StreamCase {"OneWriteOverTheBufferCutInTheMiddle", {200000}, 131072},
                      StreamCase {"TheLastWriteCutInTheMiddle", {1000, 1000, 300000}, 131072},
                      StreamCase {"ACutWriteThenSmallOnes", {300000, 100, 100}, 131072},
                      StreamCase {"SmallWritesPastTheRoom", {3000, 3000, 3000, 3000}, 4096}),
    [](const auto &info) { return std::string(info.param.name); });

namespace {

QByteArray writeBytes(const QByteArray &path, const QByteArray &bytes)
{
    QString reason;
    return PWSaveFile::writeAtBytes(path, bytes, &reason) ? QByteArray("ok") : reason.toUtf8();
}

} // namespace

// Files named by bytes that are no UTF-8 (in folders named so too) are written, replaced and
// refused as a file with a text name would be, and nothing is left beside them.
TEST(PWSaveFileTest, FilesNamedByBytesAreWrittenWhole)
{
    QTemporaryDir scratch;
    const QByteArray folder = QFile::encodeName(scratch.path()) + "/Entw\xfcrfe";
    ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
    const QByteArray design = folder + "/caf\xe9.pwdc";

    struct Row
    {
        const char *name;
        std::function<QByteArray()> act;
        QByteArray expected;
    };
    const std::vector<Row> rows {
        {"new file", [&] { return writeBytes(design, "first"); }, "ok"},
        {"its bytes", [&] { return pwtest::readFileAtBytes(design); }, "first"},
        {"replaced keeping its permissions",
         [&] {
             ::chmod(design.constData(), 0640);
             const QByteArray result = writeBytes(design, "second");
             struct stat info {};
             ::stat(design.constData(), &info);
             return result + " " + QByteArray::number(info.st_mode & 07777, 8) + " " + pwtest::readFileAtBytes(design);
         },
         "ok 640 second"},
        {"through a link",
         [&] {
             const QByteArray link = folder + "/link\xff.pwdc";
             ::symlink(design.constData(), link.constData());
             const QByteArray result = writeBytes(link, "third");
             struct stat info {};
             ::lstat(link.constData(), &info);
             return result + " " + (S_ISLNK(info.st_mode) ? "link " : "file ") + pwtest::readFileAtBytes(design);
         },
         "ok link third"},
        {"missing folder", [&] { return writeBytes(folder + "/nowhere\xff/x.pwdc", "x"); }, "No such file or directory"},
        {"a folder", [&] { return writeBytes(folder, "x"); }, "Is a directory"},
        {"over the size limit",
         [&] {
             const pwtest::FileSizeLimit limit(16);
             return writeBytes(design, QByteArray(64, 'n')) + " " + pwtest::readFileAtBytes(design);
         },
         "the file is larger than this system allows third"},
    };
    for (const Row &row : rows)
        EXPECT_EQ(row.act(), row.expected) << row.name;

    // The design and the link; no half-written file beside them.
    QList<QByteArray> left;
    if (DIR *entries = ::opendir(folder.constData())) {
        while (const dirent *entry = ::readdir(entries))
            if (entry->d_name[0] != '.' || qstrlen(entry->d_name) > 2)
                left.append(entry->d_name);
        ::closedir(entries);
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (QList<QByteArray> {"caf\xe9.pwdc", "link\xff.pwdc"}));
    // QTemporaryDir cannot remove what it cannot name.
    for (const QByteArray &entry : std::as_const(left))
        ::unlink((folder + '/' + entry).constData());
    ::rmdir(folder.constData());
}
