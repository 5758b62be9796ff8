#pragma once

#include "platform/PWPlist.h"

#include <QString>

#include <array>
#include <vector>

class CAddressFormat;
class PWUndoManager;

// The model under the custom address format editor's two field grids: the palette of every
// field a format can hold, and the 9 x 6 layout in which each cell holds at most one field.
// It reads a format description into the layout, builds the compacted description back (empty
// rows dropped, each row's fields closed up to the left), and carries out the drops of a field
// drag; clearing is one undo step.
class CAAddressFormatGrid
{
public:
    static constexpr int kRows = 9;
    static constexpr int kColumns = 6;
    static constexpr double kCellWidth = 70.0;
    static constexpr double kCellHeight = 20.0;
    using Compacted = std::array<std::array<int, kRows>, kColumns>; // [column][row]

    // The 57 palette rows: the categories in order, -1 for an empty row between groups.
    static const std::vector<int> &paletteRows();
    // The 8 bytes a field drag carries: the category as decimal text, padded with zero bytes;
    // and back (-1 for bytes that start with no number).
    static QByteArray fieldDragData(int category);
    static int categoryFromDragData(const QByteArray &bytes);
    // The description of a format tree: its leaves row by row, each row from column 0.
    static PWPlist::Dictionary customFormatDescFromAddressFormat(CAddressFormat *format);

    CAAddressFormatGrid();

    // -1 for an empty cell and for a position outside the grid.
    int categoryAt(int row, int column) const;
    // Nothing outside the grid.
    void setCellInfo(int row, int column, int category);
    void clearTemplateMatrix();
    bool isEmpty() const;

    // Empties the layout, then places every key of the description that names a category at its
    // "Row" and "Column"; other keys, values that are not dictionaries and positions outside the
    // grid are skipped.
    void initWithFormatDesc(const PWPlist::Dictionary &description);
    // The stored custom format at the index ("CustomAddressFormat"); false, the layout as it
    // was, for an index outside the list.
    bool initWithFormatAtIndex(int index);
    // The default template of the default country; false, the layout as it was, when the
    // catalogue builds none.
    bool initWithDefaultTemplate();

    // Fills a[column][row] with the compacted layout; answers the number of fields.
    int compactFormatDesc(Compacted &a) const;
    // The compacted description under the name, with "FormatName" and "Date".
    PWPlist::Dictionary getFormatDesc(const QString &name);
    int getCompactingRatio() const { return m_lastCompactingRatio; }
    // The first cell holding the category, rows from the top, columns from the left.
    bool findCellWithTextCategory(int category, int *row, int *column) const;

    // --- a field drag ------------------------------------------------------------------------
    // A drag from the layout takes its field from that cell; one from the palette from nowhere.
    void beginDragFromCell(int row, int column);
    void beginDragFromPalette() { m_sourceRow = m_sourceColumn = -1; }
    bool hasSource() const { return m_sourceRow >= 0; }
    int sourceRow() const { return m_sourceRow; }
    int sourceColumn() const { return m_sourceColumn; }
    // The field dropped on a cell: placed there, the field it replaces going to the drag's
    // source cell (a swap, or a move when the cell was empty); a field already in the layout
    // leaves its old cell the same way. The layout's undo actions are dropped, as a clear can
    // no longer be undone over the new layout. False, nothing changed, for no category or a
    // cell outside the grid.
    bool dropOnCell(int category, int row, int column, PWUndoManager *undo);
    // The field dragged out of the layout onto the palette or the trash leaves it; false when
    // the drag did not come from the layout.
    bool removeDraggedCell();
    void clearReorderingCell() { beginDragFromPalette(); }

    // Empties the layout as one undo step ("CLEAR_TEMPLATE") that refills every cell.
    void clearTemplate(PWUndoManager *undo);

private:
    void undoSetCellInfo(int row, int column, int category, PWUndoManager *undo);

    std::array<std::array<int, kColumns>, kRows> m_cells;
    int m_sourceRow = -1;
    int m_sourceColumn = -1;
    int m_lastCompactingRatio = 0;
};
