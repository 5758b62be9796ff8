#include "app/pictures/CCPictFolderListing.h"

#include "app/pictures/CCPicturesLog.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QImageReader>
#include <QSet>

namespace CCPictFolderListing {

const QStringList &acceptedExtensions()
{
    static const QStringList extensions = [] {
        QSet<QString> set {QStringLiteral("eps"), QStringLiteral("epsf"), QStringLiteral("epsi"), QStringLiteral("ps"),
                           QStringLiteral("hpi"), QStringLiteral("pdf")};
        for (const QByteArray &format : QImageReader::supportedImageFormats())
            set.insert(QString::fromLatin1(format).toLower());
        QStringList list(set.begin(), set.end());
        list.sort();
        return list;
    }();
    return extensions;
}

bool isAcceptedPictureFile(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return !suffix.isEmpty() && acceptedExtensions().contains(suffix);
}

Listing listFolder(const QString &folder, bool filterPictures, const QString &namePrefix)
{
    Listing listing;
    const QFileInfo root(folder);
    if (folder.isEmpty() || !root.isDir())
        return listing;
    const QDir base(root.absoluteFilePath());
    // Hidden files are the file system's bookkeeping, not the user's pictures.
    QDirIterator it(base.path(), QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    int visited = 0;
    while (it.hasNext()) {
        if (++visited > kMaxVisitedEntries || listing.entries.size() >= kMaxPictures) {
            listing.truncated = true;
            break;
        }
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isDir()) {
            if (!info.isSymLink() && !info.isReadable())
                ++listing.unreadableFolders;
            if (filterPictures)
                continue;
        } else if (filterPictures && !isAcceptedPictureFile(path)) {
            ++listing.leftOut;
            continue;
        }
        listing.entries.append({namePrefix + base.relativeFilePath(path), info.completeBaseName()});
    }
    if (listing.truncated)
        qCWarning(lcPictures).noquote() << QStringLiteral("Listed only the first %1 pictures of %2: the folder holds more")
                                               .arg(listing.entries.size())
                                               .arg(folder);
    if (listing.unreadableFolders > 0)
        qCWarning(lcPictures).noquote() << QStringLiteral("%1 folders below %2 could not be read")
                                               .arg(listing.unreadableFolders)
                                               .arg(folder);
    return listing;
}

QStringList postArtCategories(const QString &folder)
{
    QStringList categories;
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return categories;
    QDirIterator it(folder, QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext() && categories.size() < kMaxPictures) {
        it.next();
        categories.append(it.fileName());
    }
    return categories;
}

QStringList postArtPopupTitles(const QStringList &categories)
{
    return QStringList {QStringLiteral("-")} + categories;
}

std::optional<int> initialPostArtEntry(const QStringList &popupTitles, std::optional<qint64> stored)
{
    if (popupTitles.size() <= 1)
        return std::nullopt;
    const int last = int(popupTitles.size()) - 1;
    // A negative index was never stored by the popup: it counts as none.
    if (stored && *stored >= 0)
        return int(qMin<qint64>(*stored, last));
    const qsizetype mailing = popupTitles.indexOf(QStringLiteral("Mailing Labels"));
    return mailing > 0 ? int(mailing) : 1;
}

} // namespace CCPictFolderListing
