#include "kernel/document/CFTAView.h"

#include "kernel/document/CFTAViewObserver.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/base/FTClassID.h"
#include "kernel/component/FTComponentFactory.h"
#include "kernel/render/CDDDrawer.h"
#include "kernel/component/CFTACoreDoc.h"
#include "kernel/component/CFTComponent.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

namespace {

// The recipient area of a wide landscape envelope keeps this width, flush with the right margin.
constexpr double kWideEnvelope = 756.0;
constexpr double kRecipientWidth = 702.0;

// Box fields and every shape kind count as one type for the inspector.
int foldedType(compType type)
{
    if (type == ctSeparator || (type >= ctRectTriangleLeft && type <= ctRightDiagonalLine))
        return ctRect;
    return type;
}

} // namespace

CFTAView::CFTAView(CFTDocumentController *controller)
    : CFTACoreView(controller)
{
}

CFTAView::~CFTAView() = default;

// --- Drawing ------------------------------------------------------------------------------------

void CFTAView::Draw(double, double, double, double)
{
    Draw();
}

void CFTAView::Draw()
{
    m_pDrawer->SetResolution(GetResolution());
    if (m_bDrawGuidelines)
        DrawGuidelines();
    CFTACoreDoc *document = currentDocument();
    if (!document)
        return;
    document->DrawBackground(m_pDrawer.get());
    // A copy: drawing may refresh smart values but must not be disturbed by list changes.
    const std::vector<CFTComponent *> components = GetCurrentComponents();
    for (CFTComponent *component : components)
        component->Draw(m_pDrawer.get(), isSelected(component), this, component == m_pHighlightedObject, false);
    if (IsSnapOccuredX())
        m_pDrawer->DrawSnapLine(m_SnapRectX[0], m_SnapRectX[1], m_SnapRectX[0], m_SnapRectX[2]);
    if (IsSnapOccuredY())
        m_pDrawer->DrawSnapLine(m_SnapRectY[1], m_SnapRectY[0], m_SnapRectY[2], m_SnapRectY[0]);
}

void CFTAView::DrawBack()
{
    // This view keeps no background object of its own; the document draws its background in Draw.
    m_pDrawer->SetResolution(GetResolution());
}

std::vector<CFTAView::guidelineArea> CFTAView::guidelineAreas(documentType type, bool horizontal, double width,
                                                              double height)
{
    const bool postal = type == dtEnvelope || type == dtPostcard;
    if (!postal)
        return {{9, 9, width - 18, height - 18, true, false, false}};
    if (!horizontal)
        return {{9, 9, width - 18, height - 18, false, true, false}};
    const double senderHeight = height * 0.33;
    const double recipientHeight = height - (senderHeight + 45);
    std::vector<guidelineArea> areas {{0, 0, width * 0.5, senderHeight, true, true, false}};
    if (width <= kWideEnvelope)
        areas.push_back({36, senderHeight, width - 72, recipientHeight, true, false, false});
    else
        areas.push_back(
            {width - kRecipientWidth - 36, senderHeight, kRecipientWidth, recipientHeight, true, false, false});
    return areas;
}

void CFTAView::DrawGuidelines()
{
    CFTACoreDoc *document = currentDocument();
    if (!document || !m_pDrawer)
        return;
    for (const guidelineArea &area : guidelineAreas(document->getDocumentType(), document->IsHorizontal(0),
                                                    document->getDocumentSizeX(0), document->getDocumentSizeY(0)))
        m_pDrawer->DrawGuidelineArea(area.x, area.y, area.width, area.height, area.recipient, area.drawCaption,
                                     area.unused);
}

void CFTAView::DrawSelection()
{
    for (CFTComponent *component : m_aSelected) {
        if (component)
            component->DrawSelection(m_pDrawer.get(), this);
    }
}

int CFTAView::setMouseLoc(double x, double y, int)
{
    m_dCurrentX = x;
    m_dCurrentY = y;
    return 0;
}

// --- The edited list ------------------------------------------------------------------------------

std::unique_ptr<CFTComponent> CFTAView::CreateAddressPanel(bool toFrom, const CAddressFormat *format) const
{
    FTComponentFactory::Recipe recipe;
    recipe.toFrom = toFrom;
    recipe.format = format;
    recipe.styleSource = defText();
    return FTComponentFactory::makeComponent(ciAddressPanel, recipe);
}

void CFTAView::InsertComponent(CFTComponent *component, bool selectIt)
{
    CFTACoreDoc *document = currentDocument();
    if (!document || !component)
        return;
    document->AddObject(component, m_CurrentSide, m_bIsBack);
    if (selectIt)
        select(component);
}

bool CFTAView::DeleteComponent(const CFTComponent *component, bool deselectIt)
{
    CFTACoreDoc *document = currentDocument();
    if (!document)
        return false;
    if (deselectIt)
        deselect(component);
    return document->DeleteObject(component, m_CurrentSide, m_bIsBack);
}

