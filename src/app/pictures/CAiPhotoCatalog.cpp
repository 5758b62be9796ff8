#include "app/pictures/CAiPhotoCatalog.h"

#include "app/pictures/CAiPhoto.h"
#include "app/pictures/CCPictCatalog.h"
#include "app/pictures/CCPicturesLog.h"
#include "kernel/base/FTImageArchive.h"
#include "platform/PWImage.h"
#include "platform/PWImageRep.h"
#include "platform/PWPasteboardTypes.h"

#include <QApplication>
#include <QDrag>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmap>

CAiPhotoCatalog::CAiPhotoCatalog(CCPictCatalog *catalog, QObject *parent)
    : QObject(parent)
    , m_catalog(catalog)
{
    m_catalog->installEventFilter(this);
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

std::shared_ptr<PWImage> CAiPhotoCatalog::fullPictureForKey(const QString &key)
{
    const QString path = reader().imagePathForKey(key);
    if (path.isEmpty())
        return nullptr;
    const QString name = CCPictImageResolver::kFilePrefix + path;
    if (auto named = PWImage::imageNamed(name))
        return named;
    QString why;
    std::shared_ptr<PWImage> picture = PWImage::fromFile(path, &why);
    if (!picture || !picture->isValid()) {
        qCWarning(lcPictures).noquote() << "Album picture" << path << "not read:" << why;
        return nullptr;
    }
    picture->setName(name);
    m_fullPictures[key] = picture;
    return picture;
}

std::unique_ptr<QMimeData> CAiPhotoCatalog::dragDataForPicture(const PWImage &picture)
{
    const PWImageRep *best = picture.bestRepresentation();
    if (!best)
        return nullptr;
    auto data = std::make_unique<QMimeData>();
    if (best->kind() == PWImageRep::Kind::PDF) {
        data->setData(PWPasteboardTypes::mimeTypeOf(PWPasteboardTypes::kPDF), best->data());
        return data;
    }
    const QImage bitmap = best->isBitmap() ? best->bitmap() : picture.toImage(picture.pixelSize());
    const QByteArray tiff = FTImageArchive::tiffData(bitmap);
    if (tiff.isEmpty())
        return nullptr;
    data->setData(PWPasteboardTypes::mimeTypeOf(PWPasteboardTypes::kTIFF), tiff);
    return data;
}

bool CAiPhotoCatalog::startDrag(const QPointF &pressPoint)
{
    int row = 0;
    int column = 0;
    if (!m_catalog->getRowColumnForPoint(pressPoint, &row, &column))
        return false;
    const int index = row * m_catalog->numberOfColumns() + column;
    if (index < 0 || index >= m_keys.size())
        return false;
    const std::shared_ptr<PWImage> picture = fullPictureForKey(m_keys[index]);
    if (!picture)
        return false;
    std::unique_ptr<QMimeData> data = dragDataForPicture(*picture);
    if (!data)
        return false;
    auto *drag = new QDrag(m_catalog);
    drag->setMimeData(data.release());
    const CCPictCell *cell = m_catalog->cellAtRowColumn(row, column);
    if (cell && cell->image() && cell->image()->isValid()) {
        const QSizeF size = cell->image()->size().scaled(QSizeF(64, 64), Qt::KeepAspectRatio);
        const QImage face = cell->image()->toImage(size.toSize().expandedTo(QSize(1, 1)));
        drag->setPixmap(QPixmap::fromImage(face));
        drag->setHotSpot(QPoint(face.width() / 2, face.height() / 2));
    }
    drag->exec(Qt::CopyAction);
    return true;
}

bool CAiPhotoCatalog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_catalog)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        m_pressed = mouse->button() == Qt::LeftButton;
        m_pressPoint = mouse->position();
        break;
    }
    case QEvent::MouseMove: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (m_pressed && (mouse->buttons() & Qt::LeftButton)
            && (mouse->position() - m_pressPoint).manhattanLength() >= QApplication::startDragDistance()) {
            m_pressed = false;
            startDrag(m_pressPoint);
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        m_pressed = false;
        break;
    default:
        break;
    }
    return false;
}
