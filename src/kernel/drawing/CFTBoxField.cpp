// The shape component's kinds, presets, outlines, drawing, snapping and archive. Picking,
// handles and dragging are in CFTBoxFieldInteraction.cpp.

#include "kernel/drawing/CFTBoxField.h"
#include "kernel/drawing/CFTBoxFieldLines.h"

#include "kernel/render/CDDDrawer.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "platform/PWBezierPath.h"

#include <algorithm>
#include <cmath>

namespace {

// Outlines are built point by point: a side count read from a file must not make that endless.
constexpr int kMaxSideCount = int(CDDRanges::kSideCount.highest);

// The presets of a kind without presets of its own.
constexpr double kDefaultCurveRadius = 0.5;
constexpr double kDefaultSideCount = 5.0;
// A preset side count that leaves the shape's side count as it is.
constexpr double kKeepSideCount = -1.0;

// The outline of a kind in the rectangle (x, y, w, h) with curve radius r and side count n.
using Outline = PWBezierPath (*)(double x, double y, double w, double h, double r, int n);

template<int direction, int rightAngled>
PWBezierPath triangle(double x, double y, double w, double h, double, int)
{
    return CDDDrawer::PathTriangle(x, y, w, h, direction, rightAngled);
}

template<PWBezierPath (*Path)(double, double, double, double)>
PWBezierPath plain(double x, double y, double w, double h, double, int)
{
    return Path(x, y, w, h);
}

template<PWBezierPath (*Path)(double, double, double, double, double)>
PWBezierPath curved(double x, double y, double w, double h, double r, int)
{
    return Path(x, y, w, h, r);
}

template<PWBezierPath (*Path)(double, double, double, double, double, int)>
PWBezierPath sided(double x, double y, double w, double h, double r, int n)
{
    return Path(x, y, w, h, r, n);
}

// What a shape kind is: its outline, the curve radius and side count setType() presets, and
// whether the user may change either.
struct ShapeKind
{
    compType kind;
    Outline outline;
    double curveRadius;
    double sideCount; // kKeepSideCount: unchanged by setType()
    bool curveRadiusChangeable;
    bool sideCountChangeable;
};

// kR and kN: the default presets; kKeep: the side count stays.
using D = CDDDrawer;
constexpr double kR = kDefaultCurveRadius;
constexpr double kN = kDefaultSideCount;
constexpr double kKeep = kKeepSideCount;
constexpr ShapeKind kShapeKinds[] = {
    {ctRectTriangleLeft, triangle<0, 1>, kR, kN, false, false},
    {ctRectTriangleRight, triangle<3, 1>, kR, kN, false, false},
    {ctRectTriangleUp, triangle<2, 1>, kR, kN, false, false},
    {ctRectTriangleDown, triangle<1, 1>, kR, kN, false, false},
    {ctTriangleLeft, triangle<2, 0>, kR, kN, false, false},
    {ctTriangleRight, triangle<3, 0>, kR, kN, false, false},
    {ctTriangleUp, triangle<0, 0>, kR, kN, false, false},
    {ctTriangleDown, triangle<1, 0>, kR, kN, false, false},
    {ctPolygon, sided<D::PathPolygon>, 0.0, 6.0, false, true},
    {ctCircle, curved<D::PathCircle>, 0.0, kKeep, true, false},
    {ctDiamond, sided<D::PathPolygon>, 0.0, 4.0, false, true},
    {ctPentagon, sided<D::PathPolygon>, 0.0, 5.0, false, true},
    {ctHexagon, plain<D::PathHexagon>, kR, kN, false, false},
    {ctOctagon, plain<D::PathOctagon>, kR, kN, false, false},
    {ctRoundedRect, curved<D::PathRoundedRectangle>, 0.5, kKeep, true, false},
    {ctSquashedRect, curved<D::PathRoundedRectangle>, 1.0, kKeep, true, false},
    {ctCross, plain<D::PathCross>, kR, kN, false, false},
    {ctArrow, plain<D::PathArrow>, kR, kN, false, false},
    {ctTwoWayArrow, plain<D::PathTwoWayArrow>, kR, kN, false, false},
    {ctDonut, curved<D::PathCircle>, 0.5, kKeep, true, false},
    {ctTrapezoid, curved<D::PathTrapezoid>, 0.5, kKeep, true, false},
    {ctMoon, curved<D::PathMoon>, 0.5, kKeep, true, false},
    {ctStar5, sided<D::PathStar>, 0.5, 5.0, true, true},
    {ctStar8, sided<D::PathStar>, 0.5, 8.0, true, true},
    {ctStar32, sided<D::PathStar>, 0.5, 32.0, true, true},
    {ctCloud, plain<D::PathCloud>, kR, kN, false, false},
    {ctCallout, plain<D::PathCallout>, kR, kN, false, false},
    {ctWave, plain<D::PathWave>, kR, kN, false, false},
    {ctLeftDiagonalLine, plain<D::PathLine>, kR, kN, false, false},
    {ctRightDiagonalLine, plain<D::PathLine>, kR, kN, false, false},
};

// Every other kind, the rectangle and the horizontal and vertical lines among them.
constexpr ShapeKind kOtherShapeKind = {ctRect, plain<D::PathRect>, kR, kN, false, false};

const ShapeKind &shapeKind(compType kind)
{
    for (const ShapeKind &row : kShapeKinds) {
        if (row.kind == kind)
            return row;
    }
    return kOtherShapeKind;
}

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
    SetCurveRadius(kDefaultCurveRadius);
    SetSideCount(kDefaultSideCount);
    return true;
}

