#include "app/printsheet/CAPrintViewController.h"

#include "app/contacts/CAPrintListArray.h"
#include "app/printing/CAPrinter.h"
#include "app/printing/CAPrinterPrintTarget.h"
#include "app/printsheet/CAJobReportMessages.h"
#include "app/printsheet/CAPrintEditingTab.h"
#include "app/printsheet/CAPrintJobTexts.h"
#include "app/printsheet/CAPrintPreview.h"
#include "app/document/CAScrollView.h"
#include "kernel/merge/CADocument.h"
#include "kernel/merge/CAEnvelopePrintingView.h"
#include "kernel/printing/CATemplateFormat.h"
#include "kernel/document/CFTADocument.h"
#include "platform/PWBundle.h"
#include "platform/PWJobReport.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWPictureRenderer.h"
#include "platform/PWUserDefaults.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <ui_PrintViewDYMO.h>
#include <ui_PrintViewEnvelope.h>
#include <ui_PrintViewLabel.h>

using namespace Qt::StringLiterals;

namespace {

CAPrintViewController::PdfPathChooser &pdfPathChooser()
{
    static CAPrintViewController::PdfPathChooser chooser = [](QWidget *parent, const QString &name) {
        return QFileDialog::getSaveFileName(parent, PWLocalizedString(QStringLiteral("Save as PDF")), name,
                                            QStringLiteral("PDF (*.pdf)"));
    };
    return chooser;
}

CAPrintViewController::PrinterSetup &printerSetup()
{
    static CAPrintViewController::PrinterSetup setup = [](QPrinter &printer, QWidget *parent) {
        QPrintDialog dialog(&printer, parent);
        return dialog.exec() == QDialog::Accepted;
    };
    return setup;
}

CAPrintViewController::PrinterDestination &printerDestination()
{
    static CAPrintViewController::PrinterDestination destination = [](QPrinter &) {};
    return destination;
}

const QString kEnvelopeAlignDefault = QStringLiteral("FTEnvelopePrintAlign");
constexpr int kEditListTag = 100;
// One step of the zoom buttons and of the wheel with Control held.
constexpr double kZoomStep = 1.5;

// A progress window over the job: the page being made, and a Cancel that stops after it.
CAPrintJob::ProgressTarget::Progress progressFor(QProgressDialog &progress)
{
    return [&progress](int page, int pages) {
        progress.setMaximum(pages);
        progress.setValue(page);
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    };
}

// While the job waits for a picture: the progress window stays alive and its Cancel ends the wait.
PWJobReport::WaitHook waitHookFor(QProgressDialog &progress)
{
    return [&progress] {
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    };
}

void setUpProgress(QProgressDialog &progress)
{
    progress.setWindowModality(Qt::WindowModal);
    progress.setLabelText(PWLocalizedString(QStringLiteral("Making the pages…")));
    progress.setMinimumDuration(300);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    // Started now: the window shows after the minimum duration also while the job waits for a
    // picture before its first page.
    progress.setValue(progress.minimum());
}

// A control of the sheet's form by its name; null for one this layout does not have.
template <typename T> T *control(QWidget *sheet, const char *name)
{
    return sheet->findChild<T *>(QLatin1String(name));
}

} // namespace

void CAPrintViewController::setPdfPathChooser(PdfPathChooser chooser)
{
    pdfPathChooser() = std::move(chooser);
}

void CAPrintViewController::setPrinterSetup(PrinterSetup setup)
{
    printerSetup() = std::move(setup);
}

void CAPrintViewController::setPrinterDestination(PrinterDestination destination)
{
    printerDestination() = std::move(destination);
}

