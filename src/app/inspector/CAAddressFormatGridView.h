#pragma once

#include <QWidget>

#include <functional>

class CAAddressFormatGrid;
class PWUndoManager;
class QDrag;
class QFontMetrics;

// One of the custom format editor's two field grids over the shared model: the palette (one
// column of every field) or the 9 x 6 layout. Fields are dragged from either; the layout takes
// drops to place, move, swap or replace fields, the palette takes fields dragged out of the
// layout to remove them. A drop that changes nothing is refused, so the source keeps its field.
class CAAddressFormatGridView : public QWidget
{
    Q_OBJECT
public:
    enum Mode { Palette, Layout };
    using DragRunner = std::function<Qt::DropAction(QDrag &drag)>;

    CAAddressFormatGridView(CAAddressFormatGrid &grid, Mode mode, QWidget *parent = nullptr);

    Mode mode() const { return m_mode; }
    void setUndoManager(PWUndoManager *undo) { m_undo = undo; }
    // Runs a drag; by default QDrag::exec. Tests put the drop in its place.
    void setDragRunner(DragRunner runner) { m_dragRunner = std::move(runner); }
    // The cell under a point (palette: column 0); false outside the cells.
    bool cellAt(const QPoint &point, int *row, int *column) const;
    QRect cellRect(int row, int column) const;
    // The field shown in a cell.
    int categoryAt(int row, int column) const;
    int highlightedRow() const { return m_highlightRow; }
    int highlightedColumn() const { return m_highlightColumn; }
    static QString cellText(int category);
    // A field's name as a cell of the given text width shows it: whole, or cut short with an
    // ellipsis; the cell's tool tip then gives the whole name.
    static QString shownText(const QString &text, const QFontMetrics &metrics, int width);
    // The width of a cell: the grid's own, or wider where the longest name of a field needs it.
    static int cellWidthFor(const QFontMetrics &metrics);
    int cellWidth() const { return m_cellWidth; }
    // The whole name of the field under the point when its cell cuts it short; empty otherwise.
    QString toolTipAt(const QPoint &point) const;

    QSize sizeHint() const override;

Q_SIGNALS:
    // The layout changed through a drop, a drag out or the model.
    void layoutChanged();

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void resetViews();

    CAAddressFormatGrid &m_grid;
    Mode m_mode;
    int m_cellWidth = 0;
    PWUndoManager *m_undo = nullptr;
    DragRunner m_dragRunner;
    bool m_isDragging = false;
    int m_highlightRow = -1;
    int m_highlightColumn = -1;
    int m_swapCategory = -1;
    // The layout cell whose field is being dragged shows blank until the drag ends.
    int m_blankRow = -1;
    int m_blankColumn = -1;
};
