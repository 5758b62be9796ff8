#include "app/pictures/CCMaskImageView.h"

#include "app/pictures/CCPictImageResolver.h"
#include "app/pictures/CCPicturesLog.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/base/FTImageUtilities.h"
#include "platform/PWImage.h"
#include "platform/PWNotificationCenter.h"
#include "platform/PWPasteboardTypes.h"
#include "platform/PWPictureRenderer.h"
#include "platform/PWSvgPicture.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPromise>
#include <QThreadPool>
#include <QUrl>

#include <algorithm>
#include <utility>

using namespace PWPasteboardTypes;

namespace {

// What a drag offers, taken from it on the window's thread, so that it may be read elsewhere.
struct Offer
{
    QList<QByteArray> typed;    // under the PDF, TIFF and PNG types, in that order
    QList<QByteArray> pictures; // under any other picture type
    QImage bitmap;              // the clipboard's decoding, taken only when no SVG is offered
    QStringList files;          // local files
};

Offer offerOf(const QMimeData &data)
{
    Offer offer;
    for (const char *type : {kPDF, kTIFF, kPNG}) {
        const QString mime = mimeTypeOf(type);
        if (data.hasFormat(mime))
            offer.typed.append(data.data(mime));
    }
    // The clipboard's own decoding would draw an offered SVG here, in this process, so it is asked
    // only for what no SVG is offered beside.
    bool svgOffered = false;
    for (const QString &format : data.formats()) {
        if (!format.startsWith(QLatin1String("image/")))
            continue;
        svgOffered = svgOffered || format.contains(QLatin1String("svg"));
        offer.pictures.append(data.data(format));
    }
    if (data.hasImage() && !svgOffered)
        offer.bitmap = qvariant_cast<QImage>(data.imageData());
    for (const QUrl &url : data.urls())
        if (url.isLocalFile())
            offer.files.append(url.toLocalFile());
    return offer;
}

// Whether the file is an SVG by its first bytes; only a plain file is looked into.
bool isSvgFile(const QString &path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    return PWSvgPicture::isSvg(file.read(4096));
}

// Whether reading the offer may draw an SVG apart.
bool drawsApart(const Offer &offer)
{
    for (const QList<QByteArray> *list : {&offer.typed, &offer.pictures})
        for (const QByteArray &bytes : *list)
            if (PWSvgPicture::isSvg(bytes))
                return true;
    return std::any_of(offer.files.cbegin(), offer.files.cend(), isSvgFile);
}

// Picture bytes offered under any picture type are read as files are: an SVG is drawn apart,
// without the files it names.
std::shared_ptr<PWImage> imageFromOffer(const Offer &offer)
{
    for (const QList<QByteArray> *list : {&offer.typed, &offer.pictures})
        for (const QByteArray &bytes : *list)
            if (auto image = PWImage::fromData(bytes))
                return image;
    if (!offer.bitmap.isNull())
        return PWImage::fromQImage(offer.bitmap);
    for (const QString &file : offer.files)
        if (auto image = PWImage::fromFile(file))
            return image;
    return nullptr;
}

std::shared_ptr<PWImage> maskFromFile(const QString &path)
{
    QString why;
    std::shared_ptr<PWImage> image = PWImage::fromFile(path, &why);
    if (!image) {
        qCInfo(lcPictures).noquote() << "Mask refused:" << path << why;
        return nullptr;
    }
    image->setName(CCMaskImageView::kMaskPrefix + path);
    return image;
}

// The workers that draw dropped SVGs. Never destroyed: the end of the program does not wait for
// a drawing under way, which ends with its child.
QThreadPool &drawingPool()
{
    static QThreadPool *pool = [] {
        auto *made = new QThreadPool;
        made->setMaxThreadCount(2);
        return made;
    }();
    return *pool;
}

} // namespace

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
    return imageFromOffer(offerOf(data));
}

