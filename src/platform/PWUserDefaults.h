#pragma once

#include "platform/PWPlist.h"

#include <QHash>
#include <QMutex>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

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
    // written, else why not. Keys whose values were taken from the file another process wrote go
    // into taken. Called with the mutex held.
    QString write(QStringList *taken);
    // Merges what another process wrote since this store last read or wrote the file.
    void takeInOtherWrites(QStringList *taken);
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
};
