#include "platform/PWImageRep.h"

#include "platform/PWBitmapDecodes.h"
#include "platform/PWBitmapReader.h"
#include "platform/PWEpsRenderer.h"
#include "platform/PWIsolatedCall.h"
#include "platform/PWLog.h"
#include "platform/PWPictureRenderer.h"
#include "platform/PWSvgPicture.h"
#include "platform/PWSvgPictureDrawing.h"

#include <QColorSpace>
#include <QCryptographicHash>
#include <QHash>
#include <QPainter>
#include <QtEndian>

#include <poppler-qt6.h>

#include <cmath>
#include <mutex>

Q_LOGGING_CATEGORY(lcImageRep, "pw.platform.image")

namespace {

// Beyond this many pixels a side the resolution of a PDF rendering is lowered rather than asking
// poppler for a bitmap the size of a wall.
constexpr double kMaxRenderedSide = 16384;

// Poppler reports every oddity of a PDF on standard error; route it to our log, where it shows
// only in debug mode.
void popplerMessage(const QString &message, const QVariant &)
{
    PWLog::debug(lcImageRep(), QStringLiteral("poppler: %1").arg(message));
}

void routePopplerMessages()
{
    static std::once_flag once;
    std::call_once(once, [] { Poppler::setDebugErrorFunction(popplerMessage, QVariant()); });
}

void setError(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
}

// The resolution every QImage gets when its file states none: the screen's, not the file's.
int unstatedDotsPerMeter()
{
    return QImage(1, 1, QImage::Format_RGB32).dotsPerMeterX();
}

double dotsPerInch(int dotsPerMeter)
{
    if (dotsPerMeter <= 0 || dotsPerMeter == unstatedDotsPerMeter())
        return 72.0;
    return dotsPerMeter * 0.0254;
}

// The four numbers of a "%%BoundingBox:" line, or nothing for "(atend)" or a malformed line.
std::optional<QRectF> parseBoundingBox(const QByteArray &line)
{
    const QList<QByteArray> fields = line.mid(14).simplified().split(' ');
    if (fields.size() != 4)
        return std::nullopt;
    double values[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = fields.at(i).toDouble(&ok); // QByteArray parses in the C locale
        if (!ok || !std::isfinite(values[i]))
            return std::nullopt;
    }
    const QRectF box(values[0], values[1], values[2] - values[0], values[3] - values[1]);
    if (!(box.width() > 0) || !(box.height() > 0))
        return std::nullopt;
    return box;
}

constexpr char kPageSizeJob[] = "pdf-page-size";
constexpr qint64 kPageSizeMemory = qint64(512) * 1024 * 1024;

// In the child: "S" and the first page's width and height in points, or "E" and why not.
QByteArray pageSizeHere(const QByteArray &bytes)
{
    routePopplerMessages();
    const std::unique_ptr<Poppler::Document> document = Poppler::Document::loadFromData(bytes);
    if (!document)
        return "Enot a PDF document";
    if (document->isLocked())
        return "Ethe PDF document is locked";
    std::unique_ptr<Poppler::Page> page;
    if (document->numPages() < 1 || !(page = document->page(0)))
        return "Ethe PDF document has no pages";
    const QSizeF size = page->pageSizeF();
    return "S" + QByteArray::number(size.width(), 'g', 17) + ' ' + QByteArray::number(size.height(), 'g', 17);
}

[[maybe_unused]] const bool kJobRegistered = PWIsolatedCall::registerJob(kPageSizeJob, &pageSizeHere);

// Page sizes read apart, by the digest of the PDF's bytes: the same picture opened again (clip
// art, a copy, the next document) starts no child.
class PageSizes
{
public:
    static PageSizes &instance()
    {
        static PageSizes sizes;
        return sizes;
    }
    std::optional<QSizeF> find(const QByteArray &digest)
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_sizes.constFind(digest);
        return it == m_sizes.cend() ? std::nullopt : std::optional<QSizeF>(*it);
    }
    void insert(const QByteArray &digest, const QSizeF &size)
    {
        std::lock_guard lock(m_mutex);
        if (m_sizes.size() >= kKept)
            m_sizes.clear();
        m_sizes.insert(digest, size);
    }

private:
    static constexpr qsizetype kKept = 4096;
    std::mutex m_mutex;
    QHash<QByteArray, QSizeF> m_sizes;
};

} // namespace

