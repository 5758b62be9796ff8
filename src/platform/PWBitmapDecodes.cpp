#include "platform/PWBitmapDecodes.h"

#include "platform/PWJobReport.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>
#include <new>

namespace {

// Steps of the decoded scale a drawing chooses from, per octave: a drawing a little larger or
// smaller than the last takes the decoding already made.
constexpr double kStepsPerOctave = 4.0;
// A part of less than this share of the picture is decoded alone.
constexpr double kPartShare = 0.75;
// Device pixels of smoothing around a part decoded alone.
constexpr double kMarginPixels = 2.0;

struct Entry
{
    std::mutex mutex; // held while the pixels are decoded
    bool done = false;
    QImage image;
    qint64 bytes = 0;
    quint64 used = 0;
    bool forJob = false;
};

struct Cache
{
    std::mutex mutex;
    QHash<QByteArray, std::shared_ptr<Entry>> entries;
    qint64 held = 0;
    quint64 clock = 0;
    PWBitmapDecodes::Counts counts;
};

Cache &cache()
{
    static Cache instance;
    return instance;
}

QByteArray keyOf(const QByteArray &key, const PWBitmapDecodes::Plan &plan)
{
    QByteArray full = key;
    for (const int v : {plan.clip.x(), plan.clip.y(), plan.clip.width(), plan.clip.height(), plan.scaled.width(),
                        plan.scaled.height()})
        full += ':' + QByteArray::number(v);
    return full;
}

// Drops the longest unused decodings other than keep until what is held fits. Under the lock.
void trim(Cache &c, const Entry *keep)
{
    while (c.held > PWBitmapDecodes::kHeldBytes) {
        auto oldest = c.entries.end();
        for (auto it = c.entries.begin(); it != c.entries.end(); ++it) {
            if (it->get() == keep || !(*it)->done)
                continue;
            if (oldest == c.entries.end() || (*it)->used < (*oldest)->used)
                oldest = it;
        }
        if (oldest == c.entries.end())
            return;
        c.held -= (*oldest)->bytes;
        c.entries.erase(oldest);
    }
}

} // namespace

PWBitmapDecodes::Plan PWBitmapDecodes::plan(const QSize &whole, const QRectF &source, const QSizeF &drawn,
                                            qint64 maxPixels)
{
    Plan plan;
    if (whole.isEmpty())
        return plan;
    const QRectF all(QPointF(0, 0), QSizeF(whole));
    QRectF part = source.normalized() & all;
    if (part.isEmpty())
        part = all;
    double scale = std::max(std::abs(drawn.width()) / part.width(), std::abs(drawn.height()) / part.height());
    if (!std::isfinite(scale) || !(scale > 0) || scale >= 1.0)
        scale = 1.0;
    else
        scale = std::min(1.0, std::exp2(std::ceil(std::log2(scale) * kStepsPerOctave) / kStepsPerOctave));

    plan.clip = QRect(QPoint(0, 0), whole);
    if (part.width() * part.height() < kPartShare * all.width() * all.height()) {
        const double margin = std::ceil(kMarginPixels / scale);
        plan.clip = part.adjusted(-margin, -margin, margin, margin).toAlignedRect() & plan.clip;
    }
    double width = std::max(1.0, std::ceil(plan.clip.width() * scale - 1e-9));
    double height = std::max(1.0, std::ceil(plan.clip.height() * scale - 1e-9));
    if (maxPixels > 0 && width * height > double(maxPixels)) {
        const double shrink = std::sqrt(double(maxPixels) / (width * height));
        width = std::max(1.0, std::floor(width * shrink));
        height = std::max(1.0, std::floor(height * shrink));
    }
    plan.scaled = QSize(int(width), int(height));
    return plan;
}

PWBitmapDecodes::Decoded PWBitmapDecodes::decoded(const QByteArray &key, const Plan &plan, const Decoder &decode)
{
    Cache &c = cache();
    const QByteArray full = keyOf(key, plan);
    std::shared_ptr<Entry> entry;
    {
        std::lock_guard lock(c.mutex);
        std::shared_ptr<Entry> &slot = c.entries[full];
        if (!slot)
            slot = std::make_shared<Entry>();
        entry = slot;
        entry->used = ++c.clock;
        entry->forJob = entry->forJob || PWJobReport::anyOpen();
    }
    std::lock_guard made(entry->mutex);
    if (entry->done)
        return Decoded{entry->image, QString()};
    Decoded result;
    try {
        result.image = decode(plan, &result.failure);
    } catch (const std::bad_alloc &) {
        result.image = QImage();
        result.failure.clear();
    }
    std::lock_guard lock(c.mutex);
    ++c.counts.decodings;
    c.counts.last = plan;
    c.counts.lastSize = result.image.size();
    const auto it = c.entries.constFind(full);
    if (result.image.isNull()) {
        if (result.failure.isEmpty())
            result.failure = QStringLiteral("the picture is too large to draw in the memory left (%1 x %2 pixels)")
                                 .arg(plan.scaled.width())
                                 .arg(plan.scaled.height());
        // Tried again by the next drawing: memory may be had then.
        if (it != c.entries.cend() && it->get() == entry.get())
            c.entries.erase(it);
        return result;
    }
    entry->image = result.image;
    entry->done = true;
    if (it != c.entries.cend() && it->get() == entry.get()) {
        entry->bytes = result.image.sizeInBytes();
        c.held += entry->bytes;
        trim(c, entry.get());
    }
    c.counts.heldBytes = c.held;
    return result;
}

void PWBitmapDecodes::endJob()
{
    Cache &c = cache();
    std::lock_guard lock(c.mutex);
    for (auto it = c.entries.begin(); it != c.entries.end();) {
        if ((*it)->forJob && (*it)->done) {
            c.held -= (*it)->bytes;
            it = c.entries.erase(it);
        } else {
            ++it;
        }
    }
    c.counts.heldBytes = c.held;
}

void PWBitmapDecodes::forget()
{
    Cache &c = cache();
    std::lock_guard lock(c.mutex);
    // Decodings under way finish for those waiting on them; they are kept no more.
    c.entries.clear();
    c.held = 0;
    c.counts = Counts();
}

PWBitmapDecodes::Counts PWBitmapDecodes::counts()
{
    Cache &c = cache();
    std::lock_guard lock(c.mutex);
    Counts counts = c.counts;
    counts.heldBytes = c.held;
    return counts;
}
