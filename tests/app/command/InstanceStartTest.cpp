// The program started twice as a person starts it: the first start becomes the instance and shows
// its assistant, a later start hands its request over, gets its answer at once and leaves with
// the status of that answer.
#include "TestSupport.h"

#include "app/command/CACommandLine.h"
#include "app/command/CAInstanceDoor.h"

#include "kernel/merge/CADocument.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// A home of its own for the program, with a runtime folder only this user can enter.
class InstanceStartTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        for (const char *folder : {".config", ".local/share", ".cache", "runtime", "work"})
            QDir().mkpath(home.filePath(QString::fromLatin1(folder)));
        QFile::setPermissions(home.filePath(u"runtime"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        environment.insert(u"HOME"_s, home.path());
        environment.insert(u"XDG_CONFIG_HOME"_s, home.filePath(u".config"_s));
        environment.insert(u"XDG_DATA_HOME"_s, home.filePath(u".local/share"_s));
        environment.insert(u"XDG_CACHE_HOME"_s, home.filePath(u".cache"_s));
        environment.insert(u"XDG_RUNTIME_DIR"_s, home.filePath(u"runtime"_s));
        environment.remove(u"PW_INSTANCE_SOCKET"_s);
        environment.remove(u"PW_EXIT_WHEN_SHOWN"_s);
    }
    void TearDown() override
    {
        if (first.state() != QProcess::NotRunning) {
            first.kill();
            first.waitForFinished(10000);
        }
    }

    QString work(const QString &name) const { return home.filePath(u"work/"_s + name); }

    // The first start: no file, so that the start-up shows the assistant and waits on the user.
    void startFirst()
    {
        first.setProcessEnvironment(environment);
        first.setWorkingDirectory(home.filePath(u"work"_s));
        first.start(QStringLiteral(PW_PARCELWICK_BINARY), {});
        ASSERT_TRUE(first.waitForStarted(10000));
        const QString door = home.filePath(u"runtime/parcelwick-instance"_s);
        for (int tries = 0; tries < 600 && !QFileInfo::exists(door) && first.state() == QProcess::Running; ++tries)
            first.waitForFinished(100);
        ASSERT_TRUE(QFileInfo::exists(door)) << first.readAllStandardError().constData();
    }

    struct Answer
    {
        int status = -1;
        QString err;
    };
    // A later start. The bound is far below the minute a start waits for an instance that does
    // not answer, so that a request held up by a window fails here.
    Answer startAgain(const QStringList &arguments, const QString &program = QStringLiteral(PW_PARCELWICK_BINARY))
    {
        QProcess later;
        later.setProcessEnvironment(environment);
        later.setWorkingDirectory(home.filePath(u"work"_s));
        later.start(program, arguments);
        Answer answer;
        if (!later.waitForFinished(30000)) {
            later.kill();
            later.waitForFinished();
            return answer;
        }
        answer.status = later.exitStatus() == QProcess::NormalExit ? later.exitCode() : -1;
        answer.err = QString::fromUtf8(later.readAllStandardError());
        return answer;
    }

    QTemporaryDir home;
    QProcessEnvironment environment;
    QProcess first;
};

