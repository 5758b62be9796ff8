#pragma once

// Gives every document window its change-layout sheet (the paper-template chooser and editors)
// and the Undo and Redo commands of the document's undo manager, through which a layout change
// is taken back.
void installChangeLayoutSheet();
