#include "platform/PWImage.h"

#include "platform/PWBitmapReader.h"
#include "platform/PWFileReader.h"
#include "platform/PWLog.h"
#include "platform/PWSvgPicture.h"

#include <QBuffer>
#include <QHash>
#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <new>

Q_LOGGING_CATEGORY(lcImage, "pw.platform.image")

namespace {

struct Registry
{
    std::mutex mutex;
    QHash<QString, PWImage *> images;
};

Registry &registry()
{
    static Registry instance;
    return instance;
}

quint64 nextRevision()
{
    static std::atomic<quint64> last {0};
    return ++last;
}

void setError(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
}

// Writers may put a few bytes before the header; readers look in the first kilobyte.
constexpr qsizetype kPdfHeaderWindow = 1024;

bool looksLikePDF(QByteArrayView bytes)
{
    return bytes.first(std::min(bytes.size(), kPdfHeaderWindow)).contains("%PDF-");
}

bool looksLikeEPS(QByteArrayView bytes)
{
    return bytes.startsWith("%!PS")
           || (bytes.size() >= 4 && quint8(bytes[0]) == 0xC5 && quint8(bytes[1]) == 0xD0
               && quint8(bytes[2]) == 0xD3 && quint8(bytes[3]) == 0xC6);
}

std::shared_ptr<PWImage> decodePicture(const QByteArray &bytes, QString *error)
{
    if (bytes.isEmpty()) {
        setError(error, QStringLiteral("no picture data"));
        return nullptr;
    }
    if (looksLikePDF(bytes)) {
        std::optional<PWImageRep> rep = PWImageRep::fromPDF(bytes, error);
        return rep ? PWImage::create(*rep) : nullptr;
    }
    if (looksLikeEPS(bytes)) {
        std::optional<PWImageRep> rep = PWImageRep::fromEPS(bytes, error);
        return rep ? PWImage::create(*rep) : nullptr;
    }

    std::optional<PWImageRep> rep = PWBitmapReader::read(bytes, error);
    if (rep && !rep->isReadable()) {
        // Whoever keeps such bytes all the same (a design's picture) makes them unreadable itself.
        setError(error, rep->failure());
        return nullptr;
    }
    return rep ? PWImage::create(*rep) : nullptr;
}

} // namespace

PWImage::PWImage(Token)
    : m_revision(nextRevision())
{
}

PWImage::~PWImage()
{
    Registry &reg = registry();
    std::lock_guard lock(reg.mutex);
    const auto it = reg.images.constFind(m_name);
    if (it != reg.images.cend() && it.value() == this)
        reg.images.erase(it);
}

QImage PWImage::decodeBoundedBitmap(const QByteArray &bytes, int maxSide, qint64 maxPixels)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // Qt's SVG reader opens the files an SVG names even to tell its size.
    if (!reader.canRead() || PWSvgPicture::isSvgFormat(reader.format()))
        return {};
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > maxSide || size.height() > maxSide
        || qint64(size.width()) * size.height() > maxPixels)
        return {};
    return reader.read();
}

std::shared_ptr<PWImage> PWImage::create()
{
    return std::make_shared<PWImage>(Token());
}

std::shared_ptr<PWImage> PWImage::create(const PWImageRep &rep)
{
    std::shared_ptr<PWImage> image = create();
    image->addRepresentation(rep);
    return image;
}

std::shared_ptr<PWImage> PWImage::fromQImage(const QImage &bitmap)
{
    if (bitmap.isNull())
        return nullptr;
    return create(PWImageRep::fromBitmap(bitmap));
}

std::shared_ptr<PWImage> PWImage::fromData(const QByteArray &bytes, QString *error)
{
    // Decoding a large picture may ask for more memory than there is: that picture is refused,
    // the process goes on.
    try {
        return decodePicture(bytes, error);
    } catch (const std::bad_alloc &) {
        setError(error, QStringLiteral("there is not enough memory for the picture"));
        return nullptr;
    }
}

std::shared_ptr<PWImage> PWImage::fromFile(const QString &path, QString *error)
{
    static const PWFileReader::Signature picture{&PWImage::looksLikePicture, 4 * kPdfHeaderWindow,
                                                 QStringLiteral("the file is not a picture")};
    const PWFileReader::Result file = PWFileReader::read(path, PWFileReader::kImageLimit, picture);
    if (!file.ok()) {
        const QString reason = QStringLiteral("cannot read %1: %2").arg(path, file.reason);
        // A missing picture is for the caller to report (it may try another place first); one
        // that is there but refused is worth a line of its own.
        if (file.status != PWFileReader::Status::CannotOpen)
            qCWarning(lcImage).noquote() << reason;
        setError(error, reason);
        return nullptr;
    }
    return fromData(file.bytes, error);
}

