#include "app/shell/CAChangeLayoutSheet.h"

#include "kernel/merge/CADocument.h"
#include "app/printing/CASheetController.h"
#include "app/shell/CADocumentController.h"
#include "app/shell/CADocumentManager.h"
#include "app/shell/CAMainWindowController.h"
#include "app/shell/CAOpenDocument.h"
#include "platform/PWBundle.h"
#include "platform/PWUndoManager.h"

#include <QAction>
#include <QPointer>

namespace {

// The window's page and title follow the layout, and the document counts the change as an edit.
CALayoutChanged layoutChangedHandler(CAMainWindowController &window)
{
    QPointer<CAMainWindowController> target = &window;
    std::weak_ptr<CAOpenDocument> record = window.record();
    return [target, record](int changeDelta) {
        if (target)
            target->updateDocView();
        const std::shared_ptr<CAOpenDocument> open = record.lock();
        if (open && changeDelta != 0 && CADocumentController::sharedDocumentController())
            CADocumentController::sharedDocumentController()->manager().updateChangeCount(open, changeDelta);
    };
}

void openSheet(CAMainWindowController &window)
{
    CADocument *document = window.document();
    if (!document || window.isSheetActive())
        return;
    CASheetController *sheet = CASheetController::beginSheet(&window, *document, layoutChangedHandler(window));
    if (!sheet)
        return;
    window.setSheetActive(true);
    QPointer<CAMainWindowController> target = &window;
    QObject::connect(sheet, &CASheetController::sheetEnded, &window, [target] {
        if (!target)
            return;
        target->setSheetActive(false);
        target->synchronizeWindowTitleWithDocumentName();
    });
}

// Undo or Redo, titled after the step it takes back or does again.
CAMainWindowController::Command undoCommand(bool redo)
{
    return {[redo](CAMainWindowController &window, QAction *item) {
                const PWUndoManager *undo = window.document() ? window.document()->undoManager() : nullptr;
                const bool possible = undo && !window.isSheetActive() && (redo ? undo->canRedo() : undo->canUndo());
                if (item) {
                    const QString verb = PWLocalizedString(redo ? QStringLiteral("Redo") : QStringLiteral("Undo"));
                    const QString step = !undo ? QString() : redo ? undo->redoActionName() : undo->undoActionName();
                    item->setText(possible && !step.isEmpty() ? verb + QLatin1Char(' ') + step : verb);
                }
                return possible;
            },
            [redo](CAMainWindowController &window, QAction *) {
                PWUndoManager *undo = window.document() ? window.document()->undoManager() : nullptr;
                if (!undo)
                    return;
                if (redo)
                    undo->redo();
                else
                    undo->undo();
            }};
}

} // namespace

void installChangeLayoutSheet()
{
    CAMainWindowController::setChangeLayoutSheet(openSheet);
    CAMainWindowController::registerCommand(QStringLiteral("undo"), undoCommand(false));
    CAMainWindowController::registerCommand(QStringLiteral("redo"), undoCommand(true));
}
