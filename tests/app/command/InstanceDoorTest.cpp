// The running instance's door: a later start hands its arguments over the local socket, and the
// running instance opens the designs they name.
#include "TestSupport.h"

#include "app/command/CACommandLine.h"
#include "app/command/CAInstanceCommands.h"
#include "app/command/CAInstanceDoor.h"
#include "app/shell/CADocumentManager.h"
#include "app/shell/CAOpenDocument.h"

#include "kernel/merge/CADocument.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <optional>
#include <utility>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

QString uniqueName()
{
    return QStringLiteral("pw-test-%1").arg(QUuid::createUuid().toString(QUuid::Id128));
}

// Runs the client on a thread of its own, as a second process would, while this thread serves.
bool forwardWhileServing(const QString &name, const QStringList &arguments, const QString &cwd)
{
    std::atomic<int> result{-1};
    std::thread client([&] { result = CAInstanceClient::forward(name, arguments, cwd, 5000) ? 1 : 0; });
    QElapsedTimer clock;
    clock.start();
    while (result.load() < 0 && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    client.join();
    return result.load() == 1;
}

TEST(InstanceDoorTest, NothingListeningMeansThisStartIsTheFirst)
{
    QString error;
    EXPECT_FALSE(CAInstanceClient::forward(uniqueName(), {QStringLiteral("a.pwdc")}, QDir::tempPath(), 300, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(InstanceDoorTest, SecondStartOpensItsFileInTheRunningInstance)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    CADocument design;
    ASSERT_TRUE(design.writeToFile(folder.filePath(QStringLiteral("handed.pwdc"))));

    const QString name = uniqueName();
    CAInstanceServer server(name);
    QString error;
    ASSERT_TRUE(server.listen(&error)) << qPrintable(error);
    // A second server for the same user finds the door taken.
    CAInstanceServer second(name);
    EXPECT_FALSE(second.listen(&error));

    CADocumentManager manager;
    const CAInstanceCommands commands(
        {[&manager](const QString &path, QString *) { return manager.openDocument(path) != nullptr; }, nullptr, nullptr});
    QObject::connect(&server, &CAInstanceServer::requestReceived, &manager,
                     [&commands](const QStringList &arguments, const QString &cwd) {
                         commands.perform(arguments, cwd);
                     });
    QSignalSpy received(&server, &CAInstanceServer::requestReceived);
    // The path is relative to the second start's folder, not the instance's.
    ASSERT_TRUE(forwardWhileServing(name, {QStringLiteral("handed.pwdc")}, folder.path()));
    ASSERT_EQ(received.count(), 1);
    EXPECT_EQ(received.at(0).at(0).toStringList(), QStringList{QStringLiteral("handed.pwdc")});
    ASSERT_EQ(manager.documents().size(), 1);
    EXPECT_EQ(manager.documents().first()->filePath, QDir(folder.path()).absoluteFilePath(QStringLiteral("handed.pwdc")));
}

// Two starts at the same moment: the second looks for an instance and listens while the first is
// between its own look and its listen. One of them is the instance, and the other, once the
// first has gone, can be the next.
TEST(InstanceDoorTest, TwoStartsMeetingBetweenLookAndListenLeaveOneInstance)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString name = folder.filePath(QStringLiteral("door"));
    auto first = std::make_unique<CAInstanceServer>(name);
    CAInstanceServer second(name);
    std::optional<bool> secondListened;
    QString secondError;
    bool paused = false;
    CAInstanceServer::setBeforeListenHook([&] {
        // Only the first start pauses here; the second runs its whole start inside the pause.
        if (std::exchange(paused, true))
            return;
        secondListened = second.listen(&secondError);
    });
    QString firstError;
    const bool firstListened = first->listen(&firstError);
    CAInstanceServer::setBeforeListenHook(nullptr);
    ASSERT_TRUE(secondListened.has_value()) << "the second start did not run between look and listen";
    EXPECT_NE(firstListened, *secondListened) << "both starts became the instance";
    EXPECT_TRUE(firstListened) << qPrintable(firstError);
    EXPECT_TRUE(secondError.contains(QStringLiteral("another instance"))) << qPrintable(secondError);

    // The instance answers at its door.
    QLocalSocket probe;
    probe.connectToServer(name);
    EXPECT_TRUE(probe.waitForConnected(1000));
    probe.abort();

    // The first instance ends: its lock goes with it, and a new start becomes the instance.
    first.reset();
    EXPECT_FALSE(QFileInfo::exists(CAInstanceServer::lockPathFor(name)));
    QString error;
    EXPECT_TRUE(second.listen(&error)) << qPrintable(error);
}

// The whole path a person takes: the program started a second time, as a process of its own, in
// another folder, hands its design to the running instance and leaves without a window.
TEST(InstanceDoorTest, SecondProgramStartHandsItsDesignToTheRunningInstance)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString name = folder.filePath(QStringLiteral("door"));
    CAInstanceServer server(name);
    ASSERT_TRUE(server.listen());
    QStringList opened;
    const CAInstanceCommands commands({[&opened](const QString &path, QString *) {
                                           opened.append(path);
                                           return true;
                                       },
                                       nullptr, nullptr});
    QObject::connect(&server, &CAInstanceServer::requestReceived, &server,
                     [&commands](const QStringList &arguments, const QString &cwd) { commands.perform(arguments, cwd); });

    QProcess second;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("PW_INSTANCE_SOCKET"), name);
    // Should the hand-over fail, the start becomes an instance of its own: let it leave at once.
    environment.insert(QStringLiteral("PW_EXIT_WHEN_SHOWN"), QStringLiteral("1"));
    second.setProcessEnvironment(environment);
    second.setWorkingDirectory(folder.path());
    second.start(QStringLiteral(PW_PARCELWICK_BINARY), {QStringLiteral("handed.pwdc")});
    ASSERT_TRUE(second.waitForStarted(10000));
    QElapsedTimer clock;
    clock.start();
    while (second.state() != QProcess::NotRunning && clock.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_EQ(second.state(), QProcess::NotRunning);
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().constData();
    EXPECT_FALSE(second.readAllStandardOutput().contains("first window shown")) << "the second start opened a window";
    EXPECT_EQ(opened, QStringList{folder.filePath(QStringLiteral("handed.pwdc"))});
}

// With no instance running, the start is the first: it opens its own door and shows its window.
TEST(InstanceDoorTest, FirstProgramStartOpensTheDoorAndItsWindow)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QProcess first;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("PW_INSTANCE_SOCKET"), folder.filePath(QStringLiteral("door")));
    environment.insert(QStringLiteral("PW_EXIT_WHEN_SHOWN"), QStringLiteral("1"));
    first.setProcessEnvironment(environment);
    first.start(QStringLiteral(PW_PARCELWICK_BINARY), {});
    ASSERT_TRUE(first.waitForFinished(60000));
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().constData();
    EXPECT_TRUE(first.readAllStandardOutput().contains("first window shown"));
}