CAPrintViewController::CAPrintViewController(std::shared_ptr<CADocument> document, CAPrintSheetKind kind,
                                             CAPrintJob::PersonChoice persons, const QStringList &printerNames,
                                             QWidget *parent)
    : QDialog(parent)
    , m_document(std::move(document))
    , m_kind(kind)
    , m_persons(std::move(persons))
{
    setObjectName(CAPrintJob::sheetName(kind));
    setWindowModality(Qt::WindowModal);
    CAPrintSettings &settings = m_document->printSettings();
    m_rotationChosen = settings.envelopeRotation != 0;
    m_envelopeRotation = m_rotationChosen ? settings.envelopeRotation : startingRotation();
    if (kind == CAPrintSheetKind::LabelSheet && m_document->ftDocument()) {
        const CATemplateFormat layout = CATemplateFormat::initFromDocument(*m_document->ftDocument());
        m_itemsPerPage = std::max(1, layout.Columns() * layout.Rows());
    }
    buildForm(printerNames);
}

CAPrintViewController::~CAPrintViewController() = default;

void CAPrintViewController::buildForm(const QStringList &printerNames)
{
    switch (m_kind) {
    case CAPrintSheetKind::Roll:
        Ui::PrintViewDYMO().setupUi(this);
        break;
    case CAPrintSheetKind::LabelSheet:
        Ui::PrintViewLabel().setupUi(this);
        break;
    case CAPrintSheetKind::Envelope:
        Ui::PrintViewEnvelope().setupUi(this);
        break;
    }
    _viewTab = control<QTabWidget>(this, "_viewTab");
    _scrollView = control<CAScrollView>(this, "_scrollView");
    _imageView = control<CAPrintPreview>(this, "_imageView");
    _progressCaption = control<QLabel>(this, "_progress_caption");
    // Under the page: the addresses of the preview that do not fit their labels.
    _fitNote = new QLabel(this);
    _fitNote->setObjectName(u"_fitNote"_s);
    _fitNote->setWordWrap(true);
    _fitNote->setTextFormat(Qt::PlainText);
    _fitNote->hide();
    if (auto *column = qobject_cast<QBoxLayout *>(_progressCaption->parentWidget()->layout()))
        column->insertWidget(column->indexOf(_progressCaption) + 1, _fitNote);
    connect(_imageView, &CAPrintPreview::notesChanged, this, &CAPrintViewController::showNotes);
    _zoom = control<QSlider>(this, "_zoom");
    _copiesEdit = control<QSpinBox>(this, "_copiesEdit");
    _startFromEdit = control<QSpinBox>(this, "_startFromEdit");
    _pageEdit = control<QSpinBox>(this, "_pageEdit");
    _pageCount = control<QLabel>(this, "_pageCount");
    _printerList = control<QComboBox>(this, "_printerList");
    _personListButton = control<QComboBox>(this, "_personListButton");
    _cutLineCheck = control<QCheckBox>(this, "_cutLineCheck");
    _dotMarkCheck = control<QCheckBox>(this, "_dotMarkCheck");
    _vectorCheck = control<QCheckBox>(this, "_vectorCheck");
    _suppressCountryFieldCheck = control<QCheckBox>(this, "_suppressCountryFieldCheck");
    _omitContactNameCheck = control<QCheckBox>(this, "_omitContactNameCheck");
    _commaDelimitedCheck = control<QCheckBox>(this, "_commaDelimitedCheck");
    _fitAddressPanelCheck = control<QCheckBox>(this, "_fitAddressPanelCheck");
    _printerSettings = control<QCheckBox>(this, "_printerSettings");
    _closeButton = control<QPushButton>(this, "_closeButton");
    _exportButton = control<QPushButton>(this, "_exportButton");
    _printButton = control<QPushButton>(this, "_printButton");

    _editingTab = control<CAPrintEditingTab>(this, "_editingTab");
    _guiModeButton = control<QPushButton>(this, "_guiModeButton");
    connect(_imageView, &CAPrintPreview::pageClicked, this, &CAPrintViewController::previewClicked);
    connect(_editingTab, &CAPrintEditingTab::closeRequested, this, &CAPrintViewController::closeEditor);
    connect(_guiModeButton, &QPushButton::toggled, this, &CAPrintViewController::switchGUIMode);
    // Going back to the preview keeps what was typed: the item is written back as by Done.
    connect(_viewTab, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == 0 && _editingTab->isEditing())
            closeEditor();
    });
    // The page hangs in the hand-drag container, white until the preview is built.
    _scrollView->setPage(_imageView);
    _scrollView->drawBackground(true);
    _scrollView->installEventFilter(this);
    // The slider keeps the container's top-left corner where it is, the wheel the point under
    // the pointer.
    connect(_zoom, &QSlider::valueChanged, this, [this](int percent) { zoomAbout(QPointF(0.0, 0.0), percent); });
    connect(_imageView, &CAPrintPreview::zoomRequested, this, [this](const QPointF &position, int steps) {
        double percent = _zoom->value();
        for (int i = 0; i < std::abs(steps); ++i)
            percent = steps > 0 ? percent * kZoomStep : percent / kZoomStep;
        const int bounded = std::clamp(int(percent), _zoom->minimum(), _zoom->maximum());
        {
            const QSignalBlocker block(_zoom);
            _zoom->setValue(bounded);
        }
        zoomAbout(_imageView->mapTo(_scrollView, position), bounded);
    });
    connect(control<QPushButton>(this, "zoomIn"), &QPushButton::clicked, this,
            [this] { _zoom->setValue(std::min(_zoom->maximum(), int(_zoom->value() * kZoomStep))); });
    connect(control<QPushButton>(this, "zoomOut"), &QPushButton::clicked, this,
            [this] { _zoom->setValue(std::max(_zoom->minimum(), int(_zoom->value() / kZoomStep))); });
    connect(control<QPushButton>(this, "_fitButton"), &QPushButton::clicked, this, [this] { _zoom->setValue(100); });
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(button == _printButton);

    setUpSettings(printerNames);
}

