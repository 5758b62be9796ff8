#include "app/canvas/CADocView.h"

#include "app/canvas/CACanvasClipboard.h"
#include "app/canvas/CACanvasCursors.h"
#include "app/canvas/CACanvasFormat.h"
#include "app/canvas/CACanvasDragOut.h"
#include "app/canvas/CACanvasDrop.h"
#include "app/canvas/CACanvasAddressCommands.h"
#include "app/canvas/CACanvasAddressEdits.h"
#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CACanvasItem.h"
#include "app/canvas/CACanvasSelection.h"
#include "app/canvas/CACanvasTextEditor.h"
#include "kernel/text/CFTACapitalsTyping.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/CFTAAddressText.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/base/FTClassID.h"
#include "kernel/component/CFTACoreDoc.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"
#include "kernel/render/CDDDrawer.h"
#include "kernel/render/CDDText.h"
#include "platform/PWNotificationCenter.h"
#include "platform/PWPictureRenderer.h"
#include "platform/PWUndoManager.h"
#include "platform/PWUserDefaults.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGraphicsScene>
#include <QMimeData>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QScreen>
#include <QTextDocument>

#include <algorithm>

Q_LOGGING_CATEGORY(lcCanvas, "pw.app.canvas")

CADocView::CADocView(QWidget *parent)
    : QGraphicsView(parent)
    , m_scene(new QGraphicsScene(this))
    , m_item(new CACanvasItem(*this))
    , m_editor(new CACanvasTextEditor)
    , m_edits(std::make_unique<CACanvasEdits>(*this))
    , m_addressEdits(new CACanvasAddressEdits(*this))
    , m_addressCommands(new CACanvasAddressCommands(*this, *m_addressEdits))
    , m_clipboard(std::make_unique<CACanvasClipboard>(*this))
    , m_drop(std::make_unique<CACanvasDrop>(*this))
    , m_format(std::make_unique<CACanvasFormat>(*this))
{
    setObjectName(QStringLiteral("docView"));
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setMouseTracking(true);
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setViewportUpdateMode(QGraphicsView::MinimalViewportUpdate);
    setBackgroundBrush(CACanvasItem::deskColor());
    m_scene->setItemIndexMethod(QGraphicsScene::NoIndex);
    m_scene->addItem(m_item);
    m_scene->addItem(m_editor);
    setScene(m_scene);
    connect(m_editor, &CACanvasTextEditor::endEditingRequested, this, [this](int movement) { endEditText(movement); });
    connect(m_editor, &CACanvasTextEditor::compositionChanged, this, [this] {
        if (m_view && m_view->isTextEditing() && m_editor->isAttached() && m_view->getOperObject())
            alignEditor(m_view->getOperObject());
    });
    const QScreen *screen = QGuiApplication::primaryScreen();
    setScreenResolution(screen ? screen->logicalDotsPerInchX() : 72.0);
    // A picture rendered in the background shows as soon as it is there.
    PWNotificationCenter::defaultCenter().addObserver(
        PWPictureRenderer::kRenderedNotification, nullptr, [this](const PWNotification &) { m_item->update(); }, this);
}

CADocView::~CADocView()
{
    // Typing in place ends while the canvas is whole, before its followers let go of it. An owner
    // whose design may go before the canvas (the document window) ends it earlier still.
    endEditText();
    Q_EMIT aboutToBeDestroyed();
}

