#include "kernel/component/CFTACoreView.h"

#include "kernel/base/CDDString.h"
#include "kernel/component/CFTACoreDoc.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/component/CFTDefComponentBox.h"
#include "kernel/component/CFTDefComponentText.h"
#include "kernel/component/CFTLayoutGuideline.h"
#include "kernel/base/FTClassID.h"
#include "kernel/component/FTComponentFactory.h"

#include <algorithm>
#include <cmath>

namespace {

// New objects are made as by the current format, never converted as from an old file.
constexpr int kNewObjectBundle = FTComponentFactory::kLastOldBundleVersion + 1;

bool shiftHeld(int modifiers)
{
    return (modifiers & modifierShift) != 0;
}

} // namespace

void CFTACoreView::invalidateSelection()
{
    m_aInvalObjects.insert(m_aInvalObjects.end(), m_aSelected.begin(), m_aSelected.end());
}

void CFTACoreView::clearSelection()
{
    invalidateSelection();
    deselectAll();
}

int CFTACoreView::mouseLDown(double x, double y, int modifiers)
{
    m_pOperLayoutGuideline = nullptr;
    m_dStartX = m_dPressX = m_dCurrentX = x;
    m_dStartY = m_dPressY = m_dCurrentY = y;
    m_operDot = 0;
    m_pOperObject = PickDot(x, y, &m_operDot);
    if (m_pOperObject) {
        if (m_operDot == dotCode::linkPrevious || m_operDot == dotCode::linkNext) {
            m_pLastOperObject = m_pOperObject;
            m_lastOperPage = m_CurrentSide;
            m_operMode = m_operDot == dotCode::linkPrevious ? operLinkPrevBlock : operLinkNextBlock;
        } else {
            m_operMode = operResizePending;
        }
        return 0;
    }
    actionType zone = actionNone;
    bool selected = false;
    m_pOperLayoutGuideline = PickLayoutGuideline(x, y, selected, zone, modifiers);
    if (!m_pOperLayoutGuideline)
        m_pOperObject = PickObject(x, y, selected, zone, modifiers);
    if (m_pOperObject && selected && zone != actionNone && m_pOperObject->getClassID() == ciAddressPanel)
        return zone == actionToFromZone  ? int(mouseToFromMenu)
            : zone == actionTemplateZone ? int(mouseTemplateMenu)
                                         : 0;
    if (zone == actionFrame && !selected)
        m_pOperObject = nullptr;
    switch (m_toolMode) {
    case toolSelect:
        if (m_pOperObject)
            return pressOnObject(x, y, selected, modifiers);
        m_operMode = m_pOperLayoutGuideline ? operGuidelinePending : operSelectBoxPending;
        return 0;
    case toolText:
        return pressWithTextTool(selected);
    case toolField:
    case toolSeparator:
        m_operMode = operCreatePending;
        return 0;
    case toolBackground:
        break;
    }
    return 0;
}

int CFTACoreView::pressOnObject(double x, double y, bool selected, int modifiers)
{
    int result = 0;
    if (m_pOperObject->getClassID() == ciExtendedText) {
        if (!shiftHeld(modifiers) && !selected)
            clearSelection();
        if (!m_pOperObject->getSelectedItems().empty())
            select(m_pOperObject);
        else
            deselect(m_pOperObject);
        addInvalObject(m_pOperObject);
        result = mouseRedrawInvalid;
    } else if (!selected) {
        if (!shiftHeld(modifiers))
            clearSelection();
        select(m_pOperObject);
        addInvalObject(m_pOperObject);
        result = mouseRedrawInvalid;
    } else {
        if (shiftHeld(modifiers)) {
            deselect(m_pOperObject);
            addInvalObject(m_pOperObject);
            result = mouseRedrawInvalid;
        }
        if (m_pOperObject->getClassID() == ciAddressPanel && m_pOperObject->PickText(x, y, 0.0) != 0) {
            addInvalObject(m_pOperObject);
            m_operMode = operTextEdit;
            return result | mouseStartTextEdit;
        }
    }
    m_operMode = operMovePending;
    return result;
}

