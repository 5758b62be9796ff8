#include "kernel/component/CFTDocumentController.h"

#include "kernel/component/CFTACoreDoc.h"

#include <algorithm>

CFTDocumentController::CFTDocumentController()
{
    Init();
}

CFTDocumentController::~CFTDocumentController() = default;

void CFTDocumentController::Init()
{
    mCurrentIndex = 0;
    mbFlag1 = true;
    mbFlag2 = true;
}

int CFTDocumentController::AddDocument(std::unique_ptr<CFTACoreDoc> document)
{
    if (!document)
        return -1;
    const CFTACoreDoc *const added = document.get();
    const auto owned = std::find_if(maDocuments.begin(), maDocuments.end(),
                                    [added](const std::unique_ptr<CFTACoreDoc> &d) { return d.get() == added; });
    if (owned != maDocuments.end()) {
        // Already ours: the second owner must not free it as well.
        (void)document.release();
        return -1;
    }
    maDocuments.push_back(std::move(document));
    autoretain(added);
    return int(maDocuments.size()) - 1;
}

void CFTDocumentController::autoretain(const CFTACoreDoc *document)
{
    maReleasedDocuments.erase(std::remove(maReleasedDocuments.begin(), maReleasedDocuments.end(), document),
                              maReleasedDocuments.end());
}

CFTACoreDoc *CFTDocumentController::GetCurrentDocument()
{
    return GetDocumentByIndex(mCurrentIndex);
}

CFTACoreDoc *CFTDocumentController::GetDocumentByIndex(unsigned int index) const
{
    return index < maDocuments.size() ? maDocuments[index].get() : nullptr;
}
