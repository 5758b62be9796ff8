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

#include <QAction>

namespace {

// The commands that take the design out of the application as it stands.
const QStringList &writeCommands()
{
    static const QStringList commands = {
        QStringLiteral("saveDocument"),  QStringLiteral("saveDocumentAs"),           QStringLiteral("saveDocumentTo"),
        QStringLiteral("printDocument"), QStringLiteral("openPrintMultipleDialog"),
    };
    return commands;
}

} // namespace

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
    // The same before the design leaves the application as it stands: saved, exported or printed
    // while the field still has the keyboard (Ctrl+S typed into it, or the menu reached without
    // leaving it).
    QObject::connect(&controller.router(), &CAActionRouter::actionWillPerform, &controller.router(),
                     [](const QString &action) {
                         if (writeCommands().contains(action))
                             CAPropertiesController::sharedPropertiesController()->commitEditing();
                     });
    CAFloatingPanels *panels = &controller.panels();
    CAMainMenu *menu = &controller.mainMenu();
    panels->install(CAFloatingPanels::PropertiesWindow,
                    {[] { return CAPropertiesController::isPanelVisible(); },
                     [panels, menu] {
                         CAPropertiesController *inspector = CAPropertiesController::sharedPropertiesController();
                         // The inspector is a window of its own, out of reach of the document
                         // window's menu bar: the keys that save, export and print reach the
                         // document from it as well. Only those: Delete or Close typed there
                         // must not act on the document behind it.
                         for (const QString &command : writeCommands())
                             if (QAction *item = menu->itemForAction(command))
                                 inspector->window()->addAction(item);
                         panels->placeOnFirstShow(inspector->window());
                         inspector->showWindow();
                     },
                     [] { CAPropertiesController::sharedPropertiesController()->close(); },
                     [] { return CAPropertiesController::sharedPropertiesController()->window(); }});
}
