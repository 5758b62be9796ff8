#include "app/shell/CAAddressWindowPanel.h"

#include "app/contacts/CAAddressWindow.h"
#include "app/contacts/CAContactImportDialogs.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CASenderList.h"
#include "app/shell/CAActionRouter.h"
#include "app/shell/CADocumentController.h"
#include "app/shell/CADocumentManager.h"
#include "app/shell/CAFloatingPanels.h"
#include "app/shell/CAMainWindowController.h"
#include "app/shell/CAOpenDocument.h"
#include "kernel/merge/CADocument.h"

#include <QPointer>

namespace {

QPointer<CAAddressWindow> s_window;
CADocumentController *s_controller = nullptr;

// The document window the user worked in last, else the first open one.
CAMainWindowController *frontWindow(CADocumentController &controller)
{
    if (auto *window = qobject_cast<CAMainWindowController *>(controller.router().activeWindow()))
        return window;
    for (const auto &record : controller.manager().documents()) {
        if (auto *window = qobject_cast<CAMainWindowController *>(record->window.data()))
            return window;
    }
    return nullptr;
}

void personChosen(CADocumentController &controller, const PWPerson &person, bool isRecipient, int printListIndex)
{
    CAMainWindowController *window = frontWindow(controller);
    if (!window || !window->document())
        return;
    CADocument *document = window->document();
    CADocumentManager &manager = controller.manager();
    if (isRecipient) {
        CAMainWindowController::changePerson(manager, document, person, 1, true);
        if (printListIndex >= 0)
            document->setPrintListName(CAPrintListArray::getShared().getPrintListNameAt(printListIndex));
        return;
    }
    CAMainWindowController::changePerson(manager, document, person, 1, false);
    CAMainWindowController::updateDocView(manager, document);
}

} // namespace

CAAddressWindow *sharedAddressWindow()
{
    if (!s_window && s_controller) {
        s_window = new CAAddressWindow(CAAddressWindow::sharedModels());
        s_window->setAttribute(Qt::WA_DeleteOnClose, false);
        CADocumentController *controller = s_controller;
        s_window->setPersonChosen([controller](const PWPerson &person, bool isRecipient, int printListIndex) {
            personChosen(*controller, person, isRecipient, printListIndex);
        });
    }
    return s_window;
}

void installAddressWindow(CADocumentController &controller)
{
    // The window sends its persons to one application object; it goes with it.
    delete s_window.data();
    s_controller = &controller;
    QObject::connect(&controller, &QObject::destroyed, [owner = &controller] {
        if (s_controller != owner)
            return;
        // The application's members are gone already: the window going reaches it no more.
        s_controller = nullptr;
        delete s_window.data();
    });
    CAContactImportDialogs::install();
    CADocument::setDefaultSenderSource(&CASenderList::getDefaultPerson);
    CAFloatingPanels *panels = &controller.panels();
    panels->install(CAFloatingPanels::AddressWindow,
                    {[] { return s_window && s_window->isVisible(); },
                     [panels] {
                         CAAddressWindow *window = sharedAddressWindow();
                         panels->placeOnFirstShow(window);
                         window->show();
                         window->raise();
                     },
                     [] {
                         if (s_window)
                             s_window->close();
                     },
                     [] { return static_cast<QWidget *>(sharedAddressWindow()); }});
}
