#include "app/printsheet/CACalibrationController.h"

#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADYMOPrintingView.h"
#include "kernel/merge/CADocument.h"
#include "kernel/merge/CALabelPrintingView.h"
#include "kernel/printing/CATemplateFormat.h"
#include "platform/PWBundle.h"
#include "platform/PWUserDefaults.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QDoubleSpinBox *millimetres(const char *name, QWidget *parent)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(-50.0, 50.0);
    box->setDecimals(1);
    box->setSingleStep(0.5);
    box->setSuffix(QStringLiteral(" mm"));
    // The values are stored with a point whatever the user's locale shows.
    box->setLocale(QLocale::c());
    return box;
}

} // namespace

CACalibrationController::CACalibrationController(CADocument &document, const QStringList &printerNames, QWidget *parent)
    : QDialog(parent)
    , m_document(document)
    , m_dict(CACalibrationSettings::allSettings(PWUserDefaults::standardUserDefaults()))
{
    const CFTADocument *design = document.ftDocument();
    const bool roll = design && design->isLabelRoll();
    setObjectName(roll ? QStringLiteral("CalibrationLabelRoll") : QStringLiteral("Calibration"));
    setWindowModality(Qt::WindowModal);
    setWindowTitle(PWLocalizedString(QStringLiteral("Calibrate Printer")));
    m_hasScale = !roll && design && design->GetRowCount() > 2;

    auto *layout = new QVBoxLayout(this);
    auto *note = new QLabel(PWLocalizedString(QStringLiteral(
                                "Print the calibration page, read where the printed marks meet the scales and enter "
                                "the readings for the printer.")),
                            this);
    note->setWordWrap(true);
    layout->addWidget(note);
    auto *form = new QFormLayout;
    _printerListPopUp = new QComboBox(this);
    _printerListPopUp->setObjectName(QStringLiteral("_printerListPopUp"));
    _printerListPopUp->addItems(printerNames);
    form->addRow(PWLocalizedString(QStringLiteral("Printer:")), _printerListPopUp);
    _horizontalEdit = millimetres("_horizontalEdit", this);
    _verticalEdit = millimetres("_verticalEdit", this);
    form->addRow(PWLocalizedString(QStringLiteral("Horizontal offset:")), _horizontalEdit);
    form->addRow(PWLocalizedString(QStringLiteral("Vertical offset:")), _verticalEdit);
    _scaleCheck = new QCheckBox(PWLocalizedString(QStringLiteral("Correct the vertical scale")), this);
    _scaleCheck->setObjectName(QStringLiteral("_scaleCheck"));
    _scaleEdit = millimetres("_scaleEdit", this);
    if (!roll) {
        form->addRow(QString(), _scaleCheck);
        form->addRow(PWLocalizedString(QStringLiteral("Scale reading:")), _scaleEdit);
    } else {
        _scaleCheck->hide();
        _scaleEdit->hide();
    }
    layout->addLayout(form);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    _printButton = buttons->addButton(PWLocalizedString(QStringLiteral("Print Calibration Page…")),
                                      QDialogButtonBox::ActionRole);
    _printButton->setObjectName(QStringLiteral("_printButton"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("_okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("_cancelButton"));
    // An envelope has no calibration page: asking for one printed nothing and never came back.
    _printButton->setEnabled(document.docType() != dtEnvelope);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &CACalibrationController::okClicked);
    connect(buttons, &QDialogButtonBox::rejected, this, [this] { done(Cancel); });
    connect(_printButton, &QPushButton::clicked, this, [this] { done(PrintPage); });
    connect(_printerListPopUp, &QComboBox::currentIndexChanged, this, &CACalibrationController::selectPrinter);
    for (QDoubleSpinBox *box : {_horizontalEdit, _verticalEdit, _scaleEdit})
        connect(box, &QDoubleSpinBox::valueChanged, this, &CACalibrationController::setPrinterValues);
    connect(_scaleCheck, &QCheckBox::toggled, this, [this](bool on) {
        _scaleEdit->setEnabled(on && m_hasScale);
        setPrinterValues();
    });

    const int current = printerNames.indexOf(document.printSettings().printerName);
    _printerListPopUp->setCurrentIndex(current >= 0 ? current : (printerNames.isEmpty() ? -1 : 0));
    selectPrinter(_printerListPopUp->currentIndex());
}

QString CACalibrationController::selectedPrinter() const
{
    return _printerListPopUp->currentIndex() >= 0 ? _printerListPopUp->currentText() : QString();
}

QString CACalibrationController::numberText(double value)
{
    return QString::number(value, 'f', 1);
}

void CACalibrationController::selectPrinter(int index)
{
    const QString name = index >= 0 ? _printerListPopUp->itemText(index) : QString();
    const auto found = m_dict.find(name);
    const CACalibrationSettings entry = found != m_dict.end() ? found->second : CACalibrationSettings();
    m_showing = true;
    _horizontalEdit->setValue(entry.horizontal());
    _verticalEdit->setValue(entry.vertical());
    _scaleEdit->setValue(entry.scale());
    _scaleCheck->setChecked(entry.isScaleEnabled() && m_hasScale);
    _scaleCheck->setEnabled(m_hasScale);
    _scaleEdit->setEnabled(m_hasScale && _scaleCheck->isChecked());
    m_showing = false;
    for (QWidget *control : {static_cast<QWidget *>(_horizontalEdit), static_cast<QWidget *>(_verticalEdit)})
        control->setEnabled(index >= 0);
    if (index >= 0)
        m_document.printSettings().printerName = name;
}

void CACalibrationController::setPrinterValues()
{
    const QString name = selectedPrinter();
    if (m_showing || name.isEmpty())
        return;
    m_dict[name] = CACalibrationSettings(numberText(_horizontalEdit->value()), numberText(_verticalEdit->value()),
                                         _scaleEdit->isHidden() ? QString() : numberText(_scaleEdit->value()),
                                         _scaleCheck->isChecked());
}

void CACalibrationController::okClicked()
{
    // A field still being typed in is taken as it stands.
    for (QDoubleSpinBox *box : {_horizontalEdit, _verticalEdit, _scaleEdit})
        box->interpretText();
    CACalibrationSettings::setAllSettings(PWUserDefaults::standardUserDefaults(), m_dict);
    done(OK);
}

std::unique_ptr<CAPrintingView> CACalibrationController::calibrationView(const CADocument &document)
{
    const CFTADocument *design = document.ftDocument();
    if (!design)
        return nullptr;
    const CATemplateFormat layout = CATemplateFormat::initFromDocument(*design);
    CAPrintSettings settings = document.printSettings();
    settings.copies = 1;
    const documentType type = document.docType();
    if (type == dtLabel && design->isLabelRoll())
        return std::make_unique<CADYMOPrintingView>(layout, settings);
    if (type == dtLabel || type == dtPostcard)
        return CALabelPrintingView::initForCalibrateWithLayout(layout, settings);
    return nullptr;
}
