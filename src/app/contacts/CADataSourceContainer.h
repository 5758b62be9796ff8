#pragma once

#include "app/contacts/CAPersonListDictionary.h"
#include "platform/PWPersonRecord.h"

#include <QHash>
#include <QMap>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;
struct CAImportProgress;

// The one object through which the system reads persons from every importing contact source
// (vCard files, delimited text files, and the sources of other applications that register
// themselves). Each source is read in the order memory, cache file, import: the persons last
// read stay in memory for the run, a cache file in the user's cache folder keeps them for later
// runs, and only when neither has them (or a "direct" read forces it) does the source import,
// after which the cache is written anew. An import that gives nothing leaves memory and cache as
// they were. It also carries the permission to update sources, shared by all of them, the import
// error flag, and the three notifications that tell the windows about both.
//
// Cache file: "<cache folder>/<cache name>.cache", an XML property list {"personListEx": person
// entries, "groupsEx": group name -> person entries}, each entry {the person with a blank picture
// in place of its own (older caches: its vCard under "data"; now: the compact record of
// PWPersonRecord under "person"), "primary address": "home" or "work", "custom data":
// Custom1...Custom9 that have a value}. Written atomically.
//
// Accessors may run on a worker thread (a long import); memory and flags are guarded, the
// notifications reach their observers on the main thread.
class CADataSourceContainer : public QObject
{
    Q_OBJECT
public:
    // Two blanks before "Notification", as the windows have always listened for it.
    static const QString kUpdateCacheNotify;
    static const QString kAllowUpdateCacheNotify;
    static const QString kForbidUpdateCacheNotify;
    static const QString kDataSourceNameKey; // "DataSourceName" of the notifications' user info

    using Groups = QMap<QString, CAPersonList>;
    struct ImportResult
    {
        CAPersonList persons;
        std::optional<Groups> groups;
    };
    // A source's import: the persons, or nothing when the user cancelled or nothing could be
    // read; what was left out goes into problems, one sentence each.
    using ImportFunction = std::function<std::optional<ImportResult>(QWidget *window, QStringList &problems)>;
    // An import that reports the record it is at and stops when asked; progress is null when the
    // import runs outside the import worker. A stopped import gives nothing.
    using ProgressImportFunction = std::function<std::optional<ImportResult>(QWidget *window, QStringList &problems,
                                                                             CAImportProgress *progress)>;
    // A fresh import read and ready to be kept: its persons and the bytes of its cache.
    struct PreparedImport
    {
        QString displayName;
        QString cacheName;
        ImportResult result;
        QByteArray cache;
        QStringList problems;
    };

    // The process-wide container over defaultCacheFolder(), with the vCard file and text file
    // sources registered.
    static CADataSourceContainer &sharedDataSourceContainer();
    // "$XDG_CACHE_HOME/Parcelwick" ("~/.cache/Parcelwick").
    static QString defaultCacheFolder();

    explicit CADataSourceContainer(const QString &cacheFolder, QObject *parent = nullptr);

    // Registers an importing source under its display name (what windows and notifications
    // call it) and its fixed cache name; withGroups when its import and cache carry groups.
    void registerSource(const QString &displayName, const QString &cacheName, ImportFunction import,
                        bool withGroups = false);
    // The same for an import that reports its progress and can be stopped.
    void registerProgressSource(const QString &displayName, const QString &cacheName, ProgressImportFunction import,
                                bool withGroups = false);
    bool hasSource(const QString &displayName) const;
    QStringList sourceNames() const;
    // The cache name of a registered source; empty otherwise.
    QString cacheNameOfSource(const QString &displayName) const;

