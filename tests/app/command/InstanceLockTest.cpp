// The program started where its door's lock cannot be opened (left by a start under another user):
// the start says why and still becomes the one instance, which a later start reaches.
#include "TestSupport.h"

#include "kernel/merge/CADocument.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The user the program runs as when the test runs as root: the lock file the test makes then
// belongs to another user, as one left by a start under root does.
constexpr uid_t kOrdinaryUser = 65534;

class InstanceLockTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_base.isValid());
        ASSERT_EQ(::chmod(QFile::encodeName(m_base.path()).constData(), 0755), 0);
        for (const char *folder : {".config", ".local/share", ".cache", "runtime", "work"})
            ASSERT_TRUE(QDir().mkpath(home(QString::fromLatin1(folder))));
        ASSERT_EQ(::chmod(QFile::encodeName(home(u"runtime"_s)).constData(), 0700), 0);
        CADocument design;
        ASSERT_TRUE(design.writeToFile(home(u"work/letter.pwdc"_s)));
        ASSERT_TRUE(pwtest::writeFile(lock(), ""));
        if (root()) {
            // Everything is the ordinary user's but the lock, which stays root's and closed to others.
            QDirIterator all(home(QString()), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                             QDirIterator::Subdirectories);
            QStringList paths {home(QString())};
            while (all.hasNext())
                paths.append(all.next());
            for (const QString &path : std::as_const(paths)) {
                if (path != lock()) {
                    ASSERT_EQ(::lchown(QFile::encodeName(path).constData(), kOrdinaryUser, kOrdinaryUser), 0);
                }
            }
            ASSERT_EQ(::chmod(QFile::encodeName(lock()).constData(), 0600), 0);
        } else {
            ASSERT_EQ(::chmod(QFile::encodeName(lock()).constData(), 0), 0);
        }
        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        m_environment.insert(u"HOME"_s, home(QString()));
        m_environment.insert(u"XDG_CONFIG_HOME"_s, home(u".config"_s));
        m_environment.insert(u"XDG_DATA_HOME"_s, home(u".local/share"_s));
        m_environment.insert(u"XDG_CACHE_HOME"_s, home(u".cache"_s));
        m_environment.insert(u"XDG_RUNTIME_DIR"_s, home(u"runtime"_s));
        m_environment.remove(u"PW_INSTANCE_SOCKET"_s);
        m_environment.remove(u"PW_EXIT_WHEN_SHOWN"_s);
    }
    void TearDown() override
    {
        if (m_first.state() != QProcess::NotRunning) {
            m_first.kill();
            m_first.waitForFinished(10000);
        }
    }

    static bool root() { return ::geteuid() == 0; }
    QString home(const QString &name) const { return m_base.filePath(u"home/"_s + name); }
    QString lock() const { return home(u"runtime/parcelwick-instance.lock"_s); }

    // The program as the ordinary user: as root, through setpriv.
    void start(QProcess &process, const QStringList &arguments) const
    {
        process.setProcessEnvironment(m_environment);
        process.setWorkingDirectory(home(u"work"_s));
        if (root())
            process.start(u"setpriv"_s, QStringList {u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s,
                                                     QStringLiteral(PW_PARCELWICK_BINARY)}
                                            + arguments);
        else
            process.start(QStringLiteral(PW_PARCELWICK_BINARY), arguments);
    }

    QTemporaryDir m_base;
    QProcessEnvironment m_environment;
    QProcess m_first;
};

TEST_F(InstanceLockTest, ALockThatCannotBeOpenedIsNamedAndTheStartStillBecomesTheInstance)
{
    start(m_first, {});
    ASSERT_TRUE(m_first.waitForStarted(10000));
    // The door opens and the reason is told, with no wait for a lock that cannot be had.
    const QString door = home(u"runtime/parcelwick-instance"_s);
    QByteArray said;
    for (int tries = 0; tries < 600 && m_first.state() == QProcess::Running
                        && !(QFileInfo::exists(door) && said.contains("cannot be used"));
         ++tries) {
        m_first.waitForReadyRead(100);
        said += m_first.readAllStandardError();
    }
    ASSERT_TRUE(QFileInfo::exists(door)) << said.constData();
    EXPECT_TRUE(said.contains(QFile::encodeName(lock()))) << said.constData();
    EXPECT_TRUE(said.contains("cannot be used (Permission denied)")) << said.constData();

    // A later start hands its design to that instance instead of opening windows of its own.
    QProcess later;
    start(later, {u"letter.pwdc"_s});
    ASSERT_TRUE(later.waitForFinished(30000)) << "the later start did not end";
    const QString answer = QString::fromUtf8(later.readAllStandardError());
    EXPECT_EQ(later.exitCode(), 0) << qPrintable(answer);
    EXPECT_TRUE(answer.contains(u"1 design opened"_s)) << qPrintable(answer);
    EXPECT_EQ(m_first.state(), QProcess::Running);
}

} // namespace
