#include "kernel/drawing/CFTExtPicture.h"

#include "kernel/render/CDDDrawer.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"

CFTExtPicture::CFTExtPicture() = default;

CFTExtPicture::CFTExtPicture(const CDDPicture &picture)
    : CFTPicture(picture)
{
}

CFTExtPicture::~CFTExtPicture() = default;

classID CFTExtPicture::getClassID() const
{
    return ciBackgroundPicture;
}

void CFTExtPicture::Draw(CDDDrawer *drawer, bool selected, const CFTComponentsInterface *, bool, bool)
{
    DrawInPlace(mdOriginX, mdOriginY, mdSizeX, mdSizeY, drawer, selected, nullptr);
}

void CFTExtPicture::DrawInPlace(double x, double y, double width, double height, CDDDrawer *drawer, bool flag,
                                const CFTACoreView *)
{
    if (!drawer)
        return;
    mPicture.draw(x, y, width, height, IsMasked(), &mMask, IsFilled(), &mColor, mfOpacity, drawer, mExtPlacingMode,
                  GetAngle(), mbFlipX, mbFlipY, true, mfTileScale, nullptr, nullptr);
    if (flag)
        drawer->DrawSelectionBox(x, y, width, height, 0.0);
    CFTComponent::Draw(drawer, false, nullptr, false, false);
}

void CFTExtPicture::SetObjectData(std::shared_ptr<PWImage> image)
{
    mPicture.setData(std::move(image));
}

void CFTExtPicture::SetDataPlacing(placingMode mode)
{
    mExtPlacingMode = mode;
    mPicture.updateCash();
}

placingMode CFTExtPicture::GetDataPlacing()
{
    return mExtPlacingMode;
}

bool CFTExtPicture::Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *list)
{
    CFTPicture::Serialize(archive, list);
    if (archive.isStoring()) {
        archive.SetData(key_PlaceMode, int(mExtPlacingMode));
    } else {
        int mode = mExtPlacingMode;
        if (archive.GetData(key_PlaceMode, &mode, CDDRanges::kPlacingMode))
            mExtPlacingMode = placingMode(mode);
    }
    return true;
}
