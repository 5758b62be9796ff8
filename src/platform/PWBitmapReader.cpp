#include "platform/PWBitmapReader.h"

#include "platform/PWIsolatedCall.h"
#include "platform/PWPictureRenderer.h"

#include <QBuffer>
#include <QDataStream>
#include <QImageReader>
#include <QtEndian>

#include <cmath>
#include <cstring>
#include <new>

namespace {

constexpr char kReducedJob[] = "bitmap-reduced";
// Memory a reduced decoding may take apart: the whole picture once, and the reduced copy.
constexpr qint64 kApartMemory = qint64(1536) * 1024 * 1024;
constexpr int kApartAllocationMB = 1024;
constexpr int kHeaderBytes = 17;

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

QByteArray decodeReducedHere(const QByteArray &request)
{
    QByteArray bytes;
    qint64 maxPixels = 0;
    QDataStream in(request);
    in >> maxPixels >> bytes;
    if (in.status() != QDataStream::Ok || maxPixels <= 0)
        return failureAnswer(QStringLiteral("the request was damaged"));
    // This process decodes one picture and ends: the limit is its own.
    QImageReader::setAllocationLimit(kApartAllocationMB);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (size.isValid())
        reader.setScaledSize(reducedSize(size, maxPixels));
    QImage image;
    if (!reader.read(&image))
        return failureAnswer(QStringLiteral("the bitmap does not decode: %1").arg(reader.errorString()));
    if (double(image.width()) * image.height() > double(maxPixels))
        image = image.scaled(reducedSize(image.size(), maxPixels), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (pixels.isNull())
        return failureAnswer(QStringLiteral("there is not enough memory for the picture"));
    QByteArray answer(kHeaderBytes + qsizetype(pixels.width()) * pixels.height() * 4, Qt::Uninitialized);
    answer[0] = 'I';
    const QSize whole = size.isValid() ? size : pixels.size();
    const quint32 header[] = {quint32(whole.width()), quint32(whole.height()), quint32(pixels.width()),
                              quint32(pixels.height())};
    for (int i = 0; i < 4; ++i)
        qToLittleEndian(header[i], answer.data() + 1 + 4 * i);
    char *at = answer.data() + kHeaderBytes;
    for (int y = 0; y < pixels.height(); ++y, at += pixels.width() * 4)
        std::memcpy(at, pixels.constScanLine(y), size_t(pixels.width()) * 4);
    // The resolution the file states goes with the pixels.
    QDataStream tail(&answer, QIODevice::Append);
    tail << qint32(image.dotsPerMeterX()) << qint32(image.dotsPerMeterY());
    return answer;
}

[[maybe_unused]] const bool kJobRegistered = PWIsolatedCall::registerJob(kReducedJob, &decodeReducedHere);

// --- the caller's side -----------------------------------------------------------------------

// The reduced pixels, with the picture's whole size; or a reason.
std::optional<PWImageRep> decodeApart(const QByteArray &bytes, QString *reason)
{
    QByteArray request;
    QDataStream out(&request, QIODevice::WriteOnly);
    out << qint64(PWBitmapReader::kMaxDrawnPixels) << bytes;
    PWIsolatedCall::Limits limits;
    limits.deadlineMs = PWPictureRenderer::deadlineMs();
    limits.memoryBytes = kApartMemory;
    limits.answerBytes = kHeaderBytes + PWBitmapReader::kMaxDrawnPixels * 4 + 16;
    const PWIsolatedCall::Outcome outcome = PWIsolatedCall::run(kReducedJob, request, limits);
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
        || answer.size() != kHeaderBytes + pixelBytes + 8) {
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
    return PWImageRep::fromEncodedBitmap(bytes, pixels, QSize(int(header[0]), int(header[1])));
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
    const QSize size = reader.size();
    // Points of an unreadable picture: its pixels at 72 per inch, where it states them.
    const QSizeF points = size.isValid() && size.width() > 0 && size.height() > 0 ? QSizeF(size) : QSizeF();
    QString reason;
    if (size.isValid() && double(size.width()) * size.height() > double(kMaxDrawnPixels)) {
        if (std::optional<PWImageRep> reduced = decodeApart(bytes, &reason))
            return reduced;
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
