#include "kernel/component/CFTACoreView.h"

#include "kernel/render/CDDDrawer.h"
#include "kernel/component/CFTACoreDoc.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/component/CFTDocumentController.h"
#include "kernel/component/CFTLayoutGuideline.h"
#include "kernel/base/FTClassID.h"

#include <algorithm>
#include <ranges>

namespace {

// The first object from front to back that hit answers for.
template <typename Hit> CFTComponent *frontMost(const std::vector<CFTComponent *> &components, Hit hit)
{
    for (auto it = components.rbegin(); it != components.rend(); ++it) {
        CFTComponent *component = *it;
        if (hit(component))
            return component;
    }
    return nullptr;
}

bool contains(const std::vector<CFTComponent *> &list, const CFTComponent *component)
{
    return std::ranges::find(list, component) != list.end();
}

} // namespace

CFTACoreView::CFTACoreView(CFTDocumentController *controller)
    : m_ftDocument(controller)
    , m_pDrawer(std::make_unique<CDDDrawer>(true))
{
}

CFTACoreView::~CFTACoreView() = default;

bool CFTACoreView::endEditText(void *)
{
    return m_pOperObject != nullptr;
}

bool CFTACoreView::isSelected(const CFTComponent *component) const
{
    return m_selectedSet.contains(component);
}

void CFTACoreView::select(CFTComponent *component)
{
    if (component && m_selectedSet.insert(component).second)
        m_aSelected.push_back(component);
}

void CFTACoreView::deselect(const CFTComponent *component)
{
    if (m_selectedSet.erase(component))
        std::erase(m_aSelected, component);
}

void CFTACoreView::selectAll()
{
    deselectAll();
    for (CFTComponent *component : GetCurrentComponents()) {
        if (component->IsHidden())
            continue;
        select(component);
        if (component->getClassID() == ciExtendedText)
            component->selectAll();
    }
}

void CFTACoreView::addInvalObject(CFTComponent *component)
{
    if (!contains(m_aInvalObjects, component))
        m_aInvalObjects.push_back(component);
}

void CFTACoreView::ClearSnapOccuredX()
{
    m_bWasSnapOccuredX = m_bSnapOccuredX;
    m_bSnapOccuredX = false;
}

void CFTACoreView::ClearSnapOccuredY()
{
    m_bWasSnapOccuredY = m_bSnapOccuredY;
    m_bSnapOccuredY = false;
}

CFTACoreDoc *CFTACoreView::currentDocument() const
{
    return m_ftDocument ? m_ftDocument->GetCurrentDocument() : nullptr;
}

CFTDefComponentBox *CFTACoreView::defBox() const
{
    CFTACoreDoc *document = currentDocument();
    return document ? document->getDefBox() : nullptr;
}

CFTDefComponentText *CFTACoreView::defText() const
{
    CFTACoreDoc *document = currentDocument();
    return document ? document->getDefText() : nullptr;
}

const std::vector<CFTComponent *> &CFTACoreView::GetCurrentComponents() const
{
    static const std::vector<CFTComponent *> none;
    const CFTACoreDoc *document = currentDocument();
    return document ? document->GetComponents(m_CurrentSide, m_bIsBack) : none;
}

bool CFTACoreView::LayoutGuidelinesVisible() const
{
    const CFTACoreDoc *document = currentDocument();
    return document && document->LayoutGuidelinesVisible();
}

void CFTACoreView::SetLayoutGuidelinesVisible(bool visible)
{
    if (CFTACoreDoc *document = currentDocument())
        document->SetLayoutGuidelinesVisible(visible);
}

const std::vector<CFTLayoutGuideline *> &CFTACoreView::GetLayoutGuidelines() const
{
    static const std::vector<CFTLayoutGuideline *> none;
    const CFTACoreDoc *document = currentDocument();
    return document ? document->GetLayoutGuidelines(m_CurrentSide) : none;
}

CFTComponent *CFTACoreView::PickDot(double x, double y, int *dot) const
{
    for (CFTComponent *component : m_aSelected) {
        const int answer = component->PickMyDot(x, y, getDotSize());
        if (dot)
            *dot = answer;
        if (answer > 0)
            return component;
    }
    return nullptr;
}

CFTComponent *CFTACoreView::PickObject(double x, double y, bool &selected, actionType &action, int modifiers) const
{
    const bool cycling = (modifiers & modifierCommand) != 0;
    CFTComponent *firstHit = nullptr;
    actionType firstAction = action;
    CFTComponent *selectedHit = nullptr;
    const std::vector<CFTComponent *> &components = GetCurrentComponents();
    for (auto it = components.rbegin(); it != components.rend(); ++it) {
        CFTComponent *component = *it;
        selected = isSelected(component);
        actionType zone = action;
        if (!component->PickMe(x, y, selected, getSens(), zone, modifiers))
            continue;
        if (!cycling) {
            action = zone;
            return component;
        }
        if (!firstHit) {
            firstHit = component;
            firstAction = zone;
        }
        if (selected) {
            selectedHit = component;
        } else if (selectedHit) {
            // Beneath the selection lies the next object a repeated command-click should reach.
            action = actionCycled;
            return component;
        }
    }
    if (!firstHit) {
        selected = false;
        return nullptr;
    }
    selected = isSelected(firstHit);
    action = firstHit == selectedHit ? firstAction : actionCycled;
    return firstHit;
}

CFTLayoutGuideline *CFTACoreView::PickLayoutGuideline(double x, double y, bool &selected, actionType &action,
                                                      int modifiers) const
{
    if (!LayoutGuidelinesVisible())
        return nullptr;
    selected = false;
    const std::vector<CFTLayoutGuideline *> &guidelines = GetLayoutGuidelines();
    for (auto it = guidelines.rbegin(); it != guidelines.rend(); ++it) {
        CFTLayoutGuideline *guideline = *it;
        if (CFTLayoutGuideline *hit = guideline->PickMe(x, y, selected, getSens(), action, modifiers))
            return hit;
    }
    return nullptr;
}

CFTComponent *CFTACoreView::HighlightedObject(double x, double y, bool &selected) const
{
    selected = false;
    return frontMost(GetCurrentComponents(), [&](CFTComponent *component) {
        actionType zone = actionNone;
        return component->PickMe(x, y, selected, getSens(), zone, 0) && component->canHighlighted();
    });
}

bool CFTACoreView::UpdateHighlightedObject(double x, double y)
{
    bool selected = false;
    CFTComponent *highlighted = HighlightedObject(x, y, selected);
    if (highlighted == m_pHighlightedObject)
        return false;
    if (m_pHighlightedObject)
        addInvalObject(m_pHighlightedObject);
    if (highlighted)
        addInvalObject(highlighted);
    m_pHighlightedObject = highlighted;
    return true;
}

CFTComponent *CFTACoreView::TestObject(double x, double y, bool &selected) const
{
    selected = false;
    return frontMost(GetCurrentComponents(),
                     [&](CFTComponent *component) { return component->TestMe(x, y, selected, getSens()) != nullptr; });
}

CFTComponent *CFTACoreView::TestTextHolderObject(double x, double y, bool &selected) const
{
    selected = false;
    return frontMost(GetCurrentComponents(), [&](CFTComponent *component) {
        return component->canSetText() && component->TestMe(x, y, selected, getSens()) != nullptr;
    });
}

void CFTACoreView::operationEnded(const CFTAOperationReport &)
{
}
