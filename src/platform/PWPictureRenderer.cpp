#include "platform/PWPictureRenderer.h"

#include "platform/PWBitmapReader.h"
#include "platform/PWEpsRenderer.h"
#include "platform/PWIsolatedCall.h"
#include "platform/PWJobReport.h"
#include "platform/PWLog.h"
#include "platform/PWNotificationCenter.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QElapsedTimer>
#include <QHash>
#include <QPainter>
#include <QSet>
#include <QThreadPool>
#include <QtEndian>

#include <poppler-qt6.h>

#include <algorithm>
#include <chrono>
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
constexpr char kSvgJob[] = "svg-raster";
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

// An SVG is drawn at its own size whatever the request's resolution.
QByteArray renderSvgHere(const QByteArray &bytes)
{
    ChildRequest request;
    if (!decodeRequest(bytes, &request))
        return failureAnswer(QStringLiteral("the request was damaged"));
    QString error;
    const QImage image = PWBitmapReader::drawSvgHere(request.data, &error);
    if (image.isNull())
        return failureAnswer(error);
    return rasterAnswer(image);
}

[[maybe_unused]] const bool kJobsRegistered = PWIsolatedCall::registerJob(kPdfJob, &renderPdfHere)
                                              && PWIsolatedCall::registerJob(kEpsJob, &renderEpsHere)
                                              && PWIsolatedCall::registerJob(kSvgJob, &renderSvgHere);

const char *jobOf(PWPictureRenderer::Kind kind)
{
    switch (kind) {
    case PWPictureRenderer::Kind::PDF:
        return kPdfJob;
    case PWPictureRenderer::Kind::SVG:
        return kSvgJob;
    case PWPictureRenderer::Kind::EPS:
    case PWPictureRenderer::Kind::Bitmap:
        break;
    }
    return kEpsJob;
}

// --- the caller's side -----------------------------------------------------------------------

struct Entry
{
    QImage image;
    PWPictureRenderer::Request params; // without the data
    quint64 lastUse = 0;
};

// The smallest resolution a picture failed at: it fails there and above, and is tried again below.
// A failure of the moment (PWIsolatedCall::Outcome::transient) is tried again as well, a few times:
// by the next drawing that waits, and by a window's once it is a while old.
struct Failure
{
    double xScale = 0.0;
    double yScale = 0.0;
    QString reason;
    bool transient = false;
    int tries = 0; // failures of the moment in a row
    QElapsedTimer since;
};

// Tries of a picture that keeps failing for the moment before it rests, and how long it rests;
// how old such a failure is before a window tries again.
constexpr int kMostTries = 3;
constexpr qint64 kRestMs = 10 * 60 * 1000;
constexpr qint64 kWindowRetryMs = 30 * 1000;

struct Renderer
{
    std::mutex mutex;
    std::condition_variable finished;
    QHash<QByteArray, Entry> rasters;
    qint64 bytes = 0;
    quint64 clock = 0;
    QHash<QByteArray, Failure> failures;
    QSet<QByteArray> named;
    QStringList untaken;
    QSet<QByteArray> running;
    // Renderings handed to the pool that no worker has started yet.
    QSet<QByteArray> queued;
    int background = 0;
    int renders = 0;
    int deadlineMs = 0;
    bool collecting = false;
    // The windows' renderings, which a job never queues behind.
    QThreadPool pool;
    // A job's own rendering while its thread keeps a progress window alive.
    QThreadPool jobs;

    Renderer()
    {
        bool ok = false;
        const int fromEnvironment = qEnvironmentVariableIntValue("PW_PICTURE_RENDER_DEADLINE_MS", &ok);
        deadlineMs = ok && fromEnvironment > 0 ? fromEnvironment : kDefaultDeadlineMs;
        pool.setMaxThreadCount(2);
        jobs.setMaxThreadCount(64);
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
    case PWPictureRenderer::Kind::SVG:
        return QStringLiteral("SVG");
    case PWPictureRenderer::Kind::Bitmap:
        break;
    }
    return QStringLiteral("Bitmap");
}

