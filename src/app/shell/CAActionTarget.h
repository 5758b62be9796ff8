#pragma once

#include <QString>

class QAction;

// Something a menu command can be sent to: a document window, or the application itself.
// A target that does not respond to a command is skipped by the router, so that a command
// nobody answers yet stays visible and disabled.
class CAActionTarget
{
public:
    virtual ~CAActionTarget() = default;
    virtual bool respondsToAction(const QString &action) const = 0;
    // Whether the command may run now; it may also set the item's title or check mark.
    // item may be null when the router asks without a menu item.
    virtual bool validateAction(const QString &action, QAction *item)
    {
        (void)action, (void)item;
        return true;
    }
    // sender is the menu item or control that sent the command; may be null.
    virtual void performAction(const QString &action, QAction *sender) = 0;
};
