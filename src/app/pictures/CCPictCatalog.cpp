#include "app/pictures/CCPictCatalog.h"

#include "app/pictures/CCPictDragOut.h"
#include "app/pictures/CCPicturesLog.h"
#include "kernel/component/CFTComponent.h"
#include "platform/PWFileReader.h"
#include "platform/PWImage.h"
#include "platform/PWNotificationCenter.h"
#include "platform/PWPictureRenderer.h"

#include <QApplication>
#include <QDrag>
#include <QFileInfo>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace {

int rowsFor(int count, int columns)
{
    return columns > 0 ? (count + columns - 1) / columns : 0;
}

// The name without its last extension, folders kept.
QString withoutExtension(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    const qsizetype slash = name.lastIndexOf(u'/');
    return dot > slash + 1 ? name.left(dot) : name;
}

// A downloaded thumbnail decoded with the same bounds as picture files, reduced to what a cell
// shows (twice its size, for sharp drawing on dense screens): the service decides how large its
// thumbnails are, and a hundred of them at full size would fill the memory. fullSize gets the
// size the thumbnail declares.
QImage decodeThumbnail(const QByteArray &bytes, QSize *fullSize)
{
    const QSize cell(qRound(CCPictCatalog::kCellWidth * 2.0), qRound(CCPictCatalog::kCellHeight * 2.0));
    return CCPictImageResolver::decodeBoundedPicture(bytes, cell, fullSize);
}

} // namespace

CCPictCatalog::CCPictCatalog(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    renewRowsColumns(1, 2);
    sizeToCells();
    // A large picture decoded in the background shows at the next drawing.
    m_resolver.setDecodedHandler([this] { update(); });
    PWNotificationCenter::defaultCenter().addObserver(
        PWPictureRenderer::kRenderedNotification, nullptr, [this](const PWNotification &) { update(); }, this);
}

CCPictCell *CCPictCatalog::cellAtRowColumn(int row, int column)
{
    if (row < 0 || column < 0 || row >= m_rows || column >= m_columns)
        return nullptr;
    return &m_cells[size_t(cellIndex(row, column))];
}

const CCPictCell *CCPictCatalog::cellAtRowColumn(int row, int column) const
{
    return const_cast<CCPictCatalog *>(this)->cellAtRowColumn(row, column);
}

void CCPictCatalog::renewRowsColumns(int rows, int columns)
{
    m_rows = qMax(0, rows);
    m_columns = qMax(1, columns);
    m_cells.resize(size_t(m_rows) * size_t(m_columns));
    if (m_selected >= int(m_cells.size()))
        m_selected = -1;
}

void CCPictCatalog::resetSelection()
{
    m_selected = -1;
    for (size_t i = 0; i < m_cells.size(); ++i) {
        if (!m_cells[i].isEmpty()) {
            m_selected = int(i);
            break;
        }
    }
}

void CCPictCatalog::changeBySearchInFolder(const QList<Entry> &entries, const QString &folder)
{
    const bool clipArt = folder == m_resolver.clipArtPath();
    QList<Entry> references;
    references.reserve(entries.size());
    for (const Entry &entry : entries) {
        const QString path = folder + u'/' + entry.name;
        // Only existence is tested: pictures are read when their cells are first drawn.
        if (entry.name.isEmpty() || !QFileInfo::exists(path))
            continue;
        references.append({clipArt ? entry.name : CCPictImageResolver::kFilePrefix + path,
                           entry.hint.isEmpty() ? withoutExtension(entry.name) : entry.hint});
    }
    changeByReferences(references);
}

int CCPictCatalog::changeByReferences(const QList<Entry> &entries)
{
    const int m = m_columns;
    m_cells.clear();
    m_loadOrder.clear();
    renewRowsColumns(rowsFor(int(entries.size()), m), m);
    int k = 0;
    for (const Entry &entry : entries) {
        if (entry.name.isEmpty())
            continue;
        CCPictCell &cell = m_cells[size_t(k)];
        cell.setParentCatalog(this);
        cell.setImageReference(entry.name);
        cell.setToolTip(QString());
        cell.setImageHint(entry.hint);
        ++k;
    }
    m_countImages = k;
    renewRowsColumns(rowsFor(k, m), m);
    resetSelection();
    sizeToCells();
    update();
    return k;
}

