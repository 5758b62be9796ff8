#pragma once

#include <QPersistentModelIndex>
#include <QTableView>

// A table of persons whose list may be read again between the two presses of a double click (the
// click's choice is written, and the write takes in what another process stored). The model keeps
// its rows on their persons, so the row pressed first may stand elsewhere at the second press:
// a double click whose second press comes where the first went opens the person pressed first,
// wherever its row went meanwhile, as the user aimed at it.
class CAContactTableView : public QTableView
{
    Q_OBJECT
public:
    using QTableView::QTableView;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QPersistentModelIndex m_pressed;
    int m_pressedRow = -1;
};
