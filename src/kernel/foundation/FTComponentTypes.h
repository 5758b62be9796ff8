#pragma once

#include <cstdint>

// Small values that travel through the component interface between the components, the core
// document and the editing views. Enumerations have a fixed 32-bit underlying type, so that any
// number a view or a file hands over, named here or not, passes unchanged.

// The mouse operation a view starts on its components (StartOperation ... EndOperation). The view
// chooses the numbers; the components react to the ones named here and pass the others through.
enum operMode : std::int32_t {
    omNone = 0,
    omCreate = 1,        // a new component is being dragged out with the mouse
    omMove = 2,
    omRotate = 3,
    omHandle = 4,        // a handle is dragged
    omSizeNew = 6,       // the new component is sized by dragging its corner handle
    omResize = 10,       // a resize by a handle
    // The editing view's own names for the operations it runs, from press to release.
    operNone = 0,
    operCreatePending = 1,
    operMovePending = 2,
    operResizePending = 4,
    operSelectBoxPending = 5,
    operCreate = 6,
    operSelectBox = 7,
    operMove = 8,
    operResize = 10,
    operTextEdit = 11,
    operLinkPrevBlock = 12,
    operLinkNextBlock = 13,
    operGuidelinePending = 18,
    operGuidelineMove = 19,
};

// What a hit test found; the view presets it to atNothing before it asks its selection.
enum actionType : std::int32_t {
    atNone = 0,
    atBorder = 3,        // the frame of a selected component
    atNothing = 6,       // also: the component itself, away from its frame
    actionFrame = 3,
    actionTemplateZone = 4, // the two menu zones of an address panel
    actionToFromZone = 5,
    actionNone = 6,
    actionCycled = 7,    // a command-click reached an object beneath the selected one
};

// Which pair of handle squares a view asks for, to put a resize cursor over them.
enum cursorType : std::int32_t {
    crLeftRight = 0,     // the left and right middle handles
    crTopBottom = 1,     // the top and bottom middle handles
    crTopLeftBottomRight = 2,
    crTopRightBottomLeft = 3,
    cursorResizeHorizontal = 0,
    cursorResizeVertical = 1,
    cursorResizeDiagonalDown = 2,
    cursorResizeDiagonalUp = 3,
    // Chosen by the canvas from the tool mode, never by a component.
    cursorField = 4,
    cursorSeparator = 5,
    cursorText = 6,
    cursorArrow = 7,
};

// A cursor square: origin and size in design points.
struct SRect
{
    double x = 0.0;
    double y = 0.0;
    double width = 0.0;
    double height = 0.0;

    bool operator==(const SRect &other) const = default;
};

// How a text shows its characters; stored as "Object Representation".
enum objectRepType : std::int32_t {
    orAsTyped = 0,
    orUpperCase = 1,
    orCapitalized = 2,
};

// The person address an address field shows (home, work, ...); -1 for none.
// Which of a person's entries a field shows: the primary one, or the one labelled work, home,
// or neither; adNone where no address type applies.
enum addressType : std::int32_t {
    adNone = -1,
    adMain = 0,
    adWork = 1,
    adHome = 2,
    adOther = 3,
};

// The list style of a paragraph of text.
enum listType : std::int32_t {
    ltNone = 0,
    ltNumbered = 1,
    ltLettered = 2,
    ltBullets = 3,
    ltDashes = 4,
};

// How an address-format field is joined to its neighbours.
// How an address field is shown: never, always (its grey label stands in while it is empty),
// only while it has text or is edited; a format leaf that gives no mode holds fmUnset.
enum fieldMode : std::int32_t {
    fmUnset = -1,
    fmNever = 0,
    fmAlways = 1,
    fmWhenFilled = 2,
};

// The data field of a text that is highlighted while a person is picked.
enum textTagAttribute : std::int32_t {
    ttNone = 0,
};

// Which keys an export of addresses asks the components for.
enum addressExportOptions : std::int32_t {
    aeNone = 0,
};

// How a picture fills its frame.
enum placingMode : std::int32_t {
    pmStretched = 0,
    pmTiled = 1,
    pmStretched2 = 2,
    pmCover = 3,         // scaled with its proportions to cover the frame, centred (on a printer)
};

// A side of a design, as the z-order operations of the core document name it: its index.
enum side : std::int32_t {
    sdFront = 0,
    sdBack = 1,
};
