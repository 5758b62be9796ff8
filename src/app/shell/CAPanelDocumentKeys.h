#pragma once

#include <QStringList>

class CAMainMenu;
class QWidget;

// A floating panel is a window of its own, out of reach of the document windows' menu bar: the
// keys that save, export, print, undo and redo reach the document window in front from a panel
// as well. Only those: Delete or Close typed into a panel must not act on the document behind
// it. A control of the panel that answers one of these keys itself keeps it (a text field
// undoes its own typing).

// The commands that take the design out of the application as it stands.
const QStringList &documentWriteCommands();
// Undo and Redo of the document in front.
const QStringList &documentUndoCommands();

// Gives the panel's window the main menu's items of the commands above and of Undo and Redo, so
// that their keys work while the panel has the keyboard. Calling it again changes nothing.
void passDocumentKeys(QWidget *panel, const CAMainMenu &menu);
