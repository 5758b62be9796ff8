#pragma once

class CADocumentController;

// Makes the shared inspector the application's properties panel (menu item, window button and
// the visibility remembered at quit).
void installPropertiesPanel(CADocumentController &controller);
