#include "platform/PWBitmapReader.h"

#include "platform/PWIsolatedCall.h"
#include "platform/PWPictureRenderer.h"
#include "platform/PWSvgPicture.h"
#include "platform/PWSvgPictureDrawing.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QHash>
#include <QImageReader>
#include <QtEndian>

#include <cmath>
#include <cstring>
#include <mutex>
#include <new>

namespace {

constexpr char kReducedJob[] = "bitmap-reduced";
constexpr char kSvgJob[] = "svg-drawn";
// Memory a reduced decoding may take apart: the whole picture once, and the reduced copy.
constexpr qint64 kApartMemory = qint64(1536) * 1024 * 1024;
constexpr int kApartAllocationMB = 1024;
constexpr int kHeaderBytes = 17;
// A picture of up to this many pixels is decoded whole as it is read, and kept: no drawing of it
// takes much less.
constexpr qint64 kKeptWholePixels = qint64(512) * 512;
// A larger one is decoded to at most this many pixels as it is read, to know that it decodes; its
// drawings decode it at their own scale (PWBitmapDecodes).
constexpr qint64 kTrialPixels = qint64(256) * 256;

void setError(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
}

// The size that holds at most maxPixels with the proportions of size.
QSize reducedSize(const QSize &size, qint64 maxPixels)
{
    const double pixels = double(size.width()) * size.height();
    if (pixels <= double(maxPixels))
        return size;
    const double shrink = std::sqrt(double(maxPixels) / pixels);
    return QSize(std::max(1, int(std::floor(size.width() * shrink))), std::max(1, int(std::floor(size.height() * shrink))));
}

// --- the child's side ------------------------------------------------------------------------

QByteArray failureAnswer(const QString &reason)
{
    return "E" + reason.left(300).toUtf8();
}

bool readRequest(const QByteArray &request, QByteArray *bytes, qint64 *maxPixels)
{
    QDataStream in(request);
    in >> *maxPixels >> *bytes;
    return in.status() == QDataStream::Ok && *maxPixels > 0;
}

// The picture decoded, at most maxPixels, in the format given (empty: the one its bytes name),
// with its whole size; null, with a reason, when it does not decode. With a scaled size, the part
// clip of it (its whole where clip is empty) is decoded to that size.
QImage decodeImage(QByteArray bytes, qint64 maxPixels, const QByteArray &format, QSize *whole, QString *reason,
                   const QRect &clip = QRect(), const QSize &scaled = QSize())
{
    // This process decodes one picture and ends: the limit is its own.
    QImageReader::setAllocationLimit(kApartAllocationMB);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    const QSize size = reader.size();
    if (size.isValid() && !scaled.isEmpty()) {
        if (!clip.isEmpty() && clip != QRect(QPoint(0, 0), size))
            reader.setClipRect(clip);
        reader.setScaledSize(reducedSize(scaled, maxPixels));
    } else if (size.isValid()) {
        reader.setScaledSize(reducedSize(size, maxPixels));
    }
    QImage image;
    const bool svg = PWSvgPicture::isSvgFormat(format);
    if (!reader.read(&image)) {
        *reason = (svg ? QStringLiteral("the SVG does not draw: %1") : QStringLiteral("the bitmap does not decode: %1"))
                      .arg(reader.errorString());
        return QImage();
    }
    // An SVG that states neither a size nor a view box draws as no pixels at all.
    if (image.isNull()) {
        *reason = QStringLiteral("the picture has no size to be drawn at");
        return QImage();
    }
    if (double(image.width()) * image.height() > double(maxPixels))
        image = image.scaled(reducedSize(image.size(), maxPixels), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    // The pixels go back without their colour space: in the colours they are drawn in.
    QImage pixels = PWImageRep::inOutputColours(image).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (pixels.isNull()) {
        *reason = QStringLiteral("there is not enough memory for the picture");
        return QImage();
    }
    *whole = size.isValid() ? size : pixels.size();
    return pixels;
}

// The answer of a decoding apart. An SVG states no resolution: its pixels are points.
QByteArray decodeHere(const QByteArray &bytes, qint64 maxPixels, const QByteArray &format, const QRect &clip = QRect(),
                      const QSize &scaled = QSize())
{
    const bool statesResolution = !PWSvgPicture::isSvgFormat(format);
    QSize whole;
    QString reason;
    const QImage pixels = decodeImage(bytes, maxPixels, format, &whole, &reason, clip, scaled);
    if (pixels.isNull())
        return failureAnswer(reason);
    QByteArray answer(kHeaderBytes + qsizetype(pixels.width()) * pixels.height() * 4, Qt::Uninitialized);
    answer[0] = 'I';
    const quint32 header[] = {quint32(whole.width()), quint32(whole.height()), quint32(pixels.width()),
                              quint32(pixels.height())};
    for (int i = 0; i < 4; ++i)
        qToLittleEndian(header[i], answer.data() + 1 + 4 * i);
    char *at = answer.data() + kHeaderBytes;
    for (int y = 0; y < pixels.height(); ++y, at += pixels.width() * 4)
        std::memcpy(at, pixels.constScanLine(y), size_t(pixels.width()) * 4);
    // The resolution the file states goes with the pixels.
    QDataStream tail(&answer, QIODevice::Append);
    tail << qint32(statesResolution ? pixels.dotsPerMeterX() : 0) << qint32(statesResolution ? pixels.dotsPerMeterY() : 0);
    return answer;
}

// The XML of an SVG as Qt's reader may be given it, drawn from this process's own empty folder.
std::optional<QByteArray> safeSvg(const QByteArray &bytes, QString *reason)
{
    QDir::setCurrent(QDir::tempPath());
    std::optional<QByteArray> safe = PWSvgPicture::withoutExternalReferences(bytes, reason);
    if (safe)
        PWSvgPicture::prepareToDrawText();
    return safe;
}

// A bitmap's part decoded to the size asked, within the most pixels asked.
QByteArray decodeReducedHere(const QByteArray &request)
{
    QByteArray bytes;
    qint64 maxPixels = 0;
    QRect clip;
    QSize scaled;
    QDataStream in(request);
    in >> maxPixels >> bytes >> clip >> scaled;
    if (in.status() != QDataStream::Ok || maxPixels <= 0)
        return failureAnswer(QStringLiteral("the request was damaged"));
    return decodeHere(bytes, maxPixels, QByteArray(), clip, scaled);
}

// An SVG is drawn from its copy without references outside it, with fonts for its texts, in this
// child's own empty folder.
QByteArray drawSvgHere(const QByteArray &request)
{
    QByteArray bytes;
    qint64 maxPixels = 0;
    if (!readRequest(request, &bytes, &maxPixels))
        return failureAnswer(QStringLiteral("the request was damaged"));
    QString reason;
    const std::optional<QByteArray> safe = safeSvg(bytes, &reason);
    if (!safe)
        return failureAnswer(reason);
    QByteArray answer = decodeHere(*safe, maxPixels, "svg");
    // Its paths go with its pixels, for drawings at any resolution.
    if (answer.startsWith('I')) {
        QDataStream tail(&answer, QIODevice::Append);
        tail << PWSvgPictureDrawing::record(*safe);
    }
    return answer;
}

[[maybe_unused]] const bool kJobsRegistered =
    PWIsolatedCall::registerJob(kReducedJob, &decodeReducedHere) && PWIsolatedCall::registerJob(kSvgJob, &drawSvgHere);

// --- the caller's side -----------------------------------------------------------------------

// The reduced pixels, with the picture's whole size; or a reason. A bitmap's are those of its
// part clip decoded to the size scaled; empty, the whole picture within kMaxDrawnPixels.
std::optional<PWImageRep> decodeApart(const char *job, const QByteArray &bytes, QString *reason,
                                      bool *transient = nullptr, const QRect &clip = QRect(),
                                      const QSize &scaled = QSize())
{
    QByteArray request;
    QDataStream out(&request, QIODevice::WriteOnly);
    out << qint64(PWBitmapReader::kMaxDrawnPixels) << bytes;
    if (std::strcmp(job, kReducedJob) == 0)
        out << clip << scaled;
    PWIsolatedCall::Limits limits;
    limits.deadlineMs = PWPictureRenderer::deadlineMs();
    limits.memoryBytes = kApartMemory;
    const bool svg = std::strcmp(job, kSvgJob) == 0;
    limits.answerBytes = kHeaderBytes + PWBitmapReader::kMaxDrawnPixels * 4 + 16
                         + (svg ? PWSvgPictureDrawing::kMaxBytes + 64 : 0);
    const PWIsolatedCall::Outcome outcome = PWIsolatedCall::run(job, request, limits);
    if (transient)
        *transient = outcome.transient;
    if (!outcome.ok) {
        *reason = outcome.reason;
        return std::nullopt;
    }
    const QByteArray &answer = outcome.answer;
    if (answer.startsWith('E')) {
        *reason = QString::fromUtf8(answer.sliced(1).left(300)).simplified();
        return std::nullopt;
    }
    quint32 header[4] = {};
    if (answer.size() >= kHeaderBytes && answer[0] == 'I')
        for (int i = 0; i < 4; ++i)
            header[i] = qFromLittleEndian<quint32>(answer.constData() + 1 + 4 * i);
    const qint64 pixelBytes = qint64(header[2]) * header[3] * 4;
    if (header[0] == 0 || header[1] == 0 || header[2] == 0 || header[3] == 0 || header[0] > INT_MAX
        || header[1] > INT_MAX || qint64(header[2]) * header[3] > PWBitmapReader::kMaxDrawnPixels
        || (svg ? answer.size() < kHeaderBytes + pixelBytes + 12 : answer.size() != kHeaderBytes + pixelBytes + 8)) {
        *reason = QStringLiteral("the decoder's answer was damaged");
        return std::nullopt;
    }
    QImage pixels(static_cast<int>(header[2]), static_cast<int>(header[3]), QImage::Format_ARGB32_Premultiplied);
    if (pixels.isNull()) {
        *reason = QStringLiteral("there is not enough memory for the picture");
        return std::nullopt;
    }
    const char *at = answer.constData() + kHeaderBytes;
    for (int y = 0; y < pixels.height(); ++y, at += pixels.width() * 4)
        std::memcpy(pixels.scanLine(y), at, size_t(pixels.width()) * 4);
    QDataStream tail(answer.sliced(kHeaderBytes + pixelBytes));
    qint32 dpmX = 0, dpmY = 0;
    tail >> dpmX >> dpmY;
    if (dpmX > 0 && dpmY > 0) {
        pixels.setDotsPerMeterX(dpmX);
        pixels.setDotsPerMeterY(dpmY);
    }
    PWImageRep rep = PWImageRep::fromEncodedBitmap(bytes, pixels, QSize(int(header[0]), int(header[1])));
    if (svg) {
        // Without a sound recording of its paths, the picture is drawn from its pixels.
        QByteArray recording;
        tail >> recording;
        if (tail.status() == QDataStream::Ok && tail.atEnd() && !recording.isEmpty())
            rep.setVectorDrawing(PWSvgPictureDrawing::read(recording));
    }
    return rep;
}

// SVG pictures drawn apart, by the digest of their bytes: the same picture read again (a copy of
// the design, the next document) starts no child, and one that failed fails at once, unless it
// failed for the moment (a loaded machine's clock, no child): that one is drawn again.
class SvgDrawings
{
public:
    static SvgDrawings &instance()
    {
        static SvgDrawings drawings;
        return drawings;
    }
    std::optional<PWImageRep> find(const QByteArray &digest)
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_drawn.constFind(digest);
        return it == m_drawn.cend() ? std::nullopt : std::optional<PWImageRep>(*it);
    }
    void insert(const QByteArray &digest, const PWImageRep &rep)
    {
        std::lock_guard lock(m_mutex);
        const qint64 bytes = rep.bitmap().sizeInBytes() + rep.data().size()
                             + (rep.vectorDrawing() ? rep.vectorDrawing()->sizeInBytes() : 0);
        if (m_drawn.size() >= kKept || m_bytes + bytes > kKeptBytes) {
            m_drawn.clear();
            m_bytes = 0;
        }
        m_drawn.insert(digest, rep);
        m_bytes += bytes;
    }

private:
    static constexpr qsizetype kKept = 256;
    static constexpr qint64 kKeptBytes = qint64(256) * 1024 * 1024;
    std::mutex m_mutex;
    QHash<QByteArray, PWImageRep> m_drawn;
    qint64 m_bytes = 0;
};

// Never handed to Qt's SVG reader here: it reads the files an SVG names.
PWImageRep readSvg(const QByteArray &bytes)
{
    const QByteArray digest = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
    if (std::optional<PWImageRep> known = SvgDrawings::instance().find(digest))
        return *known;
    QString reason;
    bool transient = false;
    std::optional<PWImageRep> drawn = decodeApart(kSvgJob, bytes, &reason, &transient);
    const PWImageRep rep = drawn ? *drawn : PWImageRep::unreadable(PWImageRep::Kind::Bitmap, bytes, reason, QSizeF());
    if (drawn || !transient)
        SvgDrawings::instance().insert(digest, rep);
    return rep;
}

} // namespace