TEST_F(InstanceStartTest, LaterStartsAreAnsweredWhileTheFirstShowsItsAssistant)
{
    CADocument design;
    ASSERT_TRUE(design.writeToFile(work(u"letter.pwdc"_s)));
    ASSERT_TRUE(pwtest::writeFile(work(u"damaged.pwdc"_s), "this is no design at all"));
    ASSERT_TRUE(pwtest::writeFile(work(u"people.csv"_s), "First Name,Last Name\nAda,Lovelace\nAlan,Turing\n"));
    startFirst();

    const struct
    {
        const char *name;
        QStringList arguments;
        int status;
        QString said;
    } cases[] = {
        {"a design", {u"letter.pwdc"_s}, CACommandLine::kSuccess, u"1 design opened"_s},
        {"a damaged design", {u"damaged.pwdc"_s}, CACommandLine::kFailure, u"damaged.pwdc"_s},
        {"a name after the end of the options", {u"--"_s, u"--version"_s}, CACommandLine::kFailure, u"--version"_s},
        {"an address for a new envelope",
         {u"--new-envelope-from-text"_s, u"Jane Doe\n1 Main St\nSpringfield, IL 62701"_s},
         CACommandLine::kSuccess,
         u"address sheet"_s},
        {"an address for the assistant",
         {u"--new-assistant-from-text"_s, u"Jane Doe\n1 Main St\nSpringfield, IL 62701"_s},
         CACommandLine::kSuccess,
         u"address sheet"_s},
        {"a script command", {u"--new"_s, u"enp"_s}, CACommandLine::kSuccess, u"1 command"_s},
        // The sheet cannot come up in front of the assistant: the start is told so, not "done".
        {"the print sheet of several people",
         {u"--print-multiple"_s, u"letter.pwdc"_s, u"--contacts"_s, u"people.csv"_s, u"--show-sheet"_s},
         CACommandLine::kFailure,
         u"waits for the user"_s},
        {"the print sheet", {u"--preview"_s, u"letter.pwdc"_s}, CACommandLine::kFailure, u"waits for the user"_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const Answer answer = startAgain(c.arguments);
        EXPECT_EQ(answer.status, c.status) << qPrintable(answer.err);
        EXPECT_TRUE(answer.err.contains(c.said)) << qPrintable(answer.err);
        // Still the one instance.
        ASSERT_EQ(first.state(), QProcess::Running) << first.readAllStandardError().constData();
    }

    // A script's open of the damaged design is answered too, the error shown after it.
    QString error;
    const std::optional<QJsonObject> opened =
        CAInstanceClient::send(home.filePath(u"runtime/parcelwick-instance"_s),
                               {{u"command"_s, u"open"_s}, {u"file"_s, work(u"damaged.pwdc"_s)}}, 3000, &error);
    ASSERT_TRUE(opened) << qPrintable(error);
    EXPECT_EQ(opened->value(u"status"_s).toString(), u"error"_s);

    // A name that is no UTF-8, given by the shell as the bytes it is.
    const QByteArray latin = QFile::encodeName(home.filePath(u"work"_s)) + "/caf\xe9.pwdc";
    ASSERT_TRUE(design.writeToFile(work(u"plain.pwdc"_s)));
    ASSERT_EQ(::rename(QFile::encodeName(work(u"plain.pwdc"_s)).constData(), latin.constData()), 0);
    const Answer answer = startAgain(
        {u"-c"_s, u"exec \"$0\" \"$(printf 'caf\\351.pwdc')\""_s, QStringLiteral(PW_PARCELWICK_BINARY)}, u"/bin/sh"_s);
    EXPECT_EQ(answer.status, CACommandLine::kSuccess) << qPrintable(answer.err);
    EXPECT_EQ(first.state(), QProcess::Running);
    // The temporary folder's clean-up skips a name that is no UTF-8.
    EXPECT_EQ(::unlink(latin.constData()), 0);
}

// Too many designs are refused by the start itself, before anything reaches the instance.
TEST_F(InstanceStartTest, TooManyDesignsAreRefusedWithTheReason)
{
    startFirst();
    QStringList designs;
    for (int i = 0; i <= CACommandLine::kMaximumDesigns; ++i)
        designs.append(u"design%1.pwdc"_s.arg(i));
    const Answer answer = startAgain(designs);
    EXPECT_EQ(answer.status, CACommandLine::kUsage);
    EXPECT_TRUE(answer.err.contains(u"at most %1 designs"_s.arg(CACommandLine::kMaximumDesigns))) << qPrintable(answer.err);
    EXPECT_EQ(first.state(), QProcess::Running);
}

// The folder of the door: only one this user alone can enter is taken.
TEST(InstanceDoorFolderTest, OnlyAFolderOfTheUserAloneHoldsTheDoor)
{
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString open = scratch.filePath(u"open"_s);
    ASSERT_TRUE(QDir().mkpath(open));
    ASSERT_EQ(::chmod(QFile::encodeName(open).constData(), 0777), 0);
    const QString file = scratch.filePath(u"file"_s);
    ASSERT_TRUE(pwtest::writeFile(file, "x"));
    const QString link = scratch.filePath(u"link"_s);
    const QString target = scratch.filePath(u"target"_s);
    ASSERT_TRUE(QDir().mkpath(target));
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0700), 0);
    ASSERT_TRUE(QFile::link(target, link));

    const struct
    {
        const char *name;
        QString path;
        bool made;
    } cases[] = {
        {"a new folder", scratch.filePath(u"new"_s), true},
        {"a folder of ours others could enter, closed", open, true},
        {"a file of that name", file, false},
        {"a link to a private folder", link, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QString reason;
        const QString made = CAInstanceServer::makePrivateFolder(c.path, &reason);
        EXPECT_EQ(!made.isEmpty(), c.made) << qPrintable(reason);
        EXPECT_EQ(CAInstanceServer::isPrivateFolder(c.path), c.made);
        if (c.made) {
            struct stat status {};
            ASSERT_EQ(::lstat(QFile::encodeName(c.path).constData(), &status), 0);
            EXPECT_EQ(status.st_mode & 0777, 0700u);
        } else {
            EXPECT_FALSE(reason.isEmpty());
        }
    }
}

