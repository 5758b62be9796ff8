#include "kernel/drawing/CFTPicture.h"

#include "kernel/render/CDDDrawer.h"
#include "kernel/drawing/CDDArchivePictures.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/base/FTGeometry.h"
#include "kernel/base/FTImageUtilities.h"
#include "platform/PWImage.h"
#include "platform/PWLog.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace {

const QString kFullSize = QStringLiteral("FULLSIZE_");

bool usable(double v)
{
    return std::isfinite(v) && v != 0.0;
}

// A name the file gives, as one line of a report can quote it.
QString quotedName(const QString &name)
{
    QString line = name.simplified();
    line.removeIf([](QChar c) { return c.category() == QChar::Other_Control; });
    return line.left(80);
}

} // namespace

CFTPicture::CFTPicture() = default;

CFTPicture::CFTPicture(const CDDPicture &picture)
{
    mPicture = picture;
    mColor.setRGBA(0.0f, 0.0f, 1.0f, 0.5f);
}

CFTPicture::~CFTPicture() = default;

compType CFTPicture::getType() const
{
    return ctPicture;
}

classID CFTPicture::getClassID() const
{
    return ciPicture;
}

void CFTPicture::setDataRef(const CDDString &reference)
{
    mPicture.setDataRef(reference);
}

CDDString CFTPicture::getDataRef() const
{
    return mPicture.getDataRef();
}

CFTComponent *CFTPicture::PickMe(double x, double y, bool &selected, double tolerance, actionType &action, int mode)
{
    double px = x, py = y;
    if (mdAngle != 0.0)
        rotatePoint(&px, &py, -mdAngle, centerX(), centerY());
    if (px > mdOriginX && px < mdOriginX + mdSizeX && py > mdOriginY && py < mdOriginY + mdSizeY) {
        action = actionNone;
        return this;
    }
    return CFTComponent::PickMe(px, py, selected, tolerance, action, mode);
}

int CFTPicture::PickMyDot(double x, double y, double tolerance)
{
    double px = x, py = y;
    if (mdAngle != 0.0)
        rotatePoint(&px, &py, -mdAngle, centerX(), centerY());
    return CFTComponent::PickMyDot(px, py, tolerance);
}

void CFTPicture::MoveDot(int &handle, double dx, double dy, const CFTACoreView *view)
{
    MoveDotTurnedAndMirrored(handle, dx, dy, view);
}

void CFTPicture::ModifyVectorForConstrain(int handle, double *dx, double *dy, int modifiers)
{
    if (!dx || !dy)
        return;
    if (mdAngle != 0.0)
        rotateVector(dx, dy, -mdAngle);
    const bool corner = dotCode::isCorner(handle);
    // A corner keeps the proportions unless Shift frees them; a flat frame has none to keep.
    if (corner && !(modifiers & modifierShift) && usable(mdLastSizeX) && usable(mdLastSizeY)) {
        const bool negate = handle == 7 || handle == 13;
        if (mdLastSizeX >= mdLastSizeY)
            *dy = (negate ? -1.0 : 1.0) * *dx * mdLastSizeY / mdLastSizeX;
        else
            *dx = (negate ? -1.0 : 1.0) * *dy * mdLastSizeX / mdLastSizeY;
    }
    if (mdAngle != 0.0)
        rotateVector(dx, dy, mdAngle);
}

void CFTPicture::Draw(CDDDrawer *drawer, bool, const CFTComponentsInterface *components, bool, bool)
{
    if (!drawer)
        return;
    if (mbHasShadow && !drawer->IsDrawingToShadow())
        drawShadow(drawer, components);
    mPicture.draw(mdOriginX, mdOriginY, mdSizeX, mdSizeY, IsMasked(), &mMask, IsFilled(), &mColor, mfOpacity, drawer,
                  mPlacingMode, GetAngle(), mbFlipX, mbFlipY, false, mfTileScale, mbHasOutline ? &mOutlineColor : nullptr,
                  mbHasOutline ? &mOutlinePen : nullptr);
    if (mbDropDestination)
        drawer->DrawSelectionDropBox(mdOriginX, mdOriginY, mdSizeX, mdSizeY, mdAngle);
}

void CFTPicture::GetDrawRect(double *left, double *top, double *right, double *bottom, bool selected) const
{
    double l = 0, t = 0, r = 0, b = 0;
    CFTComponent::GetDrawRect(&l, &t, &r, &b, false);
    if (mbHasShadow && !selected) {
        const double dx = mShadow.getShadowOffsetX();
        const double dy = mShadow.getShadowOffsetY();
        const double blur = mShadow.getShadowBlurRadius();
        if (dx < 0)
            l += dx - blur;
        else
            r += dx + blur;
        if (dy < 0)
            t += dy - blur;
        else
            b += dy + blur;
    }
    if (left)
        *left = l;
    if (top)
        *top = t;
    if (right)
        *right = r;
    if (bottom)
        *bottom = b;
}

