#include "platform/PWSettingsLock.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstring>

PWSettingsLock::PWSettingsLock(const QString &settingsPath)
    : m_path(lockPathFor(settingsPath))
{
}

QString PWSettingsLock::lockPathFor(const QString &settingsPath)
{
    return settingsPath + QStringLiteral(".lock");
}

bool PWSettingsLock::open()
{
    if (m_lock.isValid())
        return true;
    m_lock = PWDescriptor::openLock(QFile::encodeName(m_path));
    if (!m_lock.isValid()) {
        m_reason = QStringLiteral("the lock file %1 cannot be opened (%2)").arg(m_path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    m_reason.clear();
    return true;
}

bool PWSettingsLock::tryTake()
{
    if (m_held)
        return true;
    if (!open())
        return false;
    m_held = m_lock.tryLockExclusive();
    // Held by another process is worth waiting for; a file system that takes no locks (some
    // network and user-space mounts) never will: the write goes on without it.
    if (!m_held && errno != EWOULDBLOCK && errno != EINTR)
        m_reason = QStringLiteral("the lock file %1 cannot be locked here (%2)")
                       .arg(m_path, QString::fromLocal8Bit(std::strerror(errno)));
    return m_held;
}

bool PWSettingsLock::take(int timeoutMs)
{
    const QDeadlineTimer deadline(std::max(timeoutMs, 0));
    // A holder keeps the lock for one read, merge and rename: a few milliseconds, more on a loaded
    // machine. Asked again soon at first, then less often, never past the deadline.
    int pause = 1;
    while (!tryTake()) {
        if (cannotLock() || deadline.hasExpired())
            return false;
        QThread::msleep(std::min<qint64>(pause, std::max<qint64>(deadline.remainingTime(), 1)));
        pause = std::min(pause * 2, 50);
    }
    return true;
}

void PWSettingsLock::release()
{
    // Closing the file lets the lock go; a new take opens it again.
    m_lock.close();
    m_held = false;
}
