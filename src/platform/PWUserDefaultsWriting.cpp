#include "platform/PWUserDefaults.h"

#include "platform/PWSaveFile.h"
#include "platform/PWSettingsLock.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLoggingCategory>
#include <QThread>
#include <QTimer>

#include <algorithm>

// The writing of the settings file under its lock, and the taking in of what other processes
// wrote.

Q_LOGGING_CATEGORY(lcDefaultsWrite, "pw.platform.defaults")

namespace {

std::atomic<int> s_lockTimeoutMs{10000};

// Empty when the store was written, else why not.
QString writeStore(const QString &path, const PWPlist::Dictionary &values)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        const QString reason = QStringLiteral("cannot create the folder %1").arg(folder);
        qCWarning(lcDefaultsWrite).noquote() << reason;
        return reason;
    }
    QString reason;
    if (!PWSaveFile::write(path, PWPlist(values).toXml(), &reason)) {
        if (reason.isEmpty())
            reason = QStringLiteral("the file could not be written");
        qCWarning(lcDefaultsWrite).noquote() << QStringLiteral("cannot write user defaults %1: %2").arg(path, reason);
        return reason;
    }
    return QString();
}

} // namespace

QString PWUserDefaults::write(QStringList *taken)
{
    // Called with the mutex held. A job keeps what it sets in memory, whatever is in the file's
    // place: nothing is written, so no write fails.
    if (leavesFileAsFound())
        return QString();
    if (!m_unwritable.isEmpty())
        return QStringLiteral("the settings file in its place could not be read, and it is not replaced");
    // A write already waits for the lock: it writes the values as they are when it has it.
    if (m_waitingForLock)
        return QString();
    const QString folder = QFileInfo(m_filePath).absolutePath();
    if (!QDir().mkpath(folder)) {
        const QString reason = QStringLiteral("cannot create the folder %1").arg(folder);
        qCWarning(lcDefaultsWrite).noquote() << reason;
        return reason;
    }
    PWSettingsLock lock(m_filePath);
    if (!lock.tryTake() && !lock.cannotLock()) {
        if (waitsOffThisThread()) {
            startLockWaiter();
            return QString();
        }
        if (!lock.take(s_lockTimeoutMs.load())) {
            const QString reason = QStringLiteral("another process held the settings file's lock (%1) for %2 seconds; "
                                                  "the settings are written with the next change")
                                       .arg(PWSettingsLock::lockPathFor(m_filePath))
                                       .arg(s_lockTimeoutMs.load() / 1000.0);
            qCWarning(lcDefaultsWrite).noquote() << reason;
            return reason;
        }
    }
    if (lock.cannotLock())
        qCWarning(lcDefaultsWrite).noquote() << lock.reason() << "; the settings are written without it";
    return writeLocked(taken);
}

QString PWUserDefaults::writeLocked(QStringList *taken)
{
    takeInOtherWrites(taken);
    const QString failure = writeStore(m_filePath, m_values);
    if (failure.isEmpty()) {
        m_base = m_values;
        m_stamp = stampOfFile();
    }
    return failure;
}

bool PWUserDefaults::waitsOffThisThread() const
{
    const QCoreApplication *application = QCoreApplication::instance();
    return application && QThread::currentThread() == application->thread() && thread() == QThread::currentThread();
}

void PWUserDefaults::startLockWaiter()
{
    // Called with the mutex held, on this store's thread.
    m_waitingForLock = true;
    if (m_lockWaiter.joinable())
        m_lockWaiter.join();
    m_stopWaiting = false;
    m_lockWaiter = std::thread([this, path = m_filePath] {
        auto lock = std::make_unique<PWSettingsLock>(path);
        // Asked in rounds, so that the store's end stops the wait; a lock that cannot be had at
        // all leaves the write to go on without it.
        while (!m_stopWaiting.load() && !lock->take(250) && !lock->cannotLock()) {
        }
        if (m_stopWaiting.load())
            return;
        {
            QMutexLocker locker(&m_mutex);
            m_waitedLock = std::move(lock);
        }
        QMetaObject::invokeMethod(this, &PWUserDefaults::writeWithWaitedLock, Qt::QueuedConnection);
    });
    // The timeout is watched here, where it can be told.
    QTimer::singleShot(s_lockTimeoutMs.load(), this, [this] {
        bool waiting = false;
        {
            QMutexLocker locker(&m_mutex);
            waiting = m_waitingForLock;
        }
        if (waiting)
            reportWrite(QString(), QStringLiteral("another process holds the settings file's lock (%1); the settings "
                                                  "are written as soon as it lets it go")
                                       .arg(PWSettingsLock::lockPathFor(m_filePath)));
    });
}

