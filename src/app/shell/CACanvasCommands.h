#pragma once

// Gives every document window the canvas's own menu commands: Cut, Copy, Paste, Duplicate,
// Select All, Delete, the four order commands of the Arrange menu, Edit Picture…, Insert Picture… and Insert
// Background…; each edit is one undo step.
void installCanvasCommands();

class CAMainWindowController;
class QAction;
// Whether the canvas's menu rules enable the item of the window; its check mark and title
// follow them. False without a canvas or while a sheet is up.
bool canvasMenuRuleAllows(CAMainWindowController &window, const char *action, QAction *item);
