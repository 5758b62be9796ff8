#pragma once

#include <QObject>
#include <QPointF>
#include <QStringList>

#include <map>
#include <memory>

class CAiPhoto;
class CCPictCatalog;
class PWImage;
class QMimeData;

// Puts one photo album into a thumbnail catalogue and lets its pictures be dragged out. Each
// cell refers to its thumbnail file, read when the cell is first drawn; a key without a
// thumbnail file is skipped, so the grid holds no hole. A drag carries the full picture: as PDF
// alone when the picture is a PDF, else as TIFF alone.
class CAiPhotoCatalog : public QObject
{
    Q_OBJECT

public:
    CAiPhotoCatalog(CCPictCatalog *catalog, QObject *parent = nullptr);

    CCPictCatalog *catalog() const { return m_catalog; }
    // The reader albums come from; the shared reader when none is set.
    void setReader(const CAiPhoto *reader) { m_reader = reader; }
    const CAiPhoto &reader() const;

    // Shows album index; any index the reader has no album for (the "-" item's -1) empties it.
    void changeAlbum(int index);
    void clearMatrix();
    int countImages() const;
    // The image keys of the cells, row-major.
    QStringList cellKeys() const { return m_keys; }

    // The full picture of key, read from its file the first time and then kept by name.
    std::shared_ptr<PWImage> fullPictureForKey(const QString &key);
    // What a drag of picture carries; null for an invalid picture.
    static std::unique_ptr<QMimeData> dragDataForPicture(const PWImage &picture);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool startDrag(const QPointF &pressPoint);

    CCPictCatalog *m_catalog;
    const CAiPhoto *m_reader = nullptr;
    QStringList m_keys;
    // Full pictures stay alive (and so registered by name) for another drag of the same key.
    std::map<QString, std::shared_ptr<PWImage>> m_fullPictures;
    QPointF m_pressPoint;
    bool m_pressed = false;
};
