#include "kernel/merge/CAPrintingView.h"

#include "kernel/base/CDDArchiveKept.h"
#include "kernel/base/CDDFile.h"
#include "kernel/printing/CAPrintingLog.h"
#include "kernel/merge/CADocument.h"
#include "kernel/merge/CAPrintPreparer.h"
#include "kernel/merge/CAPrintTarget.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CAImageEx.h"
#include "kernel/base/FTUtilities.h"
#include "platform/PWPerson.h"
#include "platform/PWPictureRenderer.h"
#include "platform/PWPlist.h"
#include "platform/PWUserDefaults.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPicture>

#include <algorithm>

namespace {

// The view's filter before anything is done to a copy.
CADocumentFilter withNothingDone(CADocumentFilter filter)
{
    using namespace DocumentFilterKey;
    for (const QString &key : {DidSuppressCountryField, DidOmitContactName, DidCommaDelimited, DidFitAddressPanel})
        filter.insert(key, false);
    return filter;
}

std::uint32_t asIndex(int index) { return index < 0 ? DocMapPreviewType::kNone : std::uint32_t(index); }

std::size_t componentsOfLargest(const CAPrintingView::DocumentList &designs)
{
    std::size_t largest = 0;
    for (const std::shared_ptr<CADocument> &design : designs) {
        std::size_t count = 0;
        if (const CFTADocument *kernel = design ? design->ftDocument() : nullptr)
            kernel->forEachComponent([&count](const CFTComponent *) { ++count; });
        largest = std::max(largest, count);
    }
    return largest;
}

} // namespace

// --- DocMapPreviewType -----------------------------------------------------------------------------

DocMapPreviewType::DocMapPreviewType(const CADocument *document, std::uint32_t personIndex,
                                     std::uint32_t documentIndex, bool vectorImage)
    : _document(document)
    , _personIndex(personIndex)
    , _documentIndex(documentIndex)
    , _bVectorImage(vectorImage)
{
}

std::uint32_t DocMapPreviewType::hash() const
{
    const std::uint32_t mixed = (_documentIndex << 16) | (_personIndex & 0xFFu);
    std::uint32_t value = std::uint32_t(inthash(std::int32_t(mixed)));
    if (_bVectorImage)
        value |= 0x8000u;
    return value;
}

// --- construction ----------------------------------------------------------------------------------

CAPrintingView::CAPrintingView(DocumentList documentList, std::optional<PersonList> personList,
                               const CAPrintSettings &settings, bool vectorPrinting)
    : _documentList(std::move(documentList))
{
    init(settings, vectorPrinting);
    if (personList) {
        _personList = std::move(personList);
        _usePrintList = true;
    }
}

CAPrintingView::CAPrintingView(const CATemplateFormat &layout, const CAPrintSettings &settings)
{
    init(settings, true);
    _layout = layout;
}

void CAPrintingView::init(const CAPrintSettings &settings, bool vectorPrinting)
{
    m_settings = settings;
    _bVectorPrinting = vectorPrinting;
    const PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    _bSuppressCountryField = defaults.boolForKey(QStringLiteral("FTSuppressCountryField"));
    _bCommaDelimited = defaults.boolForKey(QStringLiteral("FTCommaDelimitedAddress"));
    _bFitAddressPanel = defaults.boolForKey(QStringLiteral("FTAddressAutoResize"));
    setPrintViewMode(kPreviewMode);
}

CAPrintingView::~CAPrintingView()
{
    clearObjects();
}

void CAPrintingView::setItemRenderer(ItemRenderer renderer)
{
    m_renderer = std::move(renderer);
}

void CAPrintingView::setAlignment(int) {}
void CAPrintingView::setRotation(int) {}
void CAPrintingView::startEditingPage(int) {}

// --- modes and pages -------------------------------------------------------------------------------

float CAPrintingView::resolutionForViewMode(int mode)
{
    return mode == kPreviewMode ? 100.0f : 600.0f;
}

float CAPrintingView::setPrintViewMode(int mode)
{
    _viewMode = mode;
    _resolution = resolutionForViewMode(mode);
    return _resolution;
}

QSizeF CAPrintingView::paperSize() const
{
    return m_settings.orientedPaperSize();
}

