#include "app/printing/CLabelEditorModel.h"

#include "app/printing/CATemplatePreview.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kPlacementTags[] = {CLabelEditorModel::ColumnsTag,    CLabelEditorModel::RowsTag,
                                  CLabelEditorModel::TopMarginTag,  CLabelEditorModel::LeftMarginTag,
                                  CLabelEditorModel::HSpaceTag,     CLabelEditorModel::VSpaceTag};

// The most a sheet could ever hold one way.
constexpr int kMaximumCount = 999;

} // namespace

QSizeF CLabelEditorModel::pageSizeForItem(int item)
{
    return item == 0 ? QSizeF(CATemplatePreview::kOtherWidth, CATemplatePreview::kOtherHeight)
                     : QSizeF(CATemplatePreview::kLetterWidth, CATemplatePreview::kLetterHeight);
}

CLabelEditorModel::Placement CLabelEditorModel::autoPlacement(const QSizeF &page, float w, float h)
{
    const float pageWidth = float(page.width());
    const float pageHeight = float(page.height());
    Placement placement;
    if (w <= 0.0f || h <= 0.0f)
        return placement;
    placement.columns = std::max(1, int(std::min(pageWidth / w, float(kMaximumCount))));
    placement.rows = std::max(1, int(std::min(pageHeight / h, float(kMaximumCount))));
    placement.top = std::max(0.0f, (pageHeight - float(placement.rows) * h) / 2.0f);
    placement.left = std::max(0.0f, (pageWidth - float(placement.columns) * w) / 2.0f);
    return placement;
}

QList<int> CLabelEditorModel::tags() const
{
    return {NameTag, DescriptionTag, WidthTag, HeightTag, CornerRadiusTag, ColumnsTag, RowsTag,
            TopMarginTag, LeftMarginTag, HSpaceTag, VSpaceTag};
}

std::optional<std::pair<double, double>> CLabelEditorModel::range(int tag) const
{
    switch (tag) {
    case WidthTag:
    case HeightTag:
        return std::make_pair(minimumSize(units()), longestLength());
    case CornerRadiusTag:
        return std::make_pair(0.0, halfSmallerSide());
    case ColumnsTag:
    case RowsTag:
        return std::make_pair(1.0, double(kMaximumCount));
    default:
        return CTemplateEditorModel::range(tag);
    }
}

void CLabelEditorModel::updateControls()
{
    showText(NameTag, m_format.ID());
    showText(DescriptionTag, m_format.Description());
    m_pageSizeItem = CATemplatePreview::isLetterPageSize(m_format.PageSize()) ? 1 : 0;
    showLength(CornerRadiusTag, m_format.getCornerRadius());
    setEnabled(CornerRadiusTag, true);
    showLength(WidthTag, m_format.ItemWidth());
    showLength(HeightTag, m_format.ItemHeight());
    if (!m_auto) {
        const auto showCount = [this](int tag, int count) {
            showText(tag, count != 0 ? QString::number(count) : QString());
            setEnabled(tag, count != 0);
        };
        showCount(ColumnsTag, m_format.Columns());
        showCount(RowsTag, m_format.Rows());
        showLength(TopMarginTag, m_format.getTopMargin());
        showLength(LeftMarginTag, m_format.getLeftMargin());
        showLength(HSpaceTag, m_format.getHSpace());
        showLength(VSpaceTag, m_format.getVSpace());
    } else {
        // The placement fields keep their values; shown again in the new unit.
        for (int tag : {TopMarginTag, LeftMarginTag, HSpaceTag, VSpaceTag})
            showLength(tag, lengthValue(tag));
    }
    // Applying the width limits the corner radius and places the labels again.
    apply(WidthTag);
}

