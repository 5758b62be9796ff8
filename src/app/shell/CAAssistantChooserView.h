#pragma once

class QWidget;

// Fills an empty page of the assistant's first step with the paper-template chooser's controls
// for a document type (0 label, 1 envelope, 26 postcard), named as the chooser finds them: the
// filter pop-ups of the kind, the search field, the standard, custom and recent lists, and for
// envelopes and postcards the window box and the orientation. The assistant's variant offers no
// template editing; templates are only picked here.
void buildAssistantChooserView(QWidget *page, int documentType);
