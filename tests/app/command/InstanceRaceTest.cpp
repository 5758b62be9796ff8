// Two starts at the same moment on one home: the one that finds the other listening only after it
// began its own first-start copies hands its request over and ends cleanly, its copies finished
// and nothing of them half made.
#include "TestSupport.h"

#include "app/command/CACommandLine.h"
#include "app/command/CAInstanceDoor.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class InstanceRaceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        for (const char *folder : {".config", ".local/share", ".cache", "runtime"})
            ASSERT_TRUE(QDir().mkpath(m_home.filePath(QString::fromLatin1(folder))));
        QFile::setPermissions(m_home.filePath(u"runtime"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        environment.insert(u"HOME"_s, m_home.path());
        environment.insert(u"XDG_CONFIG_HOME"_s, m_home.filePath(u".config"_s));
        environment.insert(u"XDG_DATA_HOME"_s, m_home.filePath(u".local/share"_s));
        environment.insert(u"XDG_CACHE_HOME"_s, m_home.filePath(u".cache"_s));
        environment.insert(u"XDG_RUNTIME_DIR"_s, m_home.filePath(u"runtime"_s));
        environment.insert(u"TMPDIR"_s, m_home.path());
        environment.remove(u"PW_INSTANCE_SOCKET"_s);
        environment.remove(u"PW_EXIT_WHEN_SHOWN"_s);
        m_later.setProcessEnvironment(environment);
        m_later.setWorkingDirectory(m_home.path());
    }
    void TearDown() override
    {
        CAInstanceServer::setBeforeListenHook({});
        if (m_later.state() != QProcess::NotRunning) {
            m_later.kill();
            m_later.waitForFinished(10000);
        }
    }

    QString library() const { return m_home.filePath(u".local/share/Parcelwick/Library"_s); }

    QTemporaryDir m_home;
    QProcess m_later;
};

TEST_F(InstanceRaceTest, TheStartThatLosesTheDoorEndsCleanlyWithItsCopiesWhole)
{
    // This test is the other start: it holds the door's lock, as a start between its look and its
    // listen does, until the program has begun its first-start copies, and then answers it.
    CAInstanceServer door(m_home.filePath(u"runtime/parcelwick-instance"_s));
    int requests = 0;
    door.setHandler([&requests](const QJsonObject &, const CAInstanceServer::Reply &reply) {
        ++requests;
        reply(CAInstanceServer::okAnswer());
    });
    bool copying = false;
    CAInstanceServer::setBeforeListenHook([this, &copying] {
        m_later.start(QStringLiteral(PW_PARCELWICK_BINARY), {});
        ASSERT_TRUE(m_later.waitForStarted(10000));
        for (int tries = 0; tries < 600 && !copying && m_later.state() == QProcess::Running; ++tries) {
            m_later.waitForFinished(50);
            copying = QFileInfo(library()).isDir();
        }
    });
    QString error;
    ASSERT_TRUE(door.listen(&error)) << qPrintable(error);
    ASSERT_TRUE(copying) << m_later.readAllStandardError().constData();

    QTRY_VERIFY_WITH_TIMEOUT(m_later.state() == QProcess::NotRunning, 120000);
    const QString said = QString::fromUtf8(m_later.readAllStandardError());
    EXPECT_EQ(requests, 1);
    EXPECT_EQ(m_later.exitStatus(), QProcess::NormalExit) << qPrintable(said);
    EXPECT_EQ(m_later.exitCode(), CACommandLine::kSuccess) << qPrintable(said);
    // Nothing of the copies ran on past the program's own end.
    EXPECT_FALSE(said.contains(u"runtime error"_s)) << qPrintable(said);
    EXPECT_FALSE(said.contains(u"Sanitizer"_s)) << qPrintable(said);

    // Each folder it began is whole and marked so, and no staging folder is left beside it.
    const struct
    {
        const char *name;
        QString folder;
    } folders[] = {
        {"clip art", library() + u"/ClipArt"_s},
        {"basic shapes", library() + u"/BasicShapes"_s},
        {"masks", library() + u"/Masks"_s},
    };
    for (const auto &f : folders) {
        SCOPED_TRACE(f.name);
        EXPECT_TRUE(QFileInfo::exists(f.folder + u"/.parcelwick-seeded"_s));
    }
    // The sample designs go to the folder of the language the program runs in.
    QDirIterator designs(library() + u"/Parcelwick/Templates"_s, {u".parcelwick-seeded"_s},
                         QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    EXPECT_TRUE(designs.hasNext());
    QDirIterator staging(library(), QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (staging.hasNext()) {
        const QString path = staging.next();
        EXPECT_FALSE(QFileInfo(path).fileName().contains(u".incoming"_s)) << qPrintable(path);
    }
}

} // namespace
