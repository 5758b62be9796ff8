#pragma once

#include <QLineF>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <vector>

class CATemplateFormat;

// Where the items of a label sheet go: the grid of one paper template, the slots a page uses
// from a start position, the running number of each item and the cut ticks and dotted guide
// lines around the used part of the grid. Lengths are single-precision points as the template
// keeps them; slot coordinates have their origin at the item's top-left corner, y down.
class CALabelSheetLayout
{
public:
    // Gap between the used grid and a cut tick (2 mm), and a tick's length.
    static constexpr float kCutGap = 5.6692915f;
    static constexpr float kCutLength = 20.0f;

    CALabelSheetLayout() = default;
    explicit CALabelSheetLayout(const CATemplateFormat &format);
    bool operator==(const CALabelSheetLayout &) const = default;

    int columns() const { return m_columns; }
    int rows() const { return m_rows; }
    float itemWidth() const { return m_itemWidth; }
    float itemHeight() const { return m_itemHeight; }
    float hSpace() const { return m_hSpace; }
    float vSpace() const { return m_vSpace; }
    // Column and row pitch: item size plus gap.
    float cardOffsetX() const { return m_cardOffsetX; }
    float cardOffsetY() const { return m_cardOffsetY; }
    // The grid's top-left corner on the paper.
    float originX() const { return m_originX; }
    float originY() const { return m_originY; }
    // Margin drawn around each item image: half the smaller gap.
    float bleed() const { return m_bleed; }

    // Slots of one sheet; a template without columns or rows still holds one item a sheet, so
    // that no division by zero can happen.
    int itemsPerPage() const;
    // Pages for copies items when the first page starts at slot startFrom (1-based).
    int pageCount(int copies, int startFrom) const;
    // Slots a page uses, skipped ones included; 0 for a page past the last.
    int usedSlots(int page, int copies, int startFrom) const;
    // Slots left empty at the top of the page: the start position's on page 1 only.
    int skippedSlots(int page, int startFrom) const;
    // The running number (1-based) of the page's first item; the map index is one less.
    int firstNumber(int page, int startFrom) const;
    // Width and height of the used part of the grid, without the trailing gap.
    float usedWidth(int used) const;
    float usedHeight(int used) const;
    // The slot's top-left corner from the grid origin.
    QPointF slotOrigin(int slot) const;

    // The cut ticks and dotted lines of one slot, in the slot's coordinates.
    std::vector<QLineF> cutMarks(int slot, int used) const;
    std::vector<QLineF> dottedLines(int slot, int used) const;

    // Where an item image of the given size is drawn in its slot: the item box grown by the
    // bleed on every side, turned to the image's orientation, the image fitted into it with its
    // aspect ratio kept from the box's top-left corner.
    static QRectF imageRectForImage(const QSizeF &image, const QSizeF &box, float bleed);
    QRectF imageRectForImage(const QSizeF &image) const;

private:
    int m_columns = 0;
    int m_rows = 0;
    float m_itemWidth = 0.0f;
    float m_itemHeight = 0.0f;
    float m_hSpace = 0.0f;
    float m_vSpace = 0.0f;
    float m_cardOffsetX = 0.0f;
    float m_cardOffsetY = 0.0f;
    float m_originX = 0.0f;
    float m_originY = 0.0f;
    float m_bleed = 0.0f;
};
