#include "kernel/base/CAEnvironment.h"

#include "TestSupport.h"
#include "platform/PWImage.h"
#include "platform/PWUserDefaults.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

// The folder's removal at exit can only be seen from outside the process: the test starts this
// test program again with this variable set, and the copy reports its folder and exits before
// any test runs.
const char kChildVariable[] = "PW_TEMP_FOLDER_CHILD";

class TempFolderChild : public ::testing::Environment
{
public:
    void SetUp() override
    {
        if (!qEnvironmentVariableIsSet(kChildVariable))
            return;
        const QString path = CAEnvironment::tempPath();
        struct stat info;
        const bool made = ::stat(QFile::encodeName(path).constData(), &info) == 0;
        QFile file(path + QStringLiteral("/left-behind.txt"));
        const bool wrote = file.open(QIODevice::WriteOnly) && file.write("data") == 4;
        file.close();
        std::printf("TEMP:%s\nMODE:%o\nOWNER:%d\nWROTE:%d\n", QFile::encodeName(path).constData(),
                    made ? unsigned(info.st_mode & 07777) : 0u, made && info.st_uid == ::getuid(), wrote);
        std::fflush(stdout);
        pwtest::exitRun(0); // as a process ends: static objects are destroyed, the folder with them
    }
};

[[maybe_unused]] ::testing::Environment *const kTempFolderChild =
    ::testing::AddGlobalTestEnvironment(new TempFolderChild);

struct stat statOf(const QString &path)
{
    struct stat info {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
    return info;
}

void setModificationTime(const QString &path, time_t seconds, long nanoseconds)
{
    const struct timespec times[2] = {{seconds, 0}, {seconds, nanoseconds}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

QString writeFile(const QString &path, const QByteArray &contents)
{
    EXPECT_TRUE(pwtest::writeFile(path, contents)) << path.toStdString();
    return path;
}

QString inTemp(const QString &name) { return CAEnvironment::tempPath() + QLatin1Char('/') + name; }

class TempFiles : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_sources.isValid()); }
    QString source(const QString &name, const QByteArray &contents = "picture bytes") { return writeFile(m_sources.filePath(name), contents); }
    QTemporaryDir m_sources;
};

} // namespace

TEST(CAEnvironmentTempFolderTest, IsPrivateToThisProcess)
{
    const QString path = CAEnvironment::tempPath();
    ASSERT_FALSE(path.isEmpty());
    EXPECT_EQ(CAEnvironment::tempPath(), path) << "one folder for the whole process";
    const QFileInfo info(path);
    EXPECT_TRUE(info.isDir() && !info.isSymLink());
    EXPECT_EQ(info.absolutePath(), QFileInfo(CAEnvironment::systemTempPath()).absoluteFilePath());
    EXPECT_TRUE(info.fileName().startsWith(QStringLiteral("pw_refimg."))) << info.fileName().toStdString();
    EXPECT_EQ(statOf(path).st_mode & 07777, 0700u);
    EXPECT_EQ(statOf(path).st_uid, ::getuid());
}

TEST(CAEnvironmentTempFolderTest, IsMadeAgainWhenSomethingRemovedIt)
{
    const QString before = CAEnvironment::tempPath();
    ASSERT_TRUE(QDir(before).removeRecursively());
    const QString after = CAEnvironment::tempPath();
    EXPECT_TRUE(QFileInfo(after).isDir());
    EXPECT_EQ(statOf(after).st_mode & 07777, 0700u);
}

TEST(CAEnvironmentTempFolderTest, IsUniquePerProcessAndRemovedAtExit)
{
    const QString ours = CAEnvironment::tempPath();
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kChildVariable), QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=CAEnvironmentTempFolderTest.IsPrivateToThisProcess")});
    ASSERT_TRUE(child.waitForFinished(120000));
    ASSERT_EQ(child.exitStatus(), QProcess::NormalExit);
    ASSERT_EQ(child.exitCode(), 0);
    QHash<QString, QString> report;
    for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            report.insert(QString::fromLatin1(line.left(colon)), QString::fromLocal8Bit(line.mid(colon + 1)));
    }
    const QString theirs = report.value(QStringLiteral("TEMP"));
    ASSERT_FALSE(theirs.isEmpty()) << child.readAllStandardError().toStdString();
    EXPECT_NE(theirs, ours);
    EXPECT_TRUE(QFileInfo(theirs).fileName().startsWith(QStringLiteral("pw_refimg.")));
    EXPECT_EQ(QStringList({report.value(QStringLiteral("MODE")), report.value(QStringLiteral("OWNER")), report.value(QStringLiteral("WROTE"))}),
              QStringList({QStringLiteral("700"), QStringLiteral("1"), QStringLiteral("1")}));
    EXPECT_FALSE(QFileInfo::exists(theirs)) << "the folder outlived its process, with its contents";
    EXPECT_TRUE(QFileInfo(ours).isDir());
}

