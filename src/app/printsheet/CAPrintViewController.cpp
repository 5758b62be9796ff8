#include "app/printsheet/CAPrintViewController.h"

#include "app/contacts/CAPrintListArray.h"
#include "app/printing/CAPrinterPrintTarget.h"
#include "app/printsheet/CAPrintPreview.h"
#include "kernel/merge/CADocument.h"
#include "kernel/printing/CATemplateFormat.h"
#include "kernel/document/CFTADocument.h"
#include "platform/PWBundle.h"
#include "platform/PWUserDefaults.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

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

const QString kEnvelopeAlignDefault = QStringLiteral("FTEnvelopePrintAlign");
constexpr int kEditListTag = 100;

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

void setUpProgress(QProgressDialog &progress)
{
    progress.setWindowModality(Qt::WindowModal);
    progress.setLabelText(PWLocalizedString(QStringLiteral("Making the pages…")));
    progress.setMinimumDuration(300);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
}

QCheckBox *check(const char *name, const QString &text, QWidget *parent)
{
    auto *box = new QCheckBox(PWLocalizedString(text), parent);
    box->setObjectName(QLatin1String(name));
    return box;
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
    m_envelopeRotation = settings.orientation == QPageLayout::Portrait ? 90 : 0;
    if (settings.envelopeRotation != 0)
        m_envelopeRotation = settings.envelopeRotation;
    if (kind == CAPrintSheetKind::LabelSheet && m_document->ftDocument()) {
        const CATemplateFormat layout = CATemplateFormat::initFromDocument(*m_document->ftDocument());
        m_itemsPerPage = std::max(1, layout.Columns() * layout.Rows());
    }
    buildForm(printerNames);
}

CAPrintViewController::~CAPrintViewController() = default;

void CAPrintViewController::buildForm(const QStringList &printerNames)
{
    auto *top = new QHBoxLayout(this);
    _viewTab = new QTabWidget(this);
    _viewTab->setObjectName(QStringLiteral("_viewTab"));

    auto *previewPage = new QWidget(_viewTab);
    auto *previewLayout = new QVBoxLayout(previewPage);
    _scrollView = new QScrollArea(previewPage);
    _scrollView->setObjectName(QStringLiteral("_scrollView"));
    _scrollView->setMinimumSize(360, 360);
    _scrollView->setAlignment(Qt::AlignCenter);
    _imageView = new CAPrintPreview;
    _scrollView->setWidget(_imageView);
    _progressCaption = new QLabel(PWLocalizedString(QStringLiteral("Preparing the preview…")), previewPage);
    _progressCaption->setObjectName(QStringLiteral("_progress_caption"));
    auto *zoomRow = new QHBoxLayout;
    _zoom = new QSlider(Qt::Horizontal, previewPage);
    _zoom->setObjectName(QStringLiteral("_zoom"));
    _zoom->setRange(50, 400);
    _zoom->setValue(100);
    _zoom->setAccessibleName(PWLocalizedString(QStringLiteral("Zoom")));
    auto *zoomOut = new QPushButton(QStringLiteral("−"), previewPage);
    auto *zoomIn = new QPushButton(QStringLiteral("+"), previewPage);
    zoomOut->setObjectName(QStringLiteral("zoomOut"));
    zoomIn->setObjectName(QStringLiteral("zoomIn"));
    zoomRow->addWidget(new QLabel(PWLocalizedString(QStringLiteral("Zoom:")), previewPage));
    zoomRow->addWidget(zoomOut);
    zoomRow->addWidget(_zoom, 1);
    zoomRow->addWidget(zoomIn);
    previewLayout->addWidget(_progressCaption);
    previewLayout->addWidget(_scrollView, 1);
    previewLayout->addLayout(zoomRow);
    _viewTab->addTab(previewPage, PWLocalizedString(QStringLiteral("Preview")));

    // In-place editing needs the design canvas, which this build does not have yet.
    auto *editingPage = new QLabel(PWLocalizedString(QStringLiteral("Editing a printed item in place is not available yet.")),
                                   _viewTab);
    editingPage->setObjectName(QStringLiteral("_editingNote"));
    editingPage->setAlignment(Qt::AlignCenter);
    editingPage->setWordWrap(true);
    _viewTab->addTab(editingPage, PWLocalizedString(QStringLiteral("Edit")));
    _viewTab->setTabEnabled(1, false);
    _viewTab->setTabToolTip(1, editingPage->text());
    top->addWidget(_viewTab, 1);
    top->addWidget(buildSettingsColumn(printerNames));

    connect(_zoom, &QSlider::valueChanged, _imageView, &CAPrintPreview::setZoom);
    connect(zoomIn, &QPushButton::clicked, this, [this] { _zoom->setValue(std::min(_zoom->maximum(), int(_zoom->value() * 1.5))); });
    connect(zoomOut, &QPushButton::clicked, this, [this] { _zoom->setValue(std::max(_zoom->minimum(), int(_zoom->value() / 1.5))); });
}

