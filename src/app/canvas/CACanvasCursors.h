#pragma once

#include "kernel/base/FTComponentTypes.h"
#include "kernel/component/CFTACoreView.h"

#include <QRectF>

#include <vector>

class CFTAView;

// Qt keeps one cursor per widget, not rectangles of cursors: the canvas lists the rectangles its
// tool and its objects' handles ask for, and on every mouse move shows the cursor of the point.
namespace CACanvasCursors {

struct Area
{
    QRectF rect;
    cursorType cursor = cursorArrow;
    bool operator==(const Area &) const = default;
};

// The cursor of the whole canvas under the tool: the text, field and separator tools their own,
// every other the arrow.
cursorType toolCursor(toolMode mode);

// The tool's cursor over the visible rectangle first; then, in the select and background tools
// only, for each object of the shown side the areas of its handles (the text area first, then
// the resize pairs), each cut to the visible rectangle. All in design points.
std::vector<Area> cursorAreas(const CFTAView &view, const QRectF &visible);

// The cursor at the point: of the last area that holds it, as the last rectangle installed is
// the one on top; the arrow outside all of them.
cursorType cursorAt(const QPointF &point, const std::vector<Area> &areas);

} // namespace CACanvasCursors