// Why a folder cannot hold the door: told for each kind of thing found at its name.
TEST(InstanceDoorFolderTest, ARefusedFolderIsToldWhy)
{
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const auto at = [&](const char *name) { return scratch.filePath(QString::fromUtf8(name)); };
    ASSERT_TRUE(pwtest::writeFile(at("file"), "x"));
    ASSERT_EQ(::mkdir(QFile::encodeName(at("private")).constData(), 0700), 0);
    ASSERT_TRUE(QFile::link(at("private"), at("link")));
    ASSERT_EQ(::mkdir(QFile::encodeName(at("open")).constData(), 0700), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(at("open")).constData(), 0750), 0);
    ASSERT_EQ(::mkdir(QFile::encodeName(at("foreign")).constData(), 0700), 0);
    const bool otherUser = ::lchown(QFile::encodeName(at("foreign")).constData(), ::geteuid() + 4242, 0) == 0;
    const struct
    {
        const char *name;
        const char *told; // empty: the folder serves
    } cases[] = {
        {"private", ""},
        {"missing", "does not exist"},
        {"file", "is no folder"},
        {"link", "is no folder"},
        {"open", "can be entered by other users"},
        {"foreign", "belongs to another user"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        if (QByteArray(c.name) == "foreign" && !otherUser)
            continue;
        QString reason;
        EXPECT_EQ(CAInstanceServer::isPrivateFolder(at(c.name), &reason), *c.told == 0);
        EXPECT_EQ(reason, *c.told ? at(c.name) + u' ' + QString::fromUtf8(c.told) : QString());
    }
}

// Without a runtime folder the door is in a folder made for this user, never in the shared
// temporary folder itself.
TEST(InstanceDoorFolderTest, WithoutARuntimeFolderTheDoorIsInAPrivateOne)
{
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray temporary = qgetenv("TMPDIR");
    const QByteArray chosen = qgetenv("PW_INSTANCE_SOCKET");
    qunsetenv("PW_INSTANCE_SOCKET");
    qputenv("TMPDIR", QFile::encodeName(scratch.path()));
    const struct
    {
        const char *name;
        QByteArray runtime;
    } cases[] = {
        {"no runtime folder", QByteArray()},
        {"a runtime folder others can enter", QFile::encodeName(scratch.path())},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.runtime.isEmpty())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", c.runtime);
        ASSERT_EQ(::chmod(QFile::encodeName(scratch.path()).constData(), 0777), 0);
        const QString door = CAInstanceServer::defaultServerName();
        const QString folder = QFileInfo(door).path();
        EXPECT_NE(QDir(folder), QDir(scratch.path())) << qPrintable(door);
        EXPECT_TRUE(CAInstanceServer::isPrivateFolder(folder)) << qPrintable(folder);
    }
    qputenv("XDG_RUNTIME_DIR", runtime);
    if (temporary.isEmpty())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", temporary);
    if (!chosen.isEmpty())
        qputenv("PW_INSTANCE_SOCKET", chosen);
}

} // namespace
