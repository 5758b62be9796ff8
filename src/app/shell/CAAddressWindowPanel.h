#pragma once

class CAAddressWindow;
class CADocumentController;

// Makes the address window the application's address panel: shown and closed through the
// floating panels, and a person chosen in it going to the design of the front document window
// (a recipient to the recipient side, with the print list shown, a sender to the sender side).
// New documents take their sender from the sender list.
void installAddressWindow(CADocumentController &controller);

// The installed window, made on first use; null before installAddressWindow.
CAAddressWindow *sharedAddressWindow();
