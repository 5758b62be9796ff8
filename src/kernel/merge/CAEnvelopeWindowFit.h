#pragma once

class CADocument;

// Where a design's recipient address goes on an envelope with an address window. The window is a
// hole in the envelope: nothing prints over it, and an address laid across its edge loses part of
// every line. A design made for the envelope without a window is fitted to it here.
namespace CAEnvelopeWindowFit {

// Moves each recipient address panel that reaches into the window beside it, on the side with
// the most room (right, left, below or above), narrowed or lowered to what the envelope holds
// there. A panel that fits nowhere clear of the window stays where it is. Nothing without a
// window. Answers whether a panel moved.
bool placeRecipientClearOfWindow(CADocument &document);

} // namespace CAEnvelopeWindowFit
