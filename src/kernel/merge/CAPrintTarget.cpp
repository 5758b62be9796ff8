#include "kernel/merge/CAPrintTarget.h"

#include <QPdfWriter>

CAPrintTarget::~CAPrintTarget() = default;

QPagedPaintDevice &CAPdfPrintTarget::device()
{
    return m_writer;
}

void CAPdfPrintTarget::setResolution(int dotsPerInch)
{
    m_writer.setResolution(dotsPerInch);
}
