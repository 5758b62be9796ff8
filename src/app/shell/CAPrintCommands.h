#pragma once

#include <QStringList>

#include <functional>

// Gives every document window File > Print… (the print sheet of its kind of design) and
// Calibrate Printer… (the calibration sheet, which comes back after each calibration page), and
// File > Print for Several People… (the print lists, then the print sheet on the chosen list).
void installPrintCommands();
// The printers the sheets offer; the system's by default. Tests put a list in place.
void setPrinterNamesSource(std::function<QStringList()> source);
