#include "app/printing/CALayoutState.h"

#include "kernel/merge/CADocument.h"
#include "kernel/document/CFTADocument.h"
#include "platform/PWUndoManager.h"

CALayoutState CALayoutState::of(const CADocument &document)
{
    const CFTADocument *design = document.ftDocument();
    if (!design)
        return {};
    return {CATemplateFormat::initFromDocument(*design), QSizeF(design->getCardSizeX(), design->getCardSizeY())};
}

CALayoutState CALayoutState::forTemplate(const CATemplateFormat &format)
{
    return {format, QSizeF(format.ItemWidth(), format.ItemHeight())};
}

void CALayoutState::restore(CADocument &document) const
{
    CFTADocument *design = document.ftDocument();
    if (!design)
        return;
    document.setLayoutArangeComponents(format, false);
    design->setDocumentSizeX(documentSize.width());
    design->setDocumentSizeY(documentSize.height());
}

void setLayoutUndoably(CADocument &document, const CALayoutState &after, const CALayoutState &before,
                       const CALayoutChanged &changed)
{
    PWUndoManager *undo = document.undoManager();
    int delta = 1;
    if (undo) {
        const bool replaying = undo->isUndoing() || undo->isRedoing();
        delta = undo->isUndoing() ? -1 : 1;
        if (!replaying)
            undo->beginUndoGrouping();
        CADocument *target = &document;
        undo->registerUndo(target, [target, after, before, changed] {
            setLayoutUndoably(*target, before, after, changed);
        });
        undo->setActionName(QStringLiteral("CHANGE_LAYOUT"));
        if (!replaying)
            undo->endUndoGrouping();
    }
    after.restore(document);
    if (changed)
        changed(delta);
}