void CAPrintViewController::setUpSettings(const QStringList &printerNames)
{
    CAPrintSettings &settings = m_document->printSettings();
    const documentType type = m_document->docType();
    const bool labels = type == dtLabel, postcards = type == dtPostcard;
    const QString copiesCaption = labels ? u"Number of labels:"_s : postcards ? u"Number of postcards:"_s : u"Number of envelopes:"_s;
    control<QLabel>(this, "_copiesCaption")->setText(PWLocalizedString(copiesCaption));
    if (QLabel *startCaption = control<QLabel>(this, "_startFromCaption"))
        startCaption->setText(PWLocalizedString(labels ? u"Start from label:"_s : u"Start from postcard:"_s));
    if (_startFromEdit)
        _startFromEdit->setRange(1, m_itemsPerPage);

    _printerList->addItems(printerNames);
    _printerList->setCurrentIndex(printerNames.indexOf(settings.printerName));

    // The persons: the design's own recipient, or a print list.
    _personSourceRadio = new QButtonGroup(this);
    _personSourceRadio->addButton(control<QRadioButton>(this, "_personSourceOwn"), 0);
    _personSourceRadio->addButton(control<QRadioButton>(this, "_personSourceList"), 1);
    CAPrintListArray &lists = CAPrintListArray::getShared();
    for (int i = 0; i < lists.count(); ++i)
        _personListButton->addItem(lists.getPrintListNameAt(i));
    _personListButton->insertSeparator(_personListButton->count());
    _personListButton->addItem(PWLocalizedString(QStringLiteral("Edit List")), kEditListTag);
    // The list offered is the design's print list (else the current one), also while the sheet
    // starts on the design's own address: one click on the list choice then prints it.
    QString offered = m_persons.listName;
    if (offered.isEmpty())
        offered = m_document->getPrintListName().value_or(QString());
    if (offered.isEmpty() && lists.currentPrintListIndex() != -1)
        offered = lists.getPrintListNameAt(lists.currentPrintListIndex());
    _personListButton->setCurrentIndex(offered.isEmpty() ? -1 : _personListButton->findText(offered));

    _alignmentMatrix = new QButtonGroup(this);
    for (int tag = 0; tag < 3; ++tag)
        if (auto *button = findChild<QRadioButton *>(QStringLiteral("_align%1").arg(tag)))
            _alignmentMatrix->addButton(button, tag);
    _paperFeed = new QButtonGroup(this);
    for (int tag = 0; tag < 3; ++tag)
        if (auto *button = findChild<QRadioButton *>(QStringLiteral("_feed%1").arg(tag)))
            _paperFeed->addButton(button, tag);
    if (QPushButton *left = control<QPushButton>(this, "_rotateLeft"))
        connect(left, &QPushButton::clicked, this, [this] { rotateBy(1); });
    if (QPushButton *right = control<QPushButton>(this, "_rotateRight"))
        connect(right, &QPushButton::clicked, this, [this] { rotateBy(2); });

    // Starting values: the choices stored with the design, the preferences for the filters.
    const PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    if (_cutLineCheck)
        _cutLineCheck->setChecked(settings.cutLines);
    if (_dotMarkCheck)
        _dotMarkCheck->setChecked(settings.dottedMark);
    _vectorCheck->setChecked(!defaults.boolForKey(QStringLiteral("FTVectorPrinting")));
    _suppressCountryFieldCheck->setChecked(defaults.boolForKey(QStringLiteral("FTSuppressCountryField")));
    _commaDelimitedCheck->setChecked(defaults.boolForKey(QStringLiteral("FTCommaDelimitedAddress")));
    _fitAddressPanelCheck->setChecked(defaults.boolForKey(QStringLiteral("FTAddressAutoResize")));
    // The alignment is the design's own; the paper feed shows the user's last choice.
    if (QAbstractButton *button = _alignmentMatrix->button(qBound(0, settings.envelopeAlignment, 2)))
        button->setChecked(true);
    if (!defaults.objectForKey(kEnvelopeAlignDefault).isNull()) {
        const int feed = int(defaults.integerForKey(kEnvelopeAlignDefault));
        if (QAbstractButton *button = _paperFeed->button(feed == 1 || feed == 2 ? feed : 0))
            button->setChecked(true);
    }
    if (_printerSettings)
        _printerSettings->setChecked(settings.usePrinterSettings);

    // The design's own persons (imported by a command) print as they are listed, one item each,
    // like a print list's; only a print list turns the source to the list.
    const bool useList = m_persons.fromPrintList && printsPersons();
    _personSourceRadio->button(useList ? 1 : 0)->setChecked(true);
    if (!useList && m_persons.fromPrintList)
        settings.personList = false;
    settings.startFrom = 1;
    const int copies = printsPersons() ? int(m_persons.persons->size()) : 1;
    // A list longer than the copies field reaches is still printed whole, and shown so: the
    // field's top stands for a full sheet, so it lies above the list.
    if (copies >= _copiesEdit->maximum())
        _copiesEdit->setMaximum(copies + 1);
    _copiesEdit->setValue(copies);
    settings.copies = copies;
    showJobTexts();

    connect(_copiesEdit, &QSpinBox::valueChanged, this, [this](int value) {
        setCopies(CAPrintJob::copiesFromStepper(value, _copiesEdit->maximum(), m_kind == CAPrintSheetKind::LabelSheet ? m_itemsPerPage : 0));
    });
    if (_startFromEdit)
        connect(_startFromEdit, &QSpinBox::valueChanged, this, &CAPrintViewController::startFromChanged);
    connect(_pageEdit, &QSpinBox::valueChanged, this, &CAPrintViewController::pageChanged);
    if (_cutLineCheck)
        connect(_cutLineCheck, &QCheckBox::toggled, this, [this](bool on) {
            changeSettings([on](CAPrintSettings &settings) { settings.cutLines = on; });
        });
    if (_dotMarkCheck)
        connect(_dotMarkCheck, &QCheckBox::toggled, this, [this](bool on) {
            changeSettings([on](CAPrintSettings &settings) { settings.dottedMark = on; });
        });
    for (QCheckBox *box : {_vectorCheck, _suppressCountryFieldCheck, _omitContactNameCheck, _commaDelimitedCheck, _fitAddressPanelCheck})
        connect(box, &QCheckBox::toggled, this, &CAPrintViewController::filterChanged);
    connect(_personSourceRadio, &QButtonGroup::idClicked, this, &CAPrintViewController::personSourceChanged);
    connect(_personListButton, &QComboBox::activated, this, &CAPrintViewController::personListChosen);
    connect(_alignmentMatrix, &QButtonGroup::idClicked, this, &CAPrintViewController::align);
    connect(_paperFeed, &QButtonGroup::idClicked, this, &CAPrintViewController::align);
    if (_printerSettings)
        connect(_printerSettings, &QCheckBox::toggled, this, &CAPrintViewController::printerSettingsChanged);
    connect(_printerList, &QComboBox::activated, this, &CAPrintViewController::printerChosen);
    connect(_closeButton, &QPushButton::clicked, this, [this] { finishWith(Cancel); });
    connect(_printButton, &QPushButton::clicked, this, [this] { whenPersonsConfirmed([this] { finishWith(Print); }); });
    connect(_exportButton, &QPushButton::clicked, this, [this] { whenPersonsConfirmed([this] { exportPdf(); }); });
    updatePageCount();
}

