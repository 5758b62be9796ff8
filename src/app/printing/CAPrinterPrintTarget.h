#pragma once

#include "kernel/merge/CAPrintTarget.h"

class QPrinter;

// A printer as the target of a print job: its resolution follows the job, and its name picks
// the calibration the job applies.
class CAPrinterPrintTarget : public CAPrintTarget
{
public:
    explicit CAPrinterPrintTarget(QPrinter &printer)
        : m_printer(printer)
    {
    }

    QPagedPaintDevice &device() override;
    void setResolution(int dotsPerInch) override;
    QString printerName() const override;
    void abort() override;

private:
    QPrinter &m_printer;
};