QWidget *CAPrintViewController::buildSettingsColumn(const QStringList &printerNames)
{
    CAPrintSettings &settings = m_document->printSettings();
    const documentType type = m_document->docType();
    auto *column = new QWidget(this);
    auto *layout = new QVBoxLayout(column);
    auto *form = new QFormLayout;

    const bool labels = type == dtLabel, postcards = type == dtPostcard;
    const QString copiesCaption = labels ? u"Number of labels:"_s : postcards ? u"Number of postcards:"_s : u"Number of envelopes:"_s;
    const QString startCaption = labels ? u"Start from label:"_s : u"Start from postcard:"_s;
    _copiesEdit = new QSpinBox(column);
    _copiesEdit->setObjectName(QStringLiteral("_copiesEdit"));
    _copiesEdit->setRange(1, 9999);
    form->addRow(PWLocalizedString(copiesCaption), _copiesEdit);
    _startFromEdit = new QSpinBox(column);
    _startFromEdit->setObjectName(QStringLiteral("_startFromEdit"));
    _startFromEdit->setRange(1, m_itemsPerPage);
    if (m_kind == CAPrintSheetKind::LabelSheet)
        form->addRow(PWLocalizedString(startCaption), _startFromEdit);
    else
        _startFromEdit->hide();
    _pageEdit = new QSpinBox(column);
    _pageEdit->setObjectName(QStringLiteral("_pageEdit"));
    _pageEdit->setRange(1, 1);
    _pageCount = new QLabel(column);
    _pageCount->setObjectName(QStringLiteral("_pageCount"));
    auto *pageRow = new QHBoxLayout;
    pageRow->addWidget(_pageEdit);
    pageRow->addWidget(new QLabel(PWLocalizedString(QStringLiteral("of")), column));
    pageRow->addWidget(_pageCount, 1);
    form->addRow(PWLocalizedString(QStringLiteral("Page:")), pageRow);

    _printerList = new QComboBox(column);
    _printerList->setObjectName(QStringLiteral("_printerList"));
    _printerList->addItems(printerNames);
    _printerList->setCurrentIndex(printerNames.indexOf(settings.printerName));
    form->addRow(PWLocalizedString(QStringLiteral("Printer:")), _printerList);
    layout->addLayout(form);

    // The persons: the design's own recipient, or a print list.
    auto *persons = new QGroupBox(PWLocalizedString(QStringLiteral("Addresses")), column);
    auto *personsLayout = new QVBoxLayout(persons);
    _personSourceRadio = new QButtonGroup(persons);
    auto *own = new QRadioButton(PWLocalizedString(QStringLiteral("This design's address")), persons);
    auto *list = new QRadioButton(PWLocalizedString(QStringLiteral("Print list:")), persons);
    own->setObjectName(QStringLiteral("_personSourceOwn"));
    list->setObjectName(QStringLiteral("_personSourceList"));
    _personSourceRadio->addButton(own, 0);
    _personSourceRadio->addButton(list, 1);
    _personListButton = new QComboBox(persons);
    _personListButton->setObjectName(QStringLiteral("_personListButton"));
    CAPrintListArray &lists = CAPrintListArray::getShared();
    for (int i = 0; i < lists.count(); ++i)
        _personListButton->addItem(lists.getPrintListNameAt(i));
    _personListButton->insertSeparator(_personListButton->count());
    _personListButton->addItem(PWLocalizedString(QStringLiteral("Edit List")), kEditListTag);
    _personListButton->setCurrentIndex(m_persons.listName.isEmpty() ? -1 : _personListButton->findText(m_persons.listName));
    personsLayout->addWidget(own);
    personsLayout->addWidget(list);
    personsLayout->addWidget(_personListButton);
    layout->addWidget(persons);

    auto *marks = new QGroupBox(PWLocalizedString(QStringLiteral("Options")), column);
    auto *marksLayout = new QVBoxLayout(marks);
    _cutLineCheck = check("_cutLineCheck", QStringLiteral("Cut lines"), marks);
    _dotMarkCheck = check("_dotMarkCheck", QStringLiteral("Dotted lines"), marks);
    _vectorCheck = check("_vectorCheck", QStringLiteral("Print as picture (no vector graphics)"), marks);
    _suppressCountryFieldCheck = check("_suppressCountryFieldCheck", QStringLiteral("Leave out the home country"), marks);
    _omitContactNameCheck = check("_omitContactNameCheck", QStringLiteral("Leave out contact names of companies"), marks);
    _commaDelimitedCheck = check("_commaDelimitedCheck", QStringLiteral("Keep commas in addresses"), marks);
    _fitAddressPanelCheck = check("_fitAddressPanelCheck", QStringLiteral("Fit addresses to their panel"), marks);
    if (m_kind == CAPrintSheetKind::LabelSheet) {
        marksLayout->addWidget(_cutLineCheck);
        marksLayout->addWidget(_dotMarkCheck);
    } else {
        _cutLineCheck->hide();
        _dotMarkCheck->hide();
    }
    for (QCheckBox *box : {_vectorCheck, _suppressCountryFieldCheck, _omitContactNameCheck, _commaDelimitedCheck, _fitAddressPanelCheck})
        marksLayout->addWidget(box);
    layout->addWidget(marks);

    _alignmentMatrix = new QButtonGroup(column);
    _printerSettings = check("_printerSettings", QStringLiteral("Use the printer's envelope settings"), column);
    if (m_kind == CAPrintSheetKind::Envelope) {
        auto *envelope = new QGroupBox(PWLocalizedString(QStringLiteral("Envelope feed")), column);
        auto *envelopeLayout = new QVBoxLayout(envelope);
        auto *alignRow = new QHBoxLayout;
        const QString names[] = {u"Left"_s, u"Centre"_s, u"Right"_s};
        for (int tag = 0; tag < 3; ++tag) {
            auto *button = new QRadioButton(PWLocalizedString(names[tag]), envelope);
            button->setObjectName(QStringLiteral("_align%1").arg(tag));
            _alignmentMatrix->addButton(button, tag);
            alignRow->addWidget(button);
        }
        auto *rotateRow = new QHBoxLayout;
        auto *left = new QPushButton(PWLocalizedString(QStringLiteral("Rotate Left")), envelope);
        auto *right = new QPushButton(PWLocalizedString(QStringLiteral("Rotate Right")), envelope);
        left->setObjectName(QStringLiteral("_rotateLeft"));
        right->setObjectName(QStringLiteral("_rotateRight"));
        rotateRow->addWidget(left);
        rotateRow->addWidget(right);
        envelopeLayout->addLayout(alignRow);
        envelopeLayout->addLayout(rotateRow);
        envelopeLayout->addWidget(_printerSettings);
        layout->addWidget(envelope);
        connect(left, &QPushButton::clicked, this, [this] { rotateBy(1); });
        connect(right, &QPushButton::clicked, this, [this] { rotateBy(2); });
    } else {
        _printerSettings->hide();
    }

    layout->addStretch(1);
    auto *buttons = new QHBoxLayout;
    _closeButton = new QPushButton(PWLocalizedString(QStringLiteral("Cancel")), column);
    _closeButton->setObjectName(QStringLiteral("_closeButton"));
    _exportButton = new QPushButton(PWLocalizedString(QStringLiteral("Save as PDF…")), column);
    _exportButton->setObjectName(QStringLiteral("_exportButton"));
    _printButton = new QPushButton(PWLocalizedString(QStringLiteral("Print…")), column);
    _printButton->setObjectName(QStringLiteral("_printButton"));
    _printButton->setDefault(true);
    buttons->addWidget(_closeButton);
    buttons->addStretch(1);
    buttons->addWidget(_exportButton);
    buttons->addWidget(_printButton);
    layout->addLayout(buttons);

    // Starting values: the choices stored with the design, the preferences for the filters.
    const PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    _cutLineCheck->setChecked(settings.cutLines);
    _dotMarkCheck->setChecked(settings.dottedMark);
    _vectorCheck->setChecked(!defaults.boolForKey(QStringLiteral("FTVectorPrinting")));
    _suppressCountryFieldCheck->setChecked(defaults.boolForKey(QStringLiteral("FTSuppressCountryField")));
    _commaDelimitedCheck->setChecked(!defaults.boolForKey(QStringLiteral("FTCommaDelimitedAddress")));
    _fitAddressPanelCheck->setChecked(defaults.boolForKey(QStringLiteral("FTAddressAutoResize")));
    int alignment = settings.envelopeAlignment;
    if (!defaults.objectForKey(kEnvelopeAlignDefault).isNull())
        alignment = qBound(0, int(defaults.integerForKey(kEnvelopeAlignDefault)), 2);
    if (QAbstractButton *button = _alignmentMatrix->button(alignment))
        button->setChecked(true);
    _printerSettings->setChecked(settings.usePrinterSettings);

    const bool useList = m_persons.fromPrintList && m_persons.persons && !m_persons.persons->empty();
    _personSourceRadio->button(useList ? 1 : 0)->setChecked(true);
    if (!useList && m_persons.fromPrintList)
        settings.personList = false;
    settings.startFrom = 1;
    const int copies = useList ? int(m_persons.persons->size()) : 1;
    _copiesEdit->setValue(copies);
    settings.copies = copies;

    connect(_copiesEdit, &QSpinBox::valueChanged, this, [this](int value) {
        setCopies(CAPrintJob::copiesFromStepper(value, _copiesEdit->maximum(), m_kind == CAPrintSheetKind::LabelSheet ? m_itemsPerPage : 0));
    });
    connect(_startFromEdit, &QSpinBox::valueChanged, this, &CAPrintViewController::startFromChanged);
    connect(_pageEdit, &QSpinBox::valueChanged, this, &CAPrintViewController::pageChanged);
    connect(_cutLineCheck, &QCheckBox::toggled, this, [this](bool on) {
        m_document->printSettings().cutLines = on;
        if (m_view)
            m_view->setDrawCutMarkers(on);
        _imageView->update();
    });
    connect(_dotMarkCheck, &QCheckBox::toggled, this, [this](bool on) {
        m_document->printSettings().dottedMark = on;
        if (m_view)
            m_view->setDrawDotMarkers(on);
        _imageView->update();
    });
    for (QCheckBox *box : {_vectorCheck, _suppressCountryFieldCheck, _omitContactNameCheck, _commaDelimitedCheck, _fitAddressPanelCheck})
        connect(box, &QCheckBox::toggled, this, &CAPrintViewController::filterChanged);
    connect(_personSourceRadio, &QButtonGroup::idClicked, this, &CAPrintViewController::personSourceChanged);
    connect(_personListButton, &QComboBox::activated, this, &CAPrintViewController::personListChosen);
    connect(_alignmentMatrix, &QButtonGroup::idClicked, this, &CAPrintViewController::align);
    connect(_printerSettings, &QCheckBox::toggled, this, &CAPrintViewController::printerSettingsChanged);
    connect(_printerList, &QComboBox::activated, this, &CAPrintViewController::printerChosen);
    connect(_closeButton, &QPushButton::clicked, this, [this] { finishWith(Cancel); });
    connect(_printButton, &QPushButton::clicked, this, [this] { finishWith(Print); });
    connect(_exportButton, &QPushButton::clicked, this, &CAPrintViewController::exportPdf);
    updatePageCount();
    return column;
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
    if (_scrollView)
        _imageView->setRoom(_scrollView->viewport()->size());
}