bool CADocView::setDocument(CADocument *document)
{
    if (!document) {
        qCWarning(lcCanvas) << "m_Document is nil: the canvas keeps what it showed";
        return false;
    }
    const CFTADocument *design = document->ftDocument();
    const int type = design ? design->getDocumentType() : -1;
    if (type != dtLabel && type != dtEnvelope && type != dtPostcard) {
        qCWarning(lcCanvas) << "Document Type is not Supported:" << type;
        return false;
    }
    // An edit of the design shown so far ends in that design, recorded nowhere: its undo steps
    // and its person belong to the document that goes.
    m_typed = false;
    endEditText();
    for (const QMetaObject::Connection &connection : m_undoConnections)
        disconnect(connection);
    m_document = document;
    // An undone or redone step may take objects off the page or back onto it, as a drag does.
    const auto undone = [this] {
        refitFrame();
        followEditedField();
        flushSelectionChange();
    };
    m_undoConnections[0] = connect(document->undoManager(), &PWUndoManager::didUndo, this, undone);
    m_undoConnections[1] = connect(document->undoManager(), &PWUndoManager::didRedo, this, undone);
    // Every undoable edit, whatever made it (a menu command, a pane, a drop), shows at once.
    m_undoConnections[2] =
        connect(document->undoManager(), &PWUndoManager::checkpoint, this, &CADocView::designChangedByEdit);
    m_undoConnections[3] =
        connect(document->undoManager(), &PWUndoManager::changeRecorded, this, &CADocView::designChangedByEdit);
    documentChanged();
    return true;
}

void CADocView::documentChanged()
{
    // The design is replaced under the editor: what was typed is not a step of the new one.
    m_typed = false;
    endEditText();
    // Reading a file replaces the design the old view pointed into.
    m_view = m_document ? std::make_unique<CFTAView>(m_document->ftDocumentController()) : nullptr;
    if (m_view)
        m_view->setObserver(this);
    refitFrame();
}

void CADocView::setScreenResolution(double dotsPerInch)
{
    m_geometry.setResolution(CACanvasGeometry::resolutionFactor(dotsPerInch));
    // The room holds another number of points at another scale.
    fitFrame(false);
}

void CADocView::setZoom(double zoom)
{
    if (!(zoom > 0) || zoom == m_geometry.zoom())
        return;
    m_geometry.setZoom(zoom);
    fitFrame(false);
    Q_EMIT zoomChanged(m_geometry.zoom());
}

void CADocView::invalidateObject(CFTComponent *component)
{
    if (component && m_view) {
        const QRectF drawn =
            component->GetNSDrawRect(m_view->isSelected(component), m_view->getDotSize()).adjusted(-2, -2, 2, 2);
        m_item->update(drawn);
        m_item->update(m_prevCompDrawRect);
        m_prevCompDrawRect = drawn;
    }
    // One object's change moves others too (the rest of a dragged selection, a panel's fields,
    // a text chain, handles and guides): the whole canvas is drawn again.
    viewport()->update();
}

void CADocView::designChangedByEdit()
{
    viewport()->update();
    // Refitted once the command is over, when every object has its final frame.
    if (m_refitPending)
        return;
    m_refitPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_refitPending = false;
            refitFrame();
            followEditedField();
        },
        Qt::QueuedConnection);
}

void CADocView::invalidateRedrawList()
{
    if (!m_view)
        return;
    for (CFTComponent *component : m_view->getInvalObjects())
        invalidateObject(component);
}

void CADocView::viewOperationEnded(const CFTAOperationReport &report)
{
    m_edits->endOperation(report);
    Q_EMIT operationEnded(report);
    Q_EMIT designEdited();
}

// --- The event path -------------------------------------------------------------------------------

bool CADocView::pressOnEditor(const QPoint &position) const
{
    return m_editor->isAttached() && m_editor->contains(m_editor->mapFromScene(mapToScene(position)));
}

