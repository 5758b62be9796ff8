// The component's fields, geometry setters, snapping, colours, shadow and wrap outline. Picking
// and the mouse operations live in CFTComponentInteraction.cpp, the archive keys and the
// creation from a class ID in CFTComponentSerialization.cpp, and the hooks that only text,
// address and picture components give a meaning in CFTComponentHooks.cpp.

#include "kernel/component/CFTComponent.h"

#include "kernel/base/CDDWrappingPath.h"
#include "kernel/render/CDDDrawer.h"
#include "platform/PWBezierPath.h"

#include <algorithm>

CFTComponent::CFTComponent() = default;

CFTComponent::CFTComponent(double originX, double originY, double sizeX, double sizeY)
    : mdOriginX(originX), mdOriginY(originY), mdSizeX(sizeX), mdSizeY(sizeY)
{
}

CFTComponent::~CFTComponent() = default;

void CFTComponent::rotatedCorners(double xs[4], double ys[4]) const
{
    xs[0] = mdOriginX;
    ys[0] = mdOriginY;
    xs[1] = mdOriginX + mdSizeX;
    ys[1] = mdOriginY;
    xs[2] = mdOriginX + mdSizeX;
    ys[2] = mdOriginY + mdSizeY;
    xs[3] = mdOriginX;
    ys[3] = mdOriginY + mdSizeY;
    if (mdAngle == 0.0)
        return;
    const double cx = centerX();
    const double cy = centerY();
    for (int i = 0; i < 4; ++i)
        rotatePoint(&xs[i], &ys[i], mdAngle, cx, cy);
}

// --- Snapping -----------------------------------------------------------------------------------

int CFTComponent::getXSnapArrayFrom(std::span<float> array) const
{
    if (array.size() < 2)
        return array.empty() ? 2 : 0;
    double xs[4], ys[4];
    rotatedCorners(xs, ys);
    array[0] = float(*std::min_element(xs, xs + 4));
    array[1] = float(*std::max_element(xs, xs + 4));
    return 2;
}

int CFTComponent::getYSnapArrayFrom(std::span<float> array) const
{
    if (array.size() < 2)
        return array.empty() ? 2 : 0;
    double xs[4], ys[4];
    rotatedCorners(xs, ys);
    array[0] = float(*std::min_element(ys, ys + 4));
    array[1] = float(*std::max_element(ys, ys + 4));
    return 2;
}

int CFTComponent::getXSnapArrayTo(std::span<float> array) const
{
    // The same extent as the From array, computed here rather than through the table, so that a
    // subclass changing only its From array does not change what others snap to.
    return CFTComponent::getXSnapArrayFrom(array);
}

int CFTComponent::getYSnapArrayTo(std::span<float> array) const
{
    return getYSnapArrayFrom(array);
}

float CFTComponent::getMinSnapYTo() const
{
    return getMinSnapYFrom();
}

float CFTComponent::getMaxSnapYTo() const
{
    return getMaxSnapYFrom();
}

float CFTComponent::getMinSnapXTo() const
{
    return getMinSnapXFrom();
}

float CFTComponent::getMaxSnapXTo() const
{
    return getMaxSnapXFrom();
}

float CFTComponent::getMinSnapYFrom() const
{
    return float(mdOriginY);
}

float CFTComponent::getMaxSnapYFrom() const
{
    return float(mdOriginY + mdSizeY);
}

float CFTComponent::getMinSnapXFrom() const
{
    return float(mdOriginX);
}

float CFTComponent::getMaxSnapXFrom() const
{
    return float(mdOriginX + mdSizeX);
}

// --- Identity -----------------------------------------------------------------------------------

compType CFTComponent::getType() const
{
    return ctAbstract;
}

classID CFTComponent::getClassID() const
{
    return ciComponent;
}

void CFTComponent::setType(compType)
{
}

void CFTComponent::setDataRef(const CDDString &)
{
}

CDDString CFTComponent::getDataRef() const
{
    return CDDString();
}

// --- Outlines -----------------------------------------------------------------------------------

std::vector<CFTComponent *> CFTComponent::getSelectedItems()
{
    return {};
}

bool CFTComponent::IsConvex()
{
    return true;
}

std::shared_ptr<PWBezierPath> CFTComponent::GetPath(CDDDrawer *)
{
    return std::make_shared<PWBezierPath>(CDDDrawer::PathRect(mdOriginX, mdOriginY, mdSizeX, mdSizeY));
}