int CFTACoreView::pressWithTextTool(bool)
{
    int result = 0;
    invalidateSelection();
    CFTComponent *picked = m_pOperObject;
    if (picked
        && (picked->getType() == ctText || picked->getType() == ctAddressText
            || picked->getClassID() == ciAddressPanel)) {
        m_operMode = operTextEdit;
        result = mouseStartTextEdit;
    } else if (m_operMode != operTextEdit) {
        m_pOperObject = CreateTextBoxWithMousePos();
        m_operMode = m_pOperObject ? operTextEdit : operNone;
        result = m_pOperObject ? mouseStartTextEdit | mouseCreated : 0;
        if (m_pOperObject) {
            m_operBefore.assign(1, {m_pOperObject, QRectF(), 0.0, -1});
            reportOperation(CFTAOperationReport::Kind::Create);
        }
    } else {
        m_operMode = operNone;
    }
    if (m_pOperObject) {
        deselectAll();
        select(m_pOperObject);
        addInvalObject(m_pOperObject);
    }
    return result;
}

CFTComponent *CFTACoreView::CreateTextBoxWithMousePos()
{
    if (!currentDocument())
        return nullptr;
    std::unique_ptr<CFTComponent> text = FTComponentFactory::createComponent(ciAddressText, kNewObjectBundle, defText());
    if (!text)
        return nullptr;
    text->SetOrigin(m_dStartX, m_dStartY);
    const CDDString label(QStringLiteral("Simple text"));
    text->SetTextCategory(tcSimpleText, &label);
    return addNewObject(std::move(text));
}

CFTComponent *CFTACoreView::CreateFieldWithMouse(compType type)
{
    std::unique_ptr<CFTComponent> box =
        currentDocument() ? FTComponentFactory::createComponent(ciShape, kNewObjectBundle, defBox()) : nullptr;
    if (!box)
        return nullptr;
    // The corner opposite the dragged one sits on the press point, so that the box spans from
    // there to wherever the drag goes.
    box->SetOrigin(m_dCurrentX > m_dStartX ? m_dStartX : m_dStartX - 1.0,
                   m_dCurrentY > m_dStartY ? m_dStartY : m_dStartY - 1.0);
    box->SetSize(1.0, 1.0);
    box->setType(type);
    return addNewObject(std::move(box));
}

CFTComponent *CFTACoreView::CreateSeparatorWithMouse()
{
    std::unique_ptr<CFTComponent> line =
        currentDocument() ? FTComponentFactory::createComponent(ciSeparator, kNewObjectBundle, defBox()) : nullptr;
    if (!line)
        return nullptr;
    // While it is being drawn a separator grows from its origin, whatever the direction.
    line->SetOrigin(m_dStartX, m_dStartY);
    line->SetSize(1.0, 1.0);
    return addNewObject(std::move(line));
}

int CFTACoreView::dragSelectBox(int modifiers)
{
    int result = mouseRedrawSelectBox;
    for (CFTComponent *component : GetCurrentComponents()) {
        const bool inside = component->isIntersectRect(m_dStartX, m_dStartY, m_dCurrentX, m_dCurrentY);
        const bool selected = isSelected(component);
        if (inside && !selected) {
            addInvalObject(component);
            select(component);
            result |= mouseRedrawInvalid;
        } else if (inside && component->getClassID() == ciExtendedText) {
            addInvalObject(component);
        } else if (!inside && selected && !shiftHeld(modifiers)) {
            addInvalObject(component);
            deselect(component);
            result |= mouseRedrawInvalid;
        }
    }
    return result;
}

int CFTACoreView::startCreation()
{
    m_pOperObject = m_toolMode == toolField ? CreateFieldWithMouse(ctRect)
        : m_toolMode == toolSeparator       ? CreateSeparatorWithMouse()
                                            : nullptr;
    if (!m_pOperObject) {
        m_operMode = operNone;
        return 0;
    }
    const bool right = m_dCurrentX > m_dStartX;
    const bool down = m_dCurrentY > m_dStartY;
    m_operDot = right ? (down ? 15 : 13) : (down ? 7 : 5);
    // The drag is measured from where the new object's moving end lies now, so the way already
    // made from the press point is not lost however few steps the drag takes.
    if (m_toolMode == toolSeparator) {
        m_dPrevX = m_pOperObject->GetOriginX() + m_pOperObject->GetSizeX();
        m_dPrevY = m_pOperObject->GetOriginY() + m_pOperObject->GetSizeY();
    } else {
        m_pOperObject->GetDotCoord(m_operDot, &m_dPrevX, &m_dPrevY);
    }
    m_operMode = operCreate;
    clearSelection();
    return mouseRedrawInvalid;
}

void CFTACoreView::startMove(int modifiers)
{
    if (!isSelected(m_pOperObject)) {
        clearSelection();
        select(m_pOperObject);
        addInvalObject(m_pOperObject);
    }
    m_aOperStarted = m_aSelected;
    rememberFrames(m_aOperStarted);
    for (CFTComponent *component : m_aOperStarted)
        component->StartOperation(operMovePending, this, modifiers, 0);
}

