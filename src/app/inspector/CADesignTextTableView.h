#pragma once

#include <QListView>

#include <functional>

class CADesignTextListModel;

// A list of the design window: remembers the row last pressed (-1 below the rows), starts the
// drag of that row with the component's picture, and reports a double click on a row for the
// canvas commands that apply it to the selection.
class CADesignTextTableView : public QListView
{
    Q_OBJECT
public:
    explicit CADesignTextTableView(QWidget *parent = nullptr);

    void setListModel(CADesignTextListModel *model);
    CADesignTextListModel *listModel() const { return m_model; }
    int selectedTextItemIndex() const { return m_lastClickedRowNumber; }
    // The category of the last pressed row of a fields list; -1 otherwise.
    int clickedTextCategory() const;
    // Pixels per point of the drag picture (the active canvas's scale).
    void setDragScale(std::function<double()> scale) { m_dragScale = std::move(scale); }

Q_SIGNALS:
    // A row (never a separator or a row outside the list) was double-clicked.
    void rowApplied(int row);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    // Rows are never selected, so the drag starts here rather than from a selection.
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    // Runs the drag; answers its outcome.
    virtual Qt::DropAction execDrag(QDrag &drag);

private:
    CADesignTextListModel *m_model = nullptr;
    int m_lastClickedRowNumber = -1;
    QPoint m_pressPosition;
    bool m_pressed = false;
    std::function<double()> m_dragScale;
};
