#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

// The reader of a photo album database: a property list whose "List of Albums" names the albums
// and their picture keys, and whose "Master Image List" gives each key its picture, thumbnail and
// caption. No photo application keeps such a database on this system, so the file is one the user
// names: the user default "FTiPhotoRootDirectory" (a folder holding "AlbumData.xml", or the file
// itself), else the "RootDirectory" of the home's "Library/Preferences/com.apple.iPhoto.plist",
// else the home's "Pictures/iPhoto Library/AlbumData.xml".
//
// The database is read once, whole, into plain lists; anything that is not a property list with a
// dictionary at the top is refused with a reason and reads as no albums.
class CAiPhoto
{
public:
    static inline const QString kRootDirectoryDefault = QStringLiteral("FTiPhotoRootDirectory");
    static inline const QString kDatabaseName = QStringLiteral("AlbumData.xml");

    // The reader of the database at path (read now).
    explicit CAiPhoto(const QString &databasePath);
    // Both stages over bytes already read; folder resolves relative picture paths.
    static std::unique_ptr<CAiPhoto> fromBytes(const QByteArray &bytes, const QString &folder);

    // The process's reader of the database the settings name, made on first use.
    static CAiPhoto &sharedInstance();
    // Reads the database the settings name now again (after the user chose another).
    static void reloadSharedInstance();
    // Where the settings and the home folder place the database.
    static QString databasePath();

    // Empty when the database was read; else why it was refused.
    QString error() const { return m_error; }
    QString path() const { return m_path; }

    int albumsCount() const { return int(m_albums.size()); }
    // Empty out of range.
    QString albumName(int index) const;
    QStringList imageKeys(int index) const;
    // Empty for a key the master list does not hold.
    QString imagePathForKey(const QString &key) const;
    QString thumbPathForKey(const QString &key) const;
    QString captionForKey(const QString &key) const;

private:
    CAiPhoto() = default;
    bool load(const QByteArray &bytes, const QString &folder);

    struct Album
    {
        QString name;
        QStringList keys;
    };
    struct Image
    {
        QString imagePath;
        QString thumbPath;
        QString caption;
    };
    QString m_path;
    QString m_error;
    QList<Album> m_albums;
    QHash<QString, Image> m_images;
};