TEST(CAEnvironmentTempFolderTest, FileIdentitiesCountUpUnderOneFolderNumber)
{
    const QRegularExpression form(QStringLiteral("^si([0-9]+)-([0-9]+)$"));
    const QRegularExpressionMatch first = form.match(CAEnvironment::tempFileGUID());
    ASSERT_TRUE(first.hasMatch());
    const int number = first.captured(1).toInt(), count = first.captured(2).toInt();
    EXPECT_TRUE(number >= 1 && number <= 99) << number;
    for (int step = 1; step <= 2; ++step)
        EXPECT_EQ(CAEnvironment::tempFileGUID(), QStringLiteral("si%1-%2").arg(first.captured(1)).arg(count + step));
}

TEST_F(TempFiles, ACopyKeepsTheModificationTimeAndValidatesUntilTheSourceChanges)
{
    const QString original = source(QStringLiteral("keeps-time.png"));
    setModificationTime(original, 1600000000, 123456789);
    ASSERT_TRUE(CAEnvironment::copyToTempPath(original));
    EXPECT_FALSE(CAEnvironment::copyToTempPath(original)) << "the name is taken now";
    const struct stat copy = statOf(inTemp(QStringLiteral("keeps-time.png")));
    EXPECT_EQ(std::pair(copy.st_mtim.tv_sec, copy.st_mtim.tv_nsec), std::pair(time_t(1600000000), 123456789L));
    EXPECT_TRUE(CAEnvironment::isValidateTempFileGUID(original));
    // Same time, another size.
    writeFile(original, "picture bytes, edited");
    setModificationTime(original, 1600000000, 123456789);
    EXPECT_FALSE(CAEnvironment::isValidateTempFileGUID(original));
    // Same size, a moment later.
    writeFile(original, "picture bytes");
    setModificationTime(original, 1600000000, 123456790);
    EXPECT_FALSE(CAEnvironment::isValidateTempFileGUID(original));
    EXPECT_TRUE(CAEnvironment::removeFilePathFromTempPath(original));
    EXPECT_FALSE(QFileInfo::exists(inTemp(QStringLiteral("keeps-time.png"))));
    EXPECT_FALSE(CAEnvironment::isValidateTempFileGUID(original)) << "no copy left";
    EXPECT_TRUE(CAEnvironment::removeFilePathFromTempPath(original)) << "a file not there counts as removed";
    EXPECT_FALSE(CAEnvironment::isValidateTempFileGUID(m_sources.filePath(QStringLiteral("never-written.png"))));
}

TEST_F(TempFiles, SizesCompareInFull)
{
    // A source 4 GiB larger than its "copy": equal in the low 32 bits of the size only.
    QFile big(m_sources.filePath(QStringLiteral("huge-scan.tif")));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    if (!big.resize((qint64(1) << 32) + 7))
        GTEST_SKIP() << "the temporary file system takes no sparse 4 GiB file";
    big.close();
    writeFile(inTemp(QStringLiteral("huge-scan.tif")), "1234567");
    setModificationTime(big.fileName(), 1500000000, 0);
    setModificationTime(inTemp(QStringLiteral("huge-scan.tif")), 1500000000, 0);
    EXPECT_FALSE(CAEnvironment::isValidateTempFileGUID(big.fileName()));
    EXPECT_TRUE(CAEnvironment::removeFilePathFromTempPath(QStringLiteral("huge-scan.tif")));
}

TEST_F(TempFiles, CopiesUnderAnotherNameTakeOnlyItsFileNameAndIntoAFolderMakeIt)
{
    const QString original = source(QStringLiteral("download.bin"), "downloaded");
    ASSERT_TRUE(CAEnvironment::copyFilePathToTempFilePath(original, QStringLiteral("/elsewhere/renamed.jpg")));
    EXPECT_EQ(pwtest::readFile(inTemp(QStringLiteral("renamed.jpg"))), QByteArray("downloaded"));
    EXPECT_FALSE(CAEnvironment::copyFilePathToTempFilePath(original, QStringLiteral("renamed.jpg")))
        << "an existing copy is never overwritten";
    EXPECT_FALSE(CAEnvironment::copyFilePathToTempFilePath(m_sources.filePath(QStringLiteral("absent.jpg")), QStringLiteral("absent-copy.jpg")));
    EXPECT_FALSE(QFileInfo::exists(inTemp(QStringLiteral("absent-copy.jpg"))));
    EXPECT_FALSE(CAEnvironment::copyFilePathToTempFilePath(QString(), QStringLiteral("x.jpg")));
    EXPECT_FALSE(CAEnvironment::copyFilePathToTempFilePath(original, QStringLiteral("..")));
    EXPECT_TRUE(CAEnvironment::removeFilePathFromTempPath(QStringLiteral("renamed.jpg")));
    const QString stamp = source(QStringLiteral("stamp.pdf"));
    const QString folder = m_sources.filePath(QStringLiteral("made/on/demand"));
    EXPECT_TRUE(CAEnvironment::copyFilePathToPath(stamp, folder));
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/stamp.pdf")));
    EXPECT_FALSE(CAEnvironment::copyFilePathToPath(stamp, folder));
    EXPECT_FALSE(CAEnvironment::copyFilePathToPath(m_sources.path(), folder)) << "a folder is no file to copy";
}

