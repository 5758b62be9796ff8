#pragma once

#include "app/printing/CEnvelopeEditorModel.h"
#include "app/printing/CTemplateEditorController.h"

class QCheckBox;

// The envelope editor's widgets: the common ones and the window check box, with the envelope and
// its window drawn as a preview. Postcards use it without the window controls.
class CEnvelopeEditorController : public CTemplateEditorController
{
    Q_OBJECT
public:
    explicit CEnvelopeEditorController(QObject *parent = nullptr);

    void bindControls(QWidget *view) override;
    CEnvelopeEditorModel &envelopeModel() { return m_envelopeModel; }

    void enableWindow(bool on);

protected:
    void updateControls() override;
    void updatePreview() override;

private:
    CEnvelopeEditorModel m_envelopeModel;
    QPointer<QCheckBox> _enableWindow;
};
