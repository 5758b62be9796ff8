#include "kernel/merge/CAPrintPreparer.h"

#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"
#include "kernel/printing/CAPrintingLog.h"
#include "platform/PWHeapUse.h"
#include "platform/PWPerson.h"
#include "platform/PWPlist.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPicture>

#include <algorithm>
#include <iterator>

namespace {

// Takes every drawing call and keeps nothing: drawing a copy into it lays its texts and panels
// out as the real drawing will, at a small part of the cost.
class NullPaintEngine final : public QPaintEngine
{
public:
    NullPaintEngine()
        : QPaintEngine(QPaintEngine::AllFeatures)
    {
    }
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &) override {}
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    void drawImage(const QRectF &, const QImage &, const QRectF &, Qt::ImageConversionFlags) override {}
    void drawTiledPixmap(const QRectF &, const QPixmap &, const QPointF &) override {}
    void drawTextItem(const QPointF &, const QTextItem &) override {}
    void drawPath(const QPainterPath &) override {}
    using QPaintEngine::drawEllipse;
    using QPaintEngine::drawLines;
    using QPaintEngine::drawPoints;
    using QPaintEngine::drawPolygon;
    using QPaintEngine::drawRects;
    void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
    void drawRects(const QRectF *, int) override {}
    void drawLines(const QLineF *, int) override {}
    void drawEllipse(const QRectF &) override {}
    void drawPoints(const QPointF *, int) override {}
    Type type() const override { return QPaintEngine::User; }
};

// The metrics of the pictures the pages are painted at (see CAPrintingView::printPages).
class NullPaintDevice final : public QPaintDevice
{
public:
    QPaintEngine *paintEngine() const override { return &m_engine; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        static const int dpi = QPicture().logicalDpiY();
        switch (metric) {
        case PdmWidth:
        case PdmHeight:
            return 100000;
        case PdmWidthMM:
        case PdmHeightMM:
            return int(100000 * 25.4 / dpi);
        case PdmNumColors:
            return INT_MAX;
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return dpi;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        }
        return 0;
    }

private:
    mutable NullPaintEngine m_engine;
};

} // namespace

std::optional<CAPrintPreparer::Job> CAPrintPreparer::jobForMap(const CADocumentMap &map,
                                                               const CAPrintingView::DocumentList &designs,
                                                               const CAPrintingView::PersonList &persons)
{
    Job job;
    job.designData.resize(designs.size());
    std::vector<Run> &runs = job.runs;
    for (int i = 0; i < int(map.size()); ++i) {
        const CADocMapEntry &entry = map[std::size_t(i)];
        if (entry.personIndex < 0 || std::size_t(entry.personIndex) >= persons.size() || entry.documentIndex < 0 ||
            !entry.copy || !entry.copy->designData)
            return std::nullopt;
        // Counters and file fields take each item's number while its page is written, on the
        // main thread: their texts are laid out there, which a worker's copy does not allow.
        const CADocument *design =
            std::size_t(entry.documentIndex) < designs.size() ? designs[std::size_t(entry.documentIndex)].get() : nullptr;
        if (!design || !design->ftDocument() || design->ftDocument()->hasSeriesFields())
            return std::nullopt;
        const PWPerson *person = persons[std::size_t(entry.personIndex)].get();
        if (!person)
            return std::nullopt;
        // Every entry of a design starts from the one property list the map read it into.
        job.designData[std::size_t(entry.documentIndex)] = entry.copy->designData;
        // One person's placements of one design share a copy, as they do in the view.
        if (!runs.empty()) {
            Run &last = runs.back();
            const CADocMapEntry &previous = map[std::size_t(last.lastIndex)];
            if (previous.personIndex == entry.personIndex && previous.documentIndex == entry.documentIndex &&
                previous.copy->designData == entry.copy->designData) {
                last.lastIndex = i;
                continue;
            }
        }
        runs.push_back(Run{i, i, entry.documentIndex, person});
    }
    if (runs.empty())
        return std::nullopt;
    return job;
}

int CAPrintPreparer::defaultWorkerCount()
{
    const int cores = int(std::thread::hardware_concurrency());
    return std::clamp(cores - 1, 1, 6);
}

bool CAPrintPreparer::fillAndFilter(CADocument &copy, const PWPerson &person, const CADocumentFilter &filter)
{
    copy.setCurrentPerson(&person, true, true, true);
    if (!CAPrintingView::filterChanges(CAPrintingView::processFilter(filter, copy, true)))
        return false;
    // The copy is as the check left it: its panels need not be laid out again before the fit.
    copy.snapshotObjects();
    CAPrintingView::processFilter(filter, copy, false, true);
    return true;
}

