#pragma once

#include "kernel/drawing/CFTPicture.h"

// The picture set as the background of a design: it covers the page, keeps a placing mode of its
// own (scaled to cover by default), is drawn without shadow, stroke or drop box, and a rotated
// background fills the box of its turned diagonal. A new image never changes its frame.
class CFTExtPicture : public CFTPicture
{
public:

    CFTExtPicture();
    explicit CFTExtPicture(const CDDPicture &picture);
    ~CFTExtPicture() override;

    classID getClassID() const override;
    void Draw(CDDDrawer *drawer, bool selected, const CFTComponentsInterface *components, bool flag1,
              bool flag2) override;
    void SetObjectData(std::shared_ptr<PWImage> image) override;
    void SetDataPlacing(placingMode mode) override;
    placingMode GetDataPlacing() override;
    bool Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *list) override;
    // Draws the background into the given frame; with flag set, a selection box around it.
    void DrawInPlace(double x, double y, double width, double height, CDDDrawer *drawer, bool flag,
                     const CFTACoreView *view) override;

private:
    placingMode mExtPlacingMode = pmCover;
};