void CADocView::mousePressEvent(QMouseEvent *event)
{
    if (pressOnEditor(event->position().toPoint())) {
        QGraphicsView::mousePressEvent(event);
        return;
    }
    // A press elsewhere ends the edit and is then a press like any other.
    endEditText();
    setFocus(Qt::MouseFocusReason);
    if (!m_view)
        return;
    if (m_view->getToolMode() == toolBackground) {
        m_view->setEditBackground(false);
        viewport()->update();
    }
    const QPointF point = m_geometry.documentPoint(event->position());
    const modifierKeys keys = CACanvasGeometry::modifiers(event->modifiers());
    m_view->clearInvalObjects();
    if (event->button() == Qt::RightButton) {
        const mouseResults results = m_view->MouseRDown(point.x(), point.y(), keys);
        if (results & mouseRedrawInvalid)
            invalidateRedrawList();
        selectionChangedByMouse();
        const CFTComponent *operated = m_view->getOperObject();
        if (operated && operated->getClassID() == ciAddressPanel)
            Q_EMIT addressContextMenuRequested(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    m_pressPoint = point;
    const mouseResults results = m_view->MouseLDown(point.x(), point.y(), keys);
    if (results & mouseStartTextEdit) {
        invalidateRedrawList();
        selectionChangedByMouse();
        startEditTextAt(point);
        return;
    }
    if (results & mouseTemplateMenu) {
        Q_EMIT templateMenuRequested(event->globalPosition().toPoint());
        return;
    }
    if (results & mouseToFromMenu) {
        Q_EMIT toFromMenuRequested(event->globalPosition().toPoint());
        return;
    }
    if (results & mouseOpenImageEditor) {
        Q_EMIT imageEditorRequested();
        return;
    }
    m_tracking = true;
    if (handleResults(results, false))
        selectionChangedByMouse();
}

void CADocView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (pressOnEditor(event->position().toPoint())) {
        QGraphicsView::mouseDoubleClickEvent(event);
        return;
    }
    endEditText();
    if (!m_view || event->button() != Qt::LeftButton)
        return;
    const QPointF point = m_geometry.documentPoint(event->position());
    m_view->clearInvalObjects();
    m_pressPoint = point;
    const mouseResults results =
        m_view->MouseLDoubleClick(point.x(), point.y(), CACanvasGeometry::modifiers(event->modifiers()));
    invalidateRedrawList();
    selectionChangedByMouse();
    if (results & mouseStartTextEdit)
        startEditTextAt(point);
    else if (results & mouseOpenImageEditor)
        Q_EMIT imageEditorRequested();
}

void CADocView::updateCursorAt(const QPointF &widgetPoint)
{
    // A picture coming in from the internet keeps the busy cursor until it is in.
    if (m_clipboard->isLoadingInternetPicture())
        return;
    if (!m_view) {
        viewport()->unsetCursor();
        return;
    }
    const QRectF shown = QRectF(m_geometry.documentPoint(QPointF(0.0, 0.0)),
                                m_geometry.documentPoint(QPointF(viewport()->width(), viewport()->height())))
                             .normalized();
    const cursorType type = CACanvasCursors::cursorAt(m_geometry.documentPoint(widgetPoint),
                                                      CACanvasCursors::cursorAreas(*m_view, shown));
    viewport()->setCursor(CAEnvironment::cursorFromType(type));
}

void CADocView::mouseMoveEvent(QMouseEvent *event)
{
    // The editor shows its own cursor over the text it edits.
    if (!event->buttons() && !pressOnEditor(event->position().toPoint()))
        updateCursorAt(event->position());
    if (!m_tracking || !m_view) {
        if (m_editor->isAttached() && (event->buttons() & Qt::LeftButton)) {
            QGraphicsView::mouseMoveEvent(event);
            return;
        }
        // Hover highlight, for the select tool and the background.
        const bool hoverTool =
            m_view && (m_view->getToolMode() == toolSelect || m_view->getToolMode() == toolBackground);
        if (hoverTool && !event->buttons() && !m_view->isTextEditing() && viewport()->rect().contains(event->position().toPoint())) {
            const QPointF point = m_geometry.documentPoint(event->position());
            m_view->clearInvalObjects();
            m_view->setMouseLoc(point.x(), point.y(), 0);
            if (m_view->UpdateHighlightedObject(point.x(), point.y()))
                invalidateRedrawList();
        }
        return;
    }
    if (CACanvasGeometry::isDragOut(event->modifiers(), m_view->isMoving())) {
        dragOut(event);
        return;
    }
    const QPointF point = m_geometry.documentPoint(event->position());
    m_view->clearInvalObjects();
    if (handleResults(m_view->MouseMove(point.x(), point.y(), dragModifiers(event->modifiers())), false))
        selectionChangedByMouse();
}

void CADocView::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_tracking || !m_view || event->button() != Qt::LeftButton) {
        QGraphicsView::mouseReleaseEvent(event);
        return;
    }
    m_tracking = false;
    const QPointF point = m_geometry.documentPoint(event->position());
    m_view->clearInvalObjects();
    if (handleResults(m_view->MouseUp(point.x(), point.y(), CACanvasGeometry::modifiers(event->modifiers())), true))
        selectionChangedByMouse();
    // The internet strip belongs to a picture found on the internet; a selection of none hides it.
    const std::vector<CFTComponent *> &selected = m_view->getSelComponents();
    if (!selected.empty() && std::none_of(selected.begin(), selected.end(), [](const CFTComponent *component) {
            return !component->getWebSiteURL().isEmpty();
        }))
        Q_EMIT hideInternetRequested();
    // A release ends any tool but typing: the view is back at the select tool.
    if (!m_view->isTextEditing())
        Q_EMIT toolModeChanged();
}

