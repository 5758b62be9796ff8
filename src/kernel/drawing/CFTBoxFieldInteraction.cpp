// How a shape answers the editing view: picking by outline or stroke, the line handles and
// cursors, mirroring while a handle is dragged, the Shift constraints and the rubber band.

#include "kernel/drawing/CFTBoxField.h"
#include "kernel/drawing/CFTBoxFieldLines.h"

#include "kernel/render/CDDDrawer.h"
#include "kernel/component/CFTACoreView.h"
#include "platform/PWBezierPath.h"

#include <algorithm>
#include <cmath>
#include <numbers>

compType CFTBoxField::effectiveLineKind() const
{
    if (IsFlipX() != IsFlipY()) {
        if (mType == ctLeftDiagonalLine)
            return ctRightDiagonalLine;
        if (mType == ctRightDiagonalLine)
            return ctLeftDiagonalLine;
    }
    return mType;
}

// --- Picking ------------------------------------------------------------------------------------

CFTComponent *CFTBoxField::PickMe(double x, double y, bool &selected, double tolerance, actionType &action,
                                  int mode)
{
    double px = x, py = y;
    if (mdAngle != 0.0)
        rotatePoint(&px, &py, -mdAngle, centerX(), centerY());

    actionType scratch = actionNone;
    // An unfilled rectangle is a frame: only its border can be picked.
    if (!mbFilled && mType == ctRect) {
        if (!CFTComponent::PickMe(px, py, selected, tolerance, scratch, mode))
            return nullptr;
        action = actionNone;
        return this;
    }

    if (isLine()) {
        double x1, y1, x2, y2;
        lineEnds(&x1, &y1, &x2, &y2);
        const double reach = std::max(tolerance, GetStrokeWidth() / 2.0);
        if (IsPointInRect(px, py, x1, y1, x2, y2, reach))
            return this;
    } else {
        CDDDrawer probe(false);
        const std::shared_ptr<PWBezierPath> path = GetPath(&probe);
        if (path && CDDDrawer::IsPointInPath(path.get(), px, py, mdOriginX, mdOriginY, mdSizeX, mdSizeY, mbFlipX,
                                             mbFlipY)) {
            action = actionNone;
            return this;
        }
    }

    // A thin moon's crescent is too narrow to hit: its whole rectangle counts.
    if (mType == ctMoon && mdCurveRadius > 0.7 && px > mdOriginX && px < mdOriginX + mdSizeX && py > mdOriginY
        && py < mdOriginY + mdSizeY) {
        action = actionNone;
        return this;
    }
    if (selected && CFTComponent::PickMe(px, py, selected, tolerance, scratch, mode)) {
        action = actionFrame;
        return this;
    }
    return nullptr;
}

int CFTBoxField::PickMyDot(double x, double y, double tolerance)
{
    double px = x, py = y;
    if (mdAngle != 0.0)
        rotatePoint(&px, &py, -mdAngle, centerX(), centerY());
    if (!isLine())
        return CFTComponent::PickMyDot(px, py, tolerance);

    const LineKind &line = lineKindOf(effectiveLineKind());
    double ends[2][2];
    lineEnds(&ends[0][0], &ends[0][1], &ends[1][0], &ends[1][1]);
    const int numbers[2] = {line.firstHandle, line.secondHandle};
    int found = 0;
    for (int i = 0; i < 2; ++i) {
        if (std::fabs(px - ends[i][0]) < tolerance && std::fabs(py - ends[i][1]) < tolerance)
            found = numbers[i];
    }
    return found;
}

int CFTBoxField::getCursorRectsByType(cursorType type, SRect *rects, bool enabled, double size)
{
    if (!enabled || !rects)
        return 0;
    if (!isLine())
        return CFTComponent::getCursorRectsByType(type, rects, enabled, size);

    if (mdAngle != 0.0 && std::fabs(std::numbers::pi / 2.0 - std::fabs(mdAngle)) < std::numbers::pi / 4.0) {
        switch (type) {
        case cursorResizeHorizontal: type = cursorResizeVertical; break;
        case cursorResizeVertical: type = cursorResizeHorizontal; break;
        case cursorResizeDiagonalDown: type = cursorResizeDiagonalUp; break;
        case cursorResizeDiagonalUp: type = cursorResizeDiagonalDown; break;
        default: break;
        }
    }
    if (type != lineKindOf(effectiveLineKind()).cursor)
        return 0;
    double ends[2][2];
    lineEnds(&ends[0][0], &ends[0][1], &ends[1][0], &ends[1][1]);
    for (int i = 0; i < 2; ++i) {
        double cx = ends[i][0], cy = ends[i][1];
        if (mdAngle != 0.0)
            rotatePoint(&cx, &cy, mdAngle, centerX(), centerY());
        rects[i] = SRect{cx - size, cy - size, 2.0 * size, 2.0 * size};
    }
    return 2;
}