struct PWImageRep::RenderState
{
    std::mutex mutex;
    // Pixel size of the raster the last drawing used.
    QSize lastRendered;
};

PWImageRep::PWImageRep(Kind kind)
    : m_kind(kind)
{
}

PWImageRep::~PWImageRep() = default;

PWImageRep PWImageRep::fromBitmap(const QImage &image)
{
    const double dpiX = dotsPerInch(image.dotsPerMeterX());
    const double dpiY = dotsPerInch(image.dotsPerMeterY());
    return fromBitmap(image, QSizeF(image.width() * 72.0 / dpiX, image.height() * 72.0 / dpiY));
}

QImage PWImageRep::inOutputColours(const QImage &image)
{
    const QColorSpace space = image.colorSpace();
    if (image.isNull() || !space.isValid() || space == QColorSpace(QColorSpace::SRgb))
        return image;
    QImage converted = image;
    // Qt converts the colours of these formats only.
    switch (converted.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGBX64:
    case QImage::Format_RGBA64:
    case QImage::Format_RGBA64_Premultiplied:
        break;
    default:
        converted = converted.convertToFormat(converted.depth() > 32 ? QImage::Format_RGBA64
                                              : converted.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                            : QImage::Format_RGB32);
        break;
    }
    converted.convertToColorSpace(QColorSpace::SRgb);
    return converted.isNull() ? image : converted;
}

PWImageRep PWImageRep::fromBitmap(const QImage &image, const QSizeF &pointSize)
{
    PWImageRep rep(Kind::Bitmap);
    rep.m_bitmap = image;
    rep.m_shown = inOutputColours(image);
    rep.m_size = pointSize;
    return rep;
}

PWImageRep PWImageRep::fromEncodedBitmap(const QByteArray &bytes, const QImage &pixels, const QSize &pixelSize)
{
    const QSize whole = pixelSize.isEmpty() ? pixels.size() : pixelSize;
    // The resolution the file states, which the reduced pixels keep.
    const double dpiX = dotsPerInch(pixels.dotsPerMeterX());
    const double dpiY = dotsPerInch(pixels.dotsPerMeterY());
    PWImageRep rep = fromBitmap(pixels, QSizeF(whole.width() * 72.0 / dpiX, whole.height() * 72.0 / dpiY));
    rep.m_data = bytes;
    rep.m_pixelSize = whole;
    return rep;
}

PWImageRep PWImageRep::fromEncodedBytes(const QByteArray &bytes, const QSize &pixelSize, const QImage &trial,
                                        QImage::Format format, bool apart)
{
    const double dpiX = dotsPerInch(trial.dotsPerMeterX());
    const double dpiY = dotsPerInch(trial.dotsPerMeterY());
    PWImageRep rep(Kind::Bitmap);
    rep.m_size = QSizeF(pixelSize.width() * 72.0 / dpiX, pixelSize.height() * 72.0 / dpiY);
    rep.m_data = bytes;
    rep.m_pixelSize = pixelSize;
    rep.m_deferred = true;
    rep.m_apart = apart;
    rep.m_format = format;
    rep.m_digest = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
    return rep;
}

QImage PWImageRep::bitmap() const
{
    if (!m_deferred || !isReadable())
        return m_bitmap;
    const QSize whole = m_pixelSize;
    QSize size = whole;
    const double pixels = double(whole.width()) * whole.height();
    if (pixels > double(PWBitmapReader::kMaxDrawnPixels)) {
        const double shrink = std::sqrt(double(PWBitmapReader::kMaxDrawnPixels) / pixels);
        size = QSize(std::max(1, int(whole.width() * shrink)), std::max(1, int(whole.height() * shrink)));
    }
    QString reason;
    QImage decoded = PWBitmapReader::decodePart(m_data, QRect(), size == whole ? QSize() : size, m_apart, false, &reason);
    if (decoded.isNull())
        PWLog::debug(lcImageRep(), QStringLiteral("bitmap of %1 bytes not decoded: %2").arg(m_data.size()).arg(reason));
    return decoded;
}

