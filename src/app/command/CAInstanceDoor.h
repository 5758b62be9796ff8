#pragma once

#include "platform/PWDescriptor.h"

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QLocalServer;
class QLocalSocket;

// The door of the running instance: one local socket per user, through which a second start of
// the program hands over its arguments and its working folder instead of opening windows of its
// own, and through which a script sends single commands. One message a connection: a JSON object
// ended by a line feed -- {"arguments": [...], "cwd": "..."} from a later start, or
// {"command": "...", ...} -- answered by one JSON object and a line feed that carries a "status":
// "ok", "error" (the request was understood and failed; "message" says why) or "refused" (it was
// not understood).
class CAInstanceServer : public QObject
{
    Q_OBJECT
public:
    // The largest message the door takes; longer ones are refused unread.
    static constexpr qint64 kMessageLimit = 1 << 20;

    // Sends the answer to a message; the first call counts, later ones and calls after the
    // caller went away do nothing.
    using Reply = std::function<void(const QJsonObject &answer)>;
    // Carries out one message on the main thread; it may answer at once or later.
    using Handler = std::function<void(const QJsonObject &message, const Reply &reply)>;

    static QJsonObject okAnswer() { return QJsonObject{{QStringLiteral("status"), QStringLiteral("ok")}}; }
    static QJsonObject errorAnswer(const QString &message);
    static QJsonObject refusedAnswer(const QString &message);

    // The user's door, an absolute path: PW_INSTANCE_SOCKET when set, else "parcelwick-instance" in
    // the user's runtime folder when only the user can enter it, else in "parcelwick-<uid>" of the
    // temporary folder, made for the user alone, else in the user's cache folder. Empty when no
    // folder only the user can enter could be had.
    static QString defaultServerName();
    // Whether path is a folder (not a link) of this user that no other user can enter.
    static bool isPrivateFolder(const QString &path, QString *reason = nullptr);
    // Makes the folder for this user alone, or takes the existing one when it is this user's
    // (closing it to others); the path, or empty with the reason when it cannot be had.
    static QString makePrivateFolder(const QString &path, QString *reason = nullptr);

    explicit CAInstanceServer(QString name, QObject *parent = nullptr);
    ~CAInstanceServer() override;

    // Opens the door; a socket left behind by an instance that ended without closing it is
    // removed first. False, with the reason, when another instance holds it. The door's lock
    // (the socket's name followed by ".lock") is taken first and held until this object goes,
    // so that of two starts at the same moment only one becomes the instance.
    bool listen(QString *error = nullptr);
    // Runs between the look for a running instance and the listen, for tests that make two
    // starts meet there; nothing by default.
    static void setBeforeListenHook(std::function<void()> hook);
    static QString lockPathFor(const QString &name);
    // Why the door was opened without its lock (it could not be opened or taken); empty when the
    // lock is held. Told to the user once the door is open.
    QString lockWarning() const { return m_lockWarning; }
    QString fullServerName() const;
    // With a handler every message goes to it; without one, arguments are acknowledged and
    // announced by requestReceived, and commands are refused.
    void setHandler(Handler handler) { m_handler = std::move(handler); }

Q_SIGNALS:
    // On the main thread, once per message of arguments when no handler is set; relative paths in
    // arguments are to be taken from workingDirectory.
    void requestReceived(const QStringList &arguments, const QString &workingDirectory);

private:
    void readFrom(QLocalSocket *socket);
    bool takeLock(QString *error);
    void releaseLock();

    QString m_name;
    // The lock file held open while this object is the instance; -1 when it holds none.
    PWDescriptor m_lock;
    QString m_lockWarning;
    QLocalServer *m_server = nullptr;
    Handler m_handler;
};

// The second start's side of the door.
class CAInstanceClient
{
public:
    enum class Outcome { Done, Failed, NoInstance };
    // Hands the arguments to the instance listening on name. Done once it carried them out;
    // Failed, with its reason, when it answered that it could not or did not answer at all;
    // NoInstance (nothing listens within timeoutMs) means this start is the first.
    // message receives what the instance said it did or will do. rawArguments, when given, are
    // the same arguments as the system gave them (bytes), for names that are no UTF-8.
    static Outcome hand(const QString &name, const QStringList &arguments, const QString &workingDirectory,
                        int timeoutMs = 3000, QString *error = nullptr, QString *message = nullptr,
                        const QList<QByteArray> &rawArguments = {}, QStringList *notes = nullptr);
    // The raw arguments of a message, when it carries them; empty otherwise.
    static QList<QByteArray> rawArguments(const QJsonObject &message);
    // The same, true only for Done.
    static bool forward(const QString &name, const QStringList &arguments, const QString &workingDirectory,
                        int timeoutMs = 3000, QString *error = nullptr);
    // Sends one message and waits for its answer (timeoutMs to reach the instance, longer for an
    // instance that was reached); nothing, with the reason, when no answer came. reached tells
    // whether an instance took the connection.
    static std::optional<QJsonObject> send(const QString &name, const QJsonObject &message, int timeoutMs = 3000,
                                           QString *error = nullptr, bool *reached = nullptr);
};
