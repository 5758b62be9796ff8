#pragma once

#include "platform/PWPlist.h"
#include "platform/PWSettingsLock.h"

#include <QHash>
#include <QMutex>
#include <QFileSystemWatcher>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

// The user-defaults store: values the user or the program set, over registered defaults, kept as
// a property list in the user's configuration folder ($XDG_CONFIG_HOME/Parcelwick/, by default
// ~/.config/Parcelwick/). Every change is written through at once (atomically, through QSaveFile),
// so a crash never loses a setting; value types (arrays, dictionaries, data, dates) survive a restart.
class PWUserDefaults : public QObject
{
    Q_OBJECT
public:
    // The process-wide store, on defaultFilePath().
    static PWUserDefaults &standardUserDefaults();
    // "<config>/Parcelwick/Parcelwick.plist", honouring XDG_CONFIG_HOME.
    static QString defaultFilePath();

    // A store on the given file, read now if it exists. A file that does not parse is kept aside
    // under the first free name of "<file>.corrupt", "<file>.corrupt-2", ... (a copy kept before is
    // never replaced), the store starts empty, and problems() names it.
    explicit PWUserDefaults(const QString &filePath, QObject *parent = nullptr);
    ~PWUserDefaults() override;

    QString filePath() const { return m_filePath; }

    // Registered defaults answer for keys without a value of their own; they are never written.
    void registerDefaults(const PWPlist::Dictionary &defaults);

    // The stored value, else the registered default, else null.
    PWPlist objectForKey(const QString &key) const;
    bool hasStoredValue(const QString &key) const;
    void setObject(const QString &key, const PWPlist &value);
    void removeObject(const QString &key);

    // Typed readers with the conversions of the original platform: strings "YES"/"yes"/"true" or
    // a non-zero number read as true; numbers stored as strings read as numbers.
    QString stringForKey(const QString &key) const;
    qint64 integerForKey(const QString &key) const;
    double doubleForKey(const QString &key) const;
    bool boolForKey(const QString &key) const;
    QByteArray dataForKey(const QString &key) const;
    PWPlist::Array arrayForKey(const QString &key) const;
    PWPlist::Dictionary dictionaryForKey(const QString &key) const;

    void setString(const QString &key, const QString &value);
    void setInteger(const QString &key, qint64 value);
    void setDouble(const QString &key, double value);
    void setBool(const QString &key, bool value);

    // Writes the stored values; true when the file was written. Called by every setter.
    bool synchronize();
    // Whether the last write of the file succeeded (true before any): after a failure, values set
    // since live in memory only until a write succeeds again.
    bool isSaved() const;
    // Re-reads the file, dropping unsaved state (there is none after a successful setter).
    bool reload();
    // Takes in what another process wrote since this store last read or wrote the file, as a
    // write would, without writing: values this store set and has not written yet stay and are
    // merged. Answers whether any key was taken (each told by valueChanged and takenFromFile).
    bool takeInFromFile();
    // From now on, the file changed by another process is taken in (takeInFromFile) when this
    // store's thread is next idle, so that windows show what the other wrote; so is what it wrote
    // before the watch began.
    void watchOtherWrites();

    // Every write holds the lock of the settings file (PWSettingsLock) from reading the file to
    // renaming the new one over it. On the thread of an application's event loop a write never
    // waits for the lock there: while another process holds it, the lock is waited for on a
    // thread of its own, and the write is made here once it is had; values set meanwhile go
    // with it. Waiting longer than the lock timeout is told as a failed write (writeFailed) and
    // the wait goes on: no write is dropped. Elsewhere the writing thread waits, up to the
    // timeout at a time.
    bool hasPendingWrite() const;
    // Waits, handling this thread's events, until no write is pending or timeoutMs passed;
    // answers whether none is.
    bool waitForPendingWrite(int timeoutMs);
    // How long a write waits for the lock before it says so: 10 seconds unless set.
    static void setLockTimeout(int milliseconds);
    static int lockTimeout();

    const PWPlist::Dictionary &storedValues() const { return m_values; }