modifierKeys CADocView::dragModifiers(Qt::KeyboardModifiers keys) const
{
    return CACanvasGeometry::dragModifiers(keys, PWUserDefaults::standardUserDefaults().boolForKey(QStringLiteral("FTSnap")));
}

void CADocView::dragEnterEvent(QDragEnterEvent *event)
{
    dragMoveEvent(event);
}

void CADocView::dragMoveEvent(QDragMoveEvent *event)
{
    const Qt::DropAction action =
        event->mimeData() ? m_drop->dragOperation(*event->mimeData(), m_geometry.documentPoint(event->position()))
                          : Qt::IgnoreAction;
    if (action == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

void CADocView::dragLeaveEvent(QDragLeaveEvent *event)
{
    event->accept();
}

void CADocView::dropEvent(QDropEvent *event)
{
    if (!event->mimeData()) {
        event->ignore();
        return;
    }
    const QMimeData &data = *event->mimeData();
    // What is dropped may change the text being typed (a contact fills the fields): the typing
    // ends first, as before any other change of the design.
    endEditText();
    // The start is in window units of the window the drag began in.
    std::optional<QPointF> start;
    if (const std::optional<QPointF> startInWindow = CACanvasDrop::dragStart(data))
        start = m_geometry.documentPoint(viewport()->mapFrom(window(), *startInWindow));
    const bool changed = m_drop->drop(data, m_geometry.documentPoint(event->position()), start);
    // A drop that did nothing is refused, so that its source keeps what it offered.
    event->setDropAction(changed ? Qt::CopyAction : Qt::IgnoreAction);
    if (changed)
        event->accept();
    else
        event->ignore();
    viewport()->update();
}

Qt::DropAction CADocView::execDragOut(QDrag &drag)
{
    return drag.exec(Qt::CopyAction, Qt::CopyAction);
}

void CADocView::dragOut(QMouseEvent *event)
{
    const std::vector<CFTComponent *> dragged = m_view->getSelComponentsWithDocZOrder();
    const QPointF start = event->scenePosition();
    std::unique_ptr<QMimeData> data =
        m_document ? CACanvasDragOut::mimeDataForComponents(*m_document, dragged, start) : std::make_unique<QMimeData>();
    const QImage image = m_document ? CACanvasDragOut::dragImage(*m_document, dragged, scale()) : QImage();
    // The gesture ends in the view before the drag runs: the objects stay where they were.
    const QPointF point = m_geometry.documentPoint(event->position());
    m_view->clearInvalObjects();
    m_tracking = false;
    const mouseResults results =
        m_view->MouseUp(point.x(), point.y(), CACanvasGeometry::modifiers(event->modifiers()));
    auto *drag = new QDrag(this);
    drag->setMimeData(data.release());
    if (!image.isNull()) {
        drag->setPixmap(QPixmap::fromImage(image));
        double left = 0, top = 0, right = 0, bottom = 0;
        CFTACoreDoc::GetBoundForComponents(&left, &top, &right, &bottom, dragged);
        drag->setHotSpot((event->position() - m_geometry.widgetPoint(QPointF(left, top))).toPoint());
    }
    execDragOut(*drag);
    drag->deleteLater();
    if (handleResults(results, true))
        selectionChangedByMouse();
    Q_EMIT toolModeChanged();
}

bool CADocView::handleResults(mouseResults results, bool released)
{
    if ((results & mouseStartTextEdit) && m_view->isTextEditing())
        startEditTextAt(m_pressPoint);
    if (results & mouseChanged) {
        invalidateObject(m_view->getOperObject());
    } else if (results & mouseRedrawSelectBox) {
        m_item->update(m_prevSelectBox.adjusted(-1, -1, 1, 1));
        m_prevSelectBox = m_view->isSelectBoxOper() ? m_view->getNSSBRect() : QRectF();
        m_item->update(m_prevSelectBox.adjusted(-1, -1, 1, 1));
    }
    const bool changed = bool(results & (mouseRedrawInvalid | mouseChanged));
    if (changed)
        invalidateRedrawList();
    if (results & mouseRedrawSnapGuides) {
        // The guides span the page; they are cheap to draw again with it.
        viewport()->update();
    }
    m_view->clearInvalObjects();
    if (released && (results & (mouseCreated | mouseChanged)))
        refitFrame();
    return changed;
}

void CADocView::selectionChangedByMouse()
{
    notifySelectionChanged();
    // Address kinds have a notification of their own; any other kind's is the one just posted.
    if (m_view) {
        const std::vector<CFTComponent *> &selected = m_view->getSelComponents();
        const int type = selected.empty() ? 0 : m_view->getTypeOfSelComponents();
        if (type == ctAddressPanel || type == ctAddressText || type == ctBarcode)
            classSelectionChanged(type);
    }
}

void CADocView::notifySelectionChanged()
{
    // Handles come and go with the selection.
    viewport()->update();
    PWNotificationCenter::defaultCenter().postNotification(CACanvasSelection::kChangeSelectionNotify, this);
    if (m_view && !m_view->getSelComponents().empty()) {
        const std::optional<CACanvasSelection::Font> font =
            CACanvasSelection::fontForSelection(m_view->getSelComponents(), m_view->getTypeOfSelComponents());
        if (font && font->attributes)
            Q_EMIT selectedAttributesChanged(*font->attributes, font->attributesMultiple);
        if (font)
            Q_EMIT selectedFontChanged(font->font, font->isMultiple);
    }
    Q_EMIT selectionChanged();
}

void CADocView::selectionChangedByEdit()
{
    const PWUndoManager *undo = m_document ? m_document->undoManager() : nullptr;
    if (m_editBatchDepth > 0 || (undo && (undo->isUndoing() || undo->isRedoing()))) {
        m_selectionChangePending = true;
        return;
    }
    notifySelectionChanged();
}

void CADocView::beginEditBatch()
{
    ++m_editBatchDepth;
}

void CADocView::endEditBatch()
{
    if (m_editBatchDepth > 0 && --m_editBatchDepth == 0)
        flushSelectionChange();
}

void CADocView::flushSelectionChange()
{
    if (!m_selectionChangePending || m_editBatchDepth > 0)
        return;
    m_selectionChangePending = false;
    notifySelectionChanged();
}

void CADocView::classSelectionChanged(int selectionType)
{
    if (!m_view || m_view->getSelComponents().empty())
        return;
    const int type = selectionType == 0 ? m_view->getTypeOfSelComponents() : selectionType;
    PWNotificationCenter::defaultCenter().postNotification(CACanvasSelection::notificationForSelectionType(type), this);
}

bool CADocView::event(QEvent *event)
{
    if (event->type() == QEvent::ParentChange)
        watchRoom();
    // The scene spends Tab and Backtab on moving focus between items, so they would never reach
    // the field editor of an address panel, where they move to the next or previous field.
    if (event->type() == QEvent::KeyPress && m_editor->isAttached()) {
        auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) && scene()) {
            scene()->sendEvent(m_editor, event);
            return true;
        }
    }
    return QGraphicsView::event(event);
}

