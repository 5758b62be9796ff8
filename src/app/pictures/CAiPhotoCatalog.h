#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>

class CAiPhoto;
class CCPictCatalog;
class PWImage;

// Puts one photo album into a thumbnail catalogue. Each cell refers to its thumbnail file, read
// when the cell is first drawn; a key without a thumbnail file is skipped, so the grid holds no
// hole. The catalogue drags and offers the photo itself, which this supplies for each cell.
class CAiPhotoCatalog : public QObject
{
    Q_OBJECT

public:
    CAiPhotoCatalog(CCPictCatalog *catalog, QObject *parent = nullptr);
    ~CAiPhotoCatalog() override;

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

    // The full picture of key, read whole from its file unless someone still holds it (then
    // found by name); null for a key without a readable picture file.
    std::shared_ptr<PWImage> fullPictureForKey(const QString &key) const;

private:
    QPointer<CCPictCatalog> m_catalog;
    const CAiPhoto *m_reader = nullptr;
    QStringList m_keys;
};
