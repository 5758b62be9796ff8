#pragma once

#include "kernel/printing/CACalibrationSettings.h"

#include <QDialog>

#include <map>

class CADocument;
class CAPrintingView;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QPushButton;

// The printer calibration sheet: horizontal and vertical offsets and, on label sheets of more
// than two rows, a scale correction, per printer. Edits stay in a working copy until OK writes
// them all ("FTCalibration"); Cancel drops them. Print Calibration Page ends the sheet with code 2
// and the caller opens it again once the page is printed, edits kept.
class CACalibrationController : public QDialog
{
    Q_OBJECT
public:
    enum ReturnCode : int { OK = 0, Cancel = 1, PrintPage = 2 };

    // Roll designs get the roll sheet ("CalibrationLabelRoll"), others "Calibration".
    CACalibrationController(CADocument &document, const QStringList &printerNames, QWidget *parent = nullptr);

    // The working copy of every printer's entry.
    const std::map<QString, CACalibrationSettings> &workingCopy() const { return m_dict; }
    QString selectedPrinter() const;
    // The calibration page of the design's layout; null for envelopes, which are not calibrated.
    static std::unique_ptr<CAPrintingView> calibrationView(const CADocument &document);
    // The number texts as stored: a point for the decimals, whatever the locale.
    static QString numberText(double value);

private:
    void selectPrinter(int index);
    void setPrinterValues();
    void okClicked();

    CADocument &m_document;
    std::map<QString, CACalibrationSettings> m_dict;
    bool m_hasScale = false;
    bool m_showing = false;
    QComboBox *_printerListPopUp = nullptr;
    QDoubleSpinBox *_horizontalEdit = nullptr;
    QDoubleSpinBox *_verticalEdit = nullptr;
    QDoubleSpinBox *_scaleEdit = nullptr;
    QCheckBox *_scaleCheck = nullptr;
    QPushButton *_printButton = nullptr;
};
