#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>

#include <functional>

// A notification: its name, the object that posted it (compared by identity only) and a user-info
// dictionary.
struct PWNotification
{
    QString name;
    const void *object = nullptr;
    QVariantMap userInfo;
};

// The notification centre. Posts are delivered synchronously, in the order observers were added,
// on the main thread; a post from another thread is queued to the main thread.
class PWNotificationCenter : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<void(const PWNotification &)>;

    static PWNotificationCenter &defaultCenter();

    explicit PWNotificationCenter(QObject *parent = nullptr);

    // Observes notifications named name (all names when empty) from object (any when null).
    // When owner is given, the observation ends by itself when owner is destroyed.
    // Answers a token for removeObserver.
    int addObserver(const QString &name, const void *object, Handler handler,
                    QObject *owner = nullptr);
    void removeObserver(int token);
    // Ends every observation made with this owner.
    void removeObserversOwnedBy(const QObject *owner);

    void postNotification(const QString &name, const void *object = nullptr,
                          const QVariantMap &userInfo = QVariantMap());
    void postNotification(const PWNotification &notification);

private:
    void deliver(const PWNotification &notification);
    void ownerDestroyed(const QObject *owner);
    void pruneDeadOwners();

    struct Observer
    {
        int token = 0;
        QString name;
        const void *object = nullptr;
        Handler handler;
        bool hasOwner = false;
        QPointer<QObject> owner;
        // The owner's address, still known while its destroyed() signal runs.
        const QObject *ownerKey = nullptr;
        QMetaObject::Connection ownerConnection;
    };
    QList<Observer> m_observers;
    int m_nextToken = 1;
};
