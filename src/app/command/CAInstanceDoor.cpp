#include "app/command/CAInstanceDoor.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace {

const QString kArguments = QStringLiteral("arguments");
const QString kWorkingDirectory = QStringLiteral("cwd");

} // namespace

QString CAInstanceServer::defaultServerName()
{
    // Tests and benchmarks name a door of their own, so that they never reach a person's instance.
    const QString chosen = qEnvironmentVariable("PW_INSTANCE_SOCKET");
    if (!chosen.isEmpty())
        return chosen;
    // The runtime folder is the user's alone and differs per session; the shared temporary folder
    // is the fallback, with the user's number in the name and the owner checked before use.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return QDir(runtime).filePath(QStringLiteral("parcelwick-instance"));
    return QDir(QDir::tempPath()).filePath(QStringLiteral("parcelwick-instance-%1").arg(::getuid()));
}

CAInstanceServer::CAInstanceServer(QString name, QObject *parent)
    : QObject(parent)
    , m_name(std::move(name))
    , m_server(new QLocalServer(this))
{
    // Only the user who started the instance may hand it commands.
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
            if (socket->bytesAvailable() > 0)
                readFrom(socket);
        }
    });
}

CAInstanceServer::~CAInstanceServer() = default;

bool CAInstanceServer::listen(QString *error)
{
    // The server binds its socket aside and renames it into place, which would quietly take the
    // door from a live instance: ask first. A socket file nobody answers was left by a crash.
    QLocalSocket probe;
    probe.connectToServer(m_name);
    if (probe.waitForConnected(500)) {
        probe.abort();
        if (error)
            *error = QStringLiteral("another instance is running");
        return false;
    }
    QLocalServer::removeServer(m_name);
    if (m_server->listen(m_name))
        return true;
    if (error)
        *error = m_server->errorString();
    return false;
}

QString CAInstanceServer::fullServerName() const
{
    return m_server->fullServerName();
}

void CAInstanceServer::readFrom(QLocalSocket *socket)
{
    if (socket->property("pw.done").toBool())
        return;
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kMessageLimit) {
            socket->setProperty("pw.done", true);
            socket->write("refused\n");
            socket->disconnectFromServer();
        }
        return;
    }
    socket->setProperty("pw.done", true);
    const QByteArray line = socket->readLine(kMessageLimit + 1);
    QJsonParseError parseError;
    const QJsonDocument message = QJsonDocument::fromJson(line, &parseError);
    const QJsonObject object = message.object();
    if (parseError.error != QJsonParseError::NoError || !object.value(kArguments).isArray()) {
        socket->write("refused\n");
        socket->disconnectFromServer();
        return;
    }
    QStringList arguments;
    for (const QJsonValue &value : object.value(kArguments).toArray())
        arguments.append(value.toString());
    const QString workingDirectory = object.value(kWorkingDirectory).toString();
    socket->write("ok\n");
    socket->flush();
    socket->disconnectFromServer();
    Q_EMIT requestReceived(arguments, workingDirectory);
}

bool CAInstanceClient::forward(const QString &name, const QStringList &arguments, const QString &workingDirectory,
                               int timeoutMs, QString *error)
{
    const auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    // A socket in a shared folder that another user made is not our instance: never hand it our files.
    const QFileInfo file(name);
    if (file.isAbsolute() && file.exists() && file.ownerId() != ::getuid())
        return fail(QStringLiteral("the door %1 belongs to another user").arg(name));
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs))
        return fail(socket.errorString());
    QJsonObject object;
    object.insert(kArguments, QJsonArray::fromStringList(arguments));
    object.insert(kWorkingDirectory, workingDirectory);
    socket.write(QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n');
    if (!socket.waitForBytesWritten(timeoutMs))
        return fail(socket.errorString());
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs))
            return fail(QStringLiteral("the running instance did not answer"));
    }
    const QByteArray answer = socket.readLine().trimmed();
    if (answer != "ok")
        return fail(QStringLiteral("the running instance refused the request"));
    return true;
}
