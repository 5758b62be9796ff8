#include "app/shell/CADesignWindowPanel.h"

#include "app/document/CAWindowPlacement.h"
#include "app/canvas/CACanvasAddressCommands.h"
#include "app/canvas/CADocView.h"
#include "app/inspector/CACustomFormatEditor.h"
#include "app/inspector/CADesignWindow.h"
#include "app/inspector/CAGuidelinesController.h"
#include "app/shell/CAActionRouter.h"
#include "app/shell/CADocumentController.h"
#include "app/shell/CADocumentManager.h"
#include "app/shell/CAFloatingPanels.h"
#include "app/shell/CAInternetSearchCommands.h"
#include "app/shell/CAMainWindowController.h"
#include "app/shell/CAOpenDocument.h"
#include "app/shell/CAPanelDocumentKeys.h"
#include "app/shell/CAWaitingWindows.h"
#include "kernel/address/CAddressFormatController.h"

#include <QAction>
#include <QPointer>

namespace {

QPointer<CADesignWindow> s_window;
QList<QPointer<CACustomFormatEditor>> s_editors;
CADocumentController *s_controller = nullptr;

CADocView *frontCanvas()
{
    if (!s_controller)
        return nullptr;
    if (auto *window = qobject_cast<CAMainWindowController *>(s_controller->router().activeWindow()))
        return window->docView();
    for (const auto &record : s_controller->manager().documents()) {
        if (auto *window = qobject_cast<CAMainWindowController *>(record->window.data()))
            return window->docView();
    }
    return nullptr;
}

void validateDocumentsView()
{
    if (s_controller)
        s_controller->validateDocumentsView();
}

// The document whose window is in front, else the first with a window.
std::shared_ptr<CAOpenDocument> frontDocument()
{
    if (!s_controller)
        return nullptr;
    const QWidget *active = s_controller->router().activeWindow();
    std::shared_ptr<CAOpenDocument> first;
    for (const auto &record : s_controller->manager().documents()) {
        if (!qobject_cast<CAMainWindowController *>(record->window.data()))
            continue;
        if (record->window.data() == active)
            return record;
        if (!first)
            first = record;
    }
    return first;
}

// Each request makes an editor of its own for the document in front, as it is then; an
// editor left open keeps its own state and its own document.
void showEditor()
{
    const std::shared_ptr<CAOpenDocument> front = frontDocument();
    auto *editor = new CACustomFormatEditor;
    editor->setAttribute(Qt::WA_DeleteOnClose, true);
    editor->setDocument(front ? front->document.get() : nullptr);
    editor->setValidateDocumentsView(validateDocumentsView);
    editor->setApplyMarker([document = std::weak_ptr<CAOpenDocument>(front), hadDocument = bool(front)](
                               const PWPlist &marker) {
        // Applied to the editor's own document; one closed meanwhile takes nothing.
        CADocView *canvas = nullptr;
        if (const std::shared_ptr<CAOpenDocument> record = document.lock()) {
            if (auto *window = qobject_cast<CAMainWindowController *>(record->window.data()))
                canvas = window->docView();
        } else if (!hadDocument) {
            canvas = frontCanvas();
        }
        if (canvas)
            canvas->addressCommands().changeTemplateWithMenu(CAddressFormatController::kCustomFormatTag, marker);
    });
    // Opened over the panels and kept above them: they would cover its buttons.
    CAWaitingWindows::markAsAbovePanels(editor);
    s_editors.removeAll(nullptr);
    s_editors.append(editor);
    CAWindowPlacement::placeInside(editor);
    editor->show();
    editor->raise();
    editor->activateWindow();
}

} // namespace

CADesignWindow *sharedDesignWindow()
{
    if (!s_window && s_controller) {
        s_window = new CADesignWindow;
        s_window->setCanvasProvider(frontCanvas);
        passDocumentKeys(s_window, s_controller->mainMenu());
    }
    return s_window;
}

void installDesignWindow(CADocumentController &controller)
{
    delete s_window.data();
    s_controller = &controller;
    QObject::connect(&controller, &QObject::destroyed, [owner = &controller] {
        if (s_controller != owner)
            return;
        // The application's members are gone already: the windows going reach it no more.
        s_controller = nullptr;
        delete s_window.data();
        for (const QPointer<CACustomFormatEditor> &editor : std::as_const(s_editors))
            delete editor.data();
        s_editors.clear();
    });
    // A window not made yet builds its lists when it is.
    QObject::connect(&controller, &CADocumentController::documentsViewValidated, &controller, [] {
        if (s_window)
            s_window->refreshArrays();
    });
    CAFloatingPanels *panels = &controller.panels();
    panels->install(CAFloatingPanels::DesignWindow,
                    {[] { return s_window && s_window->isVisible(); },
                     [panels] {
                         CADesignWindow *window = sharedDesignWindow();
                         panels->placeOnFirstShow(window);
                         window->show();
                         window->raise();
                     },
                     [] {
                         if (s_window)
                             s_window->close();
                     },
                     [] { return static_cast<QWidget *>(sharedDesignWindow()); }});

    // The items carry (panel + 1) x 100 + (pad + 1); the one of the showing pane is checked.
    controller.registerCommand(QStringLiteral("displayDesignPanel"),
                               {[](QAction *item) {
                                    item->setCheckable(true);
                                    if (s_window && s_window->isVisible())
                                        item->setChecked(item->data().toInt() == s_window->checkedMenuTag());
                                    return true;
                                },
                                [](QAction *item) {
                                    const int tag = item->data().toInt();
                                    if (CADesignWindow *window = sharedDesignWindow())
                                        window->displayDesignPanelIndex(CADesignWindow::panelForMenuTag(tag),
                                                                        CADesignWindow::padForMenuTag(tag));
                                }});
    controller.registerCommand(QStringLiteral("guidelinesWindow"), {nullptr, [](QAction *) {
                                   CAGuidelinesController &guidelines = CAGuidelinesController::sharedGuidelinesController();
                                   // The application's one such window, above the panels as the
                                   // preferences are, with a document open or none.
                                   CAWaitingWindows::markAsAbovePanels(&guidelines);
                                   guidelines.showWindow();
                               }});
    controller.registerCommand(QStringLiteral("customAddressFormatEditor"), {nullptr, [](QAction *) { showEditor(); }});
    installInternetSearch(controller);
}