void PWUserDefaults::writeWithWaitedLock()
{
    QString failure;
    QStringList taken;
    {
        QMutexLocker locker(&m_mutex);
        if (!m_waitedLock)
            return;
        std::unique_ptr<PWSettingsLock> lock = std::move(m_waitedLock);
        if (m_lockWaiter.joinable())
            m_lockWaiter.join();
        m_waitingForLock = false;
        failure = writeLocked(&taken);
        lock->release();
    }
    reportWrite(QString(), failure);
    tellTaken(taken);
}

void PWUserDefaults::stopLockWaiter()
{
    m_stopWaiting = true;
    if (m_lockWaiter.joinable())
        m_lockWaiter.join();
}

bool PWUserDefaults::hasPendingWrite() const
{
    QMutexLocker locker(&m_mutex);
    return m_waitingForLock;
}

bool PWUserDefaults::waitForPendingWrite(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (hasPendingWrite() && !deadline.hasExpired()) {
        QCoreApplication::sendPostedEvents(this);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    return !hasPendingWrite();
}

void PWUserDefaults::setLockTimeout(int milliseconds)
{
    s_lockTimeoutMs = std::max(milliseconds, 1);
}

int PWUserDefaults::lockTimeout()
{
    return s_lockTimeoutMs.load();
}

bool PWUserDefaults::takeInFromFile()
{
    QStringList taken;
    {
        QMutexLocker locker(&m_mutex);
        takeInOtherWrites(&taken);
    }
    tellTaken(taken);
    return !taken.isEmpty();
}

void PWUserDefaults::watchOtherWrites()
{
    if (m_watcher || !QCoreApplication::instance())
        return;
    // The file is replaced at every write, so its folder is watched; a burst of changes is taken
    // in once, when the thread is idle again.
    const QString folder = QFileInfo(m_filePath).absolutePath();
    QDir().mkpath(folder);
    m_watcher = new QFileSystemWatcher(QCoreApplication::instance());
    m_watcher->addPath(folder);
    m_otherWriteTimer = new QTimer(QCoreApplication::instance());
    m_otherWriteTimer->setSingleShot(true);
    m_otherWriteTimer->setInterval(50);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_otherWriteTimer, qOverload<>(&QTimer::start));
    connect(m_otherWriteTimer, &QTimer::timeout, this, &PWUserDefaults::otherWriteSeen);
    // What another process wrote since this store last read the file, before anything watched
    // it, is taken in as well: a window that starts watching shows the file as it is now, not
    // as this process found it at its start.
    m_otherWriteTimer->start();
}

void PWUserDefaults::otherWriteSeen()
{
    {
        QMutexLocker locker(&m_mutex);
        if (stampOfFile() == m_stamp)
            return;
    }
    takeInFromFile();
}

PWUserDefaults::~PWUserDefaults()
{
    delete m_watcher.data();
    delete m_otherWriteTimer.data();
    // A write still waiting for the lock is made now, the wait on this thread: values set are
    // never dropped.
    stopLockWaiter();
    QMutexLocker locker(&m_mutex);
    if (!m_waitingForLock)
        return;
    m_waitingForLock = false;
    QStringList taken;
    if (m_waitedLock) {
        writeLocked(&taken);
        m_waitedLock->release();
        return;
    }
    PWSettingsLock lock(m_filePath);
    for (int round = 0; round < 6 && !lock.take(s_lockTimeoutMs.load()) && !lock.cannotLock(); ++round)
        qCWarning(lcDefaultsWrite).noquote() << "still waiting for the settings file's lock" << lock.reason();
    const QString failure = writeLocked(&taken);
    if (!failure.isEmpty())
        qCWarning(lcDefaultsWrite).noquote() << "the settings set last could not be written:" << failure;
}