void CAPrintViewController::loadImageView()
{
    if (m_view)
        return;
    const bool vector = PWUserDefaults::standardUserDefaults().boolForKey(QStringLiteral("FTVectorPrinting"));
    std::unique_ptr<CAPrintingView> view = CAPrintJob::makePrintingView(m_document, m_kind, m_persons.persons, vector);
    if (!view)
        return;
    const CAPrintSettings &settings = m_document->printSettings();
    view->usePrintList(settings.personList);
    view->setVectorPrinting(!_vectorCheck->isChecked());
    view->setDrawCutMarkers(settings.cutLines);
    view->setDrawDotMarkers(settings.dottedMark);
    view->setStartFrom(settings.startFrom);
    view->setSuppressCountryField(_suppressCountryFieldCheck->isChecked());
    view->setOmitContactName(_omitContactNameCheck->isChecked());
    view->setCommaDelimited(!_commaDelimitedCheck->isChecked());
    view->setFitAddressPanel(_fitAddressPanelCheck->isChecked());
    view->setCopies(settings.copies);
    plugIn(std::move(view));
    _progressCaption->hide();
    updateEnvelopeView();
    updatePageCount();
}

void CAPrintViewController::plugIn(std::unique_ptr<CAPrintingView> view)
{
    m_view = std::move(view);
    m_view->setRotation(m_envelopeRotation);
    if (_alignmentMatrix->checkedId() >= 0)
        m_view->setAlignment(_alignmentMatrix->checkedId());
    _imageView->setRoom(_scrollView->viewport()->size());
    _imageView->setPrintingView(m_view.get());
}

