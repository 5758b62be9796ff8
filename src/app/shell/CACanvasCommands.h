#pragma once

// Gives every document window the canvas's own menu commands: Cut, Copy, Paste, Duplicate,
// Select All, Delete, the four order commands of the Arrange menu, Edit Picture…, Insert Picture… and Insert
// Background…; each edit is one undo step.
void installCanvasCommands();
