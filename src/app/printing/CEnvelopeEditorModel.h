#pragma once

#include "app/printing/CTemplateEditorModel.h"

// The envelope editor without widgets: unit, orientation, envelope size and the optional address
// window given by its size and its distances from the bottom and left edges.
class CEnvelopeEditorModel : public CTemplateEditorModel
{
public:
    enum EnvelopeTag {
        WinWidthTag = 10,
        WinHeightTag = 11,
        WinBottomOffsetTag = 12,
        WinLeftOffsetTag = 13,
    };

    static double minimumSize(cardUnits units) { return units == cuMillimeters ? 3.81 : 0.15; }

    QList<int> tags() const override;
    std::optional<std::pair<double, double>> range(int tag) const override;

    bool hasWindow() const { return m_format.hasWindow(); }
    // Switches the window on or off; its measurements stay. A window field left holding a value
    // it refused goes back to the stored value when the window is switched off.
    void setWindowEnabled(bool on);

protected:
    void updateControls() override;
    void apply(int tag) override;
    void writeAll() override;
};
