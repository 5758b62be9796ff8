#include "app/shell/CAPropertiesPanel.h"

#include "app/inspector/CAInspectorPane.h"
#include "app/inspector/CAPropertiesController.h"
#include "app/shell/CAActionRouter.h"
#include "app/shell/CAMainMenu.h"
#include "app/shell/CAFontManager.h"
#include "app/shell/CADocumentController.h"
#include "app/shell/CADocumentManager.h"
#include "app/shell/CAOpenDocument.h"
#include "app/shell/CAFloatingPanels.h"
#include "app/shell/CAPanelDocumentKeys.h"

#include <QPointer>

void installPropertiesPanel(CADocumentController &controller)
{
    // The panes' font buttons open and close the application's font panel.
    CAInspectorPane::setFontPanelHook([menu = QPointer<CAMainMenu>(&controller.mainMenu())](bool show) {
        CAFontManager &fonts = CAFontManager::sharedFontManager();
        if (!show) {
            fonts.closeFontPanel();
            return;
        }
        fonts.orderFrontFontPanel();
        if (menu)
            passDocumentKeys(fonts.fontPanel(), *menu);
    });
    // A value typed into the inspector and not confirmed counts before a document is asked about
    // its changes, also when it closes without its window's close (at quit).
    QObject::connect(&controller.manager(), &CADocumentManager::documentWillClose, &controller.manager(),
                     [] { CAPropertiesController::sharedPropertiesController()->commitEditing(); });
    // The same before the design leaves the application as it stands: saved, exported or printed
    // while the field still has the keyboard (Ctrl+S typed into it, or the menu reached without
    // leaving it). Undo and Redo chosen then find the typed value a step of its own: Undo takes
    // that step back, as it does everywhere else, rather than one before it with the value
    // applied over it afterwards. (Ctrl+Z typed into the field undoes the typing itself.)
    QObject::connect(&controller.router(), &CAActionRouter::actionWillPerform, &controller.router(),
                     [](const QString &action) {
                         if (documentWriteCommands().contains(action) || documentUndoCommands().contains(action))
                             CAPropertiesController::sharedPropertiesController()->commitEditing();
                     });
    CAFloatingPanels *panels = &controller.panels();
    CAMainMenu *menu = &controller.mainMenu();
    panels->install(CAFloatingPanels::PropertiesWindow,
                    {[] { return CAPropertiesController::isPanelVisible(); },
                     [panels, menu] {
                         CAPropertiesController *inspector = CAPropertiesController::sharedPropertiesController();
                         passDocumentKeys(inspector->window(), *menu);
                         panels->placeOnFirstShow(inspector->window());
                         inspector->showWindow();
                     },
                     [] { CAPropertiesController::sharedPropertiesController()->close(); },
                     [] { return CAPropertiesController::sharedPropertiesController()->window(); }});
}
