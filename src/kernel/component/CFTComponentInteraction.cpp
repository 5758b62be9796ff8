// How a component answers the editing view: picking it and its handles, the handle cursors and
// marks, the mouse operations (move, handle drag, group resize, scaling, rotation, radial
// moves) and the rectangles used for drawing, invalidation and the rubber band.

#include "kernel/component/CFTComponent.h"

#include "kernel/component/CFTACoreView.h"
#include "kernel/base/FTGeometry.h"
#include "kernel/render/CDDDrawer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// A fraction of a group dimension; a group with no extent along an axis gives 0.
double fraction(double numerator, double denominator)
{
    return denominator != 0.0 ? numerator / denominator : 0.0;
}

// The direction of p seen from the pivot, as the rotation by mouse measures it.
double direction(double x, double y, double pivotX, double pivotY)
{
    const double distance = std::hypot(x - pivotX, y - pivotY);
    if (!(distance > 0.0))
        return 0.0;
    const double theta = std::acos(std::clamp((x - pivotX) / distance, -1.0, 1.0));
    return y - pivotY > 0.0 ? -theta : theta;
}

double cross(double ax, double ay, double bx, double by)
{
    return ax * by - ay * bx;
}

bool oppositeSigns(double a, double b)
{
    return (a > 0.0 && b < 0.0) || (a < 0.0 && b > 0.0);
}

// Whether segment p1-p2 properly crosses segment q1-q2 (touching does not count).
bool segmentsCross(double p1x, double p1y, double p2x, double p2y, double q1x, double q1y, double q2x, double q2y)
{
    const double qx = q1x - q2x;
    const double qy = q1y - q2y;
    const double px = p1x - p2x;
    const double py = p1y - p2y;
    return oppositeSigns(cross(qx, qy, q1x - p1x, q1y - p1y), cross(qx, qy, q1x - p2x, q1y - p2y))
           && oppositeSigns(cross(px, py, p1x - q1x, p1y - q1y), cross(px, py, p1x - q2x, p1y - q2y));
}

bool strictlyInside(double px, double py, double left, double top, double right, double bottom)
{
    return px > left && px < right && py > top && py < bottom;
}

} // namespace

// --- Picking ------------------------------------------------------------------------------------

CFTComponent *CFTComponent::PickMe(double x, double y, bool &, double tolerance, actionType &action, int)
{
    const double left = mdOriginX;
    const double top = mdOriginY;
    const double right = mdOriginX + mdSizeX;
    const double bottom = mdOriginY + mdSizeY;
    const bool inGrown = strictlyInside(x, y, left - tolerance, top - tolerance, right + tolerance,
                                        bottom + tolerance);
    const bool nearEdge = std::fabs(x - left) < tolerance || std::fabs(y - top) < tolerance
                          || std::fabs(x - right) < tolerance || std::fabs(y - bottom) < tolerance;
    if (inGrown && nearEdge) {
        action = actionFrame;
        return this;
    }
    action = actionNone;
    return nullptr;
}

CFTComponent *CFTComponent::TestMe(double x, double y, bool &selected, double tolerance)
{
    actionType scratch = actionNone;
    return PickMe(x, y, selected, tolerance, scratch, 0);
}

int CFTComponent::PickMyDot(double x, double y, double tolerance)
{
    return PickDot(x, y, tolerance, mdOriginX, mdOriginY, mdSizeX, mdSizeY);
}

int CFTComponent::PickDot(double px, double py, double tolerance, double x, double y, double width, double height)
{
    int column = 0;
    if (std::fabs(px - x) < tolerance)
        column = 4;
    else if (std::fabs(px - (x + width)) < tolerance)
        column = 12;
    else if (std::fabs(px - (x + width / 2.0)) < tolerance)
        column = 8;

    int row = 0;
    if (std::fabs(py - y) < tolerance)
        row = 1;
    else if (std::fabs(py - (y + height)) < tolerance)
        row = 3;
    else if (column != 8 && std::fabs(py - (y + height / 2.0)) < tolerance)
        row = 2;

    return column > 0 && row > 0 ? column + row : 0;
}

