#pragma once

#include "kernel/base/CDDColor.h"
#include "kernel/base/CDDFile.h"
#include "kernel/base/FTComponentTypes.h"
#include "kernel/base/FTTypes.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWUndoManager.h"

#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QTextCharFormat>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class CADocView;
class CADocument;
class PWPerson;
class CFTADocument;
struct CFTAOperationReport;
class CFTAView;
class CDDText;
class CFTAAddressPanel;
class CFTComponent;
class CFTExtPicture;
class PWFont;
class PWImage;
class PWUndoManager;

// The undoable edits of one canvas. Every primitive registers its inverse on the document's undo
// manager before it changes anything, with the value it is about to replace, so that undoing runs
// the same primitive again and that run registers the redo. Primitives never name a step: the
// command that calls them opens one group per user command (CACanvasEdits::Step) and names it by
// its localized key, so that one undo takes back all the primitives of the command.
//
// Components stay owned by the document's lists or, once removed, by its deferred-delete pool,
// so the pointers the registered inverses hold stay valid while the document lives.
class CACanvasEdits
{
public:
    explicit CACanvasEdits(CADocView &canvas);
    ~CACanvasEdits();

    CACanvasEdits(const CACanvasEdits &) = delete;
    CACanvasEdits &operator=(const CACanvasEdits &) = delete;

    // One user command: one undo group, named by actionKey when the command changed something
    // (or always, with nameAlways). Nests inside undo and redo, where the manager's own group
    // takes the registrations.
    class Step
    {
    public:
        Step(CACanvasEdits &edits, const QString &actionKey, bool nameAlways = false);
        ~Step();
        Step(const Step &) = delete;
        Step &operator=(const Step &) = delete;
        // Names the step even when nothing was registered (a command that names an empty step).
        void nameAlways() { m_nameAlways = true; }

    private:
        QPointer<PWUndoManager> m_undo;
        QString m_actionKey;
        bool m_nameAlways;
        int m_registrationsBefore;
        CACanvasEdits &m_edits;
    };

    PWUndoManager *undoManager() const;
    CADocument *document() const;
    CFTADocument *design() const;
    CFTAView *view() const;
    // The object's frame in full precision (the bound rectangle of the component is rounded to
    // single precision, which would leave an undone move a little off).
    static QRectF frameOf(const CFTComponent *component);
    // How many inverses this canvas registered so far; a command learns whether it changed anything.
    int registrations() const { return m_registrations; }

    // --- Per-object setters -------------------------------------------------------------------
    void moveComponentDxDyForObject(double dx, double dy, CFTComponent *component);
    void setFlipXForObject(bool flip, CFTComponent *component);
    void setFlipYForObject(bool flip, CFTComponent *component);
    void setShadowForObject(bool shadow, CFTComponent *component);
    // Yes tiles (placing 1), no places once (0); undo puts back whichever placing it had.
    void setTileForObject(bool tile, CFTComponent *component);
    void setTileScaleForObject(float scale, CFTComponent *component);
    void setDataPlacingForObject(placingMode mode, CFTComponent *component);
    void setFilledForObject(bool filled, CFTComponent *component);
    void setStrokedForObject(bool stroked, CFTComponent *component);
    void setMaskedForObject(bool masked, CFTComponent *component);
    void setLineWidthForObject(double width, CFTComponent *component);
    void setOpacityForObject(double opacity, CFTComponent *component);
    void setAngleForObject(double angle, CFTComponent *component);
    void setFontForObject(const PWFont &font, CFTComponent *component);
    void setFontAttrForObject(const QTextCharFormat &attributes, CFTComponent *component);
    // The changed attributes over each run of the object's text (the font panel's attributes).
    void mergeFontAttrForObject(const QTextCharFormat &attributes, CFTComponent *component);
    void changeFontSizeForObject(float delta, CFTComponent *component);
    void setFontSizeForObject(float size, CFTComponent *component);
    void setAlignmentForObject(textAlignment alignment, CFTComponent *component);
    void setShowNamedForObject(bool show, CFTComponent *component);
    void setHaveBackColorForObject(bool have, CFTComponent *component);
    void setTextColorForObject(const CDDColor &color, CFTComponent *component);
    // A shape without an outline (or fill) gets one first, in the same undo group.
    void setForeColorForObject(const CDDColor &color, CFTComponent *component);
    void setBackColorForObject(const CDDColor &color, CFTComponent *component);
    void setObjectBound(CFTComponent *component, const QRectF &bound);
    void setSideCountForObject(double count, CFTComponent *component);
    void setCurveRadiusForObject(double radius, CFTComponent *component);
    // What new shapes get, changed within the step of the command that changes the selection
    // with it, so that undo gives the saved design back. A width leaves their line on or off.
    enum class BoxDefault { LineWidth, Opacity, Angle };
    void setBoxDefault(BoxDefault which, double value);
    // Counter fields only.
    void setCounterStartNumberForObject(int start, CFTComponent *component);
    void setCounterIncrementForObject(int increment, CFTComponent *component);
    void setCounterNumberOfDigitsForObject(int digits, CFTComponent *component);
    void setCounterLeadingZerosForObject(bool leadingZeros, CFTComponent *component);
    // File fields only.
    void setFileFieldFileNameForObject(const QString &path, CFTComponent *component);
    void setFileCountFieldsForObject(fieldsCount count, CFTComponent *component);
    void setFileNumberFieldForObject(int number, CFTComponent *component);
    void setDelimeterForObject(const QString &delimiter, CFTComponent *component);
    void raiseBaselineForObject(CFTComponent *component);
    void lowerBaselineForObject(CFTComponent *component);
    void loosenKerningForObject(CFTComponent *component);
    void tightenKerningForObject(CFTComponent *component);
    // Pictures that can be masked; anything else registers nothing.
    void setMaskForObject(std::shared_ptr<PWImage> mask, CFTComponent *component);
    // Clears the crop first (a step of its own in the same group).
    void replaceImageForObject(std::shared_ptr<PWImage> image, CFTComponent *component);
    // Pictures only; the caller redraws.
    void setSourceRectIsClearForObject(const QRectF &rect, bool isClear, CFTComponent *component);

