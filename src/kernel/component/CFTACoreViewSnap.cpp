#include "kernel/component/CFTACoreView.h"

#include "kernel/component/CFTACoreDoc.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/component/CFTLayoutGuideline.h"

#include <algorithm>
#include <cmath>

namespace {

// The best snap found for one axis over all moving coordinates.
struct axisSnap
{
    float offset = 0.0f;
    float position = 0.0f;
    CFTSnapObject *mover = nullptr;
    CFTSnapObject *target = nullptr;
};

axisSnap bestSnap(const snapTable &from, const snapTable &to, float delta, float tolerance)
{
    axisSnap best;
    for (std::size_t i = 0; i < from.coordinates.size(); ++i) {
        const float moved = from.coordinates[i] + delta;
        CFTSnapObject *target = nullptr;
        const float offset = CFTACoreView::getSnap(moved, to, tolerance, &target);
        if (offset != 0.0f && (best.offset == 0.0f || std::fabs(offset) < std::fabs(best.offset)))
            best = {offset, moved, from.ownerAt(i), target};
    }
    return best;
}

} // namespace

void snapTable::clear()
{
    coordinates.clear();
    runs.clear();
}

void snapTable::append(CFTSnapObject *owner, int (CFTSnapObject::*getter)(std::span<float>) const)
{
    // Asked with no room, a writer answers how many it has; the table then grows by exactly that.
    const int needed = (owner->*getter)({});
    if (needed <= 0)
        return;
    const std::size_t start = coordinates.size();
    coordinates.resize(start + std::size_t(needed));
    const int written = (owner->*getter)(std::span<float>(coordinates).subspan(start));
    if (written <= 0 || written > needed) {
        coordinates.resize(start);
        return;
    }
    coordinates.resize(start + std::size_t(written));
    runs.push_back({owner, written});
}

CFTSnapObject *snapTable::ownerAt(std::size_t index) const
{
    for (const run &r : runs) {
        if (index < std::size_t(r.count))
            return r.owner;
        index -= std::size_t(r.count);
    }
    return nullptr;
}

void CFTACoreView::fillSnapTables(bool forResize)
{
    for (snapTable *table : {&m_xSnapFrom, &m_ySnapFrom, &m_xSnapTo, &m_ySnapTo})
        table->clear();
    for (CFTComponent *component : GetCurrentComponents()) {
        if (!isSelected(component) && component != m_pOperObject) {
            m_xSnapTo.append(component, &CFTSnapObject::getXSnapArrayTo);
            m_ySnapTo.append(component, &CFTSnapObject::getYSnapArrayTo);
        } else if (!forResize) {
            m_xSnapFrom.append(component, &CFTSnapObject::getXSnapArrayFrom);
            m_ySnapFrom.append(component, &CFTSnapObject::getYSnapArrayFrom);
        }
    }
    if (CFTACoreDoc *document = currentDocument()) {
        m_xSnapTo.append(document, &CFTSnapObject::getXSnapArrayTo);
        m_ySnapTo.append(document, &CFTSnapObject::getYSnapArrayTo);
    }
}

float CFTACoreView::getSnap(float value, const snapTable &table, float tolerance, CFTSnapObject **owner)
{
    if (tolerance <= 0.0f)
        return 0.0f;
    float offset = 0.0f;
    bool found = false;
    std::size_t run = 0;
    long remaining = table.runs.empty() ? 0 : table.runs.front().count;
    for (const float snap : table.coordinates) {
        while (remaining == 0 && run + 1 < table.runs.size())
            remaining = table.runs[++run].count;
        --remaining;
        if (!(value > snap - tolerance && value < snap + tolerance))
            continue;
        if (found && !(std::fabs(snap - value) < std::fabs(offset)))
            continue;
        found = true;
        offset = snap - value;
        if (owner && run < table.runs.size())
            *owner = table.runs[run].owner;
    }
    return offset;
}