bool CAPrintViewController::usesPrintList() const
{
    return m_persons.fromPrintList && m_view && m_view->isUsePrintList();
}

bool CAPrintViewController::printsPersons() const
{
    return m_persons.persons && !m_persons.persons->empty();
}

void CAPrintViewController::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_view)
        loadImageView();
}

void CAPrintViewController::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    fitPreviewToRoom();
}

bool CAPrintViewController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == _scrollView && event->type() == QEvent::Resize)
        fitPreviewToRoom();
    return QDialog::eventFilter(watched, event);
}

void CAPrintViewController::fitPreviewToRoom()
{
    if (!_scrollView || !_imageView)
        return;
    _imageView->setRoom(_scrollView->size());
    _scrollView->checkBounds();
}

void CAPrintViewController::zoomAbout(const QPointF &containerPoint, int percent)
{
    // The page point under the container point stays there while the page grows or shrinks.
    const QPointF pagePoint = _imageView->pagePoint(containerPoint - QPointF(_imageView->pos()));
    _imageView->setZoom(percent);
    const QPointF now = _imageView->widgetPoint(pagePoint);
    _imageView->move((containerPoint - now).toPoint());
    _scrollView->checkBounds();
    _scrollView->update();
}

void CAPrintViewController::loadImageView()
{
    if (m_view)
        return;
    const bool vector = PWUserDefaults::standardUserDefaults().boolForKey(QStringLiteral("FTVectorPrinting"));
    std::unique_ptr<CAPrintingView> view = makePreviewedView(vector);
    if (!view)
        return;
    const CAPrintSettings &settings = m_document->printSettings();
    view->setPrintSettings(settings);
    view->usePrintList(printsPersons());
    view->setVectorPrinting(!_vectorCheck->isChecked());
    view->setSuppressCountryField(_suppressCountryFieldCheck->isChecked());
    view->setOmitContactName(_omitContactNameCheck->isChecked());
    view->setCommaDelimited(_commaDelimitedCheck->isChecked());
    view->setFitAddressPanel(_fitAddressPanelCheck->isChecked());
    view->setCopies(settings.copies);
    plugIn(std::move(view));
    _progressCaption->hide();
    updateEnvelopeView();
    updatePageCount();
}

