#include "app/canvas/CACanvasCursors.h"

#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTAView.h"

#include <algorithm>
#include <array>

namespace CACanvasCursors {

namespace {

// The order the handle areas are asked for, so that a resize pair lies over a text area.
constexpr std::array<cursorType, 5> kHandleCursors = {cursorText, cursorResizeHorizontal, cursorResizeVertical,
                                                      cursorResizeDiagonalDown, cursorResizeDiagonalUp};
// No object has more areas of one kind than this.
constexpr int kMaxAreas = 64;

} // namespace

cursorType toolCursor(toolMode mode)
{
    switch (mode) {
    case toolText:
        return cursorText;
    case toolField:
        return cursorField;
    case toolSeparator:
        return cursorSeparator;
    default:
        return cursorArrow;
    }
}

std::vector<Area> cursorAreas(const CFTAView &view, const QRectF &visible)
{
    std::vector<Area> areas;
    const toolMode mode = view.getToolMode();
    areas.push_back({visible, toolCursor(mode)});
    if (mode != toolSelect && mode != toolBackground)
        return areas;
    std::array<SRect, kMaxAreas> rects {};
    for (CFTComponent *component : view.GetCurrentComponents()) {
        for (const cursorType type : kHandleCursors) {
            const int count = std::min(view.getCursorRectsByType(type, rects.data(), *component), kMaxAreas);
            for (int i = 0; i < count; ++i) {
                const QRectF shown =
                    QRectF(rects[i].x, rects[i].y, rects[i].width, rects[i].height).intersected(visible);
                if (!shown.isEmpty())
                    areas.push_back({shown, type});
            }
        }
    }
    return areas;
}

cursorType cursorAt(const QPointF &point, const std::vector<Area> &areas)
{
    for (auto area = areas.rbegin(); area != areas.rend(); ++area) {
        const QRectF &rect = area->rect;
        // Half-open, as cursor rectangles are: a point on the right or bottom edge is outside.
        if (point.x() >= rect.left() && point.x() < rect.right() && point.y() >= rect.top()
            && point.y() < rect.bottom())
            return area->cursor;
    }
    return cursorArrow;
}

} // namespace CACanvasCursors
