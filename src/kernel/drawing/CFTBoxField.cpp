// The shape component's kinds, presets, outlines, drawing, snapping and archive. Picking,
// handles and dragging are in CFTBoxFieldInteraction.cpp.

#include "kernel/drawing/CFTBoxField.h"

#include "kernel/foundation/CDDDrawer.h"
#include "kernel/foundation/CDDArchive.h"
#include "kernel/foundation/CDDArchiveKeys.h"
#include "platform/PWBezierPath.h"

#include <algorithm>
#include <cmath>

namespace {

// Outlines are built point by point: a side count read from a file must not make that endless.
constexpr int kMaxSideCount = 1000;

} // namespace

CFTBoxField::CFTBoxField(CFTComponent *templateComponent)
{
    InitStyles(templateComponent);
}

CFTBoxField::CFTBoxField(double x, double y, double width, double height, CFTComponent *templateComponent)
    : CFTComponent(x, y, width, height)
{
    InitStyles(templateComponent);
}

CFTBoxField::~CFTBoxField() = default;

bool CFTBoxField::InitStyles(CFTComponent *templateComponent)
{
    if (templateComponent) {
        mbFilled = templateComponent->IsFilled();
        mbHasOutline = templateComponent->IsStroked();
        if (const CDDColor *stroke = templateComponent->GetStrokeColor())
            mOutlineColor = *stroke;
        if (const CDDColor *fill = templateComponent->GetFillColor())
            mColor = *fill;
        mOutlinePen.SetWidth(templateComponent->GetStrokeWidth());
    } else {
        mbFilled = false;
        mbHasOutline = true;
        mOutlineColor = CDDColor(0.0f, 0.0f, 0.0f, 1.0f);
    }
    mType = ctRect;
    mbFlipX = false;
    mbFlipY = false;
    SetCurveRadius(0.5);
    SetSideCount(5.0);
    return true;
}

compType CFTBoxField::getType() const
{
    return mType;
}

int CFTBoxField::getClassID() const
{
    return kClassID;
}

void CFTBoxField::setType(compType type)
{
    mType = type;
    switch (type) {
    case ctPolygon:
    case ctDiamond:
    case ctPentagon:
        SetCurveRadius(0.0);
        SetSideCount(type == ctPolygon ? 6.0 : type == ctDiamond ? 4.0 : 5.0);
        break;
    case ctCircle:
        SetCurveRadius(0.0);
        break;
    case ctRoundedRect:
    case ctDonut:
    case ctTrapezoid:
    case ctMoon:
        SetCurveRadius(0.5);
        break;
    case ctSquashedRect:
        SetCurveRadius(1.0);
        break;
    case ctStar5:
    case ctStar8:
    case ctStar32:
        SetCurveRadius(0.5);
        SetSideCount(type == ctStar5 ? 5.0 : type == ctStar8 ? 8.0 : 32.0);
        break;
    default:
        SetCurveRadius(0.5);
        SetSideCount(5.0);
        break;
    }
    InvalidateShadow();
}

// --- Outline and drawing ------------------------------------------------------------------------

std::shared_ptr<PWBezierPath> CFTBoxField::GetPath(CDDDrawer *)
{
    const double x = mdOriginX, y = mdOriginY, w = mdSizeX, h = mdSizeY, r = mdCurveRadius;
    const int n = int(std::clamp(std::trunc(mdSideCount), 0.0, double(kMaxSideCount)));
    PWBezierPath path;
    switch (mType) {
    case ctRectTriangleLeft: path = CDDDrawer::PathTriangle(x, y, w, h, 0, 1); break;
    case ctRectTriangleRight: path = CDDDrawer::PathTriangle(x, y, w, h, 3, 1); break;
    case ctRectTriangleUp: path = CDDDrawer::PathTriangle(x, y, w, h, 2, 1); break;
    case ctRectTriangleDown: path = CDDDrawer::PathTriangle(x, y, w, h, 1, 1); break;
    case ctTriangleLeft: path = CDDDrawer::PathTriangle(x, y, w, h, 2, 0); break;
    case ctTriangleRight: path = CDDDrawer::PathTriangle(x, y, w, h, 3, 0); break;
    case ctTriangleUp: path = CDDDrawer::PathTriangle(x, y, w, h, 0, 0); break;
    case ctTriangleDown: path = CDDDrawer::PathTriangle(x, y, w, h, 1, 0); break;
    case ctPolygon:
    case ctDiamond:
    case ctPentagon: path = CDDDrawer::PathPolygon(x, y, w, h, r, n); break;
    case ctCircle:
    case ctDonut: path = CDDDrawer::PathCircle(x, y, w, h, r); break;
    case ctHexagon: path = CDDDrawer::PathHexagon(x, y, w, h); break;
    case ctOctagon: path = CDDDrawer::PathOctagon(x, y, w, h); break;
    case ctRoundedRect:
    case ctSquashedRect: path = CDDDrawer::PathRoundedRectangle(x, y, w, h, r); break;
    case ctCross: path = CDDDrawer::PathCross(x, y, w, h); break;
    case ctArrow: path = CDDDrawer::PathArrow(x, y, w, h); break;
    case ctTwoWayArrow: path = CDDDrawer::PathTwoWayArrow(x, y, w, h); break;
    case ctTrapezoid: path = CDDDrawer::PathTrapezoid(x, y, w, h, r); break;
    case ctMoon: path = CDDDrawer::PathMoon(x, y, w, h, r); break;
    case ctStar5:
    case ctStar8:
    case ctStar32: path = CDDDrawer::PathStar(x, y, w, h, r, n); break;
    case ctCloud: path = CDDDrawer::PathCloud(x, y, w, h); break;
    case ctCallout: path = CDDDrawer::PathCallout(x, y, w, h); break;
    case ctWave: path = CDDDrawer::PathWave(x, y, w, h); break;
    case ctLeftDiagonalLine:
    case ctRightDiagonalLine: path = CDDDrawer::PathLine(x, y, w, h); break;
    default: path = CDDDrawer::PathRect(x, y, w, h); break;
    }
    return std::make_shared<PWBezierPath>(std::move(path));
}