std::unique_ptr<CAPrintingView> CAPrintViewController::makePreviewedView(bool vectorPrinting) const
{
    // The sheet stays answering while a PDF or EPS picture of the design is rendered: the preview
    // shows what is there and paints again when the raster comes. Its print jobs wait for it.
    std::unique_ptr<CAPrintingView> view;
    {
        // A view draws the items of its first page as it is made.
        const PWPictureRenderer::Deferred deferred;
        const PWJobReport report;
        view = CAPrintJob::makePrintingView(m_document, m_persons.persons, vectorPrinting);
        m_viewNotes = report.lines(PWJobReport::Kind::AddressTooLong);
    }
    if (view)
        view->setDefersRenderings(true);
    return view;
}

void CAPrintViewController::plugIn(std::unique_ptr<CAPrintingView> view)
{
    // The item being edited belongs to the view being replaced; its map is gone with it.
    if (_editingTab->isEditing()) {
        _editingTab->abandonEditing();
        setEditingMode(false);
    }
    // The preview lets go of the view being replaced before it is freed.
    _imageView->setPrintingView(view.get());
    _imageView->setNotes(std::exchange(m_viewNotes, {}));
    m_view = std::move(view);
    m_view->setRotation(m_envelopeRotation);
    if (_alignmentMatrix->checkedId() >= 0)
        m_view->setAlignment(_alignmentMatrix->checkedId());
    _scrollView->drawBackground(false);
    fitPreviewToRoom();
}