int CFTComponent::getCursorRectsByType(cursorType type, SRect *rects, double tolerance, double x, double y,
                                       double width, double height, double)
{
    if (!rects)
        return 0;
    double centers[2][2];
    switch (type) {
    case cursorResizeHorizontal:
        centers[0][0] = x, centers[0][1] = y + height / 2.0;
        centers[1][0] = x + width, centers[1][1] = y + height / 2.0;
        break;
    case cursorResizeVertical:
        centers[0][0] = x + width / 2.0, centers[0][1] = y;
        centers[1][0] = x + width / 2.0, centers[1][1] = y + height;
        break;
    case cursorResizeDiagonalDown:
        centers[0][0] = x, centers[0][1] = y;
        centers[1][0] = x + width, centers[1][1] = y + height;
        break;
    case cursorResizeDiagonalUp:
        centers[0][0] = x + width, centers[0][1] = y;
        centers[1][0] = x, centers[1][1] = y + height;
        break;
    default:
        return 0;
    }
    for (int i = 0; i < 2; ++i)
        rects[i] = SRect{centers[i][0] - tolerance, centers[i][1] - tolerance, 2.0 * tolerance, 2.0 * tolerance};
    return 2;
}

int CFTComponent::getCursorRectsByType(cursorType type, SRect *rects, bool enabled, double tolerance)
{
    if (!enabled || !rects)
        return 0;
    // Turned nearer to a quarter turn than to level, the handles of the other axis are under
    // the pair asked for.
    if (mdAngle != 0.0 && std::fabs(std::numbers::pi / 2.0 - std::fabs(mdAngle)) < std::numbers::pi / 4.0) {
        switch (type) {
        case cursorResizeHorizontal: type = cursorResizeVertical; break;
        case cursorResizeVertical: type = cursorResizeHorizontal; break;
        case cursorResizeDiagonalDown: type = cursorResizeDiagonalUp; break;
        case cursorResizeDiagonalUp: type = cursorResizeDiagonalDown; break;
        default: break;
        }
    }
    const int count = getCursorRectsByType(type, rects, tolerance, mdOriginX, mdOriginY, mdSizeX, mdSizeY, 0.0);
    if (mdAngle != 0.0) {
        for (int i = 0; i < count; ++i) {
            double cx = rects[i].x + rects[i].width / 2.0;
            double cy = rects[i].y + rects[i].height / 2.0;
            rotatePoint(&cx, &cy, mdAngle, centerX(), centerY());
            rects[i].x = cx - rects[i].width / 2.0;
            rects[i].y = cy - rects[i].height / 2.0;
        }
    }
    return count;
}

void CFTComponent::DrawSelection(CDDDrawer *drawer, const CFTACoreView *view)
{
    if (!drawer || !view)
        return;
    const double d = view->getDotSize();
    for (int i = 0; i <= 2; ++i) {
        for (int j = 0; j <= 2; ++j) {
            if (i == 1 && j == 1)
                continue;
            double x = mdOriginX + i * mdSizeX / 2.0;
            double y = mdOriginY + j * mdSizeY / 2.0;
            if (mdAngle != 0.0)
                rotatePoint(&x, &y, mdAngle, centerX(), centerY());
            drawer->DrawDot(x - d / 2.0, y - d / 2.0, d, d);
        }
    }
}

// --- Mouse operations ---------------------------------------------------------------------------

