#include "platform/PWPictureRenderer.h"

#include "platform/PWEpsRenderer.h"
#include "platform/PWIsolatedCall.h"
#include "platform/PWLog.h"
#include "platform/PWNotificationCenter.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QHash>
#include <QPainter>
#include <QSet>
#include <QThreadPool>
#include <QtEndian>

#include <poppler-qt6.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <optional>

Q_LOGGING_CATEGORY(lcPictureRenderer, "pw.platform.image")

const QString PWPictureRenderer::kRenderedNotification = QStringLiteral("PWPictureRendered");

namespace {

constexpr char kPdfJob[] = "pdf-raster";
constexpr char kEpsJob[] = "eps-raster";
constexpr int kDefaultDeadlineMs = 20000;
constexpr qint64 kRenderMemory = qint64(1024) * 1024 * 1024;
// Rasters kept for later drawings; the one just made is kept even when it alone is larger.
constexpr qint64 kCacheBytes = qint64(256) * 1024 * 1024;
constexpr int kHeaderBytes = 9;

thread_local int t_deferred = 0;
thread_local int t_pending = 0;

// --- the child's side ------------------------------------------------------------------------

QByteArray failureAnswer(const QString &reason)
{
    return "E" + reason.left(300).toUtf8();
}

QByteArray rasterAnswer(const QImage &rendered)
{
    const QImage image = rendered.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (image.isNull() || image.width() * double(image.height()) > PWPictureRenderer::kMaxPixels)
        return failureAnswer(QStringLiteral("the picture gave no raster"));
    QByteArray answer(kHeaderBytes + qsizetype(image.width()) * image.height() * 4, Qt::Uninitialized);
    answer[0] = 'I';
    qToLittleEndian(quint32(image.width()), answer.data() + 1);
    qToLittleEndian(quint32(image.height()), answer.data() + 5);
    char *at = answer.data() + kHeaderBytes;
    for (int y = 0; y < image.height(); ++y, at += image.width() * 4)
        std::memcpy(at, image.constScanLine(y), size_t(image.width()) * 4);
    return answer;
}

struct ChildRequest
{
    double xScale = 0;
    double yScale = 0;
    QRect region;
    QByteArray data;
};

QByteArray encodeRequest(const PWPictureRenderer::Request &request)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << request.xScale << request.yScale << request.region << request.data;
    return bytes;
}

bool decodeRequest(const QByteArray &bytes, ChildRequest *request)
{
    QDataStream in(bytes);
    in >> request->xScale >> request->yScale >> request->region >> request->data;
    return in.status() == QDataStream::Ok && std::isfinite(request->xScale) && std::isfinite(request->yScale)
           && request->xScale > 0 && request->yScale > 0;
}

QByteArray renderPdfHere(const QByteArray &bytes)
{
    ChildRequest request;
    if (!decodeRequest(bytes, &request))
        return failureAnswer(QStringLiteral("the request was damaged"));
    const std::unique_ptr<Poppler::Document> document = Poppler::Document::loadFromData(request.data);
    if (!document || document->isLocked() || document->numPages() < 1)
        return failureAnswer(QStringLiteral("poppler cannot open the PDF document"));
    const std::unique_ptr<Poppler::Page> page = document->page(0);
    if (!page)
        return failureAnswer(QStringLiteral("the PDF document has no pages"));
    document->setPaperColor(Qt::transparent);
    document->setRenderHint(Poppler::Document::Antialiasing);
    document->setRenderHint(Poppler::Document::TextAntialiasing);
    document->setRenderHint(Poppler::Document::IgnorePaperColor);
    const QRect &r = request.region;
    const bool whole = r.isEmpty();
    const QImage image = page->renderToImage(72.0 * request.xScale, 72.0 * request.yScale, whole ? -1 : r.x(),
                                             whole ? -1 : r.y(), whole ? -1 : r.width(), whole ? -1 : r.height());
    if (image.isNull())
        return failureAnswer(QStringLiteral("poppler could not render the PDF page"));
    return rasterAnswer(image);
}

