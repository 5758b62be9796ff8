#include "platform/PWSaveFile.h"

#include "TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>

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
