#include "app/shell/CAAddressWindowPanel.h"

#include "app/contacts/CAAddressWindow.h"
#include "app/contacts/CAContactImportDialogs.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CASenderList.h"
#include "app/canvas/CACanvasSelection.h"
#include "app/canvas/CADocView.h"
#include "app/pictures/CCSearchField.h"
#include "app/pictures/CCSearchFieldCell.h"
#include "app/shell/CAActionRouter.h"
#include "app/shell/CADocumentController.h"
#include "app/shell/CADocumentManager.h"
#include "app/shell/CAFloatingPanels.h"
#include "app/shell/CAMainWindowController.h"
#include "app/shell/CAOpenDocument.h"
#include "app/shell/CAPanelDocumentKeys.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWNotificationCenter.h"

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

// The side of the one address object selected on the design whose canvas posted, if any. The
// canvas is looked up among the open windows rather than trusted as it comes.
std::optional<bool> selectedAddressSide(CADocumentController &controller, const void *poster)
{
    for (const auto &record : controller.manager().documents()) {
        auto *window = qobject_cast<CAMainWindowController *>(record->window.data());
        CADocView *view = window ? window->docView() : nullptr;
        if (!view || static_cast<const void *>(view) != poster || !view->ftView())
            continue;
        const std::vector<CFTComponent *> &selected = view->ftView()->getSelComponents();
        if (selected.size() != 1)
            return std::nullopt;
        return selected.front()->GetToFrom();
    }
    return std::nullopt;
}

} // namespace

CAAddressWindow *sharedAddressWindow()
{
    if (!s_window && s_controller) {
        s_window = new CAAddressWindow(CAAddressWindow::sharedModels());
        s_window->setAttribute(Qt::WA_DeleteOnClose, false);
        CADocumentController *controller = s_controller;
        passDocumentKeys(s_window, controller->mainMenu());
        s_window->setPersonChosen([controller](const PWPerson &person, bool isRecipient, int printListIndex) {
            personChosen(*controller, person, isRecipient, printListIndex);
        });
        // The window shows the side of the address object the user selects on a design.
        PWNotificationCenter::defaultCenter().addObserver(
            CACanvasSelection::kChangeAddressSelectionNotify, nullptr,
            [controller](const PWNotification &notification) {
                if (const std::optional<bool> side = selectedAddressSide(*controller, notification.object); side && s_window)
                    s_window->followAddressSelection(*side);
            },
            s_window);
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
    // The contact windows search with the application's search field in its simple mode: no
    // menu, a search at every change of the text.
    CAAddressWindow::setSearchFieldMaker([] {
        auto *field = new CCSearchField;
        field->searchCell()->setSimpleMode();
        field->cellChanged();
        return field;
    });
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

    // Window > Senders, Recipients, Local Contacts and Print Lists: the window comes up (a visible
    // one stays) and shows the tab.
    const struct
    {
        const char *action;
        void (*show)(CAAddressWindow &window);
    } tabs[] = {
        {"addressWindowSenders", [](CAAddressWindow &window) { window.showSenders(); }},
        {"addressWindowRecipients", [](CAAddressWindow &window) { window.showRecipients(false); }},
        {"addressWindowLocalRecipients", [](CAAddressWindow &window) { window.showRecipients(true); }},
        {"addressWindowPrintLists", [](CAAddressWindow &window) { window.showPrintLists(); }},
    };
    for (const auto &tab : tabs) {
        controller.registerCommand(QString::fromLatin1(tab.action),
                                   {nullptr, [panels, show = tab.show](QAction *) {
                                        if (!panels->isPanelVisible(CAFloatingPanels::AddressWindow))
                                            panels->show(CAFloatingPanels::AddressWindow);
                                        if (CAAddressWindow *window = sharedAddressWindow())
                                            show(*window);
                                    }});
    }
}
