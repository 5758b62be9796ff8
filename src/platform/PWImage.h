#pragma once

#include "platform/PWImageRep.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QColor>
#include <QImage>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <memory>
#include <mutex>

class QPainter;

// An image: its representations (bitmap, PDF, EPS), its size in points and a name. Images are
// shared the way the original platform shared them, so they are always held by std::shared_ptr
// and made by the factories below; a change (a representation converted in place) is seen by
// every holder.
//
// The name registry is process-wide and does not own its images: imageNamed() finds a living
// image by name, an image leaves the registry when it is destroyed, and a name given to a second
// image moves the registry entry to that image (the first keeps the name as its own attribute).
class PWImage : public std::enable_shared_from_this<PWImage>
{
    struct Token
    {
        explicit Token() = default;
    };

public:
    explicit PWImage(Token);
    ~PWImage();
    PWImage(const PWImage &) = delete;
    PWImage &operator=(const PWImage &) = delete;

    // An image without representations, of size 0 by 0.
    static std::shared_ptr<PWImage> create();
    // An image of one representation, sized like it.
    static std::shared_ptr<PWImage> create(const PWImageRep &rep);
    static std::shared_ptr<PWImage> fromQImage(const QImage &bitmap);
    // Picture-file bytes: PDF (its first page), EPS or any bitmap format Qt reads (through
    // PWBitmapReader, a large one reduced, an SVG drawn apart without the files it names). Nothing, with a reason, for bytes that are none of
    // these or do not decode.
    static std::shared_ptr<PWImage> fromData(const QByteArray &bytes, QString *error = nullptr);
    // A picture file through PWFileReader: a file that is too large, not a regular file or does
    // not begin like a picture is refused, with its reason, before it is read whole.
    static std::shared_ptr<PWImage> fromFile(const QString &path, QString *error = nullptr);
    // Whether the first bytes of a file are those of a picture fromData may read: PDF, EPS or a
    // bitmap format one of Qt's image readers recognizes.
    static bool looksLikePicture(QByteArrayView head);
    // Bitmap bytes decoded only when the size they state is within maxSide on each side and
    // maxPixels in all, so that a few bytes claiming a vast picture allocate nothing; a null
    // image for anything else, and for an SVG.
    static QImage decodeBoundedBitmap(const QByteArray &bytes, int maxSide, qint64 maxPixels);

    // A new image with the same representations and size and without a name.
    std::shared_ptr<PWImage> copy() const;

    bool isValid() const { return !m_reps.isEmpty(); }
    // Size in points; set from the first representation added unless set before.
    QSizeF size() const { return m_size; }
    void setSize(const QSizeF &size);
    // Pixels of the best representation.
    QSize pixelSize() const;

    const QList<PWImageRep> &representations() const { return m_reps; }
    void addRepresentation(const PWImageRep &rep);
    void removeRepresentation(qsizetype index);
    void replaceRepresentation(qsizetype index, const PWImageRep &rep);
    // The representation drawing uses: a PDF (it renders at any resolution), else the bitmap
    // with the most pixels, else an EPS; null without representations.
    const PWImageRep *bestRepresentation() const;

    QString name() const;
    // An empty name takes the image out of the registry.
    void setName(const QString &name);
    static std::shared_ptr<PWImage> imageNamed(const QString &name);

    // What a holder made of the image as it stands and keeps with it for as long as the image stays
    // so: the form a design stores a picture in, which takes a photo seconds to encode, is made
    // once and shared by every holder of the image, on any thread. A change of the image's
    // representations or size drops it. revision() names the state a form is made from; a form
    // made from a state the image has left meanwhile is not kept. Revisions are unique in the
    // process: no two images, and no two states of one image, share one.
    class Kept
    {
    public:
        virtual ~Kept() = default;
    };
    quint64 revision() const;
    std::shared_ptr<const Kept> kept() const;
    void keep(std::shared_ptr<const Kept> form, quint64 madeAtRevision) const;

    // Draws source (in points of this image, y down; empty for the whole image) into target on
    // a painter whose points are resolution device pixels each. Answers whether anything was drawn.
    bool draw(QPainter &painter, const QRectF &target, const QRectF &source = QRectF(),
              double resolution = 1.0) const;
    // The whole image drawn into a new ARGB32 premultiplied bitmap of the given pixel size over
    // the background colour; null when the size is empty.
    QImage toImage(const QSize &pixelSize, const QColor &background = Qt::transparent) const;

private:
    // A change of the representations or the size: a new revision, nothing kept.
    void changed();

    QList<PWImageRep> m_reps;
    QSizeF m_size;
    bool m_sizeSet = false;
    QString m_name; // guarded by the registry's lock
    mutable std::mutex m_keptMutex;
    quint64 m_revision; // guarded by m_keptMutex, as is m_kept
    mutable std::shared_ptr<const Kept> m_kept;
};