void CCPictCatalog::clearMatrix()
{
    m_cells.clear();
    m_loadOrder.clear();
    renewRowsColumns(0, m_columns);
    m_countImages = 0;
    m_selected = -1;
    sizeToCells();
    update();
}

void CCPictCatalog::prepareMatrixWithSender(const CCPictSearchProgress &search)
{
    m_countImages = qMax(0, search.itemCount);
    m_cells.clear();
    m_loadOrder.clear();
    renewRowsColumns(rowsFor(m_countImages, m_columns), m_columns);
    for (int i = 0; i < m_countImages; ++i) {
        m_cells[size_t(i)].setParentCatalog(this);
        m_cells[size_t(i)].setImageReference(CCPictImageResolver::kLoading);
    }
    resetSelection();
    sizeToCells();
    update();
}

void CCPictCatalog::dynamicAddImageWithGoogleSearchItem(const CCPictSearchProgress &search,
                                                        const CCPictSearchItem &item)
{
    // A result for a cell the grid does not have (a late result after a stop, or a count that
    // changed) is dropped rather than written past the grid.
    if (search.current < 0 || search.current >= int(m_cells.size())) {
        qCWarning(lcPictures, "Search result %d has no cell in a grid of %zu", search.current, m_cells.size());
        return;
    }
    const QString name = CCPictImageResolver::kUrlPrefix + item.urlImage.toString(QUrl::FullyEncoded) + u' '
        + item.webSite;
    std::shared_ptr<PWImage> image = PWImage::imageNamed(name);
    if (!image) {
        QSize fullSize;
        const QImage bitmap = decodeThumbnail(item.data, &fullSize);
        image = PWImage::fromQImage(bitmap);
        if (image) {
            // Kept at the size the thumbnail declares, drawn from the reduced pixels.
            image->setSize(QSizeF(fullSize));
            image->setName(name);
        }
    }
    CCPictCell &cell = m_cells[size_t(search.current)];
    if (image && image->isValid())
        cell.setImage(image);
    cell.setParentCatalog(this);
    cell.setImageReference(name);
    if (m_selected < 0)
        resetSelection();
    sizeToCells();
    update();
    cell.setToolTip(QFileInfo(item.urlImage.path()).fileName());
}

void CCPictCatalog::clearLoadingCells()
{
    int firstLoadingRow = -1;
    int lastPictureRow = -1;
    for (int index = 0; index < int(m_cells.size()); ++index) {
        CCPictCell &cell = m_cells[size_t(index)];
        if (cell.imageReference() == CCPictImageResolver::kLoading) {
            // The reference goes as well: left behind, it would bring the placeholder back at
            // the next drawing.
            cell.clear();
            if (firstLoadingRow < 0)
                firstLoadingRow = index / m_columns;
        } else if (!cell.isEmpty()) {
            lastPictureRow = index / m_columns;
        }
    }
    if (firstLoadingRow >= 0)
        renewRowsColumns(qMax(firstLoadingRow, lastPictureRow) + 1, m_columns);
    if (m_selected < 0 || m_cells[size_t(m_selected)].isEmpty())
        resetSelection();
    sizeToCells();
    update();
}

int CCPictCatalog::columnsForWidth(double w, double w0, bool liveResize, int c0)
{
    const double threshold = w > w0 ? 0.5 : 0.4;
    int n = w > 0 ? int(std::floor(w / kColumnPitch)) : 0;
    if (w - kColumnPitch * n > threshold * kColumnPitch || n == 0)
        n += 1;
    if (liveResize) {
        if (w < w0)
            n = std::min(n, c0);
        else
            n = std::max(n, c0);
    }
    return std::max(n, 1);
}

void CCPictCatalog::fitMatrixWithSizeFromOldSizeLiveResize(const QSizeF &size, const QSizeF &oldSize, bool liveResize)
{
    // The cells keep their size, so a column counted for a width that has not quite room for it
    // would be cut off at the right edge: only whole columns.
    const int whole = std::max(1, int(std::floor((size.width() - kMargin + kSpacing) / kColumnPitch)));
    const int n = std::min(columnsForWidth(size.width(), oldSize.width(), liveResize, m_columns), whole);
    if (n != m_columns) {
        const int keep = std::max(m_countImages, m_selected + 1);
        renewRowsColumns(rowsFor(keep, n), n);
        m_loadOrder.clear();
        for (size_t i = 0; i < m_cells.size(); ++i) {
            if (m_cells[i].isImageLoaded())
                m_loadOrder.push_back(int(i));
        }
    }
    sizeToCells();
    update();
}