void CADocView::keyPressEvent(QKeyEvent *event)
{
    // While a text is edited its keys belong to the field editor.
    if (!isEditingText() && m_edits->handleKey(event->key(), event->modifiers())) {
        event->accept();
        return;
    }
    QGraphicsView::keyPressEvent(event);
}

bool CADocView::focusNextPrevChild(bool next)
{
    // Tab belongs to the field editor while it edits an address.
    if (m_editor->isAttached())
        return false;
    return QGraphicsView::focusNextPrevChild(next);
}

// --- In-place text editing ------------------------------------------------------------------------

bool CADocView::isEditingText() const
{
    return m_editor->isAttached();
}

void CADocView::startEditText(CFTComponent *component)
{
    if (!m_view)
        return;
    m_view->startEditText(this, m_editor, component);
    attachEditor();
}

void CADocView::startEditTextAt(const QPointF &point)
{
    if (!m_view || !m_view->isTextEditing())
        return;
    m_view->startEditText(this, m_editor, point.x(), point.y());
    attachEditor();
    // The click that started editing places the caret.
    if (m_editor->isAttached())
        m_editor->placeCaretAt(m_editor->mapFromScene(point));
}

void CADocView::attachEditor()
{
    CFTComponent *operated = m_view->getOperObject();
    CDDText *text = operated ? operated->GetText() : nullptr;
    if (!text || !text->isEditing())
        return;
    m_editor->setAddressFieldEditor(operated->getClassID() == ciAddressPanel);
    QTextDocument *contents = text->getContents();
    m_editor->attach(contents, text->editorFrame(), text->editorRotation());
    // An empty or new text is typed in the style of its default text, and its empty line is as
    // high as that style's: the editor covers its own line, not the next one. (Its history
    // starts here: styling the empty line is no step to take back.)
    if (contents->isEmpty()) {
        if (std::optional<QTextCharFormat> style = text->GetFontAttr()) {
            // A text shown in capitals shows what is typed into it so from the first letter.
            if (contents->findChild<CFTACapitalsTyping *>(QString(), Qt::FindDirectChildrenOnly))
                style->merge(CFTACapitalsTyping::editStyle());
            QTextCursor cursor = m_editor->textCursor();
            contents->setUndoRedoEnabled(false);
            cursor.setBlockCharFormat(*style);
            contents->setUndoRedoEnabled(true);
            // Laid out again now: the empty line was laid out in the unstyled font.
            contents->markContentsDirty(0, contents->characterCount());
            cursor.setCharFormat(*style);
            m_editor->setTextCursor(cursor);
        }
    }
    text->setFieldEditor(m_editor, m_editor);
    connect(contents, &QTextDocument::contentsChanged, this, &CADocView::editedTextChanged, Qt::UniqueConnection);
    // The text stays watched after editing: a change made to it later by other means reaches
    // the person too.
    if (!m_watchedTexts.contains(contents)) {
        connect(contents, &QTextDocument::contentsChanged, this, &CADocView::textStorageDidProcessEditing);
        // Only the key is used once the text has gone.
        connect(contents, &QObject::destroyed, this, [this, contents] { m_watchedTexts.remove(contents); });
    }
    m_watchedTexts.insert(contents, contents->toPlainText());
    m_typed = false;
    CFTComponent *typed = operated;
    if (operated->getClassID() == ciAddressPanel) {
        if (CFTAAddressText *field = static_cast<CFTAAddressPanel *>(operated)->currentText())
            typed = field;
    }
    m_edits->beginTyping(operated, typed);
    setFocus(Qt::OtherFocusReason);
    invalidateObject(operated);
}

