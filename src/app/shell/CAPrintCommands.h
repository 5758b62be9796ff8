#pragma once

#include <QStringList>

#include <functional>

class CAMainWindowController;

// Gives every document window File > Print… (the print sheet of its kind of design) and
// Calibrate Printer… (the calibration sheet, which comes back after each calibration page), and
// File > Print for Several People… (the print lists, then the print sheet on the chosen list).
void installPrintCommands();
// The printers the sheets offer; the system's by default. Tests put a list in place.
void setPrinterNamesSource(std::function<QStringList()> source);
// Opens the print sheet of the window's design, with the print list when usePrintList is set and
// the design has no persons of its own. False when the window already shows a sheet or the design
// is of a kind no sheet prints (reported on the window).
bool openPrintSheet(CAMainWindowController &window, bool usePrintList);
