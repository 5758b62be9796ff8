// The view's object services: making objects, z-order, guidelines, the pasteboard archive,
// cursor rectangles and wrap outlines.
#include "kernel/document/CFTAView.h"

#include "kernel/base/CDDWrappingPath.h"
#include "kernel/component/CFTACoreDoc.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/component/CFTDocumentController.h"
#include "kernel/base/FTClassID.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CFTExtPicture.h"
#include "kernel/component/FTComponentFactory.h"
#include "kernel/base/FTGeometry.h"
#include "platform/PWBezierPath.h"

#include <algorithm>

namespace {

CFTACoreDoc *documentAt(CFTDocumentController *controller, unsigned index)
{
    return controller ? controller->GetDocumentByIndex(index) : nullptr;
}

} // namespace

std::unique_ptr<CFTComponent> CFTAView::CreatePicture(const CDDPicture &picture)
{
    FTComponentFactory::Recipe recipe;
    recipe.picture = &picture;
    std::unique_ptr<CFTComponent> made = FTComponentFactory::makeComponent(ciPicture, recipe);
    if (made) {
        made->SetOrigin(1.0, 1.0);
        made->SetSize(1.0, 1.0);
    }
    return made;
}

std::unique_ptr<CFTComponent> CFTAView::CreateBackground(const CDDPicture &picture) const
{
    const CFTACoreDoc *document = currentDocument();
    FTComponentFactory::Recipe recipe;
    recipe.picture = &picture;
    std::unique_ptr<CFTComponent> made = FTComponentFactory::makeComponent(ciBackgroundPicture, recipe);
    if (!made)
        return nullptr;
    made->SetOrigin(0.0, 0.0);
    if (document)
        made->SetSize(document->getDocumentSizeX(0), document->getDocumentSizeY(0));
    return made;
}

CFTComponent *CFTAView::CreateBarcodeWithMousePos()
{
    CFTACoreDoc *document = currentDocument();
    if (!document)
        return nullptr;
    FTComponentFactory::Recipe recipe;
    recipe.x = m_dStartX;
    recipe.y = m_dStartY;
    std::unique_ptr<CFTComponent> barcode = FTComponentFactory::makeComponent(ciBarcode, recipe);
    if (!barcode)
        return nullptr;
    // The document's lists own their components.
    CFTComponent *added = barcode.release();
    document->AddObject(added, m_CurrentSide, m_bIsBack);
    return added;
}

bool CFTAView::StepToBack(side sideIndex, bool back, CFTComponent *component, unsigned documentIndex)
{
    CFTACoreDoc *document = documentAt(m_ftDocument, documentIndex);
    return document && document->StepToBack(sideIndex, back, component);
}

bool CFTAView::StepToFront(side sideIndex, bool back, CFTComponent *component, unsigned documentIndex)
{
    CFTACoreDoc *document = documentAt(m_ftDocument, documentIndex);
    return document && document->StepToFront(sideIndex, back, component);
}

bool CFTAView::SendToBack(side sideIndex, bool back, CFTComponent *component, unsigned documentIndex)
{
    CFTACoreDoc *document = documentAt(m_ftDocument, documentIndex);
    return document && document->SendToBack(sideIndex, back, component);
}

bool CFTAView::SendToFront(side sideIndex, bool back, CFTComponent *component, unsigned documentIndex)
{
    CFTACoreDoc *document = documentAt(m_ftDocument, documentIndex);
    return document && document->SendToFront(sideIndex, back, component);
}

void CFTAView::AddLayoutGuideline(CFTLayoutGuideline *guideline, int)
{
    if (CFTACoreDoc *document = currentDocument())
        document->AddLayoutGuideline(guideline, m_CurrentSide);
}

void CFTAView::DeleteLayoutGuideline(CFTLayoutGuideline *guideline, int)
{
    if (CFTACoreDoc *document = currentDocument())
        document->DeleteLayoutGuideline(guideline, m_CurrentSide);
}

