#include "app/inspector/CAAddressFormatGridView.h"

#include "app/inspector/CAAddressFormatGrid.h"
#include "kernel/address/FTTextCategories.h"
#include "platform/PWBundle.h"
#include "platform/PWPasteboardTypes.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <algorithm>

namespace {

constexpr int kWidth = static_cast<int>(CAAddressFormatGrid::kCellWidth);
constexpr int kHeight = static_cast<int>(CAAddressFormatGrid::kCellHeight);

QString fieldType()
{
    return PWPasteboardTypes::mimeTypeOf(PWPasteboardTypes::kCustomAddressFormatField);
}

int draggedCategory(const QMimeData *data)
{
    if (!data || !data->hasFormat(fieldType()))
        return -1;
    return CAAddressFormatGrid::categoryFromDragData(data->data(fieldType()));
}

QFont labelFont()
{
    QFont font;
    font.setPointSizeF(8.5);
    return font;
}

// The room a cell leaves its caption, inside the box's rounded edge.
constexpr int kTextInset = 9;

// The field as a small grey box, our own picture of a cell.
void drawFieldBox(QPainter &painter, const QRectF &box, const QString &text)
{
    QPainterPath path;
    path.addRoundedRect(box.adjusted(1.5, 1.5, -1.5, -1.5), 4, 4);
    painter.fillPath(path, QColor(232, 236, 242));
    painter.setPen(QColor(150, 160, 175));
    painter.drawPath(path);
    painter.setPen(Qt::black);
    painter.drawText(box.adjusted(5, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                     CAAddressFormatGridView::shownText(text, QFontMetrics(painter.font()),
                                                        static_cast<int>(box.width()) - kTextInset));
}

} // namespace

CAAddressFormatGridView::CAAddressFormatGridView(CAAddressFormatGrid &grid, Mode mode, QWidget *parent)
    : QWidget(parent)
    , m_grid(grid)
    , m_mode(mode)
{
    setObjectName(mode == Palette ? QStringLiteral("addressComponentsMatrix") : QStringLiteral("addressComponentsOrderMatrix"));
    setAcceptDrops(true);
    setCursor(Qt::OpenHandCursor);
    setFont(labelFont());
    m_cellWidth = cellWidthFor(fontMetrics());
    const QSize size = sizeHint();
    setMinimumSize(size);
}

QSize CAAddressFormatGridView::sizeHint() const
{
    if (m_mode == Palette)
        return QSize(m_cellWidth, kHeight * static_cast<int>(CAAddressFormatGrid::paletteRows().size()));
    return QSize(m_cellWidth * CAAddressFormatGrid::kColumns + 1, kHeight * CAAddressFormatGrid::kRows + 1);
}

QString CAAddressFormatGridView::cellText(int category)
{
    if (category < 0)
        return {};
    const auto tc = static_cast<textCategory>(category);
    if (tc == tcSimpleText)
        return PWLocalizedString(FTTextCategories::getKeyFromTextCategory(tc));
    return PWLocalizedString(FTTextCategories::displayNameForTextCategory(tc));
}

int CAAddressFormatGridView::cellWidthFor(const QFontMetrics &metrics)
{
    // As wide as the longest name of a field needs, so that no cell cuts one short.
    int widest = 0;
    for (const int category : CAAddressFormatGrid::paletteRows())
        if (category >= 0)
            widest = std::max(widest, metrics.horizontalAdvance(cellText(category)));
    return std::max(kWidth, widest + kTextInset + 2);
}

QString CAAddressFormatGridView::shownText(const QString &text, const QFontMetrics &metrics, int width)
{
    return metrics.elidedText(text, Qt::ElideRight, width);
}

QString CAAddressFormatGridView::toolTipAt(const QPoint &point) const
{
    int row = -1;
    int column = -1;
    if (!cellAt(point, &row, &column) || (row == m_blankRow && column == m_blankColumn))
        return {};
    const QString text = cellText(categoryAt(row, column));
    // Only a name the cell cuts short needs telling again.
    if (text.isEmpty() || shownText(text, fontMetrics(), m_cellWidth - kTextInset) == text)
        return {};
    return text;
}

bool CAAddressFormatGridView::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const QString tip = toolTipAt(help->pos());
        if (tip.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), tip, this, cellRect(help->pos().y() / kHeight, help->pos().x() / m_cellWidth));
        }
        return true;
    }
    return QWidget::event(event);
}

QRect CAAddressFormatGridView::cellRect(int row, int column) const
{
    return QRect(column * m_cellWidth, row * kHeight, m_cellWidth, kHeight);
}

bool CAAddressFormatGridView::cellAt(const QPoint &point, int *row, int *column) const
{
    if (point.x() < 0 || point.y() < 0)
        return false;
    const int r = point.y() / kHeight;
    const int c = point.x() / m_cellWidth;
    const int rows = m_mode == Palette ? static_cast<int>(CAAddressFormatGrid::paletteRows().size()) : CAAddressFormatGrid::kRows;
    const int columns = m_mode == Palette ? 1 : CAAddressFormatGrid::kColumns;
    if (r >= rows || c >= columns)
        return false;
    *row = r;
    *column = c;
    return true;
}

int CAAddressFormatGridView::categoryAt(int row, int column) const
{
    if (m_mode == Layout)
        return m_grid.categoryAt(row, column);
    const std::vector<int> &rows = CAAddressFormatGrid::paletteRows();
    if (column != 0 || row < 0 || row >= static_cast<int>(rows.size()))
        return -1;
    return rows[static_cast<std::size_t>(row)];
}

