#pragma once

#include "kernel/drawing/CDDPicture.h"
#include "kernel/component/CFTComponent.h"

// The component that shows an image on a design: clip art, a photograph, a picture file or an
// internet picture, with an optional mask, a tint (the fill colour laid over the image), an
// opacity, flips, a placing mode with its tile scale and a crop. The crop lives in the picture
// value, in image units with the origin at the image's lower-left corner.
//
// Frame arithmetic that would divide by a zero image, crop or frame size is skipped, so no
// document ever receives a non-finite frame.
class CFTPicture : public CFTComponent
{
public:
    static constexpr float kDefaultTileScale = 7621.0f;

    CFTPicture();
    // Takes the picture (starting its download when it is an internet preview) and presets the
    // tint colour to half-transparent blue.
    explicit CFTPicture(const CDDPicture &picture);
    ~CFTPicture() override;

    compType getType() const override;
    classID getClassID() const override;
    void setDataRef(const CDDString &reference) override;
    CDDString getDataRef() const override;
    CFTComponent *PickMe(double x, double y, bool &selected, double tolerance, actionType &action, int mode) override;
    int PickMyDot(double x, double y, double tolerance) override;
    void MoveDot(int &handle, double dx, double dy, const CFTACoreView *view) override;
    void ModifyVectorForConstrain(int handle, double *dx, double *dy, int modifiers) override;
    void Draw(CDDDrawer *drawer, bool selected, const CFTComponentsInterface *components, bool flag1,
              bool flag2) override;
    void GetDrawRect(double *left, double *top, double *right, double *bottom, bool selected) const override;
    void MarkAsDropDestination(bool mark) override;
    bool IsFilled() override;
    bool canFill() const override;
    bool canSetImage() override;
    bool IsFlipX() const override;
    void setFlipX(bool flip) override;
    bool IsFlipY() const override;
    void setFlipY(bool flip) override;
    void SetFilled(bool filled) override;
    void SetFillColor(const CDDColor *color) override;
    void SetMasked(bool masked) override;
    bool IsMasked() override;
    bool canMasked() override;
    void setMask(const CDDPicture &mask) override;
    const CDDPicture *getMask() const override;
    float GetOpacity() override;
    void SetOpacity(float opacity) override;
    CDDString getURL() const override;
    CDDString getWebSiteURL() const override;
    void onDelete() override;
    std::shared_ptr<PWImage> GetObjectData() override;
    // The new image keeps the frame's area and takes its proportions (not when tiled).
    void SetObjectData(std::shared_ptr<PWImage> image) override;
    void SetDataPlacing(placingMode mode) override;
    placingMode GetDataPlacing() override;
    void SetTileScale(float scale) override;
    float GetTileScale() override;
    bool Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *list) override;
    bool isReplaceable() override;
    void flipReplaceable() override;

    bool hasSrcRect() const { return mPicture.hasSrcRect(); }
    float getSrcRectX() const { return mPicture.getSrcRectX(); }
    float getSrcRectY() const { return mPicture.getSrcRectY(); }
    float getSrcRectWidth() const { return mPicture.getSrcRectWidth(); }
    float getSrcRectHeight() const { return mPicture.getSrcRectHeight(); }
    double getImageSizeX() const { return mPicture.getImageSizeX(); }
    double getImageSizeY() const { return mPicture.getImageSizeY(); }
    // Crops to (x, y, width, height) of the image; unless tiled the frame follows so that the
    // image keeps its scale on the design and the kept part stays where it was.
    void setSrcRect(float x, float y, float width, float height);
    void clearSrcRect();
    // Puts a new image into the present frame, cropped centred to the frame's proportions.
    void setDataWithoutChangingBounds(std::shared_ptr<PWImage> image);

    CDDPicture &picture() { return mPicture; }
    const CDDPicture &picture() const { return mPicture; }
    bool isDropDestination() const { return mbDropDestination; }

protected:
    // The picture-level keys; false when a stored mask can be found nowhere (the keys after it
    // are then not read).
    bool serializePicture(const CDDArchive &archive, std::vector<CFTComponent *> *list);

    float mfOpacity = 1.0f;
    bool mbFlipX = false;
    bool mbFlipY = false;
    bool mbMasked = false;
    bool mbTinted = false;
    CDDPicture mPicture;
    CDDPicture mMask;
    placingMode mPlacingMode = pmStretched;
    float mfTileScale = kDefaultTileScale;
    bool mbReplaceable = false;
    bool mbDropDestination = false;
};