QByteArray renderEpsHere(const QByteArray &bytes)
{
    ChildRequest request;
    if (!decodeRequest(bytes, &request))
        return failureAnswer(QStringLiteral("the request was damaged"));
    QString error;
    const QImage image = PWEpsRenderer::render(request.data, request.xScale, request.yScale, &error);
    if (image.isNull())
        return failureAnswer(error);
    return rasterAnswer(image);
}

[[maybe_unused]] const bool kJobsRegistered =
    PWIsolatedCall::registerJob(kPdfJob, &renderPdfHere) && PWIsolatedCall::registerJob(kEpsJob, &renderEpsHere);

// --- the caller's side -----------------------------------------------------------------------

struct Entry
{
    QImage image;
    PWPictureRenderer::Request params; // without the data
    quint64 lastUse = 0;
};

struct Renderer
{
    std::mutex mutex;
    std::condition_variable finished;
    QHash<QByteArray, Entry> rasters;
    qint64 bytes = 0;
    quint64 clock = 0;
    QHash<QByteArray, QString> failures;
    QStringList untaken;
    QSet<QByteArray> running;
    int background = 0;
    int renders = 0;
    int deadlineMs = 0;
    bool collecting = false;
    QThreadPool pool;

    Renderer()
    {
        bool ok = false;
        const int fromEnvironment = qEnvironmentVariableIntValue("PW_PICTURE_RENDER_DEADLINE_MS", &ok);
        deadlineMs = ok && fromEnvironment > 0 ? fromEnvironment : kDefaultDeadlineMs;
        pool.setMaxThreadCount(2);
    }
};

// Never destroyed: a rendering still under way in the background when the program ends must
// find it there, and the end of the program must not wait for that rendering.
Renderer &renderer()
{
    static Renderer *instance = new Renderer;
    return *instance;
}

QByteArray digestOf(const PWPictureRenderer::Request &request)
{
    return request.digest.isEmpty() ? QCryptographicHash::hash(request.data, QCryptographicHash::Sha1) : request.digest;
}

QByteArray keyOf(const QByteArray &digest, const PWPictureRenderer::Request &request)
{
    QByteArray key = digest;
    QDataStream out(&key, QIODevice::Append);
    out << int(request.kind) << request.xScale << request.yScale << request.region;
    return key;
}

QString kindName(PWPictureRenderer::Kind kind)
{
    switch (kind) {
    case PWPictureRenderer::Kind::PDF:
        return QStringLiteral("PDF");
    case PWPictureRenderer::Kind::EPS:
        return QStringLiteral("EPS");
    case PWPictureRenderer::Kind::Bitmap:
        break;
    }
    return QStringLiteral("Bitmap");
}

PWPictureRenderer::Raster fromEntry(const Entry &entry, PWPictureRenderer::State state)
{
    PWPictureRenderer::Raster raster;
    raster.state = state;
    raster.image = entry.image;
    raster.xScale = entry.params.xScale;
    raster.yScale = entry.params.yScale;
    raster.region = entry.params.region;
    return raster;
}

// What the child answered, or why there is nothing.
std::optional<QImage> decodeAnswer(const QByteArray &answer, QString *reason)
{
    if (answer.startsWith('E')) {
        *reason = QString::fromUtf8(answer.sliced(1).left(300)).simplified();
        return std::nullopt;
    }
    if (answer.size() < kHeaderBytes || answer[0] != 'I') {
        *reason = QStringLiteral("the renderer's answer was damaged");
        return std::nullopt;
    }
    const quint32 width = qFromLittleEndian<quint32>(answer.constData() + 1);
    const quint32 height = qFromLittleEndian<quint32>(answer.constData() + 5);
    if (width == 0 || height == 0 || double(width) * height > PWPictureRenderer::kMaxPixels
        || answer.size() != kHeaderBytes + qsizetype(width) * height * 4) {
        *reason = QStringLiteral("the renderer's answer was damaged");
        return std::nullopt;
    }
    QImage image(int(width), int(height), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        *reason = QStringLiteral("there is not enough memory for the picture");
        return std::nullopt;
    }
    const char *at = answer.constData() + kHeaderBytes;
    for (int y = 0; y < image.height(); ++y, at += image.width() * 4)
        std::memcpy(image.scanLine(y), at, size_t(image.width()) * 4);
    return image;
}

