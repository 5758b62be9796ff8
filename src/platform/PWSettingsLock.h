#pragma once

#include "platform/PWDescriptor.h"

#include <QString>

// The exclusive lock every writer of one settings file holds from reading the file to renaming
// its new copy over it, so that no two processes merge from the same file and the second's rename
// drops what the first wrote. It lives on a file of its own beside the settings ("<file>.lock"),
// which is never renamed and holds no data: a lock on the settings file itself would go with the
// old file at every rename. The lock belongs to the open file (flock), so it goes however its
// holder ends, and a thread may take it for another thread to use.
class PWSettingsLock
{
public:
    explicit PWSettingsLock(const QString &settingsPath);
    PWSettingsLock(PWSettingsLock &&) noexcept = default;
    PWSettingsLock &operator=(PWSettingsLock &&) noexcept = default;

    static QString lockPathFor(const QString &settingsPath);

    // Takes the lock without waiting; true when held (now or before).
    bool tryTake();
    // Waits up to timeoutMs for the lock, asking again at growing intervals; true when held.
    bool take(int timeoutMs);
    bool isHeld() const { return m_held; }
    // Whether the lock file could not be opened at all (a folder this user cannot write, say):
    // nothing can be locked then, and a writer goes on without the lock rather than not at all.
    bool cannotLock() const { return !m_reason.isEmpty(); }
    QString reason() const { return m_reason; }
    void release();

private:
    bool open();

    QString m_path;
    PWDescriptor m_lock;
    bool m_held = false;
    QString m_reason;
};
