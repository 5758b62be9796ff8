#include "app/shell/CAPanelDocumentKeys.h"

#include "app/shell/CAMainMenu.h"

#include <QAction>
#include <QWidget>

const QStringList &documentWriteCommands()
{
    static const QStringList commands = {
        QStringLiteral("saveDocument"),  QStringLiteral("saveDocumentAs"),           QStringLiteral("saveDocumentTo"),
        QStringLiteral("printDocument"), QStringLiteral("openPrintMultipleDialog"),
    };
    return commands;
}

const QStringList &documentUndoCommands()
{
    static const QStringList commands = {QStringLiteral("undo"), QStringLiteral("redo")};
    return commands;
}

void passDocumentKeys(QWidget *panel, const CAMainMenu &menu)
{
    if (!panel)
        return;
    for (const QStringList *commands : {&documentWriteCommands(), &documentUndoCommands()}) {
        // An item the window carries already only moves to the end of its actions.
        for (const QString &command : *commands)
            if (QAction *item = menu.itemForAction(command))
                panel->addAction(item);
    }
}