void CFTPicture::MarkAsDropDestination(bool mark)
{
    mbDropDestination = mark;
}

bool CFTPicture::IsFilled()
{
    return mbTinted;
}

bool CFTPicture::canFill() const
{
    return true;
}

bool CFTPicture::canSetImage()
{
    return true;
}

bool CFTPicture::IsFlipX() const
{
    return mbFlipX;
}

void CFTPicture::setFlipX(bool flip)
{
    mbFlipX = flip;
}

bool CFTPicture::IsFlipY() const
{
    return mbFlipY;
}

void CFTPicture::setFlipY(bool flip)
{
    mbFlipY = flip;
}

void CFTPicture::SetFilled(bool filled)
{
    mbTinted = filled;
    InvalidateShadow();
}

void CFTPicture::SetFillColor(const CDDColor *color)
{
    CFTComponent::SetFillColor(color);
    SetFilled(true);
}

void CFTPicture::SetMasked(bool masked)
{
    mbMasked = masked;
    InvalidateShadow();
}

bool CFTPicture::IsMasked()
{
    return mbMasked;
}

bool CFTPicture::canMasked()
{
    return true;
}

void CFTPicture::setMask(const CDDPicture &mask)
{
    mMask = mask;
    SetMasked(true);
    InvalidateShadow();
}

const CDDPicture *CFTPicture::getMask() const
{
    return &mMask;
}

float CFTPicture::GetOpacity()
{
    return mfOpacity;
}

void CFTPicture::SetOpacity(float opacity)
{
    mfOpacity = opacity;
    InvalidateShadow();
}

CDDString CFTPicture::getURL() const
{
    return CDDString(mPicture.getURL());
}

CDDString CFTPicture::getWebSiteURL() const
{
    return CDDString(mPicture.getWebSiteURL());
}

void CFTPicture::onDelete()
{
    mPicture.onDelete();
}

std::shared_ptr<PWImage> CFTPicture::GetObjectData()
{
    return mPicture.getData();
}

void CFTPicture::SetObjectData(std::shared_ptr<PWImage> image)
{
    const double w = mdSizeX;
    const double h = mdSizeY;
    mPicture.setData(std::move(image));
    if (mPlacingMode != pmTiled && getImageSizeX() > 0.0 && getImageSizeY() > 0.0) {
        const double aspect = getImageSizeY() / getImageSizeX();
        const double newW = std::sqrt(w * h / aspect);
        const double newH = aspect * newW;
        if (std::isfinite(newW) && std::isfinite(newH)) {
            mdOriginX -= (newW - w) / 2.0;
            mdOriginY -= (newH - h) / 2.0;
            mdSizeX = newW;
            mdSizeY = newH;
        }
    }
    InvalidateShadow();
}

void CFTPicture::setDataWithoutChangingBounds(std::shared_ptr<PWImage> image)
{
    const double x = GetOriginX();
    const double y = GetOriginY();
    const double w = GetSizeX();
    const double h = GetSizeY();
    SetObjectData(std::move(image));
    const double iw = getImageSizeX();
    const double ih = getImageSizeY();
    if (iw > 0.0 && ih > 0.0 && w > 0.0 && h > 0.0) {
        if (iw / ih < w / h)
            setSrcRect(0.0f, float((ih - iw * h / w) / 2.0), float(iw), float(iw * h / w));
        else
            setSrcRect(float((iw - ih * w / h) / 2.0), 0.0f, float(ih * w / h), float(ih));
    }
    SetOrigin(x, y);
    SetSize(w, h);
}

void CFTPicture::setSrcRect(float sx, float sy, float sw, float sh)
{
    if (mPlacingMode != pmTiled) {
        double x = mdOriginX, y = mdOriginY, w = mdSizeX, h = mdSizeY;
        bool ok = false;
        if (!mPicture.hasSrcRect()) {
            const double iw = getImageSizeX();
            const double ih = getImageSizeY();
            if (iw > 0.0 && ih > 0.0) {
                x = x + (sx / iw) * w;
                y = y + ((ih - (sy + sh)) / ih) * h;
                w = sw * w / iw;
                h = sh * h / ih;
                ok = true;
            }
        } else {
            const float ox = mPicture.getSrcRectX();
            const float oy = mPicture.getSrcRectY();
            const float ow = mPicture.getSrcRectWidth();
            const float oh = mPicture.getSrcRectHeight();
            if (ow != 0.0f && oh != 0.0f) {
                x = x + float((sx - ox) / ow) * w;
                y = y - float(((sy - oy) + (sh - oh)) / oh) * h;
                w = sw * w / ow;
                h = sh * h / oh;
                ok = true;
            }
        }
        if (ok && std::isfinite(x) && std::isfinite(y) && std::isfinite(w) && std::isfinite(h)) {
            mdOriginX = x;
            mdOriginY = y;
            mdSizeX = w;
            mdSizeY = h;
        }
    }
    mPicture.setSrcRect(sx, sy, sw, sh);
    InvalidateShadow();
}