int CAPrintingView::itemsPerPage() const
{
    if (!_layout)
        return 1;
    const long long product = (long long)std::max(0, _layout->Columns()) * std::max(0, _layout->Rows());
    return product <= 0 || product > 100000 ? 1 : int(product);
}

int CAPrintingView::pageCount() const
{
    const int per = itemsPerPage();
    const int items = int(m_documentMap.size());
    return (items + per - 1) / per;
}

std::pair<int, int> CAPrintingView::mapRangeForPage(int page) const
{
    const int size = int(m_documentMap.size());
    const long long first = (long long)(page - 1) * itemsPerPage();
    if (page < 1 || first >= size)
        return {size, 0};
    return {int(first), std::min(itemsPerPage(), size - int(first))};
}

bool CAPrintingView::printPages(QPdfWriter &writer, QString *error)
{
    CAPdfPrintTarget target(writer);
    return printPages(target, error);
}

bool CAPrintingView::printPages(CAPrintTarget &target, QString *error)
{
    m_failures.clear();
    QPagedPaintDevice &device = target.device();
    // Named while the pages are painted, so that the views find the printer that prints.
    struct JobTarget
    {
        CAPrintTarget *&slot;
        ~JobTarget() { slot = nullptr; }
    } job{m_target};
    m_target = &target;
    const auto refuse = [&](const QString &reason) {
        qCWarning(lcPrinting) << reason;
        if (error)
            *error = reason;
        return false;
    };
    for (const std::shared_ptr<CADocument> &document : _documentList) {
        const documentType type = document ? document->docType() : dtUnknown;
        if (type != dtLabel && type != dtEnvelope && type != dtPostcard)
            return refuse(QStringLiteral("CADocument::printShowingPrintPanel - Document Type is not Supported"));
    }
    if (!calibrationMode())
        setPrintViewMode(kPrintMode);
    noteJobOfPersons();
    // Images made for the preview are of the preview's resolution: none of them is printed.
    clearDocMapPreviewCache();
    for (CADocMapEntry &entry : m_documentMap) {
        entry.preview.reset();
        entry.incomplete = false;
        entry.drawn = false;
    }

    const int pages = pageCount();
    if (pages < 1)
        return refuse(QStringLiteral("There is nothing to print."));
    // Workers prepare the copies in the map's order, each once: a job in another order makes
    // each copy when its page is painted, as the preview does.
    bool everyPageOnce = true;
    const std::vector<int> order = target.pagesWritten(pages, &everyPageOnce);
    if (order.empty())
        return refuse(QStringLiteral("None of the pages asked for is among the job's %1 page(s).").arg(pages));
    const QSizeF paper = paperSize();
    device.setPageLayout(QPageLayout(QPageSize(paper * (25.4 / 72.0), QPageSize::Millimeter, QString(), QPageSize::ExactMatch),
                                     QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Point));
    // A recorded picture sizes its text for the resolution it was recorded at and, played into a
    // device of another resolution, draws it that much larger while its geometry stays: a page of
    // 1200 dots per inch showed every text twelve times too big, clipped to nothing. The page is
    // therefore painted at the pictures' resolution; the output stays vector, and bitmaps keep
    // their own resolution.
    target.setResolution(QPicture().logicalDpiY());
    // A merge drawn straight into its pages has its copies filled, filtered and laid out on
    // worker threads a few pages ahead of the page being written. They end after the painter
    // (declared below, so ended first): the fonts the page writer embeds at its end are theirs.
    // The copies the map held for the preview are set aside meanwhile, and the design's
    // unchanged copies made again once the workers are gone.
    struct SetAside
    {
        CAPrintingView &view;
        std::vector<std::shared_ptr<CADocMapCopy>> unchanged;
        ~SetAside() { view.restoreUnchangedCopies(unchanged); }
    } setAside{*this, {}};
    struct JobPreparer
    {
        CAPrintingView &view;
        ~JobPreparer()
        {
            view.m_lastJobHeldCopies = view.m_preparer ? view.m_preparer->heldCopies() : 0;
            view.m_lastJobCopyBytes = view.m_preparer ? view.m_preparer->copyBytes() : 0;
            view.m_preparer.reset();
        }
    } preparing{*this};
    QPainter painter;
    if (!painter.begin(&device))
        return refuse(QStringLiteral("The printer could not be opened."));
    m_preparer = everyPageOnce ? makePreparer() : nullptr;
    if (m_preparer)
        setAside.unchanged = setAsideMapCopies();
    const double scaleX = device.logicalDpiX() / 72.0;
    const double scaleY = device.logicalDpiY() / 72.0;
    const int written = int(order.size());
    for (int sheet = 1; sheet <= written; ++sheet) {
        const int page = order[std::size_t(sheet - 1)];
        if (sheet > 1 && !device.newPage()) {
            painter.end();
            return refuse(QStringLiteral("Page %1 could not be started.").arg(sheet));
        }
        painter.save();
        painter.scale(scaleX, scaleY);
        drawPage(painter, page);
        painter.restore();
        const auto [first, count] = mapRangeForPage(page);
        releaseMapRange(first, count);
        if (!target.pagePrinted(sheet, written)) {
            target.abort();
            painter.end();
            return refuse(QStringLiteral("The print job was cancelled."));
        }
    }
    painter.end();
    if (!m_failures.isEmpty()) {
        const QString reason =
            QStringLiteral("%1 item(s) could not be drawn and were left blank: %2")
                .arg(m_failures.size())
                .arg(m_failures.join(QStringLiteral(", ")));
        qCWarning(lcPrinting) << reason;
        if (error)
            *error = reason;
        return false;
    }
    return true;
}

