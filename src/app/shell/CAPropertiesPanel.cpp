#include "app/shell/CAPropertiesPanel.h"

#include "app/inspector/CAInspectorPane.h"
#include "app/inspector/CAPropertiesController.h"
#include "app/shell/CAFontManager.h"
#include "app/shell/CADocumentController.h"
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
