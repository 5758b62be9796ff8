#include "app/pictures/CCPictImageResolver.h"

#include "app/pictures/CCPicturesLog.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/base/FTImageUtilities.h"
#include "platform/PWFileReader.h"
#include "platform/PWImage.h"
#include "platform/PWSvgPicture.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>
#include <QThreadPool>

#include <mutex>

// Decodings under way and done, shared with the workers, which may outlive the resolver.
struct CCPictImageResolver::Background
{
    std::mutex mutex;
    QSet<QString> running;
    QHash<QString, QImage> done;
    std::function<void()> decoded;
};

CCPictImageResolver::CCPictImageResolver()
    : m_clipArtPath(CAEnvironment::clipArtPath())
    , m_thumbClipArtPath(CAEnvironment::thumbClipArtPath())
    , m_background(std::make_shared<Background>())
{
}

CCPictImageResolver::~CCPictImageResolver()
{
    std::lock_guard lock(m_background->mutex);
    m_background->decoded = nullptr;
}

void CCPictImageResolver::setDecodedHandler(std::function<void()> handler)
{
    std::lock_guard lock(m_background->mutex);
    m_background->decoded = std::move(handler);
}

bool CCPictImageResolver::isDecoding() const
{
    std::lock_guard lock(m_background->mutex);
    return !m_background->running.isEmpty();
}

QImage CCPictImageResolver::decodeInBackground(const QString &path, const QSize &fitInto, bool *pending) const
{
    const QString key = path + u'\n' + QString::number(fitInto.width()) + u'x' + QString::number(fitInto.height());
    std::lock_guard lock(m_background->mutex);
    if (const auto found = m_background->done.constFind(key); found != m_background->done.cend()) {
        const QImage image = *found;
        m_background->done.erase(found);
        return image;
    }
    *pending = true;
    if (m_background->running.contains(key))
        return QImage();
    m_background->running.insert(key);
    QObject *home = QCoreApplication::instance();
    QThreadPool::globalInstance()->start([background = m_background, key, path, fitInto, home] {
        QString why;
        const QImage image = readBoundedPicture(path, fitInto, &why);
        {
            std::lock_guard lock(background->mutex);
            background->running.remove(key);
            // A picture that cannot be read is a miss at the next drawing, logged there once.
            background->done.insert(key, image);
        }
        if (!image.isNull() || !why.isEmpty())
            QMetaObject::invokeMethod(home, [background] {
                std::function<void()> decoded;
                {
                    std::lock_guard lock(background->mutex);
                    decoded = background->decoded;
                }
                if (decoded)
                    decoded();
            });
    });
    return QImage();
}

void CCPictImageResolver::setClipArtFolders(const QString &images, const QString &thumbnails)
{
    m_clipArtPath = images;
    m_thumbClipArtPath = thumbnails;
}

QString CCPictImageResolver::inside(const QString &folder, const QString &relative)
{
    if (folder.isEmpty() || relative.isEmpty() || QDir::isAbsolutePath(relative))
        return {};
    const QString base = QDir::cleanPath(folder);
    const QString path = QDir::cleanPath(base + u'/' + relative);
    if (!path.startsWith(base + u'/'))
        return {};
    return path;
}

QImage CCPictImageResolver::readBoundedPicture(const QString &path, const QSize &fitInto, QString *why)
{
    const QFileInfo info(path);
    // A pipe or a device would block the reader, a folder has nothing to read.
    if (!info.isFile()) {
        if (why)
            *why = QStringLiteral("not a regular file");
        return QImage();
    }
    if (info.size() > PWFileReader::kImageLimit) {
        if (why)
            *why = QStringLiteral("file too large");
        return QImage();
    }
    QImageReader reader(path);
    return readBounded(reader, fitInto, nullptr, why);
}

