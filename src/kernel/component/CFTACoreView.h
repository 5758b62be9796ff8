#pragma once

#include "kernel/component/CFTAOperationReport.h"
#include "kernel/component/CFTComponentsInterface.h"
#include "kernel/base/FTComponentTypes.h"

#include <cstdint>
#include <memory>
#include <span>
#include <unordered_set>
#include <vector>

class CDDDrawer;
class CFTACoreDoc;
class CFTComponent;
class CFTDefComponentBox;
class CFTDefComponentText;
class CFTDocumentController;
class CFTLayoutGuideline;
class CFTSnapObject;

// One axis of snap coordinates and who contributed them: the first run's owner gave the first
// count coordinates, the next run the following ones. Growable, so that any number of objects fit.
struct snapTable
{
    struct run
    {
        CFTSnapObject *owner = nullptr;
        long count = 0;
    };
    std::vector<float> coordinates;
    std::vector<run> runs;

    void clear();
    // Appends what getter writes for owner; an owner with no coordinates leaves no run.
    void append(CFTSnapObject *owner, int (CFTSnapObject::*getter)(std::span<float>) const);
    // The owner of the coordinate at index, following the runs.
    CFTSnapObject *ownerAt(std::size_t index) const;
};

// The tool the canvas arms for the next press; every release returns to toolSelect.
enum toolMode : std::int32_t {
    toolSelect = 0,
    toolText = 1,
    toolField = 2,
    toolSeparator = 3,
    toolBackground = 4,
};

// What a mouse operation tells the canvas to redraw or pop up; several may be combined.
enum mouseResult : std::uint32_t {
    mouseChanged = 0x1,
    mouseCreated = 0x2,
    mouseRedrawInvalid = 0x4,
    mouseRedrawSelectBox = 0x8,
    mouseStartTextEdit = 0x20,
    mouseRedrawSnapGuides = 0x40,
    mouseOpenImageEditor = 0x80,
    mouseTemplateMenu = 0x100,
    mouseToFromMenu = 0x200,
    mouseLinkNextBlock = 0x400,
    mouseLinkPrevBlock = 0x800,
    mouseObjectAction = 0x10000,
};
Q_DECLARE_FLAGS(mouseResults, mouseResult)
Q_DECLARE_OPERATORS_FOR_FLAGS(mouseResults)

// The platform-free editing view of one kernel document: selection, tool, the operation in
// progress and the objects to redraw after it. It never owns the controller, the components or
// the guidelines, only its drawer; a view without a current document picks and selects nothing.
class CFTACoreView : public CFTComponentsInterface
{
public:
    explicit CFTACoreView(CFTDocumentController *controller = nullptr);
    ~CFTACoreView() override;

    CFTACoreView(const CFTACoreView &) = delete;
    CFTACoreView &operator=(const CFTACoreView &) = delete;

    virtual void Draw(double x, double y, double width, double height) = 0;
    virtual void DrawBack() = 0;
    // Does nothing here; answers whether an object is under operation.
    virtual bool endEditText(void *editor);
    virtual bool isSelected(const CFTComponent *component) const;
    virtual void FillSnapArrays(bool all) = 0;

    // The mouse operations: the canvas's door into the view. They take document coordinates
    // and the modifier keys and answer what to redraw or pop up; every release returns the
    // tool to toolSelect.
    mouseResults MouseLDown(double x, double y, modifierKeys modifiers);
    mouseResults MouseMove(double x, double y, modifierKeys modifiers);
    mouseResults MouseUp(double x, double y, modifierKeys modifiers);
    mouseResults MouseLDoubleClick(double x, double y, modifierKeys modifiers);
    mouseResults MouseRDown(double x, double y, modifierKeys modifiers);
    // Each adds the new object to the current document, which owns it; null without a document.
    virtual CFTComponent *CreateTextBoxWithMousePos();
    CFTComponent *CreateFieldWithMouse(compType type);
    CFTComponent *CreateSeparatorWithMouse();
    // A plain text over the rectangle from the press to the current point.
    CFTComponent *CreateTextBoxWithMouse();
    // An extended text over the dragged rectangle, or at the press point; no tool of this
    // application makes one, so only callers of their own reach them.
    CFTComponent *CreateTextExtBoxWithMouse();
    CFTComponent *CreateTextExtBoxWithMousePos();

    // The offset that moves value onto the nearest coordinate of the table within tolerance (0
    // when none); ties keep the earlier coordinate. owner, when given, receives its contributor.
    static float getSnap(float value, const snapTable &table, float tolerance, CFTSnapObject **owner);
    // One drag step of the selection (or of the operated guideline), one of the operated
    // object's handle; each answers mouseRedrawSnapGuides when it snapped and hands out the
    // snap offsets it added (either pointer may be null).
    int MoveSelected(double dx, double dy, int modifiers, double *snapDX, double *snapDY);
    int MoveOperObjectDot(double dx, double dy, int modifiers, double vectorX, double vectorY, double *snapDX,
                          double *snapDY);
    virtual int TryChangeDot(int dot) { return dot; }
    operMode getOperMode() const { return m_operMode; }
    const snapTable &xSnapsTo() const { return m_xSnapTo; }

