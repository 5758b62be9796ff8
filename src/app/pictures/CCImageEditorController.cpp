#include "app/pictures/CCImageEditorController.h"

#include "app/document/CAWindowPlacement.h"
#include "app/pictures/CCImageEditorView.h"
#include "app/pictures/CCImageFilterPlugIn.h"
#include "app/pictures/CCPicturesLog.h"
#include "app/pictures/ICoreImageFilter.h"
#include "platform/PWImage.h"
#include "platform/PWLog.h"
#include "platform/PWPlist.h"
#include "platform/PWUserDefaults.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLayout>
#include <QPointer>
#include <QSignalBlocker>
#include <QSlider>

#include <ui_ImageEditor.h>

#include <algorithm>
#include <cmath>

namespace {

// Where the window's size and place are kept between runs.
QString frameKey()
{
    return QStringLiteral("NSWindow Frame ImageEditor");
}

// The image as the plug-in gets it: its pixels, with a pixel ratio that gives back its size in
// points.
QImage bitmapForFilter(const PWImage &image)
{
    const QSizeF points = image.size();
    QSize pixels = image.pixelSize();
    if (pixels.isEmpty())
        pixels = points.toSize().expandedTo(QSize(1, 1));
    QImage bitmap = image.toImage(pixels);
    if (!bitmap.isNull() && points.width() > 0.0)
        bitmap.setDevicePixelRatio(pixels.width() / points.width());
    return bitmap;
}

} // namespace

CCImageEditorController *CCImageEditorController::sharedImageEditor()
{
    static QPointer<CCImageEditorController> shared;
    if (!shared && qobject_cast<QApplication *>(QCoreApplication::instance()))
        shared = new CCImageEditorController();
    return shared;
}

CCImageEditorController::CCImageEditorController(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::ImageEditor>())
    , m_plugIn(std::make_unique<CCImageFilterPlugIn>())
    , m_defaultPlugInPaths(CCImageFilterPlugIn::defaultPaths())
{
    m_ui->setupUi(this);
    setObjectName(QStringLiteral("ImageEditor"));
    m_ui->_buttonSet->setProperty("tag", 1);
    m_ui->_buttonCancel->setProperty("tag", 0);
    m_ui->_zoomInButton->setShortcut(QKeySequence::ZoomIn);
    m_ui->_zoomOutButton->setShortcut(QKeySequence::ZoomOut);
    const QByteArray frame = PWUserDefaults::standardUserDefaults().dataForKey(frameKey());
    if (!frame.isEmpty())
        restoreGeometry(frame);
    connect(m_ui->_buttonSet, &QPushButton::clicked, this, [this] { onCloseEditor(1); });
    connect(m_ui->_buttonCancel, &QPushButton::clicked, this, [this] { onCloseEditor(0); });
    connect(m_ui->_scaleSlider, &QSlider::valueChanged, this, &CCImageEditorController::onScaleSlider);
    connect(m_ui->_zoomInButton, &QToolButton::clicked, this, &CCImageEditorController::zoomIn);
    connect(m_ui->_zoomOutButton, &QToolButton::clicked, this, &CCImageEditorController::zoomOut);
    connect(m_ui->_pictureView, &CCImageEditorView::scrollWheelChanged, this,
            &CCImageEditorController::scrollWheelDidChange);
}

CCImageEditorController::~CCImageEditorController() = default;

CCImageEditorView *CCImageEditorController::pictureView() const
{
    return m_ui->_pictureView;
}

QScrollArea *CCImageEditorController::scrollView() const
{
    return m_ui->_scrollView;
}

QSlider *CCImageEditorController::scaleSlider() const
{
    return m_ui->_scaleSlider;
}

ICoreImageFilter *CCImageEditorController::createCIFPlugInInstance()
{
    if (m_filter)
        return m_filter;
    const QString setting =
        PWUserDefaults::standardUserDefaults().stringForKey(CCImageFilterPlugIn::pathSettingKey());
    const QString path = CCImageFilterPlugIn::pathFor(setting, m_defaultPlugInPaths);
    QString reason;
    if (!m_plugIn->load(path, &reason)) {
        // No plug-in installed is the usual case; a named or present one that fails is worth a line.
        if (!setting.isEmpty() || QFileInfo::exists(path))
            PWLog::message(lcPictures(), reason + QStringLiteral("; the editor's own window is used"));
        else
            PWLog::debug(lcPictures(), reason);
        return nullptr;
    }
    m_filter = m_plugIn->instance();
    return m_filter;
}

bool CCImageEditorController::runFilter(ICoreImageFilter &filter, bool useSelection, const QRectF &rect,
                                        const QSizeF &sourceSize)
{
    const QImage bitmap = bitmapForFilter(*m_picture);
    if (const std::optional<bool> answer =
            filter.CIFShowDialogUseSelectionWithRectSourceSize(bitmap, useSelection, rect, sourceSize))
        return *answer;
    return filter.CIFShowDialogUseSelectionWithRect(bitmap, useSelection, rect);
}