std::optional<PWImageRep> PWBitmapReader::read(const QByteArray &bytes, QString *error)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (reader.format().isEmpty()) {
        setError(error, QStringLiteral("not a picture: %1").arg(reader.errorString()));
        return std::nullopt;
    }
    if (PWSvgPicture::isSvgFormat(reader.format()))
        return readSvg(bytes);
    const QSize size = reader.size();
    // Points of an unreadable picture: its pixels at 72 per inch, where it states them.
    const bool sized = size.isValid() && size.width() > 0 && size.height() > 0;
    const QSizeF points = sized ? QSizeF(size) : QSizeF();
    QString reason;
    if (sized && qint64(size.width()) * size.height() > kKeptWholePixels) {
        // Its layout as the file states it, before any pixel is decoded.
        const QImage::Format format = reader.imageFormat();
        const bool apart = qint64(size.width()) * size.height() > kMaxDrawnPixels;
        QImage trial;
        if (apart) {
            if (std::optional<PWImageRep> tried =
                    decodeApart(kReducedJob, bytes, &reason, nullptr, QRect(), reducedSize(size, kTrialPixels)))
                trial = tried->bitmap();
        } else {
            reader.setScaledSize(reducedSize(size, kTrialPixels));
            try {
                if (!reader.read(&trial))
                    reason = QStringLiteral("the bitmap does not decode: %1").arg(reader.errorString());
            } catch (const std::bad_alloc &) {
                reason = QStringLiteral("there is not enough memory for the picture");
            }
        }
        if (!trial.isNull())
            return PWImageRep::fromEncodedBytes(bytes, size, trial, format == QImage::Format_Invalid ? trial.format() : format,
                                                apart);
    } else {
        // Within Qt's own allocation limit, which bounds a size the header does not state.
        QImage pixels;
        try {
            if (reader.read(&pixels))
                return PWImageRep::fromEncodedBitmap(bytes, pixels, pixels.size());
            reason = QStringLiteral("the bitmap does not decode: %1").arg(reader.errorString());
        } catch (const std::bad_alloc &) {
            reason = QStringLiteral("there is not enough memory for the picture");
        }
    }
    return PWImageRep::unreadable(PWImageRep::Kind::Bitmap, bytes, reason, points);
}