void CAPrintViewController::setCopies(int copies)
{
    if (_copiesEdit->value() != copies) {
        const QSignalBlocker block(_copiesEdit);
        _copiesEdit->setValue(copies);
    }
    changeSettings([copies](CAPrintSettings &settings) { settings.copies = copies; });
    if (m_view)
        m_view->setCopies(copies);
    showItemCount();
    updatePageCount();
}

void CAPrintViewController::startFromChanged(int start)
{
    changeSettings([start](CAPrintSettings &settings) { settings.startFrom = start; });
    updatePageCount();
}

void CAPrintViewController::pageChanged(int page)
{
    if (m_view)
        m_view->setCurPage(page);
    _imageView->update();
}

void CAPrintViewController::updatePageCount()
{
    const CAPrintSettings &settings = m_document->printSettings();
    m_pageCount = std::max(1, CAPrintJob::pageCount(m_kind, settings.copies, settings.startFrom, m_itemsPerPage));
    _pageCount->setText(QString::number(m_pageCount));
    _pageEdit->setMaximum(m_pageCount);
    if (m_view && m_view->curPage() > m_pageCount)
        m_view->setCurPage(m_pageCount);
    _imageView->update();
}

void CAPrintViewController::filterChanged()
{
    if (!m_view)
        return;
    m_view->setVectorPrinting(!_vectorCheck->isChecked());
    m_view->setSuppressCountryField(_suppressCountryFieldCheck->isChecked());
    m_view->setOmitContactName(_omitContactNameCheck->isChecked());
    m_view->setCommaDelimited(_commaDelimitedCheck->isChecked());
    m_view->setFitAddressPanel(_fitAddressPanelCheck->isChecked());
    // The items are laid out anew: what did not fit before may fit now, and the other way round.
    const PWJobReport report;
    m_view->updateDocumentMap(m_view->documentList(), m_persons.persons);
    _imageView->setNotes(report.lines(PWJobReport::Kind::AddressTooLong));
    _imageView->update();
}

void CAPrintViewController::personSourceChanged(int tag)
{
    if (tag == 1) {
        if (_personListButton->currentIndex() < 0) {
            finishWith(EditList);
            return;
        }
        personListChosen(_personListButton->currentIndex());
        return;
    }
    changeSettings([](CAPrintSettings &settings) { settings.personList = false; });
    m_persons.persons.reset();
    if (m_view) {
        m_view->usePrintList(false);
        m_view->setPersonList(std::nullopt);
        m_view->updateDocumentMap(m_view->documentList(), std::nullopt);
    }
    // A full sheet of the design's own address.
    const int copies = m_kind == CAPrintSheetKind::LabelSheet ? m_itemsPerPage : 1;
    setCopies(copies);
    showJobTexts();
}

void CAPrintViewController::personListChosen(int index)
{
    if (_personListButton->itemData(index).toInt() == kEditListTag) {
        finishWith(EditList);
        return;
    }
    const std::optional<CAPersonList> list = CAPrintListArray::getShared().getPrintListByName(_personListButton->itemText(index));
    if (!list)
        return;
    m_persons.persons = CAPrintingView::PersonList(list->cbegin(), list->cend());
    m_persons.listName = _personListButton->itemText(index);
    m_persons.fromPrintList = true;
    _personSourceRadio->button(1)->setChecked(true);
    changeSettings([](CAPrintSettings &settings) { settings.personList = true; });
    if (m_view) {
        m_view->clearDocMapPreviewCache();
        m_view->setPersonList(m_persons.persons);
        m_view->usePrintList(true);
        m_view->updateDocumentMap(m_view->documentList(), m_persons.persons);
    }
    const int copies = std::max(1, int(m_persons.persons->size()));
    if (copies >= _copiesEdit->maximum())
        _copiesEdit->setMaximum(copies + 1);
    setCopies(copies);
    showJobTexts();
}