    // Device pixels per design point; must be positive.
    void SetResolution(double resolution) { m_dRes = resolution; }
    double GetResolution() const { return m_dRes; }
    // A handle is 4.5 device pixels at every zoom; picking is as tolerant as a handle is big.
    double getDotSize() const { return 4.5 / m_dRes; }
    double getSens() const { return getDotSize(); }

    // Whether the view that shows the design shows its rulers; an edited text shows its own then.
    bool rulersVisible() const { return m_bRulersVisible; }
    void setRulersVisible(bool visible) { m_bRulersVisible = visible; }
    bool isSmartSelectionMode() const { return mbSmartSelectionMode; }
    void setSmartSelectionMode(bool smart) { mbSmartSelectionMode = smart; }
    // x, y, width and height of the selection's drawn extent, of every object of the edited list;
    // all zero when there is none. Any pointer may be null.
    void getSelObjectsRect(double *x, double *y, double *width, double *height) const;
    void GetObjectsBound(double *x, double *y, double *width, double *height) const;
    // The middle of the selection's unturned frames, of its turned frames; any pointer may be null.
    void getSelObjectsCenter(double *x, double *y) const;
    void getSelObjectsMedianCenter(double *x, double *y) const;

    void setToolMode(toolMode mode) { m_toolMode = mode; }
    toolMode getToolMode() const { return m_toolMode; }
    int getCurrentSide() const { return m_CurrentSide; }
    // The text block whose link handle was pressed last, and on which side; for the canvas's
    // linking of text blocks after a mouseLinkPrevBlock or mouseLinkNextBlock release.
    CFTComponent *getLastOperObject() const { return m_pLastOperObject; }
    int getLastOperPage() const { return m_lastOperPage; }
    CFTComponent *getOperObject() const { return m_pOperObject; }
    int getOperDot() const { return m_operDot; }
    double getMouseVectorX() const { return m_dCurrentX - m_dStartX; }
    double getMouseVectorY() const { return m_dCurrentY - m_dStartY; }
    bool isSelectBoxOper() const { return m_operMode == operSelectBox; }
    bool isResizeOper() const { return m_operMode == operResize; }
    bool isMoving() const { return m_operMode == operMovePending || m_operMode == operMove; }
    bool isTextEditing() const { return m_operMode == operTextEdit && m_pOperObject; }

    // In the order of selecting, each object once.
    const std::vector<CFTComponent *> &getSelComponents() const { return m_aSelected; }
    void select(CFTComponent *component);
    void deselect(const CFTComponent *component);
    void deselectAll()
    {
        m_aSelected.clear();
        m_selectedSet.clear();
    }
    // Every visible object of the edited list, in list order.
    void selectAll();

    // The canvas clears the list before each event and redraws what it holds afterwards.
    void addInvalObject(CFTComponent *component);
    const std::vector<CFTComponent *> &getInvalObjects() const { return m_aInvalObjects; }
    void clearInvalObjects() { m_aInvalObjects.clear(); }

    bool IsSnapOccuredX() const { return m_bSnapOccuredX; }
    bool IsSnapOccuredY() const { return m_bSnapOccuredY; }
    bool NeedDrawSnapX() const { return m_bSnapOccuredX != m_bWasSnapOccuredX; }
    bool NeedDrawSnapY() const { return m_bSnapOccuredY != m_bWasSnapOccuredY; }
    const float *getSnapRectX() const { return m_SnapRectX; }
    const float *getSnapRectY() const { return m_SnapRectY; }
    void ClearSnapOccuredX();
    void ClearSnapOccuredY();

    // The current document's defaults for new objects; null without a document.
    CFTDefComponentBox *defBox() const;
    CFTDefComponentText *defText() const;

    // The edited list, back to front; empty without a document.
    const std::vector<CFTComponent *> &GetCurrentComponents() const;
    bool LayoutGuidelinesVisible() const;
    void SetLayoutGuidelinesVisible(bool visible);
    const std::vector<CFTLayoutGuideline *> &GetLayoutGuidelines() const;

