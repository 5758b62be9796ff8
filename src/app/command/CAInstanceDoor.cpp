#include "app/command/CAInstanceDoor.h"

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
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = QString::number(::getuid());
    return QStringLiteral("parcelwick-%1").arg(user);
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
    if (m_server->listen(m_name))
        return true;
    if (m_server->serverError() == QAbstractSocket::AddressInUseError) {
        // A live instance answers; a socket file nobody answers was left by a crash.
        QLocalSocket probe;
        probe.connectToServer(m_name);
        if (probe.waitForConnected(500)) {
            if (error)
                *error = QStringLiteral("another instance is running");
            return false;
        }
        QLocalServer::removeServer(m_name);
        if (m_server->listen(m_name))
            return true;
    }
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
