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
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QLocale>

#include <ui_Calibration.h>
#include <ui_CalibrationLabelRoll.h>

namespace {

// The values are stored with a point whatever the user's locale shows. A field takes what the
// printing applies of its reading, no more.
QDoubleSpinBox *millimetres(QWidget *sheet, const char *name, CACalibrationSettings::Reading reading)
{
    auto *box = sheet->findChild<QDoubleSpinBox *>(QLatin1String(name));
    if (box) {
        box->setLocale(QLocale::c());
        const CDDNumberRange range = CACalibrationSettings::kReadingRanges[reading].millimetres;
        box->setRange(range.lowest, range.highest);
    }
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
    m_hasScale = !roll && design && design->GetRowCount() > 2;

    if (roll)
        Ui::CalibrationLabelRoll().setupUi(this);
    else
        Ui::Calibration().setupUi(this);
    setWindowTitle(PWLocalizedString(QStringLiteral("Calibrate Printer")));
    _printerListPopUp = findChild<QComboBox *>(QStringLiteral("_printerListPopUp"));
    _printerListPopUp->addItems(printerNames);
    _horizontalEdit = millimetres(this, "_horizontalEdit", CACalibrationSettings::Horizontal);
    _verticalEdit = millimetres(this, "_verticalEdit", CACalibrationSettings::Vertical);
    // Only the sheet layout has the scale correction.
    _scaleEdit = millimetres(this, "_scaleEdit", CACalibrationSettings::Scale);
    _scaleCheck = findChild<QCheckBox *>(QStringLiteral("_scaleCheck"));
    _printButton = findChild<QPushButton *>(QStringLiteral("_printButton"));
    auto *okButton = findChild<QPushButton *>(QStringLiteral("_okButton"));
    auto *cancelButton = findChild<QPushButton *>(QStringLiteral("_cancelButton"));
    for (QPushButton *button : {_printButton, okButton, cancelButton})
        button->setAutoDefault(button == okButton);
    // An envelope has no calibration page: asking for one printed nothing and never came back.
    _printButton->setEnabled(document.docType() != dtEnvelope);

    connect(okButton, &QPushButton::clicked, this, &CACalibrationController::okClicked);
    connect(cancelButton, &QPushButton::clicked, this, [this] { done(Cancel); });
    connect(_printButton, &QPushButton::clicked, this, [this] { done(PrintPage); });
    connect(_printerListPopUp, &QComboBox::currentIndexChanged, this, &CACalibrationController::selectPrinter);
    for (QDoubleSpinBox *box : {_horizontalEdit, _verticalEdit, _scaleEdit})
        if (box)
            connect(box, &QDoubleSpinBox::valueChanged, this, &CACalibrationController::setPrinterValues);
    if (_scaleCheck)
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
    if (_scaleEdit && _scaleCheck) {
        _scaleEdit->setValue(entry.scale());
        _scaleCheck->setChecked(entry.isScaleEnabled() && m_hasScale);
        _scaleCheck->setEnabled(m_hasScale);
        _scaleEdit->setEnabled(m_hasScale && _scaleCheck->isChecked());
    }
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
                                         _scaleEdit ? numberText(_scaleEdit->value()) : QString(),
                                         _scaleCheck && _scaleCheck->isChecked());
}

void CACalibrationController::okClicked()
{
    // A field still being typed in is taken as it stands.
    for (QDoubleSpinBox *box : {_horizontalEdit, _verticalEdit, _scaleEdit})
        if (box)
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