QImage PWBitmapReader::decodePart(const QByteArray &bytes, const QRect &clip, const QSize &scaled, bool apart,
                                  bool outputColours, QString *error)
{
    if (apart) {
        QString reason;
        std::optional<PWImageRep> part = decodeApart(kReducedJob, bytes, &reason, nullptr, clip, scaled);
        if (!part) {
            setError(error, reason);
            return QImage();
        }
        return part->bitmap();
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (size.isValid() && !clip.isEmpty() && clip != QRect(QPoint(0, 0), size))
        reader.setClipRect(clip);
    if (!scaled.isEmpty())
        reader.setScaledSize(scaled);
    // A reader that cannot decode reduced decodes the whole part first.
    const QSize part = clip.isEmpty() ? size : clip.size();
    const QSize made = scaled.isEmpty() || !reader.supportsOption(QImageIOHandler::ScaledSize) ? part : scaled;
    QImage image;
    try {
        if (reader.read(&image))
            return outputColours ? PWImageRep::inOutputColours(image) : image;
        image = QImage();
        // These bytes decoded when they were read: what fails now is memory, unless even a
        // bitmap of that size cannot be had.
        if (QImage(made.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied).isNull()) {
            setError(error, QStringLiteral("the picture is too large to draw in the memory left (%1 x %2 pixels)")
                                .arg(made.width())
                                .arg(made.height()));
            return QImage();
        }
        setError(error, QStringLiteral("the bitmap does not decode: %1").arg(reader.errorString()));
    } catch (const std::bad_alloc &) {
        setError(error, QStringLiteral("the picture is too large to draw in the memory left (%1 x %2 pixels)")
                            .arg(made.width())
                            .arg(made.height()));
    }
    return QImage();
}

QImage PWBitmapReader::drawSvgHere(const QByteArray &bytes, QString *error)
{
    QString reason;
    QSize whole;
    const std::optional<QByteArray> safe = safeSvg(bytes, &reason);
    QImage pixels = safe ? decodeImage(*safe, kMaxDrawnPixels, "svg", &whole, &reason) : QImage();
    if (pixels.isNull())
        setError(error, reason);
    return pixels;
}
