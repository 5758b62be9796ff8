// What a print job does to the document map around the pages it writes: whether workers prepare
// its copies, the copies it draws and lets go of once drawn, the copies it sets aside while
// workers prepare its own, and the items it could not draw.
#include "kernel/merge/CAPrintingView.h"

#include "kernel/merge/CADocument.h"
#include "kernel/merge/CAPrintPreparer.h"
#include "kernel/merge/CAPrintedItemChecks.h"
#include "kernel/printing/CAPrintingLog.h"
#include "platform/PWJobReport.h"
#include "platform/PWPlist.h"

CADocument *CAPrintingView::documentToDrawForMapIndex(int index)
{
    if (m_preparer && m_preparer->covers(index))
        return m_preparer->take(index);
    // As for an image: the list does not change while a job prints.
    return prepareEntry(index, false);
}

bool CAPrintingView::preparationAllowed() const
{
    // As a job would be, in print mode (calibration pages print no items).
    return m_preparationThreads != 0 && takesItemsToDraw() && !calibrationMode() && _bVectorPrinting && !m_renderer &&
           _usePrintList && _personList;
}

bool CAPrintingView::preparesItemsOnWorkers() const
{
    return preparationAllowed() && CAPrintPreparer::jobForMap(m_documentMap, _documentList, *_personList);
}

void CAPrintingView::releaseMapRange(int first, int count)
{
    const int size = int(m_documentMap.size());
    first = std::max(first, 0);
    const int end = int(std::min<long long>((long long)first + std::max(count, 0), size));
    if (m_preparer)
        m_preparer->releaseBefore(end);
    const auto asIndex = [](int index) { return index < 0 ? DocMapPreviewType::kNone : std::uint32_t(index); };
    for (int i = first; i < end; ++i) {
        CADocMapEntry &entry = m_documentMap[std::size_t(i)];
        entry.preview.reset();
        entry.incomplete = false;
        const CADocument *document = entry.document();
        for (bool vector : {false, true})
            m_imageCache.erase(
                DocMapPreviewType(document, asIndex(entry.personIndex), asIndex(entry.documentIndex), vector));
        if (entry.copy && entry.copy->disposable && entry.copy->lastIndex < end && entry.copy->document) {
            entry.copy->document->clearObjects();
            forgetCachedImagesOf(entry.copy->document.get());
            entry.copy->document.reset();
            entry.copy->heldPerson = CADocMapCopy::kNoPerson;
        }
    }
}

void CAPrintingView::markDrawn(int index)
{
    if (index >= 0 && std::size_t(index) < m_documentMap.size())
        m_documentMap[std::size_t(index)].drawn = true;
}

void CAPrintingView::recordItemFailure(int index)
{
    const QString failure = QStringLiteral("item %1").arg(index + 1);
    if (!m_failures.contains(failure)) {
        qCWarning(lcPrinting) << "no image could be made for" << failure;
        m_failures.append(failure);
    }
}

std::vector<std::shared_ptr<CADocMapCopy>> CAPrintingView::setAsideMapCopies()
{
    // The preview's copies of the current page (one per person a filter changed, the design's
    // unchanged one, the spare) would stand beside every copy the job makes: of a large design,
    // several times the design's memory.
    std::vector<std::shared_ptr<CADocMapCopy>> unchanged;
    for (CADocMapEntry &entry : m_documentMap) {
        const std::shared_ptr<CADocMapCopy> &record = entry.copy;
        if (!record || !record->document || !record->designData)
            continue; // let go of already, or edited in place (kept: it has no design to copy)
        forgetCachedImagesOf(record->document.get());
        if (!record->disposable) {
            record->spare.reset();
            record->spareHolder.reset();
            unchanged.push_back(record);
        } else {
            record->document->clearObjects();
        }
        record->document.reset();
        record->heldPerson = CADocMapCopy::kNoPerson;
    }
    return unchanged;
}

void CAPrintingView::restoreUnchangedCopies(const std::vector<std::shared_ptr<CADocMapCopy>> &unchanged) const
{
    for (const std::shared_ptr<CADocMapCopy> &record : unchanged) {
        if (record->document)
            continue;
        record->document = copyOfDesign(record->documentIndex, *record->designData);
        if (record->document)
            record->document->snapshotObjects();
    }
}

std::shared_ptr<CADocument> CAPrintingView::copyOfDesign(int documentIndex, const PWPlist &designData) const
{
    const CADocument *design = documentIndex >= 0 && std::size_t(documentIndex) < _documentList.size()
                                   ? _documentList[std::size_t(documentIndex)].get()
                                   : nullptr;
    return makeCopy(designData, design ? design->designFolder() : QString());
}

void CAPrintingView::noteJobOfPersons() const
{
    if (!_usePrintList || !_personList || calibrationMode())
        return;
    for (const std::shared_ptr<CADocument> &design : _documentList) {
        if (!design)
            continue;
        CAPrintedItemChecks::noteWithoutRecipient(*design, qsizetype(_personList->size()));
        // What the reading of the design's own persons said holds for a job of those persons.
        if (!design->personListNotes().empty() && design->personList() == _personList)
            for (const CADocument::PersonsNote &note : design->personListNotes())
                PWJobReport::note(note.kind, note.key, note.line);
    }
}