bool PWImage::looksLikePicture(QByteArrayView head)
{
    if (looksLikePDF(head) || looksLikeEPS(head))
        return true;
    QByteArray copy = head.toByteArray();
    QBuffer buffer(&copy);
    if (!buffer.open(QIODevice::ReadOnly))
        return false;
    return !QImageReader::imageFormat(&buffer).isEmpty();
}

std::shared_ptr<PWImage> PWImage::copy() const
{
    std::shared_ptr<PWImage> image = create();
    image->m_reps = m_reps;
    image->m_size = m_size;
    image->m_sizeSet = m_sizeSet;
    return image;
}

QSize PWImage::pixelSize() const
{
    const PWImageRep *rep = bestRepresentation();
    return rep ? rep->pixelSize() : QSize();
}

void PWImage::setSize(const QSizeF &size)
{
    m_size = size;
    changed();
}

void PWImage::addRepresentation(const PWImageRep &rep)
{
    m_reps.append(rep);
    if (!m_sizeSet) {
        m_size = rep.size();
        m_sizeSet = true;
    }
    changed();
}

void PWImage::removeRepresentation(qsizetype index)
{
    if (index >= 0 && index < m_reps.size())
        m_reps.removeAt(index);
    changed();
}

void PWImage::replaceRepresentation(qsizetype index, const PWImageRep &rep)
{
    if (index >= 0 && index < m_reps.size())
        m_reps[index] = rep;
    changed();
}

void PWImage::changed()
{
    std::lock_guard lock(m_keptMutex);
    m_revision = nextRevision();
    m_kept.reset();
}

quint64 PWImage::revision() const
{
    std::lock_guard lock(m_keptMutex);
    return m_revision;
}

std::shared_ptr<const PWImage::Kept> PWImage::kept() const
{
    std::lock_guard lock(m_keptMutex);
    return m_kept;
}

void PWImage::keep(std::shared_ptr<const Kept> form, quint64 madeAtRevision) const
{
    std::lock_guard lock(m_keptMutex);
    if (madeAtRevision == m_revision)
        m_kept = std::move(form);
}

const PWImageRep *PWImage::bestRepresentation() const
{
    const PWImageRep *best = nullptr;
    qint64 bestPixels = -1;
    for (const PWImageRep &rep : m_reps) {
        if (rep.kind() == PWImageRep::Kind::PDF)
            return &rep;
        if (rep.isBitmap()) {
            // One that cannot be drawn counts for nothing against one that can.
            const qint64 pixels = rep.isReadable() ? qint64(rep.pixelSize().width()) * rep.pixelSize().height() : 0;
            if (pixels > bestPixels) {
                best = &rep;
                bestPixels = pixels;
            }
        }
    }
    if (best)
        return best;
    return m_reps.isEmpty() ? nullptr : &m_reps.first();
}

QString PWImage::name() const
{
    std::lock_guard lock(registry().mutex);
    return m_name;
}

void PWImage::setName(const QString &name)
{
    Registry &reg = registry();
    std::lock_guard lock(reg.mutex);
    const auto it = reg.images.constFind(m_name);
    if (it != reg.images.cend() && it.value() == this)
        reg.images.erase(it);
    m_name = name;
    if (!name.isEmpty())
        reg.images.insert(name, this);
}

std::shared_ptr<PWImage> PWImage::imageNamed(const QString &name)
{
    Registry &reg = registry();
    std::lock_guard lock(reg.mutex);
    PWImage *image = reg.images.value(name);
    // An image whose last owner is letting go (its destructor waits for this lock) answers
    // nothing here rather than coming back to life.
    return image ? image->weak_from_this().lock() : nullptr;
}

bool PWImage::draw(QPainter &painter, const QRectF &target, const QRectF &source,
                   double resolution) const
{
    const PWImageRep *rep = bestRepresentation();
    if (!rep || m_size.isEmpty())
        return false;
    // The representation may have another size in points than the image shows it at.
    const QRectF whole(QPointF(0, 0), m_size);
    const QRectF part = source.isEmpty() ? whole : source;
    const double sx = rep->size().width() / m_size.width();
    const double sy = rep->size().height() / m_size.height();
    const QRectF repSource(part.x() * sx, part.y() * sy, part.width() * sx, part.height() * sy);
    return rep->draw(painter, target, repSource, resolution);
}

QImage PWImage::toImage(const QSize &pixelSize, const QColor &background) const
{
    if (pixelSize.isEmpty())
        return QImage();
    QImage result(pixelSize, QImage::Format_ARGB32_Premultiplied);
    if (result.isNull())
        return QImage();
    result.fill(background);
    if (!m_size.isEmpty()) {
        // One unit of this painter is one pixel of the result.
        QPainter painter(&result);
        draw(painter, QRectF(QPointF(0, 0), QSizeF(pixelSize)), QRectF(), 1.0);
    }
    return result;
}
