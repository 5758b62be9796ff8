#include "app/inspector/CATrashImageView.h"

#include "app/inspector/CAAddressFormatGrid.h"
#include "app/inspector/CAControlImages.h"
#include "platform/PWBundle.h"
#include "platform/PWPasteboardTypes.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QPainter>

namespace {

QString trashName()
{
    return QStringLiteral("trash");
}

// Only a field of the grid whose data reads back as a field is taken: the grid removes what the
// trash takes, so damaged data must not count as taken.
bool carriesField(const QMimeData *data)
{
    const QString type = PWPasteboardTypes::mimeTypeOf(PWPasteboardTypes::kCustomAddressFormatField);
    return data && data->hasFormat(type) && CAAddressFormatGrid::categoryFromDragData(data->data(type)) != -1;
}

} // namespace

CATrashImageView::CATrashImageView(QWidget *parent)
    : QWidget(parent)
    , m_highlightTrashImage(makeHighlight(CAControlImages::image(trashName())))
{
    setObjectName(QStringLiteral("trash"));
    setAcceptDrops(true);
    setToolTip(PWLocalizedString(QStringLiteral("Drag a field here to remove it")));
    setMinimumSize(sizeHint());
}

QImage CATrashImageView::makeHighlight(const QImage &trash)
{
    if (trash.isNull())
        return {};
    QImage highlight(trash.size(), QImage::Format_ARGB32_Premultiplied);
    highlight.fill(Qt::transparent);
    QPainter painter(&highlight);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, trash);
    painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    painter.fillRect(highlight.rect(), QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.4f));
    return highlight;
}

QImage CATrashImageView::currentImage() const
{
    return m_isDragOver ? m_highlightTrashImage : CAControlImages::image(trashName());
}

QSize CATrashImageView::sizeHint() const
{
    return CAControlImages::image(trashName()).size().expandedTo(QSize(32, 32)) + QSize(8, 8);
}

void CATrashImageView::paintEvent(QPaintEvent *)
{
    const QImage image = currentImage();
    if (image.isNull())
        return;
    QPainter painter(this);
    const QRect target(QPoint(0, 0), image.size().scaled(size(), Qt::KeepAspectRatio).boundedTo(image.size()));
    painter.drawImage(target.translated(rect().center() - target.center()), image, image.rect());
}

void CATrashImageView::setDragOver(bool over)
{
    if (m_isDragOver == over)
        return;
    m_isDragOver = over;
    update();
}

void CATrashImageView::dragEnterEvent(QDragEnterEvent *event)
{
    if (!carriesField(event->mimeData())) {
        event->ignore();
        return;
    }
    setDragOver(true);
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void CATrashImageView::dragMoveEvent(QDragMoveEvent *event)
{
    if (!carriesField(event->mimeData())) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void CATrashImageView::dragLeaveEvent(QDragLeaveEvent *)
{
    setDragOver(false);
}

void CATrashImageView::dropEvent(QDropEvent *event)
{
    setDragOver(false);
    if (!carriesField(event->mimeData())) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
}