void CAPrintViewController::align(int alignment)
{
    alignment = alignment == 1 || alignment == 2 ? alignment : 0;
    for (QButtonGroup *group : {_alignmentMatrix, _paperFeed})
        if (QAbstractButton *button = group->button(alignment))
            button->setChecked(true);
    if (m_view)
        m_view->setAlignment(alignment);
    changeSettings([alignment](CAPrintSettings &settings) { settings.envelopeAlignment = alignment; });
    PWUserDefaults::standardUserDefaults().setInteger(kEnvelopeAlignDefault, alignment);
}

int CAPrintViewController::startingRotation() const
{
    const CAPrintSettings &settings = m_document->printSettings();
    return CAEnvelopePrintingView::defaultRotation(settings.orientation, settings.orientedPaperSize(),
                                                   CAEnvelopePrintingView::itemSizeOf({m_document}));
}

void CAPrintViewController::rotateBy(int tag)
{
    m_rotationChosen = true;
    m_envelopeRotation = CAPrintJob::rotate(m_envelopeRotation, tag, _printerSettings && _printerSettings->isChecked());
    if (m_view)
        m_view->setRotation(m_envelopeRotation);
    const int rotation = m_envelopeRotation;
    changeSettings([rotation](CAPrintSettings &settings) { settings.envelopeRotation = rotation; });
}

void CAPrintViewController::printerSettingsChanged(bool on)
{
    changeSettings([on](CAPrintSettings &settings) { settings.usePrinterSettings = on; });
    updateEnvelopeView();
}

void CAPrintViewController::printerChosen(int index)
{
    const QString name = _printerList->itemText(index);
    changeSettings([&name](CAPrintSettings &settings) { settings.printerName = name; });
    updateEnvelopeView();
}

void CAPrintViewController::updateEnvelopeView()
{
    if (m_kind != CAPrintSheetKind::Envelope || !m_view)
        return;
    const bool own = _printerSettings && _printerSettings->isChecked();
    m_document->setupPrintInfo(own);
    // The paper may have changed under an item nobody turned by hand.
    if (!m_rotationChosen)
        m_envelopeRotation = startingRotation();
    // The printer's own settings feed the envelope; the feed choice waits until they are off.
    for (QAbstractButton *button : _paperFeed->buttons())
        button->setEnabled(!own);
    // The paper changed: a new view lays the envelope on it.
    std::unique_ptr<CAPrintingView> view = makePreviewedView(!_vectorCheck->isChecked());
    if (!view)
        return;
    view->usePrintList(printsPersons());
    view->setCopies(m_document->printSettings().copies);
    view->setCurPage(std::min(m_view->curPage(), m_pageCount));
    plugIn(std::move(view));
    filterChanged();
}

void CAPrintViewController::exportPdf()
{
    if (!m_view)
        loadImageView();
    if (!m_view)
        return;
    const QString name = m_designName.trimmed();
    const QString path = pdfPathChooser()(this, m_designFolder + (name.isEmpty() ? u"Untitled"_s : name) + u".pdf"_s);
    if (path.isEmpty())
        return;
    QProgressDialog progress(this);
    setUpProgress(progress);
    QString error;
    PWJobReport report;
    report.setWaitHook(waitHookFor(progress));
    const CAPrintJob::ExportResult result = CAPrintJob::exportPdf(*m_view, path, progressFor(progress), &error);
    progress.close();
    _imageView->update();
    if (result == CAPrintJob::ExportResult::Written)
        CAJobReportMessages::tellAfterJob(this, report);
    if (result == CAPrintJob::ExportResult::Failed) {
        auto *box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Parcelwick"),
                                    PWLocalizedString(QStringLiteral("The PDF file could not be written.")), QMessageBox::Ok, this);
        box->setInformativeText(error);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::WindowModal);
        box->open();
    }
}

