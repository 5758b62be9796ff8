#pragma once

#include <vector>

class CADocView;
class CFTAAddressPanel;
class CFTComponent;

// The one rule for a recipient panel's postal barcode that the Address pane and the Format menu
// share: which panels may show one, where it stands (or comes back to while hidden), which places
// a design offers, and the steps that switch it and move it. What the pane and the menu show is
// what is drawn, never a location an older design stored beside it.
namespace CACanvasBarcode {

// Whether the panel may show a postal barcode: a recipient panel of a catalogue format whose
// template and country take one.
bool allowed(const CFTAAddressPanel *panel);
// Whether the design offers the place: above and below always, apart except on a label, which
// has no room for a barcode of its own.
bool offersPlace(const CADocView &canvas, int location);
// The panels a barcode command reaches: the selected panels that may show a barcode, or, with
// none of them selected, the design's recipient panel when it may.
std::vector<CFTAAddressPanel *> reached(const CADocView &canvas);
// Whether the panel's barcode is drawn, in the panel or apart.
bool isShown(const CADocView &canvas, const CFTAAddressPanel *panel);
// Whether any of the panels' barcodes is drawn.
bool anyShown(const CADocView &canvas, const std::vector<CFTAAddressPanel *> &panels);
// Where the panel's barcode is drawn, or, hidden, the place it comes back to: 0 above, 1 below,
// 2 apart.
int place(const CADocView &canvas, const CFTAAddressPanel *panel);

// Each panel's barcode on or off where it stands, as one step "SHOW_BARCODE".
void show(CADocView &canvas, bool on, const std::vector<CFTComponent *> &panels);
// Each panel's barcode moved to the place, shown or hidden as it is, as one step
// "SET_BARCODE_LOCATION"; a place every panel has already is no step.
void move(CADocView &canvas, int location, const std::vector<CFTComponent *> &panels);

} // namespace CACanvasBarcode
