#include "app/pictures/CCMaskCatalog.h"

#include "app/pictures/CCPictImageResolver.h"
#include "app/pictures/CCPicturesLog.h"
#include "kernel/base/CAContentLibraryGate.h"
#include "kernel/base/CAEnvironment.h"
#include "platform/PWImage.h"
#include "platform/PWNotificationCenter.h"
#include "platform/PWPictureRenderer.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHelpEvent>
#include <QImageReader>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace {

// The picture kinds a mask may be: whatever Qt's image readers take, then PDF.
const QStringList &acceptedExtensions()
{
    static const QStringList extensions = [] {
        QStringList list;
        for (const QByteArray &format : QImageReader::supportedImageFormats())
            list.append(QString::fromLatin1(format));
        list.append(QStringLiteral("pdf"));
        return list;
    }();
    return extensions;
}

} // namespace

CCMaskCatalog::CCMaskCatalog(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setProperty("tag", kTag);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    resize(sizeHint());
    // A PDF or EPS mask rendered in the background shows as soon as it is there.
    PWNotificationCenter::defaultCenter().addObserver(
        PWPictureRenderer::kRenderedNotification, nullptr, [this](const PWNotification &) { update(); }, this);
    // A first start copies the masks while the pane may already be shown: an empty grid is
    // filled when the copy has ended.
    PWNotificationCenter::defaultCenter().addObserver(
        CAContentLibraryGate::kSeededNotification, nullptr,
        [this](const PWNotification &) {
            if (!_inited || !m_cells.empty())
                return;
            _inited = false;
            setup();
        },
        this);
}

void CCMaskCatalog::setMaskFolders(const QString &images, const QString &thumbnails)
{
    m_maskPath = images;
    m_thumbMaskPath = thumbnails;
    m_foldersSet = true;
    if (_inited) {
        _inited = false;
        m_pressed = -1;
        setup();
    }
}

