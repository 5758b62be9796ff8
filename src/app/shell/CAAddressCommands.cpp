#include "app/shell/CAAddressCommands.h"

#include "app/canvas/CACanvasAddressCommands.h"
#include "app/canvas/CADocView.h"
#include "app/shell/CAMainWindowController.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTAView.h"
#include "platform/PWPlist.h"

#include <QAction>
#include <QVariant>

namespace {

using Command = CAMainWindowController::Command;

const CFTAView *viewOf(const CAMainWindowController &window)
{
    return window.docView() ? window.docView()->ftView() : nullptr;
}

// The object a context menu was opened on, or the last one operated.
const CFTComponent *operated(const CAMainWindowController &window)
{
    const CFTAView *view = viewOf(window);
    return view ? view->getOperObject() : nullptr;
}

QString formatName(const CFTComponent *component, textCategory category)
{
    const CAddressFormat *format = component ? component->getFormat() : nullptr;
    const CDDString *name = format ? format->name(category) : nullptr;
    return name ? name->getData() : QString();
}

void check(QAction *item, bool on)
{
    if (!item)
        return;
    item->setCheckable(true);
    item->setChecked(on);
}

int tagOf(const QAction *item)
{
    return item ? item->data().toInt() : 0;
}

PWPlist representedOf(const QAction *item)
{
    return item ? PWPlist::fromVariant(item->property("representedObject")) : PWPlist();
}

Command onCanvas(std::function<bool(CAMainWindowController &, QAction *)> validate,
                 std::function<void(CACanvasAddressCommands &, QAction *)> perform)
{
    return {std::move(validate), [perform = std::move(perform)](CAMainWindowController &window, QAction *item) {
                if (window.docView() && window.docView()->ftView())
                    perform(window.docView()->addressCommands(), item);
            }};
}

bool anySelected(const CAMainWindowController &window, const std::function<bool(CFTComponent *)> &test)
{
    const CFTAView *view = viewOf(window);
    if (!view)
        return false;
    for (CFTComponent *component : view->getSelComponents())
        if (test(component))
            return true;
    return false;
}

} // namespace

void installAddressCommands()
{
    const auto registerCommand = [](const char *action, Command command) {
        CAMainWindowController::registerCommand(QString::fromLatin1(action), std::move(command));
    };
    registerCommand("changeAddressTypeWithMenu",
                    onCanvas(
                        [](CAMainWindowController &window, QAction *item) {
                            const CFTComponent *object = operated(window);
                            if (object && tagOf(item) >= 0 && tagOf(item) <= 3)
                                check(item, tagOf(item) == int(object->GetAddressType()));
                            return object != nullptr;
                        },
                        [](CACanvasAddressCommands &commands, QAction *item) {
                            commands.changeAddressTypeWithMenu(tagOf(item));
                        }));
    registerCommand("changeToFromWithMenu",
                    onCanvas(
                        [](CAMainWindowController &window, QAction *item) {
                            const CFTComponent *object = operated(window);
                            if (object)
                                check(item, (tagOf(item) == 1) == object->GetToFrom());
                            return object != nullptr;
                        },
                        [](CACanvasAddressCommands &commands, QAction *item) {
                            commands.changeToFromWithMenu(tagOf(item));
                        }));
    registerCommand("changeCountryWithMenu",
                    onCanvas(
                        [](CAMainWindowController &window, QAction *item) {
                            const QString country = formatName(operated(window), tcAddress);
                            check(item, !country.isEmpty() && country == representedOf(item).toString());
                            return !country.isEmpty();
                        },
                        [](CACanvasAddressCommands &commands, QAction *item) {
                            commands.changeCountryWithMenu(representedOf(item).toString());
                        }));
    registerCommand("changeTemplateWithMenu",
                    onCanvas(
                        [](CAMainWindowController &window, QAction *item) {
                            const QString name = formatName(operated(window), tcRootFormat);
                            check(item, !name.isEmpty() && item && name == item->text());
                            return !name.isEmpty();
                        },
                        [](CACanvasAddressCommands &commands, QAction *item) {
                            commands.changeTemplateWithMenu(tagOf(item), representedOf(item));
                        }));
    const auto always = [](CAMainWindowController &window, QAction *) { return viewOf(window) != nullptr; };
    registerCommand("addressTo",
                    onCanvas(always, [](CACanvasAddressCommands &commands, QAction *) { commands.addressPanel(true); }));
    registerCommand("addressFrom",
                    onCanvas(always, [](CACanvasAddressCommands &commands, QAction *) { commands.addressPanel(false); }));
    const Command group = onCanvas(
                                 [](CAMainWindowController &window, QAction *) {
                                     const CAddressFormatController &formats =
                                         CAddressFormatController::sharedAddressFormatController();
                                     int count = 0;
                                     anySelected(window, [&](CFTComponent *component) {
                                         if (component->canGroup()
                                             && formats.allowCategory(component->GetTextCategory(),
                                                                      CAEnvironment::defaultTemplate(),
                                                                      CAEnvironment::defaultCountry()))
                                             ++count;
                                         return false;
                                     });
                                     return count >= 2;
                                 },
                                 [](CACanvasAddressCommands &commands, QAction *) { commands.group(); });
    registerCommand("group", group);
    // Format > Address Panel > Group as Address Panel is the Arrange menu's Group.
    registerCommand("addressPanel", group);
    registerCommand("ungroup", onCanvas(
                                   [](CAMainWindowController &window, QAction *) {
                                       return anySelected(window, [](CFTComponent *c) { return c->canUngroup(); });
                                   },
                                   [](CACanvasAddressCommands &commands, QAction *) { commands.ungroup(); }));
    const auto styled = [](CAMainWindowController &window, QAction *) {
        return anySelected(window, [](CFTComponent *c) { return c->canChangeTextStyle(); });
    };
    registerCommand("raiseBaseline",
                    onCanvas(styled, [](CACanvasAddressCommands &commands, QAction *) { commands.raiseBaseline(); }));
    registerCommand("lowerBaseline",
                    onCanvas(styled, [](CACanvasAddressCommands &commands, QAction *) { commands.lowerBaseline(); }));
    registerCommand("loosenKerning",
                    onCanvas(styled, [](CACanvasAddressCommands &commands, QAction *) { commands.loosenKerning(); }));
    registerCommand("tightenKerning",
                    onCanvas(styled, [](CACanvasAddressCommands &commands, QAction *) { commands.tightenKerning(); }));
}
