// The small answers of the canvas other commands ask for: the side a contact goes to, address
// settings of the design, the sizes of inserted pictures and shapes, and the persons put back.
#include "app/canvas/CADocView.h"

#include "app/canvas/CACanvasSelection.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWPerson.h"

bool CADocView::activeToFrom() const
{
    const std::vector<CFTComponent *> none;
    return CACanvasSelection::activeToFrom(m_view ? m_view->getSelComponents() : none, hasAddressControls(true),
                                           hasAddressControls(false));
}

bool CADocView::hasAddressControls(bool toFrom) const
{
    return m_document && m_document->hasAddressControls(toFrom);
}

addressType CADocView::addressTypeFrom() const
{
    const CFTADocument *design = m_document ? m_document->ftDocument() : nullptr;
    return design ? design->addressTypeFrom() : addressType {};
}

void CADocView::setAddressTypeTo(addressType type)
{
    if (CFTADocument *design = m_document ? m_document->ftDocument() : nullptr)
        design->setAddressType(type, true);
}

void CADocView::setAddressTypeFrom(addressType type)
{
    if (CFTADocument *design = m_document ? m_document->ftDocument() : nullptr)
        design->setAddressType(type, false);
}

QSizeF CADocView::prepareImageSize(const QSizeF &natural) const
{
    const CFTADocument *design = m_document ? m_document->ftDocument() : nullptr;
    if (!design)
        return natural;
    return CACanvasSelection::prepareImageSize(natural, QSizeF(design->getDocumentSizeX(0), design->getDocumentSizeY(0)));
}

QSizeF CADocView::prepareShapeSize(int shapeKind) const
{
    const CFTADocument *design = m_document ? m_document->ftDocument() : nullptr;
    return CACanvasSelection::prepareShapeSize(shapeKind, design ? design->getDocumentSizeY(0) : 0.0);
}

CFTDefComponentBox *CADocView::getDefComponent() const
{
    return m_view ? m_view->defBox() : nullptr;
}

void CADocView::updateComponents()
{
    if (!m_document)
        return;
    // The texts are refilled from the persons, so they must not write themselves back meanwhile.
    beginUpdatePerson();
    for (const bool toFrom : {true, false}) {
        // The document keeps a copy of what it is given, so the person is handed back as it is.
        if (const std::shared_ptr<PWPerson> person = m_document->currentPerson(toFrom))
            m_document->setCurrentPerson(person.get(), toFrom, true, true);
    }
    endUpdatePerson();
    // New texts change which fields show and where the rows' punctuation goes.
    if (CFTADocument *design = m_document->ftDocument())
        design->arrangeAddressPanel();
    viewport()->update();
    notifySelectionChanged();
}
