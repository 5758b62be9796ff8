#pragma once

#include "kernel/base/FTComponentTypes.h"
#include "kernel/base/FTTypes.h"

// The four straight-line kinds of the shape component (CFTBoxField): where the line runs in its
// rectangle, which handles sit on its ends, the cursor over them and the drawer's separator
// direction. Internal to the shape component.

// Where an end of the line lies along one side of the rectangle.
enum class LineEnd { Start, Middle, End };

struct LineKind
{
    compType kind;
    LineEnd x1, y1, x2, y2; // the first and the second end
    int firstHandle, secondHandle; // the handle numbers on the two ends
    cursorType cursor;
    int separatorDirection; // CDDDrawer::DrawSeparator
};

inline constexpr LineKind kLineKinds[] = {
    {ctHorizontalLine, LineEnd::Start, LineEnd::Middle, LineEnd::End, LineEnd::Middle, 6, 14, cursorResizeHorizontal, 0},
    {ctVerticalLine, LineEnd::Middle, LineEnd::Start, LineEnd::Middle, LineEnd::End, 9, 11, cursorResizeVertical, 1},
    {ctLeftDiagonalLine, LineEnd::Start, LineEnd::Start, LineEnd::End, LineEnd::End, 5, 15, cursorResizeDiagonalDown, 2},
    {ctRightDiagonalLine, LineEnd::End, LineEnd::Start, LineEnd::Start, LineEnd::End, 13, 7, cursorResizeDiagonalUp, 3},
};

// The row of a line kind; for any other kind the rectangle's own diagonal, the left one.
inline const LineKind &lineKindOf(compType kind)
{
    for (const LineKind &line : kLineKinds) {
        if (line.kind == kind)
            return line;
    }
    return kLineKinds[2];
}

// The coordinate of an end along a side that starts at origin and has that extent.
inline double lineEndAt(LineEnd end, double origin, double extent)
{
    switch (end) {
    case LineEnd::Start:
        return origin;
    case LineEnd::Middle:
        return origin + extent / 2.0;
    case LineEnd::End:
        break;
    }
    return origin + extent;
}
