// Items dragged from the design window onto the canvas: one archived component under the
// address-design type, placed where it is let go.
#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CADocView.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWPasteboardTypes.h"
#include "platform/PWPerson.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>

namespace {

QString addressDesignType()
{
    return PWPasteboardTypes::mimeTypeOf(PWPasteboardTypes::kAddressDocument);
}

bool offersAddressDesign(const QMimeData *data)
{
    return data && data->hasFormat(addressDesignType());
}

} // namespace

void CADocView::dragEnterEvent(QDragEnterEvent *event)
{
    if (m_view && offersAddressDesign(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        return;
    }
    event->ignore();
}

void CADocView::dragMoveEvent(QDragMoveEvent *event)
{
    if (m_view && offersAddressDesign(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        return;
    }
    event->ignore();
}

void CADocView::dropEvent(QDropEvent *event)
{
    if (!offersAddressDesign(event->mimeData())) {
        event->ignore();
        return;
    }
    const QPointF point = m_geometry.documentPoint(event->position());
    if (dropAddressComponents(event->mimeData()->data(addressDesignType()), point)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

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
            component->SetOrigin(documentPoint.x(), documentPoint.y());
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
