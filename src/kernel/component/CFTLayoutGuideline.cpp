#include "kernel/component/CFTLayoutGuideline.h"

#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/base/CDDColor.h"
#include "kernel/base/CDDPen.h"
#include "kernel/render/CDDDrawer.h"

#include <cmath>
#include <memory>

namespace {

constexpr float kFar = 1e6f;

} // namespace

CFTLayoutGuideline::CFTLayoutGuideline() = default;

CFTLayoutGuideline::CFTLayoutGuideline(guidelineType type, double position)
    : mType(type), mdPosition(std::isfinite(position) ? std::trunc(position) : 0.0)
{
}

CFTLayoutGuideline::~CFTLayoutGuideline() = default;

int CFTLayoutGuideline::getXSnapArrayTo(std::span<float> array) const
{
    if (mType != gtVertical || !mbXSnapping)
        return 0;
    if (array.empty())
        return 1;
    array[0] = float(mdPosition);
    return 1;
}

int CFTLayoutGuideline::getXSnapArrayFrom(std::span<float> array) const
{
    return getXSnapArrayTo(array);
}

int CFTLayoutGuideline::getYSnapArrayFrom(std::span<float> array) const
{
    if (mType != gtHorizontal || !mbYSnapping)
        return 0;
    if (array.empty())
        return 1;
    array[0] = float(mdPosition);
    return 1;
}

int CFTLayoutGuideline::getYSnapArrayTo(std::span<float> array) const
{
    return getYSnapArrayFrom(array);
}

float CFTLayoutGuideline::getMinSnapXFrom() const
{
    return mType == gtHorizontal ? kFar : float(mdPosition);
}

float CFTLayoutGuideline::getMinSnapYFrom() const
{
    return mType == gtVertical ? kFar : float(mdPosition);
}

float CFTLayoutGuideline::getMaxSnapXFrom() const
{
    return getMinSnapXFrom();
}

float CFTLayoutGuideline::getMinSnapXTo() const
{
    return getMinSnapXFrom();
}

float CFTLayoutGuideline::getMaxSnapYFrom() const
{
    return getMinSnapYFrom();
}

float CFTLayoutGuideline::getMinSnapYTo() const
{
    return getMinSnapYFrom();
}

float CFTLayoutGuideline::getMaxSnapXTo() const
{
    return -getMaxSnapXFrom();
}

float CFTLayoutGuideline::getMaxSnapYTo() const
{
    return -getMaxSnapYFrom();
}

classID CFTLayoutGuideline::getClassID() const
{
    return ciLayoutGuideline;
}

void CFTLayoutGuideline::Lock()
{
    mbLocked = true;
}

void CFTLayoutGuideline::Unlock()
{
    mbLocked = false;
}

bool CFTLayoutGuideline::isLocked() const
{
    return mbLocked;
}

QString CFTLayoutGuideline::getContextMenu() const
{
    return QString();
}

CFTLayoutGuideline *CFTLayoutGuideline::PickMe(double x, double y, bool &, double tolerance, actionType &, int)
{
    if (mbLocked)
        return nullptr;
    const double distance = mType == gtVertical ? std::fabs(x - mdPosition) : std::fabs(y - mdPosition);
    return distance < tolerance ? this : nullptr;
}

void CFTLayoutGuideline::Draw(CDDDrawer *drawer, double x, double y, double width, double height, bool)
{
    if (!drawer)
        return;
    const CDDColor color = mbLocked ? CDDColor(0.1f, 0.1f, 0.3f, 0.6f) : CDDColor(0.0f, 0.0f, 1.0f, 0.8f);
    CDDPen pen;
    pen.SetWidth(mdWidth / drawer->GetResolution());
    if (mType == gtVertical)
        drawer->StrokeVerticalLine(mdPosition, y, y + height, &color, &pen);
    else
        drawer->StrokeHorizontalLine(x, x + width, mdPosition, &color, &pen);
}

int CFTLayoutGuideline::getCursorRectsByType(cursorType type, SRect *rects, bool, double handleSize)
{
    if (mbLocked || !rects)
        return 0;
    const double start = mdPosition - mdWidth / 2.0 - handleSize / 2.0;
    const double thickness = mdWidth + handleSize;
    if (type == cursorResizeHorizontal && mType == gtVertical) {
        rects[0] = SRect{start, -1e6, thickness, 2e6};
        return 1;
    }
    if (type == cursorResizeVertical && mType == gtHorizontal) {
        rects[0] = SRect{-1e6, start, 2e6, thickness};
        return 1;
    }
    return 0;
}

void CFTLayoutGuideline::StartOperation(operMode, const CFTACoreView *, int, int)
{
    mdStartPosition = mdPosition;
}

void CFTLayoutGuideline::EndOperation(operMode)
{
}

void CFTLayoutGuideline::Move(double dx, double dy, const CFTACoreView *)
{
    if (mbLocked)
        return;
    mdPosition += mType == gtVertical ? dx : dy;
}

void CFTLayoutGuideline::GetDrawRect(double *left, double *top, double *right, double *bottom, bool) const
{
    double l, t, r, b;
    if (mType == gtVertical) {
        l = mdPosition - mdWidth / 2.0;
        r = mdPosition + mdWidth / 2.0;
        t = -1e6;
        b = 1e6;
    } else {
        t = mdPosition - mdWidth / 2.0;
        b = mdPosition + mdWidth / 2.0;
        l = -1e6;
        r = 1e6;
    }
    if (r < 1.0)
        r = 1.0;
    if (b < 1.0)
        b = 1.0;
    if (left)
        *left = l;
    if (top)
        *top = t;
    if (right)
        *right = r;
    if (bottom)
        *bottom = b;
}

QRectF CFTLayoutGuideline::GetNSDrawRect(const QRectF &visible, double handleSize) const
{
    double l = 0.0, t = 0.0, r = 0.0, b = 0.0;
    GetDrawRect(&l, &t, &r, &b, false);
    if (mType == gtVertical) {
        return QRectF(float(l - mdWidth / 2.0 - handleSize / 2.0), float(visible.top()),
                      float(r - l + mdWidth + handleSize), float(visible.bottom()));
    }
    return QRectF(float(visible.left()), float(t - mdWidth / 2.0 - handleSize / 2.0), float(visible.right()),
                  float(b - t + mdWidth + handleSize));
}

bool CFTLayoutGuideline::Serialize(const CDDArchive &archive, std::vector<CFTLayoutGuideline *> *)
{
    if (archive.isStoring()) {
        archive.SetClassID(getClassID());
        archive.SetData(key_Origin, mdPosition);
        archive.SetData(key_Locked, mbLocked);
        archive.SetData(key_LayoutGuidelineType, int(mType));
        return true;
    }
    archive.GetData(key_Origin, &mdPosition, CDDRanges::kCoordinate);
    archive.GetData(key_Locked, &mbLocked);
    int type = int(mType);
    // Only the two orientations exist; anything else in a file leaves the guideline as it was.
    if (archive.GetData(key_LayoutGuidelineType, &type, CDDRanges::kGuidelineType))
        mType = guidelineType(type);
    return true;
}

CFTLayoutGuideline *CFTLayoutGuideline::SerializeFromArchive(const CDDArchive &archive,
                                                             std::vector<CFTLayoutGuideline *> *list)
{
    if (archive.isStoring() || !list)
        return nullptr;
    auto guideline = std::make_unique<CFTLayoutGuideline>();
    guideline->Serialize(archive, list);
    list->push_back(guideline.get());
    return guideline.release();
}
