#include "app/command/CAInstanceDoor.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>

#include <unistd.h>

#include <algorithm>

namespace {

const QString kArguments = QStringLiteral("arguments");
const QString kWorkingDirectory = QStringLiteral("cwd");
constexpr qint64 kMessageLimitForAnswers = CAInstanceServer::kMessageLimit;
constexpr int kAnswerTimeoutMs = 60000;

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

QJsonObject CAInstanceServer::errorAnswer(const QString &message)
{
    return QJsonObject{{QStringLiteral("status"), QStringLiteral("error")}, {QStringLiteral("message"), message}};
}

QJsonObject CAInstanceServer::refusedAnswer(const QString &message)
{
    return QJsonObject{{QStringLiteral("status"), QStringLiteral("refused")}, {QStringLiteral("message"), message}};
}

void CAInstanceServer::readFrom(QLocalSocket *socket)
{
    if (socket->property("pw.done").toBool())
        return;
    // The socket may be gone by the time a command that runs for a while answers.
    const QPointer<QLocalSocket> guarded(socket);
    auto answered = std::make_shared<bool>(false);
    const Reply reply = [guarded, answered](const QJsonObject &answer) {
        if (*answered)
            return;
        *answered = true;
        if (!guarded)
            return;
        guarded->write(QJsonDocument(answer).toJson(QJsonDocument::Compact) + '\n');
        guarded->flush();
        guarded->disconnectFromServer();
    };
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kMessageLimit) {
            socket->setProperty("pw.done", true);
            reply(refusedAnswer(QStringLiteral("the message is too long")));
        }
        return;
    }
    socket->setProperty("pw.done", true);
    const QByteArray line = socket->readLine(kMessageLimit + 1);
    QJsonParseError parseError;
    const QJsonDocument message = QJsonDocument::fromJson(line, &parseError);
    if (parseError.error != QJsonParseError::NoError || !message.isObject()) {
        reply(refusedAnswer(QStringLiteral("the message is no JSON object")));
        return;
    }
    const QJsonObject object = message.object();
    if (m_handler) {
        m_handler(object, reply);
        return;
    }
    if (!object.value(kArguments).isArray()) {
        reply(refusedAnswer(QStringLiteral("this instance takes only arguments")));
        return;
    }
    QStringList arguments;
    for (const QJsonValue &value : object.value(kArguments).toArray())
        arguments.append(value.toString());
    const QString workingDirectory = object.value(kWorkingDirectory).toString();
    reply(okAnswer());
    Q_EMIT requestReceived(arguments, workingDirectory);
}

std::optional<QJsonObject> CAInstanceClient::send(const QString &name, const QJsonObject &message, int timeoutMs,
                                                  QString *error, bool *reached)
{
    if (reached)
        *reached = false;
    const auto fail = [error](const QString &reason) -> std::optional<QJsonObject> {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    // A socket in a shared folder that another user made is not our instance: never hand it our files.
    const QFileInfo file(name);
    if (file.isAbsolute() && file.exists() && file.ownerId() != ::getuid())
        return fail(QStringLiteral("the door %1 belongs to another user").arg(name));
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs))
        return fail(socket.errorString());
    if (reached)
        *reached = true;
    // An instance that took the connection is there: it may take a while to open a large design
    // before it answers, and the start must not become a second instance meanwhile.
    timeoutMs = std::max(timeoutMs, kAnswerTimeoutMs);
    socket.write(QJsonDocument(message).toJson(QJsonDocument::Compact) + '\n');
    if (!socket.waitForBytesWritten(timeoutMs))
        return fail(socket.errorString());
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs))
            return fail(QStringLiteral("the running instance did not answer"));
    }
    const QJsonDocument answer = QJsonDocument::fromJson(socket.readLine(kMessageLimitForAnswers).trimmed());
    if (!answer.isObject())
        return fail(QStringLiteral("the running instance answered something else than JSON"));
    return answer.object();
}

CAInstanceClient::Outcome CAInstanceClient::hand(const QString &name, const QStringList &arguments,
                                                 const QString &workingDirectory, int timeoutMs, QString *error)
{
    QJsonObject message;
    message.insert(kArguments, QJsonArray::fromStringList(arguments));
    message.insert(kWorkingDirectory, workingDirectory);
    bool reached = false;
    const std::optional<QJsonObject> answer = send(name, message, timeoutMs, error, &reached);
    if (!answer)
        return reached ? Outcome::Failed : Outcome::NoInstance;
    if (answer->value(QStringLiteral("status")).toString() == u"ok")
        return Outcome::Done;
    if (error) {
        const QString reason = answer->value(QStringLiteral("message")).toString();
        *error = reason.isEmpty() ? QStringLiteral("the running instance refused the request") : reason;
    }
    return Outcome::Failed;
}

bool CAInstanceClient::forward(const QString &name, const QStringList &arguments, const QString &workingDirectory,
                               int timeoutMs, QString *error)
{
    return hand(name, arguments, workingDirectory, timeoutMs, error) == Outcome::Done;
}