void CFTACoreView::rememberFrames(const std::vector<CFTComponent *> &components)
{
    m_operBefore.clear();
    for (CFTComponent *component : components)
        m_operBefore.push_back({component,
                                QRectF(component->GetOriginX(), component->GetOriginY(), component->GetSizeX(),
                                       component->GetSizeY()),
                                component->GetAngle(), -1});
}

void CFTACoreView::reportOperation(CFTAOperationReport::Kind kind)
{
    CFTAOperationReport report;
    report.kind = kind;
    report.entries = std::move(m_operBefore);
    m_operBefore.clear();
    if (!report.entries.empty())
        operationEnded(report);
}

int CFTACoreView::mouseMove(double x, double y, int modifiers)
{
    m_dCurrentX = x;
    m_dCurrentY = y;
    double snapX = 0.0, snapY = 0.0;
    int result = 0;
    switch (m_operMode) {
    case operSelectBoxPending:
        m_operMode = operSelectBox;
        [[fallthrough]];
    case operSelectBox:
        result = dragSelectBox(modifiers);
        break;
    case operCreatePending:
        result = startCreation();
        if (!m_pOperObject)
            break;
        [[fallthrough]];
    case operResizePending:
        if (m_operMode != operCreate) {
            m_operMode = operResize;
            m_dPrevX = m_dStartX;
            m_dPrevY = m_dStartY;
        }
        addInvalObject(m_pOperObject);
        rememberFrames({m_pOperObject});
        m_pOperObject->StartOperation(m_operMode, this, modifiers, m_operDot);
        [[fallthrough]];
    case operResize:
    case operCreate:
        result |= MoveOperObjectDot(x - m_dPrevX, y - m_dPrevY, modifiers, getMouseVectorX(), getMouseVectorY(), &snapX,
                                    &snapY)
            | mouseChanged;
        break;
    case operMovePending:
        m_operMode = operMove;
        m_dPrevX = m_dStartX;
        m_dPrevY = m_dStartY;
        if (!isSelected(m_pOperObject))
            result = mouseRedrawInvalid;
        startMove(modifiers);
        [[fallthrough]];
    case operMove:
        result |= MoveSelected(x - m_dPrevX, y - m_dPrevY, modifiers, &snapX, &snapY) | mouseChanged;
        break;
    case operGuidelinePending:
        m_operMode = operGuidelineMove;
        m_dPrevX = m_dStartX;
        m_dPrevY = m_dStartY;
        m_pOperLayoutGuideline->StartOperation(operGuidelinePending, this, modifiers, 0);
        [[fallthrough]];
    case operGuidelineMove:
        result |= MoveSelected(x - m_dPrevX, y - m_dPrevY, modifiers, &snapX, &snapY) | mouseChanged;
        break;
    default:
        break;
    }
    m_dPrevX = x + snapX;
    m_dPrevY = y + snapY;
    return result;
}

void CFTACoreView::endOperations()
{
    for (CFTComponent *component : m_aOperStarted)
        component->EndOperation(operMove);
    m_aOperStarted.clear();
}

int CFTACoreView::releaseCreation(double x, double y)
{
    // A release where the press was made no shape (a flat one may be a line); an undo step may
    // already know the object, so it goes to the pool rather than being freed.
    if (x == m_dPressX && y == m_dPressY) {
        deselect(m_pOperObject);
        if (CFTACoreDoc *document = currentDocument())
            document->DeleteObject(m_pOperObject, m_CurrentSide, m_bIsBack);
        m_pOperObject->EndOperation(m_operMode);
        m_pOperObject = nullptr;
        m_operMode = operNone;
        return mouseRedrawInvalid;
    }
    m_operMode = operTextEdit;
    select(m_pOperObject);
    return mouseCreated | mouseStartTextEdit;
}