CAPrintPreparer::CAPrintPreparer(Job job, CADocumentFilter filter, double resolution, int lookahead, int workers,
                                 qint64 heldBytes)
    : m_runs(std::move(job.runs))
    , m_designData(std::move(job.designData))
    , m_filter(std::move(filter))
    , m_resolution(resolution)
    , m_mostLookahead(std::max(lookahead, 1))
    // No workers: the page writer prepares every copy itself, one at a time.
    , m_mostWorkers(std::clamp(workers, 0, std::max(1, int(m_runs.size()))))
    , m_heldBytes(heldBytes)
    , m_pageWriter(m_mostWorkers)
    , m_slots(m_runs.size())
{
    m_pool.assign(std::size_t(m_pageWriter) + 1, std::vector<std::vector<Copy>>(m_designData.size()));
    m_owned.assign(std::size_t(m_pageWriter) + 1, 0);
    // Nothing to weigh without a budget, nor for a page writer alone.
    if (m_heldBytes <= 0 || m_mostWorkers == 0)
        decide(0);
}

void CAPrintPreparer::decide(qint64 copyBytes)
{
    m_copyBytes = copyBytes;
    m_held = m_mostLookahead;
    if (m_heldBytes > 0 && copyBytes > 0)
        m_held = int(std::clamp<qint64>(m_heldBytes / copyBytes, 1, m_mostLookahead));
    m_lookahead = m_held;
    // The page writer draws one copy while the workers prepare the rest, each a share of them.
    const int workers = std::min(m_mostWorkers, m_held - 1);
    m_share = workers > 0 ? std::max(1, (m_held - 1) / workers) : 1;
    m_decided = true;
    m_workers.reserve(std::size_t(workers));
    for (int i = 0; i < workers; ++i)
        m_workers.emplace_back([this, i] { work(i); });
}

qint64 CAPrintPreparer::copyBytes() const
{
    const std::lock_guard lock(m_mutex);
    return m_copyBytes;
}

int CAPrintPreparer::heldCopies() const
{
    const std::lock_guard lock(m_mutex);
    return m_held;
}

bool CAPrintPreparer::mayPrepareAhead(int owner, int run, std::vector<Copy> *dropped)
{
    std::vector<std::vector<Copy>> &pools = m_pool[std::size_t(owner)];
    if (!pools[std::size_t(m_runs[std::size_t(run)].designIndex)].empty())
        return true;
    if (m_owned[std::size_t(owner)] < (owner == m_pageWriter ? 1 : m_share))
        return true;
    // A copy of another design it holds idle makes room for one of this design.
    for (std::vector<Copy> &pool : pools) {
        if (pool.empty())
            continue;
        if (dropped) {
            dropped->push_back(std::move(pool.back()));
            pool.pop_back();
            --m_owned[std::size_t(owner)];
        }
        return true;
    }
    return false;
}

CAPrintPreparer::~CAPrintPreparer()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    for (std::thread &worker : m_workers)
        worker.join();
}

bool CAPrintPreparer::covers(int index) const
{
    return !m_runs.empty() && index >= m_runs.front().firstIndex && index <= m_runs.back().lastIndex;
}

int CAPrintPreparer::runOf(int index) const
{
    const auto after = std::upper_bound(m_runs.begin(), m_runs.end(), index,
                                        [](int value, const Run &run) { return value < run.firstIndex; });
    return int(after - m_runs.begin()) - 1;
}

void CAPrintPreparer::work(int worker)
{
    for (;;) {
        int run = -1;
        std::vector<Copy> dropped;
        {
            std::unique_lock lock(m_mutex);
            // A worker stays until the job ends, even with nothing left to prepare: the page
            // writer embeds the fonts of the texts it laid out when the document is finished,
            // and those belong to this thread.
            m_changed.wait(lock, [this, worker] {
                return m_stopping || (m_nextRun < int(m_runs.size()) &&
                                      m_runs[std::size_t(m_nextRun)].firstIndex < m_released + m_lookahead &&
                                      mayPrepareAhead(worker, m_nextRun, nullptr));
            });
            if (m_stopping) {
                // Its copies end on this thread, whose fonts their texts hold.
                std::vector<Copy> own;
                for (std::vector<Copy> &pool : m_pool[std::size_t(worker)])
                    std::move(pool.begin(), pool.end(), std::back_inserter(own));
                for (Slot &slot : m_slots)
                    if (slot.copy.document && slot.copy.worker == worker)
                        own.push_back(std::move(slot.copy));
                lock.unlock();
                own.clear();
                return;
            }
            run = m_nextRun++;
            mayPrepareAhead(worker, run, &dropped);
        }
        // Let go of here, on the thread whose fonts its texts hold.
        dropped.clear();
        Copy copy = prepare(m_runs[std::size_t(run)], worker);
        {
            const std::lock_guard lock(m_mutex);
            store(run, std::move(copy));
        }
        m_changed.notify_all();
    }
}