void CAAddressFormatGridView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), Qt::white);
    if (m_mode == Palette) {
        for (int row = 0; row < static_cast<int>(CAAddressFormatGrid::paletteRows().size()); ++row) {
            const int category = categoryAt(row, 0);
            if (category != -1)
                drawFieldBox(painter, cellRect(row, 0), cellText(category));
        }
        return;
    }
    painter.setPen(QPen(QColor(200, 200, 200), 0.5));
    for (int row = 0; row < CAAddressFormatGrid::kRows; ++row) {
        for (int column = 0; column < CAAddressFormatGrid::kColumns; ++column)
            painter.drawRect(QRectF(column * m_cellWidth + 0.5, row * kHeight + 0.5, m_cellWidth, kHeight));
    }
    if (m_isDragging && m_highlightRow >= 0) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2.5));
        painter.drawRect(QRectF(m_highlightColumn * m_cellWidth - 0.5, m_highlightRow * kHeight - 0.5, m_cellWidth + 1.5, kHeight + 1.5));
        if (m_swapCategory != -1 && m_grid.hasSource()) {
            QColor fill = palette().color(QPalette::Highlight);
            fill.setAlphaF(0.4f);
            const QRectF source(m_grid.sourceColumn() * m_cellWidth, m_grid.sourceRow() * kHeight, m_cellWidth - 3, kHeight - 3);
            painter.fillRect(source, fill);
            QFont small = font();
            small.setPointSizeF(7);
            painter.setFont(small);
            painter.setPen(Qt::black);
            painter.drawText(source.adjusted(3, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft,
                             FTTextCategories::getLocalizedTextFromTextCategory(static_cast<textCategory>(m_swapCategory)));
            painter.setFont(font());
        }
    }
    for (int row = 0; row < CAAddressFormatGrid::kRows; ++row) {
        for (int column = 0; column < CAAddressFormatGrid::kColumns; ++column) {
            const int category = m_grid.categoryAt(row, column);
            if (category == -1 || (row == m_blankRow && column == m_blankColumn))
                continue;
            drawFieldBox(painter, cellRect(row, column), cellText(category));
        }
    }
}

void CAAddressFormatGridView::mousePressEvent(QMouseEvent *event)
{
    int row = -1;
    int column = -1;
    if (event->button() != Qt::LeftButton || !cellAt(event->position().toPoint(), &row, &column))
        return;
    const int category = categoryAt(row, column);
    if (category == -1)
        return;
    if (m_mode == Layout)
        m_grid.beginDragFromCell(row, column);
    else
        m_grid.beginDragFromPalette();

    auto *data = new QMimeData;
    data->setData(fieldType(), CAAddressFormatGrid::fieldDragData(category));
    QDrag drag(this);
    drag.setMimeData(data);
    QPixmap picture(m_cellWidth, kHeight);
    picture.fill(Qt::transparent);
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setFont(font());
        drawFieldBox(painter, QRectF(0, 0, m_cellWidth, kHeight), cellText(category));
    }
    drag.setPixmap(picture);
    drag.setHotSpot(QPoint(m_cellWidth / 2, kHeight / 2));
    if (m_mode == Layout) {
        m_blankRow = row;
        m_blankColumn = column;
        update();
    }
    setCursor(Qt::ClosedHandCursor);
    const Qt::DropAction result = m_dragRunner ? m_dragRunner(drag) : drag.exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
    setCursor(Qt::OpenHandCursor);
    m_blankRow = m_blankColumn = -1;
    // The trash takes a field with a move; anything that refused it leaves it where it was.
    if (result == Qt::MoveAction && m_mode == Layout && m_grid.hasSource()) {
        m_grid.removeDraggedCell();
        resetViews();
        Q_EMIT layoutChanged();
    }
    update();
}

void CAAddressFormatGridView::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasFormat(fieldType()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CAAddressFormatGridView::dragMoveEvent(QDragMoveEvent *event)
{
    if (!event->mimeData()->hasFormat(fieldType())) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    int row = -1;
    int column = -1;
    if (m_mode != Layout || !cellAt(event->position().toPoint(), &row, &column))
        return;
    m_isDragging = true;
    m_highlightRow = row;
    m_highlightColumn = column;
    const int held = m_grid.categoryAt(row, column);
    const bool isSource = m_grid.hasSource() && m_grid.sourceRow() == row && m_grid.sourceColumn() == column;
    m_swapCategory = held != -1 && !isSource ? held : -1;
    update();
}

void CAAddressFormatGridView::dragLeaveEvent(QDragLeaveEvent *)
{
    resetViews();
}

void CAAddressFormatGridView::dropEvent(QDropEvent *event)
{
    const int category = draggedCategory(event->mimeData());
    bool changed = false;
    if (category != -1) {
        if (m_mode == Layout) {
            int row = -1;
            int column = -1;
            if (cellAt(event->position().toPoint(), &row, &column))
                changed = m_grid.dropOnCell(category, row, column, m_undo);
            m_swapCategory = -1;
        } else {
            changed = m_grid.removeDraggedCell();
            resetViews();
        }
    }
    if (changed) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        Q_EMIT layoutChanged();
    } else {
        event->ignore();
    }
    update();
}

void CAAddressFormatGridView::resetViews()
{
    m_isDragging = false;
    m_highlightRow = m_highlightColumn = -1;
    m_swapCategory = -1;
    update();
}