void CAPrintViewController::changeSettings(const std::function<void(CAPrintSettings &)> &change)
{
    change(m_document->printSettings());
    if (m_view)
        m_view->setPrintSettings(m_document->printSettings());
    _imageView->update();
}

void CAPrintViewController::finishWith(int code)
{
    // The job prints what the sheet shows, whatever reached the document's settings last.
    if (m_view)
        m_view->setPrintSettings(m_document->printSettings());
    done(code);
}

bool CAPrintViewController::printWithPrinter(QWidget *parent, CAPrintingView &view, QString *error, bool showDialog)
{
    const CAPrintSettings &settings = view.printSettings();
    CAPrinter printer(QPrinter::HighResolution);
    if (!settings.printerName.isEmpty())
        printer.setPrinterName(settings.printerName);
    printer.setFullPage(true);
    printer.setPageLayout(settings.pageLayout());
    // The views lay out every copy themselves; the printer repeats the whole job only when the
    // user asks for it in the print dialog.
    printer.setCopyCount(1);
    if (showDialog) {
        if (!printerSetup()(printer, parent))
            return false;
    } else if (printerDestination()) {
        printerDestination()(printer);
    }
    QProgressDialog progress(parent);
    setUpProgress(progress);
    PWJobReport report;
    report.setWaitHook(waitHookFor(progress));
    CAPrinterPrintTarget printerTarget(printer);
    CAPrintJob::ProgressTarget target(printerTarget, progressFor(progress));
    if (!view.calibrationMode()) {
        view.setPrintViewMode(CAPrintingView::kPrintMode);
        view.clearDocMapPreviewCache();
        view.refreshDocumentMap();
    }
    if (CAPrintJob::printsToFile(printer))
        return CAPrintJob::printToFile(view, printer, progressFor(progress), error);
    const bool printed = view.printPages(target, error);
    progress.close();
    if (target.wasCancelled() && error)
        error->clear();
    return printed;
}

void CAPrintViewController::previewClicked(const QPointF &pagePoint, int clickCount)
{
    if (!m_view || _editingTab->isEditing() || m_view->calibrationMode())
        return;
    if (!_editingTab->openItemAt(*m_view, pagePoint, clickCount, m_view->curPage()))
        return;
    setEditingMode(true);
}

void CAPrintViewController::closeEditor()
{
    if (m_view)
        _editingTab->finishEditing(*m_view);
    else
        _editingTab->abandonEditing();
    setEditingMode(false);
    _imageView->update();
}

void CAPrintViewController::setEditingMode(bool editing)
{
    // While an item is open the job may not start or change its persons; the map entry being
    // edited must stay where it is.
    for (QWidget *widget : std::initializer_list<QWidget *>{_printButton, _closeButton, _exportButton, _guiModeButton,
                                                              _personListButton, control<QWidget>(this, "settingsColumn")})
        if (widget)
            widget->setEnabled(!editing);
    if (_guiModeButton) {
        const QSignalBlocker block(_guiModeButton);
        _guiModeButton->setChecked(false);
    }
    if (m_view)
        m_view->setGUIMode(0);
    _scrollView->setGUIMode(0);
    const QSignalBlocker block(_viewTab);
    _viewTab->setCurrentIndex(editing ? 1 : 0);
}

void CAPrintViewController::switchGUIMode(bool editOnClick)
{
    if (!m_view)
        return;
    const int mode = editOnClick ? 1 : 0;
    // A roll or envelope page holds one item: edit-on-click opens it at once.
    m_view->setGUIMode(mode);
    // Mode 1 keeps clicks for the items: the container shows the crosshair and no longer drags.
    _scrollView->setGUIMode(mode);
    if (mode == 1 && _editingTab->openPage(*m_view, m_view->curPage()))
        setEditingMode(true);
}
