#include "kernel/printing/CALabelSheetLayout.h"

#include "kernel/printing/CATemplateFormat.h"

#include <algorithm>
#include <cmath>

CALabelSheetLayout::CALabelSheetLayout(const CATemplateFormat &format)
    : m_columns(format.Columns())
    , m_rows(format.Rows())
    , m_itemWidth(format.ItemWidth())
    , m_itemHeight(format.ItemHeight())
    , m_hSpace(format.getHSpace())
    , m_vSpace(format.getVSpace())
    , m_cardOffsetX(format.ItemWidth() + format.getHSpace())
    , m_cardOffsetY(format.ItemHeight() + format.getVSpace())
    , m_originX(format.getLeftMargin())
    , m_originY(format.getTopMargin())
    , m_bleed(std::min(format.getHSpace(), format.getVSpace()) / 2.0f)
{
}

namespace {

// Slot arithmetic divides by the column count; a template without columns lays its one item
// in a single column.
int walkColumns(int columns)
{
    return std::max(columns, 1);
}

} // namespace

int CALabelSheetLayout::itemsPerPage() const
{
    const long long product = (long long)m_columns * m_rows;
    if (product <= 0)
        return 1;
    return int(std::min<long long>(product, 1 << 24));
}

int CALabelSheetLayout::skippedSlots(int page, int startFrom) const
{
    if (page > 1)
        return 0;
    return std::clamp(startFrom, 1, itemsPerPage()) - 1;
}

int CALabelSheetLayout::pageCount(int copies, int startFrom) const
{
    const int start = std::clamp(startFrom, 1, itemsPerPage());
    const long long needed = (long long)std::max(copies, 0) + start - 1;
    if (needed <= 0 || copies <= 0)
        return 0;
    // Single precision, as the sheet always counted its pages.
    return int(std::ceil(float(needed) / float(itemsPerPage())));
}

int CALabelSheetLayout::usedSlots(int page, int copies, int startFrom) const
{
    if (page < 1 || page > pageCount(copies, startFrom))
        return 0;
    const long long perPage = itemsPerPage();
    const long long skip = std::clamp(startFrom, 1, itemsPerPage()) - 1;
    const long long left = (long long)copies + skip - (page - 1) * perPage;
    return int(std::clamp<long long>(left, 0, perPage));
}

int CALabelSheetLayout::firstNumber(int page, int startFrom) const
{
    if (page <= 1)
        return 1;
    const int start = std::clamp(startFrom, 1, itemsPerPage());
    return (page - 1) * itemsPerPage() - start + 2;
}

float CALabelSheetLayout::usedWidth(int used) const
{
    return float(std::min(walkColumns(m_columns), used)) * m_cardOffsetX - m_hSpace;
}

float CALabelSheetLayout::usedHeight(int used) const
{
    const float usedRows = std::ceil(float(used) / float(walkColumns(m_columns)));
    return std::min(usedRows, float(std::max(m_rows, 1))) * m_cardOffsetY - m_vSpace;
}

QPointF CALabelSheetLayout::slotOrigin(int slot) const
{
    const int columns = walkColumns(m_columns);
    return QPointF(double(slot % columns) * m_cardOffsetX, double(slot / columns) * m_cardOffsetY);
}

std::vector<QLineF> CALabelSheetLayout::cutMarks(int slot, int used) const
{
    const int columns = walkColumns(m_columns);
    const double width = usedWidth(used);
    const double height = usedHeight(used);
    const double g = kCutGap;
    const double t = kCutLength;
    std::vector<QLineF> lines;
    if (slot % columns == 0) {
        const auto horizontalPair = [&](double y) {
            lines.emplace_back(-t - g, y, -g, y);
            lines.emplace_back(width + g, y, width + g + t, y);
        };
        horizontalPair(0.0);
        if (m_vSpace > 0.5f || used - slot <= columns)
            horizontalPair(m_itemHeight);
    }
    if (slot < columns) {
        const auto verticalPair = [&](double x) {
            lines.emplace_back(x, -t - g, x, -g);
            lines.emplace_back(x, height + g, x, height + g + t);
        };
        verticalPair(0.0);
        // The right edge of the last used column always gets its ticks, also on a page whose
        // only row is short: otherwise that column could not be cut from a gapless sheet.
        if (m_hSpace > 0.5f || slot == std::min(columns, used) - 1)
            verticalPair(m_itemWidth);
    }
    return lines;
}

std::vector<QLineF> CALabelSheetLayout::dottedLines(int slot, int used) const
{
    const int columns = walkColumns(m_columns);
    const double width = usedWidth(used);
    const double height = usedHeight(used);
    std::vector<QLineF> lines;
    if (slot % columns == 0) {
        lines.emplace_back(0.0, 0.0, width, 0.0);
        if (m_vSpace > 0.5f || used - slot <= columns)
            lines.emplace_back(0.0, m_itemHeight, width, m_itemHeight);
    }
    if (slot < columns) {
        lines.emplace_back(0.0, 0.0, 0.0, height);
        if (m_hSpace > 0.25f || slot == std::min(columns, used) - 1)
            lines.emplace_back(m_itemWidth, 0.0, m_itemWidth, height);
    }
    return lines;
}

QRectF CALabelSheetLayout::imageRectForImage(const QSizeF &image, const QSizeF &box, float bleed)
{
    double x = 0.0;
    double y = 0.0;
    double boxWidth = box.width();
    double boxHeight = box.height();
    if (bleed > 0.0f) {
        x = -bleed;
        y = -bleed;
        boxWidth += 2.0 * bleed;
        boxHeight += 2.0 * bleed;
    }
    const double iw = image.width();
    const double ih = image.height();
    if (!(iw > 0.0) || !(ih > 0.0) || !(boxWidth > 0.0) || !(boxHeight > 0.0))
        return QRectF(x, y, 0.0, 0.0);
    const bool sameOrientation = (boxWidth > boxHeight && iw > ih) || (boxWidth < boxHeight && iw < ih);
    if (!sameOrientation)
        std::swap(boxWidth, boxHeight);
    if (boxWidth / boxHeight < iw / ih)
        return QRectF(x, y, boxWidth, ih / iw * boxWidth);
    return QRectF(x, y, iw / ih * boxHeight, boxHeight);
}

QRectF CALabelSheetLayout::imageRectForImage(const QSizeF &image) const
{
    return imageRectForImage(image, QSizeF(m_itemWidth, m_itemHeight), m_bleed);
}