int CFTACoreView::mouseUp(double x, double y, int modifiers)
{
    int result = 0;
    switch (m_operMode) {
    case operMovePending:
        if (!shiftHeld(modifiers)) {
            clearSelection();
            result |= mouseRedrawInvalid;
        }
        addInvalObject(m_pOperObject);
        if (!isSelected(m_pOperObject) && !shiftHeld(modifiers))
            select(m_pOperObject);
        result |= mouseRedrawInvalid;
        if (m_pOperObject->getClassID() == ciAddressPanel && m_pOperObject->PickText(x, y, 0.0) != 0) {
            m_operMode = operTextEdit;
            result |= mouseStartTextEdit;
        }
        break;
    case operSelectBoxPending:
        invalidateSelection();
        for (CFTComponent *component : m_aSelected)
            if (component->getClassID() == ciExtendedText)
                component->deselectAll();
        deselectAll();
        result = mouseRedrawInvalid;
        break;
    case operSelectBox:
        result = mouseRedrawSelectBox;
        m_operMode = operNone;
        break;
    case operCreate: {
        const operMode creating = m_operMode;
        result = releaseCreation(x, y);
        if (!m_pOperObject)
            break;
        m_pOperObject->EndOperation(creating);
        m_aInvalObjects.push_back(m_pOperObject);
        result |= mouseChanged;
        m_operBefore.assign(1, {m_pOperObject, QRectF(), 0.0, -1});
        reportOperation(CFTAOperationReport::Kind::Create);
        break;
    }
    case operResize:
        m_pOperObject->EndOperation(m_operMode);
        m_aInvalObjects.push_back(m_pOperObject);
        result |= mouseChanged;
        reportOperation(CFTAOperationReport::Kind::Resize);
        break;
    case operMove:
        endOperations();
        invalidateSelection();
        result |= mouseChanged;
        reportOperation(CFTAOperationReport::Kind::Move);
        break;
    case operLinkPrevBlock:
        result = mouseLinkPrevBlock;
        break;
    case operLinkNextBlock:
        result = mouseLinkNextBlock;
        break;
    case operGuidelineMove:
        if (m_pOperLayoutGuideline)
            m_pOperLayoutGuideline->EndOperation(operGuidelineMove);
        result |= mouseObjectAction;
        [[fallthrough]];
    case operGuidelinePending:
        m_operMode = operNone;
        break;
    default:
        break;
    }
    // Only typing outlives the release; a press that led nowhere leaves the machine at rest.
    if (m_operMode != operTextEdit)
        m_operMode = operNone;
    m_aOperStarted.clear();
    m_operBefore.clear();
    m_toolMode = toolSelect;
    ClearSnapOccuredX();
    ClearSnapOccuredY();
    return result | mouseRedrawSnapGuides;
}

int CFTACoreView::mouseLDoubleClick(double x, double y, int modifiers)
{
    actionType zone = actionNone;
    bool selected = false;
    CFTComponent *hit = PickObject(x, y, selected, zone, modifiers);
    if (!hit)
        return 0;
    m_pOperObject = hit;
    if (zone == actionFrame && hit->getClassID() == ciAddressPanel) {
        m_pOperObject = nullptr;
        return 0;
    }
    if (hit->getType() == ctPicture)
        return (modifiers & modifierCommand) ? 0 : int(mouseOpenImageEditor);
    if (hit->getType() == ctSmartField)
        return mouseObjectAction;
    if (m_toolMode != toolSelect && m_toolMode != toolText)
        return 0;
    m_operMode = operTextEdit;
    clearSelection();
    select(hit);
    addInvalObject(hit);
    return mouseStartTextEdit;
}

int CFTACoreView::mouseRDown(double x, double y, int modifiers)
{
    actionType zone = actionNone;
    bool selected = false;
    m_pOperObject = PickObject(x, y, selected, zone, modifiers);
    if (!m_pOperObject) {
        clearSelection();
        return mouseRedrawInvalid;
    }
    if (selected)
        return 0;
    if (!shiftHeld(modifiers))
        clearSelection();
    select(m_pOperObject);
    addInvalObject(m_pOperObject);
    return mouseRedrawInvalid;
}

mouseResults CFTACoreView::MouseLDown(double x, double y, modifierKeys modifiers)
{
    keepInBounds(x, y, true);
    return mouseResults::fromInt(mouseLDown(x, y, modifiers.toInt()));
}

mouseResults CFTACoreView::MouseMove(double x, double y, modifierKeys modifiers)
{
    keepInBounds(x, y, false);
    return mouseResults::fromInt(mouseMove(x, y, modifiers.toInt()));
}

mouseResults CFTACoreView::MouseUp(double x, double y, modifierKeys modifiers)
{
    keepInBounds(x, y, false);
    return mouseResults::fromInt(mouseUp(x, y, modifiers.toInt()));
}

mouseResults CFTACoreView::MouseLDoubleClick(double x, double y, modifierKeys modifiers)
{
    keepInBounds(x, y, true);
    return mouseResults::fromInt(mouseLDoubleClick(x, y, modifiers.toInt()));
}

mouseResults CFTACoreView::MouseRDown(double x, double y, modifierKeys modifiers)
{
    keepInBounds(x, y, true);
    return mouseResults::fromInt(mouseRDown(x, y, modifiers.toInt()));
}
