#pragma once

class CADocumentController;

// The application commands of the shell's own panels: the About panel, the help book, the four
// web links of the Info dictionary, and the font panel as one of the floating panels. The
// application delegate installs them when it is made.
void installShellCommands(CADocumentController &controller);
