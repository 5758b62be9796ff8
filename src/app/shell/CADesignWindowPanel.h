#pragma once

class CADesignWindow;
class CADocumentController;

// Makes the design window the application's design panel (one of the floating panels), working
// on the canvas of the document window the user worked in last; gives the application the
// design-pane items of the Window menu, the postal guidelines and the custom address format
// editor, whose changes rebuild the address menus and the design window's lists.
void installDesignWindow(CADocumentController &controller);

// The installed window, made on first use; null before installDesignWindow.
CADesignWindow *sharedDesignWindow();
