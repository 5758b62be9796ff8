#include "kernel/component/CFTACoreView.h"

#include "kernel/base/FTClassID.h"
#include "kernel/base/FTGeometry.h"
#include "kernel/component/CFTACoreDoc.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/component/CFTDefComponentText.h"
#include "kernel/component/FTComponentFactory.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int kNewObjectBundle = FTComponentFactory::kLastOldBundleVersion + 1;
// Twenty inches: room beside even the smallest label to park objects off the page.
constexpr double kLeastMargin = 1440.0;

// Left, top, right and bottom grown over rectangles; empty until the first is added.
struct extent
{
    double left = std::numeric_limits<double>::infinity();
    double top = std::numeric_limits<double>::infinity();
    double right = -std::numeric_limits<double>::infinity();
    double bottom = -std::numeric_limits<double>::infinity();

    bool empty() const { return left > right; }
    void add(double l, double t, double r, double b)
    {
        left = std::min(left, l);
        top = std::min(top, t);
        right = std::max(right, r);
        bottom = std::max(bottom, b);
    }
};

void answer(double *out, double value)
{
    if (out)
        *out = value;
}

void answerRect(double *x, double *y, double *width, double *height, double left, double top, double right,
                double bottom)
{
    answer(x, left);
    answer(y, top);
    answer(width, right - left);
    answer(height, bottom - top);
}

} // namespace

void CFTACoreView::getSelObjectsRect(double *x, double *y, double *width, double *height) const
{
    if (m_aSelected.empty()) {
        answerRect(x, y, width, height, 0.0, 0.0, 0.0, 0.0);
        return;
    }
    double left = 0.0, top = 0.0, w = 0.0, h = 0.0;
    CFTACoreDoc::GetSelectionRectForComponents(&left, &top, &w, &h, m_aSelected);
    answerRect(x, y, width, height, left, top, left + w, top + h);
}

void CFTACoreView::GetObjectsBound(double *x, double *y, double *width, double *height) const
{
    const std::vector<CFTComponent *> &components = GetCurrentComponents();
    if (components.empty()) {
        answerRect(x, y, width, height, 0.0, 0.0, 0.0, 0.0);
        return;
    }
    double left = 0.0, top = 0.0, right = 0.0, bottom = 0.0;
    CFTACoreDoc::GetBoundForComponents(&left, &top, &right, &bottom, components);
    answerRect(x, y, width, height, left, top, right, bottom);
}

// Both centres start from the first frame rather than from fixed far values, so that a selection
// lying wholly left of or above the page still has its own middle.
void CFTACoreView::getSelObjectsCenter(double *x, double *y) const
{
    extent box;
    for (const CFTComponent *component : m_aSelected) {
        const double left = component->GetOriginX();
        const double top = component->GetOriginY();
        box.add(left, top, left + component->GetSizeX(), top + component->GetSizeY());
    }
    answer(x, box.empty() ? 0.0 : (box.left + box.right) / 2.0);
    answer(y, box.empty() ? 0.0 : (box.top + box.bottom) / 2.0);
}

// Over the turned frames, bounded by their turned corners. Turning only the origin and adding the
// turned extent (|w cos a| + |h sin a| across, |h cos a| + |w sin a| down) would put that box
// beside the frame rather than round it: a single quarter-turned object would have its middle
// half its width away from its own. The corners give the box the turned frame really fills.
void CFTACoreView::getSelObjectsMedianCenter(double *x, double *y) const
{
    extent box;
    for (const CFTComponent *component : m_aSelected) {
        const double left = component->GetOriginX();
        const double top = component->GetOriginY();
        const double width = component->GetSizeX();
        const double height = component->GetSizeY();
        const double cx = left + width / 2.0;
        const double cy = top + height / 2.0;
        const double cornersX[4] = {left, left + width, left + width, left};
        const double cornersY[4] = {top, top, top + height, top + height};
        for (int i = 0; i < 4; ++i) {
            double px = cornersX[i], py = cornersY[i];
            rotatePoint(&px, &py, component->GetAngle(), cx, cy);
            box.add(px, py, px, py);
        }
    }
    answer(x, box.empty() ? 0.0 : (box.left + box.right) / 2.0);
    answer(y, box.empty() ? 0.0 : (box.top + box.bottom) / 2.0);
}

void CFTACoreView::keepInBounds(double &x, double &y, bool press)
{
    if (!std::isfinite(x))
        x = m_dCurrentX;
    if (!std::isfinite(y))
        y = m_dCurrentY;
    const CFTACoreDoc *document = currentDocument();
    if (!document)
        return;
    const double width = std::max(0.0, document->getDocumentSizeX(m_CurrentSide));
    const double height = std::max(0.0, document->getDocumentSizeY(m_CurrentSide));
    if (press || !m_reachMeasured) {
        extent area;
        area.add(0.0, 0.0, width, height);
        for (const CFTComponent *component : GetCurrentComponents()) {
            double left = 0.0, top = 0.0, right = 0.0, bottom = 0.0;
            component->GetDrawRect(&left, &top, &right, &bottom, false);
            if (std::isfinite(left) && std::isfinite(top) && std::isfinite(right) && std::isfinite(bottom))
                area.add(left, top, right, bottom);
        }
        const double margin = std::max({width, height, kLeastMargin});
        m_reach[0] = area.left - margin;
        m_reach[1] = area.top - margin;
        m_reach[2] = area.right + margin;
        m_reach[3] = area.bottom + margin;
        m_reachMeasured = true;
    }
    x = std::clamp(x, m_reach[0], m_reach[2]);
    y = std::clamp(y, m_reach[1], m_reach[3]);
}

CFTComponent *CFTACoreView::addNewObject(std::unique_ptr<CFTComponent> component)
{
    CFTACoreDoc *document = currentDocument();
    if (!document || !component)
        return nullptr;
    CFTComponent *made = component.release();
    document->AddObject(made, m_CurrentSide, m_bIsBack);
    return made;
}

CFTComponent *CFTACoreView::CreateTextBoxWithMouse()
{
    if (!currentDocument())
        return nullptr;
    std::unique_ptr<CFTComponent> text = FTComponentFactory::createComponent(ciText, kNewObjectBundle, defText());
    if (!text)
        return nullptr;
    text->SetOrigin(std::min(m_dStartX, m_dCurrentX), std::min(m_dStartY, m_dCurrentY));
    text->SetSize(std::fabs(getMouseVectorX()), std::fabs(getMouseVectorY()));
    return addNewObject(std::move(text));
}

CFTComponent *CFTACoreView::CreateTextExtBoxWithMouse()
{
    if (!currentDocument())
        return nullptr;
    std::unique_ptr<CFTComponent> text = FTComponentFactory::createComponent(ciExtendedText, kNewObjectBundle, nullptr);
    if (!text)
        return nullptr;
    text->SetOrigin(std::min(m_dStartX, m_dCurrentX), std::min(m_dStartY, m_dCurrentY));
    text->SetSize(std::fabs(getMouseVectorX()), std::fabs(getMouseVectorY()));
    return addNewObject(std::move(text));
}

CFTComponent *CFTACoreView::CreateTextExtBoxWithMousePos()
{
    if (!currentDocument())
        return nullptr;
    std::unique_ptr<CFTComponent> text = FTComponentFactory::createComponent(ciExtendedText, kNewObjectBundle, nullptr);
    if (!text)
        return nullptr;
    text->SetOrigin(m_dStartX, m_dStartY);
    return addNewObject(std::move(text));
}