void CCPictCatalog::resizeWithOldSuperviewSize(const QSizeF &size, const QSizeF &oldSize)
{
    fitMatrixWithSizeFromOldSizeLiveResize(size, oldSize, true);
}

QRectF CCPictCatalog::cellFrameAtRowColumn(int row, int column) const
{
    return QRectF(kMargin + column * (kCellWidth + kSpacing), kMargin + row * (kCellHeight + kSpacing), kCellWidth,
                  kCellHeight);
}

bool CCPictCatalog::getRowColumnForPoint(const QPointF &point, int *row, int *column) const
{
    const QPointF p = point - QPointF(kMargin, kMargin);
    if (p.x() < 0 || p.y() < 0)
        return false;
    const int c = int(p.x() / (kCellWidth + kSpacing));
    const int r = int(p.y() / (kCellHeight + kSpacing));
    if (c >= m_columns || r >= m_rows)
        return false;
    // The spacing between cells belongs to no cell.
    if (p.x() - c * (kCellWidth + kSpacing) > kCellWidth || p.y() - r * (kCellHeight + kSpacing) > kCellHeight)
        return false;
    if (row)
        *row = r;
    if (column)
        *column = c;
    return true;
}

QSizeF CCPictCatalog::cellsSize() const
{
    const double width = m_columns > 0 ? m_columns * kCellWidth + (m_columns - 1) * kSpacing : 0.0;
    const double height = m_rows > 0 ? m_rows * kCellHeight + (m_rows - 1) * kSpacing : 0.0;
    return QSizeF(width + kMargin, height + kMargin);
}

void CCPictCatalog::sizeToCells()
{
    const QSizeF size = cellsSize();
    resize(int(std::ceil(size.width())), int(std::ceil(size.height())));
}

QSize CCPictCatalog::sizeHint() const
{
    const QSizeF size = cellsSize();
    return QSize(int(std::ceil(size.width())), int(std::ceil(size.height())));
}

int CCPictCatalog::selectedRow() const
{
    return m_selected < 0 ? -1 : m_selected / m_columns;
}

int CCPictCatalog::selectedColumn() const
{
    return m_selected < 0 ? -1 : m_selected % m_columns;
}

CCPictCell *CCPictCatalog::selectedCell()
{
    return m_selected < 0 ? nullptr : &m_cells[size_t(m_selected)];
}

void CCPictCatalog::selectCellAtRowColumn(int row, int column)
{
    const CCPictCell *cell = cellAtRowColumn(row, column);
    if (!cell || cell->isEmpty())
        return;
    m_selected = cellIndex(row, column);
    ensureSelectionVisible();
    update();
}

void CCPictCatalog::ensureSelectionVisible()
{
    if (m_selected < 0)
        return;
    for (QWidget *up = parentWidget(); up; up = up->parentWidget()) {
        if (auto *area = qobject_cast<QScrollArea *>(up)) {
            const QRect frame = cellFrameAtRowColumn(selectedRow(), selectedColumn()).toAlignedRect();
            area->ensureVisible(frame.center().x(), frame.center().y(), frame.width() / 2 + 3,
                                frame.height() / 2 + 3);
            return;
        }
    }
}

int CCPictCatalog::loadedCellCount() const
{
    return int(std::count_if(m_cells.begin(), m_cells.end(), [](const CCPictCell &cell) {
        return cell.isImageLoaded() && cell.image();
    }));
}

void CCPictCatalog::noteLoaded(int index, const QRect &visible)
{
    m_loadOrder.push_back(index);
    // Cells drawn longest ago give their pictures back; a cell still in view keeps its own.
    size_t guard = m_loadOrder.size();
    while (int(m_loadOrder.size()) > m_maxLoadedCells && guard-- > 0) {
        const int oldest = m_loadOrder.front();
        m_loadOrder.pop_front();
        if (oldest < 0 || oldest >= int(m_cells.size()))
            continue;
        CCPictCell &cell = m_cells[size_t(oldest)];
        const QRectF frame = cellFrameAtRowColumn(oldest / m_columns, oldest % m_columns);
        // Internet results live only in the cell that holds them: they cannot be read again.
        if (frame.intersects(visible) || cell.imageReference().startsWith(CCPictImageResolver::kUrlPrefix)) {
            m_loadOrder.push_back(oldest);
            continue;
        }
        cell.unloadImage();
    }
}

