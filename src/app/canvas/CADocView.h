#pragma once

#include "app/canvas/CACanvasGeometry.h"
#include "kernel/component/CFTACoreView.h"
#include "kernel/component/CFTAOperationReport.h"
#include "kernel/base/FTTypes.h"
#include "kernel/document/CFTAViewObserver.h"
#include "platform/PWFont.h"

#include <QGraphicsView>
#include <QHash>
#include <QPointer>
#include <QTextCharFormat>

#include <memory>

class CACanvasAddressCommands;
class CACanvasAddressEdits;
class CACanvasClipboard;
class CACanvasDrop;
class CACanvasEdits;
class CACanvasFormat;
class CACanvasItem;
class CACanvasTextEditor;
class CCImageEditorController;
class CADocument;
class CFTAView;
class CFTComponent;
class CFTDefComponentBox;
class QAbstractScrollArea;
class QDrag;
class QGraphicsScene;
class QTextDocument;

// The canvas of a document window: one side of one design, shown and edited with the mouse.
// The kernel view does every hit test, selection change and object operation in design points;
// the canvas converts events, acts on what the kernel answers, draws and keeps the one shared
// field editor for in-place text editing.
class CADocView : public QGraphicsView, public CFTAViewObserver
{
    Q_OBJECT
public:
    explicit CADocView(QWidget *parent = nullptr);
    ~CADocView() override;

    // Refused (and logged) without a document or with one of no known kind: answers false and
    // keeps what it showed.
    bool setDocument(CADocument *document);
    CADocument *document() const { return m_document; }
    CFTAView *ftView() const { return m_view.get(); }
    // The undoable edits every command, pane and gesture goes through.
    CACanvasEdits &edits() const { return *m_edits; }
    const CACanvasGeometry &geometry() const { return m_geometry; }

    // The screen's dots per inch; the scale is dpi / 72 times the zoom.
    void setScreenResolution(double dotsPerInch);
    // 1 is 100 %.
    double zoom() const { return m_geometry.zoom(); }
    void setZoom(double zoom);
    // Screen pixels per design point.
    double scale() const { return m_geometry.scale(); }
    // The zoom that fits the page with its surroundings into room (screen pixels).
    double fitZoom(const QSizeF &room) const;
    // The design was replaced: a new kernel view, the frame fitted again.
    void documentChanged();
    // Objects moved out of the page grow the frame; back inside, it shrinks to the page. Held in
    // a scroll area, the canvas fills at least the area's visible room: around the page lies the
    // desk, where presses, rubber bands and drops are the canvas's like those on the page.
    void refitFrame();
    // Draws the object's old and new places and then the whole canvas again.
    void invalidateObject(CFTComponent *component);
    // An undoable edit changed the design: drawn again, and the frame refitted once the command
    // is over.
    void designChangedByEdit();
    // The image editor on the first selected picture (null: the shared editor); an accepted run
    // applies its new image and crop as one undo step. Answers whether the design changed.
    bool openImageEditorDialog(CCImageEditorController *editor = nullptr);

    // In-place editing.
    CACanvasTextEditor *fieldEditor() const { return m_editor; }
    bool isEditingText() const;
    // Starts editing the operated object (or the given one), at a point when it has fields.
    void startEditText(CFTComponent *component = nullptr);
    void startEditTextAt(const QPointF &documentPoint);
    // Ends editing; answers whether something was being edited.
    bool endEditText(int movement = 0);
    // While set, edits of a text are not written back into the document's person.
    void beginUpdatePerson() { m_personUpdating = true; }
    void endUpdatePerson() { m_personUpdating = false; }
    bool isPersonUpdating() const { return m_personUpdating; }

    void viewOperationEnded(const CFTAOperationReport &report) override;

    // The selection changed: posts "Change Selection Notification" and brings the font panel in
    // line with the first selected text (selectedFontChanged).
    void notifySelectionChanged();
    // Posts the notification of the selection's kind; 0 asks the view for the kind. Nothing for
    // an empty selection.
    void classSelectionChanged(int selectionType);
    // An edit changed the selection or a selected object. The panels hear it once per change:
    // inside a command (between beginEditBatch and endEditBatch), an undo or a redo, the
    // notification waits for its end, however many objects the change touched.
    void selectionChangedByEdit();
    void beginEditBatch();
    void endEditBatch();

    // --- queries -----------------------------------------------------------------------------
    // The side (true: recipient) a dropped contact goes to.
    bool activeToFrom() const;
    bool hasAddressControls(bool toFrom) const;
    addressType addressTypeFrom() const;
    void setAddressTypeTo(addressType type);
    void setAddressTypeFrom(addressType type);
    // The size a picture of its natural size is inserted at on this design.
    QSizeF prepareImageSize(const QSizeF &natural) const;
    // The size of a new shape of the kind (a compType) on this design.
    QSizeF prepareShapeSize(int shapeKind) const;
    QSizeF getComponentSizeByComponentType(int shapeKind) const { return prepareShapeSize(shapeKind); }
    // The attributes new shapes take; none without a view.
    CFTDefComponentBox *getDefComponent() const;
    // The document's recipient and sender persons filled into their sides again.
    void updateComponents();

