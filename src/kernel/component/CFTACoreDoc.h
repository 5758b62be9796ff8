#pragma once

#include "kernel/base/CDDColor.h"
#include "kernel/base/CDDString.h"
#include "kernel/component/CFTComponentsInterface.h"
#include "kernel/component/CFTDefComponentBox.h"
#include "kernel/component/CFTDefComponentText.h"
#include "kernel/component/CFTSnapObject.h"
#include "kernel/base/FTComponentTypes.h"
#include "kernel/base/FTTypes.h"

#include <memory>
#include <unordered_map>
#include <vector>

class CDDArchive;
class CDDDrawer;
class CFTComponent;
class CFTLayoutGuideline;

// The abstract core of every design document: its sides (pages), each with two component lists
// in drawing order (the first drawn first, the last front-most) and a list of layout guidelines;
// the design's kind, sizes, paper colour, units and display flags; the attributes new shapes and
// texts start with; and the deferred-delete pools.
//
// Ownership: the document owns its sides, a side owns the components and guidelines in its
// lists, and a component or guideline removed from a side moves into the document's pool, where
// it stays alive (so that an undo can put it back) until the document goes. Each object is at
// most once in a pool and never in a pool and a list at the same time. A component handed to
// AddObject becomes the document's.
class CFTACoreDoc : public CFTSnapObject, public CFTComponentsInterface
{
public:
    // One page of the design.
    class ftSide
    {
    public:
        ftSide();
        // Frees the components and guidelines still in its lists, each once.
        ~ftSide();

        ftSide(const ftSide &) = delete;
        ftSide &operator=(const ftSide &) = delete;

        // A new side with new components and guidelines equal to these as far as their archives
        // carry, and the same orientation.
        std::unique_ptr<ftSide> clone() const;
        // Hands every component and guideline of the side to the document's pools.
        void clean(CFTACoreDoc *document);
        // 0 horizontal, 1 vertical; only bit 0 counts.
        int getPageOrientation() const { return mPageOrientation; }
        void setPageOrientation(int orientation) { mPageOrientation = orientation; }

        std::vector<CFTComponent *> maBackComponents;
        std::vector<CFTComponent *> maComponents;
        std::vector<CFTLayoutGuideline *> maLayoutGuidelines;

    private:
        int mPageOrientation = 0;
    };

    CFTACoreDoc();
    ~CFTACoreDoc() override;

    CFTACoreDoc(const CFTACoreDoc &) = delete;
    CFTACoreDoc &operator=(const CFTACoreDoc &) = delete;

    // --- Operations the kernel document refines -----------------------------------------------
    virtual int textExtHavingTextBlock(void *block, bool flag, int &index);
    virtual void lockLayoutGuidelines();
    virtual void unlockLayoutGuidelines();
    virtual bool isLockLayoutGuidelines() const;
    // The card's width and height as the side shows them: swapped on a vertical side.
    virtual double getDocumentSizeX(int sideIndex) const;
    virtual double getDocumentSizeY(int sideIndex) const;
    virtual double getPrintableSizeX() const;
    virtual double getPrintableSizeY() const;
    // Draws the list in order; a null interface means the document itself.
    virtual void DrawComponents(const std::vector<CFTComponent *> &list, CDDDrawer *drawer, bool selected,
                                CFTComponentsInterface *components);
    virtual void DrawBackground(CDDDrawer *drawer);
    virtual std::vector<CDDWrappingPath *> GetPathsForTextWrap(CDDDrawer *drawer, const QRectF &rect, bool flag,
                                                               textWrap wrap) const;
    virtual bool HasInnerHole() const;
    virtual void setMarginTop(double margin);
    virtual void setMarginBottom(double margin);
    virtual void setMarginLeft(double margin);
    virtual void setMarginRight(double margin);
    virtual double getMarginTop(int sideIndex) const;
    virtual double getMarginBottom(int sideIndex) const;
    virtual double getMarginLeft(int sideIndex) const;
    virtual double getMarginRight(int sideIndex) const;
    virtual void setDocumentName(CDDString *name);
    virtual void setDocumentAuthor(CDDString *author);
    virtual void setDocumentDescription(CDDString *description);

