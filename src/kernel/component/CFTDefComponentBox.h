#pragma once

#include "kernel/component/CFTComponent.h"

// The attributes new shapes start with: fill (the inherited colour), whether they are filled and
// stroked, and the outline's colour and width. A prototype, never placed on a side; it saves
// only these keys.
class CFTDefComponentBox : public CFTComponent
{
public:
    CFTDefComponentBox();
    ~CFTDefComponentBox() override;

    // Outline opaque black, fill black at half opacity.
    void Init();

    const CDDColor *GetStrokeColor() const override;
    float GetStrokeWidth() const override;
    bool IsFilled() override;
    bool IsStroked() override;
    bool canFill() const override;
    bool canStrok() const override;
    void SetFilled(bool filled) override;
    void SetStroked(bool stroked) override;
    void SetFillColor(const CDDColor *color) override;
    void SetStrokeColor(const CDDColor *color) override;
    void SetLineWidth(double width) override;
    bool Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *list) override;

private:
    bool m_bIsFilled = true;
    bool m_bIsOutlined = false;
    CDDColor m_outlineColor;
    CDDPen m_outlinePen;
};