std::shared_ptr<PWImage> CCMaskImageView::maskForName(const QString &name) const
{
    if (name.startsWith(CCPictImageResolver::kFilePrefix))
        return maskFromFile(name.mid(CCPictImageResolver::kFilePrefix.size()));
    if (name.startsWith(CCPictImageResolver::kInternetPrefix)) {
        const std::shared_ptr<PWImage> named = PWImage::imageNamed(name);
        return named ? named->copy() : nullptr;
    }
    // A picture of the collection, by its name with or without "FULLSIZE_".
    return CAEnvironment::loadFullSizedImage(name);
}

bool CCMaskImageView::concludeDragOperation(const QMimeData &data)
{
    return conclude(data, false) != Drop::Refused;
}

CCMaskImageView::Drop CCMaskImageView::conclude(const QMimeData &data, bool dropped)
{
    std::shared_ptr<PWImage> mask;
    const QString namedType = mimeTypeOf(kNamedImage);
    if (data.hasFormat(namedType)) {
        const QString name = QString::fromUtf8(data.data(namedType));
        // A picture still being downloaded has nothing to give yet, even under a name cut
        // short before its address.
        if (name.startsWith(QStringView(CCPictImageResolver::kUrlPrefix).trimmed()))
            return Drop::Refused;
        if (name.startsWith(CCPictImageResolver::kFilePrefix)) {
            const QString path = name.mid(CCPictImageResolver::kFilePrefix.size());
            if (isSvgFile(path)) {
                drawApart([path] { return maskFromFile(path); }, dropped);
                return Drop::Drawing;
            }
        }
        mask = maskForName(name);
    } else {
        const QString reference = QString::fromUtf8(data.data(mimeTypeOf(kDataRef)));
        const auto named = [reference](std::shared_ptr<PWImage> image) {
            if (image && !reference.isEmpty())
                image->setName(kMaskPrefix + reference);
            return image;
        };
        Offer offer = offerOf(data);
        if (drawsApart(offer)) {
            drawApart([offer = std::move(offer), named] { return named(imageFromOffer(offer)); }, dropped);
            return Drop::Drawing;
        }
        mask = named(imageFromOffer(offer));
    }
    if (!mask || !mask->isValid())
        return Drop::Refused;
    // What was being drawn for an earlier drop is not kept over this one.
    ++m_latest;
    keep(mask);
    return Drop::Kept;
}

void CCMaskImageView::keep(const std::shared_ptr<PWImage> &mask)
{
    setMaskImage(mask);
    setImage(mask);
}

void CCMaskImageView::drawApart(std::function<std::shared_ptr<PWImage>()> read, bool dropped)
{
    const quint64 drawing = ++m_latest;
    if (m_drawing++ == 0)
        setCursor(Qt::BusyCursor);
    auto promise = std::make_shared<QPromise<std::shared_ptr<PWImage>>>();
    auto *watcher = new QFutureWatcher<std::shared_ptr<PWImage>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, drawing, dropped] {
        watcher->deleteLater();
        if (--m_drawing == 0)
            unsetCursor();
        if (drawing != m_latest)
            return;
        const std::shared_ptr<PWImage> mask = watcher->future().resultCount() > 0 ? watcher->result() : nullptr;
        const bool kept = mask && mask->isValid();
        if (kept) {
            keep(mask);
            if (dropped) {
                m_cell.setState(true);
                update();
            }
        }
        Q_EMIT maskDrawn(kept);
        if (kept && dropped)
            Q_EMIT action();
    });
    watcher->setFuture(promise->future());
    promise->start();
    drawingPool().start([promise, read = std::move(read)] {
        promise->addResult(read());
        promise->finish();
    });
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
    const Drop drop = conclude(*event->mimeData(), true);
    if (drop == Drop::Refused) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // A mask being drawn is chosen when it arrives.
    if (drop == Drop::Drawing)
        return;
    m_cell.setState(true);
    Q_EMIT action();
}
