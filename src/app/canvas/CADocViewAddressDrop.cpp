// Items dragged from the design window onto the canvas: archived components under the
// address-design type, placed where they are let go and filled from their side's person.
#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CADocView.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWPerson.h"

bool CADocView::dropAddressComponents(const QByteArray &data, const QPointF &documentPoint)
{
    if (!m_view || !m_document)
        return false;
    std::vector<std::unique_ptr<CFTComponent>> components = CADocument::componentsFromData(data);
    if (components.empty())
        return false;
    endEditText();
    std::vector<CFTComponent *> placed;
    {
        CACanvasEdits::Step step(edits(), QStringLiteral("CREATE_OBJECT"));
        m_view->deselectAll();
        for (std::unique_ptr<CFTComponent> &component : components) {
            // Moved by the drop point: an item of the design window stands at the origin, and
            // several items keep their places to each other.
            const QRectF frame = CACanvasEdits::frameOf(component.get());
            component->SetOrigin(frame.x() + documentPoint.x(), frame.y() + documentPoint.y());
            CFTComponent *made = component.release();
            edits().insertObjectSelect(made, true);
            placed.push_back(made);
        }
        for (const bool toFrom : {true, false}) {
            std::vector<CFTComponent *> side;
            for (CFTComponent *component : placed) {
                if (component->GetToFrom() == toFrom)
                    side.push_back(component);
            }
            if (side.empty())
                continue;
            std::shared_ptr<PWPerson> person = m_document->currentPerson(toFrom);
            if (!person)
                person = PWPerson::create();
            m_document->updateObjectsText(side, *person, toFrom);
        }
    }
    for (CFTComponent *component : placed)
        invalidateObject(component);
    refitFrame();
    notifySelectionChanged();
    Q_EMIT designEdited();
    return true;
}