std::optional<QImage> renderApart(const PWPictureRenderer::Request &request, int deadlineMs, QString *reason)
{
    PWIsolatedCall::Limits limits;
    limits.deadlineMs = deadlineMs;
    limits.memoryBytes = kRenderMemory;
    limits.answerBytes = kHeaderBytes + qint64(PWPictureRenderer::kMaxPixels) * 4;
    const PWIsolatedCall::Outcome outcome =
        PWIsolatedCall::run(request.kind == PWPictureRenderer::Kind::PDF ? kPdfJob : kEpsJob, encodeRequest(request),
                            limits);
    if (!outcome.ok) {
        *reason = outcome.reason;
        return std::nullopt;
    }
    return decodeAnswer(outcome.answer, reason);
}

// Keeps what a rendering gave; called with the lock held.
void store(Renderer &r, const QByteArray &digest, const QByteArray &key, const PWPictureRenderer::Request &request,
           const std::optional<QImage> &image, const QString &reason)
{
    if (!image) {
        if (!r.failures.contains(digest)) {
            const QString named = QStringLiteral("%1 picture of %2 bytes is drawn as a placeholder: %3")
                                      .arg(kindName(request.kind))
                                      .arg(request.data.size())
                                      .arg(reason);
            r.failures.insert(digest, reason);
            if (r.collecting)
                r.untaken.append(named);
            else
                qCWarning(lcPictureRenderer).noquote() << named;
        }
        return;
    }
    Entry entry;
    entry.image = *image;
    entry.params = request;
    entry.params.data = QByteArray();
    entry.params.digest = digest;
    entry.lastUse = ++r.clock;
    r.bytes += entry.image.sizeInBytes();
    r.rasters.insert(key, entry);
    while (r.bytes > kCacheBytes && r.rasters.size() > 1) {
        auto oldest = r.rasters.end();
        for (auto it = r.rasters.begin(); it != r.rasters.end(); ++it)
            if (it.key() != key && (oldest == r.rasters.end() || it->lastUse < oldest->lastUse))
                oldest = it;
        if (oldest == r.rasters.end())
            break;
        r.bytes -= oldest->image.sizeInBytes();
        r.rasters.erase(oldest);
    }
}

// The most recently used raster of the same picture, for a drawing that cannot wait.
PWPictureRenderer::Raster nearest(Renderer &r, const QByteArray &digest)
{
    const Entry *best = nullptr;
    for (const Entry &entry : std::as_const(r.rasters))
        if (entry.params.digest == digest && (!best || entry.lastUse > best->lastUse))
            best = &entry;
    PWPictureRenderer::Raster raster;
    if (best)
        raster = fromEntry(*best, PWPictureRenderer::State::Pending);
    raster.state = PWPictureRenderer::State::Pending;
    return raster;
}

} // namespace

PWPictureRenderer::Deferred::Deferred()
{
    ++t_deferred;
}

PWPictureRenderer::Deferred::~Deferred()
{
    --t_deferred;
}

int PWPictureRenderer::pendingCount()
{
    return t_pending;
}

