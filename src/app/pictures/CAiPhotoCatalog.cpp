#include "app/pictures/CAiPhotoCatalog.h"

#include "app/pictures/CAiPhoto.h"
#include "app/pictures/CCPictCatalog.h"
#include "app/pictures/CCPictDragOut.h"
#include "app/pictures/CCPicturesLog.h"
#include "platform/PWImage.h"

#include <QFileInfo>

CAiPhotoCatalog::CAiPhotoCatalog(CCPictCatalog *catalog, QObject *parent)
    : QObject(parent)
    , m_catalog(catalog)
{
    // Cells are filled row-major without gaps, in the order of the keys.
    m_catalog->setFullPictureProvider([this](int index) { return fullPictureForKey(m_keys.value(index)); });
}

CAiPhotoCatalog::~CAiPhotoCatalog()
{
    if (m_catalog)
        m_catalog->setFullPictureProvider(nullptr);
}

const CAiPhoto &CAiPhotoCatalog::reader() const
{
    return m_reader ? *m_reader : CAiPhoto::sharedInstance();
}

void CAiPhotoCatalog::changeAlbum(int index)
{
    const CAiPhoto &photos = reader();
    if (index < 0 || index >= photos.albumsCount()) {
        clearMatrix();
        return;
    }
    QList<CCPictCatalog::Entry> entries;
    m_keys.clear();
    for (const QString &key : photos.imageKeys(index)) {
        const QString thumb = photos.thumbPathForKey(key);
        // Only existence is tested here: thumbnails are read when their cells are drawn.
        if (thumb.isEmpty() || !QFileInfo(thumb).isFile()) {
            qCInfo(lcPictures).noquote() << "Album picture" << key << "has no thumbnail" << thumb;
            continue;
        }
        entries.append({CCPictImageResolver::kFilePrefix + thumb, photos.captionForKey(key)});
        m_keys.append(key);
    }
    m_catalog->changeByReferences(entries);
}

void CAiPhotoCatalog::clearMatrix()
{
    m_keys.clear();
    m_catalog->clearMatrix();
}

int CAiPhotoCatalog::countImages() const
{
    return m_catalog->countImages();
}

std::shared_ptr<PWImage> CAiPhotoCatalog::fullPictureForKey(const QString &key) const
{
    const QString path = reader().imagePathForKey(key);
    return path.isEmpty() ? nullptr : CCPictDragOut::fullPicture(CCPictImageResolver::kFilePrefix + path);
}