    // --- Structural primitives ----------------------------------------------------------------
    // Each the other's inverse: a deleted object waits in the deferred-delete pool and comes back
    // at the place it had, selected again only when it was selected.
    void insertObjectSelect(CFTComponent *component, bool select);
    void deleteObjectDeselect(CFTComponent *component, bool deselect);
    // Undo puts the object back at exactly the place it had (and redo moves it again).
    void sendToBack(CFTComponent *component);
    void sendToFront(CFTComponent *component);
    void stepToBack(CFTComponent *component);
    void stepToFront(CFTComponent *component);
    // Puts newComponent where oldComponent stood on the shown side; side and back travel with
    // the inverse.
    void exchangeObjectOnObjectSideIsBack(CFTComponent *oldComponent, CFTComponent *newComponent, int sideIndex,
                                          bool back);
    void setBarcodeLocation(int location);
    // Shows the separate barcode component (made at the last press point) or hides it; nothing
    // when it already is as asked.
    void showBarcode(bool show);
    // The separate barcode component of the shown side, or null.
    CFTComponent *separateBarcode() const;
    // A picture centred on the point at its default size, selected alone.
    CFTComponent *insertImageAtPoint(std::shared_ptr<PWImage> image, const QPointF &point);
    // The document keeps one background per side, drawn before everything else and saved with
    // the design; null removes it.
    void setBackgroundComponent(CFTExtPicture *background);
    // Makes and sets a background of the image; nothing without one. Named "SET_BACKGROUND".
    void setBackground(std::shared_ptr<PWImage> image);
    // Named "REMOVE_BACKGROUND".
    void removeBackground();
    void replaceBasicShapeForObject(compType kind, CFTComponent *component);
    CFTComponent *insertBasicShapeAtPoint(compType kind, const QPointF &point);
    // The basic shape of the named file onto every selected object that takes a shape
    // ("CHANGE_IMAGE"), else a new one in the middle of the page ("INSERT_OBJECT").
    void replaceBasicShape(const QString &shapeName);
    // The open panel of a picture in the middle of the page (a background comes in through
    // CACanvasPictures::insertBackgroundFromFile, with its placing).
    void insertImage();
    // The name filter of the open panels: every image format Qt reads, and PDF and EPS.
    static QString imageFileFilter();

    // --- Default sizes ------------------------------------------------------------------------
    // A picture larger in area than the page goes in at half the page's area, proportions kept.
    QSizeF prepareImageSize(const QSizeF &natural) const;
    QSizeF prepareShapeSize(int kind) const;