CDDWrappingPath *CFTComponent::GetPathForTextWrap(CDDDrawer *drawer)
{
    if (!mbIsLastPathValid) {
        // The new outline is made before the old one goes, so a caller still holding the old
        // one during this call never sees it freed under it.
        auto path = std::make_unique<CDDWrappingPath>(GetPath(drawer), mTextWrapType, mdInset, mdAngle, IsFlipX(),
                                                      IsFlipY());
        mLastPath = std::move(path);
        mbIsLastPathValid = true;
    }
    return GetLastPath();
}

CDDWrappingPath *CFTComponent::GetLastPath()
{
    return mbIsLastPathValid ? mLastPath.get() : nullptr;
}

textWrap CFTComponent::GetWrapType()
{
    return mLastPath ? mLastPath->getWrapType() : mTextWrapType;
}

void CFTComponent::SetWrapType(textWrap type)
{
    mTextWrapType = type;
    if (mLastPath)
        mLastPath->setWrapType(type);
}

void CFTComponent::SetWrapInset(double inset)
{
    mdInset = inset;
    mbIsLastPathValid = false;
}

// --- Geometry -----------------------------------------------------------------------------------

void CFTComponent::updateFontSizeWithKoeff(double)
{
}

bool CFTComponent::updatePositionToFitSize(double, double, bool)
{
    return false;
}

void CFTComponent::SetOrigin(double x, double y)
{
    mdOriginX = x;
    mdOriginY = y;
    mbIsLastPathValid = false;
}

double CFTComponent::GetOriginX() const
{
    return mdOriginX;
}

double CFTComponent::GetOriginY() const
{
    return mdOriginY;
}

double CFTComponent::GetEditingOriginX() const
{
    return GetOriginX();
}

double CFTComponent::GetEditingOriginY() const
{
    return GetOriginY();
}

void CFTComponent::SetSize(double width, double height)
{
    mdSizeX = width;
    mdSizeY = height;
    mbIsLastPathValid = false;
}

double CFTComponent::GetSizeX() const
{
    return mdSizeX;
}

double CFTComponent::GetSizeY() const
{
    return mdSizeY;
}

double CFTComponent::GetEditingSizeX() const
{
    return GetSizeX();
}

double CFTComponent::GetEditingSizeY() const
{
    return GetSizeY();
}

double CFTComponent::GetAngle() const
{
    return mdAngle;
}

void CFTComponent::SetAngle(double angle)
{
    mdAngle = angle;
    mbIsLastPathValid = false;
}

bool CFTComponent::canRotate() const
{
    return true;
}

QRectF CFTComponent::GetNSLastRect() const
{
    return QRectF(float(mdLastOriginX), float(mdLastOriginY), float(mdLastSizeX), float(mdLastSizeY));
}

QRectF CFTComponent::GetNSBoundRect() const
{
    return QRectF(float(mdOriginX), float(mdOriginY), float(mdSizeX), float(mdSizeY));
}

bool CFTComponent::comparePositionByX(const CFTComponent *first, const CFTComponent *second)
{
    return first->GetOriginX() < second->GetOriginX();
}

bool CFTComponent::comparePositionByY(const CFTComponent *first, const CFTComponent *second)
{
    return first->GetOriginY() < second->GetOriginY();
}

// --- Colours and shape capabilities -------------------------------------------------------------

const CDDColor *CFTComponent::GetFillColor() const
{
    return &mColor;
}

const CDDColor *CFTComponent::GetStrokeColor() const
{
    return &mOutlineColor;
}

const CDDColor *CFTComponent::GetTextColor() const
{
    return &mColor;
}

void CFTComponent::SetTextColor(const CDDColor *)
{
}

float CFTComponent::GetStrokeWidth() const
{
    return float(mOutlinePen.GetWidth());
}

void CFTComponent::MarkAsDropDestination(bool)
{
}

bool CFTComponent::IsFilled()
{
    return false;
}

bool CFTComponent::canFill() const
{
    return false;
}

bool CFTComponent::IsStroked()
{
    return mbHasOutline;
}

bool CFTComponent::canStrok() const
{
    return true;
}

bool CFTComponent::canSetImage()
{
    return false;
}

bool CFTComponent::canHighlighted()
{
    return false;
}

bool CFTComponent::canSetText()
{
    return false;
}

bool CFTComponent::canCurved()
{
    return false;
}

bool CFTComponent::canChangeSideCount()
{
    return false;
}

double CFTComponent::GetCurveRadius()
{
    return 0.0;
}

void CFTComponent::SetCurveRadius(double)
{
}

double CFTComponent::GetSideCount()
{
    return 0.0;
}

void CFTComponent::SetSideCount(double)
{
}

bool CFTComponent::canSetShape()
{
    return false;
}

bool CFTComponent::IsFlipX() const
{
    return false;
}