void CFTComponent::StartOperation(operMode mode, const CFTACoreView *view, int, int handle)
{
    if (mode != operMovePending && mode != operRotate && mode != operResizePending && mode != operCreate && mode != operResize)
        return;
    mbIsOperating = true;
    mdLastOriginX = mdOriginX;
    mdLastOriginY = mdOriginY;
    mdLastSizeX = mdSizeX;
    mdLastSizeY = mdSizeY;
    mdLastAngle = mdAngle;
    mbIsLastPathValid = false;
    mLastOperDot = handle;

    if (view && view->isSmartSelectionMode()) {
        double x = 0.0, y = 0.0, w = 0.0, h = 0.0;
        view->getSelObjectsRect(&x, &y, &w, &h);
        double l = 0.0, t = 0.0, r = 0.0, b = 0.0;
        GetDrawRect(&l, &t, &r, &b, true);
        mdGroupKX = fraction(r - l, w);
        mdGroupKY = fraction(b - t, h);
        mdGroupCenterKX = fraction((l + r) / 2.0 - x, w);
        mdGroupCenterKY = fraction((t + b) / 2.0 - y, h);
    }
}

void CFTComponent::EndOperation(operMode)
{
    mbIsOperating = false;
}

void CFTComponent::Move(double dx, double dy, const CFTACoreView *)
{
    mdOriginX += dx;
    mdOriginY += dy;
    mbIsLastPathValid = false;
}

void CFTComponent::updateCoordWithVector(double dx, double dy)
{
    mdOriginX += dx;
    mdOriginY += dy;
}

void CFTComponent::MoveDot(int &handle, double dx, double dy, const CFTACoreView *)
{
    ChangeBoundWithDot(handle, dx, dy, mdOriginX, mdOriginY, mdSizeX, mdSizeY);
    mbIsLastPathValid = false;
}

void CFTComponent::MoveDotTurnedAndMirrored(int &handle, double dx, double dy, const CFTACoreView *view)
{
    if (mdAngle != 0.0)
        rotateVector(&dx, &dy, -mdAngle);
    const double oldCx = centerX();
    const double oldCy = centerY();
    const int oldHandle = handle;
    CFTComponent::MoveDot(handle, dx, dy, view);
    if (handle != oldHandle) {
        const int changed = oldHandle ^ handle;
        if (changed & dotCode::mirrorColumnBit)
            setFlipX(!IsFlipX());
        if (changed & dotCode::mirrorRowBit)
            setFlipY(!IsFlipY());
    }
    if (mdAngle != 0.0) {
        // The rectangle grew in its own frame; its centre moves with the turned frame.
        double cx = centerX(), cy = centerY();
        rotatePoint(&cx, &cy, mdAngle, oldCx, oldCy);
        mdOriginX = cx - mdSizeX / 2.0;
        mdOriginY = cy - mdSizeY / 2.0;
    }
}

void CFTComponent::ChangeBoundWithDot(int &handle, double dx, double dy, double &x, double &y, double &width,
                                      double &height)
{
    int d = handle;
    if (d == 5 || d == 6 || d == 7) {
        x += dx;
        width -= dx;
    } else if (d == 13 || d == 14 || d == 15) {
        width += dx;
    }
    if (d == 5 || d == 9 || d == 13) {
        y += dy;
        height -= dy;
    } else if (d == 7 || d == 11 || d == 15) {
        height += dy;
    }
    if (width < 0.0) {
        d = ConvertDotNumberX(d);
        x += width;
        width = -width;
    }
    if (height < 0.0) {
        d = ConvertDotNumberY(d);
        y += height;
        height = -height;
    }
    handle = d;
}

void CFTComponent::ResizeWithGroupSize(double, double, double oldWidth, double oldHeight, double newX, double newY,
                                       double newWidth, double newHeight, bool, bool)
{
    if (mdAngle == 0.0) {
        mdSizeX = mdGroupKX * newWidth;
        mdSizeY = mdGroupKY * newHeight;
    } else {
        const double dw = (newWidth - oldWidth) * mdGroupKX;
        const double dh = (newHeight - oldHeight) * mdGroupKY;
        const double c = std::fabs(std::cos(mdAngle));
        const double s = std::fabs(std::sin(mdAngle));
        mdSizeX += c * dw + s * dh;
        mdSizeY += c * dh + s * dw;
        mdSizeX = std::max(mdSizeX, 1.0);
        mdSizeY = std::max(mdSizeY, 1.0);
    }
    mdOriginX = newX + newWidth * mdGroupCenterKX - mdSizeX / 2.0;
    mdOriginY = newY + newHeight * mdGroupCenterKY - mdSizeY / 2.0;
    mbIsLastPathValid = false;
}