// --- the document map ------------------------------------------------------------------------------

std::shared_ptr<CADocument> CAPrintingView::makeCopy(const PWPlist &designData, const QString &designFolder)
{
    auto copy = std::make_shared<CADocument>(std::make_unique<CFTADocument>());
    QString reason;
    // A copy is printed, never saved: it keeps nothing of the file for a save.
    const CDDArchiveKept::Forgotten printed;
    const CDDFile::Folder files(designFolder);
    if (!copy->loadPropertyList(designData, &reason)) {
        qCWarning(lcPrinting) << "the design could not be copied for printing:" << reason;
        return nullptr;
    }
    copy->setPrintMode(true);
    copy->setDesignFolder(designFolder);
    return copy;
}

const PWPerson *CAPrintingView::personAt(int listIndex) const
{
    if (!_personList || listIndex < 0 || std::size_t(listIndex) >= _personList->size())
        return nullptr;
    return (*_personList)[std::size_t(listIndex)].get();
}

CADocumentMap CAPrintingView::getDocumentMap(const DocumentList &documentList,
                                             const std::optional<PersonList> &personList, int copies)
{
    return getDocumentMap(documentList, personList, copies, 0, copies);
}

CADocumentMap CAPrintingView::getDocumentMap(const DocumentList &documentList,
                                             const std::optional<PersonList> &personList, int copies,
                                             int startOffset, int limit)
{
    bool useList = personList.has_value() && _usePrintList;
    std::uint32_t persons = useList ? std::uint32_t(personList->size()) : 1u;
    const std::uint32_t designs = std::uint32_t(documentList.size());
    if (persons == 0) {
        // An empty print list prints the design's own recipient.
        _usePrintList = false;
        useList = false;
        persons = 1;
        if (copies < 1) {
            copies = 1;
            limit = std::max(limit, 1);
        }
    }
    // Only -1 means one per design and person; other negative counts print nothing.
    const std::uint32_t total = copies == -1 ? designs * persons : std::uint32_t(std::max(copies, 0));
    std::uint32_t each = total / persons;
    std::uint32_t extra = total % persons;
    if (each == 0) {
        each = 1;
        persons = extra;
        extra = 0;
    }
    const std::uint32_t limitCount = std::uint32_t(limit);
    startOffset = std::max(startOffset, 0);

    CADocumentMap map;
    map.reserve(total);

    // Per design, the unchanged copy every entry starts from. The filters look at each person
    // only when the entry's page is needed (settleEntry), so that a long list fills every
    // person in once, in page order, and holds no copy it is not printing.
    std::vector<std::shared_ptr<CADocMapCopy>> shared(designs);
    for (std::uint32_t d = 0; d < designs; ++d) {
        const std::shared_ptr<CADocument> &design = documentList[d];
        if (!design)
            continue;
        // Written once: every copy of the design is made from the same property list, which is
        // never turned into file bytes (of a large design, several times the design's memory).
        // As the design holds it: what it keeps of its file for a save is no part of the print.
        const CDDArchiveKept::Forgotten held;
        PWPlist written = design->propertyListForComponents(nullptr);
        if (!written.isDictionary()) {
            qCWarning(lcPrinting) << "the design could not be copied for printing";
            continue;
        }
        auto data = std::make_shared<const PWPlist>(std::move(written));
        std::shared_ptr<CADocument> copy = makeCopy(*data, design->designFolder());
        if (!copy)
            continue;
        copy->snapshotObjects();
        shared[d] = std::make_shared<CADocMapCopy>();
        shared[d]->ownRecipient = copy->currentPerson(true);
        shared[d]->document = std::move(copy);
        shared[d]->designData = std::move(data);
        shared[d]->documentIndex = int(d);
    }

    for (std::uint32_t p = 0; p < persons && p < limitCount; ++p) {
        const int listIndex = useList ? int(p) + startOffset : -1;
        const std::uint32_t placements = each + (extra > 0 ? 1 : 0);
        for (std::uint32_t d = 0; d < designs; ++d) {
            if (!shared[d])
                continue; // logged when the copy failed
            for (std::uint32_t n = 0; n < placements; ++n) {
                CADocMapEntry entry;
                entry.copy = shared[d];
                entry.personIndex = listIndex;
                entry.documentIndex = int(d);
                entry.pending = true;
                map.push_back(std::move(entry));
                shared[d]->lastIndex = int(map.size()) - 1;
            }
        }
        if (extra > 0)
            --extra;
    }
    return map;
}

