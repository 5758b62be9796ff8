#pragma once

#include "app/pictures/CCPictCatalog.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>

// The categories of the clip-art collection: one keyed-archive file per category below a folder
// (any depth, extension "idx"), whose root dictionary holds the category's picture entries under
// "values". A category is read the first time it is asked for and then kept, with the scroll
// position it was left at, for the owner's life; a file that cannot be read is asked again the
// next time and logged only the first time.
class CCClipArtCategories
{
public:
    struct Category
    {
        QList<CCPictCatalog::Entry> values;
        int pos = 0; // the catalogue's scroll position when the category was left
        QString name;
    };

    explicit CCClipArtCategories(QString folder);

    const QString &folder() const { return m_folder; }

    // The category names: every file below the folder whose extension is exactly "idx", named by
    // its path below the folder without the extension, sorted case-insensitively. An empty list
    // is logged, once.
    QStringList categoryNames();
    static QStringList listCategories(const QString &folder);

    // The popup entry to show first, for a popup of entryCount entries ("-" included) and the
    // stored choice, if any: the stored entry, lowered to the last one when past it (a negative
    // one counts as past it); without one entry 5 from six entries on, else entry 1. With no
    // category at all, entry 0.
    static int initialPopupIndex(int entryCount, std::optional<qint64> stored);

    // The category read and cached on first use; null when its file cannot be read (it is read
    // again at a later call once it changed).
    Category *category(const QString &name);
    bool isCached(const QString &name) const { return m_cache.count(name) > 0; }

    // The entries of one category file. Nothing, with the reason, when the file is unreadable,
    // no keyed archive, or its root is no dictionary with a "values" array. Entries that are no
    // dictionary with a file name inside the picture folder are left out and counted in
    // *skipped; a caption that is no string counts as none.
    static std::optional<QList<CCPictCatalog::Entry>> readCategoryFile(const QString &path, QString *why = nullptr,
                                                                       int *skipped = nullptr);

private:
    QString m_folder;
    std::optional<QStringList> m_names;
    std::map<QString, Category> m_cache; // node-based: a category stays where it is
    // What a file that could not be read looked like: it is read again only once it changed, so
    // that choosing a damaged category again says nothing more, down to the archive reader.
    struct FileStamp
    {
        bool exists = false;
        qint64 size = 0;
        qint64 modified = 0;
        bool operator==(const FileStamp &) const = default;
    };
    static FileStamp stampOf(const QString &path);
    QHash<QString, FileStamp> m_failedFiles;
    QSet<QString> m_loggedFailures;
};