bool PWImageRep::isReduced() const
{
    if (m_kind != Kind::Bitmap || !isReadable())
        return false;
    if (m_deferred)
        return m_apart;
    return !m_pixelSize.isEmpty() && m_bitmap.size() != m_pixelSize;
}

QImage::Format PWImageRep::layoutFormat() const
{
    return m_deferred ? m_format : m_bitmap.format();
}

PWImageRep PWImageRep::unreadable(Kind kind, const QByteArray &bytes, const QString &reason, const QSizeF &size)
{
    PWImageRep rep(kind);
    rep.m_data = bytes;
    rep.m_size = size.isEmpty() ? QSizeF(72, 72) : size;
    rep.m_box = QRectF(QPointF(0, 0), rep.m_size);
    rep.m_failure = reason.isEmpty() ? QStringLiteral("the picture cannot be read") : reason;
    rep.m_digest = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
    return rep;
}

std::optional<PWImageRep> PWImageRep::fromPDF(const QByteArray &input, QString *error)
{
    // Poppler and this representation keep the bytes: never a view into someone else's buffer.
    const QByteArray bytes(input.constData(), input.size());
    const QByteArray digest = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
    std::optional<QSizeF> size = PageSizes::instance().find(digest);
    if (!size) {
        // Even reading the page size can take poppler as long as a rendering: it is done apart.
        PWIsolatedCall::Limits limits;
        limits.deadlineMs = PWPictureRenderer::deadlineMs();
        limits.memoryBytes = kPageSizeMemory;
        limits.answerBytes = 1024;
        const PWIsolatedCall::Outcome outcome = PWIsolatedCall::run(kPageSizeJob, bytes, limits);
        if (!outcome.ok) {
            setError(error, outcome.reason);
            return std::nullopt;
        }
        if (!outcome.answer.startsWith('S')) {
            setError(error, QString::fromUtf8(outcome.answer.sliced(std::min<qsizetype>(1, outcome.answer.size()))));
            return std::nullopt;
        }
        const QList<QByteArray> numbers = outcome.answer.sliced(1).split(' ');
        bool okW = false, okH = false;
        size = QSizeF(numbers.value(0).toDouble(&okW), numbers.value(1).toDouble(&okH));
        if (!okW || !okH || !(size->width() > 0) || !(size->height() > 0) || !std::isfinite(size->width())
            || !std::isfinite(size->height())) {
            setError(error, QStringLiteral("the PDF page has no size"));
            return std::nullopt;
        }
        PageSizes::instance().insert(digest, *size);
    }

    PWImageRep rep(Kind::PDF);
    rep.m_data = bytes;
    rep.m_size = *size;
    rep.m_box = QRectF(QPointF(0, 0), *size);
    rep.m_digest = digest;
    rep.m_render = std::make_shared<RenderState>();
    return rep;
}