    // The selected object with a handle at the point; dot receives the last answer asked.
    CFTComponent *PickDot(double x, double y, int *dot) const;
    // The front-most object at the point. With modifierCommand a press on a selected object
    // reaches the next unselected one beneath it, reported as actionCycled.
    CFTComponent *PickObject(double x, double y, bool &selected, actionType &action, int modifiers) const;
    CFTLayoutGuideline *PickLayoutGuideline(double x, double y, bool &selected, actionType &action,
                                            int modifiers) const;
    // The front-most object at the point that shows a hover highlight.
    CFTComponent *HighlightedObject(double x, double y, bool &selected) const;
    // Answers whether the highlight moved; both the old and the new object are then invalid.
    bool UpdateHighlightedObject(double x, double y);
    CFTComponent *TestObject(double x, double y, bool &selected) const;
    CFTComponent *TestTextHolderObject(double x, double y, bool &selected) const;

protected:
    CFTACoreDoc *currentDocument() const;
    // Called when an operation that changed the design ends: a creation, a move of the
    // selection, a resize by a handle (the mouse machine) or an erase (the views above). Does
    // nothing here.
    virtual void operationEnded(const CFTAOperationReport &report);
    // Refills the snap tables from the edited list and the document: objects that are neither
    // selected nor operated are targets, the others movers unless forResize.
    void fillSnapTables(bool forResize);

    snapTable m_xSnapFrom;
    snapTable m_ySnapFrom;
    snapTable m_xSnapTo;
    snapTable m_ySnapTo;

    std::vector<CFTComponent *> m_aInvalObjects;
    CFTDocumentController *m_ftDocument = nullptr;
    // The view edits side 0's main list and nothing changes that: the other side and the back
    // list are reached through the document, never by switching the view.
    static constexpr int m_CurrentSide = 0;
    static constexpr bool m_bIsBack = false;
    int m_lastOperPage = -1;
    std::vector<CFTComponent *> m_aSelected;
    // The same objects, to tell in constant time whether one is selected: every object drawn
    // asks, and with all of a large design selected a search of the list made each redraw,
    // nudge and select-all take time in the square of the design's size.
    std::unordered_set<const CFTComponent *> m_selectedSet;
    toolMode m_toolMode = toolSelect;
    CFTComponent *m_pOperObject = nullptr;
    CFTComponent *m_pLastOperObject = nullptr;
    CFTLayoutGuideline *m_pOperLayoutGuideline = nullptr;
    int m_operDot = 0;
    CFTComponent *m_pHighlightedObject = nullptr;
    operMode m_operMode = operNone;
    double m_dStartX = 0.0;
    double m_dStartY = 0.0;
    double m_dCurrentX = 0.0;
    double m_dCurrentY = 0.0;
    double m_dPrevX = 0.0;
    double m_dPrevY = 0.0;
    double m_dRes = 1.0;
    bool m_bSnapOccuredX = false;
    bool m_bSnapOccuredY = false;
    bool m_bWasSnapOccuredX = false;
    bool m_bWasSnapOccuredY = false;
    float m_SnapRectX[3] = {};
    float m_SnapRectY[3] = {};
    bool m_bDrawGuidelines = false;
    std::unique_ptr<CDDDrawer> m_pDrawer;

private:
    int mouseLDown(double x, double y, int modifiers);
    int mouseMove(double x, double y, int modifiers);
    int mouseUp(double x, double y, int modifiers);
    int mouseLDoubleClick(double x, double y, int modifiers);
    int mouseRDown(double x, double y, int modifiers);
    // A snap guide line: at position on the snapped axis, from and to along the other.
    void recordSnapGuide(bool xAxis, float position, float from, float to);
    void rememberFrames(const std::vector<CFTComponent *> &components);
    void reportOperation(CFTAOperationReport::Kind kind);
    void invalidateSelection();
    void clearSelection();
    void startMove(int modifiers);
    void endOperations();
    int pressOnObject(double x, double y, bool selected, int modifiers);
    int pressWithTextTool(bool selected);
    int dragSelectBox(int modifiers);
    int startCreation();
    int releaseCreation(double x, double y);
    // The point held inside the page and the objects' bounds with a margin around them (the
    // page's larger side, at least twenty inches), so that a wild drag cannot make an object
    // reaching nowhere near the design; a coordinate that is no number keeps the current one.
    // A press measures the reach afresh, over every object, the selected ones too, so that
    // whatever the user can see can be pressed; the drag and release that follow keep that
    // reach, so that dragging objects outwards never widens it step by step.
    void keepInBounds(double &x, double &y, bool press);
    // Left, top, right and bottom of the reach measured at the last press.
    double m_reach[4] = {0.0, 0.0, 0.0, 0.0};
    bool m_reachMeasured = false;
    CFTComponent *addNewObject(std::unique_ptr<CFTComponent> component);

    // Every object that got StartOperation for the move in progress, to end each of them.
    std::vector<CFTComponent *> m_aOperStarted;
    // The frames of the objects the operation in progress moves or resizes, as they were.
    std::vector<CFTAOperationReport::Entry> m_operBefore;
    double m_dPressX = 0.0;
    double m_dPressY = 0.0;
    bool mbSmartSelectionMode = false;
    bool m_bRulersVisible = false;
};