QString placeholderLine(const PWPictureRenderer::Request &request, const QString &reason)
{
    return QStringLiteral("%1 picture of %2 bytes is drawn as a placeholder: %3")
        .arg(kindName(request.kind))
        .arg(request.data.size())
        .arg(reason);
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

PWPictureRenderer::Raster failed(const QString &reason)
{
    PWPictureRenderer::Raster raster;
    raster.state = PWPictureRenderer::State::Failed;
    raster.reason = reason;
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

std::optional<QImage> renderApart(const PWPictureRenderer::Request &request, int deadlineMs, QString *reason,
                                  bool *transient)
{
    PWIsolatedCall::Limits limits;
    limits.deadlineMs = deadlineMs;
    limits.memoryBytes = kRenderMemory;
    limits.answerBytes = kHeaderBytes + qint64(PWPictureRenderer::kMaxPixels) * 4;
    const PWIsolatedCall::Outcome outcome =
        PWIsolatedCall::run(jobOf(request.kind), encodeRequest(request), limits);
    *transient = outcome.transient;
    if (!outcome.ok) {
        *reason = outcome.reason;
        return std::nullopt;
    }
    return decodeAnswer(outcome.answer, reason);
}

// Keeps what a rendering gave and ends it; called with the lock held. A failure is remembered
// for the session only when the rendering had the whole deadline (a job's shortened one says
// nothing about the picture); one of the moment only until it is tried again.
void store(Renderer &r, const QByteArray &digest, const QByteArray &key, const PWPictureRenderer::Request &request,
           const std::optional<QImage> &image, const QString &reason, bool remember, bool transient = false)
{
    ++r.renders;
    r.running.remove(key);
    if (!image) {
        if (!remember)
            return;
        const auto known = r.failures.find(digest);
        if (known == r.failures.end() || (request.xScale <= known->xScale && request.yScale <= known->yScale)) {
            Failure failure{request.xScale, request.yScale, reason, transient, 0, {}};
            failure.tries = transient && known != r.failures.end() && known->transient ? known->tries + 1 : 1;
            failure.since.start();
            r.failures.insert(digest, failure);
        } else if (known->transient) {
            // Tried again at another size and failed again: the picture has had one more try
            // whatever the size, else a larger drawing would render it at every drawing.
            if (transient) {
                known->xScale = std::min(known->xScale, request.xScale);
                known->yScale = std::min(known->yScale, request.yScale);
                known->reason = reason;
            }
            ++known->tries;
            known->since.start();
        }
        if (!r.named.contains(digest)) {
            r.named.insert(digest);
            const QString named = placeholderLine(request, reason);
            if (r.collecting)
                r.untaken.append(named);
            else
                qCWarning(lcPictureRenderer).noquote() << named;
        }
        return;
    }
    // Tried again and drawn: what failed for the moment at this size or a smaller one is over.
    if (const auto known = r.failures.find(digest); known != r.failures.end() && known->transient
                                                     && request.xScale >= known->xScale
                                                     && request.yScale >= known->yScale) {
        r.failures.erase(known);
        r.named.remove(digest);
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

// Whether a failure of the moment is tried again now: by a drawing that waits (a print, an
// export) at once, by a window's once it is a while old; after a few tries in a row only once it
// has rested, so that a picture that cannot be had at all does not keep the machine busy.
bool triedAgain(const Failure &failure, bool waits)
{
    if (!failure.transient)
        return false;
    const qint64 age = failure.since.elapsed();
    if (failure.tries >= kMostTries)
        return age >= kRestMs;
    return waits || age >= kWindowRetryMs;
}

// What is known of the request: its raster, or its failure at this size or a smaller one.
std::optional<PWPictureRenderer::Raster> known(Renderer &r, const QByteArray &digest, const QByteArray &key,
                                               const PWPictureRenderer::Request &request, bool waits)
{
    // A picture resting after its tries of the moment rests at every size.
    if (const auto it = r.failures.constFind(digest);
        it != r.failures.cend()
        && ((request.xScale >= it->xScale && request.yScale >= it->yScale) || (it->transient && it->tries >= kMostTries))
        && !triedAgain(*it, waits))
        return failed(it->reason);
    if (const auto it = r.rasters.find(key); it != r.rasters.end()) {
        it->lastUse = ++r.clock;
        return fromEntry(*it, PWPictureRenderer::State::Ready);
    }
    return std::nullopt;
}

thread_local bool t_placeholderNoted = false;

// A failed drawing is the placeholder of the jobs under way: they say so when they end.
PWPictureRenderer::Raster noted(const PWPictureRenderer::Raster &raster, const QByteArray &digest,
                                const PWPictureRenderer::Request &request)
{
    if (raster.state == PWPictureRenderer::State::Failed) {
        PWJobReport::note(PWJobReport::Kind::Placeholder, QString::fromLatin1(digest.toHex()),
                          placeholderLine(request, raster.reason));
        t_placeholderNoted = true;
    }
    return raster;
}

constexpr std::chrono::milliseconds kHookInterval(50);

// Waits on the lock's condition, for atMostMs at most (unless negative), and for a twentieth of a
// second at most while the job's thread has a progress window to keep alive; false when the job
// was cancelled.
bool waitStep(Renderer &r, std::unique_lock<std::mutex> &lock, qint64 atMostMs = -1)
{
    const std::chrono::milliseconds atMost(std::max<qint64>(atMostMs, 0));
    if (!PWJobReport::waitsWithHook()) {
        if (atMostMs < 0)
            r.finished.wait(lock);
        else
            r.finished.wait_for(lock, atMost);
        return !PWJobReport::cancelled();
    }
    r.finished.wait_for(lock, atMostMs < 0 ? kHookInterval : std::min<std::chrono::milliseconds>(kHookInterval, atMost));
    lock.unlock();
    const bool keep = PWJobReport::keepWaiting();
    lock.lock();
    return keep;
}

// A cancelled job's drawing: a placeholder nobody is told of.
PWPictureRenderer::Raster cancelledJob()
{
    t_placeholderNoted = true;
    return failed(QStringLiteral("the job was cancelled"));
}

// A drawing that waits for its raster: a print, an export, a batch job.
PWPictureRenderer::Raster waitFor(const PWPictureRenderer::Request &request, const QByteArray &digest,
                                  const QByteArray &key)
{
    Renderer &r = renderer();
    std::unique_lock lock(r.mutex);
    const int deadline = r.deadlineMs;
    // The time this drawing waited for a rendering of someone else's (a window's, another job's),
    // and the most a job may wait so: what it may still lose to pictures.
    QElapsedTimer waited;
    qint64 mayWaitMs = -1;
    // The time waited is lost when no raster came of it.
    const auto lostWaiting = [&waited] {
        if (waited.isValid())
            PWJobReport::pictureTimeLost(waited.elapsed());
    };
    // However many renderings the windows queued first, this drawing waits for one at most: its own.
    for (;;) {
        if (std::optional<PWPictureRenderer::Raster> raster = known(r, digest, key, request, true)) {
            if (raster->state == PWPictureRenderer::State::Failed)
                lostWaiting();
            return noted(*raster, digest, request);
        }
        if (PWJobReport::cancelled())
            return cancelledJob();
        if (!r.running.contains(key)) {
            r.running.insert(key);
            break;
        }
        // Queued by a window and not started: this drawing takes it over.
        if (r.queued.remove(key))
            break;
        // Under way: it ends within the limits of a rendering, as this drawing's own would; a
        // job waits for it no longer than the time it may still lose, and gives the picture up
        // when that is spent. (Outside a job, a clock of its own here would give up on it while
        // a loaded machine slows it down.)
        if (!waited.isValid()) {
            waited.start();
            mayWaitMs = PWJobReport::pictureTimeLeftMs();
        }
        const qint64 leftToWait = mayWaitMs < 0 ? -1 : mayWaitMs - waited.elapsed();
        if (mayWaitMs >= 0 && leftToWait <= 0) {
            lostWaiting();
            return noted(failed(QStringLiteral("the job spent its time waiting for another drawing of it")), digest,
                         request);
        }
        if (!waitStep(r, lock, leftToWait))
            return cancelledJob();
    }
    // What ran before failed without being remembered (a shortened deadline): the wait was lost.
    lostWaiting();

    // A job that lost its time to pictures that did not render gives up on the others.
    const int left = PWJobReport::pictureTimeLeftMs();
    if (left == 0) {
        r.running.remove(key);
        lock.unlock();
        r.finished.notify_all();
        return noted(failed(QStringLiteral("the job spent its time on pictures that did not render")), digest,
                     request);
    }
    const bool whole = left < 0 || left >= deadline;
    const int bound = whole ? deadline : left;
    QElapsedTimer took;
    took.start();
    struct Outcome
    {
        bool done = false;
        std::optional<QImage> image;
        QString reason;
    };
    auto outcome = std::make_shared<Outcome>();
    if (PWJobReport::waitsWithHook()) {
        // Rendered on a worker: this thread keeps the job's progress window alive and hears Cancel.
        ++r.background;
        r.jobs.start([request, digest, key, bound, whole, outcome] {
            Renderer &r = renderer();
            QString reason;
            bool transient = false;
            const std::optional<QImage> image = renderApart(request, bound, &reason, &transient);
            {
                std::lock_guard lock(r.mutex);
                store(r, digest, key, request, image, reason, whole, transient);
                --r.background;
                outcome->image = image;
                outcome->reason = reason;
                outcome->done = true;
            }
            r.finished.notify_all();
        });
        while (!outcome->done)
            if (!waitStep(r, lock))
                return cancelledJob();
    } else {
        lock.unlock();
        bool transient = false;
        outcome->image = renderApart(request, bound, &outcome->reason, &transient);
        lock.lock();
        store(r, digest, key, request, outcome->image, outcome->reason, whole, transient);
        lock.unlock();
        r.finished.notify_all();
        lock.lock();
    }
    if (!outcome->image) {
        lock.unlock();
        PWJobReport::pictureTimeLost(took.elapsed());
        lock.lock();
    }
    if (std::optional<PWPictureRenderer::Raster> raster = known(r, digest, key, request, true))
        return noted(*raster, digest, request);
    // Failed with a shortened deadline, or kept no longer (the cache let it go at once).
    if (!outcome->image)
        return noted(failed(outcome->reason), digest, request);
    PWPictureRenderer::Raster raster;
    raster.state = PWPictureRenderer::State::Ready;
    raster.image = *outcome->image;
    raster.xScale = request.xScale;
    raster.yScale = request.yScale;
    raster.region = request.region;
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
    const QByteArray digest = digestOf(request);
    const QByteArray key = keyOf(digest, request);
    if (t_deferred == 0)
        return waitFor(request, digest, key);

    Renderer &r = renderer();
    std::unique_lock lock(r.mutex);
    if (std::optional<Raster> raster = known(r, digest, key, request, false))
        return *raster;
    ++t_pending;
    if (!r.running.contains(key)) {
        r.running.insert(key);
        r.queued.insert(key);
        ++r.background;
        const int deadline = r.deadlineMs;
        r.pool.start([request, digest, key, deadline] {
            Renderer &r = renderer();
            {
                std::lock_guard lock(r.mutex);
                // A job that needed it took it over.
                if (!r.queued.remove(key)) {
                    --r.background;
                    r.finished.notify_all();
                    return;
                }
            }
            QString reason;
            bool transient = false;
            const std::optional<QImage> image = renderApart(request, deadline, &reason, &transient);
            {
                std::lock_guard lock(r.mutex);
                store(r, digest, key, request, image, reason, true, transient);
                --r.background;
            }
            r.finished.notify_all();
            PWNotificationCenter::defaultCenter().postNotification(kRenderedNotification);
        });
    }
    return nearest(r, digest);
}

void PWPictureRenderer::noteFailure(const Request &request, const QString &reason)
{
    Renderer &r = renderer();
    const QByteArray digest = digestOf(request);
    {
        std::lock_guard lock(r.mutex);
        store(r, digest, QByteArray(), request, std::nullopt, reason, true);
    }
    // The jobs under way name it by what it is, not as a picture that cannot be read.
    Raster failed;
    failed.state = State::Failed;
    failed.reason = reason;
    noted(failed, digest, request);
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
    r.named.clear();
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
    // A placeholder drawn for a job without a failed rendering before it (a picture that could
    // not be read) is told as well, without a name.
    if (!t_placeholderNoted && t_deferred == 0)
        PWJobReport::note(PWJobReport::Kind::Placeholder, QString(),
                          QStringLiteral("a picture that cannot be read is drawn as a placeholder"));
    t_placeholderNoted = false;
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