void CCPictCatalog::paintEvent(QPaintEvent *event)
{
    // A PDF or EPS picture rendered apart shows when its raster is there: a folder of them, or
    // one that never finishes, does not hold up the window.
    const PWPictureRenderer::Deferred deferred;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect dirty = event->rect();
    const QRect visible = visibleRegion().boundingRect().isEmpty() ? dirty : visibleRegion().boundingRect();
    const double pitchX = kCellWidth + kSpacing;
    const double pitchY = kCellHeight + kSpacing;
    const int firstRow = std::max(0, int((dirty.top() - kMargin) / pitchY));
    const int lastRow = std::min(m_rows - 1, int((dirty.bottom() - kMargin) / pitchY));
    const int firstColumn = std::max(0, int((dirty.left() - kMargin) / pitchX));
    const int lastColumn = std::min(m_columns - 1, int((dirty.right() - kMargin) / pitchX));
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int column = firstColumn; column <= lastColumn; ++column) {
            const int index = cellIndex(row, column);
            CCPictCell &cell = m_cells[size_t(index)];
            const QRectF frame = cellFrameAtRowColumn(row, column);
            if (index == m_selected) {
                QPainterPath path;
                path.addRoundedRect(frame.adjusted(-1.5, -1.5, 1.5, 1.5), 7, 7);
                painter.fillPath(path, palette().color(hasFocus() ? QPalette::Active : QPalette::Inactive,
                                                       QPalette::Highlight));
            }
            if (cell.drawInteriorWithFrame(painter, frame, m_resolver))
                noteLoaded(index, visible);
            // The cell under a press that has not become a click or a drag yet.
            if (index == m_pressed) {
                QPainterPath path;
                path.addRoundedRect(frame, 5, 5);
                painter.fillPath(path, QColor(0, 0, 0, 40));
            }
        }
    }
}

void CCPictCatalog::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    m_pressed = -1;
    int row = 0;
    int column = 0;
    if (event->button() != Qt::LeftButton || !getRowColumnForPoint(event->position(), &row, &column))
        return;
    const CCPictCell *cell = cellAtRowColumn(row, column);
    if (!cell || cell->isEmpty())
        return;
    m_pressed = cellIndex(row, column);
    m_pressPoint = event->position();
    update(cellFrameAtRowColumn(row, column).toAlignedRect());
}

void CCPictCatalog::mouseMoveEvent(QMouseEvent *event)
{
    if (m_pressed < 0 || !(event->buttons() & Qt::LeftButton))
        return;
    if ((event->position() - m_pressPoint).manhattanLength() < QApplication::startDragDistance())
        return;
    const int index = m_pressed;
    // Whatever the drag does, this press is over: its release selects nothing.
    m_pressed = -1;
    update();
    if (index < int(m_cells.size()))
        startDragForCell(index / m_columns, index % m_columns);
}

void CCPictCatalog::mouseReleaseEvent(QMouseEvent *event)
{
    const int index = m_pressed;
    m_pressed = -1;
    if (event->button() != Qt::LeftButton || index < 0 || index >= int(m_cells.size()))
        return;
    update();
    // A placeholder of a running internet search is no picture to choose yet.
    if (m_cells[size_t(index)].isEmpty() || m_cells[size_t(index)].imageReference() == CCPictImageResolver::kLoading)
        return;
    selectCellAtRowColumn(index / m_columns, index % m_columns);
    Q_EMIT activated();
}

std::shared_ptr<PWImage> CCPictCatalog::fullPictureAt(int row, int column)
{
    const CCPictCell *cell = cellAtRowColumn(row, column);
    if (!cell || cell->isEmpty() || cell->imageReference() == CCPictImageResolver::kLoading)
        return nullptr;
    if (m_fullPictureProvider)
        return m_fullPictureProvider(cellIndex(row, column));
    return CCPictDragOut::fullPicture(cell->imageReference());
}

