#include "app/contacts/CAContactTableView.h"

#include <QMouseEvent>

void CAContactTableView::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex at = indexAt(event->position().toPoint());
    m_pressed = at;
    m_pressedRow = at.isValid() ? at.row() : -1;
    QTableView::mousePressEvent(event);
}

void CAContactTableView::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex at = indexAt(event->position().toPoint());
    // The rows moved under the mouse since the first press: the person pressed then is opened,
    // and stays the one chosen.
    if (event->button() == Qt::LeftButton && m_pressed.isValid() && at.isValid() && at.row() == m_pressedRow
        && m_pressed.row() != m_pressedRow) {
        const QPersistentModelIndex pressed = m_pressed;
        m_pressedRow = pressed.row();
        setCurrentIndex(pressed);
        Q_EMIT doubleClicked(pressed);
        if (pressed.isValid() && !style()->styleHint(QStyle::SH_ItemView_ActivateItemOnSingleClick, nullptr, this))
            Q_EMIT activated(pressed);
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
}
