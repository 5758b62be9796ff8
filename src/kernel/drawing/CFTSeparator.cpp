#include "kernel/drawing/CFTSeparator.h"

#include "kernel/render/CDDDrawer.h"
#include "kernel/component/CFTACoreView.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"

#include <algorithm>
#include <cmath>

CFTSeparator::CFTSeparator(CFTComponent *templateComponent)
{
    takeStyle(templateComponent);
}

CFTSeparator::CFTSeparator(double x, double y, double width, double height, CFTComponent *templateComponent)
    : CFTComponent(x, y, width, height)
{
    takeStyle(templateComponent);
}

void CFTSeparator::takeStyle(const CFTComponent *templateComponent)
{
    if (!templateComponent)
        return;
    if (const CDDColor *stroke = templateComponent->GetStrokeColor())
        mColor = *stroke;
    mLinePen.SetWidth(templateComponent->GetStrokeWidth());
}

CFTSeparator::~CFTSeparator() = default;

compType CFTSeparator::getType() const
{
    return ctSeparator;
}

classID CFTSeparator::getClassID() const
{
    return ciSeparator;
}

bool CFTSeparator::isVert() const
{
    return std::fabs(mdSizeX) < std::fabs(mdSizeY);
}

CFTComponent *CFTSeparator::PickMe(double x, double y, bool &, double tolerance, actionType &, int)
{
    const QRectF bounds = GetNSDrawRect(true, tolerance);
    const float px = float(x);
    const float py = float(y);
    const bool inside = px >= float(bounds.left()) && px < float(bounds.left() + bounds.width())
                        && py >= float(bounds.top()) && py < float(bounds.top() + bounds.height());
    return inside ? this : nullptr;
}

int CFTSeparator::PickMyDot(double x, double y, double tolerance)
{
    if (std::fabs(x - mdOriginX) < tolerance && std::fabs(y - mdOriginY) < tolerance)
        return isVert() ? 9 : 6;
    if (std::fabs(x - (mdOriginX + mdSizeX)) < tolerance && std::fabs(y - (mdOriginY + mdSizeY)) < tolerance)
        return isVert() ? 11 : 14;
    return 0;
}

int CFTSeparator::getCursorRectsByType(cursorType type, SRect *rects, bool enabled, double tolerance)
{
    if (!enabled || !rects)
        return 0;
    if ((type == cursorResizeHorizontal && !isVert()) || (type == cursorResizeVertical && isVert())) {
        rects[0] = SRect{mdOriginX - tolerance, mdOriginY - tolerance, 2.0 * tolerance, 2.0 * tolerance};
        rects[1] = SRect{mdOriginX + mdSizeX - tolerance, mdOriginY + mdSizeY - tolerance, 2.0 * tolerance,
                         2.0 * tolerance};
        return 2;
    }
    return 0;
}

void CFTSeparator::StartOperation(operMode mode, const CFTACoreView *view, int unused, int)
{
    if (mode == operCreatePending || mode == operCreate)
        mbIsSizing = true;
    CFTComponent::StartOperation(mode, view, unused, 0);
}

void CFTSeparator::EndOperation(operMode mode)
{
    CFTComponent::EndOperation(mode);
    if (isVert())
        mdSizeX = 0.0;
    else
        mdSizeY = 0.0;
    if (mdSizeX < 0.0) {
        mdOriginX += mdSizeX;
        mdSizeX = -mdSizeX;
    }
    if (mdSizeY < 0.0) {
        mdOriginY += mdSizeY;
        mdSizeY = -mdSizeY;
    }
    mbIsSizing = false;
    mbIsLastPathValid = false;
}

void CFTSeparator::MoveDot(int &handle, double dx, double dy, const CFTACoreView *view)
{
    if (!mbIsSizing) {
        CFTComponent::MoveDot(handle, dx, dy, view);
        return;
    }
    mdSizeX += dx;
    mdSizeY += dy;
    mbIsLastPathValid = false;
}

void CFTSeparator::Draw(CDDDrawer *drawer, bool, const CFTComponentsInterface *, bool, bool)
{
    if (!drawer)
        return;
    if (isVert())
        drawer->StrokeLine(mdOriginX, mdOriginY, mdOriginX, mdOriginY + mdSizeY, &mColor, &mLinePen);
    else
        drawer->StrokeLine(mdOriginX, mdOriginY, mdOriginX + mdSizeX, mdOriginY, &mColor, &mLinePen);
}

void CFTSeparator::DrawSelection(CDDDrawer *drawer, const CFTACoreView *view)
{
    if (!drawer || !view)
        return;
    const double d = view->getDotSize();
    drawer->DrawDot(mdOriginX - d / 2.0, mdOriginY - d / 2.0, d, d);
    if (isVert())
        drawer->DrawDot(mdOriginX - d / 2.0, mdOriginY + mdSizeY - d / 2.0, d, d);
    else
        drawer->DrawDot(mdOriginX + mdSizeX - d / 2.0, mdOriginY - d / 2.0, d, d);
}

void CFTSeparator::GetDrawRect(double *left, double *top, double *right, double *bottom, bool) const
{
    const double s = GetStrokeWidth();
    const double l = mdOriginX - s / 2.0;
    const double t = mdOriginY - s / 2.0;
    const double r = std::max(mdOriginX + mdSizeX + s, 1.0);
    const double b = std::max(mdOriginY + mdSizeY + s, 1.0);
    if (left)
        *left = l;
    if (top)
        *top = t;
    if (right)
        *right = r;
    if (bottom)
        *bottom = b;
}

QRectF CFTSeparator::GetNSDrawRect(bool grow, double handleSize) const
{
    double l = 0.0, t = 0.0, r = 0.0, b = 0.0;
    GetDrawRect(&l, &t, &r, &b, false);
    const double s = mLinePen.GetWidth();
    const bool vertical = isVert();
    if (!grow) {
        if (vertical)
            return QRectF(float(l - s / 2.0), float(t), float(r - l + s), float(b - t));
        return QRectF(float(l), float(t - s / 2.0), float(r - l), float(b - t + s));
    }
    const double d = handleSize;
    const double m = std::max(s, d);
    if (vertical)
        return QRectF(float(l - m / 2.0), float(t - d / 2.0), float(r - l + m), float(b - t + d));
    return QRectF(float(l - d / 2.0), float(t - m / 2.0), float(r - l + d), float(b - t + m));
}

float CFTSeparator::GetStrokeWidth() const
{
    return float(mLinePen.GetWidth());
}

bool CFTSeparator::IsStroked()
{
    return true;
}

bool CFTSeparator::canStrok() const
{
    return true;
}

void CFTSeparator::SetLineWidth(double width)
{
    mLinePen.SetWidth(width);
}

const CDDColor *CFTSeparator::GetStrokeColor() const
{
    return &mColor;
}

void CFTSeparator::SetStrokeColor(const CDDColor *color)
{
    if (color)
        mColor = *color;
}

bool CFTSeparator::Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *list)
{
    CFTComponent::Serialize(archive, list);
    if (archive.isStoring()) {
        // Replaces the base's pen: the file holds one "Pen Width", the line's.
        archive.SetData(key_PenWidth, mLinePen);
    } else if (archive.GetData(key_PenWidth, mLinePen)) {
        mOutlinePen = mLinePen;
    }
    return true;
}