void CADocView::textStorageDidProcessEditing()
{
    const auto *storage = qobject_cast<const QTextDocument *>(sender());
    if (!m_view || !storage || m_view->isTextEditing() || !m_document)
        return;
    // Only a change of the words counts: a restyled or recoloured text tells the person nothing,
    // and what the person gave it (in capitals, say) is not to be written back.
    const QString words = storage->toPlainText();
    const auto known = m_watchedTexts.find(storage);
    const bool same = known != m_watchedTexts.end() && known.value() == words;
    m_watchedTexts.insert(storage, words);
    if (same || m_personUpdating || m_document->isFillingTexts())
        return;
    for (CFTComponent *component : m_view->GetCurrentComponents()) {
        const CFTComponent *holder = component->isTextEqual(storage);
        if (!holder)
            continue;
        // What the person gives back to the other texts is its own, not a new outside change.
        beginUpdatePerson();
        m_document->updatePersonWithComponent(const_cast<CFTComponent *>(holder));
        endUpdatePerson();
        component->NeedAutoExpand();
        invalidateObject(component);
        return;
    }
}

void CADocView::editedTextChanged()
{
    if (!m_view || !m_view->isTextEditing() || !m_editor->isAttached())
        return;
    m_typed = true;
    CFTComponent *operated = m_view->getOperObject();
    operated->ExpandByText();
    if (!alignEditor(operated))
        return;
    Q_EMIT designEdited();
    Q_EMIT editedBeyondUndo();
}

