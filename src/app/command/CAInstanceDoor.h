#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

// The door of the running instance: one local socket per user, through which a second start of
// the program hands over its arguments and its working folder instead of opening windows of its
// own. One message a connection: a JSON object {"arguments": [...], "cwd": "..."} ended by a line
// feed, answered by "ok" or "refused" and a line feed.
class CAInstanceServer : public QObject
{
    Q_OBJECT
public:
    // The largest message the door takes; longer ones are refused unread.
    static constexpr qint64 kMessageLimit = 1 << 20;

    // The user's door, an absolute path: PW_INSTANCE_SOCKET when set, else "parcelwick-instance" in
    // the user's runtime folder, else "parcelwick-instance-<uid>" in the temporary folder.
    static QString defaultServerName();

    explicit CAInstanceServer(QString name, QObject *parent = nullptr);
    ~CAInstanceServer() override;

    // Opens the door; a socket left behind by an instance that ended without closing it is
    // removed first. False, with the reason, when another instance holds it.
    bool listen(QString *error = nullptr);
    QString fullServerName() const;

Q_SIGNALS:
    // On the main thread, once per message; relative paths in arguments are to be taken from
    // workingDirectory.
    void requestReceived(const QStringList &arguments, const QString &workingDirectory);

private:
    void readFrom(QLocalSocket *socket);

    QString m_name;
    QLocalServer *m_server = nullptr;
};

// The second start's side of the door.
class CAInstanceClient
{
public:
    // Hands the arguments to the instance listening on name; true once it acknowledged them.
    // False (nothing listens, or no answer within timeoutMs) means this start is the first.
    static bool forward(const QString &name, const QStringList &arguments, const QString &workingDirectory,
                        int timeoutMs = 3000, QString *error = nullptr);
};
