#pragma once

#include "app/pictures/CCMaskCell.h"

#include <QWidget>

#include <vector>

class PWImage;

// The grid of the content library's masks: two columns of thumbnails, one cell per picture file
// below the mask folder (folders and files of other kinds get none, and leave no hole). Each
// cell's image is the mask's thumbnail, named with the mask's path relative to the mask folder,
// from which the full mask is found. A click released on a cell chooses it and sends action();
// so does Space or Return on the cell the arrow keys reached.
class CCMaskCatalog : public QWidget
{
    Q_OBJECT

public:
    static constexpr double kCellSize = 67.0;
    static constexpr double kSpacing = 2.0;
    static constexpr int kColumns = 2;
    static constexpr int kTag = 12;

    explicit CCMaskCatalog(QWidget *parent = nullptr);

    // The folders read by setup(); the environment's mask folders unless set before it. Set on a
    // grid already filled, the grid is read again from them at once.
    void setMaskFolders(const QString &images, const QString &thumbnails);
    QString maskPath() const { return m_maskPath; }
    QString thumbMaskPath() const { return m_thumbMaskPath; }

    // Fills the grid on its first call only; answers whether it filled it now.
    bool setup();
    bool isInited() const { return _inited; }

    int numberOfRows() const { return m_rows; }
    int numberOfColumns() const { return kColumns; }
    // The cells that show a mask, in grid order.
    int cellCount() const { return int(m_cells.size()); }
    CCMaskCell *cellAtRowColumn(int row, int column);
    CCMaskCell *cellAt(int index);
    // The chosen cell, or null.
    CCMaskCell *selectedCell();
    int selectedIndex() const;
    void selectCellAtIndex(int index);
    void deselectAllCells();
    // Chooses the cell whose image has the name of image without a leading "FULLSIZE_";
    // without one every cell is deselected. Answers whether one was found.
    bool selectCellByImage(const PWImage *image);

    QRectF cellFrameAtRowColumn(int row, int column) const;
    // The cell index under a point, or -1.
    int indexForPoint(const QPointF &point) const;
    QSize sizeHint() const override;

Q_SIGNALS:
    // The user chose a cell.
    void action();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool event(QEvent *event) override;

private:
    void choose(int index);
    // Scrolls the area the grid lies in, if any, so that the cell shows.
    void ensureCellVisible(int index);

    std::vector<CCMaskCell> m_cells;
    int m_rows = 1;
    int m_pressed = -1;
    int m_focus = 0;
    QString m_maskPath;
    QString m_thumbMaskPath;
    bool m_foldersSet = false;
    bool _inited = false;
};