void CFTBoxField::Draw(CDDDrawer *drawer, bool, const CFTComponentsInterface *components, bool, bool)
{
    if (!drawer)
        return;
    if (mbHasShadow && !drawer->IsDrawingToShadow())
        mShadow.draw(this, drawer, components);

    if (isLine()) {
        if (IsStroked())
            drawer->DrawSeparator(mdOriginX, mdOriginY, mdSizeX, mdSizeY, mdAngle, mType - ctHorizontalLine,
                                  &mOutlineColor, &mOutlinePen, mbFlipX, mbFlipY);
        return;
    }
    const std::shared_ptr<PWBezierPath> path = GetPath(drawer);
    if (!path)
        return;
    const bool stroked = IsStroked();
    drawer->StrokeAndFillFigure(path.get(), mdOriginX, mdOriginY, mdSizeX, mdSizeY, mdAngle,
                                stroked ? &mOutlineColor : nullptr, stroked ? &mOutlinePen : nullptr,
                                IsFilled() ? &mColor : nullptr, mbFlipX, mbFlipY);
}

// --- Snapping -----------------------------------------------------------------------------------

void CFTBoxField::lineEnds(double *x1, double *y1, double *x2, double *y2) const
{
    const double x = mdOriginX, y = mdOriginY, w = mdSizeX, h = mdSizeY;
    double ax = x, ay = y, bx = x + w, by = y + h;
    switch (effectiveLineKind()) {
    case ctHorizontalLine:
        ay = by = y + h / 2.0;
        break;
    case ctVerticalLine:
        ax = bx = x + w / 2.0;
        break;
    case ctRightDiagonalLine:
        ax = x + w, ay = y, bx = x, by = y + h;
        break;
    default:
        break;
    }
    *x1 = ax, *y1 = ay, *x2 = bx, *y2 = by;
}

void CFTBoxField::snapArray(float *array, bool xAxis) const
{
    double x1, y1, x2, y2;
    lineEnds(&x1, &y1, &x2, &y2);
    if (mdAngle == 0.0) {
        array[0] = float(xAxis ? x1 : y1);
        array[1] = float(xAxis ? x2 : y2);
        return;
    }
    const double cx = centerX(), cy = centerY();
    rotatePoint(&x1, &y1, mdAngle, cx, cy);
    rotatePoint(&x2, &y2, mdAngle, cx, cy);
    const double a = xAxis ? x1 : y1;
    const double b = xAxis ? x2 : y2;
    array[0] = float(std::min(a, b));
    array[1] = float(std::max(a, b));
}

int CFTBoxField::getXSnapArrayFrom(float *array) const
{
    if (!isLine())
        return CFTComponent::getXSnapArrayFrom(array);
    if (!array)
        return 0;
    snapArray(array, true);
    return 2;
}

int CFTBoxField::getYSnapArrayFrom(float *array) const
{
    if (!isLine())
        return CFTComponent::getYSnapArrayFrom(array);
    if (!array)
        return 0;
    snapArray(array, false);
    return 2;
}

int CFTBoxField::getXSnapArrayTo(float *array) const
{
    return getXSnapArrayFrom(array);
}