void CAPrintingView::settleEntry(int index)
{
    const int size = int(m_documentMap.size());
    const CADocMapEntry &at = m_documentMap[std::size_t(index)];
    if (!at.pending || !at.copy)
        return;
    // The run: the neighbouring pending entries of the same person and design (one person's
    // placements). Without a list every entry shows the design's own recipient, one run.
    const auto sameRun = [&](int other) {
        const CADocMapEntry &entry = m_documentMap[std::size_t(other)];
        return entry.pending && entry.copy == at.copy && entry.personIndex == at.personIndex &&
               entry.documentIndex == at.documentIndex;
    };
    int first = index;
    while (first > 0 && sameRun(first - 1))
        --first;
    int last = index;
    while (last + 1 < size && sameRun(last + 1))
        ++last;

    const std::shared_ptr<CADocMapCopy> shared = at.copy;
    const int listIndex = at.personIndex;
    const bool listPerson = listIndex >= 0;
    for (int i = first; i <= last; ++i)
        m_documentMap[std::size_t(i)].pending = false;
    if (!shared->document)
        return; // only the unchanged copy makes entries pending, and it is always held
    const PWPerson *person = listPerson ? personAt(listIndex) : shared->ownRecipient.get();

    // Every person is looked at on the unchanged copy as it came from the design: the filter of
    // the view with nothing done yet.
    const CADocumentFilter filter = withNothingDone(currentDocumentFilter());
    CADocument &unchanged = *shared->document;
    if (person && !(listPerson && shared->heldPerson == listIndex)) {
        unchanged.setCurrentPerson(person, true, true, listPerson);
        shared->heldPerson = listPerson ? listIndex : CADocMapCopy::kNoPerson;
    }
    if (!filterChanges(processFilter(filter, unchanged, true)))
        return;
    // The copy other persons share never takes a filter's change: this person gets a copy of
    // their own (also for omitted contact names, which would otherwise reach the persons after
    // them). The unchanged copy, filled with the person just now, is that copy; the spare, put
    // back as it was before its filters, or else a fresh copy, takes its place.
    std::shared_ptr<CADocument> next = shared->spare;
    const std::shared_ptr<CADocMapCopy> holder = shared->spareHolder.lock();
    if (next && holder && holder->document == next) {
        // The spare is still in use while an entry of its run has no image yet (a run across a
        // page, or pages shown out of order): taking it would make that image again.
        for (int i = holder->lastIndex; i >= 0 && i < size && m_documentMap[std::size_t(i)].copy == holder; --i) {
            const CADocMapEntry &entry = m_documentMap[std::size_t(i)];
            if (!entry.preview && !entry.drawn) {
                next.reset();
                break;
            }
        }
        if (next) {
            holder->document.reset();
            holder->heldPerson = CADocMapCopy::kNoPerson;
        }
    }
    const bool spareTaken = next != nullptr || !shared->spare;
    if (next) {
        forgetCachedImagesOf(next.get());
        next->restoreObjects();
    } else {
        next = copyOfDesign(at.documentIndex, *shared->designData);
        if (!next)
            return;
        next->snapshotObjects();
    }
    std::shared_ptr<CADocument> own = std::move(shared->document);
    shared->document = std::move(next);
    shared->heldPerson = CADocMapCopy::kNoPerson;
    // Images of the persons who keep the unchanged copy stay theirs under its new identity.
    moveCachedImages(own.get(), shared->document.get());
    // The unchanged copy was filled without its format for the design's own recipient, and not
    // at all for a missing person.
    const bool refilled = !listPerson || !person;
    if (refilled)
        own->setCurrentPerson(person, true, true, true);
    own->snapshotObjects();
    // A list person's copy is still as the check left it: its panels need not be laid out again.
    processFilter(filter, *own, false, !refilled);
    if (spareTaken)
        shared->spare = own;
    auto record = std::make_shared<CADocMapCopy>();
    record->document = std::move(own);
    record->designData = shared->designData;
    record->documentIndex = at.documentIndex;
    record->personIndex = listIndex;
    record->filter = filter;
    record->disposable = true;
    record->heldPerson = listIndex;
    record->lastIndex = last;
    if (spareTaken)
        shared->spareHolder = record;
    for (int i = first; i <= last; ++i)
        m_documentMap[std::size_t(i)].copy = record;
}

