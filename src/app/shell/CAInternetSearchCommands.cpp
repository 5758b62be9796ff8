#include "app/shell/CAInternetSearchCommands.h"

#include "app/canvas/CADocView.h"
#include "app/inspector/CADesignWindow.h"
#include "app/pictures/CCInternetSearchBinding.h"
#include "app/pictures/CCPictCatalogView.h"
#include "app/pictures/CCSearchField.h"
#include "app/pictures/CInternetView.h"
#include "app/pictures/CSearchInternetPanelController.h"
#include "app/shell/CAActionRouter.h"
#include "app/shell/CADesignWindowPanel.h"
#include "app/shell/CADocumentController.h"
#include "app/shell/CAMainWindowController.h"
#include "kernel/component/CFTACoreView.h"
#include "kernel/document/CFTAView.h"

#include <QPointer>

namespace {

// The picture grid that shares a pane with the field: the nearest one among the field's
// ancestors' descendants.
CCPictCatalogView *gridBeside(QWidget *field, QWidget *top)
{
    for (QWidget *pane = field ? field->parentWidget() : nullptr; pane; pane = pane->parentWidget()) {
        if (auto *grid = pane->findChild<CCPictCatalogView *>())
            return grid;
        if (pane == top)
            break;
    }
    return nullptr;
}

} // namespace

CCInternetSearchBinding *attachInternetSearch(CADesignWindow *window)
{
    if (!window)
        return nullptr;
    auto *binding = new CCInternetSearchBinding(window);
    binding->setObjectName(QStringLiteral("internetSearch"));
    QPointer<CADesignWindow> guard(window);
    window->setInternetSearch([guard, binding](const QString &text) {
        if (!guard)
            return;
        // The pane may be made after the window; it is looked up at each search.
        CCSearchField *field = guard->findChild<CCSearchField *>();
        CCPictCatalogView *grid = gridBeside(field, guard);
        binding->setSearchField(field);
        binding->setCatalog(grid ? grid->catalog() : nullptr);
        binding->searchInternet(text);
    });
    return binding;
}

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
        strip->setDocView(view.data(), [view]() -> std::vector<CFTComponent *> {
            const CFTAView *kernel = view ? view->ftView() : nullptr;
            return kernel ? kernel->getSelComponents() : std::vector<CFTComponent *>();
        });
        // Edits that select what they made say so by the page's signal, not by the notice.
        if (view)
            QObject::connect(view, &CADocView::selectionChanged, strip, &CInternetView::updateInternet);
        strip->updateInternet();
        return strip;
    });
}