std::optional<PWImageRep> PWImageRep::fromEPS(const QByteArray &input, QString *error)
{
    const QByteArray bytes(input.constData(), input.size());
    QByteArray postscript = bytes;
    // The DOS EPS header: magic, then the offset and length of the PostScript section.
    if (bytes.size() >= 12 && quint8(bytes[0]) == 0xC5 && quint8(bytes[1]) == 0xD0
        && quint8(bytes[2]) == 0xD3 && quint8(bytes[3]) == 0xC6) {
        const quint64 offset = qFromLittleEndian<quint32>(bytes.constData() + 4);
        const quint64 length = qFromLittleEndian<quint32>(bytes.constData() + 8);
        if (offset + length > quint64(bytes.size())) {
            setError(error, QStringLiteral("the PostScript section lies beyond the end of the file"));
            return std::nullopt;
        }
        postscript = bytes.mid(qsizetype(offset), qsizetype(length));
    }
    if (!postscript.startsWith("%!PS")) {
        setError(error, QStringLiteral("not a PostScript file"));
        return std::nullopt;
    }

    // The first numeric bounding box wins; "(atend)" defers to the last one in the trailer.
    std::optional<QRectF> first;
    std::optional<QRectF> last;
    bool deferred = false;
    qsizetype start = 0;
    while (start < postscript.size()) {
        qsizetype end = start;
        while (end < postscript.size() && postscript[end] != '\n' && postscript[end] != '\r')
            ++end;
        const QByteArray line = postscript.mid(start, end - start);
        if (line.startsWith("%%BoundingBox:")) {
            const std::optional<QRectF> box = parseBoundingBox(line);
            if (box) {
                if (!first && !deferred)
                    first = box;
                last = box;
            } else if (line.contains("(atend)") && !first) {
                deferred = true;
            }
        }
        start = end + 1;
    }
    const std::optional<QRectF> box = deferred ? last : first;
    if (!box) {
        setError(error, QStringLiteral("the EPS file has no bounding box"));
        return std::nullopt;
    }

    PWImageRep rep(Kind::EPS);
    rep.m_data = bytes;
    rep.m_box = *box;
    rep.m_size = box->size();
    rep.m_digest = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
    rep.m_render = std::make_shared<RenderState>();
    return rep;
}

QSize PWImageRep::pixelSize() const
{
    if (m_kind == Kind::Bitmap)
        return m_pixelSize.isEmpty() ? m_bitmap.size() : m_pixelSize;
    return QSize(int(std::ceil(m_size.width())), int(std::ceil(m_size.height())));
}

QSize PWImageRep::renderedPixelSize() const
{
    if (!m_render)
        return QSize();
    std::lock_guard lock(m_render->mutex);
    return m_render->lastRendered;
}

bool PWImageRep::isLossy() const
{
    // A JPEG: a lossless copy of it would only be larger.
    return m_kind == Kind::Bitmap && m_data.startsWith("\xFF\xD8\xFF");
}

bool PWImageRep::hasAlpha() const
{
    if (m_kind != Kind::Bitmap || (!m_deferred && m_bitmap.isNull()))
        return false;
    return QImage::toPixelFormat(layoutFormat()).alphaUsage() == QPixelFormat::UsesAlpha;
}

int PWImageRep::bitsPerSample() const
{
    if (m_kind != Kind::Bitmap || (!m_deferred && m_bitmap.isNull()) || layoutFormat() == QImage::Format_Invalid)
        return 0;
    switch (layoutFormat()) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
        return 1;
    case QImage::Format_Indexed8:
    case QImage::Format_Grayscale8:
    case QImage::Format_Alpha8:
        return 8;
    case QImage::Format_Grayscale16:
        return 16;
    default: {
        const QPixelFormat format = QImage::toPixelFormat(layoutFormat());
        return format.colorModel() == QPixelFormat::RGB ? int(format.redSize())
                                                        : int(format.bitsPerPixel());
    }
    }
}

int PWImageRep::samplesPerPixel() const
{
    if (m_kind != Kind::Bitmap || (!m_deferred && m_bitmap.isNull()) || layoutFormat() == QImage::Format_Invalid)
        return 0;
    switch (layoutFormat()) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
    case QImage::Format_Grayscale8:
    case QImage::Format_Grayscale16:
    case QImage::Format_Alpha8:
        return 1;
    default:
        return hasAlpha() ? 4 : 3;
    }
}

bool PWImageRep::draw(QPainter &painter, const QRectF &target, const QRectF &sourceRect,
                      double resolution) const
{
    const QRectF source = sourceRect.isEmpty() ? QRectF(QPointF(0, 0), m_size) : sourceRect;
    if (target.isEmpty() || source.isEmpty() || !(resolution > 0) || m_size.isEmpty())
        return false;
    if (!isReadable())
        return drawUnreadable(painter, target, source);

    switch (m_kind) {
    case Kind::Bitmap: {
        if (m_drawing && !m_drawing->size().isEmpty()) {
            const double ptX = m_drawing->size().width() / m_size.width();
            const double ptY = m_drawing->size().height() / m_size.height();
            m_drawing->draw(painter, target,
                            QRectF(source.x() * ptX, source.y() * ptY, source.width() * ptX, source.height() * ptY));
            return true;
        }
        if (m_deferred)
            return drawDecoded(painter, target, source, resolution);
        if (m_shown.isNull())
            return false;
        const double pxX = m_shown.width() / m_size.width();
        const double pxY = m_shown.height() / m_size.height();
        const QRectF pixels(source.x() * pxX, source.y() * pxY, source.width() * pxX,
                            source.height() * pxY);
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setRenderHint(QPainter::LosslessImageRendering, !isLossy());
        painter.drawImage(target, m_shown, pixels);
        painter.restore();
        return true;
    }
    case Kind::EPS:
    case Kind::PDF:
        break;
    }
    return drawRendered(painter, target, source, resolution);
}