void CFTAView::DeleteCurrentLayoutGuidelines()
{
    if (CFTACoreDoc *document = currentDocument())
        document->DeleteLayoutGuidelines(m_CurrentSide);
}

CFTLayoutGuideline *CFTAView::CreateLayoutGuidelineWithMouse(guidelineType type)
{
    CFTLayoutGuideline *made =
        CreateLayoutGuidelineWithOrigin(type, type == gtVertical ? m_dCurrentX : m_dCurrentY, m_CurrentSide);
    if (made)
        SetLayoutGuidelinesVisible(true);
    return made;
}

CFTLayoutGuideline *CFTAView::CreateLayoutGuidelineWithOrigin(guidelineType type, double position, int sideIndex)
{
    CFTACoreDoc *document = currentDocument();
    if (!document)
        return nullptr;
    auto *made = new CFTLayoutGuideline(type, position);
    AddLayoutGuideline(made, sideIndex);
    return made;
}

bool CFTAView::SerializeComponents(CDDArchive &archive, std::vector<CFTComponent *> *components)
{
    if (components)
        return CFTACoreDoc::SerializeComponents(archive, components, true);
    std::vector<CFTComponent *> all = GetCurrentComponents();
    return CFTACoreDoc::SerializeComponents(archive, &all, true);
}

CFTComponent *CFTAView::getBackground() const
{
    const auto *document = dynamic_cast<const CFTADocument *>(currentDocument());
    return document ? document->getBackground(getCurrentSide()) : nullptr;
}

int CFTAView::getCursorRectsByType(cursorType type, SRect *rects, CFTComponent &component) const
{
    return component.getCursorRectsByType(type, rects, isSelected(&component), getDotSize() / 2);
}

std::vector<CDDWrappingPath *> CFTAView::GetIntersectPathForRect(const QRectF &line, double x, double y, double cx,
                                                                 double cy, double angle, const void *asker,
                                                                 textWrap wrap) const
{
    std::vector<CDDWrappingPath *> outlines;
    const CFTACoreDoc *document = currentDocument();
    if (!document)
        return outlines;
    // The owner's own list: the main list first, then the back list.
    const std::vector<CFTComponent *> *list = nullptr;
    std::size_t ownerIndex = 0;
    for (const bool back : {false, true}) {
        const std::vector<CFTComponent *> &candidates = document->GetComponents(m_CurrentSide, back);
        for (std::size_t i = candidates.size(); i-- > 0;) {
            if (candidates[i]->getClassID() == ciExtendedText && candidates[i]->hasTextContainer(asker)) {
                list = &candidates;
                ownerIndex = i;
                break;
            }
        }
        if (list)
            break;
    }
    if (!list)
        return outlines;

    const QRectF moved = line.translated(x, y);
    QPointF corners[4] = {moved.topLeft(), moved.topRight(), moved.bottomRight(), moved.bottomLeft()};
    if (angle != 0.0) {
        for (QPointF &corner : corners) {
            double px = corner.x();
            double py = corner.y();
            rotatePoint(&px, &py, angle, cx, cy);
            corner = QPointF(px, py);
        }
    }
    double left = corners[0].x(), right = left, top = corners[0].y(), bottom = top;
    for (const QPointF &corner : corners) {
        left = std::min(left, corner.x());
        right = std::max(right, corner.x());
        top = std::min(top, corner.y());
        bottom = std::max(bottom, corner.y());
    }
    const QRectF test(QPointF(left, top), QPointF(right, bottom));

    // Only what stands in front of the text shapes its lines.
    for (std::size_t i = list->size(); i-- > ownerIndex;) {
        CFTComponent *component = (*list)[i];
        if (component->getClassID() == ciExtendedText)
            continue;
        CDDWrappingPath *outline = component->GetPathForTextWrap(m_pDrawer.get());
        if (!outline || outline->getWrapType() == twNoWrap)
            continue;
        if (!outline->getPath()->path().boundingRect().intersects(test))
            continue;
        if (wrap == twAnyWrap || outline->getWrapType() == wrap)
            outlines.push_back(outline);
    }
    return outlines;
}