bool CFTAView::EreaseComponent(const CFTComponent *component, bool deselectIt)
{
    CFTACoreDoc *document = currentDocument();
    if (!document)
        return false;
    const std::vector<CFTComponent *> &list = GetCurrentComponents();
    const auto listed = std::find(list.begin(), list.end(), component);
    const int index = listed == list.end() ? -1 : int(listed - list.begin());
    if (deselectIt)
        deselect(component);
    std::unique_ptr<CFTComponent> taken = document->EreaseObject(component, m_CurrentSide, m_bIsBack);
    if (!taken)
        return false;
    CFTComponent *erased = taken.get();
    CFTAOperationReport report;
    report.kind = CFTAOperationReport::Kind::Erase;
    report.entries.push_back({erased,
                              QRectF(erased->GetOriginX(), erased->GetOriginY(), erased->GetSizeX(), erased->GetSizeY()),
                              erased->GetAngle(), index});
    // Commands and the canvas may still point at it until their undo steps go.
    document->autorelease(taken.release());
    operationEnded(report);
    return true;
}

void CFTAView::operationEnded(const CFTAOperationReport &report)
{
    if (m_observer)
        m_observer->viewOperationEnded(report);
}

// --- The selection --------------------------------------------------------------------------------

int CFTAView::getTypeOfSelComponents() const
{
    if (needEditBackground())
        return ctPicture;
    if (m_aSelected.empty())
        return m_toolMode == toolText ? ctText : ctAddressPanel;
    std::array<int, 134> counts {};
    for (const CFTComponent *component : m_aSelected) {
        const int type = foldedType(component->getType());
        if (type >= 0 && type < int(counts.size()))
            ++counts[std::size_t(type)];
    }
    int best = 0;
    bool tie = false;
    for (int type = 1; type < int(counts.size()); ++type) {
        const int count = counts[std::size_t(type)];
        if (count >= counts[std::size_t(best)]) {
            tie = count == counts[std::size_t(best)];
            best = type;
        }
    }
    return tie ? 0 : best;
}

std::vector<CFTComponent *> CFTAView::getSelComponentsWithDocZOrder() const
{
    std::vector<CFTComponent *> ordered;
    const CFTACoreDoc *document = currentDocument();
    if (!document)
        return ordered;
    for (CFTComponent *component : document->GetComponents(0, false)) {
        if (isSelected(component))
            ordered.push_back(component);
    }
    return ordered;
}

std::vector<CFTComponent *> CFTAView::getSelContainerComponents() const
{
    std::vector<CFTComponent *> containers;
    for (CFTComponent *component : m_aSelected) {
        const std::vector<CFTComponent *> items = component->getSelectedItems();
        if (items.empty())
            containers.push_back(component);
        else
            containers.insert(containers.end(), items.begin(), items.end());
    }
    return containers;
}

QRectF CFTAView::getNSSBRect() const
{
    return {float(std::min(m_dStartX, m_dCurrentX)), float(std::min(m_dStartY, m_dCurrentY)),
            float(std::abs(m_dCurrentX - m_dStartX)), float(std::abs(m_dCurrentY - m_dStartY))};
}

// --- Text editing ---------------------------------------------------------------------------------

void CFTAView::startEditText(QObject *view, QObject *editor, CFTComponent *component)
{
    if (component) {
        m_pOperObject = component;
        m_operMode = operTextEdit;
    }
    if (m_pOperObject) {
        m_pOperObject->startEditText(view, editor);
        markTextEditing();
        addInvalObject(m_pOperObject);
    }
}

void CFTAView::startEditText(QObject *view, QObject *editor, double x, double y)
{
    if (m_pOperObject) {
        m_pOperObject->startEditText(view, editor, x, y);
        markTextEditing();
        addInvalObject(m_pOperObject);
    }
}

void CFTAView::startEditPreviousText(QObject *view, QObject *editor)
{
    auto *panel = m_pOperObject && m_pOperObject->getClassID() == ciAddressPanel
                      ? static_cast<CFTAAddressPanel *>(m_pOperObject)
                      : nullptr;
    if (!panel) {
        startEditText(view, editor, nullptr);
        return;
    }
    panel->startEditPreviousText(view, editor);
    markTextEditing();
    addInvalObject(m_pOperObject);
}

void CFTAView::markTextEditing()
{
    // Typing into the next field of a panel starts an edit without a click: the view is editing
    // again whenever the object took the editor.
    if (m_pOperObject && m_pOperObject->isEditing())
        m_operMode = operTextEdit;
}

bool CFTAView::endEditText(void *editor)
{
    if (!m_pOperObject || !m_pOperObject->isEditing())
        return false;
    const bool ended = m_pOperObject->endEditText(static_cast<QObject *>(editor)) != nullptr;
    // The object stays operated and selected, but nothing is typed any more: a later text-tool
    // click makes a new text rather than ending an edit that is already over.
    if (m_operMode == operTextEdit)
        m_operMode = operNone;
    addInvalObject(m_pOperObject);
    return ended;
}
