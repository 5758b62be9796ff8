#pragma once

#include "kernel/component/CFTComponent.h"

// A horizontal or vertical line drawn with the separator tool, in the component's colour and its
// own line width. While it is dragged out its size follows the mouse freely; at the end of every
// operation it is squared to horizontal or vertical (equal extents count as horizontal) with a
// non-negative length. Its angle is never looked at.
class CFTSeparator : public CFTComponent
{
public:

    // The template is not used.
    explicit CFTSeparator(CFTComponent *templateComponent = nullptr);
    // With a template, the line takes its stroke colour and width.
    CFTSeparator(double x, double y, double width, double height, CFTComponent *templateComponent);
    ~CFTSeparator() override;

    compType getType() const override;
    classID getClassID() const override;
    CFTComponent *PickMe(double x, double y, bool &selected, double tolerance, actionType &action, int mode) override;
    int PickMyDot(double x, double y, double tolerance) override;
    int getCursorRectsByType(cursorType type, SRect *rects, bool enabled, double tolerance) override;
    void StartOperation(operMode mode, const CFTACoreView *view, int unused, int handle) override;
    void EndOperation(operMode mode) override;
    void MoveDot(int &handle, double dx, double dy, const CFTACoreView *view) override;
    void Draw(CDDDrawer *drawer, bool selected, const CFTComponentsInterface *components, bool flag1,
              bool flag2) override;
    void DrawSelection(CDDDrawer *drawer, const CFTACoreView *view) override;
    void GetDrawRect(double *left, double *top, double *right, double *bottom, bool selected) const override;
    QRectF GetNSDrawRect(bool grow, double handleSize) const override;
    float GetStrokeWidth() const override;
    bool IsStroked() override;
    // The line is the separator's outline: its colour is the one drawn, and saved as "Color".
    // So the line colour a user picks (panel, well or drop) is the colour the line takes, and a
    // saved design keeps its meaning.
    const CDDColor *GetStrokeColor() const override;
    void SetStrokeColor(const CDDColor *color) override;
    bool canStrok() const override;
    void SetLineWidth(double width) override;
    bool Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *list) override;

    bool isVert() const;
    bool isSizing() const { return mbIsSizing; }

private:
    // New lines take the outline colour and width of the template, when there is one.
    void takeStyle(const CFTComponent *templateComponent);
    CDDPen mLinePen;
    bool mbIsSizing = false;
};
