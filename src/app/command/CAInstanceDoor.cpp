#include "app/command/CAInstanceDoor.h"

#include "platform/PWFileSystem.h"
#include "platform/PWPathStatus.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>

#include <QLoggingCategory>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>

#include <algorithm>

Q_LOGGING_CATEGORY(lcInstanceDoor, "pw.app.command")

namespace {

const QString kArguments = QStringLiteral("arguments");
const QString kWorkingDirectory = QStringLiteral("cwd");
const QString kRawArguments = QStringLiteral("argumentBytes");
constexpr qint64 kMessageLimitForAnswers = CAInstanceServer::kMessageLimit;
constexpr int kAnswerTimeoutMs = 60000;

std::function<void()> &beforeListenHook()
{
    static std::function<void()> hook;
    return hook;
}

} // namespace

bool CAInstanceServer::isPrivateFolder(const QString &path, QString *reason)
{
    // The name itself, a link not followed: a link planted in a shared folder must not lead the
    // door elsewhere.
    const PWPathStatus::Entry status = PWPathStatus::entryAt(QFile::encodeName(path));
    if (status.kind == PWPathStatus::Kind::Missing) {
        if (reason)
            *reason = QStringLiteral("%1 does not exist").arg(path);
        return false;
    }
    if (status.kind != PWPathStatus::Kind::Folder) {
        if (reason)
            *reason = QStringLiteral("%1 is no folder").arg(path);
        return false;
    }
    if (!status.ownedByThisUser) {
        if (reason)
            *reason = QStringLiteral("%1 belongs to another user").arg(path);
        return false;
    }
    if (status.openToOthers) {
        if (reason)
            *reason = QStringLiteral("%1 can be entered by other users").arg(path);
        return false;
    }
    return true;
}

QString CAInstanceServer::makePrivateFolder(const QString &path, QString *reason)
{
    const QByteArray encoded = QFile::encodeName(path);
    // mkdir refuses a name that exists, link or not; an existing folder is then checked as it is.
    if (const int made = PWFileSystem::makeFolder(encoded, 0700); made != 0 && made != EEXIST) {
        if (reason)
            *reason = QStringLiteral("%1 cannot be made: %2").arg(path, QString::fromLocal8Bit(std::strerror(made)));
        return QString();
    }
    // A folder of ours that others may enter (made by an older build or by hand) is closed.
    const PWPathStatus::Entry status = PWPathStatus::entryAt(encoded);
    if (status.kind == PWPathStatus::Kind::Folder && status.ownedByThisUser && status.openToOthers)
        PWFileSystem::setPermissions(encoded, 0700);
    return isPrivateFolder(path, reason) ? path : QString();
}