void CAPrintingView::updateDocumentMap(const DocumentList &documentList, const std::optional<PersonList> &personList)
{
    clearObjects();
    clearDocMapPreviewCache();
    m_documentMap = getDocumentMap(documentList, personList, _nCopies);
    fillCurrentMarkerDocumentMap();
}

void CAPrintingView::updateDocumentMap()
{
    updateDocumentMap(_documentList, _usePrintList ? _personList : std::nullopt);
}

void CAPrintingView::fillCurrentMarkerDocumentMap()
{
    const auto [first, count] = mapRangeForPage(_nCurPage);
    for (int i = first; i < first + count; ++i)
        refreshDocumentMap(i, false);
}

void CAPrintingView::refreshDocumentMap()
{
    for (int i = 0; i < int(m_documentMap.size()); ++i)
        refreshDocumentMap(i, true);
}

CADocument *CAPrintingView::materialize(int index)
{
    settleEntry(index);
    CADocMapEntry &entry = m_documentMap[std::size_t(index)];
    if (!entry.copy)
        return nullptr;
    CADocMapCopy &copy = *entry.copy;
    if (copy.document || !copy.designData)
        return copy.document.get();
    std::shared_ptr<CADocument> document = copyOfDesign(copy.documentIndex, *copy.designData);
    if (!document)
        return nullptr;
    const PWPerson *person = copy.personIndex >= 0 ? personAt(copy.personIndex) : nullptr;
    std::shared_ptr<PWPerson> own;
    if (!person) {
        own = document->currentPerson(true);
        person = own.get();
    }
    document->setCurrentPerson(person, true, true, true);
    document->snapshotObjects();
    processFilter(copy.filter, *document, false);
    copy.document = std::move(document);
    copy.heldPerson = copy.personIndex;
    return copy.document.get();
}

CADocument *CAPrintingView::documentForMapIndex(int index)
{
    if (index < 0 || std::size_t(index) >= m_documentMap.size())
        return nullptr;
    return materialize(index);
}

void CAPrintingView::refreshDocumentMap(int index, bool updatePreview)
{
    refreshEntry(index, updatePreview, true);
}

