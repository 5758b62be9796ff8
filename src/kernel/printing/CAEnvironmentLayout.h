#pragma once

#include <memory>

class CATemplateFormat;

// The paper template a new document of the kind starts with: the first recent template, else
// the predefined "10" envelope of the "Commercial/Official" category or the "05960" label of
// "Avery" (the last such in the list), else the first predefined one; null when there is none.
std::shared_ptr<CATemplateFormat> defaultLayout(int documentType);
