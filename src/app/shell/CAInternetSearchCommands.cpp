#include "app/shell/CAInternetSearchCommands.h"

#include "app/canvas/CADocView.h"
#include "app/inspector/CADesignWindow.h"
#include "app/pictures/CInternetView.h"
#include "app/pictures/CSearchInternetPanelController.h"
#include "app/shell/CAActionRouter.h"
#include "app/shell/CADesignWindowPanel.h"
#include "app/shell/CADocumentController.h"
#include "app/shell/CAMainWindowController.h"
#include "kernel/component/CFTACoreView.h"
#include "kernel/document/CFTAView.h"

#include <QPointer>

void installInternetSearch(CADocumentController &controller)
{
    controller.registerCommand(QStringLiteral("searchInInternet"), {nullptr, [&controller](QAction *) {
                                   CSearchInternetPanelController panel;
                                   if (panel.showDialog(controller.router().activeWindow()) != 1)
                                       return;
                                   const QString text = panel.searchString();
                                   if (CADesignWindow *window = sharedDesignWindow())
                                       window->directSearch(text);
                               }});
    CAMainWindowController::setInternetPaneFactory([](CAMainWindowController &window) -> QWidget * {
        auto *strip = new CInternetView;
        strip->setObjectName(QStringLiteral("m_internet"));
        strip->setTag(113);
        QPointer<CADocView> view = window.docView();
        strip->setSelectionSource([view]() -> std::vector<CFTComponent *> {
            const CFTAView *kernel = view ? view->ftView() : nullptr;
            return kernel ? kernel->getSelComponents() : std::vector<CFTComponent *>();
        });
        // Every change of the page's selection, by the mouse or by an edit, comes by its signal.
        if (view)
            QObject::connect(view, &CADocView::selectionChanged, strip, &CInternetView::updateInternet);
        strip->updateInternet();
        return strip;
    });
}
