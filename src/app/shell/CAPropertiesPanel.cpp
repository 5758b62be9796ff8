#include "app/shell/CAPropertiesPanel.h"

#include "app/inspector/CAPropertiesController.h"
#include "app/shell/CADocumentController.h"
#include "app/shell/CAFloatingPanels.h"

void installPropertiesPanel(CADocumentController &controller)
{
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