    // Another process may write the same file (one home shared by two logins or machines). A write
    // that finds the file changed since this store last read or wrote it takes in the other's
    // values first: a key this store did not change since then takes the file's value, and a key
    // both changed takes the merge given for it, else this store's value. Keys taken in are told
    // by valueChanged and takenFromFile. The merge answers the value to keep from the value both
    // started from (base), this store's value (mine) and the file's (theirs); null removes it.
    using Merge = std::function<PWPlist(const PWPlist &base, const PWPlist &mine, const PWPlist &theirs)>;
    void setMergeForKey(const QString &key, Merge merge);

    // A process that only reads its settings (a batch job) leaves the file as it found it: a
    // damaged file is not moved aside, and values set are kept in memory only. Set before the
    // store is first used; it holds for every store of the process.
    static void setLeavesFileAsFound(bool leaves);
    static bool leavesFileAsFound();

    // Settings found but not used, each a sentence for the user (a damaged file, a value its
    // reader refused), in the order noted, each once; readers of the values note theirs.
    void noteProblem(const QString &sentence);
    QStringList problems() const;
    // What a value is stored as, in the words of such a sentence: "a list", "data", "a date", ...
    static QString describe(const PWPlist &value);

Q_SIGNALS:
    void valueChanged(const QString &key);
    // A write of the file failed: key is the value being set or removed (empty for
    // synchronize()), reason says why. Emitted on the thread that wrote.
    void writeFailed(const QString &key, const QString &reason);
    // A write succeeded after one had failed: the file holds every value again.
    void writeRecovered();
    // noteProblem() added a sentence.
    void problemNoted(const QString &sentence);
    // A write took in values another process had written for these keys (see setMergeForKey).
    void takenFromFile(const QStringList &keys);

private:
    void reportWrite(const QString &key, const QString &failure);
    void takeOutcome(const QString &note, bool writable);
    // Writes the file unless a damaged one in its place could not be kept aside; empty when
    // written (or left to the lock's waiter), else why not. Keys whose values were taken from the
    // file another process wrote go into taken. Called with the mutex held.
    QString write(QStringList *taken);
    // The read, merge and rename, with the lock held. Called with the mutex held.
    QString writeLocked(QStringList *taken);
    // Merges what another process wrote since this store last read or wrote the file; the file
    // as read becomes the base the next merge starts from.
    void takeInOtherWrites(QStringList *taken);
    // Whether a write on this thread hands the wait for the lock to a thread of its own.
    bool waitsOffThisThread() const;
    // Starts the thread that waits for the lock (mutex held), and the write it hands it to.
    void startLockWaiter();
    void writeWithWaitedLock();
    void stopLockWaiter();
    void otherWriteSeen();
    void tellTaken(const QStringList &taken);

    // The file as this store last read or wrote it: what the other's changes are told from.
    struct FileStamp
    {
        bool exists = false;
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 seconds = 0;
        qint64 nanoseconds = 0;
        friend bool operator==(const FileStamp &, const FileStamp &) = default;
    };
    FileStamp stampOfFile() const;

    // Guards the two dictionaries: worker threads read settings while the main thread sets them.
    mutable QMutex m_mutex;
    QString m_filePath;
    PWPlist::Dictionary m_values;
    // The values of the file as last read or written, and its stamp then.
    PWPlist::Dictionary m_base;
    FileStamp m_stamp;
    QHash<QString, Merge> m_merges;
    PWPlist::Dictionary m_registered;
    bool m_saved = true;
    QStringList m_problems;
    // Why the file must not be written (a damaged file is still in its place); empty when it may.
    QString m_unwritable;

    // The wait for the lock off this store's thread: the waiting thread, the lock it took for
    // the write to use, whether a write waits, and the word to stop waiting.
    std::thread m_lockWaiter;
    std::unique_ptr<PWSettingsLock> m_waitedLock;
    bool m_waitingForLock = false;
    std::atomic<bool> m_stopWaiting{false};
    // Made with the application as their parent and gone with it (the standard store outlives
    // it), or with the store.
    QPointer<QFileSystemWatcher> m_watcher;
    QPointer<QTimer> m_otherWriteTimer;
};
