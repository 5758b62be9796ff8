#pragma once

// The platform-free editing view as the components see it during a mouse operation and while
// they draw their handles: the size of a handle at the current zoom, whether a multiple
// selection is resized as a group, and the rectangle of that selection.
class CFTACoreView
{
public:
    CFTACoreView() = default;
    virtual ~CFTACoreView() = default;

    CFTACoreView(const CFTACoreView &) = delete;
    CFTACoreView &operator=(const CFTACoreView &) = delete;

    // Device pixels per design point; must be positive.
    void SetResolution(double resolution) { mdResolution = resolution; }
    double GetResolution() const { return mdResolution; }
    // A handle is 4.5 device pixels at every zoom.
    double getDotSize() const { return 4.5 / mdResolution; }

    bool isSmartSelectionMode() const { return mbSmartSelectionMode; }
    void setSmartSelectionMode(bool smart) { mbSmartSelectionMode = smart; }

    // x, y, width and height of the current selection; any pointer may be null.
    void getSelObjectsRect(double *x, double *y, double *width, double *height) const;
    void setSelObjectsRect(double x, double y, double width, double height);

private:
    double mdResolution = 1.0;
    bool mbSmartSelectionMode = false;
    double mdSelX = 0.0;
    double mdSelY = 0.0;
    double mdSelWidth = 0.0;
    double mdSelHeight = 0.0;
};