int CFTACoreView::MoveSelected(double dx, double dy, int modifiers, double *snapDX, double *snapDY)
{
    const bool snapping = (modifiers & modifierCommand) == 0;
    axisSnap x, y;
    if (snapping && !m_pOperLayoutGuideline) {
        const auto tolerance = float(getSens());
        FillSnapArrays(false);
        if (dx != 0.0)
            x = bestSnap(m_xSnapFrom, m_xSnapTo, float(dx), tolerance);
        if (dy != 0.0)
            y = bestSnap(m_ySnapFrom, m_ySnapTo, float(dy), tolerance);
    }
    if (snapDX)
        *snapDX = x.offset;
    if (snapDY)
        *snapDY = y.offset;
    dx += x.offset;
    dy += y.offset;
    if (m_pOperLayoutGuideline) {
        m_pOperLayoutGuideline->Move(dx, dy, this);
    } else {
        for (CFTComponent *component : m_aSelected)
            component->Move(dx, dy, this);
    }
    if (x.offset != 0.0f && x.mover && x.target)
        recordSnapGuide(true, x.position + x.offset, std::min(x.target->getMinSnapYTo(), x.mover->getMinSnapYFrom()),
                        std::max(x.target->getMaxSnapYTo(), x.mover->getMaxSnapYFrom()));
    else
        ClearSnapOccuredX();
    if (y.offset != 0.0f && y.mover && y.target)
        recordSnapGuide(false, y.position + y.offset, std::min(y.target->getMinSnapXTo(), y.mover->getMinSnapXFrom()),
                        std::max(y.target->getMaxSnapXTo(), y.mover->getMaxSnapXFrom()));
    else
        ClearSnapOccuredY();
    return x.offset != 0.0f || y.offset != 0.0f ? int(mouseRedrawSnapGuides) : 0;
}

// The drag vector is not used by the handles here, only passed on by views that do.
int CFTACoreView::MoveOperObjectDot(double dx, double dy, int modifiers, double, double, double *snapDX, double *snapDY)
{
    if (!m_pOperObject)
        return 0;
    const bool snapping = (modifiers & modifierCommand) == 0;
    float snapX = 0.0f, snapY = 0.0f;
    CFTSnapObject *targetX = nullptr, *targetY = nullptr;
    double hx = 0.0, hy = 0.0;
    if (snapping) {
        const auto tolerance = float(getSens());
        FillSnapArrays(true);
        m_pOperObject->GetDotCoord(m_operDot, &hx, &hy);
        const bool rotated = m_pOperObject->GetAngle() != 0.0;
        if (dx != 0.0 && (dotCode::movesX(m_operDot) || rotated))
            snapX = getSnap(float(hx + dx), m_xSnapTo, tolerance, &targetX);
        if (dy != 0.0 && (dotCode::movesY(m_operDot) || rotated))
            snapY = getSnap(float(hy + dy), m_ySnapTo, tolerance, &targetY);
    }
    if (snapDX)
        *snapDX = snapX;
    if (snapDY)
        *snapDY = snapY;
    dx += snapX;
    dy += snapY;
    m_pOperObject->ModifyVectorForConstrain(m_operDot, &dx, &dy, modifiers);
    m_pOperObject->MoveDot(m_operDot, dx, dy, this);
    const auto handleX = float(hx + dx);
    const auto handleY = float(hy + dy);
    if (snapX != 0.0f && targetX)
        recordSnapGuide(true, handleX, std::min(targetX->getMinSnapYTo(), handleY),
                        std::max(targetX->getMaxSnapYTo(), handleY));
    else
        ClearSnapOccuredX();
    if (snapY != 0.0f && targetY)
        recordSnapGuide(false, handleY, std::min(targetY->getMinSnapXTo(), handleX),
                        std::max(targetY->getMaxSnapXTo(), handleX));
    else
        ClearSnapOccuredY();
    return snapX != 0.0f || snapY != 0.0f ? int(mouseRedrawSnapGuides) : 0;
}

void CFTACoreView::recordSnapGuide(bool xAxis, float position, float from, float to)
{
    (xAxis ? m_bSnapOccuredX : m_bSnapOccuredY) = true;
    (xAxis ? m_bWasSnapOccuredX : m_bWasSnapOccuredY) = false;
    float *rect = xAxis ? m_SnapRectX : m_SnapRectY;
    rect[0] = position;
    rect[1] = from;
    rect[2] = to;
}