// The part shown decoded at the scale it covers the device's pixels, kept for the next drawing at
// that scale (a copy of the label, the next person); a placeholder, named with its reason, where
// the memory for it cannot be had.
bool PWImageRep::drawDecoded(QPainter &painter, const QRectF &target, const QRectF &source, double resolution) const
{
    const double pxX = m_pixelSize.width() / m_size.width();
    const double pxY = m_pixelSize.height() / m_size.height();
    const QRectF part(source.x() * pxX, source.y() * pxY, source.width() * pxX, source.height() * pxY);
    const QSizeF drawn(std::abs(target.width()) * resolution, std::abs(target.height()) * resolution);
    const PWBitmapDecodes::Plan plan =
        PWBitmapDecodes::plan(m_pixelSize, part, drawn, PWBitmapReader::kMaxDrawnPixels);
    const QByteArray &bytes = m_data;
    const bool apart = m_apart;
    const PWBitmapDecodes::Decoded decoded =
        PWBitmapDecodes::decoded(m_digest, plan, [&bytes, apart](const PWBitmapDecodes::Plan &p, QString *reason) {
            return PWBitmapReader::decodePart(bytes, p.clip, p.scaled, apart, true, reason);
        });
    if (decoded.image.isNull()) {
        PWPictureRenderer::Request request;
        request.kind = PWPictureRenderer::Kind::Bitmap;
        request.data = m_data;
        request.digest = m_digest;
        PWPictureRenderer::noteFailure(request, decoded.failure);
        PWPictureRenderer::drawPlaceholder(painter, target);
        return true;
    }
    const QImage &image = decoded.image;
    const double kX = double(image.width()) / plan.clip.width();
    const double kY = double(image.height()) / plan.clip.height();
    const QRectF pixels((part.x() - plan.clip.x()) * kX, (part.y() - plan.clip.y()) * kY, part.width() * kX,
                        part.height() * kY);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::LosslessImageRendering, !isLossy());
    painter.drawImage(target, image, pixels);
    painter.restore();
    return true;
}

// Drawn as a placeholder and named once, the way a picture that fails to render is. An SVG that
// could not be read is drawn apart as a picture that renders, so that a failure of the moment (a
// loaded machine's clock, no child to be had) is tried again as the renderer tries those.
bool PWImageRep::drawUnreadable(QPainter &painter, const QRectF &target, const QRectF &source) const
{
    if (m_kind == Kind::Bitmap && PWSvgPicture::isSvg(m_data)) {
        PWPictureRenderer::Request request;
        request.kind = PWPictureRenderer::Kind::SVG;
        request.data = m_data;
        request.digest = m_digest;
        const PWPictureRenderer::Raster raster = PWPictureRenderer::raster(request);
        if (raster.state == PWPictureRenderer::State::Failed) {
            PWPictureRenderer::drawPlaceholder(painter, target);
            return true;
        }
        if (raster.image.isNull())
            return false;
        // The raster is the whole picture at its own size; this representation knows only the size
        // it was stored with.
        const double pxX = raster.image.width() / m_size.width();
        const double pxY = raster.image.height() / m_size.height();
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setRenderHint(QPainter::LosslessImageRendering);
        painter.drawImage(target, raster.image,
                          QRectF(source.x() * pxX, source.y() * pxY, source.width() * pxX, source.height() * pxY));
        painter.restore();
        return true;
    }
    PWPictureRenderer::Request request;
    request.kind = m_kind == Kind::PDF           ? PWPictureRenderer::Kind::PDF
                   : m_kind == Kind::EPS         ? PWPictureRenderer::Kind::EPS
                   : PWSvgPicture::isSvg(m_data) ? PWPictureRenderer::Kind::SVG
                                                 : PWPictureRenderer::Kind::Bitmap;
    request.data = m_data;
    request.digest = m_digest;
    PWPictureRenderer::noteFailure(request, m_failure);
    PWPictureRenderer::drawPlaceholder(painter, target);
    return true;
}