void CFTPicture::clearSrcRect()
{
    setSrcRect(0.0f, 0.0f, float(getImageSizeX()), float(getImageSizeY()));
    mPicture.clearSrcRect();
}

void CFTPicture::SetDataPlacing(placingMode mode)
{
    mPlacingMode = mode;
    mPicture.updateCash();
    InvalidateShadow();
}

placingMode CFTPicture::GetDataPlacing()
{
    return mPlacingMode;
}

void CFTPicture::SetTileScale(float scale)
{
    mfTileScale = scale;
    mPicture.updateCash();
    InvalidateShadow();
}

float CFTPicture::GetTileScale()
{
    return mfTileScale;
}

bool CFTPicture::isReplaceable()
{
    return mbReplaceable;
}

void CFTPicture::flipReplaceable()
{
    mbReplaceable = !mbReplaceable;
}

bool CFTPicture::Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *list)
{
    CFTComponent::Serialize(archive, list);
    return serializePicture(archive, list);
}

namespace {

// A picture or mask the file names by reference that no file holds (or that points outside the
// design's folder) prints as nothing: the job must hear of it. The reference itself stays in the
// file for the next save, where the file may be found again.
void notePictureNotFound(const CDDArchive &archive, const QString &key, const CDDString &reference,
                         const CDDPicture &picture, bool named)
{
    if (!named || picture.getData() || picture.keepsUnreadPart())
        return;
    if (!picture.getDataRef().isEmpty() && CDDPicture::getDataFromRef(picture.getDataRef()))
        return;
    archive.noteKept(key, QStringLiteral("The picture \"%1\" (\"%2\") could not be found: nothing is drawn in its "
                                         "place, and the name is kept for the next save")
                              .arg(quotedName(reference.getData()), key));
}

} // namespace