void CAPrintViewController::setCopies(int copies)
{
    if (_copiesEdit->value() != copies) {
        const QSignalBlocker block(_copiesEdit);
        _copiesEdit->setValue(copies);
    }
    m_document->printSettings().copies = copies;
    if (m_view)
        m_view->setCopies(copies);
    updatePageCount();
}

void CAPrintViewController::startFromChanged(int start)
{
    m_document->printSettings().startFrom = start;
    if (m_view)
        m_view->setStartFrom(start);
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
    m_view->setCommaDelimited(!_commaDelimitedCheck->isChecked());
    m_view->setFitAddressPanel(_fitAddressPanelCheck->isChecked());
    m_view->updateDocumentMap(m_view->documentList(), m_persons.persons);
    _imageView->update();
}

void CAPrintViewController::personSourceChanged(int tag)
{
    CAPrintSettings &settings = m_document->printSettings();
    if (tag == 1) {
        if (_personListButton->currentIndex() < 0) {
            finishWith(EditList);
            return;
        }
        personListChosen(_personListButton->currentIndex());
        return;
    }
    settings.personList = false;
    m_persons.persons.reset();
    if (m_view) {
        m_view->usePrintList(false);
        m_view->setPersonList(std::nullopt);
        m_view->updateDocumentMap(m_view->documentList(), std::nullopt);
    }
    // A full sheet of the design's own address.
    const int copies = m_kind == CAPrintSheetKind::LabelSheet ? m_itemsPerPage : 1;
    setCopies(copies);
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
    m_document->printSettings().personList = true;
    if (m_view) {
        m_view->clearDocMapPreviewCache();
        m_view->setPersonList(m_persons.persons);
        m_view->usePrintList(true);
        m_view->updateDocumentMap(m_view->documentList(), m_persons.persons);
    }
    setCopies(std::max(1, int(m_persons.persons->size())));
}