bool PWImageRep::drawRendered(QPainter &painter, const QRectF &target, const QRectF &source, double resolution) const
{
    // The resolution that fills the target, lowered where the raster would pass its bounds.
    double xScale = resolution * std::abs(target.width() / source.width());
    double yScale = resolution * std::abs(target.height() / source.height());
    const bool pdf = m_kind == Kind::PDF;
    // A PDF renders the visible part of its page; an EPS is rendered whole.
    const QRectF rendered = pdf ? source : QRectF(QPointF(0, 0), m_size);
    const double wanted = rendered.width() * xScale * rendered.height() * yScale;
    if (wanted > PWPictureRenderer::kMaxPixels) {
        const double shrink = std::sqrt(PWPictureRenderer::kMaxPixels / wanted);
        xScale *= shrink;
        yScale *= shrink;
    }
    const double maxSide = pdf ? kMaxRenderedSide : PWEpsRenderer::kMaxSide;
    const double side = std::max(rendered.width() * xScale, rendered.height() * yScale);
    if (side > maxSide) {
        xScale *= maxSide / side;
        yScale *= maxSide / side;
    }

    PWPictureRenderer::Request request;
    request.kind = pdf ? PWPictureRenderer::Kind::PDF : PWPictureRenderer::Kind::EPS;
    request.data = m_data;
    request.digest = m_digest;
    request.xScale = xScale;
    request.yScale = yScale;
    if (pdf) {
        const int x0 = int(std::floor(source.left() * xScale));
        const int y0 = int(std::floor(source.top() * yScale));
        const int x1 = int(std::ceil(source.right() * xScale));
        const int y1 = int(std::ceil(source.bottom() * yScale));
        request.region = QRect(x0, y0, std::max(1, x1 - x0), std::max(1, y1 - y0));
    }
    const PWPictureRenderer::Raster raster = PWPictureRenderer::raster(request);
    if (raster.state == PWPictureRenderer::State::Failed) {
        PWLog::debug(lcImageRep(), QStringLiteral("%1 picture of %2 bytes drawn as a placeholder: %3")
                                       .arg(pdf ? QStringLiteral("PDF") : QStringLiteral("EPS"))
                                       .arg(m_data.size())
                                       .arg(raster.reason));
        PWPictureRenderer::drawPlaceholder(painter, target);
        return true;
    }
    if (raster.image.isNull())
        return false;

    // Where the source lies in the raster: a PDF's raster is a region of the page at its scale,
    // an EPS's the whole box at the size Ghostscript gave.
    QRectF pixels;
    if (pdf) {
        pixels = QRectF(source.x() * raster.xScale - raster.region.x(), source.y() * raster.yScale - raster.region.y(),
                        source.width() * raster.xScale, source.height() * raster.yScale);
    } else {
        const double pxX = raster.image.width() / m_size.width();
        const double pxY = raster.image.height() / m_size.height();
        pixels = QRectF(source.x() * pxX, source.y() * pxY, source.width() * pxX, source.height() * pxY);
    }
    // A raster of another part of the page, kept from an earlier drawing, cannot stand in.
    if (!QRectF(raster.image.rect()).adjusted(-1, -1, 1, 1).contains(pixels))
        return false;
    if (raster.state == PWPictureRenderer::State::Ready && m_render) {
        std::lock_guard lock(m_render->mutex);
        m_render->lastRendered = raster.image.size();
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::LosslessImageRendering);
    painter.drawImage(target, raster.image, pixels);
    painter.restore();
    return true;
}