bool CCPictCatalog::isChoosable(int index) const
{
    return index >= 0 && index < int(m_cells.size()) && !m_cells[size_t(index)].isEmpty()
        && m_cells[size_t(index)].imageReference() != CCPictImageResolver::kLoading;
}

void CCPictCatalog::mouseDoubleClickEvent(QMouseEvent *event)
{
    m_pressed = -1;
    int row = 0;
    int column = 0;
    if (event->button() != Qt::LeftButton || !getRowColumnForPoint(event->position(), &row, &column)
        || !isChoosable(cellIndex(row, column)))
        return;
    selectCellAtRowColumn(row, column);
    Q_EMIT chosen(row, column);
}

Qt::DropAction CCPictCatalog::execDrag(QDrag &drag)
{
    return drag.exec(Qt::CopyAction, Qt::CopyAction);
}

bool CCPictCatalog::startDragForCell(int row, int column)
{
    CCPictCell *cell = cellAtRowColumn(row, column);
    if (!cell || cell->isEmpty())
        return false;
    const QString reference = cell->imageReference();
    std::shared_ptr<PWImage> picture = fullPictureAt(row, column);
    if (!picture)
        return false;
    auto drag = new QDrag(this);
    QImage image;
    std::unique_ptr<CFTComponent> shape;
    if (!m_fullPictureProvider && CCPictDragOut::dragsAsBasicShape(reference)) {
        shape = CCPictDragOut::basicShapeComponent(reference, picture->size(),
                                                   m_defaultComponent ? m_defaultComponent() : nullptr);
        drag->setMimeData(CCPictDragOut::mimeDataForBasicShape(shape.get()).release());
        image = CCPictDragOut::basicShapeDragImage(shape.get());
    } else {
        drag->setMimeData(CCPictDragOut::mimeDataForPicture(picture.get()).release());
        const QRectF area = CCPictCell::imageArea(cellFrameAtRowColumn(row, column));
        const std::shared_ptr<PWImage> &shown = cell->image() ? cell->image() : picture;
        const QSizeF fitted = shown->size().isEmpty() ? area.size() : shown->size().scaled(area.size(), Qt::KeepAspectRatio);
        image = CCPictDragOut::pictureDragImage(shown.get(), fitted.toSize());
    }
    if (!image.isNull()) {
        drag->setPixmap(QPixmap::fromImage(image));
        // Centred under the pointer, wherever in the cell the press began.
        drag->setHotSpot(QPoint(image.width() / 2, image.height() / 2));
        // A shape lands where its picture is let go; a picture is centred on the drop anyway.
        if (shape)
            CCPictDragOut::setDragImageFrame(*drag->mimeData(), CCPictDragOut::basicShapeDragFrame(shape.get(), drag->hotSpot()));
    }
    execDrag(*drag);
    // The drag's own event loop took the release: no press outlives it.
    if (m_pressed >= 0) {
        m_pressed = -1;
        update();
    }
    // The drop has taken what it needs; the picture stays registered while anyone holds it.
    drag->deleteLater();
    return true;
}

void CCPictCatalog::keyPressEvent(QKeyEvent *event)
{
    if (m_selected < 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (isChoosable(m_selected))
            Q_EMIT chosen(m_selected / m_columns, m_selected % m_columns);
        return;
    }
    int target = m_selected;
    switch (event->key()) {
    case Qt::Key_Left:
        target -= 1;
        break;
    case Qt::Key_Right:
        target += 1;
        break;
    case Qt::Key_Up:
        target -= m_columns;
        break;
    case Qt::Key_Down:
        target += m_columns;
        break;
    case Qt::Key_Home:
        target = 0;
        break;
    case Qt::Key_End:
        target = int(m_cells.size()) - 1;
        while (target > 0 && m_cells[size_t(target)].isEmpty())
            --target;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    if (target < 0 || target >= int(m_cells.size()) || m_cells[size_t(target)].isEmpty() || target == m_selected)
        return;
    m_selected = target;
    ensureSelectionVisible();
    update();
    Q_EMIT activated();
}

bool CCPictCatalog::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        int row = 0;
        int column = 0;
        const CCPictCell *cell = getRowColumnForPoint(help->pos(), &row, &column) ? cellAtRowColumn(row, column)
                                                                                   : nullptr;
        if (cell && !cell->toolTip().isEmpty())
            QToolTip::showText(help->globalPos(), cell->toolTip(), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}
