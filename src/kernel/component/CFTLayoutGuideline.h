#pragma once

#include "kernel/component/CFTSnapObject.h"
#include "kernel/base/FTClassID.h"
#include "kernel/base/FTComponentTypes.h"

#include <QRectF>

#include <cstdint>
#include <vector>

class CDDArchive;
class CDDDrawer;
class CFTACoreView;

// The orientation of a layout guideline.
enum guidelineType : std::int32_t {
    gtVertical = 0,      // a line at an x position
    gtHorizontal = 1,    // a line at a y position
};

// A user-placed horizontal or vertical line across a side that objects snap to. Not a
// component: it lives in a side's guideline list of the core document. A locked guideline can
// be neither picked nor moved. Positions are design points; a new guideline sits on a whole
// point, a dragged one wherever the drag leaves it.
class CFTLayoutGuideline : public CFTSnapObject
{
public:
    CFTLayoutGuideline();
    // The position is cut toward zero to a whole point (12.7 gives 12, -3.5 gives -3).
    CFTLayoutGuideline(guidelineType type, double position);
    ~CFTLayoutGuideline() override;

    int getXSnapArrayFrom(std::span<float> array) const override;
    int getYSnapArrayFrom(std::span<float> array) const override;
    int getXSnapArrayTo(std::span<float> array) const override;
    int getYSnapArrayTo(std::span<float> array) const override;
    // The axis a line does not cross answers the empty span 1e6 to -1e6.
    float getMinSnapYTo() const override;
    float getMaxSnapYTo() const override;
    float getMinSnapXTo() const override;
    float getMaxSnapXTo() const override;
    float getMinSnapYFrom() const override;
    float getMaxSnapYFrom() const override;
    float getMinSnapXFrom() const override;
    float getMaxSnapXFrom() const override;

    virtual classID getClassID() const;
    virtual void Lock();
    virtual void Unlock();
    virtual bool isLocked() const;
    // The name of the context menu the application shows; empty for none.
    virtual QString getContextMenu() const;
    // This guideline when the point lies within tolerance of the line and it is not locked.
    virtual CFTLayoutGuideline *PickMe(double x, double y, bool &selected, double tolerance, actionType &action,
                                       int mode);
    // Strokes the line across the visible rectangle (x, y, width, height), as thick in device
    // pixels at every zoom.
    virtual void Draw(CDDDrawer *drawer, double x, double y, double width, double height, bool flag);
    virtual int getCursorRectsByType(cursorType type, SRect *rects, bool enabled, double handleSize);
    virtual void StartOperation(operMode mode, const CFTACoreView *view, int unused1, int unused2);
    virtual void EndOperation(operMode mode);
    virtual void Move(double dx, double dy, const CFTACoreView *view);
    virtual void GetDrawRect(double *left, double *top, double *right, double *bottom, bool selected) const;
    // Stores or loads the guideline's keys; always true.
    virtual bool Serialize(const CDDArchive &archive, std::vector<CFTLayoutGuideline *> *list);

    guidelineType getType() const { return mType; }
    double getOrigin() const { return mdPosition; }
    double getWidth() const { return mdWidth; }
    // The rectangle to redraw when the guideline changes, within the visible rectangle.
    QRectF GetNSDrawRect(const QRectF &visible, double handleSize) const;

    // A guideline loaded from the archive and appended to list (which then owns it); null for a
    // storing archive or a null list.
    static CFTLayoutGuideline *SerializeFromArchive(const CDDArchive &archive, std::vector<CFTLayoutGuideline *> *list);

private:
    guidelineType mType = gtHorizontal;
    double mdPosition = 0.0;
    double mdStartPosition = 0.0;
    double mdWidth = 1.0;
    bool mbXSnapping = true;
    bool mbYSnapping = true;
    bool mbLocked = false;
};
