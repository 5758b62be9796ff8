#pragma once

#include "app/pictures/CCPictCell.h"
#include "app/pictures/CCPictImageResolver.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>
#include <QWidget>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

class CFTComponent;
class PWImage;
class QDrag;

// What an internet search tells the catalogue: how many results it expects and which one it is
// delivering (from 0).
struct CCPictSearchProgress
{
    int itemCount = 0;
    int current = 0;
};

// One delivered internet result: the full picture's address, the page it was found on and the
// downloaded thumbnail bytes.
struct CCPictSearchItem
{
    QUrl urlImage;
    QString webSite;
    QByteArray data;
};

// The grid of picture thumbnails every picture pane shows. Cells sit row-major in one list, so
// that a new column count moves pictures without reordering them; the column count follows the
// width of the scroll area the grid lies in. One cell is always selected while there is any
// (radio behaviour); a click or an arrow key selects and sends activated().
//
// Pictures are resolved only for cells that are drawn, and at most maxLoadedCells() of them are
// held at once: the cells drawn longest ago give theirs back first, so that scrolling through a
// long grid keeps memory to what has been seen lately.
class CCPictCatalog : public QWidget
{
    Q_OBJECT

public:
    struct Entry
    {
        QString name; // file name or path relative to the folder shown
        QString hint; // caption; empty takes the name without its extension
    };

    static constexpr double kCellWidth = 74.0;
    static constexpr double kCellHeight = 90.0;
    static constexpr double kSpacing = 3.0;
    static constexpr double kColumnPitch = 77.0;
    static constexpr double kMargin = 2.5;
    static constexpr int kTag = 2;

    explicit CCPictCatalog(QWidget *parent = nullptr);

    int numberOfRows() const { return m_rows; }
    int numberOfColumns() const { return m_columns; }
    int countImages() const { return m_countImages; }
    CCPictCell *cellAtRowColumn(int row, int column);
    const CCPictCell *cellAtRowColumn(int row, int column) const;
    CCPictImageResolver &resolver() { return m_resolver; }

    // Replaces the whole content by the entries whose files exist in folder, row-major, no gaps.
    void changeBySearchInFolder(const QList<Entry> &entries, const QString &folder);
    // Replaces the whole content by cells of the entries' names taken as references as they are
    // (no folder, no test of existence), row-major and in order: for a caller that placed its
    // pictures itself. Answers the number of cells filled.
    int changeByReferences(const QList<Entry> &entries);
    void clearMatrix();
    // Placeholder cells for the results an internet search expects.
    void prepareMatrixWithSender(const CCPictSearchProgress &search);
    // Puts one delivered result into the cell of the search's current index.
    void dynamicAddImageWithGoogleSearchItem(const CCPictSearchProgress &search, const CCPictSearchItem &item);
    // After a stopped or ended search: blanks every placeholder left and drops the rows after
    // both the first placeholder's row and the last picture's, so that a result that came after
    // a failed one stays.
    void clearLoadingCells();

    // The column count for width w after width w0 with c0 columns: a column is added once more
    // than half a pitch is left over when widening (0.4 of it when narrowing); during a live
    // resize the count never moves against the drag; never below 1.
    static int columnsForWidth(double w, double w0, bool liveResize, int c0);
    void fitMatrixWithSizeFromOldSizeLiveResize(const QSizeF &size, const QSizeF &oldSize, bool liveResize);
    // The scroll area's viewport changed size.
    void resizeWithOldSuperviewSize(const QSizeF &size, const QSizeF &oldSize);

    // Geometry, all moved by the margin at the top and left.
    QRectF cellFrameAtRowColumn(int row, int column) const;
    bool getRowColumnForPoint(const QPointF &point, int *row, int *column) const;
    QSizeF cellsSize() const;
    void sizeToCells();

    // Radio selection: -1 when nothing is selected (an empty grid).
    int selectedRow() const;
    int selectedColumn() const;
    CCPictCell *selectedCell();
    void selectCellAtRowColumn(int row, int column);

    int maxLoadedCells() const { return m_maxLoadedCells; }
    void setMaxLoadedCells(int count) { m_maxLoadedCells = qMax(1, count); }
    int loadedCellCount() const;

    QSize sizeHint() const override;

    // The component whose style a dragged basic shape takes (the canvas's default shape).
    void setDefaultComponentProvider(std::function<CFTComponent *()> provider)
    {
        m_defaultComponent = std::move(provider);
    }
    // Where the whole picture of a cell (by its row-major index) comes from, for a pane whose
    // cells show thumbnails of pictures kept elsewhere; none takes the picture the cell's
    // reference names. A provider's pictures always drag as pictures, never as basic shapes.
    using FullPictureProvider = std::function<std::shared_ptr<PWImage>(int index)>;
    void setFullPictureProvider(FullPictureProvider provider) { m_fullPictureProvider = std::move(provider); }
    // Drags the picture of the cell, as a press on it that moves does. Answers whether a drag
    // started: an empty cell, a placeholder or a picture that cannot be read drags nothing.
    bool startDragForCell(int row, int column);
    // The whole picture a cell stands for, as its drag carries it; null for an empty cell, a
    // placeholder or a file that cannot be read.
    std::shared_ptr<PWImage> fullPictureAt(int row, int column);

Q_SIGNALS:
    // A cell was chosen by the user.
    void activated();
    // The user asked for the picture of a cell (double click, or Return on the selected one);
    // empty cells and placeholders are never chosen.
    void chosen(int row, int column);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    // Runs the drag; tests record it instead.
    virtual Qt::DropAction execDrag(QDrag &drag);
    void keyPressEvent(QKeyEvent *event) override;
    bool event(QEvent *event) override;

private:
    void renewRowsColumns(int rows, int columns);
    void noteLoaded(int index, const QRect &visible);
    void ensureSelectionVisible();
    void resetSelection();
    int cellIndex(int row, int column) const { return row * m_columns + column; }
    bool isChoosable(int index) const;

    std::vector<CCPictCell> m_cells; // row-major, m_rows x m_columns
    int m_rows = 1;
    int m_columns = 2;
    int m_countImages = 0;
    int m_selected = -1;
    int m_maxLoadedCells = 256;
    std::deque<int> m_loadOrder;
    CCPictImageResolver m_resolver;
    std::function<CFTComponent *()> m_defaultComponent;
    FullPictureProvider m_fullPictureProvider;
    // The cell a left press began on, -1 when none; a move past the drag distance drags it.
    int m_pressed = -1;
    QPointF m_pressPoint;
};