CADocument *CAPrintingView::prepareEntry(int index, bool reapplyPerson)
{
    if (index < 0 || std::size_t(index) >= m_documentMap.size())
        return nullptr;
    CADocument *document = materialize(index);
    if (!document)
        return nullptr;
    CADocMapEntry &entry = m_documentMap[std::size_t(index)];
    document->resetObjects();
    document->clearObjects();
    if (const PWPerson *person = entry.personIndex != -1 ? personAt(entry.personIndex) : nullptr) {
        if (reapplyPerson || entry.copy->heldPerson != entry.personIndex) {
            document->setCurrentPerson(person, true, true, true);
            entry.copy->heldPerson = entry.personIndex;
            // Filled again, each field has the comma the design shows after it: the copy's own
            // filter takes it away again where nothing follows, as it did when the copy was made.
            const CADocumentFilter &filter = entry.copy->filter;
            if (filter.contains(DocumentFilterKey::CommaDelimited)) {
                if (CFTADocument *kernel = document->ftDocument())
                    for (CFTComponent *component : kernel->GetComponents(0, false))
                        component->updatePhoneticRules(filter.value(DocumentFilterKey::CommaDelimited));
            }
        }
    }
    return document;
}

void CAPrintingView::refreshEntry(int index, bool updatePreview, bool reapplyPerson)
{
    CADocument *document = prepareEntry(index, reapplyPerson);
    if (!document)
        return;
    CADocMapEntry &entry = m_documentMap[std::size_t(index)];
    if (!entry.preview || updatePreview) {
        const bool vector = _bVectorPrinting || previewMode();
        std::optional<PWPictureRenderer::Deferred> deferred;
        if (m_defersRenderings && previewMode())
            deferred.emplace();
        const int pendingBefore = PWPictureRenderer::pendingCount();
        entry.preview = cachedImageForDocument(*document, entry.personIndex, entry.documentIndex, vector, true);
        entry.incomplete = PWPictureRenderer::pendingCount() != pendingBefore;
    }
}

CAImageEx *CAPrintingView::imageForMapIndex(int index)
{
    if (index < 0 || std::size_t(index) >= m_documentMap.size())
        return nullptr;
    // The copy was filled with the list's person when it was made or last refreshed; the list
    // does not change while a job prints.
    if (!m_documentMap[std::size_t(index)].preview)
        refreshEntry(index, false, false);
    CAImageEx *image = m_documentMap[std::size_t(index)].preview.get();
    if (!image)
        recordItemFailure(index);
    return image;
}

bool CAPrintingView::filterChanges(const CADocumentFilter &result)
{
    using namespace DocumentFilterKey;
    return result.value(DidSuppressCountryField) || result.value(DidOmitContactName) ||
           result.value(DidCommaDelimited) || result.value(DidFitAddressPanel);
}

bool CAPrintingView::drawsItemsDirectly() const
{
    return _viewMode == kPrintMode && _bVectorPrinting && !m_renderer;
}

std::unique_ptr<CAPrintPreparer> CAPrintingView::makePreparer() const
{
    if (!drawsItemsDirectly() || !preparationAllowed())
        return nullptr;
    std::optional<CAPrintPreparer::Job> job = CAPrintPreparer::jobForMap(m_documentMap, _documentList, *_personList);
    if (!job)
        return nullptr;
    const std::size_t components = std::max<std::size_t>(componentsOfLargest(_documentList), 1);
    const int held = int(std::clamp<std::size_t>(m_preparedComponentBound / components, 1, 1000));
    const int threads = m_preparationThreads < 0 ? CAPrintPreparer::defaultWorkerCount() : m_preparationThreads;
    // A copy that large alone: the page writer makes it, and a worker would only add one more.
    return std::make_unique<CAPrintPreparer>(std::move(*job), withNothingDone(currentDocumentFilter()),
                                             double(_resolution), std::min(held, std::max(16, 3 * itemsPerPage())),
                                             held > 1 ? std::min(threads, held) : 0, m_preparedBytes);
}

void CAPrintingView::moveCachedImages(const CADocument *from, const CADocument *to)
{
    std::vector<decltype(m_imageCache)::node_type> moved;
    for (auto item = m_imageCache.begin(); item != m_imageCache.end();) {
        const auto current = item++;
        if (current->first.document() == from)
            moved.push_back(m_imageCache.extract(current));
    }
    for (auto &node : moved) {
        const DocMapPreviewType &key = node.key();
        node.key() = DocMapPreviewType(to, key.personIndex(), key.documentIndex(), key.isVectorImage());
        m_imageCache.insert(std::move(node));
    }
}

