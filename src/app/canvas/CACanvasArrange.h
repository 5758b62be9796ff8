#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <vector>

class CADocView;

// Align and distribute: the moves as plain arithmetic over the objects' frames (design points,
// y down), and the commands that apply them to the selection through the undoable move.
namespace CACanvasArrange {

enum class Align {
    Left,
    Right,
    Top,
    Bottom,
    // Centres on one vertical line: moves along x.
    CentersVertically,
    // Centres on one horizontal line: moves along y.
    CentersHorizontally,
};

enum class Distribute { SpacingHorizontally, SpacingVertically, CentersHorizontally, CentersVertically };

// The move of each frame, in the frames' order. Edges go to the outermost edge (left and top
// never beyond 1000000, right and bottom never below 0); centres to the running half-sum of the
// centres in list order.
std::vector<QPointF> alignMoves(const std::vector<QRectF> &frames, Align how);
// Every frame's centre onto the page's middle: across (horizontal) or down (vertical).
std::vector<QPointF> pageCentreMoves(const std::vector<QRectF> &frames, const QSizeF &page, bool vertical);
// Equal gaps (or steps between centres) between neighbours sorted by left edge (top); the first
// and the last stay. Nothing moves with fewer than three frames.
std::vector<QPointF> distributeMoves(const std::vector<QRectF> &frames, Distribute how);

// The commands on the selection (selected fields of a panel rather than the panel); align and
// page centre are one step "CHANGE_ALIGN_COLUMN", distribution one step "DISTRIBUTE_OBJECTS".
void align(CADocView &canvas, Align how);
// tag 101 centres vertically, any other tag horizontally.
void alignToPageCentre(CADocView &canvas, int tag);
void distribute(CADocView &canvas, Distribute how);

} // namespace CACanvasArrange