void CFTBoxField::DrawSelection(CDDDrawer *drawer, const CFTACoreView *view)
{
    if (!drawer || !view)
        return;
    if (!isLine()) {
        CFTComponent::DrawSelection(drawer, view);
        return;
    }
    const double s = view->getDotSize();
    double ends[2][2];
    lineEnds(&ends[0][0], &ends[0][1], &ends[1][0], &ends[1][1]);
    for (auto &end : ends) {
        if (mdAngle != 0.0)
            rotatePoint(&end[0], &end[1], mdAngle, centerX(), centerY());
        drawer->DrawDot(end[0] - s / 2.0, end[1] - s / 2.0, s, s);
    }
}

void CFTBoxField::GetDotCoord(int handle, double *x, double *y)
{
    if (mType != ctHorizontalLine && mType != ctVerticalLine) {
        CFTComponent::GetDotCoord(handle, x, y);
        return;
    }
    double px, py;
    switch (handle) {
    case 6: px = mdOriginX, py = mdOriginY + mdSizeY / 2.0; break;
    case 9: px = mdOriginX + mdSizeX / 2.0, py = mdOriginY; break;
    case 11: px = mdOriginX + mdSizeX / 2.0, py = mdOriginY + mdSizeY; break;
    case 14: px = mdOriginX + mdSizeX, py = mdOriginY + mdSizeY / 2.0; break;
    default: return;
    }
    if (mdAngle != 0.0)
        rotatePoint(&px, &py, mdAngle, centerX(), centerY());
    if (x)
        *x = px;
    if (y)
        *y = py;
}

// --- Dragging -----------------------------------------------------------------------------------

void CFTBoxField::StartOperation(operMode mode, const CFTACoreView *view, int unused, int handle)
{
    CFTComponent::StartOperation(mode, view, unused, handle);
    if (mode == operResizePending || mode == operCreate || mode == operResize)
        GetDotCoord(handle, &mdOperDotX, &mdOperDotY);
}

void CFTBoxField::MoveDot(int &handle, double dx, double dy, const CFTACoreView *view)
{
    MoveDotTurnedAndMirrored(handle, dx, dy, view);
}

void CFTBoxField::ModifyVectorForConstrain(int handle, double *dx, double *dy, int modifiers)
{
    if (dx)
        mdOperDotX += *dx;
    if (dy)
        mdOperDotY += *dy;
    if (!(modifiers & modifierShift) || mLastOperDot == 0 || !dx || !dy)
        return;

    if (mType == ctLeftDiagonalLine || mType == ctRightDiagonalLine) {
        double x = mdOriginX, y = mdOriginY, w = mdSizeX, h = mdSizeY;
        double hx = 0.0, hy = 0.0;
        GetDotCoord(handle, &hx, &hy);
        const double vx = mdOperDotX - hx;
        const double vy = mdOperDotY - hy;
        if (mdAngle != 0.0) {
            double ox = 0.0, oy = 0.0;
            GetDotCoord(ConvertDotNumberY(ConvertDotNumberX(handle)), &ox, &oy);
            x = std::min(hx, ox);
            y = std::min(hy, oy);
            w = std::fabs(hx - ox);
            h = std::fabs(hy - oy);
            if (((handle & 2) && hy < oy) || (!(handle & 2) && hy > oy))
                handle = ConvertDotNumberY(handle);
            if (((handle & 8) && hx < ox) || (!(handle & 8) && hx > ox))
                handle = ConvertDotNumberX(handle);
        }
        const int d1 = handle;
        int d2 = handle;
        double x2 = x, y2 = y, w2 = w, h2 = h;
        ChangeBoundWithDot(d2, vx, vy, x2, y2, w2, h2);
        const double ratio = h2 != 0.0 ? w2 / h2 : 10.0;
        if (ratio > 2.0) {
            *dy = (d1 & 2) ? -h : h;
            *dx = vx;
        } else if (ratio < 0.5) {
            *dx = (d1 & 8) ? -w : w;
            *dy = vy;
        } else if (ratio > 1.0) {
            *dy = (d2 & 2) ? w2 - h : h - w2;
            *dx = (d2 & 8) ? w2 - w : w - w2;
        } else {
            *dx = (d2 & 8) ? h2 - w : w - h2;
            *dy = (d2 & 2) ? h2 - h : h - h2;
        }
        return;
    }

    if (isLine() || !dotCode::isCorner(handle))
        return;
    double vx = *dx, vy = *dy;
    if (mdAngle != 0.0)
        rotateVector(&vx, &vy, -mdAngle);
    const bool negate = handle == 7 || handle == 13;
    if (mdLastSizeX >= mdLastSizeY) {
        if (mdLastSizeX != 0.0)
            vy = (negate ? -vx : vx) * mdLastSizeY / mdLastSizeX;
    } else if (mdLastSizeY != 0.0) {
        vx = (negate ? -vy : vy) * mdLastSizeX / mdLastSizeY;
    }
    if (mdAngle != 0.0)
        rotateVector(&vx, &vy, mdAngle);
    *dx = vx;
    *dy = vy;
}