    // --- Sides and lists ----------------------------------------------------------------------
    // Side indexes out of range are refused: list getters then answer an empty list (or null),
    // and editing operations change nothing.
    int getSidesCount() const { return int(maSide.size()); }
    ftSide *getPage(int sideIndex) const;
    // Appends a side (or, given one, that side) and answers its index.
    int addSide(std::unique_ptr<ftSide> newSide = nullptr);
    // back selects the back components, else the components.
    const std::vector<CFTComponent *> &GetComponents(int sideIndex, bool back) const;
    std::vector<CFTComponent *> *GetComponentsPtr(int sideIndex, bool back) const;
    // Calls visit for every component of every side, the back list first. Each list is walked over
    // a copy, so that a visit may change the lists.
    template <typename Visit>
    void forEachComponent(Visit visit) const
    {
        for (int side = 0; side < getSidesCount(); ++side) {
            for (const bool back : {true, false}) {
                const std::vector<CFTComponent *> copy = GetComponents(side, back);
                for (CFTComponent *component : copy)
                    visit(component);
            }
        }
    }
    const std::vector<CFTLayoutGuideline *> &GetLayoutGuidelines(int sideIndex) const;
    // Empties the side's guideline list into the pool.
    void DeleteLayoutGuidelines(int sideIndex);
    void SetHorizontal(bool horizontal, int sideIndex);
    bool IsHorizontal(int sideIndex) const;
    void setDocumentSizeX(double size) { mdSizeX = size; }
    void setDocumentSizeY(double size) { mdSizeY = size; }
    void setPrintableSizeX(double size) { mdPrintableSizeX = size; }
    void setPrintableSizeY(double size) { mdPrintableSizeY = size; }
    documentType getDocumentType() const { return m_DocumentType; }
    void setDocumentType(documentType type) { m_DocumentType = type; }
    bool isLabelType() const { return m_DocumentType == dtLabel; }
    void SetPredefinedLayout(bool predefined) { mbPredefinedLayout = predefined; }
    bool IsPredefinedLayout() const { return mbPredefinedLayout; }
    void setUnits(cardUnits units) { mUnits = units; }
    cardUnits getUnits() const { return mUnits; }
    const CDDColor *getColor() const { return &mPaperColor; }
    void setColor(const CDDColor &color) { mPaperColor = color; }
    void SetLayoutGuidelinesVisible(bool visible) { m_bLayoutGuidelinesVisible = visible; }
    bool LayoutGuidelinesVisible() const { return m_bLayoutGuidelinesVisible; }
    bool getSnap() const { return true; }
    CFTDefComponentBox *getDefBox() { return &ms_defBox; }
    CFTDefComponentText *getDefText() { return &ms_defText; }

    // --- Editing ------------------------------------------------------------------------------
    // Appends the component (front-most) unless it is already in the list, taking it out of the
    // pool; then refreshes the smart-field values.
    void AddObject(CFTComponent *component, int sideIndex, bool back);
    // Moves the component from the list into the pool; false when it is not in the list.
    bool DeleteObject(const CFTComponent *component, int sideIndex, bool back);
    // Takes the component out of the list and gives it to the caller; null when it was not in
    // the list (or is still in another list of the document, which keeps it).
    std::unique_ptr<CFTComponent> EreaseObject(const CFTComponent *component, int sideIndex, bool back);
    void AddLayoutGuideline(CFTLayoutGuideline *guideline, int sideIndex);
    bool DeleteLayoutGuideline(const CFTLayoutGuideline *guideline, int sideIndex);
    // Puts into, or takes out of, the pool; the pool owns what it holds.
    void autorelease(const CFTComponent *component);
    void autoretain(const CFTComponent *component);
    void autorelease(const CFTLayoutGuideline *guideline);
    void autoretain(const CFTLayoutGuideline *guideline);
    bool isInDeletedPool(const CFTComponent *component) const;
    bool isInDeletedPool(const CFTLayoutGuideline *guideline) const;
    int deletedPoolSize() const { return int(maDeletedPool.size()); }
    int deletedLayoutGuidelinesPoolSize() const { return int(maDeletedLayoutGuidelinesPool.size()); }

