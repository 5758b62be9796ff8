#include "platform/PWNotificationCenter.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>

namespace {

bool matches(const QString &observedName, const void *observedObject,
             const PWNotification &notification)
{
    return (observedName.isEmpty() || observedName == notification.name)
           && (observedObject == nullptr || observedObject == notification.object);
}

} // namespace

PWNotificationCenter &PWNotificationCenter::defaultCenter()
{
    static PWNotificationCenter center;
    // Whoever asks first, the default centre delivers on the main thread.
    static const bool onMainThread = [] {
        if (QCoreApplication *app = QCoreApplication::instance(); app && center.thread() != app->thread())
            center.moveToThread(app->thread());
        return true;
    }();
    Q_UNUSED(onMainThread);
    return center;
}

PWNotificationCenter::PWNotificationCenter(QObject *parent)
    : QObject(parent)
{
}

int PWNotificationCenter::addObserver(const QString &name, const void *object, Handler handler,
                                      QObject *owner)
{
    if (!handler)
        return 0;
    Observer observer;
    observer.token = m_nextToken++;
    observer.name = name;
    observer.object = object;
    observer.handler = std::move(handler);
    if (owner) {
        observer.hasOwner = true;
        observer.owner = owner;
        observer.ownerKey = owner;
        // Direct, so that the observations end while the owner is still being destroyed (a
        // widget announces its end before its guarded pointers clear). An owner on another
        // thread only schedules a sweep: the list belongs to this centre's thread.
        observer.ownerConnection = connect(
            owner, &QObject::destroyed, this,
            [this](QObject *dying) {
                if (QThread::currentThread() == thread())
                    ownerDestroyed(dying);
                else
                    QMetaObject::invokeMethod(this, [this] { pruneDeadOwners(); },
                                              Qt::QueuedConnection);
            },
            Qt::DirectConnection);
    }
    m_observers.append(std::move(observer));
    return m_observers.constLast().token;
}

void PWNotificationCenter::removeObserver(int token)
{
    const auto it = std::find_if(m_observers.begin(), m_observers.end(),
                                 [token](const Observer &o) { return o.token == token; });
    if (it == m_observers.end())
        return;
    disconnect(it->ownerConnection);
    m_observers.erase(it);
}

void PWNotificationCenter::removeObserversOwnedBy(const QObject *owner)
{
    if (owner)
        ownerDestroyed(owner);
}

void PWNotificationCenter::ownerDestroyed(const QObject *owner)
{
    m_observers.removeIf([owner](const Observer &o) {
        if (!o.hasOwner || o.ownerKey != owner)
            return false;
        QObject::disconnect(o.ownerConnection);
        return true;
    });
}

void PWNotificationCenter::pruneDeadOwners()
{
    m_observers.removeIf([](const Observer &o) {
        if (!o.hasOwner || !o.owner.isNull())
            return false;
        QObject::disconnect(o.ownerConnection);
        return true;
    });
}

void PWNotificationCenter::postNotification(const QString &name, const void *object,
                                            const QVariantMap &userInfo)
{
    postNotification(PWNotification{name, object, userInfo});
}

void PWNotificationCenter::postNotification(const PWNotification &notification)
{
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this, notification] { deliver(notification); }, Qt::QueuedConnection);
        return;
    }
    deliver(notification);
}

void PWNotificationCenter::deliver(const PWNotification &notification)
{
    // The observers are fixed when the post begins; handlers may add or remove observers, so
    // each one is looked up again by token before it is called.
    QList<int> tokens;
    for (const Observer &observer : std::as_const(m_observers)) {
        if (matches(observer.name, observer.object, notification))
            tokens.append(observer.token);
    }
    for (const int token : std::as_const(tokens)) {
        const auto it = std::find_if(m_observers.begin(), m_observers.end(),
                                     [token](const Observer &o) { return o.token == token; });
        if (it == m_observers.end())
            continue;
        if (it->hasOwner && it->owner.isNull()) {
            disconnect(it->ownerConnection);
            m_observers.erase(it);
            continue;
        }
        // A copy: the handler may remove its own observation while it runs.
        const Handler handler = it->handler;
        handler(notification);
    }
}
