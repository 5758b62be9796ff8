#pragma once

#include <QFlags>

#include <cstdint>

// Small values that travel through the component interface between the components, the core
// document and the editing views. Enumerations have a fixed 32-bit underlying type, so that any
// number a view or a file hands over, named here or not, passes unchanged.

// The mouse operation a view starts on its components (StartOperation ... EndOperation). The view
// chooses the numbers; the components react to the ones named here and pass the others through.
enum operMode : std::int32_t {
    operNone = 0,
    operCreatePending = 1,   // a press with a creating tool
    operMovePending = 2,     // a press on an object; components remember their bounds from here
    operRotate = 3,          // a turn by the mouse: components remember their bounds and angle
    operResizePending = 4,   // a press on a handle; components remember their bounds
    operSelectBoxPending = 5,
    operCreate = 6,          // the new component is sized by dragging its corner handle
    operSelectBox = 7,
    operMove = 8,
    operResize = 10,         // a resize by a handle
    operTextEdit = 11,
    operLinkPrevBlock = 12,
    operLinkNextBlock = 13,
    operGuidelinePending = 18,
    operGuidelineMove = 19,
};

// What a hit test found; the view presets it to actionNone before it asks its selection.
enum actionType : std::int32_t {
    actionUnset = 0,        // nothing was reported: the caller's own preset
    actionFrame = 3,        // the frame of a selected component
    actionTemplateZone = 4, // the two menu zones of an address panel
    actionToFromZone = 5,
    actionNone = 6,         // an ordinary hit, or no hit: the component itself, away from its frame
    actionCycled = 7,       // a command-click reached an object beneath the selected one
};

// Which pair of handle squares a view asks for, to put a resize cursor over them.
enum cursorType : std::int32_t {
    cursorResizeHorizontal = 0,   // the left and right middle handles
    cursorResizeVertical = 1,     // the top and bottom middle handles
    cursorResizeDiagonalDown = 2, // top-left and bottom-right
    cursorResizeDiagonalUp = 3,   // top-right and bottom-left
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

// How a text shows its characters; stored as "Object Representation". A bit set: orCapitals shows
// the text in capitals ("Show in capitals"); the other bits are kept as a design stores them.
enum objectRepType : std::int32_t {
    orAsTyped = 0,
    orUpperCase = 1,
    orCapitalized = 2,
    orCapitals = 4,
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

// The modifier keys of a mouse event as the editing view and the components read them: Shift
// extends or toggles the selection and constrains a drag, Option drags the selection out of the
// canvas during a move, Command cycles the pick and turns snapping off.
enum modifierKey : std::uint32_t {
    modifierShift = 0x20000,
    modifierOption = 0x80000,
    modifierCommand = 0x100000,
};
Q_DECLARE_FLAGS(modifierKeys, modifierKey)
Q_DECLARE_OPERATORS_FOR_FLAGS(modifierKeys)

// A handle number is a column code (4 left, 8 centre, 12 right) plus a row code (1 top,
// 2 middle, 3 bottom); 0 is none and the centre, 10, never a handle.
namespace dotCode {
constexpr int none = 0;
constexpr int columnLeft = 4;
constexpr int columnCentre = 8;
constexpr int columnRight = 12;
constexpr int rowTop = 1;
constexpr int rowMiddle = 2;
constexpr int rowBottom = 3;
constexpr int linkPrevious = 29; // text blocks only
constexpr int linkNext = 31;
constexpr int topLeft = columnLeft + rowTop;
constexpr int bottomLeft = columnLeft + rowBottom;
constexpr int topRight = columnRight + rowTop;
constexpr int bottomRight = columnRight + rowBottom;
// A handle dragged across the opposite side becomes its mirror: left and right columns differ
// in one bit, top and bottom rows in another.
constexpr int mirrorColumnBit = columnLeft ^ columnRight;
constexpr int mirrorRowBit = rowTop ^ rowBottom;
// Whether the handle moves a vertical edge, a horizontal edge.
constexpr bool movesX(int handle)
{
    return (handle & 4) != 0;
}
constexpr bool movesY(int handle)
{
    return (handle & 1) != 0;
}
constexpr bool isCorner(int handle)
{
    return handle == topLeft || handle == bottomLeft || handle == topRight || handle == bottomRight;
}
} // namespace dotCode