int CFTBoxField::getYSnapArrayTo(float *array) const
{
    return getYSnapArrayFrom(array);
}

float CFTBoxField::getMinSnapYFrom() const
{
    if (mType != ctHorizontalLine && mType != ctVerticalLine)
        return CFTComponent::getMinSnapYFrom();
    float span[2];
    snapArray(span, false);
    return std::min(span[0], span[1]);
}

float CFTBoxField::getMaxSnapYFrom() const
{
    if (mType != ctHorizontalLine && mType != ctVerticalLine)
        return CFTComponent::getMaxSnapYFrom();
    float span[2];
    snapArray(span, false);
    return std::max(span[0], span[1]);
}

float CFTBoxField::getMinSnapXFrom() const
{
    if (mType != ctHorizontalLine && mType != ctVerticalLine)
        return CFTComponent::getMinSnapXFrom();
    float span[2];
    snapArray(span, true);
    return std::min(span[0], span[1]);
}

float CFTBoxField::getMaxSnapXFrom() const
{
    if (mType != ctHorizontalLine && mType != ctVerticalLine)
        return CFTComponent::getMaxSnapXFrom();
    float span[2];
    snapArray(span, true);
    return std::max(span[0], span[1]);
}

// --- Capabilities and attributes ----------------------------------------------------------------

bool CFTBoxField::canRotate() const
{
    return true;
}

void CFTBoxField::SetTextColor(const CDDColor *color)
{
    SetFillColor(color);
}

bool CFTBoxField::IsFilled()
{
    return mbFilled;
}

bool CFTBoxField::canFill() const
{
    return !isLine();
}

bool CFTBoxField::IsStroked()
{
    return isLine() || mbHasOutline;
}

bool CFTBoxField::canCurved()
{
    switch (mType) {
    case ctCircle:
    case ctRoundedRect:
    case ctSquashedRect:
    case ctDonut:
    case ctTrapezoid:
    case ctMoon:
    case ctStar5:
    case ctStar8:
    case ctStar32:
        return true;
    default:
        return false;
    }
}

bool CFTBoxField::canChangeSideCount()
{
    switch (mType) {
    case ctPolygon:
    case ctDiamond:
    case ctPentagon:
    case ctStar5:
    case ctStar8:
    case ctStar32:
        return true;
    default:
        return false;
    }
}

double CFTBoxField::GetCurveRadius()
{
    return mdCurveRadius;
}

void CFTBoxField::SetCurveRadius(double radius)
{
    mdCurveRadius = radius;
    mbIsLastPathValid = false;
    InvalidateShadow();
}

double CFTBoxField::GetSideCount()
{
    return mdSideCount;
}

void CFTBoxField::SetSideCount(double count)
{
    mdSideCount = count;
    mbIsLastPathValid = false;
    InvalidateShadow();
}

bool CFTBoxField::canSetShape()
{
    return true;
}

bool CFTBoxField::IsFlipX() const
{
    return mbFlipX;
}

void CFTBoxField::setFlipX(bool flip)
{
    mbFlipX = flip;
    mbIsLastPathValid = false;
}

bool CFTBoxField::IsFlipY() const
{
    return mbFlipY;
}

void CFTBoxField::setFlipY(bool flip)
{
    mbFlipY = flip;
    mbIsLastPathValid = false;
}

void CFTBoxField::SetFilled(bool filled)
{
    mbFilled = filled;
    InvalidateShadow();
}

void CFTBoxField::SetFillColor(const CDDColor *color)
{
    if (!color)
        return;
    CFTComponent::SetFillColor(color);
    mbFilled = true;
}

bool CFTBoxField::Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *list)
{
    CFTComponent::Serialize(archive, list);
    if (archive.isStoring()) {
        archive.SetData(key_FillBackground, mbFilled);
        archive.SetData(key_ComponentType, int(mType));
        archive.SetData(key_SideCount, mdSideCount);
        archive.SetData(key_CurveRadius, mdCurveRadius);
        archive.SetData(key_FlipX, mbFlipX);
        archive.SetData(key_FlipY, mbFlipY);
        return true;
    }
    // Loading takes the stored values as they stand: no presets are applied.
    archive.GetData(key_FillBackground, &mbFilled);
    int type = int(mType);
    if (archive.GetData(key_ComponentType, &type))
        mType = compType(type);
    archive.GetData(key_SideCount, &mdSideCount);
    archive.GetData(key_CurveRadius, &mdCurveRadius);
    archive.GetData(key_FlipX, &mbFlipX);
    archive.GetData(key_FlipY, &mbFlipY);
    mbIsLastPathValid = false;
    InvalidateShadow();
    return true;
}
