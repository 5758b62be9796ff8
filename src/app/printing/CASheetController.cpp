#include "app/printing/CASheetController.h"

#include "app/document/CAWindowPlacement.h"
#include "kernel/merge/CADocument.h"
#include "app/printing/CEnvelopeEditorController.h"
#include "app/printing/CLabelEditorController.h"
#include "kernel/printing/CAPrintingLog.h"

#include <ui_EnvelopeProps.h>
#include <ui_LabelProps.h>
#include <ui_PostcardProps.h>

#include <QDialog>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>

namespace {

// The sheet's window: Escape and the close button go to the sheet, which cancels the editor
// when one is shown and the whole sheet otherwise.
class CASheetWindow : public QDialog
{
public:
    using QDialog::QDialog;
    std::function<void()> cancel;

    void reject() override
    {
        if (cancel)
            cancel();
        else
            QDialog::reject();
    }
};

} // namespace

CASheetController *CASheetController::create(int documentType, QWidget *parent)
{
    auto *dialog = new CASheetWindow(parent);
    switch (documentType) {
    case dtLabel:
        Ui::LabelProps().setupUi(dialog);
        break;
    case dtEnvelope:
        Ui::EnvelopeProps().setupUi(dialog);
        break;
    case dtPostcard:
        Ui::PostcardProps().setupUi(dialog);
        break;
    default:
        qCWarning(lcPrinting) << "Error loading layout properties dialog";
        delete dialog;
        return nullptr;
    }
    return new CASheetController(dialog, documentType);
}

CASheetController::CASheetController(QDialog *window, int documentType)
    : CALayoutControllerWithPreview(window)
    , _window(window)
{
    m_docType = documentType;
    m_stack = window->findChild<QStackedWidget *>(QStringLiteral("_stack"));
    _view = window->findChild<QWidget *>(QStringLiteral("_view"));
    bindControls(_view);
    if (documentType == dtLabel)
        _editorController = new CLabelEditorController(this);
    else
        _editorController = new CEnvelopeEditorController(this);
    if (QWidget *editor = editorView())
        _editorController->bindControls(editor);
    _editorController->setDelegate([this](bool createNew) { editorOK(createNew); }, [this] { editorCancel(); });
    static_cast<CASheetWindow *>(window)->cancel = [this] {
        if (isEditing())
            _editorController->btnCancel();
        else
            btnCancel();
    };
    showPage(_view, false);
}

CASheetController *CASheetController::beginSheet(QWidget *parent, CADocument &document, CALayoutChanged changed)
{
    CASheetController *sheet = create(document.docType(), parent);
    if (!sheet)
        return nullptr;
    sheet->setLayoutChangedHandler(std::move(changed));
    sheet->setupFromDocument(&document);
    sheet->selectPopups();
    sheet->_window->setAttribute(Qt::WA_DeleteOnClose);
    sheet->_window->setWindowModality(Qt::WindowModal);
    CAWindowPlacement::placeCentred(sheet->_window, parent);
    sheet->_window->show();
    return sheet;
}

QWidget *CASheetController::editorView() const
{
    return _window ? _window->findChild<QWidget *>(QStringLiteral("_editorView")) : nullptr;
}

bool CASheetController::isEditing() const
{
    return m_stack && m_stack->currentWidget() == editorView();
}

void CASheetController::setupFromDocument(CADocument *document)
{
    CALayoutControllerWithPreview::setupFromDocument(document);
    setLayoutMode(-2);
}

void CASheetController::showPage(QWidget *page, bool fit)
{
    if (!m_stack || !page)
        return;
    m_stack->setCurrentWidget(page);
    // Only the shown page counts for the window's size; each page gets the room it asks for.
    for (int i = 0; i < m_stack->count(); ++i) {
        QWidget *other = m_stack->widget(i);
        other->setSizePolicy(other == page ? QSizePolicy::Preferred : QSizePolicy::Ignored,
                             other == page ? QSizePolicy::Preferred : QSizePolicy::Ignored);
    }
    // The page's OK answers Return.
    const auto defaultButton = [page](const char *name) {
        if (auto *button = page->findChild<QPushButton *>(QLatin1String(name)))
            button->setDefault(true);
    };
    for (QPushButton *button : _window->findChildren<QPushButton *>())
        button->setDefault(false);
    defaultButton(page == _view ? "_btnOK" : "_editorBtnOK");

    const QRect before = _window->geometry();
    QSize size = page == _view ? m_chooserSize : QSize();
    if (!size.isValid()) {
        // Measured free of the size the other page fixed.
        _window->setMinimumSize(0, 0);
        _window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        _window->layout()->invalidate();
        _window->layout()->activate();
        size = _window->sizeHint().expandedTo(_window->minimumSizeHint());
    }
    _window->setFixedSize(size);
    if (fit && _window->isVisible()) {
        // The sheet keeps its top edge and its horizontal centre, as far as the screen allows.
        // Its contents' place, not move()'s: that one is the frame's, whose title bar would push
        // the contents down by its height at every switch.
        _window->setGeometry(QRect(QPoint(before.x() + (before.width() - size.width()) / 2, before.y()), size));
        CAWindowPlacement::placeInside(_window);
    }
}

void CASheetController::setLayoutMode(int mode)
{
    showPage(_view, mode != -2);
    if (mode >= 0 && _tabView)
        _tabView->setCurrentIndex(mode);
}

void CASheetController::startEditor(const TemplatePtr &format, bool createNew)
{
    if (!format)
        return;
    if (m_stack && m_stack->currentWidget() == _view)
        m_chooserSize = _window->size();
    showPage(editorView(), true);
    _editorController->setFormat(*format, createNew);
}

void CASheetController::editorOK(bool createNew)
{
    addLayout(std::make_shared<CATemplateFormat>(_editorController->getFormat()), createNew);
    setLayoutMode(1);
}

void CASheetController::editorCancel()
{
    setLayoutMode(-1);
}

void CASheetController::layoutOK()
{
    setPopups();
    close(OKCode);
}

void CASheetController::layoutCancel()
{
    close(CancelCode);
}

void CASheetController::close(int code)
{
    if (!_window)
        return;
    // Closing must not come back as a Cancel.
    static_cast<CASheetWindow *>(_window.data())->cancel = nullptr;
    Q_EMIT sheetEnded(code);
    _window->done(code);
}
