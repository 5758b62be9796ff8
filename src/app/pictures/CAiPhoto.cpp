#include "app/pictures/CAiPhoto.h"

#include "app/pictures/CCPicturesLog.h"
#include "platform/PWFileReader.h"
#include "platform/PWPlist.h"
#include "platform/PWUserDefaults.h"

#include <QDir>
#include <QFileInfo>

namespace {

std::unique_ptr<CAiPhoto> &sharedSlot()
{
    static std::unique_ptr<CAiPhoto> shared;
    return shared;
}

// Keys are strings in the files seen; numbers are taken as their decimal text.
QString keyText(const PWPlist &value)
{
    if (value.isString())
        return value.toString();
    if (value.isInteger())
        return QString::number(value.toInteger());
    return QString();
}

QString resolved(const QString &path, const QString &folder)
{
    if (path.isEmpty() || QDir::isAbsolutePath(path) || folder.isEmpty())
        return path;
    return QDir(folder).filePath(path);
}

} // namespace

CAiPhoto::CAiPhoto(const QString &databasePath)
    : m_path(databasePath)
{
    const PWFileReader::Result read = PWFileReader::read(databasePath, PWFileReader::kPropertyListLimit,
                                                         PWFileReader::propertyListSignature());
    if (!read.ok()) {
        m_error = read.reason;
        qCInfo(lcPictures).noquote() << "No photo albums from" << databasePath << ":" << read.reason;
        return;
    }
    if (!load(read.bytes, QFileInfo(databasePath).absolutePath()))
        qCWarning(lcPictures).noquote() << "Photo album database" << databasePath << "refused:" << m_error;
}

std::unique_ptr<CAiPhoto> CAiPhoto::fromBytes(const QByteArray &bytes, const QString &folder)
{
    std::unique_ptr<CAiPhoto> reader(new CAiPhoto);
    reader->load(bytes, folder);
    return reader;
}

bool CAiPhoto::load(const QByteArray &bytes, const QString &folder)
{
    QString why;
    const std::optional<PWPlist> root = PWPlist::parse(bytes, &why);
    if (!root) {
        m_error = why.isEmpty() ? QStringLiteral("the file is not a property list") : why;
        return false;
    }
    if (!root->isDictionary()) {
        m_error = QStringLiteral("the property list holds no dictionary at its top");
        return false;
    }
    const PWPlist master = root->value(QStringLiteral("Master Image List"));
    if (master.isDictionary()) {
        for (const auto &[key, entry] : master.toDictionary()) {
            if (!entry.isDictionary())
                continue;
            Image image;
            image.imagePath = resolved(entry.value(QStringLiteral("ImagePath")).toString(), folder);
            image.thumbPath = resolved(entry.value(QStringLiteral("ThumbPath")).toString(), folder);
            image.caption = entry.value(QStringLiteral("Caption")).toString();
            m_images.insert(key, image);
        }
    }
    const PWPlist albums = root->value(QStringLiteral("List of Albums"));
    if (albums.isArray()) {
        for (const PWPlist &entry : albums.toArray()) {
            if (!entry.isDictionary())
                continue;
            Album album;
            album.name = entry.value(QStringLiteral("AlbumName")).toString();
            const PWPlist keys = entry.value(QStringLiteral("KeyList"));
            if (keys.isArray()) {
                for (const PWPlist &key : keys.toArray()) {
                    const QString text = keyText(key);
                    if (!text.isEmpty())
                        album.keys.append(text);
                }
            }
            m_albums.append(album);
        }
    }
    return true;
}

CAiPhoto &CAiPhoto::sharedInstance()
{
    std::unique_ptr<CAiPhoto> &shared = sharedSlot();
    if (!shared)
        shared = std::make_unique<CAiPhoto>(databasePath());
    return *shared;
}

void CAiPhoto::reloadSharedInstance()
{
    sharedSlot() = std::make_unique<CAiPhoto>(databasePath());
}

QString CAiPhoto::databasePath()
{
    auto inFolderOrFile = [](const QString &path) {
        return QFileInfo(path).isDir() ? QDir(path).filePath(kDatabaseName) : path;
    };
    const QString chosen = PWUserDefaults::standardUserDefaults().stringForKey(kRootDirectoryDefault);
    if (!chosen.isEmpty())
        return inFolderOrFile(chosen);
    const QDir home = QDir::home();
    const QString preferences = home.filePath(QStringLiteral("Library/Preferences/com.apple.iPhoto.plist"));
    if (QFileInfo::exists(preferences)) {
        const std::optional<PWPlist> settings = PWPlist::readFile(preferences);
        const QString root = settings ? settings->value(QStringLiteral("RootDirectory")).toString() : QString();
        if (!root.isEmpty())
            return QDir(root).filePath(kDatabaseName);
    }
    return home.filePath(QStringLiteral("Pictures/iPhoto Library/") + kDatabaseName);
}

QString CAiPhoto::albumName(int index) const
{
    return index >= 0 && index < m_albums.size() ? m_albums[index].name : QString();
}

QStringList CAiPhoto::imageKeys(int index) const
{
    return index >= 0 && index < m_albums.size() ? m_albums[index].keys : QStringList();
}

QString CAiPhoto::imagePathForKey(const QString &key) const
{
    return m_images.value(key).imagePath;
}

QString CAiPhoto::thumbPathForKey(const QString &key) const
{
    return m_images.value(key).thumbPath;
}

QString CAiPhoto::captionForKey(const QString &key) const
{
    return m_images.value(key).caption;
}