compType CFTBoxField::getType() const
{
    return mType;
}

classID CFTBoxField::getClassID() const
{
    return ciShape;
}

void CFTBoxField::setType(compType type)
{
    mType = type;
    const ShapeKind &kind = shapeKind(type);
    SetCurveRadius(kind.curveRadius);
    if (kind.sideCount != kKeepSideCount)
        SetSideCount(kind.sideCount);
    InvalidateShadow();
}

// --- Outline and drawing ------------------------------------------------------------------------

std::shared_ptr<PWBezierPath> CFTBoxField::GetPath(CDDDrawer *)
{
    const double x = mdOriginX, y = mdOriginY, w = mdSizeX, h = mdSizeY, r = mdCurveRadius;
    const int n = int(std::clamp(std::trunc(mdSideCount), 0.0, double(kMaxSideCount)));
    PWBezierPath path = shapeKind(mType).outline(x, y, w, h, r, n);
    return std::make_shared<PWBezierPath>(std::move(path));
}

void CFTBoxField::Draw(CDDDrawer *drawer, bool, const CFTComponentsInterface *components, bool, bool)
{
    if (!drawer)
        return;
    if (mbHasShadow && !drawer->IsDrawingToShadow())
        drawShadow(drawer, components);

    if (isLine()) {
        if (IsStroked())
            drawer->DrawSeparator(mdOriginX, mdOriginY, mdSizeX, mdSizeY, mdAngle, lineKindOf(mType).separatorDirection,
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
    const LineKind &line = lineKindOf(effectiveLineKind());
    *x1 = lineEndAt(line.x1, mdOriginX, mdSizeX);
    *y1 = lineEndAt(line.y1, mdOriginY, mdSizeY);
    *x2 = lineEndAt(line.x2, mdOriginX, mdSizeX);
    *y2 = lineEndAt(line.y2, mdOriginY, mdSizeY);
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

int CFTBoxField::getXSnapArrayFrom(std::span<float> array) const
{
    if (!isLine())
        return CFTComponent::getXSnapArrayFrom(array);
    if (array.size() < 2)
        return array.empty() ? 2 : 0;
    snapArray(array.data(), true);
    return 2;
}

int CFTBoxField::getYSnapArrayFrom(std::span<float> array) const
{
    if (!isLine())
        return CFTComponent::getYSnapArrayFrom(array);
    if (array.size() < 2)
        return array.empty() ? 2 : 0;
    snapArray(array.data(), false);
    return 2;
}

int CFTBoxField::getXSnapArrayTo(std::span<float> array) const
{
    return getXSnapArrayFrom(array);
}

int CFTBoxField::getYSnapArrayTo(std::span<float> array) const
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
    return shapeKind(mType).curveRadiusChangeable;
}

bool CFTBoxField::canChangeSideCount()
{
    return shapeKind(mType).sideCountChangeable;
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
    if (archive.GetData(key_ComponentType, &type, CDDRanges::kComponentType)) {
        // The stored kind only chooses among the outlines of a shape: the kind of another class
        // (an address panel's, a picture's) makes no shape anything else, and would lead whoever
        // asks the kind to take it for one. It is drawn as such a kind always was, a rectangle.
        if (type == ctRect || (type >= ctRectTriangleLeft && type <= ctRightDiagonalLine))
            mType = compType(type);
        else
            archive.noteKept(key_ComponentType,
                             QStringLiteral("\"%1\" of a component of class \"%2\" is %3, the kind of another class "
                                            "of component: it is drawn as a rectangle, and the kind is kept for the "
                                            "next save")
                                 .arg(key_ComponentType, classStringKeys.at(ciShape))
                                 .arg(type));
    }
    archive.GetData(key_SideCount, &mdSideCount, CDDRanges::kSideCount);
    archive.GetData(key_CurveRadius, &mdCurveRadius, CDDRanges::kCurveRadius);
    archive.GetData(key_FlipX, &mbFlipX);
    archive.GetData(key_FlipY, &mbFlipY);
    mbIsLastPathValid = false;
    InvalidateShadow();
    return true;
}
