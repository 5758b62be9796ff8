#pragma once

#include "app/printing/CLabelEditorModel.h"
#include "app/printing/CTemplateEditorController.h"

class QCheckBox;

// The label-sheet editor's widgets: the common ones, the page-size pop-up and the Auto check box,
// with the sheet drawn as a preview.
class CLabelEditorController : public CTemplateEditorController
{
    Q_OBJECT
public:
    explicit CLabelEditorController(QObject *parent = nullptr);

    void bindControls(QWidget *view) override;
    CLabelEditorModel &labelModel() { return m_labelModel; }

    void pageSize(int item);
    void placeAuto(bool on);

protected:
    void updateControls() override;
    void updatePreview() override;

private:
    CLabelEditorModel m_labelModel;
    QPointer<QComboBox> _pageSize;
    QPointer<QCheckBox> _auto;
};