TEST(InstanceDoorTest, RefusesWhatIsNoRequestAndBatchJobs)
{
    const QString name = uniqueName();
    CAInstanceServer server(name);
    ASSERT_TRUE(server.listen());
    QSignalSpy received(&server, &CAInstanceServer::requestReceived);
    QLocalSocket socket;
    socket.connectToServer(name);
    ASSERT_TRUE(socket.waitForConnected(2000));
    socket.write("not json\n");
    socket.flush();
    QElapsedTimer clock;
    clock.start();
    while (!socket.canReadLine() && clock.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        socket.waitForReadyRead(20);
    }
    const QJsonObject answer = QJsonDocument::fromJson(socket.readLine()).object();
    EXPECT_EQ(answer.value(u"status"_s).toString(), u"refused"_s);
    EXPECT_FALSE(answer.value(u"message"_s).toString().isEmpty());
    EXPECT_EQ(received.count(), 0);

    QStringList opened;
    const CAInstanceCommands commands({[&opened](const QString &path, QString *) {
                                           opened.append(path);
                                           return true;
                                       },
                                       nullptr, nullptr});
    QStringList tooMany;
    for (int i = 0; i <= CACommandLine::kMaximumDesigns; ++i)
        tooMany.append(QStringLiteral("d%1.pwdc").arg(i));
    const struct
    {
        const char *name;
        QStringList handed;
        const char *reason;
    } refused[] = {
        {"a batch job", {QStringLiteral("--export"), QStringLiteral("a.pwdc"), QStringLiteral("b.pdf")}, "batch"},
        {"an unknown option", {QStringLiteral("--bogus")}, "bogus"},
        {"more designs than one request may open", tooMany, "at most"},
    };
    for (const auto &c : refused) {
        SCOPED_TRACE(c.name);
        const QJsonObject answer = commands.perform(c.handed, QDir::tempPath());
        EXPECT_EQ(answer.value(u"status"_s).toString(), u"refused"_s);
        EXPECT_TRUE(answer.value(u"message"_s).toString().contains(QString::fromLatin1(c.reason)))
            << qPrintable(answer.value(u"message"_s).toString());
    }
    EXPECT_TRUE(opened.isEmpty());
}

} // namespace
