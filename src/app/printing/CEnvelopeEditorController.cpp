#include "app/printing/CEnvelopeEditorController.h"

#include "app/printing/CATemplatePreview.h"

#include <QCheckBox>
#include <QLabel>

CEnvelopeEditorController::CEnvelopeEditorController(QObject *parent)
    : CTemplateEditorController(m_envelopeModel, parent)
{
}

void CEnvelopeEditorController::bindControls(QWidget *view)
{
    CTemplateEditorController::bindControls(view);
    _enableWindow = view->findChild<QCheckBox *>(QStringLiteral("_enableWindow"));
    if (_enableWindow)
        connect(_enableWindow, &QCheckBox::clicked, this, &CEnvelopeEditorController::enableWindow);
}

void CEnvelopeEditorController::enableWindow(bool on)
{
    m_envelopeModel.setWindowEnabled(on);
    updateControls();
}

void CEnvelopeEditorController::updateControls()
{
    if (_enableWindow)
        _enableWindow->setChecked(m_envelopeModel.hasWindow());
    CTemplateEditorController::updateControls();
}

void CEnvelopeEditorController::updatePreview()
{
    if (!_imageView)
        return;
    showImage(CATemplatePreview::drawEnvelopeEditor(m_envelopeModel.format(), _imageView->contentsRect().size(),
                                                    _imageView->devicePixelRatioF()));
}