bool CFTPicture::serializePicture(const CDDArchive &archive, std::vector<CFTComponent *> *)
{
    if (archive.isStoring()) {
        archive.SetData(key_Opacity, mfOpacity);
        archive.SetData(key_Mask, mbMasked);
        archive.SetData(key_Tint, mbTinted);
        const CDDString ownRef = mPicture.getDataRef();
        archiveSetPicture(archive, key_Picture, mPicture);
        archive.SetData(key_DataRef, mPicture.getDataRef());
        mPicture.setDataRef(ownRef);
        archiveSetPicture(archive, key_MaskPicture, mMask);
        archive.SetData(key_MaskDataRef, mMask.getDataRef());
        archive.SetData(key_PlaceMode, int(mPlacingMode));
        archive.SetData(key_TileScale, mfTileScale);
        archive.SetData(key_FlipX, mbFlipX);
        archive.SetData(key_FlipY, mbFlipY);
        archive.SetData(key_HasSrcRect, hasSrcRect());
        if (hasSrcRect()) {
            archive.SetData(key_SrcRectX, getSrcRectX());
            archive.SetData(key_SrcRectY, getSrcRectY());
            archive.SetData(key_SrcRectWidth, getSrcRectWidth());
            archive.SetData(key_SrcRectHeight, getSrcRectHeight());
        }
        archive.SetData(key_Replaceable, mbReplaceable);
        return true;
    }

    archive.GetData(key_Opacity, &mfOpacity, CDDRanges::kOpacity);
    archive.GetData(key_Mask, &mbMasked);
    archive.GetData(key_Tint, &mbTinted);
    const QString archivePath = archive.GetArchivePath().getData();
    CDDString dataRef;
    const bool hasDataRef = archive.GetData(key_DataRef, dataRef) && !dataRef.isEmpty();
    if (hasDataRef) {
        // A reference from a file names a file inside the document, never elsewhere.
        const QString path = CDDPicture::pathInsideFolder(archivePath, dataRef.getData());
        if (path.isEmpty())
            PWLog::message(lcPicture(), QStringLiteral("picture reference '%1' refused").arg(dataRef.getData()));
        else
            mPicture.setDataRef(CDDString(path));
    }
    archiveGetPicture(archive, key_Picture, mPicture);
    notePictureNotFound(archive, key_DataRef, dataRef, mPicture, hasDataRef);
    // A value stored that gives no picture and no name. A picture component that holds no picture
    // at all writes neither, and reads back as it was, without a word.
    if (!hasDataRef && !archive.value(key_Picture).isNull() && !mPicture.getData() && !mPicture.keepsUnreadPart())
        archive.noteKept(key_Picture, QStringLiteral("A picture holds no picture (\"%1\" is empty or missing): nothing "
                                                     "is drawn in its place")
                                          .arg(key_Picture));
    if (!hasDataRef && mPicture.getData()) {
        QString name = mPicture.getData()->name();
        if (name.startsWith(kFullSize))
            name = name.mid(kFullSize.size());
        if (!name.isEmpty())
            mPicture.setDataRef(CDDString(name));
    }
    if (!mPicture.getDataRef().isEmpty() && archive.GetPackageType() == ptPackage && !mPicture.prefetchData(nullptr))
        PWLog::debug(lcPicture(), QStringLiteral("error prefetching picture data for '%1'")
                                      .arg(mPicture.getDataRef().getData()));

    CDDString maskRef;
    const bool hasMaskRef = archive.GetData(key_MaskDataRef, maskRef) && !maskRef.isEmpty();
    if (hasMaskRef) {
        const QString path = CDDPicture::pathInsideFolder(archivePath, maskRef.getData());
        if (!path.isEmpty())
            mMask.setDataRef(CDDString(path));
    }
    if (!archiveGetPicture(archive, key_MaskPicture, mMask) && !mMask.getDataRef().isEmpty()) {
        std::shared_ptr<PWImage> image = CDDPicture::getDataFromRef(mMask.getDataRef());
        if (image) {
            image = image->copy();
            convertMaskImage(image.get());
            image->setName(maskRef.getData());
            mMask.setData(image);
        } else if (!mMask.keepsUnreadPart()) {
            // Drop the mask and read on: the placing mode, tile scale, flips and crop are
            // independent of it and would otherwise be lost. A mask the content library lacks, or
            // one stored in a form that does not read, stays as the file has it for the next
            // save; the picture is drawn without it.
            PWLog::message(lcPicture(), QStringLiteral("Corrupted Picture Mask: mask data not found. Will be ignored."));
            mbMasked = false;
            mMask.setData(nullptr);
        }
    }
    notePictureNotFound(archive, key_MaskDataRef, maskRef, mMask, hasMaskRef);
    if (!mMask.getDataRef().isEmpty() && archive.GetPackageType() == ptPackage && !mMask.prefetchData(&maskRef))
        PWLog::debug(lcPicture(), QStringLiteral("error prefetching picture mask data for '%1'")
                                      .arg(mMask.getDataRef().getData()));

    int mode = mPlacingMode;
    if (archive.GetData(key_PlaceMode, &mode, CDDRanges::kPlacingMode))
        mPlacingMode = placingMode(mode);
    float tileScale = 0.0f;
    // A refused scale is named with what takes its place, on the picture it belongs to.
    const QString pictureName =
        quotedName(QFileInfo(hasDataRef ? dataRef.getData() : mPicture.getDataRef().getData()).fileName());
    const QString tiledAs = pictureName.isEmpty()
                                ? QStringLiteral("the picture is tiled at its own size")
                                : QStringLiteral("the picture \"%1\" is tiled at its own size").arg(pictureName);
    if (archive.GetData(key_TileScale, &tileScale, CDDRanges::kTileScale, tiledAs)) {
        mfTileScale = tileScale;
    } else {
        // Missing (or unusable): one tile the size of the image.
        const float area = float(getImageSizeX()) * float(getImageSizeY());
        mfTileScale = area < 1.0f ? 1.0f : area;
    }
    archive.GetData(key_FlipX, &mbFlipX);
    archive.GetData(key_FlipY, &mbFlipY);
    bool hasCrop = false;
    archive.GetData(key_HasSrcRect, &hasCrop);
    if (hasCrop) {
        const QString keys[4] = {key_SrcRectX, key_SrcRectY, key_SrcRectWidth, key_SrcRectHeight};
        double v[4] = {0.0, 0.0, 0.0, 0.0};
        bool whole = true;
        for (int i = 0; i < 4; ++i) {
            if (!archive.GetData(keys[i], &v[i], CDDRanges::kPictureCoordinate) && !archive.value(keys[i]).isNull())
                whole = false;
        }
        // A crop with a number kept out (named by the archive) is left out whole: the rest of it
        // would crop another part of the picture.
        if (whole)
            mPicture.setSrcRect(float(v[0]), float(v[1]), float(v[2]), float(v[3]));
    }
    archive.GetData(key_Replaceable, &mbReplaceable);
    return true;
}