    // The undoable address edits and the address and person commands of this canvas.
    CACanvasAddressEdits &addressEdits() const { return *m_addressEdits; }
    CACanvasAddressCommands &addressCommands() const { return *m_addressCommands; }
    // Copy, cut, paste, duplicate and the builders drops share.
    CACanvasClipboard &clipboard() const { return *m_clipboard; }
    CACanvasDrop &drops() const { return *m_drop; }
    // The tool modes, the text, font and colour commands and the colour-target flags.
    CACanvasFormat &format() const { return *m_format; }
    // The cursor over the point (widget units), from the tool and the objects' handle areas.
    void updateCursorAt(const QPointF &widgetPoint);
Q_SIGNALS:
    // Said first in the destructor, while every member is still there: whoever follows the canvas
    // lets go of it here, as destroyed() comes only once its members are gone.
    void aboutToBeDestroyed();
    void zoomChanged(double zoom);
    // A creation, move, resize or erase ended: what changed, with the frames before.
    void operationEnded(const CFTAOperationReport &report);
    // The design changed (an operation or an edit of a text).
    void designEdited();
    // A change that no undo step records (typing in place); the window keeps the design edited
    // until it is saved. Undoable changes are counted through the undo manager.
    void editedBeyondUndo();
    void selectionChanged();
    // A right press on an address panel asks for the address context menu.
    void addressContextMenuRequested(const QPoint &globalPosition);
    void templateMenuRequested(const QPoint &globalPosition);
    void toFromMenuRequested(const QPoint &globalPosition);
    void imageEditorRequested();
    // A release left a selection of which no object has a web address.
    void hideInternetRequested();
    // A picture is about to come in (from a browser, the pasteboard, a drop or a file) or to
    // replace the selected pictures: the internet strip shows for one found on the internet
    // (fromInternet) and hides for any other.
    void internetPictureChanged(bool fromInternet);
    // The font of the selected text for the font panel (several: more than one font selected).
    void selectedFontChanged(const PWFont &font, bool isMultiple);
    // The text attributes of the selected text, told before its font (several: they differ).
    void selectedAttributesChanged(const QTextCharFormat &attributes, bool isMultiple);
    // The view's tool may have changed: a gesture or in-place editing that ends leaves it at the
    // select tool.
    void toolModeChanged();
    // One line for the user about what a drop or a paste did not take (contact cards left unused
    // or refused); whoever shows the canvas shows it.
    void userNotice(const QString &line);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    // Drops: the canvas's own drop rules, not the scene's.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    // Runs the drag of the selection out of the window; answers when it is over.
    virtual Qt::DropAction execDragOut(QDrag &drag);

private:
    // Answers whether the selection or a selected object changed.
    bool handleResults(mouseResults results, bool released);
    // One notification for everything a mouse event changed in the selection.
    void selectionChangedByMouse();
    void dragOut(QMouseEvent *event);
    // The drag modifiers as the view reads them: with snapping off in the preferences, every
    // drag step asks not to snap.
    modifierKeys dragModifiers(Qt::KeyboardModifiers keys) const;
    void invalidateRedrawList();
    void applyGeometry();
    // keepShown: the visible area goes on showing the same part of the design.
    void fitFrame(bool keepShown);
    // The scroll area whose widget the canvas is, if any.
    QAbstractScrollArea *enclosingScrollArea() const;
    void watchRoom();
    void attachEditor();
    void editedTextChanged();
    // Lays the editor over the operated object's text again; false without a text.
    bool alignEditor(CFTComponent *operated);
    // After an edit that may have moved the edited field (a panel's barcode moved, an undo), the
    // field is placed as it will be drawn and the editor laid over it there.
    void followEditedField();
    // A watched text changed: outside in-place editing, the change reaches the person.
    void textStorageDidProcessEditing();
    bool pressOnEditor(const QPoint &position) const;
    QRectF objectsBounds() const;
    void flushSelectionChange();

    CADocument *m_document = nullptr;
    std::unique_ptr<CFTAView> m_view;
    CACanvasGeometry m_geometry;
    QGraphicsScene *m_scene;
    CACanvasItem *m_item;
    CACanvasTextEditor *m_editor;
    QRectF m_prevSelectBox;
    // The visible area of the scroll area holding the canvas, watched for its size.
    QPointer<QWidget> m_room;
    // That area's size without scroll bars at the last fit: when it is the same, only a scroll
    // bar came or went.
    QSize m_wholeRoom;
    QPointF m_pressPoint;
    bool m_tracking = false;
    bool m_personUpdating = false;
    // The edited text changed since editing began.
    bool m_typed = false;
    // The texts edited in place so far, with their words as last seen.
    QHash<const QTextDocument *, QString> m_watchedTexts;
    std::unique_ptr<CACanvasEdits> m_edits;
    CACanvasAddressEdits *m_addressEdits;
    CACanvasAddressCommands *m_addressCommands;
    // Undo and redo of the shown document refit the frame.
    QMetaObject::Connection m_undoConnections[4];
    bool m_refitPending = false;
    QRectF m_prevCompDrawRect;
    int m_editBatchDepth = 0;
    bool m_selectionChangePending = false;
    std::unique_ptr<CACanvasClipboard> m_clipboard;
    std::unique_ptr<CACanvasDrop> m_drop;
    std::unique_ptr<CACanvasFormat> m_format;
};