void CLabelEditorModel::apply(int tag)
{
    switch (tag) {
    case NameTag:
        m_format.setID(text(tag));
        break;
    case DescriptionTag:
        m_format.setDescription(text(tag));
        break;
    case WidthTag:
    case HeightTag:
        if (tag == WidthTag)
            m_format.setItemWidth(float(lengthValue(tag)));
        else
            m_format.setItemHeight(float(lengthValue(tag)));
        limitCornerRadius();
        placeAuto();
        break;
    case CornerRadiusTag:
        m_format.setCornerRadius(float(lengthValue(tag)));
        break;
    case ColumnsTag:
        if (m_format.Columns() != 0)
            m_format.setColumns(int(displayValue(tag)));
        break;
    case RowsTag:
        if (m_format.Rows() != 0)
            m_format.setRows(int(displayValue(tag)));
        break;
    case TopMarginTag:
        m_format.setTopMargin(float(lengthValue(tag)));
        break;
    case LeftMarginTag:
        m_format.setLeftMargin(float(lengthValue(tag)));
        break;
    case HSpaceTag:
        m_format.setHSpace(float(lengthValue(tag)));
        break;
    case VSpaceTag:
        m_format.setVSpace(float(lengthValue(tag)));
        break;
    default:
        break;
    }
}

double CLabelEditorModel::halfSmallerSide() const
{
    // The sides as their fields show them: a label shown 25 mm wide takes a 12.5 mm radius, though
    // its width, kept in single precision, is a hair less.
    const auto shown = [this](int tag) { return parseNumber(text(tag)).value_or(0.0); };
    return std::min(shown(WidthTag), shown(HeightTag)) / 2.0;
}

void CLabelEditorModel::limitCornerRadius()
{
    const double half = halfSmallerSide();
    if (displayValue(CornerRadiusTag) > half) {
        showLength(CornerRadiusTag, half * factor());
        m_format.setCornerRadius(float(half * factor()));
    }
}

void CLabelEditorModel::setPageSizeItem(int item)
{
    m_pageSizeItem = item == 0 ? 0 : 1;
    m_format.setPageSize(m_pageSizeItem == 0 ? QStringLiteral("A4") : QStringLiteral("Letter"));
    placeAuto();
}

bool CLabelEditorModel::setAuto(bool on)
{
    if (on && !commitAll()) {
        m_auto = false;
        return false;
    }
    m_auto = on;
    if (m_format.Columns() == 0 && m_format.Rows() == 0)
        return true;
    if (on) {
        placeAuto();
    } else {
        for (int tag : kPlacementTags)
            setEnabled(tag, true);
    }
    return true;
}

void CLabelEditorModel::placeAuto()
{
    if (!m_auto || (m_format.Columns() == 0 && m_format.Rows() == 0))
        return;
    const Placement placement =
        autoPlacement(pageSizeForItem(m_pageSizeItem), float(lengthValue(WidthTag)), float(lengthValue(HeightTag)));
    showText(ColumnsTag, QString::number(placement.columns));
    showText(RowsTag, QString::number(placement.rows));
    showLength(TopMarginTag, placement.top);
    showLength(LeftMarginTag, placement.left);
    showLength(HSpaceTag, 0.0);
    showLength(VSpaceTag, 0.0);
    for (int tag : kPlacementTags) {
        apply(tag);
        setEnabled(tag, false);
    }
}

void CLabelEditorModel::writeAll()
{
    m_format.setID(text(NameTag));
    m_format.setDescription(text(DescriptionTag));
    m_format.setPageSize(m_pageSizeItem == 0 ? QStringLiteral("A4") : QStringLiteral("Letter"));
    m_format.setItemWidth(float(lengthValue(WidthTag)));
    m_format.setItemHeight(float(lengthValue(HeightTag)));
    m_format.setCornerRadius(float(lengthValue(CornerRadiusTag)));
    // An empty count field (a template without a grid) stores 0.
    m_format.setColumns(text(ColumnsTag).isEmpty() ? 0 : int(displayValue(ColumnsTag)));
    m_format.setRows(text(RowsTag).isEmpty() ? 0 : int(displayValue(RowsTag)));
    m_format.setTopMargin(float(lengthValue(TopMarginTag)));
    m_format.setLeftMargin(float(lengthValue(LeftMarginTag)));
    m_format.setHSpace(float(lengthValue(HSpaceTag)));
    m_format.setVSpace(float(lengthValue(VSpaceTag)));
}
