#include "app/pictures/CCMaskImageView.h"

#include "app/pictures/CCPictImageResolver.h"
#include "app/pictures/CCPicturesLog.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/base/FTImageUtilities.h"
#include "platform/PWImage.h"
#include "platform/PWNotificationCenter.h"
#include "platform/PWPasteboardTypes.h"
#include "platform/PWPictureRenderer.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

using namespace PWPasteboardTypes;

CCMaskImageView::CCMaskImageView(QWidget *parent)
    : QWidget(parent)
{
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setMinimumSize(sizeHint());
    // A PDF or EPS picture rendered in the background shows as soon as it is there.
    PWNotificationCenter::defaultCenter().addObserver(
        PWPictureRenderer::kRenderedNotification, nullptr, [this](const PWNotification &) { update(); }, this);
}

QSize CCMaskImageView::sizeHint() const
{
    return QSize(67, 67);
}

void CCMaskImageView::setMaskImage(const std::shared_ptr<PWImage> &image)
{
    if (!image) {
        _maskImage.reset();
        return;
    }
    std::shared_ptr<PWImage> copy = image->copy();
    convertMaskImage(copy.get());
    // The copy keeps the name that tells where the mask came from.
    if (!image->name().isEmpty())
        copy->setName(image->name());
    _maskImage = std::move(copy);
}

void CCMaskImageView::setImage(const std::shared_ptr<PWImage> &image)
{
    m_cell.setImage(image);
    update();
}

bool CCMaskImageView::selectCellByImage(const std::shared_ptr<PWImage> &image)
{
    const bool was = m_cell.state();
    if (!image) {
        m_cell.setState(false);
    } else {
        if (image != _maskImage) {
            _maskImage = image;
            m_cell.setImage(image);
        }
        m_cell.setState(true);
    }
    if (was != m_cell.state() || image)
        update();
    return m_cell.state();
}

std::shared_ptr<PWImage> CCMaskImageView::imageFromMimeData(const QMimeData &data)
{
    for (const char *type : {kPDF, kTIFF, kPNG}) {
        const QString mime = mimeTypeOf(type);
        if (data.hasFormat(mime)) {
            if (auto image = PWImage::fromData(data.data(mime)))
                return image;
        }
    }
    // Picture bytes offered under any other picture type are read as files are: an SVG is drawn
    // apart, without the files it names. The clipboard's own decoding would draw an offered SVG here,
    // in this process, so it is asked only for what no SVG is offered beside.
    bool svgOffered = false;
    for (const QString &format : data.formats()) {
        if (!format.startsWith(QLatin1String("image/")))
            continue;
        svgOffered = svgOffered || format.contains(QLatin1String("svg"));
        if (auto image = PWImage::fromData(data.data(format)))
            return image;
    }
    if (data.hasImage() && !svgOffered) {
        const QImage bitmap = qvariant_cast<QImage>(data.imageData());
        if (!bitmap.isNull())
            return PWImage::fromQImage(bitmap);
    }
    for (const QUrl &url : data.urls()) {
        if (url.isLocalFile()) {
            if (auto image = PWImage::fromFile(url.toLocalFile()))
                return image;
        }
    }
    return nullptr;
}

std::shared_ptr<PWImage> CCMaskImageView::maskForName(const QString &name) const
{
    if (name.startsWith(CCPictImageResolver::kFilePrefix)) {
        const QString path = name.mid(CCPictImageResolver::kFilePrefix.size());
        QString why;
        std::shared_ptr<PWImage> image = PWImage::fromFile(path, &why);
        if (!image) {
            qCInfo(lcPictures).noquote() << "Mask refused:" << path << why;
            return nullptr;
        }
        image->setName(kMaskPrefix + path);
        return image;
    }
    if (name.startsWith(CCPictImageResolver::kInternetPrefix)) {
        const std::shared_ptr<PWImage> named = PWImage::imageNamed(name);
        return named ? named->copy() : nullptr;
    }
    // A picture of the collection, by its name with or without "FULLSIZE_".
    return CAEnvironment::loadFullSizedImage(name);
}

bool CCMaskImageView::concludeDragOperation(const QMimeData &data)
{
    std::shared_ptr<PWImage> mask;
    const QString namedType = mimeTypeOf(kNamedImage);
    if (data.hasFormat(namedType)) {
        const QString name = QString::fromUtf8(data.data(namedType));
        // A picture still being downloaded has nothing to give yet, even under a name cut
        // short before its address.
        if (name.startsWith(QStringView(CCPictImageResolver::kUrlPrefix).trimmed()))
            return false;
        mask = maskForName(name);
    } else {
        mask = imageFromMimeData(data);
        const QString reference = QString::fromUtf8(data.data(mimeTypeOf(kDataRef)));
        if (mask && !reference.isEmpty())
            mask->setName(kMaskPrefix + reference);
    }
    if (!mask || !mask->isValid())
        return false;
    setMaskImage(mask);
    setImage(mask);
    return true;
}

void CCMaskImageView::paintEvent(QPaintEvent *)
{
    // A PDF or EPS picture is drawn from what its rendering has given so far: the well, and the
    // inspector it sits in, never wait for it.
    const PWPictureRenderer::Deferred deferred;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    m_cell.drawInteriorWithFrame(painter, QRectF(rect()), palette(), hasFocus());
}

void CCMaskImageView::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    m_pressed = event->button() == Qt::LeftButton;
}

void CCMaskImageView::mouseReleaseEvent(QMouseEvent *event)
{
    const bool pressed = m_pressed;
    m_pressed = false;
    if (!pressed || event->button() != Qt::LeftButton || !m_cell.releaseChooses(event->position(), QRectF(rect())))
        return;
    m_cell.setState(true);
    update();
    Q_EMIT action();
}

void CCMaskImageView::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Space || event->key() == Qt::Key_Return) && m_cell.hasImage()) {
        m_cell.setState(true);
        update();
        Q_EMIT action();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CCMaskImageView::dragEnterEvent(QDragEnterEvent *event)
{
    const QMimeData *data = event->mimeData();
    const bool named = data->hasFormat(mimeTypeOf(kNamedImage));
    if (named || data->hasImage() || data->hasUrls() || data->hasFormat(mimeTypeOf(kPDF))
        || data->hasFormat(mimeTypeOf(kTIFF)) || data->hasFormat(mimeTypeOf(kPNG)))
        event->acceptProposedAction();
}

void CCMaskImageView::dropEvent(QDropEvent *event)
{
    if (!concludeDragOperation(*event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    m_cell.setState(true);
    Q_EMIT action();
}