void CAPrintViewController::align(int alignment)
{
    alignment = alignment == 1 || alignment == 2 ? alignment : 0;
    if (m_view)
        m_view->setAlignment(alignment);
    m_document->printSettings().envelopeAlignment = alignment;
    PWUserDefaults::standardUserDefaults().setInteger(kEnvelopeAlignDefault, alignment);
    _imageView->update();
}

void CAPrintViewController::rotateBy(int tag)
{
    m_envelopeRotation = CAPrintJob::rotate(m_envelopeRotation, tag, _printerSettings->isChecked());
    if (m_view)
        m_view->setRotation(m_envelopeRotation);
    m_document->printSettings().envelopeRotation = m_envelopeRotation;
    _imageView->update();
}

void CAPrintViewController::printerSettingsChanged(bool on)
{
    m_document->printSettings().usePrinterSettings = on;
    updateEnvelopeView();
}

void CAPrintViewController::printerChosen(int index)
{
    m_document->printSettings().printerName = _printerList->itemText(index);
    updateEnvelopeView();
}

void CAPrintViewController::updateEnvelopeView()
{
    if (m_kind != CAPrintSheetKind::Envelope || !m_view)
        return;
    const bool own = _printerSettings->isChecked();
    m_document->setupPrintInfo(own);
    for (QAbstractButton *button : _alignmentMatrix->buttons())
        button->setEnabled(!own);
    // The paper changed: a new view lays the envelope on it.
    const bool vector = !_vectorCheck->isChecked();
    std::unique_ptr<CAPrintingView> view = CAPrintJob::makePrintingView(m_document, m_kind, m_persons.persons, vector);
    view->usePrintList(m_document->printSettings().personList);
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
    const QString path = pdfPathChooser()(this, QStringLiteral("%1.pdf").arg(windowTitle().isEmpty() ? u"Untitled"_s : windowTitle()));
    if (path.isEmpty())
        return;
    QProgressDialog progress(this);
    setUpProgress(progress);
    QString error;
    const CAPrintJob::ExportResult result = CAPrintJob::exportPdf(*m_view, path, progressFor(progress), &error);
    progress.close();
    _imageView->update();
    if (result == CAPrintJob::ExportResult::Failed) {
        auto *box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Parcelwick"),
                                    PWLocalizedString(QStringLiteral("The PDF file could not be written.")), QMessageBox::Ok, this);
        box->setInformativeText(error);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::WindowModal);
        box->open();
    }
}

void CAPrintViewController::finishWith(int code)
{
    done(code);
}

bool CAPrintViewController::printWithPrinter(QWidget *parent, CAPrintingView &view, const CAPrintSettings &settings,
                                             QString *error)
{
    QPrinter printer(QPrinter::HighResolution);
    if (!settings.printerName.isEmpty())
        printer.setPrinterName(settings.printerName);
    printer.setFullPage(true);
    printer.setPageLayout(settings.pageLayout());
    // The views lay out every copy themselves; the printer repeats the whole job only when the
    // user asks for it in the print dialog.
    printer.setCopyCount(1);
    if (!printerSetup()(printer, parent))
        return false;
    QProgressDialog progress(parent);
    setUpProgress(progress);
    CAPrinterPrintTarget printerTarget(printer);
    CAPrintJob::ProgressTarget target(printerTarget, progressFor(progress));
    if (!view.calibrationMode()) {
        view.setPrintViewMode(CAPrintingView::kPrintMode);
        view.clearDocMapPreviewCache();
        view.refreshDocumentMap();
    }
    const bool printed = view.printPages(target, error);
    progress.close();
    if (target.wasCancelled() && error)
        error->clear();
    return printed;
}
