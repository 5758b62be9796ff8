#pragma once

#include "kernel/component/CFTComponent.h"

// The component behind every basic shape: rectangles, triangles, polygons, ellipses and donuts,
// rounded rectangles, stars, arrows, a cross, a moon, a cloud, a callout, a wave, and the four
// straight lines (kinds 36 to 39). The kind (getType()) selects the outline; two shape
// parameters shape it: a curve radius (a fraction: corner rounding, hole size, depth) and a side
// count (sides of a polygon, points of a star, cut toward zero). Rotation and flips are applied
// by the drawer, never by the outline.
//
// The lines are segments, not rectangles: always stroked, never filled, with two handles on
// their ends, and picked, snapped and rubber-banded along their stroke. A diagonal whose flips
// differ is the other diagonal in every respect.
class CFTBoxField : public CFTComponent
{
public:
    // The platform's Shift bit in the modifiers handed to ModifyVectorForConstrain.

    // With a template (the document's default shape attributes) the shape takes its fill and
    // stroke; without one it is an unfilled rectangle with an opaque black outline.
    explicit CFTBoxField(CFTComponent *templateComponent = nullptr);
    CFTBoxField(double x, double y, double width, double height, CFTComponent *templateComponent);
    ~CFTBoxField() override;

    bool InitStyles(CFTComponent *templateComponent);

    int getXSnapArrayFrom(std::span<float> array) const override;
    int getYSnapArrayFrom(std::span<float> array) const override;
    int getXSnapArrayTo(std::span<float> array) const override;
    int getYSnapArrayTo(std::span<float> array) const override;
    float getMinSnapYFrom() const override;
    float getMaxSnapYFrom() const override;
    float getMinSnapXFrom() const override;
    float getMaxSnapXFrom() const override;

    compType getType() const override;
    classID getClassID() const override;
    // Sets the kind and its presets of curve radius and side count.
    void setType(compType type) override;
    CFTComponent *PickMe(double x, double y, bool &selected, double tolerance, actionType &action, int mode) override;
    int PickMyDot(double x, double y, double tolerance) override;
    int getCursorRectsByType(cursorType type, SRect *rects, bool enabled, double size) override;
    void StartOperation(operMode mode, const CFTACoreView *view, int unused, int handle) override;
    // Dragging a side across its opposite side mirrors the shape.
    void MoveDot(int &handle, double dx, double dy, const CFTACoreView *view) override;
    // With Shift, a diagonal line snaps to horizontal, vertical or 45 degrees, and a corner
    // handle of any other shape keeps the proportions the shape had at the start.
    void ModifyVectorForConstrain(int handle, double *dx, double *dy, int modifiers) override;
    void Draw(CDDDrawer *drawer, bool selected, const CFTComponentsInterface *components, bool flag1,
              bool flag2) override;
    void DrawSelection(CDDDrawer *drawer, const CFTACoreView *view) override;
    std::shared_ptr<PWBezierPath> GetPath(CDDDrawer *drawer) override;
    bool isIntersectRect(double x1, double y1, double x2, double y2) override;
    bool canRotate() const override;
    void GetDotCoord(int handle, double *x, double *y) override;
    void SetTextColor(const CDDColor *color) override;
    bool IsFilled() override;
    bool canFill() const override;
    bool IsStroked() override;
    bool canCurved() override;
    bool canChangeSideCount() override;
    double GetCurveRadius() override;
    void SetCurveRadius(double radius) override;
    double GetSideCount() override;
    void SetSideCount(double count) override;
    bool canSetShape() override;
    bool IsFlipX() const override;
    void setFlipX(bool flip) override;
    bool IsFlipY() const override;
    void setFlipY(bool flip) override;
    void SetFilled(bool filled) override;
    void SetFillColor(const CDDColor *color) override;
    bool Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *list) override;

    // The stroke test of the lines' rubber band.
    bool IsIntersectRect(double x1, double y1, double x2, double y2);
    // Kinds 36 to 39.
    bool isLine() const { return mType >= ctHorizontalLine && mType <= ctRightDiagonalLine; }
    // The line's two ends on the unrotated rectangle.
    void lineEnds(double *x1, double *y1, double *x2, double *y2) const;

private:
    // The diagonal the line behaves as: a flipped diagonal is the other one.
    compType effectiveLineKind() const;
    void snapArray(float *array, bool xAxis) const;

    bool mbFilled = false;
    bool mbFlipX = false;
    bool mbFlipY = false;
    double mdSideCount = 5.0;
    double mdCurveRadius = 0.5;
    compType mType = ctRect;
    double mdOperDotX = 0.0;
    double mdOperDotY = 0.0;
};