void CFTComponent::updateCoordWithKoeff(double kx, double ky, double, double)
{
    if (mdAngle == 0.0) {
        mdOriginX *= kx;
        mdSizeX *= kx;
        mdOriginY *= ky;
        mdSizeY *= ky;
    } else {
        const double cx = centerX();
        const double cy = centerY();
        double x1 = mdOriginX, y1 = mdOriginY;
        double x2 = mdOriginX + mdSizeX, y2 = mdOriginY + mdSizeY;
        rotatePoint(&x1, &y1, mdAngle, cx, cy);
        rotatePoint(&x2, &y2, mdAngle, cx, cy);
        x1 *= kx, y1 *= ky, x2 *= kx, y2 *= ky;
        const double ncx = cx * kx;
        const double ncy = cy * ky;
        rotatePoint(&x1, &y1, -mdAngle, ncx, ncy);
        rotatePoint(&x2, &y2, -mdAngle, ncx, ncy);
        mdOriginX = x1;
        mdOriginY = y1;
        mdSizeX = std::max(x2 - x1, 1.0);
        mdSizeY = std::max(y2 - y1, 1.0);
    }
    mbIsLastPathValid = false;
}

void CFTComponent::Rotate(double currentX, double startX, double currentY, double startY, double pivotX,
                          double pivotY)
{
    Rotate(direction(currentX, currentY, pivotX, pivotY) - direction(startX, startY, pivotX, pivotY), pivotX,
           pivotY);
}

void CFTComponent::Rotate(double delta, double pivotX, double pivotY)
{
    if (!std::isfinite(delta))
        return;
    double angle = GetAngle() - delta;
    if (!std::isfinite(angle))
        return;
    angle = std::remainder(angle, 2.0 * std::numbers::pi);
    if (angle < -std::numbers::pi)
        angle += 2.0 * std::numbers::pi;
    if (angle > std::numbers::pi)
        angle -= 2.0 * std::numbers::pi;
    SetAngle(angle);

    double x5 = 0.0, y5 = 0.0, x15 = 0.0, y15 = 0.0;
    GetDotCoord(5, &x5, &y5);
    GetDotCoord(15, &x15, &y15);
    const double oldCx = (x5 + x15) / 2.0;
    const double oldCy = (y5 + y15) / 2.0;
    double newCx = oldCx;
    double newCy = oldCy;
    if (std::fabs(oldCx - pivotX) > 1e-5 || std::fabs(oldCy - pivotY) > 1e-5)
        rotatePoint(&newCx, &newCy, -delta, pivotX, pivotY);

    double x = x5 + (newCx - oldCx);
    double y = y5 + (newCy - oldCy);
    rotatePoint(&x, &y, -GetAngle(), newCx, newCy);
    SetOrigin(x, y);
}

void CFTComponent::ChangeObjectRadius(double currentX, double startX, double currentY, double startY,
                                      double pivotX, double pivotY)
{
    ChangeObjectRadius(std::hypot(currentX - pivotX, currentY - pivotY) - std::hypot(startX - pivotX, startY - pivotY),
                       pivotX, pivotY);
}

void CFTComponent::ChangeObjectRadius(double delta, double pivotX, double pivotY)
{
    double x5 = 0.0, y5 = 0.0, x15 = 0.0, y15 = 0.0;
    GetDotCoord(5, &x5, &y5);
    GetDotCoord(15, &x15, &y15);
    const double vx = pivotX - (x5 + x15) / 2.0;
    const double vy = pivotY - (y5 + y15) / 2.0;
    const double d = std::hypot(vx, vy);
    const double k = d - delta;
    const double shiftX = d > 0.001 ? vx * k / d : k;
    const double shiftY = d > 0.001 ? vy * k / d : k;
    SetOrigin(GetOriginX() - vx + shiftX, GetOriginY() - vy + shiftY);
}