    // The source's persons by memory, cache, import (direct: import at once); nothing when
    // none of them ever gave a list, or the source is unknown.
    std::optional<CAPersonList> contactsForSource(const QString &displayName, QWidget *window, bool direct);
    // The same without an import, which may ask the user: the list in memory, else the cache,
    // read into memory once; nothing when the source has neither or is unknown.
    std::optional<CAPersonList> storedContactsForSource(const QString &displayName);
    // A fresh import in two halves, so that the long one runs on the import worker and only the
    // short one, which changes what the windows see, on the main thread. The first imports and
    // builds the cache bytes, on any thread, changing nothing but the source's problems; nothing
    // when the source is unknown, the import gave nothing or it was stopped. The second writes
    // the cache and makes the persons the source's memory list.
    std::optional<PreparedImport> prepareImport(const QString &displayName, QWidget *window,
                                                CAImportProgress *progress = nullptr);
    void commitImport(PreparedImport prepared);
    // The source's groups; a fresh import first when it has no list in memory yet.
    std::optional<Groups> groupsForSource(const QString &displayName);
    // What is in memory, without reading anything.
    std::optional<CAPersonList> memoryListForSource(const QString &displayName) const;
    // What the source's last import left out.
    QStringList lastImportProblems(const QString &displayName) const;
    // Whether the source's last import ended because the user cancelled its file chooser (known
    // only of an import given a progress).
    bool lastImportCancelled(const QString &displayName) const;

    QString getCachePathForSource(const QString &cacheName) const;
    // The cache's dictionary; nothing, with a reason, without a readable cache holding
    // "personListEx".
    std::optional<PWPlist::Dictionary> getCachedDataForSource(const QString &cacheName, QString *error = nullptr) const;
    // The cached persons (and groups when asked for and cached); nothing without a cache.
    // Entries that do not read are left out and counted in skipped.
    std::optional<CAPersonList> getCachedPersonListForSource(const QString &cacheName, Groups *groups = nullptr,
                                                             qsizetype *skipped = nullptr) const;
    // Writes the cache, replacing the old one only once the new one is complete; the persons
    // themselves are not changed. False, with a reason, when it could not be written.
    bool cachePersonList(const CAPersonList &persons, const Groups *groups, const QString &cacheName,
                         QString *error = nullptr) const;
    // The bytes of a cache file holding the persons (and groups), and their writing.
    static QByteArray cacheBytes(const CAPersonList &persons, const Groups *groups);
    bool writeCacheBytes(const QByteArray &bytes, const QString &cacheName, QString *error = nullptr) const;
    // One cache entry, and the person of one.
    static PWPlist::Dictionary cacheEntryForPerson(const PWPerson &person, bool withCustomData);
    // Reads both the compact entries written now and the vCard entries of older caches.
    static std::shared_ptr<PWPerson> personFromCacheEntry(const PWPlist &entry, bool withCustomData);
    static std::shared_ptr<PWPerson> personFromCacheEntry(const PWPlist &entry, bool withCustomData,
                                                          PWPersonRecord::Reader &reader);

    // Posts "Update Cache  Notification" for the source.
    void updateCacheForSource(const QString &displayName);
    // Allows or forbids updates of every importing source at once, and posts "Allow Update
    // Cache Notification" or "Forbid Update Cache Notification" for the given one.
    void setAllowUpdateCache(bool allow, const QString &displayName);
    // Always true for sources that do not import (the address book, "My Recipients").
    bool isAllowUpdateCacheForSource(const QString &displayName) const;

    bool isErrorDuringImporting() const;
    void setErrorDuringImporting(bool error);

Q_SIGNALS:
    // Emitted with the notifications above, on the thread that posts them.
    void cacheUpdated(const QString &displayName);
    void updatePermissionChanged(const QString &displayName, bool allowed);

private:
    struct Source
    {
        QString cacheName;
        ProgressImportFunction import;
        bool withGroups = false;
        std::optional<CAPersonList> memory;
        std::optional<Groups> groups;
        QStringList problems;
        bool cancelled = false;
    };
    void post(const QString &name, const QString &displayName);

    QString m_cacheFolder;
    mutable QMutex m_mutex;
    QHash<QString, Source> m_sources; // by display name
    QStringList m_order;
    bool m_updatesForbidden = false;
    bool m_errorDuringImporting = false;
};
