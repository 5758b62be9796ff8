#pragma once

// Gives every document window the canvas's own menu commands: Cut, Copy, Paste, Duplicate,
// Select All, Delete, the four order commands of the Arrange menu, Edit Picture…, Insert Picture… and Insert
// Background…; each edit is one undo step.
void installCanvasCommands();

#include <functional>

class QString;
class QWidget;
// Asks for the picture file of Insert Background… (an open panel unless replaced); an empty
// answer is a cancel. Null puts the open panel back.
void setBackgroundFileChooser(std::function<QString(QWidget *)> chooser);

class CAMainWindowController;
class QAction;
// Whether the canvas's menu rules enable the item of the window; its check mark and title
// follow them. False without a canvas or while a sheet is up.
bool canvasMenuRuleAllows(CAMainWindowController &window, const char *action, QAction *item);