void CFTComponent::GetDotCoord(int handle, double *x, double *y)
{
    // Only the corner handles come out exact: a middle code counts as the far edge.
    double px = (handle & 8) ? mdOriginX + mdSizeX : mdOriginX;
    double py = (handle & 2) ? mdOriginY + mdSizeY : mdOriginY;
    if (mdAngle != 0.0)
        rotatePoint(&px, &py, mdAngle, centerX(), centerY());
    if (x)
        *x = px;
    if (y)
        *y = py;
}

// --- Rectangles ---------------------------------------------------------------------------------

void CFTComponent::GetDrawRect(double *left, double *top, double *right, double *bottom, bool) const
{
    double xs[4], ys[4];
    rotatedCorners(xs, ys);
    if (left)
        *left = *std::min_element(xs, xs + 4);
    if (top)
        *top = *std::min_element(ys, ys + 4);
    if (right)
        *right = *std::max_element(xs, xs + 4);
    if (bottom)
        *bottom = *std::max_element(ys, ys + 4);
}

void CFTComponent::GetSelectedDrawRect(double *left, double *top, double *right, double *bottom) const
{
    GetDrawRect(left, top, right, bottom, false);
}

void CFTComponent::GetLastDrawRect(double *left, double *top, double *right, double *bottom) const
{
    if (left)
        *left = mdLastOriginX;
    if (top)
        *top = mdLastOriginY;
    if (right)
        *right = mdLastOriginX + mdLastSizeX;
    if (bottom)
        *bottom = mdLastOriginY + mdLastSizeY;
}

QRectF CFTComponent::GetNSDrawRect(bool grow, double handleSize) const
{
    double l = 0.0, t = 0.0, r = 0.0, b = 0.0;
    GetDrawRect(&l, &t, &r, &b, false);
    if (!grow)
        return QRectF(float(l), float(t), float(r - l), float(b - t));
    const double d = handleSize;
    return QRectF(float(l - d / 2.0), float(t - d / 2.0), float(r - l + d), float(b - t + d));
}

bool CFTComponent::isIntersectRect(double x1, double y1, double x2, double y2)
{
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    const double left = mdOriginX;
    const double top = mdOriginY;
    const double right = mdOriginX + mdSizeX;
    const double bottom = mdOriginY + mdSizeY;

    if (mdAngle != 0.0) {
        double xs[4], ys[4];
        rotatedCorners(xs, ys);
        for (int i = 0; i < 4; ++i) {
            if (strictlyInside(xs[i], ys[i], x1, y1, x2, y2))
                return true;
        }
        const double qx[4] = {x1, x2, x2, x1};
        const double qy[4] = {y1, y1, y2, y2};
        for (int i = 0; i < 4; ++i) {
            const int ni = (i + 1) % 4;
            for (int j = 0; j < 4; ++j) {
                const int nj = (j + 1) % 4;
                if (segmentsCross(qx[i], qy[i], qx[ni], qy[ni], xs[j], ys[j], xs[nj], ys[nj]))
                    return true;
            }
        }
        return false;
    }

    const double cornersX[4] = {left, right, right, left};
    const double cornersY[4] = {top, top, bottom, bottom};
    for (int i = 0; i < 4; ++i) {
        if (strictlyInside(cornersX[i], cornersY[i], x1, y1, x2, y2))
            return true;
    }
    const double qx[4] = {x1, x2, x2, x1};
    const double qy[4] = {y1, y1, y2, y2};
    for (int i = 0; i < 4; ++i) {
        if (strictlyInside(qx[i], qy[i], left, top, right, bottom))
            return true;
    }
    if (x1 < left && x2 > right && y1 > top && y1 < bottom)
        return true;
    if (y1 < top && y2 > bottom && x1 > left && x1 < right)
        return true;
    return false;
}
