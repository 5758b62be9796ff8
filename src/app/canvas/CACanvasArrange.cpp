#include "app/canvas/CACanvasArrange.h"

#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CADocView.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"

#include <algorithm>
#include <numeric>

namespace CACanvasArrange {

namespace {

constexpr double kFarEdge = 1000000.0;

bool movesAlongX(Align how)
{
    return how == Align::Left || how == Align::Right || how == Align::CentersVertically;
}

double edge(const QRectF &frame, Align how)
{
    switch (how) {
    case Align::Left:
        return frame.left();
    case Align::Right:
        return frame.left() + frame.width();
    case Align::Top:
        return frame.top();
    case Align::Bottom:
        return frame.top() + frame.height();
    case Align::CentersVertically:
        return frame.left() + frame.width() / 2.0;
    case Align::CentersHorizontally:
        return frame.top() + frame.height() / 2.0;
    }
    return 0.0;
}

QPointF along(bool x, double d)
{
    return x ? QPointF(d, 0.0) : QPointF(0.0, d);
}

// The selected objects, or the selected fields of a panel in its place.
std::vector<CFTComponent *> workingList(const CADocView &canvas)
{
    const CFTAView *view = canvas.ftView();
    return view ? view->getSelContainerComponents() : std::vector<CFTComponent *>();
}

std::vector<QRectF> framesOf(const std::vector<CFTComponent *> &list)
{
    std::vector<QRectF> frames;
    frames.reserve(list.size());
    for (const CFTComponent *component : list)
        frames.push_back(CACanvasEdits::frameOf(component));
    return frames;
}

void apply(CADocView &canvas, const std::vector<CFTComponent *> &list, const std::vector<QPointF> &moves,
           const char *key)
{
    CACanvasEdits &edits = canvas.edits();
    CACanvasEdits::Step step(edits, QString::fromLatin1(key));
    for (size_t i = 0; i < list.size() && i < moves.size(); ++i) {
        if (!moves[i].isNull())
            edits.moveComponentDxDyForObject(moves[i].x(), moves[i].y(), list[i]);
    }
    canvas.selectionChangedByEdit();
}

} // namespace

std::vector<QPointF> alignMoves(const std::vector<QRectF> &frames, Align how)
{
    std::vector<QPointF> moves(frames.size());
    if (frames.empty())
        return moves;
    double reference = 0.0;
    switch (how) {
    case Align::Left:
    case Align::Top:
        reference = kFarEdge;
        for (const QRectF &frame : frames)
            reference = std::min(reference, edge(frame, how));
        break;
    case Align::Right:
    case Align::Bottom:
        reference = 0.0;
        for (const QRectF &frame : frames)
            reference = std::max(reference, edge(frame, how));
        break;
    case Align::CentersVertically:
    case Align::CentersHorizontally:
        reference = edge(frames.front(), how);
        for (const QRectF &frame : frames)
            reference = (reference + edge(frame, how)) / 2.0;
        break;
    }
    const bool x = movesAlongX(how);
    for (size_t i = 0; i < frames.size(); ++i)
        moves[i] = along(x, reference - edge(frames[i], how));
    return moves;
}

std::vector<QPointF> pageCentreMoves(const std::vector<QRectF> &frames, const QSizeF &page, bool vertical)
{
    std::vector<QPointF> moves;
    moves.reserve(frames.size());
    for (const QRectF &frame : frames) {
        if (vertical)
            moves.emplace_back(0.0, page.height() / 2.0 - (frame.top() + frame.top() + frame.height()) / 2.0);
        else
            moves.emplace_back(page.width() / 2.0 - (frame.left() + frame.left() + frame.width()) / 2.0, 0.0);
    }
    return moves;
}

std::vector<QPointF> distributeMoves(const std::vector<QRectF> &frames, Distribute how)
{
    std::vector<QPointF> moves(frames.size());
    if (frames.size() <= 2)
        return moves;
    const bool x = how == Distribute::SpacingHorizontally || how == Distribute::CentersHorizontally;
    const auto start = [x](const QRectF &f) { return x ? f.left() : f.top(); };
    const auto length = [x](const QRectF &f) { return x ? f.width() : f.height(); };
    std::vector<size_t> order(frames.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return start(frames[a]) < start(frames[b]); });
    const QRectF &first = frames[order.front()];
    const QRectF &last = frames[order.back()];
    const bool spacing = how == Distribute::SpacingHorizontally || how == Distribute::SpacingVertically;
    if (spacing) {
        const double span = start(last) - (start(first) + length(first));
        double inner = 0.0;
        for (size_t k = 1; k + 1 < order.size(); ++k)
            inner += length(frames[order[k]]);
        const double gap = (span - inner) / double(order.size() - 1);
        double p = start(first) + length(first);
        for (size_t k = 1; k + 1 < order.size(); ++k) {
            const QRectF &frame = frames[order[k]];
            const double d = (p + gap) - start(frame);
            moves[order[k]] = along(x, d);
            p = start(frame) + d + length(frame);
        }
    } else {
        const double firstCentre = start(first) + length(first) / 2.0;
        const double step = (start(last) + length(last) / 2.0 - firstCentre) / double(order.size() - 1);
        double q = firstCentre;
        for (size_t k = 1; k + 1 < order.size(); ++k) {
            const QRectF &frame = frames[order[k]];
            const double d = (q + step - length(frame) / 2.0) - start(frame);
            moves[order[k]] = along(x, d);
            q = start(frame) + d + length(frame) / 2.0;
        }
    }
    return moves;
}

void align(CADocView &canvas, Align how)
{
    const std::vector<CFTComponent *> list = workingList(canvas);
    if (!list.empty())
        apply(canvas, list, alignMoves(framesOf(list), how), "CHANGE_ALIGN_COLUMN");
}

void alignToPageCentre(CADocView &canvas, int tag)
{
    const std::vector<CFTComponent *> list = workingList(canvas);
    const CFTADocument *design = canvas.edits().design();
    if (list.empty() || !design)
        return;
    const int side = canvas.ftView()->getCurrentSide();
    const QSizeF page(design->getDocumentSizeX(side), design->getDocumentSizeY(side));
    apply(canvas, list, pageCentreMoves(framesOf(list), page, tag == 101), "CHANGE_ALIGN_COLUMN");
}

void distribute(CADocView &canvas, Distribute how)
{
    const std::vector<CFTComponent *> list = workingList(canvas);
    if (list.size() > 2)
        apply(canvas, list, distributeMoves(framesOf(list), how), "DISTRIBUTE_OBJECTS");
}

} // namespace CACanvasArrange