bool CCMaskCatalog::setup()
{
    if (_inited)
        return false;
    _inited = true;
    if (!m_foldersSet)
        setMaskFolders(CAEnvironment::maskPath(), CAEnvironment::thumbMaskPath());
    const QDir folder(m_maskPath);
    QStringList paths;
    QDirIterator it(m_maskPath, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        paths.append(folder.relativeFilePath(it.next()));
    // Listed by name, so that the grid does not change from one start to the next.
    std::sort(paths.begin(), paths.end(),
              [](const QString &a, const QString &b) { return QString::compare(a, b, Qt::CaseInsensitive) < 0; });

    m_cells.clear();
    for (const QString &path : paths) {
        const QFileInfo info(folder.filePath(path));
        std::shared_ptr<PWImage> image = PWImage::imageNamed(path);
        if (!image && info.isFile() && acceptedExtensions().contains(info.suffix(), Qt::CaseInsensitive)) {
            const QString thumbnail = QDir(m_thumbMaskPath).filePath(
                QFileInfo(path).path() + u'/' + info.completeBaseName() + QStringLiteral(".jpg"));
            QString why;
            const QImage bitmap = CCPictImageResolver::readBoundedPicture(
                QDir::cleanPath(thumbnail), QSize(int(kCellSize) * 2, int(kCellSize) * 2), &why);
            if (bitmap.isNull()) {
                qCInfo(lcPictures).noquote() << "Mask" << path << "has no thumbnail:" << why;
                continue;
            }
            image = PWImage::fromQImage(bitmap);
            image->setName(path);
        }
        if (!image)
            continue;
        CCMaskCell cell;
        cell.setImage(image);
        cell.setName(path);
        cell.setToolTip(info.completeBaseName());
        m_cells.push_back(std::move(cell));
    }
    m_rows = std::max(1, (cellCount() + 1) / kColumns);
    m_focus = 0;
    resize(sizeHint());
    updateGeometry();
    update();
    return true;
}

CCMaskCell *CCMaskCatalog::cellAt(int index)
{
    return index >= 0 && index < cellCount() ? &m_cells[size_t(index)] : nullptr;
}

CCMaskCell *CCMaskCatalog::cellAtRowColumn(int row, int column)
{
    if (column < 0 || column >= kColumns || row < 0)
        return nullptr;
    return cellAt(row * kColumns + column);
}

int CCMaskCatalog::selectedIndex() const
{
    for (int i = 0; i < cellCount(); ++i) {
        if (m_cells[size_t(i)].state())
            return i;
    }
    return -1;
}

CCMaskCell *CCMaskCatalog::selectedCell()
{
    return cellAt(selectedIndex());
}

void CCMaskCatalog::selectCellAtIndex(int index)
{
    for (int i = 0; i < cellCount(); ++i)
        m_cells[size_t(i)].setState(i == index);
    if (index >= 0 && index < cellCount()) {
        m_focus = index;
        ensureCellVisible(index);
    }
    update();
}

void CCMaskCatalog::ensureCellVisible(int index)
{
    for (QWidget *up = parentWidget(); up; up = up->parentWidget()) {
        if (auto *area = qobject_cast<QScrollArea *>(up)) {
            const QRect frame = cellFrameAtRowColumn(index / kColumns, index % kColumns).toAlignedRect();
            area->ensureVisible(frame.center().x(), frame.center().y(), frame.width() / 2 + 2, frame.height() / 2 + 2);
            return;
        }
    }
}

void CCMaskCatalog::deselectAllCells()
{
    selectCellAtIndex(-1);
}

bool CCMaskCatalog::selectCellByImage(const PWImage *image)
{
    QString name = image ? image->name() : QString();
    if (name.startsWith(CCPictImageResolver::kFullSizePrefix))
        name = name.mid(CCPictImageResolver::kFullSizePrefix.size());
    for (int i = 0; i < cellCount() && !name.isEmpty(); ++i) {
        if (m_cells[size_t(i)].image() && m_cells[size_t(i)].image()->name() == name) {
            selectCellAtIndex(i);
            return true;
        }
    }
    deselectAllCells();
    return false;
}

QRectF CCMaskCatalog::cellFrameAtRowColumn(int row, int column) const
{
    return QRectF(column * (kCellSize + kSpacing), row * (kCellSize + kSpacing), kCellSize, kCellSize);
}

int CCMaskCatalog::indexForPoint(const QPointF &point) const
{
    if (point.x() < 0 || point.y() < 0)
        return -1;
    const int column = int(point.x() / (kCellSize + kSpacing));
    const int row = int(point.y() / (kCellSize + kSpacing));
    if (column >= kColumns || !cellFrameAtRowColumn(row, column).contains(point))
        return -1;
    const int index = row * kColumns + column;
    return index < cellCount() ? index : -1;
}

QSize CCMaskCatalog::sizeHint() const
{
    return QSize(int(std::ceil(kColumns * kCellSize + (kColumns - 1) * kSpacing)),
                 int(std::ceil(m_rows * kCellSize + (m_rows - 1) * kSpacing)));
}

void CCMaskCatalog::choose(int index)
{
    CCMaskCell *cell = cellAt(index);
    if (!cell || !cell->hasImage())
        return;
    selectCellAtIndex(index);
    Q_EMIT action();
}

void CCMaskCatalog::paintEvent(QPaintEvent *)
{
    // A PDF or EPS mask is drawn from what its rendering has given so far: the grid never waits.
    const PWPictureRenderer::Deferred deferred;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int i = 0; i < cellCount(); ++i)
        m_cells[size_t(i)].drawInteriorWithFrame(painter, cellFrameAtRowColumn(i / kColumns, i % kColumns), palette(),
                                                 hasFocus() && i == m_focus);
}

void CCMaskCatalog::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    m_pressed = event->button() == Qt::LeftButton ? indexForPoint(event->position()) : -1;
}

void CCMaskCatalog::mouseReleaseEvent(QMouseEvent *event)
{
    const int pressed = m_pressed;
    m_pressed = -1;
    CCMaskCell *cell = cellAt(pressed);
    if (event->button() != Qt::LeftButton || !cell)
        return;
    // Released outside the cell it went down on: nothing is chosen.
    if (cell->releaseChooses(event->position(), cellFrameAtRowColumn(pressed / kColumns, pressed % kColumns)))
        choose(pressed);
}

void CCMaskCatalog::keyPressEvent(QKeyEvent *event)
{
    if (cellCount() == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    int next = m_focus;
    switch (event->key()) {
    case Qt::Key_Left: next -= 1; break;
    case Qt::Key_Right: next += 1; break;
    case Qt::Key_Up: next -= kColumns; break;
    case Qt::Key_Down: next += kColumns; break;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        choose(m_focus);
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    m_focus = std::clamp(next, 0, cellCount() - 1);
    ensureCellVisible(m_focus);
    update();
}

bool CCMaskCatalog::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const CCMaskCell *cell = cellAt(indexForPoint(help->pos()));
        if (cell && !cell->toolTip().isEmpty())
            QToolTip::showText(help->globalPos(), cell->toolTip(), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}
