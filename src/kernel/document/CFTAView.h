#pragma once

#include "kernel/component/CFTACoreView.h"
#include "kernel/component/CFTLayoutGuideline.h"
#include "kernel/base/FTComponentTypes.h"
#include "kernel/base/FTTypes.h"

#include <QRectF>

#include <memory>
#include <vector>

class CAddressFormat;
class CDDArchive;
class CDDPicture;
class CFTAViewObserver;
class QObject;

// The editing view of a design page over the kernel document: what is drawn and in which order,
// where objects enter and leave the edited list, what the inspector and the commands learn about
// the selection, and the text-editing hand-over. It owns no component: whatever leaves the list
// goes to the document's deferred-delete pool, so that an undo can put it back.
class CFTAView : public CFTACoreView
{
public:
    explicit CFTAView(CFTDocumentController *controller);
    ~CFTAView() override;

    // Told of every operation that changed the design (not owned; null for none).
    void setObserver(CFTAViewObserver *observer) { m_observer = observer; }

    // --- Drawing --------------------------------------------------------------------------------
    // The postal areas when asked for, the background, the components back to front, and the
    // snap guides; the rectangle is not used.
    void Draw(double x, double y, double width, double height) override;
    void Draw();
    void DrawBack() override;
    void DrawGuidelines();
    // Every selected object's frame and handles.
    void DrawSelection();
    void SetDrawGuidelines(bool draw) { m_bDrawGuidelines = draw; }
    bool NeedDrawGuidelines() const { return m_bDrawGuidelines; }
    // The drawer the view draws through; the canvas lends it its painter for each paint.
    CDDDrawer *drawer() const { return m_pDrawer.get(); }

    // One postal area: where and how DrawGuidelines frames it.
    struct guidelineArea
    {
        double x, y, width, height;
        bool recipient, drawCaption, unused;
    };
    // The areas of a page of the kind, orientation and size; what DrawGuidelines draws.
    static std::vector<guidelineArea> guidelineAreas(documentType type, bool horizontal, double width, double height);

    void FillSnapArrays(bool forResize) override { fillSnapTables(forResize); }
    // Answers 0; hovering needs no redraw of its own.
    int setMouseLoc(double x, double y, int modifiers);

    // --- The edited list ------------------------------------------------------------------------
    // Not added to the document; the caller owns it.
    std::unique_ptr<CFTComponent> CreateAddressPanel(bool toFrom, const CAddressFormat *format) const;
    // The document takes the object; with select it becomes selected too.
    void InsertComponent(CFTComponent *component, bool select);
    // Each moves the object from the edited list into the pool; false when it was not listed.
    bool DeleteComponent(const CFTComponent *component, bool deselect);
    bool EreaseComponent(const CFTComponent *component, bool deselect);

    // --- The selection --------------------------------------------------------------------------
    // The type most selected objects have, shapes folded into ctRect; 0 when two types tie.
    int getTypeOfSelComponents() const;
    // The selected objects in the order of side 0's main list.
    std::vector<CFTComponent *> getSelComponentsWithDocZOrder() const;
    // Each selected object's selected items, or the object itself when it has none.
    std::vector<CFTComponent *> getSelContainerComponents() const;
    // The select box from the press point to the current point.
    QRectF getNSSBRect() const;

    // --- Background -------------------------------------------------------------------------------
    // The background picture of the shown side, or null.
    CFTComponent *getBackground() const;
    void setEditBackground(bool on) { setToolMode(on ? toolBackground : toolSelect); }
    bool needEditBackground() const { return m_toolMode == toolBackground && getBackground(); }

    // --- Text editing -----------------------------------------------------------------------------
    // The arguments come from the canvas and are passed through untouched.
    void startEditText(QObject *view, QObject *editor, CFTComponent *component);
    void startEditText(QObject *view, QObject *editor, double x, double y);
    // Backtab in an address panel: its field before the edited one; other objects start again.
    void startEditPreviousText(QObject *view, QObject *editor);
    // False without an edited object that is editing.
    bool endEditText(void *editor) override;

    // --- Object services --------------------------------------------------------------------------
    // Not added to the document; the caller places and inserts it.
    static std::unique_ptr<CFTComponent> CreatePicture(const CDDPicture &picture);
    // Covers side 0's whole page; not added.
    std::unique_ptr<CFTComponent> CreateBackground(const CDDPicture &picture) const;
    // At the press point, added to the edited list; null without a document.
    CFTComponent *CreateBarcodeWithMousePos();

    // Each answers whether the object moved; the short forms act on side 0's main list of the
    // first document whatever side the view edits.
    bool StepToBack(side sideIndex, bool back, CFTComponent *component, unsigned documentIndex);
    bool StepToFront(side sideIndex, bool back, CFTComponent *component, unsigned documentIndex);
    bool SendToBack(side sideIndex, bool back, CFTComponent *component, unsigned documentIndex);
    bool SendToFront(side sideIndex, bool back, CFTComponent *component, unsigned documentIndex);
    bool StepToBack(CFTComponent *component) { return StepToBack(sdFront, false, component, 0); }
    bool StepToFront(CFTComponent *component) { return StepToFront(sdFront, false, component, 0); }
    bool SendToBack(CFTComponent *component) { return SendToBack(sdFront, false, component, 0); }
    bool SendToFront(CFTComponent *component) { return SendToFront(sdFront, false, component, 0); }

    // Guidelines go to the edited side whatever side is named.
    void AddLayoutGuideline(CFTLayoutGuideline *guideline, int sideIndex);
    void DeleteLayoutGuideline(CFTLayoutGuideline *guideline, int sideIndex);
    void DeleteCurrentLayoutGuidelines();
    CFTLayoutGuideline *CreateLayoutGuidelineWithMouse(guidelineType type);
    CFTLayoutGuideline *CreateLayoutGuidelineWithOrigin(guidelineType type, double position, int sideIndex);

    // The list (or, without one, the whole edited list) into or out of the archive.
    bool SerializeComponents(CDDArchive &archive, std::vector<CFTComponent *> *components);

    // Answers how many rectangles were written; rects needs room for two.
    int getCursorRectsByType(cursorType type, SRect *rects, CFTComponent &component) const;

    // The wrap outlines in front of the text that owns asker and cross the line, front-most
    // first; the extended text owning asker is the one that is asker.
    std::vector<CDDWrappingPath *> GetIntersectPathForRect(const QRectF &line, double x, double y, double cx, double cy,
                                                           double angle, const void *asker,
                                                           textWrap wrap) const override;

protected:
    void operationEnded(const CFTAOperationReport &report) override;

private:
    void markTextEditing();

    CFTAViewObserver *m_observer = nullptr;
};
