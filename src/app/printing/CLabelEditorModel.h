#pragma once

#include "app/printing/CTemplateEditorModel.h"

#include <QSizeF>

// The label-sheet editor without widgets: page size, unit, orientation, label size and corner
// radius, columns and rows, margins and gaps, and the automatic placement that centres the
// labels on the page without gaps.
class CLabelEditorModel : public CTemplateEditorModel
{
public:
    enum LabelTag {
        CornerRadiusTag = 8,
        ColumnsTag = 10,
        RowsTag = 11,
        TopMarginTag = 12,
        LeftMarginTag = 13,
        HSpaceTag = 14,
        VSpaceTag = 15,
    };

    // The pages of the editor, upright, in points (as the preview draws them).
    static QSizeF pageSizeForItem(int item);
    // The smallest label: 0.15 inch, shown as 3.81 mm or 0.15 in.
    static double minimumSize(cardUnits units) { return units == cuMillimeters ? 3.81 : 0.15; }

    struct Placement
    {
        int columns = 1;
        int rows = 1;
        // Points.
        float top = 0.0f;
        float left = 0.0f;
    };
    // As many labels of w by h points as fit the page, at least one each way, centred, without
    // gaps; single-precision arithmetic.
    static Placement autoPlacement(const QSizeF &page, float w, float h);

    QList<int> tags() const override;
    std::optional<std::pair<double, double>> range(int tag) const override;

    // 0 A4, 1 Letter.
    int pageSizeItem() const { return m_pageSizeItem; }
    void setPageSizeItem(int item);
    bool isAuto() const { return m_auto; }
    // Turns automatic placement on or off. Turning it on is refused (and it stays off) while a
    // changed field does not commit.
    bool setAuto(bool on);

protected:
    void beginEdit() override { m_auto = false; }
    void updateControls() override;
    void apply(int tag) override;
    void writeAll() override;

private:
    // The largest corner radius, in the display unit.
    double halfSmallerSide() const;
    void limitCornerRadius();
    // Lays the labels out when automatic placement is on.
    void placeAuto();

    int m_pageSizeItem = 0;
    bool m_auto = false;
};