QString CAInstanceServer::defaultServerName()
{
    // Tests and benchmarks name a door of their own, so that they never reach a person's instance.
    const QString chosen = qEnvironmentVariable("PW_INSTANCE_SOCKET");
    if (!chosen.isEmpty())
        return chosen;
    const QString name = QStringLiteral("parcelwick-instance");
    // The runtime folder is the user's alone and differs per session.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateFolder(runtime))
        return QDir(runtime).filePath(name);
    // Without one, a folder of the user's own in the temporary folder, made and checked: a name
    // another user took first (the temporary folder is shared) is never used, and the door then
    // moves to the user's cache folder, which nobody else can reach.
    const QString uid = QString::number(PWPathStatus::userId());
    QString reason;
    QString folder = makePrivateFolder(QDir(QDir::tempPath()).filePath(QStringLiteral("parcelwick-%1").arg(uid)), &reason);
    if (folder.isEmpty()) {
        qCWarning(lcInstanceDoor).noquote() << "The door does not use the temporary folder:" << reason;
        const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
        QDir().mkpath(cache);
        folder = makePrivateFolder(QDir(cache).filePath(QStringLiteral("parcelwick-door")), &reason);
        if (folder.isEmpty()) {
            qCWarning(lcInstanceDoor).noquote() << "Later starts cannot reach this instance:" << reason;
            return QString();
        }
    }
    return QDir(folder).filePath(name);
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

CAInstanceServer::~CAInstanceServer()
{
    // The socket goes before the lock, so that the next holder of the lock finds the door free.
    m_server->close();
    releaseLock();
}

void CAInstanceServer::setBeforeListenHook(std::function<void()> hook)
{
    beforeListenHook() = std::move(hook);
}

QString CAInstanceServer::lockPathFor(const QString &name)
{
    // A bare name is a socket in the temporary folder, where the local server puts it.
    const QString socket = QDir::isAbsolutePath(name) ? name : QDir(QDir::tempPath()).filePath(name);
    return socket + QStringLiteral(".lock");
}

bool CAInstanceServer::takeLock(QString *error)
{
    if (m_lock.isValid())
        return true;
    m_lockWarning.clear();
    const QByteArray path = QFile::encodeName(lockPathFor(m_name));
    // A lock that cannot be had at all (a file left by a start under another user, a file system
    // without locks) does not make every start an instance of its own: this start goes on without
    // it, and the look for a listening instance in listen() still finds one that runs. Only two
    // starts at the very same moment could then both become the instance; the reason is told.
    const auto without = [this, &path](int cause) {
        m_lockWarning = QStringLiteral("the door's lock %1 cannot be used (%2); two starts at the same moment may "
                                       "both open windows of their own")
                            .arg(QFile::decodeName(path), QString::fromLocal8Bit(std::strerror(cause)));
        qCWarning(lcInstanceDoor).noquote() << m_lockWarning;
        return true;
    };
    // The holder removes the file as it leaves; a start that opened it just before then holds a
    // lock on a file no longer there, and tries again with the new one.
    for (int attempt = 0; attempt < 8; ++attempt) {
        // A lock needs no right to write: a file of another user's that this user may read serves.
        PWDescriptor lock = PWDescriptor::openLock(path);
        if (!lock.isValid())
            return without(errno);
        // Its lock belongs to this open file, so two doors of one process exclude each other too,
        // and the system lets it go however the process ends.
        if (!lock.tryLockExclusive()) {
            const int cause = errno;
            lock.close();
            if (cause != EWOULDBLOCK)
                return without(cause);
            if (error)
                *error = QStringLiteral("another instance is running");
            return false;
        }
        const std::optional<PWPathStatus::Identity> held = lock.identity();
        const PWPathStatus::Entry named = PWPathStatus::entryAt(path);
        if (held && named.kind != PWPathStatus::Kind::Missing && named.identity == *held) {
            m_lock = std::move(lock);
            return true;
        }
    }
    if (error)
        *error = QStringLiteral("the door's lock %1 keeps changing").arg(QFile::decodeName(path));
    return false;
}

bool CAInstanceServer::listen(QString *error)
{
    // Looking for a running instance and listening are one step only under the lock: without it
    // two starts could both find the door free and both listen, the later quietly taking it.
    if (!takeLock(error))
        return false;
    // The server binds its socket aside and renames it into place, which would quietly take the
    // door from a live instance (one of a build without the lock): ask first. A socket file
    // nobody answers was left by a crash.
    QLocalSocket probe;
    probe.connectToServer(m_name);
    if (probe.waitForConnected(500)) {
        probe.abort();
        releaseLock();
        if (error)
            *error = QStringLiteral("another instance is running");
        return false;
    }
    if (const std::function<void()> &hook = beforeListenHook())
        hook();
    QLocalServer::removeServer(m_name);
    if (m_server->listen(m_name))
        return true;
    releaseLock();
    if (error)
        *error = m_server->errorString();
    return false;
}

void CAInstanceServer::releaseLock()
{
    if (!m_lock.isValid())
        return;
    // Removed while still held, so that no start takes a lock on a file about to go.
    PWFileSystem::removeFile(QFile::encodeName(lockPathFor(m_name)));
    m_lock.close();
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
    if (file.isAbsolute() && file.exists() && file.ownerId() != PWPathStatus::userId())
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
                                                 const QString &workingDirectory, int timeoutMs, QString *error,
                                                 QString *said, const QList<QByteArray> &rawArguments,
                                                 QStringList *notes)
{
    // Without a folder only the user can enter there is no door, and this start is the first.
    if (name.isEmpty()) {
        if (error)
            *error = QStringLiteral("there is no door for this user");
        return Outcome::NoInstance;
    }
    QJsonObject message;
    message.insert(kArguments, QJsonArray::fromStringList(arguments));
    message.insert(kWorkingDirectory, workingDirectory);
    if (!rawArguments.isEmpty()) {
        QJsonArray raw;
        for (const QByteArray &argument : rawArguments)
            raw.append(QString::fromLatin1(argument.toBase64()));
        message.insert(kRawArguments, raw);
    }
    bool reached = false;
    const std::optional<QJsonObject> answer = send(name, message, timeoutMs, error, &reached);
    if (!answer)
        return reached ? Outcome::Failed : Outcome::NoInstance;
    if (said)
        *said = answer->value(QStringLiteral("message")).toString();
    if (notes) {
        for (const QJsonValue &note : answer->value(QStringLiteral("notes")).toArray())
            notes->append(note.toString());
    }
    if (answer->value(QStringLiteral("status")).toString() == u"ok")
        return Outcome::Done;
    if (error) {
        const QString reason = answer->value(QStringLiteral("message")).toString();
        *error = reason.isEmpty() ? QStringLiteral("the running instance refused the request") : reason;
    }
    return Outcome::Failed;
}

QList<QByteArray> CAInstanceClient::rawArguments(const QJsonObject &message)
{
    QList<QByteArray> raw;
    for (const QJsonValue &value : message.value(kRawArguments).toArray())
        raw.append(QByteArray::fromBase64(value.toString().toLatin1()));
    return raw;
}

bool CAInstanceClient::forward(const QString &name, const QStringList &arguments, const QString &workingDirectory,
                               int timeoutMs, QString *error)
{
    return hand(name, arguments, workingDirectory, timeoutMs, error) == Outcome::Done;
}
