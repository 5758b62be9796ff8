#include "app/printing/CAPrinterPrintTarget.h"

#include <QPrinter>

QPagedPaintDevice &CAPrinterPrintTarget::device()
{
    return m_printer;
}

void CAPrinterPrintTarget::setResolution(int dotsPerInch)
{
    m_printer.setResolution(dotsPerInch);
}

QString CAPrinterPrintTarget::printerName() const
{
    return m_printer.printerName();
}

void CAPrinterPrintTarget::abort()
{
    m_printer.abort();
}
