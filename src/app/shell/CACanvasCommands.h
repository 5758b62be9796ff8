#pragma once

// Gives every document window the canvas's own menu commands: Delete, the four order commands
// of the Arrange menu, Insert Picture… and Insert Background…; each is one undo step.
void installCanvasCommands();