bool CADocView::alignEditor(CFTComponent *operated)
{
    CDDText *text = operated->GetText();
    if (!text)
        return false;
    text->alignEditorFrame(operated->GetAngle(), operated->GetEditingOriginX(), operated->GetEditingOriginY(),
                           operated->GetEditingSizeX(), operated->GetEditingSizeY());
    // While an input method composes, the editor is not held to the object's frame.
    operated->SetMaxSizeForJapan(operated->GetOriginX(), operated->GetOriginY(), operated->GetSizeX(),
                                 operated->GetSizeY());
    m_editor->align(text->editorFrame(), text->editorRotation());
    viewport()->update();
    return true;
}

void CADocView::followEditedField()
{
    if (!m_view || !m_view->isTextEditing() || !m_editor->isAttached())
        return;
    CFTComponent *operated = m_view->getOperObject();
    if (!operated)
        return;
    // A panel places its fields when it is drawn next; placed now, the editor goes with its field.
    if (operated->getClassID() == ciAddressPanel)
        static_cast<CFTAAddressPanel *>(operated)->updateFormat();
    alignEditor(operated);
}

bool CADocView::endEditText(int movement)
{
    if (!m_editor->isAttached() || !m_view)
        return false;
    CFTComponent *operated = m_view->getOperObject();
    if (CDDText *text = operated ? operated->GetText() : nullptr)
        disconnect(text->getContents(), &QTextDocument::contentsChanged, this, &CADocView::editedTextChanged);
    QTextDocument *edited = m_editor->document();
    // Only other words are typing: a text restyled while open (its size, its alignment, its
    // colour) keeps the panel's punctuation, and its person hears nothing of it.
    const auto started = m_watchedTexts.constFind(edited);
    const bool wordsTyped = m_typed && (started == m_watchedTexts.cend() || started.value() != edited->toPlainText());
    // A field of a panel typed into keeps what was typed from the panel's punctuation.
    if (wordsTyped && operated && operated->getClassID() == ciAddressPanel)
        if (CFTAAddressText *field = static_cast<CFTAAddressPanel *>(operated)->currentText())
            field->resetFormatRules(true);
    // The text ends first, while it can still read the style the editor types in.
    m_view->endEditText(m_editor);
    m_editor->detach();
    if (m_watchedTexts.contains(edited))
        m_watchedTexts.insert(edited, edited->toPlainText());
    // Tools are good for one gesture. A text tool's press goes straight into typing and never
    // reaches the release that would put the select tool back, so the end of typing does.
    if (m_view->getToolMode() == toolText)
        m_view->setToolMode(toolSelect);
    if (wordsTyped && operated && m_document && !m_personUpdating)
        m_document->updatePersonWithComponent(operated);
    m_edits->endTyping(m_typed);
    m_typed = false;
    notifySelectionChanged();
    if (operated && movement == CACanvasTextEditor::TabMovement) {
        startEditText(nullptr);
    } else if (operated && movement == CACanvasTextEditor::BacktabMovement) {
        m_view->startEditPreviousText(this, m_editor);
        attachEditor();
    }
    invalidateObject(operated);
    setFocus(Qt::OtherFocusReason);
    // Tab and Backtab go on typing in the next field.
    if (!m_editor->isAttached())
        Q_EMIT toolModeChanged();
    return true;
}
