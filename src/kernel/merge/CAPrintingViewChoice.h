#pragma once

#include "kernel/merge/CAPrintingView.h"

#include <memory>
#include <optional>

class CADocument;
class CFTADocument;
class QString;

// Whether a label design prints on a roll: a label roll, or a layout of the label-printer maker
// whose labels come on rolls only (its name in any letter case).
bool printsOnLabelRoll(const CFTADocument &design);

// The printing view a design prints through, the same choice for the print sheet and for a print
// without it: a label roll (or a label layout of a label-printer maker) the roll view, another
// label layout the sheet view over its rows and columns, an envelope the envelope view, a
// postcard the sheet view when its layout has rows and columns and the envelope view otherwise.
// Null, with the reason, for a kind that cannot be printed.
std::unique_ptr<CAPrintingView> makePrintingViewForDocument(const std::shared_ptr<CADocument> &document,
                                                            std::optional<CAPrintingView::PersonList> persons,
                                                            const CAPrintSettings &settings, bool vectorPrinting,
                                                            QString *error = nullptr);
