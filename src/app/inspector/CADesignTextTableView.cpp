#include "app/inspector/CADesignTextTableView.h"

#include "app/inspector/CADesignLog.h"
#include "app/inspector/CADesignTextListModel.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyledItemDelegate>

namespace {

// A row as a grey pill with its title; a separator as a thin line.
class CADesignCell : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QString title = index.data(Qt::DisplayRole).toString();
        const QRectF r = option.rect;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        if (title.isEmpty()) {
            painter->fillRect(QRectF(r.left(), r.center().y(), r.width(), 1.0), QColor::fromRgbF(0.8f, 0.8f, 0.8f));
        } else {
            const QRectF pill = r.adjusted(10, 2, -6, -2);
            painter->setPen(Qt::NoPen);
            painter->setBrush(QColor::fromRgbF(0.9f, 0.9f, 0.9f));
            painter->drawRoundedRect(pill, pill.height() / 2, pill.height() / 2);
            painter->setPen(option.palette.color(QPalette::Text));
            const QString shown = option.fontMetrics.elidedText(title, Qt::ElideRight, static_cast<int>(pill.width()) - 16);
            painter->drawText(pill.adjusted(8, 0, -8, 0), Qt::AlignVCenter | Qt::AlignLeft, shown);
        }
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const bool separator = index.data(Qt::DisplayRole).toString().isEmpty();
        return QSize(120, separator ? 9 : option.fontMetrics.height() + 8);
    }
};

} // namespace

CADesignTextTableView::CADesignTextTableView(QWidget *parent)
    : QListView(parent)
{
    setItemDelegate(new CADesignCell(this));
    setSelectionMode(QAbstractItemView::NoSelection);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(false);
}

void CADesignTextTableView::setListModel(CADesignTextListModel *model)
{
    m_model = model;
    setModel(model);
}

int CADesignTextTableView::clickedTextCategory() const
{
    if (!m_model || m_model->list() != CADesignTextLists::Fields)
        return -1;
    return m_model->lists().tcForRow(m_lastClickedRowNumber);
}

void CADesignTextTableView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        const QModelIndex index = indexAt(event->position().toPoint());
        m_lastClickedRowNumber = index.isValid() ? index.row() : -1;
        m_pressPosition = event->position().toPoint();
        m_pressed = index.isValid();
    }
    QListView::mousePressEvent(event);
}

void CADesignTextTableView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_pressed && (event->position().toPoint() - m_pressPosition).manhattanLength() >= QApplication::startDragDistance()) {
        m_pressed = false;
        startDrag(Qt::CopyAction);
        return;
    }
    QListView::mouseMoveEvent(event);
}

void CADesignTextTableView::mouseReleaseEvent(QMouseEvent *event)
{
    m_pressed = false;
    QListView::mouseReleaseEvent(event);
}

void CADesignTextTableView::mouseDoubleClickEvent(QMouseEvent *event)
{
    QListView::mouseDoubleClickEvent(event);
    if (!m_model || event->button() != Qt::LeftButton)
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    m_lastClickedRowNumber = index.isValid() ? index.row() : -1;
    const CADesignTextItem *item = m_model->lists().itemAtRow(m_model->list(), m_lastClickedRowNumber);
    if (item && item->type() != CADesignTextItem::Separator)
        Q_EMIT rowApplied(m_lastClickedRowNumber);
}

void CADesignTextTableView::startDrag(Qt::DropActions)
{
    if (!m_model)
        return;
    const int row = m_lastClickedRowNumber;
    std::unique_ptr<QMimeData> data = m_model->lists().mimeDataForRow(m_model->list(), row);
    if (!data)
        return;
    QDrag drag(this);
    drag.setMimeData(data.release());
    const double scale = m_dragScale ? m_dragScale() : 1.0;
    const QImage image = m_model->lists().dragImageForRow(m_model->list(), row, scale > 0 ? scale : 1.0);
    if (image.isNull())
        qCWarning(lcDesign) << "invalid image";
    else
        drag.setPixmap(QPixmap::fromImage(image));
    drag.setHotSpot(QPoint(0, 0));
    execDrag(drag);
}

Qt::DropAction CADesignTextTableView::execDrag(QDrag &drag)
{
    return drag.exec(Qt::CopyAction, Qt::CopyAction);
}