    // --- Gestures, keys, text categories ------------------------------------------------------
    // The undo step of a finished creation, move or resize of the mouse.
    void endOperation(const CFTAOperationReport &report);
    // Arrows move the selection by one screen pixel; answers whether the key was one of ours.
    bool handleKey(int key, Qt::KeyboardModifiers modifiers);
    void moveSelectedByPoint(const QPointF &offset);
    void moveLeft();
    void moveRight();
    void moveUp();
    void moveDown();
    // Deletes the selection as one step ("DELETE_OBJECT").
    void deleteSelection();
    bool isAddressPanelToActive() const;
    bool isAddressPanelFromActive() const;
    bool isAddressPanelToFromActive() const;
    void setTextCategoryForObject(textCategory category, CFTComponent *component);
    // The component holding the text after the change: the same, or its replacement of the class
    // the category needs (counter, file field, address text).
    CFTComponent *changeTextObjectIfNeeded(CFTComponent *component, textCategory category);

    // --- Typing in place -----------------------------------------------------------------------
    // Typing is one undo step ("TYPING") from the start of editing to its end: undo gives back
    // the text (and the frame it filled) as it was when editing began, redo the typed one. typed
    // is the edited text itself: the object, or the field of the panel that owner is.
    void beginTyping(CFTComponent *owner, CFTComponent *typed);
    // Records the step when the text changed meanwhile; nothing otherwise.
    void endTyping(bool changed);

private:
    // A text's contents and default text, an address text's label, and the frame they fill: what
    // a style or field change also changes as it lays the text out again.
    struct TextState
    {
        QRectF frame;
        std::shared_ptr<CDDText> text;
        std::shared_ptr<CDDText> label;
    };
    static TextState captureText(CFTComponent *component);
    void restoreTextForObject(CFTComponent *component, const TextState &state);
    // Registers the return to the text as it is now, to run after the value inverses registered
    // next: setting a style back leaves runs styled that had no style of their own, and a field
    // shrinks no frame it grew, so the value alone would not give back the saved text.
    void keepTextForUndo(CFTComponent *component);
    void restorePanelStyle(CFTAAddressPanel *panel, const std::shared_ptr<CDDText> &style);
    // Where a component and, for a panel, each of its fields stand: a move is undone by putting
    // each back there, to the last digit, and a panel is not laid out anew for it.
    using Places = std::vector<std::pair<CFTComponent *, QPointF>>;
    void keepPlaceForUndo(CFTComponent *component);
    void restorePlace(CFTComponent *component, const Places &places);
    void applyTextState(CFTComponent *component, const TextState &state);
    struct Typing
    {
        CFTComponent *owner = nullptr;
        CFTComponent *typed = nullptr;
        TextState text;
        QRectF ownerFrame;
        // Whether a field of a panel kept its text as typed from its delimiter rule.
        bool keptAsTyped = false;
        // The characters typed beneath the capitals the text shows.
        std::optional<CFTAText::TypedCharacters> typedCharacters;
        // An address field's side's person as it was (a copy with its identity; none for a side
        // without one): taking the typing back gives it back exactly.
        bool personKept = false;
        std::shared_ptr<PWPerson> person;
    };
    Typing captureTyping(CFTComponent *owner, CFTComponent *typed) const;
    void restoreTyping(const Typing &typing);

    template <typename Inverse>
    void registerInverse(Inverse inverse);
    void changed(CFTComponent *component, bool postSelection);
    // An attribute step: the text kept for undo, then change applied to the object.
    void changeFontAttrForObject(CFTComponent *component, const std::function<void(CFTComponent &)> &change);
    // Moves the object to index in the shown list, registering the move back.
    void moveToIndex(CFTComponent *component, int index);
    int indexOf(const CFTComponent *component) const;

    CADocView &m_canvas;
    int m_registrations = 0;
    // The text as it was when typing in place began.
    std::optional<Typing> m_typing;
    // The manager this canvas registered on, to take its actions back when it goes.
    QPointer<PWUndoManager> m_registeredOn;
};

template <typename Inverse>
void CACanvasEdits::registerInverse(Inverse inverse)
{
    PWUndoManager *undo = undoManager();
    if (!undo)
        return;
    if (m_registeredOn && m_registeredOn != undo)
        m_registeredOn->removeAllActionsWithTarget(this);
    m_registeredOn = undo;
    ++m_registrations;
    undo->registerUndo(this, std::move(inverse));
}
