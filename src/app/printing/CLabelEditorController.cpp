#include "app/printing/CLabelEditorController.h"

#include "app/printing/CATemplatePreview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

CLabelEditorController::CLabelEditorController(QObject *parent)
    : CTemplateEditorController(m_labelModel, parent)
{
}

void CLabelEditorController::bindControls(QWidget *view)
{
    CTemplateEditorController::bindControls(view);
    _pageSize = view->findChild<QComboBox *>(QStringLiteral("_pageSize"));
    if (_pageSize)
        connect(_pageSize, &QComboBox::activated, this, &CLabelEditorController::pageSize);
    _auto = view->findChild<QCheckBox *>(QStringLiteral("_auto"));
    if (_auto)
        connect(_auto, &QCheckBox::clicked, this, &CLabelEditorController::placeAuto);
}

void CLabelEditorController::pageSize(int item)
{
    m_labelModel.setPageSizeItem(item);
    updateControls();
}

void CLabelEditorController::placeAuto(bool on)
{
    const bool accepted = m_labelModel.setAuto(on);
    updateControls();
    if (!accepted)
        showRefusal();
}

void CLabelEditorController::updateControls()
{
    if (_pageSize)
        _pageSize->setCurrentIndex(m_labelModel.pageSizeItem());
    if (_auto)
        _auto->setChecked(m_labelModel.isAuto());
    CTemplateEditorController::updateControls();
}

void CLabelEditorController::updatePreview()
{
    if (!_imageView)
        return;
    const bool letter = m_labelModel.pageSizeItem() == 1;
    const QSizeF room = _imageView->contentsRect().size();
    // The page as high as the room allows, and no wider than it.
    double height = room.height();
    const QSizeF page = CATemplatePreview::labelEditorImageSize(letter, height);
    if (page.width() > room.width() && page.width() > 0)
        height *= room.width() / page.width();
    showImage(CATemplatePreview::drawLabelEditorSheet(m_labelModel.format(), letter, height,
                                                      _imageView->devicePixelRatioF()));
}