void CFTComponent::setFlipX(bool)
{
}

bool CFTComponent::IsFlipY() const
{
    return false;
}

void CFTComponent::setFlipY(bool)
{
}

void CFTComponent::SetFilled(bool)
{
}

void CFTComponent::SetStroked(bool stroked)
{
    mbHasOutline = stroked;
    InvalidateShadow();
}

void CFTComponent::SetFillColor(const CDDColor *color)
{
    if (color)
        mColor = *color;
}

void CFTComponent::SetStrokeColor(const CDDColor *color)
{
    if (!color)
        return;
    mOutlineColor = *color;
    mbHasOutline = true;
}

// --- Shadow -------------------------------------------------------------------------------------

bool CFTComponent::CanHaveShadow() const
{
    return true;
}

bool CFTComponent::HasShadow() const
{
    return mbHasShadow;
}

bool CFTComponent::IsShadowed() const
{
    return mbHasShadow;
}

void CFTComponent::SetHasShadow(bool shadow)
{
    mbHasShadow = shadow;
}

void CFTComponent::SetShadow(bool shadow)
{
    mbHasShadow = shadow;
}

void CFTComponent::SetDefaultShadow(bool shadow)
{
    mbHasShadow = shadow;
    SetShadowOffset(10.0, -10.0);
    const CDDColor black(0.0f, 0.0f, 0.0f, 0.8f);
    SetShadowColor(&black);
    SetShadowBlurRadius(10.0);
}

void CFTComponent::SetShadowOffset(double dx, double dy)
{
    mShadow.setShadowOffset(dx, dy);
}

void CFTComponent::SetShadowBlurRadius(double radius)
{
    mShadow.setShadowBlurRadius(radius);
}

void CFTComponent::SetShadowColor(const CDDColor *color)
{
    mShadow.setShadowColor(color);
}

double CFTComponent::GetShadowOffsetX() const
{
    return mShadow.getShadowOffsetX();
}

double CFTComponent::GetShadowOffsetY() const
{
    return mShadow.getShadowOffsetY();
}

double CFTComponent::GetShadowBlurRadius() const
{
    return mShadow.getShadowBlurRadius();
}

const CDDColor *CFTComponent::GetShadowColor() const
{
    return mShadow.getShadowColor();
}

void CFTComponent::InvalidateShadow()
{
    mShadow.InvalidateShadow();
}

// --- Appearance ---------------------------------------------------------------------------------

bool CFTComponent::IsHidden() const
{
    return false;
}

void CFTComponent::SetHaveBackColor(bool)
{
}

bool CFTComponent::GetHaveBackColor() const
{
    return false;
}

void CFTComponent::SetLineWidth(double width)
{
    mOutlinePen.SetWidth(width);
    mbHasOutline = true;
}

void CFTComponent::SetMasked(bool)
{
}

bool CFTComponent::IsMasked()
{
    return false;
}

bool CFTComponent::canMasked()
{
    return false;
}

void CFTComponent::setMask(const CDDPicture &)
{
}

const CDDPicture *CFTComponent::getMask() const
{
    return nullptr;
}

float CFTComponent::GetOpacity()
{
    return mColor.getOpacity();
}

void CFTComponent::SetOpacity(float opacity)
{
    mColor.setOpacity(opacity);
}

CDDString CFTComponent::getURL() const
{
    CDDString none;
    none.setData(nullptr);
    return none;
}

CDDString CFTComponent::getWebSiteURL() const
{
    return getURL();
}

// --- Snapshot and copy --------------------------------------------------------------------------

void CFTComponent::snapshotObject()
{
    _dSnapshotOriginX = mdOriginX;
    _dSnapshotOriginY = mdOriginY;
    _dSnapshotSizeX = mdSizeX;
    _dSnapshotSizeY = mdSizeY;
}

void CFTComponent::restoreObject()
{
    mdOriginX = _dSnapshotOriginX;
    mdOriginY = _dSnapshotOriginY;
    mdSizeX = _dSnapshotSizeX;
    mdSizeY = _dSnapshotSizeY;
    // The outline made for the snapshot's geometry no longer fits.
    mbIsLastPathValid = false;
}

void CFTComponent::Copy(const CFTComponent *other)
{
    if (!other || other == this)
        return;
    mdOriginX = other->GetOriginX();
    mdOriginY = other->GetOriginY();
    mdSizeX = other->GetSizeX();
    mdSizeY = other->GetSizeY();
    mdAngle = other->GetAngle();
    if (const CDDColor *fill = other->GetFillColor())
        mColor = *fill;
    mbIsLastPathValid = false;
}