void CAPrintingView::forgetCachedImagesOf(const CADocument *document)
{
    std::erase_if(m_imageCache, [document](const auto &item) { return item.first.document() == document; });
}

void CAPrintingView::clearDocMapPreviewCache()
{
    m_imageCache.clear();
}

void CAPrintingView::clearObjects()
{
    const CADocMapCopy *last = nullptr;
    for (CADocMapEntry &entry : m_documentMap) {
        if (entry.copy.get() == last)
            continue; // runs of entries share their copy
        last = entry.copy.get();
        if (CADocument *document = entry.document())
            document->clearObjects();
    }
}

// --- images ----------------------------------------------------------------------------------------

double CAPrintingView::bleedForDocument(const CADocument &document)
{
    const CFTADocument *kernel = document.ftDocument();
    if (!kernel)
        return 0.0;
    if (kernel->isLabelRoll())
        return 50.0;
    return std::min(kernel->GetHSpace(), kernel->GetVSpace()) / 2.0;
}

std::shared_ptr<CAImageEx> CAPrintingView::imageForDocument(CADocument &document, bool vectorPrinting,
                                                            bool withPrinting, double resolution)
{
    const double bleed = bleedForDocument(document);
    if (m_renderer)
        return m_renderer(document, vectorPrinting, withPrinting, resolution, bleed);
    return defaultItemImage(document, vectorPrinting, withPrinting, resolution, bleed);
}

std::shared_ptr<CAImageEx> CAPrintingView::imageForDocument(CADocument &document)
{
    return imageForDocument(document, _bVectorPrinting, !previewMode(), _resolution);
}

std::shared_ptr<CAImageEx> CAPrintingView::cachedImageForDocument(CADocument &document, int personIndex,
                                                                  int documentIndex, bool vectorImage, bool store)
{
    if (personIndex == -1 && documentIndex == -1)
        return imageForDocument(document);
    const DocMapPreviewType key(&document, asIndex(personIndex), asIndex(documentIndex), vectorImage);
    if (const auto found = m_imageCache.find(key); found != m_imageCache.end())
        return found->second;
    const int pendingBefore = PWPictureRenderer::pendingCount();
    std::shared_ptr<CAImageEx> image = imageForDocument(document, vectorImage, !previewMode(), _resolution);
    // Kept, the image of a picture not yet rendered would stand in for that picture for good.
    if (image && store && PWPictureRenderer::pendingCount() == pendingBefore)
        m_imageCache.emplace(key, image);
    return image;
}

// --- in-place editing ------------------------------------------------------------------------------

void CAPrintingView::printControllerEndEditing(std::shared_ptr<CADocument> document)
{
    if (_editingIndex == -1 || _editingIndex < 0 || std::size_t(_editingIndex) >= m_documentMap.size() || !document)
        return;
    CADocMapEntry &entry = m_documentMap[std::size_t(_editingIndex)];
    auto copy = std::make_shared<CADocMapCopy>();
    copy->document = std::move(document);
    copy->lastIndex = _editingIndex;
    entry.copy = std::move(copy);
    entry.personIndex = -1;
    entry.documentIndex = -1;
    entry.preview.reset();
    refreshDocumentMap(_editingIndex, true);
    _editingIndex = -1;
}

// --- settings --------------------------------------------------------------------------------------

QString CAPrintingView::printerForPainter(const QPainter &painter) const
{
    if (CAPrintTarget *target = printTarget(); target && painter.device() == &target->device()) {
        const QString name = target->printerName();
        if (!name.isEmpty())
            return name;
    }
    return printSettings().printerName;
}

void CAPrintingView::setPrintSettings(const CAPrintSettings &settings)
{
    const int copies = m_settings.copies;
    m_settings = settings;
    m_settings.copies = copies;
}

void CAPrintingView::setCopies(int copies)
{
    _nCopies = copies;
    m_settings.copies = copies;
    updateDocumentMap();
}

void CAPrintingView::setCurPage(int page)
{
    _nCurPage = page;
    fillCurrentMarkerDocumentMap();
}