PWPictureRenderer::Raster PWPictureRenderer::raster(const Request &request)
{
    Renderer &r = renderer();
    const QByteArray digest = digestOf(request);
    const QByteArray key = keyOf(digest, request);
    std::unique_lock lock(r.mutex);
    const auto known = [&]() -> std::optional<Raster> {
        if (const auto failed = r.failures.constFind(digest); failed != r.failures.cend()) {
            Raster raster;
            raster.state = State::Failed;
            raster.reason = *failed;
            return raster;
        }
        if (const auto it = r.rasters.find(key); it != r.rasters.end()) {
            it->lastUse = ++r.clock;
            return fromEntry(*it, State::Ready);
        }
        return std::nullopt;
    };
    if (std::optional<Raster> raster = known())
        return *raster;

    if (t_deferred > 0) {
        ++t_pending;
        if (!r.running.contains(key)) {
            r.running.insert(key);
            ++r.background;
            const int deadline = r.deadlineMs;
            r.pool.start([request, digest, key, deadline] {
                Renderer &r = renderer();
                QString reason;
                const std::optional<QImage> image = renderApart(request, deadline, &reason);
                {
                    std::lock_guard lock(r.mutex);
                    ++r.renders;
                    store(r, digest, key, request, image, reason);
                    r.running.remove(key);
                    --r.background;
                }
                r.finished.notify_all();
                PWNotificationCenter::defaultCenter().postNotification(kRenderedNotification);
            });
        }
        return nearest(r, digest);
    }

    // One rendering of a picture at a time: a drawing that needs one already under way waits for it.
    r.finished.wait(lock, [&] { return !r.running.contains(key); });
    if (std::optional<Raster> raster = known())
        return *raster;
    r.running.insert(key);
    const int deadline = r.deadlineMs;
    lock.unlock();
    QString reason;
    const std::optional<QImage> image = renderApart(request, deadline, &reason);
    lock.lock();
    ++r.renders;
    store(r, digest, key, request, image, reason);
    r.running.remove(key);
    lock.unlock();
    r.finished.notify_all();
    lock.lock();
    if (std::optional<Raster> raster = known())
        return *raster;
    // Kept no longer (the cache let it go at once): hand over what was made.
    Raster raster;
    raster.state = image ? State::Ready : State::Failed;
    raster.image = image.value_or(QImage());
    raster.xScale = request.xScale;
    raster.yScale = request.yScale;
    raster.region = request.region;
    raster.reason = reason;
    return raster;
}

void PWPictureRenderer::noteFailure(const Request &request, const QString &reason)
{
    Renderer &r = renderer();
    std::lock_guard lock(r.mutex);
    store(r, digestOf(request), QByteArray(), request, std::nullopt, reason);
}

void PWPictureRenderer::collectFailures(bool collect)
{
    Renderer &r = renderer();
    std::lock_guard lock(r.mutex);
    r.collecting = collect;
    if (!collect)
        r.untaken.clear();
}

QStringList PWPictureRenderer::takeFailures()
{
    Renderer &r = renderer();
    std::lock_guard lock(r.mutex);
    QStringList taken;
    taken.swap(r.untaken);
    return taken;
}

int PWPictureRenderer::deadlineMs()
{
    Renderer &r = renderer();
    std::lock_guard lock(r.mutex);
    return r.deadlineMs;
}

void PWPictureRenderer::setDeadlineMs(int milliseconds)
{
    Renderer &r = renderer();
    std::lock_guard lock(r.mutex);
    r.deadlineMs = milliseconds > 0 ? milliseconds : kDefaultDeadlineMs;
}

int PWPictureRenderer::renderCount()
{
    Renderer &r = renderer();
    std::lock_guard lock(r.mutex);
    return r.renders;
}

void PWPictureRenderer::forget()
{
    waitForBackground();
    Renderer &r = renderer();
    std::lock_guard lock(r.mutex);
    r.rasters.clear();
    r.bytes = 0;
    r.failures.clear();
    r.untaken.clear();
}

void PWPictureRenderer::waitForBackground()
{
    Renderer &r = renderer();
    std::unique_lock lock(r.mutex);
    r.finished.wait(lock, [&] { return r.background == 0; });
}

QColor PWPictureRenderer::placeholderColor()
{
    return QColor(0xD8, 0xD8, 0xD8);
}

void PWPictureRenderer::drawPlaceholder(QPainter &painter, const QRectF &target)
{
    if (target.isEmpty())
        return;
    painter.save();
    painter.fillRect(target, placeholderColor());
    QPen pen(QColor(0x90, 0x90, 0x90));
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(target);
    painter.drawLine(target.topLeft(), target.bottomRight());
    painter.drawLine(target.topRight(), target.bottomLeft());
    painter.restore();
}
