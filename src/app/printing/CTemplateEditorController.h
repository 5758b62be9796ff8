#pragma once

#include "app/printing/CTemplateEditorModel.h"

#include <QImage>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>

#include <functional>

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;

// The widgets of a template editor over its model: the fields (line edits carrying their tag as
// the property "tag"), the units pop-up, the orientation cells, the preview and OK and Cancel. A
// field takes whatever is typed; the value reaches the template when its field finishes editing
// with an acceptable text. A field holding a text it cannot take says so and keeps the focus
// until the text is mended; OK commits every field or refuses, showing the field at fault.
class CTemplateEditorController : public QObject
{
    Q_OBJECT
public:
    using EditorOK = std::function<void(bool contextInfo)>;
    using EditorCancel = std::function<void()>;

    CTemplateEditorController(CTemplateEditorModel &model, QObject *parent = nullptr);
    ~CTemplateEditorController() override;

    // Finds the editor's controls below view by their object names.
    virtual void bindControls(QWidget *view);
    QWidget *view() const { return _view; }
    void setDelegate(EditorOK ok, EditorCancel cancel);

    // Starts editing a copy of the template; the name field takes the focus.
    void setFormat(const CATemplateFormat &format, bool contextInfo);
    // The edited copy; read it after OK, before the next setFormat.
    const CATemplateFormat &getFormat() const { return m_model.format(); }
    CTemplateEditorModel &model() const { return m_model; }
    QLineEdit *field(int tag) const { return m_fields.value(tag); }
    QImage previewImage() const { return m_image; }

    // Actions.
    void textField(int tag);
    void changeUnits(int item);
    void orientationMatrix(int tag);
    void btnOK();
    void btnCancel();

protected:
    // The controls show the model again.
    virtual void updateControls();
    virtual void updatePreview() = 0;
    // A change was refused: the field that holds the bad value gets the focus.
    void showRefusal();
    void showImage(const QImage &image);
    bool eventFilter(QObject *watched, QEvent *event) override;

    CTemplateEditorModel &m_model;
    QPointer<QWidget> _view;
    QMap<int, QPointer<QLineEdit>> m_fields;
    QPointer<QComboBox> _units;
    QPointer<QButtonGroup> _orientationMatrix;
    QPointer<QLabel> _imageView;
    // The label as the event filter compares it: the label itself is no label any more once its
    // destruction began, while events still come.
    const QObject *m_watchedImageView = nullptr;
    QImage m_image;

private:
    void markField(int tag);
    // The field's text was refused: the field says so and keeps (or takes back) the focus.
    void refuseField(int tag);
    QList<int> m_refusing;
    EditorOK m_ok;
    EditorCancel m_cancel;
};
