// What a print job does to the document map around the pages it writes: the copies it draws,
// the copies it sets aside while workers prepare its own, and the items it could not draw.
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
