#pragma once

#include "kernel/base/CDDString.h"

#include <memory>
#include <vector>

class CFTACoreDoc;

// The owner of the kernel documents of one application document. The views reach the document
// they edit through GetCurrentDocument; the current index is the owner's to change.
class CFTDocumentController
{
public:
    CFTDocumentController();
    ~CFTDocumentController();

    CFTDocumentController(const CFTDocumentController &) = delete;
    CFTDocumentController &operator=(const CFTDocumentController &) = delete;

    // Current index 0, both flags set.
    void Init();
    // Takes the document and answers its index; -1, and nothing taken, when it is already here
    // or null.
    int AddDocument(std::unique_ptr<CFTACoreDoc> document);
    // Forgets that the document was handed back.
    void autoretain(const CFTACoreDoc *document);
    // Null when the index is out of range.
    CFTACoreDoc *GetCurrentDocument();
    CFTACoreDoc *GetDocumentByIndex(unsigned int index) const;
    int GetDocumentsCount() const { return int(maDocuments.size()); }
    unsigned int GetCurrentIndex() const { return mCurrentIndex; }
    void SetCurrentIndex(unsigned int index) { mCurrentIndex = index; }

    bool flag1() const { return mbFlag1; }
    void setFlag1(bool flag) { mbFlag1 = flag; }
    bool flag2() const { return mbFlag2; }
    void setFlag2(bool flag) { mbFlag2 = flag; }
    const CDDString &name() const { return mName; }
    void setName(const CDDString &name) { mName = name; }

private:
    std::vector<std::unique_ptr<CFTACoreDoc>> maDocuments;
    unsigned int mCurrentIndex = 0;
    std::vector<const CFTACoreDoc *> maReleasedDocuments;
    bool mbFlag1 = true;
    bool mbFlag2 = true;
    CDDString mName;
};