QImage CCPictImageResolver::decodeBoundedPicture(const QByteArray &bytes, const QSize &fitInto, QSize *fullSize,
                                                 QString *why)
{
    if (bytes.size() > PWFileReader::kImageLimit) {
        if (why)
            *why = QStringLiteral("picture data too large");
        return QImage();
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return readBounded(reader, fitInto, fullSize, why);
}

QImage CCPictImageResolver::readBounded(QImageReader &reader, const QSize &fitInto, QSize *fullSize, QString *why)
{
    const auto fail = [why](const QString &reason) {
        if (why)
            *why = reason;
        return QImage();
    };
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead())
        return fail(QStringLiteral("not a picture Qt can read"));
    // Qt's SVG reader opens the files an SVG names, even to tell its size: an SVG is drawn apart,
    // from a copy that names none (the callers bounded the bytes already).
    if (PWSvgPicture::isSvgFormat(reader.format())) {
        QIODevice *device = reader.device();
        if (!device || (!device->isSequential() && !device->seek(0)))
            return fail(QStringLiteral("the SVG cannot be read"));
        QString error;
        const std::shared_ptr<PWImage> drawn = PWImage::fromData(device->read(PWFileReader::kImageLimit), &error);
        if (!drawn)
            return fail(error);
        const QSize whole = drawn->pixelSize();
        if (fullSize)
            *fullSize = whole;
        const QSize fitted = fitInto.isValid() && (whole.width() > fitInto.width() || whole.height() > fitInto.height())
                                 ? whole.scaled(fitInto, Qt::KeepAspectRatio).expandedTo(QSize(1, 1))
                                 : whole;
        return drawn->toImage(fitted);
    }
    const QSize size = reader.size();
    if (size.isValid()) {
        if (size.width() > kMaxPictureSide || size.height() > kMaxPictureSide
            || qint64(size.width()) * size.height() > kMaxPicturePixels)
            return fail(QStringLiteral("picture too large (%1 x %2 pixels)").arg(size.width()).arg(size.height()));
        if (fitInto.isValid() && (size.width() > fitInto.width() || size.height() > fitInto.height()))
            reader.setScaledSize(size.scaled(fitInto, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    }
    QImage image = reader.read();
    if (image.isNull())
        return fail(reader.errorString());
    if (fullSize)
        *fullSize = size.isValid() ? size : image.size();
    if (fitInto.isValid() && (image.width() > fitInto.width() || image.height() > fitInto.height()))
        image = image.scaled(fitInto, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

QImage CCPictImageResolver::bundleImage(const QString &name)
{
    static QHash<QString, QImage> drawn;
    const auto found = drawn.constFind(name);
    if (found != drawn.constEnd())
        return *found;
    QSvgRenderer renderer(QStringLiteral(":/bundle/Images/%1.svg").arg(name));
    QImage image;
    if (renderer.isValid()) {
        image = QImage(renderer.defaultSize(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
    }
    drawn.insert(name, image);
    return image;
}

std::shared_ptr<PWImage> CCPictImageResolver::readPictureFile(const QString &path, const QSizeF &area,
                                                              bool *pending) const
{
    // A pipe or a device would block whoever opens it.
    if (!QFileInfo(path).isFile())
        return nullptr;
    if (QFileInfo(path).suffix().compare(u"hpi", Qt::CaseInsensitive) == 0)
        return loadHemeraImage(path);
    // Bitmaps are decoded reduced to the cell, within the pixel limits; the image type's own
    // bounded reader takes what Qt's readers do not know (PDF, EPS).
    if (!QImageReader::imageFormat(path).isEmpty()) {
        const QSize fitInto = (area * 2.0).toSize();
        // An SVG is drawn by a child process: never on this thread, and never asked its size here.
        const bool svg = PWSvgPicture::isSvgFormat(QImageReader::imageFormat(path));
        const QSize declared = svg ? QSize() : QImageReader(path).size();
        const bool large = svg || (declared.isValid() && qint64(declared.width()) * declared.height() > kBackgroundDecodePixels);
        const QImage bitmap = large ? decodeInBackground(path, fitInto, pending) : readBoundedPicture(path, fitInto);
        auto image = PWImage::fromQImage(bitmap);
        if (image)
            image->setSize(QSizeF(bitmap.size()));
        return image;
    }
    auto image = PWImage::fromFile(path);
    if (!image || !image->isValid())
        return nullptr;
    return image;
}

std::shared_ptr<PWImage> CCPictImageResolver::resolve(const QString &reference, const QSizeF &area)
{
    if (reference.isEmpty())
        return nullptr;
    if (auto named = PWImage::imageNamed(reference))
        return named;
    if (auto named = PWImage::imageNamed(kFullSizePrefix + reference))
        return named;

    std::shared_ptr<PWImage> image;
    bool pending = false;
    if (reference == kLoading) {
        // Kept for the whole process: the registry does not own it, and every placeholder
        // of every catalogue shares it.
        static const std::shared_ptr<PWImage> loading = [] {
            auto made = PWImage::fromQImage(bundleImage(kLoading));
            if (made)
                made->setName(kLoading);
            return made;
        }();
        image = loading;
    } else if (reference.startsWith(kFilePrefix)) {
        image = readPictureFile(reference.mid(kFilePrefix.size()), area, &pending);
    } else if (!reference.startsWith(kUrlPrefix)) {
        const QString thumbnail = inside(m_thumbClipArtPath, reference);
        if (!thumbnail.isEmpty()) {
            const QFileInfo info(thumbnail);
            const QString jpg = info.path() + u'/' + info.completeBaseName() + QStringLiteral(".jpg");
            if (QFileInfo(jpg).isFile()) {
                const QImage bitmap = readBoundedPicture(jpg, (area * 2.0).toSize());
                if (!bitmap.isNull()) {
                    image = PWImage::fromQImage(bitmap);
                    // Registered under the reference itself so that every other cell finds the
                    // thumbnail without reading it again; a drag asks for the full-size name.
                    if (image)
                        image->setName(reference);
                }
            }
        }
        if (!image) {
            const QString full = inside(m_clipArtPath, reference);
            // Read reduced to the cell: not registered under the full-size name, which would
            // hand the drag a thumbnail instead of the picture.
            if (!full.isEmpty() && QFileInfo(full).isFile())
                image = readPictureFile(full, area, &pending);
        }
    }
    if (!image || !image->isValid()) {
        if (!pending && !m_loggedMissing.contains(reference)) {
            m_loggedMissing.insert(reference);
            qCWarning(lcPictures, "No ClipArt image reference '%s' found", qUtf8Printable(reference));
        }
        return nullptr;
    }
    return image;
}