CAPrintPreparer::Copy CAPrintPreparer::prepare(const Run &run, int worker)
{
    Copy copy;
    {
        const std::lock_guard lock(m_mutex);
        std::vector<Copy> &pool = m_pool[std::size_t(worker)][std::size_t(run.designIndex)];
        if (!pool.empty()) {
            copy = std::move(pool.back());
            pool.pop_back();
        } else {
            ++m_owned[std::size_t(worker)];
        }
    }
    if (!copy.document) {
        const PWPlist *data = m_designData[std::size_t(run.designIndex)].get();
        copy.document = data ? CAPrintingView::makeCopy(*data) : nullptr;
        if (!copy.document) {
            const std::lock_guard lock(m_mutex);
            --m_owned[std::size_t(worker)];
            return Copy();
        }
        copy.worker = worker;
        copy.document->snapshotObjects();
    } else if (copy.filtered) {
        copy.document->restoreObjects();
    }
    copy.filtered = fillAndFilter(*copy.document, *run.person, m_filter);
    copy.document->resetObjects();
    copy.document->clearObjects();
    // Laid out here rather than while the page is written: the page's drawing keeps the rows
    // this one lays out, and only when this one was done (a copy given back undrawn keeps none).
    const auto keepRows = [&copy](bool keep) {
        if (CFTADocument *kernel = copy.document->ftDocument())
            kernel->forEachComponent([keep](CFTComponent *component) {
                if (component && component->getClassID() == ciAddressPanel)
                    static_cast<CFTAAddressPanel *>(component)->keepPrintLayoutForNextDraw(keep);
            });
    };
    keepRows(false);
    NullPaintDevice device;
    QPainter painter;
    if (painter.begin(&device)) {
        painter.scale(device.logicalDpiX() / 72.0, device.logicalDpiY() / 72.0);
        const bool drawn = CAPrintingView::drawItemStraight(painter, *copy.document, m_resolution);
        painter.end();
        keepRows(drawn);
    }
    return copy;
}

void CAPrintPreparer::store(int run, Copy copy)
{
    Slot &slot = m_slots[std::size_t(run)];
    slot.copy = std::move(copy);
    slot.ready = true;
}

CADocument *CAPrintPreparer::take(int index)
{
    const int run = runOf(index);
    if (run < 0 || index > m_runs[std::size_t(run)].lastIndex)
        return nullptr;
    std::unique_lock lock(m_mutex);
    while (!m_slots[std::size_t(run)].ready) {
        if (!m_decided) {
            // The first copy, weighed while nothing else is prepared: what it keeps decides how
            // many copies the job may hold at once, and so how many workers it starts.
            const int mine = m_nextRun++;
            lock.unlock();
            const qint64 before = PWHeapUse::bytesInUse();
            Copy copy = prepare(m_runs[std::size_t(mine)], m_pageWriter);
            const qint64 kept = PWHeapUse::bytesInUse() - before;
            lock.lock();
            store(mine, std::move(copy));
            // Another thread that let go of more meanwhile leaves nothing to weigh by: the next
            // copy or two are weighed in turn before the job goes on as if unweighed.
            if (kept > 0 || before <= 0 || mine >= 2)
                decide(std::max<qint64>(kept, 0));
            continue;
        }
        // The workers fall behind (a machine of few cores): rather than wait, the page writer
        // prepares the next run no worker has started, with copies of its own.
        if (m_nextRun < int(m_runs.size()) &&
            (m_nextRun <= run || (m_runs[std::size_t(m_nextRun)].firstIndex < m_released + m_lookahead &&
                                  mayPrepareAhead(m_pageWriter, m_nextRun, nullptr)))) {
            const int mine = m_nextRun++;
            std::vector<Copy> dropped;
            if (mine > run)
                mayPrepareAhead(m_pageWriter, mine, &dropped);
            lock.unlock();
            dropped.clear();
            Copy copy = prepare(m_runs[std::size_t(mine)], m_pageWriter);
            lock.lock();
            store(mine, std::move(copy));
            continue;
        }
        m_changed.wait(lock);
    }
    return m_slots[std::size_t(run)].copy.document.get();
}

void CAPrintPreparer::releaseBefore(int end)
{
    {
        const std::lock_guard lock(m_mutex);
        m_released = std::max(m_released, end);
        while (m_releasedRuns < int(m_runs.size()) && m_runs[std::size_t(m_releasedRuns)].lastIndex < end) {
            Slot &slot = m_slots[std::size_t(m_releasedRuns)];
            if (!slot.ready)
                break; // not yet made: a worker still fills it
            if (slot.copy.document)
                m_pool[std::size_t(slot.copy.worker)][std::size_t(m_runs[std::size_t(m_releasedRuns)].designIndex)]
                    .push_back(std::move(slot.copy));
            slot.copy = Copy();
            ++m_releasedRuns;
        }
    }
    m_changed.notify_all();
}