TEST_F(TempFiles, NamesThatWouldLeaveTheFolderAreRefused)
{
    const QString folder = CAEnvironment::tempPath();
    for (const QString &name : {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("/")}) {
        EXPECT_FALSE(CAEnvironment::removeFilePathFromTempPath(name)) << name.toStdString();
        EXPECT_FALSE(CAEnvironment::copyToTempPath(name)) << name.toStdString();
    }
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_TRUE(QFileInfo(QFileInfo(folder).absolutePath()).isDir());
}

TEST_F(TempFiles, FreeNamesCountFromOneInTheTestedFolder)
{
    QTemporaryDir tested;
    for (const char *name : {"photo.jpg", "photo-1.jpg", "README"})
        writeFile(tested.filePath(QString::fromLatin1(name)), "x");
    const auto next = [&](const char *name) {
        return CAEnvironment::nextTempFileGUIDForPath(QString::fromLatin1(name), tested.path()).remove(CAEnvironment::tempPath());
    };
    // Only the file name counts: folders in the name never reach the result.
    EXPECT_EQ(QStringList({next("free.jpg"), next("photo.jpg"), next("README"), next("../../etc/passwd"), next(".."),
                           next("http://example.org/")}),
              QStringList({QStringLiteral("/free.jpg"), QStringLiteral("/photo-2.jpg"), QStringLiteral("/README-1."),
                           QStringLiteral("/passwd"), QString(), QStringLiteral("/example.org")}));
}

class FullSizedClipArt : public TempFiles
{
protected:
    void SetUp() override
    {
        TempFiles::SetUp();
        ASSERT_TRUE(m_library.isValid());
        PWUserDefaults::standardUserDefaults().setString(QStringLiteral("FTSharedContentLibraryPath"), m_library.path());
        m_images = CAEnvironment::clipArtPath();
        ASSERT_TRUE(QDir().mkpath(m_images + QStringLiteral("/Animals")));
        ASSERT_TRUE(QFile::copy(pwtest::dataPath(QStringLiteral("hpi/valid.hpi")), m_images + QStringLiteral("/star.HPI")));
        QImage sun(6, 4, QImage::Format_RGB32);
        sun.fill(Qt::yellow);
        ASSERT_TRUE(sun.save(m_images + QStringLiteral("/Animals/sun.png")));
        ASSERT_TRUE(sun.save(m_library.filePath(QStringLiteral("secret.png"))));
    }
    void TearDown() override
    {
        PWUserDefaults::standardUserDefaults().removeObject(QStringLiteral("FTSharedContentLibraryPath"));
    }
    QTemporaryDir m_library;
    QString m_images;
};

TEST_F(FullSizedClipArt, LoadsOnceAndIsFoundByItsFullSizeNameWhichAlsoLoadsIt)
{
    std::shared_ptr<PWImage> star = CAEnvironment::loadFullSizedImage(QStringLiteral("star.HPI"));
    ASSERT_NE(star, nullptr);
    EXPECT_EQ(star->pixelSize(), QSize(10, 5));
    EXPECT_EQ(star->name(), QStringLiteral("FULLSIZE_star.HPI"));
    EXPECT_EQ(CAEnvironment::loadFullSizedImage(QStringLiteral("FULLSIZE_star.HPI")), star);
    // Found by name, not read again.
    ASSERT_TRUE(QFile::remove(m_images + QStringLiteral("/star.HPI")));
    EXPECT_EQ(CAEnvironment::loadFullSizedImage(QStringLiteral("star.HPI")), star);
    star.reset();
    EXPECT_EQ(CAEnvironment::loadFullSizedImage(QStringLiteral("star.HPI")), nullptr);
    const auto sun = CAEnvironment::loadFullSizedImage(QStringLiteral("FULLSIZE_Animals/sun.png"));
    ASSERT_NE(sun, nullptr);
    EXPECT_EQ(sun->pixelSize(), QSize(6, 4));
    EXPECT_EQ(PWImage::imageNamed(QStringLiteral("FULLSIZE_Animals/sun.png")), sun);
}

TEST_F(FullSizedClipArt, NamesOutsideTheClipArtFolderOrMissingFilesGiveNothing)
{
    for (const QString &name : {QStringLiteral("../../secret.png"), QStringLiteral("Animals/../../../secret.png"),
             m_library.filePath(QStringLiteral("secret.png")), QStringLiteral("FULLSIZE_"), QStringLiteral("missing.jpg"), QStringLiteral("Animals")})
        EXPECT_EQ(CAEnvironment::loadFullSizedImage(name), nullptr) << name.toStdString();
}