// --- Rubber band --------------------------------------------------------------------------------

bool CFTBoxField::isIntersectRect(double x1, double y1, double x2, double y2)
{
    return isLine() ? IsIntersectRect(x1, y1, x2, y2) : CFTComponent::isIntersectRect(x1, y1, x2, y2);
}

bool CFTBoxField::IsIntersectRect(double x1, double y1, double x2, double y2)
{
    const double x = mdOriginX, y = mdOriginY, w = mdSizeX, h = mdSizeY;
    const double p = GetStrokeWidth() / 2.0;
    double qx[4], qy[4];
    switch (effectiveLineKind()) {
    case ctVerticalLine: {
        const double cx = x + w / 2.0;
        const double xs[4] = {cx - p, cx + p, cx + p, cx - p};
        const double ys[4] = {y, y + h, y, y + h};
        std::copy(xs, xs + 4, qx), std::copy(ys, ys + 4, qy);
        break;
    }
    case ctHorizontalLine: {
        const double cy = y + h / 2.0;
        const double xs[4] = {x, x + w, x + w, x};
        const double ys[4] = {cy - p, cy + p, cy - p, cy + p};
        std::copy(xs, xs + 4, qx), std::copy(ys, ys + 4, qy);
        break;
    }
    case ctLeftDiagonalLine: {
        const double a = std::atan2(h, w);
        const double s = std::sin(a) * p, k = std::cos(a) * p;
        const double xs[4] = {x + s, x + w - s, x + w + s, x - s};
        const double ys[4] = {y - k, y + h + k, y + h - k, y + k};
        std::copy(xs, xs + 4, qx), std::copy(ys, ys + 4, qy);
        break;
    }
    default: {
        const double a = std::atan2(h, w);
        const double s = std::sin(a) * p, k = std::cos(a) * p;
        const double xs[4] = {x - s, x + w + s, x + w - s, x + s};
        const double ys[4] = {y + h - k, y + k, y - k, y + h + k};
        std::copy(xs, xs + 4, qx), std::copy(ys, ys + 4, qy);
        break;
    }
    }
    if (mdAngle != 0.0) {
        for (int i = 0; i < 4; ++i)
            rotatePoint(&qx[i], &qy[i], mdAngle, centerX(), centerY());
    }
    const double minX = std::min(x1, x2), maxX = std::max(x1, x2);
    const double minY = std::min(y1, y2), maxY = std::max(y1, y2);
    if (*std::max_element(qx, qx + 4) < minX || *std::min_element(qx, qx + 4) > maxX
        || *std::max_element(qy, qy + 4) < minY || *std::min_element(qy, qy + 4) > maxY)
        return false;
    for (int i = 0; i < 4; ++i) {
        if (qx[i] > minX && qx[i] < maxX && qy[i] > minY && qy[i] < maxY)
            return true;
    }
    // The quadrilateral's edges join its corners first, third, second, fourth.
    const int order[4] = {0, 2, 1, 3};
    const double sx[4] = {minX, maxX, maxX, minX};
    const double sy[4] = {minY, minY, maxY, maxY};
    for (int i = 0; i < 4; ++i) {
        const int a = order[i], b = order[(i + 1) % 4];
        for (int j = 0; j < 4; ++j) {
            const int c = j, d = (j + 1) % 4;
            if (IsLinesIntersected(sx[c], sy[c], sx[d], sy[d], qx[a], qy[a], qx[b], qy[b]))
                return true;
        }
    }
    return false;
}
