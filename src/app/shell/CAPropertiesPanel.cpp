#include "app/shell/CAPropertiesPanel.h"

#include "app/inspector/CAInspectorPane.h"
#include "app/inspector/CAPropertiesController.h"
#include "app/shell/CAFontManager.h"
#include "app/shell/CADocumentController.h"
#include "app/shell/CADocumentManager.h"
#include "app/shell/CAOpenDocument.h"
#include "app/shell/CAFloatingPanels.h"

void installPropertiesPanel(CADocumentController &controller)
{
    // The panes' font buttons open and close the application's font panel.
    CAInspectorPane::setFontPanelHook([](bool show) {
        if (show)
            CAFontManager::sharedFontManager().orderFrontFontPanel();
        else
            CAFontManager::sharedFontManager().closeFontPanel();
    });
    // A value typed into the inspector and not confirmed counts before a document is asked about
    // its changes, also when it closes without its window's close (at quit).
    QObject::connect(&controller.manager(), &CADocumentManager::documentWillClose, &controller.manager(),
                     [] { CAPropertiesController::sharedPropertiesController()->commitEditing(); });
    CAFloatingPanels *panels = &controller.panels();
    panels->install(CAFloatingPanels::PropertiesWindow,
                    {[] { return CAPropertiesController::isPanelVisible(); },
                     [panels] {
                         CAPropertiesController *inspector = CAPropertiesController::sharedPropertiesController();
                         panels->placeOnFirstShow(inspector->window());
                         inspector->showWindow();
                     },
                     [] { CAPropertiesController::sharedPropertiesController()->close(); },
                     [] { return CAPropertiesController::sharedPropertiesController()->window(); }});
}
