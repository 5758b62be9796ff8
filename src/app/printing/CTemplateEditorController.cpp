#include "app/printing/CTemplateEditorController.h"

#include "platform/PWBundle.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <QToolTip>

CTemplateEditorController::CTemplateEditorController(CTemplateEditorModel &model, QObject *parent)
    : QObject(parent)
    , m_model(model)
{
}

CTemplateEditorController::~CTemplateEditorController() = default;

void CTemplateEditorController::bindControls(QWidget *view)
{
    _view = view;
    for (QLineEdit *edit : view->findChildren<QLineEdit *>()) {
        const QVariant tag = edit->property("tag");
        if (!tag.isValid())
            continue;
        const int number = tag.toInt();
        m_fields.insert(number, edit);
        // No validator: one drops the keys it cannot take, and a text typed with them ("1e9")
        // would read as another number. The model refuses what it cannot take instead.
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textEdited, this, [this, number](const QString &text) {
            m_model.setText(number, text);
            markField(number);
        });
        connect(edit, &QLineEdit::editingFinished, this, [this, number] { textField(number); });
    }
    _units = view->findChild<QComboBox *>(QStringLiteral("_units"));
    if (_units)
        connect(_units, &QComboBox::activated, this, &CTemplateEditorController::changeUnits);
    if (QWidget *matrix = view->findChild<QWidget *>(QStringLiteral("_editorOrientationMatrix"))) {
        _orientationMatrix = new QButtonGroup(this);
        for (QRadioButton *cell : matrix->findChildren<QRadioButton *>())
            _orientationMatrix->addButton(cell, cell->property("tag").toInt());
        connect(_orientationMatrix, &QButtonGroup::idClicked, this, &CTemplateEditorController::orientationMatrix);
    }
    _imageView = view->findChild<QLabel *>(QStringLiteral("_editorImageView"));
    if (_imageView) {
        _imageView->setAlignment(Qt::AlignCenter);
        m_watchedImageView = _imageView;
        _imageView->installEventFilter(this);
    }
    if (auto *ok = view->findChild<QAbstractButton *>(QStringLiteral("_editorBtnOK")))
        connect(ok, &QAbstractButton::clicked, this, &CTemplateEditorController::btnOK);
    if (auto *cancel = view->findChild<QAbstractButton *>(QStringLiteral("_editorBtnCancel")))
        connect(cancel, &QAbstractButton::clicked, this, &CTemplateEditorController::btnCancel);
}

void CTemplateEditorController::setDelegate(EditorOK ok, EditorCancel cancel)
{
    m_ok = std::move(ok);
    m_cancel = std::move(cancel);
}

void CTemplateEditorController::setFormat(const CATemplateFormat &format, bool contextInfo)
{
    m_model.setFormat(format, contextInfo);
    updateControls();
    if (QLineEdit *name = field(CTemplateEditorModel::NameTag)) {
        name->setFocus(Qt::OtherFocusReason);
        name->selectAll();
    }
}

void CTemplateEditorController::updateControls()
{
    for (auto it = m_fields.cbegin(); it != m_fields.cend(); ++it) {
        QLineEdit *edit = it.value();
        if (!edit)
            continue;
        if (edit->text() != m_model.text(it.key()))
            edit->setText(m_model.text(it.key()));
        edit->setEnabled(m_model.isEnabled(it.key()));
        markField(it.key());
    }
    if (_units)
        _units->setCurrentIndex(m_model.units() == cuMillimeters ? 0 : 1);
    if (_orientationMatrix)
        if (QAbstractButton *cell = _orientationMatrix->button(m_model.format().isHorizontal() ? 0 : 1))
            cell->setChecked(true);
    updatePreview();
}

void CTemplateEditorController::markField(int tag)
{
    QLineEdit *edit = field(tag);
    if (!edit)
        return;
    const bool acceptable = m_model.isAcceptable(tag);
    QPalette palette = QApplication::palette(edit);
    if (!acceptable)
        palette.setColor(QPalette::Base, QColor(255, 221, 221));
    edit->setPalette(palette);
    const auto range = m_model.shownRange(tag);
    edit->setToolTip(acceptable || !range ? QString()
                                          : PWLocalizedString(QStringLiteral("Enter a number from %1 to %2."))
                                                .arg(range->first, range->second));
}

void CTemplateEditorController::textField(int tag)
{
    if (!m_model.commit(tag)) {
        refuseField(tag);
        return;
    }
    updateControls();
}

void CTemplateEditorController::refuseField(int tag)
{
    QLineEdit *edit = field(tag);
    if (!edit || m_refusing.contains(tag))
        return;
    // Told once for the end of editing and the focus lost together; the focus comes back once
    // what took it (a click, Tab) is done, so that Cancel still answers its click.
    m_refusing.append(tag);
    markField(tag);
    QApplication::beep();
    QTimer::singleShot(0, this, [this, tag, edit = QPointer<QLineEdit>(edit)] {
        m_refusing.removeAll(tag);
        if (!edit || !edit->isVisible() || !edit->isEnabled() || m_model.isAcceptable(tag))
            return;
        if (!edit->hasFocus()) {
            edit->setFocus(Qt::OtherFocusReason);
            edit->selectAll();
        }
        if (!edit->toolTip().isEmpty())
            QToolTip::showText(edit->mapToGlobal(QPoint(0, edit->height())), edit->toolTip(), edit);
    });
}

void CTemplateEditorController::changeUnits(int item)
{
    if (!m_model.changeUnits(item)) {
        if (_units)
            _units->setCurrentIndex(m_model.units() == cuMillimeters ? 0 : 1);
        showRefusal();
        return;
    }
    updateControls();
}

void CTemplateEditorController::orientationMatrix(int tag)
{
    m_model.setHorizontal(tag == 0);
    updatePreview();
}

void CTemplateEditorController::btnOK()
{
    if (!m_model.save()) {
        updateControls();
        showRefusal();
        return;
    }
    updateControls();
    if (m_ok)
        m_ok(m_model.contextInfo());
}

void CTemplateEditorController::btnCancel()
{
    if (m_cancel)
        m_cancel();
}

void CTemplateEditorController::showRefusal()
{
    QApplication::beep();
    if (QLineEdit *edit = field(m_model.refusedTag())) {
        markField(m_model.refusedTag());
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
    }
}

void CTemplateEditorController::showImage(const QImage &image)
{
    m_image = image;
    if (_imageView)
        _imageView->setPixmap(QPixmap::fromImage(image));
}

bool CTemplateEditorController::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && watched == m_watchedImageView)
        updatePreview();
    // A field the user typed a text into that it cannot take keeps the focus until the text is
    // mended; another window or a menu taking the focus leaves it be.
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        for (auto it = m_fields.cbegin(); it != m_fields.cend(); ++it) {
            if (it.value() != watched)
                continue;
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && it.value()->isModified()
                && !m_model.isAcceptable(it.key()))
                refuseField(it.key());
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}