    // Z-order; each answers whether the component moved.
    bool StepToBack(side sideIndex, bool back, CFTComponent *component);
    bool StepToFront(side sideIndex, bool back, CFTComponent *component);
    bool SendToBack(side sideIndex, bool back, CFTComponent *component);
    bool SendToFront(side sideIndex, bool back, CFTComponent *component);

    // Gives every smart field its date or its page number and page count.
    void validateObjectsValue() const;

    // --- Series printing and snapshots (counters and file fields of side 0) ------------------
    bool hasSeriesFields() const;
    void resetObjects();
    void nextStepObjects();
    // number counts the printed items from 1.
    void setValueObjects(int number);
    void clearObjects();
    void snapshotObjects();
    void restoreObjects();

    // --- Archives -----------------------------------------------------------------------------
    // A storing archive of the component, of the parent's package type and path when a parent is
    // given, carrying the running application's bundle version.
    static CDDArchive GetArchiveFromObject(CFTComponent *component, const CDDArchive *parent);
    static int GetArchiveArrayFromObject(CFTComponent *component, std::vector<CDDArchive> &archives);
    // Stores the list as the array "Components" (nothing for an empty list; extended texts as
    // their blocks when subcomponents is set), or loads that array's components into the list,
    // each read with the archive's bundle version. Loading answers false when an entry yields no
    // component; the others are loaded all the same.
    static bool SerializeComponents(CDDArchive &archive, std::vector<CFTComponent *> *list, bool subcomponents);
    // Logs, and notes in the reading's report, the list entry (at index) that made no component.
    static void noteComponentLeftOut(const CDDArchive &entry, int index);
    // Stores the side's guidelines as the array "Layout Guidelines" (nothing when there are
    // none), or appends those of the archive to the side. Loading answers false when an entry is
    // not a guideline archive.
    bool SerializeLayoutGuidelines(CDDArchive &archive, int sideIndex);
    // Left, top, right and bottom of the components' draw rectangles; nothing unless all four
    // pointers are given. An empty list gives (1e6, 1e6, -1e6, -1e6).
    static void GetBoundForComponents(double *left, double *top, double *right, double *bottom,
                                      const std::vector<CFTComponent *> &list);
    static void GetSelectionRectForComponents(double *x, double *y, double *width, double *height,
                                              const std::vector<CFTComponent *> &list);

protected:
    bool validSide(int sideIndex) const { return sideIndex >= 0 && sideIndex < int(maSide.size()); }
    // Whether the component stands in any list of any side.
    bool isListed(const CFTComponent *component) const;

    std::vector<std::unique_ptr<ftSide>> maSide;
    // Keyed by the object, so that emptying a side of many components into the pool, and finding
    // one there, does not grow with the pool.
    std::unordered_map<const CFTComponent *, std::unique_ptr<CFTComponent>> maDeletedPool;
    std::unordered_map<const CFTLayoutGuideline *, std::unique_ptr<CFTLayoutGuideline>> maDeletedLayoutGuidelinesPool;
    documentType m_DocumentType = dtLabel;
    double mdSizeX = 0.0;
    double mdSizeY = 0.0;
    double mdPrintableSizeX = 0.0;
    double mdPrintableSizeY = 0.0;
    CDDColor mPaperColor;
    bool m_bDrawObjectBorders = true;
    bool m_bLayoutGuidelinesVisible = true;
    bool m_bMarginsVisible = true;
    bool m_bDrawGuidelines = true;
    bool m_bDrawFoldlines = true;
    bool mbPredefinedLayout = false;
    bool mbHorizontal = false;
    cardUnits mUnits = cuMillimeters;
    CFTDefComponentBox ms_defBox;
    CFTDefComponentText ms_defText;
};