bool CCImageEditorController::prepareEditor(std::shared_ptr<PWImage> image, bool useSelection, const QRectF &rect)
{
    if (!image || !(image->size().width() > 0.0) || !(image->size().height() > 0.0)) {
        PWLog::message(lcPictures(), QStringLiteral("the image editor was given no picture with a size"));
        return false;
    }
    m_filterUsed = false;
    m_picture = std::move(image);
    m_pictureSize = m_picture->size();
    CCImageEditorView *canvas = m_ui->_pictureView;
    canvas->setPicture(m_picture);
    canvas->updateSize();
    canvas->setTouched(false);
    // The layout places the scroll area before the window is first shown, so that the opening
    // scale fits the area the user will see.
    if (layout())
        layout()->activate();
    const QSizeF content = canvas->contentSize();
    canvas->setScaleFactor(0.8 * std::min(content.width() / m_pictureSize.width(),
                                          content.height() / m_pictureSize.height()));
    setSliderFromScale(canvas->getScaleFactor());
    if (useSelection)
        canvas->setSelection(rect);
    return true;
}

bool CCImageEditorController::startEditorUseSelectionWithRectSourceSize(std::shared_ptr<PWImage> image,
                                                                        bool useSelection, const QRectF &rect,
                                                                        const QSizeF &sourceSize)
{
    if (!image || !(image->size().width() > 0.0) || !(image->size().height() > 0.0)) {
        PWLog::message(lcPictures(), QStringLiteral("the image editor was given no picture with a size"));
        return false;
    }
    if (ICoreImageFilter *filter = createCIFPlugInInstance()) {
        m_picture = std::move(image);
        m_pictureSize = m_picture->size();
        m_filterUsed = true;
        const bool accepted = runFilter(*filter, useSelection, rect, sourceSize);
        m_picture.reset();
        return accepted;
    }
    if (!prepareEditor(std::move(image), useSelection, rect))
        return false;
    CAWindowPlacement::placeCentred(this, parentWidget());
    const int code = exec();
    // The canvas keeps the selection and scale for the caller to read, but not the picture.
    m_ui->_pictureView->releasePicture();
    m_picture.reset();
    return code == 1;
}

std::shared_ptr<PWImage> CCImageEditorController::outputImage() const
{
    if (!m_filterUsed || !m_filter)
        return nullptr;
    const QImage made = m_filter->CIFOutputImage();
    if (made.isNull())
        return nullptr;
    std::shared_ptr<PWImage> image = PWImage::fromQImage(made);
    if (image)
        image->setSize(made.deviceIndependentSize());
    return image;
}

bool CCImageEditorController::isSelected() const
{
    if (m_filterUsed && m_filter)
        return m_filter->CIFIsSelected();
    return m_ui->_pictureView->isSelected();
}

QRectF CCImageEditorController::getSelectedRect() const
{
    if (m_filterUsed && m_filter) {
        // A plug-in's rectangle is held to the edited image like the canvas's own.
        return CCImageEditorGeometry::normalisedInside(m_filter->CIFSelectionRect(), m_pictureSize);
    }
    return m_ui->_pictureView->getSelection();
}

void CCImageEditorController::setSelectedRect(const QRectF &rect)
{
    m_ui->_pictureView->setSelection(rect);
}

void CCImageEditorController::setSliderFromScale(double scale)
{
    const QSignalBlocker blocker(m_ui->_scaleSlider);
    m_ui->_scaleSlider->setValue(int(std::lround(CCImageEditorGeometry::scaleToSlider(scale))));
}

void CCImageEditorController::done(int result)
{
    if (isVisible())
        PWUserDefaults::standardUserDefaults().setObject(frameKey(), PWPlist::fromData(saveGeometry()));
    hide();
    QDialog::done(result);
}

void CCImageEditorController::onCloseEditor(int tag)
{
    done(tag != 0 ? 1 : 0);
}

void CCImageEditorController::onScaleSlider()
{
    m_ui->_pictureView->setScaleFactor(CCImageEditorGeometry::sliderToScale(m_ui->_scaleSlider->value()));
}

void CCImageEditorController::zoomIn()
{
    // The slider's valueChanged scales the picture; at either end of the slider nothing moves.
    m_ui->_scaleSlider->setValue(m_ui->_scaleSlider->value() + 8);
}

void CCImageEditorController::zoomOut()
{
    m_ui->_scaleSlider->setValue(m_ui->_scaleSlider->value() - 8);
}

void CCImageEditorController::scrollWheelDidChange()
{
    setSliderFromScale(m_ui->_pictureView->getScaleFactor());
}

void CCImageEditorController::closeEvent(QCloseEvent *event)
{
    done(0);
    event->accept();
}
