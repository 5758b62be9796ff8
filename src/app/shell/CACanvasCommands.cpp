#include "app/shell/CACanvasCommands.h"

#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CADocView.h"
#include "app/shell/CAMainWindowController.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTAView.h"

namespace {

CACanvasEdits *editsOf(CAMainWindowController &window)
{
    CADocView *canvas = window.docView();
    return canvas && canvas->ftView() && !window.isSheetActive() ? &canvas->edits() : nullptr;
}

bool hasSelection(CAMainWindowController &window)
{
    const CACanvasEdits *edits = editsOf(window);
    return edits && !edits->view()->getSelComponents().empty();
}

// The primitive for each selected object in selection order, as one step named when anything
// was selected.
CAMainWindowController::Command orderCommand(void (CACanvasEdits::*primitive)(CFTComponent *), const char *key)
{
    return {[](CAMainWindowController &window, QAction *) { return hasSelection(window); },
            [primitive, key](CAMainWindowController &window, QAction *) {
                CACanvasEdits *edits = editsOf(window);
                if (!edits || edits->view()->getSelComponents().empty())
                    return;
                CACanvasEdits::Step step(*edits, QString::fromLatin1(key), true);
                const std::vector<CFTComponent *> selection = edits->view()->getSelComponents();
                for (CFTComponent *component : selection)
                    (edits->*primitive)(component);
            }};
}

} // namespace

void installCanvasCommands()
{
    CAMainWindowController::registerCommand(QStringLiteral("stepBack"),
                                            orderCommand(&CACanvasEdits::stepToBack, "STEP_BACK"));
    CAMainWindowController::registerCommand(QStringLiteral("stepFront"),
                                            orderCommand(&CACanvasEdits::stepToFront, "STEP_FRONT"));
    CAMainWindowController::registerCommand(QStringLiteral("orderBack"),
                                            orderCommand(&CACanvasEdits::sendToBack, "SEND_BACK"));
    CAMainWindowController::registerCommand(QStringLiteral("orderFront"),
                                            orderCommand(&CACanvasEdits::sendToFront, "SEND_FRONT"));
    CAMainWindowController::registerCommand(
        QStringLiteral("delete"),
        // While a text is edited, Delete belongs to the text.
        {[](CAMainWindowController &window, QAction *) {
             return hasSelection(window) && !window.docView()->isEditingText();
         },
         [](CAMainWindowController &window, QAction *) {
             CACanvasEdits *edits = editsOf(window);
             if (edits && !window.docView()->isEditingText())
                 edits->deleteSelection();
         }});
    CAMainWindowController::registerCommand(
        QStringLiteral("insertImage"),
        {[](CAMainWindowController &window, QAction *) { return editsOf(window) != nullptr; },
         [](CAMainWindowController &window, QAction *) {
             if (CACanvasEdits *edits = editsOf(window))
                 edits->insertImage();
         }});
    CAMainWindowController::registerCommand(
        QStringLiteral("insertBackground"),
        {[](CAMainWindowController &window, QAction *) { return editsOf(window) != nullptr; },
         [](CAMainWindowController &window, QAction *) {
             if (CACanvasEdits *edits = editsOf(window))
                 edits->insertBackground();
         }});
}
